#pragma once

#include "platform/gfx/math/Vector3.h"

// One camera-facing quad of an emitter's pool. Copied member by member when the pool is compacted.
class kaParticle
{
public:
    kaParticle() = default;
    kaParticle(const kaParticle&) = default;
    kaParticle& operator=(const kaParticle&) = default;
    virtual ~kaParticle() = default;

    platform::Vector3 m_Position{0.0f, 0.0f, 0.0f};
    // Units per second.
    platform::Vector3 m_Velocity{0.0f, 0.0f, 0.0f};
    // Half the quad's width along the camera's right and half its height along its up.
    float m_ScaleX = 1.0f;
    float m_ScaleY = 1.0f;
    float m_Color[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    // Seconds left.
    float m_Life = 0.0f;
};
