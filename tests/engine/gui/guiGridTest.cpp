#include "engine/gui/guiGrid.h"

#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiImage.h"

#include "engine/gui/guiLayout.h"
#include "engine/gui/guiLines.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiPlaceholder.h"
#include "engine/gui/guiRectangle.h"
#include "engine/gui/guiRenderContext.h"
#include "engine/gui/guiScroller.h"
#include "engine/gui/guiScrollerParams.h"
#include "engine/gui/guiText.h"
#include "engine/gui/guiTreeNode.h"
#include "engine/gui/guiTreeView.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/gui/GuiDesk.h"
#include "tests/support/engine/gui/LayoutRoundTrip.h"
#include "tests/support/engine/gui/PixelCoords.h"
#include "tests/support/engine/gui/TestWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using testsupport::Px;

namespace
{

void Walk(guiGlyph* glyph)
{
    guiRenderContext context;
    DrawTree(glyph, context);
}

// A grid of 3 rows and 2 columns, 100 by 80 at 20, 40 of a window covering the screen, with every event it
// fires written into a log as "type:value".
class GridDeskTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Window = m_Desk.AddWindow("form", 0, 0, 640, 480);
        m_Grid = new guiGrid(Px(20, 40), Px(100, 80));
        m_Grid->Resize(3, 2);
        for (int32_t row = 0; row < 3; ++row)
            for (int32_t column = 0; column < 2; ++column)
                m_Grid->SetCellData(row, column, ka::any(int32_t(10 * row + column)));
        Log(m_Grid);
        m_Window->AddChild(m_Grid);
        m_Desk.manager.ShowWindow(m_Window, false);
        m_Desk.Frame();
    }

    void Log(guiWidget* widget)
    {
        for (int32_t type : {1, 2, 3, 4, 8, 9})
            widget->AddHandler(type,
                               [this, type](const guiMsgEvent& message)
                               {
                                   std::string entry = std::to_string(type);
                                   if (const int32_t* value = ka::any_cast<int32_t>(&message.value))
                                       entry += ":" + std::to_string(*value);
                                   if (!message.text.empty())
                                       entry += ":" + message.text;
                                   m_Log.push_back(entry);
                                   return true;
                               });
    }

    // Clicks the cell's middle.
    void ClickCell(int32_t row, int32_t column) { m_Desk.Click(20 + 50 * column + 25, 40 + 18 * row + 9); }

    std::vector<std::string> Take()
    {
        std::vector<std::string> log;
        for (const std::string& entry : m_Log)
            if (entry[0] != '8' && entry[0] != '9')
                log.push_back(entry);
        m_Log.clear();
        return log;
    }

    void Key(uint8_t code)
    {
        guiMsgKey message;
        message.key = code;
        message.virtualKey = 1;
        m_Desk.manager.OnKey(message);
        m_Desk.Frame();
    }

    testsupport::GuiDesk m_Desk;
    guiWindow* m_Window = nullptr;
    guiGrid* m_Grid = nullptr;
    std::vector<std::string> m_Log;
};

using Strings = std::vector<std::string>;

TEST_F(GridDeskTest, ResizeSharesTheWidthAndDrawsOneSegmentPerBoundary)
{
    EXPECT_EQ(m_Grid->GetColumnWidth(0), 50);
    EXPECT_EQ(m_Grid->GetColumnWidth(1), 50);
    for (int32_t row = 0; row < 3; ++row)
        EXPECT_EQ(m_Grid->GetRowHeight(row), guiGrid::kDefaultRowHeight);
    ASSERT_NE(m_Grid->GetLines(), nullptr);
    EXPECT_EQ(m_Grid->GetLines()->GetPoints().size(), 14u);
    // The last vertical line stands at the right edge, the last horizontal one under row 3.
    EXPECT_EQ(m_Grid->GetLines()->GetPoints()[6].y.value, 54.0f);
    EXPECT_EQ(m_Grid->GetLines()->GetPoints()[12].x.value, 100.0f);

    // No columns: nothing to share and nothing divided.
    m_Grid->Resize(2, 0);
    m_Desk.Frame();
    EXPECT_EQ(m_Grid->GetColumnCount(), 0u);
    EXPECT_EQ(m_Grid->GetRowCount(), 2u);
    // Past the bounds the grid stays as it was.
    m_Grid->Resize(1u << 20, 2);
    EXPECT_EQ(m_Grid->GetRowCount(), 2u);
}

TEST_F(GridDeskTest, ClicksSelectDoubleClickAndClear)
{
    EXPECT_EQ(m_Grid->GetSelectedRow(), -1);
    ClickCell(1, 1);
    EXPECT_EQ(Take(), Strings({"1:11"}));
    EXPECT_EQ(m_Grid->GetSelectedRow(), 1);
    EXPECT_TRUE(m_Grid->GetSelBar()->IsVisible());
    // Under row select the bar spans the row.
    EXPECT_EQ(m_Grid->GetSelBar()->GetPixelSize().x, 100);
    EXPECT_EQ(m_Grid->GetSelBar()->GetPosition(), Px(0, 18));

    ClickCell(1, 1);
    EXPECT_EQ(Take(), Strings({"4", "1:11"}));
    // Another row at once is no double click.
    ClickCell(2, 0);
    EXPECT_EQ(Take(), Strings({"1:20"}));
    // After the double-click time even the same row is a single click.
    m_Desk.Frame(0.5f);
    ClickCell(2, 0);
    EXPECT_EQ(Take(), Strings({"1:20"}));

    m_Grid->SetCellSelectable(0, 1, false);
    ClickCell(0, 1);
    EXPECT_EQ(Take(), Strings());
    EXPECT_EQ(m_Grid->GetSelectedRow(), -1);
    EXPECT_FALSE(m_Grid->GetSelBar()->IsVisible());

    ClickCell(1, 0);
    Take();
    // Below the last row: no cell.
    m_Desk.Click(40, 40 + 70);
    EXPECT_EQ(Take(), Strings({"2"}));
    EXPECT_EQ(m_Grid->GetSelectedRow(), -1);
    EXPECT_FALSE(m_Grid->GetSelBar()->IsVisible());
}

TEST_F(GridDeskTest, TheHighlightFollowsTheMouse)
{
    m_Desk.MoveTo(90, 40 + 20);
    ASSERT_FALSE(m_Log.empty());
    EXPECT_EQ(m_Log.back(), "8");
    EXPECT_TRUE(m_Grid->GetHighBar()->IsVisible());
    EXPECT_EQ(m_Grid->GetHighBar()->GetPosition(), Px(0, 18));
    m_Desk.MoveTo(90, 40 + 60);
    EXPECT_EQ(m_Log.back(), "9");
    EXPECT_FALSE(m_Grid->GetHighBar()->IsVisible());
}

TEST_F(GridDeskTest, ArrowKeysMoveTheCurrentCell)
{
    ClickCell(0, 0);
    Take();
    Key(guiGrid::kKeyDown);
    EXPECT_EQ(Xy(m_Grid->GetCurrent()), std::make_pair(0, 1));
    // Row select leaves left and right to the widget.
    Key(guiGrid::kKeyRight);
    EXPECT_EQ(Xy(m_Grid->GetCurrent()), std::make_pair(0, 1));
    Key(guiGrid::kKeyDown);
    Key(guiGrid::kKeyDown);
    EXPECT_EQ(Xy(m_Grid->GetCurrent()), std::make_pair(0, 2));
    EXPECT_EQ(Take(), Strings()) << "grid moves do not notify";

    m_Grid->SetRowSelect(false);
    Key(guiGrid::kKeyRight);
    EXPECT_EQ(Xy(m_Grid->GetCurrent()), std::make_pair(1, 2));
    Key(guiGrid::kKeyRight);
    EXPECT_EQ(Xy(m_Grid->GetCurrent()), std::make_pair(1, 2));
    m_Desk.Frame();
    EXPECT_EQ(m_Grid->GetSelBar()->GetPosition(), Px(50, 36));
    EXPECT_EQ(m_Grid->GetSelBar()->GetPixelSize().x, 50);
}

TEST_F(GridDeskTest, CellsScrolledOutOfViewTakeNoClicks)
{
    auto* cell = new guiPlaceholder(Px(0, 0), Px(10, 10));
    m_Grid->SetCell(0, 0, cell);
    m_Grid->SetPixelHeight(36);
    for (int i = 0; i < 4; ++i)
        m_Grid->AddRow();
    m_Desk.Frame();
    EXPECT_FALSE(cell->IsExcludedFromHitList());
    m_Grid->SetVerticalScroll(1.0f);
    m_Desk.Frame();
    EXPECT_TRUE(cell->IsExcludedFromHitList());
}

TEST_F(GridDeskTest, CellsOfRowsAndColumnsWithoutRoomAreNotDrawn)
{
    guiGlyph* cells[3][2];
    for (int32_t row = 0; row < 3; ++row)
        for (int32_t column = 0; column < 2; ++column)
        {
            cells[row][column] = new guiPlaceholder(Px(0, 0), Px(1, 1));
            m_Grid->SetCell(row, column, cells[row][column]);
        }
    // Hidden by its user: the grid leaves it hidden whatever it does with the row.
    cells[2][1]->SetVisible(false);
    m_Desk.Frame();
    auto at = [&cells](int32_t row, int32_t column)
    {
        const guiGlyph& glyph = *cells[row][column];
        return Xy(gui::AddPixels(glyph.GetDrawingOrigin(), glyph.GetPixelPosition()));
    };
    const auto rowOneAt = at(1, 0);
    const auto columnZeroAt = at(0, 0);
    auto shown = [&cells]
    {
        std::string map;
        for (int32_t row = 0; row < 3; ++row)
            for (int32_t column = 0; column < 2; ++column)
                map += cells[row][column]->IsVisible() ? 'x' : '.';
        return map;
    };
    EXPECT_EQ(shown(), "xxxxx.");

    m_Grid->SetRowHeight(1, 0);
    m_Desk.Frame();
    EXPECT_EQ(shown(), "xx..x.") << "the empty row draws nothing";
    EXPECT_EQ(at(2, 0), rowOneAt) << "the next row moves up into its place";
    m_Grid->SetRowHeight(1, 18);
    m_Desk.Frame();
    EXPECT_EQ(shown(), "xxxxx.");

    m_Grid->SetColumnWidth(0, 0);
    m_Desk.Frame();
    EXPECT_EQ(shown(), ".x.x..");
    EXPECT_EQ(at(0, 1).first, columnZeroAt.first);
    m_Grid->SetColumnWidth(0, 50);
    m_Desk.Frame();
    EXPECT_EQ(shown(), "xxxxx.");

    // A glyph the grid hid comes back visible when its cell lets go of it.
    m_Grid->SetRowHeight(0, 0);
    m_Desk.Frame();
    guiGlyph* taken = cells[0][0];
    taken->AddRef();
    m_Grid->ClearCell(0, 0);
    EXPECT_TRUE(taken->IsVisible());
    taken->Release();
    EXPECT_FALSE(cells[0][1]->IsVisible());
}

TEST_F(GridDeskTest, TreeRowsKeepTheirIndentAndFoldedRowsTakeNoRoom)
{
    auto* tree = new guiTreeView(Px(300, 40), Px(200, 100));
    m_Window->AddChild(tree);
    guiTreeNode* rootA = tree->AddNode(nullptr, "Root A");
    guiTreeNode* child = tree->AddNode(rootA, "Child");
    guiTreeNode* grandchild = tree->AddNode(child, "Grandchild");
    guiTreeNode* rootB = tree->AddNode(nullptr, "Root B");
    m_Desk.Frame();
    auto drawn = [](const guiGlyph* glyph)
    { return Xy(gui::AddPixels(glyph->GetDrawingOrigin(), glyph->GetPixelPosition())); };
    // The grid's inset of one pixel, then ten a level.
    EXPECT_EQ(drawn(rootA->container).first, 301);
    EXPECT_EQ(drawn(child->container).first, 311);
    EXPECT_EQ(drawn(grandchild->container).first, 321);
    EXPECT_EQ(drawn(rootB->container).first, 301);
    EXPECT_EQ(drawn(grandchild->rowGlyph).first - drawn(child->rowGlyph).first, 10);
    EXPECT_EQ(drawn(rootB->container).second, 40 + 3 * 18 + 1);

    // Folded by a double click on its row.
    m_Desk.Click(320, 40 + 9);
    m_Desk.Click(320, 40 + 9);
    ASSERT_FALSE(rootA->expanded);
    m_Desk.Frame();
    EXPECT_FALSE(tree->GetCell(1, 0)->IsVisible());
    EXPECT_FALSE(tree->GetCell(2, 0)->IsVisible());
    EXPECT_TRUE(tree->GetCell(3, 0)->IsVisible());
    EXPECT_EQ(drawn(rootB->container), std::make_pair(301, 40 + 18 + 1)) << "right under Root A";

    tree->ToggleNode(rootA);
    m_Desk.Frame();
    EXPECT_TRUE(tree->GetCell(1, 0)->IsVisible());
    EXPECT_EQ(drawn(grandchild->container), std::make_pair(321, 40 + 2 * 18 + 1));
    EXPECT_EQ(drawn(rootB->container).second, 40 + 3 * 18 + 1);
}

TEST_F(GridDeskTest, ArrowKeysPassOverRowsAndColumnsWithoutRoom)
{
    m_Grid->SetRowSelect(false);
    m_Grid->AddColumn();
    ClickCell(0, 0);
    Take();
    m_Grid->SetRowHeight(1, 0);
    m_Grid->SetColumnWidth(1, 0);
    struct Step
    {
        uint8_t key;
        std::pair<int32_t, int32_t> current; // column, row
    };
    for (const Step& step :
         {Step{guiGrid::kKeyDown, {0, 2}}, Step{guiGrid::kKeyDown, {0, 2}}, Step{guiGrid::kKeyUp, {0, 0}},
          Step{guiGrid::kKeyRight, {2, 0}}, Step{guiGrid::kKeyLeft, {0, 0}}, Step{guiGrid::kKeyLeft, {0, 0}}})
    {
        Key(step.key);
        EXPECT_EQ(Xy(m_Grid->GetCurrent()), step.current) << int(step.key);
    }
    // With every row below empty, down stays put.
    m_Grid->SetRowHeight(2, 0);
    Key(guiGrid::kKeyDown);
    EXPECT_EQ(Xy(m_Grid->GetCurrent()), std::make_pair(0, 0));
}

TEST(Grid, SettingTheSameGlyphKeepsIt)
{
    auto* grid_ = new guiGrid(Px(0, 0), Px(100, 40));
    grid_->AddRef();
    guiGrid& grid = *grid_;
    auto* cell = new guiPlaceholder(Px(0, 0), Px(10, 10));
    cell->AddRef();
    grid.SetCell(0, 0, cell);
    grid.SetCell(0, 0, cell);
    EXPECT_EQ(grid.GetCell(0, 0), cell);
    EXPECT_GE(grid.IndexOfChild(cell), 0);
    // The test's reference and the grid's.
    EXPECT_EQ(cell->Release(), 1);
    // A new row and column on the edges.
    auto* corner = new guiPlaceholder(Px(0, 0), Px(10, 10));
    grid.SetCell(1, 1, corner);
    EXPECT_EQ(grid.GetRowCount(), 2u);
    EXPECT_EQ(grid.GetColumnCount(), 2u);
    EXPECT_EQ(grid.GetCell(1, 1), corner);
    grid.ClearCell(1, 1);
    EXPECT_EQ(grid.GetCell(1, 1), nullptr);
    EXPECT_EQ(grid.GetCell(5, 0), nullptr);
    grid.Release();
}

TEST(Grid, ScrollsToWholeRowsThroughAScroller)
{
    auto* root = new guiPlaceholder(Px(0, 0), Px(640, 480));
    root->AddRef();
    auto* grid = new guiGrid(Px(0, 0), Px(100, 50));
    grid->Resize(10, 1);
    guiScrollerParams params;
    auto* scroller = new guiScroller(grid, params);
    scroller->SetSize(Px(100, 50));
    root->AddChild(scroller);
    root->CreateDeviceObjectsAll();
    Walk(root);
    EXPECT_EQ(grid->GetScrollDirections(), guiScrollable::kScrollsVertically);
    scroller->ScrollUp();
    EXPECT_EQ(grid->GetVerticalScroll(), 0.0f);
    EXPECT_EQ(grid->GetScrollOffset().y, 0);
    // Two whole rows fit in 50: the end shows rows 8 and 9.
    EXPECT_EQ(grid->GetMaxScroll().y, 180 - 36);
    scroller->ScrollDown();
    EXPECT_EQ(grid->GetScrollOffset().y, 18);
    scroller->SetVerticalPosition(1.0f);
    EXPECT_EQ(grid->GetScrollOffset().y, 144);
    scroller->ScrollDown();
    EXPECT_EQ(grid->GetScrollOffset().y, 144);
    scroller->ScrollUp();
    EXPECT_EQ(grid->GetScrollOffset().y, 126);

    grid->Resize(1, 1);
    Walk(root);
    EXPECT_EQ(grid->GetScrollDirections(), 0);
    grid->SetPermScrolls(true);
    EXPECT_EQ(grid->GetScrollDirections(), 3);
    Walk(root);
    EXPECT_TRUE(scroller->IsVerticalShown());
    EXPECT_TRUE(scroller->IsHorizontalShown());
    root->Release();
}

// ---- Layouts ----

std::string WithVersion(std::string layout, const char* version)
{
    layout.replace(1, layout.find('\n') - 1, version);
    return layout;
}

std::string Without(std::string layout, const std::string& line)
{
    const std::size_t at = layout.find(line);
    if (at != std::string::npos)
        layout.erase(at, layout.find('\n', at) - at + 1);
    return layout;
}

class GridLayoutTest : public ::testing::Test
{
protected:
    void TearDown() override { gui::SetLayoutVersion(gui::kLayoutVersion); }

    // The glyph written, read and written again in both forms gives the same bytes.
    void ExpectRoundTrips(guiGlyph& glyph)
    {
        for (bool binary : {false, true})
        {
            guiGlyph* read = testsupport::RoundTrip(glyph, binary, m_Dir);
            ASSERT_NE(read, nullptr) << binary;
            EXPECT_EQ(read->GetClassName(), glyph.GetClassName());
            EXPECT_EQ(gui::FormatLayout(*read, binary), gui::FormatLayout(glyph, binary)) << binary;
            read->Release();
        }
    }

    guiGlyph* Load(const std::string& text)
    {
        return gui::LoadLayout(m_Dir.Write("layout" + std::to_string(++m_Files) + ".kab", text));
    }

    testsupport::TempDir m_Dir;
    int m_Files = 0;
};

TEST_F(GridLayoutTest, EveryClassRoundTripsInBothForms)
{
    auto* grid_ = new guiGrid(Px(5, 6), Px(120, 60));
    grid_->AddRef();
    guiGrid& grid = *grid_;
    grid.Setup(4, 20, 3, {30, 40, 50});
    grid.SetColumnParam(1, guiGrid::kAlignRight | guiGrid::kAlignTop);
    grid.SetPermScrolls(true);
    grid.SetRowSelect(false);
    grid.SetCell(0, 0, new guiPlaceholder(Px(0, 0), Px(5, 5)));
    ExpectRoundTrips(grid);

    guiGlyph* read = testsupport::RoundTrip(grid, false, m_Dir);
    guiGrid* copy = read->DynamicCast<guiGrid>();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetRowCount(), 4u);
    EXPECT_EQ(copy->GetColumnWidth(2), 50);
    EXPECT_EQ(copy->GetColumnParam(1), uint32_t(guiGrid::kAlignRight | guiGrid::kAlignTop));
    EXPECT_TRUE(copy->GetPermScrolls());
    EXPECT_EQ(copy->GetCell(0, 0), nullptr) << "cells are not part of the layout";
    EXPECT_EQ(copy->GetSelBar()->GetId(), guiGrid::kSelBarId);
    EXPECT_EQ(copy->GetChildCount(), 3) << "the lines and the two bars, once each";
    read->Release();
    grid.Release();

    auto* list_ = new guiListBox(Px(0, 0), Px(80, 40));
    list_->AddRef();
    guiListBox& list = *list_;
    list.SetForeColor(kaColor::kaColorClamped(0.5f, 0.25f, 1.0f, 1.0f));
    list.GetTextParams().font = "bar16m";
    ExpectRoundTrips(list);
    list.Release();

    auto* tree_ = new guiTreeView(Px(0, 0), Px(80, 40));
    tree_->AddRef();
    guiTreeView& tree = *tree_;
    ExpectRoundTrips(tree);
    tree.Release();
}

TEST_F(GridLayoutTest, NoRowsKeepTheColumnWidths)
{
    auto* grid_ = new guiGrid(Px(0, 0), Px(100, 40));
    grid_->AddRef();
    guiGrid& grid = *grid_;
    grid.Setup(0, 18, 2, {30, 70});
    const std::string text = gui::FormatLayout(grid, false);
    EXPECT_NE(text.find("ColWidths 30 17 70 17\n"), std::string::npos);
    guiGlyph* read = Load(text);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->DynamicCast<guiGrid>()->GetColumnWidth(1), 70);
    EXPECT_EQ(gui::FormatLayout(*read, false), text);
    read->Release();
    grid.Release();
}

TEST_F(GridLayoutTest, OlderVersionsReadFewerFields)
{
    auto* grid_ = new guiGrid(Px(0, 0), Px(100, 40));
    grid_->AddRef();
    guiGrid& grid = *grid_;
    grid.SetPermScrolls(true);
    const std::string text = gui::FormatLayout(grid, false);

    // 1.04: no bar ids, and fresh bars.
    std::string old =
        WithVersion(Without(Without(Without(text, "Highlight "), "Selection "), "PermScrolls "), "1.04");
    old = Without(old, "PassMouse ");
    guiGlyph* read = Load(old);
    ASSERT_NE(read, nullptr);
    guiGrid* copy = read->DynamicCast<guiGrid>();
    ASSERT_NE(copy->GetSelBar(), nullptr);
    ASSERT_NE(copy->GetHighBar(), nullptr);
    EXPECT_NE(copy->GetSelBar(), copy->GetHighBar());
    EXPECT_FALSE(copy->GetPermScrolls());
    read->Release();

    // 1.07: the bar ids but no "PermScrolls".
    read = Load(WithVersion(Without(text, "PermScrolls "), "1.07"));
    ASSERT_NE(read, nullptr);
    copy = read->DynamicCast<guiGrid>();
    EXPECT_FALSE(copy->GetPermScrolls());
    EXPECT_EQ(copy->GetSelBar()->GetId(), guiGrid::kSelBarId);
    EXPECT_EQ(copy->GetChildCount(), 3);
    read->Release();

    // A bar id naming no rectangle gives a fresh bar.
    std::string other = text;
    other.replace(other.find("Selection 100"), 13, "Selection 555");
    read = Load(other);
    ASSERT_NE(read, nullptr);
    EXPECT_NE(read->DynamicCast<guiGrid>()->GetSelBar(), nullptr);
    read->Release();
    grid.Release();
}

TEST_F(GridLayoutTest, ListBoxTextParametersStartAtOneNine)
{
    auto* list_ = new guiListBox(Px(0, 0), Px(80, 40));
    list_->AddRef();
    guiListBox& list = *list_;
    list.GetTextParams().font = "bar12m";
    const std::string text = gui::FormatLayout(list, false);
    guiGlyph* read = Load(WithVersion(text, "1.09"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->DynamicCast<guiListBox>()->GetTextParams().font, "bar12m");
    read->Release();

    // Before 1.09 the grid block follows the colour at once.
    std::string older = text;
    const std::size_t from = older.find('\n', older.find("ForeColor")) + 1;
    older.erase(from, older.find("Rows ") - from);
    read = Load(WithVersion(older, "1.08"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->DynamicCast<guiListBox>()->GetTextParams().font, "System");
    EXPECT_EQ(read->DynamicCast<guiListBox>()->GetColumnCount(), 1u);
    read->Release();
    list.Release();
}

TEST_F(GridLayoutTest, HugeCountsMakeTheBlockDamaged)
{
    auto* grid = new guiGrid(Px(0, 0), Px(100, 40));
    grid->AddRef();
    grid->SetName("table");
    // The reader stops at the counts: no cell is built and nothing after them is read.
    auto expectRefused = [](guiGlyph* read, const std::string& what)
    {
        ASSERT_NE(read, nullptr) << what;
        guiGrid* copy = read->DynamicCast<guiGrid>();
        EXPECT_EQ(copy->GetRowCount(), 0u) << what;
        EXPECT_EQ(copy->GetColumnCount(), 0u) << what;
        EXPECT_EQ(copy->GetName(), "") << what;
        read->Release();
    };
    const std::string text = gui::FormatLayout(*grid, false);
    for (const char* rows : {"Rows 4000000", "Rows -3", "Rows 16383"})
    {
        std::string damaged = text;
        damaged.replace(damaged.find("Rows 1"), 6, rows);
        expectRefused(Load(damaged), rows);
    }
    std::string binary = gui::FormatLayout(*grid, true);
    const std::size_t rowsAt = binary.find('\n') + 1 + 4;
    binary[rowsAt + 3] = 0x10;
    expectRefused(Load(binary), "binary");
    // Within the bounds the same counts read.
    std::string fits = text;
    fits.replace(fits.find("Rows 1"), 6, "Rows 16381");
    guiGlyph* read = Load(fits);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->DynamicCast<guiGrid>()->GetRowCount(), 16381u);
    read->Release();
    grid->Release();
}

// ---- List box ----

class ListBoxTest : public GridDeskTest
{
protected:
    void SetUp() override
    {
        GridDeskTest::SetUp();
        m_List = new guiListBox(Px(300, 40), Px(100, 72));
        Log(m_List);
        m_Window->AddChild(m_List);
        m_Desk.Frame();
    }

    guiListBox* m_List = nullptr;
};

TEST_F(ListBoxTest, RowsFillSelectAndClear)
{
    EXPECT_EQ(m_List->GetUsedRows(), 0);
    EXPECT_EQ(m_List->GetRowCount(), 1u);
    EXPECT_EQ(m_List->GetSelectedRow(), -1);
    EXPECT_EQ(m_List->GetSelectedText(), "");
    m_List->AddRow("Mud", ka::any(int32_t(7)));
    EXPECT_EQ(m_List->GetRowCount(), 1u);
    EXPECT_EQ(m_List->GetSelectedRow(), 0);
    EXPECT_EQ(Take(), Strings()) << "the first row is selected quietly";
    m_List->AddRow("Oil", ka::any(int32_t(8)));
    m_List->AddRow("Ramp", ka::any(int32_t(9)));
    EXPECT_EQ(m_List->GetSelectedText(), "Mud");
    EXPECT_EQ(m_List->FindRow("Ramp", 0), 2);
    EXPECT_EQ(m_List->FindRow("Sand", 0), -1);

    EXPECT_TRUE(m_List->SelectByText("Oil"));
    EXPECT_EQ(m_List->GetSelectedRow(), 1);
    EXPECT_FALSE(m_List->SelectByText("Sand"));
    EXPECT_EQ(m_List->GetSelectedRow(), 1);
    EXPECT_TRUE(m_List->SelectByText(""));
    EXPECT_EQ(m_List->GetSelectedRow(), -1);
    EXPECT_EQ(Take(), Strings());

    m_List->SetCellSelectable(2, 0, false);
    EXPECT_EQ(m_List->GetCell(2, 0)->DynamicCast<guiText>()->GetColor().r, m_List->GetDisabledColor().r);

    m_List->Clear();
    EXPECT_EQ(m_List->GetColumnCount(), 1u);
    EXPECT_EQ(m_List->GetUsedRows(), 0);
    m_List->AddRow("Again", ka::any(int32_t(1)));
    EXPECT_EQ(m_List->FindRow("Again", 0), 0);
    EXPECT_EQ(m_List->GetSelectedRow(), 0);
}

TEST_F(ListBoxTest, KeysNotifyAndStopAtTheLastRow)
{
    m_List->AddRow("a", ka::any(int32_t(1)));
    m_List->AddRow("b", ka::any(int32_t(2)));
    m_Desk.Click(320, 40 + 18 + 9);
    EXPECT_EQ(Take(), Strings({"1:2"}));
    Key(guiGrid::kKeyDown);
    EXPECT_EQ(m_List->GetSelectedRow(), 1);
    EXPECT_EQ(Take(), Strings());
    Key(guiGrid::kKeyUp);
    EXPECT_EQ(m_List->GetSelectedRow(), 0);
    EXPECT_EQ(Take(), Strings({"1:1"}));
}

// ---- Tree view ----

TEST(TreeView, FoldingHidesDescendantsAndUnfoldingRespectsTheirParents)
{
    auto* tree_ = new guiTreeView(Px(0, 0), Px(200, 200));
    tree_->AddRef();
    guiTreeView& tree = *tree_;
    guiTreeNode* top = tree.AddNode(nullptr, "Gear");
    guiTreeNode* child = tree.AddNode(top, "Ramps");
    guiTreeNode* grandchild = tree.AddNode(child, "Big ramp");
    guiTreeNode* leaf = tree.AddNode(top, "Mud");
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(tree.GetRowCount(), 4u);
    EXPECT_EQ(top->childCount, 2);
    EXPECT_EQ(child->childCount, 1);
    EXPECT_EQ(grandchild->depth, 3);
    EXPECT_EQ(tree.GetCellData(1, 0).type(), typeid(guiTreeNode*));
    EXPECT_EQ(ka::any_cast<guiTreeNode*>(tree.GetCellData(2, 0)), grandchild);
    EXPECT_EQ(grandchild->container->GetPosition(), Px(20, 0));

    // Leaves and branches keep the same icon width: the placeholder is invisible.
    auto icon = [&tree](guiTreeNode* node) { return tree.GetExpandIcon(*node)->DynamicCast<guiImage>(); };
    EXPECT_EQ(icon(leaf)->GetColor().a, 0.0f);
    EXPECT_EQ(Xy(icon(leaf)->GetPixelSize()), std::make_pair(9, 9));
    EXPECT_EQ(icon(top)->GetFilename(), guiTreeView::kMinusIcon);

    tree.ToggleNode(child);
    tree.ToggleNode(top);
    for (int32_t row : {1, 2, 3})
        EXPECT_EQ(tree.GetRowHeight(row), 0) << row;
    EXPECT_EQ(icon(top)->GetFilename(), guiTreeView::kPlusIcon);
    tree.ToggleNode(top);
    EXPECT_EQ(tree.GetRowHeight(1), 18);
    EXPECT_EQ(tree.GetRowHeight(2), 0) << "its parent is still folded";
    EXPECT_EQ(tree.GetRowHeight(3), 18);
    tree.Clear();
    EXPECT_TRUE(tree.GetNodes().empty());
    EXPECT_EQ(tree.GetColumnCount(), 1u);
    tree.Release();
}

TEST_F(GridDeskTest, ATreeDoubleClickFoldsOnlyNodes)
{
    auto* tree = new guiTreeView(Px(300, 40), Px(200, 100));
    m_Window->AddChild(tree);
    guiTreeNode* top = tree->AddNode(nullptr, "Gear");
    tree->AddNode(top, "Mud");
    m_Desk.Frame();
    m_Desk.Click(320, 40 + 9);
    m_Desk.Click(320, 40 + 9);
    EXPECT_FALSE(top->expanded);
    EXPECT_EQ(tree->GetRowHeight(1), 0);

    // A row whose value is no node.
    tree->SetCellData(0, 0, ka::any(int32_t(3)));
    m_Desk.Frame(0.5f);
    m_Desk.Click(320, 40 + 9);
    m_Desk.Click(320, 40 + 9);
    EXPECT_FALSE(top->expanded);
    EXPECT_EQ(tree->GetRowHeight(1), 0);
}

} // namespace

namespace
{

TEST(Grid, GrowingToFitMakesTheGridAsTallAsItsRows)
{
    for (bool grow : {false, true})
    {
        auto* grid = new guiGrid(Px(0, 0), Px(100, 30));
        grid->AddRef();
        grid->SetGrowToFit(grow);
        for (int i = 0; i < 3; ++i)
            grid->AddRow();
        EXPECT_EQ(grid->GetRowCount(), 4u);
        EXPECT_EQ(grid->ToPixels(grid->GetSize()).y, grow ? 72 : 30) << grow;
        EXPECT_EQ(grid->ToPixels(grid->GetSize()).x, 100);
        grid->Release();
    }
}

TEST(Grid, PropertiesResizeWithinTheBoundsAndSwitchTheLines)
{
    auto* grid = new guiGrid(Px(0, 0), Px(120, 60));
    grid->AddRef();
    GuiParamTable sheet(16);
    grid->GetProperties(sheet);
    for (const char* name : {"Rows", "Columns", "DefaultRowHeight", "BorderColor", "BorderWidth",
                             "BufferWidth", "RowSelect", "PermScrolls", "LoadCell", "Notes"})
        EXPECT_NE(sheet.Find(name), nullptr) << name;

    struct Case
    {
        const char* name;
        const char* text;
        uint32_t rows, columns;
    };
    for (const Case& c : {Case{"Rows", "4", 4, 1}, Case{"Columns", "3", 4, 3}, Case{"Rows", "99999999", 4, 3},
                          Case{"Columns", "-2", 4, 3}, Case{"Columns", "0", 4, 0}})
    {
        GuiParamTable change(4);
        change.Insert(c.name, c.text, ka::any());
        grid->SetProperties(change);
        EXPECT_EQ(grid->GetRowCount(), c.rows) << c.name << " " << c.text;
        EXPECT_EQ(grid->GetColumnCount(), c.columns) << c.name << " " << c.text;
    }
    GuiParamTable height(4);
    height.Insert("DefaultRowHeight", "25", ka::any());
    grid->SetProperties(height);
    EXPECT_EQ(grid->GetRowHeight(3), 25);

    GuiParamTable border(4);
    border.Insert("BorderWidth", "0", ka::any());
    grid->SetProperties(border);
    EXPECT_FALSE(grid->GetLines()->IsVisible());
    GuiParamTable wider(4);
    wider.Insert("BorderWidth", "3", ka::any());
    grid->SetProperties(wider);
    EXPECT_TRUE(grid->GetLines()->IsVisible());
    EXPECT_EQ(grid->GetLines()->GetLineWidth(), 3.0f);
    grid->Release();
}

// The sheet shows the two switches as it writes every bool; applying what it shows, or the words a layout
// author types, sets them.
TEST(Grid, TheSwitchesTakeBackWhatTheSheetShows)
{
    auto* grid = new guiGrid(Px(0, 0), Px(120, 60));
    grid->AddRef();
    struct Switch
    {
        const char* name;
        void (guiGrid::*set)(bool);
        bool (guiGrid::*get)() const;
    };
    const Switch switches[] = {{"RowSelect", &guiGrid::SetRowSelect, &guiGrid::GetRowSelect},
                               {"PermScrolls", &guiGrid::SetPermScrolls, &guiGrid::GetPermScrolls}};
    for (const Switch& flag : switches)
        for (const bool value : {true, false})
        {
            SCOPED_TRACE(std::string(flag.name) + (value ? " on" : " off"));
            (grid->*flag.set)(value);
            GuiParamTable shown(16);
            grid->GetProperties(shown);
            (grid->*flag.set)(!value);
            GuiParamTable applied(4);
            applied.Insert(flag.name, shown.Find(flag.name)->text, ka::any());
            grid->SetProperties(applied);
            EXPECT_EQ((grid->*flag.get)(), value) << shown.Find(flag.name)->text;

            (grid->*flag.set)(!value);
            GuiParamTable typed(4);
            typed.Insert(flag.name, value ? "true" : "false", ka::any());
            grid->SetProperties(typed);
            EXPECT_EQ((grid->*flag.get)(), value);
        }
    grid->Release();
}

} // namespace
