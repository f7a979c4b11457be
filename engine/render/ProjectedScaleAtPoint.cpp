#include "engine/render/ProjectedScaleAtPoint.h"

#include "platform/gfx/math/Vector4.h"

using namespace platform;

namespace
{

// Clip x over clip w; false behind the eye, where the division means nothing.
bool ProjectedX(const Vector3& viewPoint, const Matrix& projection, float& x)
{
    Vector4 clip;
    Vec3Transform(&clip, &viewPoint, &projection);
    if (!(clip.w > 0.0f))
        return false;
    x = clip.x / clip.w;
    return true;
}

} // namespace

float ProjectedScaleAtPoint(const Vector3& point, const Matrix& view, const Matrix& projection,
                            float viewportWidth)
{
    Vector3 p;
    Vec3TransformCoord(&p, &point, &view);
    const Vector3 q = p + Vector3(1.0f, 0.0f, 0.0f);
    float px = 0.0f;
    float qx = 0.0f;
    if (!ProjectedX(p, projection, px) || !ProjectedX(q, projection, qx))
        return 0.0f;
    const float span = (qx - px) * viewportWidth;
    if (span == 0.0f)
        return 0.0f;
    return 1.0f / span;
}
