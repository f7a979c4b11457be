// Loading the sample model set through the model manager, cold and from its caches, beside reading the
// same files' bytes from disk; and skinning a 10,000-vertex mesh once a frame. The graphics manager runs
// on the CPU test device, so the figures are the engine's own work.

#include "engine/core/kaClock.h"
#include "engine/model/KM_Animation.h"
#include "engine/model/KM_Skeleton.h"
#include "engine/model/kaAnimation.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaMeshSubset.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaModelManager.h"
#include "engine/model/kaSkeleton.h"
#include "engine/render/kaGraphicsManager.h"

#include "platform/gfx/Direct3DFactory.h"
#include "platform/gfx/TestDirect3D.h"
#include "platform/window/ScriptedWindowBackend.h"
#include "platform/window/Window.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace
{

const std::string kContent = TARVOLIN_CONTENT;
const char* const kModels[] = {"resources/models/ball/ball.kmf",         "resources/models/car/car.kmf",
                               "resources/models/car/wheel.kmf",         "resources/models/crate/crate.kmf",
                               "resources/models/cylinder/cylinder.kmf", "resources/models/ramp/ramp.kmf"};
const char* const kDescriptors[] = {"resources/models/motorcycle/motorcycle.xml",
                                    "resources/models/motorcycle/rider.xml"};

// A graphics manager on the CPU test device, for the length of one benchmark.
class Graphics
{
public:
    Graphics()
    {
        platform::WindowClass windowClass;
        windowClass.procedure = &platform::DefWindowProc;
        windowClass.className = "ModelBench";
        platform::RegisterClass(windowClass);
        m_Window = platform::CreateWindow(0, "ModelBench", "Tarvolin", 0, 0, 0, 100, 100, nullptr, nullptr);
        m_Previous = platform::SetDirect3DFactory(
            [this]() -> platform::GfxDirect3D*
            {
                m_D3D->AddRef();
                return m_D3D;
            });
        m_Config = (std::filesystem::temp_directory_path() / "tarvolin_model_bench.cfg").string();
        std::ofstream(m_Config) << "";
        m_Manager = std::make_unique<kaGraphicsManager>();
        m_Ready = m_Manager->Initialize(m_Window, m_Config.c_str(), nullptr, false);
    }
    ~Graphics()
    {
        m_Manager.reset();
        platform::SetDirect3DFactory(m_Previous);
        m_D3D->Release();
        std::remove(m_Config.c_str());
    }
    bool Ready() const { return m_Ready; }

private:
    platform::ScriptedWindowBackend m_Backend;
    platform::WindowHandle m_Window = nullptr;
    platform::TestDirect3D* m_D3D = new platform::TestDirect3D;
    platform::Direct3DFactory m_Previous;
    std::string m_Config;
    std::unique_ptr<kaGraphicsManager> m_Manager;
    bool m_Ready = false;
};

void LoadSampleSet(kaModelManager& models)
{
    for (const char* name : kModels)
        benchmark::DoNotOptimize(models.CreateModel(kContent + "/" + name));
    for (const char* name : kDescriptors)
        benchmark::DoNotOptimize(models.LoadModelDescriptor(kContent + "/" + name, kContent + "/"));
}

void BM_LoadSampleSetCold(benchmark::State& state)
{
    Graphics graphics;
    if (!graphics.Ready())
        return state.SkipWithError("no graphics manager");
    kaModelManager models;
    for (auto _ : state)
    {
        LoadSampleSet(models);
        state.PauseTiming();
        models.DeleteAll();
        state.ResumeTiming();
    }
}

void BM_LoadSampleSetCached(benchmark::State& state)
{
    Graphics graphics;
    if (!graphics.Ready())
        return state.SkipWithError("no graphics manager");
    kaModelManager models;
    LoadSampleSet(models);
    for (auto _ : state)
    {
        state.PauseTiming();
        // Instances go; the cached meshes, skeletons and animations stay.
        while (!models.GetModels().empty())
            models.ReleaseModel(models.GetModels().back());
        state.ResumeTiming();
        LoadSampleSet(models);
    }
    models.DeleteAll();
}

// Baseline: the bytes of every file the sample set reads, from disk into memory.
void BM_ReadSampleBytesBaseline(benchmark::State& state)
{
    std::vector<std::string> files;
    for (const char* name : kModels)
        files.push_back(kContent + "/" + name);
    for (const auto& entry : std::filesystem::directory_iterator(kContent + "/resources/models/motorcycle"))
        if (entry.is_regular_file())
            files.push_back(entry.path().string());
    std::vector<char> buffer;
    for (auto _ : state)
    {
        for (const std::string& file : files)
        {
            std::ifstream in(file, std::ios::binary);
            buffer.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            benchmark::DoNotOptimize(buffer.data());
        }
    }
}

// A grid of 100 x 100 vertices in format 0x012, two bones sharing every vertex by its height.
void BM_SkinTenThousandVertices(benchmark::State& state)
{
    Graphics graphics;
    if (!graphics.Ready())
        return state.SkipWithError("no graphics manager");
    constexpr int kSide = 100;
    std::vector<float> floats;
    std::vector<uint16_t> indices;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            floats.insert(floats.end(), {float(x) * 0.01f, float(y) * 0.01f, 0.0f, 0.0f, 0.0f, 1.0f});
    for (int y = 0; y + 1 < kSide; ++y)
        for (int x = 0; x + 1 < kSide; ++x)
        {
            const uint16_t a = static_cast<uint16_t>(y * kSide + x);
            indices.insert(indices.end(), {a, uint16_t(a + kSide), uint16_t(a + 1)});
        }
    auto* mesh = new kaMesh(0x012, static_cast<uint32_t>(indices.size() / 3), kSide * kSide, 1, false);
    mesh->AddRef();
    mesh->SetVertices(floats.data(), 0);
    mesh->SetIndices(indices.data(), 0);

    KM_Skeleton file;
    file.m_Bones[0].name = "Root";
    file.m_Bones[1].name = "Arm";
    file.m_Bones[1].parentName = "Root";
    file.m_Bones[1].orientation[3][1] = -0.5f;
    std::vector<uint32_t> map;
    for (int v = 0; v < kSide * kSide; ++v)
    {
        const float up = float(v / kSide) / float(kSide - 1);
        file.m_Bones[0].weights.push_back({v, 1.0f - up});
        file.m_Bones[1].weights.push_back({v, up});
        map.push_back(static_cast<uint32_t>(v));
    }
    kaSkeleton::MeshVertices vertices;
    vertices.count = kSide * kSide;
    vertices.data = reinterpret_cast<const uint8_t*>(floats.data());
    vertices.stride = 6 * sizeof(float);
    vertices.hasNormals = true;
    vertices.sourceMap = map.data();
    kaSkeleton skeleton;
    skeleton.Build(file, "grid_skeleton.kmf", &vertices);

    KM_Animation bend;
    bend.m_AnimationName = "Bend";
    bend.m_Length = 1000;
    bend.m_BoneAnims[0].boneName = "Arm";
    for (uint32_t ms : {0u, 1000u})
    {
        KM_Animation::Key key;
        key.time = ms;
        key.rotation[2] = std::sin(ms * 0.0005f);
        key.rotation[3] = std::cos(ms * 0.0005f);
        bend.m_BoneAnims[0].keys.push_back(key);
    }
    kaAnimation animation;
    animation.Build(bend, "Bend.kmf");

    {
        kaModel model(mesh);
        model.SetSkeleton(&skeleton);
        model.AddAnimation(&animation);
        model.PlayAnimation("Bend", true, 0.0f, 1.0f, 0);
        for (auto _ : state)
        {
            model.UpdateAnimation();
            model.UpdateSkin();
        }
        state.counters["vertices"] = kSide * kSide;
    }
    mesh->Release();
}

} // namespace

BENCHMARK(BM_LoadSampleSetCold)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSampleSetCached)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSampleBytesBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SkinTenThousandVertices)->Unit(benchmark::kMicrosecond);
