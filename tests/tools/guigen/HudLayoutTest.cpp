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

// The HUD as the generator builds it, drawn once inside a screen of the given size.
class HudOnScreen
{
public:
    HudOnScreen(int width, int height)
    {
        for (const guigen::ScreenLayout& layout : guigen::ScreenContract())
            if (std::string(layout.file) == "ui/hud/hudview.kab")
                m_Layout = &layout;
        m_Screen = new guiGroup(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(float(width), float(height)));
        m_Screen->AddRef();
        if (m_Layout == nullptr)
            return;
        m_Hud = guigen::BuildScreen(*m_Layout);
        m_Screen->AddChild(m_Hud);
        guiRenderContext context;
        DrawTree(m_Screen, context);
    }
    ~HudOnScreen() { m_Screen->Release(); }
    HudOnScreen(const HudOnScreen&) = delete;
    HudOnScreen& operator=(const HudOnScreen&) = delete;

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

} // namespace

TEST(HudLayoutTest, TheTopBarSpansEveryScreenSizeWithTheDamageOnTheRightAndTheCountdownInTheMiddle)
{
    const struct
    {
        int width, height;
    } screens[] = {{640, 480}, {800, 600}, {1024, 768}, {1600, 1200}};
    for (const auto& screen : screens)
    {
        SCOPED_TRACE(std::to_string(screen.width) + "x" + std::to_string(screen.height));
        HudOnScreen hud(screen.width, screen.height);
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
