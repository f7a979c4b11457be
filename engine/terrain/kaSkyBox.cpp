#include "engine/terrain/kaSkyBox.h"

// A class record without a creator: only the world makes one.
KA_ENTITY_CLASS_RECORD_DEFINITION(kaSkyBox, "kaSkyBox")

void kaSkyBox::ReadXml(const TiXmlElement* element)
{
    m_Element.Keep(element);
}

void kaSkyBox::WriteXml(TiXmlElement* element) const
{
    m_Element.WriteInto(element);
}
