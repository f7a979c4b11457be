#include "engine/scene/kaEntityPhysical.h"

#include "engine/core/kaApp.h"
#include "engine/model/kaBoxPrimitive.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaSpherePrimitive.h"
#include "engine/model/kaTriMeshPrimitive.h"
#include "engine/scene/kaGeomData.h"
#include "engine/scene/kaJoint.h"
#include "engine/scene/kaPhysicsWorld.h"
#include "tests/support/engine/scene/SceneModelFixture.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

using platform::Quaternion;
using platform::Vector3;

namespace
{

std::unique_ptr<kaCollisionPrimitive> Box(float width, float length, float height, const Vector3& at = {})
{
    auto box = std::make_unique<kaBoxPrimitive>();
    box->m_Width = width;
    box->m_Length = length;
    box->m_Height = height;
    box->m_Position = at;
    box->m_Name = "PRIM_Box";
    return box;
}

std::unique_ptr<kaCollisionPrimitive> Sphere(float radius, const std::string& name = "PRIM_Ball")
{
    auto sphere = std::make_unique<kaSpherePrimitive>();
    sphere->m_Radius = radius;
    sphere->m_Name = name;
    return sphere;
}

template <typename... Primitives> std::unique_ptr<kaModel> MakeModel(Primitives... primitives)
{
    auto* mesh = new kaMesh;
    (mesh->AddPrimitive(std::move(primitives)), ...);
    return std::make_unique<kaModel>(mesh);
}

void ExpectNearVector(const Vector3& actual, const Vector3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-4f);
    EXPECT_NEAR(actual.y, expected.y, 1e-4f);
    EXPECT_NEAR(actual.z, expected.z, 1e-4f);
}

Vector3 GeomPosition(dGeomID geom)
{
    const dReal* p = dGeomGetPosition(geom);
    return Vector3(static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2]));
}

void ReadPhysicalXml(kaEntityPhysical& entity, const char* text)
{
    TiXmlDocument document;
    document.Parse(text);
    ASSERT_NE(document.RootElement(), nullptr);
    entity.ReadXml(document.RootElement());
}

// Models outlive the world, which deletes its entities.
struct PhysicalScene
{
    std::vector<std::unique_ptr<kaModel>> models;
    kaPhysicsWorld world;

    kaEntityPhysical* Add(std::unique_ptr<kaModel> model, const Vector3& at = {})
    {
        auto* entity = new kaEntityPhysical;
        world.AddEntity(entity, true, true);
        entity->SetPosition(at);
        entity->SetModel(model.get());
        models.push_back(std::move(model));
        return entity;
    }
};

TEST(EntityPhysicalTest, BoxPrimitiveLiesTurnedAndRaisedWithTheConfiguredMassOnItsCentre)
{
    PhysicalScene scene;
    kaEntityPhysical* entity = scene.Add(MakeModel(Box(2, 4, 6)), Vector3(10, 0, 0));
    ASSERT_NE(entity->GetBody(), nullptr);
    ASSERT_EQ(entity->GetGeomData().size(), 1u);
    kaGeomData* record = entity->FindGeomData("PRIM_Box");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(entity->FindGeomData("PRIM_box"), nullptr);
    ExpectNearVector(record->m_Position, Vector3(0, 2, 0));

    dGeomID box = dGeomTransformGetGeom(record->GetGeom());
    dVector3 lengths;
    dGeomBoxGetLengths(box, lengths);
    EXPECT_DOUBLE_EQ(lengths[0], 2.0);
    EXPECT_DOUBLE_EQ(lengths[1], 6.0);
    EXPECT_DOUBLE_EQ(lengths[2], 4.0);

    dMass mass;
    dBodyGetMass(entity->GetBody(), &mass);
    EXPECT_NEAR(mass.mass, 1.0, 1e-6);
    EXPECT_NEAR(mass.c[1], 0.0, 1e-6);
    // The mass centre is the body origin: the box sits on it, the model origin 2 below.
    ExpectNearVector(entity->GetCOGOffset(), Vector3(0, 2, 0));
    ExpectNearVector(GeomPosition(box), Vector3(0, 0, 0));
    ExpectNearVector(entity->GetBodyPosition() - entity->GetPosition(), Vector3(0, 2, 0));
    EXPECT_FALSE(dBodyIsEnabled(entity->GetBody()));
}

TEST(EntityPhysicalTest, MassKeyRescalesOnlyABodyAndOnlyToAPositiveMass)
{
    struct Case
    {
        const char* xml;
        bool inWorld;
        double expected;
    };
    const Case cases[] = {
        {"<e><mass>5</mass></e>", true, 5.0},
        {"<e><mass>0</mass></e>", true, 1.0},
        {"<e><mass>-3</mass></e>", true, 1.0},
        {"<e><mass>5</mass></e>", false, 1.0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.xml);
        PhysicalScene scene;
        auto model = MakeModel(Sphere(0.5f));
        auto* entity = new kaEntityPhysical;
        if (c.inWorld)
            scene.world.AddEntity(entity, true, true);
        entity->SetModel(model.get());
        ReadPhysicalXml(*entity, c.xml);
        EXPECT_NEAR(entity->GetConfiguredMass(), c.expected, 1e-6);
        if (entity->GetBody())
        {
            dMass mass;
            dBodyGetMass(entity->GetBody(), &mass);
            EXPECT_NEAR(mass.mass, c.expected, 1e-6);
        }
        if (!c.inWorld)
        {
            EXPECT_EQ(entity->GetBody(), nullptr);
            delete entity;
        }
        scene.models.push_back(std::move(model));
    }
}

TEST(EntityPhysicalTest, UnbuildablePrimitivesAreSkippedAndAMasslessBodyKeepsTheDefault)
{
    PhysicalScene scene;
    kaEntityPhysical* empty = scene.Add(MakeModel());
    kaEntityPhysical* bad = scene.Add(MakeModel(Sphere(-1.0f, "bad"), Box(1, -2, 1), Sphere(0.5f, "good")));
    kaEntityPhysical* flat = scene.Add(MakeModel(Box(2, 2, 0)));
    for (kaEntityPhysical* entity : {empty, bad, flat})
        ASSERT_NE(entity->GetBody(), nullptr);
    EXPECT_TRUE(empty->GetGeomData().empty());
    EXPECT_EQ(bad->FindGeomData("bad"), nullptr);
    EXPECT_NE(bad->FindGeomData("good"), nullptr);
    // A box of negative length is read as its size.
    EXPECT_NE(bad->FindGeomData("PRIM_Box"), nullptr);
    dMass mass;
    dBodyGetMass(flat->GetBody(), &mass);
    EXPECT_GT(mass.mass, 0.0);
    // Nothing weighs, so nothing moves the centre.
    ExpectNearVector(flat->GetCOGOffset(), Vector3(0, 0, 0));
    ExpectNearVector(flat->GetBodyPosition(), flat->GetPosition());
}

TEST(EntityPhysicalTest, TheModelFollowsTheBodyWithItsCentreOfGravityPointOnTheOrigin)
{
    PhysicalScene scene;
    auto model = MakeModel(Sphere(0.5f));
    auto* entity = new kaEntityPhysical;
    scene.world.AddEntity(entity, true, true);
    ReadPhysicalXml(*entity, "<e><overrideCOG><x>1</x><z>2</z></overrideCOG></e>");
    entity->SetModel(model.get());
    scene.models.push_back(std::move(model));
    ExpectNearVector(entity->GetCOGOffset(), Vector3(1, 0, 2));

    // A quarter turn about Y, as the body is left after a step.
    Quaternion turn;
    const Vector3 axis(0, 1, 0);
    platform::QuaternionRotationAxis(&turn, &axis, 1.5707964f);
    const dQuaternion q = {turn.w, turn.x, turn.y, turn.z};
    dBodySetQuaternion(entity->GetBody(), q);
    dBodySetPosition(entity->GetBody(), 5, 6, 7);
    entity->Update(0.02f);
    platform::Matrix rotation;
    platform::MatrixRotationQuaternion(&rotation, &turn);
    Vector3 turned;
    const Vector3 offset(1, 0, 2);
    platform::Vec3TransformNormal(&turned, &offset, &rotation);
    ExpectNearVector(entity->GetPosition(), Vector3(5, 6, 7) - turned);
    // The update placed the model, not the body.
    ExpectNearVector(entity->GetBodyPosition(), Vector3(5, 6, 7));

    entity->SetPosition(Vector3(0, 10, 0));
    ExpectNearVector(entity->GetBodyPosition(), Vector3(0, 10, 0));
    ExpectNearVector(entity->GetPosition(), Vector3(0, 10, 0) - turned);
}

TEST(EntityPhysicalTest, HidingDisablesEveryGeomAndShowingEnablesThem)
{
    PhysicalScene scene;
    kaEntityPhysical* entity = scene.Add(MakeModel(Sphere(0.5f), Box(1, 1, 1)));
    for (bool visible : {false, true})
    {
        entity->SetVisible(visible);
        for (const auto& record : entity->GetGeomData())
            EXPECT_EQ(dGeomIsEnabled(record->GetGeom()) != 0, visible);
    }
}

TEST(EntityPhysicalTest, PinningLeavesStaticGeomsAndUnpinningBringsARestingBodyWhereTheEntityIs)
{
    PhysicalScene scene;
    kaEntityPhysical* entity = scene.Add(MakeModel(Sphere(0.5f)), Vector3(3, 4, 5));
    dSpaceID own = entity->GetSpace();
    entity->SetPinned(true);
    EXPECT_EQ(entity->GetBody(), nullptr);
    dGeomID geom = entity->GetGeomData().front()->GetGeom();
    EXPECT_EQ(dGeomGetSpace(geom), scene.world.GetSpace());
    EXPECT_EQ(entity->GetSpace(), scene.world.GetSpace());
    EXPECT_EQ(dSpaceQuery(scene.world.GetSpace(), reinterpret_cast<dGeomID>(own)), 0);
    ExpectNearVector(GeomPosition(geom), Vector3(3, 4, 5));

    entity->SetPinned(false);
    ASSERT_NE(entity->GetBody(), nullptr);
    EXPECT_FALSE(dBodyIsEnabled(entity->GetBody()));
    EXPECT_EQ(dGeomGetBody(geom), entity->GetBody());
    EXPECT_NE(entity->GetSpace(), scene.world.GetSpace());
    ExpectNearVector(entity->GetBodyPosition(), Vector3(3, 4, 5));
    ExpectNearVector(entity->GetPosition(), Vector3(3, 4, 5));
}

TEST(EntityPhysicalTest, PinnedKeyHoldsInTheGameAndIsIgnoredInTheEditor)
{
    for (bool editor : {false, true})
    {
        SCOPED_TRACE(editor);
        kaApp app("test", "test");
        app.SetEditor(editor);
        PhysicalScene scene;
        kaEntityPhysical* entity = scene.Add(MakeModel(Sphere(0.5f)));
        ReadPhysicalXml(*entity, "<e><pinned>1</pinned></e>");
        entity->Initialize();
        EXPECT_EQ(entity->GetBody() != nullptr, editor);
        EXPECT_EQ(entity->IsPinned(), !editor);
        // Every primitive has a material once initialised.
        EXPECT_NE(entity->GetGeomData().front()->GetMaterial(), nullptr);
    }
}

TEST(EntityPhysicalTest, AWokenBodyFallsAndTheModelFollowsAfterTheWorldsUpdate)
{
    PhysicalScene scene;
    kaEntityPhysical* entity = scene.Add(MakeModel(Sphere(0.5f)), Vector3(0, 10, 0));
    scene.world.Update(0.1f);
    ExpectNearVector(entity->GetPosition(), Vector3(0, 10, 0));
    entity->SetBodyEnabled(true);
    scene.world.Update(0.1f);
    EXPECT_LT(entity->GetBodyPosition().y, 10.0f);
    ExpectNearVector(entity->GetPosition(), entity->GetBodyPosition());
    entity->StopMotion();
    const dReal* velocity = dBodyGetLinearVel(entity->GetBody());
    EXPECT_EQ(velocity[1], 0.0);
}

// Two triangles of a square 10 wide at height 0, facing up as they are drawn.
std::unique_ptr<kaCollisionPrimitive> Floor()
{
    auto mesh = std::make_unique<kaTriMeshPrimitive>();
    mesh->m_Vertices = {{-5, 0, -5}, {-5, 0, 5}, {5, 0, 5}, {5, 0, -5}};
    mesh->m_Faces = {{0, 1, 2}, {0, 2, 3}};
    mesh->m_FaceVectors = {{0, 1, 0}, {0, 1, 0}};
    mesh->m_Name = "PRIM_Floor";
    return mesh;
}

TEST(EntityPhysicalTest, ABallDroppedOnAPinnedMeshComesToRestOnIt)
{
    PhysicalScene scene;
    kaEntityPhysical* floor = scene.Add(MakeModel(Floor()));
    floor->SetPinned(true);
    kaEntityPhysical* ball = scene.Add(MakeModel(Sphere(0.5f)), Vector3(0, 2, 0));
    // A mesh without triangles is no geom.
    kaEntityPhysical* empty = scene.Add(MakeModel(std::make_unique<kaTriMeshPrimitive>()));
    EXPECT_TRUE(empty->GetGeomData().empty());
    ball->SetBodyEnabled(true);
    for (int frame = 0; frame < 60; ++frame)
        scene.world.Update(0.05f);
    EXPECT_NEAR(ball->GetBodyPosition().y, 0.5f, 0.05f);
    EXPECT_NEAR(ball->GetPosition().y, 0.5f, 0.05f);
}

} // namespace

namespace
{

// Adds its entity to the world from inside the world's pass, where the add waits for the next update.
class LateAdder : public kaEntity
{
public:
    explicit LateAdder(kaEntity* entity) : m_pEntity(entity) { SetWorldUpdate(true); }
    void Update(float dt) override
    {
        kaEntity::Update(dt);
        if (m_pEntity && m_pWorld)
            m_pWorld->AddEntity(m_pEntity, true, true);
        m_pEntity = nullptr;
    }

private:
    kaEntity* m_pEntity;
};

TEST(EntityPhysicalTest, EveryOrderOfModelPlacementAndWorldGivesOneBodyWhereTheEntityStands)
{
    enum Step
    {
        kModel,
        kPlace,
        kJoin,
        kPointAtWorld,
        kJoinDuringPass,
        kLeaveAndJoin,
    };
    struct Case
    {
        const char* name;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"world, place, model", {kJoin, kPlace, kModel}},
        {"model, place, world", {kModel, kPlace, kJoin}},
        {"place, model, world", {kPlace, kModel, kJoin}},
        {"world pointer, model, place, listed", {kPointAtWorld, kModel, kPlace, kJoin}},
        {"model, place, world during its pass", {kModel, kPlace, kJoinDuringPass}},
        {"model, world, place, model again", {kModel, kJoin, kPlace, kModel}},
        {"model, place, world, left and joined again", {kModel, kPlace, kJoin, kLeaveAndJoin}},
    };
    const Vector3 at(3, 4, 5);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        PhysicalScene scene;
        auto model = MakeModel(Box(2, 4, 6));
        auto* entity = new kaEntityPhysical;
        dBodyID joined = nullptr;
        for (Step step : c.steps)
        {
            switch (step)
            {
            case kModel:
                entity->SetModel(model.get());
                break;
            case kPlace:
                entity->SetPosition(at);
                break;
            case kJoin:
                ASSERT_TRUE(scene.world.AddEntity(entity, true, true));
                break;
            case kPointAtWorld:
                entity->SetWorld(&scene.world);
                break;
            case kJoinDuringPass:
                scene.world.AddEntity(new LateAdder(entity), true, true);
                // The first update queues the add, the next one makes it.
                scene.world.Update(0.01f);
                ASSERT_EQ(entity->GetWorld(), nullptr);
                scene.world.Update(0.01f);
                ASSERT_EQ(entity->GetWorld(), &scene.world);
                break;
            case kLeaveAndJoin:
                joined = entity->GetBody();
                ASSERT_TRUE(scene.world.RemoveEntity(entity));
                ASSERT_TRUE(scene.world.AddEntity(entity, true, true));
                EXPECT_EQ(entity->GetBody(), joined);
                break;
            }
        }
        ASSERT_NE(entity->GetBody(), nullptr);
        EXPECT_EQ(dBodyGetWorld(entity->GetBody()), scene.world.GetODEWorld());
        ASSERT_EQ(entity->GetGeomData().size(), 1u);
        EXPECT_EQ(dGeomGetBody(entity->GetGeomData().front()->GetGeom()), entity->GetBody());
        // One space of the entity's own in the world's, holding its one geom: nothing built twice.
        ASSERT_EQ(dSpaceGetNumGeoms(scene.world.GetSpace()), 1);
        EXPECT_EQ(dSpaceGetGeom(scene.world.GetSpace(), 0), reinterpret_cast<dGeomID>(entity->GetSpace()));
        EXPECT_EQ(dSpaceGetNumGeoms(entity->GetSpace()), 1);
        dMass mass;
        dBodyGetMass(entity->GetBody(), &mass);
        EXPECT_NEAR(mass.mass, 1.0, 1e-6);
        ExpectNearVector(entity->GetCOGOffset(), Vector3(0, 2, 0));
        ExpectNearVector(entity->GetBodyPosition(), at);
        ExpectNearVector(entity->GetPosition(), at - Vector3(0, 2, 0));
        EXPECT_FALSE(dBodyIsEnabled(entity->GetBody()));
        scene.models.push_back(std::move(model));
    }
}

TEST(EntityPhysicalTest, AModelSetBeforeTheWorldKeepsPinningAndHidingWhenTheEntityJoins)
{
    struct Case
    {
        bool pinned;
        bool visible;
    };
    for (const Case c : {Case{false, true}, Case{false, false}, Case{true, true}, Case{true, false}})
    {
        SCOPED_TRACE(::testing::Message() << "pinned " << c.pinned << ", visible " << c.visible);
        PhysicalScene scene;
        auto model = MakeModel(Sphere(0.5f), Box(1, 1, 1));
        auto* entity = new kaEntityPhysical;
        entity->SetModel(model.get());
        entity->SetPinned(c.pinned);
        ASSERT_TRUE(scene.world.AddEntity(entity, c.visible, true));
        EXPECT_EQ(entity->GetBody() == nullptr, c.pinned);
        ASSERT_EQ(entity->GetGeomData().size(), 2u);
        for (const auto& record : entity->GetGeomData())
        {
            EXPECT_EQ(dGeomIsEnabled(record->GetGeom()) != 0, c.visible);
            EXPECT_EQ(dGeomGetSpace(record->GetGeom()) == scene.world.GetSpace(), c.pinned);
        }
        scene.models.push_back(std::move(model));
    }
}

} // namespace

namespace
{

// Courses of one physical crate, read and written by a physics world as the editor loads and saves them.
class EntityPhysicalOwnKeysTest : public SceneModelFixture
{
protected:
    static constexpr const char* kHookedCrate = "resources/models/crate/crate.xml";

    void SetUp() override
    {
        StartWith(
            std::string("<initData><uniqueID>Hanging</uniqueID><data><kmfFilename>") + kHookedCrate +
            "</kmfFilename></data></initData>"
            "<initData><uniqueID>Stiff</uniqueID><data><name>Hook</name></data></initData>"
            "<initData><uniqueID>Broken</uniqueID><data><collisionMax>x</collisionMax></data></initData>"
            "<initData><uniqueID>Heavy</uniqueID><data><mass>7</mass><collisionMax>123</collisionMax>"
            "<materialLookup><materialID>Rubber</materialID><prim>PRIM_Side</prim></materialLookup>"
            "</data></initData>");
    }

    static std::string Course(const std::string& own)
    {
        return std::string("<World><Entities><Entity><type>kaEntityPhysical</type><entityID>4</entityID>") +
               File(kHookedCrate) + own + "</Entity></Entities></World>";
    }

    // Reads the course into a fresh world, checks the crate, initialises it as a world does at its start
    // and gives back the saved course.
    static std::string LoadAndSave(const std::string& course,
                                   const std::function<void(const kaEntityPhysical&)>& check)
    {
        TiXmlDocument document;
        document.Parse(course.c_str());
        EXPECT_NE(document.RootElement(), nullptr) << course;
        if (!document.RootElement())
            return std::string();
        kaPhysicsWorld world;
        world.ReadXml(document.RootElement(), false);
        world.Update(0.0f);
        auto* crate = dynamic_cast<kaEntityPhysical*>(world.FindEntityById(4));
        EXPECT_NE(crate, nullptr) << course;
        if (!crate)
            return std::string();
        check(*crate);
        crate->Initialize();
        TiXmlElement root("World");
        world.WriteXml(&root, false);
        TiXmlPrinter printer;
        root.Accept(&printer);
        return printer.Str();
    }

    static int Count(const std::string& text, const std::string& key)
    {
        int count = 0;
        for (size_t at = text.find("<" + key + ">"); at != std::string::npos;
             at = text.find("<" + key + ">", at + 1))
            ++count;
        return count;
    }
};

} // namespace

// Each key of the crate's own block survives saves, and the crate read from the saved course is the same.
TEST_F(EntityPhysicalOwnKeysTest, ASavedCourseKeepsEveryPhysicalKeyOfTheBlock)
{
    const struct
    {
        std::string own;
        std::vector<std::string> keys;
        std::function<void(const kaEntityPhysical&)> check;
    } cases[] = {
        {"<mass>5</mass>",
         {"mass"},
         [](const kaEntityPhysical& crate)
         {
             EXPECT_FLOAT_EQ(crate.GetConfiguredMass(), 5.0f);
             EXPECT_NEAR(crate.GetMass().mass, 5.0, 1e-4);
         }},
        {"<collisionThreshold>250.5</collisionThreshold><collisionMax>900</collisionMax>"
         "<processCollisionForce>0</processCollisionForce>",
         {"collisionThreshold", "collisionMax", "processCollisionForce"},
         [](const kaEntityPhysical& crate)
         {
             EXPECT_FLOAT_EQ(crate.GetCollisionThreshold(), 250.5f);
             EXPECT_FLOAT_EQ(crate.GetCollisionMax(), 900.0f);
             EXPECT_FALSE(crate.GetProcessCollisionForce());
         }},
        {"<overrideCOG><x>0.5</x><z>-0.25</z></overrideCOG>",
         {"overrideCOG"},
         [](const kaEntityPhysical& crate) { ExpectNear(crate.GetCOGOffset(), Vector3(0.5f, 0, -0.25f)); }},
        {"<pinned>1</pinned>",
         {"pinned"},
         [](const kaEntityPhysical& crate) { EXPECT_TRUE(crate.IsPinned()); }},
        {"<ragdollInitID>Limp</ragdollInitID>",
         {"ragdollInitID"},
         [](const kaEntityPhysical& crate) { EXPECT_EQ(crate.GetRagdollInitID(), "Limp"); }},
        // Handed out and freed by Initialize before the save.
        {"<materialLookup><materialID>Ice</materialID><prim>PRIM_Top</prim><prim>PRIM_Base</prim>"
         "</materialLookup><materialLookup><materialID>Mud</materialID><prim>PRIM_Top</prim></"
         "materialLookup>",
         {"materialLookup", "materialLookup"},
         [](const kaEntityPhysical& crate)
         {
             const std::map<std::string, std::string> expected = {{"PRIM_Top", "Ice"}, {"PRIM_Base", "Ice"}};
             ASSERT_NE(crate.GetMaterialLookup(), nullptr);
             EXPECT_EQ(*crate.GetMaterialLookup(), expected);
         }},
        {"<joint><jointClass>kaHingeJoint</jointClass><childClass>kaEntityPhysical</childClass>"
         "<childInitID>Hanging</childInitID><parentBone>Bottom</parentBone><childBone>Top</childBone>"
         "<hideModel>1</hideModel><jointInitID>Stiff</jointInitID></joint>"
         "<boneControl><boneName>Top</boneName><jointName>Hook</jointName></boneControl>",
         {"joint", "boneControl"},
         [](const kaEntityPhysical& crate)
         {
             ASSERT_EQ(crate.GetJoints().size(), 1u);
             const kaEntityPhysical* child = crate.GetJoints().front()->GetChild();
             ASSERT_NE(child, nullptr);
             EXPECT_EQ(child->GetInitUniqueID(), "Hanging");
             EXPECT_TRUE(child->GetModel()->m_Hidden);
             EXPECT_EQ(crate.GetJoints().front()->GetName(), "Hook");
             EXPECT_EQ(child->GetBoneControls().size(), 1u);
             // The child and the joint are made again from the element, never saved themselves.
             EXPECT_EQ(crate.GetWorld()->GetEntityCount(), 3);
         }},
        {"<decal><vertBox>PRIM_Top</vertBox><threshold>40</threshold></decal>"
         "<altSoundTrigger><trigger>PRIM_Top</trigger><prim>PRIM_Base</prim></altSoundTrigger>",
         {"decal", "altSoundTrigger"},
         [](const kaEntityPhysical& crate)
         {
             EXPECT_EQ(crate.GetImpactDecalCount(), 1u);
             EXPECT_EQ(crate.GetAltSoundTriggers().size(), 1u);
         }},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.own);
        std::string course = Course(c.own);
        std::vector<std::string> saves;
        for (int save = 0; save < 3; ++save)
        {
            course = LoadAndSave(course, c.check);
            saves.push_back(course);
        }
        for (const std::string& key : c.keys)
            EXPECT_EQ(Count(saves.front(), key), std::count(c.keys.begin(), c.keys.end(), key)) << key;
        EXPECT_EQ(saves[1], saves[0]);
        EXPECT_EQ(saves[2], saves[0]);
    }
}

// Pinned is not taken in the editor, yet an editor save keeps it for the game; a record's keys stay with
// the record while the block's own are kept beside them.
TEST_F(EntityPhysicalOwnKeysTest, KeysTheEditorDoesNotTakeAreKeptAndARecordsAreNotCopied)
{
    std::string course = Course("<initUniqueID>Heavy</initUniqueID><pinned>1</pinned>"
                                "<collisionThreshold>50</collisionThreshold>");
    {
        kaApp app("test", "test");
        app.SetEditor(true);
        for (int save = 0; save < 2; ++save)
        {
            course = LoadAndSave(course,
                                 [](const kaEntityPhysical& crate)
                                 {
                                     EXPECT_FALSE(crate.IsPinned());
                                     EXPECT_FLOAT_EQ(crate.GetCollisionThreshold(), 50.0f);
                                     EXPECT_FLOAT_EQ(crate.GetCollisionMax(), 123.0f);
                                     EXPECT_FLOAT_EQ(crate.GetConfiguredMass(), 7.0f);
                                     ASSERT_NE(crate.GetMaterialLookup(), nullptr);
                                     EXPECT_EQ(crate.GetMaterialLookup()->count("PRIM_Side"), 1u);
                                 });
        }
    }
    EXPECT_EQ(Count(course, "pinned"), 1);
    EXPECT_EQ(Count(course, "collisionThreshold"), 1);
    EXPECT_EQ(Count(course, "mass"), 0);
    EXPECT_EQ(Count(course, "collisionMax"), 0);
    EXPECT_EQ(Count(course, "materialLookup"), 0);
    LoadAndSave(course, [](const kaEntityPhysical& crate) { EXPECT_TRUE(crate.IsPinned()); });
}

// In the editor the physics moves a crate; a save still writes where the course put it, in numbers a load
// takes back, even from a rotation whose squares overflow. Moved by the editor, it is saved where it was put.
TEST_F(EntityPhysicalOwnKeysTest, ACrateThePhysicsMovesIsSavedWhereItWasPlaced)
{
    kaApp app("test", "test");
    app.SetEditor(true);
    const std::string course =
        Course("<rotation><quaternion><x>1e30</x><y>1e30</y><z>1e30</z><w>1e30</w></quaternion></rotation>"
               "<position><x>0</x><y>5</y><z>0</z></position>");
    TiXmlDocument document;
    document.Parse(course.c_str());
    ASSERT_NE(document.RootElement(), nullptr);
    kaPhysicsWorld world;
    world.ReadXml(document.RootElement(), false);
    world.InitializeEntities();
    auto* crate = dynamic_cast<kaEntityPhysical*>(world.FindEntityById(4));
    ASSERT_NE(crate, nullptr);
    ASSERT_NE(crate->GetBody(), nullptr);
    const auto save = [](const kaWorld& from)
    {
        TiXmlElement root("World");
        from.WriteXml(&root, false);
        TiXmlPrinter printer;
        root.Accept(&printer);
        return printer.Str();
    };
    const std::string placed = save(world);
    EXPECT_EQ(placed.find("nan"), std::string::npos) << placed;
    EXPECT_EQ(Count(placed, "x>0.5</x"), 1) << placed;
    EXPECT_EQ(Count(placed, "w>0.5</w"), 1) << placed;

    // Bodies rest until something wakes them; this one falls.
    crate->SetBodyEnabled(true);
    const float startY = crate->GetPosition().y;
    for (int frame = 0; frame < 30; ++frame)
        world.Update(1.0f / 30.0f);
    EXPECT_LT(crate->GetPosition().y, startY - 0.5f);
    EXPECT_EQ(save(world), placed);

    crate->SetPosition(Vector3(3.0f, 6.0f, -2.0f));
    const Vector3 moved = crate->GetPosition();
    const std::string after = save(world);
    EXPECT_NE(after, placed);
    TiXmlDocument again;
    again.Parse(after.c_str());
    ASSERT_NE(again.RootElement(), nullptr);
    kaPhysicsWorld reloaded;
    reloaded.ReadXml(again.RootElement(), false);
    reloaded.InitializeEntities();
    auto* back = dynamic_cast<kaEntityPhysical*>(reloaded.FindEntityById(4));
    ASSERT_NE(back, nullptr);
    ExpectNear(back->GetPosition(), moved);
    EXPECT_EQ(save(reloaded), after);
}

// One malformed value in the crate's block: the editor keeps the crate with the key's default, notes the
// key and saves it as it was read; a run drops the crate and names it and the key on stderr.
TEST_F(EntityPhysicalOwnKeysTest, AMalformedValueKeepsTheCrateInTheEditorAndIsSavedAsRead)
{
    // A well-formed key beside the malformed one, which must come through unchanged.
    const std::string kept = "<ragdollInitID>Limp</ragdollInitID>";
    const struct
    {
        const char* key;
        std::string bad;
        // What the crate holds where the key has its default (the crate read without it).
        std::function<void(const kaEntityPhysical& crate, const kaEntityPhysical& plain)> check;
    } cases[] = {
        {"mass", "<mass>nan</mass>",
         [](const kaEntityPhysical& crate, const kaEntityPhysical& plain)
         {
             EXPECT_EQ(crate.GetConfiguredMass(), plain.GetConfiguredMass());
             EXPECT_EQ(crate.GetMass().mass, plain.GetMass().mass);
         }},
        {"collisionThreshold", "<collisionThreshold>1e39</collisionThreshold>",
         [](const kaEntityPhysical& crate, const kaEntityPhysical& plain)
         { EXPECT_EQ(crate.GetCollisionThreshold(), plain.GetCollisionThreshold()); }},
        {"collisionMax", "<collisionMax>1,5</collisionMax>",
         [](const kaEntityPhysical& crate, const kaEntityPhysical& plain)
         { EXPECT_EQ(crate.GetCollisionMax(), plain.GetCollisionMax()); }},
        {"processCollisionForce", "<processCollisionForce>2</processCollisionForce>",
         [](const kaEntityPhysical& crate, const kaEntityPhysical& plain)
         { EXPECT_EQ(crate.GetProcessCollisionForce(), plain.GetProcessCollisionForce()); }},
        {"pinned", "<pinned>true</pinned>",
         [](const kaEntityPhysical& crate, const kaEntityPhysical&) { EXPECT_FALSE(crate.IsPinned()); }},
        {"overrideCOG", "<overrideCOG><x>0x10</x><z>1</z></overrideCOG>",
         [](const kaEntityPhysical& crate, const kaEntityPhysical& plain)
         { ExpectNear(crate.GetCOGOffset(), plain.GetCOGOffset()); }},
        {"joint hideModel",
         "<joint><jointClass>kaHingeJoint</jointClass><childClass>kaEntityPhysical</childClass>"
         "<childInitID>Hanging</childInitID><parentBone>Bottom</parentBone><childBone>Top</childBone>"
         "<hideModel>yes</hideModel><jointInitID>Stiff</jointInitID></joint>",
         [](const kaEntityPhysical& crate, const kaEntityPhysical&)
         {
             ASSERT_EQ(crate.GetJoints().size(), 1u);
             EXPECT_FALSE(crate.GetJoints().front()->GetChild()->GetModel()->m_Hidden);
         }},
        {"decal", "<decal><vertBox>PRIM_Top</vertBox><threshold>inf</threshold></decal>",
         [](const kaEntityPhysical& crate, const kaEntityPhysical& plain)
         { EXPECT_EQ(crate.GetImpactDecalCount(), plain.GetImpactDecalCount()); }},
        // Places ODE cannot file: the geoms off the body, the body itself.
        {"overrideCOG", "<overrideCOG><x>1e10</x><z>1</z></overrideCOG>",
         [](const kaEntityPhysical& crate, const kaEntityPhysical& plain)
         { ExpectNear(crate.GetCOGOffset(), plain.GetCOGOffset()); }},
        {"position", "<position><x>0</x><y>1e10</y><z>0</z></position>",
         [](const kaEntityPhysical& crate, const kaEntityPhysical&)
         {
             ASSERT_NE(crate.GetBody(), nullptr);
             EXPECT_TRUE(kaEntity::IsWithinPlacementBound(crate.GetBodyPosition()));
             EXPECT_GT(crate.GetBodyPosition().y, 0.99f * kaEntity::kPlacementBound);
         }},
    };
    kaApp app("test", "test");
    app.SetEditor(true);
    TiXmlDocument plainCourse;
    plainCourse.Parse(Course(kept).c_str());
    kaPhysicsWorld plainWorld;
    plainWorld.ReadXml(plainCourse.RootElement(), false);
    plainWorld.Update(0.0f);
    const auto* plain = dynamic_cast<kaEntityPhysical*>(plainWorld.FindEntityById(4));
    ASSERT_NE(plain, nullptr);
    EXPECT_TRUE(plainWorld.GetMalformedValues().empty());
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.bad);
        const std::string course = Course(kept + c.bad);
        std::string saved;
        {
            app.SetEditor(true);
            TiXmlDocument document;
            document.Parse(course.c_str());
            kaPhysicsWorld world;
            world.ReadXml(document.RootElement(), false);
            world.Update(0.0f);
            auto* crate = dynamic_cast<kaEntityPhysical*>(world.FindEntityById(4));
            ASSERT_NE(crate, nullptr);
            EXPECT_EQ(crate->GetRagdollInitID(), "Limp");
            c.check(*crate, *plain);
            ASSERT_FALSE(world.GetMalformedValues().empty());
            const kaWorld::MalformedValue& noted = world.GetMalformedValues().front();
            EXPECT_EQ(noted.key, c.key);
            EXPECT_EQ(noted.entity, "kaEntityPhysical (id 4)");
            EXPECT_FALSE(noted.dropped);
            TiXmlElement root("World");
            world.WriteXml(&root, false);
            TiXmlPrinter printer;
            printer.SetStreamPrinting();
            root.Accept(&printer);
            saved = printer.Str();
        }
        // Written back as read, the well-formed key with it.
        EXPECT_NE(saved.find(c.bad), std::string::npos) << saved;
        EXPECT_EQ(Count(saved, "ragdollInitID"), 1);

        // A run drops it and says which entity and key.
        app.SetEditor(false);
        TiXmlDocument document;
        document.Parse(course.c_str());
        kaPhysicsWorld world;
        testing::internal::CaptureStderr();
        world.ReadXml(document.RootElement(), false);
        const std::string said = testing::internal::GetCapturedStderr();
        world.Update(0.0f);
        EXPECT_EQ(world.FindEntityById(4), nullptr);
        EXPECT_NE(said.find("kaEntityPhysical (id 4)"), std::string::npos) << said;
        EXPECT_NE(said.find(std::string("bad value for ") + c.key), std::string::npos) << said;
        ASSERT_EQ(world.GetMalformedValues().size(), 1u);
        EXPECT_TRUE(world.GetMalformedValues().front().dropped);
    }
}

// A malformed value no reader keeps (a billboard's size) still drops the crate in the editor; the list says
// so after the kept key, without taking the kept key for the cause.
TEST_F(EntityPhysicalOwnKeysTest, AnUnkeptMalformedValueIsListedAsDroppedAfterTheKeptOnes)
{
    kaApp app("test", "test");
    app.SetEditor(true);
    TiXmlDocument document;
    // The centre of gravity is read before the base block.
    document.Parse(Course("<name>Crate</name><overrideCOG><x>left</x></overrideCOG>"
                          "<billboard><scale>big</scale></billboard>")
                       .c_str());
    kaPhysicsWorld world;
    world.ReadXml(document.RootElement(), false);
    world.Update(0.0f);
    EXPECT_EQ(world.FindEntityById(4), nullptr);
    const std::vector<kaWorld::MalformedValue>& noted = world.GetMalformedValues();
    ASSERT_EQ(noted.size(), 2u);
    EXPECT_EQ(noted[0].key, "overrideCOG");
    EXPECT_FALSE(noted[0].dropped);
    EXPECT_EQ(noted[1].key, "");
    EXPECT_TRUE(noted[1].dropped);
    for (const kaWorld::MalformedValue& value : noted)
        EXPECT_EQ(value.entity, "kaEntityPhysical \"Crate\" (id 4)");
}
