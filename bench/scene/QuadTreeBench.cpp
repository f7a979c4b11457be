// 10,000 entities filed in a quad tree over a 1,024 by 1,024 ground. The frustum walk is timed beside the
// same sphere-then-corner frustum test run over every entity, and the segment query (with the sphere and box
// tests on what it returns) beside the same two tests run over every entity. The Ratio benchmarks report tree
// time over brute-force time; the counters "found" show that both sides found the same entities.

#include "bench/support/TimeRatio.h"
#include "engine/model/kaBoundingBox.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/scene/Intersection.h"
#include "engine/scene/kaEntity.h"
#include "engine/scene/kaLineSegment.h"
#include "engine/scene/kaQuadTree.h"

#include "platform/gfx/Direct3DFactory.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/TestDirect3D.h"
#include "platform/gfx/math/Matrix.h"
#include "platform/window/ScriptedWindowBackend.h"
#include "platform/window/Window.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

using namespace platform;

namespace
{

constexpr int kEntities = 10000;
constexpr float kGround = 1024.0f;
constexpr int kSegments = 64;

class BoxEntity : public kaEntity
{
public:
    BoxEntity(const Vector3& min, const Vector3& max)
    {
        m_Box.m_Min = min;
        m_Box.m_Max = max;
        m_Box.ComputeCorners();
        m_Box.m_Centre = (min + max) * 0.5f;
        m_Box.m_Radius = Vec3Length(max - min) * 0.5f;
    }
    kaBoundingBox* GetBoundingBox() override { return &m_Box; }
    void Render() override { ++s_Drawn; }

    static int s_Drawn;

private:
    kaBoundingBox m_Box;
};
int BoxEntity::s_Drawn = 0;

// The walk's own test of one box: the bounding sphere first, the corners only when the sphere crosses.
bool InFrustum(const kaBoundingBox& box, const Plane* frustum)
{
    bool crossing = false;
    for (int p = 0; p < 6; ++p)
    {
        const float distance = PlaneDotCoord(&frustum[p], &box.m_Centre);
        if (distance <= -box.m_Radius)
            return false;
        if (distance <= box.m_Radius)
            crossing = true;
    }
    if (!crossing)
        return true;
    for (int p = 0; p < 6; ++p)
    {
        bool allBehind = true;
        for (const Vector3& corner : box.m_Corners)
            allBehind = allBehind && PlaneDotCoord(&frustum[p], &corner) < 0.0f;
        if (allBehind)
            return false;
    }
    return true;
}

// As the world's pick tests a candidate: its bounding sphere, then its box.
bool SegmentHits(kaEntity& entity, const kaLineSegment& segment)
{
    const kaBoundingBox& box = *entity.GetBoundingBox();
    return SegmentIntersectsSphere(box.m_Centre, box.m_Radius, segment, nullptr) &&
           SegmentIntersectsBox(box.m_Min, box.m_Max, segment, nullptr);
}

class Field
{
public:
    Field()
    {
        WindowClass windowClass;
        windowClass.procedure = &DefWindowProc;
        windowClass.className = "SceneBench";
        RegisterClass(windowClass);
        m_Window = CreateWindow(0, "SceneBench", "Tarvolin", 0, 0, 0, 640, 480, nullptr, nullptr);
        m_Previous = SetDirect3DFactory(
            [this]() -> GfxDirect3D*
            {
                m_D3D->AddRef();
                return m_D3D;
            });
        m_Manager = std::make_unique<kaGraphicsManager>();
        m_Manager->Initialize(m_Window, "/nonexistent/SceneBench.cfg", nullptr, false);

        // A camera above one edge of the ground looking across it: about a tenth of the field in view.
        if (GfxDevice* device = m_Manager->GetDevice())
        {
            Matrix view, projection;
            const Vector3 eye(512, 40, -20), at(512, 0, 200), up(0, 1, 0);
            MatrixLookAtLH(&view, &eye, &at, &up);
            MatrixPerspectiveFovLH(&projection, 0.9f, 4.0f / 3.0f, 1.0f, 400.0f);
            device->SetTransform(TS_VIEW, &view);
            device->SetTransform(TS_PROJECTION, &projection);
            m_Manager->UpdateFrustum();
            m_Manager->UseViewFrustum();
        }

        std::mt19937 random(22);
        std::uniform_real_distribution<float> place(0.0f, kGround - 8.0f), size(1.0f, 8.0f),
            height(0.0f, 10.0f);
        m_Tree.Initialize(kGround, kGround, kGround / 8.0f);
        for (int i = 0; i < kEntities; ++i)
        {
            const Vector3 min(place(random), height(random), place(random));
            const Vector3 max(min.x + size(random), min.y + size(random), min.z + size(random));
            m_Entities.push_back(std::make_unique<BoxEntity>(min, max));
            m_Tree.Insert(m_Entities.back().get());
        }
        // Picking rays from a camera high above, each reaching down to the ground near where it points.
        for (int i = 0; i < kSegments; ++i)
        {
            const Vector3 ground(place(random), 0.0f, place(random));
            m_Segments.emplace_back(ground.x - 10.0f, 150.0f, ground.z - 10.0f, ground.x, -1.0f, ground.z);
        }
    }

    ~Field()
    {
        m_Entities.clear();
        m_Manager.reset();
        SetDirect3DFactory(m_Previous);
        m_D3D->Release();
        DestroyWindow(m_Window);
    }

    bool IsReady() const { return m_Manager->GetDevice() != nullptr; }

    int WalkTree()
    {
        BoxEntity::s_Drawn = 0;
        m_Tree.Render();
        return BoxEntity::s_Drawn;
    }

    int WalkEveryEntity()
    {
        const Plane* frustum = m_Manager->GetActiveFrustum();
        int drawn = 0;
        for (const auto& entity : m_Entities)
            if (InFrustum(*entity->GetBoundingBox(), frustum))
            {
                entity->Render();
                ++drawn;
            }
        return drawn;
    }

    int QueryTree()
    {
        int hits = 0;
        for (const kaLineSegment& segment : m_Segments)
        {
            m_Candidates.clear();
            m_Tree.QuerySegment(segment.m_Start, segment.m_End, m_Candidates);
            for (kaEntity* entity : m_Candidates)
                hits += SegmentHits(*entity, segment) ? 1 : 0;
        }
        return hits;
    }

    int QueryEveryEntity()
    {
        int hits = 0;
        for (const kaLineSegment& segment : m_Segments)
            for (const auto& entity : m_Entities)
                hits += SegmentHits(*entity, segment) ? 1 : 0;
        return hits;
    }

private:
    ScriptedWindowBackend m_Backend;
    WindowHandle m_Window = nullptr;
    TestDirect3D* m_D3D = new TestDirect3D;
    Direct3DFactory m_Previous;
    std::unique_ptr<kaGraphicsManager> m_Manager;
    kaQuadTree m_Tree;
    std::vector<std::unique_ptr<BoxEntity>> m_Entities;
    std::vector<kaLineSegment> m_Segments;
    std::vector<kaEntity*> m_Candidates;
};

template <int (Field::*Run)()> void Timed(benchmark::State& state)
{
    Field field;
    if (!field.IsReady())
    {
        state.SkipWithError("no test device");
        return;
    }
    int found = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(found = (field.*Run)());
    state.counters["found"] = found;
}

// Both sides in each iteration; "ratio" is tree time over every-entity time.
template <int (Field::*Tree)(), int (Field::*Every)()> void Ratio(benchmark::State& state)
{
    Field field;
    if (!field.IsReady())
    {
        state.SkipWithError("no test device");
        return;
    }
    int treeFound = 0, everyFound = 0;
    TimeRatio(
        state, [&] { benchmark::DoNotOptimize(treeFound = (field.*Tree)()); },
        [&] { benchmark::DoNotOptimize(everyFound = (field.*Every)()); });
    state.counters["treeFound"] = treeFound;
    state.counters["everyFound"] = everyFound;
}

BENCHMARK_TEMPLATE(Timed, &Field::WalkTree)->Name("FrustumWalkTree")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(Timed, &Field::WalkEveryEntity)->Name("FrustumEveryEntity")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(Ratio, &Field::WalkTree, &Field::WalkEveryEntity)
    ->Name("FrustumRatio")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(Timed, &Field::QueryTree)->Name("SegmentQueryTree")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(Timed, &Field::QueryEveryEntity)
    ->Name("SegmentEveryEntity")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(Ratio, &Field::QueryTree, &Field::QueryEveryEntity)
    ->Name("SegmentRatio")
    ->Unit(benchmark::kMicrosecond);

} // namespace
