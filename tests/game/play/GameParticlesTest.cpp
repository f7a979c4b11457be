#include "engine/core/kaRandom.h"
#include "engine/scene/EntityFactory.h"
#include "game/gear/DirtSlip.h"
#include "game/gear/MudParticle.h"
#include "game/vehicles/WheelParticle.h"
#include "game/vehicles/tvVehicle.h"
#include "game/vehicles/tvWheel.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <memory>
#include <string>

namespace
{

void Read(kaEntity& entity, const std::string& xml)
{
    TiXmlDocument document;
    document.Parse(("<Entity>" + xml + "</Entity>").c_str());
    ASSERT_NE(document.RootElement(), nullptr) << xml;
    entity.ReadXml(document.RootElement());
}

// Keys every emitter here shares: a small pool, ten particles a second, living two seconds.
const std::string kPool = "<maxParticles>64</maxParticles><emitRate>10</emitRate><lifeTime>2</lifeTime>";

class GameParticlesTest : public ::testing::Test
{
protected:
    void SetUp() override { SetRandomSeed(7); }
    void TearDown() override { SetRandomSeed(0); }
};

} // namespace

TEST_F(GameParticlesTest, DirtSlipFollowsTheSlipAloneFromOneTenthUpAndCapsTheIntensity)
{
    DirtSlip dust;
    Read(dust, kPool);
    const struct
    {
        float slip;
        float rate;
        float intensity;
    } cases[] = {{0.05f, 0.0f, 0.05f}, {0.1f, 10.0f, 0.1f}, {0.5f, 10.0f, 0.5f}, {2.0f, 10.0f, 1.0f}};
    for (const auto& c : cases)
    {
        // The wheel feeds its slip through either hook.
        dust.SetSlip(c.slip);
        EXPECT_EQ(dust.GetEmitRate(), c.rate) << c.slip;
        EXPECT_FLOAT_EQ(dust.GetIntensity(), c.intensity) << c.slip;
        dust.SetIntensity(0.0f);
        dust.SetIntensity(c.slip);
        EXPECT_EQ(dust.GetEmitRate(), c.rate) << c.slip;
    }
    // The rolling speed changes nothing.
    dust.SetRollSpeed(100.0f);
    EXPECT_EQ(dust.GetEmitRate(), 10.0f);
    dust.SetSlip(0.0f);
    dust.SetRollSpeed(100.0f);
    EXPECT_EQ(dust.GetEmitRate(), 0.0f);
}

TEST_F(GameParticlesTest, SprayAndClodsFollowTheRollingSpeedAndIgnoreTheSlip)
{
    WheelParticle spray;
    MudParticle mud;
    for (kaWheelEmitter* emitter : {static_cast<kaWheelEmitter*>(&spray), static_cast<kaWheelEmitter*>(&mud)})
    {
        Read(*emitter, kPool + "<rollThresholdMin>0</rollThresholdMin><rollThresholdMax>10</rollThresholdMax>");
        emitter->SetRollSpeed(5.0f);
        EXPECT_FLOAT_EQ(emitter->GetEmitRate(), 5.0f);
        emitter->SetSlip(1.0f);
        emitter->SetIntensity(0.0f);
        EXPECT_FLOAT_EQ(emitter->GetEmitRate(), 5.0f);
    }
}

TEST_F(GameParticlesTest, ClodsWithoutSizeSpreadAreExactlyTheScaleAndOtherwiseStayWithinIt)
{
    const struct
    {
        const char* spread;
        float scale;
    } cases[] = {{"0", 2.5f}, {"0.4", 2.5f}};
    for (const auto& c : cases)
    {
        MudParticle mud;
        Read(mud, kPool + "<scale>2.5</scale><scaleVar>" + c.spread + "</scaleVar>");
        const float spread = std::stof(c.spread);
        mud.Update(1.0f);
        ASSERT_EQ(mud.GetLiveCount(), 10);
        bool varied = false;
        for (int32_t i = 0; i < mud.GetLiveCount(); ++i)
        {
            const kaParticle& clod = mud.GetParticle(i);
            if (spread == 0.0f)
            {
                EXPECT_EQ(clod.m_ScaleX, c.scale);
                EXPECT_EQ(clod.m_ScaleY, c.scale);
            }
            EXPECT_GE(clod.m_ScaleX, c.scale - spread / 2.0f);
            EXPECT_LE(clod.m_ScaleX, c.scale + spread / 2.0f);
            varied = varied || clod.m_ScaleX != clod.m_ScaleY;
        }
        // Width and height are drawn apart.
        EXPECT_EQ(varied, spread > 0.0f) << c.spread;
    }
}

TEST_F(GameParticlesTest, ClodsFallUnderTheEmittersGravityEvenWithGravitySwitchedOffAndKeepTheirSize)
{
    MudParticle mud;
    Read(mud, kPool +
                  "<useGravity>0</useGravity><gravity><x>0</x><y>-4</y><z>0</z></gravity>"
                  "<startVelocityFor>6</startVelocityFor><scale>1.5</scale><scaleVar>0</scaleVar>"
                  "<scaleXStart>1</scaleXStart><scaleXEnd>9</scaleXEnd>");
    ASSERT_FALSE(mud.GetUseGravity());
    mud.Update(0.1f);
    ASSERT_EQ(mud.GetLiveCount(), 1);
    // Thrown up at 6 in world axes, and falling from its first step.
    EXPECT_NEAR(mud.GetParticle(0).m_Velocity.y, 6.0f - 4.0f * 0.1f, 1e-4f);
    mud.SetEmitRate(0.0f);
    for (int step = 0; step < 5; ++step)
        mud.Update(0.1f);
    const kaParticle& clod = mud.GetParticle(0);
    EXPECT_NEAR(clod.m_Velocity.y, 6.0f - 4.0f * 0.6f, 1e-4f);
    EXPECT_GT(clod.m_Position.y, 0.0f);
    EXPECT_EQ(clod.m_ScaleX, 1.5f);
    // Past its life it goes.
    for (int step = 0; step < 20; ++step)
        mud.Update(0.1f);
    EXPECT_EQ(mud.GetLiveCount(), 0);
}

TEST_F(GameParticlesTest, DustLeavesAlongTheThirdAxisAsHardAsTheWheelSlipsAndGrowsWithoutFalling)
{
    const struct
    {
        float slip;
        float speed;
    } cases[] = {{1.0f, 8.0f}, {0.5f, 4.0f}, {3.0f, 8.0f}};
    for (const auto& c : cases)
    {
        DirtSlip dust;
        // Turned a quarter about y: the third axis points along world x.
        Read(dust, kPool +
                       "<startVelocityFor>8</startVelocityFor><rotation><y>1.5707964</y></rotation>"
                       "<scaleXStart>1</scaleXStart><scaleXEnd>3</scaleXEnd>");
        dust.SetSlip(c.slip);
        dust.Update(0.1f);
        ASSERT_EQ(dust.GetLiveCount(), 1) << c.slip;
        const platform::Matrix& axes = dust.GetTransform();
        const kaParticle& grain = dust.GetParticle(0);
        EXPECT_NEAR(grain.m_Velocity.x, axes(2, 0) * c.speed, 1e-4f) << c.slip;
        EXPECT_NEAR(grain.m_Velocity.y, axes(2, 1) * c.speed, 1e-4f) << c.slip;
        EXPECT_NEAR(grain.m_Velocity.z, axes(2, 2) * c.speed, 1e-4f) << c.slip;
        EXPECT_NEAR(std::fabs(axes(2, 0)), 1.0f, 1e-4f);
        dust.SetSlip(0.0f);
        dust.Update(0.9f);
        // Half way through its life: no gravity, half grown.
        EXPECT_NEAR(grain.m_Velocity.y, axes(2, 1) * c.speed, 1e-4f);
        EXPECT_NEAR(grain.m_ScaleX, 2.0f, 1e-4f);
    }
}

TEST_F(GameParticlesTest, EveryGameClassIsMadeByItsExactNameOnly)
{
    EXPECT_NE(dynamic_cast<tvVehicle*>(CreateEntity("tvVehicle").get()), nullptr);
    EXPECT_NE(dynamic_cast<tvWheel*>(CreateEntity("tvWheel").get()), nullptr);
    EXPECT_NE(dynamic_cast<WheelParticle*>(CreateEntity("WheelParticle").get()), nullptr);
    EXPECT_NE(dynamic_cast<DirtSlip*>(CreateEntity("DirtSlip").get()), nullptr);
    std::unique_ptr<kaEntity> mud = CreateEntity("MudParticle");
    ASSERT_NE(dynamic_cast<MudParticle*>(mud.get()), nullptr);
    EXPECT_EQ(dynamic_cast<DirtSlip*>(mud.get()), nullptr);
    EXPECT_EQ(mud->GetClassName(), "MudParticle");
    for (const char* wrong : {"TvVehicle", "tvwheel", "mudParticle", "DirtSlip "})
        EXPECT_EQ(CreateEntity(wrong), nullptr) << wrong;
}
