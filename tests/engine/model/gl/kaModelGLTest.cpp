#include "engine/core/kaClock.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaModelManager.h"
#include "engine/render/kaGraphicsManager.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector3.h"
#include "platform/system/ManualClock.h"
#include "tests/support/FrameReading.h"
#include "tests/support/HeadlessGraphics.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace platform;

namespace
{

const std::string kContent = std::string(TARVOLIN_CONTENT) + "/";

// The generated motorcycle and its rider, loaded from their descriptors and drawn headless.
class ModelOpenGLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        _ResetClockState();
        m_Clock = std::make_unique<ManualClock>();
        GetTime(5);
        ASSERT_TRUE(m_Graphics.Start(testsupport::HeadlessGraphics::WindowedConfig(320, 240, true)));
        m_Manager = m_Graphics.Manager();
        ASSERT_NE(m_Manager->GetDevice(), nullptr);
    }

    void TearDown() override
    {
        for (kaModel* model : m_Shown)
            m_Manager->DetachSceneObject(model);
        m_Models.DeleteAll();
        m_Graphics.Stop();
        m_Clock.reset();
        _ResetClockState();
    }

    // A camera at (0, 1, -4) looking at (0, 1, 0).
    void PlaceCamera()
    {
        testsupport::PlaceCamera(m_Manager->GetDevice(), Vector3(0.0f, 1.0f, -4.0f), Vector3(0.0f, 1.0f, 0.0f), 1.0f,
                                 320.0f / 240.0f, 0.5f, 50.0f);
    }

    void Show(kaModel* model)
    {
        ASSERT_TRUE(m_Manager->AddSceneObject(model, false));
        m_Shown.push_back(model);
    }

    FrameCapture Frame()
    {
        PlaceCamera();
        m_Manager->Render(false, false);
        FrameCapture frame;
        EXPECT_EQ(m_Manager->GetDevice()->CaptureFrame(&frame), GFX_OK);
        return frame;
    }

    testsupport::HeadlessGraphics m_Graphics{"ModelGL", 100, 100};
    std::unique_ptr<ManualClock> m_Clock;
    kaGraphicsManager* m_Manager = nullptr;
    kaModelManager m_Models;
    std::vector<kaModel*> m_Shown;
};

TEST_F(ModelOpenGLTest, TheRiderLeansIntoATurnCrossFadedFromTheCentre)
{
    kaModel* bike =
        m_Models.LoadModelDescriptor(kContent + "resources/models/motorcycle/motorcycle.xml", kContent);
    kaModel* rider =
        m_Models.LoadModelDescriptor(kContent + "resources/models/motorcycle/rider.xml", kContent);
    ASSERT_NE(bike, nullptr);
    ASSERT_NE(rider, nullptr);
    ASSERT_GT(bike->GetMesh()->GetSubsetCount(), 0u);
    ASSERT_TRUE(rider->IsSkinned());
    ASSERT_EQ(rider->GetAnimations().size(), 5u);
    m_Manager->SetClearColor(0xFF203040);
    Show(bike);
    Show(rider);

    rider->PlayAnimation("TurnCenter", true, 0.0f, 1.0f, 0);
    const FrameCapture first = Frame();
    rider->CrossFadeAnimation("TurnLeft", true, 0.5f, 1.0f, 0);
    FrameCapture last;
    for (int frame = 0; frame < 10; ++frame)
    {
        m_Clock->AdvanceSeconds(0.1);
        last = Frame();
    }
    ASSERT_EQ(first.Rows.size(), last.Rows.size());
    ASSERT_EQ(first.Width, 320u);

    // The turn has finished fading in: only "TurnLeft" is left on the channel.
    ASSERT_EQ(rider->GetChannels().size(), 1u);

    // Pixels that are not the background in the first frame: something is drawn at all.
    size_t drawn = 0;
    size_t changed = 0;
    for (size_t at = 0; at + 2 < first.Rows.size(); at += 3)
    {
        const bool background =
            first.Rows[at] == 0x40 && first.Rows[at + 1] == 0x30 && first.Rows[at + 2] == 0x20;
        drawn += background ? 0 : 1;
        if (first.Rows[at] != last.Rows[at] || first.Rows[at + 1] != last.Rows[at + 1] ||
            first.Rows[at + 2] != last.Rows[at + 2])
            ++changed;
    }
    EXPECT_GT(drawn, 1000u);
    // The leaning torso and head move a visible number of pixels.
    EXPECT_GT(changed, 100u);
}

} // namespace
