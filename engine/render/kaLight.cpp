#include "engine/render/kaLight.h"

#include "engine/render/kaGraphicsManager.h"

using namespace platform;

namespace
{

const uint32_t kClassData1 = 0x4F566440;
const uint16_t kClassData2 = 0xA138;
const uint16_t kClassData3 = 0x11D5;
const uint8_t kClassData4[8] = {0x9C, 0xF6, 0x00, 0x01, 0x02, 0x3E, 0x55, 0x10};

// Red in the lowest byte.
ColorValue UnpackColor(uint32_t packed)
{
    return ColorValue{static_cast<float>(packed & 0xFF) / 255.0f,
                      static_cast<float>((packed >> 8) & 0xFF) / 255.0f,
                      static_cast<float>((packed >> 16) & 0xFF) / 255.0f,
                      static_cast<float>((packed >> 24) & 0xFF) / 255.0f};
}

Vector3 Translation(const float (&rows)[4][3])
{
    return Vector3(rows[3][0], rows[3][1], rows[3][2]);
}

} // namespace

kaLight::kaLight(uint32_t type, float x, float y, float z, float dx, float dy, float dz, float dr, float dg,
                 float db, float da, float sr, float sg, float sb, float sa, float ar, float ag, float ab,
                 float aa)
    : m_Light(_ClearedLight())
{
    m_Light.Type = type;
    m_Light.Diffuse = ColorValue{dr, dg, db, da};
    m_Light.Specular = ColorValue{sr, sg, sb, sa};
    m_Light.Ambient = ColorValue{ar, ag, ab, aa};
    const Vector3 direction(dx, dy, dz);
    Vec3Normalize(&m_Light.Direction, &direction);
    m_Light.Range = kRange;
    m_Light.Falloff = 1.0f;
    m_Light.Attenuation0 = 1.0f;
    m_Position = Vector3(x, y, z);
    UpdateTransform();
    if (g_pGraphicsManager)
        g_pGraphicsManager->AddLight(this);
}

Light kaLight::_ClearedLight()
{
    // Everything 0, no type.
    Light light;
    light.Type = 0;
    return light;
}

void kaLight::_InitFromModel(const NodeRows& node, const NodeRows& target, uint32_t kind, uint32_t color,
                             float intensity, bool useAttenuationEnd, float attenuationEnd)
{
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column)
            m_World(row, column) = node[row][column];
    m_Position = Translation(node);
    m_Origin = m_Position;
    UpdateTransform();
    m_Light.Position = m_Position;
    m_Light.Diffuse = UnpackColor(color);
    m_Light.Specular = m_Light.Diffuse;

    const bool point = kind == kModelPoint;
    const bool spot = kind == kModelSpot || kind == kModelFreeSpot;
    if (kind == kModelDirectional)
    {
        m_Light.Type = LIGHT_DIRECTIONAL;
        const Vector3 towards = Translation(target) - m_Position;
        Vec3Normalize(&m_Light.Direction, &towards);
    }
    if (point || spot)
    {
        m_Light.Type = point ? LIGHT_POINT : LIGHT_SPOT;
        m_Light.Attenuation0 = 0.0f;
        const float scale = point ? kPointAttenuation : kSpotAttenuation;
        if (intensity > 0.0f && (!useAttenuationEnd || attenuationEnd > 0.0f))
        {
            const float a = useAttenuationEnd ? kFarAttenuationScale / attenuationEnd : scale;
            m_Light.Attenuation1 = a / intensity;
        }
        else
        {
            // No intensity, or a range that ends where it starts: the light fades at once, so it gives
            // none rather than an infinite attenuation.
            m_Light.Diffuse = ColorValue();
            m_Light.Specular = ColorValue();
        }
        m_Light.Range = kModelRange;
        m_Light.Attenuation2 = 0.0f;
        m_Light.Falloff = 1.0f;
    }
    if (g_pGraphicsManager)
        g_pGraphicsManager->AddLight(this);
}

kaLight::~kaLight()
{
    if (g_pGraphicsManager)
        g_pGraphicsManager->RemoveLight(this);
}

uint8_t* kaLight::GetClassId(uint8_t* buffer) const
{
    return WriteClassId(buffer, kClassData1, kClassData2, kClassData3, kClassData4);
}

void kaLight::Update(float dt)
{
    m_Light.Position = Vector3(m_World(3, 0), m_World(3, 1), m_World(3, 2));
    ka3DObject::Update(dt);
}
