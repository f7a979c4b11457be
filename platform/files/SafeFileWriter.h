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
// chain is replaced (its temporary made beside it) and keeps its mode; the links stay links. Only a regular
// file is replaced, and only one its owner may write: a pipe, a device or a read-only file at the end of the
// chain is refused, with a debugger line naming it, as a plain write by its owner would be refused (checked
// by the mode, so that root does not pass where the owner would not).
class SafeFileWriter
{
public:
    // Why a save is refused before anything is written.
    enum class Refusal
    {
        Allowed,
        Unreachable, // no file can be made there: a loop of links, a link that cannot be read
        Folder,
        NotRegular, // a pipe, a device or a socket
        ReadOnly,   // its owner's write bit is clear, or this user may not write it
    };

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

    // What a save of the path would meet as it stands, looked up without writing anything: for a caller that
    // tells its user why a save failed.
    static Refusal Check(const std::string& path);
    // Why this writer was refused (Allowed while it may write, and when some later step failed).
    Refusal GetRefusal() const { return m_Refusal; }

private:
    // Removes the stale temporaries of the target: its own form only, made by this user, unlocked.
    void _RemoveStaleTemporaries() const;
    // Gives the temporary the target's mode and, where the system allows, its owner; a new file gets the
    // mode a plain create would. False, with the refusal noted, when the target may not be replaced.
    bool _TakeOwnerAndMode(int fd);
    // Notes the refusal and names the file on the debugger output.
    void _Refuse(Refusal refusal, const std::string& given);

    std::string m_Given;
    std::string m_Target;
    std::string m_Temporary;
    FILE* m_File = nullptr;
    // Holds the temporary's lock until the rename or the removal is done.
    int m_LockFd = -1;
    bool m_Failed = false;
    Refusal m_Refusal = Refusal::Allowed;
};

} // namespace platform
