#pragma once

#include "platform/gfx/StateDevice.h"

#include <map>
#include <string>
#include <vector>

namespace platform
{

class TestDirect3D;

// The CPU-memory device for tests. Every call is logged; each draw is logged with the whole state in
// force; results can be scripted per call; device loss is simulated. Clear fills the CPU back buffer and
// Present keeps it as the captured frame; triangles are not rasterised.
class TestDevice : public StateDevice
{
public:
    struct Call
    {
        std::string Method;
        std::string Args;
    };

    struct Draw
    {
        uint32_t Type = 0;
        bool Indexed = false;
        int32_t BaseVertex = 0;
        uint32_t MinIndex = 0;
        uint32_t NumVertices = 0;
        uint32_t Start = 0;
        uint32_t PrimitiveCount = 0;
        DeviceState State;
    };

    TestDevice(TestDirect3D* owner, const GfxCaps& caps, const PresentParameters& parameters,
               const DisplayMode& displayMode);
    ~TestDevice() override;

    const std::vector<Call>& Calls() const { return m_Calls; }
    size_t CountCalls(const std::string& method) const;
    const std::vector<Draw>& Draws() const { return m_Draws; }
    void ClearLog();
    // With the log off no call or draw is kept (and no argument text made), so a long run costs what the
    // device's own work costs; scripted failures need the log on.
    void SetLogging(bool on);
    bool IsLogging() const { return m_RecordCalls; }

    // The next `times` calls of the method (as logged, e.g. "VertexBuffer::Lock") fail with the result.
    void FailNext(const std::string& method, GfxResult result, int times = 1);

    // Lost: the cooperative level, Present and Reset report GFXERR_DEVICELOST until MakeResettable.
    void LoseDevice();
    // The cooperative level reports GFXERR_DEVICENOTRESET; a successful Reset ends the loss.
    void MakeResettable();

    uint32_t PresentCount() const { return m_PresentCount; }
    // A pixel of the CPU back buffer as A8R8G8B8.
    GfxColor BackBufferPixel(uint32_t x, uint32_t y) const;
    float LastClearDepth() const { return m_LastClearDepth; }

protected:
    GfxResult DoClear(const std::vector<GfxRect>& rects, uint32_t flags, GfxColor color, float z,
                      uint32_t stencil) override;
    GfxResult DoDraw(const DrawCall& call) override;
    GfxResult DoPresent() override;
    GfxResult DoCaptureFrame(FrameCapture* frame) override;
    GfxResult DoReset(const PresentParameters& parameters) override;
    GfxResult CooperativeLevel() const override;
    bool SupportsTextureFormat(uint32_t format, uint32_t resourceType) const override;
    GfxResult OnCall(const char* method, const std::string& args) override;

private:
    enum class Loss
    {
        None,
        Lost,
        NotReset
    };

    struct Failure
    {
        GfxResult Result = GFX_OK;
        int Times = 0;
    };

    TestDirect3D* m_Owner;
    std::vector<Call> m_Calls;
    std::vector<Draw> m_Draws;
    std::map<std::string, Failure> m_Failures;
    Loss m_Loss = Loss::None;
    uint32_t m_PresentCount = 0;
    float m_LastClearDepth = 1.0f;
    FrameCapture m_Presented;
};

} // namespace platform
