#include "game/screens/MapSaveMenu.h"

#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiButton.h"
#include "game/screens/CloseWithCancel.h"
#include "game/screens/ScreenWidgets.h"

MapSaveMenu::MapSaveMenu(const std::string& layoutFile) : guiWindow(layoutFile)
{
    if (auto* yes = ScreenWidgets::Find<guiButton>(*this, kYesName))
        yes->SetOnClick([this](int) { return MessageBoxWindow::OnYes(this); });
    if (auto* no = ScreenWidgets::Find<guiButton>(*this, kNoName))
        no->SetOnClick([this](int) { return MessageBoxWindow::OnNo(this); });
    if (auto* cancel = ScreenWidgets::Find<guiButton>(*this, kCancelName))
        cancel->SetOnClick([this](int) { return CloseWithCancel(this); });
}
