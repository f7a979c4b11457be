#pragma once

namespace platform
{

struct Matrix;
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
// (x, y, z, 1)·m divided by the resulting w (left as is when w is 0). out may alias v.
Vector3* Vec3TransformCoord(Vector3* out, const Vector3* v, const Matrix* m);
// (x, y, z, 0)·m: directions and normals, no translation. out may alias v.
Vector3* Vec3TransformNormal(Vector3* out, const Vector3* v, const Matrix* m);
// (x, y, z, 1)·m with w kept.
Vector4* Vec3Transform(Vector4* out, const Vector3* v, const Matrix* m);

// Object space to viewport pixels (x, y) and depth (z). Null matrices count as identity.
Vector3* Vec3Project(Vector3* out, const Vector3* v, const Viewport* viewport, const Matrix* projection,
                     const Matrix* view, const Matrix* world);
// The inverse of Vec3Project; null when the combined matrix has no inverse.
Vector3* Vec3Unproject(Vector3* out, const Vector3* v, const Viewport* viewport, const Matrix* projection,
                       const Matrix* view, const Matrix* world);

} // namespace platform
