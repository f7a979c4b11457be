#include "engine/model/kaModel.h"

#include "engine/core/kaClock.h"
#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/core/kaXmlValues.h"
#include "engine/model/kaAnimation.h"
#include "engine/model/kaAnimationChannel.h"
#include "engine/model/kaAnimationFade.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaMeshSubset.h"
#include "engine/model/kaModelAttachment.h"
#include "engine/model/kaSkeleton.h"
#include "engine/model/kaVertexInfluence.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaTextureStage.h"

#include "platform/gfx/GfxTypes.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

using platform::Matrix;
using platform::Quaternion;
using platform::Vector3;

namespace
{

float Now()
{
    return static_cast<float>(GetTime(5));
}

Vector3 MinOf(const Vector3& a, const Vector3& b)
{
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
}

Vector3 MaxOf(const Vector3& a, const Vector3& b)
{
    return {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
}

Vector3 Translation(const Matrix& m)
{
    return {m(3, 0), m(3, 1), m(3, 2)};
}

Vector3 ReadVec3(const uint8_t* at)
{
    float v[3];
    std::memcpy(v, at, sizeof(v));
    return {v[0], v[1], v[2]};
}

// One float at a time: three 4-byte stores gathered and reread as wider loads would stall the copy.
void WriteVec3(uint8_t* at, const Vector3& value)
{
    std::memcpy(at, &value.x, sizeof(float));
    std::memcpy(at + sizeof(float), &value.y, sizeof(float));
    std::memcpy(at + 2 * sizeof(float), &value.z, sizeof(float));
}

// Positions and, when the format has them, normals are the first floats of each vertex.
bool HasNormals(uint32_t fvf)
{
    return (fvf & platform::FVF_POSITION_MASK) == platform::FVF_XYZ && (fvf & platform::FVF_NORMAL) != 0;
}

// What skinning works in, kept per thread between calls.
struct SkinScratch
{
    std::vector<Matrix> skin;
    std::vector<uint8_t> affine;
    std::vector<uint8_t> copy;
};

constexpr size_t kKeptSkinCopyBytes = 1024 * 1024;
constexpr size_t kAnimationRoom = 8;

#if defined(__SSE2__)
static_assert(offsetof(kaVertexInfluence, bindNormal) == sizeof(Vector3) &&
                  sizeof(kaVertexInfluence) >= 2 * sizeof(Vector3) + sizeof(float),
              "the bind position and normal are each read as four floats from inside the record");

// The first three lanes, one float at a time as WriteVec3 does.
void WriteLanes(uint8_t* at, __m128 value)
{
    const float x = _mm_cvtss_f32(value);
    const float y = _mm_cvtss_f32(_mm_shuffle_ps(value, value, 0x55));
    const float z = _mm_cvtss_f32(_mm_movehl_ps(value, value));
    std::memcpy(at, &x, sizeof(float));
    std::memcpy(at + sizeof(float), &y, sizeof(float));
    std::memcpy(at + 2 * sizeof(float), &z, sizeof(float));
}
#endif

// One vertex skinned by its influences and written. The vector form keeps each lane's sums in the scalar
// order, so both forms give the same bits; a bone whose matrix is not affine goes through the divide by w.
void SkinVertex(const kaVertexInfluence& record, const Matrix* skin, const uint8_t* affine, size_t boneCount,
                uint8_t* vertex, bool normals)
{
#if defined(__SSE2__)
    const __m128 bindPosition = _mm_loadu_ps(&record.bindPosition.x);
    const __m128 bindNormal = _mm_loadu_ps(&record.bindNormal.x);
    const __m128 px = _mm_shuffle_ps(bindPosition, bindPosition, 0x00);
    const __m128 py = _mm_shuffle_ps(bindPosition, bindPosition, 0x55);
    const __m128 pz = _mm_shuffle_ps(bindPosition, bindPosition, 0xaa);
    const __m128 nx = _mm_shuffle_ps(bindNormal, bindNormal, 0x00);
    const __m128 ny = _mm_shuffle_ps(bindNormal, bindNormal, 0x55);
    const __m128 nz = _mm_shuffle_ps(bindNormal, bindNormal, 0xaa);
    __m128 sumPosition = _mm_setzero_ps();
    __m128 sumNormal = _mm_setzero_ps();
    for (int i = 0; i < record.count; ++i)
    {
        const uint8_t bone = record.bones[i];
        if (bone >= boneCount)
            continue;
        const Matrix& m = skin[bone];
        const __m128 row0 = _mm_loadu_ps(m.m[0]);
        const __m128 row1 = _mm_loadu_ps(m.m[1]);
        const __m128 row2 = _mm_loadu_ps(m.m[2]);
        const __m128 weight = _mm_set1_ps(record.weights[i]);
        __m128 moved;
        if (affine[bone])
        {
            moved = _mm_add_ps(
                _mm_add_ps(_mm_add_ps(_mm_mul_ps(px, row0), _mm_mul_ps(py, row1)), _mm_mul_ps(pz, row2)),
                _mm_loadu_ps(m.m[3]));
        }
        else
        {
            Vector3 general;
            platform::Vec3TransformCoord(&general, &record.bindPosition, &m);
            moved = _mm_setr_ps(general.x, general.y, general.z, 0.0f);
        }
        sumPosition = _mm_add_ps(sumPosition, _mm_mul_ps(moved, weight));
        const __m128 turned =
            _mm_add_ps(_mm_add_ps(_mm_mul_ps(nx, row0), _mm_mul_ps(ny, row1)), _mm_mul_ps(nz, row2));
        sumNormal = _mm_add_ps(sumNormal, _mm_mul_ps(turned, weight));
    }
    WriteLanes(vertex, sumPosition);
    if (normals)
        WriteLanes(vertex + 3 * sizeof(float), sumNormal);
#else
    Vector3 position = Vector3();
    Vector3 normal = Vector3();
    for (int i = 0; i < record.count; ++i)
    {
        const uint8_t bone = record.bones[i];
        if (bone >= boneCount)
            continue;
        const Matrix& m = skin[bone];
        Vector3 moved;
        if (affine[bone])
        {
            const Vector3& p = record.bindPosition;
            moved = Vector3(p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
                            p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
                            p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]);
        }
        else
        {
            platform::Vec3TransformCoord(&moved, &record.bindPosition, &m);
        }
        position += moved * record.weights[i];
        platform::Vec3TransformNormal(&moved, &record.bindNormal, &m);
        normal += moved * record.weights[i];
    }
    WriteVec3(vertex, position);
    if (normals)
        WriteVec3(vertex + 3 * sizeof(float), normal);
#endif
}

SkinScratch& ThreadSkinScratch()
{
    thread_local SkinScratch scratch;
    return scratch;
}

// Möller-Trumbore; the parameter along the segment, or a negative value when it misses.
float SegmentTriangle(const Vector3& from, const Vector3& dir, const Vector3& a, const Vector3& b,
                      const Vector3& c)
{
    const Vector3 e1 = b - a;
    const Vector3 e2 = c - a;
    const Vector3 p = platform::Vec3Cross(dir, e2);
    const float det = platform::Vec3Dot(e1, p);
    if (std::fabs(det) < 1e-12f)
        return -1.0f;
    const float inv = 1.0f / det;
    const Vector3 s = from - a;
    const float u = platform::Vec3Dot(s, p) * inv;
    if (u < 0.0f || u > 1.0f)
        return -1.0f;
    const Vector3 q = platform::Vec3Cross(s, e1);
    const float v = platform::Vec3Dot(dir, q) * inv;
    if (v < 0.0f || u + v > 1.0f)
        return -1.0f;
    const float t = platform::Vec3Dot(e2, q) * inv;
    return t >= 0.0f && t <= 1.0f ? t : -1.0f;
}

} // namespace

kaModel::kaModel(kaMesh* mesh) : m_pMesh(mesh)
{
    if (m_pMesh != nullptr)
    {
        m_pMesh->AddRef();
        // The scene-object name, not the mesh's file name.
        const std::string& meshName = static_cast<const ka3DObject*>(m_pMesh)->GetName();
        if (!meshName.empty())
            m_ModelName = meshName + kNameSuffix;
    }
}

kaModel::~kaModel()
{
    m_Attachments.clear();
    m_Boxes.clear();
    m_Channels.clear();
    m_DecalSubsets.clear();
    if (m_pSkinnedMesh != nullptr)
        m_pSkinnedMesh->Release();
    if (m_pMesh != nullptr)
        m_pMesh->Release();
}

uint8_t* kaModel::GetClassId(uint8_t* buffer) const
{
    for (int word = 0; word < 4; ++word)
        for (int i = 0; i < 4; ++i)
            buffer[4 * word + i] = static_cast<uint8_t>(kClassId[word] >> (8 * i));
    return buffer;
}

kaBoundingBox* kaModel::GetBoundingBox()
{
    return m_pMesh != nullptr ? &m_WorldBox : nullptr;
}

// ---------------------------------------------------------------------------------------------------------
// Placement and bounds

void kaModel::SetTransform(const Matrix& matrix)
{
    m_World = matrix;
    if (m_Attachments.empty())
        UpdateBounds();
    else
        UpdateHierarchy();
}

void kaModel::UpdateTransform()
{
    if (m_pMesh == nullptr)
        return;
    ka3DObject::UpdateTransform();
    if (m_Attachments.empty())
        UpdateBounds();
    else
        UpdateHierarchy();
}

void kaModel::GetBounds(Vector3& min, Vector3& max) const
{
    if (m_UseAltBounds)
    {
        min = m_AltMin;
        max = m_AltMax;
    }
    else if (m_pMesh != nullptr)
    {
        min = m_pMesh->GetMin();
        max = m_pMesh->GetMax();
    }
}

void kaModel::ResetAltBounds()
{
    if (m_pMesh == nullptr)
        return;
    m_AltMin = m_pMesh->GetMin();
    m_AltMax = m_pMesh->GetMax();
}

void kaModel::_RadiusFromWorldBox()
{
    m_WorldBox.m_Centre = (m_WorldBox.m_Min + m_WorldBox.m_Max) * 0.5f;
    m_WorldBox.m_Radius = platform::Vec3Length(m_WorldBox.m_Max - m_WorldBox.m_Min) * 0.5f;
}

void kaModel::UpdateBounds()
{
    if (m_pMesh == nullptr)
        return;
    if (m_UseAltBounds)
    {
        m_pMesh->TransformBounds(m_WorldBox, m_World, &m_AltMin, &m_AltMax);
        _RadiusFromWorldBox();
    }
    else
    {
        m_pMesh->TransformBounds(m_WorldBox, m_World, nullptr, nullptr);
    }
}

void kaModel::UpdateHierarchy()
{
    // Each child's bone lands on this instance's bone; the child's box is then in this model space.
    for (const auto& attachment : m_Attachments)
    {
        kaModel* child = attachment->m_pChild;
        const Matrix* childBone = child->GetBoneMatrix(attachment->m_ChildBone);
        const Matrix* parentBone = GetBoneMatrix(attachment->m_ParentBone);
        if (childBone == nullptr || parentBone == nullptr)
            continue;
        Matrix inverse;
        platform::MatrixInverse(&inverse, nullptr, childBone);
        child->SetTransform(inverse * attachment->m_Local * *parentBone);
    }
    if (m_pMesh != nullptr)
    {
        Vector3 min = m_pMesh->GetMin();
        Vector3 max = m_pMesh->GetMax();
        for (const auto& attachment : m_Attachments)
        {
            if (const kaBoundingBox* box = attachment->m_pChild->GetBoundingBox())
            {
                min = MinOf(min, box->m_Min);
                max = MaxOf(max, box->m_Max);
            }
        }
        m_pMesh->TransformBounds(m_WorldBox, m_World, &min, &max);
        _RadiusFromWorldBox();
    }
    for (const auto& attachment : m_Attachments)
    {
        kaModel* child = attachment->m_pChild;
        child->SetTransform(child->GetWorldMatrix() * m_World);
    }
}

// ---------------------------------------------------------------------------------------------------------
// Mesh queries

kaMeshSubset* kaModel::FindSubset(const std::string& name) const
{
    if (m_pSkinnedMesh != nullptr)
        return m_pSkinnedMesh->FindSubset(name);
    return m_pMesh != nullptr ? m_pMesh->FindSubset(name) : nullptr;
}

void kaModel::SetNoSortAlpha()
{
    for (const kaMesh* mesh :
         {static_cast<const kaMesh*>(m_pMesh), static_cast<const kaMesh*>(m_pSkinnedMesh)})
    {
        if (mesh == nullptr)
            continue;
        for (uint32_t i = 0; i < mesh->GetSubsetCount(); ++i)
        {
            if (kaRenderState* state = mesh->GetSubset(i)->GetRenderState())
                state->m_NoDefer = true;
        }
    }
}

bool kaModel::SetSubsetRenderState(const std::string& region, const std::string& textureFile)
{
    const kaMeshSubset* shared = m_pMesh != nullptr ? m_pMesh->GetDecalRegion(region) : nullptr;
    if (shared == nullptr)
        return false;
    kaCountedPtr<kaMeshSubset> own(new kaMeshSubset(*shared));
    if (own->GetRenderState() == nullptr)
        own->SetRenderState(new kaRenderState);
    kaRenderState* state = own->GetRenderState();
    state->AddTextureFromFile(textureFile, false, 0, kaTextureStage::kModulate, 0, false, false, 0);
    state->m_AlphaBlend = true;
    state->m_SortAlpha = true;
    state->m_Lighting = true;
    state->m_BlendMode = kaRenderState::kBlendNormal;
    state->m_ZWrite = true;
    state->m_ZTest = true;
    // Only where the decal lies exactly on the surface already drawn.
    state->m_DepthFunction = platform::CMP_EQUAL;
    state->m_NoDefer = true;
    own->ProjectTexCoords();
    m_DecalSubsets.push_back(own);
    return true;
}

kaCollisionPrimitive* kaModel::GetPrimitive(int index) const
{
    return m_pMesh != nullptr ? m_pMesh->GetPrimitive(index) : nullptr;
}

int kaModel::GetPrimitiveCount() const
{
    return m_pMesh != nullptr ? m_pMesh->GetPrimitiveCount() : 0;
}

KM_Light* kaModel::GetLightNode(int index) const
{
    return m_pMesh != nullptr ? m_pMesh->GetLightNode(index) : nullptr;
}

int kaModel::GetLightNodeCount() const
{
    return m_pMesh != nullptr ? m_pMesh->GetLightNodeCount() : 0;
}

// ---------------------------------------------------------------------------------------------------------
// Attachments, boxes, animations

kaModelAttachment* kaModel::AttachModel(kaModel* child, const std::string& childBone,
                                        const std::string& parentBone)
{
    if (child == nullptr || m_pSkeleton == nullptr)
        return nullptr;
    for (const auto& attachment : m_Attachments)
    {
        if (attachment->m_pChild == child)
            return attachment.get();
    }
    const int32_t parentIndex = m_pSkeleton->FindBoneIndex(parentBone);
    if (parentIndex < 0)
        return nullptr;
    const int32_t childIndex =
        child->m_pSkeleton != nullptr ? child->m_pSkeleton->FindBoneIndex(childBone) : -1;
    if (childIndex < 0)
        return nullptr;
    auto attachment = std::make_unique<kaModelAttachment>(child);
    attachment->m_ParentBone = parentIndex;
    attachment->m_ChildBone = childIndex;
    // The parent's bounds cover the child from now on.
    child->m_AutoTrackBounds = false;
    child->m_UseAltBounds = false;
    m_Attachments.push_back(std::move(attachment));
    return m_Attachments.back().get();
}

const kaModel::Box* kaModel::FindBox(const std::string& name) const
{
    for (const auto& box : m_Boxes)
    {
        if (box->name == name)
            return box.get();
    }
    return nullptr;
}

void kaModel::AddBox(std::unique_ptr<Box> box)
{
    if (box)
        m_Boxes.push_back(std::move(box));
}

void kaModel::AddAnimation(kaAnimation* animation)
{
    if (animation == nullptr)
        return;
    // A descriptor hands its animations over one by one: room for a usual set at once.
    if (m_Animations.size() == m_Animations.capacity())
        m_Animations.reserve(std::max(kAnimationRoom, 2 * m_Animations.size()));
    m_Animations.push_back(animation);
}

// ---------------------------------------------------------------------------------------------------------
// Mesh walk

kaMesh* kaModel::GetNextMesh(bool& more)
{
    if (m_WalkCursor == 0)
    {
        more = !m_Attachments.empty();
        if (more)
            m_WalkCursor = 1;
        return m_pMesh;
    }
    kaModel* child = m_Attachments[m_WalkCursor - 1]->m_pChild;
    bool childMore = false;
    kaMesh* mesh = child->GetNextMesh(childMore);
    if (!childMore)
        ++m_WalkCursor;
    more = true;
    if (m_WalkCursor == m_Attachments.size() + 1)
    {
        m_WalkCursor = 0;
        more = false;
    }
    return mesh;
}

const Matrix& kaModel::GetCurrentMatrix() const
{
    const kaModel* model = this;
    while (model->m_WalkCursor != 0 && model->m_WalkCursor <= model->m_Attachments.size())
        model = model->m_Attachments[model->m_WalkCursor - 1]->m_pChild;
    return model->m_World;
}

// ---------------------------------------------------------------------------------------------------------
// Drawing

Matrix kaModel::_DrawMatrix() const
{
    if (m_Scale == 1.0f)
        return m_World;
    Matrix scaling;
    platform::MatrixScaling(&scaling, m_Scale, m_Scale, m_Scale);
    Matrix draw = m_World * scaling;
    draw(3, 0) = m_World(3, 0);
    draw(3, 1) = m_World(3, 1);
    draw(3, 2) = m_World(3, 2);
    return draw;
}

void kaModel::Render(uint32_t flag)
{
    if (!m_Visible || m_Hidden)
        return;
    if (!m_Hold)
        UpdateAnimation();
    kaMesh* mesh = m_pMesh;
    if (m_Skinned && m_pSkinnedMesh != nullptr && (!m_Channels.empty() || m_Hold))
    {
        UpdateSkin();
        mesh = m_pSkinnedMesh;
    }
    platform::GfxDevice* device = g_pGraphicsManager != nullptr ? g_pGraphicsManager->GetDevice() : nullptr;
    if (mesh != nullptr && device != nullptr)
    {
        const Matrix draw = _DrawMatrix();
        for (uint32_t i = 0; i < mesh->GetSubsetCount(); ++i)
            mesh->DrawSubset(device, mesh->GetSubset(i), draw);
        for (const auto& decal : m_DecalSubsets)
            mesh->DrawSubset(device, decal.Get(), draw);
    }
    for (const auto& attachment : m_Attachments)
        attachment->m_pChild->Render(flag);
    if (m_ShowSkeleton && m_pSkeleton != nullptr)
        _DrawSkeleton();
    ka3DObject::Render(flag);
}

void kaModel::_DrawSkeleton() const
{
    if (g_pGraphicsManager == nullptr)
        return;
    std::vector<VERTEX_WORLDPOS_DIFFUSE> lines;
    const std::vector<kaBone>& bones = m_pSkeleton->GetBones();
    const auto add = [&](const Vector3& point)
    {
        Vector3 world;
        platform::Vec3TransformCoord(&world, &point, &m_World);
        lines.push_back({world.x, world.y, world.z, kSkeletonColor});
    };
    for (size_t b = 0; b < bones.size() && b < m_BoneMatrices.size(); ++b)
    {
        const Vector3 origin = Translation(m_BoneMatrices[b]);
        add(origin);
        const int32_t parent = bones[b].parentIndex;
        if (parent >= 0 && static_cast<size_t>(parent) < m_BoneMatrices.size())
            add(Translation(m_BoneMatrices[static_cast<size_t>(parent)]));
        else
            add(origin + Vector3(0.0f, 1.0f, 0.0f));
    }
    g_pGraphicsManager->QueueDebugPrimitive(std::move(lines), false);
}

void kaModel::DrawNormals()
{
    if (m_pMesh == nullptr)
        return;
    const Matrix draw = _DrawMatrix();
    for (uint32_t i = 0; i < m_pMesh->GetSubsetCount(); ++i)
        m_pMesh->GetSubset(i)->DrawNormals(draw);
}

// ---------------------------------------------------------------------------------------------------------
// Segment test

bool kaModel::_IntersectOwn(const Vector3& from, const Vector3& to, float& nearest, Vector3& point,
                            Vector3& normal) const
{
    const kaMesh* mesh = m_Skinned && m_pSkinnedMesh != nullptr ? m_pSkinnedMesh : m_pMesh;
    if (mesh == nullptr || g_pGraphicsManager == nullptr)
        return false;
    const Matrix draw = _DrawMatrix();
    const Vector3 dir = to - from;
    bool hit = false;
    for (uint32_t s = 0; s < mesh->GetSubsetCount(); ++s)
    {
        const kaMeshSubset* subset = mesh->GetSubset(s);
        const kaResourceHandle vertexHandle =
            subset->m_SysVertexBuffer ? subset->m_SysVertexBuffer : subset->m_VertexBuffer;
        const kaResourceHandle indexHandle =
            subset->m_SysIndexBuffer ? subset->m_SysIndexBuffer : subset->m_IndexBuffer;
        const uint32_t stride = g_pGraphicsManager->GetVertexStride(vertexHandle);
        kaVertexBuffer* vb = g_pGraphicsManager->GetVertexBuffer(vertexHandle);
        kaIndexBuffer* ib = g_pGraphicsManager->GetIndexBuffer(indexHandle);
        if (vb == nullptr || ib == nullptr || stride < 3 * sizeof(float))
            continue;
        const uint32_t vertexCount = subset->m_FirstVertex + subset->m_VertexCount;
        const auto* vertices =
            static_cast<const uint8_t*>(g_pGraphicsManager->LockVertexBuffer(vertexHandle));
        const auto* indices = static_cast<const uint16_t*>(g_pGraphicsManager->LockIndexBuffer(indexHandle));
        if (vertices != nullptr && indices != nullptr)
        {
            const uint32_t count = subset->m_IndexCount;
            const bool strip = subset->m_Strip;
            const uint32_t triangles = strip ? (count >= 3 ? count - 2 : 0) : count / 3;
            for (uint32_t t = 0; t < triangles; ++t)
            {
                const uint32_t first = strip ? t : 3 * t;
                Vector3 corner[3];
                bool valid = true;
                for (int k = 0; k < 3; ++k)
                {
                    const uint16_t index = indices[first + static_cast<uint32_t>(k)];
                    if (index >= vertexCount)
                    {
                        valid = false;
                        break;
                    }
                    const Vector3 local = ReadVec3(vertices + static_cast<size_t>(index) * stride);
                    platform::Vec3TransformCoord(&corner[k], &local, &draw);
                }
                if (!valid)
                    continue;
                const float at = SegmentTriangle(from, dir, corner[0], corner[1], corner[2]);
                if (at < 0.0f || at >= nearest)
                    continue;
                nearest = at;
                point = from + dir * at;
                Vector3 n = platform::Vec3Cross(corner[1] - corner[0], corner[2] - corner[0]);
                platform::Vec3Normalize(&n, &n);
                normal = platform::Vec3Dot(n, dir) > 0.0f ? -n : n;
                hit = true;
            }
        }
        if (indices != nullptr)
            g_pGraphicsManager->UnlockIndexBuffer(indexHandle);
        if (vertices != nullptr)
            g_pGraphicsManager->UnlockVertexBuffer(vertexHandle);
    }
    return hit;
}

bool kaModel::IntersectSegment(const Vector3& from, const Vector3& to, Vector3* point, Vector3* normal) const
{
    float nearest = 2.0f;
    Vector3 hitPoint;
    Vector3 hitNormal;
    bool hit = false;
    // Children are searched through a stack, so a deep tree of attachments costs no recursion.
    std::vector<const kaModel*> pending{this};
    while (!pending.empty())
    {
        const kaModel* model = pending.back();
        pending.pop_back();
        hit = model->_IntersectOwn(from, to, nearest, hitPoint, hitNormal) || hit;
        for (const auto& attachment : model->m_Attachments)
            pending.push_back(attachment->m_pChild);
    }
    if (hit)
    {
        if (point != nullptr)
            *point = hitPoint;
        if (normal != nullptr)
            *normal = hitNormal;
    }
    return hit;
}

// ---------------------------------------------------------------------------------------------------------
// Bones

int32_t kaModel::FindBoneIndex(const std::string& name) const
{
    return m_pSkeleton != nullptr ? m_pSkeleton->FindBoneIndex(name) : -1;
}

const kaBone* kaModel::FindBone(const std::string& name) const
{
    return m_pSkeleton != nullptr ? m_pSkeleton->FindBone(name) : nullptr;
}

const Matrix* kaModel::GetBoneMatrix(int32_t index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_BoneMatrices.size())
        return nullptr;
    return &m_BoneMatrices[static_cast<size_t>(index)];
}

const Vector3* kaModel::GetBonePosition(int32_t index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_BonePositions.size())
        return nullptr;
    return &m_BonePositions[static_cast<size_t>(index)];
}

const Quaternion* kaModel::GetBoneRotation(int32_t index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_BoneRotations.size())
        return nullptr;
    return &m_BoneRotations[static_cast<size_t>(index)];
}

void kaModel::SetBoneMatrix(int32_t index, const Matrix& matrix)
{
    if (index < 0 || static_cast<size_t>(index) >= m_BoneMatrices.size())
        return;
    m_ControlledBones.resize(m_BoneMatrices.size(), 0);
    m_ControlledBones[static_cast<size_t>(index)] = 1;
    m_BoneMatrices[static_cast<size_t>(index)] = matrix;
}

bool kaModel::IsBoneControlled(int32_t index) const
{
    return index >= 0 && static_cast<size_t>(index) < m_ControlledBones.size() &&
           m_ControlledBones[static_cast<size_t>(index)] != 0;
}

void kaModel::SetSkeleton(kaSkeleton* skeleton)
{
    m_pSkeleton = skeleton;
    if (m_pSkinnedMesh != nullptr)
    {
        m_pSkinnedMesh->Release();
        m_pSkinnedMesh = nullptr;
    }
    m_Skinned = false;
    m_BoneMatrices.clear();
    m_BonePositions.clear();
    m_BoneRotations.clear();
    m_ControlledBones.clear();
    if (skeleton == nullptr)
        return;
    if (skeleton->HasInfluences() && m_pMesh != nullptr)
    {
        // Skinning rewrites only the vertices: the copy holds the mesh's index runs instead of its own.
        m_pSkinnedMesh = new kaMesh(*m_pMesh, kaMeshSubset::IndexRuns::kShared);
        m_pSkinnedMesh->AddRef();
        m_Skinned = true;
    }
    // The bind pose: each bone where the skeleton was bound, so skinning leaves the mesh as it was.
    const std::vector<kaBone>& bones = skeleton->GetBones();
    m_BoneMatrices.resize(bones.size());
    m_BonePositions.resize(bones.size());
    m_BoneRotations.resize(bones.size());
    for (size_t b = 0; b < bones.size(); ++b)
    {
        m_BoneMatrices[b] = bones[b].bind;
        m_BonePositions[b] = Translation(bones[b].bind);
        platform::QuaternionRotationMatrix(&m_BoneRotations[b], &bones[b].bind);
    }
}

// ---------------------------------------------------------------------------------------------------------
// Playback

kaAnimationChannel* kaModel::_GetChannel(int32_t number)
{
    for (const auto& channel : m_Channels)
    {
        if (channel->m_Number == number)
            return channel.get();
    }
    m_Channels.push_back(std::make_unique<kaAnimationChannel>(number));
    return m_Channels.back().get();
}

kaAnimation* kaModel::_FindAnimation(const std::string& name) const
{
    for (kaAnimation* animation : m_Animations)
    {
        if (animation->GetName() == name)
            return animation;
    }
    return nullptr;
}

void kaModel::PlayAnimation(const std::string& name, bool looping, float fadeTime, float weight,
                            int32_t channel)
{
    const bool first = m_Channels.empty();
    kaAnimationChannel* target = _GetChannel(channel);
    const float now = Now();
    if (kaAnimationFade* fade = target->FindFade(name))
    {
        fade->m_FadeStart = fade->m_Current;
        fade->m_FadeFinal = weight;
        fade->m_FadeStartTime = now;
        fade->m_FadeTime = fadeTime;
        UpdateAnimation();
        return;
    }
    kaAnimation* animation = _FindAnimation(name);
    if (animation == nullptr)
        return;
    auto fade = std::make_unique<kaAnimationFade>(animation);
    fade->m_FadeStart = 0.0f;
    fade->m_FadeFinal = weight;
    fade->m_Looping = looping;
    fade->m_FadeStartTime = now;
    fade->m_AnimStartTime = now;
    // The first animation an instance ever plays shows at once.
    fade->m_FadeTime = first ? 0.0f : fadeTime;
    fade->m_Current = first ? 1.0f : 0.0f;
    target->m_Fades.push_back(std::move(fade));
    if (m_AutoTrackBounds)
        TrackAnimationBounds();
}

void kaModel::StopAnimation(const std::string& name, float fadeTime, int32_t channel)
{
    for (const auto& target : m_Channels)
    {
        if (target->m_Number != channel)
            continue;
        if (kaAnimationFade* fade = target->FindFade(name))
        {
            fade->m_FadeTime = fadeTime;
            fade->m_FadeStartTime = Now();
            fade->m_FadeStart = fade->m_Current;
            fade->m_FadeFinal = 0.0f;
        }
        return;
    }
}

void kaModel::CrossFadeAnimation(const std::string& name, bool looping, float fadeTime, float weight,
                                 int32_t channel)
{
    const bool first = m_Channels.empty();
    kaAnimationChannel* target = _GetChannel(channel);
    const float now = Now();
    for (const auto& fade : target->m_Fades)
    {
        fade->m_FadeStart = fade->m_Current;
        if (fade->m_FadeFinal > 0.0f)
            fade->m_FadeStartTime = now;
        fade->m_FadeTime = fadeTime;
        fade->m_FadeFinal = 0.0f;
    }
    if (kaAnimationFade* fade = target->FindFade(name))
    {
        fade->m_FadeFinal = weight;
        fade->m_FadeStartTime = now;
        UpdateAnimation();
        return;
    }
    kaAnimation* animation = _FindAnimation(name);
    if (animation == nullptr)
        return;
    auto fade = std::make_unique<kaAnimationFade>(animation);
    fade->m_FadeFinal = weight;
    fade->m_Looping = looping;
    fade->m_FadeStartTime = now;
    fade->m_AnimStartTime = now;
    fade->m_FadeTime = first ? 0.0f : fadeTime;
    fade->m_Current = first ? weight : 0.0f;
    target->m_Fades.push_back(std::move(fade));
    if (m_AutoTrackBounds)
        TrackAnimationBounds();
}

void kaModel::SetAnimationSpeed(float speed)
{
    if (speed == 0.0f)
        return;
    const float now = Now();
    // Each animation keeps the position it has reached.
    for (const auto& channel : m_Channels)
    {
        for (const auto& fade : channel->m_Fades)
        {
            const float elapsed = now - fade->m_AnimStartTime;
            if (elapsed > 0.0f)
                fade->m_AnimStartTime = now - m_AnimationSpeed * elapsed / speed;
        }
    }
    m_AnimationSpeed = speed;
}

void kaModel::UpdateAnimation()
{
    if (m_pSkeleton == nullptr || m_Channels.empty() || PauseControl(2) != 0)
        return;
    const float now = Now();
    bool blend = false;
    for (const auto& channel : m_Channels)
    {
        auto& fades = channel->m_Fades;
        for (size_t i = 0; i < fades.size();)
        {
            if (fades[i]->m_Current <= kDeadWeight && fades[i]->m_FadeFinal <= kDeadWeight)
            {
                fades.erase(fades.begin() + static_cast<std::ptrdiff_t>(i));
                if (m_AutoTrackBounds)
                    TrackAnimationBounds();
            }
            else
            {
                ++i;
            }
        }
        for (const auto& fadePtr : fades)
        {
            kaAnimationFade& fade = *fadePtr;
            if (fade.m_Current != fade.m_FadeFinal)
            {
                const float elapsed = (now - fade.m_FadeStartTime) * m_AnimationSpeed;
                if (fade.m_FadeTime != 0.0f && elapsed < fade.m_FadeTime)
                    fade.m_Current =
                        elapsed / fade.m_FadeTime * (fade.m_FadeFinal - fade.m_FadeStart) + fade.m_FadeStart;
                else
                    fade.m_Current = fade.m_FadeFinal;
            }
            const kaAnimation* animation = fade.m_pAnimation;
            const float length = animation->GetLength();
            float t = (now - fade.m_AnimStartTime) * m_AnimationSpeed;
            if (t > length)
            {
                if (!fade.m_Looping)
                    t = length;
                else if (length > 0.0f)
                {
                    // The remainder in (0, length]: as many whole lengths off as the time holds.
                    t = std::fmod(t, length);
                    if (t <= 0.0f)
                        t = length;
                }
                else
                    t = 0.0f;
                fade.m_AnimStartTime = now - t;
            }
            m_CurrentAnimTime = t;
            const int32_t key = animation->FindKey(t);
            for (const kaBoneTrack& track : animation->GetTracks())
            {
                const int32_t bone = m_pSkeleton->FindBoneIndex(track.boneName);
                if (bone < 0 || static_cast<size_t>(bone) >= m_BonePositions.size())
                    continue;
                Vector3 position = m_BonePositions[static_cast<size_t>(bone)];
                Quaternion rotation = m_BoneRotations[static_cast<size_t>(bone)];
                animation->Sample(track, key, t, &position, &rotation);
                Vector3& bonePosition = m_BonePositions[static_cast<size_t>(bone)];
                Quaternion& boneRotation = m_BoneRotations[static_cast<size_t>(bone)];
                if (!blend)
                {
                    bonePosition = position;
                    boneRotation = rotation;
                }
                else
                {
                    bonePosition = bonePosition + (position - bonePosition) * fade.m_Current;
                    platform::QuaternionSlerp(&boneRotation, &boneRotation, &rotation, fade.m_Current);
                }
            }
            blend = true;
        }
    }
    if (blend)
        _PoseBones();
}

void kaModel::_PoseBones()
{
    const std::vector<kaBone>& bones = m_pSkeleton->GetBones();
    const size_t count = std::min(bones.size(), m_BoneMatrices.size());
    std::vector<size_t> pending;
    // A rag doll's limbs pose the bones they control; their children still hang from them.
    const auto kept = [this](size_t b) { return m_RagDoll && IsBoneControlled(static_cast<int32_t>(b)); };
    for (size_t b = 0; b < count; ++b)
    {
        if (!kept(b))
            platform::MatrixRotationQuaternion(&m_BoneMatrices[b], &m_BoneRotations[b]);
        if (bones[b].parent == nullptr)
        {
            if (!kept(b))
            {
                m_BoneMatrices[b](3, 0) = m_BonePositions[b].x;
                m_BoneMatrices[b](3, 1) = m_BonePositions[b].y;
                m_BoneMatrices[b](3, 2) = m_BonePositions[b].z;
            }
            pending.push_back(b);
        }
    }
    // Children are placed from their parents, root first; a stack keeps a deep chain off the call stack.
    while (!pending.empty())
    {
        const size_t parent = pending.back();
        pending.pop_back();
        for (const int32_t childIndex : bones[parent].children)
        {
            const size_t child = static_cast<size_t>(childIndex);
            if (child >= count)
                continue;
            if (kept(child))
            {
                pending.push_back(child);
                continue;
            }
            Vector3& position = m_BonePositions[child];
            platform::Vec3TransformCoord(&position, &bones[child].positionInParent, &m_BoneMatrices[parent]);
            m_BoneMatrices[child](3, 0) = position.x;
            m_BoneMatrices[child](3, 1) = position.y;
            m_BoneMatrices[child](3, 2) = position.z;
            pending.push_back(child);
        }
    }
}

void kaModel::UpdateSkin()
{
    if (m_pSkeleton == nullptr || m_pSkinnedMesh == nullptr || g_pGraphicsManager == nullptr)
        return;
    kaMeshSubset* subset = m_pSkinnedMesh->GetSubset(0);
    if (subset == nullptr || subset->m_SysVertexBuffer == 0)
        return;
    const kaResourceHandle handle = subset->m_SysVertexBuffer;
    const uint32_t stride = g_pGraphicsManager->GetVertexStride(handle);
    const bool normals = HasNormals(g_pGraphicsManager->GetVertexFVF(handle));
    const std::vector<kaVertexInfluence>& influences = m_pSkeleton->GetInfluences();
    const size_t vertexCount =
        std::min<size_t>(influences.size(), subset->m_FirstVertex + subset->m_VertexCount);
    if (stride < (normals ? 6 : 3) * sizeof(float))
        return;
    // Offset then current: bind-pose model space into each bone's space and out at its present pose.
    const std::vector<kaBone>& bones = m_pSkeleton->GetBones();
    // Every skinned model skins every frame: the work space is the thread's, kept from call to call.
    SkinScratch& scratch = ThreadSkinScratch();
    std::vector<Matrix>& skin = scratch.skin;
    skin.resize(std::min(bones.size(), m_BoneMatrices.size()));
    // A bone matrix whose last column is (0, 0, 0, 1) gives w = 1 exactly, so the divide can go.
    std::vector<uint8_t>& affine = scratch.affine;
    affine.resize(skin.size());
    for (size_t b = 0; b < skin.size(); ++b)
    {
        skin[b] = bones[b].offset * m_BoneMatrices[b];
        const Matrix& m = skin[b];
        affine[b] = m.m[0][3] == 0.0f && m.m[1][3] == 0.0f && m.m[2][3] == 0.0f && m.m[3][3] == 1.0f;
    }

    auto* data = static_cast<uint8_t*>(g_pGraphicsManager->LockVertexBuffer(handle));
    if (data == nullptr)
        return;
    // Taken once: the vertex writes go through bytes, which the compiler must assume reach the vectors.
    const kaVertexInfluence* const records = influences.data();
    const Matrix* const skinData = skin.data();
    const uint8_t* const affineData = affine.data();
    const size_t boneCount = skin.size();
    for (size_t v = 0; v < vertexCount; ++v)
    {
        const kaVertexInfluence& record = records[v];
        uint8_t* vertex = data + v * stride;
        if (record.count > 0)
        {
            SkinVertex(record, skinData, affineData, boneCount, vertex, normals);
            continue;
        }
        WriteVec3(vertex, record.bindPosition);
        if (normals)
            WriteVec3(vertex + 3 * sizeof(float), record.bindNormal);
    }
    const size_t bytes = static_cast<size_t>(subset->m_FirstVertex + subset->m_VertexCount) * stride;
    const kaResourceHandle drawnHandle = subset->m_VertexBuffer;
    // Runs of two pools are open at once and copied directly; two runs of one pool buffer are never both
    // locked, so those go through a copy.
    const bool onePool = drawnHandle != 0 && GetHandlePoolKey(drawnHandle) == GetHandlePoolKey(handle);
    std::vector<uint8_t>& copy = scratch.copy;
    if (onePool)
        copy.assign(data, data + bytes);
    if (drawnHandle != 0 && !onePool)
    {
        if (auto* drawn = static_cast<uint8_t*>(g_pGraphicsManager->LockVertexBuffer(drawnHandle)))
        {
            std::memcpy(drawn, data, bytes);
            g_pGraphicsManager->UnlockVertexBuffer(drawnHandle);
        }
    }
    g_pGraphicsManager->UnlockVertexBuffer(handle);
    if (onePool)
    {
        if (auto* drawn = static_cast<uint8_t*>(g_pGraphicsManager->LockVertexBuffer(drawnHandle)))
        {
            std::memcpy(drawn, copy.data(), copy.size());
            g_pGraphicsManager->UnlockVertexBuffer(drawnHandle);
        }
        // A large mesh's copy is not kept for the rest of the thread's life.
        if (copy.capacity() > kKeptSkinCopyBytes)
            std::vector<uint8_t>().swap(copy);
    }
}

void kaModel::TrackAnimationBounds()
{
    bool found = false;
    Vector3 min;
    Vector3 max;
    for (const auto& channel : m_Channels)
    {
        for (const auto& fade : channel->m_Fades)
        {
            const Box* box = fade->m_pAnimation != nullptr ? FindBox(fade->m_pAnimation->GetName()) : nullptr;
            if (box == nullptr)
                continue;
            min = found ? MinOf(min, box->min) : box->min;
            max = found ? MaxOf(max, box->max) : box->max;
            found = true;
        }
    }
    if (!found)
        return;
    m_AltMin = min;
    m_AltMax = max;
    UpdateTransform();
}

// ---------------------------------------------------------------------------------------------------------
// Saved state

void kaModel::WriteState(TiXmlElement* element) const
{
    if (element == nullptr)
        return;
    const double now = Now();
    TiXmlElement* data = AppendElement(element, "animData");
    AppendFloatElement(data, "animSpeed", m_AnimationSpeed);
    AppendBoolElement(data, "autoTrackBounds", m_AutoTrackBounds);
    AppendBoolElement(data, "altBounds", m_UseAltBounds);
    for (const auto& channel : m_Channels)
    {
        for (const auto& fade : channel->m_Fades)
        {
            TiXmlElement* active = AppendElement(data, "activeAnim");
            AppendIntElement(active, "channel", channel->m_Number);
            AppendTextElement(active, "animName",
                              fade->m_pAnimation != nullptr ? fade->m_pAnimation->GetName() : std::string());
            fade->WriteState(active, now);
        }
    }
    TiXmlElement* bounds = AppendElement(element, "altBounds");
    AppendFloatElement(bounds, "min_x", m_AltMin.x);
    AppendFloatElement(bounds, "min_y", m_AltMin.y);
    AppendFloatElement(bounds, "min_z", m_AltMin.z);
    AppendFloatElement(bounds, "max_x", m_AltMax.x);
    AppendFloatElement(bounds, "max_y", m_AltMax.y);
    AppendFloatElement(bounds, "max_z", m_AltMax.z);
}

void kaModel::ReadState(const TiXmlElement* element)
{
    if (element == nullptr)
        return;
    const double now = Now();
    if (const TiXmlElement* data = element->FirstChildElement("animData"))
    {
        kaXmlValues::ReadFloatOrKeepSilently(data, "animSpeed", m_AnimationSpeed);
        kaXmlValues::ReadBoolOrKeepSilently(data, "autoTrackBounds", m_AutoTrackBounds);
        kaXmlValues::ReadBoolOrKeepSilently(data, "altBounds", m_UseAltBounds);
        for (const TiXmlElement* active = data->FirstChildElement("activeAnim"); active != nullptr;
             active = active->NextSiblingElement("activeAnim"))
        {
            kaAnimation* animation = _FindAnimation(GetChildElementText("animName", active));
            if (animation == nullptr)
                continue;
            int32_t number = 0;
            kaXmlValues::ReadIntOrKeepSilently(active, "channel", number);
            auto fade = std::make_unique<kaAnimationFade>(animation);
            fade->m_Looping = true;
            fade->ReadState(active, now);
            _GetChannel(number)->m_Fades.push_back(std::move(fade));
        }
    }
    if (const TiXmlElement* bounds = element->FirstChildElement("altBounds"))
    {
        kaXmlValues::ReadFloatOrKeepSilently(bounds, "min_x", m_AltMin.x);
        kaXmlValues::ReadFloatOrKeepSilently(bounds, "min_y", m_AltMin.y);
        kaXmlValues::ReadFloatOrKeepSilently(bounds, "min_z", m_AltMin.z);
        kaXmlValues::ReadFloatOrKeepSilently(bounds, "max_x", m_AltMax.x);
        kaXmlValues::ReadFloatOrKeepSilently(bounds, "max_y", m_AltMax.y);
        kaXmlValues::ReadFloatOrKeepSilently(bounds, "max_z", m_AltMax.z);
    }
}
