#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

class guiCoord;
class guiCoordPair;
class kaBinaryStream;
class kaColor;

// The field syntax of layout blocks. In text each field is one line: a key word, one blank, the value.
// Keys are read as one word and not compared: a block is read by the position of its fields. Every
// reader leaves its target as it was when the value does not parse, so a damaged block keeps defaults.
namespace gui
{

// A copy with every line end replaced by a backslash and an n, and back.
std::string EscapeNewlines(const std::string& text);
std::string UnescapeNewlines(const std::string& text);

// Skips to the end of the opening delimiter (at once when it is empty), then collects characters up
// to the closing delimiter, which is consumed and left out. Stops at the end of the stream with what it
// has collected.
std::string ReadDelimitedString(std::istream& stream, const std::string& opening, const std::string& closing);

void WriteTextField(std::ostream& stream, const char* key, int32_t value);
void WriteTextField(std::ostream& stream, const char* key, float value);
// Written as "true" or "false"; the flag stays set on the stream.
void WriteTextField(std::ostream& stream, const char* key, bool value);
// The rest of the line: the text must not hold a line end.
void WriteTextField(std::ostream& stream, const char* key, const std::string& value);
void WriteTextField(std::ostream& stream, const char* key, const guiCoord& value);
void WriteTextField(std::ostream& stream, const char* key, const guiCoordPair& value);
void WriteTextField(std::ostream& stream, const char* key, const kaColor& value);
// Absent (-1) as "false", present as "true" and the number.
void WriteOptionalTextField(std::ostream& stream, const char* key, int32_t value);

void ReadTextField(std::istream& stream, int32_t& value);
void ReadTextField(std::istream& stream, float& value);
void ReadTextField(std::istream& stream, bool& value);
// The key word, the one blank after it, then the rest of the line (a carriage return before the line end
// is dropped).
void ReadTextField(std::istream& stream, std::string& value);
void ReadTextField(std::istream& stream, guiCoord& value);
void ReadTextField(std::istream& stream, guiCoordPair& value);
void ReadTextField(std::istream& stream, kaColor& value);
void ReadOptionalTextField(std::istream& stream, int32_t& value);

// A string, read whole into a fresh text so that a length of 0 gives an empty string.
void ReadBinaryString(kaBinaryStream& stream, std::string& value);
// A presence byte, then the 4-byte integer only when present (absent is -1).
void WriteOptionalBinary(kaBinaryStream& stream, int32_t value);
void ReadOptionalBinary(kaBinaryStream& stream, int32_t& value);

} // namespace gui
