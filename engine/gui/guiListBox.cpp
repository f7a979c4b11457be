#include "engine/gui/guiListBox.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiGridParams.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiText.h"
#include "engine/gui/guiWidgetFactoryFor.h"

#include <sstream>

namespace
{

const guiWidgetFactoryFor<guiListBox> s_Factory;

guiText* TextOf(guiGlyph* glyph)
{
    return glyph != nullptr ? glyph->DynamicCast<guiText>() : nullptr;
}

} // namespace

const kaClassInfo& guiListBox::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kListBoxClass);
}

guiListBox::guiListBox(const guiCoordPair& position, const guiCoordPair& size)
    : guiGrid(guiGridParams(1, kDefaultRowHeight, 1, {kInitialWidth}))
{
    SetPosition(position);
    SetSize(size);
    Setup(1, kDefaultRowHeight, 1, {ToPixels(m_Size).x});
}

guiListBox::guiListBox(std::istream& stream)
{
    guiListBox::ReadText(stream);
}

guiListBox::guiListBox(kaBinaryStream& stream)
{
    guiListBox::ReadBinary(stream);
}

void guiListBox::AddRow(const std::string& text, const ka::any& value)
{
    guiTextParams params = m_TextParams;
    params.text = text;
    params.foreColor = m_ForeColor;
    guiText* glyph = new guiText(params);
    glyph->SetSize(guiCoordPair::Relative(1.0f, 1.0f));
    glyph->SetColor(m_ForeColor);
    glyph->SetMaxChars(m_MaxChars);
    glyph->SetText(text);
    const int32_t row = m_UsedRows;
    SetCell(row, 0, glyph);
    if (GetCell(row, 0) != glyph)
    {
        // The grid is full: the glyph found no place.
        glyph->Release();
        return;
    }
    SetCellData(row, 0, value);
    ++m_UsedRows;
    if (GetCurrent().y < 0)
        SelectRow(0, false);
}

int32_t guiListBox::FindRow(const std::string& text, int32_t column) const
{
    for (int32_t row = 0; row < m_UsedRows; ++row)
        if (const guiText* glyph = TextOf(GetCell(row, column)); glyph != nullptr && glyph->GetText() == text)
            return row;
    return -1;
}

bool guiListBox::SelectByText(const std::string& text)
{
    if (text.empty())
    {
        SelectRow(-1, false);
        return true;
    }
    const int32_t row = FindRow(text, 0);
    if (row < 0)
        return false;
    SelectRow(row, false);
    return true;
}

std::string guiListBox::GetSelectedText() const
{
    const guiText* glyph = TextOf(GetSelectedCell());
    return glyph != nullptr ? glyph->GetText() : std::string();
}

bool guiListBox::OnKey(const guiMsgKey& message)
{
    return _OnArrowKey(message, true);
}

void guiListBox::SetCellSelectable(int32_t row, int32_t column, bool selectable)
{
    guiGrid::SetCellSelectable(row, column, selectable);
    if (guiText* glyph = TextOf(GetCell(row, column)))
        glyph->SetColor(selectable ? m_ForeColor : m_DisabledColor);
}

void guiListBox::Clear(bool /*alsoColumns*/)
{
    guiGrid::Clear(false);
    m_UsedRows = 0;
}

void guiListBox::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "ForeColor", m_ForeColor);
    m_TextParams.WriteText(stream);
    guiGrid::WriteText(stream);
}

void guiListBox::ReadText(std::istream& stream)
{
    gui::ReadTextField(stream, m_ForeColor);
    if (gui::GetLayoutVersion() >= kTextParamsVersion)
        m_TextParams.ReadText(stream);
    guiGrid::ReadText(stream);
}

void guiListBox::WriteBinary(kaBinaryStream& stream) const
{
    m_ForeColor.Write(stream);
    m_TextParams.WriteBinary(stream);
    guiGrid::WriteBinary(stream);
}

void guiListBox::ReadBinary(kaBinaryStream& stream)
{
    m_ForeColor.Read(stream);
    if (gui::GetLayoutVersion() >= kTextParamsVersion)
        m_TextParams.ReadBinary(stream);
    guiGrid::ReadBinary(stream);
}

void guiListBox::GetProperties(GuiParamTable& sheet) const
{
    sheet.InsertColor("Color", m_ForeColor);
    sheet.InsertFontName("Font", m_TextParams.font);
    guiGrid::GetProperties(sheet);
}

void guiListBox::SetProperties(const GuiParamTable& sheet)
{
    if (const GuiParamTable::Entry* entry = sheet.Find("Color"))
    {
        std::istringstream text(entry->text);
        kaColor color = m_ForeColor;
        color.ReadText(text);
        if (text)
            m_ForeColor = color;
    }
    if (const GuiParamTable::Entry* entry = sheet.Find("Font"))
        if (std::string name = GuiParamTable::FontName(entry->text); !name.empty())
            m_TextParams.font = name;
    guiGrid::SetProperties(sheet);
}
