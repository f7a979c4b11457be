#include "engine/core/kaFileSystem.h"
#include "engine/core/kaManagedStream.h"
#include "platform/files/FileBytes.h"

#include "platform/registry/MemoryRegistry.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitingPipeWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const char* const kKey = "SOFTWARE\\Kalder Arts\\Tarvolin";

std::string ReadStream(kaManagedStream& stream)
{
    return std::string(std::istreambuf_iterator<char>(*stream), std::istreambuf_iterator<char>());
}

// A file system over a temporary current directory, on a machine with no install keys unless a test
// sets them.
class FileSystemTest : public ::testing::Test
{
protected:
    FileSystemTest() : m_Cwd(m_Dir.Path()) {}

    void Init(const std::string& fallback = "", bool useFallback = false, bool track = false)
    {
        m_Files.Init(kKey, "INSTALLTYPE", "FULLINSTALLPATH", "MINIMALINSTALLPATH", fallback, useFallback,
                     track);
    }

    void Remove(const std::string& relative) { std::filesystem::remove(m_Dir.File(relative)); }

    testsupport::TempDir m_Dir;
    testsupport::CurrentDirectory m_Cwd;
    platform::MemoryRegistry m_Registry;
    kaFileSystem m_Files;
};

TEST_F(FileSystemTest, GlobalPointerFollowsTheInstance)
{
    EXPECT_EQ(g_pFileSystem, &m_Files);
    {
        kaFileSystem second;
        EXPECT_EQ(g_pFileSystem, &second);
    }
    EXPECT_EQ(g_pFileSystem, nullptr);
}

TEST_F(FileSystemTest, SearchOrderIsPathNameSearchFoldersInstallThenFallback)
{
    m_Dir.Write("install/x.wav", "");
    m_Dir.Write("fallback/x.wav", "");
    m_Registry.Set(kKey, "FULLINSTALLPATH", m_Dir.File("install/"));
    Init(m_Dir.File("fallback/"), true);
    m_Files.AddSearchPath("ui");
    m_Files.AddSearchPath("ui/common");
    m_Dir.Write("ui/common/Sounds/x.wav", "");
    m_Dir.Write("ui/Sounds/x.wav", "");
    m_Dir.Write("x.wav", "");
    m_Dir.Write("Sounds/x.wav", "");

    EXPECT_EQ(ResolvePath("Sounds/x.wav"), "Sounds\\x.wav");
    Remove("Sounds/x.wav");
    EXPECT_EQ(ResolvePath("Sounds/x.wav"), "x.wav");
    Remove("x.wav");
    EXPECT_EQ(ResolvePath("Sounds/x.wav"), "ui\\Sounds\\x.wav");
    Remove("ui/Sounds/x.wav");
    EXPECT_EQ(ResolvePath("Sounds/x.wav"), "ui/common\\Sounds\\x.wav");
    Remove("ui/common/Sounds/x.wav");
    EXPECT_EQ(ResolvePath("Sounds/x.wav"), m_Dir.File("install/") + "x.wav");
    Remove("install/x.wav");
    EXPECT_EQ(ResolvePath("Sounds/x.wav"), m_Dir.File("fallback/") + "x.wav");
    Remove("fallback/x.wav");
    EXPECT_EQ(ResolvePath("Sounds/x.wav"), "");
}

TEST_F(FileSystemTest, PathsEndingInASeparatorAreKeptWhole)
{
    m_Dir.Write("Data/a.xml", "");
    m_Dir.Write("fallback/x.txt", "");
    Init(m_Dir.File("fallback/"), false);
    EXPECT_EQ(ResolvePath("Data/"), "Data/");
    // The fallback folder is used only when asked for.
    EXPECT_EQ(ResolvePath("x.txt"), "");
    EXPECT_EQ(ResolvePath("ui/common/main.kab"), "");
    m_Dir.Write("ui/common/main.kab", "");
    EXPECT_EQ(ResolvePath("ui/common/main.kab"), "ui\\common\\main.kab");
}

TEST_F(FileSystemTest, WindowsSpellingsOpenTheFileOfAnyCase)
{
    m_Dir.Write("data/sounds/x.WAV", "riff");
    Init();
    kaManagedStream stream;
    OpenStream(stream, "Data\\Sounds\\X.wav", 1);
    ASSERT_NE(stream.Get(), nullptr);
    EXPECT_EQ(ReadStream(stream), "riff");
}

TEST_F(FileSystemTest, MissingFileGivesAStreamWhoseFirstReadFails)
{
    Init();
    m_Dir.Write("Data/keep.txt", "");
    for (const char* name : {"missing.txt", "Data", "Data/"})
    {
        kaManagedStream stream;
        OpenStream(stream, name, 0);
        ASSERT_NE(stream.Get(), nullptr) << name;
        char c = 0;
        EXPECT_FALSE(stream->get(c)) << name;
    }
}

TEST_F(FileSystemTest, InstallFolderAndTypeComeFromTheRegistry)
{
    m_Registry.Set(kKey, "INSTALLTYPE", "2");
    m_Registry.Set(kKey, "FULLINSTALLPATH", "C:\\Games\\Tarvolin\\");
    Init();
    EXPECT_TRUE(m_Files.IsInitialised());
    EXPECT_EQ(m_Files.GetInstallType(), 2u);
    EXPECT_EQ(m_Files.GetInstallFolder(), "C:\\Games\\Tarvolin\\");
}

TEST_F(FileSystemTest, InstallFolderWithoutSeparatorIsJoinedWithOne)
{
    m_Dir.Write("install/hit.wav", "");
    m_Registry.Set(kKey, "FULLINSTALLPATH", m_Dir.File("install"));
    Init();
    EXPECT_EQ(m_Files.GetInstallFolder(), m_Dir.File("install") + "\\");
    EXPECT_EQ(ResolvePath("sounds/hit.wav"), m_Dir.File("install") + "\\hit.wav");
}

TEST_F(FileSystemTest, MissingKeyOrValuesLeaveTheDefaults)
{
    Init();
    EXPECT_EQ(m_Files.GetInstallType(), 0u);
    EXPECT_EQ(m_Files.GetInstallFolder(), ".\\");

    m_Registry.Set(kKey, "INSTALLTYPE", "not a number");
    kaFileSystem other;
    other.Init(kKey, "INSTALLTYPE", "FULLINSTALLPATH", "MINIMALINSTALLPATH", "", false, false);
    EXPECT_EQ(other.GetInstallType(), 0u);
    EXPECT_EQ(other.GetInstallFolder(), ".\\");
}

TEST_F(FileSystemTest, SearchPathsGetASeparatorAndRemoveTakesEveryCopy)
{
    m_Files.AddSearchPath("Models/Car");
    m_Files.AddSearchPath("Models\\Car\\");
    m_Files.AddSearchPath("Models/Car");
    m_Files.AddSearchPath("");
    EXPECT_EQ(m_Files.GetSearchPaths(),
              (std::list<std::string>{"Models/Car\\", "Models\\Car\\", "Models/Car\\", "\\"}));
    m_Files.RemoveSearchPath("Models/Car");
    EXPECT_EQ(m_Files.GetSearchPaths(), (std::list<std::string>{"Models\\Car\\", "\\"}));
    m_Files.RemoveSearchPath("models\\car\\");
    EXPECT_EQ(m_Files.GetSearchPaths().size(), 2u);

    // Removing the last entry leaves equal earlier ones.
    m_Files.AddSearchPath("Models/Car");
    m_Files.AddSearchPath("Other");
    m_Files.AddSearchPath("Models/Car\\");
    m_Files.RemoveLastSearchPath("Models/Car");
    EXPECT_EQ(m_Files.GetSearchPaths(),
              (std::list<std::string>{"Models\\Car\\", "\\", "Models/Car\\", "Other\\"}));
    m_Files.RemoveLastSearchPath("Missing");
    EXPECT_EQ(m_Files.GetSearchPaths().size(), 4u);
}

// Entries are compared where they lie: each removal form matches the entry AddSearchPath wrote for a
// folder, and nothing else.
TEST_F(FileSystemTest, RemovalMatchesOnlyTheEntryTheFolderWasAddedAs)
{
    const struct
    {
        const char* added;
        const char* removed;
        bool matches;
    } cases[] = {
        {"Models/Car", "Models/Car", true},    {"Models/Car", "Models/Car\\", true},
        {"Models/Car/", "Models/Car/", true},  {"Models/Car/", "Models/Car", false},
        {"Models/Car", "Models/Car/", false},  {"Models/Car", "Models/Ca", false},
        {"Models/Car", "Models/Carx", false},  {"Models/Car", "models/car", false},
        {"", "", true},                        {"", "\\", true},
        {"\\", "", true},                     {"a", "", false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.added) + " removed as " + c.removed);
        for (const bool onlyLast : {false, true})
        {
            kaFileSystem files;
            files.AddSearchPath("first");
            files.AddSearchPath(c.added);
            files.AddSearchPath("last");
            if (onlyLast)
                files.RemoveLastSearchPath(c.removed);
            else
                files.RemoveSearchPath(c.removed);
            EXPECT_EQ(files.GetSearchPaths().size(), c.matches ? 2u : 3u);
            EXPECT_EQ(files.GetSearchPaths().front(), "first\\");
            EXPECT_EQ(files.GetSearchPaths().back(), "last\\");
        }
    }
}

// Folders pushed and popped load after load reuse the entries removed before: each entry shows exactly
// the folder last added to it, never the rest of a longer one.
TEST_F(FileSystemTest, FoldersAddedAfterRemovalsShowOnlyTheirOwnName)
{
    const char* const folders[] = {"a/much/longer/folder/than/the/rest", "b", "c/d/", "e\\f", ""};
    for (const char* folder : folders)
        m_Files.AddSearchPath(folder);
    m_Files.RemoveSearchPath("b");
    m_Files.RemoveLastSearchPath("a/much/longer/folder/than/the/rest");
    EXPECT_EQ(m_Files.GetSearchPaths(), (std::list<std::string>{"c/d/", "e\\f\\", "\\"}));
    m_Files.AddSearchPath("x");
    m_Files.AddSearchPath("y/");
    m_Files.AddSearchPath("z/zz");
    EXPECT_EQ(m_Files.GetSearchPaths(),
              (std::list<std::string>{"c/d/", "e\\f\\", "\\", "x\\", "y/", "z/zz\\"}));
    // A nested load's folder equal to an outer one: the inner removal takes only the last.
    m_Files.AddSearchPath("x");
    m_Files.RemoveLastSearchPath("x");
    m_Files.RemoveLastSearchPath("y/");
    EXPECT_EQ(m_Files.GetSearchPaths(), (std::list<std::string>{"c/d/", "e\\f\\", "\\", "x\\", "z/zz\\"}));
}

// Every candidate is built in one buffer in turn: one found after a longer candidate missed is named and
// read exactly, and a name without folders is found in the search folders as before.
TEST_F(FileSystemTest, CandidatesAfterLongerMissesAreNamedExactly)
{
    const std::string longFolder = "a/very/long/search/folder/that/holds/nothing/wanted";
    m_Registry.Set(kKey, "FULLINSTALLPATH", "in/");
    Init("fb/", true);
    m_Files.AddSearchPath(longFolder);
    m_Files.AddSearchPath("s");
    m_Dir.Write(longFolder + "/other.txt", "");
    m_Dir.Write("s/Deep/found.txt", "search");
    m_Dir.Write("s/plain.txt", "plain");
    m_Dir.Write("in/installed.txt", "install");
    m_Dir.Write("fb/fallen.txt", "fallback");
    const struct
    {
        const char* path;
        const char* found;
        const char* bytes;
    } cases[] = {
        {"Deep/found.txt", "s\\Deep\\found.txt", "search"},
        {"Deep\\found.txt", "s\\Deep\\found.txt", "search"},
        {"plain.txt", "s\\plain.txt", "plain"},
        {"Some/Where/installed.txt", "in/installed.txt", "install"},
        {"Some/fallen.txt", "fb/fallen.txt", "fallback"},
        {"installed.txt", "in/installed.txt", "install"},
        {"Some/missing.txt", "", nullptr},
        {"missing.txt", "", nullptr},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.path);
        std::string bytes = "untouched";
        bool read = false;
        EXPECT_EQ(ResolveAndRead(c.path, bytes, read), c.found);
        EXPECT_EQ(ResolvePath(c.path), c.found);
        EXPECT_EQ(read, c.bytes != nullptr);
        EXPECT_EQ(bytes, c.bytes ? c.bytes : "untouched");
    }
}

// A found name written into a string kept from file to file names each file exactly as a fresh string
// would: nothing of a longer earlier name survives a shorter one, and a miss leaves it empty.
TEST_F(FileSystemTest, FoundNameKeptFromFileToFileIsEachFilesOwn)
{
    const std::string longFolder = "a/very/long/search/folder/that/holds/nothing/wanted";
    m_Registry.Set(kKey, "FULLINSTALLPATH", "in/");
    Init("fb/", true);
    m_Files.AddSearchPath(longFolder);
    m_Files.AddSearchPath("s");
    m_Dir.Write(longFolder + "/long.txt", "long");
    m_Dir.Write("s/Deep/found.txt", "search");
    m_Dir.Write("in/installed.txt", "install");
    m_Dir.Write("fb/fallen.txt", "fallback");
    m_Dir.Write("x.txt", "here");
    const char* const paths[] = {"long.txt",         "x.txt",     "Some/missing.txt", "Deep/found.txt",
                                 "Some/fallen.txt",  "x.txt",     "installed.txt",    "missing.txt",
                                 "Other/long.txt",   "Deep\\found.txt"};
    std::string found = "what an earlier file left in the kept string, longer than most";
    for (const char* path : paths)
    {
        SCOPED_TRACE(path);
        std::string keptBytes = "untouched", freshBytes = "untouched";
        bool keptRead = false, freshRead = true;
        ResolveAndRead(path, keptBytes, keptRead, found);
        const std::string fresh = ResolveAndRead(path, freshBytes, freshRead);
        EXPECT_EQ(found, fresh);
        EXPECT_EQ(found, ResolvePath(path));
        EXPECT_EQ(keptRead, freshRead);
        EXPECT_EQ(keptBytes, freshBytes);
    }
}

TEST(FileNameHash, IsDjb2OverSignedBytes)
{
    EXPECT_EQ(HashFileName(""), 5381u);
    EXPECT_EQ(HashFileName("a"), 5381u * 33u + 97u);
    EXPECT_EQ(HashFileName("\xE9"), 5381u * 33u - 23u);
    EXPECT_EQ(HashFileName("Ez"), HashFileName("FY"));
    // Wraps in 32 bits instead of overflowing.
    const std::string longName(64, 'z');
    uint32_t expected = 5381;
    for (char c : longName)
        expected = expected * 33u + static_cast<uint32_t>(c);
    EXPECT_EQ(HashFileName(longName), expected);
}

TEST_F(FileSystemTest, TrackingKeepsTheFirstNameOfEachHash)
{
    m_Dir.Write("Ez", "");
    m_Dir.Write("FY", "");
    Init("", false, true);
    for (const char* name : {"Ez", "FY"})
    {
        FILE* file = OpenFile(name, "rb");
        ASSERT_NE(file, nullptr);
        std::fclose(file);
    }
    m_Files.RecordOpenedFile("");
    m_Files.RecordOpenedFile(nullptr);
    const std::map<uint32_t, std::string> expected{{HashFileName("Ez"), "Ez"}};
    EXPECT_EQ(m_Files.GetOpenedFiles(), expected);

    kaManagedStream stream;
    OpenStream(stream, "sub/FY", 0);
    m_Dir.Write("other.txt", "");
    OpenStream(stream, "other.txt", 0);
    EXPECT_EQ(m_Files.GetOpenedFiles().size(), 2u);
    EXPECT_EQ(m_Files.GetOpenedFiles().at(HashFileName("other.txt")), "other.txt");
}

TEST_F(FileSystemTest, NothingIsRecordedWithoutTracking)
{
    m_Dir.Write("a.txt", "");
    Init();
    FILE* file = OpenFile("a.txt", "rb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    m_Files.RecordOpenedFile("b.txt");
    EXPECT_TRUE(m_Files.GetOpenedFiles().empty());
}

TEST_F(FileSystemTest, OpenFileDoesNotSearchAndRefusesEmptyNamesAndFolders)
{
    m_Dir.Write("ui/button.tga", "");
    Init("", false, true);
    m_Files.AddSearchPath("ui");
    EXPECT_EQ(OpenFile("button.tga", "rb"), nullptr);
    EXPECT_EQ(OpenFile("", "rb"), nullptr);
    EXPECT_EQ(OpenFile(static_cast<const char*>(nullptr), "rb"), nullptr);
    EXPECT_EQ(OpenFile("UI", "rb"), nullptr);
    FILE* file = OpenFile("UI\\Button.TGA", "rb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
}

// Finding a file by reading it names the candidate the search order names, in every place of that order,
// and reads the bytes of what it names; a folder or pipe is named but not read, and nothing is opened when
// nothing exists.
TEST_F(FileSystemTest, ReadingAsItIsFoundNamesTheCandidateTheSearchNames)
{
    m_Registry.Set(kKey, "FULLINSTALLPATH", m_Dir.File("install/"));
    Init(m_Dir.File("fallback/"), true, true);
    m_Files.AddSearchPath("ui");
    m_Dir.Write("Sounds/here.wav", "as named");
    m_Dir.Write("bare.wav", "bare name");
    m_Dir.Write("ui/Sounds/searched.wav", "search folder");
    m_Dir.Write("install/installed.wav", "install folder");
    m_Dir.Write("fallback/fallen.wav", "fallback folder");
    m_Dir.Write("ui/Sounds/Cased.WAV", "other case");
    m_Dir.Write("Sounds/folder.wav/inside", "");
    ASSERT_EQ(mkfifo(m_Dir.File("Sounds/pipe.wav").c_str(), 0600), 0);
    const struct
    {
        const char* path;
        const char* bytes; // null: named but not read
    } cases[] = {
        {"Sounds/here.wav", "as named"},          {"Sounds\\bare.wav", "bare name"},
        {"Sounds/searched.wav", "search folder"}, {"Sounds/installed.wav", "install folder"},
        {"Sounds/fallen.wav", "fallback folder"}, {"SOUNDS\\cased.wav", "other case"},
        {"Sounds/folder.wav", nullptr},           {"Sounds/pipe.wav", nullptr},
        {"Sounds/missing.wav", nullptr},          {"Sounds/", nullptr},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.path);
        std::string bytes = "untouched";
        bool read = true;
        const std::string found = ResolveAndRead(c.path, bytes, read);
        EXPECT_EQ(found, ResolvePath(c.path));
        EXPECT_EQ(read, c.bytes != nullptr);
        EXPECT_EQ(bytes, c.bytes ? c.bytes : "untouched");
    }
    EXPECT_FALSE(ResolvePath("Sounds/folder.wav").empty());
    EXPECT_FALSE(ResolvePath("Sounds/pipe.wav").empty());
    EXPECT_TRUE(ResolvePath("Sounds/missing.wav").empty());
}

// Read into room that is not cleared first, the search finds the same candidates and reads the same bytes as
// into text; whatever is refused leaves the room showing what it held, never a part of another file.
TEST_F(FileSystemTest, ReadingIntoUnclearedRoomFindsAndReadsAsTextReadingDoes)
{
    m_Registry.Set(kKey, "FULLINSTALLPATH", m_Dir.File("install/"));
    Init(m_Dir.File("fallback/"), true, true);
    m_Files.AddSearchPath("ui");
    m_Dir.Write("Sounds/here.wav", "as named");
    m_Dir.Write("bare.wav", "bare");
    m_Dir.Write("ui/Sounds/searched.wav", std::string(3000, 's'));
    m_Dir.Write("install/installed.wav", "install folder");
    m_Dir.Write("ui/Sounds/Cased.WAV", "other case");
    m_Dir.Write("Sounds/folder.wav/inside", "");
    ASSERT_EQ(mkfifo(m_Dir.File("Sounds/pipe.wav").c_str(), 0600), 0);
    const char* const paths[] = {"Sounds/searched.wav",  "Sounds/here.wav",    "Sounds\\bare.wav",
                                 "Sounds/installed.wav", "SOUNDS\\cased.wav",  "Sounds/folder.wav",
                                 "Sounds/pipe.wav",      "Sounds/missing.wav", "Sounds/"};
    // One room for every path in turn, as a reader going from file to file keeps it.
    platform::FileBytes room;
    const std::string held = "held before";
    for (const char* path : paths)
    {
        SCOPED_TRACE(path);
        std::copy(held.begin(), held.end(), room.MakeRoom(held.size()));
        room.SetSize(held.size());
        std::string text = held;
        bool textRead = false, roomRead = true;
        const std::string textFound = ResolveAndRead(path, text, textRead);
        const std::string roomFound = ResolveAndRead(path, room, roomRead);
        EXPECT_EQ(roomFound, textFound);
        EXPECT_EQ(roomRead, textRead);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(room.Data()), room.Size()), text);
    }
}

TEST(ResolveWithoutFileSystem, TriesThePathAndTheBareName)
{
    testsupport::TempDir dir;
    dir.Write("x.txt", "");
    testsupport::CurrentDirectory cwd(dir.Path());
    ASSERT_EQ(g_pFileSystem, nullptr);
    EXPECT_EQ(ResolvePath("deep/x.txt"), "x.txt");
    EXPECT_EQ(ResolvePath("deep/y.txt"), "");
}

TEST(ResolveWithoutFileSystem, FoundNameKeptFromFileToFileIsEachFilesOwn)
{
    testsupport::TempDir dir;
    dir.Write("x.txt", "bare");
    dir.Write("a/longer/name.txt", "named");
    testsupport::CurrentDirectory cwd(dir.Path());
    ASSERT_EQ(g_pFileSystem, nullptr);
    const struct
    {
        const char* path;
        const char* found;
        const char* bytes;
    } cases[] = {
        {"a/longer/name.txt", "a\\longer\\name.txt", "named"},
        {"deep/x.txt", "x.txt", "bare"},
        {"deep/y.txt", "", nullptr},
        {"x.txt", "x.txt", "bare"},
        {"y.txt", "", nullptr},
    };
    std::string found = "left by an earlier file, longer than any case here";
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.path);
        std::string bytes = "untouched";
        bool read = false;
        ResolveAndRead(c.path, bytes, read, found);
        EXPECT_EQ(found, c.found);
        EXPECT_EQ(read, c.bytes != nullptr);
        EXPECT_EQ(bytes, c.bytes ? c.bytes : "untouched");
    }
}

} // namespace

// A stream over a regular file reads it whole up front; it seeks, measures and reads as a file stream does.
// A file too large to read whole streams from the file; a folder, and a pipe, which is never opened, give a
// stream whose first read fails.
TEST_F(FileSystemTest, StreamsSeekAndReadAsFilesDoWhateverTheySit)
{
    Init();
    const std::string bytes("head\0middle\ntail", 16);
    m_Dir.Write("Data/file.bin", bytes);
    kaManagedStream stream;
    OpenStream(stream, "DATA\\FILE.BIN", 1);
    std::streambuf* buffer = stream->rdbuf();
    ASSERT_NE(buffer, nullptr);
    char head[4];
    ASSERT_EQ(buffer->sgetn(head, 4), 4);
    EXPECT_EQ(std::string(head, 4), "head");
    const std::streampos here = buffer->pubseekoff(0, std::ios_base::cur, std::ios_base::in);
    EXPECT_EQ(std::streamoff(here), 4);
    EXPECT_EQ(std::streamoff(buffer->pubseekoff(0, std::ios_base::end, std::ios_base::in)), 16);
    buffer->pubseekpos(here, std::ios_base::in);
    EXPECT_EQ(ReadStream(stream), bytes.substr(4));

    kaManagedStream folder;
    OpenStream(folder, "Data", 1);
    char c;
    EXPECT_FALSE(folder->get(c));

    // Sparse: its size costs nothing on disk.
    const std::string large = m_Dir.Write("Data/large.bin", "large head");
    const off_t largeSize = off_t(256) * 1024 * 1024 + 10;
    ASSERT_EQ(truncate(large.c_str(), largeSize), 0);
    kaManagedStream streamed;
    OpenStream(streamed, "Data/large.bin", 1);
    buffer = streamed->rdbuf();
    ASSERT_NE(buffer, nullptr);
    char start[10];
    ASSERT_EQ(buffer->sgetn(start, 10), 10);
    EXPECT_EQ(std::string(start, 10), "large head");
    EXPECT_EQ(std::streamoff(buffer->pubseekoff(0, std::ios_base::end, std::ios_base::in)), largeSize);

    const testsupport::WaitingPipeWriter writer(m_Dir.File("Data/pipe"));
    ASSERT_TRUE(writer.Made());
    kaManagedStream piped;
    OpenStream(piped, "Data/pipe", 1);
    EXPECT_FALSE(piped->get(c));
    EXPECT_FALSE(writer.Released());
}
