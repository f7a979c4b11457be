#pragma once

#include "platform/registry/Registry.h"

#include <map>
#include <string>

namespace platform
{

// Registry values held in memory, keyed by the lower-cased key path and value name.
class RegistryMap : public RegistrySource
{
public:
    void Set(const std::string& key, const std::string& name, const std::string& value);
    void Clear() { m_Values.clear(); }
    bool Empty() const { return m_Values.empty(); }

    bool KeyExists(const std::string& key) const override;
    bool QueryValue(const std::string& key, const std::string& name, std::string& value) const override;

private:
    // Lower-cased key path -> lower-cased value name -> value.
    std::map<std::string, std::map<std::string, std::string>> m_Values;
};

} // namespace platform
