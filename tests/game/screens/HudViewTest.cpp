#include "engine/gui/guiImage.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "game/app/Tarvolin.h"
#include "game/records/tvPlayer.h"
#include "game/screens/HudWindow.h"
#include "game/screens/InGameMenu.h"
#include "game/world/tvArena.h"
#include "game/world/tvWorld.h"
#include "platform/window/WindowConstants.h"
#include "tests/support/game/HeadlessGame.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

using testsupport::HeadlessGame;

namespace
{

// The game's HUD, built from its layout, over a course world of its own.
class HudViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Game.Start());
        m_Hud = dynamic_cast<HudWindow*>(m_Game.Gui().FindWindow(tvWorld::kHudWindow));
        ASSERT_NE(m_Hud, nullptr);
        m_World = std::make_unique<tvWorld>();
        m_World->SetGameMode(1);
        m_Hud->SetWorld(m_World.get());
    }
    void TearDown() override
    {
        if (m_Hud != nullptr)
            m_Hud->SetWorld(nullptr);
    }

    guiImage* Image(const char* name) const
    {
        guiGlyph* child = m_Hud->FindChild(name);
        return child != nullptr ? child->DynamicCast<guiImage>() : nullptr;
    }

    bool Key(uint8_t key, bool virtualKey)
    {
        guiMsgKey message;
        message.key = key;
        message.virtualKey = virtualKey ? 1 : 0;
        return m_Hud->OnKey(message);
    }

    HeadlessGame m_Game;
    HudWindow* m_Hud = nullptr;
    std::unique_ptr<tvWorld> m_World;
};

} // namespace

TEST_F(HudViewTest, TheCountImageShowsTheCountdownPicturesAndHidesForOtherValues)
{
    guiImage* count = Image(HudWindow::kCountImage);
    ASSERT_NE(count, nullptr);
    for (int32_t value : {3, 2, 1, -1, -2})
    {
        m_Hud->SetCountImage(value);
        EXPECT_TRUE(count->IsVisible()) << value;
        EXPECT_EQ(count->GetFilename(), HudWindow::CountPicture(value)) << value;
    }
    m_Hud->SetCountImage(7);
    EXPECT_FALSE(count->IsVisible());
    EXPECT_FALSE(m_Hud->IsCountVisible());
    // The picture stays as it was.
    EXPECT_EQ(count->GetFilename(), "ui/hud/press_any_key.tga");
}

TEST_F(HudViewTest, TheDamageBarFollowsTheDamageExceptInFreeDrivingOrWithoutAWorld)
{
    guiImage* bar = Image(HudWindow::kDamageImage);
    ASSERT_NE(bar, nullptr);
    m_Hud->SetDamage(6.0f);
    EXPECT_EQ(bar->GetFilename(), "UI/HUD/art/damage_bar_1.tga");
    m_Hud->SetDamage(250.0f);
    EXPECT_EQ(bar->GetFilename(), "UI/HUD/art/damage_bar_16.tga");

    m_World->SetGameMode(0);
    m_Hud->SetDamage(30.0f);
    EXPECT_EQ(bar->GetFilename(), "UI/HUD/art/damage_bar_16.tga");

    m_World->SetGameMode(2);
    m_Hud->SetWorld(nullptr);
    m_Hud->SetDamage(30.0f);
    EXPECT_EQ(bar->GetFilename(), "UI/HUD/art/damage_bar_16.tga");
}

TEST_F(HudViewTest, HidingTheElementsHidesTheTopBarButNotTheCountOrIcons)
{
    const char* const elements[] = {"TimeValue TextBox", "PointsValue TextBox", "TargetValue TextBox",
                                    "time icon image",   "scoreicon",           "target icon image",
                                    "damage icon image", "top_trans_image",     "Damage Image"};
    m_Hud->SetCountImage(3);
    m_Hud->HideElements(true);
    for (const char* name : elements)
    {
        ASSERT_NE(m_Hud->FindChild(name), nullptr) << name;
        EXPECT_FALSE(m_Hud->FindChild(name)->IsVisible()) << name;
    }
    EXPECT_TRUE(Image(HudWindow::kCountImage)->IsVisible());
    m_Hud->HideElements(false);
    for (const char* name : elements)
        EXPECT_TRUE(m_Hud->FindChild(name)->IsVisible()) << name;
}

TEST_F(HudViewTest, IconsAndTheSongNameStartHiddenAndTheTextsReachTheirBoxes)
{
    for (const char* name : {"Jump Image", "Turbo Image", "MegaTurbo Image", "Repair Image",
                             "PressAnyKey Image", HudWindow::kSongBox})
    {
        ASSERT_NE(m_Hud->FindChild(name), nullptr) << name;
        EXPECT_FALSE(m_Hud->FindChild(name)->IsVisible()) << name;
    }
    m_Hud->ShowPowerUpIcon(3);
    EXPECT_TRUE(m_Hud->FindChild("MegaTurbo Image")->IsVisible());
    EXPECT_FALSE(m_Hud->FindChild("Turbo Image")->IsVisible());
    m_Hud->SetTimeText("2:05");
    m_Hud->SetPointsText("40");
    m_Hud->SetTargetText("300");
    EXPECT_EQ(m_Hud->FindChild(HudWindow::kTimeBox)->DynamicCast<guiTextBox>()->GetText(), "2:05");
    EXPECT_EQ(m_Hud->FindChild(HudWindow::kPointsBox)->DynamicCast<guiTextBox>()->GetText(), "40");
    EXPECT_EQ(m_Hud->FindChild(HudWindow::kTargetBox)->DynamicCast<guiTextBox>()->GetText(), "300");
}

TEST_F(HudViewTest, ShowingTheHudHidesALeftoverCountAndResetsTheBar)
{
    m_Hud->SetCountImage(-1);
    m_Hud->SetDamage(90.0f);
    m_Hud->OnShow();
    EXPECT_FALSE(Image(HudWindow::kCountImage)->IsVisible());
    EXPECT_EQ(Image(HudWindow::kDamageImage)->GetFilename(), "UI/HUD/art/damage_bar_0.tga");
}

TEST_F(HudViewTest, AnyKeyStartsAWaitingRunAndEscapeOutsideARunOpensNothing)
{
    m_World->SetRunPhase(tvWorld::kPhaseWaiting);
    Key(platform::VK_ESCAPE, true);
    EXPECT_EQ(m_World->GetRunPhase(), tvWorld::kPhaseWaiting);
    guiWindow* menu = m_Game.Gui().FindWindow(HudWindow::kInGameMenu);
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(menu->IsVisible());
    Key('x', false);
    EXPECT_EQ(m_World->GetRunPhase(), tvWorld::kPhaseRunning);

    // Without a world no key reaches a run.
    m_Hud->SetWorld(nullptr);
    Key(platform::VK_UP, true);
    Key(platform::VK_ESCAPE, true);
    EXPECT_FALSE(menu->IsVisible());
}

TEST_F(HudViewTest, QuittingARunThroughTheMenuDestroysTheWorldUnlessTheRunEndedMeanwhile)
{
    for (const bool endedUnderTheMenu : {true, false})
    {
        SCOPED_TRACE(endedUnderTheMenu);
        tvWorld* world = m_World.release();
        m_Game.App().SetCurrentWorld(world);
        m_Hud->SetWorld(world);
        // A practice run: no countdown holds the menu back.
        world->SetGameMode(0);
        world->SetRunPhase(tvWorld::kPhaseRunning);
        if (endedUnderTheMenu)
            m_Game.Queue([world] { world->SetRunPhase(tvWorld::kPhaseSummary); });
        m_Game.Click(HudWindow::kInGameMenu, "ok_quit");
        Key(platform::VK_ESCAPE, true);
        EXPECT_EQ(m_Game.PendingSteps(), 0u);
        if (endedUnderTheMenu)
        {
            // The summary owns the run now; the quit is ignored.
            EXPECT_EQ(m_Game.App().GetCurrentWorld(), world);
            EXPECT_EQ(m_Hud->GetWorld(), world);
            m_Game.App().SetCurrentWorld(nullptr);
            m_World.reset(world);
            m_World->SetGameMode(1);
        }
        else
        {
            EXPECT_EQ(m_Game.App().GetCurrentWorld(), nullptr);
            EXPECT_EQ(m_Hud->GetWorld(), nullptr);
            EXPECT_TRUE(m_Game.Gui().FindWindow(HudWindow::kCareerWindow)->IsVisible());
        }
    }
}

TEST_F(HudViewTest, NothingShownInAHiddenHudBringsItBackButItShowsOnceTheHudIs)
{
    // What the game shows in the HUD after a run has handed over to the summary: a turbo still running, a
    // song key, a countdown value, the elements, and the arena's fade when the car drives off the course.
    tvArena arena;
    guiImage* white = arena.GetWhiteImage();
    ASSERT_EQ(white->GetParent(), m_Hud);
    const struct
    {
        const char* widget;
        std::function<void()> show;
    } shows[] = {
        {"Turbo Image", [this] { m_Hud->ShowPowerUpIcon(2); }},
        {"Repair Image", [this] { m_Hud->ShowPowerUpIcon(4); }},
        {HudWindow::kSongBox, [this] { m_Hud->ShowSongName("Loop"); }},
        {HudWindow::kCountImage, [this] { m_Hud->SetCountImage(-1); }},
        {HudWindow::kTimeBox, [this] { m_Hud->HideElements(false); }},
        {nullptr, [&arena] { arena.OnTrigger(nullptr, tvArena::kRespawnPrefix, "PRIM_Body"); }},
    };
    for (const auto& entry : shows)
    {
        const std::string label = entry.widget != nullptr ? entry.widget : "white";
        guiGlyph* widget = entry.widget != nullptr ? m_Hud->FindChild(entry.widget) : white;
        ASSERT_NE(widget, nullptr) << label;
        m_Game.Gui().ActivateWindow(m_Hud);
        m_Hud->HideElements(true);
        m_Hud->HidePowerUpIcon(2);
        m_Hud->HidePowerUpIcon(4);
        m_Hud->SetCountImage(0);
        m_Game.Gui().HideWindow(m_Hud, 1);
        ASSERT_FALSE(widget->IsVisible()) << label;

        entry.show();
        EXPECT_FALSE(m_Hud->IsVisible()) << label;
        EXPECT_TRUE(widget->IsVisible()) << label;
        // Shown by a screen, the HUD keeps what was shown while it was away, bar a leftover count.
        m_Game.Gui().SwitchWindow(m_Hud, nullptr, 1, false);
        EXPECT_TRUE(m_Hud->IsVisible()) << label;
        EXPECT_EQ(widget->IsVisible(), label != HudWindow::kCountImage) << label;
    }
}

// Escape on the real keyboard while "3", "2", "1" count down opens nothing and leaves the run counting;
// once "Go" has sounded the same key opens the in-game menu.
TEST(HudRealInputTest, EscapeOpensTheMenuOnlyOnceTheCountdownIsOver)
{
    HeadlessGame::Options options;
    options.sdlInput = true;
    HeadlessGame game(options);
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.RunScript());
    game.SetClockStep(0.0);
    Tarvolin& app = game.App();
    tvPlayer* driver = app.CreatePlayer("Runner");
    ASSERT_NE(driver, nullptr);
    app.SetCurrentPlayer(driver);
    app.SetPlayerCreated(true);
    app.SetGameMode(1);
    app.SetLevelPathCopy("Worlds\\proving_ground.xml");
    app.SetLevelPath("Worlds\\proving_ground.xml");
    app.SetVehicleName("Charger");
    app.StartCourse();
    auto* world = dynamic_cast<tvWorld*>(app.GetCurrentWorld());
    ASSERT_NE(world, nullptr);
    guiWindow* hud = game.Gui().FindWindow(tvWorld::kHudWindow);
    guiWindow* menu = game.Gui().FindWindow(InGameMenu::kWindowName);
    ASSERT_NE(hud, nullptr);
    ASSERT_NE(menu, nullptr);
    // What the preview's Begin does.
    game.Gui().HideWindow(game.Gui().FindWindow(Tarvolin::kMainWindow), 1);
    game.Gui().SwitchWindow(hud, game.Gui().FindWindow("Course Preview"), 1, false);
    world->StartRound();

    bool menuDuringCountdown = false;
    game.TapKey(SDL_SCANCODE_ESCAPE);
    game.Queue([&] { menuDuringCountdown = menu->IsVisible(); });
    ASSERT_TRUE(game.RunScript(3));
    EXPECT_FALSE(menuDuringCountdown);
    EXPECT_FALSE(menu->IsVisible());
    EXPECT_TRUE(world->IsCountingDown());
    EXPECT_EQ(world->GetRunPhase(), tvWorld::kPhaseRunning);

    for (int frame = 0; frame < 100 && world->IsCountingDown(); ++frame)
    {
        game.Clock().AdvanceSeconds(0.25);
        ASSERT_TRUE(game.Frame());
    }
    ASSERT_TRUE(world->HasPlayedCue(tvWorld::kGo));

    bool menuAfterGo = false;
    game.TapKey(SDL_SCANCODE_ESCAPE);
    game.Queue([&] { menuAfterGo = menu->IsVisible(); });
    game.Click(InGameMenu::kWindowName, InGameMenu::kResumeName);
    ASSERT_TRUE(game.RunScript(3));
    EXPECT_TRUE(menuAfterGo);
    EXPECT_FALSE(menu->IsVisible());
    EXPECT_EQ(world->GetRunPhase(), tvWorld::kPhaseRunning);
}
