#include "engine/gui/guiManager.h"
#include "engine/scene/kaSpawnPoint.h"
#include "game/app/Tarvolin.h"
#include "game/gear/LaunchPlate.h"
#include "game/vehicles/MotorCycle.h"
#include "game/world/tvWorld.h"
#include "platform/gfx/math/Vector3.h"
#include "tests/support/Watchdog.h"
#include "tests/support/game/HeadlessGame.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <ode/ode.h>
#include <ostream>
#include <sstream>
#include <string>

using platform::Vector3;
using testsupport::HeadlessGame;

namespace
{

constexpr double kPassFrame = 1.0 / 30.0;
// A reset gives the rider two seconds in which nothing throws him; a pass starts after them.
constexpr int kPassSettleFrames = 70;
// Past the plate by this much, beyond where the vehicle comes down, the throttle is let go; the pass ends
// this many frames later, short of the yard's far wall.
constexpr float kPassRunOut = 14.0f;
constexpr int kPassCoastFrames = 20;
constexpr int kPassMostFrames = 240;
constexpr int kPasses = 5;
constexpr int kPassLeastGood = 4;

struct Course
{
    const char* file;
    const char* vehicle;
};

std::ostream& operator<<(std::ostream& out, const Course& course)
{
    return out << course.file << " " << course.vehicle;
}

// A practice run of a course, driven by SDL's keys through frames of 1/30 s on the game's clock.
class PracticeRunTest : public ::testing::Test
{
protected:
    PracticeRunTest() : m_Game(WithSdlInput()) {}

    static HeadlessGame::Options WithSdlInput()
    {
        HeadlessGame::Options options;
        options.sdlInput = true;
        return options;
    }

    bool Frame()
    {
        m_Game.Clock().AdvanceSeconds(kPassFrame);
        return m_Game.Frame();
    }

    // The practice run of the course with the vehicle, counted down, nothing held.
    void StartPractice(const Course& course)
    {
        ASSERT_TRUE(m_Game.Start());
        m_Game.SetClockStep(0.0);
        Tarvolin& app = m_Game.App();
        app.SetGameMode(0);
        app.SetLevelPathCopy(course.file);
        app.SetLevelPath(course.file);
        app.SetVehicleName(course.vehicle);
        app.StartCourse();
        m_World = dynamic_cast<tvWorld*>(app.GetCurrentWorld());
        ASSERT_NE(m_World, nullptr);
        m_Vehicle = app.GetPlayerVehicle();
        ASSERT_NE(m_Vehicle, nullptr);
        m_Game.Gui().HideWindow(m_Game.Gui().FindWindow(Tarvolin::kMainWindow), 1);
        for (int i = 0; i < tvWorld::kPracticeStartFrames + 2; ++i)
            ASSERT_TRUE(Frame());
        ASSERT_EQ(m_World->GetRunPhase(), tvWorld::kPhaseRunning);
    }

    // The practice run, its launch plate and its spawn point found.
    void Start(const Course& course)
    {
        ASSERT_NO_FATAL_FAILURE(StartPractice(course));
        for (kaEntity* entity : m_World->GetEntities())
            if (auto* plate = dynamic_cast<LaunchPlate*>(entity))
                m_Plate = plate;
        ASSERT_NE(m_Plate, nullptr);
        m_Spawn = dynamic_cast<kaSpawnPoint*>(m_World->FindEntityByName(kaSpawnPoint::kName));
        ASSERT_NE(m_Spawn, nullptr);
        m_Start = m_Spawn->GetSpawnPosition();
    }

    float UpY() const { return static_cast<float>(dBodyGetRotation(m_Vehicle->GetBody())[5]); }

    // The reset key puts the vehicle on the spawn point, moved to the pass's start; then it stands
    // through the reset's grace.
    void ResetTo(const Vector3& at)
    {
        m_Spawn->SetPosition(at);
        m_Game.HoldKey(SDL_SCANCODE_R, 2);
        ASSERT_TRUE(m_Game.RunScript(0));
        for (int i = 0; i < kPassSettleFrames; ++i)
            ASSERT_TRUE(Frame());
    }

    struct Outcome
    {
        bool thrown = false;
        bool upright = false;
        bool launched = false;
        // Height reached above the start, and the speed on reaching the plate's middle.
        float highest = 0.0f;
        float speed = 0.0f;
    };

    // Full throttle straight at the plate until well past it, then coasting a moment.
    Outcome Pass()
    {
        Outcome outcome;
        auto* bike = dynamic_cast<MotorCycle*>(m_Vehicle);
        const float ground = m_Vehicle->GetPosition().y;
        const float plateZ = m_Plate->GetPosition().z;
        m_Game.KeyDown(SDL_SCANCODE_W);
        int coasting = -1;
        for (int i = 0; i < kPassMostFrames && coasting < kPassCoastFrames; ++i)
        {
            if (!Frame())
                break;
            outcome.highest = std::max(outcome.highest, m_Vehicle->GetPosition().y - ground);
            outcome.launched = outcome.launched || m_Vehicle->GetLaunchTime() > 0.0f;
            if (bike && bike->IsRagdolled())
                outcome.thrown = true;
            if (m_Vehicle->GetPosition().z > plateZ)
            {
                const dReal* v = dBodyGetLinearVel(m_Vehicle->GetBody());
                outcome.speed = platform::Vec3Length(Vector3(v[0], v[1], v[2]));
            }
            if (coasting >= 0)
                ++coasting;
            else if (m_Vehicle->GetPosition().z < plateZ - kPassRunOut)
            {
                m_Game.KeyUp(SDL_SCANCODE_W);
                coasting = 0;
            }
        }
        if (coasting < 0)
        {
            m_Game.KeyUp(SDL_SCANCODE_W);
            Frame();
        }
        outcome.upright = UpY() > 0.7f;
        return outcome;
    }

    HeadlessGame m_Game;
    tvWorld* m_World = nullptr;
    tvVehicle* m_Vehicle = nullptr;
    LaunchPlate* m_Plate = nullptr;
    kaSpawnPoint* m_Spawn = nullptr;
    Vector3 m_Start;
};

class LaunchPlatePassTest : public PracticeRunTest, public ::testing::WithParamInterface<Course>
{
};

// Five passes from the course's start, each a little aside or back from the last, with the throttle held
// over the plate: the plate throws the vehicle each time, and the rider stays on and the car comes down on
// its wheels in at least four of them.
TEST_P(LaunchPlatePassTest, FullThrottleOverThePlateLandsMostPasses)
{
    const Course course = GetParam();
    ASSERT_NO_FATAL_FAILURE(Start(course));
    const float offsetsX[kPasses] = {0.0f, -0.6f, 0.6f, -1.1f, 1.1f};
    const float offsetsZ[kPasses] = {0.0f, 1.5f, 0.5f, 1.0f, 2.0f};
    int good = 0;
    std::ostringstream log;
    for (int pass = 0; pass < kPasses; ++pass)
    {
        SCOPED_TRACE(pass);
        const Vector3 from(m_Plate->GetPosition().x + offsetsX[pass], m_Start.y, m_Start.z + offsetsZ[pass]);
        ASSERT_NO_FATAL_FAILURE(ResetTo(from));
        const auto* bike = dynamic_cast<const MotorCycle*>(m_Vehicle);
        ASSERT_FALSE(bike && bike->IsRagdolled()) << "the reset left the rider off";
        const Outcome outcome = Pass();
        EXPECT_TRUE(outcome.launched) << "the plate did not throw the vehicle on pass " << pass;
        const bool landed = !outcome.thrown && outcome.upright;
        good += landed ? 1 : 0;
        log << "pass " << pass << ": speed " << outcome.speed << ", highest " << outcome.highest
            << (outcome.thrown ? ", rider thrown" : "") << (outcome.upright ? "" : ", not on its wheels")
            << "\n";
    }
    EXPECT_GE(good, kPassLeastGood) << log.str();
}

INSTANTIATE_TEST_SUITE_P(Courses, LaunchPlatePassTest,
                         ::testing::Values(Course{"Worlds\\proving_ground.xml", "Motorcycle"},
                                           Course{"Worlds\\proving_ground.xml", "Charger"},
                                           Course{"Worlds\\stunt_yard.xml", "Motorcycle"},
                                           Course{"Worlds\\stunt_yard.xml", "Charger"}));

} // namespace

namespace
{

using RiderOriginTest = LaunchPlatePassTest;

// The rag doll waits hidden where it was made, at the world's origin, until the rider is thrown: a ride
// straight across that spot meets nothing there.
TEST_P(RiderOriginTest, ARideAcrossTheWorldsOriginMeetsNothingThere)
{
    const Course course = GetParam();
    ASSERT_NO_FATAL_FAILURE(Start(course));
    ASSERT_NO_FATAL_FAILURE(ResetTo(Vector3(0.0f, m_Start.y, 5.0f)));
    auto* bike = dynamic_cast<MotorCycle*>(m_Vehicle);
    ASSERT_NE(bike, nullptr);
    m_Game.KeyDown(SDL_SCANCODE_W);
    float slowest = 1e9f;
    bool thrown = false;
    for (int i = 0; i < kPassMostFrames && m_Vehicle->GetPosition().z > -6.0f; ++i)
    {
        ASSERT_TRUE(Frame());
        thrown = thrown || bike->IsRagdolled();
        // Once under way, from a metre short of the origin to past it.
        const float z = m_Vehicle->GetPosition().z;
        if (z < 1.0f && z > -2.0f)
        {
            const dReal* v = dBodyGetLinearVel(m_Vehicle->GetBody());
            slowest = std::min(slowest, platform::Vec3Length(Vector3(v[0], v[1], v[2])));
        }
    }
    m_Game.KeyUp(SDL_SCANCODE_W);
    EXPECT_LT(m_Vehicle->GetPosition().z, -6.0f) << "the bike did not get across";
    EXPECT_FALSE(thrown);
    EXPECT_GT(UpY(), 0.7f) << "the bike is not on its wheels";
    EXPECT_GT(slowest, 2.0f) << "the bike was stopped at the origin";
}

INSTANTIATE_TEST_SUITE_P(Yard, RiderOriginTest,
                         ::testing::Values(Course{"Worlds\\stunt_yard.xml", "Motorcycle"}));

} // namespace

namespace
{

// Degrees: a bike at rest stands within the first, one rolling to a stop within the second.
constexpr float kStandingTilt = 3.0f;
constexpr float kCoastingTilt = 15.0f;
constexpr int kMostCoastFrames = 150;
// Frames: after a knock the bike is up again within the first; from rest it reaches riding speed within the
// second.
constexpr int kRecoverFrames = 60;
constexpr int kRideAwayFrames = 45;
// About its forward axis, in radians a second: enough to lean the standing bike past 15 degrees.
constexpr double kKnock = 16.0;
constexpr float kKnockedTilt = 15.0f;

// What the player does after GO: the throttle held for some frames (none: no key at all), a steering key
// tapped for a frame as it is let go (or none), the bike rolling to a stop; then it stands for a while,
// takes a knock from the side, stands again and rides away.
struct Halt
{
    Course course;
    int throttleFrames;
    int nudge;
    int standFrames;
};

std::ostream& operator<<(std::ostream& out, const Halt& halt)
{
    return out << halt.course << ", throttle " << halt.throttleFrames << " frames, nudge " << halt.nudge
               << ", standing " << halt.standFrames << " frames";
}

class StandingBikeTest : public PracticeRunTest, public ::testing::WithParamInterface<Halt>
{
protected:
    // Degrees between the bike's up axis and the world's.
    float Tilt() const { return std::acos(std::clamp(UpY(), -1.0f, 1.0f)) * 57.29578f; }

    // Frames with nothing held; the largest tilt they reach.
    float Stand(int frames)
    {
        float most = 0.0f;
        for (int i = 0; i < frames; ++i)
        {
            if (!Frame())
            {
                ADD_FAILURE() << "the game stopped";
                return 180.0f;
            }
            most = std::max(most, Tilt());
        }
        return most;
    }
};

TEST_P(StandingBikeTest, AtRestWithItsFeetDownTheBikeStandsUprightAndRidesAwayAgain)
{
    const Halt halt = GetParam();
    ASSERT_NO_FATAL_FAILURE(StartPractice(halt.course));
    auto* bike = dynamic_cast<MotorCycle*>(m_Vehicle);
    ASSERT_NE(bike, nullptr);

    if (halt.throttleFrames > 0)
    {
        m_Game.KeyDown(SDL_SCANCODE_W);
        for (int i = 0; i < halt.throttleFrames; ++i)
            ASSERT_TRUE(Frame());
        ASSERT_EQ(bike->GetFeetState(), MotorCycle::kRiding);
        m_Game.KeyUp(SDL_SCANCODE_W);
        if (halt.nudge != 0)
            m_Game.HoldKey(halt.nudge, 1);
        float coasting = 0.0f;
        for (int i = 0; i < kMostCoastFrames && bike->GetFeetState() != MotorCycle::kFeetDown; ++i)
        {
            ASSERT_TRUE(Frame());
            coasting = std::max(coasting, Tilt());
        }
        ASSERT_EQ(bike->GetFeetState(), MotorCycle::kFeetDown) << "the bike did not come to rest";
        EXPECT_LT(coasting, kCoastingTilt) << "rolling to a stop";
    }
    EXPECT_LT(Stand(halt.standFrames), kStandingTilt) << "standing";

    const dReal* r = dBodyGetRotation(m_Vehicle->GetBody());
    dBodySetAngularVel(m_Vehicle->GetBody(), kKnock * r[2], kKnock * r[6], kKnock * r[10]);
    EXPECT_GT(Stand(kRecoverFrames), kKnockedTilt) << "the knock did not lean the bike";
    EXPECT_LT(Stand(kRecoverFrames), kStandingTilt) << "after the knock";
    EXPECT_FALSE(bike->IsRagdolled());

    const Vector3 from = m_Vehicle->GetPosition();
    m_Game.KeyDown(SDL_SCANCODE_W);
    float riding = 0.0f;
    for (int i = 0; i < kRideAwayFrames && bike->GetFeetState() != MotorCycle::kRiding; ++i)
    {
        ASSERT_TRUE(Frame());
        riding = std::max(riding, Tilt());
    }
    m_Game.KeyUp(SDL_SCANCODE_W);
    EXPECT_EQ(bike->GetFeetState(), MotorCycle::kRiding) << "the bike did not ride away";
    EXPECT_LT(riding, kStandingTilt) << "riding away";
    EXPECT_GT(platform::Vec3Length(m_Vehicle->GetPosition() - from), 1.0f);
}

// The token arena's start faces -x, the proving ground's -z: along -z a bike ridden straight
// keeps its balance exactly, so there it is nudged as it slows.
INSTANTIATE_TEST_SUITE_P(
    Courses, StandingBikeTest,
    ::testing::Values(Halt{{"Worlds\\token_arena.xml", "Motorcycle"}, 0, 0, 600},
                      Halt{{"Worlds\\token_arena.xml", "Motorcycle"}, 40, 0, 300},
                      Halt{{"Worlds\\proving_ground.xml", "Motorcycle"}, 30, SDL_SCANCODE_D, 300}));

} // namespace

namespace
{

// Every frame comes back within this, the first of a start included; a bike's spin once froze the game
// for good, past any signal.
constexpr auto kMostFrameTime = std::chrono::seconds(30);
// The throttle spun the wheel past where a float stops turning within eight frames.
constexpr int kFeatherThrottleFrames = 30;
constexpr int kMostFramesToQuit = 5;

// The motorcycle's record with a mass of next to nothing: the throttle spins the rear wheel as fast as the
// physics lets anything spin.
class FeatherBikeTest : public PracticeRunTest
{
protected:
    void LightenTheBike()
    {
        const testsupport::TempDir& install = m_Game.Install();
        std::string gear = install.Read("InitData/StuntGear.xml");
        const size_t record = gear.find("<uniqueID>Motorcycle</uniqueID>");
        ASSERT_NE(record, std::string::npos);
        const std::string mass = "<mass>3</mass>";
        const size_t at = gear.find(mass, record);
        ASSERT_NE(at, std::string::npos);
        install.Write("InitData/StuntGear.xml", gear.replace(at, mass.size(), "<mass>1e-30</mass>"));
    }
};

TEST_F(FeatherBikeTest, WithTheThrottleHeldTheGameKeepsAnsweringAndEndsOnSigterm)
{
    ASSERT_NO_FATAL_FAILURE(LightenTheBike());
    testsupport::Watchdog watchdog(kMostFrameTime, "a frame of the feather bike's practice run did not end");
    ASSERT_NO_FATAL_FAILURE(StartPractice(Course{"Worlds\\proving_ground.xml", "Motorcycle"}));
    m_Game.KeyDown(SDL_SCANCODE_W);
    for (int i = 0; i < kFeatherThrottleFrames; ++i)
    {
        watchdog.Feed();
        ASSERT_TRUE(Frame()) << "the run ended at frame " << i;
    }
    // SDL's handler turns the signal into a quit, which the message loop takes like the player's.
    struct sigaction handler = {};
    ASSERT_EQ(sigaction(SIGTERM, nullptr, &handler), 0);
    ASSERT_NE(handler.sa_handler, SIG_DFL) << "nothing in the game takes SIGTERM";
    ASSERT_EQ(raise(SIGTERM), 0);
    bool ended = false;
    for (int i = 0; i < kMostFramesToQuit && !ended; ++i)
    {
        watchdog.Feed();
        ended = !Frame();
    }
    EXPECT_TRUE(ended) << "the game did not end on SIGTERM";
}

} // namespace
