#include "engine/render/ProjectedScaleAtPoint.h"

#include <gtest/gtest.h>

using namespace platform;

namespace
{

Matrix QuarterTurnProjection()
{
    Matrix projection;
    MatrixPerspectiveFovLH(&projection, 1.5707964f, 1.0f, 1.0f, 100.0f);
    return projection;
}

} // namespace

TEST(ProjectedScaleAtPointTest, IsHalfAPixelsWorldSizeAndGrowsWithDistance)
{
    const Matrix view;
    // One unit at depth 10 spans a tenth of the half-width 1: 40 of 800 pixels, so a pixel is 1/40.
    EXPECT_NEAR(ProjectedScaleAtPoint(Vector3(0.0f, 0.0f, 10.0f), view, QuarterTurnProjection(), 800.0f),
                0.0125f, 1e-6f);
    EXPECT_NEAR(ProjectedScaleAtPoint(Vector3(3.0f, -2.0f, 20.0f), view, QuarterTurnProjection(), 800.0f),
                0.025f, 1e-6f);
}

TEST(ProjectedScaleAtPointTest, FollowsTheView)
{
    Matrix view;
    MatrixTranslation(&view, 0.0f, 0.0f, 10.0f);
    EXPECT_NEAR(ProjectedScaleAtPoint(Vector3(), view, QuarterTurnProjection(), 800.0f), 0.0125f, 1e-6f);
}

TEST(ProjectedScaleAtPointTest, IsZeroBehindTheEyeOrWithoutAViewport)
{
    const Matrix view;
    EXPECT_EQ(ProjectedScaleAtPoint(Vector3(0.0f, 0.0f, -10.0f), view, QuarterTurnProjection(), 800.0f),
              0.0f);
    EXPECT_EQ(ProjectedScaleAtPoint(Vector3(0.0f, 0.0f, 0.0f), view, QuarterTurnProjection(), 800.0f), 0.0f);
    EXPECT_EQ(ProjectedScaleAtPoint(Vector3(0.0f, 0.0f, 10.0f), view, QuarterTurnProjection(), 0.0f), 0.0f);
}
