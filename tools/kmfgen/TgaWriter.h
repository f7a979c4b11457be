#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Writes small uncompressed 32-bit TGA images (bottom-up rows) for the sample models' textures.
class TgaWriter
{
public:
    // pixel(x, y) gives 0xAARRGGBB with y = 0 at the bottom row.
    static bool Write(const std::string& path, int width, int height,
                      const std::function<uint32_t(int x, int y)>& pixel);
};
