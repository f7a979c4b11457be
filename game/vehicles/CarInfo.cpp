#include "game/vehicles/CarInfo.h"

#include "engine/core/kaXmlHelpers.h"
#include "game/world/tvXmlFile.h"

#include <tinyxml.h>

CarInfo::CarInfo() = default;

CarInfo::~CarInfo() = default;

bool CarInfo::Load(const std::string& path)
{
    if (!tvXmlFile::LoadRoot(path, kRootElement, [this](const TiXmlElement* element) { ReadXml(element); }))
        return false;
    m_FilePath = path;
    return true;
}

void CarInfo::ReadXml(const TiXmlElement* element)
{
    if (!element)
        return;
    if (const TiXmlElement* id = element->FirstChildElement("initID"))
        m_InitId = GetElementText(id);
    if (const TiXmlElement* image = element->FirstChildElement("imagefile"))
        m_ImageFile = GetElementText(image);
}
