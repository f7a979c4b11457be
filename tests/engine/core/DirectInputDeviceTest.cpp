#include "engine/core/DirectInputDevice.h"
#include "platform/input/InputDeviceBase.h"
#include "platform/input/ScriptedDevice.h"
#include "platform/input/ScriptedDirectInput.h"
#include "tests/support/DebugCapture.h"

#include <gtest/gtest.h>

using platform::ScriptedDevice;

namespace
{

// Three axes (X, Y, Z) and five buttons, on a device of the given type.
std::shared_ptr<ScriptedDevice> MakeDevice(const std::string& name, uint32_t devType, bool relativeAxes,
                                           uint8_t tag = 1)
{
    auto device = std::make_shared<ScriptedDevice>(name, devType, tag);
    device->AddAxis("X", platform::kGuidXAxis, relativeAxes);
    device->AddAxis("Y", platform::kGuidYAxis, relativeAxes);
    device->AddAxis("Z", platform::kGuidZAxis, relativeAxes);
    for (int i = 0; i < 5; ++i)
        device->AddButton("Button " + std::to_string(i));
    return device;
}

int32_t State(const DirectInputDevice& device, int index, bool previous = false)
{
    int32_t value = -999;
    EXPECT_TRUE(device.GetControlState(index, value, previous));
    return value;
}

} // namespace

class DirectInputDeviceTest : public ::testing::Test
{
protected:
    // Adds a device made from the script through a scripted input system.
    bool Add(const std::shared_ptr<ScriptedDevice>& script)
    {
        m_Input = std::make_unique<platform::ScriptedDirectInput>(
            std::vector<std::shared_ptr<ScriptedDevice>>{script});
        return m_Device.AddDevice(m_Input.get(), script->Instance());
    }

    std::unique_ptr<platform::ScriptedDirectInput> m_Input;
    DirectInputDevice m_Device;
};

TEST_F(DirectInputDeviceTest, ThreeAxesAndFiveButtonsLayOutTwentyBytes)
{
    testsupport::DebugCapture capture;
    ASSERT_TRUE(Add(MakeDevice("Stick", platform::kDi8DevTypeJoystick, false)));

    EXPECT_EQ(m_Device.GetStateSize(), 20u);
    EXPECT_EQ(m_Device.GetControlCount(), 8);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(m_Device.GetControlKind(i), InputDevice::kKindAbsoluteAxis) << i;
    for (int i = 3; i < 8; ++i)
        EXPECT_EQ(m_Device.GetControlKind(i), InputDevice::kKindButton) << i;
    EXPECT_EQ(m_Device.GetControlKind(8), InputDevice::kKindInvalid);
    EXPECT_EQ(m_Device.GetControlKind(-1), InputDevice::kKindInvalid);

    EXPECT_EQ(m_Device.GetControlCode(0), 3);
    EXPECT_EQ(m_Device.GetControlCode(4), 7);
    EXPECT_EQ(m_Device.GetControlCode(5), -1);
    EXPECT_EQ(m_Device.GetControlCode(-1), -1);

    EXPECT_EQ(m_Device.GetName(), "Stick");
    EXPECT_EQ(capture.Lines(),
              (std::vector<std::string>{"INPUT: Adding device - Stick\n", " Axes: 3\n", " Buttons: 5\n"}));
}

TEST_F(DirectInputDeviceTest, MouseGivesCodesOneToThreeAndAJoysticksZAxisHasNone)
{
    ASSERT_TRUE(Add(MakeDevice("Mouse", platform::kDi8DevTypeMouse, true)));
    EXPECT_EQ(m_Device.FindControlByCode(1), 0);
    EXPECT_EQ(m_Device.FindControlByCode(2), 1);
    EXPECT_EQ(m_Device.FindControlByCode(3), 2);
    EXPECT_EQ(m_Device.GetControlKind(0), InputDevice::kKindRelativeAxis);

    DirectInputDevice stick;
    auto script = MakeDevice("Stick", platform::kDi8DevTypeJoystick, false, 2);
    platform::ScriptedDirectInput input({script});
    ASSERT_TRUE(stick.AddDevice(&input, script->Instance()));
    EXPECT_EQ(stick.FindControlByCode(3), -1);
    EXPECT_EQ(stick.FindControlByCode(0), 2) << "the Z axis is the first control without a code";
}

TEST_F(DirectInputDeviceTest, TypeComesFromTheLowByteOfTheDeviceType)
{
    const struct
    {
        uint32_t devType;
        int32_t type;
    } cases[] = {{0x12, InputDevice::kTypeMouse},    {0x13, InputDevice::kTypeKeyboard},
                 {0x14, InputDevice::kTypeJoystick}, {0x0216, InputDevice::kTypeJoystick},
                 {0x17, InputDevice::kTypeJoystick}, {0x15, InputDevice::kTypeGamepad},
                 {0x11, InputDevice::kTypeOther}};
    uint8_t tag = 10;
    for (const auto& c : cases)
    {
        auto script = MakeDevice("D", c.devType, false, tag++);
        platform::ScriptedDirectInput input({script});
        DirectInputDevice device;
        ASSERT_TRUE(device.AddDevice(&input, script->Instance()));
        EXPECT_EQ(device.GetType(), c.type) << std::hex << c.devType;
    }
}

TEST_F(DirectInputDeviceTest, AbsoluteAxesGetTheFullSignedRange)
{
    auto script = MakeDevice("Stick", platform::kDi8DevTypeJoystick, false);
    ASSERT_TRUE(Add(script));
    for (size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(script->Live()->RangeMinimum(i), -32768);
        EXPECT_EQ(script->Live()->RangeMaximum(i), 32768);
    }
}

TEST_F(DirectInputDeviceTest, RefusesWhatCannotBeCreatedOrFormatted)
{
    auto script = MakeDevice("Stick", platform::kDi8DevTypeJoystick, false);
    EXPECT_FALSE(m_Device.AddDevice(nullptr, script->Instance()));

    script->SetCreateFails(true);
    EXPECT_FALSE(Add(script));

    DirectInputDevice other;
    auto unformattable = MakeDevice("Stick", platform::kDi8DevTypeJoystick, false, 2);
    unformattable->SetDataFormatFails(true);
    platform::ScriptedDirectInput input({unformattable});
    EXPECT_FALSE(other.AddDevice(&input, unformattable->Instance()));
}

TEST_F(DirectInputDeviceTest, DeviceWithoutControlsIsAddedButNeverPolls)
{
    auto empty = std::make_shared<ScriptedDevice>("Empty", platform::kDi8DevTypeDevice, 1);
    ASSERT_TRUE(Add(empty));
    EXPECT_EQ(m_Device.GetStateSize(), 0u);
    m_Device.Poll();
    EXPECT_FALSE(empty->Live()->IsAcquired());
    int32_t value = 0;
    EXPECT_FALSE(m_Device.GetControlState(0, value, false));
}

TEST_F(DirectInputDeviceTest, PressedButtonReads32768AndPreviousReadingIsKept)
{
    auto script = MakeDevice("Stick", platform::kDi8DevTypeJoystick, false);
    ASSERT_TRUE(Add(script));
    script->PushReading({-32768, 100, 0, 1, 0, 0, 0, 1});
    script->PushReading({32768, 100, 0, 0, 1, 0, 0, 1});

    m_Device.Poll();
    EXPECT_EQ(State(m_Device, 0), -32768);
    EXPECT_EQ(State(m_Device, 3), 32768);
    EXPECT_EQ(State(m_Device, 4), 0);
    EXPECT_EQ(State(m_Device, 7), 32768);

    m_Device.Poll();
    EXPECT_EQ(State(m_Device, 0), 32768);
    EXPECT_EQ(State(m_Device, 0, true), -32768);
    EXPECT_EQ(State(m_Device, 3), 0);
    EXPECT_EQ(State(m_Device, 3, true), 32768);
    EXPECT_EQ(State(m_Device, 4), 32768);

    int32_t value = 5;
    EXPECT_FALSE(m_Device.GetControlState(8, value, false));
    EXPECT_FALSE(m_Device.GetControlState(-1, value, false));
    EXPECT_EQ(value, 5);
}

TEST_F(DirectInputDeviceTest, RelativeAxisReadsZeroUntilTwoGoodPollsAndAfterLostAcquisition)
{
    auto script = MakeDevice("Mouse", platform::kDi8DevTypeMouse, true);
    ASSERT_TRUE(Add(script));
    // Counters since acquisition: X moves 10, then 5 more, then 7 more.
    script->PushReading({10, 0, 0, 0, 0, 0, 0, 0});
    script->PushReading({15, 0, 0, 0, 0, 0, 0, 0});
    script->PushReading({22, 0, 0, 1, 0, 0, 0, 0});
    script->PushLost();
    script->PushReading({4, 0, 0, 1, 0, 0, 0, 0});
    script->PushReading({9, 0, 0, 1, 0, 0, 0, 0});

    m_Device.Poll();
    EXPECT_EQ(State(m_Device, 0), 0) << "one good poll";
    m_Device.Poll();
    EXPECT_EQ(State(m_Device, 0), 5);
    EXPECT_EQ(State(m_Device, 0, true), 0) << "the previous reading against itself";
    m_Device.Poll();
    EXPECT_EQ(State(m_Device, 0), 7);
    EXPECT_EQ(State(m_Device, 3), 32768);

    m_Device.Poll();
    EXPECT_EQ(State(m_Device, 0), 0) << "lost";
    EXPECT_EQ(State(m_Device, 3), 0) << "everything reads zero while lost";
    EXPECT_EQ(State(m_Device, 3, true), 0);

    m_Device.Poll();
    EXPECT_TRUE(script->Live()->IsAcquired()) << "re-acquired at the next poll";
    EXPECT_EQ(State(m_Device, 0), 0) << "first good poll after re-acquisition";
    EXPECT_EQ(State(m_Device, 3), 32768);
    m_Device.Poll();
    EXPECT_EQ(State(m_Device, 0), 5);
}

TEST_F(DirectInputDeviceTest, HatReadsPressedOnlyOffCentre)
{
    auto script = std::make_shared<ScriptedDevice>("Pad", platform::kDi8DevTypeGamepad, 1);
    script->AddAxis("X", platform::kGuidXAxis, false);
    script->AddButton("Button 0");
    script->AddHat("Hat 0");
    ASSERT_TRUE(Add(script));
    EXPECT_EQ(m_Device.GetStateSize(), 8u);
    EXPECT_EQ(m_Device.GetControlKind(2), InputDevice::kKindButton);
    EXPECT_EQ(m_Device.GetControlCode(1), 2) << "hats count among the buttons";

    script->PushReading({0, 0, platform::kPovCentred});
    script->PushReading({0, 0, 0});
    script->PushReading({0, 0, 27000});
    m_Device.Poll();
    EXPECT_EQ(State(m_Device, 2), 0);
    m_Device.Poll();
    EXPECT_EQ(State(m_Device, 2), 32768) << "north";
    m_Device.Poll();
    EXPECT_EQ(State(m_Device, 2), 32768) << "west";
}

TEST_F(DirectInputDeviceTest, FindsControlsByNameIgnoringCase)
{
    ASSERT_TRUE(Add(MakeDevice("Stick", platform::kDi8DevTypeJoystick, false)));
    EXPECT_EQ(m_Device.FindControlByName("button 2"), 5);
    EXPECT_EQ(m_Device.FindControlByName("BUTTON 2"), 5);
    EXPECT_EQ(m_Device.FindControlByName("Button"), -1);
    EXPECT_EQ(m_Device.GetControlKindByName("y"), InputDevice::kKindAbsoluteAxis);
    EXPECT_EQ(m_Device.GetControlKindByName("nothing"), InputDevice::kKindInvalid);

    std::string name;
    EXPECT_TRUE(m_Device.GetControlName(1, name));
    EXPECT_EQ(name, "Y");
    EXPECT_FALSE(m_Device.GetControlName(8, name));

    m_Device.Poll();
    int32_t value = -1;
    EXPECT_TRUE(m_Device.GetControlStateByName("button 0", value, false));
    EXPECT_EQ(value, 0);
    EXPECT_FALSE(m_Device.GetControlStateByName("nothing", value, false));
}

TEST_F(DirectInputDeviceTest, FindsTheFirstChangedControl)
{
    auto script = MakeDevice("Stick", platform::kDi8DevTypeJoystick, false);
    ASSERT_TRUE(Add(script));
    script->PushReading({0, 0, 0, 0, 0, 0, 0, 0});
    script->PushReading({0, 0, 0, 0, 0, 1, 1, 0});
    script->PushReading({0, 0, 0, 0, 0, 1, 1, 0});
    m_Device.Poll();
    m_Device.Poll();
    EXPECT_EQ(m_Device.FindChangedControl(), 5);
    m_Device.Poll();
    EXPECT_EQ(m_Device.FindChangedControl(), -1) << "held, not changed";
}
