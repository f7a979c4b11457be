// Textured triangles drawn through the OpenGL device beside the same triangles drawn by a plain GL loop
// on the same headless context, in one draw or in many small ones, and in many small ones that each change
// the texture and the world matrix (the "Switching" benchmarks). Before timing, each benchmark reads both
// frames back and refuses to run when they differ by more than 2/255: the two do the same work.
// DrawRatio and DrawSwitchingRatio report device time over plain GL time.

#include "bench/support/TimeRatio.h"
#include "platform/gfx/GLDirect3D.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxTexture.h"
#include "platform/gfx/GfxVertexBuffer.h"
#include "platform/gfx/math/Matrix.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace platform;

namespace
{

constexpr uint32_t kSize = 256;

struct Vertex
{
    float x, y, z;
    uint32_t color;
    float u, v;
};
constexpr uint32_t kFvf = FVF_XYZ | FVF_DIFFUSE | FVF_TEX1;

std::vector<Vertex> MakeTriangles(int count)
{
    std::vector<Vertex> vertices;
    vertices.reserve(static_cast<size_t>(count) * 3);
    for (int i = 0; i < count; ++i)
    {
        const float x = -1.0f + 2.0f * static_cast<float>(i % 32) / 32.0f;
        const float y = -1.0f + 2.0f * static_cast<float>((i / 32) % 32) / 32.0f;
        const float s = 0.06f;
        vertices.push_back({x, y + s, 0.5f, 0xFFFFFFFF, 0, 0});
        vertices.push_back({x + s, y + s, 0.5f, 0xFFFF8040, 1, 0});
        vertices.push_back({x, y, 0.5f, 0xFF4080FF, 0, 1});
    }
    return vertices;
}

// Where draw i moves its triangles: a small step right and down each, so every draw's matrix differs.
Matrix DrawWorld(int draw)
{
    Matrix world;
    world(3, 0) = 0.002f * static_cast<float>(draw % 16);
    world(3, 1) = -0.002f * static_cast<float>(draw % 8);
    return world;
}

// Texels of the texture a draw uses: a grey checker, or (the second) a blue-and-white one.
std::vector<uint32_t> CheckerTexels(bool second)
{
    std::vector<uint32_t> texels(64 * 64);
    for (size_t i = 0; i < texels.size(); ++i)
        texels[i] = ((i / 64 + i % 64) % 2) ? 0xFFFFFFFF : (second ? 0xFF4060E0 : 0xFF808080);
    return texels;
}

// A headless device with two textures and the triangles in a vertex buffer, and the same data in plain GL
// objects on the device's context.
class Scene
{
public:
    // The triangles are drawn in `draws` equal runs (a divisor of the count). When switching, each draw
    // takes the other texture and a world matrix of its own.
    Scene(int triangles, int draws, bool switching = false)
        : m_Triangles(triangles), m_Draws(draws), m_Switching(switching)
    {
        m_Direct3D = new GLDirect3D(true);
        PresentParameters parameters;
        parameters.BackBufferWidth = kSize;
        parameters.BackBufferHeight = kSize;
        parameters.BackBufferFormat = FMT_X8R8G8B8;
        parameters.Windowed = true;
        parameters.EnableAutoDepthStencil = true;
        parameters.AutoDepthStencilFormat = FMT_D24S8;
        m_Direct3D->CreateDevice(0, DEVTYPE_HAL, nullptr, CREATE_HARDWARE_VERTEXPROCESSING, &parameters,
                                 &m_Device);

        for (int t = 0; t < 2; ++t)
        {
            const std::vector<uint32_t> texels = CheckerTexels(t == 1);
            m_Device->CreateTexture(64, 64, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &m_Textures[t]);
            LockedRect locked;
            m_Textures[t]->LockRect(0, &locked, nullptr, 0);
            std::memcpy(locked.Bits, texels.data(), texels.size() * 4);
            m_Textures[t]->UnlockRect(0);
        }
        for (int draw = 0; draw < draws; ++draw)
            m_Worlds.push_back(DrawWorld(draw));

        const std::vector<Vertex> vertices = MakeTriangles(triangles);
        const uint32_t bytes = static_cast<uint32_t>(vertices.size() * sizeof(Vertex));
        m_Device->CreateVertexBuffer(bytes, USAGE_WRITEONLY, kFvf, POOL_MANAGED, &m_Buffer);
        void* data = nullptr;
        m_Buffer->Lock(0, 0, &data, 0);
        std::memcpy(data, vertices.data(), bytes);
        m_Buffer->Unlock();

        GLint framebuffer = 0;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
        m_Framebuffer = static_cast<GLuint>(framebuffer);
        glGenTextures(2, m_GLTextures);
        for (int t = 0; t < 2; ++t)
        {
            const std::vector<uint32_t> texels = CheckerTexels(t == 1);
            glBindTexture(GL_TEXTURE_2D, m_GLTextures[t]);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 64, 64, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        }
        glGenBuffers(1, &m_GLBuffer);
        glBindBuffer(GL_ARRAY_BUFFER, m_GLBuffer);
        glBufferData(GL_ARRAY_BUFFER, bytes, vertices.data(), GL_STATIC_DRAW);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }

    ~Scene()
    {
        glDeleteTextures(2, m_GLTextures);
        glDeleteBuffers(1, &m_GLBuffer);
        m_Buffer->Release();
        m_Textures[0]->Release();
        m_Textures[1]->Release();
        m_Device->Release();
        m_Direct3D->Release();
    }

    void DrawThroughDevice()
    {
        m_Device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        m_Device->BeginScene();
        m_Device->SetRenderState(RS_LIGHTING, 0);
        m_Device->SetRenderState(RS_CULLMODE, CULL_NONE);
        m_Device->SetSamplerState(0, SAMP_MINFILTER, TEXF_LINEAR);
        m_Device->SetSamplerState(0, SAMP_MAGFILTER, TEXF_LINEAR);
        const Matrix identity;
        m_Device->SetTransform(TS_WORLD, &identity);
        m_Device->SetTexture(0, m_Textures[0]);
        m_Device->SetFVF(kFvf);
        m_Device->SetStreamSource(0, m_Buffer, 0, sizeof(Vertex));
        const int run = m_Triangles / m_Draws;
        for (int draw = 0; draw < m_Draws; ++draw)
        {
            if (m_Switching)
            {
                m_Device->SetTexture(0, m_Textures[draw % 2]);
                m_Device->SetTransform(TS_WORLD, &m_Worlds[static_cast<size_t>(draw)]);
            }
            m_Device->DrawPrimitive(PT_TRIANGLELIST, static_cast<uint32_t>(draw * run * 3),
                                    static_cast<uint32_t>(run));
        }
        m_Device->EndScene();
        glFinish();
    }

    // The same frame in plain GL, on the device's own framebuffer and context.
    void DrawPlain()
    {
        glBindFramebuffer(GL_FRAMEBUFFER, m_Framebuffer);
        glDisable(GL_SCISSOR_TEST);
        glDepthMask(GL_TRUE);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glViewport(0, 0, kSize, kSize);
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_FOG);
        glDepthRange(0.0, 1.0);
        glEnable(GL_DEPTH_TEST);
        // A real projection, as the device always has one: depth 0..1 to -1..1 and D3D9's half pixel.
        const float projection[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2, 0, 1.0f / kSize, -1.0f / kSize, -1, 1};
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(projection);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glActiveTexture(GL_TEXTURE0);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, m_GLTextures[0]);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glDepthFunc(GL_LEQUAL);
        glBindBuffer(GL_ARRAY_BUFFER, m_GLBuffer);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glClientActiveTexture(GL_TEXTURE0);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glVertexPointer(3, GL_FLOAT, sizeof(Vertex), reinterpret_cast<const void*>(0));
        glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, sizeof(Vertex), reinterpret_cast<const void*>(12));
        glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), reinterpret_cast<const void*>(16));
        const int run = m_Triangles / m_Draws;
        for (int draw = 0; draw < m_Draws; ++draw)
        {
            if (m_Switching)
            {
                glBindTexture(GL_TEXTURE_2D, m_GLTextures[draw % 2]);
                glLoadMatrixf(m_Worlds[static_cast<size_t>(draw)].Data());
            }
            glDrawArrays(GL_TRIANGLES, draw * run * 3, run * 3);
        }
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glEnable(GL_SCISSOR_TEST);
        glFinish();
    }

    // Draws the frame both ways and reads each back; the largest difference of any channel.
    int CompareFrames()
    {
        std::vector<uint8_t> device(kSize * kSize * 4), plain(device.size());
        DrawThroughDevice();
        glReadPixels(0, 0, kSize, kSize, GL_BGRA, GL_UNSIGNED_BYTE, device.data());
        DrawPlain();
        glReadPixels(0, 0, kSize, kSize, GL_BGRA, GL_UNSIGNED_BYTE, plain.data());
        int largest = 0;
        for (size_t i = 0; i < device.size(); ++i)
            largest = std::max(largest, std::abs(int(device[i]) - int(plain[i])));
        return largest;
    }

private:
    int m_Triangles;
    int m_Draws;
    bool m_Switching;
    std::vector<Matrix> m_Worlds;
    GLuint m_Framebuffer = 0;
    GLDirect3D* m_Direct3D = nullptr;
    GfxDevice* m_Device = nullptr;
    GfxTexture* m_Textures[2] = {nullptr, nullptr};
    GfxVertexBuffer* m_Buffer = nullptr;
    GLuint m_GLTextures[2] = {0, 0};
    GLuint m_GLBuffer = 0;
};

// False, with the benchmark marked failed, when the two frames differ.
bool Prepare(Scene& scene, benchmark::State& state)
{
    const int difference = scene.CompareFrames();
    state.counters["pixel_difference"] = difference;
    if (difference > 2)
    {
        state.SkipWithError("the device and the plain GL frame differ");
        return false;
    }
    return true;
}

// Arguments: triangles, and the draws they are split into.
void DeviceTriangles(benchmark::State& state)
{
    Scene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    if (!Prepare(scene, state))
        return;
    for (auto _ : state)
        scene.DrawThroughDevice();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(DeviceTriangles)
    ->Args({1000, 1})
    ->Args({20000, 1})
    ->Args({2000, 1000})
    ->Unit(benchmark::kMicrosecond);

void PlainGLTriangles(benchmark::State& state)
{
    Scene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    if (!Prepare(scene, state))
        return;
    for (auto _ : state)
        scene.DrawPlain();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(PlainGLTriangles)
    ->Args({1000, 1})
    ->Args({20000, 1})
    ->Args({2000, 1000})
    ->Unit(benchmark::kMicrosecond);

// Both paths in each iteration; the counter is device time over plain GL time.
void DrawRatio(benchmark::State& state)
{
    Scene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    if (!Prepare(scene, state))
        return;
    double device = 0.0, plain = 0.0;
    for (auto _ : state)
    {
        const auto t0 = std::chrono::steady_clock::now();
        scene.DrawThroughDevice();
        const auto t1 = std::chrono::steady_clock::now();
        scene.DrawPlain();
        const auto t2 = std::chrono::steady_clock::now();
        device += std::chrono::duration<double>(t1 - t0).count();
        plain += std::chrono::duration<double>(t2 - t1).count();
    }
    state.counters["device_over_gl"] = plain > 0.0 ? device / plain : 0.0;
}
BENCHMARK(DrawRatio)->Args({1000, 1})->Args({20000, 1})->Args({2000, 1000})->Unit(benchmark::kMicrosecond);

// The 1,000 small draws again, each with the other texture and a world matrix of its own.
void DeviceTrianglesSwitching(benchmark::State& state)
{
    Scene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), true);
    if (!Prepare(scene, state))
        return;
    for (auto _ : state)
        scene.DrawThroughDevice();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(DeviceTrianglesSwitching)->Args({2000, 1000})->Unit(benchmark::kMicrosecond);

void PlainGLTrianglesSwitching(benchmark::State& state)
{
    Scene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), true);
    if (!Prepare(scene, state))
        return;
    for (auto _ : state)
        scene.DrawPlain();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(PlainGLTrianglesSwitching)->Args({2000, 1000})->Unit(benchmark::kMicrosecond);

// Both paths in each iteration; the counter is device time over plain GL time.
void DrawSwitchingRatio(benchmark::State& state)
{
    Scene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), true);
    if (!Prepare(scene, state))
        return;
    TimeRatio(
        state, [&] { scene.DrawThroughDevice(); }, [&] { scene.DrawPlain(); });
}
BENCHMARK(DrawSwitchingRatio)->Args({2000, 1000})->Unit(benchmark::kMicrosecond);

} // namespace
