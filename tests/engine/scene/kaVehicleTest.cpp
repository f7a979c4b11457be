#include "engine/scene/kaVehicle.h"

#include "engine/core/DirectInputManager.h"
#include "engine/core/SoundManager.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaClock.h"
#include "engine/scene/kaHinge2Joint.h"
#include "engine/scene/kaWheel.h"
#include "engine/scene/kaWheelSurfaceEmitters.h"
#include "platform/audio/NullAudioSink.h"
#include "platform/input/ScriptedDevice.h"
#include "platform/input/ScriptedDirectInput.h"
#include "platform/system/ManualClock.h"
#include "tests/support/RiffBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/scene/PhysicsScene.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

using physicstest::Scene;
using platform::ScriptedDevice;
using platform::Vector3;
using testsupport::RiffBuilder;

namespace
{

void ReadXml(kaEntity& entity, const std::string& text)
{
    TiXmlDocument document;
    document.Parse(text.c_str());
    ASSERT_NE(document.RootElement(), nullptr) << text;
    entity.ReadXml(document.RootElement());
}

// What the player holds in one frame: the keys W, A, S, D and the stick's two axes.
struct Hold
{
    bool w = false, a = false, s = false, d = false;
    int32_t x = 0, y = 0;
};

// Input as the game binds it by default: keys W (throttle), S (brake), A and D (steering), and a stick
// whose y axis gives the throttle its forward half and the brake its backward half, and whose x axis gives
// action 8 its right half and action 9 its left half. Frames are timed by a test clock.
class VehicleInput
{
public:
    VehicleInput()
    {
        m_Keyboard = std::make_shared<ScriptedDevice>("Keyboard", platform::kDi8DevTypeKeyboard, 1);
        for (const char* key : {"W", "A", "S", "D"})
            m_Keyboard->AddButton(key);
        m_Stick = std::make_shared<ScriptedDevice>("Stick", platform::kDi8DevTypeJoystick, 2);
        m_Stick->AddAxis("X-axis", platform::kGuidXAxis, false);
        m_Stick->AddAxis("Y-axis", platform::kGuidYAxis, false);
        const std::vector<std::shared_ptr<ScriptedDevice>> scripts{m_Keyboard, m_Stick};
        m_Previous = platform::SetDirectInputFactory(
            [scripts]
            { return std::unique_ptr<platform::DirectInput8>(new platform::ScriptedDirectInput(scripts)); });
        EXPECT_TRUE(m_Manager.Init());
        const int keyboard = m_Manager.FindDeviceByType(InputDevice::kTypeKeyboard);
        const int stick = m_Manager.FindDeviceByType(InputDevice::kTypeJoystick);
        auto key = [&](const char* name) { return m_Manager.FindDeviceControlByName(keyboard, name); };
        EXPECT_TRUE(m_Manager.AddBinding(6, keyboard, key("W"), InputManager::kRangeNegative, 0));
        EXPECT_TRUE(m_Manager.AddBinding(7, keyboard, key("S"), InputManager::kRangePositive, 0));
        EXPECT_TRUE(m_Manager.AddBinding(8, keyboard, key("A"), InputManager::kRangePositive, 0));
        EXPECT_TRUE(m_Manager.AddBinding(9, keyboard, key("D"), InputManager::kRangeNegative, 0));
        const int x = m_Manager.FindDeviceControlByCode(stick, 1);
        const int y = m_Manager.FindDeviceControlByCode(stick, 2);
        EXPECT_TRUE(m_Manager.AddBinding(6, stick, y, InputManager::kRangeNegative, 0));
        EXPECT_TRUE(m_Manager.AddBinding(7, stick, y, InputManager::kRangePositive, 0));
        EXPECT_TRUE(m_Manager.AddBinding(8, stick, x, InputManager::kRangePositive, 0));
        EXPECT_TRUE(m_Manager.AddBinding(9, stick, x, InputManager::kRangeNegative, 0));
        _ResetClockState();
        GetTime(6);
    }
    ~VehicleInput()
    {
        platform::SetDirectInputFactory(m_Previous);
        _ResetClockState();
    }

    // One frame of that length with these controls held: polled, then the vehicle's control law.
    void Frame(kaVehicle& vehicle, const Hold& hold, double seconds = 0.016)
    {
        m_Keyboard->PushReading({hold.w, hold.a, hold.s, hold.d});
        m_Stick->PushReading({hold.x, hold.y});
        m_Manager.Update();
        m_Clock.AdvanceSeconds(seconds);
        vehicle.UpdateControl(static_cast<float>(GetTime(6)));
    }

    InputManager& Manager() { return m_Manager; }

private:
    platform::ManualClock m_Clock;
    std::shared_ptr<ScriptedDevice> m_Keyboard;
    std::shared_ptr<ScriptedDevice> m_Stick;
    platform::DirectInputFactory m_Previous;
    DirectInputManager m_Manager;
};

// A vehicle in a physics world whose body velocity the test sets.
class VehicleControlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Vehicle = new kaVehicle;
        m_Scene.world.AddEntity(m_Vehicle, true, true);
        m_Vehicle->SetModel(m_Scene.Model());
        m_Vehicle->Initialize();
        ASSERT_NE(m_Vehicle->GetBody(), nullptr);
    }

    void Moving(float speed) { dBodySetLinearVel(m_Vehicle->GetBody(), 0.0, 0.0, -speed); }

    Scene m_Scene;
    VehicleInput m_Input;
    kaVehicle* m_Vehicle = nullptr;
};

TEST_F(VehicleControlTest, TheStickAndTheKeysReachTheActionsAsTheDefaultsBindThem)
{
    int32_t kind = 0;
    m_Input.Frame(*m_Vehicle, Hold{true, false, false, true});
    EXPECT_EQ(m_Input.Manager().GetActionValue(6, &kind, 0), -32768);
    EXPECT_EQ(kind, InputDevice::kKindButton);
    EXPECT_EQ(m_Input.Manager().GetActionValue(9, &kind, 0), -32768);
    Hold stick;
    stick.x = -16384;
    stick.y = 32768;
    m_Input.Frame(*m_Vehicle, stick);
    EXPECT_EQ(m_Input.Manager().GetActionValue(9, &kind, 0), -16384);
    EXPECT_EQ(kind, InputDevice::kKindAbsoluteAxis);
    EXPECT_EQ(m_Input.Manager().GetActionValue(7, &kind, 0), 32768);
    EXPECT_EQ(m_Input.Manager().GetActionValue(8, &kind, 0), 0);
}

TEST_F(VehicleControlTest, DigitalSteeringTurnsBySteerRateTimesDtSlowerWithSpeed)
{
    struct Case
    {
        float speed;
        Hold hold;
        float step;
    };
    // At rest the full rate 0.5 per second; at maxSpeed (80) and beyond 0.3 of it; between, a share.
    const float dt = 0.016f;
    const float halfway = (1.0f - 0.25f) * 0.7f + 0.3f;
    const Case cases[] = {
        {0.0f, Hold{false, true}, 0.5f * dt},
        {0.0f, Hold{false, false, false, true}, -0.5f * dt},
        {80.0f, Hold{false, true}, 0.3f * 0.5f * dt},
        {200.0f, Hold{false, false, false, true}, -0.3f * 0.5f * dt},
        {40.0f, Hold{false, true}, halfway * 0.5f * dt},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.speed);
        Moving(c.speed);
        const float before = m_Vehicle->GetSteer();
        m_Input.Frame(*m_Vehicle, c.hold);
        EXPECT_NEAR(m_Vehicle->GetSteer() - before, c.step, 1e-5f);
        m_Input.Frame(*m_Vehicle, c.hold);
        EXPECT_NEAR(m_Vehicle->GetSteer() - before, 2.0f * c.step, 1e-5f);
    }
}

TEST_F(VehicleControlTest, WithoutInputTheSteeringDecaysByDtThenSnapsToZero)
{
    // Two frames of half a second at full rate bring it to 0.5.
    m_Input.Frame(*m_Vehicle, Hold{false, true}, 0.5);
    m_Input.Frame(*m_Vehicle, Hold{false, true}, 0.5);
    ASSERT_NEAR(m_Vehicle->GetSteer(), 0.5f, 1e-6f);
    m_Input.Frame(*m_Vehicle, Hold{});
    EXPECT_NEAR(m_Vehicle->GetSteer(), 0.0076f, 1e-6f);
    m_Input.Frame(*m_Vehicle, Hold{});
    EXPECT_EQ(m_Vehicle->GetSteer(), 0.0f);
    // The same from the other side, and the target never passes the limit.
    for (int frame = 0; frame < 10; ++frame)
        m_Input.Frame(*m_Vehicle, Hold{false, false, false, true}, 0.5);
    EXPECT_EQ(m_Vehicle->GetSteer(), -m_Vehicle->GetSteerLimit());
    m_Input.Frame(*m_Vehicle, Hold{});
    EXPECT_NEAR(m_Vehicle->GetSteer(), -0.75f * 0.016f * 0.95f, 1e-6f);
}

TEST_F(VehicleControlTest, TheStickSteersToEightTenthsOfTheLimitEitherWay)
{
    struct Case
    {
        int32_t x;
        float steer;
    };
    // Right of centre steers negative, left positive: -x / 32768 x 0.75 x 0.8; centred, it decays.
    const Case cases[] = {
        {16384, -0.3f}, {-16384, 0.3f}, {32767, -0.59998f}, {-32768, 0.6f}, {0, 0.6f * 0.016f * 0.95f}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.x);
        Hold hold;
        hold.x = c.x;
        m_Input.Frame(*m_Vehicle, hold);
        EXPECT_NEAR(m_Vehicle->GetSteer(), c.steer, 1e-4f);
    }
}

TEST_F(VehicleControlTest, ThrottleSetsTheWheelSpeedTargetBeyondItsDeadZone)
{
    struct Case
    {
        Hold hold;
        float target;
        bool active;
    };
    const auto stick = [](int32_t y)
    {
        Hold hold;
        hold.y = y;
        return hold;
    };
    const Case cases[] = {
        {Hold{true}, 80.0f, true},    {stick(-32768), 80.0f, true},
        {stick(-16384), 40.0f, true}, {stick(-2001), 2001.0f / 32768.0f * 80.0f, true},
        {stick(-2000), 0.0f, false},  {Hold{}, 0.0f, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.hold.y);
        m_Input.Frame(*m_Vehicle, c.hold);
        EXPECT_NEAR(m_Vehicle->GetWheelSpeedTarget(), c.target, 1e-4f);
        EXPECT_EQ(m_Vehicle->IsDriveActive(), c.active);
        EXPECT_EQ(m_Vehicle->GetPowerScale(), 1.0f);
    }
}

TEST_F(VehicleControlTest, TheBrakeStopsThenReversesOnceSlowAndReleasingResetsIt)
{
    const Hold brake{false, false, true};
    m_Input.Frame(*m_Vehicle, Hold{true});
    Moving(10.0f);
    // The first frame only decides; from the next the target is 0 while fast.
    m_Input.Frame(*m_Vehicle, brake);
    EXPECT_EQ(m_Vehicle->GetBrakeState(), kaVehicle::kBraking);
    EXPECT_TRUE(m_Vehicle->IsBrakeHeld());
    m_Input.Frame(*m_Vehicle, brake);
    EXPECT_EQ(m_Vehicle->GetWheelSpeedTarget(), 0.0f);
    EXPECT_EQ(m_Vehicle->GetLastBrakeTarget(), 0.0f);
    EXPECT_TRUE(m_Vehicle->IsDriveActive());
    // v^2 just above 0.5 still brakes; below it the state turns to reversing and then reverses.
    Moving(0.71f);
    m_Input.Frame(*m_Vehicle, brake);
    EXPECT_EQ(m_Vehicle->GetBrakeState(), kaVehicle::kBraking);
    Moving(0.7f);
    m_Input.Frame(*m_Vehicle, brake);
    EXPECT_EQ(m_Vehicle->GetBrakeState(), kaVehicle::kReversing);
    EXPECT_EQ(m_Vehicle->GetWheelSpeedTarget(), 0.0f);
    m_Input.Frame(*m_Vehicle, brake);
    EXPECT_EQ(m_Vehicle->GetWheelSpeedTarget(), -80.0f);
    EXPECT_EQ(m_Vehicle->GetLastBrakeTarget(), -80.0f);
    m_Input.Frame(*m_Vehicle, Hold{});
    EXPECT_EQ(m_Vehicle->GetBrakeState(), kaVehicle::kIdle);
    EXPECT_FALSE(m_Vehicle->IsBrakeHeld());
    EXPECT_EQ(m_Vehicle->GetWheelSpeedTarget(), 0.0f);
    EXPECT_FALSE(m_Vehicle->IsDriveActive());
    // At rest the brake's first frame goes straight to reversing.
    Moving(0.0f);
    m_Input.Frame(*m_Vehicle, brake);
    EXPECT_EQ(m_Vehicle->GetBrakeState(), kaVehicle::kReversing);
    m_Input.Frame(*m_Vehicle, brake);
    EXPECT_EQ(m_Vehicle->GetWheelSpeedTarget(), -80.0f);
}

TEST_F(VehicleControlTest, WithThrottleAndBrakeTheThrottleHoldsOnlyTheBrakesFirstFrame)
{
    Moving(10.0f);
    m_Input.Frame(*m_Vehicle, Hold{true, false, true});
    EXPECT_EQ(m_Vehicle->GetWheelSpeedTarget(), 80.0f);
    EXPECT_EQ(m_Vehicle->GetLastBrakeTarget(), 80.0f);
    m_Input.Frame(*m_Vehicle, Hold{true, false, true});
    EXPECT_EQ(m_Vehicle->GetWheelSpeedTarget(), 0.0f);
    Moving(0.0f);
    m_Input.Frame(*m_Vehicle, Hold{true, false, true});
    m_Input.Frame(*m_Vehicle, Hold{true, false, true});
    EXPECT_EQ(m_Vehicle->GetWheelSpeedTarget(), -80.0f);
}

TEST_F(VehicleControlTest, AnAnalogueBrakeScalesThePowerAndTheReverseSpeed)
{
    Hold half;
    half.y = 16384;
    Hold dead;
    dead.y = 2000;
    Moving(10.0f);
    m_Input.Frame(*m_Vehicle, dead);
    EXPECT_FALSE(m_Vehicle->IsBrakeHeld());
    m_Input.Frame(*m_Vehicle, half);
    m_Input.Frame(*m_Vehicle, half);
    EXPECT_NEAR(m_Vehicle->GetPowerScale(), 0.5f, 1e-6f);
    Moving(0.0f);
    m_Input.Frame(*m_Vehicle, half);
    m_Input.Frame(*m_Vehicle, half);
    EXPECT_EQ(m_Vehicle->GetBrakeState(), kaVehicle::kReversing);
    EXPECT_NEAR(m_Vehicle->GetWheelSpeedTarget(), -40.0f, 1e-4f);
    EXPECT_EQ(m_Vehicle->GetPowerScale(), 1.0f);
}

TEST_F(VehicleControlTest, AMaxSpeedOfZeroSteersAtTheSlowestRateInsteadOfNaN)
{
    ReadXml(*m_Vehicle, "<e><maxSpeed>0</maxSpeed></e>");
    for (float speed : {0.0f, 5.0f})
    {
        Moving(speed);
        const float before = m_Vehicle->GetSteer();
        m_Input.Frame(*m_Vehicle, Hold{false, true});
        EXPECT_NEAR(m_Vehicle->GetSteer() - before, 0.3f * 0.5f * 0.016f, 1e-6f);
    }
    EXPECT_TRUE(std::isfinite(m_Vehicle->GetSteer()));
}

// A vehicle with four wheels hung on hinge-2 joints named as the records name them, and an engine sound
// made of three generated waves, heard on a null output.
class VehicleDriveTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Manager.Init(nullptr));
        m_Wizard.Init(&m_Manager, true);
        const std::string start = Wave("start.wav");
        const std::string loop = Wave("loop.wav");
        const std::string stop = Wave("stop.wav");
        m_Vehicle = new kaVehicle;
        m_Scene.world.AddEntity(m_Vehicle, true, true);
        m_Vehicle->SetModel(m_Scene.Model(Corners()));
        for (const char* name : {"FL", "FR", "RL", "RR"})
        {
            auto* wheel = new kaWheel;
            m_Scene.world.AddEntity(wheel, true, true);
            kaModel* model = m_Scene.Model({{"Hub", "", {0, 0, 0}}}, false);
            model->m_UseAltBounds = true;
            model->m_AltMin = Vector3(-0.1f, -0.3f, -0.3f);
            model->m_AltMax = Vector3(0.1f, 0.3f, 0.3f);
            wheel->SetModel(model);
            auto* joint = m_Scene.Make<kaHinge2Joint>();
            joint->SetName(name);
            joint->Connect(m_Vehicle, name, wheel, "Hub");
            wheel->Initialize();
            m_Wheels.push_back(wheel);
            m_Joints.push_back(joint);
        }
        ReadXml(*m_Vehicle,
                "<e><steering><joint>FL</joint><joint>RL</joint></steering>"
                "<steering><joint>FR</joint></steering><steering><joint>nowhere</joint></steering>"
                "<power><joint>RL</joint></power><power><joint>RR</joint></power>"
                "<wheelEmitterBone><wheelName>FL</wheelName><boneName>FL</boneName></wheelEmitterBone>"
                "<wheelEmitterBone><wheelName>FR</wheelName><boneName>nowhere</boneName>"
                "</wheelEmitterBone>"
                "<startSound>" +
                    start + "</startSound><loopSound>" + loop + "</loopSound><stopSound>" + stop +
                    "</stopSound></e>");
        m_Vehicle->Initialize();
    }

    static std::vector<physicstest::BonePlace> Corners()
    {
        return {{"Centre", "", {0, 0, 0}},
                {"FL", "Centre", {-0.85f, -0.4f, -1.3f}},
                {"FR", "Centre", {0.85f, -0.4f, -1.3f}},
                {"RL", "Centre", {-0.85f, -0.4f, 1.3f}},
                {"RR", "Centre", {0.85f, -0.4f, 1.3f}}};
    }

    std::string Wave(const std::string& name)
    {
        return m_Dir.Write(name, RiffBuilder::PcmWave(
                                     1, 22050, 16, RiffBuilder::Samples16(std::vector<int16_t>(2205, 100))));
    }

    static float Param(const kaJoint* joint, int parameter)
    {
        return static_cast<float>(dJointGetHinge2Param(joint->GetODEJoint(), parameter));
    }

    kaSoundHandle LoopPart() const
    {
        kaSoundHandle loop;
        loop.id = m_Vehicle->GetEngineSound().id2;
        return loop;
    }

    platform::NullAudioSink m_Sink;
    testsupport::TempDir m_Dir;
    SoundManager m_Manager;
    Wizard m_Wizard;
    Scene m_Scene;
    VehicleInput m_Input;
    kaVehicle* m_Vehicle = nullptr;
    std::vector<kaWheel*> m_Wheels;
    std::vector<kaJoint*> m_Joints;
};

TEST_F(VehicleDriveTest, JointsAreNamedByTheFirstJointOfEachElementAndTheWheelsKeptInJointOrder)
{
    EXPECT_EQ(m_Vehicle->GetSteeringJoints(), (std::vector<kaJoint*>{m_Joints[0], m_Joints[1]}));
    EXPECT_EQ(m_Vehicle->GetPowerJoints(), (std::vector<kaJoint*>{m_Joints[2], m_Joints[3]}));
    EXPECT_EQ(m_Vehicle->GetWheels(), m_Wheels);
    // The front left wheel's emitters sit at the vehicle's bone; an unknown bone leaves them at the wheel.
    EXPECT_EQ(m_Wheels[0]->GetSurfaceEmitters()->GetVehicle(), m_Vehicle);
    EXPECT_EQ(m_Wheels[0]->GetSurfaceEmitters()->GetBone(), m_Vehicle->GetBoneIndex("FL"));
    EXPECT_EQ(m_Wheels[1]->GetSurfaceEmitters()->GetVehicle(), nullptr);
    EXPECT_EQ(m_Wheels[1]->GetSurfaceEmitters()->GetBone(), -1);
    // A wheel whose joint goes leaves every list; the others keep their order.
    m_Joints[2]->Detach();
    EXPECT_EQ(m_Vehicle->GetPowerJoints(), (std::vector<kaJoint*>{m_Joints[3]}));
    EXPECT_EQ(m_Vehicle->GetWheels(), (std::vector<kaWheel*>{m_Wheels[0], m_Wheels[1], m_Wheels[3]}));
    m_Joints[0]->Detach();
    EXPECT_EQ(m_Vehicle->GetSteeringJoints(), (std::vector<kaJoint*>{m_Joints[1]}));
    EXPECT_EQ(m_Vehicle->GetWheels(), (std::vector<kaWheel*>{m_Wheels[1], m_Wheels[3]}));
    // A joint deleted outright is forgotten too.
    m_Scene.world.DeleteEntity(m_Joints[1], false);
    EXPECT_TRUE(m_Vehicle->GetSteeringJoints().empty());
    EXPECT_EQ(m_Vehicle->GetWheels(), (std::vector<kaWheel*>{m_Wheels[3]}));
    m_Vehicle->Update(0.016f);
}

TEST_F(VehicleDriveTest, IdleWheelsAreHeldGentlyAndDrivenOnesGetTheScaledAcceleration)
{
    struct Case
    {
        Hold hold;
        float speed;
        float target;
        float force;
    };
    Hold halfBrake;
    halfBrake.y = 16384;
    const Case cases[] = {
        {Hold{}, 0.0f, 0.0f, 0.2f},
        {Hold{true}, 0.0f, 80.0f, 3.3f},
        // Braking hard from speed with half the stick: half the force, towards 0.
        {halfBrake, 10.0f, 0.0f, 3.3f * 0.5f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.force);
        dBodySetLinearVel(m_Vehicle->GetBody(), 0.0, 0.0, -c.speed);
        m_Input.Frame(*m_Vehicle, c.hold);
        m_Input.Frame(*m_Vehicle, c.hold);
        m_Vehicle->Update(0.016f);
        EXPECT_EQ(m_Vehicle->GetLastStepTime(), 0.016f);
        for (kaJoint* joint : m_Vehicle->GetPowerJoints())
        {
            EXPECT_NEAR(Param(joint, dParamVel2), c.target, 1e-5f);
            EXPECT_NEAR(Param(joint, dParamFMax2), c.force, 1e-5f);
            EXPECT_NEAR(Param(joint, dParamCFM), 1.0f, 1e-6f);
        }
        // The steered wheels are not driven.
        EXPECT_EQ(Param(m_Joints[0], dParamFMax2), 0.0f);
    }
}

TEST_F(VehicleDriveTest, SteeringJointsChaseTheTargetWithinStopsJustBeyondTheLimit)
{
    for (int frame = 0; frame < 10; ++frame)
        m_Input.Frame(*m_Vehicle, Hold{false, true}, 0.5);
    ASSERT_EQ(m_Vehicle->GetSteer(), 0.75f);
    m_Vehicle->Update(0.016f);
    for (kaJoint* joint : m_Vehicle->GetSteeringJoints())
    {
        // At angle 0 the step is cut to 0.2, times the gain 15.
        EXPECT_NEAR(Param(joint, dParamVel), 3.0f, 1e-5f);
        EXPECT_NEAR(Param(joint, dParamFMax), 20.0f, 1e-5f);
        EXPECT_NEAR(Param(joint, dParamLoStop), -0.76f, 1e-6f);
        EXPECT_NEAR(Param(joint, dParamHiStop), 0.76f, 1e-6f);
        EXPECT_NEAR(Param(joint, dParamFudgeFactor), 0.1f, 1e-6f);
    }
    // The rear wheels keep the stops of their own.
    EXPECT_NE(Param(m_Joints[2], dParamHiStop), 0.76f);
    Hold stick;
    stick.x = 4096;
    m_Input.Frame(*m_Vehicle, stick);
    m_Vehicle->Update(0.016f);
    EXPECT_NEAR(Param(m_Joints[1], dParamVel), -0.075f * 15.0f, 1e-5f);
}

TEST_F(VehicleDriveTest, TheEnginePitchFollowsThePowerJointsSpin)
{
    ASSERT_GE(LoopPart().id, 0);
    EXPECT_EQ(m_Wizard.GetSoundFrequency(LoopPart()), 22050u);
    m_Vehicle->StartEngineSound(true);
    EXPECT_TRUE(m_Vehicle->IsEngineStarted());
    // The rate is the body's spin less the wheel's about the wheel's axis (x): 80 and 80 average to 80,
    // 40 and -120 to -40, which is heard as 40.
    struct Case
    {
        float left, right;
        float spin;
        uint32_t hertz;
    };
    const Case cases[] = {
        {-80.0f, -80.0f, 80.0f, 88200u}, {-40.0f, 120.0f, -40.0f, 66150u}, {0, 0, 0, 44100u}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.spin);
        dBodySetAngularVel(m_Wheels[2]->GetBody(), c.left, 0.0, 0.0);
        dBodySetAngularVel(m_Wheels[3]->GetBody(), c.right, 0.0, 0.0);
        m_Vehicle->Update(0.016f);
        EXPECT_NEAR(m_Vehicle->GetWheelSpinRate(), c.spin, 1e-3f);
        EXPECT_EQ(m_Wizard.GetSoundFrequency(LoopPart()), c.hertz);
    }
    EXPECT_EQ(m_Vehicle->GetTopFrequency(), 88200.0f);
}

TEST_F(VehicleDriveTest, WithoutPowerJointsTheSpinIsZeroAndThePitchLeftAlone)
{
    m_Joints[2]->Detach();
    m_Joints[3]->Detach();
    dBodySetAngularVel(m_Wheels[0]->GetBody(), -80.0, 0.0, 0.0);
    m_Vehicle->Update(0.016f);
    EXPECT_EQ(m_Vehicle->GetWheelSpinRate(), 0.0f);
    EXPECT_EQ(m_Wizard.GetSoundFrequency(LoopPart()), 22050u);
    EXPECT_EQ(m_Vehicle->GetTopFrequency(), 0.0f);
}

TEST_F(VehicleDriveTest, TheVehicleRestsUntilEnabledNeverSleepsAndStopsItsEngineWhenDeleted)
{
    EXPECT_FALSE(dBodyIsEnabled(m_Vehicle->GetBody()));
    EXPECT_EQ(dBodyGetAutoDisableFlag(m_Vehicle->GetBody()), 0);
    m_Vehicle->StartEngineSound(true);
    kaSoundHandle intro;
    intro.id = m_Vehicle->GetEngineSound().id;
    EXPECT_TRUE(m_Wizard.IsSoundPlaying(intro));
    m_Scene.world.DeleteEntity(m_Vehicle, false);
    EXPECT_FALSE(m_Wizard.IsSoundPlaying(intro));
    // The wheels stay, and their emitters no longer follow the vehicle's bones.
    EXPECT_EQ(m_Wheels[0]->GetSurfaceEmitters()->GetVehicle(), nullptr);
    EXPECT_EQ(m_Wheels[0]->GetSurfaceEmitters()->GetBone(), -1);
    for (kaWheel* wheel : m_Wheels)
        wheel->Update(0.016f);
}

} // namespace
