// Building a mesh from a model file: subsets per material, collision primitives and decal regions.
#include "engine/model/KM_GeoObject.h"
#include "engine/model/KM_Material.h"
#include "engine/model/KM_MaterialList.h"
#include "engine/model/KM_MessageBox.h"
#include "engine/model/KM_Model.h"
#include "engine/model/KM_Primitive.h"
#include "engine/model/KM_Stream.h"
#include "engine/model/KM_Texture.h"
#include "engine/model/KM_TextureList.h"
#include "engine/model/TriangleStrips.h"
#include "engine/model/kaBoxPrimitive.h"
#include "engine/model/kaCappedCylinderPrimitive.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaSpherePrimitive.h"
#include "engine/model/kaTriMeshPrimitive.h"

#include "engine/core/kaFileSystem.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaTextureStage.h"
#include "engine/render/kaVertexBuffer.h"

#include "platform/system/DebugOutput.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define KA_CORNERS_SSE41 1
#endif

using platform::DebugPrintf;
using platform::Vector3;

namespace
{

constexpr float kHalfPi = 1.57079633f;
constexpr size_t kPrefixLength = 13;

// Working arrays of subset building, kept from one subset and mesh to the next so that a build allocates
// only what the subset keeps; arrays grown past kScratchKeep bytes are let go after use.
struct SubsetScratch
{
    std::vector<uint32_t> slot;
    std::vector<uint32_t> order;
    std::vector<uint16_t> indices;
    std::vector<uint8_t> bytes;
    std::vector<uint32_t> corners;
};

thread_local SubsetScratch t_Scratch;
constexpr size_t kScratchKeep = 1u << 20;

template <typename T> void TrimScratch(std::vector<T>& values)
{
    if (values.capacity() * sizeof(T) > kScratchKeep)
        std::vector<T>().swap(values);
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// The triangles of an index run, as three indices each: a list in threes, a strip in overlapping
// triples whose every second one is turned back; triangles with a repeated vertex join strips and are
// skipped.
template <typename Visit>
void ForEachTriangle(const uint16_t* indices, uint32_t count, bool strip, Visit visit)
{
    if (!strip)
    {
        for (uint32_t t = 0; t + 2 < count; t += 3)
            visit(indices[t], indices[t + 1], indices[t + 2]);
        return;
    }
    for (uint32_t t = 0; t + 2 < count; ++t)
    {
        const uint16_t a = indices[t], b = indices[t + 1], c = indices[t + 2];
        if (a == b || b == c || a == c)
            continue;
        if (t % 2 == 0)
            visit(a, b, c);
        else
            visit(a, c, b);
    }
}

// Corners meet their vertices in order when each is at most the next number not yet used, `next`, which
// a corner equal to it moves on by one. Writes each corner's low 16 bits on the way; from and next carry
// on from an earlier call, and outOfOrder only ever turns true.
void CheckCornerRun(const uint32_t* read, uint16_t* written, size_t from, size_t count, uint32_t& next,
                    bool& outOfOrder)
{
    uint32_t running = next;
    bool late = false;
    // No branch on each corner: whether a corner is new follows no pattern a predictor learns.
    for (size_t i = from; i < count; ++i)
    {
        const uint32_t corner = read[i];
        written[i] = static_cast<uint16_t>(corner);
        late |= corner > running;
        running += corner == running;
    }
    next = running;
    outOfOrder = outOfOrder || late;
}

#if defined(KA_CORNERS_SSE41)
// While the corners are in order, the next number before a corner is one past the largest corner before
// it (0 at the start), so four corners are checked at once against a running maximum of corner + 1: the
// chain from one corner to the next is then one maximum per four.
__attribute__((target("sse4.1"))) inline void CheckFour(__m128i corners, __m128i& next, __m128i& inOrder)
{
    // Each lane's corner + 1, then the largest of those up to and including the lane.
    const __m128i past = _mm_add_epi32(corners, _mm_set1_epi32(1));
    __m128i upTo = _mm_max_epu32(past, _mm_slli_si128(past, 4));
    upTo = _mm_max_epu32(upTo, _mm_slli_si128(upTo, 8));
    // The next number before each lane: the running one, or one past a corner earlier in the four.
    const __m128i before = _mm_max_epu32(_mm_slli_si128(upTo, 4), next);
    inOrder = _mm_and_si128(inOrder, _mm_cmpeq_epi32(_mm_max_epu32(corners, before), before));
    next = _mm_max_epu32(next, _mm_shuffle_epi32(upTo, _MM_SHUFFLE(3, 3, 3, 3)));
}

// Eight corners at a time; answers how many it took (a multiple of eight). Chosen at run time, so the
// build still runs on processors without SSE4.1.
__attribute__((target("sse4.1"))) size_t CheckCornersSse41(const uint32_t* read, uint16_t* written,
                                                           size_t count, uint32_t& next, bool& outOfOrder)
{
    __m128i running = _mm_set1_epi32(static_cast<int32_t>(next));
    __m128i inOrder = _mm_set1_epi32(-1);
    size_t i = 0;
    for (; i + 8 <= count; i += 8)
    {
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(read + i));
        const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(read + i + 4));
        CheckFour(first, running, inOrder);
        CheckFour(second, running, inOrder);
        // Saturated past 16 bits; a run that reaches them is dropped before its indices are used.
        _mm_storeu_si128(reinterpret_cast<__m128i*>(written + i), _mm_packus_epi32(first, second));
    }
    next = static_cast<uint32_t>(_mm_cvtsi128_si32(running));
    outOfOrder = outOfOrder || _mm_movemask_epi8(inOrder) != 0xFFFF;
    return i;
}

bool HasSse41()
{
    static const bool has = __builtin_cpu_supports("sse4.1");
    return has;
}
#endif

// Whether the corners meet their vertices in order, with the count of vertices they then use; each
// corner's low 16 bits go to written.
bool CornersInOrder(const uint32_t* read, uint16_t* written, size_t count, uint32_t& used)
{
    uint32_t next = 0;
    bool outOfOrder = false;
    size_t done = 0;
#if defined(KA_CORNERS_SSE41)
    if (HasSse41())
        done = CheckCornersSse41(read, written, count, next, outOfOrder);
#endif
    CheckCornerRun(read, written, done, count, next, outOfOrder);
    used = next;
    return !outOfOrder;
}

// Where the fields of the render vertices are read from as they are packed.
struct PackSource
{
    const float* positions = nullptr;
    const float* normals = nullptr;
    const uint32_t* colors = nullptr;
    size_t colorCount = 0;
    // Each set's coordinates and how many vertices they cover; a vertex past them gets (0, 0).
    const float* setCoords[kaMesh::kMaxPackedSets] = {};
    size_t setVertices[kaMesh::kMaxPackedSets] = {};
};

// The running min and max of positions, compared as a reader of the written vertices compares them
// (std::min and std::max, lane by lane) so that the extents agree.
class PositionBounds
{
public:
    explicit PositionBounds(const float* first)
    {
#if defined(__SSE2__)
        m_Low = m_High = Load(first);
#else
        for (int axis = 0; axis < 3; ++axis)
            m_Low[axis] = m_High[axis] = first[axis];
#endif
    }

    void Add(const float* position)
    {
#if defined(__SSE2__)
        // minps(p, low) takes p only when p < low, as std::min(low, p) does; maxps likewise.
        const __m128 p = Load(position);
        m_Low = _mm_min_ps(p, m_Low);
        m_High = _mm_max_ps(p, m_High);
#else
        for (int axis = 0; axis < 3; ++axis)
        {
            m_Low[axis] = std::min(m_Low[axis], position[axis]);
            m_High[axis] = std::max(m_High[axis], position[axis]);
        }
#endif
    }

    void Get(Vector3& min, Vector3& max) const
    {
#if defined(__SSE2__)
        float low[4], high[4];
        _mm_storeu_ps(low, m_Low);
        _mm_storeu_ps(high, m_High);
#else
        const float* low = m_Low;
        const float* high = m_High;
#endif
        min = Vector3(low[0], low[1], low[2]);
        max = Vector3(high[0], high[1], high[2]);
    }

private:
#if defined(__SSE2__)
    // x and y in one 8-byte load, z in a second: a 16-byte load could reach past the last position.
    static __m128 Load(const float* p)
    {
        const __m128 xy = _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
        return _mm_movelh_ps(xy, _mm_load_ss(p + 2));
    }

    __m128 m_Low;
    __m128 m_High;
#else
    float m_Low[3];
    float m_High[3];
#endif
};

// The vertices in order, each position, normal, colour and sets as the format has them; min and max over
// the positions. One copy per format, so that the loop carries no test of what the format holds; and one
// for runs whose every vertex has its colour and coordinates, which then needs no test of each vertex.
template <bool kNormals, bool kColors, uint32_t kSets, bool kCovered>
void PackRun(const PackSource& source, const uint32_t* order, size_t count, uint8_t* out, Vector3& min,
             Vector3& max)
{
    const float zero[2] = {0.0f, 0.0f};
    PositionBounds bounds(source.positions + 3 * static_cast<size_t>(order[0]));
    for (size_t k = 0; k < count; ++k)
    {
        const size_t v = order[k];
        const float* position = source.positions + 3 * v;
        bounds.Add(position);
        std::memcpy(out, position, 3 * sizeof(float));
        out += 3 * sizeof(float);
        if (kNormals)
        {
            std::memcpy(out, source.normals + 3 * v, 3 * sizeof(float));
            out += 3 * sizeof(float);
        }
        if (kColors)
        {
            const uint32_t color = kCovered || v < source.colorCount ? source.colors[v] : 0xFFFFFFFF;
            std::memcpy(out, &color, sizeof(color));
            out += sizeof(color);
        }
        for (uint32_t set = 0; set < kSets; ++set)
        {
            const float* uv = kCovered || v < source.setVertices[set] ? source.setCoords[set] + 2 * v : zero;
            std::memcpy(out, uv, 2 * sizeof(float));
            out += 2 * sizeof(float);
        }
    }
    bounds.Get(min, max);
}

using PackFunction = void (*)(const PackSource&, const uint32_t*, size_t, uint8_t*, Vector3&, Vector3&);

static_assert(kaMesh::kMaxPackedSets == 4, "one packing function per set count");

template <bool kNormals, bool kColors, bool kCovered> struct PackRow
{
    static constexpr PackFunction kBySets[kaMesh::kMaxPackedSets + 1] = {
        &PackRun<kNormals, kColors, 0, kCovered>, &PackRun<kNormals, kColors, 1, kCovered>,
        &PackRun<kNormals, kColors, 2, kCovered>, &PackRun<kNormals, kColors, 3, kCovered>,
        &PackRun<kNormals, kColors, 4, kCovered>};
};

template <bool kCovered> PackFunction ChoosePack(bool normals, bool colors, uint32_t sets)
{
    return normals ? (colors ? PackRow<true, true, kCovered>::kBySets[sets]
                             : PackRow<true, false, kCovered>::kBySets[sets])
                   : (colors ? PackRow<false, true, kCovered>::kBySets[sets]
                             : PackRow<false, false, kCovered>::kBySets[sets]);
}

} // namespace

platform::GfxResult kaMesh::LoadFile()
{
    KM_Stream stream;
    bool opened;
    if (m_HasPendingBytes)
    {
        m_HasPendingBytes = false;
        opened = stream.OpenBytes(std::move(m_PendingBytes), m_FileName, KM_Stream::kBinary);
        m_PendingBytes.clear();
    }
    else
    {
        opened = stream.Open(m_FileName.c_str(), KM_Stream::kBinary);
    }
    if (g_pFileSystem)
        g_pFileSystem->RecordOpenedFile(m_FileName.c_str());
    m_pModel = std::make_unique<KM_Model>(m_FileName.c_str());
    if (!opened || !stream.ReadHeader() || !m_pModel->Read(&stream))
    {
        KM_MessageBox::Show(std::string(kLoadFailedText) + m_FileName, kLoadFailedCaption);
        return platform::GFX_E_FAIL;
    }
    m_pModel->BuildRenderVertices();
    return platform::GFX_OK;
}

void kaMesh::BuildGeoObject(KM_Model& model, int index)
{
    const KM_GeoObject* geo = model.GetGeoObject(index);
    if (!geo)
        return;
    const KM_Mesh& mesh = geo->m_Mesh;
    const KM_Mesh::RenderData& render = mesh.m_Render;

    SetName(geo->m_NodeTM.GetName());
    const KM_NodeTM::Matrix node = geo->m_NodeTM.GetMatrix();
    std::memcpy(m_World.m, node.m, sizeof(m_World.m));
    m_VertexCount = render.vertexCount;
    m_IndexCount = 3 * static_cast<uint32_t>(mesh.m_Faces.size());
    m_TriangleCount = static_cast<uint32_t>(mesh.m_Faces.size());

    const bool hasTexture = !mesh.m_TVertices.empty();
    const uint32_t sets = std::min<uint32_t>(
        kMaxPackedSets, (hasTexture ? 1 : 0) + static_cast<uint32_t>(mesh.m_Channels.size()));
    m_FVF = platform::FVF_XYZ | (sets << platform::FVF_TEXCOUNT_SHIFT);
    if (!render.normals.empty())
        m_FVF |= platform::FVF_NORMAL;
    if (!mesh.m_CVertices.empty())
        m_FVF |= platform::FVF_DIFFUSE;

    if (mesh.m_MaterialRef == -1)
        return;
    const KM_Material* material = model.GetMaterialList().GetMaterial(mesh.m_MaterialRef);
    if (!material)
    {
        DebugPrintf("[kaMesh::BuildGeoObject] : \"%s\" refers to material %d, which %s has not; no subsets\n",
                    geo->GetName().c_str(), mesh.m_MaterialRef, m_FileName.c_str());
        return;
    }
    if (render.vertexCount == 0 || render.indices.size() != 3 * mesh.m_Faces.size())
        return;

    const int subCount = material->GetSubMaterialCount();
    const uint32_t ids = subCount > 0 ? static_cast<uint32_t>(subCount) : 1;
    // One buffer of corners serves every subset in turn; a single subset takes every corner as welded.
    std::vector<uint32_t>& corners = t_Scratch.corners;
    if (ids > 1)
        corners.reserve(render.indices.size());
    for (uint32_t id = 0; id < ids; ++id)
    {
        corners.clear();
        if (ids > 1)
            for (size_t f = 0; f < mesh.m_Faces.size(); ++f)
            {
                const uint32_t faceId = std::min(mesh.m_Faces[f].materialId, ids - 1);
                if (faceId == id)
                    corners.insert(corners.end(), render.indices.begin() + 3 * f,
                                   render.indices.begin() + 3 * f + 3);
            }
        const uint32_t* const used = ids > 1 ? corners.data() : render.indices.data();
        const size_t usedCount = ids > 1 ? corners.size() : render.indices.size();
        if (usedCount == 0)
            continue;
        const kaCountedPtr<kaMeshSubset> owned = kaCountedPtr<kaMeshSubset>::Make();
        kaMeshSubset* subset = owned.Get();
        const std::string& materialName = material->GetName();
        if (subCount > 0)
        {
            // Built in place: the material's name, the separator and the subset's number after it.
            char number[24];
            const size_t digits = static_cast<size_t>(
                std::to_chars(number, number + sizeof(number), m_Subsets.size() + 1).ptr - number);
            std::string& name = subset->m_Name;
            name.reserve(materialName.size() + std::strlen(kSubMaterialText) + digits);
            name.append(materialName).append(kSubMaterialText).append(number, digits);
        }
        else
            subset->m_Name = materialName;
        const KM_Material* source = subCount > 0 ? material->GetSubMaterial(static_cast<int>(id)) : material;
        _ApplyMaterial(*subset, source ? *source : *material, mesh, geo->m_ShadeVerts != 1);
        BuildSubsetBuffers(owned, mesh, used, usedCount);
    }
    TrimScratch(t_Scratch.slot);
    TrimScratch(t_Scratch.order);
    TrimScratch(t_Scratch.indices);
    TrimScratch(t_Scratch.bytes);
    TrimScratch(t_Scratch.corners);
}

uint32_t kaMesh::_PackedSetCount() const
{
    return std::min<uint32_t>(kMaxPackedSets,
                              (m_FVF & platform::FVF_TEXCOUNT_MASK) >> platform::FVF_TEXCOUNT_SHIFT);
}

uint32_t kaMesh::_PackedVertexSize() const
{
    const uint32_t sets = _PackedSetCount();
    return 3 * sizeof(float) + ((m_FVF & platform::FVF_NORMAL) ? 3 * sizeof(float) : 0) +
           ((m_FVF & platform::FVF_DIFFUSE) ? sizeof(uint32_t) : 0) + sets * 2 * sizeof(float);
}

void kaMesh::_PackVertices(const KM_Mesh& mesh, const std::vector<uint32_t>& order, uint32_t largest,
                           uint8_t* out, Vector3& min, Vector3& max) const
{
    if (order.empty())
        return;
    const KM_Mesh::RenderData& render = mesh.m_Render;
    const uint32_t sets = _PackedSetCount();
    // Without texture vertices channel 0 holds zeros and the sets start at the first extra channel.
    const size_t firstChannel = mesh.m_TVertices.empty() ? 1 : 0;
    PackSource source;
    source.positions = render.positions.data();
    source.normals = render.normals.data();
    source.colors = render.colors.data();
    source.colorCount = render.colors.size();
    for (uint32_t set = 0; set < sets; ++set)
    {
        const size_t channel = firstChannel + set;
        if (channel < render.texCoords.size())
        {
            source.setCoords[set] = render.texCoords[channel].data();
            source.setVertices[set] = render.texCoords[channel].size() / 2;
        }
    }
    const bool normals = (m_FVF & platform::FVF_NORMAL) != 0;
    const bool colors = (m_FVF & platform::FVF_DIFFUSE) != 0;
    bool covered = !colors || largest < source.colorCount;
    for (uint32_t set = 0; set < sets; ++set)
        covered = covered && largest < source.setVertices[set];
    const PackFunction pack =
        covered ? ChoosePack<true>(normals, colors, sets) : ChoosePack<false>(normals, colors, sets);
    pack(source, order.data(), order.size(), out, min, max);
}

void kaMesh::_WriteSubsetVertices(kaMeshSubset& subset, const KM_Mesh& mesh,
                                  const std::vector<uint32_t>& order, uint32_t largest) const
{
    const size_t bytes = order.size() * static_cast<size_t>(_PackedVertexSize());
    Vector3 min, max;
    // Packed straight into the system-memory copy, which the managed copy then takes whole.
    if (g_pGraphicsManager->GetVertexStride(subset.m_SysVertexBuffer) == _PackedVertexSize())
        if (auto* packed = static_cast<uint8_t*>(
                g_pGraphicsManager->LockVertexBuffer(subset.m_SysVertexBuffer, platform::LOCK_DISCARD)))
        {
            _PackVertices(mesh, order, largest, packed, min, max);
            if (void* managed =
                    g_pGraphicsManager->LockVertexBuffer(subset.m_VertexBuffer, platform::LOCK_DISCARD))
            {
                std::memcpy(managed, packed, bytes);
                g_pGraphicsManager->UnlockVertexBuffer(subset.m_VertexBuffer);
            }
            g_pGraphicsManager->UnlockVertexBuffer(subset.m_SysVertexBuffer);
            subset.SetExtents(min, max);
            return;
        }
    // A copy that cannot be written in place takes the bytes through a scratch block.
    std::vector<uint8_t>& scratch = t_Scratch.bytes;
    scratch.resize(bytes);
    _PackVertices(mesh, order, largest, scratch.data(), min, max);
    subset.WriteVertices(scratch.data(), static_cast<uint32_t>(bytes));
    subset.ComputeExtents();
}

void kaMesh::BuildSubsetBuffers(kaMeshSubset* subset, const KM_Mesh& mesh, const uint32_t* corners,
                                size_t cornerCount)
{
    BuildSubsetBuffers(kaCountedPtr<kaMeshSubset>(subset), mesh, corners, cornerCount);
}

void kaMesh::BuildSubsetBuffers(const kaCountedPtr<kaMeshSubset>& owned, const KM_Mesh& mesh,
                                const uint32_t* corners, size_t cornerCount)
{
    kaMeshSubset* subset = owned.Get();
    const KM_Mesh::RenderData& render = mesh.m_Render;
    // The render vertices the corners use, in ascending order, and where each lands among them: read off
    // the corners when they meet the vertices in order, else through a table of the render vertices.
    if (cornerCount == 0)
        return;
    SubsetScratch& scratch = t_Scratch;
    std::vector<uint32_t>& slot = scratch.slot;
    std::vector<uint32_t>& order = scratch.order;
    order.clear();
    // Corners that meet their vertices in order, each new one the next number (as welding numbers them),
    // use every vertex up to the last: each keeps its number and no table is needed. Until a strip build
    // renumbers them. The indices are written while that is checked; a run past 16 bits is dropped below,
    // before they are used.
    std::vector<uint16_t>& indices = scratch.indices;
    indices.resize(cornerCount);
    uint16_t* const written = indices.data();
    uint32_t next = 0;
    const bool inOrder = CornersInOrder(corners, written, cornerCount, next);
    bool keepNumbers = inOrder && next <= render.vertexCount;
    if (keepNumbers)
    {
        order.resize(next);
        for (uint32_t vertex = 0; vertex < next; ++vertex)
            order[vertex] = vertex;
    }
    else
    {
        constexpr uint32_t kUnused = UINT32_MAX;
        // Marked and bounded in the same pass; a corner past the render vertices drops the subset.
        slot.assign(render.vertexCount, kUnused);
        uint32_t largest = 0;
        for (size_t c = 0; c < cornerCount; ++c)
        {
            const uint32_t corner = corners[c];
            if (corner >= render.vertexCount)
                return;
            slot[corner] = 0;
            largest = std::max(largest, corner);
        }
        slot.resize(static_cast<size_t>(largest) + 1);
        // order[k]: the render vertex that becomes buffer vertex k; the distinct ones ascending.
        for (uint32_t vertex = 0; vertex < slot.size(); ++vertex)
            if (slot[vertex] != kUnused)
            {
                slot[vertex] = static_cast<uint32_t>(order.size());
                order.push_back(vertex);
            }
    }
    const size_t distinctCount = order.size();
    if (distinctCount > kMaxIndexedVertices)
    {
        DebugPrintf(
            "[kaMesh::BuildSubsetBuffers] : \"%s\" needs %zu vertices, more than 16-bit indices reach; "
            "dropped\n",
            subset->m_Name.c_str(), distinctCount);
        return;
    }
    if (!keepNumbers)
        for (size_t i = 0; i < cornerCount; ++i)
            written[i] = static_cast<uint16_t>(slot[corners[i]]);
    // Ascending until a strip build renumbers them.
    bool ascending = true;
    bool strip = false;
    if (m_BuildOptions >= 1)
    {
        SetStripCacheSize(kStripCacheSize);
        SetStripMinLength(0);
        SetStripStitching(true);
        SetStripListsOnly((m_BuildOptions & kBuildStrips) == 0);
        std::vector<StripGroup> groups =
            BuildTriangleStrips(indices.data(), static_cast<uint32_t>(indices.size()));
        std::vector<int> oldToNew;
        if (m_BuildOptions & kBuildReorderVertices)
            groups = RemapStripIndices(groups, static_cast<uint32_t>(distinctCount), &oldToNew);
        if (groups.size() == 1)
        {
            indices = std::move(groups.front().m_Indices);
            strip = groups.front().m_Type == StripGroup::kTriangleStrip;
            if (!oldToNew.empty())
            {
                const int used = *std::max_element(oldToNew.begin(), oldToNew.end()) + 1;
                std::vector<uint32_t> remapped(static_cast<size_t>(std::max(used, 0)), 0);
                for (size_t old = 0; old < oldToNew.size(); ++old)
                    if (oldToNew[old] >= 0)
                        remapped[static_cast<size_t>(oldToNew[old])] = order[old];
                order.swap(remapped);
                keepNumbers = false;
                ascending = false;
            }
        }
        else
            DebugPrintf("[kaMesh::BuildSubsetBuffers] : \"%s\" gave %zu strip groups; kept as a list\n",
                        subset->m_Name.c_str(), groups.size());
        if (strip)
            m_Strip = true;
    }

    const uint32_t n = static_cast<uint32_t>(order.size());
    const uint32_t indexCount = static_cast<uint32_t>(indices.size());
    if (!g_pGraphicsManager || n == 0 || indexCount < 3)
        return;
    g_pGraphicsManager->CreateVertexBuffer(subset->m_VertexBuffer, n, m_FVF, platform::POOL_MANAGED);
    g_pGraphicsManager->CreateVertexBuffer(subset->m_SysVertexBuffer, n, m_FVF, platform::POOL_SYSTEMMEM);
    g_pGraphicsManager->CreateIndexBuffer(subset->m_IndexBuffer, indexCount, platform::POOL_MANAGED);
    g_pGraphicsManager->CreateIndexBuffer(subset->m_SysIndexBuffer, indexCount, platform::POOL_SYSTEMMEM);
    if (!subset->m_VertexBuffer || !subset->m_SysVertexBuffer || !subset->m_IndexBuffer ||
        !subset->m_SysIndexBuffer)
    {
        DebugPrintf("[kaMesh::BuildSubsetBuffers] : No buffers for \"%s\"; dropped\n",
                    subset->m_Name.c_str());
        return;
    }
    subset->m_FirstVertex = 0;
    subset->m_VertexCount = n;
    subset->m_IndexCount = indexCount;
    subset->m_Strip = strip;
    subset->m_PrimitiveCount = strip ? indexCount - 2 : indexCount / 3;
    _WriteSubsetVertices(*subset, mesh, order,
                         ascending ? order.back() : *std::max_element(order.begin(), order.end()));
    // Both index runs were made exactly this long, so each is written whole.
    for (kaResourceHandle handle : {subset->m_IndexBuffer, subset->m_SysIndexBuffer})
        if (void* target = g_pGraphicsManager->LockIndexBuffer(handle, platform::LOCK_DISCARD))
        {
            std::memcpy(target, indices.data(), static_cast<size_t>(indexCount) * sizeof(uint16_t));
            g_pGraphicsManager->UnlockIndexBuffer(handle);
        }
    // Each buffer vertex maps to the file vertex of the render vertex it was made from.
    std::vector<uint32_t>& sourceMap = subset->m_SourceVertexMap;
    if (keepNumbers && n <= render.sourceVertex.size())
        sourceMap.assign(render.sourceVertex.begin(), render.sourceVertex.begin() + n);
    else
    {
        sourceMap.resize(n);
        for (uint32_t k = 0; k < n; ++k)
            sourceMap[k] = order[k] < render.sourceVertex.size() ? render.sourceVertex[order[k]] : 0;
    }
    m_Subsets.push_back(owned);
}

void kaMesh::BuildPrimitive(KM_Model& model, int index)
{
    const KM_Primitive* source = model.GetPrimitive(index);
    if (!source)
        return;
    const Vector3 offset(source->m_Offset[0], source->m_Offset[1], source->m_Offset[2]);
    const platform::Quaternion rotation(source->m_Rotation[0], source->m_Rotation[1], source->m_Rotation[2],
                                        source->m_Rotation[3]);
    const std::string& name = source->GetName();
    std::unique_ptr<kaCollisionPrimitive> primitive;
    switch (source->m_PrimitiveType)
    {
    case 0:
    {
        auto box = std::make_unique<kaBoxPrimitive>(StartsWith(name, kVertexBoxPrefix)
                                                        ? kaCollisionPrimitive::kVertexBox
                                                        : kaCollisionPrimitive::kBox);
        box->m_Rotation = rotation;
        box->m_Width = std::fabs(source->m_Width);
        box->m_Length = source->m_Length;
        box->m_Height = std::fabs(source->m_Height);
        box->m_Trigger = StartsWith(name, kTriggerPrefix);
        primitive = std::move(box);
        break;
    }
    case 1:
    {
        auto sphere = std::make_unique<kaSpherePrimitive>();
        sphere->m_Radius = source->m_Radius;
        primitive = std::move(sphere);
        break;
    }
    case 2:
    {
        auto cylinder = std::make_unique<kaCappedCylinderPrimitive>();
        cylinder->m_Radius = source->m_Radius;
        cylinder->m_Length = std::fabs(source->m_Height);
        cylinder->m_Rotation = rotation;
        primitive = std::move(cylinder);
        break;
    }
    case KM_Primitive::kTriangleMesh:
    {
        auto soup = std::make_unique<kaTriMeshPrimitive>();
        soup->m_Vertices.reserve(source->m_Vertices.size());
        soup->m_Faces.reserve(source->m_Indices.size());
        soup->m_FaceVectors.reserve(source->m_Indices.size());
        for (const KM_Point3& v : source->m_Vertices)
            soup->m_Vertices.emplace_back(v.x, v.y, v.z);
        const size_t vertexCount = soup->m_Vertices.size();
        for (size_t f = 0; f < source->m_Indices.size(); ++f)
        {
            const KM_Primitive::IndexRecord& record = source->m_Indices[f];
            // A face past the vertices would send the physics reading beyond them.
            if (record.a >= vertexCount || record.b >= vertexCount || record.c >= vertexCount)
            {
                DebugPrintf("[kaMesh::BuildPrimitive] : \"%s\" face %zu is past its vertices; skipped\n",
                            name.c_str(), f);
                continue;
            }
            soup->m_Faces.push_back({record.a, record.b, record.c});
            const KM_Point3 extra = f < source->m_IndexExtras.size() ? source->m_IndexExtras[f] : KM_Point3();
            soup->m_FaceVectors.emplace_back(extra.x, extra.y, extra.z);
        }
        soup->ComputeBounds();
        primitive = std::move(soup);
        break;
    }
    default:
        return;
    }
    primitive->m_Position = offset;
    primitive->m_Name = name;
    m_Primitives.push_back(std::move(primitive));
}

void kaMesh::BuildVertexBoxes()
{
    for (const std::unique_ptr<kaCollisionPrimitive>& primitive : m_Primitives)
    {
        if (primitive->m_Type != kaCollisionPrimitive::kVertexBox)
            continue;
        const std::string key = primitive->m_Name.size() > kPrefixLength - 1
                                    ? primitive->m_Name.substr(kPrefixLength)
                                    : primitive->m_Name;
        if (m_DecalRegions.count(key))
            continue;
        kaCountedPtr<kaMeshSubset> region =
            _CutDecalRegion(static_cast<const kaBoxPrimitive&>(*primitive), key);
        if (region)
            m_DecalRegions.emplace(key, region);
    }
}

kaCountedPtr<kaMeshSubset> kaMesh::_CutDecalRegion(const kaBoxPrimitive& box, const std::string& key) const
{
    if (!g_pGraphicsManager)
        return kaCountedPtr<kaMeshSubset>();
    platform::Matrix tilt, turn, frame, inverse;
    platform::MatrixRotationX(&tilt, -kHalfPi);
    platform::MatrixRotationQuaternion(&turn, &box.m_Rotation);
    platform::MatrixMultiply(&frame, &tilt, &turn);
    frame.m[3][0] = box.m_Position.x;
    frame.m[3][1] = box.m_Position.y;
    frame.m[3][2] = box.m_Position.z;
    if (!platform::MatrixInverse(&inverse, nullptr, &frame))
        return kaCountedPtr<kaMeshSubset>();
    const float halfWidth = box.m_Width * 0.5f;
    const float halfHeight = box.m_Height * 0.5f;
    const float depth = std::fabs(box.m_Length);

    struct DecalVertex
    {
        float position[3];
        float normal[3];
        uint32_t color;
        float uv[2];
    };
    static_assert(sizeof(DecalVertex) == 36, "the decal vertex format");
    // Kept from one region to the next, as the subsets' buffers are; let go when grown large.
    thread_local std::vector<DecalVertex> t_Copied;
    thread_local std::vector<uint8_t> t_Where;
    std::vector<DecalVertex>& copied = t_Copied;
    std::vector<uint8_t>& where = t_Where;
    copied.clear();

    for (const kaCountedPtr<kaMeshSubset>& subset : m_Subsets)
    {
        const uint32_t fvf = g_pGraphicsManager->GetVertexFVF(subset->m_SysVertexBuffer);
        const kaVertexBuffer::Layout layout = kaVertexBuffer::ComputeLayout(fvf);
        if (!(fvf & platform::FVF_NORMAL) || layout.positionSize != 12)
            continue;
        const auto* vertices =
            static_cast<const uint8_t*>(g_pGraphicsManager->LockVertexBuffer(subset->m_SysVertexBuffer));
        const auto* indices =
            static_cast<const uint16_t*>(g_pGraphicsManager->LockIndexBuffer(subset->m_SysIndexBuffer));
        const uint32_t run = subset->m_FirstVertex + subset->m_VertexCount;
        // Whether each vertex lies in the box, worked out once for all the triangles that share it:
        // 0 not yet, 1 outside, 2 inside.
        where.assign(vertices && indices ? run : 0, 0);
        const auto isInside = [&](uint16_t v)
        {
            if (where[v] == 0)
            {
                Vector3 p, local;
                std::memcpy(&p, vertices + static_cast<size_t>(v) * layout.stride, 12);
                platform::Vec3TransformCoord(&local, &p, &inverse);
                where[v] = std::fabs(local.x) < halfWidth && std::fabs(local.y) < halfHeight &&
                                   local.z > 0.0f && local.z < depth
                               ? 2
                               : 1;
            }
            return where[v] == 2;
        };
        if (vertices && indices)
            ForEachTriangle(indices, subset->m_IndexCount, subset->m_Strip,
                            [&](uint16_t a, uint16_t b, uint16_t c)
                            {
                                if (a >= run || b >= run || c >= run)
                                    return;
                                const uint16_t corner[3] = {a, b, c};
                                bool inside[3];
                                for (int i = 0; i < 3; ++i)
                                    inside[i] = isInside(corner[i]);
                                if (!inside[0] && !inside[1] && !inside[2])
                                    return;
                                for (int i = 0; i < 3; ++i)
                                {
                                    const uint8_t* vertex =
                                        vertices + static_cast<size_t>(corner[i]) * layout.stride;
                                    DecalVertex out{};
                                    std::memcpy(out.position, vertex, 12);
                                    std::memcpy(out.normal, vertex + layout.normalOffset, 12);
                                    // A format without texture coordinates gives (0, 0).
                                    if (layout.texCoordBytes >= 8)
                                        std::memcpy(out.uv, vertex + layout.texCoordOffset, 8);
                                    out.color = inside[i] ? kDecalInside : kDecalOutside;
                                    copied.push_back(out);
                                }
                            });
        if (indices)
            g_pGraphicsManager->UnlockIndexBuffer(subset->m_SysIndexBuffer);
        if (vertices)
            g_pGraphicsManager->UnlockVertexBuffer(subset->m_SysVertexBuffer);
    }
    TrimScratch(where);
    if (copied.empty())
        return kaCountedPtr<kaMeshSubset>();
    if (copied.size() > kMaxIndexedVertices)
    {
        DebugPrintf(
            "[kaMesh::BuildVertexBoxes] : Region \"%s\" needs %zu vertices, more than 16-bit indices reach; "
            "dropped\n",
            key.c_str(), copied.size());
        TrimScratch(copied);
        return kaCountedPtr<kaMeshSubset>();
    }

    const uint32_t count = static_cast<uint32_t>(copied.size());
    kaCountedPtr<kaMeshSubset> region = kaCountedPtr<kaMeshSubset>::Make();
    region->m_Name = key;
    g_pGraphicsManager->CreateVertexBuffer(region->m_VertexBuffer, count, kDecalFVF, platform::POOL_MANAGED);
    g_pGraphicsManager->CreateVertexBuffer(region->m_SysVertexBuffer, count, kDecalFVF,
                                           platform::POOL_SYSTEMMEM);
    g_pGraphicsManager->CreateIndexBuffer(region->m_IndexBuffer, count, platform::POOL_MANAGED);
    g_pGraphicsManager->CreateIndexBuffer(region->m_SysIndexBuffer, count, platform::POOL_SYSTEMMEM);
    region->m_FirstVertex = 0;
    region->m_VertexCount = region->m_IndexCount = count;
    region->m_PrimitiveCount = count / 3;
    std::vector<uint16_t>& sequence = t_Scratch.indices;
    sequence.resize(count);
    for (uint32_t i = 0; i < count; ++i)
        sequence[i] = static_cast<uint16_t>(i);
    region->WriteVertices(copied.data(), count * static_cast<uint32_t>(sizeof(DecalVertex)));
    region->WriteIndices(sequence.data(), count);
    TrimScratch(sequence);
    // The extents of the positions just written, without reading them back; a region whose system copy
    // could not be made reads as empty, as a read-back would find it.
    if (region->m_SysVertexBuffer)
    {
        Vector3 min(copied[0].position[0], copied[0].position[1], copied[0].position[2]), max = min;
        for (const DecalVertex& vertex : copied)
        {
            const Vector3 p(vertex.position[0], vertex.position[1], vertex.position[2]);
            min = Vector3(std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z));
            max = Vector3(std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z));
        }
        region->SetExtents(min, max);
    }
    else
        region->ComputeExtents();
    TrimScratch(copied);
    return region;
}

void kaMesh::_ApplyMaterial(kaMeshSubset& subset, const KM_Material& material, const KM_Mesh& mesh,
                            bool ambientFromVertexColor) const
{
    kaRenderState& state = *subset.GetRenderState();
    state.m_BackFaceCull = mesh.m_BackfaceCull != 0;
    state.m_BlendMode =
        material.m_Shading == kAdditiveShading ? kaRenderState::kBlendAdd : kaRenderState::kBlendNormal;
    for (int i = 0; i < material.GetTextureCount(); ++i)
    {
        const KM_Texture* map = material.GetTexture(i);
        if (!map)
            continue;
        switch (map->m_MapKind)
        {
        case kDiffuseMap:
        {
            const KM_TextureList* mixed =
                map->m_Class == std::string_view(kMixMapClass) ? map->GetSubTextures() : nullptr;
            if (mixed && mixed->GetCount() > 0)
            {
                for (int k = 0; k < std::min(kMixMaps, static_cast<int>(mixed->GetCount())); ++k)
                    if (const KM_Texture* part = mixed->GetTexture(k))
                        _AddMapStage(subset, *part, kaTextureStage::kMixFirst + static_cast<uint32_t>(k));
            }
            else
                _AddMapStage(subset, *map, kaTextureStage::kModulate);
            break;
        }
        case kSelfIllumMap:
            _AddMapStage(subset, *map, kaTextureStage::kModulateSelf);
            break;
        case kReflectMap:
            _AddMapStage(subset, *map, kaTextureStage::kEnvironmentMap);
            break;
        case kOpacityMap:
            state.m_AlphaBlend = true;
            state.m_SortAlpha = map->m_Amount != 1.0f;
            break;
        default:
            break;
        }
    }

    const KM_Material::Color diffuse = material.GetDiffuse();
    const float alpha = 1.0f - material.m_Transparency;
    state.SetDiffuse(diffuse.r, diffuse.g, diffuse.b, alpha);
    if (alpha < 1.0f)
        state.m_AlphaBlend = state.m_SortAlpha = true;
    state.SetPower(material.m_Shine * 100.0f);
    const KM_Material::Color specular = material.GetSpecular();
    const float strength = material.m_ShineStrength;
    state.SetSpecular(specular.r * strength, specular.g * strength, specular.b * strength, specular.a);
    if (!mesh.m_CVertices.empty())
    {
        state.m_AmbientFromVertexColor = ambientFromVertexColor;
        if (ambientFromVertexColor)
            state.m_Lighting = false;
    }
    else
    {
        const KM_Material::Color ambient = material.GetAmbient();
        state.SetAmbient(ambient.r, ambient.g, ambient.b, ambient.a);
    }
}

void kaMesh::_AddMapStage(kaMeshSubset& subset, const KM_Texture& map, uint32_t blendType) const
{
    if (map.m_Bitmap.empty() || !g_pGraphicsManager)
        return;
    // Exporters write whole paths; only the file name is looked for, under the graphics folder. A plain
    // loop: find_last_of searches its set once per character.
    size_t nameStart = map.m_Bitmap.size();
    while (nameStart > 0 && map.m_Bitmap[nameStart - 1] != '\\' && map.m_Bitmap[nameStart - 1] != '/')
        --nameStart;
    const std::string& folder = g_pGraphicsManager->GetGraphicsPath();
    // The name is only asked for (a loaded texture keeps its own copy): one buffer serves every stage.
    static thread_local std::string path;
    path.assign(folder).append(map.m_Bitmap, nameStart, std::string::npos);
    // Mapping channel 1 is the first texture set; channel 0, or one past the sets the vertices carry,
    // would name a set that is not there.
    const uint32_t sets = (m_FVF & platform::FVF_TEXCOUNT_MASK) >> platform::FVF_TEXCOUNT_SHIFT;
    const uint32_t wanted = map.m_MapChannel > 0 ? map.m_MapChannel - 1 : 0;
    const uint32_t set = sets == 0 ? 0 : std::min(wanted, sets - 1);
    subset.GetRenderState()->AddTextureFromFile(path, false, 0, blendType, set, false, false, 0);
}
