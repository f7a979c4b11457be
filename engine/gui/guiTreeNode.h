#pragma once

#include "engine/gui/guiTextParams.h"

#include <cstdint>

class guiGlyph;
class guiWidget;

// One node of a tree view: where it sits in the tree and in the grid, whether its children show, and the
// glyphs of its row.
struct guiTreeNode
{
    // 1 for a top-level node.
    int32_t depth = 1;
    int32_t row = 0;
    guiTreeNode* parent = nullptr;
    bool expanded = true;
    int32_t childCount = 0;
    // An icon id of the tree view's table; 0 for none.
    uint32_t imageId = 0;
    guiTextParams textParams;
    guiGlyph* rowGlyph = nullptr;
    guiWidget* extra = nullptr;
    // Holds the row's pieces at the node's indent inside the grid's cell glyph, which owns it.
    guiGlyph* container = nullptr;
};
