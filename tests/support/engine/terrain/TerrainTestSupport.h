#pragma once

#include "engine/render/kaGraphicsManager.h"
#include "engine/terrain/kaLayeredMeshSubset.h"
#include "tests/support/TempDir.h"
#include "tools/terraingen/TerrainSamples.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace terraintest
{

using SampleFn = std::function<uint8_t(uint32_t col, uint32_t row)>;

// An 8-bit image whose stored row r, column c holds sample(c, r); the extension picks BMP or TGA.
inline std::string WriteMap(const testsupport::TempDir& dir, const std::string& name, uint32_t columns,
                            uint32_t rows, const SampleFn& sample)
{
    std::vector<uint8_t> pixels;
    for (uint32_t row = 0; row < rows; ++row)
        for (uint32_t col = 0; col < columns; ++col)
            pixels.push_back(sample(col, row));
    const std::string path = dir.File(name);
    return TerrainSamples::Save(path, columns, rows, 8, pixels) ? path : std::string();
}

inline SampleFn Constant(uint8_t value)
{
    return [value](uint32_t, uint32_t) { return value; };
}

// The vertices and indices a layer subset's device buffers hold.
inline std::vector<kaLayeredMeshSubset::Vertex> ReadVertices(const kaMeshSubset& subset)
{
    std::vector<kaLayeredMeshSubset::Vertex> vertices(subset.m_VertexCount);
    const void* data = g_pGraphicsManager->LockVertexBuffer(subset.m_VertexBuffer);
    if (!data)
        return {};
    std::memcpy(vertices.data(), data, vertices.size() * sizeof(kaLayeredMeshSubset::Vertex));
    g_pGraphicsManager->UnlockVertexBuffer(subset.m_VertexBuffer);
    return vertices;
}

inline std::vector<uint16_t> ReadIndices(const kaMeshSubset& subset)
{
    std::vector<uint16_t> indices(subset.m_IndexCount);
    const void* data = g_pGraphicsManager->LockIndexBuffer(subset.m_IndexBuffer);
    if (!data)
        return {};
    std::memcpy(indices.data(), data, indices.size() * sizeof(uint16_t));
    g_pGraphicsManager->UnlockIndexBuffer(subset.m_IndexBuffer);
    return indices;
}

} // namespace terraintest
