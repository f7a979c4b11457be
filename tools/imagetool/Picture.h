#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An image as the tool handles it: A8R8G8B8 words, top row first.
struct Picture
{
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> texels;

    bool HasAlpha() const;
    // BGRA bytes (or BGR without alpha), as the TGA and BMP writers hold them.
    std::vector<uint8_t> Bytes(bool withAlpha) const;

    // Writes a TGA (32 bits when any texel is not opaque, else 24) or a 24-bit BMP through the engine's
    // writers, by the name's extension; a bitmap cannot hold alpha. False with a reason otherwise.
    bool Save(const std::string& path, std::string& error) const;
    // Reads any TGA, BMP or DDS file the engine reads (DDS: the first face and slice of the top level).
    static bool Load(const std::string& path, Picture& picture, std::string& error);
};
