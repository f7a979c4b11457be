#pragma once

#include "engine/model/KM_NodeTM.h"

// The body every collision volume starts with: a node name and its transform. The kinds add their
// own fields after it.
class KM_CollisionObject : public KM_Object
{
public:
    static constexpr uint32_t kTypeId = 23;

    KM_CollisionObject();
    KM_CollisionObject(const KM_CollisionObject& other) = default;
    bool Write(KM_Stream* stream) override;
    bool Read(KM_Stream* stream) override;
    uint32_t ComputeSize() override;

    KM_NodeTM m_NodeTM;

protected:
    explicit KM_CollisionObject(uint32_t typeId);

    // The common body with its own messages.
    bool ReadCommon(KM_Stream* stream);
    bool WriteCommon(KM_Stream* stream);
    uint32_t CommonSize();
    // Tag line, "{", the name and the transform; the kind adds its lines and closes the block.
    void WriteCommonText(KM_Stream* stream);

    // Float fields of the simple kinds, in file order.
    struct FloatField
    {
        const char* tag;
        float* value;
    };
    bool ReadFloatKind(KM_Stream* stream, const FloatField* fields, int count, const char* readError);
    bool WriteFloatKind(KM_Stream* stream, const FloatField* fields, int count, const char* writeError);
};
