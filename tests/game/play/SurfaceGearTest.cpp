#include "game/gear/MudPit.h"
#include "game/gear/OilSlick.h"
#include "game/gear/PowerGrate.h"

#include "tests/support/game/GearScene.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{

class SurfaceGearTest : public geartest::GearScene
{
public:
    // Each surface's mark on a wheel.
    struct Surface
    {
        const char* name;
        std::function<StuntGear*(SurfaceGearTest&)> make;
        std::function<int32_t(const tvWheel&)> mark;
    };

    static std::vector<Surface> Surfaces()
    {
        return {{"mud", [](SurfaceGearTest& t) -> StuntGear* { return t.Add<MudPit>(); },
                 [](const tvWheel& w) { return w.GetMudFrames(); }},
                {"oil", [](SurfaceGearTest& t) -> StuntGear* { return t.Add<OilSlick>(); },
                 [](const tvWheel& w) { return w.GetOilFrames(); }},
                {"grate", [](SurfaceGearTest& t) -> StuntGear* { return t.Add<PowerGrate>(); },
                 [](const tvWheel& w) { return w.GetGrateFrames(); }}};
    }
};

TEST_F(SurfaceGearTest, OnlyThePlayersWheelsAreMarkedNotTheBodyNorAnotherWheel)
{
    auto* stray = new tvWheel;
    m_World.AddEntity(stray, true, true);
    stray->SetModel(m_Scene.Model({{"Hub", "", {0, 0, 0}}}));
    for (const Surface& surface : Surfaces())
    {
        SCOPED_TRACE(surface.name);
        StuntGear* gear = surface.make(*this);
        kaMaterial* own = Material("Spikes");
        gear->OnCollide(m_Vehicle, own, nullptr);
        gear->OnCollide(stray, own, nullptr);
        EXPECT_EQ(surface.mark(*stray), 0);
        for (tvWheel* wheel : m_Wheels)
            EXPECT_EQ(surface.mark(*wheel), 0);
        // The gear's own damage does not apply: its contact replaces the base's.
        gear->Update(0.1f);
        EXPECT_EQ(m_Vehicle->GetDamage(), 0.0f);
        gear->OnCollide(m_Wheels[2], own, nullptr);
        EXPECT_EQ(surface.mark(*m_Wheels[2]), tvWheel::kSurfaceFrames);
        EXPECT_EQ(surface.mark(*m_Wheels[1]), 0);
    }
}

TEST_F(SurfaceGearTest, WithoutAPlayerVehicleTheContactIsIgnored)
{
    m_App.SetPlayerVehicle(nullptr);
    for (const Surface& surface : Surfaces())
    {
        SCOPED_TRACE(surface.name);
        StuntGear* gear = surface.make(*this);
        gear->OnCollide(m_Wheels[0], Material("Mud"), nullptr);
        EXPECT_EQ(surface.mark(*m_Wheels[0]), 0);
    }
}

TEST_F(SurfaceGearTest, OilGripComesBackTwoStepsAfterTheWheelLeaves)
{
    tvWheel* wheel = m_Wheels[0];
    const float grip = wheel->GetTyreFriction();
    ASSERT_EQ(grip, 2.0f);
    auto* oil = Add<OilSlick>();
    oil->OnCollide(wheel, Material("Mud"), nullptr);
    wheel->Update(0.02f);
    EXPECT_NEAR(wheel->GetTyreFriction(), grip * tvWheel::kOilFriction, 1e-6f);
    wheel->Update(0.02f);
    EXPECT_EQ(wheel->GetTyreFriction(), grip);
}

TEST_F(SurfaceGearTest, AGrateWithoutASoundStillMarksTheWheelAndOneWithHumsTwoSteps)
{
    auto* silent = Add<PowerGrate>();
    EXPECT_LT(silent->GetDamageSequence().id, 0);
    silent->OnCollide(m_Wheels[0], nullptr, nullptr);
    EXPECT_EQ(m_Wheels[0]->GetGrateFrames(), tvWheel::kSurfaceFrames);

    auto* humming = Add<PowerGrate>(kHum);
    humming->OnCollide(m_Wheels[1], nullptr, nullptr);
    EXPECT_EQ(m_Wheels[1]->GetGrateFrames(), tvWheel::kSurfaceFrames);
    EXPECT_TRUE(humming->IsDamageSequencePlaying());
    EXPECT_EQ(humming->GetSoundSteps(), StuntGear::kContactSteps);
    for (int step = 0; step < 3; ++step)
        humming->Update(0.1f);
    EXPECT_EQ(humming->GetSoundSteps(), 0);
}

} // namespace
