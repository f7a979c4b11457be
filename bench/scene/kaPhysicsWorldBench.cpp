// 500 bodies (spheres and boxes, each in a geom transform inside a sub-space of its own) dropped onto a
// static ground and run for 200 frames of 0.016 s through the physics world, beside raw ODE stepping the
// same bodies and geoms with the same world settings, passes and contact surface and a bare near callback.
// "ratio" is physics-world time over raw time; "contacts" counts the contact joints the raw side made, so
// that both sides are seen to do the same work.

#include "engine/scene/kaEntityPhysical.h"
#include "engine/scene/kaGeomData.h"
#include "engine/scene/kaPhysicsWorld.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <memory>
#include <random>
#include <vector>

// The bodies sit in geom transforms, which ODE keeps but marks deprecated.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace
{

constexpr int kBodies = 500;
constexpr int kFrames = 200;
constexpr float kFrame = 0.016f;

struct Placement
{
    dReal x, y, z;
    bool sphere;
};

std::vector<Placement> Placements()
{
    std::mt19937 random(7);
    std::uniform_real_distribution<dReal> across(-12.0, 12.0);
    std::uniform_real_distribution<dReal> up(0.6, 8.0);
    std::vector<Placement> placements;
    for (int i = 0; i < kBodies; ++i)
        placements.push_back({across(random), up(random), across(random), i % 2 == 0});
    return placements;
}

dGeomID MakeShape(const Placement& placement)
{
    return placement.sphere ? dCreateSphere(nullptr, 0.5) : dCreateBox(nullptr, 0.8, 0.8, 0.8);
}

dBodyID MakeBody(dWorldID world, const Placement& placement)
{
    dBodyID body = dBodyCreate(world);
    dMass mass;
    if (placement.sphere)
        dMassSetSphere(&mass, 1.0, 0.5);
    else
        dMassSetBox(&mass, 1.0, 0.8, 0.8, 0.8);
    dBodySetMass(body, &mass);
    dBodySetPosition(body, placement.x, placement.y, placement.z);
    return body;
}

// A body with one primitive in a sub-space of its own, as the physical entities build theirs.
class Piece : public kaEntityPhysical
{
public:
    Piece(kaPhysicsWorld& world, const Placement& placement)
    {
        m_Body = MakeBody(world.GetODEWorld(), placement);
        m_Space = dSimpleSpaceCreate(world.GetSpace());
        dGeomID transform = dCreateGeomTransform(m_Space);
        dGeomTransformSetGeom(transform, MakeShape(placement));
        dGeomTransformSetInfo(transform, 1);
        dGeomSetBody(transform, m_Body);
        m_Data->SetGeom(transform);
        m_Data->m_pEntity = this;
        m_Data->SetMaterial(std::make_unique<kaMaterial>());
        world.AddEntity(this, true, true);
    }
    ~Piece() override
    {
        m_Data.reset();
        dSpaceDestroy(m_Space);
        dBodyDestroy(m_Body);
    }
    // Reads and empties the records, as a physical entity's update does.
    void Update(float) override
    {
        benchmark::DoNotOptimize(GetContactRecordCount());
        ResetContactRecords();
    }

private:
    dBodyID m_Body;
    dSpaceID m_Space;
    std::unique_ptr<kaGeomData> m_Data = std::make_unique<kaGeomData>();
};

double RunPhysicsWorld(const std::vector<Placement>& placements)
{
    kaPhysicsWorld world;
    dGeomID ground = dCreateBox(world.GetSpace(), 100, 1, 100);
    dGeomSetPosition(ground, 0, -0.5, 0);
    for (const Placement& placement : placements)
        new Piece(world, placement);
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < kFrames; ++frame)
        world.Update(kFrame);
    const auto end = std::chrono::steady_clock::now();
    world.Clear();
    dGeomDestroy(ground);
    return std::chrono::duration<double>(end - start).count();
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
    if (b1 == b2)
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
        dBodyID body = MakeBody(raw.world, placement);
        dSpaceID space = dSimpleSpaceCreate(raw.space);
        dGeomID transform = dCreateGeomTransform(space);
        dGeomTransformSetGeom(transform, MakeShape(placement));
        dGeomTransformSetCleanup(transform, 1);
        dGeomTransformSetInfo(transform, 1);
        dGeomSetBody(transform, body);
    }
    // The same passes as the physics world: twice the frame, in sub-steps of at most 0.02 s.
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
    const auto end = std::chrono::steady_clock::now();
    made = raw.made;
    dJointGroupDestroy(raw.contacts);
    dSpaceDestroy(raw.space);
    dWorldDestroy(raw.world);
    dCloseODE();
    return std::chrono::duration<double>(end - start).count();
}

void BM_PhysicsWorldFrames(benchmark::State& state)
{
    const std::vector<Placement> placements = Placements();
    for (auto _ : state)
        state.SetIterationTime(RunPhysicsWorld(placements));
}

void BM_RawOdeFramesBaseline(benchmark::State& state)
{
    const std::vector<Placement> placements = Placements();
    long made = 0;
    for (auto _ : state)
        state.SetIterationTime(RunRaw(placements, made));
    state.counters["contacts"] = static_cast<double>(made);
}

// Both sides in each iteration.
void BM_PhysicsWorldRatio(benchmark::State& state)
{
    const std::vector<Placement> placements = Placements();
    double world = 0.0, raw = 0.0;
    long made = 0;
    for (auto _ : state)
    {
        world += RunPhysicsWorld(placements);
        raw += RunRaw(placements, made);
    }
    state.counters["ratio"] = raw > 0.0 ? world / raw : 0.0;
    state.counters["contacts"] = static_cast<double>(made);
}

BENCHMARK(BM_PhysicsWorldFrames)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawOdeFramesBaseline)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PhysicsWorldRatio)->Unit(benchmark::kMillisecond);

} // namespace
