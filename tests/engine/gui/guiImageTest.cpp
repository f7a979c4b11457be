#include "engine/gui/guiImage.h"

#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiLayout.h"
#include "tests/support/engine/gui/LayoutRoundTrip.h"
#include "tests/support/engine/gui/TestPanel.h"
#include "tests/support/engine/gui/TestWindow.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

class ImageTest : public ::testing::Test
{
protected:
    void TearDown() override { gui::SetLayoutVersion(gui::kLayoutVersion); }

    testsupport::TempDir m_Dir;
};

// An image block as a file of the version holds it: without "_AlphaHitTesting" before 1.11 and without
// the texture-rectangle line before 1.06.
std::string ImageFile(const std::string& version, bool hitTestingLine, bool rectLine)
{
    return "T" + version + "\n[Image]\n_Tiling false\n_Filename \n_BufferWidth 0 0 0 0\n_Size 10 0 20 0\n" +
           "_Alpha false\n" + (hitTestingLine ? "_AlphaHitTesting true\n" : "") +
           "_Filtering 3\n_ForeColor 1 1 1 0.5\n_Name \n_Position 5 0 6 0\n" + (rectLine ? "0 0 1 1\n" : "") +
           "Name pic\nID 4\nPosition 5 0 6 0\nSize 10 0 20 0\nVisible true\nChildOrder -1\nClipMode 0\n"
           "NumChildren 0\n";
}

TEST_F(ImageTest, EachVersionReadsOnlyTheLinesItHas)
{
    struct Case
    {
        const char* version;
        bool hitTestingLine, rectLine, hitTesting;
    } cases[] = {{"1.11", true, true, true}, {"1.10", false, true, false}, {"1.05", false, false, false}};
    for (const Case& c : cases)
    {
        guiGlyph* read =
            gui::LoadLayout(m_Dir.Write("image.kab", ImageFile(c.version, c.hitTestingLine, c.rectLine)));
        ASSERT_NE(read, nullptr) << c.version;
        guiImage* image = read->DynamicCast<guiImage>();
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->GetName(), "pic") << c.version;
        EXPECT_EQ(image->GetId(), 4) << c.version;
        EXPECT_EQ(image->IsAlphaHitTesting(), c.hitTesting) << c.version;
        // A colour with alpha 0.5 turns blending on though "_Alpha" is false.
        EXPECT_TRUE(image->IsAlpha());
        EXPECT_TRUE(image->GetRenderState().m_AlphaBlend);
        EXPECT_EQ(Xy(image->GetPixelSize()), std::make_pair(10, 20));
        read->Release();
    }
}

TEST_F(ImageTest, ABufferGrowsTheGlyphOnceAndSurvivesBothForms)
{
    guiImageParams params;
    params.size = guiCoordPair::Pixels(64, 32);
    params.bufferWidth = guiCoordPair::Pixels(4, 2);
    params.foreColor = kaColor::kaColorClamped(0.25f, 0.5f, 1.0f, 1.0f);
    guiImage image(params);
    EXPECT_EQ(Xy(image.GetPixelSize()), std::make_pair(72, 36));
    EXPECT_FALSE(image.IsAlpha());
    for (bool binary : {false, true})
    {
        guiGlyph* read = testsupport::RoundTrip(image, binary, m_Dir);
        ASSERT_NE(read, nullptr);
        guiImage* copy = read->DynamicCast<guiImage>();
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(Xy(copy->GetPixelSize()), std::make_pair(72, 36)) << binary;
        EXPECT_EQ(copy->GetBuffer(), image.GetBuffer());
        EXPECT_EQ(copy->GetColor().b, 1.0f);
        EXPECT_EQ(gui::FormatLayout(*copy, binary), gui::FormatLayout(image, binary));
        read->Release();
    }
    guiCreateParams* piece = image.CreatePiece(0, 0);
    ASSERT_NE(piece, nullptr);
    guiGlyph* rebuilt = piece->CreateWidget();
    EXPECT_EQ(Xy(rebuilt->GetPixelSize()), std::make_pair(72, 36));
    rebuilt->Release();
    delete piece;
}

TEST_F(ImageTest, WithoutAPictureThereIsNoFilterRowAndNoAlphaHit)
{
    guiImage image(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(40, 20));
    image.SetFilename("nothing.tga", false);
    EXPECT_EQ(image.GetTexture(), nullptr);
    GuiParamTable sheet(16);
    image.GetProperties(sheet);
    EXPECT_EQ(sheet.Find("Filtering"), nullptr);
    ASSERT_NE(sheet.Find("Filename"), nullptr);
    EXPECT_EQ(sheet.Find("Filename")->text, "nothing.tga\n*.bmp; *.tga\n");
    TestWindow window;
    window.Frame(&image);
    guiGlyph* hit = nullptr;
    EXPECT_TRUE(image.HitTest(kaPoint(10, 10), hit));
    image.SetAlphaHitTesting(true);
    EXPECT_FALSE(image.HitTest(kaPoint(10, 10), hit));
}

TEST_F(ImageTest, ClippingCutsTheQuadAndTheTextureInProportion)
{
    struct Case
    {
        float x, y;
        int clipWidth, clipHeight;
        float left, top, right, bottom, u0, v0, u1, v1;
        bool hidden;
    } cases[] = {
        {10, 20, 640, 480, 10, 20, 74, 52, 0, 0, 1, 1, false},
        {10, 20, 42, 480, 10, 20, 42, 52, 0, 0, 0.5f, 1, false},
        {10, 20, 640, 28, 10, 20, 74, 28, 0, 0, 1, 0.25f, false},
        {-16, 20, 640, 480, 0, 20, 48, 52, 0.25f, 0, 1, 1, false},
        {10, 20, 5, 480, 0, 0, 0, 0, 0, 0, 0, 0, true},
    };
    for (const Case& c : cases)
    {
        TestPanel* clip = new TestPanel(guiCoordPair::Pixels(0, 0),
                                        guiCoordPair::Pixels(float(c.clipWidth), float(c.clipHeight)));
        clip->AddRef();
        clip->SetClipMode(guiGlyph::kClipToSelf);
        guiImage* image = new guiImage(guiCoordPair::Pixels(c.x, c.y), guiCoordPair::Pixels(64, 32));
        clip->AddChild(image);
        TestWindow window;
        window.Frame(clip);
        EXPECT_EQ(image->IsHiddenByClipping(), c.hidden);
        if (!c.hidden)
        {
            const auto& v = image->GetVertices();
            EXPECT_EQ(v[0].x, c.left - 0.5f);
            EXPECT_EQ(v[0].y, c.top - 0.5f);
            EXPECT_EQ(v[1].x, c.right - 0.5f);
            EXPECT_EQ(v[1].y, c.bottom - 0.5f);
            EXPECT_FLOAT_EQ(v[0].u, c.u0);
            EXPECT_FLOAT_EQ(v[0].v, c.v0);
            EXPECT_FLOAT_EQ(v[1].u, c.u1);
            EXPECT_FLOAT_EQ(v[1].v, c.v1);
            EXPECT_EQ(v[2].x, v[0].x);
            EXPECT_EQ(v[2].y, v[1].y);
            EXPECT_EQ(v[3].u, v[1].u);
            EXPECT_EQ(v[3].v, v[0].v);
        }
        clip->Release();
    }
}

} // namespace
