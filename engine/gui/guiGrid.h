#pragma once

#include "engine/core/kaAny.h"
#include "engine/core/kaColor.h"
#include "engine/gui/guiScrollable.h"

#include <cstdint>
#include <iosfwd>
#include <vector>

class guiGridParams;
class guiLines;
class guiRectangle;

// A scrollable table whose cells each hold one glyph, a user value and a selectable flag. It draws its
// border lines, a selection bar and a highlight bar beneath the cells, selects cells or whole rows by
// mouse and arrow keys, reports double clicks, and scrolls through the scrollable interface.
class guiGrid : public guiScrollable
{
public:
    // Alignment bits of a column.
    enum Alignment : uint32_t
    {
        kAlignLeft = 1,
        kAlignCentreX = 2,
        kAlignRight = 4,
        kAlignTop = 8,
        kAlignCentreY = 16,
        kAlignBottom = 32,
    };
    static constexpr uint32_t kDefaultAlignment = kAlignLeft | kAlignCentreY;
    static constexpr int32_t kDefaultRowHeight = 18;
    static constexpr int32_t kDefaultColumnWidth = 18;
    static constexpr int32_t kDefaultBorderWidth = 2;
    static constexpr int32_t kSelBarId = 100;
    static constexpr int32_t kHighBarId = 101;
    static constexpr float kBarWidth = 100.0f;
    static constexpr float kBarHeight = 10.0f;
    static constexpr float kDoubleClickTime = 0.3f;
    // A file may claim any count: more cells than this, or more border lines than the lines glyph
    // holds, make the block damaged.
    static constexpr uint64_t kMaxCells = 1u << 20;
    static constexpr float kBarIdVersion = 1.05f;
    static constexpr float kPermScrollsVersion = 1.08f;
    static constexpr uint8_t kKeyLeft = 37;
    static constexpr uint8_t kKeyUp = 38;
    static constexpr uint8_t kKeyRight = 39;
    static constexpr uint8_t kKeyDown = 40;
    static constexpr const char* kCellFilter = "*.kab";

    struct Cell
    {
        guiGlyph* glyph = nullptr;
        ka::any data = ka::any(int32_t(0));
        int32_t column = 0;
        int32_t row = 0;
        bool selectable = true;
        // The grid hid the glyph because its row or column has no room; it shows it again when room comes.
        bool hiddenByGrid = false;
    };
    struct Column
    {
        int32_t width = kDefaultColumnWidth;
        uint32_t alignment = kDefaultAlignment;
    };

    static const kaClassInfo& StaticClassInfo();
    // True when a grid of these counts stays within the cell and border-line bounds.
    static bool FitsBounds(uint64_t rows, uint64_t columns);

    // One row of the default height and one column as wide as the grid.
    guiGrid(const guiCoordPair& position, const guiCoordPair& size);
    explicit guiGrid(const guiGridParams& params);
    explicit guiGrid(std::istream& stream);
    explicit guiGrid(kaBinaryStream& stream);
    ~guiGrid() override;

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    // The grid takes one layer above, its children two; the bars stay on the layer given, beneath.
    void SetLayer(int32_t layer) override;
    int RemoveChild(guiGlyph* child) override;
    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;
    void GetProperties(GuiParamTable& sheet) const override;
    void SetProperties(const GuiParamTable& sheet) override;
    void Render(guiRenderContext& context) override;
    void OnFocusLost() override;
    bool OnMouseMove(const guiMsgMouse& message) override;
    bool OnMouseDown(int32_t button, const gui::MouseData& data) override;
    void OnMouseLeave() override;
    bool OnKey(const guiMsgKey& message) override;

    int32_t GetScrollDirections() override;
    void ScrollVertical(int32_t step) override;
    void SetVerticalScroll(float fraction) override;
    float GetVerticalScroll() override;
    void ScrollHorizontal(int32_t step) override;
    void SetHorizontalScroll(float fraction) override;
    float GetHorizontalScroll() override;

    virtual void SetCellSelectable(int32_t row, int32_t column, bool selectable);
    virtual bool IsCellSelectable(int32_t row, int32_t column) const;
    virtual void Clear(bool alsoColumns);

    // A row index equal to the row count appends a row first, a column index equal to the column count
    // a column. The glyph the cell holds already stays as it is.
    void SetCell(int32_t row, int32_t column, guiGlyph* glyph);
    guiGlyph* GetCell(int32_t row, int32_t column) const;
    void ClearCell(int32_t row, int32_t column);
    ka::any GetCellData(int32_t row, int32_t column) const;
    void SetCellData(int32_t row, int32_t column, const ka::any& value);
    guiGlyph* GetSelectedCell() const;
    ka::any GetSelectedCellData() const;
    void SetColumnWidth(int32_t column, int32_t width);
    void SetRowHeight(int32_t row, int32_t height);
    void SetColumnParam(int32_t column, uint32_t flags);
    // -1 when nothing is selected.
    int32_t GetSelectedRow() const { return m_CurrentRow; }
    // Counts past the bounds are refused.
    void Resize(uint32_t rows, uint32_t columns);
    void Setup(uint32_t rows, int32_t rowHeight, uint32_t columns, const std::vector<int32_t>& widths);
    void AddRow();
    void AddColumn();
    void SelectCell(int32_t column, int32_t row, bool notify);
    void SelectRow(int32_t row, bool notify);
    void ClearSelection(bool notify);
    // Column, then row; both -1 when nothing is current.
    kaPoint GetCurrent() const { return kaPoint(m_CurrentColumn, m_CurrentRow); }

    uint32_t GetRowCount() const { return static_cast<uint32_t>(m_RowList.size()); }
    uint32_t GetColumnCount() const { return static_cast<uint32_t>(m_ColumnList.size()); }
    int32_t GetRowHeight(int32_t row) const;
    int32_t GetColumnWidth(int32_t column) const;
    uint32_t GetColumnParam(int32_t column) const;
    int32_t GetDefaultRowHeight() const { return m_DefaultRowHeight; }
    void SetGrowToFit(bool grow) { m_GrowToFit = grow; }
    bool GetGrowToFit() const { return m_GrowToFit; }
    void SetRowSelect(bool rowSelect) { m_RowSelect = rowSelect; }
    bool GetRowSelect() const { return m_RowSelect; }
    void SetPermScrolls(bool perm) { m_PermScrolls = perm; }
    bool GetPermScrolls() const { return m_PermScrolls; }
    int32_t GetBorderWidth() const { return m_BorderWidth; }
    int32_t GetBufferWidth() const { return m_BufferWidth; }
    const kaColor& GetBorderColor() const { return m_BorderColor; }
    guiRectangle* GetSelBar() const { return m_SelBar; }
    guiRectangle* GetHighBar() const { return m_HighBar; }
    guiLines* GetLines() const { return m_Lines; }
    kaPoint GetScrollOffset() const { return kaPoint(m_ScrollX, m_ScrollY); }
    kaPoint GetMaxScroll() const { return kaPoint(m_MaxX, m_MaxY); }

protected:
    // The defaults with no rows or columns yet, for subclasses that read their own block first.
    guiGrid();

    // An arrow key moving the current cell; the move selects with or without notification.
    bool _OnArrowKey(const guiMsgKey& message, bool notify);
    // Lays out now when the device objects exist, else at the next render.
    void _RequestLayout();

private:
    struct Row
    {
        int32_t height = kDefaultRowHeight;
        std::vector<Cell> cells;
    };

    void _Init();
    void _FromParams(const guiGridParams& params);
    void _MakeLines();
    void _MakeBar(guiRectangle*& bar, const char* name, int32_t id, const kaColor& color);
    void _MakeMissingBars();
    void _TakeBars(int32_t highlight, int32_t selection);
    void _AppendRow(int32_t height);
    void _AppendColumn(int32_t width, uint32_t alignment);
    // Drops every row and column and builds the counts anew, without glyphs.
    void _Rebuild(uint32_t rows, int32_t rowHeight, uint32_t columns, const std::vector<int32_t>& widths);
    void _AfterRead(int32_t highlight, int32_t selection);
    void _Layout();
    void _ComputeVerticalRange();
    void _VerticalSteps(int32_t& forward, int32_t& backward) const;
    void _PlaceCells();
    void _RefreshSelBar();
    void _PlaceBar(guiRectangle* bar, int32_t column, int32_t row);
    bool _HitCell(const kaPoint& screen, int32_t& column, int32_t& row) const;
    Cell* _Cell(int32_t row, int32_t column);
    const Cell* _Cell(int32_t row, int32_t column) const;
    void _HideBar(guiRectangle* bar);
    // Gives back a glyph the grid hid, for a cell that lets go of it.
    static void _Unhide(Cell& cell);
    int64_t _TotalWidth() const;
    int64_t _TotalHeight() const;
    int32_t _BarLayer() const { return m_BarLayer; }
    float _Clock() const;

    std::vector<Row> m_RowList;
    std::vector<Column> m_ColumnList;
    int32_t m_DefaultRowHeight = kDefaultRowHeight;
    int32_t m_DefaultColumnWidth = kDefaultColumnWidth;
    int32_t m_CurrentColumn = -1;
    int32_t m_CurrentRow = -1;
    bool m_RowSelect = true;
    int32_t m_BorderWidth = kDefaultBorderWidth;
    kaColor m_BorderColor;
    int32_t m_BufferWidth = 0;
    bool m_PermScrolls = false;
    guiRectangle* m_SelBar = nullptr;
    guiRectangle* m_HighBar = nullptr;
    guiLines* m_Lines = nullptr;
    int32_t m_ScrollX = 0;
    int32_t m_ScrollY = 0;
    int32_t m_MaxX = 0;
    int32_t m_MaxY = 0;
    int32_t m_StepRight = 0;
    int32_t m_StepLeft = 0;
    bool m_GrowToFit = false;
    guiWidget* m_FocusCell = nullptr;
    float m_LastClickTime = -1000.0f;
    bool m_LayoutPending = true;
    int32_t m_BarLayer = -1;
};
