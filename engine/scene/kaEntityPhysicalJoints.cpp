#include "engine/scene/kaEntityPhysical.h"

#include "engine/core/kaXmlHelpers.h"
#include "engine/model/kaModel.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaBoneControl.h"
#include "engine/scene/kaJoint.h"
#include "engine/scene/kaPhysicsWorld.h"

#include "platform/system/DebugOutput.h"

#include <tinyxml.h>

#include <algorithm>

// The joints to other physical entities: the list, the search through the jointed assembly, the joints and
// limbs a file element builds, and the bones that follow a limb's body.

void kaEntityPhysical::AddJoint(kaJoint* joint)
{
    if (joint && std::find(m_Joints.begin(), m_Joints.end(), joint) == m_Joints.end())
        m_Joints.push_back(joint);
}

void kaEntityPhysical::RemoveJoint(kaJoint* joint)
{
    if (m_JointsLocked)
        return;
    const auto found = std::find(m_Joints.begin(), m_Joints.end(), joint);
    if (found != m_Joints.end())
        m_Joints.erase(found);
}

void kaEntityPhysical::ForgetJoint(kaJoint* joint)
{
    m_Joints.erase(std::remove(m_Joints.begin(), m_Joints.end(), joint), m_Joints.end());
}

kaJoint* kaEntityPhysical::FindJoint(const std::string& name, const kaEntityPhysical* exclude, bool recursive)
{
    std::vector<kaEntityPhysical*> visited;
    kaJoint* found = _FindJoint(name, exclude, recursive, visited);
    for (kaEntityPhysical* entity : visited)
        entity->m_Visited = false;
    return found;
}

kaJoint* kaEntityPhysical::_FindJoint(const std::string& name, const kaEntityPhysical* exclude, bool recursive,
                                      std::vector<kaEntityPhysical*>& visited)
{
    m_Visited = true;
    visited.push_back(this);
    for (kaJoint* joint : m_Joints)
    {
        if (joint->GetName() == name)
            return joint;
    }
    if (!recursive)
        return nullptr;
    for (kaJoint* joint : m_Joints)
    {
        kaEntityPhysical* other = joint->GetOtherEnd(this);
        if (!other || other == exclude || other->m_Visited)
            continue;
        if (kaJoint* found = other->_FindJoint(name, this, true, visited))
            return found;
    }
    return nullptr;
}

std::vector<std::pair<kaJoint*, kaJoint::AxisState>> kaEntityPhysical::_CaptureJointAxes() const
{
    std::vector<std::pair<kaJoint*, kaJoint::AxisState>> joints;
    for (kaJoint* joint : m_Joints)
        joints.emplace_back(joint, joint->CaptureAxes());
    return joints;
}

void kaEntityPhysical::_ReattachJoints(const std::vector<std::pair<kaJoint*, kaJoint::AxisState>>& joints)
{
    for (const auto& [joint, state] : joints)
        joint->Reattach(state);
}

void kaEntityPhysical::_ReadJoint(const TiXmlElement* element)
{
    kaPhysicsWorld* world = _GetPhysicsWorld();
    if (!world)
    {
        platform::OutputDebugString("[kaEntityPhysical::ReadXml] : a joint needs a physics world; skipped\n");
        return;
    }
    std::unique_ptr<kaEntity> jointEntity = CreateEntity(GetChildElementText("jointClass", element));
    std::unique_ptr<kaEntity> childEntity = CreateEntity(GetChildElementText("childClass", element));
    auto* joint = dynamic_cast<kaJoint*>(jointEntity.get());
    auto* child = dynamic_cast<kaEntityPhysical*>(childEntity.get());
    if (!joint || !child)
    {
        platform::OutputDebugString("[kaEntityPhysical::ReadXml] : joint element without a joint class and a "
                                    "physical child class; skipped\n");
        return;
    }
    child->SetWorld(world);
    child->ApplyInitData(GetChildElementText("childInitID", element));
    // Made again from this element at every load: saved as entities, they would come back twice.
    child->SetSaved(false);
    // A locked world queues it and owns it from now on.
    if (!world->AddEntity(child, child->IsVisible(), true) && !world->IsLocked())
    {
        child->SetWorld(nullptr);
        return;
    }
    childEntity.release();
    bool hide = false;
    if (ReadKeyOf(element->FirstChildElement("hideModel"), "joint hideModel",
                  [&hide, element] { hide = GetElementBool(element->FirstChildElement("hideModel")); }) &&
        hide && child->GetModel())
        child->GetModel()->m_Hidden = true;
    joint->SetWorld(world);
    joint->SetSaved(false);
    joint->CreateJoint(world);
    if (!world->AddEntity(joint, true, true) && !world->IsLocked())
    {
        joint->SetWorld(nullptr);
        return;
    }
    jointEntity.release();
    joint->Connect(this, GetChildElementText("parentBone", element), child,
                   GetChildElementText("childBone", element));
    child->Initialize();
    joint->ApplyInitData(GetChildElementText("jointInitID", element));
}

void kaEntityPhysical::_ReadBoneControl(const TiXmlElement* element)
{
    kaJoint* joint = FindJoint(GetChildElementText("jointName", element), nullptr, true);
    const int32_t bone = GetBoneIndex(GetChildElementText("boneName", element));
    kaEntityPhysical* limb = joint ? joint->GetChild() : nullptr;
    // A bone follows another entity's body; without one there is nothing to follow.
    if (bone < 0 || !limb || limb == this || !limb->GetBody())
        return;
    limb->m_BoneControls.push_back(std::make_unique<kaBoneControl>(this, bone, limb->GetBody()));
    if (std::find(m_Dependents.begin(), m_Dependents.end(), limb) == m_Dependents.end())
        m_Dependents.push_back(limb);
}

void kaEntityPhysical::_DropBoneControlsOf(const kaEntityPhysical* owner)
{
    m_BoneControls.erase(std::remove_if(m_BoneControls.begin(), m_BoneControls.end(),
                                        [owner](const std::unique_ptr<kaBoneControl>& control)
                                        { return control->GetOwner() == owner; }),
                         m_BoneControls.end());
}

void kaEntityPhysical::ApplyRagdollInitData()
{
    ApplyInitData(m_RagdollInitID);
    if (m_pModel)
        m_pModel->m_RagDoll = true;
}
