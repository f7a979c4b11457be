#pragma once

#include <ode/ode.h>

class kaEntityPhysical;
class kaMaterial;

// One contact joint as one of its two entities sees it. The feedback belongs to the physics world's pool
// and holds the joint's forces until that world's next frame begins.
struct kaContactRecord
{
    dJointFeedback* m_pFeedback = nullptr;
    kaEntityPhysical* m_pOther = nullptr;
    dGeomID m_OwnGeom = nullptr;
    dGeomID m_OtherGeom = nullptr;
    kaMaterial* m_pOwnMaterial = nullptr;
    kaMaterial* m_pOtherMaterial = nullptr;
};
