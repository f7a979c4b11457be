#include "editor/MapEditorWindow.h"

#include "editor/EditorCamera.h"
#include "editor/EditorHost.h"
#include "editor/EnvironmentCommands.h"

#include "engine/core/Wizard.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiDropDown.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiGroup.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiWidgetLookup.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaWorld.h"

// The window's making, its showing and what its parts share. The rest of the class is in
// MapEditorWindowFiles.cpp (the world and its file), MapEditorWindowMenus.cpp (selection, menus and
// commands), MapEditorWindowDecals.cpp (decals and the palette) and MapEditorWindowInput.cpp (mouse and
// keys).

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
        Menu menu;
    } menus[] = {
        {m_FileButton, Menu::kFile},
        {m_ToolsButton, Menu::kTools},
        {m_PropertiesButton, Menu::kProperties},
    };
    for (const auto& entry : menus)
    {
        guiButton* button = entry.button;
        const Menu menu = entry.menu;
        guiGroup* group = _MenuGroup(menu);
        guiListBox* list = _MenuList(menu);
        if (button != nullptr)
        {
            button->SetClickSound(false);
            button->SetOnClick(
                [this, group, list](int)
                {
                    _ShowMenu(group, list);
                    return true;
                });
        }
        if (group != nullptr)
            group->SetVisible(false);
        if (list != nullptr)
            list->AddHandler(gui::kEventCellSelected,
                             [this, menu](const guiMsgEvent&)
                             {
                                 _RunChosenRow(menu);
                                 return true;
                             });
        if (list != nullptr)
            list->AddHandler(gui::kEventFocusChanged,
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

void MapEditorWindow::OnShow()
{
    _PrepareShow();
    LoadWorld(kDefaultWorld);
    // A start-up world that could not be read leaves the editor without one, and its world commands off.
    OnMenu(m_World != nullptr);
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
    // A world kept keeps its name: a save must go to the file it came from.
    if (m_World == nullptr)
    {
        m_WorldName = kNoWorld;
        m_Saved = true;
    }
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
