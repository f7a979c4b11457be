#include "engine/model/KM_UserDataNode.h"

#include "engine/model/KM_MessageBox.h"
#include "engine/model/KM_Stream.h"

KM_UserDataNode::KM_UserDataNode(uint32_t typeId, const char* readError, const char* writeError)
    : KM_Object(typeId, 2), m_ReadError(readError), m_WriteError(writeError)
{
}

uint32_t KM_UserDataNode::ComputeSize()
{
    m_Size = KM_Stream::StringBytes(m_Name) + FrameBytes(m_NodeTM.GetVersion()) + m_NodeTM.ComputeSize() +
             KM_Stream::StringBytes(m_UserData);
    return m_Size;
}

bool KM_UserDataNode::Write(KM_Stream* stream)
{
    if (stream == nullptr)
        return false;
    ComputeSize();
    if (IsText(stream))
    {
        OpenObjectText(stream);
        PrintText(stream, "*NODE_NAME", m_Name);
        m_NodeTM.Write(stream);
        if (!m_UserData.empty())
            PrintText(stream, "USER DATA", m_UserData);
        CloseBlock(stream);
        return true;
    }
    const bool written = KM_Object::Write(stream) && stream->WriteString(m_Name) && m_NodeTM.Write(stream) &&
                         stream->WriteString(m_UserData);
    if (!written)
        KM_MessageBox::Show(m_WriteError, "Exporter Error");
    return written;
}

bool KM_UserDataNode::Read(KM_Stream* stream)
{
    if (stream == nullptr || IsText(stream))
        return false;
    if (stream->GetMode() != KM_Stream::kBinary)
        return true;
    bool ok = ReadVersionAndSize(stream) && stream->ReadString(m_Name);
    if (ok)
    {
        m_NodeTM.Read(stream);
        ok = stream->ReadString(m_UserData);
    }
    if (!ok)
        KM_MessageBox::Show(m_ReadError, "Exporter Error");
    return ok;
}
