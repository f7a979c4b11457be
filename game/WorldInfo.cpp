#include "game/WorldInfo.h"

#include "engine/core/kaXmlHelpers.h"
#include "game/tvXmlFile.h"

#include <tinyxml.h>

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace
{

void ReadText(const TiXmlElement* parent, const char* name, std::string& target)
{
    if (const TiXmlElement* element = parent->FirstChildElement(name))
        target = GetElementText(element);
}

} // namespace

int32_t WorldInfo::ScoreLimitValue(const std::string& text)
{
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str())
        return 0;
    if (errno == ERANGE || value > std::numeric_limits<int32_t>::max())
        return value < 0 ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return int32_t(value);
}

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
