#include "engine/model/kaSkeleton.h"

#include "engine/core/kaFileSystem.h"
#include "engine/model/KM_FileReader.h"
#include "engine/model/KM_Skeleton.h"
#include "engine/model/KM_Stream.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaMeshSubset.h"
#include "engine/render/kaGraphicsManager.h"
#include "platform/gfx/GfxTypes.h"
#include "platform/system/DebugOutput.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>
#include <utility>

using platform::Matrix;
using platform::Vector3;

namespace
{

// Influences store bone indices in a byte.
constexpr size_t kMaxAddressableBones = 256;
constexpr size_t kLocalBoneCounts = 64;

static_assert(sizeof(Vector3) == 3 * sizeof(float) && std::is_trivially_copyable<Vector3>::value,
              "a vertex's floats are copied straight into the record");

// Positions are the first three floats of a vertex, normals the next three.
inline void ReadBindPose(kaVertexInfluence& record, const uint8_t* vertex, bool hasNormals)
{
    std::memcpy(&record.bindPosition, vertex, sizeof(Vector3));
    if (hasNormals)
        std::memcpy(&record.bindNormal, vertex + sizeof(Vector3), sizeof(Vector3));
}

void AddInfluence(kaVertexInfluence& record, uint8_t bone, float weight)
{
    if (record.count < kaVertexInfluence::kMaxInfluences)
    {
        record.bones[record.count] = bone;
        record.weights[record.count] = weight;
        ++record.count;
        return;
    }
    // Full: the smallest weight gives way, the lowest slot among equals.
    int smallest = 0;
    float smallestWeight = 10.0f;
    for (int slot = 0; slot < kaVertexInfluence::kMaxInfluences; ++slot)
    {
        if (record.weights[slot] < smallestWeight)
        {
            smallestWeight = record.weights[slot];
            smallest = slot;
        }
    }
    record.bones[smallest] = bone;
    record.weights[smallest] = weight;
}

// Most bones are bound by a translation alone. Its inverse is written directly, bit for bit what the
// general inverse gives (a zero stays +0); false for any other matrix, or one the general inverse refuses.
bool InvertTranslation(const Matrix& m, Matrix& inverse)
{
    static const Matrix identity;
    if (std::memcmp(m.m, identity.m, 3 * sizeof(m.m[0])) != 0 ||
        std::memcmp(&m.m[3][3], &identity.m[3][3], sizeof(float)) != 0)
        return false;
    for (int c = 0; c < 3; ++c)
    {
        if (!std::isfinite(m.m[3][c]))
            return false;
    }
    inverse = identity;
    for (int c = 0; c < 3; ++c)
        inverse.m[3][c] = m.m[3][c] == 0.0f ? 0.0f : -m.m[3][c];
    return true;
}

} // namespace

kaSkeleton::kaSkeleton() = default;
kaSkeleton::~kaSkeleton() = default;

std::unique_ptr<KM_Skeleton> kaSkeleton::ReadFile(const std::string& fileName)
{
    // Found by the look-up that reads it.
    KM_Stream stream;
    const bool opened = stream.OpenFound(fileName, KM_Stream::kBinary);
    if (stream.GetPath().empty())
        return nullptr;
    if (g_pFileSystem != nullptr)
        g_pFileSystem->RecordOpenedFile(fileName.c_str());
    return opened ? KM_FileReader::ReadSkeleton(stream) : nullptr;
}

bool kaSkeleton::Load(std::string fileName, const kaMesh* mesh)
{
    const kaMeshSubset* subset = mesh != nullptr ? mesh->GetSubset(0) : nullptr;
    if (subset == nullptr)
    {
        // Bones only, but still bound to this mesh for the cache's sake.
        const bool loaded = LoadWithVertices(std::move(fileName), nullptr);
        if (loaded && mesh != nullptr)
            m_MeshName = mesh->GetName();
        return loaded;
    }
    const std::unique_ptr<KM_Skeleton> file = ReadFile(fileName);
    if (!file)
        return false;
    // The mesh's name is copied once, straight into the skeleton, by _BuildFromMesh.
    MeshVertices vertices;
    vertices.count = subset->m_VertexCount;
    vertices.sourceMap = subset->m_SourceVertexMap.size() >= subset->m_VertexCount
                             ? subset->m_SourceVertexMap.data()
                             : nullptr;
    // The CPU's copy, never the drawn one.
    const kaResourceHandle handle = subset->m_SysVertexBuffer;
    const void* data = nullptr;
    if (handle != 0 && g_pGraphicsManager != nullptr)
    {
        vertices.stride = g_pGraphicsManager->GetVertexStride(handle);
        const uint32_t fvf = g_pGraphicsManager->GetVertexFVF(handle);
        vertices.hasNormals =
            (fvf & platform::FVF_POSITION_MASK) == platform::FVF_XYZ && (fvf & platform::FVF_NORMAL) != 0;
        data = g_pGraphicsManager->LockVertexBuffer(handle);
    }
    if (data == nullptr || vertices.stride < 3 * sizeof(float))
    {
        if (data != nullptr)
            g_pGraphicsManager->UnlockVertexBuffer(handle);
        vertices.count = 0;
        return _BuildFromMesh(*file, std::move(fileName), vertices, *mesh);
    }
    vertices.data = static_cast<const uint8_t*>(data);
    const bool built = _BuildFromMesh(*file, std::move(fileName), vertices, *mesh);
    g_pGraphicsManager->UnlockVertexBuffer(handle);
    return built;
}

bool kaSkeleton::_BuildFromMesh(const KM_Skeleton& file, std::string fileName, const MeshVertices& vertices,
                                const kaMesh& mesh)
{
    const bool built = Build(file, std::move(fileName), &vertices);
    // Build names the mesh wherever it gets past the bones.
    if (!m_Bones.empty())
        m_MeshName = mesh.GetName();
    return built;
}

bool kaSkeleton::LoadWithVertices(std::string fileName, const MeshVertices* mesh)
{
    const std::unique_ptr<KM_Skeleton> file = ReadFile(fileName);
    if (!file)
        return false;
    return Build(*file, std::move(fileName), mesh);
}

bool kaSkeleton::Build(const KM_Skeleton& file, std::string fileName, const MeshVertices* mesh)
{
    m_Bones.clear();
    m_Influences.clear();
    m_VertexCount = 0;
    m_MeshName.clear();
    m_FileName = std::move(fileName);
    // The records held count, not the count the file states.
    if (file.m_Bones.empty())
        return false;
    _BuildBones(file);
    if (mesh == nullptr)
        return true;
    m_MeshName = mesh->meshName;
    if (mesh->count == 0 || mesh->data == nullptr)
        return false;
    m_VertexCount = static_cast<int32_t>(mesh->count);
    bool weighted = false;
    for (const auto& entry : file.m_Bones)
        weighted = weighted || !entry.second.weights.empty();
    if (weighted)
        _BindInfluences(file, *mesh);
    return true;
}

void kaSkeleton::_BuildBones(const KM_Skeleton& file)
{
    m_Bones.resize(file.m_Bones.size());
    size_t index = 0;
    for (const auto& entry : file.m_Bones)
    {
        kaBone& bone = m_Bones[index++];
        bone.name = entry.second.name;
        bone.parentName = entry.second.parentName;
        std::memcpy(bone.offset.m, entry.second.orientation, sizeof(bone.offset.m));
        if (!InvertTranslation(bone.offset, bone.bind) &&
            platform::MatrixInverse(&bone.bind, nullptr, &bone.offset) == nullptr)
            platform::DebugPrintf("[kaSkeleton::Load] : bone %s has a singular matrix\n", bone.name.c_str());
    }
    for (kaBone& bone : m_Bones)
    {
        const int32_t parent = FindBoneIndex(bone.parentName);
        if (parent < 0)
            continue;
        bone.parent = &m_Bones[static_cast<size_t>(parent)];
        bone.parentIndex = parent;
        const Vector3 origin(bone.bind(3, 0), bone.bind(3, 1), bone.bind(3, 2));
        platform::Vec3TransformCoord(&bone.positionInParent, &origin, &bone.parent->offset);
    }
    // Each list is sized once, from the counts, rather than grown child by child.
    // A skeleton's usual few bones are counted on the stack.
    uint32_t localCounts[kLocalBoneCounts] = {};
    std::vector<uint32_t> heapCounts;
    if (m_Bones.size() > kLocalBoneCounts)
        heapCounts.assign(m_Bones.size(), 0);
    uint32_t* const childCounts = heapCounts.empty() ? localCounts : heapCounts.data();
    for (const kaBone& bone : m_Bones)
    {
        if (bone.parentIndex >= 0)
            ++childCounts[static_cast<size_t>(bone.parentIndex)];
    }
    for (size_t b = 0; b < m_Bones.size(); ++b)
        m_Bones[b].children.reserve(childCounts[b]);
    // Visiting children in index order keeps each list in increasing order.
    for (size_t c = 0; c < m_Bones.size(); ++c)
    {
        if (m_Bones[c].parentIndex >= 0)
            m_Bones[static_cast<size_t>(m_Bones[c].parentIndex)].children.push_back(static_cast<int32_t>(c));
    }
}

void kaSkeleton::_BindInfluences(const KM_Skeleton& file, const MeshVertices& mesh)
{
    // Each record is made once, where it stays, and filled while it is still in the cache: the room is
    // taken at its final size, so nothing is cleared first and written again later.
    m_Influences.reserve(mesh.count);
    if (mesh.sourceMap == nullptr)
    {
        for (uint32_t v = 0; v < mesh.count; ++v)
            ReadBindPose(m_Influences.emplace_back(), mesh.data + size_t(v) * mesh.stride, mesh.hasNormals);
        platform::OutputDebugString("[kaSkeleton::Load] : the mesh has no source-vertex map\n");
        return;
    }
    // Source numbers are file vertices, so the table is no larger than the file's vertex list.
    size_t sources = 0;
    for (uint32_t v = 0; v < mesh.count; ++v)
        sources = std::max(sources, size_t(mesh.sourceMap[v]) + 1);
    // The weights of each file vertex, bone by bone as the file lists them, so that every mesh vertex made
    // from it meets them in the file's order: counted into one flat table, where run s starts at runStart[s]
    // and ends where run s + 1 starts. The run starts, the fill positions and the weights (a bone and the
    // weight's bits each) share one block.
    size_t listed = 0;
    for (const auto& entry : file.m_Bones)
        listed += entry.second.weights.size();
    std::vector<uint32_t> table(2 * sources + 1 + 2 * listed, 0);
    uint32_t* const runStart = table.data();
    uint32_t* const next = runStart + sources + 1;
    uint32_t* const bound = next + sources;
    size_t index = 0;
    for (const auto& entry : file.m_Bones)
    {
        const size_t bone = index++;
        if (bone >= kMaxAddressableBones)
        {
            if (!entry.second.weights.empty())
                platform::DebugPrintf("[kaSkeleton::Load] : weights of bone %zu dropped\n", bone);
            continue;
        }
        for (const KM_Skeleton::Weight& weight : entry.second.weights)
        {
            if (weight.vertex >= 0 && static_cast<size_t>(weight.vertex) < sources)
                ++runStart[size_t(weight.vertex) + 1];
        }
    }
    for (size_t s = 1; s <= sources; ++s)
        runStart[s] += runStart[s - 1];
    std::copy(runStart, runStart + sources, next);
    index = 0;
    for (const auto& entry : file.m_Bones)
    {
        const auto bone = static_cast<uint32_t>(index++);
        if (bone >= kMaxAddressableBones)
            break;
        for (const KM_Skeleton::Weight& weight : entry.second.weights)
        {
            if (weight.vertex < 0 || static_cast<size_t>(weight.vertex) >= sources)
                continue;
            uint32_t* const slot = bound + 2 * size_t(next[weight.vertex]++);
            slot[0] = bone;
            std::memcpy(&slot[1], &weight.weight, sizeof(float));
        }
    }
    // The bind pose and the influences of each vertex in one pass, each record made as it is reached.
    const uint8_t* vertex = mesh.data;
    for (uint32_t v = 0; v < mesh.count; ++v, vertex += mesh.stride)
    {
        kaVertexInfluence& record = m_Influences.emplace_back();
        ReadBindPose(record, vertex, mesh.hasNormals);
        const uint32_t* run = runStart + mesh.sourceMap[v];
        for (const uint32_t* slot = bound + 2 * size_t(run[0]); slot != bound + 2 * size_t(run[1]); slot += 2)
        {
            float weight;
            std::memcpy(&weight, &slot[1], sizeof(float));
            AddInfluence(record, static_cast<uint8_t>(slot[0]), weight);
        }
    }
}

const kaBone* kaSkeleton::FindBone(const std::string& name) const
{
    const int32_t index = FindBoneIndex(name);
    return index < 0 ? nullptr : &m_Bones[static_cast<size_t>(index)];
}

int32_t kaSkeleton::FindBoneIndex(const std::string& name) const
{
    for (size_t i = 0; i < m_Bones.size(); ++i)
    {
        if (m_Bones[i].name == name)
            return static_cast<int32_t>(i);
    }
    return -1;
}

bool kaSkeleton::ContainsBone(const kaBone* bone) const
{
    for (const kaBone& own : m_Bones)
    {
        if (&own == bone)
            return true;
    }
    return false;
}

const kaBone* kaSkeleton::GetBone(int32_t index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_Bones.size())
        return nullptr;
    return &m_Bones[static_cast<size_t>(index)];
}
