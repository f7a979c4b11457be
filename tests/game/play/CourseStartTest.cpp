#include "engine/core/kaXmlHelpers.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiWindow.h"
#include "engine/model/kaBoundingBox.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/scene/kaSpawnPoint.h"
#include "game/app/Tarvolin.h"
#include "game/gear/PowerUp.h"
#include "game/records/tvPlayer.h"
#include "game/screens/CourseSummary.h"
#include "game/screens/HudWindow.h"
#include "game/vehicles/tvVehicle.h"
#include "game/world/SpawnPlacement.h"
#include "game/world/tvArena.h"
#include "game/world/tvCamera.h"
#include "game/world/tvWorld.h"
#include "tests/support/game/CourseSaveChecks.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/ScriptedInput.h"
#include "tools/worldgen/SampleWorld.h"
#include "tools/worldgen/StuntYard.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

using platform::Quaternion;
using platform::Vector3;

namespace
{

constexpr float kFrame = 1.0f / 30.0f;
constexpr const char* kProvingGround = "Worlds\\proving_ground.xml";
// The proving ground's spawn point (the venue is centred on the origin; its open end is at z = -60).
constexpr float kSpawnZ = SampleWorld::kProvingGroundStartZ;

using Key = gametest::KeyboardButton;

testsupport::HeadlessGame::Options WithKeyboard(const gametest::Script& keyboard)
{
    testsupport::HeadlessGame::Options options;
    options.devices = {gametest::Mouse(), keyboard};
    return options;
}

// The lowest point of the vehicle with its wheels.
float Lowest(tvVehicle& vehicle)
{
    return SpawnPlacement::LowestPoint(vehicle, 1000.0f);
}

// The game started headless on the generated content; courses start as the screens start them.
class CourseStartTest : public ::testing::Test
{
protected:
    CourseStartTest() : m_Keyboard(gametest::Keyboard()), m_Game(WithKeyboard(m_Keyboard)) {}

    void SetUp() override
    {
        ASSERT_TRUE(m_Game.Start());
        m_Game.SetClockStep(0.0);
        Hold({});
    }
    void TearDown() override { LeaveCourse(); }

    Tarvolin& App() { return m_Game.App(); }
    tvWorld* World() { return dynamic_cast<tvWorld*>(App().GetCurrentWorld()); }
    HudWindow* Hud() { return dynamic_cast<HudWindow*>(m_Game.Gui().FindWindow(tvWorld::kHudWindow)); }

    tvWorld* StartCourse(int32_t mode, const std::string& file = kProvingGround,
                         const std::string& vehicle = "Charger")
    {
        App().SetGameMode(mode);
        App().SetLevelPathCopy(file);
        App().SetLevelPath(file);
        App().SetVehicleName(vehicle);
        App().StartCourse();
        return World();
    }

    // As the screens leave a course: the world leaves the scene, then goes once.
    void LeaveCourse()
    {
        tvWorld* world = World();
        if (!world)
            return;
        if (HudWindow* hud = Hud())
            hud->SetWorld(nullptr);
        App().GetGraphicsManager()->DetachSceneObject(world);
        App().SetCurrentWorld(nullptr);
        delete world;
    }

    // The keys held from the next input poll on.
    void Hold(const std::vector<Key>& keys)
    {
        std::vector<int32_t> reading(gametest::kKeyCount, 0);
        for (Key key : keys)
            reading[key] = 1;
        m_Keyboard->PushReading(reading);
    }

    // Game frames of 1/30 s.
    void Frames(int count)
    {
        for (int frame = 0; frame < count; ++frame)
        {
            m_Game.Clock().AdvanceSeconds(kFrame);
            ASSERT_TRUE(m_Game.Frame());
        }
    }
    void Seconds(float seconds) { Frames(static_cast<int>(std::lround(seconds / kFrame))); }

    gametest::Script m_Keyboard;
    testsupport::HeadlessGame m_Game;
};

} // namespace

TEST_F(CourseStartTest, ACourseStartsOnTheChosenCourseWithTheCarRestingOnTheSpawnPoint)
{
    tvPlayer* player = App().CreatePlayer("Ann");
    App().SetCurrentPlayer(player);
    player->SetRunPoints(70);
    tvWorld* world = StartCourse(1);
    ASSERT_NE(world, nullptr);
    EXPECT_EQ(App().GetCurrentWorld(), world);
    EXPECT_EQ(player->GetRunPoints(), 0);
    EXPECT_EQ(world->GetLevelName(), "Proving Ground");
    EXPECT_TRUE(App().IsCareerLevel(kProvingGround));
    EXPECT_EQ(world->GetTimeLimit(), 30);
    EXPECT_EQ(world->GetScoreLimit(), 100);
    EXPECT_NE(dynamic_cast<tvArena*>(world->GetVenueEntity()), nullptr);
    EXPECT_EQ(Hud()->GetWorld(), world);
    EXPECT_EQ(world->GetGameMode(), 1);
    EXPECT_EQ(world->GetRunPhase(), tvWorld::kPhaseWaiting);
    EXPECT_EQ(m_Game.Gui().GetActiveWindow(), m_Game.Gui().FindWindow("Course Preview"));

    tvVehicle* car = App().GetPlayerVehicle();
    ASSERT_NE(car, nullptr);
    EXPECT_EQ(car->GetWorld(), world);
    EXPECT_NEAR(car->GetPosition().x, 0.0f, 1e-3f);
    EXPECT_NEAR(car->GetPosition().z, kSpawnZ, 1e-3f);
    // Its wheels, lower than its body, rest on the spawn point's height.
    EXPECT_NEAR(Lowest(*car), 0.0f, 1e-3f);
    float bodyLowest = car->GetBoundingBox()->m_Min.y;
    EXPECT_GT(bodyLowest, 0.05f);

    // The mode changes at once during the course.
    App().SetGameMode(2);
    EXPECT_EQ(App().GetGameMode(), 2);
    EXPECT_EQ(world->GetGameMode(), 2);
}

TEST_F(CourseStartTest, PracticeGoesStraightToTheHudAndStartsItself)
{
    tvWorld* world = StartCourse(0);
    ASSERT_NE(world, nullptr);
    EXPECT_EQ(m_Game.Gui().GetActiveWindow(), Hud());
    EXPECT_EQ(world->GetRunPhase(), tvWorld::kPhasePractice);
    Frames(tvWorld::kPracticeStartFrames + 2);
    EXPECT_EQ(world->GetRunPhase(), tvWorld::kPhaseRunning);
    EXPECT_TRUE(world->HasPlayedCue(tvWorld::kGo));
    EXPECT_EQ(world->GetSelectedEntity(), App().GetPlayerVehicle());
}

TEST_F(CourseStartTest, AMissingCourseFileOrVehicleStillStartsACourse)
{
    const struct
    {
        const char* file;
        const char* vehicle;
        bool hasVehicle;
    } cases[] = {{"Worlds\\nowhere.xml", "Charger", true}, {kProvingGround, "NoSuchCar", false}};
    for (const auto& c : cases)
    {
        tvWorld* world = StartCourse(1, c.file, c.vehicle);
        ASSERT_NE(world, nullptr) << c.file;
        EXPECT_EQ(App().GetPlayerVehicle() != nullptr, c.hasVehicle) << c.file;
        EXPECT_EQ(m_Game.Gui().GetActiveWindow(), m_Game.Gui().FindWindow("Course Preview"));
        LeaveCourse();
        EXPECT_EQ(App().GetPlayerVehicle(), nullptr);
    }
}

// Entities placed where ODE cannot file a body, or at no number at all: a practice run of the course leaves
// each out with a line on stderr naming it and its position, and goes on with the rest.
TEST_F(CourseStartTest, EntitiesPlacedBeyondAnyVenueAreLeftOutAndThePracticeRunGoesOn)
{
    TiXmlDocument course;
    ASSERT_TRUE(course.LoadFile(m_Game.InstallPath() + "/Worlds/proving_ground.xml"));
    const struct
    {
        const char* name;
        const char* axis;
        const char* value;
    } far[] = {{"LaunchPlate", "x", "1e10"},
               {"PointsToken", "x", "1e30"},
               {"LapToken4", "y", "3.4e38"},
               {"LapToken5", "z", "nan"}};
    TiXmlElement* list = course.RootElement()->FirstChildElement("Entities");
    ASSERT_NE(list, nullptr);
    std::vector<std::string> named;
    for (const auto& entity : far)
    {
        TiXmlElement* block = list->FirstChildElement("Entity");
        while (block && GetChildElementText("name", block) != entity.name)
            block = block->NextSiblingElement("Entity");
        ASSERT_NE(block, nullptr) << entity.name;
        TiXmlElement* value = block->FirstChildElement("position")->FirstChildElement(entity.axis);
        value->Clear();
        value->InsertEndChild(TiXmlText(entity.value));
        named.push_back(GetChildElementText("type", block) + " \"" + entity.name + "\" (id " +
                        GetChildElementText("entityID", block) + "), entity dropped");
    }
    ASSERT_TRUE(course.SaveFile(m_Game.InstallPath() + "/Worlds/far.xml"));

    testing::internal::CaptureStderr();
    tvWorld* world = StartCourse(0, "Worlds\\far.xml");
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_NE(world, nullptr);
    Frames(tvWorld::kPracticeStartFrames + 10);
    EXPECT_EQ(world->GetRunPhase(), tvWorld::kPhaseRunning);
    for (size_t i = 0; i < named.size(); ++i)
    {
        EXPECT_EQ(world->FindEntityByName(far[i].name), nullptr) << far[i].name;
        EXPECT_NE(said.find("bad value for position"), std::string::npos) << said;
        EXPECT_NE(said.find(named[i]), std::string::npos) << named[i] << "\n" << said;
    }
    EXPECT_NE(world->FindEntityByName("LapToken6"), nullptr);
    ASSERT_NE(App().GetPlayerVehicle(), nullptr);
    EXPECT_TRUE(kaEntity::IsWithinPlacementBound(App().GetPlayerVehicle()->GetBodyPosition()));
}

// A launch or a jump far past any plate's or token's, given to the player's car in a practice run: the
// physics refuses the push, and the run goes on with the car where it stood. A plate's launch still throws
// it.
TEST_F(CourseStartTest, ALaunchOrJumpPastWhatThePhysicsTakesIsRefusedAndTheRunGoesOn)
{
    const float inf = std::numeric_limits<float>::infinity();
    const struct
    {
        const char* name;
        std::function<void(tvVehicle&)> push;
        bool lifts;
    } cases[] = {
        {"a launch of 3.4e38", [](tvVehicle& car) { car.AddLaunch(3.4e38f); }, false},
        {"a launch of inf", [inf](tvVehicle& car) { car.AddLaunch(inf); }, false},
        {"a jump of 3.4e38", [](tvVehicle& car) { car.AddJump(1.0f, 3.4e38f, 1.0f); }, false},
        {"a jump of inf", [inf](tvVehicle& car) { car.AddJump(1.0f, inf, 1.0f); }, false},
        {"a plate's launch", [](tvVehicle& car) { car.AddLaunch(30.0f); }, true},
    };
    tvWorld* world = StartCourse(0);
    ASSERT_NE(world, nullptr);
    Frames(tvWorld::kPracticeStartFrames + 10);
    tvVehicle* car = App().GetPlayerVehicle();
    ASSERT_NE(car, nullptr);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const Vector3 before = car->GetBodyPosition();
        c.push(*car);
        float highest = before.y;
        for (int frame = 0; frame < 30; ++frame)
        {
            Frames(1);
            const Vector3 at = car->GetBodyPosition();
            ASSERT_TRUE(std::isfinite(at.x) && std::isfinite(at.y) && std::isfinite(at.z)) << frame;
            highest = std::max(highest, at.y);
        }
        EXPECT_EQ(world->GetRunPhase(), tvWorld::kPhaseRunning);
        const Vector3 after = car->GetBodyPosition();
        EXPECT_LT(std::hypot(after.x - before.x, after.z - before.z), 1.0f);
        EXPECT_EQ(highest > before.y + 1.0f, c.lifts) << highest - before.y;
    }
}

// A hand-edited course whose entities a run cannot keep: one without an id, one with an empty one, one
// repeating another's (named with the entity that holds the id), one with the venue's, one of a class no
// program knows; and blocks pasted where no reader takes them. The run names each on stderr, by its id or
// else its place in the file, each pasted block by its row and where it stood, and goes on with the rest.
TEST_F(CourseStartTest, EachEntityARunLeavesOutIsNamedOnStderr)
{
    TiXmlDocument course;
    ASSERT_TRUE(course.LoadFile(m_Game.InstallPath() + "/Worlds/proving_ground.xml"));
    TiXmlElement* list = course.RootElement()->FirstChildElement("Entities");
    ASSERT_NE(list, nullptr);
    std::vector<TiXmlElement*> blocks;
    for (TiXmlElement* block = list->FirstChildElement("Entity"); block;
         block = block->NextSiblingElement("Entity"))
        blocks.push_back(block);
    auto find = [&blocks](const std::string& name) -> TiXmlElement*
    {
        for (TiXmlElement* block : blocks)
            if (GetChildElementText("name", block) == name)
                return block;
        return nullptr;
    };
    auto place = [&blocks](const TiXmlElement* block)
    { return std::to_string(std::find(blocks.begin(), blocks.end(), block) - blocks.begin() + 1); };
    TiXmlElement* loose = find("PointsToken");
    TiXmlElement* twin = find("LapToken5");
    TiXmlElement* stranger = find("LaunchPlate");
    ASSERT_TRUE(loose && twin && stranger && find("LapToken4"));
    loose->RemoveChild(loose->FirstChildElement("entityID"));
    const std::string twinId = GetChildElementText("entityID", find("LapToken4"));
    twin->FirstChildElement("entityID")->Clear();
    twin->FirstChildElement("entityID")->InsertEndChild(TiXmlText(twinId));
    stranger->FirstChildElement("type")->Clear();
    stranger->FirstChildElement("type")->InsertEndChild(TiXmlText("NoSuchGear"));
    TiXmlElement* empty = find("LapToken7");
    ASSERT_NE(empty, nullptr);
    empty->FirstChildElement("entityID")->Clear();
    // Copies of a token: under the venue's id, and pasted where no reader takes them.
    const auto copy = [&blocks](const char* element, const char* name, const char* id)
    {
        TiXmlElement block = *blocks.back();
        block.SetValue(element);
        for (const auto& [key, text] : {std::make_pair("name", name), std::make_pair("entityID", id)})
        {
            block.FirstChildElement(key)->Clear();
            block.FirstChildElement(key)->InsertEndChild(TiXmlText(text));
        }
        return block;
    };
    list->InsertEndChild(copy("Entity", "ZeroToken", "000"));
    list->InsertEndChild(copy("entity", "LowerToken", "30"));
    TiXmlElement later("Entities");
    later.InsertEndChild(copy("Entity", "OtherToken", "31"));
    course.RootElement()->InsertAfterChild(list, later);
    // Values of the course itself that the run cannot take: it plays with the defaults.
    for (const auto& [key, text] : {std::make_pair("timeLimit", "6O"), std::make_pair("Sun", "")})
    {
        TiXmlElement* value = course.RootElement()->FirstChildElement(key);
        ASSERT_NE(value, nullptr) << key;
        if (*text == '\0')
            value = value->FirstChildElement("position");
        ASSERT_NE(value, nullptr) << key;
        value->Clear();
        value->InsertEndChild(TiXmlText(*text == '\0' ? "O.5" : text));
    }
    TiXmlElement pastedCourse("World");
    pastedCourse.InsertEndChild(TiXmlElement("name"))->InsertEndChild(TiXmlText("Pasted Course"));
    course.InsertEndChild(pastedCourse);
    const std::string file = m_Game.InstallPath() + "/Worlds/hand_edited.xml";
    ASSERT_TRUE(course.SaveFile(file));
    // A note typed after the pasted course: the reader stops at it, and what follows it is not read.
    std::ofstream(file, std::ios::app) << "pasted from the gear run\n<World><name>Unreached</name></World>\n";
    const std::string text = testsupport::courseSaves::ReadWhole(file);
    const auto row = [&text](size_t at)
    { return std::to_string(std::count(text.begin(), text.begin() + std::ptrdiff_t(at), '\n') + 1); };
    const size_t laterAt = text.find("<Entities>", text.find("<Entities>") + 1);
    const std::string named[] = {
        "no entityID: PowerUp \"PointsToken\" (entity " + place(loose) + " of the file), entity dropped",
        "entityID " + twinId + " already in use by PowerUp \"LapToken4\": PowerUp \"LapToken5\" (id " +
            twinId + "), entity dropped",
        "no class of that type: NoSuchGear \"LaunchPlate\" (id " + GetChildElementText("entityID", stranger) +
            "), entity dropped",
        "an empty entityID: PowerUp \"LapToken7\" (entity " + place(empty) + " of the file), entity dropped",
        "entityID 0 already in use by the venue: PowerUp \"ZeroToken\" (id 000), entity dropped",
        "element not read: <entity> PowerUp \"LowerToken\" (id 30) at row " + row(text.find("<entity>")) +
            ".\n",
        "element not read: <Entity> PowerUp \"OtherToken\" (id 31) at row " +
            row(text.rfind("<Entity>", text.find("OtherToken"))) + ", in a later Entities at row " +
            row(laterAt) + ".\n",
        "element not read: <World> \"Pasted Course\" at row " +
            row(text.find("<World>", text.find("</World>"))) + ", after the root.\n",
        "holds text outside the elements at row " + row(text.find("pasted from")) +
            ", column 1; the rest is not read.\n",
        "bad value for timeLimit (\"6O\"), default in use.\n",
        "bad value for Sun position (\"O.5\"), default in use.\n",
    };

    testing::internal::CaptureStderr();
    tvWorld* world = StartCourse(0, "Worlds\\hand_edited.xml");
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_NE(world, nullptr);
    // Each once, whether or not the debugger output goes to stderr as well.
    for (const std::string& line : named)
        EXPECT_EQ(testsupport::courseSaves::Occurrences(said, line), 1) << line << "\n" << said;
    EXPECT_EQ(world->GetTimeLimit(), tvWorld::kDefaultTimeLimit);
    Frames(tvWorld::kPracticeStartFrames + 10);
    EXPECT_EQ(world->GetRunPhase(), tvWorld::kPhaseRunning);
    EXPECT_EQ(world->FindEntityByName("PointsToken"), nullptr);
    EXPECT_EQ(world->FindEntityByName("LaunchPlate"), nullptr);
    for (const char* name : {"LapToken7", "ZeroToken", "LowerToken", "OtherToken", "Unreached"})
        EXPECT_EQ(world->FindEntityByName(name), nullptr) << name;
    EXPECT_NE(world->FindEntityByName("LapToken4"), nullptr);
    EXPECT_NE(world->FindEntityByName("LapToken6"), nullptr);
}

TEST_F(CourseStartTest, EachCourseAddsOneWhiteImageToTheHudAndTakesItAwayAgain)
{
    const int before = Hud()->GetChildCount();
    for (int course = 0; course < 3; ++course)
    {
        tvWorld* world = StartCourse(1);
        auto* arena = dynamic_cast<tvArena*>(world->GetVenueEntity());
        ASSERT_NE(arena, nullptr);
        EXPECT_EQ(Hud()->GetChildCount(), before + 1);
        EXPECT_EQ(arena->GetWhiteImage()->GetParent(), Hud());
        EXPECT_FALSE(arena->GetWhiteImage()->IsVisible());
        LeaveCourse();
        EXPECT_EQ(Hud()->GetChildCount(), before);
    }
}

TEST_F(CourseStartTest, DeletingTheCourseWorldLeavesNothingPointingAtItAndShutdownDeletesIt)
{
    tvWorld* world = StartCourse(1);
    ASSERT_NE(world, nullptr);
    ASSERT_NE(App().GetPlayerVehicle(), nullptr);
    const std::vector<ka3DObject*>& scene = App().GetGraphicsManager()->GetSceneObjects();
    ASSERT_EQ(std::count(scene.begin(), scene.end(), world), 1);
    App().DeleteCourseWorld();
    EXPECT_EQ(App().GetCurrentWorld(), nullptr);
    EXPECT_EQ(App().GetPlayerVehicle(), nullptr);
    EXPECT_EQ(Hud()->GetWorld(), nullptr);
    EXPECT_EQ(std::count(scene.begin(), scene.end(), world), 0);
    // Nothing left to delete: a second call changes nothing.
    App().DeleteCourseWorld();
    EXPECT_EQ(std::count(scene.begin(), scene.end(), world), 0);

    // Quitting in a course takes the world down before the devices it draws with.
    tvPlayer* player = App().CreatePlayer("Quitter");
    App().SetCurrentPlayer(player);
    ASSERT_NE(StartCourse(1), nullptr);
    EXPECT_TRUE(App().Shutdown());
    EXPECT_EQ(App().GetCurrentWorld(), nullptr);
    EXPECT_EQ(App().GetPlayerVehicle(), nullptr);
    EXPECT_FALSE(player->GetFilePath().empty());
}

TEST_F(CourseStartTest, TheArenaFadesToWhiteRespawnsTheCarAndFadesBack)
{
    tvWorld* world = StartCourse(1);
    auto* arena = dynamic_cast<tvArena*>(world->GetVenueEntity());
    tvVehicle* car = App().GetPlayerVehicle();
    ASSERT_NE(arena, nullptr);
    ASSERT_NE(car, nullptr);

    // Only own primitives whose first 20 characters name the respawn trigger start the fade.
    const struct
    {
        const char* primitive;
        bool starts;
    } names[] = {{"PRIM_TRIGGER_Respawn", true},
                 {"PRIM_TRIGGER_Respawn_2", true},
                 {"PRIM_TRIGGER_Respaw", false},
                 {"PRIM_Floor", false},
                 {"", false}};
    for (const auto& name : names)
    {
        tvArena fresh;
        fresh.OnTrigger(car, name.primitive, "PRIM_Body");
        EXPECT_EQ(fresh.IsFadingIn(), name.starts) << name.primitive;
        EXPECT_EQ(fresh.GetWhiteImage()->IsVisible(), name.starts) << name.primitive;
    }

    car->SetPositionRotation(Vector3(5.0f, 3.0f, -20.0f), Quaternion(0.0f, 0.0f, 0.0f, 1.0f));
    constexpr float kStep = 0.0625f;
    arena->OnTrigger(car, tvArena::kRespawnPrefix, "PRIM_Body");
    // 0.4 s to white: still fading after 0.375 s.
    for (int step = 0; step < 6; ++step)
        arena->Update(kStep);
    EXPECT_TRUE(arena->IsFadingIn());
    EXPECT_FLOAT_EQ(arena->GetFadeAlpha(), 0.9375f);
    EXPECT_FLOAT_EQ(arena->GetWhiteImage()->GetColor().a, 0.9375f);
    // Touching again during the fade changes nothing.
    arena->OnTrigger(car, tvArena::kRespawnPrefix, "PRIM_Body");
    EXPECT_FLOAT_EQ(arena->GetFadeAlpha(), 0.9375f);
    arena->Update(kStep);
    EXPECT_TRUE(arena->IsRespawnPending());
    EXPECT_TRUE(arena->IsFadingOut());
    EXPECT_NEAR(car->GetPosition().z, -20.0f, 1e-3f);

    // The next step puts the car back, then a second fades back.
    arena->SetTokenTime(2.0f);
    arena->Update(kStep);
    EXPECT_FALSE(arena->IsRespawnPending());
    EXPECT_NEAR(car->GetPosition().x, 0.0f, 1e-3f);
    EXPECT_NEAR(car->GetPosition().z, kSpawnZ, 1e-3f);
    EXPECT_NEAR(Lowest(*car), 0.0f, 1e-3f);
    // The step counts the token time down first, then the respawn restarts it.
    EXPECT_FLOAT_EQ(arena->GetTokenTime(), tvArena::kTokenTime);
    for (int step = 1; step < 16; ++step)
        arena->Update(kStep);
    EXPECT_TRUE(arena->GetWhiteImage()->IsVisible());
    EXPECT_FLOAT_EQ(arena->GetFadeAlpha(), 0.0f);
    arena->Update(kStep);
    EXPECT_FALSE(arena->GetWhiteImage()->IsVisible());
    EXPECT_FALSE(arena->IsFadingOut());
}

TEST_F(CourseStartTest, WithoutASpawnPointTheArenaFadesAndRestartsTheTokenTimeOnly)
{
    tvWorld* world = StartCourse(1);
    auto* arena = dynamic_cast<tvArena*>(world->GetVenueEntity());
    tvVehicle* car = App().GetPlayerVehicle();
    ASSERT_NE(arena, nullptr);
    world->RemoveEntitiesByName(kaSpawnPoint::kName);
    ASSERT_EQ(world->FindEntityByName(kaSpawnPoint::kName), nullptr);
    car->SetPositionRotation(Vector3(5.0f, 3.0f, -20.0f), Quaternion(0.0f, 0.0f, 0.0f, 1.0f));
    arena->SetTokenTime(0.0f);
    arena->OnTrigger(car, tvArena::kRespawnPrefix, "PRIM_Body");
    for (int step = 0; step < 9; ++step)
        arena->Update(0.0625f);
    EXPECT_TRUE(arena->IsFadingOut());
    EXPECT_FALSE(arena->IsRespawnPending());
    EXPECT_GT(arena->GetTokenTime(), 9.0f);
    EXPECT_NEAR(car->GetPosition().z, -20.0f, 1e-3f);

    // Without a vehicle the pending respawn restarts the token time alone.
    App().SetPlayerVehicle(nullptr);
    tvArena lone;
    lone.SetTokenTime(0.0f);
    lone.OnTrigger(car, tvArena::kRespawnPrefix, "PRIM_Body");
    for (int step = 0; step < 9; ++step)
        lone.Update(0.0625f);
    EXPECT_GT(lone.GetTokenTime(), 9.0f);
    App().SetPlayerVehicle(car);
}

TEST_F(CourseStartTest, LimitedTokenRespawnLastsTenSecondsAfterEachRespawn)
{
    const struct
    {
        const char* xml;
        bool limited;
        bool ragdoll;
    } cases[] = {
        {"<Entity/>", false, true},
        {"<Entity><limitTokenRespawn>1</limitTokenRespawn></Entity>", true, true},
        {"<Entity><forceNoRagDoll>1</forceNoRagDoll></Entity>", false, false},
        // Values that are no bool keep the defaults instead of failing the course's load.
        {"<Entity><forceNoRagDoll>often</forceNoRagDoll><limitTokenRespawn>x</limitTokenRespawn></Entity>",
         false, true}};
    for (const auto& c : cases)
    {
        TiXmlDocument document;
        document.Parse(c.xml);
        tvArena arena;
        arena.ReadXml(document.RootElement());
        EXPECT_EQ(arena.IsTokenRespawnLimited(), c.limited) << c.xml;
        EXPECT_EQ(arena.AllowsRagdoll(), c.ragdoll) << c.xml;
        EXPECT_TRUE(arena.AllowsTokenRespawn());
        arena.Update(9.5f);
        EXPECT_TRUE(arena.AllowsTokenRespawn());
        arena.Update(0.5f);
        EXPECT_FLOAT_EQ(arena.GetTokenTime(), 0.0f);
        EXPECT_EQ(arena.AllowsTokenRespawn(), !c.limited) << c.xml;
        arena.Update(5.0f);
        EXPECT_FLOAT_EQ(arena.GetTokenTime(), 0.0f);
    }
}

TEST_F(CourseStartTest, TheViewAndFreeKeysActOncePerPress)
{
    tvWorld* world = StartCourse(1);
    tvCamera* camera = world->GetFollowCamera();
    ASSERT_NE(App().GetPlayerVehicle(), nullptr);
    Frames(2);
    EXPECT_EQ(camera->GetView(), tvCamera::kChaseView);
    Hold({gametest::kC});
    Frames(4);
    EXPECT_EQ(camera->GetView(), tvCamera::kHoodView);
    Hold({});
    Frames(1);
    Hold({gametest::kC});
    Frames(3);
    EXPECT_EQ(camera->GetView(), tvCamera::kChaseView);

    Hold({gametest::kF});
    Frames(3);
    EXPECT_TRUE(camera->IsFreeMode());
    const Vector3 parked = camera->GetPosition();
    Hold({gametest::kW});
    Frames(20);
    // The free camera keeps its place while the car goes.
    EXPECT_EQ(camera->GetPosition(), parked);
    camera->HandleInput(0.0f, 0.0f, -120.0f, false, false);
    EXPECT_NE(camera->GetPosition(), parked);
    Hold({gametest::kF});
    Frames(1);
    EXPECT_FALSE(camera->IsFreeMode());
}

TEST_F(CourseStartTest, TheResetKeyWorksOnlyWhileTheRunIsOn)
{
    tvWorld* world = StartCourse(1);
    tvVehicle* car = App().GetPlayerVehicle();
    ASSERT_NE(car, nullptr);
    const Quaternion upright(0.0f, 0.0f, 0.0f, 1.0f);

    // Waiting for the preview and counting down: the key does nothing.
    car->SetPositionRotation(Vector3(6.0f, 0.5f, 0.0f), upright);
    Hold({gametest::kR});
    Frames(2);
    EXPECT_NEAR(car->GetPosition().x, 6.0f, 0.2f);
    Hold({});
    world->StartRound();
    Frames(2);
    Hold({gametest::kR});
    Frames(2);
    EXPECT_TRUE(world->IsCountingDown());
    EXPECT_NEAR(car->GetPosition().x, 6.0f, 0.2f);
    Hold({});
    Seconds(3.2f);
    ASSERT_FALSE(world->IsCountingDown());

    // In the run: back on the spawn point, 5 seconds lost.
    Seconds(2.0f);
    const int32_t before = world->GetRunClock().GetElapsed();
    auto* arena = dynamic_cast<tvArena*>(world->GetVenueEntity());
    ASSERT_NE(arena, nullptr);
    arena->SetTokenTime(0.0f);
    Hold({gametest::kR});
    Frames(1);
    EXPECT_NEAR(car->GetPosition().x, 0.0f, 1e-3f);
    EXPECT_NEAR(car->GetPosition().z, kSpawnZ, 1e-3f);
    EXPECT_EQ(world->GetRunClock().GetElapsed(), before + 5);
    EXPECT_GT(arena->GetTokenTime(), 9.0f);
    // Held, it resets once.
    car->SetPositionRotation(Vector3(6.0f, 0.5f, 0.0f), upright);
    Frames(3);
    EXPECT_NEAR(car->GetPosition().x, 6.0f, 0.2f);
    EXPECT_EQ(world->GetRunClock().GetElapsed(), before + 5);
}

TEST_F(CourseStartTest, TheChaseCameraClosesItsShareOfTheDistanceAndLandsAtLongFrames)
{
    tvWorld* world = StartCourse(1);
    tvCamera* camera = world->GetFollowCamera();
    tvVehicle* car = App().GetPlayerVehicle();
    ASSERT_NE(car, nullptr);
    const float d = car->GetCameraDistance();
    const struct
    {
        float dt;
        float share;
    } cases[] = {{0.1f, 0.5f}, {0.2f, 1.0f}, {0.3f, 1.0f}};
    for (const auto& c : cases)
    {
        car->SetPositionRotation(Vector3(0.0f, 1.0f, 20.0f), Quaternion(0.0f, 0.0f, 0.0f, 1.0f));
        camera->Update(0.01f);
        camera->Update(0.01f);
        const Vector3 from = camera->GetPosition();
        car->SetPositionRotation(Vector3(0.0f, 1.0f, 0.0f), Quaternion(0.0f, 0.0f, 0.0f, 1.0f));
        // The car faces -z: the camera sits behind it, towards +z, and above.
        const Vector3 goal =
            car->GetViewPosition() + Vector3(0.0f, tvCamera::kChaseUp * d, tvCamera::kChaseBack * d);
        camera->Update(c.dt);
        const Vector3 expected = from + (goal - from) * c.share;
        EXPECT_NEAR(camera->GetPosition().x, expected.x, 1e-3f) << c.dt;
        EXPECT_NEAR(camera->GetPosition().y, expected.y, 1e-3f) << c.dt;
        EXPECT_NEAR(camera->GetPosition().z, expected.z, 1e-3f) << c.dt;
    }
}

TEST_F(CourseStartTest, ARunOnTheProvingGroundCountsDownDrivesAndEndsWithTheResultBooked)
{
    tvPlayer* player = App().CreatePlayer("Ann");
    App().SetCurrentPlayer(player);
    tvWorld* world = StartCourse(1);
    tvVehicle* car = App().GetPlayerVehicle();
    ASSERT_NE(car, nullptr);
    const float restY = car->GetPosition().y;

    // The preview's begin button.
    m_Game.Gui().SwitchWindow(Hud(), m_Game.Gui().FindWindow("Course Preview"), 1, false);
    world->StartRound();
    Seconds(1.0f);
    EXPECT_TRUE(world->IsCountingDown());
    Hold({gametest::kW});
    Seconds(1.0f);
    // The body stays off until "Go": the throttle moves nothing yet.
    EXPECT_NEAR(car->GetPosition().z, kSpawnZ, 0.05f);
    EXPECT_NEAR(car->GetPosition().y, restY, 0.05f);
    Seconds(1.2f);
    EXPECT_TRUE(world->HasPlayedCue(tvWorld::kGo));
    Seconds(3.0f);
    // Driven towards the open end, the camera behind it.
    const Vector3 at = car->GetPosition();
    EXPECT_LT(at.z, kSpawnZ - 2.0f);
    const Vector3 eye = world->GetFollowCamera()->GetPosition();
    EXPECT_GT(eye.z, at.z);
    EXPECT_GT(eye.y, at.y);
    EXPECT_LT(platform::Vec3Length(eye - at), car->GetCameraDistance() * 1.5f);
    Hold({});
    world->AddPoints(120);

    // Off the open end: it falls into the trigger and comes back to the start.
    car->SetPositionRotation(Vector3(0.0f, -4.0f, -70.0f), Quaternion(0.0f, 0.0f, 0.0f, 1.0f));
    car->StopMotion();
    Seconds(2.5f);
    EXPECT_NEAR(car->GetPosition().z, kSpawnZ, 2.0f);
    EXPECT_GT(car->GetPosition().y, -1.0f);

    // The run ends at the limit plus one.
    while (world->GetRunClock().GetElapsed() < 30)
        Seconds(0.5f);
    EXPECT_EQ(world->GetRunPhase(), tvWorld::kPhaseRunning);
    Seconds(1.1f);
    EXPECT_EQ(world->GetRunPhase(), tvWorld::kPhaseSummary);
    auto* summary = dynamic_cast<CourseSummary*>(m_Game.Gui().FindWindow(tvWorld::kSummaryWindow));
    ASSERT_NE(summary, nullptr);
    EXPECT_TRUE(summary->IsPassed());
    // The points token on the straight was taken on the way, and, as the car rolled on from the plate's
    // landing, the first lap token.
    auto* token = dynamic_cast<PowerUp*>(world->FindEntityByName("PointsToken"));
    ASSERT_NE(token, nullptr);
    EXPECT_FALSE(token->IsVisible());
    EXPECT_EQ(player->GetTotalPointsEarned(), 120 + token->GetValue() + StuntYard::kLapTokenValue);
    EXPECT_EQ(m_Game.Gui().GetActiveWindow(), summary);
}
