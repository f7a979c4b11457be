#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaEntity.h"

#include <gtest/gtest.h>

#include <cctype>
#include <iterator>
#include <memory>
#include <string>

namespace
{

// The game's classes by the names course files and records give them. This program names no game class:
// only its link brings the registrations in.
const char* const kGameClasses[] = {
    "Ball",    "Box",       "Cylinder",   "ExplosiveGear", "LaunchPlate", "tvCycleWheel", "MotorCycle",
    "MudPit",  "OilSlick",  "PowerGrate", "PowerUp",       "RagDude",     "tvArena",      "tvPlayer",
    "tvWheel", "tvVehicle", "StuntGear",  "WheelParticle", "MudParticle", "DirtSlip"};

TEST(GameEntityTableTest, EveryGameClassIsMadeByItsExactName)
{
    ASSERT_EQ(std::size(kGameClasses), 20u);
    for (const char* name : kGameClasses)
    {
        const std::unique_ptr<kaEntity> entity = CreateEntity(name);
        ASSERT_NE(entity, nullptr) << name;
        EXPECT_EQ(entity->GetClassName(), name);
        EXPECT_EQ(entity->GetClassId(), 0u) << name;
        EXPECT_EQ(&entity->GetClassInfo(), &CreateEntity(name)->GetClassInfo()) << name;
    }
}

TEST(GameEntityTableTest, NamesMatchWithTheirCase)
{
    for (const char* name : kGameClasses)
    {
        std::string other = name;
        other[0] = static_cast<char>(std::islower(static_cast<unsigned char>(other[0]))
                                         ? std::toupper(static_cast<unsigned char>(other[0]))
                                         : std::tolower(static_cast<unsigned char>(other[0])));
        EXPECT_EQ(CreateEntity(other), nullptr) << other;
    }
    EXPECT_EQ(CreateEntity("TvVehicle"), nullptr);
    EXPECT_NE(CreateEntity("tvVehicle"), nullptr);
}

} // namespace
