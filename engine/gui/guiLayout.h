#pragma once

#include <iosfwd>
#include <string>

class guiGlyph;
class kaManagedStream;

// Layout files (".kab"): a tag 'T' or 'B', the layout version as text, then the root's class name and
// text block, or a line-end character, the root's class id and binary block.
namespace gui
{

// The version this build writes.
constexpr float kLayoutVersion = 1.11f;
constexpr char kTextTag = 'T';
constexpr char kBinaryTag = 'B';

// The version of the layout being read: set from each file's header; block readers compare it with the
// version that brought each field, as floats.
float GetLayoutVersion();
void SetLayoutVersion(float version);

// Opens a layout and reads its header (and for a binary layout the separator after the version), setting
// the layout version. False, with nothing set, when the file is missing or the tag is neither 'T' nor 'B'.
bool OpenLayout(const std::string& fileName, kaManagedStream& stream, bool& binary);

// The root of the tree a layout file holds, or null. The caller owns the root. A layout loaded while
// another is read keeps the outer file's version for the rest of that file.
guiGlyph* LoadLayout(const std::string& fileName);

// Reads a layout whose root is of the root's class into the root itself. False, with the root left as
// it was, when the file is missing or its root is of another class.
bool LoadLayoutInto(guiGlyph& root, const std::string& fileName);

// Writes a whole layout: header with the current version, then the root. The file is written under a
// temporary name beside it and renamed over it, so a failure leaves any older file whole.
bool SaveLayout(const guiGlyph& root, const std::string& fileName, bool binary);
// The bytes SaveLayout writes.
std::string FormatLayout(const guiGlyph& root, bool binary);

} // namespace gui
