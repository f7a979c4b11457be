#include "game/screens/courseeditor/tvMapEditorWindow.h"

#include "editor/EditorCamera.h"
#include "editor/EditorHost.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaColor.h"
#include "engine/core/kaInitData.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/core/kaXmlValues.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiScroller.h"
#include "engine/model/kaBoundingBox.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/scene/kaCollideInfo.h"
#include "engine/scene/kaEntityEditorModel.h"
#include "engine/scene/kaSpawnPoint.h"
#include "engine/scene/kaTerrainBase.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/kaDraggableDecalManager.h"
#include "game/app/Tarvolin.h"
#include "game/records/tvPlayer.h"
#include "game/screens/courseeditor/CourseOptions.h"
#include "game/screens/courseeditor/tvEditorCamera.h"
#include "game/world/tvWorld.h"

#include <tinyxml.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <iterator>

using kaXmlValues::FloatOrZero;

tvMapEditorWindow::tvMapEditorWindow(const std::string& layoutFile, Tarvolin* app, EditorHost* host)
    : MapEditorWindow(layoutFile, host), m_App(app)
{
    _ReplaceCamera(new tvEditorCamera());
    m_GroundPressClears = false;
    m_SelectWithHit = false;
}

tvMapEditorWindow::~tvMapEditorWindow() = default;

bool tvMapEditorWindow::OnMouseDown(int32_t button, const gui::MouseData& data)
{
    if (kaDraggableDecalManager* decals = kaDraggableDecalManager::GetSingleton())
        decals->SetMode(kaDraggableDecalManager::kModeIdle);
    return MapEditorWindow::OnMouseDown(button, data);
}

MapEditorWindow::MenuRows tvMapEditorWindow::_MenuRows(Menu menu) const
{
    static const MenuRow kToolRows[] = {
        {kCourseRow,
         [](MapEditorWindow& editor) { static_cast<tvMapEditorWindow&>(editor).ShowCourseOptions(); },
         RowNeeds::kWorld},
        {kSelectedEntityRow, _Run<&tvMapEditorWindow::_EditSelectedEntity>, RowNeeds::kSelection},
    };
    if (menu == Menu::kTools)
        return {std::begin(kToolRows), std::end(kToolRows)};
    // No properties rows; the file menu is the engine editor's.
    return menu == Menu::kProperties ? MenuRows{nullptr, nullptr} : MapEditorWindow::_MenuRows(menu);
}

void tvMapEditorWindow::OnShow()
{
    _Refresh();
    guiWindow::OnShow();
}

void tvMapEditorWindow::_Refresh()
{
    _PrepareShow();
    _ResetSaved();
    _SetWorldName(kNoWorld);
    _ShowName();
    // No world yet: the player starts with "New" or "Load World...".
    OnMenu(false);
    LoadEntityCategories();
    LoadEntityPalette();
    if (g_pWizard != nullptr)
        g_pWizard->ResetPendingFlag();
}

void tvMapEditorWindow::LoadEntityPalette()
{
    MapEditorWindow::LoadEntityPalette();
    guiGrid* palette = GetPalette();
    if (palette == nullptr)
        return;
    int32_t height = 0;
    int32_t width = 0;
    int32_t screenHeight = 0;
    if (g_pGraphicsManager != nullptr)
    {
        const auto& present = g_pGraphicsManager->GetPresentParameters();
        height = int32_t(float(present.BackBufferHeight) * kPaletteShare);
        width = int32_t(float(present.BackBufferWidth) * kPaletteShare);
        screenHeight = int32_t(present.BackBufferHeight);
    }
    if (height <= 0)
        height = kFallbackRowHeight;
    if (width <= 0)
        width = kFallbackColumnWidth;
    for (int32_t row = 0; row < int32_t(palette->GetRowCount()); ++row)
        palette->SetRowHeight(row, height);
    for (int32_t column = 0; column < int32_t(palette->GetColumnCount()); ++column)
        palette->SetColumnWidth(column, width);
    _FitPaletteFrame(*palette, width, height, screenHeight);
}

void tvMapEditorWindow::_FitPaletteFrame(guiGrid& palette, int32_t columnWidth, int32_t rowHeight,
                                         int32_t screenHeight)
{
    // The cells grow with the display, the layout does not: at a larger screen the scroll bar would cover the
    // pictures' right edge, and a fixed height would cut a cell through its name and leave the screen's foot
    // empty. The frame stands a column and the bar wide, and as many whole rows tall as fit above the foot.
    auto* scroller = dynamic_cast<guiScroller*>(palette.GetParent());
    if (scroller == nullptr)
        return;
    const kaPoint at = scroller->ToPixels(scroller->GetPosition());
    const kaPoint size = scroller->ToPixels(scroller->GetSize());
    // What decorates the frame (its border) shares the origin of what holds it, and reaches this far past
    // the frame's corner.
    guiGlyph* holder = scroller->GetParent();
    kaPoint margin(0, 0);
    for (; holder != nullptr && !holder->MovesOrigin(); holder = holder->GetParent())
    {
        const kaPoint end =
            gui::AddPixels(holder->ToPixels(holder->GetPosition()), holder->ToPixels(holder->GetSize()));
        margin =
            kaPoint(std::max(margin.x, end.x - at.x - size.x), std::max(margin.y, end.y - at.y - size.y));
    }
    const int32_t width = std::max(size.x, columnWidth + int32_t(guiScroller::kBarThickness));
    int32_t height = size.y;
    if (screenHeight > 0 && rowHeight > 0)
    {
        int64_t top = at.y;
        for (const guiGlyph* outer = holder; outer != nullptr; outer = outer->GetParent())
            if (outer->MovesOrigin())
                top += outer->ToPixels(outer->GetPosition()).y;
        const int64_t room = int64_t(screenHeight) - kPaletteFootRoom - top;
        height = int32_t(std::max<int64_t>(1, room / rowHeight) * rowHeight);
    }
    if (width != size.x || height != size.y)
    {
        scroller->SetSize(guiCoordPair::Pixels(float(width), float(height)));
        palette.SetSize(
            guiCoordPair::Pixels(float(width - int32_t(guiScroller::kBarThickness)), float(height)));
    }
    // Each group around it clips what it holds: grown as far up as one is too small.
    kaPoint reach(at.x + width + margin.x, at.y + height + margin.y);
    for (; holder != nullptr; holder = holder->GetParent())
    {
        if (!holder->MovesOrigin())
            continue;
        const kaPoint room = holder->ToPixels(holder->GetSize());
        if (room.x >= reach.x && room.y >= reach.y)
            break;
        const kaPoint grown(std::max(room.x, reach.x), std::max(room.y, reach.y));
        holder->SetSize(guiCoordPair::Pixels(float(grown.x), float(grown.y)));
        reach = gui::AddPixels(holder->ToPixels(holder->GetPosition()), grown);
    }
}

bool tvMapEditorWindow::_Offers(const TiXmlElement* data) const
{
    // What the shop sells is offered once the player has bought it.
    const std::string id = GetChildElementText("entityInitID", data);
    return m_App == nullptr || !m_App->IsLocked(id);
}

CourseOptions* tvMapEditorWindow::_Options() const
{
    guiWindow* window =
        g_pGuiManager != nullptr ? g_pGuiManager->FindWindow(CourseOptions::kWindowName) : nullptr;
    return dynamic_cast<CourseOptions*>(window);
}

kaWorld* tvMapEditorWindow::ShowWorldSetup(bool showDialog)
{
    if (!showDialog)
    {
        auto* world = new tvWorld();
        _Refresh();
        return world;
    }
    CourseOptions* options = _Options();
    if (options == nullptr)
        return nullptr;
    options->SetNewCourse(true);
    if (_ShowModal(CourseOptions::kWindowName) != gui::kModalDone)
        return nullptr;
    auto* world = new tvWorld();
    ApplyCourseOptions(*world, *options);
    _Refresh();
    return world;
}

void tvMapEditorWindow::ShowCourseOptions()
{
    CourseOptions* options = _Options();
    if (GetWorld() == nullptr || options == nullptr)
        return;
    options->SetNewCourse(false);
    if (_ShowModal(CourseOptions::kWindowName) == gui::kModalDone)
        ApplyCourseOptions(*GetWorld(), *options);
}

int32_t tvMapEditorWindow::LeadingNumber(const std::string& text)
{
    int64_t value = 0;
    for (const char c : text)
    {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            break;
        // Kept in range: a long run of digits saturates instead of overflowing.
        value = std::min<int64_t>(value * 10 + (c - '0'), INT32_MAX);
    }
    return int32_t(value);
}

int32_t tvMapEditorWindow::ParseTimeLimit(const std::string& text)
{
    std::string minutes;
    std::string seconds;
    for (const char c : text)
    {
        if (c == ':')
        {
            minutes = seconds;
            seconds.clear();
        }
        else
        {
            seconds += c;
        }
    }
    const int64_t total = int64_t(LeadingNumber(minutes)) * 60 + LeadingNumber(seconds);
    return int32_t(std::min<int64_t>(total, INT32_MAX));
}

void tvMapEditorWindow::ApplyCourseOptions(kaWorld& world, const CourseOptions& options)
{
    // "Select Name" stands for no name: saving puts the file's name in its place.
    world.SetName(options.GetCourseName());
    if (auto* course = dynamic_cast<tvWorld*>(&world))
    {
        course->SetScoreLimit(LeadingNumber(options.GetPointTarget()));
        course->SetTimeLimit(ParseTimeLimit(options.GetTimeLimit()));
    }
    if (options.IsNewCourse())
    {
        world.LoadVenue(options.GetVenue(), true);
        _SetUpEnvironment(world, options.GetVenue());
    }
    SetSaved(false);
}

void tvMapEditorWindow::_SetUpEnvironment(kaWorld& world, const std::string& venue)
{
    const kaInitData* record =
        g_pInitDataBase != nullptr ? g_pInitDataBase->Find(kVenueDataType, venue) : nullptr;
    const TiXmlElement* data = record != nullptr ? record->GetData() : nullptr;
    // A venue without its record, or a record without a sun or a sky box, leaves that part out.
    if (data == nullptr)
        return;
    if (const TiXmlElement* sun = data->FirstChildElement("Sun"))
    {
        const kaColor directional =
            kaColor::kaColorClamped(FloatOrZero(sun, "reddirectional"), FloatOrZero(sun, "greendirectional"),
                                    FloatOrZero(sun, "bluedirectional"), 1.0f);
        const kaColor ambient =
            kaColor::kaColorClamped(FloatOrZero(sun, "redambient"), FloatOrZero(sun, "greenambient"),
                                    FloatOrZero(sun, "blueambient"), 1.0f);
        world.CreateSun(GetChildElementText("texture", sun), FloatOrZero(sun, "position"),
                        FloatOrZero(sun, "axistilt"), FloatOrZero(sun, "scale"), directional, ambient);
        if (const TiXmlElement* layers = sun->FirstChildElement("lensFlareLayers"))
            for (const TiXmlElement* layer = layers->FirstChildElement("FlareLayer"); layer != nullptr;
                 layer = layer->NextSiblingElement("FlareLayer"))
                world.AddSunFlareLayer(GetChildElementText("texture", layer), FloatOrZero(layer, "length"),
                                       FloatOrZero(layer, "scale"));
    }
    if (const TiXmlElement* sky = data->FirstChildElement("Skybox"))
    {
        world.CreateSkyBox(GetChildElementText("left", sky), GetChildElementText("right", sky),
                           GetChildElementText("forward", sky), GetChildElementText("back", sky),
                           GetChildElementText("top", sky));
        for (const TiXmlElement* plane = sky->FirstChildElement("Cloudplane"); plane != nullptr;
             plane = plane->NextSiblingElement("Cloudplane"))
            world.CreateCloudPlane(GetChildElementText("texture", plane), FloatOrZero(plane, "height"),
                                   FloatOrZero(plane, "speed"));
    }
}

kaSpawnPoint* tvMapEditorWindow::AddMissingSpawnPoint(kaWorld& world)
{
    for (kaEntity* entity : world.GetEntities())
    {
        if (entity->GetName() != kaSpawnPoint::kName)
            continue;
        // An editor model standing for the class answers with that class's name.
        if (dynamic_cast<kaSpawnPoint*>(entity) != nullptr || entity->GetClassName() == kSpawnPointClass)
            return nullptr;
    }
    auto* spawn = new kaSpawnPoint();
    if (!world.AddEntity(spawn, true, true))
    {
        delete spawn;
        return nullptr;
    }
    spawn->ApplyInitData(kSpawnPointRecord);
    spawn->Initialize();

    // Under the venue's centre; without a venue box, on the ground at the terrain's centre, else at the
    // origin.
    kaEntity* venue = world.GetVenueEntity();
    const kaBoundingBox* box = venue != nullptr ? venue->GetBoundingBox() : nullptr;
    platform::Vector3 position;
    if (box != nullptr)
    {
        const platform::Vector3 centre = (box->m_Min + box->m_Max) * 0.5f;
        const platform::Vector3 start(centre.x, box->m_Max.y + kSpawnDrop, centre.z);
        const platform::Vector3 end(centre.x, -kSpawnDrop, centre.z);
        kaCollideInfo hit;
        // A ray that slips between the venue's triangles leaves it on the venue's top, not in the sky.
        position = world.Pick(start, end, &hit, kaWorld::kPickTerrain | kaWorld::kPickMeshes)
                       ? hit.m_Point
                       : platform::Vector3(centre.x, box->m_Max.y, centre.z);
    }
    else if (const kaTerrainBase* terrain = world.GetTerrain())
    {
        const float x = terrain->GetWidth() * 0.5f;
        const float z = terrain->GetLength() * 0.5f;
        position = platform::Vector3(x, world.GetGroundHeight(x, z), z);
    }
    spawn->SetPosition(position);
    return spawn;
}

void tvMapEditorWindow::_ShowLockedEntities(bool show)
{
    kaWorld* world = GetWorld();
    if (world == nullptr || m_App == nullptr)
        return;
    for (kaEntity* entity : world->GetEntities())
        if (m_App->IsShopLocked(entity->GetInitUniqueID()))
            entity->SetVisible(show);
}

int32_t tvMapEditorWindow::SaveWorld()
{
    const std::string name = GetWorldName();
    if (name == "untitled" || name == "*untitled" || name == "untitled.xml" || name == "*untitled.xml")
        return SaveWorldAs();
    kaWorld* world = GetWorld();
    // Asked before the spawn point and the shop's entities change the world.
    if (world == nullptr || !_ConfirmLeftOut())
        return gui::kModalNone;
    if (world->GetName() == kNoCourseName)
    {
        std::string fileName = name;
        const std::string::size_type mark = fileName.find(kDirtyMark);
        if (mark != std::string::npos)
            fileName.erase(mark, 1);
        world->SetName(fileName.substr(0, fileName.find(kExtension)));
    }
    AddMissingSpawnPoint(*world);
    // The file stores shop-locked entities visible; the player sees them only once bought.
    _ShowLockedEntities(true);
    const int32_t result = MapEditorWindow::SaveWorld();
    if (auto* course = dynamic_cast<tvWorld*>(GetWorld()))
        course->HideLockedEntities();
    return result;
}

void tvMapEditorWindow::ExitEditor()
{
    if (GetWorld() != nullptr && !IsSaved())
    {
        if (!_OfferSave())
            return;
    }
    else if (!_AskToLeave())
    {
        return;
    }
    _Leave();
}

void tvMapEditorWindow::_Leave()
{
    if (GetWorld() != nullptr)
        RefreshSelection(false);
    CloseWorld();
    if (m_App != nullptr)
        m_App->SetEditor(false);
    if (g_pGuiManager != nullptr)
        g_pGuiManager->SwitchWindowByName(kCareerWindow, this, gui::kModalDone, true);
    if (m_App != nullptr)
    {
        m_App->ScanWorlds(Tarvolin::kWorldsFolder);
        m_App->QueueThemeMusic(true);
    }
}
