#include "engine/model/KM_GeoObject.h"

#include "engine/model/KM_MessageBox.h"
#include "engine/model/KM_Stream.h"
#include "platform/system/DebugOutput.h"

namespace
{
const char* const kError = "Error Writing KM_GeoObject Data";
} // namespace

KM_GeoObject::KM_GeoObject() : KM_Object(kTypeId, 4) {}

uint32_t KM_GeoObject::ComputeSize()
{
    uint32_t size = KM_Stream::StringBytes(m_Name);
    if (m_Version >= 3)
        size += KM_Stream::StringBytes(m_ParentName);
    if (m_Version >= 4)
        size += 1;
    size += FrameBytes(m_NodeTM.GetVersion()) + m_NodeTM.ComputeSize();
    size += FrameBytes(m_Mesh.GetVersion()) + m_Mesh.ComputeSize();
    m_Size = size;
    return m_Size;
}

bool KM_GeoObject::Write(KM_Stream* stream)
{
    if (stream == nullptr)
        return false;
    ComputeSize();
    if (IsText(stream))
    {
        OpenObjectText(stream);
        PrintText(stream, "*NODE_NAME", m_Name);
        if (!m_ParentName.empty())
            PrintText(stream, "*NODE_PARENT", m_ParentName);
        PrintInt(stream, "*NODE_SHADEVERTS", m_ShadeVerts);
        m_NodeTM.Write(stream);
        m_Mesh.Write(stream);
        CloseBlock(stream);
        return true;
    }
    bool written = KM_Object::Write(stream) && stream->WriteString(m_Name);
    if (written && m_Version >= 3)
        written = stream->WriteString(m_ParentName);
    if (written && m_Version >= 4)
        written = stream->WriteByte(m_ShadeVerts);
    if (written)
        written = m_NodeTM.Write(stream) && m_Mesh.Write(stream);
    if (!written)
        KM_MessageBox::Show(kError, "Exporter Error");
    return written;
}

bool KM_GeoObject::Read(KM_Stream* stream)
{
    if (stream == nullptr || IsText(stream))
        return false;
    if (stream->GetMode() != KM_Stream::kBinary)
        return true;
    bool ok = ReadVersionAndSize(stream) && stream->ReadString(m_Name);
    m_ParentName.clear();
    if (ok && m_Version >= 3)
        ok = stream->ReadString(m_ParentName);
    if (ok && m_Version >= 4)
        ok = stream->ReadByte(m_ShadeVerts);
    if (!ok)
    {
        KM_MessageBox::Show(kError, "Exporter Error");
        return false;
    }
    const bool transformRead = m_NodeTM.Read(stream);
    const bool meshRead = m_Mesh.Read(stream);
    m_HasGeometry = transformRead && meshRead;
    if (m_HasGeometry && !m_Mesh.IndicesValid())
    {
        platform::OutputDebugString("[KM_GeoObject::Read] : mesh index out of range in \"" + m_Name +
                                    "\"; object dropped\n");
        return false;
    }
    return true;
}
