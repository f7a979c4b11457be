#pragma once

#include "engine/scene/kaEntity.h"

#include <string>

// The world's sky box as the world holds it: updated, drawn and destroyed through the entity
// operations. The terrain library implements it, so the scene depends on no environment header.
class kaSkyBoxBase : public kaEntity
{
public:
    // The cloud planes, drawn after the sky box and the sun.
    virtual void RenderCloudPlanes() {}
    // (Re)builds the box from its five face textures.
    virtual void Build(const std::string& /*left*/, const std::string& /*right*/,
                       const std::string& /*forward*/, const std::string& /*back*/,
                       const std::string& /*top*/)
    {
    }
    // Ignored before the box is built.
    virtual void AddCloudPlane(const std::string& /*texture*/, float /*height*/, float /*speed*/) {}
};
