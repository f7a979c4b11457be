#include "engine/model/KM_CollisionObject.h"

#include "engine/model/KM_MessageBox.h"
#include "engine/model/KM_Stream.h"

KM_CollisionObject::KM_CollisionObject() : KM_CollisionObject(kTypeId) {}

KM_CollisionObject::KM_CollisionObject(uint32_t typeId) : KM_Object(typeId, 2) {}

uint32_t KM_CollisionObject::CommonSize()
{
    return KM_Stream::StringBytes(m_Name) + FrameBytes(m_NodeTM.GetVersion()) + m_NodeTM.ComputeSize();
}

uint32_t KM_CollisionObject::ComputeSize()
{
    m_Size = CommonSize();
    return m_Size;
}

bool KM_CollisionObject::ReadCommon(KM_Stream* stream)
{
    if (ReadVersionAndSize(stream) && stream->ReadString(m_Name) && m_NodeTM.Read(stream))
        return true;
    KM_MessageBox::Show("Error Reading CollisionObject Data", "Exporter Error");
    return false;
}

bool KM_CollisionObject::WriteCommon(KM_Stream* stream)
{
    if (KM_Object::Write(stream) && stream->WriteString(m_Name) && m_NodeTM.Write(stream))
        return true;
    KM_MessageBox::Show("Error Writing KM_CollisionObject Data", "Exporter Error");
    return false;
}

void KM_CollisionObject::WriteCommonText(KM_Stream* stream)
{
    OpenObjectText(stream);
    PrintText(stream, "*NODE_NAME", m_Name);
    m_NodeTM.Write(stream);
}

bool KM_CollisionObject::Read(KM_Stream* stream)
{
    if (stream == nullptr || IsText(stream))
        return false;
    if (stream->GetMode() != KM_Stream::kBinary)
        return true;
    return ReadCommon(stream);
}

bool KM_CollisionObject::Write(KM_Stream* stream)
{
    if (stream == nullptr)
        return false;
    ComputeSize();
    if (IsText(stream))
    {
        WriteCommonText(stream);
        CloseBlock(stream);
        return true;
    }
    return WriteCommon(stream);
}

bool KM_CollisionObject::ReadFloatKind(KM_Stream* stream, const FloatField* fields, int count,
                                       const char* readError)
{
    if (stream == nullptr || IsText(stream))
        return false;
    if (stream->GetMode() != KM_Stream::kBinary)
        return true;
    if (!ReadCommon(stream))
        return false;
    for (int i = 0; i < count; ++i)
    {
        if (!stream->ReadFloat(*fields[i].value))
        {
            KM_MessageBox::Show(readError, "Exporter Error");
            return false;
        }
    }
    return true;
}

bool KM_CollisionObject::WriteFloatKind(KM_Stream* stream, const FloatField* fields, int count,
                                        const char* writeError)
{
    if (stream == nullptr)
        return false;
    m_Size = CommonSize() + 4 * static_cast<uint32_t>(count);
    if (IsText(stream))
    {
        WriteCommonText(stream);
        for (int i = 0; i < count; ++i)
            PrintFloatSpaced(stream, fields[i].tag, *fields[i].value);
        CloseBlock(stream);
        return true;
    }
    if (!WriteCommon(stream))
        return false;
    for (int i = 0; i < count; ++i)
    {
        if (!stream->WriteFloat(*fields[i].value))
        {
            KM_MessageBox::Show(writeError, "Exporter Error");
            return false;
        }
    }
    return true;
}
