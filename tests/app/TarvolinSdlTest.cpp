#include "engine/core/kaStartup.h"
#include "game/Tarvolin.h"
#include "platform/window/SdlWindowBackend.h"
#include "tests/support/SteppingClock.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
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
