#include "engine/core/kaFileSystem.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaModelManager.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaLight.h"
#include "engine/scene/kaEntityPhysical.h"
#include "engine/scene/kaJoint.h"
#include "engine/scene/kaPhysicsWorld.h"
#include "platform/gfx/GfxDevice.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/HeadlessGraphics.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

using platform::Vector3;

namespace
{

constexpr uint32_t kPhysicsClear = 0xFF203040;
constexpr float kPhysicsFrame = 1.0f / 30.0f;

float VectorLength(const Vector3& v)
{
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

// The sample course in a physics world, drawn headless from beside the ramp.
class PhysicsWorldOpenGLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Graphics.Start(testsupport::HeadlessGraphics::WindowedConfig(640, 480, true)));
        m_Manager = m_Graphics.Manager();
        m_Manager->SetClearColor(kPhysicsClear);
        ASSERT_TRUE(m_InitData.LoadInitData("InitData"));
        m_World->LoadFile("Worlds/Editor/Sample Course.xml", true);
        m_World->InitializeEntities();
        ASSERT_TRUE(m_Manager->AddSceneObject(m_World.get(), false));
        m_World->AddLight(&m_Light);
        kaCamera* camera = m_World->GetOwnCamera();
        camera->SetAspect(640.0f / 480.0f);
        // East of the ramp, a little up, looking west across it.
        camera->SetPosition(12.0f, 4.0f, 1.0f);
        camera->SetRotationAngles(0.2f, -1.5707964f, 0.0f);
        camera->Rotate();
        camera->UpdateProjection();
    }
    void TearDown() override
    {
        m_Manager->DetachSceneObject(m_World.get());
        m_World->RemoveLight(&m_Light);
        m_World.reset();
        m_Models.DeleteAll();
        m_Graphics.Stop();
    }

    kaEntityPhysical* Named(const std::string& name)
    {
        return dynamic_cast<kaEntityPhysical*>(m_World->FindEntityByName(name));
    }

    platform::FrameCapture Frame()
    {
        m_Manager->Render(false, false);
        platform::FrameCapture frame;
        EXPECT_EQ(m_Manager->GetDevice()->CaptureFrame(&frame), platform::GFX_OK);
        return frame;
    }

    // The centre of the pixels the entity's model takes: those that change when it is hidden.
    bool Centroid(kaEntityPhysical* entity, float& x, float& y)
    {
        const platform::FrameCapture shown = Frame();
        entity->GetModel()->m_Hidden = true;
        const platform::FrameCapture hidden = Frame();
        entity->GetModel()->m_Hidden = false;
        double sumX = 0.0, sumY = 0.0;
        size_t count = 0;
        const size_t width = 640;
        for (size_t at = 0; at + 2 < shown.Rows.size() && at + 2 < hidden.Rows.size(); at += 3)
        {
            if (shown.Rows[at] == hidden.Rows[at] && shown.Rows[at + 1] == hidden.Rows[at + 1] &&
                shown.Rows[at + 2] == hidden.Rows[at + 2])
                continue;
            const size_t pixel = at / 3;
            sumX += static_cast<double>(pixel % width);
            sumY += static_cast<double>(pixel / width);
            ++count;
        }
        if (count < 20)
            return false;
        x = static_cast<float>(sumX / count);
        y = static_cast<float>(sumY / count);
        return true;
    }

    testsupport::HeadlessGraphics m_Graphics{"PhysicsWorldGL", 640, 480};
    testsupport::CurrentDirectory m_Content{TARVOLIN_CONTENT_DIR};
    testsupport::TempDir m_Data;
    kaGraphicsManager* m_Manager = nullptr;
    kaFileSystem m_Files;
    kaInitDataBase m_InitData;
    kaModelManager m_Models;
    // A sun from above and behind the camera.
    kaLight m_Light{3, 0, 0, 0, -0.5f, -1, -0.3f, 1, 1, 1, 1, 0, 0, 0, 0, 0.3f, 0.3f, 0.3f, 1};
    std::unique_ptr<kaPhysicsWorld> m_World = std::make_unique<kaPhysicsWorld>();
};

TEST_F(PhysicsWorldOpenGLTest, TheBallRollsDownThePinnedRampAndItsPixelsMove)
{
    kaEntityPhysical* ramp = Named("Ramp");
    kaEntityPhysical* ball = Named("Ball");
    kaEntityPhysical* crate = Named("Crate");
    ASSERT_NE(ramp, nullptr);
    ASSERT_NE(ball, nullptr);
    ASSERT_NE(crate, nullptr);
    EXPECT_TRUE(ramp->IsPinned());
    EXPECT_EQ(ramp->GetBody(), nullptr);
    ASSERT_NE(ball->GetBody(), nullptr);
    ASSERT_NE(crate->GetBody(), nullptr);

    // On the slope near its top (the ramp rises from z = -2 to 2 high at z = 4), then let go.
    ball->SetPosition(Vector3(0.0f, 2.3f, 2.8f));
    ball->SetBodyEnabled(true);
    float x0 = 0.0f, y0 = 0.0f;
    ASSERT_TRUE(Centroid(ball, x0, y0));
    const Vector3 start = ball->GetBodyPosition();
    for (int frame = 0; frame < 12; ++frame)
        m_World->Update(kPhysicsFrame);
    const Vector3 end = ball->GetBodyPosition();
    EXPECT_LT(end.y, start.y - 0.2f);
    EXPECT_LT(end.z, start.z - 0.5f);
    EXPECT_NEAR(end.x, start.x, 0.05f);
    // Still on the slope: its height above the slope is its radius.
    EXPECT_NEAR(end.y, (end.z + 2.0f) / 3.0f + 0.5f * std::sqrt(10.0f) / 3.0f, 0.05f);
    // Rolling, not sliding.
    const float speed = VectorLength(Vector3(static_cast<float>(dBodyGetLinearVel(ball->GetBody())[0]),
                                             static_cast<float>(dBodyGetLinearVel(ball->GetBody())[1]),
                                             static_cast<float>(dBodyGetLinearVel(ball->GetBody())[2])));
    const float spin = VectorLength(Vector3(static_cast<float>(dBodyGetAngularVel(ball->GetBody())[0]),
                                            static_cast<float>(dBodyGetAngularVel(ball->GetBody())[1]),
                                            static_cast<float>(dBodyGetAngularVel(ball->GetBody())[2])));
    EXPECT_GT(speed, 1.0f);
    EXPECT_NEAR(spin * 0.5f, speed, speed * 0.1f);
    // The model went with the body, and on screen it moved left (towards -z) and down.
    EXPECT_NEAR(VectorLength(ball->GetPosition() - end), 0.0f, 1e-4f);
    float x1 = 0.0f, y1 = 0.0f;
    ASSERT_TRUE(Centroid(ball, x1, y1));
    EXPECT_LT(x1, x0 - 20.0f);
    EXPECT_GT(y1, y0 + 5.0f);
    // Nobody touched the resting crate.
    EXPECT_FALSE(dBodyIsEnabled(crate->GetBody()));
}

TEST_F(PhysicsWorldOpenGLTest, ACrateHungFromAPinnedOneSwingsWithTheirHooksTogether)
{
    m_Data.Write("InitData/hanging.xml",
                 "<root><initData><uniqueID>HangingCrate</uniqueID><data><kmfFilename>"
                 "resources/models/crate/crate.xml</kmfFilename></data></initData></root>");
    ASSERT_TRUE(m_InitData.LoadInitData(m_Data.File("InitData")));
    TiXmlDocument document;
    document.Parse("<Entity><name>Crane</name><kmfFilename>resources/models/crate/crate.xml</kmfFilename>"
                   "<position><x>0</x><y>6</y><z>-3</z></position><pinned>1</pinned>"
                   "<joint><jointClass>kaBallJoint</jointClass><childClass>kaEntityPhysical</childClass>"
                   "<childInitID>HangingCrate</childInitID><parentBone>Bottom</parentBone>"
                   "<childBone>Top</childBone></joint></Entity>");
    auto* crane = new kaEntityPhysical;
    crane->SetWorld(m_World.get());
    crane->ReadXml(document.RootElement());
    ASSERT_TRUE(m_World->AddEntity(crane, true, true));
    crane->Initialize();
    ASSERT_EQ(crane->GetBody(), nullptr);
    ASSERT_EQ(crane->GetJoints().size(), 1u);
    kaEntityPhysical* hanging = crane->GetJoints().front()->GetChild();
    ASSERT_NE(hanging, nullptr);
    const int32_t bottom = crane->GetBoneIndex("Bottom");
    const int32_t top = hanging->GetBoneIndex("Top");
    ASSERT_GE(bottom, 0);
    ASSERT_GE(top, 0);

    float x0 = 0.0f, y0 = 0.0f;
    ASSERT_TRUE(Centroid(hanging, x0, y0));
    hanging->SetBodyEnabled(true);
    hanging->SetLinearVelocity(0.0f, 0.0f, 3.0f);
    float farthest = 0.0f;
    for (int frame = 0; frame < 15; ++frame)
    {
        m_World->Update(kPhysicsFrame);
        const Vector3 gap = crane->GetBoneWorldPosition(bottom) - hanging->GetBoneWorldPosition(top);
        EXPECT_LT(VectorLength(gap), 0.05f) << "frame " << frame;
        farthest = std::max(farthest, hanging->GetBodyPosition().z + 3.0f);
    }
    // It swung out along z and rose as it went.
    EXPECT_GT(farthest, 0.5f);
    EXPECT_GT(hanging->GetBodyPosition().y, 4.0f - 1e-3f);
    float x1 = 0.0f, y1 = 0.0f;
    ASSERT_TRUE(Centroid(hanging, x1, y1));
    EXPECT_GT(std::fabs(x1 - x0), 10.0f);
}

} // namespace
