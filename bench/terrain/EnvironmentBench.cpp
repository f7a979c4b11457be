// A frame of the sky box, a cloud plane, the sun with two flare layers and the water (effect path) through
// the graphics manager's render pass on the headless OpenGL device, beside plain GL drawing the same
// vertices on the same context: the sky faces, sun, clouds and flares copied from the engine's buffers and
// textures, the clouds scrolled and sent again each frame, the water through the same shader program built
// from the same effect file with the same uniforms and textures. Before timing, both frames are read back
// and the benchmark refuses to run when they differ by more than 2/255 anywhere. EnvironmentRatio reports
// environment frame time over plain GL time.

#include "bench/support/HeadlessGL.h"
#include "bench/support/PlainSubsets.h"
#include "bench/support/TimeRatio.h"
#include "engine/core/kaColor.h"
#include "engine/model/kaBillboard.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaMeshSubset.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaTexture.h"
#include "engine/render/kaTextureStage.h"
#include "engine/render/kaVertexBuffer.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/kaCloudPlane.h"
#include "engine/terrain/kaEntityWaterPlane.h"
#include "engine/terrain/kaFlareLayer.h"
#include "engine/terrain/kaRotationOnlyBillboard.h"
#include "engine/terrain/kaRotationOnlyMesh.h"
#include "engine/terrain/kaSkyBox.h"
#include "engine/terrain/kaSun.h"

#include "platform/gfx/EffectFile.h"
#include "platform/gfx/GLTextureObject.h"
#include "platform/gfx/GfxBaseTexture.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxIndexBuffer.h"
#include "platform/gfx/GfxVertexBuffer.h"
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
#include <unistd.h>
#include <vector>

using namespace platform;

namespace
{

constexpr uint32_t kWidth = HeadlessGL::kWidth;
constexpr uint32_t kHeight = HeadlessGL::kHeight;
constexpr float kFrameSeconds = 0.016f;

// A subset's vertex bytes from its base on, read back from the device buffer; empty when they cannot be.
std::vector<uint8_t> ReadVertices(kaGraphicsManager& manager, const kaMeshSubset& subset, uint32_t stride)
{
    kaVertexBuffer* buffer = manager.GetVertexBuffer(subset.m_VertexBuffer);
    const uint32_t base = manager.GetVertexBufferStart(subset.m_VertexBuffer);
    const uint32_t bytes = (subset.m_FirstVertex + subset.m_VertexCount) * stride;
    void* data = nullptr;
    if (!buffer || GfxFailed(buffer->GetD3DBuffer()->Lock(base * stride, bytes, &data, LOCK_READONLY)))
        return {};
    std::vector<uint8_t> copy(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + bytes);
    buffer->GetD3DBuffer()->Unlock();
    return copy;
}

// The GL texture object behind an engine texture: the plain side samples the same texels.
GLuint GLNameOf(const kaTexture* texture, GLenum target)
{
    GfxBaseTexture* base = texture ? texture->GetBaseTexture() : nullptr;
    auto* source = dynamic_cast<GLTextureSource*>(base);
    if (!source || source->GLObject().Target() != target)
        return 0;
    return source->GLObject().Name();
}

GLuint CompileShader(GLenum kind, const std::string& text)
{
    const GLuint shader = glCreateShader(kind);
    const char* source = text.c_str();
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint compiled = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (!compiled)
    {
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// The water in plain GL: the grid's vertices and indices read back once, the program of the effect file's
// technique built here, its uniforms and two textures set at every draw as the effect sets them.
class PlainWater
{
public:
    ~PlainWater()
    {
        glDeleteBuffers(1, &m_Vertices);
        glDeleteBuffers(1, &m_Indices);
        if (m_Program)
            glDeleteProgram(m_Program);
    }

    bool Build(kaGraphicsManager& manager, const kaEntityWaterPlane& water, const Matrix& projection,
               const Vector3* eye)
    {
        const kaMesh* mesh = water.GetMesh();
        const kaMeshSubset* subset = mesh ? mesh->GetSubset(0) : nullptr;
        if (!subset || water.GetLevelInUse() < 1)
            return false;
        m_World = mesh->GetWorldMatrix();
        m_Projection = projection;
        // Position and normal, as the shader path's vertices are.
        constexpr uint32_t kStride = 24;
        const std::vector<uint8_t> vertices = ReadVertices(manager, *subset, kStride);
        kaIndexBuffer* indexBuffer = manager.GetIndexBuffer(subset->m_IndexBuffer);
        const uint32_t first = manager.GetIndexBufferStart(subset->m_IndexBuffer);
        m_IndexCount = static_cast<GLsizei>(subset->m_PrimitiveCount * 3);
        void* data = nullptr;
        if (vertices.empty() || !indexBuffer ||
            GfxFailed(indexBuffer->GetD3DBuffer()->Lock(first * 2, uint32_t(m_IndexCount) * 2, &data,
                                                        LOCK_READONLY)))
            return false;
        glGenBuffers(1, &m_Indices);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_Indices);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, m_IndexCount * 2, data, GL_STATIC_DRAW);
        indexBuffer->GetD3DBuffer()->Unlock();
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        glGenBuffers(1, &m_Vertices);
        glBindBuffer(GL_ARRAY_BUFFER, m_Vertices);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size()), vertices.data(), GL_STATIC_DRAW);
        glBindBuffer(GL_ARRAY_BUFFER, 0);

        for (const kaTextureStage* stage : subset->GetRenderState()->GetStages())
        {
            m_Environment = m_Environment ? m_Environment : GLNameOf(stage->texture, GL_TEXTURE_CUBE_MAP);
            m_Noise = m_Noise ? m_Noise : GLNameOf(stage->texture, GL_TEXTURE_3D);
        }

        EffectFile file;
        std::string error;
        if (!m_Environment || !m_Noise || !file.Load(water.GetEffectFile(), error))
            return false;
        const std::string technique = kaEntityWaterPlane::kTechniques[water.GetLevelInUse()];
        for (const EffectFile::Technique& entry : file.GetTechniques())
            if (entry.name == technique && !entry.passes.empty())
            {
                const GLuint vertex = CompileShader(GL_VERTEX_SHADER, entry.passes[0].vertexSource);
                const GLuint fragment = CompileShader(GL_FRAGMENT_SHADER, entry.passes[0].fragmentSource);
                if (vertex && fragment)
                {
                    m_Program = glCreateProgram();
                    glAttachShader(m_Program, vertex);
                    glAttachShader(m_Program, fragment);
                    glLinkProgram(m_Program);
                }
                glDeleteShader(vertex);
                glDeleteShader(fragment);
            }
        GLint linked = 0;
        if (m_Program)
            glGetProgramiv(m_Program, GL_LINK_STATUS, &linked);
        if (!linked)
            return false;
        m_WorldView = glGetUniformLocation(m_Program, "WorldView");
        m_WorldViewProjection = glGetUniformLocation(m_Program, "WorldViewProjection");
        m_Time = glGetUniformLocation(m_Program, "time");
        m_ViewPosition = glGetUniformLocation(m_Program, "vViewPosition");
        // The eye the effect is given, when the world has a camera of its own; else the uniform stays 0.
        m_HasEye = eye != nullptr;
        if (eye)
            m_Eye = *eye;
        // Samplers take units in the order of their names, as the effect gives them.
        glUseProgram(m_Program);
        glUniform1i(glGetUniformLocation(m_Program, "EnvironmentMap"), 0);
        glUniform1i(glGetUniformLocation(m_Program, "NoiseMap"), 1);
        glUseProgram(0);
        return true;
    }

    // The time the next frame draws with.
    void SetTime(float time) { m_Seconds = time; }

    // One frame's water: its time moved on, then the grid drawn blended over what is there, unculled and
    // without writing depth, as the effect's pass sets the states.
    void Draw(const Matrix& view)
    {
        m_Seconds += kFrameSeconds;
        const Matrix worldView = m_World * view;
        const Matrix worldViewProjection = worldView * m_Projection;
        glUseProgram(m_Program);
        glUniformMatrix4fv(m_WorldView, 1, GL_FALSE, worldView.Data());
        glUniformMatrix4fv(m_WorldViewProjection, 1, GL_FALSE, worldViewProjection.Data());
        glUniform1f(m_Time, m_Seconds);
        if (m_HasEye)
            glUniform4f(m_ViewPosition, m_Eye.x, m_Eye.y, m_Eye.z, 1.0f);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_CUBE_MAP, m_Environment);
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_3D, m_Noise);
        // The effect samples the noise linearly, within and between its levels.
        glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_DEPTH_TEST);
        glDepthMask(GL_FALSE);
        glDisable(GL_CULL_FACE);
        glDisable(GL_LIGHTING);
        glBindBuffer(GL_ARRAY_BUFFER, m_Vertices);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_Indices);
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
        for (GLenum unit : {GLenum(GL_TEXTURE1), GLenum(GL_TEXTURE0)})
        {
            glClientActiveTexture(unit);
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        }
        // Indices count from the subset's base, where the copy starts.
        glVertexPointer(3, GL_FLOAT, 24, nullptr);
        glDrawElements(GL_TRIANGLES, m_IndexCount, GL_UNSIGNED_SHORT, nullptr);
        glUseProgram(0);
        glBindTexture(GL_TEXTURE_3D, 0);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    }

private:
    GLuint m_Vertices = 0;
    GLuint m_Indices = 0;
    GLsizei m_IndexCount = 0;
    GLuint m_Program = 0;
    GLint m_WorldView = -1;
    GLint m_WorldViewProjection = -1;
    GLint m_Time = -1;
    GLint m_ViewPosition = -1;
    bool m_HasEye = false;
    Vector3 m_Eye;
    GLuint m_Environment = 0;
    GLuint m_Noise = 0;
    float m_Seconds = 0.0f;
    Matrix m_World;
    Matrix m_Projection;
};

// The cloud plane's vertices as the plain side scrolls them: position, colour, u and v.
struct CloudVertex
{
    float x, y, z;
    uint32_t colour;
    float u, v;
};
static_assert(sizeof(CloudVertex) == 24, "the cloud plane's vertex format");

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

        // The view first: the sun's disc faces the camera it is built under.
        const Vector3 eye(512.0f, 150.0f, 100.0f), at(1000.0f, 60.0f, 400.0f), up(0.0f, 1.0f, 0.0f);
        MatrixLookAtLH(&m_View, &eye, &at, &up);
        MatrixPerspectiveFovLH(&m_Projection, 1.0f, float(kWidth) / float(kHeight), 1.0f, 5000.0f);
        GfxDevice* device = m_GL.Manager()->GetDevice();
        device->SetTransform(TS_VIEW, &m_View);
        device->SetTransform(TS_PROJECTION, &m_Projection);
        m_GL.Manager()->UpdateFrustum();

        auto* sky = new kaSkyBox;
        const std::string folderName = "resources/worlds/skybox/";
        sky->Build(folderName + "sky_left.dds", folderName + "sky_right.dds", folderName + "sky_forward.dds",
                   folderName + "sky_back.dds", folderName + "sky_top.dds");
        sky->AddCloudPlane(folderName + "clouds.dds", 90.0f, 0.5f);
        m_World->SetSkyBox(sky);
        auto* sun = new kaSun;
        m_World->SetSun(sun);
        // Low over the horizon, right of the view's centre: the disc and both flare layers are on screen.
        sun->Initialize(0.266f, 0.548f, "resources/worlds/billboards/sun.dds", 0.5f, kaColor(), kaColor());
        sun->AddFlareLayer("resources/worlds/billboards/flare_glow.dds", 2.0f, 1.5f);
        sun->AddFlareLayer("resources/worlds/billboards/flare_ring.dds", -1.0f, 1.5f);
        auto* water = new kaEntityWaterPlane;
        water->SetEffectFile(kaEntityWaterPlane::kEffectFile);
        m_World->SetWaterPlane(water);
        water->Build(1024.0f, 1024.0f);

        if (water->GetLevelInUse() != 1)
            return;
        // The first frame sets the flares' target; they fade towards it over the next ones, and the plain
        // side copies them once they are steady. A sun out of view would fade them out of the frame.
        DrawEnvironment();
        for (int frame = 0; frame < 10000 && sun->GetFlareIntensity() != sun->GetFlareTarget(); ++frame)
            DrawEnvironment();
        DrawEnvironment();
        if (sun->GetFlareTarget() != 1.0f || sun->GetFlareIntensity() != 1.0f)
            return;
        FrameCapture first;
        if (GfxFailed(device->CaptureFrame(&first)))
            return;
        m_Plain.ReadFrameState(*device, first, kWidth, kHeight);
        m_Plain.SetClearColour(m_GL.Manager()->GetClearColor());
        m_Ready = _BuildPlain(*sky, *sun, *water);
    }

    ~Scene()
    {
        m_Water.reset();
        if (m_GL.Manager())
            m_GL.Manager()->DetachSceneObject(m_Pass.get());
        m_World.reset();
        m_GL.Stop();
    }

    bool IsReady() const { return m_Ready; }

    void DrawEnvironment()
    {
        m_World->GetSkyBox()->Update(kFrameSeconds);
        m_World->GetSun()->Update(kFrameSeconds);
        m_World->GetWaterPlane()->Update(kFrameSeconds);
        m_GL.Manager()->Render(false, false);
        glFinish();
    }

    // The same vertices in plain GL, in the engine's order: sky faces, sun, clouds scrolled and sent again,
    // water through the effect's program, flares.
    void DrawPlain()
    {
        const float t = m_CloudOffset;
        for (size_t i = m_CloudFirst; i < m_Cloud.size(); ++i)
            m_Cloud[i].v = t + m_CloudBaseV[i];
        m_Plain.WriteVertices(m_CloudIndex, m_Cloud.data(), m_Cloud.size() * sizeof(CloudVertex));
        if (t > kaCloudPlane::kWrap)
            m_CloudOffset = t - kaCloudPlane::kWrap;
        m_CloudOffset += m_CloudSpeed * kFrameSeconds;
        m_Plain.Draw(*m_GL.Manager()->GetDevice(), m_View);
        glFinish();
    }

    // Draws the frame both ways and compares the presented pixels; the largest difference of any channel,
    // or 256 when a frame could not be read. The plain side starts from the clouds' place and the water's
    // time of the engine's frame just drawn.
    int CompareFrames()
    {
        FrameCapture engine, plain;
        DrawPlain();
        DrawEnvironment();
        if (GfxFailed(m_GL.Manager()->GetDevice()->CaptureFrame(&engine)))
            return 256;
        const std::vector<uint8_t> cloud = ReadVertices(*m_GL.Manager(), *m_CloudSubset, sizeof(CloudVertex));
        if (cloud.size() < sizeof(CloudVertex))
            return 256;
        CloudVertex shown;
        std::memcpy(&shown, cloud.data() + m_CloudFirst * sizeof(CloudVertex), sizeof shown);
        m_CloudOffset = shown.v - m_CloudBaseV[m_CloudFirst];
        m_Water->SetTime(kaEntityWaterPlane::GetTime() - kFrameSeconds);
        DrawPlain();
        if (GfxFailed(m_GL.Manager()->GetDevice()->CaptureFrame(&plain)))
            return 256;
        if (engine.Rows.size() != plain.Rows.size() || engine.Rows.empty())
            return 256;
        int largest = 0;
        for (size_t i = 0; i < engine.Rows.size(); ++i)
            largest = std::max(largest, std::abs(int(engine.Rows[i]) - int(plain.Rows[i])));
        return largest;
    }

private:
    bool _BuildPlain(kaSkyBox& sky, kaSun& sun, kaEntityWaterPlane& water)
    {
        kaGraphicsManager& manager = *m_GL.Manager();
        kaMesh* box = sky.GetBox();
        for (uint32_t face = 0; box && face < box->GetSubsetCount(); ++face)
            if (!m_Plain.AddCentred(manager, *box->GetSubset(face), box->GetWorldMatrix()))
                return false;
        kaMesh* disc = sun.GetDisc() ? sun.GetDisc()->GetMesh() : nullptr;
        if (!box || !disc || !m_Plain.AddCentred(manager, *disc->GetSubset(0), disc->GetWorldMatrix()))
            return false;
        if (sky.GetCloudPlanes().size() != 1)
            return false;
        kaCloudPlane& clouds = *sky.GetCloudPlanes()[0];
        m_CloudSubset = clouds.GetSubset(0);
        m_CloudIndex = m_Plain.Count();
        if (!m_CloudSubset || !m_Plain.AddCentred(manager, *m_CloudSubset, clouds.GetWorldMatrix()))
            return false;
        // The vertices as last sent, and each one's v apart from the scroll.
        m_CloudFirst = m_CloudSubset->m_FirstVertex;
        const std::vector<uint8_t> bytes = ReadVertices(manager, *m_CloudSubset, sizeof(CloudVertex));
        m_Cloud.resize(bytes.size() / sizeof(CloudVertex));
        std::memcpy(m_Cloud.data(), bytes.data(), m_Cloud.size() * sizeof(CloudVertex));
        if (m_Cloud.size() < m_CloudFirst + kaCloudPlane::kVertices)
            return false;
        for (const CloudVertex& vertex : m_Cloud)
            m_CloudBaseV.push_back(vertex.v - m_Cloud[m_CloudFirst].v);
        m_CloudSpeed = clouds.m_Speed;

        m_Water = std::make_unique<PlainWater>();
        const kaCamera* camera = m_World->GetOwnCamera();
        if (!m_Water->Build(manager, water, m_Projection, camera ? &camera->GetPosition() : nullptr))
            return false;
        PlainWater* plainWater = m_Water.get();
        m_Plain.AddStep([plainWater](const Matrix& view) { plainWater->Draw(view); });
        for (kaFlareLayer* layer : sun.GetFlareLayers())
        {
            kaMesh* quad = layer->GetMesh();
            if (!quad || !m_Plain.AddCentred(manager, *quad->GetSubset(0), quad->GetWorldMatrix()))
                return false;
        }
        return true;
    }

    HeadlessGL m_GL;
    std::unique_ptr<kaWorld> m_World;
    std::unique_ptr<EnvironmentPass> m_Pass;
    Matrix m_View;
    Matrix m_Projection;
    PlainSubsets m_Plain;
    std::unique_ptr<PlainWater> m_Water;
    const kaMeshSubset* m_CloudSubset = nullptr;
    size_t m_CloudIndex = 0;
    uint32_t m_CloudFirst = 0;
    std::vector<CloudVertex> m_Cloud;
    std::vector<float> m_CloudBaseV;
    float m_CloudOffset = 0.0f;
    float m_CloudSpeed = 0.0f;
    bool m_Ready = false;
};

// False, with the benchmark marked failed, when the scene could not be made or the two frames differ.
bool Prepare(Scene& scene, benchmark::State& state)
{
    if (!scene.IsReady())
    {
        state.SkipWithError("no headless OpenGL device, no shader water, no generated content or no sun in view");
        return false;
    }
    const int difference = scene.CompareFrames();
    state.counters["pixel_difference"] = difference;
    if (difference > 2)
    {
        state.SkipWithError("the plain frame differs from the environment frame");
        return false;
    }
    return true;
}

void EnvironmentFrame(benchmark::State& state)
{
    Scene scene;
    if (!Prepare(scene, state))
        return;
    for (auto _ : state)
        scene.DrawEnvironment();
}
BENCHMARK(EnvironmentFrame)->Unit(benchmark::kMicrosecond);

// Both paths in each iteration; the counter is environment frame time over plain GL time.
void EnvironmentRatio(benchmark::State& state)
{
    Scene scene;
    if (!Prepare(scene, state))
        return;
    TimeRatio(
        state, [&] { scene.DrawEnvironment(); }, [&] { scene.DrawPlain(); });
}
BENCHMARK(EnvironmentRatio)->Unit(benchmark::kMicrosecond);

} // namespace
