#pragma once

#include <cstdint>
#include <string>

class guiWindow;

// The buttons that end a dialog's modal show with a result.
class EditorDialogButtons
{
public:
    static constexpr int32_t kConfirmed = 1;
    static constexpr int32_t kCancelled = 2;

    // The named button hides the window with the result.
    static void Wire(guiWindow& window, const std::string& button, int32_t result);
    static void Close(guiWindow& window, int32_t result);
};
