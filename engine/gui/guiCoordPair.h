#pragma once

#include "engine/gui/guiCoord.h"

#include <iosfwd>
#include <string>

// A GUI position or size: x then y.
class guiCoordPair
{
public:
    guiCoordPair() = default;
    guiCoordPair(const guiCoord& x, const guiCoord& y) : x(x), y(y) {}

    static guiCoordPair Pixels(float x, float y) { return {guiCoord::Pixels(x), guiCoord::Pixels(y)}; }
    static guiCoordPair Relative(float x, float y) { return {guiCoord::Relative(x), guiCoord::Relative(y)}; }

    // "x xflag y yflag" as decimal text; a read that does not find all four numbers keeps the pair.
    void WriteText(std::ostream& stream) const;
    void ReadText(std::istream& stream);
    // The text form WriteText gives.
    std::string ToText() const;
    // 16 bytes: x value, x flag, y value, y flag.
    void Write(kaBinaryStream& stream) const;
    void Read(kaBinaryStream& stream);

    bool operator==(const guiCoordPair& other) const { return x == other.x && y == other.y; }
    bool operator!=(const guiCoordPair& other) const { return !(*this == other); }

    guiCoord x;
    guiCoord y;
};
