#pragma once

#include "engine/model/KM_Mesh.h"
#include "engine/model/KM_NodeTM.h"

// A named geometry node: its parent's name, its transform and its mesh.
class KM_GeoObject : public KM_Object
{
public:
    static constexpr uint32_t kTypeId = 2;

    KM_GeoObject();
    KM_GeoObject(const KM_GeoObject& other) = default;
    bool Write(KM_Stream* stream) override;
    // Succeeds when the embedded transform or mesh fails to read, but then has no usable geometry.
    // A mesh whose indices point outside its lists fails the object.
    bool Read(KM_Stream* stream) override;
    uint32_t ComputeSize() override;

    // False when the transform or the mesh did not read; nothing is built from such an object.
    bool HasGeometry() const { return m_HasGeometry; }

    std::string m_ParentName;
    uint8_t m_ShadeVerts = 0;
    KM_NodeTM m_NodeTM;
    KM_Mesh m_Mesh;

private:
    bool m_HasGeometry = true;
};
