#include "game/tvWorld.h"

#include "engine/core/kaApp.h"
#include "game/Tarvolin.h"
#include "game/screens/HudWindow.h"
#include "game/tvPlayer.h"

#include <string>

tvWorld::tvWorld() = default;

tvWorld::~tvWorld() = default;

void tvWorld::AddPoints(int points)
{
    auto* game = dynamic_cast<Tarvolin*>(kaApp::GetSingleton());
    tvPlayer* player = game ? game->GetCurrentPlayer() : nullptr;
    if (!player)
        return;
    player->SetRunPoints(player->GetRunPoints() + points);
    if (m_pHudWindow)
        m_pHudWindow->SetPointsText(std::to_string(player->GetRunPoints()));
}
