#include "engine/model/KM_CollisionMesh.h"

#include "engine/model/KM_MessageBox.h"
#include "engine/model/KM_Stream.h"
#include "platform/system/DebugOutput.h"

KM_CollisionMesh::KM_CollisionMesh() : KM_CollisionObject(kTypeId) {}

uint32_t KM_CollisionMesh::ComputeSize()
{
    m_Size = CommonSize() + FrameBytes(m_Mesh.GetVersion()) + m_Mesh.ComputeSize();
    return m_Size;
}

bool KM_CollisionMesh::Read(KM_Stream* stream)
{
    if (stream == nullptr || IsText(stream))
        return false;
    if (stream->GetMode() != KM_Stream::kBinary)
        return true;
    if (!ReadCommon(stream))
        return false;
    if (!m_Mesh.Read(stream))
    {
        KM_MessageBox::Show("Error Reading CollisionMesh Data", "Exporter Error");
        return false;
    }
    if (!m_Mesh.IndicesValid())
    {
        platform::OutputDebugString("[KM_CollisionMesh::Read] : mesh index out of range in \"" + m_Name +
                                    "\"; object dropped\n");
        return false;
    }
    return true;
}

bool KM_CollisionMesh::Write(KM_Stream* stream)
{
    if (stream == nullptr)
        return false;
    ComputeSize();
    if (IsText(stream))
    {
        WriteCommonText(stream);
        m_Mesh.Write(stream);
        CloseBlock(stream);
        return true;
    }
    if (!WriteCommon(stream))
        return false;
    if (m_Mesh.Write(stream))
        return true;
    KM_MessageBox::Show("Error Writing KM_CollisionMesh Data", "Exporter Error");
    return false;
}
