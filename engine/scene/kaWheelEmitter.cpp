#include "engine/scene/kaWheelEmitter.h"

#include "engine/core/kaXmlValues.h"
#include "engine/scene/EntityFactory.h"

#include <tinyxml.h>

#include <algorithm>

KA_ENTITY_CLASS_RECORD_DEFINITION(kaWheelEmitter, "kaWheelEmitter")

namespace
{

const EntityFactory::Registration s_Registration(kaWheelEmitter::StaticClassInfo(),
                                                 &EntityFactory::Create<kaWheelEmitter>);

using kaXmlValues::ReadFloatOrThrow;

} // namespace

kaWheelEmitter::kaWheelEmitter() = default;

kaWheelEmitter::~kaWheelEmitter() = default;

void kaWheelEmitter::ReadXml(const TiXmlElement* element)
{
    kaParticleEmitter::ReadXml(element);
    if (!element)
        return;
    ReadFloatOrThrow(element, "rollThresholdMin", m_RollThresholdMin);
    ReadFloatOrThrow(element, "rollThresholdMax", m_RollThresholdMax);
    ReadFloatOrThrow(element, "slipIntensity", m_SlipIntensity);
}

void kaWheelEmitter::SetRollSpeed(float speed)
{
    const float span = m_RollThresholdMax - m_RollThresholdMin;
    if (span == 0.0f)
    {
        m_EmitRate = speed > m_RollThresholdMax ? m_BaseEmitRate : 0.0f;
        return;
    }
    const float f = (speed - m_RollThresholdMin) / span;
    m_EmitRate = f > 1.0f ? m_BaseEmitRate : m_BaseEmitRate * std::max(f, 0.0f);
}
