// Drawing the world and picking in it.
#include "engine/scene/kaWorld.h"

#include "engine/model/kaBoundingBox.h"
#include "engine/model/kaMesh.h"
#include "engine/render/ka3DAlphaSorter.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/scene/Intersection.h"
#include "engine/scene/kaCollideInfo.h"
#include "engine/scene/kaEntity.h"
#include "engine/scene/kaLineSegment.h"
#include "engine/scene/kaQuadTree.h"
#include "engine/scene/kaSkyBoxBase.h"
#include "engine/scene/kaSunBase.h"
#include "engine/scene/kaTerrainBase.h"
#include "engine/scene/kaWaterPlaneBase.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/math/Matrix.h"

void kaWorld::Render(uint32_t flag)
{
    platform::GfxDevice* device = g_pGraphicsManager ? g_pGraphicsManager->GetDevice() : nullptr;
    if (!device)
        return;
    if (m_pCamera)
    {
        device->SetTransform(platform::TS_PROJECTION, &m_pCamera->GetComputedProjection());
        device->SetTransform(platform::TS_VIEW, &m_pCamera->GetComputedView());
        g_pGraphicsManager->UpdateFrustum();
        g_pGraphicsManager->UseViewFrustum();
    }
    if (m_pSkyBox)
        m_pSkyBox->Render();
    if (m_pSun)
        m_pSun->Render();
    if (m_pSkyBox)
        m_pSkyBox->RenderCloudPlanes();
    if (m_pTerrain)
        m_pTerrain->Render();
    if (m_pWaterPlane)
        m_pWaterPlane->Render();
    // The quad tree holds the venue too: hidden while it walks, so that it is drawn once.
    // A venue the editor hid stays hidden afterwards.
    kaEntity* venue = m_pVenueEntity;
    const bool venueVisible = venue && venue->IsVisible();
    if (venue)
    {
        venue->Render();
        g_pGraphicsManager->DrawQueuedMeshes();
        venue->SetVisible(false);
    }
    if (m_pQuadTree)
        m_pQuadTree->Render();
    if (venue)
        venue->SetVisible(venueVisible);
    if (m_pAlphaSorter)
        m_pAlphaSorter->Render(flag);
    if (m_pSun)
        m_pSun->RenderLensFlare();
}

bool kaWorld::GetPickRay(float x, float y, platform::Vector3& origin, platform::Vector3& direction) const
{
    if (!m_pCamera)
        return false;
    platform::Vector3 point;
    m_pCamera->GetPickRay(point, platform::Vector3(x, y, 0.0f));
    origin = m_pCamera->GetPosition();
    const platform::Vector3 along = point - origin;
    platform::Vec3Normalize(&direction, &along);
    return true;
}

namespace
{

float DistanceSquared(const platform::Vector3& a, const platform::Vector3& b)
{
    const platform::Vector3 d = b - a;
    return d.x * d.x + d.y * d.y + d.z * d.z;
}

// The hit nearest the segment's start over the entity's meshes, each tested in its model's own space.
bool PickMeshes(kaEntity& entity, const kaLineSegment& segment, kaCollideInfo& hit)
{
    platform::Matrix world;
    if (!entity.GetWorldMatrix(world))
        return false;
    platform::Matrix inverse;
    if (!platform::MatrixInverse(&inverse, nullptr, &world))
        return false;
    platform::Vector3 from;
    platform::Vector3 to;
    platform::Vec3TransformCoord(&from, &segment.m_Start, &inverse);
    platform::Vec3TransformCoord(&to, &segment.m_End, &inverse);
    const kaLineSegment local(from.x, from.y, from.z, to.x, to.y, to.z);
    bool found = false;
    float best = 0.0f;
    for (;;)
    {
        bool more = false;
        kaMesh* mesh = entity.GetNextMesh(more);
        if (!mesh)
            break;
        kaCollideInfo info;
        if (SegmentIntersectsMesh(*mesh, local, &info))
        {
            platform::Vector3 point;
            platform::Vec3TransformCoord(&point, &info.m_Point, &world);
            const float distance = DistanceSquared(segment.m_Start, point);
            if (!found || distance < best)
            {
                found = true;
                best = distance;
                hit.m_Point = point;
                platform::Vec3TransformNormal(&hit.m_Normal, &info.m_Normal, &world);
                platform::Vec3Normalize(&hit.m_Normal, &hit.m_Normal);
            }
        }
        if (!more)
            break;
    }
    return found;
}

} // namespace

bool kaWorld::Pick(const platform::Vector3& start, const platform::Vector3& end, kaCollideInfo* result,
                   uint32_t flags)
{
    if (!result)
        return false;
    bool terrainHit = false;
    platform::Vector3 terrainPoint;
    platform::Vector3 terrainNormal;
    if ((flags & kPickTerrain) && m_pTerrain)
        terrainHit = m_pTerrain->IntersectRay(start.x, start.y, start.z, end.x, end.y, end.z, terrainPoint,
                                              terrainNormal);

    kaEntity* best = nullptr;
    kaCollideInfo bestHit;
    float bestDistance = 1e11f;
    if ((flags & (kPickSpheres | kPickBoxes | kPickMeshes)) && m_pQuadTree)
    {
        const kaLineSegment segment(start.x, start.y, start.z, end.x, end.y, end.z);
        std::vector<kaEntity*> candidates;
        m_pQuadTree->QuerySegment(start, end, candidates);
        // Backwards, so that on equal distances the one collected last wins.
        for (auto at = candidates.rbegin(); at != candidates.rend(); ++at)
        {
            kaEntity* entity = *at;
            if (!entity->IsCollidable() || (!entity->IsVisible() && !(flags & kPickInvisible)))
                continue;
            kaBoundingBox* box = entity->GetBoundingBox();
            if (!box)
                continue;
            kaCollideInfo hit;
            if (!SegmentIntersectsSphere(box->m_Centre, box->m_Radius, segment, &hit))
                continue;
            const uint8_t own = entity->GetPickFlags();
            if (!(flags & kPickSpheres) && !(own & kaEntity::kPickSphereOnly))
            {
                if ((flags & kPickBoxes) || (own & kaEntity::kPickBoxOnly))
                {
                    if (!SegmentIntersectsBoxCorners(box->m_Corners, segment, &hit))
                        continue;
                }
                else if (!PickMeshes(*entity, segment, hit))
                    continue;
            }
            const float distance = DistanceSquared(start, hit.m_Point);
            const bool counts = (flags & kPickVenueOnly) ? entity == m_pVenueEntity : distance < bestDistance;
            if (!counts)
                continue;
            best = entity;
            bestHit = hit;
            bestDistance = distance;
        }
    }

    if (!terrainHit && !best)
        return false;
    const bool entityWins =
        best && (!terrainHit || DistanceSquared(start, terrainPoint) >= bestDistance - 0.1f);
    if (entityWins)
    {
        result->m_Point = bestHit.m_Point;
        result->m_Normal = bestHit.m_Normal;
        result->m_pObject = best;
    }
    else
    {
        result->m_Point = terrainPoint;
        result->m_Normal = terrainNormal;
        result->m_pObject = m_pTerrain;
    }
    return true;
}

bool kaWorld::FindEntitiesInRect(const kaEntity* excluded, float x1, float z1, float x2, float z2,
                                 std::vector<kaEntity*>* out, uint32_t flags) const
{
    return m_pQuadTree && m_pQuadTree->QueryRect(excluded, x1, z1, x2, z2, out, flags);
}

void kaWorld::_ShowPickRay()
{
    int32_t x = 0;
    int32_t y = 0;
    platform::Vector3 origin;
    platform::Vector3 direction;
    if (!s_CursorSource || !s_CursorSource(x, y) ||
        !GetPickRay(static_cast<float>(x), static_cast<float>(y), origin, direction))
        return;
    const platform::Vector3 end = origin + direction * kPickRayLength;
    kaCollideInfo hit;
    const bool picked = Pick(origin, end, &hit, kPickRayFlags);
    if (!g_pGraphicsManager)
        return;
    const auto line = [](const platform::Vector3& a, const platform::Vector3& b, uint32_t colour) {
        g_pGraphicsManager->QueueDebugPrimitive({{a.x, a.y, a.z, colour}, {b.x, b.y, b.z, colour}}, true);
    };
    line(origin, end, 0xFF808080u);
    if (picked)
        line(hit.m_Point, hit.m_Point + hit.m_Normal * 10.0f, 0xFFFF0000u);
}
