#include "engine/core/kaSmallVector.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using Small = kaSmallVector<int, 3>;

// Applies a script of pushes (a value) and pops (-1) to the small list and to a std::vector alike.
void Play(const std::vector<int>& script, Small& small, std::vector<int>& plain)
{
    for (int step : script)
    {
        if (step < 0)
        {
            small.pop_back();
            if (!plain.empty())
                plain.pop_back();
        }
        else
        {
            small.push_back(step);
            plain.push_back(step);
        }
    }
}

} // namespace

TEST(kaSmallVectorTest, HoldsWhatAVectorWouldAcrossTheInlineRoom)
{
    struct Case
    {
        const char* name;
        std::vector<int> script;
    };
    const Case cases[] = {
        {"empty", {}},
        {"pop from empty", {-1, -1}},
        {"inline only", {1, 2, 3}},
        {"one past the room", {1, 2, 3, 4}},
        {"back to the room", {1, 2, 3, 4, -1}},
        {"into the room and out again", {1, 2, 3, 4, 5, -1, -1, -1, 6, 7}},
        {"grow, shrink below, grow past", {1, 2, 3, 4, 5, 6, -1, -1, -1, -1, 7, 8, 9, 10}},
        {"all popped", {1, 2, 3, 4, -1, -1, -1, -1, -1}},
    };
    for (const Case& c : cases)
    {
        Small small;
        std::vector<int> plain;
        Play(c.script, small, plain);
        EXPECT_EQ(small.ToVector(), plain) << c.name;
        EXPECT_EQ(small.size(), plain.size()) << c.name;
        EXPECT_EQ(small.empty(), plain.empty()) << c.name;
        for (size_t i = 0; i < plain.size(); ++i)
            EXPECT_EQ(small[i], plain[i]) << c.name << " at " << i;
        if (!plain.empty())
        {
            EXPECT_EQ(small.back(), plain.back()) << c.name;
        }

        // A copy holds the same values and stays apart from its source.
        Small copy(small);
        EXPECT_EQ(copy.ToVector(), plain) << c.name;
        copy.push_back(99);
        EXPECT_EQ(small.ToVector(), plain) << c.name;

        // Assigning over a list of either kind leaves exactly the source's values.
        for (const std::vector<int>& before : {std::vector<int>{}, std::vector<int>{7, 7, 7, 7, 7}})
        {
            Small target;
            for (int value : before)
                target.push_back(value);
            target = small;
            EXPECT_EQ(target.ToVector(), plain) << c.name << " over " << before.size();
        }
    }
}

TEST(kaSmallVectorTest, AssignAndClearStartAfresh)
{
    Small list;
    for (int i = 0; i < 6; ++i)
        list.push_back(i);
    list.assign(1, 0);
    EXPECT_EQ(list.ToVector(), std::vector<int>{0});
    list.assign(5, 4);
    EXPECT_EQ(list.ToVector(), (std::vector<int>{4, 4, 4, 4, 4}));
    list.clear();
    EXPECT_TRUE(list.empty());
    list.push_back(8);
    EXPECT_EQ(list.ToVector(), std::vector<int>{8});
    list[0] = 9;
    EXPECT_EQ(list.back(), 9);
}
