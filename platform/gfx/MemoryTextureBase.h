#pragma once

#include "platform/gfx/DeviceChild.h"
#include "platform/gfx/TextureStorage.h"

namespace platform
{

class StateDevice;

// What the textures kept in CPU memory share: the tie to their device, the storage of faces and levels,
// the usage and the level of detail. The kinds differ in their interface and in how they hand out levels.
template <class Interface> class MemoryTextureBase : public Interface
{
public:
    uint32_t GetLevelCount() const override { return m_Storage.LevelCount(); }
    uint32_t SetLOD(uint32_t lod) override
    {
        const uint32_t previous = m_Lod;
        m_Lod = lod < GetLevelCount() ? lod : GetLevelCount() - 1;
        return previous;
    }
    uint32_t GetLOD() const override { return m_Lod; }
    uint32_t GetFormat() const override { return m_Storage.Format(); }
    uint32_t GetPool() const override { return m_Link.Pool(); }

    const TextureStorage& Storage() const { return m_Storage; }
    uint32_t Usage() const { return m_Usage; }

protected:
    // The caller has validated the format and sizes; levels is the final count. A storage room, when
    // given, is the storage's block (see TextureStorage).
    MemoryTextureBase(StateDevice* device, uint32_t pool, uint32_t usage, uint32_t format, uint32_t width,
                      uint32_t height, uint32_t depth, uint32_t levels, uint32_t faces,
                      uint8_t* storageRoom = nullptr)
        : m_Link(device, this, pool), m_Storage(format, width, height, depth, levels, faces, storageRoom),
          m_Usage(usage)
    {
    }

    StateDevice* Device() const { return m_Link.Device(); }

    DeviceChild m_Link;
    TextureStorage m_Storage;
    uint32_t m_Usage;

private:
    uint32_t m_Lod = 0;
};

} // namespace platform
