#include "editor/SaveLoadWindow.h"

#include "engine/core/kaDirectoryIterator.h"
#include "engine/core/kaStringUtils.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiDecorator.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiWidgetLookup.h"

SaveLoadWindow::SaveLoadWindow(const std::string& layoutFile) : guiWindow(layoutFile)
{
    m_Background = guiWidgetLookup::Find<guiImage>(*this, kBackgroundName);
    m_FileList = guiWidgetLookup::Find<guiListBox>(*this, kFileListName);
    m_FileName = guiWidgetLookup::Find<guiTextBox>(*this, kFileNameName);
    m_FileNameLabel = guiWidgetLookup::Find<guiTextBox>(*this, kFileNameLabelName);
    m_Ok = guiWidgetLookup::Find<guiButton>(*this, kOkName);
    m_Cancel = guiWidgetLookup::Find<guiButton>(*this, kCancelName);
    if (m_Ok != nullptr)
        m_Ok->SetOnClick([this](int) { return _Close(gui::kModalDone); });
    if (m_Cancel != nullptr)
        m_Cancel->SetOnClick([this](int) { return _Close(gui::kModalCancelled); });
    if (m_FileList != nullptr)
    {
        m_FileList->AddHandler(gui::kEventCellSelected,
                               [this](const guiMsgEvent&)
                               {
                                   OnFileSelected(true);
                                   return true;
                               });
        m_FileList->AddHandler(gui::kEventSelectionCleared,
                               [this](const guiMsgEvent&)
                               {
                                   OnFileSelected(false);
                                   return true;
                               });
        m_FileList->AddHandler(gui::kEventDoubleClick,
                               [this](const guiMsgEvent&) { return _Close(gui::kModalDone); });
    }
}

SaveLoadWindow::~SaveLoadWindow() = default;

bool SaveLoadWindow::_Close(int32_t result)
{
    if (g_pGuiManager != nullptr)
        g_pGuiManager->HideWindow(this, result);
    return true;
}

void SaveLoadWindow::SetBackground(const std::string& caption)
{
    if (m_Background != nullptr)
        m_Background->SetFilename(caption == kSaveCaption ? kSaveBackground : kLoadBackground, true);
}

void SaveLoadWindow::_ShowField(guiWidget* field, bool show)
{
    if (field == nullptr)
        return;
    field->SetVisible(show);
    // A frame around the field goes with it.
    for (int i = 0; i < GetChildCount(); ++i)
    {
        guiGlyph* child = GetChild(i);
        guiDecorator* holder = child != nullptr ? child->DynamicCast<guiDecorator>() : nullptr;
        if (holder != nullptr && holder->GetComponent() == field)
            holder->SetVisible(show);
    }
}

void SaveLoadWindow::SetMode(int32_t mode)
{
    m_Mode = mode;
    if (mode == kSave)
    {
        if (m_Ok != nullptr)
            m_Ok->SetEnabled(true);
        _ShowField(m_FileName, true);
        _ShowField(m_FileNameLabel, true);
        if (m_FileName != nullptr)
            SetFocus(m_FileName);
    }
    else if (mode == kLoad)
    {
        _ShowField(m_FileName, false);
        _ShowField(m_FileNameLabel, false);
        // A prompt left from a save would be selected when the focus comes, and a selection shows the box.
        if (m_FileName != nullptr)
            m_FileName->SetText(m_FileName->GetText());
    }
}

void SaveLoadWindow::OnFileSelected(bool enable)
{
    if (m_Mode == kLoad && m_Ok != nullptr)
        m_Ok->SetEnabled(enable);
    if (m_FileName == nullptr || m_FileList == nullptr)
        return;
    // Only a row the player chose replaces the name: clearing the choice keeps what was typed.
    const std::string row = m_FileList->GetSelectedText();
    if (row.empty())
        return;
    // Saving offers the row's name as it offers the one it opened with, to be replaced by the first key;
    // the hidden field of a load stays plain.
    if (m_Mode == kSave)
        m_FileName->SetPrompt(::GetFileName(row));
    else
        m_FileName->SetText(::GetFileName(row));
}

std::string SaveLoadWindow::GetSelectedPath() const
{
    const std::string row = m_FileList != nullptr ? m_FileList->GetSelectedText() : std::string();
    if (row.empty() || m_RowsWithFolder || m_FileList->GetSelectedRow() >= m_FirstFolderRows)
        return row;
    return m_Folder + "\\" + row;
}

std::string SaveLoadWindow::GetFileName() const
{
    return m_FileName != nullptr ? m_FileName->GetText() : std::string();
}

void SaveLoadWindow::_AddRows(const std::string& folder, bool withFolder)
{
    const kaDirectoryIterator end;
    for (kaDirectoryIterator file(folder + "\\" + kPattern, kaDirectoryIterator::kEveryEntry); file != end;
         ++file)
    {
        std::string row = withFolder ? folder + "\\" + *file : *file;
        const std::string::size_type extension = row.find(kExtension);
        if (extension != std::string::npos)
            row.erase(extension);
        m_FileList->AddRow(row, ka::any());
    }
}

void SaveLoadWindow::OnShow()
{
    if (m_FileList != nullptr)
    {
        m_FileList->Clear();
        _AddRows(m_Folder, m_RowsWithFolder);
        m_FirstFolderRows = m_FileList->GetUsedRows();
        // A row of another folder says which folder it is in: a name alone would open the first folder's.
        if (m_Mode == kLoad)
            for (const std::string& folder : m_MoreFolders)
                _AddRows(folder, true);
        // Saving keeps the name the save command wrote: the first row was not the player's choice.
        if (m_FileList->GetUsedRows() > 0 && m_Mode != kSave)
            OnFileSelected(true);
    }
    // The name the save command wrote is offered, not typed: the first key replaces it, clicked or not.
    if (m_Mode == kSave && m_FileName != nullptr)
        m_FileName->SetPrompt(m_FileName->GetText());
    guiWindow::OnShow();
}
