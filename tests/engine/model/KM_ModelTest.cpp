#include "engine/model/KM_Model.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/engine/model/KmfSamples.h"
#include "tests/support/engine/model/KmfTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <random>
#include <set>
#include <thread>

namespace
{

// A unit cube: 8 shared vertices, 12 faces, every corner carrying its face's normal.
std::unique_ptr<KM_GeoObject> CubeGeometry()
{
    auto geo = std::make_unique<KM_GeoObject>();
    geo->SetName("Cube");
    KM_Mesh& mesh = geo->m_Mesh;
    for (int i = 0; i < 8; ++i)
        mesh.m_Vertices.push_back({float(i & 1), float((i >> 1) & 1), float((i >> 2) & 1)});
    const struct
    {
        uint32_t quad[4];
        KM_Point3 normal;
    } sides[6] = {{{0, 2, 3, 1}, {0, 0, -1}}, {{4, 5, 7, 6}, {0, 0, 1}},  {{0, 1, 5, 4}, {0, -1, 0}},
                  {{2, 6, 7, 3}, {0, 1, 0}},  {{0, 4, 6, 2}, {-1, 0, 0}}, {{1, 3, 7, 5}, {1, 0, 0}}};
    for (const auto& side : sides)
    {
        mesh.m_Faces.push_back({side.quad[0], side.quad[1], side.quad[2], 0});
        mesh.m_Faces.push_back({side.quad[0], side.quad[2], side.quad[3], 0});
        KM_Mesh::FaceNormals normals;
        normals.face = normals.corner[0] = normals.corner[1] = normals.corner[2] = side.normal;
        mesh.m_Normals.push_back(normals);
        mesh.m_Normals.push_back(normals);
    }
    return geo;
}

class ModelTest : public ::testing::Test
{
protected:
    // Writes a model file of the objects and reads it back as the mesh loader does.
    std::unique_ptr<KM_Model> Load(std::unique_ptr<KM_ObjectList> objects, bool withMaterials = false)
    {
        const std::string bytes = m_Files.Written(
            [&](KM_Stream* s)
            {
                KM_MaterialList materials;
                materials.Append(kmfsamples::Material("Only", false));
                return s->WriteHeader() && kmfsamples::Scene()->Write(s) &&
                       (!withMaterials || materials.Write(s)) && objects->Write(s);
            });
        KM_Stream stream;
        EXPECT_TRUE(m_Files.Open(stream, bytes, "model.kmf"));
        EXPECT_TRUE(stream.ReadHeader());
        auto model = std::make_unique<KM_Model>("cars/model.kmf");
        EXPECT_TRUE(model->Read(&stream));
        return model;
    }

    std::unique_ptr<KM_Model> LoadPoints(const std::vector<std::pair<std::string, std::string>>& points)
    {
        auto list = std::make_unique<KM_ObjectList>();
        for (const auto& entry : points)
        {
            auto point = std::make_unique<KM_AttachmentPt>();
            point->SetName(entry.first);
            point->m_UserData = entry.second;
            list->Append(std::move(point));
        }
        return Load(std::move(list));
    }

    struct UserDataCase
    {
        const char* text;
        uint32_t flags;
        int32_t size;
    };

    // Reads each case's text as the only point's user data and checks the type flags and size it gives;
    // `alsoCheck` looks further at the point.
    void ExpectUserData(const std::vector<UserDataCase>& cases,
                        const std::function<void(const KM_AttachmentPt&, const char*)>& alsoCheck = {})
    {
        for (const UserDataCase& c : cases)
        {
            auto model = LoadPoints({{"att-point1", c.text}});
            ASSERT_EQ(model->GetAttachmentPointCount(), 1) << c.text;
            EXPECT_EQ(model->GetAttachmentPoint(0)->m_TypeFlags, c.flags) << c.text;
            EXPECT_EQ(model->GetAttachmentSize(), c.size) << c.text;
            if (alsoCheck)
                alsoCheck(*model->GetAttachmentPoint(0), c.text);
        }
    }

    // Builds the geometry beside a cube: the geometry, having no usable mesh, builds nothing and says so
    // once, while the cube still welds to its 24 vertices.
    void ExpectSkippedBesideACube(std::unique_ptr<KM_GeoObject> geo)
    {
        KM_Model model("x.kmf");
        KM_ObjectList& list = model.GetObjectList();
        list.Append(std::move(geo));
        list.Append(CubeGeometry());
        model.PostLoad(nullptr, true);
        model.BuildRenderVertices();
        EXPECT_EQ(model.GetGeoObject(0)->m_Mesh.m_Render.vertexCount, 0u);
        EXPECT_EQ(model.GetGeoObject(1)->m_Mesh.m_Render.vertexCount, 24u);
        EXPECT_EQ(m_Debug.Lines(),
                  (std::vector<std::string>{
                      "[KM_Model::BuildRenderVertices] : \"Body\" has no usable mesh; skipped\n"}));
    }

    kmftest::Files m_Files;
    kmftest::MessageBoxCapture m_Boxes;
    testsupport::DebugCapture m_Debug;
};

} // namespace

TEST_F(ModelTest, CubeWithFaceNormalsWeldsTo24VerticesInReversedWinding)
{
    auto list = std::make_unique<KM_ObjectList>();
    list->Append(CubeGeometry());
    auto model = Load(std::move(list));
    model->BuildRenderVertices();
    ASSERT_EQ(model->GetGeoObjectCount(), 1);
    const KM_Mesh& mesh = model->GetGeoObject(0)->m_Mesh;
    EXPECT_EQ(model->GetFirstGeoMesh(), &mesh);
    const KM_Mesh::RenderData& render = mesh.m_Render;
    EXPECT_EQ(render.vertexCount, 24u);
    ASSERT_EQ(render.indices.size(), 36u);
    EXPECT_EQ(render.positions.size(), 72u);
    EXPECT_EQ(render.sourceVertex.size(), 24u);
    for (size_t f = 0; f < 12; ++f)
    {
        const KM_Mesh::Face& face = mesh.m_Faces[f];
        // Corners 0, 2, 1 of each face, each mapped back to its file vertex.
        EXPECT_EQ(render.sourceVertex[render.indices[3 * f]], face.a);
        EXPECT_EQ(render.sourceVertex[render.indices[3 * f + 1]], face.c);
        EXPECT_EQ(render.sourceVertex[render.indices[3 * f + 2]], face.b);
    }
    // The first face makes the first three vertices, in visiting order.
    EXPECT_EQ(render.indices[0], 0u);
    EXPECT_EQ(render.indices[1], 1u);
    EXPECT_EQ(render.indices[2], 2u);
    EXPECT_EQ(render.indices[3], 0u);
    EXPECT_EQ(std::vector<uint32_t>(render.colors.begin(), render.colors.end()),
              std::vector<uint32_t>(24, 0xFFFFFFFFu));
}

TEST_F(ModelTest, TextureColourAndExtraChannelsSplitVertices)
{
    auto geo = kmfsamples::Geo();
    KM_Mesh& mesh = geo->m_Mesh;
    // Both faces share vertices 0 and 2 with the same normal; their texture faces agree, so only the
    // extra channel (and colours) can split them.
    mesh.m_ExtraTFaces[1] = {0, 1, 2};
    mesh.m_CVertices = {{1.0f, 0.5f, 0.0f}};
    mesh.m_CFaces = {{0, 0, 0}, {0, 0, 0}};
    KM_Model::WeldMesh(mesh);
    const KM_Mesh::RenderData& render = mesh.m_Render;
    EXPECT_EQ(render.colors[0], 0xFFFF7F00u);
    ASSERT_EQ(render.texCoords.size(), 2u);
    // Face 0 corner 0: texture vertex 0 = (0, 0) stored as (0, 1); extra channel vertex 0 = (0.5, 0.5).
    EXPECT_EQ(render.texCoords[0][0], 0.0f);
    EXPECT_EQ(render.texCoords[0][1], 1.0f);
    EXPECT_EQ(render.texCoords[1][0], 0.5f);
    EXPECT_EQ(render.texCoords[1][1], 0.5f);
    // Vertex 0 is shared (extra texture vertex 0 in both faces); vertex 2 is not (extra 2 against 1).
    EXPECT_EQ(render.indices[3], render.indices[0]);
    EXPECT_EQ(render.vertexCount, 5u);

    // The same corners with different channel-0 coordinates become two vertices.
    KM_Mesh plain;
    plain.m_Vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    plain.m_Faces = {{0, 1, 2, 0}, {0, 2, 1, 0}};
    plain.m_TVertices = {{0, 0, 0}, {1, 1, 0}};
    plain.m_TFaces = {{0, 0, 0}, {1, 0, 0}};
    KM_Mesh::FaceNormals normals;
    plain.m_Normals = {normals, normals};
    KM_Model::WeldMesh(plain);
    EXPECT_EQ(plain.m_Render.vertexCount, 4u);
    EXPECT_NE(plain.m_Render.indices[0], plain.m_Render.indices[3]);
    EXPECT_EQ(plain.m_Render.indices[1], plain.m_Render.indices[5]);
}

TEST_F(ModelTest, GeometryWithoutAUsableMeshBuildsNothing)
{
    auto geo = kmfsamples::Geo();
    geo->m_Mesh.m_Normals.clear();
    ExpectSkippedBesideACube(std::move(geo));
}

TEST_F(ModelTest, ObjectsAreSortedIntoTablesThatStopAt32)
{
    auto list = std::make_unique<KM_ObjectList>();
    for (int i = 0; i < 40; ++i)
    {
        list->Append(kmfsamples::Light(i % 2 == 0));
        list->Append(kmfsamples::Geo("Geo" + std::to_string(i)));
        list->Append(kmfsamples::DataTag());
    }
    list->Append(kmfsamples::Camera());
    list->Append(kmfsamples::CollisionBox());
    list->Append(kmfsamples::CollisionMesh());
    list->Append(kmfsamples::Primitive());
    list->Append(kmfsamples::Skeleton());
    auto model = Load(std::move(list));
    EXPECT_EQ(model->GetName(), "cars/model");
    EXPECT_EQ(model->GetLightCount(), 32);
    EXPECT_EQ(model->GetDataTagCount(), 32);
    EXPECT_EQ(model->GetGeoObjectCount(), 40);
    EXPECT_EQ(model->GetGeoObject(39)->GetName(), "Geo39");
    EXPECT_EQ(model->GetCameraCount(), 1);
    EXPECT_EQ(model->GetCollisionObjectCount(), 2);
    EXPECT_EQ(model->GetCollisionObject(1)->GetTypeId(), 24u);
    EXPECT_EQ(model->GetPrimitiveCount(), 1);
    EXPECT_EQ(model->GetLight(-1), nullptr);
    EXPECT_EQ(model->GetLight(32), nullptr);
    EXPECT_EQ(model->GetLight(1)->m_HasTarget, 0u);
    EXPECT_EQ(model->GetMaterialList().GetCount(), 0u);
    ASSERT_NE(model->GetScene(), nullptr);
}

TEST_F(ModelTest, AttachmentUserDataSetsTypeFlagsAndSize)
{
    auto model = LoadPoints({{"att-point1", "type=W T\r\nsize=3"},
                             {"att-point2", "type=N S OS WS SP SB HP WH WA WF w X\r\nsize=12abc\r\nsize=7"},
                             {"att-point3", "colour=red\r\ntype=T"},
                             {"att-point4", "type="}});
    ASSERT_EQ(model->GetAttachmentPointCount(), 4);
    EXPECT_EQ(model->GetAttachmentPoint(0)->m_TypeFlags, 0x6u);
    EXPECT_EQ(model->GetAttachmentPoint(1)->m_TypeFlags,
              0x1u | 0x8u | 0x80u | 0x100u | 0x200u | 0x400u | 0x800u | 0x1000u | 0x2000u | 0x4000u);
    EXPECT_EQ(model->GetAttachmentPoint(2)->m_TypeFlags, 0x4u);
    EXPECT_EQ(model->GetAttachmentPoint(3)->m_TypeFlags, 0u);
    // The last size read wins, across points.
    EXPECT_EQ(model->GetAttachmentSize(), 7);

    auto single = LoadPoints({{"att-point1", "type=W T\r\nsize=3"}});
    EXPECT_EQ(single->GetAttachmentSize(), 3);
}

// Line breaks inside a key are left out of it; a line ends at a carriage return or a bare line feed; runs
// of spaces give no empty values; text without '=' after the last line ends the parse.
TEST_F(ModelTest, UserDataLinesSplitAtBreaksAndSpacesAlike)
{
    ExpectUserData({
        {"\ntype=W", 0x2u, 0},
        {"ty\rpe=T", 0x4u, 0},
        {"type=W  T", 0x6u, 0},
        {"type=W\nT", 0x2u, 0},
        {"type=W\nS=x\r\ntype=T", 0x6u, 0},
        {"type=T \r\nsize=5", 0x4u, 5},
        {"type=W\r\r\ntype=T", 0x6u, 0},
        {"=W\r\ntype=S", 0x8u, 0},
        {"size=", 0x0u, 0},
        {"size=4\r\ntype", 0x0u, 4},
        {"type=W size=9", 0x2u, 0},
        {"type=\r\nsize=2 8", 0x0u, 8},
    });
}

// Keys and type letters count only when whole and of the same case: a longer or shorter word, one that only
// starts alike and one with a line break kept out of it are told apart.
TEST_F(ModelTest, UserDataKeysAndTypesMatchWholeWordsOnly)
{
    ExpectUserData(
        {
            {"typ=W", 0x0u, 0},
            {"types=W", 0x0u, 0},
            {"Type=W", 0x0u, 0},
            {"ttype=W", 0x0u, 0},
            {"type=w", 0x0u, 0},
            {"type=WSX W", 0x2u, 0},
            {"type=O OSS OS", 0x80u, 0},
            {"type=H HP P", 0x800u, 0},
            {"type=NW WN N", 0x1u, 0},
            {"siz=4", 0x0u, 0},
            {"sizes=4", 0x0u, 0},
            {"Size=4", 0x0u, 0},
            {"si\nze=6", 0x0u, 6},
            {"t\r\nype=WF SB", 0x4400u, 0},
            {"type=WA\rsize=3", 0x2000u, 3},
            {"sets=A\r\ntype=T", 0x4u, 0},
        },
        [](const KM_AttachmentPt& point, const char* text) { EXPECT_EQ(point.m_SetCount, 0) << text; });
}

TEST_F(ModelTest, SetLinesNamePointsBySuffix)
{
    auto model =
        LoadPoints({{"att-pointA", ""},
                    {"att-pointB", "set=A B C\r\nset=Z A B\r\nset=A Q"},
                    {"att-pointC", "set=A C B X\r\nset=A B C\r\nset=A B C\r\nset=A B C\r\nset=A B C"}});
    const KM_AttachmentPt& a = *model->GetAttachmentPoint(0);
    // Five sets at most; the sixth line is ignored, and the line whose owner is Z is too.
    ASSERT_EQ(a.m_SetCount, 5);
    EXPECT_EQ(a.m_SetFirst[0], 1);
    EXPECT_EQ(a.m_SetSecond[0], 2);
    EXPECT_EQ(a.m_SetFirst[1], -1);
    EXPECT_EQ(a.m_SetSecond[1], -1);
    EXPECT_EQ(a.m_SetFirst[2], 2);
    EXPECT_EQ(a.m_SetSecond[2], 1);
    EXPECT_EQ(model->GetAttachmentPoint(1)->m_SetCount, 0);
}

// A suffix names the point whose whole name is "att-point" and the suffix: longer names sharing its start,
// names with something before the prefix and a bare prefix are other points.
TEST_F(ModelTest, SetLinesMatchWholePointNamesOnly)
{
    auto model = LoadPoints({{"att-pointAB", ""},
                             {"att-pointA", "set=A AB B\r\nset=A  X"},
                             {"Xatt-pointB", ""},
                             {"att-point", ""},
                             {"att-pointX", "set=X A AB"}});
    const KM_AttachmentPt& a = *model->GetAttachmentPoint(1);
    ASSERT_EQ(a.m_SetCount, 2);
    EXPECT_EQ(a.m_SetFirst[0], 0);
    EXPECT_EQ(a.m_SetSecond[0], -1);
    // Two spaces give no empty suffix: the next value is the second point.
    EXPECT_EQ(a.m_SetFirst[1], 4);
    EXPECT_EQ(a.m_SetSecond[1], -1);
    const KM_AttachmentPt& x = *model->GetAttachmentPoint(4);
    ASSERT_EQ(x.m_SetCount, 1);
    EXPECT_EQ(x.m_SetFirst[0], 1);
    EXPECT_EQ(x.m_SetSecond[0], 0);
    EXPECT_EQ(model->GetAttachmentPoint(0)->m_SetCount, 0);
}

TEST_F(ModelTest, ModelWithMaterialsKeepsThem)
{
    auto model = Load(std::make_unique<KM_ObjectList>(), true);
    EXPECT_EQ(model->GetMaterialList().GetCount(), 1u);
    EXPECT_EQ(model->GetGeoObjectCount(), 0);
    EXPECT_EQ(model->GetFirstGeoMesh(), nullptr);
}

namespace
{

// The welded vertices as a reading of their definition: the corners of each face in order 0, 2, 1, each
// becoming the vertex of the first earlier corner equal in every bit it carries, else a new one.
struct PlainWeld
{
    std::vector<std::vector<uint32_t>> vertices;
    std::vector<uint32_t> indices;
};

uint32_t FloatBits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

PlainWeld WeldByDefinition(const KM_Mesh& mesh)
{
    PlainWeld weld;
    std::map<std::vector<uint32_t>, uint32_t> seen;
    for (size_t f = 0; f < mesh.m_Faces.size(); ++f)
        for (int corner : {0, 2, 1})
        {
            const KM_Mesh::Face& face = mesh.m_Faces[f];
            const auto pick = [corner](const auto& three) {
                return corner == 0 ? three.a : corner == 1 ? three.b : three.c;
            };
            const KM_Point3& p = mesh.m_Vertices[pick(face)];
            const KM_Point3& n = mesh.m_Normals[f].corner[corner];
            // What the corner is compared by: the bits of its file values. What it becomes: the stored form.
            std::vector<uint32_t> key = {FloatBits(p.x), FloatBits(p.y), FloatBits(p.z),
                                         FloatBits(n.x), FloatBits(n.y), FloatBits(n.z)};
            std::vector<uint32_t> vertex = {pick(face)};
            vertex.insert(vertex.end(), key.begin(), key.end());
            const auto addUV = [&key, &vertex](const KM_Point3& uv)
            {
                key.push_back(FloatBits(uv.x));
                key.push_back(FloatBits(uv.y));
                vertex.push_back(FloatBits(uv.x));
                vertex.push_back(FloatBits(1.0f - uv.y));
            };
            addUV(mesh.m_TVertices.empty() ? KM_Point3{0, 0, 0} : mesh.m_TVertices[pick(mesh.m_TFaces[f])]);
            const uint32_t colour = mesh.m_CVertices.empty()
                                        ? 0xFFFFFFFFu
                                        : KM_Mesh::PackColor(mesh.m_CVertices[pick(mesh.m_CFaces[f])]);
            key.push_back(colour);
            vertex.push_back(colour);
            for (const KM_Mesh::Channel& channel : mesh.m_Channels)
                addUV(f < channel.tfaceCount
                          ? mesh.m_ExtraTVertices[channel.firstTVert +
                                                  pick(mesh.m_ExtraTFaces[channel.firstTFace + f])]
                          : KM_Point3{0, 0, 0});
            const auto found = seen.find(key);
            if (found != seen.end())
            {
                weld.indices.push_back(found->second);
                continue;
            }
            const uint32_t index = static_cast<uint32_t>(weld.vertices.size());
            seen.emplace(key, index);
            weld.vertices.push_back(vertex);
            weld.indices.push_back(index);
        }
    return weld;
}

// A mesh of random corners drawn from few values, so that many repeat; every channel kind optional.
KM_Mesh RandomMesh(unsigned seed, bool texture, bool colour, int extraChannels, uint32_t faces)
{
    std::mt19937 random(seed);
    const auto small = [&random](int values) { return static_cast<uint32_t>(random() % values); };
    // Zero and minus zero, and a NaN, differ in their bits and must stay apart.
    const float values[] = {0.0f, -0.0f, 1.0f, 0.5f, std::numeric_limits<float>::quiet_NaN()};
    const auto value = [&] { return values[small(5)]; };
    KM_Mesh mesh;
    for (int i = 0; i < 12; ++i)
        mesh.m_Vertices.push_back({value(), value(), value()});
    for (uint32_t f = 0; f < faces; ++f)
    {
        mesh.m_Faces.push_back({small(12), small(12), small(12), 0});
        KM_Mesh::FaceNormals normals;
        for (KM_Point3& n : normals.corner)
            n = {value(), 1.0f, 0.0f};
        mesh.m_Normals.push_back(normals);
    }
    if (texture)
    {
        for (int i = 0; i < 6; ++i)
            mesh.m_TVertices.push_back({value(), value(), 0.0f});
        for (uint32_t f = 0; f < faces; ++f)
            mesh.m_TFaces.push_back({small(6), small(6), small(6)});
    }
    if (colour)
    {
        mesh.m_CVertices = {{1.0f, 0.5f, 0.0f}, {0.2f, 0.2f, 0.9f}};
        for (uint32_t f = 0; f < faces; ++f)
            mesh.m_CFaces.push_back({small(2), small(2), small(2)});
    }
    for (int c = 0; c < extraChannels; ++c)
    {
        KM_Mesh::Channel channel;
        channel.number = static_cast<uint32_t>(c + 2);
        channel.firstTVert = static_cast<uint32_t>(mesh.m_ExtraTVertices.size());
        channel.tvertCount = 4;
        channel.firstTFace = static_cast<uint32_t>(mesh.m_ExtraTFaces.size());
        // The second channel covers only half the faces: the rest map to (0, 0).
        channel.tfaceCount = c == 1 ? faces / 2 : faces;
        for (int i = 0; i < 4; ++i)
            mesh.m_ExtraTVertices.push_back({value(), value(), 0.0f});
        for (uint32_t f = 0; f < channel.tfaceCount; ++f)
            mesh.m_ExtraTFaces.push_back({small(4), small(4), small(4)});
        mesh.m_Channels.push_back(channel);
    }
    return mesh;
}

} // namespace

namespace
{

// Checks every welded vertex and index of the mesh against a weld by definition.
void ExpectWelded(const KM_Mesh& mesh, const PlainWeld& expected)
{
    const KM_Mesh::RenderData& render = mesh.m_Render;
    ASSERT_EQ(render.vertexCount, expected.vertices.size());
    EXPECT_EQ(std::vector<uint32_t>(render.indices.begin(), render.indices.end()), expected.indices);
    ASSERT_EQ(render.texCoords.size(), 1u + mesh.m_Channels.size());
    for (size_t v = 0; v < expected.vertices.size(); ++v)
    {
        std::vector<uint32_t> got = {render.sourceVertex[v]};
        for (int i = 0; i < 3; ++i)
            got.push_back(FloatBits(render.positions[v * 3 + i]));
        for (int i = 0; i < 3; ++i)
            got.push_back(FloatBits(render.normals[v * 3 + i]));
        for (const KM_Mesh::RenderArray<float>& channel : render.texCoords)
        {
            got.push_back(FloatBits(channel[v * 2]));
            got.push_back(FloatBits(channel[v * 2 + 1]));
            if (&channel == &render.texCoords[0])
                got.push_back(render.colors[v]);
        }
        ASSERT_EQ(got, expected.vertices[v]) << "vertex " << v;
    }
}

// Welds the mesh and checks every vertex and index against the weld by definition.
void ExpectWeldAsDefined(KM_Mesh& mesh)
{
    const PlainWeld expected = WeldByDefinition(mesh);
    KM_Model::WeldMesh(mesh);
    ExpectWelded(mesh, expected);
}

} // namespace

TEST_F(ModelTest, WeldGivesTheVerticesOfItsDefinitionForEveryChannelMix)
{
    const struct
    {
        bool texture, colour;
        int extra;
        uint32_t faces;
    } cases[] = {{false, false, 0, 1},   {false, false, 0, 300}, {true, false, 0, 300},
                 {false, true, 0, 300},  {true, true, 1, 300},   {true, true, 2, 300},
                 {true, false, 2, 2000}, {false, false, 0, 0},   {false, false, 1, 300},
                 {false, true, 2, 300},  {true, true, 0, 300},   {true, false, 1, 1}};
    unsigned seed = 11;
    for (const auto& c : cases)
    {
        KM_Mesh mesh = RandomMesh(seed++, c.texture, c.colour, c.extra, c.faces);
        SCOPED_TRACE(testing::Message() << "texture " << c.texture << " colour " << c.colour << " extra "
                                        << c.extra << " faces " << c.faces);
        ExpectWeldAsDefined(mesh);
    }
}

// One mesh welded again and again, its lists changed between welds (channels added and taken away, a refused
// weld in between), gives each time what its definition gives: nothing of an earlier weld stays behind.
TEST_F(ModelTest, WeldingOneMeshAgainGivesOnlyItsNewVertices)
{
    const struct
    {
        bool texture, colour;
        int extra;
        uint32_t faces;
        bool refused;
    } steps[] = {{true, true, 2, 300, false}, {false, false, 0, 40, false}, {true, false, 1, 700, false},
                 {true, true, 0, 200, true},  {false, true, 2, 120, false}, {true, true, 2, 300, false}};
    KM_Mesh mesh;
    unsigned seed = 41;
    for (const auto& step : steps)
    {
        SCOPED_TRACE(testing::Message() << "texture " << step.texture << " colour " << step.colour
                                        << " extra " << step.extra << " faces " << step.faces);
        const KM_Mesh next = RandomMesh(seed++, step.texture, step.colour, step.extra, step.faces);
        mesh.m_Vertices = next.m_Vertices;
        mesh.m_Faces = next.m_Faces;
        mesh.m_TVertices = next.m_TVertices;
        mesh.m_TFaces = next.m_TFaces;
        mesh.m_Channels = next.m_Channels;
        mesh.m_ExtraTVertices = next.m_ExtraTVertices;
        mesh.m_ExtraTFaces = next.m_ExtraTFaces;
        mesh.m_CVertices = next.m_CVertices;
        mesh.m_CFaces = next.m_CFaces;
        mesh.m_Normals = next.m_Normals;
        if (step.refused)
        {
            mesh.m_Faces[step.faces / 2].b = static_cast<uint32_t>(mesh.m_Vertices.size());
            EXPECT_FALSE(KM_Model::WeldMesh(mesh));
            EXPECT_EQ(mesh.m_Render.vertexCount, 0u);
            EXPECT_TRUE(mesh.m_Render.positions.empty());
            EXPECT_TRUE(mesh.m_Render.texCoords.empty());
            EXPECT_TRUE(mesh.m_Render.indices.empty());
            continue;
        }
        ExpectWeldAsDefined(mesh);
    }
}

// File vertices that share a position bit for bit weld across their numbers where the rest agrees;
// positions equal in value but not in bits (zero and minus zero) stay apart.
TEST_F(ModelTest, CornersOfDifferentFileVerticesAtOnePositionWeld)
{
    KM_Mesh mesh;
    mesh.m_Vertices = {{1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {0, 0, 0}, {-0.0f, 0, 0}, {0, 0, 0}};
    // Faces over the shared position only, then over the zeros: normals up or across.
    mesh.m_Faces = {{0, 1, 2, 0}, {2, 1, 0, 0}, {3, 4, 5, 0}};
    KM_Mesh::FaceNormals up, across;
    up.corner[0] = up.corner[1] = up.corner[2] = {0, 1, 0};
    across.corner[0] = {1, 0, 0};
    across.corner[1] = {0, 1, 0};
    across.corner[2] = {1, 0, 0};
    mesh.m_Normals = {up, across, up};
    ExpectWeldAsDefined(mesh);
    // (1,2,3) up, (1,2,3) across; (0,0,0) up from vertices 3 and 5 alike, (-0,0,0) up.
    EXPECT_EQ(mesh.m_Render.vertexCount, 4u);
    EXPECT_EQ(mesh.m_Render.indices[6], mesh.m_Render.indices[7]);
}

// The generated sample models, as the game reads them: every mesh of every file welds to its definition.
TEST_F(ModelTest, EverySampleModelWeldsToItsDefinition)
{
    const char* const files[] = {
        "ball/ball.kmf",       "car/car.kmf",           "car/wheel.kmf", "car/charger.kmf",
        "crate/crate.kmf",     "cylinder/cylinder.kmf", "ramp/ramp.kmf", "motorcycle/motorcycle.kmf",
        "motorcycle/rider.kmf"};
    for (const char* file : files)
    {
        SCOPED_TRACE(file);
        const std::string path = std::string(TARVOLIN_CONTENT_DIR) + "/resources/models/" + file;
        KM_Stream stream;
        ASSERT_TRUE(stream.Open(path.c_str(), KM_Stream::kBinary));
        ASSERT_TRUE(stream.ReadHeader());
        KM_Model model(path.c_str());
        ASSERT_TRUE(model.Read(&stream));
        ASSERT_GT(model.GetGeoObjectCount(), 0);
        size_t corners = 0;
        for (int i = 0; i < model.GetGeoObjectCount(); ++i)
        {
            KM_Mesh& mesh = model.GetGeoObject(i)->m_Mesh;
            corners += mesh.m_Faces.size() * 3;
            SCOPED_TRACE(testing::Message() << "mesh " << i);
            ExpectWeldAsDefined(mesh);
        }
        EXPECT_GT(corners, 0u);
    }
}

// A mesh whose parallel arrays disagree or whose indices point outside their lists builds nothing, whichever
// list is at fault and however far into the faces it is; the loader reports the object and goes on.
TEST_F(ModelTest, WeldRefusesIndicesOutsideTheirListsAndBuildsNothing)
{
    const struct
    {
        const char* fault;
        void (*spoil)(KM_Mesh&);
        bool usable;
    } cases[] = {
        {"face vertex of the last face", [](KM_Mesh& m) { m.m_Faces.back().b = 4; }, false},
        {"face vertex far past the end", [](KM_Mesh& m) { m.m_Faces.front().c = 0xFFFFFFFFu; }, false},
        {"texture face", [](KM_Mesh& m) { m.m_TFaces.back().c = 4; }, false},
        {"colour face", [](KM_Mesh& m) { m.m_CFaces.front().a = 2; }, false},
        {"channel face past its own vertices", [](KM_Mesh& m) { m.m_ExtraTFaces[1].a = 3; }, false},
        {"channel vertices past the list", [](KM_Mesh& m) { m.m_Channels[0].tvertCount = 4; }, false},
        {"channel faces past the list", [](KM_Mesh& m) { m.m_Channels[0].firstTFace = 1; }, false},
        {"texture faces short of the faces", [](KM_Mesh& m) { m.m_TFaces.pop_back(); }, false},
        {"normals short of the faces", [](KM_Mesh& m) { m.m_Normals.pop_back(); }, false},
        {"colour faces short of the faces", [](KM_Mesh& m) { m.m_CFaces.pop_back(); }, false},
        {"texture faces without texture vertices", [](KM_Mesh& m) { m.m_TVertices.clear(); }, true},
        {"face vertex at the last vertex", [](KM_Mesh& m) { m.m_Faces.back().b = 3; }, true},
        {"colour face at the last colour", [](KM_Mesh& m) { m.m_CFaces.front().a = 1; }, true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.fault);
        auto geo = kmfsamples::Geo();
        // A weld that succeeded before leaves nothing behind either.
        ASSERT_TRUE(KM_Model::WeldMesh(geo->m_Mesh));
        ASSERT_GT(geo->m_Mesh.m_Render.vertexCount, 0u);
        c.spoil(geo->m_Mesh);
        EXPECT_EQ(geo->m_Mesh.ArraysConsistent() && geo->m_Mesh.IndicesValid(), c.usable);
        EXPECT_EQ(KM_Model::WeldMesh(geo->m_Mesh), c.usable);
        if (c.usable)
        {
            ExpectWeldAsDefined(geo->m_Mesh);
            continue;
        }
        const KM_Mesh::RenderData& render = geo->m_Mesh.m_Render;
        EXPECT_EQ(render.vertexCount, 0u);
        EXPECT_TRUE(render.indices.empty());
        EXPECT_TRUE(render.positions.empty());
        EXPECT_TRUE(render.texCoords.empty());
        EXPECT_TRUE(render.sourceVertex.empty());

        m_Debug.Clear();
        ExpectSkippedBesideACube(std::move(geo));
    }
}

// The weld's working memory outlives a mesh on its thread: a mesh welded after a larger one, or after one
// that was refused halfway, gives exactly what it gives on a thread that never welded anything.
TEST_F(ModelTest, WeldAfterOtherMeshesGivesWhatAFreshThreadGives)
{
    const KM_Mesh small = RandomMesh(3, true, true, 1, 40);
    KM_Mesh large = RandomMesh(4, true, true, 1, 3000);
    KM_Mesh refused = RandomMesh(5, true, false, 0, 500);
    refused.m_Faces[400].a = static_cast<uint32_t>(refused.m_Vertices.size());

    KM_Mesh fresh = small;
    std::thread([&fresh] { KM_Model::WeldMesh(fresh); }).join();
    ASSERT_GT(fresh.m_Render.vertexCount, 0u);

    for (KM_Mesh* before : {&large, &refused})
    {
        SCOPED_TRACE(before == &large ? "after a larger mesh" : "after a refused mesh");
        KM_Model::WeldMesh(*before);
        KM_Mesh again = small;
        ASSERT_TRUE(KM_Model::WeldMesh(again));
        EXPECT_EQ(again.m_Render.vertexCount, fresh.m_Render.vertexCount);
        EXPECT_EQ(again.m_Render.indices, fresh.m_Render.indices);
        EXPECT_EQ(again.m_Render.sourceVertex, fresh.m_Render.sourceVertex);
        EXPECT_EQ(again.m_Render.colors, fresh.m_Render.colors);
        // Compared by their bits: the sample values include a NaN.
        const auto bits = [](const KM_Mesh::RenderArray<float>& values)
        {
            std::vector<uint32_t> words(values.size());
            if (!values.empty())
                std::memcpy(words.data(), values.data(), values.size() * sizeof(float));
            return words;
        };
        EXPECT_EQ(bits(again.m_Render.positions), bits(fresh.m_Render.positions));
        EXPECT_EQ(bits(again.m_Render.normals), bits(fresh.m_Render.normals));
        ASSERT_EQ(again.m_Render.texCoords.size(), fresh.m_Render.texCoords.size());
        for (size_t channel = 0; channel < fresh.m_Render.texCoords.size(); ++channel)
            EXPECT_EQ(bits(again.m_Render.texCoords[channel]), bits(fresh.m_Render.texCoords[channel]));
    }
    EXPECT_EQ(refused.m_Render.vertexCount, 0u);
}

namespace
{

float FloatWithBits(uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Three equal faces over three file vertices, every corner carrying the same normal, texture vertex, colour
// and extra channel vertex: three render vertices. Spare list entries let a case point the middle face at
// values that differ from the first ones in a single word, or not at all.
KM_Mesh ThreeEqualFaces(bool texture, bool colour, bool channel)
{
    KM_Mesh mesh;
    // 3: the bits of 0; 4: 0 with minus zero for x.
    mesh.m_Vertices = {{0, 1, 2}, {3, 4, 5}, {6, 7, 8}, {0, 1, 2}, {-0.0f, 1, 2}};
    KM_Mesh::FaceNormals normals;
    normals.corner[0] = normals.corner[1] = normals.corner[2] = {0, 1, 0};
    for (int f = 0; f < 3; ++f)
    {
        mesh.m_Faces.push_back({0, 1, 2, 0});
        mesh.m_Normals.push_back(normals);
    }
    if (texture)
    {
        // 1: u differs; 2: v differs; 3: the bits of 0.
        mesh.m_TVertices = {{0.25f, 0.5f, 0}, {0.75f, 0.5f, 0}, {0.25f, 0.125f, 0}, {0.25f, 0.5f, 0}};
        mesh.m_TFaces.assign(3, {0, 0, 0});
    }
    if (colour)
    {
        // 1: blue differs; 2: differs as a float but packs to the same colour.
        mesh.m_CVertices = {{1, 0.5f, 0}, {1, 0.5f, 1}, {1, 0.5001f, 0}};
        mesh.m_CFaces.assign(3, {0, 0, 0});
    }
    if (channel)
    {
        KM_Mesh::Channel extra;
        extra.number = 2;
        extra.tvertCount = 2;
        extra.tfaceCount = 3;
        mesh.m_Channels.push_back(extra);
        // 1: v differs.
        mesh.m_ExtraTVertices = {{0.5f, 0.5f, 0}, {0.5f, 0.25f, 0}};
        mesh.m_ExtraTFaces.assign(3, {0, 0, 0});
    }
    return mesh;
}

} // namespace

// A corner welds to an earlier vertex exactly when every word it carries agrees bit for bit: one word apart
// (each word of the normal, texture pair, colour and extra pair, zero against minus zero, one NaN against
// another) makes a vertex of its own, in every layout. The last face equals the first and finds its
// vertices however many were made at their places since.
TEST_F(ModelTest, CornersWeldExactlyWhenEveryWordTheyCarryAgrees)
{
    enum Needs
    {
        kNothing,
        kTexture,
        kColour,
        kChannel
    };
    const uint32_t nanA = 0x7FC00001u, nanB = 0x7FC00002u;
    const struct
    {
        const char* change;
        Needs needs;
        uint32_t added;
        std::function<void(KM_Mesh&)> apply;
    } cases[] = {
        {"nothing", kNothing, 0, [](KM_Mesh&) {}},
        {"normal x", kNothing, 1, [](KM_Mesh& m) { m.m_Normals[1].corner[0].x = 0.5f; }},
        {"normal y", kNothing, 1, [](KM_Mesh& m) { m.m_Normals[1].corner[0].y = 2.0f; }},
        {"normal z", kNothing, 1, [](KM_Mesh& m) { m.m_Normals[1].corner[0].z = 0.25f; }},
        {"normal x minus zero", kNothing, 1, [](KM_Mesh& m) { m.m_Normals[1].corner[0].x = -0.0f; }},
        {"normal z minus zero", kNothing, 1, [](KM_Mesh& m) { m.m_Normals[1].corner[2].z = -0.0f; }},
        {"one NaN against another", kNothing, 1,
         [&](KM_Mesh& m)
         {
             for (KM_Mesh::FaceNormals& n : m.m_Normals)
                 n.corner[0].y = FloatWithBits(nanA);
             m.m_Normals[1].corner[0].y = FloatWithBits(nanB);
         }},
        {"the same NaN", kNothing, 0,
         [&](KM_Mesh& m)
         {
             for (KM_Mesh::FaceNormals& n : m.m_Normals)
                 n.corner[1].z = FloatWithBits(nanA);
         }},
        {"another file vertex at the same position", kNothing, 0, [](KM_Mesh& m) { m.m_Faces[1].a = 3; }},
        {"a file vertex at minus zero", kNothing, 1, [](KM_Mesh& m) { m.m_Faces[1].a = 4; }},
        {"a degenerate face", kNothing, 0,
         [](KM_Mesh& m)
         {
             m.m_Faces[1] = {0, 0, 0, 0};
             m.m_Normals[1].corner[1] = m.m_Normals[1].corner[2] = m.m_Normals[1].corner[0];
         }},
        {"a degenerate face with three normals", kNothing, 2,
         [](KM_Mesh& m)
         {
             m.m_Faces[1] = {0, 0, 0, 0};
             m.m_Normals[1].corner[1].z = 0.25f;
             m.m_Normals[1].corner[2].z = 0.5f;
         }},
        {"every corner of the middle face", kNothing, 3,
         [](KM_Mesh& m)
         {
             for (KM_Point3& n : m.m_Normals[1].corner)
                 n.x = 0.75f;
         }},
        {"texture u", kTexture, 1, [](KM_Mesh& m) { m.m_TFaces[1].a = 1; }},
        {"texture v", kTexture, 1, [](KM_Mesh& m) { m.m_TFaces[1].c = 2; }},
        {"another texture vertex of the same bits", kTexture, 0, [](KM_Mesh& m) { m.m_TFaces[1].b = 3; }},
        {"colour", kColour, 1, [](KM_Mesh& m) { m.m_CFaces[1].b = 1; }},
        {"a colour that packs the same", kColour, 0, [](KM_Mesh& m) { m.m_CFaces[1].a = 2; }},
        {"extra channel v", kChannel, 1, [](KM_Mesh& m) { m.m_ExtraTFaces[1].c = 1; }},
    };
    for (int layout = 0; layout < 8; ++layout)
    {
        const bool texture = layout & 1, colour = layout & 2, channel = layout & 4;
        for (const auto& c : cases)
        {
            if ((c.needs == kTexture && !texture) || (c.needs == kColour && !colour) ||
                (c.needs == kChannel && !channel))
                continue;
            SCOPED_TRACE(testing::Message() << c.change << ", texture " << texture << " colour " << colour
                                            << " channel " << channel);
            KM_Mesh mesh = ThreeEqualFaces(texture, colour, channel);
            c.apply(mesh);
            ExpectWeldAsDefined(mesh);
            const KM_Mesh::RenderData& render = mesh.m_Render;
            EXPECT_EQ(render.vertexCount, 3u + c.added);
            ASSERT_EQ(render.indices.size(), 9u);
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(render.indices[6 + i], render.indices[i]) << "corner " << i << " of the last face";
        }
    }
}

// A copy of a welded mesh holds its own welded vertices: welding the original again, or dropping it, leaves
// the copy's as they were.
TEST_F(ModelTest, ACopiedMeshKeepsItsWeldedVertices)
{
    auto original = std::make_unique<KM_Mesh>(RandomMesh(71, true, true, 1, 200));
    ASSERT_TRUE(KM_Model::WeldMesh(*original));
    const KM_Mesh copy(*original);
    const PlainWeld expected = WeldByDefinition(copy);

    const KM_Mesh other = RandomMesh(72, false, false, 0, 90);
    original->m_Vertices = other.m_Vertices;
    original->m_Faces = other.m_Faces;
    original->m_Normals = other.m_Normals;
    original->m_TVertices.clear();
    original->m_TFaces.clear();
    original->m_CVertices.clear();
    original->m_CFaces.clear();
    original->m_Channels.clear();
    ASSERT_TRUE(KM_Model::WeldMesh(*original));
    ASSERT_NE(original->m_Render.vertexCount, expected.vertices.size());
    original.reset();

    ASSERT_EQ(copy.m_Channels.size(), 1u);
    ExpectWelded(copy, expected);
}
