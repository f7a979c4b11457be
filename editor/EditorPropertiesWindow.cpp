#include "editor/EditorPropertiesWindow.h"

#include "engine/core/kaDirectoryIterator.h"
#include "engine/core/kaFileSystem.h"
#include "engine/core/kaStringUtils.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiGroup.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "engine/scene/kaPropertyRecord.h"

#include <tinyxml.h>

#include <cstdio>
#include <vector>

namespace
{

template <typename T> T* Find(guiGlyph* root, const std::string& name)
{
    guiGlyph* found = root != nullptr ? root->FindChild(name) : nullptr;
    return found != nullptr ? found->DynamicCast<T>() : nullptr;
}

bool SameText(const std::string& a, const std::string& b)
{
    return ToLower(a) == ToLower(b);
}

// The text from the last "." on, lower-cased; empty without a ".".
std::string Extension(const std::string& name)
{
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : ToLower(name.substr(dot));
}

bool IsPicture(const std::string& name)
{
    const std::string extension = Extension(name);
    return extension == ".dds" || extension == ".bmp" || extension == ".tga";
}

bool IsListedFile(const std::string& name)
{
    const std::string extension = Extension(name);
    return IsPicture(name) || extension == ".kmf" || extension == ".xml";
}

// One level up: trailing separators go first, so a folder entered from a folder row ("a/b" + "/c") and a
// record's folder ("a/b/c/") both climb to "a/b". A text without a separator stays as it is.
std::string ParentFolder(std::string folder)
{
    const size_t last = folder.find_last_not_of("\\/");
    if (last != std::string::npos)
        folder.erase(last + 1);
    const size_t cut = folder.find_last_of("\\/");
    return cut == std::string::npos ? folder : folder.substr(0, cut);
}

guiGlyph* LoadCell(const char* file)
{
    guiGlyph* cell = gui::LoadLayout(file);
    if (cell != nullptr)
        cell->CreateDeviceObjectsAll();
    return cell;
}

void ShowGroup(guiGroup* group, bool show)
{
    if (group != nullptr)
        group->SetVisible(show);
}

bool LoadXml(TiXmlDocument& document, const std::string& path)
{
    const std::string found = ResolvePath(path);
    FILE* file = found.empty() ? nullptr : OpenFile(found, "rb");
    if (file == nullptr)
        return false;
    const bool loaded = LoadXmlDocument(document, file, path);
    std::fclose(file);
    return loaded;
}

std::string Attribute(const TiXmlElement* element, const char* name)
{
    const char* value = element->Attribute(name);
    return value != nullptr ? value : std::string();
}

} // namespace

EditorPropertiesWindow::EditorPropertiesWindow(const std::string& layoutFile)
    : guiWindow(layoutFile), m_Document(std::make_unique<TiXmlDocument>())
{
    m_Title = Find<guiTextBox>(this, "title");
    m_Grid = Find<guiGrid>(this, "property grid");
    m_XmlList = Find<guiListBox>(this, "xml list");
    m_XmlListGroup = Find<guiGroup>(this, "xml list group");
    m_XmlButtonGroup = Find<guiGroup>(this, "xml list button group");
    m_BrowseList = Find<guiListBox>(this, "browse list");
    m_BrowseListGroup = Find<guiGroup>(this, "browse list group");
    m_BrowseButtonGroup = Find<guiGroup>(this, "list button group");
    m_PreviewGroup = Find<guiGroup>(this, "preview group");
    m_Preview = Find<guiImage>(this, "preview");

    if (m_Grid != nullptr)
    {
        m_Grid->SetColumnWidth(0, kLabelWidth);
        m_Grid->SetColumnWidth(1, kValueWidth);
        m_Grid->SetColumnParam(2, kButtonColumnAlignment);
    }
    if (m_BrowseList != nullptr)
    {
        m_BrowseList->SetMaxChars(kListMaxChars);
        m_BrowseList->AddHandler(gui::kEventCellSelected,
                                 [this](const guiMsgEvent&)
                                 {
                                     ShowBrowsePreview();
                                     return true;
                                 });
        m_BrowseList->AddHandler(gui::kEventDoubleClick,
                                 [this](const guiMsgEvent&)
                                 {
                                     ChooseBrowseEntry();
                                     return true;
                                 });
    }
    if (m_XmlList != nullptr)
    {
        m_XmlList->SetMaxChars(kListMaxChars);
        m_XmlList->AddHandler(gui::kEventDoubleClick,
                              [this](const guiMsgEvent&)
                              {
                                  ChooseXmlValue();
                                  return true;
                              });
    }
    auto bind = [this](const char* name, const guiButton::Callback& callback)
    {
        if (auto* button = Find<guiButton>(this, name))
            button->SetOnClick(callback);
    };
    bind("list select button",
         [this](int)
         {
             ChooseBrowseEntry();
             return true;
         });
    bind("list cancel button",
         [this](int)
         {
             ShowBrowseList(false);
             return true;
         });
    bind("xml list select button",
         [this](int)
         {
             ChooseXmlValue();
             return true;
         });
    bind("xml list cancel button",
         [this](int)
         {
             ShowXmlList(false);
             return true;
         });
    bind("ok", [this](int) { return _OnOk(); });
    bind("cancel", [this](int) { return _OnCancel(); });
}

EditorPropertiesWindow::~EditorPropertiesWindow() = default;

void EditorPropertiesWindow::OnShow()
{
    ShowBrowseList(false);
    ShowXmlList(false);
    guiWindow::OnShow();
}

void EditorPropertiesWindow::SetTitle(const std::string& title)
{
    if (m_Title != nullptr)
        m_Title->SetText(title);
}

void EditorPropertiesWindow::SetPropertyList(const kaPropertyList& list)
{
    m_Properties = list;
    if (m_Grid != nullptr)
        m_Grid->Clear(false);
    m_RowCount = 0;
    m_SetRows.clear();
    for (const kaCountedPtr<kaPropertyRecord>& record : m_Properties)
        if (record)
            AddPropertyRow(record->m_Label, record->m_Value, record->m_Browse, record->m_Folder,
                           record->m_Kind == kaPropertyRecord::kFromListFile, record->m_ListFile);
}

void EditorPropertiesWindow::AddPropertyRow(const std::string& label, const std::string& value, bool browse,
                                            const std::string& folder, bool fromList,
                                            const std::string& listFile)
{
    if (m_Grid == nullptr)
        return;
    const int32_t row = m_RowCount;

    guiGlyph* labelCell = LoadCell(kLabelCell);
    if (auto* box = Find<guiTextBox>(labelCell, kLabelName))
        box->SetText(label);
    m_Grid->SetCell(row, 0, labelCell);

    guiGlyph* valueCell = LoadCell(kValueCell);
    if (auto* box = Find<guiTextBox>(valueCell, kValueName))
    {
        box->SetText(value);
        box->AddHandler(gui::kEventValueChanged,
                        [this, row](const guiMsgEvent&) { return _OnValueCommitted(row); });
    }
    m_Grid->SetCell(row, 1, valueCell);

    if (browse)
    {
        guiGlyph* cell = LoadCell(kBrowseCell);
        if (auto* button = Find<guiButton>(cell, kBrowseName))
            button->SetOnClick(
                [this, row](int)
                {
                    OnBrowseButton(row);
                    return true;
                });
        m_Grid->SetCell(row, 2, cell);
        m_Grid->SetCellData(row, 2, ka::any(folder));
    }
    else if (fromList)
    {
        guiGlyph* cell = LoadCell(kXmlCell);
        if (auto* button = Find<guiButton>(cell, kXmlName))
            button->SetOnClick(
                [this, row](int)
                {
                    OnXmlButton(row);
                    return true;
                });
        m_Grid->SetCell(row, 2, cell);
        // Each list row keeps its own file, so that its button never offers another row's values.
        m_Grid->SetCellData(row, 2, ka::any(ListFile{listFile}));
        m_XmlFile = listFile;
    }
    else
    {
        m_Grid->SetCellSelectable(row, 2, false);
    }
    ++m_RowCount;
}

kaPropertyList EditorPropertiesWindow::GetPropertyList()
{
    if (!m_Changed)
        return m_Properties;
    kaPropertyList rebuilt;
    for (int32_t row = 0; row < m_RowCount; ++row)
    {
        kaPropertyRecord& record =
            kaPropertyRecord::Append(rebuilt, _CellText(row, 0, kLabelName), _CellText(row, 1, kValueName));
        std::string folder;
        if (m_Grid != nullptr && m_Grid->IsCellSelectable(row, 2) && _CellFolder(row, folder))
            record.m_Folder = folder;
        record.m_Set = m_SetRows.count(row) != 0;
    }
    m_Properties = rebuilt;
    return m_Properties;
}

int32_t EditorPropertiesWindow::FindRowByLabel(const std::string& label) const
{
    if (m_Grid == nullptr)
        return -1;
    for (int32_t row = 0; row < m_RowCount; ++row)
        if (auto* box = Find<guiTextBox>(m_Grid->GetCell(row, 0), kLabelName))
            if (SameText(box->GetText(), label))
                return row;
    return -1;
}

guiTextBox* EditorPropertiesWindow::GetValueBox(int32_t row) const
{
    if (m_Grid == nullptr || row < 0 || row >= m_RowCount)
        return nullptr;
    return Find<guiTextBox>(m_Grid->GetCell(row, 1), kValueName);
}

void EditorPropertiesWindow::OnBrowseButton(int32_t row)
{
    m_CurrentRow = row;
    std::string folder;
    if (_CellFolder(row, folder))
        m_BrowseFolder = folder;
    ShowBrowseList(true);
}

void EditorPropertiesWindow::ShowBrowseList(bool show)
{
    if (show && m_BrowseList != nullptr)
    {
        m_BrowseList->Clear(false);
        bool parent = false;
        std::vector<std::string> folders;
        std::vector<std::string> files;
        for (kaDirectoryIterator entry(m_BrowseFolder + "/*", kaDirectoryIterator::kEveryEntry);
             !entry.AtEnd(); ++entry)
        {
            const std::string name = *entry;
            if (name == kParentFolder)
                parent = true;
            else if (name.find('.') == std::string::npos)
                folders.push_back("/" + name);
            else if (IsListedFile(name))
                files.push_back(name);
        }
        if (parent)
            m_BrowseList->AddRow(kParentFolder, ka::any());
        for (const std::string& folder : folders)
            m_BrowseList->AddRow(folder, ka::any());
        for (const std::string& file : files)
            m_BrowseList->AddRow(file, ka::any());
        if (m_BrowseList->GetUsedRows() > 0)
            m_BrowseList->SelectRow(0, false);
        ShowBrowsePreview();
        // The two lists share their place on the sheet.
        ShowGroup(m_XmlListGroup, false);
        ShowGroup(m_XmlButtonGroup, false);
    }
    ShowGroup(m_BrowseListGroup, show);
    ShowGroup(m_BrowseButtonGroup, show);
    ShowGroup(m_PreviewGroup, show);
}

void EditorPropertiesWindow::ShowBrowsePreview()
{
    if (m_BrowseList == nullptr || m_Preview == nullptr)
        return;
    const std::string text = m_BrowseList->GetSelectedText();
    if (!IsPicture(text))
        return;
    m_Preview->SetFilename(m_BrowseFolder + "/" + text, true);
    // Pictures show pixel for pixel.
    if (!m_Preview->GetRenderState().GetStages().empty())
        m_Preview->SetFiltering(0);
}

void EditorPropertiesWindow::ChooseBrowseEntry()
{
    if (m_BrowseList == nullptr)
        return;
    const std::string text = m_BrowseList->GetSelectedText();
    if (text.empty())
        return;
    if (text == kParentFolder)
    {
        m_BrowseFolder = ParentFolder(m_BrowseFolder);
        ShowBrowseList(true);
    }
    else if (text.find('.') == std::string::npos)
    {
        m_BrowseFolder += text;
        ShowBrowseList(true);
    }
    else
    {
        if (guiTextBox* box = GetValueBox(m_CurrentRow))
            box->SetText(m_BrowseFolder + "/" + text);
        ShowBrowseList(false);
        m_SetRows.insert(m_CurrentRow);
        m_Changed = true;
    }
}

void EditorPropertiesWindow::OnXmlButton(int32_t row)
{
    m_CurrentRow = row;
    if (m_Grid != nullptr)
    {
        ka::any data = m_Grid->GetCellData(row, 2);
        if (const ListFile* own = ka::any_cast<ListFile>(&data))
            m_XmlFile = own->path;
        else if (const std::string* file = ka::any_cast<std::string>(&data))
            m_XmlFile = *file;
    }
    ShowXmlList(true);
}

void EditorPropertiesWindow::ShowXmlList(bool show)
{
    if (show)
    {
        if (m_XmlList != nullptr)
            m_XmlList->Clear(false);
        m_Document = std::make_unique<TiXmlDocument>();
        const TiXmlElement* root = LoadXml(*m_Document, m_XmlFile) ? m_Document->RootElement() : nullptr;
        if (root == nullptr)
        {
            show = false;
        }
        else
        {
            for (const TiXmlElement* property = root->FirstChildElement("property"); property != nullptr;
                 property = property->NextSiblingElement("property"))
            {
                const std::string value = Attribute(property, "value");
                if (!value.empty() && m_XmlList != nullptr)
                    m_XmlList->AddRow(value, ka::any());
            }
            // The two lists share their place on the sheet.
            ShowGroup(m_BrowseListGroup, false);
            ShowGroup(m_BrowseButtonGroup, false);
            ShowGroup(m_PreviewGroup, false);
        }
    }
    ShowGroup(m_XmlListGroup, show);
    ShowGroup(m_XmlButtonGroup, show);
}

void EditorPropertiesWindow::ChooseXmlValue()
{
    if (m_XmlList == nullptr)
        return;
    const std::string text = m_XmlList->GetSelectedText();
    if (text.empty())
        return;
    if (guiTextBox* box = GetValueBox(m_CurrentRow))
        box->SetText(text);
    m_SetRows.insert(m_CurrentRow);
    const TiXmlElement* root = m_Document->RootElement();
    const TiXmlElement* chosen = nullptr;
    for (const TiXmlElement* property = root != nullptr ? root->FirstChildElement("property") : nullptr;
         property != nullptr && chosen == nullptr; property = property->NextSiblingElement("property"))
        if (SameText(Attribute(property, "value"), text))
            chosen = property;
    for (const TiXmlElement* child = chosen != nullptr ? chosen->FirstChildElement() : nullptr;
         child != nullptr; child = child->NextSiblingElement())
    {
        const std::string label = Attribute(child, "label");
        if (label.empty())
            continue;
        for (const kaCountedPtr<kaPropertyRecord>& record : m_Properties)
        {
            if (!record || !SameText(record->m_Label, label))
                continue;
            const int32_t row = FindRowByLabel(record->m_Label);
            if (guiTextBox* other = GetValueBox(row))
            {
                other->SetText(Attribute(child, "value"));
                m_SetRows.insert(row);
            }
        }
    }
    ShowXmlList(false);
    m_Changed = true;
}

bool EditorPropertiesWindow::_OnValueCommitted(int32_t row)
{
    m_SetRows.insert(row);
    m_Changed = true;
    return true;
}

bool EditorPropertiesWindow::_OnOk()
{
    if (g_pGuiManager != nullptr)
        g_pGuiManager->HideWindow(this, gui::kModalDone);
    return true;
}

bool EditorPropertiesWindow::_OnCancel()
{
    m_Changed = false;
    m_SetRows.clear();
    if (g_pGuiManager != nullptr)
        g_pGuiManager->HideWindow(this, gui::kModalCancelled);
    return true;
}

std::string EditorPropertiesWindow::_CellText(int32_t row, int32_t column, const char* name) const
{
    auto* box = m_Grid != nullptr ? Find<guiTextBox>(m_Grid->GetCell(row, column), name) : nullptr;
    return box != nullptr ? box->GetText() : std::string();
}

bool EditorPropertiesWindow::_CellFolder(int32_t row, std::string& folder) const
{
    if (m_Grid == nullptr)
        return false;
    ka::any data = m_Grid->GetCellData(row, 2);
    const std::string* text = ka::any_cast<std::string>(&data);
    if (text == nullptr)
        return false;
    folder = *text;
    return true;
}
