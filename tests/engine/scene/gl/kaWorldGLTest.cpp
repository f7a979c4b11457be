#include "engine/core/kaFileSystem.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/model/kaBillboard.h"
#include "engine/model/kaBoundingBox.h"
#include "engine/render/ka3DAlphaSorter.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaModelManager.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaLight.h"
#include "engine/scene/EntityTree.h"
#include "engine/scene/kaCollideInfo.h"
#include "engine/scene/kaEntityBillBoard.h"
#include "engine/scene/kaParticleEmitter.h"
#include "engine/scene/kaParticleEmitterMgr.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaWorld.h"
#include "platform/gfx/GfxDevice.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/HeadlessGraphics.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <memory>
#include <string>
#include <vector>

using platform::Vector3;

namespace
{

std::vector<std::string> g_Order;

// The venue, logging each draw.
class LoggedArena : public kaEntityModel
{
public:
    void Render() override
    {
        g_Order.push_back("venue");
        kaEntityModel::Render();
    }
};

class LoggedWorld : public kaWorld
{
public:
    kaEntityModel* CreateArenaEntity() override { return new LoggedArena; }
};

class LoggedEntity : public kaEntity
{
public:
    void Render() override { g_Order.push_back("entity"); }
};

class LoggedTransparent : public ka3DObject
{
public:
    void Render(uint32_t) override { g_Order.push_back("transparent"); }
};

constexpr uint32_t kClear = 0xFF203040;

class WorldOpenGLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Graphics.Start(testsupport::HeadlessGraphics::WindowedConfig(640, 480, true)));
        m_Manager = m_Graphics.Manager();
        m_Manager->SetClearColor(kClear);
        ASSERT_TRUE(m_InitData.LoadInitData("InitData"));
        m_World->LoadFile("Worlds/Editor/Sample Course.xml", true);
        ASSERT_NE(m_World->GetVenueEntity(), nullptr);
        ASSERT_TRUE(m_Manager->AddSceneObject(m_World.get(), false));
        // From the start point, a little up and looking down the course.
        kaCamera* camera = m_World->GetOwnCamera();
        camera->SetAspect(640.0f / 480.0f);
        camera->SetPosition(m_World->GetStartX(), 4.0f, m_World->GetStartZ());
        camera->SetRotationAngles(0.3f, 0.0f, 0.0f);
        camera->Rotate();
        camera->UpdateProjection();
        g_Order.clear();
    }
    void TearDown() override
    {
        m_Manager->DetachSceneObject(m_World.get());
        m_World.reset();
        m_Models.DeleteAll();
        m_Graphics.Stop();
    }

    kaEntityModel* Named(const std::string& name)
    {
        return dynamic_cast<kaEntityModel*>(m_World->FindEntityByName(name));
    }

    // Draws a frame and reads it back.
    platform::FrameCapture Frame()
    {
        m_Manager->Render(false, false);
        platform::FrameCapture frame;
        EXPECT_EQ(m_Manager->GetDevice()->CaptureFrame(&frame), platform::GFX_OK);
        return frame;
    }

    // The summed channel differences of two frames.
    static long Difference(const platform::FrameCapture& a, const platform::FrameCapture& b)
    {
        EXPECT_EQ(a.Rows.size(), b.Rows.size());
        long sum = 0;
        for (size_t i = 0; i < a.Rows.size() && i < b.Rows.size(); ++i)
            sum += std::abs(int(a.Rows[i]) - int(b.Rows[i]));
        return sum;
    }

    // Draws a frame; the pixels that differ from the clear colour.
    size_t Drawn()
    {
        m_Manager->Render(false, false);
        platform::FrameCapture frame;
        EXPECT_EQ(m_Manager->GetDevice()->CaptureFrame(&frame), platform::GFX_OK);
        size_t count = 0;
        for (size_t at = 0; at + 2 < frame.Rows.size(); at += 3)
            count += frame.Rows[at] != 0x40 || frame.Rows[at + 1] != 0x30 || frame.Rows[at + 2] != 0x20;
        return count;
    }

    testsupport::HeadlessGraphics m_Graphics{"WorldGL", 640, 480};
    testsupport::CurrentDirectory m_Content{TARVOLIN_CONTENT_DIR};
    kaGraphicsManager* m_Manager = nullptr;
    kaFileSystem m_Files;
    kaInitDataBase m_InitData;
    kaModelManager m_Models;
    const kaLight m_Light{3, 0, 0, 0, 0.3f, -1, 0.6f, 1, 1, 1, 1, 0, 0, 0, 0, 0.3f, 0.3f, 0.3f, 1};
    std::unique_ptr<kaWorld> m_World = std::make_unique<LoggedWorld>();
};

TEST_F(WorldOpenGLTest, TheSampleCourseShowsEveryEntityAndTheVenueOnce)
{
    // The start marker shows only in the editor.
    kaEntityModel* start = Named("SpawnPoint");
    ASSERT_NE(start, nullptr);
    start->Initialize();
    EXPECT_FALSE(start->IsVisible());

    const size_t all = Drawn();
    EXPECT_EQ(g_Order, std::vector<std::string>{"venue"});
    // Each model takes pixels of its own; hidden one after another (the floor behind the others first),
    // nothing is left.
    size_t left = all;
    for (const char* name : {"Arena", "Crate", "Ball", "Ramp", "LampPost", "Sign"})
    {
        kaEntityModel* entity = Named(name);
        ASSERT_NE(entity, nullptr) << name;
        EXPECT_TRUE(entity->IsVisible()) << name;
        entity->GetModel()->m_Hidden = true;
        const size_t now = Drawn();
        EXPECT_LT(now + 50, left) << name;
        left = now;
    }
    // Then the billboards: the tree and the glow at the lamp.
    auto* tree = dynamic_cast<EntityTree*>(m_World->FindEntityByName("Tree"));
    ASSERT_NE(tree, nullptr);
    ASSERT_NE(Named("LampPost")->GetBillboardEntity(), nullptr);
    for (kaBillboard* billboard :
         {tree->GetBillboard(), Named("LampPost")->GetBillboardEntity()->GetBillboards().at(0)})
    {
        ASSERT_NE(billboard, nullptr);
        billboard->SetVisible(false);
        const size_t now = Drawn();
        EXPECT_LT(now + 50, left);
        left = now;
    }
    EXPECT_EQ(left, 0u);
}

TEST_F(WorldOpenGLTest, CullsBehindTheCameraAndDrawsTransparentItemsLast)
{
    TiXmlDocument document;
    document.Parse("<Entity><kmfFilename>resources/models/crate/crate.kmf</kmfFilename>"
                   "<position><x>0</x><y>0.5</y><z>-30</z></position></Entity>");
    auto* behind = new kaEntityModel;
    behind->ReadXml(document.RootElement());
    ASSERT_TRUE(m_World->AddEntity(behind, true, true));
    auto* logged = new LoggedEntity;
    ASSERT_TRUE(m_World->AddEntity(logged, true, true));
    LoggedTransparent transparent;
    m_World->AddToAlphaSorter(&transparent);
    // A hidden venue stays hidden after the frame.
    m_World->GetVenueEntity()->SetVisible(false);

    Drawn();
    EXPECT_FALSE(behind->IsDrawn());
    EXPECT_TRUE(Named("Crate")->IsDrawn());
    EXPECT_EQ(g_Order, (std::vector<std::string>{"venue", "entity", "transparent"}));
    EXPECT_FALSE(m_World->GetVenueEntity()->IsVisible());
    m_World->RemoveFromAlphaSorter(&transparent);
}

TEST_F(WorldOpenGLTest, TheRayThroughACratePixelPicksTheCrate)
{
    Drawn();
    for (const char* name : {"Crate", "Ball", "Ramp"})
    {
        kaEntityModel* entity = Named(name);
        const Vector3 screen = m_Manager->ProjectToScreen(entity->GetBoundingBox()->m_Centre);
        Vector3 origin;
        Vector3 direction;
        ASSERT_TRUE(m_World->GetPickRay(screen.x, screen.y, origin, direction));
        kaCollideInfo hit;
        ASSERT_TRUE(m_World->Pick(origin, origin + direction * 1000.0f, &hit, kaWorld::kPickMeshes)) << name;
        EXPECT_EQ(hit.m_pObject, entity) << name;
    }
}

TEST_F(WorldOpenGLTest, TheLampPostThrowsSparksThatFadeAndSurviveADeviceReset)
{
    m_World->InitializeEntities();
    kaEntityModel* post = Named("LampPost");
    ASSERT_NE(post, nullptr);
    ASSERT_NE(post->GetEmitterManager(), nullptr);
    ASSERT_EQ(post->GetEmitterManager()->GetEmitters().size(), 1u);
    kaParticleEmitter* sparks = post->GetEmitterManager()->GetEmitters()[0];
    // Thrown from the lamp, and part of the world though never saved.
    EXPECT_NEAR(sparks->GetPosition().y, 4.0f, 1e-4f);
    EXPECT_EQ(m_World->FindEntityById(sparks->GetEntityID()), sparks);
    EXPECT_FALSE(sparks->IsSaved());

    // Only the sparks draw, over the clear colour.
    for (kaEntity* entity : m_World->GetEntities())
    {
        if (auto* model = dynamic_cast<kaEntityModel*>(entity); model && model->GetModel())
            model->GetModel()->m_Hidden = true;
    }
    for (ka3DObject* item : m_World->GetAlphaSorter()->GetItems())
        item->SetVisible(false);
    // The first update settles the camera; a zero step throws nothing.
    m_World->Update(0.0f);
    EXPECT_EQ(sparks->GetLiveCount(), 0);
    const platform::FrameCapture still = Frame();
    EXPECT_EQ(Difference(Frame(), still), 0) << "nothing thrown yet, the frame repeats";
    EXPECT_EQ(Drawn(), 0u);

    m_World->Update(0.15f);
    ASSERT_GT(sparks->GetLiveCount(), 0);
    const platform::FrameCapture thrown = Frame();
    const long fresh = Difference(thrown, still);
    EXPECT_GT(fresh, 2000);

    sparks->ReleaseDeviceObjects();
    sparks->CreateDeviceObjects();
    EXPECT_EQ(Difference(Frame(), thrown), 0) << "rebuilt buffers draw the same frame";

    // No more thrown: those in the air fade out over their life and are gone after it.
    sparks->SetEmitRate(0.0f);
    m_World->Update(0.7f);
    const long fading = Difference(Frame(), still);
    EXPECT_GT(fading, 0);
    EXPECT_LT(fading * 2, fresh);
    for (int i = 0; i < 10; ++i)
        m_World->Update(0.25f);
    EXPECT_EQ(sparks->GetLiveCount(), 0);
    EXPECT_EQ(Difference(Frame(), still), 0);
}

TEST_F(WorldOpenGLTest, TheSignHangsOnTheLampWhereverEitherOneGoes)
{
    kaEntityModel* post = Named("LampPost");
    kaEntityModel* sign = Named("Sign");
    ASSERT_NE(post, nullptr);
    ASSERT_NE(sign, nullptr);
    const int32_t lamp = post->GetBoneIndex("Lamp");
    const int32_t hook = sign->GetBoneIndex("Hook");
    ASSERT_GE(lamp, 0);
    ASSERT_GE(hook, 0);
    const auto expectTogether = [&](const char* after)
    {
        const Vector3 a = post->GetBoneWorldPosition(lamp);
        const Vector3 b = sign->GetBoneWorldPosition(hook);
        EXPECT_NEAR(a.x, b.x, 1e-4f) << after;
        EXPECT_NEAR(a.y, b.y, 1e-4f) << after;
        EXPECT_NEAR(a.z, b.z, 1e-4f) << after;
    };
    expectTogether("loading");
    post->SetPosition(Vector3(-3.0f, 0.0f, 2.0f));
    expectTogether("the post moved");
    EXPECT_NEAR(sign->GetPosition().y, 4.0f, 1e-4f);
    sign->SetPosition(Vector3(1.0f, 6.0f, 1.0f));
    expectTogether("the sign moved");
    EXPECT_NEAR(post->GetPosition().y, 2.0f, 1e-4f);
}

} // namespace
