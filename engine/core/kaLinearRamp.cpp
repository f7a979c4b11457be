#include "engine/core/kaLinearRamp.h"

float kaLinearRamp::Evaluate(const kaLinearRamp& ramp, float x)
{
    // A zero-length fade would divide by zero and hand a NaN volume on.
    if (ramp.inputEnd == ramp.inputStart)
        return x < ramp.inputStart ? ramp.outputStart : ramp.outputEnd;
    const float t = (x - ramp.inputStart) / (ramp.inputEnd - ramp.inputStart);
    if (t < 0.0f)
        return ramp.outputStart;
    if (t > 1.0f)
        return ramp.outputEnd;
    return ramp.outputStart + (ramp.outputEnd - ramp.outputStart) * t;
}
