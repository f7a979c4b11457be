#include "platform/gfx/math/Vector2.h"

#include <cmath>

namespace platform
{

float Vec2Dot(const Vector2& a, const Vector2& b)
{
    return a.x * b.x + a.y * b.y;
}

float Vec2Length(const Vector2& v)
{
    return std::sqrt(Vec2Dot(v, v));
}

Vector2* Vec2Normalize(Vector2* out, const Vector2* v)
{
    const float length = Vec2Length(*v);
    *out = length > 0.0f ? Vector2(v->x / length, v->y / length) : Vector2();
    return out;
}

} // namespace platform
