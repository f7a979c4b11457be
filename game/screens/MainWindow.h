#pragma once

#include "editor/WindowNames.h"
#include "engine/gui/guiWindow.h"

#include <cstdint>
#include <string>

class Tarvolin;
class guiButton;
class guiListBox;
class guiTextBox;
class guiMsgEvent;

// The first screen: the driver profiles, sign-in, and the ways to the options, the credits and out.
// Rows of the list are the profiles in list order, so a row's index names its profile even where two
// profiles share a name.
class MainWindow : public guiWindow
{
public:
    static constexpr const char* kWindowName = windowNames::kMain;
    static constexpr const char* kVersionName = "vText";
    static constexpr const char* kListName = "Player List";
    static constexpr const char* kLoginName = "Login Button";
    static constexpr const char* kDeleteName = "Delete Driver Button";
    static constexpr const char* kNewDriverName = "New Driver Button";
    static constexpr const char* kOptionsName = "Options Button";
    static constexpr const char* kCreditsName = "Credits Button";
    static constexpr const char* kQuitName = "Quit Button";
    static constexpr const char* kOptionsWindow = windowNames::kOptions;
    static constexpr const char* kCareerWindow = windowNames::kCareer;
    static constexpr const char* kNewPlayerWindow = windowNames::kNewPlayer;
    static constexpr const char* kDeletePlayerWindow = windowNames::kDeletePlayer;
    static constexpr const char* kCreditsWindow = windowNames::kCredits;

    static const kaClassInfo& StaticClassInfo();

    MainWindow(const std::string& layoutFile, Tarvolin* app);
    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    // Rebuilds the list and restores the remembered selection.
    void OnShow() override;
    int32_t GetSelectedIndex() const { return m_SelectedIndex; }
    // Signs in the profile of the selected row (row 0 when none is selected).
    void SelectCurrentPlayer();

    bool OnOptions();
    bool OnQuit();
    bool OnNewDriver();
    bool OnLogin();
    bool OnDeleteDriver();
    bool OnCredits();
    bool OnPlayerSelected(const guiMsgEvent& event);

    guiListBox* GetPlayerList() const { return m_PlayerList; }
    guiButton* GetLoginButton() const { return m_LoginButton; }
    guiButton* GetDeleteButton() const { return m_DeleteButton; }

private:
    void _EnableProfileButtons();
    void _ShowModal(const char* name);

    Tarvolin* m_App;
    guiTextBox* m_VersionText = nullptr;
    guiListBox* m_PlayerList = nullptr;
    guiButton* m_LoginButton = nullptr;
    guiButton* m_DeleteButton = nullptr;
    int32_t m_SelectedIndex = 0;
};
