#pragma once

#include "platform/registry/RegistryMap.h"

#include <string>

namespace platform
{

// Registry values read from a text file of "key path\value name=value" lines, such as
//   SOFTWARE\Kalder Arts\Tarvolin\FULLINSTALLPATH=/opt/tarvolin/
// Blank lines and lines starting with '#' or ';' are skipped, blanks around the name and the value are
// dropped, and a line without '=' or without a '\' before it is ignored. The first line for a value wins.
// A missing file holds no keys, as on a machine where the game was never installed.
class RegistryFile : public RegistryMap
{
public:
    // Replaces the values with those of the file; false when it cannot be read.
    bool Load(const std::string& path);

    // TARVOLIN_REGISTRY when set and not empty, else "registry.cfg" beside the executable.
    static std::string DefaultPath();
};

} // namespace platform
