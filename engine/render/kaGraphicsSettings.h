#pragma once

#include <cstdint>
#include <string>

// Start-up settings handed to the graphics manager in place of a configuration file.
struct kaGraphicsSettings
{
    uint32_t displayWidth = 800;
    uint32_t displayHeight = 600;
    uint32_t screenWidth = 800;
    uint32_t screenHeight = 600;
    uint32_t bitsPerPixel = 16;
    bool hardware = true;
    bool fullScreen = false;
    std::string displayDriver = "Default";
    std::string filtering = "Linear";
    uint32_t detailLevel = 1;
    bool enableDepthStencil = true;
    std::string depthStencilFormat = "D16";
};
