#pragma once

#include "platform/files/Files.h"

#include <cstdint>
#include <cstdio>
#include <list>
#include <map>
#include <string>

class kaManagedStream;

// The one place where the engine finds its data files: as named, by bare name in the current directory,
// under each search folder, then under the install folder read from the registry, then under the
// fallback folder. Paths keep the data's Windows spellings; the platform layer resolves separators and
// case. One instance lives from static construction to exit.
class kaFileSystem
{
public:
    kaFileSystem();
    virtual ~kaFileSystem();
    kaFileSystem(const kaFileSystem&) = delete;
    kaFileSystem& operator=(const kaFileSystem&) = delete;

    // Reads the install information; minimalPathName is accepted for the caller's sake but not used.
    // Always true: a machine without install keys searches the other places only.
    bool Init(const std::string& registryKey, const std::string& installTypeName,
              const std::string& installPathName, const std::string& minimalPathName,
              const std::string& fallbackFolder, bool useFallbackFolder, bool trackOpenedFiles);

    // Appends the folder, given a trailing '\' when it ends in neither separator; duplicates are kept.
    void AddSearchPath(const std::string& folder);
    // Removes every search folder equal (case included) to the folder normalised as above.
    void RemoveSearchPath(const std::string& folder);
    // Removes only the last search folder equal to the folder normalised as above: the entry a loader
    // added for the length of one load, leaving equal entries of other callers in place.
    void RemoveLastSearchPath(const std::string& folder);

    // Keeps the first name seen for each name hash, while tracking is on.
    void RecordOpenedFile(const char* name);

    // The first existing candidate of the search order, as built; "" when none exists.
    std::string FindCandidate(const std::string& path) const;
    // The same candidate, found by the look-ups that read it: when it is a regular file it is read whole
    // into bytes and read is set.
    std::string ReadCandidate(const std::string& path, std::string& bytes, bool& read) const;
    // The same with the found name written into the caller's string, keeping its room.
    void ReadCandidate(const std::string& path, std::string& bytes, bool& read, std::string& found) const;
    // The same into room that is not cleared before the read.
    std::string ReadCandidate(const std::string& path, platform::FileBytes& bytes, bool& read) const;

    bool IsInitialised() const { return m_Initialised; }
    bool IsTrackingOpenedFiles() const { return m_TrackOpenedFiles; }
    uint32_t GetInstallType() const { return m_InstallType; }
    const std::string& GetInstallFolder() const { return m_InstallFolder; }
    const std::list<std::string>& GetSearchPaths() const { return m_SearchPaths; }
    const std::map<uint32_t, std::string>& GetOpenedFiles() const { return m_OpenedFiles; }

private:
    void _ReadInstallInfo();
    // The first candidate of the search order the probe accepts.
    // Builds each candidate in `found`, which holds the one that exists or is left empty.
    template <class Probe> void _Search(const std::string& path, Probe& probe, std::string& found) const;

    std::string m_RegistryKey;
    std::string m_InstallTypeName;
    uint32_t m_InstallType = 0;
    std::string m_InstallPathName;
    std::string m_InstallFolder = ".\\";
    std::string m_FallbackFolder = ".\\";
    bool m_UseFallbackFolder = false;
    bool m_Initialised = false;
    bool m_TrackOpenedFiles = false;
    std::list<std::string> m_SearchPaths;
    // Entries removed from the search list, kept with their room for the next folder added.
    std::list<std::string> m_SpareSearchPaths;
    std::map<uint32_t, std::string> m_OpenedFiles;
};

// The file system while it exists; null before static construction and after exit.
extern kaFileSystem* g_pFileSystem;

// djb2 over the name's bytes taken as signed chars, in wrapping 32-bit arithmetic.
uint32_t HashFileName(const std::string& name);

// The first existing candidate of the search order, as built; "" when none exists. Without a file
// system only the path itself and its bare name are tried. Open the result through OpenFile or the
// platform layer, which resolve its separators and case.
std::string ResolvePath(const std::string& path);
// ResolvePath's candidate, read whole into bytes (read set) when it is a regular file: finding it is the
// look-up that measures it, so a file found as written is read with a look-up, an open, a read and a close.
// The caller records it as opened.
std::string ResolveAndRead(const std::string& path, std::string& bytes, bool& read);
// The same with the found name ("" when none) written into `found`, whose room a caller can keep from file
// to file. `found` must not be `path` itself.
void ResolveAndRead(const std::string& path, std::string& bytes, bool& read, std::string& found);
// The same into room that is not cleared before the read; the bytes shown are exactly the file's.
std::string ResolveAndRead(const std::string& path, platform::FileBytes& bytes, bool& read);

// Opens the first existing candidate (binary when bit 0 of mode is set) into the managed stream and
// records it. When nothing exists the stream is one whose first read fails; it is never null.
void OpenStream(kaManagedStream& stream, const std::string& path, unsigned mode);

// fopen of the name as given, without searching; null for a null or empty name and for a folder. Reading
// takes only a regular file of at most maxBytes, as platform::OpenFile does.
FILE* OpenFile(const char* fileName, const char* mode, size_t maxBytes = platform::kMaxDataFileBytes);
// `refusal`, when given, says why nothing was opened.
FILE* OpenFile(const std::string& fileName, const char* mode, size_t maxBytes = platform::kMaxDataFileBytes,
               platform::ReadRefusal* refusal = nullptr);
