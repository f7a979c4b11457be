#include "engine/core/InputManager.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaClock.h"
#include "engine/core/kaRandom.h"
#include "engine/model/kaModelManager.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaParticleEmitter.h"
#include "game/app/SoundCategory.h"
#include "game/app/Tarvolin.h"
#include "game/vehicles/tvVehicle.h"
#include "game/vehicles/tvWheel.h"
#include "game/world/tvWorld.h"
#include "game/world/tvWorldSounds.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/ScriptedInput.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

using platform::Vector3;

// A vehicle class of a test's own, for records that name a class derived from the game's vehicle.
class TestDerivedVehicle : public tvVehicle
{
    KA_ENTITY_CLASS_RECORD()
};

KA_ENTITY_CLASS_RECORD_DEFINITION(TestDerivedVehicle, "TestDerivedVehicle")

namespace
{

const EntityFactory::Registration s_Registration(TestDerivedVehicle::StaticClassInfo(),
                                                 &EntityFactory::Create<TestDerivedVehicle>);

constexpr float kVehicleFrame = 1.0f / 30.0f;
// On the arena's dirt, clear of the props, with its length ahead (-z) and its west wall 17 to the side.
constexpr float kStartX = -14.0f;
constexpr float kStartZ = 12.0f;

testsupport::HeadlessGame::Options DriveWithKeyboard(const gametest::Script& keyboard)
{
    testsupport::HeadlessGame::Options options;
    options.devices = {gametest::Mouse(), keyboard};
    return options;
}

float Speed(dBodyID body)
{
    const dReal* v = dBodyGetLinearVel(body);
    return static_cast<float>(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
}

// The game started headless on the generated content, with a course world of the sample arena to load
// vehicles into.
class TarvolinVehicleTest : public ::testing::Test
{
protected:
    TarvolinVehicleTest() : m_Keyboard(gametest::Keyboard()), m_Game(DriveWithKeyboard(m_Keyboard)) {}

    void SetUp() override
    {
        m_Game.Install().Write("InitData/TestVehicles.xml",
                               "<?xml version=\"1.0\"?><root>"
                               "<initData><uniqueID>Derived</uniqueID><dataType>Entity</dataType><data>"
                               "<classType>TestDerivedVehicle</classType></data></initData>"
                               "<initData><uniqueID>Plain</uniqueID><dataType>Entity</dataType><data>"
                               "<mass>3</mass></data></initData>"
                               "</root>");
        ASSERT_TRUE(m_Game.Start());
        m_Game.SetClockStep(0.0);
        SetRandomSeed(0);
    }
    void TearDown() override
    {
        m_Worlds.clear();
        m_Models.DeleteAll();
        SetRandomSeed(0);
    }

    Tarvolin& App() { return m_Game.App(); }

    tvWorld& NewWorld(bool course)
    {
        m_Worlds.push_back(std::make_unique<tvWorld>());
        tvWorld& world = *m_Worlds.back();
        if (course)
        {
            world.LoadFile("Worlds/Editor/Sample Course.xml", true);
            world.InitializeEntities();
        }
        return world;
    }

    // The default vehicle standing on the dirt, its engine running.
    tvVehicle* Charger(tvWorld& world)
    {
        tvVehicle* car = Tarvolin::LoadVehicleEntity(&world, "Charger");
        if (!car)
            return nullptr;
        car->SetPosition(Vector3(kStartX, 0.05f, kStartZ) + car->GetCOGOffset());
        car->SetBodyEnabled(true);
        car->StartEngineSound(true);
        world.SetSelectedEntity(car);
        return car;
    }

    // Frames of the world with the throttle (W) held or not.
    void Drive(tvWorld& world, int frames, bool throttle)
    {
        for (int frame = 0; frame < frames; ++frame)
        {
            m_Keyboard->PushReading({throttle, false, false, false, false, false, false, false, false});
            App().GetInputManager()->Update();
            world.Update(kVehicleFrame);
        }
    }

    uint32_t EngineHertz(const tvVehicle& car) const
    {
        kaSoundHandle loop;
        loop.id = car.GetEngineSound().id2;
        return g_pWizard->GetSoundFrequency(loop);
    }

    gametest::Script m_Keyboard;
    testsupport::HeadlessGame m_Game;
    kaModelManager m_Models;
    std::vector<std::unique_ptr<tvWorld>> m_Worlds;
};

} // namespace

TEST_F(TarvolinVehicleTest, TheDefaultVehicleIsAGameVehicleSteppedByThePhysicsWorldWithItsWheels)
{
    tvWorld& world = NewWorld(false);
    const int32_t before = world.GetEntityCount();
    tvVehicle* car = Tarvolin::LoadVehicleEntity(&world, "Charger");
    ASSERT_NE(car, nullptr);
    EXPECT_EQ(car->GetClassName(), "tvVehicle");
    ASSERT_EQ(car->GetWheels().size(), 4u);
    const std::vector<kaEntity*>& dynamic = world.GetDynamicList();
    ASSERT_EQ(dynamic.size(), 5u);
    EXPECT_EQ(dynamic[0], car);
    for (size_t i = 0; i < 4; ++i)
    {
        EXPECT_EQ(dynamic[i + 1], car->GetWheels()[i]);
        auto* wheel = dynamic_cast<tvWheel*>(car->GetWheels()[i]);
        ASSERT_NE(wheel, nullptr);
        EXPECT_EQ(wheel->GetJoinedVehicle(), car);
    }
    for (kaEntity* entity : world.GetUpdateList())
        EXPECT_TRUE(entity != car && !car->IsWheel(entity));
    EXPECT_GT(world.GetEntityCount(), before);
    // Its record's emitters: exhaust at the pipe, smoke at three places, off while undamaged.
    EXPECT_EQ(car->GetExhaustEmitters().size(), 1u);
    ASSERT_EQ(car->GetDamageEmitters().size(), 3u);
    for (kaParticleEmitter* smoke : car->GetDamageEmitters())
        EXPECT_EQ(smoke->GetEmitRate(), 0.0f);
    EXPECT_GE(car->GetEngineSound().id, 0);
}

TEST_F(TarvolinVehicleTest, RecordsMakeTheirOwnVehicleClassAndAnythingElseMakesNothing)
{
    tvWorld& world = NewWorld(false);
    tvVehicle* derived = Tarvolin::LoadVehicleEntity(&world, "Derived");
    EXPECT_NE(dynamic_cast<TestDerivedVehicle*>(derived), nullptr);
    // Without a class: the game's vehicle, given its record.
    tvVehicle* plain = Tarvolin::LoadVehicleEntity(&world, "Plain");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->GetClassName(), "tvVehicle");
    EXPECT_EQ(plain->GetInitUniqueID(), "Plain");
    const int32_t count = world.GetEntityCount();
    const size_t dynamic = world.GetDynamicList().size();
    // A prop's record, a wheel's, an emitter's, and no record at all.
    for (const char* name : {"Crate", "ChargerWheel", "ChargerSmoke", "NoSuchVehicle"})
    {
        EXPECT_EQ(Tarvolin::LoadVehicleEntity(&world, name), nullptr) << name;
        EXPECT_EQ(world.GetEntityCount(), count) << name;
        EXPECT_EQ(world.GetDynamicList().size(), dynamic) << name;
    }
    EXPECT_EQ(Tarvolin::LoadVehicleEntity(nullptr, "Charger"), nullptr);
}

TEST_F(TarvolinVehicleTest, TheCrowdCheersFromItsCategoryAndItsLoopStartsAndStops)
{
    tvWorldSounds& sounds = App().GetWorldSounds();
    if (sounds.GetCategoryCount() == 0)
    {
        // Nothing listed yet: every cheer is silent.
        EXPECT_TRUE(App().PlayCrowdSound(0));
        ASSERT_TRUE(sounds.Load("Data\\Sounds\\Sounds.xml"));
    }
    std::vector<const SoundCategory*> crowd;
    for (size_t i = 0; i < sounds.GetCategoryCount(); ++i)
        if (sounds.GetCategory(i)->GetName() == "Crowd")
            crowd.push_back(sounds.GetCategory(i));
    ASSERT_EQ(crowd.size(), 1u);
    const std::vector<kaSoundHandle>& cheers = crowd[0]->GetSounds();
    ASSERT_EQ(cheers.size(), 3u);
    auto playing = [&]
    {
        std::vector<size_t> on;
        for (size_t i = 0; i < cheers.size(); ++i)
            if (g_pWizard->IsSoundPlaying(cheers[i]))
                on.push_back(i);
        return on;
    };
    for (int round = 0; round < 4; ++round)
    {
        g_pWizard->StopAllSounds();
        SetRandomSeed(static_cast<uint32_t>(round * 7919));
        const int expected = RandomInt(3);
        SetRandomSeed(static_cast<uint32_t>(round * 7919));
        EXPECT_TRUE(App().PlayCrowdSound(0));
        EXPECT_EQ(playing(), (std::vector<size_t>{static_cast<size_t>(expected)})) << round;
    }
    // Effects switched off: nothing.
    g_pWizard->StopAllSounds();
    g_pWizard->SetImpactSoundsDisabled(true);
    EXPECT_TRUE(App().PlayCrowdSound(0));
    EXPECT_TRUE(playing().empty());
    g_pWizard->SetImpactSoundsDisabled(false);

    // The loop: modes 1 and 2; other modes do nothing.
    kaSoundHandle intro;
    intro.id = App().GetCrowdSound().id;
    ASSERT_GE(intro.id, 0);
    EXPECT_TRUE(App().PlayCrowdSound(5));
    EXPECT_FALSE(g_pWizard->IsSoundPlaying(intro));
    EXPECT_TRUE(App().PlayCrowdSound(1));
    EXPECT_TRUE(g_pWizard->IsSoundPlaying(intro));
    EXPECT_TRUE(App().PlayCrowdSound(2));
    EXPECT_FALSE(g_pWizard->IsSoundPlaying(intro));

    // A list that is not there adds nothing and plays nothing.
    tvWorldSounds missing;
    EXPECT_FALSE(missing.Load("Data\\Sounds\\NoSuchList.xml"));
    EXPECT_EQ(missing.GetCategoryCount(), 0u);
}

TEST_F(TarvolinVehicleTest, TheChargerSpeedsUpOnTheDirtItsEngineRisesABoostMakesItFasterARamMakesSmoke)
{
    tvWorld& plainWorld = NewWorld(true);
    tvVehicle* plain = Charger(plainWorld);
    ASSERT_NE(plain, nullptr);
    Drive(plainWorld, 30, false);
    const uint32_t idle = EngineHertz(*plain);
    EXPECT_LT(Speed(plain->GetBody()), 0.2f);
    Drive(plainWorld, 20, true);
    const float driven = Speed(plain->GetBody());
    EXPECT_GT(driven, 2.0f);
    EXPECT_GT(EngineHertz(*plain), idle);
    EXPECT_GT(plain->GetWheelSpinRate(), 1.0f);
    EXPECT_EQ(plain->GetDamage(), 0.0f);

    // The same run with a boost taken at the start.
    tvWorld& boostWorld = NewWorld(true);
    tvVehicle* boosted = Charger(boostWorld);
    ASSERT_NE(boosted, nullptr);
    Drive(boostWorld, 30, false);
    boosted->AddTurbo(5.0f, 100.0f, 8.0f);
    Drive(boostWorld, 20, true);
    EXPECT_GT(Speed(boosted->GetBody()), driven * 1.2f);

    // Rammed into the west wall side on: the smoke starts.
    tvWorld& ramWorld = NewWorld(true);
    ramWorld.SetGameMode(1);
    tvVehicle* rammed = Charger(ramWorld);
    ASSERT_NE(rammed, nullptr);
    Drive(ramWorld, 30, false);
    float before = 0.0f;
    for (kaParticleEmitter* smoke : rammed->GetDamageEmitters())
        before += smoke->GetEmitRate();
    EXPECT_EQ(before, 0.0f);
    int hits = 0;
    for (; hits < 6 && rammed->GetDamage() < 20.0f; ++hits)
    {
        dBodySetLinearVel(rammed->GetBody(), -25.0, 0.0, 0.0);
        // Long enough for the hit's window to close.
        Drive(ramWorld, 40, false);
    }
    EXPECT_GE(rammed->GetDamage(), 20.0f) << hits;
    // Each ram's window adds a share of at most ten.
    EXPECT_GE(hits, 2);
    float after = 0.0f;
    for (kaParticleEmitter* smoke : rammed->GetDamageEmitters())
        after += smoke->GetEmitRate();
    EXPECT_GT(after, 0.0f);
}
