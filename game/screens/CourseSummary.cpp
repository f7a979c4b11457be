#include "game/screens/CourseSummary.h"

#include "engine/core/kaApp.h"
#include "game/Tarvolin.h"
#include "game/tvPlayer.h"

CourseSummary::CourseSummary(const std::string& layoutFile) : guiWindow(layoutFile) {}

void CourseSummary::OnShow()
{
    auto* game = dynamic_cast<Tarvolin*>(kaApp::GetSingleton());
    tvPlayer* player = game ? game->GetCurrentPlayer() : nullptr;
    if (!player || !game->GetCurrentWorld())
        return;
    const std::string course = game->GetLevelPath();
    const int32_t points = player->GetRunPoints();
    m_NewPersonalBest = player->GetHighScore(course) < points;
    if (m_NewPersonalBest)
        player->SetHighScore(course, points);
    m_NewHighScore = game->GetHighScore(course) < points && points > 0;
    if (m_NewHighScore)
        game->SetHighScore(course, player->GetPlayerName(), points);
}
