#include "engine/core/LanguageTable.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaFileSystem.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaProfiler.h"
#include "engine/core/kaStartup.h"
#include "engine/gui/guiManager.h"
#include "engine/terrain/kaDraggableDecalManager.h"
#include "game/app/Tarvolin.h"
#include "platform/window/SdlWindowBackend.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

// The process's singletons, built in this order before main runs and destroyed in the reverse order.
// Each stores itself in its global pointer. None of them may still hold a window, a GL context or SDL when
// it is destroyed: main ends those first.
static kaFileSystem s_FileSystem;
static LanguageTable s_LanguageTable("Data\\Languages");
static guiManager s_GuiManager;
static Wizard s_Wizard;
static kaDraggableDecalManager s_DecalManager;
static kaInitDataBase s_InitDataBase;
static kaProfiler s_Profiler;
static Tarvolin s_Application;

namespace
{

// The same entry builds the game and the engine's editor program, which opens on the map editor.
#ifdef TARVOLIN_ENGINE_EDITOR
constexpr bool kEngineEditor = true;
#else
constexpr bool kEngineEditor = false;
#endif

// TARVOLIN_EXIT_AFTER_FRAMES=N closes the window after N frames, for unattended runs.
constexpr const char* kFrameLimitVariable = "TARVOLIN_EXIT_AFTER_FRAMES";

void ApplyFrameLimit()
{
    const char* text = std::getenv(kFrameLimitVariable);
    if (text == nullptr || *text == '\0')
        return;
    char* end = nullptr;
    errno = 0;
    const unsigned long frames = std::strtoul(text, &end, 10);
    if (errno != 0 || *end != '\0' || frames == 0 || frames > 0xFFFFFFFFul || text[0] == '-')
    {
        std::fprintf(stderr, "%s: expected a positive number of frames, got \"%s\"\n", kFrameLimitVariable,
                     text);
        return;
    }
    s_Application.SetFrameLimit(static_cast<uint32_t>(frames));
}

std::string JoinArguments(int argc, char** argv)
{
    std::string commandLine;
    for (int i = 1; i < argc; ++i)
    {
        if (i > 1)
            commandLine += ' ';
        commandLine += argv[i];
    }
    return commandLine;
}

} // namespace

int main(int argc, char** argv)
{
    ApplyFrameLimit();
    s_Application.SetEngineEditor(kEngineEditor);
    const int exitCode =
        kaStartup::WinMain(nullptr, nullptr, JoinArguments(argc, argv), platform::SW_SHOWDEFAULT);
    // Without its window the game never ran: that is a failure, whatever the entry answers.
    if (s_Application.GetWindowHandle() == nullptr)
    {
        platform::GetSdlWindowBackend().Shutdown();
        return EXIT_FAILURE;
    }
    // A window the loop left open (a failed start-up ends without closing it) closes the normal way, so the
    // application shuts down while SDL still runs; then SDL ends here, not in a static destructor.
    if (platform::IsWindow(s_Application.GetWindowHandle()))
        platform::DestroyWindow(s_Application.GetWindowHandle());
    platform::GetSdlWindowBackend().Shutdown();
    return exitCode;
}
