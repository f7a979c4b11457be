#pragma once

#include "platform/gfx/math/Matrix.h"

#include <cstdint>

class kaIndexBuffer;
class kaRenderState;
class kaVertexBuffer;

// A transparent subset waiting for the end of the frame, with everything resolved at queue time.
struct kaQueuedMeshDraw
{
    platform::Matrix world;
    kaVertexBuffer* vertexBuffer = nullptr;
    kaIndexBuffer* indexBuffer = nullptr;
    uint32_t triangleCount = 0;
    uint32_t vertexCount = 0;
    uint32_t minIndex = 0;
    uint32_t indexStart = 0;
    uint32_t vertexStart = 0;
    kaRenderState* renderState = nullptr;
    // The animation frame at queue time, shown again by the last run drawn.
    int32_t frame = 0;
    bool strip = false;
    int32_t drawOrder = 0;
};
