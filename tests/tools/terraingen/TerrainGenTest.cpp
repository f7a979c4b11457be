#include "engine/render/kaImage.h"
#include "engine/terrain/TerrainMarker.h"
#include "engine/terrain/kaTerrain.h"
#include "tests/support/TempDir.h"
#include "tests/support/tools/FileTree.h"
#include "tools/terraingen/TerrainSamples.h"

#include <gtest/gtest.h>

#include <tinyxml.h>

#include <cstdlib>
#include <cstring>

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

TEST(TerrainGenTest, WritesTheDecalPicturesAndTheTerrainTypesTheMarkersKnow)
{
    testsupport::TempDir first, second;
    for (const auto* dir : {&first, &second})
        ASSERT_EQ(std::system((std::string(TERRAINGEN_PATH) + " environment '" + dir->Path() + "'").c_str()),
                  0);
    EXPECT_EQ(ReadTree(first.Path()), ReadTree(second.Path()));
    const struct
    {
        const char* name;
        uint32_t bits;
    } pictures[] = {{"resources/worlds/decals/handle.bmp", 24},
                    {"resources/worlds/decals/handle_blue.bmp", 24},
                    {"resources/worlds/decals/TerrainMarker.tga", 32}};
    for (const auto& picture : pictures)
    {
        const auto image = kaTerrain::LoadHeightMapImage(first.File(picture.name));
        ASSERT_NE(image, nullptr) << picture.name;
        EXPECT_EQ(image->GetBitsPerPixel(), picture.bits) << picture.name;
    }
    const std::string road = first.Read("resources/worlds/decals/road.dds");
    ASSERT_GT(road.size(), 128u);
    EXPECT_EQ(road.substr(0, 4), "DDS ");

    // Every listed name is one of the marker's types, each once, in type order.
    TiXmlDocument types;
    ASSERT_TRUE(types.Parse(first.Read("InitData/TerrainTypes.xml").c_str()) || !types.Error());
    const TiXmlElement* root = types.RootElement();
    ASSERT_NE(root, nullptr);
    EXPECT_STRNE(root->Value(), "root");
    int32_t expected = 1;
    for (const TiXmlElement* entry = root->FirstChildElement("property"); entry;
         entry = entry->NextSiblingElement("property"), ++expected)
    {
        ASSERT_NE(entry->Attribute("value"), nullptr);
        EXPECT_EQ(TerrainMarker::TypeOf(entry->Attribute("value")), expected);
    }
    EXPECT_EQ(expected, 9);
}

} // namespace
