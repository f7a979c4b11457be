#pragma once

#include "engine/core/kaAny.h"

#include <cstdint>
#include <string>
#include <utility>

class guiWidget;

namespace gui
{

// The mouse as the GUI manager hands it on: the cursor's pixel position, the movement and wheel gathered
// since the last update, and the three buttons with the flags of what changed. The application's mouse
// records carry the same fields; a record marked absolute carries the pointer's position in the window in
// x, y (a moved record), so that the cursor sits where the pointer is instead of adding up movements.
struct MouseData
{
    int32_t x = 0;
    int32_t y = 0;
    int32_t dx = 0;
    int32_t dy = 0;
    int32_t wheel = 0;
    bool buttons[3] = {false, false, false};
    bool changed[3] = {false, false, false};
    bool moved = false;
    bool buttonsChanged = false;
    bool absolute = false;
};

// Event types that widgets fire to their handlers.
enum EventType : int32_t
{
    kEventCellSelected = 1,
    kEventSelectionCleared = 2,
    kEventValueChanged = 3,
    kEventDoubleClick = 4,
    kEventButton2Down = 5,
    kEventSliderPressed = 6,
    kEventSliderReleased = 7,
    kEventMouseOver = 8,
    kEventMouseLeft = 9,
    kEventFocusChanged = 10,
    kEventButton0Down = 11,
};

} // namespace gui

class guiMessage
{
public:
    virtual ~guiMessage() = default;
};

// A mouse move as windows get it: data holds the cursor position, the wheel and the buttons held; the
// delta is the movement since the previous message.
class guiMsgMouse : public guiMessage
{
public:
    gui::MouseData data;
    float deltaX = 0.0f;
    float deltaY = 0.0f;
    bool anyButton = false;
};

// A key as the application's key handler reports it.
class guiMsgKey : public guiMessage
{
public:
    uint8_t key = 0;
    // Set when the key is a virtual-key code rather than a character.
    uint8_t virtualKey = 0;
    uint8_t shift = 0;
    uint8_t alt = 0;
    uint8_t ctrl = 0;
};

// What a widget tells its handlers: the kind of event, who sent it, and a text and a value that each
// event type fills as it needs.
class guiMsgEvent : public guiMessage
{
public:
    guiMsgEvent() = default;
    guiMsgEvent(int32_t type, guiWidget* sender, std::string text = std::string(), ka::any value = ka::any())
        : type(type), sender(sender), text(std::move(text)), value(std::move(value))
    {
    }

    int32_t type = 0;
    guiWidget* sender = nullptr;
    std::string text;
    ka::any value;
};
