#include "engine/core/kaPoint.h"

#include "engine/core/kaBinaryStream.h"

#include <cmath>
#include <istream>
#include <ostream>

double kaPoint::Distance(const kaPoint& other) const
{
    const double dx = static_cast<double>(x) - static_cast<double>(other.x);
    const double dy = static_cast<double>(y) - static_cast<double>(other.y);
    return std::sqrt(dx * dx + dy * dy);
}

double kaPoint::Length() const
{
    // 64 bits: the squares of coordinates past 46340 no longer fit in 32. Unsigned, so that even two
    // squares of -2^31 add up without overflow.
    const int64_t sx = x;
    const int64_t sy = y;
    const uint64_t sum = static_cast<uint64_t>(sx * sx) + static_cast<uint64_t>(sy * sy);
    return std::sqrt(static_cast<double>(sum));
}

int32_t kaPoint::LengthInt() const
{
    return static_cast<int32_t>(Length());
}

void kaPoint::Write(kaBinaryStream& stream) const
{
    stream.WriteInt32(x).WriteInt32(y);
}

void kaPoint::Read(kaBinaryStream& stream)
{
    stream.ReadInt32(x).ReadInt32(y);
}

void kaPoint::WriteText(std::ostream& stream) const
{
    stream << x << ' ' << y;
}

void kaPoint::ReadText(std::istream& stream)
{
    int32_t readX;
    int32_t readY;
    if (stream >> readX >> readY)
    {
        x = readX;
        y = readY;
    }
}
