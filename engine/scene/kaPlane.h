#pragma once

#include "platform/gfx/math/Vector3.h"

// The plane a x + b y + c z + d = 0.
class kaPlane
{
public:
    kaPlane() = default;
    virtual ~kaPlane() = default;

    void Set(const platform::Vector3& normal, float d);
    // Through three points; the normal is (p1 - p0) x (p2 - p0), made unit length.
    void FromPoints(const platform::Vector3& p0, const platform::Vector3& p1, const platform::Vector3& p2);
    // The height of the plane above (x, z); not finite for a vertical plane.
    float GetHeight(float x, float z) const;
    // Where the whole line through origin along direction meets the plane; the origin when they are parallel.
    platform::Vector3& IntersectRay(platform::Vector3& out, const platform::Vector3& origin,
                                    const platform::Vector3& direction) const;

    platform::Vector3 GetNormal() const { return platform::Vector3(m_A, m_B, m_C); }
    // Signed distance times the normal's length: positive in front.
    float DistanceTo(const platform::Vector3& p) const { return m_A * p.x + m_B * p.y + m_C * p.z + m_D; }

    float m_A = 0.0f;
    float m_B = 0.0f;
    float m_C = 0.0f;
    float m_D = 0.0f;
};
