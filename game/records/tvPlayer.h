#pragma once

#include "engine/scene/kaEntity.h"
#include "game/records/HighScore.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TiXmlElement;

// A driver profile: name, reputation and run counters, career level, the items bought in the stunt shop
// and the best score per course. Each profile is one XML file. An entity so that it can be made by
// class name.
class tvPlayer : public kaEntity
{
    KA_ENTITY_CLASS_RECORD()

public:
    static constexpr const char* kDefaultName = "Unnamed";
    static constexpr const char* kRootElement = "player";

    tvPlayer();
    ~tvPlayer() override;

    // False when the file cannot be read as XML or holds a number that is not one; a file without the
    // root still loads, reading nothing.
    virtual bool Load(const std::string& path);
    // Remembers the path; false when the file could not be written.
    virtual bool Save(const std::string& path);
    // The profile's own keys only: the file holds none of the entity's. Keys the element lacks leave
    // their fields unchanged.
    void ReadXml(const TiXmlElement* element) override;
    void WriteXml(TiXmlElement* element) const override;

    // 0 when the course has no record.
    int32_t GetHighScore(const std::string& course) const;
    // Replaces the course's record whatever it held; the caller decides whether the score is a best.
    void SetHighScore(const std::string& course, int32_t score);
    // True for an empty name and for a name in the unlocked list.
    bool IsUnlocked(const std::string& name) const;
    void Unlock(const std::string& name) { m_Unlocked.push_back(name); }

    const std::string& GetPlayerName() const { return m_PlayerName; }
    void SetPlayerName(const std::string& name) { m_PlayerName = name; }
    const std::string& GetFilePath() const { return m_FilePath; }
    const std::vector<std::string>& GetUnlocked() const { return m_Unlocked; }
    size_t GetHighScoreCount() const { return m_HighScores.size(); }

    int32_t GetTotalPointsEarned() const { return m_TotalPointsEarned; }
    void SetTotalPointsEarned(int32_t points) { m_TotalPointsEarned = points; }
    int32_t GetTotalRepPoints() const { return m_TotalRepPoints; }
    void SetTotalRepPoints(int32_t points) { m_TotalRepPoints = points; }
    int32_t GetUnspentRepPoints() const { return m_UnspentRepPoints; }
    void SetUnspentRepPoints(int32_t points) { m_UnspentRepPoints = points; }
    int32_t GetCourseRuns() const { return m_CourseRuns; }
    void SetCourseRuns(int32_t runs) { m_CourseRuns = runs; }
    int32_t GetNearDeaths() const { return m_NearDeaths; }
    void SetNearDeaths(int32_t count) { m_NearDeaths = count; }
    // Points of the run in progress; never saved.
    int32_t GetRunPoints() const { return m_RunPoints; }
    void SetRunPoints(int32_t points) { m_RunPoints = points; }
    int32_t GetCareerLevel() const { return m_CareerLevel; }
    void SetCareerLevel(int32_t level) { m_CareerLevel = level; }

private:
    struct CounterKey
    {
        const char* name;
        int32_t tvPlayer::*field;
    };
    // The counters in the order the file holds them.
    static const CounterKey s_Counters[];

    int32_t m_TotalPointsEarned = 0;
    int32_t m_TotalRepPoints = 0;
    int32_t m_UnspentRepPoints = 0;
    int32_t m_CourseRuns = 0;
    int32_t m_NearDeaths = 0;
    int32_t m_RunPoints = 0;
    int32_t m_CareerLevel = 0;
    std::string m_PlayerName = kDefaultName;
    std::string m_FilePath;
    std::vector<std::unique_ptr<HighScore>> m_HighScores;
    std::vector<std::string> m_Unlocked;
};
