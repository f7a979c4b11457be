#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The editor palette's pictures, one a placeable entity of the sample content: a simple drawing of the
// thing on a dark tile, so that each reads apart at a glance.
namespace guigen
{

constexpr int kPaletteSide = 64;

// BGRA bytes, top row first, of the picture for an EditorEntity record's uniqueID; an unknown one gets
// the bare tile.
std::vector<uint8_t> PaletteTexels(const std::string& id);
// Writes every palette entry's picture under the folder; false, with a reason, on failure.
bool WritePalettePictures(const std::string& folder, std::string& error);

} // namespace guigen
