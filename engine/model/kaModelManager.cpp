#include "engine/model/kaModelManager.h"

#include "engine/core/kaFileSystem.h"
#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaStringUtils.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/core/kaXmlValues.h"
#include "engine/model/kaAnimation.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaModelAttachment.h"
#include "engine/model/kaSkeleton.h"
#include "engine/render/kaGraphicsManager.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <utility>

kaModelManager* g_pModelManager = nullptr;

namespace
{
// The first room made in the manager's lists.
constexpr size_t kListReserve = 16;

// The manager of the run, built before the program's main code.
kaModelManager s_ModelManager;

// The folders of the loads under way on this thread, innermost last. Each keeps its room from load to load,
// so naming a load's folder allocates nothing once warm; a deque leaves the outer ones where they are when
// an inner load adds one.
struct SearchFolders
{
    std::deque<std::string> folders;
    size_t inUse = 0;
};

SearchFolders& ThreadSearchFolders()
{
    thread_local SearchFolders folders;
    return folders;
}

// Adds the folder of a file, followed by `below`, as a search folder for the length of one load and removes
// exactly that entry again on every path.
class ScopedSearchPath
{
public:
    explicit ScopedSearchPath(const std::string& fileName, const char* below = "")
    {
        SearchFolders& folders = ThreadSearchFolders();
        if (folders.inUse == folders.folders.size())
            folders.folders.emplace_back();
        std::string& folder = folders.folders[folders.inUse];
        // The folder is cut from a copy in the kept room, which GetFolder hands back unless it has no
        // separator to cut at.
        folder.assign(fileName);
        folder = GetFolder(std::move(folder));
        folder.append(below);
        if (g_pFileSystem != nullptr)
            g_pFileSystem->AddSearchPath(folder);
        // Taken only once nothing can throw, so the destructor always gives back what was taken.
        m_Folder = &folder;
        ++folders.inUse;
    }
    ~ScopedSearchPath()
    {
        if (g_pFileSystem != nullptr)
            g_pFileSystem->RemoveLastSearchPath(*m_Folder);
        --ThreadSearchFolders().inUse;
    }
    ScopedSearchPath(const ScopedSearchPath&) = delete;
    ScopedSearchPath& operator=(const ScopedSearchPath&) = delete;

private:
    const std::string* m_Folder = nullptr;
};

// The element's text as GetElementText reads it, without copying it; empty when there is none.
const std::string& ElementText(const TiXmlElement* element)
{
    static const std::string none;
    const TiXmlNode* child = element != nullptr ? element->FirstChild() : nullptr;
    const TiXmlText* text = child != nullptr ? child->ToText() : nullptr;
    return text != nullptr ? text->ValueStr() : none;
}

// folder + name in one allocation (operator+ copies the first and then grows it for the second).
std::string Joined(const std::string& folder, const std::string& name)
{
    std::string path;
    path.reserve(folder.size() + name.size());
    path.append(folder).append(name);
    return path;
}

// A descriptor's bytes, kept from load to load so that reading one allocates nothing once the buffer has
// grown to the files' size; an unusually large file gives its room back.
constexpr size_t kKeptDescriptorBytes = 64 * 1024;

std::string& DescriptorText()
{
    thread_local std::string text;
    return text;
}

// The found descriptor's name, used only while its file is parsed.
std::string& DescriptorFoundPath()
{
    thread_local std::string path;
    return path;
}

std::string& DescriptorModelPath()
{
    thread_local std::string path;
    return path;
}

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
    if (mesh)
        _AddMesh(mesh, mesh->GetName());
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

void kaModelManager::_AddMesh(kaMesh* mesh, const std::string& key)
{
    // Room for a set of meshes at once: the lists start empty again after every DeleteAll.
    if (m_Meshes.size() == m_Meshes.capacity())
        m_Meshes.reserve(std::max(kListReserve, 2 * m_Meshes.size()));
    if (m_MeshKeys.size() == m_MeshKeys.capacity())
        m_MeshKeys.reserve(std::max(kListReserve, 2 * m_MeshKeys.size()));
    mesh->AddRef();
    m_Meshes.push_back(mesh);
    m_MeshKeys.emplace_back(mesh, key);
}

void kaModelManager::UnregisterMesh(kaMesh* mesh)
{
    const auto found = std::find(m_Meshes.begin(), m_Meshes.end(), mesh);
    if (found != m_Meshes.end())
        m_Meshes.erase(found);
    m_MeshKeys.erase(std::remove_if(m_MeshKeys.begin(), m_MeshKeys.end(),
                                    [mesh](const std::pair<kaMesh*, std::string>& entry)
                                    { return entry.first == mesh; }),
                     m_MeshKeys.end());
}

kaMesh* kaModelManager::LoadMesh(const std::string& fileName, bool keepVertexMaps)
{
    (void)keepVertexMaps;
    const ScopedSearchPath search(fileName, kMapsFolder);
    for (const auto& entry : m_MeshKeys)
    {
        if (entry.second == fileName)
            return entry.first;
    }
    kaMesh* mesh = new kaMesh(fileName);
    _AddMesh(mesh, fileName);
    return mesh;
}

kaSkeleton* kaModelManager::LoadSkeleton(std::string fileName, kaMesh* mesh)
{
    const ScopedSearchPath search(fileName);
    for (kaSkeleton* skeleton : m_Skeletons)
    {
        if (skeleton->GetFileName() == fileName &&
            (mesh == nullptr || skeleton->GetMeshName() == mesh->GetName()))
            return skeleton;
    }
    auto skeleton = std::make_unique<kaSkeleton>();
    if (!skeleton->Load(std::move(fileName), mesh))
        return nullptr;
    m_Skeletons.push_back(skeleton.release());
    return m_Skeletons.back();
}

kaAnimation* kaModelManager::LoadAnimation(std::string fileName)
{
    const ScopedSearchPath search(fileName);
    for (kaAnimation* animation : m_Animations)
    {
        if (animation->GetFileName() == fileName)
            return animation;
    }
    auto animation = std::make_unique<kaAnimation>();
    if (!animation->Load(std::move(fileName)))
        return nullptr;
    m_Animations.push_back(animation.release());
    return m_Animations.back();
}

kaModel* kaModelManager::CreateModel(std::string fileName)
{
    kaMesh* mesh = LoadMesh(fileName, false);
    if (mesh == nullptr)
        return nullptr;
    kaModel* model = new kaModel(mesh);
    if (m_Models.size() == m_Models.capacity())
        m_Models.reserve(std::max(kListReserve, 2 * m_Models.size()));
    m_Models.push_back(model);
    model->SetSourceName(fileName);
    return model;
}

kaModel* kaModelManager::CreateSkinnedModel(std::string fileName, std::string skeletonFileName)
{
    return _CreateSkinnedModel(fileName, std::move(skeletonFileName));
}

kaModel* kaModelManager::_CreateSkinnedModel(const std::string& fileName, std::string skeletonFileName)
{
    kaMesh* mesh = LoadMesh(fileName, true);
    if (mesh == nullptr)
        return nullptr;
    kaSkeleton* skeleton = LoadSkeleton(std::move(skeletonFileName), mesh);
    if (skeleton == nullptr)
        return nullptr;
    kaModel* model = new kaModel(mesh);
    model->SetSkeleton(skeleton);
    m_Models.push_back(model);
    return model;
}

kaModel* kaModelManager::LoadModelDescriptor(std::string fileName, std::string folder)
{
    TiXmlDocument document;
    // Nothing here reports a row or column, so the parser need not track them.
    document.SetTabSize(0);
    // Found by the look-up that reads it.
    std::string& text = DescriptorText();
    bool read = false;
    std::string& path = DescriptorFoundPath();
    ResolveAndRead(fileName, text, read, path);
    if (read)
    {
        if (g_pFileSystem != nullptr)
            g_pFileSystem->RecordOpenedFile(path.c_str());
        ParseXmlText(document, text, path);
        if (text.capacity() > kKeptDescriptorBytes)
            std::string().swap(text);
    }
    else if (FILE* file = OpenFile(path, "rb"))
    {
        LoadXmlDocument(document, file, path);
        std::fclose(file);
    }
    const TiXmlElement* modelElement = document.FirstChildElement("Model");
    if (modelElement == nullptr)
        return nullptr;
    // The document stays as read, so the animations' names are taken from it once the model exists. The
    // model's path is only looked up and copied by the mesh, so it is joined in room kept for the purpose.
    std::string& modelPath = DescriptorModelPath();
    modelPath.assign(folder).append(ElementText(modelElement));
    kaModel* model =
        _CreateSkinnedModel(modelPath, Joined(folder, ElementText(document.FirstChildElement("Skeleton"))));
    if (model == nullptr)
        return nullptr;
    for (const TiXmlElement* element = document.FirstChildElement("Box"); element != nullptr;
         element = element->NextSiblingElement("Box"))
    {
        auto box = std::make_unique<kaModel::Box>();
        box->min = {kaXmlValues::FloatOrZero(element, "MinX"), kaXmlValues::FloatOrZero(element, "MinY"),
                    kaXmlValues::FloatOrZero(element, "MinZ")};
        box->max = {kaXmlValues::FloatOrZero(element, "MaxX"), kaXmlValues::FloatOrZero(element, "MaxY"),
                    kaXmlValues::FloatOrZero(element, "MaxZ")};
        box->name = GetChildElementText("Name", element);
        model->AddBox(std::move(box));
        model->ResetAltBounds();
        model->m_AutoTrackBounds = true;
        model->m_UseAltBounds = true;
    }
    for (const TiXmlElement* element = document.FirstChildElement("Animation"); element != nullptr;
         element = element->NextSiblingElement("Animation"))
        model->AddAnimation(LoadAnimation(Joined(folder, ElementText(element))));
    model->SetSourceName(fileName);
    model->UpdateSkin();
    return model;
}

void kaModelManager::ReleaseModel(kaModel* model)
{
    const auto found = std::find(m_Models.begin(), m_Models.end(), model);
    if (found == m_Models.end())
        return;
    m_Models.erase(found);
    for (const auto& attachment : model->GetAttachments())
        ReleaseModel(attachment->m_pChild);
    delete model;
}

void kaModelManager::DeleteAll()
{
    std::vector<kaSkeleton*> skeletons;
    skeletons.swap(m_Skeletons);
    for (kaSkeleton* skeleton : skeletons)
        delete skeleton;
    std::vector<kaAnimation*> animations;
    animations.swap(m_Animations);
    for (kaAnimation* animation : animations)
        delete animation;
    std::vector<kaModel*> models;
    models.swap(m_Models);
    for (kaModel* model : models)
        delete model;
    // The list is emptied before the releases, so a mesh unregistering itself finds nothing to disturb.
    std::vector<kaMesh*> meshes;
    meshes.swap(m_Meshes);
    m_MeshKeys.clear();
    for (kaMesh* mesh : meshes)
        mesh->Release();
}
