#include "engine/gui/guiBorder.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiLines.h"
#include "engine/gui/guiWidgetFactoryFor.h"

#include <sstream>

namespace
{

const guiWidgetFactoryFor<guiBorder> s_Factory;

constexpr int kSegments = 4;

} // namespace

const kaClassInfo& guiBorder::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kBorderClass);
}

guiBorder::guiBorder(const guiCoordPair& /*position*/, const guiCoordPair& /*size*/)
{
    _MakeOutline();
}

guiBorder::guiBorder(std::istream& stream)
{
    guiBorder::ReadText(stream);
    _Fit();
    _MakeOutline();
}

guiBorder::guiBorder(kaBinaryStream& stream)
{
    guiBorder::ReadBinary(stream);
    _Fit();
    _MakeOutline();
}

void guiBorder::_MakeOutline()
{
    m_Outline = new guiLines(kSegments, m_Width);
    m_Outline->SetName("outline");
    // Made anew with every border, never saved.
    m_Outline->SetSaveable(false);
    m_Outline->SetColor(m_Outer);
    for (int i = 0; i < kSegments; ++i)
        m_Outline->AddLine(guiCoordPair(), guiCoordPair());
    AddChild(m_Outline);
    _SetSegments();
}

void guiBorder::_Fit()
{
    guiWidget* component = GetComponent();
    if (component == nullptr)
        return;
    const int64_t width = gui::TruncateToInt(m_Width);
    const kaPoint size = component->ToPixels(component->GetSize());
    const kaPoint position = component->ToPixels(component->GetPosition());
    const guiCoordPair fitSize =
        guiCoordPair::Pixels(static_cast<float>(gui::ClampToInt(size.x + 2 * width)),
                             static_cast<float>(gui::ClampToInt(size.y + 2 * width)));
    const guiCoordPair fitPosition =
        guiCoordPair::Pixels(static_cast<float>(gui::ClampToInt(position.x - width)),
                             static_cast<float>(gui::ClampToInt(position.y - width)));
    if (fitSize != m_Size)
        guiWidget::SetSize(fitSize);
    if (fitPosition != m_Position)
        guiWidget::SetPosition(fitPosition);
}

void guiBorder::_SetSegments()
{
    if (m_Outline == nullptr)
        return;
    const kaPoint at = ToPixels(m_Position);
    const kaPoint size = ToPixels(m_Size);
    const float x = static_cast<float>(at.x);
    const float y = static_cast<float>(at.y);
    const float w = static_cast<float>(size.x);
    const float h = static_cast<float>(size.y);
    const float hw = m_Width / 2.0f;
    auto px = guiCoordPair::Pixels;
    m_Outline->SetSegment(0, px(x, y + hw), px(x + w, y + hw));
    m_Outline->SetSegment(1, px(x + w - hw, y), px(x + w - hw, y + h));
    m_Outline->SetSegment(2, px(x, y + h - hw), px(x + w, y + h - hw));
    m_Outline->SetSegment(3, px(x + hw, y), px(x + hw, y + h));
}

void guiBorder::SetPosition(const guiCoordPair& position)
{
    guiWidget::SetPosition(position);
    if (guiWidget* component = GetComponent())
    {
        const kaPoint at = ToPixels(position);
        const int64_t width = gui::TruncateToInt(m_Width);
        component->SetPosition(guiCoordPair::Pixels(static_cast<float>(gui::ClampToInt(at.x + width)),
                                                    static_cast<float>(gui::ClampToInt(at.y + width))));
    }
}

void guiBorder::SetSize(const guiCoordPair& size)
{
    guiWidget::SetSize(size);
    if (guiWidget* component = GetComponent())
    {
        const kaPoint pixels = ToPixels(size);
        const int64_t width = gui::TruncateToInt(m_Width);
        component->SetSize(guiCoordPair::Pixels(static_cast<float>(gui::ClampToInt(pixels.x - 2 * width)),
                                                static_cast<float>(gui::ClampToInt(pixels.y - 2 * width))));
    }
}

void guiBorder::SetRelativeWidth(float width)
{
    m_Width = width;
    if (m_Outline != nullptr)
        m_Outline->SetRelativeWidth(width);
    SetDirty(true);
}

void guiBorder::SetColor(const kaColor& outer)
{
    m_Outer = outer;
    if (m_Outline != nullptr)
        m_Outline->SetColor(outer);
}

void guiBorder::Render(guiRenderContext& context)
{
    _Fit();
    guiDecorator::Render(context);
}

bool guiBorder::PreRender(guiRenderContext& context)
{
    guiDecorator::PreRender(context);
    if (IsDirty())
        _SetSegments();
    return true;
}

void guiBorder::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "Width", m_Width);
    gui::WriteTextField(stream, "Inner", m_Inner);
    gui::WriteTextField(stream, "Outer", m_Outer);
    guiDecorator::WriteText(stream);
}

void guiBorder::ReadText(std::istream& stream)
{
    gui::ReadTextField(stream, m_Width);
    gui::ReadTextField(stream, m_Inner);
    gui::ReadTextField(stream, m_Outer);
    guiDecorator::ReadText(stream);
}

void guiBorder::WriteBinary(kaBinaryStream& stream) const
{
    stream.WriteFloat(m_Width);
    m_Inner.Write(stream);
    m_Outer.Write(stream);
    guiDecorator::WriteBinary(stream);
}

void guiBorder::ReadBinary(kaBinaryStream& stream)
{
    stream.ReadFloat(m_Width);
    m_Inner.Read(stream);
    m_Outer.Read(stream);
    guiDecorator::ReadBinary(stream);
}

void guiBorder::GetProperties(GuiParamTable& sheet) const
{
    sheet.InsertColor("Color", m_Outer);
    sheet.InsertFloat("Width", m_Width);
    guiDecorator::GetProperties(sheet);
}

void guiBorder::SetProperties(const GuiParamTable& sheet)
{
    if (const GuiParamTable::Entry* entry = sheet.Find("Color"))
    {
        std::istringstream text(entry->text);
        kaColor color = m_Outer;
        color.ReadText(text);
        SetColor(color);
    }
    if (const GuiParamTable::Entry* entry = sheet.Find("Width"))
    {
        std::istringstream text(entry->text);
        float width = 0.0f;
        if (text >> width)
            SetRelativeWidth(width);
    }
    guiDecorator::SetProperties(sheet);
}
