#include "game/WorldInfo.h"

#include "engine/core/kaXmlHelpers.h"
#include "game/tvXmlFile.h"

#include <tinyxml.h>

namespace
{

void ReadText(const TiXmlElement* parent, const char* name, std::string& target)
{
    if (const TiXmlElement* element = parent->FirstChildElement(name))
        target = GetElementText(element);
}

} // namespace

void WorldInfo::ReadXml(const TiXmlElement* element)
{
    if (!element)
        return;
    ReadText(element, "name", m_Name);
    ReadText(element, "Designer", m_Designer);
    ReadText(element, "scoreLimit", m_ScoreLimit);
    ReadText(element, "arena", m_Arena);
}

bool WorldInfo::Load(const std::string& path)
{
    if (!tvXmlFile::LoadRoot(path, kRootElement, [this](const TiXmlElement* element) { ReadXml(element); }))
        return false;
    m_FilePath = path;
    return true;
}
