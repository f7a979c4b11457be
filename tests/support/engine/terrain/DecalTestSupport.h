#pragma once

#include "engine/model/kaMesh.h"
#include "engine/model/kaMeshSubset.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/scene/kaQuadTree.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/kaAStarPathManager.h"
#include "engine/terrain/kaDraggableDecalManager.h"
#include "engine/terrain/kaTerrain.h"
#include "engine/terrain/kaTerrainDecal.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/terrain/EnvironmentFixture.h"
#include "tests/support/engine/terrain/TerrainTestSupport.h"

#include "platform/gfx/math/Vector3.h"

#include <cmath>
#include <cstring>
#include <vector>

// A world on a 33 x 33 sample terrain of 4-unit cells (one path-grid cell each), every sample a different
// height, its path grid made, the decal manager working on it, and a camera straight above whose cursor
// the tests place on a cell.
class DecalFixture : public EnvironmentFixture
{
protected:
    static constexpr int32_t kSamples = 33;
    static constexpr float kSide = 128.0f;

    void SetUp() override
    {
        EnvironmentFixture::SetUp();
        const std::string map =
            terraintest::WriteMap(m_Dir, "map.bmp", kSamples, kSamples,
                                  [](uint32_t col, uint32_t row) { return uint8_t(col * 5 + row * 2); });
        m_Terrain = new kaTerrain;
        ASSERT_TRUE(m_Terrain->GenerateHeightMapVerts(map, kSide, 50.0f, kSide, false));
        m_World.SetTerrain(m_Terrain);
        m_World.ResetPathGrid();
        if (kaQuadTree* tree = m_World.GetQuadTree())
            tree->Initialize(kSide, kSide, kSide / 8);
        m_Decals.SetWorld(&m_World);
        kaCamera& camera = *m_World.GetCamera();
        camera.SetPosition(kSide / 2, 300.0f, kSide / 2);
        camera.SetRotationAngles(1.5707964f, 0.0f, 0.0f);
        camera.Rotate();
        uint32_t width = 0, height = 0;
        m_Manager->GetViewportSize(width, height);
        camera.SetAspect(float(width) / float(height));
        camera.UpdateProjection();
        kaWorld::SetCursorSource(&Cursor);
    }

    void TearDown() override
    {
        kaWorld::SetCursorSource(nullptr);
        EnvironmentFixture::TearDown();
    }

    static bool Cursor(int32_t& x, int32_t& y)
    {
        x = s_CursorX;
        y = s_CursorY;
        return true;
    }

    // Puts the cursor over the middle of the cell.
    void PointAt(int32_t cellX, int32_t cellZ)
    {
        const kaCamera& camera = *m_World.GetCamera();
        const float x = (float(cellX) + 0.5f) * m_Terrain->GetCellSize();
        const float z = (float(cellZ) + 0.5f) * m_Terrain->GetCellSize();
        const platform::Vector3 ground(x, m_Terrain->GetHeightAt(x, z), z);
        platform::Vector3 view;
        platform::Vec3TransformCoord(&view, &ground, &camera.GetViewMatrix());
        uint32_t width = 0, height = 0;
        m_Manager->GetViewportSize(width, height);
        const float t = std::tan(camera.GetFieldOfView() / 2.0f);
        const float aspect = float(width) / float(height);
        s_CursorX = int32_t(std::lround((view.x / (view.z * t * aspect) + 1.0f) * float(width) / 2.0f));
        s_CursorY = int32_t(std::lround((1.0f - view.y / (view.z * t)) * float(height) / 2.0f));
    }

    kaAStarPathManager& Grid() { return dynamic_cast<kaAStarPathManager&>(*m_World.GetPathManager()); }
    uint8_t GridAt(uint32_t column, uint32_t row) { return Grid().GetNode(column, row)->layers[0]; }

    // The positions a decal's mesh holds.
    std::vector<platform::Vector3> Positions(const kaTerrainDecal& decal)
    {
        const kaMeshSubset& subset = *decal.GetMesh()->GetSubset(0);
        std::vector<kaTerrainDecal::Vertex> vertices(subset.m_VertexCount);
        const void* data = m_Manager->LockVertexBuffer(subset.m_VertexBuffer);
        if (!data)
            return {};
        std::memcpy(vertices.data(), data, vertices.size() * sizeof(kaTerrainDecal::Vertex));
        m_Manager->UnlockVertexBuffer(subset.m_VertexBuffer);
        std::vector<platform::Vector3> out;
        for (const auto& v : vertices)
            out.push_back(v.position);
        return out;
    }

    static inline int32_t s_CursorX = 0;
    static inline int32_t s_CursorY = 0;
    testsupport::TempDir m_Dir;
    kaDraggableDecalManager m_Decals;
    kaWorld m_World;
    kaTerrain* m_Terrain = nullptr;
};
