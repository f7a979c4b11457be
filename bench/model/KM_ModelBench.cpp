#include "engine/model/KM_GeoObject.h"
#include "engine/model/KM_Mesh.h"
#include "engine/model/KM_Model.h"
#include "engine/model/KM_Stream.h"

#include <benchmark/benchmark.h>

#include <memory>

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

// Baseline: the same corners gathered into render arrays with no welding at all, written straight into
// arrays of their final size.
void BM_GatherCornersBaseline(benchmark::State& state)
{
    KM_Mesh mesh = Grid(224);
    const size_t corners = mesh.m_Faces.size() * 3;
    for (auto _ : state)
    {
        std::unique_ptr<float[]> positions(new float[corners * 3]);
        std::unique_ptr<float[]> normals(new float[corners * 3]);
        std::unique_ptr<float[]> uvs(new float[corners * 2]);
        std::unique_ptr<uint32_t[]> indices(new uint32_t[corners]);
        float* p = positions.get();
        float* n = normals.get();
        float* t = uvs.get();
        uint32_t next = 0;
        for (size_t f = 0; f < mesh.m_Faces.size(); ++f)
        {
            const KM_Mesh::Face& face = mesh.m_Faces[f];
            const KM_Mesh::IndexFace& tface = mesh.m_TFaces[f];
            const uint32_t vertex[3] = {face.a, face.c, face.b};
            const uint32_t texel[3] = {tface.a, tface.c, tface.b};
            const KM_Point3& normal = mesh.m_Normals[f].corner[0];
            for (int i = 0; i < 3; ++i)
            {
                const KM_Point3& v = mesh.m_Vertices[vertex[i]];
                const KM_Point3& uv = mesh.m_TVertices[texel[i]];
                *p++ = v.x, *p++ = v.y, *p++ = v.z;
                *n++ = normal.x, *n++ = normal.y, *n++ = normal.z;
                *t++ = uv.x, *t++ = 1.0f - uv.y;
                indices[next] = next;
                ++next;
            }
        }
        benchmark::DoNotOptimize(positions.get());
        benchmark::DoNotOptimize(normals.get());
        benchmark::DoNotOptimize(uvs.get());
        benchmark::DoNotOptimize(indices.get());
    }
}

// The sample set's largest mesh, the ball, as the loader welds it: small meshes are the common case, and
// there the fixed costs of a weld count as much as its per-corner work.
void BM_WeldSampleBall(benchmark::State& state)
{
    KM_Stream stream;
    KM_Model model("ball.kmf");
    if (!stream.Open((std::string(TARVOLIN_CONTENT) + "/resources/models/ball/ball.kmf").c_str(),
                     KM_Stream::kBinary) ||
        !stream.ReadHeader() || !model.Read(&stream) || model.GetGeoObjectCount() == 0)
        return state.SkipWithError("the sample ball was not found");
    KM_Mesh& mesh = model.GetGeoObject(0)->m_Mesh;
    for (auto _ : state)
    {
        KM_Model::WeldMesh(mesh);
        benchmark::DoNotOptimize(mesh.m_Render.vertexCount);
    }
    state.counters["corners"] = static_cast<double>(mesh.m_Faces.size() * 3);
    state.counters["vertices"] = static_cast<double>(mesh.m_Render.vertexCount);
}

} // namespace

BENCHMARK(BM_WeldGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GatherCornersBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WeldSampleBall)->Unit(benchmark::kMicrosecond);
