// Screenshots of the game window and run-time changes of the display mode.
#include "engine/render/kaGraphicsManager.h"

#include "engine/render/kaPixelLayout.h"

#include "platform/files/Files.h"
#include "platform/files/SafeFileWriter.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxDirect3D.h"
#include "platform/system/DebugOutput.h"
#include "platform/window/Window.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace platform;

namespace
{

const uint32_t kFileHeaderBytes = 14;
const uint32_t kInfoHeaderBytes = 40;
const uint32_t kBitsPerPixel = 24;
// Screenshots are numbered on; this many taken names in a row means the folder cannot take another.
const uint32_t kMaxScreenshotNumber = 1000000;

void Put16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}


} // namespace

uint32_t kaGraphicsManager::_ScreenshotRowBytes(uint32_t width)
{
    return (width * 3 + 3) / 4 * 4;
}

std::vector<uint8_t> kaGraphicsManager::_EncodeScreenshot(const FrameCapture& frame, uint32_t width,
                                                          uint32_t height)
{
    const uint32_t rowBytes = _ScreenshotRowBytes(width);
    const uint32_t imageBytes = rowBytes * height;
    std::vector<uint8_t> out;
    out.reserve(kFileHeaderBytes + kInfoHeaderBytes + imageBytes);
    out.push_back('B');
    out.push_back('M');
    Put32(out, kFileHeaderBytes + kInfoHeaderBytes + imageBytes);
    Put16(out, 0);
    Put16(out, 0);
    Put32(out, kFileHeaderBytes + kInfoHeaderBytes);

    Put32(out, kInfoHeaderBytes);
    Put32(out, width);
    Put32(out, height);
    Put16(out, 1);
    Put16(out, kBitsPerPixel);
    Put32(out, 0); // uncompressed
    Put32(out, imageBytes);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);

    // Rows bottom-up; whatever of the client area lies outside the captured frame stays black.
    const size_t captured = static_cast<size_t>(frame.Width) * frame.Height * 3;
    const bool usable = frame.Rows.size() >= captured;
    for (uint32_t row = height; row-- > 0;)
    {
        const size_t start = out.size();
        out.resize(start + rowBytes, 0);
        if (!usable || row >= frame.Height)
            continue;
        const uint32_t copied = std::min(width, frame.Width);
        const uint8_t* source = &frame.Rows[static_cast<size_t>(row) * frame.Width * 3];
        std::copy(source, source + static_cast<size_t>(copied) * 3, out.begin() + static_cast<long>(start));
    }
    return out;
}

std::string kaGraphicsManager::_NextScreenshotName(const std::string& baseName)
{
    std::string name = baseName + ".bmp";
    for (uint32_t n = 1; PathExists(name); ++n)
    {
        if (n > kMaxScreenshotNumber)
            return std::string();
        name = baseName + "_" + std::to_string(n) + ".bmp";
    }
    return name;
}

bool kaGraphicsManager::SaveScreenshot(WindowHandle window, const std::string& baseName)
{
    if (!m_pDevice)
        return false;
    FrameCapture frame;
    if (GfxFailed(m_pDevice->CaptureFrame(&frame)))
        return false;
    uint32_t width = frame.Width;
    uint32_t height = frame.Height;
    Rect client;
    if (window && GetClientRect(window, client))
    {
        width = static_cast<uint32_t>(std::max(0, client.right - client.left));
        height = static_cast<uint32_t>(std::max(0, client.bottom - client.top));
    }
    if (width == 0 || height == 0)
        return false;

    const std::string name = _NextScreenshotName(baseName);
    if (name.empty())
    {
        DebugPrintf("[kaGraphicsManager::SaveScreenshot] : no free name for %s\n", baseName.c_str());
        return false;
    }
    const std::vector<uint8_t> bytes = _EncodeScreenshot(frame, width, height);
    platform::SafeFileWriter writer(name);
    if (!writer.Write(bytes.data(), bytes.size()) || !writer.Commit())
    {
        DebugPrintf("[kaGraphicsManager::SaveScreenshot] : cannot write %s\n", name.c_str());
        return false;
    }
    return true;
}

// Display modes.

void kaGraphicsManager::_FillModePresentParameters(WindowHandle window)
{
    const kaD3DAdapterInfo& adapter = m_Adapters[m_CurrentAdapter];
    const kaD3DDeviceInfo& device = adapter.devices[adapter.currentDevice];
    m_PresentParameters.Windowed = !m_FullScreen;
    m_PresentParameters.MultiSampleType =
        m_FullScreen ? device.fullScreenMultiSample : device.windowedMultiSample;
    if (device.currentMode < device.numModes)
        m_PresentParameters.AutoDepthStencilFormat = device.modes[device.currentMode].depthStencilFormat;
    m_PresentParameters.DeviceWindow = window;
    m_PresentParameters.BackBufferWidth = m_DisplayWidth;
    m_PresentParameters.BackBufferHeight = m_DisplayHeight;
    m_PresentParameters.BackBufferFormat = m_FullScreen ? m_DisplayFormat : adapter.desktopMode.Format;
}

bool kaGraphicsManager::_HasCurrentDeviceSlot() const
{
    return m_CurrentAdapter < m_NumAdapters &&
           m_Adapters[m_CurrentAdapter].currentDevice < m_Adapters[m_CurrentAdapter].numDevices;
}

platform::GfxResult kaGraphicsManager::ToggleFullscreen(WindowHandle window)
{
    if (!m_pDevice || !_HasCurrentDeviceSlot())
        return GFX_E_FAIL;
    kaD3DAdapterInfo& adapter = m_Adapters[m_CurrentAdapter];
    kaD3DDeviceInfo& device = adapter.devices[adapter.currentDevice];
    if (m_FullScreen && !device.canDoWindowed)
        return SwitchToWindowed(window);

    m_FullScreen = !m_FullScreen;
    device.windowed = !m_FullScreen;
    m_WindowStyle = m_FullScreen ? kFullScreenStyle : m_WindowedStyle;
    _FillModePresentParameters(window);
    if (GfxSucceeded(ResetDevice()))
        return GFX_OK;
    return m_FullScreen ? GFX_E_FAIL : SwitchToWindowed(window);
}

platform::GfxResult kaGraphicsManager::ChangeResolution(WindowHandle window, const kaDisplayMode& mode,
                                                        bool fullScreen)
{
    if (!m_pDevice || !_HasCurrentDeviceSlot())
        return GFX_E_FAIL;
    if (m_FullScreen != fullScreen)
        ToggleFullscreen(window);

    const kaD3DAdapterInfo& adapter = m_Adapters[m_CurrentAdapter];
    kaPixelLayout layout;
    GetPixelFormatInfo(m_FullScreen ? mode.format : adapter.desktopMode.Format, layout);
    m_BitsPerPixel = layout.bitsPerPixel;

    m_DisplayWidth = mode.width;
    m_DisplayHeight = mode.height;
    m_ScreenWidth = mode.width;
    m_ScreenHeight = mode.height;
    m_CurrentWidth = mode.width;
    m_CurrentHeight = mode.height;

    const GfxResult chosen = ChooseBackBufferFormat();
    if (GfxFailed(chosen))
        return chosen;

    m_WindowStyle = m_FullScreen ? kFullScreenStyle : m_WindowedStyle;
    if (!m_FullScreen)
        _PlaceWindow(window);
    _FillModePresentParameters(window);
    return ResetDevice();
}
