#pragma once

#include "editor/WindowNames.h"
#include "engine/gui/guiWindow.h"

#include <string>

// Leaving the course editor: save first (4), leave without saving (8) or stay (2).
class MapSaveMenu : public guiWindow
{
public:
    static constexpr const char* kWindowName = windowNames::kSaveWorld;
    static constexpr const char* kYesName = "yes_quit";
    static constexpr const char* kNoName = "no_quit";
    static constexpr const char* kCancelName = "cancel_quit";

    explicit MapSaveMenu(const std::string& layoutFile);
};
