#pragma once

#include "platform/gfx/math/Vector3.h"

class kaPlane;

// A segment from start to end with its unit direction. A segment of no length has direction 0 and hits
// nothing.
//
// The projection made by ClosestPoint is kept in one process-wide record that GetProjectedPoint reads
// back: call the two in turn on the same segment, with no other segment's ClosestPoint in between.
class kaLineSegment
{
public:
    kaLineSegment(float startX, float startY, float startZ, float endX, float endY, float endZ);
    virtual ~kaLineSegment() = default;

    // The point of the segment closest to p, written to out; records the projection.
    platform::Vector3& ClosestPoint(platform::Vector3& out, const platform::Vector3& p) const;
    // The recorded unit direction always goes to direction; true with the projected point in out when the
    // recorded projection falls strictly inside the segment, else out is left alone.
    bool GetProjectedPoint(platform::Vector3& out, platform::Vector3& direction) const;
    // Where the segment crosses the plane. One side only: from the plane's front (or on it) to its back
    // (or on it). Both sides: the ends strictly on opposite sides.
    bool IntersectPlane(const kaPlane& plane, platform::Vector3& out, bool bothSides) const;

    bool IsEmpty() const { return m_Start == m_End; }

    platform::Vector3 m_Direction;
    platform::Vector3 m_Start;
    platform::Vector3 m_End;
};
