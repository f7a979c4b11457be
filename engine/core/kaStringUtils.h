#pragma once

#include <string>

// Text and path helpers. Each takes its text by value and returns a new one.

// Every character lowered through the current locale.
std::string ToLower(std::string text);

// Leading and trailing blanks removed; tabs are kept.
std::string Trim(std::string text);

// The part after the last '/' or '\'; the whole text when there is neither.
std::string GetFileName(std::string path);

// The part up to and including the last '\' or '/'; ".\" when there is neither.
std::string GetFolder(std::string path);

// Removes every folder name that is followed by "..", together with the "..". A ".." that follows
// another ".." or starts the text is kept, so the result never climbs above where the path started.
std::string CollapseParentDirs(std::string path);
