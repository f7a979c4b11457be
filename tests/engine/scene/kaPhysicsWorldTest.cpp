#include "engine/scene/kaPhysicsWorld.h"

#include "engine/core/kaApp.h"
#include "engine/scene/kaEntityPhysical.h"
#include "engine/scene/kaGeomData.h"
#include "engine/scene/kaMaterial.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

// The entities place primitives in geom transforms, which ODE keeps but marks deprecated.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace
{

using ContactLog = std::vector<std::string>;
ContactLog g_ContactLog;

class TestMaterial : public kaMaterial
{
public:
    explicit TestMaterial(float friction, bool passThrough = false)
    {
        m_Friction = friction;
        m_PassThrough = passThrough;
    }
};

// A physical entity with hand-made geoms on one body (or none), in a sub-space of its own or in the
// world's space. It logs its collision calls and updates.
class Solid : public kaEntityPhysical
{
public:
    Solid(kaPhysicsWorld& world, const std::string& name, bool body, bool ownSpace = false)
        : m_OwnSpace(ownSpace)
    {
        SetName(name);
        m_Body = body ? dBodyCreate(world.GetODEWorld()) : nullptr;
        if (m_Body)
        {
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
    // In a geom transform when asked, as the physical entities place their primitives.
    kaGeomData* Add(dGeomID shape, const std::string& name, bool transform = false)
    {
        dGeomID geom = transform ? dCreateGeomTransform(m_Space) : shape;
        if (transform)
        {
            dGeomTransformSetGeom(geom, shape);
            dGeomTransformSetInfo(geom, 1);
        }
        else
            dSpaceAdd(m_Space, shape);
        if (m_Body)
            dGeomSetBody(geom, m_Body);
        m_Geoms.push_back(std::make_unique<kaGeomData>());
        m_Geoms.back()->SetGeom(geom);
        m_Geoms.back()->m_pEntity = this;
        m_Geoms.back()->m_Name = name;
        return m_Geoms.back().get();
    }
    void Place(dReal x, dReal y, dReal z)
    {
        if (m_Body)
            dBodySetPosition(m_Body, x, y, z);
        for (const auto& data : m_Geoms)
            if (!m_Body)
                dGeomSetPosition(data->GetGeom(), x, y, z);
    }

    void OnCollide(kaEntityPhysical* other, kaMaterial* own, kaMaterial* theirs) override
    {
        g_ContactLog.push_back("collide " + GetName() + " " + other->GetName());
        EXPECT_EQ(own, m_Geoms.front()->GetMaterial());
        EXPECT_EQ(theirs, static_cast<Solid*>(other)->m_Geoms.front()->GetMaterial());
        // A copy: the action may clear its own slot.
        if (auto action = onCollide)
            action();
    }
    void OnTrigger(kaEntityPhysical* other, const std::string& own, const std::string& theirs) override
    {
        g_ContactLog.push_back("trigger " + GetName() + " " + other->GetName() + " " + own + " " + theirs);
    }
    void Update(float dt) override
    {
        updates.push_back(dt);
        if (onUpdate)
            onUpdate();
    }

    dBodyID m_Body;
    dSpaceID m_Space;
    bool m_OwnSpace;
    std::vector<std::unique_ptr<kaGeomData>> m_Geoms;
    std::function<void()> onCollide, onUpdate;
    std::vector<float> updates;
};

// An entity of one sphere of radius 0.5 at a point.
Solid* Ball(kaPhysicsWorld& world, const std::string& name, dReal x, dReal y = 0, bool body = true,
            bool transform = false)
{
    auto* solid = new Solid(world, name, body);
    solid->Add(dCreateSphere(nullptr, 0.5), name, transform);
    solid->Place(x, y, 0);
    return solid;
}

// Runs the collision pass alone; its calls in a fixed order, whichever geom ODE hands first.
ContactLog CollideOnce(kaPhysicsWorld& world)
{
    g_ContactLog.clear();
    dSpaceCollide(world.GetSpace(), &world, &kaPhysicsWorld::NearCallback);
    std::sort(g_ContactLog.begin(), g_ContactLog.end());
    return g_ContactLog;
}

// A contact joint between the two, not the ball joint of the jointed case.
bool Touching(const Solid* a, const Solid* b)
{
    return a->m_Body && b->m_Body && dAreConnectedExcluding(a->m_Body, b->m_Body, dJointTypeBall);
}

int GroundContacts(dBodyID body)
{
    int count = 0;
    for (int i = 0; i < dBodyGetNumJoints(body); ++i)
        count += dJointGetBody(dBodyGetJoint(body, i), 1) == nullptr ? 1 : 0;
    return count;
}

TEST(PhysicsWorldTest, FramesAreCutIntoEqualPassesOfTwiceTheirTime)
{
    struct Case
    {
        float dt, subStep;
        std::vector<float> passes;
    };
    const float third = 0.04f / 3.0f;
    // Without positive time ODE would abort: no pass, but the world's update runs.
    const Case cases[] = {{0.016f, 0.02f, {0.016f, 0.016f}},
                          {0.02f, 0.02f, {third, third, third}},
                          {0.016f, 0.0f, {0.032f}},
                          {0.005f, 0.02f, {0.01f}},
                          {0.0f, 0.02f, {}},
                          {-0.01f, 0.0f, {}},
                          {NAN, 0.02f, {}}};
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
        {
            EXPECT_FLOAT_EQ(plain->updates[0], c.dt * 2.0f);
        }
    }
    // A frame far longer than the frame loop hands over runs as many passes as its longest frame.
    kaPhysicsWorld world;
    auto* dynamic = new Solid(world, "dynamic", false);
    world.AddDynamicEntity(dynamic);
    world.Update(1.0e9f);
    EXPECT_EQ(dynamic->updates.size(), static_cast<size_t>(kaPhysicsWorld::kMaxPasses));
}

// A body carried or put where the hash space cannot file it (a force no course needs, a place set from
// outside) is stopped at the placement bound before the next collision pass, instead of ending the program.
TEST(PhysicsWorldTest, ABodyBeyondThePlacementBoundStopsThereAndTheWorldGoesOn)
{
    const struct
    {
        const char* name;
        dReal place;
        dReal speed;
    } cases[] = {{"placed", 5.0e9, 0.0}, {"thrown", 0.0, -1.0e11}, {"in its own space", 0.0, 3.0e12}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        kaPhysicsWorld world;
        Solid* far = std::string(c.name) == "in its own space" ? new Solid(world, "far", true, true)
                                                               : new Solid(world, "far", true);
        far->Add(dCreateSphere(nullptr, 0.5), "far", true);
        far->Place(c.place, 0, 0);
        dBodySetLinearVel(far->m_Body, c.speed, 0, 0);
        Solid* near = Ball(world, "near", 3, 0);
        for (int frame = 0; frame < 30; ++frame)
            world.Update(1.0f / 30.0f);
        const dReal* at = dBodyGetPosition(far->m_Body);
        EXPECT_TRUE(kaEntity::IsWithinPlacementBound(platform::Vector3(
            static_cast<float>(at[0]), static_cast<float>(at[1]), static_cast<float>(at[2]))))
            << at[0];
        EXPECT_NEAR(std::fabs(at[0]), kaEntity::kPlacementBound, 1.0);
        EXPECT_EQ(dBodyGetLinearVel(far->m_Body)[0], 0.0);
        // The rest of the world is left as it was.
        EXPECT_NEAR(dBodyGetPosition(near->m_Body)[0], 3.0, 1e-6);
    }
}

// A push ODE cannot integrate, given by the frame or by a collision call, and a body set moving, spinning or
// turned by values it cannot take: the push is refused or the body stopped before the step, and the world
// goes on with every body where it rested. An ordinary push still lifts its body.
TEST(PhysicsWorldTest, PushesAndMotionsODECannotTakeAreRefusedAndTheWorldGoesOn)
{
    const dReal inf = std::numeric_limits<dReal>::infinity();
    const dReal nan = std::numeric_limits<dReal>::quiet_NaN();
    const struct
    {
        const char* name;
        std::function<void(Solid&)> give;
        // Given by the ball's collision call with the ground instead of before each frame.
        bool inCollision;
        bool lifts;
    } cases[] = {
        {"a force of inf", [inf](Solid& b) { dBodyAddForce(b.m_Body, 0, inf, 0); }, false, false},
        {"a force not a number", [nan](Solid& b) { dBodyAddForce(b.m_Body, nan, 0, 0); }, false, false},
        {"a force past what a pass takes", [](Solid& b) { dBodyAddForce(b.m_Body, 0, 1e300, 0); }, false,
         false},
        {"a torque of -inf", [inf](Solid& b) { dBodyAddTorque(b.m_Body, 0, 0, -inf); }, false, false},
        {"a torque not a number", [nan](Solid& b) { dBodyAddTorque(b.m_Body, nan, 0, 0); }, false, false},
        {"a torque past what a pass takes", [](Solid& b) { dBodyAddTorque(b.m_Body, 1e300, 0, 0); }, false,
         false},
        {"a force of inf from a collision", [inf](Solid& b) { dBodyAddForce(b.m_Body, 0, inf, 0); }, true,
         false},
        {"a torque not a number from a collision", [nan](Solid& b) { dBodyAddTorque(b.m_Body, 0, nan, 0); },
         true, false},
        {"a speed not a number", [nan](Solid& b) { dBodySetLinearVel(b.m_Body, 0, nan, 0); }, false, false},
        {"a speed of 1e300", [](Solid& b) { dBodySetLinearVel(b.m_Body, 0, 1e300, 0); }, false, false},
        {"a spin of inf", [inf](Solid& b) { dBodySetAngularVel(b.m_Body, inf, 0, 0); }, false, false},
        {"a spin of 1e300", [](Solid& b) { dBodySetAngularVel(b.m_Body, 0, 1e300, 1e300); }, false, false},
        {"an ordinary push", [](Solid& b) { dBodyAddForce(b.m_Body, 0, 60, 0); }, false, true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        kaPhysicsWorld world;
        auto* ground = new Solid(world, "ground", false);
        ground->Add(dCreateBox(nullptr, 100, 1, 100), "ground");
        ground->Place(0, -0.5, 0);
        Solid* ball = Ball(world, "ball", 0, 0.5);
        Solid* other = Ball(world, "other", 3, 0.5);
        if (c.inCollision)
            ball->onCollide = [&c, ball] { c.give(*ball); };
        // Seen after every pass: a body the step carried off and the bound brought back is not where it
        // rested.
        dReal highest = 0;
        world.AddDynamicEntity(ball);
        ball->onUpdate = [&highest, ball] { highest = std::max(highest, dBodyGetPosition(ball->m_Body)[1]); };
        for (int frame = 0; frame < 30; ++frame)
        {
            if (!c.inCollision)
                c.give(*ball);
            world.Update(1.0f / 30.0f);
        }
        const dReal* at = dBodyGetPosition(ball->m_Body);
        const dReal* q = dBodyGetQuaternion(ball->m_Body);
        for (const dReal value : {at[0], at[1], at[2], q[0], q[1], q[2], q[3]})
            EXPECT_TRUE(std::isfinite(value)) << value;
        for (const dReal* motion : {dBodyGetLinearVel(ball->m_Body), dBodyGetAngularVel(ball->m_Body)})
            for (int axis = 0; axis < 3; ++axis)
                EXPECT_LT(std::fabs(motion[axis]), 100.0) << motion[axis];
        EXPECT_NEAR(at[0], 0.0, 0.5);
        EXPECT_NEAR(at[2], 0.0, 0.5);
        EXPECT_EQ(highest > 1.0, c.lifts) << highest;
        EXPECT_NEAR(dBodyGetPosition(other->m_Body)[0], 3.0, 1e-6);
        EXPECT_NEAR(dBodyGetPosition(other->m_Body)[1], 0.5, 0.05);
    }
}

TEST(PhysicsWorldTest, PausedNothingMovesAndNothingUpdates)
{
    kaPhysicsWorld world;
    Solid* ball = Ball(world, "ball", 0, 10);
    kaApp app("PhysicsWorldTest", "PhysicsWorldTest");
    for (const bool paused : {true, false})
    {
        app.SetPaused(paused);
        world.Update(0.016f);
        EXPECT_EQ(dBodyGetPosition(ball->m_Body)[1] == 10.0, paused);
        EXPECT_EQ(ball->updates.size(), paused ? 0u : 1u);
    }
}

TEST(PhysicsWorldTest, NearCallbackTouchesCallsOrSkipsByThePair)
{
    enum Pair
    {
        kTwoBodies,
        kOneBody,
        kTwoStatic,
        kJointed,
        kOneSubSpace,
        kTrigger,
        kPassThrough,
    };
    struct Case
    {
        Pair pair;
        ContactLog calls;
        bool touching;
    };
    const Case cases[] = {{kTwoBodies, {"collide a b", "collide b a"}, true},
                          {kOneBody, {}, false},
                          {kTwoStatic, {}, false},
                          {kJointed, {}, false},
                          {kOneSubSpace, {}, false},
                          {kTrigger, {"trigger a b a b", "trigger b a b a"}, false},
                          {kPassThrough, {"collide a b", "collide b a"}, false}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pair);
        kaPhysicsWorld world;
        Solid* a = nullptr;
        Solid* b = nullptr;
        if (c.pair == kOneBody || c.pair == kOneSubSpace)
        {
            // Two geoms of one entity: on its body, or one of them static in its sub-space.
            a = b = new Solid(world, "a", true, c.pair == kOneSubSpace);
            a->Add(dCreateSphere(nullptr, 0.5), "left");
            dGeomSetBody(a->Add(dCreateSphere(nullptr, 0.5), "right", true)->GetGeom(),
                         c.pair == kOneBody ? a->m_Body : nullptr);
        }
        else
        {
            a = Ball(world, "a", 0, 0, c.pair != kTwoStatic, true);
            b = Ball(world, "b", 0.5, 0, c.pair != kTwoStatic);
        }
        if (c.pair == kJointed)
            dJointAttach(dJointCreateBall(world.GetODEWorld(), nullptr), a->m_Body, b->m_Body);
        if (c.pair == kTrigger)
            b->m_Geoms[0]->m_Trigger = true;
        if (c.pair == kPassThrough)
            a->m_Geoms[0]->SetMaterial(std::make_unique<TestMaterial>(1.0f, true));
        EXPECT_EQ(CollideOnce(world), c.calls);
        EXPECT_EQ(Touching(a, b), c.touching);
        EXPECT_EQ(world.GetFeedbackPoolSize(), c.touching ? 1u : 0u);
    }
}

TEST(PhysicsWorldTest, HiddenOrNonCollidableEntitiesTouchOnlyEntityLessGeoms)
{
    for (const bool hide : {true, false})
        for (const bool first : {true, false})
        {
            SCOPED_TRACE(testing::Message() << hide << first);
            kaPhysicsWorld world;
            Solid* a = Ball(world, "a", 0, 0.4);
            Solid* b = Ball(world, "b", 0.5, 0.4);
            // Ground of no entity: a bare geom, and one whose record has no entity.
            dGeomID ground = dCreateBox(world.GetSpace(), 10, 1, 10);
            dGeomSetPosition(ground, 0, -0.4, 0);
            auto slab = std::make_unique<kaGeomData>();
            slab->SetGeom(dCreateBox(world.GetSpace(), 10, 1, 10));
            dGeomSetPosition(slab->GetGeom(), 0, -0.4, 0);
            Solid* changed = first ? a : b;
            if (hide)
                changed->SetVisible(false);
            else
                changed->SetCollidable(false);
            EXPECT_TRUE(CollideOnce(world).empty());
            EXPECT_FALSE(Touching(a, b));
            EXPECT_EQ(GroundContacts(changed->m_Body), 2);
            world.Clear();
            dGeomDestroy(ground);
        }
}

TEST(PhysicsWorldTest, ContactsShareOneFeedbackAndRecordOnlyForEntitiesThatAsk)
{
    for (const bool processA : {true, false})
        for (const bool processB : {true, false})
        {
            SCOPED_TRACE(testing::Message() << processA << processB);
            kaPhysicsWorld world;
            Solid* a = Ball(world, "a", 0, 0, true, true);
            Solid* b = Ball(world, "b", 0.5);
            a->m_Geoms[0]->SetMaterial(std::make_unique<kaMaterial>());
            a->SetProcessCollisionForce(processA);
            b->SetProcessCollisionForce(processB);
            CollideOnce(world);
            EXPECT_EQ(a->GetContactRecordCount(), processA ? 1 : 0);
            EXPECT_EQ(b->GetContactRecordCount(), processB ? 1 : 0);
            EXPECT_EQ(world.GetFeedbackPoolSize(), processA || processB ? 1u : 0u);
            if (!processB)
                continue;
            const kaContactRecord& record = *b->GetContactRecords()[0];
            EXPECT_EQ(record.m_pOther, a);
            EXPECT_EQ(record.m_OwnGeom, b->m_Geoms[0]->GetGeom());
            EXPECT_EQ(record.m_OtherGeom, a->m_Geoms[0]->GetGeom());
            EXPECT_EQ(record.m_pOwnMaterial, nullptr);
            EXPECT_EQ(record.m_pOtherMaterial, a->m_Geoms[0]->GetMaterial());
            if (processA)
            {
                EXPECT_EQ(a->GetContactRecords()[0]->m_pFeedback, record.m_pFeedback);
            }
        }
}

TEST(PhysicsWorldTest, APairMakesAtMostTenContacts)
{
    // A box pressed into a fine triangle grid touches many triangles at once.
    constexpr int kCells = 8;
    std::vector<float> vertices;
    std::vector<dTriIndex> indices;
    for (int z = 0; z <= kCells; ++z)
        for (int x = 0; x <= kCells; ++x)
        {
            vertices.insert(vertices.end(), {x * 0.25f - 1.0f, 0.0f, z * 0.25f - 1.0f});
            const auto corner = static_cast<dTriIndex>(z * (kCells + 1) + x);
            if (x < kCells && z < kCells)
                indices.insert(indices.end(), {corner, corner + kCells + 1, corner + 1, corner + 1,
                                               corner + kCells + 1, corner + kCells + 2});
        }
    dTriMeshDataID mesh = dGeomTriMeshDataCreate();
    dGeomTriMeshDataBuildSingle(mesh, vertices.data(), 3 * sizeof(float),
                                static_cast<int>(vertices.size() / 3), indices.data(),
                                static_cast<int>(indices.size()), 3 * sizeof(dTriIndex));
    {
        kaPhysicsWorld world;
        (new Solid(world, "floor", false))
            ->Add(dCreateTriMesh(nullptr, mesh, nullptr, nullptr, nullptr), "floor");
        auto* crate = new Solid(world, "crate", true);
        crate->Add(dCreateBox(nullptr, 1.6, 0.5, 1.6), "crate");
        crate->Place(0, 0.2, 0);
        EXPECT_EQ(CollideOnce(world), (ContactLog{"collide crate floor", "collide floor crate"}));
        EXPECT_EQ(crate->GetContactRecordCount(), 10);
        EXPECT_EQ(GroundContacts(crate->m_Body), 10);
    }
    dGeomTriMeshDataDestroy(mesh);
}

// A box sliding on a static slab slows in proportion to mu, the scale times both frictions.
TEST(PhysicsWorldTest, FrictionIsTheScaleTimesBothFrictions)
{
    struct Case
    {
        float scale, slab, box;
    };
    const Case cases[] = {{15.0f, 0.02f, 1.0f},
                          {15.0f, 1.0f, 0.04f},
                          {15.0f, 0.1f, 0.1f},
                          {30.0f, 0.05f, 0.05f},
                          {15.0f, 0.2f, 0.05f}};
    const auto slowing = [](const Case& c)
    {
        kaPhysicsWorld world;
        world.SetFrictionScale(c.scale);
        auto* slab = new Solid(world, "slab", false);
        slab->Add(dCreateBox(nullptr, 100, 1, 100), "slab")
            ->SetMaterial(std::make_unique<TestMaterial>(c.slab));
        slab->Place(0, -0.5, 0);
        auto* box = new Solid(world, "box", true);
        box->Add(dCreateBox(nullptr, 1, 1, 1), "box")->SetMaterial(std::make_unique<TestMaterial>(c.box));
        box->Place(0, 0.5, 0);
        for (int i = 0; i < 10; ++i)
            world.Update(0.01f);
        dBodySetLinearVel(box->m_Body, 5, 0, 0);
        dBodyEnable(box->m_Body);
        for (int i = 0; i < 25; ++i)
            world.Update(0.01f);
        return 5.0 - dBodyGetLinearVel(box->m_Body)[0];
    };
    // Of the order of mu g over the half second simulated.
    const double reference = slowing(cases[0]);
    EXPECT_GT(reference, 0.5 * 0.3 * 9.8 * 0.5);
    EXPECT_LT(reference, 0.3 * 9.8 * 0.5);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.scale << " " << c.slab << " " << c.box);
        EXPECT_NEAR(slowing(c) / reference, c.scale * c.slab * c.box / 0.3, 0.02);
    }
}

TEST(PhysicsWorldTest, FeedbackPoolGrowsToTheBusiestFrameAndHoldsUntilTheWorldsUpdate)
{
    kaPhysicsWorld world;
    world.SetSubStepLength(0.0f);
    auto* ground = new Solid(world, "ground", false);
    ground->Add(dCreateBox(nullptr, 100, 1, 100), "ground");
    ground->Place(0, -0.5, 0);
    std::vector<Solid*> balls;
    for (int i = 0; i < 5; ++i)
    {
        balls.push_back(Ball(world, "ball", i * 2.0, 0.45, true, true));
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
    for (const int disabled : {0, 2})
    {
        for (int i = 0; i < disabled; ++i)
            dGeomDisable(balls[static_cast<size_t>(i)]->m_Geoms[0]->GetGeom());
        // Falling onto the ground, so that every contact pushes back.
        for (Solid* ball : balls)
            dBodySetLinearVel(ball->m_Body, 0, -1, 0);
        world.Update(0.016f);
    }
    EXPECT_EQ(counts, (std::vector<int>{5, 3}));
    EXPECT_EQ(world.GetFeedbackPoolSize(), 5u);
    EXPECT_EQ(seen.size(), 5u);
}

TEST(PhysicsWorldTest, ContactRecordsAreReusedStepAfterStep)
{
    kaPhysicsWorld world;
    Solid* solid = Ball(world, "solid", 0);
    std::vector<kaContactRecord*> first;
    for (int i = 0; i < 5; ++i)
        first.push_back(solid->NextContactRecord());
    solid->ResetContactRecords();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(solid->NextContactRecord(), first[static_cast<size_t>(i)]);
    EXPECT_EQ(solid->GetContactRecordCount(), 3);
    EXPECT_EQ(solid->GetContactRecords().size(), 5u);
}

TEST(PhysicsWorldTest, EntitiesJoinTheDynamicListFromTheNextFrame)
{
    kaPhysicsWorld world;
    dWorldSetGravity(world.GetODEWorld(), 0, 0, 0);
    Solid* a = Ball(world, "a", 0);
    Ball(world, "b", 0.5);
    auto* late = new Solid(world, "late", false);
    std::vector<bool> colliding;
    a->onCollide = [&]()
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
        Solid* a = Ball(world, "a", 0);
        Solid* b = Ball(world, "b", 0.5);
        auto* rider = new Solid(world, "rider", false);
        world.AddDynamicEntity(rider);
        world.AddDynamicEntity(b);
        std::unique_ptr<Solid> removed;
        if (way == kDeleteNow)
            world.DeleteEntity(rider, false);
        if (way == kRemoveByName)
            world.RemoveEntitiesByName("rider");
        a->onCollide = [&]()
        {
            a->onCollide = nullptr;
            if (way == kDeleteFromCollision)
                world.DeleteEntity(rider, false);
            if (way == kRemoveFromCollision && world.RemoveEntity(rider) == false)
                removed.reset(rider);
        };
        world.Update(0.016f);
        world.Update(0.016f);
        EXPECT_EQ(world.GetDynamicList(), (std::vector<kaEntity*>{b}));
        // Back in the world's hands for updates, and stepped no more after the frame that removed it.
        if (removed)
        {
            EXPECT_TRUE(removed->GetWorldUpdate());
        }
        if (removed)
        {
            EXPECT_EQ(removed->updates.size(), 2u);
        }
    }
}

TEST(PhysicsWorldTest, DestroyingAnEntityDropsTheRecordsThatNameIt)
{
    kaPhysicsWorld world;
    dWorldSetGravity(world.GetODEWorld(), 0, 0, 0);
    Solid* a = Ball(world, "a", 0);
    Solid* doomed = Ball(world, "b", 0.5);
    Solid* c = Ball(world, "c", -0.5);
    doomed->onCollide = [&]() { world.DeleteEntity(doomed, false); };
    std::vector<const kaEntityPhysical*> others;
    a->onUpdate = [&]()
    {
        for (int i = 0; i < a->GetContactRecordCount(); ++i)
            others.push_back(a->GetContactRecords()[static_cast<size_t>(i)]->m_pOther);
    };
    world.Update(0.016f);
    // The records of the passes before the delete applied, less those that named it.
    EXPECT_EQ(others, std::vector<const kaEntityPhysical*>(2, c));
    EXPECT_EQ(world.FindEntityByName("b"), nullptr);
}

TEST(PhysicsWorldTest, GeomDataDestroysEachGeomOnce)
{
    kaPhysicsWorld world;
    for (const int cleanup : {0, 1})
    {
        dGeomID transform = dCreateGeomTransform(world.GetSpace());
        dGeomID inner = dCreateSphere(nullptr, 1.0);
        dGeomTransformSetGeom(transform, inner);
        dGeomTransformSetCleanup(transform, cleanup);
        auto data = std::make_unique<kaGeomData>();
        data->SetGeom(transform);
        EXPECT_EQ(dGeomGetData(transform), data.get());
        EXPECT_EQ(dGeomGetData(inner), data.get());
        data.reset();
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
    dGeomID sphere = dCreateSphere(nullptr, 0.5);
    ball->Add(sphere, "ball", true);
    dGeomSetPosition(sphere, 0, 1, 0);
    ball->Place(1, 2, 3);
    (new Solid(world, "crate", false))->Add(dCreateBox(nullptr, 2, 2, 2), "crate");
    dGeomDisable((new Solid(world, "hidden", false))->Add(dCreateBox(nullptr, 1, 1, 1), "hidden")->GetGeom());
    dGeomID plane = dCreatePlane(world.GetSpace(), 0, 1, 0, 0);

    const size_t placed = CallsOf("SetTransform").size();
    world.Render(0);
    // The world's own pass ran: it placed its camera.
    EXPECT_GT(CallsOf("SetTransform").size(), placed);
    EXPECT_TRUE(m_Manager->GetDebugPrimitives().empty());
    world.ToggleDebugDraw();
    world.Render(0);
    std::vector<std::vector<float>> markers;
    for (const kaDebugPrimitive& primitive : m_Manager->GetDebugPrimitives())
        if (primitive.vertices[0].diffuse == kaPhysicsWorld::kMarkerColor)
            markers.push_back({primitive.vertices[0].x, primitive.vertices[0].y, primitive.vertices[0].z,
                               primitive.vertices[1].x - primitive.vertices[0].x,
                               primitive.vertices[3].y - primitive.vertices[2].y});
    std::sort(markers.begin(), markers.end());
    // The sphere sits one above its transform's place.
    EXPECT_EQ(markers, (std::vector<std::vector<float>>{{0, 0, 0, 1, 0.5f}, {1, 3, 3, 1, 0.5f}}));
    EXPECT_EQ(m_Manager->GetDebugPrimitives().size(), 4u);
    dGeomDestroy(plane);
}

} // namespace
