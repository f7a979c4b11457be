#include "tools/ddswriter/DdsWriter.h"

#include "platform/gfx/DdsFile.h"
#include "platform/gfx/GfxTypes.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace
{

std::vector<uint32_t> Texels(size_t count, uint32_t seed)
{
    std::vector<uint32_t> out(count);
    for (size_t i = 0; i < count; ++i)
        out[i] = seed * 2654435761u + static_cast<uint32_t>(i) * 0x01030507u;
    return out;
}

// The texels of one level of one face as the reader holds them.
std::vector<uint32_t> Read(const platform::DdsFile& file, uint32_t face)
{
    const platform::DdsLevel& level = file.GetLevel(0, face);
    std::vector<uint32_t> out(level.data.size() / 4);
    std::memcpy(out.data(), level.data.data(), out.size() * 4);
    return out;
}

TEST(DdsWriterTest, TheEnginesReaderGetsBackEveryKind)
{
    std::vector<uint32_t> faces[6];
    for (uint32_t f = 0; f < 6; ++f)
        faces[f] = Texels(16, f + 1);
    const std::vector<uint32_t> flat = Texels(8 * 2, 7);
    const std::vector<uint32_t> volume = Texels(4 * 2 * 3, 9);
    struct Case
    {
        std::string bytes;
        uint32_t type, width, height, depth, faceCount;
        std::vector<std::vector<uint32_t>> texels;
    } cases[] = {
        {DdsWriter::Texture2D(8, 2, flat), platform::RTYPE_TEXTURE, 8, 2, 1, 1, {flat}},
        {DdsWriter::Cube(4, faces),
         platform::RTYPE_CUBETEXTURE,
         4,
         4,
         1,
         6,
         {faces[0], faces[1], faces[2], faces[3], faces[4], faces[5]}},
        {DdsWriter::Volume(4, 2, 3, volume), platform::RTYPE_VOLUMETEXTURE, 4, 2, 3, 1, {volume}},
    };
    testsupport::TempDir dir;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.type);
        const std::string path = dir.File("texture.dds");
        ASSERT_TRUE(DdsWriter::Save(path, c.bytes));
        platform::DdsFile file;
        ASSERT_TRUE(file.LoadFromFile(path, platform::DdsFile::kLevelsFromFile)) << file.GetError();
        EXPECT_EQ(file.GetType(), c.type);
        EXPECT_EQ(file.GetFormat(), static_cast<uint32_t>(platform::FMT_A8R8G8B8));
        EXPECT_EQ(file.GetWidth(), c.width);
        EXPECT_EQ(file.GetHeight(), c.height);
        EXPECT_EQ(file.GetDepth(), c.depth);
        ASSERT_EQ(file.GetFaceCount(), c.faceCount);
        EXPECT_EQ(file.GetFileLevelCount(), 1u);
        for (uint32_t face = 0; face < c.faceCount; ++face)
            EXPECT_EQ(Read(file, face), c.texels[face]) << face;
    }
}

} // namespace
