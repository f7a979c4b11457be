#include "tests/support/TempDir.h"
#include "tests/support/game/HeadlessGame.h"

#include <gtest/gtest.h>

#include <filesystem>

// A player's run of the game writes its settings, controls, profiles, scores and screenshots into the sample
// install; tests copy that install and must start from the generators' files alone.
TEST(HeadlessInstallTest, ACopiedInstallLeavesOutWhatAPlayersRunWrote)
{
    testsupport::TempDir played;
    const struct
    {
        const char* file;
        bool copied;
    } files[] = {
        {"Worlds/proving_ground.xml", true},
        {"Data/stuntshop/ball.xml", true},
        {"data/Sounds/Sounds.xml", true},
        {"Tarvolin.cfg", false},
        {"Data/controls.xml", false},
        {"Data/HighScores.xml", false},
        {"Players/Player0.xml", false},
        {"ScreenShots/screenshot.bmp", false},
    };
    for (const auto& entry : files)
        played.Write(entry.file, "x");
    testsupport::TempDir copy;
    testsupport::HeadlessGame::CopyInstall(played.Path(), copy.Path());
    for (const auto& entry : files)
        EXPECT_EQ(std::filesystem::exists(copy.File(entry.file)), entry.copied) << entry.file;
    EXPECT_FALSE(std::filesystem::exists(copy.File("Players")));
}
