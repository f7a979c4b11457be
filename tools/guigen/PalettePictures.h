#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The editor palette's pictures, one a placeable entity of the sample content: a simple drawing of the
// thing on a dark tile over its name, so that each reads apart at a glance and says what it is.
namespace guigen
{

// A picture as a palette cell shows it on the game's 800 by 600 screen: the course editor gives each cell
// 0.14 of the screen (112 by 84 pixels), less the grid's lines around it. Drawn at that size it is shown
// pixel for pixel, its name unstretched.
constexpr int kPaletteWidth = 110;
constexpr int kPaletteHeight = 82;
// The grid's lines, on every side of a cell.
constexpr int kPaletteCellBorder = 2;
// The name's band along the bottom, and the capitals' height and pen in it.
constexpr int kPaletteCaptionTop = 50;
constexpr float kPaletteCapHeight = 10.0f;
constexpr float kPaletteStroke = 1.6f;

// The record's name as the picture writes it: its words (a capital starts each) in capitals, in at most
// two lines that each fit the picture's width; none for an empty name.
std::vector<std::string> PaletteCaption(const std::string& id);
// BGRA bytes, top row first, of the picture for an EditorEntity record's uniqueID; an unknown one gets
// the bare tile over its name.
std::vector<uint8_t> PaletteTexels(const std::string& id);
// Writes every palette entry's picture under the folder; false, with a reason, on failure.
bool WritePalettePictures(const std::string& folder, std::string& error);

} // namespace guigen
