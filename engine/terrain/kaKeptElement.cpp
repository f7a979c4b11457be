#include "engine/terrain/kaKeptElement.h"

#include <tinyxml.h>

kaKeptElement::kaKeptElement() = default;

kaKeptElement::~kaKeptElement() = default;

void kaKeptElement::Keep(const TiXmlElement* element)
{
    m_pElement.reset(element ? new TiXmlElement(*element) : nullptr);
}

void kaKeptElement::WriteInto(TiXmlElement* element) const
{
    if (!element || !m_pElement)
        return;
    for (const TiXmlAttribute* attribute = m_pElement->FirstAttribute(); attribute;
         attribute = attribute->Next())
        element->SetAttribute(attribute->Name(), attribute->Value());
    for (const TiXmlNode* child = m_pElement->FirstChild(); child; child = child->NextSibling())
        element->InsertEndChild(*child);
}
