#include "engine/render/kaCamera.h"
#include "engine/core/kaApp.h"
#include "engine/core/kaLinearRamp.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/render/DampedSpringStep.h"
#include "engine/render/kaGraphicsManager.h"

#include "tests/support/Watchdog.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Quaternion.h"
#include "platform/gfx/math/Vector3.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace platform;

namespace
{

constexpr float kTolerance = 1e-4f;

void ExpectNear(const Vector3& actual, const Vector3& expected, float tolerance = kTolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void ExpectNear(const Matrix& actual, const Matrix& expected, float tolerance = kTolerance)
{
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            EXPECT_NEAR(actual(row, column), expected(row, column), tolerance) << row << "," << column;
}

// The process-wide camera values as a test found them, put back when it ends.
class CameraGlobals
{
public:
    CameraGlobals() { Reset(); }
    ~CameraGlobals() { Reset(); }

    static void Reset()
    {
        g_ApplicationRunning = 0;
        g_CameraPositionHook = nullptr;
        g_CameraCollisionHook = nullptr;
        g_CameraCollisionCount = 0;
        g_CameraAngleRingLength = 0;
        g_CameraAngleRingPosition = 0;
        g_CameraPositionRingLength = 0;
        g_CameraPositionRingPosition = 0;
    }
};

class CameraTest : public ::testing::Test
{
protected:
    // A chase camera (mode 2) zoomed out to 10, with the application running so that updates move it.
    static void StartChase(kaCamera& camera)
    {
        camera.SetMode(2);
        camera.SetZoom(10.0f);
        g_ApplicationRunning = 1;
    }

    // The view looks from the eye at the point, with +y up.
    static void ExpectLookingFrom(const kaCamera& camera, const Vector3& eye, const Vector3& at)
    {
        Matrix expected;
        const Vector3 up(0.0f, 1.0f, 0.0f);
        MatrixLookAtLH(&expected, &eye, &at, &up);
        ExpectNear(camera.GetViewMatrix(), expected);
    }

    CameraGlobals m_Globals;
};

// A placeable object for the camera to follow or look at.
class Target : public ka3DObject
{
};

} // namespace

// The spring.

TEST(DampedSpringStepTest, LeavesAPointAtRestLengthFromAStillGoalWhereItIs)
{
    Vector3 point(0.0f, 0.1f, 0.0f);
    const Vector3 goal;
    DampedSpringStep(point, goal, goal, 0.5f, 4.0f, 0.5f, 0.1f);
    ExpectNear(point, Vector3(0.0f, 0.1f, 0.0f), 1e-6f);
}

TEST(DampedSpringStepTest, ReturnsAPointOnTheGoalUnchanged)
{
    Vector3 point(3.0f, 4.0f, 5.0f);
    const Vector3 previous(1.0f, 1.0f, 1.0f);
    const Vector3& result = DampedSpringStep(point, point, previous, 0.1f, 4.0f, 0.5f, 0.1f);
    EXPECT_EQ(&result, &point);
    EXPECT_EQ(point, Vector3(3.0f, 4.0f, 5.0f));
    EXPECT_FALSE(std::isnan(point.x));
}

TEST(DampedSpringStepTest, PullsTowardsTheGoalAndIsDampedByTheGoalsMovement)
{
    Vector3 still(10.0f, 0.0f, 0.0f);
    DampedSpringStep(still, Vector3(), Vector3(), 0.1f, 4.0f, 0.5f, 0.1f);
    // (0.1 - 10) x 4 = -39.6, times dt.
    ExpectNear(still, Vector3(6.04f, 0.0f, 0.0f));

    // The goal came from +x: 1 x 0.1 along the offset, times the damping, slows the pull.
    Vector3 moving(10.0f, 0.0f, 0.0f);
    DampedSpringStep(moving, Vector3(), Vector3(1.0f, 0.0f, 0.0f), 0.1f, 4.0f, 0.5f, 0.1f);
    ExpectNear(moving, Vector3(6.045f, 0.0f, 0.0f));
}

// Construction and projection.

TEST_F(CameraTest, StartsInModeOneWithAFourByThreePerspectiveAndASnapPending)
{
    kaCamera camera;
    EXPECT_EQ(camera.GetMode(), 1u);
    EXPECT_TRUE(camera.IsPerspective());
    EXPECT_EQ(camera.GetPosition(), Vector3(0.0f, 60.0f, -100.0f));
    EXPECT_EQ(camera.GetEyeGoal(), Vector3(0.0f, 60.0f, -100.0f));
    EXPECT_TRUE(camera.IsSnapRequested());
    Matrix expected;
    MatrixPerspectiveFovLH(&expected, 0.7853982f, 1.3333334f, 0.25f, 2000.0f);
    EXPECT_EQ(camera.GetComputedProjection(), expected);
    EXPECT_EQ(camera.GetProjectionZOffset(), expected(3, 2));
    EXPECT_TRUE(camera.IsProjectionChanged());
}

TEST_F(CameraTest, OrthographicProjectionIsZoomHighAndAspectTimesZoomWide)
{
    kaCamera camera;
    camera.SetPerspective(false);
    camera.SetZoom(10.0f);
    camera.UpdateProjection();
    Matrix expected;
    MatrixOrthoLH(&expected, 1.3333334f * 10.0f, 10.0f, 0.25f, 2000.0f);
    EXPECT_EQ(camera.GetComputedProjection(), expected);
}

// Angle springs and the snap.

TEST_F(CameraTest, FirstUpdateSnapsToTheGoalsAndLaterOnesFollowBySprings)
{
    kaCamera camera;
    camera.SetGoalAngles(Vector3(0.0f, 0.5f, 0.0f));
    camera.SetEyeGoal(Vector3(0.0f, 0.0f, 0.0f));
    g_ApplicationRunning = 1;
    camera.Update(0.1f);
    ExpectNear(camera.GetRotationAngles(), Vector3(0.0f, 0.5f, 0.0f));
    ExpectNear(camera.GetPosition(), Vector3());
    EXPECT_FALSE(camera.IsSnapRequested());

    camera.SetGoalAngles(Vector3(0.0f, 1.5f, 0.0f));
    camera.Update(0.01f);
    // On the way, not there yet.
    EXPECT_GT(camera.GetRotationAngles().y, 0.5f);
    EXPECT_LT(camera.GetRotationAngles().y, 1.5f);
}

TEST_F(CameraTest, SnapStaysRequestedWhileTheApplicationIsNotRunning)
{
    kaCamera camera;
    camera.Update(0.1f);
    EXPECT_TRUE(camera.IsSnapRequested());
}

TEST_F(CameraTest, ModeOneLooksAlongItsAnglesFromBehindItsTarget)
{
    kaCamera camera;
    Target target;
    target.SetPosition(10.0f, 0.0f, 0.0f);
    camera.SetTarget(&target);
    camera.SetFollowOffset(1.0f, 2.0f);
    camera.SetZoom(5.0f);
    camera.Update(0.1f);
    ExpectNear(camera.GetEyeGoal(), Vector3(9.0f, -2.0f, -5.0f));
    ExpectNear(camera.GetPosition(), Vector3(9.0f, -2.0f, -5.0f));
    ExpectLookingFrom(camera, Vector3(9.0f, -2.0f, -5.0f), Vector3(9.0f, -2.0f, -4.0f));
}

TEST_F(CameraTest, FollowEndsWhenItsHoldTimeRunsOut)
{
    kaCamera camera;
    Target target;
    camera.FollowFor(&target, 1.0f);
    camera.Update(0.6f);
    EXPECT_EQ(camera.GetTarget(), &target);
    camera.Update(0.6f);
    EXPECT_EQ(camera.GetTarget(), nullptr);
}

// Input.

TEST_F(CameraTest, ChaseInputStopsThePitchAtAQuarterTurnAndLimitsTheZoom)
{
    kaCamera camera;
    camera.SetMode(2);
    camera.SetZoom(10.0f);
    camera.HandleInput(0.0f, 100000.0f, 0.0f, true, false);
    EXPECT_EQ(camera.GetGoalAngles().x, 1.5707964f);
    camera.HandleInput(0.0f, -1000000.0f, 0.0f, true, false);
    EXPECT_EQ(camera.GetGoalAngles().x, -1.5707964f);

    camera.HandleInput(0.0f, 0.0f, 1000.0f, false, false);
    EXPECT_EQ(camera.GetZoom(), 1.0f);
    camera.HandleInput(0.0f, 0.0f, -100000.0f, false, false);
    EXPECT_EQ(camera.GetZoom(), 1000.0f);
    // s2 = 0.1: a step of 10 takes 1 off the zoom.
    camera.HandleInput(0.0f, 0.0f, 10.0f, false, false);
    EXPECT_NEAR(camera.GetZoom(), 999.0f, 1e-3f);
}

TEST_F(CameraTest, ChasePanMovesThePanPointAgainstTheViewAxes)
{
    kaCamera camera;
    camera.SetMode(2);
    camera.SetPositionSmoothing(false);
    // With no view yet the view's axes are the world's.
    camera.HandleInput(10.0f, 20.0f, 0.0f, false, true);
    ExpectNear(camera.GetPanTarget(), Vector3(-1.0f, -2.0f, 0.0f));
}

TEST_F(CameraTest, FreeModesTurnWithoutALimitAndMoveTheEyeGoalAlongTheView)
{
    for (uint32_t mode : {4u, 8u})
    {
        kaCamera camera;
        camera.SetMode(mode);
        camera.HandleInput(0.0f, 100000.0f, 0.0f, true, false);
        EXPECT_GT(camera.GetGoalAngles().x, 1.5707964f) << mode;
        const Vector3 before = camera.GetEyeGoal();
        camera.HandleInput(10.0f, 0.0f, 5.0f, false, true);
        // Right by 10 x 0.1 and forward by 5 x 0.1 with the view's identity axes.
        ExpectNear(camera.GetEyeGoal(), before + Vector3(1.0f, 0.0f, 0.5f));
    }
}

TEST_F(CameraTest, ModeOneInputTurnsTheGoalsAndMovesTheEyeGoalDepth)
{
    kaCamera camera;
    camera.HandleInput(2.0f, 3.0f, 4.0f, false, false);
    ExpectNear(camera.GetGoalAngles(), Vector3(0.03f, 0.02f, 0.0f));
    EXPECT_NEAR(camera.GetEyeGoal().z, -100.0f + 0.4f, kTolerance);
}

TEST_F(CameraTest, TurnedModeInputTurnsTheAnglesDirectlyWithAPitchLimit)
{
    kaCamera camera;
    camera.SetMode(7);
    camera.HandleInput(10.0f, 1000000.0f, 0.0f, true, false);
    EXPECT_NEAR(camera.GetRotationAngles().x, -0.1f, kTolerance);
    EXPECT_EQ(camera.GetRotationAngles().y, 1.5707964f);
    EXPECT_EQ(camera.GetGoalAngles(), Vector3());
}

TEST_F(CameraTest, ModesWithoutInputChangeNothing)
{
    for (uint32_t mode : {3u, 5u, 6u, 0u, 9u})
    {
        kaCamera camera;
        camera.SetMode(mode);
        camera.HandleInput(5.0f, 5.0f, 5.0f, true, true);
        EXPECT_EQ(camera.GetGoalAngles(), Vector3()) << mode;
        EXPECT_EQ(camera.GetRotationAngles(), Vector3()) << mode;
        EXPECT_EQ(camera.GetEyeGoal(), Vector3(0.0f, 60.0f, -100.0f)) << mode;
        EXPECT_EQ(camera.GetPanTarget(), Vector3()) << mode;
        EXPECT_EQ(camera.GetZoom(), 0.0f) << mode;
    }
}

// The chase mode.

TEST_F(CameraTest, ChaseRunsOnlyWhileTheApplicationRuns)
{
    kaCamera camera;
    camera.SetMode(2);
    camera.SetZoom(10.0f);
    const Matrix before = camera.GetComputedView();
    camera.Update(0.1f);
    EXPECT_EQ(camera.GetComputedView(), before);
    EXPECT_EQ(camera.GetPosition(), Vector3(0.0f, 60.0f, -100.0f));
}

TEST_F(CameraTest, ChasePlacesTheEyeZoomBehindThePanPoint)
{
    kaCamera camera;
    StartChase(camera);
    camera.SetPanTarget(Vector3(1.0f, 2.0f, 3.0f));
    camera.Update(0.1f);
    ExpectNear(camera.GetPosition(), Vector3(1.0f, 2.0f, -7.0f));
    ExpectNear(g_CameraEyeOffset, Vector3(0.0f, 0.0f, -10.0f));
    ExpectLookingFrom(camera, Vector3(1.0f, 2.0f, -7.0f), Vector3(1.0f, 2.0f, 3.0f));
}

TEST_F(CameraTest, ChaseTurnsWithTheTargetsHeadingAndPitchesAgainstItsXAngle)
{
    kaCamera camera;
    StartChase(camera);
    Target target;
    // A quarter turn about Y: the target faces +x.
    Quaternion turn;
    const Vector3 yAxis(0.0f, 1.0f, 0.0f);
    QuaternionRotationAxis(&turn, &yAxis, 1.5707964f);
    target.SetRotation(turn.x, turn.y, turn.z, turn.w);
    camera.SetTarget(&target);
    camera.SetRotationAngles(0.3f, 0.0f, 0.0f);
    camera.Update(0.1f);
    EXPECT_NEAR(camera.GetHeading(), 1.5707964f, kTolerance);
    // Behind the target along -x; the pitch is the x angle negated.
    ExpectNear(camera.GetPosition(), Vector3(-10.0f * std::cos(0.3f), -10.0f * std::sin(0.3f), 0.0f));
}

TEST_F(CameraTest, ChaseHeadingGoalTakesTheShortWayRound)
{
    kaCamera camera;
    StartChase(camera);
    Target target;
    camera.SetTarget(&target);
    // Facing just short of -z from one side, then just past it from the other.
    for (float angle : {3.0f, -3.0f})
    {
        Quaternion turn;
        const Vector3 yAxis(0.0f, 1.0f, 0.0f);
        QuaternionRotationAxis(&turn, &yAxis, angle);
        target.SetRotation(turn.x, turn.y, turn.z, turn.w);
        camera.RequestSnap();
        camera.Update(0.1f);
    }
    EXPECT_NEAR(camera.GetHeadingGoal(), 2.0f * 3.14159265f - 3.0f, 1e-3f);
}

// A frame far longer than any hitch throws the heading's spring out past where a float turns, or to
// infinity: the chase still answers, and its heading and goal come back to where the target faces.
TEST_F(CameraTest, ChaseAnswersWhereverItsHeadingSpringIsThrown)
{
    testsupport::Watchdog watchdog(std::chrono::seconds(20), "the chase camera's update did not end");
    const Vector3 yAxis(0.0f, 1.0f, 0.0f);
    for (const float dt : {1e4f, 1e20f, 3.4e38f, std::numeric_limits<float>::infinity()})
    {
        kaCamera camera;
        StartChase(camera);
        Target target;
        camera.SetTarget(&target);
        for (const float angle : {3.0f, -3.0f, 1.0f})
        {
            Quaternion turn;
            QuaternionRotationAxis(&turn, &yAxis, angle);
            target.SetRotation(turn.x, turn.y, turn.z, turn.w);
            camera.Update(angle == -3.0f ? dt : 0.1f);
        }
        const float goal = camera.GetHeadingGoal();
        ASSERT_TRUE(std::isfinite(goal)) << dt;
        EXPECT_TRUE(std::isfinite(camera.GetHeading())) << dt;
        // Some whole number of turns from the target's heading.
        const float turns = (goal - 1.0f) / (2.0f * 3.14159265f);
        EXPECT_NEAR(turns, std::round(turns), 1e-3f) << dt;
    }
}

TEST_F(CameraTest, ChaseCollisionHookRunsOnlyWithAPositiveCountAndMayMoveTheCamera)
{
    kaCamera camera;
    StartChase(camera);
    int calls = 0;
    g_CameraCollisionHook = [&calls](Vector3& position, Vector3& forward, Vector3& up)
    {
        ++calls;
        ExpectNear(forward, Vector3(0.0f, 0.0f, 1.0f));
        ExpectNear(up, Vector3(0.0f, 1.0f, 0.0f));
        position.y += 1.0f;
    };
    camera.Update(0.1f);
    EXPECT_EQ(calls, 0);

    g_CameraCollisionCount = 1;
    camera.RequestSnap();
    camera.Update(0.1f);
    EXPECT_EQ(calls, 1);
    ExpectNear(camera.GetPosition(), Vector3(0.0f, 1.0f, -10.0f));

    camera.SetCollision(false);
    camera.Update(0.1f);
    EXPECT_EQ(calls, 1);
}

TEST_F(CameraTest, ChaseWithoutZoomStillHasAnOrthonormalView)
{
    kaCamera camera;
    camera.SetMode(2);
    camera.SetRotationAngles(0.0f, 0.5f, 0.0f);
    g_ApplicationRunning = 1;
    camera.Update(0.1f);
    const Matrix& view = camera.GetViewMatrix();
    for (int column = 0; column < 3; ++column)
    {
        const Vector3 axis(view(0, column), view(1, column), view(2, column));
        EXPECT_NEAR(Vec3Length(axis), 1.0f, kTolerance) << column;
    }
}

// Averaging rings.

TEST_F(CameraTest, AngleAveragingTakesTheMeanOfTheRingRefilledBySettingTheAngles)
{
    // {ring length, updates, heading, ring position}: lengths past the ring size count as the ring size.
    const struct
    {
        uint32_t length;
        int updates;
        float heading;
        uint32_t position;
    } cases[] = {{4, 1, 0.25f, 1}, {4, 2, 0.5f, 2}, {4, 4, 1.0f, 0}, {1000, 1, 0.01f, 1}};
    for (const auto& c : cases)
    {
        CameraGlobals::Reset();
        kaCamera camera;
        StartChase(camera);
        camera.SetAngleSmoothing(false);
        camera.SetAngleAveraging(true);
        g_CameraAngleRingLength = c.length;
        camera.SetRotationAngles(0.0f, 0.0f, 0.0f);
        camera.SetGoalAngles(Vector3(0.0f, 1.0f, 0.0f));
        for (int i = 0; i < c.updates; ++i)
            camera.Update(0.1f);
        EXPECT_NEAR(camera.GetRotationAngles().y, c.heading, kTolerance) << c.length << " " << c.updates;
        EXPECT_EQ(g_CameraAngleRingPosition, c.position) << c.length << " " << c.updates;
    }
}

TEST_F(CameraTest, RingsOfLengthZeroTurnAveragingOff)
{
    kaCamera camera;
    StartChase(camera);
    camera.SetAngleSmoothing(false);
    camera.SetPositionSmoothing(false);
    camera.SetAngleAveraging(true);
    camera.SetPositionAveraging(true);
    camera.SetGoalAngles(Vector3(0.0f, 1.0f, 0.0f));
    camera.SetPanTarget(Vector3(5.0f, 0.0f, 0.0f));
    camera.Update(0.1f);
    ExpectNear(camera.GetRotationAngles(), Vector3(0.0f, 1.0f, 0.0f));
    EXPECT_FALSE(std::isnan(camera.GetPosition().x));
    ExpectNear(camera.GetPosition() - g_CameraEyeOffset, Vector3(5.0f, 0.0f, 0.0f));
}

TEST_F(CameraTest, PositionAveragingSmoothsTheFollowedPointOverItsRing)
{
    kaCamera camera;
    StartChase(camera);
    camera.SetPositionSmoothing(false);
    camera.SetPositionAveraging(true);
    g_CameraPositionRingLength = 2;
    camera.Update(0.1f);
    camera.SetPanTarget(Vector3(4.0f, 0.0f, 0.0f));
    camera.Update(0.1f);
    ExpectNear(camera.GetPosition() - g_CameraEyeOffset, Vector3(2.0f, 0.0f, 0.0f));
}

// Free and turned modes.

TEST_F(CameraTest, FreeModeLooksAtItsTargetWithTheFieldOfViewOfItsRamp)
{
    kaCamera camera;
    camera.SetMode(4);
    Target target;
    target.SetPosition(0.0f, 60.0f, 0.0f);
    camera.SetTarget(&target);
    camera.SetDistanceZoom(true);
    camera.SetZoomRamp(kaLinearRamp(0.0f, 200.0f, 0.2f, 1.0f));
    camera.Update(0.1f);
    EXPECT_EQ(camera.GetLookPoint(), Vector3(0.0f, 60.0f, 0.0f));
    EXPECT_NEAR(camera.GetFieldOfView(), 0.6f, kTolerance);
    Matrix expected;
    MatrixPerspectiveFovLH(&expected, camera.GetFieldOfView(), 1.3333334f, 0.25f, 2000.0f);
    ExpectNear(camera.GetProjectionMatrix(), expected);
}

TEST_F(CameraTest, PositionHookShiftsPositionLookPointAndEyeGoalAlike)
{
    kaCamera camera;
    camera.SetMode(8);
    g_CameraPositionHook = [](Vector3& position) { position.y = 10.0f; };
    camera.Update(0.1f);
    ExpectNear(camera.GetPosition(), Vector3(0.0f, 10.0f, -100.0f));
    ExpectNear(camera.GetEyeGoal(), Vector3(0.0f, 10.0f, -100.0f));
    ExpectNear(camera.GetLookPoint(), Vector3(0.0f, 10.0f, -99.0f));
}

TEST_F(CameraTest, TurnedModeBuildsItsViewFromTheAnglesLessTheHeading)
{
    kaCamera camera;
    camera.SetMode(7);
    camera.SetPosition(1.0f, 2.0f, 3.0f);
    camera.SetRotationAngles(0.7f, 0.2f, 0.0f);
    // Tipped forward about X: its up vector points along +z, so the heading is 0.
    Quaternion tip;
    const Vector3 xAxis(1.0f, 0.0f, 0.0f);
    QuaternionRotationAxis(&tip, &xAxis, 1.5707964f);
    camera.SetOrientation(tip);
    const Matrix before = camera.GetComputedView();
    camera.Update(0.1f);
    EXPECT_EQ(camera.GetComputedView(), before);

    g_ApplicationRunning = 1;
    camera.Update(0.1f);
    Matrix expected;
    Matrix rotation;
    MatrixTranslation(&expected, -1.0f, -2.0f, -3.0f);
    expected *= *MatrixRotationY(&rotation, 0.7f);
    expected *= *MatrixRotationX(&rotation, 0.2f);
    ExpectNear(camera.GetViewMatrix(), expected);
}

TEST_F(CameraTest, OtherModesLeaveTheViewAlone)
{
    kaCamera camera;
    camera.SetMode(3);
    g_ApplicationRunning = 1;
    camera.Update(0.1f);
    EXPECT_TRUE(MatrixIsIdentity(&camera.GetViewMatrix()));
}

// Properties.

TEST_F(CameraTest, ReadingOnlyPosYPlacesTheCameraOnTheYAxisUnturned)
{
    kaCamera camera;
    camera.SetRotationAngles(1.0f, 2.0f, 3.0f);
    TiXmlElement element("Camera");
    AppendTextElement(&element, "posY", "7.5");
    camera.ReadProperties(&element);
    EXPECT_EQ(camera.GetPosition(), Vector3(0.0f, 7.5f, 0.0f));
    EXPECT_EQ(camera.GetEyeGoal(), Vector3(0.0f, 7.5f, 0.0f));
    EXPECT_EQ(camera.GetRotationAngles(), Vector3());
}

TEST_F(CameraTest, PropertiesWrittenInOrderReadBackTheSamePlacement)
{
    kaCamera written;
    written.SetPosition(1.5f, -2.25f, 300.0f);
    written.SetRotationAngles(0.1f, 0.2f, -0.3f);
    TiXmlElement element("Camera");
    written.WriteProperties(&element);
    std::vector<std::string> names;
    for (const TiXmlElement* child = element.FirstChildElement(); child; child = child->NextSiblingElement())
        names.push_back(child->Value());
    EXPECT_EQ(names, (std::vector<std::string>{"posX", "posY", "posZ", "rotX", "rotY", "rotZ"}));

    kaCamera read;
    read.ReadProperties(&element);
    ExpectNear(read.GetPosition(), Vector3(1.5f, -2.25f, 300.0f));
    ExpectNear(read.GetRotationAngles(), Vector3(0.1f, 0.2f, -0.3f));
}

TEST_F(CameraTest, UnreadableValuesCountZeroAndNoElementChangesNothing)
{
    kaCamera camera;
    camera.ReadProperties(nullptr);
    EXPECT_EQ(camera.GetPosition(), Vector3(0.0f, 60.0f, -100.0f));
    TiXmlElement element("Camera");
    AppendTextElement(&element, "posX", "east");
    AppendTextElement(&element, "posZ", "4");
    camera.ReadProperties(&element);
    EXPECT_EQ(camera.GetPosition(), Vector3(0.0f, 0.0f, 4.0f));
}

// With the graphics manager.

namespace
{

class CameraDeviceTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(Start(nullptr)); }

    Matrix DeviceTransform(uint32_t which) const
    {
        Matrix m;
        m_Manager->GetDevice()->GetTransform(which, &m);
        return m;
    }

    CameraGlobals m_Globals;
};

} // namespace

TEST_F(CameraDeviceTest, TwoUpdatesOfAStillCameraSetTheViewChangedFlagOnlyOnce)
{
    kaCamera camera;
    g_ApplicationRunning = 1;
    m_Manager->SetViewChanged(false);
    camera.Update(0.1f);
    EXPECT_TRUE(m_Manager->IsViewChanged());
    m_Manager->SetViewChanged(false);
    camera.Update(0.1f);
    EXPECT_FALSE(m_Manager->IsViewChanged());
    camera.SetPosition(0.0f, 61.0f, -100.0f);
    camera.Update(0.1f);
    EXPECT_TRUE(m_Manager->IsViewChanged());
}

TEST_F(CameraDeviceTest, RotateHandsOnATranslatedTurnedViewOnlyWhenItChanges)
{
    kaCamera camera;
    camera.SetPosition(1.0f, 2.0f, 3.0f);
    camera.SetRotationAngles(0.0f, 0.5f, 0.25f);
    m_Manager->SetViewChanged(false);
    camera.Rotate();
    Matrix expected;
    Matrix rotation;
    MatrixTranslation(&expected, -1.0f, -2.0f, -3.0f);
    expected *= *MatrixRotationZ(&rotation, -0.25f);
    expected *= *MatrixRotationY(&rotation, -0.5f);
    ExpectNear(camera.GetViewMatrix(), expected);
    EXPECT_TRUE(m_Manager->IsViewChanged());
    m_Manager->SetViewChanged(false);
    camera.Rotate();
    EXPECT_FALSE(m_Manager->IsViewChanged());
}

TEST_F(CameraDeviceTest, DepthBiasScalesTheDeviceDepthOffsetAndZeroRestoresTheCameraProjection)
{
    kaCamera camera;
    Matrix other;
    MatrixPerspectiveFovLH(&other, 1.0f, 1.0f, 1.0f, 100.0f);
    m_Manager->GetDevice()->SetTransform(TS_PROJECTION, &other);
    camera.SetProjectionDepthBias(-5.0f, 20.0f);
    const float epsilon = (-2.0f * 2000.0f * 0.25f * -5.0f) / ((2000.0f + 0.25f) * 15.0f * 20.0f);
    Matrix expected = other;
    expected(3, 2) *= 1.0f + epsilon;
    ExpectNear(DeviceTransform(TS_PROJECTION), expected, 1e-6f);

    camera.SetProjectionDepthBias(0.0f, 0.0f);
    EXPECT_EQ(DeviceTransform(TS_PROJECTION), camera.GetComputedProjection());
}

TEST_F(CameraDeviceTest, DepthBiasWhoseDepthsCancelLeavesTheProjectionAlone)
{
    kaCamera camera;
    Matrix other;
    MatrixPerspectiveFovLH(&other, 1.0f, 1.0f, 1.0f, 100.0f);
    m_Manager->GetDevice()->SetTransform(TS_PROJECTION, &other);
    camera.SetProjectionDepthBias(-20.0f, 20.0f);
    camera.SetProjectionDepthBias(5.0f, 0.0f);
    EXPECT_EQ(DeviceTransform(TS_PROJECTION), other);
}

TEST_F(CameraDeviceTest, PickRayRunsFromTheNearPlaneCentreToTheFarCorner)
{
    kaCamera camera;
    camera.SetPosition(0.0f, 0.0f, 0.0f);
    camera.Update(0.1f);
    ASSERT_TRUE(MatrixIsIdentity(&camera.GetViewMatrix()));
    uint32_t width = 0;
    uint32_t height = 0;
    m_Manager->GetViewportSize(width, height);
    ASSERT_GT(width, 0u);
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);

    Vector3 point;
    camera.GetPickRay(point, Vector3(w / 2.0f, h / 2.0f, 0.0f));
    ExpectNear(point, Vector3(0.0f, 0.0f, 0.25f));
    EXPECT_EQ(camera.GetViewportWidth(), w);

    const float t = std::tan(0.7853982f / 2.0f);
    camera.GetPickRay(point, Vector3(w, 0.0f, 1.0f));
    ExpectNear(point, Vector3(t * (w / h) * 2000.0f, t * 2000.0f, 2000.0f), 0.05f);

    // Moved camera: the same screen point moves with it.
    camera.SetPosition(10.0f, 0.0f, 0.0f);
    camera.Update(0.1f);
    camera.GetPickRay(point, Vector3(w / 2.0f, h / 2.0f, 0.0f));
    ExpectNear(point, Vector3(10.0f, 0.0f, 0.25f));
}

TEST_F(CameraDeviceTest, SetCameraPutsItsMatricesOnTheDeviceAndUpdatesTheFrustum)
{
    kaCamera camera;
    camera.SetPosition(0.0f, 0.0f, 0.0f);
    camera.Update(0.1f);
    m_Manager->SetCamera(&camera);
    EXPECT_EQ(DeviceTransform(TS_VIEW), camera.GetViewMatrix());
    EXPECT_EQ(DeviceTransform(TS_PROJECTION), camera.GetProjectionMatrix());
    m_Manager->UseViewFrustum();
    EXPECT_TRUE(m_Manager->IsPointInFrustum(0.0f, 0.0f, 10.0f));
    EXPECT_FALSE(m_Manager->IsPointInFrustum(0.0f, 0.0f, -10.0f));
    EXPECT_FALSE(m_Manager->IsPointInFrustum(0.0f, 0.0f, 3000.0f));
}
