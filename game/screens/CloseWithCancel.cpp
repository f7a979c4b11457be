#include "game/screens/CloseWithCancel.h"

#include "engine/gui/MessageBoxWindow.h"

bool CloseWithCancel(guiWindow* window)
{
    return MessageBoxWindow::OnCancel(window);
}
