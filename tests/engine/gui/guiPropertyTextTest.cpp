#include "engine/gui/guiPropertyText.h"

#include "engine/core/kaColor.h"
#include "engine/gui/guiCoordPair.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

namespace
{

// One property text and what each parser makes of it; nothing where it refuses and keeps the value.
struct PropertyTextCase
{
    const char* text;
    std::optional<int32_t> asInt;
    std::optional<float> asFloat;
    std::optional<bool> asStreamBool;
    std::optional<bool> asBool;
    std::optional<bool> asBoolWord;
};

const PropertyTextCase kPropertyTextCases[] = {
    // text, Parse<int32_t>, Parse<float>, Parse<bool>, ParseBool, ParseBoolWord
    {"1", 1, 1.0f, true, true, std::nullopt},
    {"0", 0, 0.0f, false, false, std::nullopt},
    {"-42", -42, -42.0f, std::nullopt, std::nullopt, std::nullopt},
    {"2.5", 2, 2.5f, std::nullopt, std::nullopt, std::nullopt},
    {"true", std::nullopt, std::nullopt, std::nullopt, true, true},
    {"false", std::nullopt, std::nullopt, std::nullopt, false, false},
    {"1\n", 1, 1.0f, true, true, std::nullopt},
    {"", std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
    {"wide", std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
    {"99999999999", std::nullopt, 1e11f, std::nullopt, std::nullopt, std::nullopt},
};

template <typename T, typename ParseFn>
void ExpectParsed(const char* text, const std::optional<T>& expected, T start, ParseFn parse)
{
    T value = start;
    EXPECT_EQ(parse(text, value), expected.has_value());
    EXPECT_EQ(value, expected.value_or(start));
}

} // namespace

TEST(GuiPropertyTextTest, EachParserTakesTheSpellingsItNamesAndKeepsTheValueOtherwise)
{
    for (const PropertyTextCase& c : kPropertyTextCases)
    {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        ExpectParsed<int32_t>(c.text, c.asInt, 7, guiPropertyText::Parse<int32_t>);
        float number = 7.5f;
        ASSERT_EQ(guiPropertyText::Parse(c.text, number), c.asFloat.has_value());
        EXPECT_FLOAT_EQ(number, c.asFloat.value_or(7.5f));
        // Started from each bool, so that a refusal cannot pass for a read.
        for (const bool start : {false, true})
        {
            ExpectParsed<bool>(c.text, c.asStreamBool, start, guiPropertyText::Parse<bool>);
            ExpectParsed<bool>(c.text, c.asBool, start, guiPropertyText::ParseBool);
            ExpectParsed<bool>(c.text, c.asBoolWord, start, guiPropertyText::ParseBoolWord);
        }
    }
}

TEST(GuiPropertyTextTest, AColourIsReadWholeClampedOrNotAtAll)
{
    kaColor color = kaColor::kaColorClamped(0.1f, 0.2f, 0.3f, 0.4f);
    EXPECT_TRUE(guiPropertyText::ParseColor("0.5 2 -1 1", color));
    EXPECT_FLOAT_EQ(color.r, 0.5f);
    EXPECT_FLOAT_EQ(color.g, 1.0f);
    EXPECT_FLOAT_EQ(color.b, 0.0f);
    EXPECT_FLOAT_EQ(color.a, 1.0f);
    for (const char* bad : {"", "0.5 0.5 0.5", "red green blue alpha", "0.5 0.5 x 1"})
    {
        kaColor kept = kaColor::kaColorClamped(0.1f, 0.2f, 0.3f, 0.4f);
        EXPECT_FALSE(guiPropertyText::ParseColor(bad, kept)) << bad;
        EXPECT_FLOAT_EQ(kept.r, 0.1f) << bad;
        EXPECT_FLOAT_EQ(kept.b, 0.3f) << bad;
        EXPECT_FLOAT_EQ(kept.a, 0.4f) << bad;
    }
}

TEST(GuiPropertyTextTest, ACoordinatePairIsReadWholeOrNotAtAll)
{
    guiCoordPair pair = guiCoordPair::Pixels(3, 4);
    EXPECT_TRUE(guiPropertyText::ParseCoordPair("0.25 1 -8 0", pair));
    EXPECT_FLOAT_EQ(pair.x.value, 0.25f);
    EXPECT_EQ(pair.x.relative, 1);
    EXPECT_FLOAT_EQ(pair.y.value, -8.0f);
    EXPECT_EQ(pair.y.relative, 0);
    for (const char* bad : {"", "1 0 2", "left 0 top 0"})
    {
        guiCoordPair kept = guiCoordPair::Pixels(3, 4);
        EXPECT_FALSE(guiPropertyText::ParseCoordPair(bad, kept)) << bad;
        EXPECT_FLOAT_EQ(kept.x.value, 3.0f) << bad;
        EXPECT_FLOAT_EQ(kept.y.value, 4.0f) << bad;
        EXPECT_EQ(kept.x.relative, 0) << bad;
    }
}
