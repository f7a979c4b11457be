#include "platform/gfx/math/Matrix.h"

#include "platform/gfx/math/Quaternion.h"
#include "platform/gfx/math/Vector3.h"

#include <cmath>

namespace platform
{

Matrix::Matrix(float m11, float m12, float m13, float m14, float m21, float m22, float m23, float m24,
               float m31, float m32, float m33, float m34, float m41, float m42, float m43, float m44)
    : m{{m11, m12, m13, m14}, {m21, m22, m23, m24}, {m31, m32, m33, m34}, {m41, m42, m43, m44}}
{
}

bool Matrix::operator==(const Matrix& o) const
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m[r][c] != o.m[r][c])
                return false;
    return true;
}

Matrix* MatrixIdentity(Matrix* out)
{
    *out = Matrix();
    return out;
}

bool MatrixIsIdentity(const Matrix* m)
{
    return *m == Matrix();
}

Matrix* MatrixTranspose(Matrix* out, const Matrix* m)
{
    Matrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = m->m[j][i];
    *out = r;
    return out;
}

namespace
{

// The cofactor expansion shared by the determinant and the inverse, in double for accuracy.
struct Cofactors
{
    double c[4][4];
    double determinant;
};

Cofactors ComputeCofactors(const Matrix& mat)
{
    double a[16];
    for (int i = 0; i < 16; ++i)
        a[i] = mat.m[i / 4][i % 4];
    double inv[16];
    inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] + a[9] * a[7] * a[14] +
             a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
    inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] - a[8] * a[7] * a[14] -
             a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
    inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] + a[8] * a[7] * a[13] +
             a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
    inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] - a[8] * a[6] * a[13] -
              a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
    inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] - a[9] * a[3] * a[14] -
             a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
    inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] + a[8] * a[3] * a[14] +
             a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
    inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] - a[8] * a[3] * a[13] -
             a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
    inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] + a[8] * a[2] * a[13] +
              a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
    inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14] +
             a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
    inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] - a[4] * a[3] * a[14] -
             a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
    inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] + a[4] * a[3] * a[13] +
              a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
    inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] - a[4] * a[2] * a[13] -
              a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
    inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] - a[5] * a[3] * a[10] -
             a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
    inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10] +
             a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
    inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9] -
              a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
    inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9] +
              a[8] * a[1] * a[6] - a[8] * a[2] * a[5];
    Cofactors result;
    for (int i = 0; i < 16; ++i)
        result.c[i / 4][i % 4] = inv[i];
    result.determinant = a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
    return result;
}

} // namespace

float MatrixDeterminant(const Matrix* m)
{
    return static_cast<float>(ComputeCofactors(*m).determinant);
}

Matrix* MatrixInverse(Matrix* out, float* determinant, const Matrix* m)
{
    const Cofactors cof = ComputeCofactors(*m);
    if (determinant)
        *determinant = static_cast<float>(cof.determinant);
    if (cof.determinant == 0.0 || !std::isfinite(cof.determinant))
        return nullptr;
    const double scale = 1.0 / cof.determinant;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out->m[r][c] = static_cast<float>(cof.c[r][c] * scale);
    return out;
}

Matrix* MatrixTranslation(Matrix* out, float x, float y, float z)
{
    *out = Matrix();
    out->m[3][0] = x;
    out->m[3][1] = y;
    out->m[3][2] = z;
    return out;
}

Matrix* MatrixScaling(Matrix* out, float x, float y, float z)
{
    *out = Matrix();
    out->m[0][0] = x;
    out->m[1][1] = y;
    out->m[2][2] = z;
    return out;
}

Matrix* MatrixRotationX(Matrix* out, float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    *out = Matrix(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
    return out;
}

Matrix* MatrixRotationY(Matrix* out, float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    *out = Matrix(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
    return out;
}

Matrix* MatrixRotationZ(Matrix* out, float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    *out = Matrix(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return out;
}

Matrix* MatrixRotationAxis(Matrix* out, const Vector3* axis, float angle)
{
    Quaternion q;
    QuaternionRotationAxis(&q, axis, angle);
    return MatrixRotationQuaternion(out, &q);
}

Matrix* MatrixRotationYawPitchRoll(Matrix* out, float yaw, float pitch, float roll)
{
    Matrix rz, rx, ry;
    MatrixRotationZ(&rz, roll);
    MatrixRotationX(&rx, pitch);
    MatrixRotationY(&ry, yaw);
    *out = rz * rx * ry;
    return out;
}

Matrix* MatrixRotationQuaternion(Matrix* out, const Quaternion* q)
{
    const float x = q->x, y = q->y, z = q->z, w = q->w;
    *out = Matrix(1.0f - 2.0f * (y * y + z * z), 2.0f * (x * y + z * w), 2.0f * (x * z - y * w), 0.0f,
                  2.0f * (x * y - z * w), 1.0f - 2.0f * (x * x + z * z), 2.0f * (y * z + x * w), 0.0f,
                  2.0f * (x * z + y * w), 2.0f * (y * z - x * w), 1.0f - 2.0f * (x * x + y * y), 0.0f, 0.0f,
                  0.0f, 0.0f, 1.0f);
    return out;
}

Matrix* MatrixPerspectiveFovLH(Matrix* out, float fovY, float aspect, float zNear, float zFar)
{
    const float yScale = 1.0f / std::tan(fovY * 0.5f);
    const float xScale = yScale / aspect;
    const float depth = zFar / (zFar - zNear);
    *out = Matrix(xScale, 0, 0, 0, 0, yScale, 0, 0, 0, 0, depth, 1, 0, 0, -zNear * depth, 0);
    return out;
}

Matrix* MatrixOrthoLH(Matrix* out, float width, float height, float zNear, float zFar)
{
    *out = Matrix(2.0f / width, 0, 0, 0, 0, 2.0f / height, 0, 0, 0, 0, 1.0f / (zFar - zNear), 0, 0, 0,
                  zNear / (zNear - zFar), 1);
    return out;
}

Matrix* MatrixOrthoOffCenterLH(Matrix* out, float left, float right, float bottom, float top, float zNear,
                               float zFar)
{
    *out =
        Matrix(2.0f / (right - left), 0, 0, 0, 0, 2.0f / (top - bottom), 0, 0, 0, 0, 1.0f / (zFar - zNear), 0,
               (left + right) / (left - right), (top + bottom) / (bottom - top), zNear / (zNear - zFar), 1);
    return out;
}

Matrix* MatrixLookAtLH(Matrix* out, const Vector3* eye, const Vector3* at, const Vector3* up)
{
    Vector3 zAxis = *at - *eye;
    Vec3Normalize(&zAxis, &zAxis);
    Vector3 xAxis = Vec3Cross(*up, zAxis);
    Vec3Normalize(&xAxis, &xAxis);
    const Vector3 yAxis = Vec3Cross(zAxis, xAxis);
    *out = Matrix(xAxis.x, yAxis.x, zAxis.x, 0, xAxis.y, yAxis.y, zAxis.y, 0, xAxis.z, yAxis.z, zAxis.z, 0,
                  -Vec3Dot(xAxis, *eye), -Vec3Dot(yAxis, *eye), -Vec3Dot(zAxis, *eye), 1);
    return out;
}

} // namespace platform
