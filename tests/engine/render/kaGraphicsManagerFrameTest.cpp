#include "engine/core/kaEngineEvents.h"
#include "engine/render/ka3DObject.h"
#include "engine/render/kaEffect.h"
#include "engine/render/kaGraphicsManager.h"

#include "tests/support/FrameReading.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"
#include "tests/support/engine/render/RecordingObject.h"

#include "platform/gfx/GfxVertexBuffer.h"
#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector3.h"

#include <algorithm>
#include <cmath>

using namespace platform;

namespace
{

using Log = std::vector<std::string>;

class FrameTest : public GraphicsManagerFixture
{
protected:
    FrameTest()
    {
        for (int32_t id : {-1, -2})
            m_Registrations.push_back(RegisterEngineCallback(id, [this](kaEngineEvent event)
                                                             { m_Events.push_back(event.GetId()); }));
    }

    ~FrameTest() override
    {
        for (kaEngineCallbackId registration : m_Registrations)
            RemoveEngineCallback(registration);
        // The objects may still log while the manager releases them.
        m_Manager.reset();
    }

    void SetUp() override { ASSERT_TRUE(Start(nullptr)); }

    RecordingObject* AddRoot(const std::string& name, int32_t order = 0, bool atFront = false)
    {
        auto* object = new RecordingObject(name, m_Log);
        object->SetRenderOrder(order);
        EXPECT_TRUE(m_Manager->AddSceneObject(object, atFront));
        return object;
    }

    Log TakeLog()
    {
        Log log;
        log.swap(m_Log);
        return log;
    }

    // The names of the logged device calls, in order, keeping only the given ones.
    std::vector<std::string> CallSequence(std::initializer_list<const char*> names) const
    {
        std::vector<std::string> sequence;
        for (const auto& call : Device()->Calls())
            if (std::find_if(names.begin(), names.end(), [&](const char* n) { return call.Method == n; }) !=
                names.end())
                sequence.push_back(call.Method);
        return sequence;
    }

    Log m_Log;
    std::vector<int32_t> m_Events;
    std::vector<kaEngineCallbackId> m_Registrations;
};

// Scene list.

TEST_F(FrameTest, AddingTakesAReferenceAndInitialisesTheHierarchy)
{
    auto* root = new RecordingObject("root", m_Log);
    root->AddChild(new RecordingObject("child", m_Log));
    EXPECT_TRUE(m_Manager->AddSceneObject(root, false));
    EXPECT_EQ(root->GetRefCount(), 1);
    EXPECT_EQ(TakeLog(), (Log{"root.Initialize", "child.Initialize"}));
    EXPECT_FALSE(m_Manager->AddSceneObject(nullptr, false));
    EXPECT_EQ(m_Manager->GetSceneObjects().size(), 1u);
}

TEST_F(FrameTest, ObjectAddedAtTheFrontIsUpdatedFirst)
{
    AddRoot("a");
    AddRoot("b", 0, true);
    TakeLog();
    m_Manager->UpdateSceneObjects(0.25f);
    EXPECT_EQ(TakeLog(), (Log{"b.Update(0.250000)", "a.Update(0.250000)"}));
}

TEST_F(FrameTest, RootsRenderByOrderAndEqualOrdersKeepTheirPlace)
{
    AddRoot("late", 5);
    AddRoot("first", -3);
    AddRoot("tie1", 0);
    AddRoot("tie2", 0);
    AddRoot("tie3", 0);
    TakeLog();
    m_Manager->Render(true, false);
    EXPECT_EQ(TakeLog(), (Log{"first.Render(0)", "tie1.Render(0)", "tie2.Render(0)", "tie3.Render(0)",
                              "late.Render(0)"}));
    // The list itself keeps its order.
    EXPECT_EQ(m_Manager->GetSceneObjects()[0]->GetName(), "late");
}

// A list already in order draws as it stands; one whose order changes between frames is sorted again.
TEST_F(FrameTest, RootsInOrderDrawAsListedAndAChangedOrderIsSortedAgain)
{
    RecordingObject* a = AddRoot("a", -1);
    AddRoot("b", 0);
    RecordingObject* c = AddRoot("c", 0);
    const struct
    {
        int32_t aOrder;
        int32_t cOrder;
        Log expected;
    } frames[] = {
        {-1, 0, {"a.Render(0)", "b.Render(0)", "c.Render(0)"}},
        {-1, -2, {"c.Render(0)", "a.Render(0)", "b.Render(0)"}},
        {1, 0, {"b.Render(0)", "c.Render(0)", "a.Render(0)"}},
        {0, 0, {"a.Render(0)", "b.Render(0)", "c.Render(0)"}},
    };
    for (const auto& frame : frames)
    {
        a->SetRenderOrder(frame.aOrder);
        c->SetRenderOrder(frame.cOrder);
        TakeLog();
        m_Manager->Render(true, false);
        EXPECT_EQ(TakeLog(), frame.expected) << "a at " << frame.aOrder << ", c at " << frame.cOrder;
    }
}

// Logs the levels of data the pass asks it to bring into the cache, besides what RecordingObject logs.
class PrefetchRecordingObject : public RecordingObject
{
public:
    PrefetchRecordingObject(const std::string& name, std::vector<std::string>& log)
        : RecordingObject(name, log), m_Levels(log)
    {
    }
    void PrefetchForRender(int level) const override
    {
        m_Levels.push_back(GetName() + ".Prefetch(" + std::to_string(level) + ")");
    }

private:
    std::vector<std::string>& m_Levels;
};

// However many roots there are against the depth the pass looks ahead, each one is asked for every level
// once, shallowest first, all before its own draw, and the roots still draw once each in order.
TEST_F(FrameTest, EveryRootIsAskedForEachLevelInTurnBeforeItsOwnDraw)
{
    const size_t depth = ka3DObject::kPrefetchLevels;
    for (const size_t count : {size_t{1}, size_t{2}, depth - 1, depth, depth + 1, 3 * depth})
    {
        std::vector<ka3DObject*> roots;
        for (size_t i = 0; i < count; ++i)
        {
            roots.push_back(new PrefetchRecordingObject("r" + std::to_string(i), m_Log));
            m_Manager->AddSceneObject(roots.back(), false);
        }
        TakeLog();
        m_Manager->Render(false, false);
        const Log log = TakeLog();
        Log renders;
        for (const std::string& entry : log)
            if (entry.find(".Render(") != std::string::npos)
                renders.push_back(entry);
        for (size_t i = 0; i < count; ++i)
        {
            const std::string name = "r" + std::to_string(i);
            Log expected;
            for (size_t level = 1; level < depth; ++level)
                expected.push_back(name + ".Prefetch(" + std::to_string(level) + ")");
            expected.push_back(name + ".Render(0)");
            Log own;
            for (const std::string& entry : log)
                if (entry.compare(0, name.size() + 1, name + ".") == 0)
                    own.push_back(entry);
            EXPECT_EQ(own, expected) << count << " roots";
            ASSERT_LT(i, renders.size()) << count << " roots";
            EXPECT_EQ(renders[i], name + ".Render(0)") << count << " roots";
        }
        EXPECT_EQ(renders.size(), count);
        for (ka3DObject* root : roots)
            m_Manager->RemoveSceneObject(root);
        TakeLog();
    }
}

TEST_F(FrameTest, RemovingARootReleasesItDetachingDoesNotAndStrangersStay)
{
    RecordingObject* a = AddRoot("a");
    RecordingObject* b = AddRoot("b");
    // An unknown object changes nothing.
    RecordingObject stranger("stranger", m_Log);
    stranger.AddRef();
    EXPECT_FALSE(m_Manager->RemoveSceneObject(&stranger));
    EXPECT_FALSE(m_Manager->DetachSceneObject(&stranger));
    EXPECT_FALSE(m_Manager->RemoveSceneObject(nullptr));
    EXPECT_EQ(stranger.GetRefCount(), 1);
    EXPECT_EQ(m_Manager->GetSceneObjects().size(), 2u);
    TakeLog();
    EXPECT_TRUE(m_Manager->DetachSceneObject(a));
    EXPECT_EQ(a->GetRefCount(), 1);
    EXPECT_TRUE(m_Manager->RemoveSceneObject(b));
    EXPECT_EQ(TakeLog(), (Log{"b.destroyed"}));
    EXPECT_TRUE(m_Manager->GetSceneObjects().empty());
    a->Release();
}

TEST_F(FrameTest, ChildLeavesThroughItsParentAndIsThenForgotten)
{
    RecordingObject* root = AddRoot("root");
    auto* child = new RecordingObject("child", m_Log);
    root->AddChild(child);
    child->AddRef();
    TakeLog();

    EXPECT_TRUE(m_Manager->RemoveSceneObject(child));
    EXPECT_TRUE(root->GetChildren().empty());
    EXPECT_EQ(child->GetRefCount(), 1);
    // No stale parent: a second attempt knows the object is nowhere.
    EXPECT_FALSE(m_Manager->DetachSceneObject(child));
    EXPECT_FALSE(m_Manager->RemoveSceneObject(child));
    child->Release();
    EXPECT_EQ(TakeLog(), (Log{"child.destroyed"}));
}

// Removes another root, the list's only holder of it, when updated or rendered.
class RemovingObject : public RecordingObject
{
public:
    RemovingObject(std::vector<std::string>& log, kaGraphicsManager& manager)
        : RecordingObject("remover", log), m_Manager(manager)
    {
    }
    void Update(float dt) override
    {
        RecordingObject::Update(dt);
        m_Manager.RemoveSceneObject(m_Victim);
    }
    void Render(uint32_t flag) override
    {
        RecordingObject::Render(flag);
        m_Manager.RemoveSceneObject(m_Victim);
    }
    ka3DObject* m_Victim = nullptr;

private:
    kaGraphicsManager& m_Manager;
};

TEST_F(FrameTest, RootRemovedByAnotherDuringTheFrameIsFinishedSafely)
{
    for (bool rendering : {false, true})
    {
        auto* remover = new RemovingObject(m_Log, *m_Manager);
        m_Manager->AddSceneObject(remover, false);
        remover->m_Victim = AddRoot("victim");
        TakeLog();
        if (rendering)
            m_Manager->Render(false, false);
        else
            m_Manager->UpdateSceneObjects(0.5f);
        const Log log = TakeLog();
        // The victim still gets its turn, and is destroyed once the pass is over.
        ASSERT_EQ(log.size(), 3u);
        EXPECT_EQ(log[1], rendering ? "victim.Render(0)" : "victim.Update(0.500000)");
        EXPECT_EQ(log[2], "victim.destroyed");
        EXPECT_EQ(m_Manager->GetSceneObjects().size(), 1u);
        m_Manager->RemoveSceneObject(remover);
        TakeLog();
    }
}

TEST_F(FrameTest, ReleasingTheManagerReleasesEveryRoot)
{
    AddRoot("a");
    AddRoot("b");
    TakeLog();
    m_Manager->ReleaseAll();
    EXPECT_EQ(TakeLog(), (Log{"a.destroyed", "b.destroyed"}));
    EXPECT_TRUE(m_Manager->GetSceneObjects().empty());
}

// The render pass.

TEST_F(FrameTest, FrameClearsDrawsInsideTheSceneAndPresents)
{
    m_Manager->SetClearColor(0xFF102030);
    AddRoot("a");
    Device()->ClearLog();
    m_Manager->Render(true, false);
    EXPECT_EQ(CallSequence({"Clear", "BeginScene", "EndScene", "Present"}),
              (std::vector<std::string>{"Clear", "BeginScene", "EndScene", "Present"}));
    ASSERT_EQ(CallsOf("Clear").size(), 1u);
    EXPECT_EQ(CallsOf("Clear")[0], "0 0x3 0xFF102030 1.000000 0");
    EXPECT_EQ(Device()->BackBufferPixel(3, 3), 0xFF102030u);
    EXPECT_EQ(Device()->PresentCount(), 1u);
    EXPECT_EQ(m_Manager->GetTriangleCount(), 0u);
    uint32_t depthWrites = 0;
    Device()->GetRenderState(RS_ZWRITEENABLE, &depthWrites);
    EXPECT_EQ(depthWrites, 1u);
}

TEST_F(FrameTest, FrameInsideAnOuterSceneLeavesTheSceneToItsOwner)
{
    AddRoot("a");
    TakeLog();
    Device()->ClearLog();
    m_Manager->Render(false, true);
    EXPECT_EQ(Device()->CountCalls("BeginScene"), 0u);
    EXPECT_EQ(Device()->CountCalls("EndScene"), 0u);
    EXPECT_EQ(TakeLog(), (Log{"a.Render(1)"}));
}

TEST_F(FrameTest, LightsBeyondTheListAreSwitchedOffUpToTheDeviceLimit)
{
    Device()->ClearLog();
    m_Manager->ApplyLights();
    const auto calls = CallsOf("LightEnable");
    ASSERT_EQ(calls.size(), m_Manager->GetCaps().MaxActiveLights);
    EXPECT_EQ(calls.front(), "0 0");
    EXPECT_EQ(calls.back(), std::to_string(calls.size() - 1) + " 0");
}

TEST_F(FrameTest, WithoutADeviceNothingHappens)
{
    m_ProvideD3D = false;
    ASSERT_FALSE(Start(nullptr));
    auto* object = new RecordingObject("a", m_Log);
    m_Manager->AddSceneObject(object, false);
    TakeLog();
    m_Manager->Render(true, false);
    EXPECT_TRUE(TakeLog().empty());
    EXPECT_EQ(m_Manager->CheckDevice(), GFX_E_FAIL);
}

// Device loss.

TEST_F(FrameTest, LostFrameIsSkippedSoTheLastFrameStays)
{
    m_Manager->SetClearColor(0xFF0000FF);
    m_Manager->Render(true, false);
    Device()->LoseDevice();
    m_Manager->Render(true, false); // Present reports the loss
    EXPECT_TRUE(m_Manager->IsDeviceLost());

    m_Manager->SetClearColor(0xFFFF0000);
    AddRoot("a");
    TakeLog();
    Device()->ClearLog();
    m_Manager->Render(true, false);
    EXPECT_EQ(Device()->CountCalls("Clear"), 0u);
    EXPECT_EQ(Device()->CountCalls("Present"), 0u);
    EXPECT_TRUE(TakeLog().empty());
}

TEST_F(FrameTest, RenderResetsADeviceThatCanBeReset)
{
    RecordingObject* a = AddRoot("a");
    Device()->LoseDevice();
    m_Manager->Render(true, false);
    Device()->MakeResettable();
    TakeLog();
    Device()->ClearLog();

    m_Manager->Render(true, false);
    EXPECT_FALSE(m_Manager->IsDeviceLost());
    EXPECT_EQ(TakeLog(), (Log{"a.Release", "a.Create", "a.Render(0)"}));
    EXPECT_EQ(CallSequence({"Reset", "Clear", "Present"}),
              (std::vector<std::string>{"Reset", "Clear", "Present"}));
    EXPECT_TRUE(a->AreDeviceObjectsCreated());
    EXPECT_NE(m_Manager->GetDeviceVertexBuffer(), nullptr);
    // The check that follows reports the end of a loss it never announced as nothing at all.
    EXPECT_EQ(m_Manager->CheckDevice(), GFX_OK);
    EXPECT_TRUE(m_Events.empty());
}

TEST_F(FrameTest, FailedResetInTheFrameKeepsTheLossAndRestoresAllTheSame)
{
    AddRoot("a");
    Device()->LoseDevice();
    m_Manager->Render(true, false);
    Device()->MakeResettable();
    Device()->FailNext("Reset", GFX_E_FAIL);
    TakeLog();
    m_Manager->Render(true, false);
    EXPECT_TRUE(m_Manager->IsDeviceLost());
    const Log log = TakeLog();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], "a.Release");
    EXPECT_EQ(log[1], "a.Create");

    m_Manager->Render(true, false);
    EXPECT_FALSE(m_Manager->IsDeviceLost());
}

TEST_F(FrameTest, LossSendsOneLostAndOneResetEventAroundAFullRelease)
{
    RecordingObject* a = AddRoot("a");
    kaResourceHandle managed = 0;
    kaResourceHandle dynamic = 0;
    m_Manager->CreateVertexBuffer(managed, 10, 0x042, POOL_MANAGED);
    m_Manager->CreateVertexBuffer(dynamic, 10, 0x042, POOL_DEFAULT);
    ASSERT_NE(m_Manager->GetVertexBuffer(dynamic), nullptr);
    TakeLog();

    Device()->LoseDevice();
    EXPECT_EQ(m_Manager->CheckDevice(), GFXERR_DEVICELOST);
    EXPECT_EQ(m_Manager->CheckDevice(), GFXERR_DEVICELOST);
    EXPECT_EQ(m_Events, (std::vector<int32_t>{-1}));
    EXPECT_TRUE(TakeLog().empty());

    Device()->MakeResettable();
    Device()->ClearLog();
    // The test device refuses Reset while any default-pool object lives: success proves the release.
    EXPECT_EQ(m_Manager->CheckDevice(), GFX_OK);
    EXPECT_EQ(m_Events, (std::vector<int32_t>{-1, -2}));
    EXPECT_EQ(TakeLog(), (Log{"a.Release", "a.Create"}));
    EXPECT_TRUE(a->AreDeviceObjectsCreated());
    EXPECT_EQ(CallsOf("Reset").size(), 1u);

    // Managed buffers survive; default-pool pools are gone and their handles with them.
    EXPECT_NE(m_Manager->GetVertexBuffer(managed), nullptr);
    EXPECT_EQ(m_Manager->GetVertexBuffer(dynamic), nullptr);
    // Shared buffers and the device vertex buffer are back.
    EXPECT_NE(m_Manager->GetDeviceVertexBuffer(), nullptr);
    EXPECT_NE(m_Manager->GetDynamicVertexBuffer(0), nullptr);
    EXPECT_NE(m_Manager->GetLineBuffer(), nullptr);

    EXPECT_EQ(m_Manager->CheckDevice(), GFX_OK);
    m_Manager->Render(true, false);
    EXPECT_EQ(m_Events, (std::vector<int32_t>{-1, -2}));
}

// A root that looks up its effect while it releases and while it restores finds it both times: effects
// are released after the roots and recreated before them.
TEST_F(FrameTest, RootsSeeTheirEffectsWhileTheyReleaseAndRestore)
{
    class EffectUser : public RecordingObject
    {
    public:
        EffectUser(kaEffect* effect, std::vector<std::string>& log)
            : RecordingObject("a", log), m_Effect(effect)
        {
        }
        void InvalidateDeviceObjects() override
        {
            m_Seen.push_back(m_Effect->GetEffect() != nullptr);
            ka3DObject::InvalidateDeviceObjects();
        }
        void RestoreDeviceObjects() override
        {
            m_Seen.push_back(m_Effect->GetEffect() != nullptr);
            ka3DObject::RestoreDeviceObjects();
        }
        std::vector<bool> m_Seen;

    private:
        kaEffect* m_Effect;
    };
    kaEffect* effect = m_Manager->LoadEffect(m_Dir.Write("plain.fx", "technique Plain\npass P\n"));
    ASSERT_NE(effect, nullptr);
    auto* root = new EffectUser(effect, m_Log);
    m_Manager->AddSceneObject(root, false);
    Device()->LoseDevice();
    m_Manager->CheckDevice();
    Device()->MakeResettable();
    EXPECT_EQ(m_Manager->CheckDevice(), GFX_OK);
    EXPECT_EQ(root->m_Seen, (std::vector<bool>{true, true}));
    EXPECT_NE(effect->GetEffect(), nullptr);
}

TEST_F(FrameTest, FailedResetSendsNoRecoveryUntilOneSucceeds)
{
    Device()->LoseDevice();
    m_Manager->CheckDevice();
    Device()->MakeResettable();
    Device()->FailNext("Reset", GFX_E_FAIL);
    EXPECT_EQ(m_Manager->CheckDevice(), GFX_E_FAIL);
    EXPECT_EQ(m_Events, (std::vector<int32_t>{-1}));
    EXPECT_EQ(m_Manager->CheckDevice(), GFX_OK);
    EXPECT_EQ(m_Events, (std::vector<int32_t>{-1, -2}));
}

TEST_F(FrameTest, ResetWithoutAnAnnouncedLossStillAnnouncesItFirst)
{
    Device()->LoseDevice();
    Device()->MakeResettable();
    EXPECT_EQ(m_Manager->CheckDevice(), GFX_OK);
    EXPECT_EQ(m_Events, (std::vector<int32_t>{-1, -2}));
}

TEST_F(FrameTest, RecoveryByTheFrameIsAnnouncedByTheNextCheck)
{
    Device()->LoseDevice();
    m_Manager->CheckDevice();
    m_Manager->Render(true, false);
    Device()->MakeResettable();
    m_Manager->Render(true, false);
    EXPECT_EQ(m_Events, (std::vector<int32_t>{-1}));
    EXPECT_EQ(m_Manager->CheckDevice(), GFX_OK);
    EXPECT_EQ(m_Events, (std::vector<int32_t>{-1, -2}));
}

TEST_F(FrameTest, SwitchToWindowedRecreatesTheDeviceAndRestores)
{
    RecordingObject* a = AddRoot("a");
    m_Manager->Render(true, false);
    TakeLog();
    ASSERT_EQ(Device()->PresentCount(), 1u);
    EXPECT_EQ(m_Manager->SwitchToWindowed(m_Window), GFX_OK);
    // A new device: nothing presented yet.
    EXPECT_EQ(Device()->PresentCount(), 0u);
    EXPECT_EQ(m_Manager->GetDevice(), Device());
    EXPECT_FALSE(m_Manager->IsFullScreen());
    EXPECT_EQ(TakeLog(), (Log{"a.Release", "a.Create"}));
    EXPECT_TRUE(a->AreDeviceObjectsCreated());
    EXPECT_NE(m_Manager->GetDeviceVertexBuffer(), nullptr);
}

// The view frustum and projection.

class FrustumTest : public FrameTest
{
protected:
    // A camera at (0, 0, -10) looking along +Z with a quarter-turn field of view, near 1, far 100.
    void PlaceCamera()
    {
        testsupport::PlaceCamera(Device(), Vector3(0.0f, 0.0f, -10.0f), Vector3(), 1.5707964f, 1.0f, 1.0f,
                                 100.0f);
        m_Manager->UpdateFrustum();
    }
};

TEST_F(FrustumTest, PointsInsideAllSixPlanes)
{
    PlaceCamera();
    m_Manager->UseViewFrustum();
    EXPECT_TRUE(m_Manager->IsPointInFrustum(0.0f, 0.0f, 0.0f));
    EXPECT_TRUE(m_Manager->IsPointInFrustum(9.0f, -9.0f, 0.0f));
    EXPECT_TRUE(m_Manager->IsPointInFrustum(0.0f, 0.0f, 89.0f));
    EXPECT_FALSE(m_Manager->IsPointInFrustum(11.0f, 0.0f, 0.0f));  // right
    EXPECT_FALSE(m_Manager->IsPointInFrustum(-11.0f, 0.0f, 0.0f)); // left
    EXPECT_FALSE(m_Manager->IsPointInFrustum(0.0f, 11.0f, 0.0f));  // top
    EXPECT_FALSE(m_Manager->IsPointInFrustum(0.0f, -11.0f, 0.0f)); // bottom
    EXPECT_FALSE(m_Manager->IsPointInFrustum(0.0f, 0.0f, -9.5f));  // near
    EXPECT_FALSE(m_Manager->IsPointInFrustum(0.0f, 0.0f, 91.0f));  // far
}

TEST_F(FrustumTest, SpheresAreInsideCrossingOrOutside)
{
    PlaceCamera();
    m_Manager->UseViewFrustum();
    EXPECT_EQ(m_Manager->TestSphereInFrustum(0.0f, 0.0f, 0.0f, 1.0f), kaGraphicsManager::kSphereInside);
    // On the right plane.
    EXPECT_EQ(m_Manager->TestSphereInFrustum(10.0f, 0.0f, 0.0f, 1.0f), kaGraphicsManager::kSphereCrossing);
    // Centre outside but within a radius of the plane.
    EXPECT_EQ(m_Manager->TestSphereInFrustum(11.0f, 0.0f, 0.0f, 1.0f), kaGraphicsManager::kSphereCrossing);
    // 2 / sqrt(2) beyond the plane.
    EXPECT_EQ(m_Manager->TestSphereInFrustum(12.0f, 0.0f, 0.0f, 1.0f), kaGraphicsManager::kSphereOutside);
    EXPECT_EQ(m_Manager->TestSphereInFrustum(0.0f, 0.0f, 120.0f, 5.0f), kaGraphicsManager::kSphereOutside);
    EXPECT_EQ(m_Manager->TestSphereInFrustum(0.0f, 0.0f, 93.0f, 5.0f), kaGraphicsManager::kSphereCrossing);
    // A sphere of radius 0 is a point.
    EXPECT_EQ(m_Manager->TestSphereInFrustum(9.0f, 0.0f, 0.0f, 0.0f), kaGraphicsManager::kSphereInside);
    EXPECT_EQ(m_Manager->TestSphereInFrustum(11.0f, 0.0f, 0.0f, 0.0f), kaGraphicsManager::kSphereOutside);
}

TEST_F(FrustumTest, ActiveSetChangesOnlyWhenChosen)
{
    PlaceCamera();
    // Nothing chosen yet: the active set holds no volume.
    EXPECT_FALSE(m_Manager->IsPointInFrustum(0.0f, 0.0f, 0.0f));
    m_Manager->UseViewFrustum();
    const std::vector<Plane> chosen(m_Manager->GetActiveFrustum(), m_Manager->GetActiveFrustum() + 6);

    Matrix moved;
    MatrixTranslation(&moved, 0.0f, 0.0f, 500.0f);
    Device()->SetTransform(TS_VIEW, &moved);
    m_Manager->Render(true, false);
    EXPECT_EQ(std::vector<Plane>(m_Manager->GetActiveFrustum(), m_Manager->GetActiveFrustum() + 6), chosen);
}

TEST_F(FrustumTest, AltFrustumPutsTheCameraAtTheOrigin)
{
    PlaceCamera();
    m_Manager->UseViewFrustum();
    EXPECT_TRUE(m_Manager->IsPointInFrustum(0.0f, 0.0f, -5.0f));
    m_Manager->UseAltFrustum();
    EXPECT_FALSE(m_Manager->IsPointInFrustum(0.0f, 0.0f, -5.0f));
    EXPECT_TRUE(m_Manager->IsPointInFrustum(0.0f, 0.0f, 5.0f));
    EXPECT_FALSE(m_Manager->IsPointInFrustum(0.0f, 0.0f, 0.5f));
}

TEST_F(FrustumTest, ProjectAndUnprojectThroughTheViewport)
{
    PlaceCamera();
    uint32_t width = 0;
    uint32_t height = 0;
    m_Manager->GetViewportSize(width, height);
    EXPECT_EQ(width, m_Manager->GetPresentParameters().BackBufferWidth);
    EXPECT_EQ(height, m_Manager->GetPresentParameters().BackBufferHeight);

    const Vector3 centre = m_Manager->ProjectToScreen(Vector3(0.0f, 0.0f, 0.0f));
    EXPECT_NEAR(centre.x, width / 2.0f, 1e-3f);
    EXPECT_NEAR(centre.y, height / 2.0f, 1e-3f);
    EXPECT_GT(centre.z, 0.0f);
    EXPECT_LT(centre.z, 1.0f);
    // On the right and top planes: the viewport's right edge and top row.
    const Vector3 corner = m_Manager->ProjectToScreen(Vector3(10.0f, 10.0f, 0.0f));
    EXPECT_NEAR(corner.x, static_cast<float>(width), 1e-2f);
    EXPECT_NEAR(corner.y, 0.0f, 1e-2f);

    const Vector3 point(3.0f, -2.0f, 7.0f);
    const Vector3 back = m_Manager->UnprojectFromScreen(m_Manager->ProjectToScreen(point));
    EXPECT_NEAR(back.x, point.x, 1e-3f);
    EXPECT_NEAR(back.y, point.y, 1e-3f);
    EXPECT_NEAR(back.z, point.z, 1e-3f);
}

} // namespace
