#include "engine/render/kaGraphicsManager.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector3.h"
#include "tests/support/FrameReading.h"
#include "tests/support/HeadlessGraphics.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

using namespace platform;

namespace
{

using testsupport::Near;
using testsupport::Rgb;

// A whole frame through the render pass on the real back end, headless.
class FrameOpenGLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Graphics.Start(testsupport::HeadlessGraphics::WindowedConfig(640, 480, true)));
        m_Manager = m_Graphics.Manager();
        ASSERT_NE(m_Manager->GetDevice(), nullptr);
    }

    // A camera at (0, 0, -10) looking along +Z: a quarter-turn vertical field of view at 4:3, so the
    // plane z = 0 shows x in -13.3..13.3 and y in -10..10, 24 pixels a unit.
    void PlaceCamera()
    {
        testsupport::PlaceCamera(m_Manager->GetDevice(), Vector3(0.0f, 0.0f, -10.0f), Vector3(), 1.5707964f,
                                 640.0f / 480.0f, 1.0f, 100.0f);
    }

    Rgb Pixel(int x, int y) const { return testsupport::FramePixel(m_Frame, x, y); }

    bool LineNear(int x, int y, const Rgb& color) const
    {
        return testsupport::LineNear([this](int px, int py) { return Pixel(px, py); }, x, y, color);
    }

    void Screen(const Vector3& point, int& x, int& y) const { testsupport::ScreenPoint(*m_Manager, point, x, y); }

    testsupport::HeadlessGraphics m_Graphics{"FrameGL", 100, 100};
    kaGraphicsManager* m_Manager = nullptr;
    FrameCapture m_Frame;
};

TEST_F(FrameOpenGLTest, DebugAxesBoxAndSphereDrawOverTheClearedBackground)
{
    PlaceCamera();
    const Rgb background = {0x20, 0x30, 0x40};
    m_Manager->SetClearColor(0xFF203040);

    // Red axes from (-8, -6, 0), a green box from (4, 2, -1) to (8, 6, 1), a blue sphere of radius 3 about
    // the origin.
    m_Manager->DebugDrawAxes(-8.0f, -6.0f, 0.0f, 4.0f, 1.0f, 0.0f, 0.0f, 1.0f);
    Vector3 corners[8];
    for (int i = 0; i < 8; ++i)
        corners[i] = Vector3((i & 2) ? 8.0f : 4.0f, (i & 1) ? 6.0f : 2.0f, (i & 4) ? 1.0f : -1.0f);
    m_Manager->DebugDrawBox(corners, 0.0f, 1.0f, 0.0f, 1.0f, true);
    m_Manager->DebugDrawSphere(0.0f, 0.0f, 0.0f, 3.0f, 0.0f, 0.0f, 1.0f, 1.0f, true);

    m_Manager->Render(true, false);
    ASSERT_EQ(m_Manager->GetDevice()->CaptureFrame(&m_Frame), GFX_OK);
    ASSERT_EQ(m_Frame.Width, 640u);
    ASSERT_EQ(m_Frame.Height, 480u);
    EXPECT_TRUE(m_Manager->GetDebugPrimitives().empty());

    const Rgb red = {255, 0, 0};
    const Rgb green = {0, 255, 0};
    const Rgb blue = {0, 0, 255};
    int x = 0;
    int y = 0;

    // The middle of the X axis and of the Y axis.
    Screen(Vector3(-6.0f, -6.0f, 0.0f), x, y);
    EXPECT_TRUE(LineNear(x, y, red)) << x << "," << y;
    Screen(Vector3(-8.0f, -4.0f, 0.0f), x, y);
    EXPECT_TRUE(LineNear(x, y, red)) << x << "," << y;

    // The middle of the box's front bottom edge and of its back top edge.
    Screen(Vector3(6.0f, 2.0f, -1.0f), x, y);
    EXPECT_TRUE(LineNear(x, y, green)) << x << "," << y;
    Screen(Vector3(6.0f, 6.0f, 1.0f), x, y);
    EXPECT_TRUE(LineNear(x, y, green)) << x << "," << y;

    // The sphere's circle in the XY plane, right and top.
    Screen(Vector3(3.0f, 0.0f, 0.0f), x, y);
    EXPECT_TRUE(LineNear(x, y, blue)) << x << "," << y;
    Screen(Vector3(0.0f, 3.0f, 0.0f), x, y);
    EXPECT_TRUE(LineNear(x, y, blue)) << x << "," << y;

    // Away from every line the background shows: the corners, the inside of the box's faces, and
    // between the sphere's outline and its centre.
    for (auto [px, py] : {std::pair{5, 5}, std::pair{634, 474}, std::pair{320, 60}})
        EXPECT_TRUE(Near(Pixel(px, py), background)) << px << "," << py;
    Screen(Vector3(6.0f, 4.0f, -1.0f), x, y);
    EXPECT_TRUE(Near(Pixel(x, y), background)) << x << "," << y;
    Screen(Vector3(1.5f, 1.5f, 0.0f), x, y);
    EXPECT_TRUE(Near(Pixel(x, y), background)) << x << "," << y;
}

} // namespace
