#include "engine/gui/guiGlyph.h"

#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiPropertyText.h"

#include <sstream>

using guiPropertyText::Parse;
using guiPropertyText::ParseCoordPair;

namespace
{

const std::vector<std::pair<std::string, int32_t>>& ClipModeChoices()
{
    static const std::vector<std::pair<std::string, int32_t>> choices = {
        {"None", guiGlyph::kClipNone},
        {"To Parent", guiGlyph::kClipToParent},
        {"To Self", guiGlyph::kClipToSelf}};
    return choices;
}

} // namespace

void guiGlyph::GetProperties(GuiParamTable& sheet) const
{
    sheet.InsertEnum("ClipMode", m_ClipMode, ClipModeChoices());
    sheet.InsertInt("ChildOrder", m_ChildOrder);
    sheet.InsertInt("Layer", m_Layer);
    sheet.InsertBool("Visible", m_Visible);
    sheet.InsertCoordPair("Size", m_Size);
    sheet.InsertCoordPair("Position", m_Position);
    sheet.InsertString("Name", m_Name);
}

void guiGlyph::SetProperties(const GuiParamTable& sheet)
{
    if (const GuiParamTable::Entry* entry = sheet.Find("ClipMode"))
    {
        if (Parse(entry->text, m_ClipMode))
            SetDirty(true);
    }
    if (const GuiParamTable::Entry* entry = sheet.Find("Position"))
    {
        guiCoordPair position = m_Position;
        if (ParseCoordPair(entry->text, position))
        {
            SetPosition(position);
            SetDirty(true);
        }
    }
    if (const GuiParamTable::Entry* entry = sheet.Find("Size"))
    {
        guiCoordPair size = m_Size;
        bool parsed = true;
        if (entry->text == "0")
            size = guiCoordPair::Pixels(0.0f, 0.0f);
        else if (entry->text == "1")
            size = guiCoordPair::Relative(1.0f, 1.0f);
        else if (entry->text == "x" && !m_Children.empty())
            size = m_Children.front()->GetSize();
        else
            parsed = ParseCoordPair(entry->text, size);
        if (parsed)
        {
            SetSize(size);
            SetDirty(true);
        }
    }
    if (const GuiParamTable::Entry* entry = sheet.Find("Layer"))
    {
        int32_t layer;
        if (Parse(entry->text, layer))
            SetLayer(layer);
    }
    if (const GuiParamTable::Entry* entry = sheet.Find("ChildOrder"))
        Parse(entry->text, m_ChildOrder);
    if (const GuiParamTable::Entry* entry = sheet.Find("Visible"))
    {
        bool visible;
        if (Parse(entry->text, visible))
            SetVisible(visible);
    }
}
