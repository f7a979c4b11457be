#include "engine/render/EndsWithNoCase.h"

#include <gtest/gtest.h>

// Only ASCII capitals fold: a name ending in other bytes that happen to sit 32 apart must not match.
TEST(EndsWithNoCase, MatchesTheSuffixInAnyLetterCaseOnly)
{
    const struct
    {
        const char* text;
        bool tga;
    } cases[] = {
        {"grass.tga", true},     {"GRASS.TGA", true},  {"maps\\Crate.TgA", true}, {".tga", true},
        {"tga", false},          {"", false},          {"grass.tgab", false},     {"grass.bmp", false},
        {"grass\x0etga", false}, {"grass.tg", false},  {"grass.tGa ", false},     {"grass.t\xc7" "a", false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(EndsWithNoCase(std::string(c.text), ".tga"), c.tga);
    }
    // A suffix as long as the text, and one longer.
    EXPECT_TRUE(EndsWithNoCase(std::string("A"), "a"));
    EXPECT_FALSE(EndsWithNoCase(std::string("a"), "ab"));
}
