#include "platform/input/SdlInputEvents.h"
#include "platform/window/WindowConstants.h"

#include <SDL.h>

namespace platform
{
namespace
{

// SDL numbers mouse buttons left 1, middle 2, right 3; the devices put right before middle.
int MouseButtonIndex(uint8_t sdlButton)
{
    switch (sdlButton)
    {
    case SDL_BUTTON_LEFT:
        return kDeviceMouseLeft;
    case SDL_BUTTON_RIGHT:
        return kDeviceMouseRight;
    case SDL_BUTTON_MIDDLE:
        return kDeviceMouseMiddle;
    case SDL_BUTTON_X1:
        return 3;
    case SDL_BUTTON_X2:
        return 4;
    default:
        return -1;
    }
}

} // namespace

std::shared_ptr<SdlInputEvents> SdlInputEvents::Start()
{
    if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0)
        return nullptr;
    // Whether a device reads without focus is the cooperative level's business, not SDL's.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    const bool joysticks = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
    const bool focus = SDL_WasInit(SDL_INIT_VIDEO) != 0 && SDL_GetKeyboardFocus() != nullptr;
    std::shared_ptr<SdlInputEvents> events(new SdlInputEvents(joysticks, focus));
    SDL_AddEventWatch(&SdlInputEvents::Watch, events.get());
    return events;
}

SdlInputEvents::SdlInputEvents(bool joysticks, bool focus) : m_Joysticks(joysticks), m_Focus(focus) {}

SdlInputEvents::~SdlInputEvents()
{
    SDL_DelEventWatch(&SdlInputEvents::Watch, this);
    if (m_Joysticks)
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

bool SdlInputEvents::HasFocus() const
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Focus;
}

bool SdlInputEvents::IsKeyDown(int scancode) const
{
    if (scancode < 0 || scancode >= kKeyCount)
        return false;
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Keys[scancode];
}

bool SdlInputEvents::IsMouseButtonDown(int button) const
{
    if (button < 0 || button >= kMouseButtonCount)
        return false;
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_MouseButtons[button];
}

SdlInputEvents::MouseCounters SdlInputEvents::GetMouseCounters() const
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Counters;
}

int SdlInputEvents::Watch(void* self, SDL_Event* event)
{
    if (event != nullptr)
        static_cast<SdlInputEvents*>(self)->Handle(*event);
    return 0;
}

void SdlInputEvents::Handle(const SDL_Event& event)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    switch (event.type)
    {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    {
        const int scancode = event.key.keysym.scancode;
        if (scancode >= 0 && scancode < kKeyCount)
            m_Keys[scancode] = event.type == SDL_KEYDOWN;
        break;
    }
    case SDL_MOUSEMOTION:
        m_Counters.x += event.motion.xrel;
        m_Counters.y += event.motion.yrel;
        break;
    case SDL_MOUSEWHEEL:
    {
        const int64_t notches =
            event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        m_Counters.wheel += notches * kWheelNotch;
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    {
        const int button = MouseButtonIndex(event.button.button);
        if (button >= 0)
            m_MouseButtons[button] = event.type == SDL_MOUSEBUTTONDOWN;
        break;
    }
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
            m_Focus = true;
        else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST)
        {
            // Keys released while we are away never reach us; start clean when focus returns.
            m_Focus = false;
            m_Keys.fill(false);
            m_MouseButtons.fill(false);
        }
        break;
    default:
        break;
    }
}

} // namespace platform
