#include "tools/imagetool/ProceduralImage.h"

#include <algorithm>
#include <cmath>

namespace
{

uint32_t Blend(uint32_t from, uint32_t to, uint32_t step, uint32_t steps)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
    {
        const uint32_t a = from >> shift & 0xFF;
        const uint32_t b = to >> shift & 0xFF;
        const uint32_t c = steps ? (a * (steps - step) + b * step + steps / 2) / steps : a;
        out |= c << shift;
    }
    return out;
}

} // namespace

Picture ProceduralImage::Checker(uint32_t width, uint32_t height, uint32_t cell, uint32_t first,
                                 uint32_t second)
{
    Picture picture;
    picture.width = width;
    picture.height = height;
    cell = std::max(1u, cell);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            picture.texels.push_back(((x / cell + y / cell) % 2) ? second : first);
    return picture;
}

Picture ProceduralImage::Gradient(uint32_t width, uint32_t height, uint32_t from, uint32_t to, bool vertical)
{
    Picture picture;
    picture.width = width;
    picture.height = height;
    const uint32_t steps = (vertical ? height : width) > 0 ? (vertical ? height : width) - 1 : 0;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            picture.texels.push_back(Blend(from, to, vertical ? y : x, steps));
    return picture;
}

Picture ProceduralImage::Glow(uint32_t width, uint32_t height, uint32_t colour)
{
    Picture picture;
    picture.width = width;
    picture.height = height;
    const double cx = width / 2.0;
    const double cy = height / 2.0;
    const double radius = std::max(0.5, std::min(cx, cy));
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
        {
            const double distance = std::hypot(x + 0.5 - cx, y + 0.5 - cy) / radius;
            const double strength = distance >= 1.0 ? 0.0 : (1.0 - distance) * (1.0 - distance);
            const uint32_t alpha = uint32_t(std::lround(strength * ((colour >> 24) & 0xFF)));
            picture.texels.push_back(alpha << 24 | (colour & 0xFFFFFF));
        }
    return picture;
}

Picture ProceduralImage::Tree(uint32_t width, uint32_t height, uint32_t trunk, uint32_t crown)
{
    Picture picture;
    picture.width = width;
    picture.height = height;
    const double w = width;
    const double h = height;
    // The crown fills the top two thirds, the trunk the middle eighth of the width below it.
    const double crownX = w / 2.0;
    const double crownY = h * 0.36;
    const double radiusX = w * 0.47;
    const double radiusY = h * 0.34;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
        {
            const double px = x + 0.5;
            const double py = y + 0.5;
            const double dx = (px - crownX) / radiusX;
            const double dy = (py - crownY) / radiusY;
            const double d = dx * dx + dy * dy;
            uint32_t texel = 0;
            if (d < 1.0)
            {
                // Lit from the upper left: darker towards the lower right.
                const uint32_t shade = static_cast<uint32_t>(std::lround(40.0 * (dx + dy + 2.0) / 4.0));
                texel = Blend(crown, 0xFF000000u, shade, 100u);
            }
            else if (std::fabs(px - w / 2.0) < w / 16.0 && py > crownY)
                texel = trunk;
            picture.texels.push_back(texel);
        }
    return picture;
}

Picture ProceduralImage::CarSide(uint32_t width, uint32_t height, uint32_t body, uint32_t sky, uint32_t ground)
{
    Picture picture = Gradient(width, height, sky, ground, true);
    const double w = width;
    const double h = height;
    const double wheelRadius = h * 0.14;
    const double wheelY = h * 0.72;
    const double wheelX[2] = {w * 0.27, w * 0.73};
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
        {
            const double px = x + 0.5;
            const double py = y + 0.5;
            uint32_t& texel = picture.texels[static_cast<size_t>(y) * width + x];
            const bool lower = px > w * 0.1 && px < w * 0.9 && py > h * 0.5 && py < h * 0.72;
            const bool cabin = px > w * 0.3 && px < w * 0.68 && py > h * 0.32 && py <= h * 0.5;
            const bool window = px > w * 0.34 && px < w * 0.64 && py > h * 0.36 && py <= h * 0.48;
            if (window)
                texel = 0xFF78A0C8u;
            else if (lower || cabin)
                texel = body;
            for (double cx : wheelX)
            {
                const double dx = px - cx;
                const double dy = py - wheelY;
                const double d = std::sqrt(dx * dx + dy * dy);
                if (d < wheelRadius)
                    texel = d < wheelRadius * 0.45 ? 0xFFB0B0B0u : 0xFF202020u;
            }
        }
    return picture;
}
