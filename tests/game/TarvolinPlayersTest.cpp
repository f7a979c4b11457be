#include "engine/scene/EntityFactory.h"
#include "game/app/Tarvolin.h"
#include "game/records/tvPlayer.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/ProcessLimits.h"
#include "tests/support/game/InstallFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace
{

std::set<std::string> FilesIn(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// The file's text without line breaks and indentation.
std::string Compact(const std::string& text)
{
    std::string compact;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n')
            i = text.find_first_not_of(' ', i + 1) - 1;
        else
            compact += text[i];
    return compact;
}

std::vector<std::string> Names(const Tarvolin& app)
{
    std::vector<std::string> names;
    for (int32_t i = 0; i < app.GetPlayerCount(); ++i)
        names.push_back(app.GetPlayer(i)->GetPlayerName());
    return names;
}

} // namespace

class TarvolinPlayersTest : public ::testing::Test
{
protected:
    gametest::InstallFolder m_Install;
};

TEST_F(TarvolinPlayersTest, ProfilesRoundTripThroughTheirFiles)
{
    {
        Tarvolin app;
        app.CreatePlayer("");
        tvPlayer* driver = app.CreatePlayer("Ace");
        driver->SetTotalRepPoints(-7);
        driver->SetUnspentRepPoints(3);
        driver->SetTotalPointsEarned(2147483647);
        driver->SetNearDeaths(4);
        driver->SetCourseRuns(5);
        driver->SetCareerLevel(2);
        driver->SetRunPoints(99);
        driver->SetHighScore("Worlds\\a.xml", 500);
        driver->SetHighScore("Worlds\\b.xml", 700);
        driver->SetHighScore("Worlds\\a.xml", 100);
        driver->Unlock("Charger");
        ASSERT_TRUE(app.SavePlayers("Players"));
    }
    const std::string counters = "<totalRepPoints>-7</totalRepPoints><unspentRepPoints>3</unspentRepPoints>"
                                 "<totalPointsEarned>2147483647</totalPointsEarned><nearDeaths>4</nearDeaths>"
                                 "<courseRuns>5</courseRuns><careerLevel>2</careerLevel>";
    EXPECT_EQ(Compact(m_Install.dir.Read("Players/Player1.xml")),
              "<player><playerName>Ace</playerName>" + counters +
                  "<highScores><score><name>Worlds\\a.xml</name><score>100</score></score>"
                  "<score><name>Worlds\\b.xml</name><score>700</score></score></highScores>"
                  "<unlocked><stuntname>Charger</stuntname></unlocked></player>");
    const std::string plain = Compact(m_Install.dir.Read("Players/Player0.xml"));
    EXPECT_EQ(plain.find("highScores"), std::string::npos) << plain;
    EXPECT_EQ(plain.find("unlocked"), std::string::npos) << plain;

    const std::string saved = m_Install.dir.Read("Players/Player1.xml");
    tvPlayer driver;
    ASSERT_TRUE(driver.Load("Players\\Player1.xml"));
    EXPECT_EQ(driver.GetPlayerName(), "Ace");
    EXPECT_EQ(driver.GetHighScore("worlds\\b.xml"), 0);
    EXPECT_FALSE(driver.IsUnlocked("charger"));
    ASSERT_TRUE(driver.Save("Players\\Copy.xml"));
    EXPECT_EQ(m_Install.dir.Read("Players/Copy.xml"), saved);
}

TEST_F(TarvolinPlayersTest, SavingRenumbersAndRemovesOnlyStaleProfiles)
{
    for (const char* name : {"A", "B", "C", "D"})
        m_Install.dir.Write(std::string("Players/") + name + ".xml",
                            std::string("<player><playerName>") + name + "</playerName></player>");
    m_Install.dir.Write("Players/Broken.xml", "<player><courseRuns>many</courseRuns></player>");
    m_Install.dir.Write("Players/Torn.xml", "<player><playerName>X");
    {
        Tarvolin app;
        app.ScanPlayers("Players");
        ASSERT_EQ(Names(app), (std::vector<std::string>{"A", "B", "C", "D"}));
        app.SetCurrentPlayer(app.GetPlayer(0));
        app.DeletePlayer(app.GetPlayer(0));
        EXPECT_EQ(app.GetCurrentPlayer(), nullptr);
        ASSERT_TRUE(app.SavePlayers("Players"));
    }
    EXPECT_EQ(FilesIn(m_Install.dir.File("Players")),
              (std::set<std::string>{"Player0.xml", "Player1.xml", "Player2.xml", "Broken.xml", "Torn.xml"}));
    {
        Tarvolin app;
        app.ScanPlayers("Players");
        EXPECT_EQ(Names(app), (std::vector<std::string>{"B", "C", "D"}));
        app.DeletePlayer(app.GetPlayer(2));
        app.CreatePlayer("E");
        ASSERT_TRUE(app.SavePlayers("Players\\"));
    }
    EXPECT_EQ(FilesIn(m_Install.dir.File("Players")),
              (std::set<std::string>{"Player0.xml", "Player1.xml", "Player2.xml", "Broken.xml", "Torn.xml"}));
    Tarvolin app;
    app.ScanPlayers("Players");
    EXPECT_EQ(Names(app), (std::vector<std::string>{"B", "C", "E"}));
}

// A profile the scan refused is its owner's to mend: no save writes over it or removes it, and the
// profiles the game holds take the names around it.
TEST_F(TarvolinPlayersTest, SavingNeverTouchesAProfileTheScanRefused)
{
    const struct
    {
        const char* path;
        const char* text;
    } refused[] = {
        {"Players/Player0.xml", "<player><playerName>A</playerName><courseRuns>12x</courseRuns></player>"},
        {"Players/Player2.xml", "<player><playerName>C</playerName><nearDeaths>12345678901</nearDeaths></player>"},
    };
    for (const auto& file : refused)
        m_Install.dir.Write(file.path, file.text);
    m_Install.dir.Write("Players/Player1.xml", "<player><playerName>B</playerName></player>");
    const auto expectRefusedKept = [&]()
    {
        for (const auto& file : refused)
            EXPECT_EQ(m_Install.dir.Read(file.path), file.text) << file.path;
    };
    {
        Tarvolin app;
        app.ScanPlayers("Players");
        ASSERT_EQ(Names(app), (std::vector<std::string>{"B"}));
        app.CreatePlayer("N");
        ASSERT_TRUE(app.SavePlayers("Players"));
    }
    expectRefusedKept();
    EXPECT_EQ(FilesIn(m_Install.dir.File("Players")),
              (std::set<std::string>{"Player0.xml", "Player1.xml", "Player2.xml", "Player3.xml"}));
    {
        Tarvolin app;
        app.ScanPlayers("Players");
        ASSERT_EQ(Names(app), (std::vector<std::string>{"B", "N"}));
        // B goes: N moves down to the first free name, which is B's, and its old file goes.
        app.DeletePlayer(app.GetPlayer(0));
        ASSERT_TRUE(app.SavePlayers("Players"));
    }
    expectRefusedKept();
    EXPECT_EQ(FilesIn(m_Install.dir.File("Players")),
              (std::set<std::string>{"Player0.xml", "Player1.xml", "Player2.xml"}));
    {
        Tarvolin app;
        app.ScanPlayers("Players");
        EXPECT_EQ(Names(app), (std::vector<std::string>{"N"}));
        app.CreatePlayer("M");
        app.CreatePlayer("O");
        ASSERT_TRUE(app.SavePlayers("Players"));
    }
    expectRefusedKept();
    Tarvolin app;
    app.ScanPlayers("Players");
    EXPECT_EQ(Names(app), (std::vector<std::string>{"N", "M", "O"}));
    EXPECT_EQ(FilesIn(m_Install.dir.File("Players")),
              (std::set<std::string>{"Player0.xml", "Player1.xml", "Player2.xml", "Player3.xml", "Player4.xml"}));
}

TEST_F(TarvolinPlayersTest, DeletingTouchesOnlyAListedProfile)
{
    m_Install.dir.Write("Players/Player0.xml", "<player><playerName>A</playerName></player>");
    Tarvolin app;
    app.ScanPlayers("Players");
    tvPlayer* listed = app.GetPlayer(0);
    tvPlayer fresh;
    app.SetCurrentPlayer(listed);
    app.DeletePlayer(nullptr);
    app.DeletePlayer(&fresh);
    EXPECT_EQ(app.GetPlayerCount(), 1);
    EXPECT_EQ(app.GetCurrentPlayer(), listed);
    EXPECT_TRUE(m_Install.dir.Exists("Players/Player0.xml"));

    tvPlayer* unsaved = app.CreatePlayer("New");
    app.DeletePlayer(unsaved);
    EXPECT_EQ(app.GetPlayerCount(), 1);
    EXPECT_TRUE(m_Install.dir.Exists("Players/Player0.xml"));
    app.DeletePlayer(listed);
    EXPECT_FALSE(m_Install.dir.Exists("Players/Player0.xml"));
}

TEST_F(TarvolinPlayersTest, HighScoresKeepOneRecordPerCourse)
{
    m_Install.dir.Write("Data/HighScores.xml", "<highScores><highScore><mapPath>Worlds\\a.xml</mapPath>"
                                               "<player>Ace</player><score>900</score></highScore>"
                                               "<highScore><mapPath>Worlds\\b.xml</mapPath></highScore>"
                                               "</highScores>");
    {
        Tarvolin app;
        app.LoadHighScores();
        EXPECT_EQ(app.GetHighScore("Worlds\\a.xml"), 900);
        EXPECT_EQ(app.GetHighScorePlayer("Worlds\\a.xml"), "Ace");
        EXPECT_EQ(app.GetHighScorePlayer("Worlds\\b.xml"), "");
        EXPECT_EQ(app.GetHighScore("Worlds\\c.xml"), 0);
        app.SetHighScore("Worlds\\a.xml", "Bo", 100);
        app.SetHighScore("Worlds\\c.xml", "Cy", 300);
        ASSERT_TRUE(app.SaveHighScores());
    }
    Tarvolin app;
    app.LoadHighScores();
    EXPECT_EQ(app.GetHighScore("Worlds\\a.xml"), 100);
    EXPECT_EQ(app.GetHighScorePlayer("Worlds\\a.xml"), "Bo");
    EXPECT_EQ(app.GetHighScore("Worlds\\c.xml"), 300);
}

TEST_F(TarvolinPlayersTest, AnEmptyTableLeavesTheFileAlone)
{
    m_Install.dir.Write("Data/HighScores.xml", "kept as it was");
    Tarvolin app;
    app.LoadHighScores();
    EXPECT_TRUE(app.SaveHighScores());
    EXPECT_EQ(m_Install.dir.Read("Data/HighScores.xml"), "kept as it was");
}

TEST_F(TarvolinPlayersTest, TheFactoryMakesProfilesByTheirExactClassName)
{
    const std::unique_ptr<kaEntity> entity = CreateEntity("tvPlayer");
    ASSERT_NE(dynamic_cast<tvPlayer*>(entity.get()), nullptr);
    EXPECT_EQ(entity->GetClassName(), "tvPlayer");
    EXPECT_EQ(CreateEntity("TvPlayer"), nullptr);
}

TEST_F(TarvolinPlayersTest, AFailedSaveKeepsEveryOldFileAndSaysWhy)
{
    m_Install.dir.Write("Players/A.xml", "<player><playerName>A</playerName></player>");
    m_Install.dir.Write("Players/B.xml", "<player><playerName>B</playerName></player>");
    m_Install.dir.Write("Players/Player1.xml/in the way", "");
    const std::string scores = "<highScores><highScore><mapPath>a</mapPath></highScore></highScores>";
    m_Install.dir.Write("Data/HighScores.xml", scores);
    Tarvolin app;
    app.ScanPlayers("Players");
    app.SetHighScore("b", std::string(4096, 'x'), 1);
    testsupport::DebugCapture capture;
    EXPECT_FALSE(app.SavePlayers("Players"));
    EXPECT_TRUE(capture.Contains("[tvPlayer::Save] : Players\\Player1.xml not saved"))
        << capture.Lines().size();
    EXPECT_TRUE(m_Install.dir.Exists("Players/A.xml"));
    EXPECT_TRUE(m_Install.dir.Exists("Players/B.xml"));
    EXPECT_FALSE(testsupport::RunWithFileSizeLimit(1024, [&app] { return app.SaveHighScores(); }));
    EXPECT_EQ(m_Install.dir.Read("Data/HighScores.xml"), scores);
}
