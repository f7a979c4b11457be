#pragma once

#include <cstdint>
#include <string>

class guiGlyph;
class tvWorld;

// What the course world, its vehicle, the arena, the power-ups and the music tell the race HUD. The game's
// objects reach the HUD only through this, so that they do not depend on the screens; the HUD window
// implements it.
class RaceDisplay
{
public:
    virtual ~RaceDisplay() = default;

    // The world of the current course; null once that world is destroyed.
    virtual void SetWorld(tvWorld* world) = 0;
    virtual tvWorld* GetWorld() const = 0;

    virtual void ShowSongName(const std::string& name) = 0;
    // Hides (true) or shows the time, points, target and damage elements.
    virtual void HideElements(bool hide) = 0;
    // 3, 2, 1, -1 (go) and -2 (press any key) show their picture; any other value hides the count.
    virtual void SetCountImage(int32_t value) = 0;
    virtual bool IsCountVisible() const = 0;
    virtual void HideCount() = 0;
    virtual void SetTimeText(const std::string& text) = 0;
    virtual void SetPointsText(const std::string& text) = 0;
    virtual void SetTargetText(const std::string& text) = 0;
    virtual void SetDamage(float damage) = 0;
    // Kinds 2 Turbo, 3 MegaTurbo, 4 Repair and 5 Jump have icons; others are ignored.
    virtual void ShowPowerUpIcon(int32_t kind) = 0;
    virtual void HidePowerUpIcon(int32_t kind) = 0;
    // Hides the song name and each icon shown for longer than the display keeps them up.
    virtual void UpdateIconTimers() = 0;
    // Hides the HUD and switches to the run summary, which the course world then runs.
    virtual void ShowCourseSummary() = 0;
    // Shows or hides one of the HUD's widgets, or what a course puts in it (the arena's fade), without
    // showing a hidden HUD.
    virtual void ShowWidget(guiGlyph* widget, bool shown) = 0;
};
