#include "engine/gui/guiCoord.h"

#include "engine/core/kaBinaryStream.h"

#include <cmath>
#include <istream>
#include <limits>
#include <ostream>

namespace gui
{

int32_t TruncateToInt(float value)
{
    if (std::isnan(value))
        return 0;
    // 2^31 is exact as a float; every float below it and above -2^31 fits after truncation.
    constexpr float kLimit = 2147483648.0f;
    if (value >= kLimit)
        return std::numeric_limits<int32_t>::max();
    if (value <= -kLimit)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

int32_t ClampToInt(int64_t value)
{
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

kaPoint AddPixels(const kaPoint& a, const kaPoint& b)
{
    return kaPoint(ClampToInt(int64_t(a.x) + b.x), ClampToInt(int64_t(a.y) + b.y));
}

} // namespace gui

int32_t guiCoord::ToPixels(float reference) const
{
    return gui::TruncateToInt(IsRelative() ? value * reference : value);
}

void guiCoord::WriteText(std::ostream& stream) const
{
    stream << value << ' ' << relative;
}

void guiCoord::ReadText(std::istream& stream)
{
    float readValue;
    int32_t readRelative;
    if (stream >> readValue >> readRelative)
    {
        value = readValue;
        relative = readRelative;
    }
}

void guiCoord::Write(kaBinaryStream& stream) const
{
    stream.WriteFloat(value).WriteInt32(relative);
}

void guiCoord::Read(kaBinaryStream& stream)
{
    stream.ReadFloat(value).ReadInt32(relative);
}
