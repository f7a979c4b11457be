#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Quaternion.h"
#include "platform/gfx/math/Vector2.h"
#include "platform/gfx/math/Vector3.h"
#include "platform/gfx/math/Vector4.h"
#include "platform/gfx/math/Viewport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

using namespace platform;

namespace
{

constexpr float kPiF = 3.14159265358979f;

void ExpectMatrixNear(const Matrix& actual, const Matrix& expected, float tolerance = 1e-5f)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(actual(r, c), expected(r, c), tolerance) << "row " << r << " column " << c;
}

void ExpectVectorNear(const Vector3& actual, const Vector3& expected, float tolerance = 1e-5f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

Vector3 Transform(const Vector3& v, const Matrix& m)
{
    Vector3 out;
    Vec3TransformCoord(&out, &v, &m);
    return out;
}

} // namespace

TEST(MatrixProjection, PerspectiveFovMatchesHandComputedValues)
{
    Matrix m;
    MatrixPerspectiveFovLH(&m, kPiF / 4.0f, 4.0f / 3.0f, 0.25f, 2000.0f);
    // cot(pi/8) = 2.4142136; divided by the aspect 1.8106602; depth 2000/1999.75 and -0.25 times that, so
    // that the near plane maps to 0 and the far plane to 1.
    const Matrix expected(1.8106602f, 0, 0, 0, 0, 2.4142136f, 0, 0, 0, 0, 1.000125f, 1, 0, 0, -0.25003126f,
                          0);
    ExpectMatrixNear(m, expected);
}

TEST(MatrixProjection, OrthoMapsTheBoxOntoClipSpace)
{
    Matrix m;
    MatrixOrthoLH(&m, 800.0f, 600.0f, 1.0f, 11.0f);
    ExpectVectorNear(Transform(Vector3(400, 300, 1), m), Vector3(1, 1, 0));
    ExpectVectorNear(Transform(Vector3(-400, -300, 11), m), Vector3(-1, -1, 1));
}

// From -z the view is a translation; from +x it turns the world. The eye lands on the origin and the
// target straight ahead.
TEST(MatrixView, LookAtPutsTheEyeAtTheOriginFacingPlusZ)
{
    const std::pair<Vector3, Matrix> cases[] = {
        {Vector3(0, 0, -10), Matrix(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 10, 1)},
        {Vector3(5, 0, 0), Matrix(0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 5, 1)},
    };
    const Vector3 at(0, 0, 0), up(0, 1, 0);
    for (const auto& [eye, expected] : cases)
    {
        Matrix m;
        MatrixLookAtLH(&m, &eye, &at, &up);
        ExpectMatrixNear(m, expected);
        ExpectVectorNear(Transform(eye, m), Vector3(0, 0, 0));
        ExpectVectorNear(Transform(at, m), Vector3(0, 0, Vec3Length(eye)));
    }
}

TEST(MatrixRotation, QuarterTurnAboutYAsMatrixAndQuaternion)
{
    Matrix rotation;
    MatrixRotationY(&rotation, kPiF / 2.0f);
    const Matrix expected(0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1);
    ExpectMatrixNear(rotation, expected);
    // Left-handed: +X turns towards -Z.
    ExpectVectorNear(Transform(Vector3(1, 0, 0), rotation), Vector3(0, 0, -1));

    Quaternion q;
    const Vector3 yAxis(0, 1, 0);
    QuaternionRotationAxis(&q, &yAxis, kPiF / 2.0f);
    EXPECT_NEAR(q.y, std::sqrt(0.5f), 1e-6f);
    EXPECT_NEAR(q.w, std::sqrt(0.5f), 1e-6f);
    Matrix fromQuaternion;
    MatrixRotationQuaternion(&fromQuaternion, &q);
    ExpectMatrixNear(fromQuaternion, expected);
}

TEST(MatrixRotation, YawPitchRollAppliesRollThenPitchThenYaw)
{
    Matrix m;
    MatrixRotationYawPitchRoll(&m, kPiF / 2.0f, kPiF / 2.0f, 0.0f);
    // Pitch first takes +Z to -Y, which the yaw about Y leaves alone; yaw first would give +X.
    ExpectVectorNear(Transform(Vector3(0, 0, 1), m), Vector3(0, -1, 0));

    MatrixRotationYawPitchRoll(&m, kPiF / 2.0f, 0.0f, kPiF / 2.0f);
    // Roll first takes +X to +Y; yaw first would give -Z.
    ExpectVectorNear(Transform(Vector3(1, 0, 0), m), Vector3(0, 1, 0));

    Matrix rz, rx, ry;
    MatrixRotationZ(&rz, 0.3f);
    MatrixRotationX(&rx, -0.7f);
    MatrixRotationY(&ry, 1.1f);
    MatrixRotationYawPitchRoll(&m, 1.1f, -0.7f, 0.3f);
    ExpectMatrixNear(m, rz * rx * ry);

    Quaternion q;
    QuaternionRotationYawPitchRoll(&q, 1.1f, -0.7f, 0.3f);
    Matrix fromQuaternion;
    MatrixRotationQuaternion(&fromQuaternion, &q);
    ExpectMatrixNear(fromQuaternion, m);
}

TEST(MatrixRotation, QuaternionIsUsedWithoutNormalising)
{
    Matrix m;
    const Quaternion zero(0, 0, 0, 0);
    MatrixRotationQuaternion(&m, &zero);
    EXPECT_TRUE(MatrixIsIdentity(&m));

    const Quaternion scaled(0, 2, 0, 0);
    MatrixRotationQuaternion(&m, &scaled);
    EXPECT_FLOAT_EQ(m(0, 0), -7.0f);
    EXPECT_FLOAT_EQ(m(1, 1), 1.0f);
}

TEST(MatrixAlgebra, MultiplyAppliesTheLeftMatrixFirst)
{
    Matrix translate, scale;
    MatrixTranslation(&translate, 1, 2, 3);
    MatrixScaling(&scale, 2, 2, 2);
    ExpectVectorNear(Transform(Vector3(1, 1, 1), translate * scale), Vector3(4, 6, 8));
    ExpectVectorNear(Transform(Vector3(1, 1, 1), scale * translate), Vector3(3, 4, 5));

    // Aliasing the result with an input keeps the arithmetic right.
    Matrix a = translate;
    MatrixMultiply(&a, &a, &scale);
    ExpectMatrixNear(a, translate * scale);
}

TEST(MatrixAlgebra, InverseTimesMatrixIsIdentity)
{
    Matrix rotation, translation, scaling, projection;
    MatrixRotationYawPitchRoll(&rotation, 0.4f, -1.2f, 2.0f);
    MatrixTranslation(&translation, -3.0f, 7.5f, 12.0f);
    MatrixScaling(&scaling, 0.5f, 3.0f, 1.5f);
    MatrixPerspectiveFovLH(&projection, 1.0f, 1.5f, 0.5f, 100.0f);
    for (const Matrix& m : {scaling * rotation * translation, rotation * translation * projection})
    {
        Matrix inverse;
        float determinant = 0.0f;
        ASSERT_NE(MatrixInverse(&inverse, &determinant, &m), nullptr);
        EXPECT_NE(determinant, 0.0f);
        ExpectMatrixNear(inverse * m, Matrix(), 1e-4f);
        ExpectMatrixNear(m * inverse, Matrix(), 1e-4f);
    }
}

TEST(MatrixAlgebra, SingularMatrixHasNoInverseAndLeavesTheResultAlone)
{
    Matrix flat;
    MatrixScaling(&flat, 1, 0, 1);
    Matrix out;
    MatrixTranslation(&out, 9, 9, 9);
    const Matrix before = out;
    EXPECT_EQ(MatrixInverse(&out, nullptr, &flat), nullptr);
    EXPECT_EQ(out, before);
}

TEST(VectorTransform, CoordDividesByWAndNormalIgnoresTranslation)
{
    Matrix projection;
    MatrixPerspectiveFovLH(&projection, kPiF / 2.0f, 1.0f, 1.0f, 3.0f);
    // At z = 2: w = 2, x' = 1·2/2, z' = (2·1.5 - 1.5)/2.
    ExpectVectorNear(Transform(Vector3(2, 0, 2), projection), Vector3(1, 0, 0.75f));

    Matrix translation;
    MatrixTranslation(&translation, 10, 20, 30);
    const Vector3 normal(0, 1, 0);
    Vector3 out;
    Vec3TransformNormal(&out, &normal, &translation);
    ExpectVectorNear(out, normal);

    Vector4 full;
    const Vector3 point(1, 2, 3);
    Vec3Transform(&full, &point, &projection);
    EXPECT_FLOAT_EQ(full.w, 3.0f);
}

TEST(VectorTransform, NormaliseKeepsZeroAtZero)
{
    Vector3 v(3, 0, 4);
    Vec3Normalize(&v, &v);
    ExpectVectorNear(v, Vector3(0.6f, 0, 0.8f));
    Vector3 zero;
    Vec3Normalize(&zero, &zero);
    EXPECT_EQ(zero, Vector3(0, 0, 0));
    EXPECT_EQ(Vec3Cross(Vector3(1, 0, 0), Vector3(0, 1, 0)), Vector3(0, 0, 1));
    EXPECT_FLOAT_EQ(Vec3Dot(Vector3(1, 2, 3), Vector3(4, -5, 6)), 12.0f);
    EXPECT_FLOAT_EQ(Vec3Length(Vector3(2, 3, 6)), 7.0f);

    Vector2 flat(0, -5);
    Vec2Normalize(&flat, &flat);
    EXPECT_EQ(flat, Vector2(0, -1));
    Vector2 none;
    Vec2Normalize(&none, &none);
    EXPECT_EQ(none, Vector2(0, 0));
}

TEST(VectorProjection, ProjectThenUnprojectReturnsThePoint)
{
    Matrix projection, view, world;
    MatrixPerspectiveFovLH(&projection, kPiF / 4.0f, 4.0f / 3.0f, 0.25f, 2000.0f);
    const Vector3 eye(10, 20, -30), at(0, 0, 0), up(0, 1, 0);
    MatrixLookAtLH(&view, &eye, &at, &up);
    MatrixRotationY(&world, 0.5f);
    const Viewport viewport{0, 0, 800, 600, 0.0f, 1.0f};
    const Vector3 point(3, -2, 5);
    Vector3 screen, back;
    Vec3Project(&screen, &point, &viewport, &projection, &view, &world);
    EXPECT_GE(screen.x, 0.0f);
    EXPECT_LE(screen.x, 800.0f);
    ASSERT_NE(Vec3Unproject(&back, &screen, &viewport, &projection, &view, &world), nullptr);
    ExpectVectorNear(back, point, 1e-2f);
}

TEST(VectorProjection, ViewportCentreAndCornersFollowTheRules)
{
    const Viewport viewport{100, 50, 800, 600, 0.0f, 1.0f};
    Vector3 screen;
    const Vector3 centre(0, 0, 0.5f), corner(-1, 1, 0);
    Vec3Project(&screen, &centre, &viewport, nullptr, nullptr, nullptr);
    ExpectVectorNear(screen, Vector3(500, 350, 0.5f));
    Vec3Project(&screen, &corner, &viewport, nullptr, nullptr, nullptr);
    // Clip-space y runs up, pixel y runs down.
    ExpectVectorNear(screen, Vector3(100, 50, 0));
}
