#include "platform/gfx/MemoryStateBlock.h"

#include "platform/gfx/GfxBaseTexture.h"
#include "platform/gfx/GfxIndexBuffer.h"
#include "platform/gfx/GfxVertexBuffer.h"
#include "platform/gfx/GfxVertexDeclaration.h"
#include "platform/gfx/GfxVertexShader.h"
#include "platform/gfx/StateDevice.h"

namespace platform
{

MemoryStateBlock::MemoryStateBlock(StateDevice* device, const StateMask& mask, const DeviceState& values)
    : m_Link(device, this, POOL_MANAGED), m_Mask(mask), m_Values(values)
{
    if (device)
        device->AttachStateBlock(this);
}

MemoryStateBlock::~MemoryStateBlock()
{
    // A device that went first has cut the link already.
    if (StateDevice* device = m_Link.Device())
        device->DetachStateBlock(this);
}

GfxResult MemoryStateBlock::Capture()
{
    StateDevice* device = m_Link.Device();
    if (!device)
        return GFXERR_INVALIDCALL;
    const DeviceState& current = device->State();
    // Lights enabled or set since the block was made are not part of it; those it holds are re-read.
    for (uint32_t index : m_Mask.Lights)
    {
        auto it = current.Lights.find(index);
        if (it != current.Lights.end())
            m_Values.Lights[index] = it->second;
    }
    const auto lights = m_Values.Lights;
    m_Values = current;
    m_Values.Lights = lights;
    return GFX_OK;
}

GfxResult MemoryStateBlock::Apply()
{
    StateDevice* device = m_Link.Device();
    if (!device)
        return GFXERR_INVALIDCALL;
    const DeviceState& v = m_Values;
    for (uint32_t rs = 0; rs < kRenderStateCount; ++rs)
        if (m_Mask.RenderStates.test(rs))
            device->SetRenderState(rs, v.RenderStates[rs]);
    for (uint32_t stage = 0; stage < kMaxTextureStages; ++stage)
        for (uint32_t ts = 0; ts < kTextureStageStateCount; ++ts)
            if (m_Mask.StageStates[stage].test(ts))
                device->SetTextureStageState(stage, ts, v.StageStates[stage][ts]);
    for (uint32_t sampler = 0; sampler < kMaxSamplers; ++sampler)
        for (uint32_t ss = 0; ss < kSamplerStateCount; ++ss)
            if (m_Mask.SamplerStates[sampler].test(ss))
                device->SetSamplerState(sampler, ss, v.SamplerStates[sampler][ss]);
    for (uint32_t t : m_Mask.Transforms)
        device->SetTransform(t, v.Transform(t));
    for (uint32_t index : m_Mask.Lights)
    {
        auto it = v.Lights.find(index);
        if (it == v.Lights.end())
            continue;
        device->SetLight(index, &it->second.Value);
        device->LightEnable(index, it->second.Enabled);
    }
    for (uint32_t stage = 0; stage < kMaxSamplers; ++stage)
        if (m_Mask.Textures.test(stage))
            device->SetTexture(stage, v.Textures[stage]);
    for (uint32_t stream = 0; stream < kMaxStreams; ++stream)
        if (m_Mask.Streams.test(stream))
            device->SetStreamSource(stream, v.Streams[stream].Buffer, v.Streams[stream].Offset,
                                    v.Streams[stream].Stride);
    if (m_Mask.Viewport)
        device->SetViewport(&v.CurrentViewport);
    if (m_Mask.Material)
        device->SetMaterial(&v.CurrentMaterial);
    if (m_Mask.Indices)
        device->SetIndices(v.Indices);
    if (m_Mask.FVF)
        device->SetFVF(v.FVF);
    if (m_Mask.Declaration && v.Declaration)
        device->SetVertexDeclaration(v.Declaration);
    if (m_Mask.VertexShader)
        device->SetVertexShader(v.VertexShader);
    return GFX_OK;
}

void MemoryStateBlock::Forget(const GfxObject* object)
{
    m_Values.Unbind(object);
}

} // namespace platform
