#include "engine/core/kaApp.h"
#include "engine/scene/kaWorld.h"

#include "engine/core/kaFileSystem.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/model/kaBillboard.h"
#include "engine/model/kaBoundingBox.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaModelManager.h"
#include "engine/render/kaCamera.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/EntityTree.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaPropertyRecord.h"
#include "engine/scene/kaQuadTree.h"
#include "engine/scene/kaSunBase.h"
#include "engine/scene/kaTerrainBase.h"
#include "engine/terrain/kaEntityWaterPlane.h"
#include "engine/terrain/kaSkyBox.h"
#include "engine/terrain/kaTerrain.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>
#include <memory>
#include <regex>
#include <string>
#include <vector>

namespace
{

int g_Resolved = 0;

// An entity with a state value and a number of its own; a "spawn" key makes another entity while it reads.
class Probe : public kaEntity
{
    KA_ENTITY_CLASS_RECORD()

public:
    void ReadXml(const TiXmlElement* element) override
    {
        kaEntity::ReadXml(element);
        if (const TiXmlElement* value = element->FirstChildElement("value"))
            m_Value = GetElementFloat(value);
        if (element->FirstChildElement("spawn") && m_pWorld)
        {
            auto* child = new Probe;
            child->SetSaved(false);
            m_pWorld->AddEntity(child, true, true);
        }
    }
    void WriteXml(TiXmlElement* element) const override
    {
        kaEntity::WriteXml(element);
        AppendFloatElement(element, "value", m_Value);
    }
    void ReadState(const TiXmlElement* element) override
    {
        kaEntity::ReadState(element);
        m_Charge = GetChildElementInt("charge", element);
    }
    void WriteState(TiXmlElement* element) const override
    {
        kaEntity::WriteState(element);
        AppendIntElement(element, "charge", m_Charge);
    }
    void ResolveLinks() override { ++g_Resolved; }

    float m_Value = 0.0f;
    int m_Charge = 0;
};

KA_ENTITY_CLASS_RECORD_DEFINITION(Probe, "WorldFileProbe")

// Notes how many links were resolved when it heard that the world had loaded.
class WatchingCamera : public kaCamera
{
public:
    void OnWorldLoaded() override { m_ResolvedWhenLoaded = g_Resolved; }
    int m_ResolvedWhenLoaded = -1;
};
const EntityFactory::Registration s_Probe(Probe::StaticClassInfo(), &EntityFactory::Create<Probe>);

std::string Entity(int id, const std::string& extra = "")
{
    return "<Entity><type>WorldFileProbe</type><name>p" + std::to_string(id) + "</name><entityID>" +
           std::to_string(id) + "</entityID>" + extra + "</Entity>";
}

std::string World(const std::string& body)
{
    return "<World>" + body + "</World>";
}

// 64 by 48, built from the origin out.
const char* const kArena = "resources/models/arena/arena.kmf";

class WorldFileTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start(nullptr));
        g_Resolved = 0;
    }
    void TearDown() override
    {
        m_World.reset();
        m_Models.DeleteAll();
    }

    // Loads the text as a world file into a fresh world.
    void Load(const std::string& xml, bool restoreStates)
    {
        m_World = std::make_unique<kaWorld>();
        m_World->LoadFile(m_Dir.Write("in.xml", xml), restoreStates);
    }
    std::string Save(bool saveStates)
    {
        EXPECT_TRUE(m_World->SaveFile(m_Dir.File("out.xml"), saveStates));
        return m_Dir.Read("out.xml");
    }
    Probe* Find(int id) const { return dynamic_cast<Probe*>(m_World->FindEntityById(id)); }

    testsupport::CurrentDirectory m_Content{TARVOLIN_CONTENT_DIR};
    kaFileSystem m_Files;
    kaInitDataBase m_InitData;
    kaModelManager m_Models;
    testsupport::DebugCapture m_Debug;
    testsupport::TempDir m_Dir;
    std::unique_ptr<kaWorld> m_World;
};

TEST_F(WorldFileTest, LoadSaveLoadSaveGivesTheSameBytesWithEveryElement)
{
    const struct
    {
        const char* name;
        std::string body;
        bool states;
    } cases[] = {
        {"environment and states",
         "<name>Course</name><preview>p.bmp</preview><description>A &amp; B</description>"
         "<startpoint><x>1.5</x><z>-2.25</z></startpoint>"
         "<Terrain><heightmap>h.raw</heightmap><size>64</size></Terrain>"
         "<WaterPlane><level>1.5</level></WaterPlane>"
         "<Skybox><left>l.bmp</left><Cloudplane><speed>2</speed></Cloudplane></Skybox>"
         "<Sun><texture>sun.dds</texture></Sun>"
         "<Entities>" +
             Entity(3, "<value>0.1</value>") + Entity(7) +
             "</Entities>"
             "<EntitiesStates><Entity><entityID>3</entityID><charge>9</charge></Entity></EntitiesStates>",
         true},
        {"entities only", "<Entities>" + Entity(0) + Entity(1, "<value>1e-3</value>") + "</Entities>", false},
        {"empty", "", false},
    };
    for (const auto& c : cases)
    {
        Load(World(c.body), c.states);
        const std::string first = Save(c.states);
        Load(first, c.states);
        EXPECT_EQ(Save(c.states), first) << c.name;
        for (const char* key :
             {"<name>", "<preview>", "<description>", "<startpoint>", "<startrotation>", "<Entities"})
            EXPECT_NE(first.find(key), std::string::npos) << c.name << " " << key;
        EXPECT_EQ(first.find("<arena>"), std::string::npos) << c.name;
        EXPECT_EQ(first.find("EntitiesStates") != std::string::npos, c.states) << c.name;
    }
    // The first case kept every environment block and the restored state.
    Load(World(cases[0].body), true);
    const std::string saved = Save(true);
    for (const char* key : {"<heightmap>h.raw</heightmap>", "<level>1.5</level>", "<speed>2</speed>",
                            "<texture>sun.dds</texture>", "<charge>9</charge>", "A &amp; B"})
        EXPECT_NE(saved.find(key), std::string::npos) << key;
    ASSERT_NE(m_World->GetTerrain(), nullptr);
    EXPECT_EQ(m_World->GetTerrain()->GetWorld(), m_World.get());
    // No terrain: the water covers 1024 by 1024.
    auto* water = dynamic_cast<kaEntityWaterPlane*>(m_World->GetWaterPlane());
    ASSERT_NE(water, nullptr);
    EXPECT_EQ(water->GetWidth(), 0.0f); // the stand-in terrain is flat and empty
    Load(World("<WaterPlane><level>2</level></WaterPlane>"), false);
    water = dynamic_cast<kaEntityWaterPlane*>(m_World->GetWaterPlane());
    ASSERT_NE(water, nullptr);
    EXPECT_EQ(water->GetWidth(), kaWorld::kDefaultWaterSize);
    EXPECT_EQ(water->GetLength(), kaWorld::kDefaultWaterSize);
}

namespace
{

// The block the saved text holds for that entity identifier, without the blanks between its elements;
// empty when there is none.
std::string BlockOf(const std::string& saved, int id)
{
    const size_t at = saved.find("<entityID>" + std::to_string(id) + "</entityID>");
    if (at == std::string::npos)
        return std::string();
    const size_t begin = saved.rfind("<Entity>", at);
    const size_t end = saved.find("</Entity>", at);
    static const std::regex blanks(">\\s+<");
    return std::regex_replace(saved.substr(begin, end - begin), blanks, "><");
}

std::string Text(const char* key, const char* value)
{
    return std::string("<") + key + ">" + value + "</" + key + ">";
}

} // namespace

// A save writes where the file or the editor put each entity, with the flags the file gave, whatever the
// entity has done since it was read: a save, a load and another save give the same bytes.
TEST_F(WorldFileTest, ASaveWritesThePlacementAndFlagsGivenNotWhatTheEntityDidSince)
{
    const std::string crate = "<kmfFilename>resources/models/crate/crate.kmf</kmfFilename>";
    const std::string course = World(
        "<Entities>"
        // A start without a model, hidden and selectable in the file.
        "<Entity><type>kaSpawnPoint</type><entityID>1</entityID><visible>0</visible>"
        "<selectable>1</selectable><kmfFilename></kmfFilename>"
        "<rotation><quaternion><x>0</x><y>0.7071068</y><z>0</z><w>0.7071068</w></quaternion></rotation>"
        "<position><x>6</x><y>1</y><z>-12</z></position></Entity>"
        // Components whose squares overflow.
        "<Entity><type>EntityModel</type><entityID>2</entityID>" +
        crate +
        "<rotation><quaternion><x>1e30</x><y>1e30</y><z>1e30</z><w>1e30</w></quaternion></rotation>"
        "<position><x>1</x><y>2</y><z>3</z></position></Entity>"
        // No rotation at all.
        "<Entity><type>EntityModel</type><entityID>3</entityID>" +
        crate +
        "<rotation><quaternion><x>0</x><y>0</y><z>0</z><w>0</w></quaternion></rotation>"
        "<position><x>-4</x><y>0.5</y><z>8</z></position></Entity>"
        // No model, turned by angles: written as a quaternion, where it was read.
        "<Entity><type>EntityModel</type><entityID>4</entityID><kmfFilename></kmfFilename>"
        "<rotation><yaw>3.1415927</yaw></rotation><position><x>0.25</x><y>-3</y><z>7</z></position></Entity>"
        "</Entities>");
    Load(course, false);
    ASSERT_EQ(m_World->GetEntityCount(), 4);
    m_World->InitializeEntities();
    // A run's spin or fall moves the model, not the placement.
    auto* spun = dynamic_cast<kaEntityModel*>(m_World->FindEntityById(2));
    ASSERT_NE(spun, nullptr);
    spun->AnimatePositionRotation(platform::Vector3(9.0f, -7.0f, 5.0f), platform::Quaternion(0, 1, 0, 0));
    EXPECT_EQ(spun->GetPosition().x, 9.0f);
    const std::string first = Save(false);

    const struct
    {
        int id;
        std::vector<std::string> keys;
    } cases[] = {
        {1,
         {Text("visible", "0"), Text("selectable", "1"), Text("x", "6"), Text("y", "1"), Text("z", "-12"),
          Text("y", "0.7071068"), Text("w", "0.7071068")}},
        {2,
         {"<quaternion>" + Text("x", "0.5") + Text("y", "0.5") + Text("z", "0.5") + Text("w", "0.5"),
          "<position>" + Text("x", "1") + Text("z", "3") + Text("y", "2")}},
        {3,
         {"<quaternion>" + Text("x", "0") + Text("y", "0") + Text("z", "0") + Text("w", "1"),
          "<position>" + Text("x", "-4") + Text("z", "8") + Text("y", "0.5")}},
        {4,
         {Text("kmfFilename", ""), Text("snapToTerrain", "0"), Text("y", "1"),
          "<position>" + Text("x", "0.25") + Text("z", "7") + Text("y", "-3")}},
    };
    for (const auto& c : cases)
    {
        const std::string block = BlockOf(first, c.id);
        ASSERT_FALSE(block.empty()) << c.id << "\n" << first;
        for (const std::string& key : c.keys)
            EXPECT_NE(block.find(key), std::string::npos) << c.id << " " << key << "\n" << block;
    }
    EXPECT_TRUE(m_Debug.Contains(" - rotation of no length, identity used."));
    EXPECT_EQ(first.find("nan"), std::string::npos);

    Load(first, false);
    ASSERT_EQ(m_World->GetEntityCount(), 4);
    m_World->InitializeEntities();
    EXPECT_EQ(Save(false), first);

    // An editor's move is a placement: the next save writes it.
    auto* moved = dynamic_cast<kaEntityModel*>(m_World->FindEntityById(3));
    ASSERT_NE(moved, nullptr);
    moved->SetPosition(platform::Vector3(2.5f, 3.0f, -1.0f));
    EXPECT_NE(
        BlockOf(Save(false), 3).find("<position>" + Text("x", "2.5") + Text("z", "-1") + Text("y", "3")),
        std::string::npos);
}

// A quaternion of no length is no rotation: the entity stands unturned and is saved so; the editor names the
// entity and the value to the designer, a run just goes on.
TEST_F(WorldFileTest, ARotationOfNoLengthIsTheIdentityAndTheEditorNamesIt)
{
    const std::string course = World("<Entities><Entity><type>EntityModel</type><entityID>3</entityID>"
                                     "<kmfFilename>resources/models/crate/crate.kmf</kmfFilename>"
                                     "<rotation><quaternion><x>0</x><y>-0</y><z>0.0</z><w>0</w></quaternion>"
                                     "</rotation></Entity></Entities>");
    for (const bool editor : {false, true})
    {
        SCOPED_TRACE(editor);
        kaApp app("WorldFileTest", "WorldFileTest");
        app.SetEditor(editor);
        Load(course, false);
        ASSERT_EQ(m_World->GetEntityCount(), 1);
        const std::vector<kaWorld::MalformedValue>& noted = m_World->GetMalformedValues();
        if (editor)
        {
            ASSERT_EQ(noted.size(), 1u);
            EXPECT_EQ(noted[0].entity, "EntityModel (id 3)");
            EXPECT_EQ(noted[0].key, "rotation");
            EXPECT_EQ(noted[0].text, "0 -0 0.0 0");
            EXPECT_FALSE(noted[0].dropped);
        }
        else
            EXPECT_TRUE(noted.empty());
        EXPECT_NE(
            BlockOf(Save(false), 3)
                .find("<quaternion>" + Text("x", "0") + Text("y", "0") + Text("z", "0") + Text("w", "1")),
            std::string::npos);
        m_World.reset();
    }
}

// Keys of another program's world (a game's course rules) come back with their values, ahead of the
// world's own, each once, whatever they hold; a later load brings its own keys, not the earlier file's.
TEST_F(WorldFileTest, TopLevelKeysItDoesNotReadAreWrittenBackAsTheyWere)
{
    const std::string keys =
        "<timeLimit>60</timeLimit><scoreLimit>lots</scoreLimit><levelName>Yard</levelName>"
        "<repPointFactor>0.2</repPointFactor><rules><lap>3</lap><lap>4</lap></rules>"
        "<Designer>Kim</Designer><Designer>Lee</Designer>";
    Load(World(keys + "<name>Course</name><Entities>" + Entity(1) + "</Entities>"), false);
    const std::string first = Save(false);
    EXPECT_EQ(first.find("<World>\n    <timeLimit>60</timeLimit>"), 0u) << first;
    const std::vector<std::string> expected = {"<timeLimit>60</timeLimit>",
                                               "<scoreLimit>lots</scoreLimit>",
                                               "<levelName>Yard</levelName>",
                                               "<repPointFactor>0.2</repPointFactor>",
                                               "<lap>3</lap>",
                                               "<lap>4</lap>",
                                               "<Designer>Kim</Designer>",
                                               "<Designer>Lee</Designer>",
                                               "<name>Course</name>",
                                               "<Entities>"};
    size_t at = 0;
    for (const std::string& key : expected)
    {
        const size_t found = first.find(key, at);
        ASSERT_NE(found, std::string::npos) << key << " in order in\n" << first;
        EXPECT_EQ(first.find(key, found + 1), std::string::npos) << key << " twice";
        at = found + key.size();
    }
    ASSERT_NE(Find(1), nullptr);
    Load(first, false);
    EXPECT_EQ(Save(false), first);

    // A world that reads a file without them into itself writes none of the earlier file's.
    m_World->LoadFile(m_Dir.Write("plain.xml", World("<name>Plain</name>")), false);
    const std::string plain = Save(false);
    EXPECT_EQ(plain.find("timeLimit"), std::string::npos) << plain;
    EXPECT_EQ(plain.find("Designer"), std::string::npos) << plain;
}

TEST_F(WorldFileTest, ReadingRules)
{
    // Start rotation: the quaternion wins over pitch, yaw and roll.
    Load(World("<startrotation><pitch>1</pitch><quaternion><w>0.5</w><x>0.5</x><y>0.5</y><z>0.5</z>"
               "</quaternion></startrotation>"),
         false);
    EXPECT_EQ(m_World->GetStartRotation().w, 0.5f);
    EXPECT_EQ(m_World->GetStartRotation().x, 0.5f);
    // Yaw alone turns about Y.
    Load(World("<startrotation><yaw>1.0</yaw></startrotation>"), false);
    EXPECT_NEAR(m_World->GetStartRotation().y, std::sin(0.5f), 1e-6f);
    EXPECT_NEAR(m_World->GetStartRotation().w, std::cos(0.5f), 1e-6f);

    // Two entities with one id: the second is refused and the state goes to the first.
    Load(World("<Entities>" + Entity(4, "<value>1</value>") + Entity(4, "<value>2</value>") +
               "</Entities><EntitiesStates><Entity><charge>5</charge></Entity>"
               "<Entity><entityID>4</entityID><charge>6</charge></Entity></EntitiesStates>"),
         true);
    ASSERT_EQ(m_World->GetEntityCount(), 1);
    EXPECT_EQ(Find(4)->m_Value, 1.0f);
    EXPECT_EQ(Find(4)->m_Charge, 6);
    EXPECT_TRUE(m_Debug.Contains("already exists"));

    // Links resolve when states are restored, even from a file without states, and the camera hears of
    // it afterwards; neither happens otherwise.
    for (const bool restore : {true, false})
    {
        g_Resolved = 0;
        WatchingCamera camera;
        m_World = std::make_unique<kaWorld>();
        m_World->SetCamera(&camera);
        m_World->LoadFile(m_Dir.Write("in.xml", World("<Entities>" + Entity(0) + Entity(1) + "</Entities>")),
                          restore);
        m_World->SetCamera(nullptr);
        EXPECT_EQ(g_Resolved, restore ? 2 : 0);
        EXPECT_EQ(camera.m_ResolvedWhenLoaded, restore ? 2 : -1);
    }

    // An unsaved entity is in neither list.
    Find(1)->SetSaved(false);
    const std::string saved = Save(true);
    EXPECT_EQ(saved.find("<name>p1</name>"), std::string::npos);
    EXPECT_EQ(saved.find("<entityID>1</entityID>"), std::string::npos);
    EXPECT_NE(saved.find("<entityID>0</entityID>"), std::string::npos);
}

TEST_F(WorldFileTest, MalformedValuesDropTheEntityOrKeepTheWorldDefault)
{
    Load(World("<startpoint><x>abc</x><z>4</z></startpoint><startrotation><quaternion><w>1e999</w>"
               "</quaternion></startrotation><Entities>" +
               Entity(0) + Entity(1, "<value>1.2.3</value>") + Entity(2, "<visible>7</visible>") +
               "<Entity><type>NoSuchClass</type><entityID>5</entityID></Entity>" + Entity(3) +
               "</Entities><EntitiesStates><Entity><entityID>x</entityID></Entity>"
               "<Entity><entityID>3</entityID><charge>many</charge></Entity></EntitiesStates>"),
         true);
    EXPECT_EQ(m_World->GetStartX(), 0.0f);
    EXPECT_EQ(m_World->GetStartZ(), 4.0f);
    EXPECT_EQ(m_World->GetStartRotation().w, 1.0f);
    EXPECT_NE(Find(0), nullptr);
    EXPECT_EQ(Find(1), nullptr);
    EXPECT_EQ(Find(2), nullptr);
    EXPECT_NE(Find(3), nullptr);
    EXPECT_EQ(m_World->GetEntityCount(), 2);
    EXPECT_TRUE(m_Debug.Contains("WorldFileProbe \"p1\" (id 1), entity dropped"));
    EXPECT_TRUE(m_Debug.Contains("WorldFileProbe \"p2\" (id 2), entity dropped"));
}

// Every block a load leaves out is named once, in the file's order, by its id or else its place in the file;
// a run also says so on stderr. The editor stands a placeholder in for a class it does not know, and gives an
// entity without a usable id one that no block of the file holds, naming the id it could not use.
TEST_F(WorldFileTest, EveryEntityLeftOutIsNamedOnceAndARunSaysSoOnStderr)
{
    const std::string course =
        World("<Entities>" + Entity(0) +
              "<Entity><type>WorldFileProbe</type><name>loose</name></Entity>" // no id
              "<Entity><type>WorldFileProbe</type><name>twin</name><entityID>0</entityID></Entity>" +
              Entity(-4) + "<Entity><type>NoSuchClass</type><entityID>7</entityID></Entity>" + Entity(2) +
              "</Entities>");
    const struct
    {
        bool editor;
        std::vector<std::string> leftOut;
        int kept;
        // Kept under a fresh id: the name, the id.
        std::vector<std::pair<std::string, int32_t>> renumbered;
    } cases[] = {
        {false,
         {"WorldFileProbe \"loose\" (entity 2 of the file)", "WorldFileProbe \"twin\" (id 0)",
          "WorldFileProbe \"p-4\" (id -4)", "NoSuchClass (id 7)"},
         2,
         {}},
        {true, {"WorldFileProbe \"twin\" (id 0)"}, 5, {{"loose", 1}, {"p-4", 3}}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.editor);
        kaApp app("WorldFileTest", "WorldFileTest");
        app.SetEditor(c.editor);
        testing::internal::CaptureStderr();
        Load(course, false);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(m_World->GetEntityCount(), c.kept);
        std::vector<std::string> named;
        std::vector<std::string> ids;
        for (const kaWorld::MalformedValue& value : m_World->GetMalformedValues())
        {
            if (value.dropped)
                named.push_back(value.entity);
            else
                ids.push_back(value.entity + ": " + value.key + " \"" + value.text + "\"");
        }
        EXPECT_EQ(named, c.leftOut);
        std::vector<std::string> expectedIds;
        for (const auto& [name, id] : c.renumbered)
        {
            const kaEntity* entity = m_World->FindEntityByName(name);
            ASSERT_NE(entity, nullptr) << name;
            EXPECT_EQ(entity->GetEntityID(), id) << name;
        }
        if (c.editor)
            expectedIds = {"WorldFileProbe \"loose\" (entity 2 of the file): entityID \"\"",
                           "WorldFileProbe \"p-4\" (id -4): entityID \"-4\""};
        EXPECT_EQ(ids, expectedIds);
        for (const std::string& entity : c.leftOut)
            EXPECT_EQ(said.find(entity + ", entity dropped") != std::string::npos, !c.editor) << said;
        // A repeat names the block that holds the id.
        EXPECT_EQ(said.find("entityID 0 already in use by WorldFileProbe \"p0\": ") != std::string::npos,
                  !c.editor)
            << said;
        m_World.reset();
    }
}

namespace
{

// The key of the saved entity of that id as one line; empty when the entity or the key is missing.
std::string SavedKey(const std::string& saved, int32_t id, const char* key)
{
    TiXmlDocument document;
    document.Parse(saved.c_str());
    const TiXmlElement* list =
        document.RootElement() ? document.RootElement()->FirstChildElement("Entities") : nullptr;
    for (const TiXmlElement* block = list ? list->FirstChildElement("Entity") : nullptr; block;
         block = block->NextSiblingElement("Entity"))
    {
        if (GetChildElementText("entityID", block) != std::to_string(id))
            continue;
        const TiXmlElement* child = block->FirstChildElement(key);
        if (!child)
            return std::string();
        TiXmlPrinter printer;
        printer.SetStreamPrinting();
        child->Accept(&printer);
        return printer.Str();
    }
    return std::string();
}

constexpr const char* kCrate = "<kmfFilename>resources/models/crate/crate.kmf</kmfFilename>";
constexpr const char* kTreeTexture = "<filename>resources/particles/spark.tga</filename>";

} // namespace

// A malformed base, model or tree key, or a placement beyond the bound (which ODE could not take): an edited
// world keeps the entity with the key's default, a placement with what reads of it within the bound, names
// the key and writes its text back as read; a run leaves the entity out and names it and the key on stderr.
TEST_F(WorldFileTest, AMalformedKeyOrFarPlacementKeepsTheEntityForTheEditorAndIsSavedAsRead)
{
    const auto position = [](const kaEntity& entity)
    {
        if (const auto* model = dynamic_cast<const kaEntityModel*>(&entity))
            return model->GetPosition();
        const auto* tree = dynamic_cast<const EntityTree*>(&entity);
        return tree && tree->GetBillboard() ? tree->GetBillboard()->GetPosition() : platform::Vector3();
    };
    const auto within = [&position](const kaEntity& entity)
    { return kaEntity::IsWithinPlacementBound(position(entity)); };
    const struct
    {
        const char* type;
        std::string keys;
        const char* key;
        const char* text;
        std::function<void(const kaEntity&)> check;
    } cases[] = {
        {"WorldFileProbe", "<visible>-1e39</visible>", "visible", "-1e39",
         [](const kaEntity& entity) { EXPECT_TRUE(entity.IsVisible()); }},
        {"WorldFileProbe", "<visible>0</visible><selectable>yes</selectable>", "selectable", "yes",
         [](const kaEntity& entity)
         {
             EXPECT_FALSE(entity.IsVisible());
             EXPECT_TRUE(entity.IsSelectable());
         }},
        {"EntityModel", std::string(kCrate) + "<snapToTerrain>true</snapToTerrain>", "snapToTerrain", "true",
         [](const kaEntity& entity)
         { EXPECT_FALSE(dynamic_cast<const kaEntityModel&>(entity).GetSnapToTerrain()); }},
        {"EntityModel", std::string(kCrate) + "<noSortAlpha>2</noSortAlpha>", "noSortAlpha", "2",
         [](const kaEntity& entity)
         { EXPECT_FALSE(dynamic_cast<const kaEntityModel&>(entity).GetNoSortAlpha()); }},
        {"EntityModel", std::string(kCrate) + "<position><x>4</x><z>-2</z><y>true</y></position>", "position",
         "4 -2 true",
         [&position](const kaEntity& entity)
         {
             EXPECT_EQ(position(entity).x, 4.0f);
             EXPECT_EQ(position(entity).y, 0.0f);
             EXPECT_EQ(position(entity).z, -2.0f);
         }},
        {"EntityModel", std::string(kCrate) + "<position><x>1e10</x><z>5</z><y>1</y></position>", "position",
         "1e10 5 1",
         [&position, &within](const kaEntity& entity)
         {
             EXPECT_TRUE(within(entity));
             EXPECT_GT(position(entity).x, 0.99f * kaEntity::kPlacementBound);
         }},
        {"EntityModel", std::string(kCrate) + "<position><x>0</x><z>3.4e38</z><y>0</y></position>",
         "position", "0 3.4e38 0", within},
        {"EntityModel",
         std::string(kCrate) +
             "<rotation><quaternion><x>0</x><y>1</y><z>0</z><w>one</w></quaternion></rotation>",
         "rotation", "0 1 0 one",
         [](const kaEntity& entity)
         {
             const platform::Quaternion turn = dynamic_cast<const kaEntityModel&>(entity).GetRotation();
             EXPECT_NEAR(std::fabs(turn.y), 1.0f, 1e-6f);
         }},
        {"EntityTree", std::string(kTreeTexture) + "<scale>big</scale>", "scale", "big",
         [](const kaEntity& entity)
         {
             ASSERT_NE(dynamic_cast<const EntityTree&>(entity).GetBillboard(), nullptr);
             EXPECT_EQ(dynamic_cast<const EntityTree&>(entity).GetBillboard()->GetScale(), 0.0f);
         }},
        {"EntityTree", std::string(kTreeTexture) + "<scale>2</scale><position><x>1e30</x><z>3</z></position>",
         "position", "1e30 3", within},
        {"EntityTree", std::string(kTreeTexture) + "<position><x>2</x><z>nan</z></position>", "position",
         "2 nan",
         [&position](const kaEntity& entity)
         {
             EXPECT_EQ(position(entity).x, 2.0f);
             EXPECT_EQ(position(entity).z, 0.0f);
         }},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.keys);
        const std::string course = World(std::string("<Entities><Entity><type>") + c.type +
                                         "</type><name>odd</name><entityID>6</entityID>" + c.keys +
                                         "</Entity>" + Entity(7) + "</Entities>");
        kaApp app("WorldFileTest", "WorldFileTest");
        app.SetEditor(true);
        Load(course, false);
        ASSERT_EQ(m_World->GetEntityCount(), 2);
        const kaEntity* entity = m_World->FindEntityById(6);
        ASSERT_NE(entity, nullptr);
        c.check(*entity);
        ASSERT_EQ(m_World->GetMalformedValues().size(), 1u);
        const kaWorld::MalformedValue& noted = m_World->GetMalformedValues().front();
        EXPECT_EQ(noted.entity, std::string(c.type) + " \"odd\" (id 6)");
        EXPECT_EQ(noted.key, c.key);
        EXPECT_EQ(noted.text, c.text);
        EXPECT_FALSE(noted.dropped);
        m_World->InitializeEntities();
        // Written back as read, twice over.
        const std::string read = SavedKey(course, 6, c.key);
        ASSERT_FALSE(read.empty());
        std::string saved = Save(false);
        EXPECT_EQ(SavedKey(saved, 6, c.key), read) << saved;
        Load(saved, false);
        m_World->InitializeEntities();
        EXPECT_EQ(Save(false), saved);

        // A run leaves it out, and says which and why.
        app.SetEditor(false);
        testing::internal::CaptureStderr();
        Load(course, false);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(m_World->FindEntityById(6), nullptr);
        EXPECT_NE(m_World->FindEntityById(7), nullptr);
        EXPECT_NE(said.find(std::string("bad value for ") + c.key + " (\"" + c.text + "\"): " + c.type +
                            " \"odd\" (id 6), entity dropped"),
                  std::string::npos)
            << said;
        m_World.reset();
    }
}

// An id a run cannot take keeps the entity in the editor under one no block of the file holds, which the save
// writes; a malformed one is named once, by the text the file holds.
TEST_F(WorldFileTest, AnIdThatIsNotANumberIsReplacedInTheEditorAndSaved)
{
    const std::string course = World("<Entities>" + Entity(0) +
                                     "<Entity><type>WorldFileProbe</type><name>odd</name>"
                                     "<entityID>3abc</entityID><value>2</value></Entity>" +
                                     Entity(1) + "</Entities>");
    kaApp app("WorldFileTest", "WorldFileTest");
    app.SetEditor(true);
    Load(course, false);
    ASSERT_EQ(m_World->GetEntityCount(), 3);
    const kaEntity* odd = m_World->FindEntityByName("odd");
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->GetEntityID(), 2);
    ASSERT_EQ(m_World->GetMalformedValues().size(), 1u);
    EXPECT_EQ(m_World->GetMalformedValues().front().entity, "WorldFileProbe \"odd\" (id 3abc)");
    EXPECT_EQ(m_World->GetMalformedValues().front().key, "entityID");
    EXPECT_EQ(m_World->GetMalformedValues().front().text, "3abc");
    EXPECT_FALSE(m_World->GetMalformedValues().front().dropped);
    const std::string saved = Save(false);
    EXPECT_NE(BlockOf(saved, 2).find("<name>odd</name>"), std::string::npos) << saved;

    app.SetEditor(false);
    testing::internal::CaptureStderr();
    Load(course, false);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(m_World->GetEntityCount(), 2);
    EXPECT_NE(
        said.find("bad value for entityID (\"3abc\"): WorldFileProbe \"odd\" (id 3abc), entity dropped"),
        std::string::npos)
        << said;
    Load(saved, false);
    EXPECT_EQ(m_World->GetEntityCount(), 3);
}

// A block kept among the entities follows, in the save, the nearest entity before it in the file that is
// still saved: deleting an entity leaves what stood after it in its place.
TEST_F(WorldFileTest, ABlockKeptAmongTheEntitiesFollowsTheNearestEntityStillSaved)
{
    const std::string course = World("<Entities><note>first</note>" + Entity(1) + "<note>a</note>" +
                                     Entity(2) + "<note>b</note><note>c</note>" + Entity(3) + "</Entities>");
    const struct
    {
        std::vector<int32_t> deleted;
        std::vector<std::string> saved;
    } cases[] = {
        {{}, {"first", "p1", "a", "p2", "b", "c", "p3"}},
        {{2}, {"first", "p1", "a", "b", "c", "p3"}},
        {{1, 2}, {"first", "a", "b", "c", "p3"}},
        {{1, 2, 3}, {"first", "a", "b", "c"}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.deleted.size());
        kaApp app("WorldFileTest", "WorldFileTest");
        app.SetEditor(true);
        Load(course, false);
        EXPECT_EQ(m_World->GetUnreadBlocks(),
                  (std::vector<std::string>{"<note> at row 1", "<note> at row 1", "<note> at row 1",
                                            "<note> at row 1"}));
        for (const int32_t id : c.deleted)
            m_World->DeleteEntity(Find(id), false);
        TiXmlDocument saved;
        saved.Parse(Save(false).c_str());
        std::vector<std::string> order;
        const TiXmlElement* list = saved.RootElement()->FirstChildElement("Entities");
        for (const TiXmlElement* child = list->FirstChildElement(); child;
             child = child->NextSiblingElement())
            order.push_back(child->ValueStr() == "note" ? GetElementText(child)
                                                        : GetChildElementText("name", child));
        EXPECT_EQ(order, c.saved);
        m_World.reset();
    }
}

// Keys no reader takes inside an entity's block (a note, a key given twice, the keys of a class the program
// does not know) and keys of the root given twice are saved as read, after the keys their writer gives; a
// key the designer then sets is written by its writer, with the copy given twice still after it.
TEST_F(WorldFileTest, KeysNoReaderTakesInsideTheRootAndTheBlocksAreSavedAfterTheWrittenOnes)
{
    kaApp app("WorldFileTest", "WorldFileTest");
    app.SetEditor(true);
    const std::string stranger = "<Entity><type>NoSuchKind</type><entityID>2</entityID><name>Stranger</name>"
                                 "<speed>4</speed><joint><to>1</to></joint></Entity>";
    Load(World("<name>Course</name><name>Again</name><Entities>" +
               Entity(1, "<note>kept</note><name>second</name>") + stranger + "</Entities>"),
         false);
    ASSERT_NE(Find(1), nullptr);
    EXPECT_EQ(Find(1)->GetName(), "p1");
    EXPECT_EQ(m_World->GetUnreadBlocks(),
              (std::vector<std::string>{
                  "<name> at row 1, given again after the one read",
                  "<note> at row 1, in the block of WorldFileProbe \"p1\" (id 1)",
                  "<name> at row 1, in the block of WorldFileProbe \"p1\" (id 1)",
                  "<speed> at row 1, in the block of NoSuchKind \"Stranger\" (id 2)",
                  "<joint> at row 1, in the block of NoSuchKind \"Stranger\" (id 2)",
              }));

    const auto keys = [](const TiXmlElement* element)
    {
        std::vector<std::string> names;
        for (const TiXmlElement* key = element->FirstChildElement(); key; key = key->NextSiblingElement())
            names.push_back(key->ValueStr() + "=" + GetElementText(key));
        return names;
    };
    const auto entity = [](const TiXmlDocument& document, const std::string& name)
    {
        const TiXmlElement* block =
            document.RootElement()->FirstChildElement("Entities")->FirstChildElement();
        while (block && GetChildElementText("name", block) != name)
            block = block->NextSiblingElement();
        return block;
    };
    const std::string first = Save(false);
    TiXmlDocument saved;
    saved.Parse(first.c_str());
    const std::vector<std::string> root = keys(saved.RootElement());
    ASSERT_GE(root.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(root.begin(), root.begin() + 2),
              (std::vector<std::string>{"name=Course", "name=Again"}));
    ASSERT_NE(entity(saved, "p1"), nullptr) << first;
    std::vector<std::string> probe = keys(entity(saved, "p1"));
    ASSERT_GE(probe.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(probe.end() - 2, probe.end()),
              (std::vector<std::string>{"note=kept", "name=second"}));
    ASSERT_NE(entity(saved, "Stranger"), nullptr) << first;
    const std::vector<std::string> other = keys(entity(saved, "Stranger"));
    EXPECT_NE(std::find(other.begin(), other.end(), "speed=4"), other.end()) << first;
    EXPECT_NE(std::find(other.begin(), other.end(), "joint="), other.end()) << first;
    Load(first, false);
    EXPECT_EQ(Save(false), first);

    // Renamed: its writer gives the new name first, the name given twice still follows.
    ASSERT_NE(Find(1), nullptr);
    Find(1)->SetName("renamed");
    saved.Clear();
    saved.Parse(Save(false).c_str());
    ASSERT_NE(entity(saved, "renamed"), nullptr);
    probe = keys(entity(saved, "renamed"));
    EXPECT_EQ(std::count(probe.begin(), probe.end(), "name=renamed"), 1);
    EXPECT_EQ(probe.back(), "name=second");
    Load(m_Dir.Read("out.xml"), false);
    ASSERT_NE(Find(1), nullptr);
    EXPECT_EQ(Find(1)->GetName(), "renamed");
}

// What the designer sets takes the place of a value kept as read: a flag changed in the property sheet, an
// entity moved or turned. An entity left as it was keeps its text, also when the sheet is only looked at.
TEST_F(WorldFileTest, AValueTheDesignerSetsReplacesTheTextKeptAsRead)
{
    kaApp app("WorldFileTest", "WorldFileTest");
    app.SetEditor(true);
    const std::string odd = "<visible>maybe</visible><selectable>2</selectable>"
                            "<rotation><quaternion><x>0</x><y>0</y><z>0</z><w>one</w></quaternion></rotation>"
                            "<position><x>1</x><z>2</z><y>1e10</y></position>";
    Load(World("<Entities><Entity><type>EntityModel</type><entityID>6</entityID>" + std::string(kCrate) +
               odd + "</Entity></Entities>"),
         false);
    auto* crate = dynamic_cast<kaEntityModel*>(m_World->FindEntityById(6));
    ASSERT_NE(crate, nullptr);
    EXPECT_EQ(m_World->GetMalformedValues().size(), 4u);
    // Looked at and left.
    crate->SetPropertyList(crate->GetPropertyList());
    std::string saved = Save(false);
    for (const char* key : {"visible", "selectable", "rotation", "position"})
        EXPECT_EQ(SavedKey(saved, 6, key),
                  SavedKey(World("<Entities><Entity><entityID>6</entityID>" + odd + "</Entity></Entities>"),
                           6, key))
            << key;

    kaPropertyList rows = crate->GetPropertyList();
    for (const kaCountedPtr<kaPropertyRecord>& row : rows)
        if (row->m_Label == kaEntity::kVisibleLabel)
            row->m_Value = "0";
    EXPECT_TRUE(crate->SetPropertyList(rows));
    crate->SetPosition(platform::Vector3(3.0f, 4.0f, 5.0f));
    saved = Save(false);
    EXPECT_EQ(SavedKey(saved, 6, "visible"), Text("visible", "0"));
    EXPECT_EQ(SavedKey(saved, 6, "selectable"), Text("selectable", "2"));
    EXPECT_EQ(SavedKey(saved, 6, "position"),
              "<position>" + Text("x", "3") + Text("z", "5") + Text("y", "4") + "</position>");
    EXPECT_NE(SavedKey(saved, 6, "rotation").find(Text("w", "one")), std::string::npos);
    crate->SetRotation(platform::Quaternion(0.0f, 1.0f, 0.0f, 0.0f));
    EXPECT_EQ(SavedKey(Save(false), 6, "rotation"), "<rotation><quaternion>" + Text("x", "0") +
                                                        Text("y", "1") + Text("z", "0") + Text("w", "0") +
                                                        "</quaternion></rotation>");
}

TEST_F(WorldFileTest, UnreadableFilesReadNothingAndSaySo)
{
    const struct
    {
        std::string text; // none: the file does not exist
        const char* line;
    } cases[] = {
        {"", "not found"},
        {"<World><name>x</World>", "is not a readable world file"},
        {"<Course><name>x</name></Course>", "is not a readable world file"},
    };
    for (const auto& c : cases)
    {
        m_Debug.Clear();
        m_World = std::make_unique<kaWorld>();
        m_World->SetName("kept");
        const std::string path = c.text.empty() ? m_Dir.File("missing.xml") : m_Dir.Write("bad.xml", c.text);
        m_World->LoadFile(path, true);
        EXPECT_EQ(m_World->GetName(), "kept") << c.text;
        EXPECT_TRUE(m_Debug.Contains(c.line)) << c.text;
    }
}

TEST_F(WorldFileTest, EntitiesMadeWhileReadingNumberAfterTheFilesOwn)
{
    Load(World("<Entities>" + Entity(0, "<spawn/>") + Entity(1) + Entity(2) + "</Entities>"), false);
    EXPECT_EQ(m_World->GetEntityCount(), 3);
    m_World->Update(0.0f);
    ASSERT_EQ(m_World->GetEntityCount(), 4);
    EXPECT_EQ(m_World->GetEntities().back()->GetEntityID(), 3);
}

TEST_F(WorldFileTest, AFailedSaveKeepsTheOldFile)
{
    Load(World("<name>New</name>"), false);
    const std::string target = m_Dir.Write("kept.xml", "old");
    // A folder in the target's place and a missing folder cannot be written.
    for (const std::string& path : {m_Dir.Path(), m_Dir.File("missing/folder/w.xml")})
        EXPECT_FALSE(m_World->SaveFile(path, false)) << path;
    EXPECT_EQ(m_Dir.Read("kept.xml"), "old");
    EXPECT_TRUE(m_World->SaveFile(target, false));
    EXPECT_NE(m_Dir.Read("kept.xml").find("<name>New</name>"), std::string::npos);
}

TEST_F(WorldFileTest, VenueRecordsApplyInIncludeOrderAndCentreTheArena)
{
    m_Dir.Write("init/Venues.xml",
                std::string("<root>"
                            "<initData><uniqueID>Base</uniqueID><dataType>Venue</dataType><data>"
                            "<kmfFilename>") +
                    kArena +
                    "</kmfFilename><name>base</name><visible>0</visible></data></initData>"
                    "<initData><uniqueID>Named</uniqueID><dataType>Venue</dataType><data>"
                    "<name>named</name><visible>1</visible></data></initData>"
                    "<initData><uniqueID>Arena</uniqueID><dataType>Venue</dataType>"
                    "<include>Base</include><include>Named</include><include>Gone</include>"
                    "<data><name>own</name></data></initData>"
                    "<initData><uniqueID>NoModel</uniqueID><dataType>Venue</dataType>"
                    "<data><kmfFilename>none.kmf</kmfFilename></data></initData>"
                    "</root>");
    ASSERT_TRUE(g_pInitDataBase->LoadInitData(m_Dir.File("init")));

    Load(World("<arena>Arena</arena><Entities>" + Entity(0) + "</Entities>"), false);
    auto* arena = dynamic_cast<kaEntityModel*>(m_World->GetVenueEntity());
    ASSERT_NE(arena, nullptr);
    EXPECT_EQ(arena->GetName(), "own");
    // Includes in order (the second shows the arena again), the record's own name last; the model file
    // came from the first include, the only one that names one.
    EXPECT_TRUE(arena->IsVisible());
    EXPECT_EQ(arena->GetModelFile(), kArena);
    EXPECT_EQ(m_World->GetVenueName(), "Arena");
    // The file's entity 0 was read after the venue took 0.
    EXPECT_EQ(m_World->GetEntityCount(), 1);
    const kaBoundingBox* box = arena->GetBoundingBox();
    ASSERT_NE(box, nullptr);
    EXPECT_NEAR(box->m_Min.x + box->m_Max.x, 0.0f, 1e-4f);
    EXPECT_NEAR(box->m_Min.z + box->m_Max.z, 0.0f, 1e-4f);
    EXPECT_NEAR(box->m_Max.x, 32.0f, 1e-4f);
    EXPECT_NEAR(box->m_Max.z, 24.0f, 1e-4f);
    // Leaves no smaller than min(64, 48) / 8 = 6: 64 and 48 halve three times.
    EXPECT_EQ(m_World->GetQuadTree()->GetLeafWidth(), 8.0f);
    EXPECT_EQ(m_World->GetQuadTree()->GetLeafLength(), 6.0f);
    // The arena comes back from "arena" alone.
    const std::string saved = Save(false);
    EXPECT_NE(saved.find("<arena>Arena</arena>"), std::string::npos);
    EXPECT_EQ(saved.find("<name>own</name>"), std::string::npos);

    // Cleared for another course, the world no longer names the venue.
    m_World->Clear();
    EXPECT_EQ(Save(false).find("<arena>"), std::string::npos);

    for (const char* missing : {"NoModel", "Nobody"})
    {
        Load(World(std::string("<arena>") + missing + "</arena>"), false);
        EXPECT_EQ(m_World->GetVenueEntity(), nullptr) << missing;
        EXPECT_EQ(m_World->GetEntityCount(), 0) << missing;
        EXPECT_EQ(m_World->GetVenueName(), "") << missing;
    }
}

} // namespace

namespace
{

// Venue records of the course values' test: one whose model loads, one whose model does not.
const char* const kValueVenues =
    "<root>"
    "<initData><uniqueID>Arena</uniqueID><dataType>Venue</dataType><data>"
    "<kmfFilename>resources/models/arena/arena.kmf</kmfFilename></data></initData>"
    "<initData><uniqueID>NoModel</uniqueID><dataType>Venue</dataType><data>"
    "<kmfFilename>none.kmf</kmfFilename></data></initData>"
    "</root>";

// What a course says of itself that no reader can use: a start coordinate, a start rotation's component,
// Sun keys (one past the floats) and a flare layer's length.
const char* const kUnusable[] = {
    "<x>-4O</x>",
    "<startrotation><quaternion><w>1</w><x>O</x><y>0</y><z>0</z></quaternion></startrotation>",
    "<position>O.5</position>",
    "<axistilt>1e39</axistilt>",
    "<greenambient>half</greenambient>",
    "<length>two</length>",
};

std::string CourseSayingOfItself(const std::string& venue)
{
    return World(
        "<arena>" + venue +
        "</arena><name>Yard</name>a root note<startpoint><x>-4O</x><z>7.5</z></startpoint>"
        "<startrotation><quaternion><w>1</w><x>O</x><y>0</y><z>0</z></quaternion></startrotation>"
        "<Sun><position>O.5</position><axistilt>1e39</axistilt><texture>sun.dds</texture>"
        "<scale>0.5</scale><reddirectional>1</reddirectional><greendirectional>0.9</greendirectional>"
        "<bluedirectional>0.8</bluedirectional><redambient>0.5</redambient>"
        "<greenambient>half</greenambient><blueambient>0.5</blueambient><lensFlareLayers><FlareLayer>"
        "<texture>ring.dds</texture><length>two</length><scale>1</scale></FlareLayer>"
        "</lensFlareLayers></Sun>"
        "<Entities>a note<![CDATA[x < y]]>" +
        Entity(1, "a block note") +
        "</Entities><EntitiesStates><Entity><entityID>1</entityID><charge>4</charge></Entity>"
        "</EntitiesStates>");
}

// Where the part stands in the saved text without the blanks between its elements.
size_t BlockOfText(const std::string& saved, const std::string& part)
{
    static const std::regex blanks(">\\s+<");
    return std::regex_replace(saved, blanks, "><").find(part);
}

size_t Occurrences(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

kaPropertyList Rows(const std::vector<std::pair<std::string, std::string>>& rows)
{
    kaPropertyList list;
    for (const auto& [label, value] : rows)
        kaPropertyRecord::Append(list, label, value).m_Set = true;
    return list;
}

} // namespace

// A venue no record makes or whose model does not load, a start point or rotation and Sun keys that are no
// number: the course is read with the defaults in their place, the text is written back as the file gave
// it, in the editor as in a run, each named once (a run also on stderr), until the designer sets that value.
TEST_F(WorldFileTest, WhatACourseSaysOfItselfAndCannotBeUsedIsKeptAsReadAndNamed)
{
    m_Dir.Write("init/Venues.xml", kValueVenues);
    ASSERT_TRUE(g_pInitDataBase->LoadInitData(m_Dir.File("init")));
    const struct
    {
        const char* venue;
        const char* reason;
        kaWorld::LoadPolicy policy;
    } cases[] = {
        {"StuntYrad", "no venue of that name", kaWorld::LoadPolicy::kEdit},
        {"NoModel", "its model does not load", kaWorld::LoadPolicy::kEdit},
        {"StuntYrad", "no venue of that name", kaWorld::LoadPolicy::kRun},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.venue) + (c.policy == kaWorld::LoadPolicy::kRun ? " run" : " edit"));
        const std::string course = CourseSayingOfItself(c.venue);
        m_World = std::make_unique<kaWorld>();
        m_World->SetLoadPolicy(c.policy);
        testing::internal::CaptureStderr();
        ASSERT_TRUE(m_World->LoadFile(m_Dir.Write("in.xml", course), false));
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(m_World->GetVenueEntity(), nullptr);
        EXPECT_EQ(m_World->GetStartX(), 0.0f);
        EXPECT_EQ(m_World->GetStartZ(), 7.5f);

        const std::vector<std::tuple<std::string, std::string, std::string, std::string>> expected = {
            {"", "startpoint x", "-4O", ""},     {"", "startrotation", "1 O 0 0", ""},
            {"", "venue", c.venue, c.reason},    {"Sun", "position", "O.5", ""},
            {"Sun", "axistilt", "1e39", ""},     {"Sun", "greenambient", "half", ""},
            {"Sun", "layer 0 length", "two", ""}};
        const std::vector<kaWorld::MalformedValue>& noted = m_World->GetMalformedValues();
        ASSERT_EQ(noted.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
        {
            const auto& [entity, key, text, reason] = expected[i];
            EXPECT_EQ(noted[i].entity, entity) << i;
            EXPECT_EQ(noted[i].key, key) << i;
            EXPECT_EQ(noted[i].text, text) << i;
            EXPECT_EQ(noted[i].reason, reason) << i;
            EXPECT_FALSE(noted[i].dropped) << i;
        }
        if (c.policy == kaWorld::LoadPolicy::kRun)
        {
            for (const std::string line : {"bad value for startpoint x (\"-4O\"), default in use.",
                                           "venue \"StuntYrad\": no venue of that name.",
                                           "bad value for Sun layer 0 length (\"two\"), default in use."})
                EXPECT_EQ(Occurrences(said, line), 1u) << line << "\n" << said;
            continue;
        }
        EXPECT_EQ(said, "");

        const std::string first = Save(false);
        for (const char* kept : kUnusable)
            EXPECT_NE(BlockOfText(first, kept), std::string::npos) << kept << "\n" << first;
        for (const std::string& kept :
             {std::string("<arena>") + c.venue + "</arena>", std::string("a note\n"),
              std::string("a root note"), std::string("a block note"), std::string("<![CDATA[x < y]]>"),
              std::string("<charge>4</charge>")})
            EXPECT_EQ(Occurrences(first, kept), 1u) << kept << "\n" << first;
        // Text goes back after the key it followed.
        EXPECT_LT(first.find("<name>Yard</name>"), first.find("a root note"));
        EXPECT_LT(first.find("a root note"), first.find("<preview>"));
        EXPECT_LT(first.find("<value>"), first.find("a block note"));
        Load(first, false);
        EXPECT_EQ(Save(false), first);

        // What the designer sets gives way, also to the value it already had; the rest stays as read.
        m_World->SetLoadPolicy(kaWorld::LoadPolicy::kEdit);
        m_World->SetPropertyList(Rows({{kaWorld::kStartXLabel, "0"}}));
        m_World->SetStartRotation(platform::Quaternion(0.0f, 0.0f, 0.0f, 1.0f));
        ASSERT_NE(m_World->GetSun(), nullptr);
        m_World->GetSun()->SetPropertyList(Rows({{"Position:", "0"}, {"Layer 0 ", ""}, {"Length:", "0"}}));
        ASSERT_TRUE(m_World->LoadVenue("Arena", false));
        const std::string set = Save(false);
        for (const std::string given :
             {"<startpoint><x>0</x><z>7.5</z></startpoint>",
              "<quaternion><w>1</w><x>0</x><y>0</y><z>0</z></quaternion>", "<position>0</position>",
              "<length>0</length>", "<arena>Arena</arena>"})
            EXPECT_NE(BlockOfText(set, given), std::string::npos) << given << "\n" << set;
        for (const std::string kept : {"<axistilt>1e39</axistilt>", "<greenambient>half</greenambient>"})
            EXPECT_NE(BlockOfText(set, kept), std::string::npos) << kept << "\n" << set;
        for (const std::string gone : {"-4O", ">O<", "O.5", "two", c.venue})
            EXPECT_EQ(set.find(gone), std::string::npos) << gone << "\n" << set;
    }
}

// The terrain's, the water's and the sky's numbers that are no number, and the terrain's flags that are
// neither 1 nor 0, go as the Sun's numbers do: read as 0, false or the default, named with their block,
// written back as read, each until the designer's row sets it.
TEST_F(WorldFileTest, EnvironmentNumbersThatAreNoNumberAreKeptAsReadUntilTheirRowIsSet)
{
    const std::string course = World(
        "<Terrain><heightmap>h.raw</heightmap><width>wide</width><length>64</length><height>tall</"
        "height><vertexLight>yes</vertexLight>"
        "<terrainLayers><layer><maskPath>m.bmp</maskPath><texturePath>t.dds</texturePath>"
        "<texStretch>O.5</texStretch><hardEdge>true</hardEdge></layer></terrainLayers></Terrain>"
        "<WaterPlane><level>deep</level><min_level>-1</min_level><max_level>x</max_level></WaterPlane>"
        "<Skybox><left>l.bmp</left><Cloudplane><texture>c.dds</texture><height>high</height><speed>2</speed>"
        "</Cloudplane></Skybox>");
    m_World = std::make_unique<kaWorld>();
    m_World->SetLoadPolicy(kaWorld::LoadPolicy::kEdit);
    ASSERT_TRUE(m_World->LoadFile(m_Dir.Write("in.xml", course), false));
    const std::vector<std::tuple<std::string, std::string, std::string>> expected = {
        {"Terrain", "width", "wide"},
        {"Terrain", "height", "tall"},
        {"Terrain", "vertexLight", "yes"},
        {"Terrain", "layer 0 texStretch", "O.5"},
        {"Terrain", "layer 0 hardEdge", "true"},
        {"WaterPlane", "level", "deep"},
        {"WaterPlane", "max_level", "x"},
        {"Skybox", "cloud plane 0 height", "high"}};
    const std::vector<kaWorld::MalformedValue>& noted = m_World->GetMalformedValues();
    ASSERT_EQ(noted.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ(noted[i].entity, std::get<0>(expected[i])) << i;
        EXPECT_EQ(noted[i].key, std::get<1>(expected[i])) << i;
        EXPECT_EQ(noted[i].text, std::get<2>(expected[i])) << i;
    }
    const std::string first = Save(false);
    const char* const kept[] = {"<width>wide</width>",
                                "<height>tall</height>",
                                "<texStretch>O.5</texStretch>",
                                "<level>deep</level>",
                                "<max_level>x</max_level>",
                                "<height>high</height>",
                                "<vertexLight>yes</vertexLight>",
                                "<hardEdge>true</hardEdge>"};
    for (const char* element : kept)
        EXPECT_EQ(Occurrences(first, element), 1u) << element << "\n" << first;
    Load(first, false);
    EXPECT_EQ(Save(false), first);

    // Set to the value in use, each row the designer gave replaces its text; the others stay.
    ASSERT_NE(m_World->GetTerrain(), nullptr);
    ASSERT_NE(m_World->GetSkyBox(), nullptr);
    m_World->GetTerrain()->SetPropertyList(
        Rows({{kaTerrain::kWidthLabel, "0"},
              {kaTerrain::kVertexLightLabel, "0"},
              {std::string(kaTerrain::kLayerLabel) + "0" + kaTerrain::kTexStretchKey, "0"}}));
    m_World->GetSkyBox()->SetPropertyList(
        Rows({{std::string(kaSkyBox::kCloudLabel) + "0 " + kaSkyBox::kHeightLabel, "0"}}));
    const std::string set = Save(false);
    for (const char* element :
         {"<width>0</width>", "<texStretch>0</texStretch>", "<vertexLight>0</vertexLight>"})
        EXPECT_EQ(Occurrences(set, element), 1u) << element << "\n" << set;
    for (const char* element : {"<height>tall</height>", "<level>deep</level>", "<max_level>x</max_level>",
                                "<hardEdge>true</hardEdge>"})
        EXPECT_EQ(Occurrences(set, element), 1u) << element << "\n" << set;
    for (const char* gone : {"wide", "O.5", "high", "yes"})
        EXPECT_EQ(set.find(gone), std::string::npos) << gone << "\n" << set;
    EXPECT_NE(BlockOfText(set, "<Cloudplane><texture>c.dds</texture><height>0</height>"), std::string::npos)
        << set;
}
