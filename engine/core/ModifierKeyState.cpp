#include "engine/core/ModifierKeyState.h"

ModifierKeyState g_ModifierKeyState;
