#include "game/screens/MainWindow.h"

#include "editor/WindowClassIds.h"
#include "engine/core/kaClassInfo.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiMessages.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiWidgetLookup.h"
#include "game/app/Tarvolin.h"
#include "game/app/Version.h"
#include "game/records/tvPlayer.h"

namespace
{

constexpr int32_t kSelectionMade = 1;

} // namespace

const kaClassInfo& MainWindow::StaticClassInfo()
{
    static const kaClassInfo record("[MainWindow]", kMainWindowClassId, &guiWindow::StaticClassInfo());
    return record;
}

MainWindow::MainWindow(const std::string& layoutFile, Tarvolin* app) : guiWindow(layoutFile), m_App(app)
{
    m_VersionText = guiWidgetLookup::Find<guiTextBox>(*this, kVersionName);
    m_PlayerList = guiWidgetLookup::Find<guiListBox>(*this, kListName);
    m_LoginButton = guiWidgetLookup::Find<guiButton>(*this, kLoginName);
    m_DeleteButton = guiWidgetLookup::Find<guiButton>(*this, kDeleteName);
    const struct
    {
        const char* name;
        bool (MainWindow::*handler)();
    } buttons[] = {
        {kOptionsName, &MainWindow::OnOptions}, {kQuitName, &MainWindow::OnQuit},
        {kNewDriverName, &MainWindow::OnNewDriver}, {kLoginName, &MainWindow::OnLogin},
        {kDeleteName, &MainWindow::OnDeleteDriver}, {kCreditsName, &MainWindow::OnCredits},
    };
    for (const auto& entry : buttons)
        if (auto* button = guiWidgetLookup::Find<guiButton>(*this, entry.name))
        {
            const auto handler = entry.handler;
            button->SetOnClick([this, handler](int) { return (this->*handler)(); });
        }
    if (m_PlayerList != nullptr)
        m_PlayerList->AddHandler(kSelectionMade, [this](const guiMsgEvent& event) { return OnPlayerSelected(event); });
    OnShow();
}

void MainWindow::OnShow()
{
    if (m_VersionText != nullptr)
        m_VersionText->SetText(GetVersionString());
    if (m_PlayerList != nullptr && m_App != nullptr)
    {
        m_PlayerList->Clear(true);
        const int32_t count = m_App->GetPlayerCount();
        for (int32_t i = 0; i < count; ++i)
            m_PlayerList->AddRow(m_App->GetPlayer(i)->GetPlayerName(), ka::any());
        if (count > 0)
        {
            if (m_App->IsPlayerCreated())
            {
                // New Driver selects the new profile right after.
                m_App->SetPlayerCreated(false);
                m_PlayerList->ClearSelection(false);
            }
            else
                m_PlayerList->SelectRow(m_SelectedIndex >= 0 && m_SelectedIndex < count ? m_SelectedIndex : 0,
                                        false);
        }
    }
    _EnableProfileButtons();
    guiWindow::OnShow();
}

void MainWindow::_EnableProfileButtons()
{
    const bool any = m_PlayerList != nullptr && m_PlayerList->GetUsedRows() > 0;
    for (guiButton* button : {m_LoginButton, m_DeleteButton})
        if (button != nullptr)
            button->SetEnabled(any);
}

void MainWindow::SelectCurrentPlayer()
{
    if (m_PlayerList == nullptr || m_App == nullptr)
        return;
    if (m_PlayerList->GetSelectedRow() < 0)
        m_PlayerList->SelectRow(0, false);
    const int32_t row = m_PlayerList->GetSelectedRow();
    if (tvPlayer* player = m_App->GetPlayer(row))
    {
        m_App->SetCurrentPlayer(player);
        m_SelectedIndex = row;
    }
}

void MainWindow::_ShowModal(const char* name)
{
    if (g_pGuiManager != nullptr)
        if (guiWindow* window = g_pGuiManager->FindWindow(name))
            g_pGuiManager->ShowWindow(window, true);
}

bool MainWindow::OnOptions()
{
    if (g_pGuiManager != nullptr)
        if (guiWindow* options = g_pGuiManager->FindWindow(kOptionsWindow))
            g_pGuiManager->SwitchWindow(options, this, gui::kModalDone, true);
    return true;
}

bool MainWindow::OnQuit()
{
    if (m_App != nullptr)
        m_App->RequestQuit();
    return true;
}

bool MainWindow::OnNewDriver()
{
    if (g_pGuiManager == nullptr)
        return true;
    guiWindow* dialog = g_pGuiManager->FindWindow(kNewPlayerWindow);
    if (dialog == nullptr || g_pGuiManager->ShowWindow(dialog, true) != gui::kModalDone || m_PlayerList == nullptr)
        return true;
    int32_t row = -1;
    if (m_App != nullptr && m_App->GetCurrentPlayer() != nullptr)
        for (int32_t i = 0; i < m_App->GetPlayerCount(); ++i)
            if (m_App->GetPlayer(i) == m_App->GetCurrentPlayer())
                row = i;
    if (row >= 0)
        m_PlayerList->SelectRow(row, false);
    else
        m_PlayerList->SelectRow(0, true);
    m_SelectedIndex = m_PlayerList->GetSelectedRow();
    return true;
}

bool MainWindow::OnLogin()
{
    if (g_pGuiManager == nullptr)
        return true;
    guiWindow* career = g_pGuiManager->FindWindow(kCareerWindow);
    SelectCurrentPlayer();
    if (career != nullptr)
        g_pGuiManager->SwitchWindow(career, this, gui::kModalDone, true);
    return true;
}

bool MainWindow::OnDeleteDriver()
{
    SelectCurrentPlayer();
    _ShowModal(kDeletePlayerWindow);
    return true;
}

bool MainWindow::OnCredits()
{
    _ShowModal(kCreditsWindow);
    return true;
}

bool MainWindow::OnPlayerSelected(const guiMsgEvent& /*event*/)
{
    if (m_PlayerList == nullptr)
        return true;
    m_SelectedIndex = m_PlayerList->GetSelectedRow();
    if (m_App != nullptr)
        m_App->SetCurrentPlayer(m_App->GetPlayer(m_SelectedIndex));
    _EnableProfileButtons();
    return true;
}
