#include "engine/scene/kaMaterial.h"

#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/core/kaXmlValues.h"
#include "engine/scene/MaterialRegistry.h"

#include <tinyxml.h>

namespace
{

const bool s_Registered = (MaterialRegistry::Register("kaMaterial") = &MaterialRegistry::Make<kaMaterial>,
                           true);

} // namespace

kaMaterial::kaMaterial() = default;

kaMaterial::~kaMaterial() = default;

const kaClassInfo& kaMaterial::StaticClassInfo()
{
    static const kaClassInfo record("kaMaterial", 0, nullptr);
    return record;
}

const std::string& kaMaterial::GetClassName() const
{
    return StaticClassInfo().GetName();
}

uint32_t kaMaterial::GetClassId() const
{
    return StaticClassInfo().GetId();
}

const kaClassInfo& kaMaterial::GetClassInfo() const
{
    return StaticClassInfo();
}

void kaMaterial::ReadXml(const TiXmlElement* element)
{
    if (!element)
        return;
    if (const TiXmlElement* friction = element->FirstChildElement("friction"))
    {
        m_Friction = GetElementFloat(friction);
        m_BaseFriction = m_Friction;
    }
    kaXmlValues::ReadIntOrThrow(element, "type", m_Type);
    kaXmlValues::ReadIntOrThrow(element, "soundPriority", m_SoundPriority);
    kaXmlValues::ReadTextIfPresent(element, "soundFile", m_SoundFile);
    kaXmlValues::ReadTextIfPresent(element, "altSoundFile", m_AltSoundFile);
    kaXmlValues::ReadFloatOrThrow(element, "damagePerSecond", m_DamagePerSecond);
    kaXmlValues::ReadBoolOrThrow(element, "passThrough", m_PassThrough);
    kaXmlValues::ReadTextIfPresent(element, "slipParticle", m_SlipParticle);
    kaXmlValues::ReadTextIfPresent(element, "rollParticle", m_RollParticle);
    kaXmlValues::ReadBoolOrThrow(element, "noImpactDamage", m_NoImpactDamage);
}

void kaMaterial::Load(const std::string& identifier)
{
    // The database applies the includes first and ends include cycles; the name stays the identifier
    // given, since game code recognises special materials by it.
    m_Name = identifier;
    if (g_pInitDataBase)
        g_pInitDataBase->Apply(kInitDataType, identifier, [this](TiXmlElement* data) { ReadXml(data); });
}

kaMaterial* kaMaterial::CreateFromInitData(const std::string& identifier)
{
    std::string classType;
    if (g_pInitDataBase)
    {
        if (const kaInitData* record = g_pInitDataBase->Find(kInitDataType, identifier))
            classType = GetChildElementText("classType", record->GetData());
    }
    kaMaterial* material = MaterialRegistry::Create(classType);
    if (!material)
        material = new kaMaterial();
    material->Load(identifier);
    return material;
}

const std::string& kaMaterial::GetActiveSoundFile() const
{
    return m_UseAltSound && !m_AltSoundFile.empty() ? m_AltSoundFile : m_SoundFile;
}
