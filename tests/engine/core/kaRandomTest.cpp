#include "engine/core/kaRandom.h"

#include <gtest/gtest.h>

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

TEST_F(RandomTest, SettingTheSeedRepeatsTheSequence)
{
    SetRandomSeed(42);
    const int first = RandomInt(1000);
    const int second = RandomInt(1000);
    SetRandomSeed(42);
    EXPECT_EQ(RandomInt(1000), first);
    EXPECT_EQ(RandomInt(1000), second);
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
    EXPECT_EQ(RandomInt(0), 0);
    EXPECT_EQ(RandomInt(-5), 0);
}
