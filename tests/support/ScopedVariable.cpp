#include "tests/support/ScopedVariable.h"

#include <cstdlib>
#include <utility>

namespace testsupport
{

ScopedVariable::ScopedVariable(std::string name, const std::string& value) : m_Name(std::move(name))
{
    if (const char* previous = std::getenv(m_Name.c_str()))
        m_Previous = previous;
    setenv(m_Name.c_str(), value.c_str(), 1);
}

ScopedVariable::~ScopedVariable()
{
    if (m_Previous)
        setenv(m_Name.c_str(), m_Previous->c_str(), 1);
    else
        unsetenv(m_Name.c_str());
}

} // namespace testsupport
