#pragma once

#include "engine/scene/kaWorld.h"

#include <ode/ode.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class kaEntity;
class kaEntityPhysical;

// The world with rigid-body physics: it owns the ODE world, the one hash space that holds every geom of
// every physical entity (directly or in sub-spaces) and the group of the contact joints. Each frame it
// steps the simulation at twice the frame time, in sub-steps, before the world's own update; the collision
// pass turns touching geoms into contact joints and calls the collision operations of both entities.
class kaPhysicsWorld : public kaWorld
{
public:
    // The simulation runs at twice the frame time.
    static constexpr float kTimeScale = 2.0f;
    static constexpr int kMaxContacts = 10;
    static constexpr float kDefaultFrictionScale = 15.0f;
    static constexpr float kDefaultContactSlip = 0.05f;
    static constexpr float kDefaultSubStepLength = 0.02f;
    // The frame loop hands over at most a second, which makes 101 sub-steps; a longer frame is cut to as
    // many longer passes.
    static constexpr int kMaxPasses = 101;

    static constexpr dReal kGravityY = -9.8;
    static constexpr dReal kERP = 0.4;
    // ODE's single-precision default, which the values here were tuned with.
    static constexpr dReal kCFM = 1e-5;
    static constexpr dReal kAutoDisableLinearThreshold = 0.1;
    static constexpr dReal kAutoDisableAngularThreshold = 0.1;
    static constexpr int kAutoDisableSteps = 5;
    static constexpr dReal kAutoDisableTime = 0.0;
    static constexpr dReal kContactMaxCorrectingVel = 3.0;
    static constexpr int kHashMinLevel = 1;
    static constexpr int kHashMaxLevel = 8;
    static constexpr int kContactMode =
        dContactBounce | dContactSoftERP | dContactSoftCFM | dContactSlip1 | dContactSlip2;
    static constexpr dReal kContactBounce = 0.0;
    static constexpr dReal kContactSoftERP = 0.999;
    static constexpr dReal kContactSoftCFM = 0.001;
    // Speeds (m/s) and spins (rad/s) far past any course's, and far short of those whose squares ODE's
    // arithmetic overflows on: a body beyond them is stopped, and a push that would take it beyond them
    // within one pass is refused, so that no value ODE cannot integrate ever reaches its step.
    static constexpr dReal kSpeedBound = 1.0e30;
    static constexpr dReal kSpinBound = 1.0e30;

    // Debug drawing: a marker of three lines at every drawn geom, and the outline of a triangle mesh.
    static constexpr uint32_t kMarkerColor = 0xFF0080FF;
    static constexpr float kMarkerX = 1.0f;
    static constexpr float kMarkerYZ = 0.5f;
    static constexpr uint32_t kMeshColor = 0xFFFFFF00;

    kaPhysicsWorld();
    ~kaPhysicsWorld() override;

    // The physics step, then the world's own update with the scaled time. Nothing while paused.
    void Update(float dt) override;
    // The world's drawing, then the geoms of the space when debug drawing is on.
    void Render(uint32_t flag) override;
    // A physical entity given its model before it joined gets its body and geoms now.
    bool AddEntity(kaEntity* entity, bool visible, bool newIdentifier) override;
    // An entity that leaves the world leaves the dynamic list too.
    bool RemoveEntity(kaEntity* entity) override;
    int32_t RemoveEntitiesByName(const std::string& name) override;
    void Clear() override;
    // The venue as static collision geometry: a kaArena.
    kaEntityModel* CreateArenaEntity() override;

    // From then on this world alone updates the entity, after every pass with the pass length. Added
    // during a step, it joins at the start of the next one.
    void AddDynamicEntity(kaEntity* entity);
    void ToggleDebugDraw() { m_DebugDraw = !m_DebugDraw; }
    bool GetDebugDraw() const { return m_DebugDraw; }

    static void NearCallback(void* data, dGeomID o1, dGeomID o2);
    // The next record of the pool, which lives until the world's update of this frame has run.
    dJointFeedback* NextContactFeedback();
    // Takes an entity being destroyed off every list, and drops the records of this frame that name it.
    void ForgetEntity(kaEntity* entity);

    dWorldID GetODEWorld() const { return m_ODEWorld; }
    dSpaceID GetSpace() const { return m_Space; }
    dJointGroupID GetContactGroup() const { return m_ContactGroup; }
    bool IsStepping() const { return m_Stepping; }
    // While the collision pass runs, nothing may add, remove, move or re-space a geom or body: ODE aborts.
    bool IsColliding() const { return m_Colliding; }
    const std::vector<kaEntity*>& GetDynamicList() const { return m_DynamicList; }
    size_t GetFeedbackPoolSize() const { return m_FeedbackPool.size(); }
    float GetFrictionScale() const { return m_FrictionScale; }
    void SetFrictionScale(float scale) { m_FrictionScale = scale; }
    float GetSubStepLength() const { return m_SubStepLength; }
    void SetSubStepLength(float length) { m_SubStepLength = length; }

protected:
    void _Pass(dReal h);
    // Every body with a geom in the space or its sub-spaces (once for each of its geoms), and every body
    // without geoms joined to one (once).
    static void _CollectBodies(dSpaceID space, std::vector<dBodyID>& bodies);
    // A body the simulation carried beyond the placement bound (a force far past any course's) would end
    // the program when the hash space files it: it is stopped at the bound instead. A body moving or
    // spinning past the speed bounds, or not at a finite speed, is stopped where it is.
    static void _KeepBodiesWithinBound(const std::vector<dBodyID>& bodies);
    // A force or torque that is not finite, or that would take its body past a speed bound within the pass
    // of length h, would end the program inside ODE's step: the body's pushes of this pass are refused.
    static void _RefuseUnusablePushes(const std::vector<dBodyID>& bodies, dReal h);
    void _Collide(dGeomID o1, dGeomID o2);
    void _AppendDynamic(kaEntity* entity);
    // Off the dynamic list, back on the world's update list; false when it was not on the list.
    bool _TakeOffDynamicList(kaEntity* entity);
    void _DrawSpace(dSpaceID space);

    int32_t m_FeedbackCursor = 0;
    float m_FrictionScale = kDefaultFrictionScale;
    float m_ContactSlip = kDefaultContactSlip;
    dWorldID m_ODEWorld = nullptr;
    dSpaceID m_Space = nullptr;
    dJointGroupID m_ContactGroup = nullptr;
    std::vector<std::unique_ptr<dJointFeedback>> m_FeedbackPool;
    bool m_DebugDraw = false;
    float m_SubStepLength = kDefaultSubStepLength;
    std::vector<kaEntity*> m_DynamicList;
    std::vector<kaEntity*> m_PendingDynamicAdds;
    std::vector<kaEntity*> m_PendingDynamicRemoves;
    bool m_Stepping = false;
    bool m_Colliding = false;
    // The entities that took contact records in this frame.
    std::vector<kaEntityPhysical*> m_Recorded;
    // The bodies of the current pass.
    std::vector<dBodyID> m_Bodies;
};
