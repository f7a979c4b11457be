#pragma once

#include "platform/gfx/math/Vector3.h"

#include <memory>

// Axis-aligned box with its eight corners, a centre and a bounding-sphere radius. Boxes can be
// chained: a box owns the next one and destroys the chain with itself.
class kaBoundingBox
{
public:
    using Vector = platform::Vector3;

    static constexpr int kCornerCount = 8;

    kaBoundingBox() = default;
    ~kaBoundingBox();
    kaBoundingBox(const kaBoundingBox&) = delete;
    kaBoundingBox& operator=(const kaBoundingBox&) = delete;

    // Corner i takes max.y when bit 0 of i is set, max.x for bit 1, max.z for bit 2.
    void ComputeCorners();
    // The footprint on the ground plane.
    void GetRectXZ(float& minX, float& minZ, float& maxX, float& maxZ) const;

    Vector m_Min;
    Vector m_Max;
    Vector m_Corners[kCornerCount];
    Vector m_Centre;
    float m_Radius = 0.0f;
    std::unique_ptr<kaBoundingBox> m_Next;
};
