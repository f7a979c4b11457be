// A frame of the sample course, lit from above, through the world's render pass on the headless OpenGL
// device, beside the same subsets (their vertices and indices read back from the device buffers, their
// materials and texture levels copied) drawn by plain GL calls on the same context with the same camera and
// light. Before timing each benchmark reads both frames back and refuses to run when they differ by more
// than 2/255 anywhere. FrameRatio reports world-pass time over plain GL time.

#include "bench/support/HeadlessGL.h"
#include "bench/support/PlainSubsets.h"
#include "bench/support/TimeRatio.h"
#include "engine/core/kaFileSystem.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaModelManager.h"
#include "engine/render/ka3DAlphaSorter.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaLight.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaWorld.h"

#include "platform/gfx/GfxDevice.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace platform;

namespace
{

constexpr int kWidth = HeadlessGL::kWidth;
constexpr int kHeight = HeadlessGL::kHeight;

class Frame
{
public:
    Frame() : m_Previous(std::filesystem::current_path())
    {
        std::filesystem::current_path(TARVOLIN_CONTENT);
        if (!m_GL.Start("CourseBench") || !m_GL.Manager()->GetDevice())
            return;
        m_InitData.LoadInitData("InitData");
        m_World = std::make_unique<kaWorld>();
        m_World->LoadFile("Worlds/Editor/Sample Course.xml", true);
        m_World->InitializeEntities();
        kaCamera* camera = m_World->GetOwnCamera();
        camera->SetAspect(static_cast<float>(kWidth) / kHeight);
        camera->SetPosition(m_World->GetStartX(), 4.0f, m_World->GetStartZ());
        camera->SetRotationAngles(0.3f, 0.0f, 0.0f);
        camera->Rotate();
        camera->UpdateProjection();
        // A light from above and behind the eye, so that the frame shows its materials and textures.
        m_GL.Manager()->SetAmbientColor(0.35f, 0.35f, 0.35f, 1.0f);
        m_Light = std::make_unique<kaLight>(3, 0.0f, 0.0f, 0.0f, 0.3f, -1.0f, 0.6f, 1.0f, 1.0f, 1.0f, 1.0f,
                                            0.0f, 0.0f, 0.0f, 0.0f, 0.35f, 0.35f, 0.35f, 1.0f);
        m_GL.Manager()->AddSceneObject(m_World.get(), false);
        // The plain side draws KMF meshes only: the scenery it cannot mirror (skinned models from
        // descriptors, billboards) is hidden from the world pass too.
        for (kaEntity* entity : m_World->GetEntities())
        {
            auto* model = dynamic_cast<kaEntityModel*>(entity);
            if (model && !_IsPlainMesh(*model))
                model->SetVisible(false);
        }
        for (ka3DObject* item : m_World->GetAlphaSorter()->GetItems())
            item->SetVisible(false);
        // One frame first, so that the device holds the frame's light, filters and clear colour.
        DrawWorld();
        FrameCapture first;
        if (GfxFailed(m_GL.Manager()->GetDevice()->CaptureFrame(&first)))
            return;
        m_Plain.ReadFrameState(*m_GL.Manager()->GetDevice(), first, kWidth, kHeight);
        size_t models = 0;
        for (kaEntity* entity : m_World->GetEntities())
        {
            auto* model = dynamic_cast<kaEntityModel*>(entity);
            if (!model || !model->IsVisible())
                continue;
            if (!_AddPlain(*model))
                return;
            ++models;
        }
        m_Ready = models >= 3;
    }
    ~Frame()
    {
        if (m_World)
            m_GL.Manager()->DetachSceneObject(m_World.get());
        m_World.reset();
        m_Light.reset();
        m_Models.DeleteAll();
        m_GL.Stop();
        std::filesystem::current_path(m_Previous);
    }
    bool IsReady() const { return m_Ready; }

    void DrawWorld()
    {
        m_GL.Manager()->Render(false, false);
        glFinish();
    }

    // The same subsets in plain GL: one draw each with its material and texture, lit by the same light.
    void DrawPlain()
    {
        m_Plain.Draw(*m_GL.Manager()->GetDevice(), m_World->GetOwnCamera()->GetComputedView());
    }

    // Draws the frame both ways and compares the presented pixels; the largest difference of any channel,
    // or 256 when a frame could not be read. The world pass follows a plain frame, as it does when timed.
    int CompareFrames()
    {
        FrameCapture world, plain;
        DrawPlain();
        DrawWorld();
        if (GfxFailed(m_GL.Manager()->GetDevice()->CaptureFrame(&world)))
            return 256;
        DrawPlain();
        if (GfxFailed(m_GL.Manager()->GetDevice()->CaptureFrame(&plain)))
            return 256;
        if (world.Rows.size() != plain.Rows.size() || world.Rows.empty())
            return 256;
        int largest = 0;
        for (size_t i = 0; i < world.Rows.size(); ++i)
            largest = std::max(largest, std::abs(int(world.Rows[i]) - int(plain.Rows[i])));
        return largest;
    }

private:
    static bool _IsPlainMesh(kaEntityModel& entity)
    {
        const std::string& file = entity.GetModelFile();
        const bool kmf = file.size() > 4 && (file.compare(file.size() - 4, 4, ".kmf") == 0 ||
                                             file.compare(file.size() - 4, 4, ".KMF") == 0);
        return kmf && entity.GetModel() && entity.GetModel()->GetMesh();
    }

    // Every subset of the entity's mesh copied into plain GL objects; false when one could not be.
    bool _AddPlain(kaEntityModel& entity)
    {
        kaMesh* mesh = entity.GetModel()->GetMesh();
        Matrix world;
        entity.GetWorldMatrix(world);
        for (uint32_t i = 0; i < mesh->GetSubsetCount(); ++i)
            if (!m_Plain.Add(*m_GL.Manager(), *mesh->GetSubset(i), world))
                return false;
        return true;
    }

    std::filesystem::path m_Previous;
    HeadlessGL m_GL;
    kaFileSystem m_Files;
    kaInitDataBase m_InitData;
    kaModelManager m_Models;
    std::unique_ptr<kaWorld> m_World;
    std::unique_ptr<kaLight> m_Light;
    PlainSubsets m_Plain;
    bool m_Ready = false;
};

// False, with the benchmark marked failed, when there is no course or the two frames differ.
bool Prepare(Frame& frame, benchmark::State& state)
{
    if (!frame.IsReady())
    {
        state.SkipWithError("no headless OpenGL device or no sample course");
        return false;
    }
    const int difference = frame.CompareFrames();
    state.counters["pixel_difference"] = difference;
    if (difference > 2)
    {
        state.SkipWithError("the world pass and the plain GL frame differ");
        return false;
    }
    return true;
}

void CourseFrame(benchmark::State& state)
{
    Frame frame;
    if (!Prepare(frame, state))
        return;
    for (auto _ : state)
        frame.DrawWorld();
}
BENCHMARK(CourseFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void PlainGLCourseFrame(benchmark::State& state)
{
    Frame frame;
    if (!Prepare(frame, state))
        return;
    for (auto _ : state)
        frame.DrawPlain();
}
BENCHMARK(PlainGLCourseFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// Both paths in each iteration; the counter is world-pass time over plain GL time.
void FrameRatio(benchmark::State& state)
{
    Frame frame;
    if (!Prepare(frame, state))
        return;
    TimeRatio(
        state, [&] { frame.DrawWorld(); }, [&] { frame.DrawPlain(); });
}
BENCHMARK(FrameRatio)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
