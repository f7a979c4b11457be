#include "engine/model/kaModelManager.h"

#include "engine/model/kaAnimation.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaSkeleton.h"
#include "engine/render/kaGraphicsManager.h"

#include <algorithm>

kaModelManager* g_pModelManager = nullptr;

namespace
{
// The manager of the run, built before the program's main code.
kaModelManager s_ModelManager;
} // namespace

kaModelManager::kaModelManager() : m_pPrevious(g_pModelManager)
{
    g_pModelManager = this;
    kaGraphicsManager::SetModelShutdownHook(&_DeleteAllOnShutdown);
}

kaModelManager::~kaModelManager()
{
    if (g_pModelManager != this)
        return;
    g_pModelManager = m_pPrevious;
    if (!g_pModelManager)
        kaGraphicsManager::SetModelShutdownHook(nullptr);
}

void kaModelManager::_DeleteAllOnShutdown()
{
    if (g_pModelManager)
        g_pModelManager->DeleteAll();
}

void kaModelManager::AddMesh(kaMesh* mesh)
{
    if (!mesh)
        return;
    mesh->AddRef();
    m_Meshes.push_back(mesh);
}

void kaModelManager::AddSkeleton(kaSkeleton* skeleton)
{
    if (skeleton)
        m_Skeletons.push_back(skeleton);
}

void kaModelManager::AddAnimation(kaAnimation* animation)
{
    if (animation)
        m_Animations.push_back(animation);
}

void kaModelManager::UnregisterMesh(kaMesh* mesh)
{
    const auto found = std::find(m_Meshes.begin(), m_Meshes.end(), mesh);
    if (found != m_Meshes.end())
        m_Meshes.erase(found);
}

void kaModelManager::DeleteAll()
{
    for (kaSkeleton* skeleton : m_Skeletons)
        delete skeleton;
    std::vector<kaSkeleton*>().swap(m_Skeletons);
    for (kaAnimation* animation : m_Animations)
        delete animation;
    std::vector<kaAnimation*>().swap(m_Animations);

    // The list is emptied before the releases, so a mesh unregistering itself finds nothing to disturb.
    std::vector<kaMesh*> meshes;
    meshes.swap(m_Meshes);
    for (kaMesh* mesh : meshes)
        mesh->Release();
}
