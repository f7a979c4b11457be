#include "engine/render/kaTexture.h"

#include "engine/core/kaFileSystem.h"
#include "engine/render/EndsWithNoCase.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaImage.h"
#include "engine/render/kaPixelConversion.h"
#include "engine/render/kaPixelLayout.h"
#include "engine/render/kaTGAImage.h"
#include "engine/render/kaTextureAtlas.h"

#include "platform/gfx/GfxBaseTexture.h"
#include "platform/gfx/GfxCubeTexture.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxFormatInfo.h"
#include "platform/gfx/GfxSurface.h"
#include "platform/gfx/GfxTexture.h"
#include "platform/gfx/GfxVolume.h"
#include "platform/gfx/GfxVolumeTexture.h"
#include "platform/gfx/SurfaceCopy.h"
#include "platform/gfx/TextureFile.h"
#include "platform/system/DebugOutput.h"

#include <algorithm>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define KA_HALVE_AVX2 1
#endif

using namespace platform;

uint32_t kaTexture::s_TextureLOD = 0;

namespace
{

uint32_t NextPowerOfTwo(uint32_t value)
{
    uint32_t power = 1;
    while (power < value && power < 0x80000000u)
        power <<= 1;
    return power;
}

kaPixelLayout LayoutOf(const kaImage& image)
{
    kaPixelLayout layout;
    layout.bitsPerPixel = image.GetBitsPerPixel();
    layout.redMask = image.GetRedMask();
    layout.greenMask = image.GetGreenMask();
    layout.blueMask = image.GetBlueMask();
    layout.alphaMask = image.GetAlphaMask();
    layout.alphaBits = image.GetAlphaBits();
    return layout;
}

uint32_t ReadPixel(const uint8_t* at, uint32_t bytes)
{
    uint32_t value = 0;
    for (uint32_t i = 0; i < bytes; ++i)
        value |= uint32_t(at[i]) << (8 * i);
    return value;
}

void WritePixel(uint8_t* at, uint32_t bytes, uint32_t value)
{
    for (uint32_t i = 0; i < bytes; ++i)
        at[i] = uint8_t(value >> (8 * i));
}

// One channel moved from the source mask's width to the target mask's; a missing source alpha is opaque.
uint32_t MoveChannel(uint32_t pixel, uint32_t from, uint32_t to, bool opaqueWhenMissing)
{
    if (to == 0)
        return 0;
    const uint32_t toShift = GetChannelShift(to);
    const uint32_t toMax = to >> toShift;
    if (from == 0)
        return opaqueWhenMissing ? to : 0;
    const uint32_t fromShift = GetChannelShift(from);
    const uint32_t fromMax = from >> fromShift;
    const uint32_t value = (pixel & from) >> fromShift;
    return uint32_t((uint64_t(value) * toMax + fromMax / 2) / fromMax) << toShift;
}

// Any pair of 16-, 24- and 32-bit layouts, channel by channel.
bool ConvertByMasks(const uint8_t* source, uint32_t sourcePitch, const kaPixelLayout& from,
                    uint8_t* destination, uint32_t destinationPitch, const kaPixelLayout& to, uint32_t width,
                    uint32_t height)
{
    const uint32_t inBytes = from.bitsPerPixel / 8;
    const uint32_t outBytes = to.bitsPerPixel / 8;
    if (inBytes < 2 || inBytes > 4 || outBytes < 2 || outBytes > 4)
        return false;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
        {
            const uint32_t pixel = ReadPixel(source + size_t(y) * sourcePitch + size_t(x) * inBytes, inBytes);
            const uint32_t value = MoveChannel(pixel, from.redMask, to.redMask, false) |
                                   MoveChannel(pixel, from.greenMask, to.greenMask, false) |
                                   MoveChannel(pixel, from.blueMask, to.blueMask, false) |
                                   MoveChannel(pixel, from.alphaMask, to.alphaMask, true);
            WritePixel(destination + size_t(y) * destinationPitch + size_t(x) * outBytes, outBytes, value);
        }
    return true;
}

// One-channel pixels (grey pictures, height maps, masks) into an 8- to 32-bit layout. A layout with alpha
// takes the value as alpha over white, as an alpha-only texture shows it; one without takes it as the grey
// of every colour.
bool ConvertGrey(const uint8_t* source, uint32_t sourcePitch, uint8_t* destination, uint32_t destinationPitch,
                 const kaPixelLayout& to, uint32_t width, uint32_t height)
{
    const uint32_t outBytes = to.bitsPerPixel / 8;
    const uint32_t colours = to.redMask | to.greenMask | to.blueMask;
    const bool asAlpha = to.alphaMask != 0 && to.alphaBits > 0;
    if (outBytes < 1 || outBytes > 4 || (!asAlpha && colours == 0))
        return false;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
        {
            const uint32_t grey = source[size_t(y) * sourcePitch + x];
            const uint32_t value = asAlpha ? colours | MoveChannel(grey, 0xFF, to.alphaMask, false)
                                           : MoveChannel(grey, 0xFF, to.redMask, false) |
                                                 MoveChannel(grey, 0xFF, to.greenMask, false) |
                                                 MoveChannel(grey, 0xFF, to.blueMask, false);
            WritePixel(destination + size_t(y) * destinationPitch + size_t(x) * outBytes, outBytes, value);
        }
    return true;
}

} // namespace

kaTexture::kaTexture() = default;

kaTexture::kaTexture(const std::string& fileName, GfxDevice* device, uint32_t levels, uint32_t usage,
                     uint32_t pool, uint32_t kind)
    : m_Kind(kind), m_Levels(levels), m_Usage(usage), m_Mips(levels == 0 || levels > 1), m_Pool(pool)
{
    CreateFromFilename(fileName, device, levels, usage, pool, kind);
}

kaTexture::~kaTexture()
{
    if (m_InAtlas && g_pGraphicsManager)
        g_pGraphicsManager->GetTextureAtlas().Remove(this);
    _ReleaseDeviceTextures();
}

void kaTexture::_ReleaseDeviceTextures()
{
    if (m_pTexture)
        m_pTexture->Release();
    if (m_pCubeTexture)
        m_pCubeTexture->Release();
    if (m_pVolumeTexture)
        m_pVolumeTexture->Release();
    m_pTexture = nullptr;
    m_pCubeTexture = nullptr;
    m_pVolumeTexture = nullptr;
}

GfxBaseTexture* kaTexture::GetBaseTexture() const
{
    if (m_pTexture)
        return m_pTexture;
    if (m_pCubeTexture)
        return m_pCubeTexture;
    return m_pVolumeTexture;
}

bool kaTexture::Create(uint32_t width, uint32_t height, GfxDevice* device, uint32_t format, uint32_t levels,
                       uint32_t usage, uint32_t pool)
{
    if (m_pTexture)
    {
        m_pTexture->Release();
        m_pTexture = nullptr;
    }
    m_Mips = levels == 0 || levels > 1;
    if (!device)
        return false;
    GfxCaps caps;
    device->GetDeviceCaps(&caps);
    if (caps.TextureCaps & PTEXTURECAPS_POW2)
    {
        width = NextPowerOfTwo(width);
        height = NextPowerOfTwo(height);
    }
    if (caps.TextureCaps & PTEXTURECAPS_SQUAREONLY)
        width = height = std::max(width, height);
    width = std::min(width, caps.MaxTextureWidth);
    height = std::min(height, caps.MaxTextureHeight);
    if (GfxFailed(device->CreateTexture(width, height, levels, usage, format, pool, &m_pTexture)) ||
        !m_pTexture)
    {
        m_pTexture = nullptr;
        return false;
    }
    LockedRect locked;
    if (GfxSucceeded(m_pTexture->LockRect(0, &locked, nullptr, LOCK_NOSYSLOCK)) && locked.Bits)
    {
        SurfaceDesc desc;
        m_pTexture->GetLevelDesc(0, &desc);
        std::memset(locked.Bits, kFillByte, size_t(locked.Pitch) * desc.Height);
        m_pTexture->UnlockRect(0);
    }
    m_Kind = kKind2D;
    m_Width = width;
    m_Height = height;
    m_Format = format;
    m_Usage = usage;
    m_Pool = pool;
    m_Levels = m_pTexture->GetLevelCount();
    m_Created = true;
    return true;
}

bool kaTexture::CreateFromFilename(const std::string& fileName, GfxDevice* device, uint32_t levels,
                                   uint32_t usage, uint32_t pool, uint32_t kind)
{
    if (!device)
        return false;
    if (g_pFileSystem)
        g_pFileSystem->RecordOpenedFile(fileName.c_str());
    _ReleaseDeviceTextures();
    m_Loaded = false;
    m_Created = false;
    m_Kind = kind;
    m_Mips = levels == 0 || levels > 1;

    // Only the extension decides, whatever its case.
    if (!EndsWithNoCase(fileName, ".bmp") && !EndsWithNoCase(fileName, ".tga"))
    {
        m_Usage = usage;
        m_Pool = pool;
        return _CreateFromDDS(fileName, device);
    }

    if (!g_pGraphicsManager)
        return false;
    const kaImage* image = g_pGraphicsManager->FindOrLoadImageStream(fileName);
    if (!image)
    {
        DebugPrintf("%s%s%s\n", kMissingPrefix, fileName.c_str(), kMissingSuffix);
        image = g_pGraphicsManager->FindOrLoadImageStream(kDefaultTexture);
        if (!image)
            return false;
    }
    m_Width = image->GetWidth();
    m_Height = image->GetHeight();
    m_Levels = levels;
    m_Usage = usage;
    m_Pool = pool;
    m_Format = g_pGraphicsManager->ChooseTextureFormat(image->GetBitsPerPixel(), image->GetAlphaBits());
    m_Name = fileName;
    // Loaded once the image is read: a texture whose device texture cannot be made (wider than an atlas
    // page, refused by the device) still takes its place and draws nothing, so that the stages after it
    // in a material keep their slots and their blending.
    m_Loaded = true;
    return CreateFromImage(*image, device, m_Width, m_Height, image->GetBitsPerPixel(), image->GetAlphaBits(),
                           usage, pool);
}

bool kaTexture::_CreateFromDDS(const std::string& fileName, GfxDevice* device)
{
    std::string path = ResolvePath(fileName);
    if (path.empty() && g_pGraphicsManager && !g_pGraphicsManager->GetGraphicsPath().empty())
        path = ResolvePath(g_pGraphicsManager->GetGraphicsPath() + fileName);
    if (path.empty())
        return false;
    uint32_t levels = 0;
    if (m_Kind == kKindCube)
    {
        if (GfxFailed(TextureFile::CreateCubeTexture(device, path, &m_pCubeTexture)))
            return false;
        ConvertCubeTexture(m_pCubeTexture, device, m_Pool, true);
        levels = m_pCubeTexture->GetLevelCount();
        m_Format = m_pCubeTexture->GetFormat();
    }
    else if (m_Kind == kKindVolume)
    {
        if (GfxFailed(TextureFile::CreateVolumeTexture(device, path, &m_pVolumeTexture)))
            return false;
        ConvertVolumeTexture(m_pVolumeTexture, device, m_Pool, true);
        levels = m_pVolumeTexture->GetLevelCount();
        m_Format = m_pVolumeTexture->GetFormat();
    }
    else
    {
        if (GfxFailed(TextureFile::CreateTexture(device, path, &m_pTexture)))
            return false;
        ConvertTexture(m_pTexture, device, m_Pool, true);
        levels = m_pTexture->GetLevelCount();
        SurfaceDesc desc;
        m_pTexture->GetLevelDesc(0, &desc);
        m_Height = desc.Height;
        m_Width = desc.Width;
        m_Format = desc.Format;
    }
    if (levels == 0)
    {
        _ReleaseDeviceTextures();
        return false;
    }
    m_Levels = levels;
    m_Name = fileName;
    m_Loaded = true;
    m_Created = true;
    return true;
}

bool kaTexture::_CopyPixels(const uint8_t* source, uint32_t sourcePitch, const kaPixelLayout& sourceLayout,
                            void* destination, uint32_t destinationPitch, const kaPixelLayout& target,
                            uint32_t width, uint32_t height)
{
    auto* out = static_cast<uint8_t*>(destination);
    const bool sameColours =
        sourceLayout.bitsPerPixel == target.bitsPerPixel && sourceLayout.redMask == target.redMask &&
        sourceLayout.greenMask == target.greenMask && sourceLayout.blueMask == target.blueMask;
    // A target without alpha ignores the source's alpha bits.
    if (sameColours && (target.alphaBits == 0 || sourceLayout.alphaMask == target.alphaMask))
    {
        const size_t rowBytes = size_t(width) * sourceLayout.bitsPerPixel / 8;
        // Rows packed alike on both sides move as one block.
        if (sourcePitch == destinationPitch && sourcePitch == rowBytes)
        {
            std::memcpy(out, source, rowBytes * height);
            return true;
        }
        for (uint32_t y = 0; y < height; ++y)
            std::memcpy(out + size_t(y) * destinationPitch, source + size_t(y) * sourcePitch, rowBytes);
        return true;
    }
    if (sourceLayout.bitsPerPixel == 8)
        return ConvertGrey(source, sourcePitch, out, destinationPitch, target, width, height);
    if (ConvertPixelFormat(source, destination, width, height, sourcePitch, destinationPitch, sourceLayout))
        return true;
    return ConvertByMasks(source, sourcePitch, sourceLayout, out, destinationPitch, target, width, height);
}

namespace
{

// The levels below a chain's top, each halving the one above, written one after another into `out`;
// rows of the top are `width` texels of `bytes` each.
void HalveChain(const uint8_t* pixels, uint32_t bytes, uint32_t width, uint32_t height, uint8_t* out);

template <uint32_t kBytes>
void HalveLevel(const uint8_t* in, size_t inPitch, uint8_t* out, size_t outPitch, uint32_t w, uint32_t h);

bool HalvesAfterConversion(const kaPixelLayout& source, const kaPixelLayout& target);

} // namespace

bool kaTexture::CreateFromImage(const kaImage& image, GfxDevice* device, uint32_t width, uint32_t height,
                                uint32_t bitsPerPixel, uint32_t alphaBits, uint32_t usage, uint32_t pool)
{
    if (!device || !g_pGraphicsManager || width == 0 || height == 0)
        return false;
    const uint8_t* pixels = image.GetPixels();
    const uint32_t sourcePitch = image.GetRowBytes();
    if (!pixels || bitsPerPixel != image.GetBitsPerPixel() || width > image.GetWidth() ||
        height > image.GetHeight() || image.GetPixelBytes() < size_t(sourcePitch) * image.GetHeight())
        return false;
    _ReleaseDeviceTextures();
    m_Kind = kKind2D;

    bool inAtlas = width != NextPowerOfTwo(width) || height != NextPowerOfTwo(height);
    GfxCaps caps;
    device->GetDeviceCaps(&caps);
    if ((caps.TextureCaps & PTEXTURECAPS_SQUAREONLY) && width != height)
        inAtlas = true;
    const uint32_t fullWidth = width;
    const uint32_t fullHeight = height;
    width = std::min(width, caps.MaxTextureWidth);
    height = std::min(height, caps.MaxTextureHeight);
    // A cut-down image has no chain of its own; so has an atlas placement or a depth without a filter.
    const bool mips = m_Mips && !inAtlas && width == fullWidth && height == fullHeight &&
                      (bitsPerPixel == 8 || bitsPerPixel == 24 || bitsPerPixel == 32);
    m_Width = width;
    m_Height = height;
    uint32_t levels = 1;
    if (mips)
        GetMipChainSize(width, height, levels);
    const uint32_t format = g_pGraphicsManager->ChooseTextureFormat(bitsPerPixel, alphaBits);
    m_Format = format;
    m_Usage = usage;
    m_Pool = pool;
    kaPixelLayout target;
    GetPixelFormatInfo(format, target);
    const kaPixelLayout sourceLayout = LayoutOf(image);
    // Where converting and halving give the same texels either way round, each level is halved from the
    // one above inside the texture; otherwise the levels below the top are made from the image's pixels
    // into memory left unfilled (every byte of it is written) and converted level by level.
    const bool halveInTexture = mips && HalvesAfterConversion(sourceLayout, target);
    std::unique_ptr<uint8_t[]> lower;
    if (mips && !halveInTexture)
    {
        const size_t below = size_t(GetMipChainSize(width, height, levels)) - size_t(width) * height;
        lower.reset(new uint8_t[std::max<size_t>(below, 1) * (bitsPerPixel / 8)]);
        HalveChain(pixels, bitsPerPixel / 8, width, height, lower.get());
    }

    GfxRect lockRect;
    if (!inAtlas)
    {
        if (GfxFailed(device->CreateTexture(width, height, levels, usage, format, pool, &m_pTexture)) ||
            !m_pTexture)
        {
            m_pTexture = nullptr;
            return false;
        }
    }
    else
    {
        if (!g_pGraphicsManager->GetTextureAtlas().Add(this, width, height, format, usage, pool))
            return false;
        lockRect.Left = int32_t(m_Placement[1]);
        lockRect.Top = int32_t(m_Placement[0]);
        lockRect.Right = lockRect.Left + int32_t(width);
        lockRect.Bottom = lockRect.Top + int32_t(height);
        m_Mips = false;
    }
    m_Levels = levels;

    SetConversionTarget(target);
    // Every texel of each level is written below, so the storage need not be cleared first; an atlas
    // placement shares its level with others.
    const uint32_t lockFlags = inAtlas ? LOCK_NOSYSLOCK : LOCK_NOSYSLOCK | LOCK_DISCARD;
    bool filled = true;
    if (halveInTexture)
    {
        // The level above stays locked while the next is halved from it.
        LockedRect above;
        filled = GfxSucceeded(m_pTexture->LockRect(0, &above, nullptr, lockFlags)) && above.Bits;
        if (filled)
        {
            filled = _CopyPixels(pixels, sourcePitch, sourceLayout, above.Bits, uint32_t(above.Pitch), target,
                                 width, height);
            uint32_t w = width, h = height, level = 1;
            for (; level < levels && filled; ++level)
            {
                LockedRect next;
                if (GfxFailed(m_pTexture->LockRect(level, &next, nullptr, lockFlags)) || !next.Bits)
                {
                    filled = false;
                    break;
                }
                w /= 2;
                h /= 2;
                HalveLevel<4>(static_cast<const uint8_t*>(above.Bits), size_t(above.Pitch),
                              static_cast<uint8_t*>(next.Bits), size_t(next.Pitch), w, h);
                m_pTexture->UnlockRect(level - 1);
                above = next;
            }
            m_pTexture->UnlockRect(level - 1);
        }
    }
    else
    {
        const uint8_t* source = pixels;
        uint32_t levelWidth = width;
        uint32_t levelHeight = height;
        uint32_t levelPitch = mips ? levelWidth * bitsPerPixel / 8 : sourcePitch;
        for (uint32_t level = 0; level < levels && filled; ++level)
        {
            LockedRect locked;
            if (GfxFailed(m_pTexture->LockRect(level, &locked, inAtlas ? &lockRect : nullptr, lockFlags)) ||
                !locked.Bits)
            {
                filled = false;
                break;
            }
            filled = _CopyPixels(source, levelPitch, sourceLayout, locked.Bits, uint32_t(locked.Pitch),
                                 target, levelWidth, levelHeight);
            m_pTexture->UnlockRect(level);
            source = level == 0 ? lower.get() : source + size_t(levelPitch) * levelHeight;
            levelWidth /= 2;
            levelHeight /= 2;
            levelPitch = levelWidth * bitsPerPixel / 8;
        }
    }
    if (!filled)
    {
        if (inAtlas)
            g_pGraphicsManager->GetTextureAtlas().Remove(this);
        m_InAtlas = false;
        _ReleaseDeviceTextures();
        return false;
    }
    m_Created = true;
    return true;
}

bool kaTexture::CreateFromTGAStream(kaBinaryStream& stream, uint32_t formatMode)
{
    GfxDevice* device = g_pGraphicsManager ? g_pGraphicsManager->GetDevice() : nullptr;
    kaTGAImage image;
    if (!device || !image.ReadFromBinaryStream(stream))
        return false;
    const uint32_t format =
        g_pGraphicsManager->ChooseTextureFormat(image.GetBitsPerPixel(), formatMode == 1 ? 0 : 4);
    if (!Create(image.GetWidth(), image.GetHeight(), device, format, 1, 0, POOL_MANAGED))
        return false;
    LockedRect locked;
    if (GfxFailed(m_pTexture->LockRect(0, &locked, nullptr, LOCK_NOSYSLOCK)) || !locked.Bits)
    {
        _ReleaseDeviceTextures();
        m_Created = false;
        return false;
    }
    kaPixelLayout target;
    GetPixelFormatInfo(format, target);
    SetConversionTarget(target);
    const uint32_t width = std::min(image.GetWidth(), m_Width);
    const uint32_t height = std::min(image.GetHeight(), m_Height);
    const bool copied = _CopyPixels(image.GetPixels(), image.GetRowBytes(), LayoutOf(image), locked.Bits,
                                    uint32_t(locked.Pitch), target, width, height);
    m_pTexture->UnlockRect(0);
    if (!copied)
    {
        _ReleaseDeviceTextures();
        m_Created = false;
        return false;
    }
    return true;
}

namespace
{

// The format a converted texture takes, or 0 when the texture may stay as it is.
uint32_t ConversionFormat(uint32_t format)
{
    if (!g_pGraphicsManager)
        return 0;
    if (g_pGraphicsManager->AreCompressedTexturesSupported() &&
        g_pGraphicsManager->IsTextureFormatSupported(format))
        return 0;
    kaPixelLayout layout;
    GetPixelFormatInfo(format, layout);
    return g_pGraphicsManager->ChooseTextureFormat(layout.bitsPerPixel, layout.alphaBits);
}

// Puts the converted copy in the texture's place, or lets the copy go when copying failed.
template <class Texture> bool AdoptCopy(Texture*& texture, Texture* made, bool copied)
{
    if (!copied)
    {
        made->Release();
        return false;
    }
    texture->Release();
    texture = made;
    return true;
}

// Copies one level (or cube face) of a texture into the same place of its converted copy; whatever
// was obtained on the way is released again.
template <class Texture, class Part, class GetPart>
bool CopyPart(Texture* source, Texture* target, GetPart getPart, GfxResult (*copy)(Part*, Part*))
{
    Part* from = nullptr;
    Part* to = nullptr;
    const bool copied = GfxSucceeded(getPart(source, &from)) && GfxSucceeded(getPart(target, &to)) &&
                        GfxSucceeded(copy(to, from));
    if (from)
        from->Release();
    if (to)
        to->Release();
    return copied;
}

// Replaces a texture by a copy in the format the device prefers: `create` makes the empty copy in the
// given format, `copyLevel` fills one of its levels. False when the texture may stay as it is, or when
// the copy cannot be made.
template <class Texture, class Create, class CopyLevel>
bool ConvertCopy(Texture*& texture, GfxDevice* device, Create create, CopyLevel copyLevel)
{
    if (!texture || !device)
        return false;
    const uint32_t format = ConversionFormat(texture->GetFormat());
    if (format == 0)
        return false;
    Texture* made = nullptr;
    if (GfxFailed(create(format, &made)) || !made)
        return false;
    bool copied = true;
    for (uint32_t level = 0; level < made->GetLevelCount() && copied; ++level)
        copied = copyLevel(made, level);
    return AdoptCopy(texture, made, copied);
}

} // namespace

bool kaTexture::ConvertTexture(GfxTexture*& texture, GfxDevice* device, uint32_t pool, bool setLOD)
{
    const bool converted = ConvertCopy(
        texture, device,
        [&](uint32_t format, GfxTexture** made)
        {
            SurfaceDesc desc;
            texture->GetLevelDesc(0, &desc);
            return device->CreateTexture(desc.Width, desc.Height, texture->GetLevelCount(), 0, format, pool,
                                         made);
        },
        [&](GfxTexture* made, uint32_t level)
        {
            return CopyPart(
                texture, made,
                [level](GfxTexture* t, GfxSurface** part) { return t->GetSurfaceLevel(level, part); },
                &SurfaceCopy::CopySurface);
        });
    if (!converted)
        return false;
    if (setLOD)
        texture->SetLOD(s_TextureLOD + 1);
    return true;
}

bool kaTexture::ConvertCubeTexture(GfxCubeTexture*& texture, GfxDevice* device, uint32_t pool, bool)
{
    return ConvertCopy(
        texture, device,
        [&](uint32_t format, GfxCubeTexture** made)
        {
            SurfaceDesc desc;
            texture->GetLevelDesc(0, &desc);
            return device->CreateCubeTexture(desc.Width, texture->GetLevelCount(), 0, format, pool, made);
        },
        [&](GfxCubeTexture* made, uint32_t level)
        {
            bool copied = true;
            for (uint32_t face = 0; face < 6 && copied; ++face)
                copied = CopyPart(
                    texture, made,
                    [face, level](GfxCubeTexture* t, GfxSurface** part)
                    { return t->GetCubeMapSurface(face, level, part); },
                    &SurfaceCopy::CopySurface);
            return copied;
        });
}

bool kaTexture::ConvertVolumeTexture(GfxVolumeTexture*& texture, GfxDevice* device, uint32_t pool, bool)
{
    return ConvertCopy(
        texture, device,
        [&](uint32_t format, GfxVolumeTexture** made)
        {
            VolumeDesc desc;
            texture->GetLevelDesc(0, &desc);
            return device->CreateVolumeTexture(desc.Width, desc.Height, desc.Depth, texture->GetLevelCount(),
                                               0, format, pool, made);
        },
        [&](GfxVolumeTexture* made, uint32_t level)
        {
            return CopyPart(
                texture, made,
                [level](GfxVolumeTexture* t, GfxVolume** part) { return t->GetVolumeLevel(level, part); },
                &SurfaceCopy::CopyVolume);
        });
}

void kaTexture::RefreshDescription()
{
    SurfaceDesc desc;
    GfxResult result = GFXERR_INVALIDCALL;
    if (m_pTexture)
        result = m_pTexture->GetLevelDesc(0, &desc);
    else if (m_pCubeTexture)
        result = m_pCubeTexture->GetLevelDesc(0, &desc);
    if (GfxFailed(result))
        return;
    m_Format = desc.Format;
    m_Usage = desc.Usage;
    m_Pool = desc.Pool;
    m_Height = desc.Height;
    m_Width = desc.Width;
}

GfxResult kaTexture::LockRect(uint32_t level, LockedRect* locked, const GfxRect* rect, uint32_t flags)
{
    return m_pTexture ? m_pTexture->LockRect(level, locked, rect, flags) : GFX_E_FAIL;
}

GfxResult kaTexture::UnlockRect(uint32_t level)
{
    return m_pTexture ? m_pTexture->UnlockRect(level) : GFX_E_FAIL;
}

void kaTexture::GetTexCoordRect(float& left, float& top, float& right, float& bottom) const
{
    left = m_UV[0];
    top = m_UV[1];
    right = m_UV[2];
    bottom = m_UV[3];
}

void kaTexture::SetTexCoordRect(float left, float top, float right, float bottom)
{
    m_UV[0] = left;
    m_UV[1] = top;
    m_UV[2] = right;
    m_UV[3] = bottom;
    m_InAtlas = true;
}

void kaTexture::SetDeviceTexture(GfxTexture* texture)
{
    if (texture)
        texture->AddRef();
    if (m_pTexture)
        m_pTexture->Release();
    m_pTexture = texture;
}

void kaTexture::SetPlacement(uint32_t top, uint32_t left, uint32_t pageWidth, uint32_t pageHeight)
{
    m_Placement[0] = top;
    m_Placement[1] = left;
    m_Placement[2] = pageWidth;
    m_Placement[3] = pageHeight;
}

kaColor kaTexture::GetPixelColor(float u, float v)
{
    kaColor color;
    if (!m_pTexture || m_Width == 0 || m_Height == 0)
        return color;
    kaPixelLayout layout;
    GetPixelFormatInfo(m_pTexture->GetFormat(), layout);
    const uint32_t bytes = layout.bitsPerPixel / 8;
    if (bytes == 0 || GfxFormatInfo::IsBlockCompressed(m_pTexture->GetFormat()))
        return color;
    // Outside 0..1 the nearest edge texel answers.
    const float fx = std::max(0.0f, float(m_Width) * u);
    const float fy = std::max(0.0f, float(m_Height) * v);
    uint32_t x = std::min(uint32_t(fx), m_Width - 1);
    uint32_t y = std::min(uint32_t(fy), m_Height - 1);
    if (m_InAtlas)
    {
        x += m_Placement[1];
        y += m_Placement[0];
    }
    SurfaceDesc desc;
    if (GfxFailed(m_pTexture->GetLevelDesc(0, &desc)) || x >= desc.Width || y >= desc.Height)
        return color;
    LockedRect locked;
    if (GfxFailed(m_pTexture->LockRect(0, &locked, nullptr, LOCK_READONLY | LOCK_NOSYSLOCK)) || !locked.Bits)
        return color;
    const uint32_t value = ReadPixel(
        static_cast<const uint8_t*>(locked.Bits) + size_t(y) * locked.Pitch + size_t(x) * bytes, bytes);
    m_pTexture->UnlockRect(0);
    DecodePixel(layout, value, color);
    return color;
}

uint32_t kaTexture::GetMipChainSize(uint32_t width, uint32_t height, uint32_t& levels)
{
    uint32_t texels = 0;
    levels = 0;
    while (width != 0 && height != 0)
    {
        texels += width * height;
        ++levels;
        width /= 2;
        height /= 2;
    }
    return texels;
}

namespace
{

#if defined(KA_HALVE_AVX2)
// Eight 32-bit texels of a level at a time from two rows of the level above, as the SSE2 loop below does
// four; answers how many texels it wrote (a multiple of eight). Chosen at run time, so the build still runs
// on processors without AVX2.
// The channels of eight texels summed with their right-hand neighbours': each channel is moved beside the
// same channel of the next texel, and one multiply-add by ones sums the pair into a 16-bit lane (texels 0, 1
// | 2, 3 of the four pairs, the 128-bit lanes apart as the shuffler works). Few shuffles: the sums run on
// the multipliers instead.
__attribute__((target("avx2"))) inline __m256i PairSums(const uint8_t* at)
{
    const __m256i pairUp = _mm256_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15, 0, 4, 1, 5,
                                            2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15);
    const __m256i texels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    return _mm256_maddubs_epi16(_mm256_shuffle_epi8(texels, pairUp), _mm256_set1_epi8(1));
}

__attribute__((target("avx2"))) uint32_t HalveTexelsAvx2(const uint8_t* top, const uint8_t* bottom,
                                                         uint8_t* target, uint32_t w)
{
    uint32_t x = 0;
    for (; x + 8 <= w; x += 8, top += 64, bottom += 64, target += 32)
    {
        // Sums of four bytes stay below 1024: no lane overflows. Lanes hold texels 0, 1 | 2, 3 of the
        // eight from the first 32 bytes and 4, 5 | 6, 7 from the next.
        const __m256i first = _mm256_add_epi16(PairSums(top), PairSums(bottom));
        const __m256i second = _mm256_add_epi16(PairSums(top + 32), PairSums(bottom + 32));
        const __m256i packed = _mm256_packus_epi16(_mm256_srli_epi16(first, 2), _mm256_srli_epi16(second, 2));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(target),
                            _mm256_permute4x64_epi64(packed, _MM_SHUFFLE(3, 1, 2, 0)));
    }
    return x;
}

bool HasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

// One mip level from the one above, w x h texels of kBytes each from rows `inPitch` bytes apart into rows
// `outPitch` bytes apart: colour texels average their 2 x 2 block, 8-bit ones the two texels of its left
// column. The texel size is a constant here so that each block's bytes compile to straight-line code.
template <uint32_t kBytes>
void HalveLevel(const uint8_t* in, size_t inPitch, uint8_t* out, size_t outPitch, uint32_t w, uint32_t h)
{
#if defined(KA_HALVE_AVX2)
    const bool wide = kBytes == 4 && w >= 8 && HasAvx2();
#endif
    for (uint32_t y = 0; y < h; ++y)
    {
        const uint8_t* top = in + size_t(2 * y) * inPitch;
        const uint8_t* bottom = top + inPitch;
        uint8_t* target = out + size_t(y) * outPitch;
        uint32_t x = 0;
#if defined(KA_HALVE_AVX2)
        if (wide)
        {
            x = HalveTexelsAvx2(top, bottom, target, w);
            top += size_t(x) * 2 * kBytes;
            bottom += size_t(x) * 2 * kBytes;
            target += size_t(x) * kBytes;
        }
#endif
#if defined(__SSE2__)
        if (kBytes == 4)
        {
            // Four texels of the level at a time: the even and odd texels of each row's eight gathered
            // apart, widened to 16 bits and added (four bytes cannot overflow a lane), then shifted down
            // and narrowed again.
            const __m128i zero = _mm_setzero_si128();
            for (; x + 4 <= w; x += 4, top += 32, bottom += 32, target += 16)
            {
                const __m128 t0 = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(top)));
                const __m128 t1 =
                    _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(top + 16)));
                const __m128 b0 = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bottom)));
                const __m128 b1 =
                    _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bottom + 16)));
                const __m128i topEven = _mm_castps_si128(_mm_shuffle_ps(t0, t1, _MM_SHUFFLE(2, 0, 2, 0)));
                const __m128i topOdd = _mm_castps_si128(_mm_shuffle_ps(t0, t1, _MM_SHUFFLE(3, 1, 3, 1)));
                const __m128i bottomEven = _mm_castps_si128(_mm_shuffle_ps(b0, b1, _MM_SHUFFLE(2, 0, 2, 0)));
                const __m128i bottomOdd = _mm_castps_si128(_mm_shuffle_ps(b0, b1, _MM_SHUFFLE(3, 1, 3, 1)));
                const __m128i low = _mm_add_epi16(
                    _mm_add_epi16(_mm_unpacklo_epi8(topEven, zero), _mm_unpacklo_epi8(topOdd, zero)),
                    _mm_add_epi16(_mm_unpacklo_epi8(bottomEven, zero), _mm_unpacklo_epi8(bottomOdd, zero)));
                const __m128i high = _mm_add_epi16(
                    _mm_add_epi16(_mm_unpackhi_epi8(topEven, zero), _mm_unpackhi_epi8(topOdd, zero)),
                    _mm_add_epi16(_mm_unpackhi_epi8(bottomEven, zero), _mm_unpackhi_epi8(bottomOdd, zero)));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(target),
                                 _mm_packus_epi16(_mm_srli_epi16(low, 2), _mm_srli_epi16(high, 2)));
            }
        }
#endif
        for (; x < w; ++x, top += 2 * kBytes, bottom += 2 * kBytes, target += kBytes)
        {
            if (kBytes == 1)
            {
                target[0] = uint8_t((top[0] + bottom[0]) >> 1);
                continue;
            }
            if (kBytes == 4)
            {
                // The four channels at once: even and odd bytes summed apart in 16-bit lanes, where four
                // bytes' sum cannot carry into the next lane.
                uint32_t t[4];
                std::memcpy(&t[0], top, 4);
                std::memcpy(&t[1], top + 4, 4);
                std::memcpy(&t[2], bottom, 4);
                std::memcpy(&t[3], bottom + 4, 4);
                uint32_t even = 0, odd = 0;
                for (uint32_t texel : t)
                {
                    even += texel & 0x00FF00FFu;
                    odd += (texel >> 8) & 0x00FF00FFu;
                }
                const uint32_t mean = ((even >> 2) & 0x00FF00FFu) | (((odd >> 2) & 0x00FF00FFu) << 8);
                std::memcpy(target, &mean, 4);
                continue;
            }
            for (uint32_t c = 0; c < kBytes; ++c)
                target[c] = uint8_t((top[c] + top[kBytes + c] + bottom[c] + bottom[kBytes + c]) >> 2);
        }
    }
}

void HalveChain(const uint8_t* pixels, uint32_t bytes, uint32_t width, uint32_t height, uint8_t* out)
{
    const uint8_t* in = pixels;
    while (width / 2 != 0 && height / 2 != 0)
    {
        const uint32_t w = width / 2;
        const uint32_t h = height / 2;
        const size_t inPitch = size_t(width) * bytes;
        const size_t outPitch = size_t(w) * bytes;
        if (bytes == 1)
            HalveLevel<1>(in, inPitch, out, outPitch, w, h);
        else if (bytes == 3)
            HalveLevel<3>(in, inPitch, out, outPitch, w, h);
        else
            HalveLevel<4>(in, inPitch, out, outPitch, w, h);
        in = out;
        out += size_t(w) * h * bytes;
        width = w;
        height = h;
    }
}

// True when every byte of a texel in `target` is a byte of the same texel in `source` or a constant, so
// that halving converted texels gives the conversion of halved ones: 8-bit channels in the same places,
// 24 or 32 bits in, 32 out.
bool HalvesAfterConversion(const kaPixelLayout& source, const kaPixelLayout& target)
{
    const auto standard = [](const kaPixelLayout& layout)
    {
        return layout.redMask == 0x00FF0000u && layout.greenMask == 0x0000FF00u &&
               layout.blueMask == 0x000000FFu && (layout.alphaMask == 0 || layout.alphaMask == 0xFF000000u);
    };
    return (source.bitsPerPixel == 24 || source.bitsPerPixel == 32) && target.bitsPerPixel == 32 &&
           standard(source) && standard(target);
}

} // namespace

std::vector<uint8_t> kaTexture::GenerateMipMaps(const uint8_t* pixels, uint32_t bitsPerPixel) const
{
    if (!pixels || (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32))
        return {};
    const uint32_t bytes = bitsPerPixel / 8;
    uint32_t levels = 0;
    const uint32_t texels = GetMipChainSize(m_Width, m_Height, levels);
    std::vector<uint8_t> chain(size_t(texels) * bytes);
    if (chain.empty())
        return chain;
    const size_t top = size_t(m_Width) * m_Height * bytes;
    std::memcpy(chain.data(), pixels, top);
    HalveChain(pixels, bytes, m_Width, m_Height, chain.data() + top);
    return chain;
}
