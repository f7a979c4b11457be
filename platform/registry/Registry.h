#pragma once

#include <cstdint>
#include <string>

namespace platform
{

// The install keys the game reads at start-up. Keys and value names are compared without regard to
// case, as the registry does. A source answers for one whole key path such as
// "SOFTWARE\Kalder Arts\Tarvolin" and one value name below it.
class RegistrySource
{
public:
    virtual ~RegistrySource() = default;

    virtual bool KeyExists(const std::string& key) const = 0;
    // False when the key or the value is absent.
    virtual bool QueryValue(const std::string& key, const std::string& name, std::string& value) const = 0;
};

// The installed source: a RegistryFile read from TARVOLIN_REGISTRY, else from "registry.cfg" beside the
// executable, unless a test installed another.
const RegistrySource& GetRegistry();

// Installs a source (not owned) and returns the one it replaces; nullptr restores the file.
const RegistrySource* SetRegistrySource(const RegistrySource* source);

// The text of a value; false when the key or value is absent.
bool QueryRegistryString(const std::string& key, const std::string& name, std::string& value);

// A value read as a 32-bit number (decimal, or hexadecimal after "0x"); false when it is absent or is
// not such a number.
bool QueryRegistryDword(const std::string& key, const std::string& name, uint32_t& value);

} // namespace platform
