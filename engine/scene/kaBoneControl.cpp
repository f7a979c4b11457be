#include "engine/scene/kaBoneControl.h"

#include "engine/model/kaModel.h"
#include "engine/scene/kaEntityPhysical.h"

#include "platform/gfx/math/Quaternion.h"

using platform::Matrix;

kaBoneControl::kaBoneControl(kaEntityPhysical* owner, int32_t bone, dBodyID limbBody)
    : m_pOwner(owner), m_Bone(bone)
{
    platform::MatrixIdentity(&m_Offset);
    kaModel* model = owner ? owner->GetModel() : nullptr;
    const Matrix* current = model ? model->GetBoneMatrix(bone) : nullptr;
    Matrix inverse;
    if (!current || !limbBody)
        return;
    const Matrix limb = BodyTransform(limbBody);
    if (platform::MatrixInverse(&inverse, nullptr, &limb))
        m_Offset = *current * owner->GetWorldMatrixPtr() * inverse;
    // From now on animation leaves this bone to the limb while the model is a rag doll.
    model->SetBoneMatrix(bone, *current);
}

void kaBoneControl::Update(dBodyID limbBody) const
{
    kaModel* model = m_pOwner ? m_pOwner->GetModel() : nullptr;
    Matrix inverse;
    if (!model || !limbBody || !platform::MatrixInverse(&inverse, nullptr, &m_pOwner->GetWorldMatrixPtr()))
        return;
    model->SetBoneMatrix(m_Bone, m_Offset * BodyTransform(limbBody) * inverse);
}

Matrix kaBoneControl::BodyTransform(dBodyID body)
{
    const dReal* q = dBodyGetQuaternion(body);
    const dReal* p = dBodyGetPosition(body);
    const platform::Quaternion rotation(static_cast<float>(q[1]), static_cast<float>(q[2]),
                                        static_cast<float>(q[3]), static_cast<float>(q[0]));
    Matrix matrix;
    platform::MatrixRotationQuaternion(&matrix, &rotation);
    matrix(3, 0) = static_cast<float>(p[0]);
    matrix(3, 1) = static_cast<float>(p[1]);
    matrix(3, 2) = static_cast<float>(p[2]);
    return matrix;
}
