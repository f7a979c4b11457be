#pragma once

#include "editor/WindowNames.h"
#include "engine/core/kaStopwatch.h"
#include "engine/gui/guiWindow.h"
#include "game/world/RaceDisplay.h"

#include <cstdint>
#include <string>

class guiImage;
class guiTextBox;
class tvWorld;

// The race HUD: a passive display over the 3D view that the course rules, the vehicle and the power-ups set.
// Of its own it only times the icons and the song name out, passes mouse and arrow keys to the world's
// camera, switches songs, opens the in-game menu on Escape and hands over to the run summary.
class HudWindow : public guiWindow, public RaceDisplay
{
public:
    static constexpr const char* kWindowName = windowNames::kHud;
    static constexpr int32_t kPowerUpKinds = 6;
    // Whole seconds an icon or the song name stays up before a timer update hides it.
    static constexpr int32_t kIconSeconds = 5;
    static constexpr int32_t kDamageBars = 16;
    static constexpr const char* kSummaryWindow = windowNames::kCourseSummary;
    static constexpr const char* kInGameMenu = windowNames::kInGameMenu;
    static constexpr const char* kCareerWindow = windowNames::kCareer;
    static constexpr const char* kCountImage = "Count Image";
    static constexpr const char* kDamageImage = "Damage Image";
    static constexpr const char* kSongBox = "SongName";
    static constexpr const char* kTimeBox = "TimeValue TextBox";
    static constexpr const char* kPointsBox = "PointsValue TextBox";
    static constexpr const char* kTargetBox = "TargetValue TextBox";
    static constexpr float kZoomStep = 120.0f;

    explicit HudWindow(const std::string& layoutFile);

    void SetWorld(tvWorld* world) override { m_World = world; }
    tvWorld* GetWorld() const override { return m_World; }

    void ShowSongName(const std::string& name) override;
    void HideElements(bool hide) override;
    void SetCountImage(int32_t value) override;
    bool IsCountVisible() const override;
    void HideCount() override;
    void SetTimeText(const std::string& text) override;
    void SetPointsText(const std::string& text) override;
    void SetTargetText(const std::string& text) override;
    void SetDamage(float damage) override;
    void ShowPowerUpIcon(int32_t kind) override;
    void HidePowerUpIcon(int32_t kind) override;
    // Hides the song name and each icon whose stopwatch reports more than kIconSeconds.
    void UpdateIconTimers() override;
    void ShowCourseSummary() override;
    // Only the screens that switch to the HUD show it, so nothing shown after a run ends (a turbo still
    // running, a song key, the arena's fade) brings it back over the summary or the career hub.
    void ShowWidget(guiGlyph* widget, bool shown) override;

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
};
