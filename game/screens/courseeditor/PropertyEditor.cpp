#include "game/screens/courseeditor/PropertyEditor.h"

#include "engine/gui/guiDropDown.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiWidgetLookup.h"

namespace
{

guiTextBox* TextField(guiGlyph* cell)
{
    guiGlyph* found = cell != nullptr ? cell->FindChild(PropertyEditor::kTextFieldName) : nullptr;
    return found != nullptr ? found->DynamicCast<guiTextBox>() : nullptr;
}

guiGlyph* LoadCell(const std::string& file)
{
    guiGlyph* cell = gui::LoadLayout(file);
    if (cell != nullptr)
        cell->CreateDeviceObjectsAll();
    return cell;
}

} // namespace

PropertyEditor::PropertyEditor(const std::string& layoutFile) : guiWindow(layoutFile)
{
    m_Grid = guiWidgetLookup::Find<guiGrid>(*this, kGridName);
    if (m_Grid != nullptr)
    {
        m_Grid->SetColumnWidth(0, kLabelWidth);
        m_Grid->SetColumnWidth(1, kValueWidth);
    }
}

PropertyEditor::~PropertyEditor() = default;

void PropertyEditor::AddCell(int32_t row, int32_t column, const std::string& layoutFile,
                             const std::string& text)
{
    guiGlyph* cell = LoadCell(layoutFile);
    guiTextBox* field = TextField(cell);
    if (field == nullptr || m_Grid == nullptr)
    {
        // Nothing else holds it.
        if (cell != nullptr)
            cell->Release();
        return;
    }
    // What a cell starts with gives way to the first key typed into it.
    field->SetPrompt(text);
    m_Grid->SetCell(row, column, cell);
}

void PropertyEditor::AddTextRow(int32_t row, const std::string& label, const std::string& value,
                                bool editable)
{
    AddCell(row, 0, kLabelCell, label);
    AddCell(row, 1, editable ? kEditCell : kTextCell, value);
}

void PropertyEditor::AddChoiceRow(int32_t row, const std::string& label,
                                  const std::vector<std::string>& items)
{
    AddCell(row, 0, kLabelCell, label);
    guiGlyph* cell = LoadCell(kChoiceCell);
    if (cell == nullptr)
        return;
    if (guiGlyph* found = cell->FindChild(kDropDownName))
        if (auto* choices = found->DynamicCast<guiDropDown>())
            for (const std::string& item : items)
                choices->AddItem(item, ka::any());
    if (m_Grid != nullptr)
        m_Grid->SetCell(row, 1, cell);
    else
        cell->Release();
}

std::string PropertyEditor::GetRowText(int32_t row) const
{
    guiTextBox* field = m_Grid != nullptr ? TextField(m_Grid->GetCell(row, 1)) : nullptr;
    return field != nullptr ? field->GetText() : std::string();
}
