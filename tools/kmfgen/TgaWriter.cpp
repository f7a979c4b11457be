#include "tools/kmfgen/TgaWriter.h"

#include <cstdio>
#include <vector>

bool TgaWriter::Write(const std::string& path, int width, int height,
                      const std::function<uint32_t(int x, int y)>& pixel)
{
    std::vector<uint8_t> bytes(18, 0);
    bytes[2] = 2; // uncompressed true colour
    bytes[12] = static_cast<uint8_t>(width & 0xFF);
    bytes[13] = static_cast<uint8_t>(width >> 8);
    bytes[14] = static_cast<uint8_t>(height & 0xFF);
    bytes[15] = static_cast<uint8_t>(height >> 8);
    bytes[16] = 32;
    bytes[17] = 8; // eight alpha bits, first row at the bottom
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            const uint32_t argb = pixel(x, y);
            bytes.push_back(static_cast<uint8_t>(argb));
            bytes.push_back(static_cast<uint8_t>(argb >> 8));
            bytes.push_back(static_cast<uint8_t>(argb >> 16));
            bytes.push_back(static_cast<uint8_t>(argb >> 24));
        }
    }
    const std::string temp = path + ".tmp";
    FILE* file = std::fopen(temp.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(temp.c_str(), path.c_str()) != 0)
    {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}
