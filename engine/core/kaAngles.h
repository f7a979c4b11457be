#pragma once

// Angles in radians, moved by whole turns. Each takes a remainder rather than stepping a turn at a time: past
// about 1e8 a float no longer changes by a turn, and physics or data can hand over anything up to 3.4e38.
// Within a turn of the range the results are those of stepping, bit for bit; further out they are exact,
// where stepping gathered a rounding each turn.
namespace kaAngles
{
constexpr float kPi = 3.14159265f;
constexpr float kTwoPi = 2.0f * kPi;

// The angle in [-pi, pi]. Not finite: returned as it is.
float Wrap(float angle);
// The angle moved by whole turns to within half a turn of the reference. Returned as it is when their
// difference is not finite.
float NearTurn(float angle, float reference);
} // namespace kaAngles
