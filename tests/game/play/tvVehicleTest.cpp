#include "game/vehicles/tvVehicle.h"

#include "engine/core/SoundManager.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaClock.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaRandom.h"
#include "engine/scene/kaContactRecord.h"
#include "engine/scene/kaGeomData.h"
#include "engine/scene/kaHinge2Joint.h"
#include "engine/scene/kaMaterial.h"
#include "engine/scene/kaParticleEmitter.h"
#include "engine/scene/kaWheelSurfaceEmitters.h"
#include "game/app/SoundCategory.h"
#include "game/app/Tarvolin.h"
#include "game/screens/HudWindow.h"
#include "game/vehicles/tvWheel.h"
#include "game/world/tvWorld.h"
#include "game/world/tvWorldSounds.h"
#include "platform/audio/NullAudioSink.h"
#include "platform/system/ManualClock.h"
#include "tests/support/RiffBuilder.h"
#include "tests/support/engine/scene/PhysicsScene.h"
#include "tests/support/game/InstallFolder.h"
#include "tests/support/game/RecordingRaceDisplay.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

using platform::Vector3;
using testsupport::RiffBuilder;

namespace
{

// The vehicle with its protected state in reach: the targets the controls would set and the step's
// contacts.
class TestVehicle : public tvVehicle
{
public:
    void SetWheelSpeedTarget(float target) { m_WheelSpeedTarget = target; }
    void SetMaxSpeed(float speed) { m_MaxSpeed = speed; }
    void SetCollisionMax(float max) { m_CollisionMax = max; }
    void SetEngineStarted(bool started) { m_EngineStarted = started; }
    // One contact of this step pushing with that force.
    void Contact(const Vector3& force)
    {
        m_Feedback.push_back(std::make_unique<dJointFeedback>());
        dJointFeedback& feedback = *m_Feedback.back();
        feedback.f1[0] = force.x;
        feedback.f1[1] = force.y;
        feedback.f1[2] = force.z;
        auto record = std::make_unique<kaContactRecord>();
        record->m_pFeedback = &feedback;
        m_ContactRecords.clear();
        m_ContactRecords.push_back(std::move(record));
        m_ContactRecordCount = 1;
        ProcessCollisionForces();
        m_ContactRecordCount = 0;
    }

private:
    std::vector<std::unique_ptr<dJointFeedback>> m_Feedback;
};

std::vector<physicstest::BonePlace> Corners()
{
    return {{"Centre", "", {0, 0, 0}},
            {"FL", "Centre", {-0.85f, -0.4f, -1.3f}},
            {"FR", "Centre", {0.85f, -0.4f, -1.3f}},
            {"RL", "Centre", {-0.85f, -0.4f, 1.3f}},
            {"RR", "Centre", {0.85f, -0.4f, 1.3f}},
            {"Pipe", "Centre", {0.0f, 0.0f, 2.0f}}};
}

float BodyForceLength(dBodyID body)
{
    const dReal* f = dBodyGetForce(body);
    return static_cast<float>(std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]));
}

// A car of four game wheels on hinge-2 joints in a course world with a HUD, smoke on three corners and
// exhaust at the pipe, and the world sounds "BeCareful" and "LaunchPlate".
class tvVehicleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Manager.Init(nullptr));
        m_Wizard.Init(&m_Manager, false);
        _ResetClockState();
        m_Clock.AdvanceSeconds(100.0);
        for (const char* name : {"careful", "launch"})
            m_Install.dir.Write(std::string("Sounds/") + name + ".wav",
                                RiffBuilder::PcmWave(1, 22050, 16,
                                                     RiffBuilder::Samples16(std::vector<int16_t>(22050, 700))));
        m_Install.dir.Write("Data/Sounds/Sounds.xml",
                            "<soundList><category><name>BeCareful</name><path>Sounds/careful.wav</path></category>"
                            "<category><name>LaunchPlate</name><path>Sounds/launch.wav</path></category>"
                            "</soundList>");
        ASSERT_TRUE(m_App.GetWorldSounds().Load("Data/Sounds/Sounds.xml"));
        m_Install.dir.Write("InitData/records.xml",
                            "<?xml version=\"1.0\"?><root>"
                            "<initData><uniqueID>Smoke</uniqueID><data><classType>kaParticleEmitter</classType>"
                            "<maxParticles>50</maxParticles><emitRate>40</emitRate>"
                            "<startVelocityFor>6</startVelocityFor></data></initData>"
                            "<initData><uniqueID>Fumes</uniqueID><data><classType>kaParticleEmitter</classType>"
                            "<maxParticles>20</maxParticles><emitRate>12</emitRate></data></initData>"
                            "<initData><uniqueID>Rubber</uniqueID><dataType>Material</dataType><data><friction>2</friction></data></initData>"
                            "</root>");
        ASSERT_TRUE(m_Data.LoadInitData("InitData"));

        m_World.SetHudWindow(&m_Display);
        m_Vehicle = new TestVehicle;
        m_World.AddEntity(m_Vehicle, true, true);
        m_Vehicle->SetModel(m_Scene.Model(Corners()));
        for (const char* name : {"FL", "FR", "RL", "RR"})
        {
            auto* wheel = new tvWheel;
            m_World.AddEntity(wheel, true, true);
            kaModel* model = m_Scene.Model({{"Hub", "", {0, 0, 0}}}, false);
            model->m_UseAltBounds = true;
            model->m_AltMin = Vector3(-0.1f, -0.3f, -0.3f);
            model->m_AltMax = Vector3(0.1f, 0.3f, 0.3f);
            wheel->SetModel(model);
            Read(*wheel, "<wheelMaterial>Rubber</wheelMaterial>");
            auto* joint = new kaHinge2Joint;
            joint->SetWorld(&m_World);
            joint->CreateJoint(&m_World);
            m_World.AddEntity(joint, true, true);
            joint->SetName(name);
            joint->Connect(m_Vehicle, name, wheel, "Hub");
            wheel->Initialize();
            m_Wheels.push_back(wheel);
        }
        Read(*m_Vehicle, "<power><joint>RL</joint></power><power><joint>RR</joint></power>"
                         "<damageEmitter><emitterInitID>Smoke</emitterInitID><bone>FL</bone><bone>nowhere</bone>"
                         "<bone>FR</bone><bone>RL</bone></damageEmitter>"
                         "<damageEmitter><emitterInitID>NoSuchRecord</emitterInitID><bone>RR</bone></damageEmitter>"
                         "<exhaustEmitter><emitterInitID>Fumes</emitterInitID><bone>Pipe</bone></exhaustEmitter>");
        m_Vehicle->Initialize();
        m_Vehicle->SetBodyEnabled(true);
        m_Display.ClearCallLog();
        SetRandomSeed(0);
    }
    void TearDown() override
    {
        m_Wizard.StopAllSounds();
        SetRandomSeed(0);
        _ResetClockState();
    }

    static void Read(kaEntity& entity, const std::string& xml)
    {
        TiXmlDocument document;
        document.Parse(("<Entity>" + xml + "</Entity>").c_str());
        ASSERT_NE(document.RootElement(), nullptr) << xml;
        entity.ReadXml(document.RootElement());
    }

    bool Playing(const std::string& category) const
    {
        const tvWorldSounds& sounds = const_cast<Tarvolin&>(m_App).GetWorldSounds();
        for (size_t i = 0; i < sounds.GetCategoryCount(); ++i)
            if (sounds.GetCategory(i)->GetName() == category)
                for (const kaSoundHandle& sound : sounds.GetCategory(i)->GetSounds())
                    if (m_Wizard.IsSoundPlaying(sound))
                        return true;
        return false;
    }

    // A hit from the side (along x) and one from below (along the car's up axis).
    static Vector3 Side(float force) { return Vector3(force, 0.0f, 0.0f); }
    static Vector3 Below(float force) { return Vector3(0.0f, force, 0.0f); }

    gametest::InstallFolder m_Install;
    platform::ManualClock m_Clock;
    platform::NullAudioSink m_Sink;
    SoundManager m_Manager;
    Wizard m_Wizard;
    Tarvolin m_App;
    kaInitDataBase m_Data;
    HudWindow m_Hud{"missing.kab"};
    // What the vehicle tells the HUD, passed on to it.
    gametest::RecordingRaceDisplay m_Display{&m_Hud};
    physicstest::Scene m_Scene;
    tvWorld m_World;
    TestVehicle* m_Vehicle = nullptr;
    std::vector<tvWheel*> m_Wheels;
};

} // namespace

TEST_F(tvVehicleTest, EmittersComeFromKnownBonesAndRecordsOnlyAndSmokeStartsOff)
{
    ASSERT_EQ(m_Vehicle->GetDamageEmitters().size(), 3u);
    ASSERT_EQ(m_Vehicle->GetExhaustEmitters().size(), 1u);
    for (kaParticleEmitter* smoke : m_Vehicle->GetDamageEmitters())
    {
        EXPECT_EQ(smoke->GetEmitRate(), 0.0f);
        EXPECT_EQ(smoke->GetBaseEmitRate(), 40.0f);
    }
    EXPECT_EQ(m_Vehicle->GetDamage(), 0.0f);
    EXPECT_EQ(m_Vehicle->GetWheels().size(), 4u);
    EXPECT_TRUE(m_Vehicle->IsWheel(m_Wheels[2]));
    EXPECT_FALSE(m_Vehicle->IsWheel(m_Vehicle));
    EXPECT_FALSE(m_Vehicle->IsWheel(nullptr));
    for (tvWheel* wheel : m_Wheels)
        EXPECT_EQ(wheel->GetJoinedVehicle(), m_Vehicle);
}

TEST_F(tvVehicleTest, TimedEffectsStackOnlyToTheirCapsAndTakeTheNewCapAfterwards)
{
    m_Vehicle->AddTurbo(5.0f, 150.0f, 8.0f);
    m_Vehicle->AddTurbo(5.0f, 150.0f, 8.0f);
    EXPECT_EQ(m_Vehicle->GetBoostTime(), 8.0f);
    EXPECT_EQ(m_Vehicle->GetBoostForce(), 150.0f);
    m_Vehicle->AddGravity(6.0f, 300.0f, 3.0f);
    // Capped by the max in force before the call, which the call then changes.
    EXPECT_EQ(m_Vehicle->GetSecondBoostTime(), 6.0f);
    m_Vehicle->AddGravity(6.0f, 300.0f, 3.0f);
    EXPECT_EQ(m_Vehicle->GetSecondBoostTime(), 3.0f);
    for (int i = 0; i < 3; ++i)
        m_Vehicle->AddJump(9.0f, 30.0f, 20.0f);
    EXPECT_EQ(m_Vehicle->GetJumpTime(), 20.0f);
    EXPECT_EQ(m_Vehicle->GetJumpStrength(), 30.0f);
}

TEST_F(tvVehicleTest, ABoostPushesByTheThrottlesShareOfTopSpeedAndNothingWithoutThrottleOrTopSpeed)
{
    const struct
    {
        float target;
        float maxSpeed;
        float force;
    } cases[] = {{80.0f, 80.0f, 100.0f}, {40.0f, 80.0f, 50.0f}, {0.0f, 80.0f, 0.0f}, {80.0f, 0.0f, 0.0f},
                 {80.0f, -5.0f, 0.0f}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.maxSpeed);
        dBodySetForce(m_Vehicle->GetBody(), 0.0, 0.0, 0.0);
        m_Vehicle->AddTurbo(1.0f, 100.0f, 8.0f);
        m_Vehicle->SetMaxSpeed(c.maxSpeed);
        m_Vehicle->SetWheelSpeedTarget(c.target);
        m_Display.ClearCallLog();
        const float before = m_Vehicle->GetBoostTime();
        m_Vehicle->Update(0.1f);
        EXPECT_NEAR(m_Vehicle->GetLastBoostForce(), c.force, 1e-3f);
        EXPECT_NEAR(BodyForceLength(m_Vehicle->GetBody()), c.force, 1e-3f);
        EXPECT_TRUE(std::isfinite(BodyForceLength(m_Vehicle->GetBody())));
        EXPECT_NEAR(m_Vehicle->GetBoostTime(), before - 0.1f, 1e-5f);
        EXPECT_EQ(m_Display.CountCalls("ShowPowerUpIcon 2"), 1u);
    }
    m_Vehicle->Update(8.0f);
    // Out of boost: the icon goes, nothing is pushed.
    m_Vehicle->SetMaxSpeed(80.0f);
    m_Display.ClearCallLog();
    m_Vehicle->Update(0.1f);
    EXPECT_EQ(m_Vehicle->GetLastBoostForce(), 0.0f);
    EXPECT_EQ(m_Display.CountCalls("HidePowerUpIcon 2"), 1u);
    EXPECT_FALSE(m_Hud.IsPowerUpIconVisible(2));
}

TEST_F(tvVehicleTest, TheSecondBoostReplacesTheFirstAndTimersRunDownToZero)
{
    m_Vehicle->SetWheelSpeedTarget(80.0f);
    m_Vehicle->AddTurbo(0.15f, 100.0f, 8.0f);
    m_Vehicle->AddGravity(0.15f, 200.0f, 8.0f);
    m_Vehicle->Update(0.1f);
    EXPECT_NEAR(m_Vehicle->GetLastBoostForce(), 200.0f, 1e-3f);
    m_Vehicle->Update(0.1f);
    m_Vehicle->Update(0.1f);
    EXPECT_EQ(m_Vehicle->GetBoostTime(), 0.0f);
    EXPECT_EQ(m_Vehicle->GetSecondBoostTime(), 0.0f);
    EXPECT_EQ(m_Vehicle->GetLastBoostForce(), 0.0f);
}

TEST_F(tvVehicleTest, JumpAndLaunchLiftTheBodyByMassAndTheLaunchPlaysItsSound)
{
    const float mass = static_cast<float>(m_Vehicle->GetMass().mass);
    ASSERT_GT(mass, 0.0f);
    m_Vehicle->AddJump(0.05f, 10.0f, 20.0f);
    dBodySetForce(m_Vehicle->GetBody(), 0.0, 0.0, 0.0);
    m_Vehicle->Update(0.1f);
    EXPECT_NEAR(dBodyGetForce(m_Vehicle->GetBody())[1], 10.0f * mass, 1e-3f);
    EXPECT_EQ(m_Display.CountCalls("ShowPowerUpIcon 5"), 1u);
    EXPECT_EQ(m_Vehicle->GetJumpTime(), 0.0f);

    m_Vehicle->AddLaunch(30.0f);
    EXPECT_TRUE(Playing("LaunchPlate"));
    EXPECT_EQ(m_Vehicle->GetLaunchTime(), 0.5f);
    EXPECT_NEAR(m_Vehicle->GetLaunchForce(), 30.0f * mass, 1e-3f);
    // A weaker plate does not lower the push.
    m_Vehicle->AddLaunch(10.0f);
    EXPECT_NEAR(m_Vehicle->GetLaunchForce(), 30.0f * mass, 1e-3f);
    dBodySetForce(m_Vehicle->GetBody(), 0.0, 0.0, 0.0);
    m_Vehicle->Update(0.3f);
    EXPECT_NEAR(dBodyGetForce(m_Vehicle->GetBody())[1], 30.0f * mass, 1e-2f);
    m_Vehicle->Update(0.3f);
    m_Vehicle->Update(0.3f);
    EXPECT_EQ(m_Vehicle->GetLaunchTime(), 0.0f);
    EXPECT_EQ(m_Vehicle->GetLaunchForce(), 0.0f);
}

TEST_F(tvVehicleTest, ImpactsCountByTheirAngleToTheUpAxisAndAWindowAddsAtMostTen)
{
    // Straight up into the car, however hard: nothing.
    m_Vehicle->Contact(Below(1.0e6f));
    EXPECT_EQ(m_Vehicle->GetDamage(), 0.0f);
    EXPECT_FALSE(m_Vehicle->IsHitOpen());
    // From the side, below the threshold: nothing.
    m_Vehicle->Contact(Side(3400.0f));
    EXPECT_EQ(m_Vehicle->GetDamage(), 0.0f);
    // From the side over it: collisionMax (default) scales a share of ten.
    const float max = m_Vehicle->GetCollisionMax();
    ASSERT_GT(max, 3600.0f);
    m_Vehicle->Contact(Side(3600.0f));
    const float first = 3600.0f / max * 10.0f;
    EXPECT_NEAR(m_Vehicle->GetDamage(), first, 1e-4f);
    EXPECT_TRUE(m_Vehicle->IsHitOpen());
    EXPECT_EQ(m_Hud.GetDamage(), m_Vehicle->GetDamage());
    // Hard hits in the same window stop at ten in all.
    for (int i = 0; i < 5; ++i)
        m_Vehicle->Contact(Side(max * 4.0f));
    EXPECT_NEAR(m_Vehicle->GetDamage(), 10.0f, 1e-4f);
    // Half-way off the up axis (22.5 degrees): half strength against the threshold.
    m_Vehicle->Update(1.05f);
    EXPECT_FALSE(m_Vehicle->IsHitOpen());
    const float tilt = 0.39269908f;
    m_Vehicle->Contact(Vector3(std::sin(tilt), std::cos(tilt), 0.0f) * 6000.0f);
    EXPECT_NEAR(m_Vehicle->GetDamage(), 10.0f, 1e-4f);
    m_Vehicle->Contact(Vector3(std::sin(tilt), std::cos(tilt), 0.0f) * 8000.0f);
    EXPECT_NEAR(m_Vehicle->GetDamage(), 10.0f + std::min(8000.0f, max) / max * 10.0f, 1e-3f);
}

TEST_F(tvVehicleTest, ACollisionMaxOfZeroOrLessCountsTheImpactAtFullStrengthInsteadOfNaN)
{
    for (float max : {0.0f, -50.0f})
    {
        SCOPED_TRACE(max);
        m_Vehicle->SetDamage(0.0f);
        m_Vehicle->Update(2.0f);
        m_Vehicle->SetCollisionMax(max);
        m_Vehicle->Contact(Side(5000.0f));
        EXPECT_EQ(m_Vehicle->GetDamage(), 10.0f);
    }
}

TEST_F(tvVehicleTest, PracticeTakesNoDamageFromImpactsGearOrGrates)
{
    m_World.SetGameMode(0);
    m_Vehicle->Contact(Side(1.0e5f));
    m_Vehicle->AddImpactDamage(25.0f);
    m_Wheels[0]->SetGrateFrames(2);
    m_Wheels[0]->Update(0.016f);
    EXPECT_EQ(m_Vehicle->GetDamage(), 0.0f);
    EXPECT_EQ(m_Vehicle->GetHitDamage(), 0.0f);
    // The same in a run.
    m_World.SetGameMode(1);
    m_Vehicle->AddImpactDamage(25.0f);
    EXPECT_EQ(m_Vehicle->GetDamage(), 25.0f);
    EXPECT_EQ(m_Vehicle->GetHitDamage(), 25.0f);
}

TEST_F(tvVehicleTest, SmokeIsOffBelowTwentyAndOneDrawnEmitterFollowsTheDamageAbove)
{
    m_Vehicle->SetDamage(50.0f);
    SetRandomSeed(0);
    const int chosen = RandomInt(3);
    SetRandomSeed(0);
    m_Vehicle->SetDamage(50.0f);
    const auto& smoke = m_Vehicle->GetDamageEmitters();
    EXPECT_EQ(smoke[static_cast<size_t>(chosen)]->GetEmitRate(), 20.0f);
    EXPECT_EQ(smoke[static_cast<size_t>(chosen)]->GetStartVelocity(), 3.0f);
    for (int other = 0; other < 3; ++other)
    {
        m_Vehicle->SetDamage(70.0f);
        m_Vehicle->SetDamage(50.0f);
    }
    int lit = 0;
    for (kaParticleEmitter* emitter : smoke)
        lit += emitter->GetEmitRate() > 0.0f ? 1 : 0;
    EXPECT_GE(lit, 1);
    m_Vehicle->SetDamage(19.0f);
    for (kaParticleEmitter* emitter : smoke)
        EXPECT_EQ(emitter->GetEmitRate(), 0.0f);
    // The HUD hears of changes only.
    m_Display.ClearCallLog();
    m_Vehicle->SetDamage(19.0f);
    m_Vehicle->SetDamage(30.0f);
    EXPECT_EQ(m_Display.GetCallLog(), (std::vector<std::string>{"SetDamage 30"}));
}

TEST_F(tvVehicleTest, NearDeathWarnsOncePerThreeSecondsOfSilenceAndEightyIsNotNear)
{
    m_Vehicle->SetDamage(80.0f);
    EXPECT_FALSE(Playing("BeCareful"));
    EXPECT_FALSE(m_Vehicle->IsNearDeath());
    m_Vehicle->SetDamage(85.0f);
    EXPECT_TRUE(Playing("BeCareful"));
    EXPECT_TRUE(m_Vehicle->IsNearDeath());
    const float played = m_App.GetWorldSounds().GetLastPlayTime();
    m_Wizard.StopAllSounds();
    m_Clock.AdvanceSeconds(2.0);
    m_Vehicle->SetDamage(86.0f);
    EXPECT_FALSE(Playing("BeCareful"));
    EXPECT_EQ(m_App.GetWorldSounds().GetLastPlayTime(), played);
    m_Clock.AdvanceSeconds(1.5);
    m_Vehicle->SetDamage(87.0f);
    EXPECT_TRUE(Playing("BeCareful"));
    // A wreck is past warning; the mark stays.
    m_Wizard.StopAllSounds();
    m_Clock.AdvanceSeconds(5.0);
    m_Vehicle->SetDamage(100.0f);
    EXPECT_FALSE(Playing("BeCareful"));
    EXPECT_TRUE(m_Vehicle->IsNearDeath());
}

TEST_F(tvVehicleTest, ExhaustRunsWhileTheEngineRunsSlowly)
{
    kaParticleEmitter* fumes = m_Vehicle->GetExhaustEmitters().front();
    const struct
    {
        bool started;
        float speed;
        float rate;
    } cases[] = {{false, 10.0f, 0.0f}, {true, 10.0f, 12.0f}, {true, 38.0f, 12.0f}, {true, 38.5f, 0.0f}};
    for (const auto& c : cases)
    {
        m_Vehicle->SetEngineStarted(c.started);
        m_Vehicle->UpdateEngineSound(c.speed);
        EXPECT_EQ(fumes->GetEmitRate(), c.rate) << c.started << " " << c.speed;
    }
}

TEST_F(tvVehicleTest, MudAndOilHoldTheirGripOneFrameAfterContactThenLetGo)
{
    tvWheel* wheel = m_Wheels[0];
    ASSERT_EQ(wheel->GetTyreFriction(), 2.0f);
    const struct
    {
        void (tvWheel::*set)(int32_t);
        float factor;
    } cases[] = {{&tvWheel::SetMudFrames, 0.55f}, {&tvWheel::SetOilFrames, 0.15f}};
    for (const auto& c : cases)
    {
        (wheel->*c.set)(tvWheel::kSurfaceFrames);
        wheel->Update(0.016f);
        EXPECT_NEAR(wheel->GetTyreFriction(), 2.0f * c.factor, 1e-5f);
        wheel->Update(0.016f);
        EXPECT_EQ(wheel->GetTyreFriction(), 2.0f);
        EXPECT_EQ(wheel->GetSurfaceEmitters()->GetForcedMaterial(), nullptr);
        wheel->Update(0.016f);
        EXPECT_EQ(wheel->GetTyreFriction(), 2.0f);
    }
    // The mud drags the wheel against its motion, also on its last frame.
    dBodySetLinearVel(wheel->GetBody(), 3.0, 0.0, -4.0);
    wheel->SetMudFrames(1);
    dBodySetForce(wheel->GetBody(), 0.0, 0.0, 0.0);
    wheel->Update(0.016f);
    const dReal* drag = dBodyGetForce(wheel->GetBody());
    EXPECT_NEAR(drag[0], -3.0, 1e-4);
    EXPECT_NEAR(drag[2], 4.0, 1e-4);
}

TEST_F(tvVehicleTest, AGrateJoltsTheWheelByTheVehiclesMassAndDamagesAtItsOwnPace)
{
    tvWheel* wheel = m_Wheels[1];
    const float mass = static_cast<float>(m_Vehicle->GetMass().mass);
    SetRandomSeed(0);
    const float r1 = RandomFloat();
    const float r2 = RandomFloat();
    SetRandomSeed(0);
    wheel->SetGrateFrames(2);
    dBodySetForce(wheel->GetBody(), 0.0, 0.0, 0.0);
    wheel->Update(0.1f);
    EXPECT_NEAR(BodyForceLength(wheel->GetBody()), (20.0f + 20.0f * r1) * mass, 1e-2f);
    EXPECT_NEAR(m_Vehicle->GetDamage(), 2.0f * r1, 1e-5f);
    EXPECT_NEAR(m_Vehicle->GetHitDamage(), 2.0f * r1, 1e-5f);
    EXPECT_NEAR(wheel->GetGrateTimer(), 0.5f + 0.5f * r2 - 0.1f, 1e-5f);
    // Not again until the timer runs out.
    dBodySetForce(wheel->GetBody(), 0.0, 0.0, 0.0);
    wheel->Update(0.1f);
    EXPECT_EQ(BodyForceLength(wheel->GetBody()), 0.0f);
    EXPECT_EQ(wheel->GetGrateFrames(), 0);
}

TEST_F(tvVehicleTest, AWheelOnNoVehicleSkipsTheGratesJoltAndDamage)
{
    auto* loose = new tvWheel;
    m_World.AddEntity(loose, true, true);
    kaModel* model = m_Scene.Model({{"Hub", "", {0, 0, 0}}}, false);
    model->m_UseAltBounds = true;
    model->m_AltMin = Vector3(-0.1f, -0.3f, -0.3f);
    model->m_AltMax = Vector3(0.1f, 0.3f, 0.3f);
    loose->SetModel(model);
    loose->Initialize();
    ASSERT_EQ(loose->GetJoinedVehicle(), nullptr);
    loose->SetGrateFrames(2);
    dBodySetForce(loose->GetBody(), 0.0, 0.0, 0.0);
    loose->Update(0.1f);
    EXPECT_EQ(BodyForceLength(loose->GetBody()), 0.0f);
    EXPECT_EQ(m_Vehicle->GetDamage(), 0.0f);
    // The timer still runs, so the grate keeps its pace.
    EXPECT_GT(loose->GetGrateTimer(), 0.0f);
}
