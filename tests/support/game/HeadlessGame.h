#pragma once

#include "engine/core/Wizard.h"
#include "engine/core/kaFileSystem.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaProfiler.h"
#include "engine/gui/guiManager.h"
#include "game/app/Tarvolin.h"
#include "platform/audio/NullAudioSink.h"
#include "platform/gfx/Direct3DFactory.h"
#include "platform/gfx/TestDirect3D.h"
#include "platform/input/DirectInput8.h"
#include "platform/input/ScriptedDevice.h"
#include "platform/registry/MemoryRegistry.h"
#include "platform/window/ScriptedWindowBackend.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/ScopedVariable.h"
#include "tests/support/SteppingClock.h"
#include "tests/support/TempDir.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class guiGlyph;
class guiWidget;

namespace testsupport
{

// The game's application on a copy of the generated content, as the program starts it, but headless:
// window messages come from a script, input from scripted devices, drawing goes to the test device, sound
// to a silent sink, and time moves only through the test's clock. The engine's services are built in the
// program's order and live as long as the driver.
class HeadlessGame
{
public:
    struct Options
    {
        // The input system lists these devices.
        std::vector<std::shared_ptr<platform::ScriptedDevice>> devices;
        // Seconds the clock moves at every read, so that start-up's waits pass at once.
        double clockStep = 0.25;
        uint32_t pixelShaderVersion = platform::PS_VERSION(2, 0);
        uint32_t vertexShaderVersion = platform::VS_VERSION(2, 0);
        // The device cannot be made.
        bool failDevice = false;
        // Draws through the real OpenGL back end offscreen instead of the test device.
        bool realGraphics = false;
        // Makes the application object (a test's subclass, say); a plain Tarvolin when empty.
        std::function<std::unique_ptr<Tarvolin>()> makeApp;
        // Input as a user gives it: the real SDL window back end (SDL's dummy video driver) and SDL's
        // input devices; the script's clicks, keys and text are SDL events pushed into SDL's queue.
        bool sdlInput = false;
        // An install folder used as it is, such as one an earlier game saved into (see CopyContent); a
        // fresh copy of the generated content, gone with the driver, when empty.
        std::string install;
    };

    // Copies the generated content into the folder, for games that share one install.
    // Copies the generated install, or another one, without what a player's run of the game left in it.
    static void CopyContent(const std::string& folder);
    static void CopyInstall(const std::string& from, const std::string& folder);
    // The engine editor as a user drives it: the editor's application on the real SDL back end.
    static Options EngineEditorWithSdlInput();

    explicit HeadlessGame(const Options& options);
    HeadlessGame() : HeadlessGame(Options()) {}
    ~HeadlessGame();
    HeadlessGame(const HeadlessGame&) = delete;
    HeadlessGame& operator=(const HeadlessGame&) = delete;

    // Makes the main window and runs the application's start-up, as the entry does.
    bool Start();
    // The entry's whole run: window, start-up, message loop; returns the exit code.
    int Run();
    // One frame of the main loop after the messages waiting: false once the loop would end.
    bool Frame();

    Tarvolin& App() { return *m_App; }
    guiManager& Gui() { return m_Gui; }
    // The scripted back end (not with sdlInput).
    platform::ScriptedWindowBackend& Window() { return *m_Window; }
    SteppingClock& Clock() { return *m_Clock; }
    platform::NullAudioSink& Sound() { return m_Sound; }
    platform::TestDirect3D& Direct3D() { return *m_D3D; }
    // The test device start-up made, or null (always null on real graphics).
    platform::TestDevice* Device() const { return m_D3D->LastDevice(); }
    const TempDir& Install() const { return m_Install; }
    // The install folder the game runs in.
    const std::string& InstallPath() const { return m_InstallPath; }
    kaProfiler& Profiler() { return m_Profiler; }

    // A player's script. Each queued step runs at the start of one frame, also of the frames a modal
    // window runs inside a click, so a script can answer the dialogs its clicks open. A modal wait
    // that outlasts its script by kIdleModalFrames frames is ended (as a cancel) instead of hanging.
    static constexpr int kIdleModalFrames = 200;
    void Queue(const std::function<void()>& step) { m_Steps.push_back({step, true}); }
    // A frame to draw, the pointer to the middle of the named widget of the named window with button 0
    // down, then up.
    void Click(const std::string& window, const std::string& widget);
    // The same for the widget the finder gives when the press runs (nothing when it gives null), for
    // widgets a name does not tell apart, such as the cells of a grid.
    void ClickWidget(const std::function<guiWidget*()>& find);
    // The same at the point the finder gives when the press runs (nothing when it answers false), such as
    // one row of a list.
    void ClickAt(const std::function<bool(int32_t& x, int32_t& y)>& where);
    // Each character as a typed key, then each as its own frame.
    void Type(const std::string& text);
    // A virtual key (Enter, Backspace, End, ...).
    void PressKey(uint8_t virtualKey);

    // Real input only (sdlInput): each call queues one step that pushes SDL events. Buttons are SDL's
    // (SDL_BUTTON_LEFT, ...), keys SDL scan codes; modifiers are pressed before the key and released after.
    enum Modifier : uint8_t
    {
        kNoModifier = 0,
        kShift = 1,
        kCtrl = 2,
        kAlt = 4
    };
    void MovePointer(int32_t x, int32_t y);
    void MovePointerBy(int32_t dx, int32_t dy);
    void PressButton(uint8_t sdlButton);
    void ReleaseButton(uint8_t sdlButton);
    void KeyDown(int scancode, uint8_t modifiers = kNoModifier);
    void KeyUp(int scancode, uint8_t modifiers = kNoModifier);
    // Down, `frames` frames held, then up.
    void HoldKey(int scancode, int frames, uint8_t modifiers = kNoModifier);
    // Down, then up, in one step.
    void TapKey(int scancode, uint8_t modifiers = kNoModifier);
    // The pointer to the point the finder gives, the button down and up, all in one step: a click as quick
    // as a touchpad's tap, with no frame between the move and the press. Nothing when the finder answers
    // false.
    void TapAt(const std::function<bool(int32_t& x, int32_t& y)>& where, uint8_t sdlButton);
    // A fast typist who clicks at once: the text typed, the pointer to the point the finder gives and the
    // button down, all in one step; the button comes up `heldFrames` frames later, whether or not the
    // program has taken the keys by then (as a hand does not wait for it).
    void TypeThenClickAt(const std::string& text, const std::function<bool(int32_t& x, int32_t& y)>& where,
                         uint8_t sdlButton, int heldFrames);
    // The pointer to the start, the button down, `steps` moves to the end a frame apart, the button up.
    void Drag(uint8_t sdlButton, int32_t fromX, int32_t fromY, int32_t toX, int32_t toY, int steps = 4);
    // Runs frames until the script is done, then the extra ones; false when the loop ended first or
    // the script did not finish within the limit.
    bool RunScript(int extraFrames = 2, int limit = 2000);
    size_t PendingSteps() const { return m_Steps.size(); }
    // The widget by window and widget name (names compared without case), or null.
    guiGlyph* FindWidget(const std::string& window, const std::string& widget) const;

    // The last frame drawn, read back (real graphics only); empty when it cannot be read.
    platform::FrameCapture Capture();
    // Draws one frame and writes it as NAME.tga under the build's screens folder; false on failure.
    bool Screenshot(const std::string& name);
    static std::string ScreenshotFolder();
    // Writes the last frame drawn as NAME.tga there, without drawing; for a step inside a modal wait.
    bool SaveCapture(const std::string& name);

    // Steps of the clock while the test reads it; 0 leaves only AdvanceSeconds.
    void SetClockStep(double seconds) { m_Clock->SetStep(seconds); }

private:
    void _RunStep();
    bool _ModalFrame();
    uint32_t _SdlWindowId() const;
    void _PushMotion(int32_t x, int32_t y);
    void _PushButton(uint8_t sdlButton, bool down);
    void _PushKey(int scancode, bool down, uint8_t modifiers);
    void _PushModifiers(uint8_t modifiers, bool down);
    void _PushText(char c);

    bool m_SdlInput = false;
    std::optional<ScopedVariable> m_VideoDriver;
    int32_t m_PointerX = 0;
    int32_t m_PointerY = 0;
    uint32_t m_SdlButtons = 0;

    struct Step
    {
        std::function<void()> run;
        // Waits until the events pushed before have been taken.
        bool paced = true;
    };
    std::deque<Step> m_Steps;
    int m_IdleModalFrames = 0;
    std::optional<ScopedVariable> m_Headless;
    TempDir m_Install;
    std::string m_InstallPath;
    std::optional<CurrentDirectory> m_WorkingFolder;
    platform::MemoryRegistry m_Registry;
    std::optional<platform::ScriptedWindowBackend> m_Window;
    platform::NullAudioSink m_Sound;
    std::unique_ptr<SteppingClock> m_Clock;
    platform::TestDirect3D* m_D3D;
    bool m_FactoryInstalled = false;
    platform::Direct3DFactory m_PreviousDirect3D;
    platform::DirectInputFactory m_PreviousInput;
    kaFileSystem m_FileSystem;
    guiManager m_Gui;
    Wizard m_Wizard;
    kaInitDataBase m_InitData;
    kaProfiler m_Profiler;
    std::unique_ptr<Tarvolin> m_App;
};

} // namespace testsupport
