// The world as a store: its entities, identifiers, queues and updates.
#include "engine/scene/kaWorld.h"

#include "engine/core/kaApp.h"
#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaVectorErase.h"
#include "engine/render/ka3DAlphaSorter.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaLight.h"
#include "engine/scene/kaEntity.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaPropertyRecord.h"
#include "engine/scene/kaQuadTree.h"
#include "engine/scene/kaSkyBoxBase.h"
#include "engine/scene/kaSunBase.h"
#include "engine/scene/kaTerrainBase.h"
#include "engine/scene/kaWaterPlaneBase.h"

#include "platform/system/DebugOutput.h"

#include <algorithm>
#include <cstdio>

kaWorld::PathManagerCreator kaWorld::s_PathManagerCreator = nullptr;
kaWorld::TerrainCreator kaWorld::s_TerrainCreator = nullptr;
kaWorld::WaterPlaneCreator kaWorld::s_WaterPlaneCreator = nullptr;
kaWorld::SkyBoxCreator kaWorld::s_SkyBoxCreator = nullptr;
kaWorld::SunCreator kaWorld::s_SunCreator = nullptr;
kaWorld::CursorSource kaWorld::s_CursorSource = nullptr;
kaWorld::PathGridReset kaWorld::s_PathGridReset = nullptr;

using kaVectorErase::Contains;
using kaVectorErase::EraseAll;
using kaVectorErase::EraseFirst;

namespace
{

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

// Takes a coordinate row whose text the file may keep as read; true when the value changed or the designer
// set the row over a kept text, which then gives way.
bool TakeKeptFloat(const kaPropertyRecord& row, float& field, kaBlockKeys& kept, const char* key)
{
    if (!TakeFloat(row.m_Value, field) && !(row.m_Set && kept.Has(key)))
        return false;
    kept.Forget(key);
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
    m_KeptValues.Clear();
    m_KeptStart.Clear();

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
    m_KeptStart.Clear();
}

void kaWorld::SetStartRotation(const platform::Quaternion& rotation)
{
    m_StartRotation = rotation;
    m_KeptValues.Forget("startrotation");
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
            changed |= TakeKeptFloat(*row, m_StartX, m_KeptStart, "x");
        else if (label == kStartZLabel)
            changed |= TakeKeptFloat(*row, m_StartZ, m_KeptStart, "z");
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
