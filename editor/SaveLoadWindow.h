#pragma once

#include "editor/WindowNames.h"
#include "engine/gui/guiWindow.h"

#include <cstdint>
#include <string>
#include <vector>

class guiButton;
class guiImage;
class guiListBox;
class guiTextBox;

// The editor's modal file dialog: the ".xml" files of one folder in a list, a name field for saving and a
// background that tells saving from loading. It never opens or writes a file itself: the command that
// shows it reads back the chosen path or the typed name.
class SaveLoadWindow : public guiWindow
{
public:
    static constexpr const char* kWindowName = windowNames::kSaveGame;
    static constexpr const char* kBackgroundName = "background image";
    static constexpr const char* kFileListName = "file list";
    static constexpr const char* kFileNameName = "filename";
    static constexpr const char* kFileNameLabelName = "filename label";
    static constexpr const char* kOkName = "ok";
    static constexpr const char* kCancelName = "cancel";

    static constexpr const char* kSaveCaption = "Save World As";
    static constexpr const char* kSaveBackground = "ui/editor/art/loadfile/saveback.tga";
    static constexpr const char* kLoadBackground = "ui/editor/art/loadfile/back.tga";
    static constexpr const char* kPattern = "*.xml";
    static constexpr const char* kExtension = ".xml";

    static constexpr int32_t kSave = 0;
    static constexpr int32_t kLoad = 1;

    explicit SaveLoadWindow(const std::string& layoutFile);
    ~SaveLoadWindow() override;

    // Fills the list from the folder.
    void OnShow() override;

    // "Save World As" shows the save picture, any other caption the load one.
    void SetBackground(const std::string& caption);
    // 0 save: "ok" on, the name field shown and focused; 1 load: the name field hidden.
    void SetMode(int32_t mode);
    int32_t GetMode() const { return m_Mode; }
    // The folder listed and saved into; it drops the folders added before.
    void SetFolder(const std::string& folder)
    {
        m_Folder = folder;
        m_MoreFolders.clear();
    }
    const std::string& GetFolder() const { return m_Folder; }
    // Another folder whose files a load lists after the first folder's, their rows always with the folder.
    void AddFolder(const std::string& folder) { m_MoreFolders.push_back(folder); }
    void SetRowsWithFolder(bool withFolder) { m_RowsWithFolder = withFolder; }
    bool GetRowsWithFolder() const { return m_RowsWithFolder; }

    // A row chosen (true) or the choice cleared (false).
    void OnFileSelected(bool enable);
    // The chosen file with its folder and without ".xml"; empty when no row is chosen.
    std::string GetSelectedPath() const;
    // The typed name.
    std::string GetFileName() const;

    guiImage* GetBackgroundImage() const { return m_Background; }
    guiListBox* GetFileList() const { return m_FileList; }
    guiTextBox* GetFileNameBox() const { return m_FileName; }
    guiTextBox* GetFileNameLabel() const { return m_FileNameLabel; }
    guiButton* GetOkButton() const { return m_Ok; }
    guiButton* GetCancelButton() const { return m_Cancel; }

private:
    bool _Close(int32_t result);
    void _ShowField(guiWidget* field, bool show);
    void _AddRows(const std::string& folder, bool withFolder);

    guiImage* m_Background = nullptr;
    guiListBox* m_FileList = nullptr;
    guiTextBox* m_FileName = nullptr;
    guiTextBox* m_FileNameLabel = nullptr;
    guiButton* m_Ok = nullptr;
    guiButton* m_Cancel = nullptr;

    int32_t m_Mode = kLoad;
    std::string m_Folder;
    std::vector<std::string> m_MoreFolders;
    // The rows before these are the first folder's.
    int32_t m_FirstFolderRows = 0;
    bool m_RowsWithFolder = true;
};
