#include "game/app/Version.h"

namespace
{

const std::string g_VersionText = "v1.0";

} // namespace

const std::string& GetVersionString()
{
    return g_VersionText;
}
