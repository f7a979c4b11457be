#include "platform/input/SdlDirectInput.h"
#include "engine/core/DirectInputManager.h"
#include "platform/input/DirectInput8.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

using namespace platform;

namespace
{

void Push(SDL_Event event)
{
    ASSERT_GE(SDL_PushEvent(&event), 0) << SDL_GetError();
}

void PushFocus(bool gained)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
    Push(event);
}

void PushKey(SDL_Scancode scancode, bool down)
{
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = scancode;
    Push(event);
}

void PushMotion(int dx, int dy)
{
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.xrel = dx;
    event.motion.yrel = dy;
    Push(event);
}

void PushWheel(int notches, bool flipped)
{
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.y = notches;
    event.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
    Push(event);
}

void PushMouseButton(uint8_t button, bool down)
{
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    Push(event);
}

int32_t AxisAt(const std::vector<uint8_t>& state, size_t offset)
{
    int32_t value;
    std::memcpy(&value, state.data() + offset, sizeof value);
    return value;
}

// A device with the engine's layout: 4 bytes per axis, then a byte per button or hat.
struct Layout
{
    DataFormat format;
    std::vector<DeviceObjectInstance> objects;
    std::vector<uint32_t> offsets;
};

Layout BuildLayout(DirectInputDevice8& device)
{
    Layout layout;
    const auto collect = [&](const DeviceObjectInstance& object)
    { return layout.objects.push_back(object), true; };
    device.EnumObjects(collect, kDidftAxis);
    device.EnumObjects(collect, kDidftButton | kDidftPov);
    uint32_t offset = 0;
    for (const DeviceObjectInstance& object : layout.objects)
    {
        layout.offsets.push_back(offset);
        layout.format.objects.push_back({object.typeGuid, offset, object.type, 0});
        offset += (ObjectTypeBits(object.type) & kDidftAxis) ? 4 : 1;
    }
    layout.format.dataSize = (offset + 3) & ~3u;
    return layout;
}

int IndexOf(const Layout& layout, const std::string& name)
{
    for (size_t i = 0; i < layout.objects.size(); ++i)
        if (layout.objects[i].name == name)
            return int(i);
    return -1;
}

} // namespace

class SdlDirectInputTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        m_Window = SDL_CreateWindow("input", 0, 0, 64, 64, SDL_WINDOW_HIDDEN);
        ASSERT_NE(m_Window, nullptr) << SDL_GetError();
        m_Input = SdlDirectInput::Create();
        ASSERT_NE(m_Input, nullptr);
        PushFocus(false);
    }

    void TearDown() override
    {
        m_Input.reset();
        if (m_Window != nullptr)
            SDL_DestroyWindow(m_Window);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    std::vector<DeviceInstance> Enumerate(uint32_t devClass = kDi8DevClassAll)
    {
        std::vector<DeviceInstance> devices;
        m_Input->EnumDevices(
            devClass, [&](const DeviceInstance& d) { return devices.push_back(d), true; },
            kDiEdflAttachedOnly);
        return devices;
    }

    std::unique_ptr<DirectInputDevice8> Open(const DeviceInstance& instance, Layout& layout, uint32_t level)
    {
        std::unique_ptr<DirectInputDevice8> device;
        EXPECT_EQ(m_Input->CreateDevice(instance.instanceGuid, device), kDiOk);
        if (!device)
            return device;
        layout = BuildLayout(*device);
        EXPECT_EQ(device->SetDataFormat(layout.format), kDiOk);
        EXPECT_EQ(device->SetCooperativeLevel(Handle(), level), kDiOk);
        return device;
    }

    // The input layer keeps the handle without looking inside; focus comes from SDL's events.
    WindowHandle Handle() const { return reinterpret_cast<WindowHandle>(m_Window); }

    SDL_Window* m_Window = nullptr;
    std::unique_ptr<DirectInput8> m_Input;
};

TEST_F(SdlDirectInputTest, ListsTheMouseThenTheKeyboard)
{
    const std::vector<DeviceInstance> devices = Enumerate();
    ASSERT_GE(devices.size(), 2u);
    EXPECT_EQ(devices[0].devType & 0xFF, kDi8DevTypeMouse);
    EXPECT_EQ(devices[1].devType & 0xFF, kDi8DevTypeKeyboard);
    EXPECT_NE(devices[0].instanceGuid, devices[1].instanceGuid);
    EXPECT_EQ(Enumerate(kDi8DevClassKeyboard).size(), 1u);

    std::unique_ptr<DirectInputDevice8> device;
    EXPECT_EQ(m_Input->CreateDevice(Guid(), device), kDiErrDeviceNotReg);
}

TEST_F(SdlDirectInputTest, MouseHasThreeRelativeAxesThenButtons)
{
    Layout layout;
    auto mouse = Open(Enumerate()[0], layout, kDisclExclusive | kDisclForeground);
    ASSERT_NE(mouse, nullptr);
    ASSERT_EQ(layout.objects.size(), 8u);
    EXPECT_EQ(layout.objects[0].typeGuid, kGuidXAxis);
    EXPECT_EQ(layout.objects[1].typeGuid, kGuidYAxis);
    EXPECT_EQ(layout.objects[2].typeGuid, kGuidZAxis);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ObjectTypeBits(layout.objects[i].type), kDidftRelAxis);
    EXPECT_EQ(layout.objects[3].name, "Button 0");
    EXPECT_EQ(layout.objects[7].name, "Button 4");
}

TEST_F(SdlDirectInputTest, KeyboardHasTheNamedKeysOnceEach)
{
    Layout layout;
    auto keyboard = Open(Enumerate()[1], layout, kDisclNonExclusive | kDisclForeground);
    ASSERT_NE(keyboard, nullptr);
    for (const char* name : {"W", "A", "S", "D", "C", "R", "F", "G", "Space", "Escape", "Left Ctrl", "Up"})
        EXPECT_GE(IndexOf(layout, name), 0) << name;
    for (size_t i = 0; i < layout.objects.size(); ++i)
        for (size_t j = i + 1; j < layout.objects.size(); ++j)
            EXPECT_STRCASENE(layout.objects[i].name.c_str(), layout.objects[j].name.c_str());
}

TEST_F(SdlDirectInputTest, KeyboardReadsOnlyWhileTheWindowHasFocus)
{
    Layout layout;
    auto keyboard = Open(Enumerate()[1], layout, kDisclNonExclusive | kDisclForeground);
    ASSERT_NE(keyboard, nullptr);
    std::vector<uint8_t> state(layout.format.dataSize);
    const uint32_t w = layout.offsets[IndexOf(layout, "W")];
    const uint32_t space = layout.offsets[IndexOf(layout, "Space")];

    EXPECT_EQ(keyboard->Acquire(), kDiErrOtherAppHasPrio);
    PushFocus(true);
    ASSERT_EQ(keyboard->Acquire(), kDiOk);
    PushKey(SDL_SCANCODE_W, true);
    ASSERT_EQ(keyboard->GetDeviceState(uint32_t(state.size()), state.data()), kDiOk);
    EXPECT_EQ(state[w], 0x80);
    EXPECT_EQ(state[space], 0);

    PushKey(SDL_SCANCODE_W, false);
    PushKey(SDL_SCANCODE_SPACE, true);
    ASSERT_EQ(keyboard->GetDeviceState(uint32_t(state.size()), state.data()), kDiOk);
    EXPECT_EQ(state[w], 0);
    EXPECT_EQ(state[space], 0x80);

    PushFocus(false);
    EXPECT_EQ(keyboard->GetDeviceState(uint32_t(state.size()), state.data()), kDiErrInputLost);
    EXPECT_EQ(keyboard->GetDeviceState(uint32_t(state.size()), state.data()), kDiErrNotAcquired);
    EXPECT_EQ(keyboard->Acquire(), kDiErrOtherAppHasPrio);

    // Keys held when focus went are forgotten.
    PushFocus(true);
    ASSERT_EQ(keyboard->Acquire(), kDiOk);
    ASSERT_EQ(keyboard->GetDeviceState(uint32_t(state.size()), state.data()), kDiOk);
    EXPECT_EQ(state[space], 0);
}

TEST_F(SdlDirectInputTest, BackgroundDeviceReadsWithoutFocus)
{
    Layout layout;
    auto keyboard = Open(Enumerate()[1], layout, kDisclNonExclusive | kDisclBackground);
    ASSERT_NE(keyboard, nullptr);
    std::vector<uint8_t> state(layout.format.dataSize);
    ASSERT_EQ(keyboard->Acquire(), kDiOk);
    PushKey(SDL_SCANCODE_A, true);
    ASSERT_EQ(keyboard->GetDeviceState(uint32_t(state.size()), state.data()), kDiOk);
    EXPECT_EQ(state[layout.offsets[IndexOf(layout, "A")]], 0x80);
}

TEST_F(SdlDirectInputTest, MouseAxesCountFromAcquisition)
{
    Layout layout;
    auto mouse = Open(Enumerate()[0], layout, kDisclExclusive | kDisclForeground);
    ASSERT_NE(mouse, nullptr);
    std::vector<uint8_t> state(layout.format.dataSize);
    const auto read = [&] { return mouse->GetDeviceState(uint32_t(state.size()), state.data()); };

    PushFocus(true);
    PushMotion(50, 50);
    ASSERT_EQ(mouse->Acquire(), kDiOk);
    ASSERT_EQ(read(), kDiOk);
    EXPECT_EQ(AxisAt(state, 0), 0) << "motion before acquisition does not count";

    PushMotion(3, -4);
    PushMotion(2, 1);
    PushWheel(2, false);
    PushWheel(1, true);
    PushMouseButton(SDL_BUTTON_RIGHT, true);
    ASSERT_EQ(read(), kDiOk);
    EXPECT_EQ(AxisAt(state, 0), 5);
    EXPECT_EQ(AxisAt(state, 4), -3);
    EXPECT_EQ(AxisAt(state, 8), 120) << "two notches up, one flipped notch down";
    EXPECT_EQ(state[layout.offsets[3]], 0);
    EXPECT_EQ(state[layout.offsets[4]], 0x80) << "the right button is button 1";

    ASSERT_EQ(mouse->Unacquire(), kDiOk);
    PushMotion(10, 10);
    ASSERT_EQ(mouse->Acquire(), kDiOk);
    ASSERT_EQ(read(), kDiOk);
    EXPECT_EQ(AxisAt(state, 0), 0) << "counters start again at each acquisition";
}

TEST_F(SdlDirectInputTest, JoystickAxesScaleToTheirRangeAndHatsPressOnlyOffCentre)
{
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 1, 1);
    ASSERT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* handle = SDL_JoystickOpen(index);
    ASSERT_NE(handle, nullptr);

    const std::vector<DeviceInstance> devices = Enumerate();
    ASSERT_EQ(devices.size(), 3u);
    EXPECT_EQ(devices[2].devType & 0xFF, kDi8DevTypeGamepad);
    Layout layout;
    auto pad = Open(devices[2], layout, kDisclExclusive | kDisclForeground);
    ASSERT_NE(pad, nullptr);
    ASSERT_EQ(layout.objects.size(), 4u);
    EXPECT_EQ(layout.objects[3].typeGuid, kGuidPov);
    ASSERT_EQ(pad->SetAxisRange(layout.objects[0].type, -32768, 32768), kDiOk);
    ASSERT_EQ(pad->SetAxisRange(layout.objects[1].type, -32768, 32768), kDiOk);

    PushFocus(true);
    ASSERT_EQ(pad->Acquire(), kDiOk);
    std::vector<uint8_t> state(layout.format.dataSize);
    SDL_JoystickSetVirtualAxis(handle, 0, 32767);
    SDL_JoystickSetVirtualAxis(handle, 1, -32768);
    SDL_JoystickSetVirtualButton(handle, 0, SDL_PRESSED);
    SDL_JoystickSetVirtualHat(handle, 0, SDL_HAT_CENTERED);
    ASSERT_EQ(pad->GetDeviceState(uint32_t(state.size()), state.data()), kDiOk);
    EXPECT_EQ(AxisAt(state, 0), 32768);
    EXPECT_EQ(AxisAt(state, 4), -32768);
    EXPECT_EQ(state[8], 0x80);
    EXPECT_EQ(state[9], 0) << "a centred hat is not pressed";

    SDL_JoystickSetVirtualAxis(handle, 0, 0);
    SDL_JoystickSetVirtualHat(handle, 0, SDL_HAT_LEFT);
    ASSERT_EQ(pad->GetDeviceState(uint32_t(state.size()), state.data()), kDiOk);
    EXPECT_EQ(AxisAt(state, 0), 0);
    EXPECT_EQ(state[9], 0x80);

    pad.reset();
    SDL_JoystickClose(handle);
    SDL_JoystickDetachVirtual(index);
}

TEST_F(SdlDirectInputTest, InjectedKeyMakesItsBoundActionRead32768)
{
    m_Input.reset();
    DirectInputManager manager;
    ASSERT_TRUE(manager.Init());
    manager.SetCooperativeWindow(Handle());
    const int keyboard = manager.FindDeviceByType(InputDevice::kTypeKeyboard);
    ASSERT_EQ(keyboard, 1) << "the mouse comes first";
    const int w = manager.FindDeviceControlByName(keyboard, "w");
    ASSERT_GE(w, 0);
    ASSERT_TRUE(manager.AddBinding(6, keyboard, w, InputManager::kRangeWhole, 0));

    PushFocus(true);
    manager.Update();
    EXPECT_EQ(manager.GetActionValue(6, nullptr, 0), 0);
    PushKey(SDL_SCANCODE_W, true);
    manager.Update();
    int32_t kind = -1;
    EXPECT_EQ(manager.GetActionValue(6, &kind, 0), 32768);
    EXPECT_EQ(kind, InputDevice::kKindButton);
    PushKey(SDL_SCANCODE_W, false);
    manager.Update();
    EXPECT_EQ(manager.GetActionValue(6, nullptr, 0), 0);

    PushKey(SDL_SCANCODE_W, true);
    PushFocus(false);
    manager.Update();
    EXPECT_EQ(manager.GetActionValue(6, nullptr, 0), 0) << "nothing reads without focus";
}
