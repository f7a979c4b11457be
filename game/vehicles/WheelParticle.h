#pragma once

#include "engine/scene/kaWheelEmitter.h"

// Spray thrown straight up from a wheel, spread sideways at random.
class WheelParticle : public kaWheelEmitter
{
    KA_ENTITY_CLASS_RECORD()

public:
    WheelParticle();
    ~WheelParticle() override;

    // Up at the start speed in world axes, whatever way the emitter faces.
    void InitParticle(int32_t index) override;
};
