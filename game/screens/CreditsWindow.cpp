#include "game/screens/CreditsWindow.h"

#include "engine/gui/guiButton.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiWidgetLookup.h"
#include "game/screens/MainWindow.h"

CreditsWindow::CreditsWindow(const std::string& layoutFile) : guiWindow(layoutFile)
{
    if (auto* ok = guiWidgetLookup::Find<guiButton>(*this, kOkName))
        ok->SetOnClick([this](int) { return OnOk(); });
}

bool CreditsWindow::OnOk()
{
    if (g_pGuiManager == nullptr)
        return true;
    g_pGuiManager->HideWindow(this, gui::kModalDone);
    if (guiWindow* main = g_pGuiManager->FindWindow(MainWindow::kWindowName))
        main->OnShow();
    return true;
}
