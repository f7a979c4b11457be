#pragma once

#include "tests/support/CurrentDirectory.h"
#include "tests/support/TempDir.h"

namespace gametest
{

// A temporary install folder that is the working folder for the object's lifetime.
struct InstallFolder
{
    testsupport::TempDir dir;
    testsupport::CurrentDirectory cwd{dir.Path()};
};

} // namespace gametest
