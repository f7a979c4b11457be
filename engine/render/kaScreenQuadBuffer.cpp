#include "engine/render/kaScreenQuadBuffer.h"

#include "engine/render/DynamicVB.h"
#include "engine/render/kaVertexTypes.h"

// The program's one holder, reached by the graphics manager through its members.
static kaScreenQuadBuffer s_ScreenQuadBuffer;

kaScreenQuadBuffer::kaScreenQuadBuffer() : kaSingleton<kaScreenQuadBuffer>(this) {}

kaScreenQuadBuffer::~kaScreenQuadBuffer() = default;

void kaScreenQuadBuffer::CreateBuffer(platform::GfxDevice* device)
{
    m_Buffer.reset(new DynamicVB<VERTEX_SCREENPOS_DIFFUSE_UV>(device, kVertexCount));
}

void kaScreenQuadBuffer::ReleaseForReset()
{
    m_Buffer.reset();
}

void kaScreenQuadBuffer::ReleaseAll()
{
    m_Buffer.reset();
}
