#include "platform/input/SdlKeyboardDevice.h"

#include <SDL.h>

namespace platform
{
namespace
{

struct Key
{
    SDL_Scancode scancode;
    const char* name;
};

// Append only: a key's index is its control index in saved bindings.
constexpr Key kKeys[] = {
    {SDL_SCANCODE_A, "A"},
    {SDL_SCANCODE_B, "B"},
    {SDL_SCANCODE_C, "C"},
    {SDL_SCANCODE_D, "D"},
    {SDL_SCANCODE_E, "E"},
    {SDL_SCANCODE_F, "F"},
    {SDL_SCANCODE_G, "G"},
    {SDL_SCANCODE_H, "H"},
    {SDL_SCANCODE_I, "I"},
    {SDL_SCANCODE_J, "J"},
    {SDL_SCANCODE_K, "K"},
    {SDL_SCANCODE_L, "L"},
    {SDL_SCANCODE_M, "M"},
    {SDL_SCANCODE_N, "N"},
    {SDL_SCANCODE_O, "O"},
    {SDL_SCANCODE_P, "P"},
    {SDL_SCANCODE_Q, "Q"},
    {SDL_SCANCODE_R, "R"},
    {SDL_SCANCODE_S, "S"},
    {SDL_SCANCODE_T, "T"},
    {SDL_SCANCODE_U, "U"},
    {SDL_SCANCODE_V, "V"},
    {SDL_SCANCODE_W, "W"},
    {SDL_SCANCODE_X, "X"},
    {SDL_SCANCODE_Y, "Y"},
    {SDL_SCANCODE_Z, "Z"},
    {SDL_SCANCODE_1, "1"},
    {SDL_SCANCODE_2, "2"},
    {SDL_SCANCODE_3, "3"},
    {SDL_SCANCODE_4, "4"},
    {SDL_SCANCODE_5, "5"},
    {SDL_SCANCODE_6, "6"},
    {SDL_SCANCODE_7, "7"},
    {SDL_SCANCODE_8, "8"},
    {SDL_SCANCODE_9, "9"},
    {SDL_SCANCODE_0, "0"},
    {SDL_SCANCODE_RETURN, "Enter"},
    {SDL_SCANCODE_ESCAPE, "Escape"},
    {SDL_SCANCODE_BACKSPACE, "Backspace"},
    {SDL_SCANCODE_TAB, "Tab"},
    {SDL_SCANCODE_SPACE, "Space"},
    {SDL_SCANCODE_MINUS, "-"},
    {SDL_SCANCODE_EQUALS, "="},
    {SDL_SCANCODE_LEFTBRACKET, "["},
    {SDL_SCANCODE_RIGHTBRACKET, "]"},
    {SDL_SCANCODE_BACKSLASH, "\\"},
    {SDL_SCANCODE_NONUSHASH, "#"},
    {SDL_SCANCODE_SEMICOLON, ";"},
    {SDL_SCANCODE_APOSTROPHE, "'"},
    {SDL_SCANCODE_GRAVE, "`"},
    {SDL_SCANCODE_COMMA, ","},
    {SDL_SCANCODE_PERIOD, "."},
    {SDL_SCANCODE_SLASH, "/"},
    {SDL_SCANCODE_CAPSLOCK, "Caps Lock"},
    {SDL_SCANCODE_F1, "F1"},
    {SDL_SCANCODE_F2, "F2"},
    {SDL_SCANCODE_F3, "F3"},
    {SDL_SCANCODE_F4, "F4"},
    {SDL_SCANCODE_F5, "F5"},
    {SDL_SCANCODE_F6, "F6"},
    {SDL_SCANCODE_F7, "F7"},
    {SDL_SCANCODE_F8, "F8"},
    {SDL_SCANCODE_F9, "F9"},
    {SDL_SCANCODE_F10, "F10"},
    {SDL_SCANCODE_F11, "F11"},
    {SDL_SCANCODE_F12, "F12"},
    {SDL_SCANCODE_PRINTSCREEN, "Print Screen"},
    {SDL_SCANCODE_SCROLLLOCK, "Scroll Lock"},
    {SDL_SCANCODE_PAUSE, "Pause"},
    {SDL_SCANCODE_INSERT, "Insert"},
    {SDL_SCANCODE_HOME, "Home"},
    {SDL_SCANCODE_PAGEUP, "Page Up"},
    {SDL_SCANCODE_DELETE, "Delete"},
    {SDL_SCANCODE_END, "End"},
    {SDL_SCANCODE_PAGEDOWN, "Page Down"},
    {SDL_SCANCODE_RIGHT, "Right"},
    {SDL_SCANCODE_LEFT, "Left"},
    {SDL_SCANCODE_DOWN, "Down"},
    {SDL_SCANCODE_UP, "Up"},
    {SDL_SCANCODE_NUMLOCKCLEAR, "Num Lock"},
    {SDL_SCANCODE_KP_DIVIDE, "Num /"},
    {SDL_SCANCODE_KP_MULTIPLY, "Num *"},
    {SDL_SCANCODE_KP_MINUS, "Num -"},
    {SDL_SCANCODE_KP_PLUS, "Num +"},
    {SDL_SCANCODE_KP_ENTER, "Num Enter"},
    {SDL_SCANCODE_KP_1, "Num 1"},
    {SDL_SCANCODE_KP_2, "Num 2"},
    {SDL_SCANCODE_KP_3, "Num 3"},
    {SDL_SCANCODE_KP_4, "Num 4"},
    {SDL_SCANCODE_KP_5, "Num 5"},
    {SDL_SCANCODE_KP_6, "Num 6"},
    {SDL_SCANCODE_KP_7, "Num 7"},
    {SDL_SCANCODE_KP_8, "Num 8"},
    {SDL_SCANCODE_KP_9, "Num 9"},
    {SDL_SCANCODE_KP_0, "Num 0"},
    {SDL_SCANCODE_KP_PERIOD, "Num ."},
    {SDL_SCANCODE_NONUSBACKSLASH, "OEM 102"},
    {SDL_SCANCODE_APPLICATION, "Applications"},
    {SDL_SCANCODE_KP_EQUALS, "Num ="},
    {SDL_SCANCODE_F13, "F13"},
    {SDL_SCANCODE_F14, "F14"},
    {SDL_SCANCODE_F15, "F15"},
    {SDL_SCANCODE_F16, "F16"},
    {SDL_SCANCODE_F17, "F17"},
    {SDL_SCANCODE_F18, "F18"},
    {SDL_SCANCODE_F19, "F19"},
    {SDL_SCANCODE_F20, "F20"},
    {SDL_SCANCODE_F21, "F21"},
    {SDL_SCANCODE_F22, "F22"},
    {SDL_SCANCODE_F23, "F23"},
    {SDL_SCANCODE_F24, "F24"},
    {SDL_SCANCODE_LCTRL, "Left Ctrl"},
    {SDL_SCANCODE_LSHIFT, "Left Shift"},
    {SDL_SCANCODE_LALT, "Left Alt"},
    {SDL_SCANCODE_LGUI, "Left Windows"},
    {SDL_SCANCODE_RCTRL, "Right Ctrl"},
    {SDL_SCANCODE_RSHIFT, "Right Shift"},
    {SDL_SCANCODE_RALT, "Right Alt"},
    {SDL_SCANCODE_RGUI, "Right Windows"},
};

std::vector<DeviceObjectInstance> KeyboardObjects()
{
    std::vector<DeviceObjectInstance> objects;
    uint32_t index = 0;
    for (const Key& key : kKeys)
    {
        DeviceObjectInstance object;
        object.typeGuid = kGuidKey;
        object.offset = index;
        object.type = MakeObjectType(kDidftPshButton, index);
        object.name = key.name;
        objects.push_back(object);
        ++index;
    }
    return objects;
}

} // namespace

DeviceInstance SdlKeyboardDevice::Instance()
{
    DeviceInstance instance;
    instance.instanceGuid = kInstanceGuid;
    instance.productGuid = kInstanceGuid;
    instance.devType = kDi8DevTypeKeyboard;
    instance.instanceName = "Keyboard";
    instance.productName = "Keyboard";
    return instance;
}

SdlKeyboardDevice::SdlKeyboardDevice(std::shared_ptr<SdlInputEvents> events)
    : InputDeviceBase(kDi8DevTypeKeyboard, KeyboardObjects()), m_Events(std::move(events))
{
}

bool SdlKeyboardDevice::HasFocus() const
{
    return m_Events->HasFocus();
}

int32_t SdlKeyboardDevice::ReadObject(size_t index)
{
    if (index >= sizeof kKeys / sizeof kKeys[0])
        return 0;
    return m_Events->IsKeyDown(kKeys[index].scancode) ? 1 : 0;
}

} // namespace platform
