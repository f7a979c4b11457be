#include "engine/model/KM_CollisionSphere.h"

KM_CollisionSphere::KM_CollisionSphere() : KM_CollisionObject(kTypeId) {}

uint32_t KM_CollisionSphere::ComputeSize()
{
    m_Size = CommonSize() + 1 * 4;
    return m_Size;
}

bool KM_CollisionSphere::Read(KM_Stream* stream)
{
    const FloatField fields[] = {{"RADIUS", &m_Radius}};
    return ReadFloatKind(stream, fields, 1, "Error Reading CollisionSphere Data");
}

bool KM_CollisionSphere::Write(KM_Stream* stream)
{
    const FloatField fields[] = {{"RADIUS", &m_Radius}};
    return WriteFloatKind(stream, fields, 1, "Error Writing KM_CollisionSphere Data");
}
