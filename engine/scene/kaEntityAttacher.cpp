#include "engine/scene/kaEntityAttacher.h"

#include "engine/core/kaXmlHelpers.h"
#include "engine/model/kaModel.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaWorld.h"

#include <tinyxml.h>

using platform::Matrix;

KA_ENTITY_CLASS_RECORD_DEFINITION(kaEntityAttacher, "kaEntityAttacher")

namespace
{

const EntityFactory::Registration s_Registration(kaEntityAttacher::StaticClassInfo(),
                                                 &EntityFactory::Create<kaEntityAttacher>);

const Matrix* BoneMatrix(const kaEntityModel* entity, int32_t bone)
{
    const kaModel* model = entity ? entity->GetModel() : nullptr;
    return (model && bone >= 0) ? model->GetBoneMatrix(bone) : nullptr;
}

Matrix Inverse(const Matrix& m)
{
    Matrix out;
    platform::MatrixInverse(&out, nullptr, &m);
    return out;
}

} // namespace

kaEntityAttacher::kaEntityAttacher() = default;

kaEntityAttacher::~kaEntityAttacher()
{
    _Unlink();
}

void kaEntityAttacher::_Unlink()
{
    if (m_pEntity1)
        m_pEntity1->RemoveAttachment(this);
    if (m_pEntity2)
        m_pEntity2->RemoveAttachment(this);
}

void kaEntityAttacher::ReadState(const TiXmlElement* element)
{
    kaEntity::ReadState(element);
    if (!element)
        return;
    if (const TiXmlElement* id = element->FirstChildElement("entityID1"))
        m_EntityID1 = GetElementInt(id);
    if (const TiXmlElement* id = element->FirstChildElement("entityID2"))
        m_EntityID2 = GetElementInt(id);
    if (const TiXmlElement* name = element->FirstChildElement("boneName1"))
        m_BoneName1 = GetElementText(name);
    if (const TiXmlElement* name = element->FirstChildElement("boneName2"))
        m_BoneName2 = GetElementText(name);
}

void kaEntityAttacher::WriteState(TiXmlElement* element) const
{
    kaEntity::WriteState(element);
    if (!element)
        return;
    if (m_pEntity1 && m_BoneIndex1 > kNoBone)
    {
        AppendIntElement(element, "entityID1", m_pEntity1->GetEntityID());
        AppendTextElement(element, "boneName1", m_BoneName1);
    }
    if (m_pEntity2 && m_BoneIndex2 > kNoBone)
    {
        AppendIntElement(element, "entityID2", m_pEntity2->GetEntityID());
        AppendTextElement(element, "boneName2", m_BoneName2);
    }
}

kaEntityModel* kaEntityAttacher::_FindModel(int32_t id) const
{
    if (id <= kNoEntity || !m_pWorld)
        return nullptr;
    return dynamic_cast<kaEntityModel*>(m_pWorld->FindEntityById(id));
}

void kaEntityAttacher::ResolveLinks()
{
    kaEntity::ResolveLinks();
    Attach(_FindModel(m_EntityID1), m_BoneName1, _FindModel(m_EntityID2), m_BoneName2);
}

void kaEntityAttacher::Attach(kaEntityModel* entity1, const std::string& boneName1, kaEntityModel* entity2,
                              const std::string& boneName2)
{
    if (!entity1 || !entity2)
        return;
    const int32_t bone1 = entity1->GetBoneIndex(boneName1);
    const int32_t bone2 = entity2->GetBoneIndex(boneName2);
    if (bone1 == kNoBone || bone2 == kNoBone)
        return;
    _Unlink();
    m_BoneIndex1 = bone1;
    m_BoneIndex2 = bone2;
    m_BoneName1 = boneName1;
    m_BoneName2 = boneName2;
    m_pEntity1 = entity1;
    m_pEntity2 = entity2;
    m_EntityID1 = entity1->GetEntityID();
    m_EntityID2 = entity2->GetEntityID();
    entity1->AddAttachment(this);
    entity2->AddAttachment(this);

    Matrix offset;
    platform::MatrixTranslation(&offset, m_OffsetPosition.x, m_OffsetPosition.y, m_OffsetPosition.z);
    Matrix turn;
    if (m_OffsetAngles.x != 0.0f)
        offset = offset * *platform::MatrixRotationX(&turn, m_OffsetAngles.x);
    if (m_OffsetAngles.y != 0.0f)
        offset = offset * *platform::MatrixRotationY(&turn, m_OffsetAngles.y);
    if (m_OffsetAngles.z != 0.0f)
        offset = offset * *platform::MatrixRotationZ(&turn, m_OffsetAngles.z);
    m_Offset = offset;
    m_InverseOffset = Inverse(offset);
}

void kaEntityAttacher::SetOffset(const platform::Vector3& position, const platform::Vector3& angles)
{
    m_OffsetPosition = position;
    m_OffsetAngles = angles;
}

void kaEntityAttacher::OnEntityMoved(kaEntityModel* moved)
{
    if (!moved)
        return;
    if (moved == m_pEntity1)
        FollowMover(m_pEntity1, m_BoneIndex1, m_pEntity2, m_BoneIndex2);
    else if (moved == m_pEntity2)
        FollowMover(m_pEntity2, m_BoneIndex2, m_pEntity1, m_BoneIndex1);
}

void kaEntityAttacher::FollowMover(kaEntityModel* moved, int32_t movedBone, kaEntityModel* other,
                                   int32_t otherBone)
{
    const Matrix* movedMatrix = BoneMatrix(moved, movedBone);
    const Matrix* otherMatrix = BoneMatrix(other, otherBone);
    if (!movedMatrix || !otherMatrix)
        return;
    // Bone 2 in the world = offset x bone 1 in the world, solved for the entity that did not move.
    const Matrix& offset = moved == m_pEntity1 ? m_Offset : m_InverseOffset;
    const Matrix world = Inverse(*otherMatrix) * offset * *movedMatrix * moved->GetWorldMatrixPtr();
    other->SetTransformFromMatrix(world, moved);
}

void kaEntityAttacher::OnEntityDestroyed(kaEntityModel* entity)
{
    if (!entity)
        return;
    if (entity == m_pEntity1)
    {
        m_pEntity1 = nullptr;
        m_BoneIndex1 = kNoBone;
    }
    if (entity == m_pEntity2)
    {
        m_pEntity2 = nullptr;
        m_BoneIndex2 = kNoBone;
    }
}

kaEntityModel* kaEntityAttacher::GetOtherEntity(const kaEntityModel* entity) const
{
    if (entity && entity == m_pEntity1)
        return m_pEntity2;
    if (entity && entity == m_pEntity2)
        return m_pEntity1;
    return nullptr;
}
