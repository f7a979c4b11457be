#include "engine/render/kaGraphicsManager.h"

#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include "platform/files/Files.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/window/Window.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace platform;

namespace
{

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Read32(const std::vector<uint8_t>& bytes, size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

uint32_t Read16(const std::vector<uint8_t>& bytes, size_t at)
{
    return bytes[at] | bytes[at + 1] << 8;
}

class ScreenshotTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(Start(nullptr)); }

    // A frame of one colour with a red pixel in its top-left corner, presented.
    void PresentFrame()
    {
        GfxDevice* device = m_Manager->GetDevice();
        device->Clear(0, nullptr, CLEAR_TARGET, 0xFF102030, 1.0f, 0);
        const GfxRect corner{0, 0, 1, 1};
        device->Clear(1, &corner, CLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
        device->Present();
    }

    WindowHandle MakeWindow(int width, int height)
    {
        return CreateWindow(0, "GraphicsTest", "Shot", 0, 0, 0, width, height, nullptr, nullptr);
    }

    std::string Base() const { return m_Dir.File("screenshot"); }
};

} // namespace

TEST_F(ScreenshotTest, WritesA24BitBottomUpBitmapOfTheClientArea)
{
    PresentFrame();
    ASSERT_TRUE(m_Manager->SaveScreenshot(m_Window, Base()));
    const std::vector<uint8_t> bytes = ReadBytes(Base() + ".bmp");
    Rect client;
    ASSERT_TRUE(GetClientRect(m_Window, client));
    const uint32_t width = static_cast<uint32_t>(client.right - client.left);
    const uint32_t height = static_cast<uint32_t>(client.bottom - client.top);
    ASSERT_EQ(width * 3 % 4, 0u);
    const uint32_t image = width * 3 * height;
    ASSERT_EQ(bytes.size(), 54u + image);

    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(Read32(bytes, 2), 54u + image);
    EXPECT_EQ(Read32(bytes, 6), 0u);
    EXPECT_EQ(Read32(bytes, 10), 54u);
    EXPECT_EQ(Read32(bytes, 14), 40u);
    EXPECT_EQ(Read32(bytes, 18), width);
    EXPECT_EQ(Read32(bytes, 22), height);
    EXPECT_EQ(Read16(bytes, 26), 1u);
    EXPECT_EQ(Read16(bytes, 28), 24u);
    EXPECT_EQ(Read32(bytes, 30), 0u);
    EXPECT_EQ(Read32(bytes, 34), image);
    for (size_t at = 38; at < 54; ++at)
        EXPECT_EQ(bytes[at], 0u) << at;

    // The top-left pixel ends the file's last row; blue, green, red.
    const size_t topRow = 54 + static_cast<size_t>(height - 1) * width * 3;
    EXPECT_EQ(bytes[topRow + 0], 0x00);
    EXPECT_EQ(bytes[topRow + 1], 0x00);
    EXPECT_EQ(bytes[topRow + 2], 0xFF);
    EXPECT_EQ(bytes[topRow + 3], 0x30);
    EXPECT_EQ(bytes[topRow + 4], 0x20);
    EXPECT_EQ(bytes[topRow + 5], 0x10);
    EXPECT_EQ(bytes[54], 0x30);
    EXPECT_EQ(m_Dir.Entries(), std::vector<std::string>{"screenshot.bmp"});
}

TEST_F(ScreenshotTest, RowsOfAnOddWidthArePaddedToFourBytes)
{
    PresentFrame();
    WindowHandle narrow = MakeWindow(101, 3);
    ASSERT_NE(narrow, nullptr);
    Rect client;
    ASSERT_TRUE(GetClientRect(narrow, client));
    ASSERT_EQ(client.right - client.left, 101);
    ASSERT_EQ(client.bottom - client.top, 3);
    ASSERT_TRUE(m_Manager->SaveScreenshot(narrow, Base()));
    const std::vector<uint8_t> bytes = ReadBytes(Base() + ".bmp");
    // 303 bytes of pixels, padded to 304.
    ASSERT_EQ(bytes.size(), 54u + 3 * 304);
    EXPECT_EQ(Read32(bytes, 34), 3u * 304);
    EXPECT_EQ(Read32(bytes, 2), 54u + 3 * 304);
    for (size_t row = 0; row < 3; ++row)
    {
        EXPECT_EQ(bytes[54 + row * 304 + 303], 0u) << row;
        EXPECT_EQ(bytes[54 + row * 304 + 300], 0x30) << row;
    }
    // The top-left pixel starts the last row.
    EXPECT_EQ(bytes[54 + 2 * 304 + 2], 0xFF);
    DestroyWindow(narrow);
}

TEST_F(ScreenshotTest, TakesTheFirstFreeNameOfTheSequence)
{
    PresentFrame();
    m_Dir.Write("screenshot_1.bmp", "taken");
    ASSERT_TRUE(m_Manager->SaveScreenshot(m_Window, Base()));
    EXPECT_TRUE(PathExists(Base() + ".bmp"));
    ASSERT_TRUE(m_Manager->SaveScreenshot(m_Window, Base()));
    EXPECT_TRUE(PathExists(Base() + "_2.bmp"));
    ASSERT_TRUE(m_Manager->SaveScreenshot(m_Window, Base()));
    EXPECT_TRUE(PathExists(Base() + "_3.bmp"));
    // What was there stays as it was.
    EXPECT_EQ(ReadBytes(Base() + "_1.bmp").size(), 5u);
    // Base names keep their Windows spelling.
    ASSERT_TRUE(CreateDirectory(m_Dir.File("ScreenShots")));
    ASSERT_TRUE(m_Manager->SaveScreenshot(m_Window, m_Dir.File("ScreenShots") + "\\screenshot"));
    EXPECT_TRUE(PathExists(m_Dir.File("ScreenShots/screenshot.bmp")));
}

TEST_F(ScreenshotTest, BeforeTheFirstFrameTheShotIsBlack)
{
    ASSERT_TRUE(m_Manager->SaveScreenshot(m_Window, Base()));
    const std::vector<uint8_t> bytes = ReadBytes(Base() + ".bmp");
    ASSERT_GT(bytes.size(), 54u);
    for (size_t at = 54; at < bytes.size(); ++at)
        ASSERT_EQ(bytes[at], 0u) << at;
}

TEST_F(ScreenshotTest, NothingIsWrittenWhenTheFrameCannotBeRead)
{
    Device()->FailNext("CaptureFrame", GFX_E_FAIL);
    EXPECT_FALSE(m_Manager->SaveScreenshot(m_Window, Base()));
    EXPECT_FALSE(PathExists(Base() + ".bmp"));
    EXPECT_FALSE(m_Manager->SaveScreenshot(m_Window, m_Dir.File("missing/screenshot")));
    EXPECT_TRUE(m_Dir.Entries().empty());
}

// Display modes.

namespace
{

class DisplayModeTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(Start(nullptr)); }

    std::vector<std::string> Resets() const { return CallsOf("Reset"); }
};

} // namespace

TEST_F(DisplayModeTest, StayingWindowedResizesRecentresAndResetsWithoutANewDevice)
{
    ASSERT_FALSE(m_Manager->IsFullScreen());
    TestDevice* before = Device();
    kaDisplayMode mode;
    mode.width = 640;
    mode.height = 480;
    mode.format = FMT_R5G6B5;
    EXPECT_EQ(m_Manager->ChangeResolution(m_Window, mode, false), GFX_OK);
    EXPECT_EQ(Device(), before);
    EXPECT_EQ(Resets(), (std::vector<std::string>{"640 480 " + std::to_string(FMT_X8R8G8B8) + " 1"}));
    EXPECT_EQ(m_Manager->GetDisplayWidth(), 640u);
    EXPECT_EQ(m_Manager->GetScreenHeight(), 480u);
    EXPECT_EQ(m_Manager->GetCurrentWidth(), 640u);
    // Windowed: the desktop's depth, not the mode's.
    EXPECT_EQ(m_Manager->GetBitsPerPixel(), 32u);
    Rect window;
    ASSERT_TRUE(GetWindowRect(m_Window, window));
    EXPECT_EQ(window.left, (1024 - 640) / 2);
    EXPECT_EQ(window.top, (768 - 480) / 2);
    Rect client;
    ASSERT_TRUE(GetClientRect(m_Window, client));
    EXPECT_EQ(client.right - client.left, 640);
    EXPECT_EQ(client.bottom - client.top, 480);
    EXPECT_EQ(m_Manager->GetWindowStyle(), kaGraphicsManager::kWindowedStyle);
}

TEST_F(DisplayModeTest, ToggleGoesFullScreenInTheDisplayFormatAndBack)
{
    EXPECT_EQ(m_Manager->ToggleFullscreen(m_Window), GFX_OK);
    EXPECT_TRUE(m_Manager->IsFullScreen());
    EXPECT_EQ(m_Manager->GetWindowStyle(), kaGraphicsManager::kFullScreenStyle);
    EXPECT_EQ(m_Manager->GetPresentParameters().Windowed, false);
    EXPECT_EQ(m_Manager->GetPresentParameters().BackBufferFormat, m_Manager->GetDisplayFormat());
    EXPECT_EQ(m_Manager->ToggleFullscreen(m_Window), GFX_OK);
    EXPECT_FALSE(m_Manager->IsFullScreen());
    EXPECT_EQ(m_Manager->GetWindowStyle(), kaGraphicsManager::kWindowedStyle);
    const std::string display = std::to_string(m_Manager->GetDisplayFormat());
    EXPECT_EQ(Resets(), (std::vector<std::string>{"800 600 " + display + " 0",
                                                  "800 600 " + std::to_string(FMT_X8R8G8B8) + " 1"}));
}

TEST_F(DisplayModeTest, ChangingToFullScreenTogglesFirstThenResetsAtTheNewSize)
{
    kaDisplayMode mode;
    mode.width = 1024;
    mode.height = 768;
    mode.format = FMT_R5G6B5;
    EXPECT_EQ(m_Manager->ChangeResolution(m_Window, mode, true), GFX_OK);
    ASSERT_EQ(Resets().size(), 2u);
    EXPECT_EQ(Resets()[0].substr(0, 8), "800 600 ");
    EXPECT_EQ(Resets()[1], "1024 768 " + std::to_string(m_Manager->GetDisplayFormat()) + " 0");
    EXPECT_EQ(m_Manager->GetBitsPerPixel(), 16u);
}

TEST_F(DisplayModeTest, AFailedResetLeavingFullScreenFallsBackToANewWindowedDevice)
{
    ASSERT_EQ(m_Manager->ToggleFullscreen(m_Window), GFX_OK);
    Device()->FailNext("Reset", GFX_E_FAIL);
    EXPECT_EQ(m_Manager->ToggleFullscreen(m_Window), GFX_OK);
    // A fresh device has logged no reset and presents windowed.
    EXPECT_TRUE(Resets().empty());
    EXPECT_TRUE(m_Manager->GetPresentParameters().Windowed);
    EXPECT_FALSE(m_Manager->IsFullScreen());
}

TEST_F(DisplayModeTest, AFailedResetGoingFullScreenIsAFailure)
{
    Device()->FailNext("Reset", GFX_E_FAIL);
    EXPECT_EQ(m_Manager->ToggleFullscreen(m_Window), GFX_E_FAIL);
}

TEST_F(DisplayModeTest, WithoutADeviceNothingChanges)
{
    m_Manager->ReleaseAll();
    kaDisplayMode mode;
    mode.width = 640;
    mode.height = 480;
    EXPECT_EQ(m_Manager->ChangeResolution(m_Window, mode, false), GFX_E_FAIL);
    EXPECT_EQ(m_Manager->ToggleFullscreen(m_Window), GFX_E_FAIL);
    EXPECT_FALSE(m_Manager->SaveScreenshot(m_Window, m_Dir.File("screenshot")));
    EXPECT_EQ(m_Manager->GetDisplayWidth(), 800u);
}
