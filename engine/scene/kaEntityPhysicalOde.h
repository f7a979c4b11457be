#pragma once

#include "platform/gfx/math/Matrix.h"

#include <ode/ode.h>

// Conversions between the engine's vectors and rotations and ODE's, shared by kaEntityPhysical's sources.
namespace kaEntityPhysicalOde
{

// ODE aborts on a zero quaternion; a file rotation without its children gives one.
inline platform::Quaternion Usable(const platform::Quaternion& q)
{
    if (q.x == 0.0f && q.y == 0.0f && q.z == 0.0f && q.w == 0.0f)
        return platform::Quaternion();
    return q;
}

inline platform::Vector3 Turn(const platform::Vector3& v, const platform::Quaternion& q)
{
    const platform::Quaternion usable = Usable(q);
    platform::Matrix rotation;
    platform::MatrixRotationQuaternion(&rotation, &usable);
    platform::Vector3 out;
    platform::Vec3TransformNormal(&out, &v, &rotation);
    return out;
}

inline void ToODE(const platform::Quaternion& q, dQuaternion out)
{
    const platform::Quaternion usable = Usable(q);
    out[0] = usable.w;
    out[1] = usable.x;
    out[2] = usable.y;
    out[3] = usable.z;
}

inline platform::Vector3 FromODEVector(const dReal* v)
{
    return platform::Vector3(static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]));
}

} // namespace kaEntityPhysicalOde
