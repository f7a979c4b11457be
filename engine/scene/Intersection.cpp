#include "engine/scene/Intersection.h"

#include "engine/model/kaMesh.h"
#include "engine/model/kaMeshSubset.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/scene/kaCollideInfo.h"
#include "engine/scene/kaLineSegment.h"
#include "engine/scene/kaPlane.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using platform::Vector3;

namespace
{

// Two pi less about a tenth of a per cent, for the rounding of the angle sum.
constexpr float kFullTurn = 6.276900816f;
constexpr float kFarAway = 1e11f;

// Each face as four corners in turn, wound so that the plane through the first three faces out of the box.
constexpr int kBoxFaces[6][4] = {
    {0, 1, 3, 2}, // min z
    {1, 5, 7, 3}, // max y
    {4, 6, 7, 5}, // max z
    {0, 2, 6, 4}, // min y
    {2, 3, 7, 6}, // max x
    {0, 4, 5, 1}, // min x
};

Vector3 ReadPosition(const uint8_t* vertex)
{
    float xyz[3];
    std::memcpy(xyz, vertex, sizeof(xyz));
    return Vector3(xyz[0], xyz[1], xyz[2]);
}

// Tests the triangles of one subset, keeping the nearest crossing in best and info.
bool IntersectSubset(const kaMeshSubset& subset, const kaLineSegment& segment, float& best,
                     kaCollideInfo* info)
{
    const kaResourceHandle vertexHandle =
        subset.m_SysVertexBuffer ? subset.m_SysVertexBuffer : subset.m_VertexBuffer;
    const kaResourceHandle indexHandle =
        subset.m_SysIndexBuffer ? subset.m_SysIndexBuffer : subset.m_IndexBuffer;
    const uint32_t stride = g_pGraphicsManager->GetVertexStride(vertexHandle);
    if (stride < 3 * sizeof(float) || g_pGraphicsManager->GetVertexBuffer(vertexHandle) == nullptr ||
        g_pGraphicsManager->GetIndexBuffer(indexHandle) == nullptr)
        return false;
    const auto* vertices = static_cast<const uint8_t*>(g_pGraphicsManager->LockVertexBuffer(vertexHandle));
    const auto* indices = static_cast<const uint16_t*>(g_pGraphicsManager->LockIndexBuffer(indexHandle));

    bool found = false;
    if (vertices != nullptr && indices != nullptr)
    {
        const uint32_t vertexEnd = subset.m_FirstVertex + subset.m_VertexCount;
        const uint32_t count = subset.m_IndexCount;
        const bool strip = subset.m_Strip;
        const uint32_t triangles = strip ? (count >= 3 ? count - 2 : 0) : count / 3;
        for (uint32_t t = 0; t < triangles; ++t)
        {
            uint32_t corner[3] = {strip ? t : 3 * t, (strip ? t : 3 * t) + 1, (strip ? t : 3 * t) + 2};
            // Every other triangle of a strip runs the other way round; turn it back so that its normal
            // faces the same side as its neighbours'.
            if (strip && (t & 1) != 0)
                std::swap(corner[0], corner[1]);
            Vector3 p[3];
            bool valid = true;
            for (int k = 0; k < 3 && valid; ++k)
            {
                const uint16_t index = indices[corner[k]];
                valid = index < vertexEnd;
                if (valid)
                    p[k] = ReadPosition(vertices + static_cast<size_t>(index) * stride);
            }
            if (!valid)
                continue;

            kaPlane plane;
            plane.FromPoints(p[0], p[1], p[2]);
            Vector3 crossing;
            if (!segment.IntersectPlane(plane, crossing, true) || !PointInPolygon(crossing, p, 3))
                continue;
            const float s = platform::Vec3LengthSq(crossing - segment.m_Start);
            if (!(best > s))
                continue;
            best = s;
            found = true;
            if (info != nullptr)
            {
                info->m_Point = crossing;
                info->m_Normal = plane.GetNormal();
            }
        }
    }
    if (indices != nullptr)
        g_pGraphicsManager->UnlockIndexBuffer(indexHandle);
    if (vertices != nullptr)
        g_pGraphicsManager->UnlockVertexBuffer(vertexHandle);
    return found;
}

} // namespace

bool PointInBox(const Vector3& point, const Vector3& min, const Vector3& max)
{
    return point.x >= min.x && point.x <= max.x && point.y >= min.y && point.y <= max.y && point.z >= min.z &&
           point.z <= max.z;
}

bool BoxesOverlapXZ(const float (&boxA)[6], const float (&boxB)[6])
{
    return boxA[0] <= boxB[3] && boxB[0] <= boxA[3] && boxA[2] <= boxB[5] && boxB[2] <= boxA[5];
}

void GetBoxCorners(const Vector3& min, const Vector3& max, Vector3 (&corners)[8])
{
    for (int i = 0; i < 8; ++i)
        corners[i] = Vector3((i & 2) ? max.x : min.x, (i & 1) ? max.y : min.y, (i & 4) ? max.z : min.z);
}

bool SegmentIntersectsBox(const Vector3& min, const Vector3& max, const kaLineSegment& segment,
                          kaCollideInfo* info)
{
    Vector3 corners[8];
    GetBoxCorners(min, max, corners);
    return SegmentIntersectsBoxCorners(corners, segment, info);
}

bool SegmentIntersectsBoxCorners(const Vector3 (&corners)[8], const kaLineSegment& segment,
                                 kaCollideInfo* info)
{
    for (const auto& face : kBoxFaces)
    {
        const Vector3 quad[4] = {corners[face[0]], corners[face[1]], corners[face[2]], corners[face[3]]};
        kaPlane plane;
        plane.FromPoints(quad[0], quad[1], quad[2]);
        Vector3 crossing;
        // Entering from outside crosses exactly one face from its front.
        if (!segment.IntersectPlane(plane, crossing, false) || !PointInPolygon(crossing, quad, 4))
            continue;
        if (info != nullptr)
        {
            info->m_Point = crossing;
            info->m_Normal = plane.GetNormal();
        }
        return true;
    }
    return false;
}

bool SegmentIntersectsSphere(const Vector3& centre, float radius, const kaLineSegment& segment,
                             kaCollideInfo* info)
{
    if (segment.IsEmpty())
        return false;
    Vector3 closest;
    segment.ClosestPoint(closest, centre);
    float s = platform::Vec3LengthSq(closest - centre);
    const float radiusSq = radius * radius;
    if (radiusSq < s)
        return false;
    if (info == nullptr)
        return true;

    // The entry lies on the line's foot of the perpendicular, stepped back towards the start. Taken from the
    // clamped closest point instead, a segment ending inside the sphere would report a point off its surface.
    Vector3 direction;
    if (!segment.GetProjectedPoint(closest, direction))
        closest = segment.m_Start + direction * platform::Vec3Dot(centre - segment.m_Start, direction);
    s = platform::Vec3LengthSq(closest - centre);
    const float h = std::sqrt(std::max(radiusSq - s, 0.0f));
    info->m_Point = closest - direction * h;
    const Vector3 outward = info->m_Point - centre;
    platform::Vec3Normalize(&info->m_Normal, &outward);
    return true;
}

bool SegmentIntersectsMesh(const kaMesh& mesh, const kaLineSegment& segment, kaCollideInfo* info)
{
    if (g_pGraphicsManager == nullptr || segment.IsEmpty())
        return false;
    float best = kFarAway;
    bool found = false;
    for (uint32_t i = 0; i < mesh.GetSubsetCount(); ++i)
        if (const kaMeshSubset* subset = mesh.GetSubset(i))
            found = IntersectSubset(*subset, segment, best, info) || found;
    return found;
}

bool PointInPolygon(const Vector3& point, const Vector3* vertices, int count)
{
    if (count < 1 || vertices == nullptr)
        return false;
    float sum = 0.0f;
    for (int i = 0; i < count; ++i)
    {
        Vector3 a = vertices[i] - point;
        Vector3 b = vertices[(i + 1) % count] - point;
        platform::Vec3Normalize(&a, &a);
        platform::Vec3Normalize(&b, &b);
        const float c = platform::Vec3Dot(a, b);
        if (c < 1.0f)
            sum += std::acos(std::max(c, -1.0f));
    }
    return sum >= kFullTurn;
}
