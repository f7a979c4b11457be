// How the terrain's build cost grows with the height map: maps of 513, 1025, 2049 and 4097 samples a side,
// written once to a temporary folder, each read and built layered (one full layer of the sample grass) and
// single-layer (the sample base image cut into a tile a quad, under the detail texture). The
// figures are per sample; "growth" compares the largest map's cost per sample with the 513 map's, measured
// in the same run, so a cost that grows faster than the samples shows as a growth well above 1.

#include "bench/support/CpuGraphics.h"
#include "engine/core/kaFileSystem.h"
#include "engine/terrain/kaTerrain.h"
#include "tools/terraingen/TerrainSamples.h"

#include "platform/system/DebugOutput.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{

namespace fs = std::filesystem;

constexpr uint32_t kSides[] = {513, 1025, 2049, 4097};

class Maps
{
public:
    Maps()
    {
        m_Folder = fs::temp_directory_path() / ("tarvolin_terrain_size_" + std::to_string(::getpid()));
        fs::create_directories(m_Folder);
    }
    ~Maps()
    {
        std::error_code ignored;
        fs::remove_all(m_Folder, ignored);
    }

    // A rolling map and a full mask of that side, written on first use.
    const std::string& HeightMap(uint32_t side) { return _Write(side, "height", false); }
    const std::string& Mask(uint32_t side) { return _Write(side, "mask", true); }

private:
    const std::string& _Write(uint32_t side, const char* kind, bool full)
    {
        const std::string key = std::string(kind) + std::to_string(side);
        auto found = m_Paths.find(key);
        if (found != m_Paths.end())
            return found->second;
        std::vector<uint8_t> rows(size_t(side) * side, 255);
        if (!full)
            for (uint32_t row = 0; row < side; ++row)
                for (uint32_t col = 0; col < side; ++col)
                    rows[size_t(row) * side + col] = TerrainSamples::HeightSample(col % 257, row % 257, 257);
        const std::string path = (m_Folder / (key + ".bmp")).string();
        TerrainSamples::Save(path, side, side, 8, rows);
        return m_Paths[key] = path;
    }

    fs::path m_Folder;
    std::map<std::string, std::string> m_Paths;
};

Maps& SharedMaps()
{
    static Maps maps;
    return maps;
}

class Quiet
{
public:
    Quiet() : m_Sink(platform::SetDebugSink([](const std::string&) {})) {}
    ~Quiet() { platform::SetDebugSink(m_Sink); }

private:
    platform::DebugSink m_Sink;
};

std::string Content(const std::string& relative)
{
    return std::string(TARVOLIN_CONTENT) + "/" + relative;
}

enum class Stage
{
    HeightField,
    Layered,
    SingleLayer
};

// Seconds for one stage of a map of that side; the terrain is destroyed outside the timing.
double TimeStage(Stage stage, uint32_t side)
{
    Maps& maps = SharedMaps();
    const std::string& heights = maps.HeightMap(side);
    const std::string& mask = maps.Mask(side);
    const float extent = float(side - 1);
    auto terrain = std::make_unique<kaTerrain>();
    auto start = std::chrono::steady_clock::now();
    terrain->GenerateHeightMapVerts(heights, extent, 100.0f, extent, true);
    if (stage != Stage::HeightField)
    {
        start = std::chrono::steady_clock::now();
        if (stage == Stage::Layered)
        {
            terrain->AddLayer(mask, Content(TerrainSamples::TilePath("grass")), 4.0f, false);
            terrain->Build();
        }
        else
        {
            terrain->SetSingleLayerTextures(Content(TerrainSamples::BasePath(256)),
                                            Content(TerrainSamples::TilePath(TerrainSamples::kDetailName)),
                                            1.0f);
            terrain->BuildSingleLayer();
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    terrain.reset();
    return seconds;
}

void RunStage(benchmark::State& state, Stage stage)
{
    const uint32_t side = uint32_t(state.range(0));
    Quiet quiet;
    CpuGraphics graphics("TerrainSizeBench");
    kaFileSystem files;
    for (auto _ : state)
        state.SetIterationTime(TimeStage(stage, side));
    state.counters["ns_per_sample"] =
        benchmark::Counter(double(side) * side * double(state.iterations()) * 1e-9,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_HeightField(benchmark::State& state)
{
    RunStage(state, Stage::HeightField);
}
void BM_LayeredBuild(benchmark::State& state)
{
    RunStage(state, Stage::Layered);
}
void BM_SingleLayerBuild(benchmark::State& state)
{
    RunStage(state, Stage::SingleLayer);
}

// The largest map's cost per sample over the smallest's, for the whole read and build of each kind.
void GrowthOf(benchmark::State& state, Stage stage)
{
    Quiet quiet;
    CpuGraphics graphics("TerrainSizeBench");
    kaFileSystem files;
    const uint32_t small = kSides[0];
    const uint32_t large = kSides[std::size(kSides) - 1];
    double smallTime = 0.0, largeTime = 0.0;
    for (auto _ : state)
    {
        smallTime += TimeStage(stage, small);
        largeTime += TimeStage(stage, large);
    }
    const double samples = double(large) * large / (double(small) * small);
    state.counters["growth"] = smallTime > 0.0 ? largeTime / smallTime / samples : 0.0;
}

void BM_LayeredGrowth(benchmark::State& state)
{
    GrowthOf(state, Stage::Layered);
}
void BM_SingleLayerGrowth(benchmark::State& state)
{
    GrowthOf(state, Stage::SingleLayer);
}

void Sides(benchmark::internal::Benchmark* bench)
{
    for (uint32_t side : kSides)
        bench->Arg(side);
}

} // namespace

BENCHMARK(BM_HeightField)->Apply(Sides)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LayeredBuild)->Apply(Sides)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SingleLayerBuild)->Apply(Sides)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LayeredGrowth)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SingleLayerGrowth)->Unit(benchmark::kMillisecond)->Iterations(1);
