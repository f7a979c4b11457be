#pragma once

#include "engine/core/InputManager.h"
#include "platform/input/ScriptedDevice.h"
#include "platform/input/ScriptedDirectInput.h"
#include "tests/support/game/InstallFolder.h"

#include <tinyxml.h>

#include <memory>
#include <string>
#include <vector>

namespace gametest
{

using Script = std::shared_ptr<platform::ScriptedDevice>;

inline Script Mouse()
{
    auto mouse = std::make_shared<platform::ScriptedDevice>("Mouse", platform::kDi8DevTypeMouse, 1);
    mouse->AddAxis("X-axis", platform::kGuidXAxis, true);
    mouse->AddAxis("Y-axis", platform::kGuidYAxis, true);
    mouse->AddAxis("Wheel", platform::kGuidZAxis, true);
    for (const char* button : {"Button 0", "Button 1", "Button 2"})
        mouse->AddButton(button);
    return mouse;
}

// Buttons of Keyboard(), in the order it adds them.
enum KeyboardButton
{
    kW,
    kA,
    kS,
    kD,
    kC,
    kR,
    kF,
    kG,
    kSpace,
    kKeyCount
};

inline Script Keyboard()
{
    auto keyboard = std::make_shared<platform::ScriptedDevice>("Keyboard", platform::kDi8DevTypeKeyboard, 2);
    for (const char* key : {"W", "A", "S", "D", "C", "R", "F", "G", "Space"})
        keyboard->AddButton(key);
    return keyboard;
}

inline Script Joystick()
{
    auto joystick = std::make_shared<platform::ScriptedDevice>("Stick", platform::kDi8DevTypeJoystick, 3);
    joystick->AddAxis("X", platform::kGuidXAxis, false);
    joystick->AddAxis("Y", platform::kGuidYAxis, false);
    for (const char* button : {"Trigger", "Thumb", "Top"})
        joystick->AddButton(button);
    return joystick;
}

// The input system lists these devices while the object lives.
class AttachedDevices
{
public:
    explicit AttachedDevices(std::vector<Script> scripts)
    {
        m_Previous = platform::SetDirectInputFactory(
            [scripts]
            { return std::unique_ptr<platform::DirectInput8>(new platform::ScriptedDirectInput(scripts)); });
    }
    ~AttachedDevices() { platform::SetDirectInputFactory(m_Previous); }
    AttachedDevices(const AttachedDevices&) = delete;
    AttachedDevices& operator=(const AttachedDevices&) = delete;

private:
    platform::DirectInputFactory m_Previous;
};

// Every binding as "action:device/control/range", in the order the controls file stores them.
inline std::vector<std::string> Bindings(InputManager& manager)
{
    TiXmlElement root("controls");
    manager.SaveControls(&root);
    std::vector<std::string> bindings;
    for (const TiXmlElement* device = root.FirstChildElement("device"); device;
         device = device->NextSiblingElement("device"))
        for (const TiXmlElement* control = device->FirstChildElement("control"); control;
             control = control->NextSiblingElement("control"))
            bindings.push_back(std::string(control->FirstChildElement("action")->GetText()) + ":" +
                               device->FirstChildElement("name")->GetText() + "/" +
                               control->FirstChildElement("name")->GetText() + "/" +
                               control->FirstChildElement("range")->GetText());
    return bindings;
}

} // namespace gametest
