#pragma once

#include "engine/scene/kaEntityModel.h"

// The course start: a model entity named "SpawnPoint" at which the player's vehicle is put and which the
// follow camera looks up by that name. Only the editor shows it. It keeps the last placement given even
// without a model.
class kaSpawnPoint : public kaEntityModel
{
    KA_ENTITY_CLASS_RECORD()

public:
    static constexpr const char* kName = "SpawnPoint";

    kaSpawnPoint();
    ~kaSpawnPoint() override;

    // Never selectable; visible only while the map editor is open. The flags it had before are the ones
    // a save writes.
    void Initialize() override;
    void WriteXml(TiXmlElement* element) const override;
    void SetPositionRotation(const platform::Vector3& position,
                             const platform::Quaternion& rotation) override;
    void SetPosition(const platform::Vector3& position) override;
    void SetRotation(const platform::Quaternion& rotation) override;

    const platform::Vector3& GetSpawnPosition() const { return m_SpawnPosition; }
    const platform::Quaternion& GetSpawnRotation() const { return m_SpawnRotation; }

private:
    platform::Vector3 m_SpawnPosition{0.0f, 0.0f, 0.0f};
    // Identity until given: a start of all zeros is no rotation, and the physics refuses it.
    platform::Quaternion m_SpawnRotation{0.0f, 0.0f, 0.0f, 1.0f};
    // The visible and selectable flags as read or given, before Initialize changed them.
    bool m_FileFlagsKept = false;
    bool m_FileVisible = true;
    bool m_FileSelectable = true;
};
