#include "editor/MapEditorWindow.h"

#include "editor/EditorCamera.h"
#include "editor/EditorHost.h"
#include "editor/EditorPropertiesWindow.h"
#include "editor/EnvironmentCommands.h"
#include "editor/SaveLoadWindow.h"
#include "editor/WindowNames.h"

#include "engine/core/Wizard.h"
#include "engine/core/kaClock.h"
#include "engine/core/kaColor.h"
#include "engine/core/kaInitData.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaStringUtils.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiDropDown.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiGroup.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiWidgetLookup.h"
#include "engine/model/kaBoundingBox.h"
#include "engine/model/kaModel.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaArena.h"
#include "engine/scene/kaCollideInfo.h"
#include "engine/scene/kaEntityEditorModel.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaEntityPhysical.h"
#include "engine/scene/kaPropertyRecord.h"
#include "engine/scene/kaSkyBoxBase.h"
#include "engine/scene/kaSunBase.h"
#include "engine/scene/kaTerrainBase.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/Road.h"
#include "engine/terrain/TerrainMarker.h"
#include "engine/terrain/kaDraggableDecal.h"
#include "engine/terrain/kaDraggableDecalManager.h"
#include "engine/terrain/kaEntityWaterPlane.h"
#include "engine/terrain/kaTerrain.h"

#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Quaternion.h"
#include "platform/window/WindowConstants.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <set>

using namespace platform;

namespace
{

constexpr const char* kInGameMenu = windowNames::kInGameMenu;
constexpr const char* kSaveWorldMenu = windowNames::kSaveWorld;
constexpr const char* kCareerWindow = windowNames::kCareer;
constexpr int32_t kSaveFirst = 4;
constexpr int32_t kCancelled = 2;
constexpr int32_t kDone = 1;

// Rows of the menus that need a world.
const char* const kWorldFileRows[] = {"Save World (ctrl + s)", "Save World As..."};
const char* const kWorldToolRows[] = {
    "Create New Terrain...",
    "Import Height Map...",
    "Add Terrain Layer...",
    "Remove Terrain Layer...",
    "Add Draggable Decal...",
    "Remove Draggable Decal...",
    "Flatten Decal's Terrain...",
    "Add Water Plane...",
    "Add Skybox...",
    "Add Sun...",
    "Add Flare Layer...",
    "Remove Flare Layer...",
};
const char* const kWorldPropertyRows[] = {"Course", "World", "Terrain", "Skybox", "Sun"};
constexpr const char* kSelectedEntityRow = "Selected Entity";
constexpr const char* kNewRow = "New";
constexpr const char* kLoadRow = "Load World...";
constexpr const char* kSaveRow = "Save World (ctrl + s)";
constexpr const char* kSaveAsRow = "Save World As...";
constexpr const char* kExitRow = "Exit Editor";
constexpr const char* kWorldRow = "World";
constexpr const char* kTerrainRow = "Terrain";
constexpr const char* kSkyboxRow = "Skybox";
constexpr const char* kSunRow = "Sun";
const char* const kFileRows[] = {kNewRow, kLoadRow, kSaveRow, kSaveAsRow, kExitRow};
const char* const kPropertyRows[] = {kWorldRow, kTerrainRow, kSkyboxRow, kSunRow, kSelectedEntityRow};

// What a value was before the sheet opened, by label.
using ValueRows = std::vector<std::pair<std::string, std::string>>;

ValueRows Values(const kaPropertyList& list)
{
    ValueRows rows;
    for (const auto& record : list)
        if (record)
            rows.emplace_back(record->m_Label, record->m_Value);
    return rows;
}

// Whether the glyph is the other one or lies inside it.
bool Holds(const guiGlyph* outer, const guiGlyph* glyph)
{
    for (; glyph != nullptr; glyph = glyph->GetParent())
        if (glyph == outer)
            return true;
    return false;
}

bool Converts(const std::string& text, bool number)
{
    try
    {
        if (number)
            ka::lexical_cast<float>(text);
        else
            ka::lexical_cast<bool>(text);
        return true;
    }
    catch (const ka::bad_lexical_cast&)
    {
        return false;
    }
}

// The edited row whose new text no longer reads as the kind of value it held; failing that, the first
// row edited. Null when no row changed.
const kaPropertyRecord* BadRow(const ValueRows& before, const kaPropertyList& edited)
{
    const kaPropertyRecord* firstChanged = nullptr;
    for (const auto& record : edited)
    {
        if (!record)
            continue;
        for (const auto& row : before)
        {
            if (row.first != record->m_Label || row.second == record->m_Value)
                continue;
            if (firstChanged == nullptr)
                firstChanged = record.Get();
            for (const bool number : {true, false})
                if (Converts(row.second, number) && !Converts(record->m_Value, number))
                    return record.Get();
        }
    }
    return firstChanged;
}

bool IsUntitled(const std::string& name)
{
    return name == "untitled" || name == "*untitled" || name == "untitled.xml" || name == "*untitled.xml";
}

std::string WithoutMark(std::string name)
{
    const std::string::size_type mark = name.find(MapEditorWindow::kDirtyMark);
    if (mark != std::string::npos)
        name.erase(mark, 1);
    return name;
}

std::string WithExtension(std::string name)
{
    if (name.find(MapEditorWindow::kExtension) == std::string::npos)
        name += MapEditorWindow::kExtension;
    return name;
}

kaDraggableDecalManager* Decals()
{
    return kaDraggableDecalManager::GetSingleton();
}

// Keeps the debug lines off the screen while a dialog is up.
class DebugDrawingPause
{
public:
    DebugDrawingPause()
    {
        if (g_pGraphicsManager != nullptr)
        {
            g_pGraphicsManager->SetDebugDrawing(false);
        }
    }
    ~DebugDrawingPause()
    {
        if (g_pGraphicsManager != nullptr)
            g_pGraphicsManager->SetDebugDrawing(true);
    }
};

} // namespace

MapEditorWindow::MapEditorWindow(const std::string& layoutFile, EditorHost* host)
    : guiWindow(layoutFile), m_Host(host)
{
    m_HeightInc = guiWidgetLookup::Find<guiButton>(*this, "HeightInc Button");
    if (m_HeightInc != nullptr)
        m_HeightInc->SetVisible(false);
    m_HeightDec = guiWidgetLookup::Find<guiButton>(*this, "HeightDec Button");
    if (m_HeightDec != nullptr)
        m_HeightDec->SetVisible(false);
    m_HeightLabel = guiWidgetLookup::Find<guiTextBox>(*this, "Height Label");
    if (m_HeightLabel != nullptr)
        m_HeightLabel->SetVisible(false);
    m_TopView = guiWidgetLookup::Find<guiButton>(*this, "Top View");
    m_PerspectiveView = guiWidgetLookup::Find<guiButton>(*this, "Perspective View");
    m_ZoomSelected = guiWidgetLookup::Find<guiButton>(*this, "Zoom Selected");
    m_FileName = guiWidgetLookup::Find<guiTextBox>(*this, "filename");
    m_FileButton = guiWidgetLookup::Find<guiButton>(*this, "file button");
    m_FileMenu = guiWidgetLookup::Find<guiListBox>(*this, "file menu");
    m_DecalDropDown = guiWidgetLookup::Find<guiDropDown>(*this, "draggable dropdown");
    m_FileMenuGroup = guiWidgetLookup::Find<guiGroup>(*this, "file menu group");
    m_HideAllGroup = guiWidgetLookup::Find<guiGroup>(*this, "hide all group");
    m_ToolsButton = guiWidgetLookup::Find<guiButton>(*this, "tools button");
    m_ToolsMenu = guiWidgetLookup::Find<guiListBox>(*this, "tools menu");
    m_ToolsMenuGroup = guiWidgetLookup::Find<guiGroup>(*this, "tools menu group");
    m_PropertiesButton = guiWidgetLookup::Find<guiButton>(*this, "properties button");
    m_PropertiesMenu = guiWidgetLookup::Find<guiListBox>(*this, "properties menu");
    m_PropertiesMenuGroup = guiWidgetLookup::Find<guiGroup>(*this, "properties menu group");
    m_TopToolbar = guiWidgetLookup::Find<guiGroup>(*this, "top toolbar");
    m_BuildLeftGroup = guiWidgetLookup::Find<guiGroup>(*this, "build left group");
    m_CategoryDropDown = guiWidgetLookup::Find<guiDropDown>(*this, "entity category dropdown");
    m_Palette = guiWidgetLookup::Find<guiGrid>(*this, "structure selection grid");

    if (m_HeightInc != nullptr)
        m_HeightInc->SetOnClick(
            [this](int)
            {
                MoveDecalHeight(kHeightStep);
                return true;
            });
    if (m_HeightDec != nullptr)
        m_HeightDec->SetOnClick(
            [this](int)
            {
                MoveDecalHeight(-kHeightStep);
                return true;
            });
    if (m_TopView != nullptr)
        m_TopView->SetOnClick(
            [this](int)
            {
                m_Camera->SetMode(EditorCamera::kTopView);
                return true;
            });
    if (m_PerspectiveView != nullptr)
        m_PerspectiveView->SetOnClick(
            [this](int)
            {
                m_Camera->SetMode(EditorCamera::kPerspectiveView);
                return true;
            });
    if (m_ZoomSelected != nullptr)
        m_ZoomSelected->SetOnClick(
            [this](int)
            {
                if (m_HighlightedEntity != nullptr)
                    m_Camera->ZoomToEntity(m_HighlightedEntity);
                return true;
            });
    const struct
    {
        guiButton* button;
        guiGroup* group;
        guiListBox* list;
    } menus[] = {
        {m_FileButton, m_FileMenuGroup, m_FileMenu},
        {m_ToolsButton, m_ToolsMenuGroup, m_ToolsMenu},
        {m_PropertiesButton, m_PropertiesMenuGroup, m_PropertiesMenu},
    };
    for (const auto& menu : menus)
    {
        if (menu.button != nullptr)
        {
            menu.button->SetClickSound(false);
            guiGroup* group = menu.group;
            guiListBox* list = menu.list;
            menu.button->SetOnClick(
                [this, group, list](int)
                {
                    _ShowMenu(group, list);
                    return true;
                });
        }
        if (menu.group != nullptr)
            menu.group->SetVisible(false);
        if (menu.list != nullptr)
            menu.list->AddHandler(gui::kEventCellSelected,
                                  [this, list = menu.list](const guiMsgEvent&)
                                  {
                                      if (list == m_FileMenu)
                                          _OnFileMenu();
                                      else if (list == m_ToolsMenu)
                                          OnToolsMenu();
                                      else
                                          OnPropertiesMenu();
                                      return true;
                                  });
        if (menu.list != nullptr)
            menu.list->AddHandler(gui::kEventFocusChanged,
                                  [this](const guiMsgEvent& event)
                                  {
                                      if (event.text == "0")
                                          _CloseMenus();
                                      return true;
                                  });
    }
    if (m_DecalDropDown != nullptr)
    {
        m_DecalDropDown->SetVisible(false);
        m_DecalDropDown->AddItem(kRoadItem, ka::any());
        m_DecalDropDown->AddItem(kMarkerItem, ka::any());
    }
    if (m_BuildLeftGroup != nullptr)
        m_BuildLeftGroup->SetVisible(false);
    if (m_CategoryDropDown != nullptr)
        m_CategoryDropDown->AddHandler(gui::kEventValueChanged,
                                       [this](const guiMsgEvent&)
                                       {
                                           LoadEntityPalette();
                                           return true;
                                       });
    if (m_Palette != nullptr)
        m_Palette->AddHandler(gui::kEventCellSelected,
                              [this](const guiMsgEvent&)
                              {
                                  PlaceEntity();
                                  return true;
                              });
    m_Camera = new EditorCamera();
}

MapEditorWindow::~MapEditorWindow()
{
    _DropWorld();
    delete m_Camera;
}

void MapEditorWindow::_ReplaceCamera(EditorCamera* camera)
{
    if (m_World != nullptr && m_World->GetCamera() == m_Camera)
        m_World->SetCamera(camera);
    delete m_Camera;
    m_Camera = camera;
    if (m_World != nullptr)
        m_Camera->SetWorld(m_World);
}

void MapEditorWindow::CloseWorld()
{
    _DropWorld();
}

EnvironmentCommands* MapEditorWindow::_Environment()
{
    if (g_pGuiManager == nullptr)
        return nullptr;
    if (!m_Environment)
    {
        EnvironmentCommands::Hooks hooks;
        hooks.setSaved = [this](bool saved) { SetSaved(saved); };
        hooks.makeCurrent = [this](kaWorld& world)
        {
            if (m_Host != nullptr)
                m_Host->SetCurrentWorld(&world);
        };
        hooks.refreshSelection = [this](int32_t present) { RefreshSelection(present != 0); };
        m_Environment = std::make_unique<EnvironmentCommands>(*g_pGuiManager, hooks);
    }
    m_Environment->SetWorld(m_World);
    return m_Environment.get();
}

// ---- Names and the saved state ----

void MapEditorWindow::SetSaved(bool saved)
{
    if (saved != m_Saved)
    {
        m_Saved = saved;
        m_WorldName = ToLower(m_WorldName);
        if (saved)
            m_WorldName = WithoutMark(m_WorldName);
        else if (m_WorldName.find(kDirtyMark) == std::string::npos)
            m_WorldName = kDirtyMark + m_WorldName;
    }
    _ShowName();
}

void MapEditorWindow::_ShowName()
{
    if (m_FileName != nullptr)
        m_FileName->SetText(m_WorldName);
}

// ---- The world ----

void MapEditorWindow::_Install(kaWorld* world)
{
    m_World = world;
    if (m_Host != nullptr)
        m_Host->SetCurrentWorld(world);
    if (kaDraggableDecalManager* decals = Decals())
        decals->SetWorld(world);
}

void MapEditorWindow::_ShowNoWorld()
{
    RefreshSelection(false);
    m_WorldName = kNoWorld;
    m_Saved = true;
    _ShowName();
}

void MapEditorWindow::_DropWorld()
{
    if (m_World == nullptr)
        return;
    ShowSelectedEntityProperties(nullptr, nullptr);
    kaWorld* world = m_World;
    _Install(nullptr);
    if (kaDraggableDecalManager* decals = Decals())
        decals->SetSelectedDecal(nullptr);
    if (world->GetCamera() == m_Camera)
        world->SetCamera(nullptr);
    // The renderer's reference, when it still holds the world, then the editor's own, which destroys it.
    if (g_pGraphicsManager != nullptr && g_pGraphicsManager->DetachSceneObject(world))
        world->Release();
    world->Release();
    _ClearGestures();
}

void MapEditorWindow::_Draw(kaWorld* world)
{
    // The editor keeps a reference of its own: the renderer may let go of its roots before the editor goes.
    world->AddRef();
    if (g_pGraphicsManager != nullptr)
        g_pGraphicsManager->AddSceneObject(world, true);
}

kaWorld* MapEditorWindow::ShowWorldSetup(bool showDialog)
{
    if (!showDialog)
        return new kaWorld();
    EnvironmentCommands* commands = _Environment();
    if (commands == nullptr)
        return nullptr;
    auto* world = new kaWorld();
    if (!commands->SetUpTerrain(*world))
    {
        delete world;
        return nullptr;
    }
    world->InitializeEntities();
    m_Camera->SetWorld(world);
    return world;
}

void MapEditorWindow::LoadWorld(const std::string& path)
{
    _DropWorld();
    kaWorld* world = ShowWorldSetup(false);
    if (world == nullptr)
        return;
    world->SetCamera(m_Camera);
    m_Camera->SetWorld(world);
    _Install(world);
    _Draw(world);
    world->ResetPathGrid();
    world->LoadFile(path, false);
    world->InitializeEntities();
    world->SetCamera(m_Camera);
    RefreshSelection(true);
    m_WorldName = GetFileName(path);
    const std::size_t cut = path.find_last_of("/\\");
    m_WorldFolder = cut == std::string::npos ? std::string(kWorldFolder) : path.substr(0, cut);
    _ShowName();
    m_Camera->SetWorld(world);
}

int32_t MapEditorWindow::_ShowModal(const std::string& windowName)
{
    guiWindow* window = g_pGuiManager != nullptr ? g_pGuiManager->FindWindow(windowName) : nullptr;
    if (window == nullptr)
        return 0;
    const DebugDrawingPause pause;
    return g_pGuiManager->ShowWindow(window, true);
}

void MapEditorWindow::LoadWorldDialog()
{
    guiWindow* window =
        g_pGuiManager != nullptr ? g_pGuiManager->FindWindow(SaveLoadWindow::kWindowName) : nullptr;
    auto* dialog = window != nullptr ? window->DynamicCast<SaveLoadWindow>() : nullptr;
    if (dialog == nullptr)
        return;
    // Unsaved work is offered a save first; going on needs the save to have worked.
    if (m_World != nullptr && !m_Saved)
    {
        const int32_t answer = _ShowModal(kSaveWorldMenu);
        if (answer == kCancelled)
            return;
        if (answer == kSaveFirst && SaveWorld() != kDone)
            return;
    }
    dialog->SetBackground(kLoadCaption);
    dialog->SetFolder(kWorldFolder);
    dialog->SetRowsWithFolder(true);
    dialog->SetMode(SaveLoadWindow::kLoad);
    int32_t result = 0;
    {
        const DebugDrawingPause pause;
        result = g_pGuiManager->ShowWindow(dialog, true);
    }
    if (result != SaveLoadWindow::kResultOk)
        return;
    const std::string path = dialog->GetSelectedPath();
    if (!path.empty())
        LoadWorld(path + kExtension);
}

void MapEditorWindow::StartNewWorld()
{
    if (m_World != nullptr)
    {
        const int32_t answer = _ShowModal(kSaveWorldMenu);
        if (answer == kCancelled)
            return;
        // A save that failed or was cancelled keeps the world.
        if (answer == kSaveFirst && SaveWorld() != kDone)
            return;
        _DropWorld();
    }
    kaWorld* world = ShowWorldSetup(true);
    if (world == nullptr)
    {
        // The old world is gone: the editor says so, as when it opened without one.
        _ShowNoWorld();
        return;
    }
    world->SetCamera(m_Camera);
    RefreshSelection(true);
    // The name first: marking unsaved then puts the mark in front of it.
    m_WorldName = kUntitled;
    m_WorldFolder = kWorldFolder;
    m_Saved = true;
    SetSaved(false);
    _Install(world);
    _Draw(world);
    OnMenu(true);
    m_Camera->SetWorld(world);
}

int32_t MapEditorWindow::SaveWorld()
{
    if (IsUntitled(m_WorldName))
        return SaveWorldAs();
    if (m_World == nullptr)
        return 0;
    m_WorldName = WithoutMark(m_WorldName);
    const std::string path = m_WorldFolder + "\\" + WithExtension(m_WorldName);
    const bool written = m_World->SaveFile(path, false);
    if (!written && g_pGuiManager != nullptr)
    {
        const DebugDrawingPause pause;
        g_pGuiManager->ShowMessageBox(kWriteFailedText, _WriteFailureCaption(), MessageBoxWindow::kOk);
    }
    // The mark went with the name: the state must be put back to match it.
    m_Saved = true;
    SetSaved(written);
    return written ? kDone : 0;
}

int32_t MapEditorWindow::SaveWorldAs()
{
    guiWindow* window =
        g_pGuiManager != nullptr ? g_pGuiManager->FindWindow(SaveLoadWindow::kWindowName) : nullptr;
    auto* dialog = window != nullptr ? window->DynamicCast<SaveLoadWindow>() : nullptr;
    if (dialog == nullptr || dialog->GetFileNameBox() == nullptr)
        return 0;
    dialog->SetBackground(kSaveAsCaption);
    dialog->SetFolder(kWorldFolder);
    dialog->SetMode(SaveLoadWindow::kSave);
    dialog->GetFileNameBox()->SetText(WithoutMark(m_WorldName));
    int32_t result = 0;
    {
        const DebugDrawingPause pause;
        result = g_pGuiManager->ShowWindow(dialog, true);
    }
    if (result != SaveLoadWindow::kResultOk)
        return result;
    const std::string typed = ToLower(dialog->GetFileName());
    // A refused name leaves the previous one, so that a later save cannot write it.
    std::string refusal;
    if (typed.empty() || typed == kExtension)
        refusal = kEmptyNameText;
    else if (typed.find_first_of(kRefusedCharacters) != std::string::npos)
        refusal = kRefusedText;
    if (!refusal.empty())
    {
        const DebugDrawingPause pause;
        g_pGuiManager->ShowMessageBox(refusal, kMessageCaption, MessageBoxWindow::kOk);
        return kCancelled;
    }
    const std::string previous = m_WorldName;
    const std::string previousFolder = m_WorldFolder;
    m_WorldName = WithExtension(typed);
    // The dialog lists the worlds folder: the new name is saved there.
    m_WorldFolder = kWorldFolder;
    if (SaveWorld() == 0)
    {
        // Not written under the new name: the world keeps the one it had, still unsaved.
        m_WorldName = previous;
        m_WorldFolder = previousFolder;
        _ShowName();
        return kCancelled;
    }
    SetSaved(true);
    return result;
}

void MapEditorWindow::ExitEditor()
{
    if (m_World != nullptr && !m_Saved)
    {
        SaveWorld();
        _ShowModal(kInGameMenu);
        return;
    }
    if (m_World != nullptr && _ShowModal(kInGameMenu) != kDone)
        return;
    if (m_World != nullptr)
        RefreshSelection(false);
    _DropWorld();
    if (g_pGuiManager != nullptr)
        g_pGuiManager->SwitchWindowByName(kCareerWindow, this, kDone, true);
    if (m_Host != nullptr)
        m_Host->OnEditorLeft();
}

// ---- Selection and menus ----

void MapEditorWindow::RefreshSelection(bool worldPresent)
{
    OnMenu(worldPresent);
}

void MapEditorWindow::_SetSelectable(guiListBox* list, const char* row, bool selectable)
{
    if (list == nullptr)
        return;
    const int32_t at = list->FindRow(row, 0);
    if (at >= 0)
        list->SetCellSelectable(at, 0, selectable);
}

void MapEditorWindow::OnMenu(bool enable)
{
    for (const char* row : kWorldFileRows)
        _SetSelectable(m_FileMenu, row, enable);
    for (const char* row : kWorldToolRows)
        _SetSelectable(m_ToolsMenu, row, enable);
    if (!enable)
        _SetSelectable(m_ToolsMenu, kSelectedEntityRow, false);
    for (const char* row : kWorldPropertyRows)
        _SetSelectable(m_ToolsMenu, row, enable);
    m_BuildMode = enable ? 1 : 0;
    if (m_BuildLeftGroup != nullptr)
        m_BuildLeftGroup->SetVisible(enable);
    if (m_TopToolbar != nullptr)
    {
        // Without a world the toolbar's tools go, but not the file menu's button: "New" and "Load World..."
        // are how a world comes.
        m_TopToolbar->SetVisible(enable || Holds(m_TopToolbar, m_FileButton));
        for (int child = 0; child < m_TopToolbar->GetChildCount(); ++child)
            if (guiGlyph* glyph = m_TopToolbar->GetChild(child))
                glyph->SetVisible(enable || Holds(glyph, m_FileButton));
    }
}

void MapEditorWindow::ShowSelectedEntityProperties(kaEntity* entity, const kaCollideInfo* hit)
{
    _SetSelectable(m_PropertiesMenu, kSelectedEntityRow, entity != nullptr);
    if (m_HighlightedEntity != nullptr)
        m_HighlightedEntity->SetSelected(false, nullptr);
    m_HighlightedEntity = dynamic_cast<kaEntityModel*>(entity);
    if (m_HighlightedEntity != nullptr)
        m_HighlightedEntity->SetSelected(true, hit);
    _SetSelectable(m_PropertiesMenu, kSelectedEntityRow, true);
    // Where the tools menu offers the selected entity's properties, the row is there only with one.
    _SetSelectable(m_ToolsMenu, kSelectedEntityRow, m_HighlightedEntity != nullptr);
}

void MapEditorWindow::DeselectDecal()
{
    if (kaDraggableDecalManager* decals = Decals())
        decals->SetSelectedDecal(nullptr);
}

bool MapEditorWindow::ToggleHideAll()
{
    if (m_HideAllGroup == nullptr)
        return false;
    m_HideAllGroup->SetVisible(!m_HideAllGroup->IsVisible());
    return m_HideAllGroup->IsVisible();
}

void MapEditorWindow::DeleteHighlightedEntity()
{
    if (m_HighlightedEntity == nullptr || m_World == nullptr)
        return;
    kaEntity* entity = m_HighlightedEntity;
    ShowSelectedEntityProperties(nullptr, nullptr);
    m_World->DeleteEntity(entity, false);
    SetSaved(false);
}

void MapEditorWindow::_ShowMenu(guiGroup* group, guiListBox* list)
{
    if (group != nullptr)
        group->SetVisible(true);
    if (list != nullptr)
        SetFocus(list);
}

void MapEditorWindow::BuildMenus()
{
    const struct
    {
        guiListBox* list;
        const char* const* rows;
        std::size_t count;
    } menus[] = {
        {m_FileMenu, kFileRows, std::size(kFileRows)},
        {m_ToolsMenu, kWorldToolRows, std::size(kWorldToolRows)},
        {m_PropertiesMenu, kPropertyRows, std::size(kPropertyRows)},
    };
    for (const auto& menu : menus)
        _FillMenu(menu.list, std::vector<const char*>(menu.rows, menu.rows + menu.count));
}

void MapEditorWindow::_FillMenu(guiListBox* list, const std::vector<const char*>& rows)
{
    if (list == nullptr)
        return;
    for (const char* row : rows)
        list->AddRow(row, ka::any());
    list->SetDisabledColor(kaColor::kaColorClamped(0.5f, 0.5f, 0.5f, 1.0f));
    // Nothing is chosen until the player picks a row.
    list->ClearSelection(false);
}

void MapEditorWindow::_OnFileMenu()
{
    if (m_FileMenuGroup != nullptr)
        m_FileMenuGroup->SetVisible(false);
    const std::string row = m_FileMenu != nullptr ? m_FileMenu->GetSelectedText() : std::string();
    if (row == kNewRow)
        StartNewWorld();
    else if (row == kLoadRow)
        LoadWorldDialog();
    else if (row == kSaveRow)
        SaveWorld();
    else if (row == kSaveAsRow)
        SaveWorldAs();
    else if (row == kExitRow)
        ExitEditor();
}

void MapEditorWindow::OnToolsMenu()
{
    if (m_ToolsMenuGroup != nullptr)
        m_ToolsMenuGroup->SetVisible(false);
    const std::string row = m_ToolsMenu != nullptr ? m_ToolsMenu->GetSelectedText() : std::string();
    using Command = void (MapEditorWindow::*)();
    static const std::pair<const char*, Command> kCommands[] = {
        {"Create New Terrain...", &MapEditorWindow::CreateNewTerrain},
        {"Import Height Map...", &MapEditorWindow::ImportHeightMap},
        {"Add Terrain Layer...", &MapEditorWindow::AddTerrainLayer},
        {"Remove Terrain Layer...", &MapEditorWindow::RemoveTerrainLayer},
        {"Add Draggable Decal...", &MapEditorWindow::StartDecal},
        {"Remove Draggable Decal...", &MapEditorWindow::RemoveSelectedDecal},
        {"Flatten Decal's Terrain...", &MapEditorWindow::FlattenSelectedDecal},
        {"Add Water Plane...", &MapEditorWindow::AddWaterPlane},
        {"Add Skybox...", &MapEditorWindow::AddSkybox},
        {"Add Sun...", &MapEditorWindow::AddSun},
        {"Add Flare Layer...", &MapEditorWindow::AddFlareLayer},
        {"Remove Flare Layer...", &MapEditorWindow::RemoveFlareLayer},
        {kWorldRow, &MapEditorWindow::ShowWorldProperties},
    };
    for (const auto& command : kCommands)
        if (row == command.first)
        {
            (this->*command.second)();
            return;
        }
    if (row == kTerrainRow && m_World != nullptr)
        ShowEntityProperties(m_World->GetTerrain());
    else if (row == kSkyboxRow && m_World != nullptr)
        ShowEntityProperties(m_World->GetSkyBox());
    else if (row == kSunRow && m_World != nullptr)
        ShowEntityProperties(m_World->GetSun());
    else if (row == kSelectedEntityRow)
        ShowEntityProperties(m_HighlightedEntity);
}

void MapEditorWindow::OnPropertiesMenu()
{
    if (m_PropertiesMenuGroup != nullptr)
        m_PropertiesMenuGroup->SetVisible(false);
    const std::string row = m_PropertiesMenu != nullptr ? m_PropertiesMenu->GetSelectedText() : std::string();
    if (row == kWorldRow)
        ShowWorldProperties();
    else if (row == kTerrainRow && m_World != nullptr)
        ShowEntityProperties(m_World->GetTerrain());
    else if (row == kSkyboxRow && m_World != nullptr)
        ShowEntityProperties(m_World->GetSkyBox());
    else if (row == kSunRow && m_World != nullptr)
        ShowEntityProperties(m_World->GetSun());
    else if (row == kSelectedEntityRow)
        ShowEntityProperties(m_HighlightedEntity);
}

// ---- Commands ----

void MapEditorWindow::CreateNewTerrain()
{
    if (EnvironmentCommands* commands = _Environment())
        commands->CreateNewTerrain();
}

void MapEditorWindow::ImportHeightMap()
{
    if (EnvironmentCommands* commands = _Environment())
        commands->ImportHeightMap();
}

void MapEditorWindow::AddTerrainLayer()
{
    if (EnvironmentCommands* commands = _Environment())
        commands->AddTerrainLayer();
}

void MapEditorWindow::RemoveTerrainLayer()
{
    if (EnvironmentCommands* commands = _Environment())
        commands->RemoveTerrainLayer();
}

void MapEditorWindow::AddSkybox()
{
    if (EnvironmentCommands* commands = _Environment())
        commands->AddSkybox();
}

void MapEditorWindow::AddSun()
{
    if (EnvironmentCommands* commands = _Environment())
        commands->AddSun();
}

void MapEditorWindow::AddFlareLayer()
{
    if (EnvironmentCommands* commands = _Environment())
        commands->AddFlareLayer();
}

void MapEditorWindow::RemoveFlareLayer()
{
    if (EnvironmentCommands* commands = _Environment())
        commands->RemoveFlareLayer();
}

void MapEditorWindow::StartDecal()
{
    kaDraggableDecalManager* decals = Decals();
    if (m_World == nullptr || decals == nullptr)
        return;
    if (m_DecalDropDown != nullptr)
        m_DecalDropDown->SetVisible(true);
    decals->SetMode(kaDraggableDecalManager::kModeLay);
    for (guiWidget* widget : {static_cast<guiWidget*>(m_HeightInc), static_cast<guiWidget*>(m_HeightDec),
                              static_cast<guiWidget*>(m_HeightLabel)})
        if (widget != nullptr)
            widget->SetVisible(true);
}

void MapEditorWindow::RemoveSelectedDecal()
{
    kaDraggableDecalManager* decals = Decals();
    kaDraggableDecal* decal = decals != nullptr ? decals->GetSelectedDecal() : nullptr;
    if (m_World == nullptr || decal == nullptr)
        return;
    decals->SetSelectedDecal(nullptr);
    if (static_cast<kaEntity*>(m_HighlightedEntity) == static_cast<kaEntity*>(decal))
        ShowSelectedEntityProperties(nullptr, nullptr);
    // One not laid yet belongs to nobody but the manager's selection.
    if (decal->GetWorld() == m_World)
        m_World->DeleteEntity(decal, false);
    else
        delete decal;
    SetSaved(false);
}

void MapEditorWindow::FlattenSelectedDecal()
{
    kaDraggableDecalManager* decals = Decals();
    kaDraggableDecal* decal = decals != nullptr ? decals->GetSelectedDecal() : nullptr;
    if (m_World == nullptr || decal == nullptr)
        return;
    decal->FlattenTerrain(kaDraggableDecal::kOwnHeight);
    SetSaved(false);
}

void MapEditorWindow::AddWaterPlane()
{
    kaTerrainBase* terrain = m_World != nullptr ? m_World->GetTerrain() : nullptr;
    if (terrain == nullptr)
        return;
    auto* water = new kaEntityWaterPlane();
    water->SetEffectFile(kWaterEffect);
    water->Build(terrain->GetWidth(), terrain->GetLength());
    m_World->SetWaterPlane(water);
    water->Initialize();
    SetSaved(false);
}

bool MapEditorWindow::_EditProperties(const std::string& title, const kaPropertyList& list,
                                      const std::function<bool(const kaPropertyList&)>& apply)
{
    guiWindow* window =
        g_pGuiManager != nullptr ? g_pGuiManager->FindWindow(EditorPropertiesWindow::kWindowName) : nullptr;
    auto* sheet = dynamic_cast<EditorPropertiesWindow*>(window);
    if (sheet == nullptr)
        return false;
    const ValueRows before = Values(list);
    sheet->SetTitle(title);
    sheet->SetPropertyList(list);
    const DebugDrawingPause pause;
    while (g_pGuiManager->ShowWindow(sheet, true) == kDone)
    {
        const kaPropertyList edited = sheet->GetPropertyList();
        try
        {
            return apply(edited);
        }
        catch (const ka::bad_lexical_cast&)
        {
            SetSaved(false);
            const kaPropertyRecord* bad = BadRow(before, edited);
            std::string text = std::string(kValueMessageStart) + "The value ";
            text += bad != nullptr ? "\"" + bad->m_Value + "\" of " + bad->m_Label : std::string("typed");
            text += " could not be read.</text>";
            g_pGuiManager->ShowMessageBox(text, kMessageCaption, MessageBoxWindow::kOk);
        }
    }
    return false;
}

void MapEditorWindow::ShowWorldProperties()
{
    if (m_World == nullptr)
        return;
    kaWorld* world = m_World;
    if (_EditProperties(kWorldPropertiesTitle, world->GetPropertyList(),
                        [world](const kaPropertyList& list) { return world->SetPropertyList(list); }))
        SetSaved(false);
}

void MapEditorWindow::ShowEntityProperties(kaEntity* entity)
{
    if (entity == nullptr)
        return;
    // An editor model answers with the class it stands for.
    const std::string title = entity->GetClassName() + kPropertiesSuffix;
    if (!_EditProperties(title, entity->GetPropertyList(),
                         [entity](const kaPropertyList& list) { return entity->SetPropertyList(list); }))
        return;
    SetSaved(false);
    if (auto* stand = dynamic_cast<kaEntityEditorModel*>(entity))
        if (stand->GetModel() != nullptr)
            stand->GetModel()->PlayAnimation("default", true, 0.0f, 1.0f, 0);
}

void MapEditorWindow::_CloseMenus()
{
    for (guiGroup* group : {m_FileMenuGroup, m_ToolsMenuGroup, m_PropertiesMenuGroup})
        if (group != nullptr)
            group->SetVisible(false);
}

// ---- Decals ----

void MapEditorWindow::AddDecalFromDropdown()
{
    kaDraggableDecalManager* decals = Decals();
    if (decals == nullptr || m_DecalDropDown == nullptr)
        return;
    const std::string choice = m_DecalDropDown->GetSelectedText();
    kaDraggableDecal* decal = nullptr;
    if (choice == kRoadItem)
        decal = new Road();
    else if (choice == kMarkerItem)
        decal = new TerrainMarker();
    if (decal == nullptr)
        return;
    decals->SetSelectedDecal(decal);
    m_DecalDropDown->SetVisible(false);
    SetSaved(false);
}

void MapEditorWindow::MoveDecalHeight(float step)
{
    kaDraggableDecalManager* decals = Decals();
    kaDraggableDecal* decal = decals != nullptr ? decals->GetSelectedDecal() : nullptr;
    if (decal == nullptr)
        return;
    decal->SetPositionHeight(decal->GetPosition().y + step);
    decal->FlattenTerrain(kaDraggableDecal::kOwnHeight);
    SetSaved(false);
}

// ---- Palette ----

void MapEditorWindow::LoadEntityCategories()
{
    if (m_CategoryDropDown == nullptr)
        return;
    m_CategoryDropDown->Clear();
    const kaInitDataTable* table =
        g_pInitDataBase != nullptr ? g_pInitDataBase->GetTable(kEditorEntityType) : nullptr;
    if (table == nullptr)
        return;
    std::set<std::string> seen;
    for (const auto& record : *table)
    {
        const TiXmlElement* data = record.second ? record.second->GetData() : nullptr;
        const std::string category = GetChildElementText("Category", data);
        if (seen.insert(category).second)
            m_CategoryDropDown->AddItem(category, ka::any());
    }
}

void MapEditorWindow::LoadEntityPalette()
{
    if (m_Palette == nullptr || m_CategoryDropDown == nullptr)
        return;
    const std::string category = m_CategoryDropDown->GetSelectedText();
    m_Palette->Clear(false);
    const kaInitDataTable* table =
        g_pInitDataBase != nullptr ? g_pInitDataBase->GetTable(kEditorEntityType) : nullptr;
    if (table == nullptr)
        return;
    int32_t row = 0;
    for (const auto& record : *table)
    {
        TiXmlElement* data = record.second ? record.second->GetData() : nullptr;
        if (data == nullptr || GetChildElementText("Category", data) != category || !_Offers(data))
            continue;
        guiImageParams picture;
        picture.filename = GetChildElementText("previewPic", data);
        m_Palette->SetCell(row, 0, new guiImage(picture));
        m_Palette->SetCellData(row, 0, ka::any(static_cast<TiXmlNode*>(data)));
        ++row;
    }
}

bool MapEditorWindow::_Offers(const TiXmlElement*) const
{
    return true;
}

void MapEditorWindow::PlaceEntity()
{
    if (m_World == nullptr || m_Palette == nullptr)
        return;
    // A cell without a record places nothing.
    const ka::any value = m_Palette->GetSelectedCellData();
    TiXmlNode* const* node = ka::any_cast<TiXmlNode*>(&value);
    const TiXmlElement* data = node != nullptr && *node != nullptr ? (*node)->ToElement() : nullptr;
    if (data == nullptr)
        return;
    const std::string type = GetChildElementText("type", data);
    const std::string initId = GetChildElementText("entityInitID", data);
    std::unique_ptr<kaEntity> made = CreateEntity(type);
    kaEntity* entity = made ? made.release() : new kaEntityEditorModel(type);
    entity->SetWorld(m_World);
    if (!m_World->AddEntity(entity, entity->IsVisible(), true))
    {
        delete entity;
        return;
    }
    entity->ApplyInitData(initId);
    entity->Initialize();
    if (auto* physical = dynamic_cast<kaEntityPhysical*>(entity))
        physical->SetPinned(false);
    m_PlaceOffset = Vector3();
    m_Moving = false;
    m_Rotating = false;
    m_DragOnTerrain = true;
    ShowSelectedEntityProperties(entity, nullptr);
    entity->SetVisible(false);
    if (auto* model = dynamic_cast<kaEntityModel*>(entity))
        if (model->GetModel() != nullptr)
            model->GetModel()->PlayAnimation("default", true, 0.0f, 1.0f, 0);
    SetSaved(false);
}

// ---- Mouse and keys ----

bool MapEditorWindow::_OverWidget() const
{
    return !GetHoverChain().empty();
}

void MapEditorWindow::_ClearGestures()
{
    m_DragOnTerrain = false;
    m_Rotating = false;
    m_Moving = false;
}

bool MapEditorWindow::_PickAtCursor(float length, uint32_t flags, kaCollideInfo& hit)
{
    if (m_World == nullptr || g_pGuiManager == nullptr)
        return false;
    const kaPoint cursor = g_pGuiManager->GetCursorPosition();
    Vector3 origin;
    Vector3 direction;
    if (!m_World->GetPickRay(float(cursor.x), float(cursor.y), origin, direction))
        return false;
    return m_World->Pick(origin, origin + direction * length, &hit, flags);
}

bool MapEditorWindow::_CursorCell(int32_t& x, int32_t& z, bool& hitSomething)
{
    hitSomething = false;
    const auto* terrain =
        m_World != nullptr ? dynamic_cast<const kaTerrain*>(m_World->GetTerrain()) : nullptr;
    if (terrain == nullptr || terrain->GetCellSize() <= 0.0f)
        return false;
    kaCollideInfo hit;
    if (!_PickAtCursor(kDecalPickLength, kaWorld::kPickTerrain, hit))
        return true;
    hitSomething = true;
    x = int32_t(hit.m_Point.x / terrain->GetCellSize());
    z = int32_t(hit.m_Point.z / terrain->GetCellSize());
    return true;
}

bool MapEditorWindow::OnMouseDown(int32_t button, const gui::MouseData& data)
{
    if (m_World == nullptr || _OverWidget())
        return guiWindow::OnMouseDown(button, data);
    kaDraggableDecalManager* decals = Decals();
    if (decals != nullptr && decals->GetMode() == kaDraggableDecalManager::kModeLay)
    {
        AddDecalFromDropdown();
        const auto* terrain = dynamic_cast<const kaTerrain*>(m_World->GetTerrain());
        kaDraggableDecal* decal = decals->GetSelectedDecal();
        int32_t x = 0;
        int32_t z = 0;
        bool hit = false;
        if (decal != nullptr && terrain != nullptr && _CursorCell(x, z, hit) && hit)
        {
            m_DecalStartCell[0] = x;
            m_DecalStartCell[1] = z;
            m_DragOnTerrain = true;
            m_World->AddEntity(decal, true, true);
            decal->Initialize();
            // The last column or row has no cell beyond it: the second corner goes one back.
            const int32_t cellsWide = terrain->GetColumns() - 1;
            const int32_t cellsLong = terrain->GetRows() - 1;
            const int32_t x2 = x < cellsWide - 1 ? x + 1 : x - 1;
            const int32_t z2 = z < cellsLong - 1 ? z + 1 : z - 1;
            decal->SetRect(x, z, x2, z2);
            return true;
        }
        // A decal made for a press that found no ground is not kept: the next press makes another.
        if (decal != nullptr && decal->GetWorld() == nullptr)
        {
            decals->SetSelectedDecal(nullptr);
            delete decal;
        }
        return guiWindow::OnMouseDown(button, data);
    }

    kaCollideInfo hit;
    if (_PickAtCursor(kEntityPickLength, kaWorld::kPickTerrain | kaWorld::kPickMeshes, hit))
    {
        kaEntity* entity = hit.m_pObject;
        const bool ground = entity == nullptr || entity == m_World->GetTerrain();
        if (ground && !m_GroundPressClears)
        {
            // The game's editor: only entities select; the ground changes nothing.
        }
        else if (ground || dynamic_cast<kaArena*>(entity) != nullptr)
        {
            ShowSelectedEntityProperties(nullptr, nullptr);
        }
        else
        {
            ShowSelectedEntityProperties(entity, m_SelectWithHit ? &hit : nullptr);
            if (button == platform::kMouseLeft)
            {
                const float now = float(GetTime(4));
                if (now - m_LastClickTime < kDoubleClickTime)
                    ShowEntityProperties(entity);
                else
                    m_DragOnTerrain = true;
                m_LastClickTime = now;
            }
            else if (button == platform::kMouseRight)
            {
                m_Moving = true;
            }
            else if (button == platform::kMouseMiddle)
            {
                m_Rotating = true;
            }
        }
    }
    return guiWindow::OnMouseDown(button, data);
}

bool MapEditorWindow::OnMouseMove(const guiMsgMouse& message)
{
    if (m_World == nullptr || _OverWidget())
        return guiWindow::OnMouseMove(message);
    const gui::MouseData& data = message.data;
    const bool anyButton = data.buttons[0] || data.buttons[1] || data.buttons[2];
    kaDraggableDecalManager* decals = Decals();
    const int32_t decalMode = decals != nullptr ? decals->GetMode() : kaDraggableDecalManager::kModeIdle;

    // A placement that never found ground goes when the button is up. One still being placed (its
    // picture clicked, not yet put down) keeps following the pointer instead.
    if (m_HighlightedEntity != nullptr && !anyButton && !m_HighlightedEntity->IsVisible() && !m_DragOnTerrain)
    {
        m_World->DeleteEntity(m_HighlightedEntity, true);
        ShowSelectedEntityProperties(nullptr, nullptr);
        _ClearGestures();
        SetSaved(false);
    }

    bool handled = true;
    if (decalMode == kaDraggableDecalManager::kModeLay && m_DragOnTerrain &&
        decals->GetSelectedDecal() != nullptr)
    {
        int32_t x = 0;
        int32_t z = 0;
        bool hit = false;
        if (_CursorCell(x, z, hit) && hit)
        {
            m_DecalEndCell[0] = x + 1;
            m_DecalEndCell[1] = z + 1;
            decals->GetSelectedDecal()->SetRect(m_DecalStartCell[0], m_DecalStartCell[1], m_DecalEndCell[0],
                                                m_DecalEndCell[1]);
        }
    }
    else if (decalMode == kaDraggableDecalManager::kModeCorner && decals->GetDragDecal() != nullptr)
    {
        decals->GetDragDecal()->DragCorner(nullptr, decals->GetDragCorner());
        SetSaved(false);
    }
    else if (decalMode == kaDraggableDecalManager::kModeMove && decals->GetSelectedDecal() != nullptr)
    {
        decals->GetSelectedDecal()->DragMove(nullptr);
        SetSaved(false);
    }
    else if (m_HighlightedEntity != nullptr && m_DragOnTerrain)
    {
        kaEntityModel* entity = m_HighlightedEntity;
        // It must not find itself under the pointer.
        entity->SetCollidable(false);
        kaCollideInfo hit;
        const bool found =
            _PickAtCursor(kEntityPickLength, kaWorld::kPickTerrain | kaWorld::kPickMeshes, hit);
        entity->SetCollidable(true);
        if (!found)
        {
            entity->SetVisible(false);
        }
        else
        {
            entity->SetVisible(true);
            entity->SetPosition(hit.m_Point);
            const kaBoundingBox* box = entity->GetBoundingBox();
            const float lift = box != nullptr ? hit.m_Point.y - box->m_Min.y : 0.0f;
            entity->SetPosition(Vector3(hit.m_Point.x + m_PlaceOffset.x,
                                        hit.m_Point.y + lift + m_PlaceOffset.y,
                                        hit.m_Point.z + m_PlaceOffset.z));
            SetSaved(false);
        }
    }
    else if (m_HighlightedEntity != nullptr && data.buttons[platform::kMouseRight] && m_Moving)
    {
        kaEntityModel* entity = m_HighlightedEntity;
        const Vector3 start = entity->GetPosition();
        entity->SetPosition(start);
        const Vector3 snap = entity->GetPosition() - start;
        const float y = start.y - message.deltaY * kMoveScale;
        Matrix turn;
        MatrixRotationY(&turn, m_Camera->GetRotationAngles().y);
        Vector3 right(turn(0, 0), 0.0f, turn(0, 2));
        Vec3Normalize(&right, &right);
        entity->SetPosition(Vector3(start.x - snap.x + right.x * message.deltaX * kMoveScale, y - snap.y,
                                    start.z - snap.z + right.z * message.deltaX * kMoveScale));
        SetSaved(false);
    }
    else if (m_HighlightedEntity != nullptr && data.buttons[platform::kMouseMiddle] && m_Rotating)
    {
        kaEntityModel* entity = m_HighlightedEntity;
        const Quaternion rotation = entity->GetRotation();
        Matrix own;
        MatrixRotationQuaternion(&own, &rotation);
        Matrix turn;
        MatrixRotationY(&turn, message.deltaX * kTurnPerPixel);
        const Matrix turned = own * turn;
        Quaternion result;
        QuaternionRotationMatrix(&result, &turned);
        entity->SetRotation(result);
        SetSaved(false);
    }
    else
    {
        handled = false;
    }
    if (!handled)
        m_Camera->HandleInput(message.deltaX, message.deltaY, float(data.wheel),
                              data.buttons[platform::kMouseLeft], data.buttons[platform::kMouseMiddle]);
    return guiWindow::OnMouseMove(message);
}

bool MapEditorWindow::OnMouseUp(int32_t button, const gui::MouseData& data)
{
    kaDraggableDecalManager* decals = Decals();
    if (m_World != nullptr && !_OverWidget())
    {
        const int32_t mode = decals != nullptr ? decals->GetMode() : kaDraggableDecalManager::kModeIdle;
        if (mode == kaDraggableDecalManager::kModeLay && decals->GetSelectedDecal() != nullptr)
        {
            kaDraggableDecal* decal = decals->GetSelectedDecal();
            decal->EndDrag();
            ShowSelectedEntityProperties(decal, nullptr);
            m_DragOnTerrain = false;
            decals->SetMode(kaDraggableDecalManager::kModeIdle);
        }
        else if (mode == kaDraggableDecalManager::kModeCorner && decals->GetDragDecal() != nullptr)
        {
            decals->GetDragDecal()->EndDrag();
            decals->SetMode(kaDraggableDecalManager::kModeIdle);
        }
        else if (mode == kaDraggableDecalManager::kModeMove && decals->GetSelectedDecal() != nullptr)
        {
            decals->GetSelectedDecal()->EndDrag();
            decals->SetMode(kaDraggableDecalManager::kModeIdle);
        }
        else if (m_HighlightedEntity != nullptr && !m_HighlightedEntity->IsVisible())
        {
            m_World->DeleteEntity(m_HighlightedEntity, true);
            ShowSelectedEntityProperties(nullptr, nullptr);
            SetSaved(false);
        }
    }
    // Letting go of a palette picture leaves its entity following the pointer until it is put down.
    const bool placing = m_DragOnTerrain && _OverWidget() && m_HighlightedEntity != nullptr &&
                         !m_HighlightedEntity->IsVisible();
    _ClearGestures();
    m_DragOnTerrain = placing;
    return guiWindow::OnMouseUp(button, data);
}

bool MapEditorWindow::OnKey(const guiMsgKey& message)
{
    if (message.virtualKey != 0 && message.key == VK_ESCAPE)
    {
        ExitEditor();
        return true;
    }
    if (message.virtualKey != 0 && message.key == VK_TAB)
    {
        ToggleHideAll();
        return true;
    }
    if (message.ctrl != 0 && (message.key == 'S' || message.key == 's'))
    {
        SaveWorld();
        return true;
    }
    if (message.virtualKey != 0 && message.key == VK_DELETE)
        DeleteHighlightedEntity();
    return guiWindow::OnKey(message);
}

void MapEditorWindow::OnShow()
{
    _PrepareShow();
    LoadWorld(kDefaultWorld);
    OnMenu(true);
    LoadEntityCategories();
    LoadEntityPalette();
    if (g_pWizard != nullptr)
        g_pWizard->ResetPendingFlag();
    guiWindow::OnShow();
}

void MapEditorWindow::_PrepareShow()
{
    if (!m_MenusBuilt)
    {
        BuildMenus();
        m_MenusBuilt = true;
    }
    // Glyphs draw by their depth in the tree: the menus are lifted over the palette they drop onto.
    for (guiGroup* group : {m_FileMenuGroup, m_ToolsMenuGroup, m_PropertiesMenuGroup})
        if (group != nullptr)
            group->SetLayer(GetLayer() + kMenuLayerLift);
    m_WorldName = kNoWorld;
    m_Saved = true;
    _ShowName();
    if (m_Palette != nullptr)
    {
        m_Palette->SetPixelWidth(kPaletteShowSize);
        m_Palette->SetPixelHeight(kPaletteShowSize);
    }
    if (m_TopToolbar != nullptr && g_pGraphicsManager != nullptr)
        m_TopToolbar->SetSize(guiCoordPair::Pixels(
            float(int32_t(g_pGraphicsManager->GetPresentParameters().BackBufferWidth) - kToolbarMargin),
            float(kToolbarHeight)));
}
