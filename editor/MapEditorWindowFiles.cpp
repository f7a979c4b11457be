#include "editor/MapEditorWindow.h"
#include "editor/MapEditorWindowInternal.h"

#include "editor/EditorCamera.h"
#include "editor/EditorHost.h"
#include "editor/EnvironmentCommands.h"
#include "editor/SaveLoadWindow.h"
#include "editor/WindowNames.h"

#include "engine/core/kaStringUtils.h"
#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiModalResult.h"
#include "engine/gui/guiTextBox.h"
#include "engine/scene/kaWorld.h"

using map_editor::DebugDrawingPause;
using map_editor::Decals;

// The edited world and its file: its name and saved state, New, Load, Save and leaving the editor.

namespace
{

constexpr const char* kInGameMenu = windowNames::kInGameMenu;
constexpr const char* kSaveWorldMenu = windowNames::kSaveWorld;
constexpr const char* kCareerWindow = windowNames::kCareer;

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

} // namespace

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
    _ReportMalformedValues(*world);
    world->InitializeEntities();
    world->SetCamera(m_Camera);
    RefreshSelection(true);
    m_WorldName = GetFileName(path);
    const std::size_t cut = path.find_last_of("/\\");
    m_WorldFolder = cut == std::string::npos ? std::string(kWorldFolder) : path.substr(0, cut);
    _ShowName();
    m_Camera->SetWorld(world);
}

void MapEditorWindow::_ReportMalformedValues(const kaWorld& world)
{
    const std::vector<kaWorld::MalformedValue>& values = world.GetMalformedValues();
    if (values.empty())
        return;
    std::string text = std::string(kMalformedStart) + kMalformedIntro;
    for (size_t i = 0; i < values.size() && i < kMalformedLines; ++i)
    {
        const kaWorld::MalformedValue& value = values[i];
        text += "\n" + value.entity + ": ";
        // A long text would push the rest out of the small box.
        std::string shown = value.text;
        if (shown.size() > kMalformedTextLength)
            shown = shown.substr(0, kMalformedTextLength) + "...";
        if (!value.key.empty())
            text += value.key + " \"" + shown + "\"";
        if (value.dropped)
            text += (value.key.empty() ? "" : ", ") + std::string(kMalformedDropped);
    }
    if (values.size() > kMalformedLines)
        text += "\nand " + std::to_string(values.size() - kMalformedLines) + " more.";
    text += "</text>";
    // Shown by the next update: the load may run inside a dialog's handler.
    QueueMessageBox(text, kMessageCaption);
}

int32_t MapEditorWindow::_ShowModal(const std::string& windowName)
{
    guiWindow* window = g_pGuiManager != nullptr ? g_pGuiManager->FindWindow(windowName) : nullptr;
    if (window == nullptr)
        return gui::kModalNone;
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
        if (answer == gui::kModalCancelled)
            return;
        if (answer == gui::kModalYes && SaveWorld() != gui::kModalDone)
            return;
    }
    dialog->SetBackground(kLoadCaption);
    dialog->SetFolder(kWorldFolder);
    if (_ListsEditorWorlds())
        dialog->AddFolder(kEditorWorldFolder);
    dialog->SetRowsWithFolder(true);
    dialog->SetMode(SaveLoadWindow::kLoad);
    int32_t result = 0;
    {
        const DebugDrawingPause pause;
        result = g_pGuiManager->ShowWindow(dialog, true);
    }
    if (result != gui::kModalDone)
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
        if (answer == gui::kModalCancelled)
            return;
        // A save that failed or was cancelled keeps the world.
        if (answer == gui::kModalYes && SaveWorld() != gui::kModalDone)
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
        return gui::kModalNone;
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
    return written ? gui::kModalDone : gui::kModalNone;
}

int32_t MapEditorWindow::SaveWorldAs()
{
    guiWindow* window =
        g_pGuiManager != nullptr ? g_pGuiManager->FindWindow(SaveLoadWindow::kWindowName) : nullptr;
    auto* dialog = window != nullptr ? window->DynamicCast<SaveLoadWindow>() : nullptr;
    if (dialog == nullptr || dialog->GetFileNameBox() == nullptr)
        return gui::kModalNone;
    dialog->SetBackground(kSaveAsCaption);
    dialog->SetFolder(kWorldFolder);
    dialog->SetMode(SaveLoadWindow::kSave);
    dialog->GetFileNameBox()->SetText(WithoutMark(m_WorldName));
    int32_t result = 0;
    {
        const DebugDrawingPause pause;
        result = g_pGuiManager->ShowWindow(dialog, true);
    }
    if (result != gui::kModalDone)
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
        return gui::kModalCancelled;
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
        return gui::kModalCancelled;
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
    if (m_World != nullptr && _ShowModal(kInGameMenu) != gui::kModalDone)
        return;
    if (m_World != nullptr)
        RefreshSelection(false);
    _DropWorld();
    if (g_pGuiManager != nullptr)
        g_pGuiManager->SwitchWindowByName(kCareerWindow, this, gui::kModalDone, true);
    if (m_Host != nullptr)
        m_Host->OnEditorLeft();
}
