#include "engine/render/kaStateCache.h"

#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include "engine/render/kaVertexBuffer.h"
#include "engine/render/kaVertexTypes.h"

#include "platform/gfx/GfxTexture.h"
#include "platform/gfx/GfxVertexBuffer.h"

#include <cstring>

using namespace platform;

namespace
{

const char* const kDefaultConfig = "[Begin Graphics Config]\n[End Graphics Config]\n";

class StateCacheTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start(kDefaultConfig));
        Device()->ClearLog();
    }
};

TEST(StateCacheTableTest, ResetHoldsTheDeviceDefaults)
{
    kaStateCache cache;
    cache.Reset(1);
    EXPECT_EQ(*cache.FindRenderState(RS_ZENABLE), 1u);
    EXPECT_EQ(*cache.FindRenderState(RS_CULLMODE), uint32_t(CULL_CCW));
    EXPECT_EQ(*cache.FindRenderState(RS_STENCILWRITEMASK), 0xFFFFFFFFu);
    EXPECT_EQ(*cache.FindRenderState(RS_POINTSIZE), 1u);
    EXPECT_EQ(*cache.FindRenderState(RS_AMBIENT), 0u);
    EXPECT_EQ(*cache.FindTextureStageState(0, TSS_COLOROP), uint32_t(TOP_MODULATE));
    EXPECT_EQ(*cache.FindTextureStageState(2, TSS_COLOROP), uint32_t(TOP_DISABLE));
    EXPECT_EQ(*cache.FindTextureStageState(3, TSS_TEXCOORDINDEX), 3u);
    EXPECT_EQ(*cache.FindSamplerState(0, SAMP_MINFILTER), uint32_t(TEXF_POINT));
    cache.Reset(0);
    EXPECT_EQ(*cache.FindRenderState(RS_ZENABLE), 0u);

    EXPECT_EQ(cache.FindRenderState(209), nullptr);
    EXPECT_EQ(cache.FindTextureStageState(4, TSS_COLOROP), nullptr);
    EXPECT_EQ(cache.FindTextureStageState(0, 32), nullptr);
    EXPECT_EQ(cache.FindSamplerState(1, SAMP_MINFILTER), nullptr);
    EXPECT_EQ(cache.FindSamplerState(0, 13), nullptr);
}

TEST_F(StateCacheTest, OneDeviceCallPerNewValue)
{
    EXPECT_TRUE(m_Manager->SetRenderState(RS_FOGENABLE, 1));
    EXPECT_TRUE(m_Manager->SetRenderState(RS_FOGENABLE, 1));
    EXPECT_TRUE(m_Manager->SetRenderState(RS_CULLMODE, CULL_CCW)); // the reset table's value
    EXPECT_TRUE(m_Manager->SetTextureStageState(1, TSS_COLOROP, TOP_DISABLE));
    EXPECT_TRUE(m_Manager->SetTextureStageState(1, TSS_COLOROP, TOP_MODULATE));
    EXPECT_TRUE(m_Manager->SetSamplerState(0, SAMP_MAGFILTER, TEXF_LINEAR));
    EXPECT_TRUE(m_Manager->SetSamplerState(0, SAMP_MAGFILTER, TEXF_LINEAR));
    EXPECT_EQ(CallsOf("SetRenderState"), (std::vector<std::string>{"28 1"}));
    EXPECT_EQ(CallsOf("SetTextureStageState"), (std::vector<std::string>{"1 1 4"}));
    EXPECT_EQ(CallsOf("SetSamplerState"), (std::vector<std::string>{"0 5 2"}));

    m_Manager->ResetStateCache();
    m_Manager->SetRenderState(RS_FOGENABLE, 0);
    m_Manager->SetRenderState(RS_LIGHTING, 0);
    EXPECT_EQ(CallsOf("SetRenderState"), (std::vector<std::string>{"28 1", "137 0"}));
    // A device failure is reported.
    Device()->FailNext("SetRenderState", GFXERR_INVALIDCALL);
    EXPECT_FALSE(m_Manager->SetRenderState(RS_FOGENABLE, 1));
}

TEST_F(StateCacheTest, StatesOutsideTheCacheAlwaysReachTheDevice)
{
    for (int i = 0; i < 2; ++i)
    {
        m_Manager->SetRenderState(209, 1);
        m_Manager->SetRenderState(0xFFFFFFFF, 1);
        m_Manager->SetTextureStageState(4, TSS_COLOROP, TOP_MODULATE);
        m_Manager->SetTextureStageState(0, TSS_CONSTANT, 1);
        m_Manager->SetSamplerState(1, SAMP_MAGFILTER, TEXF_POINT);
        m_Manager->SetSamplerState(0, SAMP_DMAPOFFSET, 0);
    }
    EXPECT_EQ(CallsOf("SetRenderState").size(), 4u);
    EXPECT_EQ(CallsOf("SetTextureStageState").size(), 4u);
    EXPECT_EQ(CallsOf("SetSamplerState").size(), 4u);
}

TEST_F(StateCacheTest, AmbientComponentsAreClampedAndRounded)
{
    m_Manager->SetAmbientColor(2.0f, -1.0f, 0.5f, 1.0f);
    EXPECT_EQ(CallsOf("SetRenderState"), (std::vector<std::string>{"139 " + std::to_string(0xFFFF0080u)}));
    EXPECT_EQ(kaGraphicsManager::ToColor(0.15f, 0.15f, 0.15f, 1.0f), 0xFF262626u);
}

TEST_F(StateCacheTest, DepthTestFollowsTheDepthMode)
{
    m_Manager->SetZBufferEnable(false);
    m_Manager->SetZBufferEnable(false);
    m_Manager->SetZBufferEnable(true);
    m_Manager->SetDepthMode(2);
    m_Manager->SetZBufferEnable(true);
    m_Manager->SetDepthMode(0);
    m_Manager->SetZBufferEnable(true);
    EXPECT_EQ(CallsOf("SetRenderState"), (std::vector<std::string>{"7 0", "7 1", "7 2", "7 0"}));

    Device()->ClearLog();
    m_Manager->ResetStateCache();
    m_Manager->SetZBufferEnable(true);
    EXPECT_TRUE(CallsOf("SetRenderState").empty());
}

TEST_F(StateCacheTest, TexturesAreCachedPerStage)
{
    GfxTexture* texture = nullptr;
    ASSERT_EQ(Device()->CreateTexture(4, 4, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &texture), GFX_OK);
    Device()->ClearLog();
    m_Manager->SetTexture(0, texture);
    m_Manager->SetTexture(1, texture);
    m_Manager->SetTexture(0, texture);
    m_Manager->SetTexture(0, nullptr);
    EXPECT_EQ(CallsOf("SetTexture").size(), 3u);
    GfxBaseTexture* bound = nullptr;
    Device()->GetTexture(1, &bound);
    EXPECT_EQ(bound, texture);

    // Once forgotten, setting the same address again reaches the device.
    Device()->ClearLog();
    m_Manager->SetTexture(2, texture);
    m_Manager->ForgetTexture(texture);
    m_Manager->SetTexture(2, texture);
    m_Manager->SetTexture(1, texture);
    EXPECT_EQ(CallsOf("SetTexture").size(), 3u);
    texture->Release();
}

TEST_F(StateCacheTest, VertexFormatClearsTheShader)
{
    m_Manager->SetFVF(0x142);
    ASSERT_EQ(Device()->Calls().size(), 2u);
    EXPECT_EQ(Device()->Calls()[0].Method, "SetVertexShader");
    EXPECT_EQ(Device()->Calls()[1].Args, "0x142");
}

class StateCacheLateDeviceTest : public GraphicsManagerFixture
{
};

TEST_F(StateCacheLateDeviceTest, ValuesSetBeforeTheDeviceStillReachIt)
{
    m_Manager = std::make_unique<kaGraphicsManager>();
    EXPECT_FALSE(m_Manager->SetRenderState(RS_FOGENABLE, 1));
    EXPECT_FALSE(m_Manager->SetTextureStageState(0, TSS_COLOROP, TOP_ADD));
    EXPECT_FALSE(m_Manager->SetSamplerState(0, SAMP_MAGFILTER, TEXF_LINEAR));
    ASSERT_TRUE(m_Manager->Initialize(m_Window, nullptr, nullptr, false));
    Device()->ClearLog();
    m_Manager->SetRenderState(RS_FOGENABLE, 1);
    m_Manager->SetTextureStageState(0, TSS_COLOROP, TOP_ADD);
    m_Manager->SetSamplerState(0, SAMP_MAGFILTER, TEXF_LINEAR);
    EXPECT_EQ(CallsOf("SetRenderState"), (std::vector<std::string>{"28 1"}));
    EXPECT_EQ(CallsOf("SetTextureStageState").size(), 1u);
    EXPECT_EQ(CallsOf("SetSamplerState").size(), 1u);
}

class TextureFormatTest : public GraphicsManagerFixture
{
protected:
    uint32_t Choose(uint32_t bits, uint32_t alpha) const
    {
        return m_Manager->ChooseTextureFormat(bits, alpha);
    }
};

TEST_F(TextureFormatTest, ThirtyTwoBitDisplay)
{
    ASSERT_TRUE(Start(kDefaultConfig));
    ASSERT_EQ(m_Manager->GetDisplayFormat(), FMT_X8R8G8B8);
    EXPECT_EQ(Choose(32, 0), FMT_X8R8G8B8);
    EXPECT_EQ(Choose(24, 8), FMT_A8R8G8B8);
    EXPECT_EQ(Choose(16, 4), FMT_A4R4G4B4);
    EXPECT_EQ(Choose(16, 1), FMT_A1R5G5B5);
    EXPECT_EQ(Choose(16, 0), FMT_R5G6B5);
    EXPECT_EQ(Choose(8, 8), FMT_A8);

    m_D3D->TextureFormats = {FMT_X8R8G8B8, FMT_X1R5G5B5};
    EXPECT_EQ(Choose(32, 8), FMT_X8R8G8B8);
    EXPECT_EQ(Choose(16, 4), FMT_A8R8G8B8);
    EXPECT_EQ(Choose(16, 1), FMT_X1R5G5B5);
    EXPECT_EQ(Choose(16, 0), FMT_X1R5G5B5);
    EXPECT_EQ(Choose(8, 0), FMT_A8R8G8B8);
    // No rule for 12 bits: as on a 16-bit display.
    EXPECT_EQ(Choose(12, 0), FMT_X1R5G5B5);

    m_D3D->TextureFormats = {FMT_DXT3};
    EXPECT_TRUE(m_Manager->AreCompressedTexturesSupported());
    m_D3D->TextureFormats = {};
    EXPECT_FALSE(m_Manager->AreCompressedTexturesSupported());
    EXPECT_EQ(Choose(16, 0), FMT_A8R8G8B8);
}

TEST_F(TextureFormatTest, SixteenBitDisplay)
{
    m_D3D->Adapters[0].Desktop.Format = FMT_R5G6B5;
    m_D3D->Adapters[0].Modes = {DisplayMode{800, 600, 60, FMT_R5G6B5}};
    ASSERT_TRUE(Start(kDefaultConfig));
    ASSERT_EQ(m_Manager->GetDisplayFormat(), FMT_R5G6B5);
    EXPECT_EQ(Choose(32, 8), FMT_A4R4G4B4);
    EXPECT_EQ(Choose(32, 1), FMT_A1R5G5B5);
    EXPECT_EQ(Choose(32, 0), FMT_R5G6B5);
    m_D3D->TextureFormats = {FMT_A1R5G5B5, FMT_A4R4G4B4};
    EXPECT_EQ(Choose(24, 0), FMT_A1R5G5B5);
    m_D3D->TextureFormats = {};
    EXPECT_EQ(Choose(24, 0), FMT_A8R8G8B8);
}

TEST_F(TextureFormatTest, NoChoiceWithoutADeviceInterfaceOrOnOtherDisplays)
{
    m_Manager = std::make_unique<kaGraphicsManager>();
    EXPECT_EQ(Choose(32, 0), 0u);
    m_D3D->Adapters[0].Modes = {DisplayMode{800, 600, 60, FMT_A2R10G10B10}};
    m_D3D->DisplayFormats.insert(FMT_A2R10G10B10);
    ASSERT_TRUE(Start("[Begin Graphics Config]\nBitsPerPixel=32\n[End Graphics Config]\n"));
    ASSERT_EQ(m_Manager->GetDisplayFormat(), FMT_A2R10G10B10);
    EXPECT_EQ(Choose(32, 0), 0u);
}

} // namespace

namespace
{

class SharedBatchTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start(kDefaultConfig));
        Device()->ClearLog();
    }
};

TEST_F(SharedBatchTest, RefusesBatchesLargerThanTheBuffers)
{
    Matrix world;
    MatrixIdentity(&world);
    EXPECT_FALSE(m_Manager->BeginSharedBatch(65536 / 36 + 1, 1, &world, 0, 0));
    EXPECT_FALSE(m_Manager->BeginSharedBatch(3, 32768 / 3 + 1, &world, 0, 0));
    EXPECT_TRUE(CallsOf("VertexBuffer::Lock").empty());
}

TEST_F(SharedBatchTest, WritesDrawsAndStartsTheNextBatchAfresh)
{
    Matrix world;
    MatrixTranslation(&world, 1, 2, 3);
    const float positions[] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    const float normals[] = {0, 0, 1, 0, 0, 1, 0, 0, 1};
    const float colors[] = {1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1, 0.5f};
    const float uvs[] = {0, 0, 1, 0, 0, 1};
    const uint16_t indices[] = {0, 1, 2};
    Device()->BeginScene();
    for (uint32_t batch = 0; batch < 2; ++batch)
    {
        ASSERT_TRUE(m_Manager->BeginSharedBatch(3, 1, &world, 0, 0));
        m_Manager->WriteSharedBatch(0, 3, positions, normals, colors, uvs, indices, 1);
        m_Manager->WriteSharedBatch(2, 5, positions, normals, colors, uvs, indices, 9); // clipped to the runs
        // The second batch was appended behind the first.
        m_Manager->DrawSharedBatch(batch * 3, 3, batch * 3, 1);
    }
    Device()->EndScene();

    kaVertexBuffer* buffer = m_Manager->GetDynamicVertexBuffer(1);
    void* data = nullptr;
    ASSERT_EQ(buffer->GetD3DBuffer()->Lock(0, 0, &data, LOCK_READONLY), GFX_OK);
    VERTEX_WORLDPOS_NORMAL_DIFFUSE_UV vertices[7];
    std::memcpy(vertices, data, sizeof(vertices));
    buffer->GetD3DBuffer()->Unlock();
    EXPECT_EQ(vertices[1].x, 1.0f);
    EXPECT_EQ(vertices[1].diffuse, 0xFF00FF00u);
    EXPECT_EQ(vertices[2].diffuse, 0xFFFF0000u); // rewritten from the first input vertex at start 2
    EXPECT_EQ(vertices[3].y, 0.0f);
    EXPECT_EQ(vertices[4].x, 1.0f);
    EXPECT_EQ(vertices[5].diffuse, 0xFFFF0000u);
    EXPECT_EQ(vertices[6].diffuse, 0u); // past the second batch's run: untouched

    m_Manager->EndSharedBatch();
    ASSERT_TRUE(m_Manager->BeginSharedBatch(3, 1, &world, 0, 0));
    m_Manager->EndSharedBatch();
    EXPECT_EQ(CallsOf("VertexBuffer::Lock"),
              (std::vector<std::string>{"0 108 10240", "108 108 6144", "0 0 16", "0 108 10240"}));
    ASSERT_EQ(Device()->Draws().size(), 2u);
    const auto& draw = Device()->Draws()[1];
    EXPECT_EQ(draw.BaseVertex, 3);
    EXPECT_EQ(draw.Start, 3u);
    EXPECT_EQ(draw.PrimitiveCount, 1u);
    EXPECT_EQ(CallsOf("SetFVF").back(), "0x152");
    EXPECT_EQ(CallsOf("SetTransform").front().rfind("256 ", 0), 0u);
}

} // namespace
