#pragma once

#include "engine/core/SoundManager.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaClock.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaRandom.h"
#include "engine/scene/kaGeomData.h"
#include "engine/scene/kaHinge2Joint.h"
#include "engine/scene/kaMaterial.h"
#include "game/app/SoundCategory.h"
#include "game/app/Tarvolin.h"
#include "game/screens/HudWindow.h"
#include "game/vehicles/tvVehicle.h"
#include "game/vehicles/tvWheel.h"
#include "game/world/tvWorld.h"
#include "game/world/tvWorldSounds.h"
#include "platform/audio/NullAudioSink.h"
#include "platform/system/ManualClock.h"
#include "tests/support/RiffBuilder.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"
#include "tests/support/engine/scene/PhysicsScene.h"
#include "tests/support/game/InstallFolder.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <memory>
#include <string>
#include <vector>

namespace geartest
{

// A graphics manager on the test device, so that meshes have buffers, and a course world with a HUD in which
// the application's player vehicle stands: a car of four game wheels on hinge-2 joints. The install folder
// holds the world sounds the gear and the power-ups announce with, the game's pick-up waves, a three-part
// hum, and the materials "Rubber", "Spikes" (5 damage a second), "Harmless" (none), "Launch" and "Mud".
class GearScene : public GraphicsManagerFixture
{
public:
    static constexpr const char* kCues[] = {"LaunchPlate", "Jump", "Point", "Turbo", "Crowd", "Boom"};

    void SetUp() override
    {
        ASSERT_TRUE(Start(nullptr));
        ASSERT_TRUE(m_Sound.Init(nullptr));
        m_Wizard.Init(&m_Sound, false);
        _ResetClockState();
        m_Clock.AdvanceSeconds(100.0);
        std::string list = "<soundList>";
        for (const char* cue : kCues)
        {
            _Wave(std::string("Sounds/") + cue + ".wav");
            list += std::string("<category><name>") + cue + "</name><path>Sounds/" + cue +
                    ".wav</path></category>";
        }
        m_Install.dir.Write("Data/Sounds/Sounds.xml", list + "</soundList>");
        ASSERT_TRUE(m_App.GetWorldSounds().Load("Data/Sounds/Sounds.xml"));
        for (const char* wave : {"Resources/Sounds/Game/repair.wav", "Resources/Sounds/Game/jump.wav",
                                 "Resources/Sounds/Game/PointCounter_Final_Won.wav", "Sounds/hum_in.wav",
                                 "Sounds/hum_loop.wav", "Sounds/hum_out.wav"})
            _Wave(wave);
        m_Install.dir.Write(
            "InitData/records.xml",
            "<?xml version=\"1.0\"?><root>"
            "<initData><uniqueID>Rubber</uniqueID><dataType>Material</dataType><data><friction>2</friction></"
            "data></initData>"
            "<initData><uniqueID>Spikes</uniqueID><dataType>Material</dataType><data><damagePerSecond>5</"
            "damagePerSecond></data></initData>"
            "<initData><uniqueID>Harmless</uniqueID><dataType>Material</dataType><data><damagePerSecond>0</"
            "damagePerSecond></data></initData>"
            "<initData><uniqueID>Launch</uniqueID><dataType>Material</dataType><data></data></initData>"
            "<initData><uniqueID>Mud</uniqueID><dataType>Material</dataType><data><friction>0.8</friction></"
            "data></initData>"
            "</root>");
        ASSERT_TRUE(m_Data.LoadInitData("InitData"));

        m_World.SetHudWindow(&m_Hud);
        m_World.SetGameMode(1);
        m_Vehicle = new tvVehicle;
        m_World.AddEntity(m_Vehicle, true, true);
        m_Vehicle->SetModel(m_Scene.Model({{"Centre", "", {0, 0, 0}},
                                           {"FL", "Centre", {-0.85f, -0.4f, -1.3f}},
                                           {"FR", "Centre", {0.85f, -0.4f, -1.3f}},
                                           {"RL", "Centre", {-0.85f, -0.4f, 1.3f}},
                                           {"RR", "Centre", {0.85f, -0.4f, 1.3f}}}));
        for (const char* name : {"FL", "FR", "RL", "RR"})
        {
            auto* wheel = new tvWheel;
            m_World.AddEntity(wheel, true, true);
            kaModel* model = m_Scene.Model({{"Hub", "", {0, 0, 0}}}, false);
            model->m_UseAltBounds = true;
            model->m_AltMin = platform::Vector3(-0.1f, -0.3f, -0.3f);
            model->m_AltMax = platform::Vector3(0.1f, 0.3f, 0.3f);
            wheel->SetModel(model);
            Read(*wheel, "<wheelMaterial>Rubber</wheelMaterial>");
            auto* joint = new kaHinge2Joint;
            joint->SetWorld(&m_World);
            joint->CreateJoint(&m_World);
            m_World.AddEntity(joint, true, true);
            joint->SetName(name);
            joint->Connect(m_Vehicle, name, wheel, "Hub");
            wheel->Initialize();
            m_Wheels.push_back(wheel);
        }
        m_Vehicle->Initialize();
        m_App.SetPlayerVehicle(m_Vehicle);
        SetRandomSeed(0);
    }

    void TearDown() override
    {
        m_App.SetPlayerVehicle(nullptr);
        m_Wizard.StopAllSounds();
        SetRandomSeed(0);
        _ResetClockState();
    }

    static void Read(kaEntity& entity, const std::string& xml)
    {
        TiXmlDocument document;
        document.Parse(("<Entity>" + xml + "</Entity>").c_str());
        ASSERT_NE(document.RootElement(), nullptr) << xml;
        entity.ReadXml(document.RootElement());
    }

    // A material loaded from its record, kept for the test's length.
    kaMaterial* Material(const std::string& id)
    {
        m_Materials.push_back(std::make_unique<kaMaterial>());
        m_Materials.back()->Load(id);
        return m_Materials.back().get();
    }

    // Gear of that class in the world on a ball model, read from the keys and initialised.
    template <typename Gear> Gear* Add(const std::string& xml = "", const platform::Vector3& at = {0, 0, 10})
    {
        auto* gear = new Gear;
        m_World.AddEntity(gear, true, true);
        gear->SetPosition(at);
        gear->SetModel(m_Scene.Model());
        Read(*gear, xml);
        gear->Initialize();
        return gear;
    }

    // A plain physical ball of radius 0.5 in the course world, resting, its box as wide as the ball.
    kaEntityPhysical* Loose(const platform::Vector3& at)
    {
        auto* ball = new kaEntityPhysical;
        m_World.AddEntity(ball, true, true);
        ball->SetPosition(at);
        kaModel* model = m_Scene.Model();
        model->m_UseAltBounds = true;
        model->m_AltMin = platform::Vector3(-0.5f, -0.5f, -0.5f);
        model->m_AltMax = platform::Vector3(0.5f, 0.5f, 0.5f);
        ball->SetModel(model);
        return ball;
    }

    // Whether a sound of the world-sound category plays.
    bool Playing(const std::string& category) const
    {
        const tvWorldSounds& sounds = const_cast<Tarvolin&>(m_App).GetWorldSounds();
        for (size_t i = 0; i < sounds.GetCategoryCount(); ++i)
            if (sounds.GetCategory(i)->GetName() == category)
                for (const kaSoundHandle& sound : sounds.GetCategory(i)->GetSounds())
                    if (m_Wizard.IsSoundPlaying(sound))
                        return true;
        return false;
    }

    // Stops every world sound, so that the next announcement shows.
    void Hush() { m_Wizard.StopAllSounds(); }

    static constexpr const char* kHum = "<damageSequence><intro>Sounds/hum_in.wav</intro>"
                                        "<loop>Sounds/hum_loop.wav</loop><outro>Sounds/hum_out.wav</outro>"
                                        "</damageSequence>";

    gametest::InstallFolder m_Install;
    platform::ManualClock m_Clock;
    platform::NullAudioSink m_Sink;
    SoundManager m_Sound;
    Wizard m_Wizard;
    Tarvolin m_App;
    kaInitDataBase m_Data;
    HudWindow m_Hud{"missing.kab"};
    std::vector<std::unique_ptr<kaMaterial>> m_Materials;
    physicstest::Scene m_Scene;
    tvWorld m_World;
    tvVehicle* m_Vehicle = nullptr;
    std::vector<tvWheel*> m_Wheels;

private:
    void _Wave(const std::string& path)
    {
        m_Install.dir.Write(
            path, testsupport::RiffBuilder::PcmWave(
                      1, 22050, 16, testsupport::RiffBuilder::Samples16(std::vector<int16_t>(22050, 700))));
    }
};

} // namespace geartest
