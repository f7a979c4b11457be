#include "game/gear/StuntGear.h"

#include "engine/core/kaXmlHelpers.h"
#include "game/gear/ExplosiveGear.h"
#include "game/gear/LaunchPlate.h"
#include "game/gear/MudPit.h"
#include "game/gear/OilSlick.h"
#include "game/gear/PowerGrate.h"
#include "game/gear/PowerUp.h"
#include "tests/support/game/GearScene.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <string>
#include <utility>
#include <vector>

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

    template <typename Gear> kaEntity* AddGear(const std::string& xml) { return Add<Gear>(xml); }

    static std::string Printed(const TiXmlElement& element)
    {
        TiXmlPrinter printer;
        element.Accept(&printer);
        std::string text = printer.Str();
        // Entity identifiers differ between the two; the rest must not.
        const size_t start = text.find("<entityID>");
        if (start != std::string::npos)
            text.erase(start, text.find("</entityID>") - start);
        return text;
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

// A course saved by the editor keeps every value its gear was read with: each class writes each key it
// reads, and what it writes reads back to the same.
TEST_F(StuntGearTest, EveryGearClassWritesEveryKeyItReads)
{
    using Keys = std::vector<std::pair<const char*, const char*>>;
    const Keys hum = {
        {"intro", "Sounds/hum_in.wav"}, {"loop", "Sounds/hum_loop.wav"}, {"outro", "Sounds/hum_out.wav"}};
    const struct
    {
        const char* name;
        kaEntity* (StuntGearTest::*add)(const std::string&);
        Keys keys;
        bool hums;
    } cases[] = {
        {"PowerUp",
         &StuntGearTest::AddGear<PowerUp>,
         {{"powerupType", "1"},
          {"value", "250"},
          {"hideTime", "7"},
          {"turboTime", "1.25"},
          {"turboForce", "90.5"},
          {"turboMaxTime", "33"},
          {"gravity", "2.5"},
          {"gravityTime", "4"},
          {"gravityMaxTime", "12"}},
         false},
        {"LaunchPlate",
         &StuntGearTest::AddGear<LaunchPlate>,
         {{"launchPrim", "PRIM_Pad"}, {"launchForce", "2500"}},
         true},
        {"StuntGear", &StuntGearTest::AddGear<StuntGear>, {}, true},
        {"MudPit", &StuntGearTest::AddGear<MudPit>, {}, true},
        {"OilSlick", &StuntGearTest::AddGear<OilSlick>, {}, true},
        {"PowerGrate", &StuntGearTest::AddGear<PowerGrate>, {}, true},
        {"ExplosiveGear",
         &StuntGearTest::AddGear<ExplosiveGear>,
         {{"explosionScale", "3.5"},
          {"explosionRadius", "6"},
          {"explosionDamage", "20"},
          {"explosionForce", "800"},
          {"explosionThreshold", "150"},
          {"collisionSound", "Sounds/hum_in.wav"}},
         true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::string xml;
        for (const auto& [key, value] : c.keys)
            xml += std::string("<") + key + ">" + value + "</" + key + ">";
        if (c.hums)
            xml += kHum;
        kaEntity* original = (this->*c.add)(xml);
        TiXmlElement written("Entity");
        original->WriteXml(&written);
        for (const auto& [key, value] : c.keys)
        {
            const TiXmlElement* child = written.FirstChildElement(key);
            ASSERT_NE(child, nullptr) << key;
            EXPECT_EQ(GetElementText(child), value) << key;
        }
        const TiXmlElement* sequence = written.FirstChildElement("damageSequence");
        ASSERT_EQ(sequence != nullptr, c.hums);
        if (sequence)
        {
            for (const auto& [key, value] : hum)
                EXPECT_EQ(GetChildElementText(key, sequence), value) << key;
        }

        kaEntity* copy = (this->*c.add)("");
        copy->ReadXml(&written);
        TiXmlElement rewritten("Entity");
        copy->WriteXml(&rewritten);
        EXPECT_EQ(Printed(rewritten), Printed(written));
    }
}
