#include "engine/scene/kaEntityPhysical.h"

#include "engine/core/kaXmlHelpers.h"
#include "engine/scene/kaAltSoundTrigger.h"
#include "engine/scene/kaImpactDecal.h"
#include "engine/scene/kaWorld.h"

#include <tinyxml.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

// The entity's keys of a file: read and applied, and kept to be written back as they were given.

namespace
{

// Keys the reader takes once (the first element of the name) and keys it takes from every element.
const std::vector<std::string> kSingleKeys = {"overrideCOG",        "mass",         "processCollisionForce",
                                              "collisionThreshold", "collisionMax", "pinned",
                                              "ragdollInitID"};
const std::vector<std::string> kListKeys = {"joint", "materialLookup", "boneControl", "decal",
                                            "altSoundTrigger"};

std::vector<std::string> OwnKeys()
{
    std::vector<std::string> keys = kSingleKeys;
    keys.insert(keys.end(), kListKeys.begin(), kListKeys.end());
    return keys;
}

} // namespace

void kaEntityPhysical::ReadXml(const TiXmlElement* element)
{
    // Some are not applied when read (pinned in the editor, mass without a body, the lookup once handed
    // out), and a record's keys stay with the record: the block's are written back as it gave them.
    if (element && !IsReadingInitData())
        m_BlockKeys.Keep(element, kSingleKeys, kListKeys);
    // The geoms lie off the body by the offset: it is a placement as much as the body's position is.
    if (element && ReadPlacementKey(element, "overrideCOG", m_OverrideCOG, true))
        m_HasOverrideCOG = true;
    kaEntityModel::ReadXml(element);
    if (!element)
        return;
    // The model's reader took the position (snapped, and within the bound): the body starts there.
    if (m_PositionRead)
    {
        m_SpawnPosition = m_ReadPosition;
        m_HasSpawnPosition = true;
    }
    float mass = 0.0f;
    if (ReadKey(element, "mass", mass))
    {
        // A mass of 0 or less would make ODE abort.
        if (m_Body && m_Mass.mass > 0.0 && mass > 0.0f)
        {
            m_ConfiguredMass = mass;
            dMassAdjust(&m_Mass, mass);
            dBodySetMass(m_Body, &m_Mass);
        }
    }
    ReadKey(element, "processCollisionForce", m_ProcessCollisionForce);
    ReadKey(element, "collisionThreshold", m_CollisionThreshold);
    ReadKey(element, "collisionMax", m_CollisionMax);
    // Judged in the editor as in a run, so that a course the editor passes is one a run keeps; applied
    // only in a run, where a pinned entity stays put.
    bool pinned = m_Pinned;
    ReadKey(element, "pinned", pinned);
    if (!IsInEditedWorld())
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
    static const std::vector<std::string> keys = OwnKeys();
    m_BlockKeys.Write(element, keys);
}
