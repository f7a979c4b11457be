#include "engine/core/kaXmlValues.h"

#include "engine/core/kaLexicalCast.h"
#include "tests/support/DebugCapture.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <optional>

namespace
{

using kaXmlValues::OnMalformed;

constexpr float kStart = 5.0f;

// One child's text and what each reader makes of it, starting from kStart. No text: the child is absent.
struct Case
{
    const char* label;
    std::optional<std::string> text;
    // The throwing reader: its value, or nothing when it throws.
    std::optional<float> orThrow;
    float orKeep;
    bool keepWritesLine;
    bool tryAnswers;
    float tryValue;
};

const Case kCases[] = {
    {"number", "2.5", 2.5f, 2.5f, false, true, 2.5f},
    {"negative", "-0.25", -0.25f, -0.25f, false, true, -0.25f},
    {"absent", std::nullopt, kStart, kStart, false, false, kStart},
    {"empty", "", 0.0f, 0.0f, false, false, kStart},
    {"word", "fast", std::nullopt, kStart, true, false, kStart},
    {"trailing junk", "1.5x", std::nullopt, kStart, true, false, kStart},
};

TiXmlElement Parent(const Case& c)
{
    TiXmlElement parent("block");
    if (c.text)
    {
        TiXmlElement child("speed");
        if (!c.text->empty())
            child.InsertEndChild(TiXmlText(*c.text));
        parent.InsertEndChild(child);
    }
    return parent;
}

TEST(XmlValues, EachPolicyAnswersEveryKindOfChildAsNamed)
{
    for (const Case& c : kCases)
    {
        SCOPED_TRACE(c.label);
        const TiXmlElement parent = Parent(c);

        float thrown = kStart;
        if (c.orThrow)
        {
            EXPECT_NO_THROW(kaXmlValues::ReadFloatOrThrow(&parent, "speed", thrown));
            EXPECT_FLOAT_EQ(thrown, *c.orThrow);
        }
        else
        {
            EXPECT_THROW(kaXmlValues::ReadFloatOrThrow(&parent, "speed", thrown), ka::bad_lexical_cast);
            EXPECT_FLOAT_EQ(thrown, kStart);
        }

        testsupport::DebugCapture capture;
        float kept = kStart;
        EXPECT_NO_THROW(kaXmlValues::ReadFloatOrKeep(&parent, "speed", kept, "Loader::Read"));
        EXPECT_FLOAT_EQ(kept, c.orKeep);
        if (c.keepWritesLine)
        {
            ASSERT_EQ(capture.Lines().size(), 1u);
            EXPECT_EQ(capture.Lines()[0], "Loader::Read - bad value for speed, default kept.\n");
        }
        else
        {
            EXPECT_TRUE(capture.Lines().empty());
        }

        capture.Clear();
        float tried = kStart;
        EXPECT_EQ(kaXmlValues::TryReadFloat(&parent, "speed", tried), c.tryAnswers);
        EXPECT_FLOAT_EQ(tried, c.tryValue);
        EXPECT_TRUE(capture.Lines().empty());
    }
}

TEST(XmlValues, ThePolicyArgumentChoosesTheSameAnswersAsTheNamedReaders)
{
    for (const Case& c : kCases)
    {
        SCOPED_TRACE(c.label);
        const TiXmlElement parent = Parent(c);
        float thrown = kStart;
        if (c.orThrow)
        {
            kaXmlValues::ReadFloat(&parent, "speed", thrown, OnMalformed::Throw, "Loader::Read");
            EXPECT_FLOAT_EQ(thrown, *c.orThrow);
        }
        else
        {
            EXPECT_THROW(kaXmlValues::ReadFloat(&parent, "speed", thrown, OnMalformed::Throw, "Loader::Read"),
                         ka::bad_lexical_cast);
        }
        testsupport::DebugCapture capture;
        float kept = kStart;
        kaXmlValues::ReadFloat(&parent, "speed", kept, OnMalformed::KeepWithDebugLine, "Loader::Read");
        EXPECT_FLOAT_EQ(kept, c.orKeep);
        EXPECT_EQ(capture.Contains("Loader::Read - bad value for speed"), c.keepWritesLine);
    }
}

TEST(XmlValues, ANullParentReadsAsOneWithoutTheChild)
{
    float value = kStart;
    EXPECT_NO_THROW(kaXmlValues::ReadFloatOrThrow(nullptr, "speed", value));
    testsupport::DebugCapture capture;
    kaXmlValues::ReadFloatOrKeep(nullptr, "speed", value, "Loader::Read");
    EXPECT_FALSE(kaXmlValues::TryReadFloat(nullptr, "speed", value));
    EXPECT_FLOAT_EQ(value, kStart);
    EXPECT_TRUE(capture.Lines().empty());
}

TEST(XmlValues, OnlyTheFirstChildOfTheNameCounts)
{
    TiXmlDocument document;
    document.Parse("<block><speed>bad</speed><speed>3</speed></block>");
    ASSERT_FALSE(document.Error());
    float value = kStart;
    EXPECT_FALSE(kaXmlValues::TryReadFloat(document.RootElement(), "speed", value));
    EXPECT_FLOAT_EQ(value, kStart);
}

// Whole numbers, bools and floats read from one child, starting from a start value; nothing where the
// reader throws.
struct TypedCase
{
    const char* label;
    std::optional<std::string> text;
    std::optional<int> intOrThrow;
    int intKeptSilently;
    std::optional<int> intOrMissing;
    std::optional<bool> boolOrThrow;
    bool boolKeptSilently;
    float floatOrZero;
    std::optional<float> floatOrThrow;
    float floatKeptSilently;
};

constexpr int kIntStart = 7;
constexpr int kIntMissing = -1;

const TypedCase kTypedCases[] = {
    // label, text, ReadIntOrThrow, ReadIntOrKeepSilently, IntOrThrow(-1), ReadBoolOrThrow,
    // ReadBoolOrKeepSilently, FloatOrZero, FloatOrThrow, ReadFloatOrKeepSilently
    {"one", "1", 1, 1, 1, true, true, 1.0f, 1.0f, 1.0f},
    {"zero", "0", 0, 0, 0, false, false, 0.0f, 0.0f, 0.0f},
    {"negative", "-12", -12, -12, -12, std::nullopt, true, -12.0f, -12.0f, -12.0f},
    {"fraction", "2.5", std::nullopt, kIntStart, std::nullopt, std::nullopt, true, 2.5f, 2.5f, 2.5f},
    {"absent", std::nullopt, kIntStart, kIntStart, kIntMissing, true, true, 0.0f, 0.0f, kStart},
    {"empty", "", 0, 0, 0, false, false, 0.0f, 0.0f, 0.0f},
    {"word", "lots", std::nullopt, kIntStart, std::nullopt, std::nullopt, true, 0.0f, std::nullopt, kStart},
    {"huge", "99999999999999999999", std::nullopt, kIntStart, std::nullopt, std::nullopt, true, 1e20f, 1e20f,
     1e20f},
    {"beyond float", "1e999", std::nullopt, kIntStart, std::nullopt, std::nullopt, true, 0.0f, std::nullopt,
     kStart},
};

template <typename T, typename Read>
void ExpectReadOrThrow(const std::optional<T>& expected, T start, Read read)
{
    T value = start;
    if (expected)
    {
        EXPECT_NO_THROW(read(value));
        EXPECT_EQ(value, *expected);
    }
    else
    {
        EXPECT_THROW(read(value), ka::bad_lexical_cast);
        EXPECT_EQ(value, start);
    }
}

TEST(XmlValues, WholeNumberBoolAndFloatPoliciesAnswerEveryKindOfChildAsNamed)
{
    for (const TypedCase& c : kTypedCases)
    {
        SCOPED_TRACE(c.label);
        const TiXmlElement parent = Parent({c.label, c.text, std::nullopt, 0.0f, false, false, 0.0f});
        ExpectReadOrThrow<int>(c.intOrThrow, kIntStart,
                               [&](int& v) { kaXmlValues::ReadIntOrThrow(&parent, "speed", v); });
        int kept = kIntStart;
        EXPECT_NO_THROW(kaXmlValues::ReadIntOrKeepSilently(&parent, "speed", kept));
        EXPECT_EQ(kept, c.intKeptSilently);
        if (c.intOrMissing)
        {
            EXPECT_EQ(kaXmlValues::IntOrThrow(&parent, "speed", kIntMissing), *c.intOrMissing);
        }
        else
        {
            EXPECT_THROW(kaXmlValues::IntOrThrow(&parent, "speed", kIntMissing), ka::bad_lexical_cast);
        }

        ExpectReadOrThrow<bool>(c.boolOrThrow, true,
                                [&](bool& v) { kaXmlValues::ReadBoolOrThrow(&parent, "speed", v); });
        bool keptBool = true;
        EXPECT_NO_THROW(kaXmlValues::ReadBoolOrKeepSilently(&parent, "speed", keptBool));
        EXPECT_EQ(keptBool, c.boolKeptSilently);

        testsupport::DebugCapture capture;
        EXPECT_FLOAT_EQ(kaXmlValues::FloatOrZero(&parent, "speed"), c.floatOrZero);
        if (c.floatOrThrow)
        {
            EXPECT_FLOAT_EQ(kaXmlValues::FloatOrThrow(&parent, "speed"), *c.floatOrThrow);
        }
        else
        {
            EXPECT_THROW(kaXmlValues::FloatOrThrow(&parent, "speed"), ka::bad_lexical_cast);
        }
        float keptFloat = kStart;
        EXPECT_NO_THROW(kaXmlValues::ReadFloatOrKeepSilently(&parent, "speed", keptFloat));
        EXPECT_FLOAT_EQ(keptFloat, c.floatKeptSilently);
        EXPECT_TRUE(capture.Lines().empty());
    }
}

TEST(XmlValues, TextReadersTellAnAbsentChildFromAnEmptyOne)
{
    struct TextCase
    {
        const char* label;
        std::optional<std::string> text;
        std::string orEmpty;
        std::string ifPresent;
    };
    const TextCase cases[] = {
        {"word", "bike.kmf", "bike.kmf", "bike.kmf"},
        {"number", "-3", "-3", "-3"},
        {"empty", "", "", ""},
        {"absent", std::nullopt, "", "old"},
    };
    for (const TextCase& c : cases)
    {
        SCOPED_TRACE(c.label);
        const TiXmlElement parent = Parent({c.label, c.text, std::nullopt, 0.0f, false, false, 0.0f});
        EXPECT_EQ(kaXmlValues::TextOrEmpty(&parent, "speed"), c.orEmpty);
        std::string value = "old";
        kaXmlValues::ReadTextIfPresent(&parent, "speed", value);
        EXPECT_EQ(value, c.ifPresent);
    }
}

TEST(XmlValues, EveryReaderTakesANullParentAsOneWithoutTheChild)
{
    int whole = kIntStart;
    bool flag = true;
    float number = kStart;
    std::string text = "old";
    kaXmlValues::ReadIntOrThrow(nullptr, "speed", whole);
    kaXmlValues::ReadIntOrKeepSilently(nullptr, "speed", whole);
    kaXmlValues::ReadBoolOrThrow(nullptr, "speed", flag);
    kaXmlValues::ReadBoolOrKeepSilently(nullptr, "speed", flag);
    kaXmlValues::ReadFloatOrKeepSilently(nullptr, "speed", number);
    kaXmlValues::ReadTextIfPresent(nullptr, "speed", text);
    EXPECT_EQ(whole, kIntStart);
    EXPECT_TRUE(flag);
    EXPECT_FLOAT_EQ(number, kStart);
    EXPECT_EQ(text, "old");
    EXPECT_EQ(kaXmlValues::IntOrThrow(nullptr, "speed", kIntMissing), kIntMissing);
    EXPECT_FLOAT_EQ(kaXmlValues::FloatOrZero(nullptr, "speed"), 0.0f);
    EXPECT_FLOAT_EQ(kaXmlValues::FloatOrThrow(nullptr, "speed"), 0.0f);
    EXPECT_EQ(kaXmlValues::TextOrEmpty(nullptr, "speed"), "");
}

} // namespace
