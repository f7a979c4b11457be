#pragma once

#include "engine/model/KM_CollisionObject.h"

// A collision plane: the common collision body, then its dimensions.
class KM_CollisionPlane : public KM_CollisionObject
{
public:
    static constexpr uint32_t kTypeId = 28;

    KM_CollisionPlane();
    KM_CollisionPlane(const KM_CollisionPlane& other) = default;
    bool Write(KM_Stream* stream) override;
    bool Read(KM_Stream* stream) override;
    uint32_t ComputeSize() override;

    float m_Length = 0.0f;
    float m_Width = 0.0f;
};
