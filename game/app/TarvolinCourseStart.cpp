#include "game/app/Tarvolin.h"

#include "editor/WindowNames.h"
#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiDisplayBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiWindow.h"
#include "engine/render/kaGraphicsManager.h"
#include "game/records/tvPlayer.h"
#include "game/vehicles/tvVehicle.h"
#include "game/world/RaceDisplay.h"
#include "game/world/SpawnPlacement.h"
#include "game/world/tvWorld.h"

namespace
{

constexpr const char* kCoursePreview = windowNames::kCoursePreview;
constexpr const char* kCareerWindow = windowNames::kCareer;
constexpr const char* kNoVenueStart = "<text font bar16m color .5 .5 .5 1>";

} // namespace

void Tarvolin::StartCourse()
{
    ShowLoadingDialog(true);
    const std::string courseFile = m_CourseFile;
    guiWindow* preview = g_pGuiManager ? g_pGuiManager->FindWindow(kCoursePreview) : nullptr;
    guiWindow* hudWindow = g_pGuiManager ? g_pGuiManager->FindWindow(tvWorld::kHudWindow) : nullptr;

    // A file that does not load leaves an empty course; it still starts.
    auto* world = new tvWorld();
    // Played: an entity with a value the reader cannot take is left out, and named on stderr.
    world->SetLoadPolicy(kaWorld::LoadPolicy::kRun);
    if (world->LoadFile(courseFile, true) && world->GetVenueEntity() == nullptr)
    {
        // Nothing to drive on: the vehicle would fall for ever.
        delete world;
        ShowLoadingDialog(false);
        _RefuseCourseWithoutVenue(courseFile);
        return;
    }

    if (auto* hud = dynamic_cast<RaceDisplay*>(hudWindow))
        hud->SetWorld(world);
    if (m_GraphicsManager)
        m_GraphicsManager->AddSceneObject(world, true);
    if (m_CurrentPlayer)
        m_CurrentPlayer->SetRunPoints(0);
    SetCurrentWorld(world);
    world->InitializeEntities();

    tvVehicle* vehicle = LoadVehicleEntity(world, m_VehicleName);
    if (vehicle)
    {
        vehicle->SpawnRagdoll();
        SpawnPlacement::PlaceAtSpawnPoint(*world, *vehicle);
    }
    m_pVehicle = vehicle;

    guiWindow* first = m_GameMode == kPracticeMode ? hudWindow : preview;
    if (g_pGuiManager && first)
    {
        g_pGuiManager->ActivateWindow(first);
        g_pGuiManager->BringToFront(first);
    }
    world->SetGameMode(m_GameMode);
    // Practice has no preview: the run starts by itself.
    if (m_GameMode == kPracticeMode)
        world->SetRunPhase(tvWorld::kPhasePractice);
    ShowLoadingDialog(false);
}

void Tarvolin::_RefuseCourseWithoutVenue(const std::string& courseFile)
{
    if (g_pGuiManager == nullptr)
        return;
    g_pGuiManager->ShowMessageBox(
        guiDisplayBox::TextMarkup(kNoVenueStart, "The course \"" + courseFile + kNoVenueText), kProductTitle,
        MessageBoxWindow::kOk);
    // Back to the hub, where every way into a course starts, with its music.
    if (guiWindow* hub = g_pGuiManager->FindWindow(kCareerWindow))
    {
        g_pGuiManager->ActivateWindow(hub);
        g_pGuiManager->BringToFront(hub);
    }
    QueueThemeMusic(true);
}

void Tarvolin::DeleteCourseWorld()
{
    auto* world = dynamic_cast<tvWorld*>(GetCurrentWorld());
    if (world == nullptr)
        return;
    // The scene list's reference is not released: the world is deleted here, not through its count.
    if (m_GraphicsManager != nullptr)
        m_GraphicsManager->DetachSceneObject(world);
    delete world;
    SetCurrentWorld(nullptr);
}
