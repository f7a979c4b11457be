#include "engine/model/StripBuilder.h"

#include "tests/support/DebugCapture.h"

#include <gtest/gtest.h>

namespace
{

StripFace MakeFace(int a, int b, int c)
{
    StripFace face;
    face.m_I0 = a;
    face.m_I1 = b;
    face.m_I2 = c;
    return face;
}

TEST(StripBuilderTest, WorkingCacheSizeIsSixLessButAtLeastOne)
{
    const uint16_t indices[] = {0, 1, 2};
    EXPECT_EQ(StripBuilder(indices, 3, 24, 0).GetWorkingCacheSize(), 18);
    EXPECT_EQ(StripBuilder(indices, 3, 16, 0).GetWorkingCacheSize(), 10);
    EXPECT_EQ(StripBuilder(indices, 3, 7, 0).GetWorkingCacheSize(), 1);
    EXPECT_EQ(StripBuilder(indices, 3, 6, 0).GetWorkingCacheSize(), 1);
    EXPECT_EQ(StripBuilder(indices, 3, 0, 0).GetWorkingCacheSize(), 1);
}

// The face's vertex off the strip's last edge; a face off the edge is reported, one within it is -1.
TEST(StripBuilderTest, NextIndexIsTheFaceVertexOffTheLastEdge)
{
    testsupport::DebugCapture capture;
    EXPECT_EQ(StripBuilder::GetNextIndex({9, 4, 7}, MakeFace(7, 5, 4)), 5);
    EXPECT_EQ(StripBuilder::GetNextIndex({4, 7}, MakeFace(4, 7, 8)), 8);
    EXPECT_TRUE(capture.Lines().empty());

    EXPECT_EQ(StripBuilder::GetNextIndex({1, 2}, MakeFace(3, 2, 5)), 3);
    EXPECT_EQ(StripBuilder::GetNextIndex({1, 2}, MakeFace(2, 1, 2)), -1);
    EXPECT_EQ(capture.Lines(),
              (std::vector<std::string>{"GetNextIndex: Triangle doesn't have all of its vertices\n",
                                        "GetNextIndex: Duplicate triangle probably got us derailed\n",
                                        "GetNextIndex: Duplicate triangle sent\n"}));
}

TEST(StripBuilderTest, DroppedFacesAreNotCounted)
{
    const uint16_t indices[] = {0, 1, 2, 0, 1, 2, 3, 3, 4, 2, 0, 1, 5};
    StripBuilder builder(indices, 13, 16, 0);
    builder.Run();
    EXPECT_EQ(builder.GetFaceCount(), 2);
}

} // namespace
