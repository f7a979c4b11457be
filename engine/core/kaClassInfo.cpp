#include "engine/core/kaClassInfo.h"

kaClassInfo::kaClassInfo(const std::string& name, uint32_t id, const kaClassInfo* parent)
    : m_Name(name), m_Id(id), m_Parent(parent)
{
}
