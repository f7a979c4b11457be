#pragma once

#include "engine/model/KM_Object.h"

#include <map>
#include <vector>

// Per-bone key tracks of one animation; times are in milliseconds.
class KM_Animation : public KM_Object
{
public:
    static constexpr uint32_t kTypeId = 57;

    struct Key
    {
        uint32_t time = 0;
        float position[3] = {0.0f, 0.0f, 0.0f};
        float rotation[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    };
    struct Track
    {
        std::string boneName = "bonename";
        std::string parentName;
        std::vector<Key> keys;
    };

    KM_Animation();
    KM_Animation(const KM_Animation& other) = default;
    KM_Animation(KM_Animation&& other) = default;
    bool Write(KM_Stream* stream) override;
    bool Read(KM_Stream* stream) override;
    uint32_t ComputeSize() override;

    std::string m_AnimationName;
    // As the file gives them; they may differ from the tracks and keys held.
    uint32_t m_BoneCount = 0;
    uint32_t m_Length = 0;
    uint32_t m_FramesPerSecond = 0;
    uint32_t m_KeyCount = 0;
    // Keyed by the track's index in the file.
    std::map<uint32_t, Track> m_BoneAnims;

private:
    bool _ReadBody(KM_Stream* stream);
    bool _WriteBody(KM_Stream* stream);
    void _WriteText(KM_Stream* stream);
};

static_assert(sizeof(KM_Animation::Key) == 32, "stored as a u32 and seven floats");
