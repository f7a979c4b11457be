#pragma once

#include "engine/render/kaResourceHandle.h"

#include <cstdint>

class kaRenderState;

// What the renderer needs to draw one run of indexed triangles: a mesh subset hands one of these to the
// draw queues. The block is not owned; it must outlive the frame it is queued in.
struct kaDrawRecord
{
    kaRenderState* renderState = nullptr;
    kaResourceHandle vertexBuffer = 0;
    kaResourceHandle indexBuffer = 0;
    // The lowest vertex index the indices use, and how many vertices from it they reach.
    uint32_t minIndex = 0;
    uint32_t vertexCount = 0;
    // Triangles: of a list, or of a strip when the mesh says its indices form one.
    uint32_t primitiveCount = 0;
};
