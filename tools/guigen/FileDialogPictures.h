#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The editor's file dialog pictures: one for saving and one for loading, each captioned in large letters
// drawn from a small built-in pixel font, so that the two read apart at a glance.
namespace guigen
{

constexpr float kFileDialogWidth = 420.0f;
constexpr float kFileDialogHeight = 344.0f;

struct FileDialogPicture
{
    const char* file;
    const char* caption;
};

// Loading first: the dialog's layout names it until a command picks one.
constexpr FileDialogPicture kFileDialogPictures[] = {
    {"ui/editor/art/loadfile/back.tga", "LOAD WORLD"},
    {"ui/editor/art/loadfile/saveback.tga", "SAVE WORLD"},
};

// The caption's letters, each a 5 by 7 cell, drawn this many pixels a cell.
constexpr int kCaptionScale = 4;
constexpr int kCaptionTop = 14;

// BGRA bytes, top row first, of a dialog-sized picture with the caption centred at the top; letters
// outside the font are left blank.
std::vector<uint8_t> FileDialogTexels(const std::string& caption, bool save);
// Writes both pictures under the folder; false, with a reason, on failure.
bool WriteFileDialogPictures(const std::string& folder, std::string& error);

} // namespace guigen
