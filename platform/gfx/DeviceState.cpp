#include "platform/gfx/DeviceState.h"

#include "platform/gfx/GfxBaseTexture.h"
#include "platform/gfx/GfxIndexBuffer.h"
#include "platform/gfx/GfxVertexBuffer.h"
#include "platform/gfx/GfxVertexDeclaration.h"
#include "platform/gfx/GfxVertexShader.h"

#include <cstring>

namespace platform
{
namespace
{

uint32_t FloatBits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Render states that belong to vertex processing; the rest count as pixel states.
constexpr uint32_t kVertexRenderStates[] = {
    RS_SHADEMODE,
    RS_CULLMODE,
    RS_FOGENABLE,
    RS_FOGCOLOR,
    RS_FOGTABLEMODE,
    RS_FOGSTART,
    RS_FOGEND,
    RS_FOGDENSITY,
    RS_RANGEFOGENABLE,
    RS_AMBIENT,
    RS_COLORVERTEX,
    RS_FOGVERTEXMODE,
    RS_CLIPPING,
    RS_LIGHTING,
    RS_NORMALIZENORMALS,
    RS_LOCALVIEWER,
    RS_EMISSIVEMATERIALSOURCE,
    RS_AMBIENTMATERIALSOURCE,
    RS_DIFFUSEMATERIALSOURCE,
    RS_SPECULARMATERIALSOURCE,
    RS_VERTEXBLEND,
    RS_CLIPPLANEENABLE,
    RS_POINTSIZE,
    RS_POINTSIZE_MIN,
    RS_POINTSPRITEENABLE,
    RS_POINTSCALEENABLE,
    RS_POINTSCALE_A,
    RS_POINTSCALE_B,
    RS_POINTSCALE_C,
    RS_MULTISAMPLEANTIALIAS,
    RS_MULTISAMPLEMASK,
    RS_PATCHEDGESTYLE,
    RS_POINTSIZE_MAX,
    RS_INDEXEDVERTEXBLENDENABLE,
    RS_TWEENFACTOR,
    RS_POSITIONDEGREE,
    RS_NORMALDEGREE,
    RS_MINTESSELLATIONLEVEL,
    RS_MAXTESSELLATIONLEVEL,
    RS_ADAPTIVETESS_X,
    RS_ADAPTIVETESS_Y,
    RS_ADAPTIVETESS_Z,
    RS_ADAPTIVETESS_W,
    RS_ENABLEADAPTIVETESSELLATION,
    RS_SPECULARENABLE,
};

} // namespace

void DeviceState::SetDefaults(bool autoDepthStencil, uint32_t backBufferWidth, uint32_t backBufferHeight)
{
    *this = DeviceState();
    uint32_t* rs = RenderStates;
    rs[RS_ZENABLE] = autoDepthStencil ? ZB_TRUE : ZB_FALSE;
    rs[RS_FILLMODE] = FILL_SOLID;
    rs[RS_SHADEMODE] = SHADE_GOURAUD;
    rs[RS_ZWRITEENABLE] = 1;
    rs[RS_LASTPIXEL] = 1;
    rs[RS_SRCBLEND] = BLEND_ONE;
    rs[RS_DESTBLEND] = BLEND_ZERO;
    rs[RS_CULLMODE] = CULL_CCW;
    rs[RS_ZFUNC] = CMP_LESSEQUAL;
    rs[RS_ALPHAFUNC] = CMP_ALWAYS;
    rs[RS_FOGSTART] = FloatBits(0.0f);
    rs[RS_FOGEND] = FloatBits(1.0f);
    rs[RS_FOGDENSITY] = FloatBits(1.0f);
    rs[RS_STENCILFAIL] = STENCILOP_KEEP;
    rs[RS_STENCILZFAIL] = STENCILOP_KEEP;
    rs[RS_STENCILPASS] = STENCILOP_KEEP;
    rs[RS_STENCILFUNC] = CMP_ALWAYS;
    rs[RS_STENCILMASK] = 0xFFFFFFFF;
    rs[RS_STENCILWRITEMASK] = 0xFFFFFFFF;
    rs[RS_TEXTUREFACTOR] = 0xFFFFFFFF;
    rs[RS_CLIPPING] = 1;
    rs[RS_LIGHTING] = 1;
    rs[RS_COLORVERTEX] = 1;
    rs[RS_LOCALVIEWER] = 1;
    rs[RS_DIFFUSEMATERIALSOURCE] = MCS_COLOR1;
    rs[RS_SPECULARMATERIALSOURCE] = MCS_COLOR2;
    rs[RS_AMBIENTMATERIALSOURCE] = MCS_MATERIAL;
    rs[RS_EMISSIVEMATERIALSOURCE] = MCS_MATERIAL;
    rs[RS_POINTSIZE] = FloatBits(1.0f);
    rs[RS_POINTSIZE_MIN] = FloatBits(1.0f);
    rs[RS_POINTSCALE_A] = FloatBits(1.0f);
    rs[RS_MULTISAMPLEANTIALIAS] = 1;
    rs[RS_MULTISAMPLEMASK] = 0xFFFFFFFF;
    rs[RS_POINTSIZE_MAX] = FloatBits(64.0f);
    rs[RS_COLORWRITEENABLE] = 0xF;
    rs[RS_BLENDOP] = BLENDOP_ADD;
    rs[RS_POSITIONDEGREE] = 3;
    rs[RS_NORMALDEGREE] = 1;
    rs[RS_MINTESSELLATIONLEVEL] = FloatBits(1.0f);
    rs[RS_MAXTESSELLATIONLEVEL] = FloatBits(1.0f);
    rs[RS_ADAPTIVETESS_Z] = FloatBits(1.0f);
    rs[RS_CCW_STENCILFAIL] = STENCILOP_KEEP;
    rs[RS_CCW_STENCILZFAIL] = STENCILOP_KEEP;
    rs[RS_CCW_STENCILPASS] = STENCILOP_KEEP;
    rs[RS_CCW_STENCILFUNC] = CMP_ALWAYS;
    rs[RS_COLORWRITEENABLE1] = 0xF;
    rs[RS_COLORWRITEENABLE2] = 0xF;
    rs[RS_COLORWRITEENABLE3] = 0xF;
    rs[RS_BLENDFACTOR] = 0xFFFFFFFF;
    rs[RS_SRCBLENDALPHA] = BLEND_ONE;
    rs[RS_DESTBLENDALPHA] = BLEND_ZERO;
    rs[RS_BLENDOPALPHA] = BLENDOP_ADD;

    for (uint32_t stage = 0; stage < kMaxTextureStages; ++stage)
    {
        uint32_t* ts = StageStates[stage];
        ts[TSS_COLOROP] = stage == 0 ? TOP_MODULATE : TOP_DISABLE;
        ts[TSS_ALPHAOP] = stage == 0 ? TOP_SELECTARG1 : TOP_DISABLE;
        ts[TSS_COLORARG1] = TA_TEXTURE;
        ts[TSS_COLORARG2] = TA_CURRENT;
        ts[TSS_ALPHAARG1] = TA_TEXTURE;
        ts[TSS_ALPHAARG2] = TA_CURRENT;
        ts[TSS_TEXCOORDINDEX] = stage;
        ts[TSS_COLORARG0] = TA_CURRENT;
        ts[TSS_ALPHAARG0] = TA_CURRENT;
        ts[TSS_RESULTARG] = TA_CURRENT;
    }
    for (uint32_t sampler = 0; sampler < kMaxSamplers; ++sampler)
    {
        uint32_t* ss = SamplerStates[sampler];
        ss[SAMP_ADDRESSU] = TADDRESS_WRAP;
        ss[SAMP_ADDRESSV] = TADDRESS_WRAP;
        ss[SAMP_ADDRESSW] = TADDRESS_WRAP;
        ss[SAMP_MAGFILTER] = TEXF_POINT;
        ss[SAMP_MINFILTER] = TEXF_POINT;
        ss[SAMP_MIPFILTER] = TEXF_NONE;
        ss[SAMP_MAXANISOTROPY] = 1;
    }
    CurrentViewport = Viewport{0, 0, backBufferWidth, backBufferHeight, 0.0f, 1.0f};
}

Matrix* DeviceState::Transform(uint32_t state)
{
    return const_cast<Matrix*>(static_cast<const DeviceState*>(this)->Transform(state));
}

const Matrix* DeviceState::Transform(uint32_t state) const
{
    if (state == TS_WORLD)
        return &World;
    if (state == TS_VIEW)
        return &View;
    if (state == TS_PROJECTION)
        return &Projection;
    if (state >= TS_TEXTURE0 && state <= TS_TEXTURE7)
        return &TextureTransforms[state - TS_TEXTURE0];
    return nullptr;
}

Light DeviceState::DefaultLight()
{
    Light light;
    light.Type = LIGHT_DIRECTIONAL;
    light.Diffuse = ColorValue{1.0f, 1.0f, 1.0f, 0.0f};
    light.Direction = Vector3(0.0f, 0.0f, 1.0f);
    return light;
}

void DeviceState::Unbind(const GfxObject* object)
{
    for (auto& texture : Textures)
        if (texture == object)
            texture = nullptr;
    for (auto& stream : Streams)
        if (stream.Buffer == object)
            stream = StreamBinding();
    if (Indices == object)
    {
        Indices = nullptr;
        IndexMemory = nullptr;
    }
    if (Declaration == object)
        Declaration = nullptr;
    if (VertexShader == object)
        VertexShader = nullptr;
}

StateMask StateMask::ForType(uint32_t type, const DeviceState& state)
{
    StateMask mask;
    const bool all = type == SBT_ALL;
    const bool pixel = all || type == SBT_PIXELSTATE;
    const bool vertex = all || type == SBT_VERTEXSTATE;
    std::bitset<kRenderStateCount> vertexStates;
    for (uint32_t rs : kVertexRenderStates)
        vertexStates.set(rs);
    for (uint32_t rs = 0; rs < kRenderStateCount; ++rs)
        if ((vertexStates.test(rs) && vertex) || (!vertexStates.test(rs) && pixel))
            mask.RenderStates.set(rs);
    for (uint32_t stage = 0; stage < kMaxTextureStages; ++stage)
        for (uint32_t ts = 0; ts < kTextureStageStateCount; ++ts)
        {
            const bool vertexState = ts == TSS_TEXCOORDINDEX || ts == TSS_TEXTURETRANSFORMFLAGS;
            if ((vertexState && vertex) || (!vertexState && pixel))
                mask.StageStates[stage].set(ts);
        }
    for (uint32_t sampler = 0; sampler < kMaxSamplers; ++sampler)
        for (uint32_t ss = 0; ss < kSamplerStateCount; ++ss)
        {
            const bool vertexState = ss == SAMP_DMAPOFFSET;
            if ((vertexState && vertex) || (!vertexState && pixel))
                mask.SamplerStates[sampler].set(ss);
        }
    if (vertex)
    {
        for (const auto& light : state.Lights)
            mask.Lights.insert(light.first);
        mask.FVF = true;
        mask.Declaration = true;
        mask.VertexShader = true;
    }
    if (all)
    {
        mask.Transforms = {TS_WORLD, TS_VIEW, TS_PROJECTION};
        for (uint32_t t = TS_TEXTURE0; t <= TS_TEXTURE7; ++t)
            mask.Transforms.insert(t);
        mask.Textures.set();
        mask.Streams.set();
        mask.Viewport = true;
        mask.Material = true;
        mask.Indices = true;
    }
    return mask;
}

} // namespace platform
