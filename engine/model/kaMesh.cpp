#include "engine/model/kaMesh.h"

#include "engine/core/kaFileSystem.h"
#include "engine/model/KM_GeoObject.h"
#include "engine/model/KM_Light.h"
#include "engine/model/KM_Material.h"
#include "engine/model/KM_MaterialList.h"
#include "engine/model/KM_Model.h"
#include "engine/model/KM_Stream.h"
#include "engine/model/kaCollisionPrimitive.h"
#include "engine/model/kaModelManager.h"
#include "engine/render/kaEffect.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaIndexBuffer.h"
#include "engine/render/kaPrefetch.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaVertexBuffer.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxEffect.h"
#include "platform/system/DebugOutput.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using platform::Vector3;

namespace
{

constexpr uint32_t kClassId[4] = {0x4F566442, 0x11D5A138, 0x0100F69C, 0x10553E02};

// The formats a mesh can hold: position with any of normal and colour and up to four texture sets, and
// transformed positions with colour.
constexpr uint32_t kMeshFormats[] = {0x002, 0x012, 0x042, 0x044, 0x052, 0x102, 0x112, 0x142,
                                     0x144, 0x152, 0x202, 0x212, 0x242, 0x252, 0x302, 0x312,
                                     0x342, 0x352, 0x402, 0x412, 0x442, 0x452};

Vector3 Min(const Vector3& a, const Vector3& b)
{
    return Vector3(std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z));
}

Vector3 Max(const Vector3& a, const Vector3& b)
{
    return Vector3(std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z));
}

} // namespace

kaMesh::kaMesh() = default;

kaMesh::kaMesh(uint32_t fvf, uint32_t triangles, uint32_t vertices, uint32_t subsets, bool sharedVertices)
    : m_VertexCount(vertices), m_IndexCount(3 * triangles), m_TriangleCount(triangles),
      m_SourceKind(kFromSizes), m_FVF(fvf), m_SubsetCount(subsets), m_SharedVertices(sharedVertices)
{
    CreateBuffers();
}

kaMesh::kaMesh(const std::string& fileName, uint32_t buildOptions)
    : m_SourceKind(kFromFile), m_BuildOptions(buildOptions)
{
    // Looked up by reading it: the load below takes the bytes instead of finding and opening it again.
    m_PendingBytes = KM_Stream::TakeSpareBytes();
    m_FileName = ResolveAndRead(fileName, m_PendingBytes, m_HasPendingBytes);
    // A file that is not found keeps its name, so that loading it fails and says so.
    if (m_FileName.empty())
        m_FileName = fileName;
    CreateBuffers();
    // Bytes a load without a device did not take are read again when the device comes.
    m_HasPendingBytes = false;
    KM_Stream::KeepSpareBytes(std::move(m_PendingBytes));
}

kaMesh::kaMesh(const kaMesh& copy) : kaMesh(copy, kaMeshSubset::IndexRuns::kCopied) {}

kaMesh::kaMesh(const kaMesh& copy, kaMeshSubset::IndexRuns indexRuns)
    : ka3DObject(), m_VertexCount(copy.m_VertexCount), m_IndexCount(copy.m_IndexCount),
      m_TriangleCount(copy.m_TriangleCount), m_SourceKind(copy.m_SourceKind), m_FVF(copy.m_FVF),
      m_Strip(copy.m_Strip), m_BuildOptions(copy.m_BuildOptions), m_SubsetCount(copy.m_SubsetCount),
      m_SharedVertices(copy.m_SharedVertices)
{
    m_Subsets.reserve(copy.m_Subsets.size());
    for (const kaCountedPtr<kaMeshSubset>& subset : copy.m_Subsets)
        m_Subsets.push_back(kaCountedPtr<kaMeshSubset>::Make(*subset, indexRuns));
    m_DeviceObjectsCreated = true;
}

kaMesh::~kaMesh()
{
    // At exit the manager may already be gone.
    if (g_pModelManager)
        g_pModelManager->UnregisterMesh(this);
    m_LightNodes.clear();
    m_pModel.reset();
    m_Primitives.clear();
    m_DecalRegions.clear();
    m_Subsets.clear();
}

uint8_t* kaMesh::GetClassId(uint8_t* buffer) const
{
    for (int word = 0; word < 4; ++word)
        for (int i = 0; i < 4; ++i)
            buffer[4 * word + i] = static_cast<uint8_t>(kClassId[word] >> (8 * i));
    return buffer;
}

void kaMesh::CopySubsetsFrom(const kaMesh& source)
{
    m_IndexCount = source.m_IndexCount;
    m_TriangleCount = source.m_TriangleCount;
    m_VertexCount = source.m_IndexCount;
    m_SourceKind = source.m_SourceKind;
    m_FVF = source.m_FVF;
    m_Strip = source.m_Strip;
    m_BuildOptions = source.m_BuildOptions;
    m_SubsetCount = source.m_SubsetCount;
    m_SharedVertices = source.m_SharedVertices;
    m_Subsets.reserve(m_Subsets.size() + source.m_Subsets.size());
    for (const kaCountedPtr<kaMeshSubset>& subset : source.m_Subsets)
    {
        kaCountedPtr<kaMeshSubset> copy = kaCountedPtr<kaMeshSubset>::Make();
        copy->CopyUnindexed(*subset);
        m_Subsets.push_back(copy);
    }
    m_DeviceObjectsCreated = true;
}

void kaMesh::CreateBuffers()
{
    if (m_SourceKind == kFromFile)
    {
        if (!m_pModel && !m_FileName.empty() && LoadFile() != platform::GFX_OK)
            return;
        if (m_pModel)
        {
            m_Subsets.reserve(m_Subsets.size() + _CountFileSubsets(*m_pModel));
            for (int i = 0; i < m_pModel->GetGeoObjectCount(); ++i)
                BuildGeoObject(*m_pModel, i);
            m_Primitives.reserve(m_Primitives.size() + static_cast<size_t>(m_pModel->GetPrimitiveCount()));
            for (int i = 0; i < m_pModel->GetPrimitiveCount(); ++i)
                BuildPrimitive(*m_pModel, i);
        }
    }
    else
        _CreateSizedSubsets();
    // Subsets built from the file found their extents as their vertices were written.
    if (m_SourceKind == kFromFile)
        _CombineBounds();
    else
        ComputeBounds();
    if (m_pModel)
    {
        _CopyLights();
        m_pModel.reset();
    }
    BuildVertexBoxes();
}

size_t kaMesh::_CountFileSubsets(const KM_Model& model)
{
    size_t count = 0;
    for (int i = 0; i < model.GetGeoObjectCount(); ++i)
    {
        const KM_GeoObject* geo = model.GetGeoObject(i);
        if (!geo || geo->m_Mesh.m_MaterialRef == -1)
            continue;
        if (const KM_Material* material = model.GetMaterialList().GetMaterial(geo->m_Mesh.m_MaterialRef))
            count += static_cast<size_t>(std::max(material->GetSubMaterialCount(), 1));
    }
    return count;
}

void kaMesh::_CreateSizedSubsets()
{
    if (!g_pGraphicsManager)
        return;
    kaMeshSubset* previous = nullptr;
    for (uint32_t i = 0; i < m_SubsetCount; ++i)
    {
        kaCountedPtr<kaMeshSubset> subset = kaCountedPtr<kaMeshSubset>::Make();
        if (m_SharedVertices && previous)
        {
            subset->m_VertexBuffer = previous->m_VertexBuffer;
            subset->m_SysVertexBuffer = previous->m_SysVertexBuffer;
            g_pGraphicsManager->AddRefVertexBuffer(subset->m_VertexBuffer);
            g_pGraphicsManager->AddRefVertexBuffer(subset->m_SysVertexBuffer);
        }
        else
        {
            g_pGraphicsManager->CreateVertexBuffer(subset->m_VertexBuffer, m_VertexCount, m_FVF,
                                                   platform::POOL_MANAGED);
            g_pGraphicsManager->CreateVertexBuffer(subset->m_SysVertexBuffer, m_VertexCount, m_FVF,
                                                   platform::POOL_SYSTEMMEM);
        }
        g_pGraphicsManager->CreateIndexBuffer(subset->m_IndexBuffer, m_IndexCount, platform::POOL_MANAGED);
        g_pGraphicsManager->CreateIndexBuffer(subset->m_SysIndexBuffer, m_IndexCount,
                                              platform::POOL_SYSTEMMEM);
        subset->m_Name = kRawSubsetName;
        subset->m_FirstVertex = 0;
        subset->m_VertexCount = m_VertexCount;
        subset->m_IndexCount = m_IndexCount;
        subset->m_PrimitiveCount = m_TriangleCount;
        previous = subset.Get();
        m_Subsets.push_back(subset);
    }
}

void kaMesh::_CopyLights()
{
    const int count = m_pModel->GetLightCount();
    if (count > kMaxLightNodes)
        platform::DebugPrintf("[kaMesh::CreateBuffers] : %s has %d lights; the first %d are kept\n",
                              m_FileName.c_str(), count, kMaxLightNodes);
    for (int i = 0; i < std::min(count, kMaxLightNodes); ++i)
        if (const KM_Light* light = m_pModel->GetLight(i))
            m_LightNodes.push_back(std::make_unique<KM_Light>(*light));
}

uint32_t kaMesh::GetVertexSize(uint32_t fvf)
{
    if (std::find(std::begin(kMeshFormats), std::end(kMeshFormats), fvf) == std::end(kMeshFormats))
        return 0;
    return kaVertexBuffer::ComputeLayout(fvf).stride;
}

void kaMesh::SetVertices(const void* vertices, uint32_t subset)
{
    const uint32_t size = GetVertexSize(m_FVF);
    kaMeshSubset* target = GetSubset(subset);
    if (size == 0 || !target)
        return;
    target->WriteVertices(vertices, m_VertexCount * size);
}

void kaMesh::SetIndices(const uint16_t* indices, uint32_t subset)
{
    if (kaMeshSubset* target = GetSubset(subset))
        target->WriteIndices(indices, m_IndexCount);
}

kaMeshSubset* kaMesh::GetSubset(uint32_t index) const
{
    return index < m_Subsets.size() ? m_Subsets[index].Get() : nullptr;
}

kaMeshSubset* kaMesh::FindSubset(const std::string& name) const
{
    for (const kaCountedPtr<kaMeshSubset>& subset : m_Subsets)
        if (subset->m_Name == name)
            return subset.Get();
    return nullptr;
}

void kaMesh::AddPrimitive(std::unique_ptr<kaCollisionPrimitive> primitive)
{
    if (primitive)
        m_Primitives.push_back(std::move(primitive));
}

kaCollisionPrimitive* kaMesh::GetPrimitive(int index) const
{
    return index >= 0 && index < GetPrimitiveCount() ? m_Primitives[index].get() : nullptr;
}

KM_Light* kaMesh::GetLightNode(int index) const
{
    return index >= 0 && index < GetLightNodeCount() ? m_LightNodes[index].get() : nullptr;
}

kaMeshSubset* kaMesh::GetDecalRegion(const std::string& key) const
{
    const auto found = m_DecalRegions.find(key);
    return found == m_DecalRegions.end() ? nullptr : found->second.Get();
}

void kaMesh::Render(uint32_t)
{
    if (!g_pGraphicsManager)
        return;
    for (const kaCountedPtr<kaMeshSubset>& subset : m_Subsets)
        DrawSubset(g_pGraphicsManager->GetDevice(), subset.Get(), m_World);
}

void kaMesh::PrefetchDraw(int level) const
{
    if (level <= 0)
    {
        // Nothing of the mesh may be read here: its fields are what this level asks for.
        if (level == 0)
        {
            kaPrefetch(&m_World, sizeof m_World);
            kaPrefetch(&m_Subsets, sizeof m_Subsets);
        }
        return;
    }
    // A mesh seldom has more subsets than this; the rest are read in their draw.
    constexpr size_t kPrefetchedSubsets = 4;
    const size_t subsets = std::min(m_Subsets.size(), kPrefetchedSubsets);
    if (level == 1)
    {
        kaPrefetch(m_Subsets.data(), subsets * sizeof(m_Subsets[0]));
        return;
    }
    for (size_t i = 0; i < subsets; ++i)
    {
        const kaMeshSubset* subset = m_Subsets[i].Get();
        if (!subset)
            continue;
        if (level == 2)
        {
            kaPrefetch(subset, sizeof(kaMeshSubset));
            continue;
        }
        if (level == 3 && g_pGraphicsManager)
            g_pGraphicsManager->PrefetchRuns(subset->m_VertexBuffer, subset->m_IndexBuffer);
        if (const kaRenderState* state = subset->GetRenderState())
            state->Prefetch(level - 3);
    }
}

void kaMesh::SetLighting(bool lighting)
{
    for (const kaCountedPtr<kaMeshSubset>& subset : m_Subsets)
        if (kaRenderState* state = subset->GetRenderState())
            state->m_Lighting = lighting;
}

void kaMesh::SetZWrite(bool zWrite)
{
    for (const kaCountedPtr<kaMeshSubset>& subset : m_Subsets)
        if (kaRenderState* state = subset->GetRenderState())
            state->m_ZWrite = zWrite;
}

void kaMesh::SetZTest(bool zTest)
{
    for (const kaCountedPtr<kaMeshSubset>& subset : m_Subsets)
        if (kaRenderState* state = subset->GetRenderState())
            state->m_ZTest = zTest;
}

void kaMesh::DrawSubset(platform::GfxDevice* device, kaMeshSubset* subset, const platform::Matrix& world)
{
    if (!device || !subset || subset->m_PrimitiveCount == 0 || !g_pGraphicsManager)
        return;
    kaRenderState* state = subset->GetRenderState();
    platform::GfxEffect* effect = subset->m_pEffect ? subset->m_pEffect->GetEffect() : nullptr;
    if (!state && !effect)
        return;
    kaGraphicsManager& manager = *g_pGraphicsManager;
    if (state && state->m_AlphaBlend && state->m_SortAlpha && !state->m_NoDefer)
    {
        manager.QueueMeshDraw(world, subset->GetDrawRecord(), subset->m_Strip, m_RenderOrder);
        return;
    }
    kaVertexBuffer* vertices = manager.GetVertexBuffer(subset->m_VertexBuffer);
    kaIndexBuffer* indices = manager.GetIndexBuffer(subset->m_IndexBuffer);
    if (!vertices || !indices)
        return;

    platform::Matrix view;
    device->GetTransform(platform::TS_VIEW, &view);
    device->SetTransform(platform::TS_WORLD, &world);
    const uint32_t baseVertex = manager.GetVertexBufferStart(subset->m_VertexBuffer);
    const uint32_t startIndex = manager.GetIndexBufferStart(subset->m_IndexBuffer);
    // The buffer's own vertex size, with an effect too: any other stride would read across vertices.
    const uint32_t stride = vertices->GetStride();
    manager.SetFVF(vertices->GetFVF());
    device->SetStreamSource(0, vertices->GetD3DBuffer(), 0, stride);
    device->SetIndices(indices->GetD3DBuffer());

    uint32_t passes = effect ? 0 : static_cast<uint32_t>(std::max(state->GetPassCount(), 0));
    if (effect)
    {
        if (platform::GfxFailed(effect->Begin(&passes, 0)))
            passes = 0;
        device->SetStreamSource(0, vertices->GetD3DBuffer(), 0, stride);
        if (subset->m_pDeclaration)
            device->SetVertexDeclaration(subset->m_pDeclaration);
    }
    for (uint32_t pass = 0; pass < passes; ++pass)
    {
        if (effect)
            effect->BeginPass(pass);
        // A finished flip-book has nothing to show: the draw ends here.
        else if (!state->Apply(device, static_cast<int32_t>(pass)))
            return;
        device->SetStreamSource(0, vertices->GetD3DBuffer(), 0, stride);
        device->DrawIndexedPrimitive(subset->GetPrimitiveType(), static_cast<int32_t>(baseVertex),
                                     subset->m_FirstVertex, subset->m_VertexCount, startIndex,
                                     subset->m_PrimitiveCount);
        if (effect)
            effect->EndPass();
    }
    if (effect)
        effect->End();
    manager.AddTriangleCount(subset->m_PrimitiveCount);
    device->SetTransform(platform::TS_VIEW, &view);
}

void kaMesh::ComputeBounds()
{
    if (m_Subsets.empty())
        return;
    for (const kaCountedPtr<kaMeshSubset>& subset : m_Subsets)
        subset->ComputeExtents();
    _CombineBounds();
}

void kaMesh::_CombineBounds()
{
    if (m_Subsets.empty())
        return;
    m_Min = m_Subsets.front()->m_Min;
    m_Max = m_Subsets.front()->m_Max;
    for (const kaCountedPtr<kaMeshSubset>& subset : m_Subsets)
    {
        m_Min = Min(m_Min, subset->m_Min);
        m_Max = Max(m_Max, subset->m_Max);
    }
    m_Centre = Vector3(m_Min.x + (m_Max.x - m_Min.x) * 0.5f, m_Min.y + (m_Max.y - m_Min.y) * 0.5f,
                       m_Min.z + (m_Max.z - m_Min.z) * 0.5f);
    m_Radius = 0.0f;
    for (const kaCountedPtr<kaMeshSubset>& subset : m_Subsets)
        m_Radius = std::max(m_Radius, subset->ComputeRadius(m_Centre));
}

void kaMesh::TransformBounds(kaBoundingBox& box, const platform::Matrix& matrix, const Vector3* localMin,
                             const Vector3* localMax) const
{
    box.m_Min = localMin ? *localMin : m_Min;
    box.m_Max = localMax ? *localMax : m_Max;
    box.ComputeCorners();
    for (int i = 0; i < kaBoundingBox::kCornerCount; ++i)
    {
        const Vector3 corner = box.m_Corners[i];
        platform::Vec3TransformCoord(&box.m_Corners[i], &corner, &matrix);
    }
    box.m_Min = box.m_Max = box.m_Corners[0];
    for (const Vector3& corner : box.m_Corners)
    {
        box.m_Min = Min(box.m_Min, corner);
        box.m_Max = Max(box.m_Max, corner);
    }
    box.m_Radius = m_Radius;
    platform::Vec3TransformCoord(&box.m_Centre, &m_Centre, &matrix);
}

void kaMesh::UpdateTransform()
{
    ka3DObject::UpdateTransform();
    TransformBounds(m_WorldBox, m_World, nullptr, nullptr);
}

void kaMesh::FreeSourceVertexMaps()
{
    for (const kaCountedPtr<kaMeshSubset>& subset : m_Subsets)
        subset->FreeSourceVertexMap();
}
