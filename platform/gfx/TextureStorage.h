#pragma once

#include "platform/gfx/GfxTypes.h"

#include <cstdint>
#include <memory>

namespace platform
{

// CPU memory of a texture: faces x levels, each level a box of rows and slices, with per-level lock state.
// Texels read as zero until written; a level is cleared only when first reached, and not at all when its
// first lock covers it whole with LOCK_DISCARD, as a texture made from an image writes every texel at once.
class TextureStorage
{
public:
    struct Level
    {
        uint32_t Width = 0;
        uint32_t Height = 0;
        uint32_t Depth = 0;
        uint32_t RowPitch = 0;
        uint32_t SlicePitch = 0;
        size_t Offset = 0;
        size_t Size = 0;
    };

    // Callers have checked the format and limited the sizes. With `room` (at least RoomBytes() of the same
    // sizes, aligned for any type, outliving the storage) the storage keeps its texels and records there
    // instead of in a block of its own.
    TextureStorage(uint32_t format, uint32_t width, uint32_t height, uint32_t depth, uint32_t levels,
                   uint32_t faces, uint8_t* room = nullptr);

    // Bytes of the one block a storage of these sizes needs.
    static size_t RoomBytes(uint32_t format, uint32_t width, uint32_t height, uint32_t depth, uint32_t levels,
                            uint32_t faces);

    uint32_t Format() const { return m_Format; }
    uint32_t LevelCount() const { return m_LevelCount; }
    uint32_t FaceCount() const { return m_Faces; }
    const Level& LevelInfo(uint32_t level) const { return m_Levels[level]; }
    uint8_t* LevelData(uint32_t face, uint32_t level);
    const uint8_t* LevelData(uint32_t face, uint32_t level) const;
    size_t FaceSize() const { return m_FaceSize; }

    // A null box locks the whole level. Block-compressed boxes must sit on 4x4 block edges. LOCK_DISCARD
    // on a whole level promises that every byte of it is written before anyone reads it.
    GfxResult Lock(uint32_t face, uint32_t level, const GfxBox* box, LockedBox* locked, uint32_t flags = 0);
    GfxResult Unlock(uint32_t face, uint32_t level);
    bool IsLocked(uint32_t face, uint32_t level) const;

    // The 2D view shared by plain and cube textures and their surfaces: a null rect locks the whole level,
    // a rectangle with negative or inverted edges is refused.
    GfxResult LockRect(uint32_t face, uint32_t level, const GfxRect* rect, LockedRect* locked,
                       uint32_t flags = 0);
    // The storage knows neither usage nor pool; the owner passes its own.
    GfxResult GetLevelDesc(uint32_t level, uint32_t usage, uint32_t pool, SurfaceDesc* desc) const;
    // Whether a level's bytes have been cleared or handed to a writer (the rest is memory nobody has seen).
    bool IsReached(uint32_t face, uint32_t level) const;

private:
    // Where the level records and the states start in the block, from the texel bytes of all faces.
    struct BlockLayout
    {
        size_t levelsAt;
        size_t statesAt;
        size_t bytes;
    };
    static BlockLayout LayoutBlock(size_t dataBytes, uint32_t levels, uint32_t faces);
    void Reach(uint32_t face, uint32_t level, bool clear) const;

    uint32_t m_Format;
    uint32_t m_Faces;
    uint32_t m_LevelCount = 0;
    // Taken from the format once, for every lock: bytes of a 4x4 block (0 when not block-compressed) and of
    // a texel.
    uint32_t m_BlockBytes = 0;
    uint32_t m_TexelBytes = 0;
    size_t m_FaceSize = 0;
    // One block holds the texels (first, at the allocator's alignment), then the level records, then the
    // states: the storage's own, or the room its owner gave it (then m_Block is empty).
    std::unique_ptr<uint8_t[]> m_Block;
    uint8_t* m_Data = nullptr;
    Level* m_Levels = nullptr;
    // Per face and level: locked, and reached (cleared or handed to a writer).
    static constexpr uint8_t kLocked = 1;
    static constexpr uint8_t kReached = 2;
    uint8_t* m_States = nullptr;
};

} // namespace platform
