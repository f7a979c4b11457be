// Building the 257 x 257 sample map with three layers (full, half and ramp masks), beside decoding the same
// images and writing each covered cell's vertices and indices into plain buffers in one loop. The graphics
// manager runs on the CPU test device, so the figures are the engine's own work.

#include "bench/support/CpuGraphics.h"
#include "engine/core/kaFileSystem.h"
#include "engine/render/kaBMPImage.h"
#include "engine/terrain/kaLayeredMeshSubset.h"
#include "engine/terrain/kaTerrain.h"
#include "tools/terraingen/TerrainSamples.h"

#include "platform/system/DebugOutput.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace
{

using TerrainSamples::MaskKind;

const TerrainSamples::MapSize& kMap = TerrainSamples::kMapSizes[0];
constexpr MaskKind kMasks[] = {MaskKind::Full, MaskKind::Half, MaskKind::Ramp};

std::string Content(const std::string& relative)
{
    return std::string(TARVOLIN_CONTENT) + "/" + relative;
}

// The CPU graphics manager, with the debug sink silenced: the build's timing lines would reach it on
// every iteration.
class Graphics
{
public:
    Graphics() : m_Sink(platform::SetDebugSink([](const std::string&) {})) {}
    ~Graphics() { platform::SetDebugSink(m_Sink); }

private:
    CpuGraphics m_Cpu{"TerrainBench"};
    platform::DebugSink m_Sink;
};

// Heights, three layers and the layered build; seconds. The terrain is destroyed outside the timing.
double BuildTerrain(std::unique_ptr<kaTerrain>& terrain)
{
    terrain = std::make_unique<kaTerrain>();
    const auto start = std::chrono::steady_clock::now();
    terrain->GenerateHeightMapVerts(Content(TerrainSamples::HeightMapPath(kMap)), 256.0f, 100.0f, 256.0f,
                                    true);
    for (MaskKind kind : kMasks)
        terrain->AddLayer(Content(TerrainSamples::MaskPath(kind, kMap)),
                          Content(TerrainSamples::TilePath("grass")), 4.0f, false);
    terrain->Build();
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(end - start).count();
}

// Baseline: decode the same four images, then for every cell and every layer whose mask touches it write
// six 36-byte vertices and six indices into plain buffers; seconds.
double WritePlainBuffers()
{
    const auto start = std::chrono::steady_clock::now();
    kaBMPImage heights;
    heights.Load(Content(TerrainSamples::HeightMapPath(kMap)));
    kaBMPImage masks[3];
    for (int i = 0; i < 3; ++i)
        masks[i].Load(Content(TerrainSamples::MaskPath(kMasks[i], kMap)));
    const uint32_t side = heights.GetWidth();
    std::vector<kaLayeredMeshSubset::Vertex> vertices;
    std::vector<uint16_t> indices;
    vertices.reserve(size_t(side) * side * 6 * 3);
    indices.reserve(size_t(side) * side * 6 * 3);
    const uint8_t* samples = heights.GetPixels();
    for (uint32_t row = 0; row + 1 < side; ++row)
        for (uint32_t col = 0; col + 1 < side; ++col)
            for (const kaBMPImage& mask : masks)
            {
                const uint8_t* m = mask.GetPixels();
                const uint32_t corners[6] = {row * side + col,           (row + 1) * side + col,
                                             row * side + col + 1,       (row + 1) * side + col,
                                             (row + 1) * side + col + 1, row * side + col + 1};
                if (!(m[corners[0]] | m[corners[1]] | m[corners[2]] | m[corners[4]]))
                    continue;
                for (uint32_t at : corners)
                {
                    kaLayeredMeshSubset::Vertex vertex;
                    vertex.position =
                        platform::Vector3(float(at % side), samples[at] * 0.4f, float(at / side));
                    vertex.normal = platform::Vector3(0.0f, 1.0f, 0.0f);
                    vertex.color = 0x00FFFFFFu | uint32_t(m[at]) << 24;
                    vertex.u = vertex.position.x * 0.25f;
                    vertex.v = vertex.position.z * 0.25f;
                    indices.push_back(uint16_t(vertices.size()));
                    vertices.push_back(vertex);
                }
            }
    benchmark::DoNotOptimize(vertices.data());
    benchmark::DoNotOptimize(indices.data());
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(end - start).count();
}

void BM_BuildLayeredTerrain(benchmark::State& state)
{
    Graphics graphics;
    kaFileSystem files;
    std::unique_ptr<kaTerrain> terrain;
    for (auto _ : state)
        state.SetIterationTime(BuildTerrain(terrain));
}

void BM_WritePlainBuffersBaseline(benchmark::State& state)
{
    for (auto _ : state)
        state.SetIterationTime(WritePlainBuffers());
}

// Both sides in each iteration; "ratio" is build time over plain-buffer time.
void BM_LayeredBuildRatio(benchmark::State& state)
{
    Graphics graphics;
    kaFileSystem files;
    std::unique_ptr<kaTerrain> terrain;
    double build = 0.0, baseline = 0.0;
    for (auto _ : state)
    {
        build += BuildTerrain(terrain);
        baseline += WritePlainBuffers();
    }
    state.counters["ratio"] = baseline > 0.0 ? build / baseline : 0.0;
}

} // namespace

BENCHMARK(BM_BuildLayeredTerrain)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WritePlainBuffersBaseline)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayeredBuildRatio)->Unit(benchmark::kMillisecond);
