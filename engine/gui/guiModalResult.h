#pragma once

#include <cstdint>

namespace gui
{

// How a window shown modally was closed: what guiManager::ShowWindow returns and HideWindow is given.
enum ModalResult : int32_t
{
    // Closed with nothing chosen yet (a hide before any answer).
    kModalNone = 0,
    // Its action was taken: OK, Done, Save.
    kModalDone = 1,
    // Dismissed: Cancel, Back, or the application quitting while it was open.
    kModalCancelled = 2,
    // A question's two answers (a message box's Yes and No; the codes double as its button flags).
    kModalYes = 4,
    kModalNo = 8,
};

} // namespace gui
