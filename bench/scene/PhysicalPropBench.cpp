// 300 physical props (balls and crates: models whose collision primitives give each entity its body, geoms
// and centred mass) dropped onto a static ground and stepped for 100 frames of 0.016 s by the physics world,
// whose update then places every model on its body and reads its contacts; beside raw ODE stepping the same
// bodies and geoms with the same world settings, passes and contact surface. "ratio" is physics-world time
// over raw time; "contacts" counts the raw side's contact joints, so that both sides are seen to do the same
// work, and "resting" how many of the world's props ended at rest.

#include "engine/model/kaBoxPrimitive.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaSpherePrimitive.h"
#include "engine/scene/kaEntityPhysical.h"
#include "engine/scene/kaPhysicsWorld.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <random>
#include <vector>

// The bodies sit in geom transforms, which ODE keeps but marks deprecated.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace
{

constexpr int kProps = 300;
constexpr int kFrames = 100;
constexpr float kFrame = 0.016f;
constexpr float kRadius = 0.5f;
constexpr float kCrate = 0.8f;

struct Placement
{
    float x, y, z;
    bool ball;
};

std::vector<Placement> Placements()
{
    std::mt19937 random(11);
    std::uniform_real_distribution<float> across(-10.0f, 10.0f);
    std::uniform_real_distribution<float> up(0.6f, 6.0f);
    std::vector<Placement> placements;
    for (int i = 0; i < kProps; ++i)
        placements.push_back({across(random), up(random), across(random), i % 2 == 0});
    return placements;
}

// The shared meshes of the two props, holding only their collision primitive.
struct PropMeshes
{
    PropMeshes()
    {
        auto sphere = std::make_unique<kaSpherePrimitive>();
        sphere->m_Radius = kRadius;
        sphere->m_Name = "PRIM_Ball";
        ball->AddPrimitive(std::move(sphere));
        auto box = std::make_unique<kaBoxPrimitive>();
        box->m_Width = kCrate;
        box->m_Length = kCrate;
        box->m_Height = kCrate;
        // A box stands on its offset: the base of a crate centred on the model's origin.
        box->m_Position = platform::Vector3(0.0f, -kCrate / 2, 0.0f);
        box->m_Name = "PRIM_Crate";
        crate->AddPrimitive(std::move(box));
        ball->AddRef();
        crate->AddRef();
    }
    ~PropMeshes()
    {
        ball->Release();
        crate->Release();
    }
    kaMesh* ball = new kaMesh;
    kaMesh* crate = new kaMesh;
};

double RunPhysicsWorld(const std::vector<Placement>& placements, double& resting)
{
    PropMeshes meshes;
    std::vector<std::unique_ptr<kaModel>> models;
    double elapsed = 0.0;
    {
        kaPhysicsWorld world;
        dGeomID ground = dCreateBox(world.GetSpace(), 100, 1, 100);
        dGeomSetPosition(ground, 0, -0.5, 0);
        std::vector<kaEntityPhysical*> props;
        for (const Placement& placement : placements)
        {
            models.push_back(std::make_unique<kaModel>(placement.ball ? meshes.ball : meshes.crate));
            auto* prop = new kaEntityPhysical;
            world.AddEntity(prop, true, true);
            prop->SetPosition(platform::Vector3(placement.x, placement.y, placement.z));
            prop->SetModel(models.back().get());
            prop->Initialize();
            prop->SetBodyEnabled(true);
            props.push_back(prop);
        }
        const auto start = std::chrono::steady_clock::now();
        for (int frame = 0; frame < kFrames; ++frame)
            world.Update(kFrame);
        elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        resting = 0.0;
        for (const kaEntityPhysical* prop : props)
            resting += dBodyIsEnabled(prop->GetBody()) ? 0.0 : 1.0;
        world.Clear();
        dGeomDestroy(ground);
    }
    return elapsed;
}

struct Raw
{
    dWorldID world;
    dSpaceID space;
    dJointGroupID contacts;
    long made = 0;
};

void RawCallback(void* data, dGeomID o1, dGeomID o2)
{
    Raw& raw = *static_cast<Raw*>(data);
    if (dGeomIsSpace(o1) || dGeomIsSpace(o2))
    {
        dSpaceCollide2(o1, o2, data, &RawCallback);
        return;
    }
    dBodyID b1 = dGeomGetBody(o1);
    dBodyID b2 = dGeomGetBody(o2);
    if (b1 == b2 || (b1 && b2 && dAreConnected(b1, b2)))
        return;
    dContact contact[kaPhysicsWorld::kMaxContacts];
    const int count = dCollide(o1, o2, kaPhysicsWorld::kMaxContacts, &contact[0].geom, sizeof(dContact));
    for (int i = 0; i < count; ++i)
    {
        contact[i].surface.mode = kaPhysicsWorld::kContactMode;
        contact[i].surface.mu = kaPhysicsWorld::kDefaultFrictionScale;
        contact[i].surface.bounce = kaPhysicsWorld::kContactBounce;
        contact[i].surface.soft_erp = kaPhysicsWorld::kContactSoftERP;
        contact[i].surface.soft_cfm = kaPhysicsWorld::kContactSoftCFM;
        contact[i].surface.slip1 = kaPhysicsWorld::kDefaultContactSlip;
        contact[i].surface.slip2 = kaPhysicsWorld::kDefaultContactSlip;
        dJointAttach(dJointCreateContact(raw.world, raw.contacts, &contact[i]), b1, b2);
        ++raw.made;
    }
}

double RunRaw(const std::vector<Placement>& placements, long& made)
{
    dInitODE2(0);
    Raw raw{dWorldCreate(), dHashSpaceCreate(nullptr), dJointGroupCreate(0)};
    dWorldSetGravity(raw.world, 0, kaPhysicsWorld::kGravityY, 0);
    dWorldSetERP(raw.world, kaPhysicsWorld::kERP);
    dWorldSetCFM(raw.world, kaPhysicsWorld::kCFM);
    dWorldSetAutoDisableFlag(raw.world, 1);
    dWorldSetAutoDisableLinearThreshold(raw.world, kaPhysicsWorld::kAutoDisableLinearThreshold);
    dWorldSetAutoDisableAngularThreshold(raw.world, kaPhysicsWorld::kAutoDisableAngularThreshold);
    dWorldSetAutoDisableSteps(raw.world, kaPhysicsWorld::kAutoDisableSteps);
    dWorldSetAutoDisableTime(raw.world, kaPhysicsWorld::kAutoDisableTime);
    dWorldSetContactMaxCorrectingVel(raw.world, kaPhysicsWorld::kContactMaxCorrectingVel);
    dHashSpaceSetLevels(raw.space, kaPhysicsWorld::kHashMinLevel, kaPhysicsWorld::kHashMaxLevel);
    dGeomID ground = dCreateBox(raw.space, 100, 1, 100);
    dGeomSetPosition(ground, 0, -0.5, 0);
    for (const Placement& placement : placements)
    {
        // The same body: mass 1.0 on its centre, one shape in a transform in a sub-space of its own.
        dBodyID body = dBodyCreate(raw.world);
        dMass mass;
        if (placement.ball)
            dMassSetSphere(&mass, 1.0, kRadius);
        else
            dMassSetBox(&mass, 1.0, kCrate, kCrate, kCrate);
        dMassAdjust(&mass, kaEntityPhysical::kDefaultMass);
        dBodySetMass(body, &mass);
        dBodySetPosition(body, placement.x, placement.y, placement.z);
        dSpaceID space = dSimpleSpaceCreate(raw.space);
        dGeomID transform = dCreateGeomTransform(space);
        dGeomTransformSetGeom(transform, placement.ball ? dCreateSphere(nullptr, kRadius)
                                                        : dCreateBox(nullptr, kCrate, kCrate, kCrate));
        dGeomTransformSetCleanup(transform, 1);
        dGeomSetBody(transform, body);
    }
    const dReal scaled = kFrame * kaPhysicsWorld::kTimeScale;
    const int passes = static_cast<int>(scaled / kaPhysicsWorld::kDefaultSubStepLength) + 1;
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < kFrames; ++frame)
        for (int pass = 0; pass < passes; ++pass)
        {
            dSpaceCollide(raw.space, &raw, &RawCallback);
            dWorldQuickStep(raw.world, scaled / passes);
            dJointGroupEmpty(raw.contacts);
        }
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    made = raw.made;
    dJointGroupDestroy(raw.contacts);
    dSpaceDestroy(raw.space);
    dWorldDestroy(raw.world);
    dCloseODE();
    return elapsed;
}

// Both sides in each iteration.
void BM_PhysicalPropsRatio(benchmark::State& state)
{
    const std::vector<Placement> placements = Placements();
    double world = 0.0, raw = 0.0, resting = 0.0;
    long made = 0;
    for (auto _ : state)
    {
        world += RunPhysicsWorld(placements, resting);
        raw += RunRaw(placements, made);
    }
    state.counters["ratio"] = raw > 0.0 ? world / raw : 0.0;
    state.counters["contacts"] = static_cast<double>(made);
    state.counters["resting"] = resting;
}

BENCHMARK(BM_PhysicalPropsRatio)->Unit(benchmark::kMillisecond);

} // namespace
