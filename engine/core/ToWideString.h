#pragma once

#include <string>

// The text converted from the current multibyte character set, for the music graphs' file names;
// empty when the text is not valid in that set.
std::wstring ToWideString(const std::string& text);
