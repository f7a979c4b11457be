#pragma once

#include <cstddef>
#include <functional>

namespace testsupport
{

// Runs the action in a child process whose writes cannot make a file larger than `bytes`, as on a full
// disk, and answers what the action returned (false too when the child did not finish normally).
// Whatever the action changed on disk is there for the caller to check afterwards.
bool RunWithFileSizeLimit(size_t bytes, const std::function<bool()>& action);

} // namespace testsupport
