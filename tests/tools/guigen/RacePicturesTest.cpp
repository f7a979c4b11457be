#include "tools/guigen/RacePictures.h"

#include <gtest/gtest.h>

namespace
{

// Texels in the picture's middle row that are lit (bright red or green channel, opaque).
int LitAcrossTheMiddle(const std::vector<uint8_t>& texels, int width, int height, int threshold)
{
    int lit = 0;
    const std::size_t row = std::size_t(height / 2) * width * 4;
    for (int x = 1; x < width - 1; ++x)
    {
        const uint8_t* texel = &texels[row + std::size_t(x) * 4];
        if (texel[3] == 255 && (texel[1] > threshold || texel[2] > threshold))
            ++lit;
    }
    return lit;
}

} // namespace

TEST(RacePicturesTest, EachDamageStageFillsMoreOfTheBarThanTheOneBefore)
{
    int previous = -1;
    for (int stage = 0; stage <= guigen::kDamageStages; ++stage)
    {
        const std::vector<uint8_t> texels = guigen::DamageBarTexels(stage);
        ASSERT_EQ(texels.size(), std::size_t(guigen::kDamageBarWidth) * guigen::kDamageBarHeight * 4);
        const int lit = LitAcrossTheMiddle(texels, guigen::kDamageBarWidth, guigen::kDamageBarHeight, 50);
        EXPECT_GT(lit, previous) << stage;
        previous = lit;
    }
    EXPECT_EQ(LitAcrossTheMiddle(guigen::DamageBarTexels(0), guigen::kDamageBarWidth, guigen::kDamageBarHeight, 50),
              0);
}

TEST(RacePicturesTest, PipPicturesLightAsManyPipsAsTheirCount)
{
    const struct
    {
        int count;
        int total;
    } cases[] = {{1, 3}, {2, 3}, {3, 3}, {1, 10}, {5, 10}, {10, 10}};
    for (const auto& c : cases)
    {
        const int width = 20 * c.total, height = 20;
        const std::vector<uint8_t> texels = guigen::PipTexels(width, height, c.count, c.total);
        int lit = 0;
        for (int pip = 0; pip < c.total; ++pip)
        {
            // The pip's centre is lit yellow when counted.
            const uint8_t* centre = &texels[(std::size_t(height / 2) * width + pip * 20 + 10) * 4];
            if (centre[2] > 200)
                ++lit;
        }
        EXPECT_EQ(lit, c.count) << c.count << "/" << c.total;
    }
}
