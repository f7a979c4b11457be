// Height and segment queries on the 257 x 257 sample map, beside brute force over every triangle of the
// grid: the point-in-triangle search for heights, a segment-triangle test of every triangle for segments.
// "speedup" is brute-force time per query over the engine's time per query, both in the same run.

#include "engine/terrain/kaTerrain.h"
#include "tools/terraingen/TerrainSamples.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

using platform::Vector3;

namespace
{

struct Triangle
{
    Vector3 a, b, c;
};

struct Ground
{
    kaTerrain terrain;
    std::vector<Triangle> triangles;
    bool ready = false;

    Ground()
    {
        const TerrainSamples::MapSize& map = TerrainSamples::kMapSizes[0];
        const std::string path = std::string(TARVOLIN_CONTENT) + "/" + TerrainSamples::HeightMapPath(map);
        ready = terrain.GenerateHeightMapVerts(path, 512.0f, 100.0f, 512.0f, false);
        terrain.ComputeEdgeBaseHeight();
        for (int32_t r = 0; ready && r + 1 < terrain.GetRows(); ++r)
            for (int32_t c = 0; c + 1 < terrain.GetColumns(); ++c)
            {
                const Vector3 p = terrain.GetVertexPosition(c, r), pn = terrain.GetVertexPosition(c + 1, r);
                const Vector3 q = terrain.GetVertexPosition(c, r + 1),
                              qn = terrain.GetVertexPosition(c + 1, r + 1);
                triangles.push_back({p, pn, q});
                triangles.push_back({pn, q, qn});
            }
    }
};

Ground& TheGround()
{
    static Ground ground;
    return ground;
}

// The height of the first triangle whose X/Z shadow holds the point.
float BruteHeight(const std::vector<Triangle>& triangles, float x, float z)
{
    for (const Triangle& t : triangles)
    {
        const float d = (t.b.x - t.a.x) * (t.c.z - t.a.z) - (t.c.x - t.a.x) * (t.b.z - t.a.z);
        const float u = ((x - t.a.x) * (t.c.z - t.a.z) - (t.c.x - t.a.x) * (z - t.a.z)) / d;
        const float v = ((t.b.x - t.a.x) * (z - t.a.z) - (x - t.a.x) * (t.b.z - t.a.z)) / d;
        if (u >= 0.0f && v >= 0.0f && u + v <= 1.0f)
            return t.a.y + u * (t.b.y - t.a.y) + v * (t.c.y - t.a.y);
    }
    return 0.0f;
}

// The nearest segment parameter over every triangle (Moller-Trumbore).
float BruteRay(const std::vector<Triangle>& triangles, const Vector3& s, const Vector3& e)
{
    const Vector3 d = e - s;
    float best = 2.0f;
    for (const Triangle& t : triangles)
    {
        const Vector3 e1 = t.b - t.a, e2 = t.c - t.a;
        const Vector3 p = platform::Vec3Cross(d, e2);
        const float det = platform::Vec3Dot(e1, p);
        if (det == 0.0f)
            continue;
        const Vector3 tv = s - t.a;
        const float u = platform::Vec3Dot(tv, p) / det;
        const Vector3 q = platform::Vec3Cross(tv, e1);
        const float v = platform::Vec3Dot(d, q) / det;
        const float at = platform::Vec3Dot(e2, q) / det;
        if (u >= 0.0f && v >= 0.0f && u + v <= 1.0f && at >= 0.0f && at < best)
            best = at;
    }
    return best;
}

template <typename Run> double Seconds(Run run)
{
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

constexpr int kEngineQueries = 4096;
constexpr int kBruteQueries = 16;

void BM_HeightQuerySpeedup(benchmark::State& state)
{
    Ground& ground = TheGround();
    if (!ground.ready)
    {
        state.SkipWithError("sample height map missing");
        return;
    }
    std::mt19937 random(3);
    std::uniform_real_distribution<float> along(0.0f, 511.0f);
    std::vector<std::pair<float, float>> points(kEngineQueries);
    for (auto& p : points)
        p = {along(random), along(random)};
    double engine = 0.0, brute = 0.0;
    for (auto _ : state)
    {
        engine += Seconds(
                      [&]
                      {
                          for (const auto& p : points)
                              benchmark::DoNotOptimize(ground.terrain.GetHeightAt(p.first, p.second));
                      }) /
                  kEngineQueries;
        brute += Seconds(
                     [&]
                     {
                         for (int i = 0; i < kBruteQueries; ++i)
                             benchmark::DoNotOptimize(BruteHeight(ground.triangles, points[size_t(i)].first,
                                                                  points[size_t(i)].second));
                     }) /
                 kBruteQueries;
    }
    state.counters["speedup"] = engine > 0.0 ? brute / engine : 0.0;
}

void BM_RayQuerySpeedup(benchmark::State& state)
{
    Ground& ground = TheGround();
    if (!ground.ready)
    {
        state.SkipWithError("sample height map missing");
        return;
    }
    std::mt19937 random(5);
    std::uniform_real_distribution<float> across(-20.0f, 530.0f);
    std::uniform_real_distribution<float> down(0.0f, 110.0f);
    std::vector<std::pair<Vector3, Vector3>> segments(kEngineQueries);
    for (auto& s : segments)
        s = {Vector3(across(random), 150.0f, across(random)),
             Vector3(across(random), down(random), across(random))};
    double engine = 0.0, brute = 0.0;
    for (auto _ : state)
    {
        engine += Seconds(
                      [&]
                      {
                          Vector3 point, normal;
                          for (const auto& s : segments)
                              benchmark::DoNotOptimize(
                                  ground.terrain.IntersectRay(s.first.x, s.first.y, s.first.z, s.second.x,
                                                              s.second.y, s.second.z, point, normal));
                      }) /
                  kEngineQueries;
        brute += Seconds(
                     [&]
                     {
                         for (int i = 0; i < kBruteQueries; ++i)
                             benchmark::DoNotOptimize(BruteRay(ground.triangles, segments[size_t(i)].first,
                                                               segments[size_t(i)].second));
                     }) /
                 kBruteQueries;
    }
    state.counters["speedup"] = engine > 0.0 ? brute / engine : 0.0;
}

} // namespace

BENCHMARK(BM_HeightQuerySpeedup)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RayQuerySpeedup)->Unit(benchmark::kMillisecond);
