// A frame of the 257 x 257 single-layer terrain through the graphics manager's render pass on the headless
// OpenGL device (frustum culling, stitching checks and one level subset per quad), beside plain GL drawing
// the very same vertices and indices, read back from the quads' buffers, in the same number of draws on
// the same context. Quads sit at a checkerboard of levels 0 and 2. Both frames are presented, and before
// timing each benchmark reads both back and refuses to run when they differ by more than 2/255 anywhere.
// TerrainFrameRatio reports render-pass time over plain GL time.

#include "bench/support/HeadlessGL.h"
#include "bench/support/TimeRatio.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/terrain/kaTerrain.h"
#include "engine/terrain/kaTerrainQuad.h"
#include "tools/terraingen/TerrainSamples.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/math/Matrix.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace platform;

namespace
{

constexpr uint32_t kWidth = HeadlessGL::kWidth;
constexpr uint32_t kHeight = HeadlessGL::kHeight;
// Position, base and detail coordinates.
constexpr GLsizei kStride = 28;

class TerrainPass : public ka3DObject
{
public:
    explicit TerrainPass(kaTerrain& terrain) : m_Terrain(terrain) {}
    void Render(uint32_t) override { m_Terrain.Render(); }

private:
    kaTerrain& m_Terrain;
};

class Scene
{
public:
    Scene()
    {
        if (!m_GL.Start("TerrainBench"))
            return;
        m_GL.Manager()->SetClearColor(0xFF802020);
        m_Terrain = std::make_unique<kaTerrain>();
        const TerrainSamples::MapSize& map = TerrainSamples::kMapSizes[0];
        const std::string path = std::string(TARVOLIN_CONTENT) + "/" + TerrainSamples::HeightMapPath(map);
        if (!m_Terrain->GenerateHeightMapVerts(path, 512.0f, 100.0f, 512.0f, false))
            return;
        m_Terrain->BuildSingleLayer();
        for (int32_t qz = 0; qz < m_Terrain->GetQuadRows(); ++qz)
            for (int32_t qx = 0; qx < m_Terrain->GetQuadColumns(); ++qx)
                m_Terrain->GetQuad(qx, qz)->SetLevel((qx + qz) % 2 ? 2 : 0);
        m_Pass = std::make_unique<TerrainPass>(*m_Terrain);
        m_GL.Manager()->AddSceneObject(m_Pass.get(), false);

        const Vector3 eye(256.0f, 420.0f, -150.0f), at(256.0f, 0.0f, 280.0f), up(0.0f, 1.0f, 0.0f);
        MatrixLookAtLH(&m_View, &eye, &at, &up);
        MatrixPerspectiveFovLH(&m_Projection, 1.0f, float(kWidth) / float(kHeight), 1.0f, 3000.0f);
        GfxDevice* device = m_GL.Manager()->GetDevice();
        device->SetTransform(TS_VIEW, &m_View);
        device->SetTransform(TS_PROJECTION, &m_Projection);
        m_GL.Manager()->UpdateFrustum();
        m_GL.Manager()->UseViewFrustum();
        // One frame stitches the borders; the plain objects copy what it drew.
        DrawTerrain();
        m_Ready = _BuildPlainObjects();
    }

    ~Scene()
    {
        if (!m_Buffers.empty())
            glDeleteBuffers(GLsizei(m_Buffers.size()), m_Buffers.data());
        if (m_GL.Manager() && m_Pass)
            m_GL.Manager()->DetachSceneObject(m_Pass.get());
        m_Terrain.reset();
        m_GL.Stop();
    }

    bool IsReady() const { return m_Ready; }

    void DrawTerrain()
    {
        m_GL.Manager()->Render(true, false);
        glFinish();
    }

    // The same triangles from the same bytes, one indexed draw a quad, with the states the device uses.
    void DrawPlain()
    {
        glBindFramebuffer(GL_FRAMEBUFFER, m_Framebuffer);
        glDisable(GL_SCISSOR_TEST);
        glDepthMask(GL_TRUE);
        glClearColor(0x80 / 255.0f, 0x20 / 255.0f, 0x20 / 255.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glViewport(0, 0, kWidth, kHeight);
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_FOG);
        // The device's front faces are clockwise.
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CW);
        glCullFace(GL_BACK);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glDepthRange(0.0, 1.0);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(m_PlainProjection.Data());
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixf(m_View.Data());
        glEnableClientState(GL_VERTEX_ARRAY);
        for (const Draw& draw : m_Draws)
        {
            glBindBuffer(GL_ARRAY_BUFFER, draw.vertices);
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, draw.indices);
            glVertexPointer(3, GL_FLOAT, kStride, nullptr);
            glDrawElements(GL_TRIANGLES, draw.count, GL_UNSIGNED_SHORT, nullptr);
        }
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glDisableClientState(GL_VERTEX_ARRAY);
        glEnable(GL_SCISSOR_TEST);
        m_GL.Manager()->GetDevice()->Present();
        glFinish();
    }

    // The largest difference of any channel between the two presented frames; 256 when one is unreadable.
    int CompareFrames()
    {
        FrameCapture pass, plain;
        DrawTerrain();
        if (GfxFailed(m_GL.Manager()->GetDevice()->CaptureFrame(&pass)))
            return 256;
        DrawPlain();
        if (GfxFailed(m_GL.Manager()->GetDevice()->CaptureFrame(&plain)))
            return 256;
        if (pass.Rows.size() != plain.Rows.size() || pass.Rows.empty())
            return 256;
        int largest = 0;
        for (size_t i = 0; i < pass.Rows.size(); ++i)
            largest = std::max(largest, std::abs(int(pass.Rows[i]) - int(plain.Rows[i])));
        m_GroundPixels = 0;
        for (size_t i = 0; i + 2 < pass.Rows.size(); i += 3)
            m_GroundPixels += pass.Rows[i] > 0x80;
        return largest;
    }

    // Pixels of the last compared frame where the ground, not the clear colour, shows.
    size_t GetGroundPixels() const { return m_GroundPixels; }

    size_t GetDrawCount() const { return m_Draws.size(); }

private:
    struct Draw
    {
        GLuint vertices;
        GLuint indices;
        GLsizei count;
    };

    bool _BuildPlainObjects()
    {
        kaGraphicsManager& manager = *m_GL.Manager();
        // GL's depth runs -1..1 where the device's runs 0..1, and D3D9 puts pixel centres half a pixel in.
        Matrix remap;
        remap(2, 2) = 2.0f;
        remap(3, 2) = -1.0f;
        remap(3, 0) = 1.0f / kWidth;
        remap(3, 1) = -1.0f / kHeight;
        m_PlainProjection = m_Projection * remap;
        GLint framebuffer = 0;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
        m_Framebuffer = GLuint(framebuffer);

        for (int32_t qz = 0; qz < m_Terrain->GetQuadRows(); ++qz)
            for (int32_t qx = 0; qx < m_Terrain->GetQuadColumns(); ++qx)
            {
                const kaTerrainQuad& quad = *m_Terrain->GetQuad(qx, qz);
                const kaMeshSubset* subset = quad.GetSubset(uint32_t(quad.GetLevel()));
                if (!subset || subset->m_PrimitiveCount == 0)
                    return false;
                const uint32_t indexCount = subset->m_PrimitiveCount * 3;
                std::vector<uint8_t> vertices(size_t(subset->m_VertexCount) * kStride);
                std::vector<uint16_t> indices(indexCount);
                const void* v = manager.LockVertexBuffer(subset->m_SysVertexBuffer);
                if (!v)
                    return false;
                std::memcpy(vertices.data(), v, vertices.size());
                manager.UnlockVertexBuffer(subset->m_SysVertexBuffer);
                const void* i = manager.LockIndexBuffer(subset->m_SysIndexBuffer);
                if (!i)
                    return false;
                std::memcpy(indices.data(), i, indices.size() * sizeof(uint16_t));
                manager.UnlockIndexBuffer(subset->m_SysIndexBuffer);

                Draw draw{0, 0, GLsizei(indexCount)};
                glGenBuffers(1, &draw.vertices);
                glGenBuffers(1, &draw.indices);
                m_Buffers.push_back(draw.vertices);
                m_Buffers.push_back(draw.indices);
                glBindBuffer(GL_ARRAY_BUFFER, draw.vertices);
                glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size()), vertices.data(), GL_STATIC_DRAW);
                glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, draw.indices);
                glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * sizeof(uint16_t)),
                             indices.data(), GL_STATIC_DRAW);
                m_Draws.push_back(draw);
            }
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        return true;
    }

    HeadlessGL m_GL;
    std::unique_ptr<kaTerrain> m_Terrain;
    std::unique_ptr<TerrainPass> m_Pass;
    Matrix m_View;
    Matrix m_Projection;
    Matrix m_PlainProjection;
    GLuint m_Framebuffer = 0;
    std::vector<GLuint> m_Buffers;
    std::vector<Draw> m_Draws;
    size_t m_GroundPixels = 0;
    bool m_Ready = false;
};

// False, with the benchmark marked failed, when there is no device or the two frames differ.
bool Prepare(Scene& scene, benchmark::State& state)
{
    if (!scene.IsReady())
    {
        state.SkipWithError("no headless OpenGL device or no generated height map");
        return false;
    }
    const int difference = scene.CompareFrames();
    state.counters["pixel_difference"] = difference;
    state.counters["draws"] = double(scene.GetDrawCount());
    state.counters["ground_pixels"] = double(scene.GetGroundPixels());
    if (difference > 2)
    {
        state.SkipWithError("the terrain frame and the plain GL frame differ");
        return false;
    }
    // The view must show the ground for the comparison to mean anything.
    if (scene.GetGroundPixels() < kWidth * kHeight / 4)
    {
        state.SkipWithError("the terrain frame shows too little ground");
        return false;
    }
    return true;
}

void TerrainFrame(benchmark::State& state)
{
    Scene scene;
    if (!Prepare(scene, state))
        return;
    for (auto _ : state)
        scene.DrawTerrain();
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(TerrainFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// Both paths in each iteration; the counter is render-pass time over plain GL time.
void TerrainFrameRatio(benchmark::State& state)
{
    Scene scene;
    if (!Prepare(scene, state))
        return;
    TimeRatio(
        state, [&] { scene.DrawTerrain(); }, [&] { scene.DrawPlain(); });
}
BENCHMARK(TerrainFrameRatio)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
