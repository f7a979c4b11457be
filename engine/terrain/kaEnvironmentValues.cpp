#include "engine/terrain/kaEnvironmentValues.h"

#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaXmlHelpers.h"

#include <tinyxml.h>

namespace kaEnvironmentValues
{

bool ReadFloat(const TiXmlElement* parent, const char* name, float& value)
{
    const TiXmlElement* child = parent ? parent->FirstChildElement(name) : nullptr;
    if (!child)
        return false;
    return ParseFloat(GetElementText(child), value);
}

float FloatOr(const TiXmlElement* parent, const char* name, float fallback)
{
    ReadFloat(parent, name, fallback);
    return fallback;
}

std::string Text(const TiXmlElement* parent, const char* name)
{
    return GetElementText(parent ? parent->FirstChildElement(name) : nullptr);
}

std::string FloatText(float value)
{
    return ka::lexical_cast<std::string>(value);
}

bool ParseFloat(const std::string& text, float& value)
{
    try
    {
        value = ka::lexical_cast<float>(text);
        return true;
    }
    catch (const ka::bad_lexical_cast&)
    {
        return false;
    }
}

} // namespace kaEnvironmentValues
