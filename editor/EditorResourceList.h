#pragma once

#include <string>

class guiListBox;

// The picture files a dialog's chooser offers from one resource folder.
class EditorResourceList
{
public:
    // Searched in this order; within one pattern the folder listing's order holds.
    static constexpr const char* kPatterns[] = {"*.bmp", "*.tga", "*.dds"};

    // Empties the list, then adds one row per matching file: the folder followed by the file name. An
    // empty folder name (a mode without a folder) adds nothing.
    static void Fill(guiListBox& list, const std::string& folder);
};
