#include "engine/model/kaMesh.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/kaTerrain.h"
#include "engine/terrain/kaTerrainLayer.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"
#include "tests/support/engine/terrain/TerrainTestSupport.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace
{

using TerrainSamples::MaskKind;

const TerrainSamples::MapSize& kXmlMap = TerrainSamples::kMapSizes[1];

std::string PrintNode(const TiXmlNode& node)
{
    TiXmlPrinter printer;
    printer.SetStreamPrinting();
    node.Accept(&printer);
    return printer.Str();
}

// The element's children's names in order.
std::vector<std::string> Keys(const TiXmlElement& element)
{
    std::vector<std::string> keys;
    for (const TiXmlElement* child = element.FirstChildElement(); child; child = child->NextSiblingElement())
        keys.push_back(child->Value());
    return keys;
}

class TerrainXmlTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(Start(nullptr)); }

    // A terrain read from the element's text.
    static std::unique_ptr<kaTerrain> Read(const std::string& xml)
    {
        TiXmlDocument document;
        document.Parse(xml.c_str());
        auto terrain = std::make_unique<kaTerrain>();
        terrain->ReadXml(document.RootElement());
        return terrain;
    }

    static std::string Written(const kaTerrain& terrain)
    {
        TiXmlElement element("Terrain");
        terrain.WriteXml(&element);
        return PrintNode(element);
    }

    static std::string Sizes()
    {
        return "<heightmap>" + TerrainSamples::HeightMapPath(kXmlMap) +
               "</heightmap><width>128</width><length>128</length><height>40</height>";
    }

    static std::string Layered()
    {
        return "<Terrain>" + Sizes() + "<vertexLight>1</vertexLight><terrainLayers><layer><maskPath>" +
               TerrainSamples::MaskPath(MaskKind::Full, kXmlMap) + "</maskPath><texturePath>" +
               TerrainSamples::TilePath("grass") +
               "</texturePath><texStretch>8</texStretch><hardEdge>0</hardEdge></layer><layer><maskPath>" +
               TerrainSamples::MaskPath(MaskKind::Half, kXmlMap) + "</maskPath><texturePath>" +
               TerrainSamples::TilePath("sand") +
               "</texturePath><texStretch>2.5</texStretch><hardEdge>1</hardEdge></layer></terrainLayers>"
               "<edgePanels>panel.dds</edgePanels></Terrain>";
    }

    static std::string SingleLayer()
    {
        return "<Terrain>" + Sizes() + "<vertexLight>0</vertexLight><singleLayer><baseTexture>" +
               TerrainSamples::BasePath(128) + "</baseTexture><detailTexture>" +
               TerrainSamples::TilePath("detail") +
               "</detailTexture><detailTexStretch>12</detailTexStretch></singleLayer><edgePanels>" +
               TerrainSamples::TilePath("sand") + "</edgePanels></Terrain>";
    }

    testsupport::CurrentDirectory m_Content{TARVOLIN_CONTENT_DIR};
};

TEST_F(TerrainXmlTest, EachKindComesBackFromItsOwnElementToTheSameBytes)
{
    struct Case
    {
        const char* name;
        std::string xml;
        kaTerrain::Kind kind;
        std::vector<std::string> keys;
    };
    const Case cases[] = {
        {"layered",
         Layered(),
         kaTerrain::Kind::Layered,
         {"heightmap", "width", "length", "height", "vertexLight", "terrainLayers", "edgePanels"}},
        {"single layer",
         SingleLayer(),
         kaTerrain::Kind::SingleLayer,
         {"heightmap", "width", "length", "height", "vertexLight", "singleLayer", "edgePanels"}},
        {"height field",
         "<Terrain>" + Sizes() + "</Terrain>",
         kaTerrain::Kind::HeightFieldOnly,
         {"heightmap", "width", "length", "height", "vertexLight", "edgePanels"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const auto first = Read(c.xml);
        ASSERT_EQ(first->GetKind(), c.kind);
        ASSERT_EQ(first->GetColumns(), int32_t(kXmlMap.side));
        const std::string saved = Written(*first);
        TiXmlDocument document;
        document.Parse(saved.c_str());
        EXPECT_EQ(Keys(*document.RootElement()), c.keys);
        const auto second = Read(saved);
        EXPECT_EQ(Written(*second), saved);
        EXPECT_EQ(second->GetKind(), c.kind);
        EXPECT_EQ(second->GetHeights(), first->GetHeights());
        EXPECT_EQ(second->HasVertexLighting(), first->HasVertexLighting());
        ASSERT_EQ(second->GetLayerCount(), first->GetLayerCount());
        for (int32_t i = 0; i < first->GetLayerCount(); ++i)
        {
            EXPECT_EQ(second->GetLayer(i)->GetMaskPath(), first->GetLayer(i)->GetMaskPath());
            EXPECT_EQ(second->GetLayer(i)->GetTexturePath(), first->GetLayer(i)->GetTexturePath());
            EXPECT_EQ(second->GetLayer(i)->GetStretch(), first->GetLayer(i)->GetStretch());
            EXPECT_EQ(second->GetLayer(i)->IsHardEdge(), first->GetLayer(i)->IsHardEdge());
        }
        EXPECT_EQ(second->GetBaseTexturePath(), first->GetBaseTexturePath());
        EXPECT_EQ(second->GetDetailTexturePath(), first->GetDetailTexturePath());
        EXPECT_EQ(second->GetEdgePanelPath(), first->GetEdgePanelPath());
    }

    // The layered terrain: two layers in order, the apron as its edge mesh; its panels are not read.
    const auto layered = Read(Layered());
    // Read again, it holds what the element says, not twice that; then a bare height field.
    TiXmlDocument again;
    again.Parse(Layered().c_str());
    layered->ReadXml(again.RootElement());
    EXPECT_EQ(layered->GetLayerCount(), 2);
    TiXmlDocument bare;
    bare.Parse(("<Terrain>" + Sizes() + "</Terrain>").c_str());
    kaTerrain reread;
    reread.ReadXml(again.RootElement());
    reread.ReadXml(bare.RootElement());
    EXPECT_EQ(reread.GetKind(), kaTerrain::Kind::HeightFieldOnly);
    EXPECT_EQ(reread.GetLayerCount(), 0);
    EXPECT_EQ(reread.GetQuadColumns(), 0);
    EXPECT_EQ(reread.GetEdgeMesh(), nullptr);
    ASSERT_EQ(layered->GetLayerCount(), 2);
    EXPECT_EQ(layered->GetLayer(1)->GetStretch(), 2.5f);
    EXPECT_TRUE(layered->GetLayer(1)->IsHardEdge());
    ASSERT_NE(layered->GetEdgeMesh(), nullptr);
    EXPECT_EQ(layered->GetEdgeMesh()->GetSubsetCount(), 8u);
    EXPECT_EQ(layered->GetEdgePanelPath(), "");
    // The single-layer terrain: base tiles and its panels.
    const auto single = Read(SingleLayer());
    EXPECT_NE(single->GetTileTexture(3, 3), nullptr);
    EXPECT_EQ(single->GetDetailStretch(), 12.0f);
    ASSERT_NE(single->GetEdgeMesh(), nullptr);
    EXPECT_EQ(single->GetEdgeMesh()->GetFVF(), 0x212u);
}

TEST_F(TerrainXmlTest, BothChildrenReadAsSingleLayerAndUnreadableThingsAreKeptAsRead)
{
    std::string both = SingleLayer();
    both.insert(both.find("<edgePanels>"),
                "<terrainLayers><layer><maskPath>x.bmp</maskPath></layer></terrainLayers>");
    const auto single = Read(both);
    EXPECT_EQ(single->GetKind(), kaTerrain::Kind::SingleLayer);
    EXPECT_EQ(single->GetLayerCount(), 0);

    // A missing map keeps its path and sizes; a missing mask keeps its layer, which draws nothing.
    const auto missing = Read(
        "<Terrain><heightmap>gone.bmp</heightmap><width>64</width><length>32</length><height>9</height>"
        "<vertexLight>1</vertexLight><terrainLayers><layer><maskPath>gone.tga</maskPath><texturePath>t.dds"
        "</texturePath><texStretch>3</texStretch><hardEdge>1</hardEdge></layer></terrainLayers></Terrain>");
    EXPECT_TRUE(missing->GetPositions().empty());
    EXPECT_EQ(missing->GetWidth(), 64.0f);
    EXPECT_EQ(missing->GetLength(), 32.0f);
    EXPECT_EQ(missing->GetHeight(), 9.0f);
    EXPECT_TRUE(missing->HasVertexLighting());
    ASSERT_EQ(missing->GetLayerCount(), 1);
    EXPECT_EQ(missing->GetLayer(0)->GetMask(), nullptr);
    EXPECT_EQ(missing->GetLayer(0)->GetTexturePath(), "t.dds");
    const std::string saved = Written(*missing);
    for (const char* kept :
         {"<heightmap>gone.bmp</heightmap>", "<width>64</width>", "<length>32</length>",
          "<maskPath>gone.tga</maskPath>", "<texStretch>3</texStretch>", "<hardEdge>1</hardEdge>"})
        EXPECT_NE(saved.find(kept), std::string::npos) << kept;

    // Numbers that do not convert read as missing; no exception leaves the reader.
    const auto bad =
        Read("<Terrain><heightmap>" + TerrainSamples::HeightMapPath(kXmlMap) +
             "</heightmap><width>abc</width><length>nan</length><height>-inf</height>"
             "<vertexLight>yes</vertexLight><singleLayer><detailTexStretch>1e99</detailTexStretch>"
             "</singleLayer></Terrain>");
    EXPECT_TRUE(bad->GetPositions().empty());
    EXPECT_EQ(bad->GetWidth(), 0.0f);
    EXPECT_FALSE(bad->HasVertexLighting());
    EXPECT_EQ(bad->GetKind(), kaTerrain::Kind::SingleLayer);
}

TEST_F(TerrainXmlTest, AtMost64LayersAreReadFromAnElement)
{
    std::string xml = "<Terrain>" + Sizes() + "<terrainLayers>";
    for (int i = 0; i < 70; ++i)
        xml += "<layer><maskPath>" + TerrainSamples::MaskPath(MaskKind::Ramp, kXmlMap) +
               "</maskPath><texturePath>" + std::to_string(i) + "</texturePath></layer>";
    xml += "</terrainLayers></Terrain>";
    testsupport::DebugCapture debug;
    const auto terrain = Read(xml);
    ASSERT_EQ(terrain->GetLayerCount(), 64);
    EXPECT_EQ(terrain->GetLayer(63)->GetTexturePath(), "63");
    EXPECT_TRUE(debug.Contains("More than 64 layers"));
}

TEST_F(TerrainXmlTest, RebuildingKeepsTheTerrainsKindThroughTheWorldToo)
{
    auto single = Read(SingleLayer());
    kaWorld world;
    kaTerrain* terrain = single.release();
    world.SetTerrain(terrain);
    world.RebuildTerrain();
    EXPECT_EQ(terrain->GetKind(), kaTerrain::Kind::SingleLayer);
    EXPECT_FALSE(terrain->IsLayered());
    // The base image is read again, so the quads keep their tiles; the panels are made again.
    EXPECT_NE(terrain->GetTileTexture(0, 0), nullptr);
    ASSERT_NE(terrain->GetEdgeMesh(), nullptr);
    EXPECT_EQ(terrain->GetEdgeMesh()->GetFVF(), 0x212u);
    EXPECT_NE(Written(*terrain).find("<singleLayer>"), std::string::npos);

    auto layered = Read(Layered());
    layered->Rebuild();
    EXPECT_TRUE(layered->IsLayered());
    ASSERT_NE(layered->GetEdgeMesh(), nullptr);
    EXPECT_EQ(layered->GetEdgeMesh()->GetFVF(), 0x112u);
    world.SetTerrain(nullptr);
}

TEST_F(TerrainXmlTest, FlattenedGroundIsSavedAsTheCoursesOwnMapAndComesBackWithinAMapStep)
{
    testsupport::TempDir dir;
    const std::string map = terraintest::WriteMap(
        dir, "hills.bmp", 33, 33, [](uint32_t c, uint32_t r) { return uint8_t((c * 7 + r * 13) % 256); });
    const std::string hills = dir.Read("hills.bmp");
    // Another course's map already has the name this course would take first.
    const std::string others = dir.Write("Course_ground.bmp", "another course's ground");
    auto* terrain = new kaTerrain;
    ASSERT_TRUE(terrain->GenerateHeightMapVerts(map, 64.0f, 50.0f, 64.0f, false));
    kaWorld world;
    world.SetTerrain(terrain);

    // Nothing edited: the course names the map it was given.
    ASSERT_TRUE(world.SaveFile(dir.File("Course.xml"), false));
    EXPECT_EQ(terrain->GetHeightMapPath(), map);

    terrain->FlattenArea(55.0f, platform::Vector3(10.0f, 0.0f, 20.0f), platform::Vector3(30.0f, 0.0f, 44.0f),
                         false);
    terrain->FlattenArea(12.0f, platform::Vector3(40.0f, 0.0f, 2.0f), platform::Vector3(50.0f, 0.0f, 6.0f),
                         true);
    ASSERT_TRUE(terrain->AreHeightsEdited());
    ASSERT_TRUE(world.SaveFile(dir.File("Course.xml"), false));
    const std::string own = dir.File("Course_ground2.bmp");
    EXPECT_EQ(terrain->GetHeightMapPath(), own);
    EXPECT_FALSE(terrain->AreHeightsEdited());
    EXPECT_EQ(dir.Read("hills.bmp"), hills);
    EXPECT_EQ(dir.Read("Course_ground.bmp"), "another course's ground");
    const std::string course = dir.Read("Course.xml");
    EXPECT_NE(course.find("<heightmap>" + own + "</heightmap>"), std::string::npos);

    // Read back: every sample within one map step of the edited ground.
    TiXmlDocument document;
    document.Parse(course.c_str());
    ASSERT_NE(document.RootElement(), nullptr);
    kaTerrain loaded;
    loaded.ReadXml(document.RootElement()->FirstChildElement("Terrain"));
    ASSERT_EQ(loaded.GetPositions().size(), terrain->GetPositions().size());
    const float step = 50.0f / 255.0f;
    for (size_t i = 0; i < loaded.GetPositions().size(); ++i)
        ASSERT_NEAR(loaded.GetPositions()[i].y, terrain->GetPositions()[i].y, step * 0.5f + 0.01f) << i;
    EXPECT_NEAR(loaded.GetHeightAt(20.0f, 30.0f), 55.0f, step);
    EXPECT_NEAR(loaded.GetHeightAt(42.0f, 4.0f), 12.0f, step);

    // A later edit writes over this course's own map, and nothing else.
    terrain->FlattenArea(30.0f, platform::Vector3(0.0f, 0.0f, 0.0f), platform::Vector3(8.0f, 0.0f, 8.0f),
                         true);
    ASSERT_TRUE(world.SaveFile(dir.File("Course.xml"), false));
    EXPECT_EQ(terrain->GetHeightMapPath(), own);
    EXPECT_FALSE(dir.Exists("Course_ground3.bmp"));
}

} // namespace
