#pragma once

#include <cstdint>
#include <string>

// The best score on one course across every player, with the name of the player who made it.
struct GHighScores
{
    std::string mapPath;
    std::string player;
    int32_t score = 0;
};
