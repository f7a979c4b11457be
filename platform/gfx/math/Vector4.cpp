#include "platform/gfx/math/Vector4.h"

#include "platform/gfx/math/Matrix.h"

namespace platform
{

Vector4* Vec4Transform(Vector4* out, const Vector4* v, const Matrix* m)
{
    const Vector4 p = *v;
    float r[4];
    for (int c = 0; c < 4; ++c)
        r[c] = p.x * m->m[0][c] + p.y * m->m[1][c] + p.z * m->m[2][c] + p.w * m->m[3][c];
    *out = Vector4(r[0], r[1], r[2], r[3]);
    return out;
}

} // namespace platform
