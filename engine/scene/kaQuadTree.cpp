#include "engine/scene/kaQuadTree.h"

#include "engine/core/kaClock.h"
#include "engine/model/kaBoundingBox.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/scene/Intersection.h"
#include "engine/scene/kaEntity.h"
#include "engine/scene/kaLineSegment.h"

#include "platform/system/DebugOutput.h"

#include <algorithm>
#include <cmath>

using platform::Vector3;

namespace
{

// GetTime: the absolute clock.
constexpr int kAbsoluteTime = 4;
constexpr float kQueriedColor[4] = {1.0f, 0.0f, 0.0f, 1.0f};
constexpr float kEntityBoxColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};

bool RectInside(const kaQuadTree::Node& node, float minX, float minZ, float maxX, float maxZ)
{
    return minX >= node.m_MinX && maxX <= node.m_MaxX && minZ >= node.m_MinZ && maxZ <= node.m_MaxZ;
}

} // namespace

kaQuadTree::kaQuadTree() : m_Nodes(1) {}

kaQuadTree::~kaQuadTree() = default;

// ---------------------------------------------------------------------------------------------------------
// Building

void kaQuadTree::Initialize(float width, float length, float minLeafSize)
{
    // An infinite extent would split for ever (half of infinity is no smaller).
    if (!(width > 0.0f) || !(length > 0.0f) || !std::isfinite(width) || !std::isfinite(length))
        return;
    const double started = GetTime(kAbsoluteTime);

    // The entities keep the indices of the old nodes: gather them to file them again.
    std::vector<kaEntity*> filed;
    for (Node& node : m_Nodes)
        for (kaEntity* entity : node.m_Entities)
        {
            entity->SetQuadTreeNode(-1);
            filed.push_back(entity);
        }

    const int32_t count = _CountNodes(width, length, minLeafSize);
    m_Nodes.clear();
    m_Nodes.shrink_to_fit();
    m_Nodes.reserve(static_cast<size_t>(count));
    platform::DebugPrintf("[kaQuadTree::Initialize] Quadtree nodes are using %u bytes\n",
                          static_cast<uint32_t>(count) * kNodeRecordBytes);

    Node root;
    root.m_MaxX = width;
    root.m_MaxZ = length;
    m_Nodes.push_back(root);
    // A root alone is its own leaf.
    m_LeafWidth = width;
    m_LeafLength = length;
    _Build(0, width, length, minLeafSize);
    m_LeavesAcrossX = static_cast<int32_t>(width / m_LeafWidth);
    m_LeavesAcrossZ = static_cast<int32_t>(length / m_LeafLength);

    for (kaEntity* entity : filed)
        Insert(entity);
    platform::DebugPrintf("Quadtree inited in: %f\n", GetTime(kAbsoluteTime) - started);
}

namespace
{

// Splitting stops when a half would fall below the leaf size; a leaf size of 0 or less, or none at all,
// would split for ever and leaves the root alone instead.
bool Splits(float width, float length, float minLeafSize)
{
    return minLeafSize > 0.0f && width * 0.5f >= minLeafSize && length * 0.5f >= minLeafSize;
}

} // namespace

int32_t kaQuadTree::_CountNodes(float width, float length, float minLeafSize) const
{
    if (!Splits(width, length, minLeafSize))
        return 1;
    return 1 + 4 * _CountNodes(width * 0.5f, length * 0.5f, minLeafSize);
}

void kaQuadTree::_Build(int32_t index, float width, float length, float minLeafSize)
{
    if (!Splits(width, length, minLeafSize))
        return;
    const float halfWidth = width * 0.5f;
    const float halfLength = length * 0.5f;
    m_LeafWidth = halfWidth;
    m_LeafLength = halfLength;
    const int32_t first = static_cast<int32_t>(m_Nodes.size());
    for (int32_t k = 0; k < 4; ++k)
    {
        const Node& parent = m_Nodes[static_cast<size_t>(index)];
        Node child;
        child.m_MinX = (k & 1) ? parent.m_MinX + halfWidth : parent.m_MinX;
        child.m_MinZ = (k & 2) ? parent.m_MinZ + halfLength : parent.m_MinZ;
        child.m_MaxX = (k & 1) ? parent.m_MaxX : parent.m_MinX + halfWidth;
        child.m_MaxZ = (k & 2) ? parent.m_MaxZ : parent.m_MinZ + halfLength;
        child.m_Parent = index;
        m_Nodes.push_back(child);
        m_Nodes[static_cast<size_t>(index)].m_Children[k] = first + k;
    }
    for (int32_t k = 0; k < 4; ++k)
        _Build(first + k, halfWidth, halfLength, minLeafSize);
}

// ---------------------------------------------------------------------------------------------------------
// Filing

bool kaQuadTree::_IsFiled(const kaEntity* entity) const
{
    const int32_t node = entity->GetQuadTreeNode();
    return node >= 0 && node < GetNodeCount();
}

int32_t kaQuadTree::_FindNode(kaEntity* entity)
{
    const kaBoundingBox* box = entity->GetBoundingBox();
    if (box == nullptr)
        return 0;
    m_MinY = std::min(m_MinY, box->m_Min.y);
    m_MaxY = std::max(m_MaxY, box->m_Max.y);
    float minX = 0.0f, minZ = 0.0f, maxX = 0.0f, maxZ = 0.0f;
    box->GetRectXZ(minX, minZ, maxX, maxZ);

    int32_t index = 0;
    for (bool descended = true; descended;)
    {
        descended = false;
        for (const int32_t child : m_Nodes[static_cast<size_t>(index)].m_Children)
            if (child >= 0 && RectInside(m_Nodes[static_cast<size_t>(child)], minX, minZ, maxX, maxZ))
            {
                index = child;
                descended = true;
                break;
            }
    }
    return index;
}

void kaQuadTree::Insert(kaEntity* entity)
{
    if (entity == nullptr)
        return;
    if (_IsFiled(entity))
    {
        Move(entity);
        return;
    }
    const int32_t index = _FindNode(entity);
    m_Nodes[static_cast<size_t>(index)].m_Entities.push_back(entity);
    entity->SetQuadTreeNode(index);
}

void kaQuadTree::Move(kaEntity* entity)
{
    if (entity == nullptr || !_IsFiled(entity))
        return;
    const int32_t from = entity->GetQuadTreeNode();
    const int32_t to = _FindNode(entity);
    if (to == from)
        return;
    std::vector<kaEntity*>& list = m_Nodes[static_cast<size_t>(from)].m_Entities;
    list.erase(std::remove(list.begin(), list.end(), entity), list.end());
    m_Nodes[static_cast<size_t>(to)].m_Entities.push_back(entity);
    entity->SetQuadTreeNode(to);
}

void kaQuadTree::Remove(kaEntity* entity)
{
    if (entity == nullptr || !_IsFiled(entity))
        return;
    std::vector<kaEntity*>& list = m_Nodes[static_cast<size_t>(entity->GetQuadTreeNode())].m_Entities;
    list.erase(std::remove(list.begin(), list.end(), entity), list.end());
    entity->SetQuadTreeNode(-1);
}

// ---------------------------------------------------------------------------------------------------------
// Frustum walk

void kaQuadTree::_NodeBox(const Node& node, Vector3& min, Vector3& max) const
{
    min = Vector3(node.m_MinX, m_MinY, node.m_MinZ);
    max = Vector3(node.m_MaxX, m_MaxY, node.m_MaxZ);
}

bool kaQuadTree::_CornersOutside(const Vector3 (&corners)[8]) const
{
    for (const platform::Plane& plane : m_Frustum)
    {
        bool allBehind = true;
        for (const Vector3& corner : corners)
            if (platform::PlaneDotCoord(&plane, &corner) >= 0.0f)
            {
                allBehind = false;
                break;
            }
        if (allBehind)
            return true;
    }
    return false;
}

bool kaQuadTree::_EntityOutside(kaEntity* entity) const
{
    const kaBoundingBox* box = entity->GetBoundingBox();
    if (box == nullptr)
        return false;
    // Most entities are settled by their bounding sphere; only those crossing a plane need the corners.
    bool crossing = false;
    for (const platform::Plane& plane : m_Frustum)
    {
        const float distance = platform::PlaneDotCoord(&plane, &box->m_Centre);
        if (distance <= -box->m_Radius)
            return true;
        if (distance <= box->m_Radius)
            crossing = true;
    }
    return crossing && _CornersOutside(box->m_Corners);
}

void kaQuadTree::_Walk(int32_t index)
{
    const Node& node = m_Nodes[static_cast<size_t>(index)];
    // By position: an entity that moves while it draws re-files itself and changes the list.
    for (size_t i = 0; i < node.m_Entities.size(); ++i)
    {
        kaEntity* entity = node.m_Entities[i];
        entity->SetDrawn(false);
        if (!entity->IsVisible() || _EntityOutside(entity))
            continue;
        if (entity->IsLateDraw())
            m_LateDraws.push_back(entity);
        else
            entity->Render();
        entity->SetDrawn(true);
        if (m_ShowEntities)
            if (const kaBoundingBox* box = entity->GetBoundingBox())
                g_pGraphicsManager->DebugDrawBox(box->m_Corners, kEntityBoxColor[0], kEntityBoxColor[1],
                                                 kEntityBoxColor[2], kEntityBoxColor[3], true);
    }
    if (m_ShowNodes)
    {
        Vector3 min, max, corners[8];
        _NodeBox(node, min, max);
        GetBoxCorners(min, max, corners);
        g_pGraphicsManager->DebugDrawBox(corners, node.m_Color[0], node.m_Color[1], node.m_Color[2],
                                         node.m_Color[3], true);
    }
    for (const int32_t child : node.m_Children)
    {
        if (child <= 0)
            continue;
        Vector3 min, max, corners[8];
        _NodeBox(m_Nodes[static_cast<size_t>(child)], min, max);
        GetBoxCorners(min, max, corners);
        if (!_CornersOutside(corners))
            _Walk(child);
    }
}

void kaQuadTree::Render()
{
    if (g_pGraphicsManager == nullptr)
        return;
    const platform::Plane* frustum = g_pGraphicsManager->GetActiveFrustum();
    std::copy(frustum, frustum + 6, m_Frustum);
    _Walk(0);
    g_pGraphicsManager->DrawQueuedMeshes();
    for (kaEntity* entity : m_LateDraws)
        entity->Render();
    m_LateDraws.clear();
}

void kaQuadTree::CycleDebugDraw()
{
    if (!m_ShowNodes && !m_ShowEntities)
        m_ShowNodes = true;
    else if (m_ShowNodes)
    {
        m_ShowNodes = false;
        m_ShowEntities = true;
    }
    else
        m_ShowEntities = false;
}

// ---------------------------------------------------------------------------------------------------------
// Queries

void kaQuadTree::QuerySegment(const Vector3& start, const Vector3& end, std::vector<kaEntity*>& out)
{
    const kaLineSegment segment(start.x, start.y, start.z, end.x, end.y, end.z);
    _QuerySegment(0, segment, out);
}

void kaQuadTree::_QuerySegment(int32_t index, const kaLineSegment& segment, std::vector<kaEntity*>& out)
{
    Node& node = m_Nodes[static_cast<size_t>(index)];
    out.insert(out.end(), node.m_Entities.begin(), node.m_Entities.end());
    for (const int32_t child : node.m_Children)
    {
        if (child <= 0)
            continue;
        Vector3 min, max;
        _NodeBox(m_Nodes[static_cast<size_t>(child)], min, max);
        if (!PointInBox(segment.m_Start, min, max) && !PointInBox(segment.m_End, min, max) &&
            !SegmentIntersectsBox(min, max, segment, nullptr))
            continue;
        std::copy(std::begin(kQueriedColor), std::end(kQueriedColor),
                  m_Nodes[static_cast<size_t>(child)].m_Color);
        _QuerySegment(child, segment, out);
    }
}

bool kaQuadTree::QueryRect(const kaEntity* excluded, float x1, float z1, float x2, float z2,
                           std::vector<kaEntity*>* out, uint32_t flags)
{
    const float rect[6] = {std::min(x1, x2), 0.0f, std::min(z1, z2),
                           std::max(x1, x2), 0.0f, std::max(z1, z2)};
    return _QueryRect(0, excluded, rect, out, flags);
}

bool kaQuadTree::_QueryRect(int32_t index, const kaEntity* excluded, const float (&rect)[6],
                            std::vector<kaEntity*>* out, uint32_t flags) const
{
    const Node& node = m_Nodes[static_cast<size_t>(index)];
    const bool invisibleCount = index == 0 && (flags & kQueryInvisibleInRoot) != 0;
    bool found = false;
    for (kaEntity* entity : node.m_Entities)
    {
        if (entity == excluded || (!entity->IsVisible() && !invisibleCount))
            continue;
        const kaBoundingBox* box = entity->GetBoundingBox();
        if (box == nullptr)
            continue;
        const float bounds[6] = {box->m_Min.x, box->m_Min.y, box->m_Min.z,
                                 box->m_Max.x, box->m_Max.y, box->m_Max.z};
        if (!BoxesOverlapXZ(bounds, rect))
            continue;
        if (out == nullptr)
            return true;
        out->push_back(entity);
        found = true;
    }
    for (const int32_t child : node.m_Children)
    {
        if (child <= 0)
            continue;
        const Node& next = m_Nodes[static_cast<size_t>(child)];
        const float area[6] = {next.m_MinX, 0.0f, next.m_MinZ, next.m_MaxX, 0.0f, next.m_MaxZ};
        if (BoxesOverlapXZ(area, rect) && _QueryRect(child, excluded, rect, out, flags))
        {
            if (out == nullptr)
                return true;
            found = true;
        }
    }
    return found;
}
