#pragma once

#include "game/vehicles/tvWheel.h"

class MotorCycle;

// A motorcycle's wheel: a hard knock it takes from the side throws the rider.
class tvCycleWheel : public tvWheel
{
    KA_ENTITY_CLASS_RECORD()

public:
    // A summed contact force above this may throw the rider, once weighed by its angle.
    static constexpr float kKnockForce = 100.0f;
    static constexpr float kKnockDamage = 10.0f;

    tvCycleWheel();
    ~tvCycleWheel() override;

    // The wheel's contact forces; then a knock at an angle to the bike's up axis throws its rider.
    void ProcessCollisionForces() override;

    void SetMotorCycle(MotorCycle* bike) { m_pMotorCycle = bike; }
    MotorCycle* GetMotorCycle() const { return m_pMotorCycle; }

protected:
    MotorCycle* m_pMotorCycle = nullptr;
};
