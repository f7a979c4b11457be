#include "platform/files/SafeFileWriter.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

using platform::SafeFileWriter;
using testsupport::TempDir;
using Names = std::vector<std::string>;

TEST(SafeFileWriter, OnlyACommitReplacesTheTargetAndNoTemporaryFileStays)
{
    const struct
    {
        bool existing;
        bool commit;
        const char* expected;
    } cases[] = {{true, true, "new"}, {false, true, "new"}, {true, false, "old"}, {false, false, nullptr}};
    for (const auto& c : cases)
    {
        TempDir dir;
        if (c.existing)
            dir.Write("Save.cfg", "old");
        {
            SafeFileWriter writer(dir.File("save.CFG"));
            ASSERT_NE(writer.File(), nullptr);
            EXPECT_TRUE(writer.Write("new"));
            if (c.commit)
            {
                EXPECT_TRUE(writer.Commit());
            }
        }
        const std::string name = c.existing ? "Save.cfg" : "save.CFG";
        EXPECT_EQ(dir.Entries(), c.expected ? Names{name} : Names{}) << c.existing << c.commit;
        if (c.expected)
        {
            EXPECT_EQ(dir.Read(name), c.expected);
        }
    }
}

TEST(SafeFileWriter, RefusesWhatCannotBeWrittenAndKeepsTheTarget)
{
    TempDir dir;
    dir.Write("folder/inside", "x");
    EXPECT_FALSE(SafeFileWriter::WriteWhole(dir.File("folder"), "new"));
    EXPECT_FALSE(SafeFileWriter::WriteWhole(dir.File("missing/file"), "new"));
    EXPECT_FALSE(SafeFileWriter::WriteWhole("", "new"));
    EXPECT_EQ(dir.Entries(), Names{"folder"});

    // A committed file is readable by others, as a plain create would make it.
    ASSERT_TRUE(SafeFileWriter::WriteWhole(dir.File("shared"), "x"));
    struct stat info;
    ASSERT_EQ(stat(dir.File("shared").c_str(), &info), 0);
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
}

TEST(SafeFileWriter, WritersAtOnceUseTheirOwnTemporaryFiles)
{
    TempDir dir;
    SafeFileWriter first(dir.File("a.xml"));
    SafeFileWriter second(dir.File("a.xml"));
    EXPECT_NE(first.TemporaryPath(), second.TemporaryPath());
    first.Write("first");
    second.Write("second");
    EXPECT_TRUE(second.Commit());
    EXPECT_TRUE(first.Commit());
    EXPECT_EQ(dir.Read("a.xml"), "first");
    EXPECT_EQ(dir.Entries(), Names{"a.xml"});
}

// A writer killed at any moment leaves the target whole: the old contents or the new, never a mix.
TEST(SafeFileWriter, AKilledWriterLeavesTheTargetWhole)
{
    TempDir dir;
    const std::string path = dir.File("big.dat");
    const size_t size = 1 << 20;
    ASSERT_TRUE(SafeFileWriter::WriteWhole(path, std::string(size, 'a')));
    for (int round = 0; round < 6; ++round)
    {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
        {
            for (char c = 'b';; c = c == 'z' ? 'a' : c + 1)
                SafeFileWriter::WriteWhole(path, std::string(size, c));
        }
        usleep(3000 + round * 4000);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const std::string text = dir.Read("big.dat");
        ASSERT_EQ(text.size(), size);
        EXPECT_EQ(text.find_first_not_of(text[0]), std::string::npos);
    }
}

} // namespace
