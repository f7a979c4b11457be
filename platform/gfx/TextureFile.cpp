#include "platform/gfx/TextureFile.h"

#include "platform/gfx/DdsFile.h"
#include "platform/gfx/GfxCubeTexture.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxTexture.h"
#include "platform/gfx/GfxVolumeTexture.h"
#include "platform/gfx/SurfaceCopy.h"
#include "platform/system/DebugOutput.h"

#include <algorithm>

namespace platform
{

namespace
{

bool Read(const std::string& path, uint32_t type, DdsFile& file, const char* operation)
{
    if (!file.LoadFromFile(path, 0))
    {
        DebugPrintf("[TextureFile::%s] : %s: %s\n", operation, path.c_str(), file.GetError().c_str());
        return false;
    }
    if (file.GetType() != type)
    {
        DebugPrintf("[TextureFile::%s] : %s holds another kind of texture\n", operation, path.c_str());
        return false;
    }
    return true;
}

// The file's format when the device takes it, else A8R8G8B8 filled by conversion.
template <class Create> GfxResult CreateInFormat(const DdsFile& file, Create&& create, uint32_t& format)
{
    format = file.GetFormat();
    GfxResult result = create(format);
    if (GfxFailed(result) && format != FMT_A8R8G8B8 && SurfaceCopy::CanConvert(format, FMT_A8R8G8B8))
    {
        format = FMT_A8R8G8B8;
        result = create(format);
    }
    return result;
}

bool FillLevel(const DdsLevel& level, uint32_t fileFormat, uint32_t format, const LockedBox& locked)
{
    for (uint32_t slice = 0; slice < level.depth; ++slice)
        if (!SurfaceCopy::ConvertRows(fileFormat, level.data.data() + size_t(slice) * level.slicePitch,
                                      level.rowPitch, format,
                                      static_cast<uint8_t*>(locked.Bits) + size_t(slice) * locked.SlicePitch,
                                      uint32_t(locked.RowPitch), level.width, level.height))
            return false;
    return true;
}

LockedBox AsBox(const LockedRect& rect)
{
    LockedBox box;
    box.RowPitch = rect.Pitch;
    box.Bits = rect.Bits;
    return box;
}

// Hands a filled texture out, or lets it go when filling it failed.
template <class Texture> GfxResult HandOut(Texture* made, GfxResult result, Texture** texture)
{
    if (GfxFailed(result))
    {
        made->Release();
        return result;
    }
    *texture = made;
    return GFX_OK;
}

} // namespace

GfxResult TextureFile::CreateTexture(GfxDevice* device, const std::string& path, GfxTexture** texture)
{
    if (texture)
        *texture = nullptr;
    DdsFile file;
    if (!device || !texture || !Read(path, RTYPE_TEXTURE, file, "CreateTexture"))
        return GFXERR_INVALIDCALL;
    return CreateTexture(device, file, texture);
}

GfxResult TextureFile::CreateCubeTexture(GfxDevice* device, const std::string& path, GfxCubeTexture** texture)
{
    if (texture)
        *texture = nullptr;
    DdsFile file;
    if (!device || !texture || !Read(path, RTYPE_CUBETEXTURE, file, "CreateCubeTexture"))
        return GFXERR_INVALIDCALL;
    return CreateCubeTexture(device, file, texture);
}

GfxResult TextureFile::CreateVolumeTexture(GfxDevice* device, const std::string& path,
                                           GfxVolumeTexture** texture)
{
    if (texture)
        *texture = nullptr;
    DdsFile file;
    if (!device || !texture || !Read(path, RTYPE_VOLUMETEXTURE, file, "CreateVolumeTexture"))
        return GFXERR_INVALIDCALL;
    return CreateVolumeTexture(device, file, texture);
}

GfxResult TextureFile::CreateTexture(GfxDevice* device, const DdsFile& file, GfxTexture** texture)
{
    if (!texture)
        return GFXERR_INVALIDCALL;
    *texture = nullptr;
    if (!device || file.GetType() != RTYPE_TEXTURE || file.GetLevelCount() == 0)
        return GFXERR_INVALIDCALL;
    GfxTexture* made = nullptr;
    uint32_t format = 0;
    GfxResult result = CreateInFormat(
        file,
        [&](uint32_t f)
        {
            return device->CreateTexture(file.GetWidth(), file.GetHeight(), file.GetLevelCount(), 0, f,
                                         POOL_MANAGED, &made);
        },
        format);
    if (GfxFailed(result))
        return result;
    const uint32_t levels = std::min(made->GetLevelCount(), file.GetLevelCount());
    for (uint32_t level = 0; level < levels; ++level)
    {
        LockedRect locked;
        result = made->LockRect(level, &locked, nullptr, 0);
        if (GfxFailed(result))
            break;
        const bool filled = FillLevel(file.GetLevel(level), file.GetFormat(), format, AsBox(locked));
        made->UnlockRect(level);
        if (!filled)
            result = GFXERR_INVALIDCALL;
        if (GfxFailed(result))
            break;
    }
    return HandOut(made, result, texture);
}

GfxResult TextureFile::CreateCubeTexture(GfxDevice* device, const DdsFile& file, GfxCubeTexture** texture)
{
    if (!texture)
        return GFXERR_INVALIDCALL;
    *texture = nullptr;
    if (!device || file.GetType() != RTYPE_CUBETEXTURE || file.GetLevelCount() == 0 ||
        file.GetFaceCount() != DdsFile::kFaceCount)
        return GFXERR_INVALIDCALL;
    GfxCubeTexture* made = nullptr;
    uint32_t format = 0;
    GfxResult result = CreateInFormat(
        file,
        [&](uint32_t f) {
            return device->CreateCubeTexture(file.GetWidth(), file.GetLevelCount(), 0, f, POOL_MANAGED,
                                             &made);
        },
        format);
    if (GfxFailed(result))
        return result;
    const uint32_t levels = std::min(made->GetLevelCount(), file.GetLevelCount());
    for (uint32_t face = 0; face < DdsFile::kFaceCount && GfxSucceeded(result); ++face)
        for (uint32_t level = 0; level < levels && GfxSucceeded(result); ++level)
        {
            LockedRect locked;
            result = made->LockRect(face, level, &locked, nullptr, 0);
            if (GfxFailed(result))
                break;
            const bool filled =
                FillLevel(file.GetLevel(level, face), file.GetFormat(), format, AsBox(locked));
            made->UnlockRect(face, level);
            if (!filled)
                result = GFXERR_INVALIDCALL;
        }
    return HandOut(made, result, texture);
}

GfxResult TextureFile::CreateVolumeTexture(GfxDevice* device, const DdsFile& file, GfxVolumeTexture** texture)
{
    if (!texture)
        return GFXERR_INVALIDCALL;
    *texture = nullptr;
    if (!device || file.GetType() != RTYPE_VOLUMETEXTURE || file.GetLevelCount() == 0)
        return GFXERR_INVALIDCALL;
    GfxVolumeTexture* made = nullptr;
    uint32_t format = 0;
    GfxResult result = CreateInFormat(
        file,
        [&](uint32_t f)
        {
            return device->CreateVolumeTexture(file.GetWidth(), file.GetHeight(), file.GetDepth(),
                                               file.GetLevelCount(), 0, f, POOL_MANAGED, &made);
        },
        format);
    if (GfxFailed(result))
        return result;
    const uint32_t levels = std::min(made->GetLevelCount(), file.GetLevelCount());
    for (uint32_t level = 0; level < levels; ++level)
    {
        LockedBox locked;
        result = made->LockBox(level, &locked, nullptr, 0);
        if (GfxFailed(result))
            break;
        const bool filled = FillLevel(file.GetLevel(level), file.GetFormat(), format, locked);
        made->UnlockBox(level);
        if (!filled)
            result = GFXERR_INVALIDCALL;
        if (GfxFailed(result))
            break;
    }
    return HandOut(made, result, texture);
}

} // namespace platform
