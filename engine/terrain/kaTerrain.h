#pragma once

#include "engine/scene/kaPlane.h"
#include "engine/scene/kaTerrainBase.h"

#include "platform/gfx/math/Vector3.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class kaImage;
class kaMesh;
class kaTerrainDecal;
class kaTerrainLayer;
class kaTerrainQuad;
class kaTexture;

// The world's ground: an 8-bit grey height map stretched over a rectangle of the X/Z plane, cut into
// quads of at most 32 by 32 cells. Textured either by masked layers (the layered build) or by one base
// image cut into a tile per quad under a repeating detail texture (the single-layer build). Courses carry
// it as their "Terrain" element: the height-map path and sizes, then the layers or the single-layer
// textures, then the edge panels.
class kaTerrain : public kaTerrainBase
{
    KA_ENTITY_CLASS_RECORD()

public:
    static constexpr const char* kEntityName = "Terrain";
    static constexpr int32_t kQuadCells = 32;
    static constexpr int32_t kMaxSamplesPerSide = 4097;
    // What one sample costs once built, measured over whole builds: heights, positions, normals, the
    // quads' vertex and index buffers and their records. A map is taken only when its cost is at most
    // half of the memory free, leaving the rest of the course its room.
    static constexpr uint64_t kBytesPerSample = 240;
    static constexpr uint64_t kMemoryShare = 2;
    // Heights are 16-bit steps of (height + 10) / 32768 world units: the ground never lies below 10.
    static constexpr float kHeightFloor = 10.0f;
    static constexpr float kHeightSteps = 32768.0f;
    static constexpr float kInverseSampleRange = 0.003921569f;
    static constexpr float kInverseHeightSteps = 3.0517578e-5f;
    static constexpr float kDetailRepeat = 0.083333336f;
    static constexpr float kBaseStep = 0.03125f;
    // Without vertex lighting: position, base and detail coordinates (28 bytes); with it a normal too (40).
    static constexpr uint32_t kSingleLayerFVF = 0x202;
    static constexpr uint32_t kSingleLayerLitFVF = 0x212;
    static constexpr uint32_t kMaskOpaque = 255;
    static constexpr uint32_t kLayerWhite = 0x00FFFFFF;
    // Decals are pulled towards the eye by this projection bias while they are drawn.
    static constexpr float kDecalBiasDelta = -0.001f;
    static constexpr float kDecalBiasDepth = 20.0f;
    // Edge panels: a flat frame this wide around the terrain at the edge base height, drawn after it.
    static constexpr float kPanelReach = 1000.0f;
    static constexpr uint32_t kPanelFVF = 0x212;
    static constexpr int32_t kPanelRenderOrder = -45;
    static constexpr float kUnknownBaseWidth = 1024.0f;
    // The apron: rings of border samples moved outward, each with every second vertex of the one before.
    static constexpr uint32_t kApronFVF = 0x112;
    static constexpr int32_t kApronRings = 5;
    static constexpr int32_t kApronSubsets = 8;

    static constexpr const char* kNotGreyText =
        "[kaTerrain::GenerateHeightMapVerts] Error: Heightmap is not greyscale(8-bit)\n";
    static constexpr const char* kHeightmapTimeText = "Adding heightmap took: ";
    static constexpr const char* kBuildTimeText = "Building terrain took: ";
    // The editor's rows after the entity's own, and the folders their files are browsed in.
    static constexpr const char* kHeightmapLabel = "Heightmap:";
    static constexpr const char* kWidthLabel = "Width:";
    static constexpr const char* kLengthLabel = "Length:";
    static constexpr const char* kHeightLabel = "Height:";
    static constexpr const char* kVertexLightLabel = "VertexLight:";
    static constexpr const char* kEdgePanelsLabel = "EdgePanels:";
    static constexpr const char* kLayerLabel = "Layer ";
    static constexpr const char* kMaskPathKey = "MaskPath:";
    static constexpr const char* kTextureKey = "Texture:";
    static constexpr const char* kTexStretchKey = "TexStretch:";
    static constexpr const char* kHeightmapFolder = "resources/Worlds/Heightmap/";
    static constexpr const char* kPanelFolder = "resources/Worlds/groundtiles/";
    static constexpr const char* kMaskFolder = "resources/worlds/groundmasks/";
    static constexpr const char* kTileFolder = "resources/worlds/groundtiles/";
    // Layers read from one element at most; later ones are skipped.
    static constexpr int32_t kMaxFileLayers = 64;

    // Which build made the terrain, and so which textures its element carries.
    enum class Kind
    {
        HeightFieldOnly,
        SingleLayer,
        Layered
    };

    kaTerrain();
    ~kaTerrain() override;

    // Entity slots. Reading generates the heights and builds the kind the element names ("singleLayer"
    // before "terrainLayers"). What could not be loaded (a map, a mask, a base image) is kept as read and
    // written back; a number that does not convert reads as missing.
    void ReadXml(const TiXmlElement* element) override;
    void WriteXml(TiXmlElement* element) const override;
    // Heights changed since the map was read (flattened ground) are written first as an 8-bit grey map
    // beside the old one, named after the course and never over another file, and the element names it.
    void PrepareSave(const std::string& courseFile) override;
    // The heights as the samples of a grey map that gives them back within one map step, stored rows.
    std::vector<uint8_t> HeightSamples() const;
    bool AreHeightsEdited() const { return m_HeightsEdited; }
    // The entity's rows, then the height-map rows, the edge panels and three rows a layer.
    void BuildPropertyList() override;
    // Every terrain row is converted before anything changes: a number or flag that does not convert
    // throws ka::bad_lexical_cast and leaves the terrain as it was. A changed height-map row generates the
    // heights again and rebuilds; otherwise layer textures and stretches are rewritten in place. True when
    // anything changed.
    bool SetPropertyList(const kaPropertyList& list) override;
    // The quads the camera's frustum can see, then the decals, then the edge mesh. A layered terrain draws
    // the bottom layer of every visible quad before any quad's next layer, so the upper layers blend over
    // finished ground.
    void Render() override;
    // With `decalPassOnly` only the decals carrying the pass flag are drawn.
    void Render(bool decalPassOnly);
    void RenderSingleLayer();
    void RenderLayered();
    // The switched-on decals in view, under the world camera's depth bias; nothing without a camera.
    void RenderDecals(bool decalPassOnly);
    float GetHeightAt(float x, float z) const override;
    // The ground's height at (x, z), with its upward normal there when `normal` is given. Outside the
    // terrain (or at a coordinate that is not a number) the edge base height, the normal untouched.
    float GetHeightAt(float x, float z, platform::Vector3* normal) const;
    bool IntersectRay(float startX, float startY, float startZ, float endX, float endY, float endZ,
                      platform::Vector3& point, platform::Vector3& normal) override;
    float GetWidth() const override { return m_Width; }
    float GetLength() const override { return m_Length; }

    // Heights, positions, normals (with vertex lighting) and the cell walls from the image. False when the
    // image cannot be loaded, is not 8-bit grey, or gives a grid or sizes the terrain cannot hold; the
    // heights stay as they were then.
    bool GenerateHeightMapVerts(const std::string& path, float width, float height, float length,
                                bool vertexLighting);
    // The memory a map of that many samples needs once built, and whether it fits in `available` bytes.
    static uint64_t HeightMapBytes(uint32_t columns, uint32_t rows);
    static bool HeightMapFits(uint32_t columns, uint32_t rows, uint64_t available);
    // The same against the memory the process has free; on refusal `why` says what the map needs and
    // what is free.
    static bool CheckHeightMapMemory(const std::string& path, uint32_t columns, uint32_t rows,
                                     std::string& why);
    // The image's size checked before anything is built from it. A file that does not load passes:
    // building from it fails on its own.
    static bool CheckHeightMapFile(const std::string& path, std::string& why);
    // A BMP or TGA image by the name's extension, in any case; rows in the file's stored order. Null for
    // another extension or a file neither reader takes.
    static std::unique_ptr<kaImage> LoadHeightMapImage(const std::string& path);

    // The sample's position; one step beyond a border it is the border sample moved one cell out.
    platform::Vector3 GetVertexPosition(int32_t col, int32_t row) const;
    // The stored normal, or one computed from the positions when none are kept.
    platform::Vector3 GetVertexNormal(int32_t col, int32_t row) const;
    // The normal from the sample's four neighbours, whatever is stored.
    platform::Vector3 ComputeVertexNormal(int32_t col, int32_t row) const;
    float ComputeEdgeBaseHeight();

    // Layers take effect at the next build. AddLayer refuses a mask that cannot be loaded or is not 8-bit.
    bool AddLayer(const std::string& maskPath, const std::string& texturePath, float stretch, bool hardEdge);
    // The layer count; an index at or past it removes nothing.
    int32_t RemoveLayer(int32_t index);
    bool SetSingleLayerTextures(const std::string& baseTexturePath, const std::string& detailTexturePath,
                                float detailStretch);

    void Build() override;
    virtual void BuildSingleLayer();
    // Builds again in the terrain's own kind: a single-layer terrain reloads its base image and makes its
    // edge panels again; otherwise the layered build and, with a layer, the apron.
    void Rebuild() override;
    Kind GetKind() const { return m_Kind; }

    // What the editor and the tests read.
    float GetCellSize() const { return m_CellSize; }
    float GetHeight() const { return m_Height; }
    float GetHeightScale() const { return m_HeightScale; }
    int32_t GetColumns() const { return m_Columns; }
    int32_t GetRows() const { return m_Rows; }
    int32_t GetQuadColumns() const { return m_QuadColumns; }
    int32_t GetQuadRows() const { return m_QuadRows; }
    kaTerrainQuad* GetQuad(int32_t qx, int32_t qz) const;
    bool IsLayered() const { return m_Layered != 0; }
    bool HasVertexLighting() const { return m_VertexLighting; }
    const std::string& GetHeightMapPath() const { return m_HeightMapPath; }
    const std::vector<uint16_t>& GetHeights() const { return m_Heights; }
    const std::vector<platform::Vector3>& GetPositions() const { return m_Positions; }
    const std::vector<platform::Vector3>& GetNormals() const { return m_Normals; }
    float GetEdgeBaseHeight() const { return m_EdgeBaseHeight; }
    float GetLowestHeight() const { return m_LowestHeight; }
    float GetHighestHeight() const { return m_HighestHeight; }
    const kaPlane& GetCellWall(int index) const { return m_CellWalls[index]; }
    int32_t GetLayerCount() const { return int32_t(m_Layers.size()); }
    const kaTerrainLayer* GetLayer(int32_t index) const;
    const std::string& GetBaseTexturePath() const { return m_BaseTexturePath; }
    const std::string& GetDetailTexturePath() const { return m_DetailTexturePath; }
    float GetDetailStretch() const { return m_DetailStretch; }
    // The quad's base tile; null without one.
    kaTexture* GetTileTexture(int32_t qx, int32_t qz) const;

    // Sets the grid points under the box (x and z; y is not read) to the height, in place: every copy of a
    // point in the quads' buffers, the neighbours' shared borders included, and its normals. Exact takes the
    // grid points from the box's first cell up to its last; otherwise two more columns and rows at the far
    // sides. A height that is not a number changes nothing; others are held to what 16 bits can store.
    void FlattenArea(float height, const platform::Vector3& boxMin, const platform::Vector3& boxMax,
                     bool exact);

    // The terrain owns decals given to it. RemoveDecal deletes one; false when it is not the terrain's.
    void AddDecal(kaTerrainDecal* decal);
    bool RemoveDecal(kaTerrainDecal* decal);
    int32_t GetDecalCount() const { return int32_t(m_Decals.size()); }
    // Unique to this terrain object for the process's life: holders of its decals tell a replaced terrain
    // from this one even when the new one lands at the same address.
    uint64_t GetSerial() const { return m_Serial; }
    kaTerrainDecal* GetDecal(int32_t index) const;

    // A flat textured frame around the terrain at the edge base height; becomes the edge mesh.
    void BuildEdgePanels(const std::string& texturePath);
    // Rings of coarser ground around a layered terrain, textured by the first layer; becomes the edge mesh.
    // Nothing without layers or quads.
    void BuildLayeredEdgeApron();
    kaMesh* GetEdgeMesh() const { return m_pEdgeMesh.get(); }
    const std::string& GetEdgePanelPath() const { return m_EdgePanelPath; }

    // Quads along one side for a sample count: ceil((samples - 1) / 32).
    static int32_t QuadCountFor(int32_t samples);

private:
    struct _QuadExtent
    {
        int32_t firstColumn;
        int32_t firstRow;
        int32_t cellsAcross;
        int32_t cellsDown;
    };
    // The plane of one of cell (col, row)'s triangles (0: the one at the cell's low corner), normal up.
    void _GatherVisibleQuads();
    kaPlane _TrianglePlane(int32_t col, int32_t row, int triangle) const;
    // Rows are spaced by length over the row count; on square cells that is the cell size.
    float _RowStep() const;
    _QuadExtent _ExtentOf(int32_t qx, int32_t qz) const;
    void _ClearQuads();
    void _LayerPass(class kaLayeredTerrainQuad& quad, const _QuadExtent& extent,
                    const std::vector<bool>& usable) const;
    std::vector<bool> _UsableLayers() const;
    void _FillSingleLayerQuad(kaTerrainQuad& quad, const _QuadExtent& extent, uint32_t fvf,
                              std::vector<float>& scratch) const;
    void _MakeBaseTiles();
    void _ApplySingleLayerTextures();
    struct _Rows;
    // The height-map rows and the layers' masks; true when anything changed, which calls for new heights.
    bool _ApplyHeightMapRows(const _Rows& rows);
    // Layer textures and stretches, rewritten in the quads when they are not about to be rebuilt.
    bool _ApplyLayerRows(const _Rows& rows, bool rewriteInPlace);
    // Rewrites every quad copy of the sample's vertex from its position and normal.
    void _WriteSampleToQuads(int32_t col, int32_t row);
    void _RenderEdgeMesh();

    int32_t m_QuadColumns = 0;
    int32_t m_QuadRows = 0;
    std::vector<std::unique_ptr<kaTerrainQuad>> m_Quads;
    // Refilled every frame; it keeps its room, so drawing allocates only on the first frame.
    std::vector<kaTerrainQuad*> m_VisibleQuads;
    float m_HeightScale = 0.0f;
    float m_Width = 0.0f;
    float m_Length = 0.0f;
    float m_Height = 0.0f;
    int32_t m_Columns = 0;
    int32_t m_Rows = 0;
    bool m_VertexLighting = false;
    std::vector<uint16_t> m_Heights;
    std::string m_HeightMapPath;
    float m_EdgeBaseHeight = 0.0f;
    float m_LowestHeight = 0.0f;
    float m_HighestHeight = 0.0f;
    kaPlane m_CellWalls[4];
    float m_CellSize = 0.0f;
    int32_t m_Layered = 0;
    std::vector<platform::Vector3> m_Positions;
    std::vector<platform::Vector3> m_Normals;

    std::vector<std::unique_ptr<kaTerrainLayer>> m_Layers;
    std::string m_BaseTexturePath;
    std::unique_ptr<kaImage> m_pBaseImage;
    float m_BaseImageWidth = 0.0f;
    std::string m_DetailTexturePath;
    float m_DetailStretch = 0.0f;
    std::vector<kaTexture*> m_TileTextures;

    std::vector<std::unique_ptr<kaTerrainDecal>> m_Decals;
    uint64_t m_Serial;
    std::unique_ptr<kaMesh> m_pEdgeMesh;
    std::string m_EdgePanelPath;

    Kind m_Kind = Kind::HeightFieldOnly;
    bool m_HeightsEdited = false;
};
