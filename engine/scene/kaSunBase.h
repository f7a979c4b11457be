#pragma once

#include "engine/core/kaColor.h"
#include "engine/scene/kaEntity.h"

#include <cstdint>
#include <string>

// The world's sun as the world holds it: updated, drawn and destroyed through the entity
// operations. The terrain library implements it, so the scene depends on no environment header.
class kaSunBase : public kaEntity
{
public:
    // The flare drawn over everything else, last in the world's pass.
    virtual void RenderLensFlare() {}
    using kaEntity::Initialize;
    // Places the sun around its path (fractions of a turn) and sets its disc and light.
    virtual void Initialize(float /*position*/, float /*axisTilt*/, const std::string& /*texture*/,
                            float /*scale*/, const kaColor& /*directional*/, const kaColor& /*ambient*/)
    {
    }
    virtual void AddFlareLayer(const std::string& /*texture*/, float /*length*/, float /*scale*/) {}
    virtual void RemoveFlareLayer(int32_t /*index*/) {}
};
