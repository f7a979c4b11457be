#pragma once

#include "platform/gfx/GfxTypes.h"

#include <bitset>
#include <map>
#include <set>

namespace platform
{

class GfxBaseTexture;
class GfxIndexBuffer;
class GfxObject;
class GfxVertexBuffer;
class GfxVertexDeclaration;
class GfxVertexShader;
class MemoryIndexBuffer;
class MemoryVertexBuffer;

// Buffers are looked at on every draw: their CPU side is found once, when they are set.
struct StreamBinding
{
    GfxVertexBuffer* Buffer = nullptr;
    MemoryVertexBuffer* Memory = nullptr;
    uint32_t Offset = 0;
    uint32_t Stride = 0;
};

struct LightSlot
{
    Light Value;
    bool Enabled = false;
};

// Everything a device holds between calls. Bound objects are plain pointers: the device unbinds a
// resource when it is destroyed.
struct DeviceState
{
    uint32_t RenderStates[kRenderStateCount] = {};
    uint32_t StageStates[kMaxTextureStages][kTextureStageStateCount] = {};
    uint32_t SamplerStates[kMaxSamplers][kSamplerStateCount] = {};
    Matrix World;
    Matrix View;
    Matrix Projection;
    Matrix TextureTransforms[kMaxTextureStages];
    Viewport CurrentViewport;
    Material CurrentMaterial;
    std::map<uint32_t, LightSlot> Lights;
    GfxBaseTexture* Textures[kMaxSamplers] = {};
    StreamBinding Streams[kMaxStreams];
    GfxIndexBuffer* Indices = nullptr;
    MemoryIndexBuffer* IndexMemory = nullptr;
    uint32_t FVF = 0;
    GfxVertexDeclaration* Declaration = nullptr;
    GfxVertexShader* VertexShader = nullptr;

    // The values a device has after creation or Reset.
    void SetDefaults(bool autoDepthStencil, uint32_t backBufferWidth, uint32_t backBufferHeight);
    // The matrix of a transform state; null for a state this device does not have.
    Matrix* Transform(uint32_t state);
    const Matrix* Transform(uint32_t state) const;
    // The light a device uses when one is enabled before being set.
    static Light DefaultLight();
    // Drops every binding of an object that is going away.
    void Unbind(const GfxObject* object);
};

// Which states a state block holds.
struct StateMask
{
    std::bitset<kRenderStateCount> RenderStates;
    std::bitset<kTextureStageStateCount> StageStates[kMaxTextureStages];
    std::bitset<kSamplerStateCount> SamplerStates[kMaxSamplers];
    std::set<uint32_t> Transforms;
    std::set<uint32_t> Lights;
    std::bitset<kMaxSamplers> Textures;
    std::bitset<kMaxStreams> Streams;
    bool Viewport = false;
    bool Material = false;
    bool Indices = false;
    bool FVF = false;
    bool Declaration = false;
    bool VertexShader = false;

    // The states of a block made by CreateStateBlock of the given type.
    static StateMask ForType(uint32_t type, const DeviceState& state);
};

} // namespace platform
