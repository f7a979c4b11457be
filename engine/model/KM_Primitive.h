#pragma once

#include "engine/model/KM_Object.h"
#include "engine/model/KM_Point3.h"

#include <vector>

// A simple shape or a triangle mesh (type 4) used for collision volumes and triggers.
class KM_Primitive : public KM_Object
{
public:
    static constexpr uint32_t kTypeId = 59;
    static constexpr uint32_t kTriangleMesh = 4;

    struct IndexRecord
    {
        uint32_t a = 0, b = 0, c = 0;
        uint32_t word = 0;
    };

    KM_Primitive();
    KM_Primitive(const KM_Primitive& other) = default;
    bool Write(KM_Stream* stream) override;
    // A triangle mesh whose indices point past its vertices fails to read.
    bool Read(KM_Stream* stream) override;
    uint32_t ComputeSize() override;

    std::string m_ParentName;
    uint32_t m_PrimitiveType = 0;
    float m_Length = 0.0f;
    float m_Width = 0.0f;
    float m_Height = 0.0f;
    float m_Rotation[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float m_Offset[3] = {0.0f, 0.0f, 0.0f};
    float m_Radius = 0.0f;
    float m_Normal = 0.0f;
    float m_Distance = 0.0f;
    // Triangle mesh only: vertices, index records and the three floats that follow each record.
    std::vector<KM_Point3> m_Vertices;
    std::vector<IndexRecord> m_Indices;
    std::vector<KM_Point3> m_IndexExtras;

private:
    bool _ReadBody(KM_Stream* stream);
    bool _WriteBody(KM_Stream* stream);
    void _WriteText(KM_Stream* stream);
};

static_assert(sizeof(KM_Primitive::IndexRecord) == 16, "stored as four u32");
