#include "engine/terrain/kaTerrain.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"
#include "tests/support/engine/terrain/TerrainTestSupport.h"

#include "platform/gfx/math/Vector3.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <memory>
#include <string>
#include <vector>

using terraintest::WriteMap;

namespace
{

class TerrainFuzzTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start(nullptr));
        // Small files, so that thousands of reads stay quick.
        const std::string map =
            WriteMap(m_Dir, "map.bmp", 17, 17, [](uint32_t c, uint32_t r) { return uint8_t(c * 9 + r * 5); });
        const std::string mask = WriteMap(m_Dir, "mask.tga", 17, 17,
                                          [](uint32_t c, uint32_t) { return uint8_t(c < 8 ? 255 : 40); });
        const std::string base = WriteMap(m_Dir, "base.bmp", 16, 16, terraintest::Constant(90));
        const std::string sizes = "<heightmap>" + map +
                                  "</heightmap><width>64</width><length>64</length><height>30</height>"
                                  "<vertexLight>1</vertexLight>";
        m_Sources = {"<Terrain>" + sizes + "<terrainLayers><layer><maskPath>" + mask +
                         "</maskPath><texturePath>t.dds</texturePath><texStretch>4</texStretch><hardEdge>0"
                         "</hardEdge></layer><layer><maskPath>" +
                         mask +
                         "</maskPath><texturePath>u.dds</texturePath><texStretch>0.5</texStretch><hardEdge>1"
                         "</hardEdge></layer></terrainLayers><edgePanels>p.dds</edgePanels></Terrain>",
                     "<Terrain>" + sizes + "<singleLayer><baseTexture>" + base +
                         "</baseTexture><detailTexture>d.dds</detailTexture><detailTexStretch>12"
                         "</detailTexStretch></singleLayer><edgePanels>p.dds</edgePanels></Terrain>"};
    }

    // Reads the text as the world reads a "Terrain" element, writes it back and asks for the ground.
    static void ReadWrite(const std::string& text)
    {
        TiXmlDocument document;
        document.Parse(text.c_str());
        kaTerrain terrain;
        terrain.ReadXml(document.RootElement());
        TiXmlElement out("Terrain");
        terrain.WriteXml(&out);
        terrain.GetHeightAt(10.0f, 10.0f);
        platform::Vector3 point, normal;
        terrain.IntersectRay(5.0f, 100.0f, 5.0f, 20.0f, -10.0f, 30.0f, point, normal);
    }

    testsupport::TempDir m_Dir;
    std::vector<std::string> m_Sources;
    // The builds' timing lines would fill the output.
    testsupport::DebugCapture m_Debug;
};

TEST_F(TerrainFuzzTest, TruncatedAndMutatedElementsNeitherCrashNorThrow)
{
    const std::string alphabet = "<>/ -.e0123456789abcdefghijklmnopqrstuvwxyzEINF+\"=&;";
    const char* const numbers[] = {"1e30", "-5", "nan",         "inf", "-inf",
                                   "abc",  "",   "99999999999", "0",   "1e-40"};
    uint32_t seed = 2024;
    const auto next = [&seed]
    {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) & 0xFFFFFF;
    };
    for (const std::string& source : m_Sources)
    {
        for (size_t length = 0; length <= source.size(); length += 3)
            EXPECT_NO_THROW(ReadWrite(source.substr(0, length))) << length;
        for (int round = 0; round < 5000; ++round)
        {
            std::string text = source;
            const int edits = 1 + static_cast<int>(next() % 3);
            for (int e = 0; e < edits && !text.empty(); ++e)
            {
                const size_t at = next() % text.size();
                switch (next() % 5)
                {
                case 0:
                    text[at] = alphabet[next() % alphabet.size()];
                    break;
                case 1:
                    text.insert(at, 1, alphabet[next() % alphabet.size()]);
                    break;
                case 2:
                    text.erase(at, 1 + next() % 8);
                    break;
                case 3:
                {
                    // A value replaced by an odd number or text.
                    const size_t open = text.find('>', at);
                    const size_t close = open == std::string::npos ? open : text.find('<', open);
                    if (close != std::string::npos)
                        text.replace(open + 1, close - open - 1, numbers[next() % std::size(numbers)]);
                    break;
                }
                default:
                {
                    // A key repeated.
                    const size_t open = text.find('<', at);
                    const size_t end =
                        open == std::string::npos ? open : text.find('<', text.find('>', open));
                    const size_t close = end == std::string::npos ? end : text.find('>', end);
                    if (close != std::string::npos && open > 0)
                        text.insert(open, text.substr(open, close + 1 - open));
                    break;
                }
                }
            }
            EXPECT_NO_THROW(ReadWrite(text)) << text;
        }
    }
}

TEST_F(TerrainFuzzTest, ThousandsOfLayersAreReadUpToTheLimit)
{
    const std::string& layered = m_Sources[0];
    const size_t open = layered.find("<layer>");
    const size_t close = layered.find("</layer>") + 8;
    const std::string layer = layered.substr(open, close - open);
    std::string many = layered.substr(0, open);
    for (int i = 0; i < 3000; ++i)
        many += layer;
    many += layered.substr(close);
    TiXmlDocument document;
    document.Parse(many.c_str());
    kaTerrain terrain;
    terrain.ReadXml(document.RootElement());
    EXPECT_EQ(terrain.GetLayerCount(), kaTerrain::kMaxFileLayers);
    EXPECT_TRUE(m_Debug.Contains("More than 64 layers"));
}

} // namespace
