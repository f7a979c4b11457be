#pragma once

#include <string>

// The version text shown on the game's main window.
const std::string& GetVersionString();
