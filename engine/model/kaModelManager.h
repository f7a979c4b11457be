#pragma once

#include <string>
#include <utility>
#include <vector>

class kaAnimation;
class kaMesh;
class kaModel;
class kaSkeleton;

// The single owner of what the model subsystem loads or makes: model instances, and the caches of shared
// meshes (each held by one reference), skeletons and animations. One static object for the whole run;
// DeleteAll empties it when the graphics device shuts down.
class kaModelManager
{
public:
    static constexpr const char* kMapsFolder = "maps";

    kaModelManager();
    virtual ~kaModelManager();
    kaModelManager(const kaModelManager&) = delete;
    kaModelManager& operator=(const kaModelManager&) = delete;

    // The cached mesh loaded under exactly this name, else a new one (cached even when its file fails).
    // keepVertexMaps is accepted for its callers: cached meshes always keep their source-vertex maps,
    // since a later skinned instance of the same file binds through them.
    kaMesh* LoadMesh(const std::string& fileName, bool keepVertexMaps);
    // The cached skeleton of this file bound to the mesh (any mesh when null), else a newly loaded one;
    // null when it cannot be loaded.
    kaSkeleton* LoadSkeleton(std::string fileName, kaMesh* mesh);
    kaAnimation* LoadAnimation(std::string fileName);
    kaModel* CreateModel(std::string fileName);
    kaModel* CreateSkinnedModel(std::string fileName, std::string skeletonFileName);
    // A new instance of the model an XML descriptor names, with its skeleton, animations and boxes;
    // folder, when not empty, goes in front of every file name the descriptor gives.
    kaModel* LoadModelDescriptor(std::string fileName, std::string folder = std::string());

    // Removes the instance and, first, its attached children from the list and deletes them; an instance
    // the manager does not hold is left alone.
    void ReleaseModel(kaModel* model);

    // Appends the mesh to the cache under its name and takes the cache's reference on it.
    void AddMesh(kaMesh* mesh);
    // The manager takes ownership; each is found by its file name.
    void AddSkeleton(kaSkeleton* skeleton);
    void AddAnimation(kaAnimation* animation);
    // Removes the mesh from the list without releasing it; its destructor calls this.
    void UnregisterMesh(kaMesh* mesh);
    // Skeletons, animations, instances, then the meshes' references; the manager can be filled again.
    void DeleteAll();

    const std::vector<kaMesh*>& GetMeshes() const { return m_Meshes; }
    const std::vector<kaModel*>& GetModels() const { return m_Models; }
    const std::vector<kaSkeleton*>& GetSkeletons() const { return m_Skeletons; }
    const std::vector<kaAnimation*>& GetAnimations() const { return m_Animations; }

private:
    static void _DeleteAllOnShutdown();
    kaModel* _CreateSkinnedModel(const std::string& fileName, std::string skeletonFileName);
    void _AddMesh(kaMesh* mesh, const std::string& key);

    std::vector<kaModel*> m_Models;
    std::vector<kaMesh*> m_Meshes;
    std::vector<kaSkeleton*> m_Skeletons;
    std::vector<kaAnimation*> m_Animations;
    // The name each cached mesh was asked for, which is its cache key; the mesh itself keeps the path
    // its file was found at.
    std::vector<std::pair<kaMesh*, std::string>> m_MeshKeys;
    // A manager made while another exists (as tests do) hands the global pointer back when it goes.
    kaModelManager* m_pPrevious = nullptr;
};

// The model manager while it exists.
extern kaModelManager* g_pModelManager;
