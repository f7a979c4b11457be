#include "tools/guigen/LockPictures.h"

#include "engine/render/kaTGAImage.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/TempDir.h"
#include "tools/guigen/GuiContent.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace
{

struct Counts
{
    int clear = 0, red = 0, green = 0, grey = 0;
};

Counts Count(const std::vector<uint8_t>& texels, int side)
{
    Counts counts;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
        {
            const uint8_t* t = &texels[(std::size_t(y) * side + x) * 4];
            const uint8_t b = t[0], g = t[1], r = t[2], a = t[3];
            if (a == 0)
            {
                ++counts.clear;
                continue;
            }
            counts.red += r > 150 && g < 80 ? 1 : 0;
            counts.green += g > 150 && r < 80 ? 1 : 0;
            counts.grey += r > 180 && r == g && g == b ? 1 : 0;
        }
    return counts;
}

} // namespace

TEST(LockPicturesTest, ClosedLocksAreRedWithBothLegsAndOpenOnesGreenWithOne)
{
    for (const int side : {guigen::kLockSide, guigen::kLockMarkSide})
        for (const bool open : {false, true})
        {
            const std::vector<uint8_t> texels = guigen::PadlockTexels(side, open);
            ASSERT_EQ(texels.size(), std::size_t(side) * side * 4);
            const Counts counts = Count(texels, side);
            // Clear around the lock, so that it stands on any page.
            EXPECT_GT(counts.clear, side * side / 4) << side << " " << open;
            EXPECT_EQ(texels[3], 0) << side << " " << open;
            EXPECT_GT(open ? counts.green : counts.red, side * side / 6) << side << " " << open;
            EXPECT_EQ(open ? counts.red : counts.green, 0) << side << " " << open;
            EXPECT_GT(counts.grey, 0) << side << " " << open;
            // Just above the body: the shackle meets it on both sides when closed, on the right alone when
            // open.
            const int y = side / 2 - 1;
            auto opaque = [&texels, side, y](int x)
            { return texels[(std::size_t(y) * side + x) * 4 + 3] != 0; };
            EXPECT_TRUE(opaque(side * 7 / 10)) << side << " " << open;
            EXPECT_EQ(opaque(side * 3 / 10), !open) << side << " " << open;
        }
}

TEST(LockPicturesTest, TheThreePicturesAreWrittenWhereTheScreensNameThem)
{
    testsupport::TempDir dir;
    testsupport::CurrentDirectory here(dir.File(""));
    std::string error;
    ASSERT_TRUE(guigen::WriteContent(".", error)) << error;
    const struct
    {
        const char* file;
        int side;
        bool open;
    } pictures[] = {
        {guigen::kLockedPicture, guigen::kLockSide, false},
        {guigen::kUnlockedPicture, guigen::kLockSide, true},
        {guigen::kLockMarkPicture, guigen::kLockMarkSide, false},
    };
    for (const auto& entry : pictures)
    {
        kaTGAImage picture;
        ASSERT_TRUE(picture.Load(dir.File(entry.file))) << entry.file;
        EXPECT_EQ(int(picture.GetWidth()), entry.side) << entry.file;
        EXPECT_EQ(int(picture.GetHeight()), entry.side) << entry.file;
        EXPECT_EQ(picture.GetAlphaBits(), 8u) << entry.file;
        const std::vector<uint8_t> texels = guigen::PadlockTexels(entry.side, entry.open);
        const std::vector<uint8_t> stored(picture.GetPixels(), picture.GetPixels() + texels.size());
        EXPECT_EQ(stored, texels) << entry.file;
    }
}
