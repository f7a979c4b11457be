#include "engine/scene/kaArena.h"

#include "engine/scene/kaGeomData.h"
#include "engine/scene/kaPhysicsWorld.h"

#include "tests/support/engine/scene/SceneModelFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

using platform::Vector3;

namespace
{

constexpr const char* kRamp = "resources/models/ramp/ramp.kmf";
constexpr const char* kBall = "resources/models/ball/ball.kmf";

// The sample venue, 64 by 48 inside walls 1 thick, centred on the origin by the world.
constexpr float kInsideX = 31.0f;
constexpr float kInsideZ = 23.0f;
constexpr float kBallRadius = 0.5f;

class ArenaTest : public SceneModelFixture
{
protected:
    void SetUp() override
    {
        StartWith("<initData><uniqueID>Venue</uniqueID><dataType>Venue</dataType><data><kmfFilename>"
                  "resources/models/arena/arena.kmf</kmfFilename><name>Arena</name></data></initData>");
        m_World = std::make_unique<kaPhysicsWorld>();
    }

    kaPhysicsWorld& Physics() { return static_cast<kaPhysicsWorld&>(*m_World); }

    kaArena* LoadVenue()
    {
        EXPECT_TRUE(m_World->LoadVenue("Venue", true));
        return dynamic_cast<kaArena*>(m_World->GetVenueEntity());
    }

    // Read and initialised as the world's loading does: the model's origin lands on the position.
    kaEntityPhysical* AddPhysical(const char* model, const Vector3& at, const std::string& more = "")
    {
        auto* entity = Make<kaEntityPhysical>(File(model) + "<position><x>" + std::to_string(at.x) + "</x><y>" +
                                              std::to_string(at.y) + "</y><z>" + std::to_string(at.z) +
                                              "</z></position>" + more);
        entity->Initialize();
        return entity;
    }
};

} // namespace

TEST_F(ArenaTest, TheVenueIsStaticGeometryInTheWorldSpace)
{
    kaArena* arena = LoadVenue();
    ASSERT_NE(arena, nullptr);
    EXPECT_TRUE(arena->IsPinned());
    EXPECT_EQ(arena->GetBody(), nullptr);
    // The floor, four walls and the trigger under them that returns what leaves the venue.
    ASSERT_EQ(arena->GetGeomData().size(), 6u);
    EXPECT_NE(arena->FindGeomData("PRIM_TRIGGER_Respawn"), nullptr);
    for (const auto& record : arena->GetGeomData())
    {
        EXPECT_EQ(dGeomGetBody(record->GetGeom()), nullptr) << record->m_Name;
        EXPECT_EQ(dGeomGetSpace(record->GetGeom()), Physics().GetSpace()) << record->m_Name;
    }
    // The floor's top lies at y = 0 under the middle of the venue.
    const kaGeomData* floor = arena->FindGeomData("PRIM_Floor");
    ASSERT_NE(floor, nullptr);
    dGeomID probe = dCreateRay(nullptr, 10.0);
    dGeomRaySet(probe, 0, 5, 0, 0, -1, 0);
    dContactGeom hit;
    ASSERT_EQ(dCollide(probe, floor->GetGeom(), 1, &hit, sizeof hit), 1);
    EXPECT_NEAR(hit.pos[1], 0.0, 1e-4);
    dGeomDestroy(probe);

    // A second initialisation finds no body to destroy again.
    arena->Initialize();
    EXPECT_EQ(arena->GetBody(), nullptr);
    EXPECT_EQ(dGeomGetSpace(floor->GetGeom()), Physics().GetSpace());
}

TEST_F(ArenaTest, OnlyAPhysicsWorldMakesAnArena)
{
    m_World = std::make_unique<kaWorld>();
    ASSERT_TRUE(m_World->LoadVenue("Venue", true));
    EXPECT_EQ(dynamic_cast<kaArena*>(m_World->GetVenueEntity()), nullptr);
    EXPECT_NE(m_World->GetVenueEntity(), nullptr);

    // Outside a physics world an arena has nothing to make static, and stays whole.
    auto* loose = new kaArena;
    loose->Initialize();
    EXPECT_EQ(loose->GetBody(), nullptr);
    EXPECT_EQ(loose->GetClassName(), "kaArena");
    delete loose;
}

TEST_F(ArenaTest, BallsStayOnTheFloorInsideTheWalls)
{
    const struct
    {
        const char* what;
        Vector3 start;
        Vector3 velocity;
    } cases[] = {
        // Released at the top of the ramp: down the slope and off onto the floor, towards the near wall.
        {"off the ramp", {0.0f, 2.6f, 3.5f}, {0.0f, 0.0f, 0.0f}},
        {"at the right wall", {20.0f, 0.5f, 10.0f}, {12.0f, 0.0f, 0.0f}},
        {"at the left wall", {-20.0f, 0.5f, 10.0f}, {-12.0f, 0.0f, 0.0f}},
        {"at the far wall", {-10.0f, 0.5f, 12.0f}, {0.0f, 0.0f, 12.0f}},
        {"at the near wall", {-10.0f, 0.5f, -12.0f}, {0.0f, 0.0f, -12.0f}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        // A fresh world for each ball; the models go with the last one.
        m_World.reset();
        m_Models.DeleteAll();
        m_World = std::make_unique<kaPhysicsWorld>();
        ASSERT_NE(LoadVenue(), nullptr);
        AddPhysical(kRamp, Vector3(0.0f, 0.0f, -2.0f), "<pinned>1</pinned>");
        kaEntityPhysical* ball = AddPhysical(kBall, c.start);
        ball->SetBodyEnabled(true);
        ball->SetLinearVelocity(c.velocity.x, c.velocity.y, c.velocity.z);

        float lowest = c.start.y;
        float farthestX = 0.0f;
        float farthestZ = 0.0f;
        for (int frame = 0; frame < 200; ++frame)
        {
            m_World->Update(0.025f);
            const Vector3 at = ball->GetBodyPosition();
            lowest = std::min(lowest, at.y);
            farthestX = std::max(farthestX, std::abs(at.x));
            farthestZ = std::max(farthestZ, std::abs(at.z));
        }
        const Vector3 end = ball->GetBodyPosition();
        EXPECT_NEAR(end.y, kBallRadius, 0.05f);
        EXPECT_GT(lowest, kBallRadius - 0.1f);
        EXPECT_LE(farthestX, kInsideX - kBallRadius + 0.1f);
        EXPECT_LE(farthestZ, kInsideZ - kBallRadius + 0.1f);
        // Every ball got to a wall or off the ramp, so the walls were met or the floor reached.
        EXPECT_GT(std::max(farthestX - std::abs(c.start.x), farthestZ - std::abs(c.start.z)), 1.0f);
    }
}
