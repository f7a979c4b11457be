#pragma once

#include "engine/core/kaColor.h"
#include "engine/gui/guiGlyph.h"
#include "engine/gui/guiScreenBuffers.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaVertexTypes.h"

#include <cstdint>
#include <vector>

// Straight segments of one width and colour drawn as untextured quads: points 0 and 1 make the first
// segment, 2 and 3 the second, and so on. Never takes the mouse.
class guiLines : public guiGlyph
{
public:
    // The most segments whose vertices 16-bit indices reach.
    static constexpr uint32_t kMaxSegments = 16384;
    static constexpr uint32_t kLastPixelState = 16;

    static const kaClassInfo& StaticClassInfo();

    guiLines(uint32_t segmentCapacity, float width);
    guiLines(const guiCoordPair& position, const guiCoordPair& size);
    explicit guiLines(std::istream& stream);
    explicit guiLines(kaBinaryStream& stream);

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    void Draw() override;
    bool HitTest(const kaPoint& /*point*/, guiGlyph*& /*out*/) override { return false; }
    // The width given is the line width.
    void SetRelativeWidth(float width) override { SetLineWidth(width); }

    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;

    void CreateDeviceObjects() override { RestoreDeviceObjects(); }
    void ReleaseDeviceObjects() override;
    void RestoreDeviceObjects() override;
    bool PreRender(guiRenderContext& context) override;

    // Refused when the buffers hold no room for one more segment.
    void AddLine(const guiCoordPair& from, const guiCoordPair& to);
    // Points past the buffers' room are kept but never drawn.
    void AddPoint(const guiCoordPair& point);
    // Nothing when the list does not hold the segment.
    void SetSegment(int index, const guiCoordPair& from, const guiCoordPair& to);
    void ClearPoints();
    void SetColor(const kaColor& color);
    void SetLineWidth(float width);

    const std::vector<guiCoordPair>& GetPoints() const { return m_Points; }
    float GetLineWidth() const { return m_Width; }
    const kaColor& GetColor() const { return m_Color; }
    const kaRenderState& GetRenderState() const { return m_RenderState; }
    const guiScreenBuffers& GetBuffers() const { return m_Buffers; }
    // Segments the last build wrote: whole pairs that fit the buffers.
    uint32_t GetSegmentsBuilt() const { return m_SegmentsBuilt; }
    const std::vector<VERTEX_SCREENPOS_DIFFUSE>& GetVertices() const { return m_Vertices; }

private:
    void _Init();
    // The segments the buffers and the point list both hold.
    uint32_t _DrawableSegments() const;
    void _BuildVertices();
    void _SizeToPoints();
    // Reads up to `count` stored points, keeping at most kMaxPoints.
    template <class ReadPoint> void _ReadPoints(int32_t count, ReadPoint readPoint);

    guiScreenBuffers m_Buffers;
    std::vector<guiCoordPair> m_Points;
    float m_Width = 1.0f;
    kaRenderState m_RenderState;
    kaColor m_Color;
    uint32_t m_SegmentsBuilt = 0;
    std::vector<VERTEX_SCREENPOS_DIFFUSE> m_Vertices;
};
