#include "tests/support/CurrentDirectory.h"

#include <filesystem>

namespace testsupport
{

CurrentDirectory::CurrentDirectory(const std::string& path)
    : m_Previous(std::filesystem::current_path().string())
{
    std::filesystem::current_path(path);
}

CurrentDirectory::~CurrentDirectory()
{
    std::error_code ignored;
    std::filesystem::current_path(m_Previous, ignored);
}

} // namespace testsupport
