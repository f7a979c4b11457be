#include "editor/MapEditorWindow.h"
#include "engine/core/LanguageTable.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaFileSystem.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaProfiler.h"
#include "engine/core/kaStartup.h"
#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiDropDown.h"
#include "engine/gui/guiGlyph.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiWidget.h"
#include "engine/model/kaModelManager.h"
#include "engine/terrain/kaDraggableDecalManager.h"
#include "game/app/Tarvolin.h"
#include "game/screens/InGameMenu.h"
#include "game/screens/courseeditor/CourseOptions.h"
#include "game/screens/courseeditor/MapSaveMenu.h"
#include "game/vehicles/tvVehicle.h"
#include "game/world/tvCamera.h"
#include "game/world/tvWorld.h"
#include "platform/window/DisplayConnection.h"
#include "platform/window/SdlWindowBackend.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/ScopedVariable.h"
#include "tests/support/SteppingClock.h"
#include "tests/support/TempDir.h"
#include "tests/support/XvfbServer.h"
#include "tests/support/engine/gui/ListRowPoint.h"
#include "tests/support/game/CourseEditorShown.h"
#include "tests/support/game/CourseLoadChecks.h"
#include "tests/support/game/CourseSaveChecks.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/PalettePicture.h"

#include <SDL.h>
#include <gtest/gtest.h>
// After GoogleTest: Xlib's macros (None, Bool) clash with its names.
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace platform;

namespace
{

struct KeyCall
{
    uint32_t code;
    bool isVirtualKey;
    uint8_t shift;
};

// The game's application on the real SDL back end (dummy video driver). Its first frame pushes the events a
// user would cause: Shift+A, Escape, then a quit request.
class ScriptedUserTarvolin : public Tarvolin
{
public:
    bool Update() override
    {
        if (GetFrameCount() == 0)
        {
            SDL_Window* window = GetSdlWindowBackend().GetSdlWindow(GetWindowHandle());
            SDL_GetWindowSize(window, &width, &height);
            const uint32_t id = SDL_GetWindowID(window);
            PushKey(id, SDL_KEYDOWN, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT);
            PushText(id, "A");
            PushKey(id, SDL_KEYUP, SDL_SCANCODE_LSHIFT, KMOD_NONE);
            PushKey(id, SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, KMOD_NONE);
            PushKey(id, SDL_KEYUP, SDL_SCANCODE_ESCAPE, KMOD_NONE);
            SDL_Event quit{};
            quit.type = SDL_QUIT;
            SDL_PushEvent(&quit);
        }
        else if (GetFrameCount() > 10000)
        {
            PostQuitMessage(-1);
        }
        return Tarvolin::Update();
    }

    bool OnKey(uint32_t code, bool isVirtualKey, uint8_t shift, uint8_t alt, uint8_t ctrl) override
    {
        keys.push_back(KeyCall{code, isVirtualKey, shift});
        return Tarvolin::OnKey(code, isVirtualKey, shift, alt, ctrl);
    }

    bool Shutdown() override
    {
        shutdownWithWindow = IsWindow(GetWindowHandle());
        return Tarvolin::Shutdown();
    }

    std::vector<KeyCall> keys;
    bool shutdownWithWindow = false;
    int width = 0;
    int height = 0;

private:
    static void PushKey(uint32_t window, uint32_t type, SDL_Scancode scancode, uint16_t mod)
    {
        SDL_Event event{};
        event.type = type;
        event.key.windowID = window;
        event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.scancode = scancode;
        event.key.keysym.mod = mod;
        SDL_PushEvent(&event);
    }

    static void PushText(uint32_t window, const char* text)
    {
        SDL_Event event{};
        event.type = SDL_TEXTINPUT;
        event.text.windowID = window;
        std::strncpy(event.text.text, text, sizeof(event.text.text) - 1);
        SDL_PushEvent(&event);
    }
};

} // namespace

TEST(TarvolinOnSdl, RunsFramesTakesKeysAndQuitsOnRequest)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    // The splash images pass while the clock is read instead of in real seconds.
    testsupport::SteppingClock clock(0.25);
    ScriptedUserTarvolin app;
    EXPECT_EQ(kaStartup::WinMain(nullptr, nullptr, "", SW_SHOWDEFAULT), 0);
    EXPECT_EQ(app.width, 800);
    EXPECT_EQ(app.height, 600);
    ASSERT_EQ(app.keys.size(), 2u);
    EXPECT_EQ(app.keys[0].code, uint32_t('A'));
    EXPECT_FALSE(app.keys[0].isVirtualKey);
    EXPECT_EQ(app.keys[0].shift, 1);
    EXPECT_EQ(app.keys[1].code, VK_ESCAPE);
    EXPECT_TRUE(app.keys[1].isVirtualKey);
    EXPECT_EQ(app.keys[1].shift, 0);
    EXPECT_TRUE(app.shutdownWithWindow);
    EXPECT_FALSE(IsWindow(app.GetWindowHandle()));
    EXPECT_GE(app.GetFrameCount(), 1u);
}

namespace
{

// The game's application on the real SDL back end whose user closes the window while a dialog waits: once
// the window named `dialog` shows modally, the wait's first frame pushes `closeEvent` into SDL; `open` runs
// on the third frame of the main loop, as the user's action that opens the dialog.
class ClosingUserTarvolin : public Tarvolin
{
public:
    bool Init(const std::string& commandLine) override
    {
        const bool started = Tarvolin::Init(commandLine);
        // The modal waits pump through the application as before; this only watches them.
        if (g_pGuiManager != nullptr)
            g_pGuiManager->SetFrameCallback(
                [this]
                {
                    guiWindow* shown = g_pGuiManager->FindWindow(dialog);
                    if (!closePushed && shown != nullptr && shown->IsVisible())
                    {
                        closePushed = true;
                        PushClose();
                    }
                    ++waitDepth;
                    const bool goOn = PumpMessagesOnce();
                    --waitDepth;
                    if (!goOn && closePushed)
                        waitEndedByClose = true;
                    return goOn;
                });
        return started;
    }

    bool Update() override
    {
        if (GetFrameCount() == 2 && open)
            open(*this);
        else if (GetFrameCount() > 2000)
            PostQuitMessage(-1);
        return Tarvolin::Update();
    }

    bool Shutdown() override
    {
        if (!IsShutDown())
        {
            ++shutdowns;
            shutdownInWait = waitDepth > 0;
        }
        return Tarvolin::Shutdown();
    }

    uint32_t SdlWindowId() const
    {
        return SDL_GetWindowID(GetSdlWindowBackend().GetSdlWindow(GetWindowHandle()));
    }

    std::string dialog;
    uint32_t closeEvent = SDL_QUIT;
    std::function<void(ClosingUserTarvolin&)> open;
    bool closePushed = false;
    bool waitEndedByClose = false;
    bool shutdownInWait = false;
    int shutdowns = 0;
    int waitDepth = 0;

private:
    void PushClose()
    {
        SDL_Event event{};
        event.type = closeEvent;
        if (closeEvent == SDL_WINDOWEVENT)
        {
            event.window.windowID = SdlWindowId();
            event.window.event = SDL_WINDOWEVENT_CLOSE;
        }
        SDL_PushEvent(&event);
    }
};

void PushSdlEvent(const SDL_Event& event)
{
    SDL_Event copy = event;
    SDL_PushEvent(&copy);
}

// A left click at the middle of the widget, as SDL reports it.
void PushClickOn(ClosingUserTarvolin& app, const std::string& window, const std::string& widget)
{
    guiWindow* owner = g_pGuiManager->FindWindow(window);
    guiGlyph* glyph = owner != nullptr ? owner->FindChild(widget) : nullptr;
    auto* target = glyph != nullptr ? glyph->DynamicCast<guiWidget>() : nullptr;
    ASSERT_NE(target, nullptr) << widget;
    const platform::Rect& rect = target->GetHitRect();
    const int x = (rect.left + rect.right) / 2;
    const int y = (rect.top + rect.bottom) / 2;
    g_pGuiManager->SetCursorPosition(x, y);
    for (const uint32_t type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP})
    {
        SDL_Event event{};
        event.type = type;
        event.button.windowID = app.SdlWindowId();
        event.button.button = SDL_BUTTON_LEFT;
        event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.button.clicks = 1;
        event.button.x = x;
        event.button.y = y;
        PushSdlEvent(event);
    }
}

void PushKeyEvent(uint32_t window, uint32_t type, SDL_Scancode scancode, uint16_t mod)
{
    SDL_Event event{};
    event.type = type;
    event.key.windowID = window;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = scancode;
    event.key.keysym.mod = mod;
    PushSdlEvent(event);
}

// The file of the editor's world, whatever the case of its name on disk; empty when there is none.
std::string WorldFileOf(const std::string& install, std::string name)
{
    if (!name.empty() && name[0] == '*')
        name.erase(0, 1);
    // The editor's own worlds lie in a folder of their own under "Worlds".
    for (const auto& entry : std::filesystem::recursive_directory_iterator(install + "/Worlds"))
    {
        std::string found = entry.path().filename().string();
        std::transform(found.begin(), found.end(), found.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        if (found == name)
            return entry.path().string();
    }
    return std::string();
}

// The program's services in the entry's order on a copy of the generated content, with the real SDL back end
// (dummy video driver), the test graphics device and a silent sound output.
class SdlContentProgram
{
public:
    SdlContentProgram() : m_WorkingFolder(m_Install.Path())
    {
        testsupport::HeadlessGame::CopyContent(m_Install.Path());
        m_Registry.Set(Tarvolin::kRegistryKey, Tarvolin::kInstallTypeValue, "1");
        m_Registry.Set(Tarvolin::kRegistryKey, Tarvolin::kFullInstallPathValue, m_Install.Path() + "/");
        platform::TestDirect3D* d3d = m_D3D;
        m_PreviousDirect3D = platform::SetDirect3DFactory(
            [d3d]() -> platform::GfxDirect3D*
            {
                d3d->AddRef();
                return d3d;
            });
    }

    ~SdlContentProgram()
    {
        platform::SetDirect3DFactory(m_PreviousDirect3D);
        m_D3D->Release();
    }

    const testsupport::TempDir& Install() const { return m_Install; }

private:
    testsupport::TempDir m_Install;
    testsupport::CurrentDirectory m_WorkingFolder;
    platform::MemoryRegistry m_Registry;
    platform::NullAudioSink m_Sound;
    platform::TestDirect3D* m_D3D = new platform::TestDirect3D;
    platform::Direct3DFactory m_PreviousDirect3D;
    testsupport::ScopedVariable m_Video{"SDL_VIDEODRIVER", "dummy"};
    testsupport::SteppingClock m_Clock{0.25};

public:
    kaFileSystem fileSystem;
    guiManager gui;
    Wizard wizard;
    kaModelManager models;
    kaDraggableDecalManager decals;
    kaInitDataBase initData;
    kaProfiler profiler;
};

struct CloseInWaitCase
{
    const char* name;
    bool engineEditor;
    const char* dialog;
    uint32_t closeEvent;
    std::function<void(ClosingUserTarvolin&, const SdlContentProgram&)> open;
};

// A player's run of the game on the real SDL back end: once the splash is over it starts the proving
// ground with the named vehicle, then presses and releases C (the view key) twice as SDL key events,
// noting after each press how far the camera stands from the vehicle's hood bone.
class CameraKeyTarvolin : public Tarvolin
{
public:
    explicit CameraKeyTarvolin(const std::string& vehicle) : m_Vehicle(vehicle) {}

    bool Update() override
    {
        const bool running = Tarvolin::Update();
        if (GetFrameCount() > 3000)
            PostQuitMessage(-1);
        if (GetSplashStage() != kSplashDone)
            return running;
        SDL_Window* window = GetSdlWindowBackend().GetSdlWindow(GetWindowHandle());
        const uint32_t id = SDL_GetWindowID(window);
        if (m_Step == 0)
        {
            SDL_Event focus{};
            focus.type = SDL_WINDOWEVENT;
            focus.window.windowID = id;
            focus.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
            SDL_PushEvent(&focus);
            SetVehicleName(m_Vehicle);
            SetLevelPath("Worlds\\proving_ground.xml");
            SetLevelPathCopy("Worlds\\proving_ground.xml");
            StartCourse();
        }
        // The course settles for a few frames, then each press is held two frames and let go for two.
        const int step = m_Step++;
        if (step == 6 || step == 12)
            PushViewKey(id, true);
        else if (step == 8 || step == 14)
            PushViewKey(id, false);
        else if (step == 5 || step == 11 || step == 17)
            distances.push_back(HoodDistance());
        else if (step == 18)
            PostQuitMessage(0);
        return running;
    }

    // From the camera to the hood bone of the player's vehicle; negative when there is none.
    float HoodDistance() const
    {
        auto* world = dynamic_cast<tvWorld*>(GetCurrentWorld());
        tvVehicle* vehicle = GetPlayerVehicle();
        if (world == nullptr || vehicle == nullptr || world->GetFollowCamera() == nullptr)
            return -1.0f;
        const int32_t bone = vehicle->GetBoneIndex(tvCamera::kHoodBone);
        if (bone < 0)
            return -1.0f;
        const platform::Vector3 delta =
            world->GetFollowCamera()->GetPosition() - vehicle->GetBoneWorldPosition(bone);
        return std::sqrt(delta.x * delta.x + delta.y * delta.y + delta.z * delta.z);
    }

    std::vector<float> distances;

private:
    static void PushViewKey(uint32_t window, bool down)
    {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.windowID = window;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.scancode = SDL_SCANCODE_C;
        event.key.keysym.sym = SDLK_c;
        SDL_PushEvent(&event);
    }

    std::string m_Vehicle;
    int m_Step = 0;
};

} // namespace

// Closing the window while a dialog waits ends the wait; the code that opened the dialog finishes with
// everything still there, and the shutdown runs once, from the main loop, with its saves.
TEST(TarvolinOnSdl, ClosingTheWindowDuringADialogShutsDownOnceFromTheMainLoop)
{
    const CloseInWaitCase cases[] = {
        {"New Driver dialog, close button", false, "New Player Window", SDL_WINDOWEVENT,
         [](ClosingUserTarvolin& app, const SdlContentProgram&)
         { PushClickOn(app, "main window", "New Driver Button"); }},
        {"game's message box, quit request", false, MessageBoxWindow::kWindowName, SDL_QUIT,
         [](ClosingUserTarvolin&, const SdlContentProgram&)
         { g_pGuiManager->FindWindow("main window")->QueueMessageBox("Something to say.", "Tarvolin"); }},
        {"editor's failed save box, close button", true, MessageBoxWindow::kWindowName, SDL_WINDOWEVENT,
         [](ClosingUserTarvolin& app, const SdlContentProgram& program)
         {
             auto* editor =
                 dynamic_cast<MapEditorWindow*>(g_pGuiManager->FindWindow(MapEditorWindow::kWindowName));
             ASSERT_NE(editor, nullptr);
             // A folder where the world's file was: the save cannot be written.
             const std::string file = WorldFileOf(program.Install().Path(), editor->GetWorldName());
             ASSERT_FALSE(file.empty()) << editor->GetWorldName();
             std::filesystem::remove(file);
             std::filesystem::create_directory(file);
             const uint32_t window = app.SdlWindowId();
             PushKeyEvent(window, SDL_KEYDOWN, SDL_SCANCODE_LCTRL, KMOD_LCTRL);
             PushKeyEvent(window, SDL_KEYDOWN, SDL_SCANCODE_S, KMOD_LCTRL);
             PushKeyEvent(window, SDL_KEYUP, SDL_SCANCODE_S, KMOD_LCTRL);
             PushKeyEvent(window, SDL_KEYUP, SDL_SCANCODE_LCTRL, KMOD_NONE);
         }},
    };
    for (const CloseInWaitCase& test : cases)
    {
        SCOPED_TRACE(test.name);
        SdlContentProgram program;
        ClosingUserTarvolin app;
        app.SetEngineEditor(test.engineEditor);
        app.dialog = test.dialog;
        app.closeEvent = test.closeEvent;
        app.open = [&](ClosingUserTarvolin& self) { test.open(self, program); };

        EXPECT_EQ(kaStartup::WinMain(nullptr, nullptr, "", SW_SHOWDEFAULT), 0);
        EXPECT_TRUE(app.closePushed) << "the dialog never showed";
        EXPECT_TRUE(app.waitEndedByClose);
        EXPECT_EQ(app.shutdowns, 1);
        EXPECT_FALSE(app.shutdownInWait);
        EXPECT_FALSE(IsWindow(app.GetWindowHandle()));
        EXPECT_TRUE(program.Install().Exists("Tarvolin.cfg"));
        EXPECT_TRUE(program.Install().Exists("Data/controls.xml"));
    }
}

namespace
{

using testsupport::HeadlessGame;

// A click on the row of that text of a list, where the list draws it.
void ClickListRow(HeadlessGame& game, const std::function<guiGrid*()>& list, const std::string& text)
{
    game.ClickAt([list, text](int32_t& x, int32_t& y)
                 { return testsupport::ListRowPoint(list(), text, x, y); });
}

MapEditorWindow& EditorOf(HeadlessGame& game)
{
    return *game.App().GetEditorWindow();
}

// The window manager's close button, as SDL reports it for the game's window.
void PushWindowClose(HeadlessGame& game)
{
    game.Queue(
        [&game]
        {
            SDL_Event event{};
            event.type = SDL_WINDOWEVENT;
            event.window.windowID =
                SDL_GetWindowID(GetSdlWindowBackend().GetSdlWindow(game.App().GetWindowHandle()));
            event.window.event = SDL_WINDOWEVENT_CLOSE;
            SDL_PushEvent(&event);
        });
}

// The user's edits in either editor, every click an SDL event.
struct EditorUser
{
    bool engineEditor;

    static HeadlessGame::Options Options(bool engineEditor)
    {
        if (engineEditor)
            return HeadlessGame::EngineEditorWithSdlInput();
        HeadlessGame::Options options;
        options.sdlInput = true;
        return options;
    }

    // What the user places, and the file a save of the changed course writes.
    const char* Record() const { return engineEditor ? "Crate" : "PointsToken"; }
    std::string SavedFile(const HeadlessGame& game) const
    {
        return game.InstallPath() + "/" +
               (engineEditor ? MapEditorWindow::kDefaultWorld : "Worlds/closing.xml");
    }
    int Placed(const HeadlessGame& game) const
    {
        int placed = 0;
        for (const auto& entity : testsupport::courseSaves::SavedEntities(SavedFile(game)))
            placed += entity.record == Record() ? 1 : 0;
        return placed;
    }

    // The editor was left for what follows it: the career hub for the course editor; for the engine
    // editor, which has nothing to go back to, the program's end.
    bool Left(HeadlessGame& game) const
    {
        return engineEditor ? game.App().IsQuitRequested() : !game.App().IsEditor();
    }

    // The game started, and the editor on a course with unsaved work, or with nothing unsaved.
    void Start(HeadlessGame& game, bool changed) const
    {
        ASSERT_TRUE(game.Start());
        ASSERT_TRUE(game.RunScript());
        changed ? Change(game) : Open(game);
    }

    // The editor on a course with nothing unsaved: the course editor opened from the hub and a course loaded
    // into it; the engine editor on the world it opens with.
    void Open(HeadlessGame& game) const
    {
        if (engineEditor)
            return;
        testsupport::ShowCourseEditor(game);
        testsupport::courseLoads::LoadThroughTheDialog(game, EditorOf(game), "Worlds\\token_arena");
    }

    // Unsaved work: the course editor's New, with the options as offered, then a points token put down; the
    // engine editor's opening world with a crate put down.
    void Change(HeadlessGame& game) const
    {
        MapEditorWindow& editor = EditorOf(game);
        if (!engineEditor)
        {
            testsupport::ShowCourseEditor(game);
            game.Click(editor.GetName(), "file button");
            ClickListRow(
                game, [&editor] { return editor.FindChild("file menu")->DynamicCast<guiListBox>(); }, "New");
            game.Click(CourseOptions::kWindowName, CourseOptions::kOkName);
        }
        Pick(game);
        game.PressButton(SDL_BUTTON_LEFT);
        game.ReleaseButton(SDL_BUTTON_LEFT);
    }

    // The picture of what the user places clicked, and the pointer taken over the ground, where the entity
    // hangs under it until a press puts it down.
    void Pick(HeadlessGame& game) const
    {
        MapEditorWindow& editor = EditorOf(game);
        game.ClickWidget([&editor]() -> guiWidget* { return editor.GetCategoryDropDown()->GetButton(); });
        ClickListRow(
            game, [&editor] { return editor.GetCategoryDropDown()->GetList(); },
            engineEditor ? "Props" : "Points");
        const std::string record = Record();
        game.ClickAt([&editor, record](int32_t& x, int32_t& y)
                     { return testsupport::PalettePicturePoint(*editor.GetPalette(), record, x, y); });
        game.MovePointer(430, 320);
        game.MovePointer(400, 300);
        game.Queue([] {});
    }

    // After "Save" on the question: the untitled course is named in the save dialog; a close meanwhile adds
    // nothing.
    void NameTheCourse(HeadlessGame& game) const
    {
        if (engineEditor)
            return;
        game.Queue([] {});
        PushWindowClose(game);
        testsupport::courseLoads::NameInTheSaveDialog(game, "closing");
    }
};

bool QuestionShown(HeadlessGame& game)
{
    guiWindow* question = game.Gui().FindWindow(MapSaveMenu::kWindowName);
    return question != nullptr && question->IsVisible();
}

struct UsersCloseCase
{
    const char* name;
    // The course holds unsaved work when the window is closed.
    bool changed;
    // The display goes instead of the user closing the window.
    bool displayLost;
    // The buttons clicked on the question, one close request each; the last one ends the program.
    std::vector<const char*> answers;
    // The change is in the course's file at the end.
    bool saved;
    // A picture picked from the palette hangs under the pointer, never put down, when the window is closed.
    bool picked = false;
};

// The user's close: asked about unsaved work, and a Cancel keeps the program and the work; a second close
// while asked adds nothing. A saved course, or a lost display, ends the program at once through its shutdown
// (a question there would keep it running).
void ExpectTheUsersCloseAsksOverUnsavedWork(bool engineEditor)
{
    const UsersCloseCase cases[] = {
        {"Cancel, then Save", true, false, {MapSaveMenu::kCancelName, MapSaveMenu::kYesName}, true},
        {"Don't Save", true, false, {MapSaveMenu::kNoName}, false},
        {"nothing unsaved", false, false, {}, false},
        {"display lost", true, true, {}, false},
        {"nothing unsaved, a picture picked and never put down", false, false, {}, false, true},
    };
    const EditorUser user{engineEditor};
    for (const UsersCloseCase& test : cases)
    {
        SCOPED_TRACE(test.name);
        {
            HeadlessGame game(EditorUser::Options(engineEditor));
            ASSERT_NO_FATAL_FAILURE(user.Start(game, test.changed));
            if (test.picked)
                user.Pick(game);
            ASSERT_TRUE(game.RunScript(3));
            MapEditorWindow& editor = EditorOf(game);
            ASSERT_NE(editor.GetWorld(), nullptr);
            ASSERT_EQ(editor.IsSaved(), !test.changed && !test.picked);
            const int placed = user.Placed(game);
            // Nothing to ask about: no question comes between the close and the end.
            bool askedAnyway = false;
            if (test.displayLost)
            {
                game.Queue([] { DisplayConnection::_SetLost(true); });
            }
            else if (test.answers.empty())
            {
                PushWindowClose(game);
                game.Queue([] {});
                game.Queue([&game, &askedAnyway] { askedAnyway = QuestionShown(game); });
            }
            for (const char* answer : test.answers)
            {
                // Closed, then closed again while asked: the one question stays up.
                bool asked = false;
                PushWindowClose(game);
                game.Queue([] {});
                PushWindowClose(game);
                game.Queue([] {});
                game.Queue([&game, &asked] { asked = QuestionShown(game) && !game.App().IsShutDown(); });
                game.Click(MapSaveMenu::kWindowName, answer);
                if (answer == std::string(MapSaveMenu::kYesName))
                    user.NameTheCourse(game);
                if (answer != std::string(MapSaveMenu::kCancelName))
                    break;
                ASSERT_TRUE(game.RunScript(5)) << "Cancel ended the program";
                EXPECT_TRUE(asked);
                EXPECT_FALSE(QuestionShown(game)) << "a second question followed";
                EXPECT_TRUE(IsWindow(game.App().GetWindowHandle()));
                EXPECT_NE(editor.GetWorld(), nullptr);
                EXPECT_FALSE(editor.IsSaved());
                EXPECT_EQ(user.Placed(game), placed);
            }
            EXPECT_FALSE(game.RunScript(20)) << "still running";
            EXPECT_FALSE(askedAnyway);
            EXPECT_TRUE(game.App().IsShutDown());
            EXPECT_FALSE(IsWindow(game.App().GetWindowHandle()));
            // The game's own saves ran.
            EXPECT_TRUE(game.Install().Exists("Tarvolin.cfg"));
            EXPECT_EQ(user.Placed(game), placed + (test.saved ? 1 : 0));
        }
        if (test.displayLost)
        {
            // SDL stays as the lost display left it until the display is back.
            DisplayConnection::_SetLost(false);
            SDL_Quit();
        }
    }
}

} // namespace

// A player closing the window from the course editor with a course not yet saved is asked, as Escape asks.
TEST(TarvolinOnSdl, ClosingTheWindowOverAnUnsavedCourseAsksFirstInTheCourseEditor)
{
    ExpectTheUsersCloseAsksOverUnsavedWork(false);
}

TEST(TarvolinOnSdl, ClosingTheWindowOverAnUnsavedWorldAsksFirstInTheEngineEditor)
{
    ExpectTheUsersCloseAsksOverUnsavedWork(true);
}

namespace
{

// The editor's question on screen, by its window's name: the save question or the leave question; empty
// when neither shows, "both" when one stands over the other.
std::string QuestionOnScreen(HeadlessGame& game)
{
    std::string shown;
    for (const char* question : {MapSaveMenu::kWindowName, InGameMenu::kWindowName})
    {
        guiWindow* window = game.Gui().FindWindow(question);
        if (window != nullptr && window->IsVisible())
            shown = shown.empty() ? question : "both";
    }
    return shown;
}

// A click on the button of that name of whichever question shows.
void Answer(HeadlessGame& game, const char* button)
{
    game.ClickWidget(
        [&game, button]() -> guiWidget*
        {
            const std::string shown = QuestionOnScreen(game);
            guiWindow* window = shown.empty() ? nullptr : game.Gui().FindWindow(shown);
            guiGlyph* glyph = window != nullptr ? window->FindChild(button) : nullptr;
            return glyph != nullptr ? glyph->DynamicCast<guiWidget>() : nullptr;
        });
}

// Every window on screen besides the editor, by name.
std::string ShownBesidesTheEditor(HeadlessGame& game)
{
    std::string shown;
    for (guiWindow* window : game.Gui().GetWindows())
        if (window->IsVisible() && window != game.App().GetEditorWindow())
            shown += "\"" + window->GetName() + "\" ";
    return shown;
}

// Escape over each of the toolbar's menus closes it, and asks nothing; the arrow keys after it choose none of
// the rows no longer shown.
void ExpectEscapeClosesAnOpenMenu(HeadlessGame& game, MapEditorWindow& editor)
{
    for (const std::string menu : {"file", "tools", "properties"})
    {
        SCOPED_TRACE(menu);
        guiGlyph* group = editor.FindChild(menu + " menu group");
        ASSERT_NE(group, nullptr);
        bool opened = false;
        bool closed = false;
        std::string asked = "not looked at";
        std::string besides = "not looked at";
        game.Click(editor.GetName(), menu + " button");
        game.Queue([&] { opened = group->IsVisible(); });
        game.TapKey(SDL_SCANCODE_ESCAPE);
        game.Queue([] {});
        game.Queue(
            [&]
            {
                closed = !group->IsVisible();
                asked = QuestionOnScreen(game);
            });
        game.TapKey(SDL_SCANCODE_DOWN);
        game.TapKey(SDL_SCANCODE_DOWN);
        game.Queue([] {});
        game.Queue([&] { besides = ShownBesidesTheEditor(game); });
        ASSERT_TRUE(game.RunScript(3));
        EXPECT_TRUE(opened);
        EXPECT_TRUE(closed);
        EXPECT_EQ(asked, "");
        EXPECT_EQ(besides, "");
        EXPECT_TRUE(editor.IsVisible());
    }
}

// One of the editor's questions, closed over: what opens it, the question that shows, the button the user
// then clicks, and whether the program closes on that answer.
struct QuestionStep
{
    // A row of the file menu; Escape when null.
    const char* opener;
    const char* question;
    const char* answer;
    bool closes;
};

struct HeldCloseCase
{
    const char* name;
    // The course holds unsaved work from the start.
    bool changed;
    // Escape is pressed over each open menu first.
    bool menusFirst;
    std::vector<QuestionStep> steps;
    // The change is in the course's file at the end.
    bool saved;
};

// A close while New's, Load's, Escape's or Exit Editor's question is on screen waits for the answer: Cancel
// (or staying) keeps the editor and its course as they were and drops the close; any other answer closes the
// program as the close would have, with nothing of what the question was for (no dialog, no other screen).
void ExpectACloseDuringAQuestionWaitsForItsAnswer(bool engineEditor)
{
    const char* const save = MapSaveMenu::kWindowName;
    const char* const leave = InGameMenu::kWindowName;
    const HeldCloseCase cases[] = {
        {"unsaved: Load's and New's questions cancelled, then New's answered Don't Save",
         true,
         true,
         {{"Load World...", save, MapSaveMenu::kCancelName, false},
          {"New", save, MapSaveMenu::kCancelName, false},
          {"New", save, MapSaveMenu::kNoName, true}},
         false},
        {"unsaved: Load's question answered Save",
         true,
         false,
         {{"Load World...", save, MapSaveMenu::kYesName, true}},
         true},
        {"saved: Escape's question answered Resume, then Exit Editor's answered Leave",
         false,
         false,
         {{nullptr, leave, InGameMenu::kResumeName, false},
          {"Exit Editor", leave, InGameMenu::kQuitName, true}},
         false},
    };
    const EditorUser user{engineEditor};
    for (const HeldCloseCase& test : cases)
    {
        SCOPED_TRACE(test.name);
        HeadlessGame game(EditorUser::Options(engineEditor));
        ASSERT_NO_FATAL_FAILURE(user.Start(game, test.changed));
        ASSERT_TRUE(game.RunScript(3));
        MapEditorWindow& editor = EditorOf(game);
        kaWorld* const world = editor.GetWorld();
        ASSERT_NE(world, nullptr);
        ASSERT_EQ(editor.IsSaved(), !test.changed);
        const std::string name = editor.GetWorldName();
        const int placed = user.Placed(game);
        if (test.menusFirst)
        {
            ASSERT_NO_FATAL_FAILURE(ExpectEscapeClosesAnOpenMenu(game, editor));
        }

        for (const QuestionStep& step : test.steps)
        {
            SCOPED_TRACE(step.opener != nullptr ? step.opener : "Escape");
            if (step.opener != nullptr)
            {
                game.Click(editor.GetName(), "file button");
                ClickListRow(
                    game, [&editor] { return editor.FindChild("file menu")->DynamicCast<guiListBox>(); },
                    step.opener);
            }
            else
            {
                game.TapKey(SDL_SCANCODE_ESCAPE);
            }
            // Closed twice while asked: the one question stays, and the program with it.
            std::string asked;
            bool running = false;
            game.Queue([] {});
            PushWindowClose(game);
            game.Queue([] {});
            PushWindowClose(game);
            game.Queue([] {});
            game.Queue(
                [&]
                {
                    asked = QuestionOnScreen(game);
                    running = !game.App().IsShutDown();
                });
            Answer(game, step.answer);
            if (step.answer == std::string(MapSaveMenu::kYesName))
                user.NameTheCourse(game);
            std::string besides;
            game.Queue([&] { besides = ShownBesidesTheEditor(game); });
            const bool ran = game.RunScript(step.closes ? 20 : 5);
            EXPECT_EQ(asked, step.question);
            EXPECT_TRUE(running);
            EXPECT_EQ(besides, "");
            if (ran == step.closes)
            {
                // The script's steps, and what they note into, are not done with: this run goes no further.
                ADD_FAILURE() << (ran ? "still running" : "the program ended");
                break;
            }
            if (step.closes)
                break;
            EXPECT_EQ(QuestionOnScreen(game), "");
            EXPECT_EQ(editor.GetWorld(), world);
            EXPECT_EQ(editor.IsSaved(), !test.changed);
            EXPECT_EQ(editor.GetWorldName(), name);
            if (!test.changed)
                continue;
            // The close went with the answer: the next one asks afresh.
            std::string askedAgain;
            PushWindowClose(game);
            game.Queue([] {});
            game.Queue([&] { askedAgain = QuestionOnScreen(game); });
            Answer(game, MapSaveMenu::kCancelName);
            ASSERT_TRUE(game.RunScript(5)) << "Cancel ended the program";
            EXPECT_EQ(askedAgain, save);
        }
        EXPECT_TRUE(game.App().IsShutDown());
        EXPECT_FALSE(IsWindow(game.App().GetWindowHandle()));
        EXPECT_TRUE(game.Install().Exists("Tarvolin.cfg"));
        EXPECT_EQ(user.Placed(game), placed + (test.saved ? 1 : 0));
        EXPECT_FALSE(user.Left(game));
    }
}

} // namespace

TEST(TarvolinOnSdl, ACloseDuringACourseEditorQuestionWaitsForItsAnswer)
{
    ExpectACloseDuringAQuestionWaitsForItsAnswer(false);
}

TEST(TarvolinOnSdl, ACloseDuringAnEngineEditorQuestionWaitsForItsAnswer)
{
    ExpectACloseDuringAQuestionWaitsForItsAnswer(true);
}

namespace
{

// The X window behind the game's window.
::Window XWindowOf(HeadlessGame& game)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    SDL_Window* window = GetSdlWindowBackend().GetSdlWindow(game.App().GetWindowHandle());
    if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return 0;
    return info.info.x11.window;
}

// What another program does to the game's window, over a connection of its own: a window manager's close
// (the WM_DELETE_WINDOW message of the window's protocols), or destroying it.
void ActOnWindow(const std::string& displayName, ::Window window, bool destroy)
{
    ::Display* display = XOpenDisplay(displayName.c_str());
    ASSERT_NE(display, nullptr);
    if (destroy)
    {
        XDestroyWindow(display, window);
    }
    else
    {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &event);
    }
    XSync(display, False);
    XCloseDisplay(display);
}

} // namespace

// On a real display, the window manager's close reaches the engine editor as the user's close alone, so the
// unsaved world is asked about; a window another program destroys still ends the program through its
// shutdown, unsaved world or not.
TEST(TarvolinOnSdl, OnAnXDisplayTheWindowManagersCloseAsksAndADestroyedWindowStillEndsTheEditor)
{
    if (!testsupport::XvfbServer::IsInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    testsupport::XvfbServer server;
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    const EditorUser user{true};
    HeadlessGame game(EditorUser::Options(true));
    // The window is made on the X server, as a player's is.
    const testsupport::ScopedVariable driver("SDL_VIDEODRIVER", "x11");
    const testsupport::ScopedVariable display("DISPLAY", server.DisplayName());
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.RunScript());
    const ::Window window = XWindowOf(game);
    ASSERT_NE(window, ::Window(0));
    user.Change(game);
    ASSERT_TRUE(game.RunScript(3));
    ASSERT_FALSE(EditorOf(game).IsSaved());

    bool asked = false;
    game.Queue([&] { ActOnWindow(server.DisplayName(), window, false); });
    game.Queue([] {});
    game.Queue([] {});
    game.Queue([&game, &asked] { asked = QuestionShown(game); });
    game.Click(MapSaveMenu::kWindowName, MapSaveMenu::kCancelName);
    ASSERT_TRUE(game.RunScript(5)) << "the window manager's close ended the program";
    EXPECT_TRUE(asked);
    EXPECT_FALSE(QuestionShown(game));
    EXPECT_FALSE(EditorOf(game).IsSaved());

    game.Queue([&] { ActOnWindow(server.DisplayName(), window, true); });
    EXPECT_FALSE(game.RunScript(200)) << "still running without its window";
    EXPECT_TRUE(game.App().IsShutDown());
    EXPECT_TRUE(game.Install().Exists("Tarvolin.cfg"));
}

// Both vehicles carry the hood view's eye: the first press of C puts the camera there, the second brings
// the chase camera back behind the vehicle.
TEST(TarvolinOnSdl, TheViewKeyCyclesFromTheChaseToTheHoodViewAndBack)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    const testsupport::ScopedVariable headless("TARVOLIN_GFX_HEADLESS", "1");
    testsupport::TempDir install;
    std::filesystem::copy(TARVOLIN_CONTENT_DIR, install.Path(), std::filesystem::copy_options::recursive);
    const std::string registry =
        install.Write("registry.cfg", "SOFTWARE\\Kalder Arts\\Tarvolin\\INSTALLTYPE=1\n"
                                      "SOFTWARE\\Kalder Arts\\Tarvolin\\FULLINSTALLPATH=" +
                                          install.Path() + "/\n");
    const testsupport::ScopedVariable installed("TARVOLIN_REGISTRY", registry);
    testsupport::CurrentDirectory here(install.Path());
    for (const char* vehicle : {"Charger", "Motorcycle"})
    {
        testsupport::SteppingClock clock(0.05);
        // The services the program builds before its application, in its order.
        kaFileSystem files;
        LanguageTable languages("Data\\Languages");
        guiManager gui;
        Wizard wizard;
        kaDraggableDecalManager decals;
        kaInitDataBase initData;
        kaProfiler profiler;
        CameraKeyTarvolin app(vehicle);
        EXPECT_EQ(kaStartup::WinMain(nullptr, nullptr, "", SW_SHOWDEFAULT), 0) << vehicle;
        ASSERT_EQ(app.distances.size(), 3u) << vehicle;
        EXPECT_GT(app.distances[0], 3.0f) << vehicle << ": the chase camera stands back";
        EXPECT_GE(app.distances[1], 0.0f) << vehicle << ": the vehicle has the hood bone";
        EXPECT_LT(app.distances[1], 0.01f) << vehicle << ": the hood view looks out from the bone";
        EXPECT_GT(app.distances[2], 3.0f) << vehicle << ": the second press brings the chase camera back";
    }
}
