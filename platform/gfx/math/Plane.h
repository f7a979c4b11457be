#pragma once

namespace platform
{

struct Vector3;

// a·x + b·y + c·z + d = 0.
struct Plane
{
    float a = 0.0f;
    float b = 0.0f;
    float c = 0.0f;
    float d = 0.0f;

    Plane() = default;
    Plane(float aa, float ab, float ac, float ad) : a(aa), b(ab), c(ac), d(ad) {}

    bool operator==(const Plane& o) const { return a == o.a && b == o.b && c == o.c && d == o.d; }
    bool operator!=(const Plane& o) const { return !(*this == o); }
};

// All four values divided by the length of (a, b, c); a plane without a normal stays as it is.
Plane* PlaneNormalize(Plane* out, const Plane* p);
float PlaneDotCoord(const Plane* p, const Vector3* v);
float PlaneDotNormal(const Plane* p, const Vector3* v);
Plane* PlaneFromPointNormal(Plane* out, const Vector3* point, const Vector3* normal);

} // namespace platform
