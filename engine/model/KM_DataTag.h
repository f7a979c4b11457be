#pragma once

#include "engine/model/KM_UserDataNode.h"

// A named node that carries a user text for the game.
class KM_DataTag : public KM_UserDataNode
{
public:
    static constexpr uint32_t kTypeId = 52;

    KM_DataTag();
    KM_DataTag(const KM_DataTag& other) = default;
};
