#pragma once

#include "platform/gfx/math/Vector3.h"

// Moves current towards goal as a damped spring of the given rest length would over dt seconds; the goal's
// own movement since the previous goal damps the step. A point on the goal is returned unchanged.
platform::Vector3& DampedSpringStep(platform::Vector3& current, const platform::Vector3& goal,
                                    const platform::Vector3& previousGoal, float dt, float stiffness,
                                    float damping, float restLength);
