#include "tools/guigen/ScreenLayouts.h"

#include "engine/gui/guiGroup.h"
#include "engine/gui/guiRenderContext.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

struct Box
{
    int left, top, width, height;
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
};

// A full-screen layout as the generator builds it, drawn once inside a screen of the given size.
class LayoutOnScreen
{
public:
    LayoutOnScreen(const char* file, int width, int height)
    {
        for (const guigen::ScreenLayout& layout : guigen::ScreenContract())
            if (std::string(layout.file) == file)
                m_Layout = &layout;
        m_Screen =
            new guiGroup(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(float(width), float(height)));
        m_Screen->AddRef();
        if (m_Layout == nullptr)
            return;
        m_Hud = guigen::BuildScreen(*m_Layout);
        m_Screen->AddChild(m_Hud);
        guiRenderContext context;
        DrawTree(m_Screen, context);
    }
    ~LayoutOnScreen() { m_Screen->Release(); }
    LayoutOnScreen(const LayoutOnScreen&) = delete;
    LayoutOnScreen& operator=(const LayoutOnScreen&) = delete;

    const guigen::ScreenLayout* Layout() const { return m_Layout; }

    // Where the widget was drawn, in screen pixels.
    bool Find(const char* name, Box& box) const
    {
        const guiGlyph* glyph = m_Hud != nullptr ? m_Hud->FindChild(name) : nullptr;
        if (glyph == nullptr)
            return false;
        const kaPoint origin = glyph->GetDrawingOrigin();
        box = {origin.x + glyph->GetPixelPosition().x, origin.y + glyph->GetPixelPosition().y,
               glyph->GetPixelSize().x, glyph->GetPixelSize().y};
        return true;
    }

private:
    const guigen::ScreenLayout* m_Layout = nullptr;
    guiGroup* m_Screen = nullptr;
    guiGlyph* m_Hud = nullptr;
};

struct Screen
{
    int width, height;
};

// The smallest and largest display modes the options offer and two between.
constexpr Screen kScreens[] = {{640, 480}, {800, 600}, {1024, 768}, {1600, 1200}};

} // namespace

TEST(RaceLayoutsTest, TheTopBarSpansEveryScreenSizeWithTheDamageOnTheRightAndTheCountdownInTheMiddle)
{
    for (const Screen& screen : kScreens)
    {
        SCOPED_TRACE(std::to_string(screen.width) + "x" + std::to_string(screen.height));
        LayoutOnScreen hud("ui/hud/hudview.kab", screen.width, screen.height);
        ASSERT_NE(hud.Layout(), nullptr);
        Box bar{}, damage{}, damageIcon{}, count{}, anyKey{}, song{}, time{};
        ASSERT_TRUE(hud.Find("top_trans_image", bar));
        ASSERT_TRUE(hud.Find("Damage Image", damage));
        ASSERT_TRUE(hud.Find("damage icon image", damageIcon));
        ASSERT_TRUE(hud.Find("Count Image", count));
        ASSERT_TRUE(hud.Find("PressAnyKey Image", anyKey));
        ASSERT_TRUE(hud.Find("SongName", song));
        ASSERT_TRUE(hud.Find("TimeValue TextBox", time));

        EXPECT_EQ(bar.left, 0);
        EXPECT_EQ(bar.top, 0);
        EXPECT_EQ(bar.width, screen.width);
        // The damage keeps to the right-hand end of the bar, its icon just before it, both on the bar.
        EXPECT_EQ(damage.Right(), screen.width - 12);
        EXPECT_LT(damageIcon.Right(), damage.left);
        EXPECT_GT(damageIcon.Right(), damage.left - 10);
        EXPECT_LE(damage.Bottom(), bar.Bottom());
        // The run's numbers keep to the left, clear of the damage.
        EXPECT_EQ(time.left, 38);
        // The countdown is centred, the prompt centred under it, the song name at the bottom left.
        EXPECT_EQ(count.left + count.width / 2, screen.width / 2);
        EXPECT_EQ(count.top + count.height / 2, screen.height / 2);
        EXPECT_EQ(anyKey.left + anyKey.width / 2, screen.width / 2);
        EXPECT_GT(anyKey.top, count.Bottom());
        EXPECT_EQ(song.left, 10);
        EXPECT_LE(song.Bottom(), screen.height);
        EXPECT_GT(song.top, screen.height - 40);

        for (const guigen::ScreenWidget& row : hud.Layout()->widgets)
        {
            Box box{};
            ASSERT_TRUE(hud.Find(row.name, box)) << row.name;
            EXPECT_GE(box.left, 0) << row.name;
            EXPECT_GE(box.top, 0) << row.name;
            EXPECT_LE(box.Right(), screen.width) << row.name;
            EXPECT_LE(box.Bottom(), screen.height) << row.name;
        }
    }
}

TEST(RaceLayoutsTest, TheRunSummaryKeepsItsPageInTheMiddleOfEveryScreen)
{
    for (const Screen& screen : kScreens)
    {
        SCOPED_TRACE(std::to_string(screen.width) + "x" + std::to_string(screen.height));
        LayoutOnScreen summary("ui/common/coursesummary.kab", screen.width, screen.height);
        ASSERT_NE(summary.Layout(), nullptr);
        // The page's corner: where a 640 by 480 page stands when centred.
        const int left = (screen.width - 640) / 2, top = (screen.height - 480) / 2;
        Box level{}, first{}, last{}, proceed{};
        ASSERT_TRUE(summary.Find("Career Level Textbox", level));
        ASSERT_TRUE(summary.Find("image_1", first));
        ASSERT_TRUE(summary.Find("front_8", last));
        ASSERT_TRUE(summary.Find("continue_b", proceed));
        EXPECT_EQ(level.left - left, 40);
        EXPECT_EQ(level.top - top, 20);
        EXPECT_EQ(first.left - left, 40);
        EXPECT_EQ(first.top - top, 170);
        // The two rows of slots stand symmetric about the middle, give or take a pixel.
        EXPECT_NEAR((first.left + last.Right()) / 2.0, screen.width / 2.0, 30.0);
        EXPECT_LT(proceed.Bottom(), top + 480);
        EXPECT_GT(proceed.Right(), screen.width / 2);
        for (const guigen::ScreenWidget& row : summary.Layout()->widgets)
        {
            Box box{};
            ASSERT_TRUE(summary.Find(row.name, box)) << row.name;
            EXPECT_GE(box.left, left) << row.name;
            EXPECT_GE(box.top, top) << row.name;
            EXPECT_LE(box.Right(), left + 640) << row.name;
            EXPECT_LE(box.Bottom(), top + 480) << row.name;
        }
    }
}
