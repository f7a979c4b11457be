#include "engine/core/kaLexicalCast.h"

#include <gtest/gtest.h>

#include <string>

TEST(LexicalCastTest, ReadsNumbersWithTrailingBlanksOnly)
{
    EXPECT_FLOAT_EQ(ka::lexical_cast<float>(std::string("1.5")), 1.5f);
    EXPECT_FLOAT_EQ(ka::lexical_cast<float>(std::string("1.5  ")), 1.5f);
    EXPECT_FLOAT_EQ(ka::lexical_cast<float>(std::string("-2.25\n")), -2.25f);
    EXPECT_EQ(ka::lexical_cast<int>(std::string("42 ")), 42);
    EXPECT_THROW(ka::lexical_cast<float>(std::string(" 1.5")), ka::bad_lexical_cast);
    EXPECT_THROW(ka::lexical_cast<int>(std::string("\t42")), ka::bad_lexical_cast);
    // Text not wholly used is refused; a text target keeps the whole text.
    EXPECT_THROW(ka::lexical_cast<float>(std::string("1.5x")), ka::bad_lexical_cast);
    EXPECT_THROW(ka::lexical_cast<float>(std::string("1.5 2")), ka::bad_lexical_cast);
    EXPECT_THROW(ka::lexical_cast<int>(std::string("1.5")), ka::bad_lexical_cast);
    EXPECT_THROW(ka::lexical_cast<float>(std::string("")), ka::bad_lexical_cast);
    EXPECT_THROW(ka::lexical_cast<float>(std::string("abc")), ka::bad_lexical_cast);
    EXPECT_EQ(ka::lexical_cast<std::string>(std::string(" a b ")), " a b ");
}

TEST(LexicalCastTest, BoolsAreOnlyZeroOrOne)
{
    EXPECT_TRUE(ka::lexical_cast<bool>(std::string("1")));
    EXPECT_FALSE(ka::lexical_cast<bool>(std::string("0")));
    EXPECT_THROW(ka::lexical_cast<bool>(std::string("true")), ka::bad_lexical_cast);
    EXPECT_THROW(ka::lexical_cast<bool>(std::string("false")), ka::bad_lexical_cast);
    EXPECT_THROW(ka::lexical_cast<bool>(std::string("2")), ka::bad_lexical_cast);
    EXPECT_EQ(ka::lexical_cast<std::string>(true), "1");
    EXPECT_EQ(ka::lexical_cast<std::string>(false), "0");
}

TEST(LexicalCastTest, WritesFloatsWithSevenSignificantDigits)
{
    EXPECT_EQ(ka::lexical_cast<std::string>(0.1f), "0.1");
    EXPECT_EQ(ka::lexical_cast<std::string>(3.14159265f), "3.141593");
    EXPECT_EQ(ka::lexical_cast<std::string>(1234567.0f), "1234567");
    EXPECT_EQ(ka::lexical_cast<std::string>(12345678.0f), "1.234568e+07");
    // Seven digits carry a float through text and back.
    const float value = 0.3333333f;
    EXPECT_EQ(ka::lexical_cast<float>(ka::lexical_cast<std::string>(value)), value);
}

TEST(LexicalCastTest, WritesIntsInFull)
{
    EXPECT_EQ(ka::lexical_cast<std::string>(2147483647), "2147483647");
    EXPECT_EQ(ka::lexical_cast<std::string>(-17), "-17");
    EXPECT_EQ(ka::lexical_cast<int>(std::string("-2147483648")), -2147483647 - 1);
    EXPECT_THROW(ka::lexical_cast<int>(std::string("2147483648")), ka::bad_lexical_cast);
}

TEST(LexicalCastTest, ExceptionIsABadCastWithItsMessage)
{
    try
    {
        ka::lexical_cast<int>(std::string("x"));
        FAIL() << "no exception";
    }
    catch (const std::bad_cast& error)
    {
        EXPECT_STREQ(error.what(), "bad_lexical_cast: source type value could not be interpreted as target");
    }
}

namespace
{

// A value whose text form is made by converting its parts, so a conversion runs inside another.
struct Pair
{
    int a, b;
};

std::ostream& operator<<(std::ostream& out, const Pair& pair)
{
    return out << ka::lexical_cast<std::string>(pair.a) << ':' << ka::lexical_cast<std::string>(pair.b);
}

} // namespace

// Each conversion starts afresh: a failure, unread text, precision or a text target before it changes
// nothing about the next one.
TEST(LexicalCastTest, EveryConversionStartsFromAFreshStream)
{
    EXPECT_THROW(ka::lexical_cast<int>(std::string("x")), ka::bad_lexical_cast);
    EXPECT_EQ(ka::lexical_cast<int>(std::string("7")), 7);
    EXPECT_THROW(ka::lexical_cast<float>(std::string("1.5 2")), ka::bad_lexical_cast);
    EXPECT_FLOAT_EQ(ka::lexical_cast<float>(std::string("2.5")), 2.5f);
    EXPECT_EQ(ka::lexical_cast<std::string>(std::string(" a ")), " a ");
    EXPECT_EQ(ka::lexical_cast<std::string>(3.14159265f), "3.141593");
    EXPECT_EQ(ka::lexical_cast<std::string>(2147483647), "2147483647");
    EXPECT_THROW(ka::lexical_cast<int>(std::string(" 4")), ka::bad_lexical_cast);
    EXPECT_EQ(ka::lexical_cast<int>(std::string("4")), 4);
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_THROW(ka::lexical_cast<bool>(std::string("2")), ka::bad_lexical_cast);
        EXPECT_TRUE(ka::lexical_cast<bool>(std::string("1")));
    }
}

TEST(LexicalCastTest, AConversionInsideAnotherKeepsBothWhole)
{
    EXPECT_EQ(ka::lexical_cast<std::string>(Pair{12, -3}), "12:-3");
    EXPECT_EQ(ka::lexical_cast<std::string>(Pair{1, 2}) + ka::lexical_cast<std::string>(Pair{3, 4}),
              "1:23:4");
    EXPECT_THROW(ka::lexical_cast<int>(Pair{5, 6}), ka::bad_lexical_cast);
    EXPECT_EQ(ka::lexical_cast<int>(std::string("9")), 9);
}
