#include "engine/terrain/kaTerrain.h"

#include "engine/scene/kaWorld.h"

namespace
{

kaTerrainBase* Make()
{
    return new kaTerrain();
}

// Installed before the program's entry, so every world reads this element of its files.
const bool s_Installed = (kaWorld::SetTerrainCreator(&Make), true);

} // namespace

// A class record without a creator: only the world makes one.
KA_ENTITY_CLASS_RECORD_DEFINITION(kaTerrain, "kaTerrain")

kaTerrain::kaTerrain()
{
    SetName(kEntityName);
}

void kaTerrain::ReadXml(const TiXmlElement* element)
{
    m_Element.Keep(element);
}

void kaTerrain::WriteXml(TiXmlElement* element) const
{
    m_Element.WriteInto(element);
}

float kaTerrain::GetHeightAt(float, float) const
{
    return 0.0f;
}

float kaTerrain::GetWidth() const
{
    return 0.0f;
}

float kaTerrain::GetLength() const
{
    return 0.0f;
}
