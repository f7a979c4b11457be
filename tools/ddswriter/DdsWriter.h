#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes uncompressed 32-bit DDS textures (A8R8G8B8, one mip level): a 2D picture, a cube of six faces or
// a volume of slices. Texels are 0xAARRGGBB, rows top to bottom; cube faces in the order +X, -X, +Y, -Y,
// +Z, -Z; a volume's slices one after another.
class DdsWriter
{
public:
    static std::string Texture2D(uint32_t width, uint32_t height, const std::vector<uint32_t>& texels);
    // Each face width x width.
    static std::string Cube(uint32_t width, const std::vector<uint32_t> (&faces)[6]);
    static std::string Volume(uint32_t width, uint32_t height, uint32_t depth,
                              const std::vector<uint32_t>& texels);

    // Writes the bytes through a temporary file renamed over the path; false when nothing was written.
    static bool Save(const std::string& path, const std::string& bytes);

private:
    static std::string _Header(uint32_t width, uint32_t height, uint32_t depth, uint32_t caps2);
    static void _AppendTexels(std::string& out, const std::vector<uint32_t>& texels);
};
