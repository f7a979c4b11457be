#pragma once

#include "engine/core/kaAny.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/gui/guiGrid.h"

#include <tinyxml.h>

#include <cstdint>
#include <string>

namespace testsupport
{

// The middle of the palette's picture of the record whose "entityInitID" is the given one, where the palette
// draws it unscrolled; false when the palette offers no such picture.
inline bool PalettePicturePoint(const guiGrid& palette, const std::string& record, int32_t& x, int32_t& y)
{
    const platform::Rect& cells = palette.GetHitRect();
    int32_t top = cells.top;
    for (int32_t row = 0; palette.GetCell(row, 0) != nullptr; ++row)
    {
        const ka::any value = palette.GetCellData(row, 0);
        TiXmlNode* const* data = ka::any_cast<TiXmlNode*>(&value);
        if (data != nullptr && GetChildElementText("entityInitID", *data) == record)
        {
            x = cells.left + palette.GetColumnWidth(0) / 2;
            y = top + palette.GetRowHeight(row) / 2;
            return true;
        }
        top += palette.GetRowHeight(row);
    }
    return false;
}

} // namespace testsupport
