#pragma once

#include "engine/model/KM_TargetedNode.h"

// A camera node: its transform, an optional target transform, and its view settings.
class KM_Camera : public KM_TargetedNode
{
public:
    static constexpr uint32_t kTypeId = 4;

    KM_Camera();
    KM_Camera(const KM_Camera& other) = default;
    bool Write(KM_Stream* stream) override;
    bool Read(KM_Stream* stream) override;
    uint32_t ComputeSize() override;

    uint32_t m_Word = 0;
    float m_Hither = 0.0f;
    float m_Yon = 0.0f;
    float m_Near = 0.0f;
    float m_Far = 0.0f;
    float m_FieldOfView = 0.0f;
    float m_TargetDistance = 0.0f;

private:
    bool _ReadBody(KM_Stream* stream);
    bool _WriteBody(KM_Stream* stream);
    void _WriteText(KM_Stream* stream);
};
