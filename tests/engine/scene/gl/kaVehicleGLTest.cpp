#include "engine/core/DirectInputManager.h"
#include "engine/core/kaFileSystem.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaModelManager.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaLight.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaMaterial.h"
#include "engine/scene/kaPhysicsWorld.h"
#include "engine/scene/kaVehicle.h"
#include "engine/scene/kaWheel.h"
#include "engine/scene/kaWheelEmitter.h"
#include "engine/scene/kaWheelSurfaceEmitters.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/input/ScriptedDevice.h"
#include "platform/input/ScriptedDirectInput.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/HeadlessGraphics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

using platform::ScriptedDevice;
using platform::Vector3;

namespace
{

constexpr uint32_t kVehicleClear = 0xFF203040;
constexpr float kVehicleFrame = 1.0f / 30.0f;
// Where the car is dropped: on the dirt, clear of the props, with the length of the arena ahead (-z).
constexpr float kStartX = -14.0f;
constexpr float kStartZ = 12.0f;
constexpr float kDropHeight = 1.0f;

float SpeedOf(const Vector3& v)
{
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

Vector3 FromODE(const dReal* v)
{
    return Vector3(static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]));
}

// The sample car made from its record in the sample course, as the game loads the player's vehicle, and
// driven through scripted keys W, A, S and D bound as the game's defaults bind them; drawn headless from
// beside its track.
class VehicleOpenGLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Keyboard = std::make_shared<ScriptedDevice>("Keyboard", platform::kDi8DevTypeKeyboard, 1);
        for (const char* key : {"W", "A", "S", "D"})
            m_Keyboard->AddButton(key);
        const std::vector<std::shared_ptr<ScriptedDevice>> scripts{m_Keyboard};
        m_Previous = platform::SetDirectInputFactory(
            [scripts]
            { return std::unique_ptr<platform::DirectInput8>(new platform::ScriptedDirectInput(scripts)); });
        ASSERT_TRUE(m_Input.Init());
        const int keys = m_Input.FindDeviceByType(InputDevice::kTypeKeyboard);
        const int ranges[] = {InputManager::kRangeNegative, InputManager::kRangePositive,
                              InputManager::kRangePositive, InputManager::kRangeNegative};
        const char* const names[] = {"W", "S", "A", "D"};
        for (int i = 0; i < 4; ++i)
            ASSERT_TRUE(m_Input.AddBinding(6 + i, keys, m_Input.FindDeviceControlByName(keys, names[i]),
                                           ranges[i], 0));

        ASSERT_TRUE(m_Graphics.Start(testsupport::HeadlessGraphics::WindowedConfig(640, 480, true)));
        m_Manager = m_Graphics.Manager();
        m_Manager->SetClearColor(kVehicleClear);
        ASSERT_TRUE(m_InitData.LoadInitData("InitData"));
        m_World->LoadFile("Worlds/Editor/Sample Course.xml", true);
        m_World->InitializeEntities();
        ASSERT_TRUE(m_Manager->AddSceneObject(m_World.get(), false));
        m_World->AddLight(&m_Light);
        kaCamera* camera = m_World->GetOwnCamera();
        camera->SetAspect(640.0f / 480.0f);
        // East of the car's track, up a little, looking west across it.
        camera->SetPosition(4.0f, 6.0f, 4.0f);
        camera->SetRotationAngles(0.3f, -1.5707964f, 0.0f);
        camera->Rotate();
        camera->UpdateProjection();

        // As the game loads its vehicle: made, added, given its record, initialised, stepped every pass.
        std::unique_ptr<kaEntity> made = CreateEntity(kaEntity::GetClassType("SampleCar"));
        m_Car = dynamic_cast<kaVehicle*>(made.get());
        ASSERT_NE(m_Car, nullptr);
        ASSERT_TRUE(m_World->AddEntity(made.release(), true, true));
        m_Car->ApplyInitData("SampleCar");
        m_Car->Initialize();
        m_World->AddDynamicEntity(m_Car);
        for (kaWheel* wheel : m_Car->GetWheels())
            m_World->AddDynamicEntity(wheel);
        m_World->SetSelectedEntity(m_Car);
    }
    void TearDown() override
    {
        if (m_Manager)
        {
            m_Manager->DetachSceneObject(m_World.get());
            m_World->RemoveLight(&m_Light);
        }
        m_World.reset();
        m_Models.DeleteAll();
        m_Graphics.Stop();
        platform::SetDirectInputFactory(m_Previous);
    }

    // Frames with these keys held: polled, then the world's frame (physics, then the car's controls).
    void Drive(int frames, bool w, bool a, bool s, bool d)
    {
        for (int frame = 0; frame < frames; ++frame)
        {
            m_Keyboard->PushReading({w, a, s, d});
            m_Input.Update();
            m_World->Update(kVehicleFrame);
        }
    }

    Vector3 Velocity() const { return FromODE(dBodyGetLinearVel(m_Car->GetBody())); }
    // The way the car's nose points (its model's -z), flat.
    Vector3 Heading() const
    {
        const dReal* r = dBodyGetRotation(m_Car->GetBody());
        return Vector3(static_cast<float>(-r[2]), 0.0f, static_cast<float>(-r[10]));
    }
    float Up() const { return static_cast<float>(dBodyGetRotation(m_Car->GetBody())[5]); }

    platform::FrameCapture Frame()
    {
        m_Manager->Render(false, false);
        platform::FrameCapture frame;
        EXPECT_EQ(m_Manager->GetDevice()->CaptureFrame(&frame), platform::GFX_OK);
        return frame;
    }

    // The centre of the pixels the car's body takes: those that change when it is hidden.
    bool Centroid(float& x, float& y)
    {
        const platform::FrameCapture shown = Frame();
        m_Car->GetModel()->m_Hidden = true;
        const platform::FrameCapture hidden = Frame();
        m_Car->GetModel()->m_Hidden = false;
        double sumX = 0.0, sumY = 0.0;
        size_t count = 0;
        for (size_t at = 0; at + 2 < shown.Rows.size() && at + 2 < hidden.Rows.size(); at += 3)
        {
            if (shown.Rows[at] == hidden.Rows[at] && shown.Rows[at + 1] == hidden.Rows[at + 1] &&
                shown.Rows[at + 2] == hidden.Rows[at + 2])
                continue;
            sumX += static_cast<double>((at / 3) % 640);
            sumY += static_cast<double>((at / 3) / 640);
            ++count;
        }
        if (count < 50)
            return false;
        x = static_cast<float>(sumX / count);
        y = static_cast<float>(sumY / count);
        return true;
    }

    std::shared_ptr<ScriptedDevice> m_Keyboard;
    platform::DirectInputFactory m_Previous;
    DirectInputManager m_Input;
    testsupport::HeadlessGraphics m_Graphics{"VehicleGL", 640, 480};
    testsupport::CurrentDirectory m_Content{TARVOLIN_CONTENT_DIR};
    kaGraphicsManager* m_Manager = nullptr;
    kaFileSystem m_Files;
    kaInitDataBase m_InitData;
    kaModelManager m_Models;
    kaLight m_Light{3, 0, 0, 0, -0.5f, -1, -0.3f, 1, 1, 1, 1, 0, 0, 0, 0, 0.3f, 0.3f, 0.3f, 1};
    std::unique_ptr<kaPhysicsWorld> m_World = std::make_unique<kaPhysicsWorld>();
    kaVehicle* m_Car = nullptr;
};

TEST_F(VehicleOpenGLTest, TheSampleCarSettlesDrivesSteersBrakesAndReversesOnTheDirt)
{
    ASSERT_EQ(m_Car->GetWheels().size(), 4u);
    ASSERT_EQ(m_Car->GetSteeringJoints().size(), 2u);
    ASSERT_EQ(m_Car->GetPowerJoints().size(), 2u);
    EXPECT_FALSE(dBodyIsEnabled(m_Car->GetBody()));

    // Dropped from a metre: within 3 s it rests level on four wheels that touch the floor.
    // The body is placed on its mass centre: the model's origin, where the tyres meet the ground, a metre up.
    m_Car->SetPosition(Vector3(kStartX, kDropHeight, kStartZ) + m_Car->GetCOGOffset());
    for (kaWheel* wheel : m_Car->GetWheels())
        EXPECT_NEAR(wheel->GetBodyPosition().y - wheel->GetRadius(), kDropHeight, 1e-3f);
    m_Car->SetBodyEnabled(true);
    Drive(90, false, false, false, false);
    EXPECT_GT(Up(), std::cos(2.0f * 3.14159265f / 180.0f));
    EXPECT_LT(SpeedOf(Velocity()), 0.05f);
    for (kaWheel* wheel : m_Car->GetWheels())
    {
        EXPECT_GE(wheel->GetContactCounter(), 3);
        EXPECT_NEAR(wheel->GetBodyPosition().y, wheel->GetRadius(), 0.05f);
        EXPECT_EQ(wheel->GetSurfaceEmitters()->GetMaterial()->GetName(), "Dirt");
    }
    const Vector3 rest = m_Car->GetBodyPosition();
    float x0 = 0.0f, y0 = 0.0f;
    ASSERT_TRUE(Centroid(x0, y0));

    // Throttle: off along -z, straight.
    Drive(15, true, false, false, false);
    const Vector3 driven = m_Car->GetBodyPosition();
    EXPECT_LT(driven.z, rest.z - 2.0f);
    EXPECT_NEAR(driven.x, rest.x, 0.5f);
    EXPECT_LT(Velocity().z, -1.0f);
    // On the screen it moved left, towards -z.
    float x1 = 0.0f, y1 = 0.0f;
    ASSERT_TRUE(Centroid(x1, y1));
    EXPECT_LT(x1, x0 - 20.0f);
    // The wheels throw dust from the dirt.
    int live = 0;
    for (kaWheel* wheel : m_Car->GetWheels())
    {
        kaWheelEmitter* roll = wheel->GetSurfaceEmitters()->GetRollEmitter();
        ASSERT_NE(roll, nullptr);
        EXPECT_GT(roll->GetEmitRate(), 0.0f);
        live += roll->GetLiveCount();
        // Made from the dirt's roll particles.
        const auto& made = wheel->GetSurfaceEmitters()->GetEmitters();
        const auto entry =
            std::find_if(made.begin(), made.end(),
                         [roll](const kaWheelSurfaceEmitters::Entry& e) { return e.emitter == roll; });
        ASSERT_NE(entry, made.end());
        EXPECT_EQ(entry->particle, "DirtDust");
        EXPECT_EQ(entry->tag, kaWheelSurfaceEmitters::kRoll);
    }
    EXPECT_GT(live, 0);

    // Steering left with the throttle held turns the nose towards -x.
    const Vector3 before = Heading();
    Drive(20, true, true, false, false);
    const Vector3 after = Heading();
    EXPECT_GT(m_Car->GetSteer(), 0.1f);
    const float turn =
        std::atan2(before.x * after.z - before.z * after.x, before.x * after.x + before.z * after.z);
    EXPECT_GT(std::fabs(turn), 0.2f);

    // The brake stops it, then drives it backwards.
    bool stopped = false;
    for (int frame = 0; frame < 150 && !stopped; ++frame)
    {
        Drive(1, false, false, true, false);
        stopped = SpeedOf(Velocity()) < 0.5f;
    }
    EXPECT_TRUE(stopped);
    Drive(30, false, false, true, false);
    EXPECT_EQ(m_Car->GetBrakeState(), kaVehicle::kReversing);
    const Vector3 heading = Heading();
    const Vector3 velocity = Velocity();
    EXPECT_LT(velocity.x * heading.x + velocity.z * heading.z, -0.5f);
}

} // namespace
