#include "engine/gui/guiGrid.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiGridParams.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiLines.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiPropertyText.h"
#include "engine/gui/guiRectangle.h"
#include "engine/gui/guiWidgetFactoryFor.h"
#include "engine/gui/guiWindow.h"
#include "platform/system/DebugOutput.h"

#include <algorithm>
#include <istream>
#include <ostream>
#include <sstream>

using guiPropertyText::Parse;
using guiPropertyText::ParseBoolWord;
using guiPropertyText::ParseColor;

namespace
{

const guiWidgetFactoryFor<guiGrid> s_Factory;

constexpr const char* kTooLarge = "[guiGrid::Read] : Grid too large, block refused\n";

const kaColor kSelColor = kaColor::kaColorClamped(1.0f, 0.0f, 0.0f, 0.5f);
const kaColor kHighColor = kaColor::kaColorClamped(0.3f, 0.3f, 1.0f, 0.5f);

guiCoordPair Pixels(int64_t x, int64_t y)
{
    return guiCoordPair::Pixels(static_cast<float>(gui::ClampToInt(x)),
                                static_cast<float>(gui::ClampToInt(y)));
}

int32_t Clamp32(int64_t value)
{
    return gui::ClampToInt(value);
}

} // namespace

const kaClassInfo& guiGrid::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kGridClass);
}

bool guiGrid::FitsBounds(uint64_t rows, uint64_t columns)
{
    return rows * columns <= kMaxCells && rows + columns + 2 <= guiLines::kMaxSegments;
}

guiGrid::guiGrid(const guiCoordPair& position, const guiCoordPair& size)
{
    _Init();
    guiWidget::SetPosition(position);
    guiWidget::SetSize(size);
    _Rebuild(1, kDefaultRowHeight, 1, {ToPixels(m_Size).x});
    _MakeLines();
    _MakeMissingBars();
    _RequestLayout();
}

guiGrid::guiGrid(const guiGridParams& params)
{
    _Init();
    _FromParams(params);
}

guiGrid::guiGrid()
{
    _Init();
    _MakeLines();
    _MakeMissingBars();
}

guiGrid::guiGrid(std::istream& stream) : guiGrid()
{
    guiGrid::ReadText(stream);
}

guiGrid::guiGrid(kaBinaryStream& stream) : guiGrid()
{
    guiGrid::ReadBinary(stream);
}

guiGrid::~guiGrid() = default;

void guiGrid::_Init()
{
    // Scrolled-out parts of cells stay inside the table.
    m_ClipMode = kClipToSelf;
}

void guiGrid::_FromParams(const guiGridParams& params)
{
    m_Name = params.name;
    guiWidget::SetPosition(params.position);
    m_BorderWidth = params.borderWidth;
    m_BorderColor = params.borderColor;
    m_BufferWidth = params.bufferWidth;
    m_RowSelect = params.rowSelect;
    const uint32_t rows = FitsBounds(params.rows, params.columns) ? params.rows : 0;
    const uint32_t columns = FitsBounds(params.rows, params.columns) ? params.columns : 0;
    m_DefaultRowHeight = params.rowHeight.y.ToPixels(0.0f);
    std::vector<int32_t> widths;
    for (uint32_t c = 0; c < columns; ++c)
    {
        const bool placeholder = c == 0 && !params.columnWidths.empty() &&
                                 params.columnWidths[0] == guiCoordPair::Pixels(0.0f, 0.0f);
        if (c < params.columnWidths.size() && !placeholder)
            widths.push_back(params.columnWidths[c].x.ToPixels(0.0f));
        else
            widths.push_back(ToPixels(m_Size).x / static_cast<int32_t>(columns));
    }
    _Rebuild(rows, m_DefaultRowHeight, columns, widths);
    _MakeLines();
    _MakeMissingBars();
    _RequestLayout();
}

void guiGrid::SetLayer(int32_t layer)
{
    guiGlyph::SetLayer(layer + 1);
    for (guiGlyph* child : m_Children)
        child->SetLayer(layer + 2);
    m_BarLayer = layer;
    for (guiRectangle* bar : {m_SelBar, m_HighBar})
        if (bar != nullptr)
            bar->SetLayer(layer);
}

int guiGrid::RemoveChild(guiGlyph* child)
{
    if (child == nullptr)
        return -1;
    if (child == m_SelBar)
        m_SelBar = nullptr;
    if (child == m_HighBar)
        m_HighBar = nullptr;
    if (child == m_Lines)
        m_Lines = nullptr;
    if (child == m_FocusCell)
        m_FocusCell = nullptr;
    for (Row& row : m_RowList)
        for (Cell& cell : row.cells)
            if (cell.glyph == child)
            {
                _Unhide(cell);
                cell.glyph = nullptr;
            }
    return guiScrollable::RemoveChild(child);
}

// ---- Building ----

void guiGrid::_MakeLines()
{
    if (m_Lines != nullptr)
        RemoveChild(m_Lines);
    const uint32_t segments = GetRowCount() + GetColumnCount() + 2;
    m_Lines = new guiLines(segments, static_cast<float>(m_BorderWidth));
    m_Lines->SetColor(m_BorderColor);
    // The lines follow the counts, so they are made again rather than saved.
    m_Lines->SetSaveable(false);
    _SetVisibleAlone(*m_Lines, m_BorderWidth > 0);
    AddChild(m_Lines);
}

void guiGrid::_MakeBar(guiRectangle*& bar, const char* name, int32_t id, const kaColor& color)
{
    bar = new guiRectangle(guiCoordPair::Pixels(0.0f, 0.0f), guiCoordPair::Pixels(kBarWidth, kBarHeight));
    bar->SetName(name);
    bar->SetId(id);
    bar->SetFillColor(color);
    _SetVisibleAlone(*bar, false);
    AddChild(bar);
    bar->SetLayer(m_BarLayer);
}

void guiGrid::_MakeMissingBars()
{
    if (m_SelBar == nullptr)
        _MakeBar(m_SelBar, "Sel Bar", kSelBarId, kSelColor);
    if (m_HighBar == nullptr)
        _MakeBar(m_HighBar, "High Bar", kHighBarId, kHighColor);
}

void guiGrid::_TakeBars(int32_t highlight, int32_t selection)
{
    for (guiRectangle* bar : {m_SelBar, m_HighBar})
        if (bar != nullptr)
            RemoveChild(bar);
    auto find = [this](int32_t id) -> guiRectangle*
    {
        if (id == -1)
            return nullptr;
        for (guiGlyph* child : m_Children)
            if (child->GetId() == id)
                return gui::IsA(child->GetClassInfo(), guiRectangle::StaticClassInfo())
                           ? static_cast<guiRectangle*>(child)
                           : nullptr;
        return nullptr;
    };
    m_HighBar = find(highlight);
    m_SelBar = find(selection);
    if (m_SelBar == m_HighBar)
        m_HighBar = nullptr;
    // Their shown flags stay as read, so that the grid writes back what it read; the first render
    // shows or hides them.
    for (guiRectangle* bar : {m_SelBar, m_HighBar})
        if (bar != nullptr)
            bar->SetLayer(m_BarLayer);
    _MakeMissingBars();
}

void guiGrid::_AppendRow(int32_t height)
{
    Row row;
    row.height = height;
    const int32_t index = static_cast<int32_t>(m_RowList.size());
    for (int32_t c = 0; c < static_cast<int32_t>(m_ColumnList.size()); ++c)
    {
        Cell cell;
        cell.row = index;
        cell.column = c;
        row.cells.push_back(cell);
    }
    m_RowList.push_back(std::move(row));
}

void guiGrid::_AppendColumn(int32_t width, uint32_t alignment)
{
    const int32_t index = static_cast<int32_t>(m_ColumnList.size());
    for (int32_t r = 0; r < static_cast<int32_t>(m_RowList.size()); ++r)
    {
        Cell cell;
        cell.row = r;
        cell.column = index;
        m_RowList[r].cells.push_back(cell);
    }
    m_ColumnList.push_back(Column{width, alignment});
}

void guiGrid::_Rebuild(uint32_t rows, int32_t rowHeight, uint32_t columns, const std::vector<int32_t>& widths)
{
    m_RowList.clear();
    m_ColumnList.clear();
    for (uint32_t c = 0; c < columns; ++c)
        _AppendColumn(c < widths.size() ? widths[c] : m_DefaultColumnWidth, kDefaultAlignment);
    m_RowList.reserve(rows);
    for (uint32_t r = 0; r < rows; ++r)
        _AppendRow(rowHeight);
}

void guiGrid::Resize(uint32_t rows, uint32_t columns)
{
    if (!FitsBounds(rows, columns))
    {
        platform::OutputDebugString("[guiGrid::Resize] : Grid too large, ignored\n");
        return;
    }
    Clear(false);
    // No columns, no width to share.
    const int32_t width = columns > 0 ? ToPixels(m_Size).x / static_cast<int32_t>(columns) : 0;
    _Rebuild(rows, m_DefaultRowHeight, columns, std::vector<int32_t>(columns, width));
    _MakeLines();
    _RequestLayout();
}

void guiGrid::Setup(uint32_t rows, int32_t rowHeight, uint32_t columns, const std::vector<int32_t>& widths)
{
    if (!FitsBounds(rows, columns))
    {
        platform::OutputDebugString("[guiGrid::Setup] : Grid too large, ignored\n");
        return;
    }
    Clear(false);
    _Rebuild(rows, rowHeight, columns, widths);
    _MakeLines();
    _RequestLayout();
}

void guiGrid::AddRow()
{
    if (!FitsBounds(GetRowCount() + 1ull, GetColumnCount()))
        return;
    _AppendRow(m_RowList.empty() ? m_DefaultRowHeight : m_RowList.back().height);
    if (m_GrowToFit)
    {
        const int64_t total = _TotalHeight();
        const kaPoint size = ToPixels(m_Size);
        if (total > size.y)
            guiWidget::SetSize(guiCoordPair(m_Size.x, guiCoord::Pixels(static_cast<float>(Clamp32(total)))));
    }
    _MakeLines();
    _RequestLayout();
    _ComputeVerticalRange();
}

void guiGrid::AddColumn()
{
    if (!FitsBounds(GetRowCount(), GetColumnCount() + 1ull))
        return;
    _AppendColumn(m_ColumnList.empty() ? m_DefaultColumnWidth : m_ColumnList.back().width, kDefaultAlignment);
    _MakeLines();
    SetDirty(true);
    m_LayoutPending = true;
}

void guiGrid::Clear(bool alsoColumns)
{
    for (Row& row : m_RowList)
        for (Cell& cell : row.cells)
            if (guiGlyph* glyph = cell.glyph)
            {
                _Unhide(cell);
                cell.glyph = nullptr;
                guiScrollable::RemoveChild(glyph);
            }
    m_FocusCell = nullptr;
    ClearSelection(false);
    _HideBar(m_HighBar);
    m_RowList.clear();
    if (alsoColumns)
        m_ColumnList.clear();
    m_ScrollX = 0;
    m_ScrollY = 0;
    m_VerticalScroll = 0.0f;
    m_HorizontalScroll = 0.0f;
    _MakeLines();
    _RequestLayout();
}

// ---- Cells ----

guiGrid::Cell* guiGrid::_Cell(int32_t row, int32_t column)
{
    if (row < 0 || column < 0 || row >= static_cast<int32_t>(m_RowList.size()) ||
        column >= static_cast<int32_t>(m_RowList[row].cells.size()))
        return nullptr;
    return &m_RowList[row].cells[column];
}

const guiGrid::Cell* guiGrid::_Cell(int32_t row, int32_t column) const
{
    return const_cast<guiGrid*>(this)->_Cell(row, column);
}

void guiGrid::SetCell(int32_t row, int32_t column, guiGlyph* glyph)
{
    if (row == static_cast<int32_t>(m_RowList.size()))
        AddRow();
    if (column == static_cast<int32_t>(m_ColumnList.size()))
        AddColumn();
    Cell* cell = _Cell(row, column);
    if (cell == nullptr || cell->glyph == glyph)
        return;
    if (guiGlyph* old = cell->glyph)
    {
        _Unhide(*cell);
        cell->glyph = nullptr;
        guiScrollable::RemoveChild(old);
    }
    cell->glyph = glyph;
    if (glyph != nullptr)
    {
        // Cells are filled by the program, never saved with the layout.
        glyph->SetSaveable(false);
        AddChild(glyph);
    }
    m_LayoutPending = true;
    SetDirty(true);
}

guiGlyph* guiGrid::GetCell(int32_t row, int32_t column) const
{
    const Cell* cell = _Cell(row, column);
    return cell != nullptr ? cell->glyph : nullptr;
}

void guiGrid::ClearCell(int32_t row, int32_t column)
{
    Cell* cell = _Cell(row, column);
    if (cell == nullptr || cell->glyph == nullptr)
        return;
    guiGlyph* old = cell->glyph;
    _Unhide(*cell);
    cell->glyph = nullptr;
    RemoveChild(old);
}

ka::any guiGrid::GetCellData(int32_t row, int32_t column) const
{
    const Cell* cell = _Cell(row, column);
    return cell != nullptr ? cell->data : ka::any();
}

void guiGrid::SetCellData(int32_t row, int32_t column, const ka::any& value)
{
    if (Cell* cell = _Cell(row, column))
        cell->data = value;
}

guiGlyph* guiGrid::GetSelectedCell() const
{
    return GetCell(m_CurrentRow, m_CurrentColumn);
}

ka::any guiGrid::GetSelectedCellData() const
{
    return GetCellData(m_CurrentRow, m_CurrentColumn);
}

void guiGrid::SetCellSelectable(int32_t row, int32_t column, bool selectable)
{
    if (Cell* cell = _Cell(row, column))
        cell->selectable = selectable;
}

bool guiGrid::IsCellSelectable(int32_t row, int32_t column) const
{
    const Cell* cell = _Cell(row, column);
    return cell != nullptr && cell->selectable;
}

int32_t guiGrid::GetRowHeight(int32_t row) const
{
    return row >= 0 && row < static_cast<int32_t>(m_RowList.size()) ? m_RowList[row].height : 0;
}

int32_t guiGrid::GetColumnWidth(int32_t column) const
{
    return column >= 0 && column < static_cast<int32_t>(m_ColumnList.size()) ? m_ColumnList[column].width : 0;
}

uint32_t guiGrid::GetColumnParam(int32_t column) const
{
    return column >= 0 && column < static_cast<int32_t>(m_ColumnList.size()) ? m_ColumnList[column].alignment
                                                                             : 0;
}

void guiGrid::SetColumnWidth(int32_t column, int32_t width)
{
    if (column < 0 || column >= static_cast<int32_t>(m_ColumnList.size()) ||
        m_ColumnList[column].width == width)
        return;
    m_ColumnList[column].width = width;
    SetDirty(true);
    _RequestLayout();
}

void guiGrid::SetRowHeight(int32_t row, int32_t height)
{
    if (row < 0 || row >= static_cast<int32_t>(m_RowList.size()) || m_RowList[row].height == height)
        return;
    m_RowList[row].height = height;
    SetDirty(true);
    _RequestLayout();
}

void guiGrid::SetColumnParam(int32_t column, uint32_t flags)
{
    if (column < 0 || column >= static_cast<int32_t>(m_ColumnList.size()))
        return;
    m_ColumnList[column].alignment = flags;
    SetDirty(true);
}

// ---- Selection ----

void guiGrid::SelectCell(int32_t column, int32_t row, bool notify)
{
    Cell* cell = _Cell(row, column);
    if (cell == nullptr || !cell->selectable)
    {
        m_CurrentColumn = -1;
        m_CurrentRow = -1;
        _HideBar(m_SelBar);
        return;
    }
    m_CurrentColumn = column;
    m_CurrentRow = row;
    if (cell->glyph != nullptr)
        if (guiWidget* widget = cell->glyph->DynamicCast<guiWidget>())
        {
            if (m_OwnerWindow != nullptr)
                m_OwnerWindow->SetFocus(widget);
            m_FocusCell = widget;
        }
    if (notify)
        FireEvent(guiMsgEvent(gui::kEventCellSelected, this, std::string(), cell->data));
}

void guiGrid::SelectRow(int32_t row, bool notify)
{
    if (!IsCellSelectable(row, 0))
    {
        ClearSelection(notify);
        return;
    }
    SelectCell(0, row, notify);
    _RefreshSelBar();
}

void guiGrid::ClearSelection(bool notify)
{
    m_CurrentColumn = -1;
    m_CurrentRow = -1;
    _HideBar(m_SelBar);
    if (notify)
        FireEvent(guiMsgEvent(gui::kEventSelectionCleared, this));
}

// ---- Layout ----

void guiGrid::_RequestLayout()
{
    if (m_DeviceObjectsMade)
    {
        _Layout();
        m_LayoutPending = false;
    }
    else
        m_LayoutPending = true;
}

int64_t guiGrid::_TotalWidth() const
{
    int64_t total = 0;
    for (const Column& column : m_ColumnList)
        total += column.width;
    return total;
}

int64_t guiGrid::_TotalHeight() const
{
    int64_t total = 0;
    for (const Row& row : m_RowList)
        total += row.height;
    return total;
}

void guiGrid::_Layout()
{
    const kaPoint size = ToPixels(m_Size);
    m_StepRight = 0;
    m_StepLeft = 0;
    if (m_Lines == nullptr)
        _MakeLines();
    m_Lines->ClearPoints();
    if (m_BorderWidth > 0 && !m_RowList.empty())
    {
        const int64_t totalWidth = _TotalWidth();
        const int64_t totalHeight = _TotalHeight();
        m_MaxX = Clamp32(std::max<int64_t>(0, totalWidth - size.x));
        m_ScrollX = std::min(m_ScrollX, m_MaxX);
        const int64_t left = -int64_t(m_ScrollX);
        int64_t y = -int64_t(m_ScrollY);
        for (std::size_t r = 0; r <= m_RowList.size(); ++r)
        {
            m_Lines->AddLine(Pixels(left, y), Pixels(left + totalWidth, y));
            if (r < m_RowList.size())
                y += m_RowList[r].height;
        }
        int64_t x = left;
        bool forwardSet = false;
        for (std::size_t c = 0; c <= m_ColumnList.size(); ++c)
        {
            m_Lines->AddLine(Pixels(x, -int64_t(m_ScrollY)), Pixels(x, totalHeight - m_ScrollY));
            if (!forwardSet && x > size.x)
            {
                m_StepRight = Clamp32(x - size.x);
                forwardSet = true;
            }
            if (x < 0)
                m_StepLeft = Clamp32(-x);
            if (c < m_ColumnList.size())
                x += m_ColumnList[c].width;
        }
    }
    m_Lines->SetLineWidth(static_cast<float>(m_BorderWidth));
    m_Lines->SetColor(m_BorderColor);
    _ComputeVerticalRange();
}

void guiGrid::_ComputeVerticalRange()
{
    const int64_t visible = ToPixels(m_Size).y;
    const int64_t total = _TotalHeight();
    int64_t fit = 0;
    for (auto row = m_RowList.rbegin(); row != m_RowList.rend(); ++row)
    {
        if (fit + row->height > visible)
            break;
        fit += row->height;
    }
    m_MaxY = total > visible ? Clamp32(total - fit) : 0;
    m_ScrollY = std::min(m_ScrollY, m_MaxY);
}

void guiGrid::_VerticalSteps(int32_t& forward, int32_t& backward) const
{
    forward = 0;
    backward = 0;
    int64_t top = -int64_t(m_ScrollY);
    bool forwardSet = false;
    for (const Row& row : m_RowList)
    {
        const int64_t bottom = top + row.height;
        if (!forwardSet && bottom > 0)
        {
            forward = Clamp32(bottom);
            forwardSet = true;
        }
        if (top < 0)
            backward = Clamp32(-top);
        top = bottom;
    }
}

void guiGrid::_PlaceCells()
{
    const kaPoint size = ToPixels(m_Size);
    const platform::Rect view{0, 0, size.x, size.y};
    const int32_t half = m_BorderWidth / 2;
    const int64_t inset = int64_t(m_BufferWidth) + (half > 1 ? half : 1);
    int64_t y = -int64_t(m_ScrollY);
    for (Row& row : m_RowList)
    {
        int64_t x = -int64_t(m_ScrollX);
        for (std::size_t c = 0; c < row.cells.size() && c < m_ColumnList.size(); ++c)
        {
            const Column& column = m_ColumnList[c];
            Cell& cell = row.cells[c];
            guiGlyph* glyph = cell.glyph;
            if (glyph != nullptr)
            {
                if (column.width >= 1 && row.height >= 1)
                {
                    _Unhide(cell);
                    const int64_t w = int64_t(column.width) - m_BorderWidth - 2 * int64_t(m_BufferWidth);
                    const int64_t h = int64_t(row.height) - m_BorderWidth - 2 * int64_t(m_BufferWidth);
                    const guiCoordPair cellSize = Pixels(w, h);
                    if (glyph->GetSize() != cellSize)
                        glyph->SetSize(cellSize);
                    platform::Rect client{};
                    glyph->ComputeClientRect(client);
                    const int64_t cw = int64_t(client.right) - client.left;
                    const int64_t ch = int64_t(client.bottom) - client.top;
                    // Only the client rectangle's extent counts: a glyph draws its box from its position
                    // (a text's line box starts there, whatever its font's top).
                    int64_t px = x + inset;
                    if (column.alignment & kAlignCentreX)
                        px = x + (column.width - cw) / 2;
                    else if (column.alignment & kAlignRight)
                        px = x + column.width - inset - cw;
                    int64_t py = y + inset;
                    if (column.alignment & kAlignCentreY)
                        py = y + (row.height - ch) / 2;
                    else if (column.alignment & kAlignBottom)
                        py = y + row.height - inset - ch;
                    const guiCoordPair position = Pixels(px, py);
                    if (glyph->GetPosition() != position)
                        glyph->SetPosition(position);
                    glyph->SetDirty(true);
                    const platform::Rect cellRect{Clamp32(x), Clamp32(y), Clamp32(x + column.width),
                                                  Clamp32(y + row.height)};
                    platform::Rect overlap{};
                    glyph->SetExcludedFromHitList(!platform::IntersectRect(overlap, cellRect, view));
                }
                else
                {
                    // A row or column without room (a folded tree row) draws nothing of its cells: they
                    // would lie over their neighbours where they were last placed.
                    glyph->SetExcludedFromHitList(true);
                    if (glyph->IsVisible())
                    {
                        _SetVisibleAlone(*glyph, false);
                        cell.hiddenByGrid = true;
                    }
                }
            }
            x += column.width;
        }
        y += row.height;
    }
}

void guiGrid::_Unhide(Cell& cell)
{
    if (!cell.hiddenByGrid)
        return;
    cell.hiddenByGrid = false;
    if (cell.glyph != nullptr)
        _SetVisibleAlone(*cell.glyph, true);
}

void guiGrid::_HideBar(guiRectangle* bar)
{
    if (bar != nullptr)
        _SetVisibleAlone(*bar, false);
}

void guiGrid::_PlaceBar(guiRectangle* bar, int32_t column, int32_t row)
{
    if (bar == nullptr)
        return;
    int64_t x = 0;
    int64_t y = 0;
    for (int32_t r = 0; r < row; ++r)
        y += m_RowList[r].height;
    int64_t width = _TotalWidth();
    if (!m_RowSelect)
    {
        for (int32_t c = 0; c < column; ++c)
            x += m_ColumnList[c].width;
        width = m_ColumnList[column].width;
    }
    const guiCoordPair position = Pixels(x - m_ScrollX, y - m_ScrollY);
    const guiCoordPair size = Pixels(width, m_RowList[row].height);
    if (bar->GetPosition() != position || bar->GetSize() != size)
    {
        bar->SetPosition(position);
        bar->SetSize(size);
        bar->SetDirty(true);
    }
    _SetVisibleAlone(*bar, true);
}

void guiGrid::_RefreshSelBar()
{
    if (_Cell(m_CurrentRow, m_CurrentColumn) == nullptr)
        _HideBar(m_SelBar);
    else
        _PlaceBar(m_SelBar, m_CurrentColumn, m_CurrentRow);
}

void guiGrid::Render(guiRenderContext& context)
{
    if (m_LayoutPending)
    {
        _MakeLines();
        _Layout();
        m_LayoutPending = false;
    }
    _RefreshSelBar();
    _PlaceCells();
    const bool dirty = m_Dirty;
    guiScrollable::Render(context);
    if (dirty)
        _ComputeVerticalRange();
}

// ---- Input ----

float guiGrid::_Clock() const
{
    return g_pGuiManager != nullptr ? g_pGuiManager->GetGuiClock() : 0.0f;
}

bool guiGrid::_HitCell(const kaPoint& screen, int32_t& column, int32_t& row) const
{
    const kaPoint origin = gui::AddPixels(m_DrawingOrigin, m_PixelPosition);
    const int64_t px = int64_t(screen.x) - origin.x + m_ScrollX;
    const int64_t py = int64_t(screen.y) - origin.y + m_ScrollY;
    int64_t top = 0;
    for (std::size_t r = 0; r < m_RowList.size(); ++r)
    {
        const int64_t height = m_RowList[r].height;
        if (height > 0 && py >= top && py < top + height)
        {
            int64_t left = 0;
            for (std::size_t c = 0; c < m_ColumnList.size(); ++c)
            {
                const int64_t width = m_ColumnList[c].width;
                if (px >= left && px < left + width)
                {
                    column = static_cast<int32_t>(c);
                    row = static_cast<int32_t>(r);
                    return true;
                }
                left += width;
            }
            return false;
        }
        top += height;
    }
    return false;
}

bool guiGrid::OnMouseMove(const guiMsgMouse& message)
{
    int32_t column = -1;
    int32_t row = -1;
    if (_HitCell(kaPoint(message.data.x, message.data.y), column, row))
    {
        _PlaceBar(m_HighBar, column, row);
        FireEvent(guiMsgEvent(gui::kEventMouseOver, this));
    }
    else
    {
        _HideBar(m_HighBar);
        FireEvent(guiMsgEvent(gui::kEventMouseLeft, this));
    }
    return guiScrollable::OnMouseMove(message);
}

void guiGrid::OnMouseLeave()
{
    _HideBar(m_HighBar);
    FireEvent(guiMsgEvent(gui::kEventMouseLeft, this));
    guiScrollable::OnMouseLeave();
}

void guiGrid::OnFocusLost()
{
    _HideBar(m_HighBar);
    FireEvent(guiMsgEvent(gui::kEventMouseLeft, this));
    guiScrollable::OnFocusLost();
}

bool guiGrid::OnMouseDown(int32_t button, const gui::MouseData& data)
{
    int32_t column = -1;
    int32_t row = -1;
    if (_HitCell(kaPoint(data.x, data.y), column, row))
    {
        if (button == 0)
        {
            const bool current =
                row == m_CurrentRow && (column == m_CurrentColumn || (m_RowSelect && m_CurrentRow >= 0));
            const float now = _Clock();
            if (current && now - m_LastClickTime < kDoubleClickTime)
                FireEvent(guiMsgEvent(gui::kEventDoubleClick, this));
            m_LastClickTime = now;
        }
        SelectCell(column, row, true);
        if (IsCellSelectable(row, column))
            _RefreshSelBar();
    }
    else
    {
        ClearSelection(true);
        if (m_FocusCell != nullptr)
        {
            if (m_FocusCell->HasFocus() && m_OwnerWindow != nullptr)
                m_OwnerWindow->SetFocus(this);
            m_FocusCell = nullptr;
        }
    }
    return guiScrollable::OnMouseDown(button, data);
}

bool guiGrid::_OnArrowKey(const guiMsgKey& message, bool notify)
{
    if (message.virtualKey == 0 || message.key < kKeyLeft || message.key > kKeyDown ||
        _Cell(m_CurrentRow, m_CurrentColumn) == nullptr)
        return guiScrollable::OnKey(message);
    int32_t columnStep = 0;
    int32_t rowStep = 0;
    switch (message.key)
    {
    case kKeyLeft:
    case kKeyRight:
        if (m_RowSelect)
            return guiScrollable::OnKey(message);
        columnStep = message.key == kKeyLeft ? -1 : 1;
        break;
    case kKeyUp:
        rowStep = -1;
        break;
    default:
        rowStep = 1;
        break;
    }
    // Rows and columns without room (folded tree rows) are not drawn: the move passes over them.
    int32_t column = m_CurrentColumn + columnStep;
    int32_t row = m_CurrentRow + rowStep;
    while (_Cell(row, column) != nullptr && (GetRowHeight(row) < 1 || GetColumnWidth(column) < 1))
    {
        column += columnStep;
        row += rowStep;
    }
    if (_Cell(row, column) == nullptr)
        return true;
    SelectCell(column, row, notify);
    _RefreshSelBar();
    return true;
}

bool guiGrid::OnKey(const guiMsgKey& message)
{
    return _OnArrowKey(message, false);
}

// ---- Scrolling ----

int32_t guiGrid::GetScrollDirections()
{
    if (m_PermScrolls)
        return kScrollsVertically | kScrollsHorizontally;
    return (m_MaxY >= 1 ? kScrollsVertically : 0) | (m_MaxX >= 1 ? kScrollsHorizontally : 0);
}

void guiGrid::ScrollVertical(int32_t step)
{
    int32_t forward = 0;
    int32_t backward = 0;
    _VerticalSteps(forward, backward);
    if (step < 0)
        m_ScrollY = std::max(0, m_ScrollY - backward);
    else if (step > 0 && m_ScrollY < m_MaxY)
        m_ScrollY = std::min(m_MaxY, m_ScrollY + forward);
    m_VerticalScroll = GetVerticalScroll();
    _Layout();
    _RefreshSelBar();
}

void guiGrid::SetVerticalScroll(float fraction)
{
    if (fraction == m_VerticalScroll)
        return;
    m_VerticalScroll = fraction;
    m_ScrollY = std::clamp(gui::TruncateToInt(static_cast<float>(m_MaxY) * fraction), 0, m_MaxY);
    _Layout();
    _RefreshSelBar();
}

float guiGrid::GetVerticalScroll()
{
    return m_MaxY < 1 ? 0.0f : static_cast<float>(m_ScrollY) / static_cast<float>(m_MaxY);
}

void guiGrid::ScrollHorizontal(int32_t step)
{
    if (step < 0)
        m_ScrollX = std::max(0, m_ScrollX - m_StepLeft);
    else if (step > 0 && m_ScrollX < m_MaxX)
        m_ScrollX = std::min(m_MaxX, m_ScrollX + m_StepRight);
    m_HorizontalScroll = GetHorizontalScroll();
    _Layout();
    _RefreshSelBar();
}

void guiGrid::SetHorizontalScroll(float fraction)
{
    if (fraction == m_HorizontalScroll)
        return;
    m_HorizontalScroll = fraction;
    m_ScrollX = std::clamp(gui::TruncateToInt(static_cast<float>(m_MaxX) * fraction), 0, m_MaxX);
    _Layout();
    _RefreshSelBar();
}

float guiGrid::GetHorizontalScroll()
{
    return m_MaxX < 1 ? 0.0f : static_cast<float>(m_ScrollX) / static_cast<float>(m_MaxX);
}

// ---- Layout blocks ----

void guiGrid::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "Rows", static_cast<int32_t>(m_RowList.size()));
    gui::WriteTextField(stream, "Columns", static_cast<int32_t>(m_ColumnList.size()));
    gui::WriteTextField(stream, "RowHeight", m_DefaultRowHeight);
    if (!m_ColumnList.empty())
    {
        stream << "ColWidths";
        for (const Column& column : m_ColumnList)
            stream << ' ' << column.width << ' ' << column.alignment;
        stream << '\n';
    }
    gui::WriteTextField(stream, "BorderColor", m_BorderColor);
    gui::WriteTextField(stream, "BorderWidth", m_BorderWidth);
    gui::WriteTextField(stream, "BufferWidth", m_BufferWidth);
    gui::WriteTextField(stream, "RowSelect", m_RowSelect);
    gui::WriteTextField(stream, "Highlight", m_HighBar != nullptr ? m_HighBar->GetId() : -1);
    gui::WriteTextField(stream, "Selection", m_SelBar != nullptr ? m_SelBar->GetId() : -1);
    gui::WriteTextField(stream, "PermScrolls", m_PermScrolls);
    guiScrollable::WriteText(stream);
}

void guiGrid::ReadText(std::istream& stream)
{
    int32_t rows = 0;
    int32_t columns = 0;
    gui::ReadTextField(stream, rows);
    gui::ReadTextField(stream, columns);
    if (rows < 0 || columns < 0 || !FitsBounds(uint32_t(rows), uint32_t(columns)))
    {
        platform::OutputDebugString(kTooLarge);
        stream.setstate(std::ios::failbit);
        return;
    }
    gui::ReadTextField(stream, m_DefaultRowHeight);
    std::vector<Column> widths(static_cast<std::size_t>(columns));
    if (columns > 0)
    {
        std::string key;
        stream >> key;
        for (Column& column : widths)
            stream >> column.width >> column.alignment;
    }
    gui::ReadTextField(stream, m_BorderColor);
    gui::ReadTextField(stream, m_BorderWidth);
    gui::ReadTextField(stream, m_BufferWidth);
    gui::ReadTextField(stream, m_RowSelect);
    int32_t highlight = -1;
    int32_t selection = -1;
    if (gui::GetLayoutVersion() >= kBarIdVersion)
    {
        gui::ReadTextField(stream, highlight);
        gui::ReadTextField(stream, selection);
    }
    if (gui::GetLayoutVersion() >= kPermScrollsVersion)
        gui::ReadTextField(stream, m_PermScrolls);
    if (!stream)
        return;
    guiScrollable::ReadText(stream);
    m_ColumnList = widths;
    m_RowList.clear();
    for (int32_t r = 0; r < rows; ++r)
        _AppendRow(m_DefaultRowHeight);
    _AfterRead(highlight, selection);
}

void guiGrid::WriteBinary(kaBinaryStream& stream) const
{
    stream.WriteUInt32(GetRowCount());
    stream.WriteUInt32(GetColumnCount());
    stream.WriteInt32(m_DefaultRowHeight);
    for (const Column& column : m_ColumnList)
    {
        stream.WriteInt32(column.width);
        stream.WriteUInt32(column.alignment);
    }
    m_BorderColor.Write(stream);
    stream.WriteInt32(m_BorderWidth);
    stream.WriteInt32(m_BufferWidth);
    stream.WriteBool(m_RowSelect);
    stream.WriteInt32(m_HighBar != nullptr ? m_HighBar->GetId() : -1);
    stream.WriteInt32(m_SelBar != nullptr ? m_SelBar->GetId() : -1);
    stream.WriteBool(m_PermScrolls);
    guiScrollable::WriteBinary(stream);
}

void guiGrid::ReadBinary(kaBinaryStream& stream)
{
    uint32_t rows = 0;
    uint32_t columns = 0;
    stream.ReadUInt32(rows);
    stream.ReadUInt32(columns);
    if (!FitsBounds(rows, columns))
    {
        platform::OutputDebugString(kTooLarge);
        stream.Fail();
        return;
    }
    stream.ReadInt32(m_DefaultRowHeight);
    std::vector<Column> widths(columns);
    for (Column& column : widths)
    {
        stream.ReadInt32(column.width);
        stream.ReadUInt32(column.alignment);
    }
    m_BorderColor.Read(stream);
    stream.ReadInt32(m_BorderWidth);
    stream.ReadInt32(m_BufferWidth);
    stream.ReadBool(m_RowSelect);
    int32_t highlight = -1;
    int32_t selection = -1;
    if (gui::GetLayoutVersion() >= kBarIdVersion)
    {
        stream.ReadInt32(highlight);
        stream.ReadInt32(selection);
    }
    if (gui::GetLayoutVersion() >= kPermScrollsVersion)
        stream.ReadBool(m_PermScrolls);
    if (stream.Failed())
        return;
    guiScrollable::ReadBinary(stream);
    m_ColumnList = widths;
    m_RowList.clear();
    for (uint32_t r = 0; r < rows; ++r)
        _AppendRow(m_DefaultRowHeight);
    _AfterRead(highlight, selection);
}

void guiGrid::_AfterRead(int32_t highlight, int32_t selection)
{
    m_CurrentColumn = -1;
    m_CurrentRow = -1;
    _TakeBars(highlight, selection);
    _MakeLines();
    _Layout();
    m_LayoutPending = true;
    _ComputeVerticalRange();
}

// ---- Properties ----

void guiGrid::GetProperties(GuiParamTable& sheet) const
{
    sheet.InsertInt("Rows", static_cast<int32_t>(GetRowCount()));
    sheet.InsertInt("Columns", static_cast<int32_t>(GetColumnCount()));
    sheet.InsertInt("DefaultRowHeight", m_DefaultRowHeight);
    sheet.InsertColor("BorderColor", m_BorderColor);
    sheet.InsertInt("BorderWidth", m_BorderWidth);
    sheet.InsertInt("BufferWidth", m_BufferWidth);
    sheet.InsertBool("RowSelect", m_RowSelect);
    sheet.InsertBool("PermScrolls", m_PermScrolls);
    sheet.InsertFileName("LoadCell", std::string(), kCellFilter);
    guiScrollable::GetProperties(sheet);
}

void guiGrid::SetProperties(const GuiParamTable& sheet)
{
    int32_t value = 0;
    if (const GuiParamTable::Entry* entry = sheet.Find("Rows");
        entry && Parse(entry->text, value) && value >= 0)
        Resize(static_cast<uint32_t>(value), GetColumnCount());
    if (const GuiParamTable::Entry* entry = sheet.Find("Columns");
        entry && Parse(entry->text, value) && value >= 0)
        Resize(GetRowCount(), static_cast<uint32_t>(value));
    if (const GuiParamTable::Entry* entry = sheet.Find("DefaultRowHeight");
        entry && Parse(entry->text, value))
    {
        m_DefaultRowHeight = value;
        Resize(GetRowCount(), GetColumnCount());
    }
    if (const GuiParamTable::Entry* entry = sheet.Find("BorderColor");
        entry && ParseColor(entry->text, m_BorderColor))
        if (m_Lines != nullptr)
            m_Lines->SetColor(m_BorderColor);
    if (const GuiParamTable::Entry* entry = sheet.Find("BorderWidth");
        entry && Parse(entry->text, m_BorderWidth))
        if (m_Lines != nullptr)
        {
            m_Lines->SetLineWidth(static_cast<float>(m_BorderWidth));
            _SetVisibleAlone(*m_Lines, m_BorderWidth != 0);
        }
    if (const GuiParamTable::Entry* entry = sheet.Find("BufferWidth"))
        Parse(entry->text, m_BufferWidth);
    if (const GuiParamTable::Entry* entry = sheet.Find("RowSelect"))
        ParseBoolWord(entry->text, m_RowSelect);
    if (const GuiParamTable::Entry* entry = sheet.Find("PermScrolls"))
        ParseBoolWord(entry->text, m_PermScrolls);
    if (const GuiParamTable::Entry* entry = sheet.Find("LoadCell");
        entry && !entry->text.empty() && _Cell(m_CurrentRow, m_CurrentColumn) != nullptr)
    {
        const int32_t row = m_CurrentRow;
        const int32_t column = m_CurrentColumn;
        ClearCell(row, column);
        if (guiGlyph* loaded = gui::LoadLayout(entry->text))
        {
            loaded->CreateDeviceObjectsAll();
            SetCell(row, column, loaded);
        }
    }
    SetDirty(true);
    m_LayoutPending = true;
    guiScrollable::SetProperties(sheet);
}
