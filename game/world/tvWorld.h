#pragma once

#include "editor/WindowNames.h"
#include "engine/core/kaStopwatch.h"
#include "engine/scene/kaPhysicsWorld.h"
#include "game/world/GameMode.h"
#include "game/world/WorldInfo.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

class RunSummary;
class RaceDisplay;
class tvCamera;
class tvPlayer;

// The world a course runs in: the physics world plus the course's rules. It reads the time and score
// limits from the world file, counts down before a run, has the announcer call the time left and the points
// missing, keeps the HUD's time and points, ends the run by time or wreck and books the result on the
// signed-in player. It owns the follow camera.
class tvWorld : public kaPhysicsWorld
{
public:
    static constexpr int32_t kDefaultGameMode = kUnsetGameMode;
    static constexpr int32_t kDefaultScoreLimit = WorldInfo::kDefaultScoreLimit;
    static constexpr int32_t kDefaultTimeLimit = 10;
    // A time limit is held to 0 .. a day: a course file may say anything.
    static constexpr int32_t kMaxTimeLimit = 86400;
    static constexpr float kDefaultRepPointFactor = 0.1f;
    static constexpr float kWreckDamage = 100.0f;
    static constexpr int32_t kMaxReputation = 10;
    // A reset costs this many seconds while at least kPenaltyFloor are left.
    static constexpr float kTimePenalty = 5.0f;
    static constexpr int32_t kPenaltyFloor = 10;
    // Practice starts on the frame after this many.
    static constexpr int32_t kPracticeStartFrames = 30;
    static constexpr const char* kHudWindow = windowNames::kHud;
    static constexpr const char* kSummaryWindow = windowNames::kCourseSummary;
    static constexpr const char* kLockedEntityLine = "Add Entity Failed  tvWorld::AddEntity\n";

    // Run phases.
    enum RunPhase : int32_t
    {
        kPhaseFinished = 0,
        kPhaseRunning = 1,
        kPhaseSummary = 3,
        kPhaseWaiting = 4,
        kPhasePractice = 5,
    };

    // Announcer cues, each played at most once a run.
    enum Cue : int32_t
    {
        kHurryUp,
        kTimesRunningOut,
        k54321,
        kGo,
        kGetReady,
        kDontGiveUp,
        kGetSomePoints,
        kCueCount,
    };
    static const char* const kCueNames[kCueCount];

    tvWorld();
    ~tvWorld() override;

    // The physics step, then the course rules; nothing while the application is paused (the run clock
    // stops then too).
    void Update(float dt) override;
    // A locked entity still joins, hidden.
    bool AddEntity(kaEntity* entity, bool visible, bool newIdentifier) override;
    // The theme's random song, the entities' start, the crowd loop, then locked entities hidden.
    void InitializeEntities() override;
    // Modes 0 to 3; the physics debug drawing shows in mode 3.
    void CycleDebugDisplay() override;
    kaEntityModel* CreateArenaEntity() override;
    // The world's keys, the course's first, on a fresh path grid, which the water and decals mark.
    void ReadXml(const TiXmlElement* element, bool restoreStates) override;
    // The course keys with their current values (a rule the load could not use as it was read), then the
    // world's own: the keys the engine's world kept from the file are written only where these did not
    // write them.
    void WriteXml(TiXmlElement* element, bool saveStates) const override;
    // The links, then the camera learns that the world has loaded.
    void ResolveEntityLinks() override;

    void StartRound();
    void StartClock();
    void AddPoints(int32_t points);
    // The time left as minutes and two-digit seconds; a run past its limit shows "0:00".
    std::string FormatTimeLeft() const;
    // Takes kTimePenalty seconds off the run while kPenaltyFloor or more are left; returns the elapsed
    // seconds read before.
    int32_t ApplyTimePenalty();
    bool IsCountingDown() const;
    int32_t GetScoreLimit() const { return m_ScoreLimit; }
    void HideLockedEntities();
    // Books the run on the player, or on the signed-in one when null.
    void FinishRun(tvPlayer* player);
    // True when a player is signed in for whom the item named by the entity's init-data id is locked.
    bool IsLocked(const kaEntity& entity) const;

    int32_t GetGameMode() const { return m_GameMode; }
    void SetGameMode(int32_t mode) { m_GameMode = mode; }
    // The HUD, found by its window name when a round starts.
    RaceDisplay* GetHudWindow() const { return m_pHudWindow; }
    void SetHudWindow(RaceDisplay* hud) { m_pHudWindow = hud; }
    RunSummary* GetSummaryWindow() const { return m_pSummaryWindow; }
    void SetSummaryWindow(RunSummary* summary) { m_pSummaryWindow = summary; }
    int32_t GetRunPhase() const { return m_RunPhase; }
    void SetRunPhase(int32_t phase) { m_RunPhase = phase; }
    tvCamera* GetFollowCamera() const { return m_pFollowCamera.get(); }
    const std::string& GetLevelName() const { return m_LevelName; }
    int32_t GetTimeLimit() const { return m_TimeLimit; }
    // Each replaces the text the load kept as read.
    void SetTimeLimit(int32_t seconds);
    void SetScoreLimit(int32_t points);
    float GetRepPointFactor() const { return m_RepPointFactor; }
    int32_t GetElapsedSeconds() const { return m_ElapsedSeconds; }
    int32_t GetPracticeStartCounter() const { return m_PracticeStartCounter; }
    const kaStopwatch& GetRunClock() const { return m_RunClock; }
    bool HasPlayedCue(Cue cue) const { return m_CuePlayed[cue] != 0; }

protected:
    // "timeLimit", "scoreLimit", "levelName" and "repPointFactor": a time limit that is no whole number or
    // lies outside 0 .. kMaxTimeLimit, a score limit that is no whole number and a factor that is no number
    // are kept as read and noted.
    void _ReadCourseRules(const TiXmlElement* element) override;

private:
    void _PracticeRules();
    void _CountdownRules();
    void _RunningRules();
    void _EndRun();
    // Plays the cue unless it has played this run.
    void _PlayCue(Cue cue);
    void _StartSong();
    // The player's vehicle goes: its body on, steered by the player.
    void _ReleaseVehicle();

    std::string m_LevelName;
    int32_t m_ScoreLimit = kDefaultScoreLimit;
    int32_t m_PracticeStartCounter = 0;
    std::unique_ptr<tvCamera> m_pFollowCamera;
    int32_t m_TimeLimit = kDefaultTimeLimit;
    int32_t m_ElapsedSeconds = 0;
    float m_RepPointFactor = kDefaultRepPointFactor;
    kaStopwatch m_RunClock;
    int32_t m_RunPhase = kPhaseWaiting;
    uint8_t m_CuePlayed[kCueCount] = {};
    bool m_SongStarted = false;
    bool m_EngineStarted = false;
    // Not owned: the GUI manager keeps its windows.
    RaceDisplay* m_pHudWindow = nullptr;
    RunSummary* m_pSummaryWindow = nullptr;
    int32_t m_GameMode = kDefaultGameMode;
};
