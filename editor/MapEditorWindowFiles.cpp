#include "editor/MapEditorWindow.h"
#include "editor/MapEditorWindowInternal.h"

#include "editor/EditorCamera.h"
#include "editor/EditorHost.h"
#include "editor/EnvironmentCommands.h"
#include "editor/SaveLoadWindow.h"
#include "editor/WindowNames.h"

#include "engine/core/kaStringUtils.h"
#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiDisplayBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiModalResult.h"
#include "engine/gui/guiTextBox.h"
#include "engine/render/kaFont.h"
#include "engine/scene/kaWorld.h"
#include "platform/files/SafeFileWriter.h"

#include <tinyxml.h>

#include <algorithm>
#include <utility>
#include <vector>

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

bool IsContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xc0) == 0x80;
}

// A text from a file as part of one line of a report: control characters become blanks, and a text past
// the length loses its middle, so that both ends show (a name's start, an entity's id).
std::string ReportText(std::string text, size_t length)
{
    for (char& c : text)
    {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
    }
    const std::string gap = "...";
    if (text.size() <= length || length <= gap.size())
        return text;
    size_t head = (length - gap.size()) * 2 / 3;
    size_t tail = text.size() - (length - gap.size() - head);
    // The cuts fall between characters, never inside one.
    while (head > 0 && IsContinuation(text[head]))
        --head;
    while (tail < text.size() && IsContinuation(text[tail]))
        ++tail;
    return text.substr(0, head) + gap + text.substr(tail);
}

std::string ReportLine(const kaWorld::MalformedValue& value)
{
    // A value of the course itself is named by its key alone.
    std::string line = ReportText(value.entity, MapEditorWindow::kMalformedEntityLength);
    if (!value.key.empty())
        line += (line.empty() ? "" : ": ") + value.key + " \"" +
                ReportText(value.text, MapEditorWindow::kMalformedTextLength) + "\"";
    if (!value.reason.empty())
        line += ": " + value.reason;
    if (!value.holder.empty())
    {
        const std::string already = ", already ";
        const size_t used = line.size() + already.size();
        const size_t room = std::max(
            MapEditorWindow::kRepeatLineLength > used ? MapEditorWindow::kRepeatLineLength - used : size_t(0),
            MapEditorWindow::kRepeatHolderLength);
        line += already + ReportText(value.holder, room);
    }
    if (value.newId >= 0)
        line += ", new id " + std::to_string(value.newId);
    return line;
}

// A heading and its entries, as many as the box names of a kind before it counts the rest.
void AppendSection(std::vector<std::string>& lines, const char* heading,
                   const std::vector<std::string>& entries)
{
    if (entries.empty())
        return;
    lines.push_back(heading);
    for (size_t i = 0; i < entries.size() && i < MapEditorWindow::kMalformedLines; ++i)
        lines.push_back(entries[i]);
    if (entries.size() > MapEditorWindow::kMalformedLines)
        lines.push_back("and " + std::to_string(entries.size() - MapEditorWindow::kMalformedLines) +
                        " more.");
}

// Entries noted for an entity that was left out after all: the entry that left it out follows them.
std::vector<bool> LeftOutWithTheirEntity(const std::vector<kaWorld::MalformedValue>& values)
{
    std::vector<bool> gone(values.size(), false);
    for (size_t i = values.size(); i-- > 0;)
    {
        const bool next = i + 1 < values.size() && values[i + 1].entity == values[i].entity &&
                          (values[i + 1].dropped || gone[i + 1]);
        gone[i] = !values[i].dropped && next;
    }
    return gone;
}

int64_t ReportLineHeight()
{
    const kaFont* font = g_pGraphicsManager != nullptr
                             ? g_pGraphicsManager->GetFont(MapEditorWindow::kMalformedFont)
                             : nullptr;
    return font != nullptr && font->GetLineHeight() > 0 ? font->GetLineHeight()
                                                        : MapEditorWindow::kReportLineHeight;
}

// The lines the tallest report shows.
size_t ReportCapacity()
{
    const int64_t line = ReportLineHeight();
    return size_t(std::max<int64_t>((MapEditorWindow::kReportMaxHeight - line / 2) / line, 1));
}

// A line for every entity left out, in the file's order, as far as `room` lines hold them; the rest are
// counted on the last line, so that none is passed over without a word.
std::vector<std::string> LeftOutLines(const std::vector<kaWorld::MalformedValue>& values, size_t room)
{
    std::vector<std::string> lines;
    for (const kaWorld::MalformedValue& value : values)
    {
        if (value.dropped)
            lines.push_back(ReportLine(value));
    }
    room = std::max<size_t>(room, 2);
    if (lines.size() > room)
    {
        const size_t more = lines.size() - (room - 1);
        lines.resize(room - 1);
        lines.push_back("and " + std::to_string(more) + " more entities left out.");
    }
    return lines;
}

// The box's text from plain lines, every character shown as it is.
std::string ReportMarkup(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : "\n") + line;
    return guiDisplayBox::TextMarkup(MapEditorWindow::kMalformedStart, text);
}

// A text area that holds that many lines of the report's font, as far as the display allows.
kaPoint ReportArea(size_t lines)
{
    const int64_t line = ReportLineHeight();
    // Half a line more, so that the last line's descenders show.
    const int64_t height = int64_t(lines) * line + line / 2;
    return kaPoint(MapEditorWindow::kReportWidth,
                   int32_t(std::clamp<int64_t>(height, MessageBoxWindow::kTextHeight,
                                               MapEditorWindow::kReportMaxHeight)));
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
    // Read before anything is dropped: a file that cannot be read leaves the editor on the world it had,
    // and Save bound to the file that world came from.
    TiXmlDocument document;
    std::string why;
    if (!kaWorld::ReadFile(path, document, why))
    {
        _ReportUnreadable(path, why);
        return;
    }
    _DropWorld();
    kaWorld* world = ShowWorldSetup(false);
    if (world == nullptr)
    {
        _ShowNoWorld();
        return;
    }
    world->SetCamera(m_Camera);
    m_Camera->SetWorld(world);
    _Install(world);
    _Draw(world);
    world->ResetPathGrid();
    // Edited: a value the reader cannot take keeps its entity, to be mended and saved as read.
    world->SetLoadPolicy(kaWorld::LoadPolicy::kEdit);
    world->ReadXml(document.FirstChildElement(kaWorld::kRootElement), false);
    m_LeftOutConfirmed = false;
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

void MapEditorWindow::_ReportUnreadable(const std::string& path, const std::string& why)
{
    const std::vector<std::string> lines = {kUnreadableIntro + ReportText(path, kFileLineLength) + ":",
                                            ReportText(why, kFileLineLength) + ".",
                                            m_World != nullptr ? kUnreadableKept : kUnreadableNone};
    // Shown by the next update: the load may run inside a dialog's handler or while the editor is shown.
    QueueLongMessageBox(ReportMarkup(lines), kMessageCaption, ReportArea(lines.size()));
}

void MapEditorWindow::_ReportMalformedValues(const kaWorld& world)
{
    const std::vector<kaWorld::MalformedValue>& values = world.GetMalformedValues();
    if (values.empty() && world.GetUnreadBlocks().empty())
        return;
    const std::vector<bool> gone = LeftOutWithTheirEntity(values);
    std::vector<std::string> unread;
    for (const std::string& block : world.GetUnreadBlocks())
        unread.push_back(ReportText(block, kUnreadLength));
    std::vector<std::string> renumbered;
    std::vector<std::string> kept;
    for (size_t i = 0; i < values.size(); ++i)
    {
        if (values[i].dropped || gone[i])
            continue;
        (values[i].newId >= 0 ? renumbered : kept).push_back(ReportLine(values[i]));
    }
    std::vector<std::string> keptLines;
    AppendSection(keptLines, kUnreadIntro, unread);
    AppendSection(keptLines, kNewIdIntro, renumbered);
    AppendSection(keptLines, kMalformedIntro, kept);
    // What the next save removes from the file comes first, every entity of it the box has room for.
    const size_t room = ReportCapacity() > keptLines.size() + 1 ? ReportCapacity() - keptLines.size() - 1 : 0;
    std::vector<std::string> lines = LeftOutLines(values, room);
    if (!lines.empty())
        lines.insert(lines.begin(), kLeftOutIntro);
    lines.insert(lines.end(), keptLines.begin(), keptLines.end());
    // Shown by the next update: the load may run inside a dialog's handler.
    QueueLongMessageBox(ReportMarkup(lines), kMessageCaption, ReportArea(lines.size()));
}

bool MapEditorWindow::_ConfirmLeftOut()
{
    if (m_World == nullptr || m_LeftOutConfirmed || g_pGuiManager == nullptr)
        return true;
    // Room for the question's first and last lines.
    const std::vector<std::string> leftOut =
        LeftOutLines(m_World->GetMalformedValues(), ReportCapacity() > 2 ? ReportCapacity() - 2 : 0);
    if (leftOut.empty())
        return true;
    std::vector<std::string> lines = {kSaveLeftOutIntro};
    lines.insert(lines.end(), leftOut.begin(), leftOut.end());
    lines.push_back(kSaveLeftOutChoice);
    int32_t answer = gui::kModalNone;
    {
        const DebugDrawingPause pause;
        answer = g_pGuiManager->ShowMessageBox(ReportMarkup(lines), kMessageCaption,
                                               MessageBoxWindow::kOk | MessageBoxWindow::kCancel,
                                               ReportArea(lines.size()), kSaveLabel);
    }
    m_LeftOutConfirmed = answer == MessageBoxWindow::kOk;
    return m_LeftOutConfirmed;
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
    if (m_World != nullptr && !m_Saved && !_OfferSave())
        return;
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
        if (!_OfferSave())
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
    m_LeftOutConfirmed = false;
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
    // However the save was asked for, an entity still hanging from the palette is not written.
    _DropPlacing();
    if (IsUntitled(m_WorldName))
        return SaveWorldAs();
    if (m_World == nullptr || !_ConfirmLeftOut())
        return gui::kModalNone;
    m_WorldName = WithoutMark(m_WorldName);
    const std::string path = m_WorldFolder + "\\" + WithExtension(m_WorldName);
    const bool written = m_World->SaveFile(path, false);
    if (!written && g_pGuiManager != nullptr)
    {
        // A file the save may not replace is named, with the way out; any other failure is told as before.
        const platform::SafeFileWriter::Refusal refusal = platform::SafeFileWriter::Check(path);
        const char* const why = refusal == platform::SafeFileWriter::Refusal::ReadOnly     ? kReadOnlyText
                                : refusal == platform::SafeFileWriter::Refusal::NotRegular ? kNotRegularText
                                                                                           : nullptr;
        const DebugDrawingPause pause;
        if (why != nullptr)
        {
            const std::vector<std::string> lines = {kNotSavedIntro + ReportText(path, kFileLineLength) + why,
                                                    kSaveAsElsewhereText};
            g_pGuiManager->ShowMessageBox(ReportMarkup(lines), _WriteFailureCaption(), MessageBoxWindow::kOk,
                                          ReportArea(lines.size()), "");
        }
        else
        {
            g_pGuiManager->ShowMessageBox(kWriteFailedText, _WriteFailureCaption(), MessageBoxWindow::kOk);
        }
    }
    // The mark went with the name: the state must be put back to match it.
    m_Saved = true;
    SetSaved(written);
    return written ? gui::kModalDone : gui::kModalNone;
}

int32_t MapEditorWindow::SaveWorldAs()
{
    _DropPlacing();
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
        _AskToLeave();
        return;
    }
    if (m_World != nullptr && !_AskToLeave())
        return;
    if (m_World != nullptr)
        RefreshSelection(false);
    _DropWorld();
    if (g_pGuiManager != nullptr)
        g_pGuiManager->SwitchWindowByName(kCareerWindow, this, gui::kModalDone, true);
    if (m_Host != nullptr)
        m_Host->OnEditorLeft();
}

bool MapEditorWindow::_OfferSave()
{
    m_Asking = true;
    const int32_t answer = _ShowModal(kSaveWorldMenu);
    // A save that failed or was cancelled keeps the world.
    const bool goOn =
        answer != gui::kModalCancelled && (answer != gui::kModalYes || SaveWorld() == gui::kModalDone);
    m_Asking = false;
    return _ResolveHeldClose(goOn, true);
}

bool MapEditorWindow::_AskToLeave()
{
    m_Asking = true;
    const bool leave = _ShowModal(kInGameMenu) == gui::kModalDone;
    m_Asking = false;
    return _ResolveHeldClose(leave, false);
}

bool MapEditorWindow::_ResolveHeldClose(bool goOn, bool workSettled)
{
    if (!std::exchange(m_CloseHeld, false) || !goOn)
        return goOn;
    // The close, as if it came now: nothing of what the question was for happens.
    if (m_Host != nullptr && (workSettled || ConfirmClose()))
        m_Host->CloseProgram();
    return false;
}

bool MapEditorWindow::ConfirmClose()
{
    if (m_ConfirmingClose || m_CloseHeld)
        return false;
    if (m_Asking)
    {
        // Not a second question over the first: the close waits for that one's answer.
        m_CloseHeld = true;
        return false;
    }
    // As on Escape: an entity never put down is no work to save.
    _DropPlacing();
    if (m_World == nullptr || m_Saved)
        return true;
    m_ConfirmingClose = true;
    const bool close = _OfferSave();
    m_ConfirmingClose = false;
    return close;
}
