#include "engine/scene/kaImpactDecal.h"

#include "engine/core/kaXmlHelpers.h"

#include <tinyxml.h>

void kaImpactDecal::ReadXml(const TiXmlElement* element)
{
    if (!element)
        return;
    if (const TiXmlElement* subset = element->FirstChildElement("vertBox"))
        m_Subset = GetElementText(subset);
    if (const TiXmlElement* texture = element->FirstChildElement("texture"))
        m_Texture = GetElementText(texture);
    if (const TiXmlElement* threshold = element->FirstChildElement("threshold"))
        m_Threshold = GetElementFloat(threshold);
    if (const TiXmlElement* trigger = element->FirstChildElement("trigger"))
        m_Trigger = GetElementText(trigger);
}
