#include "game/world/SpawnPlacement.h"

#include "engine/model/kaBoundingBox.h"
#include "engine/model/kaModel.h"
#include "engine/scene/kaHingeJoint.h"
#include "engine/scene/kaSpawnPoint.h"
#include "tests/support/engine/scene/PhysicsScene.h"

#include <gtest/gtest.h>

using platform::Quaternion;
using platform::Vector3;

namespace
{

// A body whose box reaches 0.5 below its centre, optionally with a wheel hung 1 below the centre whose
// box reaches 0.4 below the body's, in a world with a spawn point at a height.
class SpawnPlacementTest : public ::testing::Test
{
protected:
    static constexpr float kSpawnY = 2.0f;

    kaEntityPhysical* Body(bool withWheel)
    {
        kaEntityPhysical* body = m_Scene.Add(Vector3(10.0f, 7.0f, -3.0f));
        Bounds(*body, Vector3(-1.0f, -0.5f, -1.0f), Vector3(1.0f, 0.5f, 1.0f));
        if (withWheel)
        {
            kaEntityPhysical* wheel = m_Scene.Add(Vector3(10.0f, 6.0f, -3.0f), {{"Hub", "", {0, 0, 0}}});
            Bounds(*wheel, Vector3(-0.2f, 0.1f, -0.2f), Vector3(0.2f, 0.3f, 0.2f));
            auto* joint = m_Scene.Make<kaHingeJoint>();
            joint->Connect(body, "Bottom", wheel, "Hub");
        }
        return body;
    }

    static void Bounds(kaEntityPhysical& entity, const Vector3& min, const Vector3& max)
    {
        kaModel* model = entity.GetModel();
        model->m_UseAltBounds = true;
        model->m_AltMin = min;
        model->m_AltMax = max;
        entity.SetPosition(entity.GetPosition());
    }

    void AddSpawnPoint()
    {
        auto* spawn = new kaSpawnPoint;
        spawn->SetName(kaSpawnPoint::kName);
        m_Scene.world.AddEntity(spawn, true, true);
        spawn->SetPositionRotation(Vector3(1.0f, kSpawnY, 4.0f),
                                   Quaternion(0.0f, 0.70710678f, 0.0f, 0.70710678f));
    }

    physicstest::Scene m_Scene;
};

} // namespace

TEST_F(SpawnPlacementTest, TheLowestPointWheelsIncludedRestsAtTheSpawnHeight)
{
    AddSpawnPoint();
    kaEntityPhysical* bare = Body(false);
    ASSERT_TRUE(SpawnPlacement::PlaceAtSpawnPoint(m_Scene.world, *bare));
    EXPECT_NEAR(bare->GetBoundingBox()->m_Min.y, kSpawnY, 1e-4f);
    EXPECT_NEAR(bare->GetPosition().x, 1.0f, 1e-4f);
    EXPECT_NEAR(bare->GetPosition().z, 4.0f, 1e-4f);
    EXPECT_NEAR(bare->GetRotation().y, 0.70710678f, 1e-4f);

    kaEntityPhysical* wheeled = Body(true);
    ASSERT_NEAR(SpawnPlacement::LowestPoint(*wheeled, 0.0f), wheeled->GetBoundingBox()->m_Min.y - 0.4f,
                1e-4f);
    ASSERT_TRUE(SpawnPlacement::PlaceAtSpawnPoint(m_Scene.world, *wheeled));
    EXPECT_NEAR(SpawnPlacement::LowestPoint(*wheeled, 0.0f), kSpawnY, 1e-4f);
    // The wheel lifts the car by what it reaches below the body.
    EXPECT_NEAR(wheeled->GetPosition().y - bare->GetPosition().y, 0.4f, 1e-4f);
}

TEST_F(SpawnPlacementTest, AVehicleLyingOnItsSideIsMeasuredUprightBeforeItIsPlaced)
{
    AddSpawnPoint();
    kaEntityPhysical* upright = Body(true);
    ASSERT_TRUE(SpawnPlacement::PlaceAtSpawnPoint(m_Scene.world, *upright));
    kaEntityPhysical* tipped = Body(true);
    // On its side: its box reaches 1 below its centre instead of 0.5.
    tipped->SetPositionRotation(tipped->GetPosition(), Quaternion(0.0f, 0.0f, 0.70710678f, 0.70710678f));
    ASSERT_TRUE(SpawnPlacement::PlaceAtSpawnPoint(m_Scene.world, *tipped));
    EXPECT_NEAR(SpawnPlacement::LowestPoint(*tipped, 0.0f), kSpawnY, 1e-4f);
    EXPECT_NEAR(tipped->GetPosition().y, upright->GetPosition().y, 1e-4f);
}

TEST_F(SpawnPlacementTest, WithoutASpawnPointNothingMovesAndWithoutABoxNothingIsLifted)
{
    kaEntityPhysical* body = Body(true);
    const Vector3 before = body->GetPosition();
    EXPECT_FALSE(SpawnPlacement::PlaceAtSpawnPoint(m_Scene.world, *body));
    EXPECT_EQ(body->GetPosition(), before);

    // No box: the lowest point is the fallback, the spawn height, so the lift is 0.
    kaEntityPhysical boxless;
    EXPECT_EQ(boxless.GetBoundingBox(), nullptr);
    EXPECT_FLOAT_EQ(SpawnPlacement::LowestPoint(boxless, kSpawnY), kSpawnY);
}
