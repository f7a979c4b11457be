#pragma once

#include "engine/core/kaAny.h"

#include <cstdint>
#include <string>
#include <utility>

class guiWidget;

namespace gui
{

// The mouse as the GUI manager hands it on: the cursor's pixel position, the movement and wheel gathered
// since the last update, and the three buttons with the flags of what changed.
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

class guiMsgMouse : public guiMessage
{
public:
    gui::MouseData data;
};

class guiMsgKey : public guiMessage
{
public:
    uint8_t key = 0;
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
