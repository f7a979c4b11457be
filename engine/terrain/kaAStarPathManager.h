#pragma once

#include "engine/core/kaSingleton.h"
#include "engine/scene/kaEntity.h"

// The world's path grid. Every world makes one; writers reach the most recently made one through the
// singleton pointer. It answers class queries as a plain entity and draws nothing.
class kaAStarPathManager : public kaEntity, public kaSingleton<kaAStarPathManager>
{
public:
    kaAStarPathManager();
    ~kaAStarPathManager() override;
};
