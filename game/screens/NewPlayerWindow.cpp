#include "game/screens/NewPlayerWindow.h"

#include "engine/gui/guiButton.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiWidgetLookup.h"
#include "game/app/Tarvolin.h"
#include "game/records/tvPlayer.h"
#include "game/screens/MainWindow.h"

namespace
{

bool IsTaken(const Tarvolin& app, const std::string& name)
{
    for (int32_t i = 0; i < app.GetPlayerCount(); ++i)
        if (app.GetPlayer(i)->GetPlayerName() == name)
            return true;
    return false;
}

void RefreshMainWindow()
{
    if (g_pGuiManager != nullptr)
        if (guiWindow* main = g_pGuiManager->FindWindow(MainWindow::kWindowName))
            main->OnShow();
}

} // namespace

NewPlayerWindow::NewPlayerWindow(const std::string& layoutFile, Tarvolin* app)
    : guiWindow(layoutFile), m_App(app)
{
    m_NameBox = guiWidgetLookup::Find<guiTextBox>(*this, kNameBox);
    if (auto* ok = guiWidgetLookup::Find<guiButton>(*this, kOkName))
        ok->SetOnClick([this](int) { return OnOk(); });
    if (auto* cancel = guiWidgetLookup::Find<guiButton>(*this, kCancelName))
        cancel->SetOnClick([this](int) { return OnCancel(); });
}

void NewPlayerWindow::OnShow()
{
    m_Created = false;
    // Each showing opens as the first: the last driver's name would otherwise stay as text typed after.
    if (m_NameBox != nullptr)
        m_NameBox->SetPrompt(kPrompt);
    guiWindow::OnShow();
}

std::string NewPlayerWindow::UniqueName(const Tarvolin& app, std::string name)
{
    while (IsTaken(app, name))
    {
        int counter = 2;
        std::string base = name;
        // A name shorter than a tail takes counter 2 on the whole name.
        if (name.size() >= 3)
        {
            const std::string tail = name.substr(name.size() - 3);
            if (tail[0] == '(' && tail[2] == ')')
            {
                const char digit = tail[1];
                counter = (digit >= '0' && digit <= '9' ? digit - '0' : 0) + 1;
                base = name.substr(0, name.size() - 3);
            }
        }
        name = base + "(" + std::to_string(counter) + ")";
    }
    return name;
}

bool NewPlayerWindow::OnOk()
{
    if (m_App == nullptr)
        return true;
    const std::string typed = m_NameBox != nullptr ? m_NameBox->GetText() : std::string();
    if (typed == kPrompt)
        return true;
    tvPlayer* player = m_App->CreatePlayer(UniqueName(*m_App, typed));
    m_Created = player != nullptr;
    if (player != nullptr)
    {
        m_App->SetCurrentPlayer(player);
        m_App->SetPlayerCreated(true);
    }
    if (g_pGuiManager != nullptr)
        g_pGuiManager->HideWindow(this, gui::kModalDone);
    RefreshMainWindow();
    return true;
}

bool NewPlayerWindow::OnCancel()
{
    if (g_pGuiManager != nullptr)
        g_pGuiManager->HideWindow(this, gui::kModalCancelled);
    RefreshMainWindow();
    return true;
}
