#include "engine/scene/kaXmlRotation.h"

#include "engine/core/kaLexicalCast.h"
#include "tests/support/DebugCapture.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

namespace
{

using kaXmlValues::OnMalformed;

const platform::Quaternion kStart(0.1f, 0.2f, 0.3f, 0.9f);

struct Parsed
{
    TiXmlDocument document;
    const TiXmlElement* Root() const { return document.RootElement(); }
};

void Parse(Parsed& parsed, const char* xml)
{
    parsed.document.Parse(xml);
    ASSERT_FALSE(parsed.document.Error()) << xml;
}

platform::Quaternion FromAngles(float yaw, float pitch, float roll)
{
    platform::Quaternion expected;
    platform::QuaternionRotationYawPitchRoll(&expected, yaw, pitch, roll);
    return expected;
}

TEST(XmlRotation, AQuaternionReplacesOnlyTheComponentsItHoldsAndWinsOverAngles)
{
    for (const OnMalformed policy : {OnMalformed::Throw, OnMalformed::KeepWithDebugLine})
    {
        Parsed parsed;
        Parse(parsed, "<rotation><yaw>1</yaw><quaternion><w>0.5</w><y>-0.5</y></quaternion></rotation>");
        platform::Quaternion rotation = kStart;
        kaXmlRotation::Read(parsed.Root(), rotation, policy, "Loader::Read");
        EXPECT_EQ(rotation, platform::Quaternion(0.1f, -0.5f, 0.3f, 0.5f));
    }
}

TEST(XmlRotation, AnglesBuildTheRotationWithAbsentOnesZero)
{
    const struct
    {
        const char* xml;
        platform::Quaternion expected;
    } cases[] = {
        {"<rotation><pitch>0.5</pitch><yaw>1.25</yaw><roll>-0.75</roll></rotation>",
         FromAngles(1.25f, 0.5f, -0.75f)},
        {"<rotation><yaw>2</yaw></rotation>", FromAngles(2.0f, 0.0f, 0.0f)},
        {"<rotation/>", platform::Quaternion()},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.xml);
        Parsed parsed;
        Parse(parsed, c.xml);
        platform::Quaternion rotation = kStart;
        kaXmlRotation::Read(parsed.Root(), rotation, OnMalformed::Throw);
        EXPECT_EQ(rotation, c.expected);
    }
}

TEST(XmlRotation, AMalformedComponentThrowsOrIsKeptWithALineByThePolicy)
{
    Parsed parsed;
    Parse(parsed, "<rotation><quaternion><w>0.5</w><x>tilted</x></quaternion></rotation>");
    platform::Quaternion thrown = kStart;
    EXPECT_THROW(kaXmlRotation::Read(parsed.Root(), thrown, OnMalformed::Throw), ka::bad_lexical_cast);

    testsupport::DebugCapture capture;
    platform::Quaternion kept = kStart;
    kaXmlRotation::Read(parsed.Root(), kept, OnMalformed::KeepWithDebugLine, "Loader::Read");
    EXPECT_EQ(kept, platform::Quaternion(0.1f, 0.2f, 0.3f, 0.5f));
    ASSERT_EQ(capture.Lines().size(), 1u);
    EXPECT_EQ(capture.Lines()[0], "Loader::Read - bad value for x, default kept.\n");
}

} // namespace
