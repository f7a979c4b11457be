#include "game/vehicles/tvWheel.h"

#include "engine/core/kaRandom.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaGeomData.h"
#include "engine/scene/kaJoint.h"
#include "engine/scene/kaMaterial.h"
#include "engine/scene/kaWheelSurfaceEmitters.h"
#include "game/vehicles/tvVehicle.h"
#include "game/world/tvWorld.h"

KA_ENTITY_CLASS_RECORD_DEFINITION(tvWheel, "tvWheel")

namespace
{

const EntityFactory::Registration s_Registration(tvWheel::StaticClassInfo(), &EntityFactory::Create<tvWheel>);

} // namespace

tvWheel::tvWheel() = default;

tvWheel::~tvWheel() = default;

void tvWheel::Initialize()
{
    kaWheel::Initialize();
    m_pJoined = m_Joints.empty() ? nullptr : m_Joints.front()->GetOtherEnd(this);
}

float tvWheel::GetTyreFriction() const
{
    const kaMaterial* material = m_GeomData.empty() ? nullptr : m_GeomData.front()->GetMaterial();
    return material ? material->GetFriction() : 0.0f;
}

void tvWheel::_ScaleFriction(float factor)
{
    if (kaMaterial* material = m_GeomData.empty() ? nullptr : m_GeomData.front()->GetMaterial())
        material->SetFriction(material->GetBaseFriction() * factor);
}

void tvWheel::_RestoreSurface()
{
    if (kaMaterial* material = m_GeomData.empty() ? nullptr : m_GeomData.front()->GetMaterial())
        material->RestoreFriction();
    if (m_pSurfaceEmitters)
        m_pSurfaceEmitters->ForceMaterial(nullptr);
}

void tvWheel::Update(float dt)
{
    kaWheel::Update(dt);
    if (m_MudFrames > 0)
    {
        --m_MudFrames;
        if (m_MudFrames > 0)
            _ScaleFriction(kMudFriction);
        else
            _RestoreSurface();
        if (m_Body)
        {
            const dReal* v = dBodyGetLinearVel(m_Body);
            dBodyAddForce(m_Body, kMudDrag * v[0], kMudDrag * v[1], kMudDrag * v[2]);
        }
    }
    if (m_OilFrames > 0)
    {
        --m_OilFrames;
        if (m_OilFrames > 0)
            _ScaleFriction(kOilFriction);
        else
            _RestoreSurface();
    }
    if (m_GrateFrames >= 1)
    {
        --m_GrateFrames;
        if (m_GrateTimer <= 0.0f)
            _Jolt();
        m_GrateTimer -= dt;
    }
}

void tvWheel::_Jolt()
{
    const float r1 = RandomFloat();
    const float r2 = RandomFloat();
    m_GrateTimer = kJoltWait + kJoltWait * r2;
    // A wheel on no vehicle has no mass to lift nor damage to take.
    auto* vehicle = dynamic_cast<kaEntityPhysical*>(m_pJoined);
    if (!vehicle || m_Joints.empty())
        return;
    if (m_Body)
        dBodyAddRelForce(m_Body, 0.0, (kJoltBase + kJoltRandom * r1) * vehicle->GetMass().mass, 0.0);
    auto* car = dynamic_cast<tvVehicle*>(vehicle);
    const auto* world = dynamic_cast<const tvWorld*>(m_pWorld);
    const int32_t mode = world ? world->GetGameMode() : tvWorld::kDefaultGameMode;
    if (car && mode != kPracticeMode)
    {
        car->AddHitDamage(kJoltDamage * r1);
        car->SetDamage(car->GetDamage() + kJoltDamage * r1);
    }
}
