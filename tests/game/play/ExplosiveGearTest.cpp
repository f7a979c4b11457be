#include "game/gear/ExplosiveGear.h"

#include "engine/model/kaBillboard.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaModel.h"
#include "engine/scene/kaContactRecord.h"
#include "engine/scene/kaGeomData.h"
#include "tests/support/engine/model/MeshTestSupport.h"
#include "tests/support/engine/model/ModelTestSupport.h"
#include "tests/support/game/GearScene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

using platform::Vector3;

namespace
{

// The gear with a step's contact force in reach.
class TestGear : public ExplosiveGear
{
public:
    void Contact(float force)
    {
        m_Feedback = std::make_unique<dJointFeedback>();
        m_Feedback->f1[0] = force;
        m_Feedback->f1[1] = 0.0;
        m_Feedback->f1[2] = 0.0;
        auto record = std::make_unique<kaContactRecord>();
        record->m_pFeedback = m_Feedback.get();
        m_ContactRecords.clear();
        m_ContactRecords.push_back(std::move(record));
        m_ContactRecordCount = 1;
        ProcessCollisionForces();
        m_ContactRecordCount = 0;
    }

private:
    std::unique_ptr<dJointFeedback> m_Feedback;
};

class ExplosiveGearTest : public geartest::GearScene
{
public:
    // Two triangles side by side that share the vertex at the origin: the left one's box centre is at
    // (-1, 0.5), the right one's at (1, 0.5), the model's at (0, 0.5).
    kaModel* TwinTriangles()
    {
        kaMesh* mesh = modeltest::PlainMesh({{-2, 0, 0}, {0, 0, 0}, {-1, 1, 0}, {2, 0, 0}, {1, 1, 0}},
                                            {0, 1, 2, 1, 3, 4});
        mesh->AddPrimitive(physicstest::Sphere(0.5f));
        m_Scene.models.push_back(std::make_unique<kaModel>(mesh));
        mesh->Release();
        return m_Scene.models.back().get();
    }

    TestGear* Barrel(const std::string& xml, const Vector3& at = {0, 0, 10})
    {
        auto* gear = new TestGear;
        m_World.AddEntity(gear, true, true);
        gear->SetPosition(at);
        gear->SetModel(TwinTriangles());
        Read(*gear, "<collisionSound>Boom</collisionSound>" + xml);
        gear->Initialize();
        gear->SetBodyEnabled(true);
        return gear;
    }

    // The debris copy's six vertex positions, in model space.
    static std::vector<Vector3> Debris(const ExplosiveGear& gear)
    {
        const kaMeshSubset* subset = gear.GetDebrisMesh()->GetSubset(0);
        std::vector<Vector3> positions;
        for (const meshtest::PlainVertex& v :
             meshtest::ReadVertices<meshtest::PlainVertex>(subset->m_VertexBuffer, 6))
            positions.emplace_back(v.x, v.y, v.z);
        return positions;
    }

    static float BodyForce(const kaEntityPhysical& entity)
    {
        const dReal* f = dBodyGetForce(entity.GetBody());
        return static_cast<float>(std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]));
    }
};

TEST_F(ExplosiveGearTest, OnlyAForceAboveTheThresholdExplodesTheGearAndOnlyOnce)
{
    struct Case
    {
        float threshold;
        float force;
        bool explodes;
    } cases[] = {
        {2300.0f, 2300.0f, false}, {2300.0f, 2301.0f, true}, {500.0f, 499.0f, false}, {500.0f, 500.5f, true}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.force);
        auto* gear = Barrel("<explosionThreshold>" + std::to_string(c.threshold) + "</explosionThreshold>");
        Hush();
        gear->Contact(c.force);
        EXPECT_EQ(gear->HasExploded(), c.explodes);
        EXPECT_EQ(Playing("Boom"), c.explodes);
        for (const auto& record : gear->GetGeomData())
            EXPECT_EQ(dGeomIsEnabled(record->GetGeom()) == 0, c.explodes);
        if (!c.explodes)
            continue;
        Hush();
        gear->Contact(c.force * 2.0f);
        EXPECT_FALSE(Playing("Boom"));
    }
    EXPECT_EQ(ExplosiveGear::kDefaultThreshold, 2300.0f);
}

TEST_F(ExplosiveGearTest, AHarmlessBarrelStillBreaksIntoLooseTrianglesAndGoesAfterFiveSeconds)
{
    auto* near = Loose({0.5f, 0.0f, 10.5f});
    auto* gear = Barrel("");
    EXPECT_EQ(gear->GetBillboard(), nullptr);
    ASSERT_NE(gear->GetDebrisMesh(), nullptr);
    ASSERT_EQ(gear->GetDebrisVelocities().size(), 1u);
    ASSERT_EQ(gear->GetDebrisVelocities()[0].size(), 2u);
    const std::vector<Vector3> before = Debris(*gear);
    physicstest::ExpectNear(before[1], before[3]);

    const int32_t id = gear->GetEntityID();
    gear->Contact(5000.0f);
    ASSERT_TRUE(gear->HasExploded());
    EXPECT_EQ(BodyForce(*near), 0.0f);
    gear->Update(0.1f);
    const std::vector<Vector3> after = Debris(*gear);
    // The shared corner parts: the left triangle's copy goes left, the right one's right, each by its own
    // speed of 1 to 2 units a step, both falling by 0.1 x 0.1 x 10.9.
    EXPECT_LE(after[1].x, -1.0f);
    EXPECT_GE(after[1].x, -2.0f);
    EXPECT_GE(after[3].x, 1.0f);
    EXPECT_LE(after[3].x, 2.0f);
    for (int v = 0; v < 6; ++v)
        EXPECT_NEAR(after[v].y - before[v].y, -0.109f, 1e-4f) << v;
    // Each triangle keeps its shape.
    for (int t = 0; t < 2; ++t)
        for (int k = 1; k < 3; ++k)
            physicstest::ExpectNear(after[3 * t + k] - after[3 * t], before[3 * t + k] - before[3 * t]);

    gear->Update(4.8f);
    m_World.Update(0.0f);
    EXPECT_EQ(m_World.FindEntityById(id), gear);
    gear->Update(0.2f);
    m_World.Update(0.0f);
    EXPECT_EQ(m_World.FindEntityById(id), nullptr);
}

TEST_F(ExplosiveGearTest, TheBlastReachesASquareOfHalfWidthScaleWhateverTheRadius)
{
    for (const char* radius : {"0.01", "100"})
    {
        SCOPED_TRACE(radius);
        // The gear stands at (0, 10) on the ground plane; a corner of the square lies outside the circle
        // of that half width, a point past its side outside both.
        auto* corner = Loose({2.2f, 0.0f, 12.2f});
        auto* outside = Loose({2.6f, 0.0f, 10.0f});
        m_Vehicle->SetPosition({0.0f, 0.0f, 8.8f});
        m_Vehicle->SetDamage(0.0f);
        dBodySetForce(m_Vehicle->GetBody(), 0.0, 0.0, 0.0);
        auto* gear =
            Barrel(std::string("<explosionScale>2</explosionScale><explosionDamage>7</explosionDamage>"
                               "<explosionForce>500</explosionForce><explosionRadius>") +
                   radius + "</explosionRadius>");
        ASSERT_NE(gear->GetBillboard(), nullptr);
        EXPECT_EQ(gear->GetBillboard()->GetWidth(), 2.0f);
        gear->Contact(3000.0f);
        ASSERT_TRUE(gear->HasExploded());
        EXPECT_TRUE(dBodyIsEnabled(corner->GetBody()));
        EXPECT_NEAR(BodyForce(*corner), 500.0f, 1e-2f);
        EXPECT_EQ(BodyForce(*outside), 0.0f);
        EXPECT_FALSE(dBodyIsEnabled(outside->GetBody()));
        // The vehicle is pushed away and lifted, and damaged.
        EXPECT_FLOAT_EQ(m_Vehicle->GetDamage(), 7.0f);
        const dReal* push = dBodyGetForce(m_Vehicle->GetBody());
        EXPECT_LT(push[2], 0.0);
        EXPECT_GT(push[1], 0.0);
        m_World.DeleteEntity(gear, false);
        m_World.DeleteEntity(corner, false);
        m_World.DeleteEntity(outside, false);
    }
}

} // namespace
