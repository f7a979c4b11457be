#pragma once

#include "engine/core/kaColor.h"
#include "engine/render/kaGraphicsObject.h"

#include "platform/gfx/GfxTypes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform
{
class GfxBaseTexture;
class GfxCubeTexture;
class GfxDevice;
class GfxTexture;
class GfxVolumeTexture;
} // namespace platform

class kaBinaryStream;
class kaImage;
struct kaPixelLayout;

// One device texture: 2D, cube or volume. Made from image files (BMP and TGA through the engine's readers,
// DDS through the platform's loader), from a TGA held in a stream, or empty at a size. An image whose sides
// the device cannot take on their own is placed in a shared atlas page and drawn with its own UV rectangle.
class kaTexture : public kaGraphicsObject
{
public:
    static constexpr uint32_t kKind2D = 1;
    static constexpr uint32_t kKindCube = 2;
    static constexpr uint32_t kKindVolume = 3;
    static constexpr uint32_t kFillByte = 0xFF;
    static constexpr const char* kDefaultTexture = "Resources/DefaultTexture.bmp";
    static constexpr const char* kMissingPrefix = "kaTexture::CreateFromFilename - ";
    static constexpr const char* kMissingSuffix = " does not exist.";

    // Added to 1 to give the level of detail of converted textures: 0 skips the largest level.
    static uint32_t s_TextureLOD;

    // An empty 2D record: one level, managed pool, the whole UV square, no device texture.
    kaTexture();
    kaTexture(const std::string& fileName, platform::GfxDevice* device, uint32_t levels, uint32_t usage,
              uint32_t pool, uint32_t kind);
    ~kaTexture() override;

    // Sizes raised to powers of two (and made square) when the device demands it, then limited to its
    // largest texture; level 0 is filled with 0xFF bytes.
    bool Create(uint32_t width, uint32_t height, platform::GfxDevice* device, uint32_t format,
                uint32_t levels, uint32_t usage, uint32_t pool);
    bool CreateFromFilename(const std::string& fileName, platform::GfxDevice* device, uint32_t levels,
                            uint32_t usage, uint32_t pool, uint32_t kind);
    bool CreateFromImage(const kaImage& image, platform::GfxDevice* device, uint32_t width, uint32_t height,
                         uint32_t bitsPerPixel, uint32_t alphaBits, uint32_t usage, uint32_t pool);
    // formatMode 1 asks for a format without alpha.
    bool CreateFromTGAStream(kaBinaryStream& stream, uint32_t formatMode);

    // Replace the texture with one in a format the manager chooses for its depth, unless the device takes
    // compressed textures and this format: then false and the texture is left as it is.
    static bool ConvertTexture(platform::GfxTexture*& texture, platform::GfxDevice* device, uint32_t pool,
                               bool setLOD);
    static bool ConvertCubeTexture(platform::GfxCubeTexture*& texture, platform::GfxDevice* device,
                                   uint32_t pool, bool setLOD);
    static bool ConvertVolumeTexture(platform::GfxVolumeTexture*& texture, platform::GfxDevice* device,
                                     uint32_t pool, bool setLOD);

    void RefreshDescription();
    platform::GfxResult LockRect(uint32_t level, platform::LockedRect* locked, const platform::GfxRect* rect,
                                 uint32_t flags);
    platform::GfxResult UnlockRect(uint32_t level);

    void GetTexCoordRect(float& left, float& top, float& right, float& bottom) const;
    // Also marks the texture as placed in an atlas page.
    void SetTexCoordRect(float left, float top, float right, float bottom);
    // Opaque white without a 2D texture or when the texel cannot be read.
    kaColor GetPixelColor(float u, float v);

    // Texels of a chain that halves both sides while both are nonzero, and its level count.
    static uint32_t GetMipChainSize(uint32_t width, uint32_t height, uint32_t& levels);
    // Level 0 and every smaller level of this texture's size; empty for depths other than 8, 24 and 32.
    std::vector<uint8_t> GenerateMipMaps(const uint8_t* pixels, uint32_t bitsPerPixel) const;

    // The atlas sets these when it places the texture.
    void SetDeviceTexture(platform::GfxTexture* texture);
    void SetPlacement(uint32_t top, uint32_t left, uint32_t pageWidth, uint32_t pageHeight);

    uint32_t GetKind() const { return m_Kind; }
    platform::GfxTexture* GetTexture() const { return m_pTexture; }
    platform::GfxCubeTexture* GetCubeTexture() const { return m_pCubeTexture; }
    platform::GfxVolumeTexture* GetVolumeTexture() const { return m_pVolumeTexture; }
    // Whichever device texture the kind holds.
    platform::GfxBaseTexture* GetBaseTexture() const;
    const std::string& GetName() const { return m_Name; }
    bool IsLoaded() const { return m_Loaded; }
    bool IsCreated() const { return m_Created; }
    uint32_t GetNumber() const { return m_Number; }
    void SetNumber(uint32_t number) { m_Number = number; }
    uint32_t GetWidth() const { return m_Width; }
    uint32_t GetHeight() const { return m_Height; }
    uint32_t GetLevels() const { return m_Levels; }
    uint32_t GetUsage() const { return m_Usage; }
    uint32_t GetFormat() const { return m_Format; }
    uint32_t GetPool() const { return m_Pool; }
    bool HasMips() const { return m_Mips; }
    bool IsInAtlas() const { return m_InAtlas; }
    uint32_t GetPlacementTop() const { return m_Placement[0]; }
    uint32_t GetPlacementLeft() const { return m_Placement[1]; }

private:
    void _ReleaseDeviceTextures();
    bool _CreateFromDDS(const std::string& fileName, platform::GfxDevice* device);
    // Copies rows when the layouts agree, else converts through the current conversion target.
    static bool _CopyPixels(const uint8_t* source, uint32_t sourcePitch, const kaPixelLayout& sourceLayout,
                            void* destination, uint32_t destinationPitch, const kaPixelLayout& target,
                            uint32_t width, uint32_t height);

    uint32_t m_Kind = kKind2D;
    platform::GfxTexture* m_pTexture = nullptr;
    platform::GfxCubeTexture* m_pCubeTexture = nullptr;
    platform::GfxVolumeTexture* m_pVolumeTexture = nullptr;
    std::string m_Name;
    bool m_Loaded = false;
    uint32_t m_Reserved = 0;
    bool m_Created = false;
    uint32_t m_Number = 0;
    uint32_t m_Height = 0;
    uint32_t m_Width = 0;
    uint32_t m_Levels = 1;
    uint32_t m_Usage = 0;
    uint32_t m_Format = platform::FMT_UNKNOWN;
    bool m_Mips = false;
    uint32_t m_Pool = platform::POOL_MANAGED;
    bool m_InAtlas = false;
    uint32_t m_Placement[4] = {0, 0, 0, 0};
    float m_UV[4] = {0.0f, 0.0f, 1.0f, 1.0f};
};
