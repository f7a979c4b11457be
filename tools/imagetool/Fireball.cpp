#include "tools/imagetool/Fireball.h"

#include <algorithm>
#include <cmath>

namespace
{

uint32_t Mix(double t, uint32_t a, uint32_t b)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8)
    {
        const double from = (a >> shift) & 0xFF;
        const double to = (b >> shift) & 0xFF;
        out |= uint32_t(std::lround(from + (to - from) * t)) << shift;
    }
    return out;
}

} // namespace

Picture Fireball(uint32_t size)
{
    constexpr double kPi = 3.14159265358979323846;
    Picture picture;
    picture.width = size;
    picture.height = size;
    const double centre = size / 2.0;
    for (uint32_t y = 0; y < size; ++y)
        for (uint32_t x = 0; x < size; ++x)
        {
            const double dx = x + 0.5 - centre;
            const double dy = y + 0.5 - centre;
            const double angle = std::atan2(dy, dx);
            // Seven flames and a faster ripple push the rim out and in.
            const double rim =
                0.78 + 0.12 * std::sin(7.0 * angle) + 0.06 * std::sin(13.0 * angle + kPi / 3.0);
            const double d = std::hypot(dx, dy) / centre / rim;
            if (d >= 1.0)
            {
                picture.texels.push_back(0);
                continue;
            }
            const uint32_t colour =
                d < 0.35 ? Mix(d / 0.35, 0xFFFFF0, 0xFFC030) : Mix((d - 0.35) / 0.65, 0xFFC030, 0x801000);
            const double alpha = d < 0.6 ? 1.0 : 1.0 - (d - 0.6) / 0.4;
            picture.texels.push_back(uint32_t(std::lround(255.0 * alpha)) << 24 | colour);
        }
    return picture;
}
