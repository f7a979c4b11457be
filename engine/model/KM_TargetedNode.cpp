#include "engine/model/KM_TargetedNode.h"

#include "engine/model/KM_Stream.h"

uint32_t KM_TargetedNode::_HeadBytes()
{
    uint32_t size =
        KM_Stream::StringBytes(m_Name) + FrameBytes(m_NodeTM.GetVersion()) + m_NodeTM.ComputeSize() + 4;
    if (m_HasTarget != 0)
        size += FrameBytes(m_TargetTM.GetVersion()) + m_TargetTM.ComputeSize();
    return size;
}

bool KM_TargetedNode::_ReadHead(KM_Stream* stream)
{
    if (!ReadVersionAndSize(stream) || !stream->ReadString(m_Name))
        return false;
    m_NodeTM.Read(stream);
    if (!stream->ReadU32(m_HasTarget))
        return false;
    if (m_HasTarget != 0)
        m_TargetTM.Read(stream);
    return true;
}

bool KM_TargetedNode::_WriteHead(KM_Stream* stream)
{
    if (!KM_Object::Write(stream) || !stream->WriteString(m_Name) || !m_NodeTM.Write(stream) ||
        !stream->WriteU32(m_HasTarget))
        return false;
    return m_HasTarget == 0 || m_TargetTM.Write(stream);
}

void KM_TargetedNode::_WriteHeadText(KM_Stream* stream)
{
    OpenObjectText(stream);
    PrintText(stream, "*NODE_NAME", m_Name);
    m_NodeTM.Write(stream);
    if (m_HasTarget != 0)
        m_TargetTM.Write(stream);
}
