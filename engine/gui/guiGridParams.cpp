#include "engine/gui/guiGridParams.h"

#include "engine/gui/guiGrid.h"

#include <new>

namespace
{

const bool s_Registered = []
{
    RegisterParamsCreator(guiCreateParams::kGridParams, [] { return new guiGridParams(); });
    return true;
}();

bool IsZero(const guiCoordPair& pair)
{
    return pair.x.value == 0.0f && pair.y.value == 0.0f && !pair.x.relative && !pair.y.relative;
}

} // namespace

guiGridParams::guiGridParams() : columnWidths(1) {}

guiGridParams::guiGridParams(uint32_t rowCount, int32_t height, uint32_t columnCount,
                             const std::vector<int32_t>& widths)
    : guiGridParams()
{
    rows = rowCount;
    columns = columnCount;
    rowHeight = guiCoordPair::Pixels(0.0f, static_cast<float>(height));
    for (int32_t width : widths)
        AddColumnWidth(guiCoordPair::Pixels(static_cast<float>(width), 0.0f));
}

guiGlyph* guiGridParams::CreateWidget() const
{
    return new (std::nothrow) guiGrid(*this);
}

guiCreateParams* guiGridParams::Clone() const
{
    return new (std::nothrow) guiGridParams(*this);
}

void guiGridParams::AddColumnWidth(const guiCoordPair& width)
{
    if (columnWidths.size() == 1 && IsZero(columnWidths.front()))
        columnWidths.front() = width;
    else
        columnWidths.push_back(width);
}
