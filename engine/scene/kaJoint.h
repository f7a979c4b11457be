#pragma once

#include "engine/scene/kaEntity.h"

#include "platform/gfx/math/Vector3.h"

#include <ode/ode.h>

#include <string>

class kaEntityPhysical;
class kaPhysicsWorld;

// An entity that holds one ODE joint between the bodies of two physical entities, a parent and a child,
// placed at named bones of their models. The kinds differ only in the ODE joint they make and in how they
// forward anchors, axes, parameters and angles. Order of use: made by class name, CreateJoint, Connect,
// then ReadXml, whose parameters need the ODE joint.
class kaJoint : public kaEntity
{
    KA_ENTITY_CLASS_RECORD()

public:
    static constexpr float kDebugAxesLength = 1.0f;

    kaJoint();
    // Destroys the ODE joint and leaves the joint lists of both ends.
    ~kaJoint() override;

    // After the entity keys, only in a world and with the ODE joint: the stops, restitution, CFM and
    // suspension values, "axis" and "axis2".
    void ReadXml(const TiXmlElement* element) override;

    // Remembers the world and makes the ODE joint(s) in its ODE world.
    virtual void CreateJoint(kaPhysicsWorld* world);
    // Places the child so that its bone meets the parent's, lists the joint at both ends, attaches it
    // to both bodies and puts the child's assembly into the parent's space. Nothing without an ODE
    // joint, ends that differ, or bones both models know.
    virtual void Connect(kaEntityPhysical* parent, const std::string& parentBone, kaEntityPhysical* child,
                         const std::string& childBone);
    // Ends the joint: the ODE joint(s) destroyed, both lists left, the child's assembly in a space of its
    // own, and the world asked to delete this entity.
    virtual void Detach();
    // Attaches to the bodies, tags the joint, sets the anchor and the kind's default axes.
    virtual void Attach(dBodyID body1, dBodyID body2, float x, float y, float z);
    virtual void ReleaseJoint();
    virtual void SetParam(int parameter, float value);
    virtual float GetAngle();
    // Refused (with a debugger line) for a zero axis or one parallel to the joint's other axis.
    virtual void SetAxis(float x, float y, float z, int index);
    virtual float GetAngleRate();
    virtual void RenderDebug();
    virtual void UpdateMotorAxis();

    // The axes as ODE holds them, read while both ends still have the bodies the joint hangs on.
    struct AxisState
    {
        platform::Vector3 axes[2];
        bool present[2] = {false, false};
    };
    AxisState CaptureAxes() const;
    // After the parent moved: the child follows by its bone and the joint takes the bodies and anchor
    // again, keeping its axes; the lists are left as they are.
    void Reanchor();
    // After an end gained or lost its body (pinning): the joint hangs on the bodies there are now, at
    // the parent's bone, with the axes it had.
    virtual void Reattach(const AxisState& state);
    // The child's model placed so that its bone lies on the parent's bone; false when either end is
    // missing, both are one entity, or a bone is unknown.
    static bool AlignChildToBone(kaEntityPhysical* parent, const std::string& parentBone,
                                 kaEntityPhysical* child, const std::string& childBone);

    dJointID GetODEJoint() const { return m_Joint; }
    kaEntityPhysical* GetParent() const { return m_pParent; }
    kaEntityPhysical* GetChild() const { return m_pChild; }
    // The end that is not the given one.
    kaEntityPhysical* GetOtherEnd(const kaEntityPhysical* end) const;
    const std::string& GetParentBone() const { return m_ParentBone; }
    const std::string& GetChildBone() const { return m_ChildBone; }
    kaPhysicsWorld* GetPhysicsWorld() const { return m_pPhysicsWorld; }
    // The parent's end drops the entity it is destroying from the joint without touching it again.
    void ForgetEnd(const kaEntityPhysical* end);

protected:
    // The kind's part of Attach.
    virtual void _SetAnchor(const platform::Vector3& anchor);
    virtual void _SetDefaultAxes();
    // The world direction of an axis as ODE holds it now; false when the kind has no such axis.
    virtual bool _GetAxis(int index, platform::Vector3& axis) const;
    // Where ODE holds the anchor on each body; false for kinds without one.
    virtual bool _GetAnchors(platform::Vector3& first, platform::Vector3& second) const;
    // Some ODE joints refuse to hang on a single body.
    virtual bool _NeedsTwoBodies() const { return false; }
    virtual void _DestroyODEJoints();
    // The kind's ODE joint in that ODE world.
    virtual dJointID _MakeJoint(dWorldID world);
    // Axes read back before a re-attachment, set again; a kind whose axes depend on each other sets
    // them together.
    virtual void _RestoreAxes(const platform::Vector3 axes[2], const bool present[2]);
    // The axis to set, or false (with a line) when it is zero or parallel to the other axis.
    bool _UsableAxis(float x, float y, float z, int index, platform::Vector3& axis) const;
    void _AttachBodies(dJointID joint, dBodyID body1, dBodyID body2) const;
    void _ReadAxis(const TiXmlElement* element, int index);

    dJointID m_Joint = nullptr;
    kaEntityPhysical* m_pParent = nullptr;
    kaEntityPhysical* m_pChild = nullptr;
    std::string m_ParentBone;
    std::string m_ChildBone;
    kaPhysicsWorld* m_pPhysicsWorld = nullptr;
    // Set while the joint re-anchors, so that a ring of joints does not go round for ever.
    bool m_Reanchoring = false;
};
