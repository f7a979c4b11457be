#pragma once

#include "engine/model/KM_Object.h"

#include <map>
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
    struct Bone
    {
        std::string name = "bonename";
        std::string parentName;
        uint32_t word = 0;
        float orientation[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
        std::vector<Weight> weights;
    };

    KM_Skeleton();
    KM_Skeleton(const KM_Skeleton& other) = default;
    KM_Skeleton(KM_Skeleton&& other) = default;
    bool Write(KM_Stream* stream) override;
    bool Read(KM_Stream* stream) override;
    uint32_t ComputeSize() override;

    // As the file gives it; it may differ from the number of bone records.
    uint32_t m_BoneCount = 0;
    // Keyed by the record's index in the file.
    std::map<uint32_t, Bone> m_Bones;

private:
    bool _ReadBody(KM_Stream* stream);
    bool _WriteBody(KM_Stream* stream);
    void _WriteText(KM_Stream* stream);
};

static_assert(sizeof(KM_Skeleton::Weight) == 8, "stored as an i32 and a float");
