#include "game/world/tvWorld.h"

#include "engine/core/Wizard.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiWindow.h"
#include "game/app/Tarvolin.h"
#include "game/records/tvPlayer.h"
#include "game/vehicles/tvVehicle.h"
#include "game/world/RaceDisplay.h"
#include "game/world/RunSummary.h"
#include "game/world/tvArena.h"
#include "game/world/tvCamera.h"
#include "platform/system/DebugOutput.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <string>

const char* const tvWorld::kCueNames[kCueCount] = {"HurryUp",  "TimesRunningOut", "54321",        "Go",
                                                   "GetReady", "DontGiveUp",      "GetSomePoints"};

namespace
{

tvPlayer* SignedInPlayer()
{
    Tarvolin* game = Tarvolin::Instance();
    return game ? game->GetCurrentPlayer() : nullptr;
}

tvVehicle* PlayerVehicle()
{
    Tarvolin* game = Tarvolin::Instance();
    return game ? game->GetPlayerVehicle() : nullptr;
}

// A course rule the run can use as the file gives it: its element's text as a whole number.
bool ReadsAsWhole(const TiXmlElement& rule, int32_t& value)
{
    try
    {
        value = GetElementInt(&rule);
        return true;
    }
    catch (const std::exception&)
    {
        return false;
    }
}

// Points come from course files: sums stop at the ends of the range instead of wrapping.
int32_t SaturatedSum(int32_t a, int32_t b)
{
    return int32_t(std::clamp<int64_t>(int64_t(a) + b, INT32_MIN, INT32_MAX));
}

} // namespace

tvWorld::tvWorld()
{
    // Each course reads the records afresh, so that edited data shows on the next start.
    if (g_pInitDataBase)
    {
        g_pInitDataBase->Clear();
        g_pInitDataBase->LoadInitData(Tarvolin::kInitDataFolder);
    }
    m_pFollowCamera = std::make_unique<tvCamera>();
    m_pFollowCamera->SetWorld(this);
    m_pCamera = m_pFollowCamera.get();
}

tvWorld::~tvWorld()
{
    if (g_pWizard)
        g_pWizard->StopSong(false);
    Tarvolin* game = Tarvolin::Instance();
    if (game)
    {
        game->PlayCrowdSound(2);
        // The vehicle goes with the world's entities: nothing may read it afterwards, nor the world.
        if (game->GetPlayerVehicle() && game->GetPlayerVehicle()->GetWorld() == this)
            game->SetPlayerVehicle(nullptr);
        if (game->GetCurrentWorld() == this)
            game->SetCurrentWorld(nullptr);
    }
    if (g_pGuiManager)
    {
        auto* hud = dynamic_cast<RaceDisplay*>(g_pGuiManager->FindWindow(kHudWindow));
        if (hud && hud->GetWorld() == this)
            hud->SetWorld(nullptr);
    }
    if (m_pCamera == m_pFollowCamera.get())
        m_pCamera = m_pOwnCamera;
    m_pFollowCamera.reset();
    if (game && !game->IsEditor())
    {
        game->SavePlayers(Tarvolin::kPlayersFolder);
        game->SaveHighScores();
    }
}

bool tvWorld::IsLocked(const kaEntity& entity) const
{
    Tarvolin* game = Tarvolin::Instance();
    tvPlayer* player = game ? game->GetCurrentPlayer() : nullptr;
    if (!player)
        return false;
    const std::string& id = entity.GetInitUniqueID();
    return game->IsShopLocked(id) && !player->IsUnlocked(id);
}

bool tvWorld::AddEntity(kaEntity* entity, bool visible, bool newIdentifier)
{
    if (!entity)
        return false;
    if (IsLocked(*entity))
    {
        platform::OutputDebugString(kLockedEntityLine);
        visible = false;
    }
    return kaPhysicsWorld::AddEntity(entity, visible, newIdentifier);
}

void tvWorld::HideLockedEntities()
{
    for (kaEntity* entity : m_Entities)
    {
        if (IsLocked(*entity))
            entity->SetVisible(false);
    }
}

void tvWorld::InitializeEntities()
{
    Tarvolin* game = Tarvolin::Instance();
    if (game)
        game->PlaySong(-1);
    kaPhysicsWorld::InitializeEntities();
    if (game)
        game->PlayCrowdSound(1);
    HideLockedEntities();
}

void tvWorld::CycleDebugDisplay()
{
    m_DebugDisplayMode = (m_DebugDisplayMode + 1) % 4;
    kaPhysicsWorld::CycleDebugDisplay();
    m_DebugDraw = m_DebugDisplayMode == 3;
}

kaEntityModel* tvWorld::CreateArenaEntity()
{
    return new tvArena();
}

void tvWorld::ReadXml(const TiXmlElement* element, bool restoreStates)
{
    // The course's water and decals mark the grid as they are read: it must stand before them.
    if (element)
        ResetPathGrid();
    kaPhysicsWorld::ReadXml(element, restoreStates);
}

void tvWorld::_ReadCourseRules(const TiXmlElement* element)
{
    // A rule the run cannot take as written is kept as read for the save; the run takes the default, or
    // what the course lists take of it.
    if (const TiXmlElement* rule = element->FirstChildElement("timeLimit"))
    {
        int32_t seconds = m_TimeLimit;
        if (!ReadsAsWhole(*rule, seconds))
            KeepCourseValue(*rule);
        else if (seconds != std::clamp(seconds, 0, kMaxTimeLimit))
            KeepCourseValue(*rule, "held to 0 .. " + std::to_string(kMaxTimeLimit) + " seconds");
        m_TimeLimit = std::clamp(seconds, 0, kMaxTimeLimit);
    }
    if (const TiXmlElement* rule = element->FirstChildElement("scoreLimit"))
    {
        // Converted as the course lists convert it, so that they show the target the run counts against.
        m_ScoreLimit = WorldInfo::ScoreLimitValue(GetElementText(rule));
        int32_t points = 0;
        if (!ReadsAsWhole(*rule, points))
            KeepCourseValue(*rule, "read as " + std::to_string(m_ScoreLimit));
    }
    if (const TiXmlElement* rule = element->FirstChildElement("levelName"))
        m_LevelName = GetElementText(rule);
    if (const TiXmlElement* rule = element->FirstChildElement("repPointFactor"))
    {
        try
        {
            m_RepPointFactor = GetElementFloat(rule);
        }
        catch (const std::exception&)
        {
            KeepCourseValue(*rule);
        }
    }
}

void tvWorld::WriteXml(TiXmlElement* element, bool saveStates) const
{
    if (!element)
        return;
    if (!WriteKeptCourseValue(element, "timeLimit"))
        AppendIntElement(element, "timeLimit", m_TimeLimit);
    if (!WriteKeptCourseValue(element, "scoreLimit"))
        AppendIntElement(element, "scoreLimit", m_ScoreLimit);
    AppendTextElement(element, "levelName", m_LevelName);
    if (!WriteKeptCourseValue(element, "repPointFactor"))
        AppendFloatElement(element, "repPointFactor", m_RepPointFactor);
    if (tvPlayer* player = SignedInPlayer())
        AppendTextElement(element, "Designer", player->GetPlayerName());
    kaPhysicsWorld::WriteXml(element, saveStates);
}

void tvWorld::SetTimeLimit(int32_t seconds)
{
    m_TimeLimit = std::clamp(seconds, 0, kMaxTimeLimit);
    ForgetCourseValue("timeLimit");
}

void tvWorld::SetScoreLimit(int32_t points)
{
    m_ScoreLimit = points;
    ForgetCourseValue("scoreLimit");
}

void tvWorld::ResolveEntityLinks()
{
    kaPhysicsWorld::ResolveEntityLinks();
    if (m_pCamera)
        m_pCamera->OnWorldLoaded();
}

void tvWorld::StartClock()
{
    m_RunPhase = kPhaseRunning;
    m_RunClock.Reset();
    m_RunClock.Start();
}

void tvWorld::AddPoints(int32_t points)
{
    tvPlayer* player = SignedInPlayer();
    if (!player)
        return;
    // Saturates: a token's value comes from the course file.
    player->SetRunPoints(SaturatedSum(player->GetRunPoints(), points));
    if (m_pHudWindow)
        m_pHudWindow->SetPointsText(std::to_string(player->GetRunPoints()));
}

std::string tvWorld::FormatTimeLeft() const
{
    // Wide enough for any limit and any elapsed time.
    const int64_t left = std::max<int64_t>(0, int64_t(m_TimeLimit) - m_ElapsedSeconds);
    const int64_t seconds = left % 60;
    return std::to_string(left / 60) + ":" + (seconds < 10 ? "0" : "") + std::to_string(seconds);
}

int32_t tvWorld::ApplyTimePenalty()
{
    const int32_t elapsed = m_RunClock.GetElapsed();
    if (int64_t(m_TimeLimit) - elapsed >= kPenaltyFloor)
        m_RunClock.AddSeconds(kTimePenalty);
    return elapsed;
}

bool tvWorld::IsCountingDown() const
{
    return m_GameMode != kPracticeMode && m_ElapsedSeconds <= 5 && !HasPlayedCue(kGo);
}

void tvWorld::_PlayCue(Cue cue)
{
    if (m_CuePlayed[cue])
        return;
    m_CuePlayed[cue] = 1;
    if (Tarvolin* game = Tarvolin::Instance())
        game->GetWorldSounds().PlaySound(kCueNames[cue]);
}

void tvWorld::_StartSong()
{
    if (m_SongStarted)
        return;
    if (g_pWizard)
        g_pWizard->StartSong();
    m_SongStarted = true;
}

void tvWorld::_ReleaseVehicle()
{
    tvVehicle* vehicle = PlayerVehicle();
    if (!vehicle)
        return;
    vehicle->SetBodyEnabled(true);
    SetSelectedEntity(vehicle);
}

void tvWorld::Update(float dt)
{
    Tarvolin* game = Tarvolin::Instance();
    if (game && game->IsPaused())
    {
        // The run's time stands still while the game does.
        m_RunClock.Pause();
        return;
    }
    kaPhysicsWorld::Update(dt);
    m_RunClock.Start();
    switch (m_RunPhase)
    {
    case kPhaseRunning:
        if (m_GameMode == kPracticeMode)
        {
            _PracticeRules();
        }
        else
        {
            if (!HasPlayedCue(kGo))
                _CountdownRules();
            if (HasPlayedCue(kGo))
                _RunningRules();
        }
        break;
    case kPhaseSummary:
        if (m_pSummaryWindow)
            m_pSummaryWindow->Update();
        break;
    case kPhasePractice:
        if (++m_PracticeStartCounter > kPracticeStartFrames)
            StartRound();
        break;
    default:
        break;
    }
}

void tvWorld::_PracticeRules()
{
    m_ElapsedSeconds = m_RunClock.GetElapsed();
    if (m_pHudWindow && m_ElapsedSeconds >= 3 && m_pHudWindow->IsCountVisible())
        m_pHudWindow->HideCount();
    _StartSong();
    if (HasPlayedCue(kGo))
    {
        if (m_pHudWindow)
            m_pHudWindow->UpdateIconTimers();
        return;
    }
    if (m_pHudWindow)
        m_pHudWindow->SetCountImage(-1);
    m_CuePlayed[kGetReady] = 1;
    _PlayCue(kGo);
    _ReleaseVehicle();
    if (tvVehicle* vehicle = PlayerVehicle())
        vehicle->StartEngineSound(false);
}

void tvWorld::_CountdownRules()
{
    if (m_ElapsedSeconds > 5)
        return;
    m_ElapsedSeconds = m_RunClock.GetElapsed();
    if (m_ElapsedSeconds >= 3)
    {
        // A frame that jumps past 3 still starts the run.
        if (m_pHudWindow)
            m_pHudWindow->SetCountImage(-1);
        m_RunClock.Reset();
        m_ElapsedSeconds = 0;
        m_RunClock.Start();
        _PlayCue(kGo);
        _ReleaseVehicle();
        return;
    }
    switch (m_ElapsedSeconds)
    {
    case 0:
        _StartSong();
        if (!m_EngineStarted)
        {
            if (tvVehicle* vehicle = PlayerVehicle())
                vehicle->StartEngineSound(true);
            m_EngineStarted = true;
        }
        if (m_pHudWindow)
            m_pHudWindow->SetCountImage(3);
        break;
    case 1:
        if (!HasPlayedCue(kGetReady))
        {
            if (m_pHudWindow)
                m_pHudWindow->SetCountImage(2);
            _PlayCue(kGetReady);
        }
        break;
    case 2:
        if (m_pHudWindow)
            m_pHudWindow->SetCountImage(1);
        break;
    default:
        break;
    }
}

void tvWorld::_RunningRules()
{
    _StartSong();
    const int32_t seconds = m_RunClock.GetElapsed();
    if (seconds != m_ElapsedSeconds)
    {
        m_ElapsedSeconds = seconds;
        if (m_pHudWindow)
        {
            m_pHudWindow->SetTimeText(FormatTimeLeft());
            m_pHudWindow->UpdateIconTimers();
        }
    }
    if (m_ElapsedSeconds == 2 && m_pHudWindow)
        m_pHudWindow->HideCount();

    // Wide, so that neither the limit nor the score limit can overflow a difference.
    const int64_t limit = m_TimeLimit;
    const int64_t t = m_ElapsedSeconds;
    bool ended = false;
    if (t >= limit - 60 && t < limit - 30 && limit > 60)
    {
        if (tvPlayer* player = SignedInPlayer())
        {
            const int64_t missing = int64_t(m_ScoreLimit) - player->GetRunPoints();
            if (missing < 50 && missing != 0)
                _PlayCue(kDontGiveUp);
            else if (missing > 100)
                _PlayCue(kGetSomePoints);
        }
    }
    else if (t >= limit - 30 && t < limit - 15)
    {
        _PlayCue(kHurryUp);
    }
    else if (t >= limit - 15 && t < limit - 5)
    {
        _PlayCue(kTimesRunningOut);
    }
    else if (t >= limit - 5 && t < limit)
    {
        _PlayCue(k54321);
    }
    else if (t > limit)
    {
        _EndRun();
        ended = true;
    }
    tvVehicle* vehicle = PlayerVehicle();
    if (!ended && vehicle && vehicle->GetDamage() >= kWreckDamage)
        _EndRun();
}

void tvWorld::_EndRun()
{
    FinishRun(nullptr);
    if (m_pHudWindow)
        m_pHudWindow->ShowCourseSummary();
}

void tvWorld::StartRound()
{
    m_pHudWindow = nullptr;
    if (g_pGuiManager)
        m_pHudWindow = dynamic_cast<RaceDisplay*>(g_pGuiManager->FindWindow(kHudWindow));
    SetSelectedEntity(nullptr);
    if (Tarvolin* game = Tarvolin::Instance())
        m_GameMode = game->GetGameMode();
    if (m_GameMode == kExhibitionMode || m_GameMode == kCareerMode)
    {
        if (m_pHudWindow)
        {
            m_pHudWindow->HideElements(false);
            m_pHudWindow->SetTimeText(FormatTimeLeft());
            m_pHudWindow->SetPointsText("0");
        }
        m_ElapsedSeconds = 0;
    }
    m_RunPhase = kPhaseRunning;
    if (m_GameMode == kPracticeMode)
    {
        if (m_pHudWindow)
            m_pHudWindow->HideElements(true);
    }
    else
    {
        m_RunClock.Reset();
        m_RunClock.Start();
    }
}

void tvWorld::FinishRun(tvPlayer* player)
{
    m_RunPhase = kPhaseFinished;
    tvVehicle* vehicle = PlayerVehicle();
    const float damage = vehicle ? vehicle->GetDamage() : 0.0f;
    if (!player)
        player = SignedInPlayer();
    auto* summary =
        g_pGuiManager ? dynamic_cast<RunSummary*>(g_pGuiManager->FindWindow(kSummaryWindow)) : nullptr;
    if (!player || !summary)
        return;
    if (damage >= kWreckDamage)
    {
        summary->SetWrecked(true);
        player->SetRunPoints(0);
    }
    Tarvolin* game = Tarvolin::Instance();
    const std::string course = game ? game->GetLevelPath() : std::string();
    const int32_t points = player->GetRunPoints();
    const int32_t target = std::max(m_ScoreLimit, player->GetHighScore(course));
    const int64_t margin = int64_t(points) - target;
    // Reached by the exact difference: a quotient has no answer for a target of 0 and rounds near the
    // top of the range.
    const bool reached = margin >= 0;
    if (margin >= 0)
        summary->SetPassed(true);
    int32_t reputation = 0;
    if (m_GameMode == kCareerMode)
    {
        const float earned = std::trunc(static_cast<float>(margin) * m_RepPointFactor);
        reputation = static_cast<int32_t>(std::clamp(earned, 0.0f, static_cast<float>(kMaxReputation)));
        if (reached && game && game->GetCareerLevel(player->GetCareerLevel()) == course)
        {
            player->SetCareerLevel(player->GetCareerLevel() + 1);
            summary->SetLevelUp(true);
        }
        if (vehicle && vehicle->IsNearDeath())
            player->SetNearDeaths(player->GetNearDeaths() + 1);
    }
    summary->SetReputation(reputation);
    player->SetTotalRepPoints(player->GetTotalRepPoints() + reputation);
    player->SetUnspentRepPoints(player->GetUnspentRepPoints() + reputation);
    player->SetTotalPointsEarned(SaturatedSum(player->GetTotalPointsEarned(), points));
    // The hub shows how many runs the driver has finished; nothing else counts them.
    player->SetCourseRuns(player->GetCourseRuns() + 1);
}
