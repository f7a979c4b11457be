#include "engine/terrain/kaSun.h"

// A class record without a creator: only the world makes one.
KA_ENTITY_CLASS_RECORD_DEFINITION(kaSun, "kaSun")

void kaSun::ReadXml(const TiXmlElement* element)
{
    m_Element.Keep(element);
}

void kaSun::WriteXml(TiXmlElement* element) const
{
    m_Element.WriteInto(element);
}
