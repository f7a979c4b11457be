#include "tools/guigen/ScreenLayouts.h"

#include "engine/gui/guiGroup.h"
#include "engine/gui/guiRenderContext.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
    const guiGlyph* Root() const { return m_Hud; }

    // Where the widget was drawn, in screen pixels.
    bool Find(const char* name, Box& box) const
    {
        const guiGlyph* glyph = m_Hud != nullptr ? m_Hud->FindChild(name) : nullptr;
        if (glyph == nullptr)
            return false;
        box = Drawn(*glyph);
        return true;
    }

    static Box Drawn(const guiGlyph& glyph)
    {
        const kaPoint origin = glyph.GetDrawingOrigin();
        return {origin.x + glyph.GetPixelPosition().x, origin.y + glyph.GetPixelPosition().y,
                glyph.GetPixelSize().x, glyph.GetPixelSize().y};
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

std::string SizeName(const Screen& screen)
{
    return std::to_string(screen.width) + "x" + std::to_string(screen.height);
}

// Every glyph drawn below the root, in tree order: hidden ones keep no drawn place.
void Walk(const guiGlyph& glyph, std::vector<const guiGlyph*>& out)
{
    for (int i = 0; i < glyph.GetChildCount(); ++i)
        if (glyph.GetChild(i)->IsVisible())
        {
            out.push_back(glyph.GetChild(i));
            Walk(*glyph.GetChild(i), out);
        }
}

std::vector<const guiGlyph*> Glyphs(const LayoutOnScreen& screen)
{
    std::vector<const guiGlyph*> glyphs;
    if (screen.Root() != nullptr)
        Walk(*screen.Root(), glyphs);
    return glyphs;
}

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

TEST(MenuLayoutsTest, FullScreenMenusKeepTheir640By480PageInTheMiddleOfEveryScreen)
{
    const char* const menus[] = {
        "ui/common/main.kab",
        "ui/common/credits.kab",
        "UI/common/loading.kab",
        "ui/common/opt.kab",
        "ui/CareerMenu/career.kab",
        "ui/common/carselect.kab",
        "ui/CourseSelect/CourseSelect.kab",
        "UI/stuntshop/stuntshop.kab",
        "ui/common/coursesummary.kab",
    };
    for (const char* file : menus)
    {
        SCOPED_TRACE(file);
        const LayoutOnScreen small(file, 640, 480);
        ASSERT_NE(small.Layout(), nullptr);
        const std::vector<const guiGlyph*> before = Glyphs(small);
        ASSERT_GT(before.size(), 1u);
        for (const Screen& screen : kScreens)
        {
            SCOPED_TRACE(SizeName(screen));
            const LayoutOnScreen menu(file, screen.width, screen.height);
            const std::vector<const guiGlyph*> glyphs = Glyphs(menu);
            ASSERT_EQ(glyphs.size(), before.size());
            // The page's corner when its middle is the screen's, to the pixel.
            const int left = (screen.width - 640) / 2, top = (screen.height - 480) / 2;
            const Box window = LayoutOnScreen::Drawn(*menu.Root());
            EXPECT_EQ(window.left, 0);
            EXPECT_EQ(window.top, 0);
            EXPECT_EQ(window.width, screen.width);
            EXPECT_EQ(window.height, screen.height);
            for (std::size_t i = 0; i < glyphs.size(); ++i)
            {
                const Box box = LayoutOnScreen::Drawn(*glyphs[i]);
                const Box was = LayoutOnScreen::Drawn(*before[i]);
                const std::string name = glyphs[i]->GetName();
                // The backdrop fills the screen; everything else keeps its place on the page.
                if (was.width == 640 && was.height == 480)
                {
                    EXPECT_EQ(box.left, 0) << name;
                    EXPECT_EQ(box.width, screen.width) << name;
                    EXPECT_EQ(box.height, screen.height) << name;
                    continue;
                }
                EXPECT_EQ(box.left - left, was.left) << name;
                EXPECT_EQ(box.top - top, was.top) << name;
                EXPECT_EQ(box.width, was.width) << name;
                EXPECT_EQ(box.height, was.height) << name;
                EXPECT_GE(box.left, 0) << name;
                EXPECT_GE(box.top, 0) << name;
                EXPECT_LE(box.Right(), screen.width) << name;
                EXPECT_LE(box.Bottom(), screen.height) << name;
            }
        }
    }
}

TEST(MenuLayoutsTest, DialogsStandInTheMiddleOfEveryScreenWithTheirWidgetsInside)
{
    struct Dialog
    {
        const char* file;
        // The corner on a 640 by 480 screen.
        int left, top;
    };
    const Dialog dialogs[] = {
        {"ui/common/ingamemenu.kab", 170, 170},
        {"UI/common/saveworld.kab", 125, 170},
        {"UI/coursepreview/coursepreview.kab", 120, 100},
        {"UI/editor/createterrain.kab", 10, 4},
        {"UI/editor/terrainlayer.kab", 10, 60},
        {"UI/editor/skybox.kab", 120, 40},
        {"editor\\addsun.kab", 120, 20},
        {"UI/editor/flarelayer.kab", 10, 60},
        {"UI/editor/layerlist.kab", 170, 100},
        // These stood a few pixels above the middle.
        {"ui/common/newplayer.kab", 170, 160},
        {"ui/common/deleteplayer.kab", 170, 160},
        {"UI/common/savegame.kab", 110, 68},
        // Both stood in the middle of an 800 by 600 screen; the property sheet's buttons lay off a smaller
        // one.
        {"UI/editor/properties.kab", 10, 10},
        {"UI/tvEditor/course_options.kab", 150, 110},
    };
    for (const Dialog& dialog : dialogs)
    {
        SCOPED_TRACE(dialog.file);
        for (const Screen& screen : kScreens)
        {
            SCOPED_TRACE(SizeName(screen));
            const LayoutOnScreen shown(dialog.file, screen.width, screen.height);
            ASSERT_NE(shown.Layout(), nullptr);
            const Box window = LayoutOnScreen::Drawn(*shown.Root());
            EXPECT_EQ(window.width, int(shown.Layout()->width));
            EXPECT_EQ(window.height, int(shown.Layout()->height));
            EXPECT_NEAR(window.left + window.width / 2.0, screen.width / 2.0, 1.0);
            EXPECT_NEAR(window.top + window.height / 2.0, screen.height / 2.0, 1.0);
            if (screen.width == 640)
            {
                EXPECT_EQ(window.left, dialog.left);
                EXPECT_EQ(window.top, dialog.top);
            }
            EXPECT_GE(window.left, 0);
            EXPECT_GE(window.top, 0);
            EXPECT_LE(window.Right(), screen.width);
            EXPECT_LE(window.Bottom(), screen.height);
            for (const guigen::ScreenWidget& row : shown.Layout()->widgets)
            {
                Box box{};
                ASSERT_TRUE(shown.Find(row.name, box)) << row.name;
                // The widgets move with their window.
                if (row.parent == nullptr)
                {
                    EXPECT_EQ(box.left - window.left, int(row.x)) << row.name;
                    EXPECT_EQ(box.top - window.top, int(row.y)) << row.name;
                }
                EXPECT_GE(box.left, window.left) << row.name;
                EXPECT_GE(box.top, window.top) << row.name;
                EXPECT_LE(box.Right(), window.Right()) << row.name;
                EXPECT_LE(box.Bottom(), window.Bottom()) << row.name;
            }
        }
    }
}

TEST(MenuLayoutsTest, TheEditorsNameAndDecalToolsKeepToTheRightAndBottomEdges)
{
    struct Edge
    {
        const char* name;
        // Where it stands on the 800 by 600 screen the editor was laid out for.
        int left, top;
        bool bottom;
    };
    const Edge edges[] = {
        {"filename", 666, 4, false},
        {"draggable dropdown", 640, 40, false},
        {"Height Label", 640, 500, true},
        {"HeightInc Button", 640, 530, true},
        {"HeightDec Button", 720, 530, true},
        // The toolbar and the palette keep to the top-left corner.
        {"file button", 2, 2, false},
        {"entity category dropdown", 4, 40, false},
    };
    for (const Screen& screen : kScreens)
    {
        SCOPED_TRACE(SizeName(screen));
        const LayoutOnScreen editor("UI/editor/mapeditor.kab", screen.width, screen.height);
        ASSERT_NE(editor.Layout(), nullptr);
        Box all{};
        ASSERT_TRUE(editor.Find("hide all group", all));
        EXPECT_EQ(all.width, screen.width);
        EXPECT_EQ(all.height, screen.height);
        for (const Edge& edge : edges)
        {
            Box box{};
            ASSERT_TRUE(editor.Find(edge.name, box)) << edge.name;
            const bool right = edge.left >= 640;
            EXPECT_EQ(box.left, edge.left + (right ? screen.width - 800 : 0)) << edge.name;
            EXPECT_EQ(box.top, edge.top + (edge.bottom ? screen.height - 600 : 0)) << edge.name;
            EXPECT_GE(box.left, 0) << edge.name;
            EXPECT_LE(box.Right(), screen.width) << edge.name;
            EXPECT_LE(box.Bottom(), screen.height) << edge.name;
        }
    }
}
