#include "engine/render/kaGraphicsManager.h"

#include "platform/gfx/GfxDevice.h"
#include "tests/support/HeadlessGraphics.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace platform;

namespace
{

const char* const kSampleConfig = "[Begin Tarvolin Config]\n"
                                  "SoundVolume=80\n"
                                  "[End Tarvolin Config]\n"
                                  "[Begin Graphics Config]\n"
                                  "3DHardware=1\n"
                                  "FullScreen=0\n"
                                  "FSDisplayWidth=640\n"
                                  "FSDisplayHeight=480\n"
                                  "FS3DDisplayWidth=640\n"
                                  "FS3DDisplayHeight=480\n"
                                  "BitsPerPixel=32\n"
                                  "GfxDetail=1\n"
                                  "MagMinFiltering=Linear\n"
                                  "EnableDepthStencil=1\n"
                                  "DepthStencilFormat=D16\n"
                                  "DisplayDriver=Default\n"
                                  "[End Graphics Config]\n";

// The real back end, headless: a window without a native window behind it draws offscreen.
TEST(GraphicsManagerOpenGLTest, StartsFromASampleConfigurationAndPresentsAClearedFrame)
{
    testsupport::HeadlessGraphics graphics("GraphicsSmoke", 100, 100);
    {
        ASSERT_TRUE(graphics.Start(kSampleConfig));
        kaGraphicsManager& manager = *graphics.Manager();
        GfxDevice* device = manager.GetDevice();
        ASSERT_NE(device, nullptr);
        EXPECT_EQ(manager.GetPresentParameters().BackBufferWidth, 640u);
        EXPECT_NE(manager.GetMaxVertexCount(), 0u);

        const GfxColor clear = 0xFF3366CC;
        ASSERT_EQ(device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, clear, 1.0f, 0), GFX_OK);
        ASSERT_EQ(device->Present(), GFX_OK);
        FrameCapture frame;
        ASSERT_EQ(device->CaptureFrame(&frame), GFX_OK);
        ASSERT_EQ(frame.Width, 640u);
        ASSERT_EQ(frame.Height, 480u);
        ASSERT_EQ(frame.Rows.size(), size_t(640) * 480 * 3);
        for (size_t pixel : {size_t(0), size_t(640 * 240 + 320), size_t(640 * 480 - 1)})
        {
            EXPECT_EQ(frame.Rows[pixel * 3 + 0], 0xCC);
            EXPECT_EQ(frame.Rows[pixel * 3 + 1], 0x66);
            EXPECT_EQ(frame.Rows[pixel * 3 + 2], 0x33);
        }
        graphics.Stop();
    }
    // The configuration was written back with the game's section in place.
    EXPECT_EQ(graphics.Dir().Read("Tarvolin.cfg").rfind("[Begin Tarvolin Config]\nSoundVolume=80\n", 0), 0u);
}

} // namespace
