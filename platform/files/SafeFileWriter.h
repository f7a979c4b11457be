#pragma once

#include <cstdio>
#include <string>

namespace platform
{

// Writes a file so that no one ever sees it half written. The bytes go to a new file with a unique
// name in the target's folder (so two writers at once never share one); Commit flushes it to disk and
// renames it over the target. Until then, and whenever anything fails, the target stays as it was and
// the temporary file is removed. A killed writer leaves at most its own temporary file behind, and the next
// writer of the same target removes it, whatever step the kill stopped: a temporary
// (".<target>.XXXXXX.tarvolin-save") is locked for as long as its writer lives, so one that nobody holds is
// known to be stale. A target that is a symbolic link is written through it: the file at the end of the
// chain is replaced (its temporary made beside it) and keeps its mode; the links stay links.
class SafeFileWriter
{
public:
    // Creates the temporary file; File() is null when that fails.
    explicit SafeFileWriter(const std::string& path);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    FILE* File() const { return m_File; }
    const std::string& TemporaryPath() const { return m_Temporary; }
    // False once any write has failed.
    bool Write(const void* data, size_t size);
    bool Write(const std::string& bytes) { return Write(bytes.data(), bytes.size()); }

    // Flushes, syncs and closes the temporary file and renames it over the target. False, with the
    // target untouched, when the file was never opened, a write failed or any of these steps fails.
    bool Commit();
    // Closes and removes the temporary file; the target stays as it was.
    void Abandon();

    // The whole of a file written this way.
    static bool WriteWhole(const std::string& path, const std::string& bytes);

private:
    // Removes the stale temporaries of the target: its own form only, made by this user, unlocked.
    void _RemoveStaleTemporaries() const;
    // Gives the temporary the target's mode and, where the system allows, its owner; a new file gets the
    // mode a plain create would.
    bool _TakeOwnerAndMode(int fd) const;

    std::string m_Target;
    std::string m_Temporary;
    FILE* m_File = nullptr;
    // Holds the temporary's lock until the rename or the removal is done.
    int m_LockFd = -1;
    bool m_Failed = false;
};

} // namespace platform
