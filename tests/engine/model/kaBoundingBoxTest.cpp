#include "engine/model/kaBoundingBox.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace
{
std::atomic<long> g_LiveAllocations{0};
}

// Counts live heap blocks so that the test can see a chain being freed. The replacement pair is
// malloc and free underneath, which the compiler cannot see through.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size)
{
    for (;;)
    {
        if (void* block = std::malloc(size == 0 ? 1 : size))
        {
            ++g_LiveAllocations;
            return block;
        }
        std::new_handler handler = std::get_new_handler();
        if (handler == nullptr)
            throw std::bad_alloc();
        handler();
    }
}

void operator delete(void* block) noexcept
{
    if (block == nullptr)
        return;
    --g_LiveAllocations;
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    operator delete(block);
}

namespace
{

void ExpectVector(const kaBoundingBox::Vector& v, float x, float y, float z)
{
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}

TEST(kaBoundingBoxTest, CornersTakeMaxYForBitZeroMaxXForBitOneMaxZForBitTwo)
{
    kaBoundingBox box;
    box.m_Min = {0, 0, 0};
    box.m_Max = {1, 2, 3};
    box.m_Centre = {7, 8, 9};
    box.m_Radius = 5.0f;
    box.ComputeCorners();
    ExpectVector(box.m_Corners[0], 0, 0, 0);
    ExpectVector(box.m_Corners[1], 0, 2, 0);
    ExpectVector(box.m_Corners[2], 1, 0, 0);
    ExpectVector(box.m_Corners[3], 1, 2, 0);
    ExpectVector(box.m_Corners[4], 0, 0, 3);
    ExpectVector(box.m_Corners[5], 0, 2, 3);
    ExpectVector(box.m_Corners[6], 1, 0, 3);
    ExpectVector(box.m_Corners[7], 1, 2, 3);
    // Only the corners are derived.
    ExpectVector(box.m_Min, 0, 0, 0);
    ExpectVector(box.m_Max, 1, 2, 3);
    ExpectVector(box.m_Centre, 7, 8, 9);
    EXPECT_EQ(box.m_Radius, 5.0f);
}

TEST(kaBoundingBoxTest, RectXZIsTheGroundFootprint)
{
    kaBoundingBox box;
    box.m_Min = {-1, -5, 0.5f};
    box.m_Max = {1, 2, 3};
    float minX = 9, minZ = 9, maxX = 9, maxZ = 9;
    box.GetRectXZ(minX, minZ, maxX, maxZ);
    EXPECT_FLOAT_EQ(minX, -1);
    EXPECT_FLOAT_EQ(minZ, 0.5f);
    EXPECT_FLOAT_EQ(maxX, 1);
    EXPECT_FLOAT_EQ(maxZ, 3);
}

TEST(kaBoundingBoxTest, DestroyingTheFirstBoxOfAChainDestroysTheWholeChain)
{
    const long before = g_LiveAllocations.load();
    kaBoundingBox* first = new kaBoundingBox;
    first->m_Next.reset(new kaBoundingBox);
    first->m_Next->m_Next.reset(new kaBoundingBox);
    const long built = g_LiveAllocations.load();
    delete first;
    const long after = g_LiveAllocations.load();
    EXPECT_EQ(built - before, 3);
    EXPECT_EQ(after, before);
}

TEST(kaBoundingBoxTest, ALongChainIsFreedWithoutDeepRecursion)
{
    const long before = g_LiveAllocations.load();
    {
        kaBoundingBox first;
        kaBoundingBox* last = &first;
        for (int i = 0; i < 1000000; ++i)
        {
            last->m_Next.reset(new kaBoundingBox);
            last = last->m_Next.get();
        }
    }
    EXPECT_EQ(g_LiveAllocations.load(), before);
}

} // namespace
