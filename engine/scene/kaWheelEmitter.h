#pragma once

#include "engine/scene/kaParticleEmitter.h"

// An emitter whose rate follows a wheel's rolling speed: nothing below the lower threshold, the rate read
// from XML above the upper one, a linear share in between.
class kaWheelEmitter : public kaParticleEmitter
{
    KA_ENTITY_CLASS_RECORD()

public:
    kaWheelEmitter();
    ~kaWheelEmitter() override;

    // The emitter's keys, then "rollThresholdMin", "rollThresholdMax" and "slipIntensity".
    void ReadXml(const TiXmlElement* element) override;

    // Hooks for the game's wheel effects: nothing here.
    virtual void SetSlip(float /*slip*/) {}
    virtual void SetIntensity(float /*intensity*/) {}
    // With equal thresholds the speed either passes them (the full rate) or not (none).
    virtual void SetRollSpeed(float speed);

    float GetRollThresholdMin() const { return m_RollThresholdMin; }
    float GetRollThresholdMax() const { return m_RollThresholdMax; }
    float GetSlipIntensity() const { return m_SlipIntensity; }

protected:
    float m_RollThresholdMin = 0.0f;
    float m_RollThresholdMax = 0.0f;
    // Kept for the wheel effects that derive from this.
    float m_SlipIntensity = 0.0f;
    int32_t m_Reserved = 0;
};
