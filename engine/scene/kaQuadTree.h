#pragma once

#include "platform/gfx/math/Plane.h"
#include "platform/gfx/math/Vector3.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class kaEntity;
class kaLineSegment;

// Files a world's entities by their bounding boxes on the ground plane (x and z), so that drawing walks only
// what the view frustum can see and picking tests only what a segment can reach. The tree is complete: built
// once for the extent of the terrain or venue down to a smallest leaf, it never splits or merges afterwards.
// An entity sits in the smallest node that holds its whole box, the root when it has no box or leaves the
// extent. Until the first Initialize the tree is a root alone that takes every entity.
class kaQuadTree
{
public:
    static constexpr uint32_t kNodeRecordBytes = 68;
    static constexpr float kEmptyMinY = 10000.0f;
    static constexpr float kEmptyMaxY = -10000.0f;
    // QueryRect: invisible entities filed in the root count too.
    static constexpr uint32_t kQueryInvisibleInRoot = 1;

    struct Node
    {
        float m_MinX = 0.0f;
        float m_MinZ = 0.0f;
        float m_MaxX = 0.0f;
        float m_MaxZ = 0.0f;
        // (low x, low z), (high x, low z), (low x, high z), (high x, high z); -1 in a leaf.
        int32_t m_Children[4] = {-1, -1, -1, -1};
        int32_t m_Parent = -1;
        // Green when made, red once a segment query entered the node.
        float m_Color[4] = {0.0f, 1.0f, 0.0f, 1.0f};
        std::vector<kaEntity*> m_Entities;
    };

    kaQuadTree();
    virtual ~kaQuadTree();
    kaQuadTree(const kaQuadTree&) = delete;
    kaQuadTree& operator=(const kaQuadTree&) = delete;

    // Draws the visible entities inside the renderer's frustum, then the queued mesh draws, then the
    // entities that asked to be drawn late.
    virtual void Render();

    // Builds the nodes over (0, 0) to (width, length), halving while both halves stay at least minLeafSize,
    // and files every entity filed so far again. Nothing happens for an empty or infinite extent.
    void Initialize(float width, float length, float minLeafSize);
    // An entity already filed here is moved instead, so it is never in two lists.
    void Insert(kaEntity* entity);
    // Re-files an entity after its box changed; ignored when it is not filed.
    void Move(kaEntity* entity);
    // Ignored when the entity is not filed.
    void Remove(kaEntity* entity);

    // Appends every entity of every node the segment reaches; each node entered below the root turns red.
    void QuerySegment(const platform::Vector3& start, const platform::Vector3& end,
                      std::vector<kaEntity*>& out);
    // Entities whose boxes overlap the rectangle on x and z, except the excluded one, appended to out;
    // without a list the answer comes at the first. Only visible entities count, save that the flag
    // kQueryInvisibleInRoot lets invisible ones in the root count. True when any counted.
    bool QueryRect(const kaEntity* excluded, float x1, float z1, float x2, float z2,
                   std::vector<kaEntity*>* out, uint32_t flags);
    bool IsRectOccupied(const kaEntity* excluded, float x1, float z1, float x2, float z2, uint32_t flags)
    {
        return QueryRect(excluded, x1, z1, x2, z2, nullptr, flags);
    }

    // Both off, then the node boxes, then the entity boxes, then both off again.
    void CycleDebugDraw();

    int32_t GetNodeCount() const { return static_cast<int32_t>(m_Nodes.size()); }
    const Node& GetNode(int32_t index) const { return m_Nodes[static_cast<size_t>(index)]; }
    float GetMinY() const { return m_MinY; }
    float GetMaxY() const { return m_MaxY; }
    float GetLeafWidth() const { return m_LeafWidth; }
    float GetLeafLength() const { return m_LeafLength; }
    int32_t GetLeavesAcrossX() const { return m_LeavesAcrossX; }
    int32_t GetLeavesAcrossZ() const { return m_LeavesAcrossZ; }
    bool IsShowingNodes() const { return m_ShowNodes; }
    bool IsShowingEntities() const { return m_ShowEntities; }

private:
    bool _IsFiled(const kaEntity* entity) const;
    // The node for the entity's box, widening the y range by it.
    int32_t _FindNode(kaEntity* entity);
    int32_t _CountNodes(float width, float length, float minLeafSize) const;
    // Splits the node, whose nominal size is width by length, and its children in turn.
    void _Build(int32_t index, float width, float length, float minLeafSize);
    // The node's box: its rectangle over the tree's y range.
    void _NodeBox(const Node& node, platform::Vector3& min, platform::Vector3& max) const;
    // True when all corners lie behind one of the frustum planes.
    bool _CornersOutside(const platform::Vector3 (&corners)[8]) const;
    bool _EntityOutside(kaEntity* entity) const;
    void _Walk(int32_t node);
    void _QuerySegment(int32_t node, const kaLineSegment& segment, std::vector<kaEntity*>& out);
    bool _QueryRect(int32_t node, const kaEntity* excluded, const float (&rect)[6],
                    std::vector<kaEntity*>* out, uint32_t flags) const;

    std::vector<Node> m_Nodes;
    platform::Plane m_Frustum[6];
    float m_MinY = kEmptyMinY;
    float m_MaxY = kEmptyMaxY;
    bool m_ShowNodes = false;
    bool m_ShowEntities = false;
    float m_LeafWidth = 0.0f;
    float m_LeafLength = 0.0f;
    int32_t m_LeavesAcrossX = 0;
    int32_t m_LeavesAcrossZ = 0;
    std::vector<kaEntity*> m_LateDraws;
};
