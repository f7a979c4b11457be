#include "engine/scene/kaLineSegment.h"

#include "engine/scene/kaPlane.h"

using platform::Vector3;

namespace
{

// The last projection made by ClosestPoint, of whichever segment.
struct Projection
{
    Vector3 direction;
    float length = 0.0f;
    float t = 0.0f;
    Vector3 toPoint;
    Vector3 span;
};
Projection g_Projection;

} // namespace

kaLineSegment::kaLineSegment(float startX, float startY, float startZ, float endX, float endY, float endZ)
    : m_Start(startX, startY, startZ), m_End(endX, endY, endZ)
{
    const Vector3 span = m_End - m_Start;
    platform::Vec3Normalize(&m_Direction, &span);
}

Vector3& kaLineSegment::ClosestPoint(Vector3& out, const Vector3& p) const
{
    Projection& r = g_Projection;
    r.toPoint = p - m_Start;
    r.span = m_End - m_Start;
    r.length = platform::Vec3Length(r.span);
    // No length, no direction: every point is closest to the start.
    r.direction = r.length > 0.0f ? r.span / r.length : Vector3();
    r.t = platform::Vec3Dot(r.toPoint, r.direction);
    if (r.length == 0.0f || r.t <= 0.0f)
        return out = m_Start;
    if (r.t >= r.length)
        return out = m_End;
    return out = m_Start + r.direction * r.t;
}

bool kaLineSegment::GetProjectedPoint(Vector3& out, Vector3& direction) const
{
    const Projection& r = g_Projection;
    direction = r.direction;
    if (!(r.t > 0.0f && r.t < r.length))
        return false;
    out = m_Start + r.direction * r.t;
    return true;
}

bool kaLineSegment::IntersectPlane(const kaPlane& plane, Vector3& out, bool bothSides) const
{
    if (IsEmpty())
        return false;
    const float atEnd = plane.DistanceTo(m_End);
    const float atStart = plane.DistanceTo(m_Start);
    if (bothSides)
    {
        if (atEnd * atStart >= 0.0f)
            return false;
    }
    else if (atEnd > 0.0f || atStart < 0.0f)
        return false;

    Vector3 u = m_End - m_Start;
    platform::Vec3Normalize(&u, &u);
    const float q = platform::Vec3Dot(plane.GetNormal(), u);
    if (q == 0.0f)
        out = m_Start;
    else
        out = m_Start + u * (-atStart / q);
    return true;
}
