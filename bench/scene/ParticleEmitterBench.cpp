// Twenty emitters of 500 live particles each, moved and drawn through the emitters' own Update and Render
// on the headless OpenGL device, beside the same particles moved in a plain array and drawn with plain GL
// calls on the same context, one indexed draw per emitter either way. Both frames are presented, and
// before timing each benchmark reads both back and refuses to run when they differ by more than 2/255
// anywhere: the two must do the same work. EmitterRatio reports emitter time over plain time.

#include "engine/core/kaApp.h"
#include "engine/render/ka3DObject.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaTGAImage.h"
#include "engine/render/kaVertexTypes.h"
#include "engine/scene/kaParticleEmitter.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/window/ScriptedWindowBackend.h"
#include "platform/window/Window.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <benchmark/benchmark.h>
#include <tinyxml.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace platform;

namespace
{

constexpr int kEmitters = 20;
constexpr int kParticles = 500;
constexpr float kStep = 0.016f;
constexpr uint32_t kWidth = 640;
constexpr uint32_t kHeight = 480;

const char* const kConfig = "[Begin Graphics Config]\n"
                            "FullScreen=0\n"
                            "FSDisplayWidth=640\n"
                            "FSDisplayHeight=480\n"
                            "BitsPerPixel=32\n"
                            "EnableDepthStencil=1\n"
                            "[End Graphics Config]\n";

// Long-lived, spread sideways, falling: every particle moves and fades each frame and none dies.
const char* const kEmitterXml = "<Entity><maxParticles>500</maxParticles><lifeTime>1000</lifeTime>"
                                "<emitRate>0</emitRate><startVelocityFor>2</startVelocityFor>"
                                "<startVelocityX>3</startVelocityX><startVelocityZ>3</startVelocityZ>"
                                "<scaleXStart>0.05</scaleXStart><scaleYStart>0.05</scaleYStart>"
                                "<colorStart><r>255</r><g>200</g><b>40</b><a>255</a></colorStart>"
                                "<colorEnd><r>255</r><g>0</g><b>0</b><a>0</a></colorEnd>";

class EmitterPass : public ka3DObject
{
public:
    void Render(uint32_t) override
    {
        for (auto& emitter : m_Emitters)
        {
            emitter->Update(kStep);
            emitter->Render();
        }
    }
    std::vector<std::unique_ptr<kaParticleEmitter>> m_Emitters;
};

struct PlainParticle
{
    Vector3 position;
    Vector3 velocity;
};

class Scene
{
public:
    Scene()
    {
        setenv("TARVOLIN_GFX_HEADLESS", "1", 1);
        WindowClass windowClass;
        windowClass.procedure = &DefWindowProc;
        windowClass.className = "ParticleBench";
        RegisterClass(windowClass);
        m_Window = CreateWindow(0, "ParticleBench", "Tarvolin", 0, 0, 0, kWidth, kHeight, nullptr, nullptr);
        char folder[] = "/tmp/tarvolin-bench-XXXXXX";
        m_Folder = mkdtemp(folder) ? folder : "/tmp";
        m_ConfigFile = m_Folder + "/Tarvolin.cfg";
        if (FILE* file = std::fopen(m_ConfigFile.c_str(), "w"))
        {
            std::fputs(kConfig, file);
            std::fclose(file);
        }
        m_Manager = std::make_unique<kaGraphicsManager>();
        m_Manager->Initialize(m_Window, m_ConfigFile.c_str(), nullptr, false);
        g_ApplicationRunning = 1;
        if (!m_Manager->GetDevice())
            return;

        // The plain frame clears to the same grey.
        m_Manager->SetClearColor(0xFF333333);
        const Vector3 eye(0.0f, 2.0f, -12.0f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
        MatrixLookAtLH(&m_View, &eye, &at, &up);
        MatrixPerspectiveFovLH(&m_Projection, 1.0f, static_cast<float>(kWidth) / kHeight, 0.5f, 100.0f);
        m_Manager->GetDevice()->SetTransform(TS_VIEW, &m_View);
        m_Manager->GetDevice()->SetTransform(TS_PROJECTION, &m_Projection);

        // White, so that the texture leaves the vertex colours as the plain untextured quads show them.
        m_TextureFile = m_Folder + "/white.tga";
        const std::vector<uint8_t> white(4 * 4 * 4, 0xFF);
        kaTGAImage image;
        image.Create(4, 4, 32, 8, white.data());
        image.Save(m_TextureFile, false);
        TiXmlDocument document;
        document.Parse((std::string(kEmitterXml) + "<texture>" + m_TextureFile + "</texture></Entity>").c_str());
        for (int e = 0; e < kEmitters; ++e)
        {
            auto emitter = std::make_unique<kaParticleEmitter>();
            emitter->ReadXml(document.RootElement());
            emitter->SetPosition(-8.0f + static_cast<float>(e) * 0.8f, 0.0f, 0.0f);
            emitter->SetEmitRate(1.0e6f);
            emitter->Update(0.001f);
            emitter->SetEmitRate(0.0f);
            for (int i = 0; i < emitter->GetLiveCount(); ++i)
                m_Plain.push_back({emitter->GetParticle(i).m_Position, emitter->GetParticle(i).m_Velocity});
            m_Pass.m_Emitters.push_back(std::move(emitter));
        }
        m_Manager->AddSceneObject(&m_Pass, false);
        _BuildPlainObjects();
    }

    ~Scene()
    {
        if (m_Manager && m_Manager->GetDevice())
            m_Manager->DetachSceneObject(&m_Pass);
        glDeleteBuffers(1, &m_Vertices);
        glDeleteBuffers(1, &m_Indices);
        m_Pass.m_Emitters.clear();
        m_Manager.reset();
        DestroyWindow(m_Window);
        std::remove(m_ConfigFile.c_str());
        std::remove(m_TextureFile.c_str());
        std::remove(m_Folder.c_str());
        g_ApplicationRunning = 0;
        unsetenv("TARVOLIN_GFX_HEADLESS");
    }

    bool IsReady() const
    {
        return m_Manager && m_Manager->GetDevice() && m_Plain.size() == size_t{kEmitters} * kParticles;
    }

    void DrawThroughEmitters()
    {
        m_Manager->Render(true, false);
        glFinish();
    }

    // The same motion and quads, written into one GL buffer and drawn one emitter at a time.
    void DrawPlain()
    {
        const Vector3 right(m_View(0, 0), m_View(1, 0), m_View(2, 0));
        const Vector3 up(m_View(0, 1), m_View(1, 1), m_View(2, 1));
        const Vector3 gravity(0.0f, -9.8f * kStep, 0.0f);
        for (size_t i = 0; i < m_Plain.size(); ++i)
        {
            PlainParticle& p = m_Plain[i];
            p.velocity += gravity;
            p.position += p.velocity * kStep;
            const Vector3 u = up * 0.05f, r = right * 0.05f;
            const Vector3 corners[4] = {p.position + u + r, p.position + r - u, p.position - r - u,
                                        p.position - r + u};
            for (int c = 0; c < 4; ++c)
                m_Quads[i * 4 + c] = {corners[c].x,
                                      corners[c].y,
                                      corners[c].z,
                                      0xFFFFC828u,
                                      {{{c < 2 ? 1.0f : 0.0f, (c == 1 || c == 2) ? 1.0f : 0.0f}}}};
        }
        // Every state the frame relies on is set here, so it draws the same alone or after the emitters.
        glBindFramebuffer(GL_FRAMEBUFFER, m_Framebuffer);
        glDisable(GL_SCISSOR_TEST);
        glDepthMask(GL_TRUE);
        glClearColor(0.2f, 0.2f, 0.2f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glViewport(0, 0, kWidth, kHeight);
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_FOG);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glDepthMask(GL_FALSE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glBlendEquation(GL_FUNC_ADD);
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(m_GLProjection.Data());
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixf(m_View.Data());
        glBindBuffer(GL_ARRAY_BUFFER, m_Vertices);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(m_Quads.size() * sizeof(m_Quads[0])),
                     m_Quads.data(), GL_STREAM_DRAW);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_Indices);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        const GLsizei stride = sizeof(VERTEX_WORLDPOS_DIFFUSE_UV);
        for (int e = 0; e < kEmitters; ++e)
        {
            const size_t base = static_cast<size_t>(e) * kParticles * 4 * stride;
            glVertexPointer(3, GL_FLOAT, stride, reinterpret_cast<const void*>(base));
            glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, reinterpret_cast<const void*>(base + 12));
            glTexCoordPointer(2, GL_FLOAT, stride, reinterpret_cast<const void*>(base + 16));
            glDrawElements(GL_TRIANGLES, kParticles * 6, GL_UNSIGNED_SHORT, nullptr);
        }
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glDepthMask(GL_TRUE);
        glEnable(GL_SCISSOR_TEST);
        // Presented as the render pass presents its frame.
        m_Manager->GetDevice()->Present();
        glFinish();
    }

    // Draws the next frames both ways and compares the presented pixels of the last; the largest
    // difference of any channel, or 256 when a frame could not be read. Both sides advance their particles
    // step for step.
    int CompareFrames()
    {
        // Half a second in, the particles have spread from their emitters.
        for (int frame = 0; frame < 30; ++frame)
        {
            DrawThroughEmitters();
            DrawPlain();
        }
        FrameCapture emitters, plain;
        DrawThroughEmitters();
        if (GfxFailed(m_Manager->GetDevice()->CaptureFrame(&emitters)))
            return 256;
        DrawPlain();
        if (GfxFailed(m_Manager->GetDevice()->CaptureFrame(&plain)))
            return 256;
        if (emitters.Rows.size() != plain.Rows.size() || emitters.Rows.empty())
            return 256;
        int largest = 0;
        for (size_t i = 0; i < emitters.Rows.size(); ++i)
            largest = std::max(largest, std::abs(int(emitters.Rows[i]) - int(plain.Rows[i])));
        return largest;
    }

    // How many channels of the last frame differ from the clear colour: the frame shows particles.
    size_t DrawnChannels()
    {
        FrameCapture frame;
        if (GfxFailed(m_Manager->GetDevice()->CaptureFrame(&frame)))
            return 0;
        return static_cast<size_t>(std::count_if(frame.Rows.begin(), frame.Rows.end(),
                                                 [](uint8_t value) { return value != 0x33; }));
    }

private:
    void _BuildPlainObjects()
    {
        // GL's depth runs -1..1 where the device's runs 0..1, and D3D9 puts pixel centres half a pixel in.
        Matrix remap;
        remap(2, 2) = 2.0f;
        remap(3, 2) = -1.0f;
        remap(3, 0) = 1.0f / kWidth;
        remap(3, 1) = -1.0f / kHeight;
        m_GLProjection = m_Projection * remap;
        GLint framebuffer = 0;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
        m_Framebuffer = static_cast<GLuint>(framebuffer);
        m_Quads.resize(m_Plain.size() * 4);
        std::vector<uint16_t> indices;
        indices.reserve(kParticles * 6);
        for (int k = 0; k < kParticles; ++k)
            for (const int corner : {0, 1, 2, 0, 2, 3})
                indices.push_back(static_cast<uint16_t>(4 * k + corner));
        glGenBuffers(1, &m_Vertices);
        glGenBuffers(1, &m_Indices);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_Indices);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(uint16_t)),
                     indices.data(), GL_STATIC_DRAW);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }

    ScriptedWindowBackend m_Backend;
    WindowHandle m_Window = nullptr;
    std::string m_Folder;
    std::string m_ConfigFile;
    std::string m_TextureFile;
    std::unique_ptr<kaGraphicsManager> m_Manager;
    kaApp m_App{"ParticleBench", "ParticleBench"};
    EmitterPass m_Pass;
    Matrix m_View;
    Matrix m_Projection;
    Matrix m_GLProjection;
    std::vector<PlainParticle> m_Plain;
    std::vector<VERTEX_WORLDPOS_DIFFUSE_UV> m_Quads;
    GLuint m_Vertices = 0;
    GLuint m_Indices = 0;
    GLuint m_Framebuffer = 0;
};

// False, with the benchmark marked failed, when there is no device or the two frames differ.
bool Prepare(Scene& scene, benchmark::State& state)
{
    if (!scene.IsReady())
    {
        state.SkipWithError("no headless OpenGL device");
        return false;
    }
    const int difference = scene.CompareFrames();
    state.counters["pixel_difference"] = difference;
    if (difference > 2 || scene.DrawnChannels() == 0)
    {
        state.SkipWithError("the emitters and the plain GL frame differ");
        return false;
    }
    return true;
}

void EmitterFrame(benchmark::State& state)
{
    Scene scene;
    if (!Prepare(scene, state))
        return;
    for (auto _ : state)
        scene.DrawThroughEmitters();
}
BENCHMARK(EmitterFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// Both paths in each iteration; the counter is emitter time over plain time.
void EmitterRatio(benchmark::State& state)
{
    Scene scene;
    if (!Prepare(scene, state))
        return;
    double emitters = 0.0;
    double plain = 0.0;
    for (auto _ : state)
    {
        const auto t0 = std::chrono::steady_clock::now();
        scene.DrawThroughEmitters();
        const auto t1 = std::chrono::steady_clock::now();
        scene.DrawPlain();
        const auto t2 = std::chrono::steady_clock::now();
        emitters += std::chrono::duration<double>(t1 - t0).count();
        plain += std::chrono::duration<double>(t2 - t1).count();
    }
    state.counters["ratio"] = plain > 0.0 ? emitters / plain : 0.0;
}
BENCHMARK(EmitterRatio)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
