#pragma once

#include "engine/render/kaVertexTypes.h"

#include <vector>

// One queued list of coloured debug lines in world space: every pair of vertices is a line.
struct kaDebugPrimitive
{
    std::vector<VERTEX_WORLDPOS_DIFFUSE> vertices;
    // The depth test is on while the entry is drawn.
    bool depthTest = false;
};
