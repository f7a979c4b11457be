#include "platform/gfx/GLDirect3D.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxEffect.h"
#include "platform/gfx/GfxTexture.h"
#include "platform/gfx/GfxVertexBuffer.h"
#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector4.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace platform;

namespace
{

constexpr uint32_t kSize = 32;

struct PlainVertex
{
    float x, y, z;
    uint32_t color;
    float u, v;
};
constexpr uint32_t kPlainFvf = FVF_XYZ | FVF_DIFFUSE | FVF_TEX1;

// Tints the texture; the matrix places the geometry.
const char* const kTinted =
    "technique Tinted\n"
    "pass P\n"
    "renderstate 137 0\n" // lighting off
    "vertexshader\n"
    "#version 120\n"
    "uniform mat4 placement;\n"
    "void main() {\n"
    "    gl_Position = placement * gl_Vertex;\n"
    "    gl_TexCoord[0] = gl_MultiTexCoord0;\n"
    "}\n"
    "endshader\n"
    "fragmentshader\n"
    "#version 120\n"
    "uniform sampler2D image;\n"
    "uniform vec4 tint;\n"
    "uniform float strength;\n"
    "void main() { gl_FragColor = texture2D(image, gl_TexCoord[0].xy) * tint * strength; }\n"
    "endshader\n";

// Effects compiled and drawn through the OpenGL back end on Mesa's surfaceless EGL display.
class GfxEffectGLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Direct3D = new GLDirect3D(true);
        ASSERT_TRUE(m_Direct3D->IsAvailable()) << "no EGL surfaceless OpenGL context";
        PresentParameters parameters;
        parameters.BackBufferWidth = kSize;
        parameters.BackBufferHeight = kSize;
        parameters.BackBufferFormat = FMT_X8R8G8B8;
        parameters.Windowed = true;
        parameters.SwapEffect = SWAPEFFECT_DISCARD;
        ASSERT_EQ(m_Direct3D->CreateDevice(0, DEVTYPE_HAL, nullptr, CREATE_HARDWARE_VERTEXPROCESSING,
                                           &parameters, &m_Device),
                  GFX_OK);
    }

    void TearDown() override
    {
        if (m_Device)
        {
            EXPECT_EQ(m_Device->Release(), 0u);
        }
        m_Direct3D->Release();
    }

    GfxEffect* Make(const std::string& text, std::string* errors = nullptr)
    {
        EffectFile file;
        std::string error;
        EXPECT_TRUE(file.Parse(text, error)) << error;
        GfxEffect* effect = nullptr;
        GfxEffect::Create(m_Device, file, &effect, errors);
        return effect;
    }

    // The captured pixel as 0xRRGGBB.
    uint32_t Pixel(const FrameCapture& frame, uint32_t x, uint32_t y) const
    {
        const uint8_t* p = &frame.Rows[(size_t(y) * frame.Width + x) * 3];
        return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }

    GLDirect3D* m_Direct3D = nullptr;
    GfxDevice* m_Device = nullptr;
};

TEST_F(GfxEffectGLTest, ParametersByNameReachTheProgram)
{
    GfxEffect* effect = Make(kTinted);
    ASSERT_NE(effect, nullptr);
    GfxTexture* texture = nullptr;
    ASSERT_EQ(m_Device->CreateTexture(1, 1, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &texture), GFX_OK);
    LockedRect locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), GFX_OK);
    const uint32_t grey = 0xFFC8C8C8;
    std::memcpy(locked.Bits, &grey, 4);
    texture->UnlockRect(0);

    // Scaled to half size and moved right by a quarter of the screen: p' = p * M with row vectors.
    Matrix placement;
    MatrixIdentity(&placement);
    placement.m[0][0] = 0.5f;
    placement.m[1][1] = 0.5f;
    placement.m[3][0] = 0.5f;
    ASSERT_EQ(effect->SetMatrix("placement", placement), GFX_OK);
    ASSERT_EQ(effect->SetVector("tint", Vector4(1.0f, 0.5f, 0.0f, 1.0f)), GFX_OK);
    ASSERT_EQ(effect->SetFloat("strength", 1.0f), GFX_OK);
    ASSERT_EQ(effect->SetTexture("image", texture), GFX_OK);

    const PlainVertex quad[4] = {{-1, 1, 0.5f, 0xFFFFFFFF, 0, 0},
                                 {1, 1, 0.5f, 0xFFFFFFFF, 1, 0},
                                 {-1, -1, 0.5f, 0xFFFFFFFF, 0, 1},
                                 {1, -1, 0.5f, 0xFFFFFFFF, 1, 1}};
    GfxVertexBuffer* buffer = nullptr;
    ASSERT_EQ(m_Device->CreateVertexBuffer(sizeof(quad), USAGE_WRITEONLY, kPlainFvf, POOL_MANAGED, &buffer),
              GFX_OK);
    void* data = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &data, 0), GFX_OK);
    std::memcpy(data, quad, sizeof(quad));
    buffer->Unlock();

    ASSERT_EQ(m_Device->Clear(0, nullptr, CLEAR_TARGET, 0xFF000000, 1.0f, 0), GFX_OK);
    ASSERT_EQ(m_Device->BeginScene(), GFX_OK);
    m_Device->SetRenderState(RS_ZENABLE, 0);
    m_Device->SetRenderState(RS_CULLMODE, CULL_NONE);
    m_Device->SetFVF(kPlainFvf);
    m_Device->SetStreamSource(0, buffer, 0, sizeof(PlainVertex));
    uint32_t passes = 0;
    ASSERT_EQ(effect->Begin(&passes, 0), GFX_OK);
    ASSERT_EQ(passes, 1u);
    ASSERT_EQ(effect->BeginPass(0), GFX_OK);
    EXPECT_EQ(m_Device->DrawPrimitive(PT_TRIANGLESTRIP, 0, 2), GFX_OK);
    ASSERT_EQ(effect->EndPass(), GFX_OK);
    ASSERT_EQ(effect->End(), GFX_OK);
    ASSERT_EQ(m_Device->EndScene(), GFX_OK);
    ASSERT_EQ(m_Device->Present(), GFX_OK);
    FrameCapture frame;
    ASSERT_EQ(m_Device->CaptureFrame(&frame), GFX_OK);

    // The quad covers x 0.5..1.0 of clip space horizontally, i.e. pixels 16..31 across, 8..23 down.
    const uint32_t tinted = Pixel(frame, 24, 16);
    EXPECT_NEAR(int(tinted >> 16), 200, 2);
    EXPECT_NEAR(int(tinted >> 8 & 0xFF), 100, 2);
    EXPECT_EQ(tinted & 0xFF, 0u);
    EXPECT_EQ(Pixel(frame, 8, 16), 0u);
    EXPECT_EQ(Pixel(frame, 24, 4), 0u);

    buffer->Release();
    effect->Release();
    texture->Release();
}

// Red from the first sampler, green from the second.
const char* const kTwoSamplers =
    "technique Two\n"
    "pass P\n"
    "renderstate 137 0\n"
    "vertexshader\n"
    "#version 120\n"
    "void main() { gl_Position = gl_Vertex; gl_TexCoord[0] = gl_MultiTexCoord0; }\n"
    "endshader\n"
    "fragmentshader\n"
    "#version 120\n"
    "uniform sampler2D first;\n"
    "uniform sampler2D second;\n"
    "void main() {\n"
    "    gl_FragColor = vec4(texture2D(first, gl_TexCoord[0].xy).r, texture2D(second, gl_TexCoord[0].xy).g,\n"
    "                        0.0, 1.0);\n"
    "}\n"
    "endshader\n";

// A program reads every unit it was given a texture on, whatever the fixed-function stages were left
// saying (a later stage is disabled by default); afterwards the fixed-function draws ignore the units of
// their disabled stages again.
TEST_F(GfxEffectGLTest, ProgramsSampleEveryUnitWhateverTheStagesSay)
{
    GfxEffect* effect = Make(kTwoSamplers);
    ASSERT_NE(effect, nullptr);
    GfxTexture* textures[2] = {};
    const uint32_t texels[2] = {0xFFC80000, 0xFF00C800};
    for (int i = 0; i < 2; ++i)
    {
        ASSERT_EQ(m_Device->CreateTexture(1, 1, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &textures[i]), GFX_OK);
        LockedRect locked;
        ASSERT_EQ(textures[i]->LockRect(0, &locked, nullptr, 0), GFX_OK);
        std::memcpy(locked.Bits, &texels[i], 4);
        textures[i]->UnlockRect(0);
    }
    ASSERT_EQ(effect->SetTexture("first", textures[0]), GFX_OK);
    ASSERT_EQ(effect->SetTexture("second", textures[1]), GFX_OK);
    const PlainVertex quad[4] = {{-1, 1, 0.5f, 0xFFFFFFFF, 0, 0},
                                 {1, 1, 0.5f, 0xFFFFFFFF, 1, 0},
                                 {-1, -1, 0.5f, 0xFFFFFFFF, 0, 1},
                                 {1, -1, 0.5f, 0xFFFFFFFF, 1, 1}};
    GfxVertexBuffer* buffer = nullptr;
    ASSERT_EQ(m_Device->CreateVertexBuffer(sizeof(quad), USAGE_WRITEONLY, kPlainFvf, POOL_MANAGED, &buffer),
              GFX_OK);
    void* data = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &data, 0), GFX_OK);
    std::memcpy(data, quad, sizeof(quad));
    buffer->Unlock();

    const auto draw = [&](GfxEffect* with)
    {
        FrameCapture frame;
        EXPECT_EQ(m_Device->Clear(0, nullptr, CLEAR_TARGET, 0xFF000000, 1.0f, 0), GFX_OK);
        EXPECT_EQ(m_Device->BeginScene(), GFX_OK);
        m_Device->SetRenderState(RS_ZENABLE, 0);
        m_Device->SetRenderState(RS_CULLMODE, CULL_NONE);
        m_Device->SetRenderState(RS_LIGHTING, 0);
        m_Device->SetFVF(kPlainFvf);
        m_Device->SetStreamSource(0, buffer, 0, sizeof(PlainVertex));
        uint32_t passes = 1;
        if (with)
        {
            EXPECT_EQ(with->Begin(&passes, 0), GFX_OK);
            EXPECT_EQ(with->BeginPass(0), GFX_OK);
        }
        EXPECT_EQ(m_Device->DrawPrimitive(PT_TRIANGLESTRIP, 0, 2), GFX_OK);
        if (with)
        {
            EXPECT_EQ(with->EndPass(), GFX_OK);
            EXPECT_EQ(with->End(), GFX_OK);
        }
        EXPECT_EQ(m_Device->EndScene(), GFX_OK);
        EXPECT_EQ(m_Device->Present(), GFX_OK);
        EXPECT_EQ(m_Device->CaptureFrame(&frame), GFX_OK);
        return Pixel(frame, kSize / 2, kSize / 2);
    };
    const struct
    {
        uint32_t first, second;
    } stages[] = {{TOP_MODULATE, TOP_DISABLE}, {TOP_MODULATE, TOP_MODULATE}, {TOP_DISABLE, TOP_DISABLE}};
    for (const auto& c : stages)
    {
        SCOPED_TRACE(testing::Message() << "stage operations " << c.first << ", " << c.second);
        m_Device->SetTextureStageState(0, TSS_COLOROP, c.first);
        m_Device->SetTextureStageState(1, TSS_COLOROP, c.second);
        const uint32_t pixel = draw(effect);
        EXPECT_NEAR(int(pixel >> 16), 200, 2);
        EXPECT_NEAR(int(pixel >> 8 & 0xFF), 200, 2);
        EXPECT_EQ(pixel & 0xFF, 0u);
    }
    // Without the program, stage 1 disabled: the second texture stays out of the colour.
    m_Device->SetTexture(0, textures[0]);
    m_Device->SetTexture(1, textures[1]);
    m_Device->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
    m_Device->SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
    m_Device->SetTextureStageState(1, TSS_COLOROP, TOP_DISABLE);
    const uint32_t fixed = draw(nullptr);
    EXPECT_NEAR(int(fixed >> 16), 200, 2);
    EXPECT_EQ(fixed & 0xFFFF, 0u);

    m_Device->SetTexture(0, nullptr);
    m_Device->SetTexture(1, nullptr);
    buffer->Release();
    effect->Release();
    for (GfxTexture* texture : textures)
        texture->Release();
}

TEST_F(GfxEffectGLTest, CompileErrorIsReportedAndGivesNoEffect)
{
    testsupport::DebugCapture capture;
    const std::string broken = "technique T\n"
                               "pass Broken\n"
                               "fragmentshader\n"
                               "#version 120\n"
                               "void main() { gl_FragColor = undeclared; }\n"
                               "endshader\n";
    std::string errors;
    EXPECT_EQ(Make(broken, &errors), nullptr);
    EXPECT_NE(errors.find("pass Broken: fragment shader"), std::string::npos) << errors;

    // Through a file, the compiler's complaint reaches the debugger output.
    EffectFile file;
    std::string error;
    ASSERT_TRUE(file.Parse(broken, error));
    GfxEffect* effect = nullptr;
    testsupport::TempDir dir;
    EXPECT_TRUE(
        GfxFailed(GfxEffect::CreateFromFile(m_Device, dir.Write("broken.fx", broken), &effect, nullptr)));
    EXPECT_EQ(effect, nullptr);
    EXPECT_TRUE(capture.Contains("[GfxEffect::CreateFromFile]"));
    EXPECT_TRUE(capture.Contains("undeclared"));
}

} // namespace
