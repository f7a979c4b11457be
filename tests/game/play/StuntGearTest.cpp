#include "game/StuntGear.h"

#include "tests/support/game/GearScene.h"

#include <gtest/gtest.h>

namespace
{

class StuntGearTest : public geartest::GearScene
{
public:
    kaSoundHandle Part(int32_t id) const
    {
        kaSoundHandle part;
        part.id = id;
        return part;
    }
};

TEST_F(StuntGearTest, AContactAddsTheLargestRateOfItsStepOnceAndOnlyForThePlayersVehicle)
{
    struct Case
    {
        const char* name;
        std::vector<const char*> materials;
        bool byVehicle;
        float damage;
    } cases[] = {{"one spiked contact", {"Spikes"}, true, 5.0f},
                 {"spikes beside harmless", {"Harmless", "Spikes", "Harmless"}, true, 5.0f},
                 {"harmless only", {"Harmless"}, true, 0.0f},
                 {"a wheel is not the vehicle", {"Spikes"}, false, 0.0f}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        auto* gear = Add<StuntGear>();
        m_Vehicle->SetDamage(0.0f);
        for (const char* material : c.materials)
            gear->OnCollide(c.byVehicle ? static_cast<kaEntityPhysical*>(m_Vehicle) : m_Wheels[0],
                            Material(material), nullptr);
        gear->Update(0.1f);
        EXPECT_FLOAT_EQ(m_Vehicle->GetDamage(), c.damage);
        // The rate counts in the step of the contact only.
        gear->Update(0.1f);
        gear->Update(0.1f);
        EXPECT_FLOAT_EQ(m_Vehicle->GetDamage(), c.damage);
    }
}

TEST_F(StuntGearTest, PracticeRunsTakeNoGearDamage)
{
    m_World.SetGameMode(0);
    auto* gear = Add<StuntGear>();
    gear->OnCollide(m_Vehicle, Material("Spikes"), nullptr);
    gear->Update(0.1f);
    EXPECT_EQ(m_Vehicle->GetDamage(), 0.0f);
}

TEST_F(StuntGearTest, AHarmlessTouchStillHumsAndTheHumStopsTwoStepsAfterTheLastContact)
{
    auto* gear = Add<StuntGear>(kHum);
    const kaSoundHandle hum = gear->GetDamageSequence();
    ASSERT_GE(hum.id, 0);
    EXPECT_FALSE(gear->IsDamageSequencePlaying());
    gear->OnCollide(m_Vehicle, Material("Harmless"), nullptr);
    EXPECT_TRUE(gear->IsDamageSequencePlaying());
    gear->Update(0.1f);
    gear->Update(0.1f);
    EXPECT_TRUE(m_Wizard.IsSoundPlaying(Part(hum.id)) || m_Wizard.IsSoundPlaying(Part(hum.id2)));
    EXPECT_EQ(m_Vehicle->GetDamage(), 0.0f);
    gear->Update(0.1f);
    EXPECT_FALSE(m_Wizard.IsSoundPlaying(Part(hum.id)));
    EXPECT_FALSE(m_Wizard.IsSoundPlaying(Part(hum.id2)));
}

TEST_F(StuntGearTest, AnotherEntitysContactNeitherHumsNorDamages)
{
    auto* gear = Add<StuntGear>(kHum);
    gear->OnCollide(m_Wheels[1], Material("Spikes"), nullptr);
    EXPECT_FALSE(gear->IsDamageSequencePlaying());
    EXPECT_EQ(gear->GetDamageSteps(), 0);
    // Without a player vehicle nothing counts either.
    m_App.SetPlayerVehicle(nullptr);
    gear->OnCollide(m_Vehicle, Material("Spikes"), nullptr);
    EXPECT_FALSE(gear->IsDamageSequencePlaying());
    gear->Update(0.1f);
    EXPECT_EQ(m_Vehicle->GetDamage(), 0.0f);
}

TEST_F(StuntGearTest, ADamageSequenceNeedsAllThreeParts)
{
    const char* incomplete[] = {
        "<damageSequence><intro>Sounds/hum_in.wav</intro><loop>Sounds/hum_loop.wav</loop></damageSequence>",
        "<damageSequence><loop>Sounds/hum_loop.wav</loop><outro>Sounds/hum_out.wav</outro></damageSequence>",
        "<damageSequence><intro>Sounds/hum_in.wav</intro><outro>Sounds/hum_out.wav</outro></damageSequence>"};
    for (const char* xml : incomplete)
    {
        SCOPED_TRACE(xml);
        auto* gear = Add<StuntGear>(xml);
        EXPECT_LT(gear->GetDamageSequence().id, 0);
        gear->OnCollide(m_Vehicle, Material("Harmless"), nullptr);
        gear->Update(0.1f);
    }
}

TEST_F(StuntGearTest, TheGearUnloadsItsHumWhenItGoes)
{
    auto* gear = Add<StuntGear>(kHum);
    const kaSoundHandle hum = gear->GetDamageSequence();
    ASSERT_TRUE(m_Wizard.IsSoundLoaded(Part(hum.id)));
    // Read again, the record's sound replaces the first instead of leaking it.
    Read(*gear, kHum);
    EXPECT_FALSE(m_Wizard.IsSoundLoaded(Part(hum.id)));
    const kaSoundHandle second = gear->GetDamageSequence();
    m_World.DeleteEntity(gear, false);
    for (int32_t id : {second.id, second.id2, second.id3})
        EXPECT_FALSE(m_Wizard.IsSoundLoaded(Part(id))) << id;
}

TEST_F(StuntGearTest, TheRemovalTimerTakesTheGearOutOfItsWorldOnceItRunsOut)
{
    auto* gear = Add<StuntGear>();
    const int32_t id = gear->GetEntityID();
    gear->SetRemovalTimer(1.0f);
    gear->Update(0.6f);
    m_World.Update(0.0f);
    EXPECT_EQ(m_World.FindEntityById(id), gear);
    gear->Update(0.6f);
    EXPECT_EQ(gear->GetRemovalTimer(), 0.0f);
    m_World.Update(0.0f);
    EXPECT_EQ(m_World.FindEntityById(id), nullptr);
}

} // namespace
