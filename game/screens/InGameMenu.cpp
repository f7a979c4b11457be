#include "game/screens/InGameMenu.h"

#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiButton.h"
#include "game/screens/CloseWithCancel.h"
#include "game/screens/ScreenWidgets.h"

InGameMenu::InGameMenu(const std::string& layoutFile) : guiWindow(layoutFile)
{
    if (auto* quit = ScreenWidgets::Find<guiButton>(*this, kQuitName))
        quit->SetOnClick([this](int) { return MessageBoxWindow::OnOk(this); });
    if (auto* resume = ScreenWidgets::Find<guiButton>(*this, kResumeName))
        resume->SetOnClick([this](int) { return CloseWithCancel(this); });
}
