#include "engine/model/KM_CollisionBox.h"

KM_CollisionBox::KM_CollisionBox() : KM_CollisionObject(kTypeId) {}

uint32_t KM_CollisionBox::ComputeSize()
{
    m_Size = CommonSize() + 3 * 4;
    return m_Size;
}

bool KM_CollisionBox::Read(KM_Stream* stream)
{
    const FloatField fields[] = {{"LENGTH", &m_Length}, {"WIDTH", &m_Width}, {"HEIGHT", &m_Height}};
    return ReadFloatKind(stream, fields, 3, "Error Reading CollisionBox Data");
}

bool KM_CollisionBox::Write(KM_Stream* stream)
{
    const FloatField fields[] = {{"LENGTH", &m_Length}, {"WIDTH", &m_Width}, {"HEIGHT", &m_Height}};
    return WriteFloatKind(stream, fields, 3, "Error Writing KM_CollisionBox Data");
}
