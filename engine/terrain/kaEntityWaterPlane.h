#pragma once

#include "engine/scene/kaWaterPlaneBase.h"

#include <cstdint>
#include <string>

namespace platform
{
class GfxVertexDeclaration;
struct GfxCaps;
} // namespace platform
class kaEffect;
class kaMesh;

// The world's water: a flat grid of 256-unit cells at the water level, drawn with the water effect in
// the technique the card's shader versions allow, or with a plain texture when it has no usable shaders.
class kaEntityWaterPlane : public kaWaterPlaneBase
{
    KA_ENTITY_CLASS_RECORD()

public:
    static constexpr float kCellSize = 256.0f;
    static constexpr float kDefaultSize = 1024.0f;
    static constexpr uint32_t kMaxVertices = 65536;
    static constexpr uint32_t kShaderFVF = 0x012;
    static constexpr uint32_t kFallbackFVF = 0x112;
    static constexpr float kFallbackRepeats = 16.0f;
    // What the water marks in its layer of the path grid.
    static constexpr uint32_t kGridLayer = 1;
    static constexpr uint8_t kDry = 0;
    static constexpr uint8_t kUnderWater = 2;
    static constexpr uint8_t kShore = 3;
    static constexpr const char* kEffectFile = "resources\\fx\\shaders\\water\\water_PS20_11.fx";
    static constexpr const char* kFallbackTexture = "resources\\fx\\shaders\\water\\fallback.dds";
    static constexpr const char* kNoiseTexture = "resources\\fx\\shaders\\water\\noisevolume.dds";
    static constexpr const char* kEnvironmentTexture = "resources\\fx\\shaders\\water\\snow.dds";
    // Shader levels: 0 none (the plain texture), then the techniques by level.
    static constexpr const char* kTechniques[4] = {"", "TWater_20", "TWater_14", "TWater_11"};

    kaEntityWaterPlane();
    ~kaEntityWaterPlane() override;

    // "effect", "level", and "min_level" and "max_level" when present. Does not build.
    void ReadXml(const TiXmlElement* element) override;
    void WriteXml(TiXmlElement* element) const override;
    void Render() override;
    void Update(float dt) override;
    // Rebuilds at the water's own size.
    void CreateDeviceObjects() override;
    void ReleaseDeviceObjects() override;

    // A size that is not a number, gives no whole cell or needs more vertices than 16-bit indices reach
    // builds no mesh.
    void Build(float width, float length) override;
    void SetLevel(float level, bool markGrid) override;

    // The shader level the capabilities allow: 1 for 2.0 shaders, 2 for 1.4, 3 above 1.0, else 0.
    static int ShaderLevel(const platform::GfxCaps& caps);

    kaMesh* GetMesh() const { return m_pMesh; }
    kaEffect* GetEffect() const { return m_pEffect; }
    platform::GfxVertexDeclaration* GetVertexDeclaration() const { return m_pDeclaration; }
    int GetLevelInUse() const { return m_ShaderLevel; }
    const std::string& GetEffectFile() const { return m_EffectFile; }
    void SetEffectFile(const std::string& file) { m_EffectFile = file; }
    float GetLevel() const { return m_Level; }
    float GetMinLevel() const { return m_MinLevel; }
    float GetMaxLevel() const { return m_MaxLevel; }
    float GetWidth() const { return m_Width; }
    float GetLength() const { return m_Length; }
    // The time shared by every water plane's effect.
    static float GetTime() { return s_Time; }

private:
    void _DeleteMesh();
    void _ReleaseDeclaration();
    // The effect for the level, with its technique and textures; false when it cannot be used.
    bool _UseEffect(int level);

    platform::GfxVertexDeclaration* m_pDeclaration = nullptr;
    kaMesh* m_pMesh = nullptr;
    std::string m_EffectFile;
    kaEffect* m_pEffect = nullptr;
    float m_Level = 0.0f;
    float m_MinLevel = 0.0f;
    float m_MaxLevel = 0.0f;
    float m_Width = 0.0f;
    float m_Length = 0.0f;
    int m_ShaderLevel = 0;
    bool m_Built = false;

    static float s_Time;
};
