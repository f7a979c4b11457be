#include "engine/gui/guiScroller.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiScrollBar.h"
#include "engine/gui/guiScrollable.h"
#include "engine/gui/guiScrollerParams.h"
#include "engine/gui/guiWidgetFactoryFor.h"

#include <sstream>

namespace
{

const guiWidgetFactoryFor<guiScroller> s_Factory;

guiCoordPair Pixels(int64_t x, int64_t y)
{
    return guiCoordPair::Pixels(static_cast<float>(gui::ClampToInt(x)),
                                static_cast<float>(gui::ClampToInt(y)));
}

} // namespace

const kaClassInfo& guiScroller::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kScrollerClass);
}

guiScroller::guiScroller(guiWidget* component, const guiScrollerParams& params)
{
    _Init();
    m_Orientations = params.orientations;
    _MakeBars();
    SetChild(component);
    guiWidget::SetPosition(params.position);
}

guiScroller::guiScroller(const guiCoordPair& position, const guiCoordPair& size)
{
    _Init();
    guiWidget::SetPosition(position);
    guiDecorator::SetSize(size);
    _MakeBars();
}

guiScroller::guiScroller(std::istream& stream)
{
    _Init();
    guiScroller::ReadText(stream);
}

guiScroller::guiScroller(kaBinaryStream& stream)
{
    _Init();
    guiScroller::ReadBinary(stream);
}

void guiScroller::_Init()
{
    // The component at 0, 0 and the bars at the far edges are places inside the scroller.
    m_MovesOrigin = true;
}

bool guiScroller::AcceptsChild(guiWidget* widget)
{
    return widget != nullptr && widget->DynamicCast<guiScrollable>() != nullptr;
}

void guiScroller::SetChild(guiWidget* widget)
{
    guiDecorator::SetChild(widget);
    if (widget != nullptr)
        widget->SetPosition(guiCoordPair::Pixels(0, 0));
    m_Scrollable = widget != nullptr ? widget->DynamicCast<guiScrollable>() : nullptr;
    m_Initialised = false;
}

void guiScroller::_MakeBars()
{
    for (guiScrollBar* bar : {m_VerticalBar, m_HorizontalBar})
        if (bar != nullptr)
            RemoveChild(bar);
    if (m_Orientations & kVerticalBar)
    {
        m_VerticalBar = new guiScrollBar(
            guiScrollBar::kVertical, guiCoordPair(guiCoord::Pixels(kBarThickness), guiCoord::Relative(1.0f)));
        AddChild(m_VerticalBar);
    }
    if (m_Orientations & kHorizontalBar)
    {
        m_HorizontalBar =
            new guiScrollBar(guiScrollBar::kHorizontal,
                             guiCoordPair(guiCoord::Relative(1.0f), guiCoord::Pixels(kBarThickness)));
        AddChild(m_HorizontalBar);
    }
    m_Initialised = false;
    _Connect();
}

void guiScroller::_Connect()
{
    if (m_VerticalBar != nullptr)
    {
        m_VerticalBar->SetOnLess([this](int) { return ScrollUp(); });
        m_VerticalBar->SetOnMore([this](int) { return ScrollDown(); });
        m_VerticalBar->SetOnSlide([this](float fraction) { return SetVerticalPosition(fraction); });
    }
    if (m_HorizontalBar != nullptr)
    {
        m_HorizontalBar->SetOnLess([this](int) { return ScrollLeft(); });
        m_HorizontalBar->SetOnMore([this](int) { return ScrollRight(); });
        m_HorizontalBar->SetOnSlide([this](float fraction) { return SetHorizontalPosition(fraction); });
    }
}

void guiScroller::SetOrientations(int32_t orientations)
{
    m_Orientations = orientations;
    _MakeBars();
}

void guiScroller::_Scroll(bool vertical, int32_t step)
{
    if (m_Scrollable == nullptr)
        return;
    guiScrollBar* bar = vertical ? m_VerticalBar : m_HorizontalBar;
    float fraction = 0.0f;
    if (vertical)
    {
        m_Scrollable->ScrollVertical(step);
        fraction = m_Scrollable->GetVerticalScroll();
    }
    else
    {
        m_Scrollable->ScrollHorizontal(step);
        fraction = m_Scrollable->GetHorizontalScroll();
    }
    if (bar != nullptr && bar->GetSlider() != nullptr)
        bar->GetSlider()->SetValue(fraction, true);
}

bool guiScroller::ScrollUp(int32_t /*unused*/)
{
    _Scroll(true, -1);
    return true;
}

bool guiScroller::ScrollDown(int32_t /*unused*/)
{
    _Scroll(true, 1);
    return true;
}

bool guiScroller::ScrollLeft(int32_t /*unused*/)
{
    _Scroll(false, -1);
    return true;
}

bool guiScroller::ScrollRight(int32_t /*unused*/)
{
    _Scroll(false, 1);
    return true;
}

bool guiScroller::SetVerticalPosition(float fraction)
{
    if (m_Scrollable == nullptr)
        return true;
    m_Scrollable->SetVerticalScroll(fraction);
    if (m_VerticalBar != nullptr && m_VerticalBar->GetSlider() != nullptr)
        m_VerticalBar->GetSlider()->SetValue(fraction, true);
    return true;
}

bool guiScroller::SetHorizontalPosition(float fraction)
{
    if (m_Scrollable == nullptr)
        return true;
    m_Scrollable->SetHorizontalScroll(fraction);
    if (m_HorizontalBar != nullptr && m_HorizontalBar->GetSlider() != nullptr)
        m_HorizontalBar->GetSlider()->SetValue(fraction, true);
    return true;
}

void guiScroller::_Layout()
{
    const kaPoint size = ToPixels(m_Size);
    const bool vertical = m_VerticalBar != nullptr && (m_Orientations & kVerticalBar) && m_VerticalShown;
    const bool horizontal =
        m_HorizontalBar != nullptr && (m_Orientations & kHorizontalBar) && m_HorizontalShown;
    const kaPoint v = vertical ? m_VerticalBar->ToPixels(m_VerticalBar->GetSize()) : kaPoint(0, 0);
    const kaPoint h = horizontal ? m_HorizontalBar->ToPixels(m_HorizontalBar->GetSize()) : kaPoint(0, 0);
    const int64_t vw = v.x;
    const int64_t hh = h.y;
    // A bar alone runs the whole side again once the other has gone.
    if (vertical)
    {
        m_VerticalBar->SetPosition(Pixels(size.x - vw, 0));
        m_VerticalBar->SetSize(horizontal
                                   ? Pixels(vw, size.y - hh)
                                   : guiCoordPair(guiCoord::Pixels(float(vw)), guiCoord::Relative(1.0f)));
    }
    if (horizontal)
    {
        m_HorizontalBar->SetPosition(Pixels(0, size.y - hh));
        m_HorizontalBar->SetSize(vertical
                                     ? Pixels(size.x - vw, hh)
                                     : guiCoordPair(guiCoord::Relative(1.0f), guiCoord::Pixels(float(hh))));
    }
    guiWidget* component = GetComponent();
    if (component == nullptr)
        return;
    guiCoordPair fitted = m_Size;
    if (vertical)
        fitted.x = guiCoord::Pixels(static_cast<float>(gui::ClampToInt(size.x - vw)));
    if (horizontal)
        fitted.y = guiCoord::Pixels(static_cast<float>(gui::ClampToInt(size.y - hh)));
    if (fitted != component->GetSize())
        component->SetSize(fitted);
}

void guiScroller::Render(guiRenderContext& context)
{
    const int32_t need = m_Scrollable != nullptr ? m_Scrollable->GetScrollDirections() : 0;
    bool changed = false;
    const bool needVertical = (need & guiScrollable::kScrollsVertically) != 0;
    if (needVertical != m_VerticalShown || !m_Initialised)
    {
        m_VerticalShown = needVertical;
        if (m_VerticalBar != nullptr)
            m_VerticalBar->SetVisible(needVertical);
        if (!needVertical)
            SetVerticalPosition(0.0f);
        changed = true;
    }
    const bool needHorizontal = (need & guiScrollable::kScrollsHorizontally) != 0;
    if (needHorizontal != m_HorizontalShown || !m_Initialised)
    {
        m_HorizontalShown = needHorizontal;
        if (m_HorizontalBar != nullptr)
            m_HorizontalBar->SetVisible(needHorizontal);
        if (!needHorizontal)
            SetHorizontalPosition(0.0f);
        changed = true;
    }
    m_Initialised = true;
    guiWidget* component = GetComponent();
    if (changed || (component != nullptr && component->IsDirty()))
        _Layout();
    guiDecorator::Render(context);
    if (m_Scrollable == nullptr)
        return;
    if (needVertical && m_VerticalBar != nullptr && m_VerticalBar->GetSlider() != nullptr)
        m_VerticalBar->GetSlider()->SetValue(m_Scrollable->GetVerticalScroll(), false);
    if (needHorizontal && m_HorizontalBar != nullptr && m_HorizontalBar->GetSlider() != nullptr)
        m_HorizontalBar->GetSlider()->SetValue(m_Scrollable->GetHorizontalScroll(), false);
}

bool guiScroller::OnKey(const guiMsgKey& message)
{
    // A typed character shares its code with an arrow key: only virtual keys scroll.
    if (message.virtualKey != 0)
    {
        switch (message.key)
        {
        case kKeyLeft:
            ScrollLeft();
            break;
        case kKeyUp:
            ScrollUp();
            break;
        case kKeyRight:
            ScrollRight();
            break;
        case kKeyDown:
            ScrollDown();
            break;
        default:
            break;
        }
    }
    return true;
}

int guiScroller::RemoveChild(guiGlyph* child)
{
    if (child != nullptr && child == m_VerticalBar)
        m_VerticalBar = nullptr;
    if (child != nullptr && child == m_HorizontalBar)
        m_HorizontalBar = nullptr;
    return guiDecorator::RemoveChild(child);
}

void guiScroller::_TakeBars(int32_t vertical, int32_t horizontal)
{
    auto bar = [this](int32_t index) -> guiScrollBar*
    {
        guiGlyph* child = index >= 0 ? GetChild(index) : nullptr;
        return child != nullptr && gui::IsA(child->GetClassInfo(), guiScrollBar::StaticClassInfo())
                   ? static_cast<guiScrollBar*>(child)
                   : nullptr;
    };
    m_VerticalBar = bar(vertical);
    m_HorizontalBar = bar(horizontal);
    if (m_HorizontalBar == m_VerticalBar)
        m_HorizontalBar = nullptr;
    m_Initialised = false;
    _Connect();
}

void guiScroller::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "Orientations", m_Orientations);
    gui::WriteOptionalTextField(stream, "Vertical",
                                m_VerticalBar != nullptr ? IndexOfChild(m_VerticalBar) : -1);
    gui::WriteOptionalTextField(stream, "Horizontal",
                                m_HorizontalBar != nullptr ? IndexOfChild(m_HorizontalBar) : -1);
    guiDecorator::WriteText(stream);
}

void guiScroller::ReadText(std::istream& stream)
{
    gui::ReadTextField(stream, m_Orientations);
    int32_t vertical = -1;
    int32_t horizontal = -1;
    gui::ReadOptionalTextField(stream, vertical);
    gui::ReadOptionalTextField(stream, horizontal);
    guiDecorator::ReadText(stream);
    _TakeBars(vertical, horizontal);
}

void guiScroller::WriteBinary(kaBinaryStream& stream) const
{
    stream.WriteInt32(m_Orientations);
    gui::WriteOptionalBinary(stream, m_VerticalBar != nullptr ? IndexOfChild(m_VerticalBar) : -1);
    gui::WriteOptionalBinary(stream, m_HorizontalBar != nullptr ? IndexOfChild(m_HorizontalBar) : -1);
    guiDecorator::WriteBinary(stream);
}

void guiScroller::ReadBinary(kaBinaryStream& stream)
{
    stream.ReadInt32(m_Orientations);
    int32_t vertical = -1;
    int32_t horizontal = -1;
    gui::ReadOptionalBinary(stream, vertical);
    gui::ReadOptionalBinary(stream, horizontal);
    guiDecorator::ReadBinary(stream);
    _TakeBars(vertical, horizontal);
}

void guiScroller::GetProperties(GuiParamTable& sheet) const
{
    sheet.InsertInt("Orientations", m_Orientations);
    guiDecorator::GetProperties(sheet);
}

void guiScroller::SetProperties(const GuiParamTable& sheet)
{
    if (const GuiParamTable::Entry* entry = sheet.Find("Orientations"))
    {
        std::istringstream text(entry->text);
        int32_t orientations = 0;
        if (text >> orientations)
            SetOrientations(orientations);
    }
    guiDecorator::SetProperties(sheet);
}
