#pragma once

#include "editor/EditorFields.h"
#include "editor/EditorFileChooser.h"
#include "engine/gui/guiWindow.h"

#include <cstdint>
#include <string>
#include <vector>

// One folder a dialog's chooser lists: the browse button that opens it and the field its pick fills.
struct EditorBrowseFolder
{
    const char* button;
    const char* folder;
    const char* field;
};

// A dialog of text fields whose browse buttons open its file chooser, each on its own folder and
// field. A chooser mode is the folder's index in the dialog's table.
class EditorBrowseDialog : public guiWindow
{
public:
    // Closes the chooser.
    void OnShow() override;

    // Opens the chooser on a mode, as its browse button does.
    void Browse(int32_t mode);
    void ShowFileChooser(bool show);
    int32_t GetListMode() const { return m_ListMode; }

    std::string GetField(const std::string& name) const { return m_Fields.Get(name); }
    const EditorFields& GetFields() const { return m_Fields; }
    const EditorFileChooser& GetChooser() const { return m_Chooser; }

protected:
    EditorBrowseDialog(const std::string& layoutFile, const std::vector<std::string>& fields,
                       const std::vector<EditorBrowseFolder>& folders);

    // An unknown mode has no folder.
    static std::string _FolderOf(const std::vector<EditorBrowseFolder>& folders, int32_t mode);

    EditorFields m_Fields;

private:
    void _Pick(const std::string& path);

    std::vector<EditorBrowseFolder> m_Folders;
    EditorFileChooser m_Chooser;
    int32_t m_ListMode = 0;
};
