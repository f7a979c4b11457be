#include "engine/core/kaClock.h"
#include "engine/core/kaFileSystem.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaModelManager.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaParticleEmitter.h"
#include "engine/scene/kaParticleEmitterMgr.h"
#include "engine/scene/kaWorld.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector3.h"
#include "platform/system/ManualClock.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/HeadlessGraphics.h"
#include "tests/support/TempDir.h"

#include "tests/support/engine/scene/EntityPass.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cstdlib>
#include <memory>
#include <string>

using namespace platform;

namespace
{

using scenetest::EntityPass;

// Sparks resting at a lamp post's lamp: bright, then fading out over their second of life.
class ParticleEmitterOpenGLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        _ResetClockState();
        m_Clock = std::make_unique<ManualClock>();
        m_Data.Write("InitData/sparks.xml",
                     "<?xml version=\"1.0\"?><root><initData><uniqueID>Sparks</uniqueID><data>"
                     "<classType>kaParticleEmitter</classType><maxParticles>2</maxParticles>"
                     "<texture>resources/particles/spark.tga</texture><lifeTime>1</lifeTime><emitRate>0</"
                     "emitRate><useGravity>0</useGravity>"
                     "<scaleXStart>0.3</scaleXStart>"
                     "<scaleYStart>0.3</scaleYStart><scaleXEnd>0.3</scaleXEnd><scaleYEnd>0.3</scaleYEnd>"
                     "<colorStart><r>255</r><g>230</g><b>60</b><a>255</a></colorStart>"
                     "<colorEnd><r>255</r><g>230</g><b>60</b><a>0</a></colorEnd></data></initData></root>");
        m_Base.LoadInitData(m_Data.File("InitData"));
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

    // How far the frame's pixels lie from the background, summed over the red and green channels.
    long Brightness()
    {
        Matrix view;
        Matrix projection;
        const Vector3 eye(0.0f, 4.5f, -3.0f);
        const Vector3 at(0.0f, 4.0f, 0.0f);
        const Vector3 up(0.0f, 1.0f, 0.0f);
        MatrixLookAtLH(&view, &eye, &at, &up);
        MatrixPerspectiveFovLH(&projection, 1.0f, 320.0f / 240.0f, 0.5f, 50.0f);
        m_Manager->GetDevice()->SetTransform(TS_VIEW, &view);
        m_Manager->GetDevice()->SetTransform(TS_PROJECTION, &projection);
        m_Manager->Render(true, false);
        FrameCapture frame;
        EXPECT_EQ(m_Manager->GetDevice()->CaptureFrame(&frame), GFX_OK);
        long sum = 0;
        for (size_t i = 0; i + 2 < frame.Rows.size(); i += 3)
            sum += std::abs(frame.Rows[i + 2] - 0x20) + std::abs(frame.Rows[i + 1] - 0x30);
        return sum;
    }

    testsupport::HeadlessGraphics m_Graphics{"ParticleEmitterGL", 100, 100};
    testsupport::CurrentDirectory m_Content{TARVOLIN_CONTENT_DIR};
    testsupport::TempDir m_Data;
    kaInitDataBase m_Base;
    std::unique_ptr<ManualClock> m_Clock;
    kaGraphicsManager* m_Manager = nullptr;
    kaFileSystem m_Files;
    kaModelManager m_Models;
    std::unique_ptr<kaWorld> m_World = std::make_unique<kaWorld>();
    EntityPass m_Pass{*m_World};
};

TEST_F(ParticleEmitterOpenGLTest, SparksOnABoneShowFadeAndSurviveADeviceReset)
{
    TiXmlDocument document;
    document.Parse("<Entity><kmfFilename>resources/models/lamppost/lamppost.xml</kmfFilename>"
                   "<emitter><emitterInitID>Sparks</emitterInitID><bone>Lamp</bone></emitter></Entity>");
    auto* post = new kaEntityModel;
    post->SetWorld(m_World.get());
    post->ReadXml(document.RootElement());
    ASSERT_TRUE(m_World->AddEntity(post, true, true));
    post->Initialize();
    // Only the sparks draw.
    post->GetModel()->m_Hidden = true;
    ASSERT_NE(post->GetEmitterManager(), nullptr);
    kaParticleEmitter* sparks = post->GetEmitterManager()->GetEmitters().at(0);
    post->SetPosition(Vector3(0.0f, 0.0f, 0.0f));
    EXPECT_NEAR(sparks->GetPosition().y, 4.0f, 1e-4f) << "at the lamp";
    EXPECT_EQ(Brightness(), 0) << "nothing emitted yet";

    sparks->SetEmitRate(1000.0f);
    sparks->Update(0.05f);
    sparks->SetEmitRate(0.0f);
    ASSERT_EQ(sparks->GetLiveCount(), 2);
    const long fresh = Brightness();
    EXPECT_GT(fresh, 20000);

    sparks->ReleaseDeviceObjects();
    sparks->CreateDeviceObjects();
    EXPECT_EQ(Brightness(), fresh) << "rebuilt buffers draw the same frame";

    sparks->Update(0.4f);
    const long fading = Brightness();
    sparks->Update(0.4f);
    const long faded = Brightness();
    EXPECT_GT(faded, 0);
    EXPECT_LT(fading, fresh);
    EXPECT_LT(faded * 2, fading);
    // Each update removes the dead, and the one moved into a dead one's slot waits for the next.
    for (int i = 0; i < 10 && sparks->GetLiveCount() > 0; ++i)
        sparks->Update(0.2f);
    EXPECT_EQ(sparks->GetLiveCount(), 0);
    EXPECT_EQ(Brightness(), 0);
}

} // namespace
