#include "engine/model/kaModelAttachment.h"

using platform::Matrix;

kaModelAttachment::kaModelAttachment(kaModel* child) : m_pChild(child) {}

kaModelAttachment::~kaModelAttachment() = default;

void kaModelAttachment::SetRotation(float x, float y, float z)
{
    m_Angles[0] = x;
    m_Angles[1] = y;
    m_Angles[2] = z;
    UpdateMatrix();
}

void kaModelAttachment::UpdateMatrix()
{
    platform::MatrixTranslation(&m_Local, m_Offset.x, m_Offset.y, m_Offset.z);
    Matrix turn;
    if (m_Angles[0] != 0.0f)
        m_Local = m_Local * *platform::MatrixRotationX(&turn, m_Angles[0]);
    if (m_Angles[1] != 0.0f)
        m_Local = m_Local * *platform::MatrixRotationY(&turn, m_Angles[1]);
    if (m_Angles[2] != 0.0f)
        m_Local = m_Local * *platform::MatrixRotationZ(&turn, m_Angles[2]);
}
