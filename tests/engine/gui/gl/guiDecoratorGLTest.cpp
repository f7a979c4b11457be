#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiBackground.h"
#include "engine/gui/guiBorder.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiCaption.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiPlaceholder.h"
#include "engine/gui/guiScrollBar.h"
#include "engine/gui/guiScroller.h"
#include "engine/gui/guiText.h"
#include "engine/gui/guiTextParams.h"
#include "engine/render/kaTGAImage.h"
#include "platform/gfx/GfxDevice.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/HeadlessGraphics.h"
#include "tests/support/engine/gui/PixelCoords.h"
#include "tests/support/engine/gui/TestPanel.h"
#include "tests/support/engine/gui/TestScrollable.h"
#include "tests/support/engine/gui/TestWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using namespace platform;

using testsupport::Px;

namespace
{

struct DecoratorRgb
{
    int r, g, b;
};

// Decorators, and a scroller in the generated scroll pictures, drawn one frame at a time over black.
class DecoratorGLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Graphics.Start(testsupport::HeadlessGraphics::WindowedConfig(640, 480, false)));
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

    DecoratorRgb Pixel(int x, int y) const
    {
        const std::size_t at = (static_cast<std::size_t>(y) * m_Frame.Width + x) * 3;
        return {m_Frame.Rows[at + 2], m_Frame.Rows[at + 1], m_Frame.Rows[at]};
    }

    bool Near(DecoratorRgb got, DecoratorRgb want) const
    {
        return std::abs(got.r - want.r) <= 3 && std::abs(got.g - want.g) <= 3 &&
               std::abs(got.b - want.b) <= 3;
    }

    // The columns holding any lit pixel in a band of rows.
    std::pair<int, int> LitColumns(int top, int bottom) const
    {
        int first = 640;
        int last = -1;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < 640; ++x)
            {
                const DecoratorRgb p = Pixel(x, y);
                if (p.r > 128 && p.g > 128 && p.b > 128)
                {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
            }
        return {first, last};
    }

    testsupport::HeadlessGraphics m_Graphics{"DecoratorGL", 640, 480};
    TestWindow m_Window;
    guiGlyph* m_Root = nullptr;
    FrameCapture m_Frame;
};

TEST_F(DecoratorGLTest, ABorderOutlinesItsButtonInItsOuterColourAlone)
{
    auto* button = new guiButton(Px(10, 10), Px(100, 20));
    auto* border = new guiBorder(Px(0, 0), Px(0, 0));
    border->SetInnerColor(kaColor::kaColorClamped(0.0f, 1.0f, 0.0f, 1.0f));
    border->SetChild(button);
    m_Root->AddChild(border);
    DrawFrame();
    EXPECT_EQ(border->GetPosition().x.value, 8.0f);
    EXPECT_EQ(border->GetSize().x.value, 104.0f);
    const DecoratorRgb white{255, 255, 255};
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{60, 9}, {9, 20}, {110, 20}, {60, 31}, {8, 9}})
        EXPECT_TRUE(Near(Pixel(x, y), white)) << x << "," << y;
    // Inside, the button's normal image: half grey at half alpha over black.
    EXPECT_TRUE(Near(Pixel(60, 20), DecoratorRgb{63, 63, 63}));
    EXPECT_TRUE(Near(Pixel(60, 40), DecoratorRgb{0, 0, 0}));
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 140; ++x)
            ASSERT_FALSE(Pixel(x, y).g > Pixel(x, y).r + 50) << "the inner colour shows at " << x << "," << y;

    GuiParamTable sheet(4);
    sheet.Insert("Color", "1 0 0 1", ka::any());
    border->SetProperties(sheet);
    DrawFrame();
    EXPECT_TRUE(Near(Pixel(60, 9), DecoratorRgb{255, 0, 0}));
    EXPECT_TRUE(Near(Pixel(110, 20), DecoratorRgb{255, 0, 0}));
}

TEST_F(DecoratorGLTest, ATilingBackgroundRepeatsItsPictureAtThePicturesSize)
{
    // An 8 by 4 picture whose texels all differ.
    std::vector<uint8_t> texels;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            texels.insert(texels.end(),
                          {uint8_t(40 + x * 25), uint8_t(60 + y * 50), uint8_t(200 - x * 10), 255});
    kaTGAImage picture;
    const std::string file = m_Graphics.Dir().File("tile.tga");
    ASSERT_TRUE(picture.Create(8, 4, 32, 8, texels.data()));
    ASSERT_TRUE(picture.Save(file, false));
    guiImageParams params;
    params.filename = file;
    params.tiling = true;
    auto* background = new guiBackground(new guiPlaceholder(Px(100, 100), Px(32, 16)), params);
    m_Root->AddChild(background);
    DrawFrame();
    for (int tileY = 0; tileY < 4; ++tileY)
        for (int tileX = 0; tileX < 4; ++tileX)
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 8; ++x)
                {
                    const uint8_t* texel = &texels[(y * 8 + x) * 4];
                    const DecoratorRgb got = Pixel(100 + tileX * 8 + x, 100 + tileY * 4 + y);
                    ASSERT_TRUE(Near(got, DecoratorRgb{texel[2], texel[1], texel[0]}))
                        << "tile " << tileX << "," << tileY << " texel " << x << "," << y;
                }
    EXPECT_TRUE(Near(Pixel(132, 108), DecoratorRgb{0, 0, 0}));
}

TEST_F(DecoratorGLTest, ACaptionIsCentredOnItsWidget)
{
    ASSERT_NE(m_Graphics.Manager()->LoadFont(std::string(TARVOLIN_CONTENT_DIR) + "/UI/fonts/barmeno16m.kaff",
                                             "bar16m"),
              nullptr);
    struct Case
    {
        const char* text;
        bool wider;
    } cases[] = {{"Go", false}, {"A caption far wider than the button", true}};
    int top = 100;
    for (const Case& c : cases)
    {
        guiTextParams params;
        params.text = c.text;
        params.font = "bar16m";
        params.foreColor = kaColor::kaColorClamped(1.0f, 1.0f, 1.0f, 1.0f);
        guiButton* button = new guiButton(Px(200, float(top)), Px(100, 30));
        button->SetEnabled(false);
        auto* caption = new guiCaption(button, params);
        m_Root->AddChild(caption);
        DrawFrame();
        EXPECT_EQ(caption->GetCaption()->GetPosition().x.value < 0.0f, c.wider) << c.text;
        const auto [first, last] = LitColumns(top, top + 30);
        ASSERT_GE(last, first) << c.text;
        // The same room on either side of the text, within the pixel the halving drops.
        EXPECT_LE(std::abs((first - 200) - (299 - last)), 2) << c.text << " " << first << ".." << last;
        caption->SetVisible(false);
        top += 60;
    }
}

TEST_F(DecoratorGLTest, AScrollerShowsItsBarBesideTheListWhileTheListNeedsIt)
{
    testsupport::CurrentDirectory content(TARVOLIN_CONTENT_DIR);
    auto* list = new TestScrollable(Px(0, 0), Px(200, 100));
    list->rows = 30;
    auto* scroller = new guiScroller(Px(0, 0), Px(200, 100));
    scroller->SetChild(list);
    scroller->SetPosition(Px(50, 50));
    m_Root->AddChild(scroller);
    DrawFrame();
    DrawFrame();
    guiScrollBar* bar = scroller->GetVerticalBar();
    ASSERT_TRUE(bar->IsVisible());
    // The arrows take the pictures' 16 pixels, the bar the scroller's height.
    EXPECT_EQ(bar->GetLess()->GetPixelSize().x, 16);
    EXPECT_EQ(bar->GetPixelSize().y, 100);
    const DecoratorRgb face{0x70, 0x70, 0x70};
    EXPECT_TRUE(Near(Pixel(236, 53), face)) << "the up arrow at the top of the bar";
    EXPECT_TRUE(Near(Pixel(236, 146), face)) << "the down arrow at its foot";
    EXPECT_TRUE(Near(Pixel(236, 70), DecoratorRgb{0xB0, 0xB0, 0xB0})) << "the thumb at the top of the track";
    EXPECT_TRUE(Near(Pixel(236, 120), DecoratorRgb{0x28, 0x28, 0x28})) << "the back below it";
    EXPECT_TRUE(Near(Pixel(230, 100), DecoratorRgb{0, 0, 0})) << "left of the bar";

    // Scrolled to the end, the thumb stands at the foot of the track.
    scroller->SetVerticalPosition(1.0f);
    DrawFrame();
    EXPECT_TRUE(Near(Pixel(236, 120), DecoratorRgb{0xB0, 0xB0, 0xB0}));
    EXPECT_TRUE(Near(Pixel(236, 70), DecoratorRgb{0x28, 0x28, 0x28}));

    list->rows = 5;
    DrawFrame();
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_TRUE(Near(Pixel(236, 53), DecoratorRgb{0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(236, 120), DecoratorRgb{0, 0, 0}));
}

} // namespace
