#pragma once

#include "platform/gfx/math/Quaternion.h"
#include "platform/gfx/math/Vector3.h"

#include <cstdint>
#include <string>

// A collision volume that a model file gives a mesh; the physics entities build their bodies from it.
class kaCollisionPrimitive
{
public:
    static constexpr uint32_t kBox = 1;
    static constexpr uint32_t kSphere = 2;
    static constexpr uint32_t kCappedCylinder = 3;
    static constexpr uint32_t kTriangleMesh = 5;
    static constexpr uint32_t kVertexBox = 6;

    explicit kaCollisionPrimitive(uint32_t type) : m_Type(type), m_Rotation(0.0f, 0.0f, 0.0f, 0.0f) {}
    virtual ~kaCollisionPrimitive();
    kaCollisionPrimitive(const kaCollisionPrimitive&) = delete;
    kaCollisionPrimitive& operator=(const kaCollisionPrimitive&) = delete;

    uint32_t m_Type;
    platform::Vector3 m_Position;
    platform::Quaternion m_Rotation;
    uint32_t m_Word = 0;
    std::string m_Name;
    bool m_Trigger = false;
};
