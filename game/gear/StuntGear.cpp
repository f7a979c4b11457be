#include "game/gear/StuntGear.h"

#include "engine/core/Wizard.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaMaterial.h"
#include "engine/scene/kaWorld.h"
#include "game/app/Tarvolin.h"
#include "game/vehicles/tvVehicle.h"
#include "game/vehicles/tvWheel.h"

#include <tinyxml.h>

#include <algorithm>

KA_ENTITY_CLASS_RECORD_DEFINITION(StuntGear, "StuntGear")

namespace
{

const EntityFactory::Registration s_Registration(StuntGear::StaticClassInfo(),
                                                 &EntityFactory::Create<StuntGear>);

} // namespace

StuntGear::StuntGear() = default;

StuntGear::~StuntGear()
{
    if (g_pWizard && m_DamageSequence.id >= 0)
        g_pWizard->UnloadLoopedSound(m_DamageSequence);
}

tvVehicle* StuntGear::PlayerVehicle()
{
    auto* game = Tarvolin::Instance();
    return game ? game->GetPlayerVehicle() : nullptr;
}

tvWheel* StuntGear::PlayerWheel(kaEntityPhysical* entity)
{
    const tvVehicle* vehicle = PlayerVehicle();
    if (!vehicle || !entity || !vehicle->IsWheel(entity))
        return nullptr;
    return dynamic_cast<tvWheel*>(entity);
}

void StuntGear::ReadXml(const TiXmlElement* element)
{
    kaEntityPhysical::ReadXml(element);
    if (!IsReadingInitData())
        m_BlockKeys.Keep(element, {"damageSequence"});
    const TiXmlElement* sequence = element ? element->FirstChildElement("damageSequence") : nullptr;
    if (!sequence)
        return;
    const TiXmlElement* intro = sequence->FirstChildElement("intro");
    const TiXmlElement* loop = sequence->FirstChildElement("loop");
    const TiXmlElement* outro = sequence->FirstChildElement("outro");
    if (!intro || !loop || !outro)
        return;
    if (!g_pWizard)
        return;
    // A record applied twice must not leave the first sound loaded.
    if (m_DamageSequence.id >= 0)
        g_pWizard->UnloadLoopedSound(m_DamageSequence);
    m_DamageSequence = g_pWizard->LoadLoopedSound(GetElementText(intro), GetElementText(loop),
                                                  GetElementText(outro), 0, false, 0.0f, 0.0f, 0.0f,
                                                  kSoundMaxDistance, kSoundMinDistance, nullptr, nullptr);
    g_pWizard->SetLoopedSoundVolume(m_DamageSequence, ::GetSoundVolume(), 0);
}

void StuntGear::WriteXml(TiXmlElement* element) const
{
    kaEntityPhysical::WriteXml(element);
    m_BlockKeys.Write(element, "damageSequence");
}

void StuntGear::Initialize()
{
    kaEntityPhysical::Initialize();
}

void StuntGear::SetModel(kaModel* model)
{
    kaEntityPhysical::SetModel(model);
}

bool StuntGear::IsDamageSequencePlaying() const
{
    if (!g_pWizard || m_DamageSequence.id < 0)
        return false;
    for (const int32_t id : {m_DamageSequence.id, m_DamageSequence.id2, m_DamageSequence.id3})
    {
        kaSoundHandle part;
        part.id = id;
        if (id >= 0 && g_pWizard->IsSoundPlaying(part))
            return true;
    }
    return false;
}

void StuntGear::_KeepDamageSequence()
{
    if (g_pWizard && m_DamageSequence.id >= 0 && !IsDamageSequencePlaying())
        g_pWizard->StartLoopedSound(m_DamageSequence);
    m_SoundSteps = kContactSteps;
}

void StuntGear::OnCollide(kaEntityPhysical* other, kaMaterial* ownMaterial, kaMaterial*)
{
    tvVehicle* vehicle = PlayerVehicle();
    if (!other || other != vehicle)
        return;
    _KeepDamageSequence();
    const float rate = ownMaterial ? ownMaterial->GetDamagePerSecond() : 0.0f;
    m_DamageRate = m_DamageSteps == 0 ? rate : std::max(m_DamageRate, rate);
    m_DamageSteps = kContactSteps;
}

void StuntGear::Update(float dt)
{
    kaEntityPhysical::Update(dt);
    if (m_DamageSteps > 0)
    {
        if (m_DamageRate > 0.0f)
            if (tvVehicle* vehicle = PlayerVehicle())
                vehicle->AddImpactDamage(m_DamageRate);
        --m_DamageSteps;
        m_DamageRate = 0.0f;
    }
    if (m_RemovalTimer > 0.0f)
    {
        m_RemovalTimer -= dt;
        if (m_RemovalTimer <= 0.0f)
        {
            m_RemovalTimer = 0.0f;
            // Deferred: the world may be walking its update list.
            if (m_pWorld)
                m_pWorld->DeleteEntity(this, true);
        }
    }
    if (m_DamageSequence.id >= 0 && g_pWizard)
    {
        if (m_SoundSteps < 1)
            g_pWizard->StopLoopedSound(m_DamageSequence);
        else
            --m_SoundSteps;
    }
}
