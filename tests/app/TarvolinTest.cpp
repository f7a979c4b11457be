#include "engine/core/kaClock.h"
#include "engine/core/kaFileSystem.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaProfiler.h"
#include "engine/core/kaProfilerOutput.h"
#include "engine/core/kaStartup.h"
#include "engine/render/kaWorldBase.h"
#include "game/app/Tarvolin.h"
#include "game/app/Version.h"
#include "platform/gfx/Direct3DFactory.h"
#include "platform/gfx/TestDirect3D.h"
#include "platform/system/ManualClock.h"
#include "platform/window/ScriptedWindowBackend.h"
#include "tests/support/SteppingClock.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <list>
#include <memory>
#include <string>
#include <vector>

using namespace platform;

namespace
{

class RecordingOutput : public kaProfilerOutput
{
public:
    void SetText(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

class TarvolinTest : public testing::Test
{
protected:
    void SetUp() override
    {
        _ResetClockState();
        // Start-up waits for its splash images: the clock moves as it is read.
        m_Clock = std::make_unique<testsupport::SteppingClock>(0.25);
        m_Clock->AdvanceSeconds(100.0);
        g_ApplicationRunning = 0;
    }

    void TearDown() override
    {
        m_Clock.reset();
        _ResetClockState();
    }

    int Run() { return kaStartup::WinMain(nullptr, nullptr, "", SW_SHOWDEFAULT); }

    std::unique_ptr<testsupport::SteppingClock> m_Clock;
    ScriptedWindowBackend m_Backend;
};

} // namespace

TEST_F(TarvolinTest, IsTheApplicationUnderItsProductTitle)
{
    Tarvolin app;
    EXPECT_EQ(kaApp::GetSingleton(), &app);
    EXPECT_EQ(app.GetApplicationName(), "Tarvolin");
    EXPECT_EQ(app.GetWindowClassName(), "Tarvolin");
    EXPECT_EQ(GetVersionString(), "v1.0");
}

TEST_F(TarvolinTest, InitResetsTheClockAndMarksTheApplicationRunning)
{
    Tarvolin app;
    m_Clock->SetStep(0.0);
    EXPECT_NEAR(GetTime(5), 100.0, 1e-6);
    m_Clock->SetStep(0.25);
    const double startedAt = m_Clock->Ticks() / 1e6;
    ASSERT_TRUE(app.Init(""));
    m_Clock->SetStep(0.0);
    // The application clock restarted during start-up, after the splash clock had started.
    const double sinceStart = m_Clock->Ticks() / 1e6 - startedAt;
    EXPECT_GT(sinceStart, 12.0);
    EXPECT_LT(GetTime(5), sinceStart);
    EXPECT_EQ(g_ApplicationRunning, 1);
}

TEST_F(TarvolinTest, InitPreparesTheFileSystemAndInterfaceFolders)
{
    kaFileSystem fileSystem;
    Tarvolin app;
    ASSERT_TRUE(app.Init(""));
    EXPECT_TRUE(fileSystem.IsInitialised());
    EXPECT_EQ(fileSystem.GetSearchPaths(), (std::list<std::string>{"ui\\", "ui/common\\"}));
}

TEST_F(TarvolinTest, InitLoadsTheInitDataFolder)
{
    testsupport::TempDir dir;
    dir.Write("InitData/cars.xml", "<?xml version=\"1.0\"?><root><initData><uniqueID>car</uniqueID>"
                                   "<dataType>Entity</dataType><data/></initData></root>");
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
    ASSERT_EQ(chdir(dir.Path().c_str()), 0);
    kaFileSystem fileSystem;
    kaInitDataBase initData;
    Tarvolin app;
    const bool initialised = app.Init("");
    ASSERT_EQ(chdir(previous), 0);
    ASSERT_TRUE(initialised);
    EXPECT_NE(initData.Find("Entity", "car"), nullptr);
}

TEST_F(TarvolinTest, FramesMeasureTheirTimeAndProfileTheMainLoop)
{
    kaProfiler profiler;
    RecordingOutput output;
    Tarvolin app;
    app.ShowProfiler(true, &output);
    ASSERT_TRUE(app.Init(""));
    m_Clock->SetStep(0.0);
    // The frame measure restarts here instead of counting the splash as the first frame.
    GetTime(6);
    for (int frame = 0; frame < 2; ++frame)
    {
        m_Clock->AdvanceSeconds(0.25);
        g_ApplicationRunning = 0;
        app.Update();
        EXPECT_NEAR(app.GetFrameTime(), 0.25, 1e-6);
        EXPECT_EQ(g_ApplicationRunning, 1);
    }
    EXPECT_EQ(app.GetFrameCount(), 2u);
    ASSERT_EQ(output.texts.size(), 1u);
    EXPECT_NE(output.texts[0].find("| Main Game Loop\n"), std::string::npos) << output.texts[0];
}

TEST_F(TarvolinTest, FrameLimitClosesTheWindowTheNormalWay)
{
    Tarvolin app;
    app.SetFrameLimit(3);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(app.GetFrameCount(), 3u);
    EXPECT_FALSE(IsWindow(app.GetWindowHandle()));
}

TEST_F(TarvolinTest, LosingActivationPausesThroughTheCallback)
{
    Tarvolin app;
    // A pause outlives the frame only while a course runs.
    kaWorldBase world;
    app.SetCurrentWorld(&world);
    std::vector<bool> calls;
    app.SetPauseCallback([&calls](bool paused) { calls.push_back(paused); });
    app.SetFrameLimit(1);
    m_Backend.Input(WM_ACTIVATE, MakeLong(WA_ACTIVE, 0));
    m_Backend.Input(WM_ACTIVATE, MakeLong(WA_INACTIVE, 0));
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(calls, (std::vector<bool>{false, true}));
    EXPECT_TRUE(app.IsPaused());
    app.Tarvolin::SetPaused(false);
    EXPECT_FALSE(app.IsPaused());
}

// A graphics device that cannot be made ends start-up with the entry's error box and exit code 1,
// instead of a game that runs without drawing and exits 0.
TEST_F(TarvolinTest, AGraphicsDeviceThatCannotBeMadeFailsStartUp)
{
    auto* d3d = new TestDirect3D;
    d3d->Failures["CreateDevice"] = GFXERR_NOTAVAILABLE;
    const Direct3DFactory previous = SetDirect3DFactory(
        [d3d]() -> GfxDirect3D*
        {
            d3d->AddRef();
            return d3d;
        });
    {
        Tarvolin app;
        app.SetFrameLimit(3);
        EXPECT_EQ(Run(), 1);
        EXPECT_EQ(app.GetFrameCount(), 0u);
    }
    SetDirect3DFactory(previous);
    d3d->Release();
    ASSERT_EQ(m_Backend.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_Backend.MessageBoxes()[0].caption, "Application Error");
}
