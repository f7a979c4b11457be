#pragma once

#include "engine/model/KM_CollisionObject.h"

// A collision box: the common collision body, then its dimensions.
class KM_CollisionBox : public KM_CollisionObject
{
public:
    static constexpr uint32_t kTypeId = 25;

    KM_CollisionBox();
    KM_CollisionBox(const KM_CollisionBox& other) = default;
    bool Write(KM_Stream* stream) override;
    bool Read(KM_Stream* stream) override;
    uint32_t ComputeSize() override;

    float m_Length = 0.0f;
    float m_Width = 0.0f;
    float m_Height = 0.0f;
};
