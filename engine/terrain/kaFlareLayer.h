#pragma once

#include "engine/scene/kaBlockKeys.h"
#include "engine/terrain/kaRotationOnlyBillboard.h"

#include <string>

// One picture of the sun's lens flare, placed along the line from the screen centre through the sun.
class kaFlareLayer : public kaRotationOnlyBillboard
{
public:
    // A divisor of the sun's distance from the screen centre: 1 on the sun, 2 halfway to the centre,
    // negative beyond the centre. A layer of length 0 is not drawn.
    float m_Length = 0.0f;
    // The scale the layer was given; its billboard is a third of it.
    float m_LayerScale = 0.0f;
    std::string m_Texture;
    // The layer's keys kept as the file gave them where they were no number.
    kaBlockKeys m_Kept;
};
