#pragma once

#include <string>
#include <vector>

// The "*.xml" files of a content folder as the screens read their catalogues: in listing order, each path
// the folder, a backslash and the name (the bare name for an empty folder).
class XmlFileList
{
public:
    static std::vector<std::string> List(const std::string& folder);
};
