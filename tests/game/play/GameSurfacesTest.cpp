#include "engine/scene/kaEntityPhysical.h"
#include "engine/scene/kaGeomData.h"
#include "engine/scene/kaMaterial.h"
#include "engine/scene/kaWheelSurfaceEmitters.h"
#include "game/gear/DirtSlip.h"
#include "game/gear/MudParticle.h"
#include "game/vehicles/WheelParticle.h"
#include "tests/support/game/ContentWorldFixture.h"
#include "tools/worldgen/SampleWorld.h"
#include "tools/worldgen/StuntYard.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

// The generated courses read as the game reads them, their surfaces touched by a wheel's emitters.
class GameSurfacesTest : public gametest::ContentWorldFixture
{
public:
    // The material the venue's floor was given.
    kaMaterial* Floor()
    {
        auto* venue = dynamic_cast<kaEntityPhysical*>(m_World.GetVenueEntity());
        if (!venue)
            return nullptr;
        kaGeomData* floor = venue->FindGeomData("PRIM_Floor");
        return floor ? floor->GetMaterial() : nullptr;
    }
};

enum Kind
{
    kSpray,
    kClods,
    kKick,
};

bool IsKind(kaWheelEmitter* emitter, Kind kind)
{
    switch (kind)
    {
    case kSpray:
        return dynamic_cast<WheelParticle*>(emitter) != nullptr;
    case kClods:
        // The slip's dust is a kind of clod; clods proper are not.
        return dynamic_cast<MudParticle*>(emitter) != nullptr && dynamic_cast<DirtSlip*>(emitter) == nullptr;
    case kKick:
        return dynamic_cast<DirtSlip*>(emitter) != nullptr;
    }
    return false;
}

TEST_F(GameSurfacesTest, TheGamesVenuesAndMudThrowTheGamesWheelParticles)
{
    struct Case
    {
        const char* course;
        // Empty: the venue's floor.
        const char* material;
        const char* expectedName;
        Kind roll;
        Kind slip;
    };
    const Case cases[] = {
        {StuntYard::kCourseFile, "", "Track", kSpray, kKick},
        {SampleWorld::kProvingGroundFile, "", "Track", kSpray, kKick},
        {StuntYard::kCourseFile, "Mud", "Mud", kClods, kKick},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.course) + " " + c.material);
        m_World.Clear();
        LoadCourse(c.course, true);
        kaMaterial loaded;
        kaMaterial* material = Floor();
        if (*c.material)
        {
            loaded.Load(c.material);
            material = &loaded;
        }
        ASSERT_NE(material, nullptr);
        EXPECT_EQ(material->GetName(), c.expectedName);

        kaWheelSurfaceEmitters wheel;
        wheel.SetWorld(&m_World);
        wheel.SetMaterial(material);
        ASSERT_NE(wheel.GetRollEmitter(), nullptr);
        ASSERT_NE(wheel.GetSlipEmitter(), nullptr);
        EXPECT_TRUE(IsKind(wheel.GetRollEmitter(), c.roll)) << wheel.GetRollEmitter()->GetClassName();
        EXPECT_TRUE(IsKind(wheel.GetSlipEmitter(), c.slip)) << wheel.GetSlipEmitter()->GetClassName();
        wheel.SetMaterial(nullptr);
    }
}

} // namespace
