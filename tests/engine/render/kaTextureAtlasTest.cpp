#include "engine/render/kaTextureAtlas.h"

#include "tests/support/engine/render/GraphicsManagerFixture.h"
#include "tests/support/engine/render/ImageFileBytes.h"

#include "engine/render/kaTexture.h"

using namespace platform;

namespace
{

const char* const kTrueColourConfig = "[Begin Graphics Config]\nBitsPerPixel=32\n[End Graphics Config]\n";

class TextureAtlasTest : public GraphicsManagerFixture
{
protected:
    void StartWithLargestTexture(uint32_t size)
    {
        m_D3D->Adapters[0].Caps.MaxTextureWidth = size;
        m_D3D->Adapters[0].Caps.MaxTextureHeight = size;
        ASSERT_TRUE(Start(kTrueColourConfig));
    }

    kaTextureAtlas& Atlas() { return m_Manager->GetTextureAtlas(); }

    bool Add(kaTexture& texture, uint32_t width, uint32_t height, uint32_t format = FMT_A8R8G8B8)
    {
        return Atlas().Add(&texture, width, height, format, 0, POOL_MANAGED);
    }
};

TEST_F(TextureAtlasTest, PagesAreAtMostTheLargestTextureAndAtMost1024)
{
    StartWithLargestTexture(2048);
    {
        kaTexture a;
        ASSERT_TRUE(Add(a, 10, 10));
        ASSERT_EQ(Atlas().GetPages().size(), 1u);
        EXPECT_EQ(Atlas().GetPages()[0].width, 1024u);
        EXPECT_EQ(Atlas().GetPages()[0].height, 1024u);
        EXPECT_EQ(CallsOf("CreateTexture").back(), "1024 1024 1 0x0 21 1");
    }
    m_Manager.reset();

    StartWithLargestTexture(512);
    kaTexture b;
    ASSERT_TRUE(Add(b, 10, 10));
    EXPECT_EQ(Atlas().GetPages()[0].width, 512u);
    EXPECT_EQ(Atlas().GetPages()[0].height, 512u);
    float l, t, r, bottom;
    b.GetTexCoordRect(l, t, r, bottom);
    EXPECT_FLOAT_EQ(r, 10.0f / 512.0f);
    EXPECT_TRUE(b.IsInAtlas());
    EXPECT_EQ(b.GetTexture(), Atlas().GetPages()[0].texture);
}

TEST_F(TextureAtlasTest, WideImagesGoOntoShelvesOneBelowAnother)
{
    StartWithLargestTexture(2048);
    kaTexture first, second, third;
    ASSERT_TRUE(Add(first, 600, 100));
    ASSERT_TRUE(Add(second, 600, 40));
    EXPECT_EQ(second.GetPlacementLeft(), 0u);
    EXPECT_EQ(second.GetPlacementTop(), 100u);
    // The next one fits beside the second, on its shelf.
    ASSERT_TRUE(Add(third, 400, 30));
    EXPECT_EQ(third.GetPlacementLeft(), 600u);
    EXPECT_EQ(third.GetPlacementTop(), 100u);
    EXPECT_EQ(Atlas().GetPages().size(), 1u);
}

TEST_F(TextureAtlasTest, ImageWiderThanAPageFailsEverywhere)
{
    StartWithLargestTexture(2048);
    kaTexture small, wide;
    ASSERT_TRUE(Add(small, 10, 10));
    EXPECT_FALSE(Add(wide, 1025, 4));
    EXPECT_EQ(wide.GetTexture(), nullptr);
    // It was tried on a fresh page too, which is kept for later images.
    EXPECT_EQ(Atlas().GetPages().size(), 2u);
    EXPECT_TRUE(Atlas().GetPages()[1].entries.empty());
}

TEST_F(TextureAtlasTest, AnotherFormatGetsAPageOfItsOwn)
{
    StartWithLargestTexture(2048);
    kaTexture colour, sixteen;
    ASSERT_TRUE(Add(colour, 10, 10));
    ASSERT_TRUE(Add(sixteen, 10, 10, FMT_R5G6B5));
    ASSERT_EQ(Atlas().GetPages().size(), 2u);
    EXPECT_EQ(Atlas().GetPages()[1].format, uint32_t(FMT_R5G6B5));
    EXPECT_EQ(sixteen.GetPlacementLeft(), 0u);
    EXPECT_NE(sixteen.GetTexture(), colour.GetTexture());
}

TEST_F(TextureAtlasTest, FreedSpaceIsNotReused)
{
    StartWithLargestTexture(2048);
    kaTexture a, b, c;
    ASSERT_TRUE(Add(a, 100, 50));
    ASSERT_TRUE(Add(c, 100, 50));
    ASSERT_TRUE(Atlas().Remove(&a));
    ASSERT_TRUE(Add(b, 100, 50));
    EXPECT_EQ(b.GetPlacementLeft(), 200u);
    ASSERT_TRUE(Atlas().Remove(&b));
    ASSERT_TRUE(Atlas().Remove(&c));
    EXPECT_TRUE(Atlas().GetPages().empty());
    EXPECT_FALSE(Atlas().Remove(&a));
}

// Loading and releasing an atlas texture over and over must not leave pages behind.
TEST_F(TextureAtlasTest, PagesGoWithTheirLastTexture)
{
    StartWithLargestTexture(256);
    imagebytes::TgaHeader header;
    header.width = 100;
    header.height = 100;
    const std::string path = m_Dir.Write(
        "odd.tga", imagebytes::AsString(imagebytes::RawTga(header, imagebytes::Bytes(100 * 100 * 4, 0x5A))));
    for (int cycle = 0; cycle < 20000; ++cycle)
    {
        kaTexture* texture = m_Manager->LoadTexture(path, false, 0);
        ASSERT_NE(texture, nullptr);
        ASSERT_TRUE(texture->IsInAtlas());
        ASSERT_TRUE(m_Manager->ReleaseTexture(texture));
    }
    EXPECT_TRUE(Atlas().GetPages().empty());
}

TEST_F(TextureAtlasTest, FullPageOpensANewOne)
{
    StartWithLargestTexture(256);
    kaTexture a, b;
    ASSERT_TRUE(Add(a, 256, 200));
    ASSERT_TRUE(Add(b, 256, 100));
    EXPECT_EQ(Atlas().GetPages().size(), 2u);
    EXPECT_EQ(b.GetPlacementTop(), 0u);
}

TEST_F(TextureAtlasTest, PageThatCannotBeMadeIsNotKept)
{
    StartWithLargestTexture(2048);
    Device()->FailNext("CreateTexture", GFXERR_OUTOFVIDEOMEMORY);
    kaTexture a;
    EXPECT_FALSE(Add(a, 10, 10));
    EXPECT_TRUE(Atlas().GetPages().empty());
    EXPECT_EQ(a.GetTexture(), nullptr);
    EXPECT_TRUE(Add(a, 10, 10));
}

TEST(TextureAtlasFitTest, ShelfRules)
{
    kaTextureAtlas::Page page;
    page.width = 100;
    page.height = 100;
    uint32_t x = 0, y = 0;
    ASSERT_TRUE(kaTextureAtlas::Fit(page, 60, 30, x, y));
    ASSERT_TRUE(kaTextureAtlas::Fit(page, 60, 20, x, y));
    EXPECT_EQ(x, 0u);
    EXPECT_EQ(y, 30u);
    EXPECT_EQ(page.nextShelfTop, 50u);
    // Too tall for what is left below the next shelf.
    EXPECT_FALSE(kaTextureAtlas::Fit(page, 60, 51, x, y));
    EXPECT_FALSE(kaTextureAtlas::Fit(page, 101, 1, x, y));
}

} // namespace
