#pragma once

#include "engine/gui/guiCreateParams.h"

#include <cstdint>
#include <vector>

// What a grid is built from: its counts, borders, row height and column widths. Only the base block is
// written and read with the parameters; the grid's own fields travel in the grid's layout block.
class guiGridParams : public guiCreateParams
{
public:
    guiGridParams();
    // One width in pixels per column.
    guiGridParams(uint32_t rows, int32_t rowHeight, uint32_t columns, const std::vector<int32_t>& widths);

    int32_t GetWidgetClass() const override { return kGridParams; }
    guiGlyph* CreateWidget() const override;
    guiCreateParams* Clone() const override;

    // The first width replaces the all-zero placeholder a new parameter set starts with.
    void AddColumnWidth(const guiCoordPair& width);

    uint32_t rows = 1;
    uint32_t columns = 1;
    int32_t borderWidth = 2;
    kaColor borderColor;
    int32_t bufferWidth = 0;
    // The height is y.
    guiCoordPair rowHeight;
    // Each width is x.
    std::vector<guiCoordPair> columnWidths;
    bool rowSelect = true;
};
