#include "engine/model/kaTriMeshPrimitive.h"

#include <algorithm>

void kaTriMeshPrimitive::ComputeBounds()
{
    m_Min = m_Max = platform::Vector3();
    if (m_Vertices.empty())
        return;
    m_Min = m_Max = m_Vertices.front();
    for (const platform::Vector3& v : m_Vertices)
    {
        m_Min = platform::Vector3(std::min(m_Min.x, v.x), std::min(m_Min.y, v.y), std::min(m_Min.z, v.z));
        m_Max = platform::Vector3(std::max(m_Max.x, v.x), std::max(m_Max.y, v.y), std::max(m_Max.z, v.z));
    }
}
