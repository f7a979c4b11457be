#include "engine/model/KM_Model.h"
#include "engine/model/KM_ObjectFactory.h"
#include "tests/support/engine/model/KmfSamples.h"
#include "tests/support/engine/model/KmfTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

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

namespace
{

// Every list a mesh reads, in file order.
std::vector<size_t> MeshListSizes(const KM_Mesh& mesh)
{
    return {mesh.m_Vertices.size(),    mesh.m_Faces.size(),     mesh.m_TVertices.size(),
            mesh.m_TFaces.size(),      mesh.m_Channels.size(),  mesh.m_ExtraTVertices.size(),
            mesh.m_ExtraTFaces.size(), mesh.m_CVertices.size(), mesh.m_CFaces.size(),
            mesh.m_Normals.size()};
}

bool SameMeshLists(const KM_Mesh& a, const KM_Mesh& b)
{
    const auto sameBytes = [](const auto& x, const auto& y)
    {
        return x.size() == y.size() &&
               (x.empty() || std::memcmp(x.data(), y.data(), x.size() * sizeof(x[0])) == 0);
    };
    return sameBytes(a.m_Vertices, b.m_Vertices) && sameBytes(a.m_Faces, b.m_Faces) &&
           sameBytes(a.m_TVertices, b.m_TVertices) && sameBytes(a.m_TFaces, b.m_TFaces) &&
           sameBytes(a.m_Channels, b.m_Channels) && sameBytes(a.m_ExtraTVertices, b.m_ExtraTVertices) &&
           sameBytes(a.m_ExtraTFaces, b.m_ExtraTFaces) && sameBytes(a.m_CVertices, b.m_CVertices) &&
           sameBytes(a.m_CFaces, b.m_CFaces) && sameBytes(a.m_Normals, b.m_Normals);
}

// A mesh of n quads, its values all told apart by the seed.
void FillQuads(KM_Mesh& mesh, uint32_t quads, float seed)
{
    kmfsamples::FillMesh(mesh);
    mesh.m_Vertices.clear();
    mesh.m_TVertices.clear();
    mesh.m_Faces.clear();
    mesh.m_TFaces.clear();
    mesh.m_CFaces.clear();
    mesh.m_Normals.clear();
    for (uint32_t q = 0; q < quads; ++q)
    {
        for (uint32_t c = 0; c < 4; ++c)
        {
            const float v = seed + static_cast<float>(q * 4 + c);
            mesh.m_Vertices.push_back({v, v + 0.5f, -v});
            mesh.m_TVertices.push_back({v * 0.25f, 1.0f - v, 0.0f});
        }
        const uint32_t at = q * 4;
        mesh.m_Faces.push_back({at, at + 1, at + 2, q});
        mesh.m_Faces.push_back({at, at + 2, at + 3, q + 1});
        mesh.m_TFaces.push_back({at, at + 1, at + 2});
        mesh.m_TFaces.push_back({at, at + 2, at + 3});
        mesh.m_CFaces.push_back({0, 1, q % 2});
        mesh.m_CFaces.push_back({1, 0, 1});
        KM_Mesh::FaceNormals normals;
        normals.face = {seed, static_cast<float>(q), 1.0f};
        normals.corner[0] = {1.0f, seed, 0.0f};
        normals.corner[1] = {0.0f, 1.0f, seed};
        normals.corner[2] = {seed, seed, static_cast<float>(q)};
        mesh.m_Normals.push_back(normals);
        mesh.m_Normals.push_back(normals);
    }
}

} // namespace

// A mesh cut short anywhere is refused with the reader's box, and no list holds records that were not in the
// file: the lists before the cut are whole, the rest empty.
TEST_F(RoundTripTest, MeshCutAnywhereIsRefusedWithOnlyWholeLists)
{
    for (uint32_t version : {2u, 3u, 4u})
    {
        KM_Mesh source;
        FillQuads(source, 3, 0.5f);
        source.SetVersion(version);
        const std::string bytes = m_Files.Written(source);
        ASSERT_FALSE(bytes.empty());
        KM_Mesh whole;
        {
            KM_Stream stream;
            ASSERT_TRUE(stream.OpenBytes(bytes, "whole.kmf", KM_Stream::kBinary));
            ASSERT_TRUE(whole.Read(&stream));
        }
        // Before version 3 a mesh stores no extra mapping channels.
        if (version >= 3)
        {
            ASSERT_TRUE(SameMeshLists(whole, source));
        }
        ASSERT_EQ(whole.m_Vertices, source.m_Vertices);
        const std::vector<size_t> full = MeshListSizes(whole);
        for (size_t length = 0; length < bytes.size(); ++length)
        {
            SCOPED_TRACE("version " + std::to_string(version) + " length " + std::to_string(length));
            m_Boxes.Clear();
            KM_Mesh mesh;
            KM_Stream stream;
            ASSERT_TRUE(stream.OpenBytes(bytes.substr(0, length), "cut.kmf", KM_Stream::kBinary));
            EXPECT_FALSE(mesh.Read(&stream));
            ASSERT_EQ(m_Boxes.Boxes().size(), 1u);
            EXPECT_TRUE(m_Boxes.Shown("Error Writing KM_Mesh Data", "Exporter Error"));
            const std::vector<size_t> sizes = MeshListSizes(mesh);
            bool emptySeen = false;
            for (size_t i = 0; i < sizes.size(); ++i)
            {
                EXPECT_TRUE(sizes[i] == 0 || sizes[i] == full[i]) << "list " << i;
                // After a list left empty by the cut nothing more is read.
                if (full[i] != 0 && sizes[i] == 0)
                {
                    emptySeen = true;
                }
                else if (emptySeen)
                {
                    EXPECT_EQ(sizes[i], 0u) << "list " << i;
                }
            }
            EXPECT_EQ(mesh.m_Vertices, sizes[0] ? whole.m_Vertices : KM_Mesh::Array<KM_Point3>());
            if (!mesh.m_Normals.empty())
            {
                EXPECT_TRUE(SameMeshLists(mesh, whole));
            }
        }
    }
}

// Counts that ask for more records than the file holds are refused before anything is taken for them.
TEST_F(RoundTripTest, MeshCountsBeyondTheFileAreRefused)
{
    KM_Mesh source;
    FillQuads(source, 2, 1.0f);
    const std::string bytes = m_Files.Written(source);
    // Offsets of the vertex, face, texture vertex and colour vertex counts after the frame and time value.
    const struct
    {
        size_t at;
        uint32_t count;
    } cases[] = {
        {16, 1000}, {16, 0xFFFFFFFFu}, {20, 100},  {20, 0x80000000u},
        {24, 1000}, {24, 0xFFFFFFFFu}, {28, 1000}, {28, 0x40000000u},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE("word " + std::to_string(c.at) + " count " + std::to_string(c.count));
        std::string garbled = bytes;
        std::memcpy(&garbled[c.at], &c.count, sizeof c.count);
        m_Boxes.Clear();
        KM_Mesh mesh;
        KM_Stream stream;
        ASSERT_TRUE(stream.OpenBytes(garbled, "garbled.kmf", KM_Stream::kBinary));
        EXPECT_FALSE(mesh.Read(&stream));
        EXPECT_EQ(m_Boxes.Boxes().size(), 1u);
        EXPECT_TRUE(mesh.m_Normals.empty());
    }
}

// One mesh read over another, and meshes read side by side, each hold exactly their own file's records:
// nothing of a list read before shows through room used again.
TEST_F(RoundTripTest, MeshesReadOverAndBesideEachOtherKeepTheirOwnRecords)
{
    const struct
    {
        uint32_t quads;
        float seed;
    } files[] = {{40, 1.0f}, {3, 200.0f}, {0, 7.0f}, {25, -3.0f}, {1, 9.5f}};
    std::vector<std::string> bytes;
    std::vector<std::unique_ptr<KM_Mesh>> sources;
    for (const auto& f : files)
    {
        sources.push_back(std::make_unique<KM_Mesh>());
        FillQuads(*sources.back(), f.quads, f.seed);
        bytes.push_back(m_Files.Written(*sources.back()));
        ASSERT_FALSE(bytes.back().empty());
    }
    KM_Mesh reused;
    std::vector<std::unique_ptr<KM_Mesh>> alive;
    for (size_t i = 0; i < bytes.size(); ++i)
    {
        SCOPED_TRACE(i);
        KM_Stream first, second;
        ASSERT_TRUE(first.OpenBytes(bytes[i], "a.kmf", KM_Stream::kBinary));
        ASSERT_TRUE(second.OpenBytes(bytes[i], "b.kmf", KM_Stream::kBinary));
        ASSERT_TRUE(reused.Read(&first));
        alive.push_back(std::make_unique<KM_Mesh>());
        ASSERT_TRUE(alive.back()->Read(&second));
        EXPECT_TRUE(SameMeshLists(reused, *sources[i]));
        EXPECT_TRUE(SameMeshLists(*alive.back(), *sources[i]));
    }
    for (size_t i = 0; i < alive.size(); ++i)
        EXPECT_TRUE(SameMeshLists(*alive[i], *sources[i])) << "mesh " << i;
}

// The welded corners of a mesh read from a file sit in the block its lists came in: a mesh read over another,
// meshes read side by side and a copy taken before its source is read again each keep exactly the corners
// of their own file, as a weld of the same lists built in memory gives them.
TEST_F(RoundTripTest, MeshesReadAndWeldedKeepTheirOwnCorners)
{
    const struct
    {
        uint32_t quads;
        float seed;
    } files[] = {{40, 1.0f}, {3, 200.0f}, {0, 7.0f}, {25, -3.0f}, {1, 9.5f}};
    std::vector<std::string> bytes;
    std::vector<std::unique_ptr<KM_Mesh>> sources;
    std::vector<bool> welds;
    for (const auto& f : files)
    {
        sources.push_back(std::make_unique<KM_Mesh>());
        FillQuads(*sources.back(), f.quads, f.seed);
        bytes.push_back(m_Files.Written(*sources.back()));
        ASSERT_FALSE(bytes.back().empty());
        welds.push_back(KM_Model::WeldMesh(*sources.back()));
        EXPECT_EQ(sources.back()->m_Render.indices.size(), welds.back() ? 6u * f.quads : 0u);
    }
    KM_Mesh reused;
    std::vector<std::unique_ptr<KM_Mesh>> alive;
    std::vector<std::unique_ptr<KM_Mesh>> copies;
    for (size_t i = 0; i < bytes.size(); ++i)
    {
        SCOPED_TRACE(i);
        KM_Stream first, second;
        ASSERT_TRUE(first.OpenBytes(bytes[i], "a.kmf", KM_Stream::kBinary));
        ASSERT_TRUE(second.OpenBytes(bytes[i], "b.kmf", KM_Stream::kBinary));
        ASSERT_TRUE(reused.Read(&first));
        alive.push_back(std::make_unique<KM_Mesh>());
        ASSERT_TRUE(alive.back()->Read(&second));
        EXPECT_EQ(KM_Model::WeldMesh(reused), welds[i]);
        EXPECT_EQ(KM_Model::WeldMesh(*alive.back()), welds[i]);
        EXPECT_EQ(reused.m_Render.indices, sources[i]->m_Render.indices);
        EXPECT_EQ(alive.back()->m_Render.indices, sources[i]->m_Render.indices);
        EXPECT_EQ(reused.m_Render.sourceVertex, sources[i]->m_Render.sourceVertex);
        copies.push_back(std::make_unique<KM_Mesh>(reused));
    }
    for (size_t i = 0; i < alive.size(); ++i)
    {
        EXPECT_EQ(alive[i]->m_Render.indices, sources[i]->m_Render.indices) << "mesh " << i;
        EXPECT_EQ(copies[i]->m_Render.indices, sources[i]->m_Render.indices) << "copy " << i;
    }
}

// A skeleton or an animation cut short anywhere after its type id is refused with its reader's box, and
// keeps only the bones or tracks read whole before the cut, each as the whole file gives it.
TEST_F(RoundTripTest, SkeletonsAndAnimationsCutAnywhereKeepOnlyWholeRecords)
{
    const auto cutEverywhere = [this](KM_Object& source, auto make, const char* box, auto check)
    {
        const std::string bytes = m_Files.Written(source);
        ASSERT_GT(bytes.size(), 4u);
        auto whole = make();
        {
            KM_Stream stream;
            uint32_t typeId = 0;
            ASSERT_TRUE(stream.OpenBytes(bytes, "whole.kmf", KM_Stream::kBinary) && stream.ReadU32(typeId));
            ASSERT_TRUE(whole->Read(&stream));
        }
        for (size_t length = 4; length < bytes.size(); ++length)
        {
            SCOPED_TRACE(std::string(box) + " length " + std::to_string(length));
            m_Boxes.Clear();
            auto cut = make();
            KM_Stream stream;
            uint32_t typeId = 0;
            ASSERT_TRUE(stream.OpenBytes(bytes.substr(0, length), "cut.kmf", KM_Stream::kBinary) &&
                        stream.ReadU32(typeId));
            EXPECT_FALSE(cut->Read(&stream));
            ASSERT_EQ(m_Boxes.Boxes().size(), 1u);
            EXPECT_TRUE(m_Boxes.Shown(box, "Exporter Error"));
            check(*cut, *whole);
        }
    };
    auto skeleton = kmfsamples::Skeleton();
    cutEverywhere(
        *skeleton, [] { return std::make_unique<KM_Skeleton>(); }, "Error Reading KM_Skeleton Data",
        [](const KM_Skeleton& cut, const KM_Skeleton& whole)
        {
            ASSERT_LT(cut.m_Bones.size(), whole.m_Bones.size());
            for (const auto& [index, bone] : cut.m_Bones)
            {
                const KM_Skeleton::Bone& full = whole.m_Bones.at(index);
                EXPECT_EQ(bone.name, full.name);
                EXPECT_EQ(bone.parentName, full.parentName);
                EXPECT_EQ(bone.word, full.word);
                EXPECT_EQ(std::memcmp(bone.orientation, full.orientation, sizeof bone.orientation), 0);
                ASSERT_EQ(bone.weights.size(), full.weights.size());
                for (size_t w = 0; w < bone.weights.size(); ++w)
                {
                    EXPECT_EQ(bone.weights[w].vertex, full.weights[w].vertex);
                    EXPECT_EQ(bone.weights[w].weight, full.weights[w].weight);
                }
            }
        });
    auto animation = kmfsamples::Animation();
    cutEverywhere(
        *animation, [] { return std::make_unique<KM_Animation>(); }, "Error Reading KM_Animation Data",
        [](const KM_Animation& cut, const KM_Animation& whole)
        {
            ASSERT_LT(cut.m_BoneAnims.size(), whole.m_BoneAnims.size());
            for (const auto& [index, track] : cut.m_BoneAnims)
            {
                const KM_Animation::Track& full = whole.m_BoneAnims.at(index);
                EXPECT_EQ(track.boneName, full.boneName);
                EXPECT_EQ(track.parentName, full.parentName);
                ASSERT_EQ(track.keys.size(), full.keys.size());
                if (!track.keys.empty())
                {
                    EXPECT_EQ(std::memcmp(track.keys.data(), full.keys.data(),
                                          track.keys.size() * sizeof track.keys[0]),
                              0);
                }
            }
        });
}
