#pragma once

#include "engine/model/KM_Object.h"

// A model file's scene settings: its source file name, frame range and colours.
class KM_Scene : public KM_Object
{
public:
    static constexpr uint32_t kTypeId = 1;

    KM_Scene();
    bool Write(KM_Stream* stream) override;
    bool Read(KM_Stream* stream) override;
    uint32_t ComputeSize() override;

    std::string m_FileName;
    uint32_t m_FirstFrame = 0;
    uint32_t m_LastFrame = 0;
    uint32_t m_FrameSpeed = 0;
    uint32_t m_TicksPerFrame = 0;
    uint32_t m_BackgroundColor = 0;
    uint32_t m_AmbientColor = 0;

private:
    bool _ReadBody(KM_Stream* stream);
};
