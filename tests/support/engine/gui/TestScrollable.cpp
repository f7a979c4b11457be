#include "tests/support/engine/gui/TestScrollable.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/core/kaClassInfo.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiWidgetFactoryFor.h"

#include <algorithm>

namespace
{

const guiWidgetFactoryFor<TestScrollable> s_Factory;

float Clamp01(float value)
{
    return value >= 0.0f ? std::min(value, 1.0f) : 0.0f;
}

} // namespace

const kaClassInfo& TestScrollable::StaticClassInfo()
{
    static const kaClassInfo record("[TestScrollable]", 1200, &guiScrollable::StaticClassInfo());
    return record;
}

TestScrollable::TestScrollable(const guiCoordPair& position, const guiCoordPair& size)
{
    SetPosition(position);
    SetSize(size);
}

TestScrollable::TestScrollable(std::istream& stream)
{
    TestScrollable::ReadText(stream);
}

TestScrollable::TestScrollable(kaBinaryStream& stream)
{
    TestScrollable::ReadBinary(stream);
}

int32_t TestScrollable::HiddenRows() const
{
    const kaPoint size = ToPixels(m_Size);
    return std::max(0, rows - size.y / kRowHeight);
}

int32_t TestScrollable::GetScrollDirections()
{
    const kaPoint size = ToPixels(m_Size);
    return (HiddenRows() > 0 ? kScrollsVertically : 0) | (lineWidth > size.x ? kScrollsHorizontally : 0);
}

void TestScrollable::ScrollVertical(int32_t step)
{
    ++verticalSteps;
    const int32_t hidden = HiddenRows();
    if (hidden == 0)
        return;
    const int32_t row = std::clamp(static_cast<int32_t>(m_VerticalScroll * hidden + 0.5f) + step, 0, hidden);
    m_VerticalScroll = static_cast<float>(row) / static_cast<float>(hidden);
}

void TestScrollable::SetVerticalScroll(float fraction)
{
    m_VerticalScroll = Clamp01(fraction);
}

void TestScrollable::ScrollHorizontal(int32_t step)
{
    m_HorizontalScroll = Clamp01(m_HorizontalScroll + 0.25f * static_cast<float>(step));
}

void TestScrollable::SetHorizontalScroll(float fraction)
{
    m_HorizontalScroll = Clamp01(fraction);
}

void TestScrollable::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "Rows", rows);
    gui::WriteTextField(stream, "LineWidth", lineWidth);
    guiScrollable::WriteText(stream);
}

void TestScrollable::ReadText(std::istream& stream)
{
    gui::ReadTextField(stream, rows);
    gui::ReadTextField(stream, lineWidth);
    guiScrollable::ReadText(stream);
}

void TestScrollable::WriteBinary(kaBinaryStream& stream) const
{
    stream.WriteInt32(rows).WriteInt32(lineWidth);
    guiScrollable::WriteBinary(stream);
}

void TestScrollable::ReadBinary(kaBinaryStream& stream)
{
    stream.ReadInt32(rows).ReadInt32(lineWidth);
    guiScrollable::ReadBinary(stream);
}
