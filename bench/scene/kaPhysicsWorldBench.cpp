// 500 bodies (spheres and boxes, each in a geom transform inside a sub-space of its own) dropped onto a
// static ground and run for 200 frames of 0.016 s through the physics world, beside raw ODE stepping the
// same bodies and geoms with the same world settings, passes and contact surface and a bare near callback.
// "ratio" is physics-world time over raw time. Each side counts the contact joints its bodies hold after
// every step ("world_contacts", "raw_contacts"); the ratio refuses to stand when the two differ, since the
// sides would then not be doing the same work.

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
constexpr unsigned long kSeed = 1;

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

// The contact joints on a body at the end of a pass (a joint between two bodies counts on each).
long ContactJoints(dBodyID body)
{
    long contacts = 0;
    const int joints = dBodyGetNumJoints(body);
    for (int i = 0; i < joints; ++i)
        contacts += dJointGetType(dBodyGetJoint(body, i)) == dJointTypeContact;
    return contacts;
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
    Piece(kaPhysicsWorld& world, const Placement& placement, long& contacts) : m_Contacts(contacts)
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
        // Updated after every pass, as the world updates its dynamic entities.
        world.AddDynamicEntity(this);
    }
    ~Piece() override
    {
        m_Data.reset();
        dSpaceDestroy(m_Space);
        dBodyDestroy(m_Body);
    }
    // Reads and empties the records, as a physical entity's update does. The world calls it after each
    // step, while the pass's contact joints still stand.
    void Update(float) override
    {
        benchmark::DoNotOptimize(GetContactRecordCount());
        ResetContactRecords();
        m_Contacts += ContactJoints(m_Body);
    }

private:
    long& m_Contacts;
    dBodyID m_Body;
    dSpaceID m_Space;
    std::unique_ptr<kaGeomData> m_Data = std::make_unique<kaGeomData>();
};

double RunPhysicsWorld(const std::vector<Placement>& placements, long& contacts)
{
    contacts = 0;
    kaPhysicsWorld world;
    // The quick step reorders its constraints by ODE's random numbers: both sides start from one seed.
    dRandSetSeed(kSeed);
    dGeomID ground = dCreateBox(world.GetSpace(), 100, 1, 100);
    dGeomSetPosition(ground, 0, -0.5, 0);
    for (const Placement& placement : placements)
        new Piece(world, placement, contacts);
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
    // The world's own rules: geoms of one sub-space never meet, and two bodies touch through one pair.
    const dSpaceID space1 = dGeomGetSpace(o1);
    if (space1 == dGeomGetSpace(o2) && space1 != raw.space)
        return;
    if (b1 && b2 && dAreConnected(b1, b2))
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
    }
}

double RunRaw(const std::vector<Placement>& placements, long& contacts)
{
    contacts = 0;
    dInitODE2(0);
    dRandSetSeed(kSeed);
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
    std::vector<dBodyID> bodies;
    for (const Placement& placement : placements)
    {
        dBodyID body = MakeBody(raw.world, placement);
        bodies.push_back(body);
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
            for (dBodyID body : bodies)
                contacts += ContactJoints(body);
            dJointGroupEmpty(raw.contacts);
        }
    const auto end = std::chrono::steady_clock::now();
    dJointGroupDestroy(raw.contacts);
    dSpaceDestroy(raw.space);
    dWorldDestroy(raw.world);
    dCloseODE();
    return std::chrono::duration<double>(end - start).count();
}

void BM_PhysicsWorldFrames(benchmark::State& state)
{
    const std::vector<Placement> placements = Placements();
    long contacts = 0;
    for (auto _ : state)
        state.SetIterationTime(RunPhysicsWorld(placements, contacts));
    state.counters["world_contacts"] = static_cast<double>(contacts);
}

void BM_RawOdeFramesBaseline(benchmark::State& state)
{
    const std::vector<Placement> placements = Placements();
    long contacts = 0;
    for (auto _ : state)
        state.SetIterationTime(RunRaw(placements, contacts));
    state.counters["raw_contacts"] = static_cast<double>(contacts);
}

// Both sides in each iteration, each run's contact counts compared.
void BM_PhysicsWorldRatio(benchmark::State& state)
{
    const std::vector<Placement> placements = Placements();
    double world = 0.0, raw = 0.0;
    long worldContacts = 0, rawContacts = 0;
    for (auto _ : state)
    {
        world += RunPhysicsWorld(placements, worldContacts);
        raw += RunRaw(placements, rawContacts);
        if (worldContacts != rawContacts)
        {
            state.SkipWithError("the physics world and raw ODE made different contacts");
            break;
        }
    }
    state.counters["ratio"] = raw > 0.0 ? world / raw : 0.0;
    state.counters["world_contacts"] = static_cast<double>(worldContacts);
    state.counters["raw_contacts"] = static_cast<double>(rawContacts);
}

BENCHMARK(BM_PhysicsWorldFrames)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawOdeFramesBaseline)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PhysicsWorldRatio)->Unit(benchmark::kMillisecond);

} // namespace
