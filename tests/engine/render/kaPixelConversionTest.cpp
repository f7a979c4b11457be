#include "engine/render/kaPixelConversion.h"

#include "engine/core/kaColor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <vector>

namespace
{

const kaPixelLayout kA8R8G8B8 = {32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 8, 0};
const kaPixelLayout kA8B8G8R8 = {32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000, 8, 0};
const kaPixelLayout kX8R8G8B8NoAlpha = {32, 0xFF0000, 0xFF00, 0xFF, 0, 0, 0};
const kaPixelLayout kR8G8B8 = {24, 0xFF0000, 0xFF00, 0xFF, 0, 0, 0};
const kaPixelLayout kR5G6B5 = {16, 0xF800, 0x7E0, 0x1F, 0, 0, 0};
const kaPixelLayout kX1R5G5B5 = {16, 0x7C00, 0x3E0, 0x1F, 0, 0, 0};
const kaPixelLayout kA1R5G5B5 = {16, 0x7C00, 0x3E0, 0x1F, 0x8000, 1, 0};
const kaPixelLayout kA4R4G4B4 = {16, 0xF00, 0xF0, 0xF, 0xF000, 4, 0};
const kaPixelLayout kL8 = {8, 0xFF, 0xFF, 0xFF, 0, 0, 0};

uint16_t Convert32To16(uint32_t pixel)
{
    uint16_t out = 0xBEEF;
    EXPECT_TRUE(ConvertPixelFormat(&pixel, &out, 1, 1, 4, 2, kA8R8G8B8));
    return out;
}

TEST(kaPixelConversionTest, ChannelShiftCountsTrailingZeros)
{
    EXPECT_EQ(GetChannelShift(0xF800), 11u);
    EXPECT_EQ(GetChannelShift(0xFF000000), 24u);
    EXPECT_EQ(GetChannelShift(0x1F), 0u);
    EXPECT_EQ(GetChannelShift(0), 0u);
}

TEST(kaPixelConversionTest, DecodeScalesEachChannelByItsOwnLargestValue)
{
    kaColor color;
    DecodePixel(kR5G6B5, 0xFFFF, color);
    EXPECT_FLOAT_EQ(color.r, 1.0f);
    EXPECT_FLOAT_EQ(color.g, 1.0f);
    EXPECT_FLOAT_EQ(color.b, 1.0f);
    // No alpha mask: nothing to read.
    EXPECT_FLOAT_EQ(color.a, 0.0f);

    DecodePixel(kA4R4G4B4, 0xF0F5, color);
    EXPECT_FLOAT_EQ(color.a, 1.0f);
    EXPECT_FLOAT_EQ(color.r, 0.0f);
    EXPECT_FLOAT_EQ(color.g, 1.0f);
    EXPECT_FLOAT_EQ(color.b, 5.0f / 15.0f);

    DecodePixel(kA8R8G8B8, 0x80FF4000, color);
    EXPECT_FLOAT_EQ(color.a, 128.0f / 255.0f);
    EXPECT_FLOAT_EQ(color.r, 1.0f);
    EXPECT_FLOAT_EQ(color.g, 64.0f / 255.0f);
    EXPECT_FLOAT_EQ(color.b, 0.0f);
}

// One pixel into each kind of target; the target is set anew for every case.
TEST(kaPixelConversionTest, SinglePixelsConvertIntoEachTarget)
{
    const kaPixelLayout odd = {16, 0xFF00, 0x00F0, 0x000F, 0, 0, 0};
    const struct
    {
        kaPixelLayout target;
        kaPixelLayout source;
        uint32_t in;
        uint32_t out;
    } cases[] = {
        // A colour-only 16-bit target rounds up to the full channel: (128 + 1) * 31 >> 8 = 15 and
        // (128 + 1) * 63 >> 8 = 31.
        {kR5G6B5, kA8R8G8B8, 0xFFFF0000, 0xF800},
        {kR5G6B5, kA8R8G8B8, 0x0000FF00, 0x07E0},
        {kR5G6B5, kA8R8G8B8, 0x000000FF, 0x001F},
        {kR5G6B5, kA8R8G8B8, 0x00000000, 0x0000},
        {kR5G6B5, kA8R8G8B8, 0x00808080, (15 << 11) | (31 << 5) | 15},
        // A 4-bit target tops colour at 14 and alpha at 15.
        {kA4R4G4B4, kA8R8G8B8, 0xFFFFFFFF, 0xFEEE},
        {kA4R4G4B4, kA8R8G8B8, 0xFF000000, 0xF000},
        {kA4R4G4B4, kA8R8G8B8, 0x80000000, 0x7000},
        // 32-bit targets place the channels by their masks; one without alpha keeps blue clean.
        {kA8R8G8B8, kA8R8G8B8, 0x80123456, 0x80123456},
        {kA8B8G8R8, kA8R8G8B8, 0x80123456, 0x80563412},
        {kX8R8G8B8NoAlpha, kA8R8G8B8, 0xFF000010, 0x00000010},
        // 16-bit sources widen full channels to 255, empty 5-bit ones to 7 and empty 6-bit ones to 3,
        // and drop alpha; a mask outside the known set is taken as it is.
        {kA8R8G8B8, kR5G6B5, 0xF800, 0xFFFF0307},
        {kA8R8G8B8, kR5G6B5, 0xFFFF, 0xFFFFFFFF},
        {kA8R8G8B8, kX1R5G5B5, 0x7C00, 0xFFFF0707},
        {kA8R8G8B8, kA1R5G5B5, 0x03E0, 0xFF07FF07},
        {kA8R8G8B8, kA4R4G4B4, 0x0F0F, 0xFFFF0FFF},
        {kA8R8G8B8, odd, 0x4200, 0xFF420F0F},
    };
    for (const auto& c : cases)
    {
        ASSERT_TRUE(SetConversionTarget(c.target));
        uint32_t pixel = c.in;
        uint32_t out = 0xDEADBEEF;
        EXPECT_TRUE(ConvertPixelFormat(&pixel, &out, 1, 1, c.source.bitsPerPixel / 8, c.target.bitsPerPixel / 8,
                                       c.source));
        EXPECT_EQ(c.target.bitsPerPixel == 16 ? out & 0xFFFF : out, c.out) << std::hex << c.in << " " << c.out;
    }
}

TEST(kaPixelConversionTest, ColourOnlyTargetAfterAnAlphaTargetKeepsNoStaleAlpha)
{
    ASSERT_TRUE(SetConversionTarget(kA4R4G4B4));
    ASSERT_TRUE(SetConversionTarget(kR5G6B5));
    // The alpha table of the earlier target would have put 0xF000 into the red bits.
    EXPECT_EQ(Convert32To16(0xFF000000), 0x0000);
    ASSERT_TRUE(SetConversionTarget(kA4R4G4B4));
    ASSERT_TRUE(SetConversionTarget(kA1R5G5B5));
    EXPECT_EQ(Convert32To16(0xFFFFFFFF), 0x7FFF);
}

// A target set again, straight after itself or after others, converts every pixel as the same target does
// when it follows a different one (and so is built afresh).
TEST(kaPixelConversionTest, RepeatedTargetsConvertAsFreshOnes)
{
    const kaPixelLayout targets[] = {kR5G6B5, kR5G6B5, kA4R4G4B4, kA4R4G4B4, kA8R8G8B8, kA8R8G8B8,
                                     kA8B8G8R8, kX8R8G8B8NoAlpha, kX8R8G8B8NoAlpha, kA1R5G5B5, kR5G6B5};
    std::vector<uint32_t> pixels;
    for (uint32_t i = 0; i < 4096; ++i)
        pixels.push_back(i * 0x9E3779B9u);
    const auto convert = [&pixels](const kaPixelLayout& target)
    {
        std::vector<uint8_t> out(pixels.size() * 4, 0xAB);
        const uint32_t bytes = target.bitsPerPixel / 8;
        EXPECT_TRUE(ConvertPixelFormat(pixels.data(), out.data(), static_cast<uint32_t>(pixels.size()), 1,
                                       static_cast<uint32_t>(pixels.size() * 4),
                                       static_cast<uint32_t>(pixels.size() * bytes), kA8R8G8B8));
        return out;
    };
    for (size_t i = 0; i < std::size(targets); ++i)
    {
        SCOPED_TRACE(i);
        ASSERT_TRUE(SetConversionTarget(targets[i]));
        const std::vector<uint8_t> repeated = convert(targets[i]);
        // Another target in between makes the next setting build its tables anew.
        ASSERT_TRUE(SetConversionTarget(targets[i].bitsPerPixel == 16 ? kA8R8G8B8 : kR5G6B5));
        ASSERT_TRUE(SetConversionTarget(targets[i]));
        EXPECT_EQ(repeated, convert(targets[i]));
    }
}

TEST(kaPixelConversionTest, SixteenBitTargetOfAnotherKindBuildsNoTable)
{
    ASSERT_TRUE(SetConversionTarget(kR5G6B5));
    const kaPixelLayout eightBitAlpha16 = {16, 0xF00, 0xF0, 0xF, 0xF000, 8, 0};
    ASSERT_TRUE(SetConversionTarget(eightBitAlpha16));
    EXPECT_EQ(Convert32To16(0xFFFFFFFF), 0x0000);
}

TEST(kaPixelConversionTest, TwentyFourBitSourceIsOpaque)
{
    const uint8_t bgr[3] = {0x56, 0x34, 0x12};
    ASSERT_TRUE(SetConversionTarget(kA8R8G8B8));
    uint32_t out = 0;
    ASSERT_TRUE(ConvertPixelFormat(bgr, &out, 1, 1, 3, 4, kR8G8B8));
    EXPECT_EQ(out, 0xFF123456u);

    ASSERT_TRUE(SetConversionTarget(kR5G6B5));
    const uint8_t white[3] = {0xFF, 0xFF, 0xFF};
    uint16_t out16 = 0;
    ASSERT_TRUE(ConvertPixelFormat(white, &out16, 1, 1, 3, 2, kR8G8B8));
    EXPECT_EQ(out16, 0xFFFF);
}

TEST(kaPixelConversionTest, EightBitSourceCopiesGreysOrSkips)
{
    const uint8_t source[2 * 3] = {1, 2, 99, 3, 4, 99};
    ASSERT_TRUE(SetConversionTarget(kL8));
    uint8_t copy[2 * 4];
    std::memset(copy, 0xAA, sizeof(copy));
    ASSERT_TRUE(ConvertPixelFormat(source, copy, 2, 2, 3, 4, kL8));
    EXPECT_EQ(std::vector<uint8_t>(copy, copy + 8),
              (std::vector<uint8_t>{1, 2, 0xAA, 0xAA, 3, 4, 0xAA, 0xAA}));

    ASSERT_TRUE(SetConversionTarget(kR5G6B5));
    uint16_t untouched[2] = {0x1234, 0x5678};
    EXPECT_TRUE(ConvertPixelFormat(source, untouched, 2, 1, 3, 4, kL8));
    EXPECT_EQ(untouched[0], 0x1234);
    EXPECT_EQ(untouched[1], 0x5678);

    ASSERT_TRUE(SetConversionTarget(kA8R8G8B8));
    uint32_t greys[2] = {};
    ASSERT_TRUE(ConvertPixelFormat(source, greys, 2, 1, 3, 8, kL8));
    EXPECT_EQ(greys[0], 0xFF010101u);
    EXPECT_EQ(greys[1], 0xFF020202u);
}

TEST(kaPixelConversionTest, RowsAdvanceByTheirPitches)
{
    ASSERT_TRUE(SetConversionTarget(kA8R8G8B8));
    // Two rows of two pixels, the source rows padded to 12 bytes, the target rows to 16.
    uint32_t source[6] = {0xFF000001, 0xFF000002, 0x11111111, 0xFF000003, 0xFF000004, 0x11111111};
    uint32_t target[8];
    std::fill(std::begin(target), std::end(target), 0xCCCCCCCCu);
    ASSERT_TRUE(ConvertPixelFormat(source, target, 2, 2, 12, 16, kA8R8G8B8));
    EXPECT_EQ(std::vector<uint32_t>(target, target + 8),
              (std::vector<uint32_t>{0xFF000001, 0xFF000002, 0xCCCCCCCC, 0xCCCCCCCC, 0xFF000003, 0xFF000004,
                                     0xCCCCCCCC, 0xCCCCCCCC}));
}

TEST(kaPixelConversionTest, UnhandledPairsAreRefused)
{
    uint32_t in = 0;
    uint32_t out = 0x5A5A5A5A;
    ASSERT_TRUE(SetConversionTarget(kR5G6B5));
    EXPECT_FALSE(ConvertPixelFormat(&in, &out, 1, 1, 4, 4, kR5G6B5));
    ASSERT_TRUE(SetConversionTarget(kL8));
    EXPECT_FALSE(ConvertPixelFormat(&in, &out, 1, 1, 4, 4, kA8R8G8B8));
    EXPECT_FALSE(ConvertPixelFormat(&in, &out, 1, 1, 4, 4, kR8G8B8));
    ASSERT_TRUE(SetConversionTarget(kA8R8G8B8));
    const kaPixelLayout four = {4, 0, 0, 0, 0, 0, 0};
    const kaPixelLayout wide = {64, 0, 0, 0, 0, 0, 0};
    const kaPixelLayout twelve = {12, 0xF00, 0xF0, 0xF, 0, 0, 0};
    EXPECT_FALSE(ConvertPixelFormat(&in, &out, 1, 1, 4, 4, four));
    EXPECT_FALSE(ConvertPixelFormat(&in, &out, 1, 1, 4, 4, wide));
    EXPECT_FALSE(ConvertPixelFormat(&in, &out, 1, 1, 4, 4, twelve));
    const kaPixelLayout eightBitTarget = {8, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(SetConversionTarget(eightBitTarget));
    EXPECT_FALSE(ConvertPixelFormat(&in, &out, 1, 1, 2, 4, kR5G6B5));
    EXPECT_EQ(out, 0x5A5A5A5Au);
}

} // namespace
