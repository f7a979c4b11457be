#include "engine/render/kaGraphicsManager.h"
#include "game/app/Tarvolin.h"
#include "game/records/tvPlayer.h"
#include "platform/gfx/Direct3DFactory.h"
#include "platform/gfx/TestDirect3D.h"
#include "platform/window/ScriptedWindowBackend.h"
#include "tests/support/SteppingClock.h"
#include "tests/support/game/ScriptedInput.h"

#include <gtest/gtest.h>

// The application started on a scripted device: shader levels, and the game files read at start-up and
// written at shutdown.
class TarvolinStartupTest : public ::testing::Test
{
protected:
    // Starts the application on a scripted device offering these shader versions.
    void Start(uint32_t pixel, uint32_t vertex)
    {
        m_D3D->Adapters[0].Caps.PixelShaderVersion = pixel;
        m_D3D->Adapters[0].Caps.VertexShaderVersion = vertex;
        m_App.RegisterMainWindowClass(nullptr);
        ASSERT_EQ(m_App.CreateMainWindow(nullptr, platform::SW_SHOWDEFAULT), 1);
        ASSERT_TRUE(m_App.Init(""));
    }

    ~TarvolinStartupTest() override
    {
        if (!m_ShutDown)
            m_App.Shutdown();
        platform::SetDirect3DFactory(m_Previous);
        m_D3D->Release();
    }

    gametest::InstallFolder m_Install;
    // Start-up waits for its splash images: the clock moves as it is read.
    testsupport::SteppingClock m_Clock{0.25};
    platform::ScriptedWindowBackend m_Backend;
    gametest::AttachedDevices m_Devices{{}};
    platform::TestDirect3D* m_D3D = new platform::TestDirect3D;
    platform::Direct3DFactory m_Previous = platform::SetDirect3DFactory(
        [this]() -> platform::GfxDirect3D*
        {
            m_D3D->AddRef();
            return m_D3D;
        });
    Tarvolin m_App;
    bool m_ShutDown = false;
};

TEST_F(TarvolinStartupTest, LevelsStartAtTheDevicesAndRequestsAreClampedToThem)
{
    Start(platform::PS_VERSION(1, 4), platform::VS_VERSION(1, 1));
    EXPECT_EQ(m_App.GetPixelShaderLevel(), 2);
    EXPECT_EQ(m_App.GetVertexShaderLevel(), 1);
    struct Case
    {
        const char* line;
        int32_t pixel;
        int32_t vertex;
    };
    const Case cases[] = {
        {"PixelShaderEffects=3", 2, 1},  {"PixelShaderEffects=5", 0, 1},  {"PixelShaderEffects=1", 1, 1},
        {"PixelShaderEffects=-1", 0, 1}, {"PixelShaderEffects", 0, 1},    {"VertexShaderEffects=3", 2, 1},
        {"VertexShaderEffects=0", 2, 0}, {"VertexShaderEffects=2", 2, 1},
    };
    for (const Case& c : cases)
    {
        m_App.SetPixelShaderLevel(2);
        m_App.SetVertexShaderLevel(1);
        m_App.ParseConfigLine(c.line);
        EXPECT_EQ(m_App.GetPixelShaderLevel(), c.pixel) << c.line;
        EXPECT_EQ(m_App.GetVertexShaderLevel(), c.vertex) << c.line;
    }
}

TEST_F(TarvolinStartupTest, StartUpReadsAndShutdownWritesTheGameFiles)
{
    m_Install.dir.Write("Tarvolin.cfg",
                        "[Begin Tarvolin Config]\nSoundVolume=-700\nConsole=0\n[End Tarvolin Config]\n");
    m_Install.dir.Write("Players/Ace.xml", "<player><playerName>Ace</playerName></player>");
    m_Install.dir.Write("Data/HighScores.xml", "<highScores><highScore><mapPath>a</mapPath><score>5</score>"
                                               "</highScore></highScores>");
    m_Install.dir.Write("Worlds/one.xml", "<World><name>One</name><arena>Bowl</arena></World>");
    Start(platform::PS_VERSION(2, 0), platform::VS_VERSION(2, 0));
    EXPECT_EQ(m_App.GetSoundVolume(), -700);
    EXPECT_FALSE(m_App.IsConsoleEnabled());
    ASSERT_EQ(m_App.GetPlayerCount(), 1);
    EXPECT_EQ(m_App.GetHighScore("a"), 5);
    EXPECT_EQ(m_App.GetWorldCount(), 1);

    m_App.GetPlayer(0)->SetCourseRuns(3);
    m_App.SetHighScore("a", "Ace", 6);
    m_App.Shutdown();
    m_ShutDown = true;
    EXPECT_FALSE(m_Install.dir.Exists("Players/Ace.xml"));
    EXPECT_NE(m_Install.dir.Read("Players/Player0.xml").find("<courseRuns>3</courseRuns>"),
              std::string::npos);
    EXPECT_NE(m_Install.dir.Read("Data/HighScores.xml").find("<score>6</score>"), std::string::npos);
    // "data" is the folder "Data" that the high scores already use.
    EXPECT_TRUE(m_Install.dir.Exists("Data/controls.xml"));
    const std::string config = m_Install.dir.Read("Tarvolin.cfg");
    EXPECT_NE(config.find("SoundVolume=-700\n"), std::string::npos) << config;
    EXPECT_NE(config.find("PixelShaderEffects=3\n"), std::string::npos) << config;
}

// Texture names are found through the search folders (a model's "maps"), not under a graphics folder.
TEST_F(TarvolinStartupTest, StartUpLeavesNoGraphicsFolderBeforeTextureNames)
{
    Start(platform::PS_VERSION(2, 0), platform::VS_VERSION(2, 0));
    ASSERT_NE(m_App.GetGraphicsManager(), nullptr);
    EXPECT_EQ(m_App.GetGraphicsManager()->GetGraphicsPath(), "");
}
