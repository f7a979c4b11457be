#include "engine/core/kaClock.h"
#include "engine/core/kaStringUtils.h"
#include "engine/model/kaAnimationChannel.h"
#include "engine/model/kaAnimationFade.h"
#include "engine/model/kaBillboard.h"
#include "engine/model/kaModel.h"
#include "engine/render/kaBMPImage.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaTGAImage.h"
#include "engine/scene/kaEntityAttacher.h"
#include "engine/scene/kaGeomData.h"
#include "engine/scene/kaMaterial.h"
#include "game/app/Tarvolin.h"
#include "game/gear/ExplosiveGear.h"
#include "game/gear/LaunchPlate.h"
#include "game/gear/MudPit.h"
#include "game/gear/OilSlick.h"
#include "game/gear/PowerGrate.h"
#include "game/gear/PowerUp.h"
#include "game/props/Ball.h"
#include "game/props/Box.h"
#include "game/props/Cylinder.h"
#include "game/records/ShopItem.h"
#include "game/screens/XmlFileList.h"
#include "game/vehicles/CarInfo.h"
#include "game/vehicles/MotorCycle.h"
#include "game/vehicles/RagDude.h"
#include "game/vehicles/tvCycleWheel.h"
#include "game/world/tvWorld.h"
#include "platform/system/ManualClock.h"
#include "tests/support/game/ContentWorldFixture.h"
#include "tools/worldgen/StuntYard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace
{

// The generated stunt yard, loaded from the content folder as the game loads a course.
class StuntYardCourseTest : public gametest::ContentWorldFixture
{
public:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ContentWorldFixture::SetUp());
        LoadCourse(StuntYard::kCourseFile, false);
    }

    // The material a gear's first primitive was given.
    static std::string FirstMaterial(const kaEntityPhysical& entity)
    {
        if (entity.GetGeomData().empty() || !entity.GetGeomData().front()->GetMaterial())
            return "";
        return entity.GetGeomData().front()->GetMaterial()->GetName();
    }
};

TEST_F(StuntYardCourseTest, EveryGearPowerUpKindAndPropLoadsAsItsClass)
{
    EXPECT_EQ(m_World.GetVenueName(), StuntYard::kVenue);
    ASSERT_NE(m_World.FindEntityByName("SpawnPoint"), nullptr);
    std::set<std::string> classes;
    std::set<int32_t> kinds;
    for (const kaEntity* entity : m_World.GetEntities())
    {
        classes.insert(entity->GetClassName());
        if (const auto* token = dynamic_cast<const PowerUp*>(entity))
        {
            kinds.insert(token->GetPowerupType());
            EXPECT_GE(token->GetRepairSound().id, 0) << entity->GetName();
        }
        if (const auto* physical = dynamic_cast<const kaEntityPhysical*>(entity))
        {
            EXPECT_NE(physical->GetModel(), nullptr) << entity->GetName();
        }
    }
    for (const char* name : {"StuntGear", "ExplosiveGear", "LaunchPlate", "MudPit", "OilSlick", "PowerGrate",
                             "PowerUp", "Ball", "Box", "Cylinder"})
        EXPECT_EQ(classes.count(name), 1u) << name;
    EXPECT_EQ(kinds, (std::set<int32_t>{1, 2, 3, 4, 5}));
    // Every placed record, the spawn point and the venue.
    ASSERT_NE(m_World.GetVenueEntity(), nullptr);
    EXPECT_EQ(m_World.GetEntityCount(), static_cast<int32_t>(StuntYard::Entities().size()) + 2);
}

TEST_F(StuntYardCourseTest, TheRecordsGiveTheGearItsSurfacesSoundsAndBlast)
{
    std::map<std::string, const kaEntity*> first;
    for (const kaEntity* entity : m_World.GetEntities())
        first.emplace(entity->GetClassName(), entity);

    const struct
    {
        const char* type;
        const char* material;
        bool pinned;
        bool hums;
    } gear[] = {{"MudPit", "Mud", true, false},
                {"OilSlick", "Oil", true, false},
                {"PowerGrate", "Grate", true, true},
                {"LaunchPlate", "Plate", true, false},
                {"StuntGear", "Spikes", true, true}};
    for (const auto& g : gear)
    {
        SCOPED_TRACE(g.type);
        const auto* entity = dynamic_cast<const StuntGear*>(first[g.type]);
        ASSERT_NE(entity, nullptr);
        EXPECT_EQ(FirstMaterial(*entity), g.material);
        EXPECT_EQ(entity->IsPinned(), g.pinned);
        EXPECT_EQ(entity->GetDamageSequence().id >= 0, g.hums);
    }
    const auto* plate = dynamic_cast<const LaunchPlate*>(first["LaunchPlate"]);
    EXPECT_EQ(plate->GetLaunchForce(), StuntYard::kLaunchForce);
    EXPECT_EQ(plate->GetLaunchPrim(), "PRIM_LaunchPlate");

    const auto* barrel = dynamic_cast<const ExplosiveGear*>(first["ExplosiveGear"]);
    ASSERT_NE(barrel, nullptr);
    ASSERT_NE(barrel->GetBillboard(), nullptr);
    EXPECT_NE(barrel->GetBillboard()->GetRenderState()->GetTexture(0), nullptr);
    EXPECT_GT(barrel->GetDebrisVelocities().size(), 0u);
    EXPECT_EQ(barrel->GetCollisionSound(), "Explosion");

    for (const char* prop : {"Ball", "Box", "Cylinder"})
    {
        const auto* loose = dynamic_cast<const tvProp*>(first[prop]);
        ASSERT_NE(loose, nullptr) << prop;
        EXPECT_NE(loose->GetShapeData(), nullptr) << prop;
        EXPECT_FALSE(loose->IsPinned()) << prop;
    }
}

TEST_F(StuntYardCourseTest, TheShopLocksTheYardAGearAPropAndTheMotorcycleAndGivesOneAway)
{
    std::set<std::string> locked;
    int free = 0;
    for (const StuntYard::Item& item : StuntYard::ShopItems())
    {
        ShopItem shopItem;
        ASSERT_TRUE(shopItem.Load(std::string(StuntYard::kShopFolder) + item.file)) << item.file;
        EXPECT_EQ(shopItem.GetName(), item.name);
        locked.insert(shopItem.GetLockedEntity());
        free += shopItem.GetPrice() == 0 ? 1 : 0;
    }
    EXPECT_EQ(free, 1);
    EXPECT_EQ(locked.count(StuntYard::kVenue), 1u);
    // The motorcycle is locked too; every other locked name is a record the yard places.
    EXPECT_EQ(locked.count(StuntYard::kMotorcycleRecord), 1u);
    std::set<std::string> placed = {StuntYard::kMotorcycleRecord};
    for (const StuntYard::Placed& entity : StuntYard::Entities())
        placed.insert(entity.record);
    for (const std::string& name : locked)
        EXPECT_TRUE(name == StuntYard::kVenue || placed.count(name) == 1) << name;
}

// A picture as the shop would load it, by its extension; empty when it cannot be read.
std::vector<uint32_t> ShopPreviewTexels(const std::string& file, uint32_t& width)
{
    std::unique_ptr<kaImage> image;
    const std::string lower = ToLower(file);
    if (lower.size() > 4 && lower.substr(lower.size() - 4) == ".bmp")
        image = std::make_unique<kaBMPImage>();
    else
        image = std::make_unique<kaTGAImage>();
    std::vector<uint32_t> texels;
    if (!image->Load(file) || image->GetPixels() == nullptr)
        return texels;
    width = image->GetWidth();
    const uint32_t bytes = image->GetBitsPerPixel() / 8;
    for (uint32_t i = 0; i < image->GetWidth() * image->GetHeight(); ++i)
    {
        const uint8_t* p = image->GetPixels() + size_t(i) * bytes;
        texels.push_back(uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]);
    }
    return texels;
}

TEST_F(StuntYardCourseTest, EveryShopItemShowsAPictureOfItsOwn)
{
    const std::vector<std::string> files = XmlFileList::List("data/stuntshop");
    ASSERT_EQ(files.size(), StuntYard::ShopItems().size());
    std::map<std::vector<uint32_t>, std::string> seen;
    for (const std::string& path : files)
    {
        ShopItem item;
        ASSERT_TRUE(item.Load(path)) << path;
        ASSERT_FALSE(item.GetPreviewImage().empty()) << path;
        uint32_t width = 0;
        const std::vector<uint32_t> texels = ShopPreviewTexels(item.GetPreviewImage(), width);
        ASSERT_FALSE(texels.empty()) << item.GetPreviewImage();
        // A drawing, not a blank or a plain fill: many colours, none covering nearly all of it.
        std::map<uint32_t, size_t> counts;
        for (uint32_t texel : texels)
            ++counts[texel];
        size_t largest = 0;
        for (const auto& entry : counts)
            largest = std::max(largest, entry.second);
        EXPECT_GE(counts.size(), 8u) << item.GetPreviewImage();
        EXPECT_LT(largest, texels.size() * 6 / 10) << item.GetPreviewImage();
        const auto [other, added] = seen.emplace(texels, item.GetName());
        EXPECT_TRUE(added) << item.GetName() << " shows the picture of " << other->second;
    }
}

TEST_F(StuntYardCourseTest, TheMotorcycleRidesOnCycleWheelsWithItsRiderAndThrowsARagdollOnTheBar)
{
    CarInfo info;
    ASSERT_TRUE(info.Load(StuntYard::kMotorcycleFile));
    EXPECT_EQ(info.GetInitId(), StuntYard::kMotorcycleRecord);

    tvVehicle* vehicle = Tarvolin::LoadVehicleEntity(&m_World, info.GetInitId());
    auto* bike = dynamic_cast<MotorCycle*>(vehicle);
    ASSERT_NE(bike, nullptr);
    ASSERT_EQ(bike->GetWheels().size(), 2u);
    for (kaWheel* wheel : bike->GetWheels())
    {
        auto* cycleWheel = dynamic_cast<tvCycleWheel*>(wheel);
        ASSERT_NE(cycleWheel, nullptr);
        EXPECT_EQ(cycleWheel->GetMotorCycle(), bike);
    }
    EXPECT_EQ(bike->GetSteeringJoints().size(), 1u);
    EXPECT_EQ(bike->GetPowerJoints().size(), 1u);
    EXPECT_NE(bike->GetForkAttachment(), nullptr);
    EXPECT_NE(bike->GetWheelAttachment(), nullptr);
    ASSERT_NE(bike->GetRider(), nullptr);
    ASSERT_NE(bike->GetRider()->GetModel(), nullptr);
    EXPECT_GE(bike->GetRider()->GetBoneIndex(bike->GetChildBone()), 0);
    EXPECT_GE(bike->GetBoneIndex(bike->GetParentBone()), 0);
    ASSERT_NE(bike->GetRiderAttacher(), nullptr);
    EXPECT_EQ(bike->GetRiderAttacher()->GetOtherEntity(bike), bike->GetRider());

    // The reset makes the hidden rag doll: a pelvis with a limb at each other bone.
    bike->SpawnRagdoll();
    RagDude* ragdoll = bike->GetRagdoll();
    ASSERT_NE(ragdoll, nullptr);
    EXPECT_FALSE(ragdoll->IsVisible());
    EXPECT_GE(ragdoll->GetBoneIndex(MotorCycle::kRagdollRootBone), 0);
    EXPECT_EQ(ragdoll->GetJoints().size(), 6u);
    EXPECT_EQ(ragdoll->GetDependents().size(), 6u);

    // Riding into the bar throws the rider.
    kaMaterial bar;
    bar.Load(StuntYard::kSwitchMaterial);
    bike->SetBodyEnabled(true);
    bike->Update(2.0f);
    dBodySetLinearVel(bike->GetBody(), 0.0, 0.0, -10.0);
    bike->Update(0.01f);
    ASSERT_EQ(bike->GetFeetState(), MotorCycle::kRiding);
    bike->OnCollide(nullptr, nullptr, &bar);
    bike->Update(0.01f);
    EXPECT_TRUE(bike->IsRagdolled());
    EXPECT_TRUE(ragdoll->IsVisible());
    EXPECT_FALSE(bike->GetRider()->IsVisible());
}

TEST_F(StuntYardCourseTest, TheRidersFeetFadeDownAndUpWithTheBikesSpeed)
{
    auto* bike =
        dynamic_cast<MotorCycle*>(Tarvolin::LoadVehicleEntity(&m_World, StuntYard::kMotorcycleRecord));
    ASSERT_NE(bike, nullptr);
    bike->SpawnRagdoll();
    bike->SetBodyEnabled(true);
    kaModel* rider = bike->GetRider()->GetModel();
    ASSERT_NE(rider, nullptr);
    struct Step
    {
        float speed;
        int32_t feet;
        const char* shown;
        const char* faded;
        float fadeTime;
    } steps[] = {{2.0f, MotorCycle::kFeetUp, "FeetUp", nullptr, MotorCycle::kFeetUpFade},
                 {0.0f, MotorCycle::kFeetDown, "FeetDown", "FeetUp", MotorCycle::kFeetDownFade},
                 {3.0f, MotorCycle::kFeetUp, "FeetUp", "FeetDown", MotorCycle::kFeetUpFade}};
    platform::ManualClock clock;
    _ResetClockState();
    for (const Step& step : steps)
    {
        SCOPED_TRACE(step.speed);
        // Each step's fades have run their course before the next begins.
        clock.AdvanceSeconds(1.0);
        rider->UpdateAnimation();
        dBodySetLinearVel(bike->GetBody(), 0.0, 0.0, -step.speed);
        bike->Update(0.01f);
        ASSERT_EQ(bike->GetFeetState(), step.feet);
        const auto& channels = rider->GetChannels();
        const kaAnimationChannel* feet = nullptr;
        for (const auto& channel : channels)
            if (channel->m_Number == MotorCycle::kFeetChannel)
                feet = channel.get();
        ASSERT_NE(feet, nullptr);
        const kaAnimationFade* shown = feet->FindFade(step.shown);
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->m_FadeFinal, 1.0f);
        if (step.faded)
        {
            const kaAnimationFade* faded = feet->FindFade(step.faded);
            ASSERT_NE(faded, nullptr);
            EXPECT_EQ(faded->m_FadeFinal, 0.0f);
            EXPECT_EQ(faded->m_FadeTime, step.fadeTime);
        }
    }
}

} // namespace
