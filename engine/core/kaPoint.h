#pragma once

#include <cstdint>
#include <iosfwd>

class kaBinaryStream;

// An integer pixel position.
class kaPoint
{
public:
    kaPoint() = default;
    kaPoint(int32_t x, int32_t y) : x(x), y(y) {}

    kaPoint operator+(const kaPoint& other) const { return kaPoint(x + other.x, y + other.y); }

    double Distance(const kaPoint& other) const;
    double Length() const;
    // Length truncated toward zero.
    int32_t LengthInt() const;

    // x then y, 4 bytes each.
    void Write(kaBinaryStream& stream) const;
    void Read(kaBinaryStream& stream);
    // x and y as decimal integers separated by a blank. A read that fails leaves the point unchanged.
    void WriteText(std::ostream& stream) const;
    void ReadText(std::istream& stream);

    int32_t x = 0;
    int32_t y = 0;
};
