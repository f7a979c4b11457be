#pragma once

#include "platform/gfx/GfxObject.h"
#include "platform/gfx/GfxTypes.h"

namespace platform
{

class GfxBaseTexture;
class GfxCubeTexture;
class GfxIndexBuffer;
class GfxStateBlock;
class GfxSurface;
class GfxTexture;
class GfxVertexBuffer;
class GfxVertexDeclaration;
class GfxVertexShader;
class GfxVolumeTexture;

// The rendering device: fixed-function states, resources and drawing, with Direct3D 9 semantics.
// Bindings (textures, streams, indices) do not keep resources alive; a destroyed resource is unbound.
class GfxDevice : public GfxObject
{
public:
    // GFX_OK, GFXERR_DEVICELOST (wait) or GFXERR_DEVICENOTRESET (Reset now).
    virtual GfxResult TestCooperativeLevel() = 0;
    // Refused while any default-pool resource lives. Afterwards every state is at its default,
    // transforms are identity, no texture or stream is bound and the viewport covers the back buffer.
    virtual GfxResult Reset(PresentParameters* parameters) = 0;
    // Shows the whole back buffer in the device window and keeps the frame for CaptureFrame.
    virtual GfxResult Present() = 0;
    // The last presented frame.
    virtual GfxResult CaptureFrame(FrameCapture* frame) = 0;

    virtual GfxResult GetDeviceCaps(GfxCaps* caps) const = 0;
    virtual GfxResult GetDisplayMode(uint32_t swapChain, DisplayMode* mode) const = 0;
    virtual GfxResult GetBackBuffer(uint32_t swapChain, uint32_t index, uint32_t type,
                                    GfxSurface** surface) = 0;
    virtual GfxResult SetSoftwareVertexProcessing(bool software) = 0;

    virtual GfxResult CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, uint32_t pool,
                                         GfxVertexBuffer** buffer) = 0;
    virtual GfxResult CreateIndexBuffer(uint32_t length, uint32_t usage, uint32_t format, uint32_t pool,
                                        GfxIndexBuffer** buffer) = 0;
    // levels 0 makes the full chain down to 1x1.
    virtual GfxResult CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                    uint32_t format, uint32_t pool, GfxTexture** texture) = 0;
    virtual GfxResult CreateCubeTexture(uint32_t edgeLength, uint32_t levels, uint32_t usage, uint32_t format,
                                        uint32_t pool, GfxCubeTexture** texture) = 0;
    virtual GfxResult CreateVolumeTexture(uint32_t width, uint32_t height, uint32_t depth, uint32_t levels,
                                          uint32_t usage, uint32_t format, uint32_t pool,
                                          GfxVolumeTexture** texture) = 0;
    // elements end with kDeclEnd.
    virtual GfxResult CreateVertexDeclaration(const VertexElement* elements,
                                              GfxVertexDeclaration** declaration) = 0;

    // A block holding every state of the kind, captured now.
    virtual GfxResult CreateStateBlock(uint32_t type, GfxStateBlock** block) = 0;
    // Between these two calls state changes are recorded into the new block instead of being applied.
    virtual GfxResult BeginStateBlock() = 0;
    virtual GfxResult EndStateBlock(GfxStateBlock** block) = 0;

    virtual GfxResult BeginScene() = 0;
    virtual GfxResult EndScene() = 0;
    // Clears the viewport (or the given rectangles inside it) whatever the depth and colour write masks.
    virtual GfxResult Clear(uint32_t rectCount, const GfxRect* rects, uint32_t flags, GfxColor color, float z,
                            uint32_t stencil) = 0;

    virtual GfxResult SetTransform(uint32_t state, const Matrix* matrix) = 0;
    virtual GfxResult GetTransform(uint32_t state, Matrix* matrix) const = 0;
    virtual GfxResult SetViewport(const Viewport* viewport) = 0;
    virtual GfxResult GetViewport(Viewport* viewport) const = 0;
    virtual GfxResult SetMaterial(const Material* material) = 0;
    virtual GfxResult GetMaterial(Material* material) const = 0;
    virtual GfxResult SetLight(uint32_t index, const Light* light) = 0;
    virtual GfxResult GetLight(uint32_t index, Light* light) const = 0;
    virtual GfxResult LightEnable(uint32_t index, bool enable) = 0;
    virtual GfxResult GetLightEnable(uint32_t index, bool* enable) const = 0;

    virtual GfxResult SetRenderState(uint32_t state, uint32_t value) = 0;
    virtual GfxResult GetRenderState(uint32_t state, uint32_t* value) const = 0;
    virtual GfxResult SetTexture(uint32_t stage, GfxBaseTexture* texture) = 0;
    // No reference is added.
    virtual GfxResult GetTexture(uint32_t stage, GfxBaseTexture** texture) const = 0;
    virtual GfxResult SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value) = 0;
    virtual GfxResult GetTextureStageState(uint32_t stage, uint32_t type, uint32_t* value) const = 0;
    virtual GfxResult SetSamplerState(uint32_t sampler, uint32_t type, uint32_t value) = 0;
    virtual GfxResult GetSamplerState(uint32_t sampler, uint32_t type, uint32_t* value) const = 0;

    virtual GfxResult SetFVF(uint32_t fvf) = 0;
    virtual GfxResult GetFVF(uint32_t* fvf) const = 0;
    virtual GfxResult SetVertexDeclaration(GfxVertexDeclaration* declaration) = 0;
    virtual GfxResult SetVertexShader(GfxVertexShader* shader) = 0;
    virtual GfxResult SetStreamSource(uint32_t stream, GfxVertexBuffer* buffer, uint32_t offsetInBytes,
                                      uint32_t stride) = 0;
    // No reference is added.
    virtual GfxResult GetStreamSource(uint32_t stream, GfxVertexBuffer** buffer, uint32_t* offsetInBytes,
                                      uint32_t* stride) const = 0;
    virtual GfxResult SetIndices(GfxIndexBuffer* buffer) = 0;
    virtual GfxResult GetIndices(GfxIndexBuffer** buffer) const = 0;

    virtual GfxResult DrawPrimitive(uint32_t type, uint32_t startVertex, uint32_t primitiveCount) = 0;
    // Vertex i of the draw is stream vertex baseVertexIndex + index[startIndex + i].
    virtual GfxResult DrawIndexedPrimitive(uint32_t type, int32_t baseVertexIndex, uint32_t minVertexIndex,
                                           uint32_t numVertices, uint32_t startIndex,
                                           uint32_t primitiveCount) = 0;
};

} // namespace platform
