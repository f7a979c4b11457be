// A frame of the sample course, lit from above, through the world's render pass on the headless OpenGL
// device, beside the same subsets (their vertices and indices read back from the device buffers, their
// materials and texture levels copied) drawn by plain GL calls on the same context with the same camera and
// light. Before timing each benchmark reads both frames back and refuses to run when they differ by more
// than 2/255 anywhere. FrameRatio reports world-pass time over plain GL time.

#include "bench/support/HeadlessGL.h"
#include "bench/support/TimeRatio.h"
#include "engine/core/kaFileSystem.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/model/kaModelManager.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaMeshSubset.h"
#include "engine/model/kaModel.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaIndexBuffer.h"
#include "engine/render/kaLight.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaTexture.h"
#include "engine/render/kaVertexBuffer.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaWorld.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxIndexBuffer.h"
#include "platform/gfx/GfxTexture.h"
#include "platform/gfx/GfxVertexBuffer.h"

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

// One subset's triangles in GL buffers, with its material and texture, placed by its entity's world matrix.
struct PlainSubset
{
    GLuint vertices = 0;
    GLuint indices = 0;
    GLuint texture = 0;
    GLenum primitive = GL_TRIANGLES;
    GLsizei indexCount = 0;
    GLsizei stride = 0;
    // Byte offsets of the normal and the first texture coordinates in a vertex; -1 when absent.
    int normal = -1;
    int texCoord = -1;
    Material material;
    Matrix world;
};

// Texture filters as the device's sampler states name them.
GLint Filter(uint32_t filter, uint32_t mip)
{
    const bool linear = filter != TEXF_POINT;
    if (mip == TEXF_NONE)
        return linear ? GL_LINEAR : GL_NEAREST;
    if (mip == TEXF_POINT)
        return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
}

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
        // A light from above and behind the eye, so that the frame shows its materials and textures.
        m_GL.Manager()->SetAmbientColor(0.35f, 0.35f, 0.35f, 1.0f);
        m_Light = std::make_unique<kaLight>(3, 0.0f, 0.0f, 0.0f, 0.3f, -1.0f, 0.6f, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f,
                                            0.0f, 0.0f, 0.0f, 0.35f, 0.35f, 0.35f, 1.0f);
        m_GL.Manager()->AddSceneObject(m_World.get(), false);
        // One frame first, so that the device holds the frame's light, filters and clear colour.
        DrawWorld();
        _ReadFrameState();
        size_t models = 0;
        for (kaEntity* entity : m_World->GetEntities())
        {
            auto* model = dynamic_cast<kaEntityModel*>(entity);
            if (model && model->GetModel() && model->GetModel()->GetMesh())
                models += _AddPlain(*model) ? 1 : 0;
        }
        m_Ready = models == 4 && m_Usable;
    }
    ~Frame()
    {
        for (const PlainSubset& subset : m_Plain)
        {
            glDeleteBuffers(1, &subset.vertices);
            glDeleteBuffers(1, &subset.indices);
            glDeleteTextures(1, &subset.texture);
        }
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
        const kaCamera* camera = m_World->GetOwnCamera();
        glBindFramebuffer(GL_FRAMEBUFFER, m_Framebuffer);
        glDisable(GL_SCISSOR_TEST);
        glDepthMask(GL_TRUE);
        glClearColor(m_Clear[0], m_Clear[1], m_Clear[2], 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glViewport(0, 0, kWidth, kHeight);
        glDepthRange(0.0, 1.0);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_FOG);
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CW);
        glCullFace(GL_BACK);
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(m_Projection.Data());
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixf(camera->GetComputedView().Data());
        glEnable(GL_LIGHTING);
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, m_Ambient);
        glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 0);
        glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
        if (m_Normalize)
            glEnable(GL_NORMALIZE);
        else
            glDisable(GL_NORMALIZE);
        glEnable(GL_LIGHT0);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, m_LightDiffuse);
        glLightfv(GL_LIGHT0, GL_SPECULAR, m_LightSpecular);
        glLightfv(GL_LIGHT0, GL_AMBIENT, m_LightAmbient);
        glLightfv(GL_LIGHT0, GL_POSITION, m_LightTowards);
        glDisable(GL_COLOR_MATERIAL);
        glActiveTexture(GL_TEXTURE0);
        glClientActiveTexture(GL_TEXTURE0);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glEnableClientState(GL_VERTEX_ARRAY);
        for (const PlainSubset& subset : m_Plain)
        {
            glLoadMatrixf(camera->GetComputedView().Data());
            glMultMatrixf(subset.world.Data());
            const Material& m = subset.material;
            const float diffuse[4] = {m.Diffuse.r, m.Diffuse.g, m.Diffuse.b, m.Diffuse.a};
            const float ambient[4] = {m.Ambient.r, m.Ambient.g, m.Ambient.b, m.Ambient.a};
            const float emissive[4] = {m.Emissive.r, m.Emissive.g, m.Emissive.b, m.Emissive.a};
            const float specular[4] = {m_Specular ? m.Specular.r : 0.0f, m_Specular ? m.Specular.g : 0.0f,
                                       m_Specular ? m.Specular.b : 0.0f, m_Specular ? m.Specular.a : 0.0f};
            glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
            glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
            glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emissive);
            glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
            glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::min(128.0f, std::max(0.0f, m.Power)));
            if (subset.texture)
            {
                glEnable(GL_TEXTURE_2D);
                glBindTexture(GL_TEXTURE_2D, subset.texture);
            }
            else
            {
                glDisable(GL_TEXTURE_2D);
            }
            glBindBuffer(GL_ARRAY_BUFFER, subset.vertices);
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, subset.indices);
            glVertexPointer(3, GL_FLOAT, subset.stride, nullptr);
            if (subset.normal >= 0)
            {
                glEnableClientState(GL_NORMAL_ARRAY);
                glNormalPointer(GL_FLOAT, subset.stride, reinterpret_cast<const void*>(intptr_t(subset.normal)));
            }
            else
            {
                glDisableClientState(GL_NORMAL_ARRAY);
            }
            if (subset.texCoord >= 0)
            {
                glEnableClientState(GL_TEXTURE_COORD_ARRAY);
                glTexCoordPointer(2, GL_FLOAT, subset.stride,
                                  reinterpret_cast<const void*>(intptr_t(subset.texCoord)));
            }
            else
            {
                glDisableClientState(GL_TEXTURE_COORD_ARRAY);
            }
            glDrawElements(subset.primitive, subset.indexCount, GL_UNSIGNED_SHORT, nullptr);
        }
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_LIGHTING);
        glEnable(GL_SCISSOR_TEST);
        // Presented as the world pass presents its frame.
        m_GL.Manager()->GetDevice()->Present();
        glFinish();
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
    // What the plain frame takes from the device after the world's first frame: the framebuffer, clear
    // colour, projection (with GL's depth range and D3D9's half pixel), light, ambient and filters.
    void _ReadFrameState()
    {
        GfxDevice* device = m_GL.Manager()->GetDevice();
        GLint framebuffer = 0;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
        m_Framebuffer = static_cast<GLuint>(framebuffer);
        FrameCapture frame;
        if (GfxFailed(device->CaptureFrame(&frame)) || frame.Rows.size() < 3)
            return;
        // The top left corner shows the clear colour: the camera looks down onto the course.
        const size_t topLeft = 0;
        m_Clear[0] = frame.Rows[topLeft + 2] / 255.0f;
        m_Clear[1] = frame.Rows[topLeft + 1] / 255.0f;
        m_Clear[2] = frame.Rows[topLeft] / 255.0f;
        Matrix projection;
        device->GetTransform(TS_PROJECTION, &projection);
        Matrix remap;
        remap(2, 2) = 2.0f;
        remap(3, 2) = -1.0f;
        remap(3, 0) = 1.0f / kWidth;
        remap(3, 1) = -1.0f / kHeight;
        m_Projection = projection * remap;

        Light light;
        bool enabled = false;
        if (GfxFailed(device->GetLight(0, &light)) || GfxFailed(device->GetLightEnable(0, &enabled)) || !enabled ||
            light.Type != LIGHT_DIRECTIONAL)
            return;
        const ColorValue* colours[3] = {&light.Diffuse, &light.Specular, &light.Ambient};
        float* targets[3] = {m_LightDiffuse, m_LightSpecular, m_LightAmbient};
        for (int i = 0; i < 3; ++i)
        {
            targets[i][0] = colours[i]->r;
            targets[i][1] = colours[i]->g;
            targets[i][2] = colours[i]->b;
            targets[i][3] = colours[i]->a;
        }
        // GL takes the direction towards the light, in world space under the view.
        m_LightTowards[0] = -light.Direction.x;
        m_LightTowards[1] = -light.Direction.y;
        m_LightTowards[2] = -light.Direction.z;
        uint32_t ambient = 0, specular = 0, normalize = 0;
        device->GetRenderState(RS_AMBIENT, &ambient);
        device->GetRenderState(RS_SPECULARENABLE, &specular);
        device->GetRenderState(RS_NORMALIZENORMALS, &normalize);
        m_Ambient[0] = ((ambient >> 16) & 0xFF) / 255.0f;
        m_Ambient[1] = ((ambient >> 8) & 0xFF) / 255.0f;
        m_Ambient[2] = (ambient & 0xFF) / 255.0f;
        m_Ambient[3] = ((ambient >> 24) & 0xFF) / 255.0f;
        m_Specular = specular != 0;
        m_Normalize = normalize != 0;
        device->GetSamplerState(0, SAMP_MINFILTER, &m_MinFilter);
        device->GetSamplerState(0, SAMP_MAGFILTER, &m_MagFilter);
        device->GetSamplerState(0, SAMP_MIPFILTER, &m_MipFilter);
        m_Usable = true;
    }

    // Every subset of the entity's mesh copied into plain GL objects; false when one could not be.
    bool _AddPlain(kaEntityModel& entity)
    {
        kaGraphicsManager& manager = *m_GL.Manager();
        kaMesh* mesh = entity.GetModel()->GetMesh();
        Matrix world;
        entity.GetWorldMatrix(world);
        for (uint32_t i = 0; i < mesh->GetSubsetCount(); ++i)
        {
            const kaMeshSubset* source = mesh->GetSubset(i);
            const kaRenderState* state = source->GetRenderState();
            kaVertexBuffer* vertices = manager.GetVertexBuffer(source->m_VertexBuffer);
            kaIndexBuffer* indices = manager.GetIndexBuffer(source->m_IndexBuffer);
            if (!state || !vertices || !indices || state->m_AlphaBlend || source->m_PrimitiveCount == 0)
                return false;
            PlainSubset subset;
            subset.world = world;
            subset.material = state->GetMaterial();
            const uint32_t fvf = vertices->GetFVF();
            subset.stride = static_cast<GLsizei>(vertices->GetStride());
            int offset = 12;
            if (fvf & FVF_NORMAL)
            {
                subset.normal = offset;
                offset += 12;
            }
            offset += (fvf & FVF_DIFFUSE) ? 4 : 0;
            offset += (fvf & FVF_SPECULAR) ? 4 : 0;
            if (((fvf & FVF_TEXCOUNT_MASK) >> FVF_TEXCOUNT_SHIFT) > 0)
                subset.texCoord = offset;
            if ((fvf & FVF_POSITION_MASK) != FVF_XYZ)
                return false;

            // The subset's vertices from its base on, and its indices, read back from the device buffers.
            const uint32_t base = manager.GetVertexBufferStart(source->m_VertexBuffer);
            const uint32_t vertexBytes = (source->m_FirstVertex + source->m_VertexCount) * subset.stride;
            const bool strip = source->GetPrimitiveType() == PT_TRIANGLESTRIP;
            subset.primitive = strip ? GL_TRIANGLE_STRIP : GL_TRIANGLES;
            subset.indexCount = static_cast<GLsizei>(strip ? source->m_PrimitiveCount + 2 : source->m_PrimitiveCount * 3);
            const uint32_t first = manager.GetIndexBufferStart(source->m_IndexBuffer);
            void* vertexData = nullptr;
            void* indexData = nullptr;
            if (GfxFailed(vertices->GetD3DBuffer()->Lock(base * subset.stride, vertexBytes, &vertexData, LOCK_READONLY)))
                return false;
            glGenBuffers(1, &subset.vertices);
            glBindBuffer(GL_ARRAY_BUFFER, subset.vertices);
            glBufferData(GL_ARRAY_BUFFER, vertexBytes, vertexData, GL_STATIC_DRAW);
            vertices->GetD3DBuffer()->Unlock();
            if (GfxFailed(indices->GetD3DBuffer()->Lock(first * 2, subset.indexCount * 2, &indexData, LOCK_READONLY)))
                return false;
            glGenBuffers(1, &subset.indices);
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, subset.indices);
            glBufferData(GL_ELEMENT_ARRAY_BUFFER, subset.indexCount * 2, indexData, GL_STATIC_DRAW);
            indices->GetD3DBuffer()->Unlock();
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
            glBindBuffer(GL_ARRAY_BUFFER, 0);

            if (kaTexture* texture = state->GetTexture(0))
            {
                subset.texture = _CopyTexture(*texture);
                if (!subset.texture)
                    return false;
            }
            m_Plain.push_back(subset);
        }
        return true;
    }

    // The texture's levels read back into a GL texture of the same texels; 0 for a format not copied here.
    GLuint _CopyTexture(kaTexture& texture)
    {
        GfxTexture* device = texture.GetTexture();
        const uint32_t format = device ? device->GetFormat() : 0;
        if (format != FMT_A8R8G8B8 && format != FMT_X8R8G8B8)
            return 0;
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        const uint32_t levels = device->GetLevelCount();
        for (uint32_t level = 0; level < levels; ++level)
        {
            SurfaceDesc desc;
            LockedRect locked;
            if (GfxFailed(device->GetLevelDesc(level, &desc)) ||
                GfxFailed(device->LockRect(level, &locked, nullptr, LOCK_READONLY)))
                break;
            // Locking may bind the device's own texture: ours is bound again for each level.
            glBindTexture(GL_TEXTURE_2D, name);
            glPixelStorei(GL_UNPACK_ROW_LENGTH, locked.Pitch / 4);
            glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), format == FMT_A8R8G8B8 ? GL_RGBA8 : GL_RGB8,
                         static_cast<GLsizei>(desc.Width), static_cast<GLsizei>(desc.Height), 0, GL_BGRA,
                         GL_UNSIGNED_BYTE, locked.Bits);
            device->UnlockRect(level);
        }
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, Filter(m_MinFilter, levels > 1 ? m_MipFilter : TEXF_NONE));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, m_MagFilter == TEXF_POINT ? GL_NEAREST : GL_LINEAR);
        glBindTexture(GL_TEXTURE_2D, 0);
        return name;
    }

    std::filesystem::path m_Previous;
    HeadlessGL m_GL;
    kaFileSystem m_Files;
    kaInitDataBase m_InitData;
    kaModelManager m_Models;
    std::unique_ptr<kaWorld> m_World;
    std::unique_ptr<kaLight> m_Light;
    std::vector<PlainSubset> m_Plain;
    GLuint m_Framebuffer = 0;
    float m_Clear[3] = {0, 0, 0};
    Matrix m_Projection;
    float m_Ambient[4] = {0, 0, 0, 1};
    float m_LightDiffuse[4] = {0, 0, 0, 1};
    float m_LightSpecular[4] = {0, 0, 0, 1};
    float m_LightAmbient[4] = {0, 0, 0, 1};
    float m_LightTowards[4] = {0, 0, 0, 0};
    bool m_Specular = false;
    bool m_Normalize = false;
    uint32_t m_MinFilter = TEXF_LINEAR;
    uint32_t m_MagFilter = TEXF_LINEAR;
    uint32_t m_MipFilter = TEXF_NONE;
    bool m_Usable = false;
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
