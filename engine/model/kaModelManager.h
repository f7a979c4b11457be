#pragma once

#include <vector>

class kaAnimation;
class kaMesh;
class kaSkeleton;

// The single owner of what the model subsystem loads: the cached meshes, each held by one reference,
// and the skeletons and animations, owned.
// One static object for the whole run; DeleteAll empties it when the graphics device shuts down.
class kaModelManager
{
public:
    kaModelManager();
    virtual ~kaModelManager();
    kaModelManager(const kaModelManager&) = delete;
    kaModelManager& operator=(const kaModelManager&) = delete;

    // Appends the mesh to the cache and takes the cache's reference on it.
    void AddMesh(kaMesh* mesh);
    // The manager takes ownership.
    void AddSkeleton(kaSkeleton* skeleton);
    void AddAnimation(kaAnimation* animation);
    // Removes the mesh from the list without releasing it; its destructor calls this.
    void UnregisterMesh(kaMesh* mesh);
    // Deletes every skeleton and animation and drops the cache's reference of every mesh; the manager can
    // be filled again afterwards.
    void DeleteAll();

    const std::vector<kaMesh*>& GetMeshes() const { return m_Meshes; }
    const std::vector<kaSkeleton*>& GetSkeletons() const { return m_Skeletons; }
    const std::vector<kaAnimation*>& GetAnimations() const { return m_Animations; }

private:
    static void _DeleteAllOnShutdown();

    std::vector<kaMesh*> m_Meshes;
    std::vector<kaSkeleton*> m_Skeletons;
    std::vector<kaAnimation*> m_Animations;
    // A manager made while another exists (as tests do) hands the global pointer back when it goes.
    kaModelManager* m_pPrevious = nullptr;
};

// The model manager while it exists.
extern kaModelManager* g_pModelManager;
