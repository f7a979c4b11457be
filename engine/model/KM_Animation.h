#pragma once

#include "engine/model/KM_Object.h"
#include "engine/model/KM_RecordRoom.h"

#include <map>
#include <memory_resource>
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
    // A track's keys are placed where the map that holds it places its records: a track made in the map,
    // copied or moved into it takes its keys into the map's room.
    struct Track
    {
        using allocator_type = std::pmr::polymorphic_allocator<Key>;

        Track() = default;
        explicit Track(const allocator_type& allocator) : keys(allocator) {}
        Track(const Track& other) = default;
        Track(const Track& other, const allocator_type& allocator)
            : boneName(other.boneName), parentName(other.parentName), keys(other.keys, allocator)
        {
        }
        Track(Track&& other) = default;
        Track(Track&& other, const allocator_type& allocator)
            : boneName(std::move(other.boneName)), parentName(std::move(other.parentName)),
              keys(std::move(other.keys), allocator)
        {
        }
        Track& operator=(const Track& other) = default;
        Track& operator=(Track&& other) = default;

        std::string boneName = "bonename";
        std::string parentName;
        std::pmr::vector<Key> keys;
    };

    KM_Animation();
    // A copy or a move places its records in its own room.
    KM_Animation(const KM_Animation& other);
    KM_Animation(KM_Animation&& other);
    bool Write(KM_Stream* stream) override;
    bool Read(KM_Stream* stream) override;
    uint32_t ComputeSize() override;

    std::string m_AnimationName;
    // As the file gives them; they may differ from the tracks and keys held.
    uint32_t m_BoneCount = 0;
    uint32_t m_Length = 0;
    uint32_t m_FramesPerSecond = 0;
    uint32_t m_KeyCount = 0;

private:
    // Where the records of the map below are placed. Declared first: it outlives them.
    KM_RecordRoom m_RecordRoom;

public:
    // Keyed by the track's index in the file.
    std::pmr::map<uint32_t, Track> m_BoneAnims;

private:
    bool _ReadBody(KM_Stream* stream);
    bool _WriteBody(KM_Stream* stream);
    void _WriteText(KM_Stream* stream);
};

static_assert(sizeof(KM_Animation::Key) == 32, "stored as a u32 and seven floats");
