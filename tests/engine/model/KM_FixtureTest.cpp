#include "engine/model/KM_ObjectFactory.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/engine/model/KmfSamples.h"
#include "tests/support/engine/model/KmfTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory_resource>
#include <string>

using kmftest::Bytes;

namespace
{

class FixtureTest : public ::testing::Test
{
protected:
    // Opens hand-made bytes; the caller reads from the stream.
    KM_Stream& Open(const Bytes& bytes)
    {
        m_Stream = std::make_unique<KM_Stream>();
        EXPECT_TRUE(m_Files.Open(*m_Stream, bytes.Data()));
        return *m_Stream;
    }

    // The fields of a mesh body after the frame, with its arrays.
    static Bytes MeshBody(uint32_t tverts, uint32_t cverts)
    {
        Bytes body;
        body.U32(0).U32(3).U32(1).U32(tverts).U32(cverts).I32(-1);
        body.Floats({0, 0, 0, 1, 0, 0, 0, 1, 0});
        body.U32(0).U32(1).U32(2).U32(0);
        if (tverts != 0)
            body.Floats({0, 0, 0, 1, 0, 0, 0, 1, 0}).U32(0).U32(1).U32(2);
        return body;
    }
    static Bytes Normals()
    {
        Bytes normals;
        for (int i = 0; i < 4; ++i)
            normals.Floats({0, 0, 1});
        return normals;
    }

    kmftest::Files m_Files;
    kmftest::MessageBoxCapture m_Boxes;
    testsupport::DebugCapture m_Debug;
    std::unique_ptr<KM_Stream> m_Stream;
};

} // namespace

TEST_F(FixtureTest, VersionOneObjectHasNoSizeWord)
{
    KM_Stream& stream =
        Open(Bytes().U32(1).Str("a.max").U32(1).U32(2).U32(3).U32(4).U32(5).U32(6).U32(0xBEEF));
    KM_Scene scene;
    ASSERT_TRUE(scene.Read(&stream));
    EXPECT_EQ(scene.GetVersion(), 1u);
    EXPECT_EQ(scene.m_FileName, "a.max");
    EXPECT_EQ(scene.m_AmbientColor, 6u);
    uint32_t next;
    ASSERT_TRUE(stream.ReadU32(next));
    EXPECT_EQ(next, 0xBEEFu);
}

// Version 2 has no channel block nor cull word; version 3 without channels only the count word.
TEST_F(FixtureTest, MeshVersionsTwoAndThree)
{
    for (uint32_t version : {2u, 3u})
    {
        Bytes bytes = Bytes().U32(16).U32(version).U32(0).Add(MeshBody(version == 3 ? 3 : 0, 0));
        if (version == 3)
            bytes.U32(0);
        KM_Stream& stream = Open(bytes.Add(Normals()));
        KM_Mesh mesh;
        ASSERT_TRUE(mesh.Read(&stream)) << version;
        EXPECT_EQ(stream.Remaining(), 0u) << version;
        EXPECT_EQ(mesh.m_Vertices.size(), 3u);
        EXPECT_EQ(mesh.m_TVertices.size(), version == 3 ? 3u : 0u);
        EXPECT_EQ(mesh.m_TFaces.size(), version == 3 ? 1u : 0u);
        EXPECT_TRUE(mesh.m_Channels.empty());
        EXPECT_EQ(mesh.m_Normals.size(), 1u);
        EXPECT_EQ(mesh.m_BackfaceCull, 1u);
        EXPECT_EQ(mesh.m_MaterialRef, -1);
    }
}

TEST_F(FixtureTest, MeshVersionFourWithChannelColoursAndCullWord)
{
    Bytes bytes;
    bytes.U32(16).U32(4).U32(0).Add(MeshBody(0, 1));
    bytes.U32(1).U32(0).U32(3).U32(2).U32(0).U32(1).U32(0).U32(99); // one channel record
    bytes.U32(2).U32(1).Floats({0.5f, 0.5f, 0, 1, 1, 0}).U32(0).U32(1).U32(1);
    bytes.Floats({1, 0.5f, 0}).U32(0).U32(0).U32(0); // colour vertex and colour face
    bytes.Add(Normals()).U32(0);
    KM_Stream& stream = Open(bytes);
    KM_Mesh mesh;
    ASSERT_TRUE(mesh.Read(&stream));
    EXPECT_EQ(stream.Remaining(), 0u);
    ASSERT_EQ(mesh.m_Channels.size(), 1u);
    EXPECT_EQ(mesh.m_Channels[0].number, 3u);
    EXPECT_EQ(mesh.m_Channels[0].reserved, 99u);
    EXPECT_EQ(mesh.m_ExtraTVertices.size(), 2u);
    ASSERT_EQ(mesh.m_PackedColors.size(), 1u);
    EXPECT_EQ(mesh.m_PackedColors[0], 0xFFFF7F00u);
    EXPECT_EQ(mesh.m_BackfaceCull, 0u);
    EXPECT_TRUE(mesh.IndicesValid());
}

TEST_F(FixtureTest, GeometryObjectVersionsTwoThreeAndFour)
{
    const Bytes mesh = Bytes().U32(16).U32(2).U32(0).Add(MeshBody(0, 0)).Add(Normals());
    for (uint32_t version : {2u, 3u, 4u})
    {
        SCOPED_TRACE(version);
        Bytes bytes;
        bytes.U32(version).U32(0).Str("Geo");
        if (version >= 3)
            bytes.Str("Parent");
        if (version >= 4)
            bytes.Byte(1);
        bytes.NodeTM("Geo").Add(mesh).U32(0xBEEF);
        KM_Stream& stream = Open(bytes);
        KM_GeoObject geo;
        ASSERT_TRUE(geo.Read(&stream));
        EXPECT_TRUE(geo.HasGeometry());
        EXPECT_EQ(geo.m_ParentName, version >= 3 ? "Parent" : "");
        EXPECT_EQ(geo.m_ShadeVerts, version >= 4 ? 1 : 0);
        uint32_t next;
        ASSERT_TRUE(stream.ReadU32(next));
        EXPECT_EQ(next, 0xBEEFu);
    }
}

TEST_F(FixtureTest, GeometryObjectWithAFailedMeshIsKeptWithoutGeometry)
{
    // The mesh claims more vertices than the file holds.
    KM_Stream& stream = Open(Bytes()
                                 .U32(4)
                                 .U32(0)
                                 .Str("Geo")
                                 .Str("")
                                 .Byte(0)
                                 .NodeTM("Geo")
                                 .U32(16)
                                 .U32(4)
                                 .U32(0)
                                 .U32(0)
                                 .U32(1000000)
                                 .U32(0)
                                 .U32(0)
                                 .U32(0)
                                 .I32(-1));
    KM_GeoObject geo;
    EXPECT_TRUE(geo.Read(&stream));
    EXPECT_FALSE(geo.HasGeometry());
    EXPECT_TRUE(m_Boxes.Shown("Error Writing KM_Mesh Data", "Exporter Error"));
}

TEST_F(FixtureTest, OutOfRangeIndicesDropTheObject)
{
    auto badFace = kmfsamples::Geo();
    badFace->m_Mesh.m_Faces[1].c = 4;
    auto badTFace = kmfsamples::Geo();
    badTFace->m_Mesh.m_TFaces[0].b = 9;
    auto badCFace = kmfsamples::Geo();
    badCFace->m_Mesh.m_CFaces[1].a = 2;
    auto badChannel = kmfsamples::Geo();
    badChannel->m_Mesh.m_Channels[0].firstTVert = 1;
    auto badChannelFace = kmfsamples::Geo();
    badChannelFace->m_Mesh.m_ExtraTFaces[1].a = 3;
    for (KM_GeoObject* geo :
         {badFace.get(), badTFace.get(), badCFace.get(), badChannel.get(), badChannelFace.get()})
    {
        KM_Stream stream;
        ASSERT_TRUE(m_Files.Open(stream, m_Files.Written(*geo)));
        auto object = CreateKMObject(&stream);
        ASSERT_NE(object, nullptr);
        m_Debug.Clear();
        EXPECT_FALSE(object->Read(&stream));
        ASSERT_EQ(m_Debug.Lines().size(), 1u);
        EXPECT_EQ(m_Debug.Lines()[0],
                  "[KM_GeoObject::Read] : mesh index out of range in \"Body\"; object dropped\n");
    }

    auto primitive = kmfsamples::Primitive();
    primitive->m_Indices[0].b = 3;
    KM_Stream stream;
    ASSERT_TRUE(m_Files.Open(stream, m_Files.Written(*primitive)));
    uint32_t typeId;
    ASSERT_TRUE(stream.ReadU32(typeId));
    m_Debug.Clear();
    KM_Primitive copy;
    EXPECT_FALSE(copy.Read(&stream));
    EXPECT_TRUE(m_Debug.Contains("[KM_Primitive::Read] : triangle index out of range"));
}

TEST_F(FixtureTest, PrimitiveOfAnotherTypeEndsAfterTheDistance)
{
    Bytes bytes;
    bytes.U32(2).U32(0).Str("PRIM_Box").U32(1).Floats({1, 2, 3, 0, 0, 0, 1, 4, 5, 6, 7, 8, 9}).U32(0xBEEF);
    KM_Stream& stream = Open(bytes);
    KM_Primitive primitive;
    ASSERT_TRUE(primitive.Read(&stream));
    EXPECT_EQ(primitive.m_Distance, 9.0f);
    EXPECT_EQ(primitive.m_Offset[0], 4.0f);
    EXPECT_EQ(stream.Remaining(), 4u);
}

TEST_F(FixtureTest, AttachmentPointWithoutUserData)
{
    KM_Stream& stream = Open(Bytes().U32(2).U32(0).Str("att-pointA").NodeTM("att-pointA").U32(0));
    KM_AttachmentPt point;
    ASSERT_TRUE(point.Read(&stream));
    EXPECT_EQ(point.GetName(), "att-pointA");
    EXPECT_EQ(point.m_UserData, "");
    EXPECT_EQ(stream.Remaining(), 0u);
}

TEST_F(FixtureTest, LightsWithAndWithoutTarget)
{
    const Bytes settings = Bytes().U32(0).U32(0).U32(1).U32(0x00FFFFFF).Floats({1, 1, 0, 0, 0, 1, 0});
    KM_Stream& plain = Open(Bytes().U32(2).U32(0).Str("Omni").NodeTM("Omni").U32(0).Add(settings));
    KM_Light omni;
    ASSERT_TRUE(omni.Read(&plain));
    EXPECT_EQ(omni.m_HasTarget, 0u);
    EXPECT_EQ(omni.m_Color, 0x00FFFFFFu);
    EXPECT_EQ(plain.Remaining(), 0u);

    KM_Stream& targeted = Open(
        Bytes().U32(3).U32(0).Str("Spot").NodeTM("Spot").U32(1).NodeTM("Spot.Target").Add(settings).U32(1));
    KM_Light spot;
    ASSERT_TRUE(spot.Read(&targeted));
    EXPECT_EQ(spot.m_TargetTM.GetName(), "Spot.Target");
    EXPECT_EQ(spot.m_UseFarAttenuation, 1u);
    EXPECT_EQ(targeted.Remaining(), 0u);
}

TEST_F(FixtureTest, MaterialWithTexturesSubTexturesAndSubMaterials)
{
    auto texture = [](const std::string& bitmap, uint32_t version, const Bytes& tail)
    {
        Bytes t;
        t.U32(15).U32(version).U32(0).Str("Map").Str("Bitmap").Str(bitmap).F32(1).U32(1).U32(0);
        t.Floats({0, 0, 1, 1, 0, 0, 0, 0, 0}).U32(0).F32(0).U32(0);
        if (version >= 3)
            t.U32(1).U32(0);
        if (version >= 4)
            t.U32(1);
        return t.Add(tail);
    };
    auto material = [](const std::string& name, const Bytes& tail)
    {
        Bytes m;
        m.U32(8).U32(2).U32(0).U32(5).Str(name).Str("Standard").U32(0x000000FF).U32(0x80FF0000).U32(0);
        return m.Floats({0, 0, 0, 0}).U32(12).Floats({0, 0}).U32(0).U32(1).Add(tail);
    };
    Bytes subTextures = Bytes().U32(1).U32(14).U32(1).U32(1).Add(texture("detail.tga", 4, Bytes().U32(0)));
    Bytes textures = Bytes().U32(1).U32(14).U32(2).U32(0).U32(1).Add(texture("crate.tga", 2, subTextures));
    Bytes subs = Bytes().U32(1).U32(7).U32(2).U32(0).U32(1).Add(material("Side", Bytes().U32(0).U32(0)));
    KM_Stream& stream = Open(material("Crate", Bytes().Add(textures).Add(subs)));
    KM_Material crate;
    ASSERT_TRUE(crate.Read(&stream));
    EXPECT_EQ(stream.Remaining(), 0u);
    EXPECT_EQ(crate.m_RefNo, 5u);
    ASSERT_EQ(crate.GetTextureCount(), 1);
    EXPECT_EQ(crate.GetTexture(0)->m_Bitmap, "crate.tga");
    EXPECT_EQ(crate.GetTexture(0)->m_BitmapFilter, 0u);
    ASSERT_NE(crate.GetTexture(0)->GetSubTextures(), nullptr);
    EXPECT_EQ(crate.GetTexture(0)->GetSubTextures()->GetTexture(0)->m_MapChannel, 1u);
    ASSERT_EQ(crate.GetSubMaterialCount(), 1);
    EXPECT_EQ(crate.GetSubMaterial(0)->GetName(), "Side");
    EXPECT_EQ(crate.GetSubMaterial(0)->GetTextureCount(), 0);

    const KM_Material::Color ambient = crate.GetAmbient();
    EXPECT_FLOAT_EQ(ambient.r, 1.0f);
    EXPECT_FLOAT_EQ(ambient.a, 0.0f);
    const KM_Material::Color diffuse = crate.GetDiffuse();
    EXPECT_FLOAT_EQ(diffuse.r, 0.0f);
    EXPECT_FLOAT_EQ(diffuse.g, 0.0f);
    EXPECT_FLOAT_EQ(diffuse.b, 1.0f);
    EXPECT_FLOAT_EQ(diffuse.a, 128.0f / 255.0f);
}

TEST_F(FixtureTest, UnknownTypeInAListIsSkippedByItsSize)
{
    Bytes bytes;
    bytes.U32(2).U32(0).U32(3);               // list version 2, size, three members
    bytes.U32(3).U32(1).U32(6).Raw("shape!"); // "*SHAPE", version 1 yet with a size word
    bytes.U32(52).U32(2).U32(0).Str("tag").NodeTM("tag").Str("x");
    bytes.U32(40).U32(2).U32(0); // an empty unknown object
    bytes.U32(0xBEEF);
    KM_Stream& stream = Open(bytes);
    KM_ObjectList list;
    ASSERT_TRUE(list.Read(&stream));
    ASSERT_EQ(list.GetCount(), 1u);
    EXPECT_EQ(list.GetFirst()->GetTypeId(), 52u);
    EXPECT_EQ(static_cast<KM_DataTag*>(list.GetFirst())->m_UserData, "x");
    EXPECT_EQ(m_Debug.Lines().size(), 2u);
    EXPECT_EQ(m_Debug.Lines()[0], "**** WARNING **** Encountered Unknown KMF Object Type\n");
    uint32_t next;
    ASSERT_TRUE(stream.ReadU32(next));
    EXPECT_EQ(next, 0xBEEFu);
}

TEST_F(FixtureTest, ListStopsAtTheEndOfTheFileAndRefusesImpossibleCounts)
{
    // A count that cannot fit fails the list with its message.
    KM_Stream& huge = Open(Bytes().U32(1).U32(0x7FFFFFFF).U32(52));
    KM_ObjectList list;
    EXPECT_FALSE(list.Read(&huge));
    EXPECT_TRUE(m_Boxes.Shown("Error Writing KM_ObjectList Data", "Exporter Error"));

    // A count that fits the bytes but whose members run out stops at the end.
    Bytes bytes = Bytes().U32(1).U32(4).U32(52).U32(2).U32(0).Str("tag").NodeTM("tag").Str("x");
    bytes.Raw(std::string(16, '\0'));
    KM_Stream& shortList = Open(bytes);
    KM_ObjectList partial;
    EXPECT_TRUE(partial.Read(&shortList));
    EXPECT_EQ(partial.GetCount(), 1u);
}

TEST_F(FixtureTest, SkeletonAndAnimationEdgeCounts)
{
    KM_Stream& empty = Open(Bytes().U32(2).U32(0).Str("Rider").U32(0).U32(12).U32(0));
    KM_Skeleton skeleton;
    ASSERT_TRUE(skeleton.Read(&empty));
    EXPECT_EQ(skeleton.m_BoneCount, 12u);
    EXPECT_TRUE(skeleton.m_Bones.empty());

    Bytes bones;
    bones.U32(2).U32(0).Str("Rider").U32(0).U32(5).U32(2);
    bones.Str("Hip").Str("").U32(0).Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}).U32(0);
    bones.Str("Leg")
        .Str("Hip")
        .U32(0)
        .Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1})
        .U32(1)
        .I32(7)
        .F32(0.5f);
    KM_Stream& twoBones = Open(bones);
    ASSERT_TRUE(skeleton.Read(&twoBones));
    EXPECT_EQ(skeleton.m_BoneCount, 5u);
    ASSERT_EQ(skeleton.m_Bones.size(), 2u);
    EXPECT_TRUE(skeleton.m_Bones[0].weights.empty());
    ASSERT_EQ(skeleton.m_Bones[1].weights.size(), 1u);
    EXPECT_EQ(skeleton.m_Bones[1].weights[0].vertex, 7);

    KM_Stream& animation = Open(Bytes()
                                    .U32(2)
                                    .U32(0)
                                    .Str("Run")
                                    .U32(0)
                                    .Str("Run")
                                    .U32(3)
                                    .U32(500)
                                    .U32(30)
                                    .U32(9)
                                    .U32(1)
                                    .Str("Hip")
                                    .Str("")
                                    .U32(0));
    KM_Animation run;
    ASSERT_TRUE(run.Read(&animation));
    EXPECT_EQ(run.m_KeyCount, 9u);
    EXPECT_EQ(run.m_BoneCount, 3u);
    ASSERT_EQ(run.m_BoneAnims.size(), 1u);
    EXPECT_TRUE(run.m_BoneAnims[0].keys.empty());

    KM_Stream& truncated = Open(Bytes().U32(2).U32(0).Str("Rider").U32(0).U32(1).U32(1).Str("Hip"));
    EXPECT_FALSE(skeleton.Read(&truncated));
    EXPECT_TRUE(m_Boxes.Shown("Error Reading KM_Skeleton Data", "Exporter Error"));
}

TEST_F(FixtureTest, ReadsFailInTextMode)
{
    const std::string path = m_Files.Put("t.kmf", Bytes().U32(2).U32(0).Data());
    KM_Stream stream;
    ASSERT_TRUE(stream.Open(path.c_str(), KM_Stream::kText));
    KM_Scene scene;
    KM_GeoObject geo;
    KM_ObjectList list;
    KM_MaterialList materials;
    EXPECT_FALSE(scene.Read(&stream));
    EXPECT_FALSE(geo.Read(&stream));
    EXPECT_FALSE(list.Read(&stream));
    EXPECT_FALSE(materials.Read(&stream));
    EXPECT_FALSE(geo.Read(nullptr));
}

TEST_F(FixtureTest, DeeplyNestedSubMaterialsAreRefused)
{
    // Each level: a material whose one sub-material list holds the next level.
    auto head = [](Bytes& b)
    {
        b.U32(8).U32(1).U32(0).Str("M").Str("").U32(0).U32(0).U32(0).Floats({0, 0, 0, 0}).U32(0);
        b.Floats({0, 0}).U32(0).U32(0).U32(0);
    };
    for (int depth : {10, 200})
    {
        Bytes bytes;
        for (int level = 0; level < depth; ++level)
        {
            head(bytes);
            bytes.U32(1).U32(7).U32(1).U32(1); // sub count, the list's type id, list version 1, count
        }
        head(bytes);
        bytes.U32(0);
        KM_Stream& stream = Open(bytes);
        KM_Material material;
        m_Boxes.Clear();
        ASSERT_TRUE(material.Read(&stream));
        int levels = 0;
        for (const KM_Material* m = &material; m->GetSubMaterialCount() != 0; m = m->GetSubMaterial(0))
            ++levels;
        if (depth == 10)
        {
            EXPECT_EQ(levels, 10);
            EXPECT_EQ(stream.Remaining(), 0u);
        }
        else
        {
            // The level past the limit fails and is dropped by its list; the reader never recurses further.
            EXPECT_EQ(levels, 15);
            EXPECT_TRUE(m_Boxes.Shown("Error Writing KM_Material Data", "Exporter Error"));
            EXPECT_TRUE(m_Debug.Contains("ERROR Reading Material\n"));
        }
    }
}

// Every index of every list is checked, wherever it sits in lists of every length (the check runs several
// words at a time and ends one by one), and indices past the sign bit count as large; a face's material id
// is not an index.
TEST_F(FixtureTest, EveryIndexOfEveryListLengthIsChecked)
{
    enum List
    {
        kFaces,
        kTextureFaces,
        kColourFaces
    };
    const uint32_t limit = 5;
    for (List list : {kFaces, kTextureFaces, kColourFaces})
        for (size_t faces = 1; faces <= 9; ++faces)
        {
            KM_Mesh mesh;
            mesh.m_Vertices.assign(limit, KM_Point3{});
            mesh.m_TVertices.assign(limit, KM_Point3{});
            mesh.m_CVertices.assign(limit, KM_Point3{});
            for (size_t f = 0; f < faces; ++f)
            {
                const uint32_t i = static_cast<uint32_t>(f % limit);
                mesh.m_Faces.push_back({i, limit - 1, 0, 0xFFFFFFFFu});
                mesh.m_TFaces.push_back({limit - 1, i, 0});
                mesh.m_CFaces.push_back({0, limit - 1, i});
            }
            ASSERT_TRUE(mesh.IndicesValid()) << faces;
            for (size_t corner = 0; corner < 3 * faces; ++corner)
                for (uint32_t bad : {limit, limit + 1, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu})
                {
                    KM_Mesh damaged(mesh);
                    uint32_t* words = list == kFaces          ? &damaged.m_Faces[corner / 3].a
                                      : list == kTextureFaces ? &damaged.m_TFaces[corner / 3].a
                                                              : &damaged.m_CFaces[corner / 3].a;
                    words[corner % 3] = bad;
                    EXPECT_FALSE(damaged.IndicesValid())
                        << "list " << list << " faces " << faces << " corner " << corner << " index " << bad;
                    words[corner % 3] = limit - 1;
                    EXPECT_TRUE(damaged.IndicesValid()) << "list " << list << " faces " << faces;
                }
        }

    KM_Mesh empty;
    empty.m_Faces.push_back({0, 0, 0, 0});
    EXPECT_FALSE(empty.IndicesValid());
}

// A mesh read over another holds only the new file's lists, and a copy keeps its own through the re-read:
// the lists share one block of the mesh's room.
TEST_F(FixtureTest, MeshReadOverAnotherHoldsOnlyTheNewLists)
{
    auto full = kmfsamples::Geo();
    KM_Stream first;
    ASSERT_TRUE(m_Files.Open(first, m_Files.Written(*full)));
    auto object = CreateKMObject(&first);
    ASSERT_NE(object, nullptr);
    ASSERT_TRUE(object->Read(&first));
    KM_Mesh& mesh = static_cast<KM_GeoObject&>(*object).m_Mesh;
    ASSERT_EQ(mesh.m_PackedColors.size(), 2u);
    const KM_Mesh copy(mesh);

    KM_Stream& second = Open(Bytes().U32(16).U32(2).U32(0).Add(MeshBody(0, 0)).Add(Normals()));
    ASSERT_TRUE(mesh.Read(&second));
    EXPECT_EQ(second.Remaining(), 0u);
    ASSERT_EQ(mesh.m_Vertices.size(), 3u);
    EXPECT_EQ(mesh.m_Vertices[1].x, 1.0f);
    ASSERT_EQ(mesh.m_Faces.size(), 1u);
    EXPECT_EQ(mesh.m_Faces[0].c, 2u);
    EXPECT_TRUE(mesh.m_TVertices.empty());
    EXPECT_TRUE(mesh.m_TFaces.empty());
    EXPECT_TRUE(mesh.m_Channels.empty());
    EXPECT_TRUE(mesh.m_ExtraTVertices.empty());
    EXPECT_TRUE(mesh.m_CVertices.empty());
    EXPECT_TRUE(mesh.m_PackedColors.empty());
    EXPECT_EQ(mesh.m_Normals.size(), 1u);

    const KM_Mesh& sample = full->m_Mesh;
    ASSERT_EQ(copy.m_Vertices.size(), sample.m_Vertices.size());
    EXPECT_EQ(copy.m_Vertices[2].y, sample.m_Vertices[2].y);
    ASSERT_EQ(copy.m_ExtraTFaces.size(), 2u);
    EXPECT_EQ(copy.m_ExtraTFaces[1].a, 2u);
    ASSERT_EQ(copy.m_PackedColors.size(), 2u);
    EXPECT_EQ(copy.m_PackedColors[0], KM_Mesh::PackColor(sample.m_CVertices[0]));
    EXPECT_NE(copy.m_Vertices.get_allocator().resource(), mesh.m_Vertices.get_allocator().resource());
    EXPECT_NE(copy.m_Vertices.get_allocator().resource(), std::pmr::get_default_resource());
}

// A mesh cut short anywhere, or one whose counts ask for more than the file holds, is refused.
TEST_F(FixtureTest, MeshCutShortOrOvercountedIsRefused)
{
    auto full = kmfsamples::Geo();
    KM_Mesh& sample = full->m_Mesh;
    const std::string whole = m_Files.Written([&sample](KM_Stream* s) { return sample.Write(s); });
    for (size_t length = 0; length <= whole.size(); ++length)
    {
        KM_Stream& stream = Open(Bytes().Raw(whole.substr(0, length)));
        KM_Mesh mesh;
        EXPECT_EQ(mesh.Read(&stream), length == whole.size()) << "cut at " << length;
    }

    // Counts of vertices, faces, texture and colour vertices, one at a time past what the bytes hold.
    for (int field = 0; field < 4; ++field)
    {
        std::string claimed = whole;
        const uint32_t huge = 0x10000000u;
        std::memcpy(&claimed[12 + 4 + 4 * field], &huge, sizeof huge);
        KM_Stream& stream = Open(Bytes().Raw(claimed));
        KM_Mesh mesh;
        EXPECT_FALSE(mesh.Read(&stream)) << field;
    }
}
