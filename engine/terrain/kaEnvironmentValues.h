#pragma once

#include "engine/core/kaXmlValues.h"

#include <initializer_list>
#include <string>
#include <utility>

class TiXmlElement;
class kaBlockKeys;
class kaWorld;

// Reading and writing the plain values of the sun, sky and water blocks and of their editor rows. A value
// that does not convert reads as missing, so that a damaged course still loads with the defaults.
namespace kaEnvironmentValues
{
// The child's float; false (value untouched) when the child is missing or its text is not a number.
using kaXmlValues::TryReadFloat;
// The child's float, or the fallback as TryReadFloat would leave it.
float FloatOr(const TiXmlElement* parent, const char* name, float fallback);
// The child's float into the value; an absent or empty child leaves it. A text that is no number leaves it
// too: the child is kept as read, to be written back in its place, and noted with the world (when there is
// one) under the key. False unless it read.
bool ReadFloatKept(const TiXmlElement* parent, const char* name, float& value, kaBlockKeys& kept,
                   kaWorld* world, const std::string& key);
// ReadFloatKept of each named child into its value, noted under the prefix and the name.
void ReadFloatsKept(const TiXmlElement* parent, std::initializer_list<std::pair<const char*, float*>> values,
                    kaBlockKeys& kept, kaWorld* world, const std::string& prefix = "");
// The copy kept under the name, else the value.
void WriteFloatKept(TiXmlElement* parent, const char* name, float value, const kaBlockKeys& kept);
// The child's text, empty when missing.
using kaXmlValues::TextOrEmpty;
// A float as rows and files write it.
std::string FloatText(float value);
// A row's number; false when the text is not one.
using kaXmlValues::TryParseFloat;
} // namespace kaEnvironmentValues
