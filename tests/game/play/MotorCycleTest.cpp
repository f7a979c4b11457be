#include "game/vehicles/MotorCycle.h"

#include "engine/core/DirectInputManager.h"
#include "engine/model/KM_Animation.h"
#include "engine/model/kaAnimation.h"
#include "engine/model/kaAnimationChannel.h"
#include "engine/model/kaAnimationFade.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaModel.h"
#include "engine/scene/kaContactRecord.h"
#include "engine/scene/kaEntityAttacher.h"
#include "engine/scene/kaHinge2Joint.h"
#include "game/vehicles/RagDude.h"
#include "game/vehicles/tvCycleWheel.h"
#include "game/world/tvArena.h"
#include "game/world/tvCamera.h"
#include "platform/input/ScriptedDevice.h"
#include "platform/input/ScriptedDirectInput.h"
#include "tests/support/game/GearScene.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using platform::ScriptedDevice;
using platform::Vector3;

namespace
{

// Keeps every parameter set on it, in order.
class LoggingJoint : public kaHinge2Joint
{
public:
    void SetParam(int parameter, float value) override
    {
        kaHinge2Joint::SetParam(parameter, value);
        m_Params.emplace_back(parameter, value);
    }
    std::vector<std::pair<int, float>> m_Params;
};

// The bike with its rider and rag doll made in code, and its state in reach.
class TestCycle : public MotorCycle
{
public:
    void SetRider(kaEntityModel* rider) { m_pRider = rider; }
    void SetFeet(int32_t feet) { m_FeetState = feet; }
    void SetSteer(float steer) { m_Steer = steer; }
    void SetLean(float lean) { m_Lean = lean; }
    void SetRagdollModel(kaModel* model) { m_pRagdollModel = model; }
    int m_RagdollsMade = 0;

protected:
    RagDude* _MakeRagdoll() override
    {
        if (!m_pRagdollModel)
            return nullptr;
        auto* ragdoll = new RagDude;
        m_pWorld->AddEntity(ragdoll, true, true);
        ragdoll->SetModel(m_pRagdollModel);
        ragdoll->Initialize();
        ragdoll->SetVisible(false);
        ++m_RagdollsMade;
        return ragdoll;
    }

private:
    kaModel* m_pRagdollModel = nullptr;
};

// What the player holds in one frame: keys W, A, S, D and a stick.
struct Hold
{
    bool w = false, a = false, s = false, d = false;
    int32_t x = 0, y = 0;
};

class MotorCycleTest : public geartest::GearScene
{
public:
    void SetUp() override
    {
        geartest::GearScene::SetUp();
        m_Bike = new TestCycle;
        m_World.AddEntity(m_Bike, true, true);
        m_Bike->SetPosition({0, 0, -20});
        m_Bike->SetModel(m_Scene.Model({{"Frame", "", {0, 0, 0}},
                                        {"Front", "Frame", {0, -0.3f, -0.7f}},
                                        {"Rear", "Frame", {0, -0.3f, 0.7f}},
                                        {"Seat", "Frame", {0, 0.5f, 0}},
                                        {tvCamera::kFollowBone, "Frame", {0, 0.8f, 0.4f}}}));
        const struct
        {
            const char* name;
            bool logged;
        } wheels[] = {{"Front", true}, {"Rear", false}};
        for (const auto& w : wheels)
        {
            auto* wheel = new tvCycleWheel;
            m_World.AddEntity(wheel, true, true);
            wheel->SetModel(m_Scene.Model({{"Hub", "", {0, 0, 0}}}, false));
            kaHinge2Joint* joint = w.logged ? new LoggingJoint : new kaHinge2Joint;
            joint->SetWorld(&m_World);
            joint->CreateJoint(&m_World);
            m_World.AddEntity(joint, true, true);
            joint->SetName(w.name);
            joint->Connect(m_Bike, w.name, wheel, "Hub");
            wheel->Initialize();
            m_CycleWheels.push_back(wheel);
            if (w.logged)
                m_Front = static_cast<LoggingJoint*>(joint);
        }
        Read(*m_Bike, "<steering><joint>Front</joint></steering><power><joint>Rear</joint></power>"
                      "<parentBone>Seat</parentBone><childBone>Hips</childBone>");
        auto* rider = new kaEntityModel;
        rider->SetModel(m_Scene.Model({{"Hips", "", {0, 0, 0}}}, false));
        m_Bike->SetRider(rider);
        m_Bike->SetRagdollModel(m_Scene.Model({{MotorCycle::kRagdollRootBone, "", {0, 0, 0}}}));
        m_Bike->Initialize();
        m_Bike->SpawnRagdoll();
        m_Bike->SetBodyEnabled(true);
        // Past the reset's grace.
        m_Bike->Update(2.0f);
        m_App.SetPlayerVehicle(m_Bike);
        m_Bar = Material(MotorCycle::kSwitchMaterial);
    }

    // Rolling forward (-z) at that speed, or backwards.
    void Moving(float speed) { dBodySetLinearVel(m_Bike->GetBody(), 0.0, 0.0, -speed); }

    // Riding at 10 with the feet up.
    void Riding()
    {
        Moving(10.0f);
        m_Bike->Update(0.01f);
        ASSERT_EQ(m_Bike->GetFeetState(), MotorCycle::kRiding);
    }

    // One step of the bike's contact forces on a wheel, from that force.
    void Knock(tvCycleWheel& wheel, const Vector3& force, kaMaterial* material = nullptr)
    {
        wheel.SetBodyEnabled(true);
        m_Feedback = std::make_unique<dJointFeedback>();
        m_Feedback->f1[0] = force.x;
        m_Feedback->f1[1] = force.y;
        m_Feedback->f1[2] = force.z;
        kaContactRecord* record = wheel.NextContactRecord();
        *record = kaContactRecord{m_Feedback.get(), nullptr, nullptr, nullptr, material, nullptr};
        wheel.ProcessCollisionForces();
        wheel.ResetContactRecords();
    }

    TestCycle* m_Bike = nullptr;
    std::vector<tvCycleWheel*> m_CycleWheels;
    LoggingJoint* m_Front = nullptr;
    kaMaterial* m_Bar = nullptr;
    std::unique_ptr<dJointFeedback> m_Feedback;
};

TEST_F(MotorCycleTest, TheResetMountsTheRiderHidesANewRagdollAndHoldsOffTheNextThrow)
{
    EXPECT_EQ(m_Bike->m_RagdollsMade, 1);
    ASSERT_NE(m_Bike->GetRagdoll(), nullptr);
    EXPECT_FALSE(m_Bike->GetRagdoll()->IsVisible());
    EXPECT_TRUE(m_Bike->GetRider()->IsVisible());
    EXPECT_TRUE(m_Bike->IsMounted());
    EXPECT_EQ(m_World.GetSelectedEntity(), m_Bike);
    ASSERT_NE(m_Bike->GetRiderAttacher(), nullptr);
    EXPECT_EQ(m_Bike->GetRiderAttacher()->GetOtherEntity(m_Bike), m_Bike->GetRider());
    for (tvCycleWheel* wheel : m_CycleWheels)
        EXPECT_EQ(wheel->GetMotorCycle(), m_Bike);
    EXPECT_TRUE(m_Bike->IsCollidable());
    EXPECT_EQ(m_Bike->GetCameraDistance(), 10.0f);
}

TEST_F(MotorCycleTest, ABarThrowsTheRiderWhoseRagdollTakesTheView)
{
    Riding();
    m_Bike->OnCollide(nullptr, nullptr, m_Bar);
    EXPECT_TRUE(m_Bike->IsSwitchRequested());
    m_Bike->Update(0.01f);
    ASSERT_TRUE(m_Bike->IsRagdolled());
    EXPECT_FALSE(m_Bike->IsSwitchRequested());
    EXPECT_TRUE(m_Bike->GetRagdoll()->IsVisible());
    EXPECT_FALSE(m_Bike->GetRider()->IsVisible());
    EXPECT_EQ(m_World.GetSelectedEntity(), nullptr);
    EXPECT_EQ(m_Bike->GetWheelSpeedTarget(), 0.0f);
    ASSERT_NE(m_Bike->GetAnchorBody(), nullptr);
    // The anchor sits a unit above the body and is as heavy as the bike is set to be, centred.
    physicstest::ExpectNear(physicstest::ToVector(dBodyGetPosition(m_Bike->GetAnchorBody())),
                            m_Bike->GetBodyPosition() + Vector3(0, 1, 0));
    dMass mass;
    dBodyGetMass(m_Bike->GetAnchorBody(), &mass);
    EXPECT_NEAR(mass.mass, m_Bike->GetConfiguredMass(), 1e-4);
    EXPECT_EQ(mass.c[0], 0.0);
    // The view follows the rag doll's root bone.
    physicstest::ExpectNear(m_Bike->GetViewPosition(), m_Bike->GetRagdoll()->GetPosition());
    // Another bar touch while thrown changes nothing.
    m_Bike->OnCollide(nullptr, nullptr, m_Bar);
    EXPECT_FALSE(m_Bike->IsSwitchRequested());

    m_Bike->SpawnRagdoll();
    EXPECT_TRUE(m_Bike->IsMounted());
    EXPECT_EQ(m_Bike->GetAnchorBody(), nullptr);
    EXPECT_EQ(m_Bike->m_RagdollsMade, 2);
    EXPECT_FALSE(m_Bike->GetRagdoll()->IsVisible());
}

TEST_F(MotorCycleTest, AThrowPutsTheCameraInTheChaseViewAndTheResetGivesThePlayersViewBack)
{
    tvCamera* camera = m_World.GetFollowCamera();
    ASSERT_NE(camera, nullptr);
    for (int32_t view : {tvCamera::kHoodView, tvCamera::kChaseView})
    {
        SCOPED_TRACE(view);
        m_Bike->Update(2.0f);
        camera->SetView(view);
        Riding();
        m_Bike->OnCollide(nullptr, nullptr, m_Bar);
        m_Bike->Update(0.01f);
        ASSERT_TRUE(m_Bike->IsRagdolled());
        EXPECT_EQ(camera->GetView(), tvCamera::kChaseView);
        EXPECT_EQ(m_Bike->GetSavedView(), view);
        m_Bike->SpawnRagdoll();
        EXPECT_EQ(camera->GetView(), view);
    }
    // A reset while riding leaves the view the player chose.
    camera->SetView(tvCamera::kHoodView);
    m_Bike->SpawnRagdoll();
    EXPECT_EQ(camera->GetView(), tvCamera::kHoodView);
}

TEST_F(MotorCycleTest, OnlyAVenueThatAllowsItLetsTheRiderBeThrown)
{
    struct Case
    {
        const char* name;
        const char* venue;
        bool thrown;
    } cases[] = {
        {"no venue", nullptr, true},
        {"an arena", "<Entity/>", true},
        {"an arena without rag dolls", "<Entity><forceNoRagDoll>1</forceNoRagDoll></Entity>", false}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::unique_ptr<tvArena> arena;
        if (c.venue)
        {
            arena = std::make_unique<tvArena>();
            TiXmlDocument document;
            document.Parse(c.venue);
            arena->ReadXml(document.RootElement());
        }
        m_World.SetVenueEntity(arena.get());
        m_Bike->Update(2.0f);
        Riding();
        EXPECT_EQ(m_Bike->TrySwitchToRagdoll(), c.thrown);
        EXPECT_EQ(m_Bike->IsRagdolled(), c.thrown);
        EXPECT_EQ(m_World.GetSelectedEntity() == m_Bike, !c.thrown);
        m_World.SetVenueEntity(nullptr);
        m_Bike->SpawnRagdoll();
    }
}

TEST_F(MotorCycleTest, OnlyTheExactBarMaterialAsksForAThrow)
{
    for (const char* name : {"SwitchToRagdol", "switchToRagdoll", "SwitchToRagdollX", "Rubber"})
    {
        m_Bike->OnCollide(nullptr, nullptr, Material(name));
        EXPECT_FALSE(m_Bike->IsSwitchRequested()) << name;
    }
    kaMaterial* ghost = Material(MotorCycle::kSwitchMaterial);
    ghost->SetPassThrough(true);
    m_Bike->OnCollide(nullptr, nullptr, ghost);
    EXPECT_FALSE(m_Bike->IsSwitchRequested());
}

TEST_F(MotorCycleTest, ABarTouchedDuringABoostThrowsOnlyOnceTheBoostHasRunOut)
{
    Riding();
    m_Bike->AddTurbo(0.5f, 90.0f, 8.0f);
    EXPECT_FLOAT_EQ(m_Bike->GetBoostForce(), 30.0f);
    m_Bike->OnCollide(nullptr, nullptr, m_Bar);
    float elapsed = 0.0f;
    while (m_Bike->IsMounted() && elapsed < 2.0f)
    {
        Moving(10.0f);
        m_Bike->Update(0.125f);
        elapsed += 0.125f;
        if (m_Bike->IsMounted())
        {
            EXPECT_GT(m_Bike->GetBoostTime() + m_Bike->GetGraceTime(), 0.0f) << elapsed;
        }
    }
    EXPECT_TRUE(m_Bike->IsRagdolled());
    EXPECT_EQ(m_Bike->GetBoostTime(), 0.0f);
    EXPECT_FLOAT_EQ(elapsed, 0.5f);
}

TEST_F(MotorCycleTest, NoSecondThrowWithinTwoSecondsOfAReset)
{
    Riding();
    m_Bike->OnCollide(nullptr, nullptr, m_Bar);
    m_Bike->Update(0.01f);
    ASSERT_TRUE(m_Bike->IsRagdolled());
    m_Bike->SpawnRagdoll();
    EXPECT_FALSE(m_Bike->IsCollidable());
    struct Step
    {
        float dt;
        bool thrown;
        bool collidable;
    } steps[] = {{0.5f, false, false}, {0.75f, false, false}, {0.5f, false, false}, {0.25f, true, true}};
    for (const Step& step : steps)
    {
        Moving(10.0f);
        m_Bike->OnCollide(nullptr, nullptr, m_Bar);
        m_Bike->Update(step.dt);
        EXPECT_EQ(m_Bike->IsRagdolled(), step.thrown) << step.dt;
        EXPECT_EQ(m_Bike->IsCollidable(), step.collidable) << step.dt;
    }
}

TEST_F(MotorCycleTest, AWheelKnockThrowsByItsAngleToTheUpAxisAfterTenDamage)
{
    kaMaterial* soft = Material("Rubber");
    struct Case
    {
        const char* name;
        Vector3 force;
        kaMaterial* material;
        bool thrown;
    } cases[] = {{"150 straight up", {0, 150, 0}, nullptr, false},
                 {"150 from the side", {150, 0, 0}, nullptr, true},
                 {"90 from the side", {90, 0, 0}, nullptr, false},
                 {"150 at 30 degrees", {75, 129.9f, 0}, nullptr, true},
                 {"150 from the side on a soft material", {150, 0, 0}, soft, true}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Riding();
        m_Bike->SetDamage(0.0f);
        Knock(*m_CycleWheels[1], c.force, c.material);
        EXPECT_EQ(m_Bike->IsRagdolled(), c.thrown);
        EXPECT_FLOAT_EQ(m_Bike->GetDamage(), c.thrown ? 10.0f : 0.0f);
        if (m_Bike->IsRagdolled())
        {
            m_Bike->SpawnRagdoll();
            m_Bike->Update(2.0f);
        }
    }
}

TEST_F(MotorCycleTest, AKnockAlongATiltedBikesUpAxisThrowsNoOne)
{
    // Rounding may carry the cosine a hair past 1 for a tilted bike; the knock still counts as straight up.
    for (float angle : {0.3f, 0.7f, 1.1f, 2.9f})
    {
        SCOPED_TRACE(angle);
        platform::Quaternion tilt;
        const Vector3 axis(0.6f, 0.0f, 0.8f);
        platform::QuaternionRotationAxis(&tilt, &axis, angle);
        m_Bike->SetRotation(tilt);
        Riding();
        Knock(*m_CycleWheels[0], m_Bike->GetUpAxis() * 150.0f);
        EXPECT_TRUE(m_Bike->IsMounted());
        EXPECT_EQ(m_Bike->GetDamage(), 0.0f);
    }
}

TEST_F(MotorCycleTest, WithoutARagdollModelTheResetStillPutsTheRiderBackAndTheBikeDrives)
{
    m_Bike->SetRagdollModel(nullptr);
    Riding();
    m_Bike->OnCollide(nullptr, nullptr, m_Bar);
    m_Bike->Update(0.01f);
    ASSERT_TRUE(m_Bike->IsRagdolled());
    m_Bike->SpawnRagdoll();
    EXPECT_EQ(m_Bike->GetRagdoll(), nullptr);
    EXPECT_TRUE(m_Bike->IsMounted());
    EXPECT_TRUE(m_Bike->GetRider()->IsVisible());
    EXPECT_EQ(m_World.GetSelectedEntity(), m_Bike);
    EXPECT_EQ(m_Bike->GetGraceTime(), MotorCycle::kResetGrace);
    m_Bike->Update(2.0f);
    EXPECT_TRUE(m_Bike->IsCollidable());
    // With no rag doll there is no throw.
    Riding();
    m_Bike->OnCollide(nullptr, nullptr, m_Bar);
    m_Bike->Update(0.01f);
    EXPECT_TRUE(m_Bike->IsMounted());
}

TEST_F(MotorCycleTest, AKnockOnAMaterialWithoutImpactDamageThrowsNoOne)
{
    TiXmlDocument document;
    document.Parse("<data><noImpactDamage>1</noImpactDamage></data>");
    kaMaterial* padded = Material("Padding");
    padded->ReadXml(document.RootElement());
    Riding();
    Knock(*m_CycleWheels[0], {300, 0, 0}, padded);
    EXPECT_TRUE(m_Bike->IsMounted());
    EXPECT_EQ(m_Bike->GetDamage(), 0.0f);
}

TEST_F(MotorCycleTest, TheLeanGrowsWithSpeedAndARollSpeedOfTwentyStaysFinite)
{
    struct Case
    {
        float rollSpeed;
        float speed;
        float limit;
        float torque;
        float acceleration;
    } cases[] = {{4.0f, 3.0f, 20.0f, 0.4f, 3.3f},
                 {4.0f, 12.0f, 30.0f, 0.095f, 3.0f},
                 {4.0f, 20.0f, 40.0f, 0.14f, 3.0f},
                 {20.0f, 25.0f, 40.0f, 0.14f, 3.0f}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.rollSpeed << " at " << c.speed);
        Read(*m_Bike, "<rollSpeed>" + std::to_string(c.rollSpeed) + "</rollSpeed>");
        Moving(c.speed);
        m_Bike->Update(0.01f);
        EXPECT_NEAR(m_Bike->GetLeanLimit(), c.limit, 1e-4f);
        EXPECT_NEAR(m_Bike->GetLeanTorque(), c.torque, 1e-5f);
        EXPECT_EQ(m_Bike->GetAcceleration(), c.acceleration);
    }
}

TEST_F(MotorCycleTest, TheFeetFollowTheSpeedAndTheSteering)
{
    struct Case
    {
        float velocityZ;
        float steer;
        int32_t before;
        int32_t feet;
    } cases[] = {{0.0f, 0.0f, 2, 0},  {-0.05f, 0.0f, 2, 0}, {-2.0f, 0.0f, 0, 1},
                 {-4.0f, 0.0f, 0, 1}, {-4.5f, 0.0f, 0, 2},  {-10.0f, 0.0f, 0, 2},
                 {10.0f, 0.0f, 0, 1}, {10.0f, 0.0f, 2, 2},  {-10.0f, 0.3f, 0, 1}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.velocityZ << " steering " << c.steer << " from " << c.before);
        m_Bike->SetFeet(c.before);
        m_Bike->SetSteer(c.steer);
        dBodySetLinearVel(m_Bike->GetBody(), 0.0, 0.0, c.velocityZ);
        m_Bike->Update(0.01f);
        EXPECT_EQ(m_Bike->GetFeetState(), c.feet);
    }
}

TEST_F(MotorCycleTest, TheAngularVelocityIsDampedComponentByComponent)
{
    m_Bike->SetFeet(MotorCycle::kFeetDown);
    dBodySetLinearVel(m_Bike->GetBody(), 0.0, 0.0, 0.0);
    dBodySetAngularVel(m_Bike->GetBody(), 0.5, 0.01, -1.0);
    dBodySetTorque(m_Bike->GetBody(), 0.0, 0.0, 0.0);
    m_Bike->Update(0.1f);
    const dReal* torque = dBodyGetTorque(m_Bike->GetBody());
    EXPECT_NEAR(torque[0], -0.5 * 425.0 * 0.1, 1e-3);
    EXPECT_NEAR(torque[1], 0.0, 1e-9);
    EXPECT_NEAR(torque[2], 425.0 * 0.1, 1e-3);
}

TEST_F(MotorCycleTest, RidingSetsTheSteeringJointsParametersInTheirOrder)
{
    Riding();
    m_Bike->SetSteer(4.0f);
    m_Front->m_Params.clear();
    Moving(10.0f);
    m_Bike->SetFeet(MotorCycle::kRiding);
    m_Bike->SetSteer(0.05f);
    m_Bike->Update(0.01f);
    ASSERT_EQ(m_Front->m_Params.size(), 5u);
    const float angle = m_Front->GetAngle();
    const float d = std::clamp(0.05f * 0.05f - angle, -0.2f, 0.2f);
    const std::vector<std::pair<int, float>> expected = {{dParamVel, 15.0f * d},
                                                         {dParamFMax, 25.0f},
                                                         {dParamLoStop, 0.01f - m_Bike->GetSteerAngleMax()},
                                                         {dParamHiStop, m_Bike->GetSteerAngleMax() + 0.01f},
                                                         {dParamFudgeFactor, 0.1f}};
    for (size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ(m_Front->m_Params[i].first, expected[i].first) << i;
        EXPECT_NEAR(m_Front->m_Params[i].second, expected[i].second, 1e-5f) << i;
    }
    // Not riding, whatever the steer, the same parameters bring the fork back to centre.
    m_Front->m_Params.clear();
    Moving(2.0f);
    m_Bike->SetSteer(4.0f);
    m_Bike->Update(0.01f);
    ASSERT_NE(m_Bike->GetFeetState(), MotorCycle::kRiding);
    ASSERT_EQ(m_Front->m_Params.size(), 5u);
    const float centring = std::clamp(-m_Front->GetAngle(), -0.2f, 0.2f);
    EXPECT_EQ(m_Front->m_Params[0].first, dParamVel);
    EXPECT_NEAR(m_Front->m_Params[0].second, 15.0f * centring, 1e-5f);
    for (size_t i = 1; i < expected.size(); ++i)
    {
        EXPECT_EQ(m_Front->m_Params[i].first, expected[i].first) << i;
        EXPECT_NEAR(m_Front->m_Params[i].second, expected[i].second, 1e-5f) << i;
    }
}

// The keys and a stick through the input manager, as the game binds them by default.
TEST_F(MotorCycleTest, TheTurnAnimationsWeighTheSteerAgainstTheCentre)
{
    kaModel* rider = m_Bike->GetRider()->GetModel();
    ASSERT_NE(rider, nullptr);
    // One key of one bone is all a turn animation needs here; they outlive the rider's model.
    static std::vector<std::unique_ptr<kaAnimation>> s_Turns;
    for (const char* name : {"TurnLeft", "TurnRight", "TurnCenter"})
    {
        KM_Animation file;
        file.m_AnimationName = name;
        file.m_BoneAnims[0].boneName = "Hips";
        file.m_BoneAnims[0].keys.resize(1);
        s_Turns.push_back(std::make_unique<kaAnimation>());
        ASSERT_TRUE(s_Turns.back()->Build(file, name));
        rider->AddAnimation(s_Turns.back().get());
    }
    auto weight = [rider](const char* name)
    {
        for (const auto& channel : rider->GetChannels())
            if (channel->m_Number == MotorCycle::kTurnChannel)
                if (const kaAnimationFade* fade = channel->FindFade(name))
                    return fade->m_FadeFinal;
        return 0.0f;
    };
    const float limit = m_Bike->GetSteerLimit();
    ASSERT_GT(limit, 0.4f);
    struct Case
    {
        float steer;
        float left;
        float right;
        float centre;
    } cases[] = {
        // Below the dead band the centre plays alone.
        {0.05f, 0.0f, 0.0f, 1.0f},
        {-0.5f * limit, 0.5f, 0.0f, 0.5f},
        {0.25f * limit, 0.0f, 0.25f, 0.75f},
        // Past the limit the steer is held at it: the turn plays whole.
        {2.0f * limit, 0.0f, 1.0f, 0.0f},
        {-limit, 1.0f, 0.0f, 0.0f},
        {-0.05f, 0.0f, 0.0f, 1.0f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.steer);
        m_Bike->SetSteer(c.steer);
        m_Bike->Update(0.01f);
        EXPECT_NEAR(weight("TurnLeft"), c.left, 1e-5f);
        EXPECT_NEAR(weight("TurnRight"), c.right, 1e-5f);
        EXPECT_NEAR(weight("TurnCenter"), c.centre, 1e-5f);
    }
}

class MotorCycleControlTest : public MotorCycleTest
{
public:
    void SetUp() override
    {
        MotorCycleTest::SetUp();
        m_Keyboard = std::make_shared<ScriptedDevice>("Keyboard", platform::kDi8DevTypeKeyboard, 1);
        for (const char* key : {"W", "A", "S", "D"})
            m_Keyboard->AddButton(key);
        m_Stick = std::make_shared<ScriptedDevice>("Stick", platform::kDi8DevTypeJoystick, 2);
        m_Stick->AddAxis("X-axis", platform::kGuidXAxis, false);
        m_Stick->AddAxis("Y-axis", platform::kGuidYAxis, false);
        const std::vector<std::shared_ptr<ScriptedDevice>> scripts{m_Keyboard, m_Stick};
        m_Previous = platform::SetDirectInputFactory(
            [scripts]
            { return std::unique_ptr<platform::DirectInput8>(new platform::ScriptedDirectInput(scripts)); });
        m_Input = std::make_unique<DirectInputManager>();
        ASSERT_TRUE(m_Input->Init());
        const int keyboard = m_Input->FindDeviceByType(InputDevice::kTypeKeyboard);
        const int stick = m_Input->FindDeviceByType(InputDevice::kTypeJoystick);
        auto key = [&](const char* name) { return m_Input->FindDeviceControlByName(keyboard, name); };
        m_Input->AddBinding(6, keyboard, key("W"), InputManager::kRangeNegative, 0);
        m_Input->AddBinding(7, keyboard, key("S"), InputManager::kRangePositive, 0);
        m_Input->AddBinding(8, keyboard, key("A"), InputManager::kRangePositive, 0);
        m_Input->AddBinding(9, keyboard, key("D"), InputManager::kRangeNegative, 0);
        const int x = m_Input->FindDeviceControlByCode(stick, 1);
        const int y = m_Input->FindDeviceControlByCode(stick, 2);
        m_Input->AddBinding(6, stick, y, InputManager::kRangeNegative, 0);
        m_Input->AddBinding(7, stick, y, InputManager::kRangePositive, 0);
        m_Input->AddBinding(8, stick, x, InputManager::kRangePositive, 0);
        m_Input->AddBinding(9, stick, x, InputManager::kRangeNegative, 0);
    }
    void TearDown() override
    {
        m_Input.reset();
        platform::SetDirectInputFactory(m_Previous);
        MotorCycleTest::TearDown();
    }

    void Frame(const Hold& hold, float dt = 0.1f)
    {
        m_Keyboard->PushReading({hold.w, hold.a, hold.s, hold.d});
        m_Stick->PushReading({hold.x, hold.y});
        m_Input->Update();
        m_Bike->UpdateControl(dt);
    }

    std::shared_ptr<ScriptedDevice> m_Keyboard;
    std::shared_ptr<ScriptedDevice> m_Stick;
    platform::DirectInputFactory m_Previous;
    std::unique_ptr<DirectInputManager> m_Input;
};

TEST_F(MotorCycleControlTest, SteeringLeansWhileRidingAndTurnsTheBarsOtherwise)
{
    struct Case
    {
        const char* name;
        int32_t feet;
        Hold hold;
        float steer;
        float lean;
    } cases[] = {
        {"D standing", MotorCycle::kFeetDown, Hold{false, false, false, true}, -25.0f * 0.01f, 0.0f},
        {"A standing", MotorCycle::kFeetDown, Hold{false, true}, 25.0f * 0.01f, 0.0f},
        {"D riding", MotorCycle::kRiding, Hold{false, false, false, true}, 0.0f, -40.0f * 0.01f},
        {"A riding", MotorCycle::kRiding, Hold{false, true}, 0.0f, 40.0f * 0.01f},
        {"stick right standing", MotorCycle::kFeetDown, Hold{false, false, false, false, -16384}, 0.375f,
         0.0f},
        {"stick right riding", MotorCycle::kRiding, Hold{false, false, false, false, -16384}, 0.75f, 0.0f},
        {"stick left riding", MotorCycle::kRiding, Hold{false, false, false, false, 8192}, -0.75f, 0.0f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        m_Bike->SetSteer(0.0f);
        m_Bike->SetLean(0.0f);
        m_Bike->SetFeet(c.feet);
        Frame(c.hold, 0.01f);
        EXPECT_NEAR(m_Bike->GetSteer(), c.steer, 1e-5f);
        EXPECT_NEAR(m_Bike->GetLean(), c.lean, 1e-5f);
    }
}

TEST_F(MotorCycleControlTest, WithoutSteeringBothDecayAndSnapToZero)
{
    m_Bike->SetFeet(MotorCycle::kFeetDown);
    m_Bike->SetSteer(0.5f);
    m_Bike->SetLean(2.0f);
    Frame(Hold{}, 0.1f);
    EXPECT_NEAR(m_Bike->GetSteer(), 0.5f * 0.1f * 0.95f, 1e-6f);
    EXPECT_NEAR(m_Bike->GetLean(), 2.0f * 0.1f * 0.95f, 1e-6f);
    m_Bike->SetSteer(0.01f);
    Frame(Hold{}, 0.1f);
    EXPECT_EQ(m_Bike->GetSteer(), 0.0f);
    EXPECT_EQ(m_Bike->GetLean(), 0.0f);
}

TEST_F(MotorCycleControlTest, ThrottleAndBrakeAimByWhetherTheBikeRides)
{
    const float top = m_Bike->GetMaxSpeed();
    const float roll = m_Bike->GetRollSpeed();
    struct Case
    {
        const char* name;
        int32_t feet;
        Hold hold;
        int32_t brakeBefore;
        float target;
        int32_t brakeAfter;
    } cases[] = {
        {"W standing", MotorCycle::kFeetDown, Hold{true}, 0, roll * 4.0f, 0},
        {"W riding", MotorCycle::kRiding, Hold{true}, 0, top, 0},
        {"half stick riding", MotorCycle::kRiding, Hold{false, false, false, false, 0, -16384}, 0, top * 2.0f,
         0},
        {"half stick standing", MotorCycle::kFeetDown, Hold{false, false, false, false, 0, -16384}, 0,
         roll * 2.0f, 0},
        {"S first frame moving", MotorCycle::kRiding, Hold{false, false, true}, 0, 0.0f, 1},
        {"S first frame still", MotorCycle::kFeetDown, Hold{false, false, true}, 0, 0.0f, 2},
        {"S braking", MotorCycle::kFeetUp, Hold{false, false, true}, 1, 0.0f, 1},
        {"S braking to a stop", MotorCycle::kFeetDown, Hold{false, false, true}, 1, 0.0f, 2},
        {"S reversing standing", MotorCycle::kFeetDown, Hold{false, false, true}, 2, -4.0f * roll, 2},
        {"S reversing riding", MotorCycle::kRiding, Hold{false, false, true}, 2, -4.0f * top, 2},
        {"nothing", MotorCycle::kRiding, Hold{}, 2, 0.0f, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        m_Bike->SetFeet(c.feet);
        // The brake state builds up frame by frame; the case's starting state comes from earlier frames.
        Frame(Hold{});
        if (c.brakeBefore >= 1)
        {
            m_Bike->SetFeet(c.brakeBefore == 1 ? MotorCycle::kRiding : MotorCycle::kFeetDown);
            Frame(Hold{false, false, true});
            m_Bike->SetFeet(c.feet);
        }
        ASSERT_EQ(m_Bike->GetBrakeState(), c.brakeBefore);
        Frame(c.hold);
        if (c.brakeBefore == 0 && c.brakeAfter != 0)
        {
            EXPECT_EQ(m_Bike->GetBrakeState(), c.brakeAfter);
            continue;
        }
        EXPECT_NEAR(m_Bike->GetWheelSpeedTarget(), c.target, 1e-3f);
        EXPECT_EQ(m_Bike->GetBrakeState(), c.brakeAfter);
    }
}

} // namespace

namespace
{

// The view and look-back keys through the input manager, and the course's follow camera.
class MotorCycleCameraTest : public MotorCycleTest
{
public:
    void SetUp() override
    {
        MotorCycleTest::SetUp();
        m_Keys = std::make_shared<ScriptedDevice>("Keyboard", platform::kDi8DevTypeKeyboard, 1);
        for (const char* key : {"C", "B"})
            m_Keys->AddButton(key);
        const std::vector<std::shared_ptr<ScriptedDevice>> scripts{m_Keys};
        m_Previous = platform::SetDirectInputFactory(
            [scripts]
            { return std::unique_ptr<platform::DirectInput8>(new platform::ScriptedDirectInput(scripts)); });
        m_Input = std::make_unique<DirectInputManager>();
        ASSERT_TRUE(m_Input->Init());
        const int keyboard = m_Input->FindDeviceByType(InputDevice::kTypeKeyboard);
        m_Input->AddBinding(tvCamera::kViewAction, keyboard, m_Input->FindDeviceControlByName(keyboard, "C"),
                            InputManager::kRangePositive, 0);
        m_Input->AddBinding(tvCamera::kLookBackAction, keyboard,
                            m_Input->FindDeviceControlByName(keyboard, "B"), InputManager::kRangePositive, 0);
        m_Camera = m_World.GetFollowCamera();
    }
    void TearDown() override
    {
        m_Input.reset();
        platform::SetDirectInputFactory(m_Previous);
        MotorCycleTest::TearDown();
    }

    // One camera frame long enough for the chase to land on its goal.
    void Frame(bool view, bool lookBack)
    {
        m_Keys->PushReading({view, lookBack});
        m_Input->Update();
        m_Camera->Update(0.25f);
    }

    std::shared_ptr<ScriptedDevice> m_Keys;
    platform::DirectInputFactory m_Previous;
    std::unique_ptr<DirectInputManager> m_Input;
    tvCamera* m_Camera = nullptr;
};

} // namespace

TEST_F(MotorCycleCameraTest, WhileThrownTheViewKeysDoNothingAndTheCameraFollowsTheRagdollAtTen)
{
    ASSERT_NE(m_Camera, nullptr);
    // Riding, the view key works.
    Frame(true, false);
    EXPECT_EQ(m_Camera->GetView(), tvCamera::kHoodView);
    Frame(false, false);
    Frame(true, false);
    EXPECT_EQ(m_Camera->GetView(), tvCamera::kChaseView);
    Frame(false, false);

    Riding();
    ASSERT_TRUE(m_Bike->TrySwitchToRagdoll());
    // The rag doll lands well away from the bike: the camera goes with the rag doll.
    m_Bike->GetRagdoll()->SetPosition(Vector3(30.0f, 2.0f, -40.0f));
    const Vector3 doll = m_Bike->GetViewPosition();
    physicstest::ExpectNear(doll, Vector3(30.0f, 2.0f, -40.0f));
    const struct
    {
        const char* name;
        bool view;
        bool lookBack;
    } frames[] = {{"view key", true, false},
                  {"released", false, false},
                  {"view key again", true, false},
                  {"look back", false, true},
                  {"both", true, true}};
    for (const auto& f : frames)
    {
        SCOPED_TRACE(f.name);
        Frame(f.view, f.lookBack);
        EXPECT_EQ(m_Camera->GetView(), tvCamera::kChaseView);
        const Vector3 eye = m_Camera->GetPosition();
        EXPECT_NEAR(platform::Vec3Length(eye - doll), MotorCycle::kCycleCameraDistance, 1e-3f);
        // Behind the thrown bike's heading (it faced -z): towards +z and above, not turned round.
        EXPECT_GT(eye.z, doll.z);
        EXPECT_GT(eye.y, doll.y);
    }

    // Back on the bike the view key works again.
    m_Bike->SpawnRagdoll();
    Frame(false, false);
    Frame(true, false);
    EXPECT_EQ(m_Camera->GetView(), tvCamera::kHoodView);
}
