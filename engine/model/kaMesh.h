#pragma once

#include "engine/core/kaCountedPtr.h"
#include "engine/model/kaBoundingBox.h"
#include "engine/model/kaMeshSubset.h"
#include "engine/render/ka3DObject.h"

#include "platform/gfx/GfxTypes.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform
{
class GfxDevice;
}
class KM_Light;
class KM_Material;
class KM_Mesh;
class KM_Model;
class KM_Texture;
class kaBoxPrimitive;
class kaCollisionPrimitive;

// Drawable geometry: subsets of indexed triangles, each with its own buffers, made from a model file or
// from sizes that the caller then fills. Loaded meshes are shared; instances draw them with their own
// matrices.
class kaMesh : public ka3DObject
{
public:
    static constexpr uint32_t kFromFile = 0;
    static constexpr uint32_t kFromSizes = 1;
    static constexpr int kMaxLightNodes = 32;
    // Build-option bits: strips instead of lists, and vertices renumbered in order of first use.
    static constexpr uint32_t kBuildReorderVertices = 0x1;
    static constexpr uint32_t kBuildStrips = 0x10;
    static constexpr uint32_t kStripCacheSize = 24;
    static constexpr uint32_t kDecalFVF = 0x152;
    static constexpr uint32_t kMaxIndexedVertices = 65536;
    static constexpr const char* kVertexBoxPrefix = "PRIM_VERTBOX_";
    static constexpr const char* kTriggerPrefix = "PRIM_TRIGGER_";
    static constexpr const char* kSubMaterialText = " submaterial ";
    static constexpr const char* kRawSubsetName = "RAW";
    static constexpr const char* kLoadFailedText = "Failed to load mesh ";
    static constexpr const char* kLoadFailedCaption = "KMF Viewer";
    static constexpr platform::GfxColor kDecalInside = 0xFFFFFFFF;
    static constexpr platform::GfxColor kDecalOutside = 0x00FFFFFF;
    static constexpr uint32_t kAdditiveShading = 3;
    static constexpr const char* kMixMapClass = "Mix";
    // Map kinds that give texture stages.
    static constexpr uint32_t kDiffuseMap = 1;
    static constexpr uint32_t kSelfIllumMap = 5;
    static constexpr uint32_t kOpacityMap = 6;
    static constexpr uint32_t kReflectMap = 9;
    static constexpr int kMixMaps = 3;
    // The texture sets a file mesh's vertices carry: its format never asks for more.
    static constexpr uint32_t kMaxPackedSets = 4;

    kaMesh();
    kaMesh(uint32_t fvf, uint32_t triangles, uint32_t vertices, uint32_t subsets, bool sharedVertices);
    // Reads and builds the file; a file that fails leaves the mesh without subsets.
    explicit kaMesh(const std::string& fileName, uint32_t buildOptions = 0);
    kaMesh(const kaMesh& copy);
    // A copy whose subsets copy or share their source's index runs, as asked.
    kaMesh(const kaMesh& copy, kaMeshSubset::IndexRuns indexRuns);
    kaMesh& operator=(const kaMesh&) = delete;
    ~kaMesh() override;

    // ka3DObject slots.
    uint8_t* GetClassId(uint8_t* buffer) const override;
    void Render(uint32_t flag) override;
    void PrefetchForRender(int level) const override { PrefetchDraw(level - 1); }
    kaBoundingBox* GetBoundingBox() override { return &m_WorldBox; }
    void Initialize() override {}
    void ReleaseDeviceObjects() override {}
    void CreateDeviceObjects() override {}
    void UpdateTransform() override;
    virtual bool IsMesh() const { return true; }

    void CopySubsetsFrom(const kaMesh& source);
    // Appends a subset built by the caller, for meshes assembled piece by piece.
    void AddSubset(const kaCountedPtr<kaMeshSubset>& subset) { m_Subsets.push_back(subset); }
    void CreateBuffers();
    // Copies the subset's vertices or indices into both of its copies; out-of-range subsets do nothing.
    void SetVertices(const void* vertices, uint32_t subset);
    void SetIndices(const uint16_t* indices, uint32_t subset);
    // The vertex size of a mesh format; 0 for a format a mesh cannot hold.
    static uint32_t GetVertexSize(uint32_t fvf);

    kaMeshSubset* GetSubset(uint32_t index) const;
    kaMeshSubset* FindSubset(const std::string& name) const;
    uint32_t GetSubsetCount() const { return static_cast<uint32_t>(m_Subsets.size()); }
    kaCollisionPrimitive* GetPrimitive(int index) const;
    int GetPrimitiveCount() const { return static_cast<int>(m_Primitives.size()); }
    // For a mesh made in code: its collision volumes.
    void AddPrimitive(std::unique_ptr<kaCollisionPrimitive> primitive);
    KM_Light* GetLightNode(int index) const;
    int GetLightNodeCount() const { return static_cast<int>(m_LightNodes.size()); }
    // Null when no region has that key.
    kaMeshSubset* GetDecalRegion(const std::string& key) const;
    size_t GetDecalRegionCount() const { return m_DecalRegions.size(); }

    // The member of every subset's render state.
    void SetLighting(bool lighting);
    void SetZWrite(bool zWrite);
    void SetZTest(bool zTest);

    void DrawSubset(platform::GfxDevice* device, kaMeshSubset* subset, const platform::Matrix& world);
    // What drawing the subsets reads, by level: 0 the mesh's own fields, 1 its subset list, 2 the subsets,
    // 3 their buffer run records, and from 3 up their render states' levels. Each level follows only
    // pointers the level before fetched.
    void PrefetchDraw(int level) const;

    void ComputeBounds();
    // The box of the local bounds (the mesh's own unless min and max are given) through the matrix.
    void TransformBounds(kaBoundingBox& box, const platform::Matrix& matrix,
                         const platform::Vector3* localMin, const platform::Vector3* localMax) const;
    void FreeSourceVertexMaps();

    // The mesh's source file path; empty for a mesh made from sizes.
    std::string GetName() const { return m_FileName; }
    uint32_t GetFVF() const { return m_FVF; }
    uint32_t GetVertexCount() const { return m_VertexCount; }
    uint32_t GetIndexCount() const { return m_IndexCount; }
    uint32_t GetTriangleCount() const { return m_TriangleCount; }
    uint32_t GetSourceKind() const { return m_SourceKind; }
    bool IsStrip() const { return m_Strip; }
    uint32_t GetBuildOptions() const { return m_BuildOptions; }
    const platform::Vector3& GetMin() const { return m_Min; }
    const platform::Vector3& GetMax() const { return m_Max; }
    const platform::Vector3& GetCentre() const { return m_Centre; }
    float GetRadius() const { return m_Radius; }

    // The steps of building from a model file.
    platform::GfxResult LoadFile();
    void BuildGeoObject(KM_Model& model, int index);
    // Takes ownership of the subset.
    void BuildSubsetBuffers(kaMeshSubset* subset, const KM_Mesh& mesh, const uint32_t* corners,
                            size_t cornerCount);
    void BuildSubsetBuffers(const kaCountedPtr<kaMeshSubset>& subset, const KM_Mesh& mesh,
                            const uint32_t* corners, size_t cornerCount);
    void BuildPrimitive(KM_Model& model, int index);
    void BuildVertexBoxes();

private:
    void _CreateSizedSubsets();
    // At most the subsets the model's geometry makes: one per sub-material, or one.
    static size_t _CountFileSubsets(const KM_Model& model);
    void _CopyLights();
    // The subset's render state, from a material.
    void _ApplyMaterial(kaMeshSubset& subset, const KM_Material& material, const KM_Mesh& mesh,
                        bool ambientFromVertexColor) const;
    // One texture stage from a map's bitmap; a map without a file name adds none.
    void _AddMapStage(kaMeshSubset& subset, const KM_Texture& map, uint32_t blendType) const;
    uint32_t _PackedSetCount() const;
    // The vertex size of the mesh's format as _PackVertices writes it.
    uint32_t _PackedVertexSize() const;
    // Vertex bytes of the render vertices in order, in the mesh's format, from `out` on; min and max become
    // the positions' extents (left alone for no vertices). largest is the largest vertex in order.
    void _PackVertices(const KM_Mesh& mesh, const std::vector<uint32_t>& order, uint32_t largest,
                       uint8_t* out, platform::Vector3& min, platform::Vector3& max) const;
    // Writes the subset's vertices into both of its copies, its extents found on the way.
    void _WriteSubsetVertices(kaMeshSubset& subset, const KM_Mesh& mesh, const std::vector<uint32_t>& order,
                              uint32_t largest) const;
    // The mesh's bounds from its subsets' extents as they stand.
    void _CombineBounds();
    kaCountedPtr<kaMeshSubset> _CutDecalRegion(const kaBoxPrimitive& box, const std::string& key) const;

    std::vector<std::unique_ptr<kaCollisionPrimitive>> m_Primitives;
    platform::Vector3 m_Min;
    platform::Vector3 m_Max;
    platform::Vector3 m_Centre;
    float m_Radius = 0.0f;
    kaBoundingBox m_WorldBox;
    std::string m_FileName;
    // The file's bytes, read while its name was looked up, until the first load takes them.
    std::string m_PendingBytes;
    bool m_HasPendingBytes = false;
    uint32_t m_VertexCount = 0;
    uint32_t m_IndexCount = 0;
    uint32_t m_TriangleCount = 0;
    std::vector<kaCountedPtr<kaMeshSubset>> m_Subsets;
    uint32_t m_SourceKind = kFromSizes;
    uint32_t m_FVF = 0;
    std::map<std::string, kaCountedPtr<kaMeshSubset>> m_DecalRegions;
    std::unique_ptr<KM_Model> m_pModel;
    std::vector<std::unique_ptr<KM_Light>> m_LightNodes;
    bool m_Strip = false;
    uint32_t m_BuildOptions = 0;
    uint32_t m_SubsetCount = 1;
    bool m_SharedVertices = false;
};
