#pragma once

#include "platform/gfx/GfxObject.h"

namespace platform
{

// A programmable vertex stage; the fixed-function pipeline is in force while none is set.
class GfxVertexShader : public GfxObject
{
};

} // namespace platform
