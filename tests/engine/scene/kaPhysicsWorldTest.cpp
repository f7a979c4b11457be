#include "engine/scene/kaPhysicsWorld.h"

#include "engine/core/kaApp.h"
#include "engine/scene/kaEntityPhysical.h"
#include "engine/scene/kaGeomData.h"
#include "engine/scene/kaMaterial.h"
#include "tests/engine/render/GraphicsManagerFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

// The entities place primitives in geom transforms, which ODE keeps but marks deprecated.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace
{

using Log = std::vector<std::string>;
Log g_Log;

class PassThroughMaterial : public kaMaterial
{
public:
    PassThroughMaterial() { m_PassThrough = true; }
};

class FrictionMaterial : public kaMaterial
{
public:
    explicit FrictionMaterial(float friction) { m_Friction = friction; }
};

// A physical entity with hand-made geoms: a body (or none) and spheres and boxes in its own sub-space or
// in the world's space. It logs its collision calls and updates.
class Solid : public kaEntityPhysical
{
public:
    Solid(kaPhysicsWorld& world, const std::string& name, bool withBody, bool ownSpace = false)
        : m_OwnSpace(ownSpace)
    {
        SetName(name);
        if (withBody)
        {
            m_Body = dBodyCreate(world.GetODEWorld());
            dMass mass;
            dMassSetSphere(&mass, 1.0, 0.5);
            dBodySetMass(m_Body, &mass);
        }
        m_Space = ownSpace ? dSimpleSpaceCreate(world.GetSpace()) : world.GetSpace();
        world.AddEntity(this, true, true);
    }
    ~Solid() override
    {
        m_Geoms.clear();
        if (m_OwnSpace)
            dSpaceDestroy(m_Space);
        if (m_Body)
            dBodyDestroy(m_Body);
    }

    // A primitive at a point (the body's origin with a body); in a geom transform when asked.
    kaGeomData* Add(dGeomID inner, const std::string& name, bool transform = false)
    {
        auto data = std::make_unique<kaGeomData>();
        dGeomID geom = inner;
        if (transform)
        {
            geom = dCreateGeomTransform(m_Space);
            dGeomTransformSetGeom(geom, inner);
            dGeomTransformSetInfo(geom, 1);
        }
        else
            dSpaceAdd(m_Space, inner);
        if (m_Body)
            dGeomSetBody(geom, m_Body);
        data->SetGeom(geom);
        data->m_pEntity = this;
        data->m_Name = name;
        m_Geoms.push_back(std::move(data));
        return m_Geoms.back().get();
    }
    kaGeomData* AddSphere(const std::string& name, dReal radius, bool transform = false)
    {
        return Add(dCreateSphere(nullptr, radius), name, transform);
    }
    kaGeomData* AddBox(const std::string& name, dReal x, dReal y, dReal z)
    {
        return Add(dCreateBox(nullptr, x, y, z), name);
    }
    void Place(dReal x, dReal y, dReal z)
    {
        if (m_Body)
            dBodySetPosition(m_Body, x, y, z);
        else
            for (const auto& data : m_Geoms)
                dGeomSetPosition(data->GetGeom(), x, y, z);
    }

    void OnCollide(kaEntityPhysical* other, kaMaterial* own, kaMaterial* theirs) override
    {
        g_Log.push_back("collide " + GetName() + " " + other->GetName());
        EXPECT_EQ(own, m_Geoms.empty() ? nullptr : m_Geoms.front()->GetMaterial());
        EXPECT_EQ(theirs, static_cast<Solid*>(other)->m_Geoms.front()->GetMaterial());
        // A copy: the action may clear its own slot.
        if (auto action = onCollide)
            action();
    }
    void OnTrigger(kaEntityPhysical* other, const std::string& own, const std::string& theirs) override
    {
        g_Log.push_back("trigger " + GetName() + " " + other->GetName() + " " + own + " " + theirs);
    }
    void Update(float dt) override
    {
        updates.push_back(dt);
        if (onUpdate)
            onUpdate();
    }

    dBodyID m_Body = nullptr;
    dSpaceID m_Space = nullptr;
    bool m_OwnSpace;
    std::vector<std::unique_ptr<kaGeomData>> m_Geoms;
    std::function<void()> onCollide;
    std::function<void()> onUpdate;
    std::vector<float> updates;
};

// Runs the collision pass alone and returns its calls in a fixed order, whichever geom ODE hands first.
Log CollideOnce(kaPhysicsWorld& world)
{
    g_Log.clear();
    dSpaceCollide(world.GetSpace(), &world, &kaPhysicsWorld::NearCallback);
    Log log = g_Log;
    std::sort(log.begin(), log.end());
    return log;
}

bool Touching(dBodyID a, dBodyID b)
{
    // A contact joint, not the ball joint of the jointed case.
    return a && b && dAreConnectedExcluding(a, b, dJointTypeBall);
}

int GroundContacts(dBodyID body)
{
    int count = 0;
    for (int i = 0; i < dBodyGetNumJoints(body); ++i)
    {
        dJointID joint = dBodyGetJoint(body, i);
        if (dJointGetType(joint) == dJointTypeContact && (!dJointGetBody(joint, 0) || !dJointGetBody(joint, 1)))
            ++count;
    }
    return count;
}

TEST(PhysicsWorldTest, FramesAreCutIntoEqualPassesOfTwiceTheirTime)
{
    struct Case
    {
        float dt;
        float subStep;
        std::vector<float> passes;
    };
    const float third = 0.04f / 3.0f;
    const Case cases[] = {
        {0.016f, 0.02f, {0.016f, 0.016f}},
        {0.02f, 0.02f, {third, third, third}},
        {0.016f, 0.0f, {0.032f}},
        {0.005f, 0.02f, {0.01f}},
        // Without positive time ODE would abort: no pass, but the world's update runs.
        {0.0f, 0.02f, {}},
        {-0.01f, 0.0f, {}},
        {NAN, 0.02f, {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.dt);
        kaPhysicsWorld world;
        world.SetSubStepLength(c.subStep);
        auto* dynamic = new Solid(world, "dynamic", false);
        auto* plain = new Solid(world, "plain", false);
        world.AddDynamicEntity(dynamic);
        world.Update(c.dt);
        ASSERT_EQ(dynamic->updates.size(), c.passes.size());
        for (size_t i = 0; i < c.passes.size(); ++i)
            EXPECT_NEAR(dynamic->updates[i], c.passes[i], 1e-6f);
        ASSERT_EQ(plain->updates.size(), 1u);
        if (!std::isnan(c.dt))
            EXPECT_FLOAT_EQ(plain->updates[0], c.dt * 2.0f);
    }
}

TEST(PhysicsWorldTest, PausedNothingMovesAndNothingUpdates)
{
    kaPhysicsWorld world;
    auto* ball = new Solid(world, "ball", true);
    ball->AddSphere("ball", 0.5);
    ball->Place(0, 10, 0);
    kaApp app("PhysicsWorldTest", "PhysicsWorldTest");
    app.SetPaused(true);
    world.Update(0.016f);
    EXPECT_EQ(dBodyGetPosition(ball->m_Body)[1], 10.0);
    EXPECT_TRUE(ball->updates.empty());
    app.SetPaused(false);
    world.Update(0.016f);
    EXPECT_LT(dBodyGetPosition(ball->m_Body)[1], 10.0);
    EXPECT_EQ(ball->updates.size(), 1u);
}

TEST(PhysicsWorldTest, NearCallbackSkipsPairsThatNeverTouch)
{
    struct Case
    {
        const char* name;
        std::function<std::pair<Solid*, Solid*>(kaPhysicsWorld&)> build;
        Log calls;
        bool touching;
    };
    const auto pair = [](kaPhysicsWorld& world, bool bodies)
    {
        auto* a = new Solid(world, "a", bodies);
        auto* b = new Solid(world, "b", bodies);
        a->AddSphere("hull", 0.5, true);
        b->AddSphere("pad", 0.5);
        a->Place(0, 0, 0);
        b->Place(0.5, 0, 0);
        return std::make_pair(a, b);
    };
    const Case cases[] = {
        {"two bodies", [&](kaPhysicsWorld& w) { return pair(w, true); }, {"collide a b", "collide b a"}, true},
        {"one body",
         [](kaPhysicsWorld& w)
         {
             auto* a = new Solid(w, "a", true);
             a->AddSphere("left", 0.5);
             a->AddSphere("right", 0.5, true);
             return std::make_pair(a, a);
         },
         {},
         false},
        {"two static", [&](kaPhysicsWorld& w) { return pair(w, false); }, {}, false},
        {"jointed",
         [&](kaPhysicsWorld& w)
         {
             const auto solids = pair(w, true);
             dJointAttach(dJointCreateBall(w.GetODEWorld(), nullptr), solids.first->m_Body,
                          solids.second->m_Body);
             return solids;
         },
         {},
         false},
        {"one sub-space",
         [](kaPhysicsWorld& w)
         {
             auto* a = new Solid(w, "a", true, true);
             a->AddSphere("moving", 0.5);
             dGeomSetBody(a->AddSphere("pinned", 0.5)->GetGeom(), nullptr);
             return std::make_pair(a, a);
         },
         {},
         false},
        {"trigger",
         [&](kaPhysicsWorld& w)
         {
             const auto solids = pair(w, true);
             solids.second->m_Geoms[0]->m_Trigger = true;
             return solids;
         },
         {"trigger a b hull pad", "trigger b a pad hull"},
         false},
        {"pass-through",
         [&](kaPhysicsWorld& w)
         {
             const auto solids = pair(w, true);
             solids.first->m_Geoms[0]->SetMaterial(std::make_unique<PassThroughMaterial>());
             return solids;
         },
         {"collide a b", "collide b a"},
         false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        kaPhysicsWorld world;
        const auto [a, b] = c.build(world);
        EXPECT_EQ(CollideOnce(world), c.calls);
        if (a != b)
            EXPECT_EQ(Touching(a->m_Body, b->m_Body), c.touching);
        if (a->m_Body)
            EXPECT_EQ(dBodyGetNumJoints(a->m_Body) > 0, c.touching || std::string(c.name) == "jointed");
    }
}

TEST(PhysicsWorldTest, HiddenOrNonCollidableEntitiesTouchOnlyEntityLessGeoms)
{
    enum Change
    {
        kHideA,
        kHideB,
        kNotCollidableA,
        kNotCollidableB,
    };
    for (const Change change : {kHideA, kHideB, kNotCollidableA, kNotCollidableB})
    {
        SCOPED_TRACE(change);
        kaPhysicsWorld world;
        auto* a = new Solid(world, "a", true);
        auto* b = new Solid(world, "b", true);
        a->AddSphere("hull", 0.5);
        b->AddSphere("pad", 0.5);
        a->Place(0, 0.4, 0);
        b->Place(0.5, 0.4, 0);
        // Ground that belongs to no entity; one geom of it carries a record without an entity.
        dGeomID ground = dCreateBox(world.GetSpace(), 10, 1, 10);
        dGeomSetPosition(ground, 0, -0.4, 0);
        kaGeomData slab;
        slab.SetGeom(dCreateBox(world.GetSpace(), 10, 1, 10));
        dGeomSetPosition(slab.GetGeom(), 0, -0.4, 0);
        Solid* changed = (change == kHideA || change == kNotCollidableA) ? a : b;
        if (change == kHideA || change == kHideB)
            changed->SetVisible(false);
        else
            changed->SetCollidable(false);

        EXPECT_TRUE(CollideOnce(world).empty());
        EXPECT_FALSE(Touching(a->m_Body, b->m_Body));
        // One contact with each of the two ground geoms.
        EXPECT_EQ(GroundContacts(changed->m_Body), 2);
        world.Clear();
        dGeomDestroy(ground);
    }
}

TEST(PhysicsWorldTest, ContactsShareOneFeedbackAndRecordOnlyForEntitiesThatAsk)
{
    struct Case
    {
        bool processA;
        bool processB;
        int recordsA;
        int recordsB;
        size_t pool;
    };
    const Case cases[] = {{true, true, 1, 1, 1}, {true, false, 1, 0, 1}, {false, true, 0, 1, 1}, {false, false, 0, 0, 0}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.processA << c.processB);
        kaPhysicsWorld world;
        auto* a = new Solid(world, "a", true);
        auto* b = new Solid(world, "b", true);
        kaGeomData* hull = a->AddSphere("hull", 0.5, true);
        kaGeomData* pad = b->AddSphere("pad", 0.5);
        hull->SetMaterial(std::make_unique<kaMaterial>());
        b->Place(0.5, 0, 0);
        a->SetProcessCollisionForce(c.processA);
        b->SetProcessCollisionForce(c.processB);
        CollideOnce(world);
        EXPECT_EQ(a->GetContactRecordCount(), c.recordsA);
        EXPECT_EQ(b->GetContactRecordCount(), c.recordsB);
        EXPECT_EQ(world.GetFeedbackPoolSize(), c.pool);
        EXPECT_TRUE(Touching(a->m_Body, b->m_Body));
        if (c.recordsA)
        {
            const kaContactRecord& record = *a->GetContactRecords()[0];
            EXPECT_EQ(record.m_pOther, b);
            EXPECT_EQ(record.m_OwnGeom, hull->GetGeom());
            EXPECT_EQ(record.m_OtherGeom, pad->GetGeom());
            EXPECT_EQ(record.m_pOwnMaterial, hull->GetMaterial());
            EXPECT_EQ(record.m_pOtherMaterial, nullptr);
        }
        if (c.recordsA && c.recordsB)
            EXPECT_EQ(a->GetContactRecords()[0]->m_pFeedback, b->GetContactRecords()[0]->m_pFeedback);
    }
}

TEST(PhysicsWorldTest, APairMakesAtMostTenContacts)
{
    // A box pressed into a fine triangle grid touches many triangles at once.
    constexpr int kCells = 8;
    std::vector<float> vertices;
    for (int z = 0; z <= kCells; ++z)
        for (int x = 0; x <= kCells; ++x)
            vertices.insert(vertices.end(), {x * 0.25f - 1.0f, 0.0f, z * 0.25f - 1.0f});
    std::vector<dTriIndex> indices;
    for (int z = 0; z < kCells; ++z)
        for (int x = 0; x < kCells; ++x)
        {
            const dTriIndex corner = static_cast<dTriIndex>(z * (kCells + 1) + x);
            indices.insert(indices.end(), {corner, corner + kCells + 1, corner + 1, corner + 1,
                                           corner + kCells + 1, corner + kCells + 2});
        }
    dTriMeshDataID mesh = dGeomTriMeshDataCreate();
    dGeomTriMeshDataBuildSingle(mesh, vertices.data(), 3 * sizeof(float), static_cast<int>(vertices.size() / 3),
                                indices.data(), static_cast<int>(indices.size()), 3 * sizeof(dTriIndex));
    {
        kaPhysicsWorld world;
        auto* floor = new Solid(world, "floor", false);
        floor->Add(dCreateTriMesh(nullptr, mesh, nullptr, nullptr, nullptr), "floor");
        auto* crate = new Solid(world, "crate", true);
        crate->AddBox("crate", 1.6, 0.5, 1.6);
        crate->Place(0, 0.2, 0);
        const Log calls = CollideOnce(world);
        EXPECT_EQ(calls, (Log{"collide crate floor", "collide floor crate"}));
        EXPECT_EQ(crate->GetContactRecordCount(), 10);
        EXPECT_EQ(GroundContacts(crate->m_Body), 10);
    }
    dGeomTriMeshDataDestroy(mesh);
}

// A box sliding on a static slab slows in proportion to mu, the scale times both frictions: the same
// product slows it alike, a double product twice as fast.
TEST(PhysicsWorldTest, FrictionIsTheScaleTimesBothFrictions)
{
    struct Case
    {
        float scale;
        float slab;
        float box;
    };
    const Case cases[] = {{15.0f, 0.02f, 1.0f}, {15.0f, 1.0f, 0.04f}, {15.0f, 0.1f, 0.1f}, {30.0f, 0.05f, 0.05f},
                          {15.0f, 0.2f, 0.05f}};
    const auto slowing = [](const Case& c)
    {
        kaPhysicsWorld world;
        world.SetFrictionScale(c.scale);
        auto* slab = new Solid(world, "slab", false);
        slab->AddBox("slab", 100, 1, 100)->SetMaterial(std::make_unique<FrictionMaterial>(c.slab));
        slab->Place(0, -0.5, 0);
        auto* box = new Solid(world, "box", true);
        box->AddBox("box", 1, 1, 1)->SetMaterial(std::make_unique<FrictionMaterial>(c.box));
        box->Place(0, 0.5, 0);
        for (int i = 0; i < 10; ++i)
            world.Update(0.01f);
        dBodySetLinearVel(box->m_Body, 5, 0, 0);
        dBodyEnable(box->m_Body);
        for (int i = 0; i < 25; ++i)
            world.Update(0.01f);
        return 5.0 - dBodyGetLinearVel(box->m_Body)[0];
    };
    const double reference = slowing(cases[0]);
    const double referenceMu = 15.0 * 0.02;
    // Sliding friction is of the order of mu g over the half second simulated.
    EXPECT_GT(reference, 0.5 * referenceMu * 9.8 * 0.5);
    EXPECT_LT(reference, referenceMu * 9.8 * 0.5);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.scale << " " << c.slab << " " << c.box);
        const double mu = static_cast<double>(c.scale) * c.slab * c.box;
        EXPECT_NEAR(slowing(c) / reference, mu / referenceMu, 0.02);
    }
}

TEST(PhysicsWorldTest, FeedbackPoolGrowsToTheBusiestFrameAndHoldsUntilTheWorldsUpdate)
{
    kaPhysicsWorld world;
    world.SetSubStepLength(0.0f);
    auto* ground = new Solid(world, "ground", false);
    ground->AddBox("ground", 100, 1, 100);
    ground->Place(0, -0.5, 0);
    std::vector<Solid*> balls;
    for (int i = 0; i < 5; ++i)
    {
        balls.push_back(new Solid(world, "ball", true));
        balls.back()->AddSphere("ball", 0.5, true);
        balls.back()->Place(i * 2.0, 0.45, 0);
        balls.back()->SetProcessCollisionForce(false);
    }
    std::vector<int> counts;
    std::vector<dJointFeedback*> seen;
    ground->onUpdate = [&]()
    {
        counts.push_back(ground->GetContactRecordCount());
        for (int i = 0; i < ground->GetContactRecordCount(); ++i)
        {
            dJointFeedback* feedback = ground->GetContactRecords()[static_cast<size_t>(i)]->m_pFeedback;
            // The step filled it, and no later frame has taken it back yet.
            EXPECT_GT(std::abs(feedback->f1[1]) + std::abs(feedback->f2[1]), 0.0);
            if (std::find(seen.begin(), seen.end(), feedback) == seen.end())
                seen.push_back(feedback);
        }
        ground->ResetContactRecords();
    };
    // Falling onto the ground, so that every contact pushes back.
    const auto frame = [&]()
    {
        for (Solid* ball : balls)
            dBodySetLinearVel(ball->m_Body, 0, -1, 0);
        world.Update(0.016f);
    };
    frame();
    dGeomDisable(balls[0]->m_Geoms[0]->GetGeom());
    dGeomDisable(balls[4]->m_Geoms[0]->GetGeom());
    frame();
    EXPECT_EQ(counts, (std::vector<int>{5, 3}));
    EXPECT_EQ(world.GetFeedbackPoolSize(), 5u);
    EXPECT_EQ(seen.size(), 5u);
}

TEST(PhysicsWorldTest, ContactRecordsAreReusedStepAfterStep)
{
    kaPhysicsWorld world;
    Solid entity(world, "solid", false);
    std::vector<kaContactRecord*> first;
    for (int i = 0; i < 5; ++i)
        first.push_back(entity.NextContactRecord());
    entity.ResetContactRecords();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(entity.NextContactRecord(), first[static_cast<size_t>(i)]);
    EXPECT_EQ(entity.GetContactRecordCount(), 3);
    EXPECT_EQ(entity.GetContactRecords().size(), 5u);
    EXPECT_EQ(std::set<kaContactRecord*>(first.begin(), first.end()).size(), 5u);
    world.RemoveEntity(&entity);
}

// Two overlapping bodies, a touching b: the collision calls run in every pass.
struct Crash
{
    explicit Crash(kaPhysicsWorld& world) : a(new Solid(world, "a", true)), b(new Solid(world, "b", true))
    {
        a->AddSphere("hull", 0.5);
        b->AddSphere("pad", 0.5);
        b->Place(0.5, 0, 0);
    }
    Solid* a;
    Solid* b;
};

TEST(PhysicsWorldTest, EntitiesJoinTheDynamicListFromTheNextFrame)
{
    kaPhysicsWorld world;
    dWorldSetGravity(world.GetODEWorld(), 0, 0, 0);
    Crash crash(world);
    auto* late = new Solid(world, "late", false);
    std::vector<bool> colliding;
    crash.a->onCollide = [&]()
    {
        colliding.push_back(world.IsColliding());
        world.AddDynamicEntity(late);
    };
    late->onUpdate = [&]() { colliding.push_back(world.IsColliding()); };
    world.Update(0.016f);
    // Still one of the world's: updated once with the scaled frame.
    EXPECT_EQ(late->updates, (std::vector<float>{0.032f}));
    world.Update(0.016f);
    EXPECT_EQ(late->updates, (std::vector<float>{0.032f, 0.016f, 0.016f}));
    EXPECT_FALSE(late->GetWorldUpdate());
    EXPECT_EQ(world.GetDynamicList(), (std::vector<kaEntity*>{late}));
    // Collision calls inside the collision pass, updates outside it.
    EXPECT_EQ(colliding, (std::vector<bool>{true, true, false, true, false, true, false}));
}

TEST(PhysicsWorldTest, EntitiesLeavingTheWorldLeaveTheDynamicList)
{
    enum Way
    {
        kDeleteNow,
        kDeleteFromCollision,
        kRemoveFromCollision,
        kRemoveByName,
    };
    for (const Way way : {kDeleteNow, kDeleteFromCollision, kRemoveFromCollision, kRemoveByName})
    {
        SCOPED_TRACE(way);
        kaPhysicsWorld world;
        Crash crash(world);
        auto* rider = new Solid(world, "rider", false);
        world.AddDynamicEntity(rider);
        world.AddDynamicEntity(crash.b);
        std::unique_ptr<Solid> removed;
        if (way == kDeleteNow)
            world.DeleteEntity(rider, false);
        else if (way == kRemoveByName)
            world.RemoveEntitiesByName("rider");
        else
            crash.a->onCollide = [&]()
            {
                crash.a->onCollide = nullptr;
                if (way == kDeleteFromCollision)
                    world.DeleteEntity(rider, false);
                else
                {
                    world.RemoveEntity(rider);
                    removed.reset(rider);
                }
            };
        world.Update(0.016f);
        world.Update(0.016f);
        EXPECT_EQ(world.GetDynamicList(), (std::vector<kaEntity*>{crash.b}));
        if (removed)
        {
            // Back in the world's hands for updates, and stepped no more.
            EXPECT_TRUE(removed->GetWorldUpdate());
            EXPECT_EQ(removed->updates.size(), 2u);
        }
    }
}

TEST(PhysicsWorldTest, DestroyingAnEntityDropsTheRecordsThatNameIt)
{
    kaPhysicsWorld world;
    dWorldSetGravity(world.GetODEWorld(), 0, 0, 0);
    Crash crash(world);
    auto* c = new Solid(world, "c", true);
    c->AddSphere("c", 0.5);
    c->Place(-0.5, 0, 0);
    crash.b->onCollide = [&]()
    {
        crash.b->onCollide = nullptr;
        world.DeleteEntity(crash.b, false);
    };
    const kaEntityPhysical* doomed = crash.b;
    std::vector<const kaEntityPhysical*> others;
    crash.a->onUpdate = [&]()
    {
        for (int i = 0; i < crash.a->GetContactRecordCount(); ++i)
            others.push_back(crash.a->GetContactRecords()[static_cast<size_t>(i)]->m_pOther);
    };
    world.Update(0.016f);
    ASSERT_FALSE(others.empty());
    EXPECT_EQ(std::count(others.begin(), others.end(), c), static_cast<long>(others.size()));
    EXPECT_EQ(std::count(others.begin(), others.end(), doomed), 0);
    EXPECT_EQ(world.FindEntityByName("b"), nullptr);
}

TEST(PhysicsWorldTest, GeomDataDestroysEachGeomOnce)
{
    kaPhysicsWorld world;
    for (const int cleanup : {0, 1})
    {
        SCOPED_TRACE(cleanup);
        dGeomID transform = dCreateGeomTransform(world.GetSpace());
        dGeomID inner = dCreateSphere(nullptr, 1.0);
        dGeomTransformSetGeom(transform, inner);
        dGeomTransformSetCleanup(transform, cleanup);
        {
            kaGeomData data;
            data.SetGeom(transform);
            EXPECT_EQ(dGeomGetData(transform), &data);
            EXPECT_EQ(dGeomGetData(inner), &data);
            EXPECT_EQ(dSpaceGetNumGeoms(world.GetSpace()), 1);
        }
        EXPECT_EQ(dSpaceGetNumGeoms(world.GetSpace()), 0);
    }
}

class PhysicsDebugDrawTest : public GraphicsManagerFixture
{
};

TEST_F(PhysicsDebugDrawTest, DrawsPlacedShapesOfEverySpaceWithAMarkerEach)
{
    ASSERT_TRUE(Start(nullptr));
    kaPhysicsWorld world;
    auto* ball = new Solid(world, "ball", true, true);
    ball->AddSphere("ball", 0.5, true);
    dGeomSetPosition(dGeomTransformGetGeom(ball->m_Geoms[0]->GetGeom()), 0, 1, 0);
    ball->Place(1, 2, 3);
    auto* crate = new Solid(world, "crate", false);
    crate->AddBox("crate", 2, 2, 2);
    crate->Place(4, 0, 0);
    auto* hidden = new Solid(world, "hidden", false);
    dGeomDisable(hidden->AddBox("hidden", 1, 1, 1)->GetGeom());
    dGeomID plane = dCreatePlane(world.GetSpace(), 0, 1, 0, 0);

    world.Render(0);
    EXPECT_TRUE(m_Manager->GetDebugPrimitives().empty());
    world.ToggleDebugDraw();
    world.Render(0);
    const auto& primitives = m_Manager->GetDebugPrimitives();
    std::vector<std::vector<float>> markers;
    for (const kaDebugPrimitive& primitive : primitives)
        if (primitive.vertices.size() == 6 && primitive.vertices[0].diffuse == kaPhysicsWorld::kMarkerColor)
            markers.push_back({primitive.vertices[0].x, primitive.vertices[0].y, primitive.vertices[0].z,
                               primitive.vertices[1].x - primitive.vertices[0].x,
                               primitive.vertices[3].y - primitive.vertices[2].y});
    std::sort(markers.begin(), markers.end());
    // The sphere sits one above its transform's place.
    EXPECT_EQ(markers, (std::vector<std::vector<float>>{{1, 3, 3, 1, 0.5f}, {4, 0, 0, 1, 0.5f}}));
    EXPECT_EQ(primitives.size(), 4u);
    dGeomDestroy(plane);
}

} // namespace
