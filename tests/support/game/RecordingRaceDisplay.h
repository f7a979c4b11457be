#pragma once

#include "engine/gui/guiWindow.h"
#include "game/world/RaceDisplay.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gametest
{

// A race display that notes every command it is given, in order, as "Name" or "Name value" ("SetDamage
// 30", "SetTimeText 1:03"), then passes it on to the display it wraps, when any. It is a window, so that a
// world starting a round finds it by the HUD's name like the real one; wrapping the real HUD keeps what the
// HUD shows checkable beside what it was told.
class RecordingRaceDisplay : public guiWindow, public RaceDisplay
{
public:
    explicit RecordingRaceDisplay(RaceDisplay* wrapped = nullptr);

    void SetWorld(tvWorld* world) override;
    tvWorld* GetWorld() const override;
    void ShowSongName(const std::string& name) override;
    void HideElements(bool hide) override;
    void SetCountImage(int32_t value) override;
    // The wrapped display's answer; without one, whether a count was set since the last HideCount.
    bool IsCountVisible() const override;
    void HideCount() override;
    void SetTimeText(const std::string& text) override;
    void SetPointsText(const std::string& text) override;
    void SetTargetText(const std::string& text) override;
    void SetDamage(float damage) override;
    void ShowPowerUpIcon(int32_t kind) override;
    void HidePowerUpIcon(int32_t kind) override;
    void UpdateIconTimers() override;
    void ShowCourseSummary() override;
    // Without a wrapped display the widget's own flag is set.
    void ShowWidget(guiGlyph* widget, bool shown) override;

    const std::vector<std::string>& GetCallLog() const { return m_Calls; }
    void ClearCallLog() { m_Calls.clear(); }
    // How many noted commands are exactly this entry.
    size_t CountCalls(const std::string& entry) const;

private:
    void _Note(const std::string& entry) { m_Calls.push_back(entry); }
    void _Note(const char* name, float value);

    RaceDisplay* m_Wrapped;
    tvWorld* m_World = nullptr;
    bool m_CountVisible = false;
    std::vector<std::string> m_Calls;
};

} // namespace gametest
