#include "engine/core/Wizard.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiWindow.h"
#include "game/app/SoundCategory.h"
#include "game/app/Tarvolin.h"
#include "game/gear/LaunchPlate.h"
#include "game/gear/PowerUp.h"
#include "game/records/tvPlayer.h"
#include "game/screens/CourseSummary.h"
#include "game/screens/HudWindow.h"
#include "game/vehicles/tvVehicle.h"
#include "game/world/tvWorld.h"
#include "game/world/tvWorldSounds.h"
#include "tests/support/FrameReading.h"
#include "tests/support/TempDir.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/ScriptedInput.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using testsupport::FramePixel;
using testsupport::HeadlessGame;
using testsupport::Rgb;

namespace
{

constexpr const char* kCourse = "Worlds\\proving_ground.xml";
constexpr const char* kRunDriver = "Runner";
constexpr double kRunFrame = 1.0 / 30.0;

HeadlessGame::Options Options(const std::string& install, const gametest::Script& keyboard)
{
    HeadlessGame::Options options;
    options.realGraphics = true;
    options.install = install;
    options.devices = {gametest::Mouse(), keyboard};
    return options;
}

// The throttle alone held from the next poll on (the keyboard's first key, W).
void HoldThrottle(const gametest::Script& keyboard, bool held)
{
    std::vector<int32_t> reading(9, 0);
    reading[0] = held ? 1 : 0;
    keyboard->PushReading(reading);
}

// Whether a sound of the world-sound category plays.
bool Playing(Tarvolin& app, const std::string& category)
{
    const tvWorldSounds& sounds = app.GetWorldSounds();
    for (size_t i = 0; i < sounds.GetCategoryCount(); ++i)
        if (sounds.GetCategory(i)->GetName() == category)
            for (const kaSoundHandle& sound : sounds.GetCategory(i)->GetSounds())
                if (g_pWizard && g_pWizard->IsSoundPlaying(sound))
                    return true;
    return false;
}

// Distinct colours on a coarse grid of the frame.
size_t Colours(const platform::FrameCapture& frame)
{
    std::set<uint32_t> colours;
    for (uint32_t y = 10; y < frame.Height; y += 40)
        for (uint32_t x = 10; x < frame.Width; x += 40)
        {
            const Rgb p = FramePixel(frame, static_cast<int>(x), static_cast<int>(y));
            colours.insert((uint32_t(p.r) << 16) | (uint32_t(p.g) << 8) | p.b);
        }
    return colours.size();
}

// Pixels of the grid that differ by more than a little between two frames.
int Changed(const platform::FrameCapture& a, const platform::FrameCapture& b)
{
    int changed = 0;
    for (uint32_t y = 10; y < a.Height; y += 40)
        for (uint32_t x = 10; x < a.Width; x += 40)
            if (!testsupport::Near(FramePixel(a, int(x), int(y)), FramePixel(b, int(x), int(y))))
                ++changed;
    return changed;
}

} // namespace

// From start-up to a high score that outlives the application: a driver's whole run on the proving ground,
// drawn through OpenGL, with the throttle held from the countdown to the time limit.
TEST(FirstFullRunGLTest, ARunFromStartUpToAHighScoreThatSurvivesARestart)
{
    testsupport::TempDir install;
    HeadlessGame::CopyContent(install.Path());
    int32_t points = 0;
    {
        gametest::Script keyboard = gametest::Keyboard();
        HeadlessGame game(Options(install.Path(), keyboard));
        ASSERT_TRUE(game.Start());
        Tarvolin& app = game.App();
        EXPECT_EQ(app.GetSplashStage(), Tarvolin::kSplashDone);
        game.SetClockStep(0.0);
        HoldThrottle(keyboard, false);

        // What the profile, mode, course and vehicle screens do.
        tvPlayer* driver = app.CreatePlayer(kRunDriver);
        ASSERT_NE(driver, nullptr);
        app.SetCurrentPlayer(driver);
        app.SetPlayerCreated(true);
        app.SetGameMode(1);
        app.SetLevelPathCopy(kCourse);
        app.SetLevelPath(kCourse);
        app.SetVehicleName("Charger");
        app.StartCourse();
        auto* world = dynamic_cast<tvWorld*>(app.GetCurrentWorld());
        ASSERT_NE(world, nullptr);
        tvVehicle* car = app.GetPlayerVehicle();
        ASSERT_NE(car, nullptr);
        auto* plate = dynamic_cast<LaunchPlate*>(world->FindEntityByName("LaunchPlate"));
        auto* token = dynamic_cast<PowerUp*>(world->FindEntityByName("PointsToken"));
        ASSERT_NE(plate, nullptr);
        ASSERT_NE(token, nullptr);
        auto* hud = dynamic_cast<HudWindow*>(game.Gui().FindWindow(tvWorld::kHudWindow));
        ASSERT_NE(hud, nullptr);

        // The preview's begin button.
        game.Gui().HideWindow(game.Gui().FindWindow(Tarvolin::kMainWindow), 1);
        game.Gui().SwitchWindow(hud, game.Gui().FindWindow("Course Preview"), 1, false);
        world->StartRound();
        HoldThrottle(keyboard, true);

        const float restY = car->GetPosition().y;
        int frame = 0;
        int readyFrame = -1, goFrame = -1, plateFrame = -1, tokenFrame = -1;
        bool launchHeard = false;
        float highest = restY;
        std::vector<platform::FrameCapture> captures;
        // Every points token the car takes, the one on the straight and the returning ones further on.
        std::vector<std::pair<PowerUp*, bool>> pointTokens;
        for (kaEntity* entity : world->GetEntities())
            if (auto* found = dynamic_cast<PowerUp*>(entity);
                found && found->GetPowerupType() == PowerUp::kPoints)
                pointTokens.emplace_back(found, found->IsCollidable());
        int32_t taken = 0;
        while (world->GetRunPhase() != tvWorld::kPhaseSummary && frame < 40 * 30)
        {
            game.Clock().AdvanceSeconds(kRunFrame);
            ASSERT_TRUE(game.Frame());
            ++frame;
            for (auto& [pointToken, collidable] : pointTokens)
            {
                taken += collidable && !pointToken->IsCollidable() ? pointToken->GetValue() : 0;
                collidable = pointToken->IsCollidable();
            }
            if (readyFrame < 0 && world->HasPlayedCue(tvWorld::kGetReady))
                readyFrame = frame;
            if (goFrame < 0 && world->HasPlayedCue(tvWorld::kGo))
                goFrame = frame;
            if (plateFrame < 0 && plate->GetCooldown() > 0.0f)
            {
                plateFrame = frame;
                launchHeard = Playing(app, tvVehicle::kLaunchSound);
            }
            if (plateFrame >= 0 && frame < plateFrame + 30)
                highest = std::max(highest, car->GetPosition().y);
            if (tokenFrame < 0 && !token->IsCollidable())
                tokenFrame = frame;
            // Two frames a little apart while the car drives off.
            if (goFrame >= 0 && (frame == goFrame + 10 || frame == goFrame + 20))
                captures.push_back(game.Capture());
        }
        ASSERT_EQ(world->GetRunPhase(), tvWorld::kPhaseSummary);
        EXPECT_GE(readyFrame, 1);
        EXPECT_GT(goFrame, readyFrame);
        EXPECT_GT(plateFrame, goFrame);
        EXPECT_GT(tokenFrame, goFrame);
        EXPECT_TRUE(launchHeard);
        // The plate threw the car up, a hop and not a flight.
        EXPECT_GT(highest, restY + 0.5f);
        EXPECT_LT(highest, restY + 10.0f);
        EXPECT_FALSE(token->IsVisible());
        EXPECT_GE(taken, token->GetValue());
        EXPECT_EQ(hud->GetPointsText(), std::to_string(taken));
        // The time limit, not anything else, ended it.
        EXPECT_GE(world->GetRunClock().GetElapsed(), world->GetTimeLimit());

        // The course was drawn, and moved as the car drove.
        ASSERT_EQ(captures.size(), 2u);
        for (const platform::FrameCapture& capture : captures)
        {
            ASSERT_EQ(capture.Width, 800u);
            EXPECT_GT(Colours(capture), 8u);
        }
        EXPECT_GT(Changed(captures[0], captures[1]), 10);

        auto* summary = dynamic_cast<CourseSummary*>(game.Gui().FindWindow(tvWorld::kSummaryWindow));
        ASSERT_NE(summary, nullptr);
        EXPECT_TRUE(summary->IsPassed());
        points = driver->GetTotalPointsEarned();
        EXPECT_EQ(points, taken);
        EXPECT_EQ(driver->GetHighScore(kCourse), points);
        EXPECT_EQ(app.GetHighScore(kCourse), points);

        // The summary's continue, then quitting.
        app.DeleteCourseWorld();
        EXPECT_EQ(app.GetCurrentWorld(), nullptr);
        EXPECT_TRUE(app.Shutdown());
    }

    // A new start on the same install finds the driver and the course's high score.
    gametest::Script keyboard = gametest::Keyboard();
    HeadlessGame again(Options(install.Path(), keyboard));
    ASSERT_TRUE(again.Start());
    Tarvolin& app = again.App();
    tvPlayer* found = nullptr;
    for (int32_t i = 0; i < app.GetPlayerCount(); ++i)
        if (app.GetPlayer(i)->GetPlayerName() == kRunDriver)
            found = app.GetPlayer(i);
    ASSERT_NE(found, nullptr);
    EXPECT_GT(points, 0);
    EXPECT_EQ(found->GetTotalPointsEarned(), points);
    EXPECT_EQ(found->GetHighScore(kCourse), points);
    EXPECT_EQ(app.GetHighScore(kCourse), points);
    EXPECT_EQ(app.GetHighScorePlayer(kCourse), kRunDriver);
}
