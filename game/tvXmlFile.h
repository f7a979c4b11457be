#pragma once

#include <string>

class TiXmlDocument;

// The one road by which the game's own XML files (profiles, high scores, controls, shop items and the
// catalogue files) are read and written.
class tvXmlFile
{
public:
    // Files nested deeper than this are refused before parsing: the parser recurses once per level.
    static constexpr int kMaxDepth = 256;

    // Finds the file through the file system and parses it. False for a missing file, a file nested too
    // deep and a file that is not XML.
    static bool Load(TiXmlDocument& document, const std::string& path);

    // Writes the document beside the target under a unique temporary name, checks every write, the flush
    // and the close, and renames it over the target; the target's folder is made when missing. On failure
    // the old file stays and a debugger line names the caller and the reason.
    static bool Save(const TiXmlDocument& document, const std::string& path, const char* caller);
};
