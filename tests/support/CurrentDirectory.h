#pragma once

#include <string>

namespace testsupport
{

// Makes a folder the process's current directory for its lifetime, then goes back.
class CurrentDirectory
{
public:
    explicit CurrentDirectory(const std::string& path);
    ~CurrentDirectory();
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::string m_Previous;
};

} // namespace testsupport
