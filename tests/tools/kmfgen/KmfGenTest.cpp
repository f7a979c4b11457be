#include "engine/model/KM_Animation.h"
#include "engine/model/KM_AttachmentPt.h"
#include "engine/model/KM_FileReader.h"
#include "engine/model/KM_GeoObject.h"
#include "engine/model/KM_Light.h"
#include "engine/model/KM_Material.h"
#include "engine/model/KM_MaterialList.h"
#include "engine/model/KM_Model.h"
#include "engine/model/KM_Primitive.h"
#include "engine/model/KM_Skeleton.h"
#include "engine/model/KM_Stream.h"
#include "engine/model/KM_Texture.h"
#include "tests/support/TempDir.h"
#include "tests/support/tools/FileTree.h"
#include "tools/kmfgen/SampleModels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace
{

const std::string kModels = "resources/models/";

using testsupport::ReadTree;

class KmfGenTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_Root = new testsupport::TempDir();
        s_Status = std::system((std::string(KMFGEN_PATH) + " '" + s_Root->Path() + "'").c_str());
    }
    static void TearDownTestSuite()
    {
        delete s_Root;
        s_Root = nullptr;
    }

    std::unique_ptr<KM_Model> Load(const std::string& relative)
    {
        KM_Stream stream;
        EXPECT_TRUE(stream.Open(s_Root->File(kModels + relative).c_str(), KM_Stream::kBinary)) << relative;
        EXPECT_TRUE(stream.ReadHeader());
        auto model = std::make_unique<KM_Model>(relative.c_str());
        EXPECT_TRUE(model->Read(&stream)) << relative;
        model->BuildRenderVertices();
        return model;
    }

    static testsupport::TempDir* s_Root;
    static int s_Status;
};

testsupport::TempDir* KmfGenTest::s_Root = nullptr;
int KmfGenTest::s_Status = -1;

// Every drawn triangle turns clockwise seen from the side its normals point to (left-handed).
void ExpectFrontFacing(const KM_Model& model, const std::string& name)
{
    for (int g = 0; g < model.GetGeoObjectCount(); ++g)
    {
        const KM_Mesh::RenderData& render = model.GetGeoObject(g)->m_Mesh.m_Render;
        ASSERT_GT(render.vertexCount, 0u) << name;
        for (size_t i = 0; i + 2 < render.indices.size(); i += 3)
        {
            const float* p[3];
            const float* n[3];
            for (int c = 0; c < 3; ++c)
            {
                p[c] = &render.positions[3 * render.indices[i + c]];
                n[c] = &render.normals[3 * render.indices[i + c]];
            }
            const float e1[3] = {p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
            const float e2[3] = {p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
            const float cross[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                                    e1[0] * e2[1] - e1[1] * e2[0]};
            float dot = 0;
            for (int c = 0; c < 3; ++c)
                dot += cross[0] * n[c][0] + cross[1] * n[c][1] + cross[2] * n[c][2];
            ASSERT_GT(dot, 0.0f) << name << " triangle " << i / 3;
        }
    }
}

} // namespace

TEST_F(KmfGenTest, OutputIsTheSameOnEveryRun)
{
    ASSERT_EQ(s_Status, 0);
    testsupport::TempDir second;
    ASSERT_EQ(std::system((std::string(KMFGEN_PATH) + " '" + second.Path() + "'").c_str()), 0);
    const auto first = ReadTree(s_Root->Path());
    // The charger adds its model, skeleton and descriptor; the proving ground its model and texture; the six
    // gear models a model and a texture each; the fork, the rag doll and its limb a model, a skeleton, a
    // texture and a descriptor each.
    EXPECT_EQ(first.size(), 72u);
    EXPECT_TRUE(first == ReadTree(second.Path()));
    EXPECT_EQ(first.count(kModels + "cylinder/cylinder.kmf"), 1u);
    EXPECT_EQ(first.count(kModels + "crate/maps/crate.tga"), 1u);
}

TEST_F(KmfGenTest, PropsLoadWithTheirPrimitives)
{
    auto cylinder = Load("cylinder/cylinder.kmf");
    EXPECT_EQ(cylinder->GetGeoObjectCount(), 1);
    ASSERT_EQ(cylinder->GetPrimitiveCount(), 1);
    EXPECT_EQ(cylinder->GetPrimitive(0)->m_PrimitiveType, 2u);

    auto crate = Load("crate/crate.kmf");
    ASSERT_EQ(crate->GetMaterialList().GetCount(), 1u);
    EXPECT_EQ(crate->GetMaterialList().GetMaterial(0)->GetTexture(0)->m_Bitmap, "crate.tga");
    EXPECT_EQ(crate->GetPrimitive(0)->m_PrimitiveType, 0u);
    // 8 corners, each on three faces with their own normals.
    EXPECT_EQ(crate->GetGeoObject(0)->m_Mesh.m_Render.vertexCount, 24u);

    auto ball = Load("ball/ball.kmf");
    EXPECT_EQ(ball->GetPrimitive(0)->m_PrimitiveType, 1u);
    EXPECT_EQ(ball->GetPrimitive(0)->m_Radius, 0.5f);

    auto ramp = Load("ramp/ramp.kmf");
    ASSERT_EQ(ramp->GetPrimitiveCount(), 2);
    EXPECT_EQ(ramp->GetPrimitive(0)->m_PrimitiveType, 4u);
    EXPECT_EQ(ramp->GetPrimitive(0)->m_Indices.size(), 8u);
    EXPECT_EQ(ramp->GetPrimitive(1)->GetName(), "PRIM_TRIGGER_Respawn");

    // The ramp's faces carry their outward normals, which the physics takes as given.
    const KM_Primitive* slope = ramp->GetPrimitive(0);
    ASSERT_EQ(slope->m_IndexExtras.size(), slope->m_Indices.size());
    const KM_Point3 up = slope->m_IndexExtras[0];
    EXPECT_NEAR(up.x * up.x + up.y * up.y + up.z * up.z, 1.0f, 1e-5f);
    EXPECT_GT(up.y, 0.9f);
    EXPECT_LT(up.z, 0.0f);

    // The arena: a floor of 8 x 6 cells and four walls; a floor box 1 thick under y = 0 (a box's length
    // rises from its base), a box in each wall and the respawn trigger under it all.
    auto arena = Load("arena/arena.kmf");
    ASSERT_EQ(arena->GetPrimitiveCount(), 6);
    EXPECT_EQ(arena->GetPrimitive(0)->GetName(), "PRIM_Floor");
    EXPECT_EQ(arena->GetPrimitive(0)->m_Width, 64.0f);
    EXPECT_EQ(arena->GetPrimitive(0)->m_Length, 1.0f);
    EXPECT_EQ(arena->GetPrimitive(0)->m_Height, 48.0f);
    EXPECT_EQ(arena->GetPrimitive(0)->m_Offset[1], -1.0f);
    for (int wall = 1; wall < 5; ++wall)
    {
        EXPECT_EQ(arena->GetPrimitive(wall)->m_Length, 2.0f) << wall;
        EXPECT_EQ(arena->GetPrimitive(wall)->m_Offset[1], 0.0f) << wall;
    }
    EXPECT_EQ(arena->GetGeoObject(0)->m_Mesh.m_Render.vertexCount, 9u * 7u + 4u * 24u);
    // A car thrown over any wall lands in the trigger: it lies wholly below the floor, so that nothing inside
    // the walls touches it, and reaches past every wall by more than a throw carries a car.
    const KM_Primitive* catcher = arena->GetPrimitive(5);
    EXPECT_EQ(catcher->GetName(), "PRIM_TRIGGER_Respawn");
    EXPECT_EQ(catcher->m_PrimitiveType, 0u);
    EXPECT_LT(catcher->m_Offset[1] + catcher->m_Length, -1.0f);
    EXPECT_GE(catcher->m_Length, 4.0f);
    constexpr float kThrow = 60.0f;
    EXPECT_LT(catcher->m_Offset[0] - catcher->m_Width / 2, -kThrow);
    EXPECT_GT(catcher->m_Offset[0] + catcher->m_Width / 2, 64.0f + kThrow);
    EXPECT_LT(catcher->m_Offset[2] - catcher->m_Height / 2, -kThrow);
    EXPECT_GT(catcher->m_Offset[2] + catcher->m_Height / 2, 48.0f + kThrow);

    // The proving ground: floor, three walls (none at z = 0) and the respawn trigger beyond that open end,
    // below the floor and wider than it.
    auto ground = Load("provingground/provingground.kmf");
    ASSERT_EQ(ground->GetPrimitiveCount(), 5);
    EXPECT_EQ(ground->GetPrimitive(0)->GetName(), "PRIM_Floor");
    for (int wall = 1; wall < 4; ++wall)
        EXPECT_GT(ground->GetPrimitive(wall)->m_Offset[2], 0.0f) << wall;
    const KM_Primitive* trigger = ground->GetPrimitive(4);
    EXPECT_EQ(trigger->GetName(), "PRIM_TRIGGER_Respawn");
    EXPECT_LT(trigger->m_Offset[1] + trigger->m_Length, -1.0f);
    EXPECT_LT(trigger->m_Offset[2] + trigger->m_Height / 2, 0.5f);
    EXPECT_GT(trigger->m_Width, ground->GetPrimitive(0)->m_Width);

    for (const char* name : {"cylinder/cylinder.kmf", "crate/crate.kmf", "ball/ball.kmf", "ramp/ramp.kmf",
                             "car/car.kmf", "car/wheel.kmf", "motorcycle/motorcycle.kmf",
                             "motorcycle/rider.kmf", "arena/arena.kmf", "sign/sign.kmf"})
        ExpectFrontFacing(*Load(name), name);
}

TEST_F(KmfGenTest, GearModelsCarryTheirSurfacesAndTheTokenNone)
{
    const struct
    {
        const char* file;
        const char* primitive;
        uint32_t type;
    } gear[] = {{"launchplate/launchplate.kmf", "PRIM_LaunchPlate", 0u},
                {"barrel/barrel.kmf", "PRIM_Barrel", 2u},
                {"mudpad/mudpad.kmf", "PRIM_MudPad", 0u},
                {"oilpad/oilpad.kmf", "PRIM_OilPad", 0u},
                {"gratepad/gratepad.kmf", "PRIM_GratePad", 0u}};
    for (const auto& g : gear)
    {
        SCOPED_TRACE(g.file);
        auto model = Load(g.file);
        EXPECT_EQ(model->GetGeoObjectCount(), 1);
        ASSERT_EQ(model->GetPrimitiveCount(), 1);
        EXPECT_EQ(model->GetPrimitive(0)->GetName(), g.primitive);
        EXPECT_EQ(model->GetPrimitive(0)->m_PrimitiveType, g.type);
        ExpectFrontFacing(*model, g.file);
    }
    // The pads are flat: a box primitive standing on its base, as wide as the pad.
    auto mud = Load("mudpad/mudpad.kmf");
    EXPECT_EQ(mud->GetPrimitive(0)->m_Width, SampleModels::kGearPadSide);
    EXPECT_EQ(mud->GetPrimitive(0)->m_Length, SampleModels::kGearPadHeight);
    EXPECT_EQ(mud->GetPrimitive(0)->m_Offset[1], -SampleModels::kGearPadHeight / 2);
    // The power-up gives the token the sphere a car passes through; a primitive of its own would be solid.
    auto token = Load("powerup/powerup.kmf");
    EXPECT_EQ(token->GetGeoObjectCount(), 1);
    EXPECT_EQ(token->GetPrimitiveCount(), 0);
    ExpectFrontFacing(*token, "powerup");
}

TEST_F(KmfGenTest, TheMotorcycleHangsItsPartsOnBonesAndTheRagdollHasTheRidersShape)
{
    auto bike =
        KM_FileReader::ReadSkeleton(s_Root->File(kModels + "motorcycle/motorcycle_skeleton.kmf").c_str());
    ASSERT_NE(bike, nullptr);
    std::set<std::string> bones;
    for (const auto& bone : bike->m_Bones)
        bones.insert(bone.second.name);
    for (const auto& point : SampleModels::kMotorcycleBones)
        EXPECT_EQ(bones.count(point.bone), 1u) << point.bone;
    EXPECT_EQ(bones.count("Root"), 1u);

    auto rider = KM_FileReader::ReadSkeleton(s_Root->File(kModels + "motorcycle/rider_skeleton.kmf").c_str());
    ASSERT_NE(rider, nullptr);
    bool saddle = false;
    for (const auto& bone : rider->m_Bones)
        if (bone.second.name == SampleModels::kRiderSaddleBone)
        {
            saddle = true;
            EXPECT_TRUE(bone.second.weights.empty());
            EXPECT_EQ(bone.second.parentName, "Hips");
        }
    EXPECT_TRUE(saddle);

    auto doll = Load("ragdoll/ragdoll.kmf");
    auto riderModel = Load("motorcycle/rider.kmf");
    EXPECT_EQ(doll->GetGeoObject(0)->m_Mesh.m_Vertices.size(),
              riderModel->GetGeoObject(0)->m_Mesh.m_Vertices.size());
    ASSERT_EQ(doll->GetPrimitiveCount(), 1);
    ExpectFrontFacing(*doll, "ragdoll");
    auto dollSkeleton =
        KM_FileReader::ReadSkeleton(s_Root->File(kModels + "ragdoll/ragdoll_skeleton.kmf").c_str());
    ASSERT_NE(dollSkeleton, nullptr);
    std::set<std::string> dollBones;
    for (const auto& bone : dollSkeleton->m_Bones)
    {
        dollBones.insert(bone.second.name);
        // Every bone but the root hangs from another rag doll bone.
        if (bone.second.name != "Bip01")
        {
            EXPECT_EQ(bone.second.parentName.rfind("Bip01", 0), 0u) << bone.second.name;
        }
    }
    EXPECT_EQ(dollBones, std::set<std::string>(std::begin(SampleModels::kRagdollBones),
                                               std::end(SampleModels::kRagdollBones)));
    auto limb = Load("ragdoll/limb.kmf");
    ASSERT_EQ(limb->GetPrimitiveCount(), 1);
    EXPECT_EQ(limb->GetPrimitive(0)->m_Width, SampleModels::kRagdollLimbSize);
    auto fork = Load("motorcycle/fork.kmf");
    ExpectFrontFacing(*fork, "fork");
}

TEST_F(KmfGenTest, TextureRowsRunBottomUp)
{
    auto crate = Load("crate/crate.kmf");
    const KM_Mesh::RenderData& render = crate->GetGeoObject(0)->m_Mesh.m_Render;
    // The reader flips v: a corner at the bottom of a side gets 1, one at the top 0.
    for (uint32_t v = 0; v < render.vertexCount; ++v)
    {
        if (render.normals[3 * v + 1] != 0.0f)
            continue;
        const float y = render.positions[3 * v + 1];
        EXPECT_EQ(render.texCoords[0][2 * v + 1], y < 0 ? 1.0f : 0.0f);
    }
}

TEST_F(KmfGenTest, CarHasSubMaterialsColoursRegionLightAndAttachments)
{
    auto car = Load("car/car.kmf");
    const KM_Material* material = car->GetMaterialList().GetMaterial(0);
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(material->GetSubMaterialCount(), 3);
    const KM_Mesh& body = car->GetGeoObject(0)->m_Mesh;
    EXPECT_FALSE(body.m_CVertices.empty());
    std::set<uint32_t> ids;
    for (const KM_Mesh::Face& face : body.m_Faces)
        ids.insert(face.materialId);
    EXPECT_EQ(ids, (std::set<uint32_t>{0, 1, 2}));
    ASSERT_EQ(car->GetPrimitiveCount(), 2);
    EXPECT_EQ(car->GetPrimitive(1)->GetName().rfind("PRIM_VERTBOX_", 0), 0u);
    ASSERT_EQ(car->GetLightCount(), 1);
    EXPECT_EQ(car->GetLight(0)->m_HasTarget, 1u);
    ASSERT_EQ(car->GetAttachmentPointCount(), 5);
    EXPECT_EQ(car->GetAttachmentPoint(0)->m_TypeFlags, 0x2u | 0x4000u);
    EXPECT_EQ(car->GetAttachmentPoint(4)->m_TypeFlags, 0x8u);
    EXPECT_EQ(car->GetAttachmentPoint(0)->m_SetCount, 1);
    EXPECT_EQ(car->GetAttachmentPoint(0)->m_SetFirst[0], 1);
    EXPECT_EQ(car->GetAttachmentPoint(0)->m_SetSecond[0], 2);
    EXPECT_EQ(car->GetAttachmentSize(), 1);
    EXPECT_EQ(Load("car/wheel.kmf")->GetGeoObjectCount(), 1);
}

TEST_F(KmfGenTest, RiderHasASkinningSkeletonAndItsAnimations)
{
    auto rider = Load("motorcycle/rider.kmf");
    const size_t vertices = rider->GetGeoObject(0)->m_Mesh.m_Vertices.size();
    auto skeleton =
        KM_FileReader::ReadSkeleton(s_Root->File(kModels + "motorcycle/rider_skeleton.kmf").c_str());
    ASSERT_NE(skeleton, nullptr);
    // Seven boxes' bones and the saddle the bike holds the rider by.
    EXPECT_EQ(skeleton->m_Bones.size(), 8u);
    std::set<int32_t> weighted;
    for (const auto& bone : skeleton->m_Bones)
        for (const auto& weight : bone.second.weights)
            weighted.insert(weight.vertex);
    EXPECT_EQ(weighted.size(), vertices);
    EXPECT_EQ(*weighted.rbegin(), static_cast<int32_t>(vertices - 1));

    for (const char* name : {"FeetDown", "FeetUp", "TurnLeft", "TurnRight", "TurnCenter"})
    {
        auto animation =
            KM_FileReader::ReadAnimation(s_Root->File(kModels + "motorcycle/" + name + ".kmf").c_str());
        ASSERT_NE(animation, nullptr) << name;
        EXPECT_EQ(animation->GetName(), name);
        EXPECT_EQ(animation->m_BoneAnims.size(), 7u);
        EXPECT_EQ(animation->m_BoneAnims[0].keys.size(), animation->m_KeyCount);
    }
    std::ifstream descriptor(s_Root->File(kModels + "motorcycle/rider.xml"));
    std::ostringstream text;
    text << descriptor.rdbuf();
    EXPECT_NE(text.str().find("<Skeleton>resources/models/motorcycle/rider_skeleton.kmf</Skeleton>"),
              std::string::npos);
    EXPECT_NE(text.str().find("<Animation>resources/models/motorcycle/TurnCenter.kmf</Animation>"),
              std::string::npos);
}

TEST_F(KmfGenTest, RampFacesCarryOutwardNormalsAndTheCrateStandsOnItsBase)
{
    auto ramp = Load("ramp/ramp.kmf");
    const KM_Primitive& mesh = *ramp->GetPrimitive(0);
    ASSERT_EQ(mesh.m_IndexExtras.size(), mesh.m_Indices.size());
    // Each face's normal has unit length and points away from the wedge's inside.
    const float inside[3] = {0.0f, 0.5f, 4.0f};
    for (size_t f = 0; f < mesh.m_Indices.size(); ++f)
    {
        const KM_Point3& n = mesh.m_IndexExtras[f];
        const KM_Point3& v = mesh.m_Vertices[mesh.m_Indices[f].a];
        EXPECT_NEAR(n.x * n.x + n.y * n.y + n.z * n.z, 1.0f, 1e-5f) << f;
        EXPECT_GT(n.x * (v.x - inside[0]) + n.y * (v.y - inside[1]) + n.z * (v.z - inside[2]), 0.0f) << f;
    }
    // The box primitive stands on its offset: the base of the unit box drawn round the origin.
    auto crate = Load("crate/crate.kmf");
    EXPECT_EQ(crate->GetPrimitive(0)->m_Offset[1], -0.5f);
}

TEST_F(KmfGenTest, CrateDescriptorHasHooksAboveAndBelow)
{
    auto skeleton = KM_FileReader::ReadSkeleton(s_Root->File(kModels + "crate/crate_skeleton.kmf").c_str());
    ASSERT_NE(skeleton, nullptr);
    ASSERT_EQ(skeleton->m_Bones.size(), 3u);
    EXPECT_EQ(skeleton->m_Bones[0].weights.size(), 8u);
    const struct
    {
        const char* name;
        float y;
    } hooks[] = {{"Top", 1.0f}, {"Bottom", -1.0f}};
    for (uint32_t i = 0; i < 2; ++i)
    {
        const KM_Skeleton::Bone& bone = skeleton->m_Bones[i + 1];
        EXPECT_EQ(bone.name, hooks[i].name);
        EXPECT_EQ(bone.parentName, "Crate");
        // The orientation takes a model point into the bone's space.
        EXPECT_EQ(bone.orientation[3][1], -hooks[i].y);
    }
    std::ifstream descriptor(s_Root->File(kModels + "crate/crate.xml"));
    std::ostringstream text;
    text << descriptor.rdbuf();
    EXPECT_NE(text.str().find("<Skeleton>resources/models/crate/crate_skeleton.kmf</Skeleton>"),
              std::string::npos);
}

TEST_F(KmfGenTest, CarAndWheelDescriptorsMeetAtTheHubs)
{
    auto car = KM_FileReader::ReadSkeleton(s_Root->File(kModels + "car/car_skeleton.kmf").c_str());
    auto wheel = KM_FileReader::ReadSkeleton(s_Root->File(kModels + "car/wheel_skeleton.kmf").c_str());
    ASSERT_NE(car, nullptr);
    ASSERT_NE(wheel, nullptr);
    // The root holds every vertex of the body; a bone sits at each hub, 0.35 up, where the wheels go, and
    // one above the bonnet, ahead of the windscreen, where the hood view looks out.
    ASSERT_EQ(car->m_Bones.size(), 6u);
    EXPECT_EQ(car->m_Bones[5].name, "HoodLookBone");
    EXPECT_EQ(car->m_Bones[5].parentName, "Body");
    EXPECT_EQ(car->m_Bones[5].orientation[3][0], 0.0f);
    EXPECT_GT(-car->m_Bones[5].orientation[3][1], 0.8f) << "above the bonnet";
    EXPECT_LT(-car->m_Bones[5].orientation[3][2], -0.7f) << "ahead of the cabin";
    EXPECT_EQ(car->m_Bones[0].name, "Body");
    EXPECT_EQ(car->m_Bones[0].weights.size(), Load("car/car.kmf")->GetGeoObject(0)->m_Mesh.m_Vertices.size());
    const struct
    {
        const char* name;
        float x, z;
    } hubs[] = {
        {"HubFL", -0.85f, -1.3f}, {"HubFR", 0.85f, -1.3f}, {"HubRL", -0.85f, 1.3f}, {"HubRR", 0.85f, 1.3f}};
    for (uint32_t i = 0; i < 4; ++i)
    {
        const KM_Skeleton::Bone& bone = car->m_Bones[i + 1];
        EXPECT_EQ(bone.name, hubs[i].name);
        EXPECT_EQ(bone.parentName, "Body");
        EXPECT_EQ(bone.orientation[3][0], -hubs[i].x);
        EXPECT_EQ(bone.orientation[3][1], -0.35f);
        EXPECT_EQ(bone.orientation[3][2], -hubs[i].z);
    }
    // The wheel's one bone at its hub, the middle of a wheel 0.7 high.
    ASSERT_EQ(wheel->m_Bones.size(), 1u);
    EXPECT_EQ(wheel->m_Bones[0].name, "Hub");
    EXPECT_EQ(wheel->m_Bones[0].orientation[3][1], 0.0f);
    const KM_Mesh& tyre = Load("car/wheel.kmf")->GetGeoObject(0)->m_Mesh;
    float low = 0.0f, high = 0.0f;
    for (const auto& vertex : tyre.m_Vertices)
    {
        low = std::min(low, vertex.y);
        high = std::max(high, vertex.y);
    }
    EXPECT_NEAR(low, -0.35f, 1e-5f);
    EXPECT_NEAR(high, 0.35f, 1e-5f);
    // The body collides as a box 1.8 wide and 4 long, from 0.2 above the ground to 1.1 above that.
    auto body = Load("car/car.kmf");
    EXPECT_EQ(body->GetPrimitive(0)->m_Width, 1.8f);
    EXPECT_EQ(body->GetPrimitive(0)->m_Length, 1.1f);
    EXPECT_EQ(body->GetPrimitive(0)->m_Height, 4.0f);
    EXPECT_EQ(body->GetPrimitive(0)->m_Offset[1], 0.2f);
}

TEST_F(KmfGenTest, KmfDumpPrintsEveryGeneratedFile)
{
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(s_Root->Path()))
    {
        if (entry.path().extension() != ".kmf")
            continue;
        ++files;
        const std::string command =
            std::string(KMFDUMP_PATH) + " '" + entry.path().string() + "' >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << entry.path();
    }
    EXPECT_EQ(files, 38);
}

TEST_F(KmfGenTest, TheChargerIsTheCarWithEmitterBonesAndALaunchSurface)
{
    auto car = KM_FileReader::ReadSkeleton(s_Root->File(kModels + "car/car_skeleton.kmf").c_str());
    auto charger = KM_FileReader::ReadSkeleton(s_Root->File(kModels + "car/charger_skeleton.kmf").c_str());
    ASSERT_NE(car, nullptr);
    ASSERT_NE(charger, nullptr);
    // The car's bones first, where they were, then the exhaust and the three smoke places.
    ASSERT_EQ(charger->m_Bones.size(), car->m_Bones.size() + 4u);
    for (uint32_t i = 0; i < car->m_Bones.size(); ++i)
    {
        EXPECT_EQ(charger->m_Bones[i].name, car->m_Bones[i].name);
        EXPECT_EQ(charger->m_Bones[i].orientation[3][0], car->m_Bones[i].orientation[3][0]);
    }
    const char* const extra[] = {"Exhaust", "SmokeEngine", "SmokeCabin", "SmokeBoot"};
    for (uint32_t i = 0; i < 4; ++i)
    {
        const KM_Skeleton::Bone& bone = charger->m_Bones[static_cast<uint32_t>(car->m_Bones.size()) + i];
        EXPECT_EQ(bone.name, extra[i]);
        EXPECT_EQ(bone.parentName, "Body");
    }
    auto body = Load("car/charger.kmf");
    ASSERT_NE(body, nullptr);
    const auto plain = Load("car/car.kmf");
    ASSERT_EQ(body->GetPrimitiveCount(), plain->GetPrimitiveCount() + 1);
    EXPECT_EQ(body->GetPrimitive(body->GetPrimitiveCount() - 1)->GetName(), "PRIM_Launch");
    std::ifstream descriptor(s_Root->File(kModels + "car/charger.xml"));
    std::ostringstream text;
    text << descriptor.rdbuf();
    EXPECT_NE(text.str().find("<Skeleton>resources/models/car/charger_skeleton.kmf</Skeleton>"),
              std::string::npos);
}
