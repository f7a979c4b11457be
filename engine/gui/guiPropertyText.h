#pragma once

#include <sstream>
#include <string>

class guiCoordPair;
class kaColor;

// A property's text read as a typed value. Each parser answers false, and leaves the value untouched, when
// the text does not start with a value of its kind; what follows the value is ignored. They differ in which
// spellings of a bool they take, and each names it.
namespace guiPropertyText
{
// As a text stream reads it: numbers, and bools as "1" or "0" only.
template <typename T> bool Parse(const std::string& text, T& value)
{
    std::istringstream stream(text);
    T read;
    if (!(stream >> read))
        return false;
    value = read;
    return true;
}

// "1" or "0", else "true" or "false".
bool ParseBool(const std::string& text, bool& value);
// "true" or "false" only.
bool ParseBoolWord(const std::string& text, bool& value);
// Four floats r g b a, each clamped.
bool ParseColor(const std::string& text, kaColor& color);
// x, its relative flag, y, its relative flag.
bool ParseCoordPair(const std::string& text, guiCoordPair& value);
} // namespace guiPropertyText
