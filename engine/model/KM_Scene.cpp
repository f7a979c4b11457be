#include "engine/model/KM_Scene.h"

#include "engine/model/KM_MessageBox.h"
#include "engine/model/KM_Stream.h"
#include "platform/system/DebugOutput.h"

KM_Scene::KM_Scene() : KM_Object(kTypeId, 2) {}

uint32_t KM_Scene::ComputeSize()
{
    m_Size = KM_Stream::StringBytes(m_FileName) + 24;
    return m_Size;
}

bool KM_Scene::Write(KM_Stream* stream)
{
    if (stream == nullptr)
        return false;
    ComputeSize();
    if (IsText(stream))
    {
        OpenObjectText(stream);
        PrintText(stream, "*SCENE_FILENAME", m_FileName);
        PrintInt(stream, "*SCENE_FIRSTFRAME", m_FirstFrame);
        PrintInt(stream, "*SCENE_LASTFRAME", m_LastFrame);
        PrintInt(stream, "*SCENE_FRAMESPEED", m_FrameSpeed);
        PrintInt(stream, "*SCENE_TICKSPERFRAME", m_TicksPerFrame);
        PrintHex(stream, "*SCENE_BACKGROUND_STATIC", m_BackgroundColor);
        PrintHex(stream, "*SCENE_AMBIENT_STATIC", m_AmbientColor);
        CloseBlock(stream);
        return true;
    }
    const bool written = KM_Object::Write(stream) && stream->WriteString(m_FileName) &&
                         stream->WriteU32(m_FirstFrame) && stream->WriteU32(m_LastFrame) &&
                         stream->WriteU32(m_FrameSpeed) && stream->WriteU32(m_TicksPerFrame) &&
                         stream->WriteU32(m_BackgroundColor) && stream->WriteU32(m_AmbientColor);
    if (!written)
        KM_MessageBox::Show("Error Writing KM_Scene Data", "Exporter Error");
    return written;
}

bool KM_Scene::_ReadBody(KM_Stream* stream)
{
    return ReadVersionAndSize(stream) && stream->ReadString(m_FileName) && stream->ReadU32(m_FirstFrame) &&
           stream->ReadU32(m_LastFrame) && stream->ReadU32(m_FrameSpeed) &&
           stream->ReadU32(m_TicksPerFrame) && stream->ReadU32(m_BackgroundColor) &&
           stream->ReadU32(m_AmbientColor);
}

bool KM_Scene::Read(KM_Stream* stream)
{
    if (stream == nullptr || IsText(stream))
        return false;
    if (stream->GetMode() != KM_Stream::kBinary)
        return true;
    if (_ReadBody(stream))
        return true;
    platform::OutputDebugString("Error Reading KM_Scene Data\n");
    return false;
}
