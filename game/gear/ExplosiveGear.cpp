#include "game/gear/ExplosiveGear.h"

#include "engine/core/kaClock.h"
#include "engine/core/kaRandom.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/core/kaXmlValues.h"
#include "engine/model/kaBillboard.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaModel.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaRenderState.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaGeomData.h"
#include "engine/scene/kaWorld.h"
#include "game/app/Tarvolin.h"
#include "game/vehicles/tvVehicle.h"
#include "game/world/tvWorldSounds.h"

#include "platform/gfx/math/Matrix.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using platform::Matrix;
using platform::Vector3;

KA_ENTITY_CLASS_RECORD_DEFINITION(ExplosiveGear, "ExplosiveGear")

namespace
{

const EntityFactory::Registration s_Registration(ExplosiveGear::StaticClassInfo(),
                                                 &EntityFactory::Create<ExplosiveGear>);

// In the order they are written.
const std::vector<std::string> kKeys = {"explosionScale", "explosionRadius",    "explosionDamage",
                                        "explosionForce", "explosionThreshold", "collisionSound"};

// Calls visit(first vertex of the triangle, stride) for each listed triangle of the vertex run; the debris
// copy holds three vertices of its own per triangle, so triangle t starts at vertex 3t.
template <typename Visit>
void ForEachTriangle(kaResourceHandle run, uint32_t first, uint32_t triangles, Visit visit)
{
    if (!g_pGraphicsManager || !run)
        return;
    const uint32_t stride = g_pGraphicsManager->GetVertexStride(run);
    auto* data = static_cast<uint8_t*>(g_pGraphicsManager->LockVertexBuffer(run));
    if (!data || stride < sizeof(Vector3))
    {
        if (data)
            g_pGraphicsManager->UnlockVertexBuffer(run);
        return;
    }
    for (uint32_t t = 0; t < triangles; ++t)
        visit(t, data + (static_cast<size_t>(first) + 3u * t) * stride, stride);
    g_pGraphicsManager->UnlockVertexBuffer(run);
}

Vector3 ReadPosition(const uint8_t* vertex)
{
    Vector3 p;
    std::memcpy(&p, vertex, sizeof(p));
    return p;
}

void WritePosition(uint8_t* vertex, const Vector3& p)
{
    std::memcpy(vertex, &p, sizeof(p));
}

// Triangles whose three vertices the copy holds; a strip's share vertices and cannot break apart.
uint32_t LooseTriangles(const kaMeshSubset& subset)
{
    return subset.m_Strip ? 0u : subset.m_VertexCount / 3u;
}

} // namespace

ExplosiveGear::ExplosiveGear()
{
    m_ProcessCollisionForce = true;
}

ExplosiveGear::~ExplosiveGear()
{
    m_DebrisVelocities.clear();
    m_pDebrisMesh.reset();
    if (m_pBillboard)
        m_pBillboard->Release();
}

void ExplosiveGear::ReadXml(const TiXmlElement* element)
{
    StuntGear::ReadXml(element);
    if (!element)
        return;
    if (!IsReadingInitData())
        m_BlockKeys.Keep(element, kKeys);
    ReadKey(element, "explosionScale", m_ExplosionScale);
    ReadKey(element, "explosionRadius", m_ExplosionRadius);
    ReadKey(element, "explosionDamage", m_ExplosionDamage);
    ReadKey(element, "explosionForce", m_ExplosionForce);
    ReadKey(element, "explosionThreshold", m_ExplosionThreshold);
    if (const TiXmlElement* sound = element->FirstChildElement("collisionSound"))
        m_CollisionSound = GetElementText(sound);
}

void ExplosiveGear::WriteXml(TiXmlElement* element) const
{
    StuntGear::WriteXml(element);
    for (const std::string& key : kKeys)
        m_BlockKeys.Write(element, key);
}

void ExplosiveGear::Initialize()
{
    StuntGear::Initialize();
    if (!m_pModel || !m_pModel->GetMesh())
        return;
    _BuildDebris();
    if (!_BlastDoesAnything())
        return;
    if (m_pBillboard)
        m_pBillboard->Release();
    m_pBillboard = new kaBillboard;
    m_pBillboard->AddRef();
    m_pBillboard->SetSize(m_ExplosionScale, m_ExplosionScale);
    m_pBillboard->SetTexCoords(0.0f, 0.0f, 1.0f, 1.0f);
    m_pBillboard->CreateDeviceObjects();
    if (kaRenderState* state = m_pBillboard->GetRenderState())
        state->ApplyInitData(kExplosionRenderState);
    const kaBoundingBox* box = GetBoundingBox();
    const Vector3 centre = box ? box->m_Centre : GetPosition();
    m_pBillboard->SetPosition(centre.x, centre.y, centre.z);
}

void ExplosiveGear::_BuildDebris()
{
    m_pDebrisMesh = std::make_unique<kaMesh>();
    m_pDebrisMesh->CopySubsetsFrom(*m_pModel->GetMesh());
    m_DebrisVelocities.clear();

    const kaBoundingBox* box = GetBoundingBox();
    Vector3 centre = box ? box->m_Centre : GetPosition();
    Matrix toModel;
    const Matrix& world = m_pModel->GetWorldMatrix();
    if (platform::MatrixInverse(&toModel, nullptr, &world))
        platform::Vec3TransformCoord(&centre, &centre, &toModel);

    for (uint32_t s = 0; s < m_pDebrisMesh->GetSubsetCount(); ++s)
    {
        kaMeshSubset* subset = m_pDebrisMesh->GetSubset(s);
        std::vector<Vector3> velocities(subset ? LooseTriangles(*subset) : 0u);
        if (subset)
            ForEachTriangle(
                subset->m_SysVertexBuffer ? subset->m_SysVertexBuffer : subset->m_VertexBuffer,
                subset->m_FirstVertex, static_cast<uint32_t>(velocities.size()),
                [&](uint32_t t, uint8_t* vertex, uint32_t stride)
                {
                    Vector3 low = ReadPosition(vertex);
                    Vector3 high = low;
                    for (int k = 1; k < 3; ++k)
                    {
                        const Vector3 p = ReadPosition(vertex + k * stride);
                        low = Vector3(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
                        high = Vector3(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
                    }
                    const float speed = kMinDebrisSpeed + kDebrisSpeedRange * RandomFloat();
                    Vector3 direction = (low + high) * 0.5f - centre;
                    platform::Vec3Normalize(&direction, &direction);
                    velocities[t] = direction * speed;
                });
        m_DebrisVelocities.push_back(std::move(velocities));
    }
}

void ExplosiveGear::ProcessCollisionForces()
{
    kaEntityPhysical::ProcessCollisionForces();
    if (m_CollisionForceLength > m_ExplosionThreshold && !m_Exploded)
        Explode();
}

void ExplosiveGear::Explode()
{
    if (auto* game = Tarvolin::Instance())
        game->GetWorldSounds().PlaySound(m_CollisionSound);
    m_Exploded = true;
    for (const auto& record : m_GeomData)
        if (record->GetGeom())
            dGeomDisable(record->GetGeom());
    if (m_pModel)
    {
        const Matrix& world = m_pModel->GetWorldMatrix();
        for (auto& subset : m_DebrisVelocities)
            for (Vector3& velocity : subset)
                platform::Vec3TransformNormal(&velocity, &velocity, &world);
    }
    const kaBoundingBox* box = GetBoundingBox();
    m_BlastCentre = box ? box->m_Centre : GetPosition();
    if (m_pBillboard)
    {
        m_pBillboard->SetPosition(m_BlastCentre.x, m_BlastCentre.y, m_BlastCentre.z);
        // The flip-book starts from its first frame at the blast.
        if (kaRenderState* state = m_pBillboard->GetRenderState())
            state->m_Frame = 0;
    }
    if (_BlastDoesAnything())
        _PushNearby();
}

void ExplosiveGear::_PushNearby()
{
    if (!m_pWorld)
        return;
    std::vector<kaEntity*> near;
    m_pWorld->FindEntitiesInRect(nullptr, m_BlastCentre.x - m_ExplosionScale,
                                 m_BlastCentre.z - m_ExplosionScale, m_BlastCentre.x + m_ExplosionScale,
                                 m_BlastCentre.z + m_ExplosionScale, &near, 0);
    tvVehicle* vehicle = PlayerVehicle();
    for (kaEntity* entity : near)
    {
        if (entity == m_pWorld->GetVenueEntity())
            continue;
        auto* physical = dynamic_cast<kaEntityPhysical*>(entity);
        if (!physical || !physical->GetBody())
            continue;
        dBodyID body = physical->GetBody();
        Vector3 direction = physical->GetBodyPosition() - m_BlastCentre;
        platform::Vec3Normalize(&direction, &direction);
        const Vector3 push = direction * m_ExplosionForce;
        if (physical == vehicle)
        {
            dBodyAddForce(body, push.x, push.y, push.z);
            dBodyAddForceAtPos(body, 0.0, m_ExplosionForce * kLiftShare, 0.0, m_BlastCentre.x,
                               m_BlastCentre.y, m_BlastCentre.z);
            vehicle->AddImpactDamage(m_ExplosionDamage);
        }
        else
        {
            physical->SetBodyEnabled(true);
            dBodyAddForce(body, push.x, push.y, push.z);
        }
    }
}

void ExplosiveGear::Update(float dt)
{
    StuntGear::Update(dt);
    if (!m_Exploded)
        return;
    m_DebrisTime -= dt;
    if (m_DebrisTime < 0.0f && m_pWorld)
    {
        m_pWorld->DeleteEntity(this, true);
        return;
    }
    _MoveDebris(dt);
}

void ExplosiveGear::_MoveDebris(float dt)
{
    if (!m_pDebrisMesh)
        return;
    for (uint32_t s = 0; s < m_pDebrisMesh->GetSubsetCount() && s < m_DebrisVelocities.size(); ++s)
    {
        kaMeshSubset* subset = m_pDebrisMesh->GetSubset(s);
        std::vector<Vector3>& velocities = m_DebrisVelocities[s];
        for (Vector3& velocity : velocities)
            velocity.y -= dt * dt * kDebrisGravity;
        // Both copies move, the drawn one and the one the CPU reads, each once.
        const kaResourceHandle drawn = subset->m_VertexBuffer;
        const kaResourceHandle read = subset->m_SysVertexBuffer != drawn ? subset->m_SysVertexBuffer : 0;
        for (kaResourceHandle run : {drawn, read})
            ForEachTriangle(run, subset->m_FirstVertex, static_cast<uint32_t>(velocities.size()),
                            [&](uint32_t t, uint8_t* vertex, uint32_t stride)
                            {
                                for (uint32_t k = 0; k < 3; ++k)
                                    WritePosition(vertex + k * stride,
                                                  ReadPosition(vertex + k * stride) + velocities[t]);
                            });
    }
}

void ExplosiveGear::Render()
{
    if (!m_Exploded)
    {
        kaEntityPhysical::Render();
        return;
    }
    if (m_pBillboard)
        m_pBillboard->Render(0);
    if (!m_pDebrisMesh || !m_pModel || !g_pGraphicsManager)
        return;
    for (uint32_t s = 0; s < m_pDebrisMesh->GetSubsetCount(); ++s)
        m_pDebrisMesh->DrawSubset(g_pGraphicsManager->GetDevice(), m_pDebrisMesh->GetSubset(s),
                                  m_pModel->GetWorldMatrix());
}
