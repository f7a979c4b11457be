// Filling a world with entities under stored identifiers, beside inserting the same identifiers into a
// sorted vector; and placing model entities, beside placing their models directly. The graphics manager
// runs on the CPU test device, so the figures are the engine's own work.

#include "engine/core/kaFileSystem.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaModelManager.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/scene/kaEntity.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaWorld.h"

#include "platform/gfx/Direct3DFactory.h"
#include "platform/gfx/TestDirect3D.h"
#include "platform/window/ScriptedWindowBackend.h"
#include "platform/window/Window.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace
{

const std::string kCrate = std::string(TARVOLIN_CONTENT) + "/resources/models/crate/crate.kmf";
constexpr int kEntityCount = 5000;
constexpr int kModelCount = 2000;

// Identifiers 0 to count - 1 in a fixed shuffled order, as a world file edited over time holds them.
std::vector<int32_t> ShuffledIds(int count)
{
    std::vector<int32_t> ids(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        ids[static_cast<size_t>(i)] = i;
    uint32_t seed = 1;
    for (size_t i = ids.size() - 1; i > 0; --i)
    {
        seed = seed * 1103515245u + 12345u;
        std::swap(ids[i], ids[(seed >> 8) % (i + 1)]);
    }
    return ids;
}

void BM_AddEntitiesWithStoredIds(benchmark::State& state)
{
    const std::vector<int32_t> ids = ShuffledIds(kEntityCount);
    for (auto _ : state)
    {
        state.PauseTiming();
        auto world = std::make_unique<kaWorld>();
        std::vector<kaEntity*> entities;
        for (int32_t id : ids)
        {
            entities.push_back(new kaEntity);
            entities.back()->SetEntityID(id);
        }
        state.ResumeTiming();
        for (kaEntity* entity : entities)
            benchmark::DoNotOptimize(world->AddEntity(entity, true, false));
        state.PauseTiming();
        world.reset();
        state.ResumeTiming();
    }
}

// Baseline: the same identifiers into an ascending vector, each inserted in place.
void BM_InsertIdsIntoSortedVectorBaseline(benchmark::State& state)
{
    const std::vector<int32_t> ids = ShuffledIds(kEntityCount);
    for (auto _ : state)
    {
        std::vector<int32_t> sorted;
        for (int32_t id : ids)
            sorted.insert(std::lower_bound(sorted.begin(), sorted.end(), id), id);
        benchmark::DoNotOptimize(sorted.data());
    }
}

// A graphics manager on the CPU test device, for the length of one benchmark.
class Graphics
{
public:
    Graphics()
    {
        platform::WindowClass windowClass;
        windowClass.procedure = &platform::DefWindowProc;
        windowClass.className = "SceneBench";
        platform::RegisterClass(windowClass);
        m_Window = platform::CreateWindow(0, "SceneBench", "Tarvolin", 0, 0, 0, 100, 100, nullptr, nullptr);
        m_Previous = platform::SetDirect3DFactory(
            [this]() -> platform::GfxDirect3D*
            {
                m_D3D->AddRef();
                return m_D3D;
            });
        m_Config = (std::filesystem::temp_directory_path() / "tarvolin_scene_bench.cfg").string();
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

// The position of entity i in frame n: a grid that slides.
platform::Vector3 Place(int i, int64_t n)
{
    return platform::Vector3(static_cast<float>(i % 50) * 4.0f + static_cast<float>(n % 7), 0.0f,
                             static_cast<float>(i / 50) * 4.0f);
}

void BM_PlaceModelEntities(benchmark::State& state)
{
    Graphics graphics;
    if (!graphics.Ready())
        return state.SkipWithError("no graphics manager");
    kaFileSystem files;
    kaModelManager models;
    {
        kaWorld world;
        std::vector<kaEntityModel*> entities;
        for (int i = 0; i < kModelCount; ++i)
        {
            auto* entity = new kaEntityModel;
            entity->SetModel(models.CreateModel(kCrate));
            world.AddEntity(entity, true, true);
            entities.push_back(entity);
        }
        world.InitializeEntities();
        const platform::Quaternion rotation(0.0f, 0.0f, 0.0f, 1.0f);
        int64_t n = 0;
        for (auto _ : state)
        {
            for (int i = 0; i < kModelCount; ++i)
                entities[static_cast<size_t>(i)]->SetPositionRotation(Place(i, n), rotation);
            ++n;
        }
    }
    models.DeleteAll();
}

// Baseline: the same placements given to the models themselves.
void BM_PlaceModelsDirectlyBaseline(benchmark::State& state)
{
    Graphics graphics;
    if (!graphics.Ready())
        return state.SkipWithError("no graphics manager");
    kaFileSystem files;
    kaModelManager models;
    std::vector<kaModel*> placed;
    for (int i = 0; i < kModelCount; ++i)
        placed.push_back(models.CreateModel(kCrate));
    int64_t n = 0;
    for (auto _ : state)
    {
        for (int i = 0; i < kModelCount; ++i)
        {
            const platform::Vector3 at = Place(i, n);
            placed[static_cast<size_t>(i)]->SetPositionRotation(at.x, at.y, at.z, 0.0f, 0.0f, 0.0f, 1.0f);
        }
        ++n;
    }
    models.DeleteAll();
}

} // namespace

BENCHMARK(BM_AddEntitiesWithStoredIds)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InsertIdsIntoSortedVectorBaseline)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlaceModelEntities)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlaceModelsDirectlyBaseline)->Unit(benchmark::kMicrosecond);
