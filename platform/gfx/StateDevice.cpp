#include "platform/gfx/StateDevice.h"

#include "platform/gfx/DeviceChild.h"
#include "platform/gfx/GfxFormatInfo.h"
#include "platform/gfx/MemoryCubeTexture.h"
#include "platform/gfx/MemoryIndexBuffer.h"
#include "platform/gfx/MemoryStateBlock.h"
#include "platform/gfx/MemorySurface.h"
#include "platform/gfx/MemoryTexture.h"
#include "platform/gfx/MemoryVertexBuffer.h"
#include "platform/gfx/MemoryVertexDeclaration.h"
#include "platform/gfx/MemoryVolumeTexture.h"
#include "platform/system/DebugOutput.h"

#include <algorithm>
#include <cstdio>

namespace platform
{
namespace
{

// No single buffer or texture level may ask for more; a damaged file cannot exhaust memory.
constexpr uint64_t kMaxResourceBytes = 256ull << 20;
constexpr uint32_t kMaxBackBufferSide = 16384;

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

std::string Num(uint64_t value)
{
    return std::to_string(value);
}

std::string MatrixText(const Matrix* m)
{
    if (!m)
        return "null";
    std::string text;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
        {
            char value[32];
            std::snprintf(value, sizeof value, "%s%g", text.empty() ? "" : " ", m->m[r][c]);
            text += value;
        }
    return text;
}

// Every getter refuses a null place to write to.
template <class Value> GfxResult CopyOut(Value* out, const Value& value)
{
    if (!out)
        return GFXERR_INVALIDCALL;
    *out = value;
    return GFX_OK;
}

// Texture-stage and sampler states: a table of states for each stage or sampler.
template <size_t Units, size_t States>
GfxResult ReadUnitState(const uint32_t (&values)[Units][States], uint32_t unit, uint32_t type,
                        uint32_t* value)
{
    if (unit >= Units || type >= States)
        return GFXERR_INVALIDCALL;
    return CopyOut(value, values[unit][type]);
}

// Only a light that has been set or enabled can be read.
template <class Field>
GfxResult CopyOutLight(const DeviceState& state, uint32_t index, Field LightSlot::*field, Field* out)
{
    auto it = state.Lights.find(index);
    if (it == state.Lights.end())
        return GFXERR_INVALIDCALL;
    return CopyOut(out, it->second.*field);
}

} // namespace

StateDevice::StateDevice(const GfxCaps& caps, const PresentParameters& parameters,
                         const DisplayMode& displayMode)
    : m_Caps(caps), m_Parameters(parameters), m_DisplayMode(displayMode)
{
    m_State.SetDefaults(m_Parameters.EnableAutoDepthStencil, m_Parameters.BackBufferWidth,
                        m_Parameters.BackBufferHeight);
    MakeBackBuffer();
}

StateDevice::~StateDevice()
{
    for (DeviceChild* child : m_Children)
        child->Orphan();
    m_Children.clear();
    m_StateBlocks.clear();
    if (m_BackBuffer)
        m_BackBuffer->Release();
}

void StateDevice::MakeBackBuffer()
{
    if (m_BackBuffer)
        m_BackBuffer->Release();
    // The CPU copy is always 32-bit; it stands for whatever the back end shows.
    m_BackBuffer =
        new MemorySurface(FMT_A8R8G8B8, std::max(1u, m_Parameters.BackBufferWidth),
                          std::max(1u, m_Parameters.BackBufferHeight), USAGE_RENDERTARGET, POOL_DEFAULT);
}

void StateDevice::AttachChild(DeviceChild* child)
{
    child->SetPlace(m_Children.size());
    m_Children.push_back(child);
}

void StateDevice::DetachChild(DeviceChild* child)
{
    // Thousands of resources come and go together (a terrain's quads): no search over the others.
    const size_t place = child->Place();
    if (place < m_Children.size() && m_Children[place] == child)
    {
        m_Children[place] = m_Children.back();
        m_Children[place]->SetPlace(place);
        m_Children.pop_back();
    }
    GfxObject* object = child->Owner();
    for (MemoryStateBlock* block : m_StateBlocks)
        block->Forget(object);
    if (m_RecordingBlock == object)
        m_RecordingBlock = nullptr;
    m_State.Unbind(object);
    OnChildDetached(object);
}

void StateDevice::AttachStateBlock(MemoryStateBlock* block)
{
    m_StateBlocks.push_back(block);
}

void StateDevice::DetachStateBlock(MemoryStateBlock* block)
{
    m_StateBlocks.erase(std::remove(m_StateBlocks.begin(), m_StateBlocks.end(), block), m_StateBlocks.end());
}

size_t StateDevice::LiveResourceCount(uint32_t pool) const
{
    size_t count = 0;
    for (const DeviceChild* child : m_Children)
        if (child->Pool() == pool && dynamic_cast<GfxResource*>(child->Owner()))
            ++count;
    return count;
}

GfxResult StateDevice::OnCall(const char* method, const std::string& args)
{
    (void)method, (void)args;
    return GFX_OK;
}

DeviceState& StateDevice::Target()
{
    return m_RecordingBlock ? m_RecordingBlock->Values() : m_State;
}

StateMask* StateDevice::Recording()
{
    return m_RecordingBlock ? &m_RecordingBlock->Mask() : nullptr;
}

bool StateDevice::SupportsTextureFormat(uint32_t format, uint32_t resourceType) const
{
    (void)resourceType;
    return GfxFormatInfo::BitsPerPixel(format) != 0 && !GfxFormatInfo::IsDepthFormat(format);
}

MemoryVertexBuffer* StateDevice::NewVertexBuffer(const VertexBufferDesc& desc)
{
    return new MemoryVertexBuffer(this, desc);
}

MemoryIndexBuffer* StateDevice::NewIndexBuffer(const IndexBufferDesc& desc)
{
    return new MemoryIndexBuffer(this, desc);
}

MemoryTexture* StateDevice::NewTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                       uint32_t format, uint32_t pool)
{
    return MemoryTexture::Make(this, width, height, levels, usage, format, pool);
}

MemoryCubeTexture* StateDevice::NewCubeTexture(uint32_t edge, uint32_t levels, uint32_t usage,
                                               uint32_t format, uint32_t pool)
{
    return new MemoryCubeTexture(this, edge, levels, usage, format, pool);
}

MemoryVolumeTexture* StateDevice::NewVolumeTexture(uint32_t width, uint32_t height, uint32_t depth,
                                                   uint32_t levels, uint32_t usage, uint32_t format,
                                                   uint32_t pool)
{
    return new MemoryVolumeTexture(this, width, height, depth, levels, usage, format, pool);
}

GfxResult StateDevice::TestCooperativeLevel()
{
    const GfxResult scripted = Enter("TestCooperativeLevel", [] { return std::string(); });
    if (GfxFailed(scripted))
        return scripted;
    return CooperativeLevel();
}

GfxResult StateDevice::Reset(PresentParameters* parameters)
{
    const GfxResult scripted =
        Enter("Reset",
              [&]
              {
                  return parameters
                             ? Num(parameters->BackBufferWidth) + " " + Num(parameters->BackBufferHeight) +
                                   " " + Num(parameters->BackBufferFormat) + " " + Num(parameters->Windowed)
                             : std::string("null");
              });
    if (GfxFailed(scripted))
        return scripted;
    if (!parameters)
        return GFXERR_INVALIDCALL;
    if (CooperativeLevel() == GFXERR_DEVICELOST)
        return GFXERR_DEVICELOST;
    const size_t alive = LiveResourceCount(POOL_DEFAULT);
    if (alive > 0)
    {
        DebugPrintf("[StateDevice::Reset] : %zu default-pool resources are still alive", alive);
        return GFXERR_INVALIDCALL;
    }
    PresentParameters next = *parameters;
    if (next.BackBufferWidth == 0)
        next.BackBufferWidth = m_Parameters.BackBufferWidth;
    if (next.BackBufferHeight == 0)
        next.BackBufferHeight = m_Parameters.BackBufferHeight;
    if (next.BackBufferFormat == FMT_UNKNOWN)
        next.BackBufferFormat = m_DisplayMode.Format;
    if (next.BackBufferWidth > kMaxBackBufferSide || next.BackBufferHeight > kMaxBackBufferSide)
        return GFXERR_INVALIDCALL;
    const GfxResult result = DoReset(next);
    if (GfxFailed(result))
        return result;
    m_Parameters = next;
    *parameters = next;
    if (m_RecordingBlock)
    {
        m_RecordingBlock->Release();
        m_RecordingBlock = nullptr;
    }
    m_InScene = false;
    m_State.SetDefaults(m_Parameters.EnableAutoDepthStencil, m_Parameters.BackBufferWidth,
                        m_Parameters.BackBufferHeight);
    MakeBackBuffer();
    return GFX_OK;
}

GfxResult StateDevice::Present()
{
    const GfxResult scripted = Enter("Present", [] { return std::string(); });
    if (GfxFailed(scripted))
        return scripted;
    if (m_InScene)
        return GFXERR_INVALIDCALL;
    const GfxResult level = CooperativeLevel();
    if (GfxFailed(level))
        return GFXERR_DEVICELOST;
    return DoPresent();
}

GfxResult StateDevice::CaptureFrame(FrameCapture* frame)
{
    const GfxResult scripted = Enter("CaptureFrame", [] { return std::string(); });
    if (GfxFailed(scripted))
        return scripted;
    if (!frame)
        return GFXERR_INVALIDCALL;
    return DoCaptureFrame(frame);
}

GfxResult StateDevice::GetDeviceCaps(GfxCaps* caps) const
{
    return CopyOut(caps, m_Caps);
}

GfxResult StateDevice::GetDisplayMode(uint32_t swapChain, DisplayMode* mode) const
{
    if (swapChain != 0)
        return GFXERR_INVALIDCALL;
    return CopyOut(mode, m_DisplayMode);
}

GfxResult StateDevice::GetBackBuffer(uint32_t swapChain, uint32_t index, uint32_t type, GfxSurface** surface)
{
    const GfxResult scripted = Enter("GetBackBuffer", [] { return std::string(); });
    if (GfxFailed(scripted))
        return scripted;
    if (!surface || swapChain != 0 || index != 0 || type != BACKBUFFER_TYPE_MONO)
        return GFXERR_INVALIDCALL;
    m_BackBuffer->AddRef();
    *surface = m_BackBuffer;
    return GFX_OK;
}

GfxResult StateDevice::SetSoftwareVertexProcessing(bool software)
{
    return Enter("SetSoftwareVertexProcessing", [&] { return Num(software); });
}

GfxResult StateDevice::CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, uint32_t pool,
                                          GfxVertexBuffer** buffer)
{
    const GfxResult scripted =
        Enter("CreateVertexBuffer",
              [&] { return Num(length) + " " + Hex(usage) + " " + Hex(fvf) + " " + Num(pool); });
    if (GfxFailed(scripted))
        return scripted;
    if (!buffer || length == 0 || pool > POOL_SYSTEMMEM)
        return GFXERR_INVALIDCALL;
    if (fvf != 0)
    {
        const uint32_t stride = GfxFormatInfo::FvfStride(fvf);
        if (stride == 0 || length < stride)
            return GFXERR_INVALIDCALL;
    }
    if (length > kMaxResourceBytes)
        return GFXERR_OUTOFVIDEOMEMORY;
    VertexBufferDesc desc;
    desc.Usage = usage;
    desc.Pool = pool;
    desc.Size = length;
    desc.FVF = fvf;
    *buffer = NewVertexBuffer(desc);
    return GFX_OK;
}

GfxResult StateDevice::CreateIndexBuffer(uint32_t length, uint32_t usage, uint32_t format, uint32_t pool,
                                         GfxIndexBuffer** buffer)
{
    const GfxResult scripted =
        Enter("CreateIndexBuffer",
              [&] { return Num(length) + " " + Hex(usage) + " " + Num(format) + " " + Num(pool); });
    if (GfxFailed(scripted))
        return scripted;
    if (!buffer || length == 0 || pool > POOL_SYSTEMMEM || (format != FMT_INDEX16 && format != FMT_INDEX32))
        return GFXERR_INVALIDCALL;
    if (length > kMaxResourceBytes)
        return GFXERR_OUTOFVIDEOMEMORY;
    IndexBufferDesc desc;
    desc.Format = format;
    desc.Usage = usage;
    desc.Pool = pool;
    desc.Size = length;
    *buffer = NewIndexBuffer(desc);
    return GFX_OK;
}

uint32_t StateDevice::TextureLevels(uint32_t levels, uint32_t usage, uint32_t width, uint32_t height,
                                    uint32_t depth) const
{
    const uint32_t full = GfxFormatInfo::FullChainLevels(width, height, depth);
    if (usage & USAGE_AUTOGENMIPMAP)
        return levels <= 1 ? 1 : 0;
    if (levels == 0)
        return full;
    return levels <= full ? levels : 0;
}

namespace
{

bool TooLarge(uint32_t format, uint32_t width, uint32_t height, uint32_t depth, uint32_t faces)
{
    const uint64_t bytes = static_cast<uint64_t>(GfxFormatInfo::RowPitch(format, width)) *
                           GfxFormatInfo::StorageRows(format, height) * depth * faces;
    // A full chain adds at most a third (a seventh for volumes).
    return bytes + bytes / 3 > kMaxResourceBytes;
}

} // namespace

GfxResult StateDevice::CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                     uint32_t format, uint32_t pool, GfxTexture** texture)
{
    const GfxResult scripted = Enter("CreateTexture",
                                     [&]
                                     {
                                         return Num(width) + " " + Num(height) + " " + Num(levels) + " " +
                                                Hex(usage) + " " + Num(format) + " " + Num(pool);
                                     });
    if (GfxFailed(scripted))
        return scripted;
    if (!texture || width == 0 || height == 0 || pool > POOL_SCRATCH ||
        !SupportsTextureFormat(format, RTYPE_TEXTURE) || width > m_Caps.MaxTextureWidth ||
        height > m_Caps.MaxTextureHeight)
        return GFXERR_INVALIDCALL;
    const uint32_t count = TextureLevels(levels, usage, width, height, 1);
    if (count == 0)
        return GFXERR_INVALIDCALL;
    if (TooLarge(format, width, height, 1, 1))
        return GFXERR_OUTOFVIDEOMEMORY;
    *texture = NewTexture(width, height, count, usage, format, pool);
    return GFX_OK;
}

GfxResult StateDevice::CreateCubeTexture(uint32_t edgeLength, uint32_t levels, uint32_t usage,
                                         uint32_t format, uint32_t pool, GfxCubeTexture** texture)
{
    const GfxResult scripted = Enter("CreateCubeTexture",
                                     [&] {
                                         return Num(edgeLength) + " " + Num(levels) + " " + Hex(usage) + " " +
                                                Num(format) + " " + Num(pool);
                                     });
    if (GfxFailed(scripted))
        return scripted;
    if (!texture || edgeLength == 0 || pool > POOL_SCRATCH || !(m_Caps.TextureCaps & PTEXTURECAPS_CUBEMAP) ||
        !SupportsTextureFormat(format, RTYPE_CUBETEXTURE) || edgeLength > m_Caps.MaxTextureWidth)
        return GFXERR_INVALIDCALL;
    const uint32_t count = TextureLevels(levels, usage, edgeLength, edgeLength, 1);
    if (count == 0)
        return GFXERR_INVALIDCALL;
    if (TooLarge(format, edgeLength, edgeLength, 1, 6))
        return GFXERR_OUTOFVIDEOMEMORY;
    *texture = NewCubeTexture(edgeLength, count, usage, format, pool);
    return GFX_OK;
}

GfxResult StateDevice::CreateVolumeTexture(uint32_t width, uint32_t height, uint32_t depth, uint32_t levels,
                                           uint32_t usage, uint32_t format, uint32_t pool,
                                           GfxVolumeTexture** texture)
{
    const GfxResult scripted = Enter("CreateVolumeTexture",
                                     [&]
                                     {
                                         return Num(width) + " " + Num(height) + " " + Num(depth) + " " +
                                                Num(levels) + " " + Hex(usage) + " " + Num(format) + " " +
                                                Num(pool);
                                     });
    if (GfxFailed(scripted))
        return scripted;
    if (!texture || width == 0 || height == 0 || depth == 0 || pool > POOL_SCRATCH ||
        !(m_Caps.TextureCaps & PTEXTURECAPS_VOLUMEMAP) ||
        !SupportsTextureFormat(format, RTYPE_VOLUMETEXTURE) || width > m_Caps.MaxVolumeExtent ||
        height > m_Caps.MaxVolumeExtent || depth > m_Caps.MaxVolumeExtent)
        return GFXERR_INVALIDCALL;
    const uint32_t count = TextureLevels(levels, usage, width, height, depth);
    if (count == 0)
        return GFXERR_INVALIDCALL;
    if (TooLarge(format, width, height, depth, 1))
        return GFXERR_OUTOFVIDEOMEMORY;
    *texture = NewVolumeTexture(width, height, depth, count, usage, format, pool);
    return GFX_OK;
}

GfxResult StateDevice::CreateVertexDeclaration(const VertexElement* elements,
                                               GfxVertexDeclaration** declaration)
{
    const GfxResult scripted = Enter("CreateVertexDeclaration", [] { return std::string(); });
    if (GfxFailed(scripted))
        return scripted;
    if (!elements || !declaration)
        return GFXERR_INVALIDCALL;
    std::vector<VertexElement> list;
    // Bounded: a list without its end marker is refused rather than read past.
    for (size_t i = 0; i < 64; ++i)
    {
        if (elements[i].Stream == 0xFF)
        {
            *declaration = new MemoryVertexDeclaration(this, std::move(list));
            return GFX_OK;
        }
        list.push_back(elements[i]);
    }
    return GFXERR_INVALIDCALL;
}

GfxResult StateDevice::CreateStateBlock(uint32_t type, GfxStateBlock** block)
{
    const GfxResult scripted = Enter("CreateStateBlock", [&] { return Num(type); });
    if (GfxFailed(scripted))
        return scripted;
    if (!block || type < SBT_ALL || type > SBT_VERTEXSTATE || m_RecordingBlock)
        return GFXERR_INVALIDCALL;
    *block = new MemoryStateBlock(this, StateMask::ForType(type, m_State), m_State);
    return GFX_OK;
}

GfxResult StateDevice::BeginStateBlock()
{
    const GfxResult scripted = Enter("BeginStateBlock", [] { return std::string(); });
    if (GfxFailed(scripted))
        return scripted;
    if (m_RecordingBlock)
        return GFXERR_INVALIDCALL;
    m_RecordingBlock = new MemoryStateBlock(this, StateMask(), m_State);
    return GFX_OK;
}

GfxResult StateDevice::EndStateBlock(GfxStateBlock** block)
{
    const GfxResult scripted = Enter("EndStateBlock", [] { return std::string(); });
    if (GfxFailed(scripted))
        return scripted;
    if (!block || !m_RecordingBlock)
        return GFXERR_INVALIDCALL;
    *block = m_RecordingBlock;
    m_RecordingBlock = nullptr;
    return GFX_OK;
}

GfxResult StateDevice::BeginScene()
{
    const GfxResult scripted = Enter("BeginScene", [] { return std::string(); });
    if (GfxFailed(scripted))
        return scripted;
    if (m_InScene)
        return GFXERR_INVALIDCALL;
    m_InScene = true;
    return GFX_OK;
}

GfxResult StateDevice::EndScene()
{
    const GfxResult scripted = Enter("EndScene", [] { return std::string(); });
    if (GfxFailed(scripted))
        return scripted;
    if (!m_InScene)
        return GFXERR_INVALIDCALL;
    m_InScene = false;
    return GFX_OK;
}

GfxResult StateDevice::Clear(uint32_t rectCount, const GfxRect* rects, uint32_t flags, GfxColor color,
                             float z, uint32_t stencil)
{
    const GfxResult scripted = Enter("Clear",
                                     [&]
                                     {
                                         return Num(rectCount) + " " + Hex(flags) + " " + Hex(color) + " " +
                                                std::to_string(z) + " " + Num(stencil);
                                     });
    if (GfxFailed(scripted))
        return scripted;
    if ((rectCount > 0 && !rects) || (flags & ~(CLEAR_TARGET | CLEAR_ZBUFFER | CLEAR_STENCIL)) != 0 ||
        flags == 0)
        return GFXERR_INVALIDCALL;
    if ((flags & (CLEAR_ZBUFFER | CLEAR_STENCIL)) && !m_Parameters.EnableAutoDepthStencil)
        return GFXERR_INVALIDCALL;
    if (CooperativeLevel() != GFX_OK)
        return GFX_OK;
    const Viewport& vp = m_State.CurrentViewport;
    const GfxRect whole{static_cast<int32_t>(vp.X), static_cast<int32_t>(vp.Y),
                        static_cast<int32_t>(vp.X + vp.Width), static_cast<int32_t>(vp.Y + vp.Height)};
    std::vector<GfxRect> clipped;
    if (rectCount == 0)
        clipped.push_back(whole);
    for (uint32_t i = 0; i < rectCount; ++i)
    {
        GfxRect r{std::max(rects[i].Left, whole.Left), std::max(rects[i].Top, whole.Top),
                  std::min(rects[i].Right, whole.Right), std::min(rects[i].Bottom, whole.Bottom)};
        if (r.Left < r.Right && r.Top < r.Bottom)
            clipped.push_back(r);
    }
    if (clipped.empty())
        return GFX_OK;
    return DoClear(clipped, flags, color, std::min(1.0f, std::max(0.0f, z)), stencil);
}

GfxResult StateDevice::SetTransform(uint32_t state, const Matrix* matrix)
{
    const GfxResult scripted = Enter("SetTransform", [&] { return Num(state) + " " + MatrixText(matrix); });
    if (GfxFailed(scripted))
        return scripted;
    Matrix* target = Target().Transform(state);
    if (!matrix || !target)
        return GFXERR_INVALIDCALL;
    *target = *matrix;
    if (StateMask* mask = Recording())
        mask->Transforms.insert(state);
    return GFX_OK;
}

GfxResult StateDevice::GetTransform(uint32_t state, Matrix* matrix) const
{
    const Matrix* source = m_State.Transform(state);
    if (!source)
        return GFXERR_INVALIDCALL;
    return CopyOut(matrix, *source);
}

GfxResult StateDevice::SetViewport(const Viewport* viewport)
{
    const GfxResult scripted =
        Enter("SetViewport",
              [&]
              {
                  return viewport ? Num(viewport->X) + " " + Num(viewport->Y) + " " + Num(viewport->Width) +
                                        " " + Num(viewport->Height) + " " + std::to_string(viewport->MinZ) +
                                        " " + std::to_string(viewport->MaxZ)
                                  : std::string("null");
              });
    if (GfxFailed(scripted))
        return scripted;
    if (!viewport)
        return GFXERR_INVALIDCALL;
    const uint64_t right = static_cast<uint64_t>(viewport->X) + viewport->Width;
    const uint64_t bottom = static_cast<uint64_t>(viewport->Y) + viewport->Height;
    if (right > m_Parameters.BackBufferWidth || bottom > m_Parameters.BackBufferHeight ||
        !(viewport->MinZ >= 0.0f && viewport->MinZ <= 1.0f) ||
        !(viewport->MaxZ >= 0.0f && viewport->MaxZ <= 1.0f))
        return GFXERR_INVALIDCALL;
    Target().CurrentViewport = *viewport;
    if (StateMask* mask = Recording())
        mask->Viewport = true;
    return GFX_OK;
}

GfxResult StateDevice::GetViewport(Viewport* viewport) const
{
    return CopyOut(viewport, m_State.CurrentViewport);
}

GfxResult StateDevice::SetMaterial(const Material* material)
{
    const GfxResult scripted = Enter("SetMaterial",
                                     [&]
                                     {
                                         return material ? std::to_string(material->Diffuse.r) + " " +
                                                               std::to_string(material->Diffuse.g) + " " +
                                                               std::to_string(material->Diffuse.b) + " " +
                                                               std::to_string(material->Diffuse.a) + " " +
                                                               std::to_string(material->Power)
                                                         : std::string("null");
                                     });
    if (GfxFailed(scripted))
        return scripted;
    if (!material)
        return GFXERR_INVALIDCALL;
    Target().CurrentMaterial = *material;
    if (StateMask* mask = Recording())
        mask->Material = true;
    return GFX_OK;
}

GfxResult StateDevice::GetMaterial(Material* material) const
{
    return CopyOut(material, m_State.CurrentMaterial);
}

GfxResult StateDevice::SetLight(uint32_t index, const Light* light)
{
    const GfxResult scripted = Enter(
        "SetLight", [&] { return Num(index) + " " + (light ? Num(light->Type) : std::string("null")); });
    if (GfxFailed(scripted))
        return scripted;
    if (!light || light->Type < LIGHT_POINT || light->Type > LIGHT_DIRECTIONAL)
        return GFXERR_INVALIDCALL;
    Target().Lights[index].Value = *light;
    if (StateMask* mask = Recording())
        mask->Lights.insert(index);
    return GFX_OK;
}

GfxResult StateDevice::GetLight(uint32_t index, Light* light) const
{
    return CopyOutLight(m_State, index, &LightSlot::Value, light);
}

GfxResult StateDevice::LightEnable(uint32_t index, bool enable)
{
    const GfxResult scripted = Enter("LightEnable", [&] { return Num(index) + " " + Num(enable); });
    if (GfxFailed(scripted))
        return scripted;
    auto& lights = Target().Lights;
    auto it = lights.find(index);
    if (it == lights.end())
    {
        LightSlot slot;
        slot.Value = DeviceState::DefaultLight();
        it = lights.emplace(index, slot).first;
    }
    it->second.Enabled = enable;
    if (StateMask* mask = Recording())
        mask->Lights.insert(index);
    return GFX_OK;
}

GfxResult StateDevice::GetLightEnable(uint32_t index, bool* enable) const
{
    return CopyOutLight(m_State, index, &LightSlot::Enabled, enable);
}

GfxResult StateDevice::SetRenderState(uint32_t state, uint32_t value)
{
    const GfxResult scripted = Enter("SetRenderState", [&] { return Num(state) + " " + Num(value); });
    if (GfxFailed(scripted))
        return scripted;
    if (state >= kRenderStateCount)
        return GFXERR_INVALIDCALL;
    Target().RenderStates[state] = value;
    if (StateMask* mask = Recording())
        mask->RenderStates.set(state);
    return GFX_OK;
}

GfxResult StateDevice::GetRenderState(uint32_t state, uint32_t* value) const
{
    if (state >= kRenderStateCount)
        return GFXERR_INVALIDCALL;
    return CopyOut(value, m_State.RenderStates[state]);
}

GfxResult StateDevice::SetTexture(uint32_t stage, GfxBaseTexture* texture)
{
    const GfxResult scripted =
        Enter("SetTexture",
              [&]
              {
                  char text[48];
                  std::snprintf(text, sizeof text, "%u %p", stage, static_cast<void*>(texture));
                  return std::string(text);
              });
    if (GfxFailed(scripted))
        return scripted;
    if (stage >= kMaxSamplers)
        return GFXERR_INVALIDCALL;
    Target().Textures[stage] = texture;
    if (StateMask* mask = Recording())
        mask->Textures.set(stage);
    return GFX_OK;
}

GfxResult StateDevice::GetTexture(uint32_t stage, GfxBaseTexture** texture) const
{
    if (stage >= kMaxSamplers)
        return GFXERR_INVALIDCALL;
    return CopyOut(texture, m_State.Textures[stage]);
}

template <size_t Units, size_t States>
GfxResult StateDevice::SetUnitState(const char* method, uint32_t (DeviceState::*values)[Units][States],
                                    std::bitset<States> (StateMask::*marks)[Units], uint32_t unit,
                                    uint32_t type, uint32_t value)
{
    const GfxResult scripted = Enter(method, [&] { return Num(unit) + " " + Num(type) + " " + Num(value); });
    if (GfxFailed(scripted))
        return scripted;
    if (unit >= Units || type >= States)
        return GFXERR_INVALIDCALL;
    (Target().*values)[unit][type] = value;
    if (StateMask* mask = Recording())
        (mask->*marks)[unit].set(type);
    return GFX_OK;
}

GfxResult StateDevice::SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value)
{
    return SetUnitState("SetTextureStageState", &DeviceState::StageStates, &StateMask::StageStates, stage,
                        type, value);
}

GfxResult StateDevice::GetTextureStageState(uint32_t stage, uint32_t type, uint32_t* value) const
{
    return ReadUnitState(m_State.StageStates, stage, type, value);
}

GfxResult StateDevice::SetSamplerState(uint32_t sampler, uint32_t type, uint32_t value)
{
    return SetUnitState("SetSamplerState", &DeviceState::SamplerStates, &StateMask::SamplerStates, sampler,
                        type, value);
}

GfxResult StateDevice::GetSamplerState(uint32_t sampler, uint32_t type, uint32_t* value) const
{
    return ReadUnitState(m_State.SamplerStates, sampler, type, value);
}

GfxResult StateDevice::SetFVF(uint32_t fvf)
{
    const GfxResult scripted = Enter("SetFVF", [&] { return Hex(fvf); });
    if (GfxFailed(scripted))
        return scripted;
    if (fvf != 0 && GfxFormatInfo::FvfStride(fvf) == 0)
        return GFXERR_INVALIDCALL;
    DeviceState& target = Target();
    target.FVF = fvf;
    target.Declaration = nullptr;
    if (StateMask* mask = Recording())
        mask->FVF = true;
    return GFX_OK;
}

GfxResult StateDevice::GetFVF(uint32_t* fvf) const
{
    return CopyOut(fvf, m_State.FVF);
}

GfxResult StateDevice::SetVertexDeclaration(GfxVertexDeclaration* declaration)
{
    const GfxResult scripted = Enter("SetVertexDeclaration", [&] { return Num(declaration != nullptr); });
    if (GfxFailed(scripted))
        return scripted;
    DeviceState& target = Target();
    target.Declaration = declaration;
    if (declaration)
        target.FVF = 0;
    if (StateMask* mask = Recording())
        mask->Declaration = true;
    return GFX_OK;
}

GfxResult StateDevice::SetVertexShader(GfxVertexShader* shader)
{
    const GfxResult scripted = Enter("SetVertexShader", [&] { return Num(shader != nullptr); });
    if (GfxFailed(scripted))
        return scripted;
    Target().VertexShader = shader;
    if (StateMask* mask = Recording())
        mask->VertexShader = true;
    return GFX_OK;
}

GfxResult StateDevice::SetStreamSource(uint32_t stream, GfxVertexBuffer* buffer, uint32_t offsetInBytes,
                                       uint32_t stride)
{
    const GfxResult scripted = Enter("SetStreamSource",
                                     [&]
                                     {
                                         char text[64];
                                         std::snprintf(text, sizeof text, "%u %p %u %u", stream,
                                                       static_cast<void*>(buffer), offsetInBytes, stride);
                                         return std::string(text);
                                     });
    if (GfxFailed(scripted))
        return scripted;
    if (stream >= kMaxStreams)
        return GFXERR_INVALIDCALL;
    StreamBinding& binding = Target().Streams[stream];
    // Meshes bind their buffer before every draw: the same buffer again keeps the view of it found before
    // (a buffer that dies is unbound, so the pointer cannot stand for another one).
    MemoryVertexBuffer* memory =
        buffer && buffer == binding.Buffer ? binding.Memory : dynamic_cast<MemoryVertexBuffer*>(buffer);
    binding = StreamBinding{buffer, memory, buffer ? offsetInBytes : 0, buffer ? stride : 0};
    if (StateMask* mask = Recording())
        mask->Streams.set(stream);
    return GFX_OK;
}

GfxResult StateDevice::GetStreamSource(uint32_t stream, GfxVertexBuffer** buffer, uint32_t* offsetInBytes,
                                       uint32_t* stride) const
{
    if (stream >= kMaxStreams || !buffer || !offsetInBytes || !stride)
        return GFXERR_INVALIDCALL;
    *buffer = m_State.Streams[stream].Buffer;
    *offsetInBytes = m_State.Streams[stream].Offset;
    *stride = m_State.Streams[stream].Stride;
    return GFX_OK;
}

GfxResult StateDevice::SetIndices(GfxIndexBuffer* buffer)
{
    const GfxResult scripted = Enter("SetIndices",
                                     [&]
                                     {
                                         char text[32];
                                         std::snprintf(text, sizeof text, "%p", static_cast<void*>(buffer));
                                         return std::string(text);
                                     });
    if (GfxFailed(scripted))
        return scripted;
    DeviceState& target = Target();
    if (!buffer || buffer != target.Indices)
        target.IndexMemory = dynamic_cast<MemoryIndexBuffer*>(buffer);
    target.Indices = buffer;
    if (StateMask* mask = Recording())
        mask->Indices = true;
    return GFX_OK;
}

GfxResult StateDevice::GetIndices(GfxIndexBuffer** buffer) const
{
    return CopyOut(buffer, m_State.Indices);
}

GfxResult StateDevice::CheckDraw(DrawCall& call) const
{
    if (!m_InScene)
        return GFXERR_INVALIDCALL;
    const uint64_t elements = GfxFormatInfo::VertexCount(call.Type, call.PrimitiveCount);
    if (elements == 0 || elements > m_Caps.MaxPrimitiveCount * 3ull + 2)
        return GFXERR_INVALIDCALL;
    call.ElementCount = static_cast<uint32_t>(elements);
    const StreamBinding& stream = m_State.Streams[0];
    const MemoryVertexBuffer* vertices = stream.Memory;
    if (!vertices || stream.Stride == 0 || (m_State.FVF == 0 && !m_State.Declaration))
        return GFXERR_INVALIDCALL;
    if (m_State.FVF != 0 && stream.Stride < GfxFormatInfo::FvfStride(m_State.FVF))
        return GFXERR_INVALIDCALL;
    const uint64_t available =
        vertices->Size() > stream.Offset ? (vertices->Size() - stream.Offset) / stream.Stride : 0;
    if (!call.Indexed)
        return call.Start + elements <= available ? GFX_OK : GFXERR_INVALIDCALL;

    MemoryIndexBuffer* indices = m_State.IndexMemory;
    if (!indices)
        return GFXERR_INVALIDCALL;
    const uint32_t indexSize = indices->Desc().Format == FMT_INDEX32 ? 4 : 2;
    if ((call.Start + elements) * indexSize > indices->Size())
        return GFXERR_INVALIDCALL;
    if (call.BaseVertex < 0)
        return GFXERR_INVALIDCALL;
    // Every index must name a vertex the stream holds: a back end reads them blindly. The largest of the
    // whole buffer settles most draws; only when it does not is the draw's own range read.
    const int64_t base = call.BaseVertex;
    if (base + indices->LargestIndex() < static_cast<int64_t>(available))
        return GFX_OK;
    const int64_t last = base + indices->LargestIndex(call.Start, static_cast<uint32_t>(elements));
    return last < static_cast<int64_t>(available) ? GFX_OK : GFXERR_INVALIDCALL;
}

GfxResult StateDevice::SubmitDraw(DrawCall& call)
{
    const GfxResult checked = CheckDraw(call);
    if (GfxFailed(checked))
        return checked;
    if (CooperativeLevel() != GFX_OK)
        return GFX_OK;
    return DoDraw(call);
}

GfxResult StateDevice::DrawPrimitive(uint32_t type, uint32_t startVertex, uint32_t primitiveCount)
{
    const GfxResult scripted = Enter(
        "DrawPrimitive", [&] { return Num(type) + " " + Num(startVertex) + " " + Num(primitiveCount); });
    if (GfxFailed(scripted))
        return scripted;
    DrawCall call;
    call.Type = type;
    call.Start = startVertex;
    call.PrimitiveCount = primitiveCount;
    return SubmitDraw(call);
}

GfxResult StateDevice::DrawIndexedPrimitive(uint32_t type, int32_t baseVertexIndex, uint32_t minVertexIndex,
                                            uint32_t numVertices, uint32_t startIndex,
                                            uint32_t primitiveCount)
{
    const GfxResult scripted = Enter("DrawIndexedPrimitive",
                                     [&]
                                     {
                                         return Num(type) + " " + std::to_string(baseVertexIndex) + " " +
                                                Num(minVertexIndex) + " " + Num(numVertices) + " " +
                                                Num(startIndex) + " " + Num(primitiveCount);
                                     });
    if (GfxFailed(scripted))
        return scripted;
    DrawCall call;
    call.Type = type;
    call.Indexed = true;
    call.BaseVertex = baseVertexIndex;
    call.MinIndex = minVertexIndex;
    call.NumVertices = numVertices;
    call.Start = startIndex;
    call.PrimitiveCount = primitiveCount;
    return SubmitDraw(call);
}

} // namespace platform
