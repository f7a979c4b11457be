#pragma once

#include "engine/core/kaXmlValues.h"

#include <string>

class TiXmlElement;

// Reading and writing the plain values of the sun, sky and water blocks and of their editor rows. A value
// that does not convert reads as missing, so that a damaged course still loads with the defaults.
namespace kaEnvironmentValues
{
// The child's float; false (value untouched) when the child is missing or its text is not a number.
using kaXmlValues::TryReadFloat;
// The child's float, or the fallback as TryReadFloat would leave it.
float FloatOr(const TiXmlElement* parent, const char* name, float fallback);
// The child's text, empty when missing.
using kaXmlValues::TextOrEmpty;
// A float as rows and files write it.
std::string FloatText(float value);
// A row's number; false when the text is not one.
using kaXmlValues::TryParseFloat;
} // namespace kaEnvironmentValues
