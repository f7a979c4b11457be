#include "platform/gfx/math/Plane.h"

#include "platform/gfx/math/Vector3.h"

#include <cmath>

namespace platform
{

Plane* PlaneNormalize(Plane* out, const Plane* p)
{
    const float length = std::sqrt(p->a * p->a + p->b * p->b + p->c * p->c);
    if (length > 0.0f)
        *out = Plane(p->a / length, p->b / length, p->c / length, p->d / length);
    else
        *out = *p;
    return out;
}

float PlaneDotCoord(const Plane* p, const Vector3* v)
{
    return p->a * v->x + p->b * v->y + p->c * v->z + p->d;
}

float PlaneDotNormal(const Plane* p, const Vector3* v)
{
    return p->a * v->x + p->b * v->y + p->c * v->z;
}

Plane* PlaneFromPointNormal(Plane* out, const Vector3* point, const Vector3* normal)
{
    *out = Plane(normal->x, normal->y, normal->z, -Vec3Dot(*point, *normal));
    return out;
}

} // namespace platform
