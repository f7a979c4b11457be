#include "engine/render/kaTexture.h"

#include "tests/support/engine/render/GraphicsManagerFixture.h"
#include "tests/support/engine/render/ImageFileBytes.h"
#include "tests/support/platform/DdsBytes.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/core/kaFileSystem.h"
#include "engine/render/EndsWithNoCase.h"
#include "engine/render/kaBMPImage.h"
#include "engine/render/kaTGAImage.h"
#include "engine/render/kaTextureAtlas.h"
#include "platform/gfx/DxtCodec.h"
#include "platform/gfx/GfxCubeTexture.h"
#include "platform/gfx/GfxTexture.h"
#include "platform/registry/MemoryRegistry.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/DebugCapture.h"

#include <cstring>
#include <sstream>

using namespace platform;
using imagebytes::Bytes;

namespace
{

const char* const kGraphics = "[Begin Graphics Config]\nBitsPerPixel=32\n[End Graphics Config]\n";

// A 24-bit BMP whose texel (x, y) has blue x, green y and red 7.
Bytes GradientBmp(int width, int height)
{
    imagebytes::Bmp bmp;
    bmp.width = width;
    bmp.height = height;
    for (int y = 0; y < height; ++y)
    {
        Bytes row;
        for (int x = 0; x < width; ++x)
            row.insert(row.end(), {uint8_t(x), uint8_t(y), 7});
        bmp.topFirstRows.push_back(row);
    }
    return imagebytes::BmpBytes(bmp);
}

uint32_t Texel32(const LockedRect& locked, uint32_t x, uint32_t y)
{
    uint32_t value;
    std::memcpy(&value, static_cast<const uint8_t*>(locked.Bits) + y * locked.Pitch + x * 4, 4);
    return value;
}

// Bytes of a small linear congruential sequence from a seed: the same noise on every run.
Bytes Noise(size_t count, uint32_t seed)
{
    Bytes bytes(count);
    for (uint8_t& byte : bytes)
        byte = uint8_t((seed = seed * 1103515245u + 12345u) >> 16);
    return bytes;
}

// A true-colour file of the given size, depth and descriptor holding the top-first pixels.
Bytes TrueColourTga(uint16_t width, uint16_t height, uint8_t bits, uint8_t descriptor, const Bytes& pixels)
{
    imagebytes::TgaHeader header;
    header.width = width;
    header.height = height;
    header.bitsPerPixel = bits;
    header.descriptor = descriptor;
    return imagebytes::RawTga(header, pixels);
}

class TextureTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(Start(kGraphics)); }

    std::string WriteFile(const std::string& name, const Bytes& bytes)
    {
        return m_Dir.Write(name, imagebytes::AsString(bytes));
    }
};

TEST_F(TextureTest, PowerOfTwoBmpGetsItsOwnTextureWithTheWholeChain)
{
    const std::string path = WriteFile("wall.bmp", GradientBmp(128, 64));
    kaTexture* texture = m_Manager->LoadTexture(path, false, 0);
    ASSERT_NE(texture, nullptr);
    EXPECT_FALSE(texture->IsInAtlas());
    // Number 1 is the glyph page of the System font made at start-up.
    EXPECT_EQ(texture->GetNumber(), 2u);
    ASSERT_NE(texture->GetTexture(), nullptr);
    EXPECT_EQ(texture->GetTexture()->GetLevelCount(), 7u); // down to 2 x 1
    EXPECT_EQ(texture->GetFormat(), uint32_t(FMT_X8R8G8B8));
    LockedRect locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, LOCK_READONLY), GFX_OK);
    EXPECT_EQ(Texel32(locked, 5, 9) & 0xFFFFFF, 0x070905u);
    texture->UnlockRect(0);
    ASSERT_EQ(texture->LockRect(1, &locked, nullptr, LOCK_READONLY), GFX_OK);
    // Texel (1, 2) of level 1 averages x 2..3 and y 4..5 of level 0.
    EXPECT_EQ(Texel32(locked, 1, 2) & 0xFFFFFF, 0x070402u);
    texture->UnlockRect(1);
    EXPECT_TRUE(m_Manager->ReleaseTexture(texture));
}

TEST_F(TextureTest, OddSizedBmpIsPlacedInTheAtlasWithoutMips)
{
    const std::string path = WriteFile("sign.bmp", GradientBmp(100, 64));
    kaTexture* texture = m_Manager->LoadTexture(path, false, 0);
    ASSERT_NE(texture, nullptr);
    EXPECT_TRUE(texture->IsInAtlas());
    EXPECT_FALSE(texture->HasMips());
    ASSERT_EQ(m_Manager->GetTextureAtlas().GetPages().size(), 1u);
    EXPECT_EQ(texture->GetTexture(), m_Manager->GetTextureAtlas().GetPages()[0].texture);
    EXPECT_EQ(texture->GetTexture()->GetLevelCount(), 1u);
    float l, t, r, b;
    texture->GetTexCoordRect(l, t, r, b);
    EXPECT_FLOAT_EQ(l, 0.0f);
    EXPECT_FLOAT_EQ(t, 0.0f);
    EXPECT_FLOAT_EQ(r, 100.0f / 1024.0f);
    EXPECT_FLOAT_EQ(b, 64.0f / 1024.0f);
    const kaColor colour = texture->GetPixelColor(0.5f, 0.25f); // texel (50, 16)
    EXPECT_NEAR(colour.b, 50.0f / 255.0f, 1e-4);
    EXPECT_NEAR(colour.g, 16.0f / 255.0f, 1e-4);

    // A second odd image lands beside the first, and its colours are read inside its own rectangle.
    kaTexture* second = m_Manager->LoadTexture(WriteFile("post.bmp", GradientBmp(30, 10)), false, 0);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->GetPlacementLeft(), 100u);
    EXPECT_NEAR(second->GetPixelColor(0.9f, 0.5f).b, 27.0f / 255.0f, 1e-4);

    m_Manager->ReleaseTexture(second);
    m_Manager->ReleaseTexture(texture);
    EXPECT_TRUE(m_Manager->GetTextureAtlas().GetPages()[0].entries.empty());
}

TEST_F(TextureTest, MissingImageFallsBackToTheDefaultTextureWithADebuggerLine)
{
    testsupport::CurrentDirectory here(m_Dir.Path());
    // Without the default texture there is nothing; only the System font's glyph page is registered.
    EXPECT_EQ(m_Manager->LoadTexture("gone.bmp", false, 0), nullptr);
    EXPECT_EQ(m_Manager->GetTextures().size(), 1u);

    m_Dir.Write("Resources/DefaultTexture.bmp", imagebytes::AsString(GradientBmp(4, 4)));
    testsupport::DebugCapture capture;
    kaTexture* texture = m_Manager->LoadTexture("gone.tga", false, 0);
    ASSERT_NE(texture, nullptr);
    EXPECT_TRUE(capture.Contains("kaTexture::CreateFromFilename - gone.tga does not exist."));
    EXPECT_EQ(texture->GetName(), "gone.tga");
    EXPECT_EQ(texture->GetWidth(), 4u);
    // Another extension has no fallback.
    EXPECT_EQ(m_Manager->LoadTexture("gone.dds", false, 0), nullptr);
    m_Manager->ReleaseTexture(texture);
}

TEST_F(TextureTest, SameNameIsSharedAndReleasedReferenceByReference)
{
    const std::string path = WriteFile("wall.bmp", GradientBmp(16, 16));
    kaTexture* first = m_Manager->LoadTexture(path, false, 0);
    kaTexture* again = m_Manager->LoadTexture(path, false, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, again);
    EXPECT_EQ(first->GetRefCount(), 2);
    // Beside the System font's glyph page.
    EXPECT_EQ(m_Manager->GetTextures().size(), 2u);
    EXPECT_TRUE(m_Manager->ReleaseTexture(first));
    EXPECT_EQ(m_Manager->GetTextures().size(), 2u);
    EXPECT_TRUE(m_Manager->ReleaseTexture(first));
    EXPECT_EQ(m_Manager->GetTextures().size(), 1u);
    // The next texture takes the next number.
    kaTexture* next = m_Manager->LoadTexture(path, true, 0);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->GetNumber(), 3u);
    EXPECT_EQ(next->GetTexture()->GetLevelCount(), 1u);
    // A texture the table does not hold is released and refused.
    auto* stray = new kaTexture;
    stray->AddRef();
    EXPECT_FALSE(m_Manager->ReleaseTexture(stray));
}

TEST_F(TextureTest, FailedLocksLeaveNoTextureBehind)
{
    const std::string path = WriteFile("wall.bmp", GradientBmp(16, 16));
    const size_t before = Device()->LiveResourceCount(POOL_MANAGED);
    // The image loaded, so the texture is there, drawing nothing.
    Device()->FailNext("Texture::LockRect", GFXERR_INVALIDCALL);
    kaTexture* texture = m_Manager->LoadTexture(path, false, 0);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetTexture(), nullptr);
    EXPECT_EQ(Device()->LiveResourceCount(POOL_MANAGED), before);

    const std::string odd = WriteFile("odd.bmp", GradientBmp(10, 10));
    Device()->FailNext("Texture::LockRect", GFXERR_INVALIDCALL);
    texture = m_Manager->LoadTexture(odd, false, 0);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetTexture(), nullptr);
    // The page made for it went with its only entry.
    EXPECT_TRUE(m_Manager->GetTextureAtlas().GetPages().empty());
    EXPECT_EQ(Device()->LiveResourceCount(POOL_MANAGED), before);
}

TEST_F(TextureTest, SixteenBitImageWithoutAChainFilterGetsOneLevel)
{
    imagebytes::TgaHeader header;
    header.width = 8;
    header.height = 8;
    header.bitsPerPixel = 16;
    header.descriptor = 0x21;
    Bytes pixels;
    for (int i = 0; i < 64; ++i)
        imagebytes::PutU16(pixels, 0xFC00); // opaque red in A1R5G5B5
    kaTexture* texture =
        m_Manager->LoadTexture(WriteFile("red.tga", imagebytes::RawTga(header, pixels)), false, 0);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetTexture()->GetLevelCount(), 1u);
    const kaColor colour = texture->GetPixelColor(0.5f, 0.5f);
    EXPECT_FLOAT_EQ(colour.r, 1.0f);
    EXPECT_FLOAT_EQ(colour.g, 0.0f);
    EXPECT_FLOAT_EQ(colour.a, 1.0f);
    m_Manager->ReleaseTexture(texture);
}

// A grey TGA file (a height map shown as a picture) is a texture of its own holding its greys, whether it
// stands alone or is placed in the atlas; never the default texture, never a texture without pixels.
TEST_F(TextureTest, GreyTgaFilesShowTheirOwnGreys)
{
    struct Case
    {
        uint16_t width, height;
        uint8_t descriptor;
    };
    for (const Case& c : {Case{4, 4, 0x20}, Case{5, 3, 0}})
    {
        imagebytes::TgaHeader header;
        header.imageType = 3;
        header.width = c.width;
        header.height = c.height;
        header.bitsPerPixel = 8;
        header.descriptor = c.descriptor;
        Bytes greys;
        for (int i = 0; i < c.width * c.height; ++i)
            greys.push_back(uint8_t(15 * i + 10));
        const std::string name = "grey" + std::to_string(c.width) + "x" + std::to_string(c.height) + ".tga";
        kaTexture* texture =
            m_Manager->LoadTexture(WriteFile(name, imagebytes::RawTga(header, greys)), false, 0);
        ASSERT_NE(texture, nullptr) << name;
        EXPECT_EQ(texture->GetWidth(), c.width) << name;
        EXPECT_EQ(texture->GetHeight(), c.height) << name;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
            {
                const kaColor colour =
                    texture->GetPixelColor((x + 0.5f) / float(c.width), (y + 0.5f) / float(c.height));
                const float grey = float(greys[size_t(y) * c.width + x]) / 255.0f;
                // Eight-bit pictures are alpha textures: the grey is the texel's alpha, the colour one
                // plain shade for all.
                EXPECT_NEAR(colour.a, grey, 0.01f) << name << " at " << x << ", " << y;
                EXPECT_EQ(colour.r, colour.g) << name << " at " << x << ", " << y;
                EXPECT_EQ(colour.g, colour.b) << name << " at " << x << ", " << y;
            }
        m_Manager->ReleaseTexture(texture);
    }
}

TEST_F(TextureTest, CreateRaisesSidesToPowersOfTwoAndFillsWithWhite)
{
    kaTexture* texture = m_Manager->CreateTexture(100, 30, 0);
    ASSERT_NE(texture, nullptr);
    SurfaceDesc desc;
    ASSERT_EQ(texture->GetTexture()->GetLevelDesc(0, &desc), GFX_OK);
    EXPECT_EQ(desc.Width, 128u);
    EXPECT_EQ(desc.Height, 32u);
    EXPECT_EQ(desc.Format, uint32_t(FMT_A8R8G8B8));
    LockedRect locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, LOCK_READONLY), GFX_OK);
    EXPECT_EQ(Texel32(locked, 127, 31), 0xFFFFFFFFu);
    texture->UnlockRect(0);
    m_Manager->ReleaseTexture(texture);

    kaTexture square;
    ASSERT_TRUE(square.Create(100, 30, Device(), FMT_A8R8G8B8, 1, 0, POOL_MANAGED));
    EXPECT_EQ(square.GetWidth(), 128u);
    EXPECT_EQ(square.GetHeight(), 32u);
    EXPECT_FALSE(square.Create(100, 30, nullptr, FMT_A8R8G8B8, 1, 0, POOL_MANAGED));
}

TEST_F(TextureTest, SquareOnlyDevicesGetTheLargerSideAndTooLargeSidesAreLimited)
{
    m_Manager.reset();
    m_D3D->Adapters[0].Caps.TextureCaps |= PTEXTURECAPS_SQUAREONLY;
    m_D3D->Adapters[0].Caps.MaxTextureHeight = 64;
    ASSERT_TRUE(Start(kGraphics));
    kaTexture texture;
    ASSERT_TRUE(texture.Create(100, 30, Device(), FMT_A8R8G8B8, 1, 0, POOL_MANAGED));
    EXPECT_EQ(texture.GetWidth(), 128u);
    EXPECT_EQ(texture.GetHeight(), 64u);
}

TEST(TextureMipChainTest, ChainStopsWhenASideReachesZero)
{
    uint32_t levels = 0;
    EXPECT_EQ(kaTexture::GetMipChainSize(8, 2, levels), 20u);
    EXPECT_EQ(levels, 2u);
    EXPECT_EQ(kaTexture::GetMipChainSize(1, 1, levels), 1u);
    EXPECT_EQ(levels, 1u);
    EXPECT_EQ(kaTexture::GetMipChainSize(0, 16, levels), 0u);
    EXPECT_EQ(levels, 0u);
}

TEST_F(TextureTest, MipBlocksAverageTwoByTwoWhenOneSideReachesOneFirst)
{
    // An 8 x 2 32-bit image: level 1 is 4 x 1, each texel the mean of a 2 x 2 block.
    Bytes pixels;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x)
            pixels.insert(pixels.end(), {uint8_t(x * 10), uint8_t(y * 100), 0, 255});
    imagebytes::TgaHeader header;
    header.width = 8;
    header.height = 2;
    header.descriptor = 0x28;
    kaTexture* texture =
        m_Manager->LoadTexture(WriteFile("strip.tga", imagebytes::RawTga(header, pixels)), false, 0);
    ASSERT_NE(texture, nullptr);
    std::vector<uint8_t> chain = texture->GenerateMipMaps(pixels.data(), 32);
    ASSERT_EQ(chain.size(), 20u * 4);
    const uint8_t* level1 = chain.data() + 16 * 4;
    EXPECT_EQ(level1[3 * 4 + 0], (60 + 70 + 60 + 70) >> 2);
    EXPECT_EQ(level1[3 * 4 + 1], (0 + 0 + 100 + 100) >> 2);
    ASSERT_EQ(texture->GetTexture()->GetLevelCount(), 2u);
    LockedRect locked;
    ASSERT_EQ(texture->LockRect(1, &locked, nullptr, LOCK_READONLY), GFX_OK);
    EXPECT_EQ(Texel32(locked, 3, 0), 0xFF003241u);
    texture->UnlockRect(1);

    // 8-bit levels take the mean of the left column of each block; other depths have no chain.
    const uint8_t grey[16] = {10, 99, 30, 99, 10, 99, 30, 99, 50, 0, 70, 0, 50, 0, 70, 0};
    std::vector<uint8_t> greyChain = texture->GenerateMipMaps(grey, 8);
    ASSERT_EQ(greyChain.size(), 20u);
    EXPECT_EQ(greyChain[16], (10 + 50) >> 1);
    EXPECT_EQ(greyChain[17], (30 + 70) >> 1);
    EXPECT_TRUE(texture->GenerateMipMaps(pixels.data(), 16).empty());
    m_Manager->ReleaseTexture(texture);
}

// Every level of a longer chain, at each depth, against the block means computed texel by texel.
TEST_F(TextureTest, EveryMipLevelHoldsTheMeansOfItsBlocks)
{
    imagebytes::TgaHeader header;
    header.width = 32;
    header.height = 8;
    header.descriptor = 0x28;
    Bytes image(32 * 8 * 4, 0xFF);
    kaTexture* texture =
        m_Manager->LoadTexture(WriteFile("chain.tga", imagebytes::RawTga(header, image)), false, 0);
    ASSERT_NE(texture, nullptr);
    for (uint32_t bits : {8u, 24u, 32u})
    {
        const uint32_t bytes = bits / 8;
        Bytes pixels = Noise(32 * 8 * bytes, 5);
        const std::vector<uint8_t> chain = texture->GenerateMipMaps(pixels.data(), bits);
        // 32 x 8, 16 x 4, 8 x 2, 4 x 1.
        ASSERT_EQ(chain.size(), size_t(256 + 64 + 16 + 4) * bytes) << bits;
        size_t above = 0, at = 256 * bytes;
        uint32_t width = 32;
        for (uint32_t w = 16, h = 4; h >= 1; w /= 2, h /= 2)
        {
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < w; ++x)
                    for (uint32_t c = 0; c < bytes; ++c)
                    {
                        const auto texel = [&](uint32_t tx, uint32_t ty)
                        { return int(chain[above + (size_t(ty) * width + tx) * bytes + c]); };
                        const int expected = bytes == 1
                                                 ? (texel(2 * x, 2 * y) + texel(2 * x, 2 * y + 1)) >> 1
                                                 : (texel(2 * x, 2 * y) + texel(2 * x + 1, 2 * y) +
                                                    texel(2 * x, 2 * y + 1) + texel(2 * x + 1, 2 * y + 1)) >>
                                                       2;
                        ASSERT_EQ(int(chain[at + (size_t(y) * w + x) * bytes + c]), expected)
                            << bits << " bits, level " << w << " x " << h << " at " << x << ", " << y;
                    }
            above = at;
            at += size_t(w) * h * bytes;
            width = w;
        }
    }
    m_Manager->ReleaseTexture(texture);
}

// 32-bit rows are halved several texels at a time where the processor allows: rows whose halves are not
// a multiple of that width still give every texel its block's mean, to the last one.
TEST_F(TextureTest, WideRowsOfEveryLengthHalveToTheirBlockMeans)
{
    for (const uint16_t width : {16, 30, 32, 46, 62, 64, 66, 94, 126})
    {
        const uint16_t height = 4;
        imagebytes::TgaHeader header;
        header.width = width;
        header.height = height;
        header.descriptor = 0x28;
        Bytes pixels = Noise(size_t(width) * height * 4, width);
        // Extremes in every channel, so a sum that overflowed or was rounded would show.
        std::fill(pixels.begin(), pixels.begin() + 16, 0xFF);
        std::fill(pixels.begin() + size_t(width) * 4, pixels.begin() + size_t(width) * 4 + 16, 0xFF);
        const std::string name = "wide" + std::to_string(width) + ".tga";
        kaTexture* texture =
            m_Manager->LoadTexture(WriteFile(name, imagebytes::RawTga(header, pixels)), false, 0);
        ASSERT_NE(texture, nullptr) << name;
        const std::vector<uint8_t> chain = texture->GenerateMipMaps(pixels.data(), 32);
        const size_t top = size_t(width) * height * 4;
        ASSERT_GE(chain.size(), top + size_t(width / 2) * (height / 2) * 4) << name;
        for (uint32_t y = 0; y < height / 2u; ++y)
            for (uint32_t x = 0; x < width / 2u; ++x)
                for (uint32_t c = 0; c < 4; ++c)
                {
                    const auto texel = [&](uint32_t tx, uint32_t ty)
                    { return int(pixels[(size_t(ty) * width + tx) * 4 + c]); };
                    const int expected = (texel(2 * x, 2 * y) + texel(2 * x + 1, 2 * y) +
                                          texel(2 * x, 2 * y + 1) + texel(2 * x + 1, 2 * y + 1)) >>
                                         2;
                    ASSERT_EQ(int(chain[top + (size_t(y) * (width / 2) + x) * 4 + c]), expected)
                        << name << " at " << x << ", " << y << " channel " << c;
                }
        m_Manager->ReleaseTexture(texture);
    }
}

// A loaded texture's levels, made straight from the file's pixels, hold the chain GenerateMipMaps gives,
// at 32 bits as they are and at 24 bits in the colour bytes of each converted texel.
TEST_F(TextureTest, LoadedLevelsHoldTheGeneratedChain)
{
    struct Case
    {
        uint16_t width, height;
        uint8_t bits;
    };
    for (const Case& c : {Case{16, 8, 32}, Case{8, 32, 32}, Case{32, 32, 24}, Case{4, 2, 24}})
    {
        const uint32_t bytes = c.bits / 8u;
        Bytes pixels = Noise(size_t(c.width) * c.height * bytes, c.width * 7u + c.height + c.bits);
        const std::string name = "levels" + std::to_string(c.width) + "x" + std::to_string(c.height) + "_" +
                                 std::to_string(c.bits) + ".tga";
        kaTexture* texture = m_Manager->LoadTexture(
            WriteFile(name, TrueColourTga(c.width, c.height, c.bits, c.bits == 32 ? 0x28 : 0x20, pixels)),
            false, 0);
        ASSERT_NE(texture, nullptr) << name;
        const std::vector<uint8_t> chain = texture->GenerateMipMaps(pixels.data(), c.bits);
        uint32_t levels = 0;
        kaTexture::GetMipChainSize(c.width, c.height, levels);
        ASSERT_EQ(texture->GetTexture()->GetLevelCount(), levels) << name;
        size_t at = 0;
        uint32_t w = c.width, h = c.height;
        for (uint32_t level = 0; level < levels; ++level, w /= 2, h /= 2)
        {
            LockedRect locked;
            ASSERT_EQ(texture->LockRect(level, &locked, nullptr, LOCK_READONLY), GFX_OK);
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < w; ++x, at += bytes)
                {
                    const uint32_t texel = Texel32(locked, x, y);
                    for (uint32_t b = 0; b < bytes; ++b)
                        ASSERT_EQ((texel >> (8 * b)) & 0xFF, chain[at + b])
                            << name << " level " << level << " at " << x << ", " << y;
                }
            texture->UnlockRect(level);
        }
        EXPECT_EQ(at, chain.size()) << name;
        m_Manager->ReleaseTexture(texture);
    }
}

// Each level of a loaded texture against box means worked out texel by texel from the file's pixels, at
// widths whose rows end part-way through a group of four texels and at depths with and without alpha.
TEST_F(TextureTest, LoadedLevelsAreTheTruncatedMeansOfTheirBlocks)
{
    struct Case
    {
        uint16_t width, height;
        uint8_t bits, descriptor;
    };
    for (const Case& c : {Case{64, 8, 32, 0x28}, Case{8, 64, 32, 0x28}, Case{128, 2, 24, 0x20},
                          Case{32, 16, 24, 0x20}, Case{16, 16, 32, 0x20}})
    {
        const uint32_t bytes = c.bits / 8u;
        Bytes pixels = Noise(size_t(c.width) * c.height * bytes, c.width * 13u + c.height * 3u + c.bits);
        const std::string name = "box" + std::to_string(c.width) + "x" + std::to_string(c.height) + "_" +
                                 std::to_string(c.bits) + "_" + std::to_string(c.descriptor) + ".tga";
        kaTexture* texture = m_Manager->LoadTexture(
            WriteFile(name, TrueColourTga(c.width, c.height, c.bits, c.descriptor, pixels)), false, 0);
        ASSERT_NE(texture, nullptr) << name;
        // The alpha byte is compared only where the file has alpha; colours always.
        const uint32_t compared = c.descriptor & 0x0F ? 4 : 3;
        std::vector<int> level(pixels.begin(), pixels.end());
        uint32_t w = c.width, h = c.height, index = 0;
        for (;; ++index)
        {
            LockedRect locked;
            ASSERT_EQ(texture->LockRect(index, &locked, nullptr, LOCK_READONLY), GFX_OK)
                << name << " " << index;
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < w; ++x)
                {
                    const uint32_t texel = Texel32(locked, x, y);
                    for (uint32_t b = 0; b < compared; ++b)
                    {
                        const int expected = b < bytes ? level[(size_t(y) * w + x) * bytes + b] : 0xFF;
                        ASSERT_EQ(int((texel >> (8 * b)) & 0xFF), expected)
                            << name << " level " << index << " at " << x << ", " << y << " byte " << b;
                    }
                }
            texture->UnlockRect(index);
            if (w / 2 == 0 || h / 2 == 0)
                break;
            std::vector<int> next;
            for (uint32_t y = 0; y < h / 2; ++y)
                for (uint32_t x = 0; x < w / 2; ++x)
                    for (uint32_t b = 0; b < bytes; ++b)
                    {
                        const auto at = [&](uint32_t tx, uint32_t ty)
                        { return level[(size_t(ty) * w + tx) * bytes + b]; };
                        next.push_back((at(2 * x, 2 * y) + at(2 * x + 1, 2 * y) + at(2 * x, 2 * y + 1) +
                                        at(2 * x + 1, 2 * y + 1)) /
                                       4);
                    }
            level.swap(next);
            w /= 2;
            h /= 2;
        }
        EXPECT_EQ(index + 1, texture->GetTexture()->GetLevelCount()) << name;
        m_Manager->ReleaseTexture(texture);
    }
}

// A manager set up never to draw starts without the system font or leaves texture files unread, each
// alone; one set up as usual has both.
TEST_F(TextureTest, AManagerThatNeverDrawsLeavesTheSystemFontOrTextureFilesUnloaded)
{
    imagebytes::TgaHeader header;
    header.width = 4;
    header.height = 4;
    header.descriptor = 0x28;
    const std::string file = WriteFile("skipped.tga", imagebytes::RawTga(header, Bytes(4 * 4 * 4, 0x80)));
    for (const auto& [skipFont, skipTextures] :
         {std::pair{false, false}, std::pair{true, false}, std::pair{false, true}, std::pair{true, true}})
    {
        m_Manager.reset();
        m_Manager = std::make_unique<kaGraphicsManager>();
        m_Manager->SetSkipSystemFont(skipFont);
        m_Manager->SetSkipTextureFiles(skipTextures);
        ASSERT_TRUE(m_Manager->Initialize(m_Window, m_ConfigPath.c_str(), nullptr, false));
        EXPECT_EQ(m_Manager->GetFont(kaGraphicsManager::kSystemFont) != nullptr, !skipFont)
            << skipFont << skipTextures;
        kaTexture* texture = m_Manager->LoadTexture(file, false, 0);
        EXPECT_EQ(texture != nullptr, !skipTextures) << skipFont << skipTextures;
        if (texture)
            m_Manager->ReleaseTexture(texture);
        // Textures made in memory are still made.
        kaTexture* made = m_Manager->CreateTexture(8, 8, 0);
        EXPECT_NE(made, nullptr) << skipFont << skipTextures;
        if (made)
            m_Manager->ReleaseTexture(made);
    }
}

// Sizes whose levels have odd widths and widths of one, against the block means of a texel-by-texel
// reference at every depth.
TEST_F(TextureTest, OddLevelWidthsHoldTheMeansOfTheirBlocks)
{
    struct Size
    {
        uint16_t width, height;
    };
    for (const Size& size : {Size{14, 10}, Size{6, 12}, Size{2, 2}, Size{30, 4}})
    {
        imagebytes::TgaHeader header;
        header.width = size.width;
        header.height = size.height;
        header.descriptor = 0x28;
        const std::string name =
            "odd" + std::to_string(size.width) + "x" + std::to_string(size.height) + ".tga";
        kaTexture* texture = m_Manager->LoadTexture(
            WriteFile(name, imagebytes::RawTga(header, Bytes(size_t(size.width) * size.height * 4, 0x40))),
            false, 0);
        ASSERT_NE(texture, nullptr) << name;
        for (uint32_t bits : {8u, 24u, 32u})
        {
            const uint32_t bytes = bits / 8;
            Bytes pixels = Noise(size_t(size.width) * size.height * bytes, size.width * 31u + bits);
            const std::vector<uint8_t> chain = texture->GenerateMipMaps(pixels.data(), bits);
            std::vector<uint8_t> expected(pixels.begin(), pixels.end());
            size_t above = 0;
            for (uint32_t width = size.width, height = size.height; width / 2 && height / 2;
                 width /= 2, height /= 2)
            {
                for (uint32_t y = 0; y < height / 2; ++y)
                    for (uint32_t x = 0; x < width / 2; ++x)
                        for (uint32_t c = 0; c < bytes; ++c)
                        {
                            const auto texel = [&](uint32_t tx, uint32_t ty)
                            { return int(expected[above + (size_t(ty) * width + tx) * bytes + c]); };
                            const int sum = bytes == 1
                                                ? 2 * (texel(2 * x, 2 * y) + texel(2 * x, 2 * y + 1))
                                                : texel(2 * x, 2 * y) + texel(2 * x + 1, 2 * y) +
                                                      texel(2 * x, 2 * y + 1) + texel(2 * x + 1, 2 * y + 1);
                            expected.push_back(uint8_t(sum >> 2));
                        }
                above += size_t(width) * height * bytes;
            }
            EXPECT_EQ(chain, expected) << name << " at " << bits << " bits";
        }
        m_Manager->ReleaseTexture(texture);
    }
}

TEST_F(TextureTest, TgaStreamPagesCopyRowByRowAndConvertTwentyFourBits)
{
    imagebytes::TgaHeader header;
    header.width = 3;
    header.height = 2;
    header.bitsPerPixel = 24;
    header.descriptor = 0x20;
    Bytes pixels;
    for (int i = 0; i < 6; ++i)
        pixels.insert(pixels.end(), {uint8_t(i), uint8_t(10 + i), uint8_t(20 + i)});
    const std::string bytes = imagebytes::AsString(imagebytes::RawTga(header, pixels));
    std::stringbuf buffer(bytes);
    kaBinaryStream stream(&buffer);
    kaTexture page;
    ASSERT_TRUE(page.CreateFromTGAStream(stream, 1));
    EXPECT_EQ(page.GetFormat(), uint32_t(FMT_X8R8G8B8));
    LockedRect locked;
    ASSERT_EQ(page.LockRect(0, &locked, nullptr, LOCK_READONLY), GFX_OK);
    EXPECT_EQ(Texel32(locked, 0, 1) & 0xFFFFFF, 0x170D03u);
    EXPECT_EQ(Texel32(locked, 2, 1) & 0xFFFFFF, 0x190F05u);
    EXPECT_EQ(Texel32(locked, 3, 1), 0xFFFFFFFFu); // outside the image: the white fill
    page.UnlockRect(0);

    std::stringbuf damaged(bytes.substr(0, 20));
    kaBinaryStream cut(&damaged);
    kaTexture none;
    EXPECT_FALSE(none.CreateFromTGAStream(cut, 1));
    EXPECT_EQ(none.GetTexture(), nullptr);
}

TEST_F(TextureTest, CompressedTexturesStayUnlessTheDeviceCannotTakeThem)
{
    GfxTexture* dxt = nullptr;
    ASSERT_EQ(Device()->CreateTexture(4, 4, 0, 0, FMT_DXT1, POOL_MANAGED, &dxt), GFX_OK);
    LockedRect locked;
    ASSERT_EQ(dxt->LockRect(0, &locked, nullptr, 0), GFX_OK);
    const std::vector<uint8_t> block =
        DxtCodec::EncodeImage(FMT_DXT1, std::vector<uint32_t>(16, 0xFF00FF00), 4, 4);
    std::memcpy(locked.Bits, block.data(), block.size());
    dxt->UnlockRect(0);

    GfxTexture* kept = dxt;
    EXPECT_FALSE(kaTexture::ConvertTexture(kept, Device(), POOL_MANAGED, true));
    EXPECT_EQ(kept, dxt);

    for (uint32_t format : {FMT_DXT1, FMT_DXT2, FMT_DXT3, FMT_DXT4, FMT_DXT5})
        m_D3D->TextureFormats.erase(format);
    GfxTexture* converted = dxt;
    ASSERT_TRUE(kaTexture::ConvertTexture(converted, Device(), POOL_MANAGED, true));
    ASSERT_NE(converted, nullptr);
    EXPECT_EQ(converted->GetFormat(), uint32_t(FMT_A1R5G5B5));
    EXPECT_EQ(converted->GetLevelCount(), 3u);
    EXPECT_EQ(converted->GetLOD(), 1u); // the largest level skipped
    ASSERT_EQ(converted->LockRect(0, &locked, nullptr, LOCK_READONLY), GFX_OK);
    uint16_t texel;
    std::memcpy(&texel, locked.Bits, 2);
    EXPECT_EQ(texel, 0x83E0); // opaque green
    converted->UnlockRect(0);
    converted->Release();
    EXPECT_FALSE(kaTexture::ConvertTexture(converted = nullptr, Device(), POOL_MANAGED, true));
}

TEST_F(TextureTest, DdsFilesLoadByKind)
{
    // A 4 x 4 A8R8G8B8 cube, one level in the file.
    ddsbytes::Dds sky;
    sky.caps2 = 0xFE00;
    for (int face = 0; face < 6; ++face)
        ddsbytes::PutTexel(sky.data, 0xFF000000u | uint32_t(face), 16);
    const std::string path = WriteFile("sky.dds", ddsbytes::DdsFileBytes(sky));

    kaTexture* cube = m_Manager->LoadTexture(path, false, kaTexture::kKindCube);
    ASSERT_NE(cube, nullptr);
    ASSERT_NE(cube->GetCubeTexture(), nullptr);
    EXPECT_EQ(cube->GetTexture(), nullptr);
    EXPECT_EQ(cube->GetLevels(), 3u);
    EXPECT_TRUE(cube->IsCreated());
    LockedRect locked;
    ASSERT_EQ(cube->GetCubeTexture()->LockRect(4, 2, &locked, nullptr, LOCK_READONLY), GFX_OK);
    EXPECT_EQ(Texel32(locked, 0, 0), 0xFF000004u);
    cube->GetCubeTexture()->UnlockRect(4, 2);
    m_Manager->ReleaseTexture(cube);

    // The same file asked for as a plain texture is of the wrong kind.
    EXPECT_EQ(m_Manager->LoadTexture(path, false, kaTexture::kKind2D), nullptr);
}

TEST_F(TextureTest, ShutdownReleasesTexturesPagesAndImages)
{
    ASSERT_NE(m_Manager->LoadTexture(WriteFile("a.bmp", GradientBmp(10, 10)), false, 0), nullptr);
    ASSERT_NE(m_Manager->LoadTexture(WriteFile("b.bmp", GradientBmp(16, 16)), false, 0), nullptr);
    ASSERT_NE(m_Manager->FindOrLoadImageStream(m_Dir.File("a.bmp")), nullptr);
    m_Manager->ReleaseAll();
    EXPECT_TRUE(m_Manager->GetTextures().empty());
    EXPECT_TRUE(m_Manager->GetTextureAtlas().GetPages().empty());
}

TEST_F(TextureTest, ImageCacheFindsByExactNameAndRefusesOtherKinds)
{
    const std::string path = WriteFile("a.bmp", GradientBmp(2, 2));
    const kaImage* image = m_Manager->FindOrLoadImageStream(path);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(m_Manager->FindOrLoadImageStream(path), image);
    EXPECT_EQ(m_Manager->FindOrLoadImageStream(m_Dir.File("a.txt")), nullptr);
    EXPECT_EQ(m_Manager->FindOrLoadImageStream(m_Dir.File("none.tga")), nullptr);
    m_Dir.Write("broken.tga", "not an image");
    EXPECT_EQ(m_Manager->FindOrLoadImageStream(m_Dir.File("broken.tga")), nullptr);
    m_Manager->ClearImageCache();
    EXPECT_NE(m_Manager->FindOrLoadImageStream(path), nullptr);
}

// Cleared cache entries are filled again by later images: every round must find each name's own file as
// it is now, never an image or a name left from an earlier round.
TEST_F(TextureTest, ImageCacheRefilledAfterClearingHoldsOnlyTheNewRound)
{
    struct Round
    {
        std::vector<std::pair<std::string, uint32_t>> Files; // name, width written this round
    };
    const std::vector<Round> rounds = {
        {{{"a.bmp", 2}, {"a_much_longer_image_name_than_the_first.bmp", 3}, {"c.bmp", 4}}},
        {{{"a_much_longer_image_name_than_the_first.bmp", 5}, {"a.bmp", 6}}},
        {{{"c.bmp", 7}, {"d.bmp", 8}, {"a.bmp", 9}, {"e_another_long_name_past_short_room.bmp", 10}}},
        {{}},
        {{{"d.bmp", 11}}},
    };
    for (size_t r = 0; r < rounds.size(); ++r)
    {
        SCOPED_TRACE(r);
        m_Manager->ClearImageCache();
        for (const auto& file : rounds[r].Files)
            WriteFile(file.first, GradientBmp(file.second, 2));
        for (const auto& file : rounds[r].Files)
        {
            const kaImage* image = m_Manager->FindOrLoadImageStream(m_Dir.File(file.first));
            ASSERT_NE(image, nullptr) << file.first;
            EXPECT_EQ(image->GetWidth(), file.second) << file.first;
        }
        // Asked again, each name gives the same image as before.
        for (const auto& file : rounds[r].Files)
            EXPECT_EQ(m_Manager->FindOrLoadImageStream(m_Dir.File(file.first))->GetWidth(), file.second)
                << file.first;
    }
}

// Image files are read in turn through one buffer: each image holds exactly its own file's pixels whatever
// was read before it, and a file cut short after a larger one is refused rather than padded with the
// earlier file's bytes.
TEST_F(TextureTest, ImagesReadInTurnEachDecodeTheirOwnFile)
{
    Bytes pixels;
    for (uint32_t i = 0; i < 32 * 16; ++i)
        pixels.insert(pixels.end(), {uint8_t(i), uint8_t(i >> 8), uint8_t(3 * i), uint8_t(255 - i)});
    imagebytes::TgaHeader header;
    header.width = 32;
    header.height = 16;
    header.descriptor = 0x28;
    const Bytes largeTga = imagebytes::RawTga(header, pixels);
    Bytes cutTga(largeTga.begin(), largeTga.end() - 40);
    header.width = 4;
    header.height = 2;
    const Bytes smallTga = imagebytes::RawTga(header, Bytes(pixels.begin() + 64, pixels.begin() + 64 + 32));

    const struct
    {
        const char* name;
        Bytes bytes;
        const char* reader; // how the same file decodes on its own; null: refused
    } sequence[] = {
        {"large.tga", largeTga, "tga"}, {"small.bmp", GradientBmp(3, 2), "bmp"}, {"cut.tga", cutTga, nullptr},
        {"small.tga", smallTga, "tga"}, {"wide.bmp", GradientBmp(40, 9), "bmp"}, {"empty.tga", {}, nullptr},
        {"again.tga", largeTga, "tga"},
    };
    for (const auto& step : sequence)
        WriteFile(step.name, step.bytes);
    for (const auto& step : sequence)
    {
        SCOPED_TRACE(step.name);
        const std::string path = m_Dir.File(step.name);
        const kaImage* image = m_Manager->FindOrLoadImageStream(path);
        if (!step.reader)
        {
            EXPECT_EQ(image, nullptr);
            continue;
        }
        ASSERT_NE(image, nullptr);
        std::unique_ptr<kaImage> alone;
        if (step.reader == std::string("tga"))
            alone = std::make_unique<kaTGAImage>();
        else
            alone = std::make_unique<kaBMPImage>();
        ASSERT_TRUE(alone->Load(path));
        EXPECT_EQ(image->GetWidth(), alone->GetWidth());
        EXPECT_EQ(image->GetHeight(), alone->GetHeight());
        ASSERT_EQ(image->GetPixelBytes(), alone->GetPixelBytes());
        EXPECT_EQ(std::memcmp(image->GetPixels(), alone->GetPixels(), image->GetPixelBytes()), 0);
    }
}

// Files of one round are read into the rooms the images of the round before held theirs in: every image of
// a round, all alive at once, holds exactly its own file's pixels, whatever size, order or reader came before,
// and a file cut short is refused rather than padded with an earlier file's bytes.
TEST_F(TextureTest, ImagesAfterAClearHoldOnlyTheirOwnFilesWhileAllAlive)
{
    // Top-first files are held as read; bottom-first ones and bitmaps are decoded out of the room.
    const auto tga = [](uint16_t width, uint16_t height, uint8_t bits, uint8_t descriptor, uint32_t seed)
    { return TrueColourTga(width, height, bits, descriptor, Noise(size_t(width) * height * bits / 8, seed)); };
    const Bytes large = tga(64, 32, 32, 0x28, 1);
    const struct
    {
        const char* name;
        Bytes bytes;
        bool loads;
    } rounds[][5] = {
        {{"r0a.tga", tga(16, 16, 32, 0x28, 2), true},
         {"r0b.tga", large, true},
         {"r0c.tga", tga(7, 3, 24, 0x20, 3), true},
         {"r0d.bmp", GradientBmp(5, 3), true},
         {"r0e.tga", tga(9, 5, 32, 0x08, 4), true}},
        {{"r1a.tga", tga(3, 5, 24, 0x20, 5), true},
         {"r1b.tga", Bytes(large.begin(), large.end() - 100), false},
         {"r1c.tga", tga(31, 17, 32, 0x28, 6), true},
         {"r1d.tga", tga(2, 2, 32, 0x28, 7), true},
         {"r1e.tga", tga(11, 7, 24, 0x00, 8), true}},
        {{"r2a.bmp", GradientBmp(9, 4), true},
         {"r2b.tga", tga(80, 40, 32, 0x28, 9), true},
         {"r2c.tga", tga(1, 1, 24, 0x20, 10), true},
         {"r2d.tga", Bytes(large.begin(), large.begin() + 30), false},
         {"r2e.tga", tga(16, 16, 32, 0x28, 11), true}},
    };
    for (const auto& round : rounds)
    {
        m_Manager->ClearImageCache();
        std::vector<std::pair<const kaImage*, std::unique_ptr<kaImage>>> alive;
        for (const auto& file : round)
        {
            SCOPED_TRACE(file.name);
            const std::string path = WriteFile(file.name, file.bytes);
            const kaImage* image = m_Manager->FindOrLoadImageStream(path);
            if (!file.loads)
            {
                EXPECT_EQ(image, nullptr);
                continue;
            }
            ASSERT_NE(image, nullptr);
            std::unique_ptr<kaImage> alone;
            if (EndsWithNoCase(file.name, ".tga"))
                alone = std::make_unique<kaTGAImage>();
            else
                alone = std::make_unique<kaBMPImage>();
            ASSERT_TRUE(alone->Load(path));
            alive.emplace_back(image, std::move(alone));
        }
        for (const auto& pair : alive)
        {
            SCOPED_TRACE(pair.second->GetName());
            EXPECT_EQ(pair.first->GetWidth(), pair.second->GetWidth());
            EXPECT_EQ(pair.first->GetHeight(), pair.second->GetHeight());
            ASSERT_EQ(pair.first->GetPixelBytes(), pair.second->GetPixelBytes());
            EXPECT_EQ(std::memcmp(pair.first->GetPixels(), pair.second->GetPixels(), pair.first->GetPixelBytes()),
                      0);
        }
    }
}

// The reader is chosen by the name's last extension in any letter case; a name whose extension is neither
// reads no picture, whatever the file holds.
TEST_F(TextureTest, TheNamesExtensionInAnyCaseChoosesTheReader)
{
    Bytes pixels(4 * 4 * 4, 0x40);
    const Bytes tga = TrueColourTga(4, 4, 32, 0x28, pixels);
    const Bytes bmp = GradientBmp(4, 4);
    const struct
    {
        const char* name;
        const Bytes& bytes;
        bool image;
    } cases[] = {
        {"upper.TGA", tga, true},        {"mixed.BmP", bmp, true},
        {"dots.in.name.tGa", tga, true}, {"lower.bmp", bmp, true},
        {"picture.tga.bak", tga, false}, {"short.tg", tga, false},
        {"noextension", tga, false},     {"tga", tga, false},
        {"bmp.tga", bmp, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string path = WriteFile(c.name, c.bytes);
        const kaImage* image = m_Manager->FindOrLoadImageStream(path);
        EXPECT_EQ(image != nullptr, c.image);
        if (image)
        {
            EXPECT_EQ(image->GetWidth(), 4u);
        }
        kaTexture* texture = m_Manager->LoadTexture(path, false, 0);
        EXPECT_EQ(texture != nullptr, c.image);
        if (texture)
        {
            m_Manager->ReleaseTexture(texture);
        }
    }
}

// With opened files tracked, an image read through the manager is recorded once, under the path the search
// found it at; one that is refused is not recorded.
TEST_F(TextureTest, ImagesReadAreRecordedUnderThePathFound)
{
    platform::MemoryRegistry registry;
    kaFileSystem files;
    files.Init("SOFTWARE\\Tarvolin\\Tests", "INSTALLTYPE", "FULLINSTALLPATH", "MINIMALINSTALLPATH", "", false,
               true);
    Bytes pixels(4 * 4 * 4, 0x33);
    const std::string tga = WriteFile("found.tga", TrueColourTga(4, 4, 32, 0x28, pixels));
    const std::string bmp = WriteFile("found.bmp", GradientBmp(4, 4));
    const std::string broken = WriteFile("broken.tga", Bytes{1, 2, 3});
    ASSERT_NE(m_Manager->FindOrLoadImageStream(tga), nullptr);
    ASSERT_NE(m_Manager->FindOrLoadImageStream(bmp), nullptr);
    EXPECT_EQ(m_Manager->FindOrLoadImageStream(broken), nullptr);
    // Found again from the cache: nothing more to record.
    ASSERT_NE(m_Manager->FindOrLoadImageStream(tga), nullptr);

    std::vector<std::string> recorded;
    for (const auto& entry : files.GetOpenedFiles())
        recorded.push_back(entry.second);
    std::sort(recorded.begin(), recorded.end());
    std::vector<std::string> expected = {ResolvePath(tga), ResolvePath(bmp)};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(recorded, expected);
    EXPECT_FALSE(expected[0].empty());
}

} // namespace
