#include "engine/terrain/kaCloudPlane.h"

#include "engine/render/kaRenderState.h"

namespace
{
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;
constexpr uint32_t kClearWhite = 0x00FFFFFF;
constexpr uint16_t kIndices[kaCloudPlane::kTriangles * 3] = {0, 3, 2, 0, 1, 3, 2, 5, 4,
                                                             3, 5, 2, 6, 1, 0, 7, 1, 6};
// V of each vertex before the offset is added.
constexpr float kBaseV[kaCloudPlane::kVertices] = {0.0f, 0.0f, 1.0f, 1.0f, 1.25f, 1.25f, -0.25f, -0.25f};
} // namespace

kaCloudPlane::kaCloudPlane(const std::string& texture, float height, float speed)
    : kaRotationOnlyMesh(kFVF, kTriangles, kVertices), m_Speed(speed), m_Texture(texture), m_Height(height)
{
    InitializeHierarchy();
    const float h = kHalfSide;
    const float e = kFadeEdge;
    const Vertex vertices[kVertices] = {
        {-h, height, -h, kOpaqueWhite, 0.0f, kBaseV[0]}, {h, height, -h, kOpaqueWhite, 1.0f, kBaseV[1]},
        {-h, height, h, kOpaqueWhite, 0.0f, kBaseV[2]},  {h, height, h, kOpaqueWhite, 1.0f, kBaseV[3]},
        {-h, height, e, kClearWhite, 0.0f, kBaseV[4]},   {h, height, e, kClearWhite, 1.0f, kBaseV[5]},
        {-h, height, -e, kClearWhite, 0.0f, kBaseV[6]},  {h, height, -e, kClearWhite, 1.0f, kBaseV[7]},
    };
    std::copy(std::begin(vertices), std::end(vertices), m_Vertices);
    SetVertices(m_Vertices, 0);
    SetIndices(kIndices, 0);
    if (kaMeshSubset* subset = GetSubset(0))
    {
        if (kaRenderState* state = subset->GetRenderState())
        {
            state->AddTextureFromFile(texture, false, 0, 0, 0, false, false, 1);
            state->m_AlphaBlend = true;
            state->m_BlendMode = kaRenderState::kBlendNormal;
            // Drawn at once in the sky's place in the frame, seen from below as from above.
            state->m_NoDefer = true;
            state->m_BackFaceCull = false;
        }
    }
    SetLighting(false);
    SetZWrite(false);
    SetRenderOrder(-48);
}

void kaCloudPlane::Scroll(float dt)
{
    const float t = m_Offset;
    for (uint32_t i = 0; i < kVertices; ++i)
        m_Vertices[i].v = t + kBaseV[i];
    SetVertices(m_Vertices, 0);
    if (t > kWrap)
        m_Offset = t - kWrap;
    m_Offset += m_Speed * dt;
}
