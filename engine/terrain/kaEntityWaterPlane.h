#pragma once

#include "engine/scene/kaWaterPlaneBase.h"
#include "engine/terrain/kaKeptElement.h"

// The world's water plane. Until it is built from its element, it keeps the element it reads and writes it
// back unchanged, so that worlds keep their water plane through a load and a save.
class kaEntityWaterPlane : public kaWaterPlaneBase
{
    KA_ENTITY_CLASS_RECORD()

public:
    void ReadXml(const TiXmlElement* element) override;
    void WriteXml(TiXmlElement* element) const override;
    // Keeps the extent; the water is not drawn yet.
    void Build(float width, float length) override;
    float GetWidth() const { return m_Width; }
    float GetLength() const { return m_Length; }

private:
    kaKeptElement m_Element;
    float m_Width = 0.0f;
    float m_Length = 0.0f;
};
