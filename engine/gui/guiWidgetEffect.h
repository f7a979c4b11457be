#pragma once

#include "engine/gui/guiEffect.h"

// Shows or hides its target once a time has passed.
class guiWidgetEffect : public guiEffect
{
public:
    explicit guiWidgetEffect(guiGlyph* target) : guiEffect(target) {}

    void SetDelayedVisibility(bool visible, float time);
    void Update(float dt) override;
    // Finished at once when no visibility was asked for.
    bool IsFinished() const override;

private:
    bool m_Visible = false;
    float m_VisibilityTime = 0.0f;
};
