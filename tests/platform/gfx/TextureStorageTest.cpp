#include "platform/gfx/TextureStorage.h"

#include "platform/gfx/GfxFormatInfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

using namespace platform;

namespace
{

// Bytes of a level as its readers see them.
std::vector<uint8_t> LevelBytes(const TextureStorage& storage, uint32_t face, uint32_t level)
{
    const uint8_t* data = storage.LevelData(face, level);
    return std::vector<uint8_t>(data, data + storage.LevelInfo(level).Size);
}

// Whatever lock first reaches a level, the texels it did not write read as zero afterwards; only a
// discarding lock of the whole level hands it out uncleared, to a writer that fills it.
TEST(TextureStorageTest, TexelsNotWrittenReadAsZeroWhateverLockReachesThemFirst)
{
    const struct
    {
        const char* name;
        bool withRect;
        GfxRect rect;
        uint32_t flags;
    } cases[] = {
        {"whole level, plain lock", false, {}, 0},
        {"part of the level, discarding", true, {2, 1, 6, 3}, LOCK_DISCARD},
        {"the whole level as a rectangle, plain", true, {0, 0, 8, 4}, 0},
        {"one row, discarding", true, {0, 3, 8, 4}, LOCK_DISCARD},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        TextureStorage storage(FMT_A8R8G8B8, 8, 4, 1, 2, 1);
        EXPECT_FALSE(storage.IsReached(0, 0));
        LockedRect locked;
        ASSERT_EQ(storage.LockRect(0, 0, c.withRect ? &c.rect : nullptr, &locked, c.flags), GFX_OK);
        EXPECT_TRUE(storage.IsReached(0, 0));
        const GfxRect area = c.withRect ? c.rect : GfxRect{0, 0, 8, 4};
        std::vector<uint8_t> expected(8 * 4 * 4, 0);
        for (int32_t y = area.Top; y < area.Bottom; ++y)
        {
            // Unwritten texels under a plain lock already read as zero.
            const uint8_t* row = static_cast<const uint8_t*>(locked.Bits) + (y - area.Top) * locked.Pitch;
            if (!(c.flags & LOCK_DISCARD))
            {
                for (int32_t i = 0; i < (area.Right - area.Left) * 4; ++i)
                    ASSERT_EQ(row[i], 0) << "row " << y;
            }
            std::memset(static_cast<uint8_t*>(locked.Bits) + (y - area.Top) * locked.Pitch, 0x7F,
                        size_t(area.Right - area.Left) * 4);
            std::memset(expected.data() + (size_t(y) * 8 + area.Left) * 4, 0x7F,
                        size_t(area.Right - area.Left) * 4);
        }
        ASSERT_EQ(storage.Unlock(0, 0), GFX_OK);
        EXPECT_EQ(LevelBytes(storage, 0, 0), expected);
        // The level below was never locked and reads as zero all the same.
        EXPECT_FALSE(storage.IsReached(0, 1));
        EXPECT_EQ(LevelBytes(storage, 0, 1), std::vector<uint8_t>(4 * 2 * 4, 0));
        EXPECT_TRUE(storage.IsReached(0, 1));
    }
}

// A whole-level discarding lock reaches only its own face and level; the rest stay unseen until asked
// for, then read as zero, and a read-only discarding lock still clears.
TEST(TextureStorageTest, ADiscardingLockOfAWholeLevelReachesNoOtherLevel)
{
    TextureStorage storage(FMT_A8R8G8B8, 8, 8, 1, 3, 2);
    LockedRect locked;
    ASSERT_EQ(storage.LockRect(1, 1, nullptr, &locked, LOCK_DISCARD), GFX_OK);
    std::memset(locked.Bits, 0x5A, size_t(locked.Pitch) * 4);
    ASSERT_EQ(storage.Unlock(1, 1), GFX_OK);
    for (uint32_t face = 0; face < 2; ++face)
        for (uint32_t level = 0; level < 3; ++level)
            EXPECT_EQ(storage.IsReached(face, level), face == 1 && level == 1) << face << " " << level;
    EXPECT_EQ(LevelBytes(storage, 1, 1), std::vector<uint8_t>(4 * 4 * 4, 0x5A));

    ASSERT_EQ(storage.LockRect(0, 2, nullptr, &locked, LOCK_DISCARD | LOCK_READONLY), GFX_OK);
    const std::vector<uint8_t> seen(static_cast<uint8_t*>(locked.Bits),
                                    static_cast<uint8_t*>(locked.Bits) + storage.LevelInfo(2).Size);
    ASSERT_EQ(storage.Unlock(0, 2), GFX_OK);
    EXPECT_EQ(seen, std::vector<uint8_t>(2 * 2 * 4, 0));
    EXPECT_EQ(LevelBytes(storage, 0, 0), std::vector<uint8_t>(8 * 8 * 4, 0));
}

// The level records, lock states and texels share one block: filling every level of every face to its last
// byte, each with its own value, must leave every other level, every record and every state as it was.
TEST(TextureStorageTest, FillingEveryLevelWholeDisturbsNoOtherLevelRecordOrState)
{
    const struct
    {
        const char* name;
        uint32_t format, width, height, depth, levels, faces;
    } cases[] = {
        {"odd 2D chain", FMT_A8R8G8B8, 13, 5, 1, 4, 1},
        {"16-bit full chain", FMT_R5G6B5, 64, 64, 1, 7, 1},
        {"8-bit rows of odd length", FMT_A8, 7, 3, 1, 3, 1},
        {"cube faces", FMT_X8R8G8B8, 8, 8, 1, 4, 6},
        {"volume slices", FMT_A8R8G8B8, 4, 4, 4, 3, 1},
        {"block-compressed", FMT_DXT1, 16, 8, 1, 3, 1},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        TextureStorage storage(c.format, c.width, c.height, c.depth, c.levels, c.faces);
        ASSERT_EQ(storage.LevelCount(), c.levels);
        std::vector<TextureStorage::Level> before;
        size_t offset = 0;
        for (uint32_t level = 0; level < c.levels; ++level)
        {
            // Each level's pitches are the format's, and the levels follow one another without gaps.
            const TextureStorage::Level& info = storage.LevelInfo(level);
            EXPECT_EQ(info.Width, std::max(c.width >> level, 1u)) << level;
            EXPECT_EQ(info.RowPitch, GfxFormatInfo::RowPitch(c.format, info.Width)) << level;
            EXPECT_EQ(info.SlicePitch, info.RowPitch * GfxFormatInfo::StorageRows(c.format, info.Height))
                << level;
            EXPECT_EQ(info.Size, size_t(info.SlicePitch) * info.Depth) << level;
            EXPECT_EQ(info.Offset, offset) << level;
            offset += info.Size;
            before.push_back(info);
        }
        EXPECT_EQ(storage.FaceSize(), offset);
        const auto valueOf = [&](uint32_t face, uint32_t level)
        { return uint8_t(1 + face * c.levels + level); };
        for (uint32_t face = 0; face < c.faces; ++face)
            for (uint32_t level = 0; level < c.levels; ++level)
            {
                LockedBox locked;
                ASSERT_EQ(storage.Lock(face, level, nullptr, &locked, LOCK_DISCARD), GFX_OK);
                std::memset(locked.Bits, valueOf(face, level), storage.LevelInfo(level).Size);
                // Another face or level is not locked by this one.
                if (c.faces > 1)
                {
                    EXPECT_FALSE(storage.IsLocked((face + 1) % c.faces, level));
                }
                if (c.levels > 1)
                {
                    EXPECT_FALSE(storage.IsLocked(face, (level + 1) % c.levels));
                }
                ASSERT_EQ(storage.Unlock(face, level), GFX_OK);
            }
        for (uint32_t level = 0; level < c.levels; ++level)
        {
            const TextureStorage::Level& info = storage.LevelInfo(level);
            EXPECT_EQ(info.Width, before[level].Width) << level;
            EXPECT_EQ(info.Height, before[level].Height) << level;
            EXPECT_EQ(info.Depth, before[level].Depth) << level;
            EXPECT_EQ(info.RowPitch, before[level].RowPitch) << level;
            EXPECT_EQ(info.Offset, before[level].Offset) << level;
            EXPECT_EQ(info.Size, before[level].Size) << level;
        }
        for (uint32_t face = 0; face < c.faces; ++face)
            for (uint32_t level = 0; level < c.levels; ++level)
            {
                EXPECT_TRUE(storage.IsReached(face, level));
                EXPECT_FALSE(storage.IsLocked(face, level));
                EXPECT_EQ(LevelBytes(storage, face, level),
                          std::vector<uint8_t>(storage.LevelInfo(level).Size, valueOf(face, level)))
                    << "face " << face << " level " << level;
            }
    }
}

// A storage kept in a room its owner gives lays its levels out as one with its own block, and filling every
// level of every face stays inside the room's RoomBytes().
TEST(TextureStorageTest, AGivenRoomHoldsTheSameLevelsAndNothingPastItsSize)
{
    const struct
    {
        const char* name;
        uint32_t format, width, height, depth, levels, faces;
    } cases[] = {
        {"one texel", FMT_A8R8G8B8, 1, 1, 1, 1, 1},
        {"odd 2D chain", FMT_A8R8G8B8, 13, 5, 1, 4, 1},
        {"24-bit odd rows", FMT_R8G8B8, 7, 9, 1, 4, 1},
        {"8-bit full chain", FMT_A8, 32, 8, 1, 6, 1},
        {"cube faces", FMT_X8R8G8B8, 8, 8, 1, 4, 6},
        {"volume slices", FMT_A8R8G8B8, 4, 4, 4, 3, 1},
        {"block-compressed", FMT_DXT1, 16, 8, 1, 3, 1},
    };
    constexpr size_t kGuard = 64;
    constexpr uint8_t kGuardByte = 0xA5;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const size_t roomBytes = TextureStorage::RoomBytes(c.format, c.width, c.height, c.depth, c.levels, c.faces);
        // Room for the guard bytes behind; the allocator's alignment as the storage asks.
        std::unique_ptr<uint8_t[]> room(new uint8_t[roomBytes + kGuard]);
        std::memset(room.get(), 0x3C, roomBytes);
        std::memset(room.get() + roomBytes, kGuardByte, kGuard);
        {
            const TextureStorage own(c.format, c.width, c.height, c.depth, c.levels, c.faces);
            TextureStorage given(c.format, c.width, c.height, c.depth, c.levels, c.faces, room.get());
            ASSERT_EQ(given.LevelCount(), own.LevelCount());
            EXPECT_EQ(given.FaceSize(), own.FaceSize());
            for (uint32_t level = 0; level < c.levels; ++level)
            {
                EXPECT_EQ(given.LevelInfo(level).Width, own.LevelInfo(level).Width) << level;
                EXPECT_EQ(given.LevelInfo(level).Height, own.LevelInfo(level).Height) << level;
                EXPECT_EQ(given.LevelInfo(level).RowPitch, own.LevelInfo(level).RowPitch) << level;
                EXPECT_EQ(given.LevelInfo(level).Offset, own.LevelInfo(level).Offset) << level;
                EXPECT_EQ(given.LevelInfo(level).Size, own.LevelInfo(level).Size) << level;
            }
            for (uint32_t face = 0; face < c.faces; ++face)
                for (uint32_t level = 0; level < c.levels; ++level)
                {
                    // The room's old bytes are not the texels: a first lock that keeps them clears them.
                    EXPECT_EQ(LevelBytes(given, face, level),
                              std::vector<uint8_t>(given.LevelInfo(level).Size, 0));
                    LockedBox locked;
                    ASSERT_EQ(given.Lock(face, level, nullptr, &locked, LOCK_DISCARD), GFX_OK);
                    const uint8_t* const start = room.get();
                    const auto* const bits = static_cast<const uint8_t*>(locked.Bits);
                    EXPECT_GE(bits, start);
                    EXPECT_LE(bits + given.LevelInfo(level).Size, start + roomBytes);
                    std::memset(locked.Bits, 0xEE, given.LevelInfo(level).Size);
                    ASSERT_EQ(given.Unlock(face, level), GFX_OK);
                }
            for (uint32_t face = 0; face < c.faces; ++face)
                for (uint32_t level = 0; level < c.levels; ++level)
                    EXPECT_FALSE(given.IsLocked(face, level));
        }
        EXPECT_EQ(std::vector<uint8_t>(room.get() + roomBytes, room.get() + roomBytes + kGuard),
                  std::vector<uint8_t>(kGuard, kGuardByte));
    }
}

// A box locks from its own first texel (or 4x4 block) on, whatever the format; block-compressed boxes off the
// block edges and boxes past the level are refused and lock nothing.
TEST(TextureStorageTest, BoxesLockFromTheirFirstTexelOrBlock)
{
    const struct
    {
        const char* name;
        uint32_t format;
        GfxBox box;
        bool accepted;
        size_t offset; // from the level's first byte
    } cases[] = {
        {"32-bit texel box", FMT_A8R8G8B8, {3, 2, 7, 5, 0, 1}, true, 2 * 16 * 4 + 3 * 4},
        {"16-bit texel box", FMT_R5G6B5, {5, 1, 6, 2, 0, 1}, true, 1 * 16 * 2 + 5 * 2},
        {"8-bit texel box", FMT_A8, {15, 7, 16, 8, 0, 1}, true, 7 * 16 + 15},
        {"DXT1 block box", FMT_DXT1, {4, 4, 12, 8, 0, 1}, true, 1 * (16 / 4 * 8) + 1 * 8},
        {"DXT5 block box", FMT_DXT5, {8, 0, 16, 4, 0, 1}, true, 2 * 16},
        {"DXT1 box off the block edges", FMT_DXT1, {2, 4, 8, 8, 0, 1}, false, 0},
        {"box past the level", FMT_A8R8G8B8, {0, 0, 17, 8, 0, 1}, false, 0},
        {"empty box", FMT_A8R8G8B8, {4, 4, 4, 8, 0, 1}, false, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        TextureStorage storage(c.format, 16, 8, 1, 2, 1);
        const uint8_t* const first = storage.LevelData(0, 0);
        LockedBox locked;
        const GfxResult result = storage.Lock(0, 0, &c.box, &locked, 0);
        EXPECT_EQ(GfxSucceeded(result), c.accepted);
        EXPECT_EQ(storage.IsLocked(0, 0), c.accepted);
        if (c.accepted)
        {
            EXPECT_EQ(static_cast<const uint8_t*>(locked.Bits), first + c.offset);
            EXPECT_EQ(uint32_t(locked.RowPitch), storage.LevelInfo(0).RowPitch);
            EXPECT_EQ(storage.Unlock(0, 0), GFX_OK);
        }
    }
}

} // namespace
