#include "engine/gui/guiSlider.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiPropertyText.h"
#include "engine/gui/guiWidgetFactoryFor.h"

#include <cmath>
#include <sstream>

using guiPropertyText::ParseBool;

namespace
{

const guiWidgetFactoryFor<guiSlider> s_Factory;

// Track vectors no longer than this have no direction.
constexpr float kMinTrackLength = 0.000001f;

} // namespace

const kaClassInfo& guiSlider::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kSliderClass);
}

guiSlider::guiSlider(const guiImageParams& thumb, bool horizontal) : m_Horizontal(horizontal)
{
    _SetThumb(new guiImage(thumb));
}

guiSlider::guiSlider(const guiCoordPair& position, const guiCoordPair& size)
{
    SetPosition(position);
    SetSize(size);
}

guiSlider::guiSlider(std::istream& stream)
{
    guiSlider::ReadText(stream);
}

guiSlider::guiSlider(kaBinaryStream& stream)
{
    guiSlider::ReadBinary(stream);
}

void guiSlider::_SetThumb(guiImage* thumb)
{
    if (m_Thumb != nullptr)
        RemoveChild(m_Thumb);
    m_Thumb = thumb;
    if (thumb != nullptr)
        AddChild(thumb);
    SetDirty(true);
}

int guiSlider::RemoveChild(guiGlyph* child)
{
    if (child != nullptr && child == m_Thumb)
        m_Thumb = nullptr;
    return guiWidget::RemoveChild(child);
}

void guiSlider::SetTrack(const guiCoordPair& from, const guiCoordPair& to)
{
    m_From = from;
    m_To = to;
    SetDirty(true);
}

kaPoint guiSlider::GetThumbSize() const
{
    return m_Thumb != nullptr ? m_Thumb->ToPixels(m_Thumb->GetSize()) : kaPoint(0, 0);
}

kaPoint guiSlider::_TrackPoint(const guiCoordPair& end) const
{
    const kaPoint size = ToPixels(m_Size);
    return kaPoint(end.x.ToPixels(static_cast<float>(size.x)), end.y.ToPixels(static_cast<float>(size.y)));
}

kaPoint guiSlider::_ScreenCorner() const
{
    return gui::AddPixels(m_DrawingOrigin, m_PixelPosition);
}

void guiSlider::_Report(float value) const
{
    if (!m_OnChange.empty())
        m_OnChange(value);
}

void guiSlider::SetValue(float value, bool moveCursor)
{
    if (m_Thumb == nullptr)
        return;
    if (!(value >= 0.0f))
        value = 0.0f;
    else if (value > 1.0f)
        value = 1.0f;
    const kaPoint from = _TrackPoint(m_From);
    const kaPoint to = _TrackPoint(m_To);
    const kaPoint thumb = GetThumbSize();
    const kaPoint half(thumb.x / 2, thumb.y / 2);
    kaPoint centre = m_Thumb->ToPixels(m_Thumb->GetPosition());
    if (m_Horizontal)
        centre.x = gui::ClampToInt(int64_t(centre.x) + half.x);
    else
        centre.y = gui::ClampToInt(int64_t(centre.y) + half.y);
    kaPoint point(
        gui::TruncateToInt(static_cast<float>(from.x) + static_cast<float>(int64_t(to.x) - from.x) * value),
        gui::TruncateToInt(static_cast<float>(from.y) + static_cast<float>(int64_t(to.y) - from.y) * value));
    if (m_Horizontal && point.x < from.x)
        point.x = from.x;
    if (!m_Horizontal && point.y < from.y)
        point.y = from.y;
    if (m_Dragging && moveCursor && g_pGuiManager != nullptr)
    {
        if (m_Horizontal)
            g_pGuiManager->MoveCursor(gui::ClampToInt(int64_t(point.x) - centre.x), 0);
        else
            g_pGuiManager->MoveCursor(0, gui::ClampToInt(int64_t(point.y) - centre.y));
    }
    if (m_Horizontal)
        point.x = gui::ClampToInt(int64_t(point.x) - half.x);
    else
        point.y = gui::ClampToInt(int64_t(point.y) - half.y);
    m_Thumb->SetPosition(guiCoordPair::Pixels(static_cast<float>(point.x), static_cast<float>(point.y)));
}

float guiSlider::ValueAt(const kaPoint& point) const
{
    const kaPoint from = _TrackPoint(m_From);
    const kaPoint to = _TrackPoint(m_To);
    const float vx = static_cast<float>(int64_t(to.x) - from.x);
    const float vy = static_cast<float>(int64_t(to.y) - from.y);
    const float length = std::sqrt(vx * vx + vy * vy);
    // A track without length has nowhere to go but its start.
    if (!(length > kMinTrackLength))
        return 0.0f;
    const float ux = vx / length;
    const float uy = vy / length;
    float px = static_cast<float>(point.x);
    float py = static_cast<float>(point.y);
    if (m_Horizontal)
        py = static_cast<float>(from.y);
    else
        px = static_cast<float>(from.x);
    const float along =
        m_Horizontal ? (px - static_cast<float>(from.x)) * ux : (py - static_cast<float>(from.y)) * uy;
    if (along < 0.0f)
    {
        px = static_cast<float>(from.x);
        py = static_cast<float>(from.y);
    }
    else if (along > static_cast<float>(gui::TruncateToInt(length)))
    {
        if (m_Horizontal)
            px = static_cast<float>(to.x);
        else
            py = static_cast<float>(to.y);
    }
    const float dx = px - static_cast<float>(from.x);
    const float dy = py - static_cast<float>(from.y);
    return std::sqrt(dx * dx + dy * dy) / length;
}

bool guiSlider::OnMouseDown(int32_t button, const gui::MouseData& data)
{
    FireEvent(guiMsgEvent(gui::kEventSliderPressed, this));
    if (m_Thumb != nullptr)
    {
        const kaPoint point(data.x, data.y);
        guiGlyph* hit = nullptr;
        if (m_Thumb->HitTest(point, hit))
        {
            m_Dragging = true;
        }
        else
        {
            const kaPoint corner = _ScreenCorner();
            _Report(ValueAt(kaPoint(gui::ClampToInt(int64_t(point.x) - corner.x),
                                    gui::ClampToInt(int64_t(point.y) - corner.y))));
        }
    }
    return guiWidget::OnMouseDown(button, data);
}

bool guiSlider::OnMouseMove(const guiMsgMouse& message)
{
    FireEvent(guiMsgEvent(gui::kEventMouseOver, this));
    if (m_Dragging && m_Thumb != nullptr)
    {
        const int32_t dx = gui::TruncateToInt(message.deltaX);
        const int32_t dy = gui::TruncateToInt(message.deltaY);
        const kaPoint thumb = GetThumbSize();
        kaPoint point = m_Thumb->ToPixels(m_Thumb->GetPosition());
        if (m_Horizontal)
            point.x = gui::ClampToInt(int64_t(point.x) + thumb.x / 2 + dx);
        else
            point.y = gui::ClampToInt(int64_t(point.y) + thumb.y / 2 + dy);
        _Report(ValueAt(point));
        // The cursor follows the thumb only as SetValue moves it.
        if (g_pGuiManager != nullptr)
            g_pGuiManager->MoveCursor(-dx, -dy);
    }
    return guiWidget::OnMouseMove(message);
}

bool guiSlider::OnMouseUp(int32_t button, const gui::MouseData& data)
{
    FireEvent(guiMsgEvent(gui::kEventSliderReleased, this));
    m_Dragging = false;
    return guiWidget::OnMouseUp(button, data);
}

void guiSlider::OnMouseLeave()
{
    m_Dragging = false;
    guiWidget::OnMouseLeave();
}

void guiSlider::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "Horiz", m_Horizontal);
    gui::WriteTextField(stream, "From", m_From);
    gui::WriteTextField(stream, "To", m_To);
    gui::WriteOptionalTextField(stream, "Thumb", m_Thumb != nullptr ? IndexOfChild(m_Thumb) : -1);
    guiWidget::WriteText(stream);
}

void guiSlider::ReadText(std::istream& stream)
{
    gui::ReadTextField(stream, m_Horizontal);
    gui::ReadTextField(stream, m_From);
    gui::ReadTextField(stream, m_To);
    int32_t index = -1;
    gui::ReadOptionalTextField(stream, index);
    guiWidget::ReadText(stream);
    guiGlyph* child = index >= 0 ? GetChild(index) : nullptr;
    m_Thumb = child != nullptr && gui::IsA(child->GetClassInfo(), guiImage::StaticClassInfo())
                  ? static_cast<guiImage*>(child)
                  : nullptr;
}

void guiSlider::WriteBinary(kaBinaryStream& stream) const
{
    stream.WriteBool(m_Horizontal);
    m_From.Write(stream);
    m_To.Write(stream);
    gui::WriteOptionalBinary(stream, m_Thumb != nullptr ? IndexOfChild(m_Thumb) : -1);
    guiWidget::WriteBinary(stream);
}

void guiSlider::ReadBinary(kaBinaryStream& stream)
{
    stream.ReadBool(m_Horizontal);
    m_From.Read(stream);
    m_To.Read(stream);
    int32_t index = -1;
    gui::ReadOptionalBinary(stream, index);
    guiWidget::ReadBinary(stream);
    guiGlyph* child = index >= 0 ? GetChild(index) : nullptr;
    m_Thumb = child != nullptr && gui::IsA(child->GetClassInfo(), guiImage::StaticClassInfo())
                  ? static_cast<guiImage*>(child)
                  : nullptr;
}

void guiSlider::GetProperties(GuiParamTable& sheet) const
{
    sheet.InsertFileName("LoadImage", m_Thumb != nullptr ? m_Thumb->GetFilename() : std::string(),
                         guiImage::kBrowseFilter);
    sheet.InsertCoordPair("To", m_To);
    sheet.InsertCoordPair("From", m_From);
    sheet.InsertBool("Horizontal", m_Horizontal);
    guiWidget::GetProperties(sheet);
}

void guiSlider::SetProperties(const GuiParamTable& sheet)
{
    if (const GuiParamTable::Entry* entry = sheet.Find("LoadImage"))
    {
        const std::string file = GuiParamTable::FirstLine(entry->text);
        if (!file.empty() && (m_Thumb == nullptr || m_Thumb->GetFilename() != file))
        {
            guiImageParams params;
            params.filename = file;
            _SetThumb(new guiImage(params));
        }
    }
    for (const auto& [name, end] : {std::make_pair("To", &m_To), std::make_pair("From", &m_From)})
    {
        if (const GuiParamTable::Entry* entry = sheet.Find(name))
        {
            std::istringstream text(entry->text);
            guiCoordPair read = *end;
            read.ReadText(text);
            if (text)
                *end = read;
        }
    }
    if (const GuiParamTable::Entry* entry = sheet.Find("Horizontal"))
        ParseBool(entry->text, m_Horizontal);
    guiWidget::SetProperties(sheet);
}
