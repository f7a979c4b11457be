#pragma once

#include "engine/gui/guiManager.h"
#include "engine/gui/guiWindow.h"
#include "engine/scene/kaSpawnPoint.h"
#include "game/app/Tarvolin.h"
#include "game/vehicles/MotorCycle.h"
#include "game/world/SpawnPlacement.h"
#include "game/world/tvWorld.h"
#include "platform/gfx/math/Vector3.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/ScriptedInput.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace gametest
{

// The game started headless with a scripted mouse and keyboard, its player's generated motorcycle on the
// stunt yard. The test rides it by holding keys through frames of 1/30 s on the game's own clock.
class StuntYardRide : public ::testing::Test
{
protected:
    using Key = KeyboardButton;

    static constexpr double kFrame = 1.0 / 30.0;
    static constexpr const char* kStuntYard = "Worlds\\stunt_yard.xml";

    // realGraphics: drawn through the OpenGL back end offscreen rather than the test device.
    explicit StuntYardRide(bool realGraphics)
        : m_Keyboard(Keyboard()), m_Game(Options(m_Keyboard, realGraphics))
    {
    }

    // The practice course started on the yard with the motorcycle, the main menu out of the way and the
    // start counted down, nothing held.
    void StartOnTheYard()
    {
        ASSERT_TRUE(m_Game.Start());
        m_Game.SetClockStep(0.0);
        Hold({});
        Tarvolin& app = m_Game.App();
        app.SetGameMode(0);
        app.SetLevelPathCopy(kStuntYard);
        app.SetLevelPath(kStuntYard);
        app.SetVehicleName("Motorcycle");
        app.StartCourse();
        m_World = dynamic_cast<tvWorld*>(app.GetCurrentWorld());
        ASSERT_NE(m_World, nullptr);
        m_Bike = dynamic_cast<MotorCycle*>(app.GetPlayerVehicle());
        ASSERT_NE(m_Bike, nullptr);
        m_Game.Gui().HideWindow(m_Game.Gui().FindWindow(Tarvolin::kMainWindow), 1);
        ASSERT_TRUE(Frames(tvWorld::kPracticeStartFrames + 2));
        ASSERT_EQ(m_World->GetRunPhase(), tvWorld::kPhaseRunning);
    }

    // Where the next reset puts the bike.
    void MoveSpawnPoint(const platform::Vector3& at)
    {
        auto* spawn = dynamic_cast<kaSpawnPoint*>(m_World->FindEntityByName(kaSpawnPoint::kName));
        ASSERT_NE(spawn, nullptr);
        spawn->SetPosition(at);
    }

    // As the reset places it: the spawn point moved there, the bike put on it facing -z, standing still.
    void StartAt(const platform::Vector3& at)
    {
        ASSERT_NO_FATAL_FAILURE(MoveSpawnPoint(at));
        // Twice: the lowest point is measured as the bike stands, and a leaning bike stands lower than
        // upright.
        for (int placing = 0; placing < 2; ++placing)
            ASSERT_TRUE(SpawnPlacement::PlaceAtSpawnPoint(*m_World, *m_Bike));
        m_Bike->StopMotion();
    }

    // Only these keys down from the next poll until another Hold.
    void Hold(const std::vector<Key>& keys)
    {
        std::vector<int32_t> reading(kKeyCount, 0);
        for (Key key : keys)
            reading[key] = 1;
        m_Keyboard->PushReading(reading);
    }

    // Game frames of 1/30 s; the check runs after each and stops them when it answers true.
    bool Frames(int count, const std::function<bool()>& until = nullptr)
    {
        for (int frame = 0; frame < count; ++frame)
        {
            m_Game.Clock().AdvanceSeconds(kFrame);
            if (!m_Game.Frame())
                return false;
            if (until && until())
                return true;
        }
        return !until;
    }

    Script m_Keyboard;
    testsupport::HeadlessGame m_Game;
    // Set by StartOnTheYard.
    tvWorld* m_World = nullptr;
    MotorCycle* m_Bike = nullptr;

private:
    static testsupport::HeadlessGame::Options Options(const Script& keyboard, bool realGraphics)
    {
        testsupport::HeadlessGame::Options options;
        options.realGraphics = realGraphics;
        options.devices = {Mouse(), keyboard};
        return options;
    }
};

} // namespace gametest
