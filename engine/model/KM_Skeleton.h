#pragma once

#include "engine/model/KM_Object.h"
#include "engine/model/KM_RecordRoom.h"

#include <cstring>
#include <map>
#include <memory_resource>
#include <vector>

// A model's bones with their bind transforms and vertex weights.
class KM_Skeleton : public KM_Object
{
public:
    static constexpr uint32_t kTypeId = 58;

    struct Weight
    {
        int32_t vertex = 0;
        float weight = 0.0f;
    };
    // A bone's weights are placed where the map that holds it places its records: a bone made in the map,
    // copied or moved into it takes its weights into the map's room.
    struct Bone
    {
        using allocator_type = std::pmr::polymorphic_allocator<Weight>;

        Bone() = default;
        explicit Bone(const allocator_type& allocator) : weights(allocator) {}
        Bone(const Bone& other) = default;
        Bone(const Bone& other, const allocator_type& allocator)
            : name(other.name), parentName(other.parentName), word(other.word),
              weights(other.weights, allocator)
        {
            std::memcpy(orientation, other.orientation, sizeof orientation);
        }
        Bone(Bone&& other) = default;
        Bone(Bone&& other, const allocator_type& allocator)
            : name(std::move(other.name)), parentName(std::move(other.parentName)), word(other.word),
              weights(std::move(other.weights), allocator)
        {
            std::memcpy(orientation, other.orientation, sizeof orientation);
        }
        Bone& operator=(const Bone& other) = default;
        Bone& operator=(Bone&& other) = default;

        std::string name = "bonename";
        std::string parentName;
        uint32_t word = 0;
        float orientation[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
        std::pmr::vector<Weight> weights;
    };

    KM_Skeleton();
    // A copy or a move places its records in its own room.
    KM_Skeleton(const KM_Skeleton& other);
    KM_Skeleton(KM_Skeleton&& other);
    bool Write(KM_Stream* stream) override;
    bool Read(KM_Stream* stream) override;
    uint32_t ComputeSize() override;

    // As the file gives it; it may differ from the number of bone records.
    uint32_t m_BoneCount = 0;

private:
    // Where the records of the map below are placed. Declared first: it outlives them.
    KM_RecordRoom m_RecordRoom;

public:
    // Keyed by the record's index in the file.
    std::pmr::map<uint32_t, Bone> m_Bones;

private:
    bool _ReadBody(KM_Stream* stream);
    bool _WriteBody(KM_Stream* stream);
    void _WriteText(KM_Stream* stream);
};

static_assert(sizeof(KM_Skeleton::Weight) == 8, "stored as an i32 and a float");
