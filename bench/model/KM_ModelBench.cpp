#include "engine/model/KM_Mesh.h"
#include "engine/model/KM_Model.h"

#include <benchmark/benchmark.h>

namespace
{

// A grid of cells x cells quads, two triangles each, with shared vertices, one normal and texture
// coordinates per vertex: 224 x 224 gives 100,352 triangles.
KM_Mesh Grid(int cells)
{
    KM_Mesh mesh;
    const int side = cells + 1;
    for (int y = 0; y < side; ++y)
    {
        for (int x = 0; x < side; ++x)
        {
            mesh.m_Vertices.push_back({float(x), 0.0f, float(y)});
            mesh.m_TVertices.push_back({float(x) / cells, float(y) / cells, 0.0f});
        }
    }
    for (int y = 0; y < cells; ++y)
    {
        for (int x = 0; x < cells; ++x)
        {
            const uint32_t a = y * side + x, b = a + 1, c = a + side, d = c + 1;
            mesh.m_Faces.push_back({a, c, d, 0});
            mesh.m_Faces.push_back({a, d, b, 0});
            mesh.m_TFaces.push_back({a, c, d});
            mesh.m_TFaces.push_back({a, d, b});
        }
    }
    KM_Mesh::FaceNormals normals;
    normals.face = normals.corner[0] = normals.corner[1] = normals.corner[2] = {0, 1, 0};
    mesh.m_Normals.assign(mesh.m_Faces.size(), normals);
    return mesh;
}

void BM_WeldGrid(benchmark::State& state)
{
    KM_Mesh mesh = Grid(224);
    for (auto _ : state)
    {
        KM_Model::WeldMesh(mesh);
        benchmark::DoNotOptimize(mesh.m_Render.vertexCount);
    }
    state.counters["triangles"] = static_cast<double>(mesh.m_Faces.size());
    state.counters["vertices"] = static_cast<double>(mesh.m_Render.vertexCount);
}

// Baseline: the same corners gathered into render arrays with no welding at all.
void BM_GatherCornersBaseline(benchmark::State& state)
{
    KM_Mesh mesh = Grid(224);
    for (auto _ : state)
    {
        std::vector<float> positions, normals, uvs;
        std::vector<uint32_t> indices;
        positions.reserve(mesh.m_Faces.size() * 9);
        normals.reserve(mesh.m_Faces.size() * 9);
        uvs.reserve(mesh.m_Faces.size() * 6);
        uint32_t next = 0;
        for (size_t f = 0; f < mesh.m_Faces.size(); ++f)
        {
            const KM_Mesh::Face& face = mesh.m_Faces[f];
            const uint32_t corners[3] = {face.a, face.c, face.b};
            const uint32_t tcorners[3] = {mesh.m_TFaces[f].a, mesh.m_TFaces[f].c, mesh.m_TFaces[f].b};
            for (int i = 0; i < 3; ++i)
            {
                const KM_Point3& p = mesh.m_Vertices[corners[i]];
                const KM_Point3& n = mesh.m_Normals[f].corner[0];
                const KM_Point3& t = mesh.m_TVertices[tcorners[i]];
                positions.insert(positions.end(), {p.x, p.y, p.z});
                normals.insert(normals.end(), {n.x, n.y, n.z});
                uvs.insert(uvs.end(), {t.x, 1.0f - t.y});
                indices.push_back(next++);
            }
        }
        benchmark::DoNotOptimize(indices.data());
    }
}

} // namespace

BENCHMARK(BM_WeldGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GatherCornersBaseline)->Unit(benchmark::kMillisecond);
