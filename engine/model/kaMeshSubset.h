#pragma once

#include "engine/render/kaDrawRecord.h"
#include "engine/render/kaResourceHandle.h"

#include "platform/gfx/GfxTypes.h"

#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector3.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform
{
class GfxVertexDeclaration;
}
class kaEffect;
class kaRenderState;

// One run of indexed triangles of a mesh with its own buffers. The geometry is kept twice: the managed
// pair is drawn, the system-memory pair is what the CPU reads.
class kaMeshSubset
{
public:
    static constexpr platform::GfxColor kNormalColor = 0xFFFF0000;

    kaMeshSubset();
    // Whether a copy makes its own index runs or holds a reference on the source's. Nothing writes a
    // subset's indices once its mesh is built, so a copy that only changes vertices can share them.
    enum class IndexRuns
    {
        kCopied,
        kShared
    };

    // Deep copy: every buffer the source has is made again with the same contents.
    kaMeshSubset(const kaMeshSubset& copy);
    // The same, with the index runs copied or shared as asked.
    kaMeshSubset(const kaMeshSubset& copy, IndexRuns indexRuns);
    kaMeshSubset& operator=(const kaMeshSubset&) = delete;
    virtual ~kaMeshSubset();

    // One vertex per index of the source, in index order; the indices become 0, 1, 2, ...
    void CopyUnindexed(const kaMeshSubset& source);

    // Deletes the block held so far and takes ownership of the new one.
    void SetRenderState(kaRenderState* renderState);
    kaRenderState* GetRenderState() const { return m_pRenderState; }
    // What the renderer's queues need to draw the subset later in the frame.
    kaDrawRecord GetDrawRecord() const;

    // Min, max, centre and half-diagonal radius over the vertices of the system-memory copy.
    void ComputeExtents();
    // The same from a min and max already found by whoever wrote the vertices.
    void SetExtents(const platform::Vector3& min, const platform::Vector3& max);
    // The largest distance from the centre to a vertex; 0 without vertices.
    float ComputeRadius(const platform::Vector3& centre) const;
    // Planar texture coordinates over the subset's extents, for 36-byte decal vertices.
    void ProjectTexCoords();
    // Queues one debug line per vertex along its normal.
    void DrawNormals(const platform::Matrix& matrix) const;
    void ReleaseBuffers();
    void FreeSourceVertexMap() { std::vector<uint32_t>().swap(m_SourceVertexMap); }

    // Copies bytes into both vertex runs, or both index runs; nothing past either run.
    bool WriteVertices(const void* data, uint32_t bytes) const;
    bool WriteIndices(const uint16_t* data, uint32_t count) const;
    // The draw's primitive type: a strip or a list.
    uint32_t GetPrimitiveType() const;

    std::string m_Name;
    kaRenderState* m_pRenderState;
    kaEffect* m_pEffect = nullptr;
    platform::GfxVertexDeclaration* m_pDeclaration = nullptr;
    kaResourceHandle m_VertexBuffer = 0;
    kaResourceHandle m_IndexBuffer = 0;
    uint32_t m_FirstVertex = 0;
    uint32_t m_VertexCount = 0;
    uint32_t m_IndexCount = 0;
    uint32_t m_PrimitiveCount = 0;
    kaResourceHandle m_SysVertexBuffer = 0;
    kaResourceHandle m_SysIndexBuffer = 0;
    platform::Vector3 m_Min;
    platform::Vector3 m_Max;
    platform::Vector3 m_Centre;
    float m_Radius = 0.0f;
    std::vector<uint32_t> m_SourceVertexMap;
    // Indices that form one triangle strip instead of a list.
    bool m_Strip = false;

private:
    // Calls visit(position) for each vertex of the system-memory copy; false when it cannot be read.
    template <typename Visit> bool _ForEachPosition(Visit visit) const;
    // The readable index run: the system-memory one, else the managed one.
    kaResourceHandle _ReadableIndices() const { return m_SysIndexBuffer ? m_SysIndexBuffer : m_IndexBuffer; }
    void _CopyCommon(const kaMeshSubset& source);
};
