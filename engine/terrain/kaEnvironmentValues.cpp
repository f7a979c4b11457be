#include "engine/terrain/kaEnvironmentValues.h"

#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/core/kaXmlValues.h"

#include <tinyxml.h>

namespace kaEnvironmentValues
{

float FloatOr(const TiXmlElement* parent, const char* name, float fallback)
{
    TryReadFloat(parent, name, fallback);
    return fallback;
}

std::string FloatText(float value)
{
    return ka::lexical_cast<std::string>(value);
}

} // namespace kaEnvironmentValues
