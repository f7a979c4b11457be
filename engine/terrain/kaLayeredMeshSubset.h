#pragma once

#include "engine/model/kaMeshSubset.h"

#include <cstdint>
#include <vector>

// The triangles of one texture layer within one terrain quad. Vertices and indices are gathered here while
// the layer pass runs, then moved into device buffers.
class kaLayeredMeshSubset : public kaMeshSubset
{
public:
    // Position, normal, diffuse colour, one texture coordinate set.
    static constexpr uint32_t kFVF = 0x152;
    static constexpr uint32_t kReservedVertices = 33 * 33;
    static constexpr uint32_t kReservedIndices = 33 * 33 * 6;

    struct Vertex
    {
        platform::Vector3 position;
        platform::Vector3 normal;
        uint32_t color = 0;
        float u = 0.0f;
        float v = 0.0f;
    };
    static_assert(sizeof(Vertex) == 36, "the layer vertex format");

    kaLayeredMeshSubset();
    ~kaLayeredMeshSubset() override;

    // The index of a vertex standing at the grid point among the newest `window` vertices, newest first;
    // -1 when none does.
    int32_t FindRecent(int32_t gridPoint, uint32_t window) const;
    // Appends a vertex and returns its index.
    uint32_t AddVertex(const Vertex& vertex, int32_t gridPoint);
    void AddTriangle(uint32_t a, uint32_t b, uint32_t c);

    uint32_t GetBuildVertexCount() const { return uint32_t(m_BuildVertices.size()); }
    uint32_t GetBuildTriangleCount() const { return m_BuildTriangles; }

    // Device buffers from the gathered lists, alpha blending on, then the lists are freed. Nothing is made
    // for a subset that received no vertices. False when a buffer could not be made.
    bool CreateBuffers();

private:
    std::vector<Vertex> m_BuildVertices;
    std::vector<int32_t> m_BuildGridPoints;
    std::vector<uint16_t> m_BuildIndices;
    uint32_t m_BuildTriangles = 0;
};
