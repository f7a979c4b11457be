#pragma once

namespace platform
{

struct Vector2
{
    float x = 0.0f;
    float y = 0.0f;

    Vector2() = default;
    Vector2(float ax, float ay) : x(ax), y(ay) {}

    Vector2 operator+(const Vector2& o) const { return {x + o.x, y + o.y}; }
    Vector2 operator-(const Vector2& o) const { return {x - o.x, y - o.y}; }
    Vector2 operator*(float s) const { return {x * s, y * s}; }
    bool operator==(const Vector2& o) const { return x == o.x && y == o.y; }
    bool operator!=(const Vector2& o) const { return !(*this == o); }
};

float Vec2Dot(const Vector2& a, const Vector2& b);
float Vec2Length(const Vector2& v);
// Unit vector in the direction of v; a zero vector stays zero. out may alias v.
Vector2* Vec2Normalize(Vector2* out, const Vector2* v);

} // namespace platform
