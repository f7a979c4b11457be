#include "engine/gui/guiGrid.h"

#include "engine/gui/guiButton.h"
#include "engine/gui/guiDropDown.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiScroller.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiTreeNode.h"
#include "engine/gui/guiTreeView.h"
#include "engine/render/kaGraphicsManager.h"
#include "platform/gfx/GfxDevice.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/HeadlessGraphics.h"
#include "tests/support/engine/gui/PixelCoords.h"
#include "tests/support/engine/gui/TestPanel.h"
#include "tests/support/engine/gui/TestWindow.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace platform;

using testsupport::Px;

namespace
{

struct GridRgb
{
    int r, g, b;
};

// Tables and a drop-down drawn one frame at a time over black, text in the generated "bar16m".
class GridGLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Graphics.Start(testsupport::HeadlessGraphics::WindowedConfig(640, 480, false)));
        ASSERT_NE(m_Graphics.Manager()->LoadFont(
                      std::string(TARVOLIN_CONTENT_DIR) + "/UI/fonts/barmeno16m.kaff", "bar16m"),
                  nullptr);
        m_Root = new TestPanel(Px(0, 0), Px(640, 480));
        m_Root->AddRef();
    }
    void TearDown() override
    {
        m_Root->SetOwnerWindow(nullptr);
        m_Root->Release();
    }

    void DrawFrame()
    {
        GfxDevice* device = m_Graphics.Device();
        m_Root->CreateDeviceObjectsAll();
        device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device->BeginScene();
        m_Window.Frame(m_Root);
        device->EndScene();
        device->Present();
        ASSERT_EQ(device->CaptureFrame(&m_Frame), GFX_OK);
    }

    GridRgb Pixel(int x, int y) const
    {
        const std::size_t at = (static_cast<std::size_t>(y) * m_Frame.Width + x) * 3;
        return {m_Frame.Rows[at + 2], m_Frame.Rows[at + 1], m_Frame.Rows[at]};
    }

    static bool Near(GridRgb got, GridRgb want)
    {
        return std::abs(got.r - want.r) <= 3 && std::abs(got.g - want.g) <= 3 &&
               std::abs(got.b - want.b) <= 3;
    }

    // The left-most pixel lit in the band of rows, or -1 when the band is dark.
    int FirstLitX(int left, int right, int top, int bottom) const
    {
        for (int x = left; x < right; ++x)
            for (int y = top; y < bottom; ++y)
                if (!Near(Pixel(x, y), GridRgb{0, 0, 0}))
                    return x;
        return -1;
    }

    static gui::MouseData At(int x, int y)
    {
        gui::MouseData data;
        data.x = x;
        data.y = y;
        return data;
    }

    testsupport::HeadlessGraphics m_Graphics{"GridGL", 640, 480};
    TestWindow m_Window;
    guiGlyph* m_Root = nullptr;
    FrameCapture m_Frame;
};

TEST_F(GridGLTest, TheSelectionAndHighlightBarsLieUnderTheLinesOnTheirRows)
{
    auto* grid = new guiGrid(Px(100, 100), Px(100, 54));
    grid->Resize(3, 2);
    m_Root->AddChild(grid);
    DrawFrame();
    // White border lines two pixels wide on every boundary, black cells between them.
    EXPECT_TRUE(Near(Pixel(150, 127), GridRgb{255, 255, 255})) << "the middle column line";
    EXPECT_TRUE(Near(Pixel(125, 127), GridRgb{0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(125, 118), GridRgb{255, 255, 255})) << "the line under row 0";

    // A click in the right column selects the whole row under row select.
    grid->OnMouseDown(0, At(175, 127));
    DrawFrame();
    const GridRgb red{127, 0, 0};
    EXPECT_TRUE(Near(Pixel(125, 127), red)) << Pixel(125, 127).r;
    EXPECT_TRUE(Near(Pixel(175, 127), red));
    EXPECT_TRUE(Near(Pixel(150, 127), GridRgb{255, 255, 255})) << "the lines draw over the bar";
    EXPECT_TRUE(Near(Pixel(125, 109), GridRgb{0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(125, 145), GridRgb{0, 0, 0}));

    guiMsgMouse move;
    move.data = At(125, 145);
    grid->OnMouseMove(move);
    DrawFrame();
    EXPECT_TRUE(Near(Pixel(125, 145), GridRgb{38, 38, 127})) << Pixel(125, 145).b;
    EXPECT_TRUE(Near(Pixel(125, 127), red));
    move.data = At(300, 300);
    grid->OnMouseMove(move);
    DrawFrame();
    EXPECT_TRUE(Near(Pixel(125, 145), GridRgb{0, 0, 0}));
}

TEST_F(GridGLTest, AnOpenDropDownListDrawsOverTheWidgetsBelowIt)
{
    testsupport::CurrentDirectory content(TARVOLIN_CONTENT_DIR);
    auto* drop = new guiDropDown(Px(100, 100), Px(200, 18));
    drop->GetList()->GetTextParams().font = "bar16m";
    drop->GetTextBox()->SetFont("bar16m");
    m_Root->AddChild(drop);
    drop->AddItem("Mud", ka::any(int32_t(1)));
    // A green panel added after the drop-down, right under it.
    auto* below = new guiImage(Px(100, 118), Px(200, 100));
    below->SetColor(0.0f, 1.0f, 0.0f, 1.0f);
    m_Root->AddChild(below);
    DrawFrame();
    EXPECT_EQ(drop->GetButton()->GetPixelSize().x, 16) << "the arrow takes its picture's size";
    EXPECT_TRUE(Near(Pixel(150, 190), GridRgb{0, 255, 0}));

    drop->Toggle();
    DrawFrame();
    // The list's plain background is white where no row or bar lies.
    EXPECT_TRUE(Near(Pixel(150, 190), GridRgb{255, 255, 255}));
    EXPECT_TRUE(Near(Pixel(150, 240), GridRgb{0, 0, 0})) << "below the list";
    drop->Toggle();
    DrawFrame();
    EXPECT_TRUE(Near(Pixel(150, 190), GridRgb{0, 255, 0}));
}

TEST_F(GridGLTest, ATreeDrawsItsRowsIndentedAndNothingOfAFoldedNode)
{
    testsupport::CurrentDirectory content(TARVOLIN_CONTENT_DIR);
    auto* tree = new guiTreeView(Px(100, 100), Px(200, 120));
    tree->GetTextParams().font = "bar16m";
    m_Root->AddChild(tree);
    // Branches and leaves alike in pairs, so that their rows start alike but for the indent.
    guiTreeNode* rootA = tree->AddNode(nullptr, "Node");
    guiTreeNode* child = tree->AddNode(rootA, "Node");
    tree->AddNode(child, "Leaf");
    tree->AddNode(nullptr, "Leaf");
    DrawFrame();
    // Inside each row, clear of the border lines (the grid's left line is x 100).
    auto rowStart = [this](int row) { return FirstLitX(101, 296, 100 + 18 * row + 3, 100 + 18 * row + 15); };
    const int rootAStart = rowStart(0);
    const int rootBStart = rowStart(3);
    ASSERT_GE(rootAStart, 101) << "the top branch draws";
    ASSERT_GE(rootBStart, 101) << "the top leaf draws";
    // Rows of the same kind, a level apart: branches 0 and 1, leaves 3 and 2.
    EXPECT_EQ(rowStart(1) - rootAStart, 10);
    EXPECT_EQ(rowStart(2) - rootBStart, 20);

    tree->ToggleNode(rootA);
    DrawFrame();
    EXPECT_NE(rowStart(0), -1) << "the folded branch stays";
    EXPECT_EQ(rowStart(1), rootBStart) << "the top leaf right under the folded branch";
    EXPECT_EQ(FirstLitX(102, 298, 100 + 2 * 18 + 2, 218), -1) << "nothing of the folded rows below";
}

} // namespace
