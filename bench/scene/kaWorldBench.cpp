// Filling a world with entities under stored identifiers, beside inserting the same identifiers into a
// sorted vector; and placing model entities, beside placing their models directly. The graphics manager
// runs on the CPU test device, so the figures are the engine's own work.

#include "bench/support/CpuGraphics.h"
#include "engine/core/kaFileSystem.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaModelManager.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/scene/kaEntity.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaQuadTree.h"
#include "engine/scene/kaWorld.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
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

// One filling of a new world, entities made beforehand and the world destroyed afterwards; seconds.
double FillWorld(const std::vector<int32_t>& ids)
{
    auto world = std::make_unique<kaWorld>();
    std::vector<kaEntity*> entities;
    for (int32_t id : ids)
    {
        entities.push_back(new kaEntity);
        entities.back()->SetEntityID(id);
    }
    const auto start = std::chrono::steady_clock::now();
    for (kaEntity* entity : entities)
        benchmark::DoNotOptimize(world->AddEntity(entity, true, false));
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(end - start).count();
}

// Baseline: the same identifiers into an ascending vector, each inserted in place; seconds.
double InsertSorted(const std::vector<int32_t>& ids)
{
    const auto start = std::chrono::steady_clock::now();
    std::vector<int32_t> sorted;
    for (int32_t id : ids)
        sorted.insert(std::lower_bound(sorted.begin(), sorted.end(), id), id);
    benchmark::DoNotOptimize(sorted.data());
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(end - start).count();
}

void BM_AddEntitiesWithStoredIds(benchmark::State& state)
{
    const std::vector<int32_t> ids = ShuffledIds(kEntityCount);
    for (auto _ : state)
        state.SetIterationTime(FillWorld(ids));
}

void BM_InsertIdsIntoSortedVectorBaseline(benchmark::State& state)
{
    const std::vector<int32_t> ids = ShuffledIds(kEntityCount);
    for (auto _ : state)
        state.SetIterationTime(InsertSorted(ids));
}

// Both sides in each iteration; "ratio" is world time over sorted-vector time.
void BM_StoredIdRatio(benchmark::State& state)
{
    const std::vector<int32_t> ids = ShuffledIds(kEntityCount);
    double world = 0.0, baseline = 0.0;
    for (auto _ : state)
    {
        world += FillWorld(ids);
        baseline += InsertSorted(ids);
    }
    state.counters["ratio"] = baseline > 0.0 ? world / baseline : 0.0;
}

// The position of entity i in frame n: a grid that slides.
platform::Vector3 Place(int i, int64_t n)
{
    return platform::Vector3(static_cast<float>(i % 50) * 4.0f + static_cast<float>(n % 7), 0.0f,
                             static_cast<float>(i / 50) * 4.0f);
}

// The same crate placed as model entities of a world and as bare models.
class Placements
{
public:
    Placements()
    {
        if (!m_Graphics.Ready())
            return;
        m_World = std::make_unique<kaWorld>();
        for (int i = 0; i < kModelCount; ++i)
        {
            auto* entity = new kaEntityModel;
            entity->SetModel(m_Models.CreateModel(kCrate));
            m_World->AddEntity(entity, true, true);
            m_Entities.push_back(entity);
            m_Bare.push_back(m_Models.CreateModel(kCrate));
        }
        m_World->GetQuadTree()->Initialize(256.0f, 256.0f, 32.0f);
        m_World->InitializeEntities();
    }
    ~Placements()
    {
        m_World.reset();
        m_Models.DeleteAll();
    }
    bool Ready() const { return m_World != nullptr; }

    // One frame of placements; seconds.
    double PlaceEntities()
    {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kModelCount; ++i)
            m_Entities[static_cast<size_t>(i)]->SetPositionRotation(Place(i, m_Frame), m_Upright);
        ++m_Frame;
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    double PlaceModels()
    {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kModelCount; ++i)
        {
            const platform::Vector3 at = Place(i, m_Frame);
            m_Bare[static_cast<size_t>(i)]->SetPositionRotation(at.x, at.y, at.z, m_Upright.x, m_Upright.y,
                                                                m_Upright.z, m_Upright.w);
        }
        ++m_Frame;
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

private:
    const platform::Quaternion m_Upright{0.0f, 0.0f, 0.0f, 1.0f};

    CpuGraphics m_Graphics{"SceneBench"};
    kaFileSystem m_Files;
    kaModelManager m_Models;
    std::unique_ptr<kaWorld> m_World;
    std::vector<kaEntityModel*> m_Entities;
    std::vector<kaModel*> m_Bare;
    int64_t m_Frame = 0;
};

void BM_PlaceModelEntities(benchmark::State& state)
{
    Placements placements;
    if (!placements.Ready())
        return state.SkipWithError("no graphics manager");
    for (auto _ : state)
        state.SetIterationTime(placements.PlaceEntities());
}

// Baseline: the same placements given to the models themselves.
void BM_PlaceModelsDirectlyBaseline(benchmark::State& state)
{
    Placements placements;
    if (!placements.Ready())
        return state.SkipWithError("no graphics manager");
    for (auto _ : state)
        state.SetIterationTime(placements.PlaceModels());
}

// Both sides in each iteration; "ratio" is entity time over bare-model time.
void BM_PlacementRatio(benchmark::State& state)
{
    Placements placements;
    if (!placements.Ready())
        return state.SkipWithError("no graphics manager");
    double entities = 0.0, models = 0.0;
    for (auto _ : state)
    {
        entities += placements.PlaceEntities();
        models += placements.PlaceModels();
    }
    state.counters["ratio"] = models > 0.0 ? entities / models : 0.0;
}

} // namespace

BENCHMARK(BM_AddEntitiesWithStoredIds)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InsertIdsIntoSortedVectorBaseline)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StoredIdRatio)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlaceModelEntities)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlaceModelsDirectlyBaseline)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlacementRatio)->Unit(benchmark::kMicrosecond);
