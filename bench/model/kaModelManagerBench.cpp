// Loading the sample model set through the model manager, cold and from its caches, beside reading the
// same files' bytes (textures included) from disk with read(); and skinning a 10,000-vertex mesh once a
// frame beside a plain loop doing the same arithmetic. The graphics manager runs on the CPU test device,
// so the figures are the engine's own work. LoadRatio and SkinRatio time both sides in each iteration.

#include "bench/support/CpuGraphics.h"
#include "bench/support/TimeRatio.h"
#include "engine/core/kaClock.h"
#include "engine/model/KM_Animation.h"
#include "engine/model/KM_Skeleton.h"
#include "engine/model/kaAnimation.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaMeshSubset.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaModelManager.h"
#include "engine/model/kaSkeleton.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaTexture.h"
#include "platform/files/Files.h"
#include "engine/render/kaTextureStage.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

const std::string kContent = TARVOLIN_CONTENT;
const char* const kModels[] = {"resources/models/ball/ball.kmf",         "resources/models/car/car.kmf",
                               "resources/models/car/wheel.kmf",         "resources/models/crate/crate.kmf",
                               "resources/models/cylinder/cylinder.kmf", "resources/models/ramp/ramp.kmf"};
const char* const kDescriptors[] = {"resources/models/motorcycle/motorcycle.xml",
                                    "resources/models/motorcycle/rider.xml"};

// The folder of a model file, ending in '/'.
std::string FolderOf(const std::string& file)
{
    return file.substr(0, file.find_last_of('/') + 1);
}

// Each model finds its textures in the "maps" folder beside it, as the game's graphics folder.
void LoadSampleSet(kaModelManager& models)
{
    for (const char* name : kModels)
    {
        const std::string file = kContent + "/" + name;
        g_pGraphicsManager->SetGraphicsPath(FolderOf(file) + "maps/");
        benchmark::DoNotOptimize(models.CreateModel(file));
    }
    for (const char* name : kDescriptors)
    {
        const std::string file = kContent + "/" + name;
        g_pGraphicsManager->SetGraphicsPath(FolderOf(file) + "maps/");
        benchmark::DoNotOptimize(models.LoadModelDescriptor(file, kContent + "/"));
    }
}

// True when every loaded model has a mesh and every texture stage of it found its texture.
bool EveryTextureFound(const kaModelManager& models)
{
    size_t textures = 0;
    for (const kaModel* model : models.GetModels())
    {
        const kaMesh* mesh = model ? model->GetMesh() : nullptr;
        if (!mesh)
            return false;
        for (uint32_t i = 0; i < mesh->GetSubsetCount(); ++i)
            for (const kaTextureStage* stage : mesh->GetSubset(i)->GetRenderState()->GetStages())
            {
                if (!stage->texture)
                    return false;
                ++textures;
            }
    }
    return textures > 0 && models.GetModels().size() == std::size(kModels) + std::size(kDescriptors);
}

// Every file a load of the sample set reads, once each, taken from what the load made: model and
// descriptor files, skeletons, animations and the textures the subsets draw with.
std::vector<std::string> FilesRead(const kaModelManager& models)
{
    std::vector<std::string> files;
    for (const kaModel* model : models.GetModels())
    {
        files.push_back(model->GetSourceName());
        files.push_back(model->GetMesh()->GetName());
        if (const kaSkeleton* skeleton = model->GetSkeleton())
            files.push_back(skeleton->GetFileName());
        for (const kaAnimation* animation : model->GetAnimations())
            files.push_back(animation->GetFileName());
        const kaMesh* mesh = model->GetMesh();
        for (uint32_t i = 0; i < mesh->GetSubsetCount(); ++i)
            for (const kaTextureStage* stage : mesh->GetSubset(i)->GetRenderState()->GetStages())
                files.push_back(stage->texture->GetName());
    }
    // As the platform finds them: the engine's names keep their Windows separators.
    for (std::string& file : files)
        file = platform::FindExisting(file);
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    return files;
}

// The raw side: each file's bytes into a buffer already large enough, by open, read and close.
class RawReader
{
public:
    explicit RawReader(std::vector<std::string> files) : m_Files(std::move(files))
    {
        size_t largest = 0;
        for (const std::string& file : m_Files)
        {
            std::error_code error;
            const auto size = std::filesystem::file_size(file, error);
            if (error)
                m_Missing = true;
            else
                largest = std::max<size_t>(largest, size);
        }
        m_Buffer.resize(largest);
    }

    // False when a file the load read cannot be found as named, so the two sides would differ.
    bool Complete() const { return !m_Missing && !m_Files.empty(); }
    size_t FileCount() const { return m_Files.size(); }

    size_t ReadAll()
    {
        size_t total = 0;
        for (const std::string& file : m_Files)
        {
            const int fd = open(file.c_str(), O_RDONLY);
            if (fd < 0)
                continue;
            ssize_t got;
            while ((got = read(fd, m_Buffer.data(), m_Buffer.size())) > 0)
                total += static_cast<size_t>(got);
            close(fd);
        }
        benchmark::DoNotOptimize(m_Buffer.data());
        return total;
    }

private:
    std::vector<std::string> m_Files;
    std::vector<char> m_Buffer;
    bool m_Missing = false;
};

// Empties the manager and the graphics manager's decoded images, so that the next load reads every file
// again, as the raw side does.
void Unload(kaModelManager& models)
{
    models.DeleteAll();
    g_pGraphicsManager->ClearImageCache();
}

void BM_LoadSampleSetCold(benchmark::State& state)
{
    CpuGraphics graphics("ModelBench");
    if (!graphics.Ready())
        return state.SkipWithError("no graphics manager");
    kaModelManager models;
    LoadSampleSet(models);
    if (!EveryTextureFound(models))
        return state.SkipWithError("a model or texture of the sample set was not found");
    Unload(models);
    for (auto _ : state)
    {
        LoadSampleSet(models);
        state.PauseTiming();
        Unload(models);
        state.ResumeTiming();
    }
}

void BM_LoadSampleSetCached(benchmark::State& state)
{
    CpuGraphics graphics("ModelBench");
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

// Baseline: the bytes of every file a load of the sample set reads, from disk into memory.
void BM_ReadSampleBytesBaseline(benchmark::State& state)
{
    CpuGraphics graphics("ModelBench");
    if (!graphics.Ready())
        return state.SkipWithError("no graphics manager");
    kaModelManager models;
    LoadSampleSet(models);
    RawReader reader(FilesRead(models));
    Unload(models);
    if (!reader.Complete())
        return state.SkipWithError("a file the load read was not found as named");
    for (auto _ : state)
        benchmark::DoNotOptimize(reader.ReadAll());
    state.counters["files"] = static_cast<double>(reader.FileCount());
}

// A cold load and the raw read of the same files in each iteration (the load's decoded images are dropped
// with its models, so both sides read every file every time); the counter is read time over load time,
// the share of the raw throughput the load reaches.
void LoadRatio(benchmark::State& state)
{
    CpuGraphics graphics("ModelBench");
    if (!graphics.Ready())
        return state.SkipWithError("no graphics manager");
    kaModelManager models;
    LoadSampleSet(models);
    if (!EveryTextureFound(models))
        return state.SkipWithError("a model or texture of the sample set was not found");
    RawReader reader(FilesRead(models));
    Unload(models);
    if (!reader.Complete())
        return state.SkipWithError("a file the load read was not found as named");
    double load = 0.0, raw = 0.0;
    for (auto _ : state)
    {
        const auto t0 = std::chrono::steady_clock::now();
        LoadSampleSet(models);
        const auto t1 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(reader.ReadAll());
        const auto t2 = std::chrono::steady_clock::now();
        Unload(models);
        load += std::chrono::duration<double>(t1 - t0).count();
        raw += std::chrono::duration<double>(t2 - t1).count();
    }
    state.counters["read_share"] = load > 0.0 ? raw / load : 0.0;
    state.counters["files"] = static_cast<double>(reader.FileCount());
}

// A grid of 100 x 100 vertices in format 0x012, two bones sharing every vertex by its height, bending.
class SkinScene
{
public:
    static constexpr int kSide = 100;

    SkinScene()
    {
        std::vector<uint16_t> indices;
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x)
                m_Floats.insert(m_Floats.end(), {float(x) * 0.01f, float(y) * 0.01f, 0.0f, 0.0f, 0.0f, 1.0f});
        for (int y = 0; y + 1 < kSide; ++y)
            for (int x = 0; x + 1 < kSide; ++x)
            {
                const uint16_t a = static_cast<uint16_t>(y * kSide + x);
                indices.insert(indices.end(), {a, uint16_t(a + kSide), uint16_t(a + 1)});
            }
        m_Mesh = new kaMesh(0x012, static_cast<uint32_t>(indices.size() / 3), kSide * kSide, 1, false);
        m_Mesh->AddRef();
        m_Mesh->SetVertices(m_Floats.data(), 0);
        m_Mesh->SetIndices(indices.data(), 0);

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
        vertices.data = reinterpret_cast<const uint8_t*>(m_Floats.data());
        vertices.stride = 6 * sizeof(float);
        vertices.hasNormals = true;
        vertices.sourceMap = map.data();
        m_Skeleton.Build(file, "grid_skeleton.kmf", &vertices);

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
        m_Animation.Build(bend, "Bend.kmf");

        m_Model = std::make_unique<kaModel>(m_Mesh);
        m_Model->SetSkeleton(&m_Skeleton);
        m_Model->AddAnimation(&m_Animation);
        m_Model->PlayAnimation("Bend", true, 0.0f, 1.0f, 0);
        m_Written.resize(m_Floats.size());
        m_Drawn.resize(m_Floats.size());
    }

    ~SkinScene()
    {
        m_Model.reset();
        m_Mesh->Release();
    }

    void Skin()
    {
        m_Model->UpdateAnimation();
        m_Model->UpdateSkin();
    }

    // The same arithmetic on plain arrays: each vertex's bind position and normal through its bones'
    // matrices (offset then pose; affine here, so w stays 1), weighted, into a buffer that is then copied
    // to the drawn one.
    void PlainLoop()
    {
        const std::vector<kaBone>& bones = m_Skeleton.GetBones();
        float matrices[2][16];
        for (int b = 0; b < 2; ++b)
        {
            const platform::Matrix* pose = m_Model->GetBoneMatrix(b);
            const platform::Matrix skin = pose ? bones[b].offset * *pose : bones[b].offset;
            for (int i = 0; i < 16; ++i)
                matrices[b][i] = skin.m[i / 4][i % 4];
        }
        const std::vector<kaVertexInfluence>& influences = m_Skeleton.GetInfluences();
        float* out = m_Written.data();
        for (size_t v = 0; v < influences.size(); ++v, out += 6)
        {
            const kaVertexInfluence& r = influences[v];
            const float px = r.bindPosition.x, py = r.bindPosition.y, pz = r.bindPosition.z;
            const float nx = r.bindNormal.x, ny = r.bindNormal.y, nz = r.bindNormal.z;
            float p[3] = {0, 0, 0}, n[3] = {0, 0, 0};
            for (int i = 0; i < r.count; ++i)
            {
                const float* m = matrices[r.bones[i]];
                const float w = r.weights[i];
                for (int c = 0; c < 3; ++c)
                {
                    p[c] += (px * m[c] + py * m[4 + c] + pz * m[8 + c] + m[12 + c]) * w;
                    n[c] += (nx * m[c] + ny * m[4 + c] + nz * m[8 + c]) * w;
                }
            }
            for (int c = 0; c < 3; ++c)
            {
                out[c] = p[c];
                out[3 + c] = n[c];
            }
        }
        std::memcpy(m_Drawn.data(), m_Written.data(), m_Written.size() * sizeof(float));
        benchmark::DoNotOptimize(m_Drawn.data());
    }

private:
    std::vector<float> m_Floats;
    kaMesh* m_Mesh = nullptr;
    kaSkeleton m_Skeleton;
    kaAnimation m_Animation;
    std::unique_ptr<kaModel> m_Model;
    std::vector<float> m_Written;
    std::vector<float> m_Drawn;
};

void BM_SkinTenThousandVertices(benchmark::State& state)
{
    CpuGraphics graphics("ModelBench");
    if (!graphics.Ready())
        return state.SkipWithError("no graphics manager");
    SkinScene scene;
    for (auto _ : state)
        scene.Skin();
    state.counters["vertices"] = SkinScene::kSide * SkinScene::kSide;
}

void BM_SkinPlainLoopBaseline(benchmark::State& state)
{
    CpuGraphics graphics("ModelBench");
    if (!graphics.Ready())
        return state.SkipWithError("no graphics manager");
    SkinScene scene;
    scene.Skin();
    for (auto _ : state)
        scene.PlainLoop();
}

// Both in each iteration; the counter is skinning time over plain-loop time.
void SkinRatio(benchmark::State& state)
{
    CpuGraphics graphics("ModelBench");
    if (!graphics.Ready())
        return state.SkipWithError("no graphics manager");
    SkinScene scene;
    TimeRatio(
        state, [&] { scene.Skin(); }, [&] { scene.PlainLoop(); });
}

} // namespace

BENCHMARK(BM_LoadSampleSetCold)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSampleSetCached)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSampleBytesBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadRatio)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SkinTenThousandVertices)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SkinPlainLoopBaseline)->Unit(benchmark::kMicrosecond);
BENCHMARK(SkinRatio)->Unit(benchmark::kMicrosecond);
