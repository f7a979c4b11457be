#include "engine/scene/kaWorld.h"

#include "engine/core/kaFileSystem.h"
#include "engine/model/kaBoundingBox.h"
#include "engine/model/kaModelManager.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaDebugPrimitive.h"
#include "engine/scene/kaCollideInfo.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaTerrainBase.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

using platform::Vector3;

namespace
{

// Ground hit at a set distance along any segment.
class RayTerrain : public kaTerrainBase
{
public:
    explicit RayTerrain(float distance) : m_Distance(distance) {}
    float GetHeightAt(float, float) const override { return 0.0f; }
    float GetWidth() const override { return 0.0f; }
    float GetLength() const override { return 0.0f; }
    bool IntersectRay(float sx, float sy, float sz, float ex, float ey, float ez, Vector3& point,
                      Vector3& normal) override
    {
        Vector3 direction = Vector3(ex, ey, ez) - Vector3(sx, sy, sz);
        platform::Vec3Normalize(&direction, &direction);
        point = Vector3(sx, sy, sz) + direction * m_Distance;
        normal = Vector3(0.0f, 1.0f, 0.0f);
        return true;
    }

private:
    float m_Distance;
};

class WorldPickTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(Start(nullptr)); }
    void TearDown() override
    {
        m_World.reset();
        m_Models.DeleteAll();
    }

    // A crate whose box centre sits at (x, 0, 0).
    kaEntityModel* Crate(float x)
    {
        TiXmlDocument document;
        document.Parse("<Entity><kmfFilename>resources/models/crate/crate.kmf</kmfFilename></Entity>");
        auto* crate = new kaEntityModel;
        crate->ReadXml(document.RootElement());
        EXPECT_TRUE(m_World->AddEntity(crate, true, true));
        const kaBoundingBox* box = crate->GetBoundingBox();
        crate->SetPosition(Vector3(x - box->m_Centre.x, -box->m_Centre.y, -box->m_Centre.z));
        return crate;
    }
    // Along +x through the crates' centres, from x = -10.
    bool Pick(uint32_t flags, kaCollideInfo& hit)
    {
        return m_World->Pick(Vector3(-10.0f, 0.0f, 0.0f), Vector3(100.0f, 0.0f, 0.0f), &hit, flags);
    }

    testsupport::CurrentDirectory m_Content{TARVOLIN_CONTENT_DIR};
    kaFileSystem m_Files;
    kaModelManager m_Models;
    std::unique_ptr<kaWorld> m_World = std::make_unique<kaWorld>();
};

TEST_F(WorldPickTest, FlagsChooseAmongTerrainAndEntities)
{
    kaCollideInfo hit;
    EXPECT_FALSE(Pick(kaWorld::kPickTerrain, hit));
    EXPECT_FALSE(m_World->Pick(Vector3(), Vector3(1.0f, 0.0f, 0.0f), nullptr, kaWorld::kPickMeshes));

    kaEntityModel* near = Crate(0.0f);
    kaEntityModel* far = Crate(20.0f);
    // The near crate's face is half its width before its centre, whatever the test.
    const float face = -(near->GetBoundingBox()->m_Max.x - near->GetBoundingBox()->m_Min.x) / 2;
    for (const uint32_t flags : {kaWorld::kPickMeshes, kaWorld::kPickBoxes})
    {
        ASSERT_TRUE(Pick(flags, hit)) << flags;
        EXPECT_EQ(hit.m_pObject, near) << flags;
        EXPECT_NEAR(hit.m_Point.x, face, 1e-3f) << flags;
        EXPECT_NEAR(hit.m_Normal.x, -1.0f, 1e-3f) << flags;
    }
    // Spheres only: the hit lies on the bounding sphere, before the face.
    ASSERT_TRUE(Pick(kaWorld::kPickSpheres, hit));
    EXPECT_EQ(hit.m_pObject, near);
    EXPECT_LT(hit.m_Point.x, face - 0.1f);

    // Hidden: found only with the invisible flag; not collidable: never.
    near->SetVisible(false);
    ASSERT_TRUE(Pick(kaWorld::kPickMeshes, hit));
    EXPECT_EQ(hit.m_pObject, far);
    ASSERT_TRUE(Pick(kaWorld::kPickMeshes | kaWorld::kPickInvisible, hit));
    EXPECT_EQ(hit.m_pObject, near);
    near->SetVisible(true);
    near->SetCollidable(false);
    ASSERT_TRUE(Pick(kaWorld::kPickMeshes | kaWorld::kPickInvisible, hit));
    EXPECT_EQ(hit.m_pObject, far);
    near->SetCollidable(true);

    // Venue only: the far crate as the venue, behind the near one.
    m_World->SetVenueEntity(far);
    ASSERT_TRUE(Pick(kaWorld::kPickMeshes | kaWorld::kPickVenueOnly, hit));
    EXPECT_EQ(hit.m_pObject, far);
    m_World->SetVenueEntity(nullptr);
}

TEST_F(WorldPickTest, TheEntityWinsOverGroundWithinTheTolerance)
{
    kaEntityModel* crate = Crate(0.0f);
    kaCollideInfo hit;
    ASSERT_TRUE(Pick(kaWorld::kPickMeshes, hit));
    const float distance = hit.m_Point.x + 10.0f; // from the start at x = -10
    const struct
    {
        float groundOffset;
        bool entityWins;
    } cases[] = {{0.01f, true},
                 {0.0f, true},
                 {1.0f, true},
                 {-0.5f, false},
                 // Nearer ground within 0.1 squared units still loses.
                 {-0.001f, true}};
    for (const auto& c : cases)
    {
        m_World->SetTerrain(new RayTerrain(distance + c.groundOffset));
        ASSERT_TRUE(Pick(kaWorld::kPickMeshes | kaWorld::kPickTerrain, hit)) << c.groundOffset;
        EXPECT_EQ(hit.m_pObject == crate, c.entityWins) << c.groundOffset;
        EXPECT_EQ(hit.m_pObject == m_World->GetTerrain(), !c.entityWins) << c.groundOffset;
        // Ground alone when entities are not asked for.
        ASSERT_TRUE(Pick(kaWorld::kPickTerrain, hit));
        EXPECT_EQ(hit.m_pObject, m_World->GetTerrain());
        EXPECT_NEAR(hit.m_Point.x, -10.0f + distance + c.groundOffset, 1e-4f);
    }
}

TEST_F(WorldPickTest, PickRayNeedsACamera)
{
    Vector3 origin(7.0f, 7.0f, 7.0f);
    Vector3 direction(7.0f, 7.0f, 7.0f);
    m_World->SetCamera(nullptr);
    EXPECT_FALSE(m_World->GetPickRay(10.0f, 10.0f, origin, direction));
    EXPECT_EQ(origin, Vector3(7.0f, 7.0f, 7.0f));
    EXPECT_EQ(direction, Vector3(7.0f, 7.0f, 7.0f));
    m_World->SetCamera(m_World->GetOwnCamera());
    m_World->GetOwnCamera()->SetPosition(1.0f, 2.0f, 3.0f);
    ASSERT_TRUE(m_World->GetPickRay(10.0f, 10.0f, origin, direction));
    EXPECT_EQ(origin, Vector3(1.0f, 2.0f, 3.0f));
    EXPECT_NEAR(direction.x * direction.x + direction.y * direction.y + direction.z * direction.z, 1.0f,
                1e-5f);
}

} // namespace

namespace
{

int32_t g_CursorX = 0;
int32_t g_CursorY = 0;
bool g_CursorKnown = false;

bool Cursor(int32_t& x, int32_t& y)
{
    x = g_CursorX;
    y = g_CursorY;
    return g_CursorKnown;
}

TEST_F(WorldPickTest, ThePickRayDisplayDrawsTheRayAndTheHitNormal)
{
    kaCamera* camera = m_World->GetOwnCamera();
    camera->SetPosition(-10.0f, 0.0f, 0.0f);
    camera->SetRotationAngles(0.0f, 1.5707964f, 0.0f); // looking along +x
    camera->Rotate();
    kaEntityModel* crate = Crate(0.0f);
    kaWorld::SetCursorSource(&Cursor);
    uint32_t width = 0;
    uint32_t height = 0;
    m_Manager->GetViewportSize(width, height);
    const struct
    {
        bool show;
        bool known;
        int32_t x;
        int32_t y;
        size_t lines;
    } cases[] = {
        {false, true, int32_t(width / 2), int32_t(height / 2), 0}, // display off
        {true, false, int32_t(width / 2), int32_t(height / 2), 0}, // cursor unknown
        {true, true, int32_t(width / 2), int32_t(height / 2), 2},  // the ray and the crate's normal
        {true, true, 0, 0, 1},                                     // the ray past everything
    };
    for (const auto& c : cases)
    {
        m_Manager->DrawDebugPrimitives();
        m_World->SetShowPickRay(c.show);
        g_CursorKnown = c.known;
        g_CursorX = c.x;
        g_CursorY = c.y;
        m_World->Update(0.0f);
        const auto& lines = m_Manager->GetDebugPrimitives();
        ASSERT_EQ(lines.size(), c.lines) << c.x << " " << c.show << c.known;
        if (c.lines == 0)
            continue;
        EXPECT_EQ(lines[0].vertices[0].diffuse, 0xFF808080u);
        const Vector3 start(lines[0].vertices[0].x, lines[0].vertices[0].y, lines[0].vertices[0].z);
        const Vector3 end(lines[0].vertices[1].x, lines[0].vertices[1].y, lines[0].vertices[1].z);
        const Vector3 along = end - start;
        EXPECT_NEAR(std::sqrt(along.x * along.x + along.y * along.y + along.z * along.z), 1000.0f, 0.1f);
        if (c.lines == 2)
        {
            EXPECT_EQ(lines[1].vertices[0].diffuse, 0xFFFF0000u);
            // From the crate's near face, 10 units back towards the camera.
            EXPECT_NEAR(lines[1].vertices[0].x, crate->GetBoundingBox()->m_Min.x, 1e-3f);
            EXPECT_NEAR(lines[1].vertices[1].x, crate->GetBoundingBox()->m_Min.x - 10.0f, 1e-3f);
        }
    }
    kaWorld::SetCursorSource(nullptr);
    m_Manager->DrawDebugPrimitives();
}

TEST_F(WorldPickTest, RectangleQueriesGoThroughTheQuadTree)
{
    kaEntityModel* crate = Crate(3.0f);
    std::vector<kaEntity*> found;
    EXPECT_TRUE(m_World->FindEntitiesInRect(nullptr, 2.0f, -1.0f, 4.0f, 1.0f, &found, 0));
    EXPECT_EQ(found, std::vector<kaEntity*>{crate});
    EXPECT_FALSE(m_World->FindEntitiesInRect(crate, 2.0f, -1.0f, 4.0f, 1.0f, nullptr, 0));
    EXPECT_FALSE(m_World->FindEntitiesInRect(nullptr, 10.0f, 10.0f, 12.0f, 12.0f, nullptr, 0));
}

} // namespace
