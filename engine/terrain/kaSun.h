#pragma once

#include "engine/core/kaColor.h"
#include "engine/scene/kaSunBase.h"

#include "platform/gfx/math/Vector3.h"

#include <string>
#include <vector>

class kaFlareLayer;
class kaLight;
class kaRotationOnlyBillboard;

// The sun of a course: a directional light and the scene's ambient colour from two angles, a disc far
// away in the light's direction, and a lens flare of layers that fades in and out as the sun enters and
// leaves the view. The world owns at most one.
class kaSun : public kaSunBase
{
    KA_ENTITY_CLASS_RECORD()

public:
    static constexpr const char* kName = "Sun";
    static constexpr const char* kPictureFolder = "resources/worlds/billboards/";
    static constexpr float kTwoPi = 6.2831855f;
    static constexpr float kDiscDistance = 500.0f;
    static constexpr float kFadeRate = 6.0f;
    static constexpr float kSnap = 0.01f;
    static constexpr float kLayerScaleFactor = 0.33333334f;

    // Editor rows, matched exactly; a layer's rows follow its "Layer <index> " row.
    static constexpr const char* kTextureLabel = "Texture:";
    static constexpr const char* kPositionLabel = "Position:";
    static constexpr const char* kAxisTiltLabel = "Axis Tilt:";
    static constexpr const char* kScaleLabel = "Scale:";
    static constexpr const char* kRedDirectionalLabel = "Red Directional:";
    static constexpr const char* kGreenDirectionalLabel = "Green Directional:";
    static constexpr const char* kBlueDirectionalLabel = "Blue Directional:";
    static constexpr const char* kRedAmbientLabel = "Red Ambient:";
    static constexpr const char* kGreenAmbientLabel = "Green Ambient:";
    static constexpr const char* kBlueAmbientLabel = "Blue Ambient:";
    static constexpr const char* kLayerLabel = "Layer ";
    static constexpr const char* kLengthLabel = "Length:";
    // The sun's number keys, in the order its rows show them.
    static constexpr size_t kNumberCount = 9;
    static constexpr const char* kNumberKeys[kNumberCount] = {
        "position",        "axistilt",   "scale",        "reddirectional", "greendirectional",
        "bluedirectional", "redambient", "greenambient", "blueambient"};

    kaSun();
    ~kaSun() override;

    // "position", "axistilt", "texture", "scale", the six colour channels and the "lensFlareLayers".
    void ReadXml(const TiXmlElement* element) override;
    void WriteXml(TiXmlElement* element) const override;
    // Once the world has loaded: the light joins the world.
    void Initialize() override;
    using kaSunBase::Initialize;
    void Render() override;
    void Update(float dt) override;
    void BuildPropertyList() override;
    // A number that does not convert throws ka::bad_lexical_cast before anything is stored.
    bool SetPropertyList(const kaPropertyList& list) override;

    // Places the disc and makes the light from the angles (fractions of a full turn) and colours. The
    // previous light leaves the world and is replaced.
    void Initialize(float position, float axisTilt, const std::string& texture, float scale,
                    const kaColor& directional, const kaColor& ambient) override;
    void AddFlareLayer(const std::string& texture, float length, float scale) override;
    // An index outside the layers does nothing.
    void RemoveFlareLayer(int index) override;
    // Places and draws the flare; the world's render pass calls it last.
    void RenderLensFlare() override;

    // The light's direction for the angles.
    static platform::Vector3 Direction(float position, float axisTilt);

    kaRotationOnlyBillboard* GetDisc() const { return m_pDisc; }
    kaLight* GetLight() const { return m_pLight; }
    float GetPosition() const { return m_Position; }
    float GetAxisTilt() const { return m_AxisTilt; }
    const std::string& GetTexture() const { return m_Texture; }
    float GetScale() const { return m_Scale; }
    const kaColor& GetDirectional() const { return m_Directional; }
    const kaColor& GetAmbient() const { return m_Ambient; }
    const std::vector<kaFlareLayer*>& GetFlareLayers() const { return m_Layers; }
    float GetFlareIntensity() const { return m_FlareIntensity; }
    float GetFlareTarget() const { return m_FlareTarget; }
    void SetFlareState(float intensity, float target)
    {
        m_FlareIntensity = intensity;
        m_FlareTarget = target;
    }
    float GetLightFactor() const { return m_LightFactor; }
    void SetLightFactor(float factor) { m_LightFactor = factor; }

private:
    void _DeleteDisc();
    void _DeleteLight();
    // Puts the light into the sun's world when both exist and it is not there yet.
    void _JoinLightToWorld();

    kaRotationOnlyBillboard* m_pDisc = nullptr;
    kaLight* m_pLight = nullptr;
    // The world whose light list holds the light.
    kaWorld* m_pLightWorld = nullptr;
    float m_Position = 0.5f;
    float m_AxisTilt = 0.25f;
    std::string m_Texture;
    float m_Scale = 0.0f;
    kaColor m_Directional = kaColor::kaColorClamped(0.75f, 0.75f, 0.75f, 1.0f);
    kaColor m_Ambient = kaColor::kaColorClamped(0.75f, 0.75f, 0.75f, 1.0f);
    std::vector<kaFlareLayer*> m_Layers;
    float m_FlareIntensity = 1.0f;
    float m_FlareTarget = 1.0f;
    float m_LightFactor = 1.0f;
};
