#pragma once

#include "engine/core/InputManager.h"
#include "platform/input/DirectInput8.h"

#include <memory>

// The input manager over the platform's input system: every attached device, added once each.
class DirectInputManager : public InputManager
{
public:
    DirectInputManager();
    ~DirectInputManager() override;

    // Creates the input system and adds its devices; true even when there is none.
    bool Init() override;
    // Gives every device its cooperative level with the window, then polls it.
    void SetCooperativeWindow(platform::WindowHandle window);

private:
    bool HasDevice(const platform::Guid& instanceGuid) const;

    std::unique_ptr<platform::DirectInput8> m_DirectInput;
};
