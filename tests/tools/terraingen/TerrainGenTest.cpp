#include "engine/render/kaImage.h"
#include "engine/terrain/kaTerrain.h"
#include "tests/support/TempDir.h"
#include "tests/tools/support/FileTree.h"
#include "tools/terraingen/TerrainSamples.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{

using testsupport::ReadTree;

int RunTerrainGen(const std::string& folder)
{
    return std::system((std::string(TERRAINGEN_PATH) + " '" + folder + "'").c_str());
}

TEST(TerrainGenTest, WritesTheSameFilesOfTheRightDepthsOnEveryRun)
{
    testsupport::TempDir first, second;
    ASSERT_EQ(RunTerrainGen(first.Path()), 0);
    ASSERT_EQ(RunTerrainGen(second.Path()), 0);
    const auto files = ReadTree(first.Path());
    EXPECT_EQ(files, ReadTree(second.Path()));
    // Three maps with three masks each, three tiles, the detail texture and two base images.
    EXPECT_EQ(files.size(), 3u * 4u + 3u + 1u + 2u);
    for (const auto& [name, bytes] : files)
    {
        SCOPED_TRACE(name);
        const auto image = kaTerrain::LoadHeightMapImage(first.File(name));
        ASSERT_NE(image, nullptr);
        const bool grey =
            name.find("heightmap/") != std::string::npos || name.find("groundmasks/") != std::string::npos;
        EXPECT_EQ(image->GetBitsPerPixel(), grey ? 8u : 24u);
    }
    // Masks are read with the map's grid: row 0 the first stored row.
    for (const TerrainSamples::MapSize& size : TerrainSamples::kMapSizes)
    {
        const auto ramp =
            kaTerrain::LoadHeightMapImage(first.File(MaskPath(TerrainSamples::MaskKind::Ramp, size)));
        ASSERT_NE(ramp, nullptr);
        ASSERT_EQ(ramp->GetWidth(), size.side);
        EXPECT_EQ(ramp->GetPixels()[0], 0);
        EXPECT_EQ(ramp->GetPixels()[size.side - 1], 255);
    }
}

} // namespace
