#include "platform/gfx/GLDevice.h"
#include "platform/gfx/GLProgram.h"

#include "platform/gfx/GLContext.h"
#include "platform/gfx/GLCubeTexture.h"
#include "platform/gfx/GLFormat.h"
#include "platform/gfx/GLHeaders.h"
#include "platform/gfx/GLIndexBuffer.h"
#include "platform/gfx/GLTexture.h"
#include "platform/gfx/GLVertexBuffer.h"
#include "platform/gfx/GLVolumeTexture.h"
#include "platform/gfx/GfxBaseTexture.h"
#include "platform/gfx/GfxDirect3D.h"
#include "platform/gfx/GfxFormatInfo.h"
#include "platform/gfx/MemoryIndexBuffer.h"
#include "platform/gfx/MemorySurface.h"
#include "platform/gfx/MemoryVertexBuffer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace platform
{
namespace
{

// Whether GL already holds this matrix: compared bit for bit, in line, as every draw asks for two of them.
bool SameMatrix(const Matrix& a, const Matrix& b)
{
    return std::memcmp(a.m, b.m, sizeof a.m) == 0;
}

float BitsToFloat(uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void ColorToFloats(GfxColor color, float out[4])
{
    out[0] = ((color >> 16) & 0xFF) / 255.0f;
    out[1] = ((color >> 8) & 0xFF) / 255.0f;
    out[2] = (color & 0xFF) / 255.0f;
    out[3] = ((color >> 24) & 0xFF) / 255.0f;
}

GLenum CompareFunction(uint32_t compare)
{
    switch (compare)
    {
    case CMP_NEVER:
        return GL_NEVER;
    case CMP_LESS:
        return GL_LESS;
    case CMP_EQUAL:
        return GL_EQUAL;
    case CMP_LESSEQUAL:
        return GL_LEQUAL;
    case CMP_GREATER:
        return GL_GREATER;
    case CMP_NOTEQUAL:
        return GL_NOTEQUAL;
    case CMP_GREATEREQUAL:
        return GL_GEQUAL;
    default:
        return GL_ALWAYS;
    }
}

GLenum BlendFactor(uint32_t blend, bool source)
{
    switch (blend)
    {
    case BLEND_ZERO:
        return GL_ZERO;
    case BLEND_ONE:
        return GL_ONE;
    case BLEND_SRCCOLOR:
        return GL_SRC_COLOR;
    case BLEND_INVSRCCOLOR:
        return GL_ONE_MINUS_SRC_COLOR;
    case BLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case BLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    case BLEND_DESTALPHA:
        return GL_DST_ALPHA;
    case BLEND_INVDESTALPHA:
        return GL_ONE_MINUS_DST_ALPHA;
    case BLEND_DESTCOLOR:
        return GL_DST_COLOR;
    case BLEND_INVDESTCOLOR:
        return GL_ONE_MINUS_DST_COLOR;
    case BLEND_SRCALPHASAT:
        return GL_SRC_ALPHA_SATURATE;
    // Both-alpha factors set the source and imply the destination.
    case BLEND_BOTHSRCALPHA:
        return source ? GL_SRC_ALPHA : GL_ONE_MINUS_SRC_ALPHA;
    case BLEND_BOTHINVSRCALPHA:
        return source ? GL_ONE_MINUS_SRC_ALPHA : GL_SRC_ALPHA;
    case BLEND_BLENDFACTOR:
        return GL_CONSTANT_COLOR;
    case BLEND_INVBLENDFACTOR:
        return GL_ONE_MINUS_CONSTANT_COLOR;
    default:
        return source ? GL_ONE : GL_ZERO;
    }
}

GLenum BlendEquation(uint32_t op)
{
    switch (op)
    {
    case BLENDOP_SUBTRACT:
        return GL_FUNC_SUBTRACT;
    case BLENDOP_REVSUBTRACT:
        return GL_FUNC_REVERSE_SUBTRACT;
    case BLENDOP_MIN:
        return GL_MIN;
    case BLENDOP_MAX:
        return GL_MAX;
    default:
        return GL_FUNC_ADD;
    }
}

GLenum StencilOperation(uint32_t op)
{
    switch (op)
    {
    case STENCILOP_ZERO:
        return GL_ZERO;
    case STENCILOP_REPLACE:
        return GL_REPLACE;
    case STENCILOP_INCRSAT:
        return GL_INCR;
    case STENCILOP_DECRSAT:
        return GL_DECR;
    case STENCILOP_INVERT:
        return GL_INVERT;
    case STENCILOP_INCR:
        return GL_INCR_WRAP;
    case STENCILOP_DECR:
        return GL_DECR_WRAP;
    default:
        return GL_KEEP;
    }
}

GLint AddressMode(uint32_t mode)
{
    switch (mode)
    {
    case TADDRESS_MIRROR:
        return GL_MIRRORED_REPEAT;
    case TADDRESS_CLAMP:
    case TADDRESS_MIRRORONCE:
        return GL_CLAMP_TO_EDGE;
    case TADDRESS_BORDER:
        return GL_CLAMP_TO_BORDER;
    default:
        return GL_REPEAT;
    }
}

GLenum PrimitiveMode(uint32_t type)
{
    switch (type)
    {
    case PT_POINTLIST:
        return GL_POINTS;
    case PT_LINELIST:
        return GL_LINES;
    case PT_LINESTRIP:
        return GL_LINE_STRIP;
    case PT_TRIANGLESTRIP:
        return GL_TRIANGLE_STRIP;
    case PT_TRIANGLEFAN:
        return GL_TRIANGLE_FAN;
    default:
        return GL_TRIANGLES;
    }
}

// A texture-stage argument as a combiner source and operand.
void CombinerArgument(uint32_t argument, bool alpha, GLenum* source, GLenum* operand)
{
    switch (argument & TA_SELECTMASK)
    {
    case TA_DIFFUSE:
    case TA_SPECULAR:
        *source = GL_PRIMARY_COLOR;
        break;
    case TA_TEXTURE:
        *source = GL_TEXTURE;
        break;
    case TA_TFACTOR:
    case TA_CONSTANT:
        *source = GL_CONSTANT;
        break;
    default:
        // Current, and the temporary register that this back end does not have.
        *source = GL_PREVIOUS;
        break;
    }
    const bool complement = (argument & TA_COMPLEMENT) != 0;
    if (alpha || (argument & TA_ALPHAREPLICATE))
        *operand = complement ? GL_ONE_MINUS_SRC_ALPHA : GL_SRC_ALPHA;
    else
        *operand = complement ? GL_ONE_MINUS_SRC_COLOR : GL_SRC_COLOR;
}

// Sets the RGB or alpha half of a combiner from a texture-stage operation and its three arguments.
void SetCombiner(bool alpha, uint32_t op, uint32_t arg0, uint32_t arg1, uint32_t arg2)
{
    const GLenum combine = alpha ? GL_COMBINE_ALPHA : GL_COMBINE_RGB;
    const GLenum sources[3] = {alpha ? GLenum(GL_SRC0_ALPHA) : GLenum(GL_SRC0_RGB),
                               alpha ? GLenum(GL_SRC1_ALPHA) : GLenum(GL_SRC1_RGB),
                               alpha ? GLenum(GL_SRC2_ALPHA) : GLenum(GL_SRC2_RGB)};
    const GLenum operands[3] = {alpha ? GLenum(GL_OPERAND0_ALPHA) : GLenum(GL_OPERAND0_RGB),
                                alpha ? GLenum(GL_OPERAND1_ALPHA) : GLenum(GL_OPERAND1_RGB),
                                alpha ? GLenum(GL_OPERAND2_ALPHA) : GLenum(GL_OPERAND2_RGB)};
    const GLenum scale = alpha ? GL_ALPHA_SCALE : GL_RGB_SCALE;
    uint32_t args[3] = {arg1, arg2, TA_CURRENT};
    GLenum mode = GL_MODULATE;
    float factor = 1.0f;
    bool blendAlpha = false;
    switch (op)
    {
    case TOP_SELECTARG1:
        mode = GL_REPLACE;
        break;
    case TOP_SELECTARG2:
        mode = GL_REPLACE;
        args[0] = arg2;
        break;
    case TOP_MODULATE2X:
        factor = 2.0f;
        break;
    case TOP_MODULATE4X:
        factor = 4.0f;
        break;
    case TOP_ADD:
        mode = GL_ADD;
        break;
    case TOP_ADDSIGNED:
        mode = GL_ADD_SIGNED;
        break;
    case TOP_ADDSIGNED2X:
        mode = GL_ADD_SIGNED;
        factor = 2.0f;
        break;
    case TOP_SUBTRACT:
        mode = GL_SUBTRACT;
        break;
    case TOP_BLENDDIFFUSEALPHA:
        mode = GL_INTERPOLATE;
        args[2] = TA_DIFFUSE;
        blendAlpha = true;
        break;
    case TOP_BLENDTEXTUREALPHA:
        mode = GL_INTERPOLATE;
        args[2] = TA_TEXTURE;
        blendAlpha = true;
        break;
    case TOP_BLENDFACTORALPHA:
        mode = GL_INTERPOLATE;
        args[2] = TA_TFACTOR;
        blendAlpha = true;
        break;
    case TOP_BLENDCURRENTALPHA:
        mode = GL_INTERPOLATE;
        args[2] = TA_CURRENT;
        blendAlpha = true;
        break;
    case TOP_LERP:
        // arg0 chooses between arg1 and arg2.
        mode = GL_INTERPOLATE;
        args[2] = arg0;
        break;
    case TOP_DOTPRODUCT3:
        mode = alpha ? GL_MODULATE : GL_DOT3_RGBA;
        break;
    default:
        break;
    }
    glTexEnvi(GL_TEXTURE_ENV, combine, static_cast<GLint>(mode));
    glTexEnvf(GL_TEXTURE_ENV, scale, factor);
    for (int i = 0; i < 3; ++i)
    {
        GLenum source, operand;
        CombinerArgument(args[i], alpha, &source, &operand);
        if (i == 2 && blendAlpha)
            operand = GL_SRC_ALPHA;
        glTexEnvi(GL_TEXTURE_ENV, sources[i], static_cast<GLint>(source));
        glTexEnvi(GL_TEXTURE_ENV, operands[i], static_cast<GLint>(operand));
    }
}

// True when the current context draws indexed primitives from a base vertex.
bool HasBaseVertex()
{
    int major = 0, minor = 0;
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (version && std::sscanf(version, "%d.%d", &major, &minor) == 2 &&
        (major > 3 || (major == 3 && minor >= 2)))
        return true;
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return extensions && std::strstr(extensions, "GL_ARB_draw_elements_base_vertex") != nullptr;
}

Matrix PixelProjection(uint32_t width, uint32_t height)
{
    // Pixel (x, y) of a pre-transformed vertex lands half a pixel in, where D3D9 puts pixel centres.
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    return Matrix(2.0f / w, 0, 0, 0, 0, -2.0f / h, 0, 0, 0, 0, 2.0f, 0, 1.0f / w - 1.0f, 1.0f - 1.0f / h,
                  -1.0f, 1);
}

// GL takes an offset into the bound buffer in a pointer's place. The offset stays an integer until then:
// added to a null pointer it would be undefined.
const void* GLPointer(const uint8_t* memory, size_t offset)
{
    return memory ? memory + offset : reinterpret_cast<const void*>(static_cast<uintptr_t>(offset));
}

} // namespace

struct GLDevice::Applied
{
    bool Valid = false;
    uint32_t RenderStates[kRenderStateCount] = {};
    bool Transformed = false;
    uint32_t Stages[kMaxTextureStages][kTextureStageStateCount] = {};
    uint32_t Samplers[kMaxTextureStages][kSamplerStateCount] = {};
    const GfxBaseTexture* Textures[kMaxTextureStages] = {};
    GLenum Targets[kMaxTextureStages] = {};
    bool StageValid[kMaxTextureStages] = {};
    uint32_t EnabledUnits = 0;
    // Lighting as last given to GL.
    bool LightingValid = false;
    bool LightingOn = false;
    std::vector<Light> Lights;
    Matrix LightView;
    Material LightMaterial;
    uint32_t MaterialSources[4] = {};
    // Transforms and viewport as last given to GL.
    bool TransformsValid = false;
    bool TransformsPretransformed = false;
    Viewport TransformViewport;
    Matrix World;
    Matrix View;
    Matrix Projection;
    bool FramebufferBound = false;
    // Buffer bindings; 0 means no buffer, and a binding not known is given to GL again.
    bool ArrayBufferKnown = false;
    GLuint ArrayBuffer = 0;
    bool ElementBufferKnown = false;
    GLuint ElementBuffer = 0;
    // The vertex arrays: where they point and how they are laid out.
    bool ArraysValid = false;
    const uint8_t* ArraysMemory = nullptr;
    size_t ArraysOffset = 0;
    GLuint ArraysBuffer = 0;
    uint32_t ArraysFvf = 0;
    uint32_t ArraysStride = 0;
    uint32_t ArraysUnits = 0;
    uint32_t ArraysSets[kMaxTextureStages] = {};
};

GLDevice::GLDevice(GfxDirect3D* owner, std::unique_ptr<GLContext> context, const GfxCaps& caps,
                   const PresentParameters& parameters, const DisplayMode& displayMode)
    : StateDevice(caps, parameters, displayMode), m_Owner(owner), m_Context(std::move(context)),
      m_Applied(std::make_unique<Applied>())
{
    m_Owner->AddRef();
    Activate();
    m_Context->SetBackBufferSize(parameters.BackBufferWidth, parameters.BackBufferHeight);
    GLint units = 1, lights = 8;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    glGetIntegerv(GL_MAX_LIGHTS, &lights);
    m_TextureUnits = std::min<uint32_t>(static_cast<uint32_t>(std::max(units, 1)), kMaxTextureStages);
    m_GLLights = static_cast<uint32_t>(std::max(lights, 0));
    // Stages without a texture sample this: opaque white.
    const uint32_t white = 0xFFFFFFFF;
    glGenTextures(1, &m_WhiteTexture);
    glBindTexture(GL_TEXTURE_2D, m_WhiteTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_BYTE, &white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glEnable(GL_SCISSOR_TEST);
    m_BaseVertex = HasBaseVertex();
}

GLDevice::~GLDevice()
{
    Activate();
    // The context goes with the device: GL names of resources still alive must not be used afterwards.
    for (DeviceChild* child : Children())
    {
        GfxObject* owner = child->Owner();
        if (auto* texture = dynamic_cast<GLTextureSource*>(owner))
            texture->GLObject().Orphan();
        else if (auto* vertices = dynamic_cast<GLVertexBuffer*>(owner))
            vertices->Orphan();
        else if (auto* indices = dynamic_cast<GLIndexBuffer*>(owner))
            indices->Orphan();
    }
    glDeleteTextures(1, &m_WhiteTexture);
    m_Context.reset();
    m_Owner->Release();
}

GfxCaps GLDevice::ReadCaps()
{
    GfxCaps caps;
    GLint maxTexture = 2048, max3D = 256, units = 4, lights = 8, maxCube = 2048;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
    glGetIntegerv(GL_MAX_3D_TEXTURE_SIZE, &max3D);
    glGetIntegerv(GL_MAX_CUBE_MAP_TEXTURE_SIZE, &maxCube);
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    glGetIntegerv(GL_MAX_LIGHTS, &lights);
    caps.DeviceType = DEVTYPE_HAL;
    caps.DevCaps = DEVCAPS_HWTRANSFORMANDLIGHT;
    // No temporary register: texture stages always write to current.
    caps.PrimitiveMiscCaps = PMISCCAPS_CULLNONE | PMISCCAPS_CULLCW | PMISCCAPS_CULLCCW | PMISCCAPS_BLENDOP;
    caps.TextureCaps = PTEXTURECAPS_ALPHA | PTEXTURECAPS_MIPMAP | PTEXTURECAPS_CUBEMAP |
                       PTEXTURECAPS_VOLUMEMAP | PTEXTURECAPS_MIPCUBEMAP | PTEXTURECAPS_MIPVOLUMEMAP |
                       PTEXTURECAPS_NONPOW2CONDITIONAL;
    caps.VertexProcessingCaps = VTXPCAPS_TEXGEN | VTXPCAPS_MATERIALSOURCE7 | VTXPCAPS_DIRECTIONALLIGHTS |
                                VTXPCAPS_POSITIONALLIGHTS | VTXPCAPS_LOCALVIEWER;
    caps.MaxTextureWidth = static_cast<uint32_t>(std::min(maxTexture, maxCube));
    caps.MaxTextureHeight = caps.MaxTextureWidth;
    caps.MaxVolumeExtent = static_cast<uint32_t>(max3D);
    caps.MaxSimultaneousTextures =
        std::min<uint32_t>(static_cast<uint32_t>(std::max(units, 1)), kMaxTextureStages);
    caps.MaxTextureBlendStages = caps.MaxSimultaneousTextures;
    caps.MaxActiveLights = static_cast<uint32_t>(lights);
    caps.MaxPrimitiveCount = 0xFFFFF;
    caps.MaxVertexIndex = 0xFFFFFF;
    caps.MaxStreams = 1;
    caps.MaxAnisotropy = 1;
    // Effects run as GLSL 1.20 programs, which do what shader model 2.0 does.
    caps.VertexShaderVersion = VS_VERSION(2, 0);
    caps.PixelShaderVersion = PS_VERSION(2, 0);
    return caps;
}

void GLDevice::Activate()
{
    m_Context->Activate();
}

bool GLDevice::IsWindowed() const
{
    return m_Context->IsWindowed();
}

void GLDevice::ForgetApplied()
{
    *m_Applied = Applied();
}

void GLDevice::BindBuffer(uint32_t target, uint32_t name)
{
    Applied& applied = *m_Applied;
    const bool elements = target == GL_ELEMENT_ARRAY_BUFFER;
    bool& known = elements ? applied.ElementBufferKnown : applied.ArrayBufferKnown;
    GLuint& bound = elements ? applied.ElementBuffer : applied.ArrayBuffer;
    if (known && bound == name)
        return;
    glBindBuffer(target, name);
    known = true;
    bound = name;
}

void GLDevice::ForgetBuffer(uint32_t name)
{
    Applied& applied = *m_Applied;
    if (applied.ArrayBuffer == name)
        applied.ArrayBufferKnown = false;
    if (applied.ElementBuffer == name)
        applied.ElementBufferKnown = false;
    if (applied.ArraysBuffer == name)
        applied.ArraysValid = false;
}

void GLDevice::OnChildDetached(GfxObject* object)
{
    // A new resource may come at the same address: nothing the copy says about this one may stand.
    Applied& applied = *m_Applied;
    for (uint32_t unit = 0; unit < kMaxTextureStages; ++unit)
        if (applied.Textures[unit] == object)
        {
            applied.StageValid[unit] = false;
            applied.Textures[unit] = nullptr;
        }
    if (auto* vertices = dynamic_cast<MemoryVertexBuffer*>(object))
        if (applied.ArraysValid &&
            ((vertices->DeviceName() && applied.ArraysBuffer == vertices->DeviceName()) ||
             (applied.ArraysMemory && applied.ArraysMemory == vertices->Data())))
            applied.ArraysValid = false;
}

void GLDevice::ForgetTextureBinding()
{
    for (uint32_t unit = 0; unit < kMaxTextureStages; ++unit)
        m_Applied->StageValid[unit] = false;
    glActiveTexture(GL_TEXTURE0);
}

bool GLDevice::SupportsTextureFormat(uint32_t format, uint32_t resourceType) const
{
    GLFormat gl;
    return StateDevice::SupportsTextureFormat(format, resourceType) && GLFormat::For(format, &gl);
}

// System-memory buffers are CPU copies that draws read directly: a GL buffer would only be uploaded.
MemoryVertexBuffer* GLDevice::NewVertexBuffer(const VertexBufferDesc& desc)
{
    if (desc.Pool == POOL_SYSTEMMEM)
        return new MemoryVertexBuffer(this, desc);
    return new GLVertexBuffer(this, desc);
}

MemoryIndexBuffer* GLDevice::NewIndexBuffer(const IndexBufferDesc& desc)
{
    if (desc.Pool == POOL_SYSTEMMEM)
        return new MemoryIndexBuffer(this, desc);
    return new GLIndexBuffer(this, desc);
}

MemoryTexture* GLDevice::NewTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                    uint32_t format, uint32_t pool)
{
    return new GLTexture(this, width, height, levels, usage, format, pool);
}

MemoryCubeTexture* GLDevice::NewCubeTexture(uint32_t edge, uint32_t levels, uint32_t usage, uint32_t format,
                                            uint32_t pool)
{
    return new GLCubeTexture(this, edge, levels, usage, format, pool);
}

MemoryVolumeTexture* GLDevice::NewVolumeTexture(uint32_t width, uint32_t height, uint32_t depth,
                                                uint32_t levels, uint32_t usage, uint32_t format,
                                                uint32_t pool)
{
    return new GLVolumeTexture(this, width, height, depth, levels, usage, format, pool);
}

GfxResult GLDevice::DoReset(const PresentParameters& parameters)
{
    Activate();
    ForgetApplied();
    if (!m_Context->SetBackBufferSize(parameters.BackBufferWidth, parameters.BackBufferHeight))
        return GFXERR_NOTAVAILABLE;
    return GFX_OK;
}

GfxResult GLDevice::DoClear(const std::vector<GfxRect>& rects, uint32_t flags, GfxColor color, float z,
                            uint32_t stencil)
{
    Activate();
    m_Context->BindDrawFramebuffer();
    GLbitfield mask = 0;
    if (flags & CLEAR_TARGET)
    {
        float c[4];
        ColorToFloats(color, c);
        glClearColor(c[0], c[1], c[2], c[3]);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & CLEAR_ZBUFFER)
    {
        glClearDepth(z);
        glDepthMask(GL_TRUE);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (flags & CLEAR_STENCIL)
    {
        glClearStencil(static_cast<GLint>(stencil));
        glStencilMask(0xFFFFFFFF);
        mask |= GL_STENCIL_BUFFER_BIT;
    }
    const GLint height = static_cast<GLint>(m_Context->Height());
    for (const GfxRect& r : rects)
    {
        glScissor(r.Left, height - r.Bottom, r.Right - r.Left, r.Bottom - r.Top);
        glClear(mask);
    }
    // The masks and scissor were changed behind the state copy; a frame starts with everything given anew.
    ForgetApplied();
    ++m_Frame;
    m_Applied->FramebufferBound = true;
    return GFX_OK;
}

void GLDevice::ApplyRenderStates(bool transformed)
{
    const uint32_t* rs = m_State.RenderStates;
    uint32_t* last = m_Applied->RenderStates;
    const bool all = !m_Applied->Valid || m_Applied->Transformed != transformed;
    if (!all && std::memcmp(last, rs, sizeof m_Applied->RenderStates) == 0)
        return;
    auto changed = [&](std::initializer_list<uint32_t> states)
    {
        if (all)
            return true;
        for (uint32_t s : states)
            if (rs[s] != last[s])
                return true;
        return false;
    };
    auto enable = [](GLenum cap, bool on) { on ? glEnable(cap) : glDisable(cap); };

    if (changed({RS_ZENABLE, RS_ZFUNC}))
    {
        enable(GL_DEPTH_TEST, rs[RS_ZENABLE] != ZB_FALSE);
        glDepthFunc(CompareFunction(rs[RS_ZFUNC]));
    }
    if (changed({RS_ZWRITEENABLE}))
        glDepthMask(rs[RS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);
    if (changed({RS_ALPHABLENDENABLE, RS_SRCBLEND, RS_DESTBLEND, RS_BLENDOP, RS_BLENDFACTOR}))
    {
        enable(GL_BLEND, rs[RS_ALPHABLENDENABLE] != 0);
        GLenum source = BlendFactor(rs[RS_SRCBLEND], true);
        GLenum destination = BlendFactor(rs[RS_DESTBLEND], false);
        if (rs[RS_SRCBLEND] == BLEND_BOTHSRCALPHA || rs[RS_SRCBLEND] == BLEND_BOTHINVSRCALPHA)
            destination = BlendFactor(rs[RS_SRCBLEND], false);
        glBlendFunc(source, destination);
        glBlendEquation(BlendEquation(rs[RS_BLENDOP]));
        float c[4];
        ColorToFloats(rs[RS_BLENDFACTOR], c);
        glBlendColor(c[0], c[1], c[2], c[3]);
    }
    if (changed({RS_ALPHATESTENABLE, RS_ALPHAFUNC, RS_ALPHAREF}))
    {
        enable(GL_ALPHA_TEST, rs[RS_ALPHATESTENABLE] != 0);
        glAlphaFunc(CompareFunction(rs[RS_ALPHAFUNC]), (rs[RS_ALPHAREF] & 0xFF) / 255.0f);
    }
    if (changed({RS_CULLMODE}))
    {
        // Counter-clockwise culling keeps clockwise triangles: those are GL's front faces.
        enable(GL_CULL_FACE, rs[RS_CULLMODE] == CULL_CCW || rs[RS_CULLMODE] == CULL_CW);
        glFrontFace(rs[RS_CULLMODE] == CULL_CW ? GL_CCW : GL_CW);
        glCullFace(GL_BACK);
    }
    if (changed({RS_FILLMODE}))
        glPolygonMode(GL_FRONT_AND_BACK, rs[RS_FILLMODE] == FILL_POINT       ? GL_POINT
                                         : rs[RS_FILLMODE] == FILL_WIREFRAME ? GL_LINE
                                                                             : GL_FILL);
    if (changed({RS_SHADEMODE}))
        glShadeModel(rs[RS_SHADEMODE] == SHADE_FLAT ? GL_FLAT : GL_SMOOTH);
    if (changed({RS_COLORWRITEENABLE}))
    {
        const uint32_t m = rs[RS_COLORWRITEENABLE];
        glColorMask((m & 1) != 0, (m & 2) != 0, (m & 4) != 0, (m & 8) != 0);
    }
    if (changed({RS_STENCILENABLE, RS_STENCILFUNC, RS_STENCILREF, RS_STENCILMASK, RS_STENCILWRITEMASK,
                 RS_STENCILFAIL, RS_STENCILZFAIL, RS_STENCILPASS}))
    {
        enable(GL_STENCIL_TEST, rs[RS_STENCILENABLE] != 0);
        glStencilFunc(CompareFunction(rs[RS_STENCILFUNC]), static_cast<GLint>(rs[RS_STENCILREF]),
                      rs[RS_STENCILMASK]);
        glStencilMask(rs[RS_STENCILWRITEMASK]);
        glStencilOp(StencilOperation(rs[RS_STENCILFAIL]), StencilOperation(rs[RS_STENCILZFAIL]),
                    StencilOperation(rs[RS_STENCILPASS]));
    }
    if (changed({RS_FOGENABLE, RS_FOGCOLOR, RS_FOGTABLEMODE, RS_FOGVERTEXMODE, RS_FOGSTART, RS_FOGEND,
                 RS_FOGDENSITY}))
    {
        enable(GL_FOG, rs[RS_FOGENABLE] != 0 && !transformed);
        float c[4];
        ColorToFloats(rs[RS_FOGCOLOR], c);
        glFogfv(GL_FOG_COLOR, c);
        const uint32_t mode = rs[RS_FOGTABLEMODE] != FOG_NONE ? rs[RS_FOGTABLEMODE] : rs[RS_FOGVERTEXMODE];
        glFogi(GL_FOG_MODE, mode == FOG_EXP ? GL_EXP : mode == FOG_EXP2 ? GL_EXP2 : GL_LINEAR);
        glFogf(GL_FOG_START, BitsToFloat(rs[RS_FOGSTART]));
        glFogf(GL_FOG_END, BitsToFloat(rs[RS_FOGEND]));
        glFogf(GL_FOG_DENSITY, BitsToFloat(rs[RS_FOGDENSITY]));
    }
    if (changed({RS_AMBIENT, RS_LOCALVIEWER, RS_NORMALIZENORMALS}))
    {
        float c[4];
        ColorToFloats(rs[RS_AMBIENT], c);
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, c);
        glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, rs[RS_LOCALVIEWER] ? 1 : 0);
        glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
        enable(GL_NORMALIZE, rs[RS_NORMALIZENORMALS] != 0);
    }
    std::memcpy(last, rs, sizeof m_Applied->RenderStates);
}

void GLDevice::ApplyTransforms(bool transformed)
{
    Applied& applied = *m_Applied;
    const Viewport& vp = m_State.CurrentViewport;
    const bool same = applied.TransformsValid && applied.TransformsPretransformed == transformed;
    const bool viewportSame = same && std::memcmp(&applied.TransformViewport, &vp, sizeof vp) == 0;
    const GLint height = static_cast<GLint>(m_Context->Height());
    if (!viewportSame)
    {
        glScissor(static_cast<GLint>(vp.X), height - static_cast<GLint>(vp.Y + vp.Height),
                  static_cast<GLsizei>(vp.Width), static_cast<GLsizei>(vp.Height));
        glDepthRange(vp.MinZ, vp.MaxZ);
    }
    if (transformed)
    {
        // Pre-transformed vertices are in back-buffer pixels; the viewport only clips them.
        if (!same)
        {
            glViewport(0, 0, static_cast<GLsizei>(m_Context->Width()), height);
            glMatrixMode(GL_PROJECTION);
            const Matrix projection = PixelProjection(m_Context->Width(), m_Context->Height());
            glLoadMatrixf(projection.Data());
            glMatrixMode(GL_MODELVIEW);
            glLoadIdentity();
        }
    }
    else
    {
        if (!viewportSame)
            glViewport(static_cast<GLint>(vp.X), height - static_cast<GLint>(vp.Y + vp.Height),
                       static_cast<GLsizei>(vp.Width), static_cast<GLsizei>(vp.Height));
        if (!viewportSame || !SameMatrix(applied.Projection, m_State.Projection))
        {
            // Depth 0..1 becomes GL's -1..1, and the image moves half a pixel to D3D9's pixel centres.
            const float dx = vp.Width ? 1.0f / static_cast<float>(vp.Width) : 0.0f;
            const float dy = vp.Height ? -1.0f / static_cast<float>(vp.Height) : 0.0f;
            const Matrix remap(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2, 0, dx, dy, -1, 1);
            const Matrix projection = m_State.Projection * remap;
            glMatrixMode(GL_PROJECTION);
            glLoadMatrixf(projection.Data());
            glMatrixMode(GL_MODELVIEW);
        }
        if (!same || !SameMatrix(applied.World, m_State.World) || !SameMatrix(applied.View, m_State.View))
        {
            const Matrix modelView = m_State.World * m_State.View;
            glLoadMatrixf(modelView.Data());
        }
        applied.World = m_State.World;
        applied.View = m_State.View;
        applied.Projection = m_State.Projection;
    }
    applied.TransformViewport = vp;
    applied.TransformsValid = true;
    applied.TransformsPretransformed = transformed;
}

void GLDevice::ApplyLights(bool transformed)
{
    Applied& applied = *m_Applied;
    const uint32_t* rs = m_State.RenderStates;
    const bool lighting = rs[RS_LIGHTING] != 0 && !transformed;
    if (!lighting)
    {
        if (!applied.LightingValid || applied.LightingOn)
            glDisable(GL_LIGHTING);
        applied.LightingOn = false;
        applied.LightingValid = true;
        return;
    }
    if (!applied.LightingValid || !applied.LightingOn)
        glEnable(GL_LIGHTING);

    std::vector<Light> lights;
    for (const auto& entry : m_State.Lights)
        if (entry.second.Enabled && lights.size() < m_GLLights)
            lights.push_back(entry.second.Value);
    const bool lightsChanged = !applied.LightingValid || lights.size() != applied.Lights.size() ||
                               !SameMatrix(applied.LightView, m_State.View) ||
                               (!lights.empty() && std::memcmp(lights.data(), applied.Lights.data(),
                                                               lights.size() * sizeof(Light)) != 0);
    if (lightsChanged)
    {
        // Light positions and directions are given in world space: set them under the view matrix alone.
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadMatrixf(m_State.View.Data());
        uint32_t index = 0;
        for (const Light& light : lights)
        {
            const GLenum id = GL_LIGHT0 + index++;
            glEnable(id);
            const float diffuse[4] = {light.Diffuse.r, light.Diffuse.g, light.Diffuse.b, light.Diffuse.a};
            const float specular[4] = {light.Specular.r, light.Specular.g, light.Specular.b,
                                       light.Specular.a};
            const float ambient[4] = {light.Ambient.r, light.Ambient.g, light.Ambient.b, light.Ambient.a};
            glLightfv(id, GL_DIFFUSE, diffuse);
            glLightfv(id, GL_SPECULAR, specular);
            glLightfv(id, GL_AMBIENT, ambient);
            if (light.Type == LIGHT_DIRECTIONAL)
            {
                // GL wants the direction towards the light.
                const float position[4] = {-light.Direction.x, -light.Direction.y, -light.Direction.z, 0.0f};
                glLightfv(id, GL_POSITION, position);
                glLightf(id, GL_SPOT_CUTOFF, 180.0f);
                glLightf(id, GL_CONSTANT_ATTENUATION, 1.0f);
                glLightf(id, GL_LINEAR_ATTENUATION, 0.0f);
                glLightf(id, GL_QUADRATIC_ATTENUATION, 0.0f);
                continue;
            }
            const float position[4] = {light.Position.x, light.Position.y, light.Position.z, 1.0f};
            glLightfv(id, GL_POSITION, position);
            glLightf(id, GL_CONSTANT_ATTENUATION, light.Attenuation0);
            glLightf(id, GL_LINEAR_ATTENUATION, light.Attenuation1);
            glLightf(id, GL_QUADRATIC_ATTENUATION, light.Attenuation2);
            if (light.Type == LIGHT_SPOT)
            {
                const float direction[3] = {light.Direction.x, light.Direction.y, light.Direction.z};
                glLightfv(id, GL_SPOT_DIRECTION, direction);
                const float cutoff = std::min(90.0f, light.Phi * 0.5f * 57.2957795f);
                glLightf(id, GL_SPOT_CUTOFF, std::max(0.0f, cutoff));
                glLightf(id, GL_SPOT_EXPONENT, std::min(128.0f, std::max(0.0f, light.Falloff)));
            }
            else
            {
                glLightf(id, GL_SPOT_CUTOFF, 180.0f);
            }
        }
        for (; index < m_GLLights; ++index)
            glDisable(GL_LIGHT0 + index);
        glPopMatrix();
        applied.Lights = lights;
        applied.LightView = m_State.View;
    }

    // Material, with the vertex colour standing in where the sources ask for it.
    const Material& m = m_State.CurrentMaterial;
    const bool hasDiffuse = (m_State.FVF & FVF_DIFFUSE) != 0 && rs[RS_COLORVERTEX] != 0;
    const uint32_t sources[4] = {hasDiffuse && rs[RS_DIFFUSEMATERIALSOURCE] == MCS_COLOR1,
                                 hasDiffuse && rs[RS_AMBIENTMATERIALSOURCE] == MCS_COLOR1,
                                 hasDiffuse && rs[RS_EMISSIVEMATERIALSOURCE] == MCS_COLOR1,
                                 rs[RS_SPECULARENABLE] != 0};
    if (applied.LightingValid && std::memcmp(&applied.LightMaterial, &m, sizeof m) == 0 &&
        std::memcmp(applied.MaterialSources, sources, sizeof sources) == 0 && applied.LightingOn)
    {
        applied.LightingValid = true;
        return;
    }
    const float diffuse[4] = {m.Diffuse.r, m.Diffuse.g, m.Diffuse.b, m.Diffuse.a};
    const float ambient[4] = {m.Ambient.r, m.Ambient.g, m.Ambient.b, m.Ambient.a};
    const float emissive[4] = {m.Emissive.r, m.Emissive.g, m.Emissive.b, m.Emissive.a};
    const bool specularOn = sources[3] != 0;
    const float specular[4] = {specularOn ? m.Specular.r : 0.0f, specularOn ? m.Specular.g : 0.0f,
                               specularOn ? m.Specular.b : 0.0f, specularOn ? m.Specular.a : 0.0f};
    glDisable(GL_COLOR_MATERIAL);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emissive);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::min(128.0f, std::max(0.0f, m.Power)));
    GLenum tracked = 0;
    if (sources[0] && sources[1])
        tracked = GL_AMBIENT_AND_DIFFUSE;
    else if (sources[0])
        tracked = GL_DIFFUSE;
    else if (sources[1])
        tracked = GL_AMBIENT;
    else if (sources[2])
        tracked = GL_EMISSION;
    if (tracked)
    {
        glColorMaterial(GL_FRONT_AND_BACK, tracked);
        glEnable(GL_COLOR_MATERIAL);
    }
    applied.LightMaterial = m;
    std::memcpy(applied.MaterialSources, sources, sizeof sources);
    applied.LightingOn = true;
    applied.LightingValid = true;
}

void GLDevice::UseProgram(uint32_t program)
{
    GLProgram::Use(program);
    m_Program = program;
}

void GLDevice::ApplyStages(uint32_t fvf)
{
    (void)fvf;
    Applied& applied = *m_Applied;
    // What a texture has not sent yet goes before any unit is bound: sending binds through the first unit.
    for (uint32_t unit = 0; unit < m_TextureUnits; ++unit)
    {
        GfxBaseTexture* texture = m_State.Textures[unit];
        if (texture != nullptr && !(applied.StageValid[unit] && applied.Textures[unit] == texture))
            if (auto* source = dynamic_cast<GLTextureSource*>(texture))
                source->GLObject();
    }
    uint32_t enabledUnits = 0;
    bool touched = false;
    for (uint32_t unit = 0; unit < m_TextureUnits; ++unit)
    {
        const uint32_t* ts = m_State.StageStates[unit];
        // A program samples what its units hold: a texture set for a disabled stage is bound all the same.
        if (ts[TSS_COLOROP] == TOP_DISABLE && !(m_Program != 0 && m_State.Textures[unit] != nullptr))
            break;
        enabledUnits = unit + 1;
        GfxBaseTexture* texture = m_State.Textures[unit];
        const uint32_t* ss = m_State.SamplerStates[unit];
        if (applied.StageValid[unit] && applied.Textures[unit] == texture &&
            std::memcmp(applied.Stages[unit], ts, sizeof applied.Stages[unit]) == 0 &&
            std::memcmp(applied.Samplers[unit], ss, sizeof applied.Samplers[unit]) == 0)
            continue;
        touched = true;
        glActiveTexture(GL_TEXTURE0 + unit);
        GLTextureSource* source = dynamic_cast<GLTextureSource*>(texture);
        const GLenum target = source ? source->GLObject().Target() : GL_TEXTURE_2D;
        for (GLenum other : {GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_CUBE_MAP), GLenum(GL_TEXTURE_3D)})
            if (other != target)
                glDisable(other);
        glEnable(target);
        if (!source)
        {
            glBindTexture(GL_TEXTURE_2D, m_WhiteTexture);
        }
        else
        {
            GLTextureObject& object = source->GLObject();
            glBindTexture(target, object.Name());
            const GLint wrapS = AddressMode(ss[SAMP_ADDRESSU]);
            const GLint wrapT = AddressMode(ss[SAMP_ADDRESSV]);
            const GLint wrapR = AddressMode(ss[SAMP_ADDRESSW]);
            const bool linearMag = ss[SAMP_MAGFILTER] >= TEXF_LINEAR;
            const bool linearMin = ss[SAMP_MINFILTER] >= TEXF_LINEAR;
            const uint32_t mip = texture->GetLevelCount() > 1 ? ss[SAMP_MIPFILTER] : TEXF_NONE;
            GLint minFilter = linearMin ? GL_LINEAR : GL_NEAREST;
            if (mip == TEXF_POINT)
                minFilter = linearMin ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
            else if (mip >= TEXF_LINEAR)
                minFilter = linearMin ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
            const GLint magFilter = linearMag ? GL_LINEAR : GL_NEAREST;
            const GLint baseLevel = static_cast<GLint>(std::min(
                texture->GetLevelCount() - 1, std::max(source->SamplingLod(), ss[SAMP_MAXMIPLEVEL])));
            if (object.WrapS != wrapS)
                glTexParameteri(target, GL_TEXTURE_WRAP_S, object.WrapS = wrapS);
            if (object.WrapT != wrapT)
                glTexParameteri(target, GL_TEXTURE_WRAP_T, object.WrapT = wrapT);
            if (target == GL_TEXTURE_3D && object.WrapR != wrapR)
                glTexParameteri(target, GL_TEXTURE_WRAP_R, object.WrapR = wrapR);
            if (object.MinFilter != minFilter)
                glTexParameteri(target, GL_TEXTURE_MIN_FILTER, object.MinFilter = minFilter);
            if (object.MagFilter != magFilter)
                glTexParameteri(target, GL_TEXTURE_MAG_FILTER, object.MagFilter = magFilter);
            if (object.BaseLevel != baseLevel)
                glTexParameteri(target, GL_TEXTURE_BASE_LEVEL, object.BaseLevel = baseLevel);
            if (object.BorderColor != ss[SAMP_BORDERCOLOR])
            {
                float c[4];
                ColorToFloats(object.BorderColor = ss[SAMP_BORDERCOLOR], c);
                glTexParameterfv(target, GL_TEXTURE_BORDER_COLOR, c);
            }
        }

        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
        float factor[4];
        ColorToFloats(m_State.RenderStates[RS_TEXTUREFACTOR], factor);
        glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, factor);
        SetCombiner(false, ts[TSS_COLOROP], ts[TSS_COLORARG0], ts[TSS_COLORARG1], ts[TSS_COLORARG2]);
        // A disabled alpha operation passes the alpha through.
        if (ts[TSS_ALPHAOP] == TOP_DISABLE)
            SetCombiner(true, TOP_SELECTARG1, TA_CURRENT, TA_CURRENT, TA_CURRENT);
        else
            SetCombiner(true, ts[TSS_ALPHAOP], ts[TSS_ALPHAARG0], ts[TSS_ALPHAARG1], ts[TSS_ALPHAARG2]);

        // Generated coordinates.
        const uint32_t generation = ts[TSS_TEXCOORDINDEX] & 0xFFFF0000;
        const GLenum coords[3] = {GL_S, GL_T, GL_R};
        const GLenum genCaps[3] = {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R};
        GLint mode = 0;
        if (generation == TSS_TCI_SPHEREMAP)
            mode = GL_SPHERE_MAP;
        else if (generation == TSS_TCI_CAMERASPACENORMAL)
            mode = GL_NORMAL_MAP;
        else if (generation == TSS_TCI_CAMERASPACEREFLECTIONVECTOR)
            mode = GL_REFLECTION_MAP;
        for (int c = 0; c < 3; ++c)
        {
            const bool on = mode != 0 && !(mode == GL_SPHERE_MAP && c == 2);
            if (on)
                glTexGeni(coords[c], GL_TEXTURE_GEN_MODE, mode);
            on ? glEnable(genCaps[c]) : glDisable(genCaps[c]);
        }
        // Texture transforms take D3D's (u, v, 1) input, whose third row is GL's translation row.
        glMatrixMode(GL_TEXTURE);
        if (ts[TSS_TEXTURETRANSFORMFLAGS] == TTFF_DISABLE)
        {
            glLoadIdentity();
        }
        else
        {
            Matrix t = m_State.TextureTransforms[unit];
            if ((ts[TSS_TEXTURETRANSFORMFLAGS] & 0xFF) <= TTFF_COUNT2)
                for (int c = 0; c < 4; ++c)
                    std::swap(t.m[2][c], t.m[3][c]);
            glLoadMatrixf(t.Data());
        }
        glMatrixMode(GL_MODELVIEW);

        applied.StageValid[unit] = true;
        applied.Textures[unit] = texture;
        applied.Targets[unit] = target;
        std::memcpy(applied.Stages[unit], ts, sizeof applied.Stages[unit]);
        std::memcpy(applied.Samplers[unit], ss, sizeof applied.Samplers[unit]);
    }
    // Stages after the first disabled one are off, whatever they say.
    const uint32_t previously = applied.Valid ? std::max(applied.EnabledUnits, 1u) : m_TextureUnits;
    for (uint32_t unit = enabledUnits; unit < std::max(previously, enabledUnits); ++unit)
    {
        touched = true;
        glActiveTexture(GL_TEXTURE0 + unit);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_TEXTURE_CUBE_MAP);
        glDisable(GL_TEXTURE_3D);
        for (GLenum gen : {GLenum(GL_TEXTURE_GEN_S), GLenum(GL_TEXTURE_GEN_T), GLenum(GL_TEXTURE_GEN_R)})
            glDisable(gen);
        applied.StageValid[unit] = false;
    }
    applied.EnabledUnits = enabledUnits;
    if (touched)
        glActiveTexture(GL_TEXTURE0);
}

void GLDevice::BindVertices(uint32_t fvf, uint32_t stride, GLuint buffer, const uint8_t* memory,
                            size_t offset, uint32_t units)
{
    Applied& applied = *m_Applied;
    uint32_t sets[kMaxTextureStages] = {};
    for (uint32_t unit = 0; unit < m_TextureUnits; ++unit)
        sets[unit] = m_State.StageStates[unit][TSS_TEXCOORDINDEX] & 0xFFFF;
    if (applied.ArraysValid && applied.ArraysMemory == memory && applied.ArraysOffset == offset &&
        applied.ArraysBuffer == buffer && applied.ArraysFvf == fvf && applied.ArraysStride == stride &&
        applied.ArraysUnits == units && std::memcmp(applied.ArraysSets, sets, sizeof sets) == 0)
        return;
    // Which arrays were on, so that only changes reach GL; all of them when the copy knows nothing.
    const bool known = applied.ArraysValid;
    const uint32_t lastFvf = applied.ArraysFvf;
    auto clientState = [known](GLenum array, bool on, bool wasOn)
    {
        if (known && on == wasOn)
            return;
        on ? glEnableClientState(array) : glDisableClientState(array);
    };

    BindBuffer(GL_ARRAY_BUFFER, buffer);
    size_t at = offset;
    const bool transformed = (fvf & FVF_POSITION_MASK) == FVF_XYZRHW;
    clientState(GL_VERTEX_ARRAY, true, true);
    glVertexPointer(3, GL_FLOAT, static_cast<GLsizei>(stride), GLPointer(memory, at));
    at += transformed ? 16 : 12;
    clientState(GL_NORMAL_ARRAY, (fvf & FVF_NORMAL) != 0, (lastFvf & FVF_NORMAL) != 0);
    if (fvf & FVF_NORMAL)
    {
        glNormalPointer(GL_FLOAT, static_cast<GLsizei>(stride), GLPointer(memory, at));
        at += 12;
    }
    else if (!known || (lastFvf & FVF_NORMAL))
    {
        glNormal3f(0.0f, 0.0f, 0.0f);
    }
    if (fvf & FVF_PSIZE)
        at += 4;
    clientState(GL_COLOR_ARRAY, (fvf & FVF_DIFFUSE) != 0, (lastFvf & FVF_DIFFUSE) != 0);
    if (fvf & FVF_DIFFUSE)
    {
        // D3D colours are B, G, R, A bytes.
        glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, static_cast<GLsizei>(stride), GLPointer(memory, at));
        at += 4;
    }
    else if (!known || (lastFvf & FVF_DIFFUSE))
    {
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    }
    if (fvf & FVF_SPECULAR)
        at += 4;
    const uint32_t setCount = (fvf & FVF_TEXCOUNT_MASK) >> FVF_TEXCOUNT_SHIFT;
    const uint32_t lastSetCount = (lastFvf & FVF_TEXCOUNT_MASK) >> FVF_TEXCOUNT_SHIFT;
    size_t setOffsets[8] = {};
    for (uint32_t set = 0; set < setCount && set < 8; ++set)
    {
        setOffsets[set] = at;
        at += GfxFormatInfo::TexCoordFloats(fvf, set) * 4;
    }
    bool clientUnitMoved = false;
    for (uint32_t unit = 0; unit < m_TextureUnits; ++unit)
    {
        const uint32_t set = sets[unit];
        const bool on = unit < units && set < setCount;
        const bool wasOn = unit < applied.ArraysUnits && applied.ArraysSets[unit] < lastSetCount;
        if (!on && known && !wasOn)
            continue;
        glClientActiveTexture(GL_TEXTURE0 + unit);
        clientUnitMoved = true;
        clientState(GL_TEXTURE_COORD_ARRAY, on, wasOn);
        if (on)
            glTexCoordPointer(static_cast<GLint>(GfxFormatInfo::TexCoordFloats(fvf, set)), GL_FLOAT,
                              static_cast<GLsizei>(stride), GLPointer(memory, setOffsets[set]));
    }
    if (clientUnitMoved)
        glClientActiveTexture(GL_TEXTURE0);

    applied.ArraysValid = true;
    applied.ArraysMemory = memory;
    applied.ArraysOffset = offset;
    applied.ArraysBuffer = buffer;
    applied.ArraysFvf = fvf;
    applied.ArraysStride = stride;
    applied.ArraysUnits = units;
    std::memcpy(applied.ArraysSets, sets, sizeof sets);
}

GfxResult GLDevice::DoDraw(const DrawCall& call)
{
    const uint32_t fvf = m_State.FVF;
    // Vertex declarations only come with effects, which draw through their own path.
    if (fvf == 0)
        return GFX_OK;
    const StreamBinding& stream = m_State.Streams[0];
    MemoryVertexBuffer* vertices = stream.Memory;
    MemoryIndexBuffer* indices = call.Indexed ? m_State.IndexMemory : nullptr;
    if (!vertices || (call.Indexed && !indices))
        return GFXERR_INVALIDCALL;
    Activate();
    Applied& applied = *m_Applied;
    if (!applied.FramebufferBound)
    {
        m_Context->BindDrawFramebuffer();
        applied.FramebufferBound = true;
    }
    const bool transformed = (fvf & FVF_POSITION_MASK) == FVF_XYZRHW;
    ApplyRenderStates(transformed);
    ApplyTransforms(transformed);
    ApplyLights(transformed);
    ApplyStages(fvf);
    applied.Valid = true;
    applied.Transformed = transformed;

    // Arrays point into the GL buffer (offsets from 0) or, for a buffer without one, into its CPU copy.
    const GLuint vertexName = vertices->DrawName(m_Frame);
    size_t offset = stream.Offset;
    // Without base vertices, a draw from another base moves the arrays.
    const bool baseVertex = call.Indexed && call.BaseVertex != 0 && m_BaseVertex;
    if (call.Indexed && !baseVertex)
        offset += static_cast<size_t>(call.BaseVertex) * stream.Stride;
    BindVertices(fvf, stream.Stride, vertexName, vertexName ? nullptr : vertices->Data(), offset,
                 applied.EnabledUnits);
    const GLenum mode = PrimitiveMode(call.Type);
    if (!call.Indexed)
    {
        glDrawArrays(mode, static_cast<GLint>(call.Start), static_cast<GLsizei>(call.ElementCount));
        return GFX_OK;
    }
    const bool wide = indices->Desc().Format == FMT_INDEX32;
    const GLuint indexName = indices->DrawName(m_Frame);
    BindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexName);
    const void* first =
        GLPointer(indexName ? nullptr : indices->Data(), static_cast<size_t>(call.Start) * (wide ? 4 : 2));
    const GLenum type = wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
    if (baseVertex)
        glDrawElementsBaseVertex(mode, static_cast<GLsizei>(call.ElementCount), type, first, call.BaseVertex);
    else
        glDrawElements(mode, static_cast<GLsizei>(call.ElementCount), type, first);
    return GFX_OK;
}

GfxResult GLDevice::DoPresent()
{
    Activate();
    m_Context->KeepFrame();
    m_Context->Swap(m_Context->Width(), m_Context->Height());
    ForgetApplied();
    ++m_Frame;
    return GFX_OK;
}

GfxResult GLDevice::DoCaptureFrame(FrameCapture* frame)
{
    Activate();
    frame->Width = m_Context->Width();
    frame->Height = m_Context->Height();
    frame->Rows.resize(static_cast<size_t>(frame->Width) * frame->Height * 3);
    m_Context->ReadPresented(frame->Rows.data());
    m_Applied->FramebufferBound = false;
    return GFX_OK;
}

} // namespace platform
