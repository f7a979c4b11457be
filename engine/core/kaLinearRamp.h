#pragma once

// Maps an input range onto an output range, holding the end values outside the input range.
class kaLinearRamp
{
public:
    kaLinearRamp() = default;
    kaLinearRamp(float inputStart, float inputEnd, float outputStart, float outputEnd)
        : inputStart(inputStart), inputEnd(inputEnd), outputStart(outputStart), outputEnd(outputEnd)
    {
    }

    // outputStart before the input range, outputEnd after it, linear between. An empty input range is a
    // step at its one point.
    static float Evaluate(const kaLinearRamp& ramp, float x);

    float inputStart = 0.0f;
    float inputEnd = 1.0f;
    float outputStart = 0.0f;
    float outputEnd = 1.0f;
};
