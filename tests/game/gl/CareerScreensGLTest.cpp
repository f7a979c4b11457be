#include "engine/gui/guiGrid.h"
#include "engine/gui/guiManager.h"
#include "game/Tarvolin.h"
#include "game/WorldInfo.h"
#include "game/screens/CSmenu.h"
#include "game/screens/CareerWindow.h"
#include "game/screens/CoursePreview.h"
#include "game/screens/CourseSelectWindow.h"
#include "game/screens/StuntShopWindow.h"
#include "game/tvPlayer.h"
#include "tests/support/FrameReading.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/ShopContent.h"
#include "tools/guigen/ScreenLayouts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using testsupport::HeadlessGame;

namespace
{

// The padlock's red body inside a widget's place as the screen table gives it.
int LockPixels(const platform::FrameCapture& frame, const char* layoutFile, const char* widget)
{
    for (const guigen::ScreenLayout& layout : guigen::ScreenContract())
        if (std::strcmp(layout.file, layoutFile) == 0)
            for (const guigen::ScreenWidget& row : layout.widgets)
                if (std::strcmp(row.name, widget) == 0)
                {
                    int red = 0;
                    for (int y = int(row.y); y < int(row.y + row.height); ++y)
                        for (int x = int(row.x); x < int(row.x + row.width); ++x)
                        {
                            const testsupport::Rgb pixel = testsupport::FramePixel(frame, x, y);
                            red += pixel.r > 150 && pixel.g < 80 && pixel.b < 80 ? 1 : 0;
                        }
                    return red;
                }
    return -1;
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

    HeadlessGame m_Game{RealGraphics()};
    tvPlayer* m_Player = nullptr;
    guiWindow* m_Shown = nullptr;
};

} // namespace

TEST_F(CareerScreensGLTest, LocksShowUntilBoughtAndEachScreenIsPhotographed)
{
    EXPECT_GT(LockPixels(Show(CareerWindow::kWindowName), "ui/CareerMenu/career.kab", "Levels Grid"), 0);
    ASSERT_TRUE(m_Game.Screenshot("career"));
    EXPECT_GT(LockPixels(Show(CSmenu::kWindowName), "ui/common/carselect.kab", "Locked"), 0);
    ASSERT_TRUE(m_Game.Screenshot("carselect_locked"));
    // The first row is free; the proving ground's arena is for sale.
    constexpr const char* kCourses = "ui/CourseSelect/CourseSelect.kab";
    EXPECT_EQ(LockPixels(Show(CourseSelectWindow::kWindowName), kCourses, "Locked"), 0);
    auto* courses = m_Shown->DynamicCast<CourseSelectWindow>();
    for (int32_t i = 0; i < m_Game.App().GetWorldCount(); ++i)
        if (m_Game.App().GetWorldInfo(i)->GetArena() == "ProvingGround")
            courses->GetGrid()->SelectRow(i, true);
    m_Game.Frame();
    EXPECT_GT(LockPixels(m_Game.Capture(), kCourses, "Locked"), 0);
    ASSERT_TRUE(m_Game.Screenshot("courseselect"));
    Show(StuntShopWindow::kWindowName);
    ASSERT_TRUE(m_Game.Screenshot("stuntshop"));

    // Both bought: the marks are gone at the next showing.
    m_Player->Unlock("ProvingGround");
    m_Player->Unlock("Charger");
    EXPECT_EQ(LockPixels(Show(CareerWindow::kWindowName), "ui/CareerMenu/career.kab", "Levels Grid"), 0);
    EXPECT_EQ(LockPixels(Show(CSmenu::kWindowName), "ui/common/carselect.kab", "Locked"), 0);
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
    int light = 0;
    for (const guigen::ScreenLayout& layout : guigen::ScreenContract())
        if (std::strcmp(layout.file, "UI/coursepreview/coursepreview.kab") == 0)
            for (int y = int(layout.y + 14); y < int(layout.y + 46); ++y)
                for (int x = int(layout.x + 20); x < int(layout.x + 380); ++x)
                {
                    const testsupport::Rgb pixel = testsupport::FramePixel(frame, x, y);
                    light += pixel.r > 200 && pixel.g > 200 ? 1 : 0;
                }
    EXPECT_GT(light, 50);
}
