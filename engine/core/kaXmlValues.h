#pragma once

#include <string>

class TiXmlElement;

// Numbers stored as the text of a named child element. The readers differ only in what a child that is
// not a number does, and each names its answer, so that a loader's choice shows where it reads. Every
// reader takes a null parent as one without the child.
namespace kaXmlValues
{
// What a reader does with a child whose text is not a number.
enum class OnMalformed
{
    // Throws ka::bad_lexical_cast, so that the loader drops the record it is reading.
    Throw,
    // Keeps the value, with the debugger line "<reader> - bad value for <name>, default kept.".
    KeepWithDebugLine,
};

// A present child replaces the value, an empty one with 0; an absent one leaves it. A malformed one
// throws ka::bad_lexical_cast.
void ReadFloatOrThrow(const TiXmlElement* parent, const char* name, float& value);
// As ReadFloatOrThrow, but a malformed child keeps the value, with a debugger line naming the reader.
void ReadFloatOrKeep(const TiXmlElement* parent, const char* name, float& value, const char* reader);
// One of the two above, by the policy; the reader names the debugger line.
void ReadFloat(const TiXmlElement* parent, const char* name, float& value, OnMalformed policy,
               const char* reader);
// Silent: false, value untouched, when the child is absent, empty or not a number.
bool TryReadFloat(const TiXmlElement* parent, const char* name, float& value);
// A text as a number; false, value untouched, when it is not one.
bool TryParseFloat(const std::string& text, float& value);
} // namespace kaXmlValues
