#include "engine/core/LanguageTable.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaFileSystem.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaProfiler.h"
#include "engine/core/kaStartup.h"
#include "engine/gui/guiManager.h"
#include "engine/terrain/kaDraggableDecalManager.h"
#include "game/Tarvolin.h"
#include "game/tvCamera.h"
#include "game/tvVehicle.h"
#include "game/tvWorld.h"
#include "platform/window/SdlWindowBackend.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/ScopedVariable.h"
#include "tests/support/SteppingClock.h"
#include "tests/support/TempDir.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
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

// Both vehicles carry the hood view's eye: the first press of C puts the camera there, the second brings
// the chase camera back behind the vehicle.
TEST(TarvolinOnSdl, TheViewKeyCyclesFromTheChaseToTheHoodViewAndBack)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    const testsupport::ScopedVariable headless("TARVOLIN_GFX_HEADLESS", "1");
    testsupport::TempDir install;
    std::filesystem::copy(TARVOLIN_CONTENT_DIR, install.Path(), std::filesystem::copy_options::recursive);
    const std::string registry = install.Write(
        "registry.cfg", "SOFTWARE\\Kalder Arts\\Tarvolin\\INSTALLTYPE=1\n"
                        "SOFTWARE\\Kalder Arts\\Tarvolin\\FULLINSTALLPATH=" + install.Path() + "/\n");
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
