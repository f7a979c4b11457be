#include "engine/gui/guiLines.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiClipStack.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiWidgetFactoryFor.h"
#include "engine/render/kaGraphicsManager.h"

#include "platform/system/DebugOutput.h"

#include <algorithm>
#include <cmath>
#include <istream>
#include <ostream>

namespace
{

const guiWidgetFactoryFor<guiLines> s_Factory;

constexpr uint32_t kMaxPoints = 2 * guiLines::kMaxSegments;
constexpr const char* kTooManyPoints =
    "[guiLines::ReadPoints] : More than 32768 points; the rest are skipped\n";

int32_t ClampTo(int32_t value, int32_t low, int32_t high)
{
    return std::max(low, std::min(value, high));
}

} // namespace

const kaClassInfo& guiLines::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kLinesClass);
}

guiLines::guiLines(uint32_t segmentCapacity, float width)
    : m_Buffers(4 * std::min(segmentCapacity, kMaxSegments), 6 * std::min(segmentCapacity, kMaxSegments),
                VERTEX_SCREENPOS_DIFFUSE::FVF),
      m_Width(width)
{
    _Init();
}

guiLines::guiLines(const guiCoordPair& /*position*/, const guiCoordPair& /*size*/) : guiLines(1, 1.0f) {}

guiLines::guiLines(std::istream& stream) : guiLines(1, 1.0f)
{
    guiLines::ReadText(stream);
}

guiLines::guiLines(kaBinaryStream& stream) : guiLines(1, 1.0f)
{
    guiLines::ReadBinary(stream);
}

void guiLines::_Init()
{
    m_RenderState.m_Lighting = false;
    m_RenderState.m_BackFaceCull = false;
    // Over the 3D scene, whatever depth it left.
    m_RenderState.m_ZTest = false;
    m_RenderState.m_ZWrite = false;
}

void guiLines::AddLine(const guiCoordPair& from, const guiCoordPair& to)
{
    if (2 * m_Points.size() + 2 >= m_Buffers.GetVertexCount())
        return;
    m_Points.push_back(from);
    m_Points.push_back(to);
    SetDirty(true);
}

void guiLines::AddPoint(const guiCoordPair& point)
{
    m_Points.push_back(point);
}

void guiLines::SetSegment(int index, const guiCoordPair& from, const guiCoordPair& to)
{
    if (index < 0 || 2 * static_cast<std::size_t>(index) + 1 >= m_Points.size())
        return;
    m_Points[2 * static_cast<std::size_t>(index)] = from;
    m_Points[2 * static_cast<std::size_t>(index) + 1] = to;
    SetDirty(true);
}

void guiLines::ClearPoints()
{
    m_Points.clear();
}

void guiLines::SetColor(const kaColor& color)
{
    m_Color = color;
    m_RenderState.m_AlphaBlend = m_Color.a < 1.0f;
    SetDirty(true);
}

void guiLines::SetLineWidth(float width)
{
    m_Width = width;
    SetDirty(true);
}

uint32_t guiLines::_DrawableSegments() const
{
    return std::min(static_cast<uint32_t>(m_Points.size() / 2),
                    std::min(m_Buffers.GetVertexCount() / 4, m_Buffers.GetIndexCount() / 6));
}

void guiLines::_SizeToPoints()
{
    const uint32_t points = static_cast<uint32_t>(m_Points.size());
    m_Buffers.ResizeBuffers(2 * points, 3 * points);
}

void guiLines::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "Color", m_Color);
    gui::WriteTextField(stream, "Width", m_Width);
    gui::WriteTextField(stream, "Points", static_cast<int32_t>(m_Points.size()));
    for (const guiCoordPair& point : m_Points)
        gui::WriteTextField(stream, "Point", point);
    guiGlyph::WriteText(stream);
}

// A failed stream reads nothing more, so the first point that cannot be read ends the list.
template <class ReadPoint> void guiLines::_ReadPoints(int32_t count, ReadPoint readPoint)
{
    m_Points.clear();
    for (int32_t i = 0; i < count; ++i)
    {
        guiCoordPair point;
        if (!readPoint(point))
            break;
        if (m_Points.size() < kMaxPoints)
            AddPoint(point);
        else if (i == static_cast<int32_t>(kMaxPoints))
            platform::OutputDebugString(kTooManyPoints);
    }
}

void guiLines::ReadText(std::istream& stream)
{
    kaColor color = m_Color;
    gui::ReadTextField(stream, color);
    SetColor(color);
    gui::ReadTextField(stream, m_Width);
    int32_t count = 0;
    gui::ReadTextField(stream, count);
    _ReadPoints(count,
                [&stream](guiCoordPair& point)
                {
                    gui::ReadTextField(stream, point);
                    return static_cast<bool>(stream);
                });
    _SizeToPoints();
    guiGlyph::ReadText(stream);
}

void guiLines::WriteBinary(kaBinaryStream& stream) const
{
    m_Color.Write(stream);
    stream.WriteFloat(m_Width);
    stream.WriteInt32(static_cast<int32_t>(m_Points.size()));
    for (const guiCoordPair& point : m_Points)
        point.Write(stream);
    guiGlyph::WriteBinary(stream);
}

void guiLines::ReadBinary(kaBinaryStream& stream)
{
    kaColor color = m_Color;
    color.Read(stream);
    SetColor(color);
    stream.ReadFloat(m_Width);
    int32_t count = 0;
    stream.ReadInt32(count);
    _ReadPoints(count,
                [&stream](guiCoordPair& point)
                {
                    point.Read(stream);
                    return !stream.Failed();
                });
    _SizeToPoints();
    guiGlyph::ReadBinary(stream);
}

void guiLines::ReleaseDeviceObjects()
{
    m_Buffers.ReleaseBuffers();
}

void guiLines::RestoreDeviceObjects()
{
    m_Buffers.MakeBuffers();
}

bool guiLines::PreRender(guiRenderContext& context)
{
    if (m_Dirty)
        _BuildVertices();
    return guiGlyph::PreRender(context);
}

void guiLines::_BuildVertices()
{
    const uint32_t segments = _DrawableSegments();
    const kaPoint origin = gui::AddPixels(m_DrawingOrigin, m_PixelPosition);
    const platform::Rect& clip = guiClipStack::Get().Top();
    const uint32_t color = m_Color.ToArgb();
    const float half = m_Width / 2.0f;
    m_Vertices.resize(4 * static_cast<std::size_t>(segments));
    std::vector<uint16_t> indices(6 * static_cast<std::size_t>(segments));
    for (uint32_t k = 0; k < segments; ++k)
    {
        const kaPoint a = gui::AddPixels(ToPixels(m_Points[2 * k]), origin);
        const kaPoint b = gui::AddPixels(ToPixels(m_Points[2 * k + 1]), origin);
        float dx = static_cast<float>(b.x) - static_cast<float>(a.x);
        float dy = static_cast<float>(b.y) - static_cast<float>(a.y);
        const float length = std::sqrt(dx * dx + dy * dy);
        // A segment without length has no direction: its quad collapses onto the point.
        if (length > 0.0f && std::isfinite(length))
        {
            dx /= length;
            dy /= length;
        }
        else
        {
            dx = 0.0f;
            dy = 0.0f;
        }
        const float ox = -dy * half;
        const float oy = dx * half;
        const float corners[4][2] = {
            {a.x - ox, a.y - oy}, {b.x - ox, b.y - oy}, {a.x + ox, a.y + oy}, {b.x + ox, b.y + oy}};
        for (int c = 0; c < 4; ++c)
        {
            // Squeezed against the clip rather than cut.
            const int32_t x = ClampTo(gui::TruncateToInt(corners[c][0]), clip.left, clip.right);
            const int32_t y = ClampTo(gui::TruncateToInt(corners[c][1]), clip.top, clip.bottom);
            m_Vertices[4 * k + c] = {static_cast<float>(x), static_cast<float>(y), 1.0f, 1.0f, color};
        }
        const uint16_t base = static_cast<uint16_t>(4 * k);
        const uint16_t quad[6] = {0, 1, 2, 2, 1, 3};
        for (int i = 0; i < 6; ++i)
            indices[6 * k + i] = static_cast<uint16_t>(base + quad[i]);
    }
    m_SegmentsBuilt = segments;
    if (segments > 0)
    {
        m_Buffers.WriteVertices(m_Vertices.data(), 4 * segments, sizeof(VERTEX_SCREENPOS_DIFFUSE));
        m_Buffers.WriteIndices(indices.data(), 6 * segments);
    }
}

void guiLines::Draw()
{
    if (m_SegmentsBuilt == 0 || g_pGraphicsManager == nullptr || !m_Buffers.HasBuffers())
        return;
    m_RenderState.Apply(g_pGraphicsManager->GetDevice(), 0);
    g_pGraphicsManager->SetRenderState(kLastPixelState, 0);
    m_Buffers.DrawTriangles(4 * m_SegmentsBuilt, 2 * m_SegmentsBuilt);
}
