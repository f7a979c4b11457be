#pragma once

namespace platform
{

struct Matrix;

struct Vector4
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;

    Vector4() = default;
    Vector4(float ax, float ay, float az, float aw) : x(ax), y(ay), z(az), w(aw) {}

    bool operator==(const Vector4& o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }
    bool operator!=(const Vector4& o) const { return !(*this == o); }
};

// v·m. out may alias v.
Vector4* Vec4Transform(Vector4* out, const Vector4* v, const Matrix* m);

} // namespace platform
