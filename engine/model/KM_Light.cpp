#include "engine/model/KM_Light.h"

#include "engine/model/KM_Stream.h"

KM_Light::KM_Light() : KM_TargetedNode(kTypeId) {}

uint32_t KM_Light::ComputeSize()
{
    uint32_t size = _HeadBytes() + 4 * 4 + 7 * 4;
    if (m_Version >= 3)
        size += 4;
    m_Size = size;
    return m_Size;
}

bool KM_Light::_ReadBody(KM_Stream* stream)
{
    if (!_ReadHead(stream))
        return false;
    const bool ok = stream->ReadU32(m_LightType) && stream->ReadU32(m_Shadows) &&
                    stream->ReadU32(m_UseLight) && stream->ReadU32(m_Color) &&
                    stream->ReadFloat(m_Intensity) && stream->ReadFloat(m_Aspect) &&
                    stream->ReadFloat(m_Hotspot) && stream->ReadFloat(m_Falloff) &&
                    stream->ReadFloat(m_AttenuationStart) && stream->ReadFloat(m_AttenuationEnd) &&
                    stream->ReadFloat(m_TargetDistance);
    return ok && (m_Version < 3 || stream->ReadU32(m_UseFarAttenuation));
}

bool KM_Light::Read(KM_Stream* stream)
{
    return ReadBodyOrReport(stream, "Error Reading KM_Light Data", [&] { return _ReadBody(stream); });
}

bool KM_Light::_WriteBody(KM_Stream* stream)
{
    if (!_WriteHead(stream))
        return false;
    const bool ok = stream->WriteU32(m_LightType) && stream->WriteU32(m_Shadows) &&
                    stream->WriteU32(m_UseLight) && stream->WriteU32(m_Color) &&
                    stream->WriteFloat(m_Intensity) && stream->WriteFloat(m_Aspect) &&
                    stream->WriteFloat(m_Hotspot) && stream->WriteFloat(m_Falloff) &&
                    stream->WriteFloat(m_AttenuationStart) && stream->WriteFloat(m_AttenuationEnd) &&
                    stream->WriteFloat(m_TargetDistance);
    return ok && (m_Version < 3 || stream->WriteU32(m_UseFarAttenuation));
}

void KM_Light::_WriteText(KM_Stream* stream)
{
    static const char* const kTypes[] = {"Omni", "Target", "Directional", nullptr, "Free"};
    static const char* const kShadows[] = {"Off", "Mapped", "Raytraced"};
    static const char* const kShapes[] = {"Rect", "Circle"};
    _WriteHeadText(stream);
    if (m_LightType < 5 && kTypes[m_LightType] != nullptr)
        PrintText(stream, "*LIGHT_TYPE", kTypes[m_LightType]);
    if (m_Shadows < 3)
        PrintText(stream, "*LIGHT_SHADOWS", kShadows[m_Shadows]);
    PrintInt(stream, "*LIGHT_USELIGHT", m_UseLight);
    if (m_SpotShape < 2)
        PrintText(stream, "*LIGHT_SPOTSHAPE", kShapes[m_SpotShape]);
    PrintHex(stream, "*LIGHT_COLOR", m_Color);
    PrintFloat(stream, "*LIGHT_INTENS", m_Intensity);
    PrintFloat(stream, "*LIGHT_ASPECT", m_Aspect);
    if (m_LightType != 0)
    {
        PrintFloat(stream, "*LIGHT_HOTSPOT", m_Hotspot);
        PrintFloat(stream, "*LIGHT_FALLOFF", m_Falloff);
    }
    if (m_LightType != 2)
    {
        PrintFloat(stream, "*LIGHT_ATTNSTART", m_AttenuationStart);
        PrintFloat(stream, "*LIGHT_ATTNEND", m_AttenuationEnd);
    }
    PrintFloat(stream, "*LIGHT_TDIST", m_TargetDistance);
    PrintInt(stream, "*USE FAR ATTENUATION = ", m_UseFarAttenuation);
    CloseBlock(stream);
}

bool KM_Light::Write(KM_Stream* stream)
{
    return WriteOrReport(
        stream, "Error Writing KM_Light Data", [&] { _WriteText(stream); },
        [&] { return _WriteBody(stream); });
}
