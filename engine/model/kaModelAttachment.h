#pragma once

#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector3.h"

#include <cstdint>

class kaModel;

// A child model held at a bone of its parent: the child's bone lands on the parent's bone, moved by
// the offset and turned by the angles.
class kaModelAttachment
{
public:
    explicit kaModelAttachment(kaModel* child);
    virtual ~kaModelAttachment();

    // Angles about X, Y and Z in radians; rebuilds the local matrix.
    void SetRotation(float x, float y, float z);
    // Local = the offset's translation, then the rotations about X, Y and Z that are not 0.
    void UpdateMatrix();

    // Owned by the model manager, not by the attachment.
    kaModel* m_pChild;
    int32_t m_ChildBone = -1;
    int32_t m_ParentBone = -1;
    platform::Matrix m_Local;
    platform::Vector3 m_Offset;
    float m_Angles[3] = {0.0f, 0.0f, 0.0f};
};
