#include "engine/core/DirectInputManager.h"
#include "platform/input/InputDeviceBase.h"
#include "platform/input/ScriptedDevice.h"
#include "platform/input/ScriptedDirectInput.h"

#include <gtest/gtest.h>

using platform::ScriptedDevice;

namespace
{

std::shared_ptr<ScriptedDevice> MakeMouse(uint8_t tag = 1)
{
    auto mouse = std::make_shared<ScriptedDevice>("Mouse", platform::kDi8DevTypeMouse, tag);
    mouse->AddAxis("X-axis", platform::kGuidXAxis, true);
    mouse->AddAxis("Y-axis", platform::kGuidYAxis, true);
    mouse->AddAxis("Wheel", platform::kGuidZAxis, true);
    mouse->AddButton("Button 0");
    return mouse;
}

std::shared_ptr<ScriptedDevice> MakeKeyboard(uint8_t tag = 2)
{
    auto keyboard = std::make_shared<ScriptedDevice>("Keyboard", platform::kDi8DevTypeKeyboard, tag);
    for (const char* key : {"W", "A", "S", "D"})
        keyboard->AddButton(key);
    return keyboard;
}

} // namespace

class DirectInputManagerTest : public ::testing::Test
{
protected:
    // The manager's input system lists these scripts, in this order.
    void Attach(std::vector<std::shared_ptr<ScriptedDevice>> scripts)
    {
        m_Previous = platform::SetDirectInputFactory(
            [scripts]
            { return std::unique_ptr<platform::DirectInput8>(new platform::ScriptedDirectInput(scripts)); });
        m_Installed = true;
    }

    void TearDown() override
    {
        if (m_Installed)
            platform::SetDirectInputFactory(m_Previous);
    }

    platform::DirectInputFactory m_Previous;
    bool m_Installed = false;
    int m_Dummy = 0;
    const platform::WindowHandle m_Window = reinterpret_cast<platform::WindowHandle>(&m_Dummy);
};

TEST_F(DirectInputManagerTest, AddsEachEnumeratedDeviceOnceInOrderAndPollsItInItsWindow)
{
    auto mouse = MakeMouse();
    auto keyboard = MakeKeyboard();
    auto broken = MakeMouse(3);
    broken->SetCreateFails(true);
    mouse->PushReading({1, 0, 0, 0});
    keyboard->PushReading({0, 0, 1, 0});
    Attach({mouse, broken, keyboard, mouse});

    DirectInputManager manager;
    EXPECT_TRUE(manager.Init());
    EXPECT_EQ(manager.GetDeviceName(0), "Mouse");
    EXPECT_EQ(manager.GetDeviceName(1), "Keyboard");
    EXPECT_EQ(manager.GetDeviceName(2), "");
    EXPECT_EQ(manager.FindDeviceByType(InputDevice::kTypeKeyboard), 1);
    EXPECT_EQ(manager.FindDeviceControlByCode(0, 3), 2) << "the mouse wheel";

    // The cooperative window sets the levels, then each device is polled once.
    manager.SetCooperativeWindow(m_Window);
    EXPECT_EQ(mouse->Live()->GetCooperativeFlags(), 5u);
    EXPECT_EQ(keyboard->Live()->GetCooperativeFlags(), 6u);
    EXPECT_EQ(keyboard->Live()->GetCooperativeWindow(), m_Window);
    EXPECT_TRUE(mouse->Live()->IsAcquired());
    EXPECT_EQ(mouse->PendingReadings(), 0u);
    EXPECT_EQ(keyboard->PendingReadings(), 0u);
}

TEST_F(DirectInputManagerTest, WithoutAnInputSystemThereAreNoDevices)
{
    m_Previous = platform::SetDirectInputFactory([] { return std::unique_ptr<platform::DirectInput8>(); });
    m_Installed = true;
    DirectInputManager manager;
    EXPECT_TRUE(manager.Init());
    EXPECT_EQ(manager.GetDeviceName(0), "");
    manager.SetCooperativeWindow(m_Window);
    manager.Update();
    EXPECT_FALSE(manager.AddBinding(0, 0, 0, 0, 0));
}

TEST_F(DirectInputManagerTest, BoundKeyDrivesItsActionThroughUpdates)
{
    auto mouse = MakeMouse();
    auto keyboard = MakeKeyboard();
    Attach({mouse, keyboard});
    DirectInputManager manager;
    manager.Init();
    manager.SetCooperativeWindow(m_Window);

    const int keys = manager.FindDeviceByType(InputDevice::kTypeKeyboard);
    ASSERT_TRUE(manager.AddBinding(6, keys, manager.FindDeviceControlByName(keys, "w"),
                                   InputManager::kRangeNegative, 0));
    ASSERT_TRUE(
        manager.AddBinding(0, 0, manager.FindDeviceControlByCode(0, 1), InputManager::kRangeWhole, 0));

    keyboard->PushReading({1, 0, 0, 0});
    mouse->PushReading({30, 0, 0, 0});
    manager.Update();
    EXPECT_EQ(manager.GetActionValue(6, nullptr, 0), -32768);

    keyboard->PushReading({0, 0, 0, 0});
    mouse->PushReading({42, 0, 0, 0});
    manager.Update();
    EXPECT_EQ(manager.GetActionValue(6, nullptr, 0), 0);
    int32_t kind = 0;
    EXPECT_EQ(manager.GetActionValue(0, &kind, 0), 12) << "mouse motion between the two polls";
    EXPECT_EQ(kind, InputDevice::kKindRelativeAxis);

    InputManager::CaptureRecord record;
    ASSERT_TRUE(manager.CaptureControl(record));
    EXPECT_EQ(record.deviceIndex, 0);
    EXPECT_EQ(record.controlName, "X-axis");
    EXPECT_EQ(record.state, 12);
}

TEST_F(DirectInputManagerTest, DestructionReleasesDevicesAndTheGlobalPointer)
{
    auto mouse = MakeMouse();
    Attach({mouse});
    {
        DirectInputManager manager;
        manager.Init();
        EXPECT_EQ(InputManager::GetInstance(), &manager);
        EXPECT_NE(mouse->Live(), nullptr);
    }
    EXPECT_EQ(mouse->Live(), nullptr);
    EXPECT_EQ(InputManager::GetInstance(), nullptr);
}
