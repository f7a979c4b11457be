#include "engine/gui/guiGroup.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiPropertyText.h"
#include "engine/gui/guiWidgetFactoryFor.h"

#include <sstream>

using guiPropertyText::Parse;

namespace
{

const guiWidgetFactoryFor<guiGroup> s_Factory;

} // namespace

const kaClassInfo& guiGroup::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kGroupClass);
}

guiGroup::guiGroup(const guiCoordPair& position, const guiCoordPair& size)
{
    guiWidget::SetSize(size);
    m_RequestedPos = position;
    ApplyAlignment(m_Alignment);
}

guiGroup::guiGroup(std::istream& stream)
{
    guiGroup::ReadText(stream);
    _AfterRead();
}

guiGroup::guiGroup(kaBinaryStream& stream)
{
    guiGroup::ReadBinary(stream);
    _AfterRead();
}

void guiGroup::_AfterRead()
{
    m_RequestedPos = m_Position;
    ApplyAlignment(m_Alignment);
}

void guiGroup::ApplyAlignment(int32_t flags)
{
    const kaPoint size = ToPixels(m_Size);
    int64_t ox = 0;
    int64_t oy = 0;
    if (flags & kAlignCentre)
        ox = size.x / 2;
    else if (flags & kAlignRight)
        ox = size.x;
    if (flags & kAlignMiddle)
        oy = size.y / 2;
    else if (flags & kAlignBottom)
        oy = size.y;
    const kaPoint requested = ToPixels(m_RequestedPos);
    const guiCoordPair reported = guiCoordPair::Pixels(static_cast<float>(gui::ClampToInt(requested.x - ox)),
                                                       static_cast<float>(gui::ClampToInt(requested.y - oy)));
    // The children are drawn from the corner: they rebuild when it moves.
    if (reported != m_ReportedPos)
        SetDirty(true);
    m_ReportedPos = reported;
    guiWidget::SetPosition(m_RequestedPos);
    m_Alignment = flags;
    m_PixelPosition = ToPixels(m_ReportedPos);
}

guiCoordPair guiGroup::ApplyAspect(const guiCoordPair& size) const
{
    if (m_AspectRatio == 0.0f || m_AspectSetting == kAspectFree)
        return size;
    const kaPoint pixels = ToPixels(size);
    const int64_t whole = gui::TruncateToInt(m_AspectRatio);
    guiCoordPair result = size;
    if (m_AspectSetting == kAspectHeightFollowsWidth)
        result.y = guiCoord::Pixels(static_cast<float>(gui::ClampToInt(pixels.x * whole)));
    // A ratio below one in size gives no width to divide by: the size stays as given.
    else if (m_AspectSetting == kAspectWidthFollowsHeight && whole != 0)
        result.x = guiCoord::Pixels(static_cast<float>(gui::ClampToInt(pixels.y / whole)));
    return result;
}

void guiGroup::SetAspectSetting(int32_t setting)
{
    m_AspectSetting = setting;
    SetDirty(true);
}

void guiGroup::SetAspectRatio(float ratio)
{
    m_AspectRatio = ratio;
    SetDirty(true);
}

void guiGroup::SetPosition(const guiCoordPair& position)
{
    if (position == m_RequestedPos)
        return;
    m_RequestedPos = position;
    ApplyAlignment(m_Alignment);
}

void guiGroup::SetSize(const guiCoordPair& size)
{
    const guiCoordPair kept = ApplyAspect(size);
    if (kept == m_Size)
        return;
    guiWidget::SetSize(kept);
    ApplyAlignment(m_Alignment);
}

bool guiGroup::HitTest(const kaPoint& point, guiGlyph*& out)
{
    if (!m_Visible || m_HitListExcluded)
        return false;
    for (guiGlyph* child : m_Children)
        if (child->HitTest(point, out))
            return true;
    return false;
}

void guiGroup::Render(guiRenderContext& context)
{
    if (m_Dirty)
    {
        SetSize(m_Size);
        ApplyAlignment(m_Alignment);
    }
    m_PixelPosition = ToPixels(m_ReportedPos);
    guiWidget::Render(context);
}

void guiGroup::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "ReportedPos", m_ReportedPos);
    gui::WriteTextField(stream, "Alignment", m_Alignment);
    gui::WriteTextField(stream, "AspectSetting", m_AspectSetting);
    gui::WriteTextField(stream, "AspectRatio", m_AspectRatio);
    guiWidget::WriteText(stream);
}

void guiGroup::ReadText(std::istream& stream)
{
    gui::ReadTextField(stream, m_ReportedPos);
    gui::ReadTextField(stream, m_Alignment);
    gui::ReadTextField(stream, m_AspectSetting);
    gui::ReadTextField(stream, m_AspectRatio);
    guiWidget::ReadText(stream);
}

void guiGroup::WriteBinary(kaBinaryStream& stream) const
{
    m_ReportedPos.Write(stream);
    stream.WriteInt32(m_Alignment);
    stream.WriteInt32(m_AspectSetting);
    stream.WriteFloat(m_AspectRatio);
    guiWidget::WriteBinary(stream);
}

void guiGroup::ReadBinary(kaBinaryStream& stream)
{
    m_ReportedPos.Read(stream);
    stream.ReadInt32(m_Alignment);
    stream.ReadInt32(m_AspectSetting);
    stream.ReadFloat(m_AspectRatio);
    guiWidget::ReadBinary(stream);
}

void guiGroup::GetProperties(GuiParamTable& sheet) const
{
    sheet.InsertFloat("AspectRatio", m_AspectRatio);
    sheet.InsertInt("AspectSetting", m_AspectSetting);
    sheet.InsertInt("Alignment", m_Alignment);
    guiWidget::GetProperties(sheet);
}

void guiGroup::SetProperties(const GuiParamTable& sheet)
{
    int32_t alignment = 0;
    if (const GuiParamTable::Entry* entry = sheet.Find("Alignment"); entry && Parse(entry->text, alignment))
        ApplyAlignment(alignment);
    float ratio = 0.0f;
    if (const GuiParamTable::Entry* entry = sheet.Find("AspectRatio"); entry && Parse(entry->text, ratio))
        SetAspectRatio(ratio);
    int32_t setting = 0;
    if (const GuiParamTable::Entry* entry = sheet.Find("AspectSetting"); entry && Parse(entry->text, setting))
        SetAspectSetting(setting);
    guiWidget::SetProperties(sheet);
}
