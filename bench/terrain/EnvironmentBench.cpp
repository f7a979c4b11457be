// A frame of the sky box, a cloud plane, the sun with two flare layers and the water (effect path) through
// the graphics manager's render pass on the headless OpenGL device, beside plain GL drawing the same
// number of textured triangles in the same number of draws on the same context. EnvironmentRatio reports
// environment frame time over plain GL time.

#include "bench/support/HeadlessGL.h"
#include "bench/support/TimeRatio.h"
#include "engine/core/kaColor.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/kaEntityWaterPlane.h"
#include "engine/terrain/kaSkyBox.h"
#include "engine/terrain/kaSun.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/math/Matrix.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace platform;

namespace
{

constexpr uint32_t kWidth = HeadlessGL::kWidth;
constexpr uint32_t kHeight = HeadlessGL::kHeight;
// Sky faces, cloud plane, disc, two flare layers, water: draws and their triangles.
constexpr int kDraws = 10;
constexpr int kTriangles[kDraws] = {2, 2, 2, 2, 2, 6, 2, 2, 2, 32};

class EnvironmentPass : public ka3DObject
{
public:
    explicit EnvironmentPass(kaWorld& world) : m_World(world) {}
    void Render(uint32_t) override
    {
        m_World.GetSkyBox()->Render();
        m_World.GetSun()->Render();
        m_World.GetSkyBox()->RenderCloudPlanes();
        m_World.GetWaterPlane()->Render();
        m_World.GetSun()->RenderLensFlare();
    }

private:
    kaWorld& m_World;
};

class Scene
{
public:
    Scene()
    {
        if (chdir(TARVOLIN_CONTENT) != 0)
            return;
        m_GL.Start("EnvironmentBench");
        m_World = std::make_unique<kaWorld>();
        m_Pass = std::make_unique<EnvironmentPass>(*m_World);
        m_GL.Manager()->AddSceneObject(m_Pass.get(), false);

        auto* sky = new kaSkyBox;
        const std::string folderName = "resources/worlds/skybox/";
        sky->Build(folderName + "sky_left.dds", folderName + "sky_right.dds", folderName + "sky_forward.dds",
                   folderName + "sky_back.dds", folderName + "sky_top.dds");
        sky->AddCloudPlane(folderName + "clouds.dds", 90.0f, 0.5f);
        m_World->SetSkyBox(sky);
        auto* sun = new kaSun;
        m_World->SetSun(sun);
        sun->Initialize(0.25f, 0.45f, "resources/worlds/billboards/sun.dds", 0.5f, kaColor(), kaColor());
        sun->AddFlareLayer("resources/worlds/billboards/flare_glow.dds", 2.0f, 1.5f);
        sun->AddFlareLayer("resources/worlds/billboards/flare_ring.dds", -1.0f, 1.5f);
        auto* water = new kaEntityWaterPlane;
        water->SetEffectFile(kaEntityWaterPlane::kEffectFile);
        m_World->SetWaterPlane(water);
        water->Build(1024.0f, 1024.0f);

        Matrix view;
        Matrix projection;
        const Vector3 eye(512.0f, 150.0f, 100.0f), at(1000.0f, 60.0f, 400.0f), up(0.0f, 1.0f, 0.0f);
        MatrixLookAtLH(&view, &eye, &at, &up);
        MatrixPerspectiveFovLH(&projection, 1.0f, float(kWidth) / float(kHeight), 1.0f, 5000.0f);
        m_GL.Manager()->GetDevice()->SetTransform(TS_VIEW, &view);
        m_GL.Manager()->GetDevice()->SetTransform(TS_PROJECTION, &projection);
        m_GL.Manager()->UpdateFrustum();
        _BuildPlain();
        m_Ready = water->GetLevelInUse() == 1;
    }

    ~Scene()
    {
        glDeleteBuffers(1, &m_GLBuffer);
        glDeleteTextures(1, &m_GLTexture);
        if (m_GL.Manager())
            m_GL.Manager()->DetachSceneObject(m_Pass.get());
        m_World.reset();
        m_GL.Stop();
    }

    bool IsReady() const { return m_Ready; }

    void DrawEnvironment()
    {
        m_World->GetSkyBox()->Update(0.016f);
        m_World->GetSun()->Update(0.016f);
        m_World->GetWaterPlane()->Update(0.016f);
        m_GL.Manager()->Render(false, false);
        glFinish();
    }

    // The same triangles in the same number of textured draws, in plain GL.
    void DrawPlain()
    {
        glDisable(GL_SCISSOR_TEST);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glViewport(0, 0, kWidth, kHeight);
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, m_GLTexture);
        glBindBuffer(GL_ARRAY_BUFFER, m_GLBuffer);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glVertexPointer(3, GL_FLOAT, 5 * sizeof(float), reinterpret_cast<const void*>(0));
        glTexCoordPointer(2, GL_FLOAT, 5 * sizeof(float), reinterpret_cast<const void*>(3 * sizeof(float)));
        int first = 0;
        for (int draw = 0; draw < kDraws; ++draw)
        {
            glDrawArrays(GL_TRIANGLES, first, kTriangles[draw] * 3);
            first += kTriangles[draw] * 3;
        }
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glEnable(GL_SCISSOR_TEST);
        glFinish();
    }

private:
    void _BuildPlain()
    {
        std::vector<float> vertices;
        for (int draw = 0; draw < kDraws; ++draw)
            for (int t = 0; t < kTriangles[draw]; ++t)
            {
                const float x = -1.0f + 0.2f * draw, y = -1.0f + 0.06f * t;
                const float corners[3][5] = {
                    {x, y, 0.5f, 0, 0}, {x + 0.5f, y, 0.5f, 1, 0}, {x, y + 0.5f, 0.5f, 0, 1}};
                for (const auto& corner : corners)
                    vertices.insert(vertices.end(), corner, corner + 5);
            }
        std::vector<uint32_t> texels(64 * 64, 0xC080A0FF);
        glGenTextures(1, &m_GLTexture);
        glBindTexture(GL_TEXTURE_2D, m_GLTexture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 64, 64, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glGenBuffers(1, &m_GLBuffer);
        glBindBuffer(GL_ARRAY_BUFFER, m_GLBuffer);
        glBufferData(GL_ARRAY_BUFFER, vertices.size() * sizeof(float), vertices.data(), GL_STATIC_DRAW);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }

    HeadlessGL m_GL;
    std::unique_ptr<kaWorld> m_World;
    std::unique_ptr<EnvironmentPass> m_Pass;
    GLuint m_GLTexture = 0;
    GLuint m_GLBuffer = 0;
    bool m_Ready = false;
};

void EnvironmentFrame(benchmark::State& state)
{
    Scene scene;
    if (!scene.IsReady())
    {
        state.SkipWithError("no headless OpenGL device or no generated content");
        return;
    }
    for (auto _ : state)
        scene.DrawEnvironment();
}
BENCHMARK(EnvironmentFrame)->Unit(benchmark::kMicrosecond);

// Both paths in each iteration; the counter is environment frame time over plain GL time.
void EnvironmentRatio(benchmark::State& state)
{
    Scene scene;
    if (!scene.IsReady())
    {
        state.SkipWithError("no headless OpenGL device or no generated content");
        return;
    }
    TimeRatio(
        state, [&] { scene.DrawEnvironment(); }, [&] { scene.DrawPlain(); });
}
BENCHMARK(EnvironmentRatio)->Unit(benchmark::kMicrosecond);

} // namespace
