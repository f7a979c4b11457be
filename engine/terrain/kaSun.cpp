#include "engine/terrain/kaSun.h"

#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaLight.h"
#include "engine/render/kaRenderState.h"
#include "engine/scene/kaPropertyRecord.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/kaEnvironmentValues.h"
#include "engine/terrain/kaFlareLayer.h"
#include "engine/terrain/kaRotationOnlyView.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/math/Viewport.h"

#include <tinyxml.h>

#include <cmath>

using namespace kaEnvironmentValues;
using platform::Vector3;

namespace
{

kaSunBase* Make()
{
    return new kaSun();
}

// Installed before the program's entry, so every world reads this element of its files.
const bool s_Installed = (kaWorld::SetSunCreator(&Make), true);

} // namespace

// A class record without a creator: only the world makes one.
KA_ENTITY_CLASS_RECORD_DEFINITION(kaSun, "kaSun")

namespace
{

float Clamp01(float value)
{
    return value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
}

void ReleaseBillboard(kaBillboard* billboard)
{
    if (billboard)
        billboard->Release();
}

// A billboard drawn at once in its own pass, over everything, without writing depth.
void SetUpOverlay(kaBillboard& billboard, float scale, const std::string& texture, uint32_t blendMode)
{
    billboard.AddRef();
    billboard.InitializeHierarchy();
    billboard.SetScale(scale);
    billboard.SetTexture(texture);
    billboard.SetZWrite(false);
    billboard.SetZTest(false);
    if (kaRenderState* state = billboard.GetRenderState())
    {
        state->m_SortAlpha = true;
        state->m_NoDefer = true;
        state->m_BlendMode = blendMode;
    }
}

} // namespace

kaSun::kaSun() = default;

kaSun::~kaSun()
{
    _DeleteLight();
    _DeleteDisc();
    for (kaFlareLayer* layer : m_Layers)
        ReleaseBillboard(layer);
}

platform::Vector3 kaSun::Direction(float position, float axisTilt)
{
    const float theta = (position - 0.25f) * kTwoPi;
    const float phi = (axisTilt - 0.5f) * kTwoPi;
    return Vector3(-std::cos(theta), -std::sin(theta), -std::sin(phi));
}

void kaSun::_DeleteDisc()
{
    ReleaseBillboard(m_pDisc);
    m_pDisc = nullptr;
}

void kaSun::_DeleteLight()
{
    if (m_pLightWorld && m_pLight)
        m_pLightWorld->RemoveLight(m_pLight);
    m_pLightWorld = nullptr;
    delete m_pLight;
    m_pLight = nullptr;
}

void kaSun::_JoinLightToWorld()
{
    if (!m_pLight || !m_pWorld || m_pLightWorld == m_pWorld)
        return;
    if (m_pLightWorld)
        m_pLightWorld->RemoveLight(m_pLight);
    m_pWorld->AddLight(m_pLight);
    m_pLightWorld = m_pWorld;
}

void kaSun::Initialize(float position, float axisTilt, const std::string& texture, float scale,
                       const kaColor& directional, const kaColor& ambient)
{
    _DeleteDisc();
    m_Position = position;
    m_AxisTilt = axisTilt;
    m_Texture = texture;
    m_Scale = scale;
    const Vector3 d = Direction(position, axisTilt);

    m_pDisc = new kaRotationOnlyBillboard;
    SetUpOverlay(*m_pDisc, scale, texture, kaRenderState::kBlendNormal);
    m_pDisc->SetPosition(-kDiscDistance * d.x, -kDiscDistance * d.y, -kDiscDistance * d.z);

    m_Directional = directional;
    m_Ambient = ambient;

    // One light: the previous one leaves the world before the new one takes its place.
    _DeleteLight();
    m_pLight = new kaLight(platform::LIGHT_DIRECTIONAL, 0.0f, 0.0f, 0.0f, d.x, d.y, d.z, directional.r,
                           directional.g, directional.b, directional.a, directional.r, directional.g,
                           directional.b, directional.a, 0.0f, 0.0f, 0.0f, 1.0f);
    _JoinLightToWorld();
    if (g_pGraphicsManager)
        g_pGraphicsManager->SetAmbientColor(ambient.r, ambient.g, ambient.b, ambient.a);
}

void kaSun::Initialize()
{
    kaSunBase::Initialize();
    _JoinLightToWorld();
}

void kaSun::AddFlareLayer(const std::string& texture, float length, float scale)
{
    auto* layer = new kaFlareLayer;
    SetUpOverlay(*layer, scale * kLayerScaleFactor, texture, kaRenderState::kBlendAdd);
    layer->m_LayerScale = scale;
    layer->m_Texture = texture;
    layer->m_Length = length;
    m_Layers.push_back(layer);
}

void kaSun::RemoveFlareLayer(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= m_Layers.size())
        return;
    kaFlareLayer* layer = m_Layers[static_cast<size_t>(index)];
    m_Layers.erase(m_Layers.begin() + index);
    ReleaseBillboard(layer);
}

void kaSun::Render()
{
    if (m_pDisc)
        m_pDisc->Render(0);
}

void kaSun::Update(float dt)
{
    kaSunBase::Update(dt);
    // A sun put into a world after its last Initialize still lights it.
    _JoinLightToWorld();
    if (g_pGraphicsManager)
        g_pGraphicsManager->SetAmbientColor(m_Ambient.r * m_LightFactor, m_Ambient.g * m_LightFactor,
                                            m_Ambient.b * m_LightFactor, 0.0f);
    if (m_pLight)
    {
        platform::Light& light = m_pLight->GetLight();
        light.Diffuse = {m_Directional.r * m_LightFactor, m_Directional.g * m_LightFactor,
                         m_Directional.b * m_LightFactor, 0.0f};
        light.Specular = light.Diffuse;
    }
    if (m_FlareTarget == m_FlareIntensity)
        return;
    const float diff = m_FlareTarget - m_FlareIntensity;
    if (diff > -kSnap && diff < kSnap)
    {
        m_FlareIntensity = m_FlareTarget;
        return;
    }
    m_FlareIntensity += diff * dt * kFadeRate;
    const float shade = Clamp01(m_FlareIntensity);
    for (kaFlareLayer* layer : m_Layers)
        layer->SetColor(kaColor::kaColorClamped(shade, shade, shade, 1.0f));
}

void kaSun::RenderLensFlare()
{
    platform::GfxDevice* device = g_pGraphicsManager ? g_pGraphicsManager->GetDevice() : nullptr;
    if (!m_pDisc || !device)
        return;
    kaGraphicsManager& manager = *g_pGraphicsManager;
    const bool visible = m_FlareIntensity > 0.0f;
    const Vector3& sun = m_pDisc->GetPosition();
    manager.UseAltFrustum();
    const bool inView = manager.IsPointInFrustum(sun.x, sun.y, sun.z);
    if (!inView && !visible)
    {
        m_FlareTarget = 0.0f;
        manager.UseViewFrustum();
        return;
    }

    platform::Viewport viewport;
    platform::Matrix view;
    platform::Matrix projection;
    device->GetViewport(&viewport);
    device->GetTransform(platform::TS_VIEW, &view);
    device->GetTransform(platform::TS_PROJECTION, &projection);
    const platform::Matrix relative = kaRotationOnlyView::WithoutTranslation(view);
    Vector3 screen;
    platform::Vec3Project(&screen, &sun, &viewport, &projection, &relative, nullptr);

    const float cx = static_cast<float>(viewport.Width / 2);
    const float cy = static_cast<float>(viewport.Height / 2);
    const float dx = screen.x - cx;
    const float dy = screen.y - cy;
    m_FlareTarget = 1.0f;
    const float dist = std::sqrt(dx * dx + dy * dy);
    // With the sun at the centre every layer lies at the centre.
    const float ux = dist > 0.0f ? dx / dist : 0.0f;
    const float uy = dist > 0.0f ? dy / dist : 0.0f;
    const float shade = Clamp01(m_FlareIntensity);
    for (kaFlareLayer* layer : m_Layers)
    {
        if (layer->m_Length == 0.0f)
            continue;
        const float t = dist / layer->m_Length;
        const Vector3 point(cx + ux * t, cy + uy * t, screen.z);
        Vector3 world;
        if (!platform::Vec3Unproject(&world, &point, &viewport, &projection, &relative, nullptr))
            continue;
        layer->SetColor(kaColor::kaColorClamped(shade, shade, shade, 1.0f));
        layer->SetPosition(world.x, world.y, world.z);
        layer->Render(0);
    }
    if (!inView)
        m_FlareTarget = 0.0f;
    manager.UseViewFrustum();
}

void kaSun::ReadXml(const TiXmlElement* element)
{
    if (!element)
        return;
    // A missing value reads 0; one that is no number too, and is kept as read for the save.
    m_BlockKeys.Clear();
    float numbers[kNumberCount] = {};
    for (size_t i = 0; i < kNumberCount; ++i)
        ReadFloatKept(element, kNumberKeys[i], numbers[i], m_BlockKeys, m_pWorld, kNumberKeys[i]);
    const kaColor directional = kaColor::kaColorClamped(numbers[3], numbers[4], numbers[5], 1.0f);
    const kaColor ambient = kaColor::kaColorClamped(numbers[6], numbers[7], numbers[8], 1.0f);
    Initialize(numbers[0], numbers[1], TextOrEmpty(element, "texture"), numbers[2], directional, ambient);
    if (const TiXmlElement* layers = element->FirstChildElement("lensFlareLayers"))
    {
        for (const TiXmlElement* layer = layers->FirstChildElement("FlareLayer"); layer;
             layer = layer->NextSiblingElement("FlareLayer"))
        {
            const std::string named = "layer " + std::to_string(m_Layers.size()) + " ";
            kaBlockKeys kept;
            float length = 0.0f;
            float scale = 0.0f;
            ReadFloatsKept(layer, {{"length", &length}, {"scale", &scale}}, kept, m_pWorld, named);
            AddFlareLayer(TextOrEmpty(layer, "texture"), length, scale);
            m_Layers.back()->m_Kept.TakeFrom(kept);
        }
    }
    m_Name = kName;
}

void kaSun::WriteXml(TiXmlElement* element) const
{
    if (!element)
        return;
    const float numbers[kNumberCount] = {m_Position,      m_AxisTilt,      m_Scale,
                                         m_Directional.r, m_Directional.g, m_Directional.b,
                                         m_Ambient.r,     m_Ambient.g,     m_Ambient.b};
    for (size_t i = 0; i < kNumberCount; ++i)
    {
        WriteFloatKept(element, kNumberKeys[i], numbers[i], m_BlockKeys);
        // The texture stands after the first two numbers, as the file has always had it.
        if (i == 1)
            AppendTextElement(element, "texture", m_Texture);
    }
    TiXmlElement* layers = AppendElement(element, "lensFlareLayers");
    for (const kaFlareLayer* layer : m_Layers)
    {
        TiXmlElement* entry = AppendElement(layers, "FlareLayer");
        AppendTextElement(entry, "texture", layer->m_Texture);
        WriteFloatKept(entry, "length", layer->m_Length, layer->m_Kept);
        WriteFloatKept(entry, "scale", layer->m_LayerScale, layer->m_Kept);
    }
}

void kaSun::BuildPropertyList()
{
    kaSunBase::BuildPropertyList();
    kaPropertyRecord& texture = kaPropertyRecord::Append(m_PropertyList, kTextureLabel, m_Texture);
    texture.m_Browse = true;
    texture.m_Folder = kPictureFolder;
    kaPropertyRecord::Append(m_PropertyList, kPositionLabel, FloatText(m_Position));
    kaPropertyRecord::Append(m_PropertyList, kAxisTiltLabel, FloatText(m_AxisTilt));
    kaPropertyRecord::Append(m_PropertyList, kScaleLabel, FloatText(m_Scale));
    kaPropertyRecord::Append(m_PropertyList, kRedDirectionalLabel, FloatText(m_Directional.r));
    kaPropertyRecord::Append(m_PropertyList, kGreenDirectionalLabel, FloatText(m_Directional.g));
    kaPropertyRecord::Append(m_PropertyList, kBlueDirectionalLabel, FloatText(m_Directional.b));
    kaPropertyRecord::Append(m_PropertyList, kRedAmbientLabel, FloatText(m_Ambient.r));
    kaPropertyRecord::Append(m_PropertyList, kGreenAmbientLabel, FloatText(m_Ambient.g));
    kaPropertyRecord::Append(m_PropertyList, kBlueAmbientLabel, FloatText(m_Ambient.b));
    for (size_t i = 0; i < m_Layers.size(); ++i)
    {
        const kaFlareLayer& layer = *m_Layers[i];
        kaPropertyRecord::Append(m_PropertyList, kLayerLabel + std::to_string(i) + " ", "");
        kaPropertyRecord& picture = kaPropertyRecord::Append(m_PropertyList, kTextureLabel, layer.m_Texture);
        picture.m_Browse = true;
        picture.m_Folder = kPictureFolder;
        kaPropertyRecord::Append(m_PropertyList, kLengthLabel, FloatText(layer.m_Length));
        kaPropertyRecord::Append(m_PropertyList, kScaleLabel, FloatText(layer.m_LayerScale));
    }
}

namespace
{

// What the sun's rows would store, converted whole before any of it is kept.
struct SunRows
{
    std::string texture;
    float numbers[kaSun::kNumberCount];
    // The keys whose kept text the rows replace.
    std::vector<std::string> given;
    struct Layer
    {
        kaFlareLayer* layer;
        std::string texture;
        float length;
        float scale;
        std::vector<std::string> given;
    };
    std::vector<Layer> layers;
};

// The layer a "Layer <n> " row names; false when the label is not such a row. A number outside the
// layers selects nothing.
bool SelectLayer(const std::string& label, const std::vector<kaFlareLayer*>& layers, int& selected)
{
    const std::string prefix = kaSun::kLayerLabel;
    if (label.size() < prefix.size() + 2 || label.compare(0, prefix.size(), prefix) != 0 ||
        label.back() != ' ')
        return false;
    const std::string digits = label.substr(prefix.size(), label.size() - prefix.size() - 1);
    selected = -1;
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
        return true;
    const size_t index = std::stoul(digits);
    if (index < layers.size())
        selected = static_cast<int>(index);
    return true;
}

// A number row's value when its text differs from the stored one, or when the designer set the row over a
// text kept as read, which the caller then forgets; throws when it is not a number.
bool TakeNumber(const kaPropertyRecord& row, float stored, bool keptAsRead, float& target, bool& changed)
{
    if (row.m_Value == FloatText(stored) && !(row.m_Set && keptAsRead))
        return false;
    if (!TryParseFloat(row.m_Value, target))
        throw ka::bad_lexical_cast();
    changed = true;
    return true;
}

} // namespace

bool kaSun::SetPropertyList(const kaPropertyList& list)
{
    float* const fields[kNumberCount] = {&m_Position,      &m_AxisTilt,      &m_Scale,
                                         &m_Directional.r, &m_Directional.g, &m_Directional.b,
                                         &m_Ambient.r,     &m_Ambient.g,     &m_Ambient.b};
    const char* const labels[kNumberCount] = {
        kPositionLabel,       kAxisTiltLabel,         kScaleLabel,
        kRedDirectionalLabel, kGreenDirectionalLabel, kBlueDirectionalLabel,
        kRedAmbientLabel,     kGreenAmbientLabel,     kBlueAmbientLabel};
    SunRows rows;
    rows.texture = m_Texture;
    for (size_t i = 0; i < kNumberCount; ++i)
        rows.numbers[i] = *fields[i];
    for (kaFlareLayer* layer : m_Layers)
        rows.layers.push_back({layer, layer->m_Texture, layer->m_Length, layer->m_LayerScale, {}});

    bool sunChanged = false;
    bool layerChanged = false;
    bool inLayers = false;
    int selected = -1;
    for (const kaCountedPtr<kaPropertyRecord>& row : list)
    {
        if (!row)
            continue;
        const std::string& label = row->m_Label;
        const std::string& value = row->m_Value;
        if (SelectLayer(label, m_Layers, selected))
        {
            inLayers = true;
            continue;
        }
        if (inLayers)
        {
            if (selected < 0)
                continue;
            SunRows::Layer& layer = rows.layers[static_cast<size_t>(selected)];
            if (label == kTextureLabel && value != layer.texture)
            {
                layer.texture = value;
                layerChanged = true;
            }
            else if (label == kLengthLabel &&
                     TakeNumber(*row, layer.layer->m_Length, layer.layer->m_Kept.Has("length"), layer.length,
                                layerChanged))
                layer.given.push_back("length");
            else if (label == kScaleLabel &&
                     TakeNumber(*row, layer.layer->m_LayerScale, layer.layer->m_Kept.Has("scale"),
                                layer.scale, layerChanged))
                layer.given.push_back("scale");
            continue;
        }
        if (label == kTextureLabel && value != m_Texture)
        {
            rows.texture = value;
            sunChanged = true;
            continue;
        }
        for (size_t i = 0; i < kNumberCount; ++i)
            if (label == labels[i] &&
                TakeNumber(*row, *fields[i], m_BlockKeys.Has(kNumberKeys[i]), rows.numbers[i], sunChanged))
                rows.given.push_back(kNumberKeys[i]);
    }

    bool changed = kaSunBase::SetPropertyList(list);
    for (const SunRows::Layer& layer : rows.layers)
    {
        if (layer.texture != layer.layer->m_Texture)
        {
            layer.layer->SetTexture(layer.texture);
            layer.layer->m_Texture = layer.texture;
        }
        layer.layer->m_Length = layer.length;
        layer.layer->m_LayerScale = layer.scale;
        for (const std::string& key : layer.given)
            layer.layer->m_Kept.Forget(key);
    }
    for (const std::string& key : rows.given)
        m_BlockKeys.Forget(key);
    if (sunChanged)
    {
        for (size_t i = 0; i < kNumberCount; ++i)
            *fields[i] = rows.numbers[i];
        m_Directional =
            kaColor::kaColorClamped(m_Directional.r, m_Directional.g, m_Directional.b, m_Directional.a);
        m_Ambient = kaColor::kaColorClamped(m_Ambient.r, m_Ambient.g, m_Ambient.b, m_Ambient.a);
        Initialize(m_Position, m_AxisTilt, rows.texture, m_Scale, m_Directional, m_Ambient);
    }
    return changed || sunChanged || layerChanged;
}
