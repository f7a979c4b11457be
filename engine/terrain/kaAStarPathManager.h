#pragma once

#include "engine/core/kaSingleton.h"
#include "engine/scene/kaEntity.h"

#include "platform/gfx/math/Vector3.h"

#include <cstdint>
#include <vector>

// The world's path grid: 256 by 256 cells of 4 world units, each node holding a small stack of layer values
// that say what kind of ground the decals (layer 0) and the water (layer 1) marked there. Every world makes
// one; writers with a world use their world's grid, others the most recently made one through the singleton
// pointer. It answers class queries as a plain entity and draws nothing. Nothing searches it.
class kaAStarPathManager : public kaEntity, public kaSingleton<kaAStarPathManager>
{
public:
    static constexpr uint32_t kGridSide = 256;
    static constexpr uint32_t kCellSize = 4;
    static constexpr uint32_t kLastCell = kGridSide - 1;
    // Layer values that count as unmarked: spreading writes over them and outlines look past them.
    static constexpr uint8_t kUnmarked = 0;
    static constexpr uint8_t kAlsoUnmarked = 7;

    // Neighbour bits: (x - 1, z - 1), (x, z - 1), (x + 1, z - 1), (x - 1, z), (x + 1, z), (x - 1, z + 1),
    // (x, z + 1), (x + 1, z + 1).
    struct Node
    {
        float x = 0.0f;
        float y = 0.0f;
        float z = 0.0f;
        uint8_t neighbours = 0;
        uint8_t neighbourCount = 0;
        std::vector<uint8_t> layers;
        uint32_t index = 0;
    };

    kaAStarPathManager();
    ~kaAStarPathManager() override;

    void Render() override {}

    // Makes the grid afresh: a layer per type plus two, layer 0 of every node 1 and the others 0. The type
    // table is 0, 1, then the types.
    void BuildGrid(const std::vector<uint8_t>& types);

    // Each writer takes world X and Z of two corners in any order, and is false, changing nothing, for a
    // layer the nodes do not have or a rectangle that lies off the grid (a corner at a negative
    // coordinate or one that is not a number lies off it). Far sides beyond the grid are held to its edge.
    bool FillRect(uint32_t layer, float x1, float z1, float x2, float z2, uint8_t value);
    bool FillRect(uint32_t layer, const platform::Vector3& boxMin, const platform::Vector3& boxMax,
                  uint8_t value);
    // The rectangle's border nodes; `grow` takes it one cell out on every side first.
    bool OutlineRect(uint32_t layer, float x1, float z1, float x2, float z2, uint8_t value, bool grow);
    bool OutlineRect(uint32_t layer, const platform::Vector3& boxMin, const platform::Vector3& boxMax,
                     uint8_t value, bool grow);
    // As OutlineRect (growing only when `grow` is 1), but a border node whose nearest lower layer holding
    // a marked value holds `unless` keeps its value.
    bool OutlineUnless(uint32_t layer, float x1, float z1, float x2, float z2, uint8_t value, uint8_t unless,
                       int32_t grow);
    bool OutlineUnless(uint32_t layer, const platform::Vector3& boxMin, const platform::Vector3& boxMax,
                       uint8_t value, uint8_t unless, int32_t grow);
    // Around every node of the rectangle holding `match`, the unmarked neighbours take `value`; the
    // rectangle's far sides and the grid's near sides stop the spreading.
    bool SpreadToNeighbours(uint32_t layer, float x1, float z1, float x2, float z2, uint8_t match,
                            uint8_t value);
    // The nodes of the rectangle whose ground (the world terrain's height at their centre) lies at or below
    // the height, or above it, take the value. False without a terrain.
    bool FillByHeight(uint32_t layer, float x1, float z1, float x2, float z2, float height, uint8_t value,
                      bool atOrBelow);

    const Node* GetNode(uint32_t column, uint32_t row) const;
    uint32_t GetLayerCount() const { return m_LayerCount; }
    const std::vector<uint8_t>& GetTypeTable() const { return m_TypeTable; }
    bool HasGrid() const { return !m_Nodes.empty(); }

    // The grid of the entity's world, or the most recently made one for an entity without a world.
    static kaAStarPathManager* For(const kaEntity* entity);

private:
    struct Cells
    {
        uint32_t minX, minZ, maxX, maxZ;
    };
    // The cells under the rectangle, grown by `grow` cells; false when the writer must do nothing.
    bool _Cells(uint32_t layer, float x1, float z1, float x2, float z2, int32_t grow, Cells& cells) const;
    Node& _At(uint32_t column, uint32_t row) { return m_Nodes[size_t(row) * kGridSide + column]; }
    template <typename Visit> void _ForEachBorderNode(const Cells& cells, Visit visit);

    std::vector<Node> m_Nodes;
    std::vector<uint8_t> m_TypeTable;
    uint32_t m_LayerCount = 0;
};
