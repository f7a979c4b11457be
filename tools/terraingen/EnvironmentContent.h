#pragma once

#include <string>

// The sample sky, sun and water: the water effect and its three textures, five sky faces and a cloud
// sheet, a sun disc and two flare pictures, under a content folder. The same bytes on every run.
class EnvironmentContent
{
public:
    static constexpr const char* kWaterFolder = "resources/fx/shaders/water/";
    static constexpr const char* kSkyFolder = "resources/worlds/skybox/";
    static constexpr const char* kBillboardFolder = "resources/worlds/billboards/";
    // The sky faces in the order left, right, forward, back, top.
    static constexpr const char* kSkyFaces[5] = {"sky_left.dds", "sky_right.dds", "sky_forward.dds",
                                                 "sky_back.dds", "sky_top.dds"};
    static constexpr const char* kClouds = "clouds.dds";
    static constexpr const char* kSunDisc = "sun.dds";
    static constexpr const char* kFlareRing = "flare_ring.dds";
    static constexpr const char* kFlareGlow = "flare_glow.dds";

    // The effect file's text.
    static std::string WaterEffect();

    // Writes everything under the folder; false with the file that failed in error.
    static bool Write(const std::string& folder, std::string& error);
};
