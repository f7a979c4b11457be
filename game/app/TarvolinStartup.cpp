#include "game/app/Tarvolin.h"

#include "editor/AddFlareLayerWindow.h"
#include "editor/AddSkyboxWindow.h"
#include "editor/CreateTerrainWindow.h"
#include "editor/EditorPropertiesWindow.h"
#include "editor/MapEditorWindow.h"
#include "editor/SaveLoadWindow.h"
#include "editor/WindowNames.h"
#include "engine/core/kaClock.h"
#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/ProfilerWindow.h"
#include "engine/gui/guiCursor.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiWindow.h"
#include "engine/model/kaBillboard.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaGraphicsManager.h"
#include "game/screens/CSmenu.h"
#include "game/screens/CareerWindow.h"
#include "game/screens/CoursePreview.h"
#include "game/screens/CourseSelectWindow.h"
#include "game/screens/CourseSummary.h"
#include "game/screens/CreditsWindow.h"
#include "game/screens/DebugWindow.h"
#include "game/screens/DeletePlayerWindow.h"
#include "game/screens/HudWindow.h"
#include "game/screens/InGameMenu.h"
#include "game/screens/MainWindow.h"
#include "game/screens/NewPlayerWindow.h"
#include "game/screens/OptionsWindow.h"
#include "game/screens/StuntShopWindow.h"
#include "game/screens/courseeditor/CourseOptions.h"
#include "game/screens/courseeditor/MapSaveMenu.h"
#include "game/screens/courseeditor/tvMapEditorWindow.h"
#include "platform/window/Window.h"

#include <functional>

namespace
{

constexpr int kApplicationTime = 5;
// Found through the "ui" search folder.
constexpr const char* kMessageBoxLayout = "common\\messagebox.kab";
constexpr float kSplashCameraDistance = -100.0f;
constexpr float kSplashCameraStep = 0.1f;

// A window of the interface: its layout file, its name when the layout gives none, and how it is made.
struct WindowEntry
{
    const char* layout;
    const char* name;
    guiWindow* (*make)(const char* layout, Tarvolin* app);
};

template <typename Screen> guiWindow* Make(const char* layout, Tarvolin*)
{
    return new Screen(layout);
}

template <typename Screen> guiWindow* MakeForGame(const char* layout, Tarvolin* app)
{
    return new Screen(layout, app);
}

// A screen not built yet is a plain window from its layout, named as the game finds it.
guiWindow* MakePlain(const char* layout, Tarvolin*)
{
    return new guiWindow(std::string(layout));
}

// The engine's editor, or the game's course editor over it.
guiWindow* MakeMapEditor(const char* layout, Tarvolin* app)
{
    if (app->IsEngineEditor())
        return new MapEditorWindow(layout, app->GetEditorHost());
    return new tvMapEditorWindow(layout, app, app->GetEditorHost());
}

// The interface windows in the order they are made.
constexpr WindowEntry kWindows[] = {
    {"UI/common/loading.kab", windowNames::kLoading, &MakePlain},
    {"ui/common/main.kab", MainWindow::kWindowName, &MakeForGame<MainWindow>},
    {"ui/common/opt.kab", OptionsWindow::kWindowName, &MakeForGame<OptionsWindow>},
    {"ui/common/newplayer.kab", NewPlayerWindow::kWindowName, &MakeForGame<NewPlayerWindow>},
    {"ui/common/deleteplayer.kab", DeletePlayerWindow::kWindowName, &MakeForGame<DeletePlayerWindow>},
    {"ui/CareerMenu/career.kab", CareerWindow::kWindowName, &MakeForGame<CareerWindow>},
    {"ui/CourseSelect/CourseSelect.kab", CourseSelectWindow::kWindowName, &MakeForGame<CourseSelectWindow>},
    {"ui/common/credits.kab", CreditsWindow::kWindowName, &Make<CreditsWindow>},
    {"ui/hud/hudview.kab", HudWindow::kWindowName, &Make<HudWindow>},
    {"ui/common/carselect.kab", CSmenu::kWindowName, &MakeForGame<CSmenu>},
    {"ui/common/ingamemenu.kab", InGameMenu::kWindowName, &Make<InGameMenu>},
    {"ui/common/coursesummary.kab", CourseSummary::kWindowName, &Make<CourseSummary>},
    {"UI/editor/mapeditor.kab", MapEditorWindow::kWindowName, &MakeMapEditor},
    {"UI/editor/createterrain.kab", CreateTerrainWindow::kWindowName, &Make<CreateTerrainWindow>},
    {"UI/editor/properties.kab", EditorPropertiesWindow::kWindowName, &Make<EditorPropertiesWindow>},
    {"UI/tvEditor/course_options.kab", CourseOptions::kWindowName, &MakeForGame<CourseOptions>},
    {"UI/common/savegame.kab", SaveLoadWindow::kWindowName, &Make<SaveLoadWindow>},
    {"UI/editor/skybox.kab", AddSkyboxWindow::kWindowName, &Make<AddSkyboxWindow>},
    {"UI/editor/flarelayer.kab", AddFlareLayerWindow::kWindowName, &Make<AddFlareLayerWindow>},
    {"UI/coursepreview/coursepreview.kab", CoursePreview::kWindowName, &MakeForGame<CoursePreview>},
    {"UI/stuntshop/stuntshop.kab", StuntShopWindow::kWindowName, &MakeForGame<StuntShopWindow>},
    {"UI/common/saveworld.kab", MapSaveMenu::kWindowName, &Make<MapSaveMenu>},
};

guiWindow* MakeWindow(const WindowEntry& entry, Tarvolin* app)
{
    guiWindow* window = entry.make(entry.layout, app);
    // A missing layout leaves a window without a name, which nothing could find.
    if (window->GetName().empty())
        window->SetName(entry.name);
    return window;
}

} // namespace

const char* const Tarvolin::kFontFiles[kFontCount] = {
    "ui/fonts/barmeno10m.kaff", "ui/fonts/barmeno12m.kaff", "ui/fonts/barmeno14m.kaff",
    "ui/fonts/barmeno16m.kaff", "ui/fonts/barmeno18m.kaff", "ui/fonts/barmeno24m.kaff",
    "ui/fonts/barmeno16b.kaff", "ui/fonts/barmeno18b.kaff", "ui/fonts/barmeno24b.kaff",
};

const char* const Tarvolin::kFontNames[kFontCount] = {
    "bar10m", "bar12m", "bar14m", "bar16m", "bar18m", "bar24m", "bar16b", "bar18b", "bar24b",
};

void Tarvolin::BuildDisplayModes()
{
    // 1600 x 1024 stands beside 1600 x 1200 on purpose: both are offered.
    static constexpr int32_t kSizes[][2] = {{640, 480},   {800, 600},   {1024, 768},
                                            {1280, 1024}, {1600, 1024}, {1600, 1200}};
    static constexpr int32_t kBits[] = {16, 24, 32};
    for (const auto& size : kSizes)
        for (const int32_t bits : kBits)
        {
            DisplayMode mode;
            mode.width = size[0];
            mode.height = size[1];
            mode.bitsPerPixel = bits;
            m_DisplayModes.push_back(mode);
        }
}

void Tarvolin::_LoadFonts()
{
    // A font that does not load leaves its name to the system font; start-up goes on.
    for (int i = 0; i < kFontCount; ++i)
        m_GraphicsManager->LoadFont(kFontFiles[i], kFontNames[i]);
}

void Tarvolin::ShowSplashImage(const std::string& file, int32_t width, int32_t height)
{
    if (m_GraphicsManager == nullptr)
        return;
    if (m_SplashImage != nullptr)
    {
        m_GraphicsManager->RemoveSceneObject(m_SplashImage);
        m_SplashImage = nullptr;
    }
    auto* image = new kaBillboard();
    image->SetTexture(file);
    image->SetPixelSize(width, height);
    image->SetPosition(0.0f, 0.0f, 0.0f);
    if (m_GraphicsManager->AddSceneObject(image, false))
        m_SplashImage = image;
    else
        delete image;

    kaCamera camera;
    camera.SetPosition(0.0f, 0.0f, kSplashCameraDistance);
    camera.UpdateProjection();
    camera.Update(kSplashCameraStep);
    m_GraphicsManager->SetCamera(&camera);
    _DrawStartupFrame();
}

void Tarvolin::StepSplash()
{
    // The started flag, not a non-zero start time, says the sequence runs: its first stage may start at 0.
    const float now = static_cast<float>(GetTime(kApplicationTime));
    if (m_SplashStarted && now - m_SplashStart > kSplashTime)
    {
        switch (m_SplashStage)
        {
        case kSplashPublisher:
            m_SplashStart = now;
            ShowSplashImage(kRatingSplash, kSplashSize, kSplashSize);
            m_SplashStage = kSplashRating;
            break;
        case kSplashRating:
            m_SplashStart = now;
            ShowSplashImage(kTitleSplash, kSplashSize, kSplashSize);
            m_SplashStage = kSplashTitle;
            break;
        case kSplashTitle:
            m_SplashStart = now;
            EndSplash();
            break;
        default:
            break;
        }
    }
    _DrawStartupFrame();
}

void Tarvolin::EndSplash()
{
    m_SplashStage = kSplashDone;
    if (m_SplashImage != nullptr && m_GraphicsManager != nullptr)
        m_GraphicsManager->RemoveSceneObject(m_SplashImage);
    m_SplashImage = nullptr;
}

void Tarvolin::_FinishSplash()
{
    while (m_SplashStage != kSplashDone)
    {
        // Start-up handles no message while it waits; a player closing the game meanwhile is not kept
        // waiting through the rest of the splash.
        if (platform::IsMessageWaiting(platform::WM_QUIT) || platform::IsMessageWaiting(platform::WM_CLOSE) ||
            platform::IsMessageWaiting(platform::WM_SYSCOMMAND))
        {
            EndSplash();
            break;
        }
        StepSplash();
    }
}

void Tarvolin::_DrawStartupFrame()
{
    if (g_pGuiManager != nullptr)
        g_pGuiManager->Update(0.0f);
    if (m_GraphicsManager != nullptr)
        m_GraphicsManager->UpdateSceneObjects(0.0f);
    Render();
}

void Tarvolin::_SetUpCursor()
{
    if (g_pGuiManager == nullptr)
        return;
    g_pGuiManager->CreateCursor();
    g_pGuiManager->SetFrameCallback(std::bind(&Tarvolin::PumpMessagesOnce, this));
    g_pGuiManager->ShowCursor(false);
    StepSplash();
}

void Tarvolin::_CreateConsoleWindows()
{
    if (g_pGuiManager == nullptr)
        return;
    m_ConsoleWindow = new DebugWindow();
    g_pGuiManager->AddWindow(m_ConsoleWindow);
    m_ProfilerGuiWindow = new ProfilerWindow();
    g_pGuiManager->AddWindow(m_ProfilerGuiWindow);
    // Made for later; until something shows it, it must not cover a course.
    g_pGuiManager->HideWindow(m_ProfilerGuiWindow, gui::kModalDone);
    g_pGuiManager->ShowCursor(true);
    // A hidden cursor keeps no position, so it is put where the pointer is once it shows.
    g_pGuiManager->ResetCursorBounds();
    platform::Point pointer;
    const bool known = platform::GetCursorClientPosition(GetWindowHandle(), pointer);
    g_pGuiManager->SetCursorPosition(pointer.x, pointer.y);
    _TrackPointer(known, pointer.x, pointer.y);
}

void Tarvolin::CreateWindows()
{
    if (g_pGuiManager == nullptr)
        return;
    // The box every screen's questions use comes first.
    g_pGuiManager->CreateMessageBox(kMessageBoxLayout);
    constexpr std::size_t kCount = sizeof(kWindows) / sizeof(kWindows[0]);
    for (std::size_t i = 0; i < kCount; ++i)
    {
        guiWindow* window = MakeWindow(kWindows[i], this);
        g_pGuiManager->AddWindow(window);
        g_pGuiManager->HideWindow(window, gui::kModalDone);
        if (i + 1 < kCount)
            StepSplash();
    }
}
