#pragma once

#include "engine/model/kaBoundingBox.h"
#include "engine/scene/kaEntity.h"

#include "platform/gfx/math/Vector3.h"

#include <array>
#include <cstdint>
#include <string>

class kaTerrain;
class kaTerrainDecal;

// A texture laid over a rectangle of terrain cells that the map editor moves and resizes by its corners.
// It owns no mesh: sixteen terrain decals cover the rectangle and follow the ground, four one-cell handles
// mark the corners. Cells run from start (inclusive) to end (exclusive), always 0 <= start < end <= the
// terrain's samples - 1. Roads and terrain markers are its kinds; this class itself is never created by name.
class kaDraggableDecal : public kaEntity
{
    KA_ENTITY_CLASS_RECORD()

public:
    static constexpr int32_t kTileSide = 4;
    static constexpr int32_t kTiles = kTileSide * kTileSide;
    static constexpr int32_t kCorners = 4;
    // The flatten height that stands for the decal's own.
    static constexpr float kOwnHeight = -9999.0f;
    static constexpr float kPickLength = 2000.0f;
    static constexpr const char* kFolder = "resources/worlds/decals";

    // Editor rows, matched exactly.
    static constexpr const char* kTextureLabel = "Texture:";
    static constexpr const char* kHandleTextureLabel = "HandleTexture:";
    static constexpr const char* kStartXLabel = "StartCornerX:";
    static constexpr const char* kStartZLabel = "StartCornerZ:";
    static constexpr const char* kEndXLabel = "EndCornerX:";
    static constexpr const char* kEndZLabel = "EndCornerZ:";
    static constexpr const char* kLimitWidthLabel = "LimitToTextureWidth:";
    static constexpr const char* kLimitLengthLabel = "LimitToTextureLength:";
    static constexpr const char* kAutoRotateLabel = "AutoRotateTexture:";
    static constexpr const char* kRotationLabel = "DecalRotation:";
    static constexpr const char* kWidthScaleLabel = "WidthScale:";
    static constexpr const char* kLengthScaleLabel = "LengthScale:";

    kaDraggableDecal();
    ~kaDraggableDecal() override;

    // Keys after the entity's: "texture", "handleTexture", "startCorner", "endCorner", "showDecal",
    // "showHandles", "rotation", "widthScale", "lengthScale".
    void ReadXml(const TiXmlElement* element) override;
    void WriteXml(TiXmlElement* element) const override;
    // The tiles' meshes in slot order; more stays true while another built tile follows.
    kaMesh* GetNextMesh(bool& more) override;
    kaBoundingBox* GetBoundingBox() override { return &m_Box; }
    // The tiles lie in world space.
    bool GetWorldMatrix(platform::Matrix& matrix) const override;
    // A number that does not convert throws ka::bad_lexical_cast before anything is stored.
    bool SetPropertyList(const kaPropertyList& list) override;
    // A pick on a corner cell starts a corner drag, elsewhere a move.
    void SetSelected(bool selected, const kaCollideInfo* pick) override;
    bool IsSelected() const override { return m_Selected; }
    void BuildPropertyList() override;

    virtual void ShowDecal(bool show);
    // The point is the editor's; the cell under the cursor decides.
    virtual void DragMove(const platform::Vector3* point);
    virtual void DragCorner(const platform::Vector3* point, int32_t corner);
    virtual void EndDrag();
    // False when the decal has no handles.
    virtual bool ShowHandles(bool show);
    virtual void SetRect(int32_t x1, int32_t z1, int32_t x2, int32_t z2);
    virtual void UpdatePathGrid(int32_t type);
    // Lays the pieces on the terrain again when the rectangle of cells overlaps the decal's.
    virtual bool OverlapsRect(int32_t x1, int32_t z1, int32_t x2, int32_t z2);
    virtual void Rebuild();
    virtual void BuildTiles();
    virtual void BuildEdges(bool lit);
    virtual void UpdateBounds();

    // The cell under the cursor on the ground; false on a miss.
    bool PickCell(int32_t& x, int32_t& z);
    // Levels the ground under the decal (kOwnHeight: its own height) and lays every decal there again.
    void FlattenTerrain(float height);
    void BuildHandles();
    void ApplyTextureLimits();
    void MoveTiles();
    void UpdatePosition();

    int32_t GetStartX() const { return m_StartX; }
    int32_t GetStartZ() const { return m_StartZ; }
    int32_t GetEndX() const { return m_EndX; }
    int32_t GetEndZ() const { return m_EndZ; }
    int32_t GetBuiltWidth() const { return m_BuiltWidth; }
    int32_t GetBuiltLength() const { return m_BuiltLength; }
    int32_t GetRotation() const { return m_Rotation; }
    void SetRotation(int32_t degrees) { m_Rotation = degrees; }
    float GetWidthScale() const { return m_WidthScale; }
    float GetLengthScale() const { return m_LengthScale; }
    void SetScales(float width, float length)
    {
        m_WidthScale = width;
        m_LengthScale = length;
    }
    int32_t GetPathType() const { return m_PathType; }
    const platform::Vector3& GetPosition() const { return m_Position; }
    void SetPositionHeight(float y) { m_Position.y = y; }
    const std::string& GetTexture() const { return m_Texture; }
    const std::string& GetHandleTexture() const { return m_HandleTexture; }
    bool GetLimitToTextureWidth() const { return m_LimitToTextureWidth; }
    void SetLimitToTextureWidth(bool on) { m_LimitToTextureWidth = on; }
    bool GetLimitToTextureLength() const { return m_LimitToTextureLength; }
    void SetLimitToTextureLength(bool on) { m_LimitToTextureLength = on; }
    bool GetAutoRotateTexture() const { return m_AutoRotateTexture; }
    void SetAutoRotateTexture(bool on) { m_AutoRotateTexture = on; }
    bool GetShowHandles() const { return m_ShowHandles; }
    int32_t GetDragAnchorX() const { return m_DragAnchorX; }
    int32_t GetDragAnchorZ() const { return m_DragAnchorZ; }
    // The tile of a slot as it stands, null for an empty slot or pieces of a terrain that is gone.
    kaTerrainDecal* GetTile(int32_t index);
    kaTerrainDecal* GetHandle(int32_t corner);

protected:
    // The terrain of the decal's world, null without one. Pieces laid on a terrain that has since been
    // replaced went with it: they are forgotten, never touched.
    kaTerrain* _Terrain();
    // Samples of the terrain along X and Z, 0 without a terrain.
    void _Samples(int32_t& width, int32_t& length);
    // Orders each axis and holds the rectangle inside the samples.
    void _KeepInside();
    // Cells per texture repeat for a scale; 0 (no limit) for one that is not positive.
    static int32_t _CellsPerRepeat(float scale);
    // Takes a piece off the terrain, which deletes it.
    void _Remove(kaTerrainDecal*& piece);
    // The first tile with a mesh.
    kaTerrainDecal* _FirstBuiltTile();

    int32_t m_PathType = 1;
    int32_t m_ClearType = 1;
    int32_t m_GridLayer = 0;
    int32_t m_StartX = 0;
    int32_t m_StartZ = 0;
    int32_t m_EndX = 0;
    int32_t m_EndZ = 0;
    int32_t m_DragAnchorX = 0;
    int32_t m_DragAnchorZ = 0;
    int32_t m_BuiltWidth = 0;
    int32_t m_BuiltLength = 0;
    int32_t m_Rotation = 0;
    float m_WidthScale = 0.0f;
    float m_LengthScale = 0.0f;
    float m_EdgeWidthScale = 0.0f;
    float m_EdgeLengthScale = 0.0f;
    std::array<kaTerrainDecal*, kTiles> m_Tiles{};
    std::array<kaTerrainDecal*, kCorners> m_Handles{};
    std::array<kaTerrainDecal*, 4> m_Edges{};
    std::array<kaTerrainDecal*, 4> m_EdgeCorners{};
    std::string m_CornerTexture;
    bool m_HasEdgeCorners = false;
    bool m_HasEdges = false;
    bool m_HasHandles = true;
    bool m_ShowHandles = true;
    platform::Vector3 m_Position;
    std::string m_Texture;
    std::string m_HandleTexture;
    std::string m_EdgeTexture;
    uint32_t m_Colour = 0xFFFFFFFFu;
    kaBoundingBox m_Box;
    bool m_Lit = true;
    bool m_Unlit = false;
    bool m_LimitToTextureWidth = false;
    bool m_LimitToTextureLength = false;
    bool m_AutoRotateTexture = false;
    // The last ShowDecal, written when no tile is built to ask.
    bool m_Shown = false;
    int32_t m_MeshCursor = 0;
    // The terrain the pieces lie on, by serial number; 0 for none.
    uint64_t m_TerrainSerial = 0;
};
