#include "engine/terrain/kaEntityWaterPlane.h"

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
