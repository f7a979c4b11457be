#include "engine/model/KM_CollisionCylinder.h"

KM_CollisionCylinder::KM_CollisionCylinder() : KM_CollisionObject(kTypeId) {}

uint32_t KM_CollisionCylinder::ComputeSize()
{
    m_Size = CommonSize() + 2 * 4;
    return m_Size;
}

bool KM_CollisionCylinder::Read(KM_Stream* stream)
{
    const FloatField fields[] = {{"RADIUS", &m_Radius}, {"HEIGHT", &m_Height}};
    return ReadFloatKind(stream, fields, 2, "Error Reading CollisionCylinder Data");
}

bool KM_CollisionCylinder::Write(KM_Stream* stream)
{
    const FloatField fields[] = {{"RADIUS", &m_Radius}, {"HEIGHT", &m_Height}};
    return WriteFloatKind(stream, fields, 2, "Error Writing KM_CollisionCylinder Data");
}
