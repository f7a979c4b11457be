#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaEntity.h"
#include "game/gear/ExplosiveGear.h"
#include "game/gear/LaunchPlate.h"
#include "game/gear/MudPit.h"
#include "game/gear/OilSlick.h"
#include "game/gear/PowerGrate.h"
#include "game/gear/PowerUp.h"
#include "game/gear/StuntGear.h"
#include "game/props/Ball.h"
#include "game/props/Box.h"
#include "game/props/Cylinder.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <memory>
#include <string>

namespace
{

template <typename Class> bool Is(const kaEntity* entity)
{
    return dynamic_cast<const Class*>(entity) != nullptr;
}

TEST(GearRegistrationTest, EachGearAndPropNameMakesItsClassAndOnlyThatExactName)
{
    struct Case
    {
        const char* name;
        std::function<bool(const kaEntity*)> is;
    } cases[] = {{"Ball", &Is<Ball>},
                 {"Box", &Is<Box>},
                 {"Cylinder", &Is<Cylinder>},
                 {"ExplosiveGear", &Is<ExplosiveGear>},
                 {"LaunchPlate", &Is<LaunchPlate>},
                 {"MudPit", &Is<MudPit>},
                 {"OilSlick", &Is<OilSlick>},
                 {"PowerGrate", &Is<PowerGrate>},
                 {"PowerUp", &Is<PowerUp>},
                 {"StuntGear", &Is<StuntGear>}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::unique_ptr<kaEntity> entity = CreateEntity(c.name);
        ASSERT_NE(entity, nullptr);
        EXPECT_TRUE(c.is(entity.get()));
        EXPECT_EQ(entity->GetClassName(), c.name);
        EXPECT_EQ(entity->GetClassId(), 0u);
        std::string lower = c.name;
        lower[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(lower[0])));
        EXPECT_EQ(CreateEntity(lower), nullptr);
    }
    // A surface gear is a stunt gear of its own class, not the base.
    EXPECT_EQ(CreateEntity("MudPit")->GetClassName(), "MudPit");
}

} // namespace
