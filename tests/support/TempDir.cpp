#include "tests/support/TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testsupport
{

TempDir::TempDir()
{
    std::string pattern = (fs::temp_directory_path() / "tarvolin-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    m_Path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    fs::remove_all(m_Path, ignored);
}

std::string TempDir::File(const std::string& relative) const
{
    return m_Path + "/" + relative;
}

std::string TempDir::Write(const std::string& relative, const std::string& contents) const
{
    const fs::path path = File(relative);
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << contents;
    return path.string();
}

std::string TempDir::Read(const std::string& relative) const
{
    std::ifstream in(File(relative), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool TempDir::Exists(const std::string& relative) const
{
    return fs::exists(File(relative));
}

std::vector<std::string> TempDir::Entries(const std::string& relative) const
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(File(relative), error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace testsupport
