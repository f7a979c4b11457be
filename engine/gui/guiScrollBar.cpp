#include "engine/gui/guiScrollBar.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiBackground.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiScrollImages.h"
#include "engine/gui/guiWidgetFactoryFor.h"

#include <sstream>

namespace
{

const guiWidgetFactoryFor<guiScrollBar> s_Factory;

guiImageParams Picture(const std::string& file)
{
    guiImageParams params;
    params.filename = file;
    return params;
}

guiButton* MakeArrow(const char* name, const std::string& picture)
{
    auto* arrow = new guiButton(name, guiCoordPair::Pixels(0, 0), Picture(picture + "_N.bmp"));
    arrow->SetStateImage(guiButton::kRollover, Picture(picture + "_R.bmp"));
    arrow->SetStateImage(guiButton::kClicked, Picture(picture + "_C.bmp"));
    arrow->SetRepeatRate(guiScrollBar::kArrowRepeatRate);
    return arrow;
}

template <typename T> T* ChildOfClass(const guiGlyph& parent, int32_t index)
{
    guiGlyph* child = index >= 0 ? parent.GetChild(index) : nullptr;
    return child != nullptr && gui::IsA(child->GetClassInfo(), T::StaticClassInfo()) ? static_cast<T*>(child)
                                                                                     : nullptr;
}

} // namespace

const kaClassInfo& guiScrollBar::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kScrollBarClass);
}

guiScrollBar::guiScrollBar(int32_t orientation, const guiCoordPair& size) : m_Orientation(orientation)
{
    SetSize(size);
    _BuildParts();
}

guiScrollBar::guiScrollBar(const guiCoordPair& position, const guiCoordPair& size)
{
    SetPosition(position);
    SetSize(size);
    _BuildParts();
}

guiScrollBar::guiScrollBar(std::istream& stream)
{
    guiScrollBar::ReadText(stream);
}

guiScrollBar::guiScrollBar(kaBinaryStream& stream)
{
    guiScrollBar::ReadBinary(stream);
}

void guiScrollBar::_RemoveParts()
{
    for (guiGlyph* part :
         {static_cast<guiGlyph*>(m_Less), static_cast<guiGlyph*>(m_More), static_cast<guiGlyph*>(m_Back)})
        if (part != nullptr)
            RemoveChild(part);
    m_Slider = nullptr;
}

void guiScrollBar::_BuildParts()
{
    _RemoveParts();
    const guiScrollImages images;
    const bool horizontal = m_Orientation == kHorizontal;
    m_Less = MakeArrow("Less", horizontal ? images.GetLeftArrow() : images.GetUpArrow());
    m_More = MakeArrow("Down", horizontal ? images.GetRightArrow() : images.GetDownArrow());
    m_Slider = new guiSlider(
        Picture((horizontal ? images.GetHorizontalSlider() : images.GetSlider()) + "_N.bmp"), horizontal);
    m_Back = new guiBackground(
        m_Slider, Picture((horizontal ? images.GetHorizontalBack() : images.GetBack()) + ".bmp"));
    AddChild(m_Less);
    AddChild(m_More);
    AddChild(m_Back);
    _Connect();
    SetDirty(true);
}

void guiScrollBar::_Connect()
{
    if (m_Less != nullptr && !m_OnLess.empty())
        m_Less->SetOnClick(m_OnLess);
    if (m_More != nullptr && !m_OnMore.empty())
        m_More->SetOnClick(m_OnMore);
    if (m_Slider != nullptr && !m_OnSlide.empty())
        m_Slider->SetOnChange(m_OnSlide);
}

void guiScrollBar::SetOnLess(const guiButton::Callback& callback)
{
    m_OnLess = callback;
    if (m_Less != nullptr)
        m_Less->SetOnClick(callback);
}

void guiScrollBar::SetOnMore(const guiButton::Callback& callback)
{
    m_OnMore = callback;
    if (m_More != nullptr)
        m_More->SetOnClick(callback);
}

void guiScrollBar::SetOnSlide(const guiSlider::Callback& callback)
{
    m_OnSlide = callback;
    if (m_Slider != nullptr)
        m_Slider->SetOnChange(callback);
}

void guiScrollBar::SetOrientation(int32_t orientation)
{
    m_Orientation = orientation;
    _BuildParts();
}

void guiScrollBar::SetVisible(bool visible)
{
    guiWidget::SetVisible(visible);
    // Showing a part shows its parent again, so each is set only while it differs.
    for (guiGlyph* part :
         {static_cast<guiGlyph*>(m_Less), static_cast<guiGlyph*>(m_More), static_cast<guiGlyph*>(m_Back)})
        if (part != nullptr && part->IsVisible() != visible)
            part->SetVisible(visible);
}

int guiScrollBar::RemoveChild(guiGlyph* child)
{
    if (child != nullptr)
    {
        if (child == m_Less)
            m_Less = nullptr;
        if (child == m_More)
            m_More = nullptr;
        if (child == m_Back)
        {
            m_Back = nullptr;
            m_Slider = nullptr;
        }
    }
    return guiWidget::RemoveChild(child);
}

void guiScrollBar::_Layout()
{
    const kaPoint bar = ToPixels(m_Size);
    const kaPoint less = m_Less != nullptr ? m_Less->ToPixels(m_Less->GetSize()) : kaPoint(0, 0);
    const kaPoint more = m_More != nullptr ? m_More->ToPixels(m_More->GetSize()) : kaPoint(0, 0);
    const kaPoint thumb = m_Slider != nullptr ? m_Slider->GetThumbSize() : kaPoint(0, 0);
    auto px = [](int64_t x, int64_t y)
    {
        return guiCoordPair::Pixels(static_cast<float>(gui::ClampToInt(x)),
                                    static_cast<float>(gui::ClampToInt(y)));
    };
    if (m_Less != nullptr)
        m_Less->SetPosition(px(0, 0));
    guiCoordPair backAt;
    guiCoordPair backSize;
    int64_t backLength = 0;
    if (IsVertical())
    {
        if (m_More != nullptr)
            m_More->SetPosition(px(0, int64_t(bar.y) - more.y));
        backAt = px(0, less.y);
        backLength = int64_t(bar.y) - less.y - more.y;
        backSize = px(bar.x, backLength);
    }
    else
    {
        if (m_More != nullptr)
            m_More->SetPosition(px(int64_t(bar.x) - more.x, int64_t(bar.y) - more.y));
        backAt = px(less.x, 0);
        backLength = int64_t(bar.x) - less.x - more.x;
        backSize = px(backLength, bar.y);
    }
    if (m_Back != nullptr)
    {
        // The back takes its widget's place when drawn, so the slider is placed with it.
        m_Back->SetPosition(backAt);
        if (m_Slider != nullptr)
            m_Slider->SetPosition(backAt);
        m_Back->SetSize(backSize);
    }
    if (m_Slider != nullptr)
    {
        if (IsVertical())
            m_Slider->SetTrack(px(0, thumb.y / 2), px(0, backLength - thumb.y / 2));
        else
            m_Slider->SetTrack(px(thumb.x / 2, 0), px(backLength - thumb.x / 2, 0));
    }
}

void guiScrollBar::Render(guiRenderContext& context)
{
    if (m_Dirty)
        _Layout();
    guiWidget::Render(context);
}

int32_t guiScrollBar::_IndexOf(const guiGlyph* part) const
{
    return part != nullptr ? IndexOfChild(part) : -1;
}

void guiScrollBar::_TakeParts(int32_t less, int32_t more, int32_t back)
{
    m_Less = ChildOfClass<guiButton>(*this, less);
    m_More = ChildOfClass<guiButton>(*this, more);
    m_Back = ChildOfClass<guiBackground>(*this, back);
    guiWidget* inside = m_Back != nullptr ? m_Back->GetComponent() : nullptr;
    m_Slider = inside != nullptr && gui::IsA(inside->GetClassInfo(), guiSlider::StaticClassInfo())
                   ? static_cast<guiSlider*>(inside)
                   : nullptr;
    // A back that holds no slider is no back of a scroll bar.
    if (m_Slider == nullptr)
        m_Back = nullptr;
    _Connect();
}

void guiScrollBar::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "Orientation", m_Orientation);
    gui::WriteOptionalTextField(stream, "Less", _IndexOf(m_Less));
    gui::WriteOptionalTextField(stream, "More", _IndexOf(m_More));
    gui::WriteOptionalTextField(stream, "Slider", _IndexOf(m_Back));
    guiWidget::WriteText(stream);
}

void guiScrollBar::ReadText(std::istream& stream)
{
    gui::ReadTextField(stream, m_Orientation);
    int32_t indices[3] = {-1, -1, -1};
    for (int32_t& index : indices)
        gui::ReadOptionalTextField(stream, index);
    guiWidget::ReadText(stream);
    _TakeParts(indices[0], indices[1], indices[2]);
}

void guiScrollBar::WriteBinary(kaBinaryStream& stream) const
{
    stream.WriteInt32(m_Orientation);
    gui::WriteOptionalBinary(stream, _IndexOf(m_Less));
    gui::WriteOptionalBinary(stream, _IndexOf(m_More));
    gui::WriteOptionalBinary(stream, _IndexOf(m_Back));
    guiWidget::WriteBinary(stream);
}

void guiScrollBar::ReadBinary(kaBinaryStream& stream)
{
    stream.ReadInt32(m_Orientation);
    int32_t indices[3] = {-1, -1, -1};
    for (int32_t& index : indices)
        gui::ReadOptionalBinary(stream, index);
    guiWidget::ReadBinary(stream);
    _TakeParts(indices[0], indices[1], indices[2]);
}

void guiScrollBar::GetProperties(GuiParamTable& sheet) const
{
    sheet.InsertInt("Orientation", m_Orientation);
    guiWidget::GetProperties(sheet);
}

void guiScrollBar::SetProperties(const GuiParamTable& sheet)
{
    if (const GuiParamTable::Entry* entry = sheet.Find("Orientation"))
    {
        std::istringstream text(entry->text);
        int32_t orientation = 0;
        if (text >> orientation)
            SetOrientation(orientation);
    }
    guiWidget::SetProperties(sheet);
}
