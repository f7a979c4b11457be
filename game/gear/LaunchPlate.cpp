#include "game/gear/LaunchPlate.h"

#include "engine/core/kaXmlHelpers.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaMaterial.h"
#include "game/vehicles/tvVehicle.h"

#include <tinyxml.h>

#include <algorithm>

KA_ENTITY_CLASS_RECORD_DEFINITION(LaunchPlate, "LaunchPlate")

namespace
{

const EntityFactory::Registration s_Registration(LaunchPlate::StaticClassInfo(),
                                                 &EntityFactory::Create<LaunchPlate>);

} // namespace

LaunchPlate::LaunchPlate() = default;

LaunchPlate::~LaunchPlate() = default;

void LaunchPlate::ReadXml(const TiXmlElement* element)
{
    if (element)
    {
        if (const TiXmlElement* prim = element->FirstChildElement("launchPrim"))
            m_LaunchPrim = GetElementText(prim);
        if (const TiXmlElement* force = element->FirstChildElement("launchForce"))
            m_LaunchForce = GetElementFloat(force);
    }
    StuntGear::ReadXml(element);
}

void LaunchPlate::WriteXml(TiXmlElement* element) const
{
    StuntGear::WriteXml(element);
    if (!element)
        return;
    AppendTextElement(element, "launchPrim", m_LaunchPrim);
    AppendFloatElement(element, "launchForce", m_LaunchForce);
}

void LaunchPlate::Update(float dt)
{
    m_Cooldown = std::max(0.0f, m_Cooldown - dt);
    StuntGear::Update(dt);
}

void LaunchPlate::OnCollide(kaEntityPhysical* other, kaMaterial*, kaMaterial* otherMaterial)
{
    if (m_Cooldown > 0.0f || !otherMaterial || otherMaterial->GetName() != kLaunchMaterial)
        return;
    tvVehicle* vehicle = PlayerVehicle();
    if (!other || other != vehicle)
        return;
    vehicle->AddLaunch(m_LaunchForce);
    m_Cooldown = kCooldown;
}
