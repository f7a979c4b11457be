#include "engine/model/KM_Mesh.h"

#include "engine/model/KM_Stream.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace
{

const char* const kError = "Error Writing KM_Mesh Data";

uint32_t ChannelByte(float component)
{
    const double scaled = std::trunc(static_cast<double>(component) * 255.0);
    // Out-of-range and NaN components have no defined conversion; they give 0.
    if (!(scaled > -2147483648.0 && scaled < 2147483648.0))
        return 0;
    return static_cast<uint32_t>(static_cast<int32_t>(scaled)) & 0xFF;
}

bool FaceWithin(const KM_Mesh::IndexFace& face, uint64_t limit)
{
    return face.a < limit && face.b < limit && face.c < limit;
}

// True when the first `checked` of every `stride` words are below the limit; the words run count x stride.
bool WordsBelowPlain(const uint32_t* words, size_t count, size_t stride, size_t checked, uint64_t limit)
{
    uint32_t largest = 0;
    for (size_t i = 0; i < count; ++i)
        for (size_t k = 0; k < checked; ++k)
            largest = std::max(largest, words[i * stride + k]);
    return count == 0 || largest < limit;
}

// The same test four words at a time: a face list is checked on every mesh read, and the plain maximum of
// three does not vectorise. Words are compared as signed after flipping their top bit, which orders them
// as unsigned; a face's fourth word (its material) is masked to zero, below any limit that is not zero.
bool WordsBelow(const uint32_t* words, size_t count, size_t stride, size_t checked, uint64_t limit)
{
    if (count == 0 || limit > UINT32_MAX)
        return true;
    if (limit == 0)
        return false;
#if defined(__SSE2__)
    const size_t total = count * stride;
    if (stride == 3 || (stride == 4 && checked == 3))
    {
        const __m128i flip = _mm_set1_epi32(static_cast<int>(0x80000000u));
        const __m128i highest =
            _mm_set1_epi32(static_cast<int>((static_cast<uint32_t>(limit) - 1) ^ 0x80000000u));
        const __m128i keep = stride == 4 ? _mm_setr_epi32(-1, -1, -1, 0) : _mm_set1_epi32(-1);
        __m128i outside = _mm_setzero_si128();
        size_t at = 0;
        for (; at + 4 <= total; at += 4)
        {
            __m128i four;
            std::memcpy(&four, words + at, sizeof four);
            four = _mm_and_si128(four, keep);
            outside = _mm_or_si128(outside, _mm_cmpgt_epi32(_mm_xor_si128(four, flip), highest));
        }
        if (_mm_movemask_epi8(outside) != 0)
            return false;
        // Only three-word faces leave words over, and every one of those is an index.
        return WordsBelowPlain(words + at, total - at, 1, 1, limit);
    }
#endif
    return WordsBelowPlain(words, count, stride, checked, limit);
}

template <typename F> bool FacesBelow(const KM_Mesh::Array<F>& faces, uint64_t limit)
{
    constexpr size_t kStride = sizeof(F) / sizeof(uint32_t);
    return WordsBelow(reinterpret_cast<const uint32_t*>(faces.data()), faces.size(), kStride, 3, limit);
}

} // namespace

KM_Mesh::KM_Mesh()
    : KM_Object(kTypeId, 4), m_Vertices(&m_Room), m_Faces(&m_Room), m_TVertices(&m_Room), m_TFaces(&m_Room),
      m_Channels(&m_Room), m_ExtraTVertices(&m_Room), m_ExtraTFaces(&m_Room), m_CVertices(&m_Room),
      m_CFaces(&m_Room), m_PackedColors(&m_Room), m_Normals(&m_Room), m_Render(&m_Room)
{
}

void KM_Mesh::RenderData::Clear()
{
    vertexCount = 0;
    positions.clear();
    normals.clear();
    colors.clear();
    texCoords.clear();
    indices.clear();
    sourceVertex.clear();
}

KM_Mesh::KM_Mesh(const KM_Mesh& other)
    : KM_Object(other), m_TimeValue(other.m_TimeValue), m_MaterialRef(other.m_MaterialRef),
      m_Vertices(other.m_Vertices, &m_Room), m_Faces(other.m_Faces, &m_Room),
      m_TVertices(other.m_TVertices, &m_Room), m_TFaces(other.m_TFaces, &m_Room),
      m_Channels(other.m_Channels, &m_Room), m_ExtraTVertices(other.m_ExtraTVertices, &m_Room),
      m_ExtraTFaces(other.m_ExtraTFaces, &m_Room), m_CVertices(other.m_CVertices, &m_Room),
      m_CFaces(other.m_CFaces, &m_Room), m_PackedColors(other.m_PackedColors, &m_Room),
      m_Normals(other.m_Normals, &m_Room), m_BackfaceCull(other.m_BackfaceCull), m_Render(other.m_Render)
{
}

void KM_Mesh::_DropLists()
{
    const auto drop = [](auto& list) { std::decay_t<decltype(list)>(list.get_allocator()).swap(list); };
    drop(m_Vertices);
    drop(m_Faces);
    drop(m_TVertices);
    drop(m_TFaces);
    drop(m_Channels);
    drop(m_ExtraTVertices);
    drop(m_ExtraTFaces);
    drop(m_CVertices);
    drop(m_CFaces);
    drop(m_PackedColors);
    drop(m_Normals);
    // The welded vertices of the lists dropped go too: they may sit in the room.
    m_Render.vertexCount = 0;
    drop(m_Render.positions);
    drop(m_Render.normals);
    drop(m_Render.colors);
    drop(m_Render.texCoords);
    drop(m_Render.indices);
    drop(m_Render.sourceVertex);
    m_Room.Release();
}

uint32_t KM_Mesh::PackColor(const KM_Point3& color)
{
    return 0xFF000000u | (ChannelByte(color.x) << 16) | (ChannelByte(color.y) << 8) | ChannelByte(color.z);
}

uint32_t KM_Mesh::ComputeSize()
{
    const uint64_t faces = m_Faces.size();
    uint64_t size = 24 + m_Vertices.size() * 12 + faces * 16;
    if (!m_TVertices.empty())
        size += m_TVertices.size() * 12 + faces * 12;
    if (m_Version >= 3)
    {
        size += 4;
        if (!m_Channels.empty())
            size += m_Channels.size() * 28 + 8 + m_ExtraTVertices.size() * 12 + m_ExtraTFaces.size() * 12;
    }
    if (!m_CVertices.empty())
        size += m_CVertices.size() * 12 + faces * 12;
    size += faces * 48;
    if (m_Version >= 4)
        size += 4;
    m_Size = static_cast<uint32_t>(size);
    return m_Size;
}

bool KM_Mesh::IndicesValid() const
{
    if (!FacesBelow(m_Faces, m_Vertices.size()))
        return false;
    if (!m_TVertices.empty() && !FacesBelow(m_TFaces, m_TVertices.size()))
        return false;
    if (!m_CVertices.empty() && !FacesBelow(m_CFaces, m_CVertices.size()))
        return false;
    for (const Channel& channel : m_Channels)
    {
        if (uint64_t(channel.firstTVert) + channel.tvertCount > m_ExtraTVertices.size() ||
            uint64_t(channel.firstTFace) + channel.tfaceCount > m_ExtraTFaces.size())
            return false;
        for (uint32_t i = 0; i < channel.tfaceCount; ++i)
        {
            if (!FaceWithin(m_ExtraTFaces[channel.firstTFace + i], channel.tvertCount))
                return false;
        }
    }
    return true;
}

bool KM_Mesh::_ReadBody(KM_Stream* stream)
{
    uint32_t vertexCount, faceCount, tvertCount, cvertCount;
    if (!ReadFrame(stream) ||
        !stream->ReadValues(m_TimeValue, vertexCount, faceCount, tvertCount, cvertCount, m_MaterialRef))
        return false;
    _DropLists();
    // When the lists the counts ask for are all in the file, one block takes them, the packed colours and
    // the welded corners' indices that follow every read; otherwise a read below fails where it always did,
    // and nothing is taken on the counts' word.
    const uint64_t faces = faceCount;
    const uint64_t fileBytes =
        uint64_t(vertexCount) * sizeof(KM_Point3) + faces * sizeof(Face) +
        (tvertCount != 0 ? uint64_t(tvertCount) * sizeof(KM_Point3) + faces * sizeof(IndexFace) : 0) +
        (cvertCount != 0 ? uint64_t(cvertCount) * sizeof(KM_Point3) + faces * sizeof(IndexFace) : 0) +
        faces * sizeof(FaceNormals);
    if (stream->Fits(fileBytes, 1))
    {
        constexpr size_t kListSlack = alignof(std::max_align_t);
        m_Room.Reserve(static_cast<size_t>(fileBytes + uint64_t(cvertCount) * sizeof(uint32_t) +
                                           faces * 3 * sizeof(uint32_t)) +
                       8 * kListSlack);
    }
    if (!stream->ReadArray(m_Vertices, vertexCount) || !stream->ReadArray(m_Faces, faceCount))
        return false;
    if (tvertCount != 0 &&
        (!stream->ReadArray(m_TVertices, tvertCount) || !stream->ReadArray(m_TFaces, faceCount)))
        return false;
    if (m_Version >= 3)
    {
        uint32_t channelCount;
        if (!stream->ReadU32(channelCount))
            return false;
        if (channelCount > 0)
        {
            uint32_t extraTVerts, extraTFaces;
            if (!stream->ReadArray(m_Channels, channelCount) ||
                !stream->ReadValues(extraTVerts, extraTFaces) ||
                !stream->ReadArray(m_ExtraTVertices, extraTVerts) ||
                !stream->ReadArray(m_ExtraTFaces, extraTFaces))
                return false;
        }
    }
    if (cvertCount != 0)
    {
        if (!stream->ReadArray(m_CVertices, cvertCount) || !stream->ReadArray(m_CFaces, faceCount))
            return false;
        m_PackedColors.reserve(m_CVertices.size());
        for (const KM_Point3& color : m_CVertices)
            m_PackedColors.push_back(PackColor(color));
    }
    if (!stream->ReadArray(m_Normals, faceCount))
        return false;
    return m_Version < 4 || stream->ReadU32(m_BackfaceCull);
}

bool KM_Mesh::Read(KM_Stream* stream)
{
    return ReadBodyOrReport(stream, kError, [&] { return _ReadBody(stream); });
}

bool KM_Mesh::ArraysConsistent() const
{
    const size_t faces = m_Faces.size();
    return (m_TVertices.empty() || m_TFaces.size() == faces) &&
           (m_CVertices.empty() || m_CFaces.size() == faces) && m_Normals.size() == faces;
}

bool KM_Mesh::_WriteBody(KM_Stream* stream)
{
    // Counts come from the arrays, so a mesh whose parallel arrays disagree would write a file that
    // cannot be read back.
    if (!ArraysConsistent())
        return false;
    if (!KM_Object::Write(stream) || !stream->WriteU32(m_TimeValue) ||
        !stream->WriteU32(static_cast<uint32_t>(m_Vertices.size())) ||
        !stream->WriteU32(static_cast<uint32_t>(m_Faces.size())) ||
        !stream->WriteU32(static_cast<uint32_t>(m_TVertices.size())) ||
        !stream->WriteU32(static_cast<uint32_t>(m_CVertices.size())) || !stream->WriteI32(m_MaterialRef) ||
        !stream->WriteArray(m_Vertices) || !stream->WriteArray(m_Faces))
        return false;
    if (!m_TVertices.empty() && (!stream->WriteArray(m_TVertices) || !stream->WriteArray(m_TFaces)))
        return false;
    if (m_Version >= 3)
    {
        if (!stream->WriteU32(static_cast<uint32_t>(m_Channels.size())))
            return false;
        if (!m_Channels.empty() &&
            (!stream->WriteArray(m_Channels) ||
             !stream->WriteU32(static_cast<uint32_t>(m_ExtraTVertices.size())) ||
             !stream->WriteU32(static_cast<uint32_t>(m_ExtraTFaces.size())) ||
             !stream->WriteArray(m_ExtraTVertices) || !stream->WriteArray(m_ExtraTFaces)))
            return false;
    }
    if (!m_CVertices.empty() && (!stream->WriteArray(m_CVertices) || !stream->WriteArray(m_CFaces)))
        return false;
    if (!stream->WriteArray(m_Normals))
        return false;
    return m_Version < 4 || stream->WriteU32(m_BackfaceCull);
}

bool KM_Mesh::Write(KM_Stream* stream)
{
    return WriteOrReport(
        stream, kError, [&] { _WriteText(stream); }, [&] { return _WriteBody(stream); });
}

void KM_Mesh::_PrintPoints(KM_Stream* stream, const char* listTag, const char* tag,
                           const Array<KM_Point3>& points, size_t first, size_t count)
{
    PrintTag(stream, listTag);
    OpenBlock(stream);
    for (size_t i = 0; i < count && first + i < points.size(); ++i)
    {
        const KM_Point3& p = points[first + i];
        stream->Print("%s%s\t%d\t%f\t%f\t%f\n", stream->IndentText(), tag, static_cast<int>(i),
                      static_cast<double>(p.x), static_cast<double>(p.y), static_cast<double>(p.z));
    }
    CloseBlock(stream);
}

void KM_Mesh::_PrintIndexFaces(KM_Stream* stream, const char* listTag, const char* tag,
                               const Array<IndexFace>& faces, size_t first, size_t count)
{
    PrintTag(stream, listTag);
    OpenBlock(stream);
    for (size_t i = 0; i < count && first + i < faces.size(); ++i)
    {
        const IndexFace& f = faces[first + i];
        stream->Print("%s%s\t%d\t%d\t%d\t%d\n", stream->IndentText(), tag, static_cast<int>(i),
                      static_cast<int>(f.a), static_cast<int>(f.b), static_cast<int>(f.c));
    }
    CloseBlock(stream);
}

void KM_Mesh::_WriteText(KM_Stream* stream)
{
    OpenObjectText(stream);
    PrintInt(stream, "*TIMEVALUE", m_TimeValue);
    PrintInt(stream, "*MESH_NUMVERTEX", static_cast<int64_t>(m_Vertices.size()));
    PrintInt(stream, "*MESH_NUMFACES", static_cast<int64_t>(m_Faces.size()));
    _PrintPoints(stream, "*MESH_VERTEX_LIST", "*MESH_VERTEX", m_Vertices, 0, m_Vertices.size());
    PrintTag(stream, "*MESH_FACE_LIST");
    OpenBlock(stream);
    for (size_t i = 0; i < m_Faces.size(); ++i)
    {
        const Face& f = m_Faces[i];
        stream->Print("%s%s\t%4d\tA: %4d\tB: %4d\tC: %4d\t%s %d\n", stream->IndentText(), "*MESH_FACE",
                      static_cast<int>(i), static_cast<int>(f.a), static_cast<int>(f.b),
                      static_cast<int>(f.c), "*MESH_MTLID", static_cast<int>(f.materialId));
    }
    CloseBlock(stream);
    PrintInt(stream, "*MESH_NUMTVERTEX", static_cast<int64_t>(m_TVertices.size()));
    if (!m_TVertices.empty())
        _PrintPoints(stream, "*MESH_TVERTLIST", "*MESH_TVERT", m_TVertices, 0, m_TVertices.size());
    PrintInt(stream, "*MESH_NUMTVFACES", m_TVertices.empty() ? 0 : static_cast<int64_t>(m_TFaces.size()));
    if (!m_TVertices.empty())
        _PrintIndexFaces(stream, "*MESH_TFACELIST", "*MESH_TFACE", m_TFaces, 0, m_TFaces.size());
    for (const Channel& channel : m_Channels)
    {
        PrintInt(stream, "*MESH_MAPPINGCHANNEL", channel.number);
        OpenBlock(stream);
        PrintInt(stream, "*MESH_NUMTVERTEX", channel.tvertCount);
        _PrintPoints(stream, "*MESH_TVERTLIST", "*MESH_TVERT", m_ExtraTVertices, channel.firstTVert,
                     channel.tvertCount);
        PrintInt(stream, "*MESH_NUMTVFACES", channel.tfaceCount);
        _PrintIndexFaces(stream, "*MESH_TFACELIST", "*MESH_TFACE", m_ExtraTFaces, channel.firstTFace,
                         channel.tfaceCount);
        CloseBlock(stream);
    }
    PrintInt(stream, "*MESH_NUMCVERTEX", static_cast<int64_t>(m_CVertices.size()));
    if (!m_CVertices.empty())
        _PrintPoints(stream, "*MESH_CVERTLIST", "*MESH_VERTCOL", m_CVertices, 0, m_CVertices.size());
    PrintInt(stream, "*MESH_NUMCVFACES", m_CVertices.empty() ? 0 : static_cast<int64_t>(m_CFaces.size()));
    if (!m_CVertices.empty())
        _PrintIndexFaces(stream, "*MESH_CFACELIST", "*MESH_CFACE", m_CFaces, 0, m_CFaces.size());
    PrintTag(stream, "*MESH_NORMALS");
    OpenBlock(stream);
    for (size_t i = 0; i < m_Normals.size(); ++i)
    {
        const FaceNormals& n = m_Normals[i];
        stream->Print("%s%s\t%d\t%f\t%f\t%f\n", stream->IndentText(), "*MESH_FACENORMAL", static_cast<int>(i),
                      static_cast<double>(n.face.x), static_cast<double>(n.face.y),
                      static_cast<double>(n.face.z));
        const uint32_t corners[3] = {i < m_Faces.size() ? m_Faces[i].a : 0,
                                     i < m_Faces.size() ? m_Faces[i].b : 0,
                                     i < m_Faces.size() ? m_Faces[i].c : 0};
        for (int corner = 0; corner < 3; ++corner)
        {
            const KM_Point3& v = n.corner[corner];
            stream->Print("%s\t%s\t%d\t%f\t%f\t%f\n", stream->IndentText(), "*MESH_VERTEXNORMAL",
                          static_cast<int>(corners[corner]), static_cast<double>(v.x),
                          static_cast<double>(v.y), static_cast<double>(v.z));
        }
    }
    CloseBlock(stream);
    PrintInt(stream, "*BACKFACE_CULL", m_BackfaceCull);
    PrintInt(stream, "*MATERIAL_REF", m_MaterialRef);
    CloseBlock(stream);
}
