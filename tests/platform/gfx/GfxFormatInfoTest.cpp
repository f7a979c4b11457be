#include "platform/gfx/GfxFormatInfo.h"
#include "platform/gfx/GfxTypes.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(GfxFormatInfo, VertexStridesOfEveryEngineFormat)
{
    const std::pair<uint32_t, uint32_t> strides[] = {
        {0x002, 12}, {0x012, 24}, {0x042, 16}, {0x044, 20}, {0x052, 28}, {0x102, 20},
        {0x112, 32}, {0x142, 24}, {0x144, 28}, {0x152, 36}, {0x202, 28}, {0x212, 40},
        {0x242, 32}, {0x252, 44}, {0x302, 36}, {0x312, 48}, {0x342, 40}, {0x352, 52},
        {0x402, 44}, {0x412, 56}, {0x442, 48}, {0x452, 60}};
    for (const auto& entry : strides)
        EXPECT_EQ(GfxFormatInfo::FvfStride(entry.first), entry.second) << std::hex << entry.first;
    EXPECT_EQ(GfxFormatInfo::FvfStride(FVF_DIFFUSE), 0u) << "no position";
    EXPECT_EQ(GfxFormatInfo::FvfStride(0x142 | FvfTexCoordSize3(0)), 28u);
    EXPECT_EQ(GfxFormatInfo::FvfStride(0x242 | FvfTexCoordSize1(1)), 28u);
}

TEST(GfxFormatInfo, PitchesAndRowsOfPlainAndCompressedFormats)
{
    EXPECT_EQ(GfxFormatInfo::RowPitch(FMT_A8R8G8B8, 10), 40u);
    EXPECT_EQ(GfxFormatInfo::RowPitch(FMT_R5G6B5, 3), 6u);
    EXPECT_EQ(GfxFormatInfo::RowPitch(FMT_R8G8B8, 3), 9u);
    EXPECT_EQ(GfxFormatInfo::RowPitch(FMT_DXT1, 5), 16u);
    EXPECT_EQ(GfxFormatInfo::RowPitch(FMT_DXT5, 5), 32u);
    EXPECT_EQ(GfxFormatInfo::StorageRows(FMT_DXT3, 1), 1u);
    EXPECT_EQ(GfxFormatInfo::StorageRows(FMT_A8, 7), 7u);
    EXPECT_EQ(GfxFormatInfo::FullChainLevels(256, 16, 1), 9u);
    EXPECT_EQ(GfxFormatInfo::FullChainLevels(1, 1, 1), 1u);
    EXPECT_EQ(GfxFormatInfo::BitsPerPixel(FMT_VERTEXDATA), 0u);
    EXPECT_EQ(GfxFormatInfo::VertexCount(PT_TRIANGLESTRIP, 2), 4u);
    EXPECT_EQ(GfxFormatInfo::VertexCount(PT_LINELIST, 3), 6u);
    EXPECT_EQ(GfxFormatInfo::VertexCount(99, 3), 0u);
}
