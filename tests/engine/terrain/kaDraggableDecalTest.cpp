#include "engine/terrain/kaDraggableDecal.h"
#include "engine/model/kaMesh.h"
#include "engine/scene/kaCollideInfo.h"
#include "engine/terrain/Road.h"
#include "engine/terrain/TerrainMarker.h"
#include "tests/support/engine/terrain/DecalTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

using platform::Matrix;
using platform::MatrixIdentity;
using platform::Vector3;

namespace
{

struct Rect
{
    int32_t x1, z1, x2, z2;
    bool operator==(const Rect& o) const { return x1 == o.x1 && z1 == o.z1 && x2 == o.x2 && z2 == o.z2; }
};

std::ostream& operator<<(std::ostream& out, const Rect& r)
{
    return out << "(" << r.x1 << ", " << r.z1 << ", " << r.x2 << ", " << r.z2 << ")";
}

Rect Bounds(const kaDraggableDecal& decal)
{
    return {decal.GetStartX(), decal.GetStartZ(), decal.GetEndX(), decal.GetEndZ()};
}

class DraggableDecalTest : public DecalFixture
{
protected:
    // A marker (no texture limits) laid on the rectangle.
    std::unique_ptr<TerrainMarker> Marker(const Rect& rect)
    {
        auto marker = std::make_unique<TerrainMarker>();
        marker->SetWorld(&m_World);
        marker->SetRect(rect.x1, rect.z1, rect.x2, rect.z2);
        return marker;
    }

    std::set<int32_t> BuiltTiles(kaDraggableDecal& decal)
    {
        std::set<int32_t> out;
        for (int32_t i = 0; i < kaDraggableDecal::kTiles; ++i)
            if (kaTerrainDecal* tile = decal.GetTile(i); tile && tile->GetMesh())
                out.insert(i);
        return out;
    }

    kaCollideInfo PickAt(int32_t cellX, int32_t cellZ)
    {
        kaCollideInfo pick;
        pick.m_Point = Vector3((cellX + 0.5f) * 4.0f, 0.0f, (cellZ + 0.5f) * 4.0f);
        return pick;
    }
};

TEST_F(DraggableDecalTest, TilesCoverTheRectangleAndHandlesItsCorners)
{
    // Three cells wide: only the last column of tiles has cells, and it spans the whole width.
    auto narrow = Marker({2, 2, 5, 10});
    EXPECT_EQ(BuiltTiles(*narrow), (std::set<int32_t>{3, 7, 11, 15}));
    EXPECT_EQ(narrow->GetTile(3)->GetFirstColumn(), 2);
    EXPECT_EQ(narrow->GetTile(3)->GetColumns(), 3);
    EXPECT_EQ(narrow->GetTile(15)->GetFirstRow(), 8);
    // 1 x 1: one tile, four handles on its cell.
    auto single = Marker({6, 6, 7, 7});
    EXPECT_EQ(BuiltTiles(*single), (std::set<int32_t>{15}));
    for (int32_t corner = 0; corner < 4; ++corner)
    {
        ASSERT_NE(single->GetHandle(corner), nullptr);
        EXPECT_EQ(single->GetHandle(corner)->GetFirstColumn(), 6);
        EXPECT_EQ(single->GetHandle(corner)->GetFirstRow(), 6);
    }
    // The box spans the samples under the rectangle; the position is the corners' midpoint.
    const Vector3 a = m_Terrain->GetVertexPosition(2, 2), b = m_Terrain->GetVertexPosition(5, 10);
    EXPECT_FLOAT_EQ(narrow->GetBoundingBox()->m_Min.x, a.x);
    EXPECT_FLOAT_EQ(narrow->GetBoundingBox()->m_Max.z, b.z);
    EXPECT_FLOAT_EQ(narrow->GetPosition().y, (a.y + b.y) / 2);
}

TEST_F(DraggableDecalTest, CursorPicksTheCellUnderIt)
{
    auto marker = Marker({4, 4, 10, 10});
    for (const auto& [x, z] : {std::pair{0, 0}, {3, 17}, {31, 31}, {20, 9}})
    {
        PointAt(x, z);
        int32_t cx = -1, cz = -1;
        ASSERT_TRUE(marker->PickCell(cx, cz));
        EXPECT_EQ(cx, x);
        EXPECT_EQ(cz, z);
    }
}

TEST_F(DraggableDecalTest, CornerDragsAndMovesStayInsideTheSamples)
{
    const struct
    {
        Rect start;
        int32_t corner;
        int32_t cellX, cellZ;
        Rect expected;
    } drags[] = {
        // Corner 1 left of the start: X stays, Z takes the start.
        {{4, 4, 10, 10}, 1, 2, 5, {4, 5, 10, 10}},
        // Corner 0 to the last cell: neither start may pass its end.
        {{4, 4, 10, 10}, 0, 31, 31, {4, 4, 10, 10}},
        {{4, 4, 10, 10}, 3, 12, 14, {4, 4, 13, 15}},
        {{4, 4, 10, 10}, 2, 1, 20, {1, 4, 10, 21}},
        {{4, 4, 10, 10}, 7, 1, 1, {4, 4, 10, 10}},
    };
    for (const auto& drag : drags)
    {
        SCOPED_TRACE(drag.corner);
        auto marker = Marker(drag.start);
        PointAt(drag.cellX, drag.cellZ);
        marker->DragCorner(nullptr, drag.corner);
        EXPECT_EQ(Bounds(*marker), drag.expected);
    }

    // A move crossing the far X side keeps X and still moves Z.
    auto marker = Marker({20, 4, 30, 10});
    const kaCollideInfo middle = PickAt(25, 6);
    marker->SetSelected(true, &middle);
    EXPECT_EQ(m_Decals.GetMode(), kaDraggableDecalManager::kModeMove);
    EXPECT_EQ(marker->GetDragAnchorX(), 25);
    PointAt(29, 8);
    marker->DragMove(nullptr);
    EXPECT_EQ(Bounds(*marker), (Rect{20, 6, 30, 12}));
    // And one below 0 on Z keeps Z while X moves.
    PointAt(26, 0);
    marker->DragMove(nullptr);
    EXPECT_EQ(Bounds(*marker), (Rect{17, 6, 27, 12}));
    marker->EndDrag();
    EXPECT_EQ(marker->GetDragAnchorX(), 0);

    // A pick on a corner cell starts a corner drag of that corner.
    const kaCollideInfo corner = PickAt(26, 11);
    marker->SetSelected(true, &corner);
    EXPECT_EQ(m_Decals.GetMode(), kaDraggableDecalManager::kModeCorner);
    EXPECT_EQ(m_Decals.GetDragDecal(), marker.get());
    EXPECT_EQ(m_Decals.GetDragCorner(), 3);
}

TEST_F(DraggableDecalTest, SetRectKeepsTheBoundsInsideAndHoldsTheTextureWidth)
{
    auto marker = Marker({4, 4, 10, 10});
    const kaTerrainDecal* tile = marker->GetTile(15);
    marker->SetRect(4, 4, 10, 10);
    EXPECT_EQ(marker->GetTile(15), tile);
    const struct
    {
        Rect given;
        Rect expected;
    } cases[] = {
        {{40, 4, 50, 10}, {4, 4, 10, 10}}, {{4, 32, 10, 40}, {4, 4, 10, 10}},
        {{4, 4, 60, 10}, {4, 4, 32, 10}},  {{-5, -7, 3, 3}, {0, 0, 3, 3}},
        {{9, 9, 2, 2}, {2, 2, 9, 9}},
    };
    for (const auto& c : cases)
    {
        auto decal = Marker({4, 4, 10, 10});
        decal->SetRect(c.given.x1, c.given.z1, c.given.x2, c.given.z2);
        EXPECT_EQ(Bounds(*decal), c.expected) << c.given;
    }

    // One texture repeat wide at a quarter per cell: a moved start stays put, else the end follows.
    for (const auto& [startX, expected] : {std::pair{10, Rect{10, 0, 14, 8}}, {12, Rect{12, 0, 16, 8}}})
    {
        auto decal = Marker({startX, 0, startX + 4, 4});
        decal->SetLimitToTextureWidth(true);
        decal->SetRect(10, 0, 20, 8);
        EXPECT_EQ(Bounds(*decal), expected);
    }
    // A scale that is not positive sets no limit.
    for (const float scale : {0.0f, -1.0f, std::nanf("")})
    {
        auto decal = Marker({2, 2, 6, 6});
        decal->SetScales(scale, scale);
        decal->SetLimitToTextureWidth(true);
        decal->SetLimitToTextureLength(true);
        decal->SetRect(2, 2, 20, 9);
        EXPECT_EQ(Bounds(*decal), (Rect{2, 2, 20, 9})) << scale;
    }
}

TEST_F(DraggableDecalTest, FlattenLevelsToTheDecalsHeightAndRaisesByOne)
{
    const std::vector<Vector3> before = m_Terrain->GetPositions();
    // Never laid: nothing of the terrain changes.
    TerrainMarker unlaid;
    unlaid.SetWorld(&m_World);
    unlaid.FlattenTerrain(kaDraggableDecal::kOwnHeight);
    EXPECT_EQ(m_Terrain->GetPositions(), before);

    auto marker = Marker({6, 6, 12, 12});
    const float height = marker->GetPosition().y;
    for (const float expected : {height, height + 1.0f})
    {
        marker->SetPositionHeight(expected);
        marker->FlattenTerrain(kaDraggableDecal::kOwnHeight);
        for (int32_t z = 6; z <= 12; ++z)
            for (int32_t x = 6; x <= 12; ++x)
                ASSERT_NEAR(m_Terrain->GetVertexPosition(x, z).y, expected, 0.01f) << x << ", " << z;
        EXPECT_NEAR(marker->GetPosition().y, expected, 0.01f);
        // The tiles lie on the new ground.
        for (const Vector3& p : Positions(*marker->GetTile(0)))
            ASSERT_NEAR(p.y, expected, 0.01f);
    }
    EXPECT_NE(m_Terrain->GetVertexPosition(20, 20).y, height);
}

TEST_F(DraggableDecalTest, TheManagerSelectsDragsAndForgetsDestroyedDecals)
{
    auto a = Marker({2, 2, 6, 6});
    auto b = std::make_unique<Road>();
    b->SetWorld(&m_World);
    b->SetRect(10, 10, 14, 20);
    a->SetSelected(true, nullptr);
    EXPECT_TRUE(a->GetHandle(0)->IsSwitchedOn());
    b->SetSelected(true, nullptr);
    EXPECT_FALSE(a->GetHandle(0)->IsSwitchedOn());
    EXPECT_TRUE(b->GetHandle(3)->IsSwitchedOn());
    EXPECT_EQ(m_Decals.GetSelectedDecal(), b.get());

    m_Decals.SetMode(kaDraggableDecalManager::kModeLay);
    m_Decals.SetDragTarget(a.get(), -1);
    EXPECT_EQ(m_Decals.GetMode(), kaDraggableDecalManager::kModeLay);
    EXPECT_EQ(m_Decals.GetDragDecal(), a.get());

    // Every decal of a kind is registered; a destroyed one leaves the lists, the selection and the drag.
    auto c = std::make_unique<Road>();
    EXPECT_EQ(m_Decals.GetDecals().at(kaDraggableDecalManager::kRoadKey).size(), 2u);
    m_Decals.SetDragTarget(b.get(), 1);
    b.reset();
    EXPECT_EQ(m_Decals.GetSelectedDecal(), nullptr);
    EXPECT_EQ(m_Decals.GetDragDecal(), nullptr);
    EXPECT_EQ(m_Decals.GetDecals().at(kaDraggableDecalManager::kRoadKey),
              std::vector<kaDraggableDecal*>{c.get()});
    c.reset();
    EXPECT_EQ(m_Decals.GetDecals().count(kaDraggableDecalManager::kRoadKey), 0u);
}

TEST_F(DraggableDecalTest, ATerrainChangeReLaysOverlappingDecalsOnlyWithAWorld)
{
    auto near = Marker({2, 2, 6, 6});
    auto far = Marker({20, 20, 24, 24});
    const auto heightOf = [this](kaDraggableDecal& decal) { return Positions(*decal.GetTile(15)).front().y; };
    const float nearBefore = heightOf(*near), farBefore = heightOf(*far);
    const Vector3 low(0.0f, 0.0f, 0.0f), high(40.0f, 0.0f, 40.0f);
    m_Terrain->FlattenArea(40.0f, low, Vector3(kSide, 0.0f, kSide), false);
    m_Decals.SetWorld(nullptr);
    m_Decals.OnTerrainChanged(&low, &high);
    EXPECT_EQ(heightOf(*near), nearBefore);
    m_Decals.SetWorld(&m_World);
    m_Decals.OnTerrainChanged(&low, &high);
    EXPECT_NEAR(heightOf(*near), 40.0f, 0.01f);
    EXPECT_EQ(heightOf(*far), farBefore);
}

TEST_F(DraggableDecalTest, PathGridFollowsMovesAndDestruction)
{
    for (const bool road : {true, false})
    {
        SCOPED_TRACE(road);
        std::unique_ptr<kaDraggableDecal> decal;
        if (road)
            decal = std::make_unique<Road>();
        else
            decal = std::make_unique<TerrainMarker>();
        decal->SetWorld(&m_World);
        decal->SetRect(2, 2, 6, 22);
        const uint8_t type = road ? 4 : 1;
        ASSERT_EQ(Bounds(*decal), (Rect{2, 2, 6, 22}));
        // Mark something else first so that a marker's 1 shows, and a node the decal never covers.
        Grid().FillRect(0, 48.0f, 8.0f, 64.0f, 88.0f, 9);
        Grid().FillRect(0, 121.0f, 41.0f, 122.0f, 42.0f, 9);
        EXPECT_EQ(GridAt(4, 10), type);
        decal->SetRect(12, 2, 16, 22);
        EXPECT_EQ(GridAt(4, 10), 1);
        EXPECT_EQ(GridAt(3, 3), 1);
        EXPECT_EQ(GridAt(14, 10), type);
        EXPECT_EQ(GridAt(13, 20), type);
        decal.reset();
        EXPECT_EQ(GridAt(14, 10), 1);
        EXPECT_EQ(GridAt(30, 10), 9) << "untouched";
    }
}

TEST_F(DraggableDecalTest, DecalsArePickedThroughTheirTilesInWorldSpace)
{
    auto* road = new Road;
    road->SetWorld(&m_World);
    road->SetRect(8, 8, 12, 20);
    ASSERT_TRUE(m_World.AddEntity(road, true, true));
    Matrix matrix;
    ASSERT_TRUE(road->GetWorldMatrix(matrix));
    Matrix identity;
    MatrixIdentity(&identity);
    EXPECT_EQ(matrix, identity);
    const Vector3 top(41.0f, 200.0f, 57.5f), bottom(41.0f, -10.0f, 57.5f);
    kaCollideInfo hit;
    ASSERT_TRUE(m_World.Pick(top, bottom, &hit, kaWorld::kPickMeshes));
    EXPECT_EQ(hit.m_pObject, road);
    EXPECT_NEAR(hit.m_Point.y, m_Terrain->GetHeightAt(41.0f, 57.5f), 0.01f);
}

TEST_F(DraggableDecalTest, AReplacedTerrainIsNeverWalkedAndTheDecalLiesOnTheNewOne)
{
    auto marker = Marker({4, 4, 10, 10});
    const std::string map =
        terraintest::WriteMap(m_Dir, "flat.bmp", kSamples, kSamples, terraintest::Constant(100));
    auto* replacement = new kaTerrain;
    ASSERT_TRUE(replacement->GenerateHeightMapVerts(map, kSide, 50.0f, kSide, false));
    m_World.SetTerrain(replacement);
    m_Terrain = replacement;
    kaTerrainDecal* tile = marker->GetTile(15);
    ASSERT_NE(tile, nullptr);
    EXPECT_EQ(tile->GetTerrain(), replacement);
    // Six cells each way: all sixteen tiles have cells, and four handles.
    EXPECT_EQ(replacement->GetDecalCount(), 16 + 4);
    for (const Vector3& p : Positions(*tile))
        ASSERT_NEAR(p.y, replacement->GetVertexPosition(5, 5).y, 0.01f);
    // Without a terrain the decal forgets its pieces and ignores edits.
    m_World.SetTerrain(nullptr);
    marker->SetRect(1, 1, 3, 3);
    EXPECT_EQ(marker->GetTile(15), nullptr);
    EXPECT_EQ(Bounds(*marker), (Rect{4, 4, 10, 10}));
}

} // namespace
