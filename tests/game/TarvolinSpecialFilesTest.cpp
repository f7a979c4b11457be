#include "game/app/Tarvolin.h"
#include "game/world/WorldInfo.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitingPipeWriter.h"
#include "tests/support/game/HeadlessGame.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

using testsupport::HeadlessGame;

namespace
{

// Whether some captured line names the file (by the end of its path) with the words.
bool Says(const testsupport::DebugCapture& debug, const std::string& file, const std::string& words)
{
    for (const std::string& line : debug.Lines())
    {
        if (line.find(file) != std::string::npos && line.find(words) != std::string::npos)
            return true;
    }
    return false;
}

} // namespace

// A pipe among the courses, and a configuration that is a link to a pipe, to /dev/null or a device of its
// own: the game starts without waiting on either, its course list leaves the pipe out and lists the courses
// after it, and a quit through the window's own input saves everything but the configuration, which it
// refuses, naming it, and leaves as it was.
TEST(TarvolinSpecialFilesTest, AStartAndAQuitPassOverWhatIsNotARegularFile)
{
    enum class Config
    {
        LinkToPipe,
        LinkToNull,
        Device,
    };
    const struct
    {
        const char* what;
        Config config;
    } cases[] = {
        {"a configuration linked to a pipe", Config::LinkToPipe},
        {"a configuration linked to /dev/null", Config::LinkToNull},
        {"a configuration that is a device", Config::Device},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        testsupport::TempDir install;
        testsupport::TempDir elsewhere;
        HeadlessGame::CopyContent(install.Path());
        // First in the listing, so that the courses after it show the scan went on.
        const testsupport::WaitingPipeWriter course(install.File("Worlds/aaa_piped.xml"));
        ASSERT_TRUE(course.Made());
        const std::string config = install.File("Tarvolin.cfg");
        std::remove(config.c_str());
        std::unique_ptr<testsupport::WaitingPipeWriter> configPipe;
        std::string end = "/dev/null";
        switch (c.config)
        {
        case Config::LinkToPipe:
            end = elsewhere.File("Tarvolin.cfg");
            configPipe = std::make_unique<testsupport::WaitingPipeWriter>(end);
            ASSERT_TRUE(configPipe->Made());
            ASSERT_EQ(symlink(end.c_str(), config.c_str()), 0);
            break;
        case Config::LinkToNull:
            ASSERT_EQ(symlink(end.c_str(), config.c_str()), 0);
            break;
        case Config::Device:
            end = config;
            // The last case: a system that does not let the test make a device skips only it.
            if (mknod(config.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
                GTEST_SKIP() << "devices cannot be made here";
            break;
        }
        struct stat before;
        ASSERT_EQ(stat(end.c_str(), &before), 0);

        testsupport::DebugCapture debug;
        HeadlessGame::Options options;
        options.install = install.Path();
        options.sdlInput = true;
        {
            HeadlessGame game(options);
            ASSERT_TRUE(game.Start());
            ASSERT_TRUE(game.RunScript());
            EXPECT_FALSE(course.Released()) << "the course list opened the pipe";
            bool yardListed = false;
            for (int32_t i = 0; i < game.App().GetWorldCount(); ++i)
            {
                const std::string path = game.App().GetWorldInfo(i)->GetFilePath();
                EXPECT_EQ(path.find("aaa_piped"), std::string::npos) << path;
                yardListed = yardListed || path.find("stunt_yard.xml") != std::string::npos;
            }
            EXPECT_TRUE(yardListed);
            EXPECT_TRUE(Says(debug, "aaa_piped.xml", "is not a regular file; not read"));

            game.App().CreatePlayer("Ace");
            game.Click("main window", "Quit Button");
            EXPECT_FALSE(game.RunScript(200)) << "the game did not end";
            EXPECT_TRUE(game.App().IsShutDown());
        }

        struct stat after;
        ASSERT_EQ(stat(end.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode & S_IFMT, before.st_mode & S_IFMT);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_rdev, before.st_rdev);
        struct stat link;
        ASSERT_EQ(lstat(config.c_str(), &link), 0);
        EXPECT_EQ(S_ISLNK(link.st_mode), c.config != Config::Device);
        if (configPipe)
        {
            EXPECT_FALSE(configPipe->Released()) << "the configuration's pipe was opened";
        }
        EXPECT_TRUE(Says(debug, "Tarvolin.cfg", "is not a regular file; nothing written"));
        // Everything else is saved as ever.
        EXPECT_NE(install.Read("Players/Player0.xml").find("Ace"), std::string::npos);
    }
}
