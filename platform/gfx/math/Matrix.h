#pragma once

namespace platform
{

struct Quaternion;
struct Vector3;

// 4x4 matrix in the row-vector convention: p' = p·M, translation in the fourth row. Its memory layout is
// the one OpenGL reads as column-major, so a matrix loads into GL as it is.
struct Matrix
{
    float m[4][4];

    // Identity.
    Matrix()
        : m{{1.0f, 0.0f, 0.0f, 0.0f},
            {0.0f, 1.0f, 0.0f, 0.0f},
            {0.0f, 0.0f, 1.0f, 0.0f},
            {0.0f, 0.0f, 0.0f, 1.0f}}
    {
    }
    Matrix(float m11, float m12, float m13, float m14, float m21, float m22, float m23, float m24, float m31,
           float m32, float m33, float m34, float m41, float m42, float m43, float m44);

    float& operator()(int row, int column) { return m[row][column]; }
    float operator()(int row, int column) const { return m[row][column]; }
    const float* Data() const { return &m[0][0]; }

    inline Matrix operator*(const Matrix& o) const;
    inline Matrix& operator*=(const Matrix& o);
    bool operator==(const Matrix& o) const;
    bool operator!=(const Matrix& o) const { return !(*this == o); }
};

// Every function takes its result first and returns it; the result may alias any input.
Matrix* MatrixIdentity(Matrix* out);
bool MatrixIsIdentity(const Matrix* m);
// a·b: a's transform first, then b's. Inline, as skinning and transform chains call it per bone.
inline Matrix* MatrixMultiply(Matrix* out, const Matrix* a, const Matrix* b)
{
    float r[4][4];
    for (int i = 0; i < 4; ++i)
    {
        const float a0 = a->m[i][0], a1 = a->m[i][1], a2 = a->m[i][2], a3 = a->m[i][3];
        for (int j = 0; j < 4; ++j)
            r[i][j] = a0 * b->m[0][j] + a1 * b->m[1][j] + a2 * b->m[2][j] + a3 * b->m[3][j];
    }
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            out->m[i][j] = r[i][j];
    return out;
}

inline Matrix Matrix::operator*(const Matrix& o) const
{
    Matrix result;
    MatrixMultiply(&result, this, &o);
    return result;
}

inline Matrix& Matrix::operator*=(const Matrix& o)
{
    MatrixMultiply(this, this, &o);
    return *this;
}

Matrix* MatrixTranspose(Matrix* out, const Matrix* m);
float MatrixDeterminant(const Matrix* m);
// Null, with out untouched, when m is singular. determinant may be null.
Matrix* MatrixInverse(Matrix* out, float* determinant, const Matrix* m);

Matrix* MatrixTranslation(Matrix* out, float x, float y, float z);
Matrix* MatrixScaling(Matrix* out, float x, float y, float z);
// Angles in radians, clockwise when looking down the axis towards the origin (left-handed).
Matrix* MatrixRotationX(Matrix* out, float angle);
Matrix* MatrixRotationY(Matrix* out, float angle);
Matrix* MatrixRotationZ(Matrix* out, float angle);
Matrix* MatrixRotationAxis(Matrix* out, const Vector3* axis, float angle);
// Roll about Z first, then pitch about X, then yaw about Y: Rz·Rx·Ry.
Matrix* MatrixRotationYawPitchRoll(Matrix* out, float yaw, float pitch, float roll);
// The quaternion is used as given, not normalised; the zero quaternion gives identity.
Matrix* MatrixRotationQuaternion(Matrix* out, const Quaternion* q);

// Left-handed projections onto depth 0..1.
Matrix* MatrixPerspectiveFovLH(Matrix* out, float fovY, float aspect, float zNear, float zFar);
Matrix* MatrixOrthoLH(Matrix* out, float width, float height, float zNear, float zFar);
Matrix* MatrixOrthoOffCenterLH(Matrix* out, float left, float right, float bottom, float top, float zNear,
                               float zFar);
Matrix* MatrixLookAtLH(Matrix* out, const Vector3* eye, const Vector3* at, const Vector3* up);

} // namespace platform
