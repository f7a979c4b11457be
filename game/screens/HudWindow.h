#pragma once

#include "engine/gui/guiWindow.h"

#include <cstdint>
#include <string>
#include <vector>

class kaWorldBase;

// The race HUD. Until its own screen exists it keeps what the course world, the vehicles and the power-ups
// tell it, so that they can run against it.
class HudWindow : public guiWindow
{
public:
    static constexpr int32_t kPowerUpKinds = 6;
    // Seconds a power-up icon or the song name stays up.
    static constexpr float kIconTime = 5.0f;
    static constexpr const char* kSummaryWindow = "Course Run Summary";

    explicit HudWindow(const std::string& layoutFile);

    void SetWorld(kaWorldBase* world) { m_World = world; }
    kaWorldBase* GetWorld() const { return m_World; }

    void ShowSongName(const std::string& name);
    void HideElements(bool hide);
    void SetCountImage(int32_t value);
    bool IsCountVisible() const { return m_CountVisible; }
    void HideCount();
    void SetTimeText(const std::string& text);
    void SetPointsText(const std::string& text);
    void SetTargetText(const std::string& text);
    void SetDamage(float damage);
    // Kinds outside 1..5 are ignored.
    void ShowPowerUpIcon(int32_t kind);
    void HidePowerUpIcon(int32_t kind);
    // Hides the song name and every icon up for more than kIconTime seconds of application time.
    void UpdateIconTimers();
    // Hides the HUD and shows the run summary window, which the course world then runs.
    void ShowCourseSummary();

    const std::string& GetSongName() const { return m_SongName; }
    bool IsSongNameVisible() const { return m_SongNameVisible; }
    bool AreElementsHidden() const { return m_ElementsHidden; }
    int32_t GetCountValue() const { return m_CountValue; }
    const std::string& GetTimeText() const { return m_TimeText; }
    const std::string& GetPointsText() const { return m_PointsText; }
    const std::string& GetTargetText() const { return m_TargetText; }
    float GetDamage() const { return m_Damage; }
    bool IsPowerUpIconVisible(int32_t kind) const;

    // Every operation called, in order, as "Name" or "Name value", so that callers can be checked for what
    // they told the HUD and how often.
    const std::vector<std::string>& GetCallLog() const { return m_CallLog; }
    void ClearCallLog() { m_CallLog.clear(); }
    // How many logged calls are exactly this entry.
    size_t CountCalls(const std::string& entry) const;

private:
    kaWorldBase* m_World = nullptr;
    std::string m_SongName;
    bool m_SongNameVisible = false;
    double m_SongNameShownAt = 0.0;
    bool m_ElementsHidden = false;
    int32_t m_CountValue = 0;
    bool m_CountVisible = false;
    std::string m_TimeText;
    std::string m_PointsText;
    std::string m_TargetText;
    float m_Damage = 0.0f;
    bool m_IconVisible[kPowerUpKinds] = {};
    double m_IconShownAt[kPowerUpKinds] = {};
    std::vector<std::string> m_CallLog;
};
