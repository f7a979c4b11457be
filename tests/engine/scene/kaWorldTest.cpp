#include "engine/scene/kaWorld.h"

#include "engine/core/kaApp.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaLexicalCast.h"
#include "engine/render/ka3DAlphaSorter.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaLight.h"
#include "engine/scene/kaEntity.h"
#include "engine/scene/kaPropertyRecord.h"
#include "engine/scene/kaQuadTree.h"
#include "engine/scene/kaSkyBoxBase.h"
#include "engine/scene/kaSunBase.h"
#include "engine/scene/kaTerrainBase.h"
#include "engine/scene/kaWaterPlaneBase.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace
{

std::vector<std::string> g_Log;

// An entity that logs its passes and its destruction and runs a scripted action in Update.
class Recorder : public kaEntity
{
public:
    explicit Recorder(const std::string& name, int32_t id = -1)
    {
        SetName(name);
        SetEntityID(id);
    }
    ~Recorder() override
    {
        g_Log.push_back("~" + GetName());
        if (onDestroy)
            onDestroy();
    }
    void Update(float) override
    {
        g_Log.push_back(GetName());
        if (onUpdate)
        {
            auto action = std::move(onUpdate);
            action();
        }
    }
    void UpdateControl(float) override { g_Log.push_back("control " + GetName()); }
    void Initialize() override
    {
        g_Log.push_back("init " + GetName());
        if (onInitialize)
            onInitialize();
    }

    std::function<void()> onUpdate;
    std::function<void()> onDestroy;
    std::function<void()> onInitialize;
};

template <typename Base> class Environment : public Base
{
public:
    explicit Environment(std::string tag) : m_Tag(std::move(tag)) {}
    ~Environment() override { g_Log.push_back("~" + m_Tag); }
    void Update(float) override { g_Log.push_back(m_Tag); }

private:
    std::string m_Tag;
};

class FlatTerrain : public Environment<kaTerrainBase>
{
public:
    FlatTerrain() : Environment<kaTerrainBase>("terrain") {}
    float GetHeightAt(float x, float z) const override { return x + z; }
    float GetWidth() const override { return 0.0f; }
    float GetLength() const override { return 0.0f; }
};

class RecordingLight : public kaLight
{
public:
    RecordingLight() : kaLight(1, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0) {}
    void Update(float dt) override
    {
        g_Log.push_back("light");
        kaLight::Update(dt);
    }
};

class RecordingItem : public ka3DObject
{
public:
    void Update(float) override { g_Log.push_back("sorted"); }
};

kaEntity* MakePathManager()
{
    return new Environment<kaEntity>("path");
}

class WorldTest : public ::testing::Test
{
protected:
    void SetUp() override { g_Log.clear(); }
    void TearDown() override
    {
        m_World.reset();
        kaWorld::SetPathManagerCreator(nullptr);
        g_Log.clear();
    }

    // A recorder added under its own identifier.
    Recorder* Add(const std::string& name, int32_t id)
    {
        auto* entity = new Recorder(name, id);
        EXPECT_TRUE(m_World->AddEntity(entity, true, false)) << name;
        return entity;
    }

    // One update, returning what it logged.
    std::vector<std::string> Step()
    {
        g_Log.clear();
        m_World->Update(0.01f);
        return g_Log;
    }

    std::unique_ptr<kaWorld> m_World = std::make_unique<kaWorld>();
};

using Log = std::vector<std::string>;

TEST_F(WorldTest, NewIdentifiersFollowTheRunFromTheSmallest)
{
    const struct
    {
        std::vector<int32_t> stored;
        int32_t expected;
    } cases[] = {
        {{0, 1, 2, 5}, 3}, {{4, 5}, 6}, {{7}, 8}, {{}, 0}, {{5, 2, 0, 1}, 3},
    };
    for (const auto& c : cases)
    {
        kaWorld world;
        for (int32_t id : c.stored)
            ASSERT_TRUE(world.AddEntity(new Recorder("stored", id), true, false));
        auto* fresh = new Recorder("fresh", 40);
        ASSERT_TRUE(world.AddEntity(fresh, true, true));
        EXPECT_EQ(fresh->GetEntityID(), c.expected);
        std::vector<int32_t> sorted = world.GetIdentifiers();
        EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
        EXPECT_EQ(sorted.size(), c.stored.size() + 1);
    }
}

TEST_F(WorldTest, RefusedIdentifiersLeaveTheWorldUnchanged)
{
    Add("first", 4);
    const struct
    {
        int32_t id;
        std::string line;
    } cases[] = {
        {-1,
         "kaWorld::_StoreUniqueEntityIdentifier - Attempted to load in an entity ID (-1) that is negative.  "
         "New entity ignored.\n"},
        {4, "kaWorld::_StoreUniqueEntityIdentifier - Attempted to load in an entity ID (4) that already "
            "exists.  "
            "New entity ignored.\n"},
    };
    for (const auto& c : cases)
    {
        testsupport::DebugCapture capture;
        Recorder refused("refused", c.id);
        EXPECT_FALSE(m_World->AddEntity(&refused, true, false));
        EXPECT_EQ(capture.Lines(), std::vector<std::string>{c.line});
        EXPECT_EQ(m_World->GetEntityCount(), 1);
        EXPECT_EQ(m_World->GetIdentifiers(), std::vector<int32_t>{4});
        EXPECT_EQ(refused.GetWorld(), nullptr);
        EXPECT_EQ(Step(), (Log{"first"}));
    }
}

TEST_F(WorldTest, AnEntityAddedDuringAPassJoinsAtTheNextUpdateWithANewIdentifier)
{
    Recorder* adder = Add("adder", 0);
    auto* late = new Recorder("late", 0);
    adder->onUpdate = [this, late] { EXPECT_FALSE(m_World->AddEntity(late, true, false)); };
    EXPECT_EQ(Step(), (Log{"adder"}));
    EXPECT_EQ(m_World->FindEntityByName("late"), nullptr);
    EXPECT_EQ(Step(), (Log{"adder", "late"}));
    EXPECT_EQ(late->GetEntityID(), 1);
    EXPECT_EQ(late->GetWorld(), m_World.get());
    EXPECT_EQ(Step(), (Log{"adder", "late"}));
}

TEST_F(WorldTest, DeletesDuringAPassWaitForTheNextUpdateAndKeepTheIdentifier)
{
    Recorder* doomed = Add("doomed", 0);
    Add("other", 1);
    doomed->onUpdate = [this, doomed]
    {
        m_World->DeleteEntity(doomed, false);
        m_World->DeleteEntity(doomed, false);
    };
    EXPECT_EQ(Step(), (Log{"doomed", "other"}));
    EXPECT_EQ(Step(), (Log{"~doomed", "other"}));
    EXPECT_EQ(m_World->GetEntityCount(), 1);
    auto* fresh = new Recorder("fresh");
    ASSERT_TRUE(m_World->AddEntity(fresh, true, true));
    EXPECT_EQ(fresh->GetEntityID(), 2);

    // Outside a pass the delete is immediate and frees the identifier.
    m_World->DeleteEntity(fresh, false);
    EXPECT_EQ(g_Log.back(), "~fresh");
    EXPECT_EQ(m_World->GetIdentifiers(), (std::vector<int32_t>{0, 1}));
}

TEST_F(WorldTest, FindsAndRemovesEntities)
{
    Recorder* first = Add("twin", 3);
    Recorder* second = Add("twin", 1);
    EXPECT_EQ(m_World->FindEntityByName("twin"), first);
    EXPECT_EQ(m_World->FindEntityById(1), second);
    EXPECT_EQ(m_World->FindEntityById(2), nullptr);

    // Without a box, and before the tree has an extent, entities are filed in the root.
    EXPECT_EQ(first->GetQuadTreeNode(), 0);
    m_World->SetSelectedEntity(first);
    EXPECT_TRUE(m_World->RemoveEntity(first));
    EXPECT_EQ(m_World->GetSelectedEntity(), nullptr);
    EXPECT_EQ(first->GetWorld(), nullptr);
    EXPECT_EQ(first->GetQuadTreeNode(), -1);
    EXPECT_EQ(m_World->GetQuadTree()->GetNode(0).m_Entities, std::vector<kaEntity*>{second});
    EXPECT_EQ(m_World->FindEntityByName("twin"), second);
    EXPECT_EQ(m_World->GetIdentifiers(), (std::vector<int32_t>{1, 3}));
    EXPECT_FALSE(m_World->RemoveEntity(first));
    EXPECT_EQ(first->GetWorld(), nullptr);
    EXPECT_EQ(Step(), (Log{"twin"}));
    delete first;
}

TEST_F(WorldTest, UpdateRunsThePendingStepsThenTheFrameInOrder)
{
    kaWorld::SetPathManagerCreator(&MakePathManager);
    m_World = std::make_unique<kaWorld>();
    ASSERT_NE(m_World->GetPathManager(), nullptr);
    EXPECT_EQ(m_World->GetPathManager()->GetName(), "AStarPathManager");

    Recorder* driver = Add("driver", 0);
    Recorder* removed = Add("removed", 1);
    Add("deleted", 2);
    Recorder* paused = Add("paused", 3);
    Recorder* resumed = Add("resumed", 4);
    resumed->SetWorldUpdate(false);
    auto* added = new Recorder("added");
    driver->onUpdate = [&]
    {
        m_World->AddEntity(added, true, false);
        m_World->RemoveEntity(removed);
        m_World->DeleteEntity(m_World->FindEntityByName("deleted"), false);
        paused->SetWorldUpdate(false);
        resumed->SetWorldUpdate(true);
    };
    EXPECT_EQ(Step(), (Log{"driver", "removed", "deleted", "paused", "path", "path"}));

    RecordingLight light;
    m_World->AddLight(&light);
    m_World->SetSelectedEntity(driver);
    m_World->SetSun(new Environment<kaSunBase>("sun"));
    m_World->SetSkyBox(new Environment<kaSkyBoxBase>("sky"));
    m_World->SetWaterPlane(new Environment<kaWaterPlaneBase>("water"));
    auto* item = new RecordingItem;
    m_World->AddToAlphaSorter(item);

    const Log environment = {"path", "sun", "sorted", "sky", "water"};
    Log expected = {"~deleted", "light", "driver", "added", "resumed", "control driver"};
    expected.insert(expected.end(), environment.begin(), environment.end());
    expected.insert(expected.end(), environment.begin(), environment.end());
    EXPECT_EQ(Step(), expected);
    EXPECT_EQ(added->GetEntityID(), 5);
    EXPECT_EQ(removed->GetWorld(), nullptr);
    EXPECT_EQ(m_World->GetEntityCount(), 4);
    delete removed;

    kaApp app("WorldTest", "WorldTest");
    app.SetPaused(true);
    EXPECT_TRUE(Step().empty());
    app.SetPaused(false);
    EXPECT_FALSE(Step().empty());
    m_World->RemoveLight(&light);
}

TEST_F(WorldTest, OnlyTheOwnCameraIsDestroyed)
{
    EXPECT_EQ(m_World->GetCamera(), m_World->GetOwnCamera());
    kaCamera editorCamera;
    m_World->SetCamera(&editorCamera);
    m_World.reset();
    EXPECT_EQ(editorCamera.GetParent(), nullptr);
}

TEST_F(WorldTest, EditorRowsReadAndApplyTheFiveWorldFields)
{
    m_World->SetName("Canyon");
    m_World->SetDescription("Jumps");
    m_World->SetPreview("canyon.bmp");
    m_World->SetStartPoint(12.5f, -3.0f);
    std::string rows;
    for (const kaCountedPtr<kaPropertyRecord>& row : m_World->GetPropertyList())
        rows += row->m_Label + "=" + row->m_Value + " ";
    EXPECT_EQ(rows,
              "Name:=Canyon Description:=Jumps Preview:=canyon.bmp StartPoint X:=12.5 StartPoint Z:=-3 ");

    const struct
    {
        std::string label;
        std::string value;
        bool changed;
    } cases[] = {
        {"Name:", "Canyon", false},       {"Name:", "Mesa", true},      {"Preview:", "mesa.bmp", true},
        {"StartPoint X:", "12.5", false}, {"StartPoint Z:", "8", true}, {"StartPoint Z", "9", false},
        {"Description:", "Loops", true},
    };
    for (const auto& c : cases)
    {
        kaPropertyList list;
        kaPropertyRecord::Append(list, c.label, c.value);
        EXPECT_EQ(m_World->SetPropertyList(list), c.changed) << c.label << c.value;
    }
    EXPECT_EQ(m_World->GetName(), "Mesa");
    EXPECT_EQ(m_World->GetPreview(), "mesa.bmp");
    EXPECT_EQ(m_World->GetDescription(), "Loops");
    EXPECT_EQ(m_World->GetStartZ(), 8.0f);
    kaPropertyList bad;
    kaPropertyRecord::Append(bad, "StartPoint X:", "east");
    EXPECT_THROW(m_World->SetPropertyList(bad), ka::bad_lexical_cast);
}

TEST_F(WorldTest, ClearDestroysEachEntityOnceAndForgetsEverything)
{
    Recorder* owner = Add("owner", 0);
    Recorder* dependent = Add("dependent", 1);
    Recorder* later = Add("later", 2);
    // The owner's destructor deletes an entity the clear destroys anyway, before and after its turn.
    owner->onDestroy = [this, dependent, later]
    {
        m_World->DeleteEntity(dependent, false);
        m_World->RemoveEntity(later);
    };
    dependent->onDestroy = [this, owner] { m_World->DeleteEntity(owner, false); };
    m_World->SetSelectedEntity(later);
    m_World->SetVenueEntity(later);
    m_World->SetTerrain(new FlatTerrain);
    m_World->SetSun(new Environment<kaSunBase>("sun"));
    EXPECT_EQ(m_World->GetGroundHeight(2.0f, 3.0f), 5.0f);
    auto* queued = new Recorder("queued");
    later->onUpdate = [this, queued] { m_World->AddEntity(queued, true, true); };
    Step();

    g_Log.clear();
    m_World->Clear();
    EXPECT_EQ(g_Log, (Log{"~owner", "~dependent", "~later", "~queued", "~terrain", "~sun"}));
    EXPECT_EQ(m_World->GetEntityCount(), 0);
    EXPECT_TRUE(m_World->GetIdentifiers().empty());
    EXPECT_TRUE(m_World->GetUpdateList().empty());
    EXPECT_EQ(m_World->GetSelectedEntity(), nullptr);
    EXPECT_EQ(m_World->GetVenueEntity(), nullptr);
    EXPECT_EQ(m_World->GetGroundHeight(2.0f, 3.0f), 0.0f);
    EXPECT_TRUE(m_World->GetQuadTree()->GetNode(0).m_Entities.empty());
    ASSERT_NE(m_World->GetAlphaSorter(), nullptr);
    EXPECT_TRUE(m_World->GetAlphaSorter()->GetItems().empty());

    // A world loaded again after the clear takes its stored identifiers.
    Add("reloaded", 0);
    EXPECT_EQ(Step(), (Log{"reloaded"}));
}

TEST_F(WorldTest, RemovingByNameReleasesOrQueuesAndClearsTheSelection)
{
    Recorder* first = Add("crate", 0);
    Add("keep", 1);
    Add("crate", 2);
    m_World->SetSelectedEntity(first);
    g_Log.clear();
    EXPECT_EQ(m_World->RemoveEntitiesByName("crate"), 2);
    EXPECT_EQ(g_Log, (Log{"~crate", "~crate"}));
    EXPECT_EQ(m_World->GetSelectedEntity(), nullptr);
    EXPECT_EQ(m_World->GetEntityCount(), 1);
    EXPECT_EQ(m_World->GetIdentifiers(), (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(m_World->GetQuadTree()->GetNode(0).m_Entities.size(), 1u);

    Recorder* barrel = Add("barrel", 3);
    Recorder* keep = static_cast<Recorder*>(m_World->FindEntityByName("keep"));
    keep->onUpdate = [this] { EXPECT_EQ(m_World->RemoveEntitiesByName("barrel"), 1); };
    m_World->SetSelectedEntity(barrel);
    EXPECT_EQ(Step(), (Log{"keep", "barrel"}));
    EXPECT_EQ(m_World->GetSelectedEntity(), nullptr);
    EXPECT_EQ(Step(), (Log{"~barrel", "keep"}));

    // A destructor that deletes another entity of the name: each dies once.
    Recorder* owner = Add("pair", 5);
    Recorder* part = Add("pair", 6);
    owner->onDestroy = [this, part] { m_World->DeleteEntity(part, false); };
    g_Log.clear();
    EXPECT_EQ(m_World->RemoveEntitiesByName("pair"), 2);
    EXPECT_EQ(g_Log, (Log{"~pair", "~pair"}));
}

TEST_F(WorldTest, InitializeWalksTheEntitiesPresentAtTheStart)
{
    Recorder* spawner = Add("spawner", 0);
    Add("plain", 1);
    spawner->onInitialize = [this]
    {
        for (int i = 0; i < 40; ++i)
            m_World->AddEntity(new Recorder("spawned"), true, true);
    };
    g_Log.clear();
    m_World->InitializeEntities();
    EXPECT_EQ(g_Log, (Log{"init spawner", "init plain"}));
    EXPECT_EQ(m_World->GetEntityCount(), 42);
}

TEST_F(WorldTest, WorldUpdateFlagMovesTheEntityOnAndOffTheList)
{
    Recorder* entity = Add("entity", 0);
    entity->SetWorldUpdate(false);
    EXPECT_TRUE(Step().empty());
    entity->SetWorldUpdate(true);
    entity->SetWorldUpdate(true);
    EXPECT_EQ(Step(), (Log{"entity"}));
    m_World->RemoveEntity(entity);
    entity->SetWorldUpdate(false);
    entity->SetWorldUpdate(true);
    EXPECT_TRUE(Step().empty());
    delete entity;
}

TEST_F(WorldTest, AnEntityFromInitDataJoinsTheWorldInitialised)
{
    testsupport::TempDir dir;
    dir.Write("InitData/entities.xml", "<?xml version=\"1.0\"?><root><initData><uniqueID>Box</uniqueID>"
                                       "<data><classType>Entity</classType><name>box</name></data></initData>"
                                       "</root>");
    kaInitDataBase base;
    base.LoadInitData(dir.File("InitData"));
    Add("first", 0);
    kaEntity* entity = kaEntity::CreateFromInitData("Box", m_World.get());
    ASSERT_NE(entity, nullptr);
    EXPECT_EQ(entity->GetWorld(), m_World.get());
    EXPECT_EQ(entity->GetEntityID(), 1);
    EXPECT_EQ(m_World->FindEntityByName("box"), entity);
    EXPECT_EQ(kaEntity::CreateFromInitData("Missing", m_World.get()), nullptr);
}

} // namespace

namespace
{

// Environment objects that log the editor calls they receive.
class EditedTerrain : public FlatTerrain
{
public:
    bool GenerateHeightMapVerts(const std::string& path, float width, float height, float length,
                                bool lighting) override
    {
        g_Log.push_back("heights " + path + " " + std::to_string(int(width)) + " " +
                        std::to_string(int(height)) + " " + std::to_string(int(length)) + " " +
                        std::to_string(lighting));
        return path != "bad.bmp";
    }
    void Build() override { g_Log.push_back("build"); }
    bool AddLayer(const std::string& mask, const std::string& texture, float stretch, bool hardEdge) override
    {
        g_Log.push_back("layer " + mask + " " + texture + " " + std::to_string(int(stretch)) + " " +
                        std::to_string(hardEdge));
        return true;
    }
    int32_t RemoveLayer(int32_t index) override
    {
        g_Log.push_back("remove layer " + std::to_string(index));
        return 0;
    }
};

class EditedSun : public Environment<kaSunBase>
{
public:
    EditedSun() : Environment<kaSunBase>("sun") {}
    void Initialize(float position, float tilt, const std::string& texture, float scale, const kaColor&,
                    const kaColor&) override
    {
        g_Log.push_back("sun " + texture + " " + std::to_string(int(position)) + " " +
                        std::to_string(int(tilt)) + " " + std::to_string(int(scale)));
    }
    void AddFlareLayer(const std::string& texture, float length, float scale) override
    {
        g_Log.push_back("flare " + texture + " " + std::to_string(int(length)) + " " +
                        std::to_string(int(scale)));
    }
    void RemoveFlareLayer(int32_t index) override
    {
        g_Log.push_back("remove flare " + std::to_string(index));
    }
};

class EditedSky : public Environment<kaSkyBoxBase>
{
public:
    EditedSky() : Environment<kaSkyBoxBase>("sky") {}
    void Build(const std::string& l, const std::string& r, const std::string& f, const std::string& b,
               const std::string& t) override
    {
        g_Log.push_back("faces " + l + r + f + b + t);
    }
    void AddCloudPlane(const std::string& texture, float height, float speed) override
    {
        g_Log.push_back("cloud " + texture + " " + std::to_string(int(height)) + " " +
                        std::to_string(int(speed)));
    }
};

} // namespace

TEST_F(WorldTest, EditorOperationsForwardToTheEnvironmentObjects)
{
    testsupport::DebugCapture debug;
    const auto run = [this](const std::function<void()>& operation)
    {
        g_Log.clear();
        operation();
        return g_Log;
    };
    using Log = std::vector<std::string>;
    const kaColor white = kaColor::kaColorClamped(1, 1, 1, 1);
    // Nothing to forward to: nothing happens.
    EXPECT_EQ(run([&] { m_World->AddTerrainLayer("t", "m", 2); }), Log{});
    EXPECT_EQ(run([&] { m_World->RemoveSunFlareLayer(0); }), Log{});
    EXPECT_EQ(run([&] { m_World->CreateCloudPlane("c", 1, 2); }), Log{});
    EXPECT_EQ(run([&] { m_World->CreateSun("s", 1, 2, 3, white, white); }), Log{});
    EXPECT_EQ(m_World->GetSun(), nullptr);

    kaWorld::SetTerrainCreator([]() -> kaTerrainBase* { return new EditedTerrain; });
    kaWorld::SetSunCreator([]() -> kaSunBase* { return new EditedSun; });
    kaWorld::SetSkyBoxCreator([]() -> kaSkyBoxBase* { return new EditedSky; });
    const struct
    {
        std::function<void()> operation;
        Log expected;
    } cases[] = {
        {[&] { m_World->NewTerrain("h.bmp", 256, 40, 128, true); }, {"heights h.bmp 256 40 128 1", "build"}},
        {[&] { m_World->NewTerrain("bad.bmp", 64, 1, 64, false); },
         {"~terrain", "heights bad.bmp 64 1 64 0"}},
        {[&] { m_World->AddTerrainLayer("grass.dds", "mask.bmp", 4); }, {"layer mask.bmp grass.dds 4 0"}},
        {[&] { m_World->RemoveTerrainLayer(2); }, {"remove layer 2"}},
        {[&] { m_World->RebuildTerrain(); }, {"build"}},
        {[&] { m_World->CreateSun("sun.dds", 1, 2, 3, white, white); }, {"sun sun.dds 1 2 3"}},
        {[&] { m_World->CreateSun("sun2.dds", 4, 5, 6, white, white); }, {"~sun", "sun sun2.dds 4 5 6"}},
        {[&] { m_World->AddSunFlareLayer("f.dds", 7, 8); }, {"flare f.dds 7 8"}},
        {[&] { m_World->RemoveSunFlareLayer(1); }, {"remove flare 1"}},
        {[&] { m_World->CreateSkyBox("l", "r", "f", "b", "t"); }, {"faces lrfbt"}},
        {[&] { m_World->CreateCloudPlane("c.dds", 100, 3); }, {"cloud c.dds 100 3"}},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i)
        EXPECT_EQ(run(cases[i].operation), cases[i].expected) << i;
    kaWorld::SetTerrainCreator(nullptr);
    kaWorld::SetSunCreator(nullptr);
    kaWorld::SetSkyBoxCreator(nullptr);

    EXPECT_EQ(m_World->GetSkyBox()->GetName(), "SkyBox");
    EXPECT_EQ(m_World->GetSun()->GetWorld(), m_World.get());
    // The quad tree was fitted to the last terrain's extent.
    EXPECT_EQ(m_World->GetQuadTree()->GetLeafWidth(), 8.0f);
    EXPECT_TRUE(debug.Contains("RotateLoading() AddSkybox: "));
    EXPECT_TRUE(debug.Contains("RotateLoading() AddCloudPlane: "));
}

// A program linked without the terrain library has no makers: each environment block of a world file is
// skipped, and says so.
TEST_F(WorldTest, AnEnvironmentBlockWithoutAMakerIsSkippedWithADebuggerLine)
{
    const char* const blocks[] = {"Terrain", "WaterPlane", "Skybox", "Sun"};
    std::string body;
    for (const char* block : blocks)
        body += std::string("<") + block + "/>";
    TiXmlDocument document;
    document.Parse(("<World>" + body + "</World>").c_str());
    ASSERT_NE(document.RootElement(), nullptr);
    testsupport::DebugCapture debug;
    m_World->ReadXml(document.RootElement(), false);
    for (const char* block : blocks)
        EXPECT_TRUE(debug.Contains(std::string("kaWorld::ReadXml - nothing makes ") + block +
                                   " in this program, element skipped."))
            << block;
    EXPECT_EQ(m_World->GetTerrain(), nullptr);
    EXPECT_EQ(m_World->GetWaterPlane(), nullptr);
    EXPECT_EQ(m_World->GetSkyBox(), nullptr);
    EXPECT_EQ(m_World->GetSun(), nullptr);

    // With a maker the block is read and nothing is said about it.
    kaWorld::SetSunCreator([]() -> kaSunBase* { return new EditedSun; });
    debug.Clear();
    m_World->ReadXml(document.RootElement(), false);
    kaWorld::SetSunCreator(nullptr);
    EXPECT_NE(m_World->GetSun(), nullptr);
    EXPECT_FALSE(debug.Contains("nothing makes Sun"));
    EXPECT_TRUE(debug.Contains("nothing makes Skybox"));
}
