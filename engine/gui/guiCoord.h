#pragma once

#include "engine/core/kaPoint.h"
#include <cstdint>

#include <iosfwd>

class kaBinaryStream;

namespace gui
{

// A float truncated toward zero, saturated at the ends of the integer range; NaN gives 0. File values
// pass through here, so no float from a layout can make the conversion undefined.
int32_t TruncateToInt(float value);

// A sum of pixel values saturated at the ends of the integer range: positions read from a layout may lie
// anywhere, and drawing adds them up.
int32_t ClampToInt(int64_t value);
kaPoint AddPixels(const kaPoint& a, const kaPoint& b);

} // namespace gui

// One axis of a GUI position or size: pixels, or with the relative flag set a fraction of a reference
// length.
class guiCoord
{
public:
    guiCoord() = default;
    guiCoord(float value, int32_t relative) : value(value), relative(relative) {}

    static guiCoord Pixels(float value) { return guiCoord(value, 0); }
    static guiCoord Relative(float value) { return guiCoord(value, 1); }

    bool IsRelative() const { return relative != 0; }
    // Pixels of this axis against the reference length, truncated toward zero.
    int32_t ToPixels(float reference) const;

    // The value and the flag as decimal text separated by a blank; a read that fails keeps both.
    void WriteText(std::ostream& stream) const;
    void ReadText(std::istream& stream);
    // 8 bytes: the float value, then the 4-byte flag.
    void Write(kaBinaryStream& stream) const;
    void Read(kaBinaryStream& stream);

    bool operator==(const guiCoord& other) const
    {
        return value == other.value && relative == other.relative;
    }
    bool operator!=(const guiCoord& other) const { return !(*this == other); }

    float value = 0.0f;
    int32_t relative = 0;
};
