#include "engine/scene/kaWheel.h"

#include "engine/core/kaXmlHelpers.h"
#include "engine/model/kaModel.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaGeomData.h"
#include "engine/scene/kaJoint.h"
#include "engine/scene/kaMaterial.h"
#include "engine/scene/kaPhysicsWorld.h"
#include "engine/scene/kaWheelEmitter.h"
#include "engine/scene/kaWheelSurfaceEmitters.h"

#include "platform/gfx/math/Matrix.h"
#include "platform/system/DebugOutput.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>

// The sphere sits in a geom transform, which ODE keeps but marks deprecated.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

using platform::Matrix;
using platform::Vector3;

KA_ENTITY_CLASS_RECORD_DEFINITION(kaWheel, "kaWheel")

namespace
{

const EntityFactory::Registration s_Registration(kaWheel::StaticClassInfo(), &EntityFactory::Create<kaWheel>);

constexpr dReal kHalfPi = 1.5707963267948966;

float Length(const Vector3& v)
{
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

Vector3 FromODE(const dReal* v)
{
    return Vector3(static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]));
}

} // namespace

kaWheel::kaWheel() : m_pSurfaceEmitters(std::make_unique<kaWheelSurfaceEmitters>())
{
    // Every wheel hears of its contacts' forces.
    m_ProcessCollisionForce = true;
}

kaWheel::~kaWheel() = default;

void kaWheel::ReadXml(const TiXmlElement* element)
{
    kaEntityPhysical::ReadXml(element);
    if (!element)
        return;
    if (const TiXmlElement* material = element->FirstChildElement("wheelMaterial"))
        m_WheelMaterialName = GetElementText(material);
}

void kaWheel::SetModel(kaModel* model)
{
    kaEntityPhysical::SetModel(model);
    if (!m_pModel || !m_Body)
        return;
    Vector3 min;
    Vector3 max;
    m_pModel->GetBounds(min, max);
    const Vector3 centre = (min + max) * 0.5f;
    const float radius = (max.y - min.y) / 2.0f;
    if (!(radius > 0.0f) || !std::isfinite(radius))
    {
        platform::OutputDebugString("[kaWheel::SetModel] : a model without height makes no wheel\n");
        return;
    }
    m_Circumference = radius * kTwoPi;

    // The primitives go back to model space: the mass of the sphere replaces theirs, and centring it
    // moves every geom again.
    _MoveTransformedGeoms(m_COGOffset);

    auto record = std::make_unique<kaGeomData>();
    record->m_pEntity = this;
    dGeomID transform = dCreateGeomTransform(m_Space);
    dGeomID sphere = dCreateSphere(nullptr, radius);
    dGeomSetPosition(sphere, centre.x, centre.y, centre.z);
    dGeomTransformSetGeom(transform, sphere);
    record->SetGeom(transform);
    dGeomSetBody(transform, m_Body);

    dMass mass;
    dMassSetSphere(&mass, 1.0, radius);
    dMatrix3 rotation;
    dRFromEulerAngles(rotation, 0.0, kHalfPi, 0.0);
    dMassRotate(&mass, rotation);
    dGeomSetRotation(sphere, rotation);
    dMassTranslate(&mass, centre.x, centre.y, centre.z);
    record->m_Mass = mass;
    record->m_Position = centre;
    m_Mass = mass;
    m_GeomData.push_back(std::move(record));
    dGeomTransformSetCleanup(transform, 1);

    // ODE refuses a mass off the body origin: it reaches the body only once centred.
    RecenterMass(false);
    SetBodyEnabled(false);
    dBodySetFiniteRotationMode(m_Body, 1);
}

void kaWheel::Initialize()
{
    kaEntityPhysical::Initialize();
    if (!m_GeomData.empty())
        m_GeomData.front()->SetMaterial(
            std::unique_ptr<kaMaterial>(kaMaterial::CreateFromInitData(m_WheelMaterialName)));
    m_pSurfaceEmitters->SetWorld(m_pWorld);
    m_pVehicle = m_Joints.empty() ? nullptr : m_Joints.front()->GetParent();
}

void kaWheel::OnCollide(kaEntityPhysical*, kaMaterial*, kaMaterial* otherMaterial)
{
    m_pSurfaceEmitters->SetMaterial(otherMaterial);
    m_ContactCounter = kContactSteps;
}

void kaWheel::ProcessCollisionForces()
{
    kaEntityPhysical::ProcessCollisionForces();
}

float kaWheel::_Slip(float spin, float dt) const
{
    const Vector3 velocity = FromODE(dBodyGetLinearVel(m_Body));
    const float roll = m_Circumference * spin * dt;
    const float speed = Length(velocity);
    float slip = roll > speed + kSpinSlipMargin ? roll - speed : 0.0f;
    if (speed <= kSlideSpeed)
        return slip;
    // The way the wheel points: the vehicle's front, turned by the steering.
    const Matrix& frame = m_pVehicle->GetWorldMatrixPtr();
    Vector3 heading(-frame(2, 0), -frame(2, 1), -frame(2, 2));
    const Vector3 up(frame(1, 0), frame(1, 1), frame(1, 2));
    Matrix turn;
    platform::MatrixRotationAxis(&turn, &up, -m_Joints.front()->GetAngle());
    Vector3 turned;
    platform::Vec3TransformNormal(&turned, &heading, &turn);
    heading = turned;
    const float along = (velocity.x * heading.x + velocity.y * heading.y + velocity.z * heading.z) / speed;
    const float side = std::acos(std::clamp(along, 0.0f, 1.0f)) * kTwoOverPi;
    if (side > kSideSlipMin && side > slip)
        slip = side;
    return slip;
}

void kaWheel::Update(float dt)
{
    --m_ContactCounter;
    if (m_pSurfaceEmitters)
    {
        if (m_ContactCounter <= 0)
        {
            m_pSurfaceEmitters->SetMaterial(nullptr);
            m_ContactCounter = 0;
        }
        const float spin = m_Body ? Length(FromODE(dBodyGetAngularVel(m_Body))) : 0.0f;
        if (kaWheelEmitter* roll = m_pSurfaceEmitters->GetRollEmitter())
            roll->SetRollSpeed(spin);
        // The vehicle counts while the wheel still hangs on it.
        const bool hung =
            m_pVehicle && !m_Joints.empty() && m_Joints.front()->GetOtherEnd(this) == m_pVehicle;
        kaWheelEmitter* slipEmitter = m_pSurfaceEmitters->GetSlipEmitter();
        if (slipEmitter && hung && m_Body)
        {
            m_LastSlip = _Slip(spin, dt);
            slipEmitter->SetSlip(m_LastSlip);
        }
        m_pSurfaceEmitters->Place(this);
    }
    kaEntityPhysical::Update(dt);
}
