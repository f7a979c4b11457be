#include "platform/gfx/TextureStorage.h"

#include "platform/gfx/GfxFormatInfo.h"

#include <cstring>
#include <new>

namespace platform
{

namespace
{

// Pitches as the format tables give them, from the block and texel bytes taken from the format once.
TextureStorage::Level DescribeLevel(uint32_t blockBytes, uint32_t texelBytes, uint32_t w, uint32_t h, uint32_t d,
                                    size_t offset)
{
    TextureStorage::Level level;
    level.Width = w > 1 ? w : 1;
    level.Height = h > 1 ? h : 1;
    level.Depth = d > 1 ? d : 1;
    level.RowPitch = blockBytes ? (level.Width + 3) / 4 * blockBytes : level.Width * texelBytes;
    level.SlicePitch = level.RowPitch * (blockBytes ? (level.Height + 3) / 4 : level.Height);
    level.Offset = offset;
    level.Size = static_cast<size_t>(level.SlicePitch) * level.Depth;
    return level;
}

// A side halved i times; past 31 halvings nothing is left (and a shift that far is undefined).
uint32_t Halved(uint32_t side, uint32_t i)
{
    return i < 32 ? side >> i : 0u;
}

uint32_t BlockBytesOf(uint32_t format)
{
    return GfxFormatInfo::IsBlockCompressed(format) ? (format == FMT_DXT1 ? 8 : 16) : 0;
}

size_t FaceBytes(uint32_t blockBytes, uint32_t texelBytes, uint32_t width, uint32_t height, uint32_t depth,
                 uint32_t levels)
{
    size_t bytes = 0;
    for (uint32_t i = 0; i < levels; ++i)
        bytes += DescribeLevel(blockBytes, texelBytes, Halved(width, i), Halved(height, i), Halved(depth, i), 0)
                     .Size;
    return bytes;
}

} // namespace

TextureStorage::BlockLayout TextureStorage::LayoutBlock(size_t dataBytes, uint32_t levels, uint32_t faces)
{
    BlockLayout layout;
    layout.levelsAt = (dataBytes + alignof(Level) - 1) / alignof(Level) * alignof(Level);
    layout.statesAt = layout.levelsAt + sizeof(Level) * levels;
    layout.bytes = layout.statesAt + static_cast<size_t>(levels) * faces;
    return layout;
}

size_t TextureStorage::RoomBytes(uint32_t format, uint32_t width, uint32_t height, uint32_t depth,
                                 uint32_t levels, uint32_t faces)
{
    const size_t face = FaceBytes(BlockBytesOf(format), GfxFormatInfo::BitsPerPixel(format) / 8, width, height,
                                  depth, levels);
    return LayoutBlock(face * faces, levels, faces).bytes;
}

TextureStorage::TextureStorage(uint32_t format, uint32_t width, uint32_t height, uint32_t depth,
                               uint32_t levels, uint32_t faces, uint8_t* room)
    : m_Format(format), m_Faces(faces), m_LevelCount(levels), m_BlockBytes(BlockBytesOf(format)),
      m_TexelBytes(GfxFormatInfo::BitsPerPixel(format) / 8)
{
    // The level records' offsets give the size of the one block: worked out once to size it, and again
    // into their places in it.
    m_FaceSize = FaceBytes(m_BlockBytes, m_TexelBytes, width, height, depth, levels);
    const BlockLayout layout = LayoutBlock(m_FaceSize * faces, levels, faces);
    // Texels are left unfilled: each level is cleared when first reached, unless a writer covers it whole.
    if (!room)
    {
        m_Block.reset(new uint8_t[layout.bytes]);
        room = m_Block.get();
    }
    m_Data = room;
    m_Levels = reinterpret_cast<Level*>(room + layout.levelsAt);
    size_t offset = 0;
    for (uint32_t i = 0; i < levels; ++i)
    {
        new (m_Levels + i)
            Level(DescribeLevel(m_BlockBytes, m_TexelBytes, Halved(width, i), Halved(height, i), Halved(depth, i),
                                offset));
        offset += m_Levels[i].Size;
    }
    m_States = room + layout.statesAt;
    std::memset(m_States, 0, static_cast<size_t>(levels) * faces);
}

void TextureStorage::Reach(uint32_t face, uint32_t level, bool clear) const
{
    const size_t index = size_t(face) * LevelCount() + level;
    if (m_States[index] & kReached)
        return;
    if (clear)
        std::memset(m_Data + face * m_FaceSize + m_Levels[level].Offset, 0, m_Levels[level].Size);
    m_States[index] |= kReached;
}

bool TextureStorage::IsReached(uint32_t face, uint32_t level) const
{
    return face < m_Faces && level < LevelCount() &&
           (m_States[size_t(face) * LevelCount() + level] & kReached) != 0;
}

uint8_t* TextureStorage::LevelData(uint32_t face, uint32_t level)
{
    Reach(face, level, true);
    return m_Data + face * m_FaceSize + m_Levels[level].Offset;
}

const uint8_t* TextureStorage::LevelData(uint32_t face, uint32_t level) const
{
    Reach(face, level, true);
    return m_Data + face * m_FaceSize + m_Levels[level].Offset;
}

bool TextureStorage::IsLocked(uint32_t face, uint32_t level) const
{
    return face < m_Faces && level < LevelCount() && (m_States[face * LevelCount() + level] & kLocked) != 0;
}

GfxResult TextureStorage::Lock(uint32_t face, uint32_t level, const GfxBox* box, LockedBox* locked,
                               uint32_t flags)
{
    if (!locked || face >= m_Faces || level >= LevelCount())
        return GFXERR_INVALIDCALL;
    const size_t index = size_t(face) * LevelCount() + level;
    if (m_States[index] & kLocked)
        return GFXERR_INVALIDCALL;
    const Level& info = m_Levels[level];
    size_t offset = 0;
    bool entire = true;
    if (box)
    {
        const GfxBox& b = *box;
        if (b.Left >= b.Right || b.Top >= b.Bottom || b.Front >= b.Back || b.Right > info.Width ||
            b.Bottom > info.Height || b.Back > info.Depth)
            return GFXERR_INVALIDCALL;
        offset = static_cast<size_t>(b.Front) * info.SlicePitch;
        if (m_BlockBytes != 0)
        {
            if (b.Left % 4 != 0 || b.Top % 4 != 0)
                return GFXERR_INVALIDCALL;
            offset += static_cast<size_t>(b.Top / 4) * info.RowPitch +
                      static_cast<size_t>(b.Left / 4) * m_BlockBytes;
        }
        else
        {
            offset += static_cast<size_t>(b.Top) * info.RowPitch + static_cast<size_t>(b.Left) * m_TexelBytes;
        }
        entire = b.Left == 0 && b.Top == 0 && b.Front == 0 && b.Right == info.Width &&
                 b.Bottom == info.Height && b.Back == info.Depth;
    }
    m_States[index] |= kLocked;
    Reach(face, level, !(entire && (flags & LOCK_DISCARD) && !(flags & LOCK_READONLY)));
    locked->RowPitch = static_cast<int32_t>(info.RowPitch);
    locked->SlicePitch = static_cast<int32_t>(info.SlicePitch);
    locked->Bits = m_Data + face * m_FaceSize + info.Offset + offset;
    return GFX_OK;
}

GfxResult TextureStorage::Unlock(uint32_t face, uint32_t level)
{
    if (!IsLocked(face, level))
        return GFXERR_INVALIDCALL;
    m_States[face * LevelCount() + level] &= uint8_t(~kLocked);
    return GFX_OK;
}

GfxResult TextureStorage::LockRect(uint32_t face, uint32_t level, const GfxRect* rect, LockedRect* locked,
                                   uint32_t flags)
{
    if (!locked)
        return GFXERR_INVALIDCALL;
    GfxBox box;
    if (rect)
    {
        if (rect->Left < 0 || rect->Top < 0 || rect->Right <= rect->Left || rect->Bottom <= rect->Top)
            return GFXERR_INVALIDCALL;
        box = GfxBox{static_cast<uint32_t>(rect->Left),
                     static_cast<uint32_t>(rect->Top),
                     static_cast<uint32_t>(rect->Right),
                     static_cast<uint32_t>(rect->Bottom),
                     0,
                     1};
    }
    LockedBox lockedBox;
    const GfxResult result = Lock(face, level, rect ? &box : nullptr, &lockedBox, flags);
    if (GfxFailed(result))
        return result;
    locked->Pitch = lockedBox.RowPitch;
    locked->Bits = lockedBox.Bits;
    return GFX_OK;
}

GfxResult TextureStorage::GetLevelDesc(uint32_t level, uint32_t usage, uint32_t pool, SurfaceDesc* desc) const
{
    if (!desc || level >= LevelCount())
        return GFXERR_INVALIDCALL;
    *desc = SurfaceDesc();
    desc->Format = m_Format;
    desc->Usage = usage;
    desc->Pool = pool;
    desc->Width = m_Levels[level].Width;
    desc->Height = m_Levels[level].Height;
    return GFX_OK;
}

} // namespace platform
