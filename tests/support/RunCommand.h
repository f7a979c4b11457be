#pragma once

#include <string>

namespace testsupport
{

struct CommandResult
{
    // The exit code; -1 when the command could not run or did not exit.
    int status = -1;
    std::string output;
};

// Runs a shell command, capturing its standard output.
CommandResult RunCommand(const std::string& command);

} // namespace testsupport
