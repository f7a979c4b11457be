#pragma once

#include "editor/WindowNames.h"
#include "engine/gui/guiWindow.h"
#include "engine/scene/kaPropertyList.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>

class TiXmlDocument;
class guiButton;
class guiGrid;
class guiGroup;
class guiImage;
class guiListBox;
class guiTextBox;

// The editor's modal property sheet: a row of label, value and an optional browse or list button for
// each record of a property list. Browsing walks folders with a picture preview; a list button offers the
// values an XML file names, and a pick may fill other rows too. The edited list comes back as new records
// only when something was edited, each row the designer gave a value marked as set.
class EditorPropertiesWindow : public guiWindow
{
public:
    static constexpr const char* kWindowName = windowNames::kEditorProperties;
    static constexpr const char* kLabelCell = "ui/editor/properties_label_cell.kab";
    static constexpr const char* kValueCell = "ui/editor/properties_value_cell.kab";
    static constexpr const char* kBrowseCell = "ui/editor/properties_browse_cell.kab";
    static constexpr const char* kXmlCell = "ui/editor/properties_xml_cell.kab";
    static constexpr const char* kLabelName = "label";
    static constexpr const char* kValueName = "value";
    static constexpr const char* kBrowseName = "browse";
    static constexpr const char* kXmlName = "xml";
    static constexpr const char* kParentFolder = "..";
    static constexpr int32_t kLabelWidth = 120;
    static constexpr int32_t kValueWidth = 289;
    static constexpr uint32_t kButtonColumnAlignment = 60;
    static constexpr int32_t kListMaxChars = 200;

    explicit EditorPropertiesWindow(const std::string& layoutFile);
    ~EditorPropertiesWindow() override;

    // Both lists close whenever the window shows.
    void OnShow() override;

    void SetTitle(const std::string& title);
    // Shares the records and builds one row for each; the edited flag stays as it was.
    void SetPropertyList(const kaPropertyList& list);
    void AddPropertyRow(const std::string& label, const std::string& value, bool browse,
                        const std::string& folder, bool fromList, const std::string& listFile);
    // After an edit, new records of label, value and browse folder read from the rows, set where a value was
    // committed, browsed or picked into the row (also the same value again); otherwise the records given.
    kaPropertyList GetPropertyList();
    // The first row whose label matches without regard to case; -1 when none.
    int32_t FindRowByLabel(const std::string& label) const;

    void OnBrowseButton(int32_t row);
    void ShowBrowseList(bool show);
    void ShowBrowsePreview();
    void ChooseBrowseEntry();
    void OnXmlButton(int32_t row);
    void ShowXmlList(bool show);
    void ChooseXmlValue();

    // The value box of a row, or null.
    guiTextBox* GetValueBox(int32_t row) const;
    guiTextBox* GetTitleBox() const { return m_Title; }
    guiGrid* GetGrid() const { return m_Grid; }
    guiListBox* GetXmlList() const { return m_XmlList; }
    guiListBox* GetBrowseList() const { return m_BrowseList; }
    guiGroup* GetXmlListGroup() const { return m_XmlListGroup; }
    guiGroup* GetXmlButtonGroup() const { return m_XmlButtonGroup; }
    guiGroup* GetBrowseListGroup() const { return m_BrowseListGroup; }
    guiGroup* GetBrowseButtonGroup() const { return m_BrowseButtonGroup; }
    guiGroup* GetPreviewGroup() const { return m_PreviewGroup; }
    guiImage* GetPreview() const { return m_Preview; }
    int32_t GetRowCount() const { return m_RowCount; }
    int32_t GetCurrentRow() const { return m_CurrentRow; }
    bool IsChanged() const { return m_Changed; }
    const std::string& GetBrowseFolder() const { return m_BrowseFolder; }
    const std::string& GetXmlFile() const { return m_XmlFile; }

private:
    // What an XML row keeps as its button cell's data: its own list file. A type of its own, so that it is
    // never taken for a browse folder.
    struct ListFile
    {
        std::string path;
    };

    bool _OnValueCommitted(int32_t row);
    bool _OnOk();
    bool _OnCancel();
    std::string _CellText(int32_t row, int32_t column, const char* name) const;
    // The cell's data when it holds a text.
    bool _CellFolder(int32_t row, std::string& folder) const;

    std::unique_ptr<TiXmlDocument> m_Document;
    guiTextBox* m_Title = nullptr;
    guiGrid* m_Grid = nullptr;
    guiListBox* m_XmlList = nullptr;
    guiGroup* m_XmlListGroup = nullptr;
    guiGroup* m_XmlButtonGroup = nullptr;
    guiListBox* m_BrowseList = nullptr;
    guiGroup* m_BrowseListGroup = nullptr;
    guiGroup* m_BrowseButtonGroup = nullptr;
    guiGroup* m_PreviewGroup = nullptr;
    guiImage* m_Preview = nullptr;
    int32_t m_RowCount = 0;
    bool m_Changed = false;
    int32_t m_CurrentRow = 0;
    std::string m_BrowseFolder;
    std::string m_XmlFile;
    kaPropertyList m_Properties;
    // The rows the designer gave a value since the list was given.
    std::set<int32_t> m_SetRows;
};
