#include "platform/registry/RegistryMap.h"

#include <algorithm>

namespace platform
{
namespace
{

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

// Key paths are written with '\'; a trailing separator names the same key.
std::string KeyOf(const std::string& key)
{
    std::string lowered = Lower(key);
    while (!lowered.empty() && lowered.back() == '\\')
        lowered.pop_back();
    return lowered;
}

} // namespace

void RegistryMap::Set(const std::string& key, const std::string& name, const std::string& value)
{
    m_Values[KeyOf(key)][Lower(name)] = value;
}

bool RegistryMap::KeyExists(const std::string& key) const
{
    return m_Values.count(KeyOf(key)) != 0;
}

bool RegistryMap::QueryValue(const std::string& key, const std::string& name, std::string& value) const
{
    const auto values = m_Values.find(KeyOf(key));
    if (values == m_Values.end())
        return false;
    const auto found = values->second.find(Lower(name));
    if (found == values->second.end())
        return false;
    value = found->second;
    return true;
}

} // namespace platform
