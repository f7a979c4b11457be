#include "game/gear/LaunchPlate.h"

#include "engine/core/kaXmlHelpers.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaMaterial.h"
#include "game/vehicles/tvVehicle.h"

#include <tinyxml.h>

#include <algorithm>
#include <string>
#include <vector>

KA_ENTITY_CLASS_RECORD_DEFINITION(LaunchPlate, "LaunchPlate")

namespace
{

const EntityFactory::Registration s_Registration(LaunchPlate::StaticClassInfo(),
                                                 &EntityFactory::Create<LaunchPlate>);

const std::vector<std::string> kKeys = {"launchPrim", "launchForce"};

} // namespace

LaunchPlate::LaunchPlate() = default;

LaunchPlate::~LaunchPlate() = default;

void LaunchPlate::ReadXml(const TiXmlElement* element)
{
    if (element)
    {
        if (!IsReadingInitData())
            m_BlockKeys.Keep(element, kKeys);
        if (const TiXmlElement* prim = element->FirstChildElement("launchPrim"))
            m_LaunchPrim = GetElementText(prim);
        ReadKey(element, "launchForce", m_LaunchForce);
    }
    StuntGear::ReadXml(element);
}

void LaunchPlate::WriteXml(TiXmlElement* element) const
{
    StuntGear::WriteXml(element);
    for (const std::string& key : kKeys)
        m_BlockKeys.Write(element, key);
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
