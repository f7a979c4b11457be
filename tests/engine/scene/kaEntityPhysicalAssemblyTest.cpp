#include "engine/scene/kaEntityPhysical.h"

#include "engine/scene/kaBoneControl.h"
#include "engine/scene/kaHingeJoint.h"
#include "engine/scene/kaPhysicsWorld.h"
#include "tests/support/engine/scene/PhysicsScene.h"
#include "tests/support/engine/scene/SceneModelFixture.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <string>

using platform::Vector3;

namespace
{

TEST(EntityPhysicalBonesTest, ABoneNamedCOGOrTheCentreBoneIsTheBodysOrigin)
{
    const std::vector<physicstest::BonePlace> bones = {
        {"Root", "", {0, 0, 0}}, {"COG", "Root", {0, 0.5f, 0}}, {"Seat", "Root", {0.25f, 0, 0}}};
    struct Case
    {
        const char* centreBone;
        bool noBoneCentre;
        Vector3 offset;
    };
    const Case cases[] = {
        {"", false, Vector3(0, 0.5f, 0)},
        {"Seat", false, Vector3(0.25f, 0, 0)},
        {"Nowhere", false, Vector3(0, 0.5f, 0)},
        {"Seat", true, Vector3(0, 0, 0)},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.centreBone);
        physicstest::Scene scene;
        auto* entity = new kaEntityPhysical;
        scene.world.AddEntity(entity, true, true);
        entity->SetCentreBoneName(c.centreBone);
        entity->SetNoBoneCentre(c.noBoneCentre);
        entity->SetPosition(Vector3(1, 2, 3));
        entity->SetModel(scene.Model(bones));
        physicstest::ExpectNear(entity->GetCOGOffset(), c.offset);
        physicstest::ExpectNear(entity->GetBodyPosition() - entity->GetPosition(), c.offset);
    }
}

// Physical entities read from XML in a physics world, on the generated crate with its hooks.
class EntityPhysicalJointElementTest : public SceneModelFixture
{
protected:
    static constexpr const char* kHookedCrate = "resources/models/crate/crate.xml";

    void SetUp() override
    {
        m_World = std::make_unique<kaPhysicsWorld>();
        StartWith(std::string("<initData><uniqueID>Hanging</uniqueID><data><kmfFilename>") + kHookedCrate +
                  "</kmfFilename></data></initData>"
                  "<initData><uniqueID>Stiff</uniqueID><data><name>Hook</name><lowStop>-0.5</lowStop>"
                  "</data></initData>"
                  "<initData><uniqueID>Crane</uniqueID><data>" +
                  Assembly() + "</data></initData>");
    }

    static std::string Parent() { return "<position><x>0</x><y>6</y><z>0</z></position>" + Assembly(); }

    // The crate, the crate it hangs and the bone it moves.
    static std::string Assembly()
    {
        return File(kHookedCrate) +
               "<joint><jointClass>kaHingeJoint</jointClass><childClass>kaEntityPhysical</childClass>"
               "<childInitID>Hanging</childInitID><parentBone>Bottom</parentBone><childBone>Top</childBone>"
               "<hideModel>1</hideModel><jointInitID>Stiff</jointInitID></joint>"
               // Not a joint: skipped.
               "<joint><jointClass>kaEntityPhysical</jointClass><childClass>kaEntityPhysical</childClass>"
               "<childInitID>Hanging</childInitID><parentBone>Bottom</parentBone><childBone>Top</childBone>"
               "</joint>"
               "<boneControl><boneName>Top</boneName><jointName>Hook</jointName></boneControl>"
               "<boneControl><boneName>Nowhere</boneName><jointName>Hook</jointName></boneControl>"
               "<boneControl><boneName>Top</boneName><jointName>Nothing</jointName></boneControl>";
    }

    kaEntityPhysical* Child(const kaEntityPhysical* parent) const
    {
        return parent->GetJoints().empty() ? nullptr : parent->GetJoints().front()->GetChild();
    }
};

TEST_F(EntityPhysicalJointElementTest, AJointElementHangsAChildMadeByItsRecordsAndNeitherIsSaved)
{
    // As a course names it: by its record, applied over its block.
    auto* parent =
        Make<kaEntityPhysical>("<initUniqueID>Crane</initUniqueID><position><x>0</x><y>6</y><z>0</z>"
                               "</position>");
    parent->ApplyInitData("Crane");
    ASSERT_NE(parent->GetBody(), nullptr);
    EXPECT_EQ(m_World->GetEntityCount(), 3);
    ASSERT_EQ(parent->GetJoints().size(), 1u);
    auto* joint = dynamic_cast<kaHingeJoint*>(parent->GetJoints().front());
    ASSERT_NE(joint, nullptr);
    kaEntityPhysical* child = joint->GetChild();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->GetInitUniqueID(), "Hanging");
    EXPECT_TRUE(child->GetModel()->m_Hidden);
    EXPECT_FALSE(parent->GetModel()->m_Hidden);
    // Its top hook on the parent's bottom one, two units below the parent's centre.
    ExpectNear(child->GetBodyPosition(), Vector3(0, 4, 0));
    // Made in the world before it connected, so the record's keys took effect.
    EXPECT_EQ(joint->GetName(), "Hook");
    EXPECT_EQ(dJointGetBody(joint->GetODEJoint(), 0), parent->GetBody());
    EXPECT_EQ(dJointGetBody(joint->GetODEJoint(), 1), child->GetBody());
    EXPECT_FLOAT_EQ(dJointGetHingeParam(joint->GetODEJoint(), dParamLoStop), -0.5f);
    EXPECT_FALSE(child->IsSaved());
    EXPECT_FALSE(joint->IsSaved());

    // The saved course holds the parent alone; loaded again, the element makes one child and one joint.
    const std::string path = m_Data.File("course.xml");
    ASSERT_TRUE(m_World->SaveFile(path, false));
    m_World->Clear();
    m_World->LoadFile(path, false);
    m_World->Update(0.0f);
    EXPECT_EQ(m_World->GetEntityCount(), 3);
}

TEST_F(EntityPhysicalJointElementTest, ABoneControlMovesTheOwnersBoneWithTheLimbAndTheLimbGoesWithTheOwner)
{
    auto* parent = Make<kaEntityPhysical>(Parent());
    kaEntityPhysical* limb = Child(parent);
    ASSERT_NE(limb, nullptr);
    ASSERT_EQ(limb->GetBoneControls().size(), 1u);
    EXPECT_EQ(parent->GetBoneControls().size(), 0u);
    ASSERT_EQ(parent->GetDependents().size(), 1u);
    EXPECT_EQ(parent->GetDependents().front(), limb);
    const int32_t top = parent->GetBoneIndex("Top");
    const platform::Matrix before = *parent->GetModel()->GetBoneMatrix(top);
    EXPECT_NEAR(before(3, 1), 1.0f, 1e-5f);

    // The limb's body moves one unit along x: the bone keeps its place relative to it.
    dBodySetPosition(limb->GetBody(), 1, 4, 0);
    limb->Update(0.02f);
    const platform::Matrix& after = *parent->GetModel()->GetBoneMatrix(top);
    EXPECT_NEAR(after(3, 0), 1.0f, 1e-5f);
    EXPECT_NEAR(after(3, 1), 1.0f, 1e-5f);
    EXPECT_TRUE(parent->GetModel()->IsBoneControlled(top));

    // The rag doll's record and flag.
    parent->ApplyRagdollInitData();
    EXPECT_TRUE(parent->GetModel()->m_RagDoll);

    m_World->DeleteEntity(parent, false);
    EXPECT_EQ(m_World->GetEntityCount(), 0);
}

TEST_F(EntityPhysicalJointElementTest, ALimbDeletedFirstLeavesItsOwner)
{
    auto* parent = Make<kaEntityPhysical>(Parent());
    kaEntityPhysical* limb = Child(parent);
    ASSERT_NE(limb, nullptr);
    m_World->DeleteEntity(limb, false);
    EXPECT_TRUE(parent->GetDependents().empty());
    EXPECT_TRUE(parent->GetJoints().empty());
    // The joint went with the detach.
    EXPECT_EQ(m_World->GetEntityCount(), 1);
    m_World->DeleteEntity(parent, false);
    EXPECT_EQ(m_World->GetEntityCount(), 0);
}

TEST_F(EntityPhysicalJointElementTest, OutsideAPhysicsWorldAJointElementMakesNothing)
{
    m_World = std::make_unique<kaWorld>();
    auto* parent = Make<kaEntityPhysical>(Parent());
    EXPECT_EQ(m_World->GetEntityCount(), 1);
    EXPECT_TRUE(parent->GetJoints().empty());
    EXPECT_TRUE(parent->GetDependents().empty());
}

} // namespace
