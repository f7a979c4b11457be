#pragma once

#include "editor/WindowNames.h"
#include "engine/gui/guiWindow.h"

#include <string>

// The credits page; its button returns to a refreshed main window.
class CreditsWindow : public guiWindow
{
public:
    static constexpr const char* kWindowName = windowNames::kCredits;
    static constexpr const char* kOkName = "ok button";

    explicit CreditsWindow(const std::string& layoutFile);

    bool OnOk();
};
