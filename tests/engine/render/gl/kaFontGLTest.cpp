#include "engine/render/kaFont.h"

#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaTexture.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxStateBlock.h"
#include "platform/gfx/GfxVertexBuffer.h"
#include "tests/support/HeadlessGraphics.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace platform;

namespace
{

// Screen-space vertex of the font's buffer: transformed position, colour, one texture coordinate pair.
struct GlyphVertex
{
    float x, y, z, rhw;
    uint32_t diffuse;
    float u, v;
};
static_assert(sizeof(GlyphVertex) == 28, "28-byte vertices");
const uint32_t kTextFVF = FVF_XYZRHW | FVF_DIFFUSE | FVF_TEX1;

// Where one character landed on screen, in whole pixels.
struct PlacedGlyph
{
    char character;
    int left, top, width, height;
    float u0, v0, u1, v1;
};

// Text from a font data file drawn at 1:1 through the real back end, headless.
class FontOpenGLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Graphics.Start(testsupport::HeadlessGraphics::WindowedConfig(320, 120, false)));
        m_Manager = m_Graphics.Manager();
        ASSERT_NE(m_Manager->GetDevice(), nullptr);
    }

    // Lays the text out from the baseline, one quad a character, through the font's own buffer and states.
    std::vector<PlacedGlyph> DrawText(kaFont& font, const std::string& text, int x, int baseline)
    {
        std::vector<PlacedGlyph> placed;
        std::vector<GlyphVertex> vertices;
        for (char c : text)
        {
            float u0, v0, u1, v1, w, h;
            int32_t advance, bearingX, bearingY;
            if (!font.GetGlyphMetrics(c, u0, v0, u1, v1, w, h, advance, bearingX, bearingY))
                continue;
            PlacedGlyph glyph{c,
                              x + bearingX,
                              baseline - bearingY,
                              static_cast<int>(w + 0.5f),
                              static_cast<int>(h + 0.5f),
                              u0,
                              v0,
                              u1,
                              v1};
            if (glyph.width > 0)
            {
                placed.push_back(glyph);
                // Pixel centres sit on whole coordinates: the quad's edges lie half a pixel before them.
                const float left = static_cast<float>(glyph.left) - 0.5f;
                const float top = static_cast<float>(glyph.top) - 0.5f;
                const float right = left + static_cast<float>(glyph.width);
                const float bottom = top + static_cast<float>(glyph.height);
                const GlyphVertex corners[4] = {{left, top, 0, 1, 0xFFFFFFFF, u0, v0},
                                                {right, top, 0, 1, 0xFFFFFFFF, u1, v0},
                                                {left, bottom, 0, 1, 0xFFFFFFFF, u0, v1},
                                                {right, bottom, 0, 1, 0xFFFFFFFF, u1, v1}};
                for (int index : {0, 1, 2, 2, 1, 3})
                    vertices.push_back(corners[index]);
            }
            x += advance;
        }

        GfxDevice* device = m_Manager->GetDevice();
        GfxVertexBuffer* buffer = font.GetVertexBuffer();
        const size_t bytes = vertices.size() * sizeof(GlyphVertex);
        EXPECT_LE(bytes, kaFont::kVertexBufferBytes);
        void* data = nullptr;
        if (!buffer || bytes == 0 ||
            GfxFailed(buffer->Lock(0, static_cast<uint32_t>(bytes), &data, LOCK_DISCARD)))
            return {};
        std::memcpy(data, vertices.data(), bytes);
        buffer->Unlock();

        device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device->BeginScene();
        font.GetStateBlock(0)->Apply();
        device->SetFVF(kTextFVF);
        device->SetStreamSource(0, buffer, 0, sizeof(GlyphVertex));
        device->DrawPrimitive(PT_TRIANGLELIST, 0, static_cast<uint32_t>(vertices.size() / 3));
        device->EndScene();
        device->Present();
        EXPECT_EQ(device->CaptureFrame(&m_Frame), GFX_OK);
        return placed;
    }

    int Grey(int x, int y) const
    {
        const size_t at = (static_cast<size_t>(y) * m_Frame.Width + x) * 3;
        return m_Frame.Rows[at + 1];
    }

    testsupport::HeadlessGraphics m_Graphics{"FontGL", 100, 100};
    testsupport::TempDir& m_Dir = m_Graphics.Dir();
    kaGraphicsManager* m_Manager = nullptr;
    FrameCapture m_Frame;
};

TEST_F(FontOpenGLTest, TextFromAFontDataFileIsLegibleAtOneToOne)
{
    // The font data file is made the way the content tool makes the interface fonts.
    {
        kaFont outline("DejaVuSans.ttf", 16, kaFont::kHinting);
        outline.LoadGlyphs();
        std::ofstream file(m_Dir.File("text16.kaff"), std::ios::binary);
        ASSERT_TRUE(outline.WriteFontData(file, true));
    }
    kaFont* font = m_Manager->LoadFont(m_Dir.File("text16.kaff"), "text16");
    ASSERT_NE(font, nullptr);
    ASSERT_NE(font->GetTexture()->GetTexture(), nullptr);

    const std::vector<PlacedGlyph> placed = DrawText(*font, "Hill Climb 42", 10, 40);
    ASSERT_EQ(placed.size(), 11u);
    ASSERT_EQ(m_Frame.Width, 320u);

    // The page as it was read, to compare every drawn pixel with the coverage of its texel.
    std::stringstream data;
    ASSERT_TRUE(font->WriteFontData(data, false));
    const std::string bytes = data.str();
    const size_t pageStart = 24 + 28 * kaFont::kFileGlyphs + 18;
    const uint32_t page = font->GetPageWidth();
    ASSERT_GE(bytes.size(), pageStart + static_cast<size_t>(page) * page * 4);
    auto texel = [&](int tx, int ty, int channel)
    { return static_cast<uint8_t>(bytes[pageStart + (static_cast<size_t>(ty) * page + tx) * 4 + channel]); };

    std::vector<bool> covered(m_Frame.Width, false);
    for (const PlacedGlyph& glyph : placed)
    {
        const int texelLeft = static_cast<int>(glyph.u0 * page + 0.5f);
        const int texelTop = static_cast<int>(glyph.v0 * page + 0.5f);
        int lit = 0;
        for (int y = 0; y < glyph.height; ++y)
            for (int x = 0; x < glyph.width; ++x)
            {
                const int alpha = texel(texelLeft + x, texelTop + y, 3);
                const int green = texel(texelLeft + x, texelTop + y, 1);
                const int drawn = Grey(glyph.left + x, glyph.top + y);
                // Alpha below the test's reference draws nothing; everything else blends the page's colour,
                // as the device holds it, over black.
                const int blended = alpha < 8 ? 0 : (green * alpha + 127) / 255;
                ASSERT_NEAR(drawn, blended, 12) << glyph.character << " at " << x << "," << y;
                lit += drawn > 128 ? 1 : 0;
            }
        EXPECT_GT(lit, 0) << glyph.character;
        for (int x = glyph.left; x < glyph.left + glyph.width; ++x)
            covered[x] = true;
    }
    // Between letters, and above and below the line, the background shows.
    for (uint32_t x = 0; x < m_Frame.Width; ++x)
    {
        for (uint32_t y = 0; y < m_Frame.Height; ++y)
        {
            if (!covered[x] || y < 20 || y > 50)
            {
                ASSERT_EQ(Grey(static_cast<int>(x), static_cast<int>(y)), 0) << x << "," << y;
            }
        }
    }
}

} // namespace
