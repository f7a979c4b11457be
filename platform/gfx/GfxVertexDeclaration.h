#pragma once

#include "platform/gfx/GfxObject.h"
#include "platform/gfx/GfxTypes.h"

#include <vector>

namespace platform
{

class GfxVertexDeclaration : public GfxObject
{
public:
    // The elements without the end marker.
    virtual const std::vector<VertexElement>& GetElements() const = 0;
};

} // namespace platform
