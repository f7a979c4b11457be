#include "engine/terrain/kaEnvironmentValues.h"

#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/core/kaXmlValues.h"
#include "engine/scene/kaBlockKeys.h"
#include "engine/scene/kaWorld.h"

#include <tinyxml.h>

namespace kaEnvironmentValues
{

float FloatOr(const TiXmlElement* parent, const char* name, float fallback)
{
    TryReadFloat(parent, name, fallback);
    return fallback;
}

bool ReadFloatKept(const TiXmlElement* parent, const char* name, float& value, kaBlockKeys& kept,
                   kaWorld* world, const std::string& key)
{
    const TiXmlElement* child = parent ? parent->FirstChildElement(name) : nullptr;
    if (!child || GetElementText(child).empty())
        return false;
    if (TryReadFloat(parent, name, value))
        return true;
    kept.KeepElement(*child);
    if (world)
        world->NoteMalformedValue(key, GetElementText(child));
    return false;
}

void ReadFloatsKept(const TiXmlElement* parent, std::initializer_list<std::pair<const char*, float*>> values,
                    kaBlockKeys& kept, kaWorld* world, const std::string& prefix)
{
    for (const auto& [name, value] : values)
        ReadFloatKept(parent, name, *value, kept, world, prefix + name);
}

void WriteFloatKept(TiXmlElement* parent, const char* name, float value, const kaBlockKeys& kept)
{
    if (!kept.Write(parent, name))
        AppendFloatElement(parent, name, value);
}

std::string FloatText(float value)
{
    return ka::lexical_cast<std::string>(value);
}

} // namespace kaEnvironmentValues
