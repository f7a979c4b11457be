#pragma once

#include "engine/model/KM_UserDataNode.h"

// A point where another model attaches. Its user data holds key=value lines that the model reader
// turns into the type flags and sets below.
class KM_AttachmentPt : public KM_UserDataNode
{
public:
    static constexpr uint32_t kTypeId = 21;
    static constexpr int kMaxSets = 5;

    KM_AttachmentPt();
    KM_AttachmentPt(const KM_AttachmentPt& other) = default;

    uint32_t m_TypeFlags = 0;
    int32_t m_SetCount = 0;
    int32_t m_SetFirst[kMaxSets] = {};
    int32_t m_SetSecond[kMaxSets] = {};
};
