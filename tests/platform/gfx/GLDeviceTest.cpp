#include "platform/gfx/GLDirect3D.h"
#include "platform/gfx/GfxCubeTexture.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxFormatInfo.h"
#include "platform/gfx/GfxIndexBuffer.h"
#include "platform/gfx/GfxTexture.h"
#include "platform/gfx/GfxVertexBuffer.h"
#include "platform/gfx/GfxVolumeTexture.h"
#include "platform/gfx/MemoryVertexBuffer.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

using namespace platform;

namespace
{

constexpr uint32_t kBackBufferSize = 64;

struct PretransformedVertex
{
    float x, y, z, rhw;
    uint32_t color;
    float u, v;
};
constexpr uint32_t kPretransformedFvf = FVF_XYZRHW | FVF_DIFFUSE | FVF_TEX1;

struct ColorVertex
{
    float x, y, z;
    uint32_t color;
};
constexpr uint32_t kColorFvf = FVF_XYZ | FVF_DIFFUSE;

struct LitVertex
{
    float x, y, z;
    float nx, ny, nz;
};
constexpr uint32_t kLitFvf = FVF_XYZ | FVF_NORMAL;

struct Rgb
{
    int r, g, b;
};

// Pixel tests through the OpenGL back end on Mesa's surfaceless EGL display: no window or display needed.
class GLDeviceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Direct3D = new GLDirect3D(true);
        ASSERT_TRUE(m_Direct3D->IsAvailable()) << "no EGL surfaceless OpenGL context";
        PresentParameters parameters;
        parameters.BackBufferWidth = kBackBufferSize;
        parameters.BackBufferHeight = kBackBufferSize;
        parameters.BackBufferFormat = FMT_X8R8G8B8;
        parameters.Windowed = true;
        parameters.SwapEffect = SWAPEFFECT_DISCARD;
        parameters.EnableAutoDepthStencil = true;
        parameters.AutoDepthStencilFormat = FMT_D24S8;
        ASSERT_EQ(m_Direct3D->CreateDevice(0, DEVTYPE_HAL, nullptr, CREATE_HARDWARE_VERTEXPROCESSING,
                                           &parameters, &m_Device),
                  GFX_OK);
        m_Device->SetRenderState(RS_LIGHTING, 0);
        ASSERT_EQ(m_Device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0), GFX_OK);
        ASSERT_EQ(m_Device->BeginScene(), GFX_OK);
    }

    void TearDown() override
    {
        for (GfxObject* object : m_Owned)
            object->Release();
        if (m_Device)
        {
            EXPECT_EQ(m_Device->Release(), 0u);
        }
        m_Direct3D->Release();
    }

    template <class Vertex>
    void Draw(uint32_t fvf, uint32_t type, const std::vector<Vertex>& vertices, uint32_t count)
    {
        GfxVertexBuffer* buffer = nullptr;
        const uint32_t bytes = static_cast<uint32_t>(vertices.size() * sizeof(Vertex));
        ASSERT_EQ(m_Device->CreateVertexBuffer(bytes, USAGE_WRITEONLY, fvf, POOL_MANAGED, &buffer), GFX_OK);
        void* data = nullptr;
        ASSERT_EQ(buffer->Lock(0, 0, &data, 0), GFX_OK);
        std::memcpy(data, vertices.data(), bytes);
        buffer->Unlock();
        m_Device->SetFVF(fvf);
        m_Device->SetStreamSource(0, buffer, 0, sizeof(Vertex));
        EXPECT_EQ(m_Device->DrawPrimitive(type, 0, count), GFX_OK);
        buffer->Release();
    }

    void DrawBytes(uint32_t fvf, uint32_t type, const std::vector<uint8_t>& bytes, uint32_t stride,
                   uint32_t count)
    {
        GfxVertexBuffer* buffer = nullptr;
        ASSERT_EQ(m_Device->CreateVertexBuffer(static_cast<uint32_t>(bytes.size()), USAGE_WRITEONLY, fvf,
                                               POOL_MANAGED, &buffer),
                  GFX_OK);
        void* data = nullptr;
        ASSERT_EQ(buffer->Lock(0, 0, &data, 0), GFX_OK);
        std::memcpy(data, bytes.data(), bytes.size());
        buffer->Unlock();
        m_Device->SetFVF(fvf);
        m_Device->SetStreamSource(0, buffer, 0, stride);
        EXPECT_EQ(m_Device->DrawPrimitive(type, 0, count), GFX_OK);
        buffer->Release();
    }

    // A screen-space quad over the pixels [x0, x1) x [y0, y1), texture corners (0, 0) to (1, 1).
    void DrawPixelQuad(float x0, float y0, float x1, float y1, uint32_t color, float z = 0.5f)
    {
        x0 -= 0.5f, y0 -= 0.5f, x1 -= 0.5f, y1 -= 0.5f;
        Draw<PretransformedVertex>(kPretransformedFvf, PT_TRIANGLESTRIP,
                                   {{x0, y0, z, 1, color, 0, 0},
                                    {x1, y0, z, 1, color, 1, 0},
                                    {x0, y1, z, 1, color, 0, 1},
                                    {x1, y1, z, 1, color, 1, 1}},
                                   2);
    }

    GfxTexture* MakeTexture(uint32_t width, uint32_t height, uint32_t format, const void* texels,
                            uint32_t bytesPerTexel)
    {
        GfxTexture* texture = nullptr;
        EXPECT_EQ(m_Device->CreateTexture(width, height, 1, 0, format, POOL_MANAGED, &texture), GFX_OK);
        LockedRect locked;
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), GFX_OK);
        for (uint32_t y = 0; y < height; ++y)
            std::memcpy(static_cast<uint8_t*>(locked.Bits) + y * locked.Pitch,
                        static_cast<const uint8_t*>(texels) + y * width * bytesPerTexel,
                        width * bytesPerTexel);
        texture->UnlockRect(0);
        m_Owned.push_back(texture);
        return texture;
    }

    void Show()
    {
        ASSERT_EQ(m_Device->EndScene(), GFX_OK);
        ASSERT_EQ(m_Device->Present(), GFX_OK);
        ASSERT_EQ(m_Device->CaptureFrame(&m_Frame), GFX_OK);
        ASSERT_EQ(m_Frame.Width, kBackBufferSize);
        ASSERT_EQ(m_Device->BeginScene(), GFX_OK);
    }

    Rgb Pixel(uint32_t x, uint32_t y) const
    {
        const uint8_t* p = &m_Frame.Rows[(static_cast<size_t>(y) * m_Frame.Width + x) * 3];
        return Rgb{p[2], p[1], p[0]};
    }

    void ExpectPixel(uint32_t x, uint32_t y, Rgb expected, int tolerance = 2) const
    {
        const Rgb actual = Pixel(x, y);
        EXPECT_TRUE(std::abs(actual.r - expected.r) <= tolerance &&
                    std::abs(actual.g - expected.g) <= tolerance &&
                    std::abs(actual.b - expected.b) <= tolerance)
            << "pixel (" << x << ", " << y << ") is (" << actual.r << ", " << actual.g << ", " << actual.b
            << "), expected (" << expected.r << ", " << expected.g << ", " << expected.b << ")";
    }

    GLDirect3D* m_Direct3D = nullptr;
    GfxDevice* m_Device = nullptr;
    std::vector<GfxObject*> m_Owned;
    FrameCapture m_Frame;
};

} // namespace

TEST_F(GLDeviceTest, ClearsColourAndDepth)
{
    m_Device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, 0xFFFF0000, 0.5f, 0);
    // The depth write mask does not stop a clear.
    m_Device->SetRenderState(RS_ZWRITEENABLE, 0);
    m_Device->Clear(0, nullptr, CLEAR_ZBUFFER, 0, 0.5f, 0);
    DrawPixelQuad(0, 0, 32, 64, 0xFF00FF00, 0.7f); // behind the cleared depth
    DrawPixelQuad(32, 0, 64, 64, 0xFF0000FF, 0.3f);
    Show();
    ExpectPixel(10, 10, {255, 0, 0});
    ExpectPixel(50, 10, {0, 0, 255});
}

TEST_F(GLDeviceTest, ClearHonoursRectanglesAndTheViewport)
{
    const GfxRect rect{0, 0, 16, 16};
    m_Device->Clear(1, &rect, CLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
    const Viewport right{32, 0, 32, 64, 0.0f, 1.0f};
    m_Device->SetViewport(&right);
    m_Device->Clear(0, nullptr, CLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    Show();
    ExpectPixel(5, 5, {0, 255, 0});
    ExpectPixel(20, 20, {0, 0, 0});
    ExpectPixel(40, 5, {0, 0, 255});
}

TEST_F(GLDeviceTest, TriangleLandsWhereProjectedAndCounterClockwiseIsCulled)
{
    // Top-left, top-right, bottom-left: clockwise on screen.
    const std::vector<ColorVertex> clockwise = {
        {-1, 1, 0.5f, 0xFFFF0000}, {1, 1, 0.5f, 0xFFFF0000}, {-1, -1, 0.5f, 0xFFFF0000}};
    const std::vector<ColorVertex> counterClockwise = {clockwise[0], clockwise[2], clockwise[1]};
    Draw(kColorFvf, PT_TRIANGLELIST, clockwise, 1);
    Show();
    ExpectPixel(5, 5, {255, 0, 0});
    ExpectPixel(58, 58, {0, 0, 0});

    m_Device->Clear(0, nullptr, CLEAR_TARGET, 0xFF000000, 1.0f, 0);
    Draw(kColorFvf, PT_TRIANGLELIST, counterClockwise, 1);
    Show();
    ExpectPixel(5, 5, {0, 0, 0});

    m_Device->SetRenderState(RS_CULLMODE, CULL_NONE);
    Draw(kColorFvf, PT_TRIANGLELIST, counterClockwise, 1);
    Show();
    ExpectPixel(5, 5, {255, 0, 0});

    m_Device->SetRenderState(RS_CULLMODE, CULL_CW);
    m_Device->Clear(0, nullptr, CLEAR_TARGET, 0xFF000000, 1.0f, 0);
    Draw(kColorFvf, PT_TRIANGLELIST, clockwise, 1);
    Show();
    ExpectPixel(5, 5, {0, 0, 0});
}

TEST_F(GLDeviceTest, WorldViewAndProjectionPlaceGeometryAsD3DDoes)
{
    Matrix projection, view, world;
    MatrixPerspectiveFovLH(&projection, 3.14159265f / 2.0f, 1.0f, 1.0f, 100.0f);
    const Vector3 eye(0, 0, -2), at(0, 0, 0), up(0, 1, 0);
    MatrixLookAtLH(&view, &eye, &at, &up);
    MatrixTranslation(&world, 1, 0, 0);
    m_Device->SetTransform(TS_PROJECTION, &projection);
    m_Device->SetTransform(TS_VIEW, &view);
    m_Device->SetTransform(TS_WORLD, &world);
    m_Device->SetRenderState(RS_CULLMODE, CULL_NONE);
    // A small triangle at the origin moved one unit right: two units away with a 90-degree view it lands
    // halfway between the centre and the right edge.
    const std::vector<ColorVertex> triangle = {
        {-0.1f, 0.1f, 0, 0xFF00FF00}, {0.1f, 0.1f, 0, 0xFF00FF00}, {-0.1f, -0.1f, 0, 0xFF00FF00}};
    Draw(kColorFvf, PT_TRIANGLELIST, triangle, 1);
    Show();
    ExpectPixel(47, 31, {0, 255, 0});
    ExpectPixel(32, 30, {0, 0, 0});
}

TEST_F(GLDeviceTest, PreTransformedQuadMapsTexelsOneToOne)
{
    uint32_t texels[16];
    for (uint32_t i = 0; i < 16; ++i)
        texels[i] = 0xFF000000 | (i * 16) << 16 | (255 - i * 16) << 8 | (i % 2) * 255;
    m_Device->SetTexture(0, MakeTexture(4, 4, FMT_A8R8G8B8, texels, 4));
    for (uint32_t filter : {TEXF_POINT, TEXF_LINEAR})
    {
        m_Device->SetSamplerState(0, SAMP_MINFILTER, filter);
        m_Device->SetSamplerState(0, SAMP_MAGFILTER, filter);
        m_Device->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
        DrawPixelQuad(10, 20, 14, 24, 0xFFFFFFFF);
        Show();
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 4; ++x)
            {
                const uint32_t t = texels[y * 4 + x];
                ExpectPixel(10 + x, 20 + y, {int(t >> 16 & 0xFF), int(t >> 8 & 0xFF), int(t & 0xFF)}, 0);
            }
        ExpectPixel(9, 20, {0, 0, 0}, 0);
        ExpectPixel(14, 23, {0, 0, 0}, 0);
    }
}

TEST_F(GLDeviceTest, TextureRowZeroIsTheTopOfTheImage)
{
    const uint32_t texels[4] = {0xFFFF0000, 0xFFFF0000, 0xFF0000FF, 0xFF0000FF};
    m_Device->SetTexture(0, MakeTexture(2, 2, FMT_X8R8G8B8, texels, 4));
    DrawPixelQuad(0, 0, 64, 64, 0xFFFFFFFF);
    Show();
    ExpectPixel(32, 5, {255, 0, 0});
    ExpectPixel(32, 58, {0, 0, 255});
}

TEST_F(GLDeviceTest, SixteenBitFourFourFourFourSamplesWithItsAlpha)
{
    m_Device->Clear(0, nullptr, CLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
    // Alpha 8 of 15 over red.
    const uint16_t texel = 0x8F00;
    m_Device->SetTexture(0, MakeTexture(1, 1, FMT_A4R4G4B4, &texel, 2));
    m_Device->SetRenderState(RS_ALPHABLENDENABLE, 1);
    m_Device->SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    m_Device->SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    m_Device->SetTextureStageState(0, TSS_ALPHAOP, TOP_SELECTARG1);
    DrawPixelQuad(0, 0, 64, 64, 0xFFFFFFFF);
    Show();
    ExpectPixel(32, 32, {255, 119, 119}, 3);
}

TEST_F(GLDeviceTest, EachTextureStageOperationCombinesAsD3DDoes)
{
    const uint32_t texel = 0x80FF4000; // half alpha, orange
    m_Device->SetTexture(0, MakeTexture(1, 1, FMT_A8R8G8B8, &texel, 4));
    const uint32_t diffuse = 0xFF808080;
    struct Case
    {
        uint32_t op, arg1, arg2;
        Rgb expected;
    };
    const Case cases[] = {
        {TOP_MODULATE, TA_TEXTURE, TA_DIFFUSE, {128, 32, 0}},
        {TOP_MODULATE2X, TA_TEXTURE, TA_DIFFUSE, {255, 64, 0}},
        {TOP_SELECTARG1, TA_TEXTURE, TA_DIFFUSE, {255, 64, 0}},
        {TOP_SELECTARG2, TA_TEXTURE, TA_DIFFUSE, {128, 128, 128}},
        {TOP_ADD, TA_TEXTURE, TA_DIFFUSE, {255, 192, 128}},
        // Texture alpha 0.5 mixes the texture with the diffuse colour.
        {TOP_BLENDTEXTUREALPHA, TA_TEXTURE, TA_DIFFUSE, {192, 96, 64}},
        {TOP_MODULATE, TA_TEXTURE | TA_COMPLEMENT, TA_DIFFUSE, {0, 96, 128}},
    };
    for (const Case& c : cases)
    {
        m_Device->SetTextureStageState(0, TSS_COLOROP, c.op);
        m_Device->SetTextureStageState(0, TSS_COLORARG1, c.arg1);
        m_Device->SetTextureStageState(0, TSS_COLORARG2, c.arg2);
        DrawPixelQuad(0, 0, 64, 64, diffuse);
        Show();
        SCOPED_TRACE(c.op);
        ExpectPixel(32, 32, c.expected, 3);
    }

    // Lerp: the texture factor's quarter picks between the texture and the diffuse colour.
    m_Device->SetRenderState(RS_TEXTUREFACTOR, 0x40404040);
    m_Device->SetTextureStageState(0, TSS_COLOROP, TOP_LERP);
    m_Device->SetTextureStageState(0, TSS_COLORARG0, TA_TFACTOR);
    m_Device->SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
    m_Device->SetTextureStageState(0, TSS_COLORARG2, TA_DIFFUSE);
    DrawPixelQuad(0, 0, 64, 64, diffuse);
    Show();
    ExpectPixel(32, 32, {160, 112, 96}, 3);
}

TEST_F(GLDeviceTest, DisabledStageTurnsOffTheStagesAfterIt)
{
    const uint32_t white = 0xFFFFFFFF, black = 0xFF000000;
    m_Device->SetTexture(0, MakeTexture(1, 1, FMT_A8R8G8B8, &white, 4));
    m_Device->SetTexture(2, MakeTexture(1, 1, FMT_A8R8G8B8, &black, 4));
    m_Device->SetTextureStageState(0, TSS_COLOROP, TOP_MODULATE);
    m_Device->SetTextureStageState(1, TSS_COLOROP, TOP_DISABLE);
    m_Device->SetTextureStageState(2, TSS_COLOROP, TOP_MODULATE);
    m_Device->SetTextureStageState(2, TSS_COLORARG1, TA_TEXTURE);
    m_Device->SetTextureStageState(2, TSS_COLORARG2, TA_CURRENT);
    DrawPixelQuad(0, 0, 64, 64, 0xFF00FF00);
    Show();
    ExpectPixel(32, 32, {0, 255, 0});

    // With stage 1 on, the black texture of stage 2 darkens the result.
    m_Device->SetTextureStageState(1, TSS_COLOROP, TOP_SELECTARG2);
    DrawPixelQuad(0, 0, 64, 64, 0xFF00FF00);
    Show();
    ExpectPixel(32, 32, {0, 0, 0});
}

// A texture first drawn on a later stage, its level written a rectangle at a time and so sent only when
// drawn, is sampled on that stage in its first draw, and the first stage keeps its own texture.
TEST_F(GLDeviceTest, ATextureSentWhenFirstDrawnOnALaterStageSamplesThere)
{
    const uint32_t red = 0xFFFF0000;
    m_Device->SetTexture(0, MakeTexture(1, 1, FMT_A8R8G8B8, &red, 4));
    GfxTexture* later = nullptr;
    ASSERT_EQ(m_Device->CreateTexture(4, 4, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &later), GFX_OK);
    m_Owned.push_back(later);
    const GfxRect whole{0, 0, 4, 4};
    LockedRect locked;
    ASSERT_EQ(later->LockRect(0, &locked, &whole, 0), GFX_OK);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 4; ++x)
        {
            const uint32_t half = 0xFF808080;
            std::memcpy(static_cast<uint8_t*>(locked.Bits) + y * locked.Pitch + x * 4, &half, 4);
        }
    later->UnlockRect(0);
    m_Device->SetTexture(1, later);
    m_Device->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
    m_Device->SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
    m_Device->SetTextureStageState(1, TSS_COLOROP, TOP_MODULATE);
    m_Device->SetTextureStageState(1, TSS_COLORARG1, TA_TEXTURE);
    m_Device->SetTextureStageState(1, TSS_COLORARG2, TA_CURRENT);
    DrawPixelQuad(0, 0, 64, 64, 0xFFFFFFFF);
    Show();
    ExpectPixel(32, 32, {128, 0, 0}, 3);
}

TEST_F(GLDeviceTest, NullTextureSamplesOpaqueWhite)
{
    m_Device->SetTexture(0, nullptr);
    m_Device->SetTextureStageState(0, TSS_COLOROP, TOP_MODULATE);
    DrawPixelQuad(0, 0, 64, 64, 0xFF4080C0);
    Show();
    ExpectPixel(32, 32, {64, 128, 192});
}

TEST_F(GLDeviceTest, BlendModesMixSourceAndDestination)
{
    struct Case
    {
        uint32_t source, destination;
        Rgb expected;
    };
    // Source (255, 128, 0) at alpha 0.5 over (64, 64, 64).
    const Case cases[] = {{BLEND_SRCALPHA, BLEND_INVSRCALPHA, {160, 96, 32}},
                          {BLEND_ONE, BLEND_ONE, {255, 192, 64}},
                          {BLEND_DESTCOLOR, BLEND_ZERO, {64, 32, 0}},
                          {BLEND_ZERO, BLEND_ONE, {64, 64, 64}}};
    m_Device->SetRenderState(RS_ALPHABLENDENABLE, 1);
    m_Device->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG2);
    m_Device->SetTextureStageState(0, TSS_ALPHAOP, TOP_SELECTARG2);
    for (const Case& c : cases)
    {
        m_Device->Clear(0, nullptr, CLEAR_TARGET, 0xFF404040, 1.0f, 0);
        m_Device->SetRenderState(RS_SRCBLEND, c.source);
        m_Device->SetRenderState(RS_DESTBLEND, c.destination);
        DrawPixelQuad(0, 0, 64, 64, 0x80FF8000);
        Show();
        SCOPED_TRACE(c.source);
        ExpectPixel(32, 32, c.expected, 3);
    }
}

TEST_F(GLDeviceTest, AlphaTestDropsPixelsBelowTheReference)
{
    const uint32_t texels[2] = {0x40FFFFFF, 0xC0FFFFFF};
    m_Device->SetTexture(0, MakeTexture(2, 1, FMT_A8R8G8B8, texels, 4));
    m_Device->SetRenderState(RS_ALPHATESTENABLE, 1);
    m_Device->SetRenderState(RS_ALPHAFUNC, CMP_GREATEREQUAL);
    m_Device->SetRenderState(RS_ALPHAREF, 0x80);
    DrawPixelQuad(0, 0, 64, 64, 0xFFFFFFFF);
    Show();
    ExpectPixel(10, 32, {0, 0, 0});
    ExpectPixel(50, 32, {255, 255, 255});
}

TEST_F(GLDeviceTest, DirectionalAndPointLightsLightAQuad)
{
    // The camera looks down +Z from z = -5; the quad at z = 0 faces it.
    Matrix projection, view;
    MatrixOrthoLH(&projection, 2.0f, 2.0f, 0.0f, 10.0f);
    MatrixTranslation(&view, 0, 0, 5);
    m_Device->SetTransform(TS_PROJECTION, &projection);
    m_Device->SetTransform(TS_VIEW, &view);
    m_Device->SetRenderState(RS_LIGHTING, 1);
    Material material;
    material.Diffuse = {1, 1, 1, 1};
    m_Device->SetMaterial(&material);
    const std::vector<LitVertex> quad = {
        {-1, 1, 0, 0, 0, -1}, {1, 1, 0, 0, 0, -1}, {-1, -1, 0, 0, 0, -1}, {1, -1, 0, 0, 0, -1}};

    Light light;
    light.Type = LIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 1};
    light.Direction = Vector3(0, 0, 1);
    m_Device->SetLight(0, &light);
    m_Device->LightEnable(0, true);
    Draw(kLitFvf, PT_TRIANGLESTRIP, quad, 2);
    Show();
    ExpectPixel(32, 32, {255, 255, 255});

    light.Direction = Vector3(0, 0, -1); // shining from behind
    m_Device->SetLight(0, &light);
    Draw(kLitFvf, PT_TRIANGLESTRIP, quad, 2);
    Show();
    ExpectPixel(32, 32, {0, 0, 0});

    // A point light one unit in front of the centre, in world space. Lighting is per vertex, so the quad
    // gets a centre vertex: a fan from the centre round the corners.
    const std::vector<LitVertex> fan = {{0, 0, 0, 0, 0, -1},  {-1, 1, 0, 0, 0, -1},  {1, 1, 0, 0, 0, -1},
                                        {1, -1, 0, 0, 0, -1}, {-1, -1, 0, 0, 0, -1}, {-1, 1, 0, 0, 0, -1}};
    Light point;
    point.Type = LIGHT_POINT;
    point.Diffuse = {1, 1, 1, 1};
    point.Position = Vector3(0, 0, -1);
    point.Range = 100.0f;
    point.Attenuation1 = 1.0f;
    m_Device->SetLight(0, &point);
    Draw(kLitFvf, PT_TRIANGLEFAN, fan, 4);
    Show();
    const Rgb centre = Pixel(32, 32), corner = Pixel(2, 2);
    EXPECT_GT(centre.r, 200);
    EXPECT_LT(corner.r, centre.r - 60);
    EXPECT_GT(corner.r, 40);
}

TEST_F(GLDeviceTest, DepthEqualDrawsADecalOverItsSurfaceOnly)
{
    m_Device->SetRenderState(RS_CULLMODE, CULL_NONE);
    const std::vector<ColorVertex> surface = {{-1, 1, 0.5f, 0xFFFF0000},
                                              {1, 1, 0.5f, 0xFFFF0000},
                                              {-1, -1, 0.5f, 0xFFFF0000},
                                              {1, -1, 0.5f, 0xFFFF0000}};
    Draw(kColorFvf, PT_TRIANGLESTRIP, surface, 2);
    m_Device->SetRenderState(RS_ZFUNC, CMP_EQUAL);
    m_Device->SetRenderState(RS_ZWRITEENABLE, 0);
    std::vector<ColorVertex> decal = surface;
    for (ColorVertex& v : decal)
    {
        v.color = 0xFF00FF00;
        v.x *= 0.5f;
    }
    Draw(kColorFvf, PT_TRIANGLESTRIP, decal, 2);
    std::vector<ColorVertex> elsewhere = surface;
    for (ColorVertex& v : elsewhere)
    {
        v.color = 0xFF0000FF;
        v.z = 0.6f;
    }
    Draw(kColorFvf, PT_TRIANGLESTRIP, elsewhere, 2);
    Show();
    ExpectPixel(32, 32, {0, 255, 0});
    ExpectPixel(4, 32, {255, 0, 0});
}

TEST_F(GLDeviceTest, CubeAndVolumeTexturesSample)
{
    struct Vertex
    {
        float x, y, z, rhw;
        uint32_t color;
        float u, v, w;
    };
    const uint32_t fvf = FVF_XYZRHW | FVF_DIFFUSE | FVF_TEX1 | FvfTexCoordSize3(0);
    auto quad = [&](float x0, float x1, float u, float v, float w)
    {
        const std::vector<Vertex> vertices = {{x0 - 0.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF, u, v, w},
                                              {x1 - 0.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF, u, v, w},
                                              {x0 - 0.5f, 63.5f, 0.5f, 1, 0xFFFFFFFF, u, v, w},
                                              {x1 - 0.5f, 63.5f, 0.5f, 1, 0xFFFFFFFF, u, v, w}};
        Draw(fvf, PT_TRIANGLESTRIP, vertices, 2);
    };

    GfxCubeTexture* cube = nullptr;
    ASSERT_EQ(m_Device->CreateCubeTexture(1, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &cube), GFX_OK);
    m_Owned.push_back(cube);
    const uint32_t faces[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};
    for (uint32_t face = 0; face < 6; ++face)
    {
        LockedRect locked;
        ASSERT_EQ(cube->LockRect(face, 0, &locked, nullptr, 0), GFX_OK);
        std::memcpy(locked.Bits, &faces[face], 4);
        cube->UnlockRect(face, 0);
    }
    m_Device->SetTexture(0, cube);
    quad(0, 32, 1, 0, 0);   // +X
    quad(32, 64, 0, 0, -1); // -Z
    Show();
    ExpectPixel(16, 32, {255, 0, 0});
    ExpectPixel(48, 32, {255, 0, 255});

    GfxVolumeTexture* volume = nullptr;
    ASSERT_EQ(m_Device->CreateVolumeTexture(1, 1, 2, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &volume), GFX_OK);
    m_Owned.push_back(volume);
    LockedBox box;
    ASSERT_EQ(volume->LockBox(0, &box, nullptr, 0), GFX_OK);
    const uint32_t slices[2] = {0xFF00FF00, 0xFF0000FF};
    std::memcpy(box.Bits, &slices[0], 4);
    std::memcpy(static_cast<uint8_t*>(box.Bits) + box.SlicePitch, &slices[1], 4);
    volume->UnlockBox(0);
    m_Device->SetTexture(0, volume);
    quad(0, 32, 0.5f, 0.5f, 0.25f);
    quad(32, 64, 0.5f, 0.5f, 0.75f);
    Show();
    ExpectPixel(16, 32, {0, 255, 0});
    ExpectPixel(48, 32, {0, 0, 255});
}

TEST_F(GLDeviceTest, CapsComeFromTheContextWithoutATemporaryRegister)
{
    GfxCaps caps;
    ASSERT_EQ(m_Device->GetDeviceCaps(&caps), GFX_OK);
    EXPECT_GE(caps.MaxTextureWidth, 1024u);
    EXPECT_GE(caps.MaxSimultaneousTextures, 2u);
    EXPECT_GE(caps.MaxActiveLights, 8u);
    EXPECT_EQ(caps.PrimitiveMiscCaps & PMISCCAPS_TSSARGTEMP, 0u);
    EXPECT_GT(m_Direct3D->GetAdapterModeCount(0, FMT_X8R8G8B8), 0u);
    DisplayMode desktop;
    EXPECT_EQ(m_Direct3D->GetAdapterDisplayMode(0, &desktop), GFX_OK);
}

TEST_F(GLDeviceTest, ResetResizesTheBackBuffer)
{
    m_Device->EndScene();
    PresentParameters parameters;
    parameters.BackBufferWidth = 32;
    parameters.BackBufferHeight = 16;
    parameters.BackBufferFormat = FMT_X8R8G8B8;
    parameters.Windowed = true;
    parameters.EnableAutoDepthStencil = true;
    parameters.AutoDepthStencilFormat = FMT_D24S8;
    ASSERT_EQ(m_Device->Reset(&parameters), GFX_OK);
    m_Device->Clear(0, nullptr, CLEAR_TARGET, 0xFF102030, 1.0f, 0);
    ASSERT_EQ(m_Device->Present(), GFX_OK);
    ASSERT_EQ(m_Device->CaptureFrame(&m_Frame), GFX_OK);
    EXPECT_EQ(m_Frame.Width, 32u);
    EXPECT_EQ(m_Frame.Height, 16u);
    ExpectPixel(31, 15, {16, 32, 48}, 0);
    m_Device->BeginScene();
}

TEST_F(GLDeviceTest, EveryEngineVertexFormatFeedsItsAttributes)
{
    // Two texels, black then white: only the texture-coordinate set the stage names reaches the white one.
    const uint32_t texels[2] = {0xFF000000, 0xFFFFFFFF};
    GfxTexture* texture = MakeTexture(2, 1, FMT_A8R8G8B8, texels, 4);
    m_Device->SetSamplerState(0, SAMP_ADDRESSU, TADDRESS_CLAMP);
    m_Device->SetRenderState(RS_CULLMODE, CULL_NONE);
    const uint32_t formats[] = {0x002, 0x012, 0x042, 0x044, 0x052, 0x102, 0x112, 0x142, 0x144, 0x152, 0x202,
                                0x212, 0x242, 0x252, 0x302, 0x312, 0x342, 0x352, 0x402, 0x412, 0x442, 0x452};
    for (uint32_t fvf : formats)
    {
        SCOPED_TRACE(fvf);
        const bool transformed = (fvf & FVF_POSITION_MASK) == FVF_XYZRHW;
        const uint32_t sets = (fvf & FVF_TEXCOUNT_MASK) >> FVF_TEXCOUNT_SHIFT;
        const uint32_t stride = GfxFormatInfo::FvfStride(fvf);
        m_Device->SetTexture(0, sets ? texture : nullptr);
        m_Device->SetTextureStageState(0, TSS_TEXCOORDINDEX, sets ? sets - 1 : 0);
        std::vector<uint8_t> bytes;
        const float corners[4][2] = {{-1, 1}, {1, 1}, {-1, -1}, {1, -1}};
        for (const auto& corner : corners)
        {
            std::vector<float> floats;
            if (transformed)
                floats = {(corner[0] + 1) * 32 - 0.5f, (1 - corner[1]) * 32 - 0.5f, 0.5f, 1.0f};
            else
                floats = {corner[0], corner[1], 0.5f};
            if (fvf & FVF_NORMAL)
                floats.insert(floats.end(), {0, 0, -1});
            auto append = [&](const void* data, size_t size)
            {
                const auto* p = static_cast<const uint8_t*>(data);
                bytes.insert(bytes.end(), p, p + size);
            };
            append(floats.data(), floats.size() * 4);
            if (fvf & FVF_DIFFUSE)
            {
                const uint32_t green = 0xFF00FF00;
                append(&green, 4);
            }
            for (uint32_t set = 0; set < sets; ++set)
            {
                const float uv[2] = {set == sets - 1 ? 0.75f : 0.25f, 0.5f};
                append(uv, 8);
            }
        }
        ASSERT_EQ(bytes.size(), stride * 4u);
        m_Device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF800000, 1.0f, 0);
        DrawBytes(fvf, PT_TRIANGLESTRIP, bytes, stride, 2);
        Show();
        ExpectPixel(32, 32, (fvf & FVF_DIFFUSE) ? Rgb{0, 255, 0} : Rgb{255, 255, 255});
    }
}

TEST_F(GLDeviceTest, SpotLightAndColourMaterialSources)
{
    m_Device->SetRenderState(RS_LIGHTING, 1);
    Material material;
    material.Diffuse = {1, 1, 1, 1};
    m_Device->SetMaterial(&material);
    struct Vertex
    {
        float x, y, z, nx, ny, nz;
        uint32_t color;
    };
    const uint32_t fvf = FVF_XYZ | FVF_NORMAL | FVF_DIFFUSE;
    auto fan = [](uint32_t color)
    {
        return std::vector<Vertex>{{0, 0, 0.5f, 0, 0, -1, color},   {-1, 1, 0.5f, 0, 0, -1, color},
                                   {1, 1, 0.5f, 0, 0, -1, color},   {1, -1, 0.5f, 0, 0, -1, color},
                                   {-1, -1, 0.5f, 0, 0, -1, color}, {-1, 1, 0.5f, 0, 0, -1, color}};
    };

    // A narrow spot straight at the centre lights the centre vertex only.
    Light spot;
    spot.Type = LIGHT_SPOT;
    spot.Diffuse = {1, 1, 1, 1};
    spot.Position = Vector3(0, 0, -1);
    spot.Direction = Vector3(0, 0, 1);
    spot.Range = 100.0f;
    spot.Attenuation0 = 1.0f;
    spot.Theta = 0.2f;
    spot.Phi = 0.4f;
    spot.Falloff = 1.0f;
    m_Device->SetLight(0, &spot);
    m_Device->LightEnable(0, true);
    m_Device->SetRenderState(RS_DIFFUSEMATERIALSOURCE, MCS_MATERIAL);
    Draw(fvf, PT_TRIANGLEFAN, fan(0xFFFF0000), 4);
    Show();
    EXPECT_GT(Pixel(32, 32).g, 200);
    EXPECT_LT(Pixel(1, 1).g, 20);

    // Diffuse from the vertex colour: the red vertices light red; from the material: white.
    Light sun;
    sun.Type = LIGHT_DIRECTIONAL;
    sun.Diffuse = {1, 1, 1, 1};
    sun.Direction = Vector3(0, 0, 1);
    m_Device->SetLight(0, &sun);
    m_Device->SetRenderState(RS_DIFFUSEMATERIALSOURCE, MCS_COLOR1);
    Draw(fvf, PT_TRIANGLEFAN, fan(0xFFFF0000), 4);
    Show();
    ExpectPixel(32, 32, {255, 0, 0});
    m_Device->SetRenderState(RS_DIFFUSEMATERIALSOURCE, MCS_MATERIAL);
    Draw(fvf, PT_TRIANGLEFAN, fan(0xFFFF0000), 4);
    Show();
    ExpectPixel(32, 32, {255, 255, 255});

    // Scene ambient lights the material's ambient colour with no light at all.
    m_Device->LightEnable(0, false);
    material.Ambient = {0.5f, 0.5f, 0.5f, 1};
    m_Device->SetMaterial(&material);
    m_Device->SetRenderState(RS_AMBIENT, 0xFF808080);
    Draw(fvf, PT_TRIANGLEFAN, fan(0xFFFF0000), 4);
    Show();
    ExpectPixel(32, 32, {64, 64, 64}, 3);
}

TEST_F(GLDeviceTest, StencilMasksLaterDraws)
{
    m_Device->Clear(0, nullptr, CLEAR_STENCIL, 0, 1.0f, 0);
    m_Device->SetRenderState(RS_STENCILENABLE, 1);
    m_Device->SetRenderState(RS_STENCILFUNC, CMP_ALWAYS);
    m_Device->SetRenderState(RS_STENCILREF, 1);
    m_Device->SetRenderState(RS_STENCILPASS, STENCILOP_REPLACE);
    m_Device->SetRenderState(RS_COLORWRITEENABLE, 0);
    DrawPixelQuad(0, 0, 32, 64, 0xFFFFFFFF);
    m_Device->SetRenderState(RS_COLORWRITEENABLE, 0xF);
    m_Device->SetRenderState(RS_STENCILFUNC, CMP_EQUAL);
    m_Device->SetRenderState(RS_STENCILPASS, STENCILOP_KEEP);
    DrawPixelQuad(0, 0, 64, 64, 0xFF00FF00);
    Show();
    ExpectPixel(10, 32, {0, 255, 0});
    ExpectPixel(50, 32, {0, 0, 0});
}

TEST_F(GLDeviceTest, ProjectedQuadFollowsTheHalfPixelRuleToo)
{
    // A pixel-sized orthographic projection: as on D3D9, corners at half-pixel offsets map texels 1:1.
    Matrix projection;
    MatrixOrthoOffCenterLH(&projection, 0.0f, 64.0f, 64.0f, 0.0f, 0.0f, 1.0f);
    m_Device->SetTransform(TS_PROJECTION, &projection);
    m_Device->SetRenderState(RS_CULLMODE, CULL_NONE);
    uint32_t texels[4];
    for (uint32_t i = 0; i < 4; ++i)
        texels[i] = 0xFF000000 | (i * 80) << 16 | (240 - i * 80) << 8;
    m_Device->SetTexture(0, MakeTexture(2, 2, FMT_X8R8G8B8, texels, 4));
    m_Device->SetSamplerState(0, SAMP_MINFILTER, TEXF_LINEAR);
    m_Device->SetSamplerState(0, SAMP_MAGFILTER, TEXF_LINEAR);
    struct Vertex
    {
        float x, y, z;
        uint32_t color;
        float u, v;
    };
    const std::vector<Vertex> quad = {{19.5f, 29.5f, 0.5f, 0xFFFFFFFF, 0, 0},
                                      {21.5f, 29.5f, 0.5f, 0xFFFFFFFF, 1, 0},
                                      {19.5f, 31.5f, 0.5f, 0xFFFFFFFF, 0, 1},
                                      {21.5f, 31.5f, 0.5f, 0xFFFFFFFF, 1, 1}};
    Draw(FVF_XYZ | FVF_DIFFUSE | FVF_TEX1, PT_TRIANGLESTRIP, quad, 2);
    Show();
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 2; ++x)
        {
            const uint32_t t = texels[y * 2 + x];
            ExpectPixel(20 + x, 30 + y, {int(t >> 16 & 0xFF), int(t >> 8 & 0xFF), 0}, 1);
        }
    ExpectPixel(19, 30, {0, 0, 0}, 0);
    ExpectPixel(22, 31, {0, 0, 0}, 0);
    ExpectPixel(20, 32, {0, 0, 0}, 0);
}

namespace
{

// Two pixel quads in one buffer: vertices 0-3 cover the left half red, 4-7 the right half green.
std::vector<PretransformedVertex> TwoHalves()
{
    std::vector<PretransformedVertex> vertices;
    const uint32_t colors[2] = {0xFFFF0000, 0xFF00FF00};
    for (int half = 0; half < 2; ++half)
    {
        const float x0 = half * 32.0f - 0.5f, x1 = x0 + 32.0f;
        vertices.push_back({x0, -0.5f, 0.5f, 1, colors[half], 0, 0});
        vertices.push_back({x1, -0.5f, 0.5f, 1, colors[half], 1, 0});
        vertices.push_back({x0, 63.5f, 0.5f, 1, colors[half], 0, 1});
        vertices.push_back({x1, 63.5f, 0.5f, 1, colors[half], 1, 1});
    }
    return vertices;
}

} // namespace

TEST_F(GLDeviceTest, IndexedDrawsStartAtTheirBaseVertexInEveryPool)
{
    const std::vector<PretransformedVertex> vertices = TwoHalves();
    const uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
    for (const uint32_t pool : {POOL_MANAGED, POOL_DEFAULT, POOL_SYSTEMMEM})
    {
        SCOPED_TRACE(pool);
        GfxVertexBuffer* buffer = nullptr;
        GfxIndexBuffer* indexBuffer = nullptr;
        const uint32_t bytes = static_cast<uint32_t>(vertices.size() * sizeof(PretransformedVertex));
        ASSERT_EQ(m_Device->CreateVertexBuffer(bytes, USAGE_WRITEONLY, kPretransformedFvf, pool, &buffer),
                  GFX_OK);
        ASSERT_EQ(
            m_Device->CreateIndexBuffer(sizeof indices, USAGE_WRITEONLY, FMT_INDEX16, pool, &indexBuffer),
            GFX_OK);
        m_Owned.push_back(buffer);
        m_Owned.push_back(indexBuffer);
        // System memory draws straight from the CPU copy; the other pools keep a GL buffer.
        EXPECT_EQ(dynamic_cast<MemoryVertexBuffer*>(buffer)->DeviceName() == 0, pool == POOL_SYSTEMMEM);
        void* data = nullptr;
        ASSERT_EQ(buffer->Lock(0, 0, &data, 0), GFX_OK);
        std::memcpy(data, vertices.data(), bytes);
        buffer->Unlock();
        ASSERT_EQ(indexBuffer->Lock(0, 0, &data, 0), GFX_OK);
        std::memcpy(data, indices, sizeof indices);
        indexBuffer->Unlock();

        m_Device->Clear(0, nullptr, CLEAR_TARGET, 0xFF000000, 1.0f, 0);
        m_Device->SetFVF(kPretransformedFvf);
        m_Device->SetStreamSource(0, buffer, 0, sizeof(PretransformedVertex));
        m_Device->SetIndices(indexBuffer);
        EXPECT_EQ(m_Device->DrawIndexedPrimitive(PT_TRIANGLELIST, 4, 0, 4, 0, 2), GFX_OK);
        Show();
        ExpectPixel(10, 10, {0, 0, 0});
        ExpectPixel(50, 10, {0, 255, 0});
        // Drawn again in the next frame, from the GL copy where there is one.
        m_Device->Clear(0, nullptr, CLEAR_TARGET, 0xFF000000, 1.0f, 0);
        EXPECT_EQ(m_Device->DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 0, 4, 0, 2), GFX_OK);
        EXPECT_EQ(m_Device->DrawIndexedPrimitive(PT_TRIANGLELIST, 4, 0, 4, 0, 2), GFX_OK);
        Show();
        ExpectPixel(10, 10, {255, 0, 0});
        ExpectPixel(50, 10, {0, 255, 0});
    }
}

TEST_F(GLDeviceTest, ABufferRewrittenBetweenDrawsShowsEachWriteThenAndInLaterFrames)
{
    const std::vector<PretransformedVertex> halves = TwoHalves();
    GfxVertexBuffer* buffer = nullptr;
    ASSERT_EQ(m_Device->CreateVertexBuffer(4 * sizeof(PretransformedVertex), USAGE_WRITEONLY | USAGE_DYNAMIC,
                                           kPretransformedFvf, POOL_DEFAULT, &buffer),
              GFX_OK);
    m_Owned.push_back(buffer);
    // One quad's four vertices: the left or right half, in one colour.
    auto write = [&](int half, uint32_t color)
    {
        std::vector<PretransformedVertex> quad(halves.begin() + half * 4, halves.begin() + half * 4 + 4);
        for (PretransformedVertex& vertex : quad)
            vertex.color = color;
        void* data = nullptr;
        ASSERT_EQ(buffer->Lock(0, 0, &data, 0), GFX_OK);
        std::memcpy(data, quad.data(), 4 * sizeof(PretransformedVertex));
        buffer->Unlock();
    };
    m_Device->SetFVF(kPretransformedFvf);
    m_Device->SetStreamSource(0, buffer, 0, sizeof(PretransformedVertex));
    write(0, 0xFF0000FF);
    EXPECT_EQ(m_Device->DrawPrimitive(PT_TRIANGLESTRIP, 0, 2), GFX_OK);
    write(1, 0xFFFFFFFF);
    EXPECT_EQ(m_Device->DrawPrimitive(PT_TRIANGLESTRIP, 0, 2), GFX_OK);
    Show();
    ExpectPixel(10, 10, {0, 0, 255});
    ExpectPixel(50, 10, {255, 255, 255});

    m_Device->Clear(0, nullptr, CLEAR_TARGET, 0xFF000000, 1.0f, 0);
    EXPECT_EQ(m_Device->DrawPrimitive(PT_TRIANGLESTRIP, 0, 2), GFX_OK);
    Show();
    ExpectPixel(10, 10, {0, 0, 0});
    ExpectPixel(50, 10, {255, 255, 255});
}

// The device gives GL only what changed since the last draw, and gives everything again after Clear and
// Present; a viewport set behind its back shows which.
TEST_F(GLDeviceTest, ARepeatedDrawSendsOnlyWhatChangedUntilClearOrPresent)
{
    enum Step
    {
        kNothing,
        kClear,
        kPresent
    };
    const struct
    {
        Step step;
        bool rightHalfRedrawn;
    } cases[] = {{kNothing, false}, {kClear, true}, {kPresent, true}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.step);
        m_Device->Clear(0, nullptr, CLEAR_TARGET, 0xFF000000, 1.0f, 0);
        DrawPixelQuad(0, 0, 64, 64, 0xFFFF0000);
        glViewport(0, 0, 32, 64);
        if (c.step == kClear)
            m_Device->Clear(0, nullptr, CLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
        if (c.step == kPresent)
        {
            m_Device->EndScene();
            m_Device->Present();
            m_Device->BeginScene();
        }
        DrawPixelQuad(0, 0, 64, 64, 0xFF00FF00);
        Show();
        ExpectPixel(10, 10, {0, 255, 0});
        ExpectPixel(50, 10, c.rightHalfRedrawn ? Rgb{0, 255, 0} : Rgb{255, 0, 0});
    }
}

// Transforms set between draws of one frame, to other values and back again, place each draw where its own
// transforms put it, although GL is only told of the ones that changed.
TEST_F(GLDeviceTest, TransformsChangedBetweenDrawsPlaceEachDraw)
{
    Matrix projection;
    MatrixPerspectiveFovLH(&projection, 3.14159265f / 2.0f, 1.0f, 1.0f, 100.0f);
    m_Device->SetTransform(TS_PROJECTION, &projection);
    m_Device->SetRenderState(RS_CULLMODE, CULL_NONE);
    const struct
    {
        float worldX;
        float eyeY;
        uint32_t colour;
        uint32_t x, y;
    } draws[] = {
        {1.0f, 0.0f, 0xFF00FF00, 47, 31}, {-1.0f, 0.0f, 0xFFFF0000, 16, 31}, {1.0f, 1.0f, 0xFF0000FF, 47, 47},
        {1.0f, 1.0f, 0xFFFFFF00, 47, 47}, {1.0f, -1.0f, 0xFF00FFFF, 47, 16},
    };
    for (const auto& d : draws)
    {
        Matrix view, world;
        const Vector3 eye(0, d.eyeY, -2), at(0, d.eyeY, 0), up(0, 1, 0);
        MatrixLookAtLH(&view, &eye, &at, &up);
        MatrixTranslation(&world, d.worldX, 0, 0);
        m_Device->SetTransform(TS_VIEW, &view);
        m_Device->SetTransform(TS_WORLD, &world);
        const std::vector<ColorVertex> triangle = {
            {-0.1f, 0.1f, 0, d.colour}, {0.1f, 0.1f, 0, d.colour}, {-0.1f, -0.1f, 0, d.colour}};
        Draw(kColorFvf, PT_TRIANGLELIST, triangle, 1);
    }
    Show();
    ExpectPixel(47, 31, {0, 255, 0});
    ExpectPixel(16, 31, {255, 0, 0});
    // The draw with the same transforms as the one before lies over it.
    ExpectPixel(47, 47, {255, 255, 0});
    ExpectPixel(47, 16, {0, 255, 255});
    ExpectPixel(32, 31, {0, 0, 0});
}
