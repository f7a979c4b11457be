#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>

union SDL_Event;

namespace platform
{

// What the SDL back end learns from SDL's event stream: the focus of our window, which keys and mouse
// buttons are down, and mouse motion and wheel counters. It watches events as SDL queues them, so it sees
// them whoever drains the queue, and also sees events pushed by tests.
class SdlInputEvents
{
public:
    static constexpr int kKeyCount = 512;
    static constexpr int kMouseButtonCount = 5;
    static constexpr int32_t kWheelNotch = 120;

    // Starts SDL's event subsystem (and joysticks when they start); null when events cannot start.
    static std::shared_ptr<SdlInputEvents> Start();
    ~SdlInputEvents();
    SdlInputEvents(const SdlInputEvents&) = delete;
    SdlInputEvents& operator=(const SdlInputEvents&) = delete;

    bool HasJoysticks() const { return m_Joysticks; }
    // The process has one window: focus is whether it has the keyboard focus.
    bool HasFocus() const;
    bool IsKeyDown(int scancode) const;
    // Buttons numbered 0 left, 1 right, 2 middle, 3 and 4 the side buttons.
    bool IsMouseButtonDown(int button) const;

    // Motion and wheel totals since start; a device subtracts its own starting point.
    struct MouseCounters
    {
        int64_t x = 0;
        int64_t y = 0;
        int64_t wheel = 0;
    };
    MouseCounters GetMouseCounters() const;

private:
    SdlInputEvents(bool joysticks, bool focus);
    static int Watch(void* self, SDL_Event* event);
    void Handle(const SDL_Event& event);

    const bool m_Joysticks;
    mutable std::mutex m_Mutex;
    bool m_Focus;
    std::array<bool, kKeyCount> m_Keys{};
    std::array<bool, kMouseButtonCount> m_MouseButtons{};
    MouseCounters m_Counters;
};

} // namespace platform
