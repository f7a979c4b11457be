#include "platform/gfx/math/Quaternion.h"
#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Plane.h"
#include "platform/gfx/math/Vector3.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace platform;

namespace
{

constexpr float kPi = 3.14159265358979f;

Quaternion AxisAngle(float x, float y, float z, float angle)
{
    Quaternion q;
    const Vector3 axis(x, y, z);
    QuaternionRotationAxis(&q, &axis, angle);
    return q;
}

// q and -q are the same rotation.
void ExpectSameRotation(const Quaternion& a, const Quaternion& b)
{
    const float sign = QuaternionDot(&a, &b) < 0.0f ? -1.0f : 1.0f;
    EXPECT_NEAR(a.x, sign * b.x, 1e-5f);
    EXPECT_NEAR(a.y, sign * b.y, 1e-5f);
    EXPECT_NEAR(a.z, sign * b.z, 1e-5f);
    EXPECT_NEAR(a.w, sign * b.w, 1e-5f);
}

} // namespace

TEST(Quaternion, MultiplyIsTheFirstRotationFollowedByTheSecond)
{
    const Quaternion a = AxisAngle(1, 0, 0, kPi / 2), b = AxisAngle(0, 1, 0, kPi / 2);
    Quaternion ab;
    QuaternionMultiply(&ab, &a, &b);
    Matrix ma, mb, mab;
    MatrixRotationQuaternion(&ma, &a);
    MatrixRotationQuaternion(&mb, &b);
    MatrixRotationQuaternion(&mab, &ab);
    const Matrix expected = ma * mb;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(mab(r, c), expected(r, c), 1e-5f);
}

TEST(Quaternion, FromMatrixRecoversTheRotationOnEveryBranch)
{
    // Small angles take the trace branch; half turns about each axis take the three others.
    for (const Quaternion& q : {AxisAngle(1, 2, 3, 0.4f), AxisAngle(1, 0, 0, kPi), AxisAngle(0, 1, 0, kPi),
                                AxisAngle(0, 0, 1, kPi), AxisAngle(-1, 0.2f, 0.1f, 2.9f)})
    {
        Matrix m;
        MatrixRotationQuaternion(&m, &q);
        Quaternion back;
        QuaternionRotationMatrix(&back, &m);
        ExpectSameRotation(back, q);
    }
}

TEST(Quaternion, SlerpRunsAlongTheShorterArc)
{
    const Quaternion identity, quarter = AxisAngle(0, 1, 0, kPi / 2);
    Quaternion half;
    QuaternionSlerp(&half, &identity, &quarter, 0.5f);
    ExpectSameRotation(half, AxisAngle(0, 1, 0, kPi / 4));

    Quaternion end;
    QuaternionSlerp(&end, &identity, &quarter, 1.0f);
    ExpectSameRotation(end, quarter);

    // The negated end is the same rotation: the blend must not swing the long way round.
    const Quaternion negated(-quarter.x, -quarter.y, -quarter.z, -quarter.w);
    QuaternionSlerp(&half, &identity, &negated, 0.5f);
    ExpectSameRotation(half, AxisAngle(0, 1, 0, kPi / 4));
}

TEST(Quaternion, NormaliseKeepsZeroAtZero)
{
    Quaternion q(0, 0, 0, 0);
    QuaternionNormalize(&q, &q);
    EXPECT_EQ(q, Quaternion(0, 0, 0, 0));
    Quaternion r(0, 3, 0, 4);
    QuaternionNormalize(&r, &r);
    EXPECT_NEAR(QuaternionLength(&r), 1.0f, 1e-6f);
}

TEST(Plane, NormaliseScalesAllFourValues)
{
    Plane p(0, 3, 4, 10);
    PlaneNormalize(&p, &p);
    EXPECT_FLOAT_EQ(p.b, 0.6f);
    EXPECT_FLOAT_EQ(p.c, 0.8f);
    EXPECT_FLOAT_EQ(p.d, 2.0f);
    const Vector3 onPlane(0, -1.2f, -1.6f);
    EXPECT_NEAR(PlaneDotCoord(&p, &onPlane), 0.0f, 1e-6f);

    Plane degenerate(0, 0, 0, 5);
    PlaneNormalize(&degenerate, &degenerate);
    EXPECT_EQ(degenerate, Plane(0, 0, 0, 5));
}
