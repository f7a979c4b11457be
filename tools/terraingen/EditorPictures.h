#pragma once

#include <string>

// Pictures that give the editor's file choosers files of every kind they list: flare billboards as BMP
// and TGA beside the DDS ones, and a TGA ground tile beside the BMP tiles. The same bytes on every run.
class EditorPictures
{
public:
    static constexpr const char* kFlareSpot = "resources/worlds/billboards/flare_spot.bmp";
    static constexpr const char* kFlareHalo = "resources/worlds/billboards/flare_halo.tga";
    static constexpr const char* kGravelTile = "resources/worlds/groundtiles/gravel.tga";
    static constexpr unsigned kFlareSide = 64;
    static constexpr unsigned kTileSide = 128;

    // Writes the three under the folder (whose resource folders exist); false with the file that failed.
    static bool Write(const std::string& folder, std::string& error);
};
