#include "editor/EditorBrowseDialog.h"

#include "engine/gui/guiButton.h"
#include "engine/gui/guiWidgetLookup.h"

EditorBrowseDialog::EditorBrowseDialog(const std::string& layoutFile, const std::vector<std::string>& fields,
                                       const std::vector<EditorBrowseFolder>& folders)
    : guiWindow(layoutFile), m_Folders(folders)
{
    m_Fields.Attach(*this, fields);
    m_Chooser.Attach(*this, [this](const std::string& path) { _Pick(path); });
    for (size_t index = 0; index < m_Folders.size(); ++index)
        if (auto* button = guiWidgetLookup::Find<guiButton>(*this, m_Folders[index].button))
            button->SetOnClick(
                [this, mode = static_cast<int32_t>(index)](int)
                {
                    Browse(mode);
                    return true;
                });
}

void EditorBrowseDialog::OnShow()
{
    ShowFileChooser(false);
    guiWindow::OnShow();
}

void EditorBrowseDialog::Browse(int32_t mode)
{
    m_ListMode = mode;
    ShowFileChooser(true);
}

void EditorBrowseDialog::ShowFileChooser(bool show)
{
    m_Chooser.Show(_FolderOf(m_Folders, m_ListMode), show);
}

std::string EditorBrowseDialog::_FolderOf(const std::vector<EditorBrowseFolder>& folders, int32_t mode)
{
    if (mode < 0 || static_cast<size_t>(mode) >= folders.size())
        return std::string();
    return folders[static_cast<size_t>(mode)].folder;
}

void EditorBrowseDialog::_Pick(const std::string& path)
{
    if (m_ListMode >= 0 && static_cast<size_t>(m_ListMode) < m_Folders.size())
        m_Fields.Set(m_Folders[static_cast<size_t>(m_ListMode)].field, path);
}
