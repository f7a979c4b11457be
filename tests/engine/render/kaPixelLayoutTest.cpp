#include "engine/render/kaPixelLayout.h"

#include "platform/gfx/GfxTypes.h"

#include <gtest/gtest.h>

using namespace platform;

namespace
{

TEST(PixelLayoutTest, DescribesTheConvertedFormats)
{
    kaPixelLayout layout;
    GetPixelFormatInfo(FMT_A4R4G4B4, layout);
    EXPECT_EQ(layout.bitsPerPixel, 16u);
    EXPECT_EQ(layout.redMask, 0xF00u);
    EXPECT_EQ(layout.alphaMask, 0xF000u);
    EXPECT_EQ(layout.alphaBits, 4u);

    // X8R8G8B8 names its unused byte as alpha but counts no alpha bits.
    GetPixelFormatInfo(FMT_X8R8G8B8, layout);
    EXPECT_EQ(layout.alphaMask, 0xFF000000u);
    EXPECT_EQ(layout.alphaBits, 0u);

    GetPixelFormatInfo(FMT_DXT1, layout);
    EXPECT_EQ(layout.alphaMask, 0x8000u);
    GetPixelFormatInfo(FMT_DXT5, layout);
    EXPECT_EQ(layout.alphaBits, 8u);
    GetPixelFormatInfo(FMT_R5G6B5, layout);
    EXPECT_EQ(layout.greenMask, 0x7E0u);
    EXPECT_EQ(layout.alphaMask, 0u);
}

TEST(PixelLayoutTest, AlphaOnlyTexturesHoldEightBitsOfAlphaAndNoColour)
{
    kaPixelLayout layout{1, 2, 3, 4, 5, 6, 7};
    GetPixelFormatInfo(FMT_A8, layout);
    EXPECT_EQ(layout.bitsPerPixel, 8u);
    EXPECT_EQ(layout.redMask | layout.greenMask | layout.blueMask, 0u);
    EXPECT_EQ(layout.alphaMask, 0xFFu);
    EXPECT_EQ(layout.alphaBits, 8u);
    EXPECT_EQ(layout.reserved, 0u);
}

TEST(PixelLayoutTest, OtherFormatsLeaveTheLayoutCleared)
{
    kaPixelLayout layout{1, 2, 3, 4, 5, 6, 7};
    GetPixelFormatInfo(FMT_L8, layout);
    EXPECT_EQ(layout.bitsPerPixel, 0u);
    EXPECT_EQ(layout.redMask, 0u);
    EXPECT_EQ(layout.reserved, 0u);
}

} // namespace
