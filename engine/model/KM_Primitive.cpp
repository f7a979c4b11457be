#include "engine/model/KM_Primitive.h"

#include "engine/model/KM_MessageBox.h"
#include "engine/model/KM_Stream.h"
#include "platform/system/DebugOutput.h"

KM_Primitive::KM_Primitive() : KM_Object(kTypeId, 4) {}

uint32_t KM_Primitive::ComputeSize()
{
    uint64_t size = KM_Stream::StringBytes(m_Name);
    if (m_Version >= 3)
        size += KM_Stream::StringBytes(m_ParentName);
    size += 4 + 3 * 4 + 4 * 4 + 3 * 4 + 3 * 4;
    if (m_PrimitiveType == kTriangleMesh)
        size += 4 + m_Vertices.size() * 12 + 4 + m_Indices.size() * 16 + m_Indices.size() * 12;
    m_Size = static_cast<uint32_t>(size);
    return m_Size;
}

bool KM_Primitive::_ReadBody(KM_Stream* stream)
{
    if (!ReadVersionAndSize(stream) || !stream->ReadString(m_Name))
        return false;
    m_ParentName.clear();
    if (m_Version >= 3 && !stream->ReadString(m_ParentName))
        return false;
    if (!stream->ReadU32(m_PrimitiveType) || !stream->ReadFloat(m_Length) || !stream->ReadFloat(m_Width) ||
        !stream->ReadFloat(m_Height) || !stream->Read(m_Rotation, 4, 4) || !stream->Read(m_Offset, 4, 3) ||
        !stream->ReadFloat(m_Radius) || !stream->ReadFloat(m_Normal) || !stream->ReadFloat(m_Distance))
        return false;
    m_Vertices.clear();
    m_Indices.clear();
    m_IndexExtras.clear();
    if (m_PrimitiveType != kTriangleMesh)
        return true;
    uint32_t vertexCount, indexCount;
    return stream->ReadU32(vertexCount) && stream->ReadArray(m_Vertices, vertexCount) &&
           stream->ReadU32(indexCount) && stream->ReadArray(m_Indices, indexCount) &&
           stream->ReadArray(m_IndexExtras, indexCount);
}

bool KM_Primitive::Read(KM_Stream* stream)
{
    if (stream == nullptr || IsText(stream))
        return false;
    if (stream->GetMode() != KM_Stream::kBinary)
        return true;
    if (!_ReadBody(stream))
    {
        KM_MessageBox::Show("Error Reading KM_Primitive Data", "Exporter Error");
        return false;
    }
    for (const IndexRecord& record : m_Indices)
    {
        if (record.a >= m_Vertices.size() || record.b >= m_Vertices.size() || record.c >= m_Vertices.size())
        {
            platform::OutputDebugString("[KM_Primitive::Read] : triangle index out of range in \"" + m_Name +
                                        "\"; primitive dropped\n");
            return false;
        }
    }
    return true;
}

bool KM_Primitive::_WriteBody(KM_Stream* stream)
{
    if (m_IndexExtras.size() != m_Indices.size())
        return false;
    if (!KM_Object::Write(stream) || !stream->WriteString(m_Name))
        return false;
    if (m_Version >= 3 && !stream->WriteString(m_ParentName))
        return false;
    if (!stream->WriteU32(m_PrimitiveType) || !stream->WriteFloat(m_Length) || !stream->WriteFloat(m_Width) ||
        !stream->WriteFloat(m_Height) || !stream->Write(m_Rotation, 4, 4) || !stream->Write(m_Offset, 4, 3) ||
        !stream->WriteFloat(m_Radius) || !stream->WriteFloat(m_Normal) || !stream->WriteFloat(m_Distance))
        return false;
    if (m_PrimitiveType != kTriangleMesh)
        return true;
    return stream->WriteU32(static_cast<uint32_t>(m_Vertices.size())) && stream->WriteArray(m_Vertices) &&
           stream->WriteU32(static_cast<uint32_t>(m_Indices.size())) && stream->WriteArray(m_Indices) &&
           stream->WriteArray(m_IndexExtras);
}

void KM_Primitive::_WriteText(KM_Stream* stream)
{
    OpenObjectText(stream);
    PrintText(stream, "*NODE_NAME", m_Name);
    PrintText(stream, "*NODE_PARENT", m_ParentName);
    PrintInt(stream, "*PRIM_TYPE", m_PrimitiveType);
    PrintFloat(stream, "*PRIM_LENGTH", m_Length);
    PrintFloat(stream, "*PRIM_WIDTH", m_Width);
    PrintFloat(stream, "*PRIM_HEIGHT", m_Height);
    stream->Print("%s%s\t\t%f\t%f\t%f\t%f\n", stream->IndentText(), "*PRIM_ROTATION",
                  static_cast<double>(m_Rotation[0]), static_cast<double>(m_Rotation[1]),
                  static_cast<double>(m_Rotation[2]), static_cast<double>(m_Rotation[3]));
    stream->Print("%s%s\t\t%f\t%f\t%f\n", stream->IndentText(), "*PRIM_OFFSET",
                  static_cast<double>(m_Offset[0]), static_cast<double>(m_Offset[1]),
                  static_cast<double>(m_Offset[2]));
    PrintFloat(stream, "*PRIM_RADIUS", m_Radius);
    PrintFloat(stream, "*PRIM_NORMAL", m_Normal);
    PrintFloat(stream, "*PRIM_DISTANCE", m_Distance);
    if (m_PrimitiveType == kTriangleMesh)
    {
        PrintInt(stream, "*TRIMESH_VERT_COUNT", static_cast<int64_t>(m_Vertices.size()));
        PrintTag(stream, "*TRIMESH_VERTS");
        OpenBlock(stream);
        for (size_t i = 0; i < m_Vertices.size(); ++i)
            stream->Print("%s%s\t%d\t%f\t%f\t%f\n", stream->IndentText(), "*TRIMESH_VERT",
                          static_cast<int>(i), static_cast<double>(m_Vertices[i].x),
                          static_cast<double>(m_Vertices[i].y), static_cast<double>(m_Vertices[i].z));
        CloseBlock(stream);
        PrintInt(stream, "*TRIMESH_INDEX_COUNT", static_cast<int64_t>(m_Indices.size()));
        PrintTag(stream, "*TRIMESH_INDICES");
        OpenBlock(stream);
        for (size_t i = 0; i < m_Indices.size(); ++i)
            stream->Print("%s%s\t%d\t%d\t%d\t%d\n", stream->IndentText(), "*TRIMESH_INDEX",
                          static_cast<int>(i), static_cast<int>(m_Indices[i].a),
                          static_cast<int>(m_Indices[i].b), static_cast<int>(m_Indices[i].c));
        CloseBlock(stream);
    }
    CloseBlock(stream);
}

bool KM_Primitive::Write(KM_Stream* stream)
{
    return WriteOrReport(
        stream, "Error Writing KM_Primitive Data", [&] { _WriteText(stream); },
        [&] { return _WriteBody(stream); });
}
