#include "engine/model/VertexCache.h"

#include <gtest/gtest.h>

namespace
{

StripFace Face(int a, int b, int c)
{
    StripFace face;
    face.m_I0 = a;
    face.m_I1 = b;
    face.m_I2 = c;
    return face;
}

TEST(VertexCacheTest, StartsEmptyAndDropsTheOldestEntry)
{
    VertexCache cache(3);
    EXPECT_FALSE(cache.InCache(-2));
    EXPECT_FALSE(cache.InCache(0));
    cache.AddEntry(1);
    cache.AddEntry(2);
    cache.AddEntry(3);
    EXPECT_TRUE(cache.InCache(1));
    cache.AddEntry(4);
    EXPECT_FALSE(cache.InCache(1));
    EXPECT_TRUE(cache.InCache(2));
    EXPECT_TRUE(cache.InCache(4));
}

TEST(VertexCacheTest, AddingAFaceSkipsVerticesAlreadyHeld)
{
    VertexCache cache(4);
    cache.AddFace(Face(1, 2, 3));
    // 2 and 3 stay, so only 4 is added and 1 survives as the oldest.
    cache.AddFace(Face(2, 3, 4));
    EXPECT_TRUE(cache.InCache(1));
    EXPECT_EQ(cache.FaceHits(Face(1, 2, 4)), 3);
    cache.AddEntry(5);
    EXPECT_FALSE(cache.InCache(1));
    EXPECT_EQ(cache.FaceHits(Face(1, 2, 9)), 1);
    EXPECT_EQ(cache.FaceHits(Face(7, 8, 9)), 0);
}

} // namespace
