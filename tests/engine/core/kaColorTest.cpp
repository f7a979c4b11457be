#include "engine/core/kaColor.h"
#include "engine/core/kaBinaryStream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <sstream>

namespace
{

void ExpectColor(const kaColor& color, float r, float g, float b, float a)
{
    EXPECT_FLOAT_EQ(color.r, r);
    EXPECT_FLOAT_EQ(color.g, g);
    EXPECT_FLOAT_EQ(color.b, b);
    EXPECT_FLOAT_EQ(color.a, a);
}

} // namespace

TEST(ColorTest, DefaultIsOpaqueWhite)
{
    ExpectColor(kaColor(), 1, 1, 1, 1);
}

TEST(ColorTest, ClampKeepsComponentsInRangeAndNanBecomesZero)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    ExpectColor(kaColor::kaColorClamped(1.5f, -0.2f, 0.5f, nan), 1, 0, 0.5f, 0);
    const float inf = std::numeric_limits<float>::infinity();
    ExpectColor(kaColor::kaColorClamped(inf, -inf, 0, 1), 1, 0, 0, 1);
}

TEST(ColorTest, LerpClampsItsResultButNotItsFactor)
{
    const kaColor black = kaColor::kaColorClamped(0, 0, 0, 0);
    const kaColor white;
    ExpectColor(kaColor::Lerp(black, white, 2.0f), 1, 1, 1, 1);
    ExpectColor(kaColor::Lerp(black, white, 0.25f), 0.25f, 0.25f, 0.25f, 0.25f);
    ExpectColor(kaColor::Lerp(black, white, -1.0f), 0, 0, 0, 0);
    ExpectColor(kaColor::Lerp(white, black, 0.75f), 0.25f, 0.25f, 0.25f, 0.25f);
}

TEST(ColorTest, ArgbPutsAlphaHighestAndTruncatesEachChannel)
{
    struct Case
    {
        kaColor color;
        uint32_t argb;
    };
    const Case cases[] = {
        {kaColor(), 0xFFFFFFFFu},
        {kaColor::kaColorClamped(1, 0, 0, 1), 0xFFFF0000u},
        {kaColor::kaColorClamped(0, 1, 0, 0), 0x0000FF00u},
        {kaColor::kaColorClamped(0, 0, 1, 0.5f), 0x7F0000FFu},
        {kaColor::kaColorClamped(0.999f, 0.25f, 0.0f, 0.0f), 0x00FE3F00u},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.color.ToArgb(), c.argb) << std::hex << c.argb;
}

TEST(ColorTest, BinaryFormIsFourFloatsInOrderAndReadsClamped)
{
    std::stringbuf buffer;
    kaBinaryStream stream(&buffer);
    kaColor::kaColorClamped(0.25f, 0.5f, 0.75f, 1.0f).Write(stream);
    ASSERT_EQ(buffer.str().size(), 16u);
    kaColor read = kaColor::kaColorClamped(0, 0, 0, 0);
    read.Read(stream);
    ExpectColor(read, 0.25f, 0.5f, 0.75f, 1.0f);

    std::stringbuf raw;
    kaBinaryStream rawStream(&raw);
    rawStream.WriteFloat(2.0f).WriteFloat(-1.0f).WriteFloat(std::nanf("")).WriteFloat(0.5f);
    kaColor clamped;
    clamped.Read(rawStream);
    ExpectColor(clamped, 1, 0, 0, 0.5f);

    // A short read leaves the rest alone.
    rawStream.WriteFloat(0.5f).WriteFloat(0.25f);
    kaColor color;
    color.Read(rawStream);
    ExpectColor(color, 0.5f, 0.25f, 1, 1);
    EXPECT_TRUE(rawStream.Failed());
}

TEST(ColorTest, TextFormIsFourValuesSeparatedByBlanks)
{
    std::ostringstream out;
    kaColor::kaColorClamped(0.25f, 0.5f, 0, 1).WriteText(out);
    EXPECT_EQ(out.str(), "0.25 0.5 0 1");

    std::istringstream in("0.1 1.5 -3 0.75");
    kaColor color;
    color.ReadText(in);
    ExpectColor(color, 0.1f, 1, 0, 0.75f);

    // A failed read leaves the colour alone.
    std::istringstream bad("0.1 0.2 oops 0.4");
    kaColor kept;
    kept.ReadText(bad);
    ExpectColor(kept, 1, 1, 1, 1);
    EXPECT_TRUE(bad.fail());
}
