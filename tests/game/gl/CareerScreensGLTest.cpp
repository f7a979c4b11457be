#include "engine/gui/guiGrid.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiWindow.h"
#include "game/app/Tarvolin.h"
#include "game/records/tvPlayer.h"
#include "game/screens/CSmenu.h"
#include "game/screens/CareerWindow.h"
#include "game/screens/CoursePreview.h"
#include "game/screens/CourseSelectWindow.h"
#include "game/screens/StuntShopWindow.h"
#include "game/world/WorldInfo.h"
#include "tests/support/FrameReading.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/ShopContent.h"

#include <gtest/gtest.h>

#include <string>

using testsupport::HeadlessGame;

namespace
{

// Where a widget of a shown window was drawn, in screen pixels; false when the window lacks it.
bool DrawnPlace(guiManager& gui, const char* windowName, const char* widget, platform::Rect& place)
{
    guiWindow* window = gui.FindWindow(windowName);
    const guiGlyph* glyph = window != nullptr ? window->FindChild(widget) : nullptr;
    if (glyph == nullptr)
        return false;
    const kaPoint origin = glyph->GetDrawingOrigin();
    place.left = origin.x + glyph->GetPixelPosition().x;
    place.top = origin.y + glyph->GetPixelPosition().y;
    place.right = place.left + glyph->GetPixelSize().x;
    place.bottom = place.top + glyph->GetPixelSize().y;
    return true;
}

// The padlock's red body inside a widget's drawn place (menus stand in the middle of the screen).
int LockPixels(guiManager& gui, const platform::FrameCapture& frame, const char* windowName,
               const char* widget)
{
    platform::Rect place{};
    if (!DrawnPlace(gui, windowName, widget, place))
        return -1;
    int red = 0;
    for (int y = place.top; y < place.bottom; ++y)
        for (int x = place.left; x < place.right; ++x)
        {
            const testsupport::Rgb pixel = testsupport::FramePixel(frame, x, y);
            red += pixel.r > 150 && pixel.g < 80 && pixel.b < 80 ? 1 : 0;
        }
    return red;
}

class CareerScreensGLTest : public ::testing::Test
{
protected:
    static HeadlessGame::Options RealGraphics()
    {
        HeadlessGame::Options options;
        options.realGraphics = true;
        return options;
    }

    void SetUp() override
    {
        testsupport::EmptyContentFolder(m_Game.Install(), "Data/stuntshop");
        testsupport::WriteShopItem(m_Game.Install(), "arena.xml", "Proving Ground Pass", "ProvingGround",
                                   100);
        testsupport::WriteShopItem(m_Game.Install(), "keys.xml", "Charger Keys", "Charger", 25);
        ASSERT_TRUE(m_Game.Start());
        m_Player = m_Game.App().CreatePlayer("Ann");
        m_Player->SetUnspentRepPoints(30);
        m_Player->SetTotalRepPoints(45);
        m_Player->SetCourseRuns(6);
        m_Game.App().SetCurrentPlayer(m_Player);
        for (int32_t i = 0; i < m_Game.App().GetWorldCount(); ++i)
            if (m_Game.App().GetWorldInfo(i) != nullptr && i % 2 == 0)
                m_Player->SetHighScore(m_Game.App().GetWorldInfo(i)->GetFilePath(), 40 + 60 * i);
    }

    // Shows the one window and draws it.
    platform::FrameCapture Show(const char* name)
    {
        guiManager& gui = m_Game.Gui();
        if (m_Shown != nullptr)
            gui.HideWindow(m_Shown, 1);
        m_Shown = gui.FindWindow(name);
        if (m_Shown == nullptr)
            return {};
        gui.ShowWindow(m_Shown, false);
        for (int i = 0; i < 2; ++i)
            m_Game.Frame();
        return m_Game.Capture();
    }

    // Shows the one window and counts the padlock's pixels in one of its widgets.
    int ShownLocks(const char* window, const char* widget)
    {
        const platform::FrameCapture frame = Show(window);
        return LockPixels(m_Game.Gui(), frame, window, widget);
    }

    HeadlessGame m_Game{RealGraphics()};
    tvPlayer* m_Player = nullptr;
    guiWindow* m_Shown = nullptr;
};

} // namespace

TEST_F(CareerScreensGLTest, LocksShowUntilBoughtAndEachScreenIsPhotographed)
{
    EXPECT_GT(ShownLocks(CareerWindow::kWindowName, "Levels Grid"), 0);
    ASSERT_TRUE(m_Game.Screenshot("career"));
    EXPECT_GT(ShownLocks(CSmenu::kWindowName, "Locked"), 0);
    ASSERT_TRUE(m_Game.Screenshot("carselect_locked"));
    // A course on another arena is free; the proving ground's arena is for sale.
    Show(CourseSelectWindow::kWindowName);
    auto* courses = m_Shown->DynamicCast<CourseSelectWindow>();
    int32_t free = -1;
    for (int32_t i = 0; i < m_Game.App().GetWorldCount() && free < 0; ++i)
        if (m_Game.App().GetWorldInfo(i)->GetArena() != "ProvingGround")
            free = i;
    ASSERT_GE(free, 0);
    courses->GetGrid()->SelectRow(free, true);
    m_Game.Frame();
    EXPECT_EQ(LockPixels(m_Game.Gui(), m_Game.Capture(), CourseSelectWindow::kWindowName, "Locked"), 0);
    for (int32_t i = 0; i < m_Game.App().GetWorldCount(); ++i)
        if (m_Game.App().GetWorldInfo(i)->GetArena() == "ProvingGround")
            courses->GetGrid()->SelectRow(i, true);
    m_Game.Frame();
    EXPECT_GT(LockPixels(m_Game.Gui(), m_Game.Capture(), CourseSelectWindow::kWindowName, "Locked"), 0);
    ASSERT_TRUE(m_Game.Screenshot("courseselect"));
    Show(StuntShopWindow::kWindowName);
    ASSERT_TRUE(m_Game.Screenshot("stuntshop"));

    // Both bought: the marks are gone at the next showing.
    m_Player->Unlock("ProvingGround");
    m_Player->Unlock("Charger");
    EXPECT_EQ(ShownLocks(CareerWindow::kWindowName, "Levels Grid"), 0);
    EXPECT_EQ(ShownLocks(CSmenu::kWindowName, "Locked"), 0);
    ASSERT_TRUE(m_Game.Screenshot("carselect_free"));

    // The preview over the started proving ground, a best score on the board.
    Tarvolin& app = m_Game.App();
    std::string path;
    for (int32_t i = 0; i < app.GetWorldCount(); ++i)
        if (app.GetWorldInfo(i)->GetArena() == "ProvingGround")
            path = app.GetWorldInfo(i)->GetFilePath();
    ASSERT_FALSE(path.empty());
    m_Player->SetHighScore(path, 80);
    app.SetHighScore(path, "Ann", 80);
    app.SetGameMode(1);
    app.SetVehicleName("Charger");
    app.SetLevelPath(path);
    app.SetLevelPathCopy(path);
    m_Game.Gui().HideWindow(m_Shown, 1);
    m_Game.Gui().HideWindow(m_Game.Gui().FindWindow("main window"), 1);
    app.StartCourse();
    // Past the preview's fade in.
    for (int i = 0; i < 8; ++i)
        m_Game.Frame();
    ASSERT_TRUE(m_Game.Gui().FindWindow(CoursePreview::kWindowName)->IsVisible());
    ASSERT_TRUE(m_Game.Screenshot("preview"));
    // The course's name is written over the drawn course, not hidden behind its depth.
    const platform::FrameCapture frame = m_Game.Capture();
    platform::Rect name{};
    ASSERT_TRUE(DrawnPlace(m_Game.Gui(), CoursePreview::kWindowName, "career_level", name));
    int light = 0;
    for (int y = name.top; y < name.bottom; ++y)
        for (int x = name.left; x < name.right; ++x)
        {
            const testsupport::Rgb pixel = testsupport::FramePixel(frame, x, y);
            light += pixel.r > 200 && pixel.g > 200 ? 1 : 0;
        }
    EXPECT_GT(light, 50);
}
