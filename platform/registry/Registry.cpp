#include "platform/registry/Registry.h"

#include "platform/registry/RegistryFile.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace platform
{
namespace
{

const RegistrySource* g_Installed = nullptr;

} // namespace

const RegistrySource& GetRegistry()
{
    if (g_Installed)
        return *g_Installed;
    // Read afresh on each use: the game asks a handful of times at start-up, and an edited file or a
    // changed TARVOLIN_REGISTRY then takes effect without a restart.
    static RegistryFile file;
    file.Load(RegistryFile::DefaultPath());
    return file;
}

const RegistrySource* SetRegistrySource(const RegistrySource* source)
{
    const RegistrySource* previous = g_Installed;
    g_Installed = source;
    return previous;
}

bool QueryRegistryString(const std::string& key, const std::string& name, std::string& value)
{
    return GetRegistry().QueryValue(key, name, value);
}

bool QueryRegistryDword(const std::string& key, const std::string& name, uint32_t& value)
{
    std::string text;
    if (!QueryRegistryString(key, name, text) || text.empty())
        return false;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = text.c_str() + (hex ? 2 : 0);
    // strtoull would also take blanks and signs.
    const unsigned char first = static_cast<unsigned char>(*digits);
    if (!(hex ? std::isxdigit(first) : std::isdigit(first)))
        return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long parsed = std::strtoull(digits, &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || parsed > 0xFFFFFFFFull)
        return false;
    value = static_cast<uint32_t>(parsed);
    return true;
}

} // namespace platform
