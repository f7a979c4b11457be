#include "engine/core/kaRandom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

class RandomTest : public ::testing::Test
{
protected:
    void SetUp() override { SetRandomSeed(0); }
    void TearDown() override { SetRandomSeed(0); }
};

} // namespace

TEST_F(RandomTest, SequenceFromSeedZero)
{
    // seed = seed * 1103515245 + 12345, result = (seed & 0x7FFFFFFF) * n / 2^31.
    std::vector<int> drawn;
    for (int n : {100, 100, 100, 7, 1, 2147483647})
        drawn.push_back(RandomInt(n));
    EXPECT_EQ(drawn, (std::vector<int>{0, 65, 30, 4, 0, 1109335177}));
}

TEST_F(RandomTest, ResultsStayBelowTheCount)
{
    SetRandomSeed(0xFFFFFFFFu);
    for (int i = 0; i < 10000; ++i)
    {
        const int value = RandomInt(3);
        ASSERT_GE(value, 0);
        ASSERT_LT(value, 3);
    }
    EXPECT_EQ(RandomInt(0), -1);
    EXPECT_EQ(RandomInt(-5), -1);
}

TEST_F(RandomTest, AnEmptyCountStillAdvancesTheSeedAndGivesMinusOne)
{
    // Seed 0, n = 10: the seed becomes 12345 and the draw is 0.
    EXPECT_EQ(RandomInt(10), 0);
    SetRandomSeed(0);
    EXPECT_EQ(RandomInt(0), -1);
    // The seed moved exactly as a real draw would have: the next draw is the second of the sequence.
    EXPECT_EQ(RandomInt(100), 65);
}

namespace
{

// The seed before the one whose low 31 bits are the given value: the step inverted modulo 2^32.
uint32_t SeedBefore(uint32_t next)
{
    uint32_t inverse = 1103515245u;
    for (int i = 0; i < 5; ++i)
        inverse *= 2u - 1103515245u * inverse;
    return (next - 12345u) * inverse;
}

} // namespace

TEST_F(RandomTest, FloatDrawsShareTheSeedAndStayBelowOne)
{
    // From seed 0 the first seed is 12345: 12345 / 2^31. The float draw advances the integer sequence, which
    // setting the seed again repeats.
    EXPECT_FLOAT_EQ(RandomFloat(), 12345.0f / 2147483648.0f);
    SetRandomSeed(0);
    RandomFloat();
    EXPECT_EQ(RandomInt(100), 65);

    struct Case
    {
        uint32_t nextSeed;
        float expected;
    };
    const Case cases[] = {
        {0x80000000u, 0.0f},
        {0x40000000u, 0.5f},
        {0xC0000000u, 0.5f},
        // The largest draws would round to 1 in float precision.
        {0x7FFFFFFFu, std::nextafter(1.0f, 0.0f)},
        {0xFFFFFFC0u, std::nextafter(1.0f, 0.0f)},
    };
    for (const Case& c : cases)
    {
        SetRandomSeed(SeedBefore(c.nextSeed));
        EXPECT_EQ(RandomFloat(), c.expected) << std::hex << c.nextSeed;
    }
}
