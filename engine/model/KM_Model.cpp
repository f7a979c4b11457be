#include "engine/model/KM_Model.h"

#include "engine/model/KM_AttachmentPt.h"
#include "engine/model/KM_Camera.h"
#include "engine/model/KM_CollisionObject.h"
#include "engine/model/KM_DataTag.h"
#include "engine/model/KM_FileReader.h"
#include "engine/model/KM_GeoObject.h"
#include "engine/model/KM_Light.h"
#include "engine/model/KM_MaterialList.h"
#include "engine/model/KM_ObjectList.h"
#include "engine/model/KM_Primitive.h"
#include "engine/model/KM_Scene.h"
#include "platform/system/DebugOutput.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <iterator>
#include <memory>

namespace
{

struct TypeBit
{
    const char* value;
    uint32_t bit;
};

const TypeBit kTypeBits[] = {{"N", 0x1},    {"W", 0x2},     {"T", 0x4},     {"S", 0x8},
                             {"OS", 0x80},  {"WS", 0x100},  {"SP", 0x200},  {"SB", 0x400},
                             {"HP", 0x800}, {"WH", 0x1000}, {"WA", 0x2000}, {"WF", 0x4000}};

// Equal to a short literal, compared in place: every value of every user data line is compared with each
// type's letters, and the library's compare measures the literal with strlen each time.
bool SameText(const std::string& text, const char* literal)
{
    size_t at = 0;
    for (; literal[at] != '\0'; ++at)
    {
        if (at >= text.size() || text[at] != literal[at])
            return false;
    }
    return at == text.size();
}

// Where the first of the stop characters stands from at up to end, or end when none does.
template <size_t N> size_t FindStop(const std::string& text, size_t at, size_t end, const char (&stops)[N])
{
    for (; at < end; ++at)
    {
        for (size_t k = 0; k + 1 < N; ++k)
        {
            if (text[at] == stops[k])
                return at;
        }
    }
    return end;
}

uint32_t Bits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Leading decimal digits, as atoi reads them, kept within 32 bits.
int32_t LeadingInteger(const std::string& text)
{
    size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        negative = text[at++] == '-';
    int64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
    {
        value = value * 10 + (text[at] - '0');
        if (value > INT32_MAX)
            value = static_cast<int64_t>(INT32_MAX) + 1;
    }
    value = negative ? -value : value;
    if (value > INT32_MAX)
        return INT32_MAX;
    return static_cast<int32_t>(value < INT32_MIN ? INT32_MIN : value);
}

// The slot of a position among 2^(64 - shift) slots. Its words are mixed by two multiplications and the slot
// is taken from the top bits of the product, which depend on every bit below them: float bits of round
// values end in zeros.
size_t PositionSlot(const KM_Point3& position, unsigned shift)
{
    uint64_t xy;
    std::memcpy(&xy, &position, sizeof xy);
    const uint64_t mixed =
        (xy ^ (uint64_t(Bits(position.z)) * 0x9E3779B97F4A7C15ull)) * 0xBF58476D1CE4E5B9ull;
    return static_cast<size_t>(mixed >> shift);
}

float FloatOf(uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// The working words of a weld, kept on the thread from one mesh to the next: small meshes are many, and an
// allocation costs more than welding one. Nothing is read from it that the weld has not written or cleared.
struct WeldScratch
{
    std::unique_ptr<uint32_t[]> words;
    size_t size = 0;
};
thread_local WeldScratch t_WeldScratch;
// A block grown past this (1 MiB) is let go once its mesh is welded.
constexpr size_t kWeldScratchKeepWords = size_t(1) << 18;

uint32_t* WeldWords(size_t count)
{
    WeldScratch& scratch = t_WeldScratch;
    if (scratch.size < count)
    {
        // Emptied first, so a failed allocation leaves no stale size behind.
        scratch.words.reset();
        scratch.size = 0;
        scratch.words.reset(new uint32_t[count]);
        scratch.size = count;
    }
    return scratch.words.get();
}

void TrimWeldWords()
{
    WeldScratch& scratch = t_WeldScratch;
    if (scratch.size > kWeldScratchKeepWords)
    {
        scratch.words.reset();
        scratch.size = 0;
    }
}

// Where a weld keeps its working arrays, and what every corner's key holds.
struct WeldLayout
{
    size_t keyWords = 0;
    const uint32_t* placeOf = nullptr;
    const uint32_t* packedColors = nullptr;
    uint32_t* lastAt = nullptr;
    uint32_t* previousAt = nullptr;
    uint32_t* sources = nullptr;
    uint32_t* keys = nullptr;
};

uint64_t Load64(const void* at)
{
    uint64_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

uint32_t Load32(const void* at)
{
    uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

void Store64(void* at, uint64_t value)
{
    std::memcpy(at, &value, sizeof value);
}

// The list sizes a face's indices stay below, each held to 32 bits as the indices are.
struct FaceLimits
{
    explicit FaceLimits(const KM_Mesh& mesh)
        : fileVertices(Limit(mesh.m_Vertices.size())), textureVertices(Limit(mesh.m_TVertices.size())),
          colorVertices(Limit(mesh.m_CVertices.size()))
    {
    }

    // Whether any corner of the face indexes past its list; the lists a layout lacks are not looked at.
    template <bool kTexture, bool kColor>
    bool Outside(const KM_Mesh::Face& face, const KM_Mesh::IndexFace& tface,
                 const KM_Mesh::IndexFace& cface) const
    {
        return std::max({face.a, face.b, face.c}) >= fileVertices ||
               (kTexture && std::max({tface.a, tface.b, tface.c}) >= textureVertices) ||
               (kColor && std::max({cface.a, cface.b, cface.c}) >= colorVertices);
    }

    static uint32_t Limit(size_t size) { return static_cast<uint32_t>(std::min<size_t>(size, UINT32_MAX)); }

    uint32_t fileVertices;
    uint32_t textureVertices;
    uint32_t colorVertices;
};

// Makes the next vertex at a position: it came from the file vertex and heads that position's chain. Its
// number plus one, as the chains hold them. Given the lists rather than the layout, which the weld loops
// would otherwise read again at every vertex made.
__attribute__((always_inline)) inline uint32_t AppendVertex(uint32_t* sources, uint32_t* previousAt,
                                                            uint32_t* lastAt, uint32_t place,
                                                            uint32_t fileVertex, uint32_t& made)
{
    sources[made] = fileVertex;
    previousAt[made] = lastAt[place];
    const uint32_t v = ++made;
    lastAt[place] = v;
    return v;
}

// Writes every corner's render index and makes the vertices, for the layouts without extra channels. The
// layout is fixed when compiled, so a key's width is a constant and every test of what a corner carries is
// gone from the loop. The rest of a key after its position goes as a normal's x and y in one 64-bit word,
// its z, the texture pair in another 64-bit word and the colour: few registers, few loads per compare.
// False at the first corner whose index is outside its list.
template <bool kTexture, bool kColor>
bool WeldFixedCorners(const KM_Mesh& mesh, const WeldLayout& layout, uint32_t* indexOut, uint32_t& madeOut)
{
    constexpr size_t kKeyWords = 6 + (kTexture ? 2 : 0) + (kColor ? 1 : 0);
    const FaceLimits limits(mesh);
    const KM_Point3* const vertices = mesh.m_Vertices.data();
    const KM_Point3* const textureCoords = mesh.m_TVertices.data();
    const KM_Mesh::Face* const faces = mesh.m_Faces.data();
    const KM_Mesh::IndexFace* const textureFaces = mesh.m_TFaces.data();
    const KM_Mesh::IndexFace* const colorFaces = mesh.m_CFaces.data();
    const KM_Mesh::FaceNormals* const faceNormals = mesh.m_Normals.data();
    const uint32_t* const placeOf = layout.placeOf;
    const uint32_t* const packedColors = layout.packedColors;
    uint32_t* const lastAt = layout.lastAt;
    uint32_t* const previousAt = layout.previousAt;
    uint32_t* const sources = layout.sources;
    uint32_t* const keys = layout.keys;
    uint32_t made = 0;

    const auto visit = [&](uint32_t fileVertex, uint32_t texel, uint32_t tint, const KM_Point3& normal)
        __attribute__((always_inline))
    {
        const uint64_t normalXY = Load64(&normal);
        const uint32_t normalZ = Bits(normal.z);
        const uint64_t mapped = kTexture ? Load64(&textureCoords[texel]) : 0;
        const uint32_t tone = kColor ? packedColors[tint] : 0;

        // Equal corners share one vertex: the first corner of a kind makes it, in visiting order. Only the
        // words after the position are compared: a chain holds the vertices made at one position.
        const uint32_t place = placeOf[fileVertex];
        uint32_t v = lastAt[place];
        for (; v != 0; v = previousAt[v - 1])
        {
            const uint32_t* const other = keys + static_cast<size_t>(v - 1) * kKeyWords;
            uint64_t difference = (Load64(other + 3) ^ normalXY) | (Load32(other + 5) ^ normalZ);
            if (kTexture)
                difference |= Load64(other + 6) ^ mapped;
            if (kColor)
                difference |= Load32(other + kKeyWords - 1) ^ tone;
            if (difference == 0)
                break;
        }
        if (v == 0)
        {
            uint32_t* const key = keys + static_cast<size_t>(made) * kKeyWords;
            const KM_Point3& position = vertices[fileVertex];
            Store64(key, Load64(&position));
            key[2] = Bits(position.z);
            Store64(key + 3, normalXY);
            key[5] = normalZ;
            if (kTexture)
                Store64(key + 6, mapped);
            if (kColor)
                key[kKeyWords - 1] = tone;
            v = AppendVertex(sources, previousAt, lastAt, place, fileVertex, made);
        }
        *indexOut++ = v - 1;
    };

    const size_t faceCount = mesh.m_Faces.size();
    for (size_t f = 0; f < faceCount; ++f)
    {
        const KM_Mesh::Face face = faces[f];
        const KM_Mesh::IndexFace tface = kTexture ? textureFaces[f] : KM_Mesh::IndexFace();
        const KM_Mesh::IndexFace cface = kColor ? colorFaces[f] : KM_Mesh::IndexFace();
        if (limits.Outside<kTexture, kColor>(face, tface, cface))
            return false;
        const KM_Mesh::FaceNormals& normals = faceNormals[f];
        // Corners 0, 2, 1: the winding of every face is reversed.
        visit(face.a, tface.a, cface.a, normals.corner[0]);
        visit(face.c, tface.c, cface.c, normals.corner[2]);
        visit(face.b, tface.b, cface.b, normals.corner[1]);
    }
    madeOut = made;
    return true;
}

// The same for meshes with extra mapping channels (rare): the whole key is written where the vertex's key
// would go and compared there, its width known only at run time.
template <bool kTexture, bool kColor>
bool WeldChannelCorners(const KM_Mesh& mesh, const WeldLayout& layout, uint32_t* indexOut, uint32_t& madeOut)
{
    constexpr size_t kFixedWords = 6 + (kTexture ? 2 : 0) + (kColor ? 1 : 0);
    const size_t keyWords = layout.keyWords;
    const size_t extraChannels = mesh.m_Channels.size();
    const FaceLimits limits(mesh);
    const KM_Point3* const vertices = mesh.m_Vertices.data();
    const KM_Point3* const textureCoords = mesh.m_TVertices.data();
    const uint32_t* const placeOf = layout.placeOf;
    const uint32_t* const packedColors = layout.packedColors;
    uint32_t* const lastAt = layout.lastAt;
    uint32_t* const previousAt = layout.previousAt;
    uint32_t* const sources = layout.sources;
    uint32_t* const keys = layout.keys;
    uint32_t made = 0;

    const auto visit =
        [&](size_t f, uint32_t fileVertex, uint32_t texel, uint32_t tint, const KM_Point3& normal, int corner)
    {
        const KM_Point3& position = vertices[fileVertex];
        uint32_t* const keyStart = keys + static_cast<size_t>(made) * keyWords;
        keyStart[0] = Bits(position.x);
        keyStart[1] = Bits(position.y);
        keyStart[2] = Bits(position.z);
        keyStart[3] = Bits(normal.x);
        keyStart[4] = Bits(normal.y);
        keyStart[5] = Bits(normal.z);
        if (kTexture)
        {
            const KM_Point3& tv = textureCoords[texel];
            keyStart[6] = Bits(tv.x);
            keyStart[7] = Bits(tv.y);
        }
        if (kColor)
            keyStart[kFixedWords - 1] = packedColors[tint];
        uint32_t* w = keyStart + kFixedWords;
        for (size_t k = 0; k < extraChannels; ++k)
        {
            const KM_Mesh::Channel& channel = mesh.m_Channels[k];
            if (f >= channel.tfaceCount)
            {
                *w++ = Bits(0.0f);
                *w++ = Bits(0.0f);
                continue;
            }
            const KM_Mesh::IndexFace& extra = mesh.m_ExtraTFaces[channel.firstTFace + f];
            const uint32_t local = corner == 0 ? extra.a : corner == 1 ? extra.b : extra.c;
            const KM_Point3& tv = mesh.m_ExtraTVertices[channel.firstTVert + local];
            *w++ = Bits(tv.x);
            *w++ = Bits(tv.y);
        }

        const uint32_t place = placeOf[fileVertex];
        uint32_t v = lastAt[place];
        for (; v != 0; v = previousAt[v - 1])
            if (std::memcmp(keyStart + 3, keys + static_cast<size_t>(v - 1) * keyWords + 3,
                            (keyWords - 3) * sizeof(uint32_t)) == 0)
                break;
        if (v == 0)
            v = AppendVertex(sources, previousAt, lastAt, place, fileVertex, made);
        *indexOut++ = v - 1;
    };

    const size_t faceCount = mesh.m_Faces.size();
    for (size_t f = 0; f < faceCount; ++f)
    {
        const KM_Mesh::Face& face = mesh.m_Faces[f];
        const KM_Mesh::IndexFace tface = kTexture ? mesh.m_TFaces[f] : KM_Mesh::IndexFace();
        const KM_Mesh::IndexFace cface = kColor ? mesh.m_CFaces[f] : KM_Mesh::IndexFace();
        if (limits.Outside<kTexture, kColor>(face, tface, cface))
            return false;
        const KM_Mesh::FaceNormals& normals = mesh.m_Normals[f];
        visit(f, face.a, tface.a, cface.a, normals.corner[0], 0);
        visit(f, face.c, tface.c, cface.c, normals.corner[2], 2);
        visit(f, face.b, tface.b, cface.b, normals.corner[1], 1);
    }
    madeOut = made;
    return true;
}

// Writes the render arrays of the vertices made, each from its key, for the same layouts as the welds.
template <bool kTexture, bool kColor, bool kChannels>
void WriteVertices(const KM_Mesh& mesh, const WeldLayout& layout, KM_Mesh::RenderData& render)
{
    constexpr size_t kFixedWords = 6 + (kTexture ? 2 : 0) + (kColor ? 1 : 0);
    const size_t keyWords = kChannels ? layout.keyWords : kFixedWords;
    const size_t extraChannels = kChannels ? mesh.m_Channels.size() : 0;
    const size_t count = render.vertexCount;
    render.texCoords.resize(1 + extraChannels);
    render.positions.resize(count * 3);
    render.normals.resize(count * 3);
    render.colors.resize(count);
    for (KM_Mesh::RenderArray<float>& channel : render.texCoords)
        channel.resize(count * 2);
    // One pass per list written, each through its own pointer: the lists never overlap the keys or each
    // other, and saying so lets the copies go without reloading anything.
    const uint32_t* __restrict k = layout.keys;
    float* __restrict positions = render.positions.data();
    float* __restrict normals = render.normals.data();
    uint32_t* __restrict colors = render.colors.data();
    float* __restrict mapped = render.texCoords[0].data();
    for (size_t v = 0; v < count; ++v, k += keyWords)
    {
        // The key holds the bits the vertex is made of: position and normal go over as they are.
        std::memcpy(positions, k, 3 * sizeof(float));
        std::memcpy(normals, k + 3, 3 * sizeof(float));
        positions += 3;
        normals += 3;
        // Stored as (u, 1 - v); a mesh without texture vertices maps every corner to (0, 0).
        mapped[0] = kTexture ? FloatOf(k[6]) : 0.0f;
        mapped[1] = 1.0f - (kTexture ? FloatOf(k[7]) : 0.0f);
        mapped += 2;
        *colors++ = kColor ? k[kFixedWords - 1] : 0xFFFFFFFFu;
    }
    for (size_t channel = 1; channel <= extraChannels; ++channel)
    {
        const uint32_t* __restrict from = layout.keys + kFixedWords + 2 * (channel - 1);
        float* __restrict out = render.texCoords[channel].data();
        for (size_t v = 0; v < count; ++v, from += keyWords, out += 2)
        {
            out[0] = FloatOf(from[0]);
            out[1] = 1.0f - FloatOf(from[1]);
        }
    }
}

// The extra channels' ranges lie within their lists and their faces index the channel's own vertices.
bool ChannelsValid(const KM_Mesh& mesh)
{
    for (const KM_Mesh::Channel& channel : mesh.m_Channels)
    {
        if (uint64_t(channel.firstTVert) + channel.tvertCount > mesh.m_ExtraTVertices.size() ||
            uint64_t(channel.firstTFace) + channel.tfaceCount > mesh.m_ExtraTFaces.size())
            return false;
        for (uint32_t i = 0; i < channel.tfaceCount; ++i)
        {
            const KM_Mesh::IndexFace& face = mesh.m_ExtraTFaces[channel.firstTFace + i];
            if (face.a >= channel.tvertCount || face.b >= channel.tvertCount || face.c >= channel.tvertCount)
                return false;
        }
    }
    return true;
}

} // namespace

KM_Model::KM_Model(const char* fileName)
{
    if (fileName != nullptr)
        m_Name.assign(fileName, std::strcspn(fileName, "."));
}

KM_Model::~KM_Model() = default;

KM_MaterialList& KM_Model::GetMaterialList() const
{
    return m_MaterialList;
}

KM_ObjectList& KM_Model::GetObjectList() const
{
    return m_ObjectList;
}

bool KM_Model::ReadObjects(KM_Stream* stream)
{
    KM_FileReader::Slots slots;
    slots.scene = &m_Scene;
    slots.materials = &m_MaterialList;
    slots.objects = &m_ObjectList;
    const bool ok = KM_FileReader::ReadTopLevel(stream, true, KM_FileReader::kErroneousModel, slots);
    m_HasScene = slots.sceneRead;
    return ok;
}

bool KM_Model::Read(KM_Stream* stream)
{
    if (!ReadObjects(stream))
        return false;
    if (!m_PostLoaded)
        PostLoad(stream, true);
    return true;
}

KM_GeoObject* KM_Model::GetGeoObject(int index) const
{
    return static_cast<KM_GeoObject*>(_At(kGeoKind, index));
}

KM_Primitive* KM_Model::GetPrimitive(int index) const
{
    return static_cast<KM_Primitive*>(_At(kPrimitiveKind, index));
}

KM_CollisionObject* KM_Model::GetCollisionObject(int index) const
{
    return static_cast<KM_CollisionObject*>(_At(kCollisionKind, index));
}

KM_AttachmentPt* KM_Model::GetAttachmentPoint(int index) const
{
    return static_cast<KM_AttachmentPt*>(_At(kAttachmentKind, index));
}

KM_Light* KM_Model::GetLight(int index) const
{
    return static_cast<KM_Light*>(_At(kLightKind, index));
}

KM_Camera* KM_Model::GetCamera(int index) const
{
    return static_cast<KM_Camera*>(_At(kCameraKind, index));
}

KM_DataTag* KM_Model::GetDataTag(int index) const
{
    return static_cast<KM_DataTag*>(_At(kDataTagKind, index));
}

int KM_Model::_KindOf(uint32_t type)
{
    if (type == KM_GeoObject::kTypeId)
        return kGeoKind;
    if (type == KM_Primitive::kTypeId)
        return kPrimitiveKind;
    if (type >= 24 && type <= 28)
        return kCollisionKind;
    if (type == KM_AttachmentPt::kTypeId)
        return kAttachmentKind;
    if (type == KM_Light::kTypeId)
        return kLightKind;
    if (type == KM_Camera::kTypeId)
        return kCameraKind;
    if (type == KM_DataTag::kTypeId)
        return kDataTagKind;
    return kKindCount;
}

bool KM_Model::PostLoad(KM_Stream*, bool)
{
    if (m_PostLoaded)
        return true;
    m_PostLoaded = true;
    // Geometry and primitives are all kept; the other kinds stop at kMaxTableEntries.
    const auto capped = [](int kind) { return kind != kGeoKind && kind != kPrimitiveKind; };
    // Counted first, so every table is placed in one block of its final size.
    uint32_t counts[kKindCount] = {};
    const KM_ObjectList& objects = GetObjectList();
    for (KM_Object* object = objects.GetFirst(); object != nullptr; object = object->GetNext())
    {
        const int kind = _KindOf(object->GetTypeId());
        if (kind != kKindCount && (!capped(kind) || counts[kind] < kMaxTableEntries))
            ++counts[kind];
    }
    m_KindStart[0] = 0;
    for (int kind = 0; kind < kKindCount; ++kind)
        m_KindStart[kind + 1] = m_KindStart[kind] + counts[kind];
    m_Table.assign(m_KindStart[kKindCount], nullptr);
    uint32_t placed[kKindCount] = {};
    for (KM_Object* object = objects.GetFirst(); object != nullptr; object = object->GetNext())
    {
        const int kind = _KindOf(object->GetTypeId());
        if (kind != kKindCount && placed[kind] < counts[kind])
            m_Table[m_KindStart[kind] + placed[kind]++] = object;
    }
    KM_GeoObject* const firstGeo = GetGeoObject(0);
    m_FirstGeoMesh = firstGeo != nullptr ? &firstGeo->m_Mesh : nullptr;
    // One key and one list of values serve every line of every point.
    std::string key;
    std::vector<std::string> values;
    for (int i = 0; i < GetAttachmentPointCount(); ++i)
    {
        KM_AttachmentPt& point = *GetAttachmentPoint(i);
        if (!point.m_UserData.empty())
            _ParseUserData(point, key, values);
    }
    return true;
}

int KM_Model::_FindAttachmentPoint(const std::string& suffix) const
{
    // Compared in place as prefix and suffix, without making the whole name for every line.
    static const std::string kPrefix = "att-point";
    for (int i = 0; i < GetAttachmentPointCount(); ++i)
    {
        const std::string& name = GetAttachmentPoint(i)->GetName();
        if (name.size() == kPrefix.size() + suffix.size() && name.compare(0, kPrefix.size(), kPrefix) == 0 &&
            name.compare(kPrefix.size(), std::string::npos, suffix) == 0)
            return i;
    }
    return -1;
}

void KM_Model::_ApplyKey(KM_AttachmentPt& point, const std::string& key,
                         const std::vector<std::string>& values)
{
    if (SameText(key, "type"))
    {
        for (const std::string& value : values)
        {
            // Every type is one or two letters.
            if (value.size() > 2)
                continue;
            for (const TypeBit& entry : kTypeBits)
            {
                if (SameText(value, entry.value))
                    point.m_TypeFlags |= entry.bit;
            }
        }
    }
    else if (SameText(key, "set"))
    {
        if (values.empty())
            return;
        const int owner = _FindAttachmentPoint(values[0]);
        // A line whose owner names no point, or one past the owner's five sets, is ignored.
        if (owner < 0)
            return;
        KM_AttachmentPt& target = *GetAttachmentPoint(owner);
        if (target.m_SetCount >= KM_AttachmentPt::kMaxSets)
            return;
        const int slot = target.m_SetCount++;
        target.m_SetFirst[slot] = values.size() > 1 ? _FindAttachmentPoint(values[1]) : -1;
        target.m_SetSecond[slot] = values.size() > 2 ? _FindAttachmentPoint(values[2]) : -1;
    }
    else if (SameText(key, "size"))
    {
        for (const std::string& value : values)
            m_AttachmentSize = LeadingInteger(value);
    }
}

void KM_Model::_ParseUserData(KM_AttachmentPt& point, std::string& key, std::vector<std::string>& values)
{
    const std::string& text = point.m_UserData;
    const size_t size = text.size();
    size_t at = 0;
    while (at < size)
    {
        // The key runs to the '=', line breaks inside it left out.
        const size_t equals = text.find('=', at);
        if (equals == std::string::npos)
            break;
        key.clear();
        while (at < equals)
        {
            const size_t stop = FindStop(text, at, equals, "\r\n");
            key.append(text, at, stop - at);
            at = stop < equals ? stop + 1 : equals;
        }
        at = equals + 1;
        if (at >= size)
            break;
        // Values up to a space each; a carriage return (or a bare line feed) ends the line.
        values.clear();
        while (at < size)
        {
            const size_t stop = FindStop(text, at, size, " \r\n");
            if (stop > at)
                values.emplace_back(text, at, stop - at);
            at = stop;
            if (at >= size)
                break;
            const char end = text[at++];
            if (end != ' ')
                break;
        }
        _ApplyKey(point, key, values);
    }
}

void KM_Model::BuildRenderVertices()
{
    for (int i = 0; i < GetGeoObjectCount(); ++i)
    {
        KM_GeoObject* const geo = GetGeoObject(i);
        KM_Mesh& mesh = geo->m_Mesh;
        mesh.m_Render.Clear();
        // The weld checks every index it follows, so the mesh is not walked a second time for them.
        if (!geo->HasGeometry() || !WeldMesh(mesh))
            platform::OutputDebugString("[KM_Model::BuildRenderVertices] : \"" + geo->GetName() +
                                        "\" has no usable mesh; skipped\n");
    }
}

bool KM_Model::WeldMesh(KM_Mesh& mesh)
{
    KM_Mesh::RenderData& render = mesh.m_Render;
    render.Clear();
    if (!mesh.ArraysConsistent() || !ChannelsValid(mesh))
        return false;
    const bool hasTexture = !mesh.m_TVertices.empty();
    const bool hasColor = !mesh.m_CVertices.empty();
    const size_t extraChannels = mesh.m_Channels.size();
    const size_t keyWords = 6 + (hasTexture ? 2 : 0) + (hasColor ? 1 : 0) + 2 * extraChannels;
    const size_t corners = mesh.m_Faces.size() * 3;

    // A corner's key holds the bits of everything a vertex carries, position first, so the vertices are
    // written from the keys afterwards; the keys of the distinct corners sit in one flat array in vertex
    // order. Corners can only weld where their positions are equal bit for bit: each file vertex is given
    // the first file vertex at its position (one hash of a position per file vertex rather than of a key
    // per corner), which heads a chain of the vertices made there, and a corner compares the rest of its
    // key with that chain alone.
    const size_t fileVertices = mesh.m_Vertices.size();
    size_t capacity = 16;
    unsigned shift = 60;
    while (capacity < fileVertices * 2)
    {
        capacity *= 2;
        --shift;
    }
    // Every working array in one block: the position slots and the chain heads start at zero, the rest is
    // written before it is read.
    const size_t colorVertices = hasColor ? mesh.m_CVertices.size() : 0;
    const size_t scratchWords = capacity + 2 * fileVertices + corners * (keyWords + 2) + colorVertices;
    uint32_t* const slots = WeldWords(scratchWords);
    WeldLayout layout;
    layout.keyWords = keyWords;
    layout.lastAt = slots + capacity;
    uint32_t* const placeOf = layout.lastAt + fileVertices;
    layout.placeOf = placeOf;
    layout.previousAt = placeOf + fileVertices;
    layout.sources = layout.previousAt + corners;
    layout.keys = layout.sources + corners;
    // Each colour vertex packed once rather than at every corner that uses it.
    uint32_t* const packedColors = layout.keys + corners * keyWords;
    layout.packedColors = packedColors;
    for (size_t c = 0; c < colorVertices; ++c)
        packedColors[c] = KM_Mesh::PackColor(mesh.m_CVertices[c]);
    std::memset(slots, 0, static_cast<size_t>(placeOf - slots) * sizeof(uint32_t));
    {
        const size_t mask = capacity - 1;
        const KM_Point3* const positions = mesh.m_Vertices.data();
        for (size_t v = 0; v < fileVertices; ++v)
        {
            const KM_Point3& p = positions[v];
            const uint64_t xy = Load64(&p);
            const uint32_t z = Bits(p.z);
            size_t slot = PositionSlot(p, shift);
            uint32_t first = slots[slot];
            while (first != 0 && (Load64(&positions[first - 1]) != xy || Bits(positions[first - 1].z) != z))
            {
                slot = (slot + 1) & mask;
                first = slots[slot];
            }
            if (first == 0)
            {
                first = static_cast<uint32_t>(v + 1);
                slots[slot] = first;
            }
            placeOf[v] = first - 1;
        }
    }

    // The last vertex made at each position, and for each vertex the one made there before it (plus one;
    // zero ends a chain). A corner that makes a vertex leaves its key where the vertex's key goes.
    render.indices.resize(corners);
    uint32_t made = 0;
    using Weld = bool (*)(const KM_Mesh&, const WeldLayout&, uint32_t*, uint32_t&);
    static constexpr Weld kWelds[8] = {WeldFixedCorners<false, false>, WeldChannelCorners<false, false>,
                                       WeldFixedCorners<false, true>,  WeldChannelCorners<false, true>,
                                       WeldFixedCorners<true, false>,  WeldChannelCorners<true, false>,
                                       WeldFixedCorners<true, true>,   WeldChannelCorners<true, true>};
    const size_t layoutIndex = (hasTexture ? 4 : 0) + (hasColor ? 2 : 0) + (extraChannels != 0 ? 1 : 0);
    using Write = void (*)(const KM_Mesh&, const WeldLayout&, KM_Mesh::RenderData&);
    static constexpr Write kWrites[8] = {
        WriteVertices<false, false, false>, WriteVertices<false, false, true>,
        WriteVertices<false, true, false>,  WriteVertices<false, true, true>,
        WriteVertices<true, false, false>,  WriteVertices<true, false, true>,
        WriteVertices<true, true, false>,   WriteVertices<true, true, true>};
    const bool welded = kWelds[layoutIndex](mesh, layout, render.indices.data(), made);
    if (!welded)
    {
        render.Clear();
        TrimWeldWords();
        return false;
    }
    render.vertexCount = made;
    // The vertex lists of a first weld share one block of the mesh's room.
    if (render.positions.capacity() < size_t(made) * 3)
    {
        const size_t lists = 5 + extraChannels;
        mesh.ReserveRoom(size_t(made) * sizeof(float) * (3 + 3 + 1 + 1 + 2 * (1 + extraChannels)) +
                         (1 + extraChannels) * sizeof(KM_Mesh::RenderArray<float>) +
                         lists * alignof(std::max_align_t));
    }
    // Sized unset and copied as one block: a list copied in from a range is built entry by entry.
    render.sourceVertex.resize(made);
    if (made != 0)
        std::memcpy(render.sourceVertex.data(), layout.sources, size_t(made) * sizeof(uint32_t));
    kWrites[layoutIndex](mesh, layout, render);
    TrimWeldWords();
    return true;
}
