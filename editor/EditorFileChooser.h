#pragma once

#include <functional>
#include <string>

class guiButton;
class guiGroup;
class guiImage;
class guiListBox;
class guiWindow;

// The file chooser some dialogs hold: a list of picture files with a preview of the selected one and
// select and cancel buttons, each part in its own group that opening and closing show and hide.
class EditorFileChooser
{
public:
    static constexpr const char* kListName = "list";
    static constexpr const char* kPreviewName = "preview";
    static constexpr const char* kSelectName = "list select button";
    static constexpr const char* kCancelName = "list cancel button";
    static constexpr const char* kListGroupName = "list group";
    static constexpr const char* kPreviewGroupName = "preview group";
    static constexpr const char* kButtonGroupName = "list button group";
    // Resource paths are longer than a list's default row.
    static constexpr int32_t kMaxChars = 200;
    // The preview is drawn unfiltered.
    static constexpr int32_t kPreviewFilter = 0;

    // Finds the parts in the window and wires the list and the buttons; pick receives the chosen row's
    // text after the chooser has closed.
    void Attach(guiWindow& window, const std::function<void(const std::string&)>& pick);
    // Opening refills the list from the folder and previews the selected row; both ways show or hide
    // the parts, and closing keeps the list.
    void Show(const std::string& folder, bool show);
    // Loads the selected row's picture into the preview; nothing selected shows nothing.
    void UpdatePreview();
    // The selected row goes to the pick, when a row is selected.
    void Pick();
    bool IsOpen() const;

    guiListBox* GetList() const { return m_List; }
    guiImage* GetPreview() const { return m_Preview; }

private:
    void _ShowParts(bool show);

    guiListBox* m_List = nullptr;
    guiImage* m_Preview = nullptr;
    guiGroup* m_ListGroup = nullptr;
    guiGroup* m_PreviewGroup = nullptr;
    guiGroup* m_ButtonGroup = nullptr;
    std::function<void(const std::string&)> m_Pick;
};
