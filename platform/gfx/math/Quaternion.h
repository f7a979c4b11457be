#pragma once

namespace platform
{

struct Matrix;
struct Vector3;

struct Quaternion
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;

    Quaternion() = default;
    Quaternion(float ax, float ay, float az, float aw) : x(ax), y(ay), z(az), w(aw) {}

    bool operator==(const Quaternion& o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }
    bool operator!=(const Quaternion& o) const { return !(*this == o); }
};

// Every function takes its result first and returns it; the result may alias any input.
Quaternion* QuaternionIdentity(Quaternion* out);
float QuaternionDot(const Quaternion* a, const Quaternion* b);
float QuaternionLength(const Quaternion* q);
// The zero quaternion stays zero.
Quaternion* QuaternionNormalize(Quaternion* out, const Quaternion* q);
Quaternion* QuaternionConjugate(Quaternion* out, const Quaternion* q);
// The rotation a followed by the rotation b.
Quaternion* QuaternionMultiply(Quaternion* out, const Quaternion* a, const Quaternion* b);
Quaternion* QuaternionRotationAxis(Quaternion* out, const Vector3* axis, float angle);
// The rotation of MatrixRotationYawPitchRoll.
Quaternion* QuaternionRotationYawPitchRoll(Quaternion* out, float yaw, float pitch, float roll);
// Rotation part of a matrix built by MatrixRotationQuaternion (or any orthonormal rotation).
Quaternion* QuaternionRotationMatrix(Quaternion* out, const Matrix* m);
// Along the shorter arc; t = 0 gives a, t = 1 gives b.
Quaternion* QuaternionSlerp(Quaternion* out, const Quaternion* a, const Quaternion* b, float t);

} // namespace platform
