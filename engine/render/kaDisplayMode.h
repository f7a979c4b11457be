#pragma once

#include <cstdint>

// One entry of the display-mode list that the options screen offers.
struct kaDisplayMode
{
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t refreshRate = 0;
    uint32_t format = 0;
};
