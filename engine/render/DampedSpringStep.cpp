#include "engine/render/DampedSpringStep.h"

using namespace platform;

Vector3& DampedSpringStep(Vector3& current, const Vector3& goal, const Vector3& previousGoal, float dt,
                          float stiffness, float damping, float restLength)
{
    const Vector3 offset = current - goal;
    const float length = Vec3Length(offset);
    if (length == 0.0f)
        return current;
    const Vector3 direction = offset / length;
    const Vector3 goalMove = (previousGoal - goal) * dt;
    const float speed = Vec3Dot(goalMove, direction) * damping + (restLength - length) * stiffness;
    current += direction * (speed * dt);
    return current;
}
