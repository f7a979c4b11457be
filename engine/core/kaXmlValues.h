#pragma once

#include <string>

class TiXmlElement;

// Values stored as the text of a named child element. The readers differ only in what an absent, empty or
// malformed child does, and each names its answer, so that a loader's choice shows where it reads. Every
// reader takes a null parent as one without the child. "Read..." readers write into a value a present child
// replaces; the others return one. An empty child reads as "", 0 or false unless the name says otherwise.
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

// Text: never malformed.
// The child's text; "" when it is absent.
std::string TextOrEmpty(const TiXmlElement* parent, const char* name);
// A present child replaces the value; an absent one leaves it.
void ReadTextIfPresent(const TiXmlElement* parent, const char* name, std::string& value);

// Whole numbers. A present child replaces the value, an empty one with 0; an absent one leaves it. A
// malformed one throws ka::bad_lexical_cast.
void ReadIntOrThrow(const TiXmlElement* parent, const char* name, int& value);
// As ReadIntOrThrow, but a malformed child leaves the value, without a word.
void ReadIntOrKeepSilently(const TiXmlElement* parent, const char* name, int& value);
// The child's number; `missing` when it is absent, 0 when empty. A malformed one throws ka::bad_lexical_cast.
int IntOrThrow(const TiXmlElement* parent, const char* name, int missing);

// "0" and "1" only, as GetElementBool. The same answers as the whole-number readers of the same names.
void ReadBoolOrThrow(const TiXmlElement* parent, const char* name, bool& value);
void ReadBoolOrKeepSilently(const TiXmlElement* parent, const char* name, bool& value);

// Floats.
// The child's number; 0 when it is absent, empty or malformed.
float FloatOrZero(const TiXmlElement* parent, const char* name);
// The child's number; 0 when it is absent or empty. A malformed one throws ka::bad_lexical_cast.
float FloatOrThrow(const TiXmlElement* parent, const char* name);
// As ReadFloatOrThrow, but a malformed child leaves the value, without a word.
void ReadFloatOrKeepSilently(const TiXmlElement* parent, const char* name, float& value);
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
