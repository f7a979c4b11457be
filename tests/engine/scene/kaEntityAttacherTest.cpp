#include "engine/scene/kaEntityAttacher.h"

#include "engine/core/kaXmlHelpers.h"
#include "engine/model/kaModel.h"
#include "engine/scene/kaEntityModel.h"

#include "tests/support/engine/scene/SceneModelFixture.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>

using platform::Matrix;
using platform::Quaternion;
using platform::Vector3;

namespace
{

class EntityAttacherTest : public SceneModelFixture
{
protected:
    void SetUp() override
    {
        StartWith("");
        m_Bike = Make(File(kBike));
        m_Rider = Make(File(kRider) + "<position><x>7</x><y>0</y><z>7</z></position>");
        m_Attacher = Make<kaEntityAttacher>("");
    }

    static Matrix BoneWorld(const kaEntityModel* entity, const std::string& bone)
    {
        const Matrix* matrix = entity->GetModel()->GetBoneMatrix(entity->GetBoneIndex(bone));
        return matrix ? *matrix * entity->GetWorldMatrixPtr() : Matrix();
    }

    static void ExpectMatrixNear(const Matrix& actual, const Matrix& expected)
    {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                EXPECT_NEAR(actual(r, c), expected(r, c), 1e-4f) << r << "," << c;
    }

    static void Turn(kaEntityModel* entity, const Vector3& at, float yaw)
    {
        Quaternion rotation;
        platform::QuaternionRotationYawPitchRoll(&rotation, yaw, 0.3f, 0.0f);
        entity->SetPositionRotation(at, rotation);
    }

    kaEntityModel* m_Bike = nullptr;
    kaEntityModel* m_Rider = nullptr;
    kaEntityAttacher* m_Attacher = nullptr;
};

} // namespace

TEST_F(EntityAttacherTest, EitherEntityMovingTakesTheOtherAlongBoneToBone)
{
    const struct
    {
        Vector3 offsetPosition;
        Vector3 offsetAngles;
    } cases[] = {{{0, 0, 0}, {0, 0, 0}}, {{0, 1, 0.5f}, {0, 1.2f, 0}}};
    for (const auto& c : cases)
    {
        m_Attacher->SetOffset(c.offsetPosition, c.offsetAngles);
        m_Attacher->Attach(m_Bike, "Root", m_Rider, "Hips");
        ASSERT_EQ(m_Attacher->GetEntity2(), m_Rider);
        const Matrix offset = m_Attacher->GetOffset();

        Turn(m_Bike, Vector3(3.0f, 1.0f, -2.0f), 0.7f);
        ExpectMatrixNear(BoneWorld(m_Rider, "Hips"), offset * BoneWorld(m_Bike, "Root"));
        Turn(m_Rider, Vector3(-5.0f, 2.0f, 4.0f), -1.1f);
        ExpectMatrixNear(BoneWorld(m_Rider, "Hips"), offset * BoneWorld(m_Bike, "Root"));
        ExpectNear(m_Bike->GetPosition(),
                   Vector3(m_Bike->GetWorldMatrixPtr()(3, 0), m_Bike->GetWorldMatrixPtr()(3, 1),
                           m_Bike->GetWorldMatrixPtr()(3, 2)));
    }
}

TEST_F(EntityAttacherTest, AttachersLinkedInARingStopAfterOneRound)
{
    kaEntityModel* third = Make(File(kRider));
    m_Attacher->Attach(m_Bike, "Root", m_Rider, "Hips");
    Make<kaEntityAttacher>("")->Attach(m_Rider, "Head", third, "Hips");
    Make<kaEntityAttacher>("")->Attach(third, "Head", m_Bike, "Root");
    Turn(m_Bike, Vector3(1.0f, 2.0f, 3.0f), 0.5f);
    ExpectMatrixNear(BoneWorld(m_Rider, "Hips"), BoneWorld(m_Bike, "Root"));
    ExpectMatrixNear(BoneWorld(third, "Hips"), BoneWorld(m_Rider, "Head"));
}

TEST_F(EntityAttacherTest, AFailedAttachKeepsTheEarlierLink)
{
    m_Attacher->Attach(m_Bike, "Root", m_Rider, "Hips");
    kaEntityModel* other = Make(File(kRider));
    const struct
    {
        kaEntityModel* first;
        const char* firstBone;
        kaEntityModel* second;
        const char* secondBone;
    } cases[] = {
        {m_Bike, "NoSuchBone", other, "Head"},
        {other, "Head", m_Bike, "NoSuchBone"},
        {nullptr, "Root", other, "Head"},
        {m_Bike, "Root", nullptr, "Head"},
    };
    for (const auto& c : cases)
    {
        m_Attacher->Attach(c.first, c.firstBone, c.second, c.secondBone);
        EXPECT_EQ(m_Attacher->GetEntity1(), m_Bike);
        EXPECT_EQ(m_Attacher->GetEntity2(), m_Rider);
        EXPECT_EQ(m_Attacher->GetBoneName2(), "Hips");
        EXPECT_EQ(m_Attacher->GetBoneIndex2(), m_Rider->GetBoneIndex("Hips"));
    }
    EXPECT_TRUE(other->GetAttachments().empty());
}

TEST_F(EntityAttacherTest, AStateSnapshotRelinksThePairByIdentifier)
{
    m_Attacher->Attach(m_Bike, "Root", m_Rider, "Hips");
    TiXmlElement state("Entity");
    m_Attacher->WriteState(&state);
    EXPECT_EQ(GetChildElementInt("entityID1", &state), m_Bike->GetEntityID());
    EXPECT_EQ(GetChildElementInt("entityID2", &state), m_Rider->GetEntityID());

    const struct
    {
        int32_t firstId;
        bool linked;
    } cases[] = {{m_Bike->GetEntityID(), true}, {-1, false}, {m_Attacher->GetEntityID(), false}};
    for (const auto& c : cases)
    {
        state.FirstChildElement("entityID1")->FirstChild()->SetValue(std::to_string(c.firstId).c_str());
        auto* restored = Make<kaEntityAttacher>("");
        restored->ReadState(&state);
        restored->ResolveLinks();
        EXPECT_EQ(restored->GetEntity1(), c.linked ? m_Bike : nullptr) << c.firstId;
        EXPECT_EQ(restored->GetEntity2(), c.linked ? m_Rider : nullptr) << c.firstId;
        EXPECT_EQ(restored->GetBoneIndex1(), c.linked ? m_Bike->GetBoneIndex("Root") : -1);
    }
}

TEST_F(EntityAttacherTest, AWorldSavedWithStatesAndReadAgainRelinksThePair)
{
    m_Attacher->Attach(m_Bike, "Root", m_Rider, "Hips");
    TiXmlElement saved(kaWorld::kRootElement);
    m_World->WriteXml(&saved, true);
    kaWorld reloaded;
    reloaded.ReadXml(&saved, true);
    kaEntityAttacher* attacher = nullptr;
    for (kaEntity* entity : reloaded.GetEntities())
        if (auto* found = dynamic_cast<kaEntityAttacher*>(entity))
            attacher = found;
    ASSERT_NE(attacher, nullptr);
    EXPECT_NE(attacher->GetEntity1(), nullptr);
    EXPECT_EQ(attacher->GetEntity1(), reloaded.FindEntityById(m_Bike->GetEntityID()));
    EXPECT_EQ(attacher->GetEntity2(), reloaded.FindEntityById(m_Rider->GetEntityID()));
    EXPECT_EQ(attacher->GetBoneName2(), "Hips");
}

TEST_F(EntityAttacherTest, WhicheverDiesFirstTheOthersForgetIt)
{
    m_Attacher->Attach(m_Bike, "Root", m_Rider, "Hips");
    m_World->DeleteEntity(m_Rider, false);
    EXPECT_EQ(m_Attacher->GetEntity2(), nullptr);
    // Moving the survivor must not reach the dead rider.
    Turn(m_Bike, Vector3(1.0f, 0.0f, 0.0f), 0.2f);
    TiXmlElement state("Entity");
    m_Attacher->WriteState(&state);
    EXPECT_EQ(state.FirstChildElement("entityID2"), nullptr);

    m_World->DeleteEntity(m_Attacher, false);
    EXPECT_TRUE(m_Bike->GetAttachments().empty());
    Turn(m_Bike, Vector3(2.0f, 0.0f, 0.0f), 0.4f);
}
