#pragma once

#include "platform/gfx/math/Matrix.h"

// While it lives, the device's view transform has its translation removed, so that what is drawn stays
// at a fixed direction from the camera however the camera moves; the saved view comes back afterwards.
class kaRotationOnlyView
{
public:
    kaRotationOnlyView();
    ~kaRotationOnlyView();
    kaRotationOnlyView(const kaRotationOnlyView&) = delete;
    kaRotationOnlyView& operator=(const kaRotationOnlyView&) = delete;

    // The view with its translation zeroed.
    static platform::Matrix WithoutTranslation(const platform::Matrix& view);

private:
    platform::Matrix m_Saved;
    bool m_Active = false;
};
