#pragma once

#include <cstdint>

// The modifier keys as the message loop last saw them: 1 while held. Only the loop writes them; the key
// handlers get copies and the editor camera reads them each frame.
struct ModifierKeyState
{
    uint8_t Ctrl = 0;
    uint8_t Shift = 0;
    uint8_t Alt = 0;
};

extern ModifierKeyState g_ModifierKeyState;
