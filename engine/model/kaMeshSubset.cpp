#include "engine/model/kaMeshSubset.h"

#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaIndexBuffer.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaVertexBuffer.h"
#include "engine/render/kaVertexTypes.h"

#include "platform/gfx/math/Matrix.h"
#include "platform/system/DebugOutput.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

using platform::Vector3;

namespace
{

constexpr float kHalfPi = 1.57079633f;

Vector3 ReadPosition(const uint8_t* vertex)
{
    float p[3];
    std::memcpy(p, vertex, sizeof(p));
    return Vector3(p[0], p[1], p[2]);
}

// The largest squared distance from the centre to the positions at the start of count vertices, 0 for none;
// each distance summed as (dx * dx + dy * dy) + dz * dz, so that every way gives the same bits.
float LargestSquaredDistance(const uint8_t* vertices, uint32_t count, uint32_t stride, const Vector3& centre)
{
    float largest = 0.0f;
    uint32_t i = 0;
#if defined(__SSE2__)
    // Four vertices at a time, a lane each; a vertex of at least 16 bytes is read whole, position first.
    if (stride >= 16 && count >= 4)
    {
        const __m128 cx = _mm_set1_ps(centre.x), cy = _mm_set1_ps(centre.y), cz = _mm_set1_ps(centre.z);
        __m128 best = _mm_setzero_ps();
        for (; i + 4 <= count; i += 4)
        {
            const uint8_t* at = vertices + static_cast<size_t>(i) * stride;
            __m128 x = _mm_loadu_ps(reinterpret_cast<const float*>(at));
            __m128 y = _mm_loadu_ps(reinterpret_cast<const float*>(at + stride));
            __m128 z = _mm_loadu_ps(reinterpret_cast<const float*>(at + 2 * stride));
            __m128 rest = _mm_loadu_ps(reinterpret_cast<const float*>(at + 3 * stride));
            _MM_TRANSPOSE4_PS(x, y, z, rest);
            const __m128 dx = _mm_sub_ps(x, cx), dy = _mm_sub_ps(y, cy), dz = _mm_sub_ps(z, cz);
            const __m128 squared =
                _mm_add_ps(_mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dy, dy)), _mm_mul_ps(dz, dz));
            // Takes the new distance only when it is larger, as std::max(largest, distance) does.
            best = _mm_max_ps(squared, best);
        }
        float lanes[4];
        _mm_storeu_ps(lanes, best);
        for (float lane : lanes)
            largest = std::max(largest, lane);
    }
#endif
    for (; i < count; ++i)
    {
        const Vector3 p = ReadPosition(vertices + static_cast<size_t>(i) * stride);
        const float dx = p.x - centre.x, dy = p.y - centre.y, dz = p.z - centre.z;
        largest = std::max(largest, dx * dx + dy * dy + dz * dz);
    }
    return largest;
}

// A new run of count vertices in the format and pool of the given one; 0 when it cannot be made.
kaResourceHandle NewVertexRunLike(kaResourceHandle like, uint32_t count)
{
    kaResourceHandle handle = 0;
    const kaVertexBuffer* buffer = g_pGraphicsManager->GetVertexBuffer(like);
    if (buffer)
        g_pGraphicsManager->CreateVertexBuffer(handle, count, buffer->GetFVF(), buffer->GetPool());
    return handle;
}

kaResourceHandle NewIndexRunLike(kaResourceHandle like, uint32_t count)
{
    kaResourceHandle handle = 0;
    const kaBuffer* buffer = g_pGraphicsManager->GetIndexBuffer(like);
    if (buffer)
        g_pGraphicsManager->CreateIndexBuffer(handle, count, buffer->GetPool());
    return handle;
}

// The target runs are new and exactly count long: copied whole, they need no clearing first.
void CopyVertexRun(kaResourceHandle from, kaResourceHandle to, uint32_t count)
{
    const uint32_t stride = g_pGraphicsManager->GetVertexStride(from);
    const void* source = g_pGraphicsManager->LockVertexBuffer(from);
    const uint32_t targetFlags = source ? static_cast<uint32_t>(platform::LOCK_DISCARD) : 0u;
    void* target = g_pGraphicsManager->LockVertexBuffer(to, targetFlags);
    if (source && target)
        std::memcpy(target, source, static_cast<size_t>(count) * stride);
    if (target)
        g_pGraphicsManager->UnlockVertexBuffer(to);
    if (source)
        g_pGraphicsManager->UnlockVertexBuffer(from);
}

void CopyIndexRun(kaResourceHandle from, kaResourceHandle to, uint32_t count)
{
    const void* source = g_pGraphicsManager->LockIndexBuffer(from);
    const uint32_t targetFlags = source ? static_cast<uint32_t>(platform::LOCK_DISCARD) : 0u;
    void* target = g_pGraphicsManager->LockIndexBuffer(to, targetFlags);
    if (source && target)
        std::memcpy(target, source, static_cast<size_t>(count) * sizeof(uint16_t));
    if (target)
        g_pGraphicsManager->UnlockIndexBuffer(to);
    if (source)
        g_pGraphicsManager->UnlockIndexBuffer(from);
}

} // namespace

kaMeshSubset::kaMeshSubset() : m_pRenderState(new kaRenderState) {}

kaMeshSubset::kaMeshSubset(const kaMeshSubset& copy) : kaMeshSubset(copy, IndexRuns::kCopied) {}

kaMeshSubset::kaMeshSubset(const kaMeshSubset& copy, IndexRuns indexRuns) : m_pRenderState(nullptr)
{
    _CopyCommon(copy);
    m_VertexCount = copy.m_VertexCount;
    m_IndexCount = copy.m_IndexCount;
    m_PrimitiveCount = copy.m_PrimitiveCount;
    if (!g_pGraphicsManager)
        return;
    const uint32_t vertexRun = copy.m_FirstVertex + copy.m_VertexCount;
    const kaResourceHandle vertexSources[2] = {copy.m_VertexBuffer, copy.m_SysVertexBuffer};
    kaResourceHandle* vertexTargets[2] = {&m_VertexBuffer, &m_SysVertexBuffer};
    const kaResourceHandle indexSources[2] = {copy.m_IndexBuffer, copy.m_SysIndexBuffer};
    kaResourceHandle* indexTargets[2] = {&m_IndexBuffer, &m_SysIndexBuffer};
    for (int i = 0; i < 2; ++i)
    {
        if (vertexSources[i] && (*vertexTargets[i] = NewVertexRunLike(vertexSources[i], vertexRun)))
            CopyVertexRun(vertexSources[i], *vertexTargets[i], vertexRun);
        if (!indexSources[i])
            continue;
        if (indexRuns == IndexRuns::kShared)
        {
            // A reference of its own, given back by ReleaseBuffers like a run of its own.
            if (g_pGraphicsManager->AddRefIndexBuffer(indexSources[i]))
                *indexTargets[i] = indexSources[i];
        }
        else if ((*indexTargets[i] = NewIndexRunLike(indexSources[i], m_IndexCount)))
        {
            CopyIndexRun(indexSources[i], *indexTargets[i], m_IndexCount);
        }
    }
    // The copy keeps the source's vertex numbers, so the run starts where the source's did.
    m_VertexCount = vertexRun;
}

kaMeshSubset::~kaMeshSubset()
{
    ReleaseBuffers();
    delete m_pRenderState;
}

void kaMeshSubset::SetRenderState(kaRenderState* renderState)
{
    if (renderState == m_pRenderState)
        return;
    delete m_pRenderState;
    m_pRenderState = renderState;
}

kaDrawRecord kaMeshSubset::GetDrawRecord() const
{
    kaDrawRecord record;
    record.renderState = m_pRenderState;
    record.vertexBuffer = m_VertexBuffer;
    record.indexBuffer = m_IndexBuffer;
    record.minIndex = m_FirstVertex;
    record.vertexCount = m_VertexCount;
    record.primitiveCount = m_PrimitiveCount;
    return record;
}

void kaMeshSubset::_CopyCommon(const kaMeshSubset& source)
{
    m_Name = source.m_Name;
    SetRenderState(source.m_pRenderState ? new kaRenderState(*source.m_pRenderState) : nullptr);
    m_SourceVertexMap = source.m_SourceVertexMap;
    m_pEffect = source.m_pEffect;
    m_pDeclaration = source.m_pDeclaration;
    m_Min = source.m_Min;
    m_Max = source.m_Max;
    m_Centre = source.m_Centre;
    m_Radius = source.m_Radius;
    m_Strip = source.m_Strip;
    m_FirstVertex = 0;
}

void kaMeshSubset::CopyUnindexed(const kaMeshSubset& source)
{
    ReleaseBuffers();
    _CopyCommon(source);
    m_VertexCount = m_IndexCount = source.m_IndexCount;
    m_PrimitiveCount = source.m_PrimitiveCount;
    if (!g_pGraphicsManager || m_IndexCount == 0)
        return;

    const kaResourceHandle sourceIndices = source._ReadableIndices();
    const auto* indices = static_cast<const uint16_t*>(g_pGraphicsManager->LockIndexBuffer(sourceIndices));
    const uint32_t sourceRun = source.m_FirstVertex + source.m_VertexCount;
    const kaResourceHandle vertexSources[2] = {source.m_VertexBuffer, source.m_SysVertexBuffer};
    kaResourceHandle* vertexTargets[2] = {&m_VertexBuffer, &m_SysVertexBuffer};
    for (int i = 0; i < 2; ++i)
    {
        if (!vertexSources[i] || !(*vertexTargets[i] = NewVertexRunLike(vertexSources[i], m_IndexCount)))
            continue;
        const uint32_t stride = g_pGraphicsManager->GetVertexStride(vertexSources[i]);
        const auto* from =
            static_cast<const uint8_t*>(g_pGraphicsManager->LockVertexBuffer(vertexSources[i]));
        auto* to = static_cast<uint8_t*>(g_pGraphicsManager->LockVertexBuffer(*vertexTargets[i]));
        if (from && to)
            for (uint32_t k = 0; k < m_IndexCount; ++k)
            {
                // An index past the source's run would read beyond it: that vertex stays zero.
                if (indices && indices[k] < sourceRun)
                    std::memcpy(to + static_cast<size_t>(k) * stride,
                                from + static_cast<size_t>(indices[k]) * stride, stride);
                else
                    std::memset(to + static_cast<size_t>(k) * stride, 0, stride);
            }
        if (to)
            g_pGraphicsManager->UnlockVertexBuffer(*vertexTargets[i]);
        if (from)
            g_pGraphicsManager->UnlockVertexBuffer(vertexSources[i]);
    }
    if (indices)
        g_pGraphicsManager->UnlockIndexBuffer(sourceIndices);

    std::vector<uint16_t> sequence(m_IndexCount);
    for (uint32_t k = 0; k < m_IndexCount; ++k)
        sequence[k] = static_cast<uint16_t>(k);
    const kaResourceHandle indexSources[2] = {source.m_IndexBuffer, source.m_SysIndexBuffer};
    kaResourceHandle* indexTargets[2] = {&m_IndexBuffer, &m_SysIndexBuffer};
    for (int i = 0; i < 2; ++i)
        if (indexSources[i])
            *indexTargets[i] = NewIndexRunLike(indexSources[i], m_IndexCount);
    WriteIndices(sequence.data(), m_IndexCount);
}

template <typename Visit> bool kaMeshSubset::_ForEachPosition(Visit visit) const
{
    if (!g_pGraphicsManager || !m_SysVertexBuffer)
        return false;
    const uint32_t stride = g_pGraphicsManager->GetVertexStride(m_SysVertexBuffer);
    const auto* data = static_cast<const uint8_t*>(g_pGraphicsManager->LockVertexBuffer(m_SysVertexBuffer));
    if (!data)
        return false;
    for (uint32_t i = m_FirstVertex; i < m_FirstVertex + m_VertexCount; ++i)
        visit(ReadPosition(data + static_cast<size_t>(i) * stride));
    g_pGraphicsManager->UnlockVertexBuffer(m_SysVertexBuffer);
    return true;
}

void kaMeshSubset::ComputeExtents()
{
    bool first = true;
    const bool read = _ForEachPosition(
        [&](const Vector3& p)
        {
            if (first)
            {
                m_Min = m_Max = p;
                first = false;
                return;
            }
            m_Min = Vector3(std::min(m_Min.x, p.x), std::min(m_Min.y, p.y), std::min(m_Min.z, p.z));
            m_Max = Vector3(std::max(m_Max.x, p.x), std::max(m_Max.y, p.y), std::max(m_Max.z, p.z));
        });
    if (!read || first)
        m_Min = m_Max = Vector3();
    SetExtents(m_Min, m_Max);
}

void kaMeshSubset::SetExtents(const Vector3& min, const Vector3& max)
{
    m_Min = min;
    m_Max = max;
    const Vector3 size(m_Max.x - m_Min.x, m_Max.y - m_Min.y, m_Max.z - m_Min.z);
    m_Radius = 0.5f * std::sqrt(size.x * size.x + size.y * size.y + size.z * size.z);
    m_Centre = Vector3(m_Min.x + size.x * 0.5f, m_Min.y + size.y * 0.5f, m_Min.z + size.z * 0.5f);
}

float kaMeshSubset::ComputeRadius(const Vector3& centre) const
{
    if (!g_pGraphicsManager || !m_SysVertexBuffer)
        return 0.0f;
    const uint32_t stride = g_pGraphicsManager->GetVertexStride(m_SysVertexBuffer);
    const auto* data = static_cast<const uint8_t*>(g_pGraphicsManager->LockVertexBuffer(m_SysVertexBuffer));
    if (!data)
        return 0.0f;
    const float largest = LargestSquaredDistance(data + static_cast<size_t>(m_FirstVertex) * stride,
                                                 m_VertexCount, stride, centre);
    g_pGraphicsManager->UnlockVertexBuffer(m_SysVertexBuffer);
    return std::sqrt(largest);
}

void kaMeshSubset::ProjectTexCoords()
{
    if (!g_pGraphicsManager || !m_SysVertexBuffer)
        return;
    const kaVertexBuffer::Layout layout =
        kaVertexBuffer::ComputeLayout(g_pGraphicsManager->GetVertexFVF(m_SysVertexBuffer));
    if (layout.positionSize != 12 || layout.texCoordBytes < 8)
        return;

    const Vector3 size(m_Max.x - m_Min.x, m_Max.y - m_Min.y, m_Max.z - m_Min.z);
    platform::Matrix rotation;
    platform::MatrixIdentity(&rotation);
    float firstExtent = size.x;
    float secondExtent = size.z;
    if (size.y <= size.x && size.y <= size.z)
    {
    }
    else if (size.x <= size.z)
    {
        platform::MatrixRotationZ(&rotation, -kHalfPi);
        firstExtent = size.y;
    }
    else
    {
        platform::MatrixRotationX(&rotation, -kHalfPi);
        secondExtent = size.y;
    }
    // A flat extent would divide by zero: the coordinates then stay at the middle.
    const float uScale = firstExtent > 0.0f ? 1.0f / (firstExtent * 0.5f) : 0.0f;
    const float vScale = secondExtent > 0.0f ? 1.0f / (secondExtent * 0.5f) : 0.0f;

    auto* data = static_cast<uint8_t*>(g_pGraphicsManager->LockVertexBuffer(m_SysVertexBuffer));
    if (!data)
        return;
    const uint32_t run = m_FirstVertex + m_VertexCount;
    for (uint32_t i = m_FirstVertex; i < run; ++i)
    {
        uint8_t* vertex = data + static_cast<size_t>(i) * layout.stride;
        const Vector3 p = ReadPosition(vertex);
        // Centred first, so that the rotated point is centred too.
        const Vector3 moved(p.x - m_Centre.x, p.y - m_Centre.y, p.z - m_Centre.z);
        Vector3 rotated;
        platform::Vec3TransformCoord(&rotated, &moved, &rotation);
        const float uv[2] = {rotated.x * uScale + 0.5f, rotated.z * vScale + 0.5f};
        std::memcpy(vertex + layout.texCoordOffset, uv, sizeof(uv));
    }
    if (m_VertexBuffer)
        if (void* managed = g_pGraphicsManager->LockVertexBuffer(m_VertexBuffer))
        {
            std::memcpy(managed, data, static_cast<size_t>(run) * layout.stride);
            g_pGraphicsManager->UnlockVertexBuffer(m_VertexBuffer);
        }
    g_pGraphicsManager->UnlockVertexBuffer(m_SysVertexBuffer);
}

void kaMeshSubset::DrawNormals(const platform::Matrix& matrix) const
{
    if (!g_pGraphicsManager || !m_SysVertexBuffer)
        return;
    const kaVertexBuffer::Layout layout =
        kaVertexBuffer::ComputeLayout(g_pGraphicsManager->GetVertexFVF(m_SysVertexBuffer));
    if (layout.positionSize != 12 || layout.normalOffset == 0)
        return;
    const auto* data = static_cast<const uint8_t*>(g_pGraphicsManager->LockVertexBuffer(m_SysVertexBuffer));
    if (!data)
        return;
    std::vector<VERTEX_WORLDPOS_DIFFUSE> lines;
    lines.reserve(2 * static_cast<size_t>(m_VertexCount));
    for (uint32_t i = m_FirstVertex; i < m_FirstVertex + m_VertexCount; ++i)
    {
        const uint8_t* vertex = data + static_cast<size_t>(i) * layout.stride;
        const Vector3 p = ReadPosition(vertex);
        const Vector3 n = ReadPosition(vertex + layout.normalOffset);
        const Vector3 tip(p.x + n.x, p.y + n.y, p.z + n.z);
        Vector3 ends[2];
        platform::Vec3TransformCoord(&ends[0], &p, &matrix);
        platform::Vec3TransformCoord(&ends[1], &tip, &matrix);
        for (const Vector3& end : ends)
            lines.push_back({end.x, end.y, end.z, kNormalColor});
    }
    g_pGraphicsManager->UnlockVertexBuffer(m_SysVertexBuffer);
    if (!lines.empty())
        g_pGraphicsManager->QueueDebugPrimitive(std::move(lines), true);
}

void kaMeshSubset::ReleaseBuffers()
{
    if (g_pGraphicsManager)
    {
        if (m_VertexBuffer)
            g_pGraphicsManager->ReleaseVertexBuffer(m_VertexBuffer);
        if (m_SysVertexBuffer)
            g_pGraphicsManager->ReleaseVertexBuffer(m_SysVertexBuffer);
        if (m_IndexBuffer)
            g_pGraphicsManager->ReleaseIndexBuffer(m_IndexBuffer);
        if (m_SysIndexBuffer)
            g_pGraphicsManager->ReleaseIndexBuffer(m_SysIndexBuffer);
    }
    m_VertexBuffer = m_SysVertexBuffer = m_IndexBuffer = m_SysIndexBuffer = 0;
    m_pEffect = nullptr;
}

bool kaMeshSubset::WriteVertices(const void* data, uint32_t bytes) const
{
    if (!g_pGraphicsManager || !data)
        return false;
    bool written = false;
    for (kaResourceHandle handle : {m_VertexBuffer, m_SysVertexBuffer})
    {
        if (!handle)
            continue;
        const uint64_t capacity = static_cast<uint64_t>(m_FirstVertex + m_VertexCount) *
                                  g_pGraphicsManager->GetVertexStride(handle);
        if (void* target = g_pGraphicsManager->LockVertexBuffer(handle))
        {
            std::memcpy(target, data, static_cast<size_t>(std::min<uint64_t>(bytes, capacity)));
            g_pGraphicsManager->UnlockVertexBuffer(handle);
            written = true;
        }
    }
    return written;
}

bool kaMeshSubset::WriteIndices(const uint16_t* data, uint32_t count) const
{
    if (!g_pGraphicsManager || !data)
        return false;
    bool written = false;
    for (kaResourceHandle handle : {m_IndexBuffer, m_SysIndexBuffer})
    {
        if (!handle)
            continue;
        if (void* target = g_pGraphicsManager->LockIndexBuffer(handle))
        {
            std::memcpy(target, data, static_cast<size_t>(std::min(count, m_IndexCount)) * sizeof(uint16_t));
            g_pGraphicsManager->UnlockIndexBuffer(handle);
            written = true;
        }
    }
    return written;
}

uint32_t kaMeshSubset::GetPrimitiveType() const
{
    return m_Strip ? platform::PT_TRIANGLESTRIP : platform::PT_TRIANGLELIST;
}
