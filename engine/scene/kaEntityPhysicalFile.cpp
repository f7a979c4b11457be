#include "engine/scene/kaEntityPhysical.h"

#include "engine/core/kaApp.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/scene/kaAltSoundTrigger.h"
#include "engine/scene/kaImpactDecal.h"
#include "engine/scene/kaTerrainBase.h"
#include "engine/scene/kaWorld.h"

#include <tinyxml.h>

#include <algorithm>

// The entity's keys of a file: read and applied, and kept to be written back as they were given.

using platform::Vector3;

namespace
{

Vector3 ReadVector(const TiXmlElement* element, Vector3 value)
{
    if (const TiXmlElement* x = element->FirstChildElement("x"))
        value.x = GetElementFloat(x);
    if (const TiXmlElement* y = element->FirstChildElement("y"))
        value.y = GetElementFloat(y);
    if (const TiXmlElement* z = element->FirstChildElement("z"))
        value.z = GetElementFloat(z);
    return value;
}

// Keys the reader takes once (the first element of the name) and keys it takes from every element.
const char* const kSingleKeys[] = {"overrideCOG",  "mass",   "processCollisionForce", "collisionThreshold",
                                   "collisionMax", "pinned", "ragdollInitID"};
const char* const kListKeys[] = {"joint", "materialLookup", "boneControl", "decal", "altSoundTrigger"};

template <size_t Count> bool IsOneOf(const std::string& key, const char* const (&keys)[Count])
{
    return std::find(std::begin(keys), std::end(keys), key) != std::end(keys);
}

} // namespace

void kaEntityPhysical::ReadXml(const TiXmlElement* element)
{
    if (element && !IsReadingInitData())
        _KeepOwnKeys(element);
    if (element)
    {
        const TiXmlElement* cog = element->FirstChildElement("overrideCOG");
        if (ReadKeyOf(cog, "overrideCOG", [this, cog] { m_OverrideCOG = ReadVector(cog, m_OverrideCOG); }))
            m_HasOverrideCOG = true;
    }
    kaEntityModel::ReadXml(element);
    if (!element)
        return;
    Vector3 spawn = m_SpawnPosition;
    const TiXmlElement* position = element->FirstChildElement("position");
    if (ReadKeyOf(position, "position", [&spawn, position] { spawn = ReadVector(position, spawn); }))
    {
        if (m_SnapToTerrain)
        {
            kaTerrainBase* terrain = m_pWorld ? m_pWorld->GetTerrain() : nullptr;
            spawn.y = terrain ? terrain->GetHeightAt(spawn.x, spawn.z) : 0.0f;
        }
        m_SpawnPosition = spawn;
        m_HasSpawnPosition = true;
    }
    float mass = 0.0f;
    if (ReadFloatKey(element, "mass", mass))
    {
        // A mass of 0 or less would make ODE abort.
        if (m_Body && m_Mass.mass > 0.0 && mass > 0.0f)
        {
            m_ConfiguredMass = mass;
            dMassAdjust(&m_Mass, mass);
            dBodySetMass(m_Body, &m_Mass);
        }
    }
    ReadBoolKey(element, "processCollisionForce", m_ProcessCollisionForce);
    ReadFloatKey(element, "collisionThreshold", m_CollisionThreshold);
    ReadFloatKey(element, "collisionMax", m_CollisionMax);
    // Judged in the editor as in a run, so that a course the editor passes is one a run keeps; applied
    // only in a run, where a pinned entity stays put.
    bool pinned = m_Pinned;
    ReadBoolKey(element, "pinned", pinned);
    const kaApp* app = kaApp::GetSingleton();
    if (!app || !app->IsEditor())
        m_Pinned = pinned;
    for (const TiXmlElement* joint = element->FirstChildElement("joint"); joint;
         joint = joint->NextSiblingElement("joint"))
        _ReadJoint(joint);
    for (const TiXmlElement* lookup = element->FirstChildElement("materialLookup"); lookup;
         lookup = lookup->NextSiblingElement("materialLookup"))
    {
        const std::string material = GetChildElementText("materialID", lookup);
        for (const TiXmlElement* prim = lookup->FirstChildElement("prim"); prim;
             prim = prim->NextSiblingElement("prim"))
        {
            if (!m_pMaterialLookup)
                m_pMaterialLookup = std::make_unique<std::map<std::string, std::string>>();
            m_pMaterialLookup->emplace(GetElementText(prim), material);
        }
    }
    if (m_pModel)
    {
        for (const TiXmlElement* control = element->FirstChildElement("boneControl"); control;
             control = control->NextSiblingElement("boneControl"))
            _ReadBoneControl(control);
    }
    if (const TiXmlElement* ragdoll = element->FirstChildElement("ragdollInitID"))
        m_RagdollInitID = GetElementText(ragdoll);
    for (const TiXmlElement* decal = element->FirstChildElement("decal"); decal;
         decal = decal->NextSiblingElement("decal"))
    {
        auto record = std::make_unique<kaImpactDecal>();
        if (ReadKeyOf(decal, "decal", [&record, decal] { record->ReadXml(decal); }))
            m_ImpactDecals.push_back(std::move(record));
    }
    for (const TiXmlElement* trigger = element->FirstChildElement("altSoundTrigger"); trigger;
         trigger = trigger->NextSiblingElement("altSoundTrigger"))
    {
        auto record = std::make_unique<kaAltSoundTrigger>();
        if (ReadKeyOf(trigger, "altSoundTrigger", [&record, trigger] { record->ReadXml(trigger); }))
            m_AltSoundTriggers.push_back(std::move(record));
    }
}

void kaEntityPhysical::WriteXml(TiXmlElement* element) const
{
    kaEntityModel::WriteXml(element);
    if (!element)
        return;
    for (const std::unique_ptr<TiXmlElement>& key : m_OwnKeys)
        element->InsertEndChild(*key);
}

void kaEntityPhysical::_KeepOwnKeys(const TiXmlElement* element)
{
    for (const TiXmlElement* child = element->FirstChildElement(); child; child = child->NextSiblingElement())
    {
        const std::string key = child->Value();
        const bool single = IsOneOf(key, kSingleKeys);
        if (!single && !IsOneOf(key, kListKeys))
            continue;
        if (single)
        {
            // Only the first of its name is read; a later block's key replaces an earlier one.
            if (child != element->FirstChildElement(key.c_str()))
                continue;
            m_OwnKeys.erase(std::remove_if(m_OwnKeys.begin(), m_OwnKeys.end(),
                                           [&key](const std::unique_ptr<TiXmlElement>& kept)
                                           { return key == kept->Value(); }),
                            m_OwnKeys.end());
        }
        m_OwnKeys.emplace_back(child->Clone()->ToElement());
    }
}
