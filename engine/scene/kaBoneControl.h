#pragma once

#include "platform/gfx/math/Matrix.h"

#include <ode/ode.h>

#include <cstdint>

class kaEntityPhysical;

// Makes one bone of an owner's model follow the body of a jointed limb, as a rag doll's skin follows
// its limbs. Kept by the limb, whose update moves the bone.
class kaBoneControl
{
public:
    // The offset keeps the bone's present pose relative to the limb's body.
    kaBoneControl(kaEntityPhysical* owner, int32_t bone, dBodyID limbBody);

    // The bone becomes offset x (the limb body's world transform) x inverse(the owner's world matrix).
    void Update(dBodyID limbBody) const;

    // Row-vector world transform of a body: its rotation, then its position.
    static platform::Matrix BodyTransform(dBodyID body);

    kaEntityPhysical* GetOwner() const { return m_pOwner; }
    int32_t GetBone() const { return m_Bone; }
    const platform::Matrix& GetOffset() const { return m_Offset; }

private:
    platform::Matrix m_Offset;
    kaEntityPhysical* m_pOwner;
    int32_t m_Bone;
};
