#pragma once

#include "engine/model/KM_Object.h"

#include <memory>

class KM_TextureList;

// One texture map of a material: the bitmap, how it is mapped, and optional sub-textures.
class KM_Texture : public KM_Object
{
public:
    static constexpr uint32_t kTypeId = 15;

    KM_Texture();
    ~KM_Texture() override;
    KM_Texture(const KM_Texture&) = delete;
    bool Write(KM_Stream* stream) override;
    // Reads the type id first: textures are always members of a texture list.
    bool Read(KM_Stream* stream) override;
    uint32_t ComputeSize() override;

    // Null when the texture has no sub-textures.
    KM_TextureList* GetSubTextures() const { return m_SubTextures.get(); }
    KM_TextureList& SubTextures();

    std::string m_Class;
    std::string m_Bitmap;
    float m_Amount = 0.0f;
    uint32_t m_MapKind = 0;
    uint32_t m_MappingType = 0;
    float m_UOffset = 0.0f;
    float m_VOffset = 0.0f;
    float m_UTiling = 0.0f;
    float m_VTiling = 0.0f;
    float m_Angle = 0.0f;
    float m_Blur = 0.0f;
    float m_BlurOffset = 0.0f;
    float m_NoiseAmount = 0.0f;
    float m_NoiseSize = 0.0f;
    uint32_t m_NoiseLevel = 0;
    float m_NoisePhase = 0.0f;
    uint32_t m_BitmapInvert = 0;
    uint32_t m_ColorMapEnable = 0;
    uint32_t m_BitmapFilter = 0;
    uint32_t m_MapChannel = 0;

private:
    bool _ReadBody(KM_Stream* stream);
    bool _WriteBody(KM_Stream* stream);
    void _WriteText(KM_Stream* stream);

    std::unique_ptr<KM_TextureList> m_SubTextures;
};
