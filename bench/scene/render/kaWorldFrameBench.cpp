// A frame of the sample course through the world's render pass on the headless OpenGL device, beside the
// same meshes, read from the same model files, drawn by plain GL calls on the same context with the same
// camera. FrameRatio reports world-pass time over plain GL time.

#include "bench/support/HeadlessGL.h"
#include "bench/support/TimeRatio.h"
#include "engine/core/kaFileSystem.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/model/KM_GeoObject.h"
#include "engine/model/KM_Model.h"
#include "engine/model/KM_Stream.h"
#include "engine/model/kaModelManager.h"
#include "engine/render/ka3DAlphaSorter.h"
#include "engine/render/kaCamera.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaWorld.h"

#include "platform/gfx/GfxDevice.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace platform;

namespace
{

constexpr int kWidth = HeadlessGL::kWidth;
constexpr int kHeight = HeadlessGL::kHeight;

// One model's triangles in GL buffers, placed by its entity's world matrix.
struct PlainMesh
{
    GLuint vertices = 0;
    GLuint indices = 0;
    GLsizei indexCount = 0;
    Matrix world;
};

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
        m_World->LoadFile("Worlds/Sample Course.xml", true);
        m_World->InitializeEntities();
        kaCamera* camera = m_World->GetOwnCamera();
        camera->SetAspect(static_cast<float>(kWidth) / kHeight);
        camera->SetPosition(m_World->GetStartX(), 4.0f, m_World->GetStartZ());
        camera->SetRotationAngles(0.3f, 0.0f, 0.0f);
        camera->Rotate();
        camera->UpdateProjection();
        m_GL.Manager()->AddSceneObject(m_World.get(), false);
        // The plain side draws KMF meshes only: the scenery it cannot mirror (skinned models from
        // descriptors, billboards) is hidden from the world pass too, and so is the hidden start marker.
        for (kaEntity* entity : m_World->GetEntities())
        {
            auto* model = dynamic_cast<kaEntityModel*>(entity);
            if (!model || !model->IsVisible())
                continue;
            if (!_AddPlain(*model))
                model->SetVisible(false);
        }
        for (ka3DObject* item : m_World->GetAlphaSorter()->GetItems())
            item->SetVisible(false);
        m_Ready = m_Plain.size() == 4;
    }
    ~Frame()
    {
        for (const PlainMesh& mesh : m_Plain)
        {
            glDeleteBuffers(1, &mesh.vertices);
            glDeleteBuffers(1, &mesh.indices);
        }
        if (m_World)
            m_GL.Manager()->DetachSceneObject(m_World.get());
        m_World.reset();
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

    void DrawPlain()
    {
        const kaCamera* camera = m_World->GetOwnCamera();
        glDisable(GL_SCISSOR_TEST);
        glDepthMask(GL_TRUE);
        glClearColor(0.2f, 0.2f, 0.2f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glViewport(0, 0, kWidth, kHeight);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(camera->GetComputedProjection().Data());
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_NORMAL_ARRAY);
        for (const PlainMesh& mesh : m_Plain)
        {
            glMatrixMode(GL_MODELVIEW);
            glLoadMatrixf(camera->GetComputedView().Data());
            glMultMatrixf(mesh.world.Data());
            glBindBuffer(GL_ARRAY_BUFFER, mesh.vertices);
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.indices);
            glVertexPointer(3, GL_FLOAT, 24, nullptr);
            glNormalPointer(GL_FLOAT, 24, reinterpret_cast<const void*>(12));
            glDrawElements(GL_TRIANGLES, mesh.indexCount, GL_UNSIGNED_INT, nullptr);
        }
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisable(GL_LIGHTING);
        glEnable(GL_SCISSOR_TEST);
        glFinish();
    }

private:
    // False for a model it cannot read as one KMF file.
    bool _AddPlain(kaEntityModel& entity)
    {
        KM_Stream stream;
        if (!stream.Open(entity.GetModelFile().c_str(), KM_Stream::kBinary) || !stream.ReadHeader())
            return false;
        KM_Model model(entity.GetModelFile().c_str());
        if (!model.Read(&stream))
            return false;
        model.BuildRenderVertices();
        std::vector<float> vertices;
        std::vector<uint32_t> indices;
        for (int g = 0; g < model.GetGeoObjectCount(); ++g)
        {
            const KM_Mesh::RenderData& render = model.GetGeoObject(g)->m_Mesh.m_Render;
            const uint32_t first = static_cast<uint32_t>(vertices.size() / 6);
            for (uint32_t v = 0; v < render.vertexCount; ++v)
            {
                vertices.insert(vertices.end(), &render.positions[v * 3], &render.positions[v * 3] + 3);
                vertices.insert(vertices.end(), &render.normals[v * 3], &render.normals[v * 3] + 3);
            }
            for (uint32_t index : render.indices)
                indices.push_back(first + index);
        }
        PlainMesh mesh;
        entity.GetWorldMatrix(mesh.world);
        mesh.indexCount = static_cast<GLsizei>(indices.size());
        glGenBuffers(1, &mesh.vertices);
        glBindBuffer(GL_ARRAY_BUFFER, mesh.vertices);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(float)),
                     vertices.data(), GL_STATIC_DRAW);
        glGenBuffers(1, &mesh.indices);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.indices);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(uint32_t)),
                     indices.data(), GL_STATIC_DRAW);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        m_Plain.push_back(mesh);
        return true;
    }

    std::filesystem::path m_Previous;
    HeadlessGL m_GL;
    kaFileSystem m_Files;
    kaInitDataBase m_InitData;
    kaModelManager m_Models;
    std::unique_ptr<kaWorld> m_World;
    std::vector<PlainMesh> m_Plain;
    bool m_Ready = false;
};

void CourseFrame(benchmark::State& state)
{
    Frame frame;
    if (!frame.IsReady())
        return state.SkipWithError("no headless OpenGL device or no sample course");
    for (auto _ : state)
        frame.DrawWorld();
}
BENCHMARK(CourseFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void PlainGLCourseFrame(benchmark::State& state)
{
    Frame frame;
    if (!frame.IsReady())
        return state.SkipWithError("no headless OpenGL device or no sample course");
    for (auto _ : state)
        frame.DrawPlain();
}
BENCHMARK(PlainGLCourseFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// Both paths in each iteration; the counter is world-pass time over plain GL time.
void FrameRatio(benchmark::State& state)
{
    Frame frame;
    if (!frame.IsReady())
        return state.SkipWithError("no headless OpenGL device or no sample course");
    TimeRatio(
        state, [&] { frame.DrawWorld(); }, [&] { frame.DrawPlain(); });
}
BENCHMARK(FrameRatio)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
