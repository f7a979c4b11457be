#include "engine/model/kaBoundingBox.h"

kaBoundingBox::~kaBoundingBox()
{
    // Unlinked one box at a time, so a long chain cannot exhaust the stack.
    std::unique_ptr<kaBoundingBox> next = std::move(m_Next);
    while (next)
        next = std::move(next->m_Next);
}

void kaBoundingBox::ComputeCorners()
{
    for (int i = 0; i < kCornerCount; ++i)
    {
        m_Corners[i].x = (i & 2) ? m_Max.x : m_Min.x;
        m_Corners[i].y = (i & 1) ? m_Max.y : m_Min.y;
        m_Corners[i].z = (i & 4) ? m_Max.z : m_Min.z;
    }
}

void kaBoundingBox::GetRectXZ(float& minX, float& minZ, float& maxX, float& maxZ) const
{
    minX = m_Min.x;
    minZ = m_Min.z;
    maxX = m_Max.x;
    maxZ = m_Max.z;
}
