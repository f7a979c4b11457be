#pragma once

#include "engine/model/kaBillboard.h"

// A billboard drawn with the view's translation removed: its position is a direction and distance from
// the camera, wherever the camera stands (the sun's disc and its flare).
class kaRotationOnlyBillboard : public kaBillboard
{
public:
    void Render(uint32_t flag) override;
};
