#include "engine/terrain/kaDraggableDecal.h"

#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaMeshSubset.h"
#include "engine/scene/Intersection.h"
#include "engine/scene/kaCollideInfo.h"
#include "engine/scene/kaPropertyRecord.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/kaAStarPathManager.h"
#include "engine/terrain/kaDraggableDecalManager.h"
#include "engine/terrain/kaTerrain.h"
#include "engine/terrain/kaTerrainDecal.h"

#include "platform/gfx/math/Matrix.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>

using platform::Vector3;

KA_ENTITY_CLASS_RECORD_DEFINITION(kaDraggableDecal, "kaDraggableDecal")

namespace
{

bool IsTrue(const std::string& value)
{
    return value == "true";
}

const char* BoolText(bool value)
{
    return value ? "true" : "false";
}

int32_t ParseInt(const std::string& text)
{
    return ka::lexical_cast<int32_t>(text);
}

float ParseFloat(const std::string& text)
{
    return ka::lexical_cast<float>(text);
}

// The corners and rotation of a decal, to tell whether a call moved or turned it.
struct DecalShape
{
    int32_t x1, z1, x2, z2, rotation;
    bool operator==(const DecalShape& o) const
    {
        return x1 == o.x1 && z1 == o.z1 && x2 == o.x2 && z2 == o.z2 && rotation == o.rotation;
    }
};

} // namespace

kaDraggableDecal::kaDraggableDecal()
{
    SetName(StaticClassInfo().GetName());
}

kaDraggableDecal::~kaDraggableDecal()
{
    UpdatePathGrid(m_ClearType);
    if (kaDraggableDecalManager* manager = kaDraggableDecalManager::GetSingleton())
        manager->Forget(this);
    if (_Terrain())
    {
        for (kaTerrainDecal*& tile : m_Tiles)
            _Remove(tile);
        for (kaTerrainDecal*& handle : m_Handles)
            _Remove(handle);
        for (kaTerrainDecal*& edge : m_Edges)
            _Remove(edge);
        for (kaTerrainDecal*& corner : m_EdgeCorners)
            _Remove(corner);
    }
}

kaTerrain* kaDraggableDecal::_Terrain()
{
    kaTerrain* terrain = m_pWorld ? dynamic_cast<kaTerrain*>(m_pWorld->GetTerrain()) : nullptr;
    const uint64_t serial = terrain ? terrain->GetSerial() : 0;
    if (serial != m_TerrainSerial)
    {
        // The terrain the pieces lay on is gone, and its decals with it.
        m_Tiles.fill(nullptr);
        m_Handles.fill(nullptr);
        m_Edges.fill(nullptr);
        m_EdgeCorners.fill(nullptr);
        const bool hadTerrain = m_TerrainSerial != 0;
        m_TerrainSerial = serial;
        if (terrain && hadTerrain)
        {
            _KeepInside();
            Rebuild();
        }
    }
    return terrain;
}

void kaDraggableDecal::_Samples(int32_t& width, int32_t& length)
{
    const kaTerrain* terrain = _Terrain();
    width = terrain ? terrain->GetColumns() : 0;
    length = terrain ? terrain->GetRows() : 0;
}

void kaDraggableDecal::_KeepInside()
{
    if (m_EndX < m_StartX)
        std::swap(m_StartX, m_EndX);
    if (m_EndZ < m_StartZ)
        std::swap(m_StartZ, m_EndZ);
    const kaTerrain* terrain = m_pWorld ? dynamic_cast<const kaTerrain*>(m_pWorld->GetTerrain()) : nullptr;
    // A terrain whose height map could not be read has no samples to hold to: the rectangle stays as
    // read, so that saving such a course keeps it.
    if (terrain && (terrain->GetColumns() <= 0 || terrain->GetRows() <= 0))
        return;
    const auto keep = [](int32_t& start, int32_t& end, int32_t samples)
    {
        const int32_t last = std::max(samples - 1, 1);
        start = std::clamp(start, 0, last - 1);
        end = std::clamp(end, start + 1, last);
    };
    keep(m_StartX, m_EndX, terrain ? terrain->GetColumns() : INT32_MAX);
    keep(m_StartZ, m_EndZ, terrain ? terrain->GetRows() : INT32_MAX);
}

int32_t kaDraggableDecal::_CellsPerRepeat(float scale)
{
    if (!(scale > 0.0f))
        return 0;
    // A repeat saved as a float (1/5 as 0.2) comes back a hair short of its whole cells: allow for it.
    // Held well inside an int: any terrain is far narrower, and the bounds are held to it afterwards.
    return int32_t(std::min(std::trunc(1.0 / double(scale) * (1.0 + 1.0e-5)), 1.0e6));
}

void kaDraggableDecal::_Remove(kaTerrainDecal*& piece)
{
    if (!piece)
        return;
    if (kaTerrain* terrain = _Terrain())
        terrain->RemoveDecal(piece);
    piece = nullptr;
}

kaTerrainDecal* kaDraggableDecal::_FirstBuiltTile()
{
    _Terrain();
    for (kaTerrainDecal* tile : m_Tiles)
        if (tile && tile->GetMesh())
            return tile;
    return nullptr;
}

kaTerrainDecal* kaDraggableDecal::GetTile(int32_t index)
{
    _Terrain();
    return index >= 0 && index < kTiles ? m_Tiles[size_t(index)] : nullptr;
}

kaTerrainDecal* kaDraggableDecal::GetHandle(int32_t corner)
{
    _Terrain();
    return corner >= 0 && corner < kCorners ? m_Handles[size_t(corner)] : nullptr;
}

void kaDraggableDecal::ReadXml(const TiXmlElement* element)
{
    kaEntity::ReadXml(element);
    if (!element)
        return;
    if (const TiXmlElement* texture = element->FirstChildElement("texture"))
        m_Texture = GetElementText(texture);
    if (const TiXmlElement* handle = element->FirstChildElement("handleTexture"))
        m_HandleTexture = GetElementText(handle);
    // One-letter keys: read by element, as the child-text helper takes no names that short.
    if (const TiXmlElement* start = element->FirstChildElement("startCorner"))
    {
        m_StartX = GetElementInt(start->FirstChildElement("x"));
        m_StartZ = GetElementInt(start->FirstChildElement("z"));
    }
    if (const TiXmlElement* end = element->FirstChildElement("endCorner"))
    {
        m_EndX = GetElementInt(end->FirstChildElement("x"));
        m_EndZ = GetElementInt(end->FirstChildElement("z"));
    }
    const TiXmlElement* widthScale = element->FirstChildElement("widthScale");
    const TiXmlElement* lengthScale = element->FirstChildElement("lengthScale");
    m_WidthScale = widthScale ? GetElementFloat(widthScale) : 0.0f;
    m_LengthScale = lengthScale ? GetElementFloat(lengthScale) : 0.0f;
    if (const TiXmlElement* show = element->FirstChildElement("showHandles"))
        m_ShowHandles = GetElementBool(show);
    const TiXmlElement* showDecal = element->FirstChildElement("showDecal");
    const bool visible = showDecal ? GetElementBool(showDecal) : false;
    const TiXmlElement* rotation = element->FirstChildElement("rotation");
    const int32_t degrees = rotation ? GetElementInt(rotation) : 0;
    if (rotation)
        m_Rotation = kaTerrainDecal::RotationIndex(degrees) * 90;

    _KeepInside();
    // The size read is the size the pieces are built at: auto-rotation looks at it.
    m_BuiltWidth = m_EndX - m_StartX;
    m_BuiltLength = m_EndZ - m_StartZ;
    ApplyTextureLimits();
    Rebuild();
    ShowDecal(visible);
    if (rotation && degrees >= 1)
    {
        for (kaTerrainDecal* tile : m_Tiles)
            if (tile)
                tile->SetRotation(degrees);
        // No tile to hold it: kept here for writing back.
        if (!_FirstBuiltTile())
            m_Rotation = kaTerrainDecal::RotationIndex(degrees) * 90;
    }
}

void kaDraggableDecal::WriteXml(TiXmlElement* element) const
{
    kaEntity::WriteXml(element);
    if (!element)
        return;
    auto* self = const_cast<kaDraggableDecal*>(this);
    const kaTerrainDecal* first = self->_FirstBuiltTile();
    AppendTextElement(element, "texture", m_Texture);
    AppendTextElement(element, "handleTexture", m_HandleTexture);
    TiXmlElement* start = AppendElement(element, "startCorner");
    AppendIntElement(start, "x", m_StartX);
    AppendIntElement(start, "z", m_StartZ);
    TiXmlElement* end = AppendElement(element, "endCorner");
    AppendIntElement(end, "x", m_EndX);
    AppendIntElement(end, "z", m_EndZ);
    // Without built tiles (no terrain to lay them on) the values as read or last set are kept.
    AppendBoolElement(element, "showDecal", first ? first->IsSwitchedOn() : m_Shown);
    AppendBoolElement(element, "showHandles", m_ShowHandles);
    AppendIntElement(element, "rotation", first ? first->GetRotation() : m_Rotation);
    AppendFloatElement(element, "widthScale", first ? first->GetScaleU() : m_WidthScale);
    AppendFloatElement(element, "lengthScale", first ? first->GetScaleV() : m_LengthScale);
}

kaMesh* kaDraggableDecal::GetNextMesh(bool& more)
{
    _Terrain();
    // Empty slots are passed over: a caller stops at the first null mesh.
    const auto built = [this](int32_t i) { return m_Tiles[size_t(i)] && m_Tiles[size_t(i)]->GetMesh(); };
    if (m_MeshCursor < 0 || m_MeshCursor >= kTiles)
        m_MeshCursor = 0;
    while (m_MeshCursor < kTiles && !built(m_MeshCursor))
        ++m_MeshCursor;
    kaMesh* mesh = m_MeshCursor < kTiles ? m_Tiles[size_t(m_MeshCursor)]->GetMesh() : nullptr;
    ++m_MeshCursor;
    while (m_MeshCursor < kTiles && !built(m_MeshCursor))
        ++m_MeshCursor;
    more = m_MeshCursor < kTiles;
    if (!more)
        m_MeshCursor = 0;
    return mesh;
}

bool kaDraggableDecal::GetWorldMatrix(platform::Matrix& matrix) const
{
    platform::MatrixIdentity(&matrix);
    return true;
}

void kaDraggableDecal::SetSelected(bool selected, const kaCollideInfo* pick)
{
    kaEntity::SetSelected(selected, pick);
    kaDraggableDecalManager* manager = kaDraggableDecalManager::GetSingleton();
    if (!selected)
    {
        ShowHandles(false);
        m_Selected = false;
        return;
    }
    if (manager)
        manager->SetSelectedDecal(this);
    if (!pick)
        ShowHandles(true);
    else if (const kaTerrain* terrain = _Terrain(); terrain && terrain->GetCellSize() > 0.0f)
    {
        const double cx = std::trunc(double(pick->m_Point.x) / terrain->GetCellSize());
        const double cz = std::trunc(double(pick->m_Point.z) / terrain->GetCellSize());
        const int32_t x = std::isfinite(cx) ? int32_t(std::clamp(cx, -1.0, 1.0e7)) : -1;
        const int32_t z = std::isfinite(cz) ? int32_t(std::clamp(cz, -1.0, 1.0e7)) : -1;
        int32_t corner = -1;
        if (x == m_StartX && z == m_StartZ)
            corner = 0;
        else if (x == m_StartX && z == m_EndZ - 1)
            corner = 2;
        else if (x == m_EndX - 1 && z == m_StartZ)
            corner = 1;
        else if (x == m_EndX - 1 && z == m_EndZ - 1)
            corner = 3;
        if (corner >= 0)
        {
            if (manager)
                manager->SetDragTarget(this, corner);
        }
        else
        {
            if (manager)
                manager->SetMode(kaDraggableDecalManager::kModeMove);
            m_DragAnchorX = x;
            m_DragAnchorZ = z;
        }
    }
    m_Selected = selected;
}

bool kaDraggableDecal::PickCell(int32_t& x, int32_t& z)
{
    int32_t cursorX = 0;
    int32_t cursorY = 0;
    Vector3 origin;
    Vector3 direction;
    const kaTerrain* terrain = _Terrain();
    if (!terrain || !(terrain->GetCellSize() > 0.0f) || !kaWorld::ReadCursor(cursorX, cursorY) ||
        !m_pWorld->GetPickRay(float(cursorX), float(cursorY), origin, direction))
        return false;
    kaCollideInfo hit;
    if (!m_pWorld->Pick(origin, origin + direction * kPickLength, &hit, kaWorld::kPickTerrain))
        return false;
    const double cx = std::trunc(double(hit.m_Point.x) / terrain->GetCellSize());
    const double cz = std::trunc(double(hit.m_Point.z) / terrain->GetCellSize());
    if (!std::isfinite(cx) || !std::isfinite(cz))
        return false;
    x = int32_t(std::clamp(cx, 0.0, 1.0e7));
    z = int32_t(std::clamp(cz, 0.0, 1.0e7));
    return true;
}

void kaDraggableDecal::DragMove(const Vector3*)
{
    int32_t cx = 0;
    int32_t cz = 0;
    if (!PickCell(cx, cz))
        return;
    int32_t width = 0;
    int32_t length = 0;
    _Samples(width, length);
    const int32_t dx = m_DragAnchorX - cx;
    const int32_t dz = m_DragAnchorZ - cz;
    m_DragAnchorX = cx;
    m_DragAnchorZ = cz;
    bool moved = false;
    if (dx != 0 && int64_t(m_EndX) - dx <= width - 1 && int64_t(m_StartX) - dx >= 0)
    {
        m_StartX -= dx;
        m_EndX -= dx;
        moved = true;
    }
    if (dz != 0 && int64_t(m_EndZ) - dz <= length - 1 && int64_t(m_StartZ) - dz >= 0)
    {
        m_StartZ -= dz;
        m_EndZ -= dz;
        moved = true;
    }
    if (!moved)
        return;
    // The box still holds the old area.
    UpdatePathGrid(m_ClearType);
    ApplyTextureLimits();
    Rebuild();
}

void kaDraggableDecal::DragCorner(const Vector3*, int32_t corner)
{
    int32_t cx = 0;
    int32_t cz = 0;
    PickCell(cx, cz);
    if (corner < 0 || corner > 3)
        return;
    int32_t x1 = m_StartX, z1 = m_StartZ, x2 = m_EndX, z2 = m_EndZ;
    if ((corner == 0 || corner == 2) && cx < m_EndX)
        x1 = cx;
    if ((corner == 1 || corner == 3) && cx > m_StartX)
        x2 = cx + 1;
    if ((corner == 0 || corner == 1) && cz < m_EndZ)
        z1 = cz;
    if ((corner == 2 || corner == 3) && cz > m_StartZ)
        z2 = cz + 1;
    if (x1 != m_StartX || z1 != m_StartZ || x2 != m_EndX || z2 != m_EndZ)
        SetRect(x1, z1, x2, z2);
}

void kaDraggableDecal::EndDrag()
{
    m_DragAnchorX = 0;
    m_DragAnchorZ = 0;
}

void kaDraggableDecal::SetRect(int32_t x1, int32_t z1, int32_t x2, int32_t z2)
{
    if (m_AutoRotateTexture)
        m_Rotation = m_BuiltWidth > m_BuiltLength ? 90 : 0;
    const int32_t n = _CellsPerRepeat(m_LengthScale);
    const int32_t m = _CellsPerRepeat(m_WidthScale);
    const bool turned = m_Rotation == 90 || m_Rotation == 180;
    // Holds one axis to a texture repeat: a moved start stays put, else the end follows the start.
    const auto limit = [](int32_t& a1, int32_t& a2, int32_t start, int32_t cells)
    {
        if (cells <= 0 || int64_t(a2) - a1 == cells)
            return;
        if (a1 != start)
            a1 = start;
        else
            a2 = int32_t(std::min<int64_t>(int64_t(a1) + cells, INT32_MAX));
    };
    if (m_LimitToTextureWidth)
        turned ? limit(z1, z2, m_StartZ, n) : limit(x1, x2, m_StartX, m);
    if (m_LimitToTextureLength)
        turned ? limit(x1, x2, m_StartX, m) : limit(z1, z2, m_StartZ, n);

    int32_t width = 0;
    int32_t length = 0;
    _Samples(width, length);
    if (!width || !length)
        return;
    if (x1 == m_StartX && z1 == m_StartZ && x2 == m_EndX && z2 == m_EndZ)
        return;
    if (x1 >= width - 1 || z1 >= length - 1)
        return;
    UpdatePathGrid(m_ClearType);
    m_StartX = x1;
    m_StartZ = z1;
    m_EndX = std::min(x2, width - 1);
    m_EndZ = std::min(z2, length - 1);
    _KeepInside();
    ApplyTextureLimits();
    if (m_EndX - m_StartX == m_BuiltWidth && m_EndZ - m_StartZ == m_BuiltLength && _FirstBuiltTile())
    {
        MoveTiles();
        UpdateBounds();
        UpdatePathGrid(m_PathType);
        UpdatePosition();
    }
    else
        Rebuild();
}

void kaDraggableDecal::ApplyTextureLimits()
{
    if (m_AutoRotateTexture)
        m_Rotation = m_BuiltWidth > m_BuiltLength ? 90 : 0;
    if (m_EndX < m_StartX)
        std::swap(m_StartX, m_EndX);
    if (m_EndZ < m_StartZ)
        std::swap(m_StartZ, m_EndZ);
    const int32_t n = _CellsPerRepeat(m_LengthScale);
    const int32_t m = _CellsPerRepeat(m_WidthScale);
    const bool turned = m_Rotation == 90 || m_Rotation == 180;
    const auto limit = [](int32_t start, int32_t& end, int32_t cells)
    {
        if (cells > 0 && int64_t(end) - start != cells)
            end = int32_t(std::min<int64_t>(int64_t(start) + cells, INT32_MAX));
    };
    if (m_LimitToTextureWidth)
        turned ? limit(m_StartZ, m_EndZ, n) : limit(m_StartX, m_EndX, m);
    if (m_LimitToTextureLength)
        turned ? limit(m_StartX, m_EndX, m) : limit(m_StartZ, m_EndZ, n);
    _KeepInside();
}

void kaDraggableDecal::Rebuild()
{
    if (!_Terrain() || m_EndX - m_StartX < 1 || m_EndZ - m_StartZ < 1)
        return;
    BuildTiles();
    if (m_HasEdges)
        BuildEdges(true);
    if (m_HasHandles)
    {
        BuildHandles();
        ShowHandles(m_ShowHandles);
    }
    UpdateBounds();
    UpdatePathGrid(m_PathType);
    UpdatePosition();
}

void kaDraggableDecal::BuildTiles()
{
    kaTerrain* terrain = _Terrain();
    for (kaTerrainDecal*& tile : m_Tiles)
        _Remove(tile);
    if (!terrain)
        return;
    const int32_t w = m_EndX - m_StartX;
    const int32_t l = m_EndZ - m_StartZ;
    m_BuiltWidth = w;
    m_BuiltLength = l;
    if (w < 1 || l < 1)
        return;
    const float u = m_WidthScale != 0.0f ? m_WidthScale : 1.0f / float(w);
    const float v = m_LengthScale != 0.0f ? m_LengthScale : 1.0f / float(l);
    const bool lit = m_Lit && !m_Unlit;
    for (int32_t r = 0; r < kTileSide; ++r)
        for (int32_t c = 0; c < kTileSide; ++c)
        {
            const int32_t x0 = m_StartX + (w / kTileSide) * c;
            const int32_t x1 = c == kTileSide - 1 ? m_EndX : x0 + w / kTileSide;
            const int32_t z0 = m_StartZ + (l / kTileSide) * r;
            const int32_t z1 = r == kTileSide - 1 ? m_EndZ : z0 + l / kTileSide;
            auto* tile =
                new kaTerrainDecal(terrain, m_Texture, x0, z0, x1 - x0, z1 - z0, u, v, true, m_Colour,
                                   m_Rotation, x0 - m_StartX, z0 - m_StartZ, float(x1 - x0) / float(w),
                                   float(z1 - z0) / float(l), false, false, 0.0f, 0.0f);
            if (!tile->GetMesh())
            {
                delete tile;
                continue;
            }
            tile->SetLighting(lit);
            terrain->AddDecal(tile);
            m_Tiles[size_t(r * kTileSide + c)] = tile;
        }
}

void kaDraggableDecal::BuildHandles()
{
    kaTerrain* terrain = _Terrain();
    for (kaTerrainDecal*& handle : m_Handles)
        _Remove(handle);
    if (!terrain)
        return;
    const int32_t corners[kCorners][2] = {{m_StartX, m_StartZ},
                                          {m_StartX + m_BuiltWidth - 1, m_StartZ},
                                          {m_StartX, m_StartZ + m_BuiltLength - 1},
                                          {m_StartX + m_BuiltWidth - 1, m_StartZ + m_BuiltLength - 1}};
    for (int32_t corner = 0; corner < kCorners; ++corner)
    {
        auto* handle = new kaTerrainDecal(terrain, m_HandleTexture, corners[corner][0], corners[corner][1], 1,
                                          1, 1.0f, 1.0f, m_ShowHandles, 0xFFFFFFFFu, 0, 0, 0, 1.0f, 1.0f,
                                          false, false, 0.0f, 0.0f);
        handle->SetLighting(false);
        terrain->AddDecal(handle);
        m_Handles[size_t(corner)] = handle;
    }
}

void kaDraggableDecal::BuildEdges(bool lit)
{
    m_Lit = lit;
    kaTerrain* terrain = _Terrain();
    for (kaTerrainDecal*& edge : m_Edges)
        _Remove(edge);
    for (kaTerrainDecal*& corner : m_EdgeCorners)
        _Remove(corner);
    if (!terrain || m_BuiltWidth < 1 || m_BuiltLength < 1)
        return;
    const int32_t w = m_BuiltWidth, l = m_BuiltLength;
    // A scale of 0 stretches the texture once along the side.
    const float along = m_EdgeWidthScale != 0.0f ? m_EdgeWidthScale : 1.0f / float(w);
    const float across = m_EdgeLengthScale != 0.0f ? m_EdgeLengthScale : 1.0f / float(l);
    const struct
    {
        int32_t x, z, columns, rows, rotation;
        float u, v;
    } strips[4] = {{m_StartX, m_StartZ, w, 1, 0, along, 1.0f},
                   {m_StartX + w - 1, m_StartZ, 1, l, 270, 1.0f, across},
                   {m_StartX, m_StartZ + l - 1, w, 1, 180, along, 1.0f},
                   {m_StartX, m_StartZ, 1, l, 90, 1.0f, across}};
    for (size_t i = 0; i < 4; ++i)
    {
        const auto& s = strips[i];
        auto* strip = new kaTerrainDecal(terrain, m_EdgeTexture, s.x, s.z, s.columns, s.rows, s.u, s.v, true,
                                         m_Colour, s.rotation, 0, 0, 1.0f, 1.0f, false, false, 0.0f, 0.0f);
        strip->SetLighting(lit);
        terrain->AddDecal(strip);
        m_Edges[i] = strip;
    }
    if (!m_HasEdgeCorners)
        return;
    const int32_t pieces[4][3] = {{m_StartX, m_StartZ, 0},
                                  {m_StartX + w - 1, m_StartZ, 270},
                                  {m_StartX, m_StartZ + l - 1, 90},
                                  {m_StartX + w - 1, m_StartZ + l - 1, 180}};
    for (size_t i = 0; i < 4; ++i)
    {
        auto* piece =
            new kaTerrainDecal(terrain, m_CornerTexture, pieces[i][0], pieces[i][1], 1, 1, 1.0f, 1.0f, true,
                               m_Colour, pieces[i][2], 0, 0, 1.0f, 1.0f, false, false, 0.0f, 0.0f);
        piece->SetLighting(lit);
        terrain->AddDecal(piece);
        m_EdgeCorners[i] = piece;
    }
}

void kaDraggableDecal::MoveTiles()
{
    _Terrain();
    for (int32_t r = 0; r < kTileSide; ++r)
        for (int32_t c = 0; c < kTileSide; ++c)
            if (kaTerrainDecal* tile = m_Tiles[size_t(r * kTileSide + c)])
            {
                tile->SetPosition(m_StartX + (m_BuiltWidth / kTileSide) * c,
                                  m_StartZ + (m_BuiltLength / kTileSide) * r);
                tile->RefreshPositions();
            }
    if (m_HasEdges)
        BuildEdges(m_Lit);
    if (m_HasHandles)
        BuildHandles();
}

void kaDraggableDecal::UpdateBounds()
{
    const kaTerrain* terrain = _Terrain();
    bool any = false;
    for (const kaTerrainDecal* tile : m_Tiles)
        any = any || (tile && tile->GetMesh());
    if (!terrain || !any)
        return;
    // The tiles' vertices are the samples under the rectangle.
    Vector3 low(1e30f, 1e30f, 1e30f), high(-1e30f, -1e30f, -1e30f);
    for (int32_t z = m_StartZ; z <= m_EndZ; ++z)
        for (int32_t x = m_StartX; x <= m_EndX; ++x)
        {
            const Vector3 p = terrain->GetVertexPosition(x, z);
            low = Vector3(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
            high = Vector3(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
        }
    m_Box.m_Min = low;
    m_Box.m_Max = high;
    m_Box.m_Centre = (low + high) * 0.5f;
    float radius = 0.0f;
    for (int32_t z = m_StartZ; z <= m_EndZ; ++z)
        for (int32_t x = m_StartX; x <= m_EndX; ++x)
        {
            const Vector3 d = terrain->GetVertexPosition(x, z) - m_Box.m_Centre;
            radius = std::max(radius, std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z));
        }
    m_Box.m_Radius = radius;
    m_Box.ComputeCorners();
}

void kaDraggableDecal::UpdatePosition()
{
    const kaTerrain* terrain = _Terrain();
    if (!terrain)
        return;
    m_Position =
        (terrain->GetVertexPosition(m_StartX, m_StartZ) + terrain->GetVertexPosition(m_EndX, m_EndZ)) * 0.5f;
    if (m_QuadTreeNode >= 0)
        m_pWorld->OnEntityMoved(this);
}

void kaDraggableDecal::UpdatePathGrid(int32_t type)
{
    kaAStarPathManager* grid = kaAStarPathManager::For(this);
    // A decal never laid has no area.
    if (!grid || !grid->HasGrid() || !m_pWorld || m_BuiltWidth < 1 || m_BuiltLength < 1)
        return;
    const uint8_t value = uint8_t(type);
    const uint32_t layer = uint32_t(m_GridLayer);
    grid->FillRect(layer, m_Box.m_Min, m_Box.m_Max, value);
    if (type == m_ClearType)
        grid->OutlineRect(layer, m_Box.m_Min, m_Box.m_Max, value, true);
    if (type == 2)
        grid->OutlineUnless(layer, m_Box.m_Min, m_Box.m_Max, 3, 2, 1);
}

bool kaDraggableDecal::OverlapsRect(int32_t x1, int32_t z1, int32_t x2, int32_t z2)
{
    const kaTerrain* terrain = _Terrain();
    if (!terrain)
        return false;
    const float s = terrain->GetCellSize();
    const float mine[6] = {m_StartX * s, 0.0f, m_StartZ * s, m_EndX * s, 0.0f, m_EndZ * s};
    const float theirs[6] = {x1 * s, 0.0f, z1 * s, x2 * s, 0.0f, z2 * s};
    if (!BoxesOverlapXZ(mine, theirs))
        return false;
    const auto relay = [](kaTerrainDecal* piece)
    {
        if (piece)
            piece->RefreshPositions();
    };
    for (kaTerrainDecal* tile : m_Tiles)
        relay(tile);
    if (m_HasHandles)
        for (kaTerrainDecal* handle : m_Handles)
            relay(handle);
    if (m_HasEdges)
        for (kaTerrainDecal* edge : m_Edges)
            relay(edge);
    if (m_HasEdgeCorners)
        for (kaTerrainDecal* corner : m_EdgeCorners)
            relay(corner);
    return true;
}

void kaDraggableDecal::FlattenTerrain(float height)
{
    kaTerrain* terrain = _Terrain();
    // Without tiles the box is nothing of the decal's: no flattening.
    if (!terrain || !_FirstBuiltTile())
        return;
    if (height == kOwnHeight)
        height = m_Position.y;
    const Vector3 low = m_Box.m_Min;
    const Vector3 high(m_Box.m_Max.x - 0.5f, m_Box.m_Max.y, m_Box.m_Max.z - 0.5f);
    terrain->FlattenArea(height, low, high, false);
    if (kaDraggableDecalManager* manager = kaDraggableDecalManager::GetSingleton())
        manager->OnTerrainChanged(&low, &high);
    UpdatePathGrid(m_ClearType);
    ApplyTextureLimits();
    Rebuild();
}

void kaDraggableDecal::ShowDecal(bool show)
{
    m_Shown = show;
    _Terrain();
    for (kaTerrainDecal* tile : m_Tiles)
        if (tile)
            tile->SetSwitchedOn(show);
    if (m_HasEdges)
        for (kaTerrainDecal* edge : m_Edges)
            if (edge)
                edge->SetSwitchedOn(show);
}

bool kaDraggableDecal::ShowHandles(bool show)
{
    _Terrain();
    if (!m_HasHandles)
        return false;
    m_ShowHandles = show;
    for (kaTerrainDecal* handle : m_Handles)
        if (handle)
            handle->SetSwitchedOn(show);
    if (m_HasEdgeCorners)
        for (kaTerrainDecal* corner : m_EdgeCorners)
            if (corner)
                corner->SetSwitchedOn(!show);
    return true;
}

void kaDraggableDecal::BuildPropertyList()
{
    kaEntity::BuildPropertyList();
    kaPropertyRecord& texture = kaPropertyRecord::Append(m_PropertyList, kTextureLabel, m_Texture);
    texture.m_Browse = true;
    texture.m_Folder = kFolder;
    kaPropertyRecord& handle = kaPropertyRecord::Append(m_PropertyList, kHandleTextureLabel, m_HandleTexture);
    handle.m_Browse = true;
    handle.m_Folder = kFolder;
    kaPropertyRecord::Append(m_PropertyList, kStartXLabel, std::to_string(m_StartX));
    kaPropertyRecord::Append(m_PropertyList, kStartZLabel, std::to_string(m_StartZ));
    kaPropertyRecord::Append(m_PropertyList, kEndXLabel, std::to_string(m_EndX));
    kaPropertyRecord::Append(m_PropertyList, kEndZLabel, std::to_string(m_EndZ));
    kaPropertyRecord::Append(m_PropertyList, kLimitWidthLabel, BoolText(m_LimitToTextureWidth));
    kaPropertyRecord::Append(m_PropertyList, kLimitLengthLabel, BoolText(m_LimitToTextureLength));
    kaPropertyRecord::Append(m_PropertyList, kAutoRotateLabel, BoolText(m_AutoRotateTexture));
    if (const kaTerrainDecal* first = GetTile(0))
    {
        kaPropertyRecord::Append(m_PropertyList, kRotationLabel, std::to_string(first->GetRotation()));
        kaPropertyRecord::Append(m_PropertyList, kWidthScaleLabel,
                                 ka::lexical_cast<std::string>(first->GetScaleU()));
        kaPropertyRecord::Append(m_PropertyList, kLengthScaleLabel,
                                 ka::lexical_cast<std::string>(first->GetScaleV()));
    }
}

bool kaDraggableDecal::SetPropertyList(const kaPropertyList& list)
{
    // Every number is converted before anything is stored: a bad row leaves the decal as it was.
    for (const kaCountedPtr<kaPropertyRecord>& row : list)
    {
        if (!row)
            continue;
        const std::string& label = row->m_Label;
        if (label == kStartXLabel || label == kStartZLabel || label == kEndXLabel || label == kEndZLabel ||
            label == kRotationLabel)
            ParseInt(row->m_Value);
        else if (label == kWidthScaleLabel || label == kLengthScaleLabel)
            ParseFloat(row->m_Value);
    }
    const bool baseChanged = kaEntity::SetPropertyList(list);
    _Terrain();
    if (const kaTerrainDecal* first = m_Tiles[0])
    {
        m_Rotation = first->GetRotation();
        m_WidthScale = first->GetScaleU();
        m_LengthScale = first->GetScaleV();
    }
    else
        for (const kaTerrainDecal* tile : m_Tiles)
            if (tile)
            {
                m_Rotation = tile->GetRotation();
                break;
            }
    bool changed = false;
    const auto store = [&changed](auto& field, const auto& value)
    {
        if (field != value)
        {
            field = value;
            changed = true;
        }
    };
    // A flag that moves or turns the decal is a change to save too.
    bool reshaped = false;
    const auto flag = [this, &reshaped](bool& field, const std::string& value)
    {
        const DecalShape before{m_StartX, m_StartZ, m_EndX, m_EndZ, m_Rotation};
        field = IsTrue(value);
        if (field)
            SetRect(m_StartX, m_StartZ, m_EndX, m_EndZ);
        const DecalShape after{m_StartX, m_StartZ, m_EndX, m_EndZ, m_Rotation};
        reshaped |= !(after == before);
    };
    for (const kaCountedPtr<kaPropertyRecord>& row : list)
    {
        if (!row)
            continue;
        const std::string& label = row->m_Label;
        const std::string& value = row->m_Value;
        if (label == kTextureLabel)
            store(m_Texture, value);
        else if (label == kHandleTextureLabel)
            store(m_HandleTexture, value);
        else if (label == kStartXLabel)
            store(m_StartX, ParseInt(value));
        else if (label == kStartZLabel)
            store(m_StartZ, ParseInt(value));
        else if (label == kEndXLabel)
            store(m_EndX, ParseInt(value));
        else if (label == kEndZLabel)
            store(m_EndZ, ParseInt(value));
        else if (label == kRotationLabel)
            store(m_Rotation, kaTerrainDecal::RotationIndex(ParseInt(value)) * 90);
        else if (label == kWidthScaleLabel)
            store(m_WidthScale, ParseFloat(value));
        else if (label == kLengthScaleLabel)
            store(m_LengthScale, ParseFloat(value));
        else if (label == kAutoRotateLabel)
            flag(m_AutoRotateTexture, value);
        else if (label == kLimitWidthLabel)
            flag(m_LimitToTextureWidth, value);
        else if (label == kLimitLengthLabel)
            flag(m_LimitToTextureLength, value);
    }
    if (changed)
    {
        UpdatePathGrid(m_ClearType);
        _KeepInside();
        ApplyTextureLimits();
        Rebuild();
    }
    return baseChanged || changed || reshaped;
}
