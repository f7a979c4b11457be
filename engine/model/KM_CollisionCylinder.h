#pragma once

#include "engine/model/KM_CollisionObject.h"

// A collision cylinder: the common collision body, then its dimensions.
class KM_CollisionCylinder : public KM_CollisionObject
{
public:
    static constexpr uint32_t kTypeId = 27;

    KM_CollisionCylinder();
    KM_CollisionCylinder(const KM_CollisionCylinder& other) = default;
    bool Write(KM_Stream* stream) override;
    bool Read(KM_Stream* stream) override;
    uint32_t ComputeSize() override;

    float m_Radius = 0.0f;
    float m_Height = 0.0f;
};
