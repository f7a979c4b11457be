#include "editor/MapEditorWindow.h"
#include "editor/MapEditorWindowInternal.h"

#include "engine/core/kaInitData.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiDropDown.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiTextBox.h"
#include "engine/model/kaModel.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaEntityEditorModel.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaEntityPhysical.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/Road.h"
#include "engine/terrain/TerrainMarker.h"
#include "engine/terrain/kaDraggableDecal.h"

#include <tinyxml.h>

#include <set>

// Draggable decals and the palette of placeable entities.

using map_editor::Decals;

// ---- Decals ----

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
    // The one chosen before and never put down makes way.
    _DropPlacing();
    // A cell without a record places nothing.
    const ka::any value = m_Palette->GetSelectedCellData();
    TiXmlNode* const* node = ka::any_cast<TiXmlNode*>(&value);
    const TiXmlElement* data = node != nullptr && *node != nullptr ? (*node)->ToElement() : nullptr;
    if (data == nullptr)
        return;
    m_SavedBeforePlacing = m_Saved;
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
    m_PlaceOffset = platform::Vector3();
    m_Moving = false;
    m_Rotating = false;
    m_DragOnTerrain = true;
    ShowSelectedEntityProperties(entity, nullptr);
    m_Placing = m_HighlightedEntity != nullptr;
    entity->SetVisible(false);
    if (auto* model = dynamic_cast<kaEntityModel*>(entity))
        if (model->GetModel() != nullptr)
            model->GetModel()->PlayAnimation("default", true, 0.0f, 1.0f, 0);
    SetSaved(false);
}
