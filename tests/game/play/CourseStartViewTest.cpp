#include "engine/model/kaBoundingBox.h"
#include "engine/scene/kaCollideInfo.h"
#include "engine/scene/kaEntity.h"
#include "engine/scene/kaSpawnPoint.h"
#include "game/app/Tarvolin.h"
#include "game/vehicles/tvVehicle.h"
#include "game/world/WorldInfo.h"
#include "game/world/tvCamera.h"
#include "game/world/tvWorld.h"
#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector3.h"
#include "tests/support/game/ExhibitionStart.h"
#include "tests/support/game/HeadlessGame.h"

#include <gtest/gtest.h>

#include <string>

using platform::Matrix;
using platform::Vector3;
using testsupport::HeadlessGame;

namespace coursestartview
{

constexpr double kFrame = 1.0 / 30.0;
// What stands further from the eye than the car by this much lies ahead of it.
constexpr float kAhead = 3.0f;

struct Projected
{
    // In front of the eye and inside the frame.
    bool inFrame = false;
    // Distance from the eye along the view.
    float depth = 0.0f;
};

Projected Project(const tvCamera& camera, const Vector3& point)
{
    Projected result;
    Vector3 view;
    const Matrix& viewMatrix = camera.GetComputedView();
    platform::Vec3TransformCoord(&view, &point, &viewMatrix);
    result.depth = view.z;
    if (view.z <= camera.GetNearPlane())
        return result;
    Vector3 clip;
    const Matrix& projection = camera.GetComputedProjection();
    platform::Vec3TransformCoord(&clip, &view, &projection);
    result.inFrame = clip.x >= -1.0f && clip.x <= 1.0f && clip.y >= -1.0f && clip.y <= 1.0f;
    return result;
}

// True when the segment crosses the venue's floor or walls.
bool VenueBetween(tvWorld& world, const Vector3& from, const Vector3& to)
{
    kaCollideInfo hit;
    return world.Pick(from, to, &hit, kaWorld::kPickMeshes | kaWorld::kPickVenueOnly);
}

bool SeenWhole(tvWorld& world, const tvCamera& camera, kaBoundingBox& box)
{
    const Vector3 eye = camera.GetPosition();
    if (!Project(camera, box.m_Centre).inFrame || VenueBetween(world, eye, box.m_Centre))
        return false;
    for (const Vector3& corner : box.m_Corners)
        if (!Project(camera, corner).inFrame)
            return false;
    return true;
}

bool RunFrames(HeadlessGame& game, int frames)
{
    for (int frame = 0; frame < frames; ++frame)
    {
        game.Clock().AdvanceSeconds(kFrame);
        if (!game.Frame())
            return false;
    }
    return true;
}

// At "Go" on every course the game lists, the chase camera stands over the venue's floor inside its walls,
// the whole car is in the frame with no wall between, and some of the course's gear lies ahead of it in
// view.
TEST(CourseStartViewTest, AtGoTheChaseCameraIsInsideTheVenueAndSeesTheCarAndTheCourseAhead)
{
    HeadlessGame game;
    ASSERT_TRUE(game.Start());
    game.SetClockStep(0.0);
    Tarvolin& app = game.App();
    app.SetCurrentPlayer(app.CreatePlayer("Viewer"));
    ASSERT_GT(app.GetWorldCount(), 0);
    for (int32_t index = 0; index < app.GetWorldCount(); ++index)
    {
        const WorldInfo* course = app.GetWorldInfo(index);
        ASSERT_NE(course, nullptr);
        SCOPED_TRACE(course->GetFilePath());
        tvWorld* world = testsupport::StartExhibition(app, *course, "Charger");
        ASSERT_NE(world, nullptr);
        ASSERT_NE(world->GetVenueEntity(), nullptr);
        tvVehicle* car = app.GetPlayerVehicle();
        ASSERT_NE(car, nullptr);
        tvCamera* camera = world->GetFollowCamera();
        ASSERT_NE(camera, nullptr);
        world->StartRound();
        for (int frame = 0; frame < 150 && !world->HasPlayedCue(tvWorld::kGo); ++frame)
            ASSERT_TRUE(RunFrames(game, 1));
        ASSERT_TRUE(world->HasPlayedCue(tvWorld::kGo));
        ASSERT_EQ(camera->GetView(), tvCamera::kChaseView);

        const Vector3 eye = camera->GetPosition();
        kaBoundingBox* carBox = car->GetBoundingBox();
        ASSERT_NE(carBox, nullptr);
        // Straight down from the eye lies the floor, not a wall's top nor the world beyond the venue.
        kaCollideInfo below;
        const bool overVenue = world->Pick(eye, eye - Vector3(0.0f, 100.0f, 0.0f), &below,
                                           kaWorld::kPickMeshes | kaWorld::kPickVenueOnly);
        EXPECT_TRUE(overVenue) << "nothing under the camera at " << eye.x << ", " << eye.y << ", " << eye.z;
        if (overVenue)
        {
            EXPECT_LT(below.m_Point.y, carBox->m_Centre.y) << "the camera is over a wall";
        }

        EXPECT_TRUE(SeenWhole(*world, *camera, *carBox)) << "the car is not seen whole";
        const float carDepth = Project(*camera, carBox->m_Centre).depth;

        int ahead = 0;
        for (kaEntity* entity : world->GetEntities())
        {
            if (entity == world->GetVenueEntity() || !entity->IsVisible() ||
                entity->GetName() == kaSpawnPoint::kName)
                continue;
            kaBoundingBox* box = entity->GetBoundingBox();
            if (box == nullptr || Project(*camera, box->m_Centre).depth < carDepth + kAhead)
                continue;
            if (Project(*camera, box->m_Centre).inFrame && !VenueBetween(*world, eye, box->m_Centre))
                ++ahead;
        }
        EXPECT_GT(ahead, 0) << "nothing of the course ahead of the car is in view";
        app.DeleteCourseWorld();
    }
}

} // namespace coursestartview
