#include "engine/terrain/kaSkyBox.h"

#include "engine/scene/kaWorld.h"

namespace
{

kaSkyBoxBase* Make()
{
    return new kaSkyBox();
}

// Installed before the program's entry, so every world reads this element of its files.
const bool s_Installed = (kaWorld::SetSkyBoxCreator(&Make), true);

} // namespace

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
