#pragma once

#include "engine/model/KM_CollisionObject.h"

// A collision sphere: the common collision body, then its dimensions.
class KM_CollisionSphere : public KM_CollisionObject
{
public:
    static constexpr uint32_t kTypeId = 26;

    KM_CollisionSphere();
    KM_CollisionSphere(const KM_CollisionSphere& other) = default;
    bool Write(KM_Stream* stream) override;
    bool Read(KM_Stream* stream) override;
    uint32_t ComputeSize() override;

    float m_Radius = 0.0f;
};
