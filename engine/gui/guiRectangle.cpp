#include "engine/gui/guiRectangle.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiLines.h"
#include "engine/gui/guiPropertyText.h"
#include "engine/gui/guiWidgetFactoryFor.h"

#include <sstream>

using guiPropertyText::Parse;
using guiPropertyText::ParseColor;

namespace
{

const guiWidgetFactoryFor<guiRectangle> s_Factory;

} // namespace

const kaClassInfo& guiRectangle::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kRectangleClass);
}

guiRectangle::guiRectangle(const guiCoordPair& position, const guiCoordPair& size)
{
    SetPosition(position);
    SetSize(size);
    _MakeFill();
    _BuildOutline();
}

guiRectangle::guiRectangle(std::istream& stream)
{
    guiRectangle::ReadText(stream);
}

guiRectangle::guiRectangle(kaBinaryStream& stream)
{
    guiRectangle::ReadBinary(stream);
}

void guiRectangle::_MakeFill()
{
    guiImageParams params;
    params.size = guiCoordPair::Relative(1.0f, 1.0f);
    params.foreColor = m_FillColor;
    guiImage* fill = new guiImage(params);
    AddChild(fill);
    m_Fill = fill;
}

void guiRectangle::_BuildOutline()
{
    if (m_Border != nullptr)
        RemoveChild(m_Border);
    m_Border = nullptr;
    if (m_BorderWidth > 0.0f)
    {
        const float h = m_BorderWidth / 2.0f;
        const float w = static_cast<float>(m_PixelSize.x);
        const float height = static_cast<float>(m_PixelSize.y);
        guiLines* border = new guiLines(4, m_BorderWidth);
        border->AddLine(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(w, 0));
        border->AddLine(guiCoordPair::Pixels(w - h, 0), guiCoordPair::Pixels(w - h, height));
        border->AddLine(guiCoordPair::Pixels(w, height), guiCoordPair::Pixels(0, height));
        border->AddLine(guiCoordPair::Pixels(h, height), guiCoordPair::Pixels(h, 0));
        border->SetColor(m_BorderColor);
        AddChild(border);
        m_Border = border;
    }
    if (m_Fill != nullptr)
        m_Fill->SetVisible(m_Filled);
    if (m_Border != nullptr)
        m_Border->SetVisible(m_BorderWidth > 0.0f);
}

void guiRectangle::Render(guiRenderContext& context)
{
    if (m_Dirty)
        _BuildOutline();
    guiGlyph::Render(context);
}

int guiRectangle::RemoveChild(guiGlyph* child)
{
    const int remaining = guiGlyph::RemoveChild(child);
    if (remaining >= 0 && child == m_Fill)
        m_Fill = nullptr;
    if (remaining >= 0 && child == m_Border)
        m_Border = nullptr;
    return remaining;
}

int32_t guiRectangle::_SavedIndex(const guiGlyph* child) const
{
    if (child == nullptr)
        return -1;
    int32_t index = 0;
    for (const guiGlyph* glyph : m_Children)
    {
        if (!glyph->IsSaveable())
            continue;
        if (glyph == child)
            return index;
        ++index;
    }
    return -1;
}

guiGlyph* guiRectangle::_SavedChild(int32_t index) const
{
    if (index < 0)
        return nullptr;
    for (guiGlyph* glyph : m_Children)
    {
        if (!glyph->IsSaveable())
            continue;
        if (index-- == 0)
            return glyph;
    }
    return nullptr;
}

void guiRectangle::_ResolveParts(int32_t fill, int32_t border)
{
    guiGlyph* fillGlyph = _SavedChild(fill);
    guiGlyph* borderGlyph = _SavedChild(border);
    m_Fill = fillGlyph != nullptr ? fillGlyph->DynamicCast<guiImage>() : nullptr;
    m_Border = borderGlyph != nullptr ? borderGlyph->DynamicCast<guiLines>() : nullptr;
}

void guiRectangle::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "Filled", m_Filled);
    gui::WriteTextField(stream, "FillColor", m_FillColor);
    gui::WriteTextField(stream, "BorderWidth", m_BorderWidth);
    gui::WriteTextField(stream, "BorderColor", m_BorderColor);
    gui::WriteTextField(stream, "Fill", _SavedIndex(m_Fill));
    gui::WriteTextField(stream, "Border", _SavedIndex(m_Border));
    guiGlyph::WriteText(stream);
}

void guiRectangle::ReadText(std::istream& stream)
{
    int32_t fill = -1;
    int32_t border = -1;
    gui::ReadTextField(stream, m_Filled);
    gui::ReadTextField(stream, m_FillColor);
    gui::ReadTextField(stream, m_BorderWidth);
    gui::ReadTextField(stream, m_BorderColor);
    gui::ReadTextField(stream, fill);
    gui::ReadTextField(stream, border);
    guiGlyph::ReadText(stream);
    _ResolveParts(fill, border);
}

void guiRectangle::WriteBinary(kaBinaryStream& stream) const
{
    stream.WriteBool(m_Filled);
    m_FillColor.Write(stream);
    stream.WriteFloat(m_BorderWidth);
    m_BorderColor.Write(stream);
    stream.WriteInt32(_SavedIndex(m_Fill));
    stream.WriteInt32(_SavedIndex(m_Border));
    guiGlyph::WriteBinary(stream);
}

void guiRectangle::ReadBinary(kaBinaryStream& stream)
{
    int32_t fill = -1;
    int32_t border = -1;
    stream.ReadBool(m_Filled);
    m_FillColor.Read(stream);
    stream.ReadFloat(m_BorderWidth);
    m_BorderColor.Read(stream);
    stream.ReadInt32(fill);
    stream.ReadInt32(border);
    guiGlyph::ReadBinary(stream);
    _ResolveParts(fill, border);
}

void guiRectangle::GetProperties(GuiParamTable& sheet) const
{
    sheet.InsertColor("BorderColor", m_BorderColor);
    sheet.InsertFloat("BorderWidth", m_BorderWidth);
    sheet.InsertColor("FillColor", m_FillColor);
    sheet.InsertBool("Filled", m_Filled);
    guiGlyph::GetProperties(sheet);
}

void guiRectangle::SetProperties(const GuiParamTable& sheet)
{
    if (const GuiParamTable::Entry* entry = sheet.Find("Filled"); entry && Parse(entry->text, m_Filled))
        SetDirty(true);
    kaColor color = m_FillColor;
    if (const GuiParamTable::Entry* entry = sheet.Find("FillColor"); entry && ParseColor(entry->text, color))
        SetFillColor(color);
    if (const GuiParamTable::Entry* entry = sheet.Find("BorderWidth");
        entry && Parse(entry->text, m_BorderWidth))
        SetDirty(true);
    if (const GuiParamTable::Entry* entry = sheet.Find("BorderColor");
        entry && ParseColor(entry->text, m_BorderColor))
        SetDirty(true);
    guiGlyph::SetProperties(sheet);
}

void guiRectangle::SetFillColor(const kaColor& color)
{
    m_FillColor = color;
    if (m_Fill != nullptr)
        m_Fill->SetColor(color.r, color.g, color.b, color.a);
    SetDirty(true);
}

void guiRectangle::SetFilled(bool filled)
{
    m_Filled = filled;
    SetDirty(true);
}

void guiRectangle::SetBorderWidth(float width)
{
    m_BorderWidth = width;
    SetDirty(true);
}

void guiRectangle::SetBorderColor(const kaColor& color)
{
    m_BorderColor = color;
    SetDirty(true);
}
