#pragma once

#include "engine/model/KM_Object.h"

#include <memory>
#include <string>
#include <vector>

class KM_AttachmentPt;
class KM_Camera;
class KM_CollisionObject;
class KM_DataTag;
class KM_GeoObject;
class KM_Light;
class KM_MaterialList;
class KM_Mesh;
class KM_ObjectList;
class KM_Primitive;
class KM_Scene;

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
    KM_Scene* GetScene() const { return m_Scene.get(); }
    // Empty when the file has none.
    KM_MaterialList& GetMaterialList() const { return *m_MaterialList; }
    KM_ObjectList& GetObjectList() const { return *m_ObjectList; }

    int GetGeoObjectCount() const { return static_cast<int>(m_GeoObjects.size()); }
    KM_GeoObject* GetGeoObject(int index) const { return At(m_GeoObjects, index); }
    // The mesh of the first geometry object; null when there is none.
    KM_Mesh* GetFirstGeoMesh() const { return m_FirstGeoMesh; }
    int GetPrimitiveCount() const { return static_cast<int>(m_Primitives.size()); }
    KM_Primitive* GetPrimitive(int index) const { return At(m_Primitives, index); }
    int GetCollisionObjectCount() const { return static_cast<int>(m_CollisionObjects.size()); }
    KM_CollisionObject* GetCollisionObject(int index) const { return At(m_CollisionObjects, index); }
    int GetAttachmentPointCount() const { return static_cast<int>(m_AttachmentPoints.size()); }
    KM_AttachmentPt* GetAttachmentPoint(int index) const { return At(m_AttachmentPoints, index); }
    int GetLightCount() const { return static_cast<int>(m_Lights.size()); }
    KM_Light* GetLight(int index) const { return At(m_Lights, index); }
    int GetCameraCount() const { return static_cast<int>(m_Cameras.size()); }
    KM_Camera* GetCamera(int index) const { return At(m_Cameras, index); }
    int GetDataTagCount() const { return static_cast<int>(m_DataTags.size()); }
    KM_DataTag* GetDataTag(int index) const { return At(m_DataTags, index); }
    int32_t GetAttachmentSize() const { return m_AttachmentSize; }

    // Welds one mesh's corners into its render data. False, with nothing built, when the mesh's parallel
    // arrays disagree or an index points outside its list.
    static bool WeldMesh(KM_Mesh& mesh);

private:
    template <typename T> static T* At(const std::vector<T*>& table, int index)
    {
        return index >= 0 && static_cast<size_t>(index) < table.size() ? table[index] : nullptr;
    }
    void _ParseUserData(KM_AttachmentPt& point);
    void _ApplyKey(KM_AttachmentPt& point, const std::string& key, const std::vector<std::string>& values);
    int _FindAttachmentPoint(const std::string& suffix) const;

    KM_Mesh* m_FirstGeoMesh = nullptr;
    std::unique_ptr<KM_ObjectList> m_ObjectList;
    std::unique_ptr<KM_MaterialList> m_MaterialList;
    std::unique_ptr<KM_Scene> m_Scene;
    bool m_PostLoaded = false;
    std::vector<KM_AttachmentPt*> m_AttachmentPoints;
    int32_t m_AttachmentSize = 0;
    std::vector<KM_CollisionObject*> m_CollisionObjects;
    std::vector<KM_GeoObject*> m_GeoObjects;
    std::vector<KM_Primitive*> m_Primitives;
    std::vector<KM_Light*> m_Lights;
    std::vector<KM_Camera*> m_Cameras;
    std::vector<KM_DataTag*> m_DataTags;
};
