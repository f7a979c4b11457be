#pragma once

#include "engine/scene/kaEntity.h"

#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector3.h"

#include <cstdint>
#include <string>

class kaEntityModel;

// Links two model entities bone to bone: whenever either moves, the other follows so that bone 2 stays at
// the offset from bone 1 in the world (a rider on a motorcycle). The link is made directly with Attach or
// from the world's state snapshot once the world has loaded. The attacher and both entities know of
// each other; whichever dies first tells the others.
class kaEntityAttacher : public kaEntity
{
    KA_ENTITY_CLASS_RECORD()

public:
    static constexpr int32_t kNoBone = -1;
    static constexpr int32_t kNoEntity = -1;

    kaEntityAttacher();
    ~kaEntityAttacher() override;

    // "entityID1", "entityID2", "boneName1" and "boneName2", each only when present.
    void ReadState(const TiXmlElement* element) override;
    // The identifiers and bone names of the linked entities, so that a restore links them again.
    void WriteState(TiXmlElement* element) const override;
    // Links the entities of the stored identifiers by the stored bone names.
    void ResolveLinks() override;
    // Puts the other entity where the moved one's bone says.
    virtual void FollowMover(kaEntityModel* moved, int32_t movedBone, kaEntityModel* other,
                             int32_t otherBone);

    // Nothing when an entity is null or lacks its bone: the earlier link stays.
    void Attach(kaEntityModel* entity1, const std::string& boneName1, kaEntityModel* entity2,
                const std::string& boneName2);
    void OnEntityMoved(kaEntityModel* moved);
    // A linked entity is being destroyed: the link ends.
    void OnEntityDestroyed(kaEntityModel* entity);
    // Where bone 2 sits from bone 1 (angles in radians about X, Y, Z); used by the next Attach.
    void SetOffset(const platform::Vector3& position, const platform::Vector3& angles);

    // The one linked to the given entity, null when that is not linked.
    kaEntityModel* GetOtherEntity(const kaEntityModel* entity) const;
    kaEntityModel* GetEntity1() const { return m_pEntity1; }
    kaEntityModel* GetEntity2() const { return m_pEntity2; }
    int32_t GetBoneIndex1() const { return m_BoneIndex1; }
    int32_t GetBoneIndex2() const { return m_BoneIndex2; }
    const std::string& GetBoneName1() const { return m_BoneName1; }
    const std::string& GetBoneName2() const { return m_BoneName2; }
    int32_t GetEntityID1() const { return m_EntityID1; }
    int32_t GetEntityID2() const { return m_EntityID2; }
    const platform::Matrix& GetOffset() const { return m_Offset; }

private:
    void _Unlink();
    kaEntityModel* _FindModel(int32_t id) const;

    platform::Matrix m_Offset;
    platform::Matrix m_InverseOffset;
    kaEntityModel* m_pEntity1 = nullptr;
    int32_t m_BoneIndex1 = kNoBone;
    kaEntityModel* m_pEntity2 = nullptr;
    int32_t m_BoneIndex2 = kNoBone;
    platform::Vector3 m_OffsetPosition{0.0f, 0.0f, 0.0f};
    platform::Vector3 m_OffsetAngles{0.0f, 0.0f, 0.0f};
    std::string m_BoneName1;
    std::string m_BoneName2;
    int32_t m_EntityID1 = kNoEntity;
    int32_t m_EntityID2 = kNoEntity;
};
