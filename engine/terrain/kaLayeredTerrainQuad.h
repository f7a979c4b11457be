#pragma once

#include "engine/terrain/kaLayeredMeshSubset.h"
#include "engine/terrain/kaTerrainQuad.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A quad of the layered terrain: subset l holds the triangles that layer l covers. Each grid point keeps a
// record of the (layer, vertex) pairs standing on it, so that later edits of a point reach every copy.
class kaLayeredTerrainQuad : public kaTerrainQuad
{
public:
    using Vertex = kaLayeredMeshSubset::Vertex;
    using GridPointRecord = std::vector<std::pair<int32_t, int32_t>>;

    // A triangle corner: the grid point within the quad (column + row x (cells across + 1)) and its vertex.
    struct Corner
    {
        int32_t gridPoint = 0;
        Vertex vertex;
    };

    // How far back each corner looks for a vertex of the same grid point before appending one; 0 always
    // appends.
    static constexpr uint32_t kWideWindow = 65;
    static constexpr uint32_t kNarrowWindow = 5;

    kaLayeredTerrainQuad();
    ~kaLayeredTerrainQuad() override;

    void CreateLayerSubsets(int32_t count);
    // (cells across + 1) x (cells down + 1) empty records.
    void AllocateGridPoints(int32_t cellsAcross, int32_t cellsDown);
    // Triangle A over corners a, c, b and triangle B over c, d, b of a cell.
    void AddLayerTriangleA(int32_t layer, const Corner (&corners)[3]);
    void AddLayerTriangleB(int32_t layer, const Corner (&corners)[3]);
    // Device buffers for every layer subset that received vertices.
    void CreateLayerBuffers();
    // The texture in every stage of the layer's subset, or as its first stage.
    void SetLayerTexture(int32_t layer, const std::string& texturePath);
    // Rewrites the layer's texture coordinates in place as (x, z) times the scale.
    void RewriteLayerTexCoords(int32_t layer, float scale);

    kaLayeredMeshSubset* GetLayerSubset(int32_t layer) const;
    const std::vector<GridPointRecord>& GetGridPoints() const { return m_GridPoints; }

private:
    void _AddTriangle(int32_t layer, const Corner (&corners)[3], const uint32_t (&windows)[3]);

    std::vector<GridPointRecord> m_GridPoints;
};
