#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiCursor.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiLines.h"
#include "engine/gui/guiRectangle.h"
#include "engine/render/kaTGAImage.h"
#include "engine/render/kaTexture.h"
#include "platform/gfx/GfxDevice.h"
#include "tests/support/HeadlessGraphics.h"
#include "tests/support/engine/gui/TestPanel.h"
#include "tests/support/engine/gui/TestWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace platform;

namespace
{

constexpr int kPictureWidth = 64;
constexpr int kPictureHeight = 32;

struct Bgr
{
    int b, g, r;
};

// A texel of the test picture: every one differs from its neighbours in some channel.
Bgr PictureTexel(int x, int y)
{
    return {x * 4, y * 8, 255 - x * 2 - y};
}

// Toolkit trees drawn one frame at a time onto a small headless back buffer.
class GuiDrawGLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Graphics.Start(testsupport::HeadlessGraphics::WindowedConfig(640, 480, false)));
        ASSERT_NE(m_Graphics.Device(), nullptr);
    }

    void TearDown() override
    {
        if (m_Root != nullptr)
            m_Root->Release();
    }

    // The test picture as a 32-bit TGA; texels for which `clear` answers true have alpha 0.
    template <typename Clear> std::string WritePicture(const std::string& name, Clear clear)
    {
        std::vector<uint8_t> bytes;
        for (int y = 0; y < kPictureHeight; ++y)
            for (int x = 0; x < kPictureWidth; ++x)
            {
                const Bgr texel = PictureTexel(x, y);
                bytes.insert(bytes.end(), {uint8_t(texel.b), uint8_t(texel.g), uint8_t(texel.r),
                                           uint8_t(clear(x, y) ? 0 : 255)});
            }
        kaTGAImage image;
        const std::string path = m_Graphics.Dir().File(name);
        EXPECT_TRUE(image.Create(kPictureWidth, kPictureHeight, 32, 8, bytes.data()));
        EXPECT_TRUE(image.Save(path, false));
        return path;
    }

    std::string OpaquePicture()
    {
        return WritePicture("opaque.tga", [](int, int) { return false; });
    }

    // A root panel the size of the back buffer, holding the glyphs under test.
    guiGlyph* Root()
    {
        if (m_Root == nullptr)
        {
            m_Root = new TestPanel(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(kWidth, kHeight));
            m_Root->AddRef();
        }
        return m_Root;
    }

    void DrawFrame()
    {
        GfxDevice* device = m_Graphics.Device();
        Root()->CreateDeviceObjectsAll();
        device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device->BeginScene();
        m_Window.Frame(Root());
        device->EndScene();
        device->Present();
        ASSERT_EQ(device->CaptureFrame(&m_Frame), GFX_OK);
        ASSERT_EQ(m_Frame.Width, static_cast<uint32_t>(kWidth));
    }

    Bgr Pixel(int x, int y) const
    {
        const std::size_t at = (static_cast<std::size_t>(y) * m_Frame.Width + x) * 3;
        return {m_Frame.Rows[at], m_Frame.Rows[at + 1], m_Frame.Rows[at + 2]};
    }

    bool IsBlack(int x, int y) const
    {
        const Bgr p = Pixel(x, y);
        return p.b == 0 && p.g == 0 && p.r == 0;
    }

    // Every texel of the picture at the pixel offset, columns [firstColumn, endColumn) of it.
    void ExpectPictureAt(int left, int top, int firstColumn = 0, int endColumn = kPictureWidth)
    {
        for (int y = 0; y < kPictureHeight; ++y)
            for (int x = firstColumn; x < endColumn; ++x)
            {
                const Bgr want = PictureTexel(x, y);
                const Bgr got = Pixel(left + x - firstColumn, top + y);
                ASSERT_NEAR(got.b, want.b, 2) << "texel " << x << "," << y;
                ASSERT_NEAR(got.g, want.g, 2) << "texel " << x << "," << y;
                ASSERT_NEAR(got.r, want.r, 2) << "texel " << x << "," << y;
            }
    }

    guiImage* AddImage(const std::string& file, float x, float y)
    {
        guiImageParams params;
        params.filename = file;
        params.position = guiCoordPair::Pixels(x, y);
        guiImage* image = new guiImage(params);
        Root()->AddChild(image);
        return image;
    }

    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;
    testsupport::HeadlessGraphics m_Graphics{"GuiGL", kWidth, kHeight};
    TestWindow m_Window;
    guiGlyph* m_Root = nullptr;
    FrameCapture m_Frame;
};

TEST_F(GuiDrawGLTest, APictureDrawsOneToOneWithEveryTexelInPlace)
{
    guiImage* image = AddImage(OpaquePicture(), 10, 20);
    EXPECT_EQ(Xy(image->GetPixelSize()), std::make_pair(64, 32));
    DrawFrame();
    ExpectPictureAt(10, 20);
    for (int x = 9; x <= 74; ++x)
    {
        EXPECT_TRUE(IsBlack(x, 19)) << x;
        EXPECT_TRUE(IsBlack(x, 52)) << x;
    }
    for (int y = 20; y < 52; ++y)
    {
        EXPECT_TRUE(IsBlack(9, y)) << y;
        EXPECT_TRUE(IsBlack(74, y)) << y;
    }
}

TEST_F(GuiDrawGLTest, TintMultipliesAndHalfAlphaBlends)
{
    guiImage* tinted = AddImage(OpaquePicture(), 0, 0);
    tinted->SetColor(0.5f, 1.0f, 0.25f, 1.0f);
    EXPECT_FALSE(tinted->IsAlpha());

    guiImage* red = new guiImage(guiCoordPair::Pixels(100, 40), guiCoordPair::Pixels(40, 40));
    red->SetColor(1.0f, 0.0f, 0.0f, 1.0f);
    Root()->AddChild(red);
    guiImage* veil = new guiImage(guiCoordPair::Pixels(120, 60), guiCoordPair::Pixels(40, 40));
    veil->SetColor(1.0f, 1.0f, 1.0f, 0.5f);
    EXPECT_TRUE(veil->IsAlpha());
    Root()->AddChild(veil);
    DrawFrame();

    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {63, 0}, {17, 9}, {63, 31}})
    {
        const Bgr want = PictureTexel(x, y);
        const Bgr got = Pixel(x, y);
        EXPECT_NEAR(got.r, want.r * 0.5, 3) << x << "," << y;
        EXPECT_NEAR(got.g, want.g, 3) << x << "," << y;
        EXPECT_NEAR(got.b, want.b * 0.25, 3) << x << "," << y;
    }
    // Red alone, half white over red, half white over black.
    const Bgr alone = Pixel(110, 50);
    EXPECT_EQ(alone.r, 255);
    EXPECT_EQ(alone.g, 0);
    const Bgr over = Pixel(130, 70);
    EXPECT_EQ(over.r, 255);
    EXPECT_NEAR(over.g, 127, 3);
    const Bgr overBlack = Pixel(150, 90);
    EXPECT_NEAR(overBlack.r, 127, 3);
    EXPECT_NEAR(overBlack.b, 127, 3);
}

TEST_F(GuiDrawGLTest, AnAbsoluteBufferInsetsThePictureInALargerGlyph)
{
    guiImageParams params;
    params.filename = OpaquePicture();
    params.position = guiCoordPair::Pixels(10, 20);
    params.bufferWidth = guiCoordPair::Pixels(4, 2);
    guiImage* image = new guiImage(params);
    Root()->AddChild(image);
    EXPECT_EQ(Xy(image->GetPixelSize()), std::make_pair(72, 36));
    DrawFrame();
    ExpectPictureAt(14, 22);
    for (int x = 10; x < 82; ++x)
    {
        EXPECT_TRUE(IsBlack(x, 21)) << x;
        EXPECT_TRUE(IsBlack(x, 54)) << x;
    }
    EXPECT_TRUE(IsBlack(13, 30));
    EXPECT_TRUE(IsBlack(78, 30));
}

TEST_F(GuiDrawGLTest, AClipThroughTheMiddleCutsPictureAndTextureInProportion)
{
    // A panel whose own rectangle ends halfway across the picture.
    TestPanel* clip = new TestPanel(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(10 + 32, 100));
    clip->SetClipMode(guiGlyph::kClipToSelf);
    Root()->AddChild(clip);
    guiImageParams params;
    params.filename = OpaquePicture();
    params.position = guiCoordPair::Pixels(10, 20);
    guiImage* image = new guiImage(params);
    clip->AddChild(image);
    DrawFrame();
    ExpectPictureAt(10, 20, 0, 32);
    for (int y = 20; y < 52; ++y)
        EXPECT_TRUE(IsBlack(42, y)) << y;
    EXPECT_NEAR(image->GetVertices()[1].u, 0.5f, 1e-6f);
}

TEST_F(GuiDrawGLTest, LinesCoverTheirWidthAndAreSqueezedAtTheClip)
{
    guiLines* rule = new guiLines(1, 3.0f);
    rule->AddLine(guiCoordPair::Pixels(20, 50), guiCoordPair::Pixels(120, 50));
    Root()->AddChild(rule);

    TestPanel* clip = new TestPanel(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(160, 120));
    clip->SetClipMode(guiGlyph::kClipToSelf);
    Root()->AddChild(clip);
    // Crosses the clip's right edge at y = 85; squeezed, its far end lands on the edge at y = 100.
    guiLines* slanted = new guiLines(1, 4.0f);
    slanted->SetColor(kaColor::kaColorClamped(0.0f, 1.0f, 0.0f, 1.0f));
    slanted->AddLine(guiCoordPair::Pixels(100, 70), guiCoordPair::Pixels(220, 100));
    clip->AddChild(slanted);
    DrawFrame();

    std::vector<int> lit;
    for (int y = 40; y < 60; ++y)
        if (!IsBlack(70, y))
            lit.push_back(y);
    ASSERT_EQ(lit.size(), 3u);
    EXPECT_EQ(lit.back() - lit.front(), 2);
    EXPECT_TRUE(lit.front() == 48 || lit.front() == 49) << lit.front();

    EXPECT_GT(Pixel(150, 95).g, 200);
    EXPECT_TRUE(IsBlack(150, 83));
    for (int y = 0; y < kHeight; ++y)
        for (int x = 160; x < kWidth; ++x)
            ASSERT_TRUE(IsBlack(x, y)) << x << "," << y;
}

TEST_F(GuiDrawGLTest, ARectangleDrawsItsFillAndATwoPixelBorder)
{
    guiRectangle* rectangle = new guiRectangle(guiCoordPair::Pixels(20, 20), guiCoordPair::Pixels(100, 60));
    rectangle->SetFillColor(kaColor::kaColorClamped(0.0f, 0.0f, 1.0f, 1.0f));
    rectangle->SetBorderWidth(2.0f);
    Root()->AddChild(rectangle);
    DrawFrame();

    // Runs of one colour across the top and bottom edges at x = 60 and across the sides at y = 50.
    auto runs = [this](int x0, int y0, int dx, int dy, int steps)
    {
        std::string kinds;
        for (int i = 0; i < steps; ++i)
        {
            const Bgr p = Pixel(x0 + i * dx, y0 + i * dy);
            const char kind = p.r == 255 && p.g == 255 && p.b == 255 ? 'W'
                              : p.b == 255 && p.r == 0 && p.g == 0   ? 'B'
                              : IsBlack(x0 + i * dx, y0 + i * dy)    ? '.'
                                                                     : '?';
            if (kinds.empty() || kinds.back() != kind)
                kinds += kind;
        }
        return kinds;
    };
    auto count = [this](int x0, int y0, int dx, int dy, int steps)
    {
        int white = 0;
        for (int i = 0; i < steps; ++i)
        {
            const Bgr p = Pixel(x0 + i * dx, y0 + i * dy);
            white += p.r == 255 && p.g == 255 && p.b == 255 ? 1 : 0;
        }
        return white;
    };
    EXPECT_EQ(runs(60, 10, 0, 1, 80), ".WBW.");
    EXPECT_EQ(runs(10, 50, 1, 0, 120), ".WBW.");
    EXPECT_EQ(count(60, 10, 0, 1, 80), 4);
    EXPECT_EQ(count(10, 50, 1, 0, 120), 4);
    // The sides lie inside the fill's columns.
    EXPECT_FALSE(IsBlack(20, 50));
    EXPECT_FALSE(IsBlack(119, 50));
    EXPECT_TRUE(IsBlack(120, 50));
}

TEST_F(GuiDrawGLTest, ACursorPutsItsHotSpotOnThePointerAndDrawsNothingWhenHidden)
{
    guiCursor* cursor = new guiCursor(OpaquePicture(), 8, 4);
    Root()->AddChild(cursor);
    cursor->SetPosition(guiCoordPair::Pixels(100, 100));
    EXPECT_EQ(Xy(cursor->GetPixelSize()), std::make_pair(64, 32));
    DrawFrame();
    EXPECT_TRUE(IsBlack(91, 96));
    EXPECT_TRUE(IsBlack(92, 95));
    const Bgr corner = Pixel(92, 96);
    EXPECT_NEAR(corner.r, PictureTexel(0, 0).r, 2);
    EXPECT_NEAR(Pixel(92 + 63, 96 + 31).b, PictureTexel(63, 31).b, 2);

    cursor->SetVisible(false);
    cursor->SetPosition(guiCoordPair::Pixels(50, 50));
    EXPECT_EQ(Xy(cursor->GetPixelPosition()), std::make_pair(42, 46));
    DrawFrame();
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            ASSERT_TRUE(IsBlack(x, y)) << x << "," << y;
}

TEST_F(GuiDrawGLTest, AlphaHitTestsHitOnlyOpaqueTexels)
{
    // Clear texels: the left quarter and every fifth row.
    auto clear = [](int x, int y) { return x < 16 || y % 5 == 0; };
    guiImage* image = AddImage(WritePicture("holes.tga", clear), 0, 0);
    image->SetAlphaHitTesting(true);
    DrawFrame();
    // The hit rectangle runs from the quad's first corner to its last, both truncated.
    for (int y = 0; y < kPictureHeight - 1; y += 3)
        for (int x = 1; x < kPictureWidth - 1; x += 7)
        {
            guiGlyph* hit = nullptr;
            EXPECT_EQ(image->HitTest(kaPoint(x, y), hit), !clear(x, y)) << x << "," << y;
        }
    guiGlyph* hit = nullptr;
    EXPECT_FALSE(image->HitTest(kaPoint(70, 10), hit));

    // Without width a glyph has no texel to test, even where a negative margin widens its quad.
    guiImage* narrow = AddImage(OpaquePicture(), 100, 0);
    narrow->SetAlphaHitTesting(true);
    narrow->SetSize(guiCoordPair::Pixels(0, 32));
    GuiParamTable sheet(4);
    sheet.Insert("Buffer", "-4 0 0 0", ka::any());
    narrow->SetProperties(sheet);
    DrawFrame();
    EXPECT_EQ(narrow->GetVertices()[0].x, 95.5f);
    EXPECT_FALSE(narrow->HitTest(kaPoint(102, 10), hit));
}

TEST_F(GuiDrawGLTest, ThePictureDecidesTextureRectangleSizeAndFilteringRow)
{
    const std::string file = OpaquePicture();
    guiImage* image = AddImage(file, 0, 0);
    kaTexture* texture = image->GetTexture();
    ASSERT_NE(texture, nullptr);
    image->SetTexCoordExtent(0.5f, 0.25f);
    image->SetFilename(file, false);
    float rect[4];
    image->GetTexCoordRect(rect);
    EXPECT_EQ(image->GetTexture(), texture);
    EXPECT_EQ(rect[2], 0.5f);
    EXPECT_EQ(rect[3], 0.25f);

    GuiParamTable sheet(16);
    image->GetProperties(sheet);
    EXPECT_NE(sheet.Find("Filtering"), nullptr);

    // A name that loads nothing: an untextured quad of the tint, no filter row, no alpha hit.
    guiImage* plain = AddImage("missing.tga", 100, 60);
    plain->SetSize(guiCoordPair::Pixels(30, 20));
    plain->SetColor(0.0f, 1.0f, 0.0f, 1.0f);
    plain->SetAlphaHitTesting(true);
    GuiParamTable plainSheet(16);
    plain->GetProperties(plainSheet);
    EXPECT_EQ(plainSheet.Find("Filtering"), nullptr);
    DrawFrame();
    const Bgr green = Pixel(110, 70);
    EXPECT_EQ(green.g, 255);
    EXPECT_EQ(green.r, 0);
    guiGlyph* hit = nullptr;
    EXPECT_FALSE(plain->HitTest(kaPoint(110, 70), hit));
}

TEST_F(GuiDrawGLTest, AnAlphaHitTestingButtonTakesOnlyOpaquePixelsOfItsImage)
{
    auto clear = [](int x, int) { return x < 32; };
    guiImageParams params;
    params.filename = WritePicture("half.tga", clear);
    guiButton* button = new guiButton("half", guiCoordPair::Pixels(0, 0), params);
    button->SetAlphaHitTesting(true);
    Root()->AddChild(button);
    DrawFrame();
    for (int x : {2, 20, 31, 33, 40, 60})
    {
        guiGlyph* hit = nullptr;
        EXPECT_EQ(button->HitTest(kaPoint(x, 10), hit), !clear(x, 10)) << x;
    }
    button->SetAlphaHitTesting(false);
    guiGlyph* hit = nullptr;
    EXPECT_TRUE(button->HitTest(kaPoint(2, 10), hit));
}

} // namespace
