#include "platform/gfx/TestDevice.h"
#include "platform/gfx/GfxCubeTexture.h"
#include "platform/gfx/GfxFormatInfo.h"
#include "platform/gfx/GfxIndexBuffer.h"
#include "platform/gfx/GfxStateBlock.h"
#include "platform/gfx/GfxSurface.h"
#include "platform/gfx/GfxTexture.h"
#include "platform/gfx/GfxVertexBuffer.h"
#include "platform/gfx/GfxVolumeTexture.h"
#include "platform/gfx/TestDirect3D.h"
#include "tests/support/TestDeviceFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace platform;

namespace
{

class DeviceTest : public TestDeviceFixture
{
protected:
    DeviceTest() : TestDeviceFixture(320, 240, CREATE_HARDWARE_VERTEXPROCESSING, true) {}

    GfxVertexBuffer* MakeVertexBuffer(uint32_t bytes, uint32_t pool, uint32_t usage = USAGE_WRITEONLY,
                                      uint32_t fvf = FVF_XYZ | FVF_DIFFUSE)
    {
        GfxVertexBuffer* buffer = nullptr;
        EXPECT_EQ(m_Device->CreateVertexBuffer(bytes, usage, fvf, pool, &buffer), GFX_OK);
        return buffer;
    }

    GfxIndexBuffer* MakeIndexBuffer(std::initializer_list<uint16_t> indices)
    {
        GfxIndexBuffer* buffer = nullptr;
        EXPECT_EQ(m_Device->CreateIndexBuffer(static_cast<uint32_t>(indices.size() * 2), USAGE_WRITEONLY,
                                              FMT_INDEX16, POOL_MANAGED, &buffer),
                  GFX_OK);
        void* data = nullptr;
        EXPECT_EQ(buffer->Lock(0, 0, &data, 0), GFX_OK);
        std::memcpy(data, indices.begin(), indices.size() * 2);
        buffer->Unlock();
        return buffer;
    }
};

} // namespace

using BufferLocks = DeviceTest;

TEST_F(BufferLocks, SizeZeroLocksToTheEndAndRangesPastTheEndFail)
{
    GfxVertexBuffer* buffer = MakeVertexBuffer(160, POOL_MANAGED);
    void* whole = nullptr;
    void* tail = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &whole, 0), GFX_OK);
    ASSERT_EQ(buffer->Lock(48, 0, &tail, 0), GFX_OK);
    EXPECT_EQ(static_cast<uint8_t*>(tail) - static_cast<uint8_t*>(whole), 48);
    EXPECT_EQ(buffer->Unlock(), GFX_OK);
    EXPECT_EQ(buffer->Unlock(), GFX_OK);
    EXPECT_EQ(buffer->Unlock(), GFXERR_INVALIDCALL);

    void* data = nullptr;
    EXPECT_EQ(buffer->Lock(150, 11, &data, 0), GFXERR_INVALIDCALL);
    EXPECT_EQ(buffer->Lock(160, 0, &data, 0), GFXERR_INVALIDCALL);
    EXPECT_EQ(buffer->Lock(0, 161, &data, 0), GFXERR_INVALIDCALL);
    EXPECT_EQ(buffer->Lock(150, 10, &data, 0), GFX_OK);
    buffer->Unlock();
    buffer->Release();
}

TEST_F(BufferLocks, ContentsStayBetweenLocksAndWriteOnlyBuffersReadBack)
{
    GfxVertexBuffer* buffer = MakeVertexBuffer(64, POOL_DEFAULT, USAGE_WRITEONLY | USAGE_DYNAMIC);
    void* data = nullptr;
    ASSERT_EQ(buffer->Lock(16, 16, &data, LOCK_DISCARD), GFX_OK);
    std::memcpy(data, "0123456789abcdef", 16);
    buffer->Unlock();
    ASSERT_EQ(buffer->Lock(0, 0, &data, LOCK_READONLY), GFX_OK);
    EXPECT_EQ(std::memcmp(static_cast<uint8_t*>(data) + 16, "0123456789abcdef", 16), 0);
    EXPECT_EQ(static_cast<uint8_t*>(data)[0], 0);
    buffer->Unlock();
    buffer->Release();
}

// Only a static buffer's discard promises a whole write; a dynamic one's starts a fresh buffer whose runs
// the engine fills one by one, so what it hands out still reads as zero.
TEST_F(BufferLocks, DynamicDiscardHandsOutZeroes)
{
    constexpr uint32_t kBytes = 4096;
    // Memory of that size freed just before is what the buffer most likely gets: left dirty, a discard that
    // skipped clearing would show it.
    {
        std::vector<uint8_t> dirty(kBytes, 0xCD);
        // The fill must happen: the compiler may not drop it as unread.
        asm volatile("" : : "r"(dirty.data()) : "memory");
    }
    GfxVertexBuffer* buffer = MakeVertexBuffer(kBytes, POOL_DEFAULT, USAGE_WRITEONLY | USAGE_DYNAMIC);
    void* data = nullptr;
    ASSERT_EQ(buffer->Lock(0, 256, &data, LOCK_DISCARD), GFX_OK);
    const auto* bytes = static_cast<const uint8_t*>(data);
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 256), std::vector<uint8_t>(256, 0));
    buffer->Unlock();
    buffer->Release();
}

TEST_F(BufferLocks, CreationChecksSizesAgainstTheVertexFormat)
{
    GfxVertexBuffer* buffer = nullptr;
    EXPECT_EQ(m_Device->CreateVertexBuffer(0, 0, 0, POOL_MANAGED, &buffer), GFXERR_INVALIDCALL);
    EXPECT_EQ(m_Device->CreateVertexBuffer(15, 0, FVF_XYZ | FVF_DIFFUSE, POOL_MANAGED, &buffer),
              GFXERR_INVALIDCALL);
    EXPECT_EQ(m_Device->CreateVertexBuffer(64, 0, 0x1000000, POOL_MANAGED, &buffer), GFXERR_INVALIDCALL);
    EXPECT_EQ(m_Device->CreateVertexBuffer(0xFFFFFFFF, 0, 0, POOL_MANAGED, &buffer), GFXERR_OUTOFVIDEOMEMORY);
    GfxIndexBuffer* indices = nullptr;
    EXPECT_EQ(m_Device->CreateIndexBuffer(64, 0, FMT_A8R8G8B8, POOL_MANAGED, &indices), GFXERR_INVALIDCALL);
    EXPECT_EQ(buffer, nullptr);
}

using TextureLocks = DeviceTest;

TEST_F(TextureLocks, SubRectanglePointsAtItsCornerWithTheFullPitch)
{
    GfxTexture* texture = nullptr;
    ASSERT_EQ(m_Device->CreateTexture(64, 32, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &texture), GFX_OK);
    LockedRect whole;
    ASSERT_EQ(texture->LockRect(0, &whole, nullptr, 0), GFX_OK);
    EXPECT_EQ(whole.Pitch, 256);
    texture->UnlockRect(0);

    const GfxRect rect{8, 4, 16, 12};
    LockedRect part;
    ASSERT_EQ(texture->LockRect(0, &part, &rect, 0), GFX_OK);
    EXPECT_EQ(part.Pitch, 256);
    EXPECT_EQ(static_cast<uint8_t*>(part.Bits) - static_cast<uint8_t*>(whole.Bits), 4 * 256 + 8 * 4);
    // One pixel written at the rectangle's second row, first column.
    reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(part.Bits) + part.Pitch)[0] = 0xFF112233;
    EXPECT_EQ(texture->LockRect(0, &whole, nullptr, 0), GFXERR_INVALIDCALL) << "a level locks once at a time";
    texture->UnlockRect(0);

    ASSERT_EQ(texture->LockRect(0, &whole, nullptr, LOCK_READONLY), GFX_OK);
    EXPECT_EQ(reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(whole.Bits) + 5 * 256)[8], 0xFF112233u);
    texture->UnlockRect(0);
    texture->Release();
}

TEST_F(TextureLocks, RectanglesOutsideTheLevelAndMissingLevelsFail)
{
    GfxTexture* texture = nullptr;
    ASSERT_EQ(m_Device->CreateTexture(16, 16, 0, 0, FMT_R5G6B5, POOL_MANAGED, &texture), GFX_OK);
    EXPECT_EQ(texture->GetLevelCount(), 5u);
    LockedRect locked;
    const GfxRect outside{0, 0, 9, 8};
    EXPECT_EQ(texture->LockRect(1, &locked, &outside, 0), GFXERR_INVALIDCALL);
    const GfxRect inverted{4, 4, 2, 8};
    EXPECT_EQ(texture->LockRect(0, &locked, &inverted, 0), GFXERR_INVALIDCALL);
    const GfxRect negative{-1, 0, 2, 2};
    EXPECT_EQ(texture->LockRect(0, &locked, &negative, 0), GFXERR_INVALIDCALL);
    EXPECT_EQ(texture->LockRect(5, &locked, nullptr, 0), GFXERR_INVALIDCALL);
    EXPECT_EQ(texture->UnlockRect(0), GFXERR_INVALIDCALL);
    texture->Release();
}

TEST_F(TextureLocks, FullChainsHalveEachSideDownToOne)
{
    GfxTexture* texture = nullptr;
    ASSERT_EQ(m_Device->CreateTexture(64, 16, 0, 0, FMT_A8R8G8B8, POOL_MANAGED, &texture), GFX_OK);
    ASSERT_EQ(texture->GetLevelCount(), 7u);
    SurfaceDesc desc;
    ASSERT_EQ(texture->GetLevelDesc(2, &desc), GFX_OK);
    EXPECT_EQ(desc.Width, 16u);
    EXPECT_EQ(desc.Height, 4u);
    ASSERT_EQ(texture->GetLevelDesc(6, &desc), GFX_OK);
    EXPECT_EQ(desc.Width, 1u);
    EXPECT_EQ(desc.Height, 1u);
    EXPECT_EQ(desc.Format, static_cast<uint32_t>(FMT_A8R8G8B8));
    EXPECT_EQ(desc.Pool, static_cast<uint32_t>(POOL_MANAGED));
    texture->Release();
}

TEST_F(TextureLocks, CompressedLevelsLockWholeBlocks)
{
    GfxTexture* texture = nullptr;
    ASSERT_EQ(m_Device->CreateTexture(16, 8, 0, 0, FMT_DXT1, POOL_MANAGED, &texture), GFX_OK);
    LockedRect locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), GFX_OK);
    EXPECT_EQ(locked.Pitch, 32); // four blocks of 8 bytes
    void* base = locked.Bits;
    texture->UnlockRect(0);
    const GfxRect block{4, 4, 8, 8};
    ASSERT_EQ(texture->LockRect(0, &locked, &block, 0), GFX_OK);
    EXPECT_EQ(static_cast<uint8_t*>(locked.Bits) - static_cast<uint8_t*>(base), 32 + 8);
    texture->UnlockRect(0);
    const GfxRect unaligned{2, 0, 8, 4};
    EXPECT_EQ(texture->LockRect(0, &locked, &unaligned, 0), GFXERR_INVALIDCALL);
    // The 1x1 level still stores one block.
    ASSERT_EQ(texture->LockRect(4, &locked, nullptr, 0), GFX_OK);
    EXPECT_EQ(locked.Pitch, 8);
    texture->UnlockRect(4);
    texture->Release();
}

TEST_F(TextureLocks, SurfacesKeepTheirTextureAliveAndShareItsMemory)
{
    GfxTexture* texture = nullptr;
    ASSERT_EQ(m_Device->CreateTexture(8, 8, 2, 0, FMT_A8R8G8B8, POOL_MANAGED, &texture), GFX_OK);
    GfxSurface* surface = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(1, &surface), GFX_OK);
    EXPECT_EQ(texture->Release(), 1u) << "the surface holds the texture";
    SurfaceDesc desc;
    surface->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 4u);
    LockedRect locked;
    ASSERT_EQ(surface->LockRect(&locked, nullptr, 0), GFX_OK);
    static_cast<uint32_t*>(locked.Bits)[0] = 0xDEADBEEF;
    surface->UnlockRect();
    EXPECT_EQ(surface->Release(), 0u);
}

// Textures alive side by side keep their own texels in every level, before and after one of them goes.
TEST_F(TextureLocks, TexturesAliveTogetherKeepTheirOwnLevels)
{
    const struct
    {
        uint32_t width, height, levels, format;
    } sizes[] = {{16, 8, 0, FMT_A8R8G8B8}, {5, 3, 1, FMT_R5G6B5}, {1, 1, 1, FMT_A8}, {32, 32, 3, FMT_X8R8G8B8}};
    std::vector<GfxTexture*> textures;
    for (const auto& size : sizes)
    {
        GfxTexture* texture = nullptr;
        ASSERT_EQ(m_Device->CreateTexture(size.width, size.height, size.levels, 0, size.format, POOL_MANAGED,
                                          &texture),
                  GFX_OK);
        textures.push_back(texture);
    }
    const auto fill = [](size_t t, uint32_t level) { return uint8_t(0x10 * (t + 1) + level); };
    const auto levelBytes = [](GfxTexture* texture, uint32_t level)
    {
        SurfaceDesc desc;
        texture->GetLevelDesc(level, &desc);
        return size_t(GfxFormatInfo::RowPitch(desc.Format, desc.Width)) * desc.Height;
    };
    for (size_t t = 0; t < textures.size(); ++t)
        for (uint32_t level = 0; level < textures[t]->GetLevelCount(); ++level)
        {
            LockedRect locked;
            ASSERT_EQ(textures[t]->LockRect(level, &locked, nullptr, LOCK_DISCARD), GFX_OK);
            std::memset(locked.Bits, fill(t, level), levelBytes(textures[t], level));
            textures[t]->UnlockRect(level);
        }
    const auto expectOwn = [&](size_t t)
    {
        for (uint32_t level = 0; level < textures[t]->GetLevelCount(); ++level)
        {
            LockedRect locked;
            ASSERT_EQ(textures[t]->LockRect(level, &locked, nullptr, LOCK_READONLY), GFX_OK);
            const auto* bits = static_cast<const uint8_t*>(locked.Bits);
            EXPECT_EQ(std::vector<uint8_t>(bits, bits + levelBytes(textures[t], level)),
                      std::vector<uint8_t>(levelBytes(textures[t], level), fill(t, level)))
                << "texture " << t << " level " << level;
            textures[t]->UnlockRect(level);
        }
    };
    for (size_t t = 0; t < textures.size(); ++t)
        expectOwn(t);
    EXPECT_EQ(textures[1]->Release(), 0u);
    for (size_t t : {size_t(0), size_t(2), size_t(3)})
        expectOwn(t);
    for (size_t t : {size_t(0), size_t(2), size_t(3)})
        EXPECT_EQ(textures[t]->Release(), 0u);
}

TEST_F(TextureLocks, CubeFacesAndVolumeSlicesAreSeparate)
{
    GfxCubeTexture* cube = nullptr;
    ASSERT_EQ(m_Device->CreateCubeTexture(8, 0, 0, FMT_A8R8G8B8, POOL_MANAGED, &cube), GFX_OK);
    EXPECT_EQ(cube->GetLevelCount(), 4u);
    LockedRect px, nx;
    ASSERT_EQ(cube->LockRect(CUBEMAP_FACE_POSITIVE_X, 0, &px, nullptr, 0), GFX_OK);
    ASSERT_EQ(cube->LockRect(CUBEMAP_FACE_NEGATIVE_X, 0, &nx, nullptr, 0), GFX_OK);
    EXPECT_NE(px.Bits, nx.Bits);
    cube->UnlockRect(CUBEMAP_FACE_POSITIVE_X, 0);
    cube->UnlockRect(CUBEMAP_FACE_NEGATIVE_X, 0);
    EXPECT_EQ(cube->LockRect(6, 0, &px, nullptr, 0), GFXERR_INVALIDCALL);
    cube->Release();

    GfxVolumeTexture* volume = nullptr;
    ASSERT_EQ(m_Device->CreateVolumeTexture(8, 4, 4, 0, 0, FMT_A8R8G8B8, POOL_MANAGED, &volume), GFX_OK);
    EXPECT_EQ(volume->GetLevelCount(), 4u);
    LockedBox box;
    const GfxBox slice{2, 1, 4, 3, 2, 3};
    ASSERT_EQ(volume->LockBox(0, &box, &slice, 0), GFX_OK);
    EXPECT_EQ(box.RowPitch, 32);
    EXPECT_EQ(box.SlicePitch, 128);
    void* corner = box.Bits;
    volume->UnlockBox(0);
    ASSERT_EQ(volume->LockBox(0, &box, nullptr, 0), GFX_OK);
    EXPECT_EQ(static_cast<uint8_t*>(corner) - static_cast<uint8_t*>(box.Bits), 2 * 128 + 1 * 32 + 2 * 4);
    volume->UnlockBox(0);
    volume->Release();
}

TEST_F(TextureLocks, UnsupportedFormatsAndOversizedTexturesAreRefused)
{
    m_D3D->TextureFormats.erase(FMT_DXT5);
    GfxTexture* texture = nullptr;
    EXPECT_EQ(m_Device->CreateTexture(16, 16, 1, 0, FMT_DXT5, POOL_MANAGED, &texture), GFXERR_INVALIDCALL);
    EXPECT_EQ(m_Device->CreateTexture(4096, 16, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &texture),
              GFXERR_INVALIDCALL);
    EXPECT_EQ(m_Device->CreateTexture(16, 16, 6, 0, FMT_A8R8G8B8, POOL_MANAGED, &texture),
              GFXERR_INVALIDCALL);
    EXPECT_EQ(m_Device->CreateTexture(16, 16, 1, 0, FMT_D16, POOL_MANAGED, &texture), GFXERR_INVALIDCALL);
    m_Device->FailNext("CreateTexture", GFX_E_OUTOFMEMORY);
    EXPECT_EQ(m_Device->CreateTexture(16, 16, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &texture), GFX_E_OUTOFMEMORY);
    ASSERT_EQ(m_Device->CreateTexture(16, 16, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &texture), GFX_OK);
    texture->Release();
}

using DeviceReset = DeviceTest;

TEST_F(DeviceReset, RefusedWhileADefaultPoolResourceLives)
{
    GfxVertexBuffer* dynamic = MakeVertexBuffer(64, POOL_DEFAULT, USAGE_DYNAMIC | USAGE_WRITEONLY);
    GfxVertexBuffer* managed = MakeVertexBuffer(64, POOL_MANAGED);
    PresentParameters parameters = m_Device->Parameters();
    EXPECT_EQ(m_Device->Reset(&parameters), GFXERR_INVALIDCALL);
    dynamic->Release();
    EXPECT_EQ(m_Device->Reset(&parameters), GFX_OK) << "managed resources survive a reset";
    void* data = nullptr;
    EXPECT_EQ(managed->Lock(0, 0, &data, 0), GFX_OK);
    managed->Unlock();
    managed->Release();
}

TEST_F(DeviceReset, LeavesDefaultStatesIdentityTransformsNoBindingsAndAFullViewport)
{
    GfxTexture* texture = nullptr;
    ASSERT_EQ(m_Device->CreateTexture(8, 8, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &texture), GFX_OK);
    GfxVertexBuffer* buffer = MakeVertexBuffer(64, POOL_MANAGED);
    Matrix world;
    MatrixTranslation(&world, 1, 2, 3);
    m_Device->SetTransform(TS_WORLD, &world);
    m_Device->SetTransform(TS_PROJECTION, &world);
    m_Device->SetRenderState(RS_LIGHTING, 0);
    m_Device->SetRenderState(RS_CULLMODE, CULL_NONE);
    m_Device->SetTextureStageState(1, TSS_COLOROP, TOP_MODULATE);
    m_Device->SetSamplerState(0, SAMP_MINFILTER, TEXF_LINEAR);
    m_Device->SetTexture(0, texture);
    m_Device->SetStreamSource(0, buffer, 0, 16);
    const Viewport small{10, 10, 100, 100, 0.0f, 1.0f};
    m_Device->SetViewport(&small);

    PresentParameters parameters = m_Device->Parameters();
    parameters.BackBufferWidth = 640;
    parameters.BackBufferHeight = 480;
    ASSERT_EQ(m_Device->Reset(&parameters), GFX_OK);

    const DeviceState& state = m_Device->State();
    EXPECT_EQ(state.RenderStates[RS_LIGHTING], 1u);
    EXPECT_EQ(state.RenderStates[RS_CULLMODE], static_cast<uint32_t>(CULL_CCW));
    EXPECT_EQ(state.RenderStates[RS_ZENABLE], static_cast<uint32_t>(ZB_TRUE));
    EXPECT_EQ(state.StageStates[1][TSS_COLOROP], static_cast<uint32_t>(TOP_DISABLE));
    EXPECT_EQ(state.StageStates[0][TSS_COLOROP], static_cast<uint32_t>(TOP_MODULATE));
    EXPECT_EQ(state.StageStates[2][TSS_TEXCOORDINDEX], 2u);
    EXPECT_EQ(state.SamplerStates[0][SAMP_MINFILTER], static_cast<uint32_t>(TEXF_POINT));
    EXPECT_TRUE(MatrixIsIdentity(&state.World));
    EXPECT_TRUE(MatrixIsIdentity(&state.Projection));
    EXPECT_EQ(state.Textures[0], nullptr);
    EXPECT_EQ(state.Streams[0].Buffer, nullptr);
    EXPECT_EQ(state.CurrentViewport.Width, 640u);
    EXPECT_EQ(state.CurrentViewport.Height, 480u);
    EXPECT_EQ(state.CurrentViewport.X, 0u);
    texture->Release();
    buffer->Release();
}

TEST_F(DeviceReset, LossRunsFromLostThroughNotResetBackToNormal)
{
    EXPECT_EQ(m_Device->TestCooperativeLevel(), GFX_OK);
    m_Device->LoseDevice();
    PresentParameters parameters = m_Device->Parameters();
    EXPECT_EQ(m_Device->TestCooperativeLevel(), GFXERR_DEVICELOST);
    EXPECT_EQ(m_Device->Present(), GFXERR_DEVICELOST);
    EXPECT_EQ(m_Device->Reset(&parameters), GFXERR_DEVICELOST) << "a lost device cannot reset yet";
    // Drawing and clearing are quietly skipped while lost.
    EXPECT_EQ(m_Device->Clear(0, nullptr, CLEAR_TARGET, 0xFFFF0000, 1.0f, 0), GFX_OK);
    EXPECT_EQ(m_Device->BackBufferPixel(0, 0), 0u);

    m_Device->MakeResettable();
    EXPECT_EQ(m_Device->TestCooperativeLevel(), GFXERR_DEVICENOTRESET);
    ASSERT_EQ(m_Device->Reset(&parameters), GFX_OK);
    EXPECT_EQ(m_Device->TestCooperativeLevel(), GFX_OK);
    EXPECT_EQ(m_Device->Present(), GFX_OK);
}

using StateBlocks = DeviceTest;

TEST_F(StateBlocks, RecordingStoresChangesWithoutApplyingThem)
{
    ASSERT_EQ(m_Device->BeginStateBlock(), GFX_OK);
    m_Device->SetRenderState(RS_ALPHABLENDENABLE, 1);
    m_Device->SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    m_Device->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
    EXPECT_EQ(m_Device->State().RenderStates[RS_ALPHABLENDENABLE], 0u);
    GfxStateBlock* block = nullptr;
    ASSERT_EQ(m_Device->EndStateBlock(&block), GFX_OK);
    EXPECT_EQ(m_Device->EndStateBlock(&block), GFXERR_INVALIDCALL);

    m_Device->SetRenderState(RS_DESTBLEND, BLEND_ONE);
    m_Device->ClearLog();
    ASSERT_EQ(block->Apply(), GFX_OK);
    const DeviceState& state = m_Device->State();
    EXPECT_EQ(state.RenderStates[RS_ALPHABLENDENABLE], 1u);
    EXPECT_EQ(state.RenderStates[RS_SRCBLEND], static_cast<uint32_t>(BLEND_SRCALPHA));
    EXPECT_EQ(state.StageStates[0][TSS_COLOROP], static_cast<uint32_t>(TOP_SELECTARG1));
    EXPECT_EQ(state.RenderStates[RS_DESTBLEND], static_cast<uint32_t>(BLEND_ONE)) << "not part of the block";
    EXPECT_EQ(m_Device->CountCalls("SetRenderState"), 2u);
    EXPECT_EQ(m_Device->CountCalls("SetTextureStageState"), 1u);
    block->Release();
}

TEST_F(StateBlocks, WholeDeviceBlockCapturesAndRestoresEverything)
{
    GfxTexture* texture = nullptr;
    ASSERT_EQ(m_Device->CreateTexture(8, 8, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &texture), GFX_OK);
    m_Device->SetTexture(0, texture);
    m_Device->SetRenderState(RS_ZFUNC, CMP_EQUAL);
    Light light = DeviceState::DefaultLight();
    light.Type = LIGHT_POINT;
    m_Device->SetLight(0, &light);
    m_Device->LightEnable(0, true);
    GfxStateBlock* block = nullptr;
    ASSERT_EQ(m_Device->CreateStateBlock(SBT_ALL, &block), GFX_OK);

    m_Device->SetTexture(0, nullptr);
    m_Device->SetRenderState(RS_ZFUNC, CMP_ALWAYS);
    m_Device->LightEnable(0, false);
    ASSERT_EQ(block->Apply(), GFX_OK);
    EXPECT_EQ(m_Device->State().Textures[0], texture);
    EXPECT_EQ(m_Device->State().RenderStates[RS_ZFUNC], static_cast<uint32_t>(CMP_EQUAL));
    bool enabled = false;
    m_Device->GetLightEnable(0, &enabled);
    EXPECT_TRUE(enabled);

    m_Device->SetRenderState(RS_ZFUNC, CMP_GREATER);
    ASSERT_EQ(block->Capture(), GFX_OK);
    m_Device->SetRenderState(RS_ZFUNC, CMP_LESS);
    block->Apply();
    EXPECT_EQ(m_Device->State().RenderStates[RS_ZFUNC], static_cast<uint32_t>(CMP_GREATER));

    // A destroyed texture leaves the block too, so applying it cannot bind a dead object.
    texture->Release();
    block->Apply();
    EXPECT_EQ(m_Device->State().Textures[0], nullptr);
    block->Release();
}

// Resources and blocks leave the device in any order; the live count stays right and every block still
// alive drops each dead texture, while a block that went first is never told.
TEST_F(StateBlocks, ChildrenLeavingInAnyOrderKeepTheCountAndTheBlocksTold)
{
    const size_t before = m_Device->LiveResourceCount(POOL_MANAGED);
    std::vector<GfxTexture*> textures(6, nullptr);
    for (GfxTexture*& texture : textures)
        ASSERT_EQ(m_Device->CreateTexture(8, 8, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &texture), GFX_OK);
    std::vector<GfxStateBlock*> blocks(3, nullptr);
    for (size_t i = 0; i < blocks.size(); ++i)
    {
        m_Device->SetTexture(0, textures[i]);
        m_Device->SetTexture(1, textures[i + 3]);
        ASSERT_EQ(m_Device->CreateStateBlock(SBT_ALL, &blocks[i]), GFX_OK);
    }
    m_Device->SetTexture(0, nullptr);
    m_Device->SetTexture(1, nullptr);
    blocks[1]->Release();
    const size_t order[] = {4, 0, 5, 1, 3, 2};
    size_t live = textures.size();
    for (size_t at : order)
    {
        textures[at]->Release();
        EXPECT_EQ(m_Device->LiveResourceCount(POOL_MANAGED), before + --live) << at;
    }
    for (GfxStateBlock* block : {blocks[0], blocks[2]})
    {
        ASSERT_EQ(block->Apply(), GFX_OK);
        EXPECT_EQ(m_Device->State().Textures[0], nullptr);
        EXPECT_EQ(m_Device->State().Textures[1], nullptr);
        block->Release();
    }
}

using DrawLog = DeviceTest;

TEST_F(DrawLog, EachDrawCarriesTheStateInForce)
{
    GfxVertexBuffer* buffer = MakeVertexBuffer(16 * 4, POOL_MANAGED);
    GfxIndexBuffer* indices = MakeIndexBuffer({0, 1, 2, 2, 1, 3});
    GfxTexture* texture = nullptr;
    ASSERT_EQ(m_Device->CreateTexture(8, 8, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &texture), GFX_OK);
    Matrix world;
    MatrixTranslation(&world, 5, 0, 0);

    ASSERT_EQ(m_Device->BeginScene(), GFX_OK);
    m_Device->SetTransform(TS_WORLD, &world);
    m_Device->SetRenderState(RS_ALPHABLENDENABLE, 1);
    m_Device->SetTexture(1, texture);
    m_Device->SetFVF(FVF_XYZ | FVF_DIFFUSE);
    m_Device->SetStreamSource(0, buffer, 0, 16);
    m_Device->SetIndices(indices);
    ASSERT_EQ(m_Device->DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 0, 4, 0, 2), GFX_OK);
    m_Device->SetRenderState(RS_ALPHABLENDENABLE, 0);
    ASSERT_EQ(m_Device->DrawPrimitive(PT_LINELIST, 0, 2), GFX_OK);
    ASSERT_EQ(m_Device->EndScene(), GFX_OK);

    ASSERT_EQ(m_Device->Draws().size(), 2u);
    const TestDevice::Draw& first = m_Device->Draws()[0];
    EXPECT_TRUE(first.Indexed);
    EXPECT_EQ(first.PrimitiveCount, 2u);
    EXPECT_EQ(first.State.World, world);
    EXPECT_EQ(first.State.RenderStates[RS_ALPHABLENDENABLE], 1u);
    EXPECT_EQ(first.State.Textures[1], texture);
    EXPECT_EQ(first.State.Streams[0].Buffer, buffer);
    EXPECT_EQ(first.State.Streams[0].Stride, 16u);
    EXPECT_EQ(first.State.Indices, indices);
    EXPECT_EQ(first.State.FVF, static_cast<uint32_t>(FVF_XYZ | FVF_DIFFUSE));
    EXPECT_EQ(m_Device->Draws()[1].State.RenderStates[RS_ALPHABLENDENABLE], 0u);
    EXPECT_EQ(m_Device->Draws()[1].Type, static_cast<uint32_t>(PT_LINELIST));
    buffer->Release();
    indices->Release();
    texture->Release();
}

TEST_F(DrawLog, DrawsThatWouldReadPastTheirBuffersAreRefused)
{
    GfxVertexBuffer* buffer = MakeVertexBuffer(16 * 4, POOL_MANAGED);
    GfxIndexBuffer* indices = MakeIndexBuffer({0, 1, 2, 2, 1, 4});
    m_Device->SetFVF(FVF_XYZ | FVF_DIFFUSE);
    m_Device->SetStreamSource(0, buffer, 0, 16);
    m_Device->SetIndices(indices);
    EXPECT_EQ(m_Device->DrawPrimitive(PT_TRIANGLELIST, 0, 1), GFXERR_INVALIDCALL) << "outside a scene";
    ASSERT_EQ(m_Device->BeginScene(), GFX_OK);
    EXPECT_EQ(m_Device->DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 0, 4, 0, 2), GFXERR_INVALIDCALL)
        << "index 4 names a fifth vertex";
    EXPECT_EQ(m_Device->DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 0, 4, 0, 1), GFX_OK);
    EXPECT_EQ(m_Device->DrawIndexedPrimitive(PT_TRIANGLELIST, 2, 0, 4, 0, 1), GFXERR_INVALIDCALL)
        << "the base vertex moves index 2 past the end";
    EXPECT_EQ(m_Device->DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 0, 4, 3, 2), GFXERR_INVALIDCALL);
    EXPECT_EQ(m_Device->DrawPrimitive(PT_TRIANGLESTRIP, 1, 2), GFXERR_INVALIDCALL);
    EXPECT_EQ(m_Device->DrawPrimitive(PT_TRIANGLESTRIP, 0, 2), GFX_OK);
    EXPECT_EQ(m_Device->DrawPrimitive(PT_TRIANGLELIST, 0, 0), GFXERR_INVALIDCALL);
    buffer->Release();
    EXPECT_EQ(m_Device->DrawPrimitive(PT_TRIANGLESTRIP, 0, 2), GFXERR_INVALIDCALL)
        << "the stream was unbound";
    m_Device->EndScene();
    EXPECT_EQ(m_Device->Draws().size(), 2u);
    indices->Release();
}

TEST_F(DrawLog, ClearFillsTheViewportAndPresentKeepsTheFrame)
{
    const Viewport half{0, 0, 160, 240, 0.0f, 1.0f};
    m_Device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    m_Device->SetViewport(&half);
    m_Device->Clear(0, nullptr, CLEAR_TARGET, 0xFF204080, 1.0f, 0);
    EXPECT_EQ(m_Device->BackBufferPixel(0, 0), 0xFF204080u);
    EXPECT_EQ(m_Device->BackBufferPixel(159, 239), 0xFF204080u);
    EXPECT_EQ(m_Device->BackBufferPixel(160, 0), 0xFF000000u);
    ASSERT_EQ(m_Device->Present(), GFX_OK);
    FrameCapture frame;
    ASSERT_EQ(m_Device->CaptureFrame(&frame), GFX_OK);
    ASSERT_EQ(frame.Width, 320u);
    ASSERT_EQ(frame.Rows.size(), 320u * 240u * 3u);
    EXPECT_EQ(frame.Rows[0], 0x80); // blue first
    EXPECT_EQ(frame.Rows[1], 0x40);
    EXPECT_EQ(frame.Rows[2], 0x20);
    const Viewport outside{300, 0, 40, 10, 0.0f, 1.0f};
    EXPECT_EQ(m_Device->SetViewport(&outside), GFXERR_INVALIDCALL);
}

// With the log off the device still keeps its state and checks its draws, but records nothing; turned on
// again it records from there.
TEST_F(DrawLog, LogOffKeepsStateAndChecksButRecordsNothing)
{
    GfxVertexBuffer* buffer = MakeVertexBuffer(16 * 4, POOL_MANAGED);
    m_Device->ClearLog();
    m_Device->SetLogging(false);
    EXPECT_FALSE(m_Device->IsLogging());
    ASSERT_EQ(m_Device->BeginScene(), GFX_OK);
    m_Device->SetRenderState(RS_ALPHABLENDENABLE, 1);
    m_Device->SetFVF(FVF_XYZ | FVF_DIFFUSE);
    m_Device->SetStreamSource(0, buffer, 0, 16);
    EXPECT_EQ(m_Device->DrawPrimitive(PT_TRIANGLELIST, 0, 1), GFX_OK);
    EXPECT_EQ(m_Device->DrawPrimitive(PT_TRIANGLELIST, 0, 2), GFXERR_INVALIDCALL) << "six vertices of four";
    EXPECT_TRUE(m_Device->Calls().empty());
    EXPECT_TRUE(m_Device->Draws().empty());
    EXPECT_EQ(m_Device->State().RenderStates[RS_ALPHABLENDENABLE], 1u);

    m_Device->SetLogging(true);
    EXPECT_EQ(m_Device->DrawPrimitive(PT_TRIANGLELIST, 0, 1), GFX_OK);
    m_Device->EndScene();
    EXPECT_EQ(m_Device->Draws().size(), 1u);
    EXPECT_EQ(m_Device->CountCalls("DrawPrimitive"), 1u);
    EXPECT_EQ(m_Device->Draws()[0].State.RenderStates[RS_ALPHABLENDENABLE], 1u);
    buffer->Release();
}

// What the entry object adds to its script: the adapter bound, the desktop format for a windowed
// device and the device keeping its entry object alive.
TEST(TestDirect3DScript, AdaptersAreBoundAndDevicesKeepTheirEntryObject)
{
    TestDirect3D* direct3D = new TestDirect3D();
    DisplayMode mode;
    EXPECT_EQ(direct3D->EnumAdapterModes(0, FMT_X8R8G8B8, 3, &mode), GFXERR_INVALIDCALL);
    GfxCaps caps;
    EXPECT_EQ(direct3D->GetDeviceCaps(1, DEVTYPE_HAL, &caps), GFXERR_INVALIDCALL);
    PresentParameters parameters;
    parameters.BackBufferWidth = 800;
    parameters.BackBufferHeight = 600;
    parameters.Windowed = true;
    GfxDevice* device = nullptr;
    ASSERT_EQ(direct3D->CreateDevice(0, DEVTYPE_HAL, nullptr, CREATE_SOFTWARE_VERTEXPROCESSING, &parameters,
                                     &device),
              GFX_OK);
    EXPECT_EQ(parameters.BackBufferFormat, static_cast<uint32_t>(FMT_X8R8G8B8));
    direct3D->Release();
    EXPECT_EQ(device->Release(), 0u);
}

// Draws check their indices against a largest index that each write of the buffer makes stale.
TEST_F(DrawLog, IndicesRewrittenAfterADrawAreCheckedAgain)
{
    for (const uint32_t format : {FMT_INDEX16, FMT_INDEX32})
    {
        SCOPED_TRACE(format);
        const uint32_t size = format == FMT_INDEX32 ? 4 : 2;
        GfxVertexBuffer* buffer = MakeVertexBuffer(16 * 4, POOL_MANAGED);
        GfxIndexBuffer* indices = nullptr;
        ASSERT_EQ(m_Device->CreateIndexBuffer(6 * size, USAGE_WRITEONLY, format, POOL_MANAGED, &indices),
                  GFX_OK);
        auto write = [&](uint32_t at, uint32_t value)
        {
            void* data = nullptr;
            ASSERT_EQ(indices->Lock(at * size, size, &data, 0), GFX_OK);
            std::memcpy(data, &value, size);
            indices->Unlock();
        };
        const uint32_t initial[6] = {0, 1, 2, 2, 1, 3};
        for (uint32_t i = 0; i < 6; ++i)
            write(i, initial[i]);
        m_Device->SetFVF(FVF_XYZ | FVF_DIFFUSE);
        m_Device->SetStreamSource(0, buffer, 0, 16);
        m_Device->SetIndices(indices);
        ASSERT_EQ(m_Device->BeginScene(), GFX_OK);
        EXPECT_EQ(m_Device->DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 0, 4, 0, 2), GFX_OK);
        write(5, 4);
        EXPECT_EQ(m_Device->DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 0, 4, 0, 2), GFXERR_INVALIDCALL)
            << "index 4 was written after the last draw";
        EXPECT_EQ(m_Device->DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 0, 4, 0, 1), GFX_OK)
            << "the first triangle does not read it";
        EXPECT_EQ(m_Device->DrawIndexedPrimitive(PT_TRIANGLELIST, 1, 0, 4, 0, 1), GFX_OK);
        EXPECT_EQ(m_Device->DrawIndexedPrimitive(PT_TRIANGLELIST, 2, 0, 4, 0, 1), GFXERR_INVALIDCALL);
        write(5, 3);
        EXPECT_EQ(m_Device->DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 0, 4, 0, 2), GFX_OK);
        m_Device->EndScene();
        indices->Release();
        buffer->Release();
    }
}

// Meshes bind their buffers again before every draw. Each draw is checked against the buffers bound at
// that moment: the same ones again, none, one bound at another offset, or a new one made after the old one
// died (perhaps at its address).
TEST_F(DrawLog, DrawsAreCheckedAgainstTheBuffersBoundAgainBeforeThem)
{
    GfxVertexBuffer* small = MakeVertexBuffer(16 * 4, POOL_MANAGED);
    GfxIndexBuffer* indices = MakeIndexBuffer({0, 1, 2, 5, 6, 7});
    m_Device->SetFVF(FVF_XYZ | FVF_DIFFUSE);
    ASSERT_EQ(m_Device->BeginScene(), GFX_OK);
    m_Device->SetStreamSource(0, small, 0, 16);
    EXPECT_EQ(m_Device->DrawPrimitive(PT_TRIANGLESTRIP, 0, 2), GFX_OK);
    small->Release();
    GfxVertexBuffer* large = MakeVertexBuffer(16 * 8, POOL_MANAGED);
    GfxVertexBuffer* other = MakeVertexBuffer(16 * 4, POOL_MANAGED);

    struct Step
    {
        const char* what;
        GfxVertexBuffer* vertices;
        uint32_t offset;
        GfxIndexBuffer* indexBuffer;
        bool indexed;
        uint32_t primitives;
        GfxResult expected;
    };
    const Step steps[] = {
        {"eight vertices of the new buffer", large, 0, nullptr, false, 6, GFX_OK},
        {"nine vertices of eight", large, 0, nullptr, false, 7, GFXERR_INVALIDCALL},
        {"the same buffer again", large, 0, nullptr, false, 6, GFX_OK},
        {"another buffer of four vertices", other, 0, nullptr, false, 6, GFXERR_INVALIDCALL},
        {"the eight again after it", large, 0, nullptr, false, 6, GFX_OK},
        {"the same buffer one vertex in: seven left", large, 16, nullptr, false, 6, GFXERR_INVALIDCALL},
        {"the same buffer back at its start", large, 0, nullptr, false, 6, GFX_OK},
        {"no buffer", nullptr, 0, nullptr, false, 1, GFXERR_INVALIDCALL},
        {"the buffer bound after none", large, 0, nullptr, false, 1, GFX_OK},
        {"indices reaching vertex 7", large, 0, indices, true, 2, GFX_OK},
        {"the same indices again", large, 0, indices, true, 2, GFX_OK},
        {"no indices", large, 0, nullptr, true, 1, GFXERR_INVALIDCALL},
        {"the indices bound after none", large, 0, indices, true, 1, GFX_OK},
    };
    for (const Step& step : steps)
    {
        SCOPED_TRACE(step.what);
        m_Device->SetStreamSource(0, step.vertices, step.offset, 16);
        if (step.indexed)
        {
            m_Device->SetIndices(step.indexBuffer);
            EXPECT_EQ(m_Device->DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 0, 8, 0, step.primitives),
                      step.expected);
        }
        else
        {
            EXPECT_EQ(m_Device->DrawPrimitive(PT_TRIANGLESTRIP, 0, step.primitives), step.expected);
        }
    }
    m_Device->EndScene();
    large->Release();
    other->Release();
    indices->Release();
}
