#include "engine/terrain/kaTerrain.h"

#include <algorithm>
#include <cmath>
#include <limits>

using platform::Vector3;

namespace
{

// Slack on a cell's sides and on a triangle's diagonal, in cell units, so that a hit exactly on a shared
// edge belongs to some cell.
constexpr float kCellSlack = 1e-4f;
// Slack on the terrain's rectangle when a segment enters it from outside.
constexpr float kEntrySlack = 0.001f;

bool Finite(float a, float b, float c)
{
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c);
}

} // namespace

float kaTerrain::_RowStep() const
{
    return m_Length / float(m_Rows - 1);
}

kaPlane kaTerrain::_TrianglePlane(int32_t col, int32_t row, int triangle) const
{
    const auto at = [this](int32_t c, int32_t r)
    { return m_Positions[size_t(r) * size_t(m_Columns) + size_t(c)]; };
    const Vector3 p = at(col, row);
    const Vector3 pNext = at(col + 1, row);
    const Vector3 q = at(col, row + 1);
    const Vector3 qNext = at(col + 1, row + 1);
    kaPlane plane;
    if (triangle == 0)
        plane.FromPoints(p, pNext, q);
    else
        plane.FromPoints(pNext, q, qNext);
    // The two triangles wind differently: every answer faces up.
    if (plane.m_B < 0.0f)
        plane.Set(-plane.GetNormal(), -plane.m_D);
    return plane;
}

float kaTerrain::GetHeightAt(float x, float z) const
{
    return GetHeightAt(x, z, nullptr);
}

float kaTerrain::GetHeightAt(float x, float z, Vector3* normal) const
{
    if (m_Positions.empty() || m_Columns < 2 || m_Rows < 2)
        return 0.0f;
    // Written so that NaN lands outside too.
    if (!(x >= 0.0f && x < m_Width && z >= 0.0f && z < m_Length))
        return m_EdgeBaseHeight;
    const float rowStep = _RowStep();
    // x just below the width can round up to the last sample: clamp to the last cell.
    const int32_t col = std::clamp(int32_t(x / m_CellSize), 0, m_Columns - 2);
    const int32_t row = std::clamp(int32_t(z / rowStep), 0, m_Rows - 2);
    const Vector3& p = m_Positions[size_t(row) * size_t(m_Columns) + size_t(col)];
    const float dx = (x - p.x) / m_CellSize;
    const float dz = (z - p.z) / rowStep;
    const kaPlane plane = _TrianglePlane(col, row, 1.0f - dz > dx ? 0 : 1);
    if (normal)
        *normal = plane.GetNormal();
    return plane.GetHeight(x, z);
}

bool kaTerrain::IntersectRay(float startX, float startY, float startZ, float endX, float endY, float endZ,
                             Vector3& point, Vector3& normal)
{
    if (m_Positions.empty() || m_Columns < 2 || m_Rows < 2)
        return false;
    if (!Finite(startX, startY, startZ) || !Finite(endX, endY, endZ))
        return false;
    const Vector3 start(startX, startY, startZ);
    const Vector3 delta = Vector3(endX, endY, endZ) - start;
    const float extent = platform::Vec3Length(delta);
    if (!(extent > 0.0f) || !std::isfinite(extent))
        return false;

    // The segment as start + t delta, t from 0 to 1: where it first lies over the rectangle.
    float enter = 0.0f;
    if (!(startX >= 0.0f && startX < m_Width && startZ >= 0.0f && startZ < m_Length))
    {
        enter = std::numeric_limits<float>::infinity();
        const auto side =
            [&](float from, float step, float at, float acrossFrom, float acrossStep, float limit)
        {
            if (step == 0.0f)
                return;
            const float t = (at - from) / step;
            const float across = acrossFrom + acrossStep * t;
            if (t >= 0.0f && t <= 1.0f && t < enter && across >= -kEntrySlack &&
                across <= limit + kEntrySlack)
                enter = t;
        };
        side(startZ, delta.z, m_Length, startX, delta.x, m_Width);
        side(startX, delta.x, m_Width, startZ, delta.z, m_Length);
        side(startZ, delta.z, 0.0f, startX, delta.x, m_Width);
        side(startX, delta.x, 0.0f, startZ, delta.z, m_Length);
        if (!std::isfinite(enter))
            return false;
    }

    const float rowStep = _RowStep();
    const Vector3 entry = start + delta * enter;
    int32_t col = std::clamp(int32_t(std::floor(entry.x / m_CellSize)), 0, m_Columns - 2);
    int32_t row = std::clamp(int32_t(std::floor(entry.z / rowStep)), 0, m_Rows - 2);
    // The walls a segment leaves a cell by follow the signs of its direction; an axis it does not move
    // along is never crossed.
    const int32_t stepCol = delta.x > 0.0f ? 1 : (delta.x < 0.0f ? -1 : 0);
    const int32_t stepRow = delta.z > 0.0f ? 1 : (delta.z < 0.0f ? -1 : 0);
    const float infinity = std::numeric_limits<float>::infinity();

    float cellEnter = enter;
    const int32_t limit = m_Columns + m_Rows;
    for (int32_t visited = 0; visited < limit; ++visited)
    {
        const float wallX = float(col + (stepCol > 0 ? 1 : 0)) * m_CellSize;
        const float wallZ = float(row + (stepRow > 0 ? 1 : 0)) * rowStep;
        const float leaveX = stepCol != 0 ? (wallX - startX) / delta.x : infinity;
        const float leaveZ = stepRow != 0 ? (wallZ - startZ) / delta.z : infinity;
        const float cellLeave = std::min({leaveX, leaveZ, 1.0f});

        const auto at = [this](int32_t c, int32_t r)
        { return m_Positions[size_t(r) * size_t(m_Columns) + size_t(c)]; };
        const Vector3 low = at(col, row);
        const float highest =
            std::max({low.y, at(col + 1, row).y, at(col, row + 1).y, at(col + 1, row + 1).y});
        const float lowest = std::min(startY + delta.y * cellEnter, startY + delta.y * cellLeave);
        if (lowest <= highest)
        {
            float best = infinity;
            for (int triangle = 0; triangle < 2; ++triangle)
            {
                const kaPlane plane = _TrianglePlane(col, row, triangle);
                const float facing = platform::Vec3Dot(plane.GetNormal(), delta);
                if (facing == 0.0f)
                    continue;
                const float t = -plane.DistanceTo(start) / facing;
                if (!(t >= 0.0f && t <= 1.0f && t < best))
                    continue;
                const Vector3 hit = start + delta * t;
                const float u = (hit.x - low.x) / m_CellSize;
                const float w = (hit.z - low.z) / rowStep;
                const bool inCell =
                    u >= -kCellSlack && u <= 1.0f + kCellSlack && w >= -kCellSlack && w <= 1.0f + kCellSlack;
                const bool inHalf = triangle == 0 ? u + w <= 1.0f + kCellSlack : u + w >= 1.0f - kCellSlack;
                if (!inCell || !inHalf)
                    continue;
                best = t;
                point = hit;
                normal = plane.GetNormal();
            }
            if (best != infinity)
                return true;
        }

        if (cellLeave >= 1.0f)
            return false;
        if (leaveX <= leaveZ)
            col += stepCol;
        else
            row += stepRow;
        if (col < 0 || col > m_Columns - 2 || row < 0 || row > m_Rows - 2)
            return false;
        cellEnter = cellLeave;
    }
    return false;
}
