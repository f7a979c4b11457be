#include "game/screens/DeletePlayerWindow.h"

#include "engine/gui/guiButton.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiWidgetLookup.h"
#include "game/app/Tarvolin.h"
#include "game/records/tvPlayer.h"
#include "game/screens/MainWindow.h"

DeletePlayerWindow::DeletePlayerWindow(const std::string& layoutFile, Tarvolin* app)
    : guiWindow(layoutFile), m_App(app)
{
    m_NameBox = guiWidgetLookup::Find<guiTextBox>(*this, kNameBox);
    if (auto* ok = guiWidgetLookup::Find<guiButton>(*this, kOkName))
        ok->SetOnClick([this](int) { return OnOk(); });
    if (auto* cancel = guiWidgetLookup::Find<guiButton>(*this, kCancelName))
        cancel->SetOnClick([this](int) { return OnCancel(); });
    OnShow();
}

void DeletePlayerWindow::OnShow()
{
    if (m_NameBox != nullptr && m_App != nullptr && m_App->GetCurrentPlayer() != nullptr)
        m_NameBox->SetText(m_App->GetCurrentPlayer()->GetPlayerName(), 0);
    guiWindow::OnShow();
}

bool DeletePlayerWindow::OnOk()
{
    MainWindow* main = nullptr;
    if (g_pGuiManager != nullptr)
        if (guiWindow* found = g_pGuiManager->FindWindow(MainWindow::kWindowName))
            main = found->DynamicCast<MainWindow>();
    // The row's index names the profile: two profiles may share the name the box shows.
    if (main != nullptr && m_App != nullptr)
        m_App->DeletePlayer(m_App->GetPlayer(main->GetSelectedIndex()));
    if (g_pGuiManager != nullptr)
        g_pGuiManager->HideWindow(this, gui::kModalDone);
    if (main != nullptr)
        main->OnShow();
    return true;
}

bool DeletePlayerWindow::OnCancel()
{
    if (g_pGuiManager != nullptr)
    {
        g_pGuiManager->HideWindow(this, gui::kModalCancelled);
        if (guiWindow* main = g_pGuiManager->FindWindow(MainWindow::kWindowName))
            main->OnShow();
    }
    return true;
}
