#include "engine/core/kaAngles.h"

#include <cmath>

namespace kaAngles
{

float Wrap(float angle)
{
    // Exact for every finite angle. Only pi itself lies halfway between two whole turns of the float 2 pi,
    // and there the even count, none, leaves it as stepping does.
    return std::isfinite(angle) ? std::remainder(angle, kTwoPi) : angle;
}

float NearTurn(float angle, float reference)
{
    const float offset = angle - reference;
    if (!std::isfinite(offset) || std::fabs(offset) <= kPi)
        return angle;
    // The whole turns in the offset, exact within a few of them, so one turn off is one subtraction of 2 pi.
    return angle - (offset - Wrap(offset));
}

} // namespace kaAngles
