#pragma once

#include "platform/gfx/StateDevice.h"

#include <memory>

namespace platform
{

class GfxDirect3D;
class GLContext;

// The device on OpenGL 2.1 fixed function. States are kept in the shared record and brought to GL at each
// draw, where a copy of what GL was last given (states, transforms, viewport, framebuffer, bindings,
// vertex arrays, texture units) keeps repeated values from reaching GL again. The copy is dropped on
// Clear, Present, Reset and when a resource goes, so GL calls made around the device between frames
// cannot leave it stale.
class GLDevice : public StateDevice
{
public:
    GLDevice(GfxDirect3D* owner, std::unique_ptr<GLContext> context, const GfxCaps& caps,
             const PresentParameters& parameters, const DisplayMode& displayMode);
    ~GLDevice() override;

    // The caps of the current context.
    static GfxCaps ReadCaps();

    // Makes this device's context current.
    void Activate();
    // A texture was bound behind the state copy's back.
    void ForgetTextureBinding();
    // An effect's program is in use (0: none): its samplers read every unit given a texture, whatever the
    // fixed-function stages say.
    void UseProgram(uint32_t program);
    // Binds a buffer at GL_ARRAY_BUFFER or GL_ELEMENT_ARRAY_BUFFER unless it already is.
    void BindBuffer(uint32_t target, uint32_t name);
    // A buffer is about to be deleted: nothing may count on its bindings.
    void ForgetBuffer(uint32_t name);
    // Counts frames: Clear and Present each start one.
    uint64_t Frame() const { return m_Frame; }
    // True when frames go to an SDL window, false when they stay in a headless framebuffer.
    bool IsWindowed() const;

protected:
    GfxResult DoClear(const std::vector<GfxRect>& rects, uint32_t flags, GfxColor color, float z,
                      uint32_t stencil) override;
    GfxResult DoDraw(const DrawCall& call) override;
    GfxResult DoPresent() override;
    GfxResult DoCaptureFrame(FrameCapture* frame) override;
    GfxResult DoReset(const PresentParameters& parameters) override;
    bool SupportsTextureFormat(uint32_t format, uint32_t resourceType) const override;
    MemoryVertexBuffer* NewVertexBuffer(const VertexBufferDesc& desc) override;
    MemoryIndexBuffer* NewIndexBuffer(const IndexBufferDesc& desc) override;
    MemoryTexture* NewTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                              uint32_t format, uint32_t pool) override;
    MemoryCubeTexture* NewCubeTexture(uint32_t edge, uint32_t levels, uint32_t usage, uint32_t format,
                                      uint32_t pool) override;
    MemoryVolumeTexture* NewVolumeTexture(uint32_t width, uint32_t height, uint32_t depth, uint32_t levels,
                                          uint32_t usage, uint32_t format, uint32_t pool) override;
    void OnChildDetached(GfxObject* object) override;

private:
    struct Applied;

    // Drops the copy of GL's state: everything is given to GL again at the next draw.
    void ForgetApplied();
    void ApplyRenderStates(bool transformed);
    void ApplyTransforms(bool transformed);
    void ApplyLights(bool transformed);
    void ApplyStages(uint32_t fvf);
    // Points the arrays at the vertices `offset` bytes in: into GL buffer `buffer`, or into CPU memory
    // `memory` when buffer is 0 (memory is null when a buffer is bound).
    void BindVertices(uint32_t fvf, uint32_t stride, uint32_t buffer, const uint8_t* memory, size_t offset,
                      uint32_t units);

    GfxDirect3D* m_Owner;
    std::unique_ptr<GLContext> m_Context;
    std::unique_ptr<Applied> m_Applied;
    uint32_t m_WhiteTexture = 0;
    uint32_t m_Program = 0;
    uint32_t m_TextureUnits = 1;
    uint32_t m_GLLights = 8;
    bool m_BaseVertex = false;
    uint64_t m_Frame = 1;
};

} // namespace platform
