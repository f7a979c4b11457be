#pragma once

#include "engine/model/KM_MaterialList.h"
#include "engine/model/KM_Object.h"
#include "engine/model/KM_ObjectList.h"
#include "engine/model/KM_Scene.h"

#include <memory>
#include <string>
#include <vector>

class KM_AttachmentPt;
class KM_Camera;
class KM_CollisionObject;
class KM_DataTag;
class KM_GeoObject;
class KM_Light;
class KM_Mesh;
class KM_Primitive;

// The in-memory form of one model file while a mesh is built from it: the file's scene, materials
// and objects, the objects sorted by kind, and each geometry mesh welded into render vertices.
class KM_Model : public KM_Object
{
public:
    // Attachment points, collision objects, lights, cameras and data tags beyond this are ignored.
    static constexpr int kMaxTableEntries = 32;

    // The name is the file name cut before its first '.'.
    explicit KM_Model(const char* fileName);
    ~KM_Model() override;
    KM_Model(const KM_Model&) = delete;

    // The file's objects, then the post-load steps once.
    bool Read(KM_Stream* stream) override;
    virtual bool ReadObjects(KM_Stream* stream);
    virtual void BuildRenderVertices();
    // Sorts the listed objects into their tables and reads the attachment points' user data.
    virtual bool PostLoad(KM_Stream* stream, bool flag);

    // Null when the file has no scene.
    KM_Scene* GetScene() const { return m_HasScene ? &m_Scene : nullptr; }
    // Empty when the file has none.
    KM_MaterialList& GetMaterialList() const;
    KM_ObjectList& GetObjectList() const;

    int GetGeoObjectCount() const { return _Count(kGeoKind); }
    KM_GeoObject* GetGeoObject(int index) const;
    // The mesh of the first geometry object; null when there is none.
    KM_Mesh* GetFirstGeoMesh() const { return m_FirstGeoMesh; }
    int GetPrimitiveCount() const { return _Count(kPrimitiveKind); }
    KM_Primitive* GetPrimitive(int index) const;
    int GetCollisionObjectCount() const { return _Count(kCollisionKind); }
    KM_CollisionObject* GetCollisionObject(int index) const;
    int GetAttachmentPointCount() const { return _Count(kAttachmentKind); }
    KM_AttachmentPt* GetAttachmentPoint(int index) const;
    int GetLightCount() const { return _Count(kLightKind); }
    KM_Light* GetLight(int index) const;
    int GetCameraCount() const { return _Count(kCameraKind); }
    KM_Camera* GetCamera(int index) const;
    int GetDataTagCount() const { return _Count(kDataTagKind); }
    KM_DataTag* GetDataTag(int index) const;
    int32_t GetAttachmentSize() const { return m_AttachmentSize; }

    // Welds one mesh's corners into its render data. False, with nothing built, when the mesh's parallel
    // arrays disagree or an index points outside its list.
    static bool WeldMesh(KM_Mesh& mesh);

private:
    // The tables objects are sorted into, in the order they sit in m_Table.
    enum Kind
    {
        kGeoKind,
        kPrimitiveKind,
        kCollisionKind,
        kAttachmentKind,
        kLightKind,
        kCameraKind,
        kDataTagKind,
        kKindCount
    };
    static int _KindOf(uint32_t typeId);
    int _Count(int kind) const { return static_cast<int>(m_KindStart[kind + 1] - m_KindStart[kind]); }
    // The entry of a kind's table; null when the index is outside it.
    KM_Object* _At(int kind, int index) const
    {
        return index >= 0 && index < _Count(kind) ? m_Table[m_KindStart[kind] + index] : nullptr;
    }
    void _ParseUserData(KM_AttachmentPt& point, std::string& key, std::vector<std::string>& values);
    void _ApplyKey(KM_AttachmentPt& point, const std::string& key, const std::vector<std::string>& values);
    int _FindAttachmentPoint(const std::string& suffix) const;

    KM_Mesh* m_FirstGeoMesh = nullptr;
    // Held in place and read into: every file brings its lists, and the getters hand them out from const.
    mutable KM_ObjectList m_ObjectList;
    mutable KM_MaterialList m_MaterialList;
    mutable KM_Scene m_Scene;
    bool m_HasScene = false;
    bool m_PostLoaded = false;
    int32_t m_AttachmentSize = 0;
    // Every table in one block, kind after kind, each in file order; a kind's entries start at its
    // m_KindStart and end at the next kind's.
    std::vector<KM_Object*> m_Table;
    uint32_t m_KindStart[kKindCount + 1] = {};
};
