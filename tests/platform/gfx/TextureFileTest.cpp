#include "platform/gfx/TextureFile.h"

#include "tests/support/platform/DdsBytes.h"

#include "platform/gfx/DxtCodec.h"
#include "platform/gfx/GfxCubeTexture.h"
#include "platform/gfx/GfxSurface.h"
#include "platform/gfx/GfxTexture.h"
#include "platform/gfx/GfxVolume.h"
#include "platform/gfx/GfxVolumeTexture.h"
#include "platform/gfx/SurfaceCopy.h"
#include "platform/gfx/TestDevice.h"
#include "platform/gfx/TestDirect3D.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDeviceFixture.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace platform;
using ddsbytes::Dds;

namespace
{

class TextureFileTest : public TestDeviceFixture
{
protected:
    TextureFileTest() : TestDeviceFixture(32, 32) {}

    std::string WriteDds(const std::string& name, const Dds& dds)
    {
        const auto bytes = ddsbytes::DdsFileBytes(dds);
        return m_Dir.Write(name, std::string(bytes.begin(), bytes.end()));
    }

    testsupport::TempDir m_Dir;
};

uint32_t Texel32(const LockedRect& locked, uint32_t x, uint32_t y)
{
    uint32_t value;
    std::memcpy(&value, static_cast<const uint8_t*>(locked.Bits) + y * locked.Pitch + x * 4, 4);
    return value;
}

TEST_F(TextureFileTest, CubeFileGivesEveryFaceAndTheWholeChain)
{
    Dds dds;
    dds.width = 4;
    dds.height = 4;
    dds.caps2 = 0x200 | 0xFC00;
    const uint32_t colours[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFFFF00FF, 0xFF00FFFF};
    for (uint32_t colour : colours)
        ddsbytes::PutTexel(dds.data, colour, 16);
    // The last face's first texel differs, so faces cannot be confused with one another.
    std::memset(dds.data.data() + 5 * 64, 0x10, 4);
    const std::string path = WriteDds("sky.dds", dds);

    GfxCubeTexture* cube = nullptr;
    ASSERT_EQ(TextureFile::CreateCubeTexture(m_Device, path, &cube), GFX_OK);
    ASSERT_NE(cube, nullptr);
    EXPECT_EQ(cube->GetLevelCount(), 3u); // 4, 2, 1 built from the single level
    EXPECT_EQ(cube->GetFormat(), uint32_t(FMT_A8R8G8B8));
    EXPECT_EQ(cube->GetPool(), uint32_t(POOL_MANAGED));
    for (uint32_t face = 0; face < 6; ++face)
    {
        LockedRect locked;
        ASSERT_EQ(cube->LockRect(face, 2, &locked, nullptr, LOCK_READONLY), GFX_OK);
        if (face < 5)
        {
            EXPECT_EQ(Texel32(locked, 0, 0), colours[face]) << face;
        }
        cube->UnlockRect(face, 2);
    }
    LockedRect top;
    ASSERT_EQ(cube->LockRect(5, 0, &top, nullptr, LOCK_READONLY), GFX_OK);
    EXPECT_EQ(Texel32(top, 0, 0), 0x10101010u);
    EXPECT_EQ(Texel32(top, 3, 3), colours[5]);
    cube->UnlockRect(5, 0);
    cube->Release();
}

TEST_F(TextureFileTest, VolumeFileKeepsSlicesApart)
{
    Dds dds;
    dds.width = 2;
    dds.height = 2;
    dds.depth = 2;
    dds.caps2 = 0x200000;
    ddsbytes::PutTexel(dds.data, 0xFF000000, 4);
    ddsbytes::PutTexel(dds.data, 0xFF0000C8, 4);
    const std::string path = WriteDds("fog.dds", dds);

    GfxVolumeTexture* volume = nullptr;
    ASSERT_EQ(TextureFile::CreateVolumeTexture(m_Device, path, &volume), GFX_OK);
    ASSERT_EQ(volume->GetLevelCount(), 2u);
    VolumeDesc desc;
    ASSERT_EQ(volume->GetLevelDesc(0, &desc), GFX_OK);
    EXPECT_EQ(desc.Depth, 2u);
    LockedBox box;
    ASSERT_EQ(volume->LockBox(0, &box, nullptr, LOCK_READONLY), GFX_OK);
    uint32_t back;
    std::memcpy(&back, static_cast<uint8_t*>(box.Bits) + box.SlicePitch + box.RowPitch + 4, 4);
    EXPECT_EQ(back, 0xFF0000C8u);
    volume->UnlockBox(0);
    ASSERT_EQ(volume->LockBox(1, &box, nullptr, LOCK_READONLY), GFX_OK);
    uint32_t averaged;
    std::memcpy(&averaged, box.Bits, 4);
    EXPECT_EQ(averaged, 0xFF000064u);
    volume->UnlockBox(1);
    volume->Release();
}

TEST_F(TextureFileTest, CompressedFileIsDecodedWhenTheDeviceLacksTheFormat)
{
    ReleaseDevice();
    m_D3D->TextureFormats.erase(FMT_DXT1);
    MakeDevice();
    Dds dds;
    dds.width = 4;
    dds.height = 4;
    dds.fourCC = FMT_DXT1;
    std::vector<uint32_t> red(16, 0xFFFF0000);
    dds.data = DxtCodec::EncodeImage(FMT_DXT1, red, 4, 4);
    const std::string path = WriteDds("red.dds", dds);

    GfxTexture* texture = nullptr;
    ASSERT_EQ(TextureFile::CreateTexture(m_Device, path, &texture), GFX_OK);
    EXPECT_EQ(texture->GetFormat(), uint32_t(FMT_A8R8G8B8));
    LockedRect locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, LOCK_READONLY), GFX_OK);
    EXPECT_EQ(Texel32(locked, 3, 3), 0xFFFF0000u);
    texture->UnlockRect(0);
    texture->Release();
}

TEST_F(TextureFileTest, WrongKindAndDamagedFilesLeaveNoTexture)
{
    testsupport::DebugCapture capture;
    Dds flat;
    ddsbytes::PutTexel(flat.data, 0xFFFFFFFF, 16);
    const std::string flatPath = WriteDds("flat.dds", flat);
    GfxCubeTexture* cube = reinterpret_cast<GfxCubeTexture*>(1);
    EXPECT_TRUE(GfxFailed(TextureFile::CreateCubeTexture(m_Device, flatPath, &cube)));
    EXPECT_EQ(cube, nullptr);
    EXPECT_TRUE(capture.Contains("[TextureFile::CreateCubeTexture]"));

    const std::string cut = m_Dir.Write("cut.dds", "DDS |");
    GfxTexture* texture = nullptr;
    EXPECT_TRUE(GfxFailed(TextureFile::CreateTexture(m_Device, cut, &texture)));
    EXPECT_EQ(texture, nullptr);
    EXPECT_TRUE(GfxFailed(TextureFile::CreateTexture(m_Device, m_Dir.File("none.dds"), &texture)));
}

TEST_F(TextureFileTest, SurfaceCopyConvertsEveryTexelBetweenFormats)
{
    GfxTexture* source = nullptr;
    GfxTexture* target = nullptr;
    ASSERT_EQ(m_Device->CreateTexture(2, 2, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &source), GFX_OK);
    ASSERT_EQ(m_Device->CreateTexture(2, 2, 1, 0, FMT_R5G6B5, POOL_MANAGED, &target), GFX_OK);
    LockedRect locked;
    ASSERT_EQ(source->LockRect(0, &locked, nullptr, 0), GFX_OK);
    const uint32_t texels[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF808080};
    for (int i = 0; i < 4; ++i)
        std::memcpy(static_cast<uint8_t*>(locked.Bits) + (i / 2) * locked.Pitch + (i % 2) * 4, &texels[i], 4);
    source->UnlockRect(0);

    GfxSurface* from = nullptr;
    GfxSurface* to = nullptr;
    ASSERT_EQ(source->GetSurfaceLevel(0, &from), GFX_OK);
    ASSERT_EQ(target->GetSurfaceLevel(0, &to), GFX_OK);
    ASSERT_EQ(SurfaceCopy::CopySurface(to, from), GFX_OK);
    ASSERT_EQ(target->LockRect(0, &locked, nullptr, LOCK_READONLY), GFX_OK);
    auto at = [&](int x, int y)
    {
        uint16_t v;
        std::memcpy(&v, static_cast<uint8_t*>(locked.Bits) + y * locked.Pitch + x * 2, 2);
        return v;
    };
    EXPECT_EQ(at(0, 0), 0xF800);
    EXPECT_EQ(at(1, 0), 0x07E0);
    EXPECT_EQ(at(0, 1), 0x001F);
    EXPECT_EQ(at(1, 1), (16 << 11) | (32 << 5) | 16);
    target->UnlockRect(0);

    // Sizes that differ are refused.
    GfxTexture* larger = nullptr;
    ASSERT_EQ(m_Device->CreateTexture(4, 4, 1, 0, FMT_R5G6B5, POOL_MANAGED, &larger), GFX_OK);
    GfxSurface* largeSurface = nullptr;
    ASSERT_EQ(larger->GetSurfaceLevel(0, &largeSurface), GFX_OK);
    EXPECT_EQ(SurfaceCopy::CopySurface(largeSurface, from), GFXERR_INVALIDCALL);
    for (GfxObject* object : {static_cast<GfxObject*>(largeSurface), static_cast<GfxObject*>(larger),
                              static_cast<GfxObject*>(from), static_cast<GfxObject*>(to),
                              static_cast<GfxObject*>(source), static_cast<GfxObject*>(target)})
        object->Release();
}

TEST_F(TextureFileTest, VolumeCopyConvertsEverySlice)
{
    std::vector<uint32_t> slices = {0xFFFF0000, 0xFF0000FF};
    GfxVolumeTexture* source = nullptr;
    GfxVolumeTexture* target = nullptr;
    ASSERT_EQ(m_Device->CreateVolumeTexture(4, 4, 2, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &source), GFX_OK);
    ASSERT_EQ(m_Device->CreateVolumeTexture(4, 4, 2, 1, 0, FMT_X8R8G8B8, POOL_MANAGED, &target), GFX_OK);
    LockedBox box;
    ASSERT_EQ(source->LockBox(0, &box, nullptr, 0), GFX_OK);
    for (uint32_t z = 0; z < 2; ++z)
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 4; ++x)
                std::memcpy(static_cast<uint8_t*>(box.Bits) + z * box.SlicePitch + y * box.RowPitch + x * 4,
                            &slices[z], 4);
    source->UnlockBox(0);
    GfxVolume* from = nullptr;
    GfxVolume* to = nullptr;
    ASSERT_EQ(source->GetVolumeLevel(0, &from), GFX_OK);
    ASSERT_EQ(target->GetVolumeLevel(0, &to), GFX_OK);
    ASSERT_EQ(SurfaceCopy::CopyVolume(to, from), GFX_OK);
    ASSERT_EQ(target->LockBox(0, &box, nullptr, LOCK_READONLY), GFX_OK);
    uint32_t back;
    std::memcpy(&back, static_cast<uint8_t*>(box.Bits) + box.SlicePitch + 3 * box.RowPitch + 12, 4);
    EXPECT_EQ(back & 0xFFFFFF, 0x0000FFu);
    target->UnlockBox(0);
    for (GfxObject* object : {static_cast<GfxObject*>(from), static_cast<GfxObject*>(to),
                              static_cast<GfxObject*>(source), static_cast<GfxObject*>(target)})
        object->Release();
}

} // namespace
