#include "game/CarInfo.h"

#include "engine/core/kaXmlHelpers.h"
#include "game/tvXmlFile.h"

#include <tinyxml.h>

CarInfo::CarInfo() = default;

CarInfo::~CarInfo() = default;

bool CarInfo::Load(const std::string& path)
{
    TiXmlDocument document;
    if (!tvXmlFile::Load(document, path))
        return false;
    ReadXml(document.FirstChildElement(kRootElement));
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
