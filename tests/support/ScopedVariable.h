#pragma once

#include <optional>
#include <string>

namespace testsupport
{

// Sets an environment variable for its lifetime, then puts back what was there (or nothing).
class ScopedVariable
{
public:
    ScopedVariable(std::string name, const std::string& value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    std::string m_Name;
    std::optional<std::string> m_Previous;
};

} // namespace testsupport
