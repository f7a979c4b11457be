// A frame of the generated proving ground with the default car rolling down it, by parts, each beside a
// baseline doing the same work in the same run:
// - PhysicsRatio: the physics world's frame (collision passes with their contact records, steps, the
//   entities' updates) beside raw ODE colliding and stepping the same bodies, geoms and joints with the same
//   passes and contact surface;
// - WorldUpdateRatio: the course world's whole update (physics, then the course rules of a timed run)
//   beside the same raw ODE frame;
// - FrameRatio: the world's render pass on the headless OpenGL device (640 x 480) beside plain GL drawing
//   the same triangles (the venue's sky box and models; the car's skinned model is hidden on both sides;
//   a sky with clouds is not copied and stops the benchmark). Before timing, both
//   frames are read back and the benchmark refuses to run when they differ by more than 2/255 anywhere.
// "ratio" is the engine's time over the baseline's; "rawContacts" counts the contacts the baseline made, so
// that it is seen to collide the car and the venue as the engine does.

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
#include "engine/scene/kaGeomData.h"
#include "engine/scene/kaMaterial.h"
#include "engine/terrain/kaRotationOnlyMesh.h"
#include "engine/terrain/kaSkyBox.h"
#include "game/app/Tarvolin.h"
#include "game/vehicles/tvVehicle.h"
#include "game/world/SpawnPlacement.h"
#include "game/world/tvWorld.h"

#include "platform/gfx/GfxDevice.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <benchmark/benchmark.h>
#include <ode/ode.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>

using namespace platform;

// The bodies sit in geom transforms, which ODE keeps but marks deprecated.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace
{

// The headless device's back buffer.
constexpr uint32_t kWidth = HeadlessGL::kWidth;
constexpr uint32_t kHeight = HeadlessGL::kHeight;
constexpr float kFrame = 1.0f / 30.0f;
// The car is put back at the start, rolling, this often, so that every frame has it moving on the ground.
constexpr int kFramesPerRoll = 45;
constexpr float kRollSpeed = 8.0f;

// What raw ODE needs of a geom to treat its contacts as the physics world does.
struct RawGeom
{
    bool trigger = false;
    float friction = kaMaterial::kDefaultFriction;
};

class Course
{
public:
    Course() : m_Previous(std::filesystem::current_path())
    {
        std::filesystem::current_path(TARVOLIN_CONTENT);
        if (!m_GL.Start("CourseFrameBench") || !m_GL.Manager()->GetDevice())
            return;
        // As the game has it: pictures are found beside their models.
        m_GL.Manager()->SetGraphicsPath("");
        m_InitData.LoadInitData("InitData");
        m_World = std::make_unique<tvWorld>();
        m_World->LoadFile("Worlds/proving_ground.xml", true);
        m_World->InitializeEntities();
        m_Car = Tarvolin::LoadVehicleEntity(m_World.get(), "Charger");
        if (!m_Car)
            return;
        m_Car->SetBodyEnabled(true);
        _Roll();
        // A timed run in progress, so that the rules do their per-frame work.
        m_World->SetGameMode(1);
        m_World->StartRound();
        m_RawGroup = dJointGroupCreate(0);
        _ReadGeoms(reinterpret_cast<dGeomID>(m_World->GetSpace()));

        // The frame is seen through the world's own camera, from the open end along the strip.
        kaCamera* camera = m_World->GetOwnCamera();
        m_World->SetCamera(camera);
        camera->SetAspect(static_cast<float>(kWidth) / kHeight);
        camera->SetPosition(0.0f, 6.0f, -55.0f);
        camera->SetRotationAngles(0.25f, 0.0f, 0.0f);
        camera->Rotate();
        camera->UpdateProjection();
        m_GL.Manager()->SetAmbientColor(0.35f, 0.35f, 0.35f, 1.0f);
        m_Light = std::make_unique<kaLight>(3, 0.0f, 0.0f, 0.0f, 0.3f, -1.0f, 0.6f, 1.0f, 1.0f, 1.0f, 1.0f,
                                            0.0f, 0.0f, 0.0f, 0.0f, 0.35f, 0.35f, 0.35f, 1.0f);
        m_GL.Manager()->AddSceneObject(m_World.get(), false);
        m_Ready = true;
    }
    ~Course()
    {
        if (m_World)
            m_GL.Manager()->DetachSceneObject(m_World.get());
        if (m_RawGroup)
            dJointGroupDestroy(m_RawGroup);
        m_World.reset();
        m_Light.reset();
        m_Models.DeleteAll();
        m_GL.Stop();
        std::filesystem::current_path(m_Previous);
    }
    bool IsReady() const { return m_Ready; }
    long RawContacts() const { return m_RawContacts; }

    void PhysicsFrame()
    {
        _Count();
        m_World->kaPhysicsWorld::Update(kFrame);
    }
    void WorldFrame()
    {
        _Count();
        m_World->Update(kFrame);
    }

    // The physics world's passes for a frame, in raw ODE on the same bodies, geoms and joints.
    void RawFrame()
    {
        const float scaled = kFrame * kaPhysicsWorld::kTimeScale;
        const int passes = static_cast<int>(std::min(std::floor(scaled / m_World->GetSubStepLength()) + 1.0f,
                                                     static_cast<float>(kaPhysicsWorld::kMaxPasses)));
        const dReal h = static_cast<dReal>(scaled) / passes;
        for (int pass = 0; pass < passes; ++pass)
        {
            dSpaceCollide(m_World->GetSpace(), this, &Course::_RawNear);
            dWorldQuickStep(m_World->GetODEWorld(), h);
            dJointGroupEmpty(m_RawGroup);
        }
    }

    // Prepares the render pass and the plain copy of its triangles; false when they cannot be compared.
    bool PrepareFrame()
    {
        // The plain side draws KMF meshes only: everything else is hidden from the world pass too.
        for (kaEntity* entity : m_World->GetEntities())
        {
            auto* model = dynamic_cast<kaEntityModel*>(entity);
            if (model && !_IsPlainMesh(*model))
                model->SetVisible(false);
        }
        for (ka3DObject* item : m_World->GetAlphaSorter()->GetItems())
            item->SetVisible(false);
        DrawWorld();
        FrameCapture first;
        if (GfxFailed(m_GL.Manager()->GetDevice()->CaptureFrame(&first)))
            return false;
        m_Plain.ReadFrameState(*m_GL.Manager()->GetDevice(), first, kWidth, kHeight);
        // The venue's sky is drawn first, around the camera; its clouds are not copied here.
        if (auto* sky = dynamic_cast<kaSkyBox*>(m_World->GetSkyBox()))
        {
            if (!sky->GetCloudPlanes().empty())
                return false;
            kaMesh* box = sky->GetBox();
            for (uint32_t face = 0; box && face < box->GetSubsetCount(); ++face)
                if (!m_Plain.AddCentred(*m_GL.Manager(), *box->GetSubset(face), box->GetWorldMatrix()))
                    return false;
        }
        size_t meshes = 0;
        for (kaEntity* entity : m_World->GetEntities())
        {
            auto* model = dynamic_cast<kaEntityModel*>(entity);
            if (!model || !model->IsVisible())
                continue;
            kaMesh* mesh = model->GetModel()->GetMesh();
            Matrix world;
            model->GetWorldMatrix(world);
            for (uint32_t i = 0; i < mesh->GetSubsetCount(); ++i)
                if (!m_Plain.Add(*m_GL.Manager(), *mesh->GetSubset(i), world))
                    return false;
            ++meshes;
        }
        return meshes >= 1;
    }
    void DrawWorld()
    {
        m_GL.Manager()->Render(false, false);
        glFinish();
    }
    void DrawPlain()
    {
        m_Plain.Draw(*m_GL.Manager()->GetDevice(), m_World->GetOwnCamera()->GetComputedView());
    }

    // The largest channel difference between the two frames, or 256 when one could not be read.
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

    // The car back on the start, rolling towards the open end.
    void _Roll()
    {
        SpawnPlacement::PlaceAtSpawnPoint(*m_World, *m_Car);
        m_Car->StopMotion();
        m_Car->SetLinearVelocity(0.0f, 0.0f, -kRollSpeed);
    }

    void _Count()
    {
        if (++m_Frames % kFramesPerRoll == 0)
            _Roll();
    }

    // Every geom's trigger flag and friction, read once before timing.
    void _ReadGeoms(dGeomID geom)
    {
        if (dGeomIsSpace(geom))
        {
            auto space = reinterpret_cast<dSpaceID>(geom);
            for (int i = 0; i < dSpaceGetNumGeoms(space); ++i)
                _ReadGeoms(dSpaceGetGeom(space, i));
            return;
        }
        dGeomID placed = geom;
        if (dGeomGetClass(geom) == dGeomTransformClass)
            geom = dGeomTransformGetGeom(geom);
        RawGeom raw;
        if (const auto* data = static_cast<const kaGeomData*>(dGeomGetData(placed)))
        {
            raw.trigger = data->m_Trigger;
            if (const kaMaterial* material = data->GetMaterial())
                raw.friction = material->GetFriction();
        }
        m_Geoms[placed] = raw;
        m_Geoms[geom] = raw;
    }

    static void _RawNear(void* data, dGeomID o1, dGeomID o2)
    {
        static_cast<Course*>(data)->_RawCollide(o1, o2);
    }

    void _RawCollide(dGeomID o1, dGeomID o2)
    {
        if (dGeomIsSpace(o1) || dGeomIsSpace(o2))
        {
            dSpaceCollide2(o1, o2, this, &Course::_RawNear);
            return;
        }
        dBodyID b1 = dGeomGetBody(o1);
        dBodyID b2 = dGeomGetBody(o2);
        if (b1 == b2)
            return;
        const dSpaceID space1 = dGeomGetSpace(o1);
        if (space1 == dGeomGetSpace(o2) && space1 != m_World->GetSpace())
            return;
        if (b1 && b2 && dAreConnected(b1, b2))
            return;
        dContact contacts[kaPhysicsWorld::kMaxContacts];
        const int count = dCollide(o1, o2, kaPhysicsWorld::kMaxContacts, &contacts[0].geom, sizeof(dContact));
        if (count <= 0)
            return;
        const RawGeom& g1 = m_Geoms[o1];
        const RawGeom& g2 = m_Geoms[o2];
        if (g1.trigger || g2.trigger)
            return;
        for (int i = 0; i < count; ++i)
        {
            dContact& contact = contacts[i];
            contact.surface.mode = kaPhysicsWorld::kContactMode;
            contact.surface.mu = static_cast<dReal>(m_World->GetFrictionScale()) * g1.friction * g2.friction;
            contact.surface.bounce = kaPhysicsWorld::kContactBounce;
            contact.surface.soft_erp = kaPhysicsWorld::kContactSoftERP;
            contact.surface.soft_cfm = kaPhysicsWorld::kContactSoftCFM;
            contact.surface.slip1 = kaPhysicsWorld::kDefaultContactSlip;
            contact.surface.slip2 = kaPhysicsWorld::kDefaultContactSlip;
            dJointAttach(dJointCreateContact(m_World->GetODEWorld(), m_RawGroup, &contact), b1, b2);
            ++m_RawContacts;
        }
    }

    std::filesystem::path m_Previous;
    HeadlessGL m_GL;
    kaFileSystem m_Files;
    kaInitDataBase m_InitData;
    kaModelManager m_Models;
    std::unique_ptr<tvWorld> m_World;
    std::unique_ptr<kaLight> m_Light;
    tvVehicle* m_Car = nullptr;
    dJointGroupID m_RawGroup = nullptr;
    std::unordered_map<dGeomID, RawGeom> m_Geoms;
    PlainSubsets m_Plain;
    int m_Frames = 0;
    long m_RawContacts = 0;
    bool m_Ready = false;
};

bool Ready(Course& course, benchmark::State& state)
{
    if (!course.IsReady())
    {
        state.SkipWithError("no headless OpenGL device, proving ground or default car");
        return false;
    }
    return true;
}

void PhysicsRatio(benchmark::State& state)
{
    Course course;
    if (!Ready(course, state))
        return;
    TimeRatio(
        state, [&] { course.PhysicsFrame(); }, [&] { course.RawFrame(); });
    state.counters["rawContacts"] = static_cast<double>(course.RawContacts());
}
BENCHMARK(PhysicsRatio)->Unit(benchmark::kMillisecond)->UseRealTime();

void WorldUpdateRatio(benchmark::State& state)
{
    Course course;
    if (!Ready(course, state))
        return;
    TimeRatio(
        state, [&] { course.WorldFrame(); }, [&] { course.RawFrame(); });
    state.counters["rawContacts"] = static_cast<double>(course.RawContacts());
}
BENCHMARK(WorldUpdateRatio)->Unit(benchmark::kMillisecond)->UseRealTime();

void FrameRatio(benchmark::State& state)
{
    Course course;
    if (!Ready(course, state))
        return;
    if (!course.PrepareFrame())
    {
        state.SkipWithError("the course's meshes could not be copied");
        return;
    }
    const int difference = course.CompareFrames();
    state.counters["pixel_difference"] = difference;
    if (difference > 2)
    {
        state.SkipWithError("the world pass and the plain GL frame differ");
        return;
    }
    TimeRatio(
        state, [&] { course.DrawWorld(); }, [&] { course.DrawPlain(); });
}
BENCHMARK(FrameRatio)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
