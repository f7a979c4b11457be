#include "engine/terrain/kaTerrain.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/ProcessLimits.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/terrain/TerrainTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

namespace
{

constexpr uint64_t kMegabyte = uint64_t(1) << 20;
constexpr uint64_t kGigabyte = uint64_t(1) << 30;

TEST(TerrainMemoryTest, AMapIsTakenOnlyWhenItsBuildFitsInHalfTheFreeMemory)
{
    struct Case
    {
        uint32_t columns;
        uint32_t rows;
        uint64_t available;
        bool fits;
    };
    const Case cases[] = {
        // The largest map needs some 4 GB: refused with 4 GB free, taken with 16.
        {4097, 4097, 4 * kGigabyte, false},
        {4097, 4097, 16 * kGigabyte, true},
        {2049, 2049, 1 * kGigabyte, false},
        {2049, 2049, 4 * kGigabyte, true},
        {257, 257, 64 * kMegabyte, true},
        {129, 129, 0, false},
        // Exactly half is still taken; a byte less free is not.
        {1000, 1000, 2 * 1000 * 1000 * kaTerrain::kBytesPerSample, true},
        {1000, 1000, 2 * 1000 * 1000 * kaTerrain::kBytesPerSample - 2, false},
        // Wide and short maps count by their samples, not their longer side.
        {4097, 2, 64 * kMegabyte, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.columns << " x " << c.rows << ", " << c.available << " free");
        EXPECT_EQ(kaTerrain::HeightMapBytes(c.columns, c.rows),
                  uint64_t(c.columns) * c.rows * kaTerrain::kBytesPerSample);
        EXPECT_EQ(kaTerrain::HeightMapFits(c.columns, c.rows, c.available), c.fits);
    }
    // The largest map's need is past what 32-bit sizes hold; it must not wrap to a small number.
    EXPECT_GT(kaTerrain::HeightMapBytes(4097, 4097), uint64_t(INT32_MAX) + 1);
}

// Under a budget the map's build would not fit in, the map is refused with what it needs and nothing is
// allocated for it; a small map in the same budget is still taken.
TEST(TerrainMemoryTest, AMapTooLargeForTheMemoryLeftIsRefusedAndTheTerrainKept)
{
    if (!testsupport::MemoryLimitsWork())
        GTEST_SKIP() << "memory limits do not hold under the address sanitizer";
    testsupport::TempDir dir;
    const std::string large = terraintest::WriteMap(dir, "large.bmp", 1025, 1025, terraintest::Constant(90));
    const std::string small = terraintest::WriteMap(dir, "small.bmp", 65, 65, terraintest::Constant(90));
    ASSERT_FALSE(large.empty());
    ASSERT_FALSE(small.empty());
    const bool ran = testsupport::RunWithMemoryLimit(
        size_t(96) << 20,
        [&]
        {
            kaTerrain terrain;
            if (!terrain.GenerateHeightMapVerts(small, 256.0f, 50.0f, 256.0f, true) ||
                terrain.GetColumns() != 65)
                return false;
            testsupport::DebugCapture capture;
            std::string why;
            // 1025 x 1025 samples need some 240 MB.
            if (kaTerrain::CheckHeightMapFile(large, why) || why.find("240 MB") == std::string::npos)
                return false;
            if (terrain.GenerateHeightMapVerts(large, 256.0f, 50.0f, 256.0f, true))
                return false;
            return terrain.GetColumns() == 65 && terrain.GetRows() == 65 &&
                   capture.Contains("needs about 240 MB");
        });
    EXPECT_TRUE(ran);
}

} // namespace
