#include "tests/support/engine/model/KmfSamples.h"
#include "tests/support/engine/model/KmfTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace
{

std::string Golden(const std::string& name)
{
    std::ifstream in(std::string(KMF_TEST_DATA) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class TextFormTest : public ::testing::Test
{
protected:
    kmftest::Files m_Files;
};

} // namespace

TEST_F(TextFormTest, WholeModelMatchesTheGoldenText)
{
    const std::string golden = Golden("sample_model.txt");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(m_Files.Written(kmfsamples::WriteModelText, KM_Stream::kText), golden);
}

TEST_F(TextFormTest, LightLinesFollowItsType)
{
    auto omni = kmfsamples::Light(false);
    omni->m_LightType = 0;
    const std::string omniText = m_Files.Written(*omni, KM_Stream::kText);
    EXPECT_NE(omniText.find("*LIGHT_TYPE\tOmni\n"), std::string::npos);
    EXPECT_EQ(omniText.find("*LIGHT_HOTSPOT"), std::string::npos);
    EXPECT_EQ(omniText.find("*LIGHT_FALLOFF"), std::string::npos);
    EXPECT_NE(omniText.find("*LIGHT_ATTNSTART"), std::string::npos);
    EXPECT_EQ(omniText.find("*NODE_NAME\tSpot01.Target"), std::string::npos);

    auto odd = kmfsamples::Light();
    odd->m_LightType = 3;
    odd->m_Shadows = 7;
    const std::string oddText = m_Files.Written(*odd, KM_Stream::kText);
    EXPECT_EQ(oddText.find("*LIGHT_TYPE"), std::string::npos);
    EXPECT_EQ(oddText.find("*LIGHT_SHADOWS"), std::string::npos);
    EXPECT_NE(oddText.find("*NODE_NAME\tSpot01.Target"), std::string::npos);

    auto directional = kmfsamples::Light();
    directional->m_LightType = 2;
    const std::string directionalText = m_Files.Written(*directional, KM_Stream::kText);
    EXPECT_NE(directionalText.find("*LIGHT_HOTSPOT\t30.000000\n"), std::string::npos);
    EXPECT_EQ(directionalText.find("*LIGHT_ATTNSTART"), std::string::npos);
}

