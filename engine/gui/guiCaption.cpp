#include "engine/gui/guiCaption.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiText.h"
#include "engine/gui/guiTextParams.h"
#include "engine/gui/guiWidgetFactoryFor.h"

namespace
{

const guiWidgetFactoryFor<guiCaption> s_Factory;

} // namespace

const kaClassInfo& guiCaption::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kCaptionClass);
}

guiCaption::guiCaption(guiWidget* component, const guiTextParams& params) : guiDecorator(component)
{
    _FitToComponent();
    _AddCaption(new guiText(params));
}

guiCaption::guiCaption(const guiCoordPair& /*position*/, const guiCoordPair& /*size*/)
{
    guiTextParams params;
    params.text = kDefaultText;
    _AddCaption(new guiText(params));
}

guiCaption::guiCaption(std::istream& stream)
{
    guiCaption::ReadText(stream);
    m_Placed = true;
}

guiCaption::guiCaption(kaBinaryStream& stream)
{
    guiCaption::ReadBinary(stream);
    m_Placed = true;
}

void guiCaption::_AddCaption(guiText* text)
{
    m_Caption = text;
    AddChild(text);
    SetLayer(m_Layer);
}

void guiCaption::SetChild(guiWidget* widget)
{
    guiDecorator::SetChild(widget);
    if (widget != nullptr && m_Caption != nullptr)
        m_Caption->SetText(widget->GetName());
}

void guiCaption::SetCaptionText(const std::string& text)
{
    if (m_Caption == nullptr)
        return;
    m_Caption->SetText(text);
    m_Placed = false;
}

void guiCaption::SetPosition(const guiCoordPair& position)
{
    guiWidget::SetPosition(position);
    if (guiWidget* component = GetComponent())
        component->SetPosition(position);
}

void guiCaption::SetLayer(int32_t layer)
{
    guiWidget::SetLayer(layer);
    if (m_Caption != nullptr)
        m_Caption->SetLayer(layer + 2);
    if (guiWidget* component = GetComponent())
        component->SetLayer(layer);
}

bool guiCaption::IsDirty() const
{
    return guiDecorator::IsDirty() || (m_Caption != nullptr && m_Caption->IsDirty());
}

void guiCaption::_Centre()
{
    if (m_Caption == nullptr)
        return;
    const kaPoint size = ToPixels(m_Size);
    platform::Rect text;
    m_Caption->ComputeClientRect(text);
    // A text that measures nothing (no font to measure it by) is centred as a point.
    if (text.bottom < text.top)
        text.top = text.bottom = 0;
    if (text.right < text.left)
        text.left = text.right = 0;
    const float x = static_cast<float>(text.left) -
                    (static_cast<float>(size.x) - static_cast<float>(int64_t(text.right) - text.left)) / 2.0f;
    const float y = static_cast<float>(text.top) -
                    (static_cast<float>(size.y) - static_cast<float>(int64_t(text.bottom) - text.top)) / 2.0f;
    m_Caption->SetPosition(guiCoordPair::Pixels(static_cast<float>(-gui::TruncateToInt(x)),
                                                static_cast<float>(-gui::TruncateToInt(y))));
}

void guiCaption::Render(guiRenderContext& context)
{
    if (!m_Placed)
    {
        _Centre();
        m_Placed = true;
    }
    _FitToComponent();
    guiDecorator::Render(context);
}

bool guiCaption::PreRender(guiRenderContext& context)
{
    guiDecorator::PreRender(context);
    _PushOwnOrigin();
    return true;
}

void guiCaption::PostRender(guiRenderContext& context)
{
    guiDecorator::PostRender(context);
    _PopOwnOrigin();
}

int guiCaption::RemoveChild(guiGlyph* child)
{
    if (child != nullptr && child == m_Caption)
        m_Caption = nullptr;
    return guiDecorator::RemoveChild(child);
}

void guiCaption::_TakeCaption(int32_t index)
{
    guiGlyph* child = index >= 0 ? GetChild(index) : nullptr;
    m_Caption = child != nullptr && gui::IsA(child->GetClassInfo(), guiText::StaticClassInfo())
                    ? static_cast<guiText*>(child)
                    : nullptr;
    SetLayer(m_Layer);
}

void guiCaption::WriteText(std::ostream& stream) const
{
    gui::WriteOptionalTextField(stream, "Caption", m_Caption != nullptr ? IndexOfChild(m_Caption) : -1);
    guiDecorator::WriteText(stream);
}

void guiCaption::ReadText(std::istream& stream)
{
    int32_t index = -1;
    gui::ReadOptionalTextField(stream, index);
    guiDecorator::ReadText(stream);
    _TakeCaption(index);
}

void guiCaption::WriteBinary(kaBinaryStream& stream) const
{
    gui::WriteOptionalBinary(stream, m_Caption != nullptr ? IndexOfChild(m_Caption) : -1);
    guiDecorator::WriteBinary(stream);
}

void guiCaption::ReadBinary(kaBinaryStream& stream)
{
    int32_t index = -1;
    gui::ReadOptionalBinary(stream, index);
    guiDecorator::ReadBinary(stream);
    _TakeCaption(index);
}
