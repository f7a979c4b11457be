#include "platform/files/Files.h"
#include "platform/files/SafeFileWriter.h"

#include "tests/support/CurrentDirectory.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

using platform::DirectoryEntry;
using testsupport::TempDir;

std::string ReadAll(FILE* file)
{
    std::string text;
    char buffer[256];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
        text.append(buffer, got);
    return text;
}

std::vector<std::string> EntryNames(const std::vector<DirectoryEntry>& entries)
{
    std::vector<std::string> names;
    for (const DirectoryEntry& entry : entries)
        names.push_back(entry.name);
    return names;
}

class PathResolution : public ::testing::Test
{
protected:
    TempDir m_Dir;
};

TEST_F(PathResolution, BackslashesAndWrongCaseOpenTheRightFile)
{
    m_Dir.Write("data/sounds/x.WAV", "wave");
    FILE* file = platform::OpenFile((m_Dir.Path() + "\\Data\\Sounds\\X.wav").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(ReadAll(file), "wave");
    std::fclose(file);
}

TEST_F(PathResolution, ExactSpellingWinsOverOtherCase)
{
    m_Dir.Write("UI/a.txt", "upper");
    m_Dir.Write("ui/a.txt", "lower");
    EXPECT_EQ(platform::FindExisting(m_Dir.Path() + "/ui/a.txt"), m_Dir.Path() + "/ui/a.txt");
    EXPECT_EQ(platform::FindExisting(m_Dir.Path() + "/UI/a.txt"), m_Dir.Path() + "/UI/a.txt");
    // No exact match: the first spelling by byte order is taken, every time.
    EXPECT_EQ(platform::FindExisting(m_Dir.Path() + "/Ui/A.TXT"), m_Dir.Path() + "/UI/a.txt");
}

TEST_F(PathResolution, FoldersDifferingOnlyInCaseAreEachSearched)
{
    m_Dir.Write("Resources/DefaultTexture.bmp", "texture");
    m_Dir.Write("resources/models/crate.kmf", "model");
    const std::string root = m_Dir.Path();
    EXPECT_EQ(platform::FindExisting(root + "\\Resources\\models\\crate.kmf"),
              root + "/resources/models/crate.kmf");
    EXPECT_EQ(platform::FindExisting(root + "/RESOURCES/Models/Crate.KMF"),
              root + "/resources/models/crate.kmf");
    EXPECT_EQ(platform::FindExisting(root + "/resources/defaulttexture.bmp"),
              root + "/Resources/DefaultTexture.bmp");
    EXPECT_EQ(platform::FindExisting(root + "/resources/models/missing.kmf"), "");
    // A new file still goes under the first spelling that exists.
    EXPECT_EQ(platform::NativePath(root + "/RESOURCES/new.txt"), root + "/Resources/new.txt");
}

TEST_F(PathResolution, RelativePathsResolveFromTheCurrentDirectory)
{
    m_Dir.Write("Data/Worlds/Course.xml", "c");
    testsupport::CurrentDirectory cd(m_Dir.Path());
    EXPECT_EQ(platform::FindExisting("data\\worlds\\course.XML"), "Data/Worlds/Course.xml");
    EXPECT_EQ(platform::FindExisting(".\\DATA\\worlds\\..\\Worlds"), "./Data/Worlds/../Worlds");
    EXPECT_EQ(platform::FindExisting("data\\worlds\\missing.xml"), "");
}

TEST_F(PathResolution, MissingComponentsKeepTheCaseGiven)
{
    m_Dir.Write("Players/old.xml", "");
    EXPECT_EQ(platform::NativePath(m_Dir.Path() + "\\players\\New\\Driver.xml"),
              m_Dir.Path() + "/Players/New/Driver.xml");
    EXPECT_EQ(platform::NativePath(m_Dir.Path() + "\\players\\"), m_Dir.Path() + "/Players/");
    EXPECT_EQ(platform::NativePath(""), "");
}

TEST_F(PathResolution, NewFilesAreCreatedWithTheCaseGivenInsideExistingFolders)
{
    m_Dir.Write("Players/keep.txt", "");
    FILE* file = platform::OpenFile((m_Dir.Path() + "\\PLAYERS\\NewDriver.XML").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("saved", file);
    std::fclose(file);
    EXPECT_EQ(m_Dir.Read("Players/NewDriver.XML"), "saved");
}

TEST_F(PathResolution, WritingAnExistingFileInOtherCaseReplacesIt)
{
    m_Dir.Write("Tarvolin.cfg", "old");
    FILE* file = platform::OpenFile((m_Dir.Path() + "/tarvolin.CFG").c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("new", file);
    std::fclose(file);
    EXPECT_EQ(m_Dir.Read("Tarvolin.cfg"), "new");
    EXPECT_FALSE(m_Dir.Exists("tarvolin.CFG"));
}

TEST_F(PathResolution, OpenFileRefusesFoldersAndEmptyNames)
{
    m_Dir.Write("Data/file.txt", "");
    errno = 0;
    EXPECT_EQ(platform::OpenFile((m_Dir.Path() + "/data").c_str(), "rb"), nullptr);
    EXPECT_EQ(errno, EISDIR);
    EXPECT_EQ(platform::OpenFile("", "rb"), nullptr);
    EXPECT_EQ(platform::OpenFile(nullptr, "rb"), nullptr);
    EXPECT_EQ(platform::OpenFile((m_Dir.Path() + "/missing.txt").c_str(), "rb"), nullptr);
}

TEST_F(PathResolution, ExistenceAndFolderTests)
{
    m_Dir.Write("Data/file.txt", "");
    EXPECT_TRUE(platform::PathExists(m_Dir.Path() + "\\DATA\\FILE.TXT"));
    EXPECT_TRUE(platform::IsDirectory(m_Dir.Path() + "\\DATA"));
    EXPECT_FALSE(platform::IsDirectory(m_Dir.Path() + "\\DATA\\FILE.TXT"));
    EXPECT_FALSE(platform::PathExists(m_Dir.Path() + "\\DATA\\FILE.TXT\\"));
    EXPECT_FALSE(platform::PathExists(m_Dir.Path() + "\\Data\\other.txt"));
}

// Links as written are looked up through: one to a file opens it, one to a folder is a folder, and one to
// nothing exists nowhere, whichever call asks.
TEST_F(PathResolution, LinksAsWrittenAnswerForWhatTheyPointAt)
{
    m_Dir.Write("Data/file.txt", "linked");
    const std::string root = m_Dir.Path();
    ASSERT_EQ(symlink((root + "/Data/file.txt").c_str(), (root + "/to-file").c_str()), 0);
    ASSERT_EQ(symlink((root + "/Data").c_str(), (root + "/to-folder").c_str()), 0);
    ASSERT_EQ(symlink((root + "/Data/gone.txt").c_str(), (root + "/to-nothing").c_str()), 0);
    const struct
    {
        const char* name;
        bool exists, folder, opens;
    } cases[] = {{"to-file", true, false, true},
                 {"TO-FILE", true, false, true},
                 {"to-folder", true, true, false},
                 {"to-nothing", false, false, false},
                 {"to-file/", false, false, false}};
    for (const auto& c : cases)
    {
        const std::string path = root + "/" + c.name;
        EXPECT_EQ(platform::PathExists(path), c.exists) << c.name;
        EXPECT_EQ(platform::IsDirectory(path), c.folder) << c.name;
        errno = 0;
        FILE* file = platform::OpenFile(path.c_str(), "rb");
        EXPECT_EQ(file != nullptr, c.opens) << c.name;
        if (file)
        {
            EXPECT_EQ(ReadAll(file), "linked");
            std::fclose(file);
        }
        else if (c.folder)
        {
            EXPECT_EQ(errno, EISDIR) << c.name;
        }
    }
}

// Read modes never create: a missing file stays missing, and "r+" on a folder is refused like "rb".
TEST_F(PathResolution, ReadingModesCreateNothingAndRefuseFolders)
{
    m_Dir.Write("Data/file.txt", "x");
    for (const char* mode : {"r", "rb", "rt", "r+", "rb+"})
    {
        EXPECT_EQ(platform::OpenFile((m_Dir.Path() + "/Data/new.txt").c_str(), mode), nullptr) << mode;
        EXPECT_FALSE(m_Dir.Exists("Data/new.txt")) << mode;
        errno = 0;
        EXPECT_EQ(platform::OpenFile((m_Dir.Path() + "/DATA").c_str(), mode), nullptr) << mode;
        EXPECT_EQ(errno, EISDIR) << mode;
        FILE* file = platform::OpenFile((m_Dir.Path() + "\\data\\FILE.txt").c_str(), mode);
        ASSERT_NE(file, nullptr) << mode;
        std::fclose(file);
    }
}

TEST(PatternMatching, StarsAndQuestionMarksWithoutCase)
{
    EXPECT_TRUE(platform::MatchesPattern("English.xml", "*.XML"));
    EXPECT_TRUE(platform::MatchesPattern("a.xml.xml", "*.xml"));
    EXPECT_TRUE(platform::MatchesPattern(".xml", "*.xml"));
    EXPECT_TRUE(platform::MatchesPattern("ab", "a*b*"));
    EXPECT_TRUE(platform::MatchesPattern("track01.ogg", "track??.ogg"));
    EXPECT_TRUE(platform::MatchesPattern("aXbXc", "*x*x*"));
    EXPECT_FALSE(platform::MatchesPattern("track1.ogg", "track??.ogg"));
    EXPECT_FALSE(platform::MatchesPattern("English.xmlx", "*.xml"));
    EXPECT_FALSE(platform::MatchesPattern("notes.txt", "*.xml"));
    EXPECT_FALSE(platform::MatchesPattern("", "?"));
    EXPECT_TRUE(platform::MatchesPattern("", "*"));
}

// Only bytes equal to the one replaced change, wherever they sit in the eight-byte steps and the tail,
// beside bytes one bit or one step away from it.
TEST(ByteReplacement, OnlyExactMatchesChangeAtEveryPosition)
{
    const struct
    {
        char from;
        char to;
    } swaps[] = {{'/', '\\'}, {'\\', '/'}, {'\0', 'x'}, {'\x80', '\x7F'}};
    for (const auto& swap : swaps)
    {
        // Neighbours of the byte replaced: one less, one more, its high bit flipped, the replacement itself.
        const char near[] = {static_cast<char>(swap.from - 1), static_cast<char>(swap.from + 1),
                             static_cast<char>(swap.from ^ 0x80), swap.to, 'a'};
        for (size_t size = 0; size <= 43; ++size)
            for (size_t at = 0; at < size + 1; ++at)
            {
                SCOPED_TRACE("size " + std::to_string(size) + " at " + std::to_string(at) + " byte " +
                             std::to_string(static_cast<uint8_t>(swap.from)));
                std::string text(size + 2, '=');
                std::string expected = text;
                for (size_t i = 1; i <= size; ++i)
                    text[i] = expected[i] = near[i % std::size(near)];
                if (at < size)
                {
                    // Matches at this place and every seventh after it, so some words hold several.
                    for (size_t i = 1 + at; i <= size; i += 7)
                    {
                        text[i] = swap.from;
                        expected[i] = swap.to;
                    }
                }
                // The bytes either side of the range stay as they were.
                platform::ReplaceBytes(&text[1], size, swap.from, swap.to);
                EXPECT_EQ(text, expected);
            }
    }
}

class Listing : public ::testing::Test
{
protected:
    TempDir m_Dir;
};

TEST_F(Listing, SortsByNameWithoutRegardToCase)
{
    m_Dir.Write("Levels/b.xml", "");
    m_Dir.Write("Levels/C.xml", "");
    m_Dir.Write("Levels/a.XML", "");
    m_Dir.Write("Levels/notes.txt", "");
    const auto entries = platform::ListDirectory(m_Dir.Path() + "\\levels\\*.xml");
    EXPECT_EQ(EntryNames(entries), (std::vector<std::string>{"a.XML", "b.xml", "C.xml"}));
}

TEST_F(Listing, StarListsDotEntriesAndMarksFolders)
{
    m_Dir.Write("Worlds/Alpha/world.xml", "");
    m_Dir.Write("Worlds/readme.txt", "");
    const auto entries = platform::ListDirectory(m_Dir.Path() + "/worlds/*");
    ASSERT_EQ(EntryNames(entries), (std::vector<std::string>{".", "..", "Alpha", "readme.txt"}));
    EXPECT_TRUE(entries[0].isDirectory);
    EXPECT_TRUE(entries[1].isDirectory);
    EXPECT_TRUE(entries[2].isDirectory);
    EXPECT_FALSE(entries[3].isDirectory);
}

TEST_F(Listing, MissingFolderOrNoMatchListsNothing)
{
    m_Dir.Write("Data/a.txt", "");
    EXPECT_TRUE(platform::ListDirectory(m_Dir.Path() + "/Nowhere/*").empty());
    EXPECT_TRUE(platform::ListDirectory(m_Dir.Path() + "/Data/*.xml").empty());
    EXPECT_TRUE(platform::ListDirectory(m_Dir.Path() + "/Data/a.txt/*").empty());
    EXPECT_FALSE(platform::FindFirstMatch(m_Dir.Path() + "/Data/*.xml"));
    EXPECT_TRUE(platform::FindFirstMatch(m_Dir.Path() + "/Data/*.TXT"));
    EXPECT_TRUE(platform::FindFirstMatch(m_Dir.Path() + "/data/"));
    EXPECT_FALSE(platform::FindFirstMatch(""));
}

TEST_F(Listing, PatternWithoutFolderListsTheCurrentDirectory)
{
    m_Dir.Write("Hit.wav", "");
    testsupport::CurrentDirectory cd(m_Dir.Path());
    EXPECT_EQ(EntryNames(platform::ListDirectory("*.WAV")), (std::vector<std::string>{"Hit.wav"}));
    EXPECT_TRUE(platform::FindFirstMatch("hit.wav"));
}

TEST(FileOperations, RenameReplacesTheTargetAndRemoveDeletes)
{
    TempDir dir;
    dir.Write("Save/temp.cfg", "fresh");
    dir.Write("Save/Tarvolin.cfg", "stale");
    EXPECT_TRUE(platform::RenameFile(dir.Path() + "\\save\\TEMP.cfg", dir.Path() + "\\save\\tarvolin.cfg"));
    EXPECT_EQ(dir.Read("Save/Tarvolin.cfg"), "fresh");
    EXPECT_FALSE(dir.Exists("Save/temp.cfg"));
    EXPECT_FALSE(platform::RenameFile(dir.Path() + "/Save/temp.cfg", dir.Path() + "/Save/x.cfg"));

    EXPECT_TRUE(platform::RemoveFile(dir.Path() + "/SAVE/TARVOLIN.CFG"));
    EXPECT_FALSE(dir.Exists("Save/Tarvolin.cfg"));
    EXPECT_FALSE(platform::RemoveFile(dir.Path() + "/Save/Tarvolin.cfg"));
}

TEST(FileOperations, AWholeFileSavedUnderAnyCaseLeavesOnlyTheNewFile)
{
    TempDir dir;
    dir.Write("Layouts/Main.kab", "old");
    EXPECT_TRUE(platform::SafeFileWriter::WriteWhole(dir.Path() + "\\layouts\\main.kab",
                                                     std::string("new\0bytes", 9)));
    EXPECT_EQ(dir.Read("Layouts/Main.kab"), std::string("new\0bytes", 9));
    EXPECT_EQ(EntryNames(platform::ListDirectory(dir.Path() + "/Layouts/*")),
              (std::vector<std::string>{".", "..", "Main.kab"}));
    struct stat info;
    ASSERT_EQ(stat(dir.File("Layouts/Main.kab").c_str(), &info), 0);
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask) << "a new file's permissions, not the temporary file's";

    EXPECT_FALSE(platform::SafeFileWriter::WriteWhole(dir.Path() + "/Missing/Main.kab", "x"));
    EXPECT_FALSE(dir.Exists("Missing"));
}

TEST(FileOperations, CreateDirectoryKeepsTheCaseGivenAndAcceptsAnExistingFolder)
{
    TempDir dir;
    EXPECT_TRUE(platform::CreateDirectory(dir.Path() + "\\ScreenShots"));
    EXPECT_TRUE(dir.Exists("ScreenShots"));
    EXPECT_TRUE(platform::CreateDirectory(dir.Path() + "\\screenshots"));
    EXPECT_FALSE(dir.Exists("screenshots"));
    EXPECT_FALSE(platform::CreateDirectory(dir.Path() + "\\Missing\\Deep"));
}

} // namespace

namespace
{

// Sets a folder's modification time an hour back, as for a folder nobody has touched lately.
void AgeFolder(const std::string& folder)
{
    timespec times[2];
    clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= 3600;
    times[1] = times[0];
    ASSERT_EQ(utimensat(AT_FDCWD, folder.c_str(), times, 0), 0);
}

} // namespace

// Look-ups remember folder listings; a file that appears after a miss is found all the same, whether this
// program made it (even when the folder's time does not move) or another program did.
TEST(CachedLookups, AFileWrittenAfterAMissIsThenFound)
{
    const struct
    {
        const char* writer;
        bool ownChange;
    } cases[] = {
        {"OpenFile", true}, {"RenameFile", true}, {"CreateDirectory", true}, {"another program", false}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.writer);
        TempDir dir;
        dir.Write("Maps/Old.tga", "old");
        dir.Write("Incoming/Late.tga", "late");
        const std::string folder = dir.File("Maps");
        AgeFolder(folder);
        // Twice, so that the second miss comes from the remembered listing.
        EXPECT_EQ(platform::FindExisting(dir.Path() + "\\maps\\LATE.TGA"), "");
        EXPECT_EQ(platform::FindExisting(dir.Path() + "\\maps\\LATE.TGA"), "");
        EXPECT_EQ(platform::FindExisting(dir.Path() + "\\maps\\OLD.TGA"), folder + "/Old.tga");

        const std::string name = c.writer == std::string("CreateDirectory") ? "Late" : "Late.tga";
        if (c.writer == std::string("OpenFile"))
        {
            FILE* file = platform::OpenFile((folder + "/Late.tga").c_str(), "wb");
            ASSERT_NE(file, nullptr);
            std::fclose(file);
        }
        else if (c.writer == std::string("RenameFile"))
        {
            ASSERT_TRUE(platform::RenameFile(dir.File("Incoming/Late.tga"), folder + "/Late.tga"));
        }
        else if (c.writer == std::string("CreateDirectory"))
        {
            ASSERT_TRUE(platform::CreateDirectory(folder + "/Late"));
        }
        else
        {
            dir.Write("Maps/Late.tga", "late");
        }
        // This program's own changes are seen even where the folder's time does not tell of them.
        if (c.ownChange)
            AgeFolder(folder);
        EXPECT_EQ(platform::FindExisting(dir.Path() + "\\maps\\" + (name == "Late" ? "LATE" : "LATE.TGA")),
                  folder + "/" + name);
    }
}

TEST_F(PathResolution, WorkingFolderMovesOnlyToAFolderThatExists)
{
    m_Dir.Write("Install/Data/a.txt", "a");
    testsupport::CurrentDirectory back(m_Dir.Path());
    EXPECT_FALSE(platform::SetCurrentDirectory("Install/Data/a.txt"));
    EXPECT_FALSE(platform::SetCurrentDirectory("Install/Missing"));
    EXPECT_FALSE(platform::SetCurrentDirectory(""));
    EXPECT_TRUE(platform::PathExists("Install"));
    // Windows spellings resolve like every other path.
    EXPECT_TRUE(platform::SetCurrentDirectory("install\\DATA"));
    FILE* file = platform::OpenFile("a.txt", "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(ReadAll(file), "a");
    std::fclose(file);
}
