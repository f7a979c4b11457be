#include "game/gear/LaunchPlate.h"

#include "tests/support/game/GearScene.h"

#include <gtest/gtest.h>

namespace
{

using LaunchPlateTest = geartest::GearScene;

TEST_F(LaunchPlateTest, OnlyTheVehiclesLaunchMaterialLaunches)
{
    struct Case
    {
        const char* material;
        bool byVehicle;
        bool launches;
    } cases[] = {{"Launch", true, true},
                 {"Rubber", true, false},
                 {"Spikes", true, false},
                 {nullptr, true, false},
                 {"Launch", false, false}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.material ? c.material : "no material");
        auto* plate = Add<LaunchPlate>("<launchForce>40</launchForce><launchPrim>PRIM_Plate</launchPrim>");
        EXPECT_EQ(plate->GetLaunchPrim(), "PRIM_Plate");
        m_Vehicle->Update(1.0f);
        ASSERT_EQ(m_Vehicle->GetLaunchTime(), 0.0f);
        plate->OnCollide(c.byVehicle ? static_cast<kaEntityPhysical*>(m_Vehicle) : m_Wheels[0], nullptr,
                         c.material ? Material(c.material) : nullptr);
        EXPECT_EQ(m_Vehicle->GetLaunchTime() > 0.0f, c.launches);
        EXPECT_EQ(plate->GetCooldown() > 0.0f, c.launches);
        if (c.launches)
        {
            EXPECT_NEAR(m_Vehicle->GetLaunchForce(), 40.0f * m_Vehicle->GetMass().mass, 1e-3);
        }
    }
}

TEST_F(LaunchPlateTest, APlateRestsThreeSecondsAfterALaunch)
{
    auto* plate = Add<LaunchPlate>();
    EXPECT_EQ(plate->GetLaunchForce(), LaunchPlate::kDefaultLaunchForce);
    kaMaterial* launch = Material("Launch");
    plate->OnCollide(m_Vehicle, nullptr, launch);
    ASSERT_GT(m_Vehicle->GetLaunchTime(), 0.0f);
    struct Step
    {
        float wait;
        bool launches;
    } steps[] = {{1.0f, false}, {1.75f, false}, {0.25f, true}, {2.0f, false}, {1.5f, true}};
    for (const Step& step : steps)
    {
        // The vehicle's push runs out before the plate is touched again.
        m_Vehicle->Update(1.0f);
        plate->Update(step.wait);
        plate->OnCollide(m_Vehicle, nullptr, launch);
        EXPECT_EQ(m_Vehicle->GetLaunchTime() > 0.0f, step.launches) << step.wait;
    }
}

} // namespace
