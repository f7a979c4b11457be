#include "engine/terrain/kaSkyBox.h"

#include "engine/core/kaLexicalCast.h"
#include "engine/render/kaRenderState.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaPropertyRecord.h"
#include "engine/terrain/kaCloudPlane.h"
#include "engine/terrain/kaRotationOnlyMesh.h"
#include "tests/support/engine/terrain/EnvironmentFixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{

const char* const kSkyXml =
    "<Skybox><left>l.dds</left><right>r.dds</right><forward>f.dds</forward><back>b.dds"
    "</back><top>t.dds</top><Cloudplane><texture>clouds.dds</texture><height>90</height>"
    "<speed>0.5</speed></Cloudplane><Cloudplane><texture>high.dds</texture><height>200"
    "</height><speed>-0.125</speed></Cloudplane></Skybox>";

std::unique_ptr<kaSkyBox> ReadSky(const char* xml)
{
    TiXmlDocument document;
    document.Parse(xml);
    auto sky = std::make_unique<kaSkyBox>();
    sky->ReadXml(document.RootElement());
    return sky;
}

class SkyBoxTest : public EnvironmentFixture
{
protected:
    // A subset's vertices and indices as the CPU copy holds them.
    template <typename Vertex> std::vector<Vertex> Vertices(const kaMeshSubset& subset)
    {
        const auto* data = static_cast<const Vertex*>(m_Manager->LockVertexBuffer(subset.m_SysVertexBuffer));
        std::vector<Vertex> out(data, data + subset.m_VertexCount);
        m_Manager->UnlockVertexBuffer(subset.m_SysVertexBuffer);
        return out;
    }
    std::vector<uint16_t> Indices(const kaMeshSubset& subset)
    {
        const auto* data = static_cast<const uint16_t*>(m_Manager->LockIndexBuffer(subset.m_SysIndexBuffer));
        std::vector<uint16_t> out(data, data + subset.m_IndexCount);
        m_Manager->UnlockIndexBuffer(subset.m_SysIndexBuffer);
        return out;
    }
};

struct FaceVertex
{
    float x, y, z, u, v;
    bool operator==(const FaceVertex& o) const
    {
        return x == o.x && y == o.y && z == o.z && u == o.u && v == o.v;
    }
};

TEST_F(SkyBoxTest, FacesSurroundTheCameraBehindEverything)
{
    std::unique_ptr<kaSkyBox> sky = ReadSky(kSkyXml);
    const kaRotationOnlyMesh* box = sky->GetBox();
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->GetSubsetCount(), 5u);
    const float B = -50.0f, T = 100.0f;
    const FaceVertex faces[5][4] = {
        {{-100, B, -100, 0, 1}, {-100, B, 100, 1, 1}, {-100, T, -100, 0, 0}, {-100, T, 100, 1, 0}},
        {{100, B, 100, 0, 1}, {100, B, -100, 1, 1}, {100, T, 100, 0, 0}, {100, T, -100, 1, 0}},
        {{-100, B, 100, 0, 1}, {100, B, 100, 1, 1}, {-100, T, 100, 0, 0}, {100, T, 100, 1, 0}},
        {{100, B, -100, 0, 1}, {-100, B, -100, 1, 1}, {100, T, -100, 0, 0}, {-100, T, -100, 1, 0}},
        {{-100, T, -100, 1, 1}, {100, T, -100, 0, 1}, {-100, T, 100, 1, 0}, {100, T, 100, 0, 0}},
    };
    for (uint32_t face = 0; face < 5; ++face)
    {
        const kaMeshSubset& subset = *box->GetSubset(face);
        EXPECT_EQ(Vertices<FaceVertex>(subset), std::vector<FaceVertex>(faces[face], faces[face] + 4))
            << face;
        const std::vector<uint16_t> expected =
            face == 4 ? std::vector<uint16_t>{0, 1, 2, 2, 1, 3} : std::vector<uint16_t>{0, 2, 1, 1, 2, 3};
        EXPECT_EQ(Indices(subset), expected) << face;
        const kaRenderState& state = *subset.GetRenderState();
        EXPECT_FALSE(state.m_Lighting);
        EXPECT_FALSE(state.m_ZWrite);
        EXPECT_FALSE(state.m_ZTest);
    }
    EXPECT_EQ(box->GetRenderOrder(), -50);
    EXPECT_EQ(box->GetFVF(), kaSkyBox::kBoxFVF);
}

TEST_F(SkyBoxTest, CloudPlanesFadeAtTheirStripsAndScrollWithWrap)
{
    std::unique_ptr<kaSkyBox> sky = ReadSky(kSkyXml);
    ASSERT_EQ(sky->GetCloudPlanes().size(), 2u);
    kaCloudPlane& plane = *sky->GetCloudPlanes()[0];
    EXPECT_EQ(plane.GetRenderOrder(), -48);
    const kaMeshSubset& subset = *plane.GetSubset(0);
    EXPECT_TRUE(subset.GetRenderState()->m_AlphaBlend);
    EXPECT_FALSE(subset.GetRenderState()->m_ZWrite);
    EXPECT_FALSE(subset.GetRenderState()->m_Lighting);
    EXPECT_EQ(Indices(subset), (std::vector<uint16_t>{0, 3, 2, 0, 1, 3, 2, 5, 4, 3, 5, 2, 6, 1, 0, 7, 1, 6}));
    std::vector<kaCloudPlane::Vertex> vertices = Vertices<kaCloudPlane::Vertex>(subset);
    ASSERT_EQ(vertices.size(), 8u);
    const float zs[8] = {-850, -850, 850, 850, 1275, 1275, -1275, -1275};
    for (int i = 0; i < 8; ++i)
    {
        EXPECT_EQ(vertices[i].x, i % 2 ? 850.0f : -850.0f) << i;
        EXPECT_EQ(vertices[i].y, 90.0f) << i;
        EXPECT_EQ(vertices[i].z, zs[i]) << i;
        EXPECT_EQ(vertices[i].diffuse, i < 4 ? 0xFFFFFFFFu : 0x00FFFFFFu) << i;
    }

    // Speed 0.5: each update writes the offset it starts with, and an offset past 2 comes back by 2.
    struct Step
    {
        float written, after;
    } steps[] = {{0.0f, 0.5f}, {0.5f, 1.0f}, {1.0f, 1.5f}, {1.5f, 2.0f},
                 {2.0f, 2.5f}, {2.5f, 1.0f}, {1.0f, 1.5f}};
    for (const Step& step : steps)
    {
        sky->Update(1.0f);
        vertices = Vertices<kaCloudPlane::Vertex>(subset);
        const float vs[8] = {0.0f, 0.0f, 1.0f, 1.0f, 1.25f, 1.25f, -0.25f, -0.25f};
        for (int i = 0; i < 8; ++i)
            EXPECT_FLOAT_EQ(vertices[i].v, step.written + vs[i]) << i;
        EXPECT_FLOAT_EQ(plane.m_Offset, step.after);
    }
}

TEST_F(SkyBoxTest, CloudsNeedABoxButNotItsFaces)
{
    kaSkyBox sky;
    sky.AddCloudPlane("clouds.dds", 90.0f, 1.0f);
    EXPECT_TRUE(sky.GetCloudPlanes().empty());

    std::unique_ptr<kaSkyBox> faceless =
        ReadSky("<Skybox><Cloudplane><texture>c.dds</texture><height>oops</height></Cloudplane></Skybox>");
    ASSERT_NE(faceless->GetBox(), nullptr);
    ASSERT_EQ(faceless->GetCloudPlanes().size(), 1u);
    EXPECT_EQ(faceless->GetCloudPlanes()[0]->m_Height, 0.0f);
    EXPECT_EQ(faceless->GetName(), "Skybox");
    EXPECT_EQ(faceless->GetClassName(), "kaSkyBox");
    EXPECT_EQ(CreateEntity("kaSkyBox"), nullptr);
}

TEST_F(SkyBoxTest, ElementRoundTrips)
{
    std::unique_ptr<kaSkyBox> sky = ReadSky(kSkyXml);
    const std::string first = Written(*sky, "Skybox");
    EXPECT_EQ(first, std::string(kSkyXml));
    EXPECT_EQ(Written(*ReadSky(first.c_str()), "Skybox"), first);
}

TEST_F(SkyBoxTest, RowsNameFacesThenEachCloudPlane)
{
    std::unique_ptr<kaSkyBox> sky = ReadSky(kSkyXml);
    std::vector<std::string> labels;
    for (const auto& row : sky->GetPropertyList())
        labels.push_back(row->m_Label);
    const std::vector<std::string> expected = {"Name:",
                                               "Collidable:",
                                               "Visible:",
                                               "Selectable:",
                                               "Left:",
                                               "Right:",
                                               "Forward:",
                                               "Back:",
                                               "Top:",
                                               "Cloudplane 0 Texture:",
                                               "Cloudplane 0 Speed:",
                                               "Cloudplane 0 Height:",
                                               "Cloudplane 1 Texture:",
                                               "Cloudplane 1 Speed:",
                                               "Cloudplane 1 Height:"};
    EXPECT_EQ(labels, expected);
    EXPECT_EQ(sky->GetPropertyList()[9]->m_Folder, "resources/worlds/skybox/");
    EXPECT_EQ(sky->GetPropertyList()[13]->m_Value, "-0.125");
}

TEST_F(SkyBoxTest, EditedRowsStoreTheirValues)
{
    struct Case
    {
        const char* label;
        const char* value;
        bool changed;
        std::string top;
        float speed1;
        float height0;
    } cases[] = {
        {"Top:", "night.dds", true, "night.dds", -0.125f, 90.0f},
        {"Cloudplane 1 Speed:", "3", true, "t.dds", 3.0f, 90.0f},
        {"Cloudplane 0 Height:", "120", true, "t.dds", -0.125f, 120.0f},
        {"Cloudplane 2 Speed:", "3", false, "t.dds", -0.125f, 90.0f},
        {"Cloudplane 0 Height:", "90", false, "t.dds", -0.125f, 90.0f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.label);
        std::unique_ptr<kaSkyBox> sky = ReadSky(kSkyXml);
        kaPropertyList rows = sky->GetPropertyList();
        kaPropertyRecord::Append(rows, c.label, c.value);
        EXPECT_EQ(sky->SetPropertyList(rows), c.changed);
        EXPECT_EQ(sky->GetFace(4), c.top);
        EXPECT_EQ(sky->GetCloudPlanes()[1]->m_Speed, c.speed1);
        EXPECT_EQ(sky->GetCloudPlanes()[0]->m_Height, c.height0);
        ASSERT_NE(sky->GetBox(), nullptr);
    }

    // A number that does not convert stops before anything is stored, the rows before it included.
    std::unique_ptr<kaSkyBox> sky = ReadSky(kSkyXml);
    kaPropertyList rows = sky->GetPropertyList();
    rows[4]->m_Value = "west.dds";
    rows[10]->m_Value = "fast";
    EXPECT_THROW(sky->SetPropertyList(rows), ka::bad_lexical_cast);
    EXPECT_EQ(Written(*sky, "Skybox"), std::string(kSkyXml));
}

} // namespace
