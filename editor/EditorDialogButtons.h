#pragma once

#include "engine/gui/guiModalResult.h"

#include <cstdint>
#include <string>

class guiWindow;

// The buttons that end a dialog's modal show with a result (a gui::ModalResult).
class EditorDialogButtons
{
public:
    // The named button hides the window with the result.
    static void Wire(guiWindow& window, const std::string& button, int32_t result);
    static void Close(guiWindow& window, int32_t result);
};
