#include "engine/render/kaRenderState.h"

#include "engine/core/kaClock.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaPrefetch.h"

#include "platform/gfx/GfxDevice.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace platform;

bool kaRenderState::s_NoSpecular = false;
kaRenderState::AppliedKey kaRenderState::s_AppliedKey;
uint64_t kaRenderState::s_AppliedChanges = 0;

namespace
{

// The application clock, which stops while the game is paused.
const int kApplicationTime = 5;

float Now()
{
    return static_cast<float>(GetTime(kApplicationTime));
}

} // namespace

kaRenderState::kaRenderState() : m_LastTime(Now())
{
    m_Material.Diffuse = ColorValue{1.0f, 1.0f, 1.0f, 1.0f};
    m_Material.Ambient = ColorValue{1.0f, 1.0f, 1.0f, 1.0f};
    m_Material.Specular = ColorValue{1.0f, 1.0f, 1.0f, 1.0f};
    m_Material.Emissive = ColorValue{0.0f, 0.0f, 0.0f, 0.0f};
    m_Material.Power = 0.0f;
}

kaRenderState::kaRenderState(const kaRenderState& other)
{
    _CopyFrom(other);
}

kaRenderState& kaRenderState::operator=(const kaRenderState& other)
{
    if (this != &other)
    {
        _ReleaseStages();
        _CopyFrom(other);
    }
    return *this;
}

kaRenderState::~kaRenderState()
{
    _ReleaseStages();
}

void kaRenderState::_CopyFrom(const kaRenderState& other)
{
    m_Reference = other.m_Reference;
    m_AlphaBlend = other.m_AlphaBlend;
    m_SortAlpha = other.m_SortAlpha;
    m_AmbientFromVertexColor = other.m_AmbientFromVertexColor;
    m_Lighting = other.m_Lighting;
    m_BlendMode = other.m_BlendMode;
    m_FillMode = other.m_FillMode;
    m_BackFaceCull = other.m_BackFaceCull;
    m_Reserved[0] = other.m_Reserved[0];
    m_Reserved[1] = other.m_Reserved[1];
    m_ZTest = other.m_ZTest;
    m_ZWrite = other.m_ZWrite;
    m_DepthFunction = other.m_DepthFunction;
    m_NoDefer = other.m_NoDefer;
    m_Animated = other.m_Animated;
    m_Frame = other.m_Frame;
    m_Rate = other.m_Rate;
    m_Direction = other.m_Direction;
    m_Looping = other.m_Looping;
    m_TimeCarry = other.m_TimeCarry;
    m_LastTime = other.m_LastTime;
    m_PassCount = other.m_PassCount;
    m_PassFirstStages = other.m_PassFirstStages;
    m_PassStageCounts = other.m_PassStageCounts;
    m_Material = other.m_Material;
    m_Stages.reserve(other.m_Stages.size());
    for (const kaTextureStage* stage : other.m_Stages)
    {
        kaTextureStage* record = _NewStageRecord();
        *record = *stage;
        m_Stages.push_back(record);
        _HoldTexture(stage->texture);
    }
}

kaTextureStage* kaRenderState::_NewStageRecord()
{
    // Stages are only ever appended and released all together, so stage i takes inline slot i.
    const size_t index = m_Stages.size();
    if (index < kInlineStages)
    {
        m_InlineStages[index] = kaTextureStage();
        return &m_InlineStages[index];
    }
    return new kaTextureStage;
}

void kaRenderState::_ReleaseStages()
{
    for (size_t i = 0; i < m_Stages.size(); ++i)
    {
        _DropTexture(m_Stages[i]->texture);
        if (i >= kInlineStages)
            delete m_Stages[i];
    }
    m_Stages.clear();
}

void kaRenderState::SetDiffuse(float r, float g, float b, float a)
{
    m_Material.Diffuse = ColorValue{r, g, b, a};
}

void kaRenderState::SetAmbient(float r, float g, float b, float a)
{
    m_Material.Ambient = ColorValue{r, g, b, a};
}

void kaRenderState::SetSpecular(float r, float g, float b, float a)
{
    m_Material.Specular = ColorValue{r, g, b, a};
}

void kaRenderState::SetPower(float power)
{
    m_Material.Power = power;
}

kaTexture* kaRenderState::GetTexture(uint32_t n) const
{
    return n < m_Stages.size() ? m_Stages[n]->texture : nullptr;
}

void kaRenderState::ClearTextures()
{
    _ReleaseStages();
}

void kaRenderState::AddTexture(kaTexture* texture, uint32_t keepSampling, uint32_t blendType,
                               uint32_t texCoordIndex, bool clampU, bool clampV)
{
    kaTextureStage* stage = _NewStageRecord();
    stage->texture = texture;
    stage->blendType = blendType;
    stage->texCoordIndex = texCoordIndex;
    stage->keepSampling = keepSampling;
    stage->clampU = clampU;
    stage->clampV = clampV;
    _HoldTexture(texture);
    m_Stages.push_back(stage);
    _GroupPasses();
}

void kaRenderState::_GroupPasses()
{
    const GfxCaps* caps = g_pGraphicsManager ? &g_pGraphicsManager->GetCaps() : nullptr;
    // A device that reports no texture stages still draws one.
    const uint32_t limit = caps ? std::max<uint32_t>(caps->MaxSimultaneousTextures, 1) : 1;
    const bool temp = caps && (caps->PrimitiveMiscCaps & PMISCCAPS_TSSARGTEMP) != 0;

    m_PassCount = 1;
    m_PassFirstStages.assign(1, 0);
    m_PassStageCounts.clear();
    uint32_t used = 0;
    auto openPass = [&](uint32_t closingCount, uint32_t first)
    {
        m_PassStageCounts.push_back(closingCount);
        m_PassFirstStages.push_back(first);
        ++m_PassCount;
    };

    for (uint32_t i = 0; i < m_Stages.size(); ++i)
    {
        const uint32_t type = m_Stages[i]->blendType;
        if (type <= kaTextureStage::kModulate2x)
        {
            ++used;
            if (used > limit)
            {
                openPass(used - 1, i);
                used = 1;
            }
        }
        else if (type == kaTextureStage::kMixFirst && i + 2 < m_Stages.size() &&
                 m_Stages[i + 2]->blendType == kaTextureStage::kMixBlend)
        {
            if (temp && limit - std::min(used, limit) >= 3)
            {
                used += 3;
                if (used == limit)
                {
                    openPass(used, i + 3);
                    used = 0;
                }
            }
            else
            {
                // The first texture finishes this pass; the other two draw as a pass of their own.
                openPass(used + 1, i + 1);
                used = 2;
            }
        }
    }

    if (used == 0)
    {
        if (m_PassCount > 1)
        {
            m_PassFirstStages.pop_back();
            --m_PassCount;
        }
    }
    else
    {
        m_PassStageCounts.push_back(used);
    }
}

void kaRenderState::ReadProperties(const TiXmlElement* element)
{
    if (!element)
        return;
    for (const TiXmlElement* child = element->FirstChildElement("image"); child;
         child = child->NextSiblingElement("image"))
        AddTextureFromFile(GetElementText(child), true, 0, kaTextureStage::kModulate, 0, false, false, 1);

    auto child = [element](const char* key) { return element->FirstChildElement(key); };
    if (const TiXmlElement* e = child("ZTest"))
        m_ZTest = GetElementBool(e);
    if (const TiXmlElement* e = child("ZWrite"))
        m_ZWrite = GetElementBool(e);
    if (const TiXmlElement* e = child("rate"))
    {
        m_Rate = GetElementFloat(e);
        m_Animated = true;
    }
    if (const TiXmlElement* e = child("direction"))
    {
        m_Direction = GetElementInt(e) == -1 ? kBackward : kForward;
        m_Animated = true;
    }
    if (const TiXmlElement* e = child("looping"))
    {
        m_Looping = GetElementInt(e) != 0 ? 1 : 0;
        m_Animated = true;
    }
    if (const TiXmlElement* e = child("sortAlpha"))
        m_SortAlpha = GetElementBool(e);
    if (const TiXmlElement* e = child("alphaBlend"))
        m_AlphaBlend = GetElementBool(e);
    if (const TiXmlElement* e = child("blendMode"))
    {
        const std::string mode = GetElementText(e);
        if (mode == "Add")
            m_BlendMode = kBlendAdd;
        else if (mode == "Normal")
            m_BlendMode = kBlendNormal;
    }
    if (const TiXmlElement* e = child("backFaceCull"))
        m_BackFaceCull = GetElementBool(e);
    if (const TiXmlElement* e = child("lighting"))
        m_Lighting = GetElementBool(e);
}

void kaRenderState::ApplyInitData(const std::string& uniqueId)
{
    if (!g_pInitDataBase)
        return;
    g_pInitDataBase->Apply(kInitDataType, uniqueId, [this](TiXmlElement* data) { ReadProperties(data); });
}

bool kaRenderState::AdvanceAnimation()
{
    const int64_t frames = static_cast<int64_t>(m_Stages.size());
    // Without frames, or with a rate that never (or backwards) ticks, there is nothing to step.
    if (!(m_Rate > 0.0f) || frames == 0)
        return true;

    const float now = Now();
    const float period = 1.0f / m_Rate;
    m_TimeCarry += now - m_LastTime;
    m_LastTime = now;
    // A clock that went back, or a value that is no number, starts the carry afresh.
    if (!std::isfinite(m_TimeCarry) || m_TimeCarry < 0.0f)
        m_TimeCarry = 0.0f;

    // Whole periods while the carry exceeds one, leaving a remainder in (0, period] as stepping one
    // period at a time would; counted at once so that a long pause or a huge rate costs nothing.
    int64_t steps = 0;
    if (m_TimeCarry > period)
    {
        const double periods = static_cast<double>(m_TimeCarry) / period;
        if (!(periods < kMaxSteps))
        {
            steps = static_cast<int64_t>(kMaxSteps);
            m_TimeCarry = 0.0f;
        }
        else
        {
            steps = static_cast<int64_t>(std::ceil(periods)) - 1;
            double rest = static_cast<double>(m_TimeCarry) - static_cast<double>(steps) * period;
            if (rest > period)
            {
                rest -= period;
                ++steps;
            }
            else if (rest <= 0.0 && steps > 0)
            {
                rest += period;
                --steps;
            }
            m_TimeCarry = static_cast<float>(rest);
        }
    }

    int64_t frame = m_Frame;
    frame += m_Direction == kBackward ? -steps : steps;
    if (m_Looping == 0)
    {
        if (frame >= frames)
        {
            m_Frame = static_cast<int32_t>(frames);
            return false;
        }
        if (frame < 0)
            frame = 0;
        m_Frame = static_cast<int32_t>(frame);
        return true;
    }
    frame %= frames;
    if (frame < 0)
        frame += frames;
    m_Frame = static_cast<int32_t>(frame);
    return true;
}

bool kaRenderState::_MakeAppliedKey(int32_t pass, AppliedKey& key) const
{
    // Cleared whole, padding included, so that keys compare byte for byte.
    std::memset(static_cast<void*>(&key), 0, sizeof key);
    key.pass = pass;
    key.flags = (m_AlphaBlend ? 1u : 0u) | (m_AmbientFromVertexColor ? 2u : 0u) | (m_Lighting ? 4u : 0u) |
                (m_BackFaceCull ? 8u : 0u) | (m_ZTest ? 16u : 0u) | (m_ZWrite ? 32u : 0u) |
                (s_NoSpecular ? 64u : 0u) | (m_Stages.empty() ? 128u : 0u);
    key.blendMode = m_BlendMode;
    key.fillMode = m_FillMode;
    key.depthFunction = m_DepthFunction;
    key.material = m_Material;
    if (m_Stages.empty())
        return true;
    if (pass < 0 || static_cast<size_t>(pass) >= m_PassFirstStages.size() ||
        static_cast<size_t>(pass) >= m_PassStageCounts.size())
        return true;
    const size_t first = m_PassFirstStages[pass];
    const size_t end = std::min(m_Stages.size(), first + m_PassStageCounts[pass]);
    if (end > first + AppliedKey::kStages)
        return false;
    for (size_t i = first; i < end; ++i)
    {
        AppliedKey::Stage& stage = key.stages[key.stageCount++];
        const kaTextureStage* record = m_Stages[i];
        stage.value.texture = record->texture;
        stage.value.blendType = record->blendType;
        stage.value.texCoordIndex = record->texCoordIndex;
        stage.value.keepSampling = record->keepSampling;
        stage.value.clampU = record->clampU;
        stage.value.clampV = record->clampV;
        stage.deviceTexture = _DeviceTexture(record->texture);
        stage.mips = _HasMips(record->texture);
    }
    return true;
}

void kaRenderState::Prefetch(int level) const
{
    // Level 0 reads nothing of the block: the block is what it asks for.
    if (level <= 0)
    {
        if (level == 0)
            kaPrefetch(this, sizeof *this);
        return;
    }
    const size_t stages = std::min(m_Stages.size(), size_t{AppliedKey::kStages});
    if (level == 1)
        kaPrefetch(m_Stages.data(), stages * sizeof(m_Stages[0]));
    else if (level == 2)
        for (size_t i = 0; i < stages; ++i)
            kaPrefetch(m_Stages[i], sizeof(kaTextureStage));
}

bool kaRenderState::Apply(GfxDevice* device, int32_t pass)
{
    kaGraphicsManager* manager = g_pGraphicsManager;
    if (!manager)
        return false;
    // A flip-book steps on every Apply, so only still blocks can skip.
    AppliedKey key;
    const bool keyed = !m_Animated && _MakeAppliedKey(pass, key);
    // Without a device the material is left as it is.
    if (keyed && device)
        key.flags |= 256u;
    if (keyed && s_AppliedChanges == manager->GetStateChanges() &&
        std::memcmp(&key, &s_AppliedKey, sizeof key) == 0)
        return true;
    s_AppliedChanges = 0;
    const GfxCaps& caps = manager->GetCaps();
    const uint32_t maxStages = caps.MaxSimultaneousTextures;
    const bool temp = (caps.PrimitiveMiscCaps & PMISCCAPS_TSSARGTEMP) != 0;

    if (pass > 0)
    {
        // Further passes multiply onto what the first one drew.
        manager->SetRenderState(RS_ZWRITEENABLE, 0);
        manager->SetRenderState(RS_ZFUNC, CMP_EQUAL);
        manager->SetRenderState(RS_SRCBLEND, BLEND_DESTCOLOR);
        manager->SetRenderState(RS_DESTBLEND, BLEND_ZERO);
        manager->SetRenderState(RS_ALPHABLENDENABLE, 1);
        manager->SetRenderState(RS_LIGHTING, 0);
    }
    else
    {
        manager->SetRenderState(RS_ZFUNC, m_DepthFunction);
        manager->SetRenderState(RS_ZWRITEENABLE, m_ZWrite ? 1 : 0);
        if (m_AlphaBlend)
        {
            if (m_BlendMode == kBlendNormal)
            {
                manager->SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
                manager->SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
                manager->SetTextureStageState(0, TSS_ALPHAOP, TOP_MODULATE);
            }
            else if (m_BlendMode == kBlendAdd)
            {
                manager->SetRenderState(RS_SRCBLEND, BLEND_ONE);
                manager->SetRenderState(RS_DESTBLEND, BLEND_ONE);
                manager->SetTextureStageState(0, TSS_ALPHAOP, TOP_MODULATE);
            }
            manager->SetRenderState(RS_ALPHABLENDENABLE, 1);
            manager->SetRenderState(RS_ALPHATESTENABLE, 0);
        }
        else
        {
            manager->SetRenderState(RS_ALPHATESTENABLE, 0);
            manager->SetRenderState(RS_ALPHABLENDENABLE, 0);
            manager->SetTextureStageState(0, TSS_ALPHAOP, TOP_SELECTARG1);
        }
        manager->SetRenderState(RS_LIGHTING, m_Lighting ? 1 : 0);
        manager->SetZBufferEnable(m_ZTest);
        manager->SetRenderState(RS_AMBIENTMATERIALSOURCE, m_AmbientFromVertexColor ? MCS_COLOR1 : MCS_COLOR2);
        manager->SetRenderState(RS_DIFFUSEMATERIALSOURCE,
                                m_Material.Diffuse.a == 1.0f ? MCS_COLOR1 : MCS_MATERIAL);
        if (device)
            manager->SetMaterial(m_Material);
        manager->SetRenderState(RS_SPECULARENABLE, m_Material.Power > 0.0f && !s_NoSpecular ? 1 : 0);
    }

    uint32_t used = 0;
    // An animation needs frames to show; without any the block draws as an untextured one.
    if (m_Animated && !m_Stages.empty())
    {
        if (!AdvanceAnimation())
            return false;
        const int32_t last = static_cast<int32_t>(m_Stages.size()) - 1;
        const kaTextureStage* frame = m_Stages[static_cast<size_t>(std::clamp(m_Frame, 0, last))];
        manager->SetTexture(0, _DeviceTexture(frame->texture));
        manager->SetTextureStageState(0, TSS_COLORARG1, TA_CURRENT);
        manager->SetTextureStageState(0, TSS_COLORARG2, TA_TEXTURE);
        manager->SetTextureStageState(0, TSS_COLOROP, TOP_MODULATE);
        manager->SetTextureStageState(0, TSS_RESULTARG, TA_CURRENT);
        manager->SetTextureStageState(0, TSS_TEXTURETRANSFORMFLAGS, 0);
        manager->SetTextureStageState(0, TSS_TEXCOORDINDEX, 0);
        used = 1;
    }
    else if (m_Stages.empty())
    {
        manager->SetTextureStageState(0, TSS_RESULTARG, TA_CURRENT);
        manager->SetTextureStageState(0, TSS_COLORARG1, TA_DIFFUSE);
        // The colour alone: the operation left by the device's defaults (modulate with the current
        // colour, which is the diffuse colour on stage 0) would square it until a textured block ran.
        manager->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
        manager->SetTexture(0, nullptr);
        used = 1;
    }
    else if (pass >= 0 && static_cast<size_t>(pass) < m_PassFirstStages.size() &&
             static_cast<size_t>(pass) < m_PassStageCounts.size())
    {
        const size_t first = m_PassFirstStages[pass];
        const size_t end = std::min(m_Stages.size(), first + m_PassStageCounts[pass]);
        for (size_t i = first; i < end && used < maxStages; ++i)
            if (_ApplyStage(*m_Stages[i], used, temp))
                ++used;
    }

    manager->SetRenderState(RS_FILLMODE, m_FillMode == kFillWireframe ? FILL_WIREFRAME : FILL_SOLID);
    manager->SetRenderState(RS_CULLMODE, m_BackFaceCull ? CULL_CCW : CULL_NONE);
    for (uint32_t stage = used; stage < maxStages; ++stage)
    {
        manager->SetTextureStageState(stage, TSS_COLOROP, TOP_DISABLE);
        manager->SetTextureStageState(stage, TSS_ALPHAOP, TOP_DISABLE);
        manager->SetTextureStageState(stage, TSS_TEXTURETRANSFORMFLAGS, 0);
        manager->SetTextureStageState(stage, TSS_TEXCOORDINDEX, stage);
    }
    if (keyed)
    {
        s_AppliedKey = key;
        s_AppliedChanges = manager->GetStateChanges();
    }
    return true;
}

bool kaRenderState::_ApplyStage(const kaTextureStage& record, uint32_t stage, bool tempSupported)
{
    if (record.blendType >= kFirstUnknownBlendType)
        return false;
    kaGraphicsManager* manager = g_pGraphicsManager;
    manager->SetSamplerState(stage, SAMP_ADDRESSU, record.clampU ? TADDRESS_CLAMP : TADDRESS_WRAP);
    manager->SetSamplerState(stage, SAMP_ADDRESSV, record.clampV ? TADDRESS_CLAMP : TADDRESS_WRAP);
    if (record.keepSampling == 0)
    {
        manager->SetSamplerState(stage, SAMP_MINFILTER, TEXF_LINEAR);
        manager->SetSamplerState(stage, SAMP_MAGFILTER, TEXF_LINEAR);
        manager->SetSamplerState(stage, SAMP_MIPFILTER, _HasMips(record.texture) ? TEXF_LINEAR : TEXF_NONE);
    }
    manager->SetTexture(stage, _DeviceTexture(record.texture));

    auto set = [manager, stage](uint32_t state, uint32_t value)
    { manager->SetTextureStageState(stage, state, value); };
    switch (record.blendType)
    {
    case kaTextureStage::kModulate:
    case kaTextureStage::kModulateSelf:
        set(TSS_COLORARG1, TA_CURRENT);
        set(TSS_COLORARG2, TA_TEXTURE);
        set(TSS_COLOROP, TOP_MODULATE);
        set(TSS_RESULTARG, TA_CURRENT);
        set(TSS_TEXCOORDINDEX, record.texCoordIndex);
        set(TSS_TEXTURETRANSFORMFLAGS, 0);
        break;
    case kaTextureStage::kEnvironmentMap:
        set(TSS_COLORARG1, TA_CURRENT);
        set(TSS_COLORARG2, TA_TEXTURE);
        set(TSS_COLOROP, TOP_BLENDTEXTUREALPHA);
        set(TSS_RESULTARG, TA_CURRENT);
        set(TSS_TEXCOORDINDEX, TSS_TCI_SPHEREMAP);
        break;
    case kaTextureStage::kModulate2x:
        set(TSS_COLORARG1, TA_CURRENT);
        set(TSS_COLORARG2, TA_TEXTURE);
        set(TSS_COLOROP, TOP_MODULATE2X);
        set(TSS_RESULTARG, TA_CURRENT);
        set(TSS_TEXCOORDINDEX, record.texCoordIndex);
        break;
    case kaTextureStage::kMixFirst:
        set(TSS_COLORARG1, TA_DIFFUSE);
        set(TSS_COLORARG2, TA_TEXTURE);
        set(TSS_COLOROP, TOP_MODULATE);
        set(TSS_RESULTARG, tempSupported ? TA_TEMP : TA_CURRENT);
        set(TSS_TEXCOORDINDEX, record.texCoordIndex);
        break;
    case kaTextureStage::kMixSecond:
        set(TSS_COLORARG1, TA_DIFFUSE);
        set(TSS_COLORARG2, TA_TEXTURE);
        set(TSS_COLOROP, TOP_MODULATE);
        set(TSS_RESULTARG, TA_CURRENT);
        if (tempSupported)
            set(TSS_TEXCOORDINDEX, record.texCoordIndex);
        else
            manager->SetRenderState(RS_LIGHTING, 1);
        break;
    case kaTextureStage::kMixBlend:
        if (tempSupported)
        {
            set(TSS_COLOROP, TOP_LERP);
            set(TSS_COLORARG0, TA_TEXTURE);
            set(TSS_COLORARG1, TA_CURRENT);
            set(TSS_COLORARG2, TA_TEMP);
        }
        else
        {
            // Without the temporary register the blend texture's alpha mixes with the frame buffer.
            set(TSS_ALPHAARG1, TA_TEXTURE);
            set(TSS_ALPHAOP, TOP_SELECTARG1);
            set(TSS_COLORARG2, TA_CURRENT);
            set(TSS_COLOROP, TOP_SELECTARG2);
            manager->SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
            manager->SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
            manager->SetRenderState(RS_LIGHTING, 1);
            set(TSS_RESULTARG, TA_CURRENT);
        }
        set(TSS_TEXCOORDINDEX, record.texCoordIndex);
        break;
    default:
        break;
    }
    return true;
}
