#include "engine/scene/kaPlane.h"

using platform::Vector3;

void kaPlane::Set(const Vector3& normal, float d)
{
    m_A = normal.x;
    m_B = normal.y;
    m_C = normal.z;
    m_D = d;
}

void kaPlane::FromPoints(const Vector3& p0, const Vector3& p1, const Vector3& p2)
{
    Vector3 e1 = p1 - p0;
    Vector3 e2 = p2 - p0;
    platform::Vec3Normalize(&e1, &e1);
    platform::Vec3Normalize(&e2, &e2);
    Vector3 normal = platform::Vec3Cross(e1, e2);
    platform::Vec3Normalize(&normal, &normal);
    Set(normal, -platform::Vec3Dot(normal, p0));
}

float kaPlane::GetHeight(float x, float z) const
{
    return -(m_A * x + m_C * z + m_D) / m_B;
}

Vector3& kaPlane::IntersectRay(Vector3& out, const Vector3& origin, const Vector3& direction) const
{
    const float s = DistanceTo(origin);
    const float q = -platform::Vec3Dot(GetNormal(), direction);
    if (q == 0.0f)
        return out = origin;
    return out = origin + direction * (s / q);
}
