#include "engine/terrain/kaEntityWaterPlane.h"

#include "engine/core/kaXmlHelpers.h"
#include "engine/model/kaMesh.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaEffect.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaTexture.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/kaAStarPathManager.h"
#include "engine/terrain/kaEnvironmentValues.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxEffect.h"
#include "platform/gfx/GfxVertexDeclaration.h"
#include "platform/gfx/math/Vector4.h"

#include <tinyxml.h>

#include <cmath>
#include <vector>

using namespace kaEnvironmentValues;

namespace
{

kaWaterPlaneBase* Make()
{
    return new kaEntityWaterPlane();
}

// Installed before the program's entry, so every world reads this element of its files.
const bool s_Installed = (kaWorld::SetWaterPlaneCreator(&Make), true);

} // namespace

// A class record without a creator: only the world makes one.
KA_ENTITY_CLASS_RECORD_DEFINITION(kaEntityWaterPlane, "kaEntityWaterPlane")

float kaEntityWaterPlane::s_Time = 0.0f;

namespace
{

struct ShaderVertex
{
    float x, y, z;
    float nx, ny, nz;
};

struct FallbackVertex
{
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};

// The version number below the kind word, 0 for a card without that kind of shader.
uint32_t Version(uint32_t encoded)
{
    return encoded & 0xFFFF;
}

// Cells along a side; 0 for a size that is not a number or under one cell.
uint32_t Cells(float size)
{
    if (!std::isfinite(size) || size < kaEntityWaterPlane::kCellSize)
        return 0;
    const double cells = std::floor(static_cast<double>(size) / kaEntityWaterPlane::kCellSize);
    return cells > kaEntityWaterPlane::kMaxVertices ? kaEntityWaterPlane::kMaxVertices + 1
                                                    : static_cast<uint32_t>(cells);
}

} // namespace

kaEntityWaterPlane::kaEntityWaterPlane() = default;

kaEntityWaterPlane::~kaEntityWaterPlane()
{
    _DeleteMesh();
    _ReleaseDeclaration();
}

int kaEntityWaterPlane::ShaderLevel(const platform::GfxCaps& caps)
{
    const uint32_t vs = Version(caps.VertexShaderVersion);
    const uint32_t ps = Version(caps.PixelShaderVersion);
    if (vs >= 0x200 && ps >= 0x200)
        return 1;
    if (vs >= 0x104 && ps >= 0x104)
        return 2;
    if (vs > 0x100 && ps > 0x100)
        return 3;
    return 0;
}

void kaEntityWaterPlane::_DeleteMesh()
{
    if (m_pMesh)
        m_pMesh->Release();
    m_pMesh = nullptr;
}

void kaEntityWaterPlane::_ReleaseDeclaration()
{
    if (m_pDeclaration)
        m_pDeclaration->Release();
    m_pDeclaration = nullptr;
}

bool kaEntityWaterPlane::_UseEffect(int level)
{
    kaEffect* effect = g_pGraphicsManager->LoadEffect(m_EffectFile);
    // The manager's table keeps the effect for as long as the device: a second load's extra reference
    // is handed straight back, so that every Build leaves the count as it found it.
    if (effect && effect->GetRefCount() > 1)
        effect->Release();
    platform::GfxEffect* program = effect ? effect->GetEffect() : nullptr;
    if (!program || platform::GfxFailed(program->SetTechnique(kTechniques[level])))
        return false;
    kaMeshSubset* subset = m_pMesh->GetSubset(0);
    kaRenderState* state = subset->GetRenderState();
    const kaTexture* noise = state->AddTextureFromFile(kNoiseTexture, false, 0, 0, 0, false, false, 3);
    const kaTexture* environment =
        state->AddTextureFromFile(kEnvironmentTexture, false, 0, 0, 0, false, false, 2);
    // The subset draws through its vertex format, which holds the declaration's layout: setting the
    // declaration on the device would clear the format the OpenGL device draws from.
    subset->m_pEffect = effect;
    program->SetTexture("EnvironmentMap", environment ? environment->GetBaseTexture() : nullptr);
    program->SetTexture("NoiseMap", noise ? noise->GetBaseTexture() : nullptr);
    m_pEffect = effect;
    return true;
}

void kaEntityWaterPlane::Build(float width, float length)
{
    m_Width = width;
    m_Length = length;
    m_Built = true;
    _DeleteMesh();
    _ReleaseDeclaration();
    m_pEffect = nullptr;
    m_ShaderLevel = 0;
    platform::GfxDevice* device = g_pGraphicsManager ? g_pGraphicsManager->GetDevice() : nullptr;
    if (!device)
        return;

    const platform::VertexElement elements[] = {
        {0, 0, platform::DECLTYPE_FLOAT3, 0, platform::DECLUSAGE_POSITION, 0},
        {0, 12, platform::DECLTYPE_FLOAT3, 0, platform::DECLUSAGE_NORMAL, 0},
        platform::kDeclEnd,
    };
    device->CreateVertexDeclaration(elements, &m_pDeclaration);

    const uint32_t nx = Cells(width);
    const uint32_t nz = Cells(length);
    if (nx == 0 || nz == 0 || static_cast<uint64_t>(nx + 1) * (nz + 1) > kMaxVertices)
        return;
    const uint32_t columns = nz + 1;
    const uint32_t vertexCount = (nx + 1) * columns;
    const uint32_t triangles = nx * nz * 2;

    int level = ShaderLevel(g_pGraphicsManager->GetCaps());
    for (;;)
    {
        m_pMesh = new kaMesh(level == 0 ? kFallbackFVF : kShaderFVF, triangles, vertexCount, 1, false);
        m_pMesh->AddRef();
        m_pMesh->InitializeHierarchy();
        if (level == 0 || _UseEffect(level))
            break;
        // An effect that does not load draws the plain texture.
        _DeleteMesh();
        level = 0;
    }
    m_ShaderLevel = level;

    std::vector<uint16_t> indices;
    indices.reserve(triangles * 3);
    for (uint32_t i = 0; i < nx; ++i)
    {
        for (uint32_t j = 0; j < nz; ++j)
        {
            const uint16_t b = static_cast<uint16_t>(i * columns + j);
            const uint16_t n = static_cast<uint16_t>(columns);
            const uint16_t cell[6] = {uint16_t(b + n), uint16_t(b + 1),     b,
                                      uint16_t(b + n), uint16_t(b + n + 1), uint16_t(b + 1)};
            for (int t = 0; t < 2; ++t)
            {
                indices.push_back(cell[t * 3]);
                // The plain texture's draw faces the other way.
                indices.push_back(cell[t * 3 + (level == 0 ? 2 : 1)]);
                indices.push_back(cell[t * 3 + (level == 0 ? 1 : 2)]);
            }
        }
    }
    m_pMesh->SetIndices(indices.data(), 0);

    if (level == 0)
    {
        std::vector<FallbackVertex> vertices;
        for (uint32_t i = 0; i <= nx; ++i)
            for (uint32_t j = 0; j <= nz; ++j)
                vertices.push_back({kCellSize * i, 0.0f, kCellSize * j, 0.0f, 1.0f, 0.0f,
                                    kFallbackRepeats * i, kFallbackRepeats * j});
        m_pMesh->SetVertices(vertices.data(), 0);
        if (kaRenderState* state = m_pMesh->GetSubset(0)->GetRenderState())
        {
            state->m_AlphaBlend = true;
            state->AddTextureFromFile(kFallbackTexture, false, 0, 0, 0, false, false, 1);
        }
    }
    else
    {
        std::vector<ShaderVertex> vertices;
        for (uint32_t i = 0; i <= nx; ++i)
            for (uint32_t j = 0; j <= nz; ++j)
                vertices.push_back({kCellSize * i, 0.0f, kCellSize * j, 0.0f, 1.0f, 0.0f});
        m_pMesh->SetVertices(vertices.data(), 0);
    }
    m_pMesh->ComputeBounds();
    SetLevel(m_Level, true);
}

void kaEntityWaterPlane::SetLevel(float level, bool markGrid)
{
    m_Level = level;
    if (m_pMesh)
        m_pMesh->SetPosition(0.0f, level, 0.0f);
    kaAStarPathManager* grid = markGrid ? kaAStarPathManager::For(this) : nullptr;
    if (!grid || !grid->HasGrid())
        return;
    // Layer 1: under water, dry ground, and the shore of dry or unmarked cells beside the water.
    grid->FillByHeight(kGridLayer, 0.0f, 0.0f, m_Width, m_Length, level, kUnderWater, true);
    grid->FillByHeight(kGridLayer, 0.0f, 0.0f, m_Width, m_Length, level, kDry, false);
    grid->SpreadToNeighbours(kGridLayer, 0.0f, 0.0f, m_Width, m_Length, kUnderWater, kShore);
}

void kaEntityWaterPlane::CreateDeviceObjects()
{
    if (m_Built)
        Build(m_Width, m_Length);
    else
        Build(kDefaultSize, kDefaultSize);
}

void kaEntityWaterPlane::ReleaseDeviceObjects()
{
    m_pEffect = nullptr;
    _DeleteMesh();
}

void kaEntityWaterPlane::Render()
{
    if (!m_pWorld || !m_pMesh)
        return;
    platform::GfxEffect* program = m_pEffect ? m_pEffect->GetEffect() : nullptr;
    platform::GfxDevice* device = g_pGraphicsManager ? g_pGraphicsManager->GetDevice() : nullptr;
    if (program && device)
    {
        platform::Matrix view;
        platform::Matrix projection;
        device->GetTransform(platform::TS_VIEW, &view);
        device->GetTransform(platform::TS_PROJECTION, &projection);
        const platform::Matrix worldView = m_pMesh->GetWorldMatrix() * view;
        program->SetMatrix("WorldView", worldView);
        program->SetMatrix("WorldViewProjection", worldView * projection);
    }
    m_pMesh->Render(0);
}

void kaEntityWaterPlane::Update(float dt)
{
    kaWaterPlaneBase::Update(dt);
    platform::GfxEffect* program = m_pEffect ? m_pEffect->GetEffect() : nullptr;
    if (!program)
        return;
    s_Time += dt;
    program->SetFloat("time", s_Time);
    if (const kaCamera* camera = m_pWorld ? m_pWorld->GetOwnCamera() : nullptr)
    {
        const platform::Vector3& eye = camera->GetPosition();
        program->SetVector("vViewPosition", platform::Vector4(eye.x, eye.y, eye.z, 1.0f));
    }
}

void kaEntityWaterPlane::ReadXml(const TiXmlElement* element)
{
    if (!element)
        return;
    // A number that is no number is kept as read for the save: the level reads 0, the range its default.
    m_BlockKeys.Clear();
    m_EffectFile = TextOrEmpty(element, "effect");
    m_Level = 0.0f;
    ReadFloatsKept(element, {{"level", &m_Level}, {"min_level", &m_MinLevel}, {"max_level", &m_MaxLevel}},
                   m_BlockKeys, m_pWorld);
}

void kaEntityWaterPlane::WriteXml(TiXmlElement* element) const
{
    if (!element)
        return;
    // Writing leaves the level as it is: clamping it into an absent range would lose it at the next save.
    AppendTextElement(element, "effect", m_EffectFile);
    WriteFloatKept(element, "level", m_Level, m_BlockKeys);
    WriteFloatKept(element, "min_level", m_MinLevel, m_BlockKeys);
    WriteFloatKept(element, "max_level", m_MaxLevel, m_BlockKeys);
}
