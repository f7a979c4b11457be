#include "engine/terrain/kaSun.h"

#include "engine/scene/kaWorld.h"

namespace
{

kaSunBase* Make()
{
    return new kaSun();
}

// Installed before the program's entry, so every world reads this element of its files.
const bool s_Installed = (kaWorld::SetSunCreator(&Make), true);

} // namespace

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
