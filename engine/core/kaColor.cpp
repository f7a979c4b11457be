#include "engine/core/kaColor.h"

#include "engine/core/kaBinaryStream.h"

#include <istream>
#include <ostream>

namespace
{

// Written so that a NaN fails the first test and becomes 0.
float Clamp01(float x)
{
    return x > 0.0f ? (x < 1.0f ? x : 1.0f) : 0.0f;
}

} // namespace

kaColor kaColor::kaColorClamped(float r, float g, float b, float a)
{
    kaColor color;
    color.r = Clamp01(r);
    color.g = Clamp01(g);
    color.b = Clamp01(b);
    color.a = Clamp01(a);
    return color;
}

uint32_t kaColor::ToArgb() const
{
    auto channel = [](float value) { return static_cast<uint32_t>(value * 255.0f) & 0xFF; };
    return channel(a) << 24 | channel(r) << 16 | channel(g) << 8 | channel(b);
}

kaColor kaColor::Lerp(const kaColor& from, const kaColor& to, float t)
{
    return kaColorClamped(from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t,
                          from.b + (to.b - from.b) * t, from.a + (to.a - from.a) * t);
}

void kaColor::Write(kaBinaryStream& stream) const
{
    stream.WriteFloat(r).WriteFloat(g).WriteFloat(b).WriteFloat(a);
}

void kaColor::Read(kaBinaryStream& stream)
{
    stream.ReadFloat(r).ReadFloat(g).ReadFloat(b).ReadFloat(a);
    *this = kaColorClamped(r, g, b, a);
}

void kaColor::WriteText(std::ostream& stream) const
{
    stream << r << ' ' << g << ' ' << b << ' ' << a;
}

void kaColor::ReadText(std::istream& stream)
{
    float values[4];
    if (stream >> values[0] >> values[1] >> values[2] >> values[3])
        *this = kaColorClamped(values[0], values[1], values[2], values[3]);
}
