#include "editor/MapEditorWindow.h"
#include "editor/MapEditorWindowInternal.h"

#include "editor/EditorPropertiesWindow.h"
#include "editor/EnvironmentCommands.h"

#include "engine/core/kaColor.h"
#include "engine/core/kaLexicalCast.h"
#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiDisplayBox.h"
#include "engine/gui/guiGroup.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiModalResult.h"
#include "engine/model/kaModel.h"
#include "engine/scene/kaEntityEditorModel.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaPropertyRecord.h"
#include "engine/scene/kaSkyBoxBase.h"
#include "engine/scene/kaSunBase.h"
#include "engine/scene/kaTerrainBase.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/kaEntityWaterPlane.h"

#include <iterator>

// The selection, the menus and the commands they run.

using map_editor::DebugDrawingPause;
using map_editor::Decals;

namespace
{

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

// The property window of a part of the world; nothing without a world.
template <auto Part> void EditWorldPart(MapEditorWindow& editor)
{
    if (kaWorld* world = editor.GetWorld())
        editor.ShowEntityProperties((world->*Part)());
}

} // namespace

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

void MapEditorWindow::_SetSelectable(RowNeeds needs, bool selectable)
{
    for (const Menu menu : kMenus)
        for (const MenuRow& row : _MenuRows(menu))
            if (row.needs == needs)
                _SetSelectable(_MenuList(menu), row.caption, selectable);
}

void MapEditorWindow::OnMenu(bool enable)
{
    _SetSelectable(RowNeeds::kWorld, enable);
    if (!enable)
        _SetSelectable(RowNeeds::kSelection, false);
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
    // Whatever the selection becomes, it is not one still hanging from the palette.
    m_Placing = false;
    if (m_HighlightedEntity != nullptr)
        m_HighlightedEntity->SetSelected(false, nullptr);
    m_HighlightedEntity = dynamic_cast<kaEntityModel*>(entity);
    if (m_HighlightedEntity != nullptr)
        m_HighlightedEntity->SetSelected(true, hit);
    // The rows that work on the selected entity are there only with one.
    _SetSelectable(RowNeeds::kSelection, m_HighlightedEntity != nullptr);
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

MapEditorWindow::MenuRows MapEditorWindow::_MenuRows(Menu menu) const
{
    static const MenuRow kFileRows[] = {
        {"New", _Run<&MapEditorWindow::StartNewWorld>, RowNeeds::kNothing},
        {"Load World...", _Run<&MapEditorWindow::LoadWorldDialog>, RowNeeds::kNothing},
        {"Save World (ctrl + s)", _Run<&MapEditorWindow::SaveWorld>, RowNeeds::kWorld},
        {"Save World As...", _Run<&MapEditorWindow::SaveWorldAs>, RowNeeds::kWorld},
        {"Exit Editor", _Run<&MapEditorWindow::ExitEditor>, RowNeeds::kNothing},
    };
    static const MenuRow kToolRows[] = {
        {"Create New Terrain...", _Run<&MapEditorWindow::CreateNewTerrain>, RowNeeds::kWorld},
        {"Import Height Map...", _Run<&MapEditorWindow::ImportHeightMap>, RowNeeds::kWorld},
        {"Add Terrain Layer...", _Run<&MapEditorWindow::AddTerrainLayer>, RowNeeds::kWorld},
        {"Remove Terrain Layer...", _Run<&MapEditorWindow::RemoveTerrainLayer>, RowNeeds::kWorld},
        {"Add Draggable Decal...", _Run<&MapEditorWindow::StartDecal>, RowNeeds::kWorld},
        {"Remove Draggable Decal...", _Run<&MapEditorWindow::RemoveSelectedDecal>, RowNeeds::kWorld},
        {"Flatten Decal's Terrain...", _Run<&MapEditorWindow::FlattenSelectedDecal>, RowNeeds::kWorld},
        {"Add Water Plane...", _Run<&MapEditorWindow::AddWaterPlane>, RowNeeds::kWorld},
        {"Add Skybox...", _Run<&MapEditorWindow::AddSkybox>, RowNeeds::kWorld},
        {"Add Sun...", _Run<&MapEditorWindow::AddSun>, RowNeeds::kWorld},
        {"Add Flare Layer...", _Run<&MapEditorWindow::AddFlareLayer>, RowNeeds::kWorld},
        {"Remove Flare Layer...", _Run<&MapEditorWindow::RemoveFlareLayer>, RowNeeds::kWorld},
    };
    // These stay selectable without a world or a selection; chosen then, they do nothing.
    static const MenuRow kPropertyRows[] = {
        {"World", _Run<&MapEditorWindow::ShowWorldProperties>, RowNeeds::kNothing},
        {"Terrain", EditWorldPart<&kaWorld::GetTerrain>, RowNeeds::kNothing},
        {"Skybox", EditWorldPart<&kaWorld::GetSkyBox>, RowNeeds::kNothing},
        {"Sun", EditWorldPart<&kaWorld::GetSun>, RowNeeds::kNothing},
        {kSelectedEntityRow, _Run<&MapEditorWindow::_EditSelectedEntity>, RowNeeds::kNothing},
    };
    switch (menu)
    {
    case Menu::kFile:
        return {std::begin(kFileRows), std::end(kFileRows)};
    case Menu::kTools:
        return {std::begin(kToolRows), std::end(kToolRows)};
    case Menu::kProperties:
        break;
    }
    return {std::begin(kPropertyRows), std::end(kPropertyRows)};
}

guiListBox* MapEditorWindow::_MenuList(Menu menu) const
{
    guiListBox* const lists[] = {m_FileMenu, m_ToolsMenu, m_PropertiesMenu};
    return lists[static_cast<int>(menu)];
}

guiGroup* MapEditorWindow::_MenuGroup(Menu menu) const
{
    guiGroup* const groups[] = {m_FileMenuGroup, m_ToolsMenuGroup, m_PropertiesMenuGroup};
    return groups[static_cast<int>(menu)];
}

void MapEditorWindow::BuildMenus()
{
    for (const Menu menu : kMenus)
    {
        guiListBox* list = _MenuList(menu);
        if (list == nullptr)
            continue;
        for (const MenuRow& row : _MenuRows(menu))
            list->AddRow(row.caption, ka::any());
        list->SetDisabledColor(kaColor::kaColorClamped(0.5f, 0.5f, 0.5f, 1.0f));
        // Nothing is chosen until the player picks a row.
        list->ClearSelection(false);
    }
}

void MapEditorWindow::_RunChosenRow(Menu menu)
{
    if (guiGroup* group = _MenuGroup(menu))
        group->SetVisible(false);
    guiListBox* list = _MenuList(menu);
    // The keys leave the hidden list: their arrows would choose rows no longer shown.
    if (list != nullptr && GetFocusedWidget() == list)
        SetFocus(nullptr);
    const std::string chosen = list != nullptr ? list->GetSelectedText() : std::string();
    for (const MenuRow& row : _MenuRows(menu))
        if (chosen == row.caption)
        {
            row.command(*this);
            return;
        }
}

void MapEditorWindow::_EditSelectedEntity()
{
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
    while (g_pGuiManager->ShowWindow(sheet, true) == gui::kModalDone)
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
            // The typed value shows as typed, whatever it holds.
            std::string text = "The value ";
            text += bad != nullptr ? "\"" + bad->m_Value + "\" of " + bad->m_Label : std::string("typed");
            text += " could not be read.";
            g_pGuiManager->ShowMessageBox(guiDisplayBox::TextMarkup(kValueMessageStart, text),
                                          kMessageCaption, MessageBoxWindow::kOk);
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

bool MapEditorWindow::_CloseMenus()
{
    bool open = false;
    for (guiGroup* group : {m_FileMenuGroup, m_ToolsMenuGroup, m_PropertiesMenuGroup})
    {
        if (group == nullptr)
            continue;
        open = open || group->IsVisible();
        group->SetVisible(false);
    }
    return open;
}
