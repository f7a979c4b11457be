#pragma once

#include "engine/gui/guiGlyph.h"
#include "engine/gui/guiRenderContext.h"
#include "engine/gui/guiWindow.h"

#include <utility>
#include <vector>

// A point as a pair, for comparisons in tests.
inline std::pair<int32_t, int32_t> Xy(const kaPoint& point)
{
    return {point.x, point.y};
}

// Stands in for a window in tests: owns nothing, collects the hit list of a frame's walk and draws it
// in (layer, child order) order, as a window draws its tree.
class TestWindow : public guiWindow
{
public:
    TestWindow() : guiWindow(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(0, 0)) {}
    bool HitTest(const kaPoint& /*point*/, guiGlyph*& /*out*/) override { return false; }
    void AddToHitList(guiGlyph* glyph) override { hitList.push_back(glyph); }
    void ForgetWidget(guiGlyph* glyph) override { forgotten.push_back(glyph); }

    // Makes the tree this window's, walks it and draws what the walk listed.
    void Frame(guiGlyph* root);

    std::vector<guiGlyph*> hitList;
    std::vector<guiGlyph*> forgotten;
    guiRenderContext context;
};
