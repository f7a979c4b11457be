#include "engine/scene/kaJoint.h"

#include "engine/render/kaGraphicsManager.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaBallJoint.h"
#include "engine/scene/kaFixedJoint.h"
#include "engine/scene/kaHinge2Joint.h"
#include "engine/scene/kaHingeJoint.h"
#include "engine/scene/kaMotorJoint.h"
#include "engine/scene/kaUniversalJoint.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"
#include "tests/support/engine/scene/PhysicsScene.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>
#include <limits>
#include <string>

using physicstest::BonePlace;
using physicstest::ExpectNear;
using physicstest::Scene;
using physicstest::ToVector;
using platform::Vector3;

namespace
{

constexpr float kQuarterTurn = 1.5707964f;

void ReadJointXml(kaEntity& entity, const std::string& text)
{
    TiXmlDocument document;
    document.Parse(text.c_str());
    ASSERT_NE(document.RootElement(), nullptr) << text;
    entity.ReadXml(document.RootElement());
}

bool Lists(const kaEntityPhysical* entity, const kaJoint* joint)
{
    return std::count(entity->GetJoints().begin(), entity->GetJoints().end(), joint) == 1;
}

Vector3 HingeAxis(dJointID joint)
{
    dVector3 axis;
    dJointGetHingeAxis(joint, axis);
    return ToVector(axis);
}

TEST(JointTest, ConnectChangesNothingForItselfAnUnknownBoneOrWithoutAnODEJoint)
{
    enum Case
    {
        kSelf,
        kUnknownParentBone,
        kUnknownChildBone,
        kNoODEJoint,
    };
    for (Case c : {kSelf, kUnknownParentBone, kUnknownChildBone, kNoODEJoint})
    {
        SCOPED_TRACE(c);
        Scene scene;
        kaEntityPhysical* parent = scene.Add(Vector3(0, 5, 0));
        kaEntityPhysical* child = scene.Add(Vector3(10, 0, 0));
        dSpaceID childSpace = child->GetSpace();
        kaBallJoint* joint = c == kNoODEJoint ? new kaBallJoint : scene.Make<kaBallJoint>();
        if (c == kNoODEJoint)
            scene.world.AddEntity(joint, true, true);
        joint->Connect(parent, c == kUnknownParentBone ? "Nowhere" : "Bottom", c == kSelf ? parent : child,
                       c == kUnknownChildBone ? "Nowhere" : "Top");
        EXPECT_EQ(joint->GetParent(), nullptr);
        EXPECT_TRUE(parent->GetJoints().empty());
        EXPECT_TRUE(child->GetJoints().empty());
        ExpectNear(child->GetBodyPosition(), Vector3(10, 0, 0));
        ExpectNear(parent->GetBodyPosition(), Vector3(0, 5, 0));
        EXPECT_EQ(child->GetSpace(), childSpace);
        if (dJointID ode = joint->GetODEJoint())
        {
            EXPECT_EQ(dJointGetBody(ode, 0), nullptr);
            EXPECT_EQ(dJointGetBody(ode, 1), nullptr);
        }
    }
}

TEST(JointTest, TheChildHangsByItsBoneInTheParentsSpaceAndFollowsItWithoutBeingListedTwice)
{
    Scene scene;
    kaEntityPhysical* parent = scene.Add(Vector3(0, 5, 0));
    kaEntityPhysical* child = scene.Add(Vector3(10, 0, 0));
    auto* joint = scene.Make<kaBallJoint>();
    joint->Connect(parent, "Bottom", child, "Top");
    ASSERT_EQ(joint->GetChild(), child);
    // Its top hook on the parent's bottom hook, one unit below the parent's.
    ExpectNear(child->GetBodyPosition(), Vector3(0, 3, 0));
    EXPECT_EQ(child->GetSpace(), parent->GetSpace());
    EXPECT_EQ(dJointGetBody(joint->GetODEJoint(), 0), parent->GetBody());
    EXPECT_EQ(dJointGetBody(joint->GetODEJoint(), 1), child->GetBody());
    dVector3 anchor;
    dJointGetBallAnchor(joint->GetODEJoint(), anchor);
    ExpectNear(ToVector(anchor), Vector3(0, 4, 0));

    for (const Vector3& to : {Vector3(2, 5, 0), Vector3(-3, 6, 1)})
    {
        parent->SetPosition(to);
        ExpectNear(child->GetBodyPosition(), to - Vector3(0, 2, 0));
        dJointGetBallAnchor2(joint->GetODEJoint(), anchor);
        ExpectNear(ToVector(anchor), to - Vector3(0, 1, 0));
        EXPECT_TRUE(Lists(parent, joint));
        EXPECT_TRUE(Lists(child, joint));
    }
    // A joint destroyed on its own leaves both lists.
    scene.world.DeleteEntity(joint, false);
    EXPECT_TRUE(parent->GetJoints().empty());
    EXPECT_TRUE(child->GetJoints().empty());
}

TEST(JointTest, EveryKindMakesItsODEJointWithItsDefaultAxes)
{
    const Vector3 up(0, 1, 0), across(1, 0, 0);
    struct Case
    {
        const char* name;
        dJointType type;
        bool axis1;
        bool axis2;
    };
    const Case cases[] = {
        {"kaBallJoint", dJointTypeBall, false, false},
        {"kaSliderJoint", dJointTypeSlider, true, false},
        {"kaUniversalJoint", dJointTypeUniversal, true, true},
        {"kaFixedJoint", dJointTypeFixed, false, false},
        {"kaMotorJoint", dJointTypeHinge, true, false},
        {"kaHingeJoint", dJointTypeHinge, true, false},
        {"kaHinge2Joint", dJointTypeHinge2, true, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Scene scene;
        kaEntityPhysical* parent = scene.Add(Vector3(0, 5, 0));
        kaEntityPhysical* child = scene.Add(Vector3(0, 0, 0));
        std::unique_ptr<kaEntity> made = CreateEntity(c.name);
        auto* joint = dynamic_cast<kaJoint*>(made.get());
        ASSERT_NE(joint, nullptr);
        made.release();
        joint->SetWorld(&scene.world);
        joint->CreateJoint(&scene.world);
        scene.world.AddEntity(joint, true, true);
        joint->Connect(parent, "Bottom", child, "Top");
        dJointID ode = joint->GetODEJoint();
        ASSERT_NE(ode, nullptr);
        EXPECT_EQ(dJointGetType(ode), c.type);
        EXPECT_EQ(dJointGetData(ode), joint);
        EXPECT_EQ(dJointGetBody(ode, 1), child->GetBody());
        dVector3 axis;
        if (c.type == dJointTypeHinge2)
        {
            dJointGetHinge2Axis1(ode, axis);
            ExpectNear(ToVector(axis), up);
            dJointGetHinge2Axis2(ode, axis);
            ExpectNear(ToVector(axis), across);
            dVector3 anchor;
            dJointGetHinge2Anchor(ode, anchor);
            ExpectNear(ToVector(anchor), Vector3(0, 4, 0));
            dJointGetHinge2Anchor2(ode, anchor);
            ExpectNear(ToVector(anchor), Vector3(0, 4, 0));
        }
        else if (c.type == dJointTypeUniversal)
        {
            dJointGetUniversalAxis1(ode, axis);
            ExpectNear(ToVector(axis), up);
            dJointGetUniversalAxis2(ode, axis);
            ExpectNear(ToVector(axis), across);
        }
        else if (c.type == dJointTypeSlider)
        {
            dJointGetSliderAxis(ode, axis);
            ExpectNear(ToVector(axis), up);
        }
        else if (c.type == dJointTypeHinge)
        {
            ExpectNear(HingeAxis(ode), up);
        }
    }
}

TEST(JointTest, TheHingeReportsNoRateAndTheMotorNoAngleButItsHingesRate)
{
    Scene scene;
    kaEntityPhysical* parent = scene.Add(Vector3(0, 5, 0));
    kaEntityPhysical* first = scene.Add(Vector3(5, 0, 0));
    kaEntityPhysical* second = scene.Add(Vector3(-5, 0, 0));
    auto* hinge = scene.Make<kaHingeJoint>();
    auto* motor = scene.Make<kaMotorJoint>();
    hinge->Connect(parent, "Bottom", first, "Top");
    motor->Connect(parent, "Bottom", second, "Top");
    for (kaEntityPhysical* child : {first, second})
        dBodySetAngularVel(child->GetBody(), 0, 2, 0);
    // The child turns against the parent: the rate is negative.
    EXPECT_NEAR(dJointGetHingeAngleRate(hinge->GetODEJoint()), -2.0, 1e-6);
    EXPECT_EQ(hinge->GetAngleRate(), 0.0f);
    EXPECT_NEAR(motor->GetAngleRate(), -2.0f, 1e-6f);
    dQuaternion turned;
    const dReal axis[3] = {0, 1, 0};
    dQFromAxisAndAngle(turned, axis[0], axis[1], axis[2], 0.5);
    dBodySetQuaternion(second->GetBody(), turned);
    EXPECT_EQ(motor->GetAngle(), 0.0f);
    dBodySetQuaternion(first->GetBody(), turned);
    EXPECT_NEAR(hinge->GetAngle(), -0.5f, 1e-5f);
}

TEST(JointTest, ZeroAndParallelAxesAreRefused)
{
    Scene scene;
    kaEntityPhysical* parent = scene.Add(Vector3(0, 5, 0));
    kaEntityPhysical* a = scene.Add(Vector3(3, 0, 0));
    kaEntityPhysical* b = scene.Add(Vector3(-3, 0, 0));
    kaEntityPhysical* c = scene.Add(Vector3(0, 0, 3));
    auto* hinge2 = scene.Make<kaHinge2Joint>();
    auto* universal = scene.Make<kaUniversalJoint>();
    auto* hinge = scene.Make<kaHingeJoint>();
    hinge2->Connect(parent, "Bottom", a, "Top");
    universal->Connect(parent, "Bottom", b, "Top");
    hinge->Connect(parent, "Bottom", c, "Top");

    // Zero, or parallel to the other axis: nothing changes.
    for (kaJoint* joint : {static_cast<kaJoint*>(hinge2), static_cast<kaJoint*>(universal)})
    {
        joint->SetAxis(0, 0, 0, 0);
        joint->SetAxis(2, 0, 0, 0);
        joint->SetAxis(0, -3, 0, 1);
    }
    hinge->SetAxis(0, 0, 0, 0);
    ReadJointXml(*hinge, "<e><axis><w>1</w></axis></e>");
    dVector3 axis;
    dJointGetHinge2Axis1(hinge2->GetODEJoint(), axis);
    ExpectNear(ToVector(axis), Vector3(0, 1, 0));
    dJointGetHinge2Axis2(hinge2->GetODEJoint(), axis);
    ExpectNear(ToVector(axis), Vector3(1, 0, 0));
    dJointGetUniversalAxis1(universal->GetODEJoint(), axis);
    ExpectNear(ToVector(axis), Vector3(0, 1, 0));
    ExpectNear(HingeAxis(hinge->GetODEJoint()), Vector3(0, 1, 0));

    // Across the other one, an axis is taken, normalised.
    hinge2->SetAxis(0, 0, 4, 1);
    dJointGetHinge2Axis2(hinge2->GetODEJoint(), axis);
    ExpectNear(ToVector(axis), Vector3(0, 0, 1));
    ReadJointXml(*hinge, "<e><axis><x>1</x></axis></e>");
    ExpectNear(HingeAxis(hinge->GetODEJoint()), Vector3(1, 0, 0));
    scene.world.Update(0.05f);
}

TEST(JointTest, MotorParametersGoToTheMotorOrToBothWithTheFudgeFactorClamped)
{
    struct Case
    {
        const char* xml;
        float fudge;
    };
    for (const Case& c : {Case{"<e><MotorFudgeFactor>1.5</MotorFudgeFactor></e>", 1.0f},
                          Case{"<e><MotorFudgeFactor>-0.2</MotorFudgeFactor></e>", 0.0f},
                          Case{"<e><MotorFudgeFactor>0.25</MotorFudgeFactor></e>", 0.25f}})
    {
        SCOPED_TRACE(c.xml);
        Scene scene;
        kaEntityPhysical* parent = scene.Add(Vector3(0, 5, 0));
        kaEntityPhysical* child = scene.Add(Vector3(0, 0, 0));
        auto* motor = scene.Make<kaMotorJoint>();
        motor->Connect(parent, "Bottom", child, "Top");
        ReadJointXml(*motor, c.xml);
        EXPECT_FLOAT_EQ(dJointGetAMotorParam(motor->GetMotor(), dParamFudgeFactor), c.fudge);
        EXPECT_FLOAT_EQ(dJointGetHingeParam(motor->GetODEJoint(), dParamFudgeFactor), c.fudge);
    }
    Scene scene;
    kaEntityPhysical* parent = scene.Add(Vector3(0, 5, 0));
    kaEntityPhysical* child = scene.Add(Vector3(0, 0, 0));
    auto* motor = scene.Make<kaMotorJoint>();
    motor->Connect(parent, "Bottom", child, "Top");
    motor->SetParam(dParamVel2, 3.0f);
    EXPECT_FLOAT_EQ(dJointGetAMotorParam(motor->GetMotor(), dParamVel), 3.0f);
    motor->SetParam(dParamFMax2, 40.0f);
    EXPECT_FLOAT_EQ(dJointGetAMotorParam(motor->GetMotor(), dParamFMax), 40.0f);
    motor->SetParam(dParamLoStop, -0.5f);
    EXPECT_FLOAT_EQ(dJointGetAMotorParam(motor->GetMotor(), dParamLoStop), -0.5f);
    EXPECT_FLOAT_EQ(dJointGetHingeParam(motor->GetODEJoint(), dParamLoStop), -0.5f);
    ReadJointXml(*motor, "<e><MotorVelocity>7</MotorVelocity><MotorTorqueMax>9</MotorTorqueMax></e>");
    EXPECT_FLOAT_EQ(dJointGetAMotorParam(motor->GetMotor(), dParamVel), 7.0f);
    EXPECT_FLOAT_EQ(dJointGetAMotorParam(motor->GetMotor(), dParamFMax), 9.0f);

    // The motor turns about the hinge's axis as it stands after the bodies turned.
    dQuaternion turned;
    dQFromAxisAndAngle(turned, 0, 0, 1, kQuarterTurn);
    dBodySetQuaternion(parent->GetBody(), turned);
    motor->UpdateMotorAxis();
    dVector3 axis;
    dJointGetAMotorAxis(motor->GetMotor(), 0, axis);
    ExpectNear(ToVector(axis), HingeAxis(motor->GetODEJoint()));
    ExpectNear(ToVector(axis), Vector3(-1, 0, 0));
}

TEST(JointTest, KeysTakeEffectOnlyInAWorldWithTheODEJoint)
{
    const std::string xml = "<e><lowStop>-0.5</lowStop><highStop>0.75</highStop><stopsRestitution>0.3"
                            "</stopsRestitution><CFM>0.01</CFM><stopERP>0.6</stopERP><name>Knee</name></e>";
    Scene scene;
    kaEntityPhysical* parent = scene.Add(Vector3(0, 5, 0));
    kaEntityPhysical* child = scene.Add(Vector3(0, 0, 0));
    auto* hinge = scene.Make<kaHingeJoint>();
    hinge->Connect(parent, "Bottom", child, "Top");
    ReadJointXml(*hinge, xml);
    EXPECT_EQ(hinge->GetName(), "Knee");
    dJointID ode = hinge->GetODEJoint();
    EXPECT_FLOAT_EQ(dJointGetHingeParam(ode, dParamLoStop), -0.5f);
    EXPECT_FLOAT_EQ(dJointGetHingeParam(ode, dParamHiStop), 0.75f);
    EXPECT_FLOAT_EQ(dJointGetHingeParam(ode, dParamBounce), 0.3f);
    EXPECT_FLOAT_EQ(dJointGetHingeParam(ode, dParamCFM), 0.01f);
    EXPECT_FLOAT_EQ(dJointGetHingeParam(ode, dParamStopERP), 0.6f);

    // Out of a world the keys are the entity's only.
    auto* loose = new kaHingeJoint;
    loose->CreateJoint(&scene.world);
    ReadJointXml(*loose, xml);
    EXPECT_EQ(loose->GetName(), "Knee");
    EXPECT_EQ(dJointGetHingeParam(loose->GetODEJoint(), dParamLoStop), -dInfinity);
    delete loose;
}

TEST(JointTest, AnAxisFromBonesTakesTheLastBoneNamedAndTheRowOfItsLetter)
{
    platform::Matrix tilt;
    platform::MatrixRotationX(&tilt, kQuarterTurn);
    std::vector<BonePlace> bones = physicstest::Hooks();
    bones.push_back({"Tilted", "Centre", {0, 0, 0}, tilt});
    struct Case
    {
        const char* axis;
        Vector3 expected;
    };
    const Case cases[] = {
        // The child's bone, third row: the tilted z axis.
        {"<parentBoneY>Bottom</parentBoneY><childBoneZ>Tilted</childBoneZ>", Vector3(0, -1, 0)},
        {"<childBoneZ>Tilted</childBoneZ><parentBoneX>Tilted</parentBoneX>", Vector3(0, -1, 0)},
        {"<parentBoneY>Tilted</parentBoneY>", Vector3(0, 0, 1)},
        // An unknown bone falls back to the numbers.
        {"<childBoneX>Nowhere</childBoneX><x>0</x><y>0</y><z>2</z>", Vector3(0, 0, 1)},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.axis);
        Scene scene;
        kaEntityPhysical* parent = scene.Add(Vector3(0, 5, 0), bones);
        kaEntityPhysical* child = scene.Add(Vector3(0, 0, 0), bones);
        auto* universal = scene.Make<kaUniversalJoint>();
        universal->Connect(parent, "Bottom", child, "Top");
        ReadJointXml(*universal, std::string("<e><axis>") + c.axis + "</axis></e>");
        dVector3 axis;
        dJointGetUniversalAxis1(universal->GetODEJoint(), axis);
        ExpectNear(ToVector(axis), c.expected);
    }
}

TEST(JointTest, DetachFreesTheJointGivesTheChildItsOwnSpaceAndStopsTheMotor)
{
    Scene scene;
    scene.world.SetSubStepLength(0.0f);
    kaEntityPhysical* parent = scene.Add(Vector3(0, 5, 0));
    kaEntityPhysical* child = scene.Add(Vector3(0, 0, 0));
    parent->SetPinned(true);
    auto* motor = scene.Make<kaMotorJoint>();
    motor->Connect(parent, "Bottom", child, "Top");
    motor->SetParam(dParamVel, 5.0f);
    motor->SetParam(dParamFMax, 1000.0f);
    child->SetBodyEnabled(true);
    scene.world.Update(0.01f);
    EXPECT_NEAR(dBodyGetAngularVel(child->GetBody())[1], 5.0, 1e-3);

    const int32_t entities = scene.world.GetEntityCount();
    motor->Detach();
    EXPECT_EQ(scene.world.GetEntityCount(), entities - 1);
    EXPECT_TRUE(parent->GetJoints().empty());
    EXPECT_TRUE(child->GetJoints().empty());
    EXPECT_NE(child->GetSpace(), parent->GetSpace());
    EXPECT_EQ(dSpaceQuery(scene.world.GetSpace(), reinterpret_cast<dGeomID>(child->GetSpace())), 1);
    child->StopMotion();
    dBodySetLinearVel(child->GetBody(), 0, 0, 0);
    child->SetBodyEnabled(true);
    scene.world.Update(0.01f);
    EXPECT_NEAR(dBodyGetAngularVel(child->GetBody())[1], 0.0, 1e-6);
}

TEST(JointTest, DestroyingAnEntityDetachesEachJointOnceWhateverTheirState)
{
    Scene scene;
    kaEntityPhysical* parent = scene.Add(Vector3(0, 5, 0));
    kaEntityPhysical* first = scene.Add(Vector3(3, 0, 0));
    kaEntityPhysical* second = scene.Add(Vector3(-3, 0, 0));
    auto* whole = scene.Make<kaBallJoint>();
    auto* released = scene.Make<kaHingeJoint>();
    whole->Connect(parent, "Bottom", first, "Top");
    released->Connect(parent, "Bottom", second, "Top");
    // Without its ODE joint a joint cannot detach; the walk must still end.
    released->ReleaseJoint();
    // A locked list does not keep a dying entity's joints either.
    parent->SetJointsLocked(true);
    const int32_t wholeId = whole->GetEntityID();
    scene.world.DeleteEntity(parent, false);
    EXPECT_TRUE(first->GetJoints().empty());
    EXPECT_EQ(released->GetParent(), nullptr);
    EXPECT_EQ(released->GetChild(), second);
    // The detached joint went with its world's delete; the released one is still there.
    EXPECT_EQ(scene.world.FindEntityById(wholeId), nullptr);
    EXPECT_EQ(scene.world.FindEntityById(released->GetEntityID()), released);
    scene.world.DeleteEntity(released, false);
    EXPECT_TRUE(second->GetJoints().empty());
}

TEST(JointTest, RingsOfJointsAreSearchedAndStoppedOnceEach)
{
    Scene scene;
    kaEntityPhysical* a = scene.Add(Vector3(0, 10, 0));
    kaEntityPhysical* b = scene.Add(Vector3(0, 0, 0));
    kaEntityPhysical* c = scene.Add(Vector3(5, 0, 0));
    auto* ab = scene.Make<kaBallJoint>();
    auto* bc = scene.Make<kaBallJoint>();
    auto* ca = scene.Make<kaBallJoint>();
    ab->SetName("AB");
    bc->SetName("BC");
    ca->SetName("CA");
    ab->Connect(a, "Bottom", b, "Top");
    bc->Connect(b, "Bottom", c, "Top");
    ca->Connect(c, "Bottom", a, "Top");
    ASSERT_EQ(ca->GetChild(), a);

    EXPECT_EQ(a->FindJoint("CA", nullptr, false), ca);
    EXPECT_EQ(a->FindJoint("BC", nullptr, false), nullptr);
    EXPECT_EQ(a->FindJoint("BC", nullptr, true), bc);
    EXPECT_EQ(a->FindJoint("None", nullptr, true), nullptr);
    // Coming from b, the search does not go back there, but reaches bc round the ring through c.
    EXPECT_EQ(a->FindJoint("BC", b, true), bc);
    EXPECT_EQ(b->FindJoint("CA", c, true), ca);

    b->SetLinearVelocity(1, 2, 3);
    for (kaEntityPhysical* entity : {a, b, c})
        ExpectNear(ToVector(dBodyGetLinearVel(entity->GetBody())), Vector3(1, 2, 3));
    c->SetAngularVelocity(0, 4, 0);
    ExpectNear(ToVector(dBodyGetAngularVel(a->GetBody())), Vector3(0, 4, 0));
    a->StopMotion();
    for (kaEntityPhysical* entity : {a, b, c})
    {
        ExpectNear(ToVector(dBodyGetLinearVel(entity->GetBody())), Vector3(0, 0, 0));
        ExpectNear(ToVector(dBodyGetAngularVel(entity->GetBody())), Vector3(0, 0, 0));
    }
    // Moving one part carries the ring round once and ends.
    a->SetPosition(Vector3(1, 10, 0));
    EXPECT_EQ(a->GetJoints().size(), 2u);
}

TEST(JointTest, PinningOrUnpinningTheParentKeepsTheChildHanging)
{
    Scene scene;
    scene.world.SetSubStepLength(0.0f);
    kaEntityPhysical* parent = scene.Add(Vector3(0, 5, 0));
    kaEntityPhysical* child = scene.Add(Vector3(0, 0, 0));
    auto* joint = scene.Make<kaBallJoint>();
    joint->Connect(parent, "Bottom", child, "Top");
    parent->SetPinned(true);
    child->SetBodyEnabled(true);
    child->SetLinearVelocity(2, 0, 0);
    for (int frame = 0; frame < 30; ++frame)
        scene.world.Update(0.01f);
    // It swung away from under the hook, and is still one unit from it.
    const Vector3 offset = child->GetBodyPosition() - Vector3(0, 4, 0);
    EXPECT_GT(offset.x, 0.05f);
    EXPECT_NEAR(std::sqrt(offset.x * offset.x + offset.y * offset.y + offset.z * offset.z), 1.0f, 0.02f);

    parent->SetPinned(false);
    EXPECT_EQ(dJointGetBody(joint->GetODEJoint(), 0), parent->GetBody());
    EXPECT_EQ(dJointGetBody(joint->GetODEJoint(), 1), child->GetBody());
}

TEST(JointTest, OnAStaticParentEveryKindHangsOrStaysUnattachedWithoutAborting)
{
    for (const char* name : {"kaBallJoint", "kaSliderJoint", "kaUniversalJoint", "kaFixedJoint",
                             "kaMotorJoint", "kaHingeJoint", "kaHinge2Joint"})
    {
        SCOPED_TRACE(name);
        Scene scene;
        scene.world.SetSubStepLength(0.0f);
        kaEntityPhysical* parent = scene.Add(Vector3(0, 5, 0));
        kaEntityPhysical* child = scene.Add(Vector3(0, 0, 0));
        parent->SetPinned(true);
        std::unique_ptr<kaEntity> made = CreateEntity(name);
        auto* joint = static_cast<kaJoint*>(made.release());
        joint->SetWorld(&scene.world);
        joint->CreateJoint(&scene.world);
        scene.world.AddEntity(joint, true, true);
        joint->Connect(parent, "Bottom", child, "Top");
        ASSERT_EQ(joint->GetChild(), child);
        const bool needsTwo = std::string(name) == "kaHinge2Joint";
        dJointID ode = joint->GetODEJoint();
        const bool attached =
            dJointGetBody(ode, 0) == child->GetBody() || dJointGetBody(ode, 1) == child->GetBody();
        EXPECT_EQ(attached, !needsTwo);
        joint->SetAxis(0, 0, 1, 0);
        joint->SetAxis(1, 0, 0, 1);
        joint->UpdateMotorAxis();
        child->SetBodyEnabled(true);
        scene.world.Update(0.02f);
        // Hung on the static world, the child stays by its hook; left unattached it falls.
        if (needsTwo)
            EXPECT_LT(child->GetBodyPosition().y, 3.0f);
        else
            EXPECT_NEAR(child->GetBodyPosition().y, 3.0f, 0.05f);
    }
}

class JointDebugDrawTest : public GraphicsManagerFixture
{
};

TEST_F(JointDebugDrawTest, WhileThePhysicsIsDrawnTheParentMarksEachAnchorOnBothBodies)
{
    ASSERT_TRUE(Start(nullptr));
    Scene scene;
    kaEntityPhysical* parent = scene.Add(Vector3(0, 5, 0));
    kaEntityPhysical* hanging = scene.Add(Vector3(0, 0, 0));
    kaEntityPhysical* fixed = scene.Add(Vector3(4, 0, 0));
    scene.Make<kaBallJoint>()->Connect(parent, "Bottom", hanging, "Top");
    scene.Make<kaFixedJoint>()->Connect(parent, "Bottom", fixed, "Top");
    parent->Render();
    EXPECT_TRUE(m_Manager->GetDebugPrimitives().empty());
    scene.world.ToggleDebugDraw();
    parent->Render();
    // The ball's two anchors, one marker each; a fixed joint has none.
    const auto& drawn = m_Manager->GetDebugPrimitives();
    ASSERT_EQ(drawn.size(), 2u);
    for (const kaDebugPrimitive& primitive : drawn)
    {
        ASSERT_EQ(primitive.vertices.size(), 6u);
        ExpectNear(Vector3(primitive.vertices[0].x, primitive.vertices[0].y, primitive.vertices[0].z),
                   Vector3(0, 4, 0));
        EXPECT_NEAR(primitive.vertices[1].x - primitive.vertices[0].x, kaJoint::kDebugAxesLength, 1e-6f);
    }
    EXPECT_NE(drawn[0].vertices[0].diffuse, drawn[1].vertices[0].diffuse);
}

} // namespace
