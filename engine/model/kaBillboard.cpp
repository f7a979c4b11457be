#include "engine/model/kaBillboard.h"

#include "engine/model/kaMesh.h"
#include "engine/model/kaMeshSubset.h"
#include "engine/render/ProjectedScaleAtPoint.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaPrefetch.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaTexture.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/math/Viewport.h"

#include <algorithm>

using namespace platform;

namespace
{

const uint16_t kQuadIndices[6] = {0, 2, 1, 1, 2, 3};

uint32_t ColorChannel(float value)
{
    return static_cast<uint32_t>(static_cast<int32_t>(value * 255.0f)) & 0xFF;
}

Vector3 Normalised(const Vector3& v)
{
    Vector3 out;
    Vec3Normalize(&out, &v);
    return out;
}

} // namespace

kaBillboard::kaBillboard() = default;

kaBillboard::~kaBillboard()
{
    _DestroyQuad();
}

void kaBillboard::Initialize()
{
    CreateDeviceObjects();
}

void kaBillboard::CreateDeviceObjects()
{
    if (!m_pMesh)
        _CreateQuad();
}

void kaBillboard::ReleaseDeviceObjects()
{
    _DestroyQuad();
}

void kaBillboard::_CreateQuad()
{
    if (!g_pGraphicsManager)
        return;
    m_pMesh = new kaMesh(kQuadFVF, kQuadTriangles, kQuadVertices, 1, false);
    m_pMesh->AddRef();
    m_pMesh->SetIndices(kQuadIndices, 0);
    if (kaRenderState* state = GetRenderState())
    {
        state->m_Lighting = false;
        state->m_AmbientFromVertexColor = true;
        state->m_AlphaBlend = true;
        state->m_BackFaceCull = true;
    }
}

void kaBillboard::_DestroyQuad()
{
    if (m_pMesh)
    {
        m_pMesh->Release();
        m_pMesh = nullptr;
    }
}

kaRenderState* kaBillboard::GetRenderState() const
{
    const kaMeshSubset* subset = m_pMesh ? m_pMesh->GetSubset(0) : nullptr;
    return subset ? subset->GetRenderState() : nullptr;
}

void kaBillboard::SetTexture(const std::string& name)
{
    CreateDeviceObjects();
    m_TextureName = name;
    kaRenderState* state = GetRenderState();
    if (!state)
        return;
    state->ClearTextures();
    const kaTexture* texture = state->AddTextureFromFile(name, false, 0, 0, 0, true, true, 0);
    if (texture)
    {
        texture->GetTexCoordRect(m_TexRect[0], m_TexRect[1], m_TexRect[2], m_TexRect[3]);
        m_Width = static_cast<float>(texture->GetWidth()) * m_Scale;
        m_Height = static_cast<float>(texture->GetHeight()) * m_Scale;
    }
    RebuildQuad();
}

void kaBillboard::SetScale(float scale)
{
    m_Scale = scale;
    const kaRenderState* state = GetRenderState();
    const kaTexture* texture = state ? state->GetTexture(0) : nullptr;
    if (!texture)
        return;
    m_Width = static_cast<float>(texture->GetWidth()) * scale;
    m_Height = static_cast<float>(texture->GetHeight()) * scale;
    m_BoundingRadius = std::max(m_Width, m_Height);
}

void kaBillboard::SetSize(float width, float height)
{
    m_Width = width;
    m_Height = height;
    m_FixedPixelSize = false;
}

void kaBillboard::SetPixelSize(int32_t width, int32_t height)
{
    m_PixelWidth = width;
    m_PixelHeight = height;
    m_FixedPixelSize = true;
}

void kaBillboard::SetTexCoords(float uLeft, float vTop, float uRight, float vBottom)
{
    m_TexRect[0] = uLeft;
    m_TexRect[1] = vTop;
    m_TexRect[2] = uRight;
    m_TexRect[3] = vBottom;
}

void kaBillboard::GetTexCoords(float& uLeft, float& vTop, float& uRight, float& vBottom) const
{
    uLeft = m_TexRect[0];
    vTop = m_TexRect[1];
    uRight = m_TexRect[2];
    vBottom = m_TexRect[3];
}

void kaBillboard::SetAnchor(float x, float y)
{
    m_CustomAnchor = true;
    m_AnchorX = x;
    m_AnchorY = y;
}

void kaBillboard::SetZTest(bool enable)
{
    if (kaRenderState* state = GetRenderState())
        state->m_ZTest = enable;
}

void kaBillboard::SetZWrite(bool enable)
{
    if (kaRenderState* state = GetRenderState())
        state->m_ZWrite = enable;
}

void kaBillboard::SetPosition(float x, float y, float z)
{
    m_Position = Vector3(x, y, z);
    UpdateTransform();
    RebuildQuad();
}

void kaBillboard::RebuildQuad()
{
    kaMeshSubset* subset = m_pMesh ? m_pMesh->GetSubset(0) : nullptr;
    GfxDevice* device = g_pGraphicsManager ? g_pGraphicsManager->GetDevice() : nullptr;
    if (!subset || !device)
        return;

    Viewport viewport;
    Matrix view;
    Matrix projection;
    device->GetViewport(&viewport);
    device->GetTransform(TS_VIEW, &view);
    device->GetTransform(TS_PROJECTION, &projection);
    const Matrix& basis = m_CameraFacing ? view : m_Orientation;
    const Vector3 right = Normalised(Vector3(basis(0, 0), basis(1, 0), basis(2, 0)));
    const Vector3 up = Normalised(Vector3(basis(0, 1), basis(1, 1), basis(2, 1)));
    m_pMesh->SetTransform(Matrix());

    Vector3 centre(m_World(3, 0), m_World(3, 1), m_World(3, 2));
    // The view's third column is the camera's forward axis in the world.
    if (m_Offset > 0.0f)
        centre -= Normalised(Vector3(basis(0, 2), basis(1, 2), basis(2, 2))) * m_Offset;
    const uint32_t color = ColorChannel(m_Color.a) << 24 | ColorChannel(m_Color.r) << 16 |
                           ColorChannel(m_Color.g) << 8 | ColorChannel(m_Color.b);

    if (m_FixedPixelSize)
    {
        const float k = ProjectedScaleAtPoint(centre, view, projection, static_cast<float>(viewport.Width));
        m_Width = k * 2.0f * static_cast<float>(m_PixelWidth);
        m_Height = k * 2.0f * static_cast<float>(m_PixelHeight);
    }

    float left = -m_Width / 2.0f;
    float bottom = -m_Height / 2.0f;
    if (m_CustomAnchor)
    {
        left = -m_AnchorX * m_Width;
        bottom = -m_AnchorY * m_Height;
    }
    else if (m_BottomAnchored)
    {
        bottom = 0.0f;
    }
    const float rightEdge = left + m_Width;
    const float top = bottom + m_Height;

    const float xs[4] = {left, rightEdge, left, rightEdge};
    const float ys[4] = {bottom, bottom, top, top};
    const float us[4] = {m_TexRect[0], m_TexRect[2], m_TexRect[0], m_TexRect[2]};
    const float vs[4] = {m_TexRect[3], m_TexRect[3], m_TexRect[1], m_TexRect[1]};
    Vertex vertices[kQuadVertices];
    for (uint32_t i = 0; i < kQuadVertices; ++i)
    {
        m_Corners[i] = centre + right * xs[i] + up * ys[i];
        vertices[i] = {m_Corners[i].x, m_Corners[i].y, m_Corners[i].z, color, us[i], vs[i]};
    }
    subset->WriteVertices(vertices, sizeof(vertices));
}

void kaBillboard::Render(uint32_t /*flag*/)
{
    if (!m_pMesh || !m_Visible || !g_pGraphicsManager)
        return;
    if (g_pGraphicsManager->IsRebuildingBillboards())
        RebuildQuad();
    // The mesh applies the quad's render state and counts its two triangles into the frame.
    m_pMesh->Render(0);
}

void kaBillboard::PrefetchForRender(int level) const
{
    if (level == 1)
    {
        ka3DObject::PrefetchForRender(level);
        kaPrefetch(&m_pMesh);
    }
    else if (level >= 2 && m_pMesh)
    {
        // The mesh's first line holds what its virtual Render is called through.
        if (level == 2)
            kaPrefetch(m_pMesh);
        m_pMesh->PrefetchDraw(level - 2);
    }
}
