#include "engine/model/KM_Camera.h"

#include "engine/model/KM_Stream.h"

KM_Camera::KM_Camera() : KM_TargetedNode(kTypeId) {}

uint32_t KM_Camera::ComputeSize()
{
    m_Size = _HeadBytes() + 4 + 6 * 4;
    return m_Size;
}

bool KM_Camera::_ReadBody(KM_Stream* stream)
{
    if (!_ReadHead(stream))
        return false;
    return stream->ReadU32(m_Word) && stream->ReadFloat(m_Hither) && stream->ReadFloat(m_Yon) &&
           stream->ReadFloat(m_Near) && stream->ReadFloat(m_Far) && stream->ReadFloat(m_FieldOfView) &&
           stream->ReadFloat(m_TargetDistance);
}

bool KM_Camera::Read(KM_Stream* stream)
{
    return ReadBodyOrReport(stream, "Error Reading KM_Camera Data", [&] { return _ReadBody(stream); });
}

bool KM_Camera::_WriteBody(KM_Stream* stream)
{
    if (!_WriteHead(stream))
        return false;
    return stream->WriteU32(m_Word) && stream->WriteFloat(m_Hither) && stream->WriteFloat(m_Yon) &&
           stream->WriteFloat(m_Near) && stream->WriteFloat(m_Far) && stream->WriteFloat(m_FieldOfView) &&
           stream->WriteFloat(m_TargetDistance);
}

void KM_Camera::_WriteText(KM_Stream* stream)
{
    _WriteHeadText(stream);
    PrintText(stream, "*CAMERA_TYPE", m_HasTarget != 0 ? "Target" : "Free");
    PrintFloat(stream, "*CAMERA_HITHER", m_Hither);
    PrintFloat(stream, "*CAMERA_YON", m_Yon);
    PrintFloat(stream, "*CAMERA_NEAR", m_Near);
    PrintFloat(stream, "*CAMERA_FAR", m_Far);
    PrintFloat(stream, "*CAMERA_FOV", m_FieldOfView);
    PrintFloat(stream, "*CAMERA_TDIST", m_TargetDistance);
    CloseBlock(stream);
}

bool KM_Camera::Write(KM_Stream* stream)
{
    return WriteOrReport(
        stream, "Error Writing KM_Camera Data", [&] { _WriteText(stream); },
        [&] { return _WriteBody(stream); });
}
