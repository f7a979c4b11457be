#include "engine/core/InputManager.h"
#include "engine/core/kaClock.h"
#include "engine/gui/guiCompositeGlyph.h"
#include "engine/gui/guiDisplayBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextParams.h"
#include "engine/scene/kaQuadTree.h"
#include "engine/scene/kaWorld.h"
#include "game/screens/DebugWindow.h"
#include "platform/gfx/TestDevice.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/Recorders.h"
#include "tests/support/game/ScriptedInput.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

using gametest::RecordingTarvolin;
using gametest::RecordingWindow;
using testsupport::HeadlessGame;

namespace
{

HeadlessGame::Options WithDevices(std::vector<gametest::Script> devices)
{
    HeadlessGame::Options options;
    options.devices = std::move(devices);
    options.makeApp = [] { return std::make_unique<RecordingTarvolin>(); };
    return options;
}

// The game started on scripted devices, then frames of a length the test chooses, with a recording window
// in front of the others.
class TarvolinFrameTest : public ::testing::Test
{
protected:
    explicit TarvolinFrameTest(std::vector<gametest::Script> devices = {gametest::Mouse(),
                                                                        gametest::Keyboard()})
        : m_Devices(devices), m_Game(WithDevices(devices))
    {
    }

    void SetUp() override { StartGame(); }

    void StartGame()
    {
        ASSERT_TRUE(m_Game.Start());
        m_Game.SetClockStep(0.0);
        // The frame measure starts here, not with the splash.
        GetTime(6);
        m_Recorder = gametest::AddFrontRecorder(m_Game.Gui());
        m_Game.Gui().SetCursorPosition(100, 100);
    }

    void Frames(int count, double seconds = 0.02)
    {
        for (int i = 0; i < count; ++i)
        {
            m_Game.Clock().AdvanceSeconds(seconds);
            ASSERT_TRUE(m_Game.Frame());
        }
    }

    RecordingTarvolin& App() { return static_cast<RecordingTarvolin&>(m_Game.App()); }
    kaPoint Cursor() { return m_Game.Gui().GetCursorPosition(); }

    std::vector<gametest::Script> m_Devices;
    HeadlessGame m_Game;
    RecordingWindow* m_Recorder = nullptr;
};

} // namespace

TEST_F(TarvolinFrameTest, AHitchIsCountedAsATenthOfASecondForTheWholeFrame)
{
    struct Case
    {
        double elapsed;
        float used;
    };
    for (const Case& c : {Case{1.5, 0.1f}, Case{0.9, 0.9f}, Case{1.0, 1.0f}, Case{0.02, 0.02f}})
    {
        const float guiClock = m_Game.Gui().GetGuiClock();
        Frames(1, c.elapsed);
        EXPECT_NEAR(App().GetFrameTime(), c.used, 1e-4) << c.elapsed;
        EXPECT_NEAR(m_Game.Gui().GetLastFrameTime(), c.used, 1e-4) << c.elapsed;
        EXPECT_NEAR(m_Game.Gui().GetGuiClock() - guiClock, c.used, 1e-4) << c.elapsed;
    }
}

TEST_F(TarvolinFrameTest, ALostDeviceSkipsTheWholeFrameUntilItIsBack)
{
    platform::TestDevice* device = m_Game.Device();
    ASSERT_NE(device, nullptr);
    Frames(1);
    const uint32_t presents = device->PresentCount();
    const float guiClock = m_Game.Gui().GetGuiClock();
    device->LoseDevice();
    m_Devices[0]->PushReading({0, 0, 0, 1, 0, 0});
    Frames(3);
    EXPECT_EQ(device->PresentCount(), presents);
    EXPECT_EQ(m_Game.Gui().GetGuiClock(), guiClock);
    EXPECT_TRUE(m_Recorder->downs.empty()) << "input was read while the device was lost";

    device->MakeResettable();
    Frames(3);
    EXPECT_GT(device->PresentCount(), presents);
    EXPECT_GT(m_Game.Gui().GetGuiClock(), guiClock);
    EXPECT_EQ(m_Recorder->downs, (std::vector<int32_t>{0}));
}

TEST_F(TarvolinFrameTest, ARelativeMouseAxisMovesTheCursorByItsValue)
{
    // Where the system cannot place its pointer, the mouse's motion moves the cursor.
    m_Game.Window().SetPointerKnown(false);
    // Mouse axes count from acquisition: 5 then 5 again is one move of 5.
    m_Devices[0]->PushReading({5, 0, 0, 0, 0, 0});
    Frames(2);
    EXPECT_EQ(Cursor().x, 105);
    EXPECT_EQ(Cursor().y, 100);
    m_Devices[0]->PushReading({5, -7, 0, 0, 0, 0});
    Frames(1);
    EXPECT_EQ(Cursor().x, 105);
    EXPECT_EQ(Cursor().y, 93);
}

TEST_F(TarvolinFrameTest, AHeldButtonSendsOneMessageOnPressAndOneOnRelease)
{
    m_Devices[0]->PushReading({0, 0, 0, 1, 0, 0});
    Frames(4);
    EXPECT_EQ(m_Recorder->downs, (std::vector<int32_t>{0}));
    EXPECT_TRUE(m_Recorder->ups.empty());
    // The mouse's second button is the pointer's third.
    m_Devices[0]->PushReading({0, 0, 0, 0, 1, 0});
    Frames(3);
    EXPECT_EQ(m_Recorder->downs, (std::vector<int32_t>{0, 2}));
    EXPECT_EQ(m_Recorder->ups, (std::vector<int32_t>{0}));
}

TEST_F(TarvolinFrameTest, RawMouseEventsBecomeOneGuiRecordEach)
{
    struct Case
    {
        int kind;
        int pressed;
        int amount;
        bool answer;
    };
    const Case cases[] = {{0, 1, 9, false}, {1, 0, 7, true}, {2, 0, -3, true}, {3, 0, 120, true},
                          {4, 1, 0, true},  {6, 1, 0, true}, {7, 1, 9, true}};
    for (const Case& c : cases)
        EXPECT_EQ(App().OnMouse(c.kind, c.pressed, c.amount, 0), c.answer) << c.kind;
    Frames(1);
    EXPECT_EQ(Cursor().x, 107);
    EXPECT_EQ(Cursor().y, 97);
    EXPECT_EQ(m_Recorder->downs, (std::vector<int32_t>{0, 2}));
    EXPECT_TRUE(m_Recorder->ups.empty());
    EXPECT_TRUE(App().OnMouse(4, 0, 0, 0));
    Frames(1);
    EXPECT_EQ(m_Recorder->ups, (std::vector<int32_t>{0}));
}

TEST_F(TarvolinFrameTest, PauseClearsItselfWithoutACourseWorld)
{
    App().SetPaused(true);
    Frames(1);
    EXPECT_FALSE(App().IsPaused());

    kaWorld world;
    App().SetCurrentWorld(&world);
    App().SetPaused(true);
    Frames(2);
    EXPECT_TRUE(App().IsPaused());
    App().SetCurrentWorld(nullptr);
}

TEST_F(TarvolinFrameTest, DebugKeysActEveryFrameTheyAreHeldAndOnlyWithAWorld)
{
    InputManager& input = *App().GetInputManager();
    const int keyboard = input.FindDeviceByType(InputDevice::kTypeKeyboard);
    ASSERT_GE(keyboard, 0);
    // The quad tree's boxes cycle on "G" here.
    ASSERT_TRUE(input.AddBinding(11, keyboard, input.FindDeviceControlByName(keyboard, "G"),
                                 InputManager::kRangeWhole, 0));
    kaWorld world;
    const kaQuadTree& tree = *world.GetQuadTree();
    m_Devices[1]->PushReading({0, 0, 0, 0, 0, 0, 0, 1, 0});
    Frames(2);
    EXPECT_FALSE(tree.IsShowingNodes()) << "no course world: the key does nothing";
    EXPECT_FALSE(tree.IsShowingEntities());

    App().SetCurrentWorld(&world);
    Frames(1);
    EXPECT_TRUE(tree.IsShowingNodes());
    EXPECT_FALSE(tree.IsShowingEntities());
    // Held, it goes on cycling; let go, it stays.
    Frames(1);
    EXPECT_FALSE(tree.IsShowingNodes());
    EXPECT_TRUE(tree.IsShowingEntities());
    m_Devices[1]->PushReading({0, 0, 0, 0, 0, 0, 0, 0, 0});
    Frames(2);
    EXPECT_FALSE(tree.IsShowingNodes());
    EXPECT_TRUE(tree.IsShowingEntities());
    App().SetCurrentWorld(nullptr);
}

class TarvolinJoystickPointerTest : public TarvolinFrameTest
{
protected:
    TarvolinJoystickPointerTest() : TarvolinFrameTest({gametest::Joystick()}) {}
};

TEST_F(TarvolinJoystickPointerTest, AStickMovesTheCursorByValueTimesAHundredthTimesTheFrameTime)
{
    // 1000 for 0.02 s is 0.2 pixels a frame: the cursor moves a pixel every fifth frame.
    m_Devices[0]->PushReading({1000, 0, 0, 0, 0});
    Frames(4);
    EXPECT_EQ(Cursor().x, 100);
    Frames(1);
    EXPECT_EQ(Cursor().x, 101);
    Frames(5);
    EXPECT_EQ(Cursor().x, 102);
    EXPECT_EQ(Cursor().y, 100);
}

TEST_F(TarvolinFrameTest, F9WritesNumberedScreenshotsThatTheGuiNeverSees)
{
    m_Game.Window().KeyDown(platform::VK_F9);
    m_Game.Window().KeyUp(platform::VK_F9);
    Frames(1);
    m_Game.Window().KeyDown(platform::VK_F9);
    m_Game.Window().KeyDown(platform::VK_HOME);
    Frames(1);
    EXPECT_TRUE(m_Game.Install().Exists("ScreenShots/screenshot.bmp"));
    EXPECT_TRUE(m_Game.Install().Exists("ScreenShots/screenshot_1.bmp"));
    EXPECT_EQ(m_Recorder->KeyCodes(), (std::vector<uint8_t>{platform::VK_HOME}));
}

TEST_F(TarvolinFrameTest, PauseTogglesOnlyWithACourseWorldOutsideTheEditorAndAlwaysReachesTheGui)
{
    kaWorld world;
    struct Case
    {
        bool world;
        bool editor;
        bool pausedAfter;
    };
    for (const Case& c : {Case{false, false, false}, Case{true, true, false}, Case{true, false, true}})
    {
        App().SetCurrentWorld(c.world ? &world : nullptr);
        App().SetEditor(c.editor);
        App().SetPaused(false);
        m_Recorder->keys.clear();
        App().OnKey(platform::VK_PAUSE, true, 0, 0, 0);
        EXPECT_EQ(App().IsPaused(), c.pausedAfter) << c.world << c.editor;
        EXPECT_EQ(m_Recorder->KeyCodes(), (std::vector<uint8_t>{platform::VK_PAUSE}));
    }
    App().OnKey(platform::VK_PAUSE, true, 0, 0, 0);
    EXPECT_FALSE(App().IsPaused());
    App().SetEditor(false);
    App().SetCurrentWorld(nullptr);
}

TEST_F(TarvolinFrameTest, BackquoteTogglesTheConsoleWithoutReachingTheGui)
{
    DebugWindow* console = App().GetConsoleWindow();
    ASSERT_NE(console, nullptr);
    m_Game.Window().Type("`");
    Frames(1);
    EXPECT_TRUE(console->IsVisible());
    EXPECT_GT(m_Game.Gui().GetWindowOrder(console), m_Game.Gui().GetWindowOrder(m_Recorder));
    // Small, then wide, then hidden.
    m_Game.Window().Type("``x");
    Frames(1);
    EXPECT_FALSE(console->IsVisible());
    EXPECT_EQ(m_Recorder->KeyCodes(), (std::vector<uint8_t>{'x'}));
    App().ConsoleCommand("hello");
    ASSERT_NE(console->GetOutputBox(), nullptr);
    const auto& entries = console->GetOutputBox()->GetComposition()->GetEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(static_cast<const guiTextParams*>(entries.front().params)->text, "hello");
}

class TarvolinConsoleOffTest : public TarvolinFrameTest
{
protected:
    void SetUp() override
    {
        m_Game.Install().Write("Tarvolin.cfg", "[Begin Tarvolin Config]\nConsole=0\n[End Tarvolin Config]\n");
        StartGame();
    }
};

TEST_F(TarvolinConsoleOffTest, BackquoteGoesToTheGuiWhenTheConsoleIsOff)
{
    m_Game.Window().Type("`");
    Frames(1);
    EXPECT_FALSE(App().GetConsoleWindow()->IsVisible());
    EXPECT_EQ(m_Recorder->KeyCodes(), (std::vector<uint8_t>{'`'}));
}

TEST_F(TarvolinFrameTest, TheQuitRequestShutsTheGameDownOnceAndLeavesTheQuitForTheLoop)
{
    App().RequestQuit();
    m_Game.Clock().AdvanceSeconds(0.02);
    App().Update();
    EXPECT_TRUE(App().IsShutDown());
    EXPECT_TRUE(platform::IsMessageWaiting(platform::WM_QUIT));
    // Everything the game keeps went to the install folder.
    const std::string config = m_Game.Install().Read("Tarvolin.cfg");
    EXPECT_NE(config.find("[Begin Tarvolin Config]\n"), std::string::npos);
    EXPECT_NE(config.find("[Begin Graphics Config]\n"), std::string::npos);
    // "data" resolves to the generated content's "Data" folder.
    EXPECT_TRUE(m_Game.Install().Exists("Data/controls.xml"));

    // The window's end after it runs nothing twice: the saves are not written again.
    ASSERT_TRUE(std::remove(m_Game.Install().File("Tarvolin.cfg").c_str()) == 0);
    const uint32_t frames = App().GetFrameCount();
    platform::DestroyWindow(App().GetWindowHandle());
    EXPECT_TRUE(App().Shutdown());
    App().Update();
    EXPECT_TRUE(App().Render());
    EXPECT_TRUE(App().OnKey(platform::VK_F9, true, 0, 0, 0));
    EXPECT_EQ(App().GetFrameCount(), frames);
    EXPECT_FALSE(m_Game.Install().Exists("Tarvolin.cfg"));
    EXPECT_FALSE(m_Game.Install().Exists("ScreenShots"));
}

TEST_F(TarvolinFrameTest, ShutdownSavesProfilesScoresControlsAndBothSections)
{
    App().CreatePlayer("Ace");
    App().SetHighScore("Worlds\\a.xml", "Ace", 77);
    EXPECT_TRUE(App().Shutdown());
    EXPECT_TRUE(m_Game.Install().Exists("Players/Player0.xml"));
    EXPECT_NE(m_Game.Install().Read("Data/HighScores.xml").find("77"), std::string::npos);
    // "data" names the folder "Data" that the high scores made.
    EXPECT_TRUE(m_Game.Install().Exists("Data/controls.xml"));
    const std::string config = m_Game.Install().Read("Tarvolin.cfg");
    for (const char* marker : {"[Begin Tarvolin Config]\n", "[End Tarvolin Config]\n",
                               "[Begin Graphics Config]\n", "[End Graphics Config]\n"})
        EXPECT_NE(config.find(marker), std::string::npos) << marker;
}

// The user's own arrangement of the files the game saves outlives a quit from the main menu: settings kept
// elsewhere behind a link are written there and the link stays, and a driver's profile made private stays
// private.
TEST(TarvolinShutdownSaveTest, AQuitKeepsALinkedConfigurationAndAPrivateProfile)
{
    testsupport::TempDir install;
    testsupport::TempDir dotfiles;
    HeadlessGame::CopyContent(install.Path());
    HeadlessGame::Options options;
    options.install = install.Path();
    {
        // An earlier game made the driver.
        HeadlessGame earlier(options);
        ASSERT_TRUE(earlier.Start());
        earlier.App().CreatePlayer("Ace");
        ASSERT_TRUE(earlier.App().Shutdown());
    }
    const std::string profile = install.File("Players/Player0.xml");
    ASSERT_EQ(chmod(profile.c_str(), 0600), 0);
    const std::string config = install.File("Tarvolin.cfg");
    ASSERT_EQ(std::remove(config.c_str()), 0);
    const std::string linked = dotfiles.Write("Tarvolin.cfg", "MyOwnKey=1\n");
    ASSERT_EQ(symlink(linked.c_str(), config.c_str()), 0);

    options.sdlInput = true;
    HeadlessGame game(options);
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.RunScript());
    ASSERT_EQ(game.App().GetPlayerCount(), 1);
    game.Click("main window", "Quit Button");
    EXPECT_FALSE(game.RunScript(200)) << "the game did not end";
    EXPECT_TRUE(game.App().IsShutDown());

    struct stat info;
    ASSERT_EQ(lstat(config.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    const std::string saved = dotfiles.Read("Tarvolin.cfg");
    EXPECT_EQ(saved.rfind("MyOwnKey=1\n", 0), 0u) << saved;
    EXPECT_NE(saved.find("[Begin Tarvolin Config]\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("[Begin Graphics Config]\n"), std::string::npos) << saved;
    EXPECT_EQ(dotfiles.Entries(), std::vector<std::string>{"Tarvolin.cfg"});
    ASSERT_EQ(stat(profile.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, mode_t(0600));
    EXPECT_NE(install.Read("Players/Player0.xml").find("Ace"), std::string::npos);
}

TEST_F(TarvolinFrameTest, PumpingLeavesTheQuitForTheMainLoopAndEndsAModalWait)
{
    guiWindow* dialog = m_Game.Gui().FindWindow("credits window");
    ASSERT_NE(dialog, nullptr);
    platform::PostQuitMessage(7);
    EXPECT_EQ(m_Game.Gui().ShowWindow(dialog, true), gui::kModalCancelled);
    platform::Message message;
    ASSERT_TRUE(platform::PeekMessage(message, platform::PM_REMOVE));
    EXPECT_EQ(message.message, platform::WM_QUIT);
    EXPECT_EQ(message.wParam, 7u);

    // Keys pumped during a wait take the main loop's road; each pass runs a frame.
    const float guiClock = m_Game.Gui().GetGuiClock();
    m_Game.Window().KeyDown(platform::VK_CONTROL);
    m_Game.Window().KeyDown('S');
    for (int i = 0; i < 3; ++i)
    {
        m_Game.Clock().AdvanceSeconds(0.02);
        EXPECT_TRUE(App().PumpMessagesOnce());
    }
    EXPECT_GT(m_Game.Gui().GetGuiClock(), guiClock);
    ASSERT_FALSE(App().keys.empty());
    EXPECT_EQ(App().keys.back().code, uint32_t('s'));
    EXPECT_EQ(App().keys.back().ctrl, 1);

    App().Shutdown();
    EXPECT_FALSE(App().PumpMessagesOnce());
}

TEST(TarvolinKeyLoopTest, ALetterWithCtrlReachesTheGameAsThatLetterThroughTheMessageLoop)
{
    HeadlessGame::Options options;
    options.makeApp = [] { return std::make_unique<RecordingTarvolin>(); };
    HeadlessGame game(options);
    auto& app = static_cast<RecordingTarvolin&>(game.App());
    app.SetFrameLimit(3);
    platform::ScriptedWindowBackend& window = game.Window();
    window.KeyDown('S');
    window.KeyDown(platform::VK_CONTROL);
    window.KeyDown('S');
    window.KeyDown('1');
    window.KeyDown(platform::VK_SHIFT);
    window.KeyDown('Z');
    window.KeyUp(platform::VK_SHIFT);
    window.KeyUp(platform::VK_CONTROL);
    window.KeyDown('S');
    EXPECT_EQ(game.Run(), 0);
    struct Expected
    {
        uint32_t code;
        uint8_t shift;
    };
    const Expected expected[] = {{'s', 0}, {'Z', 1}};
    ASSERT_EQ(app.keys.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i)
    {
        EXPECT_EQ(app.keys[i].code, expected[i].code);
        EXPECT_FALSE(app.keys[i].isVirtualKey);
        EXPECT_EQ(app.keys[i].ctrl, 1);
        EXPECT_EQ(app.keys[i].shift, expected[i].shift);
    }
}
