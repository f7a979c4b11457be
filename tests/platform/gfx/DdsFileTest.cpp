#include "platform/gfx/DdsFile.h"

#include "platform/gfx/DxtCodec.h"
#include "platform/gfx/GfxTypes.h"
#include "tests/support/TempDir.h"
#include "tests/support/platform/DdsBytes.h"

#include <gtest/gtest.h>

using namespace platform;
using ddsbytes::Dds;

namespace
{

uint32_t Texel32(const DdsLevel& level, uint32_t x, uint32_t y, uint32_t z = 0)
{
    const uint8_t* p = &level.data.at(z * level.slicePitch + y * level.rowPitch + x * 4);
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool Load(DdsFile& file, const Dds& dds, uint32_t levels = 0)
{
    const std::vector<uint8_t> bytes = ddsbytes::DdsFileBytes(dds);
    return file.LoadFromMemory(bytes.data(), bytes.size(), levels);
}

// Two blocks-worth of DXT1: a solid colour given as 565.
std::vector<uint8_t> SolidDxt1Block(uint16_t colour)
{
    return {uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour), uint8_t(colour >> 8), 0, 0, 0, 0};
}

TEST(DdsFileTest, KeepsTheFileMipLevelsOfATexture)
{
    Dds dds;
    dds.width = 4;
    dds.height = 2;
    dds.mipCount = 3;
    for (uint32_t i = 0; i < 8; ++i)
        ddsbytes::PutTexel(dds.data, 0xFF000000 | i);
    ddsbytes::PutTexel(dds.data, 0x11111111, 2);
    ddsbytes::PutTexel(dds.data, 0x22222222);

    DdsFile file;
    ASSERT_TRUE(Load(file, dds, DdsFile::kLevelsFromFile)) << file.GetError();
    EXPECT_EQ(file.GetType(), uint32_t(RTYPE_TEXTURE));
    EXPECT_EQ(file.GetFormat(), uint32_t(FMT_A8R8G8B8));
    ASSERT_EQ(file.GetLevelCount(), 3u);
    EXPECT_EQ(file.GetFileLevelCount(), 3u);
    EXPECT_EQ(file.GetLevel(0).rowPitch, 16u);
    EXPECT_EQ(Texel32(file.GetLevel(0), 3, 1), 0xFF000007u);
    EXPECT_EQ(file.GetLevel(1).width, 2u);
    EXPECT_EQ(file.GetLevel(1).height, 1u);
    EXPECT_EQ(Texel32(file.GetLevel(1), 1, 0), 0x11111111u);
    EXPECT_EQ(Texel32(file.GetLevel(2), 0, 0), 0x22222222u);

    // Asked for fewer levels, the rest are dropped.
    ASSERT_TRUE(Load(file, dds, 2));
    EXPECT_EQ(file.GetLevelCount(), 2u);
}

TEST(DdsFileTest, BuildsTheMipChainWhenTheFileHasNone)
{
    Dds dds;
    dds.width = 8;
    dds.height = 2;
    // Columns alternate 0 and 200 in red; the bottom row has blue 100.
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 8; ++x)
            ddsbytes::PutTexel(dds.data, 0xFF000000 | (x % 2 ? 200u << 16 : 0) | (y ? 100u : 0));

    DdsFile file;
    ASSERT_TRUE(Load(file, dds)) << file.GetError();
    EXPECT_EQ(file.GetFileLevelCount(), 1u);
    // 8x2, 4x1, 2x1, 1x1: the height reaches 1 first and stays there.
    ASSERT_EQ(file.GetLevelCount(), 4u);
    const uint32_t widths[] = {8, 4, 2, 1};
    for (uint32_t level = 0; level < 4; ++level)
    {
        EXPECT_EQ(file.GetLevel(level).width, widths[level]);
        EXPECT_EQ(file.GetLevel(level).height, level == 0 ? 2u : 1u);
    }
    EXPECT_EQ(Texel32(file.GetLevel(1), 0, 0), 0xFF640032u);
    EXPECT_EQ(Texel32(file.GetLevel(3), 0, 0), 0xFF640032u);
}

TEST(DdsFileTest, FiltersPackedChannelsSeparately)
{
    Dds dds;
    dds.width = 2;
    dds.height = 2;
    dds.bitCount = 16;
    dds.pixelFlags = 0x40;
    dds.masks[0] = 0xF800;
    dds.masks[1] = 0x07E0;
    dds.masks[2] = 0x001F;
    dds.masks[3] = 0;
    // Two full-red texels and two full-green ones.
    dds.data = {0x00, 0xF8, 0x00, 0xF8, 0xE0, 0x07, 0xE0, 0x07};
    DdsFile file;
    ASSERT_TRUE(Load(file, dds)) << file.GetError();
    EXPECT_EQ(file.GetFormat(), uint32_t(FMT_R5G6B5));
    ASSERT_EQ(file.GetLevelCount(), 2u);
    const DdsLevel& small = file.GetLevel(1);
    const uint32_t texel = small.data[0] | small.data[1] << 8;
    EXPECT_EQ(texel >> 11, 16u);     // (31 + 31 + 2) / 4
    EXPECT_EQ(texel >> 5 & 63, 32u); // (63 + 63 + 2) / 4
    EXPECT_EQ(texel & 31, 0u);
}

TEST(DdsFileTest, LoadsACubeMapFaceByFace)
{
    Dds dds;
    dds.width = 8;
    dds.height = 8;
    dds.mipCount = 4;
    dds.fourCC = FMT_DXT1;
    dds.caps2 = DdsFile::kCaps2CubeMap | DdsFile::kCaps2AllFaces;
    const uint16_t colours[6] = {0xF800, 0x07E0, 0x001F, 0xFFE0, 0xF81F, 0xFFFF};
    for (uint16_t colour : colours)
        for (int blocks : {4, 1, 1, 1})
            for (int b = 0; b < blocks; ++b)
            {
                const auto block = SolidDxt1Block(colour);
                dds.data.insert(dds.data.end(), block.begin(), block.end());
            }

    DdsFile file;
    ASSERT_TRUE(Load(file, dds)) << file.GetError();
    EXPECT_EQ(file.GetType(), uint32_t(RTYPE_CUBETEXTURE));
    EXPECT_EQ(file.GetFormat(), uint32_t(FMT_DXT1));
    ASSERT_EQ(file.GetFaceCount(), 6u);
    ASSERT_EQ(file.GetLevelCount(), 4u);
    EXPECT_EQ(file.GetLevel(0, 5).data.size(), 32u);
    EXPECT_EQ(file.GetLevel(3, 5).data.size(), 8u);
    EXPECT_EQ(file.GetLevel(0).rowPitch, 16u);

    std::vector<uint32_t> texels;
    ASSERT_TRUE(DxtCodec::DecodeImage(FMT_DXT1, file.GetLevel(0, 2).data.data(), 32, 8, 8, texels));
    EXPECT_EQ(texels[63], 0xFF0000FFu); // +Y, the third face, is blue
    ASSERT_TRUE(DxtCodec::DecodeImage(FMT_DXT1, file.GetLevel(2, 0).data.data(), 8, 2, 2, texels));
    EXPECT_EQ(texels[0], 0xFFFF0000u);
}

TEST(DdsFileTest, LoadsAVolumeAndFiltersAcrossSlices)
{
    Dds dds;
    dds.width = 2;
    dds.height = 2;
    dds.depth = 2;
    dds.caps2 = DdsFile::kCaps2Volume;
    ddsbytes::PutTexel(dds.data, 0xFF000000, 4);
    ddsbytes::PutTexel(dds.data, 0xFF0000C8, 4);

    DdsFile file;
    ASSERT_TRUE(Load(file, dds)) << file.GetError();
    EXPECT_EQ(file.GetType(), uint32_t(RTYPE_VOLUMETEXTURE));
    EXPECT_EQ(file.GetDepth(), 2u);
    ASSERT_EQ(file.GetLevelCount(), 2u);
    EXPECT_EQ(file.GetLevel(0).slicePitch, 16u);
    EXPECT_EQ(Texel32(file.GetLevel(0), 1, 1, 1), 0xFF0000C8u);
    const DdsLevel& small = file.GetLevel(1);
    EXPECT_EQ(small.depth, 1u);
    EXPECT_EQ(Texel32(small, 0, 0), 0xFF000064u);
}

TEST(DdsFileTest, BuildsCompressedLevelsThroughTheCodec)
{
    Dds dds;
    dds.width = 8;
    dds.height = 4;
    dds.fourCC = FMT_DXT5;
    // Every block: alpha 128 throughout, colour pure green.
    for (int b = 0; b < 2; ++b)
    {
        const uint8_t block[16] = {128, 128, 0, 0, 0, 0, 0, 0, 0xE0, 0x07, 0xE0, 0x07, 0, 0, 0, 0};
        dds.data.insert(dds.data.end(), block, block + 16);
    }
    DdsFile file;
    ASSERT_TRUE(Load(file, dds)) << file.GetError();
    ASSERT_EQ(file.GetLevelCount(), 4u);
    const DdsLevel& last = file.GetLevel(3);
    EXPECT_EQ(last.data.size(), 16u);
    std::vector<uint32_t> texels;
    ASSERT_TRUE(DxtCodec::DecodeImage(FMT_DXT5, last.data.data(), last.data.size(), 1, 1, texels));
    EXPECT_EQ(texels[0], 0x8000FF00u);
}

TEST(DdsFileTest, RecognisesFormatsByTheirMasks)
{
    struct Case
    {
        uint32_t flags, bits, r, g, b, a, format;
    };
    const Case cases[] = {
        {0x40, 32, 0xFF0000, 0xFF00, 0xFF, 0, FMT_X8R8G8B8},
        {0x41, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000, FMT_A8B8G8R8},
        {0x40, 24, 0xFF0000, 0xFF00, 0xFF, 0, FMT_R8G8B8},
        {0x41, 16, 0x7C00, 0x3E0, 0x1F, 0x8000, FMT_A1R5G5B5},
        {0x40, 16, 0x7C00, 0x3E0, 0x1F, 0, FMT_X1R5G5B5},
        {0x41, 16, 0xF00, 0xF0, 0xF, 0xF000, FMT_A4R4G4B4},
        {0x20000, 8, 0xFF, 0, 0, 0, FMT_L8},
        {0x20001, 16, 0xFF, 0, 0, 0xFF00, FMT_A8L8},
        {0x2, 8, 0, 0, 0, 0xFF, FMT_A8},
    };
    for (const Case& c : cases)
    {
        Dds dds;
        dds.width = 1;
        dds.height = 1;
        dds.pixelFlags = c.flags;
        dds.bitCount = c.bits;
        dds.masks[0] = c.r;
        dds.masks[1] = c.g;
        dds.masks[2] = c.b;
        dds.masks[3] = c.a;
        dds.data.assign(c.bits / 8, 0);
        DdsFile file;
        ASSERT_TRUE(Load(file, dds)) << c.format << ": " << file.GetError();
        EXPECT_EQ(file.GetFormat(), c.format);
    }

    Dds numbered;
    numbered.width = 1;
    numbered.height = 1;
    numbered.fourCC = FMT_A16B16G16R16;
    numbered.data.assign(8, 0);
    DdsFile file;
    ASSERT_TRUE(Load(file, numbered)) << file.GetError();
    EXPECT_EQ(file.GetFormat(), uint32_t(FMT_A16B16G16R16));
    EXPECT_EQ(file.GetLevel(0).rowPitch, 8u);
}

TEST(DdsFileTest, LoadsAFileNamedTheWayDataFilesNameIt)
{
    Dds dds;
    dds.width = 1;
    dds.height = 1;
    ddsbytes::PutTexel(dds.data, 0xFF123456);
    const std::vector<uint8_t> bytes = ddsbytes::DdsFileBytes(dds);
    testsupport::TempDir dir;
    dir.Write("Sky/Cloud.dds", std::string(bytes.begin(), bytes.end()));
    DdsFile file;
    ASSERT_TRUE(file.LoadFromFile(dir.Path() + "\\SKY\\cloud.DDS")) << file.GetError();
    EXPECT_EQ(Texel32(file.GetLevel(0), 0, 0), 0xFF123456u);
}

TEST(DdsFileTest, RefusesDamagedAndLyingFiles)
{
    Dds good;
    good.width = 4;
    good.height = 4;
    ddsbytes::PutTexel(good.data, 0, 16);
    DdsFile file;
    ASSERT_TRUE(Load(file, good));

    auto refused = [](const Dds& dds)
    {
        DdsFile file;
        const bool loaded = Load(file, dds);
        return !loaded && file.GetLevelCount() == 0 && !file.GetError().empty();
    };
    Dds truncated = good;
    truncated.data.pop_back();
    EXPECT_TRUE(refused(truncated));
    Dds header = good;
    header.headerSize = 100;
    EXPECT_TRUE(refused(header));
    Dds empty = good;
    empty.width = 0;
    EXPECT_TRUE(refused(empty));
    Dds huge = good;
    huge.width = 100000;
    EXPECT_TRUE(refused(huge));
    Dds largeButShort = good;
    largeButShort.width = largeButShort.height = 16384;
    EXPECT_TRUE(refused(largeButShort));
    // A header alone claiming terabytes is refused by its sizes, not by failing to allocate them.
    Dds hugeVolume = good;
    hugeVolume.width = hugeVolume.height = hugeVolume.depth = 16384;
    hugeVolume.caps2 = DdsFile::kCaps2Volume;
    EXPECT_TRUE(refused(hugeVolume));
    Dds tooManyLevels = good;
    tooManyLevels.mipCount = 4;
    ddsbytes::PutTexel(tooManyLevels.data, 0, 100);
    EXPECT_TRUE(refused(tooManyLevels));
    Dds partialCube = good;
    partialCube.caps2 = DdsFile::kCaps2CubeMap | 0x0400;
    EXPECT_TRUE(refused(partialCube));
    Dds oblongCube = good;
    oblongCube.height = 2;
    oblongCube.caps2 = DdsFile::kCaps2CubeMap | DdsFile::kCaps2AllFaces;
    ddsbytes::PutTexel(oblongCube.data, 0, 100);
    EXPECT_TRUE(refused(oblongCube));
    Dds unknownCode = good;
    unknownCode.fourCC = MakeFourCC('D', 'X', '1', '0');
    EXPECT_TRUE(refused(unknownCode));
    Dds oddMasks = good;
    oddMasks.masks[0] = 0x0F0F0F0F;
    EXPECT_TRUE(refused(oddMasks));

    std::vector<uint8_t> bytes = ddsbytes::DdsFileBytes(good);
    bytes[0] = 'X';
    EXPECT_FALSE(file.LoadFromMemory(bytes.data(), bytes.size()));
    EXPECT_FALSE(file.LoadFromFile("/nonexistent/folder/missing.dds"));
}

TEST(DdsFileTest, MutatedFilesNeverCrash)
{
    Dds cube;
    cube.width = cube.height = 4;
    cube.mipCount = 3;
    cube.fourCC = FMT_DXT3;
    cube.caps2 = DdsFile::kCaps2CubeMap | DdsFile::kCaps2AllFaces;
    cube.data.assign(6 * 3 * 16, 0x5A);
    Dds volume;
    volume.width = 4;
    volume.height = 2;
    volume.depth = 3;
    volume.caps2 = DdsFile::kCaps2Volume;
    volume.data.assign(4 * 2 * 3 * 4, 0x33);
    uint32_t state = 99;
    auto next = [&state]()
    {
        state = state * 1103515245u + 12345u;
        return state >> 8;
    };
    for (const Dds& seed : {cube, volume})
    {
        const std::vector<uint8_t> original = ddsbytes::DdsFileBytes(seed);
        DdsFile file;
        ASSERT_TRUE(file.LoadFromMemory(original.data(), original.size())) << file.GetError();
        for (size_t cut = 0; cut < original.size(); ++cut)
            EXPECT_FALSE(file.LoadFromMemory(original.data(), cut));
        for (int round = 0; round < 2000; ++round)
        {
            std::vector<uint8_t> bytes = original;
            for (int e = 0; e < 3; ++e)
                bytes[4 + next() % 124] = uint8_t(next());
            if (file.LoadFromMemory(bytes.data(), bytes.size()))
            {
                // Whatever loads describes itself consistently.
                for (uint32_t face = 0; face < file.GetFaceCount(); ++face)
                    for (uint32_t level = 0; level < file.GetLevelCount(); ++level)
                    {
                        const DdsLevel& l = file.GetLevel(level, face);
                        EXPECT_EQ(l.data.size(), size_t(l.slicePitch) * l.depth);
                    }
            }
        }
    }
}

} // namespace
