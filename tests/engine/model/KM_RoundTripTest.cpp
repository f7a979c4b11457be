#include "engine/model/KM_ObjectFactory.h"
#include "tests/support/engine/model/KmfSamples.h"
#include "tests/support/engine/model/KmfTestSupport.h"

#include <gtest/gtest.h>

using kmftest::WordAt;

namespace
{

class RoundTripTest : public ::testing::Test
{
protected:
    // Writes an object, checks its frame and size word, reads it back and returns the copy.
    // Listed and top-level objects have their type id read by the caller; embedded ones read it.
    template <typename T> std::unique_ptr<T> RoundTrip(T& object, bool embedded)
    {
        const std::string bytes = m_Files.Written(object);
        EXPECT_GE(bytes.size(), 12u);
        EXPECT_EQ(WordAt(bytes, 0), object.GetTypeId());
        EXPECT_EQ(WordAt(bytes, 4), object.GetVersion());
        // The size word is the body after it, and ComputeSize says the same.
        EXPECT_EQ(WordAt(bytes, 8), bytes.size() - 12);
        EXPECT_EQ(object.ComputeSize(), bytes.size() - 12);

        KM_Stream stream;
        EXPECT_TRUE(m_Files.Open(stream, bytes));
        auto copy = std::make_unique<T>();
        uint32_t typeId = 0;
        if (!embedded)
        {
            EXPECT_TRUE(stream.ReadU32(typeId));
        }
        EXPECT_TRUE(copy->Read(&stream));
        EXPECT_EQ(stream.Remaining(), 0u);
        // Every field that is stored survives: writing the copy gives the same bytes.
        EXPECT_EQ(m_Files.Written(*copy), bytes);
        EXPECT_TRUE(m_Boxes.Boxes().empty());
        return copy;
    }

    kmftest::Files m_Files;
    kmftest::MessageBoxCapture m_Boxes;
};

} // namespace

TEST_F(RoundTripTest, SceneAndNodeTransform)
{
    auto scene = kmfsamples::Scene();
    auto copy = RoundTrip(*scene, false);
    EXPECT_EQ(copy->m_FileName, "crate.max");
    EXPECT_EQ(copy->m_AmbientColor, 0xFF405060u);

    KM_NodeTM tm;
    kmfsamples::FillTM(tm, "Node", 1.0f);
    auto tmCopy = RoundTrip(tm, true);
    EXPECT_EQ(tmCopy->GetName(), "Node");
    const KM_NodeTM::Matrix m = tmCopy->GetMatrix();
    EXPECT_EQ(m.m[3][0], 1.0f + 9 * 0.25f);
    EXPECT_EQ(m.m[0][3], 0.0f);
    EXPECT_EQ(m.m[3][3], 1.0f);
}

TEST_F(RoundTripTest, MeshOfEveryVersion)
{
    for (uint32_t version : {2u, 3u, 4u})
    {
        SCOPED_TRACE(version);
        KM_Mesh mesh;
        kmfsamples::FillMesh(mesh);
        mesh.SetVersion(version);
        auto copy = RoundTrip(mesh, true);
        EXPECT_EQ(copy->m_Vertices, mesh.m_Vertices);
        EXPECT_EQ(copy->m_Channels.size(), version >= 3 ? 1u : 0u);
        EXPECT_EQ(copy->m_BackfaceCull, version >= 4 ? 0u : 1u);
        ASSERT_EQ(copy->m_PackedColors.size(), 2u);
        EXPECT_EQ(copy->m_PackedColors[0], 0xFFFF7F00u);
        EXPECT_TRUE(copy->IndicesValid());
    }
}

TEST_F(RoundTripTest, GeometryObjectOfEveryVersion)
{
    for (uint32_t version : {2u, 3u, 4u})
    {
        SCOPED_TRACE(version);
        auto geo = kmfsamples::Geo();
        geo->SetVersion(version);
        auto copy = RoundTrip(*geo, false);
        EXPECT_EQ(copy->GetName(), "Body");
        EXPECT_EQ(copy->m_ParentName, version >= 3 ? "Root" : "");
        EXPECT_EQ(copy->m_ShadeVerts, version >= 4 ? 1 : 0);
        EXPECT_TRUE(copy->HasGeometry());
        EXPECT_EQ(copy->m_Mesh.m_Faces.size(), 2u);
    }
}

TEST_F(RoundTripTest, NodesWithUserDataAndPrimitives)
{
    auto point = kmfsamples::Attachment();
    EXPECT_EQ(RoundTrip(*point, false)->m_UserData, "type=W T\r\nsize=3");
    auto tag = kmfsamples::DataTag();
    EXPECT_EQ(RoundTrip(*tag, false)->m_UserData, "");
    for (uint32_t version : {2u, 3u, 4u})
    {
        auto mesh = kmfsamples::Primitive();
        mesh->SetVersion(version);
        auto copy = RoundTrip(*mesh, false);
        EXPECT_EQ(copy->m_Indices.size(), 1u);
        EXPECT_EQ(copy->m_Indices[0].word, 5u);
        EXPECT_EQ(copy->m_ParentName, version >= 3 ? "Body" : "");
    }
    auto sphere = kmfsamples::Primitive(2);
    EXPECT_TRUE(RoundTrip(*sphere, false)->m_Vertices.empty());
}

TEST_F(RoundTripTest, CollisionVolumes)
{
    auto box = kmfsamples::CollisionBox();
    EXPECT_EQ(RoundTrip(*box, false)->m_Height, 3.0f);
    KM_CollisionSphere sphere;
    sphere.m_Radius = 4.5f;
    EXPECT_EQ(RoundTrip(sphere, false)->m_Radius, 4.5f);
    KM_CollisionCylinder cylinder;
    cylinder.m_Radius = 1.0f;
    cylinder.m_Height = 6.0f;
    EXPECT_EQ(RoundTrip(cylinder, false)->m_Height, 6.0f);
    KM_CollisionPlane plane;
    plane.m_Width = 7.0f;
    EXPECT_EQ(RoundTrip(plane, false)->m_Width, 7.0f);
    auto mesh = kmfsamples::CollisionMesh();
    EXPECT_EQ(RoundTrip(*mesh, false)->m_Mesh.m_Vertices.size(), 4u);
}

TEST_F(RoundTripTest, LightsAndCamerasWithAndWithoutTarget)
{
    for (bool target : {false, true})
    {
        for (uint32_t version : {2u, 3u})
        {
            auto light = kmfsamples::Light(target);
            light->SetVersion(version);
            auto copy = RoundTrip(*light, false);
            EXPECT_EQ(copy->m_HasTarget, target ? 1u : 0u);
            EXPECT_EQ(copy->m_UseFarAttenuation, version >= 3 ? 1u : 0u);
            EXPECT_EQ(copy->m_TargetTM.GetName(), target ? "Spot01.Target" : "");
            KM_Light lightCopy(*copy);
            EXPECT_EQ(m_Files.Written(lightCopy), m_Files.Written(*light));
        }
        auto camera = kmfsamples::Camera(target);
        EXPECT_EQ(RoundTrip(*camera, false)->m_Yon, 1000.0f);
    }
}

TEST_F(RoundTripTest, MaterialsWithTexturesSubTexturesAndSubMaterials)
{
    auto material = kmfsamples::Material();
    auto copy = RoundTrip(*material, true);
    EXPECT_EQ(copy->GetName(), "Crate");
    ASSERT_EQ(copy->GetTextureCount(), 1);
    ASSERT_NE(copy->GetTexture(0)->GetSubTextures(), nullptr);
    EXPECT_EQ(copy->GetTexture(0)->GetSubTextures()->GetTexture(0)->m_Bitmap, "maps/detail.tga");
    ASSERT_EQ(copy->GetSubMaterialCount(), 2);
    EXPECT_EQ(copy->GetSubMaterial(1)->GetName(), "Crate Top");
    EXPECT_EQ(copy->GetSubMaterial(2), nullptr);
    EXPECT_EQ(copy->GetSubMaterial(-1), nullptr);
    EXPECT_EQ(copy->GetTexture(1), nullptr);

    for (uint32_t version : {2u, 3u, 4u})
    {
        auto texture = kmfsamples::Texture();
        texture->SetVersion(version);
        auto textureCopy = RoundTrip(*texture, true);
        EXPECT_EQ(textureCopy->m_BitmapFilter, version >= 3 ? 1u : 0u);
        EXPECT_EQ(textureCopy->m_MapChannel, version >= 4 ? 2u : 0u);
    }
}

TEST_F(RoundTripTest, ListsRoundTripWithTheirSizes)
{
    KM_MaterialList materials;
    materials.Append(kmfsamples::Material());
    materials.Append(kmfsamples::Material("Second", false));
    const std::string bytes = m_Files.Written([&](KM_Stream* s) { return materials.Write(s); });
    EXPECT_EQ(WordAt(bytes, 0), 7u);
    EXPECT_EQ(WordAt(bytes, 4), 2u);
    EXPECT_EQ(WordAt(bytes, 8), bytes.size() - 12);
    EXPECT_EQ(materials.ComputeSize(), bytes.size() - 12);
    KM_Stream stream;
    ASSERT_TRUE(m_Files.Open(stream, bytes));
    uint32_t typeId;
    ASSERT_TRUE(stream.ReadU32(typeId));
    KM_MaterialList copy;
    ASSERT_TRUE(copy.Read(&stream));
    EXPECT_EQ(copy.GetCount(), 2u);
    EXPECT_EQ(m_Files.Written([&](KM_Stream* s) { return copy.Write(s); }), bytes);

    auto objects = kmfsamples::ModelObjects();
    const std::string listBytes = m_Files.Written([&](KM_Stream* s) { return objects->Write(s); });
    EXPECT_EQ(WordAt(listBytes, 8), listBytes.size() - 12);
    KM_Stream listStream;
    ASSERT_TRUE(m_Files.Open(listStream, listBytes));
    ASSERT_TRUE(listStream.ReadU32(typeId));
    KM_ObjectList objectsCopy;
    ASSERT_TRUE(objectsCopy.Read(&listStream));
    EXPECT_EQ(objectsCopy.GetCount(), objects->GetCount());
    EXPECT_EQ(m_Files.Written([&](KM_Stream* s) { return objectsCopy.Write(s); }), listBytes);
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

TEST_F(RoundTripTest, SkeletonsAndAnimations)
{
    auto skeleton = kmfsamples::Skeleton();
    auto skeletonCopy = RoundTrip(*skeleton, false);
    ASSERT_EQ(skeletonCopy->m_Bones.size(), 2u);
    EXPECT_EQ(skeletonCopy->m_Bones[1].parentName, "Hip");
    EXPECT_EQ(skeletonCopy->m_Bones[0].weights.size(), 2u);
    EXPECT_EQ(skeletonCopy->m_Bones[0].orientation[3][0], 1.5f);
    KM_Skeleton copied(*skeletonCopy);
    EXPECT_EQ(m_Files.Written(copied), m_Files.Written(*skeleton));

    auto animation = kmfsamples::Animation();
    auto animationCopy = RoundTrip(*animation, false);
    EXPECT_EQ(animationCopy->m_AnimationName, "FeetDown");
    ASSERT_EQ(animationCopy->m_BoneAnims[0].keys.size(), 2u);
    EXPECT_EQ(animationCopy->m_BoneAnims[0].keys[1].time, 1000u);
    EXPECT_TRUE(animationCopy->m_BoneAnims[1].keys.empty());
}

TEST_F(RoundTripTest, WriterRefusesAMeshWhoseArraysDisagree)
{
    KM_Mesh mesh;
    kmfsamples::FillMesh(mesh);
    mesh.m_Normals.pop_back();
    EXPECT_EQ(m_Files.Written(mesh), "");
    EXPECT_TRUE(m_Boxes.Shown("Error Writing KM_Mesh Data", "Exporter Error"));
}
