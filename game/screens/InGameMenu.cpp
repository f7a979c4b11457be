#include "game/screens/InGameMenu.h"

#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiWidgetLookup.h"
#include "game/screens/CloseWithCancel.h"

InGameMenu::InGameMenu(const std::string& layoutFile) : guiWindow(layoutFile)
{
    if (auto* quit = guiWidgetLookup::Find<guiButton>(*this, kQuitName))
        quit->SetOnClick([this](int) { return MessageBoxWindow::OnOk(this); });
    if (auto* resume = guiWidgetLookup::Find<guiButton>(*this, kResumeName))
        resume->SetOnClick([this](int) { return CloseWithCancel(this); });
}
