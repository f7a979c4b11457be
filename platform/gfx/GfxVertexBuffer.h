#pragma once

#include "platform/gfx/GfxResource.h"
#include "platform/gfx/GfxTypes.h"

namespace platform
{

class GfxVertexBuffer : public GfxResource
{
public:
    // Bytes from offset; a size of 0 locks to the end. A range past the end fails. Locks may nest.
    virtual GfxResult Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) = 0;
    virtual GfxResult Unlock() = 0;
    virtual GfxResult GetDesc(VertexBufferDesc* desc) const = 0;
};

} // namespace platform
