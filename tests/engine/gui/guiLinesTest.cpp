#include "engine/gui/guiLines.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/guiLayout.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/engine/gui/LayoutRoundTrip.h"
#include "tests/support/engine/gui/PixelCoords.h"
#include "tests/support/engine/gui/TestPanel.h"
#include "tests/support/engine/gui/TestWindow.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using testsupport::Px;

namespace
{

// The corners of segment k as whole pixels.
std::vector<std::pair<int, int>> Corners(const guiLines& lines, int k)
{
    std::vector<std::pair<int, int>> corners;
    for (int c = 0; c < 4; ++c)
    {
        const VERTEX_SCREENPOS_DIFFUSE& v = lines.GetVertices()[4 * k + c];
        corners.emplace_back(static_cast<int>(v.x), static_cast<int>(v.y));
    }
    return corners;
}

// A lines glyph in a 100 by 100 panel that clips to itself, walked once.
class LinesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Panel = new TestPanel(Px(0, 0), Px(100, 100));
        m_Panel->AddRef();
        m_Panel->SetClipMode(guiGlyph::kClipToSelf);
    }
    void TearDown() override { m_Panel->Release(); }

    guiLines* Add(guiLines* lines)
    {
        m_Panel->AddChild(lines);
        return lines;
    }
    void Walk() { m_Window.Frame(m_Panel); }

    TestPanel* m_Panel = nullptr;
    TestWindow m_Window;
    testsupport::TempDir m_Dir;
};

TEST_F(LinesTest, SegmentsBecomeQuadsAcrossTheirDirection)
{
    guiLines* lines = Add(new guiLines(4, 3.0f));
    lines->SetPosition(Px(10, 0));
    lines->AddLine(Px(10, 50), Px(60, 50));
    lines->AddLine(Px(20, 20), Px(20, 40));
    lines->AddLine(Px(30, 30), Px(30, 30));
    // Crosses the panel's right and bottom edges: squeezed onto them.
    lines->AddLine(Px(70, 70), Px(150, 110));
    Walk();
    ASSERT_EQ(lines->GetSegmentsBuilt(), 4u);
    using C = std::vector<std::pair<int, int>>;
    EXPECT_EQ(Corners(*lines, 0), (C{{20, 48}, {70, 48}, {20, 51}, {70, 51}}));
    EXPECT_EQ(Corners(*lines, 1), (C{{31, 20}, {31, 40}, {28, 20}, {28, 40}}));
    EXPECT_EQ(Corners(*lines, 2), (C{{40, 30}, {40, 30}, {40, 30}, {40, 30}}));
    for (const auto& [x, y] : Corners(*lines, 3))
    {
        EXPECT_LE(x, 100);
        EXPECT_LE(y, 100);
    }
    EXPECT_EQ(Corners(*lines, 3)[1], std::make_pair(100, 100));
}

TEST_F(LinesTest, OnlyCompletePairsThatFitTheBuffersAreBuilt)
{
    struct Case
    {
        uint32_t capacity;
        int addedLines;
        int addedPoints;
        size_t points;
        uint32_t built;
    } cases[] = {{4, 2, 1, 5, 2}, {1, 3, 0, 2, 1}, {2, 1, 9, 11, 2}, {0, 1, 2, 2, 0}};
    for (const Case& c : cases)
    {
        guiLines* lines = Add(new guiLines(c.capacity, 1.0f));
        for (int i = 0; i < c.addedLines; ++i)
            lines->AddLine(Px(0, float(i)), Px(50, float(i)));
        for (int i = 0; i < c.addedPoints; ++i)
            lines->AddPoint(Px(float(i), 5));
        lines->SetDirty(true);
        Walk();
        EXPECT_EQ(lines->GetPoints().size(), c.points) << c.capacity;
        EXPECT_EQ(lines->GetSegmentsBuilt(), c.built) << c.capacity;
        EXPECT_LE(lines->GetVertices().size(), lines->GetBuffers().GetVertexCount());
    }
}

TEST_F(LinesTest, BlendingFollowsTheColoursAlphaAndWidthFollowsTheRelativeWidth)
{
    guiLines lines(1, 1.0f);
    for (const auto& [alpha, blends] :
         std::vector<std::pair<float, bool>>{{0.5f, true}, {1.0f, false}, {0.0f, true}})
    {
        lines.SetColor(kaColor::kaColorClamped(1, 1, 1, alpha));
        EXPECT_EQ(lines.GetRenderState().m_AlphaBlend, blends) << alpha;
    }
    lines.SetRelativeWidth(5.0f);
    EXPECT_EQ(lines.GetLineWidth(), 5.0f);
    EXPECT_EQ(lines.GetSize(), guiCoordPair());
}

TEST_F(LinesTest, ReadersSizeTheBuffersToThePointsAndRoundTrip)
{
    guiLines lines(3, 2.5f);
    lines.SetName("rules");
    lines.SetColor(kaColor::kaColorClamped(0.25f, 0.5f, 0.75f, 1.0f));
    lines.AddLine(Px(0, 0), {guiCoord::Relative(0.5f), guiCoord::Pixels(3)});
    lines.AddPoint(Px(7, 7));
    for (bool binary : {false, true})
    {
        guiGlyph* read = testsupport::RoundTrip(lines, binary, m_Dir);
        ASSERT_NE(read, nullptr);
        guiLines* copy = read->DynamicCast<guiLines>();
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->GetPoints(), lines.GetPoints());
        EXPECT_EQ(copy->GetLineWidth(), 2.5f);
        EXPECT_EQ(copy->GetBuffers().GetVertexCount(), 6u);
        EXPECT_EQ(copy->GetBuffers().GetIndexCount(), 9u);
        EXPECT_EQ(gui::FormatLayout(*copy, binary), gui::FormatLayout(lines, binary));
        read->Release();
    }
}

TEST_F(LinesTest, ABinaryBlockKeepsAtMostTheSegmentsSixteenBitIndicesReach)
{
    struct Case
    {
        int32_t announced;
        int32_t written;
        size_t kept;
        bool reported;
    } cases[] = {{40000, 40000, 32768, true}, {0x7FFFFFFF, 3, 3, false}, {-5, 2, 0, false}};
    for (const Case& c : cases)
    {
        std::stringstream bytes;
        kaBinaryStream out(bytes.rdbuf());
        kaColor().Write(out);
        out.WriteFloat(1.0f).WriteInt32(c.announced);
        for (int32_t i = 0; i < c.written; ++i)
            Px(float(i), 0).Write(out);
        testsupport::DebugCapture debug;
        kaBinaryStream in(bytes.rdbuf());
        guiLines* lines = new guiLines(in);
        EXPECT_EQ(lines->GetPoints().size(), c.kept) << c.announced;
        EXPECT_LE(lines->GetBuffers().GetVertexCount(), 4 * guiLines::kMaxSegments);
        EXPECT_EQ(debug.Contains("guiLines"), c.reported);
        lines->Release();
    }
}

} // namespace
