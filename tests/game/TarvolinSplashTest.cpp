#include "engine/core/kaRandom.h"
#include "engine/gui/ProfilerWindow.h"
#include "engine/gui/guiCursor.h"
#include "engine/gui/guiManager.h"
#include "engine/render/kaFont.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaTexture.h"
#include "game/screens/CourseSummary.h"
#include "game/screens/DebugWindow.h"
#include "game/screens/HudWindow.h"
#include "platform/gfx/GfxTypes.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/RiffBuilder.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/Recorders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

using gametest::RecordingTarvolin;
using testsupport::HeadlessGame;

namespace
{

HeadlessGame::Options Recording()
{
    HeadlessGame::Options options;
    options.makeApp = [] { return std::make_unique<RecordingTarvolin>(); };
    return options;
}

// The splash pictures in the order they showed, each with the clock at its first frame.
std::vector<std::pair<std::string, double>> Images(const std::vector<RecordingTarvolin::Frame>& frames)
{
    std::vector<std::pair<std::string, double>> images;
    for (const RecordingTarvolin::Frame& frame : frames)
    {
        // The window's own paints before the first picture do not count.
        if (images.empty() && frame.image.empty())
            continue;
        if (images.empty() || images.back().first != frame.image)
            images.emplace_back(frame.image, frame.seconds);
    }
    return images;
}

std::vector<int32_t> StageOrder(const std::vector<RecordingTarvolin::Frame>& frames)
{
    std::vector<int32_t> stages;
    for (const RecordingTarvolin::Frame& frame : frames)
        if (stages.empty() || stages.back() != frame.stage)
            stages.push_back(frame.stage);
    return stages;
}

class TarvolinSplashTest : public ::testing::Test
{
protected:
    RecordingTarvolin& App() { return static_cast<RecordingTarvolin&>(m_Game.App()); }

    HeadlessGame m_Game{Recording()};
};

} // namespace

TEST_F(TarvolinSplashTest, ThreeImagesShowInTurnForFourSecondsEachBeforeInitReturns)
{
    ASSERT_TRUE(m_Game.Start());
    EXPECT_EQ(StageOrder(App().frames), (std::vector<int32_t>{1, 0, 2, 3}));
    const auto images = Images(App().frames);
    ASSERT_EQ(images.size(), 4u);
    EXPECT_EQ(images[0].first, Tarvolin::kPublisherSplash);
    EXPECT_EQ(images[1].first, Tarvolin::kRatingSplash);
    EXPECT_EQ(images[2].first, Tarvolin::kTitleSplash);
    EXPECT_EQ(images[3].first, "");
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_GE(images[i + 1].second - images[i].second, Tarvolin::kSplashTime) << images[i].first;
    // Start-up returns with the sequence over and its picture gone from the scene.
    EXPECT_EQ(App().GetSplashStage(), Tarvolin::kSplashDone);
    EXPECT_EQ(App().frames.back().stage, Tarvolin::kSplashDone);
    EXPECT_EQ(App().GetSplashImage(), nullptr);
}

TEST_F(TarvolinSplashTest, EscapeEndsTheSplashOnlyFromTheTitleAndAlwaysReachesTheGui)
{
    gametest::RecordingWindow* recorder = gametest::AddFrontRecorder(m_Game.Gui());
    std::vector<int32_t> pressedIn;
    App().onRender = [&pressedIn](RecordingTarvolin& app)
    {
        const int32_t stage = app.GetSplashStage();
        if (stage != Tarvolin::kSplashDone &&
            std::find(pressedIn.begin(), pressedIn.end(), stage) == pressedIn.end())
        {
            pressedIn.push_back(stage);
            app.OnKey(platform::VK_ESCAPE, true, 0, 0, 0);
        }
    };
    ASSERT_TRUE(m_Game.Start());
    EXPECT_EQ(pressedIn, (std::vector<int32_t>{1, 0, 2}));
    EXPECT_EQ(recorder->KeyCodes(), (std::vector<uint8_t>{27, 27, 27}));
    const auto images = Images(App().frames);
    // A frame may or may not be drawn between the key and the end of start-up.
    ASSERT_GE(images.size(), 3u);
    ASSERT_LE(images.size(), 4u);
    EXPECT_EQ(images[2].first, Tarvolin::kTitleSplash);
    EXPECT_EQ(images.back().first, images.size() == 4 ? "" : Tarvolin::kTitleSplash);
    EXPECT_GE(images[1].second - images[0].second, Tarvolin::kSplashTime);
    EXPECT_GE(images[2].second - images[1].second, Tarvolin::kSplashTime);
    // The title goes at the key, long before its time.
    EXPECT_EQ(App().GetSplashImage(), nullptr);
    double titleEnd = 0.0;
    for (const RecordingTarvolin::Frame& frame : App().frames)
        if (frame.image == Tarvolin::kTitleSplash)
            titleEnd = frame.seconds;
    EXPECT_LT(titleEnd - images[2].second, Tarvolin::kSplashTime / 2);
}

TEST_F(TarvolinSplashTest, InterfaceFontsLoadInOrderBeforeTheFirstSplashFrame)
{
    std::size_t fontsAtFirstFrame = 0;
    bool splashSeen = false;
    App().onRender = [&](RecordingTarvolin& app)
    {
        if (!splashSeen && !app.frames.back().image.empty())
        {
            splashSeen = true;
            fontsAtFirstFrame = app.GetGraphicsManager()->GetFonts().size();
        }
    };
    ASSERT_TRUE(m_Game.Start());
    const kaGraphicsManager* graphics = App().GetGraphicsManager();
    EXPECT_GE(fontsAtFirstFrame, std::size_t(Tarvolin::kFontCount));
    uint32_t previousNumber = 0;
    for (int i = 0; i < Tarvolin::kFontCount; ++i)
    {
        const auto found = graphics->GetFonts().find(Tarvolin::kFontNames[i]);
        ASSERT_NE(found, graphics->GetFonts().end()) << Tarvolin::kFontNames[i];
        const kaFont* font = found->second;
        EXPECT_EQ(font->GetName(), Tarvolin::kFontFiles[i]);
        // The generated font file was read: its glyph page exists.
        EXPECT_GT(font->GetPageWidth(), 0u) << font->GetName();
        // Texture numbers follow the order the pages were made in.
        ASSERT_NE(font->GetTexture(), nullptr);
        EXPECT_GT(font->GetTexture()->GetNumber(), previousNumber) << font->GetName();
        previousNumber = font->GetTexture()->GetNumber();
    }
}

TEST_F(TarvolinSplashTest, WindowsAreMadeInOrderOneAStepAndOnlyTheMainWindowShows)
{
    ASSERT_TRUE(m_Game.Start());
    const std::vector<guiWindow*>& windows = m_Game.Gui().GetWindows();
    const std::vector<std::string> expected = {"Console",
                                               "",
                                               "message box",
                                               "loading dialog",
                                               "main window",
                                               "Options Window",
                                               "New Player Window",
                                               "Delete Player Window",
                                               "Career Window",
                                               "CourseSelect Window",
                                               "credits window",
                                               "Hud Window",
                                               "Car Select",
                                               "InGameMenu",
                                               "Course Run Summary",
                                               "Map Editor Window",
                                               "Create Terrain Window",
                                               "Editor Properties Window",
                                               "Course Options Window",
                                               "Save Game Window",
                                               "Add Skybox Window",
                                               "Flare Layer Window",
                                               "Course Preview",
                                               "Stunt Shop",
                                               "Save World Menu"};
    ASSERT_EQ(windows.size(), expected.size());
    EXPECT_EQ(windows[0], static_cast<guiWindow*>(App().GetConsoleWindow()));
    EXPECT_EQ(windows[1], static_cast<guiWindow*>(App().GetProfilerWindow()));
    for (std::size_t i = 2; i < windows.size(); ++i)
    {
        EXPECT_EQ(windows[i]->GetName(), expected[i]) << i;
        EXPECT_EQ(windows[i]->IsVisible(), expected[i] == "main window") << expected[i];
    }
    EXPECT_NE(dynamic_cast<HudWindow*>(m_Game.Gui().FindWindow("Hud Window")), nullptr);
    EXPECT_NE(dynamic_cast<CourseSummary*>(m_Game.Gui().FindWindow("Course Run Summary")), nullptr);

    // One window more at each drawn step while they are made.
    std::vector<std::size_t> counts;
    for (const RecordingTarvolin::Frame& frame : App().frames)
        if (frame.windows > 2 && (counts.empty() || counts.back() != frame.windows))
            counts.push_back(frame.windows);
    ASSERT_FALSE(counts.empty());
    for (std::size_t i = 1; i < counts.size(); ++i)
        EXPECT_EQ(counts[i], counts[i - 1] + 1);
    // The message box comes with the first window.
    EXPECT_EQ(counts.front(), 4u);

    guiWindow* mainWindow = m_Game.Gui().FindWindow("main window");
    EXPECT_EQ(m_Game.Gui().GetActiveWindow(), mainWindow);
    for (guiWindow* window : windows)
        if (window != mainWindow)
        {
            EXPECT_LT(m_Game.Gui().GetWindowOrder(window), m_Game.Gui().GetWindowOrder(mainWindow))
                << window->GetName();
        }
}

TEST_F(TarvolinSplashTest, CursorStartsWherePointerIsAndIsShownOverTheConsoleWindows)
{
    m_Game.Window().SetPointer(400, 300);
    ASSERT_TRUE(m_Game.Start());
    ASSERT_NE(m_Game.Gui().GetCursor(), nullptr);
    EXPECT_TRUE(m_Game.Gui().GetCursor()->IsVisible());
    // The pointer's screen position, counted from the window's client area.
    const platform::Rect frame = m_Game.Window().NativeWindows().at(App().GetWindowHandle()).frame;
    EXPECT_EQ(m_Game.Gui().GetCursorPosition().x, 400 - frame.left);
    EXPECT_EQ(m_Game.Gui().GetCursorPosition().y, 300 - frame.top);
    EXPECT_FALSE(App().GetConsoleWindow()->IsVisible());
}

TEST_F(TarvolinSplashTest, CrowdSoundLoadsWhenItsThreePartsExist)
{
    const std::string wave = testsupport::RiffBuilder()
                                 .Chunk("fmt ", testsupport::RiffBuilder::Format(1, 1, 22050, 16))
                                 .Chunk("data", testsupport::RiffBuilder::Samples16({0, 100, -100, 0}))
                                 .Build();
    for (const char* part : {Tarvolin::kCrowdIntro, Tarvolin::kCrowdLoop, Tarvolin::kCrowdOutro})
        m_Game.Install().Write(part, wave);
    ASSERT_TRUE(m_Game.Start());
    EXPECT_GE(App().GetCrowdSound().id, 0);
}

TEST_F(TarvolinSplashTest, MissingCrowdSoundLeavesStartUpGoing)
{
    // The generated content has the crowd's parts: take them away.
    for (const char* part : {Tarvolin::kCrowdIntro, Tarvolin::kCrowdLoop, Tarvolin::kCrowdOutro})
        ASSERT_TRUE(std::filesystem::remove(m_Game.Install().File(part))) << part;
    ASSERT_TRUE(m_Game.Start());
    EXPECT_LT(App().GetCrowdSound().id, 0);
    EXPECT_EQ(App().GetSplashStage(), Tarvolin::kSplashDone);
}

TEST(TarvolinFailedStartTest, AFailingDeviceStopsStartUpBeforeFontsSoundAndSplash)
{
    HeadlessGame::Options options = Recording();
    options.failDevice = true;
    HeadlessGame game(options);
    EXPECT_FALSE(game.Start());
    auto& app = static_cast<RecordingTarvolin&>(game.App());
    // The window's first paint may come; no splash picture does.
    for (const RecordingTarvolin::Frame& frame : app.frames)
        EXPECT_EQ(frame.image, "");
    ASSERT_NE(app.GetGraphicsManager(), nullptr);
    EXPECT_EQ(app.GetGraphicsManager()->GetFonts().count("bar10m"), 0u);
    EXPECT_FALSE(game.Sound().IsOpen());
    EXPECT_TRUE(game.Gui().GetWindows().empty());
}

TEST(TarvolinFailedStartTest, TheEntryReportsAFailingDeviceAndEndsWithCodeOne)
{
    HeadlessGame::Options options;
    options.failDevice = true;
    HeadlessGame game(options);
    EXPECT_EQ(game.Run(), 1);
    ASSERT_EQ(game.Window().MessageBoxes().size(), 1u);
    EXPECT_EQ(game.Window().MessageBoxes()[0].caption, "Application Error");
    EXPECT_FALSE(game.Sound().IsOpen());
}

TEST(TarvolinDisplayModesTest, EighteenModesSizeBySizeWithEachDepth)
{
    Tarvolin app;
    app.BuildDisplayModes();
    const std::vector<DisplayMode>& modes = app.GetDisplayModes();
    ASSERT_EQ(modes.size(), 18u);
    const DisplayMode first{480, 640, 16};
    const DisplayMode last{1200, 1600, 32};
    EXPECT_EQ(modes.front(), first);
    EXPECT_EQ(modes.back(), last);
    const int32_t bits[] = {16, 24, 32};
    for (std::size_t i = 0; i < modes.size(); ++i)
        EXPECT_EQ(modes[i].bitsPerPixel, bits[i % 3]) << i;
    // Both 1600-wide sizes stand in the list, 1024 high before 1200.
    const DisplayMode wide{1024, 1600, 24};
    EXPECT_EQ(modes[13], wide);
    EXPECT_EQ(std::count(modes.begin(), modes.end(), wide), 1);
}

TEST(TarvolinDisplayModesTest, DeviceModesGiveTheirSizeAndTheBitsOfTheirFormat)
{
    struct Case
    {
        uint32_t format;
        int32_t bits;
    };
    for (const Case& c :
         {Case{platform::FMT_R5G6B5, 16}, Case{platform::FMT_X8R8G8B8, 32}, Case{platform::FMT_R8G8B8, 24}})
    {
        platform::DisplayMode device;
        device.Width = 1024;
        device.Height = 768;
        device.Format = c.format;
        const DisplayMode mode = DisplayMode::FromD3D(device);
        EXPECT_EQ(mode.width, 1024);
        EXPECT_EQ(mode.height, 768);
        EXPECT_EQ(mode.bitsPerPixel, c.bits) << c.format;
    }
    EXPECT_NE((DisplayMode{768, 1024, 16}), (DisplayMode{768, 1024, 32}));
}

// The clock moves only when a frame is drawn, so it reads exactly 0 when the first stage starts.
TEST(TarvolinSplashFrameClockTest, TheSplashMovesOnEvenWhenItsFirstStageStartsAtZero)
{
    HeadlessGame::Options options = Recording();
    options.clockStep = 0.0;
    HeadlessGame game(options);
    auto& app = static_cast<RecordingTarvolin&>(game.App());
    bool gaveUp = false;
    app.onRender = [&game, &gaveUp](RecordingTarvolin& self)
    {
        game.Clock().AdvanceSeconds(0.1);
        // A splash that never moves would hold start-up for ever.
        if (self.frames.size() > 2000 && self.GetSplashStage() != Tarvolin::kSplashDone)
        {
            gaveUp = true;
            self.EndSplash();
        }
    };
    ASSERT_TRUE(game.Start());
    EXPECT_FALSE(gaveUp);
    EXPECT_EQ(StageOrder(app.frames), (std::vector<int32_t>{1, 0, 2, 3}));
}

TEST(TarvolinInstallFolderTest, TheInstallFolderBecomesTheWorkingFolderAndTheTickCountSeedsTheRandomDraws)
{
    HeadlessGame game;
    testsupport::TempDir elsewhere;
    testsupport::CurrentDirectory away(elsewhere.Path());
    game.Clock().SetMilliseconds(123456);
    ASSERT_TRUE(game.Start());
    char folder[4096];
    ASSERT_NE(getcwd(folder, sizeof(folder)), nullptr);
    EXPECT_EQ(std::filesystem::equivalent(folder, game.Install().Path()), true) << folder;
    // Relative saves land there.
    game.App().Shutdown();
    EXPECT_TRUE(game.Install().Exists("Tarvolin.cfg"));
    EXPECT_FALSE(elsewhere.Exists("Tarvolin.cfg"));

    std::vector<int> drawn;
    for (int i = 0; i < 4; ++i)
        drawn.push_back(RandomInt(1 << 30));
    // Start-up itself draws after seeding (the theme's first groove): the draws go on from the tick
    // count's sequence a few steps in.
    SetRandomSeed(123456);
    std::vector<int> sequence;
    for (int i = 0; i < 16 + 4; ++i)
        sequence.push_back(RandomInt(1 << 30));
    bool found = false;
    for (size_t start = 0; start + drawn.size() <= sequence.size() && !found; ++start)
        found = std::equal(drawn.begin(), drawn.end(), sequence.begin() + static_cast<std::ptrdiff_t>(start));
    EXPECT_TRUE(found);
}
