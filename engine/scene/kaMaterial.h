#pragma once

#include "engine/core/kaClassInfo.h"

#include <cstdint>
#include <string>

class TiXmlElement;

// The surface of one collision primitive: the friction its contacts use, its impact sounds, the damage
// it does, whether contacts pass through it and the particles wheels raise on it. Loaded from "Material"
// init-data records; a record's "classType" may name a derived class made through the material registry.
class kaMaterial
{
public:
    static constexpr const char* kInitDataType = "Material";
    static constexpr float kDefaultFriction = 1.0f;

    kaMaterial();
    virtual ~kaMaterial();
    kaMaterial(const kaMaterial&) = delete;
    kaMaterial& operator=(const kaMaterial&) = delete;

    static const kaClassInfo& StaticClassInfo();
    virtual const std::string& GetClassName() const;
    virtual uint32_t GetClassId() const;
    virtual const kaClassInfo& GetClassInfo() const;
    // Reads the keys present; absent keys leave their fields as they were. A malformed value throws
    // ka::bad_lexical_cast, which the init-data walk catches.
    virtual void ReadXml(const TiXmlElement* element);

    // The record of that identifier, its includes first, over the current values. The name is the
    // identifier whatever the record includes; an identifier without a record changes only the name.
    void Load(const std::string& identifier);
    // A new material of the class the record's "classType" names, a plain one when the record, the key or
    // the class is missing; loaded from the record. Owned by the caller.
    static kaMaterial* CreateFromInitData(const std::string& identifier);

    const std::string& GetName() const { return m_Name; }
    // The alternate sound while the alternate flag is set and there is one, else the sound file.
    const std::string& GetActiveSoundFile() const;
    const std::string& GetSoundFile() const { return m_SoundFile; }
    const std::string& GetAltSoundFile() const { return m_AltSoundFile; }
    bool GetUseAltSound() const { return m_UseAltSound; }
    void SetUseAltSound(bool use) { m_UseAltSound = use; }
    float GetFriction() const { return m_Friction; }
    void SetFriction(float friction) { m_Friction = friction; }
    float GetBaseFriction() const { return m_BaseFriction; }
    // Puts a scaled friction back to the value read.
    void RestoreFriction() { m_Friction = m_BaseFriction; }
    int32_t GetType() const { return m_Type; }
    int32_t GetSoundPriority() const { return m_SoundPriority; }
    float GetDamagePerSecond() const { return m_DamagePerSecond; }
    bool GetNoImpactDamage() const { return m_NoImpactDamage; }
    bool GetPassThrough() const { return m_PassThrough; }
    void SetPassThrough(bool passThrough) { m_PassThrough = passThrough; }
    const std::string& GetRollParticle() const { return m_RollParticle; }
    const std::string& GetSlipParticle() const { return m_SlipParticle; }

protected:
    std::string m_Name;
    std::string m_SoundFile;
    std::string m_AltSoundFile;
    bool m_UseAltSound = false;
    float m_Friction = kDefaultFriction;
    float m_BaseFriction = kDefaultFriction;
    int32_t m_Type = 0;
    int32_t m_SoundPriority = 0;
    float m_DamagePerSecond = 0.0f;
    bool m_NoImpactDamage = false;
    bool m_PassThrough = false;
    std::string m_RollParticle;
    std::string m_SlipParticle;
};
