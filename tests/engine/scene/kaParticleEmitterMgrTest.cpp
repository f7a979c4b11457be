#include "engine/scene/kaParticleEmitterMgr.h"

#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaParticleEmitter.h"

#include "tests/support/engine/scene/SceneModelFixture.h"

#include <gtest/gtest.h>

#include <memory>

using platform::Vector3;

namespace
{

class ParticleEmitterMgrTest : public SceneModelFixture
{
protected:
    void SetUp() override
    {
        StartWith(
            "<initData><uniqueID>Sparks</uniqueID><data><classType>kaParticleEmitter</classType>"
            "<maxParticles>8</maxParticles><position><x>9</x><y>9</y><z>9</z></position></data></initData>"
            "<initData><uniqueID>Crate</uniqueID><data><classType>EntityModel</classType>"
            "<kmfFilename>resources/models/crate/crate.kmf</kmfFilename></data></initData>");
    }

    kaEntityModel* Rider(const Vector3& at)
    {
        kaEntityModel* rider = Make(File(kRider));
        rider->SetPosition(at);
        return rider;
    }
};

} // namespace

TEST_F(ParticleEmitterMgrTest, KeepsOnlyEmittersAndNeverSavesThem)
{
    const struct
    {
        const char* id;
        bool kept;
    } cases[] = {{"Sparks", true}, {"Crate", false}, {"NoSuchRecord", false}};
    for (const auto& c : cases)
    {
        kaParticleEmitterMgr manager;
        kaParticleEmitter* emitter = manager.AddEmitter(c.id, 2);
        EXPECT_EQ(emitter != nullptr, c.kept) << c.id;
        EXPECT_EQ(manager.GetEmitters().size(), c.kept ? 1u : 0u) << c.id;
        EXPECT_EQ(manager.GetBones().size(), manager.GetEmitters().size());
        if (emitter)
        {
            EXPECT_FALSE(emitter->IsSaved());
            EXPECT_EQ(emitter->GetMaxParticles(), 8);
        }
    }
}

TEST_F(ParticleEmitterMgrTest, EmittersFollowTheirBonesOnceTheOwnerIsKnown)
{
    kaEntityModel* rider = Rider(Vector3(3.0f, 0.0f, -2.0f));
    const int32_t head = rider->GetBoneIndex("Head");
    ASSERT_GE(head, 0);
    kaParticleEmitterMgr manager;
    kaParticleEmitter* onHead = manager.AddEmitter("Sparks", head);
    kaParticleEmitter* loose = manager.AddEmitter("Sparks", kaParticleEmitterMgr::kNoBone);
    ASSERT_TRUE(onHead && loose);
    // No owner yet: where the record put them.
    ExpectNear(onHead->GetPosition(), Vector3(9.0f, 9.0f, 9.0f));

    manager.SetOwner(rider);
    ExpectNear(onHead->GetPosition(), Vector3(9.0f, 9.0f, 9.0f));
    manager.PlaceEmitters();
    ExpectNear(onHead->GetPosition(), rider->GetBoneWorldPosition(head));
    ExpectNear(loose->GetPosition(), Vector3(9.0f, 9.0f, 9.0f));

    // Added with the owner set: at the bone at once; a negative bone gives the origin.
    ExpectNear(manager.AddEmitter("Sparks", head)->GetPosition(), rider->GetBoneWorldPosition(head));
    ExpectNear(manager.AddEmitter("Sparks", -1)->GetPosition(), Vector3(0.0f, 0.0f, 0.0f));
}

TEST_F(ParticleEmitterMgrTest, DeletesThroughItsWorldOnlyWhenItHasOne)
{
    const int32_t before = m_World->GetEntityCount();
    auto manager = std::make_unique<kaParticleEmitterMgr>();
    manager->AddEmitter("Sparks", 0);
    manager->AddEmitter("Sparks", 1);
    manager->AddEmittersToWorld(m_World.get());
    EXPECT_EQ(m_World->GetEntityCount(), before + 2);
    manager.reset();
    EXPECT_EQ(m_World->GetEntityCount(), before);

    // Without a world of its own, an emitter that some world holds is left to that world.
    auto worldless = std::make_unique<kaParticleEmitterMgr>();
    kaParticleEmitter* held = worldless->AddEmitter("Sparks", 0);
    ASSERT_TRUE(m_World->AddEntity(held, true, true));
    worldless.reset();
    EXPECT_EQ(m_World->FindEntityById(held->GetEntityID()), held);
}

TEST_F(ParticleEmitterMgrTest, ModelEntityCarriesEmittersOnTheBonesItHas)
{
    kaEntityModel* rider =
        Make(File(kRider) + "<position><x>1</x><y>0</y><z>0</z></position>"
                            "<emitter><emitterInitID>Sparks</emitterInitID><bone>Head</bone>"
                            "<bone>NoSuchBone</bone><bone>Hips</bone></emitter>");
    kaParticleEmitterMgr* manager = rider->GetEmitterManager();
    ASSERT_NE(manager, nullptr);
    ASSERT_EQ(manager->GetEmitters().size(), 2u);
    EXPECT_EQ(manager->GetOwner(), rider);
    const int32_t before = m_World->GetEntityCount();
    rider->Initialize();
    rider->Initialize();
    EXPECT_EQ(m_World->GetEntityCount(), before + 2) << "added once";

    rider->SetPosition(Vector3(-4.0f, 2.0f, 6.0f));
    for (size_t i = 0; i < 2; ++i)
        ExpectNear(manager->GetEmitters()[i]->GetPosition(),
                   rider->GetBoneWorldPosition(manager->GetBones()[i]));

    m_World->DeleteEntity(rider, false);
    EXPECT_EQ(m_World->GetEntityCount(), before - 1);
}
