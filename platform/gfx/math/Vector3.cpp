#include "platform/gfx/math/Vector3.h"

#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector4.h"
#include "platform/gfx/math/Viewport.h"

#include <cmath>

namespace platform
{

float Vec3Dot(const Vector3& a, const Vector3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vector3 Vec3Cross(const Vector3& a, const Vector3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Vec3Length(const Vector3& v)
{
    return std::sqrt(Vec3LengthSq(v));
}

float Vec3LengthSq(const Vector3& v)
{
    return Vec3Dot(v, v);
}

Vector3 Vec3Lerp(const Vector3& a, const Vector3& b, float t)
{
    return a + (b - a) * t;
}

Vector3* Vec3Normalize(Vector3* out, const Vector3* v)
{
    const float length = Vec3Length(*v);
    *out = length > 0.0f ? *v / length : Vector3();
    return out;
}

Vector4* Vec3Transform(Vector4* out, const Vector3* v, const Matrix* m)
{
    const Vector3 p = *v;
    *out = Vector4(p.x * m->m[0][0] + p.y * m->m[1][0] + p.z * m->m[2][0] + m->m[3][0],
                   p.x * m->m[0][1] + p.y * m->m[1][1] + p.z * m->m[2][1] + m->m[3][1],
                   p.x * m->m[0][2] + p.y * m->m[1][2] + p.z * m->m[2][2] + m->m[3][2],
                   p.x * m->m[0][3] + p.y * m->m[1][3] + p.z * m->m[2][3] + m->m[3][3]);
    return out;
}

namespace
{

Matrix Combine(const Matrix* projection, const Matrix* view, const Matrix* world)
{
    Matrix combined;
    if (world)
        combined = *world;
    if (view)
        combined *= *view;
    if (projection)
        combined *= *projection;
    return combined;
}

} // namespace

Vector3* Vec3Project(Vector3* out, const Vector3* v, const Viewport* viewport, const Matrix* projection,
                     const Matrix* view, const Matrix* world)
{
    const Matrix combined = Combine(projection, view, world);
    Vector3 p;
    Vec3TransformCoord(&p, v, &combined);
    const float width = static_cast<float>(viewport->Width);
    const float height = static_cast<float>(viewport->Height);
    out->x = static_cast<float>(viewport->X) + (1.0f + p.x) * width * 0.5f;
    out->y = static_cast<float>(viewport->Y) + (1.0f - p.y) * height * 0.5f;
    out->z = viewport->MinZ + p.z * (viewport->MaxZ - viewport->MinZ);
    return out;
}

Vector3* Vec3Unproject(Vector3* out, const Vector3* v, const Viewport* viewport, const Matrix* projection,
                       const Matrix* view, const Matrix* world)
{
    Matrix inverse = Combine(projection, view, world);
    if (!MatrixInverse(&inverse, nullptr, &inverse))
        return nullptr;
    const float width = static_cast<float>(viewport->Width);
    const float height = static_cast<float>(viewport->Height);
    const float depthRange = viewport->MaxZ - viewport->MinZ;
    Vector3 p;
    p.x = width != 0.0f ? 2.0f * (v->x - static_cast<float>(viewport->X)) / width - 1.0f : 0.0f;
    p.y = height != 0.0f ? 1.0f - 2.0f * (v->y - static_cast<float>(viewport->Y)) / height : 0.0f;
    p.z = depthRange != 0.0f ? (v->z - viewport->MinZ) / depthRange : 0.0f;
    return Vec3TransformCoord(out, &p, &inverse);
}

} // namespace platform
