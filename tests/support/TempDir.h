#pragma once

#include <string>
#include <vector>

namespace testsupport
{

// A fresh folder under the system's temporary folder, removed with everything in it on destruction.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_Path; }
    // Path() joined with a relative path written with '/'.
    std::string File(const std::string& relative) const;

    // Writes a file (creating its folders) and returns its full path.
    std::string Write(const std::string& relative, const std::string& contents) const;
    std::string Read(const std::string& relative) const;
    bool Exists(const std::string& relative) const;
    // The names in a folder, sorted; a writer's leftover temporary files show up here.
    std::vector<std::string> Entries(const std::string& relative = "") const;

private:
    std::string m_Path;
};

} // namespace testsupport
