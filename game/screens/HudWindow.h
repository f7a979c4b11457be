#pragma once

#include "engine/core/kaStopwatch.h"
#include "engine/gui/guiWindow.h"

#include <cstdint>
#include <string>
#include <vector>

class guiImage;
class guiTextBox;
class tvWorld;

// The race HUD: a passive display over the 3D view that the course rules, the vehicle and the power-ups set.
// Of its own it only times the icons and the song name out, passes mouse and arrow keys to the world's
// camera, switches songs, opens the in-game menu on Escape and hands over to the run summary.
class HudWindow : public guiWindow
{
public:
    static constexpr int32_t kPowerUpKinds = 6;
    // Whole seconds an icon or the song name stays up before a timer update hides it.
    static constexpr int32_t kIconSeconds = 5;
    static constexpr int32_t kDamageBars = 16;
    static constexpr const char* kSummaryWindow = "Course Run Summary";
    static constexpr const char* kInGameMenu = "InGameMenu";
    static constexpr const char* kCareerWindow = "Career Window";
    static constexpr const char* kCountImage = "Count Image";
    static constexpr const char* kDamageImage = "Damage Image";
    static constexpr const char* kSongBox = "SongName";
    static constexpr const char* kTimeBox = "TimeValue TextBox";
    static constexpr const char* kPointsBox = "PointsValue TextBox";
    static constexpr const char* kTargetBox = "TargetValue TextBox";
    static constexpr float kZoomStep = 120.0f;

    explicit HudWindow(const std::string& layoutFile);

    // The world of the current course; null once that world is destroyed.
    void SetWorld(tvWorld* world) { m_World = world; }
    tvWorld* GetWorld() const { return m_World; }

    void ShowSongName(const std::string& name);
    void HideElements(bool hide);
    // 3, 2, 1, -1 (go) and -2 (press any key) show their picture; any other value hides the count.
    void SetCountImage(int32_t value);
    bool IsCountVisible() const;
    void HideCount();
    void SetTimeText(const std::string& text);
    void SetPointsText(const std::string& text);
    void SetTargetText(const std::string& text);
    void SetDamage(float damage);
    // Kinds 2 Turbo, 3 MegaTurbo, 4 Repair and 5 Jump have icons; others are ignored.
    void ShowPowerUpIcon(int32_t kind);
    void HidePowerUpIcon(int32_t kind);
    // Hides the song name and each icon whose stopwatch reports more than kIconSeconds.
    void UpdateIconTimers();
    // Hides the HUD and switches to the run summary, which the course world then runs.
    void ShowCourseSummary();
    // Shows or hides one of the HUD's widgets, or what a course puts in it, without showing a hidden HUD:
    // only the screens that switch to it show it, so nothing shown after a run ends (a turbo still
    // running, a song key, the arena's fade) brings it back over the summary or the career hub.
    void ShowWidget(guiGlyph* widget, bool shown);

    // The damage bar picture for a damage value: 0..16.
    static int32_t DamageBar(float damage);
    static std::string DamageBarPicture(int32_t bar);
    // The countdown picture for a count value; empty for values that hide the count.
    static std::string CountPicture(int32_t value);

    bool OnMouseMove(const guiMsgMouse& message) override;
    bool OnKey(const guiMsgKey& message) override;
    void OnShow() override;

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
    // Display slots timed by UpdateIconTimers, in the order it checks them.
    enum Slot
    {
        kSongSlot,
        kJumpSlot,
        kTurboSlot,
        kMegaTurboSlot,
        kRepairSlot,
        kSlotCount
    };
    static int32_t _SlotOf(int32_t kind);
    void _ShowSlot(int32_t slot, bool show);
    void _ChangeSong(int32_t step);
    void _Quit();

    tvWorld* m_World = nullptr;
    guiImage* m_TopBar = nullptr;
    guiTextBox* m_Time = nullptr;
    guiTextBox* m_Points = nullptr;
    guiImage* m_Count = nullptr;
    guiImage* m_PressAnyKey = nullptr;
    guiImage* m_DamageBar = nullptr;
    guiImage* m_TimeIcon = nullptr;
    guiImage* m_ScoreIcon = nullptr;
    guiImage* m_TargetIcon = nullptr;
    guiImage* m_DamageIcon = nullptr;
    guiTextBox* m_Target = nullptr;
    guiTextBox* m_Song = nullptr;
    guiImage* m_Icons[kSlotCount] = {};
    kaStopwatch m_Watches[kSlotCount];
    bool m_SlotVisible[kSlotCount] = {};

    std::string m_SongName;
    bool m_SongNameVisible = false;
    bool m_ElementsHidden = false;
    int32_t m_CountValue = 0;
    bool m_CountVisible = false;
    std::string m_TimeText;
    std::string m_PointsText;
    std::string m_TargetText;
    float m_Damage = 0.0f;
    std::vector<std::string> m_CallLog;
};
