#include "game/world/WorldInfo.h"

#include "engine/core/kaXmlHelpers.h"
#include "engine/core/kaXmlValues.h"
#include "game/world/tvXmlFile.h"

#include <tinyxml.h>

#include <cerrno>
#include <cstdlib>
#include <limits>

using kaXmlValues::ReadTextIfPresent;

int32_t WorldInfo::ScoreLimitValue(const std::string& text)
{
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str())
        return kDefaultScoreLimit;
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
    ReadTextIfPresent(element, "name", m_Name);
    ReadTextIfPresent(element, "Designer", m_Designer);
    ReadTextIfPresent(element, "scoreLimit", m_ScoreLimit);
    ReadTextIfPresent(element, "arena", m_Arena);
}

bool WorldInfo::Load(const std::string& path)
{
    if (!tvXmlFile::LoadRoot(path, kRootElement, [this](const TiXmlElement* element) { ReadXml(element); }))
        return false;
    m_FilePath = path;
    return true;
}
