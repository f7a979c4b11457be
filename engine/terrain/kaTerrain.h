#pragma once

#include "engine/scene/kaTerrainBase.h"
#include "engine/terrain/kaKeptElement.h"

// The world's ground. Until it is built from its element, it keeps the element it reads and writes it
// back unchanged, and it is flat and empty: extent 0, height 0 everywhere.
class kaTerrain : public kaTerrainBase
{
    KA_ENTITY_CLASS_RECORD()

public:
    static constexpr const char* kEntityName = "Terrain";

    kaTerrain();

    void ReadXml(const TiXmlElement* element) override;
    void WriteXml(TiXmlElement* element) const override;
    float GetHeightAt(float x, float z) const override;
    float GetWidth() const override;
    float GetLength() const override;

private:
    kaKeptElement m_Element;
};
