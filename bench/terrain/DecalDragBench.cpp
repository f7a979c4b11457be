// A 4 x 40-cell road on the 257 x 257 sample map moved one cell a frame through its rectangle (its tiles laid
// again where they are, the path grid written twice), beside building its sixteen tiles anew at each new
// place. "ratio" is drag time over rebuild time, both in the same run, on the CPU test device.

#include "bench/support/CpuGraphics.h"
#include "bench/support/TimeRatio.h"
#include "engine/core/kaFileSystem.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/Road.h"
#include "engine/terrain/kaTerrain.h"
#include "engine/terrain/kaTerrainDecal.h"
#include "tools/terraingen/TerrainSamples.h"

#include "platform/system/DebugOutput.h"

#include <benchmark/benchmark.h>

#include <array>
#include <string>

namespace
{

constexpr int32_t kLength = 40;
constexpr int32_t kWidth = 4;

class DragScene
{
public:
    DragScene() : m_Sink(platform::SetDebugSink([](const std::string&) {}))
    {
        const TerrainSamples::MapSize& map = TerrainSamples::kMapSizes[0];
        m_Terrain = new kaTerrain;
        m_Ready = m_Terrain->GenerateHeightMapVerts(std::string(TARVOLIN_CONTENT) + "/" +
                                                        TerrainSamples::HeightMapPath(map),
                                                    512.0f, 100.0f, 512.0f, false);
        m_World.SetTerrain(m_Terrain);
        m_World.ResetPathGrid();
        m_Road.SetWorld(&m_World);
        m_Road.SetRect(m_Start, 10, m_Start + kWidth, 10 + kLength);
        m_Ready = m_Ready && m_Road.GetEndZ() - m_Road.GetStartZ() == kLength;
    }
    ~DragScene()
    {
        for (kaTerrainDecal*& tile : m_Plain)
            if (tile)
                m_Terrain->RemoveDecal(tile);
        m_Road.SetWorld(nullptr);
        platform::SetDebugSink(m_Sink);
    }

    bool IsReady() const { return m_Ready; }

    // One cell along X, back to the start after a hundred.
    void Drag()
    {
        m_Start = m_Start >= 120 ? 20 : m_Start + 1;
        m_Road.SetRect(m_Start, 10, m_Start + kWidth, 10 + kLength);
    }

    // The same sixteen tiles made from nothing at the road's place.
    void BuildAnew()
    {
        for (kaTerrainDecal*& tile : m_Plain)
            if (tile)
                m_Terrain->RemoveDecal(tile);
        for (int32_t r = 0; r < 4; ++r)
            for (int32_t c = 0; c < 4; ++c)
            {
                const int32_t x0 = m_Start + c, z0 = 10 + (kLength / 4) * r;
                auto* tile = new kaTerrainDecal(m_Terrain, Road::kTexturePath, x0, z0, 1, kLength / 4, 0.25f,
                                                0.25f, true, 0xFFFFFFFFu, 0, c, z0 - 10, 0.25f, 0.25f, false,
                                                false, 0.0f, 0.0f);
                m_Terrain->AddDecal(tile);
                m_Plain[size_t(r * 4 + c)] = tile;
            }
    }

private:
    CpuGraphics m_Cpu{"DecalDragBench"};
    kaFileSystem m_Files;
    platform::DebugSink m_Sink;
    kaWorld m_World;
    kaTerrain* m_Terrain = nullptr;
    Road m_Road;
    std::array<kaTerrainDecal*, 16> m_Plain{};
    int32_t m_Start = 20;
    bool m_Ready = false;
};

void BM_RoadDrag(benchmark::State& state)
{
    DragScene scene;
    if (!scene.IsReady())
    {
        state.SkipWithError("sample height map missing");
        return;
    }
    for (auto _ : state)
        scene.Drag();
}
BENCHMARK(BM_RoadDrag)->Unit(benchmark::kMicrosecond);

// Both sides in each iteration; the counter is drag time over building the tiles anew.
void BM_RoadDragRatio(benchmark::State& state)
{
    DragScene scene;
    if (!scene.IsReady())
    {
        state.SkipWithError("sample height map missing");
        return;
    }
    TimeRatio(
        state, [&] { scene.Drag(); }, [&] { scene.BuildAnew(); });
}
BENCHMARK(BM_RoadDragRatio)->Unit(benchmark::kMicrosecond);

} // namespace
