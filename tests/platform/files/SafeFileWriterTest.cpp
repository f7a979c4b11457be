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

// A writer killed before its commit leaves its temporary; the next writer of the same target removes it,
// and nothing else: not a living writer's temporary, not another target's, not a file that only looks
// like one.
TEST(SafeFileWriter, TheNextWriterOfATargetRemovesItsStaleTemporaries)
{
    TempDir dir;
    const std::string target = dir.File("Player0.xml");
    ASSERT_TRUE(SafeFileWriter::WriteWhole(target, "old"));
    // Three writers alive at once, so none takes another's temporary for stale, then all killed.
    std::vector<std::string> stale;
    std::vector<pid_t> children;
    for (int round = 0; round < 3; ++round)
    {
        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
        {
            SafeFileWriter writer(target);
            writer.Write("half");
            const std::string path = writer.TemporaryPath();
            (void)!write(pipeFds[1], path.c_str(), path.size());
            for (;;)
                pause();
        }
        children.push_back(child);
        close(pipeFds[1]);
        char path[4096] = {};
        ASSERT_GT(read(pipeFds[0], path, sizeof path - 1), 0);
        close(pipeFds[0]);
        stale.push_back(path);
    }
    for (const pid_t child : children)
    {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }

    // Names around the pattern, each made as mkstemp makes its files.
    const struct
    {
        const char* name;
        mode_t mode;
    } kept[] = {
        {"Player0.xml.backup", 0644}, {"Player1.xml.Ab12Cd", 0600}, {"Player0.xml.Ab12C", 0600},
        {"Player0.xml.Ab12Cde", 0600}, {"Player0.xml.Ab_2Cd", 0600}, {"player0.xml.Ab12Cd", 0600},
        {"xPlayer0.xml.Ab12Cd", 0600}, {"Player0.xmlzAb12Cd", 0600},
    };
    for (const auto& file : kept)
        ASSERT_EQ(chmod(dir.Write(file.name, "mine").c_str(), file.mode), 0) << file.name;
    ASSERT_EQ(mkdir(dir.File("Player0.xml.Folder").c_str(), 0700), 0);
    for (const std::string& path : stale)
        ASSERT_EQ(access(path.c_str(), F_OK), 0) << path;

    SafeFileWriter living(target);
    ASSERT_NE(living.File(), nullptr);
    ASSERT_TRUE(SafeFileWriter::WriteWhole(target, "new"));
    for (const std::string& path : stale)
        EXPECT_NE(access(path.c_str(), F_OK), 0) << path;
    for (const auto& file : kept)
        EXPECT_EQ(dir.Read(file.name), "mine") << file.name;
    EXPECT_EQ(access(dir.File("Player0.xml.Folder").c_str(), F_OK), 0);

    // The living writer's temporary was left alone: its commit still lands.
    EXPECT_EQ(access(living.TemporaryPath().c_str(), F_OK), 0);
    living.Write("last");
    EXPECT_TRUE(living.Commit());
    EXPECT_EQ(dir.Read("Player0.xml"), "last");
    EXPECT_EQ(dir.Entries().size(), std::size(kept) + 2);
}

// Writers of one target at once each clear stale temporaries as they start: none may take another's
// living temporary, so every save lands and none is left behind.
TEST(SafeFileWriter, WritersAtOnceNeverRemoveEachOthersTemporaries)
{
    TempDir dir;
    const std::string target = dir.File("shared.cfg");
    std::vector<pid_t> children;
    for (int writer = 0; writer < 4; ++writer)
    {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
        {
            bool allSaved = true;
            for (int save = 0; save < 300; ++save)
                allSaved = SafeFileWriter::WriteWhole(target, std::string(64 + save, 'a' + writer)) && allSaved;
            _exit(allSaved ? 0 : 1);
        }
        children.push_back(child);
    }
    for (const pid_t child : children)
    {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    EXPECT_EQ(dir.Entries(), Names{"shared.cfg"});
}

} // namespace
