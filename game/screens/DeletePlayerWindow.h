#pragma once

#include "editor/WindowNames.h"
#include "engine/gui/guiWindow.h"

#include <string>

class Tarvolin;
class guiTextBox;

// Asks before a driver profile goes: shows the signed-in profile's name and deletes the profile of the
// main window's selected row.
class DeletePlayerWindow : public guiWindow
{
public:
    static constexpr const char* kWindowName = windowNames::kDeletePlayer;
    static constexpr const char* kNameBox = "playername";
    static constexpr const char* kOkName = "ok";
    static constexpr const char* kCancelName = "cancel";

    DeletePlayerWindow(const std::string& layoutFile, Tarvolin* app);

    void OnShow() override;
    bool OnOk();
    bool OnCancel();

private:
    Tarvolin* m_App;
    guiTextBox* m_NameBox = nullptr;
};
