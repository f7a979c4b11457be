#include "platform/gfx/TestDevice.h"

#include "platform/gfx/GfxFormatInfo.h"
#include "platform/gfx/MemorySurface.h"
#include "platform/gfx/TestDirect3D.h"

#include <algorithm>
#include <cstring>

namespace platform
{

TestDevice::TestDevice(TestDirect3D* owner, const GfxCaps& caps, const PresentParameters& parameters,
                       const DisplayMode& displayMode)
    : StateDevice(caps, parameters, displayMode), m_Owner(owner)
{
    m_RecordCalls = true;
    m_Owner->AddRef();
}

TestDevice::~TestDevice()
{
    if (m_Owner->m_LastDevice == this)
        m_Owner->m_LastDevice = nullptr;
    m_Owner->Release();
}

size_t TestDevice::CountCalls(const std::string& method) const
{
    return static_cast<size_t>(std::count_if(m_Calls.begin(), m_Calls.end(),
                                             [&](const Call& call) { return call.Method == method; }));
}

void TestDevice::ClearLog()
{
    m_Calls.clear();
    m_Draws.clear();
}

void TestDevice::SetLogging(bool on)
{
    m_RecordCalls = on;
}

void TestDevice::FailNext(const std::string& method, GfxResult result, int times)
{
    m_Failures[method] = Failure{result, times};
}

void TestDevice::LoseDevice()
{
    m_Loss = Loss::Lost;
}

void TestDevice::MakeResettable()
{
    m_Loss = Loss::NotReset;
}

GfxResult TestDevice::OnCall(const char* method, const std::string& args)
{
    m_Calls.push_back(Call{method, args});
    auto it = m_Failures.find(method);
    if (it == m_Failures.end())
        return GFX_OK;
    const GfxResult result = it->second.Result;
    if (--it->second.Times <= 0)
        m_Failures.erase(it);
    return result;
}

GfxResult TestDevice::CooperativeLevel() const
{
    switch (m_Loss)
    {
    case Loss::Lost:
        return GFXERR_DEVICELOST;
    case Loss::NotReset:
        return GFXERR_DEVICENOTRESET;
    default:
        return GFX_OK;
    }
}

bool TestDevice::SupportsTextureFormat(uint32_t format, uint32_t resourceType) const
{
    return StateDevice::SupportsTextureFormat(format, resourceType) &&
           m_Owner->TextureFormats.count(format) > 0;
}

GfxResult TestDevice::DoReset(const PresentParameters& parameters)
{
    (void)parameters;
    m_Loss = Loss::None;
    return GFX_OK;
}

GfxResult TestDevice::DoClear(const std::vector<GfxRect>& rects, uint32_t flags, GfxColor color, float z,
                              uint32_t stencil)
{
    (void)stencil;
    if (flags & CLEAR_ZBUFFER)
        m_LastClearDepth = z;
    if (!(flags & CLEAR_TARGET))
        return GFX_OK;
    MemorySurface* target = BackBuffer();
    const TextureStorage::Level& level = target->Storage().LevelInfo(0);
    for (const GfxRect& rect : rects)
        for (int32_t y = rect.Top; y < rect.Bottom && y < static_cast<int32_t>(level.Height); ++y)
        {
            auto* row =
                reinterpret_cast<uint32_t*>(target->Bits() + static_cast<size_t>(y) * target->Pitch());
            for (int32_t x = rect.Left; x < rect.Right && x < static_cast<int32_t>(level.Width); ++x)
                row[x] = color;
        }
    return GFX_OK;
}

GfxResult TestDevice::DoDraw(const DrawCall& call)
{
    if (!m_RecordCalls)
        return GFX_OK;
    Draw draw;
    draw.Type = call.Type;
    draw.Indexed = call.Indexed;
    draw.BaseVertex = call.BaseVertex;
    draw.MinIndex = call.MinIndex;
    draw.NumVertices = call.NumVertices;
    draw.Start = call.Start;
    draw.PrimitiveCount = call.PrimitiveCount;
    draw.State = m_State;
    m_Draws.push_back(std::move(draw));
    return GFX_OK;
}

GfxColor TestDevice::BackBufferPixel(uint32_t x, uint32_t y) const
{
    MemorySurface* target = BackBuffer();
    const TextureStorage::Level& level = target->Storage().LevelInfo(0);
    if (x >= level.Width || y >= level.Height)
        return 0;
    uint32_t pixel;
    std::memcpy(&pixel, target->Bits() + static_cast<size_t>(y) * target->Pitch() + x * 4, 4);
    return pixel;
}

GfxResult TestDevice::DoPresent()
{
    ++m_PresentCount;
    const TextureStorage::Level& level = BackBuffer()->Storage().LevelInfo(0);
    m_Presented.Width = level.Width;
    m_Presented.Height = level.Height;
    m_Presented.Rows.resize(static_cast<size_t>(level.Width) * level.Height * 3);
    for (uint32_t y = 0; y < level.Height; ++y)
        for (uint32_t x = 0; x < level.Width; ++x)
        {
            const GfxColor pixel = BackBufferPixel(x, y);
            uint8_t* out = &m_Presented.Rows[(static_cast<size_t>(y) * level.Width + x) * 3];
            out[0] = static_cast<uint8_t>(pixel);
            out[1] = static_cast<uint8_t>(pixel >> 8);
            out[2] = static_cast<uint8_t>(pixel >> 16);
        }
    return GFX_OK;
}

GfxResult TestDevice::DoCaptureFrame(FrameCapture* frame)
{
    if (m_PresentCount == 0)
    {
        // Nothing shown yet: the window is black.
        frame->Width = Parameters().BackBufferWidth;
        frame->Height = Parameters().BackBufferHeight;
        frame->Rows.assign(static_cast<size_t>(frame->Width) * frame->Height * 3, 0);
        return GFX_OK;
    }
    *frame = m_Presented;
    return GFX_OK;
}

} // namespace platform
