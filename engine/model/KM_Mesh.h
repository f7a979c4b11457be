#pragma once

#include "engine/model/KM_ListRoom.h"
#include "engine/model/KM_Object.h"
#include "engine/model/KM_Point3.h"
#include "engine/model/KM_RoomAllocator.h"

#include <memory_resource>
#include <vector>

// A mesh: vertices, faces, texture and colour channels, extra mapping channels and per-face normals.
// Always embedded in its owner, so its Read starts with the type id.
class KM_Mesh : public KM_Object
{
public:
    static constexpr uint32_t kTypeId = 16;

    // The file's lists live in the mesh's own room: a read places them all in one block, copying each list's
    // records over room it leaves unfilled.
    template <typename T> using Array = std::vector<T, KM_ListAllocator<T>>;

    struct Face
    {
        uint32_t a = 0, b = 0, c = 0;
        uint32_t materialId = 0;
    };
    // Three indices into a texture or colour vertex list.
    struct IndexFace
    {
        uint32_t a = 0, b = 0, c = 0;
    };
    struct Channel
    {
        uint32_t word = 0;
        uint32_t number = 0;
        uint32_t tvertCount = 0;
        uint32_t firstTVert = 0;
        uint32_t tfaceCount = 0;
        uint32_t firstTFace = 0;
        uint32_t reserved = 0;
    };
    struct FaceNormals
    {
        KM_Point3 face;
        KM_Point3 corner[3];
    };

    // Welded render lists: placed like the file's lists, but sized without being cleared first, since the
    // weld writes every entry.
    template <typename T> using RenderArray = std::vector<T, KM_RenderAllocator<T>>;

    // Welded render vertices built from the faces after loading: one per distinct corner. A mesh's own
    // are placed in its room (a copy's on the heap).
    struct RenderData
    {
        RenderData() = default;
        explicit RenderData(std::pmr::memory_resource* room)
            : positions(room), normals(room), colors(room), texCoords(room), indices(room), sourceVertex(room)
        {
        }
        RenderData(const RenderData& other) = default;
        RenderData& operator=(const RenderData& other) = default;

        // Nothing built: every list empty.
        void Clear();

        uint32_t vertexCount = 0;
        RenderArray<float> positions; // 3 per vertex
        RenderArray<float> normals;   // 3 per vertex
        RenderArray<uint32_t> colors;
        // Per mapping channel, 2 per vertex as (u, 1 - v): channel 0 first (zeros when the mesh has no
        // texture vertices), then the extra channels.
        RenderArray<RenderArray<float>> texCoords;
        // 3 per face, in reversed winding; 32-bit, the consumer decides how to split for 16-bit buffers.
        RenderArray<uint32_t> indices;
        // The file vertex each render vertex came from.
        RenderArray<uint32_t> sourceVertex;
    };

    KM_Mesh();
    // A copy's lists are its own, whatever becomes of the mesh it was copied from.
    KM_Mesh(const KM_Mesh& other);
    bool Write(KM_Stream* stream) override;
    bool Read(KM_Stream* stream) override;
    uint32_t ComputeSize() override;

    // Makes room for lists about to be placed, bytes in all with their alignment, in one block.
    void ReserveRoom(size_t bytes) { m_Room.Reserve(bytes); }

    // Every index within the list it points into; a channel's faces index its own texture vertices.
    bool IndicesValid() const;
    // The parallel arrays agree with the face count: texture faces, colour faces and normals.
    bool ArraysConsistent() const;
    // Alpha 255 in the top byte, then red, green and blue, each trunc(component x 255) & 0xFF.
    static uint32_t PackColor(const KM_Point3& color);

    uint32_t m_TimeValue = 0;
    int32_t m_MaterialRef = -1;

private:
    // Where the lists below are placed. Declared first: it outlives them.
    KM_ListRoom m_Room;

public:
    Array<KM_Point3> m_Vertices;
    Array<Face> m_Faces;
    Array<KM_Point3> m_TVertices;
    Array<IndexFace> m_TFaces;
    Array<Channel> m_Channels;
    Array<KM_Point3> m_ExtraTVertices;
    Array<IndexFace> m_ExtraTFaces;
    Array<KM_Point3> m_CVertices;
    Array<IndexFace> m_CFaces;
    // Filled from the colour vertices on reading.
    Array<uint32_t> m_PackedColors;
    Array<FaceNormals> m_Normals;
    uint32_t m_BackfaceCull = 1;
    RenderData m_Render;

private:
    // Empties every list and the welded vertices and lets the room's blocks go, before a read places the
    // file's lists.
    void _DropLists();
    bool _ReadBody(KM_Stream* stream);
    bool _WriteBody(KM_Stream* stream);
    void _WriteText(KM_Stream* stream);
    static void _PrintPoints(KM_Stream* stream, const char* listTag, const char* tag,
                             const Array<KM_Point3>& points, size_t first, size_t count);
    static void _PrintIndexFaces(KM_Stream* stream, const char* listTag, const char* tag,
                                 const Array<IndexFace>& faces, size_t first, size_t count);
};

static_assert(sizeof(KM_Mesh::Face) == 16, "stored as four u32");
static_assert(sizeof(KM_Mesh::IndexFace) == 12, "stored as three u32");
static_assert(sizeof(KM_Mesh::Channel) == 28, "stored as seven u32");
static_assert(sizeof(KM_Mesh::FaceNormals) == 48, "stored as twelve floats");
