#include "platform/gfx/MemoryTexture.h"

#include "platform/gfx/MemorySurface.h"
#include "platform/gfx/StateDevice.h"

#include <cstddef>
#include <new>
#include <string>

namespace platform
{

namespace
{
// The storage's block starts here behind the texture, aligned as the allocator would align it.
constexpr size_t kRoomAt = (sizeof(MemoryTexture) + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) *
                           alignof(std::max_align_t);
} // namespace

MemoryTexture::MemoryTexture(StateDevice* device, uint32_t width, uint32_t height, uint32_t levels,
                             uint32_t usage, uint32_t format, uint32_t pool, uint8_t* storageRoom)
    : MemoryTextureBase(device, pool, usage, format, width, height, 1, levels, 1, storageRoom)
{
}

MemoryTexture* MemoryTexture::Make(StateDevice* device, uint32_t width, uint32_t height, uint32_t levels,
                                   uint32_t usage, uint32_t format, uint32_t pool)
{
    const size_t room = TextureStorage::RoomBytes(format, width, height, 1, levels, 1);
    void* memory = ::operator new(kRoomAt + room);
    try
    {
        return ::new (memory) MemoryTexture(device, width, height, levels, usage, format, pool,
                                            static_cast<uint8_t*>(memory) + kRoomAt);
    }
    catch (...)
    {
        ::operator delete(memory);
        throw;
    }
}

GfxResult MemoryTexture::GetLevelDesc(uint32_t level, SurfaceDesc* desc) const
{
    return m_Storage.GetLevelDesc(level, m_Usage, GetPool(), desc);
}

GfxResult MemoryTexture::LockRect(uint32_t level, LockedRect* locked, const GfxRect* rect, uint32_t flags)
{
    if (StateDevice* device = m_Link.Device())
    {
        const GfxResult scripted = device->Enter("Texture::LockRect",
                                                 [&]
                                                 {
                                                     std::string text = std::to_string(level);
                                                     if (rect)
                                                         text += " " + std::to_string(rect->Left) + " " +
                                                                 std::to_string(rect->Top) + " " +
                                                                 std::to_string(rect->Right) + " " +
                                                                 std::to_string(rect->Bottom);
                                                     return text + " " + std::to_string(flags);
                                                 });
        if (GfxFailed(scripted))
            return scripted;
    }
    return m_Storage.LockRect(0, level, rect, locked, flags);
}

GfxResult MemoryTexture::UnlockRect(uint32_t level)
{
    const GfxResult result = m_Storage.Unlock(0, level);
    if (GfxSucceeded(result) && m_Link.Device())
        OnLevelUnlocked(level);
    return result;
}

GfxResult MemoryTexture::GetSurfaceLevel(uint32_t level, GfxSurface** surface)
{
    if (!surface || level >= GetLevelCount())
        return GFXERR_INVALIDCALL;
    *surface = new MemorySurface(this, &m_Storage, 0, level, m_Usage, GetPool(),
                                 [this](uint32_t, uint32_t lvl)
                                 {
                                     if (m_Link.Device())
                                         OnLevelUnlocked(lvl);
                                 });
    return GFX_OK;
}

} // namespace platform
