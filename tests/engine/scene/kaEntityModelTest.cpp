#include "engine/scene/kaEntityModel.h"

#include "engine/core/kaFileSystem.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/model/KM_MessageBox.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaMeshSubset.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaModelManager.h"
#include "engine/render/kaLight.h"
#include "engine/render/kaRenderState.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaQuadTree.h"
#include "engine/scene/kaTerrainBase.h"
#include "engine/scene/kaWorld.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

using platform::Quaternion;
using platform::Vector3;

namespace
{

const char* const kCrate = "resources/models/crate/crate.kmf";
const char* const kCar = "resources/models/car/car.kmf";
const char* const kRider = "resources/models/motorcycle/rider.xml";

// Height x + z everywhere.
class SlopedTerrain : public kaTerrainBase
{
public:
    float GetHeightAt(float x, float z) const override { return x + z; }
    float GetWidth() const override { return 64.0f; }
    float GetLength() const override { return 64.0f; }
};

void ExpectNear(const Vector3& actual, const Vector3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-4f);
    EXPECT_NEAR(actual.y, expected.y, 1e-4f);
    EXPECT_NEAR(actual.z, expected.z, 1e-4f);
}

// The generated sample models, read from the content folder as the game reads them.
class EntityModelTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(Start(nullptr)); }
    void TearDown() override
    {
        m_World.reset();
        m_Models.DeleteAll();
    }

    // A model entity read from XML and added to the world.
    kaEntityModel* Make(const std::string& xml)
    {
        auto* entity = new kaEntityModel;
        entity->SetWorld(m_World.get());
        Read(*entity, xml);
        EXPECT_TRUE(m_World->AddEntity(entity, true, true));
        return entity;
    }

    static void Read(kaEntity& entity, const std::string& xml)
    {
        TiXmlDocument document;
        document.Parse(("<Entity>" + xml + "</Entity>").c_str());
        ASSERT_NE(document.RootElement(), nullptr) << xml;
        entity.ReadXml(document.RootElement());
    }

    static std::string File(const std::string& name) { return "<kmfFilename>" + name + "</kmfFilename>"; }

    testsupport::CurrentDirectory m_Content{TARVOLIN_CONTENT_DIR};
    kaFileSystem m_Files;
    kaModelManager m_Models;
    testsupport::DebugCapture m_Debug;
    std::unique_ptr<kaWorld> m_World = std::make_unique<kaWorld>();
};

TEST_F(EntityModelTest, LoadsModelsAndDescriptorsAndShowsTheCylinderForMissingFiles)
{
    const struct
    {
        std::string file;
        std::string meshFile; // the mesh actually shown
        bool hasHeadBone;
    } cases[] = {
        {kCrate, "crate.kmf", false},
        {kCar, "car.kmf", false},
        {kRider, "rider.kmf", true},
        {"resources/models/none/missing.kmf", "cylinder.kmf", false},
        {"resources/models/none/missing.xml", "cylinder.kmf", false},
    };
    for (const auto& c : cases)
    {
        kaEntityModel* entity = Make(File(c.file));
        ASSERT_NE(entity->GetModel(), nullptr) << c.file;
        const std::string mesh = entity->GetModel()->GetMesh()->GetName();
        EXPECT_EQ(mesh.substr(mesh.size() - c.meshFile.size()), c.meshFile) << c.file;
        EXPECT_GT(entity->GetModel()->GetMesh()->GetSubsetCount(), 0u) << c.file;
        // The world file keeps the name asked for.
        EXPECT_EQ(entity->GetModelFile(), c.file);
        EXPECT_EQ(entity->HasBone("Head"), c.hasHeadBone) << c.file;
        EXPECT_EQ(entity->GetBoneIndex("Head") >= 0, c.hasHeadBone) << c.file;
        EXPECT_EQ(entity->FindBone("Head") != nullptr, c.hasHeadBone) << c.file;
        ASSERT_NE(entity->GetBoundingBox(), nullptr);
        bool more = true;
        EXPECT_EQ(entity->GetNextMesh(more), entity->GetModel()->GetMesh());
        EXPECT_FALSE(more);
    }
    std::unique_ptr<kaEntity> created = CreateEntity("EntityModel");
    EXPECT_NE(dynamic_cast<kaEntityModel*>(created.get()), nullptr);
}

TEST_F(EntityModelTest, WithoutAModelEveryQuestionHasAnEmptyAnswer)
{
    kaEntityModel entity;
    entity.SetPosition(Vector3(1.0f, 2.0f, 3.0f));
    bool more = true;
    platform::Matrix matrix;
    EXPECT_EQ(entity.GetNextMesh(more), nullptr);
    EXPECT_FALSE(more);
    EXPECT_EQ(entity.GetBoundingBox(), nullptr);
    EXPECT_FALSE(entity.GetWorldMatrix(matrix));
    ExpectNear(entity.GetPosition(), Vector3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(entity.GetWorldMatrixPtr()(0, 0), 1.0f);
    EXPECT_EQ(entity.GetWorldMatrixPtr()(3, 0), 0.0f);
    ExpectNear(entity.GetBoneWorldPosition(0), Vector3(0.0f, 0.0f, 0.0f));
    EXPECT_FALSE(entity.HasBone("Head"));
    EXPECT_EQ(entity.GetBoneIndex("Head"), -1);
}

// An entity saved while it had no model wrote an empty model name: read back it still has none, loads no
// file and says nothing, and saves the same again.
TEST_F(EntityModelTest, AnEntitySavedWithoutAModelReadsBackWithoutOne)
{
    std::vector<std::string> boxes;
    const KM_MessageBox::Hook previous = KM_MessageBox::SetHook(
        [&boxes](const std::string& text, const std::string&) { boxes.push_back(text); });
    kaEntityModel* entity = Make("<name>Start</name>" + File(""));
    KM_MessageBox::SetHook(previous);
    EXPECT_EQ(entity->GetModel(), nullptr);
    EXPECT_EQ(entity->GetModelFile(), "");
    TiXmlElement written("Entity");
    entity->WriteXml(&written);
    EXPECT_EQ(GetChildElementText("name", &written), "Start");
    ASSERT_NE(written.FirstChildElement("kmfFilename"), nullptr);
    EXPECT_EQ(GetChildElementText("kmfFilename", &written), "");
    EXPECT_EQ(boxes, std::vector<std::string>{});
}

TEST_F(EntityModelTest, ReadsRotationsAndPositions)
{
    const float half = std::sqrt(0.5f);
    const struct
    {
        std::string xml;
        Quaternion rotation;
        Vector3 position;
    } cases[] = {
        {"<rotation><pitch>0</pitch><yaw>1.5707964</yaw><roll>0</roll></rotation>", {0, half, 0, half}, {}},
        {"<rotation><pitch>1.5707964</pitch></rotation>", {half, 0, 0, half}, {}},
        {"<rotation><quaternion><x>0</x><y>0</y><z>1</z><w>0</w></quaternion></rotation>", {0, 0, 1, 0}, {}},
        {"<position><x>1</x><y>2</y><z>3</z></position>", {0, 0, 0, 1}, {1, 2, 3}},
        // Snapping without a terrain stands the entity at height 0.
        {"<snapToTerrain>1</snapToTerrain><position><x>1</x><y>2</y><z>3</z></position>",
         {0, 0, 0, 1},
         {1, 0, 3}},
    };
    for (const auto& c : cases)
    {
        kaEntityModel* entity = Make(File(kCrate) + c.xml);
        const Quaternion rotation = entity->GetRotation();
        EXPECT_NEAR(rotation.x, c.rotation.x, 1e-5f) << c.xml;
        EXPECT_NEAR(rotation.y, c.rotation.y, 1e-5f) << c.xml;
        EXPECT_NEAR(rotation.z, c.rotation.z, 1e-5f) << c.xml;
        EXPECT_NEAR(rotation.w, c.rotation.w, 1e-5f) << c.xml;
        ExpectNear(entity->GetPosition(), c.position);
    }
}

TEST_F(EntityModelTest, ASecondReadKeepsTheModelAndAppliesTheRest)
{
    kaEntityModel* entity = Make(File(kCrate));
    kaModel* model = entity->GetModel();
    Read(*entity, File(kCar) + "<name>moved</name><position><x>4</x><y>5</y><z>6</z></position>");
    EXPECT_EQ(entity->GetModel(), model);
    EXPECT_EQ(entity->GetModelFile(), kCrate);
    EXPECT_EQ(entity->GetName(), "moved");
    ExpectNear(entity->GetPosition(), Vector3(4.0f, 5.0f, 6.0f));
}

TEST_F(EntityModelTest, SnappedEntitiesWriteNoHeightAndStandOnTheTerrainWhenRead)
{
    m_World->SetTerrain(new SlopedTerrain);
    const struct
    {
        bool snap;
        std::string position;
        float readBackY;
    } cases[] = {
        {true, "x=2 z=5", 7.0f},
        {false, "x=2 z=5 y=1.5", 1.5f},
    };
    for (const auto& c : cases)
    {
        kaEntityModel* entity = Make(File(kCrate) + "<snapToTerrain>" + (c.snap ? "1" : "0") +
                                     "</snapToTerrain><position><x>2</x><y>1.5</y><z>5</z></position>");
        TiXmlElement written("Entity");
        entity->WriteXml(&written);
        std::string position;
        for (const TiXmlElement* child = written.FirstChildElement("position")->FirstChildElement(); child;
             child = child->NextSiblingElement())
            position += std::string(position.empty() ? "" : " ") + child->Value() + "=" + child->GetText();
        EXPECT_EQ(position, c.position);
        EXPECT_EQ(GetChildElementText("kmfFilename", &written), kCrate);
        EXPECT_TRUE(written.FirstChildElement("rotation")->FirstChildElement("quaternion"));

        auto* copy = new kaEntityModel;
        copy->SetWorld(m_World.get());
        copy->ReadXml(&written);
        ASSERT_TRUE(m_World->AddEntity(copy, true, true));
        ExpectNear(copy->GetPosition(), Vector3(2.0f, c.readBackY, 5.0f));
    }
}

TEST_F(EntityModelTest, TheCarsHeadlightFollowsTheEntityAndLeavesWithIt)
{
    kaEntityModel* car = Make(File(kCar));
    EXPECT_TRUE(m_World->GetLights().empty());
    m_World->InitializeEntities();
    ASSERT_EQ(car->GetLights().size(), 1u);
    ASSERT_EQ(m_World->GetLights(), car->GetLights());
    kaLight* headlight = car->GetLights()[0];
    // The headlight sits 0.6 up and 2.1 forward of the model's origin.
    ExpectNear(headlight->GetPosition(), Vector3(0.0f, 0.6f, -2.1f));

    // A quarter turn about +Y takes -z to -x.
    const float half = std::sqrt(0.5f);
    car->SetPositionRotation(Vector3(10.0f, 1.0f, 0.0f), Quaternion(0.0f, half, 0.0f, half));
    ExpectNear(headlight->GetPosition(), Vector3(7.9f, 1.6f, 0.0f));
    m_World->DeleteEntity(car, false);
    EXPECT_TRUE(m_World->GetLights().empty());
}

TEST_F(EntityModelTest, RiderBonesFollowThePlacement)
{
    kaEntityModel* rider = Make(File(kRider));
    const int32_t head = rider->GetBoneIndex("Head");
    ASSERT_GE(head, 0);
    const Vector3 atOrigin = rider->GetBonePositionByName("Head");
    EXPECT_GT(atOrigin.y, 1.0f);

    const float half = std::sqrt(0.5f);
    rider->SetPositionRotation(Vector3(3.0f, 0.0f, -2.0f), Quaternion(0.0f, half, 0.0f, half));
    // A quarter turn about +Y takes (x, y, z) to (z, y, -x).
    ExpectNear(rider->GetBoneWorldPosition(head), Vector3(atOrigin.z + 3.0f, atOrigin.y, -atOrigin.x - 2.0f));
    const Quaternion turn = rider->GetBoneWorldRotation(head);
    EXPECT_NEAR(std::fabs(turn.y), half, 1e-4f);
    EXPECT_NEAR(std::fabs(turn.w), half, 1e-4f);
    ExpectNear(rider->GetBoneWorldPosition(-1), Vector3(0.0f, 0.0f, 0.0f));
    ExpectNear(rider->GetBonePositionByName("Tail"), Vector3(0.0f, 0.0f, 0.0f));
}

TEST_F(EntityModelTest, PlacementRefilesTheEntityInTheQuadTree)
{
    kaQuadTree& tree = *m_World->GetQuadTree();
    kaEntityModel* crate = Make(File(kCrate));
    tree.Initialize(256.0f, 256.0f, 32.0f);
    const platform::Quaternion upright(0.0f, 0.0f, 0.0f, 1.0f);
    const struct
    {
        Vector3 position;
        float minX, minZ, maxX, maxZ; // the node the crate must be filed in
    } cases[] = {
        {{16.0f, 0.0f, 16.0f}, 0.0f, 0.0f, 32.0f, 32.0f},
        {{200.0f, 3.0f, 40.0f}, 192.0f, 32.0f, 224.0f, 64.0f},
        // Across the middle: only the root holds it.
        {{128.0f, 0.0f, 100.0f}, 0.0f, 0.0f, 256.0f, 256.0f},
        {{16.0f, 0.0f, 240.0f}, 0.0f, 224.0f, 32.0f, 256.0f},
    };
    for (const auto& c : cases)
    {
        crate->SetPositionRotation(c.position, upright);
        const int32_t index = crate->GetQuadTreeNode();
        ASSERT_GE(index, 0);
        const kaQuadTree::Node& node = tree.GetNode(index);
        EXPECT_EQ(node.m_MinX, c.minX) << c.position.x;
        EXPECT_EQ(node.m_MinZ, c.minZ) << c.position.x;
        EXPECT_EQ(node.m_MaxX, c.maxX) << c.position.x;
        EXPECT_EQ(node.m_MaxZ, c.maxZ) << c.position.x;
        EXPECT_EQ(std::count(node.m_Entities.begin(), node.m_Entities.end(), crate), 1);
    }
    // Moving by a matrix re-files too.
    platform::Matrix matrix;
    platform::MatrixTranslation(&matrix, 48.0f, 0.0f, 16.0f);
    crate->SetTransformFromMatrix(matrix);
    EXPECT_EQ(tree.GetNode(crate->GetQuadTreeNode()).m_MinX, 32.0f);
    m_World->DeleteEntity(crate, false);
    for (int32_t i = 0; i < tree.GetNodeCount(); ++i)
        EXPECT_TRUE(tree.GetNode(i).m_Entities.empty()) << i;
}

TEST_F(EntityModelTest, AMatrixPlacesTheModelWhole)
{
    kaEntityModel* crate = Make(File(kCrate));
    platform::Matrix matrix;
    platform::MatrixRotationY(&matrix, 1.5707964f);
    matrix(3, 0) = 4.0f;
    matrix(3, 1) = 5.0f;
    matrix(3, 2) = 6.0f;
    crate->SetTransformFromMatrix(matrix);
    ExpectNear(crate->GetPosition(), Vector3(4.0f, 5.0f, 6.0f));
    EXPECT_NEAR(std::fabs(crate->GetRotation().y), std::sqrt(0.5f), 1e-5f);
    platform::Matrix placed;
    ASSERT_TRUE(crate->GetWorldMatrix(placed));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(placed(i / 4, i % 4), matrix(i / 4, i % 4)) << i;
}

TEST_F(EntityModelTest, TexturesTakeTheirRenderStatesFromInitData)
{
    testsupport::TempDir dir;
    dir.Write("InitData/states.xml",
              "<?xml version=\"1.0\"?><root>"
              "<initData><uniqueID>see-through</uniqueID><dataType>RenderState</dataType>"
              "<data><alphaBlend>1</alphaBlend><ZWrite>0</ZWrite></data></initData>"
              "</root>");
    kaInitDataBase base;
    base.LoadInitData(dir.File("InitData"));
    kaEntityModel* entity = Make(File(kCrate));
    kaMeshSubset* subset = entity->GetModel()->GetMesh()->GetSubset(0);
    ASSERT_NE(subset, nullptr);
    ASSERT_NE(subset->GetRenderState(), nullptr);
    Read(*entity,
         "<texture><subset>no such subset</subset><renderStateID>see-through</renderStateID></texture>"
         "<texture><subset>" +
             subset->m_Name + "</subset><renderStateID>unknown</renderStateID></texture>");
    EXPECT_FALSE(subset->GetRenderState()->m_AlphaBlend);
    Read(*entity, "<texture><subset>" + subset->m_Name +
                      "</subset><renderStateID>see-through</renderStateID>"
                      "</texture>");
    EXPECT_TRUE(subset->GetRenderState()->m_AlphaBlend);
    EXPECT_FALSE(subset->GetRenderState()->m_ZWrite);
}

TEST_F(EntityModelTest, TheDebugDisplayShowsAxesInModeOneOnly)
{
    kaEntityModel* entity = Make(File(kCrate));
    for (int32_t mode : {0, 1, 2, 3, 1, 0})
    {
        m_World->SetDebugDisplayMode(mode);
        m_World->CycleDebugDisplay();
        EXPECT_EQ(entity->GetDebugAxes(), mode == 1) << mode;
    }
}

} // namespace
