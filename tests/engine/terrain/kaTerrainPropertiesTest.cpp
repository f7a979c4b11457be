#include "engine/core/kaLexicalCast.h"
#include "engine/model/kaMesh.h"
#include "engine/scene/kaPropertyRecord.h"
#include "engine/terrain/kaLayeredTerrainQuad.h"
#include "engine/terrain/kaTerrain.h"
#include "engine/terrain/kaTerrainLayer.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"
#include "tests/support/engine/terrain/TerrainTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using platform::Vector3;
using terraintest::ReadVertices;

namespace
{

using TerrainSamples::MaskKind;

const TerrainSamples::MapSize& kMap = TerrainSamples::kMapSizes[1];

class TerrainPropertiesTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start(nullptr));
        ASSERT_TRUE(m_Terrain.GenerateHeightMapVerts(TerrainSamples::HeightMapPath(kMap), 128.0f, 40.0f,
                                                     128.0f, false));
        for (const auto kind : {MaskKind::Full, MaskKind::Half})
            ASSERT_TRUE(m_Terrain.AddLayer(TerrainSamples::MaskPath(kind, kMap),
                                           TerrainSamples::TilePath("grass"), 4.0f, false));
        m_Terrain.Build();
        m_Terrain.BuildLayeredEdgeApron();
    }

    // The rows as the editor shows them, with one value changed per (label, value) pair.
    kaPropertyList Edited(const std::vector<std::pair<std::string, std::string>>& changes)
    {
        kaPropertyList rows;
        for (const kaCountedPtr<kaPropertyRecord>& row : m_Terrain.GetPropertyList())
        {
            kaPropertyRecord& copy = kaPropertyRecord::Append(rows, row->m_Label, row->m_Value);
            for (const auto& [label, value] : changes)
                if (row->m_Label == label)
                    copy.m_Value = value;
        }
        return rows;
    }

    std::vector<kaLayeredMeshSubset::Vertex> Layer(int32_t qx, int32_t qz, int32_t layer) const
    {
        const auto& quad = dynamic_cast<const kaLayeredTerrainQuad&>(*m_Terrain.GetQuad(qx, qz));
        return ReadVertices(*quad.GetLayerSubset(layer));
    }

    testsupport::CurrentDirectory m_Content{TARVOLIN_CONTENT_DIR};
    kaTerrain m_Terrain;
};

TEST_F(TerrainPropertiesTest, RowsFollowTheEntitysWithTheirFoldersAndThreeRowsALayer)
{
    const kaPropertyList& rows = m_Terrain.GetPropertyList();
    struct Row
    {
        std::string label, value, folder;
    };
    const std::string mask0 = TerrainSamples::MaskPath(MaskKind::Full, kMap);
    const std::string mask1 = TerrainSamples::MaskPath(MaskKind::Half, kMap);
    const std::string grass = TerrainSamples::TilePath("grass");
    const Row expected[] = {
        {"Heightmap:", TerrainSamples::HeightMapPath(kMap), "resources/Worlds/Heightmap/"},
        {"Width:", "128", ""},
        {"Length:", "128", ""},
        {"Height:", "40", ""},
        {"VertexLight:", "0", ""},
        {"EdgePanels:", "", "resources/Worlds/groundtiles/"},
        {"Layer 0MaskPath:", mask0, "resources/worlds/groundmasks/"},
        {"Layer 0Texture:", grass, "resources/worlds/groundtiles/"},
        {"Layer 0TexStretch:", "4", ""},
        {"Layer 1MaskPath:", mask1, "resources/worlds/groundmasks/"},
        {"Layer 1Texture:", grass, "resources/worlds/groundtiles/"},
        {"Layer 1TexStretch:", "4", ""},
    };
    constexpr size_t kEntityRows = 4;
    ASSERT_EQ(rows.size(), kEntityRows + std::size(expected));
    EXPECT_EQ(rows[0]->m_Value, "Terrain");
    for (size_t i = 0; i < std::size(expected); ++i)
    {
        const kaPropertyRecord& row = *rows[kEntityRows + i];
        EXPECT_EQ(row.m_Label, expected[i].label);
        EXPECT_EQ(row.m_Value, expected[i].value) << row.m_Label;
        EXPECT_EQ(row.m_Folder, expected[i].folder) << row.m_Label;
        EXPECT_EQ(row.m_Browse, !expected[i].folder.empty()) << row.m_Label;
    }
    // Unchanged rows change nothing.
    const kaTerrainQuad* quad = m_Terrain.GetQuad(0, 0);
    EXPECT_FALSE(m_Terrain.SetPropertyList(Edited({})));
    EXPECT_EQ(m_Terrain.GetQuad(0, 0), quad);
}

TEST_F(TerrainPropertiesTest, AStretchRowRewritesOnlyItsLayersCoordinatesInPlace)
{
    const kaTerrainQuad* quad = m_Terrain.GetQuad(1, 1);
    const std::vector<uint16_t> heights = m_Terrain.GetHeights();
    const auto layer0 = Layer(1, 1, 0);
    const auto layer1 = Layer(1, 1, 1);
    ASSERT_FALSE(layer0.empty());
    ASSERT_FALSE(layer1.empty());
    ASSERT_TRUE(m_Terrain.SetPropertyList(Edited({{"Layer 1TexStretch:", "2"}})));
    EXPECT_EQ(m_Terrain.GetLayer(1)->GetStretch(), 2.0f);
    // No new heights, no new quads.
    EXPECT_EQ(m_Terrain.GetQuad(1, 1), quad);
    EXPECT_EQ(m_Terrain.GetHeights(), heights);
    const auto after0 = Layer(1, 1, 0);
    const auto after1 = Layer(1, 1, 1);
    ASSERT_EQ(after0.size(), layer0.size());
    ASSERT_EQ(after1.size(), layer1.size());
    for (size_t i = 0; i < after0.size(); ++i)
    {
        EXPECT_EQ(after0[i].u, layer0[i].u);
        EXPECT_EQ(after0[i].v, layer0[i].v);
    }
    for (size_t i = 0; i < after1.size(); ++i)
    {
        EXPECT_EQ(after1[i].position, layer1[i].position);
        EXPECT_FLOAT_EQ(after1[i].u, layer1[i].position.x / 2.0f);
        EXPECT_FLOAT_EQ(after1[i].v, layer1[i].position.z / 2.0f);
    }
    // The apron continues the first layer, so it is made again all the same.
    ASSERT_NE(m_Terrain.GetEdgeMesh(), nullptr);
    EXPECT_EQ(m_Terrain.GetEdgeMesh()->GetSubsetCount(), 8u);
}

TEST_F(TerrainPropertiesTest, HeightMapRowsGenerateAndRebuildAndMasksChangeOnlyWhenTheyLoad)
{
    ASSERT_TRUE(m_Terrain.SetPropertyList(Edited({{"Width:", "256"}})));
    EXPECT_EQ(m_Terrain.GetWidth(), 256.0f);
    EXPECT_EQ(m_Terrain.GetPositions().back().x, 256.0f);
    EXPECT_TRUE(m_Terrain.IsLayered());
    EXPECT_EQ(m_Terrain.GetQuad(3, 3)->GetSphereCentre().x, 224.0f);

    // A mask that cannot be loaded leaves the layer as it was.
    const std::string half = TerrainSamples::MaskPath(MaskKind::Half, kMap);
    EXPECT_FALSE(
        m_Terrain.SetPropertyList(Edited({{"Layer 1MaskPath:", "resources/worlds/groundmasks/gone.bmp"}})));
    EXPECT_EQ(m_Terrain.GetLayer(1)->GetMaskPath(), half);
    const std::string ramp = TerrainSamples::MaskPath(MaskKind::Ramp, kMap);
    ASSERT_TRUE(m_Terrain.SetPropertyList(Edited({{"Layer 1MaskPath:", ramp}})));
    EXPECT_EQ(m_Terrain.GetLayer(1)->GetMaskPath(), ramp);
    EXPECT_NE(m_Terrain.GetLayer(1)->GetMask(), nullptr);
}

TEST_F(TerrainPropertiesTest, ARowThatDoesNotConvertChangesNothingAndReachesTheEditor)
{
    const kaTerrainQuad* quad = m_Terrain.GetQuad(0, 0);
    for (const auto& bad : {std::pair<std::string, std::string>{"Height:", "abc"},
                            {"VertexLight:", "maybe"},
                            {"Layer 0TexStretch:", "4x"}})
    {
        SCOPED_TRACE(bad.first);
        // The width comes first and converts; the bad row after it must still keep it out.
        EXPECT_THROW(m_Terrain.SetPropertyList(Edited({{"Width:", "512"}, {"Layer 1TexStretch:", "9"}, bad})),
                     ka::bad_lexical_cast);
        EXPECT_EQ(m_Terrain.GetWidth(), 128.0f);
        EXPECT_EQ(m_Terrain.GetLayer(1)->GetStretch(), 4.0f);
        EXPECT_EQ(m_Terrain.GetQuad(0, 0), quad);
    }
}

TEST_F(TerrainPropertiesTest, AnEditedPanelPathRebuildsASingleLayerTerrainsPanels)
{
    ASSERT_TRUE(m_Terrain.SetSingleLayerTextures("", TerrainSamples::TilePath("detail"), 1.0f));
    m_Terrain.BuildSingleLayer();
    ASSERT_TRUE(m_Terrain.SetPropertyList(Edited({{"EdgePanels:", TerrainSamples::TilePath("sand")}})));
    EXPECT_EQ(m_Terrain.GetEdgePanelPath(), TerrainSamples::TilePath("sand"));
    ASSERT_NE(m_Terrain.GetEdgeMesh(), nullptr);
    EXPECT_EQ(m_Terrain.GetEdgeMesh()->GetFVF(), 0x212u);
    EXPECT_EQ(m_Terrain.GetKind(), kaTerrain::Kind::SingleLayer);
    // A height row rebuilds in the terrain's own kind.
    ASSERT_TRUE(m_Terrain.SetPropertyList(Edited({{"Height:", "60"}})));
    EXPECT_EQ(m_Terrain.GetKind(), kaTerrain::Kind::SingleLayer);
    EXPECT_FALSE(m_Terrain.IsLayered());
    EXPECT_EQ(m_Terrain.GetEdgeMesh()->GetFVF(), 0x212u);
}

} // namespace
