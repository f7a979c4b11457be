#pragma once

#include "engine/model/KM_CollisionObject.h"
#include "engine/model/KM_Mesh.h"

// A collision volume given as a mesh: the common collision body, then a full embedded mesh.
class KM_CollisionMesh : public KM_CollisionObject
{
public:
    static constexpr uint32_t kTypeId = 24;

    KM_CollisionMesh();
    KM_CollisionMesh(const KM_CollisionMesh& other) = default;
    bool Write(KM_Stream* stream) override;
    // A mesh whose indices point outside its lists fails the object.
    bool Read(KM_Stream* stream) override;
    uint32_t ComputeSize() override;

    KM_Mesh m_Mesh;
};
