#pragma once

#include "engine/scene/kaPhysicsWorld.h"

#include <cstdint>

class HudWindow;

// The world a course runs in: the physics world plus what the game's entities ask of the run, its game
// mode (0 practice, 1 exhibition, 2 career) and the HUD that shows it.
class tvWorld : public kaPhysicsWorld
{
public:
    static constexpr int32_t kDefaultGameMode = 3;

    tvWorld();
    ~tvWorld() override;

    int32_t GetGameMode() const { return m_GameMode; }
    void SetGameMode(int32_t mode) { m_GameMode = mode; }
    HudWindow* GetHudWindow() const { return m_pHudWindow; }
    void SetHudWindow(HudWindow* hud) { m_pHudWindow = hud; }
    // Adds to the signed-in player's run points and shows the run's total on the HUD.
    void AddPoints(int points);

private:
    int32_t m_GameMode = kDefaultGameMode;
    // Not owned: the GUI manager keeps its windows.
    HudWindow* m_pHudWindow = nullptr;
};
