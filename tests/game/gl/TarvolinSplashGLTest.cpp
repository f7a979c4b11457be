#include "platform/gfx/GfxDevice.h"
#include "tests/support/FrameReading.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/Recorders.h"

#include <gtest/gtest.h>

using gametest::RecordingTarvolin;
using testsupport::FramePixel;
using testsupport::HeadlessGame;
using testsupport::Rgb;

// The publisher's picture drawn through OpenGL: 512 pixels square in the middle of the 800 x 600 window
// on black.
TEST(TarvolinSplashGLTest, ThePublisherPictureFillsItsSquareInTheMiddleOfABlackScreen)
{
    HeadlessGame::Options options;
    options.realGraphics = true;
    options.makeApp = [] { return std::make_unique<RecordingTarvolin>(); };
    HeadlessGame game(options);
    auto& app = static_cast<RecordingTarvolin&>(game.App());
    platform::FrameCapture frame;
    bool captured = false;
    app.onRender = [&](RecordingTarvolin& self)
    {
        // The frame before this one showed the picture: read it back once.
        const auto& frames = self.frames;
        if (captured || frames.size() < 2 || frames[frames.size() - 2].image != Tarvolin::kPublisherSplash)
            return;
        captured = self.GetGraphicsManager()->GetDevice()->CaptureFrame(&frame) == platform::GFX_OK;
        // The rest of start-up is not needed.
        self.EndSplash();
    };
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(captured);
    ASSERT_EQ(frame.Width, 800u);
    ASSERT_EQ(frame.Height, 600u);
    const Rgb black{0, 0, 0};
    for (const auto& corner : {std::pair<int, int>{5, 5}, {794, 5}, {5, 594}, {794, 594}, {400 - 270, 300}})
        EXPECT_TRUE(testsupport::Near(FramePixel(frame, corner.first, corner.second), black))
            << corner.first << "," << corner.second;
    // The picture runs from dark on its left edge to bright green on its right.
    const Rgb left = FramePixel(frame, 400 - 250, 300);
    const Rgb right = FramePixel(frame, 400 + 250, 300);
    EXPECT_GT(right.g, left.g + 80);
    EXPECT_GT(right.g, right.r);
    EXPECT_FALSE(testsupport::Near(FramePixel(frame, 400, 60), black));
    EXPECT_TRUE(testsupport::Near(FramePixel(frame, 400, 30), black));
}
