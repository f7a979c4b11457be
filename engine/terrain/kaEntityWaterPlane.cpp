#include "engine/terrain/kaEntityWaterPlane.h"

#include "engine/scene/kaWorld.h"

namespace
{

kaWaterPlaneBase* Make()
{
    return new kaEntityWaterPlane();
}

// Installed before the program's entry, so every world reads this element of its files.
const bool s_Installed = (kaWorld::SetWaterPlaneCreator(&Make), true);

} // namespace

// A class record without a creator: only the world makes one.
KA_ENTITY_CLASS_RECORD_DEFINITION(kaEntityWaterPlane, "kaEntityWaterPlane")

void kaEntityWaterPlane::ReadXml(const TiXmlElement* element)
{
    m_Element.Keep(element);
}

void kaEntityWaterPlane::WriteXml(TiXmlElement* element) const
{
    m_Element.WriteInto(element);
}

void kaEntityWaterPlane::Build(float width, float length)
{
    m_Width = width;
    m_Length = length;
}
