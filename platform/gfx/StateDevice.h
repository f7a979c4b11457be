#pragma once

#include "platform/gfx/DeviceState.h"
#include "platform/gfx/GfxDevice.h"

#include <bitset>
#include <string>
#include <vector>

namespace platform
{

class DeviceChild;
class MemoryCubeTexture;
class MemoryIndexBuffer;
class MemoryStateBlock;
class MemorySurface;
class MemoryTexture;
class MemoryVertexBuffer;
class MemoryVolumeTexture;

// The part of a device that every back end shares: argument checks, the state record, state blocks,
// resources in CPU memory and the Reset rules. A back end supplies clearing, drawing and presenting.
class StateDevice : public GfxDevice
{
public:
    GfxResult TestCooperativeLevel() override;
    GfxResult Reset(PresentParameters* parameters) override;
    GfxResult Present() override;
    GfxResult CaptureFrame(FrameCapture* frame) override;

    GfxResult GetDeviceCaps(GfxCaps* caps) const override;
    GfxResult GetDisplayMode(uint32_t swapChain, DisplayMode* mode) const override;
    GfxResult GetBackBuffer(uint32_t swapChain, uint32_t index, uint32_t type, GfxSurface** surface) override;
    GfxResult SetSoftwareVertexProcessing(bool software) override;

    GfxResult CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, uint32_t pool,
                                 GfxVertexBuffer** buffer) override;
    GfxResult CreateIndexBuffer(uint32_t length, uint32_t usage, uint32_t format, uint32_t pool,
                                GfxIndexBuffer** buffer) override;
    GfxResult CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, uint32_t format,
                            uint32_t pool, GfxTexture** texture) override;
    GfxResult CreateCubeTexture(uint32_t edgeLength, uint32_t levels, uint32_t usage, uint32_t format,
                                uint32_t pool, GfxCubeTexture** texture) override;
    GfxResult CreateVolumeTexture(uint32_t width, uint32_t height, uint32_t depth, uint32_t levels,
                                  uint32_t usage, uint32_t format, uint32_t pool,
                                  GfxVolumeTexture** texture) override;
    GfxResult CreateVertexDeclaration(const VertexElement* elements,
                                      GfxVertexDeclaration** declaration) override;
    GfxResult CreateStateBlock(uint32_t type, GfxStateBlock** block) override;
    GfxResult BeginStateBlock() override;
    GfxResult EndStateBlock(GfxStateBlock** block) override;

    GfxResult BeginScene() override;
    GfxResult EndScene() override;
    GfxResult Clear(uint32_t rectCount, const GfxRect* rects, uint32_t flags, GfxColor color, float z,
                    uint32_t stencil) override;

    GfxResult SetTransform(uint32_t state, const Matrix* matrix) override;
    GfxResult GetTransform(uint32_t state, Matrix* matrix) const override;
    GfxResult SetViewport(const Viewport* viewport) override;
    GfxResult GetViewport(Viewport* viewport) const override;
    GfxResult SetMaterial(const Material* material) override;
    GfxResult GetMaterial(Material* material) const override;
    GfxResult SetLight(uint32_t index, const Light* light) override;
    GfxResult GetLight(uint32_t index, Light* light) const override;
    GfxResult LightEnable(uint32_t index, bool enable) override;
    GfxResult GetLightEnable(uint32_t index, bool* enable) const override;

    GfxResult SetRenderState(uint32_t state, uint32_t value) override;
    GfxResult GetRenderState(uint32_t state, uint32_t* value) const override;
    GfxResult SetTexture(uint32_t stage, GfxBaseTexture* texture) override;
    GfxResult GetTexture(uint32_t stage, GfxBaseTexture** texture) const override;
    GfxResult SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value) override;
    GfxResult GetTextureStageState(uint32_t stage, uint32_t type, uint32_t* value) const override;
    GfxResult SetSamplerState(uint32_t sampler, uint32_t type, uint32_t value) override;
    GfxResult GetSamplerState(uint32_t sampler, uint32_t type, uint32_t* value) const override;

    GfxResult SetFVF(uint32_t fvf) override;
    GfxResult GetFVF(uint32_t* fvf) const override;
    GfxResult SetVertexDeclaration(GfxVertexDeclaration* declaration) override;
    GfxResult SetVertexShader(GfxVertexShader* shader) override;
    GfxResult SetStreamSource(uint32_t stream, GfxVertexBuffer* buffer, uint32_t offsetInBytes,
                              uint32_t stride) override;
    GfxResult GetStreamSource(uint32_t stream, GfxVertexBuffer** buffer, uint32_t* offsetInBytes,
                              uint32_t* stride) const override;
    GfxResult SetIndices(GfxIndexBuffer* buffer) override;
    GfxResult GetIndices(GfxIndexBuffer** buffer) const override;

    GfxResult DrawPrimitive(uint32_t type, uint32_t startVertex, uint32_t primitiveCount) override;
    GfxResult DrawIndexedPrimitive(uint32_t type, int32_t baseVertexIndex, uint32_t minVertexIndex,
                                   uint32_t numVertices, uint32_t startIndex,
                                   uint32_t primitiveCount) override;

    const DeviceState& State() const { return m_State; }
    const PresentParameters& Parameters() const { return m_Parameters; }
    // Live resources of a memory pool made by this device.
    size_t LiveResourceCount(uint32_t pool) const;

    // Every entry point passes through here first: a recording back end logs the call and may script
    // its result. describe() formats the arguments only when calls are recorded.
    template <class Describe> GfxResult Enter(const char* method, Describe&& describe)
    {
        if (!m_RecordCalls)
            return GFX_OK;
        return OnCall(method, describe());
    }

    void AttachChild(DeviceChild* child);
    void DetachChild(DeviceChild* child);
    // State blocks are told of every object that dies, so the device keeps them apart from the resources.
    void AttachStateBlock(MemoryStateBlock* block);
    void DetachStateBlock(MemoryStateBlock* block);

protected:
    struct DrawCall
    {
        uint32_t Type = PT_TRIANGLELIST;
        bool Indexed = false;
        int32_t BaseVertex = 0;
        uint32_t MinIndex = 0;
        uint32_t NumVertices = 0;
        // First vertex (plain draws) or first index (indexed draws).
        uint32_t Start = 0;
        uint32_t PrimitiveCount = 0;
        // Vertices or indices the draw reads.
        uint32_t ElementCount = 0;
    };

    StateDevice(const GfxCaps& caps, const PresentParameters& parameters, const DisplayMode& displayMode);
    ~StateDevice() override;

    // Rectangles already clipped to the viewport.
    virtual GfxResult DoClear(const std::vector<GfxRect>& rects, uint32_t flags, GfxColor color, float z,
                              uint32_t stencil) = 0;
    // Called with every binding checked: the stream holds the vertices and the indices stay in range.
    virtual GfxResult DoDraw(const DrawCall& call) = 0;
    virtual GfxResult DoPresent() = 0;
    virtual GfxResult DoCaptureFrame(FrameCapture* frame) = 0;
    virtual GfxResult DoReset(const PresentParameters& parameters) = 0;
    virtual GfxResult CooperativeLevel() const { return GFX_OK; }
    virtual bool SupportsTextureFormat(uint32_t format, uint32_t resourceType) const;
    // A back end's subclasses keep GPU copies of the CPU data.
    virtual MemoryVertexBuffer* NewVertexBuffer(const VertexBufferDesc& desc);
    virtual MemoryIndexBuffer* NewIndexBuffer(const IndexBufferDesc& desc);
    virtual MemoryTexture* NewTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                      uint32_t format, uint32_t pool);
    virtual MemoryCubeTexture* NewCubeTexture(uint32_t edge, uint32_t levels, uint32_t usage, uint32_t format,
                                              uint32_t pool);
    virtual MemoryVolumeTexture* NewVolumeTexture(uint32_t width, uint32_t height, uint32_t depth,
                                                  uint32_t levels, uint32_t usage, uint32_t format,
                                                  uint32_t pool);
    virtual GfxResult OnCall(const char* method, const std::string& args);
    // A resource or state block is going away.
    virtual void OnChildDetached(GfxObject* object) { (void)object; }

    MemorySurface* BackBuffer() const { return m_BackBuffer; }
    const std::vector<DeviceChild*>& Children() const { return m_Children; }
    bool InScene() const { return m_InScene; }

    bool m_RecordCalls = false;
    DeviceState m_State;
    GfxCaps m_Caps;

private:
    DeviceState& Target();
    StateMask* Recording();
    // Texture-stage and sampler states: a table of states for each stage or sampler.
    template <size_t Units, size_t States>
    GfxResult SetUnitState(const char* method, uint32_t (DeviceState::*values)[Units][States],
                           std::bitset<States> (StateMask::*marks)[Units], uint32_t unit, uint32_t type,
                           uint32_t value);
    void MakeBackBuffer();
    GfxResult CheckDraw(DrawCall& call) const;
    // A lost device draws nothing, yet a faulty draw is still refused.
    GfxResult SubmitDraw(DrawCall& call);
    uint32_t TextureLevels(uint32_t levels, uint32_t usage, uint32_t width, uint32_t height,
                           uint32_t depth) const;

    PresentParameters m_Parameters;
    DisplayMode m_DisplayMode;
    MemorySurface* m_BackBuffer = nullptr;
    bool m_InScene = false;
    MemoryStateBlock* m_RecordingBlock = nullptr;
    // In no order: a leaving child takes the last one's place.
    std::vector<DeviceChild*> m_Children;
    std::vector<MemoryStateBlock*> m_StateBlocks;
};

} // namespace platform
