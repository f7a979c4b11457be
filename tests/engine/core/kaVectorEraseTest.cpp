#include "engine/core/kaVectorErase.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

struct EraseBase
{
    virtual ~EraseBase() = default;
};
struct EraseDerived : EraseBase
{
};

} // namespace

TEST(VectorEraseTest, FirstTakesOneOccurrenceAndAllTakesEveryOneKeepingOrder)
{
    EraseDerived a, b, c;
    struct Case
    {
        std::vector<EraseBase*> list;
        const EraseDerived* entry;
        bool firstFound;
        std::vector<EraseBase*> afterFirst;
        std::vector<EraseBase*> afterAll;
    };
    const Case cases[] = {
        {{}, &a, false, {}, {}},
        {{&b, &c}, &a, false, {&b, &c}, {&b, &c}},
        {{&a, &b, &a, &c}, &a, true, {&b, &a, &c}, {&b, &c}},
        {{&b, &c, &c}, &c, true, {&b, &c}, {&b}},
    };
    for (const Case& row : cases)
    {
        std::vector<EraseBase*> first = row.list;
        EXPECT_EQ(kaVectorErase::Contains(first, row.entry), row.firstFound);
        EXPECT_EQ(kaVectorErase::EraseFirst(first, row.entry), row.firstFound);
        EXPECT_EQ(first, row.afterFirst);
        std::vector<EraseBase*> all = row.list;
        kaVectorErase::EraseAll(all, row.entry);
        EXPECT_EQ(all, row.afterAll);
        EXPECT_FALSE(kaVectorErase::Contains(all, row.entry));
    }
}
