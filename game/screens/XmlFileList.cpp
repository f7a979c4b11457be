#include "game/screens/XmlFileList.h"

#include "engine/core/kaDirectoryIterator.h"

std::vector<std::string> XmlFileList::List(const std::string& folder)
{
    const std::string prefix = folder.empty() ? "" : folder + "\\";
    std::vector<std::string> paths;
    const kaDirectoryIterator end;
    for (kaDirectoryIterator it(prefix + "*.xml", kaDirectoryIterator::kEveryEntry); it != end;)
        paths.push_back(prefix + it.ReadNext());
    return paths;
}
