#include "platform/gfx/math/Quaternion.h"

#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector3.h"

#include <cmath>

namespace platform
{

Quaternion* QuaternionIdentity(Quaternion* out)
{
    *out = Quaternion();
    return out;
}

float QuaternionDot(const Quaternion* a, const Quaternion* b)
{
    return a->x * b->x + a->y * b->y + a->z * b->z + a->w * b->w;
}

float QuaternionLength(const Quaternion* q)
{
    return std::sqrt(QuaternionDot(q, q));
}

Quaternion* QuaternionNormalize(Quaternion* out, const Quaternion* q)
{
    const float length = QuaternionLength(q);
    if (length > 0.0f)
        *out = Quaternion(q->x / length, q->y / length, q->z / length, q->w / length);
    else
        *out = Quaternion(0.0f, 0.0f, 0.0f, 0.0f);
    return out;
}

Quaternion* QuaternionConjugate(Quaternion* out, const Quaternion* q)
{
    *out = Quaternion(-q->x, -q->y, -q->z, q->w);
    return out;
}

Quaternion* QuaternionMultiply(Quaternion* out, const Quaternion* a, const Quaternion* b)
{
    // Hamilton product b·a: under row vectors that applies a first.
    const Quaternion p = *b, q = *a;
    *out = Quaternion(
        p.w * q.x + p.x * q.w + p.y * q.z - p.z * q.y, p.w * q.y - p.x * q.z + p.y * q.w + p.z * q.x,
        p.w * q.z + p.x * q.y - p.y * q.x + p.z * q.w, p.w * q.w - p.x * q.x - p.y * q.y - p.z * q.z);
    return out;
}

Quaternion* QuaternionRotationAxis(Quaternion* out, const Vector3* axis, float angle)
{
    Vector3 unit;
    Vec3Normalize(&unit, axis);
    const float s = std::sin(angle * 0.5f);
    *out = Quaternion(unit.x * s, unit.y * s, unit.z * s, std::cos(angle * 0.5f));
    return out;
}

Quaternion* QuaternionRotationYawPitchRoll(Quaternion* out, float yaw, float pitch, float roll)
{
    const Vector3 xAxis(1, 0, 0), yAxis(0, 1, 0), zAxis(0, 0, 1);
    Quaternion qz, qx, qy;
    QuaternionRotationAxis(&qz, &zAxis, roll);
    QuaternionRotationAxis(&qx, &xAxis, pitch);
    QuaternionRotationAxis(&qy, &yAxis, yaw);
    QuaternionMultiply(out, &qz, &qx);
    return QuaternionMultiply(out, out, &qy);
}

Quaternion* QuaternionRotationMatrix(Quaternion* out, const Matrix* mat)
{
    const auto& m = mat->m;
    const float trace = m[0][0] + m[1][1] + m[2][2];
    Quaternion q;
    if (trace > 0.0f)
    {
        const float s = std::sqrt(trace + 1.0f) * 2.0f;
        q = Quaternion((m[1][2] - m[2][1]) / s, (m[2][0] - m[0][2]) / s, (m[0][1] - m[1][0]) / s, 0.25f * s);
    }
    else if (m[0][0] >= m[1][1] && m[0][0] >= m[2][2])
    {
        const float s = std::sqrt(1.0f + m[0][0] - m[1][1] - m[2][2]) * 2.0f;
        q = Quaternion(0.25f * s, (m[0][1] + m[1][0]) / s, (m[0][2] + m[2][0]) / s, (m[1][2] - m[2][1]) / s);
    }
    else if (m[1][1] >= m[2][2])
    {
        const float s = std::sqrt(1.0f + m[1][1] - m[0][0] - m[2][2]) * 2.0f;
        q = Quaternion((m[0][1] + m[1][0]) / s, 0.25f * s, (m[1][2] + m[2][1]) / s, (m[2][0] - m[0][2]) / s);
    }
    else
    {
        const float s = std::sqrt(1.0f + m[2][2] - m[0][0] - m[1][1]) * 2.0f;
        q = Quaternion((m[0][2] + m[2][0]) / s, (m[1][2] + m[2][1]) / s, 0.25f * s, (m[0][1] - m[1][0]) / s);
    }
    *out = q;
    return out;
}

Quaternion* QuaternionSlerp(Quaternion* out, const Quaternion* a, const Quaternion* b, float t)
{
    Quaternion to = *b;
    float cosine = QuaternionDot(a, b);
    if (cosine < 0.0f)
    {
        cosine = -cosine;
        to = Quaternion(-to.x, -to.y, -to.z, -to.w);
    }
    float wa = 1.0f - t, wb = t;
    // Nearly parallel: the sine below vanishes, and a straight blend is as good.
    if (cosine < 0.9999f)
    {
        const float angle = std::acos(cosine);
        const float sine = std::sin(angle);
        wa = std::sin((1.0f - t) * angle) / sine;
        wb = std::sin(t * angle) / sine;
    }
    const Quaternion from = *a;
    *out = Quaternion(wa * from.x + wb * to.x, wa * from.y + wb * to.y, wa * from.z + wb * to.z,
                      wa * from.w + wb * to.w);
    return out;
}

} // namespace platform
