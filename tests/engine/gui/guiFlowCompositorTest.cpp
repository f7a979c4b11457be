#include "engine/gui/guiFlowCompositor.h"

#include "engine/gui/guiMarginProfile.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{

using Band = guiMarginProfile::Band;
using Piece = guiCompositor::Piece;
using Line = guiCompositor::Line;

// From y 10: 20 to 200 free over 50 pixels, then 0 to 300 over 100 pixels; the bottom is 160.
guiMarginProfile TwoBands()
{
    return guiMarginProfile(10, {{20, 200, 50}, {0, 300, 100}});
}

TEST(guiMarginProfile, AnswersWhereARectangleFitsAndStands)
{
    const struct
    {
        const char* what;
        bool bands;
        platform::Rect rect;
        int32_t fit, left, right, centred;
    } cases[] = {
        {"inside the first band", true, {20, 10, 100, 30}, 3, 20, 120, 70},
        {"past its left edge", true, {10, 10, 100, 30}, 2, 20, 110, 65},
        {"across both bands: the narrower edges", true, {0, 50, 250, 70}, 2, 20, -50, -15},
        {"inside the second band", true, {0, 100, 250, 120}, 3, 0, 50, 25},
        {"on the line between them: both count", true, {20, 60, 100, 60}, 3, 20, 120, 70},
        {"above the top: the first band alone", true, {0, 0, 100, 5}, 2, 20, 100, 60},
        {"below the bottom: the last band alone", true, {0, 170, 100, 180}, 1, 0, 200, 100},
        {"no bands: the open edges", false, {0, 20, 100, 40}, 1, 0, 9899, 4949},
        {"no bands, at the top", false, {0, 10, 9999, 40}, 3, 0, 0, 0},
        {"no bands, wider than the open edges", false, {0, 0, 10000, 5}, 2, 0, -1, -1},
    };
    for (const auto& c : cases)
    {
        const guiMarginProfile profile = c.bands ? TwoBands() : guiMarginProfile(10, {});
        EXPECT_EQ(profile.Fits(c.rect), c.fit) << c.what;
        EXPECT_EQ(profile.LeftPlace(c.rect), c.left) << c.what;
        EXPECT_EQ(profile.RightPlace(c.rect), c.right) << c.what;
        EXPECT_EQ(profile.CentredPlace(c.rect), c.centred) << c.what;
    }
    EXPECT_EQ(TwoBands().Bottom(), 160);
    EXPECT_EQ(guiMarginProfile(10, {}).Bottom(), 10);
}

Piece Word(int width, int alignment = 0)
{
    Piece piece;
    piece.rect = {0, 0, width, 10};
    piece.alignment = alignment;
    return piece;
}

Piece Blank()
{
    Piece piece = Word(5);
    piece.space = true;
    return piece;
}

Piece LineEnd()
{
    Piece piece = Word(0);
    piece.newline = true;
    return piece;
}

TEST(guiFlowCompositor, ComposesLinesInsideTheProfileAndAroundFloatingPieces)
{
    const struct
    {
        const char* what;
        std::vector<Piece> pieces;
        std::vector<Band> bands;
        std::vector<Line> lines;
    } cases[] = {
        {"three words, two fit: the third starts line two",
         {Word(40), Blank(), Word(40), Blank(), Word(40)},
         {{0, 100, 100}},
         {{0, 3, 0, 10, 0, true}, {4, 4, 10, 20, 0, false}}},
        {"a line end closes its line",
         {Word(40), LineEnd(), Word(40)},
         {{0, 100, 100}},
         {{0, 1, 0, 10, 0, true}, {2, 2, 10, 20, 0, false}}},
        {"a left float: the lines beside it start after it",
         {Word(30, 1), Word(40), Blank(), Word(40)},
         {{0, 100, 100}},
         {{0, 0, 0, 10, 0, true}, {1, 2, 0, 10, 30, true}, {3, 3, 10, 20, 30, false}}},
        {"a right float: the lines end before it",
         {Word(30, 4), Word(40), Blank(), Word(40)},
         {{0, 100, 100}},
         {{0, 0, 0, 10, 70, true}, {1, 2, 0, 10, 0, true}, {3, 3, 10, 20, 0, false}}},
        {"a centred float stands between the free edges",
         {Word(20, 2)},
         {{10, 110, 100}},
         {{0, 0, 0, 10, 50, true}}},
        {"composing stops past the bottom of the profile",
         {Word(60), Word(60), Word(60)},
         {{0, 100, 15}},
         {{0, 0, 0, 10, 0, true}, {1, 1, 10, 20, 0, true}}},
        {"a blank that breaks a line takes no room on the next",
         {Word(96), Blank(), Word(40)},
         {{0, 100, 100}},
         {{0, 0, 0, 10, 0, true}, {2, 2, 10, 20, 0, false}}},
    };
    for (const auto& c : cases)
    {
        guiMarginProfile profile(0, c.bands);
        guiFlowCompositor compositor;
        std::vector<Line> lines;
        ASSERT_EQ(compositor.Compose(c.pieces, 0, 0, profile, lines), int32_t(c.lines.size())) << c.what;
        for (std::size_t i = 0; i < c.lines.size(); ++i)
        {
            SCOPED_TRACE(std::string(c.what) + ", line " + std::to_string(i));
            EXPECT_EQ(lines[i].first, c.lines[i].first);
            EXPECT_EQ(lines[i].last, c.lines[i].last);
            EXPECT_EQ(lines[i].top, c.lines[i].top);
            EXPECT_EQ(lines[i].bottom, c.lines[i].bottom);
            EXPECT_EQ(lines[i].x, c.lines[i].x);
            EXPECT_EQ(lines[i].closed, c.lines[i].closed);
        }
    }
}

TEST(guiFlowCompositor, IsMadeByItsKindAlone)
{
    std::unique_ptr<guiCompositor> flow(CreateCompositor(guiFlowCompositor::kKind));
    ASSERT_NE(flow, nullptr);
    EXPECT_EQ(flow->GetKind(), 1);
    EXPECT_EQ(CreateCompositor(7), nullptr);
    EXPECT_EQ(CreateCompositor(0), nullptr);
}

} // namespace
