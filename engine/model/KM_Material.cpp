#include "engine/model/KM_Material.h"

#include "engine/model/KM_MaterialList.h"
#include "engine/model/KM_NestingGuard.h"
#include "engine/model/KM_Stream.h"
#include "engine/model/KM_TextureList.h"

namespace
{

const char* const kError = "Error Writing KM_Material Data";
// How deep the reader is inside nested sub-materials.
int g_Nesting = 0;

} // namespace

KM_Material::KM_Material() : KM_Object(kTypeId, 2) {}

KM_Material::~KM_Material() = default;

KM_Material::Color KM_Material::Unpack(uint32_t packed)
{
    return Color{(packed & 0xFF) / 255.0f, ((packed >> 8) & 0xFF) / 255.0f, ((packed >> 16) & 0xFF) / 255.0f,
                 ((packed >> 24) & 0xFF) / 255.0f};
}

KM_Texture* KM_Material::GetTexture(int index) const
{
    return m_Textures.GetTexture(index);
}

KM_Material* KM_Material::GetSubMaterial(int index) const
{
    return m_SubMaterials ? m_SubMaterials->GetMaterial(index) : nullptr;
}

int KM_Material::GetTextureCount() const
{
    return static_cast<int>(m_Textures.GetCount());
}

int KM_Material::GetSubMaterialCount() const
{
    return m_SubMaterials ? static_cast<int>(m_SubMaterials->GetCount()) : 0;
}

KM_MaterialList& KM_Material::SubMaterials()
{
    if (!m_SubMaterials)
        m_SubMaterials = std::make_unique<KM_MaterialList>();
    return *m_SubMaterials;
}

uint32_t KM_Material::ComputeSize()
{
    uint32_t size = 4 + KM_Stream::StringBytes(m_Name) + KM_Stream::StringBytes(m_Class) + 3 * 4 + 4 * 4 + 4 +
                    2 * 4 + 4 + 4;
    size += 4;
    if (m_Textures.GetCount() != 0)
        size += FrameBytes(2) + m_Textures.ComputeSize();
    size += 4;
    if (GetSubMaterialCount() != 0)
        size += FrameBytes(2) + m_SubMaterials->ComputeSize();
    m_Size = size;
    return m_Size;
}

bool KM_Material::_ReadBody(KM_Stream* stream)
{
    uint32_t textureCount;
    if (!ReadFrame(stream) || !stream->ReadU32(m_RefNo) || !stream->ReadString(m_Name) ||
        !stream->ReadString(m_Class) ||
        !stream->ReadValues(m_Ambient, m_Diffuse, m_Specular, m_Shine, m_ShineStrength, m_Transparency,
                            m_WireSize, m_Shading, m_TransparencyFalloff, m_SelfIllumination, m_Flags,
                            m_TransparencyType, textureCount))
        return false;
    // The list made with the material serves, emptied, rather than a new one.
    m_Textures.Reset();
    if (textureCount != 0 && !m_Textures.Read(stream))
        return false;
    uint32_t subCount;
    if (!stream->ReadU32(subCount))
        return false;
    m_SubMaterials.reset();
    if (subCount == 0)
        return true;
    KM_NestingGuard guard(g_Nesting);
    uint32_t listTypeId;
    return !guard.TooDeep() && stream->ReadU32(listTypeId) && SubMaterials().Read(stream);
}

bool KM_Material::Read(KM_Stream* stream)
{
    return ReadBodyOrReport(stream, kError, [&] { return _ReadBody(stream); });
}

bool KM_Material::_WriteBody(KM_Stream* stream)
{
    if (!KM_Object::Write(stream) || !stream->WriteU32(m_RefNo) || !stream->WriteString(m_Name) ||
        !stream->WriteString(m_Class) || !stream->WriteU32(m_Ambient) || !stream->WriteU32(m_Diffuse) ||
        !stream->WriteU32(m_Specular) || !stream->WriteFloat(m_Shine) ||
        !stream->WriteFloat(m_ShineStrength) || !stream->WriteFloat(m_Transparency) ||
        !stream->WriteFloat(m_WireSize) || !stream->WriteU32(m_Shading) ||
        !stream->WriteFloat(m_TransparencyFalloff) || !stream->WriteFloat(m_SelfIllumination) ||
        !stream->WriteU32(m_Flags) || !stream->WriteU32(m_TransparencyType))
        return false;
    if (!stream->WriteU32(m_Textures.GetCount()) || !m_Textures.Write(stream))
        return false;
    const uint32_t subCount = static_cast<uint32_t>(GetSubMaterialCount());
    if (!stream->WriteU32(subCount))
        return false;
    return subCount == 0 || m_SubMaterials->Write(stream);
}

void KM_Material::_WriteText(KM_Stream* stream)
{
    static const char* const kShadings[] = {"Constant", "Phong", "Metal", "Blinn"};
    static const char* const kFlagTags[] = {"*MATERIAL_TWOSIDED", "*MATERIAL_WIRE", "*MATERIAL_WIREUNITS",
                                            "*MATERIAL_FACEMAP", "*MATERIAL_SOFTEN"};
    static const char* const kTransparencyTypes[] = {"Filter", "Subtractive", "Additive"};
    OpenObjectText(stream);
    PrintInt(stream, "*MATERIAL_REF_NO", m_RefNo);
    PrintText(stream, "*MATERIAL_NAME", m_Name);
    PrintText(stream, "*MATERIAL_CLASS", m_Class);
    PrintHex(stream, "*MATERIAL_AMBIENT", m_Ambient);
    PrintHex(stream, "*MATERIAL_DIFFUSE", m_Diffuse);
    PrintHex(stream, "*MATERIAL_SPECULAR", m_Specular);
    PrintFloat(stream, "*MATERIAL_SHINE", m_Shine);
    PrintFloat(stream, "*MATERIAL_SHINESTRENGTH", m_ShineStrength);
    PrintFloat(stream, "*MATERIAL_TRANSPARENCY", m_Transparency);
    PrintFloat(stream, "*MATERIAL_WIRESIZE", m_WireSize);
    const bool knownShading = m_Shading >= kConstant && m_Shading <= kBlinn;
    PrintText(stream, "*MATERIAL_SHADING", knownShading ? kShadings[m_Shading - kConstant] : "Other");
    PrintFloat(stream, "*MATERIAL_XP_FALLOFF", m_TransparencyFalloff);
    PrintFloat(stream, "*MATERIAL_SELFILLUM", m_SelfIllumination);
    for (int bit = 0; bit < 5; ++bit)
    {
        if (m_Flags & (1u << bit))
            PrintTag(stream, kFlagTags[bit]);
    }
    PrintText(stream, "*MATERIAL_FALLOFF", (m_Flags & kFalloffOut) ? "Out" : "In");
    const bool knownType = m_TransparencyType >= 1 && m_TransparencyType <= 3;
    PrintText(stream, "*MATERIAL_XP_TYPE", knownType ? kTransparencyTypes[m_TransparencyType - 1] : "Other");
    m_Textures.Write(stream);
    if (GetSubMaterialCount() != 0)
        m_SubMaterials->Write(stream);
    CloseBlock(stream);
}

bool KM_Material::Write(KM_Stream* stream)
{
    return WriteOrReport(
        stream, kError, [&] { _WriteText(stream); }, [&] { return _WriteBody(stream); });
}
