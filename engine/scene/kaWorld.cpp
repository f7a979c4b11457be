#include "engine/scene/kaWorld.h"

#include "engine/core/kaApp.h"
#include "engine/core/kaFileSystem.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/model/kaBoundingBox.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaModelManager.h"
#include "engine/render/ka3DAlphaSorter.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaLight.h"
#include "engine/render/kaVertexTypes.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/Intersection.h"
#include "engine/scene/kaCollideInfo.h"
#include "engine/scene/kaEntityEditorModel.h"
#include "engine/scene/kaEntity.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaLineSegment.h"
#include "engine/scene/kaPropertyRecord.h"
#include "engine/scene/kaQuadTree.h"
#include "engine/scene/kaSkyBoxBase.h"
#include "engine/scene/kaSunBase.h"
#include "engine/scene/kaTerrainBase.h"
#include "engine/scene/kaWaterPlaneBase.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/math/Matrix.h"
#include "platform/system/DebugOutput.h"

#include <tinyxml.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>

namespace
{

kaWorld::PathManagerCreator s_PathManagerCreator = nullptr;
kaWorld::TerrainCreator s_TerrainCreator = nullptr;
kaWorld::WaterPlaneCreator s_WaterPlaneCreator = nullptr;
kaWorld::SkyBoxCreator s_SkyBoxCreator = nullptr;
kaWorld::SunCreator s_SunCreator = nullptr;
kaWorld::CursorSource s_CursorSource = nullptr;
kaWorld::PathGridReset s_PathGridReset = nullptr;

// The debugger line of a timed editor operation: its tag and the seconds it took.
class LoadingTimer
{
public:
    explicit LoadingTimer(const char* tag) : m_Tag(tag), m_Start(std::chrono::steady_clock::now()) {}
    ~LoadingTimer()
    {
        const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - m_Start;
        platform::OutputDebugString(std::string("RotateLoading() ") + m_Tag + ": " +
                                    std::to_string(taken.count()) + "\n");
    }
    LoadingTimer(const LoadingTimer&) = delete;
    LoadingTimer& operator=(const LoadingTimer&) = delete;

private:
    const char* m_Tag;
    std::chrono::steady_clock::time_point m_Start;
};

// Sets the lock for a scope and puts back what it was, so that nested passes do not unlock early.
class LockScope
{
public:
    explicit LockScope(bool& locked) : m_Locked(locked), m_Was(locked) { m_Locked = true; }
    ~LockScope() { m_Locked = m_Was; }
    LockScope(const LockScope&) = delete;
    LockScope& operator=(const LockScope&) = delete;

private:
    bool& m_Locked;
    bool m_Was;
};

// A present child that holds a number replaces the value; an absent, empty or malformed one keeps it.
void ReadWorldFloat(const TiXmlElement* parent, const char* name, float& value)
{
    const TiXmlElement* child = parent ? parent->FirstChildElement(name) : nullptr;
    if (!child)
        return;
    try
    {
        value = GetElementFloat(child);
    }
    catch (const std::exception&)
    {
        platform::OutputDebugString(std::string("kaWorld::ReadXml - bad value for ") + name +
                                    ", default kept.\n");
    }
}

std::string ReadText(const TiXmlElement* parent, const char* name)
{
    return GetElementText(parent->FirstChildElement(name));
}

bool Contains(const std::vector<kaEntity*>& list, const kaEntity* entity)
{
    return std::find(list.begin(), list.end(), entity) != list.end();
}

// Erases the first entry; false when there is none.
bool EraseFirst(std::vector<kaEntity*>& list, const kaEntity* entity)
{
    const auto found = std::find(list.begin(), list.end(), entity);
    if (found == list.end())
        return false;
    list.erase(found);
    return true;
}

void EraseAll(std::vector<kaEntity*>& list, const kaEntity* entity)
{
    list.erase(std::remove(list.begin(), list.end(), entity), list.end());
}

// Takes a queue whole, so that entries appended while it is worked go to the next update.
std::vector<kaEntity*> TakeQueue(std::vector<kaEntity*>& queue)
{
    std::vector<kaEntity*> taken;
    taken.swap(queue);
    return taken;
}

bool TakeText(const std::string& value, std::string& field)
{
    if (value == field)
        return false;
    field = value;
    return true;
}

bool TakeFloat(const std::string& value, float& field)
{
    const float parsed = ka::lexical_cast<float>(value);
    if (parsed == field)
        return false;
    field = parsed;
    return true;
}

} // namespace

void kaWorld::SetPathManagerCreator(PathManagerCreator creator)
{
    s_PathManagerCreator = creator;
}

void kaWorld::SetPathGridReset(PathGridReset reset)
{
    s_PathGridReset = reset;
}

void kaWorld::SetCursorSource(CursorSource source)
{
    s_CursorSource = source;
}

bool kaWorld::ReadCursor(int32_t& x, int32_t& y)
{
    return s_CursorSource && s_CursorSource(x, y);
}

void kaWorld::SetTerrainCreator(TerrainCreator creator)
{
    s_TerrainCreator = creator;
}

void kaWorld::SetWaterPlaneCreator(WaterPlaneCreator creator)
{
    s_WaterPlaneCreator = creator;
}

void kaWorld::SetSkyBoxCreator(SkyBoxCreator creator)
{
    s_SkyBoxCreator = creator;
}

void kaWorld::SetSunCreator(SunCreator creator)
{
    s_SunCreator = creator;
}

kaWorld::kaWorld()
{
    m_pOwnCamera = new kaCamera();
    m_pCamera = m_pOwnCamera;
    m_pAlphaSorter = new ka3DAlphaSorter();
    m_pQuadTree = new kaQuadTree();
    if (s_PathManagerCreator)
    {
        m_pPathManager = s_PathManagerCreator();
        if (m_pPathManager)
        {
            m_pPathManager->SetName(kPathManagerName);
            m_pPathManager->SetWorld(this);
        }
    }
}

kaWorld::~kaWorld()
{
    if (m_pCamera == m_pOwnCamera)
        m_pCamera = nullptr;
    delete m_pOwnCamera;
    m_pOwnCamera = nullptr;
    kaWorld::Clear();
    delete m_pAlphaSorter;
    m_pAlphaSorter = nullptr;
    delete m_pQuadTree;
    m_pQuadTree = nullptr;
    delete m_pPathManager;
    m_pPathManager = nullptr;
    if (g_pGraphicsManager)
        g_pGraphicsManager->DetachSceneObject(this);
}

void kaWorld::Update(float dt)
{
    const kaApp* app = kaApp::GetSingleton();
    if (app && app->IsPaused())
        return;
    if (m_Locked)
    {
        if (m_pCamera)
            m_pCamera->Update(dt);
        return;
    }
    _ApplyPending();

    m_Locked = true;
    for (kaLight* light : m_Lights)
        light->Update(dt);
    for (kaEntity* entity : m_UpdateList)
        entity->Update(dt);
    if (m_pSelectedEntity)
        m_pSelectedEntity->UpdateControl(dt);
    _UpdateEnvironment(dt);
    m_Locked = false;

    if (m_pCamera)
        m_pCamera->Update(dt);
    _UpdateEnvironment(dt);
    if (m_ShowPickRay)
        _ShowPickRay();
}

void kaWorld::_UpdateEnvironment(float dt)
{
    if (m_pPathManager)
        m_pPathManager->Update(dt);
    if (m_pSun)
        m_pSun->Update(dt);
    if (m_pAlphaSorter)
        m_pAlphaSorter->Update(dt);
    if (m_pSkyBox)
        m_pSkyBox->Update(dt);
    if (m_pWaterPlane)
        m_pWaterPlane->Update(dt);
}

void kaWorld::_ApplyPending()
{
    for (kaEntity* entity : TakeQueue(m_PendingAdds))
        AddEntity(entity, entity->IsVisible(), true);
    for (kaEntity* entity : TakeQueue(m_PendingRemoves))
    {
        if (entity->GetWorldUpdate())
            m_PendingUpdateRemoves.push_back(entity);
        RemoveEntity(entity);
    }
    // A destructor run here may delete further entities at once; they leave the queue as they go.
    while (!m_PendingDeletes.empty())
    {
        kaEntity* entity = m_PendingDeletes.front();
        m_PendingDeletes.erase(m_PendingDeletes.begin());
        RemoveEntity(entity);
        _Destroy(entity);
    }
    for (kaEntity* entity : TakeQueue(m_PendingUpdateRemoves))
        EraseFirst(m_UpdateList, entity);
    for (kaEntity* entity : TakeQueue(m_PendingUpdateAdds))
        m_UpdateList.push_back(entity);
}

void kaWorld::ReleaseDeviceObjects()
{
    for (kaEntity* entity : m_Entities)
        entity->ReleaseDeviceObjects();
    if (m_pWaterPlane)
        m_pWaterPlane->ReleaseDeviceObjects();
}

void kaWorld::CreateDeviceObjects()
{
    for (kaEntity* entity : m_Entities)
        entity->CreateDeviceObjects();
    if (m_pWaterPlane)
        m_pWaterPlane->CreateDeviceObjects();
}

void kaWorld::HandleInput() {}

bool kaWorld::AddEntity(kaEntity* entity, bool visible, bool newIdentifier)
{
    if (!entity)
        return false;
    if (m_Locked)
    {
        m_PendingAdds.push_back(entity);
        return false;
    }
    // Listed twice, it would be destroyed twice.
    if (entity->GetWorld() == this && Contains(m_Entities, entity))
        return false;
    entity->SetVisible(visible);
    entity->SetWorld(this);
    const bool stored =
        newIdentifier ? NewEntityIdentifier(entity) : _StoreUniqueEntityIdentifier(entity->GetEntityID());
    if (!stored)
    {
        // Refused: the caller keeps the entity, and it must not point at a world that does not hold it.
        entity->SetWorld(nullptr);
        return false;
    }
    m_Entities.push_back(entity);
    if (entity->GetWorldUpdate())
        m_UpdateList.push_back(entity);
    _FileInTree(entity);
    return true;
}

bool kaWorld::RemoveEntity(kaEntity* entity)
{
    if (!entity)
        return false;
    if (entity == m_pSelectedEntity)
        m_pSelectedEntity = nullptr;
    if (_IsBeingCleared(entity))
        return false;
    if (m_Locked)
    {
        m_PendingRemoves.push_back(entity);
        entity->SetWorld(nullptr);
        return false;
    }
    if (!EraseFirst(m_Entities, entity))
    {
        entity->SetWorld(nullptr);
        return false;
    }
    if (entity->GetWorldUpdate())
        EraseFirst(m_UpdateList, entity);
    _RemoveFromTree(entity);
    // Handed back: a later change of its update flag must not reach this world's lists.
    entity->SetWorld(nullptr);
    return true;
}

void kaWorld::DeleteEntity(kaEntity* entity, bool defer)
{
    if (!entity)
        return;
    if (entity == m_pSelectedEntity)
        m_pSelectedEntity = nullptr;
    if (_IsBeingCleared(entity))
        return;
    if (!m_Locked && !defer)
    {
        if (Contains(m_Entities, entity))
            _DropIdentifier(entity->GetEntityID());
        RemoveEntity(entity);
        _Destroy(entity);
        return;
    }
    // Queued once: a second request would destroy it twice.
    if (!Contains(m_PendingDeletes, entity))
        m_PendingDeletes.push_back(entity);
}

void kaWorld::_Destroy(kaEntity* entity)
{
    EraseAll(m_PendingDeletes, entity);
    EraseAll(m_PendingRemoves, entity);
    EraseAll(m_PendingAdds, entity);
    EraseAll(m_PendingUpdateRemoves, entity);
    EraseAll(m_PendingUpdateAdds, entity);
    EraseAll(m_UpdateList, entity);
    if (entity == m_pVenueEntity)
        m_pVenueEntity = nullptr;
    // Its destructor takes its lights and dependents out of this world.
    entity->SetWorld(this);
    delete entity;
}

int32_t kaWorld::RemoveEntitiesByName(const std::string& name)
{
    std::vector<kaEntity*> named;
    for (kaEntity* entity : m_Entities)
    {
        if (entity->GetName() == name)
            named.push_back(entity);
    }
    for (kaEntity* entity : named)
    {
        if (entity == m_pSelectedEntity)
            m_pSelectedEntity = nullptr;
        if (m_Locked)
        {
            if (!Contains(m_PendingDeletes, entity))
                m_PendingDeletes.push_back(entity);
            continue;
        }
        // Gone already when an earlier one's destructor deleted it.
        if (!EraseFirst(m_Entities, entity))
            continue;
        _RemoveFromTree(entity);
        // The world holds no reference, so releasing it is destroying it, as Clear and DeleteEntity do.
        _Destroy(entity);
    }
    return static_cast<int32_t>(named.size());
}

void kaWorld::InitializeEntities()
{
    // Initialize may add entities (a model's emitters); those initialise themselves as they are made.
    const size_t count = m_Entities.size();
    for (size_t i = 0; i < count && i < m_Entities.size(); ++i)
        m_Entities[i]->Initialize();
    if (g_pGraphicsManager)
        g_pGraphicsManager->ClearImageCache();
}

void kaWorld::CycleDebugDisplay()
{
    for (kaEntity* entity : m_Entities)
    {
        if (auto* model = dynamic_cast<kaEntityModel*>(entity))
            model->SetDebugAxes(m_DebugDisplayMode == kDebugAxes);
    }
}

void kaWorld::ResetEntityStates()
{
    for (kaEntity* entity : m_Entities)
        entity->ResetState();
}

void kaWorld::ResolveEntityLinks()
{
    for (kaEntity* entity : m_Entities)
        entity->ResolveLinks();
}

bool kaWorld::_IsBeingCleared(const kaEntity* entity) const
{
    return Contains(m_Clearing, entity);
}

void kaWorld::Clear()
{
    m_pSelectedEntity = nullptr;
    m_pVenueEntity = nullptr;
    // Destructors delete other entities (dependents, emitters, joints): the list is taken out first
    // and each entity is destroyed once, whatever those deletes ask for.
    m_Clearing.swap(m_Entities);
    for (kaEntity* entity : m_Clearing)
        _RemoveFromTree(entity);
    std::vector<kaEntity*> queued = TakeQueue(m_PendingAdds);
    for (kaEntity* entity : TakeQueue(m_PendingDeletes))
        queued.push_back(entity);
    m_PendingRemoves.clear();
    m_PendingUpdateRemoves.clear();
    m_PendingUpdateAdds.clear();
    m_UpdateList.clear();
    for (kaEntity* entity : queued)
    {
        if (!Contains(m_Clearing, entity))
            m_Clearing.push_back(entity);
    }
    for (kaEntity* entity : m_Clearing)
        delete entity;
    m_Clearing.clear();
    // Entities created by those destructors went through the usual paths; none of them belong to the
    // world being cleared.
    m_Entities.clear();
    m_UpdateList.clear();
    m_PendingAdds.clear();
    m_PendingDeletes.clear();
    m_PendingRemoves.clear();
    m_PendingUpdateRemoves.clear();
    m_PendingUpdateAdds.clear();
    m_Identifiers.clear();
    m_Lights.clear();
    m_pSelectedEntity = nullptr;
    m_pVenueEntity = nullptr;
    // The venue is gone with its entity: a save must not name it.
    m_VenueName.clear();

    // Kept, emptied, so that transparent items added later still draw.
    if (m_pAlphaSorter)
        m_pAlphaSorter->Clear();
    delete m_pSkyBox;
    m_pSkyBox = nullptr;
    delete m_pTerrain;
    m_pTerrain = nullptr;
    delete m_pWaterPlane;
    m_pWaterPlane = nullptr;
    delete m_pSun;
    m_pSun = nullptr;
}

bool kaWorld::_StoreUniqueEntityIdentifier(int32_t id)
{
    if (id < 0)
    {
        platform::OutputDebugString(
            "kaWorld::_StoreUniqueEntityIdentifier - Attempted to load in an entity ID (" +
            std::to_string(id) + ") that is negative.  New entity ignored.\n");
        return false;
    }
    const auto at = std::lower_bound(m_Identifiers.begin(), m_Identifiers.end(), id);
    if (at != m_Identifiers.end() && *at == id)
    {
        platform::OutputDebugString(
            "kaWorld::_StoreUniqueEntityIdentifier - Attempted to load in an entity ID (" +
            std::to_string(id) + ") that already exists.  New entity ignored.\n");
        return false;
    }
    m_Identifiers.insert(at, id);
    return true;
}

bool kaWorld::NewEntityIdentifier(kaEntity* entity)
{
    int32_t id = 0;
    if (!m_Identifiers.empty())
    {
        id = m_Identifiers.front();
        for (size_t i = 1; i < m_Identifiers.size() && m_Identifiers[i] == id + 1; ++i)
            id = m_Identifiers[i];
        ++id;
    }
    entity->SetEntityID(id);
    return _StoreUniqueEntityIdentifier(id);
}

void kaWorld::_DropIdentifier(int32_t id)
{
    const auto at = std::lower_bound(m_Identifiers.begin(), m_Identifiers.end(), id);
    if (at != m_Identifiers.end() && *at == id)
        m_Identifiers.erase(at);
}

kaEntity* kaWorld::FindEntityById(int32_t id) const
{
    for (kaEntity* entity : m_Entities)
    {
        if (entity->GetEntityID() == id)
            return entity;
    }
    return nullptr;
}

kaEntity* kaWorld::FindEntityByName(const std::string& name) const
{
    for (kaEntity* entity : m_Entities)
    {
        if (entity->GetName() == name)
            return entity;
    }
    return nullptr;
}

void kaWorld::AddToUpdateList(kaEntity* entity)
{
    if (!entity)
        return;
    if (m_Locked)
        m_PendingUpdateAdds.push_back(entity);
    else if (!Contains(m_UpdateList, entity))
        m_UpdateList.push_back(entity);
}

void kaWorld::RemoveFromUpdateList(kaEntity* entity)
{
    if (m_Locked)
        m_PendingUpdateRemoves.push_back(entity);
    else
        EraseFirst(m_UpdateList, entity);
}

void kaWorld::AddLight(kaLight* light)
{
    if (light)
        m_Lights.push_back(light);
}

void kaWorld::RemoveLight(kaLight* light)
{
    const auto found = std::find(m_Lights.begin(), m_Lights.end(), light);
    if (found != m_Lights.end())
        m_Lights.erase(found);
}

void kaWorld::AddToAlphaSorter(ka3DObject* item)
{
    if (m_pAlphaSorter && item)
        m_pAlphaSorter->Add(item);
}

void kaWorld::RemoveFromAlphaSorter(ka3DObject* item)
{
    if (m_pAlphaSorter && item)
        m_pAlphaSorter->Remove(item);
}

void kaWorld::SetWaterPlane(kaWaterPlaneBase* plane)
{
    if (plane == m_pWaterPlane)
        return;
    delete m_pWaterPlane;
    m_pWaterPlane = plane;
    if (plane)
        plane->SetWorld(this);
}

void kaWorld::SetTerrain(kaTerrainBase* terrain)
{
    if (terrain == m_pTerrain)
        return;
    delete m_pTerrain;
    m_pTerrain = terrain;
    if (terrain)
        terrain->SetWorld(this);
}

void kaWorld::SetSkyBox(kaSkyBoxBase* skyBox)
{
    if (skyBox == m_pSkyBox)
        return;
    delete m_pSkyBox;
    m_pSkyBox = skyBox;
    if (skyBox)
        skyBox->SetWorld(this);
}

void kaWorld::SetSun(kaSunBase* sun)
{
    if (sun == m_pSun)
        return;
    delete m_pSun;
    m_pSun = sun;
    if (sun)
        sun->SetWorld(this);
}

float kaWorld::GetGroundHeight(float x, float z) const
{
    return m_pTerrain ? m_pTerrain->GetHeightAt(x, z) : 0.0f;
}

void kaWorld::SetStartPoint(float x, float z)
{
    m_StartX = x;
    m_StartZ = z;
}

const kaPropertyList& kaWorld::GetPropertyList()
{
    BuildPropertyList();
    return m_PropertyList;
}

void kaWorld::BuildPropertyList()
{
    m_PropertyList.clear();
    kaPropertyRecord::Append(m_PropertyList, kNameLabel, GetName());
    kaPropertyRecord::Append(m_PropertyList, kDescriptionLabel, m_Description);
    kaPropertyRecord::Append(m_PropertyList, kPreviewLabel, m_Preview);
    kaPropertyRecord::Append(m_PropertyList, kStartXLabel, ka::lexical_cast<std::string>(m_StartX));
    kaPropertyRecord::Append(m_PropertyList, kStartZLabel, ka::lexical_cast<std::string>(m_StartZ));
}

bool kaWorld::SetPropertyList(const kaPropertyList& list)
{
    m_PropertyList = list;
    bool changed = false;
    for (const kaCountedPtr<kaPropertyRecord>& row : m_PropertyList)
    {
        if (!row)
            continue;
        const std::string& label = row->m_Label;
        if (label == kNameLabel)
        {
            std::string name = GetName();
            if (TakeText(row->m_Value, name))
            {
                SetName(name);
                changed = true;
            }
        }
        else if (label == kDescriptionLabel)
            changed |= TakeText(row->m_Value, m_Description);
        else if (label == kPreviewLabel)
            changed |= TakeText(row->m_Value, m_Preview);
        else if (label == kStartXLabel)
            changed |= TakeFloat(row->m_Value, m_StartX);
        else if (label == kStartZLabel)
            changed |= TakeFloat(row->m_Value, m_StartZ);
    }
    return changed;
}

void kaWorld::OnEntityMoved(kaEntity* entity)
{
    if (m_pQuadTree && entity)
        m_pQuadTree->Move(entity);
}

void kaWorld::_FileInTree(kaEntity* entity)
{
    if (m_pQuadTree)
        m_pQuadTree->Insert(entity);
}

void kaWorld::_RemoveFromTree(kaEntity* entity)
{
    if (m_pQuadTree)
        m_pQuadTree->Remove(entity);
}

// ---------------------------------------------------------------------------------------------------------
// World files

void kaWorld::LoadFile(const std::string& fileName, bool restoreStates)
{
    TiXmlDocument document;
    const std::string found = ResolvePath(fileName);
    FILE* file = found.empty() ? nullptr : OpenFile(found, "rb");
    if (!file)
    {
        platform::OutputDebugString("kaWorld::LoadFile - " + fileName + " not found.\n");
        return;
    }
    const bool loaded = LoadXmlDocument(document, file, fileName);
    std::fclose(file);
    const TiXmlElement* root = loaded ? document.FirstChildElement(kRootElement) : nullptr;
    if (!root)
    {
        platform::OutputDebugString("kaWorld::LoadFile - " + fileName + " is not a readable world file.\n");
        return;
    }
    ReadXml(root, restoreStates);
}

bool kaWorld::SaveFile(const std::string& fileName, bool saveStates)
{
    if (m_pTerrain)
        m_pTerrain->PrepareSave(fileName);
    TiXmlDocument document;
    WriteXml(AppendElement(&document, kRootElement), saveStates);
    if (SaveXmlDocument(document, fileName))
        return true;
    platform::OutputDebugString("kaWorld::SaveFile - " + fileName +
                                " could not be written; the old file is kept.\n");
    return false;
}

void kaWorld::ReadXml(const TiXmlElement* element, bool restoreStates)
{
    if (!element)
        return;
    SetName(ReadText(element, "name"));
    m_Preview = ReadText(element, "preview");
    m_Description = ReadText(element, "description");
    if (const TiXmlElement* start = element->FirstChildElement("startpoint"))
    {
        // An absent or empty coordinate reads 0.
        m_StartX = 0.0f;
        m_StartZ = 0.0f;
        if (!ReadText(start, "x").empty())
            ReadWorldFloat(start, "x", m_StartX);
        if (!ReadText(start, "z").empty())
            ReadWorldFloat(start, "z", m_StartZ);
    }
    if (const TiXmlElement* rotation = element->FirstChildElement("startrotation"))
    {
        platform::Quaternion start = m_StartRotation;
        if (const TiXmlElement* quaternion = rotation->FirstChildElement("quaternion"))
        {
            ReadWorldFloat(quaternion, "w", start.w);
            ReadWorldFloat(quaternion, "x", start.x);
            ReadWorldFloat(quaternion, "y", start.y);
            ReadWorldFloat(quaternion, "z", start.z);
        }
        else
        {
            float pitch = 0.0f;
            float yaw = 0.0f;
            float roll = 0.0f;
            ReadWorldFloat(rotation, "pitch", pitch);
            ReadWorldFloat(rotation, "yaw", yaw);
            ReadWorldFloat(rotation, "roll", roll);
            platform::QuaternionRotationYawPitchRoll(&start, yaw, pitch, roll);
        }
        m_StartRotation = start;
    }
    if (const TiXmlElement* arena = element->FirstChildElement("arena"))
        LoadVenue(GetElementText(arena), false);
    _ReadEnvironment(element);
    ReadEntities(element);

    LockScope lock(m_Locked);
    ResetEntityStates();
    for (size_t i = 0; i < m_Entities.size(); ++i)
    {
        kaEntity* entity = m_Entities[i];
        if (!entity->GetInitUniqueID().empty())
            entity->ApplyInitData(entity->GetInitUniqueID());
    }
    if (restoreStates)
    {
        RestoreEntityStates(element);
        ResolveEntityLinks();
        if (m_pCamera)
            m_pCamera->OnWorldLoaded();
    }
}

void kaWorld::_ReadEnvironment(const TiXmlElement* element)
{
    // Each object reads its own block; one that meets a malformed value is dropped, the world kept.
    const auto read = [this](kaEntity* object, const TiXmlElement* block, const char* name)
    {
        if (!object)
        {
            // No maker installed: the program was linked without the terrain library.
            platform::OutputDebugString(std::string("kaWorld::ReadXml - nothing makes ") + name +
                                        " in this program, element skipped.\n");
            return false;
        }
        object->SetWorld(this);
        try
        {
            object->ReadXml(block);
            return true;
        }
        catch (const std::exception&)
        {
            platform::OutputDebugString(std::string("kaWorld::ReadXml - bad value in ") + name +
                                        ", element skipped.\n");
            return false;
        }
    };
    if (const TiXmlElement* block = element->FirstChildElement("Terrain"))
    {
        SetTerrain(nullptr);
        kaTerrainBase* terrain = CreateTerrainObject();
        if (read(terrain, block, "Terrain"))
        {
            SetTerrain(terrain);
            if (m_pQuadTree)
                m_pQuadTree->Initialize(terrain->GetWidth(), terrain->GetLength(),
                                        terrain->GetWidth() * 0.125f);
        }
        else
            delete terrain;
    }
    if (const TiXmlElement* block = element->FirstChildElement("WaterPlane"))
    {
        SetWaterPlane(nullptr);
        kaWaterPlaneBase* plane = s_WaterPlaneCreator ? s_WaterPlaneCreator() : nullptr;
        if (read(plane, block, "WaterPlane"))
        {
            SetWaterPlane(plane);
            if (m_pTerrain)
                plane->Build(m_pTerrain->GetWidth(), m_pTerrain->GetLength());
            else
                plane->Build(kDefaultWaterSize, kDefaultWaterSize);
        }
        else
            delete plane;
    }
    if (const TiXmlElement* block = element->FirstChildElement("Skybox"))
    {
        SetSkyBox(nullptr);
        kaSkyBoxBase* skyBox = s_SkyBoxCreator ? s_SkyBoxCreator() : nullptr;
        if (read(skyBox, block, "Skybox"))
            SetSkyBox(skyBox);
        else
            delete skyBox;
    }
    if (const TiXmlElement* block = element->FirstChildElement("Sun"))
    {
        SetSun(nullptr);
        kaSunBase* sun = s_SunCreator ? s_SunCreator() : nullptr;
        if (read(sun, block, "Sun"))
            SetSun(sun);
        else
            delete sun;
    }
}

void kaWorld::ReadEntities(const TiXmlElement* element)
{
    const TiXmlElement* entities = element ? element->FirstChildElement("Entities") : nullptr;
    if (!entities)
        return;
    for (const TiXmlElement* block = entities->FirstChildElement("Entity"); block;
         block = block->NextSiblingElement("Entity"))
    {
        kaEntity* entity = _ReadEntity(block);
        // Refused (a negative or repeated identifier): nothing else holds it.
        if (entity && !AddEntity(entity, entity->IsVisible(), false))
            delete entity;
    }
}

kaEntity* kaWorld::_ReadEntity(const TiXmlElement* element)
{
    const std::string type = GetChildElementText("type", element);
    std::unique_ptr<kaEntity> entity = CreateEntity(type);
    // Unknown classes are skipped, except in the editor, where a placeholder keeps them for saving.
    const kaApp* app = kaApp::GetSingleton();
    if (!entity && app && app->IsEditor())
        entity = std::make_unique<kaEntityEditorModel>(type);
    if (!entity)
        return nullptr;
    entity->SetWorld(this);
    try
    {
        // Entities its block makes wait in the queue and number after the file's own.
        LockScope lock(m_Locked);
        entity->ReadXml(element);
    }
    catch (const std::exception&)
    {
        platform::OutputDebugString("kaWorld::ReadEntities - bad value in entity of type " + type + " (id " +
                                    GetChildElementText("entityID", element) + "), entity dropped.\n");
        entity->SetWorld(nullptr);
        return nullptr;
    }
    return entity.release();
}

void kaWorld::RestoreEntityStates(const TiXmlElement* element)
{
    const TiXmlElement* states = element ? element->FirstChildElement("EntitiesStates") : nullptr;
    if (!states)
        return;
    for (const TiXmlElement* state = states->FirstChildElement("Entity"); state;
         state = state->NextSiblingElement("Entity"))
    {
        const TiXmlElement* idElement = state->FirstChildElement("entityID");
        if (!idElement)
            continue;
        int32_t id = -1;
        try
        {
            id = GetElementInt(idElement);
        }
        catch (const std::exception&)
        {
            continue;
        }
        for (size_t i = 0; i < m_Entities.size(); ++i)
        {
            if (m_Entities[i]->GetEntityID() != id)
                continue;
            try
            {
                m_Entities[i]->ReadState(state);
            }
            catch (const std::exception&)
            {
                platform::OutputDebugString(
                    "kaWorld::RestoreEntityStates - bad value in the state of entity " + std::to_string(id) +
                    ", rest of it skipped.\n");
            }
        }
    }
}

void kaWorld::WriteXml(TiXmlElement* element, bool saveStates) const
{
    if (!element)
        return;
    if (!m_VenueName.empty())
        AppendTextElement(element, "arena", m_VenueName);
    AppendTextElement(element, "name", GetName());
    AppendTextElement(element, "preview", m_Preview);
    AppendTextElement(element, "description", m_Description);
    TiXmlElement* start = AppendElement(element, "startpoint");
    AppendFloatElement(start, "x", m_StartX);
    AppendFloatElement(start, "z", m_StartZ);
    TiXmlElement* quaternion = AppendElement(AppendElement(element, "startrotation"), "quaternion");
    AppendFloatElement(quaternion, "w", m_StartRotation.w);
    AppendFloatElement(quaternion, "x", m_StartRotation.x);
    AppendFloatElement(quaternion, "y", m_StartRotation.y);
    AppendFloatElement(quaternion, "z", m_StartRotation.z);
    if (m_pTerrain)
        m_pTerrain->WriteXml(AppendElement(element, "Terrain"));
    if (m_pWaterPlane)
        m_pWaterPlane->WriteXml(AppendElement(element, "WaterPlane"));
    if (m_pSkyBox)
        m_pSkyBox->WriteXml(AppendElement(element, "Skybox"));
    if (m_pSun)
        m_pSun->WriteXml(AppendElement(element, "Sun"));
    WriteEntities(element);
    if (saveStates)
        SaveEntityStates(element);
}

void kaWorld::WriteEntities(TiXmlElement* element) const
{
    TiXmlElement* entities = AppendElement(element, "Entities");
    for (const kaEntity* entity : m_Entities)
    {
        if (entity->IsSaved())
            entity->WriteXml(AppendElement(entities, "Entity"));
    }
}

void kaWorld::SaveEntityStates(TiXmlElement* element) const
{
    TiXmlElement* states = AppendElement(element, "EntitiesStates");
    for (const kaEntity* entity : m_Entities)
    {
        if (entity->IsSaved())
            entity->WriteState(AppendElement(states, "Entity"));
    }
}

bool kaWorld::LoadVenue(const std::string& venueName, bool initialize)
{
    if (!g_pInitDataBase || !g_pModelManager || !g_pInitDataBase->Find(kVenueDataType, venueName))
        return false;
    // The model file as the record's data applies: its own value, else the last include that has one.
    std::string modelFile;
    g_pInitDataBase->Apply(kVenueDataType, venueName,
                           [&modelFile](TiXmlElement* data)
                           {
                               if (const TiXmlElement* file =
                                       data ? data->FirstChildElement("kmfFilename") : nullptr)
                                   modelFile = GetElementText(file);
                           });
    const bool descriptor = modelFile.find(".xml") != std::string::npos;
    kaModel* model = descriptor ? g_pModelManager->LoadModelDescriptor(modelFile)
                                : g_pModelManager->CreateModel(modelFile);
    if (model)
        model->UpdateBounds();
    const kaBoundingBox* box = model ? model->GetBoundingBox() : nullptr;
    if (!box || !model->GetMesh() || model->GetMesh()->GetSubsetCount() == 0)
    {
        if (model)
            g_pModelManager->ReleaseModel(model);
        platform::OutputDebugString("kaWorld::LoadVenue - venue " + venueName + " has no model (" +
                                    modelFile + ").\n");
        return false;
    }
    const platform::Vector3 min = box->m_Min;
    const platform::Vector3 max = box->m_Max;
    g_pModelManager->ReleaseModel(model);
    const float width = max.x - min.x;
    const float length = max.z - min.z;
    if (m_pQuadTree)
        m_pQuadTree->Initialize(width, length, std::min(width, length) * 0.125f);

    kaEntityModel* arena = CreateArenaEntity();
    if (!arena)
        return false;
    // Made again from "arena" at every load: saved in the entity list it would come back twice.
    arena->SetSaved(false);
    // While locked the world queues it and numbers it at the next update.
    if (!AddEntity(arena, true, true) && !m_Locked)
    {
        delete arena;
        return false;
    }
    m_pVenueEntity = arena;
    g_pInitDataBase->Apply(kVenueDataType, venueName, [arena](TiXmlElement* data) { arena->ReadXml(data); });
    arena->SetPosition(platform::Vector3(-(min.x + max.x) * 0.5f, 0.0f, -(min.z + max.z) * 0.5f));
    if (initialize)
        arena->Initialize();
    m_VenueName = venueName;
    return true;
}

kaTerrainBase* kaWorld::CreateTerrainObject()
{
    return s_TerrainCreator ? s_TerrainCreator() : nullptr;
}

kaEntityModel* kaWorld::CreateArenaEntity()
{
    return new kaEntityModel();
}

// ---------------------------------------------------------------------------------------------------------
// Drawing and picking

void kaWorld::Render(uint32_t flag)
{
    platform::GfxDevice* device = g_pGraphicsManager ? g_pGraphicsManager->GetDevice() : nullptr;
    if (!device)
        return;
    if (m_pCamera)
    {
        device->SetTransform(platform::TS_PROJECTION, &m_pCamera->GetComputedProjection());
        device->SetTransform(platform::TS_VIEW, &m_pCamera->GetComputedView());
        g_pGraphicsManager->UpdateFrustum();
        g_pGraphicsManager->UseViewFrustum();
    }
    if (m_pSkyBox)
        m_pSkyBox->Render();
    if (m_pSun)
        m_pSun->Render();
    if (m_pSkyBox)
        m_pSkyBox->RenderCloudPlanes();
    if (m_pTerrain)
        m_pTerrain->Render();
    if (m_pWaterPlane)
        m_pWaterPlane->Render();
    // The quad tree holds the venue too: hidden while it walks, so that it is drawn once.
    // A venue the editor hid stays hidden afterwards.
    kaEntity* venue = m_pVenueEntity;
    const bool venueVisible = venue && venue->IsVisible();
    if (venue)
    {
        venue->Render();
        g_pGraphicsManager->DrawQueuedMeshes();
        venue->SetVisible(false);
    }
    if (m_pQuadTree)
        m_pQuadTree->Render();
    if (venue)
        venue->SetVisible(venueVisible);
    if (m_pAlphaSorter)
        m_pAlphaSorter->Render(flag);
    if (m_pSun)
        m_pSun->RenderLensFlare();
}

bool kaWorld::GetPickRay(float x, float y, platform::Vector3& origin, platform::Vector3& direction) const
{
    if (!m_pCamera)
        return false;
    platform::Vector3 point;
    m_pCamera->GetPickRay(point, platform::Vector3(x, y, 0.0f));
    origin = m_pCamera->GetPosition();
    const platform::Vector3 along = point - origin;
    platform::Vec3Normalize(&direction, &along);
    return true;
}

namespace
{

float DistanceSquared(const platform::Vector3& a, const platform::Vector3& b)
{
    const platform::Vector3 d = b - a;
    return d.x * d.x + d.y * d.y + d.z * d.z;
}

// The hit nearest the segment's start over the entity's meshes, each tested in its model's own space.
bool PickMeshes(kaEntity& entity, const kaLineSegment& segment, kaCollideInfo& hit)
{
    platform::Matrix world;
    if (!entity.GetWorldMatrix(world))
        return false;
    platform::Matrix inverse;
    if (!platform::MatrixInverse(&inverse, nullptr, &world))
        return false;
    platform::Vector3 from;
    platform::Vector3 to;
    platform::Vec3TransformCoord(&from, &segment.m_Start, &inverse);
    platform::Vec3TransformCoord(&to, &segment.m_End, &inverse);
    const kaLineSegment local(from.x, from.y, from.z, to.x, to.y, to.z);
    bool found = false;
    float best = 0.0f;
    for (;;)
    {
        bool more = false;
        kaMesh* mesh = entity.GetNextMesh(more);
        if (!mesh)
            break;
        kaCollideInfo info;
        if (SegmentIntersectsMesh(*mesh, local, &info))
        {
            platform::Vector3 point;
            platform::Vec3TransformCoord(&point, &info.m_Point, &world);
            const float distance = DistanceSquared(segment.m_Start, point);
            if (!found || distance < best)
            {
                found = true;
                best = distance;
                hit.m_Point = point;
                platform::Vec3TransformNormal(&hit.m_Normal, &info.m_Normal, &world);
                platform::Vec3Normalize(&hit.m_Normal, &hit.m_Normal);
            }
        }
        if (!more)
            break;
    }
    return found;
}

} // namespace

bool kaWorld::Pick(const platform::Vector3& start, const platform::Vector3& end, kaCollideInfo* result,
                   uint32_t flags)
{
    if (!result)
        return false;
    bool terrainHit = false;
    platform::Vector3 terrainPoint;
    platform::Vector3 terrainNormal;
    if ((flags & kPickTerrain) && m_pTerrain)
        terrainHit = m_pTerrain->IntersectRay(start.x, start.y, start.z, end.x, end.y, end.z, terrainPoint,
                                              terrainNormal);

    kaEntity* best = nullptr;
    kaCollideInfo bestHit;
    float bestDistance = 1e11f;
    if ((flags & (kPickSpheres | kPickBoxes | kPickMeshes)) && m_pQuadTree)
    {
        const kaLineSegment segment(start.x, start.y, start.z, end.x, end.y, end.z);
        std::vector<kaEntity*> candidates;
        m_pQuadTree->QuerySegment(start, end, candidates);
        // Backwards, so that on equal distances the one collected last wins.
        for (auto at = candidates.rbegin(); at != candidates.rend(); ++at)
        {
            kaEntity* entity = *at;
            if (!entity->IsCollidable() || (!entity->IsVisible() && !(flags & kPickInvisible)))
                continue;
            kaBoundingBox* box = entity->GetBoundingBox();
            if (!box)
                continue;
            kaCollideInfo hit;
            if (!SegmentIntersectsSphere(box->m_Centre, box->m_Radius, segment, &hit))
                continue;
            const uint8_t own = entity->GetPickFlags();
            if (!(flags & kPickSpheres) && !(own & kaEntity::kPickSphereOnly))
            {
                if ((flags & kPickBoxes) || (own & kaEntity::kPickBoxOnly))
                {
                    if (!SegmentIntersectsBoxCorners(box->m_Corners, segment, &hit))
                        continue;
                }
                else if (!PickMeshes(*entity, segment, hit))
                    continue;
            }
            const float distance = DistanceSquared(start, hit.m_Point);
            const bool counts = (flags & kPickVenueOnly) ? entity == m_pVenueEntity : distance < bestDistance;
            if (!counts)
                continue;
            best = entity;
            bestHit = hit;
            bestDistance = distance;
        }
    }

    if (!terrainHit && !best)
        return false;
    const bool entityWins =
        best && (!terrainHit || DistanceSquared(start, terrainPoint) >= bestDistance - 0.1f);
    if (entityWins)
    {
        result->m_Point = bestHit.m_Point;
        result->m_Normal = bestHit.m_Normal;
        result->m_pObject = best;
    }
    else
    {
        result->m_Point = terrainPoint;
        result->m_Normal = terrainNormal;
        result->m_pObject = m_pTerrain;
    }
    return true;
}

bool kaWorld::FindEntitiesInRect(const kaEntity* excluded, float x1, float z1, float x2, float z2,
                                 std::vector<kaEntity*>* out, uint32_t flags) const
{
    return m_pQuadTree && m_pQuadTree->QueryRect(excluded, x1, z1, x2, z2, out, flags);
}

void kaWorld::_ShowPickRay()
{
    int32_t x = 0;
    int32_t y = 0;
    platform::Vector3 origin;
    platform::Vector3 direction;
    if (!s_CursorSource || !s_CursorSource(x, y) ||
        !GetPickRay(static_cast<float>(x), static_cast<float>(y), origin, direction))
        return;
    const platform::Vector3 end = origin + direction * kPickRayLength;
    kaCollideInfo hit;
    const bool picked = Pick(origin, end, &hit, kPickRayFlags);
    if (!g_pGraphicsManager)
        return;
    const auto line = [](const platform::Vector3& a, const platform::Vector3& b, uint32_t colour) {
        g_pGraphicsManager->QueueDebugPrimitive({{a.x, a.y, a.z, colour}, {b.x, b.y, b.z, colour}}, true);
    };
    line(origin, end, 0xFF808080u);
    if (picked)
        line(hit.m_Point, hit.m_Point + hit.m_Normal * 10.0f, 0xFFFF0000u);
}

// ---------------------------------------------------------------------------------------------------------
// Editor operations on the environment

void kaWorld::NewTerrain(const std::string& heightMap, float width, float height, float length,
                         bool vertexLighting)
{
    SetTerrain(nullptr);
    if (m_pQuadTree)
        m_pQuadTree->Initialize(width, length, width * 0.125f);
    kaTerrainBase* terrain = CreateTerrainObject();
    if (!terrain)
        return;
    terrain->SetWorld(this);
    if (terrain->GenerateHeightMapVerts(heightMap, width, height, length, vertexLighting))
        terrain->Build();
    SetTerrain(terrain);
}

void kaWorld::AddTerrainLayer(const std::string& texturePath, const std::string& maskPath, float stretch)
{
    if (m_pTerrain)
        m_pTerrain->AddLayer(maskPath, texturePath, stretch, false);
}

void kaWorld::RemoveTerrainLayer(int32_t index)
{
    if (m_pTerrain)
        m_pTerrain->RemoveLayer(index);
}

void kaWorld::RebuildTerrain()
{
    if (m_pTerrain)
        m_pTerrain->Rebuild();
}

void kaWorld::AddSunFlareLayer(const std::string& texture, float length, float scale)
{
    if (m_pSun)
        m_pSun->AddFlareLayer(texture, length, scale);
}

void kaWorld::RemoveSunFlareLayer(int32_t index)
{
    if (m_pSun)
        m_pSun->RemoveFlareLayer(index);
}

void kaWorld::CreateSun(const std::string& texture, float position, float axisTilt, float scale,
                        const kaColor& directional, const kaColor& ambient)
{
    SetSun(nullptr);
    kaSunBase* sun = s_SunCreator ? s_SunCreator() : nullptr;
    if (!sun)
        return;
    sun->SetWorld(this);
    sun->Initialize(position, axisTilt, texture, scale, directional, ambient);
    SetSun(sun);
}

void kaWorld::CreateSkyBox(const std::string& left, const std::string& right, const std::string& forward,
                           const std::string& back, const std::string& top)
{
    const LoadingTimer timer("AddSkybox");
    SetSkyBox(nullptr);
    kaSkyBoxBase* skyBox = s_SkyBoxCreator ? s_SkyBoxCreator() : nullptr;
    if (!skyBox)
        return;
    skyBox->SetName("SkyBox");
    skyBox->SetWorld(this);
    skyBox->Build(left, right, forward, back, top);
    SetSkyBox(skyBox);
}

void kaWorld::CreateCloudPlane(const std::string& texture, float height, float speed)
{
    const LoadingTimer timer("AddCloudPlane");
    if (m_pSkyBox)
        m_pSkyBox->AddCloudPlane(texture, height, speed);
}

void kaWorld::ResetPathGrid()
{
    if (m_pPathManager && s_PathGridReset)
        s_PathGridReset(*m_pPathManager);
}
