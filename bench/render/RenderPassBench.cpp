// A frame of 1,000 billboards and 10,000 debug lines through the graphics manager's whole render pass on
// the headless OpenGL device, beside the same geometry drawn by plain GL calls on the same context.
// With a moving camera the plain side too turns every quad to face the camera and uploads them all each
// frame. Both frames are presented, and before timing each benchmark reads both back (with the camera
// still, and turned when it moves) and refuses to run when they differ by more than 2/255 anywhere: the
// two must do the same work.
// FrameRatio reports render-pass time over plain GL time; RenderPassFrame reports frames per second.

#include "bench/support/HeadlessGL.h"
#include "bench/support/TimeRatio.h"
#include "engine/core/kaApp.h"
#include "engine/model/kaBillboard.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaTGAImage.h"
#include "engine/render/kaVertexTypes.h"
#include "engine/render/kaWorldBase.h"

#include "platform/gfx/GfxDevice.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace platform;

namespace
{

constexpr int kBillboards = 1000;
constexpr int kLines = 10000;
constexpr uint32_t kWidth = HeadlessGL::kWidth;
constexpr uint32_t kHeight = HeadlessGL::kHeight;

// Where billboard i stands: a 40 x 25 grid in front of the camera.
Vector3 BillboardPosition(int i)
{
    return Vector3(-10.0f + 0.5f * static_cast<float>(i % 40), -6.0f + 0.5f * static_cast<float>(i / 40),
                   5.0f + 0.01f * static_cast<float>(i % 7));
}

constexpr uint32_t kTextureSize = 64;

// A round glow: opaque white in the middle fading to clear at the edge, four bytes a texel (B, G, R, A).
std::vector<uint8_t> MakeTexels()
{
    std::vector<uint8_t> texels(kTextureSize * kTextureSize * 4);
    for (uint32_t y = 0; y < kTextureSize; ++y)
        for (uint32_t x = 0; x < kTextureSize; ++x)
        {
            const float dx = (static_cast<float>(x) + 0.5f) / kTextureSize * 2.0f - 1.0f;
            const float dy = (static_cast<float>(y) + 0.5f) / kTextureSize * 2.0f - 1.0f;
            const float fade = std::max(0.0f, 1.0f - (dx * dx + dy * dy));
            uint8_t* texel = &texels[(y * kTextureSize + x) * 4];
            texel[0] = texel[1] = texel[2] = 0xFF;
            texel[3] = static_cast<uint8_t>(fade * 255.0f);
        }
    return texels;
}

std::vector<VERTEX_WORLDPOS_DIFFUSE> MakeLines()
{
    std::vector<VERTEX_WORLDPOS_DIFFUSE> vertices;
    vertices.reserve(kLines * 2);
    for (int i = 0; i < kLines; ++i)
    {
        const float x = -12.0f + 24.0f * static_cast<float>(i % 100) / 100.0f;
        const float y = -9.0f + 18.0f * static_cast<float>(i / 100) / 100.0f;
        vertices.push_back({x, y, 6.0f, 0xFF20FF40});
        vertices.push_back({x + 0.2f, y + 0.1f, 6.0f, 0xFF20FF40});
    }
    return vertices;
}

// The graphics manager started headless on a scripted window, its current world seen through a camera,
// with the billboards as roots; and the same quads and lines in plain GL objects on the device's context.
class Scene
{
public:
    Scene()
    {
        m_GL.Start("RenderBench");

        m_Camera = new kaCamera;
        m_Camera->SetPosition(0.0f, 0.0f, -10.0f);
        m_Camera->SetRotationAngles(0.0f, 0.0f, 0.0f);
        m_Camera->SetAspect(static_cast<float>(kWidth) / kHeight);
        m_Camera->UpdateProjection();
        m_GL.Manager()->AddSceneObject(m_Camera, false);
        m_World.SetCamera(m_Camera);
        m_App.SetCurrentWorld(&m_World);
        g_ApplicationRunning = 1;
        m_GL.Manager()->UpdateSceneObjects(0.0f);
        m_GL.Manager()->SetCamera(m_Camera);

        // One glow texture that every billboard shares.
        m_Texels = MakeTexels();
        m_TextureFile = m_GL.Folder() + "/glow.tga";
        kaTGAImage image;
        image.Create(kTextureSize, kTextureSize, 32, 8, m_Texels.data());
        image.Save(m_TextureFile, false);

        for (int i = 0; i < kBillboards; ++i)
        {
            auto* billboard = new kaBillboard;
            m_GL.Manager()->AddSceneObject(billboard, false);
            billboard->SetTexture(m_TextureFile);
            billboard->SetSize(0.4f, 0.4f);
            billboard->SetColor(kaColor::kaColorClamped(1.0f, 0.8f, 0.2f, 0.8f));
            billboard->SetTexCoords(0.0f, 0.0f, 1.0f, 1.0f);
            const Vector3 p = BillboardPosition(i);
            billboard->SetPosition(p.x, p.y, p.z);
            if (i == 0)
                m_First = billboard;
        }
        m_Lines = MakeLines();
        _BuildPlainObjects();
    }

    ~Scene()
    {
        glDeleteBuffers(1, &m_QuadBuffer);
        glDeleteBuffers(1, &m_QuadIndices);
        glDeleteTextures(1, &m_GLTexture);
        m_App.SetCurrentWorld(nullptr);
        // The folder goes with the manager and must be empty by then.
        std::remove(m_TextureFile.c_str());
        m_GL.Stop();
        g_ApplicationRunning = 0;
    }

    bool IsReady() const
    {
        return m_GL.Manager() && m_GL.Manager()->GetDevice() && m_First && m_First->GetMesh() &&
               m_First->GetRenderState()->GetTexture(0);
    }

    // One frame as the game draws it; a moving camera makes every billboard face it anew.
    void DrawThroughRenderPass(bool moving)
    {
        if (moving)
        {
            m_Angle = m_Angle > 0.0f ? -0.01f : 0.01f;
            m_Camera->SetRotationAngles(0.0f, m_Angle, 0.0f);
        }
        m_GL.Manager()->UpdateSceneObjects(0.016f);
        m_GL.Manager()->SetCamera(m_Camera);
        m_GL.Manager()->QueueDebugPrimitive(m_Lines, true);
        m_GL.Manager()->Render(true, false);
        glFinish();
    }

    // The same quads, one indexed draw each as the render pass makes them, and the same lines, in plain GL;
    // every state the frame relies on is set here, so it draws the same alone or after the render pass.
    // Moving, the quads are turned to face the camera where it now looks and uploaded again.
    void DrawPlain(bool moving = false)
    {
        if (moving)
            _FaceCamera();
        else if (m_QuadsTurned)
            _FaceFront();
        glBindFramebuffer(GL_FRAMEBUFFER, m_Framebuffer);
        glDisable(GL_SCISSOR_TEST);
        glDepthMask(GL_TRUE);
        glClearColor(0.2f, 0.2f, 0.2f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glViewport(0, 0, kWidth, kHeight);
        glDisable(GL_LIGHTING);
        // The device's front faces are clockwise.
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CW);
        glCullFace(GL_BACK);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glDepthRange(0.0, 1.0);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glBlendEquation(GL_FUNC_ADD);
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_FOG);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glActiveTexture(GL_TEXTURE0);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, m_GLTexture);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(m_Projection.Data());
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixf(moving ? m_TurnedView.Data() : m_View.Data());

        glBindBuffer(GL_ARRAY_BUFFER, m_QuadBuffer);
        if (moving || m_QuadsTurned)
            glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(m_Quads.size() * sizeof(m_Quads[0])),
                            m_Quads.data());
        m_QuadsTurned = moving;
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_QuadIndices);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        const GLsizei stride = sizeof(kaBillboard::Vertex);
        for (int i = 0; i < kBillboards; ++i)
        {
            const size_t base = static_cast<size_t>(i) * 4 * stride;
            glVertexPointer(3, GL_FLOAT, stride, reinterpret_cast<const void*>(base));
            glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, reinterpret_cast<const void*>(base + 12));
            glTexCoordPointer(2, GL_FLOAT, stride, reinterpret_cast<const void*>(base + 16));
            glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, nullptr);
        }
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisable(GL_TEXTURE_2D);

        glDepthMask(GL_FALSE);
        const GLsizei lineStride = sizeof(VERTEX_WORLDPOS_DIFFUSE);
        glVertexPointer(3, GL_FLOAT, lineStride, &m_Lines[0].x);
        glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, lineStride, &m_Lines[0].diffuse);
        glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(m_Lines.size()));
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        glEnable(GL_SCISSOR_TEST);
        // Presented as the render pass presents its frame.
        m_GL.Manager()->GetDevice()->Present();
        glFinish();
    }

    // Draws a frame both ways and compares the presented pixels; the largest difference of any channel,
    // or 256 when a frame could not be read.
    int CompareFrames(bool moving)
    {
        FrameCapture pass, plain;
        DrawThroughRenderPass(moving);
        if (GfxFailed(m_GL.Manager()->GetDevice()->CaptureFrame(&pass)))
            return 256;
        DrawPlain(moving);
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
    // Every quad's corners from the camera's present right and up axes, as a billboard builds its own.
    void _FaceCamera()
    {
        m_TurnedView = m_Camera->GetComputedView();
        const Matrix& view = m_TurnedView;
        const Vector3 right = Normalised(Vector3(view(0, 0), view(1, 0), view(2, 0)));
        const Vector3 up = Normalised(Vector3(view(0, 1), view(1, 1), view(2, 1)));
        m_Quads.clear();
        for (int i = 0; i < kBillboards; ++i)
            _AddQuad(BillboardPosition(i), right, up);
    }

    // The quads as the still camera sees them, square to its axes.
    void _FaceFront()
    {
        m_Quads.clear();
        for (int i = 0; i < kBillboards; ++i)
            _AddQuad(BillboardPosition(i), Vector3(1.0f, 0.0f, 0.0f), Vector3(0.0f, 1.0f, 0.0f));
    }

    void _AddQuad(const Vector3& centre, const Vector3& right, const Vector3& up)
    {
        const float xs[4] = {-0.2f, 0.2f, -0.2f, 0.2f};
        const float ys[4] = {-0.2f, -0.2f, 0.2f, 0.2f};
        for (int corner = 0; corner < 4; ++corner)
        {
            const Vector3 p = centre + right * xs[corner] + up * ys[corner];
            m_Quads.push_back(
                {p.x, p.y, p.z, 0xCCFFCC33u, static_cast<float>(corner & 1), corner < 2 ? 1.0f : 0.0f});
        }
    }

    static Vector3 Normalised(const Vector3& v)
    {
        const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
        return length > 0.0f ? Vector3(v.x / length, v.y / length, v.z / length) : v;
    }

    void _BuildPlainObjects()
    {
        m_GL.Manager()->GetDevice()->GetTransform(TS_VIEW, &m_View);
        m_GL.Manager()->GetDevice()->GetTransform(TS_PROJECTION, &m_Projection);
        // GL's depth runs -1..1 where the device's runs 0..1, and D3D9 puts pixel centres half a pixel in.
        Matrix remap;
        remap(2, 2) = 2.0f;
        remap(3, 2) = -1.0f;
        remap(3, 0) = 1.0f / kWidth;
        remap(3, 1) = -1.0f / kHeight;
        GLint framebuffer = 0;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
        m_Framebuffer = static_cast<GLuint>(framebuffer);
        m_Projection = m_Projection * remap;

        m_Quads.reserve(kBillboards * 4);
        _FaceFront();
        const uint16_t indices[6] = {0, 2, 1, 1, 2, 3};
        glGenBuffers(1, &m_QuadBuffer);
        glBindBuffer(GL_ARRAY_BUFFER, m_QuadBuffer);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(m_Quads.size() * sizeof(m_Quads[0])),
                     m_Quads.data(), GL_DYNAMIC_DRAW);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glGenBuffers(1, &m_QuadIndices);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_QuadIndices);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof(indices), indices, GL_STATIC_DRAW);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);

        glGenTextures(1, &m_GLTexture);
        glBindTexture(GL_TEXTURE_2D, m_GLTexture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kTextureSize, kTextureSize, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                     m_Texels.data());
        glBindTexture(GL_TEXTURE_2D, 0);
    }

    HeadlessGL m_GL;
    kaApp m_App{"RenderBench", "RenderBench"};
    kaWorldBase m_World;
    kaCamera* m_Camera = nullptr;
    kaBillboard* m_First = nullptr;
    float m_Angle = 0.0f;
    std::vector<VERTEX_WORLDPOS_DIFFUSE> m_Lines;
    std::vector<kaBillboard::Vertex> m_Quads;
    bool m_QuadsTurned = false;
    Matrix m_View;
    Matrix m_TurnedView;
    Matrix m_Projection;
    GLuint m_Framebuffer = 0;
    GLuint m_QuadBuffer = 0;
    GLuint m_QuadIndices = 0;
    std::vector<uint8_t> m_Texels;
    std::string m_TextureFile;
    GLuint m_GLTexture = 0;
};

// False, with the benchmark marked failed, when there is no device or the two frames differ, still or
// (for a moving camera) turned.
bool Prepare(Scene& scene, benchmark::State& state, bool moving = false)
{
    if (!scene.IsReady())
    {
        state.SkipWithError("no headless OpenGL device");
        return false;
    }
    int difference = scene.CompareFrames(false);
    if (moving)
        difference = std::max(difference, scene.CompareFrames(true));
    state.counters["pixel_difference"] = difference;
    if (difference > 2)
    {
        state.SkipWithError("the render pass and the plain GL frame differ");
        return false;
    }
    return true;
}

// Argument 0: a still camera; 1: a camera that turns every frame, so every billboard is rebuilt.
void RenderPassFrame(benchmark::State& state)
{
    Scene scene;
    const bool moving = state.range(0) != 0;
    if (!Prepare(scene, state, moving))
        return;
    for (auto _ : state)
        scene.DrawThroughRenderPass(moving);
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(RenderPassFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The still frame in plain GL.
void PlainGLFrame(benchmark::State& state)
{
    Scene scene;
    const bool moving = state.range(0) != 0;
    if (!Prepare(scene, state, moving))
        return;
    for (auto _ : state)
        scene.DrawPlain(moving);
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(PlainGLFrame)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

// Both paths in each iteration; the counter is render-pass time over plain GL time. Argument as for
// RenderPassFrame: moving, both sides turn and upload every quad.
void FrameRatio(benchmark::State& state)
{
    Scene scene;
    const bool moving = state.range(0) != 0;
    if (!Prepare(scene, state, moving))
        return;
    TimeRatio(
        state, [&] { scene.DrawThroughRenderPass(moving); }, [&] { scene.DrawPlain(moving); });
}
BENCHMARK(FrameRatio)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
