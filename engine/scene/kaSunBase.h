#pragma once

#include "engine/scene/kaEntity.h"

#include <string>

class kaColor;

// The world's sun as the world holds it: updated, drawn and destroyed through the entity
// operations. The terrain library implements it, so the scene depends on no environment header.
class kaSunBase : public kaEntity
{
public:
    using kaEntity::Initialize;
    // The sun from two angles (fractions of a full turn), its disc and its two colours.
    virtual void Initialize(float /*position*/, float /*axisTilt*/, const std::string& /*texture*/,
                            float /*scale*/, const kaColor& /*directional*/, const kaColor& /*ambient*/)
    {
    }
    virtual void AddFlareLayer(const std::string& /*texture*/, float /*length*/, float /*scale*/) {}
    virtual void RemoveFlareLayer(int /*index*/) {}
    // The lens flare, drawn last in the world's pass.
    virtual void RenderLensFlare() {}
};
