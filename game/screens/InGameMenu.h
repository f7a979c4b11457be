#pragma once

#include "editor/WindowNames.h"
#include "engine/gui/guiWindow.h"

#include <string>

// Escape during a run: quit the run (1) or resume (2).
class InGameMenu : public guiWindow
{
public:
    static constexpr const char* kWindowName = windowNames::kInGameMenu;
    static constexpr const char* kQuitName = "ok_quit";
    static constexpr const char* kResumeName = "cancel_quit";

    explicit InGameMenu(const std::string& layoutFile);
};
