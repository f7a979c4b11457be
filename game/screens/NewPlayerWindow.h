#pragma once

#include "editor/WindowNames.h"
#include "engine/gui/guiWindow.h"

#include <string>

class Tarvolin;
class guiTextBox;

// The dialog that creates a driver profile under a name no other profile has.
class NewPlayerWindow : public guiWindow
{
public:
    static constexpr const char* kWindowName = windowNames::kNewPlayer;
    static constexpr const char* kNameBox = "playername";
    static constexpr const char* kOkName = "ok";
    static constexpr const char* kCancelName = "cancel";
    // The box's first text, a prompt the first key replaces; ok with it still there does nothing.
    static constexpr const char* kPrompt = "Enter New Player Name";

    NewPlayerWindow(const std::string& layoutFile, Tarvolin* app);

    void OnShow() override;
    bool OnOk();
    bool OnCancel();
    bool IsCreated() const { return m_Created; }

    // The typed name made unique among the profiles (compared exactly): a taken name gets a counter,
    // "(2)" on a plain name or the next number in a "(n)" tail of one digit.
    static std::string UniqueName(const Tarvolin& app, std::string name);

private:
    Tarvolin* m_App;
    guiTextBox* m_NameBox = nullptr;
    bool m_Created = false;
};
