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

// A present child replaces the value through the getter, which throws on a malformed text.
template <typename T, typename Get>
void ReadIfPresent(const TiXmlElement* parent, const char* name, T& value, Get get)
{
    if (const TiXmlElement* child = Child(parent, name))
        value = get(child);
}

template <typename T, typename Get>
void ReadOrKeepSilently(const TiXmlElement* parent, const char* name, T& value, Get get)
{
    try
    {
        ReadIfPresent(parent, name, value, get);
    }
    catch (const ka::bad_lexical_cast&)
    {
    }
}

} // namespace

std::string TextOrEmpty(const TiXmlElement* parent, const char* name)
{
    return GetElementText(Child(parent, name));
}

void ReadTextIfPresent(const TiXmlElement* parent, const char* name, std::string& value)
{
    ReadIfPresent(parent, name, value, GetElementText);
}

void ReadIntOrThrow(const TiXmlElement* parent, const char* name, int& value)
{
    ReadIfPresent(parent, name, value, GetElementInt);
}

void ReadIntOrKeepSilently(const TiXmlElement* parent, const char* name, int& value)
{
    ReadOrKeepSilently(parent, name, value, GetElementInt);
}

int IntOrThrow(const TiXmlElement* parent, const char* name, int missing)
{
    ReadIntOrThrow(parent, name, missing);
    return missing;
}

void ReadBoolOrThrow(const TiXmlElement* parent, const char* name, bool& value)
{
    ReadIfPresent(parent, name, value, GetElementBool);
}

void ReadBoolOrKeepSilently(const TiXmlElement* parent, const char* name, bool& value)
{
    ReadOrKeepSilently(parent, name, value, GetElementBool);
}

float FloatOrZero(const TiXmlElement* parent, const char* name)
{
    float value = 0.0f;
    if (!TryParseFloat(TextOrEmpty(parent, name), value))
        return 0.0f;
    return value;
}

float FloatOrThrow(const TiXmlElement* parent, const char* name)
{
    return GetElementFloat(Child(parent, name));
}

void ReadFloatOrKeepSilently(const TiXmlElement* parent, const char* name, float& value)
{
    ReadOrKeepSilently(parent, name, value, GetElementFloat);
}

void ReadFloatOrThrow(const TiXmlElement* parent, const char* name, float& value)
{
    ReadIfPresent(parent, name, value, GetElementFloat);
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
