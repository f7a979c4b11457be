// Debug lines: the queue, the shapes that fill it and its drawing after the scene.
#include "engine/render/kaGraphicsManager.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxVertexBuffer.h"

#include <algorithm>
#include <cstring>

using namespace platform;

namespace
{

VERTEX_WORLDPOS_DIFFUSE MakeVertex(const Vector3& point, GfxColor color)
{
    VERTEX_WORLDPOS_DIFFUSE vertex;
    vertex.x = point.x;
    vertex.y = point.y;
    vertex.z = point.z;
    vertex.diffuse = color;
    return vertex;
}

void AddLine(std::vector<VERTEX_WORLDPOS_DIFFUSE>& vertices, const Vector3& from, const Vector3& to,
             GfxColor color)
{
    vertices.push_back(MakeVertex(from, color));
    vertices.push_back(MakeVertex(to, color));
}

} // namespace

void kaGraphicsManager::QueueDebugPrimitive(std::vector<VERTEX_WORLDPOS_DIFFUSE> vertices, bool depthTest)
{
    kaDebugPrimitive entry;
    entry.vertices = std::move(vertices);
    entry.depthTest = depthTest;
    m_DebugPrimitives.push_back(std::move(entry));
}

void kaGraphicsManager::DebugDrawAxes(float x, float y, float z, float length, float r, float g, float b,
                                      float a)
{
    const GfxColor color = ToColor(r, g, b, a);
    const Vector3 origin(x, y, z);
    std::vector<VERTEX_WORLDPOS_DIFFUSE> vertices;
    vertices.reserve(6);
    AddLine(vertices, origin, origin + Vector3(length, 0.0f, 0.0f), color);
    AddLine(vertices, origin, origin + Vector3(0.0f, length, 0.0f), color);
    AddLine(vertices, origin, origin + Vector3(0.0f, 0.0f, length), color);
    QueueDebugPrimitive(std::move(vertices), false);
}

void kaGraphicsManager::DebugDrawBox(const Vector3 (&corners)[8], float r, float g, float b, float a,
                                     bool depthTest)
{
    const GfxColor color = ToColor(r, g, b, a);
    std::vector<VERTEX_WORLDPOS_DIFFUSE> vertices;
    vertices.reserve(24);
    for (uint32_t corner = 0; corner < 8; ++corner)
        for (uint32_t bit = 1; bit < 8; bit <<= 1)
            if ((corner & bit) == 0)
                AddLine(vertices, corners[corner], corners[corner | bit], color);
    QueueDebugPrimitive(std::move(vertices), depthTest);
}

void kaGraphicsManager::_AppendCircle(std::vector<VERTEX_WORLDPOS_DIFFUSE>& vertices, const Vector3& centre,
                                      const Vector3& axisA, const Vector3& axisB, float radius,
                                      GfxColor color) const
{
    auto point = [&](uint32_t step)
    { return centre + axisA * (radius * m_Cosine[step]) + axisB * (radius * m_Sine[step]); };
    for (uint32_t step = 0; step < kDebugCircleSegments; ++step)
        AddLine(vertices, point(step), point(step + 1), color);
}

void kaGraphicsManager::DebugDrawSphere(float x, float y, float z, float radius, float r, float g, float b,
                                        float a, bool depthTest)
{
    const GfxColor color = ToColor(r, g, b, a);
    const Vector3 centre(x, y, z);
    const Vector3 unitX(1.0f, 0.0f, 0.0f);
    const Vector3 unitY(0.0f, 1.0f, 0.0f);
    const Vector3 unitZ(0.0f, 0.0f, 1.0f);
    std::vector<VERTEX_WORLDPOS_DIFFUSE> vertices;
    vertices.reserve(6 * kDebugCircleSegments);
    _AppendCircle(vertices, centre, unitY, unitZ, radius, color);
    _AppendCircle(vertices, centre, unitX, unitZ, radius, color);
    _AppendCircle(vertices, centre, unitX, unitY, radius, color);
    QueueDebugPrimitive(std::move(vertices), depthTest);
}

void kaGraphicsManager::DebugDrawCylinder(float radius, float length, float r, float g, float b, float a,
                                          const Matrix& transform, bool depthTest)
{
    const GfxColor color = ToColor(r, g, b, a);
    const float half = length * 0.5f;
    const Vector3 unitX(1.0f, 0.0f, 0.0f);
    const Vector3 unitY(0.0f, 1.0f, 0.0f);
    std::vector<VERTEX_WORLDPOS_DIFFUSE> vertices;
    vertices.reserve(6 * kDebugCircleSegments);
    _AppendCircle(vertices, Vector3(0.0f, 0.0f, -half), unitX, unitY, radius, color);
    _AppendCircle(vertices, Vector3(0.0f, 0.0f, half), unitX, unitY, radius, color);
    for (uint32_t step = 0; step < kDebugCircleSegments; ++step)
    {
        const float x = radius * m_Cosine[step];
        const float y = radius * m_Sine[step];
        AddLine(vertices, Vector3(x, y, -half), Vector3(x, y, half), color);
    }
    for (VERTEX_WORLDPOS_DIFFUSE& vertex : vertices)
    {
        Vector3 point(vertex.x, vertex.y, vertex.z);
        Vec3TransformCoord(&point, &point, &transform);
        vertex.x = point.x;
        vertex.y = point.y;
        vertex.z = point.z;
    }
    QueueDebugPrimitive(std::move(vertices), depthTest);
}

void kaGraphicsManager::DebugDrawCapsule(float radius, float length, float r, float g, float b, float a,
                                         const Matrix& transform, bool depthTest)
{
    DebugDrawCylinder(radius, length, r, g, b, a, transform, depthTest);
    for (const float end : {-0.5f * length, 0.5f * length})
    {
        Vector3 centre(0.0f, 0.0f, end);
        Vec3TransformCoord(&centre, &centre, &transform);
        DebugDrawSphere(centre.x, centre.y, centre.z, radius, r, g, b, a, depthTest);
    }
}

void kaGraphicsManager::DrawDebugPrimitives()
{
    if (m_DebugPrimitives.empty())
        return;
    // Taken out of the queue whatever happens below, so that nothing piles up while the device cannot draw.
    std::vector<kaDebugPrimitive> entries;
    entries.swap(m_DebugPrimitives);
    if (!m_pDevice || !m_pDeviceVertexBuffer)
        return;

    SetRenderState(RS_ZWRITEENABLE, 0);
    SetRenderState(RS_LIGHTING, 0);
    SetRenderState(RS_AMBIENTMATERIALSOURCE, MCS_COLOR1);

    const Matrix identity;
    m_pDevice->SetTransform(TS_WORLD, &identity);
    SetTexture(0, nullptr);
    SetFVF(kLineFVF);
    m_pDevice->SetStreamSource(0, m_pDeviceVertexBuffer, 0, sizeof(VERTEX_WORLDPOS_DIFFUSE));
    SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    SetRenderState(RS_ALPHABLENDENABLE, 1);

    // A batch never holds more lines than one draw may, so that no line is dropped.
    const uint32_t maxLines =
        std::min(kDebugBatchVertices / 2, std::max<uint32_t>(1, m_Caps.MaxPrimitiveCount));
    const uint32_t batchVertices = maxLines * 2;

    // Each batch locks, and so uploads, only the vertices it draws.
    auto drawBatch = [&](const VERTEX_WORLDPOS_DIFFUSE* vertices, uint32_t count)
    {
        if (count / 2 == 0)
            return true;
        const uint32_t bytes = count * sizeof(VERTEX_WORLDPOS_DIFFUSE);
        void* locked = nullptr;
        if (GfxFailed(m_pDeviceVertexBuffer->Lock(0, bytes, &locked, LOCK_DISCARD)) || !locked)
            return false;
        std::memcpy(locked, vertices, bytes);
        m_pDeviceVertexBuffer->Unlock();
        m_pDevice->DrawPrimitive(PT_LINELIST, 0, count / 2);
        return true;
    };

    for (const kaDebugPrimitive& entry : entries)
    {
        SetZBufferEnable(entry.depthTest);
        const VERTEX_WORLDPOS_DIFFUSE* next = entry.vertices.data();
        uint32_t remaining = static_cast<uint32_t>(entry.vertices.size());
        bool ok = true;
        while (ok && remaining > batchVertices)
        {
            ok = drawBatch(next, batchVertices);
            next += batchVertices;
            remaining -= batchVertices;
        }
        if (!ok || !drawBatch(next, remaining))
            return;
    }
}
