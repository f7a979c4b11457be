#include "tools/kmfgen/MeshKit.h"

#include <cmath>

namespace
{

const float kPi = 3.14159265358979f;

KM_Point3 Sub(const KM_Point3& a, const KM_Point3& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

KM_Point3 Cross(const KM_Point3& a, const KM_Point3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

KM_Point3 Normalized(const KM_Point3& v)
{
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return length > 0.0f ? KM_Point3{v.x / length, v.y / length, v.z / length} : KM_Point3{0, 1, 0};
}

} // namespace

uint32_t MeshKit::_Vertex(const KM_Point3& p)
{
    m_Mesh.m_Vertices.push_back({p.x + m_Offset.x, p.y + m_Offset.y, p.z + m_Offset.z});
    return static_cast<uint32_t>(m_Mesh.m_Vertices.size() - 1);
}

uint32_t MeshKit::_TVertex(float u, float v)
{
    m_Mesh.m_TVertices.push_back({u, v, 0.0f});
    return static_cast<uint32_t>(m_Mesh.m_TVertices.size() - 1);
}

// v and t are in drawing order; the file keeps corners 0, 2, 1 so that the reader's reversal gives
// the drawing order back.
void MeshKit::_Face(const uint32_t v[3], const uint32_t t[3], const KM_Point3 n[3],
                    const KM_Point3& faceNormal)
{
    m_Mesh.m_Faces.push_back({v[0], v[2], v[1], m_MaterialId});
    m_Mesh.m_TFaces.push_back({t[0], t[2], t[1]});
    KM_Mesh::FaceNormals normals;
    normals.face = faceNormal;
    normals.corner[0] = n[0];
    normals.corner[1] = n[2];
    normals.corner[2] = n[1];
    m_Mesh.m_Normals.push_back(normals);
}

void MeshKit::Triangle(const KM_Point3& a, const KM_Point3& b, const KM_Point3& c)
{
    // Clockwise seen from the front in a left-handed system: (b - a) x (c - a) points to the front.
    const KM_Point3 normal = Normalized(Cross(Sub(b, a), Sub(c, a)));
    const uint32_t v[3] = {_Vertex(a), _Vertex(b), _Vertex(c)};
    const uint32_t t[3] = {_TVertex(0, 0), _TVertex(0, 1), _TVertex(1, 0)};
    const KM_Point3 n[3] = {normal, normal, normal};
    _Face(v, t, n, normal);
}

void MeshKit::Box(float sizeX, float sizeY, float sizeZ)
{
    const float hx = sizeX / 2, hy = sizeY / 2, hz = sizeZ / 2;
    const uint32_t first = static_cast<uint32_t>(m_Mesh.m_Vertices.size());
    for (int i = 0; i < 8; ++i)
        _Vertex({(i & 1) ? hx : -hx, (i & 2) ? hy : -hy, (i & 4) ? hz : -hz});
    const uint32_t t[4] = {_TVertex(0, 0), _TVertex(0, 1), _TVertex(1, 1), _TVertex(1, 0)};
    // Each side as bottom-left, top-left, top-right, bottom-right seen from outside.
    const struct
    {
        int corner[4];
        KM_Point3 normal;
    } sides[6] = {{{0, 2, 3, 1}, {0, 0, -1}}, {{5, 7, 6, 4}, {0, 0, 1}}, {{4, 6, 2, 0}, {-1, 0, 0}},
                  {{1, 3, 7, 5}, {1, 0, 0}},  {{2, 6, 7, 3}, {0, 1, 0}}, {{4, 0, 1, 5}, {0, -1, 0}}};
    for (const auto& side : sides)
    {
        const uint32_t q[4] = {first + side.corner[0], first + side.corner[1], first + side.corner[2],
                               first + side.corner[3]};
        const KM_Point3 n[3] = {side.normal, side.normal, side.normal};
        const uint32_t v0[3] = {q[0], q[1], q[2]}, t0[3] = {t[0], t[1], t[2]};
        const uint32_t v1[3] = {q[0], q[2], q[3]}, t1[3] = {t[0], t[2], t[3]};
        _Face(v0, t0, n, side.normal);
        _Face(v1, t1, n, side.normal);
    }
}

void MeshKit::Cylinder(float radius, float height, int segments, bool alongX)
{
    // Built along y, then turned onto x when asked: (x, y, z) -> (y, -x, z) keeps the winding.
    auto place = [alongX](const KM_Point3& p) { return alongX ? KM_Point3{p.y, -p.x, p.z} : p; };
    const float h = height / 2;
    const uint32_t first = static_cast<uint32_t>(m_Mesh.m_Vertices.size());
    const uint32_t firstT = static_cast<uint32_t>(m_Mesh.m_TVertices.size());
    for (int s = 0; s <= segments; ++s)
    {
        const float angle = 2 * kPi * static_cast<float>(s % segments) / static_cast<float>(segments);
        const float x = radius * std::cos(angle), z = radius * std::sin(angle);
        _Vertex(place({x, -h, z}));
        _Vertex(place({x, h, z}));
        const float u = static_cast<float>(s) / static_cast<float>(segments);
        _TVertex(u, 0.0f);
        _TVertex(u, 1.0f);
    }
    for (int s = 0; s < segments; ++s)
    {
        const uint32_t b0 = first + 2 * s, t0 = b0 + 1, b1 = first + 2 * (s + 1), t1 = b1 + 1;
        const uint32_t tb0 = firstT + 2 * s, tt0 = tb0 + 1, tb1 = firstT + 2 * (s + 1), tt1 = tb1 + 1;
        const float a0 = 2 * kPi * static_cast<float>(s) / static_cast<float>(segments);
        const float a1 = 2 * kPi * static_cast<float>(s + 1) / static_cast<float>(segments);
        const KM_Point3 n0 = place({std::cos(a0), 0, std::sin(a0)}),
                        n1 = place({std::cos(a1), 0, std::sin(a1)});
        const KM_Point3 face = Normalized({n0.x + n1.x, n0.y + n1.y, n0.z + n1.z});
        // Seen from outside, the angle grows to the right.
        const uint32_t va[3] = {b1, t0, t1}, ta[3] = {tb1, tt0, tt1};
        const KM_Point3 na[3] = {n1, n0, n1};
        const uint32_t vb[3] = {b1, b0, t0}, tb[3] = {tb1, tb0, tt0};
        const KM_Point3 nb[3] = {n1, n0, n0};
        _Face(va, ta, na, face);
        _Face(vb, tb, nb, face);
    }
    // Caps: a centre and a fan.
    for (int cap = 0; cap < 2; ++cap)
    {
        const float y = cap == 0 ? -h : h;
        const KM_Point3 normal = place({0, cap == 0 ? -1.0f : 1.0f, 0});
        const uint32_t centre = _Vertex(place({0, y, 0}));
        const uint32_t tc = _TVertex(0.5f, 0.5f);
        const KM_Point3 n[3] = {normal, normal, normal};
        for (int s = 0; s < segments; ++s)
        {
            const uint32_t r0 = first + 2 * s + cap, r1 = first + 2 * (s + 1) + cap;
            const uint32_t t0 = firstT + 2 * s + cap, t1 = firstT + 2 * (s + 1) + cap;
            // The top is seen from above, the bottom from below: opposite turns.
            const uint32_t v[3] = {centre, cap == 0 ? r0 : r1, cap == 0 ? r1 : r0};
            const uint32_t t[3] = {tc, cap == 0 ? t0 : t1, cap == 0 ? t1 : t0};
            _Face(v, t, n, normal);
        }
    }
}

void MeshKit::Sphere(float radius, int rings, int segments)
{
    const uint32_t first = static_cast<uint32_t>(m_Mesh.m_Vertices.size());
    const uint32_t firstT = static_cast<uint32_t>(m_Mesh.m_TVertices.size());
    std::vector<KM_Point3> normals;
    for (int r = 0; r <= rings; ++r)
    {
        const float polar = kPi * static_cast<float>(r) / static_cast<float>(rings); // 0 at the bottom
        for (int s = 0; s <= segments; ++s)
        {
            const float angle = 2 * kPi * static_cast<float>(s % segments) / static_cast<float>(segments);
            const KM_Point3 n = {std::sin(polar) * std::cos(angle), -std::cos(polar),
                                 std::sin(polar) * std::sin(angle)};
            normals.push_back(n);
            _Vertex({n.x * radius, n.y * radius, n.z * radius});
            _TVertex(static_cast<float>(s) / static_cast<float>(segments),
                     static_cast<float>(r) / static_cast<float>(rings));
        }
    }
    const int row = segments + 1;
    for (int r = 0; r < rings; ++r)
    {
        for (int s = 0; s < segments; ++s)
        {
            const uint32_t b0 = r * row + s, b1 = b0 + 1, u0 = b0 + row, u1 = u0 + 1;
            const uint32_t quad[4] = {b0, u0, u1, b1}; // seen from outside: up, then right
            for (int half = 0; half < 2; ++half)
            {
                const uint32_t c[3] = {quad[0], quad[half == 0 ? 1 : 2], quad[half == 0 ? 2 : 3]};
                const KM_Point3& p0 = m_Mesh.m_Vertices[first + c[0]];
                const KM_Point3& p1 = m_Mesh.m_Vertices[first + c[1]];
                const KM_Point3& p2 = m_Mesh.m_Vertices[first + c[2]];
                const KM_Point3 cross = Cross(Sub(p1, p0), Sub(p2, p0));
                // The triangles at the poles are degenerate; leave them out.
                if (cross.x * cross.x + cross.y * cross.y + cross.z * cross.z < 1e-12f)
                    continue;
                const uint32_t v[3] = {first + c[0], first + c[1], first + c[2]};
                const uint32_t t[3] = {firstT + c[0], firstT + c[1], firstT + c[2]};
                const KM_Point3 n[3] = {normals[c[0]], normals[c[1]], normals[c[2]]};
                _Face(v, t, n, Normalized(cross));
            }
        }
    }
}

void MeshKit::Grid(float sizeX, float sizeZ, int cellsX, int cellsZ)
{
    const uint32_t first = static_cast<uint32_t>(m_Mesh.m_Vertices.size());
    const uint32_t firstT = static_cast<uint32_t>(m_Mesh.m_TVertices.size());
    for (int z = 0; z <= cellsZ; ++z)
    {
        for (int x = 0; x <= cellsX; ++x)
        {
            const float u = static_cast<float>(x) / static_cast<float>(cellsX);
            const float v = static_cast<float>(z) / static_cast<float>(cellsZ);
            _Vertex({(u - 0.5f) * sizeX, 0.0f, (v - 0.5f) * sizeZ});
            _TVertex(u, v);
        }
    }
    const KM_Point3 up = {0, 1, 0};
    const KM_Point3 n[3] = {up, up, up};
    const int row = cellsX + 1;
    for (int z = 0; z < cellsZ; ++z)
    {
        for (int x = 0; x < cellsX; ++x)
        {
            // Seen from above (looking down y), x to the right and z up the screen.
            const uint32_t a = z * row + x, b = a + 1, c = a + row, d = c + 1;
            const uint32_t v0[3] = {first + a, first + c, first + d},
                           t0[3] = {firstT + a, firstT + c, firstT + d};
            const uint32_t v1[3] = {first + a, first + d, first + b},
                           t1[3] = {firstT + a, firstT + d, firstT + b};
            _Face(v0, t0, n, up);
            _Face(v1, t1, n, up);
        }
    }
}

void MeshKit::ColorByTexture(const std::vector<KM_Point3>& colors)
{
    m_Mesh.m_CVertices.clear();
    for (size_t i = 0; i < m_Mesh.m_TVertices.size(); ++i)
        m_Mesh.m_CVertices.push_back(colors.empty() ? KM_Point3{1, 1, 1} : colors[i % colors.size()]);
    m_Mesh.m_CFaces = m_Mesh.m_TFaces;
}
