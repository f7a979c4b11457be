#include "engine/scene/kaXmlRotation.h"

#include "engine/core/kaLexicalCast.h"
#include "engine/scene/kaWorld.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

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

// Components whose squares overflow or vanish in floats still make a rotation: the reader brings them to
// unit length, so that nothing downstream squares them. One of no length is no rotation: identity.
TEST(XmlRotation, AQuaternionWhoseLengthFloatsCannotTakeIsNormalisedAndOneOfNoLengthIsIdentity)
{
    const struct
    {
        const char* xml;
        platform::Quaternion expected;
        bool line;
    } cases[] = {
        {"<rotation><quaternion><x>1e30</x><y>1e30</y><z>1e30</z><w>1e30</w></quaternion></rotation>",
         platform::Quaternion(0.5f, 0.5f, 0.5f, 0.5f), false},
        {"<rotation><quaternion><x>-3e38</x><y>0</y><z>0</z><w>3e38</w></quaternion></rotation>",
         platform::Quaternion(-0.70710677f, 0.0f, 0.0f, 0.70710677f), false},
        {"<rotation><quaternion><x>0</x><y>1e-30</y><z>0</z><w>0</w></quaternion></rotation>",
         platform::Quaternion(0.0f, 1.0f, 0.0f, 0.0f), false},
        {"<rotation><quaternion><x>0</x><y>0</y><z>0</z><w>0</w></quaternion></rotation>",
         platform::Quaternion(0.0f, 0.0f, 0.0f, 1.0f), true},
        {"<rotation><quaternion><x></x><y>-0</y><z>0</z><w>0</w></quaternion></rotation>",
         platform::Quaternion(0.0f, 0.0f, 0.0f, 1.0f), true},
    };
    for (const OnMalformed policy : {OnMalformed::Throw, OnMalformed::KeepWithDebugLine})
        for (const auto& c : cases)
        {
            SCOPED_TRACE(c.xml);
            Parsed parsed;
            Parse(parsed, c.xml);
            testsupport::DebugCapture capture;
            platform::Quaternion rotation = kStart;
            kaXmlRotation::Read(parsed.Root(), rotation, policy, "Loader::Read");
            EXPECT_NEAR(rotation.x, c.expected.x, 1e-6f);
            EXPECT_NEAR(rotation.y, c.expected.y, 1e-6f);
            EXPECT_NEAR(rotation.z, c.expected.z, 1e-6f);
            EXPECT_NEAR(rotation.w, c.expected.w, 1e-6f);
            EXPECT_EQ(capture.Lines(),
                      c.line
                          ? std::vector<std::string>{"Loader::Read - rotation of no length, identity used.\n"}
                          : std::vector<std::string>{});
        }
}

TEST(XmlRotation, NormalisingScalesFirstAndRefusesWhatHasNoLength)
{
    const float infinity = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct
    {
        platform::Quaternion given;
        bool normalised;
        platform::Quaternion expected;
    } cases[] = {
        {platform::Quaternion(0.0f, 3e38f, 0.0f, 3e38f), true,
         platform::Quaternion(0.0f, 0.70710677f, 0.0f, 0.70710677f)},
        {platform::Quaternion(0.0f, 0.0f, 0.0f, 2.0f), true, platform::Quaternion(0.0f, 0.0f, 0.0f, 1.0f)},
        {platform::Quaternion(1e-40f, 0.0f, 0.0f, 0.0f), true, platform::Quaternion(1.0f, 0.0f, 0.0f, 0.0f)},
        {platform::Quaternion(0.0f, 0.0f, 0.0f, 0.0f), false, platform::Quaternion(0.0f, 0.0f, 0.0f, 0.0f)},
        {platform::Quaternion(infinity, 0.0f, 0.0f, 1.0f), false,
         platform::Quaternion(infinity, 0.0f, 0.0f, 1.0f)},
        {platform::Quaternion(0.0f, 0.0f, 0.0f, nan), false, platform::Quaternion(0.0f, 0.0f, 0.0f, nan)},
    };
    for (const auto& c : cases)
    {
        platform::Quaternion rotation = c.given;
        EXPECT_EQ(kaXmlRotation::Normalize(rotation), c.normalised);
        const float got[] = {rotation.x, rotation.y, rotation.z, rotation.w};
        const float want[] = {c.expected.x, c.expected.y, c.expected.z, c.expected.w};
        for (int i = 0; i < 4; ++i)
        {
            if (std::isnan(want[i]))
                EXPECT_TRUE(std::isnan(got[i])) << i;
            else if (std::isinf(want[i]))
                EXPECT_EQ(got[i], want[i]) << i;
            else
                EXPECT_NEAR(got[i], want[i], 1e-6f) << i;
        }
    }
}

// A course holding extreme quaternions, as the start's rotation and as an entity's, saves to the same bytes
// from its second save on: the rotation the first save writes is read back as it was.
TEST(XmlRotation, ExtremeQuaternionsSaveToTheSameBytesTwiceThroughAWorldFile)
{
    const struct
    {
        const char *w, *x, *y, *z;
    } cases[] = {
        {"1", "0", "0", "1e38"},
        {"1", "3.4e38", "0", "0"},
        {"-3.4e38", "3.4e38", "-3.4e38", "3.4e38"},
        {"3.4e38", "-1", "1e-30", "1e38"},
        {"1e38", "-1e38", "1e-38", "-1"},
        {"1e-38", "0", "0", "1"},
        {"1.0000002e-38", "0", "-0", "1"},
        {"0", "1e-38", "-1e-38", "1e-38"},
        {"1e-45", "1e-40", "-1e-39", "0"},
        {"-1e-45", "0", "0", "0"},
        {"1e-20", "1e-39", "0", "-1e-21"},
        {"-0", "-0", "1", "-0"},
        {"0.70710677", "-1e-39", "-0.70710677", "1.2e-38"},
    };
    for (const auto& c : cases)
    {
        const std::string quaternion = std::string("<quaternion><w>") + c.w + "</w><x>" + c.x + "</x><y>" +
                                       c.y + "</y><z>" + c.z + "</z></quaternion>";
        SCOPED_TRACE(quaternion);
        testsupport::TempDir dir;
        dir.Write("0.xml",
                  "<World><startrotation>" + quaternion +
                      "</startrotation><Entities><Entity><type>EntityModel</type><entityID>1</entityID>"
                      "<kmfFilename></kmfFilename><rotation>" +
                      quaternion + "</rotation></Entity></Entities></World>");
        for (int save = 1; save <= 2; ++save)
        {
            kaWorld world;
            world.LoadFile(dir.File(std::to_string(save - 1) + ".xml"), false);
            ASSERT_EQ(world.GetEntityCount(), 1);
            ASSERT_TRUE(world.SaveFile(dir.File(std::to_string(save) + ".xml"), false));
        }
        const std::string first = dir.Read("1.xml");
        EXPECT_NE(first.find("<rotation>"), std::string::npos) << first;
        EXPECT_EQ(dir.Read("2.xml"), first);
    }
}

} // namespace
