#pragma once

#include <functional>
#include <string>

class TiXmlDocument;
class TiXmlElement;

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

    // Loads the file and hands read its root element named root (null when it has none). When badNumber is
    // given, a number that is not one (a ka::bad_lexical_cast out of read) fails the load with a debugger
    // line naming the caller, the file and badNumber; otherwise it is not caught.
    static bool LoadRoot(const std::string& path, const char* root,
                         const std::function<void(const TiXmlElement*)>& read, const char* caller = nullptr,
                         const char* badNumber = nullptr);

    // Hands write a new root element named root, then saves the document as Save does.
    static bool SaveRoot(const std::string& path, const char* root,
                         const std::function<void(TiXmlElement*)>& write, const char* caller);
};
