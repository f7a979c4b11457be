#include "game/gear/PowerUp.h"

#include "engine/core/Wizard.h"
#include "engine/core/kaClock.h"
#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/model/kaBoundingBox.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaCollideInfo.h"
#include "engine/scene/kaGeomData.h"
#include "engine/scene/kaMaterial.h"
#include "engine/scene/kaPropertyRecord.h"
#include "engine/scene/kaWorld.h"
#include "game/app/Tarvolin.h"
#include "game/gear/StuntGear.h"
#include "game/vehicles/tvVehicle.h"
#include "game/world/RaceDisplay.h"
#include "game/world/tvArena.h"
#include "game/world/tvWorld.h"
#include "game/world/tvWorldSounds.h"

#include "platform/gfx/math/Quaternion.h"

#include <tinyxml.h>

#include <string>

// The pick-up shape sits in a geom transform, which ODE keeps but marks deprecated.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

using platform::Quaternion;
using platform::Vector3;

KA_ENTITY_CLASS_RECORD_DEFINITION(PowerUp, "PowerUp")

namespace
{

const EntityFactory::Registration s_Registration(PowerUp::StaticClassInfo(), &EntityFactory::Create<PowerUp>);

constexpr int kAbsoluteClock = 4;
constexpr int32_t kCheer = 0;

// In the order they are written.
const std::vector<std::string> kKeys = {"powerupType",  "hideTime", "turboForce",  "turboTime",     "value",
                                        "turboMaxTime", "gravity",  "gravityTime", "gravityMaxTime"};

// Takes the row's value when it differs, or when the designer set the row over a text the block kept; the
// value is the block's from then on. True when either happened.
template <typename Field>
bool TakeRow(const kaPropertyRecord& row, Field& field, kaBlockKeys& kept, const char* key)
{
    const auto value = ka::lexical_cast<Field>(row.m_Value);
    if (value == field && !(row.m_Set && kept.Has(key)))
        return false;
    field = value;
    kept.Set(key, ka::lexical_cast<std::string>(field));
    return true;
}

bool IsTurbo(int32_t kind)
{
    return kind == PowerUp::kTurbo || kind == PowerUp::kMegaTurbo;
}

} // namespace

PowerUp::PowerUp() = default;

PowerUp::~PowerUp()
{
    _UnloadSounds();
}

void PowerUp::_UnloadSounds()
{
    if (!g_pWizard)
        return;
    if (m_RepairSound.id >= 0)
        g_pWizard->UnloadSound(m_RepairSound);
    if (m_JumpSound.id >= 0)
        g_pWizard->UnloadSound(m_JumpSound);
    m_RepairSound = kaSoundHandle();
    m_JumpSound = kaSoundHandle();
}

void PowerUp::ReadXml(const TiXmlElement* element)
{
    kaEntityPhysical::ReadXml(element);
    if (!element)
        return;
    if (!IsReadingInitData())
        m_BlockKeys.Keep(element, kKeys);
    ReadKey(element, "powerupType", m_PowerupType);
    ReadKey(element, "value", m_Value);
    ReadKey(element, "hideTime", m_HideTime);
    ReadKey(element, "turboTime", m_TurboTime);
    ReadKey(element, "turboForce", m_TurboForce);
    ReadKey(element, "turboMaxTime", m_TurboMaxTime);
    ReadKey(element, "gravity", m_Gravity);
    ReadKey(element, "gravityTime", m_GravityTime);
    ReadKey(element, "gravityMaxTime", m_GravityMaxTime);
}

void PowerUp::WriteXml(TiXmlElement* element) const
{
    kaEntityPhysical::WriteXml(element);
    if (!element)
        return;
    // A record's values come back from the record at each load.
    for (const std::string& key : kKeys)
        m_BlockKeys.Write(element, key);
}

void PowerUp::Initialize()
{
    kaEntityPhysical::Initialize();
    if (!g_pWizard)
        return;
    // A second Initialize must not leave the first pair loaded.
    _UnloadSounds();
    m_RepairSound = g_pWizard->LoadSound(kRepairSound, true, true, 0.0f, 0.0f, 0.0f, kSoundMaxDistance,
                                         kSoundMinDistance);
    m_JumpSound =
        g_pWizard->LoadSound(kJumpSound, true, true, 0.0f, 0.0f, 0.0f, kSoundMaxDistance, kSoundMinDistance);
}

void PowerUp::SetModel(kaModel* model)
{
    kaEntityPhysical::SetModel(model);
    const kaBoundingBox* box = GetBoundingBox();
    if (!m_Body || !box)
        return;
    const dReal radius = box->m_Radius;
    const Vector3 at = box->m_Centre - GetPosition();
    dGeomID sphere = dCreateSphere(nullptr, radius);
    dGeomSetPosition(sphere, at.x, at.y, at.z);
    dGeomID transform = dCreateGeomTransform(m_Space);
    dGeomTransformSetCleanup(transform, 1);
    dGeomTransformSetGeom(transform, sphere);
    auto record = std::make_unique<kaGeomData>();
    record->m_pEntity = this;
    record->SetGeom(transform);
    record->m_Position = at;
    auto material = std::make_unique<kaMaterial>();
    material->SetPassThrough(true);
    record->SetMaterial(std::move(material));
    dGeomSetBody(transform, m_Body);

    dMass mass;
    dMassSetZero(&mass);
    if (radius > 0.0)
    {
        dMassSetSphere(&mass, 1.0, radius);
        dMassTranslate(&mass, at.x, at.y, at.z);
    }
    record->m_Mass = mass;
    m_GeomData.push_back(std::move(record));
    // The body gets the mass only once it is centred: ODE refuses a mass off the body origin.
    m_Mass = mass;
    RecenterMass(true);
    dBodyDisable(m_Body);
}

float PowerUp::HeightAboveGround()
{
    if (!m_pWorld)
        return -1.0f;
    tvVehicle* vehicle = StuntGear::PlayerVehicle();
    const bool vehicleCollidable = vehicle && vehicle->IsCollidable();
    const bool ownCollidable = IsCollidable();
    if (vehicle)
        vehicle->SetCollidable(false);
    SetCollidable(false);
    const Vector3 from = GetBodyPosition();
    kaCollideInfo hit;
    const bool found = m_pWorld->Pick(from, from - Vector3(0.0f, kGroundPickDepth, 0.0f), &hit,
                                      kaWorld::kPickTerrain | kaWorld::kPickBoxes);
    if (vehicle)
        vehicle->SetCollidable(vehicleCollidable);
    SetCollidable(ownCollidable);
    return found ? from.y - hit.m_Point.y : -1.0f;
}

void PowerUp::Hide()
{
    SetVisible(false);
    m_HideStopwatch.Reset();
    m_HideStopwatch.Start();
}

void PowerUp::OnCollide(kaEntityPhysical* other, kaMaterial*, kaMaterial*)
{
    if (!other || other != StuntGear::PlayerVehicle() || !m_Visible)
        return;
    _PlayPickUpSounds();
    _GiveEffect();
    m_PickUpPosition = _Place();
    m_Rising = true;
    m_Collidable = false;
}

void PowerUp::_PlayPickUpSounds()
{
    Tarvolin* game = Tarvolin::Instance();
    if (!game)
        return;
    tvWorldSounds& sounds = game->GetWorldSounds();
    // Judged before the cheer: the cheer is a world sound too, and would always make it too soon.
    const bool quiet =
        GetTime(kAbsoluteClock) > static_cast<double>(sounds.GetLastPlayTime()) + kAnnounceSilence;
    game->PlayCrowdSound(kCheer);
    switch (m_PowerupType)
    {
    case kPoints:
        if (HeightAboveGround() > kJumpHeight)
            sounds.PlaySound(kJumpCue);
        else if (quiet)
            sounds.PlaySound(kPointCue);
        if (g_pWizard)
            g_pWizard->LoadAndPlaySound(kPointSound, ::GetSoundVolume(), false, 0.0f, 0.0f, 0.0f, true);
        break;
    case kTurbo:
    case kMegaTurbo:
        if (quiet)
            sounds.PlaySound(kTurboCue);
        break;
    case kRepair:
        if (g_pWizard)
            g_pWizard->PlaySound(m_RepairSound, false, ::GetSoundVolume());
        break;
    case kJump:
        if (g_pWizard)
            g_pWizard->PlaySound(m_JumpSound, false, ::GetSoundVolume());
        break;
    default:
        break;
    }
}

void PowerUp::_GiveEffect()
{
    tvVehicle* vehicle = StuntGear::PlayerVehicle();
    auto* world = dynamic_cast<tvWorld*>(m_pWorld);
    RaceDisplay* hud = world ? world->GetHudWindow() : nullptr;
    switch (m_PowerupType)
    {
    case kPoints:
        if (hud)
            hud->ShowPowerUpIcon(kPoints);
        if (world)
            world->AddPoints(m_Value);
        break;
    case kTurbo:
        vehicle->AddTurbo(m_TurboTime, m_TurboForce, m_TurboMaxTime);
        break;
    case kMegaTurbo:
        vehicle->AddGravity(m_TurboTime, m_TurboForce, m_TurboMaxTime);
        break;
    case kRepair:
        if (hud)
            hud->ShowPowerUpIcon(kRepair);
        vehicle->SetDamage(0.0f);
        break;
    case kJump:
        vehicle->AddJump(m_GravityTime, m_Gravity, m_GravityMaxTime);
        break;
    default:
        break;
    }
}

void PowerUp::Update(float dt)
{
    kaEntityPhysical::Update(dt);
    m_SpinTime += dt;
    if (m_HideTime != 0 && m_HideStopwatch.GetElapsed() > m_HideTime && _MayReturn())
    {
        m_HideStopwatch.Reset();
        SetVisible(true);
    }
    if (!m_Visible)
        return;

    Quaternion turn;
    const Vector3 up(0.0f, 1.0f, 0.0f);
    platform::QuaternionRotationAxis(&turn, &up, dt * kSpinRate);
    const Quaternion current = GetRotation();
    Quaternion rotation;
    platform::QuaternionMultiply(&rotation, &current, &turn);
    Vector3 position = _Place();

    if (m_Rising)
    {
        if (position.y > kRiseTop)
        {
            m_Rising = false;
            m_Collidable = true;
            AnimatePositionRotation(m_PickUpPosition, rotation);
            if (m_HideTime == 0)
                SetVisible(false);
            else
                Hide();
            return;
        }
        position.y += dt * kRiseRate;
    }
    // The spin and the rise are the run's: a save keeps the token as it was placed.
    AnimatePositionRotation(position, rotation);
}

bool PowerUp::_MayReturn() const
{
    if (m_PowerupType != kPoints || !m_pWorld)
        return true;
    const auto* arena = dynamic_cast<const tvArena*>(m_pWorld->GetVenueEntity());
    return !arena || arena->AllowsTokenRespawn();
}

Vector3 PowerUp::_Place() const
{
    return m_Body ? GetBodyPosition() : GetPosition();
}

void PowerUp::BuildPropertyList()
{
    kaEntity::BuildPropertyList();
    kaPropertyRecord::Append(m_PropertyList, kRespawnLabel, std::to_string(m_HideTime));
    if (IsTurbo(m_PowerupType))
    {
        kaPropertyRecord::Append(m_PropertyList, kTurboForceLabel,
                                 ka::lexical_cast<std::string>(m_TurboForce));
        kaPropertyRecord::Append(m_PropertyList, kTurboTimeLabel, ka::lexical_cast<std::string>(m_TurboTime));
    }
}

bool PowerUp::SetPropertyList(const kaPropertyList& list)
{
    bool changed = kaEntity::SetPropertyList(list);
    for (const kaCountedPtr<kaPropertyRecord>& row : list)
    {
        if (!row)
            continue;
        // What the user changed is the block's from now on, and is saved with it.
        if (row->m_Label == kRespawnLabel)
            changed |= TakeRow(*row, m_HideTime, m_BlockKeys, "hideTime");
        else if (row->m_Label == kTurboForceLabel)
            changed |= TakeRow(*row, m_TurboForce, m_BlockKeys, "turboForce");
        else if (row->m_Label == kTurboTimeLabel)
            changed |= TakeRow(*row, m_TurboTime, m_BlockKeys, "turboTime");
    }
    return changed;
}
