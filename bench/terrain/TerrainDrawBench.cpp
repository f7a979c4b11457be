// A terrain of 65, 129 or 257 samples a side drawn through the graphics manager's render pass on the
// headless OpenGL device, lit from above and seen whole from overhead: the layered path (three masked
// layers) or the single-layer path with its quads at five levels of detail, stitched. Beside it, plain GL
// draws the same subsets (vertices and indices read back from the device buffers, texture levels copied)
// in the same order on the same context. Before timing each benchmark reads both frames back and refuses
// to run when they differ by more than 2/255. TerrainDrawRatio reports render-pass time over plain GL time.

#include "bench/support/HeadlessGL.h"
#include "bench/support/PlainSubsets.h"
#include "bench/support/TimeRatio.h"
#include "engine/core/kaFileSystem.h"
#include "engine/render/kaLight.h"
#include "engine/terrain/kaTerrain.h"
#include "engine/terrain/kaTerrainQuad.h"
#include "tools/terraingen/TerrainSamples.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/math/Matrix.h"
#include "platform/system/DebugOutput.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace platform;

namespace
{

using TerrainSamples::MaskKind;

constexpr uint32_t kWidth = HeadlessGL::kWidth;
constexpr uint32_t kHeight = HeadlessGL::kHeight;
constexpr MaskKind kMasks[] = {MaskKind::Full, MaskKind::Half, MaskKind::Ramp};
constexpr float kSize = 256.0f;

std::string Content(const std::string& relative)
{
    return std::string(TARVOLIN_CONTENT) + "/" + relative;
}

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
    Scene(uint32_t side, bool layered) : m_Sink(platform::SetDebugSink([](const std::string&) {}))
    {
        if (!m_GL.Start("TerrainDrawBench") || !m_GL.Manager()->GetDevice())
            return;
        // The height map and masks of this size, from the sample formulas, in the scratch folder.
        std::vector<uint8_t> heights(size_t(side) * side);
        for (uint32_t row = 0; row < side; ++row)
            for (uint32_t col = 0; col < side; ++col)
                heights[size_t(row) * side + col] = TerrainSamples::HeightSample(col, row, side);
        _Write("heights.bmp", side, heights);
        m_Terrain = std::make_unique<kaTerrain>();
        m_Terrain->GenerateHeightMapVerts(m_GL.Folder() + "/heights.bmp", kSize, 40.0f, kSize, true);
        if (layered)
        {
            int index = 0;
            for (MaskKind kind : kMasks)
            {
                std::vector<uint8_t> mask(size_t(side) * side);
                for (uint32_t row = 0; row < side; ++row)
                    for (uint32_t col = 0; col < side; ++col)
                        mask[size_t(row) * side + col] = TerrainSamples::MaskSample(kind, col, row, side);
                const std::string name = "mask" + std::to_string(index) + ".bmp";
                _Write(name, side, mask);
                m_Terrain->AddLayer(m_GL.Folder() + "/" + name,
                                    Content(TerrainSamples::TilePath(TerrainSamples::kTileNames[index])),
                                    4.0f, false);
                ++index;
            }
            m_Terrain->Build();
        }
        else
        {
            m_Terrain->SetSingleLayerTextures(Content(TerrainSamples::BasePath(256)),
                                              Content(TerrainSamples::TilePath(TerrainSamples::kDetailName)),
                                              8.0f);
            m_Terrain->BuildSingleLayer();
            // Five levels across the quads, so that neighbours of every pair of levels are stitched.
            for (int32_t qz = 0; qz < m_Terrain->GetQuadRows(); ++qz)
                for (int32_t qx = 0; qx < m_Terrain->GetQuadColumns(); ++qx)
                    if (kaTerrainQuad* quad = m_Terrain->GetQuad(qx, qz))
                    {
                        quad->SetLevelsEnabled(true);
                        quad->SetLevel((qx + 2 * qz) % 5);
                    }
        }
        m_Pass = std::make_unique<TerrainPass>(*m_Terrain);
        m_GL.Manager()->AddSceneObject(m_Pass.get(), false);
        m_Light = std::make_unique<kaLight>(3, 0.0f, 0.0f, 0.0f, 0.3f, -1.0f, 0.6f, 1.0f, 1.0f, 1.0f, 1.0f,
                                            0.0f, 0.0f, 0.0f, 0.0f, 0.35f, 0.35f, 0.35f, 1.0f);
        m_GL.Manager()->SetAmbientColor(0.35f, 0.35f, 0.35f, 1.0f);

        // Overhead, the whole terrain in view, so that both sides draw every quad.
        const Vector3 eye(kSize / 2, 360.0f, kSize / 2), at(kSize / 2, 0.0f, kSize / 2), up(0.0f, 0.0f, 1.0f);
        MatrixLookAtLH(&m_View, &eye, &at, &up);
        Matrix projection;
        MatrixPerspectiveFovLH(&projection, 1.0f, float(kWidth) / float(kHeight), 1.0f, 2000.0f);
        GfxDevice* device = m_GL.Manager()->GetDevice();
        device->SetTransform(TS_VIEW, &m_View);
        device->SetTransform(TS_PROJECTION, &projection);
        m_GL.Manager()->UpdateFrustum();

        // One frame first: the levels' edges are stitched and the device holds the frame's state.
        DrawThroughRenderPass();
        FrameCapture first;
        if (GfxFailed(device->CaptureFrame(&first)))
            return;
        m_Plain.ReadFrameState(*device, first, kWidth, kHeight);
        m_Ready = _CopySubsets(layered);
    }

    ~Scene()
    {
        if (m_Pass && m_GL.Manager())
            m_GL.Manager()->DetachSceneObject(m_Pass.get());
        m_Pass.reset();
        m_Terrain.reset();
        m_Light.reset();
        std::remove((m_GL.Folder() + "/heights.bmp").c_str());
        for (int i = 0; i < 3; ++i)
            std::remove((m_GL.Folder() + "/mask" + std::to_string(i) + ".bmp").c_str());
        m_GL.Stop();
        platform::SetDebugSink(m_Sink);
    }

    bool IsReady() const { return m_Ready; }
    size_t Draws() const { return m_Plain.Count(); }

    void DrawThroughRenderPass()
    {
        m_GL.Manager()->Render(false, false);
        glFinish();
    }

    void DrawPlain() { m_Plain.Draw(*m_GL.Manager()->GetDevice(), m_View); }

    // Draws a plain frame, then the render pass and the plain frame again, comparing the last two: the
    // largest difference of any channel, or 256 when a frame could not be read.
    int CompareFrames()
    {
        FrameCapture pass, plain;
        DrawPlain();
        DrawThroughRenderPass();
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
        return largest;
    }

private:
    void _Write(const std::string& name, uint32_t side, const std::vector<uint8_t>& rows)
    {
        TerrainSamples::Save(m_GL.Folder() + "/" + name, side, side, 8, rows);
    }

    // Every drawn subset in the order the render pass draws them: layer by layer over the quads, or each
    // quad at its level.
    bool _CopySubsets(bool layered)
    {
        kaGraphicsManager& manager = *m_GL.Manager();
        const Matrix world;
        std::vector<kaTerrainQuad*> quads;
        for (int32_t qz = 0; qz < m_Terrain->GetQuadRows(); ++qz)
            for (int32_t qx = 0; qx < m_Terrain->GetQuadColumns(); ++qx)
                if (kaTerrainQuad* quad = m_Terrain->GetQuad(qx, qz))
                    quads.push_back(quad);
        const int32_t passes = layered ? m_Terrain->GetLayerCount() : 1;
        for (int32_t layer = 0; layer < passes; ++layer)
            for (kaTerrainQuad* quad : quads)
            {
                const int32_t index = layered ? layer : (quad->AreLevelsEnabled() ? quad->GetLevel() : 0);
                if (index < 0 || uint32_t(index) >= quad->GetSubsetCount())
                    continue;
                const kaMeshSubset* subset = quad->GetSubset(uint32_t(index));
                if (subset && subset->m_PrimitiveCount != 0 && !m_Plain.Add(manager, *subset, world))
                    return false;
            }
        return m_Plain.Count() > 0;
    }

    platform::DebugSink m_Sink;
    HeadlessGL m_GL;
    kaFileSystem m_Files;
    std::unique_ptr<kaTerrain> m_Terrain;
    std::unique_ptr<TerrainPass> m_Pass;
    std::unique_ptr<kaLight> m_Light;
    PlainSubsets m_Plain;
    Matrix m_View;
    bool m_Ready = false;
};

// False, with the benchmark marked failed, when the scene could not be made or the frames differ.
bool Prepare(Scene& scene, benchmark::State& state)
{
    if (!scene.IsReady())
    {
        state.SkipWithError(
            "no headless OpenGL device, no generated content, or a subset of a kind not copied");
        return false;
    }
    const int difference = scene.CompareFrames();
    state.counters["pixel_difference"] = difference;
    state.counters["draws"] = static_cast<double>(scene.Draws());
    if (difference > 2)
    {
        state.SkipWithError("the render pass and the plain GL frame differ");
        return false;
    }
    return true;
}

// Arguments: samples a side, and 1 for the layered path (0: single layer at five levels).
void TerrainDrawFrame(benchmark::State& state)
{
    Scene scene(uint32_t(state.range(0)), state.range(1) != 0);
    if (!Prepare(scene, state))
        return;
    for (auto _ : state)
        scene.DrawThroughRenderPass();
}

void PlainGLTerrainDrawFrame(benchmark::State& state)
{
    Scene scene(uint32_t(state.range(0)), state.range(1) != 0);
    if (!Prepare(scene, state))
        return;
    for (auto _ : state)
        scene.DrawPlain();
}

// Both in each iteration; the counter is render-pass time over plain GL time.
void TerrainDrawRatio(benchmark::State& state)
{
    Scene scene(uint32_t(state.range(0)), state.range(1) != 0);
    if (!Prepare(scene, state))
        return;
    TimeRatio(
        state, [&] { scene.DrawThroughRenderPass(); }, [&] { scene.DrawPlain(); });
}

#define TERRAIN_SIZES                                                                                        \
    ->Args({65, 1})->Args({129, 1})->Args({257, 1})->Args({65, 0})->Args({129, 0})->Args({257, 0})
BENCHMARK(TerrainDrawFrame) TERRAIN_SIZES->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PlainGLTerrainDrawFrame) TERRAIN_SIZES->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TerrainDrawRatio) TERRAIN_SIZES->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
