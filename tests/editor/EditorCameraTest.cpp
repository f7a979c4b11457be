#include "editor/EditorCamera.h"

#include "engine/core/ModifierKeyState.h"
#include "engine/gui/guiCursor.h"
#include "engine/gui/guiManager.h"
#include "engine/model/kaBoundingBox.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/scene/kaEntity.h"
#include "engine/scene/kaTerrainBase.h"
#include "engine/scene/kaWorld.h"
#include "game/screens/courseeditor/tvEditorCamera.h"

#include "platform/gfx/Direct3DFactory.h"
#include "platform/gfx/TestDirect3D.h"
#include "platform/gfx/math/Matrix.h"
#include "platform/window/ScriptedWindowBackend.h"
#include "platform/window/Window.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

using platform::Matrix;
using platform::Vector3;

namespace
{

const float kTanEighthPi = std::tan(3.14159265f / 8.0f);

// A plane rising along X and Z, so that every point of it has its own height.
class SlopeTerrain : public kaTerrainBase
{
public:
    SlopeTerrain(float width, float length) : m_Width(width), m_Length(length) {}
    float GetHeightAt(float x, float z) const override { return 5.0f + 0.1f * x + 0.05f * z; }
    float GetWidth() const override { return m_Width; }
    float GetLength() const override { return m_Length; }

private:
    float m_Width;
    float m_Length;
};

// An entity with a box of the given centre and half sizes, or none.
class BoxEntity : public kaEntity
{
public:
    BoxEntity() = default;
    BoxEntity(const Vector3& centre, const Vector3& half)
    {
        m_Box = std::make_unique<kaBoundingBox>();
        m_Box->m_Min = centre - half;
        m_Box->m_Max = centre + half;
        m_Box->m_Centre = centre;
        m_Box->m_Radius = platform::Vec3Length(half);
        m_Box->ComputeCorners();
    }
    kaBoundingBox* GetBoundingBox() override { return m_Box.get(); }

private:
    std::unique_ptr<kaBoundingBox> m_Box;
};

Vector3 Forward(const Matrix& view)
{
    return Vector3(view(0, 2), view(1, 2), view(2, 2));
}

Vector3 ToView(const EditorCamera& camera, const Vector3& point)
{
    Vector3 out;
    platform::Vec3TransformCoord(&out, &point, &camera.GetComputedView());
    return out;
}

void ExpectNear(const Vector3& actual, const Vector3& expected, float tolerance = 1e-3f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// A camera over a world; the modifier keys are released between tests.
class EditorCameraTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        g_ModifierKeyState = ModifierKeyState();
        m_World->SetVenueEntity(nullptr);
    }

    kaWorld* TerrainWorld(float width, float length)
    {
        m_World->SetTerrain(new SlopeTerrain(width, length));
        return m_World.get();
    }

    std::unique_ptr<kaWorld> m_World = std::make_unique<kaWorld>();
    EditorCamera m_Camera;
};

} // namespace

TEST_F(EditorCameraTest, StartsInThePerspectiveViewWithItsOwnPlanesAndPitch)
{
    EXPECT_EQ(m_Camera.GetEditorMode(), EditorCamera::kPerspectiveView);
    EXPECT_FLOAT_EQ(m_Camera.GetNearPlane(), 0.5f);
    EXPECT_FLOAT_EQ(m_Camera.GetFarPlane(), 2000.0f);
    EXPECT_FLOAT_EQ(m_Camera.GetRotationAngles().x, 0.698f);
    EXPECT_FLOAT_EQ(m_Camera.GetRotationAngles().y, 0.0f);
    EXPECT_EQ(m_Camera.GetWorld(), nullptr);
    EXPECT_FLOAT_EQ(m_Camera.GetOrbitDistance(), 0.0f);
    // The projection is built with the editor's planes.
    const Matrix& projection = m_Camera.GetComputedProjection();
    EXPECT_NEAR(projection(3, 2), -0.5f * 2000.0f / (2000.0f - 0.5f), 1e-4f);
}

TEST_F(EditorCameraTest, ATerrainIsFramedFromAboveItsCentreWithTheTargetStraightAhead)
{
    m_Camera.SetMode(EditorCamera::kTopView);
    m_Camera.SetWorld(TerrainWorld(200.0f, 100.0f));
    EXPECT_EQ(m_Camera.GetEditorMode(), EditorCamera::kPerspectiveView);

    const float ground = 5.0f + 0.1f * 100.0f + 0.05f * 50.0f;
    ExpectNear(m_Camera.GetTarget(), Vector3(100.0f, ground, 50.0f));
    ExpectNear(m_Camera.GetTopViewPosition(), Vector3(100.0f, ground + 20.0f, 50.0f));
    const float distance = 100.0f / kTanEighthPi;
    EXPECT_NEAR(m_Camera.GetOrbitDistance(), distance, 1e-2f);

    // Tilted a quarter of pi down, looking along +Z.
    const Vector3 forward = Forward(m_Camera.GetComputedView());
    ExpectNear(forward, Vector3(0.0f, -0.7071068f, 0.7071068f));
    ExpectNear(ToView(m_Camera, m_Camera.GetTarget()), Vector3(0.0f, 0.0f, distance), 2e-2f);
    ExpectNear(m_Camera.GetPosition(), m_Camera.GetTarget() - forward * distance, 2e-2f);
}

TEST_F(EditorCameraTest, AnArenaBoxTakesOverTheFramingAndOneWithoutABoxIsSkipped)
{
    TerrainWorld(200.0f, 100.0f);
    BoxEntity arena(Vector3(10.0f, 4.0f, -6.0f), Vector3(30.0f, 4.0f, 10.0f));
    m_World->SetVenueEntity(&arena);
    m_Camera.SetWorld(m_World.get());
    ExpectNear(m_Camera.GetTarget(), Vector3(10.0f, 4.0f, -6.0f));
    EXPECT_NEAR(m_Camera.GetOrbitDistance(), std::sqrt(30.0f * 30.0f + 4.0f * 4.0f + 10.0f * 10.0f), 1e-3f);
    ExpectNear(m_Camera.GetTopViewPosition(), Vector3(10.0f, 30.0f / kTanEighthPi + 8.0f, -6.0f), 1e-2f);
    ExpectNear(ToView(m_Camera, m_Camera.GetTarget()), Vector3(0.0f, 0.0f, m_Camera.GetOrbitDistance()),
               1e-2f);

    BoxEntity boxless;
    m_World->SetVenueEntity(&boxless);
    m_Camera.SetWorld(m_World.get());
    EXPECT_NEAR(m_Camera.GetTarget().x, 100.0f, 1e-3f);
    EXPECT_NEAR(m_Camera.GetOrbitDistance(), 100.0f / kTanEighthPi, 1e-2f);
}

TEST_F(EditorCameraTest, AWorldWithNeitherTerrainNorArenaKeepsTheFramingAndStillOpensInPerspective)
{
    m_Camera.SetWorld(TerrainWorld(200.0f, 100.0f));
    const Vector3 target = m_Camera.GetTarget();
    const float distance = m_Camera.GetOrbitDistance();
    m_Camera.SetMode(EditorCamera::kTopView);

    kaWorld bare;
    m_Camera.SetWorld(&bare);
    EXPECT_EQ(m_Camera.GetWorld(), &bare);
    EXPECT_EQ(m_Camera.GetEditorMode(), EditorCamera::kPerspectiveView);
    ExpectNear(m_Camera.GetTarget(), target);
    EXPECT_FLOAT_EQ(m_Camera.GetOrbitDistance(), distance);
    ExpectNear(ToView(m_Camera, target), Vector3(0.0f, 0.0f, distance), 2e-2f);
    m_Camera.SetWorld(nullptr);
    EXPECT_EQ(m_Camera.GetEditorMode(), EditorCamera::kPerspectiveView);
}

namespace
{

struct Gesture
{
    const char* what;
    bool shift, alt, ctrl;
    float dx, dy, dz;
    // Expected target shift and distance afterwards, from a target at the origin 50 away.
    Vector3 targetShift;
    float distance;
};

} // namespace

TEST_F(EditorCameraTest, PerspectiveGesturesPanZoomAndNeverGoBelowZero)
{
    // Right is +X; up leans ahead, towards +Z, at the framing's quarter-pi tilt.
    const float lean = 0.7071068f;
    const Gesture gestures[] = {
        {"shift drags the ground sideways", true, false, false, 10.0f, 0.0f, 0.0f, Vector3(-1.0f, 0.0f, 0.0f),
         50.0f},
        {"shift drags the ground up", true, false, false, 0.0f, 10.0f, 0.0f, Vector3(0.0f, lean, lean),
         50.0f},
        {"alt pulls back", false, true, false, 0.0f, 30.0f, 0.0f, Vector3(), 53.0f},
        {"alt stops at the target", false, true, false, 0.0f, -900.0f, 0.0f, Vector3(), 0.0f},
        {"the wheel zooms in", false, false, false, 0.0f, 0.0f, 120.0f, Vector3(), 38.0f},
        {"the wheel stops at the target", false, false, false, 0.0f, 0.0f, 3600.0f, Vector3(), 0.0f},
        {"no modifier ignores movement", false, false, false, 40.0f, 40.0f, 0.0f, Vector3(), 50.0f},
    };
    TerrainWorld(200.0f, 100.0f);
    for (const Gesture& gesture : gestures)
    {
        SCOPED_TRACE(gesture.what);
        EditorCamera camera;
        camera.SetWorld(m_World.get());
        camera.SetOrbitDistance(50.0f);
        camera.SetTarget(Vector3());
        camera.UpdateOrbitView();
        g_ModifierKeyState.Shift = gesture.shift;
        g_ModifierKeyState.Alt = gesture.alt;
        g_ModifierKeyState.Ctrl = gesture.ctrl;
        camera.HandleInput(gesture.dx, gesture.dy, gesture.dz, false, false);
        ExpectNear(camera.GetTarget(), gesture.targetShift);
        EXPECT_NEAR(camera.GetOrbitDistance(), gesture.distance, 1e-3f);
        ExpectNear(camera.GetPosition(),
                   camera.GetTarget() - Forward(camera.GetComputedView()) * gesture.distance, 1e-2f);
        g_ModifierKeyState = ModifierKeyState();
    }
}

TEST_F(EditorCameraTest, CtrlTurnsAboutTheVerticalThenTiltsAboutTheSideAxis)
{
    m_Camera.SetWorld(TerrainWorld(200.0f, 100.0f));
    const Vector3 target = m_Camera.GetTarget();
    const float distance = m_Camera.GetOrbitDistance();
    g_ModifierKeyState.Ctrl = 1;

    // A quarter turn about Y keeps the tilt and turns the heading a right angle.
    m_Camera.HandleInput(-157.07963f, 0.0f, 0.0f, false, false);
    Vector3 forward = Forward(m_Camera.GetComputedView());
    EXPECT_NEAR(forward.y, -0.7071068f, 1e-4f);
    EXPECT_NEAR(forward.z, 0.0f, 1e-4f);
    EXPECT_NEAR(std::fabs(forward.x), 0.7071068f, 1e-4f);
    ExpectNear(ToView(m_Camera, target), Vector3(0.0f, 0.0f, distance), 2e-2f);

    // Another quarter pi of tilt looks straight down at the target.
    m_Camera.HandleInput(0.0f, 78.539816f, 0.0f, false, false);
    forward = Forward(m_Camera.GetComputedView());
    ExpectNear(forward, Vector3(0.0f, -1.0f, 0.0f), 1e-3f);
    ExpectNear(m_Camera.GetPosition(), target + Vector3(0.0f, distance, 0.0f), 5e-2f);
}

TEST_F(EditorCameraTest, TheTopViewLooksDownMovesItsEyeAndKeepsItsPlaceAcrossAVisit)
{
    m_Camera.SetWorld(TerrainWorld(200.0f, 100.0f));
    const Vector3 top = m_Camera.GetTopViewPosition();
    m_Camera.SetRotationAngles(0.2f, 0.3f, 0.1f);
    m_Camera.SetMode(EditorCamera::kTopView);
    EXPECT_EQ(m_Camera.GetEditorMode(), EditorCamera::kTopView);
    ExpectNear(m_Camera.GetRotationAngles(), Vector3(1.57f, 0.0f, 0.0f));
    ExpectNear(m_Camera.GetPosition(), top);
    EXPECT_LT(Forward(m_Camera.GetComputedView()).y, -0.999f);

    // The wheel moves the eye along the view, which starts straight down.
    m_Camera.HandleInput(0.0f, 0.0f, 120.0f, false, false);
    EXPECT_NEAR(m_Camera.GetPosition().y, top.y - 12.0f, 1e-2f);
    g_ModifierKeyState.Shift = 1;
    m_Camera.HandleInput(10.0f, 0.0f, 0.0f, false, false);
    g_ModifierKeyState = ModifierKeyState();
    const Vector3 moved = m_Camera.GetPosition();
    EXPECT_NEAR(moved.x, top.x - 1.0f, 1e-3f);

    m_Camera.SetMode(EditorCamera::kPerspectiveView);
    ExpectNear(ToView(m_Camera, m_Camera.GetTarget()), Vector3(0.0f, 0.0f, m_Camera.GetOrbitDistance()),
               2e-2f);
    m_Camera.SetRotationAngles(0.4f, 0.5f, 0.0f);
    m_Camera.SetMode(EditorCamera::kTopView);
    ExpectNear(m_Camera.GetPosition(), moved);
    ExpectNear(m_Camera.GetRotationAngles(), Vector3(1.57f, 0.0f, 0.0f));

    // Another mode is kept and moves nothing.
    m_Camera.SetMode(7);
    EXPECT_EQ(m_Camera.GetEditorMode(), 7);
    m_Camera.HandleInput(0.0f, 0.0f, 120.0f, false, false);
    ExpectNear(m_Camera.GetPosition(), moved);
}

TEST_F(EditorCameraTest, ZoomSelectedFramesTheBoxFromTheViewLineAndIgnoresWhatHasNoBox)
{
    m_Camera.SetWorld(TerrainWorld(200.0f, 100.0f));
    const Vector3 centre(100.0f, 30.0f, 50.0f);
    auto* cube = new BoxEntity(centre, Vector3(1.0f, 1.0f, 1.0f));
    ASSERT_TRUE(m_World->AddEntity(cube, true, true));
    auto* boxless = new BoxEntity();
    ASSERT_TRUE(m_World->AddEntity(boxless, true, true));

    const Vector3 target = m_Camera.GetTarget();
    m_Camera.ZoomToEntity(nullptr);
    m_Camera.ZoomToEntity(boxless);
    ExpectNear(m_Camera.GetTarget(), target);

    // Seen a quarter pi from above, the cube's widest corners lie the root of 3 off the line through its
    // centre.
    m_Camera.ZoomToEntity(cube);
    ExpectNear(m_Camera.GetTarget(), centre);
    EXPECT_NEAR(m_Camera.GetOrbitDistance(), std::sqrt(3.0f) / kTanEighthPi, 1e-3f);
    ExpectNear(ToView(m_Camera, centre), Vector3(0.0f, 0.0f, m_Camera.GetOrbitDistance()), 1e-2f);

    // From the top view the eye goes straight above the cube, with every corner within the view.
    m_Camera.SetMode(EditorCamera::kTopView);
    m_Camera.ZoomToEntity(cube);
    const Vector3 eye = m_Camera.GetPosition();
    EXPECT_NEAR(eye.x, centre.x, 1e-2f);
    EXPECT_NEAR(eye.z, centre.z, 1e-2f);
    const float reach = std::sqrt(2.0f) / kTanEighthPi;
    EXPECT_NEAR(eye.y - centre.y, reach, 1.01f);
}

TEST_F(EditorCameraTest, AnEntityHiddenBehindAnotherKeepsTheFallbackFraming)
{
    m_Camera.SetWorld(TerrainWorld(200.0f, 100.0f));
    const Vector3 centre(100.0f, 30.0f, 50.0f);
    auto* cube = new BoxEntity(centre, Vector3(1.0f, 1.0f, 1.0f));
    ASSERT_TRUE(m_World->AddEntity(cube, true, true));
    // A small box on the view line just outside the cube, towards the eye.
    const Vector3 forward = Forward(m_Camera.GetComputedView());
    ASSERT_TRUE(
        m_World->AddEntity(new BoxEntity(centre - forward * 1.62f, Vector3(0.1f, 0.1f, 0.1f)), true, true));

    m_Camera.ZoomToEntity(cube);
    ExpectNear(m_Camera.GetTarget(), centre);
    EXPECT_NEAR(m_Camera.GetOrbitDistance(), 2.0f * std::sqrt(3.0f), 1e-3f);

    // Looking straight down, the line comes from above.
    m_Camera.SetMode(EditorCamera::kTopView);
    ASSERT_TRUE(m_World->AddEntity(
        new BoxEntity(centre + Vector3(0.0f, 1.62f, 0.0f), Vector3(0.1f, 0.1f, 0.1f)), true, true));
    m_Camera.ZoomToEntity(cube);
    ExpectNear(m_Camera.GetPosition(), centre);
}

namespace
{

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

// The camera with a graphics manager on the test device (an 800 by 600 viewport) and a GUI manager with
// its cursor, which is what edge scrolling and the cursor handling read.
class EditorCameraScreenTest : public EditorCameraTest
{
protected:
    void SetUp() override
    {
        platform::WindowClass windowClass;
        windowClass.procedure = &platform::DefWindowProc;
        windowClass.className = "EditorCameraTest";
        platform::RegisterClass(windowClass);
        m_Window = platform::CreateWindow(0, "EditorCameraTest", "Tarvolin", 0, 0, 0, kScreenWidth,
                                          kScreenHeight, nullptr, nullptr);
        m_Previous = platform::SetDirect3DFactory(
            [this]() -> platform::GfxDirect3D*
            {
                m_D3D->AddRef();
                return m_D3D;
            });
        const std::string config = m_Dir.Write("Tarvolin.cfg", "[Begin Graphics Config]\nFullScreen=0\n"
                                                               "[End Graphics Config]\n");
        m_Graphics = std::make_unique<kaGraphicsManager>();
        ASSERT_TRUE(m_Graphics->Initialize(m_Window, config.c_str(), nullptr, false));
        uint32_t width = 0;
        uint32_t height = 0;
        m_Graphics->GetViewportSize(width, height);
        ASSERT_EQ(width, uint32_t(kScreenWidth));
        ASSERT_EQ(height, uint32_t(kScreenHeight));
        m_Gui = std::make_unique<guiManager>();
        m_Gui->CreateCursor();
        ASSERT_NE(m_Gui->GetCursor(), nullptr);
    }

    void TearDown() override
    {
        EditorCameraTest::TearDown();
        m_Gui.reset();
        m_Graphics.reset();
        platform::SetDirect3DFactory(m_Previous);
        m_D3D->Release();
    }

    // A camera over a flat-topped slope of 400 by 300, its target moved and its distance set.
    void Place(EditorCamera& camera, const Vector3& target, float distance, int32_t mode)
    {
        camera.SetWorld(TerrainWorld(400.0f, 300.0f));
        camera.SetMode(mode);
        camera.SetTarget(target);
        camera.SetOrbitDistance(distance);
        camera.ClampTargetToTerrain();
    }

    platform::ScriptedWindowBackend m_Backend;
    platform::WindowHandle m_Window = nullptr;
    platform::TestDirect3D* m_D3D = new platform::TestDirect3D;
    platform::Direct3DFactory m_Previous;
    testsupport::TempDir m_Dir;
    std::unique_ptr<kaGraphicsManager> m_Graphics;
    std::unique_ptr<guiManager> m_Gui;
};

struct EdgeCase
{
    const char* what;
    int x, y;
    float distance;
    // Expected movement along the view's flat right and forward axes, in speeds.
    float right, forward;
};

float Height(float x, float z)
{
    return 5.0f + 0.1f * x + 0.05f * z;
}

} // namespace

TEST_F(EditorCameraScreenTest, TouchingAnEdgeScrollsTheTargetFasterTheFartherTheCameraIs)
{
    const EdgeCase cases[] = {
        {"right edge at the reference distance", kScreenWidth - 1, 300, 38.0f, 1.0f, 0.0f},
        {"left edge", 1, 300, 38.0f, -1.0f, 0.0f},
        {"top edge farther away", 400, 0, 138.0f, 0.0f, 1.0f},
        {"bottom edge", 400, kScreenHeight, 38.0f, 0.0f, -1.0f},
        {"top-left corner moves along both axes", 0, 0, 38.0f, -1.0f, 1.0f},
        {"bottom-right corner", kScreenWidth, kScreenHeight, 88.0f, 1.0f, -1.0f},
        {"the middle stays", 400, 300, 38.0f, 0.0f, 0.0f},
        {"two pixels in stays", 2, kScreenHeight - 2, 38.0f, 0.0f, 0.0f},
    };
    for (const EdgeCase& edge : cases)
    {
        SCOPED_TRACE(edge.what);
        EditorCamera camera;
        Place(camera, Vector3(200.0f, 0.0f, 150.0f), edge.distance, EditorCamera::kPerspectiveView);
        // The framing looks along +Z: right is +X, forward on the ground +Z.
        const float speed = (edge.distance - 38.0f) * 0.2821522f + 35.0f;
        EXPECT_NEAR(camera.GetEdgeSpeed(), speed, 1e-3f);
        m_Gui->SetCursorPosition(edge.x, edge.y);
        camera.Update(0.5f);
        const float x = 200.0f + edge.right * speed * 0.5f;
        const float z = 150.0f + edge.forward * speed * 0.5f;
        ExpectNear(camera.GetTarget(), Vector3(x, Height(x, z), z), 2e-3f);
    }
    EXPECT_NEAR(EditorCamera::kEdgeGrowth, 0.282f, 1e-3f);
}

TEST_F(EditorCameraScreenTest, ScrollingStopsAtTheBorderFollowsTheGroundAndKeepsTheTopViewAbove)
{
    for (const int32_t mode : {EditorCamera::kPerspectiveView, EditorCamera::kTopView})
    {
        SCOPED_TRACE(mode);
        EditorCamera camera;
        Place(camera, Vector3(395.0f, 0.0f, 3.0f), 60.0f, mode);
        // Down and to the right for two seconds: far past both borders.
        m_Gui->SetCursorPosition(kScreenWidth, kScreenHeight);
        camera.Update(2.0f);
        ExpectNear(camera.GetTarget(), Vector3(400.0f, Height(400.0f, 0.0f), 0.0f));
        if (mode == EditorCamera::kTopView)
            ExpectNear(camera.GetPosition(), camera.GetTarget() + Vector3(0.0f, 60.0f, 0.0f));
        else
            ExpectNear(ToView(camera, camera.GetTarget()), Vector3(0.0f, 0.0f, 60.0f), 1e-2f);
    }
}

TEST_F(EditorCameraScreenTest, TheGameCameraNeverScrolls)
{
    tvEditorCamera camera;
    Place(camera, Vector3(200.0f, 0.0f, 150.0f), 38.0f, EditorCamera::kPerspectiveView);
    const Vector3 target = camera.GetTarget();
    m_Gui->SetCursorPosition(0, 0);
    camera.Update(1.0f);
    ExpectNear(camera.GetTarget(), target);
}

TEST_F(EditorCameraScreenTest, TheCursorHidesWhileAModifierIsHeldAndComesBackWhereItWas)
{
    EditorCamera editor;
    tvEditorCamera game;
    for (EditorCamera* camera : {&editor, static_cast<EditorCamera*>(&game)})
    {
        Place(*camera, Vector3(200.0f, 0.0f, 150.0f), 38.0f, EditorCamera::kPerspectiveView);
        for (uint8_t ModifierKeyState::*key :
             {&ModifierKeyState::Shift, &ModifierKeyState::Alt, &ModifierKeyState::Ctrl})
        {
            m_Gui->SetCursorPosition(0, 120);
            const Vector3 target = camera->GetTarget();
            g_ModifierKeyState.*key = 1;
            camera->Update(1.0f);
            EXPECT_FALSE(m_Gui->GetCursor()->IsVisible());
            EXPECT_EQ(camera->GetSavedCursor().x, 0);
            EXPECT_EQ(camera->GetSavedCursor().y, 120);
            // Held: no edge scrolling, and the cursor stays hidden.
            camera->Update(1.0f);
            ExpectNear(camera->GetTarget(), target);
            EXPECT_FALSE(m_Gui->GetCursor()->IsVisible());

            g_ModifierKeyState = ModifierKeyState();
            camera->Update(0.0f);
            EXPECT_TRUE(m_Gui->GetCursor()->IsVisible());
            EXPECT_EQ(m_Gui->GetCursorPosition().x, 0);
            EXPECT_EQ(m_Gui->GetCursorPosition().y, 120);
        }
    }
}
