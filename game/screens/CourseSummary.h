#pragma once

#include "editor/WindowNames.h"
#include "engine/gui/guiWindow.h"
#include "game/world/RunSummary.h"

#include <cstdint>
#include <string>
#include <vector>

class guiButton;
class guiImage;
class guiTextBox;

// The run summary: counts the run's points up, then reveals the run's awards one every four seconds in
// eight picture slots with their cues, counts the reputation points up and leads back to the career hub.
// Showing it records the driver's best and the course's high score.
class CourseSummary : public guiWindow, public RunSummary
{
public:
    static constexpr const char* kWindowName = windowNames::kCourseSummary;
    static constexpr int32_t kSlots = 8;
    static constexpr int32_t kMaxReputation = 10;
    static constexpr int32_t kCountFrames = 20;
    static constexpr int32_t kFinished = 9;
    static constexpr const char* kCareerWindow = windowNames::kCareer;
    static constexpr const char* kEachSound = "Resources/Sounds/Game/PointCounter_Each.wav";
    static constexpr const char* kWonSound = "Resources/Sounds/Game/PointCounter_Final_Won.wav";
    static constexpr const char* kLostSound = "Resources/Sounds/Game/PointCounter_Final_Lost.wav";

    explicit CourseSummary(const std::string& layoutFile);

    // With a course running and a driver signed in: records the run's points as the driver's best on the
    // course and as the course's high score where they beat them, and starts the count-up.
    void OnShow() override;

    // The summary's per-frame step while the run phase shows it.
    void Update() override;
    void AwardStep(int32_t step);
    // Back to the career hub: every counter reset and the course world destroyed.
    bool OnContinue();

    void SetWrecked(bool wrecked) override { m_Wrecked = wrecked; }
    void SetPassed(bool passed) override { m_Passed = passed; }
    void SetLevelUp(bool levelUp) override { m_LevelUp = levelUp; }
    void SetReputation(int32_t points) override { m_Reputation = points; }
    bool IsNewPersonalBest() const { return m_NewPersonalBest; }
    bool IsNewHighScore() const { return m_NewHighScore; }
    bool IsWrecked() const { return m_Wrecked; }
    bool IsPassed() const { return m_Passed; }
    bool IsLevelUp() const { return m_LevelUp; }
    bool IsReputationEarned() const { return m_ReputationEarned; }
    int32_t GetReputation() const { return m_Reputation; }
    int32_t GetUpdateCount() const { return m_UpdateCount; }
    int32_t GetPhase() const { return m_Phase; }
    int32_t GetPointCounter() const { return m_PointCounter; }
    int32_t GetReputationCounter() const { return m_ReputationCounter; }
    int32_t GetNextSlot() const { return m_NextSlot; }
    // The picture each slot shows, empty while it shows none.
    const std::string& GetSlotPicture(int32_t slot) const { return m_SlotPictures[slot]; }
    // The picture of the reputation count.
    const std::string& GetReputationPicture() const { return m_ReputationPicture; }

    // Every cue and wave file played, in order, so that the sequence can be checked by ear.
    const std::vector<std::string>& GetSoundLog() const { return m_SoundLog; }
    void ClearSoundLog() { m_SoundLog.clear(); }

private:
    void _Reset();
    void _PlayCue(const char* cue);
    void _PlayWave(const char* file);
    void _Place(const std::string& picture, const std::string& caption);
    void _Steady();
    void _Blink();
    void _SetReputationPicture(int32_t counter);

    guiTextBox* m_TargetBox = nullptr;
    guiTextBox* m_PointsBox = nullptr;
    guiTextBox* m_LevelBox = nullptr;
    guiImage* m_ReputationImage = nullptr;
    guiImage* m_ReputationLabel = nullptr;
    guiImage* m_Images[kSlots] = {};
    guiImage* m_Captions[kSlots] = {};

    bool m_Wrecked = false;
    bool m_Passed = false;
    bool m_LevelUp = false;
    bool m_NewPersonalBest = false;
    bool m_NewHighScore = false;
    bool m_ReputationEarned = false;
    bool m_NewCar = false;
    bool m_NewStuntGear = false;
    bool m_NewVehicle = false;
    int32_t m_Reputation = 0;

    int32_t m_Phase = -1;
    int32_t m_PointCounter = 0;
    int32_t m_PointTotal = 0;
    int32_t m_ReputationCounter = 1;
    int32_t m_NextSlot = 0;
    int32_t m_BlinkSlot = -1;
    int32_t m_LastAwardSecond = 0;
    int32_t m_LastReputationSecond = 0;
    int32_t m_LastBlinkTenth = 0;
    // The second, modulo 4, at which the award ticks fall; shared by every summary.
    static int32_t ms_TickPhase;

    int32_t m_UpdateCount = 0;
    std::string m_SlotPictures[kSlots];
    std::string m_ReputationPicture;
    std::vector<std::string> m_SoundLog;
};
