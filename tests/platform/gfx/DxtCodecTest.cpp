#include "platform/gfx/DxtCodec.h"

#include "platform/gfx/GfxTypes.h"
#include "platform/gfx/TexelLayout.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace platform;

namespace
{

TEST(DxtCodecTest, DecodesTheFourColoursOfADxt1Block)
{
    // Red and blue, indices 0, 1, 2, 3 along the first row.
    const uint8_t block[8] = {0x00, 0xF8, 0x1F, 0x00, 0xE4, 0, 0, 0};
    uint32_t texels[16];
    DxtCodec::DecodeBlock(FMT_DXT1, block, texels);
    EXPECT_EQ(texels[0], 0xFFFF0000u);
    EXPECT_EQ(texels[1], 0xFF0000FFu);
    EXPECT_EQ(texels[2], 0xFFAA0055u);
    EXPECT_EQ(texels[3], 0xFF5500AAu);
    EXPECT_EQ(texels[4], 0xFFFF0000u);
}

TEST(DxtCodecTest, Dxt1WithTheSmallerColourFirstHasTransparentBlack)
{
    const uint8_t block[8] = {0x1F, 0x00, 0x00, 0xF8, 0xE4, 0, 0, 0};
    uint32_t texels[16];
    DxtCodec::DecodeBlock(FMT_DXT1, block, texels);
    EXPECT_EQ(texels[2], 0xFF7F007Fu);
    EXPECT_EQ(texels[3], 0x00000000u);
    // The same colour block inside DXT3 always has four colours.
    uint8_t dxt3[16] = {0xF0, 0x08};
    for (int i = 0; i < 8; ++i)
        dxt3[8 + i] = block[i];
    DxtCodec::DecodeBlock(FMT_DXT3, dxt3, texels);
    EXPECT_EQ(texels[3] & 0xFFFFFF, 0xAA0055u);
    EXPECT_EQ(texels[0] >> 24, 0u);
    EXPECT_EQ(texels[1] >> 24, 255u);
    EXPECT_EQ(texels[2] >> 24, 136u);
}

TEST(DxtCodecTest, Dxt5InterpolatesAlphaInEightOrSixSteps)
{
    // Index 2 for texel 0 and index 7 for texel 1.
    uint8_t block[16] = {255, 0, 2 | 7 << 3};
    uint32_t texels[16];
    DxtCodec::DecodeBlock(FMT_DXT5, block, texels);
    EXPECT_EQ(texels[0] >> 24, 218u); // (6 * 255) / 7
    EXPECT_EQ(texels[1] >> 24, 36u);
    block[0] = 0;
    block[1] = 255;
    DxtCodec::DecodeBlock(FMT_DXT5, block, texels);
    EXPECT_EQ(texels[0] >> 24, 51u);  // (4 * 0 + 255) / 5
    EXPECT_EQ(texels[1] >> 24, 255u); // the fixed 255
}

TEST(DxtCodecTest, EncodedImagesDecodeCloseToTheOriginal)
{
    const uint32_t width = 6;
    const uint32_t height = 5;
    std::vector<uint32_t> texels;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            texels.push_back(uint32_t(x * 40) << 24 | (x % 2 ? 0xFF0000u : 0x0000FFu));
    for (uint32_t format : {FMT_DXT1, FMT_DXT3, FMT_DXT5})
    {
        const std::vector<uint8_t> blocks = DxtCodec::EncodeImage(format, texels, width, height);
        ASSERT_EQ(blocks.size(), 2u * 2u * DxtCodec::BlockBytes(format));
        std::vector<uint32_t> decoded;
        ASSERT_TRUE(DxtCodec::DecodeImage(format, blocks.data(), blocks.size(), width, height, decoded));
        for (size_t i = 0; i < texels.size(); ++i)
        {
            const int alpha = int(texels[i] >> 24);
            if (format == FMT_DXT1)
            {
                // One bit of alpha: transparent black below half, else the colour.
                EXPECT_EQ(decoded[i], alpha < 128 ? 0u : (texels[i] | 0xFF000000u)) << i;
                continue;
            }
            EXPECT_EQ(decoded[i] & 0xFFFFFF, texels[i] & 0xFFFFFF) << i;
            EXPECT_LE(std::abs(int(decoded[i] >> 24) - alpha), 9) << format << " " << i;
        }
    }
}

TEST(DxtCodecTest, RefusesTooFewBytesAndOtherFormats)
{
    std::vector<uint32_t> texels;
    const std::vector<uint8_t> blocks(8);
    EXPECT_FALSE(DxtCodec::DecodeImage(FMT_DXT1, blocks.data(), blocks.size(), 5, 4, texels));
    EXPECT_FALSE(DxtCodec::DecodeImage(FMT_A8R8G8B8, blocks.data(), blocks.size(), 1, 1, texels));
    EXPECT_TRUE(DxtCodec::DecodeImage(FMT_DXT1, blocks.data(), blocks.size(), 4, 4, texels));
}

TEST(TexelLayoutTest, WidensChannelsToEightBits)
{
    TexelLayout layout;
    ASSERT_TRUE(TexelLayout::Describe(FMT_R5G6B5, layout));
    const uint8_t red[2] = {0x00, 0xF8};
    EXPECT_EQ(layout.ToArgb(red), 0xFFFF0000u);
    ASSERT_TRUE(TexelLayout::Describe(FMT_A4R4G4B4, layout));
    const uint8_t halfAlphaBlue[2] = {0x0F, 0x80};
    EXPECT_EQ(layout.ToArgb(halfAlphaBlue), 0x880000FFu);
    ASSERT_TRUE(TexelLayout::Describe(FMT_L8, layout));
    const uint8_t grey = 0x40;
    EXPECT_EQ(layout.ToArgb(&grey), 0xFF404040u);
    ASSERT_TRUE(TexelLayout::Describe(FMT_A8B8G8R8, layout));
    const uint8_t abgr[4] = {0x11, 0x22, 0x33, 0x44};
    EXPECT_EQ(layout.ToArgb(abgr), 0x44112233u);
    EXPECT_FALSE(TexelLayout::Describe(FMT_DXT1, layout));
    EXPECT_FALSE(TexelLayout::Describe(FMT_D24S8, layout));
}

} // namespace
