#pragma once

// Reading drawn frames back in the pixel tests: a captured frame or a saved 24-bit bitmap, the colour
// of a pixel, whether a line passes near a point, and the camera the tests place.

#include "engine/render/kaGraphicsManager.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxTypes.h"
#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector3.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace testsupport
{

struct Rgb
{
    int r, g, b;
};

// Channels within 8 of each other: rasterisers differ in their last bits.
inline bool Near(const Rgb& a, const Rgb& b)
{
    return std::abs(a.r - b.r) <= 8 && std::abs(a.g - b.g) <= 8 && std::abs(a.b - b.b) <= 8;
}

// (x, y) from the top-left corner of a frame read back from the device, whose rows hold blue, green
// and red bytes.
inline Rgb FramePixel(const platform::FrameCapture& frame, int x, int y)
{
    const size_t at = (static_cast<size_t>(y) * frame.Width + x) * 3;
    return {frame.Rows[at + 2], frame.Rows[at + 1], frame.Rows[at]};
}

// Whether a one-pixel line of the colour passes within two pixels of (x, y); pixel(x, y) reads the image.
template <typename PixelOf> bool LineNear(const PixelOf& pixel, int x, int y, const Rgb& color)
{
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            if (Near(pixel(x + dx, y + dy), color))
                return true;
    return false;
}

// Where a point of the scene lands, through the manager's own projection.
inline void ScreenPoint(const kaGraphicsManager& manager, const platform::Vector3& point, int& x, int& y)
{
    const platform::Vector3 screen = manager.ProjectToScreen(point);
    x = static_cast<int>(screen.x);
    y = static_cast<int>(screen.y);
}

// A left-handed camera with +y up, set as the device's view and projection.
inline void PlaceCamera(platform::GfxDevice* device, const platform::Vector3& eye, const platform::Vector3& at,
                        float fieldOfView, float aspect, float nearZ, float farZ)
{
    platform::Matrix view;
    platform::Matrix projection;
    const platform::Vector3 up(0.0f, 1.0f, 0.0f);
    platform::MatrixLookAtLH(&view, &eye, &at, &up);
    platform::MatrixPerspectiveFovLH(&projection, fieldOfView, aspect, nearZ, farZ);
    device->SetTransform(platform::TS_VIEW, &view);
    device->SetTransform(platform::TS_PROJECTION, &projection);
}

// A saved 24-bit bitmap, read back whole.
class SavedBitmap
{
public:
    explicit SavedBitmap(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        m_Bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (m_Bytes.size() < 54)
            return;
        m_Width = static_cast<int>(Read32(18));
        m_Height = static_cast<int>(Read32(22));
        m_RowBytes = (m_Width * 3 + 3) / 4 * 4;
    }

    const std::vector<uint8_t>& Bytes() const { return m_Bytes; }
    bool IsValid() const { return m_Bytes.size() == 54 + static_cast<size_t>(m_RowBytes) * m_Height; }
    int Width() const { return m_Width; }
    int Height() const { return m_Height; }

    uint32_t Read16(size_t at) const { return m_Bytes[at] | m_Bytes[at + 1] << 8; }
    uint32_t Read32(size_t at) const { return Read16(at) | Read16(at + 2) << 16; }

    // (x, y) from the top-left corner, as on screen.
    Rgb Pixel(int x, int y) const
    {
        const size_t at =
            54 + static_cast<size_t>(m_Height - 1 - y) * m_RowBytes + static_cast<size_t>(x) * 3;
        return {m_Bytes[at + 2], m_Bytes[at + 1], m_Bytes[at]};
    }

private:
    std::vector<uint8_t> m_Bytes;
    int m_Width = 0;
    int m_Height = 0;
    int m_RowBytes = 0;
};

} // namespace testsupport
