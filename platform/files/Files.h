#pragma once

#include "platform/files/FileBytes.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform
{

// Paths reach this layer with the data's Windows spellings: '\' separators and any mix of case.
// A '\' reads as '/', and each component that does not exist as written matches an entry of the
// same name without regard to case (the first by name when several do). Components that match
// nothing are kept as written, so new files and folders get the case they were given.

struct DirectoryEntry
{
    std::string name;
    bool isDirectory = false;
};

// The POSIX path that names the entry, resolving every component that exists.
std::string NativePath(const std::string& path);

// The POSIX path of an existing file or folder, or "" when nothing matches.
std::string FindExisting(const std::string& path);

bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);

// The entries of one folder whose names match the pattern's last component, where '*' stands for any
// run of characters and '?' for one, compared without regard to case. "." and ".." are listed when they
// match. Sorted by name without regard to case (then byte-wise), so listings are the same on every run.
std::vector<DirectoryEntry> ListDirectory(const std::string& pattern);

// True when ListDirectory would list at least one entry.
bool FindFirstMatch(const std::string& pattern);

// Wildcard match of one name against one pattern component, without regard to case.
bool MatchesPattern(const std::string& name, const std::string& pattern);

// The most a reader of the game's own files (courses, profiles, settings, layouts, init data) takes: none
// comes near it, and a larger file is refused rather than read into memory.
constexpr size_t kMaxDataFileBytes = size_t(64) << 20;
// For readers that stream what they take (textures, models, sounds): any size.
constexpr size_t kAnyFileSize = SIZE_MAX;

// Why a file was not opened for reading.
enum class ReadRefusal
{
    Opened,
    Missing,    // nothing of that name, under any case
    Folder,     // refused without a word, as a folder is no file to read
    NotRegular, // a pipe, a device or a socket: reading one can wait for ever or never end
    TooLarge,   // a regular file past the reader's limit
    Unreadable, // the system refused the look-up or the open (a permission, a loop of links)
};

// What follows a file's name where a refusal is reported: "is not a regular file".
std::string DescribeRefusal(ReadRefusal refusal, size_t maxBytes);

// fopen through NativePath. Null for a null or empty name, and for a folder (which fopen would
// otherwise open for reading on Linux). A read-only mode ("r", "rb", "rt") takes a regular file of at most
// maxBytes only: the entry is looked up first, so a pipe or a device is never opened, and the open itself
// never waits. A file that is not a regular file or is too large is refused with a debugger line naming it.
// `refusal`, when given, says why nothing was opened; errno is ENOENT for a missing file and EISDIR for a
// folder.
FILE* OpenFile(const char* path, const char* mode, size_t maxBytes = kMaxDataFileBytes,
               ReadRefusal* refusal = nullptr);
// The same open for reading as a descriptor, for readers that are not stdio streams; -1 when refused.
int OpenReadable(const std::string& path, size_t maxBytes, ReadRefusal* refusal = nullptr);

// What a look-up learnt of an entry: enough to tell whether it may be opened and how much it holds.
struct FileMeasure
{
    bool regular = false;
    uint64_t size = 0;
};

// The whole of a regular file of at most maxBytes, read with one read where the system allows, into the
// caller's text (which keeps its room for the next file). False for anything else: the text untouched for
// a folder, a pipe, a larger or unopenable file; emptied when a read failed or the file did not hold the
// measured size to the end of reading (it shrank or grew), so that part of a file never looks like all of it.
bool ReadWholeFile(const std::string& nativePath, std::string& bytes, size_t maxBytes);
// The same into room that is not cleared before the read: the bytes shown are exactly the file's, and a
// refusal shows none once the file was opened (before that the bytes are left as they were).
bool ReadWholeFile(const std::string& nativePath, FileBytes& bytes, size_t maxBytes);
// The same for an entry measured earlier: the file is opened only when the measure says it is a regular
// file that fits.
bool ReadMeasuredFile(const std::string& nativePath, const FileMeasure& measured, std::string& bytes,
                      size_t maxBytes);
bool ReadMeasuredFile(const std::string& nativePath, const FileMeasure& measured, FileBytes& bytes,
                      size_t maxBytes);

// What ReadFoundFile found at a path.
enum class FileRead
{
    Read,     // the bytes are in the text
    Missing,  // nothing of that name, under any case; the text untouched
    NotWhole, // something is there but was not read whole, the text as ReadWholeFile leaves it
};

// Finds the path as FindExisting does (as written first, then without regard to case) and reads it whole
// when it is a regular file of at most maxBytes; the look-up that finds it also measures it, so a file
// that exists as written costs a look-up, an open, a read and a close. `native` gets what was found (its
// room kept); a path already in '/' form is taken as it is.
FileRead ReadFoundFile(const std::string& path, std::string& bytes, size_t maxBytes, std::string& native);
FileRead ReadFoundFile(const std::string& path, FileBytes& bytes, size_t maxBytes, std::string& native);

// Every byte `from` in the range turned into `to`, sixteen or eight bytes at a time: paths are flipped between
// their two spellings on every look-up, and most hold many separators.
void ReplaceBytes(char* data, size_t size, char from, char to);

// Moves a file over another (replacing it), for writers that finish a temporary file first.
bool RenameFile(const std::string& from, const std::string& to);
bool RemoveFile(const std::string& path);
// Creates one folder; true when it exists afterwards.
bool CreateDirectory(const std::string& path);
// Makes the folder the process's working folder; false (the working folder unchanged) when it is not one.
bool SetCurrentDirectory(const std::string& path);

} // namespace platform
