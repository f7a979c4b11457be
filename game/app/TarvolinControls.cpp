#include "game/app/Tarvolin.h"

#include "engine/core/DirectInputManager.h"
#include "engine/core/InputDevice.h"
#include "engine/core/kaXmlHelpers.h"
#include "game/world/tvXmlFile.h"
#include "platform/window/WindowConstants.h"

#include <tinyxml.h>

namespace
{

constexpr int kPlayer = 0;

struct KeyBinding
{
    int action;
    const char* key;
    int range;
};

// The keyboard rows of the full default set, in binding order.
constexpr KeyBinding kDefaultKeys[] = {
    {6, "W", InputManager::kRangeNegative}, {7, "S", InputManager::kRangePositive},
    {8, "A", InputManager::kRangePositive}, {9, "D", InputManager::kRangeNegative},
    {14, "C", InputManager::kRangeWhole},   {17, "Space", InputManager::kRangeWhole},
    {15, "R", InputManager::kRangeWhole},   {18, "F", InputManager::kRangeWhole},
};

// The free camera's key when the controls file leaves it unbound.
constexpr KeyBinding kFreeCameraFallback = {18, "G", InputManager::kRangeWhole};

struct AxisBinding
{
    int action;
    int code;
    int range;
};

// The joystick rows of the full default set: its y axis accelerates and brakes, its x axis steers.
constexpr AxisBinding kJoystickAxes[] = {
    {6, 2, InputManager::kRangeNegative},
    {7, 2, InputManager::kRangePositive},
    {8, 1, InputManager::kRangePositive},
    {9, 1, InputManager::kRangeNegative},
};

// Pointer actions in binding order: x, y and wheel by axis code, then the buttons.
constexpr int kPointerActions[] = {0, 1, 2, 3, 5, 4};
constexpr int kPointerAxisCount = 3;
constexpr int kPointerActionCount = 6;
// The device's button of actions 3, 4 and 5 (the loop's left, middle and right).
constexpr int kPointerButtons[] = {platform::kDeviceMouseLeft, platform::kDeviceMouseMiddle,
                                   platform::kDeviceMouseRight};

} // namespace

void Tarvolin::InitInput()
{
    auto manager = std::make_unique<DirectInputManager>();
    manager->Init();
    manager->SetCooperativeWindow(GetWindowHandle());
    m_InputManager = std::move(manager);
    if (!LoadControls())
        SetDefaultControls();
}

bool Tarvolin::LoadControls()
{
    if (!m_InputManager)
        return false;
    TiXmlDocument document;
    if (!tvXmlFile::Load(document, kControlsFile))
        return false;
    TiXmlElement* root = document.FirstChildElement(kControlsRoot);
    if (!root)
        return false;
    m_InputManager->LoadControls(root);
    for (int action = 0; action < kGameActionCount; ++action)
        if (m_InputManager->GetBindingCount(action, kPlayer) == 0)
            SetDefaultBinding(action);
    return true;
}

bool Tarvolin::SaveControls()
{
    if (!m_InputManager)
        return false;
    TiXmlDocument document;
    m_InputManager->SaveControls(AppendElement(&document, kControlsRoot));
    return tvXmlFile::Save(document, kControlsFile, "Tarvolin::SaveControls");
}

void Tarvolin::_BindPointer(int action, int device)
{
    if (device < 0)
        return;
    const int control =
        action < kPointerAxisCount
            ? m_InputManager->FindDeviceControlByCode(device, action + 1)
            : m_InputManager->GetDeviceControlCode(device, kPointerButtons[action - kPointerAxisCount]);
    if (control >= 0)
        m_InputManager->AddBinding(action, device, control, InputManager::kRangeWhole, kPlayer);
}

void Tarvolin::_BindKey(int action, const char* key, int range)
{
    const int keyboard = m_InputManager->FindDeviceByType(InputDevice::kTypeKeyboard);
    if (keyboard < 0)
        return;
    const int control = m_InputManager->FindDeviceControlByName(keyboard, key);
    if (control >= 0)
        m_InputManager->AddBinding(action, keyboard, control, range, kPlayer);
}

void Tarvolin::SetDefaultControls()
{
    if (!m_InputManager)
        return;
    m_InputManager->ClearBindings();

    int pointer = m_InputManager->FindDeviceByType(InputDevice::kTypeMouse);
    if (pointer < 0)
        pointer = m_InputManager->FindDeviceByType(InputDevice::kTypeJoystick);
    if (pointer < 0)
        pointer = m_InputManager->FindDeviceByType(InputDevice::kTypeGamepad);
    for (int action : kPointerActions)
        _BindPointer(action, pointer);

    for (const KeyBinding& binding : kDefaultKeys)
        _BindKey(binding.action, binding.key, binding.range);

    const int joystick = m_InputManager->FindDeviceByType(InputDevice::kTypeJoystick);
    if (joystick < 0)
        return;
    for (const AxisBinding& binding : kJoystickAxes)
    {
        const int control = m_InputManager->FindDeviceControlByCode(joystick, binding.code);
        if (control >= 0)
            m_InputManager->AddBinding(binding.action, joystick, control, binding.range, kPlayer);
    }
}

void Tarvolin::SetDefaultBinding(int action)
{
    if (!m_InputManager)
        return;
    if (action >= 0 && action < kPointerActionCount)
    {
        // Only a mouse stands in for a pointer action the file left out.
        _BindPointer(action, m_InputManager->FindDeviceByType(InputDevice::kTypeMouse));
        return;
    }
    if (action == kFreeCameraFallback.action)
    {
        _BindKey(action, kFreeCameraFallback.key, kFreeCameraFallback.range);
        return;
    }
    for (const KeyBinding& binding : kDefaultKeys)
        if (binding.action == action)
            _BindKey(action, binding.key, binding.range);
}
