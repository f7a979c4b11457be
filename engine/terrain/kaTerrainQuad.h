#pragma once

#include "engine/model/kaMesh.h"

#include "platform/gfx/math/Vector3.h"

#include <cstdint>
#include <vector>

// A patch of at most 32 by 32 terrain cells, drawn and culled on its own. The single-layer build gives it
// one subset per level of detail over one shared vertex buffer; the layered quad adds a subset per layer.
class kaTerrainQuad : public kaMesh
{
public:
    static constexpr int kLeft = 0;
    static constexpr int kRight = 1;
    static constexpr int kNextRow = 2;
    static constexpr int kPreviousRow = 3;
    static constexpr int kLevelCount = 5;
    // A full quad: 33 by 33 grid points, vertex (c, r) at c + 33 r.
    static constexpr int kGridSide = 33;

    // Without subsets, for the layered quad.
    kaTerrainQuad();
    // One subset with buffers of these sizes.
    kaTerrainQuad(uint32_t fvf, uint32_t triangles, uint32_t vertices);
    ~kaTerrainQuad() override;

    // The sphere over the grid points of the quad's cells, their far row and column included, from the
    // terrain's positions (row-major, `columns` a row).
    void ComputeBoundingSphere(int32_t firstColumn, int32_t firstRow, int32_t cellsAcross, int32_t cellsDown,
                               int32_t columns, const std::vector<platform::Vector3>& positions);
    // The sphere from the mesh's own bounds.
    void TakeBoundingSphereFromMesh();

    // Appends a subset for one further level: subset 0's vertices and render state, its own indices.
    void AddLodSubset(const std::vector<uint16_t>& indices);

    // The cells of the current level inside its border ring, then the ring stitched to each neighbour's
    // level: a border carries only the vertices the coarser side has, each coarse segment one fan over the
    // fine inner vertices. A missing neighbour counts as the same level.
    std::vector<uint16_t> StitchedIndices() const;
    // Rewrites the current level's subset with StitchedIndices and clears the edges-dirty mark.
    void UpdateLodEdges();

    void SetNeighbour(int side, kaTerrainQuad* quad) { m_Neighbours[side] = quad; }
    kaTerrainQuad* GetNeighbour(int side) const { return m_Neighbours[side]; }
    const platform::Vector3& GetSphereCentre() const { return m_SphereCentre; }
    float GetSphereRadius() const { return m_SphereRadius; }
    int32_t GetLevel() const { return m_Level; }
    bool AreLevelsEnabled() const { return m_LevelsEnabled; }
    void SetLevelsEnabled(bool enabled) { m_LevelsEnabled = enabled; }
    bool AreEdgesDirty() const { return m_EdgesDirty; }
    void MarkEdgesDirty() { m_EdgesDirty = true; }
    // The level of detail drawn next, 0 (finest) to 4; each border follows its neighbour's level, so a
    // change marks this quad and its neighbours for stitching again. False, changing nothing, for a level
    // out of range or above 0 on a quad without levels.
    bool SetLevel(int32_t level);

private:
    bool m_EdgesDirty = true;
    kaTerrainQuad* m_Neighbours[4] = {nullptr, nullptr, nullptr, nullptr};
    platform::Vector3 m_SphereCentre;
    float m_SphereRadius = 0.0f;
    int32_t m_Level = 0;
    bool m_LevelsEnabled = true;
};
