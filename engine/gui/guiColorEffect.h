#pragma once

#include "engine/core/kaColor.h"
#include "engine/gui/guiWidgetEffect.h"

class guiImage;

// Blends an image's colour from one colour to another over an interval.
class guiColorEffect : public guiWidgetEffect
{
public:
    explicit guiColorEffect(guiImage* target);

    void SetColorFade(const kaColor& from, const kaColor& to, float start, float duration);
    void Update(float dt) override;
    bool IsFinished() const override;

private:
    guiImage* m_Image;
    kaColor m_From;
    kaColor m_To;
    float m_Start = 0.0f;
    float m_Duration = 0.0f;
};
