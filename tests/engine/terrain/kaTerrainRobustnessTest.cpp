#include "engine/terrain/kaTerrain.h"
#include "engine/terrain/kaTerrainLayer.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/ProcessLimits.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"
#include "tests/support/engine/terrain/TerrainTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

using terraintest::WriteMap;

namespace
{

class TerrainRobustnessTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start(nullptr));
        const auto heights = [](uint32_t col, uint32_t row) { return uint8_t(col * 5 + row * 3); };
        const auto mask = [](uint32_t col, uint32_t row) { return uint8_t(col < 8 ? 255 : row * 7); };
        // 16 samples a side: small enough for thousands of builds, and a power-of-two base tile.
        for (const char* extension : {".bmp", ".tga"})
        {
            m_Sources.push_back({true, m_Dir.Read(Relative(WriteMap(m_Dir, std::string("map") + extension, 16,
                                                                    16, heights)))});
            m_Sources.push_back({false, m_Dir.Read(Relative(WriteMap(m_Dir, std::string("mask") + extension,
                                                                     16, 16, mask)))});
            m_Extensions.push_back(extension);
            m_Extensions.push_back(extension);
        }
        m_Good = m_Dir.File("map.bmp");
        m_GoodMask = m_Dir.File("mask.bmp");
    }

    std::string Relative(const std::string& path) const { return path.substr(m_Dir.Path().size() + 1); }

    // Feeds one damaged file to the terrain the way the editor and the loader do, then builds both ways.
    // No layer or detail textures: a missing texture costs a folder search per quad.
    // False when a refused file changed the terrain.
    bool Feed(bool heightMap, const std::string& extension, const std::string& bytes)
    {
        const std::string path = m_Dir.Write("damaged" + extension, bytes);
        // A terrain that refused the last file is as the intact files made it and serves again.
        if (!m_pTerrain)
        {
            m_pTerrain = std::make_unique<kaTerrain>();
            if (!m_pTerrain->GenerateHeightMapVerts(m_Good, 15.0f, 40.0f, 15.0f, true) ||
                !m_pTerrain->AddLayer(m_GoodMask, "", 2.0f, false))
                return false;
            m_Heights = m_pTerrain->GetHeights();
        }
        kaTerrain& terrain = *m_pTerrain;
        const bool accepted = heightMap ? terrain.GenerateHeightMapVerts(path, 15.0f, 40.0f, 15.0f, true)
                                        : terrain.AddLayer(path, "", 1.0f, true);
        if (!accepted)
            return terrain.GetHeights() == m_Heights && terrain.GetWidth() == 15.0f &&
                   terrain.GetLayerCount() == 1;
        terrain.Build();
        terrain.SetSingleLayerTextures(path, "", 1.0f);
        terrain.BuildSingleLayer();
        const bool built = terrain.GetQuadColumns() >= 1;
        m_pTerrain.reset();
        return built;
    }

    testsupport::TempDir m_Dir;
    std::vector<std::pair<bool, std::string>> m_Sources;
    std::vector<std::string> m_Extensions;
    std::string m_Good;
    std::string m_GoodMask;
    std::unique_ptr<kaTerrain> m_pTerrain;
    std::vector<uint16_t> m_Heights;
};

TEST_F(TerrainRobustnessTest, EveryTruncationOfAMapOrMaskIsHandled)
{
    testsupport::DebugCapture quiet;
    for (size_t i = 0; i < m_Sources.size(); ++i)
    {
        const auto& [heightMap, bytes] = m_Sources[i];
        for (size_t length = 0; length < bytes.size(); ++length)
            ASSERT_TRUE(Feed(heightMap, m_Extensions[i], bytes.substr(0, length)))
                << m_Extensions[i] << (heightMap ? " map" : " mask") << " cut to " << length;
    }
}

TEST_F(TerrainRobustnessTest, SeededMutationsOfMapsAndMasksAreHandled)
{
    testsupport::DebugCapture quiet;
    const auto run = [this]
    {
        std::mt19937 random(20261207u);
        for (int round = 0; round < 5000; ++round)
        {
            const size_t which = size_t(round) % m_Sources.size();
            std::string bytes = m_Sources[which].second;
            const int changes = 1 + int(random() % 4);
            for (int c = 0; c < changes; ++c)
            {
                // Half the changes land in the headers, where sizes and depths live.
                const size_t span = random() % 2 ? std::min<size_t>(bytes.size(), 64) : bytes.size();
                const size_t at = random() % span;
                bytes[at] = char(random() % 3 == 0 ? 0xFF : random());
            }
            if (!Feed(m_Sources[which].first, m_Extensions[which], bytes))
                return false;
        }
        return true;
    };
    // Where the process can be held to a memory budget, a huge allocation ends the run instead of passing.
    if (testsupport::MemoryLimitsWork())
        EXPECT_TRUE(testsupport::RunWithMemoryLimit(size_t(512) << 20, run));
    else
        EXPECT_TRUE(run());
}

} // namespace
