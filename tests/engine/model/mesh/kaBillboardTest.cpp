#include "engine/model/kaBillboard.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaMeshSubset.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaTGAImage.h"
#include "engine/render/kaTexture.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include "tests/support/engine/model/MeshTestSupport.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/math/Matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace platform;

namespace
{

constexpr float kTolerance = 1e-4f;

void ExpectCorner(const Vector3& actual, float x, float y, float z)
{
    EXPECT_NEAR(actual.x, x, kTolerance);
    EXPECT_NEAR(actual.y, y, kTolerance);
    EXPECT_NEAR(actual.z, z, kTolerance);
}

// Billboards seen by an unrotated camera: right is +x, up is +y.
class BillboardTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start(nullptr));
        SetView(Matrix());
    }

    void TearDown() override
    {
        for (kaBillboard* billboard : m_Billboards)
            billboard->Release();
    }

    void SetView(const Matrix& view) { m_Manager->GetDevice()->SetTransform(TS_VIEW, &view); }

    kaBillboard* Make()
    {
        auto* billboard = new kaBillboard;
        billboard->AddRef();
        billboard->InitializeHierarchy();
        m_Billboards.push_back(billboard);
        return billboard;
    }

    static std::vector<kaBillboard::Vertex> Vertices(const kaBillboard& billboard)
    {
        return meshtest::ReadVertices<kaBillboard::Vertex>(billboard.GetMesh()->GetSubset(0)->m_VertexBuffer,
                                                           4);
    }

    std::vector<kaBillboard*> m_Billboards;
};

} // namespace

TEST_F(BillboardTest, QuadIsOneSubsetOfFourColouredTexturedVerticesDrawnUnlitAndBlended)
{
    kaBillboard* billboard = Make();
    kaMesh* mesh = billboard->GetMesh();
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetFVF(), 0x142u);
    EXPECT_EQ(mesh->GetSubsetCount(), 1u);
    EXPECT_EQ(sizeof(kaBillboard::Vertex), 24u);
    EXPECT_EQ(meshtest::ReadIndices(mesh->GetSubset(0)->m_IndexBuffer, 6),
              (std::vector<uint16_t>{0, 2, 1, 1, 2, 3}));
    const kaRenderState* state = billboard->GetRenderState();
    ASSERT_NE(state, nullptr);
    EXPECT_FALSE(state->m_Lighting);
    EXPECT_TRUE(state->m_AmbientFromVertexColor);
    EXPECT_TRUE(state->m_AlphaBlend);
    EXPECT_TRUE(state->m_BackFaceCull);
    EXPECT_TRUE(state->GetStages().empty());
}

TEST_F(BillboardTest, CentredQuadSpansItsSizeAboutThePosition)
{
    kaBillboard* billboard = Make();
    billboard->SetSize(2.0f, 4.0f);
    billboard->SetTexCoords(0.1f, 0.2f, 0.3f, 0.4f);
    billboard->SetColor(kaColor::kaColorClamped(1.0f, 0.5f, 0.0f, 0.25f));
    billboard->SetPosition(5.0f, 6.0f, 7.0f);
    ExpectCorner(billboard->GetCorner(0), 4.0f, 4.0f, 7.0f);
    ExpectCorner(billboard->GetCorner(1), 6.0f, 4.0f, 7.0f);
    ExpectCorner(billboard->GetCorner(2), 4.0f, 8.0f, 7.0f);
    ExpectCorner(billboard->GetCorner(3), 6.0f, 8.0f, 7.0f);

    const std::vector<kaBillboard::Vertex> vertices = Vertices(*billboard);
    ASSERT_EQ(vertices.size(), 4u);
    // Left-bottom at (uLeft, vBottom), right-top at (uRight, vTop).
    EXPECT_EQ(vertices[0].u, 0.1f);
    EXPECT_EQ(vertices[0].v, 0.4f);
    EXPECT_EQ(vertices[3].u, 0.3f);
    EXPECT_EQ(vertices[3].v, 0.2f);
    EXPECT_EQ(vertices[2].x, 4.0f);
    EXPECT_EQ(vertices[2].y, 8.0f);
    // A, R, G, B each truncated from c x 255.
    EXPECT_EQ(vertices[1].diffuse, 0x3FFF7F00u);
}

TEST_F(BillboardTest, BottomAnchoredQuadStandsOnItsPosition)
{
    kaBillboard* billboard = Make();
    billboard->SetBottomAnchored(true);
    billboard->SetSize(2.0f, 4.0f);
    billboard->SetPosition(0.0f, 0.0f, 0.0f);
    ExpectCorner(billboard->GetCorner(0), -1.0f, 0.0f, 0.0f);
    ExpectCorner(billboard->GetCorner(1), 1.0f, 0.0f, 0.0f);
    ExpectCorner(billboard->GetCorner(2), -1.0f, 4.0f, 0.0f);
    ExpectCorner(billboard->GetCorner(3), 1.0f, 4.0f, 0.0f);
}

TEST_F(BillboardTest, CustomAnchorPlacesThePositionInsideTheQuad)
{
    kaBillboard* billboard = Make();
    billboard->SetAnchor(0.0f, 0.0f);
    billboard->SetSize(2.0f, 4.0f);
    billboard->SetPosition(1.0f, 1.0f, 0.0f);
    ExpectCorner(billboard->GetCorner(0), 1.0f, 1.0f, 0.0f);
    ExpectCorner(billboard->GetCorner(3), 3.0f, 5.0f, 0.0f);

    billboard->SetAnchor(0.25f, 0.75f);
    billboard->RebuildQuad();
    ExpectCorner(billboard->GetCorner(0), 0.5f, -2.0f, 0.0f);
    ExpectCorner(billboard->GetCorner(3), 2.5f, 2.0f, 0.0f);
}

TEST_F(BillboardTest, CornersFollowTheViewsAxesOrTheOrientationMatrix)
{
    kaBillboard* billboard = Make();
    billboard->SetSize(2.0f, 2.0f);
    // A view turned a quarter about y: the camera's right is the world's +z.
    Matrix view;
    MatrixRotationY(&view, 1.5707964f);
    SetView(view);
    billboard->SetPosition(0.0f, 0.0f, 0.0f);
    ExpectCorner(billboard->GetCorner(1), 0.0f, -1.0f, 1.0f);

    // Not facing the camera: the orientation's axes, whatever the view.
    Matrix orientation;
    MatrixRotationZ(&orientation, 1.5707964f);
    billboard->SetCameraFacing(false);
    billboard->SetOrientation(orientation);
    billboard->RebuildQuad();
    // Its first column is (0, -1, 0), its second (1, 0, 0).
    ExpectCorner(billboard->GetCorner(1), -1.0f, -1.0f, 0.0f);
}

TEST_F(BillboardTest, FixedPixelSizeCoversThatManyPixelsAtItsDistance)
{
    kaBillboard* billboard = Make();
    Matrix projection;
    MatrixPerspectiveFovLH(&projection, 1.5707964f, 1.0f, 1.0f, 100.0f);
    m_Manager->GetDevice()->SetTransform(TS_PROJECTION, &projection);
    uint32_t width = 0;
    uint32_t height = 0;
    m_Manager->GetViewportSize(width, height);
    ASSERT_GT(width, 0u);
    billboard->SetPixelSize(40, 20);
    billboard->SetPosition(0.0f, 0.0f, 10.0f);
    EXPECT_TRUE(billboard->IsFixedPixelSize());
    // At depth 10 the half-width 1 of the view spans 10 units: a pixel is 20 / width units.
    EXPECT_NEAR(billboard->GetWidth(), 40.0f * 20.0f / static_cast<float>(width), kTolerance);
    EXPECT_NEAR(billboard->GetHeight(), 20.0f * 20.0f / static_cast<float>(width), kTolerance);
    // Twice as far, twice as large.
    billboard->SetPosition(0.0f, 0.0f, 20.0f);
    EXPECT_NEAR(billboard->GetWidth(), 2.0f * 40.0f * 20.0f / static_cast<float>(width), kTolerance);

    billboard->SetSize(3.0f, 3.0f);
    EXPECT_FALSE(billboard->IsFixedPixelSize());
    billboard->RebuildQuad();
    EXPECT_EQ(billboard->GetWidth(), 3.0f);
}

TEST_F(BillboardTest, RenderRebuildsOnlyInFramesThatAskForIt)
{
    kaBillboard* billboard = Make();
    billboard->SetSize(2.0f, 2.0f);
    billboard->SetPosition(0.0f, 0.0f, 5.0f);
    m_Manager->AddSceneObject(billboard, false);
    Matrix turned;
    MatrixRotationY(&turned, 1.5707964f);
    SetView(turned);
    m_Manager->Render(false, false);
    ExpectCorner(billboard->GetCorner(1), 1.0f, -1.0f, 5.0f);

    m_Manager->SetViewChanged(true);
    SetView(turned);
    m_Manager->Render(false, false);
    ExpectCorner(billboard->GetCorner(1), 0.0f, -1.0f, 6.0f);
    EXPECT_EQ(m_Manager->GetTriangleCount(), 2u);
    ASSERT_FALSE(Device()->Draws().empty());
    EXPECT_EQ(Device()->Draws().back().PrimitiveCount, 2u);
    m_Manager->RemoveSceneObject(billboard);
}

TEST_F(BillboardTest, DepthFlagsNeedTheQuad)
{
    kaBillboard* billboard = Make();
    billboard->SetZTest(false);
    billboard->SetZWrite(false);
    EXPECT_FALSE(billboard->GetRenderState()->m_ZTest);
    EXPECT_FALSE(billboard->GetRenderState()->m_ZWrite);

    kaBillboard bare;
    EXPECT_EQ(bare.GetRenderState(), nullptr);
    bare.SetZTest(false);
    bare.RebuildQuad();
    bare.Render(0);
    EXPECT_EQ(bare.GetMesh(), nullptr);
}

// Textures.

namespace
{

class TexturedBillboardTest : public BillboardTest
{
protected:
    void SetUp() override
    {
        BillboardTest::SetUp();
        // A 64 x 32 image.
        const std::vector<uint8_t> pixels(64 * 32 * 4, 0xC0);
        kaTGAImage image;
        ASSERT_TRUE(image.Create(64, 32, 32, 8, pixels.data()));
        m_Glow = m_Dir.File("glow.tga");
        ASSERT_TRUE(image.Save(m_Glow, false));
    }

    std::string m_Glow;
};

} // namespace

TEST_F(TexturedBillboardTest, A64By32TextureAtHalfScaleIs32By16AndAMissingOneKeepsTheSize)
{
    kaBillboard* billboard = Make();
    billboard->SetTexture(m_Glow);
    ASSERT_NE(billboard->GetRenderState()->GetTexture(0), nullptr);
    EXPECT_EQ(billboard->GetWidth(), 64.0f);
    EXPECT_EQ(billboard->GetHeight(), 32.0f);
    billboard->SetScale(0.5f);
    EXPECT_EQ(billboard->GetWidth(), 32.0f);
    EXPECT_EQ(billboard->GetHeight(), 16.0f);
    EXPECT_EQ(billboard->GetBoundingRadius(), 32.0f);
    float left = 0, top = 0, right = 0, bottom = 0;
    billboard->GetTexCoords(left, top, right, bottom);
    EXPECT_EQ(right, 1.0f);
    EXPECT_EQ(bottom, 1.0f);

    // A missing texture keeps the size.
    kaBillboard* missing = Make();
    missing->SetSize(3.0f, 4.0f);
    missing->SetTexture(m_Dir.File("missing.tga"));
    EXPECT_EQ(missing->GetWidth(), 3.0f);
    EXPECT_EQ(missing->GetTextureName(), m_Dir.File("missing.tga"));
}

TEST_F(TexturedBillboardTest, AfterADeviceResetTheQuadIsUntexturedUntilSetAgain)
{
    kaBillboard* billboard = Make();
    m_Manager->AddSceneObject(billboard, false);
    billboard->SetTexture(m_Glow);
    ASSERT_EQ(m_Manager->ResetDevice(), GFX_OK);
    ASSERT_NE(billboard->GetRenderState(), nullptr);
    EXPECT_TRUE(billboard->GetRenderState()->GetStages().empty());
    EXPECT_EQ(billboard->GetTextureName(), m_Glow);
    billboard->SetTexture(billboard->GetTextureName());
    EXPECT_NE(billboard->GetRenderState()->GetTexture(0), nullptr);
    m_Manager->RemoveSceneObject(billboard);
}
