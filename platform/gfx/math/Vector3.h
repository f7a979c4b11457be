#pragma once

#include "platform/gfx/math/Matrix.h"

namespace platform
{

struct Vector4;
struct Viewport;

struct Vector3
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Vector3() = default;
    Vector3(float ax, float ay, float az) : x(ax), y(ay), z(az) {}

    Vector3 operator+(const Vector3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vector3 operator-(const Vector3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vector3 operator-() const { return {-x, -y, -z}; }
    Vector3 operator*(float s) const { return {x * s, y * s, z * s}; }
    Vector3 operator/(float s) const { return {x / s, y / s, z / s}; }
    Vector3& operator+=(const Vector3& o) { return *this = *this + o; }
    Vector3& operator-=(const Vector3& o) { return *this = *this - o; }
    Vector3& operator*=(float s) { return *this = *this * s; }
    bool operator==(const Vector3& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const Vector3& o) const { return !(*this == o); }
};

inline Vector3 operator*(float s, const Vector3& v)
{
    return v * s;
}

float Vec3Dot(const Vector3& a, const Vector3& b);
Vector3 Vec3Cross(const Vector3& a, const Vector3& b);
float Vec3Length(const Vector3& v);
float Vec3LengthSq(const Vector3& v);
Vector3 Vec3Lerp(const Vector3& a, const Vector3& b, float t);

// Unit vector in the direction of v; a zero vector stays zero. out may alias v.
Vector3* Vec3Normalize(Vector3* out, const Vector3* v);
// (x, y, z, 1)·m divided by the resulting w (left as is when w is 0). out may alias v. Inline, as the
// skinning loop calls it for every vertex and bone.
inline Vector3* Vec3TransformCoord(Vector3* out, const Vector3* v, const Matrix* m)
{
    const Vector3 p = *v;
    const float x = p.x * m->m[0][0] + p.y * m->m[1][0] + p.z * m->m[2][0] + m->m[3][0];
    const float y = p.x * m->m[0][1] + p.y * m->m[1][1] + p.z * m->m[2][1] + m->m[3][1];
    const float z = p.x * m->m[0][2] + p.y * m->m[1][2] + p.z * m->m[2][2] + m->m[3][2];
    const float w = p.x * m->m[0][3] + p.y * m->m[1][3] + p.z * m->m[2][3] + m->m[3][3];
    *out = w != 0.0f ? Vector3(x / w, y / w, z / w) : Vector3(x, y, z);
    return out;
}

// (x, y, z, 0)·m: directions and normals, no translation. out may alias v.
inline Vector3* Vec3TransformNormal(Vector3* out, const Vector3* v, const Matrix* m)
{
    const Vector3 p = *v;
    *out = Vector3(p.x * m->m[0][0] + p.y * m->m[1][0] + p.z * m->m[2][0],
                   p.x * m->m[0][1] + p.y * m->m[1][1] + p.z * m->m[2][1],
                   p.x * m->m[0][2] + p.y * m->m[1][2] + p.z * m->m[2][2]);
    return out;
}
// (x, y, z, 1)·m with w kept.
Vector4* Vec3Transform(Vector4* out, const Vector3* v, const Matrix* m);

// Object space to viewport pixels (x, y) and depth (z). Null matrices count as identity.
Vector3* Vec3Project(Vector3* out, const Vector3* v, const Viewport* viewport, const Matrix* projection,
                     const Matrix* view, const Matrix* world);
// The inverse of Vec3Project; null when the combined matrix has no inverse.
Vector3* Vec3Unproject(Vector3* out, const Vector3* v, const Viewport* viewport, const Matrix* projection,
                       const Matrix* view, const Matrix* world);

} // namespace platform
