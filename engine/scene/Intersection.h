#pragma once

#include "platform/gfx/math/Vector3.h"

class kaCollideInfo;
class kaLineSegment;
class kaMesh;

// Tests shared by picking, the quad tree and the terrain. They allocate nothing; a segment test given an
// info record writes the hit point and the surface normal there, and given none only answers. Boxes are
// axis-aligned; a box given as corners has them in GetBoxCorners order.

// min <= point <= max on every axis.
bool PointInBox(const platform::Vector3& point, const platform::Vector3& min, const platform::Vector3& max);
// Each box as min x, y, z then max x, y, z; overlap on x and on z, touching included.
bool BoxesOverlapXZ(const float (&boxA)[6], const float (&boxB)[6]);
// Corner i takes max y for bit 0 of i, max x for bit 1, max z for bit 2.
void GetBoxCorners(const platform::Vector3& min, const platform::Vector3& max,
                   platform::Vector3 (&corners)[8]);

// A segment entering the box from outside; one starting inside it hits nothing.
bool SegmentIntersectsBox(const platform::Vector3& min, const platform::Vector3& max,
                          const kaLineSegment& segment, kaCollideInfo* info);
bool SegmentIntersectsBoxCorners(const platform::Vector3 (&corners)[8], const kaLineSegment& segment,
                                 kaCollideInfo* info);
// The point is where the segment's line enters the sphere, the normal points out of it.
bool SegmentIntersectsSphere(const platform::Vector3& centre, float radius, const kaLineSegment& segment,
                             kaCollideInfo* info);
// The crossed triangle nearest the start, from either side, in the mesh's own space.
bool SegmentIntersectsMesh(const kaMesh& mesh, const kaLineSegment& segment, kaCollideInfo* info);
// By the sum of the angles the polygon's edges make at the point.
bool PointInPolygon(const platform::Vector3& point, const platform::Vector3* vertices, int count);
