#pragma once

#include "engine/gui/guiWindow.h"

#include <cstdint>
#include <string>

// The run summary. Until its own screen exists it keeps the run's results that the course world fills in
// and counts the frames it is updated.
class CourseSummary : public guiWindow
{
public:
    explicit CourseSummary(const std::string& layoutFile);

    // With a course running and a driver signed in: records the run's points as the driver's best on the
    // course and as the course's high score where they beat them.
    void OnShow() override;

    // The summary's per-frame step while the run phase shows it.
    void Update() { ++m_UpdateCount; }

    void SetWrecked(bool wrecked) { m_Wrecked = wrecked; }
    void SetPassed(bool passed) { m_Passed = passed; }
    void SetLevelUp(bool levelUp) { m_LevelUp = levelUp; }
    void SetReputation(int32_t points) { m_Reputation = points; }
    bool IsNewPersonalBest() const { return m_NewPersonalBest; }
    bool IsNewHighScore() const { return m_NewHighScore; }
    bool IsWrecked() const { return m_Wrecked; }
    bool IsPassed() const { return m_Passed; }
    bool IsLevelUp() const { return m_LevelUp; }
    int32_t GetReputation() const { return m_Reputation; }
    int32_t GetUpdateCount() const { return m_UpdateCount; }

private:
    bool m_Wrecked = false;
    bool m_Passed = false;
    bool m_LevelUp = false;
    int32_t m_Reputation = 0;
    int32_t m_UpdateCount = 0;
    bool m_NewPersonalBest = false;
    bool m_NewHighScore = false;
};
