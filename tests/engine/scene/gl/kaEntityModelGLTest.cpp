#include "engine/core/kaClock.h"
#include "engine/core/kaFileSystem.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaModelManager.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaWorld.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector3.h"
#include "platform/system/ManualClock.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/HeadlessGraphics.h"

#include "tests/support/engine/scene/EntityPass.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <memory>
#include <string>

using namespace platform;

namespace
{

using scenetest::EntityPass;

struct Rgb
{
    uint8_t r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

const Rgb kBackground{0x20, 0x30, 0x40};

class EntityModelOpenGLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        _ResetClockState();
        m_Clock = std::make_unique<ManualClock>();
        ASSERT_TRUE(m_Graphics.Start(testsupport::HeadlessGraphics::WindowedConfig(320, 240, true)));
        m_Manager = m_Graphics.Manager();
        ASSERT_NE(m_Manager->GetDevice(), nullptr);
        m_Manager->SetClearColor(0xFF203040);
        ASSERT_TRUE(m_Manager->AddSceneObject(&m_Pass, false));
    }

    void TearDown() override
    {
        m_Manager->DetachSceneObject(&m_Pass);
        m_World.reset();
        m_Models.DeleteAll();
        m_Graphics.Stop();
        m_Clock.reset();
        _ResetClockState();
    }

    kaEntityModel* Add(const std::string& file, float x)
    {
        TiXmlDocument document;
        document.Parse(("<Entity><kmfFilename>" + file + "</kmfFilename><position><x>" + std::to_string(x) +
                        "</x><y>0</y><z>0</z></position></Entity>")
                           .c_str());
        auto* entity = new kaEntityModel;
        entity->ReadXml(document.RootElement());
        EXPECT_TRUE(m_World->AddEntity(entity, true, true));
        return entity;
    }

    // Counts the pixels of one colour, or, for the background, those that differ from it.
    size_t Count(const Rgb& colour)
    {
        Matrix view;
        Matrix projection;
        const Vector3 eye(1.0f, 3.0f, -6.0f);
        const Vector3 at(0.0f, 0.5f, 0.0f);
        const Vector3 up(0.0f, 1.0f, 0.0f);
        MatrixLookAtLH(&view, &eye, &at, &up);
        MatrixPerspectiveFovLH(&projection, 1.0f, 320.0f / 240.0f, 0.5f, 50.0f);
        m_Manager->GetDevice()->SetTransform(TS_VIEW, &view);
        m_Manager->GetDevice()->SetTransform(TS_PROJECTION, &projection);
        m_Manager->Render(true, false);
        FrameCapture frame;
        EXPECT_EQ(m_Manager->GetDevice()->CaptureFrame(&frame), GFX_OK);
        size_t count = 0;
        for (size_t at = 0; at + 2 < frame.Rows.size(); at += 3)
        {
            const Rgb pixel{frame.Rows[at + 2], frame.Rows[at + 1], frame.Rows[at]};
            count += colour == kBackground ? !(pixel == kBackground) : pixel == colour;
        }
        return count;
    }

    testsupport::HeadlessGraphics m_Graphics{"EntityModelGL", 100, 100};
    testsupport::CurrentDirectory m_Content{TARVOLIN_CONTENT_DIR};
    std::unique_ptr<ManualClock> m_Clock;
    kaGraphicsManager* m_Manager = nullptr;
    kaFileSystem m_Files;
    kaModelManager m_Models;
    std::unique_ptr<kaWorld> m_World = std::make_unique<kaWorld>();
    EntityPass m_Pass{*m_World};
};

TEST_F(EntityModelOpenGLTest, ModelEntitiesShowTheirModelsAxesAndSelectionBox)
{
    kaEntityModel* crate = Add("resources/models/crate/crate.kmf", -1.0f);
    kaEntityModel* car = Add("resources/models/car/car.kmf", 2.0f);
    const size_t both = Count(kBackground);
    EXPECT_GT(both, 2000u);

    car->GetModel()->m_Hidden = true;
    const size_t crateOnly = Count(kBackground);
    EXPECT_GT(crateOnly, 500u);
    EXPECT_LT(crateOnly + 1000u, both);
    crate->GetModel()->m_Hidden = true;
    EXPECT_EQ(Count(kBackground), 0u);

    // Hidden models leave only the debug drawing: axes in mode 1, the selected entity's box in white.
    const Rgb red{0xFF, 0, 0}, green{0, 0xFF, 0}, blue{0, 0, 0xFF}, white{0xFF, 0xFF, 0xFF};
    m_World->SetDebugDisplayMode(kaWorld::kDebugAxes);
    m_World->CycleDebugDisplay();
    EXPECT_GT(Count(red), 40u);
    EXPECT_GT(Count(green), 40u);
    EXPECT_GT(Count(blue), 10u);
    EXPECT_EQ(Count(white), 0u);
    crate->SetSelected(true, nullptr);
    EXPECT_GT(Count(white), 40u);
    m_World->SetDebugDisplayMode(0);
    m_World->CycleDebugDisplay();
    EXPECT_EQ(Count(red), 0u);
}

} // namespace
