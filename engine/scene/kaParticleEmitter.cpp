#include "engine/scene/kaParticleEmitter.h"

#include "engine/core/kaRandom.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/core/kaXmlValues.h"
#include "engine/model/kaBoundingBox.h"
#include "engine/render/DynamicVB.h"
#include "engine/render/StaticIB.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaVertexTypes.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaWorld.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/math/Quaternion.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>

using platform::Matrix;
using platform::Vector3;

KA_ENTITY_CLASS_RECORD_DEFINITION(kaParticleEmitter, "kaParticleEmitter")

namespace
{

const EntityFactory::Registration s_Registration(kaParticleEmitter::StaticClassInfo(),
                                                 &EntityFactory::Create<kaParticleEmitter>);

using QuadVertex = VERTEX_WORLDPOS_DIFFUSE_UV;

using kaXmlValues::FloatOrThrow;
using kaXmlValues::ReadBoolOrThrow;
using kaXmlValues::ReadFloatOrThrow;

void ReadColor(const TiXmlElement* parent, const char* name, float color[4])
{
    const TiXmlElement* element = parent->FirstChildElement(name);
    if (!element)
        return;
    const char* const channels[4] = {"r", "g", "b", "a"};
    for (int i = 0; i < 4; ++i)
    {
        const TiXmlElement* child = element->FirstChildElement(channels[i]);
        color[i] = child ? static_cast<float>(GetElementInt(child)) * kaParticleEmitter::kColorScale : 0.0f;
    }
}

Vector3 Row(const Matrix& m, int row)
{
    return Vector3(m(row, 0), m(row, 1), m(row, 2));
}

Vector3 Normalised(const Vector3& v)
{
    Vector3 out;
    platform::Vec3Normalize(&out, &v);
    return out;
}

uint32_t PackChannel(float c)
{
    if (c >= 1.0f)
        return 255;
    if (c <= 0.0f)
        return 0;
    return static_cast<uint32_t>(c * 255.0f + 0.5f);
}

} // namespace

kaParticleEmitter::kaParticleEmitter()
{
    // Drawn after the opaque scene and the sorted meshes: the quads blend without writing depth.
    m_LateDraw = true;
    m_RenderState.m_AlphaBlend = true;
    m_RenderState.m_SortAlpha = false;
    m_RenderState.m_AmbientFromVertexColor = true;
    m_RenderState.m_Lighting = false;
    m_RenderState.m_ZWrite = false;
}

kaParticleEmitter::~kaParticleEmitter() = default;

void kaParticleEmitter::ReadXml(const TiXmlElement* element)
{
    kaEntity::ReadXml(element);
    if (!element)
        return;
    bool alwaysVisible = true;
    ReadBoolOrThrow(element, "useGravity", m_UseGravity);
    if (const TiXmlElement* gravity = element->FirstChildElement("gravity"))
    {
        ReadFloatOrThrow(gravity, "x", m_Gravity.x);
        ReadFloatOrThrow(gravity, "y", m_Gravity.y);
        ReadFloatOrThrow(gravity, "z", m_Gravity.z);
    }
    ReadBoolOrThrow(element, "alignToVelocity", m_AlignToVelocity);
    if (const TiXmlElement* count = element->FirstChildElement("maxParticles"))
        m_MaxParticles = GetElementInt(count);
    ReadFloatOrThrow(element, "lifeTime", m_LifeTime);
    if (const TiXmlElement* rate = element->FirstChildElement("emitRate"))
    {
        m_BaseEmitRate = GetElementFloat(rate);
        m_EmitRate = m_BaseEmitRate;
    }
    ReadBoolOrThrow(element, "alwaysVisible", alwaysVisible);
    if (const TiXmlElement* texture = element->FirstChildElement("texture"))
        SetTexture(GetElementText(texture));
    if (const TiXmlElement* position = element->FirstChildElement("position"))
        SetPosition(FloatOrThrow(position, "x"), FloatOrThrow(position, "y"), FloatOrThrow(position, "z"));
    if (const TiXmlElement* rotation = element->FirstChildElement("rotation"))
        _ReadRotation(rotation);
    if (const TiXmlElement* speed = element->FirstChildElement("startVelocityFor"))
    {
        m_BaseStartVelocityFor = GetElementFloat(speed);
        m_StartVelocityFor = m_BaseStartVelocityFor;
    }
    ReadFloatOrThrow(element, "startVelocityX", m_StartVelocityX);
    ReadFloatOrThrow(element, "startVelocityZ", m_StartVelocityZ);

    // An end without a start changes against the start already held.
    ReadFloatOrThrow(element, "scaleXStart", m_ScaleXStart);
    if (const TiXmlElement* end = element->FirstChildElement("scaleXEnd"))
        m_ScaleXChange = GetElementFloat(end) - m_ScaleXStart;
    else
        m_ScaleXChange = 0.0f;
    ReadFloatOrThrow(element, "scaleYStart", m_ScaleYStart);
    if (const TiXmlElement* end = element->FirstChildElement("scaleYEnd"))
        m_ScaleYChange = GetElementFloat(end) - m_ScaleYStart;
    else
        m_ScaleYChange = 0.0f;
    ReadColor(element, "colorStart", m_ColorStart);
    ReadColor(element, "colorEnd", m_ColorEnd);

    Create(m_MaxParticles, alwaysVisible, nullptr, nullptr);
}

void kaParticleEmitter::_ReadRotation(const TiXmlElement* element)
{
    // Composes onto the rotation already held; the position stays where it is.
    const Vector3 position = GetPosition();
    const char* const axes[3] = {"x", "y", "z"};
    Matrix* (*const rotations[3])(Matrix*, float) = {&platform::MatrixRotationX, &platform::MatrixRotationY,
                                                     &platform::MatrixRotationZ};
    for (int i = 0; i < 3; ++i)
    {
        const TiXmlElement* angle = element->FirstChildElement(axes[i]);
        if (!angle)
            continue;
        Matrix turn;
        rotations[i](&turn, GetElementFloat(angle));
        m_Transform = m_Transform * turn;
    }
    SetPosition(position.x, position.y, position.z);
}

void kaParticleEmitter::WriteXml(TiXmlElement* element) const
{
    kaEntity::WriteXml(element);
    if (!element)
        return;
    AppendBoolElement(element, "alignToVelocity", m_AlignToVelocity);
    AppendBoolElement(element, "useGravity", m_UseGravity);
    AppendIntElement(element, "maxParticles", m_MaxParticles);
    AppendFloatElement(element, "lifeTime", m_LifeTime);
    AppendFloatElement(element, "emitRate", m_EmitRate);
    AppendBoolElement(element, "alwaysVisible", IsAlwaysVisible());
    const Vector3 position = GetPosition();
    TiXmlElement* place = AppendElement(element, "position");
    AppendFloatElement(place, "x", position.x);
    AppendFloatElement(place, "y", position.y);
    AppendFloatElement(place, "z", position.z);
}

void kaParticleEmitter::Create(int32_t maxParticles, bool alwaysVisible, const float* position,
                               const float* rotation)
{
    // Files hold any number; 16-bit indices reach only so many quads.
    m_MaxParticles = std::clamp(maxParticles, 0, kMaxParticles);
    if (alwaysVisible)
        m_pBoundingBox.reset();
    else if (!m_pBoundingBox)
        m_pBoundingBox = std::make_unique<kaBoundingBox>();
    // A rotation alone starts the emitter at the origin.
    if (rotation)
    {
        const platform::Quaternion turn(rotation[0], rotation[1], rotation[2], rotation[3]);
        platform::MatrixRotationQuaternion(&m_Transform, &turn);
    }
    if (position)
        SetPosition(position[0], position[1], position[2]);
    m_Particles = std::make_unique<kaParticle[]>(static_cast<size_t>(m_MaxParticles));
    m_LiveCount = std::min(m_LiveCount, m_MaxParticles);
    for (int32_t i = 0; i < m_MaxParticles; ++i)
        InitParticle(i);
    CreateDeviceObjects();
}

void kaParticleEmitter::CreateDeviceObjects()
{
    if (m_MaxParticles < 1)
        return;
    ReleaseDeviceObjects();
    platform::GfxDevice* device = g_pGraphicsManager ? g_pGraphicsManager->GetDevice() : nullptr;
    if (!device)
        return;
    const uint32_t quads = static_cast<uint32_t>(m_MaxParticles);
    m_pVertexBuffer = std::make_unique<DynamicVB<QuadVertex>>(device, quads * kCornersPerParticle);
    m_pIndexBuffer =
        std::make_unique<StaticIB<uint16_t>>(device, quads * kIndicesPerParticle, platform::POOL_MANAGED);
    uint32_t count = quads * kIndicesPerParticle;
    uint32_t start = 0;
    m_pIndexBuffer->Seek(0);
    auto* indices = static_cast<uint16_t*>(m_pIndexBuffer->Lock(count, start, 0));
    if (!indices)
        return;
    for (uint32_t k = 0; k < quads; ++k)
    {
        const auto first = static_cast<uint16_t>(k * kCornersPerParticle);
        uint16_t* quad = indices + k * kIndicesPerParticle;
        quad[0] = first;
        quad[1] = static_cast<uint16_t>(first + 1);
        quad[2] = static_cast<uint16_t>(first + 2);
        quad[3] = first;
        quad[4] = static_cast<uint16_t>(first + 2);
        quad[5] = static_cast<uint16_t>(first + 3);
    }
    m_pIndexBuffer->Unlock();
}

void kaParticleEmitter::ReleaseDeviceObjects()
{
    m_pVertexBuffer.reset();
    m_pIndexBuffer.reset();
}

kaBoundingBox* kaParticleEmitter::GetBoundingBox()
{
    return m_pBoundingBox.get();
}

void kaParticleEmitter::InitParticle(int32_t index)
{
    if (index < 0 || index >= m_MaxParticles)
        return;
    kaParticle& particle = m_Particles[static_cast<size_t>(index)];
    particle.m_Position = GetPosition();
    particle.m_Life = m_LifeTime;
    particle.m_Velocity = Row(m_Transform, 0) * m_StartVelocityFor;
    // One random number spreads all three components along an axis.
    if (m_StartVelocityX > 0.0f)
        particle.m_Velocity += Row(m_Transform, 1) * ((RandomFloat() - 0.5f) * m_StartVelocityX);
    if (m_StartVelocityZ > 0.0f)
        particle.m_Velocity += Row(m_Transform, 2) * ((RandomFloat() - 0.5f) * m_StartVelocityZ);
    particle.m_ScaleX = m_ScaleXStart;
    particle.m_ScaleY = m_ScaleYStart;
}

void kaParticleEmitter::SetPosition(float x, float y, float z)
{
    m_Transform(3, 0) = x;
    m_Transform(3, 1) = y;
    m_Transform(3, 2) = z;
}

void kaParticleEmitter::SetRotation(float qx, float qy, float qz, float qw)
{
    const Vector3 position = GetPosition();
    const platform::Quaternion rotation(qx, qy, qz, qw);
    platform::MatrixRotationQuaternion(&m_Transform, &rotation);
    SetPosition(position.x, position.y, position.z);
}

void kaParticleEmitter::SetPositionRotation(float x, float y, float z, float qx, float qy, float qz, float qw)
{
    SetRotation(qx, qy, qz, qw);
    SetPosition(x, y, z);
}

Vector3 kaParticleEmitter::GetPosition() const
{
    return Row(m_Transform, 3);
}

void kaParticleEmitter::Emit(float dt)
{
    if (m_EmitRate > 0.0f)
        m_EmitTime += dt;
    else
        m_EmitTime = 0.0f;
    const int32_t free = m_MaxParticles - m_LiveCount;
    if (free <= 0)
        return;
    // Compared before the cast: a long pause or a huge rate must not overflow the count.
    const double due = static_cast<double>(m_EmitRate) * static_cast<double>(m_EmitTime);
    const int32_t n = due >= static_cast<double>(free) ? free : static_cast<int32_t>(due > 0.0 ? due : 0.0);
    for (int32_t i = 0; i < n; ++i)
    {
        InitParticle(m_LiveCount);
        ++m_LiveCount;
        m_EmitTime = 0.0f;
    }
}

void kaParticleEmitter::Update(float dt)
{
    _UpdateParticles(dt, m_UseGravity);
}

void kaParticleEmitter::_UpdateParticles(float dt, bool useGravity)
{
    kaEntity::Update(dt);
    Emit(dt);
    for (int32_t i = 0; i < m_LiveCount; ++i)
    {
        kaParticle& particle = m_Particles[static_cast<size_t>(i)];
        if (useGravity)
            particle.m_Velocity += m_Gravity * dt;
        particle.m_Position += particle.m_Velocity * dt;
        particle.m_Life -= dt;
        if (particle.m_Life > 0.0f)
        {
            const float t = (m_LifeTime - particle.m_Life) / m_LifeTime;
            particle.m_ScaleX = m_ScaleXStart + m_ScaleXChange * t;
            particle.m_ScaleY = m_ScaleYStart + m_ScaleYChange * t;
            for (int c = 0; c < 4; ++c)
                particle.m_Color[c] = m_ColorStart[c] + (m_ColorEnd[c] - m_ColorStart[c]) * t;
        }
        else
        {
            // The particle moved into this slot is advanced in the next update.
            RemoveParticle(i);
        }
    }
    if (m_pBoundingBox)
        _FitBoundingBox();
}

void kaParticleEmitter::_FitBoundingBox()
{
    // Culled by its box, the emitter must be where its particles are, not at the origin.
    Vector3 low = GetPosition();
    Vector3 high = low;
    for (int32_t i = 0; i < m_LiveCount; ++i)
    {
        const kaParticle& particle = m_Particles[static_cast<size_t>(i)];
        const float reach = std::max(std::fabs(particle.m_ScaleX), std::fabs(particle.m_ScaleY));
        const Vector3& p = particle.m_Position;
        low =
            Vector3(std::min(low.x, p.x - reach), std::min(low.y, p.y - reach), std::min(low.z, p.z - reach));
        high = Vector3(std::max(high.x, p.x + reach), std::max(high.y, p.y + reach),
                       std::max(high.z, p.z + reach));
    }
    kaBoundingBox& box = *m_pBoundingBox;
    box.m_Min = low;
    box.m_Max = high;
    box.m_Centre = (low + high) * 0.5f;
    const Vector3 half = (high - low) * 0.5f;
    box.m_Radius = std::sqrt(half.x * half.x + half.y * half.y + half.z * half.z);
    box.ComputeCorners();
    if (m_pWorld)
        m_pWorld->OnEntityMoved(this);
}

void kaParticleEmitter::RemoveParticle(int32_t index)
{
    if (m_LiveCount == 0 || index < 0 || index >= m_LiveCount)
        return;
    std::swap(m_Particles[static_cast<size_t>(index)], m_Particles[static_cast<size_t>(m_LiveCount - 1)]);
    --m_LiveCount;
}

void kaParticleEmitter::SetTexture(const std::string& fileName)
{
    m_RenderState.ClearTextures();
    m_RenderState.AddTextureFromFile(fileName, false, 0, 0, 0, true, true, 0);
}

uint32_t kaParticleEmitter::PackColor(const float color[4])
{
    return PackChannel(color[3]) << 24 | PackChannel(color[0]) << 16 | PackChannel(color[1]) << 8 |
           PackChannel(color[2]);
}

void kaParticleEmitter::Render()
{
    kaEntity::Render();
    platform::GfxDevice* device = g_pGraphicsManager ? g_pGraphicsManager->GetDevice() : nullptr;
    if (m_LiveCount == 0 || !device || !m_pVertexBuffer || !m_pIndexBuffer)
        return;
    Matrix view;
    device->GetTransform(platform::TS_VIEW, &view);
    const Matrix identity;
    device->SetTransform(platform::TS_WORLD, &identity);
    m_RenderState.Apply(device, 0);
    uint32_t startVertex = 0;
    if (!_WriteQuads(view, startVertex))
        return;
    g_pGraphicsManager->SetFVF(m_pVertexBuffer->GetFVF());
    device->SetStreamSource(0, m_pVertexBuffer->GetD3DBuffer(), 0, m_pVertexBuffer->GetStride());
    device->SetIndices(m_pIndexBuffer->GetD3DBuffer());
    const auto live = static_cast<uint32_t>(m_LiveCount);
    device->DrawIndexedPrimitive(platform::PT_TRIANGLELIST, static_cast<int32_t>(startVertex), 0,
                                 live * kCornersPerParticle, 0, live * 2);
}

bool kaParticleEmitter::_WriteQuads(const Matrix& view, uint32_t& startVertex)
{
    const Vector3 right = Normalised(Vector3(view(0, 0), view(1, 0), view(2, 0)));
    const Vector3 up = Normalised(Vector3(view(0, 1), view(1, 1), view(2, 1)));
    uint32_t count = static_cast<uint32_t>(m_MaxParticles) * kCornersPerParticle;
    auto* vertices = static_cast<QuadVertex*>(m_pVertexBuffer->Lock(count, startVertex, 0));
    if (!vertices)
        return false;
    for (int32_t k = 0; k < m_LiveCount; ++k)
    {
        const kaParticle& particle = m_Particles[static_cast<size_t>(k)];
        const Vector3& p = particle.m_Position;
        // A particle at rest has no direction of travel: it faces the view like the others.
        const bool moving = particle.m_Velocity != Vector3(0.0f, 0.0f, 0.0f);
        const Vector3 axis = (m_AlignToVelocity && moving) ? Normalised(-particle.m_Velocity) : up;
        const Vector3 u = axis * particle.m_ScaleY;
        const Vector3 r = right * particle.m_ScaleX;
        const uint32_t color = PackColor(particle.m_Color);
        const Vector3 corners[4] = {p + u + r, p + r - u, p - r - u, p - r + u};
        const float us[4] = {1.0f, 1.0f, 0.0f, 0.0f};
        const float vs[4] = {0.0f, 1.0f, 1.0f, 0.0f};
        QuadVertex* quad = vertices + static_cast<size_t>(k) * kCornersPerParticle;
        for (int c = 0; c < 4; ++c)
        {
            quad[c].x = corners[c].x;
            quad[c].y = corners[c].y;
            quad[c].z = corners[c].z;
            quad[c].diffuse = color;
            quad[c].tex.uv[0][0] = us[c];
            quad[c].tex.uv[0][1] = vs[c];
        }
    }
    m_pVertexBuffer->Unlock();
    return true;
}
