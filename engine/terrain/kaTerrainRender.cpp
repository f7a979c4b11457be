#include "engine/terrain/kaTerrain.h"

#include "engine/model/kaMesh.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/kaTerrainDecal.h"
#include "engine/terrain/kaTerrainQuad.h"

#include "platform/gfx/math/Matrix.h"

namespace
{

platform::Matrix Identity()
{
    platform::Matrix identity;
    platform::MatrixIdentity(&identity);
    return identity;
}

void Draw(kaTerrainQuad& quad, int32_t subsetIndex, const platform::Matrix& world)
{
    if (subsetIndex < 0 || uint32_t(subsetIndex) >= quad.GetSubsetCount())
        return;
    kaMeshSubset* subset = quad.GetSubset(uint32_t(subsetIndex));
    if (subset && subset->m_PrimitiveCount != 0)
        quad.DrawSubset(g_pGraphicsManager->GetDevice(), subset, world);
}

} // namespace

void kaTerrain::_GatherVisibleQuads()
{
    m_VisibleQuads.clear();
    m_VisibleQuads.reserve(m_Quads.size());
    for (const std::unique_ptr<kaTerrainQuad>& quad : m_Quads)
    {
        const platform::Vector3& centre = quad->GetSphereCentre();
        if (g_pGraphicsManager->TestSphereInFrustum(centre.x, centre.y, centre.z, quad->GetSphereRadius()) !=
            kaGraphicsManager::kSphereOutside)
            m_VisibleQuads.push_back(quad.get());
    }
}

void kaTerrain::Render()
{
    Render(false);
}

void kaTerrain::Render(bool decalPassOnly)
{
    if (IsLayered())
        RenderLayered();
    else
        RenderSingleLayer();
    RenderDecals(decalPassOnly);
    _RenderEdgeMesh();
}

void kaTerrain::RenderDecals(bool decalPassOnly)
{
    kaWorld* world = GetWorld();
    kaCamera* camera = world ? world->GetCamera() : nullptr;
    if (!camera || !g_pGraphicsManager)
        return;
    camera->SetProjectionDepthBias(kDecalBiasDelta, kDecalBiasDepth);
    for (const std::unique_ptr<kaTerrainDecal>& decal : m_Decals)
    {
        kaMesh* mesh = decal->GetMesh();
        if (!mesh || !decal->IsSwitchedOn() || (decalPassOnly && !decal->HasPassFlag()))
            continue;
        const platform::Vector3& centre = mesh->GetCentre();
        if (g_pGraphicsManager->TestSphereInFrustum(centre.x, centre.y, centre.z, mesh->GetRadius()) !=
            kaGraphicsManager::kSphereOutside)
            decal->Render();
    }
    camera->SetProjectionDepthBias(0.0f, 0.0f);
}

void kaTerrain::_RenderEdgeMesh()
{
    if (!m_pEdgeMesh || !g_pGraphicsManager)
        return;
    const platform::Matrix world = Identity();
    for (uint32_t i = 0; i < m_pEdgeMesh->GetSubsetCount(); ++i)
        m_pEdgeMesh->DrawSubset(g_pGraphicsManager->GetDevice(), m_pEdgeMesh->GetSubset(i), world);
}

void kaTerrain::RenderSingleLayer()
{
    if (m_Quads.empty() || !g_pGraphicsManager)
        return;
    // Partial quads at the far sides have no levels; they are drawn whole at level 0 all the same.
    _GatherVisibleQuads();
    for (kaTerrainQuad* quad : m_VisibleQuads)
        if (quad->AreEdgesDirty() && quad->AreLevelsEnabled())
            quad->UpdateLodEdges();
    const platform::Matrix world = Identity();
    for (kaTerrainQuad* quad : m_VisibleQuads)
        Draw(*quad, quad->AreLevelsEnabled() ? quad->GetLevel() : 0, world);
}

void kaTerrain::RenderLayered()
{
    if (m_Quads.empty() || !g_pGraphicsManager)
        return;
    _GatherVisibleQuads();
    const platform::Matrix world = Identity();
    for (int32_t layer = 0; layer < GetLayerCount(); ++layer)
        for (kaTerrainQuad* quad : m_VisibleQuads)
            Draw(*quad, layer, world);
}
