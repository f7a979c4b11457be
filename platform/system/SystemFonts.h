#pragma once

#include <string>

namespace platform
{

// The shell's fonts folder. On this system fonts live wherever fontconfig finds them, so a file asked for
// in the fonts folder that is not there is looked up by name among the installed fonts.
std::string GetFontsFolder();

// Tests put a folder of their own in place of the system's fonts; the installed fonts are then not
// consulted. An empty folder goes back to the system's.
void SetFontsFolder(const std::string& folder);

// The file to open for a font path ('\' reads as '/'): the file itself when it exists; for a file of the
// fonts folder that does not, the installed font of that file name, else the one fontconfig matches to
// the name without its extension as a family ("Arial" finds a sans-serif face). "" when nothing fits.
std::string ResolveFontFile(const std::string& path);

} // namespace platform
