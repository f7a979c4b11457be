#pragma once

#include "engine/model/KM_Object.h"

#include <memory>

class KM_MaterialList;
class KM_ObjectList;
class KM_Scene;

// The in-memory form of one model file while a mesh is built from it.
class KM_Model : public KM_Object
{
public:
    explicit KM_Model(const char* fileName);
    ~KM_Model() override;
    KM_Model(const KM_Model&) = delete;

    // The file's objects, then the post-load steps once.
    bool Read(KM_Stream* stream) override;
    virtual bool ReadObjects(KM_Stream* stream);

    KM_Scene* GetScene() const { return m_Scene.get(); }
    KM_MaterialList* GetMaterialList() const { return m_MaterialList.get(); }
    KM_ObjectList* GetObjectList() const { return m_ObjectList.get(); }

private:
    std::unique_ptr<KM_ObjectList> m_ObjectList;
    std::unique_ptr<KM_MaterialList> m_MaterialList;
    std::unique_ptr<KM_Scene> m_Scene;
};
