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

} // namespace
