#include "engine/model/KM_CollisionPlane.h"

KM_CollisionPlane::KM_CollisionPlane() : KM_CollisionObject(kTypeId) {}

uint32_t KM_CollisionPlane::ComputeSize()
{
    m_Size = CommonSize() + 2 * 4;
    return m_Size;
}

bool KM_CollisionPlane::Read(KM_Stream* stream)
{
    const FloatField fields[] = {{"LENGTH", &m_Length}, {"WIDTH", &m_Width}};
    return ReadFloatKind(stream, fields, 2, "Error Reading CollisionPlane Data");
}

bool KM_CollisionPlane::Write(KM_Stream* stream)
{
    const FloatField fields[] = {{"LENGTH", &m_Length}, {"WIDTH", &m_Width}};
    return WriteFloatKind(stream, fields, 2, "Error Writing KM_CollisionPlane Data");
}
