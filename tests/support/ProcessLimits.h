#pragma once

#include <cstddef>
#include <functional>

namespace testsupport
{

// Each runs the action in a child process under a limit and answers what the action returned (false
// too when the child did not finish normally, as when it dies of an allocation it cannot make).
// Whatever the action changed on disk is there for the caller to check afterwards.

// Writes cannot make a file larger than `bytes`, as on a full disk.
bool RunWithFileSizeLimit(size_t bytes, const std::function<bool()>& action);

// The child may map at most `bytes` more memory than it has at the start.
bool RunWithMemoryLimit(size_t bytes, const std::function<bool()>& action);
// False under the address sanitizer, which reserves more address space than any such limit allows.
bool MemoryLimitsWork();

} // namespace testsupport
