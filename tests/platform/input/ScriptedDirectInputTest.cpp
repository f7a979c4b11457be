#include "platform/input/ScriptedDirectInput.h"
#include "platform/input/DirectInput8.h"
#include "platform/input/InputDeviceBase.h"
#include "platform/input/ScriptedDevice.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace platform;

namespace
{

int dummyWindow;
// The layer never looks inside a window handle.
const WindowHandle kWindow = reinterpret_cast<WindowHandle>(&dummyWindow);

// A pad with one absolute axis, one relative axis, two buttons and a hat.
std::shared_ptr<ScriptedDevice> MakePad(uint8_t tag = 1)
{
    auto pad = std::make_shared<ScriptedDevice>("Pad", kDi8DevTypeGamepad, tag);
    pad->AddAxis("X Axis", kGuidXAxis, false);
    pad->AddAxis("Dial", kGuidSlider, true);
    pad->AddButton("Button 0");
    pad->AddButton("Button 1");
    pad->AddHat("Hat 0");
    return pad;
}

// The layout the engine builds: axes 4 bytes each, then a byte per button or hat.
DataFormat PadFormat(const ScriptedDevice& pad)
{
    DataFormat format;
    format.dataSize = 12;
    uint32_t offset = 0;
    for (const DeviceObjectInstance& object : pad.Objects())
    {
        format.objects.push_back({object.typeGuid, offset, object.type, 0});
        offset += (ObjectTypeBits(object.type) & kDidftAxis) ? 4 : 1;
    }
    return format;
}

std::unique_ptr<DirectInputDevice8> Create(ScriptedDirectInput& input, const ScriptedDevice& script)
{
    std::unique_ptr<DirectInputDevice8> device;
    EXPECT_EQ(input.CreateDevice(script.Instance().instanceGuid, device), kDiOk);
    return device;
}

int32_t AxisAt(const uint8_t* state, size_t offset)
{
    int32_t value;
    std::memcpy(&value, state + offset, sizeof value);
    return value;
}

} // namespace

TEST(ScriptedDirectInput, EnumeratesInOrderFilteredByClass)
{
    auto mouse = std::make_shared<ScriptedDevice>("Mouse", kDi8DevTypeMouse, 1);
    auto keyboard = std::make_shared<ScriptedDevice>("Keyboard", kDi8DevTypeKeyboard, 2);
    auto wheel = std::make_shared<ScriptedDevice>("Wheel", kDi8DevTypeDriving, 3);
    ScriptedDirectInput input({mouse, keyboard, wheel, keyboard});

    std::vector<std::string> all;
    input.EnumDevices(
        kDi8DevClassAll, [&](const DeviceInstance& d) { return all.push_back(d.instanceName), true; },
        kDiEdflAttachedOnly);
    EXPECT_EQ(all, (std::vector<std::string>{"Mouse", "Keyboard", "Wheel", "Keyboard"}));

    std::vector<std::string> games;
    input.EnumDevices(
        kDi8DevClassGameCtrl, [&](const DeviceInstance& d) { return games.push_back(d.instanceName), true; },
        0);
    EXPECT_EQ(games, std::vector<std::string>{"Wheel"});

    std::vector<std::string> first;
    input.EnumDevices(
        kDi8DevClassAll, [&](const DeviceInstance& d) { return first.push_back(d.instanceName), false; }, 0);
    EXPECT_EQ(first, std::vector<std::string>{"Mouse"});
}

TEST(ScriptedDirectInput, CreatesOnlyKnownDevicesThatDoNotFail)
{
    auto pad = MakePad(1);
    auto broken = MakePad(2);
    broken->SetCreateFails(true);
    ScriptedDirectInput input({pad, broken});

    std::unique_ptr<DirectInputDevice8> device;
    EXPECT_EQ(input.CreateDevice(broken->Instance().instanceGuid, device), kDiErrDeviceNotReg);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(input.CreateDevice(Guid(), device), kDiErrDeviceNotReg);
    EXPECT_EQ(input.CreateDevice(pad->Instance().instanceGuid, device), kDiOk);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(pad->Live(), device.get());
    device.reset();
    EXPECT_EQ(pad->Live(), nullptr);
}

TEST(DirectInputFactory, InstalledFactoryReplacesTheSdlBackEndUntilRestored)
{
    auto pad = MakePad();
    DirectInputFactory previous = SetDirectInputFactory(
        [pad] { return std::unique_ptr<DirectInput8>(new ScriptedDirectInput({pad})); });
    std::unique_ptr<DirectInput8> input;
    EXPECT_EQ(DirectInput8Create(input), kDiOk);
    int count = 0;
    input->EnumDevices(
        kDi8DevClassAll, [&](const DeviceInstance& d) { return ++count, d.instanceName == "Pad"; }, 0);
    EXPECT_EQ(count, 1);

    SetDirectInputFactory([] { return std::unique_ptr<DirectInput8>(); });
    EXPECT_EQ(DirectInput8Create(input), kDiErrGeneric);
    EXPECT_EQ(input, nullptr);
    SetDirectInputFactory(previous);
}

class ScriptedDeviceTest : public ::testing::Test
{
protected:
    std::shared_ptr<ScriptedDevice> m_Pad = MakePad();
    ScriptedDirectInput m_Input{{m_Pad}};
    std::unique_ptr<DirectInputDevice8> m_Device = Create(m_Input, *m_Pad);
    uint8_t m_State[12] = {};
};

TEST_F(ScriptedDeviceTest, ReportsCapabilitiesAndFiltersObjects)
{
    DeviceCaps caps;
    ASSERT_EQ(m_Device->GetCapabilities(caps), kDiOk);
    EXPECT_EQ(caps.devType, kDi8DevTypeGamepad);
    EXPECT_EQ(caps.axes, 2u);
    EXPECT_EQ(caps.buttons, 2u);
    EXPECT_EQ(caps.povs, 1u);

    std::vector<std::string> axes;
    m_Device->EnumObjects([&](const DeviceObjectInstance& o) { return axes.push_back(o.name), true; },
                          kDidftAxis);
    EXPECT_EQ(axes, (std::vector<std::string>{"X Axis", "Dial"}));
    std::vector<std::string> rest;
    m_Device->EnumObjects([&](const DeviceObjectInstance& o) { return rest.push_back(o.name), true; },
                          kDidftButton | kDidftPov);
    EXPECT_EQ(rest, (std::vector<std::string>{"Button 0", "Button 1", "Hat 0"}));
}

TEST_F(ScriptedDeviceTest, RefusesDataFormatsThatDoNotFitTheDevice)
{
    DataFormat format = PadFormat(*m_Pad);
    DataFormat unaligned = format;
    unaligned.dataSize = 10;
    EXPECT_EQ(m_Device->SetDataFormat(unaligned), kDiErrInvalidParam);

    DataFormat pastEnd = format;
    pastEnd.objects[4].offset = 12;
    EXPECT_EQ(m_Device->SetDataFormat(pastEnd), kDiErrInvalidParam);

    DataFormat misplacedAxis = format;
    misplacedAxis.objects[0].offset = 2;
    EXPECT_EQ(m_Device->SetDataFormat(misplacedAxis), kDiErrInvalidParam);

    DataFormat twice = format;
    twice.objects[3] = twice.objects[2];
    EXPECT_EQ(m_Device->SetDataFormat(twice), kDiErrInvalidParam);

    DataFormat unknown = format;
    unknown.objects[2].type = MakeObjectType(kDidftPshButton, 9);
    EXPECT_EQ(m_Device->SetDataFormat(unknown), kDiErrInvalidParam);

    DataFormat wrongGuid = format;
    wrongGuid.objects[0].typeGuid = kGuidYAxis;
    EXPECT_EQ(m_Device->SetDataFormat(wrongGuid), kDiErrInvalidParam);

    EXPECT_EQ(m_Device->Acquire(), kDiErrInvalidParam) << "no format yet";
    EXPECT_EQ(m_Device->SetDataFormat(format), kDiOk);
    EXPECT_EQ(m_Device->Acquire(), kDiOk);
    EXPECT_EQ(m_Device->SetDataFormat(format), kDiErrAcquired);
}

TEST_F(ScriptedDeviceTest, RangesApplyToAbsoluteAxesOnly)
{
    const auto& objects = m_Pad->Objects();
    EXPECT_EQ(m_Pad->Live()->RangeMinimum(0), kDefaultAxisMin);
    EXPECT_EQ(m_Pad->Live()->RangeMaximum(0), kDefaultAxisMax);
    EXPECT_EQ(m_Device->SetAxisRange(objects[0].type, -32768, 32768), kDiOk);
    EXPECT_EQ(m_Pad->Live()->RangeMinimum(0), -32768);
    EXPECT_EQ(m_Pad->Live()->RangeMaximum(0), 32768);
    EXPECT_EQ(m_Device->SetAxisRange(objects[1].type, -1, 1), kDiErrUnsupported);
    EXPECT_EQ(m_Device->SetAxisRange(objects[2].type, -1, 1), kDiErrUnsupported);
    EXPECT_EQ(m_Device->SetAxisRange(MakeObjectType(kDidftAbsAxis, 7), -1, 1), kDiErrObjectNotFound);
    EXPECT_EQ(m_Device->SetAxisRange(objects[0].type, 5, 5), kDiErrInvalidParam);
}

TEST_F(ScriptedDeviceTest, CooperativeLevelNeedsOneOfEachPairAndAWindowForForeground)
{
    EXPECT_EQ(m_Device->SetCooperativeLevel(kWindow, kDisclExclusive | kDisclNonExclusive | kDisclForeground),
              kDiErrInvalidParam);
    EXPECT_EQ(m_Device->SetCooperativeLevel(kWindow, kDisclExclusive), kDiErrInvalidParam);
    EXPECT_EQ(m_Device->SetCooperativeLevel(nullptr, kDisclExclusive | kDisclForeground), kDiErrInvalidParam);
    EXPECT_EQ(m_Device->SetCooperativeLevel(nullptr, kDisclNonExclusive | kDisclBackground), kDiOk);
    EXPECT_EQ(m_Device->SetCooperativeLevel(kWindow, kDisclExclusive | kDisclForeground), kDiOk);
    EXPECT_EQ(m_Pad->Live()->GetCooperativeFlags(), kDisclExclusive | kDisclForeground);
    EXPECT_EQ(m_Pad->Live()->GetCooperativeWindow(), kWindow);
}

TEST_F(ScriptedDeviceTest, WritesEachReadingAtTheFormatsOffsets)
{
    ASSERT_EQ(m_Device->SetDataFormat(PadFormat(*m_Pad)), kDiOk);
    EXPECT_EQ(m_Device->GetDeviceState(sizeof m_State, m_State), kDiErrNotAcquired);
    ASSERT_EQ(m_Device->Acquire(), kDiOk);

    m_Pad->PushReading({-1234, 77, 1, 0, 9000});
    m_Pad->PushReading({5, 80, 0, 1, kPovCentred});
    ASSERT_EQ(m_Device->GetDeviceState(sizeof m_State, m_State), kDiOk);
    EXPECT_EQ(AxisAt(m_State, 0), -1234);
    EXPECT_EQ(AxisAt(m_State, 4), 77);
    EXPECT_EQ(m_State[8], 0x80);
    EXPECT_EQ(m_State[9], 0);
    EXPECT_EQ(m_State[10], 0x80) << "an off-centre hat reads pressed";

    ASSERT_EQ(m_Device->GetDeviceState(sizeof m_State, m_State), kDiOk);
    EXPECT_EQ(AxisAt(m_State, 0), 5);
    EXPECT_EQ(m_State[8], 0);
    EXPECT_EQ(m_State[9], 0x80);
    EXPECT_EQ(m_State[10], 0) << "a centred hat reads released";

    // With the script spent, the last reading holds.
    ASSERT_EQ(m_Device->GetDeviceState(sizeof m_State, m_State), kDiOk);
    EXPECT_EQ(AxisAt(m_State, 4), 80);
    EXPECT_EQ(m_Device->GetDeviceState(8, m_State), kDiErrInvalidParam);
}

TEST_F(ScriptedDeviceTest, LostReadingDropsAcquisitionAndRefusesOneAcquire)
{
    ASSERT_EQ(m_Device->SetDataFormat(PadFormat(*m_Pad)), kDiOk);
    ASSERT_EQ(m_Device->Acquire(), kDiOk);
    m_Pad->PushLost();
    m_Pad->PushReading({1, 2, 0, 0, kPovCentred});

    EXPECT_EQ(m_Device->GetDeviceState(sizeof m_State, m_State), kDiErrInputLost);
    EXPECT_FALSE(m_Pad->Live()->IsAcquired());
    EXPECT_EQ(m_Device->GetDeviceState(sizeof m_State, m_State), kDiErrNotAcquired);
    EXPECT_EQ(m_Pad->PendingReadings(), 1u) << "an unacquired device takes no reading";
    EXPECT_EQ(m_Device->Acquire(), kDiErrOtherAppHasPrio);
    EXPECT_EQ(m_Device->Acquire(), kDiOk);
    EXPECT_EQ(m_Device->GetDeviceState(sizeof m_State, m_State), kDiOk);
    EXPECT_EQ(AxisAt(m_State, 0), 1);
}
