#pragma once

#include "engine/terrain/kaDraggableDecal.h"

// A road texture over a rectangle of cells, one texture repeat wide and turned along its longer side;
// marked 4 in the path grid.
class Road : public kaDraggableDecal
{
    KA_ENTITY_CLASS_RECORD()

public:
    static constexpr int32_t kPathType = 4;
    static constexpr const char* kTexturePath = "resources/worlds/decals/road.dds";
    static constexpr const char* kHandlePath = "resources/worlds/decals/handle.bmp";

    Road();
    ~Road() override;
};
