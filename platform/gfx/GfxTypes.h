#pragma once

// Numbers and records of the graphics device interface. The numeric values are the ones the rendering
// code stores, compares, sorts by and sizes its caches by, so they match the platform's own values.

#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector3.h"
#include "platform/gfx/math/Viewport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform
{

using GfxResult = int32_t;
using GfxColor = uint32_t; // A8R8G8B8: alpha in the top byte, blue in the lowest.
// The window the device presents into (platform/window).
struct WindowObject;
using WindowHandle = WindowObject*;

constexpr GfxResult GFX_OK = 0;
constexpr GfxResult GFX_E_FAIL = static_cast<GfxResult>(0x80004005u);
constexpr GfxResult GFX_E_OUTOFMEMORY = static_cast<GfxResult>(0x8007000Eu);
constexpr GfxResult GFX_E_INVALIDARG = static_cast<GfxResult>(0x80070057u);
constexpr GfxResult GFXERR_OUTOFVIDEOMEMORY = static_cast<GfxResult>(0x8876017Cu);
constexpr GfxResult GFXERR_DRIVERINTERNALERROR = static_cast<GfxResult>(0x88760827u);
constexpr GfxResult GFXERR_NOTFOUND = static_cast<GfxResult>(0x88760866u);
constexpr GfxResult GFXERR_DEVICELOST = static_cast<GfxResult>(0x88760868u);
constexpr GfxResult GFXERR_DEVICENOTRESET = static_cast<GfxResult>(0x88760869u);
constexpr GfxResult GFXERR_NOTAVAILABLE = static_cast<GfxResult>(0x8876086Au);
constexpr GfxResult GFXERR_INVALIDDEVICE = static_cast<GfxResult>(0x8876086Bu);
constexpr GfxResult GFXERR_INVALIDCALL = static_cast<GfxResult>(0x8876086Cu);

inline bool GfxFailed(GfxResult result)
{
    return result < 0;
}
inline bool GfxSucceeded(GfxResult result)
{
    return result >= 0;
}

constexpr uint32_t GFX_SDK_VERSION = 32;

inline constexpr uint32_t MakeFourCC(char a, char b, char c, char d)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) |
           static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24;
}

enum GfxFormat : uint32_t
{
    FMT_UNKNOWN = 0,
    FMT_R8G8B8 = 20,
    FMT_A8R8G8B8 = 21,
    FMT_X8R8G8B8 = 22,
    FMT_R5G6B5 = 23,
    FMT_X1R5G5B5 = 24,
    FMT_A1R5G5B5 = 25,
    FMT_A4R4G4B4 = 26,
    FMT_R3G3B2 = 27,
    FMT_A8 = 28,
    FMT_A8R3G3B2 = 29,
    FMT_X4R4G4B4 = 30,
    FMT_A2B10G10R10 = 31,
    FMT_A8B8G8R8 = 32,
    FMT_X8B8G8R8 = 33,
    FMT_G16R16 = 34,
    FMT_A2R10G10B10 = 35,
    FMT_A16B16G16R16 = 36,
    FMT_L8 = 50,
    FMT_A8L8 = 51,
    FMT_D16_LOCKABLE = 70,
    FMT_D32 = 71,
    FMT_D15S1 = 73,
    FMT_D24S8 = 75,
    FMT_D24X8 = 77,
    FMT_D24X4S4 = 79,
    FMT_D16 = 80,
    FMT_VERTEXDATA = 100,
    FMT_INDEX16 = 101,
    FMT_INDEX32 = 102,
    FMT_DXT1 = MakeFourCC('D', 'X', 'T', '1'),
    FMT_DXT2 = MakeFourCC('D', 'X', 'T', '2'),
    FMT_DXT3 = MakeFourCC('D', 'X', 'T', '3'),
    FMT_DXT4 = MakeFourCC('D', 'X', 'T', '4'),
    FMT_DXT5 = MakeFourCC('D', 'X', 'T', '5'),
};

enum GfxDeviceType : uint32_t
{
    DEVTYPE_HAL = 1,
    DEVTYPE_REF = 2,
    DEVTYPE_SW = 3,
    DEVTYPE_NULLREF = 4,
};

enum GfxCreateFlags : uint32_t
{
    CREATE_FPU_PRESERVE = 0x2,
    CREATE_MULTITHREADED = 0x4,
    CREATE_PUREDEVICE = 0x10,
    CREATE_SOFTWARE_VERTEXPROCESSING = 0x20,
    CREATE_HARDWARE_VERTEXPROCESSING = 0x40,
    CREATE_MIXED_VERTEXPROCESSING = 0x80,
};

enum GfxPool : uint32_t
{
    POOL_DEFAULT = 0,
    POOL_MANAGED = 1,
    POOL_SYSTEMMEM = 2,
    POOL_SCRATCH = 3,
};

enum GfxUsage : uint32_t
{
    USAGE_RENDERTARGET = 0x1,
    USAGE_DEPTHSTENCIL = 0x2,
    USAGE_WRITEONLY = 0x8,
    USAGE_SOFTWAREPROCESSING = 0x10,
    USAGE_DONOTCLIP = 0x20,
    USAGE_POINTS = 0x40,
    USAGE_DYNAMIC = 0x200,
    USAGE_AUTOGENMIPMAP = 0x400,
};

enum GfxLockFlags : uint32_t
{
    LOCK_READONLY = 0x10,
    LOCK_NOSYSLOCK = 0x800,
    LOCK_NOOVERWRITE = 0x1000,
    LOCK_DISCARD = 0x2000,
    LOCK_DONOTWAIT = 0x4000,
    LOCK_NO_DIRTY_UPDATE = 0x8000,
};

enum GfxResourceType : uint32_t
{
    RTYPE_SURFACE = 1,
    RTYPE_VOLUME = 2,
    RTYPE_TEXTURE = 3,
    RTYPE_VOLUMETEXTURE = 4,
    RTYPE_CUBETEXTURE = 5,
    RTYPE_VERTEXBUFFER = 6,
    RTYPE_INDEXBUFFER = 7,
};

enum GfxCubeFace : uint32_t
{
    CUBEMAP_FACE_POSITIVE_X = 0,
    CUBEMAP_FACE_NEGATIVE_X = 1,
    CUBEMAP_FACE_POSITIVE_Y = 2,
    CUBEMAP_FACE_NEGATIVE_Y = 3,
    CUBEMAP_FACE_POSITIVE_Z = 4,
    CUBEMAP_FACE_NEGATIVE_Z = 5,
};

// Flexible vertex format bits.
enum GfxFvf : uint32_t
{
    FVF_XYZ = 0x2,
    FVF_XYZRHW = 0x4,
    FVF_POSITION_MASK = 0x400E,
    FVF_NORMAL = 0x10,
    FVF_PSIZE = 0x20,
    FVF_DIFFUSE = 0x40,
    FVF_SPECULAR = 0x80,
    FVF_TEXCOUNT_MASK = 0xF00,
    FVF_TEXCOUNT_SHIFT = 8,
    FVF_TEX0 = 0x000,
    FVF_TEX1 = 0x100,
    FVF_TEX2 = 0x200,
    FVF_TEX3 = 0x300,
    FVF_TEX4 = 0x400,
    FVF_TEX5 = 0x500,
    FVF_TEX6 = 0x600,
    FVF_TEX7 = 0x700,
    FVF_TEX8 = 0x800,
};

// Size bits of texture-coordinate set `set` (two floats when none is given).
constexpr uint32_t FvfTexCoordSize1(uint32_t set)
{
    return 3u << (set * 2 + 16);
}
constexpr uint32_t FvfTexCoordSize3(uint32_t set)
{
    return 1u << (set * 2 + 16);
}
constexpr uint32_t FvfTexCoordSize4(uint32_t set)
{
    return 2u << (set * 2 + 16);
}

enum GfxTransformState : uint32_t
{
    TS_VIEW = 2,
    TS_PROJECTION = 3,
    TS_TEXTURE0 = 16,
    TS_TEXTURE7 = 23,
    TS_WORLD = 256,
};

enum GfxPrimitiveType : uint32_t
{
    PT_POINTLIST = 1,
    PT_LINELIST = 2,
    PT_LINESTRIP = 3,
    PT_TRIANGLELIST = 4,
    PT_TRIANGLESTRIP = 5,
    PT_TRIANGLEFAN = 6,
};

enum GfxClearFlags : uint32_t
{
    CLEAR_TARGET = 0x1,
    CLEAR_ZBUFFER = 0x2,
    CLEAR_STENCIL = 0x4,
};

enum GfxLightType : uint32_t
{
    LIGHT_POINT = 1,
    LIGHT_SPOT = 2,
    LIGHT_DIRECTIONAL = 3,
};

enum GfxRenderState : uint32_t
{
    RS_ZENABLE = 7,
    RS_FILLMODE = 8,
    RS_SHADEMODE = 9,
    RS_ZWRITEENABLE = 14,
    RS_ALPHATESTENABLE = 15,
    RS_LASTPIXEL = 16,
    RS_SRCBLEND = 19,
    RS_DESTBLEND = 20,
    RS_CULLMODE = 22,
    RS_ZFUNC = 23,
    RS_ALPHAREF = 24,
    RS_ALPHAFUNC = 25,
    RS_DITHERENABLE = 26,
    RS_ALPHABLENDENABLE = 27,
    RS_FOGENABLE = 28,
    RS_SPECULARENABLE = 29,
    RS_FOGCOLOR = 34,
    RS_FOGTABLEMODE = 35,
    RS_FOGSTART = 36,
    RS_FOGEND = 37,
    RS_FOGDENSITY = 38,
    RS_RANGEFOGENABLE = 48,
    RS_STENCILENABLE = 52,
    RS_STENCILFAIL = 53,
    RS_STENCILZFAIL = 54,
    RS_STENCILPASS = 55,
    RS_STENCILFUNC = 56,
    RS_STENCILREF = 57,
    RS_STENCILMASK = 58,
    RS_STENCILWRITEMASK = 59,
    RS_TEXTUREFACTOR = 60,
    RS_WRAP0 = 128,
    RS_CLIPPING = 136,
    RS_LIGHTING = 137,
    RS_AMBIENT = 139,
    RS_FOGVERTEXMODE = 140,
    RS_COLORVERTEX = 141,
    RS_LOCALVIEWER = 142,
    RS_NORMALIZENORMALS = 143,
    RS_DIFFUSEMATERIALSOURCE = 145,
    RS_SPECULARMATERIALSOURCE = 146,
    RS_AMBIENTMATERIALSOURCE = 147,
    RS_EMISSIVEMATERIALSOURCE = 148,
    RS_VERTEXBLEND = 151,
    RS_CLIPPLANEENABLE = 152,
    RS_POINTSIZE = 154,
    RS_POINTSIZE_MIN = 155,
    RS_POINTSPRITEENABLE = 156,
    RS_POINTSCALEENABLE = 157,
    RS_POINTSCALE_A = 158,
    RS_POINTSCALE_B = 159,
    RS_POINTSCALE_C = 160,
    RS_MULTISAMPLEANTIALIAS = 161,
    RS_MULTISAMPLEMASK = 162,
    RS_PATCHEDGESTYLE = 163,
    RS_DEBUGMONITORTOKEN = 165,
    RS_POINTSIZE_MAX = 166,
    RS_INDEXEDVERTEXBLENDENABLE = 167,
    RS_COLORWRITEENABLE = 168,
    RS_TWEENFACTOR = 170,
    RS_BLENDOP = 171,
    RS_POSITIONDEGREE = 172,
    RS_NORMALDEGREE = 173,
    RS_SCISSORTESTENABLE = 174,
    RS_SLOPESCALEDEPTHBIAS = 175,
    RS_ANTIALIASEDLINEENABLE = 176,
    RS_MINTESSELLATIONLEVEL = 178,
    RS_MAXTESSELLATIONLEVEL = 179,
    RS_ADAPTIVETESS_X = 180,
    RS_ADAPTIVETESS_Y = 181,
    RS_ADAPTIVETESS_Z = 182,
    RS_ADAPTIVETESS_W = 183,
    RS_ENABLEADAPTIVETESSELLATION = 184,
    RS_TWOSIDEDSTENCILMODE = 185,
    RS_CCW_STENCILFAIL = 186,
    RS_CCW_STENCILZFAIL = 187,
    RS_CCW_STENCILPASS = 188,
    RS_CCW_STENCILFUNC = 189,
    RS_COLORWRITEENABLE1 = 190,
    RS_COLORWRITEENABLE2 = 191,
    RS_COLORWRITEENABLE3 = 192,
    RS_BLENDFACTOR = 193,
    RS_SRGBWRITEENABLE = 194,
    RS_DEPTHBIAS = 195,
    RS_WRAP8 = 198,
    RS_SEPARATEALPHABLENDENABLE = 206,
    RS_SRCBLENDALPHA = 207,
    RS_DESTBLENDALPHA = 208,
    RS_BLENDOPALPHA = 209,
};
// Render-state numbers run from 0 up to, not including, this.
constexpr uint32_t kRenderStateCount = 210;

enum GfxTextureStageState : uint32_t
{
    TSS_COLOROP = 1,
    TSS_COLORARG1 = 2,
    TSS_COLORARG2 = 3,
    TSS_ALPHAOP = 4,
    TSS_ALPHAARG1 = 5,
    TSS_ALPHAARG2 = 6,
    TSS_BUMPENVMAT00 = 7,
    TSS_BUMPENVMAT01 = 8,
    TSS_BUMPENVMAT10 = 9,
    TSS_BUMPENVMAT11 = 10,
    TSS_TEXCOORDINDEX = 11,
    TSS_BUMPENVLSCALE = 22,
    TSS_BUMPENVLOFFSET = 23,
    TSS_TEXTURETRANSFORMFLAGS = 24,
    TSS_COLORARG0 = 26,
    TSS_ALPHAARG0 = 27,
    TSS_RESULTARG = 28,
    TSS_CONSTANT = 32,
};
constexpr uint32_t kTextureStageStateCount = 33;
constexpr uint32_t kMaxTextureStages = 8;

enum GfxSamplerState : uint32_t
{
    SAMP_ADDRESSU = 1,
    SAMP_ADDRESSV = 2,
    SAMP_ADDRESSW = 3,
    SAMP_BORDERCOLOR = 4,
    SAMP_MAGFILTER = 5,
    SAMP_MINFILTER = 6,
    SAMP_MIPFILTER = 7,
    SAMP_MIPMAPLODBIAS = 8,
    SAMP_MAXMIPLEVEL = 9,
    SAMP_MAXANISOTROPY = 10,
    SAMP_SRGBTEXTURE = 11,
    SAMP_ELEMENTINDEX = 12,
    SAMP_DMAPOFFSET = 13,
};
constexpr uint32_t kSamplerStateCount = 14;
constexpr uint32_t kMaxSamplers = 16;
constexpr uint32_t kMaxLights = 64;
constexpr uint32_t kMaxStreams = 4;

enum GfxTextureOp : uint32_t
{
    TOP_DISABLE = 1,
    TOP_SELECTARG1 = 2,
    TOP_SELECTARG2 = 3,
    TOP_MODULATE = 4,
    TOP_MODULATE2X = 5,
    TOP_MODULATE4X = 6,
    TOP_ADD = 7,
    TOP_ADDSIGNED = 8,
    TOP_ADDSIGNED2X = 9,
    TOP_SUBTRACT = 10,
    TOP_ADDSMOOTH = 11,
    TOP_BLENDDIFFUSEALPHA = 12,
    TOP_BLENDTEXTUREALPHA = 13,
    TOP_BLENDFACTORALPHA = 14,
    TOP_BLENDTEXTUREALPHAPM = 15,
    TOP_BLENDCURRENTALPHA = 16,
    TOP_PREMODULATE = 17,
    TOP_MODULATEALPHA_ADDCOLOR = 18,
    TOP_MODULATECOLOR_ADDALPHA = 19,
    TOP_MODULATEINVALPHA_ADDCOLOR = 20,
    TOP_MODULATEINVCOLOR_ADDALPHA = 21,
    TOP_BUMPENVMAP = 22,
    TOP_BUMPENVMAPLUMINANCE = 23,
    TOP_DOTPRODUCT3 = 24,
    TOP_MULTIPLYADD = 25,
    TOP_LERP = 26,
};

// Texture-stage arguments.
enum GfxTextureArg : uint32_t
{
    TA_SELECTMASK = 0xF,
    TA_DIFFUSE = 0,
    TA_CURRENT = 1,
    TA_TEXTURE = 2,
    TA_TFACTOR = 3,
    TA_SPECULAR = 4,
    TA_TEMP = 5,
    TA_CONSTANT = 6,
    TA_COMPLEMENT = 0x10,
    TA_ALPHAREPLICATE = 0x20,
};

// Texture-coordinate index flags (the set number lives in the low 16 bits).
enum GfxTexCoordIndex : uint32_t
{
    TSS_TCI_PASSTHRU = 0,
    TSS_TCI_CAMERASPACENORMAL = 0x10000,
    TSS_TCI_CAMERASPACEPOSITION = 0x20000,
    TSS_TCI_CAMERASPACEREFLECTIONVECTOR = 0x30000,
    TSS_TCI_SPHEREMAP = 0x40000,
};

enum GfxTextureTransformFlags : uint32_t
{
    TTFF_DISABLE = 0,
    TTFF_COUNT1 = 1,
    TTFF_COUNT2 = 2,
    TTFF_COUNT3 = 3,
    TTFF_COUNT4 = 4,
    TTFF_PROJECTED = 256,
};

enum GfxBlend : uint32_t
{
    BLEND_ZERO = 1,
    BLEND_ONE = 2,
    BLEND_SRCCOLOR = 3,
    BLEND_INVSRCCOLOR = 4,
    BLEND_SRCALPHA = 5,
    BLEND_INVSRCALPHA = 6,
    BLEND_DESTALPHA = 7,
    BLEND_INVDESTALPHA = 8,
    BLEND_DESTCOLOR = 9,
    BLEND_INVDESTCOLOR = 10,
    BLEND_SRCALPHASAT = 11,
    BLEND_BOTHSRCALPHA = 12,
    BLEND_BOTHINVSRCALPHA = 13,
    BLEND_BLENDFACTOR = 14,
    BLEND_INVBLENDFACTOR = 15,
};

enum GfxBlendOp : uint32_t
{
    BLENDOP_ADD = 1,
    BLENDOP_SUBTRACT = 2,
    BLENDOP_REVSUBTRACT = 3,
    BLENDOP_MIN = 4,
    BLENDOP_MAX = 5,
};

enum GfxCompare : uint32_t
{
    CMP_NEVER = 1,
    CMP_LESS = 2,
    CMP_EQUAL = 3,
    CMP_LESSEQUAL = 4,
    CMP_GREATER = 5,
    CMP_NOTEQUAL = 6,
    CMP_GREATEREQUAL = 7,
    CMP_ALWAYS = 8,
};

enum GfxCull : uint32_t
{
    CULL_NONE = 1,
    CULL_CW = 2,
    CULL_CCW = 3,
};

enum GfxFill : uint32_t
{
    FILL_POINT = 1,
    FILL_WIREFRAME = 2,
    FILL_SOLID = 3,
};

enum GfxShade : uint32_t
{
    SHADE_FLAT = 1,
    SHADE_GOURAUD = 2,
    SHADE_PHONG = 3,
};

enum GfxZBufferType : uint32_t
{
    ZB_FALSE = 0,
    ZB_TRUE = 1,
    ZB_USEW = 2,
};

enum GfxStencilOp : uint32_t
{
    STENCILOP_KEEP = 1,
    STENCILOP_ZERO = 2,
    STENCILOP_REPLACE = 3,
    STENCILOP_INCRSAT = 4,
    STENCILOP_DECRSAT = 5,
    STENCILOP_INVERT = 6,
    STENCILOP_INCR = 7,
    STENCILOP_DECR = 8,
};

enum GfxFogMode : uint32_t
{
    FOG_NONE = 0,
    FOG_EXP = 1,
    FOG_EXP2 = 2,
    FOG_LINEAR = 3,
};

enum GfxMaterialColorSource : uint32_t
{
    MCS_MATERIAL = 0,
    MCS_COLOR1 = 1,
    MCS_COLOR2 = 2,
};

enum GfxTextureAddress : uint32_t
{
    TADDRESS_WRAP = 1,
    TADDRESS_MIRROR = 2,
    TADDRESS_CLAMP = 3,
    TADDRESS_BORDER = 4,
    TADDRESS_MIRRORONCE = 5,
};

enum GfxTextureFilter : uint32_t
{
    TEXF_NONE = 0,
    TEXF_POINT = 1,
    TEXF_LINEAR = 2,
    TEXF_ANISOTROPIC = 3,
};

enum GfxSwapEffect : uint32_t
{
    SWAPEFFECT_DISCARD = 1,
    SWAPEFFECT_FLIP = 2,
    SWAPEFFECT_COPY = 3,
};

enum GfxMultiSample : uint32_t
{
    MULTISAMPLE_NONE = 0,
};

enum GfxStateBlockType : uint32_t
{
    SBT_ALL = 1,
    SBT_PIXELSTATE = 2,
    SBT_VERTEXSTATE = 3,
};

enum GfxBackBufferType : uint32_t
{
    BACKBUFFER_TYPE_MONO = 0,
};

// Capability bits.
enum GfxCapsBits : uint32_t
{
    DEVCAPS_HWTRANSFORMANDLIGHT = 0x00010000,
    DEVCAPS_PUREDEVICE = 0x00100000,
    PTEXTURECAPS_POW2 = 0x00000002,
    PTEXTURECAPS_ALPHA = 0x00000004,
    PTEXTURECAPS_SQUAREONLY = 0x00000020,
    PTEXTURECAPS_NONPOW2CONDITIONAL = 0x00000100,
    PTEXTURECAPS_CUBEMAP = 0x00000800,
    PTEXTURECAPS_VOLUMEMAP = 0x00002000,
    PTEXTURECAPS_MIPMAP = 0x00004000,
    PTEXTURECAPS_MIPVOLUMEMAP = 0x00008000,
    PTEXTURECAPS_MIPCUBEMAP = 0x00010000,
    VTXPCAPS_TEXGEN = 0x00000001,
    VTXPCAPS_MATERIALSOURCE7 = 0x00000002,
    VTXPCAPS_DIRECTIONALLIGHTS = 0x00000008,
    VTXPCAPS_POSITIONALLIGHTS = 0x00000010,
    VTXPCAPS_LOCALVIEWER = 0x00000020,
    PMISCCAPS_CULLNONE = 0x00000010,
    PMISCCAPS_CULLCW = 0x00000020,
    PMISCCAPS_CULLCCW = 0x00000040,
    PMISCCAPS_BLENDOP = 0x00000800,
    PMISCCAPS_TSSARGTEMP = 0x00400000,
};

enum GfxDeclType : uint8_t
{
    DECLTYPE_FLOAT1 = 0,
    DECLTYPE_FLOAT2 = 1,
    DECLTYPE_FLOAT3 = 2,
    DECLTYPE_FLOAT4 = 3,
    DECLTYPE_D3DCOLOR = 4,
    DECLTYPE_UBYTE4 = 5,
    DECLTYPE_SHORT2 = 6,
    DECLTYPE_SHORT4 = 7,
    DECLTYPE_UBYTE4N = 8,
    DECLTYPE_UNUSED = 17,
};

enum GfxDeclUsage : uint8_t
{
    DECLUSAGE_POSITION = 0,
    DECLUSAGE_BLENDWEIGHT = 1,
    DECLUSAGE_BLENDINDICES = 2,
    DECLUSAGE_NORMAL = 3,
    DECLUSAGE_PSIZE = 4,
    DECLUSAGE_TEXCOORD = 5,
    DECLUSAGE_TANGENT = 6,
    DECLUSAGE_BINORMAL = 7,
    DECLUSAGE_POSITIONT = 9,
    DECLUSAGE_COLOR = 10,
    DECLUSAGE_FOG = 11,
};

struct VertexElement
{
    uint16_t Stream = 0;
    uint16_t Offset = 0;
    uint8_t Type = DECLTYPE_UNUSED;
    uint8_t Method = 0;
    uint8_t Usage = 0;
    uint8_t UsageIndex = 0;
};
// Ends a vertex-element list.
constexpr VertexElement kDeclEnd = {0xFF, 0, DECLTYPE_UNUSED, 0, 0, 0};

struct ColorValue
{
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;
};

struct Material
{
    ColorValue Diffuse;
    ColorValue Ambient;
    ColorValue Specular;
    ColorValue Emissive;
    float Power = 0.0f;
};

struct Light
{
    uint32_t Type = LIGHT_DIRECTIONAL;
    ColorValue Diffuse;
    ColorValue Specular;
    ColorValue Ambient;
    Vector3 Position;
    Vector3 Direction;
    float Range = 0.0f;
    float Falloff = 0.0f;
    float Attenuation0 = 0.0f;
    float Attenuation1 = 0.0f;
    float Attenuation2 = 0.0f;
    float Theta = 0.0f;
    float Phi = 0.0f;
};

struct GfxRect
{
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
};

struct GfxBox
{
    uint32_t Left = 0;
    uint32_t Top = 0;
    uint32_t Right = 0;
    uint32_t Bottom = 0;
    uint32_t Front = 0;
    uint32_t Back = 0;
};

// For block-compressed formats Pitch is the bytes of one row of 4x4 blocks.
struct LockedRect
{
    int32_t Pitch = 0;
    void* Bits = nullptr;
};

struct LockedBox
{
    int32_t RowPitch = 0;
    int32_t SlicePitch = 0;
    void* Bits = nullptr;
};

struct DisplayMode
{
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint32_t RefreshRate = 0;
    uint32_t Format = FMT_UNKNOWN;
};

struct AdapterIdentifier
{
    std::string Driver;
    std::string Description;
    std::string DeviceName;
    uint32_t VendorId = 0;
    uint32_t DeviceId = 0;
};

struct PresentParameters
{
    uint32_t BackBufferWidth = 0;
    uint32_t BackBufferHeight = 0;
    uint32_t BackBufferFormat = FMT_UNKNOWN;
    uint32_t BackBufferCount = 0;
    uint32_t MultiSampleType = MULTISAMPLE_NONE;
    uint32_t MultiSampleQuality = 0;
    uint32_t SwapEffect = 0;
    WindowHandle DeviceWindow = nullptr;
    bool Windowed = false;
    bool EnableAutoDepthStencil = false;
    uint32_t AutoDepthStencilFormat = FMT_UNKNOWN;
    uint32_t Flags = 0;
    uint32_t FullScreenRefreshRateInHz = 0;
    uint32_t PresentationInterval = 0;
};

// The capabilities the rendering code reads.
// Shader versions as the device caps encode them: a kind word above, major and minor version below.
constexpr uint32_t PS_VERSION(uint32_t major, uint32_t minor)
{
    return 0xFFFF0000u | (major << 8) | minor;
}
constexpr uint32_t VS_VERSION(uint32_t major, uint32_t minor)
{
    return 0xFFFE0000u | (major << 8) | minor;
}

struct GfxCaps
{
    uint32_t DeviceType = DEVTYPE_HAL;
    uint32_t AdapterOrdinal = 0;
    uint32_t DevCaps = 0;
    uint32_t PrimitiveMiscCaps = 0;
    uint32_t TextureCaps = 0;
    uint32_t VertexProcessingCaps = 0;
    uint32_t MaxTextureWidth = 0;
    uint32_t MaxTextureHeight = 0;
    uint32_t MaxVolumeExtent = 0;
    uint32_t MaxTextureBlendStages = 0;
    uint32_t MaxSimultaneousTextures = 0;
    uint32_t MaxActiveLights = 0;
    uint32_t MaxPrimitiveCount = 0;
    uint32_t MaxVertexIndex = 0;
    uint32_t MaxStreams = 0;
    uint32_t MaxAnisotropy = 0;
    // 0 when the device runs no shaders of that kind.
    uint32_t VertexShaderVersion = 0;
    uint32_t PixelShaderVersion = 0;
};

struct SurfaceDesc
{
    uint32_t Format = FMT_UNKNOWN;
    uint32_t Type = RTYPE_SURFACE;
    uint32_t Usage = 0;
    uint32_t Pool = POOL_DEFAULT;
    uint32_t MultiSampleType = MULTISAMPLE_NONE;
    uint32_t MultiSampleQuality = 0;
    uint32_t Width = 0;
    uint32_t Height = 0;
};

struct VolumeDesc
{
    uint32_t Format = FMT_UNKNOWN;
    uint32_t Type = RTYPE_VOLUME;
    uint32_t Usage = 0;
    uint32_t Pool = POOL_DEFAULT;
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint32_t Depth = 0;
};

struct VertexBufferDesc
{
    uint32_t Format = FMT_VERTEXDATA;
    uint32_t Type = RTYPE_VERTEXBUFFER;
    uint32_t Usage = 0;
    uint32_t Pool = POOL_DEFAULT;
    uint32_t Size = 0;
    uint32_t FVF = 0;
};

struct IndexBufferDesc
{
    uint32_t Format = FMT_INDEX16;
    uint32_t Type = RTYPE_INDEXBUFFER;
    uint32_t Usage = 0;
    uint32_t Pool = POOL_DEFAULT;
    uint32_t Size = 0;
};

// A captured frame: rows top first, three bytes a pixel in blue, green, red order, no padding.
struct FrameCapture
{
    uint32_t Width = 0;
    uint32_t Height = 0;
    std::vector<uint8_t> Rows;
};

} // namespace platform
