#include "game/screens/courseeditor/MapSaveMenu.h"

#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiWidgetLookup.h"
#include "game/screens/CloseWithCancel.h"

MapSaveMenu::MapSaveMenu(const std::string& layoutFile) : guiWindow(layoutFile)
{
    if (auto* yes = guiWidgetLookup::Find<guiButton>(*this, kYesName))
        yes->SetOnClick([this](int) { return MessageBoxWindow::OnYes(this); });
    if (auto* no = guiWidgetLookup::Find<guiButton>(*this, kNoName))
        no->SetOnClick([this](int) { return MessageBoxWindow::OnNo(this); });
    if (auto* cancel = guiWidgetLookup::Find<guiButton>(*this, kCancelName))
        cancel->SetOnClick([this](int) { return CloseWithCancel(this); });
}
