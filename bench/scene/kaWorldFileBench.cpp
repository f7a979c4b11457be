// Loading a generated course of 1,000 model entities through the world, beside parsing the same file with
// TinyXML and making the same models; and 1,000 picks through the quad tree, beside testing every entity
// the same way. The graphics manager runs on the CPU test device, so the figures are the engine's own work.

#include "bench/support/CpuGraphics.h"
#include "engine/core/kaFileSystem.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/model/kaBoundingBox.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaModelManager.h"
#include "engine/scene/Intersection.h"
#include "engine/scene/kaCollideInfo.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaLineSegment.h"
#include "engine/scene/kaQuadTree.h"
#include "engine/scene/kaWorld.h"
#include "platform/gfx/math/Matrix.h"
#include "tools/worldgen/SampleWorld.h"

#include <benchmark/benchmark.h>
#include <tinyxml.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

using platform::Vector3;

namespace
{

constexpr int kCourseEntities = 1000;
constexpr int kPicks = 1000;
const char* const kRecords[] = {"Crate", "Ball", "Ramp"};

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs from the sample content folder, where the course's model paths lead, with a generated course of
// 1,000 entities on a 40 by 25 grid beside it.
class Course
{
public:
    Course() : m_Previous(std::filesystem::current_path())
    {
        std::filesystem::current_path(TARVOLIN_CONTENT);
        std::vector<SampleWorld::Placed> entities;
        for (int i = 0; i < kCourseEntities; ++i)
            entities.push_back({kRecords[i % 3], "e" + std::to_string(i), i + 1,
                                -120.0f + 6.0f * static_cast<float>(i % 40), 0.5f,
                                -75.0f + 6.0f * static_cast<float>(i / 40)});
        m_Path = (std::filesystem::temp_directory_path() / "tarvolin_course_bench.xml").string();
        std::ofstream(m_Path) << SampleWorld::CourseText(entities);
    }
    ~Course()
    {
        std::remove(m_Path.c_str());
        std::filesystem::current_path(m_Previous);
    }
    bool Ready() const { return m_Graphics.Ready(); }

    // One load into a new world, destroyed afterwards; seconds of the load.
    double LoadWorld()
    {
        double seconds = 0.0;
        {
            kaWorld world;
            const auto start = std::chrono::steady_clock::now();
            world.LoadFile(m_Path, true);
            seconds = Seconds(start);
            benchmark::DoNotOptimize(world.GetEntityCount());
        }
        m_Models.DeleteAll();
        return seconds;
    }

    // Baseline: the file parsed by TinyXML and a model made from each entity's model name.
    double ParseAndMakeModels()
    {
        const auto start = std::chrono::steady_clock::now();
        TiXmlDocument document;
        document.LoadFile(m_Path.c_str());
        std::vector<kaModel*> models;
        const TiXmlElement* list = document.RootElement()->FirstChildElement("Entities");
        for (const TiXmlElement* entity = list->FirstChildElement("Entity"); entity;
             entity = entity->NextSiblingElement("Entity"))
            models.push_back(m_Models.CreateModel(GetChildElementText("kmfFilename", entity)));
        const double seconds = Seconds(start);
        benchmark::DoNotOptimize(models.data());
        m_Models.DeleteAll();
        return seconds;
    }

    const std::string& Path() const { return m_Path; }

private:
    std::filesystem::path m_Previous;
    CpuGraphics m_Graphics{"SceneBench"};
    kaFileSystem m_Files;
    kaModelManager m_Models;
    std::string m_Path;
};

void BM_LoadCourse(benchmark::State& state)
{
    Course course;
    if (!course.Ready())
        return state.SkipWithError("no graphics manager");
    for (auto _ : state)
        state.SetIterationTime(course.LoadWorld());
}

void BM_ParseCourseAndMakeModelsBaseline(benchmark::State& state)
{
    Course course;
    if (!course.Ready())
        return state.SkipWithError("no graphics manager");
    for (auto _ : state)
        state.SetIterationTime(course.ParseAndMakeModels());
}

// Both sides in each iteration; "ratio" is world loading over parsing and making the models.
void BM_LoadCourseRatio(benchmark::State& state)
{
    Course course;
    if (!course.Ready())
        return state.SkipWithError("no graphics manager");
    double world = 0.0, baseline = 0.0;
    for (auto _ : state)
    {
        world += course.LoadWorld();
        baseline += course.ParseAndMakeModels();
    }
    state.counters["ratio"] = baseline > 0.0 ? world / baseline : 0.0;
}

// The loaded course with its quad tree fitted, and 1,000 segments dropped onto it from above.
class Picks
{
public:
    Picks()
    {
        if (!m_Course.Ready())
            return;
        m_World = std::make_unique<kaWorld>();
        m_World->LoadFile(m_Course.Path(), true);
        // The grid from (-120, -75) shifted onto the tree's extent from the origin.
        for (kaEntity* entity : m_World->GetEntities())
        {
            auto* model = static_cast<kaEntityModel*>(entity);
            model->SetPosition(model->GetPosition() + Vector3(130.0f, 0.0f, 85.0f));
        }
        m_World->GetQuadTree()->Initialize(256.0f, 256.0f, 16.0f);
        uint32_t seed = 7;
        for (int i = 0; i < kPicks; ++i)
        {
            seed = seed * 1103515245u + 12345u;
            const float x = static_cast<float>((seed >> 8) % 2560) * 0.1f;
            seed = seed * 1103515245u + 12345u;
            const float z = static_cast<float>((seed >> 8) % 2560) * 0.1f;
            m_Segments.push_back({Vector3(x, 50.0f, z), Vector3(x + 1.0f, -1.0f, z + 1.0f)});
        }
    }
    bool Ready() const { return m_World != nullptr; }

    double PickThroughTree(int& hits)
    {
        const auto start = std::chrono::steady_clock::now();
        for (const auto& [from, to] : m_Segments)
        {
            kaCollideInfo hit;
            hits += m_World->Pick(from, to, &hit, kaWorld::kPickMeshes);
        }
        return Seconds(start);
    }

    // Baseline: every entity tested as the pick tests it (sphere, then triangles in model space).
    double PickEveryEntity(int& hits)
    {
        const auto start = std::chrono::steady_clock::now();
        for (const auto& [from, to] : m_Segments)
        {
            const kaLineSegment segment(from.x, from.y, from.z, to.x, to.y, to.z);
            bool found = false;
            for (kaEntity* entity : m_World->GetEntities())
            {
                kaBoundingBox* box = entity->GetBoundingBox();
                kaCollideInfo hit;
                if (!box || !SegmentIntersectsSphere(box->m_Centre, box->m_Radius, segment, &hit))
                    continue;
                platform::Matrix world;
                platform::Matrix inverse;
                entity->GetWorldMatrix(world);
                platform::MatrixInverse(&inverse, nullptr, &world);
                Vector3 a;
                Vector3 b;
                platform::Vec3TransformCoord(&a, &from, &inverse);
                platform::Vec3TransformCoord(&b, &to, &inverse);
                const kaLineSegment local(a.x, a.y, a.z, b.x, b.y, b.z);
                bool more = false;
                if (kaMesh* mesh = entity->GetNextMesh(more))
                    found |= SegmentIntersectsMesh(*mesh, local, &hit);
            }
            hits += found;
        }
        return Seconds(start);
    }

private:
    Course m_Course;
    std::unique_ptr<kaWorld> m_World;
    std::vector<std::pair<Vector3, Vector3>> m_Segments;
};

void BM_PickThroughQuadTree(benchmark::State& state)
{
    Picks picks;
    if (!picks.Ready())
        return state.SkipWithError("no graphics manager");
    int hits = 0;
    for (auto _ : state)
        state.SetIterationTime(picks.PickThroughTree(hits));
    state.counters["hits"] = hits / static_cast<double>(state.iterations());
}

void BM_PickEveryEntityBaseline(benchmark::State& state)
{
    Picks picks;
    if (!picks.Ready())
        return state.SkipWithError("no graphics manager");
    int hits = 0;
    for (auto _ : state)
        state.SetIterationTime(picks.PickEveryEntity(hits));
    state.counters["hits"] = hits / static_cast<double>(state.iterations());
}

// Both sides in each iteration; "ratio" is quad-tree picking over testing every entity.
void BM_PickRatio(benchmark::State& state)
{
    Picks picks;
    if (!picks.Ready())
        return state.SkipWithError("no graphics manager");
    double tree = 0.0, every = 0.0;
    int hits = 0;
    for (auto _ : state)
    {
        tree += picks.PickThroughTree(hits);
        every += picks.PickEveryEntity(hits);
    }
    state.counters["ratio"] = every > 0.0 ? tree / every : 0.0;
}

} // namespace

BENCHMARK(BM_LoadCourse)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseCourseAndMakeModelsBaseline)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadCourseRatio)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PickThroughQuadTree)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PickEveryEntityBaseline)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PickRatio)->Unit(benchmark::kMicrosecond);
