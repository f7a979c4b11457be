#pragma once

#include <string>

// The road and terrain-marker pictures, their corner handles, and the list of terrain types the editor
// offers for a marker, under a content folder. The same bytes on every run.
class DecalContent
{
public:
    static constexpr const char* kDecalFolder = "resources/worlds/decals/";
    static constexpr const char* kRoad = "road.dds";
    static constexpr const char* kHandle = "handle.bmp";
    static constexpr const char* kMarker = "TerrainMarker.tga";
    static constexpr const char* kBlueHandle = "handle_blue.bmp";
    static constexpr const char* kTerrainTypes = "InitData/TerrainTypes.xml";

    // The type list's text: a "property" element per name, its "value" attribute the name.
    static std::string TerrainTypesText();

    // Writes everything under the folder; false with the file that failed in error.
    static bool Write(const std::string& folder, std::string& error);
};
