#pragma once

#include "engine/gui/guiWidgetEffect.h"

#include <cstdint>

class guiWindow;

// Hides a window with a result, or shows and activates it, once a time has passed.
class guiWindowEffect : public guiWidgetEffect
{
public:
    explicit guiWindowEffect(guiWindow* target);

    void SetDelayedHide(int32_t result, float time);
    void SetDelayedShow(float time);
    void Update(float dt) override;
    // A time never set counts as 0.
    bool IsFinished() const override;

private:
    guiWindow* m_Window;
    float m_HideTime = 0.0f;
    int32_t m_HideResult = 0;
    float m_ShowTime = 0.0f;
};
