#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaTexture.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxTexture.h"
#include "platform/gfx/GfxVertexBuffer.h"
#include "tests/support/HeadlessGraphics.h"
#include "tests/support/engine/render/ImageFileBytes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

using namespace platform;

namespace
{

struct QuadVertex
{
    float x, y, z, rhw;
    uint32_t color;
    float u, v;
};

// Textures loaded from files and drawn through the real back end, headless.
class TextureGLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The display size is left to the manager's default.
        ASSERT_TRUE(m_Graphics.Start(testsupport::HeadlessGraphics::WindowedConfig(0, 0, false)));
        m_Manager = m_Graphics.Manager();
        m_Device = m_Manager->GetDevice();
        ASSERT_NE(m_Device, nullptr);
    }

    // A quad over pixels [x, x + w) x [y, y + h) with the given texture corners, point sampled.
    void DrawQuad(GfxBaseTexture* texture, float x, float y, float w, float h, float u0, float v0, float u1,
                  float v1)
    {
        const float l = x - 0.5f, t = y - 0.5f, r = x + w - 0.5f, b = y + h - 0.5f;
        const QuadVertex vertices[4] = {{l, t, 0.5f, 1, 0xFFFFFFFF, u0, v0},
                                        {r, t, 0.5f, 1, 0xFFFFFFFF, u1, v0},
                                        {l, b, 0.5f, 1, 0xFFFFFFFF, u0, v1},
                                        {r, b, 0.5f, 1, 0xFFFFFFFF, u1, v1}};
        const uint32_t fvf = FVF_XYZRHW | FVF_DIFFUSE | FVF_TEX1;
        GfxVertexBuffer* buffer = nullptr;
        ASSERT_EQ(m_Device->CreateVertexBuffer(sizeof(vertices), USAGE_WRITEONLY, fvf, POOL_MANAGED, &buffer),
                  GFX_OK);
        void* data = nullptr;
        ASSERT_EQ(buffer->Lock(0, 0, &data, 0), GFX_OK);
        std::memcpy(data, vertices, sizeof(vertices));
        buffer->Unlock();
        m_Device->SetRenderState(RS_LIGHTING, 0);
        m_Device->SetRenderState(RS_ZENABLE, 0);
        m_Device->SetTexture(0, texture);
        m_Device->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
        m_Device->SetSamplerState(0, SAMP_MINFILTER, TEXF_POINT);
        m_Device->SetSamplerState(0, SAMP_MAGFILTER, TEXF_POINT);
        m_Device->SetSamplerState(0, SAMP_MIPFILTER, TEXF_NONE);
        m_Device->SetFVF(fvf);
        m_Device->SetStreamSource(0, buffer, 0, sizeof(QuadVertex));
        EXPECT_EQ(m_Device->DrawPrimitive(PT_TRIANGLESTRIP, 0, 2), GFX_OK);
        m_Device->SetTexture(0, nullptr);
        buffer->Release();
    }

    void Show()
    {
        ASSERT_EQ(m_Device->EndScene(), GFX_OK);
        ASSERT_EQ(m_Device->Present(), GFX_OK);
        ASSERT_EQ(m_Device->CaptureFrame(&m_Frame), GFX_OK);
    }

    // The captured pixel as 0xRRGGBB.
    uint32_t Pixel(uint32_t x, uint32_t y) const
    {
        const uint8_t* p = &m_Frame.Rows[(size_t(y) * m_Frame.Width + x) * 3];
        return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }

    testsupport::HeadlessGraphics m_Graphics{"TextureGL", 100, 100};
    testsupport::TempDir& m_Dir = m_Graphics.Dir();
    kaGraphicsManager* m_Manager = nullptr;
    GfxDevice* m_Device = nullptr;
    FrameCapture m_Frame;
};

// A TGA of the given size whose texel (x, y) is red 40x, green 30y, blue 200.
std::string WriteTga(testsupport::TempDir& dir, const std::string& name, int width, int height)
{
    imagebytes::TgaHeader header;
    header.width = uint16_t(width);
    header.height = uint16_t(height);
    header.bitsPerPixel = 24;
    imagebytes::Bytes pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.insert(pixels.end(), {200, uint8_t(30 * y), uint8_t(40 * x)});
    return dir.Write(name, imagebytes::AsString(imagebytes::RawTga(header, pixels)));
}

uint32_t Expected(int x, int y)
{
    return uint32_t(40 * x) << 16 | uint32_t(30 * y) << 8 | 200;
}

TEST_F(TextureGLTest, LoadedTgaDrawnOnAQuadMatchesItsTexels)
{
    kaTexture* texture = m_Manager->LoadTexture(WriteTga(m_Dir, "tiles.tga", 4, 4), true, 0);
    ASSERT_NE(texture, nullptr);
    ASSERT_FALSE(texture->IsInAtlas());
    ASSERT_EQ(m_Device->Clear(0, nullptr, CLEAR_TARGET, 0xFF000000, 1.0f, 0), GFX_OK);
    ASSERT_EQ(m_Device->BeginScene(), GFX_OK);
    DrawQuad(texture->GetTexture(), 10, 20, 4, 4, 0, 0, 1, 1);
    Show();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(Pixel(10 + x, 20 + y), Expected(x, y)) << x << ", " << y;
    EXPECT_EQ(Pixel(9, 20), 0u);
    EXPECT_EQ(Pixel(14, 23), 0u);
    m_Manager->ReleaseTexture(texture);
}

TEST_F(TextureGLTest, AtlasPlacedTgaDrawnWithItsUVRectangleMatchesItsTexels)
{
    // Two odd-sized images share a page; the second is drawn through its own rectangle.
    kaTexture* first = m_Manager->LoadTexture(WriteTga(m_Dir, "a.tga", 3, 5), false, 0);
    kaTexture* second = m_Manager->LoadTexture(WriteTga(m_Dir, "b.tga", 5, 3), false, 0);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(second->IsInAtlas());
    ASSERT_EQ(first->GetTexture(), second->GetTexture());
    float u0, v0, u1, v1;
    second->GetTexCoordRect(u0, v0, u1, v1);
    ASSERT_EQ(m_Device->Clear(0, nullptr, CLEAR_TARGET, 0xFF000000, 1.0f, 0), GFX_OK);
    ASSERT_EQ(m_Device->BeginScene(), GFX_OK);
    DrawQuad(second->GetTexture(), 30, 40, 5, 3, u0, v0, u1, v1);
    Show();
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(Pixel(30 + x, 40 + y), Expected(x, y)) << x << ", " << y;
    m_Manager->ReleaseTexture(second);
    m_Manager->ReleaseTexture(first);
}

} // namespace
