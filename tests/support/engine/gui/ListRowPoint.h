#pragma once

#include "engine/gui/guiListBox.h"

#include <cstdint>
#include <string>

namespace testsupport
{

// Where a list draws its row of that text, unscrolled: half way down the row, a little in from the list's
// left; false when the grid is no list or holds no such row.
inline bool ListRowPoint(guiGrid* grid, const std::string& text, int32_t& x, int32_t& y)
{
    const auto* list = grid != nullptr ? grid->DynamicCast<guiListBox>() : nullptr;
    const int32_t row = list != nullptr ? list->FindRow(text, 0) : -1;
    if (row < 0)
        return false;
    const platform::Rect& rect = list->GetHitRect();
    y = rect.top;
    for (int32_t above = 0; above < row; ++above)
        y += list->GetRowHeight(above);
    y += list->GetRowHeight(row) / 2;
    x = rect.left + 20;
    return true;
}

} // namespace testsupport
