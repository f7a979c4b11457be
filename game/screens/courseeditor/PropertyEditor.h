#pragma once

#include "engine/gui/guiWindow.h"

#include <cstdint>
#include <string>
#include <vector>

class guiGrid;

// A window of label and value rows in a two-column grid, each cell a small layout holding a text box
// named "TextField" (or a drop-down of choices).
class PropertyEditor : public guiWindow
{
public:
    static constexpr const char* kGridName = "Properties Grid";
    static constexpr const char* kTextFieldName = "TextField";
    static constexpr const char* kDropDownName = "Value Dropdown";
    static constexpr const char* kLabelCell = "tvEditor/properties_label_cell.kab";
    static constexpr const char* kEditCell = "tvEditor/properties_edit_cell.kab";
    static constexpr const char* kTextCell = "tvEditor/properties_text_cell.kab";
    static constexpr const char* kChoiceCell = "tvEditor/properties_dropdown_cell.kab";
    static constexpr int32_t kLabelWidth = 140;
    static constexpr int32_t kValueWidth = 160;

    explicit PropertyEditor(const std::string& layoutFile);
    ~PropertyEditor() override;

    // The cell's layout goes into the grid only when it has a text field, which shows the text as a prompt.
    void AddCell(int32_t row, int32_t column, const std::string& layoutFile, const std::string& text);
    void AddTextRow(int32_t row, const std::string& label, const std::string& value, bool editable);
    void AddChoiceRow(int32_t row, const std::string& label, const std::vector<std::string>& items);
    // The value cell's text field; empty when it has none.
    std::string GetRowText(int32_t row) const;

    guiGrid* GetGrid() const { return m_Grid; }

protected:
    guiGrid* m_Grid = nullptr;
};
