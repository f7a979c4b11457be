#pragma once

#include <cstdint>
#include <iosfwd>

class kaBinaryStream;

// A colour of four floats, each kept in [0, 1]. The default is opaque white.
class kaColor
{
public:
    kaColor() = default;
    virtual ~kaColor() = default;

    // Each component clamped to [0, 1]; a NaN becomes 0.
    static kaColor kaColorClamped(float r, float g, float b, float a);
    // from + (to - from) * t per component, clamped; t itself may lie outside [0, 1].
    static kaColor Lerp(const kaColor& from, const kaColor& to, float t);

    // A8R8G8B8 as the vertex colours take it; each channel scaled by 255 and truncated.
    uint32_t ToArgb() const;

    // r, g, b, a as four 4-byte floats. The read clamps; a short read leaves the rest unchanged.
    void Write(kaBinaryStream& stream) const;
    void Read(kaBinaryStream& stream);

    // The four values separated by single blanks, in the stream's float format. A read that fails
    // leaves the colour unchanged.
    void WriteText(std::ostream& stream) const;
    void ReadText(std::istream& stream);

    float r = 1.0f;
    float g = 1.0f;
    float b = 1.0f;
    float a = 1.0f;
};
