#include "engine/render/kaStateCache.h"

#include "platform/gfx/GfxTypes.h"

#include <algorithm>

using namespace platform;

void kaStateCache::Reset(uint32_t depthMode)
{
    std::fill(std::begin(m_RenderStates), std::end(m_RenderStates), 0u);
    for (auto& stage : m_StageStates)
        std::fill(std::begin(stage), std::end(stage), 0u);
    std::fill(std::begin(m_SamplerStates), std::end(m_SamplerStates), 0u);
    std::fill(std::begin(m_Textures), std::end(m_Textures), nullptr);

    uint32_t* rs = m_RenderStates;
    rs[RS_ZENABLE] = depthMode != 0 ? 1 : 0;
    rs[RS_FILLMODE] = FILL_SOLID;
    rs[RS_SHADEMODE] = SHADE_GOURAUD;
    rs[RS_ZWRITEENABLE] = 1;
    rs[RS_LASTPIXEL] = 1;
    rs[RS_SRCBLEND] = BLEND_ONE;
    rs[RS_DESTBLEND] = BLEND_ZERO;
    rs[RS_CULLMODE] = CULL_CCW;
    rs[RS_ZFUNC] = CMP_LESSEQUAL;
    rs[RS_ALPHAFUNC] = CMP_ALWAYS;
    rs[RS_STENCILFAIL] = STENCILOP_KEEP;
    rs[RS_STENCILFUNC] = CMP_ALWAYS;
    rs[RS_STENCILMASK] = 0xFFFFFFFF;
    rs[RS_STENCILWRITEMASK] = 0xFFFFFFFF;
    rs[RS_CLIPPING] = 1;
    rs[RS_LIGHTING] = 1;
    rs[RS_COLORVERTEX] = 1;
    rs[RS_LOCALVIEWER] = 1;
    rs[RS_DIFFUSEMATERIALSOURCE] = MCS_COLOR1;
    rs[RS_SPECULARMATERIALSOURCE] = MCS_COLOR2;
    rs[RS_AMBIENTMATERIALSOURCE] = MCS_COLOR2;
    rs[RS_POINTSIZE] = 1;
    rs[RS_POINTSIZE_MIN] = 1;
    rs[RS_POINTSCALE_A] = 1;
    rs[RS_MULTISAMPLEANTIALIAS] = 1;
    rs[RS_MULTISAMPLEMASK] = 0xFFFFFFFF;
    rs[RS_BLENDOP] = BLENDOP_ADD;

    for (uint32_t stage = 0; stage < kStages; ++stage)
    {
        uint32_t* ts = m_StageStates[stage];
        ts[TSS_COLOROP] = stage == 0 ? TOP_MODULATE : TOP_DISABLE;
        ts[TSS_ALPHAOP] = stage == 0 ? TOP_SELECTARG1 : TOP_DISABLE;
        ts[TSS_COLORARG1] = TA_TEXTURE;
        ts[TSS_ALPHAARG1] = TA_TEXTURE;
        ts[TSS_COLORARG2] = TA_CURRENT;
        ts[TSS_ALPHAARG2] = TA_CURRENT;
        ts[TSS_TEXCOORDINDEX] = stage;
        ts[TSS_RESULTARG] = TA_CURRENT;
    }

    m_SamplerStates[SAMP_ADDRESSU] = TADDRESS_WRAP;
    m_SamplerStates[SAMP_ADDRESSV] = TADDRESS_WRAP;
    m_SamplerStates[SAMP_ADDRESSW] = TADDRESS_WRAP;
    m_SamplerStates[SAMP_MAGFILTER] = TEXF_POINT;
    m_SamplerStates[SAMP_MINFILTER] = TEXF_POINT;
    m_SamplerStates[SAMP_MAXANISOTROPY] = 1;
}

uint32_t* kaStateCache::FindRenderState(uint32_t state)
{
    return state < kRenderStates ? &m_RenderStates[state] : nullptr;
}

uint32_t* kaStateCache::FindTextureStageState(uint32_t stage, uint32_t state)
{
    return stage < kStages && state < kStageStates ? &m_StageStates[stage][state] : nullptr;
}

uint32_t* kaStateCache::FindSamplerState(uint32_t sampler, uint32_t state)
{
    return sampler == 0 && state < kSamplerStates ? &m_SamplerStates[state] : nullptr;
}

platform::GfxBaseTexture** kaStateCache::FindTexture(uint32_t stage)
{
    return stage < kTextureStages ? &m_Textures[stage] : nullptr;
}

void kaStateCache::ForgetTexture(const platform::GfxBaseTexture* texture)
{
    for (auto& cached : m_Textures)
        if (cached == texture)
            cached = nullptr;
}
