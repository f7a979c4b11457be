#include "engine/gui/guiPropertyText.h"

#include "engine/core/kaColor.h"
#include "engine/gui/guiCoordPair.h"

namespace guiPropertyText
{

bool ParseBool(const std::string& text, bool& value)
{
    return Parse(text, value) || ParseBoolWord(text, value);
}

bool ParseBoolWord(const std::string& text, bool& value)
{
    std::istringstream stream(text);
    bool read = false;
    if (!(stream >> std::boolalpha >> read))
        return false;
    value = read;
    return true;
}

bool ParseColor(const std::string& text, kaColor& color)
{
    std::istringstream stream(text);
    kaColor read = color;
    read.ReadText(stream);
    if (!stream)
        return false;
    color = read;
    return true;
}

bool ParseCoordPair(const std::string& text, guiCoordPair& value)
{
    std::istringstream stream(text);
    value.ReadText(stream);
    return static_cast<bool>(stream);
}

} // namespace guiPropertyText
