#include "platform/files/SafeFileWriter.h"

#include "platform/files/Files.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitingPipeWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstddef>
#include <functional>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <memory>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

using platform::SafeFileWriter;
using testsupport::TempDir;
using Names = std::vector<std::string>;

mode_t SavedFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Kills the calling process, without a core file, on entry to any of the given system calls.
bool KillOnEntryTo(const std::vector<long>& calls)
{
    std::vector<sock_filter> filter = {BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr))};
    for (const long call : calls)
    {
        filter.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<uint32_t>(call), 0, 1));
        filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS));
    }
    filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    const sock_fprog program = {static_cast<unsigned short>(filter.size()), filter.data()};
    return prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0 && prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

std::vector<long> RenameCalls()
{
    return {
#ifdef SYS_rename
        SYS_rename,
#endif
        SYS_renameat, SYS_renameat2};
}

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

// A save replaces the contents and keeps the mode the user gave the file: a private profile stays private,
// one its owner may write but not read stays so. (A read-only one is refused: see below.)
TEST(SafeFileWriter, ASavedFileKeepsTheModeItHad)
{
    for (const mode_t mode : {mode_t(0600), mode_t(0640), mode_t(0200), mode_t(0664), mode_t(0604)})
    {
        TempDir dir;
        const std::string target = dir.Write("Player0.xml", "old");
        ASSERT_EQ(chmod(target.c_str(), mode), 0);
        ASSERT_TRUE(SafeFileWriter::WriteWhole(target, "new")) << std::oct << mode;
        struct stat info;
        ASSERT_EQ(lstat(target.c_str(), &info), 0);
        EXPECT_TRUE(S_ISREG(info.st_mode));
        EXPECT_EQ(info.st_mode & 07777, mode) << std::oct << mode;
        EXPECT_EQ(dir.Read("Player0.xml"), "new");
        EXPECT_EQ(dir.Entries(), Names{"Player0.xml"});
    }
}

// Run as root, a save of another user's file leaves it theirs.
TEST(SafeFileWriter, ASavedFileKeepsItsOwnerWhereTheSystemAllows)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another user";
    TempDir dir;
    const std::string target = dir.Write("Tarvolin.cfg", "old");
    ASSERT_EQ(chown(target.c_str(), 4321, 4322), 0);
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    ASSERT_TRUE(SafeFileWriter::WriteWhole(target, "new"));
    struct stat info;
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 4321u);
    EXPECT_EQ(info.st_gid, 4322u);
    EXPECT_EQ(info.st_mode & 07777, mode_t(0640));
    EXPECT_EQ(dir.Read("Tarvolin.cfg"), "new");
}

// A target that is a symbolic link is saved through it: the file at the end of the chain gets the bytes,
// keeping its mode, and every link stays a link. A chain that ends nowhere the file can be made, that never
// ends, or that ends in a folder is refused, with nothing changed and nothing left behind.
TEST(SafeFileWriter, ASymbolicLinkIsSavedThroughAndStaysALink)
{
    struct Link
    {
        const char* name;
        // "@" stands for the other folder's path.
        const char* to;
    };
    const struct
    {
        const char* what;
        std::vector<Link> links;
        // Made before the save, in the other folder, 0600; none when empty.
        const char* existing;
        // Where the bytes land; the save is refused when empty.
        const char* saved;
    } cases[] = {
        {"relative link into a folder beside it",
         {{"Tarvolin.cfg", "mine/Tarvolin.cfg"}},
         "",
         "mine/Tarvolin.cfg"},
        {"absolute link to another folder",
         {{"Tarvolin.cfg", "@/dotfiles.cfg"}},
         "dotfiles.cfg",
         "@/dotfiles.cfg"},
        {"chain of links",
         {{"Tarvolin.cfg", "second.cfg"}, {"second.cfg", "@/dotfiles.cfg"}},
         "dotfiles.cfg",
         "@/dotfiles.cfg"},
        {"dangling link into a folder that exists", {{"Tarvolin.cfg", "@/new.cfg"}}, "", "@/new.cfg"},
        {"dangling link into a missing folder", {{"Tarvolin.cfg", "@/missing/new.cfg"}}, "", ""},
        {"loop of two links", {{"Tarvolin.cfg", "other.cfg"}, {"other.cfg", "Tarvolin.cfg"}}, "", ""},
        {"link to itself", {{"Tarvolin.cfg", "Tarvolin.cfg"}}, "", ""},
        {"link to a folder", {{"Tarvolin.cfg", "@"}}, "", ""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        TempDir dir;
        TempDir other;
        const auto resolve = [&other](std::string text)
        {
            if (text.front() == '@')
                text = other.Path() + text.substr(1);
            return text;
        };
        dir.Write("mine/Tarvolin.cfg", "old");
        ASSERT_EQ(chmod(dir.File("mine/Tarvolin.cfg").c_str(), 0600), 0);
        if (*c.existing)
        {
            other.Write(c.existing, "old");
            ASSERT_EQ(chmod(other.File(c.existing).c_str(), 0600), 0);
        }
        for (const Link& link : c.links)
            ASSERT_EQ(symlink(resolve(link.to).c_str(), dir.File(link.name).c_str()), 0) << link.name;
        const Names dirBefore = dir.Entries();
        const Names otherBefore = other.Entries();

        const bool saved = SafeFileWriter::WriteWhole(dir.File("Tarvolin.cfg"), "new");

        EXPECT_EQ(saved, *c.saved != '\0');
        for (const Link& link : c.links)
        {
            char text[4096] = {};
            EXPECT_EQ(readlink(dir.File(link.name).c_str(), text, sizeof text - 1),
                      static_cast<ssize_t>(resolve(link.to).size()))
                << link.name << " is no longer the link it was";
            EXPECT_EQ(std::string(text), resolve(link.to));
        }
        EXPECT_EQ(dir.Entries(), dirBefore);
        EXPECT_EQ(dir.Entries("mine"), Names{"Tarvolin.cfg"});
        if (!*c.saved)
        {
            EXPECT_EQ(other.Entries(), otherBefore);
            EXPECT_EQ(dir.Read("mine/Tarvolin.cfg"), "old");
            continue;
        }
        const std::string landed = resolve(c.saved[0] == '@' ? c.saved : dir.File(c.saved));
        std::string bytes;
        EXPECT_TRUE(platform::ReadWholeFile(landed, bytes, 100)) << landed;
        EXPECT_EQ(bytes, "new");
        struct stat info;
        ASSERT_EQ(lstat(landed.c_str(), &info), 0);
        // A file that was there keeps its mode; a new one gets a plain create's.
        const bool existed = c.saved[0] != '@' || *c.existing;
        EXPECT_EQ(info.st_mode & 07777, existed ? mode_t(0600) : SavedFileMode()) << std::oct << info.st_mode;
        EXPECT_EQ(other.Entries().size(), otherBefore.size() + (existed ? 0 : 1));
    }
}

// What a save meets at the end of the path's links, and whether it may replace it. A pipe, a device or a
// socket is not the user's data to replace, and a file its owner made read-only is refused as the owner's own
// write would be, whoever saves (root included): nothing changes, no temporary stays, and a debugger line
// names the file. Check() tells the same before any write.
TEST(SafeFileWriter, OnlyARegularFileItsOwnerMayWriteIsReplaced)
{
    using Refusal = SafeFileWriter::Refusal;
    enum class Kind
    {
        Regular,
        Pipe,
        Device,
        Socket,
    };
    const struct
    {
        const char* what;
        Kind kind;
        mode_t mode;
        // The name saved is a link to the entry: to one in the folder, or to this path when given.
        bool linked;
        const char* outside;
        Refusal refusal;
        const char* said;
    } cases[] = {
        {"a regular file", Kind::Regular, 0644, false, nullptr, Refusal::Allowed, nullptr},
        {"a file its owner may only write", Kind::Regular, 0200, false, nullptr, Refusal::Allowed, nullptr},
        {"a read-only file", Kind::Regular, 0444, false, nullptr, Refusal::ReadOnly, "is read-only"},
        {"a private read-only file", Kind::Regular, 0400, false, nullptr, Refusal::ReadOnly, "is read-only"},
        {"a file only others may write", Kind::Regular, 0466, false, nullptr, Refusal::ReadOnly,
         "is read-only"},
        {"a link to a read-only file", Kind::Regular, 0444, true, nullptr, Refusal::ReadOnly, "is read-only"},
        {"a pipe", Kind::Pipe, 0600, false, nullptr, Refusal::NotRegular, "is not a regular file"},
        {"a link to a pipe", Kind::Pipe, 0600, true, nullptr, Refusal::NotRegular, "is not a regular file"},
        {"a socket", Kind::Socket, 0600, false, nullptr, Refusal::NotRegular, "is not a regular file"},
        {"a link to /dev/null", Kind::Device, 0666, true, "/dev/null", Refusal::NotRegular,
         "is not a regular file"},
        {"a device made here", Kind::Device, 0666, false, nullptr, Refusal::NotRegular,
         "is not a regular file"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string entry = c.outside ? c.outside : dir.File(c.linked ? "kept.cfg" : "Tarvolin.cfg");
        std::unique_ptr<testsupport::WaitingPipeWriter> pipe;
        int socketFd = -1;
        switch (c.kind)
        {
        case Kind::Regular:
            dir.Write(c.linked ? "kept.cfg" : "Tarvolin.cfg", "old");
            ASSERT_EQ(chmod(entry.c_str(), c.mode), 0);
            break;
        case Kind::Pipe:
            pipe = std::make_unique<testsupport::WaitingPipeWriter>(entry);
            ASSERT_TRUE(pipe->Made());
            break;
        case Kind::Socket:
        {
            socketFd = socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            ASSERT_LT(entry.size(), sizeof address.sun_path);
            std::copy(entry.begin(), entry.end(), address.sun_path);
            ASSERT_EQ(bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
            break;
        }
        case Kind::Device:
            // The last case: a system that does not let the test make one skips only it.
            if (!c.outside && mknod(entry.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
                GTEST_SKIP() << "devices cannot be made here";
            break;
        }
        if (c.linked)
        {
            ASSERT_EQ(symlink(entry.c_str(), dir.File("Tarvolin.cfg").c_str()), 0);
        }
        struct stat before;
        ASSERT_EQ(stat(entry.c_str(), &before), 0);
        const Names entries = dir.Entries();

        testsupport::DebugCapture debug;
        EXPECT_EQ(SafeFileWriter::Check(dir.File("Tarvolin.cfg")), c.refusal);
        SafeFileWriter writer(dir.File("Tarvolin.cfg"));
        EXPECT_EQ(writer.GetRefusal(), c.refusal);
        const bool saved = writer.Write(std::string("new")) && writer.Commit();

        EXPECT_EQ(saved, c.refusal == Refusal::Allowed);
        struct stat after;
        ASSERT_EQ(stat(entry.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode & S_IFMT, before.st_mode & S_IFMT);
        EXPECT_EQ(after.st_mode & 07777, before.st_mode & 07777) << std::oct << after.st_mode;
        EXPECT_EQ(dir.Entries(), entries);
        if (c.linked)
        {
            struct stat link
            {
            };
            ASSERT_EQ(lstat(dir.File("Tarvolin.cfg").c_str(), &link), 0);
            EXPECT_TRUE(S_ISLNK(link.st_mode));
        }
        if (c.kind == Kind::Regular)
        {
            // Made readable to look, whoever runs the test.
            ASSERT_EQ(chmod(entry.c_str(), 0600), 0);
            std::string bytes;
            EXPECT_TRUE(platform::ReadWholeFile(entry, bytes, 100));
            EXPECT_EQ(bytes, saved ? "new" : "old");
        }
        else
        {
            EXPECT_EQ(after.st_ino, before.st_ino);
            EXPECT_EQ(after.st_rdev, before.st_rdev);
        }
        if (pipe)
        {
            EXPECT_FALSE(pipe->Released()) << "the pipe was opened";
        }
        if (c.said)
        {
            EXPECT_TRUE(debug.Contains(dir.File("Tarvolin.cfg")) && debug.Contains(c.said))
                << ::testing::PrintToString(debug.Lines());
        }
        else
        {
            EXPECT_TRUE(debug.Lines().empty()) << ::testing::PrintToString(debug.Lines());
        }
        if (socketFd >= 0)
            close(socketFd);
    }
}

// A target made read-only, or replaced by a pipe, while the bytes were being written is found so at the
// commit: nothing replaces it.
// A user saves over only what a plain write by that user could change: another user's file in a folder both
// may write stays, one whose mode lets others write is saved. The saves run as an unprivileged user.
TEST(SafeFileWriter, AnotherUsersFileIsReplacedOnlyWhereThisUserMayWriteIt)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can save as another user";
    const uid_t user = 65534;
    const struct
    {
        const char* what;
        mode_t mode;
        bool saved;
    } cases[] = {
        {"another's file others may only read", 0644, false},
        {"another's file others may write", 0666, true},
        {"another's file only its owner may write", 0600, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        TempDir dir;
        ASSERT_EQ(chmod(dir.Path().c_str(), 0777), 0);
        const std::string target = dir.Write("Tarvolin.cfg", "old");
        ASSERT_EQ(chmod(target.c_str(), c.mode), 0);
        const pid_t child = fork();
        ASSERT_NE(child, -1);
        if (child == 0)
        {
            const bool asUser = setgid(user) == 0 && setuid(user) == 0;
            if (!asUser || access(dir.Path().c_str(), W_OK | X_OK) != 0)
                _exit(2);
            _exit(SafeFileWriter::WriteWhole(target, "new") ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == 2)
            GTEST_SKIP() << "the temporary folder is out of an unprivileged user's reach";
        EXPECT_EQ(WEXITSTATUS(status), c.saved ? 0 : 1);
        EXPECT_EQ(dir.Read("Tarvolin.cfg"), c.saved ? "new" : "old");
        EXPECT_EQ(dir.Entries(), Names{"Tarvolin.cfg"});
    }
}

TEST(SafeFileWriter, ATargetThatChangesBeforeTheCommitIsLookedAtAgain)
{
    const struct
    {
        const char* what;
        std::function<void(const std::string&)> change;
        SafeFileWriter::Refusal refusal;
    } cases[] = {
        {"made read-only", [](const std::string& path) { chmod(path.c_str(), 0444); },
         SafeFileWriter::Refusal::ReadOnly},
        {"replaced by a pipe",
         [](const std::string& path)
         {
             unlink(path.c_str());
             mkfifo(path.c_str(), 0600);
         },
         SafeFileWriter::Refusal::NotRegular},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string target = dir.Write("course.xml", "old");
        SafeFileWriter writer(target);
        ASSERT_TRUE(writer.Write(std::string("new")));
        c.change(target);
        struct stat before;
        ASSERT_EQ(stat(target.c_str(), &before), 0);
        EXPECT_FALSE(writer.Commit());
        EXPECT_EQ(writer.GetRefusal(), c.refusal);
        struct stat after;
        ASSERT_EQ(stat(target.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(dir.Entries(), Names{"course.xml"});
    }
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
        {"Player0.xml.backup", 0644},      {"Player1.xml.Ab12Cd", 0600},     {"Player0.xml.Ab12C", 0600},
        {"Player0.xml.Ab12Cde", 0600},     {"Player0.xml.Ab_2Cd", 0600},     {"player0.xml.Ab12Cd", 0600},
        {"xPlayer0.xml.Ab12Cd", 0600},     {"Player0.xmlzAb12Cd", 0600},     {"Player1.xml.Ab12Cd.tmp", 0644},
        {"Player0.xml.Ab12C.tmp", 0644},   {"Player0.xml.Ab_2Cd.tmp", 0644}, {"Player0.xml.Ab12Cd.tm", 0644},
        {"Player0.xml.Ab12Cd.tmpx", 0644}, {"player0.xml.Ab12Cd.tmp", 0644}, {"Player0.xml.tmp", 0644},
        {"Player0.xml.Ab12Cd", 0600},      {"Player0.xml.Ab12Cd.tmp", 0644},
        {".Player1.xml.Ab12Cd.tarvolin-save", 0600},  {".Player0.xml.Ab12C.tarvolin-save", 0600},
        {".Player0.xml.Ab_2Cd.tarvolin-save", 0600},  {".Player0.xml.Ab12Cd.tarvolin-sav", 0600},
        {".Player0.xml.Ab12Cd.tarvolin-savex", 0600}, {"Player0.xml.Ab12Cd.tarvolin-save", 0600},
        {"..Player0.xml.Ab12Cd.tarvolin-save", 0600},
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

// A commit killed at any of its steps leaves its temporary in the state of that step: still private while
// unflushed, already in the saved file's mode from the sync on. The next save removes it, whatever the mode.
TEST(SafeFileWriter, TheNextSaveRemovesWhatACommitKilledAtAnyStepLeft)
{
    const struct
    {
        const char* step;
        std::vector<long> calls;
        mode_t leftMode;
    } cases[] = {
        {"flush", {SYS_write}, 0600},
        {"sync", {SYS_fsync}, SavedFileMode()},
        {"rename", RenameCalls(), SavedFileMode()},
    };
    for (const auto& c : cases)
    {
        TempDir dir;
        const std::string target = dir.File("HighScores.xml");
        ASSERT_TRUE(SafeFileWriter::WriteWhole(target, "old"));
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
        {
            if (KillOnEntryTo(c.calls))
                SafeFileWriter::WriteWhole(target, "new");
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << c.step << ": the save was not killed, status " << status;

        const Names left = dir.Entries();
        ASSERT_EQ(left.size(), 2u) << c.step;
        EXPECT_EQ(dir.Read("HighScores.xml"), "old") << c.step;
        const std::string temporary = left[0] == "HighScores.xml" ? left[1] : left[0];
        struct stat info;
        ASSERT_EQ(stat(dir.File(temporary).c_str(), &info), 0) << c.step;
        EXPECT_EQ(info.st_mode & 0777, c.leftMode) << c.step << " left " << temporary;

        ASSERT_TRUE(SafeFileWriter::WriteWhole(target, "newer")) << c.step;
        EXPECT_EQ(dir.Entries(), Names{"HighScores.xml"}) << c.step;
        EXPECT_EQ(dir.Read("HighScores.xml"), "newer") << c.step;
    }
}

// The lock alone tells the living from the dead: a living writer's temporary stays whatever its mode (its
// commit may be under way), and a dead one's goes whatever its mode.
TEST(SafeFileWriter, ALivingWritersTemporaryStaysAndADeadOnesGoesWhateverTheirModes)
{
    for (const mode_t mode : {mode_t(0600), SavedFileMode(), mode_t(0400)})
    {
        TempDir dir;
        const std::string target = dir.File("controls.xml");
        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
        {
            // Dies with the file open and in the given mode, without any clean-up of its own.
            SafeFileWriter writer(target);
            writer.Write("half");
            const std::string path = writer.TemporaryPath();
            const bool changed = chmod(path.c_str(), mode) == 0;
            (void)!write(pipeFds[1], path.c_str(), changed ? path.size() : 0);
            _exit(0);
        }
        close(pipeFds[1]);
        char dead[4096] = {};
        const ssize_t length = read(pipeFds[0], dead, sizeof dead - 1);
        close(pipeFds[0]);
        waitpid(child, nullptr, 0);
        ASSERT_GT(length, 0) << std::oct << mode;

        SafeFileWriter living(target);
        ASSERT_NE(living.File(), nullptr);
        ASSERT_EQ(chmod(living.TemporaryPath().c_str(), mode), 0);
        ASSERT_TRUE(SafeFileWriter::WriteWhole(target, "other"));
        EXPECT_NE(access(dead, F_OK), 0) << std::oct << mode;
        EXPECT_EQ(access(living.TemporaryPath().c_str(), F_OK), 0) << std::oct << mode;
        EXPECT_TRUE(living.Write("living"));
        EXPECT_TRUE(living.Commit());
        EXPECT_EQ(dir.Read("controls.xml"), "living");
        EXPECT_EQ(dir.Entries(), Names{"controls.xml"}) << std::oct << mode;
    }
}

// A user's files beside a saved file stay, whatever their shape or mode, even those shaped like a temporary
// of mkstemp's; a killed save's temporary still goes with the next save, and a living writer's stays.
TEST(SafeFileWriter, AUsersFilesBesideASavedFileStayWhateverTheirShapeOrMode)
{
    const char* const userEndings[] = {".backup",     ".keys01", ".before.tmp",
                                       ".backup.tmp", ".Xy12Zw", ".Xy12Zw.tmp"};
    for (const char* const saved : {"Tarvolin.cfg", "Player0.xml", "controls.xml"})
    {
        TempDir dir;
        const std::string target = dir.File(saved);
        ASSERT_TRUE(SafeFileWriter::WriteWhole(target, "old"));
        Names expected = {saved};
        for (const char* const ending : userEndings)
            for (const mode_t mode : {mode_t(0600), SavedFileMode()})
            {
                const std::string name = std::string(saved) + ending + (mode == 0600 ? "" : "-shared");
                ASSERT_EQ(chmod(dir.Write(name, "mine").c_str(), mode), 0) << name;
                expected.push_back(name);
            }

        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
        {
            if (KillOnEntryTo(RenameCalls()))
                SafeFileWriter::WriteWhole(target, "killed");
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << saved << ": the save was not killed, status " << status;
        ASSERT_EQ(dir.Entries().size(), expected.size() + 1) << saved;

        SafeFileWriter living(target);
        ASSERT_NE(living.File(), nullptr);
        ASSERT_TRUE(SafeFileWriter::WriteWhole(target, "new")) << saved;
        const std::string livingName = living.TemporaryPath().substr(living.TemporaryPath().rfind('/') + 1);
        Names withLiving = expected;
        withLiving.push_back(livingName);
        std::sort(withLiving.begin(), withLiving.end());
        EXPECT_EQ(dir.Entries(), withLiving) << saved;
        for (const std::string& name : expected)
        {
            if (name != saved)
            {
                EXPECT_EQ(dir.Read(name), "mine") << name;
            }
        }

        EXPECT_TRUE(living.Write("last"));
        EXPECT_TRUE(living.Commit());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(dir.Entries(), expected) << saved;
        EXPECT_EQ(dir.Read(saved), "last");
    }
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
                allSaved =
                    SafeFileWriter::WriteWhole(target, std::string(64 + save, 'a' + writer)) && allSaved;
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
