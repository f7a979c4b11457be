#pragma once

#include <cstdint>
#include <string>

// A player's best score on one course.
struct HighScore
{
    std::string course;
    int32_t score = 0;
};
