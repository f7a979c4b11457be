#include "engine/model/KM_Camera.h"

#include "engine/model/KM_Stream.h"

KM_Camera::KM_Camera() : KM_Object(kTypeId, 2) {}

uint32_t KM_Camera::ComputeSize()
{
    uint32_t size =
        KM_Stream::StringBytes(m_Name) + FrameBytes(m_NodeTM.GetVersion()) + m_NodeTM.ComputeSize() + 4;
    if (m_HasTarget != 0)
        size += FrameBytes(m_TargetTM.GetVersion()) + m_TargetTM.ComputeSize();
    m_Size = size + 4 + 6 * 4;
    return m_Size;
}

bool KM_Camera::_ReadBody(KM_Stream* stream)
{
    if (!ReadVersionAndSize(stream) || !stream->ReadString(m_Name))
        return false;
    m_NodeTM.Read(stream);
    if (!stream->ReadU32(m_HasTarget))
        return false;
    if (m_HasTarget != 0)
        m_TargetTM.Read(stream);
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
    if (!KM_Object::Write(stream) || !stream->WriteString(m_Name) || !m_NodeTM.Write(stream) ||
        !stream->WriteU32(m_HasTarget))
        return false;
    if (m_HasTarget != 0 && !m_TargetTM.Write(stream))
        return false;
    return stream->WriteU32(m_Word) && stream->WriteFloat(m_Hither) && stream->WriteFloat(m_Yon) &&
           stream->WriteFloat(m_Near) && stream->WriteFloat(m_Far) && stream->WriteFloat(m_FieldOfView) &&
           stream->WriteFloat(m_TargetDistance);
}

void KM_Camera::_WriteText(KM_Stream* stream)
{
    OpenObjectText(stream);
    PrintText(stream, "*NODE_NAME", m_Name);
    m_NodeTM.Write(stream);
    if (m_HasTarget != 0)
        m_TargetTM.Write(stream);
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
