#include "engine/core/kaXmlValues.h"

#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaXmlHelpers.h"

#include "platform/system/DebugOutput.h"

#include <tinyxml.h>

namespace kaXmlValues
{

namespace
{

const TiXmlElement* Child(const TiXmlElement* parent, const char* name)
{
    return parent ? parent->FirstChildElement(name) : nullptr;
}

} // namespace

void ReadFloatOrThrow(const TiXmlElement* parent, const char* name, float& value)
{
    if (const TiXmlElement* child = Child(parent, name))
        value = GetElementFloat(child);
}

void ReadFloatOrKeep(const TiXmlElement* parent, const char* name, float& value, const char* reader)
{
    try
    {
        ReadFloatOrThrow(parent, name, value);
    }
    catch (const std::exception&)
    {
        platform::OutputDebugString(std::string(reader) + " - bad value for " + name + ", default kept.\n");
    }
}

void ReadFloat(const TiXmlElement* parent, const char* name, float& value, OnMalformed policy,
               const char* reader)
{
    if (policy == OnMalformed::Throw)
        ReadFloatOrThrow(parent, name, value);
    else
        ReadFloatOrKeep(parent, name, value, reader);
}

bool TryReadFloat(const TiXmlElement* parent, const char* name, float& value)
{
    const TiXmlElement* child = Child(parent, name);
    return child && TryParseFloat(GetElementText(child), value);
}

bool TryParseFloat(const std::string& text, float& value)
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

} // namespace kaXmlValues
