#include "engine/terrain/kaTerrainDecal.h"

#include "engine/model/kaMesh.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaTextureStage.h"
#include "engine/terrain/kaTerrain.h"

#include <algorithm>

using platform::Vector3;

kaTerrainDecal::kaTerrainDecal(kaTerrain* terrain, const std::string& texturePath, int32_t firstColumn,
                               int32_t firstRow, int32_t columns, int32_t rows, float scaleU, float scaleV,
                               bool switchedOn, uint32_t colour, int32_t rotationDegrees,
                               int32_t originColumn, int32_t originRow, float extentU, float extentV,
                               bool clampU, bool clampV, float offsetU, float offsetV)
    : m_pTerrain(terrain), m_TexturePath(texturePath), m_OriginRow(originRow), m_OriginColumn(originColumn),
      m_ExtentU(extentU), m_ExtentV(extentV), m_ClampU(clampU), m_ClampV(clampV),
      m_FirstColumn(std::max(firstColumn, 0)), m_FirstRow(std::max(firstRow, 0)), m_Columns(columns),
      m_Rows(rows), m_Rotation(RotationIndex(rotationDegrees)), m_ScaleU(scaleU), m_ScaleV(scaleV),
      m_SwitchedOn(switchedOn), m_Colour(colour), m_OffsetU(offsetU), m_OffsetV(offsetV)
{
    Build();
}

kaTerrainDecal::~kaTerrainDecal() = default;

void kaTerrainDecal::SetLighting(bool lighting)
{
    m_Lighting = lighting;
    if (m_pMesh)
        m_pMesh->SetLighting(lighting);
}

int32_t kaTerrainDecal::RotationIndex(int32_t degrees)
{
    if (degrees < 90)
        return 0;
    if (degrees < 180)
        return 1;
    if (degrees < 270)
        return 2;
    return 3;
}

bool kaTerrainDecal::_FitsTerrain() const
{
    if (!m_pTerrain || m_pTerrain->GetPositions().empty())
        return false;
    // Counted wide: a decal far off the terrain must not wrap back onto it.
    const int64_t lastColumn = int64_t(m_FirstColumn) + m_Columns;
    const int64_t lastRow = int64_t(m_FirstRow) + m_Rows;
    const int64_t vertices = (int64_t(m_Columns) + 1) * (int64_t(m_Rows) + 1);
    return lastColumn < m_pTerrain->GetColumns() && lastRow < m_pTerrain->GetRows() &&
           vertices <= kMaxVertices;
}

void kaTerrainDecal::_DropMesh()
{
    m_pMesh.reset();
    m_Vertices.clear();
}

void kaTerrainDecal::Build()
{
    if (m_Columns <= 0 || m_Rows <= 0 || !m_pTerrain)
        return;
    _DropMesh();
    if (!_FitsTerrain())
        return;
    const uint32_t across = uint32_t(m_Columns) + 1;
    const uint32_t down = uint32_t(m_Rows) + 1;
    const uint32_t triangles = uint32_t(m_Columns) * uint32_t(m_Rows) * 2;
    auto mesh = std::make_unique<kaMesh>(kFVF, triangles, across * down, 1, false);
    kaMeshSubset* subset = mesh->GetSubset(0);
    if (!subset)
        return;

    const float cellsU = float(m_Columns) / m_ExtentU;
    const float cellsV = float(m_Rows) / m_ExtentV;
    const std::vector<Vector3>& positions = m_pTerrain->GetPositions();
    const int32_t terrainColumns = m_pTerrain->GetColumns();
    m_Vertices.resize(size_t(across) * down);
    for (uint32_t r = 0; r < down; ++r)
        for (uint32_t c = 0; c < across; ++c)
        {
            const int32_t col = m_FirstColumn + int32_t(c);
            const int32_t row = m_FirstRow + int32_t(r);
            Vertex& vertex = m_Vertices[size_t(r) * across + c];
            vertex.position = positions[size_t(row) * size_t(terrainColumns) + size_t(col)];
            vertex.normal = m_pTerrain->GetVertexNormal(col, row);
            vertex.color = m_Colour;
            // Floats throughout: a far texture origin must not overflow.
            const float column = float(m_OriginColumn) + float(c);
            const float line = float(m_OriginRow) + float(r);
            switch (m_Rotation)
            {
            case 0:
                vertex.u = column * m_ScaleU + m_OffsetU;
                vertex.v = (cellsV - line) * m_ScaleV + m_OffsetV;
                break;
            case 1:
                vertex.u = (cellsV - line) * m_ScaleV + m_OffsetU;
                vertex.v = (cellsU - column) * m_ScaleU + m_OffsetV;
                break;
            case 2:
                vertex.u = (cellsU - column) * m_ScaleU + m_OffsetU;
                vertex.v = line * m_ScaleV + m_OffsetV;
                break;
            default:
                vertex.u = line * m_ScaleV + m_OffsetU;
                vertex.v = column * m_ScaleU + m_OffsetV;
                break;
            }
        }
    std::vector<uint16_t> indices;
    indices.reserve(size_t(triangles) * 3);
    for (uint32_t r = 0; r < uint32_t(m_Rows); ++r)
        for (uint32_t c = 0; c < uint32_t(m_Columns); ++c)
        {
            const uint16_t a = uint16_t(r * across + c), b = uint16_t(a + 1), c2 = uint16_t(a + across),
                           d = uint16_t(c2 + 1);
            indices.insert(indices.end(), {a, c2, b, b, c2, d});
        }
    mesh->SetVertices(m_Vertices.data(), 0);
    mesh->SetIndices(indices.data(), 0);
    if (kaRenderState* state = subset->GetRenderState())
    {
        if (!m_TexturePath.empty())
            state->AddTextureFromFile(m_TexturePath, false, 0, kaTextureStage::kModulate, 0, m_ClampU,
                                      m_ClampV, 0);
        state->m_Lighting = m_Lighting;
        state->m_ZWrite = false;
    }
    mesh->SetRenderOrder(kRenderOrder);
    mesh->ComputeBounds();
    mesh->UpdateTransform();
    m_pMesh = std::move(mesh);
}

void kaTerrainDecal::Render()
{
    if (m_pMesh)
        m_pMesh->Render(0);
}

void kaTerrainDecal::SetRotation(int32_t degrees)
{
    const int32_t rotation = RotationIndex(degrees);
    if (rotation == m_Rotation)
        return;
    m_Rotation = rotation;
    Build();
}

void kaTerrainDecal::SetPosition(int32_t firstColumn, int32_t firstRow)
{
    m_FirstColumn = std::max(firstColumn, 0);
    m_FirstRow = std::max(firstRow, 0);
}

void kaTerrainDecal::RefreshPositions()
{
    if (!m_pMesh)
        return;
    if (!_FitsTerrain() || m_Vertices.size() != (size_t(m_Columns) + 1) * (size_t(m_Rows) + 1))
    {
        _DropMesh();
        return;
    }
    const std::vector<Vector3>& positions = m_pTerrain->GetPositions();
    const size_t terrainColumns = size_t(m_pTerrain->GetColumns());
    const size_t across = size_t(m_Columns) + 1;
    for (size_t i = 0; i < m_Vertices.size(); ++i)
    {
        const size_t col = size_t(m_FirstColumn) + i % across;
        const size_t row = size_t(m_FirstRow) + i / across;
        m_Vertices[i].position = positions[row * terrainColumns + col];
    }
    m_pMesh->SetVertices(m_Vertices.data(), 0);
    m_pMesh->ComputeBounds();
    m_pMesh->UpdateTransform();
}
