#include "engine/render/kaLight.h"
#include "engine/model/KM_Light.h"
#include "engine/render/kaGraphicsManager.h"

#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include "platform/gfx/GfxDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace platform;

namespace
{

class LightTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(Start(nullptr)); }

    // A model light at (1, 2, 3) whose target lies at (1, 2, 13).
    static KM_Light ModelLight(uint32_t kind)
    {
        KM_Light source;
        source.m_LightType = kind;
        source.m_NodeTM.m_Rows[3][0] = 1.0f;
        source.m_NodeTM.m_Rows[3][1] = 2.0f;
        source.m_NodeTM.m_Rows[3][2] = 3.0f;
        source.m_HasTarget = 1;
        source.m_TargetTM.m_Rows[3][0] = 1.0f;
        source.m_TargetTM.m_Rows[3][1] = 2.0f;
        source.m_TargetTM.m_Rows[3][2] = 13.0f;
        source.m_Color = 0xFF804020;
        source.m_Intensity = 2.0f;
        return source;
    }

    bool Listed(const kaLight* light) const
    {
        const auto& lights = m_Manager->GetLights();
        return std::find(lights.begin(), lights.end(), light) != lights.end();
    }
};

} // namespace

TEST_F(LightTest, LightFromValuesHasRange1000AndConstantAttenuation)
{
    auto* light = new kaLight(LIGHT_SPOT, 1.0f, 2.0f, 3.0f, 0.0f, 0.0f, 5.0f, 0.5f, 0.6f, 0.7f, 0.8f, 0.1f,
                              0.2f, 0.3f, 0.4f, 0.01f, 0.02f, 0.03f, 0.04f);
    light->AddRef();
    const Light& record = light->GetLight();
    EXPECT_EQ(record.Type, static_cast<uint32_t>(LIGHT_SPOT));
    EXPECT_EQ(record.Range, 1000.0f);
    EXPECT_EQ(record.Attenuation0, 1.0f);
    EXPECT_EQ(record.Attenuation1, 0.0f);
    EXPECT_EQ(record.Attenuation2, 0.0f);
    EXPECT_EQ(record.Falloff, 1.0f);
    EXPECT_EQ(record.Direction, Vector3(0.0f, 0.0f, 1.0f));
    EXPECT_EQ(record.Diffuse.g, 0.6f);
    EXPECT_EQ(record.Specular.a, 0.4f);
    EXPECT_EQ(record.Ambient.b, 0.03f);
    // The record's position waits for the first update.
    EXPECT_EQ(record.Position, Vector3());
    EXPECT_EQ(light->GetPosition(), Vector3(1.0f, 2.0f, 3.0f));
    light->Update(0.0f);
    EXPECT_EQ(record.Position, Vector3(1.0f, 2.0f, 3.0f));
    light->SetPosition(4.0f, 5.0f, 6.0f);
    light->Update(0.0f);
    EXPECT_EQ(record.Position, Vector3(4.0f, 5.0f, 6.0f));

    EXPECT_TRUE(Listed(light));
    light->Release();
    EXPECT_TRUE(m_Manager->GetLights().empty());
}

TEST_F(LightTest, ModelPointLightWithoutFarAttenuationDividesByItsIntensity)
{
    kaLight light(ModelLight(kaLight::kModelPoint));
    const Light& record = light.GetLight();
    EXPECT_EQ(record.Type, static_cast<uint32_t>(LIGHT_POINT));
    EXPECT_FLOAT_EQ(record.Attenuation1, 0.009f);
    EXPECT_EQ(record.Attenuation0, 0.0f);
    EXPECT_EQ(record.Attenuation2, 0.0f);
    EXPECT_EQ(record.Range, 10000.0f);
    EXPECT_EQ(record.Position, Vector3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(light.GetOrigin(), Vector3(1.0f, 2.0f, 3.0f));
    // Red in the lowest byte.
    EXPECT_FLOAT_EQ(record.Diffuse.r, 0x20 / 255.0f);
    EXPECT_FLOAT_EQ(record.Diffuse.g, 0x40 / 255.0f);
    EXPECT_FLOAT_EQ(record.Diffuse.b, 0x80 / 255.0f);
    EXPECT_FLOAT_EQ(record.Diffuse.a, 1.0f);
    EXPECT_FLOAT_EQ(record.Specular.b, 0x80 / 255.0f);
    EXPECT_EQ(record.Ambient.r, 0.0f);
    EXPECT_TRUE(Listed(&light));
}

TEST_F(LightTest, ModelSpotLightsUseTheirOwnScaleOrTheFarAttenuationEnd)
{
    for (uint32_t kind : {kaLight::kModelSpot, kaLight::kModelFreeSpot})
    {
        kaLight plain(ModelLight(kind));
        EXPECT_EQ(plain.GetLight().Type, static_cast<uint32_t>(LIGHT_SPOT));
        EXPECT_FLOAT_EQ(plain.GetLight().Attenuation1, 0.01f);

        KM_Light source = ModelLight(kind);
        source.m_UseFarAttenuation = 1;
        source.m_AttenuationEnd = 50.0f;
        kaLight far(source);
        EXPECT_FLOAT_EQ(far.GetLight().Attenuation1, 0.1f);
    }
}

TEST_F(LightTest, ModelDirectionalLightPointsAtItsTarget)
{
    kaLight light(ModelLight(kaLight::kModelDirectional));
    EXPECT_EQ(light.GetLight().Type, static_cast<uint32_t>(LIGHT_DIRECTIONAL));
    EXPECT_EQ(light.GetLight().Direction, Vector3(0.0f, 0.0f, 1.0f));
    // A light of an unknown kind gets no type.
    EXPECT_EQ(kaLight(ModelLight(3)).GetLight().Type, 0u);
}

TEST_F(LightTest, ModelLightWithoutIntensityGivesNoLightInsteadOfInfiniteAttenuation)
{
    KM_Light source = ModelLight(kaLight::kModelPoint);
    source.m_Intensity = 0.0f;
    kaLight dark(source);
    EXPECT_TRUE(std::isfinite(dark.GetLight().Attenuation1));
    EXPECT_EQ(dark.GetLight().Diffuse.r, 0.0f);
    EXPECT_EQ(dark.GetLight().Specular.b, 0.0f);

    KM_Light ending = ModelLight(kaLight::kModelSpot);
    ending.m_UseFarAttenuation = 1;
    ending.m_AttenuationEnd = 0.0f;
    kaLight ended(ending);
    EXPECT_TRUE(std::isfinite(ended.GetLight().Attenuation1));
    EXPECT_EQ(ended.GetLight().Diffuse.g, 0.0f);
}

TEST_F(LightTest, RenderPassSetsTheListedLightsAndSwitchesTheRestOff)
{
    kaLight first(LIGHT_POINT, 0, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0);
    kaLight second(LIGHT_DIRECTIONAL, 0, 0, 0, 0, -1, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0);
    m_Manager->Render(false, false);
    bool enabled = false;
    Light set;
    GfxDevice* device = m_Manager->GetDevice();
    device->GetLightEnable(0, &enabled);
    EXPECT_TRUE(enabled);
    device->GetLight(0, &set);
    EXPECT_EQ(set.Type, static_cast<uint32_t>(LIGHT_POINT));
    device->GetLightEnable(1, &enabled);
    EXPECT_TRUE(enabled);
    device->GetLight(1, &set);
    EXPECT_EQ(set.Direction, Vector3(0.0f, -1.0f, 0.0f));
    device->GetLightEnable(2, &enabled);
    EXPECT_FALSE(enabled);

    m_Manager->RemoveLight(&first);
    // Removing what is not listed changes nothing.
    m_Manager->RemoveLight(&first);
    ASSERT_EQ(m_Manager->GetLights().size(), 1u);
    m_Manager->Render(false, false);
    device->GetLight(0, &set);
    EXPECT_EQ(set.Type, static_cast<uint32_t>(LIGHT_DIRECTIONAL));
    device->GetLightEnable(1, &enabled);
    EXPECT_FALSE(enabled);
}
