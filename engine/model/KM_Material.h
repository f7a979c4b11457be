#pragma once

#include "engine/model/KM_Object.h"
#include "engine/model/KM_TextureList.h"

#include <memory>

class KM_MaterialList;

// A material: colours, shading, transparency, its texture maps and optional sub-materials.
class KM_Material : public KM_Object
{
public:
    static constexpr uint32_t kTypeId = 8;

    // Shading kinds; the values are the type-id table's indices of their names.
    static constexpr uint32_t kConstant = 9;
    static constexpr uint32_t kPhong = 10;
    static constexpr uint32_t kMetal = 11;
    static constexpr uint32_t kBlinn = 12;

    static constexpr uint32_t kTwoSided = 0x1;
    static constexpr uint32_t kWire = 0x2;
    static constexpr uint32_t kWireUnits = 0x4;
    static constexpr uint32_t kFaceMap = 0x8;
    static constexpr uint32_t kSoften = 0x10;
    static constexpr uint32_t kFalloffOut = 0x20;

    struct Color
    {
        float r, g, b, a;
    };

    KM_Material();
    ~KM_Material() override;
    KM_Material(const KM_Material&) = delete;
    bool Write(KM_Stream* stream) override;
    // Reads the type id first: materials are always members of a material list.
    bool Read(KM_Stream* stream) override;
    uint32_t ComputeSize() override;

    // The packed colours as four floats, each byte divided by 255 (red in the lowest byte).
    Color GetAmbient() const { return Unpack(m_Ambient); }
    Color GetDiffuse() const { return Unpack(m_Diffuse); }
    Color GetSpecular() const { return Unpack(m_Specular); }
    static Color Unpack(uint32_t packed);

    // Null when the index is negative or not below the count.
    KM_Texture* GetTexture(int index) const;
    KM_Material* GetSubMaterial(int index) const;
    int GetTextureCount() const;
    int GetSubMaterialCount() const;
    KM_TextureList& Textures() { return m_Textures; }
    KM_MaterialList& SubMaterials();

    uint32_t m_RefNo = 0;
    std::string m_Class;
    uint32_t m_Ambient = 0;
    uint32_t m_Diffuse = 0;
    uint32_t m_Specular = 0;
    float m_Shine = 0.0f;
    float m_ShineStrength = 0.0f;
    float m_Transparency = 0.0f;
    float m_WireSize = 0.0f;
    uint32_t m_Shading = 0;
    float m_TransparencyFalloff = 0.0f;
    float m_SelfIllumination = 0.0f;
    uint32_t m_Flags = 0;
    uint32_t m_TransparencyType = 0;

private:
    bool _ReadBody(KM_Stream* stream);
    bool _WriteBody(KM_Stream* stream);
    void _WriteText(KM_Stream* stream);

    // Held in place: every material has the list, most with a texture or two in it.
    KM_TextureList m_Textures;
    std::unique_ptr<KM_MaterialList> m_SubMaterials;
};
