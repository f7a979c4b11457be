#include "engine/scene/kaAltSoundTrigger.h"

#include "engine/core/kaXmlHelpers.h"

#include <tinyxml.h>

void kaAltSoundTrigger::ReadXml(const TiXmlElement* element)
{
    if (!element)
        return;
    if (const TiXmlElement* trigger = element->FirstChildElement("trigger"))
        m_Trigger = GetElementText(trigger);
    for (const TiXmlElement* prim = element->FirstChildElement("prim"); prim;
         prim = prim->NextSiblingElement("prim"))
        m_Primitives.push_back(GetElementText(prim));
}
