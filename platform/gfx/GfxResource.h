#pragma once

#include "platform/gfx/GfxObject.h"

namespace platform
{

// Base of every object that lives in one of the memory pools.
class GfxResource : public GfxObject
{
public:
    virtual uint32_t GetType() const = 0;
    virtual uint32_t GetPool() const = 0;
};

} // namespace platform
