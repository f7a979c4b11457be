#include "editor/EnvironmentCommands.h"

#include "editor/AddFlareLayerWindow.h"
#include "editor/AddSkyboxWindow.h"
#include "editor/AddSunWindow.h"
#include "editor/AddTerrainLayerWindow.h"
#include "editor/CreateTerrainWindow.h"
#include "editor/EditorDialogButtons.h"
#include "editor/EditorFieldReader.h"
#include "editor/LayerListWindow.h"
#include "engine/core/kaColor.h"
#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiManager.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/kaFlareLayer.h"
#include "engine/terrain/kaSun.h"
#include "engine/terrain/kaTerrain.h"
#include "engine/terrain/kaTerrainLayer.h"

namespace
{

// The registered dialog, or a new one registered hidden. A plain window of the dialog's name (the
// stand-in an application builds from the layout alone) gives way to the dialog.
template <typename Dialog> Dialog* MakeDialog(guiManager& gui)
{
    if (guiWindow* found = gui.FindWindow(Dialog::kWindowName))
    {
        if (auto* dialog = found->DynamicCast<Dialog>())
            return dialog;
        gui.RemoveWindow(found);
    }
    auto* dialog = new Dialog(Dialog::kLayoutFile);
    gui.AddWindow(dialog);
    gui.HideWindow(dialog, gui::kModalDone);
    return dialog;
}

// The debug drawing stays off while a dialog is up, whatever the way out.
class DebugDrawingOff
{
public:
    DebugDrawingOff()
    {
        if (g_pGraphicsManager != nullptr)
            g_pGraphicsManager->SetDebugDrawing(false);
    }
    ~DebugDrawingOff()
    {
        if (g_pGraphicsManager != nullptr)
            g_pGraphicsManager->SetDebugDrawing(true);
    }
    DebugDrawingOff(const DebugDrawingOff&) = delete;
    DebugDrawingOff& operator=(const DebugDrawingOff&) = delete;
};

} // namespace

void EnvironmentCommands::CreateStartupDialogs(guiManager& gui)
{
    MakeDialog<CreateTerrainWindow>(gui);
    MakeDialog<AddSkyboxWindow>(gui);
    MakeDialog<AddFlareLayerWindow>(gui);
}

template <typename Dialog> Dialog* EnvironmentCommands::_Dialog()
{
    return MakeDialog<Dialog>(m_Gui);
}

int32_t EnvironmentCommands::_ShowModal(guiWindow& dialog)
{
    return m_Gui.ShowWindow(&dialog, true);
}

bool EnvironmentCommands::_Run(guiWindow& dialog, const EditorFields& fields,
                               const std::function<bool(EditorFieldReader&)>& apply, bool markUnsaved)
{
    const DebugDrawingOff quiet;
    while (_ShowModal(dialog) == gui::kModalDone)
    {
        EditorFieldReader read(fields);
        if (apply(read))
        {
            if (markUnsaved)
                _MarkUnsaved();
            return true;
        }
        m_Gui.ShowMessageBox(read.Failure(), kMessageCaption, MessageBoxWindow::kOk);
    }
    return false;
}

int32_t EnvironmentCommands::_ChooseLayer(const std::string& caption, const std::vector<std::string>& items)
{
    LayerListWindow* dialog = _Dialog<LayerListWindow>();
    if (dialog == nullptr)
        return -1;
    dialog->SetTitle(caption);
    dialog->SetItems(items);
    const DebugDrawingOff quiet;
    if (_ShowModal(*dialog) != gui::kModalDone)
        return -1;
    const int32_t row = dialog->GetSelectedRow();
    return row < static_cast<int32_t>(items.size()) ? row : -1;
}

void EnvironmentCommands::_MarkUnsaved()
{
    if (m_Hooks.setSaved)
        m_Hooks.setSaved(false);
}

bool EnvironmentCommands::_HeightMapUsable(EditorFieldReader& read)
{
    using W = CreateTerrainWindow;
    std::string why;
    if (kaTerrain::CheckHeightMapFile(read.Text(W::kHeightMap), why))
        return true;
    read.Refuse(W::kHeightMap, why);
    return false;
}

bool EnvironmentCommands::_BuildTerrain(kaWorld& world, EditorFieldReader& read)
{
    using W = CreateTerrainWindow;
    const float width = read.Number(W::kWidth);
    const float height = read.Number(W::kHeight);
    const float length = read.Number(W::kLength);
    const bool vertexLight = read.Truth(W::kVertexLight);
    const float stretch = read.Number(W::kTexStretch);
    if (!read.Converted())
        return false;
    if (!_HeightMapUsable(read))
        return false;
    world.NewTerrain(read.Text(W::kHeightMap), width, height, length, vertexLight);
    world.AddTerrainLayer(read.Text(W::kTexturePath), read.Text(W::kMaskPath), stretch);
    world.RebuildTerrain();
    return true;
}

void EnvironmentCommands::CreateNewTerrain()
{
    if (m_World == nullptr)
        return;
    CreateTerrainWindow* dialog = _Dialog<CreateTerrainWindow>();
    if (dialog == nullptr)
        return;
    dialog->SetTitle(kCreateTerrainCaption);
    dialog->SetImportMode(false);
    _Run(*dialog, dialog->GetFields(),
         [this](EditorFieldReader& read)
         {
             if (!_BuildTerrain(*m_World, read))
                 return false;
             if (m_Hooks.makeCurrent)
                 m_Hooks.makeCurrent(*m_World);
             m_World->InitializeEntities();
             if (m_Hooks.refreshSelection)
                 m_Hooks.refreshSelection(1);
             return true;
         });
}

bool EnvironmentCommands::SetUpTerrain(kaWorld& world)
{
    CreateTerrainWindow* dialog = _Dialog<CreateTerrainWindow>();
    if (dialog == nullptr)
        return false;
    dialog->SetTitle(kCreateTerrainCaption);
    dialog->SetImportMode(false);
    return _Run(
        *dialog, dialog->GetFields(), [&world](EditorFieldReader& read) { return _BuildTerrain(world, read); },
        false);
}

void EnvironmentCommands::ImportHeightMap()
{
    if (m_World == nullptr)
        return;
    CreateTerrainWindow* dialog = _Dialog<CreateTerrainWindow>();
    if (dialog == nullptr)
        return;
    dialog->SetTitle(kImportCaption);
    dialog->SetImportMode(true);
    using W = CreateTerrainWindow;
    _Run(*dialog, dialog->GetFields(),
         [this](EditorFieldReader& read)
         {
             const float width = read.Number(W::kWidth);
             const float height = read.Number(W::kHeight);
             const float length = read.Number(W::kLength);
             const bool vertexLight = read.Truth(W::kVertexLight);
             if (!read.Converted())
                 return false;
             if (!_HeightMapUsable(read))
                 return false;
             if (kaTerrainBase* terrain = m_World->GetTerrain())
             {
                 terrain->GenerateHeightMapVerts(read.Text(W::kHeightMap), width, height, length,
                                                 vertexLight);
                 m_World->RebuildTerrain();
             }
             return true;
         });
}

void EnvironmentCommands::AddTerrainLayer()
{
    if (m_World == nullptr)
        return;
    AddTerrainLayerWindow* dialog = _Dialog<AddTerrainLayerWindow>();
    if (dialog == nullptr)
        return;
    using W = AddTerrainLayerWindow;
    _Run(*dialog, dialog->GetFields(),
         [this](EditorFieldReader& read)
         {
             const float stretch = read.Number(W::kTexStretch);
             if (!read.Converted())
                 return false;
             m_World->AddTerrainLayer(read.Text(W::kTexturePath), read.Text(W::kMaskPath), stretch);
             m_World->RebuildTerrain();
             return true;
         });
}

void EnvironmentCommands::RemoveTerrainLayer()
{
    if (m_World == nullptr)
        return;
    auto* terrain = dynamic_cast<kaTerrain*>(m_World->GetTerrain());
    if (terrain == nullptr)
        return;
    std::vector<std::string> items;
    for (int32_t i = 0; i < terrain->GetLayerCount(); ++i)
        items.push_back(terrain->GetLayer(i)->GetTexturePath());
    const int32_t row = _ChooseLayer(kRemoveTerrainLayerCaption, items);
    // A confirmation without a selected row removes nothing.
    if (row < 0)
        return;
    m_World->RemoveTerrainLayer(row);
    m_World->RebuildTerrain();
    _MarkUnsaved();
}

void EnvironmentCommands::AddSkybox()
{
    if (m_World == nullptr)
        return;
    AddSkyboxWindow* dialog = _Dialog<AddSkyboxWindow>();
    if (dialog == nullptr)
        return;
    using W = AddSkyboxWindow;
    _Run(*dialog, dialog->GetFields(),
         [this](EditorFieldReader& read)
         {
             const float height = read.Number(W::kHeight);
             const float speed = read.Number(W::kSpeed);
             if (!read.Converted())
                 return false;
             m_World->CreateSkyBox(read.Text(W::kLeft), read.Text(W::kRight), read.Text(W::kForward),
                                   read.Text(W::kBack), read.Text(W::kTop));
             m_World->CreateCloudPlane(read.Text(W::kTexture), height, speed);
             return true;
         });
}

void EnvironmentCommands::AddSun()
{
    if (m_World == nullptr)
        return;
    AddSunWindow* dialog = _Dialog<AddSunWindow>();
    if (dialog == nullptr)
        return;
    using W = AddSunWindow;
    _Run(*dialog, dialog->GetFields(),
         [this](EditorFieldReader& read)
         {
             const float position = read.Number(W::kPosition);
             const float axisTilt = read.Number(W::kAxisTilt);
             const float scale = read.Number(W::kScale);
             const float red = read.Number(W::kRed);
             const float green = read.Number(W::kGreen);
             const float blue = read.Number(W::kBlue);
             const float redAmbient = read.Number(W::kRedAmbient);
             const float greenAmbient = read.Number(W::kGreenAmbient);
             const float blueAmbient = read.Number(W::kBlueAmbient);
             if (!read.Converted())
                 return false;
             m_World->CreateSun(read.Text(W::kTexture), position, axisTilt, scale,
                                kaColor::kaColorClamped(red, green, blue, kSunAlpha),
                                kaColor::kaColorClamped(redAmbient, greenAmbient, blueAmbient, kSunAlpha));
             return true;
         });
}

void EnvironmentCommands::AddFlareLayer()
{
    if (m_World == nullptr)
        return;
    AddFlareLayerWindow* dialog = _Dialog<AddFlareLayerWindow>();
    if (dialog == nullptr)
        return;
    using W = AddFlareLayerWindow;
    _Run(*dialog, dialog->GetFields(),
         [this](EditorFieldReader& read)
         {
             const float length = read.Number(W::kLength);
             const float scale = read.Number(W::kScale);
             if (!read.Converted())
                 return false;
             m_World->AddSunFlareLayer(read.Text(W::kTexture), length, scale);
             return true;
         });
}

void EnvironmentCommands::RemoveFlareLayer()
{
    if (m_World == nullptr)
        return;
    auto* sun = dynamic_cast<kaSun*>(m_World->GetSun());
    if (sun == nullptr)
        return;
    std::vector<std::string> items;
    for (const kaFlareLayer* layer : sun->GetFlareLayers())
        items.push_back(layer->m_Texture);
    const int32_t row = _ChooseLayer(kRemoveFlareLayerCaption, items);
    if (row < 0)
        return;
    m_World->RemoveSunFlareLayer(row);
    _MarkUnsaved();
}
