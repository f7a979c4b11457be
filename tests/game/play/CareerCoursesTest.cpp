#include "engine/gui/guiButton.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiWindow.h"
#include "engine/scene/kaSpawnPoint.h"
#include "game/app/Tarvolin.h"
#include "game/records/ShopItem.h"
#include "game/records/tvPlayer.h"
#include "game/screens/CSmenu.h"
#include "game/screens/CareerWindow.h"
#include "game/screens/CoursePreview.h"
#include "game/screens/CourseSelectWindow.h"
#include "game/screens/CourseSummary.h"
#include "game/screens/InGameMenu.h"
#include "game/screens/MainWindow.h"
#include "game/vehicles/tvVehicle.h"
#include "game/world/SpawnPlacement.h"
#include "game/world/WorldInfo.h"
#include "game/world/tvWorld.h"
#include "tests/support/game/ExhibitionStart.h"
#include "tests/support/game/HeadlessGame.h"
#include "tools/worldgen/SampleWorld.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using testsupport::HeadlessGame;

namespace
{

constexpr double kCareerFrame = 1.0 / 30.0;
// Frames after a click for the screens' animated switch (0.4 s at the script's 0.25 s a frame) to end.
constexpr int kRetrySettleFrames = 6;

// Keys held for a while, counted from "Go"; an empty set lets go of everything.
struct Hold
{
    std::vector<int> keys;
    double seconds;
};

struct Level
{
    const char* path;
    std::vector<Hold> drive;
};

std::string CareerBoxText(HeadlessGame& game, const std::string& window, const std::string& name)
{
    guiGlyph* glyph = game.FindWidget(window, name);
    auto* box = glyph != nullptr ? glyph->DynamicCast<guiTextBox>() : nullptr;
    return box != nullptr ? box->GetText() : "<none>";
}

bool Shown(HeadlessGame& game, const char* window)
{
    guiWindow* found = game.Gui().FindWindow(window);
    return found != nullptr && found->IsVisible();
}

// Game frames on the test's clock until the world leaves the run or the limit passes.
bool RunFrames(HeadlessGame& game, tvWorld& world, int frames)
{
    for (int frame = 0; frame < frames && world.GetRunPhase() == tvWorld::kPhaseRunning; ++frame)
    {
        game.Clock().AdvanceSeconds(kCareerFrame);
        if (!game.Frame())
            return false;
    }
    return true;
}

// The clock run on in quarter seconds until the course ends; its summary, null when it did not show.
CourseSummary* RunToTheSummary(HeadlessGame& game, tvWorld& world)
{
    game.Clock().SetStep(0.0);
    for (int frame = 0; frame < 1000 && world.GetRunPhase() == tvWorld::kPhaseRunning; ++frame)
    {
        game.Clock().AdvanceSeconds(0.25);
        if (!game.Frame())
            return nullptr;
    }
    if (world.GetRunPhase() != tvWorld::kPhaseSummary)
        return nullptr;
    return dynamic_cast<CourseSummary*>(game.Gui().FindWindow(tvWorld::kSummaryWindow));
}

CareerWindow* Hub(HeadlessGame& game)
{
    return game.Gui().FindWindow(CareerWindow::kWindowName)->DynamicCast<CareerWindow>();
}

std::string HubCell(HeadlessGame& game, int32_t row, int32_t column)
{
    guiGlyph* cell = Hub(game)->GetGrid()->GetCell(row, column);
    auto* box = cell != nullptr ? cell->DynamicCast<guiTextBox>() : nullptr;
    return box != nullptr ? box->GetText() : "<none>";
}

// The hub's row of the course on that path, or -1.
int32_t HubRow(HeadlessGame& game, const std::string& path)
{
    Tarvolin& app = game.App();
    for (int32_t i = 0; i < app.GetWorldCount(); ++i)
        if (app.GetWorldInfo(i)->GetFilePath() == path)
            for (int32_t row = 0; row < int32_t(Hub(game)->GetGrid()->GetRowCount()); ++row)
                if (HubCell(game, row, CareerWindow::kNameColumn) == app.GetWorldInfo(i)->GetName())
                    return row;
    return -1;
}

bool HubLockShown(HeadlessGame& game, int32_t row)
{
    guiGlyph* mark = Hub(game)->GetGrid()->GetCell(row, CareerWindow::kLockColumn);
    return mark != nullptr && mark->DynamicCast<guiImage>() != nullptr;
}

guiButton* HubRetry(HeadlessGame& game, int32_t row)
{
    guiGlyph* cell = Hub(game)->GetGrid()->GetCell(row, CareerWindow::kRetryColumn);
    guiGlyph* button = cell != nullptr ? cell->FindChild("Retry") : nullptr;
    return button != nullptr ? button->DynamicCast<guiButton>() : nullptr;
}

// Frames on the test's clock from "begin" on the preview until "Go".
void CountDownToGo(HeadlessGame& game, tvWorld& world)
{
    game.SetClockStep(0.0);
    game.Click(CoursePreview::kWindowName, CoursePreview::kBeginName);
    for (int frame = 0; frame < 10 && game.PendingSteps() > 0; ++frame)
    {
        game.Clock().AdvanceSeconds(kCareerFrame);
        ASSERT_TRUE(game.Frame());
    }
    ASSERT_EQ(world.GetRunPhase(), tvWorld::kPhaseRunning);
    for (int frame = 0; frame < 150 && !world.HasPlayedCue(tvWorld::kGo); ++frame)
        ASSERT_TRUE(RunFrames(game, world, 1));
    ASSERT_TRUE(world.HasPlayedCue(tvWorld::kGo));
}

} // namespace

// A new driver's career, by clicks and keys as SDL delivers them: each level from the hub's next-level
// button, the vehicle screen and the preview, driven with a short key sequence, ends with reputation
// earned and the next level opened.
TEST(CareerCoursesTest, EachCareerLevelDrivenWithKeysEarnsReputation)
{
    const Level levels[] = {
        // Coasting over the launch plate keeps the car on its wheels; a lap ends in the respawn trigger.
        {"Worlds\\proving_ground.xml", {{{SDL_SCANCODE_W}, 1.2}, {{}, 1.5}, {{SDL_SCANCODE_W}, 5.5}}},
        {"Worlds\\token_arena.xml", {{{SDL_SCANCODE_W}, 3.0}}},
        // Straight down the run's tokens.
        {"Worlds\\gear_run.xml", {{{SDL_SCANCODE_W}, 3.0}}},
    };
    HeadlessGame::Options options;
    options.sdlInput = true;
    HeadlessGame game(options);
    ASSERT_TRUE(game.Start());
    Tarvolin& app = game.App();
    ASSERT_EQ(app.GetCareerLevelCount(), int32_t(std::size(levels)));
    tvPlayer* driver = app.CreatePlayer("Rookie");
    game.Gui().FindWindow(MainWindow::kWindowName)->OnShow();
    game.Click(MainWindow::kWindowName, "Login Button");
    ASSERT_TRUE(game.RunScript(20));
    ASSERT_EQ(app.GetCurrentPlayer(), driver);

    int32_t unspent = 0;
    for (int32_t index = 0; index < int32_t(std::size(levels)); ++index)
    {
        const Level& level = levels[index];
        SCOPED_TRACE(level.path);
        ASSERT_EQ(app.GetCareerLevel(index), level.path);
        ASSERT_TRUE(Shown(game, CareerWindow::kWindowName));
        EXPECT_EQ(driver->GetCareerLevel(), index);
        game.SetClockStep(0.25);
        game.Click(CareerWindow::kWindowName, CareerWindow::kNextLevelName);
        ASSERT_TRUE(game.RunScript(20));
        ASSERT_TRUE(Shown(game, CSmenu::kWindowName));
        EXPECT_EQ(CareerBoxText(game, CSmenu::kWindowName, CSmenu::kNameBox), "Charger");
        game.Click(CSmenu::kWindowName, CSmenu::kContinueName);
        ASSERT_TRUE(game.RunScript(20));
        ASSERT_TRUE(Shown(game, CoursePreview::kWindowName));
        auto* world = dynamic_cast<tvWorld*>(app.GetCurrentWorld());
        ASSERT_NE(world, nullptr);
        EXPECT_EQ(app.GetLevelPath(), level.path);
        EXPECT_EQ(world->GetGameMode(), 2);

        // From "begin" on, a frame's time a frame.
        game.SetClockStep(0.0);
        game.Click(CoursePreview::kWindowName, CoursePreview::kBeginName);
        for (int frame = 0; frame < 10 && game.PendingSteps() > 0; ++frame)
        {
            game.Clock().AdvanceSeconds(kCareerFrame);
            ASSERT_TRUE(game.Frame());
        }
        ASSERT_EQ(world->GetRunPhase(), tvWorld::kPhaseRunning);
        for (int frame = 0; frame < 150 && !world->HasPlayedCue(tvWorld::kGo); ++frame)
            ASSERT_TRUE(RunFrames(game, *world, 1));
        ASSERT_TRUE(world->HasPlayedCue(tvWorld::kGo));

        std::vector<int> held;
        for (const Hold& hold : level.drive)
        {
            for (int key : held)
                game.KeyUp(key);
            for (int key : hold.keys)
                game.KeyDown(key);
            held = hold.keys;
            ASSERT_TRUE(RunFrames(game, *world, int(hold.seconds / kCareerFrame + 0.5)));
        }
        for (int key : held)
            game.KeyUp(key);
        ASSERT_TRUE(RunFrames(game, *world, 2));
        const int32_t points = driver->GetRunPoints();
        EXPECT_GT(points, world->GetScoreLimit()) << "points when the keys were let go";

        // The clock runs out with the car parked: coarse frames.
        game.Clock().SetStep(0.0);
        for (int frame = 0; frame < 1000 && world->GetRunPhase() == tvWorld::kPhaseRunning; ++frame)
        {
            game.Clock().AdvanceSeconds(0.25);
            ASSERT_TRUE(game.Frame());
        }
        ASSERT_EQ(world->GetRunPhase(), tvWorld::kPhaseSummary);
        EXPECT_GE(world->GetRunClock().GetElapsed(), world->GetTimeLimit());
        auto* summary = dynamic_cast<CourseSummary*>(game.Gui().FindWindow(tvWorld::kSummaryWindow));
        ASSERT_NE(summary, nullptr);
        EXPECT_TRUE(summary->IsPassed());
        EXPECT_TRUE(summary->IsLevelUp());
        EXPECT_GT(summary->GetReputation(), 0);
        EXPECT_GE(driver->GetRunPoints(), points);
        EXPECT_EQ(driver->GetUnspentRepPoints(), unspent + summary->GetReputation());
        unspent = driver->GetUnspentRepPoints();
        EXPECT_EQ(driver->GetCareerLevel(), index + 1);

        game.SetClockStep(0.25);
        game.Click(tvWorld::kSummaryWindow, "continue_b");
        ASSERT_TRUE(game.RunScript(20));
        EXPECT_EQ(app.GetCurrentWorld(), nullptr);
    }
    EXPECT_GT(driver->GetTotalRepPoints(), 0);
}

// Every course the game lists starts the car on the ground: two seconds after "Go", with nothing held, it
// rests where the spawn point put it, neither falling nor rolling away.
TEST(CareerCoursesTest, EveryListedCourseStartsTheCarAtRestOnTheGround)
{
    HeadlessGame game;
    ASSERT_TRUE(game.Start());
    game.SetClockStep(0.0);
    Tarvolin& app = game.App();
    app.SetCurrentPlayer(app.CreatePlayer("Starter"));
    ASSERT_GT(app.GetWorldCount(), 0);
    for (int32_t index = 0; index < app.GetWorldCount(); ++index)
    {
        const WorldInfo* course = app.GetWorldInfo(index);
        ASSERT_NE(course, nullptr);
        SCOPED_TRACE(course->GetFilePath());
        tvWorld* world = testsupport::StartExhibition(app, *course, "Charger");
        ASSERT_NE(world, nullptr);
        auto* spawn = dynamic_cast<kaSpawnPoint*>(world->FindEntityByName(kaSpawnPoint::kName));
        ASSERT_NE(spawn, nullptr) << "no spawn point";
        tvVehicle* car = app.GetPlayerVehicle();
        ASSERT_NE(car, nullptr);
        world->StartRound();
        for (int frame = 0; frame < 150 && !world->HasPlayedCue(tvWorld::kGo); ++frame)
            ASSERT_TRUE(RunFrames(game, *world, 1));
        ASSERT_TRUE(world->HasPlayedCue(tvWorld::kGo));
        ASSERT_TRUE(RunFrames(game, *world, int(2.0 / kCareerFrame)));
        const platform::Vector3 settled = car->GetPosition();
        ASSERT_TRUE(RunFrames(game, *world, 15));
        const platform::Vector3 later = car->GetPosition();
        // Its wheels on the spawn point's height, give or take the suspension's give.
        EXPECT_NEAR(SpawnPlacement::LowestPoint(*car, -1000.0f), spawn->GetSpawnPosition().y, 0.3f);
        EXPECT_LT(platform::Vec3Length(later - settled), 0.1f) << "still moving";
        app.DeleteCourseWorld();
    }
}

// The career and the shop agree: every level the hub's next-level button sends a driver to is shown free
// in the hub and in course select, is no shop item, and hides none of its gear; the stunt yard is the
// shop's, shown locked everywhere until it is bought. By clicks, as a driver at each career level.
TEST(CareerCoursesTest, NoCareerLevelIsShownLockedAndTheShopsCourseIsLockedEverywhere)
{
    HeadlessGame::Options options;
    options.sdlInput = true;
    HeadlessGame game(options);
    ASSERT_TRUE(game.Start());
    Tarvolin& app = game.App();
    tvPlayer* driver = app.CreatePlayer("Climber");
    game.Gui().FindWindow(MainWindow::kWindowName)->OnShow();
    game.Click(MainWindow::kWindowName, "Login Button");
    ASSERT_TRUE(game.RunScript(20));
    ASSERT_TRUE(Shown(game, CareerWindow::kWindowName));
    const std::string yard = "Worlds\\stunt_yard.xml";
    EXPECT_FALSE(app.IsCareerLevel(yard));
    bool yardSold = false;
    for (const auto& item : app.GetShopItems())
        yardSold = yardSold || item->GetLockedEntity() == "StuntYard";
    EXPECT_TRUE(yardSold);

    ASSERT_GT(app.GetCareerLevelCount(), 0);
    for (int32_t level = 0; level < app.GetCareerLevelCount(); ++level)
    {
        const std::string path = app.GetCareerLevel(level);
        SCOPED_TRACE(path);
        driver->SetCareerLevel(level);
        // Out to vehicle select and back, so that the hub is shown again for this level.
        game.Click(CareerWindow::kWindowName, CareerWindow::kPracticeName);
        ASSERT_TRUE(game.RunScript(20));
        game.Click(CSmenu::kWindowName, CSmenu::kContinueName);
        ASSERT_TRUE(game.RunScript(20));
        ASSERT_TRUE(Shown(game, CourseSelectWindow::kWindowName));
        auto* select =
            game.Gui().FindWindow(CourseSelectWindow::kWindowName)->DynamicCast<CourseSelectWindow>();
        for (int32_t i = 0; i < app.GetWorldCount(); ++i)
        {
            const WorldInfo* course = app.GetWorldInfo(i);
            guiGlyph* cell = select->GetGrid()->GetCell(i, 0);
            auto* name = cell != nullptr ? cell->DynamicCast<guiTextBox>() : nullptr;
            ASSERT_NE(name, nullptr);
            if (course->GetFilePath() == path)
            {
                EXPECT_EQ(name->GetText(), course->GetName()) << "course select";
            }
            if (course->GetFilePath() == yard)
            {
                EXPECT_EQ(name->GetText(), course->GetName() + " <locked>") << "course select";
            }
        }
        game.Click(CourseSelectWindow::kWindowName, CourseSelectWindow::kBackName);
        ASSERT_TRUE(game.RunScript(20));
        game.Click(CSmenu::kWindowName, CSmenu::kBackName);
        ASSERT_TRUE(game.RunScript(20));
        ASSERT_TRUE(Shown(game, CareerWindow::kWindowName));

        const int32_t row = HubRow(game, path);
        ASSERT_GE(row, 0);
        EXPECT_FALSE(HubLockShown(game, row)) << "hub";
        const int32_t yardRow = HubRow(game, yard);
        ASSERT_GE(yardRow, 0);
        EXPECT_TRUE(HubLockShown(game, yardRow)) << "hub";

        game.Click(CareerWindow::kWindowName, CareerWindow::kNextLevelName);
        ASSERT_TRUE(game.RunScript(20));
        game.Click(CSmenu::kWindowName, CSmenu::kContinueName);
        ASSERT_TRUE(game.RunScript(20));
        ASSERT_TRUE(Shown(game, CoursePreview::kWindowName));
        auto* world = dynamic_cast<tvWorld*>(app.GetCurrentWorld());
        ASSERT_NE(world, nullptr);
        EXPECT_EQ(app.GetLevelPath(), path);
        int32_t gear = 0;
        for (kaEntity* entity : world->GetEntities())
        {
            EXPECT_FALSE(world->IsLocked(*entity)) << entity->GetName();
            gear += entity->GetInitUniqueID().empty() ? 0 : 1;
        }
        EXPECT_GT(gear, 0);
        game.Click(CoursePreview::kWindowName, CoursePreview::kBackName);
        ASSERT_TRUE(game.RunScript(20));
        EXPECT_EQ(app.GetCurrentWorld(), nullptr);
        game.Click(CSmenu::kWindowName, CSmenu::kBackName);
        ASSERT_TRUE(game.RunScript(20));
        ASSERT_TRUE(Shown(game, CareerWindow::kWindowName));
    }
}

// A course the driver has scored on is driven again from its row's retry button, by clicks and keys: the
// run is a career run of that course, paying reputation only on what beats the best, and the career level
// stays where it was. Rows never scored on, and the shop's locked yard even with an old score, offer no
// retry.
TEST(CareerCoursesTest, RetryFromTheHubDrivesAScoredCourseAgainAsACareerRun)
{
    const std::string arena = "Worlds\\token_arena.xml";
    const std::string yard = "Worlds\\stunt_yard.xml";
    constexpr int32_t kBest = 160;
    HeadlessGame::Options options;
    options.sdlInput = true;
    HeadlessGame game(options);
    ASSERT_TRUE(game.Start());
    Tarvolin& app = game.App();
    tvPlayer* driver = app.CreatePlayer("Veteran");
    driver->SetCareerLevel(2);
    driver->SetHighScore(arena, kBest);
    driver->SetHighScore(yard, 90);
    driver->SetCourseRuns(5);
    game.Gui().FindWindow(MainWindow::kWindowName)->OnShow();
    game.Click(MainWindow::kWindowName, "Login Button");
    ASSERT_TRUE(game.RunScript(20));
    ASSERT_TRUE(Shown(game, CareerWindow::kWindowName));

    const struct
    {
        std::string path;
        bool retry;
    } rows[] = {{arena, true}, {yard, false}, {app.GetCareerLevel(0), false}, {app.GetCareerLevel(2), false}};
    for (const auto& expected : rows)
    {
        const int32_t row = HubRow(game, expected.path);
        ASSERT_GE(row, 0) << expected.path;
        guiButton* button = HubRetry(game, row);
        ASSERT_NE(button, nullptr) << expected.path;
        EXPECT_EQ(button->GetState() != guiButton::kDisabled, expected.retry) << expected.path;
    }

    const int32_t row = HubRow(game, arena);
    game.ClickWidget([&game, row] { return HubRetry(game, row); });
    ASSERT_TRUE(game.RunScript(20));
    ASSERT_TRUE(Shown(game, CSmenu::kWindowName));
    EXPECT_EQ(app.GetGameMode(), 2);
    EXPECT_EQ(app.GetLevelPath(), arena);
    game.Click(CSmenu::kWindowName, CSmenu::kContinueName);
    ASSERT_TRUE(game.RunScript(20));
    ASSERT_TRUE(Shown(game, CoursePreview::kWindowName));
    auto* world = dynamic_cast<tvWorld*>(app.GetCurrentWorld());
    ASSERT_NE(world, nullptr);
    EXPECT_EQ(world->GetGameMode(), 2);
    ASSERT_NO_FATAL_FAILURE(CountDownToGo(game, *world));

    game.KeyDown(SDL_SCANCODE_W);
    ASSERT_TRUE(RunFrames(game, *world, int(3.0 / kCareerFrame)));
    game.KeyUp(SDL_SCANCODE_W);
    ASSERT_TRUE(RunFrames(game, *world, 2));
    const int32_t points = driver->GetRunPoints();
    ASSERT_GT(points, kBest);
    CourseSummary* summary = RunToTheSummary(game, *world);
    ASSERT_NE(summary, nullptr);
    EXPECT_TRUE(summary->IsPassed());
    EXPECT_FALSE(summary->IsLevelUp());
    const auto reputation = int32_t(std::trunc(float(points - kBest) * world->GetRepPointFactor()));
    EXPECT_EQ(summary->GetReputation(), reputation);
    EXPECT_EQ(driver->GetUnspentRepPoints(), reputation);
    EXPECT_EQ(driver->GetCareerLevel(), 2);
    EXPECT_EQ(driver->GetCourseRuns(), 6);
    EXPECT_EQ(driver->GetHighScore(arena), points);

    game.SetClockStep(0.25);
    game.Click(tvWorld::kSummaryWindow, "continue_b");
    ASSERT_TRUE(game.RunScript(20));
    ASSERT_TRUE(Shown(game, CareerWindow::kWindowName));
    EXPECT_EQ(HubCell(game, row, CareerWindow::kScoreColumn),
              std::to_string(points) + " / " + std::to_string(SampleWorld::kTokenArenaScoreLimit));
}

// Retry on a course outside the career (one a player made, written into the install's Worlds, and the
// stunt yard once bought), by clicks and keys: vehicle select leads straight to that course's preview, back
// from the preview returns to vehicle select, and the run drives that course. It is an exhibition run:
// no reputation and the career level stays, while the course's best score is recorded.
TEST(CareerCoursesTest, RetryOnACourseOutsideTheCareerStartsThatCourseThroughItsPreview)
{
    const std::string quarry = "Worlds\\quarry_leap.xml";
    const std::string yard = "Worlds\\stunt_yard.xml";
    const struct
    {
        const char* what;
        std::string path;
        int32_t best;
        // Back from the preview first, then Continue again.
        bool backFirst;
        // Driven until the clock runs out; otherwise left through the in-game menu.
        bool toTheEnd;
    } rows[] = {
        {"a player's course", quarry, 40, true, true},
        {"the bought stunt yard", yard, 90, false, false},
    };
    HeadlessGame::Options options;
    options.sdlInput = true;
    HeadlessGame game(options);
    {
        // The token arena under another name, as a player's save of it would be.
        std::ifstream arena(game.InstallPath() + "/Worlds/token_arena.xml", std::ios::binary);
        std::string course((std::istreambuf_iterator<char>(arena)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(course.empty());
        for (const char* key : {"name", "levelName"})
        {
            const std::string from = std::string("<") + key + ">Token Arena<";
            const size_t at = course.find(from);
            ASSERT_NE(at, std::string::npos) << key;
            course.replace(at, from.size(), std::string("<") + key + ">Quarry Leap<");
        }
        std::ofstream(game.InstallPath() + "/Worlds/quarry_leap.xml", std::ios::binary) << course;
    }
    ASSERT_TRUE(game.Start());
    Tarvolin& app = game.App();
    EXPECT_FALSE(app.IsCareerLevel(quarry));
    EXPECT_FALSE(app.IsCareerLevel(yard));
    tvPlayer* driver = app.CreatePlayer("Builder");
    driver->SetCareerLevel(1);
    driver->Unlock("StuntYard");
    for (const auto& row : rows)
        driver->SetHighScore(row.path, row.best);
    game.Gui().FindWindow(MainWindow::kWindowName)->OnShow();
    game.Click(MainWindow::kWindowName, "Login Button");
    ASSERT_TRUE(game.RunScript(kRetrySettleFrames));
    ASSERT_TRUE(Shown(game, CareerWindow::kWindowName));

    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        std::string name;
        for (int32_t i = 0; i < app.GetWorldCount(); ++i)
            name = app.GetWorldInfo(i)->GetFilePath() == row.path ? app.GetWorldInfo(i)->GetName() : name;
        ASSERT_FALSE(name.empty());
        const int32_t at = HubRow(game, row.path);
        ASSERT_GE(at, 0);
        ASSERT_NE(HubRetry(game, at), nullptr);
        ASSERT_NE(HubRetry(game, at)->GetState(), guiButton::kDisabled);

        game.SetClockStep(0.25);
        game.ClickWidget([&game, at] { return HubRetry(game, at); });
        ASSERT_TRUE(game.RunScript(kRetrySettleFrames));
        ASSERT_TRUE(Shown(game, CSmenu::kWindowName));
        EXPECT_EQ(app.GetGameMode(), 1);
        EXPECT_EQ(app.GetLevelPath(), row.path);
        for (int pass = row.backFirst ? 0 : 1; pass < 2; ++pass)
        {
            game.Click(CSmenu::kWindowName, CSmenu::kContinueName);
            ASSERT_TRUE(game.RunScript(kRetrySettleFrames));
            EXPECT_FALSE(Shown(game, CourseSelectWindow::kWindowName));
            ASSERT_TRUE(Shown(game, CoursePreview::kWindowName));
            auto* world = dynamic_cast<tvWorld*>(app.GetCurrentWorld());
            ASSERT_NE(world, nullptr);
            EXPECT_EQ(world->GetName(), name);
            EXPECT_EQ(CareerBoxText(game, CoursePreview::kWindowName, CoursePreview::kNameBox), name);
            EXPECT_EQ(app.GetLevelPath(), row.path);
            if (pass == 0)
            {
                // Back where the player came from; the loaded course is gone.
                game.Click(CoursePreview::kWindowName, CoursePreview::kBackName);
                ASSERT_TRUE(game.RunScript(kRetrySettleFrames));
                EXPECT_EQ(app.GetCurrentWorld(), nullptr);
                EXPECT_FALSE(Shown(game, CourseSelectWindow::kWindowName));
                ASSERT_TRUE(Shown(game, CSmenu::kWindowName));
            }
        }
        auto* world = dynamic_cast<tvWorld*>(app.GetCurrentWorld());
        ASSERT_NE(world, nullptr);
        ASSERT_NO_FATAL_FAILURE(CountDownToGo(game, *world));
        EXPECT_EQ(world->GetGameMode(), 1);
        tvVehicle* car = app.GetPlayerVehicle();
        ASSERT_NE(car, nullptr);
        const platform::Vector3 start = car->GetPosition();
        game.KeyDown(SDL_SCANCODE_W);
        ASSERT_TRUE(RunFrames(game, *world, int(1.5 / kCareerFrame)));
        game.KeyUp(SDL_SCANCODE_W);
        ASSERT_TRUE(RunFrames(game, *world, 2));
        const platform::Vector3 moved = car->GetPosition();
        EXPECT_GT(std::hypot(moved.x - start.x, moved.z - start.z), 3.0f) << "the car drove on the course";
        EXPECT_EQ(app.GetCurrentWorld(), world);

        if (row.toTheEnd)
        {
            const int32_t points = driver->GetRunPoints();
            CourseSummary* summary = RunToTheSummary(game, *world);
            ASSERT_NE(summary, nullptr);
            EXPECT_EQ(summary->GetReputation(), 0);
            EXPECT_FALSE(summary->IsLevelUp());
            game.SetClockStep(0.25);
            game.Click(tvWorld::kSummaryWindow, "continue_b");
            ASSERT_TRUE(game.RunScript(kRetrySettleFrames));
            EXPECT_EQ(driver->GetHighScore(row.path), std::max(row.best, driver->GetRunPoints()));
            EXPECT_GE(driver->GetRunPoints(), points);
        }
        else
        {
            game.SetClockStep(0.25);
            game.TapKey(SDL_SCANCODE_ESCAPE);
            game.Click(InGameMenu::kWindowName, InGameMenu::kQuitName);
            ASSERT_TRUE(game.RunScript(kRetrySettleFrames));
        }
        ASSERT_TRUE(Shown(game, CareerWindow::kWindowName));
        EXPECT_EQ(app.GetCurrentWorld(), nullptr);
    }
    EXPECT_EQ(driver->GetCareerLevel(), 1);
    EXPECT_EQ(driver->GetUnspentRepPoints(), 0);
}
