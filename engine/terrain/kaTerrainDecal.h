#pragma once

#include "platform/gfx/math/Vector3.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class kaMesh;
class kaTerrain;

// A textured patch laid cell by cell over the terrain: its vertices are the terrain's own samples, so it
// follows the ground exactly. Drawn by the terrain after the quads, pulled towards the eye by a depth bias
// and writing no depth, so the ground under it never fights it.
class kaTerrainDecal
{
public:
    // Position, normal, diffuse colour, one texture coordinate set.
    static constexpr uint32_t kFVF = 0x152;
    static constexpr int32_t kRenderOrder = -48;
    // 16-bit indices reach this many vertices.
    static constexpr int64_t kMaxVertices = 65536;

    struct Vertex
    {
        platform::Vector3 position;
        platform::Vector3 normal;
        uint32_t color = 0;
        float u = 0.0f;
        float v = 0.0f;
    };
    static_assert(sizeof(Vertex) == 36, "the decal vertex format");

    // Columns and rows count cells; the texture origin says where the first cell lies in the texture's
    // repeat of extent u by extent v cells. The clamp flags go to the texture's stage.
    kaTerrainDecal(kaTerrain* terrain, const std::string& texturePath, int32_t firstColumn, int32_t firstRow,
                   int32_t columns, int32_t rows, float scaleU, float scaleV, bool switchedOn,
                   uint32_t colour, int32_t rotationDegrees, int32_t originColumn, int32_t originRow,
                   float extentU, float extentV, bool clampU, bool clampV, float offsetU, float offsetV);
    kaTerrainDecal(const kaTerrainDecal&) = delete;
    kaTerrainDecal& operator=(const kaTerrainDecal&) = delete;
    virtual ~kaTerrainDecal();

    // The mesh over the samples under the decal. A decal that does not lie wholly on the terrain, or that
    // 16-bit indices cannot reach, gets none; a decal without cells keeps what it had.
    virtual void Build();
    virtual void Render();

    // Degrees: below 90 is 0, below 180 is 90, below 270 is 180, anything else 270. Rebuilds only on a
    // change.
    void SetRotation(int32_t degrees);
    int32_t GetRotation() const { return m_Rotation * 90; }
    // Moves the first corner (each raised to at least 0); RefreshPositions lays the mesh there.
    void SetPosition(int32_t firstColumn, int32_t firstRow);
    // Rewrites the mesh's positions from the samples under the current place, keeping texture coordinates,
    // colours and normals. A place off the terrain drops the mesh.
    void RefreshPositions();

    kaMesh* GetMesh() const { return m_pMesh.get(); }
    kaTerrain* GetTerrain() const { return m_pTerrain; }
    const std::string& GetTexturePath() const { return m_TexturePath; }
    int32_t GetFirstColumn() const { return m_FirstColumn; }
    int32_t GetFirstRow() const { return m_FirstRow; }
    int32_t GetColumns() const { return m_Columns; }
    int32_t GetRows() const { return m_Rows; }
    float GetScaleU() const { return m_ScaleU; }
    float GetScaleV() const { return m_ScaleV; }
    uint32_t GetColour() const { return m_Colour; }
    bool IsSwitchedOn() const { return m_SwitchedOn; }
    void SetSwitchedOn(bool on) { m_SwitchedOn = on; }
    // Whether the decal takes part in a drawing restricted to the decal pass.
    bool HasPassFlag() const { return m_PassFlag; }
    void SetPassFlag(bool pass) { m_PassFlag = pass; }
    bool HasLighting() const { return m_Lighting; }
    // The lighting of the decal's drawing, its mesh's included.
    void SetLighting(bool lighting);

    static int32_t RotationIndex(int32_t degrees);

private:
    // Whether the decal's grid points all are terrain samples and fit 16-bit indices.
    bool _FitsTerrain() const;
    void _DropMesh();

    kaTerrain* m_pTerrain;
    std::unique_ptr<kaMesh> m_pMesh;
    std::string m_TexturePath;
    int32_t m_OriginRow;
    int32_t m_OriginColumn;
    float m_ExtentU;
    float m_ExtentV;
    bool m_PassFlag = true;
    bool m_ClampU;
    bool m_ClampV;
    int32_t m_FirstColumn;
    int32_t m_FirstRow;
    int32_t m_Columns;
    int32_t m_Rows;
    int32_t m_Rotation;
    float m_ScaleU;
    float m_ScaleV;
    bool m_SwitchedOn;
    uint32_t m_Colour;
    float m_OffsetU;
    float m_OffsetV;
    bool m_Lighting = true;
    // What the mesh holds, so that a move rewrites positions without reading the device buffers back.
    std::vector<Vertex> m_Vertices;
};
