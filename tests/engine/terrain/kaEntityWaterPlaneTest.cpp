#include "engine/terrain/kaEntityWaterPlane.h"

#include "engine/model/kaMesh.h"
#include "engine/render/kaEffect.h"
#include "engine/render/kaRenderState.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/kaAStarPathManager.h"
#include "engine/terrain/kaTerrain.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/engine/terrain/EnvironmentFixture.h"
#include "tools/terraingen/TerrainSamples.h"

#include "platform/gfx/GfxEffect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <set>
#include <vector>

namespace
{

std::string Technique(const char* name)
{
    return std::string("technique ") + name +
           "\npass P\nvertexshader\n#version 120\nvoid main() { gl_Position = "
           "gl_Vertex; }\nendshader\n";
}

class WaterPlaneTest : public EnvironmentFixture
{
protected:
    void SetUp() override
    {
        EnvironmentFixture::SetUp();
        m_EffectPath =
            m_Dir.Write("water.fx", Technique("TWater_20") + Technique("TWater_14") + Technique("TWater_11"));
    }

    // A device whose card has these shader versions.
    void Restart(uint32_t vertexShader, uint32_t pixelShader)
    {
        m_Manager.reset();
        m_D3D->Adapters[0].Caps.VertexShaderVersion = vertexShader;
        m_D3D->Adapters[0].Caps.PixelShaderVersion = pixelShader;
        ASSERT_TRUE(Start("[Begin Graphics Config]\nFullScreen=0\n[End Graphics Config]\n"));
    }

    std::unique_ptr<kaEntityWaterPlane> Water(float width, float length)
    {
        auto water = std::make_unique<kaEntityWaterPlane>();
        water->SetEffectFile(m_EffectPath);
        water->Build(width, length);
        return water;
    }

    std::vector<uint16_t> Indices(const kaMeshSubset& subset)
    {
        const auto* data = static_cast<const uint16_t*>(m_Manager->LockIndexBuffer(subset.m_SysIndexBuffer));
        std::vector<uint16_t> out(data, data + subset.m_IndexCount);
        m_Manager->UnlockIndexBuffer(subset.m_SysIndexBuffer);
        return out;
    }

    std::string m_EffectPath;
};

TEST_F(WaterPlaneTest, SizesGiveWholeCellsOrNoMesh)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case
    {
        float width, length;
        uint32_t vertices, triangles;
    } cases[] = {
        {1024.0f, 1024.0f, 25, 32},
        {1000.0f, 1000.0f, 16, 18},
        {2048.0f, 512.0f, 27, 32},
        {256.0f, 256.0f, 4, 2},
        {255.0f, 1024.0f, 0, 0},
        {1024.0f, -512.0f, 0, 0},
        {nan, 1024.0f, 0, 0},
        {1024.0f, std::numeric_limits<float>::infinity(), 0, 0},
        // 301 x 301 vertices: past what 16-bit indices reach.
        {256.0f * 300, 256.0f * 300, 0, 0},
        {256.0f * 70000, 256.0f, 0, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.length));
        std::unique_ptr<kaEntityWaterPlane> water = Water(c.width, c.length);
        if (c.vertices == 0)
        {
            EXPECT_EQ(water->GetMesh(), nullptr);
            continue;
        }
        ASSERT_NE(water->GetMesh(), nullptr);
        EXPECT_EQ(water->GetMesh()->GetVertexCount(), c.vertices);
        EXPECT_EQ(water->GetMesh()->GetTriangleCount(), c.triangles);
        const std::vector<uint16_t> indices = Indices(*water->GetMesh()->GetSubset(0));
        EXPECT_EQ(*std::max_element(indices.begin(), indices.end()), c.vertices - 1);
    }
}

TEST_F(WaterPlaneTest, ShaderVersionsPickTheTechnique)
{
    using platform::PS_VERSION;
    using platform::VS_VERSION;
    struct Case
    {
        uint32_t vs, ps;
        int level;
        const char* technique;
    } cases[] = {
        {VS_VERSION(2, 0), PS_VERSION(2, 0), 1, "TWater_20"},
        {VS_VERSION(3, 0), PS_VERSION(2, 0), 1, "TWater_20"},
        {VS_VERSION(2, 0), PS_VERSION(1, 4), 2, "TWater_14"},
        {VS_VERSION(1, 1), PS_VERSION(1, 1), 3, "TWater_11"},
        {VS_VERSION(1, 1), PS_VERSION(1, 0), 0, nullptr},
        {0, 0, 0, nullptr},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.level);
        Restart(c.vs, c.ps);
        std::unique_ptr<kaEntityWaterPlane> water = Water(1024.0f, 1024.0f);
        EXPECT_EQ(water->GetLevelInUse(), c.level);
        ASSERT_NE(water->GetMesh(), nullptr);
        const kaMeshSubset& subset = *water->GetMesh()->GetSubset(0);
        // Cell (0, 0) of a 4 x 4 grid: b = 0, N = 5.
        const std::vector<uint16_t> indices = Indices(subset);
        const std::vector<uint16_t> first(indices.begin(), indices.begin() + 6);
        if (c.technique)
        {
            ASSERT_NE(water->GetEffect(), nullptr);
            EXPECT_EQ(water->GetEffect()->GetEffect()->GetCurrentTechnique(), c.technique);
            EXPECT_EQ(subset.m_pEffect, water->GetEffect());
            EXPECT_NE(water->GetVertexDeclaration(), nullptr);
            EXPECT_EQ(water->GetMesh()->GetFVF(), kaEntityWaterPlane::kShaderFVF);
            EXPECT_EQ(first, (std::vector<uint16_t>{5, 1, 0, 5, 6, 1}));
        }
        else
        {
            EXPECT_EQ(water->GetEffect(), nullptr);
            EXPECT_EQ(subset.m_pEffect, nullptr);
            EXPECT_EQ(water->GetMesh()->GetFVF(), kaEntityWaterPlane::kFallbackFVF);
            EXPECT_TRUE(subset.GetRenderState()->m_AlphaBlend);
            EXPECT_EQ(first, (std::vector<uint16_t>{5, 0, 1, 5, 1, 6}));
        }
    }
}

TEST_F(WaterPlaneTest, AnEffectThatDoesNotLoadDrawsThePlainTexture)
{
    Restart(platform::VS_VERSION(2, 0), platform::PS_VERSION(2, 0));
    auto water = std::make_unique<kaEntityWaterPlane>();
    water->SetEffectFile(m_Dir.File("missing.fx"));
    water->Build(1024.0f, 1024.0f);
    EXPECT_EQ(water->GetLevelInUse(), 0);
    EXPECT_EQ(water->GetEffect(), nullptr);
    ASSERT_NE(water->GetMesh(), nullptr);
    EXPECT_EQ(water->GetMesh()->GetFVF(), kaEntityWaterPlane::kFallbackFVF);
}

TEST_F(WaterPlaneTest, DrawingAndUpdatingSetTheSixParameters)
{
    Restart(platform::VS_VERSION(2, 0), platform::PS_VERSION(2, 0));
    kaWorld world;
    auto* water = new kaEntityWaterPlane;
    water->SetEffectFile(m_EffectPath);
    world.SetWaterPlane(water);
    water->Build(1024.0f, 1024.0f);
    water->SetLevel(5.0f, false);
    EXPECT_EQ(water->GetMesh()->GetWorldMatrix()(3, 1), 5.0f);
    Device()->ClearLog();
    const float time = kaEntityWaterPlane::GetTime();
    water->Update(0.25f);
    Device()->BeginScene();
    water->Render();
    Device()->EndScene();
    EXPECT_EQ(kaEntityWaterPlane::GetTime(), time + 0.25f);
    EXPECT_EQ(Device()->Draws().size(), 1u);
    std::set<std::string> names;
    for (const char* method : {"Effect::SetMatrix", "Effect::SetFloat", "Effect::SetVector"})
        for (const std::string& args : CallsOf(method))
            names.insert(args.substr(0, args.find(' ')));
    const std::set<std::string> expected = {"WorldView", "WorldViewProjection", "time", "vViewPosition"};
    EXPECT_EQ(names, expected);
    // Both textures were handed over when it was built.
    Device()->ClearLog();
    water->Build(1024.0f, 1024.0f);
    names.clear();
    for (const std::string& args : CallsOf("Effect::SetTexture"))
        names.insert(args.substr(0, args.find(' ')));
    EXPECT_EQ(names, (std::set<std::string>{"EnvironmentMap", "NoiseMap"}));
}

TEST_F(WaterPlaneTest, ADeviceLossRebuildsAtTheWatersOwnSize)
{
    std::unique_ptr<kaEntityWaterPlane> water = Water(2048.0f, 512.0f);
    const platform::GfxVertexDeclaration* declaration = water->GetVertexDeclaration();
    ASSERT_NE(declaration, nullptr);
    water->ReleaseDeviceObjects();
    EXPECT_EQ(water->GetMesh(), nullptr);
    water->CreateDeviceObjects();
    ASSERT_NE(water->GetMesh(), nullptr);
    EXPECT_EQ(water->GetMesh()->GetVertexCount(), 27u);

    kaEntityWaterPlane unbuilt;
    unbuilt.CreateDeviceObjects();
    ASSERT_NE(unbuilt.GetMesh(), nullptr);
    EXPECT_EQ(unbuilt.GetMesh()->GetVertexCount(), 25u);
}

TEST_F(WaterPlaneTest, WritingKeepsTheLevelAndTheElementRoundTrips)
{
    struct Case
    {
        const char* xml;
        const char* written;
        float level;
    } cases[] = {
        {"<WaterPlane><effect>w.fx</effect><level>5</level></WaterPlane>",
         "<WaterPlane><effect>w.fx</effect><level>5</level><min_level>0</min_level><max_level>0</max_level>"
         "</WaterPlane>",
         5.0f},
        {"<WaterPlane><level>-2.5</level><min_level>-10</min_level><max_level>10</max_level></WaterPlane>",
         "<WaterPlane><effect></effect><level>-2.5</level><min_level>-10</min_level><max_level>10</max_level>"
         "</WaterPlane>",
         -2.5f},
        // Numbers that are no number: in use as 0 and the default, written back as the file gave them.
        {"<WaterPlane><level>deep</level><min_level>x</min_level><max_level>3</max_level></WaterPlane>",
         "<WaterPlane><effect></effect><level>deep</level><min_level>x</min_level><max_level>3</max_level>"
         "</WaterPlane>",
         0.0f},
    };
    for (const Case& c : cases)
    {
        TiXmlDocument document;
        document.Parse(c.xml);
        kaEntityWaterPlane water;
        water.ReadXml(document.RootElement());
        EXPECT_EQ(Written(water, "WaterPlane"), c.written);
        EXPECT_EQ(water.GetLevel(), c.level);
        EXPECT_EQ(Written(water, "WaterPlane"), c.written);
    }
    kaEntityWaterPlane water;
    EXPECT_EQ(water.GetClassName(), "kaEntityWaterPlane");
    EXPECT_EQ(CreateEntity("kaEntityWaterPlane"), nullptr);
}

TEST_F(WaterPlaneTest, SettingTheLevelMarksWaterShoreAndDryGroundInItsOwnWorldsGrid)
{
    testsupport::CurrentDirectory content(TARVOLIN_CONTENT_DIR);
    kaWorld world;
    kaWorld other;
    auto* terrain = new kaTerrain;
    ASSERT_TRUE(terrain->GenerateHeightMapVerts(TerrainSamples::HeightMapPath(TerrainSamples::kMapSizes[1]),
                                                512.0f, 100.0f, 512.0f, false));
    terrain->ComputeEdgeBaseHeight();
    world.SetTerrain(terrain);
    world.ResetPathGrid();
    other.ResetPathGrid();
    auto& grid = dynamic_cast<kaAStarPathManager&>(*world.GetPathManager());
    auto& otherGrid = dynamic_cast<kaAStarPathManager&>(*other.GetPathManager());
    const auto water = Water(512.0f, 512.0f);
    water->SetWorld(&world);
    const float level = (terrain->GetLowestHeight() + terrain->GetHighestHeight()) * 0.5f;
    // Without marking only the water moves.
    water->SetLevel(level, false);
    for (uint32_t row = 0; row < 256; row += 5)
        for (uint32_t column = 0; column < 256; column += 5)
            ASSERT_EQ(grid.GetNode(column, row)->layers[1], 0);

    water->SetLevel(level, true);
    size_t wet = 0, shore = 0, dry = 0;
    const auto under = [&](int64_t column, int64_t row)
    {
        return column >= 0 && row >= 0 && column <= 128 && row <= 128 &&
               terrain->GetHeightAt(float(column * 4 + 2), float(row * 4 + 2)) <= level;
    };
    for (uint32_t row = 0; row <= 128; ++row)
        for (uint32_t column = 0; column <= 128; ++column)
        {
            const uint8_t held = grid.GetNode(column, row)->layers[1];
            if (under(column, row))
            {
                ASSERT_EQ(held, 2) << column << ", " << row;
                ++wet;
                continue;
            }
            bool besideWater = false;
            for (int dz = -1; dz <= 1; ++dz)
                for (int dx = -1; dx <= 1; ++dx)
                    besideWater = besideWater || under(int64_t(column) + dx, int64_t(row) + dz);
            // Dry ground is 0; the shore, dry ground beside the water, is 3.
            ASSERT_TRUE(held == 0 || (held == 3 && besideWater)) << column << ", " << row << " " << int(held);
            held == 3 ? ++shore : ++dry;
        }
    EXPECT_GT(wet, 1000u);
    EXPECT_GT(shore, 100u);
    EXPECT_GT(dry, 1000u);
    // Past the water's rectangle and in the other world nothing is marked.
    EXPECT_EQ(grid.GetNode(200, 200)->layers[1], 0);
    for (uint32_t row = 0; row < 256; row += 3)
        for (uint32_t column = 0; column < 256; column += 3)
            ASSERT_EQ(otherGrid.GetNode(column, row)->layers[1], 0);
    world.SetTerrain(nullptr);
}

} // namespace
