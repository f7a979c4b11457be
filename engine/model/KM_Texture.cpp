#include "engine/model/KM_Texture.h"

#include "engine/model/KM_NestingGuard.h"
#include "engine/model/KM_Stream.h"
#include "engine/model/KM_TextureList.h"

namespace
{

const char* const kError = "Error Writing KM_Texture Data";
// How deep the reader is inside nested sub-textures.
int g_Nesting = 0;

} // namespace

KM_Texture::KM_Texture() : KM_Object(kTypeId, 4) {}

KM_Texture::~KM_Texture() = default;

KM_TextureList& KM_Texture::SubTextures()
{
    if (!m_SubTextures)
        m_SubTextures = std::make_unique<KM_TextureList>();
    return *m_SubTextures;
}

uint32_t KM_Texture::ComputeSize()
{
    uint32_t size = KM_Stream::StringBytes(m_Name) + KM_Stream::StringBytes(m_Class) +
                    KM_Stream::StringBytes(m_Bitmap) + 4 + 4 + 4 + 9 * 4 + 4 + 4 + 4;
    if (m_Version >= 3)
        size += 8;
    if (m_Version >= 4)
        size += 4;
    size += 4;
    if (m_SubTextures && m_SubTextures->GetCount() != 0)
        size += FrameBytes(2) + m_SubTextures->ComputeSize();
    m_Size = size;
    return m_Size;
}

bool KM_Texture::_ReadBody(KM_Stream* stream)
{
    if (!ReadFrame(stream) || !stream->ReadString(m_Name) || !stream->ReadString(m_Class) ||
        !stream->ReadString(m_Bitmap) ||
        !stream->ReadValues(m_Amount, m_MapKind, m_MappingType, m_UOffset, m_VOffset, m_UTiling, m_VTiling,
                            m_Angle, m_Blur, m_BlurOffset, m_NoiseAmount, m_NoiseSize, m_NoiseLevel,
                            m_NoisePhase, m_BitmapInvert))
        return false;
    if (m_Version >= 3 && !stream->ReadValues(m_ColorMapEnable, m_BitmapFilter))
        return false;
    if (m_Version >= 4 && !stream->ReadU32(m_MapChannel))
        return false;
    uint32_t subCount;
    if (!stream->ReadU32(subCount))
        return false;
    m_SubTextures.reset();
    if (subCount == 0)
        return true;
    KM_NestingGuard guard(g_Nesting);
    return !guard.TooDeep() && SubTextures().Read(stream);
}

bool KM_Texture::Read(KM_Stream* stream)
{
    return ReadBodyOrReport(stream, kError, [&] { return _ReadBody(stream); });
}

bool KM_Texture::_WriteBody(KM_Stream* stream)
{
    if (!KM_Object::Write(stream) || !stream->WriteString(m_Name) || !stream->WriteString(m_Class) ||
        !stream->WriteString(m_Bitmap) || !stream->WriteFloat(m_Amount) || !stream->WriteU32(m_MapKind) ||
        !stream->WriteU32(m_MappingType) || !stream->WriteFloat(m_UOffset) ||
        !stream->WriteFloat(m_VOffset) || !stream->WriteFloat(m_UTiling) || !stream->WriteFloat(m_VTiling) ||
        !stream->WriteFloat(m_Angle) || !stream->WriteFloat(m_Blur) || !stream->WriteFloat(m_BlurOffset) ||
        !stream->WriteFloat(m_NoiseAmount) || !stream->WriteFloat(m_NoiseSize) ||
        !stream->WriteU32(m_NoiseLevel) || !stream->WriteFloat(m_NoisePhase) ||
        !stream->WriteU32(m_BitmapInvert))
        return false;
    if (m_Version >= 3 && (!stream->WriteU32(m_ColorMapEnable) || !stream->WriteU32(m_BitmapFilter)))
        return false;
    if (m_Version >= 4 && !stream->WriteU32(m_MapChannel))
        return false;
    const uint32_t subCount = m_SubTextures ? m_SubTextures->GetCount() : 0;
    if (!stream->WriteU32(subCount))
        return false;
    return subCount == 0 || m_SubTextures->Write(stream);
}

void KM_Texture::_WriteText(KM_Stream* stream)
{
    static const char* const kKinds[] = {
        "*MAP_AMBIENT",   "*MAP_DIFFUSE",      "*MAP_SPECULAR",    "*MAP_SHINE",  "*MAP_SHINESTRENGTH",
        "*MAP_SELFILLUM", "*MAP_OPACITY",      "*MAP_FILTERCOLOR", "*MAP_BUMP",   "*MAP_REFLECT",
        "*MAP_REFRACT",   "*MAP_DISPLACEMENT", "MAP_UNKNOWN",      "*MAP_GENERIC"};
    static const char* const kMappings[] = {"Explicit", "Spherical", "Cylindrical", "Shrinkwrap", "Screen"};
    static const char* const kFilters[] = {"Pyramidal", "SAT"};
    OpenObjectText(stream);
    PrintText(stream, "*MAP_NAME", m_Name);
    PrintText(stream, "*MAP_CLASS", m_Class);
    PrintText(stream, "*BITMAP", m_Bitmap);
    PrintFloat(stream, "*MAP_AMOUNT", m_Amount);
    PrintTag(stream, m_MapKind < 14 ? kKinds[m_MapKind] : "MAP_UNKNOWN");
    if (m_MappingType < 5)
        PrintText(stream, "*MAP_TYPE", kMappings[m_MappingType]);
    PrintFloat(stream, "*UVW_U_OFFSET", m_UOffset);
    PrintFloat(stream, "*UVW_V_OFFSET", m_VOffset);
    PrintFloat(stream, "*UVW_U_TILING", m_UTiling);
    PrintFloat(stream, "*UVW_V_TILING", m_VTiling);
    PrintFloat(stream, "*UVW_ANGLE", m_Angle);
    PrintFloat(stream, "*UVW_BLUR", m_Blur);
    PrintFloat(stream, "*UVW_BLUR_OFFSET", m_BlurOffset);
    PrintFloat(stream, "*UVW_NOUSE_AMT", m_NoiseAmount);
    PrintFloat(stream, "*UVW_NOISE_SIZE", m_NoiseSize);
    PrintInt(stream, "*UVW_NOISE_LEVEL", m_NoiseLevel);
    PrintFloat(stream, "*UVW_NOISE_PHASE", m_NoisePhase);
    PrintInt(stream, "*BITMAP_INVERT", m_BitmapInvert);
    PrintInt(stream, "*BITMAP_COLORMAP_ENABLE", m_ColorMapEnable);
    PrintText(stream, "*BITMAP_FILTER", m_BitmapFilter < 2 ? kFilters[m_BitmapFilter] : "None");
    PrintInt(stream, "*BITMAP_MAP_CHANNEL", m_MapChannel);
    if (m_SubTextures)
        m_SubTextures->Write(stream);
    CloseBlock(stream);
}

bool KM_Texture::Write(KM_Stream* stream)
{
    return WriteOrReport(
        stream, kError, [&] { _WriteText(stream); }, [&] { return _WriteBody(stream); });
}
