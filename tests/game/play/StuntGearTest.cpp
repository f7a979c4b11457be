#include "game/gear/StuntGear.h"

#include "engine/core/kaXmlHelpers.h"
#include "engine/scene/kaPhysicsWorld.h"
#include "engine/scene/kaPropertyRecord.h"
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

namespace
{

// A course of every gear class that writes keys of its own, each on a record of its own whose values
// differ from the block's, read and written through a world as the editor and the game do.
class GearCourseTest : public StuntGearTest
{
protected:
    void SetUp() override
    {
        StuntGearTest::SetUp();
        m_Install.dir.Write(
            "GearData/gear.xml",
            std::string(
                "<?xml version=\"1.0\"?><root>"
                "<initData><uniqueID>TokenData</uniqueID><data><powerupType>2</powerupType>"
                "<value>50</value><turboForce>80</turboForce><gravity>3</gravity></data></initData>"
                "<initData><uniqueID>PlateData</uniqueID><data><launchPrim>PRIM_Rec</launchPrim>"
                "<launchForce>1000</launchForce></data></initData>"
                "<initData><uniqueID>BombData</uniqueID><data><explosionScale>9</explosionScale>"
                "<explosionDamage>30</explosionDamage><collisionSound>Sounds/Boom.wav</collisionSound>"
                "</data></initData>"
                "<initData><uniqueID>HumData</uniqueID><data>") +
                kHum + "</data></initData></root>");
        ASSERT_TRUE(m_Data.LoadInitData("GearData"));
    }

    static std::string Entity(int id, const char* type, const char* record, const std::string& own)
    {
        return "<Entity><type>" + std::string(type) + "</type><entityID>" + std::to_string(id) +
               "</entityID><initUniqueID>" + record + "</initUniqueID>" + own + "</Entity>";
    }

    static std::string Course(const std::string& token, const std::string& plate, const std::string& bomb,
                              const std::string& hum)
    {
        return "<World><Entities>" + Entity(1, "PowerUp", "TokenData", token) +
               Entity(2, "LaunchPlate", "PlateData", plate) + Entity(3, "ExplosiveGear", "BombData", bomb) +
               Entity(4, "StuntGear", "HumData", hum) + "</Entities></World>";
    }

    // Reads the course into the world and gives back what the world writes, on one line.
    static std::string Save(const kaWorld& world)
    {
        TiXmlElement root("World");
        world.WriteXml(&root, false);
        TiXmlPrinter printer;
        printer.SetStreamPrinting();
        root.Accept(&printer);
        return printer.Str();
    }

    static void Load(kaWorld& world, const std::string& course)
    {
        TiXmlDocument document;
        document.Parse(course.c_str());
        ASSERT_NE(document.RootElement(), nullptr) << course;
        world.ReadXml(document.RootElement(), false);
        world.Update(0.0f);
    }

    static int Count(const std::string& text, const std::string& element)
    {
        int count = 0;
        for (size_t at = text.find(element); at != std::string::npos; at = text.find(element, at + 1))
            ++count;
        return count;
    }
};

} // namespace

// The records go on applying at load, but a save writes each block's own values and nothing the records
// gave; a respawn time the user changed in the editor is saved.
TEST_F(GearCourseTest, ASaveWritesTheBlocksValuesNotTheRecords)
{
    const std::string course =
        Course("<powerupType>1</powerupType><hideTime>4</hideTime>", "<launchForce>2500</launchForce>",
               "<explosionScale>3.5</explosionScale>", "");
    std::string first;
    {
        kaPhysicsWorld world;
        Load(world, course);
        auto* token = dynamic_cast<PowerUp*>(world.FindEntityById(1));
        auto* plate = dynamic_cast<LaunchPlate*>(world.FindEntityById(2));
        auto* bomb = dynamic_cast<ExplosiveGear*>(world.FindEntityById(3));
        ASSERT_TRUE(token && plate && bomb && world.FindEntityById(4));
        // Applied after the block, the records decide what runs.
        EXPECT_EQ(token->GetPowerupType(), 2);
        EXPECT_EQ(token->GetValue(), 50);
        EXPECT_EQ(token->GetHideTime(), 4);
        EXPECT_EQ(plate->GetLaunchForce(), 1000.0f);
        EXPECT_EQ(bomb->GetExplosionScale(), 9.0f);
        first = Save(world);
    }
    const struct
    {
        const char* element;
        int count;
    } expected[] = {{"<powerupType>1</powerupType>", 1},
                    {"<hideTime>4</hideTime>", 1},
                    {"<launchForce>2500</launchForce>", 1},
                    {"<explosionScale>3.5</explosionScale>", 1},
                    {"<powerupType>", 1},
                    {"<launchForce>", 1},
                    {"<explosionScale>", 1},
                    {"<value>", 0},
                    {"<turboForce>", 0},
                    {"<turboTime>", 0},
                    {"<gravity>", 0},
                    {"<launchPrim>", 0},
                    {"<explosionDamage>", 0},
                    {"<explosionRadius>", 0},
                    {"<collisionSound>", 0},
                    {"<damageSequence>", 0}};
    for (const auto& e : expected)
        EXPECT_EQ(Count(first, e.element), e.count) << e.element << "\n" << first;

    // Saved again, nothing grows; an edited row is the block's from then on.
    kaPhysicsWorld world;
    Load(world, first);
    EXPECT_EQ(Save(world), first);
    auto* token = dynamic_cast<PowerUp*>(world.FindEntityById(1));
    ASSERT_NE(token, nullptr);
    kaPropertyList rows = token->GetPropertyList();
    for (const auto& row : rows)
        if (row->m_Label == PowerUp::kRespawnLabel)
            row->m_Value = "9";
    EXPECT_TRUE(token->SetPropertyList(rows));
    const std::string edited = Save(world);
    EXPECT_EQ(Count(edited, "<hideTime>9</hideTime>"), 1) << edited;
    EXPECT_EQ(Count(edited, "<hideTime>"), 1) << edited;
    EXPECT_EQ(Count(edited, "<value>"), 0) << edited;
}

// One malformed value a gear class: the editor keeps every entity, names each entity and key, and writes
// the value back as it was read; a run drops the entities and names them and their keys on stderr.
TEST_F(GearCourseTest, AMalformedValueKeepsTheGearInTheEditorAndIsWrittenBackAsRead)
{
    const struct
    {
        std::string own;
        const char* entity;
        const char* key;
    } bad[] = {
        // Read value first: a run stops there.
        {"<hideTime>1.5</hideTime><value>3000000000</value>", "PowerUp (id 1)", "value"},
        {"<launchForce>inf</launchForce>", "LaunchPlate (id 2)", "launchForce"},
        {"<explosionScale>2</explosionScale><explosionRadius>wide</explosionRadius>", "ExplosiveGear (id 3)",
         "explosionRadius"},
        {"<mass>0x10</mass>", "StuntGear (id 4)", "mass"},
    };
    const std::string course = Course(bad[0].own, bad[1].own, bad[2].own, bad[3].own);
    std::string saved;
    {
        m_App.SetEditor(true);
        kaPhysicsWorld world;
        Load(world, course);
        m_App.SetEditor(false);
        for (int id = 1; id <= 4; ++id)
            EXPECT_NE(world.FindEntityById(id), nullptr) << id;
        auto* token = dynamic_cast<PowerUp*>(world.FindEntityById(1));
        ASSERT_NE(token, nullptr);
        // The malformed keys keep the defaults; the records still apply.
        EXPECT_EQ(token->GetHideTime(), 0);
        EXPECT_EQ(token->GetValue(), 50);
        const std::vector<kaWorld::MalformedValue>& noted = world.GetMalformedValues();
        ASSERT_EQ(noted.size(), 5u);
        const std::pair<const char*, const char*> keys[] = {{"PowerUp (id 1)", "value"},
                                                            {"PowerUp (id 1)", "hideTime"},
                                                            {"LaunchPlate (id 2)", "launchForce"},
                                                            {"ExplosiveGear (id 3)", "explosionRadius"},
                                                            {"StuntGear (id 4)", "mass"}};
        for (size_t i = 0; i < noted.size(); ++i)
        {
            EXPECT_EQ(noted[i].entity, keys[i].first);
            EXPECT_EQ(noted[i].key, keys[i].second);
            EXPECT_FALSE(noted[i].dropped);
        }
        saved = Save(world);
    }
    for (const auto& b : bad)
        EXPECT_EQ(Count(saved, b.own), 1) << b.own << "\n" << saved;
    // Saved again, the same.
    {
        m_App.SetEditor(true);
        kaPhysicsWorld world;
        Load(world, saved);
        m_App.SetEditor(false);
        EXPECT_EQ(Save(world), saved);
    }

    kaPhysicsWorld world;
    testing::internal::CaptureStderr();
    Load(world, course);
    const std::string said = testing::internal::GetCapturedStderr();
    for (const auto& b : bad)
    {
        EXPECT_NE(said.find(std::string("bad value for ") + b.key), std::string::npos) << said;
        EXPECT_NE(said.find(b.entity), std::string::npos) << said;
    }
    for (int id = 1; id <= 4; ++id)
        EXPECT_EQ(world.FindEntityById(id), nullptr) << id;
}
