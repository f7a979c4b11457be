#include "engine/core/InputManager.h"
#include "game/app/Tarvolin.h"
#include "game/records/tvPlayer.h"
#include "tests/support/game/ScriptedInput.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/user.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

enum class Outcome
{
    Killed,
    Finished,
    Failed,
};

#if defined(__x86_64__)
// System calls that change what a file holds or where it is: the save is stopped just before each of them.
bool ChangesFiles(long call)
{
    static const std::set<long> kCalls = {
        SYS_write,  SYS_writev,   SYS_pwrite64,  SYS_pwritev, SYS_ftruncate, SYS_fsync, SYS_fdatasync,
        SYS_rename, SYS_renameat, SYS_renameat2, SYS_unlink,  SYS_unlinkat,  SYS_mkdir, SYS_mkdirat};
    return kCalls.count(call) != 0;
}

// Runs the work in a traced child process and kills it on entry to its n-th file-changing call.
Outcome RunKilledAt(int n, const std::function<void()>& work)
{
    const pid_t child = fork();
    if (child == 0)
    {
        ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        raise(SIGSTOP);
        work();
        _exit(0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFSTOPPED(status))
        return Outcome::Failed;
    ptrace(PTRACE_SETOPTIONS, child, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
    int seen = 0;
    bool entering = true;
    int signal = 0;
    for (;;)
    {
        ptrace(PTRACE_SYSCALL, child, nullptr, reinterpret_cast<void*>(static_cast<intptr_t>(signal)));
        signal = 0;
        if (waitpid(child, &status, 0) != child)
            return Outcome::Failed;
        if (WIFEXITED(status))
            return WEXITSTATUS(status) == 0 ? Outcome::Finished : Outcome::Failed;
        if (WIFSIGNALED(status))
            return Outcome::Failed;
        if (WSTOPSIG(status) != (SIGTRAP | 0x80))
        {
            signal = WSTOPSIG(status);
            continue;
        }
        if (entering)
        {
            user_regs_struct registers{};
            ptrace(PTRACE_GETREGS, child, nullptr, &registers);
            if (ChangesFiles(static_cast<long>(registers.orig_rax)) && ++seen == n)
            {
                kill(child, SIGKILL);
                waitpid(child, &status, 0);
                return Outcome::Killed;
            }
        }
        entering = !entering;
    }
}
#endif

using Files = std::map<std::string, std::string>;

// Every regular file under the folder by relative path.
Files Snapshot(const testsupport::TempDir& dir)
{
    Files files;
    for (const auto& entry : fs::recursive_directory_iterator(dir.Path()))
        if (entry.is_regular_file())
        {
            const std::string name = fs::relative(entry.path(), dir.Path()).string();
            files[name] = dir.Read(name);
        }
    return files;
}

void Restore(const testsupport::TempDir& dir, const Files& files)
{
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        fs::remove_all(entry.path());
    for (const auto& [name, contents] : files)
        dir.Write(name, contents);
}

// Where the game looks for its files: anything else in its folders (a temporary, say) is litter.
bool ReadByTheGame(const std::string& name)
{
    return (name.size() > 4 && name.substr(name.size() - 4) == ".xml") || name == "Tarvolin.cfg";
}

// Whether a file the game reads is whole: its contents as the old or the new folder held some file.
bool IsWhole(const std::string& contents, const Files& before, const Files& after)
{
    for (const Files* files : {&before, &after})
        for (const auto& [name, known] : *files)
            if (contents == known)
                return true;
    return false;
}

} // namespace

class SaveKillSafetyTest : public ::testing::Test
{
protected:
    // Kills the save at each of its file-changing calls in turn, from the same starting files, and checks
    // what it leaves: the files the game reads are whole, and the check passes.
    void KillAtEachStep(const std::function<void()>& save, const std::function<void(const Files&)>& check)
    {
#if defined(__x86_64__)
        const testsupport::TempDir& root = m_Install.dir;
        const Files before = Snapshot(root);
        ASSERT_EQ(RunKilledAt(1 << 30, save), Outcome::Finished);
        const Files after = Snapshot(root);
        check(after);
        int steps = 0;
        for (int n = 1;; ++n)
        {
            Restore(root, before);
            const Outcome outcome = RunKilledAt(n, save);
            ASSERT_NE(outcome, Outcome::Failed) << "step " << n;
            const Files left = Snapshot(root);
            for (const auto& [name, contents] : left)
                EXPECT_TRUE(!ReadByTheGame(name) || IsWhole(contents, before, after))
                    << name << " at step " << n;
            check(left);
            if (outcome == Outcome::Finished)
                break;
            ++steps;
        }
        EXPECT_GT(steps, 2);
#else
        (void)save;
        (void)check;
        GTEST_SKIP() << "system calls are traced on x86-64 only";
#endif
    }

    // Kills the save at each of its file-changing calls in turn, from the same starting files, and then runs
    // it again to its end: every file one whole save leaves is there, and nothing the game does not read.
    void KillAtEachStepThenSaveAgain(const std::function<void()>& save)
    {
#if defined(__x86_64__)
        const testsupport::TempDir& root = m_Install.dir;
        const Files before = Snapshot(root);
        ASSERT_EQ(RunKilledAt(1 << 30, save), Outcome::Finished);
        const Files whole = Snapshot(root);
        int steps = 0;
        for (int n = 1;; ++n)
        {
            Restore(root, before);
            const Outcome outcome = RunKilledAt(n, save);
            ASSERT_NE(outcome, Outcome::Failed) << "step " << n;
            if (outcome == Outcome::Finished)
                break;
            ++steps;
            ASSERT_EQ(RunKilledAt(1 << 30, save), Outcome::Finished) << "step " << n;
            const Files left = Snapshot(root);
            for (const auto& [name, contents] : left)
                EXPECT_TRUE(ReadByTheGame(name)) << name << " left after a kill at step " << n;
            for (const auto& [name, contents] : whole)
                EXPECT_EQ(left.count(name), 1u) << name << " after a kill at step " << n;
        }
        EXPECT_GT(steps, 2);
#else
        (void)save;
        GTEST_SKIP() << "system calls are traced on x86-64 only";
#endif
    }

    gametest::InstallFolder m_Install;
};

TEST_F(SaveKillSafetyTest, NoProfileGoesMissing)
{
    for (const char* name : {"A", "B", "C", "D"})
        m_Install.dir.Write(std::string("Players/") + name + ".xml",
                            std::string("<player><playerName>") + name + "</playerName></player>");
    Tarvolin app;
    app.ScanPlayers("Players");
    app.DeletePlayer(app.GetPlayer(0));
    app.GetPlayer(0)->SetCourseRuns(12);
    app.CreatePlayer("E");
    KillAtEachStep([&app] { app.SavePlayers("Players"); },
                   [](const Files& files)
                   {
                       std::set<std::string> names;
                       for (const auto& [path, contents] : files)
                       {
                           tvPlayer profile;
                           if (path.size() > 4 && path.substr(path.size() - 4) == ".xml" &&
                               profile.Load(path))
                               names.insert(profile.GetPlayerName());
                       }
                       for (const char* name : {"B", "C", "D"})
                           EXPECT_EQ(names.count(name), 1u) << name;
                   });
}

TEST_F(SaveKillSafetyTest, HighScoresControlsAndConfigurationStayWhole)
{
    m_Install.dir.Write("Data/HighScores.xml",
                        "<highScores><highScore><mapPath>a</mapPath><player>Old</player>"
                        "<score>1</score></highScore></highScores>");
    m_Install.dir.Write("data/controls.xml", "<controls/>");
    m_Install.dir.Write("Tarvolin.cfg", "[Begin Graphics Config]\nFullScreen=0\n[End Graphics Config]\n"
                                        "[Begin Tarvolin Config]\nSoundVolume=-100\n[End Tarvolin Config]\n");
    gametest::AttachedDevices devices({gametest::Mouse(), gametest::Keyboard()});
    Tarvolin app;
    app.InitInput();
    app.LoadHighScores();
    app.SetHighScore("a", "New", 2);
    app.ParseConfigLine("SoundVolume=-1500");
    KillAtEachStep(
        [&app]
        {
            app.SaveHighScores();
            app.SaveControls();
            app.SaveConfig("Tarvolin.cfg");
        },
        [](const Files& files)
        {
            for (const char* name : {"Data/HighScores.xml", "data/controls.xml", "Tarvolin.cfg"})
                EXPECT_EQ(files.count(name), 1u) << name;
        });
}

TEST_F(SaveKillSafetyTest, TheNextSaveRemovesWhatAKilledSaveLeft)
{
    for (const char* name : {"A", "B"})
        m_Install.dir.Write(std::string("Players/") + name + ".xml",
                            std::string("<player><playerName>") + name + "</playerName></player>");
    m_Install.dir.Write("Data/HighScores.xml",
                        "<highScores><highScore><mapPath>a</mapPath><player>Old</player>"
                        "<score>1</score></highScore></highScores>");
    m_Install.dir.Write("data/controls.xml", "<controls/>");
    m_Install.dir.Write("Tarvolin.cfg", "[Begin Tarvolin Config]\nSoundVolume=-100\n[End Tarvolin Config]\n");
    gametest::AttachedDevices devices({gametest::Mouse(), gametest::Keyboard()});
    Tarvolin app;
    app.InitInput();
    app.ScanPlayers("Players");
    app.GetPlayer(0)->SetCourseRuns(3);
    app.LoadHighScores();
    app.SetHighScore("a", "New", 2);
    app.ParseConfigLine("SoundVolume=-1500");
    KillAtEachStepThenSaveAgain(
        [&app]
        {
            app.SavePlayers("Players");
            app.SaveHighScores();
            app.SaveControls();
            app.SaveConfig("Tarvolin.cfg");
        });
}
