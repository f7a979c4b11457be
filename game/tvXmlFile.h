#pragma once

#include <string>

class TiXmlDocument;

// The one road by which the game's own XML files (profiles, high scores, controls, shop items and the
// catalogue files) are read and written.
class tvXmlFile
{
public:
    // Finds the file through the file system and parses it through the guarded load. False for a missing
    // file, a file nested too deep and a file that is not XML.
    static bool Load(TiXmlDocument& document, const std::string& path);

    // Saves through the engine's safe document save (a temporary file beside the target, renamed over
    // it); the target's folder is made when missing. On failure the old file stays and a debugger line
    // names the caller and the file.
    static bool Save(const TiXmlDocument& document, const std::string& path, const char* caller);
};
