#pragma once

#include "platform/gfx/DeviceChild.h"
#include "platform/gfx/GfxVertexDeclaration.h"

namespace platform
{

class MemoryVertexDeclaration : public GfxVertexDeclaration
{
public:
    MemoryVertexDeclaration(StateDevice* device, std::vector<VertexElement> elements)
        : m_Link(device, this, POOL_MANAGED), m_Elements(std::move(elements))
    {
    }

    const std::vector<VertexElement>& GetElements() const override { return m_Elements; }

private:
    DeviceChild m_Link;
    std::vector<VertexElement> m_Elements;
};

} // namespace platform
