#include "engine/terrain/kaTerrain.h"

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
