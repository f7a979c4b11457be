// Editing one layer's stretch through the terrain's editor rows on the 257 x 257 sample map with three
// layers (the coordinates of that layer rewritten in place, then the apron), beside the full rebuild the
// edit would otherwise take (the layered build and the apron). "ratio" is edit time over rebuild time, both
// in the same run, on the CPU test device.

#include "bench/support/CpuGraphics.h"
#include "bench/support/TimeRatio.h"
#include "engine/core/kaFileSystem.h"
#include "engine/scene/kaPropertyRecord.h"
#include "engine/terrain/kaTerrain.h"
#include "tools/terraingen/TerrainSamples.h"

#include "platform/system/DebugOutput.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace
{

using TerrainSamples::MaskKind;

std::string Content(const std::string& relative)
{
    return std::string(TARVOLIN_CONTENT) + "/" + relative;
}

class EditScene
{
public:
    EditScene() : m_Sink(platform::SetDebugSink([](const std::string&) {}))
    {
        const TerrainSamples::MapSize& map = TerrainSamples::kMapSizes[0];
        m_Ready = m_Terrain.GenerateHeightMapVerts(Content(TerrainSamples::HeightMapPath(map)), 256.0f,
                                                   100.0f, 256.0f, false);
        for (MaskKind kind : {MaskKind::Full, MaskKind::Half, MaskKind::Ramp})
            m_Ready = m_Ready && m_Terrain.AddLayer(Content(TerrainSamples::MaskPath(kind, map)),
                                                    Content(TerrainSamples::TilePath("grass")), 4.0f, false);
        m_Terrain.Build();
        m_Terrain.BuildLayeredEdgeApron();
    }
    ~EditScene() { platform::SetDebugSink(m_Sink); }

    bool IsReady() const { return m_Ready; }

    // The rows with layer 1's stretch switched between two values.
    void EditStretch()
    {
        m_Stretch = m_Stretch == 4.0f ? 5.0f : 4.0f;
        kaPropertyList rows;
        for (const kaCountedPtr<kaPropertyRecord>& row : m_Terrain.GetPropertyList())
            kaPropertyRecord::Append(rows, row->m_Label,
                                     row->m_Label == "Layer 1TexStretch:" ? std::to_string(int(m_Stretch))
                                                                          : row->m_Value);
        m_Terrain.SetPropertyList(rows);
    }

    void Rebuild() { m_Terrain.Rebuild(); }

private:
    CpuGraphics m_Cpu{"TerrainEditBench"};
    kaFileSystem m_Files;
    platform::DebugSink m_Sink;
    kaTerrain m_Terrain;
    float m_Stretch = 4.0f;
    bool m_Ready = false;
};

void BM_StretchRowEdit(benchmark::State& state)
{
    EditScene scene;
    if (!scene.IsReady())
    {
        state.SkipWithError("sample height map or masks missing");
        return;
    }
    for (auto _ : state)
        scene.EditStretch();
}
BENCHMARK(BM_StretchRowEdit)->Unit(benchmark::kMillisecond);

// Both sides in each iteration; the counter is edit time over full rebuild time.
void BM_StretchEditRatio(benchmark::State& state)
{
    EditScene scene;
    if (!scene.IsReady())
    {
        state.SkipWithError("sample height map or masks missing");
        return;
    }
    TimeRatio(
        state, [&] { scene.EditStretch(); }, [&] { scene.Rebuild(); });
}
BENCHMARK(BM_StretchEditRatio)->Unit(benchmark::kMillisecond);

} // namespace
