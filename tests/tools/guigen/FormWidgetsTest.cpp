#include "tools/guigen/FormWidgets.h"

#include "engine/gui/guiButton.h"
#include "engine/render/kaTGAImage.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/TempDir.h"
#include "tools/guigen/GuiContent.h"
#include "tools/guigen/ScreenLayouts.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

class FormWidgetsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(guigen::WriteContent(".", error)) << error;
    }

    // Red, green and blue of one texel.
    static void Texel(const kaTGAImage& picture, uint32_t x, uint32_t y, int rgb[3])
    {
        const uint32_t bytes = picture.GetBitsPerPixel() / 8;
        const uint8_t* texel = picture.GetPixels() + (size_t(y) * picture.GetWidth() + x) * bytes;
        rgb[0] = texel[2];
        rgb[1] = texel[1];
        rgb[2] = texel[0];
    }

    testsupport::TempDir m_Dir;
    testsupport::CurrentDirectory m_Here{m_Dir.File("")};
};

bool Orange(const int rgb[3])
{
    return rgb[0] > 200 && rgb[1] > 120 && rgb[2] < 80;
}

} // namespace

TEST(LayoutPathTest, EachLayoutNameGoesWhereTheGameLooksForIt)
{
    const std::pair<const char*, const char*> cases[] = {
        {"ui\\common\\opt_video.kab", "ui/common/opt_video.kab"},
        {"UI\\common\\opt_audio.kab", "ui/common/opt_audio.kab"},
        {"UI/common/saveworld.kab", "ui/common/saveworld.kab"},
        {"ui/CourseSelect/CourseSelect.kab", "ui/CourseSelect/CourseSelect.kab"},
        {"UI/tvEditor/course_options.kab", "ui/tvEditor/course_options.kab"},
        {"DebugWindow.kab", "ui/DebugWindow.kab"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(guigen::LayoutPath(c.first), c.second) << c.first;
}

TEST_F(FormWidgetsTest, EachTabPictureLightsTheStretchUnderItsOwnButtonOnly)
{
    ASSERT_EQ(guigen::TabBarPictures().size(), size_t(guigen::kTabCount));
    const int step = (guigen::kTabBarWidth + guigen::kTabGap) / guigen::kTabCount;
    for (int tab = 0; tab < guigen::kTabCount; ++tab)
    {
        kaTGAImage picture;
        const std::string file = "ui/common/" + guigen::TabBarPictures()[size_t(tab)];
        ASSERT_TRUE(picture.Load(m_Dir.File(file))) << file;
        ASSERT_EQ(int(picture.GetWidth()), guigen::kTabBarWidth);
        ASSERT_EQ(int(picture.GetHeight()), guigen::kTabBarHeight);
        for (int x = 0; x < guigen::kTabBarWidth; ++x)
        {
            int rgb[3];
            Texel(picture, uint32_t(x), guigen::kTabBarHeight / 2, rgb);
            const bool under = x / step == tab && x % step < step - guigen::kTabGap;
            ASSERT_EQ(Orange(rgb), under) << file << " at " << x;
        }
    }
}

TEST_F(FormWidgetsTest, OnlyTheCheckedBoxShowsATickAndEveryStateLooksDifferent)
{
    int ticks[4] = {};
    int rims[4] = {};
    for (int state = guiButton::kNormal; state <= guiButton::kDisabled; ++state)
    {
        kaTGAImage picture;
        ASSERT_TRUE(picture.Load(m_Dir.File(guigen::CheckPicture(state)))) << state;
        ASSERT_EQ(int(picture.GetWidth()), guigen::kCheckSide);
        for (uint32_t y = 0; y < picture.GetHeight(); ++y)
            for (uint32_t x = 0; x < picture.GetWidth(); ++x)
            {
                int rgb[3];
                Texel(picture, x, y, rgb);
                ticks[state] += rgb[0] > 200 && rgb[2] < 120 ? 1 : 0;
            }
        int rgb[3];
        Texel(picture, 0, 0, rgb);
        rims[state] = rgb[0];
    }
    EXPECT_GT(ticks[guiButton::kClicked], 15);
    for (int state : {guiButton::kNormal, guiButton::kRollover, guiButton::kDisabled})
        EXPECT_EQ(ticks[state], 0) << state;
    EXPECT_GT(rims[guiButton::kRollover], rims[guiButton::kNormal]);
    EXPECT_LT(rims[guiButton::kDisabled], rims[guiButton::kNormal]);
}
