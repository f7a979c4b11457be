#include "engine/model/kaMesh.h"

#include "engine/core/kaFileSystem.h"
#include "engine/model/KM_Light.h"
#include "engine/model/KM_Model.h"
#include "engine/model/KM_Texture.h"
#include "engine/model/KM_TextureList.h"
#include "engine/model/kaBoxPrimitive.h"
#include "engine/model/kaCappedCylinderPrimitive.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaSpherePrimitive.h"
#include "engine/model/kaTriMeshPrimitive.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaTGAImage.h"
#include "engine/render/kaTexture.h"
#include "engine/render/kaTextureStage.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/engine/model/KmfTestSupport.h"
#include "tests/support/engine/model/MeshTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using meshtest::AddFace;
using meshtest::LitVertex;
using meshtest::PlainVertex;
using meshtest::ReadIndices;
using meshtest::ReadVertices;

namespace
{

class MeshFromFile : public GraphicsManagerFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(Start(nullptr)); }

    // Builds the model and returns a mesh read from it, held by one reference.
    kaMesh* Load(const std::string& name, uint32_t buildOptions = 0)
    {
        const std::string path = meshtest::WriteModelFile(m_Dir.File(name), m_Materials, m_Objects);
        EXPECT_FALSE(path.empty());
        auto* mesh = new kaMesh(path, buildOptions);
        mesh->AddRef();
        m_Loaded.push_back(mesh);
        return mesh;
    }

    void TearDown() override
    {
        for (kaMesh* mesh : m_Loaded)
            mesh->Release();
    }

    // A quad of four file vertices: face 0 (0, 1, 2) and face 1 (0, 2, 3), in the y = 0 plane.
    KM_GeoObject& Quad(int32_t materialRef, uint32_t firstId, uint32_t secondId)
    {
        auto geo = meshtest::Geo("Quad", materialRef);
        KM_Mesh& mesh = geo->m_Mesh;
        mesh.m_Vertices = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}};
        AddFace(mesh, 0, 1, 2, firstId);
        AddFace(mesh, 0, 2, 3, secondId);
        KM_GeoObject& result = *geo;
        m_Objects.Append(std::move(geo));
        return result;
    }

    // "Crate" with the sub-materials "Side" and "Top".
    void AddCrateMaterial()
    {
        auto material = meshtest::Material("Crate");
        material->SubMaterials().Append(meshtest::Material("Side"));
        material->SubMaterials().Append(meshtest::Material("Top"));
        m_Materials.Append(std::move(material));
    }

    KM_MaterialList m_Materials;
    KM_ObjectList m_Objects;
    kmftest::MessageBoxCapture m_Boxes;
    std::vector<kaMesh*> m_Loaded;
};

TEST_F(MeshFromFile, OneSubsetPerUsedSubMaterialNamedByTheMeshCount)
{
    AddCrateMaterial();
    Quad(0, 1, 0);

    const kaMesh* mesh = Load("crate.kmf");
    ASSERT_EQ(mesh->GetSubsetCount(), 2u);
    EXPECT_EQ(mesh->GetSubset(0)->m_Name, "Crate submaterial 1");
    EXPECT_EQ(mesh->GetSubset(1)->m_Name, "Crate submaterial 2");
    // Face 1 has id 0, so the first subset holds it alone: one triangle each.
    EXPECT_EQ(mesh->GetSubset(0)->m_PrimitiveCount, 1u);
    EXPECT_EQ(mesh->GetSubset(1)->m_PrimitiveCount, 1u);
    EXPECT_EQ(mesh->FindSubset("Crate submaterial 2"), mesh->GetSubset(1));
    EXPECT_EQ(mesh->FindSubset("crate submaterial 2"), nullptr);
    EXPECT_EQ(mesh->ka3DObject::GetName(), "Quad");
    EXPECT_EQ(mesh->GetName(), ResolvePath(m_Dir.File("crate.kmf")));
    EXPECT_EQ(mesh->GetFVF(), 0x012u);
    EXPECT_EQ(mesh->GetTriangleCount(), 2u);
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

// The buffers of a freed mesh go with it, and the next mesh may be built in the same memory: it reads back
// only its own vertices and indices, and a run made after it reads as zero, not as the freed mesh's data.
TEST_F(MeshFromFile, AMeshBuiltAfterAnotherWasFreedReadsOnlyItsOwnData)
{
    m_Materials.Append(meshtest::Material("Plain"));
    KM_ObjectList wide;
    {
        auto geo = meshtest::Geo("Wide", 0);
        KM_Mesh& mesh = geo->m_Mesh;
        for (uint32_t i = 0; i < 300; ++i)
        {
            const float x = 1000.0f + static_cast<float>(i);
            mesh.m_Vertices.push_back({x, -50.0f, x});
            mesh.m_Vertices.push_back({x, 50.0f, x});
            mesh.m_Vertices.push_back({x + 0.5f, 50.0f, -x});
            AddFace(mesh, 3 * i, 3 * i + 1, 3 * i + 2, 0, {0.5f, 0.5f, 0.70710677f});
        }
        wide.Append(std::move(geo));
    }
    const std::string firstPath = meshtest::WriteModelFile(m_Dir.File("wide.kmf"), m_Materials, wide);
    ASSERT_FALSE(firstPath.empty());
    auto* first = new kaMesh(firstPath, 0);
    first->AddRef();
    ASSERT_EQ(first->GetSubsetCount(), 1u);
    ASSERT_EQ(first->GetSubset(0)->m_VertexCount, 900u);
    first->Release();

    Quad(0, 0, 0);
    const kaMesh* second = Load("quad.kmf");
    ASSERT_EQ(second->GetSubsetCount(), 1u);
    const kaMeshSubset* subset = second->GetSubset(0);
    ASSERT_EQ(subset->m_VertexCount, 4u);
    // Welded in corner order 0, 2, 1 then 3: file vertices 0, 2, 1, 3.
    const float expected[4][3] = {{0, 0, 0}, {1, 0, 1}, {1, 0, 0}, {0, 0, 1}};
    for (kaResourceHandle handle : {subset->m_VertexBuffer, subset->m_SysVertexBuffer})
    {
        const std::vector<PlainVertex> vertices = ReadVertices<PlainVertex>(handle, 4);
        ASSERT_EQ(vertices.size(), 4u);
        for (int i = 0; i < 4; ++i)
        {
            SCOPED_TRACE(i);
            EXPECT_EQ(vertices[i].x, expected[i][0]);
            EXPECT_EQ(vertices[i].y, expected[i][1]);
            EXPECT_EQ(vertices[i].z, expected[i][2]);
            EXPECT_EQ(vertices[i].nx, 0.0f);
            EXPECT_EQ(vertices[i].ny, 1.0f);
            EXPECT_EQ(vertices[i].nz, 0.0f);
        }
    }
    for (kaResourceHandle handle : {subset->m_IndexBuffer, subset->m_SysIndexBuffer})
        EXPECT_EQ(ReadIndices(handle, 6), (std::vector<uint16_t>{0, 1, 2, 0, 3, 1}));

    // Runs placed after the quad's, where the freed mesh's vertices and indices once were.
    for (uint32_t pool : {platform::POOL_MANAGED, platform::POOL_SYSTEMMEM})
    {
        SCOPED_TRACE(pool);
        kaResourceHandle vertices = 0, indices = 0;
        g_pGraphicsManager->CreateVertexBuffer(vertices, 900, second->GetFVF(), pool);
        g_pGraphicsManager->CreateIndexBuffer(indices, 900, pool);
        ASSERT_NE(vertices, 0u);
        ASSERT_NE(indices, 0u);
        const std::vector<uint8_t> vertexBytes = ReadVertices<uint8_t>(vertices, 900 * sizeof(PlainVertex));
        EXPECT_EQ(vertexBytes, std::vector<uint8_t>(900 * sizeof(PlainVertex), 0));
        EXPECT_EQ(ReadIndices(indices, 900), std::vector<uint16_t>(900, 0));
        g_pGraphicsManager->ReleaseVertexBuffer(vertices);
        g_pGraphicsManager->ReleaseIndexBuffer(indices);
    }
}

TEST_F(MeshFromFile, MaterialIdsPastTheSubMaterialsGoToTheLast)
{
    AddCrateMaterial();
    Quad(0, 2, 7);

    const kaMesh* mesh = Load("clamped.kmf");
    ASSERT_EQ(mesh->GetSubsetCount(), 1u);
    EXPECT_EQ(mesh->GetSubset(0)->m_Name, "Crate submaterial 1");
    EXPECT_EQ(mesh->GetSubset(0)->m_PrimitiveCount, 2u);
}

TEST_F(MeshFromFile, WithoutSubMaterialsEveryFaceIsInOneSubset)
{
    m_Materials.Append(meshtest::Material("Plain"));
    Quad(0, 3, 9);
    const kaMesh* mesh = Load("plain.kmf");
    ASSERT_EQ(mesh->GetSubsetCount(), 1u);
    EXPECT_EQ(mesh->GetSubset(0)->m_Name, "Plain");
    EXPECT_EQ(mesh->GetSubset(0)->m_IndexCount, 6u);
    EXPECT_EQ(mesh->GetSubset(0)->m_VertexCount, 4u);
}

TEST_F(MeshFromFile, SubsetVerticesAreRenumberedAndMappedToTheirFileVertices)
{
    AddCrateMaterial();
    Quad(0, 0, 1);

    const kaMesh* mesh = Load("renumber.kmf");
    ASSERT_EQ(mesh->GetSubsetCount(), 2u);
    // Welded in corner order 0, 2, 1 per face: render vertices are file vertices 0, 2, 1, 3. The
    // second face uses render vertices 0, 3, 1, which become 0, 2, 1 of its own.
    const kaMeshSubset* second = mesh->GetSubset(1);
    EXPECT_EQ(second->m_VertexCount, 3u);
    EXPECT_EQ(second->m_FirstVertex, 0u);
    EXPECT_EQ(ReadIndices(second->m_IndexBuffer, 3), (std::vector<uint16_t>{0, 2, 1}));
    EXPECT_EQ(ReadIndices(second->m_SysIndexBuffer, 3), (std::vector<uint16_t>{0, 2, 1}));
    EXPECT_EQ(second->m_SourceVertexMap, (std::vector<uint32_t>{0, 2, 3}));
    const std::vector<PlainVertex> vertices = ReadVertices<PlainVertex>(second->m_SysVertexBuffer, 3);
    EXPECT_EQ(vertices[1].x, 1.0f);
    EXPECT_EQ(vertices[1].z, 1.0f);
    EXPECT_EQ(vertices[2].x, 0.0f);
    EXPECT_EQ(vertices[2].z, 1.0f);
    EXPECT_EQ(vertices[2].ny, 1.0f);
    EXPECT_EQ(mesh->GetSubset(0)->m_SourceVertexMap, (std::vector<uint32_t>{0, 2, 1}));
}

TEST_F(MeshFromFile, TextureAndColourChannelsShapeTheFormat)
{
    m_Materials.Append(meshtest::Material("Painted"));
    KM_GeoObject& geo = Quad(0, 0, 0);
    KM_Mesh& mesh = geo.m_Mesh;
    mesh.m_TVertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    mesh.m_TFaces = {{0, 1, 2}, {0, 2, 3}};
    mesh.m_CVertices = {{1, 0, 0}};
    mesh.m_CFaces = {{0, 0, 0}, {0, 0, 0}};
    const kaMesh* loaded = Load("painted.kmf");
    EXPECT_EQ(loaded->GetFVF(), 0x152u);
    ASSERT_EQ(loaded->GetSubsetCount(), 1u);
    const std::vector<LitVertex> vertices =
        ReadVertices<LitVertex>(loaded->GetSubset(0)->m_SysVertexBuffer, 4);
    ASSERT_EQ(vertices.size(), 4u);
    // Texture v is stored flipped; the colour is packed with full alpha.
    EXPECT_EQ(vertices[0].v, 1.0f);
    EXPECT_EQ(vertices[0].color, KM_Mesh::PackColor({1, 0, 0}));
}

// Every packed vertex, field by field, against the file vertex it came from: position, the face's
// normal, the one colour and the texture coordinates with v flipped, in both copies of the buffer.
TEST_F(MeshFromFile, EveryPackedVertexHoldsItsFileVertexFields)
{
    m_Materials.Append(meshtest::Material("Painted"));
    KM_GeoObject& geo = Quad(0, 0, 0);
    KM_Mesh& mesh = geo.m_Mesh;
    mesh.m_TVertices = {{0.25f, 0.5f, 0}, {0.75f, 0.125f, 0}, {1, 0.875f, 0}, {0.5f, 0.375f, 0}};
    mesh.m_TFaces = {{0, 1, 2}, {0, 2, 3}};
    mesh.m_CVertices = {{0, 0.5f, 1}};
    mesh.m_CFaces = {{0, 0, 0}, {0, 0, 0}};
    const std::vector<KM_Point3> positions(mesh.m_Vertices.begin(), mesh.m_Vertices.end());
    const std::vector<KM_Point3> texels(mesh.m_TVertices.begin(), mesh.m_TVertices.end());
    const kaMesh* loaded = Load("fields.kmf");
    ASSERT_EQ(loaded->GetFVF(), 0x152u);
    ASSERT_EQ(loaded->GetSubsetCount(), 1u);
    const kaMeshSubset* subset = loaded->GetSubset(0);
    ASSERT_EQ(subset->m_VertexCount, 4u);
    ASSERT_EQ(subset->m_SourceVertexMap.size(), 4u);
    for (kaResourceHandle buffer : {subset->m_VertexBuffer, subset->m_SysVertexBuffer})
    {
        const std::vector<LitVertex> vertices = ReadVertices<LitVertex>(buffer, 4);
        ASSERT_EQ(vertices.size(), 4u);
        for (size_t k = 0; k < vertices.size(); ++k)
        {
            const uint32_t source = subset->m_SourceVertexMap[k];
            ASSERT_LT(source, positions.size());
            const LitVertex& v = vertices[k];
            EXPECT_EQ(v.x, positions[source].x) << k;
            EXPECT_EQ(v.y, positions[source].y) << k;
            EXPECT_EQ(v.z, positions[source].z) << k;
            EXPECT_EQ(v.nx, 0.0f) << k;
            EXPECT_EQ(v.ny, 1.0f) << k;
            EXPECT_EQ(v.nz, 0.0f) << k;
            EXPECT_EQ(v.color, KM_Mesh::PackColor({0, 0.5f, 1})) << k;
            EXPECT_EQ(v.u, texels[source].x) << k;
            EXPECT_EQ(v.v, 1.0f - texels[source].y) << k;
        }
    }
}

TEST_F(MeshFromFile, GeometryWithoutAUsableMaterialHasNoSubsets)
{
    m_Materials.Append(meshtest::Material("Only"));
    Quad(-1, 0, 0);
    Quad(5, 0, 0);
    Quad(-7, 0, 0);
    testsupport::DebugCapture debug;
    const kaMesh* mesh = Load("nomaterial.kmf");
    EXPECT_EQ(mesh->GetSubsetCount(), 0u);
    EXPECT_TRUE(debug.Contains("refers to material 5"));
    EXPECT_TRUE(debug.Contains("refers to material -7"));
}

TEST_F(MeshFromFile, ASubsetPastSixteenBitIndicesIsDroppedAndTheOthersKept)
{
    auto material = meshtest::Material("Huge");
    material->SubMaterials().Append(meshtest::Material("Many"));
    material->SubMaterials().Append(meshtest::Material("Few"));
    m_Materials.Append(std::move(material));
    auto geo = meshtest::Geo("Huge", 0);
    KM_Mesh& mesh = geo->m_Mesh;
    // 21846 triangles of their own three vertices: 65538 vertices for the first subset.
    const uint32_t triangles = 21846;
    for (uint32_t t = 0; t < triangles; ++t)
    {
        const float x = static_cast<float>(t);
        mesh.m_Vertices.push_back({x, 0, 0});
        mesh.m_Vertices.push_back({x, 0, 1});
        mesh.m_Vertices.push_back({x, 1, 0});
        AddFace(mesh, 3 * t, 3 * t + 1, 3 * t + 2, 0);
    }
    const uint32_t last = static_cast<uint32_t>(mesh.m_Vertices.size());
    mesh.m_Vertices.push_back({-1, 0, 0});
    mesh.m_Vertices.push_back({-1, 0, 1});
    mesh.m_Vertices.push_back({-1, 1, 0});
    AddFace(mesh, last, last + 1, last + 2, 1);
    m_Objects.Append(std::move(geo));

    testsupport::DebugCapture debug;
    const kaMesh* loaded = Load("huge.kmf");
    ASSERT_EQ(loaded->GetSubsetCount(), 1u);
    EXPECT_EQ(loaded->GetSubset(0)->m_VertexCount, 3u);
    EXPECT_TRUE(debug.Contains("needs 65538 vertices"));
}

// Corners index the welded vertices: a run naming one past them is dropped whole, wherever it stands, and
// a good run keeps the distinct vertices it uses.
TEST_F(MeshFromFile, SubsetCornersPastTheWeldedVerticesDropTheSubset)
{
    KM_Mesh& source = Quad(0, 0, 0).m_Mesh;
    KM_Model::WeldMesh(source);
    ASSERT_EQ(source.m_Render.vertexCount, 4u);
    const struct
    {
        std::vector<uint32_t> corners;
        bool built;
        uint32_t vertices;
    } cases[] = {
        {{0, 1, 2}, true, 3},  {{3, 2, 0, 0, 2, 1}, true, 4},   {{2, 3, 3}, true, 2}, {{0, 1, 4}, false, 0},
        {{4, 0, 1}, false, 0}, {{0, 1, 0xFFFFFFFFu}, false, 0}, {{}, false, 0},
    };
    for (const auto& c : cases)
    {
        kaMesh mesh(0x012, 1, 3, 1, false);
        const uint32_t before = mesh.GetSubsetCount();
        mesh.BuildSubsetBuffers(new kaMeshSubset, source, c.corners.data(), c.corners.size());
        ASSERT_EQ(mesh.GetSubsetCount(), before + (c.built ? 1u : 0u)) << c.corners.size();
        if (c.built)
        {
            const kaMeshSubset& built = *mesh.GetSubset(before);
            EXPECT_EQ(built.m_VertexCount, c.vertices);
            EXPECT_EQ(built.m_IndexCount, c.corners.size());
        }
    }
}

// Whatever order the corners meet their vertices in, the buffer holds the distinct ones ascending and the
// indices name them by that rank; a run that names one past the welded vertices in first-use order too is
// dropped.
TEST_F(MeshFromFile, SubsetVerticesAreTheDistinctCornersAscendingWhateverTheirOrder)
{
    KM_Mesh& source = Quad(0, 0, 0).m_Mesh;
    KM_Model::WeldMesh(source);
    const KM_Mesh::RenderData& render = source.m_Render;
    ASSERT_EQ(render.vertexCount, 4u);
    const struct
    {
        const char* name;
        std::vector<uint32_t> corners;
        bool built;
    } cases[] = {
        {"first use in order, every vertex", {0, 1, 2, 0, 2, 3}, true},
        {"first use in order, the first three", {0, 1, 2, 2, 1, 0}, true},
        {"every vertex, out of order", {3, 2, 0, 0, 2, 1}, true},
        {"a gap below", {2, 3, 3}, true},
        {"a gap between", {0, 2, 3}, true},
        {"one past the vertices, in order", {0, 1, 2, 3, 4, 0}, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        kaMesh mesh(0x012, 1, 3, 1, false);
        const uint32_t before = mesh.GetSubsetCount();
        mesh.BuildSubsetBuffers(new kaMeshSubset, source, c.corners.data(), c.corners.size());
        ASSERT_EQ(mesh.GetSubsetCount(), before + (c.built ? 1u : 0u));
        if (!c.built)
            continue;
        const std::set<uint32_t> distinct(c.corners.begin(), c.corners.end());
        const std::vector<uint32_t> ascending(distinct.begin(), distinct.end());
        const kaMeshSubset& built = *mesh.GetSubset(before);
        ASSERT_EQ(built.m_VertexCount, ascending.size());
        const std::vector<uint16_t> indices = ReadIndices(built.m_SysIndexBuffer, built.m_IndexCount);
        ASSERT_EQ(indices.size(), c.corners.size());
        for (size_t i = 0; i < c.corners.size(); ++i)
            EXPECT_EQ(ascending[indices[i]], c.corners[i]) << "corner " << i;
        const std::vector<PlainVertex> vertices =
            ReadVertices<PlainVertex>(built.m_SysVertexBuffer, built.m_VertexCount);
        ASSERT_EQ(built.m_SourceVertexMap.size(), ascending.size());
        for (size_t k = 0; k < ascending.size(); ++k)
        {
            EXPECT_EQ(vertices[k].x, render.positions[3 * ascending[k]]) << k;
            EXPECT_EQ(vertices[k].z, render.positions[3 * ascending[k] + 2]) << k;
            EXPECT_EQ(built.m_SourceVertexMap[k], render.sourceVertex[ascending[k]]) << k;
        }
    }
}

TEST_F(MeshFromFile, CollisionPrimitivesComeFromThePrimitiveObjects)
{
    auto box = meshtest::Primitive("Crate", 0);
    box->m_Width = -2.0f;
    box->m_Length = 3.0f;
    box->m_Height = -4.0f;
    box->m_Offset[1] = 1.5f;
    box->m_Rotation[3] = 0.5f;
    m_Objects.Append(std::move(box));
    auto sphere = meshtest::Primitive("Ball", 1);
    sphere->m_Radius = 0.75f;
    sphere->m_Rotation[3] = 1.0f;
    m_Objects.Append(std::move(sphere));
    auto cylinder = meshtest::Primitive("Pipe", 2);
    cylinder->m_Radius = 0.5f;
    cylinder->m_Height = -6.0f;
    m_Objects.Append(std::move(cylinder));
    m_Objects.Append(meshtest::Primitive("Plane", 3));
    auto soup = meshtest::Primitive("Ramp", KM_Primitive::kTriangleMesh);
    soup->m_Vertices = {{0, 0, 0}, {2, 0, 0}, {0, 3, -1}};
    soup->m_Indices = {{0, 1, 2, 9}};
    soup->m_IndexExtras = {{0, 0, 1}};
    m_Objects.Append(std::move(soup));
    auto trigger = meshtest::Primitive("PRIM_TRIGGER_goal", 0);
    m_Objects.Append(std::move(trigger));

    const kaMesh* mesh = Load("primitives.kmf");
    ASSERT_EQ(mesh->GetPrimitiveCount(), 5);
    const auto* built = static_cast<const kaBoxPrimitive*>(mesh->GetPrimitive(0));
    EXPECT_EQ(built->m_Type, kaCollisionPrimitive::kBox);
    EXPECT_EQ(built->m_Name, "Crate");
    EXPECT_EQ(built->m_Width, 2.0f);
    EXPECT_EQ(built->m_Length, 3.0f);
    EXPECT_EQ(built->m_Height, 4.0f);
    EXPECT_EQ(built->m_Position, platform::Vector3(0, 1.5f, 0));
    EXPECT_EQ(built->m_Rotation.w, 0.5f);
    EXPECT_FALSE(built->m_Trigger);

    const auto* ball = static_cast<const kaSpherePrimitive*>(mesh->GetPrimitive(1));
    EXPECT_EQ(ball->m_Type, kaCollisionPrimitive::kSphere);
    EXPECT_EQ(ball->m_Radius, 0.75f);
    EXPECT_EQ(ball->m_Rotation.w, 0.0f);

    const auto* pipe = static_cast<const kaCappedCylinderPrimitive*>(mesh->GetPrimitive(2));
    EXPECT_EQ(pipe->m_Type, kaCollisionPrimitive::kCappedCylinder);
    EXPECT_EQ(pipe->m_Length, 6.0f);
    EXPECT_EQ(pipe->m_Radius, 0.5f);

    const auto* ramp = static_cast<const kaTriMeshPrimitive*>(mesh->GetPrimitive(3));
    EXPECT_EQ(ramp->m_Type, kaCollisionPrimitive::kTriangleMesh);
    ASSERT_EQ(ramp->m_Faces.size(), 1u);
    EXPECT_EQ(ramp->m_Faces[0].c, 2u);
    ASSERT_EQ(ramp->m_FaceVectors.size(), 1u);
    EXPECT_EQ(ramp->m_FaceVectors[0], platform::Vector3(0, 0, 1));
    EXPECT_EQ(ramp->m_Min, platform::Vector3(0, 0, -1));
    EXPECT_EQ(ramp->m_Max, platform::Vector3(2, 3, 0));

    EXPECT_TRUE(mesh->GetPrimitive(4)->m_Trigger);
    EXPECT_EQ(mesh->GetPrimitive(4)->m_Type, kaCollisionPrimitive::kBox);
    EXPECT_EQ(mesh->GetPrimitive(5), nullptr);
    EXPECT_EQ(mesh->GetPrimitive(-1), nullptr);
}

TEST_F(MeshFromFile, VertexBoxesCutDecalRegionsThatFadeOutside)
{
    m_Materials.Append(meshtest::Material("Ground"));
    auto geo = meshtest::Geo("Ground", 0);
    KM_Mesh& mesh = geo->m_Mesh;
    mesh.m_Vertices = {{0, 0, 0}, {5, 0, 0}, {0, 0, 5}, {10, 0, 10}, {12, 0, 10}, {10, 0, 12}};
    AddFace(mesh, 0, 1, 2, 0);
    AddFace(mesh, 3, 4, 5, 0);
    m_Objects.Append(std::move(geo));
    // The box's local z points along +y in the model: from its position it reaches length units up.
    auto door = meshtest::Primitive("PRIM_VERTBOX_door", 0);
    door->m_Width = 1.0f;
    door->m_Height = 1.0f;
    door->m_Length = 2.0f;
    door->m_Offset[1] = -1.0f;
    m_Objects.Append(std::move(door));
    auto none = meshtest::Primitive("PRIM_VERTBOX_none", 0);
    none->m_Width = 1.0f;
    none->m_Height = 1.0f;
    none->m_Length = 2.0f;
    none->m_Offset[0] = 50.0f;
    m_Objects.Append(std::move(none));

    const kaMesh* loaded = Load("decal.kmf");
    EXPECT_EQ(loaded->GetPrimitive(0)->m_Type, kaCollisionPrimitive::kVertexBox);
    EXPECT_EQ(loaded->GetDecalRegionCount(), 1u);
    EXPECT_EQ(loaded->GetDecalRegion("none"), nullptr);
    const kaMeshSubset* region = loaded->GetDecalRegion("door");
    ASSERT_NE(region, nullptr);
    EXPECT_EQ(region->m_Name, "door");
    EXPECT_EQ(region->m_VertexCount, 3u);
    EXPECT_EQ(region->m_PrimitiveCount, 1u);
    EXPECT_EQ(m_Manager->GetVertexFVF(region->m_VertexBuffer), 0x152u);
    EXPECT_EQ(ReadIndices(region->m_IndexBuffer, 3), (std::vector<uint16_t>{0, 1, 2}));
    const std::vector<LitVertex> corners = ReadVertices<LitVertex>(region->m_SysVertexBuffer, 3);
    int inside = 0;
    for (const LitVertex& corner : corners)
    {
        const bool atOrigin = corner.x == 0.0f && corner.z == 0.0f;
        inside += atOrigin ? 1 : 0;
        EXPECT_EQ(corner.color, atOrigin ? 0xFFFFFFFFu : 0x00FFFFFFu);
        // The ground has no texture coordinates: the decal starts from (0, 0).
        EXPECT_EQ(corner.u, 0.0f);
        EXPECT_EQ(corner.ny, 1.0f);
    }
    EXPECT_EQ(inside, 1);
    EXPECT_EQ(region->m_Max, platform::Vector3(5, 0, 5));
    // Decal regions are not drawn with the mesh.
    EXPECT_EQ(loaded->GetSubsetCount(), 1u);
}

TEST_F(MeshFromFile, LightObjectsAreCopiedIntoLightNodes)
{
    auto light = std::make_unique<KM_Light>();
    light->SetName("Lamp");
    light->m_Intensity = 2.5f;
    m_Objects.Append(std::move(light));
    const kaMesh* mesh = Load("lamp.kmf");
    ASSERT_EQ(mesh->GetLightNodeCount(), 1);
    EXPECT_EQ(mesh->GetLightNode(0)->GetName(), "Lamp");
    EXPECT_EQ(mesh->GetLightNode(0)->m_Intensity, 2.5f);
    EXPECT_EQ(mesh->GetLightNode(1), nullptr);
}

TEST_F(MeshFromFile, ABadFileShowsOneMessageAndLeavesAnEmptyMesh)
{
    const std::string path = m_Dir.Write("broken.kmf", "KMI\x03garbage");
    auto* mesh = new kaMesh(path);
    mesh->AddRef();
    EXPECT_EQ(mesh->GetSubsetCount(), 0u);
    EXPECT_EQ(mesh->GetPrimitiveCount(), 0);
    int shown = 0;
    for (const auto& box : m_Boxes.Boxes())
        if (box.first == "Failed to load mesh " + ResolvePath(path) && box.second == "KMF Viewer")
            ++shown;
    EXPECT_EQ(shown, 1);
    mesh->Release();

    m_Boxes.Clear();
    auto* missing = new kaMesh(m_Dir.File("missing.kmf"));
    missing->AddRef();
    EXPECT_TRUE(m_Boxes.Shown("Failed to load mesh " + m_Dir.File("missing.kmf"), "KMF Viewer"));
    missing->Release();
}

TEST_F(MeshFromFile, MaterialsGiveTheSubsetsTheirRenderStates)
{
    // Red in the lowest byte: diffuse (255, 128, 0), specular (255, 255, 255), ambient (0, 0, 255).
    auto glass = meshtest::Material("Glass");
    glass->m_Diffuse = 0xFF0080FF;
    glass->m_Specular = 0xFFFFFFFF;
    glass->m_Ambient = 0xFFFF0000;
    glass->m_Transparency = 0.25f;
    glass->m_Shine = 0.5f;
    glass->m_ShineStrength = 0.5f;
    glass->m_Shading = 3;
    m_Materials.Append(std::move(glass));
    auto solid = meshtest::Material("Solid");
    auto opacity = std::make_unique<KM_Texture>();
    opacity->m_MapKind = 6;
    opacity->m_Amount = 1.0f;
    solid->Textures().Append(std::move(opacity));
    m_Materials.Append(std::move(solid));
    auto faded = meshtest::Material("Faded");
    auto partial = std::make_unique<KM_Texture>();
    partial->m_MapKind = 6;
    partial->m_Amount = 0.5f;
    faded->Textures().Append(std::move(partial));
    m_Materials.Append(std::move(faded));
    Quad(0, 0, 0).m_Mesh.m_BackfaceCull = 0;
    Quad(1, 0, 0);
    Quad(2, 0, 0);

    const kaMesh* mesh = Load("states.kmf");
    ASSERT_EQ(mesh->GetSubsetCount(), 3u);
    const kaRenderState& glassState = *mesh->GetSubset(0)->GetRenderState();
    EXPECT_EQ(glassState.m_BlendMode, kaRenderState::kBlendAdd);
    EXPECT_FALSE(glassState.m_BackFaceCull);
    EXPECT_TRUE(glassState.m_AlphaBlend);
    EXPECT_TRUE(glassState.m_SortAlpha);
    EXPECT_FLOAT_EQ(glassState.GetMaterial().Diffuse.r, 1.0f);
    EXPECT_NEAR(glassState.GetMaterial().Diffuse.g, 128.0f / 255.0f, 1e-6f);
    EXPECT_FLOAT_EQ(glassState.GetMaterial().Diffuse.a, 0.75f);
    EXPECT_FLOAT_EQ(glassState.GetMaterial().Power, 50.0f);
    EXPECT_FLOAT_EQ(glassState.GetMaterial().Specular.g, 0.5f);
    EXPECT_FLOAT_EQ(glassState.GetMaterial().Ambient.b, 1.0f);
    EXPECT_FLOAT_EQ(glassState.GetMaterial().Ambient.r, 0.0f);
    EXPECT_TRUE(glassState.m_Lighting);

    const kaRenderState& solidState = *mesh->GetSubset(1)->GetRenderState();
    EXPECT_EQ(solidState.m_BlendMode, kaRenderState::kBlendNormal);
    EXPECT_TRUE(solidState.m_BackFaceCull);
    EXPECT_TRUE(solidState.m_AlphaBlend);
    EXPECT_FALSE(solidState.m_SortAlpha);
    EXPECT_FLOAT_EQ(solidState.GetMaterial().Diffuse.a, 1.0f);

    const kaRenderState& fadedState = *mesh->GetSubset(2)->GetRenderState();
    EXPECT_TRUE(fadedState.m_AlphaBlend);
    EXPECT_TRUE(fadedState.m_SortAlpha);
}

TEST_F(MeshFromFile, TextureMapsBecomeStagesWithTheirOperationsAndSets)
{
    // Small textures in a graphics folder of their own.
    const uint8_t pixels[4 * 4] = {};
    m_Dir.Write("maps/readme.txt", "textures\n");
    for (const char* name : {"base.tga", "glow.tga", "chrome.tga", "mixa.tga", "mixb.tga", "mixc.tga"})
    {
        kaTGAImage image;
        ASSERT_TRUE(image.Create(2, 2, 32, 8, pixels));
        ASSERT_TRUE(image.Save(m_Dir.File(std::string("maps/") + name), false));
    }
    m_Manager->SetGraphicsPath(m_Dir.File("maps") + "/");
    auto map = [](uint32_t kind, const std::string& bitmap, uint32_t channel)
    {
        auto texture = std::make_unique<KM_Texture>();
        texture->m_Class = "Bitmap";
        texture->m_MapKind = kind;
        texture->m_Bitmap = bitmap;
        texture->m_MapChannel = channel;
        return texture;
    };
    auto layered = meshtest::Material("Layered");
    // Exporters store whole paths: only the file name counts.
    layered->Textures().Append(map(1, "C:\\max\\maps\\base.tga", 2));
    layered->Textures().Append(map(5, "glow.tga", 0));
    layered->Textures().Append(map(9, "chrome.tga", 9));
    layered->Textures().Append(map(1, "", 1));
    layered->Textures().Append(map(2, "base.tga", 1));
    m_Materials.Append(std::move(layered));
    auto mixed = meshtest::Material("Mixed");
    auto mix = map(1, "", 1);
    mix->m_Class = "Mix";
    mix->SubTextures().Append(map(1, "mixa.tga", 1));
    mix->SubTextures().Append(map(1, "mixb.tga", 1));
    mix->SubTextures().Append(map(1, "mixc.tga", 2));
    mixed->Textures().Append(std::move(mix));
    m_Materials.Append(std::move(mixed));
    // Texture vertices and one extra channel: two coordinate sets.
    for (int32_t material : {0, 1})
    {
        KM_Mesh& mesh = Quad(material, 0, 0).m_Mesh;
        mesh.m_TVertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
        mesh.m_TFaces = {{0, 1, 2}, {0, 2, 3}};
        KM_Mesh::Channel channel;
        channel.number = 2;
        channel.tvertCount = 4;
        channel.tfaceCount = 2;
        mesh.m_Channels = {channel};
        mesh.m_ExtraTVertices = mesh.m_TVertices;
        mesh.m_ExtraTFaces = mesh.m_TFaces;
    }

    const kaMesh* mesh = Load("layered.kmf");
    ASSERT_EQ(mesh->GetSubsetCount(), 2u);
    EXPECT_EQ(mesh->GetFVF(), 0x212u);
    const std::vector<kaTextureStage*>& stages = mesh->GetSubset(0)->GetRenderState()->GetStages();
    ASSERT_EQ(stages.size(), 3u);
    EXPECT_EQ(stages[0]->blendType, kaTextureStage::kModulate);
    EXPECT_EQ(stages[0]->texCoordIndex, 1u);
    ASSERT_NE(stages[0]->texture, nullptr);
    EXPECT_NE(stages[0]->texture->GetName().find("base.tga"), std::string::npos);
    EXPECT_EQ(stages[1]->blendType, kaTextureStage::kModulateSelf);
    EXPECT_EQ(stages[1]->texCoordIndex, 0u);
    EXPECT_EQ(stages[2]->blendType, kaTextureStage::kEnvironmentMap);
    EXPECT_EQ(stages[2]->texCoordIndex, 1u);

    const std::vector<kaTextureStage*>& mixStages = mesh->GetSubset(1)->GetRenderState()->GetStages();
    ASSERT_EQ(mixStages.size(), 3u);
    EXPECT_EQ(mixStages[0]->blendType, kaTextureStage::kMixFirst);
    EXPECT_EQ(mixStages[1]->blendType, kaTextureStage::kMixSecond);
    EXPECT_EQ(mixStages[2]->blendType, kaTextureStage::kMixBlend);
    EXPECT_EQ(mixStages[2]->texCoordIndex, 1u);
}

// Whatever separators an exporter wrote, only the part after the last one names the texture; a name that
// ends in a separator names none, and a map whose class only starts like a mix is taken as a plain map.
TEST_F(MeshFromFile, BitmapPathsOfEitherSeparatorNameTheFileAfterTheLast)
{
    const uint8_t pixels[4 * 4] = {};
    m_Dir.Write("maps/readme.txt", "textures\n");
    kaTGAImage image;
    ASSERT_TRUE(image.Create(2, 2, 32, 8, pixels));
    ASSERT_TRUE(image.Save(m_Dir.File("maps/paint.tga"), false));
    m_Manager->SetGraphicsPath(m_Dir.File("maps") + "/");
    const struct
    {
        const char* bitmap;
        const char* mapClass;
        bool found;
    } cases[] = {
        {"paint.tga", "Bitmap", true},
        {"C:\\max\\maps\\paint.tga", "Bitmap", true},
        {"/home/art/maps/paint.tga", "Bitmap", true},
        {"D:/art\\mixed/paint.tga", "Bitmap", true},
        {"\\paint.tga", "Bitmap", true},
        {"C:\\max\\maps\\", "Bitmap", false},
        {"maps/", "Bitmap", false},
        {"paint.tga", "Mixer", true},
        {"paint.tga", "Mi", true},
    };
    for (const auto& c : cases)
    {
        m_Materials.Reset();
        m_Objects.Reset();
        auto material = meshtest::Material("Painted");
        auto texture = std::make_unique<KM_Texture>();
        texture->m_Class = c.mapClass;
        texture->m_MapKind = 1;
        texture->m_Bitmap = c.bitmap;
        texture->m_MapChannel = 1;
        material->Textures().Append(std::move(texture));
        m_Materials.Append(std::move(material));
        KM_Mesh& quad = Quad(0, 0, 0).m_Mesh;
        quad.m_TVertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
        quad.m_TFaces = {{0, 1, 2}, {0, 2, 3}};
        const kaMesh* mesh = Load("paint" + std::to_string(&c - cases) + ".kmf");
        ASSERT_EQ(mesh->GetSubsetCount(), 1u) << c.bitmap;
        const std::vector<kaTextureStage*>& stages = mesh->GetSubset(0)->GetRenderState()->GetStages();
        ASSERT_EQ(stages.size(), c.found ? 1u : 0u) << c.bitmap << " " << c.mapClass;
        if (c.found)
        {
            ASSERT_NE(stages[0]->texture, nullptr) << c.bitmap;
            EXPECT_EQ(stages[0]->texture->GetName(), m_Manager->GetGraphicsPath() + "paint.tga") << c.bitmap;
            EXPECT_EQ(stages[0]->blendType, kaTextureStage::kModulate) << c.bitmap;
        }
    }
}

TEST_F(MeshFromFile, ColourVerticesLightTheSubsetUnlessShaded)
{
    auto painted = meshtest::Material("Painted");
    painted->m_Ambient = 0xFF000000;
    m_Materials.Append(std::move(painted));
    for (uint8_t shade : {0, 1})
    {
        KM_GeoObject& geo = Quad(0, 0, 0);
        geo.m_ShadeVerts = shade;
        geo.m_Mesh.m_CVertices = {{1, 1, 1}};
        geo.m_Mesh.m_CFaces = {{0, 0, 0}, {0, 0, 0}};
    }
    const kaMesh* mesh = Load("painted.kmf");
    ASSERT_EQ(mesh->GetSubsetCount(), 2u);
    const kaRenderState& unshaded = *mesh->GetSubset(0)->GetRenderState();
    EXPECT_TRUE(unshaded.m_AmbientFromVertexColor);
    EXPECT_FALSE(unshaded.m_Lighting);
    const kaRenderState& shaded = *mesh->GetSubset(1)->GetRenderState();
    EXPECT_FALSE(shaded.m_AmbientFromVertexColor);
    EXPECT_TRUE(shaded.m_Lighting);
    // With colour vertices the ambient colour is not the material's.
    EXPECT_FLOAT_EQ(shaded.GetMaterial().Ambient.r, 1.0f);
}

TEST_F(MeshFromFile, TheSampleCarBodyBuildsItsPartsRegionsAndLight)
{
    auto* car = new kaMesh(std::string(TARVOLIN_CONTENT_DIR) + "/resources/models/car/car.kmf");
    car->AddRef();
    m_Loaded.push_back(car);
    EXPECT_TRUE(m_Boxes.Boxes().empty());
    ASSERT_EQ(car->GetSubsetCount(), 3u);
    EXPECT_EQ(car->GetSubset(0)->m_Name, "Car submaterial 1");
    EXPECT_EQ(car->GetSubset(2)->m_Name, "Car submaterial 3");
    // Boxes of six faces, two triangles and four corners each: the paint holds the body and its door.
    EXPECT_EQ(car->GetSubset(0)->m_PrimitiveCount, 24u);
    EXPECT_EQ(car->GetSubset(1)->m_VertexCount, 24u);
    EXPECT_EQ(car->GetFVF(), 0x152u);
    // Shaded colour vertices keep the lights on.
    EXPECT_TRUE(car->GetSubset(0)->GetRenderState()->m_Lighting);
    EXPECT_FALSE(car->GetSubset(0)->GetRenderState()->m_AmbientFromVertexColor);
    ASSERT_EQ(car->GetPrimitiveCount(), 2);
    EXPECT_EQ(car->GetPrimitive(0)->m_Type, kaCollisionPrimitive::kBox);
    EXPECT_EQ(car->GetPrimitive(1)->m_Type, kaCollisionPrimitive::kVertexBox);
    // The door box holds the door panel's corners, so it cuts the one region.
    EXPECT_EQ(car->GetDecalRegionCount(), 1u);
    ASSERT_EQ(car->GetLightNodeCount(), 1);
    EXPECT_EQ(car->GetLightNode(0)->GetName(), "Headlight");
    // The body spans the bumper to the roof.
    EXPECT_NEAR(car->GetMin().z, -2.1f, 1e-5f);
    EXPECT_NEAR(car->GetMax().y, 1.3f, 1e-5f);
}

// A decal given to a car's door lands on the left door panel, and only there.
TEST_F(MeshFromFile, TheSampleCarsCutTheirDoorRegionFromTheLeftDoorPanel)
{
    for (const char* file : {"car.kmf", "charger.kmf"})
    {
        SCOPED_TRACE(file);
        auto* car = new kaMesh(std::string(TARVOLIN_CONTENT_DIR) + "/resources/models/car/" + file);
        car->AddRef();
        m_Loaded.push_back(car);
        const kaMeshSubset* door = car->GetDecalRegion("door");
        ASSERT_NE(door, nullptr);
        // The panel's six faces; the body's side, the cabin and the bumper stay out.
        EXPECT_EQ(door->m_PrimitiveCount, 12u);
        const auto corners =
            meshtest::ReadVertices<meshtest::LitVertex>(door->m_SysVertexBuffer, door->m_VertexCount);
        ASSERT_GE(corners.size(), 8u);
        for (const auto& corner : corners)
        {
            EXPECT_LT(corner.x, -0.85f);
            EXPECT_GT(corner.y, 0.2f);
            EXPECT_LT(corner.y, 0.8f);
            EXPECT_GT(corner.z, -0.5f);
            EXPECT_LT(corner.z, 0.9f);
        }

        kaModel model(car);
        ASSERT_TRUE(model.SetSubsetRenderState("door", "number.tga"));
        EXPECT_EQ(model.GetDecalSubsetCount(), 1u);
    }
}

TEST_F(MeshFromFile, StripOptionsDrawTheSubsetAsOneStrip)
{
    m_Materials.Append(meshtest::Material("Grid"));
    auto geo = meshtest::Geo("Grid", 0);
    KM_Mesh& mesh = geo->m_Mesh;
    for (int z = 0; z < 3; ++z)
        for (int x = 0; x < 3; ++x)
            mesh.m_Vertices.push_back({static_cast<float>(x), 0.0f, static_cast<float>(z)});
    for (uint32_t z = 0; z < 2; ++z)
        for (uint32_t x = 0; x < 2; ++x)
        {
            const uint32_t v = z * 3 + x;
            AddFace(mesh, v, v + 1, v + 4, 0);
            AddFace(mesh, v, v + 4, v + 3, 0);
        }
    m_Objects.Append(std::move(geo));

    kaMesh* listed = Load("grid.kmf", 0x1);
    ASSERT_EQ(listed->GetSubsetCount(), 1u);
    EXPECT_FALSE(listed->GetSubset(0)->m_Strip);
    EXPECT_EQ(listed->GetSubset(0)->m_PrimitiveCount, 8u);

    kaMesh* stripped = Load("grid.kmf", 0x11);
    EXPECT_TRUE(stripped->IsStrip());
    const kaMeshSubset* subset = stripped->GetSubset(0);
    ASSERT_NE(subset, nullptr);
    EXPECT_TRUE(subset->m_Strip);
    EXPECT_EQ(subset->m_PrimitiveCount, subset->m_IndexCount - 2);
    // Renumbered in order of first use: the strip starts at vertex 0 and uses all nine.
    const std::vector<uint16_t> indices = ReadIndices(subset->m_IndexBuffer, subset->m_IndexCount);
    EXPECT_EQ(indices[0], 0u);
    EXPECT_EQ(std::set<uint16_t>(indices.begin(), indices.end()).size(), 9u);
    EXPECT_EQ(*std::max_element(indices.begin(), indices.end()), 8u);
    // Every buffer vertex still maps to a file vertex at its own position.
    const std::vector<PlainVertex> vertices = ReadVertices<PlainVertex>(subset->m_SysVertexBuffer, 9);
    for (uint32_t k = 0; k < subset->m_VertexCount; ++k)
    {
        const uint32_t file = subset->m_SourceVertexMap[k];
        const KM_Point3 position{static_cast<float>(file % 3), 0.0f, static_cast<float>(file / 3)};
        EXPECT_EQ(vertices[k].x, position.x) << k;
        EXPECT_EQ(vertices[k].z, position.z) << k;
    }

    Device()->BeginScene();
    Device()->ClearLog();
    stripped->Render(0);
    Device()->EndScene();
    ASSERT_EQ(Device()->Draws().size(), 1u);
    EXPECT_EQ(Device()->Draws()[0].Type, platform::PT_TRIANGLESTRIP);
    EXPECT_EQ(Device()->Draws()[0].PrimitiveCount, subset->m_IndexCount - 2);
}

} // namespace

// Subset, region and mesh extents are found as the vertices are written; a read-back of the written
// vertices must give the very same figures, whatever the model, sub-materials and build options.
TEST_F(MeshFromFile, ExtentsFoundWhileWritingMatchAReadBack)
{
    const struct
    {
        const char* file;
        uint32_t buildOptions;
    } cases[] = {
        {"car/car.kmf", 0},   {"car/car.kmf", 0x11},    {"car/charger.kmf", 0}, {"car/wheel.kmf", 0},
        {"ball/ball.kmf", 0}, {"crate/crate.kmf", 0x1}, {"ramp/ramp.kmf", 0},   {"cylinder/cylinder.kmf", 0},
    };
    const auto expectSame = [](const kaMeshSubset& built, const kaMeshSubset& readBack)
    {
        EXPECT_EQ(built.m_Min, readBack.m_Min);
        EXPECT_EQ(built.m_Max, readBack.m_Max);
        EXPECT_EQ(built.m_Centre, readBack.m_Centre);
        EXPECT_EQ(built.m_Radius, readBack.m_Radius);
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.file) + " options " + std::to_string(c.buildOptions));
        auto* mesh =
            new kaMesh(std::string(TARVOLIN_CONTENT_DIR) + "/resources/models/" + c.file, c.buildOptions);
        mesh->AddRef();
        m_Loaded.push_back(mesh);
        ASSERT_GT(mesh->GetSubsetCount(), 0u);
        const platform::Vector3 min = mesh->GetMin(), max = mesh->GetMax(), centre = mesh->GetCentre();
        const float radius = mesh->GetRadius();
        for (uint32_t i = 0; i < mesh->GetSubsetCount(); ++i)
        {
            kaMeshSubset* subset = mesh->GetSubset(i);
            kaMeshSubset built;
            built.m_Min = subset->m_Min, built.m_Max = subset->m_Max;
            built.m_Centre = subset->m_Centre, built.m_Radius = subset->m_Radius;
            subset->ComputeExtents();
            expectSame(built, *subset);
        }
        if (kaMeshSubset* door = mesh->GetDecalRegion("door"))
        {
            kaMeshSubset built;
            built.m_Min = door->m_Min, built.m_Max = door->m_Max;
            built.m_Centre = door->m_Centre, built.m_Radius = door->m_Radius;
            door->ComputeExtents();
            expectSame(built, *door);
        }
        mesh->ComputeBounds();
        EXPECT_EQ(mesh->GetMin(), min);
        EXPECT_EQ(mesh->GetMax(), max);
        EXPECT_EQ(mesh->GetCentre(), centre);
        EXPECT_EQ(mesh->GetRadius(), radius);
        // A mesh with real geometry has a real size.
        EXPECT_GT(radius, 0.0f);
    }
}

namespace
{

// Separate triangles of their own vertices along x, each with its own normal and each vertex with its own
// texture vertex: welding keeps every vertex, numbered in order of use.
KM_Mesh WeldedRow(uint32_t triangles)
{
    KM_Mesh mesh;
    for (uint32_t t = 0; t < triangles; ++t)
    {
        const float x = static_cast<float>(t);
        mesh.m_Vertices.push_back({x, 0, 0});
        mesh.m_Vertices.push_back({x, 0, 1});
        mesh.m_Vertices.push_back({x + 0.5f, 1, 0});
        for (uint32_t corner = 0; corner < 3; ++corner)
            mesh.m_TVertices.push_back({x, static_cast<float>(corner), 0});
        AddFace(mesh, 3 * t, 3 * t + 1, 3 * t + 2, 0, {0.125f * (x + 1.0f), 1.0f, -0.375f});
        mesh.m_TFaces.push_back({3 * t, 3 * t + 1, 3 * t + 2});
    }
    KM_Model::WeldMesh(mesh);
    return mesh;
}

} // namespace

// Corner runs of every length around the widths they are checked at, each once in first-use order and
// once with a jump past an unused vertex at every place: a run with a gap keeps only the vertices it uses,
// and every index names its corner's vertex.
TEST_F(MeshFromFile, CornerRunsOfAnyLengthAreCheckedForOrderAtEveryPlace)
{
    const KM_Mesh source = WeldedRow(8);
    const KM_Mesh::RenderData& render = source.m_Render;
    ASSERT_EQ(render.vertexCount, 24u);
    std::vector<std::vector<uint32_t>> runs;
    for (size_t length = 1; length <= 27; ++length)
    {
        // 0, 0, 1, 1, 2, 2, ...: each new vertex the next number.
        std::vector<uint32_t> inOrder(length);
        for (size_t k = 0; k < length; ++k)
            inOrder[k] = static_cast<uint32_t>(k / 2);
        runs.push_back(inOrder);
        for (size_t gap = 0; gap < length; ++gap)
        {
            std::vector<uint32_t> skipping = inOrder;
            for (size_t k = gap; k < length; ++k)
                skipping[k] += 2;
            runs.push_back(skipping);
        }
    }
    for (const std::vector<uint32_t>& corners : runs)
    {
        SCOPED_TRACE(::testing::PrintToString(corners));
        kaMesh mesh(0x012, 1, 3, 1, false);
        const uint32_t before = mesh.GetSubsetCount();
        mesh.BuildSubsetBuffers(new kaMeshSubset, source, corners.data(), corners.size());
        // Runs under a triangle make no subset.
        if (corners.size() < 3)
        {
            EXPECT_EQ(mesh.GetSubsetCount(), before);
            continue;
        }
        ASSERT_EQ(mesh.GetSubsetCount(), before + 1);
        const std::set<uint32_t> distinct(corners.begin(), corners.end());
        const std::vector<uint32_t> ascending(distinct.begin(), distinct.end());
        const kaMeshSubset& built = *mesh.GetSubset(before);
        ASSERT_EQ(built.m_VertexCount, ascending.size());
        const std::vector<uint16_t> indices = ReadIndices(built.m_SysIndexBuffer, built.m_IndexCount);
        ASSERT_EQ(indices.size(), corners.size());
        for (size_t i = 0; i < corners.size(); ++i)
        {
            ASSERT_LT(indices[i], ascending.size());
            EXPECT_EQ(ascending[indices[i]], corners[i]) << "corner " << i;
        }
        const std::vector<PlainVertex> vertices =
            ReadVertices<PlainVertex>(built.m_SysVertexBuffer, built.m_VertexCount);
        for (size_t k = 0; k < ascending.size(); ++k)
            EXPECT_EQ(vertices[k].x, render.positions[3 * ascending[k]]) << k;
    }
}

// Render vertices past the colour or texture arrays (which welding never leaves, but hand-made render
// data may) take white and (0, 0); those within take their own, however many the arrays cover.
TEST_F(MeshFromFile, VerticesPastTheirColourOrCoordinatesTakeTheDefaults)
{
    const KM_Mesh welded = WeldedRow(3);
    ASSERT_EQ(welded.m_Render.vertexCount, 9u);
    const struct
    {
        const char* name;
        std::vector<uint32_t> corners;
        size_t colors;
        size_t coordinates;
    } cases[] = {
        {"both cover every vertex", {0, 1, 2, 3, 4, 5, 6, 7, 8}, 9, 9},
        {"colours stop one short", {0, 1, 2, 3, 4, 5, 6, 7, 8}, 8, 9},
        {"coordinates stop one short", {0, 1, 2, 3, 4, 5, 6, 7, 8}, 9, 8},
        {"neither has any", {0, 1, 2, 3, 4, 5, 6, 7, 8}, 0, 0},
        {"out of order, the last one short", {6, 7, 8, 0, 1, 2}, 8, 8},
        {"out of order, all within", {6, 7, 8, 0, 1, 2}, 9, 9},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        KM_Mesh source = welded;
        KM_Mesh::RenderData& render = source.m_Render;
        for (uint32_t v = 0; v < render.vertexCount; ++v)
        {
            render.colors[v] = 0xFF000000u | v;
            render.texCoords[0][2 * v] = 0.25f * static_cast<float>(v + 1);
            render.texCoords[0][2 * v + 1] = 0.5f;
        }
        const KM_Mesh::RenderData full = render;
        render.colors.resize(c.colors);
        render.texCoords[0].resize(2 * c.coordinates);
        // With a colour (36 bytes) and without (32), every field read back at its place.
        for (const bool coloured : {true, false})
        {
            SCOPED_TRACE(coloured ? "with a colour" : "without a colour");
            const uint32_t stride = coloured ? 36 : 32;
            const size_t uvAt = coloured ? 28 : 24;
            kaMesh mesh(coloured ? 0x152 : 0x112, 1, 3, 1, false);
            const uint32_t before = mesh.GetSubsetCount();
            mesh.BuildSubsetBuffers(new kaMeshSubset, source, c.corners.data(), c.corners.size());
            ASSERT_EQ(mesh.GetSubsetCount(), before + 1);
            const kaMeshSubset& built = *mesh.GetSubset(before);
            const std::set<uint32_t> distinct(c.corners.begin(), c.corners.end());
            const std::vector<uint32_t> ascending(distinct.begin(), distinct.end());
            ASSERT_EQ(built.m_VertexCount, ascending.size());
            for (kaResourceHandle buffer : {built.m_VertexBuffer, built.m_SysVertexBuffer})
            {
                const std::vector<uint8_t> bytes =
                    ReadVertices<uint8_t>(buffer, built.m_VertexCount * stride);
                ASSERT_EQ(bytes.size(), ascending.size() * stride);
                const auto field = [&](size_t k, size_t at)
                {
                    float value;
                    std::memcpy(&value, &bytes[k * stride + at], sizeof(value));
                    return value;
                };
                for (size_t k = 0; k < ascending.size(); ++k)
                {
                    const uint32_t v = ascending[k];
                    for (size_t axis = 0; axis < 3; ++axis)
                    {
                        EXPECT_EQ(field(k, 4 * axis), full.positions[3 * v + axis]) << k;
                        EXPECT_EQ(field(k, 12 + 4 * axis), full.normals[3 * v + axis]) << k;
                    }
                    if (coloured)
                    {
                        uint32_t color;
                        std::memcpy(&color, &bytes[k * stride + 24], sizeof(color));
                        EXPECT_EQ(color, v < c.colors ? full.colors[v] : 0xFFFFFFFFu) << k;
                    }
                    EXPECT_EQ(field(k, uvAt), v < c.coordinates ? full.texCoords[0][2 * v] : 0.0f) << k;
                    EXPECT_EQ(field(k, uvAt + 4), v < c.coordinates ? full.texCoords[0][2 * v + 1] : 0.0f)
                        << k;
                }
            }
        }
    }
}
