#pragma once

#include "engine/core/kaSingleton.h"

#include <cstdint>

class kaCamera;

// The frame-end queue the render pass opens before the renderables and flushes after them. Nothing queues
// batches yet, so the flush does the frame-end work: the streaming buffers start afresh next frame and the
// camera's own projection goes back on the device. One static instance lives for the whole program.
class kaDrawQueue : public kaSingleton<kaDrawQueue>
{
public:
    static constexpr float kBiasDelta = -5.0f;
    static constexpr float kBiasDepth = 20.0f;
    static constexpr int kCounterCount = 4;

    kaDrawQueue();
    ~kaDrawQueue();

    void Begin();
    // Does nothing without a current world that has a camera.
    void Flush();

    uint32_t GetBatchCount(int which) const
    {
        return which >= 0 && which < kCounterCount ? m_Counts[which] : 0;
    }

    // The camera of the application's current world, or null.
    static kaCamera* FindCurrentCamera();

private:
    void _ClearCounters();

    uint32_t m_Counts[kCounterCount] = {};
};
