#include "engine/core/kaStartup.h"
#include "engine/core/ModifierKeyState.h"
#include "engine/core/kaApp.h"
#include "platform/window/ScriptedWindowBackend.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

using namespace platform;

namespace
{

struct KeyCall
{
    uint32_t code;
    bool isVirtualKey;
    uint8_t shift;
    uint8_t alt;
    uint8_t ctrl;

    bool operator==(const KeyCall& other) const
    {
        return std::tie(code, isVirtualKey, shift, alt, ctrl) ==
               std::tie(other.code, other.isVirtualKey, other.shift, other.alt, other.ctrl);
    }
};

std::ostream& operator<<(std::ostream& out, const KeyCall& call)
{
    return out << "OnKey(0x" << std::hex << call.code << std::dec << ", " << call.isVirtualKey << ", "
               << int(call.shift) << ", " << int(call.alt) << ", " << int(call.ctrl) << ")";
}

// Records what the pump calls; closes its window once the script has run out, so every run ends.
class RecordingApp : public kaApp
{
public:
    RecordingApp() : kaApp("Recording", "RecordingClass") {}

    bool Init(const std::string& commandLine) override
    {
        log.push_back("Init " + commandLine);
        return initResult;
    }
    bool Update() override
    {
        log.push_back("Update");
        ++frames;
        if (quitCodeAtFirstFrame >= 0)
            PostQuitMessage(quitCodeAtFirstFrame);
        else if (backend != nullptr && backend->ScriptDone() && IsWindow(GetWindowHandle()))
            PostMessage(GetWindowHandle(), WM_CLOSE, 0, 0);
        if (frames > 1000)
            PostQuitMessage(-1);
        return true;
    }
    bool Render() override
    {
        log.push_back("Render");
        return true;
    }
    bool OnKey(uint32_t code, bool isVirtualKey, uint8_t shift, uint8_t alt, uint8_t ctrl) override
    {
        keys.push_back(KeyCall{code, isVirtualKey, shift, alt, ctrl});
        log.push_back("OnKey");
        return true;
    }
    bool Shutdown() override
    {
        log.push_back(IsWindow(GetWindowHandle()) ? "Shutdown with window" : "Shutdown without window");
        return kaApp::Shutdown();
    }

    ScriptedWindowBackend* backend = nullptr;
    bool initResult = true;
    int quitCodeAtFirstFrame = -1;
    int frames = 0;
    std::vector<std::string> log;
    std::vector<KeyCall> keys;
};

class kaStartupTest : public testing::Test
{
protected:
    void SetUp() override
    {
        g_ModifierKeyState = ModifierKeyState();
        UseApp<RecordingApp>();
    }

    // One application object at a time: the old one goes before the new one is made.
    template <typename App> App& UseApp()
    {
        m_AppObject.reset();
        auto app = std::make_unique<App>();
        App& result = *app;
        m_AppObject = std::move(app);
        m_AppObject->backend = &m_Backend;
        return result;
    }

    int Run(const std::string& commandLine = "")
    {
        return kaStartup::WinMain(nullptr, nullptr, commandLine, SW_SHOWDEFAULT);
    }

    // Runs a script and returns what reached OnKey.
    std::vector<KeyCall> KeysOf()
    {
        EXPECT_EQ(Run(), 0);
        return m_AppObject->keys;
    }

    ScriptedWindowBackend m_Backend;
    std::unique_ptr<RecordingApp> m_AppObject;
};

KeyCall Char(uint32_t code, uint8_t shift = 0, uint8_t alt = 0, uint8_t ctrl = 0)
{
    return KeyCall{code, false, shift, alt, ctrl};
}

KeyCall Key(uint32_t code, uint8_t shift = 0, uint8_t alt = 0, uint8_t ctrl = 0)
{
    return KeyCall{code, true, shift, alt, ctrl};
}

using Keys = std::vector<KeyCall>;

} // namespace

TEST_F(kaStartupTest, OpensAnEightHundredBySixHundredWindowAtTheOrigin)
{
    m_AppObject->quitCodeAtFirstFrame = 0;
    Run();
    ASSERT_EQ(m_Backend.NativeWindows().size(), 1u);
    const ScriptedWindowBackend::NativeWindow& window = m_Backend.NativeWindows().begin()->second;
    EXPECT_EQ(window.title, "Recording");
    EXPECT_EQ(window.frame.left, 0);
    EXPECT_EQ(window.frame.top, 0);
    EXPECT_EQ(window.frame.right, 800);
    EXPECT_EQ(window.frame.bottom, 600);
    EXPECT_EQ(window.showCommand, SW_SHOWDEFAULT);
    EXPECT_EQ(m_AppObject->GetWindowHandle(), m_Backend.NativeWindows().begin()->first);
}

TEST_F(kaStartupTest, FramesRunOnlyWhenNoMessageWaits)
{
    m_Backend.KeyDown(VK_F5);
    m_Backend.KeyDown(VK_F6);
    m_Backend.Idle();
    m_Backend.KeyDown(VK_F7);
    EXPECT_EQ(Run("-windowed"), 0);
    // The first paint comes while the window is made, the second because that one could not validate a
    // window the application did not know yet.
    const std::vector<std::string> expected = {"Render", "Init -windowed", "OnKey",
                                               "OnKey",  "Render",         "Update",
                                               "OnKey",  "Update",         "Shutdown with window"};
    EXPECT_EQ(m_AppObject->log, expected);
}

TEST_F(kaStartupTest, QuitEndsTheLoopWithItsCode)
{
    m_AppObject->quitCodeAtFirstFrame = 7;
    EXPECT_EQ(Run(), 7);
    EXPECT_EQ(m_AppObject->frames, 1);
}

TEST_F(kaStartupTest, ClosingTheWindowShutsDownWhileItExistsAndReturnsZero)
{
    m_Backend.Input(WM_CLOSE);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(m_AppObject->log.back(), "Shutdown with window");
    EXPECT_EQ(m_AppObject->frames, 0);
    EXPECT_FALSE(IsWindow(m_AppObject->GetWindowHandle()));
}

TEST_F(kaStartupTest, CursorIsHiddenForTheRunOnly)
{
    struct CursorApp : RecordingApp
    {
        bool Update() override
        {
            hiddenDuringFrame = !backend->CursorVisible();
            return RecordingApp::Update();
        }
        bool hiddenDuringFrame = false;
    };
    CursorApp& app = UseApp<CursorApp>();
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(app.hiddenDuringFrame);
    EXPECT_TRUE(m_Backend.CursorVisible());
}

TEST_F(kaStartupTest, FailedInitShowsTheErrorBoxAndExitsWithOne)
{
    m_AppObject->initResult = false;
    EXPECT_EQ(Run(), 1);
    ASSERT_EQ(m_Backend.MessageBoxes().size(), 1u);
    const ScriptedWindowBackend::MessageBoxRecord& box = m_Backend.MessageBoxes()[0];
    EXPECT_EQ(box.text,
              "[kaStartup::WinMain] : Initialization Failure.\n\nPress OK to terminate application.");
    EXPECT_EQ(box.caption, "Application Error");
    EXPECT_EQ(box.type, MB_OK);
    EXPECT_EQ(box.owner, m_AppObject->GetWindowHandle());
    EXPECT_EQ(m_AppObject->frames, 0);
    EXPECT_TRUE(m_Backend.CursorVisible());
}

TEST_F(kaStartupTest, FailedWindowCreationReturnsZeroWithoutInit)
{
    m_Backend.FailWindowCreation(true);
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(m_Backend.MessageBoxes().empty());
    EXPECT_TRUE(m_AppObject->log.empty());
}

// One script through the whole key translation: what reaches OnKey, in order.
TEST_F(kaStartupTest, KeysAndCharactersArriveTranslated)
{
    // A shifted letter arrives as one character with shift.
    m_Backend.KeyDown(VK_SHIFT);
    m_Backend.KeyDown('A');
    m_Backend.Type("A");
    m_Backend.KeyUp('A');
    m_Backend.KeyUp(VK_SHIFT);
    m_Backend.Type("a");
    // Escape once, as a virtual key.
    m_Backend.KeyDown(VK_ESCAPE);
    m_Backend.KeyUp(VK_ESCAPE);
    // Editing, function and navigation keys as virtual keys, but not F10; letters, digits, space, caps lock,
    // the keypad and codes past F24 deliver nothing; auto-repeat delivers each repeat.
    for (const uint32_t key : {VK_BACK, VK_TAB, VK_RETURN, VK_PAUSE, VK_F1, VK_F5, VK_F10, VK_F24, VK_PRIOR,
                               VK_LEFT, VK_HELP, uint32_t('A'), uint32_t('7'), VK_SPACE, VK_CAPITAL, VK_NUMPAD0,
                               VK_F24 + 1, VK_DELETE, VK_DELETE, VK_DELETE})
        m_Backend.KeyDown(key);
    // Characters from space to tilde only.
    for (const WPARAM code : {0x1F, 0x20, 0x41, 0x7E, 0x7F, 0x80, 0xE9})
        m_Backend.Input(WM_CHAR, code);
    // Ctrl held accompanies delete.
    m_Backend.KeyDown(VK_CONTROL);
    m_Backend.KeyDown(VK_DELETE);
    m_Backend.KeyUp(VK_CONTROL);
    m_Backend.KeyDown(VK_DELETE);
    // Alt is tracked and its system keys are not delivered.
    m_Backend.KeyDown(VK_MENU);
    m_Backend.Input(WM_SYSKEYDOWN, VK_F4);
    m_Backend.Input(WM_SYSCHAR, 'x');
    m_Backend.Input(WM_KEYDOWN, VK_HOME);
    m_Backend.KeyUp(VK_MENU);
    m_Backend.KeyDown(VK_HOME);
    EXPECT_EQ(KeysOf(), (Keys{Char('A', 1), Char('a'), Key(VK_ESCAPE), Key(VK_BACK), Key(VK_TAB), Key(VK_RETURN),
                              Key(VK_PAUSE), Key(VK_F1), Key(0x74), Key(VK_F24), Key(VK_PRIOR), Key(VK_LEFT),
                              Key(VK_HELP), Key(VK_DELETE), Key(VK_DELETE), Key(VK_DELETE), Char(0x20),
                              Char(0x41), Char(0x7E), Key(VK_DELETE, 0, 0, 1), Key(VK_DELETE),
                              Key(VK_HOME, 0, 1, 0), Key(VK_HOME)}));
}

TEST_F(kaStartupTest, ModifiersAreVisibleBetweenMessages)
{
    struct WatchingApp : RecordingApp
    {
        bool Update() override
        {
            seen.push_back(g_ModifierKeyState.Shift * 100 + g_ModifierKeyState.Alt * 10 +
                           g_ModifierKeyState.Ctrl);
            return RecordingApp::Update();
        }
        std::vector<int> seen;
    };
    WatchingApp& app = UseApp<WatchingApp>();
    // The first frame comes after the window's first paint, which clears the modifiers.
    m_Backend.Idle();
    m_Backend.KeyDown(VK_SHIFT);
    m_Backend.KeyDown(VK_CONTROL);
    m_Backend.KeyDown(VK_MENU);
    m_Backend.Idle();
    m_Backend.KeyUp(VK_SHIFT);
    m_Backend.Idle();
    m_Backend.KeyUp(VK_MENU);
    m_Backend.KeyUp(VK_CONTROL);
    EXPECT_EQ(Run(), 0);
    ASSERT_GE(app.seen.size(), 4u);
    EXPECT_EQ(app.seen[1], 111);
    EXPECT_EQ(app.seen[2], 11);
    EXPECT_EQ(app.seen[3], 0);
}

TEST_F(kaStartupTest, PaintTakenFromTheQueueClearsTheModifiers)
{
    m_Backend.KeyDown(VK_SHIFT);
    m_Backend.Input(WM_PAINT);
    m_Backend.Type("b");
    m_Backend.KeyDown(VK_SHIFT);
    m_Backend.Type("B");
    EXPECT_EQ(KeysOf(), (Keys{Char('b'), Char('B', 1)}));
}

TEST_F(kaStartupTest, PaintRendersAndValidates)
{
    m_Backend.Idle();
    m_Backend.Input(WM_PAINT);
    m_Backend.Idle();
    EXPECT_EQ(Run(), 0);
    const std::vector<std::string> expected = {
        "Render", "Init ", "Render", "Update", "Render", "Update", "Shutdown with window"};
    EXPECT_EQ(m_AppObject->log, expected);
}

TEST_F(kaStartupTest, ActivationPausesAndResumes)
{
    std::vector<bool> calls;
    m_AppObject->SetPauseCallback([&calls](bool paused) { calls.push_back(paused); });
    m_Backend.Input(WM_ACTIVATE, MakeLong(WA_INACTIVE, 0));
    m_Backend.Input(WM_ACTIVATE, MakeLong(WA_ACTIVE, 0));
    // Minimised: paused even though the low word says active.
    m_Backend.Input(WM_ACTIVATE, MakeLong(WA_INACTIVE, 1));
    m_Backend.Input(WM_ACTIVATE, MakeLong(WA_ACTIVE, 1));
    m_Backend.Input(WM_ACTIVATE, MakeLong(WA_CLICKACTIVE, 0));
    m_Backend.Input(WM_ACTIVATE, MakeLong(WA_INACTIVE, 0));
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(calls, (std::vector<bool>{true, false, true, true, false, true}));
    EXPECT_TRUE(m_AppObject->IsPaused());
}

TEST_F(kaStartupTest, RegisteredHandlersGetUnswallowedMessages)
{
    std::vector<std::pair<WPARAM, LPARAM>> music;
    m_AppObject->RegisterMessageHandler([&music](WPARAM w, LPARAM l) { music.emplace_back(w, l); }, 0x8001);
    m_Backend.Input(0x8001, 11, 22);
    m_Backend.Input(WM_COMMAND, 1, 2);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(music, (std::vector<std::pair<WPARAM, LPARAM>>{{11, 22}}));
}
